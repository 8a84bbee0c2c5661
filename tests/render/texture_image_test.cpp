// The pixel rules of TTextureImage that need no GL context: decoding into the
// store, alpha from another picture, from a colour key and from a fill colour.
#include "render/texture_image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "infra/errors.h"
#include "render/decoded_image.h"
#include "tests/support/image_bytes.h"
#include "tests/support/temp_folder.h"

using namespace orbitfall;
using namespace orbitfall::testing;

namespace {

// A top-down 24-bit TGA from blue-green-red triples.
std::string Tga24(int width, int height, const std::vector<std::array<int, 3>>& bgr) {
    std::string pixels;
    for (const auto& p : bgr) pixels += Bytes({p[0], p[1], p[2]});
    return MakeTga(2, width, height, 24, 0x20, pixels);
}

std::vector<int> Alphas(TTextureImage& image) {
    std::vector<int> out;
    const int bytes = BytesPerPixel(image.PixelFormat());
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const std::uint8_t* p = image.Row(y) + x * bytes;
            switch (image.PixelFormat()) {
                case TPixelFormat::Bgra8: out.push_back(p[3]); break;
                case TPixelFormat::LuminanceAlpha8: out.push_back(p[1]); break;
                case TPixelFormat::Alpha8: out.push_back(p[0]); break;
                case TPixelFormat::Argb1555: out.push_back(p[1] >> 7); break;
                default: out.push_back(-1);
            }
        }
    return out;
}

class TextureImageTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) { return tmp.WriteFile(name, bytes); }
    TempFolder tmp;
};

}  // namespace

TEST_F(TextureImageTest, SizedImagesStartWithEveryByte255) {
    TTextureImage fog(3, 2, TPixelFormat::Alpha8);
    EXPECT_EQ(fog.Pixels(), std::vector<std::uint8_t>(6, 255));
    TTextureImage colour(2, 2, TPixelFormat::Bgra8);
    EXPECT_EQ(colour.Pixels(), std::vector<std::uint8_t>(16, 255));
    EXPECT_EQ(colour.Row(1), colour.Row(0) + 8);
    EXPECT_EQ(colour.Row(2), nullptr);
    EXPECT_EQ(colour.Row(-1), nullptr);
    EXPECT_EQ(TTextureImage().Row(0), nullptr);
}

