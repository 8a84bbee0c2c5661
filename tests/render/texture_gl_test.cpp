// Textures on a real context: the upload keeps colours and alpha (read back
// through a blended quad), the size checks, KeepPixels and the store's release.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "infra/resource_manager.h"
#include "render/gl_capabilities.h"
#include "render/texture.h"
#include "render/texture_image.h"
#include "tests/support/gl_test_window.h"
#include "tests/support/image_bytes.h"
#include "tests/support/temp_folder.h"

namespace orbitfall {
namespace {

using namespace orbitfall::testing;

// A top-down 24-bit BMP: left half red, right half green.
std::string RedGreenBmp(int width, int height) {
    std::string pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels += x < width / 2 ? Bytes({0, 0, 255}) : Bytes({0, 255, 0});
        while (pixels.size() % 4) pixels += '\0';
    }
    BmpSpec spec;
    spec.width = width;
    spec.height = -height;
    spec.pixels = pixels;
    return MakeBmp(spec);
}

class TextureGlTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (HasFatalFailure()) return;
        ResetGlCapabilities();
        SetDataDirs(folder.Path() + "Data/", folder.Path() + "User/");
    }
    void TearDown() override {
        ResetGlCapabilities();
        ClearDataDirs();
        GlTest::TearDown();
    }
    // The texture stretched over the whole window, blended onto black.
    void DrawFullWindow(TTexture& texture) {
        glViewport(0, 0, WindowWidth(), WindowHeight());
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_CULL_FACE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(1, 1, 1, 1);
        texture.Bind();
        glBegin(GL_QUADS);
        glTexCoord2f(0, 1); glVertex2f(-1, -1);
        glTexCoord2f(1, 1); glVertex2f(1, -1);
        glTexCoord2f(1, 0); glVertex2f(1, 1);
        glTexCoord2f(0, 0); glVertex2f(-1, 1);
        glEnd();
        texture.Unbind();
    }
    std::vector<std::uint8_t> Pixel(int x, int y) { return TestWindow().ReadBackBuffer(x, y, 1, 1); }
    TempFolder folder;
};

TEST_F(TextureGlTest, UploadKeepsColoursAndTheAlphaImageMakesTheRightHalfTransparent) {
    folder.WriteFile("Data/T.bmp", RedGreenBmp(64, 64));
    // Alpha image: white on the left half, black on the right.
    std::string alpha;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) alpha += x < 32 ? Bytes({255, 255, 255}) : Bytes({0, 0, 0});
    BmpSpec spec;
    spec.width = 64;
    spec.height = -64;
    spec.pixels = alpha;
    folder.WriteFile("Data/T.alpha.bmp", MakeBmp(spec));

    TResourceManager manager;
    TTexture::RegisterExtensions(manager);
    auto* texture = manager.RequireAs<TTexture>("T.img");
    EXPECT_NE(texture->Image().TextureObject(), 0u);
    EXPECT_FALSE(texture->Image().HasPixels());  // freed after the upload
    DrawFullWindow(*texture);
    EXPECT_EQ(Pixel(WindowWidth() / 4, WindowHeight() / 2), (std::vector<std::uint8_t>{255, 0, 0, 255}));
    const std::vector<std::uint8_t> right = Pixel(3 * WindowWidth() / 4, WindowHeight() / 2);
    EXPECT_EQ(right[0], 0);
    EXPECT_EQ(right[1], 0);  // green, but fully transparent over black
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    texture->Release();
}

TEST_F(TextureGlTest, SizeChecksFollowTheDriver) {
    folder.WriteFile("Data/Npot.bmp", RedGreenBmp(100, 100));
    folder.WriteFile("Data/Pot.bmp", RedGreenBmp(256, 128));
    TTextureImage npot, pot;
    npot.LoadFromFile(ResolveFileName("Npot.img"));
    pot.LoadFromFile(ResolveFileName("Pot.img"));

    TGlCapabilities old;
    old.Major = 1;
    old.Minor = 4;
    old.MaxTextureSize = 2048;
    SetGlCapabilities(old);
    try {
        npot.Upload(true);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "The rendering context does not support non-power-of-two textures");
    }
    EXPECT_TRUE(npot.HasPixels());
    pot.Upload(true);
    EXPECT_NE(pot.TextureObject(), 0u);

    old.MaxTextureSize = 64;
    SetGlCapabilities(old);
    TTextureImage big(128, 64, TPixelFormat::Bgr8);
    try {
        big.Upload(true);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Texture is too large for the hardware");
    }

    // This context supports both: the 100 x 100 picture uploads, and KeepPixels keeps the store.
    ResetGlCapabilities();
    npot.KeepPixels = true;
    npot.Upload(true);
    EXPECT_NE(npot.TextureObject(), 0u);
    EXPECT_NE(npot.Row(99), nullptr);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
}  // namespace orbitfall

namespace orbitfall {
namespace {

// Every level of the bound texture's alpha, level 0 first.
std::vector<std::vector<std::uint8_t>> AlphaLevels(unsigned texture, int size) {
    std::vector<std::vector<std::uint8_t>> levels;
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int level = 0; (size >> level) > 0; ++level) {
        std::vector<std::uint8_t> texels(static_cast<std::size_t>(size >> level) * (size >> level));
        glGetTexImage(GL_TEXTURE_2D, level, GL_ALPHA, GL_UNSIGNED_BYTE, texels.data());
        levels.push_back(std::move(texels));
    }
    return levels;
}

void Scribble(TTextureImage& image, int firstRow, int rows, std::uint8_t seed) {
    for (int y = firstRow; y < firstRow + rows; ++y)
        for (int x = 0; x < image.Width(); ++x) image.Row(y)[x] = static_cast<std::uint8_t>(seed + 37 * x + 11 * y);
}

TEST_F(TextureGlTest, UpdatedRowsGiveEveryLevelAWholeUploadGives) {
    constexpr int Size = 64;
    TTextureImage updated(Size, Size, TPixelFormat::Alpha8);
    TTextureImage whole(Size, Size, TPixelFormat::Alpha8);
    updated.KeepPixels = whole.KeepPixels = true;
    EXPECT_FALSE(updated.UpdateRows(0, 1)) << "no texture object yet";
    updated.Upload(true);
    const unsigned object = updated.TextureObject();

    // Two changes, the second one partly over the first: rows 10..19, 15..39.
    Scribble(updated, 10, 10, 1);
    ASSERT_TRUE(updated.UpdateRows(10, 10));
    Scribble(updated, 15, 25, 99);
    ASSERT_TRUE(updated.UpdateRows(15, 25));
    EXPECT_EQ(updated.TextureObject(), object) << "the object is kept";

    Scribble(whole, 10, 10, 1);
    Scribble(whole, 15, 25, 99);
    whole.Upload(true);
    const auto a = AlphaLevels(updated.TextureObject(), Size);
    const auto b = AlphaLevels(whole.TextureObject(), Size);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t level = 0; level < a.size(); ++level) EXPECT_EQ(a[level], b[level]) << "level " << level;
    // The change reached the smaller levels: they differ from a never-changed texture.
    TTextureImage plain(Size, Size, TPixelFormat::Alpha8);
    plain.Upload(true);
    EXPECT_NE(AlphaLevels(plain.TextureObject(), Size)[1], a[1]);

    EXPECT_FALSE(updated.UpdateRows(60, 5)) << "rows beyond the picture";
}

}  // namespace
}  // namespace orbitfall
