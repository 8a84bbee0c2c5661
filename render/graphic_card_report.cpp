#include "render/graphic_card_report.h"

#include <GL/gl.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "infra/errors.h"
#include "infra/file_system.h"

#ifndef GL_MAX_GENERAL_COMBINERS_NV
#define GL_MAX_GENERAL_COMBINERS_NV 0x854D
#endif
#ifndef GL_MAX_TEXTURE_UNITS
#define GL_MAX_TEXTURE_UNITS 0x84E2
#endif

namespace orbitfall {
namespace {

constexpr std::string_view kRegisterCombiners = "GL_NV_register_combiners";

std::string GlString(GLenum name) {
    // A driver may answer null (no context, or an unknown name); a report
    // line with nothing after its label is better than a crash.
    const GLubyte* text = glGetString(name);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

int GlInteger(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

bool GlBoolean(GLenum name) {
    GLboolean value = GL_FALSE;
    glGetBooleanv(name, &value);
    return value == GL_TRUE;
}

}  // namespace

std::vector<std::string> SplitExtensionLines(const std::string& extensions) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < extensions.size()) {
        const std::size_t space = extensions.find(' ', start);
        if (space == std::string::npos) {
            lines.push_back(extensions.substr(start));
            break;
        }
        lines.push_back(extensions.substr(start, space + 1 - start));
        start = space + 1;
    }
    return lines;
}

std::string FormatGraphicCardReport(const TGraphicCardInfo& info) {
    std::string text;
    const auto line = [&text](const std::string& content) { text += content + "\r\n"; };
    const auto number = [](int value) { return std::to_string(value); };
    line("Renderer " + info.Renderer);
    line("Vendor " + info.Vendor);
    line("Version " + info.Version);
    line("");
    line("#Lights " + number(info.MaxLights));
    line("#Clipplanes " + number(info.MaxClipPlanes));
    line("#Modelview stack depth " + number(info.MaxModelviewStackDepth));
    line("#Projection stack depth " + number(info.MaxProjectionStackDepth));
    line("#Texture stack depth " + number(info.MaxTextureStackDepth));
    line("Max texture size " + number(info.MaxTextureSize));
    line("Max list nesting " + number(info.MaxListNesting));
    line("Max viewport dims " + number(info.MaxViewportWidth) + "x" + number(info.MaxViewportHeight));
    line("#Textureunits " + number(info.MaxTextureUnits));
    line("#Aux buffers " + number(info.AuxBuffers));
    line(info.DoubleBuffer ? "Doublebuffer [x] " : "Doublebuffer [ ] ");
    line(info.Stereo ? "Stereo [x] " : "Stereo [ ] ");
    if (info.Extensions.find(kRegisterCombiners) != std::string::npos)
        line("#Registercombiners " + number(info.MaxGeneralCombiners));
    line("");
    line("OpenGL extensions");
    line("-----------------");
    for (const std::string& extension : SplitExtensionLines(info.Extensions)) line(extension);
    line("-----------------");
    return text;
}

bool WriteGraphicCardReport(const std::string& fileName, const TGraphicCardInfo& info) {
    const int fd = OpenForWriting(fileName, O_TRUNC, 0644);
    if (fd < 0) throw EFCreateError(fileName);
    const std::string text = FormatGraphicCardReport(info);
    bool complete = true;
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            complete = false;
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) complete = false;
    return complete;
}

TGraphicCardInfo QueryGraphicCardInfo() {
    TGraphicCardInfo info;
    info.Extensions = GlString(GL_EXTENSIONS);
    info.Renderer = GlString(GL_RENDERER);
    info.Vendor = GlString(GL_VENDOR);
    info.Version = GlString(GL_VERSION);
    info.MaxLights = GlInteger(GL_MAX_LIGHTS);
    info.MaxClipPlanes = GlInteger(GL_MAX_CLIP_PLANES);
    info.MaxModelviewStackDepth = GlInteger(GL_MAX_MODELVIEW_STACK_DEPTH);
    info.MaxProjectionStackDepth = GlInteger(GL_MAX_PROJECTION_STACK_DEPTH);
    info.MaxTextureStackDepth = GlInteger(GL_MAX_TEXTURE_STACK_DEPTH);
    info.MaxTextureSize = GlInteger(GL_MAX_TEXTURE_SIZE);
    info.MaxListNesting = GlInteger(GL_MAX_LIST_NESTING);
    GLint dims[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
    info.MaxViewportWidth = dims[0];
    info.MaxViewportHeight = dims[1];
    info.MaxTextureUnits = GlInteger(GL_MAX_TEXTURE_UNITS);
    info.AuxBuffers = GlInteger(GL_AUX_BUFFERS);
    info.DoubleBuffer = GlBoolean(GL_DOUBLEBUFFER);
    info.Stereo = GlBoolean(GL_STEREO);
    if (info.Extensions.find(kRegisterCombiners) != std::string::npos)
        info.MaxGeneralCombiners = GlInteger(GL_MAX_GENERAL_COMBINERS_NV);
    return info;
}

}  // namespace orbitfall
