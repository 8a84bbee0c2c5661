#include "render/gl_capabilities.h"

#include <GL/gl.h>

#include <cctype>
#include <optional>

namespace orbitfall {

namespace {

std::optional<TGlCapabilities> current;

std::string GlString(GLenum name) {
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

}  // namespace

bool TGlCapabilities::Has(const std::string& extension) const {
    if (extension.empty()) return false;
    for (std::size_t at = Extensions.find(extension); at != std::string::npos;
         at = Extensions.find(extension, at + 1)) {
        const std::size_t end = at + extension.size();
        if ((at == 0 || Extensions[at - 1] == ' ') && (end == Extensions.size() || Extensions[end] == ' '))
            return true;
    }
    return false;
}

void ParseGlVersion(const std::string& text, int& major, int& minor) {
    major = minor = 0;
    std::size_t i = 0;
    auto number = [&](int& out) {
        const std::size_t start = i;
        int value = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && i - start < 6)
            value = value * 10 + (text[i++] - '0');
        out = value;
        return i > start;
    };
    int ma = 0, mi = 0;
    if (!number(ma) || i >= text.size() || text[i] != '.') return;
    ++i;
    if (!number(mi)) return;
    major = ma;
    minor = mi;
}

const TGlCapabilities& GlCapabilities() {
    if (!current) {
        TGlCapabilities caps;
        ParseGlVersion(GlString(GL_VERSION), caps.Major, caps.Minor);
        caps.Extensions = GlString(GL_EXTENSIONS);
        GLint size = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
        caps.MaxTextureSize = size;
        current = std::move(caps);
    }
    return *current;
}

void ResetGlCapabilities() { current.reset(); }

void SetGlCapabilities(const TGlCapabilities& capabilities) { current = capabilities; }

}  // namespace orbitfall