TEST_F(TextureImageTest, AlphaImageLuminanceBecomesAlphaAndColoursStay) {
    TTextureImage image;
    image.LoadFromFile(Write("c.tga", Tga24(4, 1, {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {1, 2, 3}})));
    ASSERT_EQ(image.PixelFormat(), TPixelFormat::Bgr8);
    // Black, mid grey, white, pure green (0.59 of full).
    image.AddAlphaFromFile(Write("a.tga", Tga24(4, 1, {{0, 0, 0}, {128, 128, 128}, {255, 255, 255}, {0, 255, 0}})));
    ASSERT_EQ(image.PixelFormat(), TPixelFormat::Bgra8);
    EXPECT_EQ(Alphas(image), (std::vector<int>{0, 128, 255, 150}));
    EXPECT_EQ(std::vector<int>(image.Row(0), image.Row(0) + 3), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(std::vector<int>(image.Row(0) + 12, image.Row(0) + 15), (std::vector<int>{1, 2, 3}));
}

TEST_F(TextureImageTest, AlphaRulesFollowEachFormatsRange) {
    // Grey source 0, 100, 200, 255 on the formats with and without alpha.
    const std::string alpha = Write("a.tga", MakeTga(3, 4, 1, 8, 0x20, Bytes({0, 100, 200, 255})));
    struct Case {
        const char* name;
        std::string file;
        TPixelFormat after;
        std::vector<int> alphas;
    };
    const std::vector<Case> cases = {
        {"grey gains an alpha byte", MakeTga(3, 4, 1, 8, 0x20, std::string(4, 'x')), TPixelFormat::Alpha8,
         {0, 100, 200, 255}},
        {"1-bit alpha rounds", MakeTga(2, 4, 1, 16, 0x21, std::string(8, '\0')), TPixelFormat::Argb1555,
         {0, 0, 1, 1}},
        {"32-bit", MakeTga(2, 4, 1, 32, 0x28, std::string(16, '\0')), TPixelFormat::Bgra8, {0, 100, 200, 255}},
    };
    for (const Case& c : cases) {
        TTextureImage image;
        image.LoadFromFile(Write("t.tga", c.file));
        image.AddAlphaFromFile(alpha);
        EXPECT_EQ(image.PixelFormat(), c.after) << c.name;
        EXPECT_EQ(Alphas(image), c.alphas) << c.name;
    }
}

TEST_F(TextureImageTest, AlphaImageOfAnotherSizeChangesNothing) {
    TTextureImage image;
    image.LoadFromFile(Write("c.tga", Tga24(2, 1, {{1, 2, 3}, {4, 5, 6}})));
    const std::vector<std::uint8_t> before = image.Pixels();
    image.AddAlphaFromFile(Write("a.tga", Tga24(1, 2, {{255, 255, 255}, {0, 0, 0}})));
    EXPECT_EQ(image.PixelFormat(), TPixelFormat::Bgr8);
    EXPECT_EQ(image.Pixels(), before);
}

TEST_F(TextureImageTest, AlphaFromFileWithoutAStoreIsAnAssertion) {
    TTextureImage image;
    const std::string alpha = Write("a.tga", Tga24(1, 1, {{0, 0, 0}}));
    EXPECT_THROW(image.AddAlphaFromFile(alpha), Exception);
    EXPECT_FALSE(image.HasPixels());
}

TEST_F(TextureImageTest, ColourKeyMakesExactlyTheMatchingPixelsTransparent) {
    const std::string file =
        Write("k.tga", Tga24(4, 1, {{255, 0, 255}, {255, 0, 254}, {0, 0, 0}, {255, 255, 255}}));
    struct Case {
        unsigned deviation;
        std::vector<int> alphas;
    };
    for (const Case& c : {Case{0, {0, 255, 255, 255}}, Case{1, {0, 0, 255, 255}}, Case{255, {0, 0, 0, 0}}}) {
        TTextureImage image;
        image.LoadFromFile(file);
        image.AddAlphaFromColorKey(255, 0, 255, c.deviation);
        EXPECT_EQ(Alphas(image), c.alphas) << "deviation " << c.deviation;
    }
    // 1-5-5-5 colour: the key is scaled to the 5-bit channels.
    TTextureImage packed;
    packed.LoadFromFile(Write("p.tga", MakeTga(2, 2, 1, 16, 0x21, Bytes({0x1F, 0xFC, 0x1F, 0xF0}))));
    ASSERT_EQ(packed.PixelFormat(), TPixelFormat::Argb1555);
    packed.AddAlphaFromColorKey(255, 0, 255, 0);
    EXPECT_EQ(Alphas(packed), (std::vector<int>{0, 1}));
}

TEST_F(TextureImageTest, FillWithColourScalesToEachLayout) {
    struct Case {
        const char* name;
        std::string file;
        std::vector<std::uint8_t> pixel;
    };
    const std::vector<Case> cases = {
        {"32-bit", MakeTga(2, 1, 1, 32, 0x28, std::string(4, '\0')), {30, 20, 10, 40}},
        {"24-bit", MakeTga(2, 1, 1, 24, 0x20, std::string(3, '\0')), {30, 20, 10}},
        {"1-5-5-5", MakeTga(2, 1, 1, 16, 0x21, std::string(2, '\0')), {0x44, 0x04}},  // r 1, g 2, b 4, a 0
        {"grey with alpha", MakeTga(3, 1, 1, 16, 0x28, std::string(2, '\0')), {18, 40}},
        {"alpha only", MakeTga(3, 1, 1, 8, 0x20, std::string(1, '\0')), {40}},
    };
    for (const Case& c : cases) {
        TTextureImage image;
        image.LoadFromFile(Write("f.tga", c.file));
        image.FillWithColor(10, 20, 30, 40);
        EXPECT_EQ(image.Pixels(), c.pixel) << c.name;
    }
}

TEST_F(TextureImageTest, CompressedPicturesAreDecompressedToTakeAnAlpha) {
    const std::string dxt1 = MakeDds(4, 4, kDdsFourCc, "DXT1", 0, {}, Bytes({0x00, 0xF8, 0x1F, 0x00, 0, 0, 0, 0}));
    TTextureImage image;
    image.LoadFromFile(Write("c.dds", dxt1));
    EXPECT_EQ(image.PixelFormat(), TPixelFormat::Dxt1);
    EXPECT_EQ(image.Row(0), nullptr);
    image.AddAlphaFromColorKey(255, 0, 0, 0);
    ASSERT_EQ(image.PixelFormat(), TPixelFormat::Bgra8);
    EXPECT_EQ(Alphas(image), std::vector<int>(16, 0));
}

TEST_F(TextureImageTest, LoadingFailuresKeepTheirErrors) {
    TTextureImage image;
    EXPECT_THROW(image.LoadFromFile(tmp.Path() + "missing.tga"), EFOpenError);
    try {
        image.LoadFromFile(Write("x.png", Bytes({0x89, 'P', 'N', 'G', 13, 10, 26, 10})));
        ADD_FAILURE();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Image data type not recognized");
    }
}
