#include "render/texture_config.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "infra/errors.h"

using namespace orbitfall;

TEST(TextureConfig, KeysAndValuesAsTheFileStatesThem) {
    struct Case {
        const char* text;
        bool colorKey;
        int r, g, b;
        bool selfAlpha;
    };
    const std::vector<Case> cases = {
        {"", false, 0, 0, 0, false},
        // Without a blue value there is no colour key.
        {"ColorKeyR=255\r\nColorKeyG=0\r\n", false, 255, 0, 0, false},
        {"ColorKeyR=255\r\nColorKeyG=0\r\nColorKeyB=255\r\n", true, 255, 0, 255, false},
        {"colorkeyb=7\nCOLORKEYR=3", true, 3, 0, 7, false},   // any letter case; green missing counts as 0
        {"ColorKeyB=10\rColorKeyB=20", true, 0, 0, 10, false},  // the first line of a key counts
        {"ColorKeyB=", false, 0, 0, 0, false},
        {"ColorKeyR=\nColorKeyB=0", true, 0, 0, 0, false},
        {"SelfAlpha=1", false, 0, 0, 0, true},
        {"SELFALPHA=1", false, 0, 0, 0, true},
        {"SelfAlpha=true", false, 0, 0, 0, false},
        {"SelfAlpha=1 ", false, 0, 0, 0, false},
        {"SelfAlpha = 1", false, 0, 0, 0, false},  // the key is "SelfAlpha " here
        {"no equals sign\nColorKeyB=+5", true, 0, 0, 5, false},
    };
    for (const Case& c : cases) {
        const TTextureConfig config = ParseTextureConfig(c.text);
        EXPECT_EQ(config.ColorKey, c.colorKey) << c.text;
        EXPECT_EQ(config.R, c.r) << c.text;
        EXPECT_EQ(config.G, c.g) << c.text;
        EXPECT_EQ(config.B, c.b) << c.text;
        EXPECT_EQ(config.SelfAlpha, c.selfAlpha) << c.text;
    }
}

TEST(TextureConfig, ValuesOutsideAByteOrNotNumbersAreErrors) {
    const std::string forty(40, '9');
    struct Case {
        std::string text;
        bool range;  // else a conversion error
        std::string message;
    };
    const std::vector<Case> cases = {
        {"ColorKeyB=256", true, "Range check error"},
        {"ColorKeyR=-1\nColorKeyB=0", true, "Range check error"},
        {"ColorKeyG=abc", false, "'abc' ist kein gültiger Integerwert"},
        {"ColorKeyB=" + forty, false, "'" + forty + "' ist kein gültiger Integerwert"},
        {"ColorKeyB==5", false, "'=5' ist kein gültiger Integerwert"},
        {"ColorKeyB=0x10", false, "'0x10' ist kein gültiger Integerwert"},
    };
    for (const Case& c : cases) {
        try {
            ParseTextureConfig(c.text);
            ADD_FAILURE() << c.text;
        } catch (const ERangeError& e) {
            EXPECT_TRUE(c.range) << c.text;
            EXPECT_EQ(e.Message(), c.message);
        } catch (const EConvertError& e) {
            EXPECT_FALSE(c.range) << c.text;
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

TEST(TextureConfig, CompanionNamesReplaceTheLastExtension) {
    EXPECT_EQ(ChangeExtension("Graphics\\Textures\\Laser.img", ".alpha.img"), "Graphics\\Textures\\Laser.alpha.img");
    EXPECT_EQ(ChangeExtension("Graphics\\Textures\\Laser.img", ".config"), "Graphics\\Textures\\Laser.config");
    EXPECT_EQ(ChangeExtension("a.b.tga", ".config"), "a.b.config");
    EXPECT_EQ(ChangeExtension("Graphics\\v1.0\\Laser", ".config"), "Graphics\\v1.0\\Laser.config");
    EXPECT_EQ(ChangeExtension("Laser", ".config"), "Laser.config");
}
