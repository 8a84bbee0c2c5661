// The graphics-card report without a GL context: its lines, the extension
// rule and what a failing file does.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "infra/errors.h"
#include "render/graphic_card_report.h"
#include "tests/support/temp_folder.h"

namespace orbitfall {
namespace {

struct SplitCase {
    const char* name;
    std::string extensions;
    std::vector<std::string> lines;
};

class ExtensionLines : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ExtensionLines, CutAfterEverySpace) {
    EXPECT_EQ(SplitExtensionLines(GetParam().extensions), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtensionLines,
    ::testing::Values(SplitCase{"Empty", "", {}},
                      SplitCase{"TwoNamesEachWithSpace", "GL_A GL_B ", {"GL_A ", "GL_B "}},
                      SplitCase{"LastNameWithoutSpace", "GL_A GL_B", {"GL_A ", "GL_B"}},
                      SplitCase{"DoubleSpaceGivesASpaceLine", "GL_A  GL_B ", {"GL_A ", " ", "GL_B "}},
                      SplitCase{"OnlyASpace", " ", {" "}},
                      SplitCase{"LeadingSpace", " GL_A", {" ", "GL_A"}},
                      SplitCase{"OneName", "GL_A", {"GL_A"}}),
    [](const auto& info) { return std::string(info.param.name); });

TGraphicCardInfo SampleInfo() {
    TGraphicCardInfo info;
    info.Renderer = "llvmpipe (LLVM 15.0.6, 256 bits)";
    info.Vendor = "Mesa";
    info.Version = "4.5 (Compatibility Profile) Mesa 22.3.6";
    info.Extensions = "GL_ARB_multitexture GL_EXT_bgra ";
    info.MaxLights = 8;
    info.MaxClipPlanes = 8;
    info.MaxModelviewStackDepth = 32;
    info.MaxProjectionStackDepth = 32;
    info.MaxTextureStackDepth = 10;
    info.MaxTextureSize = 16384;
    info.MaxListNesting = 64;
    info.MaxViewportWidth = 4096;
    info.MaxViewportHeight = 4096;
    info.MaxTextureUnits = 8;
    info.AuxBuffers = 0;
    info.DoubleBuffer = true;
    info.Stereo = false;
    info.MaxGeneralCombiners = 99;   // must not show without the extension
    return info;
}

const char* const kSampleReport =
    "Renderer llvmpipe (LLVM 15.0.6, 256 bits)\r\n"
    "Vendor Mesa\r\n"
    "Version 4.5 (Compatibility Profile) Mesa 22.3.6\r\n"
    "\r\n"
    "#Lights 8\r\n"
    "#Clipplanes 8\r\n"
    "#Modelview stack depth 32\r\n"
    "#Projection stack depth 32\r\n"
    "#Texture stack depth 10\r\n"
    "Max texture size 16384\r\n"
    "Max list nesting 64\r\n"
    "Max viewport dims 4096x4096\r\n"
    "#Textureunits 8\r\n"
    "#Aux buffers 0\r\n"
    "Doublebuffer [x] \r\n"
    "Stereo [ ] \r\n"
    "\r\n"
    "OpenGL extensions\r\n"
    "-----------------\r\n"
    "GL_ARB_multitexture \r\n"
    "GL_EXT_bgra \r\n"
    "-----------------\r\n";

TEST(GraphicCardReport, LinesOfADriverWithoutRegisterCombiners) {
    EXPECT_EQ(FormatGraphicCardReport(SampleInfo()), kSampleReport);
}

TEST(GraphicCardReport, RegisterCombinerLineSitsBetweenStereoAndTheEmptyLine) {
    TGraphicCardInfo info = SampleInfo();
    info.Extensions = "GL_ARB_multitexture GL_NV_register_combiners";
    info.MaxGeneralCombiners = 8;
    info.DoubleBuffer = false;
    info.Stereo = true;
    const std::string report = FormatGraphicCardReport(info);
    EXPECT_NE(report.find("Doublebuffer [ ] \r\nStereo [x] \r\n#Registercombiners 8\r\n\r\nOpenGL extensions\r\n"),
              std::string::npos)
        << report;
    // The last name has no space after it, and neither has its line.
    EXPECT_NE(report.find("\r\nGL_ARB_multitexture \r\nGL_NV_register_combiners\r\n-----------------\r\n"),
              std::string::npos)
        << report;
}

TEST(GraphicCardReport, NoExtensionsGiveTheTwoRulesTogether) {
    TGraphicCardInfo info = SampleInfo();
    info.Extensions = "";
    const std::string report = FormatGraphicCardReport(info);
    const std::string tail = "OpenGL extensions\r\n-----------------\r\n-----------------\r\n";
    ASSERT_GE(report.size(), tail.size());
    EXPECT_EQ(report.substr(report.size() - tail.size()), tail);
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(GraphicCardReport, FileHoldsExactlyTheReportAndIsReplaced) {
    testing::TempFolder folder;
    const std::string path = folder.WriteFile("GraphicCardInfo.txt", std::string(5000, 'x'));
    EXPECT_TRUE(WriteGraphicCardReport(path, SampleInfo()));
    EXPECT_EQ(ReadAll(path), kSampleReport);
}

// The report's fixed name in the user folder once followed a symbolic link
// there and emptied whatever file it pointed to.
TEST(GraphicCardReport, LinkAtTheNameIsReplacedAndItsTargetKept) {
    testing::TempFolder folder;
    const std::string victim = folder.WriteFile("victim.txt", "keep");
    const std::string path = folder.Path() + "GraphicCardInfo.txt";
    ASSERT_EQ(symlink(victim.c_str(), path.c_str()), 0);
    EXPECT_TRUE(WriteGraphicCardReport(path, SampleInfo()));
    EXPECT_EQ(ReadAll(victim), "keep");
    EXPECT_EQ(ReadAll(path), kSampleReport);
}

TEST(GraphicCardReport, FileThatCannotBeCreatedRaises) {
    testing::TempFolder folder;
    EXPECT_THROW(WriteGraphicCardReport(folder.Path() + "missing/GraphicCardInfo.txt", SampleInfo()), EFCreateError);
}

TEST(GraphicCardReport, FailingWriteAnswersFalse) {
    // /dev/full opens but refuses every byte.
    EXPECT_FALSE(WriteGraphicCardReport("/dev/full", SampleInfo()));
}

}  // namespace
}  // namespace orbitfall
