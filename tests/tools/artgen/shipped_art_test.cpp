// Checks the shipped pictures for what the drawing code relies on: the names
// the game asks for, power-of-two sizes, the windows of the interface strip,
// transparent borders where billboards would otherwise show an edge, seams
// that join, the explosion's cell grid and the font's metrics.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/tools/artgen/picture_reader.h"

namespace {

using namespace orbitfall::testing;
namespace fs = std::filesystem;

const std::string Graphics = std::string(ORBITFALL_SOURCE_DIR) + "/Game/Data/Graphics/";

// The game's ".img" rule for the data folder: the name itself, then ".bmp",
// ".tga", ".png", ".jpg"; the loader accepts only the first two kinds.
std::string ResolveImg(const std::string& base) {
    for (const char* ext : {".img", ".bmp", ".tga", ".png", ".jpg"}) {
        if (fs::is_regular_file(Graphics + base + ext)) return Graphics + base + ext;
    }
    return {};
}

bool PowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

std::map<std::string, std::string> ReadConfig(const std::string& path) {
    std::map<std::string, std::string> entries;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        const auto eq = line.find('=');
        if (eq != std::string::npos && !entries.count(line.substr(0, eq))) entries[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return entries;
}

// Mean over 8-pixel bands next to each other: how much the picture changes
// from the band ending at `a` to the band starting at `b` (columns or rows,
// wrapping), summed along the other axis. Stars and grain average out; a seam
// in the haze shows as a step well above the picture's usual change.
double BandStep(const Image& img, bool columns, int a, int b) {
    const int along = columns ? img.width : img.height, across = columns ? img.height : img.width;
    double sum = 0;
    for (int i = 0; i < across; ++i) {
        double left = 0, right = 0;
        for (int k = 0; k < 8; ++k) {
            const int pa = ((a - k) % along + along) % along, pb = (b + k) % along;
            left += columns ? img.Luma(pa, i) : img.Luma(i, pa);
            right += columns ? img.Luma(pb, i) : img.Luma(i, pb);
        }
        sum += std::abs(left - right) / 8;
    }
    return sum / across;
}

// The seam may be no larger than the largest step between bands inside.
void ExpectSeamless(const Image& img, bool columns, const std::string& name) {
    const int along = columns ? img.width : img.height;
    double inner = 0;
    for (int b = 8; b + 8 <= along; b += 8) inner = std::max(inner, BandStep(img, columns, b - 1, b));
    EXPECT_LT(BandStep(img, columns, along - 1, 0), inner) << name << (columns ? " left-right" : " top-bottom") << ": seam "
        << BandStep(img, columns, along - 1, 0) << ", largest step inside " << inner;
}

TEST(ShippedArt, EveryTextureResolvesToALoadablePowerOfTwoPicture) {
    const char* names[] = {"Nebula",
                           "Textures/Laser",
                           "Background/Orion",
                           "Textures/Aura1",
                           "Textures/Selection",
                           "Textures/Kristallmond",
                           "Interfaces/Interface3b",
                           "Textures/BlueExplosion",
                           "Textures/Fog",
                           "Fonts/Verdana14B"};
    for (const char* name : names) {
        const std::string path = ResolveImg(name);
        ASSERT_FALSE(path.empty()) << name;
        EXPECT_TRUE(path.ends_with(".bmp") || path.ends_with(".tga")) << path << " is not a kind the loader decodes";
        const Image img = Decode(path);
        EXPECT_TRUE(PowerOfTwo(img.width) && PowerOfTwo(img.height)) << path << " " << img.width << "x" << img.height;
    }
}

TEST(ShippedArt, InterfaceStripIsKeyedExactlyInsideItsWindows) {
    const auto config = ReadConfig(Graphics + "Interfaces/Interface3b.config");
    ASSERT_FALSE(config.at("ColorKeyB").empty());
    const int key[3] = {std::stoi(config.at("ColorKeyR")), std::stoi(config.at("ColorKeyG")), std::stoi(config.at("ColorKeyB"))};
    const Image img = Decode(ResolveImg("Interfaces/Interface3b"));
    ASSERT_EQ(img.width, 1024);
    ASSERT_EQ(img.height, 256);
    // Interface units: x to the right, y up from the strip's bottom; row = 255 - y.
    auto keyed = [&](int x, int row) {
        const std::uint8_t* p = img.At(x, row);
        return p[0] == key[0] && p[1] == key[1] && p[2] == key[2];
    };
    auto inMinimap = [](int x, int y) { return x >= 28 && x < 228 && y >= 28 && y < 228; };
    auto inMiniscene = [](int x, int y) { return x >= 607 && x < 757 && y >= 26 && y < 176; };
    int wrong = 0;
    for (int row = 0; row < 256; ++row) {
        const int y = 255 - row;
        for (int x = 0; x < 1024; ++x) {
            const bool window = inMinimap(x, y) || inMiniscene(x, y);
            if (window && !keyed(x, row)) ++wrong;                // a view would be covered
            if (!window && y < 180 && keyed(x, row)) ++wrong;     // a hole in the console
        }
    }
    EXPECT_EQ(wrong, 0);
    // Above the console the main view shows through, apart from the frames
    // that rise round the two windows; right of them it is open everywhere.
    int open = 0;
    for (int row = 0; row < 76; ++row)
        for (int x = 820; x < 1024; ++x) open += keyed(x, row);
    EXPECT_EQ(open, 76 * 204);
}

TEST(ShippedArt, SelectionRingIsTransparentInsideAndOutside) {
    const Image colour = Decode(ResolveImg("Textures/Selection"));
    const Image alpha = Decode(ResolveImg("Textures/Selection.alpha"));
    // An alpha picture of another size would be ignored by the loader.
    ASSERT_EQ(colour.width, alpha.width);
    ASSERT_EQ(colour.height, alpha.height);
    const int h = alpha.width / 2;
    EXPECT_EQ(alpha.Luma(h, h), 0);
    EXPECT_EQ(alpha.Luma(h + h / 3, h - h / 4), 0);
    for (int corner : {0, alpha.width - 1}) EXPECT_EQ(alpha.Luma(corner, corner), 0);
    int maxOnRing = 0;
    for (int dx = 0; dx < h; ++dx) maxOnRing = std::max(maxOnRing, alpha.Luma(h + dx, h / 4));
    EXPECT_EQ(maxOnRing, 255);
    // The colour is white, so the owner's colour shows unchanged.
    EXPECT_EQ(colour.Luma(h, 4), 255);
}

TEST(ShippedArt, BillboardsFadeOutBeforeTheirEdges) {
    // Alpha from a companion picture's luminance, or from the picture's own.
    struct Case {
        const char* alphaPicture;
    };
    for (const Case& c : {Case{"Nebula.alpha"}, Case{"Textures/Aura1"}}) {
        const Image img = Decode(ResolveImg(c.alphaPicture));
        int maxEdge = 0, maxAll = 0;
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x) {
                const int a = img.Luma(x, y);
                maxAll = std::max(maxAll, a);
                if (x == 0 || y == 0 || x == img.width - 1 || y == img.height - 1) maxEdge = std::max(maxEdge, a);
            }
        EXPECT_EQ(maxEdge, 0) << c.alphaPicture;
        EXPECT_GT(maxAll, 150) << c.alphaPicture;
    }
    EXPECT_EQ(ReadConfig(Graphics + "Textures/Aura1.config").at("SelfAlpha"), "1");
    // The alpha picture must match the nebula's size, or the loader ignores it;
    // the colour stays light so the nebula's own colour tints it.
    const Image nebula = Decode(ResolveImg("Nebula"));
    const Image alpha = Decode(ResolveImg("Nebula.alpha"));
    EXPECT_EQ(nebula.width, alpha.width);
    EXPECT_EQ(nebula.height, alpha.height);
    EXPECT_GT(nebula.Luma(nebula.width / 2, nebula.height / 2), 200);
}

TEST(ShippedArt, RepeatedPicturesJoinWithoutSeams) {
    struct Case {
        const char* name;
        bool acrossRowsToo;
    };
    for (const Case& c : {Case{"Background/Orion", false}, Case{"Textures/Fog", true}}) {
        const Image img = Decode(ResolveImg(c.name));
        ExpectSeamless(img, true, c.name);
        if (c.acrossRowsToo) ExpectSeamless(img, false, c.name);
    }
}

TEST(ShippedArt, LaserColumnAtFiveEighthsIsABrightBeam) {
    const Image img = Decode(ResolveImg("Textures/Laser"));
    const int column = img.width * 5 / 8;
    EXPECT_EQ(img.At(column, img.height / 2)[3], 255);
    EXPECT_GT(img.Luma(column, img.height / 2), 240);
    EXPECT_EQ(img.At(column, 0)[3], 0);
    EXPECT_EQ(img.At(column, img.height - 1)[3], 0);
}

TEST(ShippedArt, ExplosionHoldsFourteenCellsInAGridOfEightByTwo) {
    const Image img = Decode(ResolveImg("Textures/BlueExplosion"));
    ASSERT_EQ(img.width, 4 * img.height);  // square cells
    const int cell = img.width / 8;
    std::vector<long> coverage;
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 8; ++col) {
            long sum = 0;
            int border = 0;
            for (int y = 0; y < cell; ++y)
                for (int x = 0; x < cell; ++x) {
                    const int a = img.At(col * cell + x, row * cell + y)[3];
                    sum += a;
                    if (x < 2 || y < 2 || x >= cell - 2 || y >= cell - 2) border = std::max(border, a);
                }
            EXPECT_EQ(border, 0) << "cell " << col << "," << row << " reaches its neighbours";
            if (col == 7) {
                EXPECT_EQ(sum, 0) << "the eighth column is unused";
            } else {
                EXPECT_GT(sum, 0) << "frame " << row * 7 + col << " is empty";
                coverage.push_back(sum);
            }
        }
    ASSERT_EQ(coverage.size(), 14u);
    EXPECT_GT(coverage.front(), 0);
    EXPECT_LT(coverage.back(), coverage[6]) << "the last frame should have faded";
}

