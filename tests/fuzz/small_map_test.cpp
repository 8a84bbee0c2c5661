// The fuzzing data folder's copies of the shipped maps: small, and still the
// same maps for the loader.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "fuzz/small_map.h"
#include "infra/numeric.h"
#include "infra/xml_item.h"
#include "infra/xml_parser.h"

using orbitfall::StrToFloat;
using orbitfall::StrToInt;
using orbitfall::TECXMLParser;
using orbitfall::TXMLItem;
using orbitfall::fuzz::ShrinkMap;

namespace {

std::string Shipped(const char* name) {
    std::ifstream in(std::string(ORBITFALL_SOURCE_DIR) + "/Game/Data/Maps/" + name + ".ofm", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct TParsedMap {
    TECXMLParser document;
    explicit TParsedMap(const std::string& text) { document.LoadFromString(text); }
    TXMLItem& Info() { return document.Root().ItemNamed("Informations"); }
    TXMLItem& Objects() { return document.Root().ItemNamed("Objects"); }
    int Side(const char* name) { return StrToInt(Info().ItemNamed(name).Text()); }
    double Attribute(int object, const char* name) {
        return StrToFloat(Objects().Items(object).Attributes().Value(name));
    }
};

const char* const Oblong =
    "<Map><Informations><Name>Lang</Name><Width>300</Width><Height>150</Height></Informations>"
    "<Objects><Nebula Radius=\"15\" X=\"150\" Y=\"-30\"/><Start Player=\"2\" X=\"299.5\" Y=\"1e2\"/>"
    "</Objects></Map>";

}  // namespace

TEST(ShrinkMap, EveryShippedMapKeepsItsObjectsScaledIntoTheSmallSize) {
    for (const char* name : {"Kreuzung", "Training", "Weite", "Zweikampf"}) {
        SCOPED_TRACE(name);
        const std::string text = Shipped(name);
        ASSERT_FALSE(text.empty());
        TParsedMap before(text), after(ShrinkMap(text, 64));
        const double scale = 64.0 / std::max(before.Side("Width"), before.Side("Height"));
        EXPECT_LE(after.Side("Width"), 64);
        EXPECT_LE(after.Side("Height"), 64);
        EXPECT_EQ(after.Info().ItemNamed("Name").Text(), before.Info().ItemNamed("Name").Text());
        ASSERT_EQ(after.Objects().Count(), before.Objects().Count());
        for (int i = 0; i < before.Objects().Count(); ++i) {
            EXPECT_EQ(after.Objects().Items(i).Name(), before.Objects().Items(i).Name());
            EXPECT_NEAR(after.Attribute(i, "X"), before.Attribute(i, "X") * scale, 1e-3);
            EXPECT_NEAR(after.Attribute(i, "Y"), before.Attribute(i, "Y") * scale, 1e-3);
            // Inside the small map as they were inside the shipped one.
            EXPECT_LE(after.Attribute(i, "X"), after.Side("Width"));
            EXPECT_LE(after.Attribute(i, "Y"), after.Side("Height"));
        }
    }
}

TEST(ShrinkMap, ScalesBothSidesByTheLargerOneAndKeepsEverythingElse) {
    TParsedMap after(ShrinkMap(Oblong, 64));
    EXPECT_EQ(after.Side("Width"), 64);
    EXPECT_EQ(after.Side("Height"), 32);
    EXPECT_NEAR(after.Attribute(0, "Radius"), 3.2, 1e-4);
    EXPECT_NEAR(after.Attribute(0, "X"), 32, 1e-4);
    EXPECT_NEAR(after.Attribute(0, "Y"), -6.4, 1e-4);
    // Exponent notation is read as a number, and the player is no position.
    EXPECT_NEAR(after.Attribute(1, "X"), 63.8933, 1e-3);
    EXPECT_NEAR(after.Attribute(1, "Y"), 21.3333, 1e-3);
    EXPECT_EQ(StrToInt(after.Objects().Items(1).Attributes().Value("Player")), 2);
}

TEST(ShrinkMap, SmallEnoughMapsComeBackByteForByte) {
    const std::string text = Shipped("Zweikampf");
    EXPECT_EQ(ShrinkMap(text, 300), text);
    EXPECT_EQ(ShrinkMap(text, 1000), text);
    EXPECT_NE(ShrinkMap(text, 299), text);
}
