// The graphics-card report of a real context, checked against what the
// context itself answers.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "render/graphic_card_report.h"
#include "tests/support/gl_test_window.h"
#include "tests/support/temp_folder.h"

namespace orbitfall {
namespace {

std::vector<std::string> ReportLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    const std::string text = buffer.str();
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "text after the last CR LF: " << text.substr(start);
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string Integer(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return std::to_string(value);
}

std::string String(GLenum name) { return reinterpret_cast<const char*>(glGetString(name)); }

using GraphicCardReportGl = testing::GlTest;

TEST_F(GraphicCardReportGl, LinesMatchTheContext) {
    testing::TempFolder folder;
    const std::string path = folder.Path() + "GraphicCardInfo.txt";
    ASSERT_TRUE(WriteGraphicCardReport(path, QueryGraphicCardInfo()));
    const std::vector<std::string> lines = ReportLines(path);

    GLint dims[2] = {-1, -1};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
    GLboolean doubleBuffer = GL_FALSE, stereo = GL_TRUE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffer);
    glGetBooleanv(GL_STEREO, &stereo);
    const std::string extensions = String(GL_EXTENSIONS);
    ASSERT_EQ(extensions.find("GL_NV_register_combiners"), std::string::npos)
        << "this driver names the NV extension: the line count below assumes it does not";

    const std::vector<std::string> head = {
        "Renderer " + String(GL_RENDERER),
        "Vendor " + String(GL_VENDOR),
        "Version " + String(GL_VERSION),
        "",
        "#Lights " + Integer(GL_MAX_LIGHTS),
        "#Clipplanes " + Integer(GL_MAX_CLIP_PLANES),
        "#Modelview stack depth " + Integer(GL_MAX_MODELVIEW_STACK_DEPTH),
        "#Projection stack depth " + Integer(GL_MAX_PROJECTION_STACK_DEPTH),
        "#Texture stack depth " + Integer(GL_MAX_TEXTURE_STACK_DEPTH),
        "Max texture size " + Integer(GL_MAX_TEXTURE_SIZE),
        "Max list nesting " + Integer(GL_MAX_LIST_NESTING),
        "Max viewport dims " + std::to_string(dims[0]) + "x" + std::to_string(dims[1]),
        "#Textureunits " + Integer(0x84E2),   // GL_MAX_TEXTURE_UNITS
        "#Aux buffers " + Integer(GL_AUX_BUFFERS),
        doubleBuffer ? "Doublebuffer [x] " : "Doublebuffer [ ] ",
        stereo ? "Stereo [x] " : "Stereo [ ] ",
        "",
        "OpenGL extensions",
        "-----------------",
    };
    ASSERT_GT(lines.size(), head.size() + 1);
    for (std::size_t i = 0; i < head.size(); ++i) EXPECT_EQ(lines[i], head[i]) << "line " << i + 1;
    EXPECT_EQ(lines.back(), "-----------------");

    // The extension lines put back together are the driver's string.
    std::string joined;
    for (std::size_t i = head.size(); i + 1 < lines.size(); ++i) joined += lines[i];
    EXPECT_EQ(joined, extensions);
    EXPECT_GT(lines.size() - head.size(), 50u) << "llvmpipe names well over 50 extensions";
    // The context's own double-buffering shows as such.
    EXPECT_EQ(lines[14], "Doublebuffer [x] ");
}

}  // namespace
}  // namespace orbitfall