TEST(ShippedArt, FontMetricsCoverLatinOneInOneLineHeight) {
    const Image img = Decode(ResolveImg("Fonts/Verdana14B"));
    const std::vector<std::uint8_t> bmf = ReadBytes(Graphics + "Fonts/Verdana14B.bmf");
    ASSERT_EQ(bmf.size() % 9, 0u);
    std::set<int> codes;
    std::map<int, long> ink;
    unsigned lineHeight = 0;
    for (std::size_t i = 0; i < bmf.size(); i += 9) {
        const int code = bmf[i];
        const unsigned x = U16(bmf, i + 1), y = U16(bmf, i + 3), w = U16(bmf, i + 5), h = U16(bmf, i + 7);
        EXPECT_TRUE(codes.insert(code).second) << "code " << code << " twice";
        if (lineHeight == 0) lineHeight = h;
        EXPECT_EQ(h, lineHeight) << "code " << code;
        EXPECT_GT(w, 0u) << "code " << code;
        ASSERT_LE(x + w, static_cast<unsigned>(img.width)) << "code " << code;
        ASSERT_LE(y + h, static_cast<unsigned>(img.height)) << "code " << code;
        long sum = 0;
        for (unsigned yy = y; yy < y + h; ++yy)
            for (unsigned xx = x; xx < x + w; ++xx) sum += img.Luma(static_cast<int>(xx), static_cast<int>(yy));
        ink[code] = sum;
    }
    std::set<int> expected;
    for (int c = 32; c <= 126; ++c) expected.insert(c);
    for (int c = 160; c <= 255; ++c) expected.insert(c);
    EXPECT_EQ(codes, expected);
    EXPECT_GE(lineHeight, 14u);
    EXPECT_EQ(ink.at(' '), 0);
    EXPECT_EQ(ink.at(160), 0);
    for (int c : {int{'A'}, int{'g'}, int{'0'}, 0xc4, 0xd6, 0xdc, 0xe4, 0xf6, 0xfc, 0xdf}) EXPECT_GT(ink.at(c), 0) << "code " << c;
    // Umlauts carry their dots: more ink than the bare vowel.
    EXPECT_GT(ink.at(0xe4), ink.at('a'));
    EXPECT_GT(ink.at(0xd6), ink.at('O'));
}

TEST(ShippedArt, IconsArePngsOfTheirNamedSize) {
    for (int size : {48, 64, 128, 256}) {
        const std::string path = std::string(ORBITFALL_SOURCE_DIR) + "/packaging/icons/orbitfall-" + std::to_string(size) + ".png";
        const std::vector<std::uint8_t> b = ReadBytes(path);
        ASSERT_GT(b.size(), 33u) << path;
        EXPECT_EQ(std::string(b.begin() + 1, b.begin() + 4), "PNG") << path;
        EXPECT_EQ(std::string(b.begin() + 12, b.begin() + 16), "IHDR") << path;
        auto be32 = [&](std::size_t at) { return (b[at] << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3]; };
        EXPECT_EQ(be32(16), size) << path;
        EXPECT_EQ(be32(20), size) << path;
        EXPECT_EQ(b[25], 6) << path << " should be RGBA";
    }
}

}  // namespace
