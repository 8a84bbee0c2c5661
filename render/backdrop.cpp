#define GL_GLEXT_PROTOTYPES
#include "render/backdrop.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "render/gl_capabilities.h"
#include "render/opengl_setup.h"

namespace orbitfall {

bool HasFramebufferObjects() {
    const TGlCapabilities& caps = GlCapabilities();
    return caps.AtLeast(3, 0) || caps.Has("GL_ARB_framebuffer_object");
}

TBackdrop::~TBackdrop() { Free(); }

void TBackdrop::Free() {
    // Objects of an earlier context went with it.
    if (framebuffer_ != 0 && context_ == ContextGeneration()) {
        glDeleteFramebuffers(1, &framebuffer_);
        glDeleteTextures(1, &colour_);
    }
    framebuffer_ = colour_ = 0;
    width_ = height_ = 0;
    key_.reset();
}

bool TBackdrop::Allocate(int width, int height) {
    if (framebuffer_ == 0) {
        glGenFramebuffers(1, &framebuffer_);
        glGenTextures(1, &colour_);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    if (width_ != width || height_ != height) {
        // Blue-green-red order, as X windows keep their pixels: copying
        // between equal layouts is a plain copy for a software renderer,
        // other layouts are converted pixel by pixel.
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        glBindTexture(GL_TEXTURE_2D, colour_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour_, 0);
        width_ = width;
        height_ = height;
    }
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!complete) Free();
    return complete;
}

void TBackdrop::Present(const TBackdropKey& key, const std::function<void()>& draw) {
    lastFromCache_ = false;
    if (key.Context != context_) {
        // A new context: nothing of the old one is left, and its driver may
        // offer other things.
        framebuffer_ = colour_ = 0;
        width_ = height_ = 0;
        key_.reset();
        unsupported_ = false;
        context_ = key.Context;
    }
    if (key_ == key) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glBlitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClear(GL_DEPTH_BUFFER_BIT);
        lastFromCache_ = true;
        return;
    }
    // Drawn into the frame itself and copied from there: an offscreen buffer
    // is rasterised upside down relative to a window's, which moves a few
    // pixels of the filtered bands by one step.
    draw();
    // A minimised window has no pixels to keep.
    if (unsupported_ || key.Width <= 0 || key.Height <= 0 || !HasFramebufferObjects()) return;
    if (!Allocate(key.Width, key.Height)) {
        unsupported_ = true;
        return;
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer_);
    glBlitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    key_ = key;
}

}  // namespace orbitfall
