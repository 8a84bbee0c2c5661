// A texture's picture and its ".alpha.img" and ".config" companions, found
// through the data folders, without the upload.
#include "render/texture_loader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "tests/support/image_bytes.h"
#include "tests/support/temp_folder.h"

using namespace orbitfall;
using namespace orbitfall::testing;

namespace {

// A top-down 24-bit BMP of size x size pixels, each pixel from colour(x, y).
template <class Colour>
std::string Bmp24(int size, Colour colour) {
    std::string pixels;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const std::array<int, 3> c = colour(x, y);  // red, green, blue
            pixels += Bytes({c[2], c[1], c[0]});
        }
        while (pixels.size() % 4) pixels += '\0';
    }
    BmpSpec spec;
    spec.width = size;
    spec.height = -size;
    spec.pixels = pixels;
    return MakeBmp(spec);
}

int AlphaAt(TTextureImage& image, int x, int y) { return image.Row(y)[x * 4 + 3]; }

class TextureLoaderTest : public ::testing::Test {
protected:
    void SetUp() override { SetDataDirs(tmp.Path() + "Data/", tmp.Path() + "User/"); }
    void TearDown() override { ClearDataDirs(); }
    void Data(const std::string& name, const std::string& bytes) { tmp.WriteFile("Data/" + name, bytes); }
    TempFolder tmp;
};

const auto kGrey = [](int, int) { return std::array<int, 3>{128, 128, 128}; };

}  // namespace

TEST_F(TextureLoaderTest, WhiteCircleAlphaImageGradesTheEdge) {
    const int size = 16;
    Data("Graphics/Textures/Laser.bmp", Bmp24(size, kGrey));
    // A white disc of radius 6 on black, its edge one pixel of grey.
    Data("Graphics/Textures/Laser.alpha.bmp", Bmp24(size, [](int x, int y) {
             const double d = std::hypot(x + 0.5 - 8, y + 0.5 - 8);
             const int v = d < 6 ? 255 : d < 7 ? 100 : 0;
             return std::array<int, 3>{v, v, v};
         }));
    TTextureImage image;
    LoadTextureImage(image, "Graphics\\Textures\\Laser.img");
    ASSERT_EQ(image.PixelFormat(), TPixelFormat::Bgra8);
    EXPECT_EQ(AlphaAt(image, 8, 8), 255);
    EXPECT_EQ(AlphaAt(image, 0, 0), 0);
    EXPECT_EQ(AlphaAt(image, 15, 8), 0);
    EXPECT_EQ(AlphaAt(image, 14, 8), 100);  // distance 6.5
    EXPECT_EQ(image.Row(0)[0], 128);        // colours untouched
}

TEST_F(TextureLoaderTest, ConfigurationKeysAndTheirOrder) {
    // Magenta, near magenta, black, white.
    const auto colours = [](int x, int) {
        const std::array<std::array<int, 3>, 4> c = {{{255, 0, 255}, {255, 0, 254}, {0, 0, 0}, {255, 255, 255}}};
        return c[x % 4];
    };
    struct Case {
        const char* name;
        const char* config;
        bool alphaImage;
        std::vector<int> alphas;  // of the first four pixels, or empty: no alpha channel
    };
    const std::vector<Case> cases = {
        {"colour key", "ColorKeyR=255\r\nColorKeyG=0\r\nColorKeyB=255\r\n", false, {0, 255, 255, 255}},
        {"blue missing: no key", "ColorKeyR=255\r\nColorKeyG=0\r\n", false, {}},
        {"self-alpha", "SelfAlpha=1", false, {105, 104, 0, 255}},
        {"self-alpha as a word", "SelfAlpha=true", false, {}},
        // The configuration comes after the alpha image and wins.
        {"key over alpha image", "ColorKeyB=255\nColorKeyR=255", true, {0, 255, 255, 255}},
        {"alpha image alone", "", true, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        SetDataDirs(folder.Path() + "Data/", folder.Path() + "User/");
        folder.WriteFile("Data/T.bmp", Bmp24(4, colours));
        folder.WriteFile("Data/T.config", c.config);
        if (c.alphaImage) folder.WriteFile("Data/T.alpha.bmp", Bmp24(4, [](int, int) { return std::array<int, 3>{0, 0, 0}; }));
        TTextureImage image;
        LoadTextureImage(image, "T.img");
        if (c.alphas.empty()) {
            EXPECT_EQ(image.PixelFormat(), TPixelFormat::Bgr8) << c.name;
            continue;
        }
        ASSERT_EQ(image.PixelFormat(), TPixelFormat::Bgra8) << c.name;
        EXPECT_EQ((std::vector<int>{AlphaAt(image, 0, 0), AlphaAt(image, 1, 0), AlphaAt(image, 2, 0),
                                    AlphaAt(image, 3, 0)}),
                  c.alphas)
            << c.name;
    }
}

TEST_F(TextureLoaderTest, UserCompanionsOverrideShippedOnes) {
    Data("T.bmp", Bmp24(2, kGrey));
    Data("T.config", "SelfAlpha=1");
    tmp.WriteFile("User/T.config", "SelfAlpha=0");
    TTextureImage image;
    LoadTextureImage(image, "T.img");
    EXPECT_EQ(image.PixelFormat(), TPixelFormat::Bgr8);
}

TEST_F(TextureLoaderTest, FailuresPropagate) {
    TTextureImage image;
    EXPECT_THROW(LoadTextureImage(image, "Graphics\\Missing.img"), EFOpenError);

    Data("OnlyPng.png", Bytes({0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13}));
    try {
        LoadTextureImage(image, "OnlyPng.img");
        ADD_FAILURE();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Image data type not recognized");
    }

    Data("Bad.bmp", Bmp24(2, kGrey));
    Data("Bad.config", "ColorKeyB=abc");
    EXPECT_THROW(LoadTextureImage(image, "Bad.img"), EConvertError);
    Data("Bad.config", "ColorKeyB=256");
    EXPECT_THROW(LoadTextureImage(image, "Bad.img"), ERangeError);
}
