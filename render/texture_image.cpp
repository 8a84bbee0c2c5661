#include "render/texture_image.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "infra/errors.h"
#include "infra/file_system.h"
#include "render/dds_decoder.h"
#include "render/decoded_image.h"
#include "render/gl_capabilities.h"

namespace orbitfall {

namespace {

// The largest value of each channel of a layout; A is 0 without alpha. An
// 8-bit alpha picture counts as grey when its colour is asked for: as the
// source of an alpha image or a key it is one channel like a grey picture.
struct TMaxima {
    int R, G, B, A;
};

TMaxima MaximaOf(TPixelFormat format) {
    switch (format) {
        case TPixelFormat::Alpha8:
        case TPixelFormat::LuminanceAlpha8:
        case TPixelFormat::Bgra8: return {255, 255, 255, 255};
        case TPixelFormat::Luminance8:
        case TPixelFormat::Bgr8: return {255, 255, 255, 0};
        case TPixelFormat::Rgb565: return {31, 63, 31, 0};
        case TPixelFormat::Argb1555: return {31, 31, 31, 1};
        default: return {0, 0, 0, 0};
    }
}

std::uint16_t Word(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
void SetWord(std::uint8_t* p, unsigned v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void GetColour(TPixelFormat format, const std::uint8_t* p, int& r, int& g, int& b) {
    switch (format) {
        case TPixelFormat::Alpha8:
        case TPixelFormat::Luminance8:
        case TPixelFormat::LuminanceAlpha8: r = g = b = p[0]; break;
        case TPixelFormat::Rgb565: {
            const unsigned w = Word(p);
            r = w >> 11, g = (w >> 5) & 63, b = w & 31;
            break;
        }
        case TPixelFormat::Argb1555: {
            const unsigned w = Word(p);
            r = (w >> 10) & 31, g = (w >> 5) & 31, b = w & 31;
            break;
        }
        case TPixelFormat::Bgr8:
        case TPixelFormat::Bgra8: b = p[0], g = p[1], r = p[2]; break;
        default: r = g = b = 0;
    }
}

int Luminance(int r, int g, int b) { return static_cast<int>(std::lround(0.3 * r + 0.59 * g + 0.11 * b)); }

// Colour in the channel units of the layout.
void SetColour(TPixelFormat format, std::uint8_t* p, int r, int g, int b) {
    switch (format) {
        case TPixelFormat::Luminance8:
        case TPixelFormat::LuminanceAlpha8: p[0] = static_cast<std::uint8_t>(Luminance(r, g, b)); break;
        case TPixelFormat::Rgb565: SetWord(p, unsigned(r) << 11 | unsigned(g) << 5 | unsigned(b)); break;
        case TPixelFormat::Argb1555:
            SetWord(p, (Word(p) & 0x8000u) | unsigned(r) << 10 | unsigned(g) << 5 | unsigned(b));
            break;
        case TPixelFormat::Bgr8:
        case TPixelFormat::Bgra8:
            p[0] = static_cast<std::uint8_t>(b);
            p[1] = static_cast<std::uint8_t>(g);
            p[2] = static_cast<std::uint8_t>(r);
            break;
        default: break;
    }
}

void SetAlpha(TPixelFormat format, std::uint8_t* p, int a) {
    switch (format) {
        case TPixelFormat::Alpha8: p[0] = static_cast<std::uint8_t>(a); break;
        case TPixelFormat::LuminanceAlpha8: p[1] = static_cast<std::uint8_t>(a); break;
        case TPixelFormat::Argb1555: SetWord(p, (Word(p) & 0x7FFFu) | (a ? 0x8000u : 0u)); break;
        case TPixelFormat::Bgra8: p[3] = static_cast<std::uint8_t>(a); break;
        default: break;
    }
}

static_assert(GL_CLAMP_TO_EDGE == 0x812F);

int Scale(int value255, int max) { return static_cast<int>(std::lround(value255 * double(max) / 255.0)); }

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

struct TGlLayout {
    GLint Internal;
    GLenum Format;
    GLenum Type;
};

TGlLayout GlLayoutOf(TPixelFormat format) {
    switch (format) {
        case TPixelFormat::Alpha8: return {GL_ALPHA8, GL_ALPHA, GL_UNSIGNED_BYTE};
        case TPixelFormat::Luminance8: return {GL_LUMINANCE8, GL_LUMINANCE, GL_UNSIGNED_BYTE};
        case TPixelFormat::LuminanceAlpha8: return {GL_LUMINANCE8_ALPHA8, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE};
        case TPixelFormat::Rgb565: return {GL_RGB8, GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
        case TPixelFormat::Argb1555: return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
        case TPixelFormat::Bgr8: return {GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE};
        case TPixelFormat::Bgra8: return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE};
        case TPixelFormat::Dxt1: return {GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0};
        case TPixelFormat::Dxt3: return {GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0};
        case TPixelFormat::Dxt5: return {GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0};
        case TPixelFormat::None: break;
    }
    return {0, 0, 0};
}

}  // namespace

TTextureImage::TTextureImage(int width, int height, TPixelFormat format)
    : width_(width), height_(height), format_(format), hasStore_(true) {
    if (width < 0 || height < 0 || format == TPixelFormat::None) throw ERangeError();
    pixels_.assign(StoreSize(format, width, height), 255);
}

TTextureImage::~TTextureImage() { DeleteTextureObject(); }

void TTextureImage::DeleteTextureObject() {
    if (texture_ != 0) glDeleteTextures(1, &texture_);
    texture_ = 0;
}

void TTextureImage::LoadFromFile(const std::string& path) {
    const std::string bytes = ReadWholeFile(path);
    TDecodedImage image = DecodeImage(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    width_ = image.Width;
    height_ = image.Height;
    format_ = image.Format;
    pixels_ = std::move(image.Pixels);
    hasStore_ = true;
}

void TTextureImage::RequireStore() const {
    if (!hasStore_) throw Exception("Assertion failed: the image has no pixel store");
}

void TTextureImage::Decompress() {
    if (!IsCompressed(format_)) return;
    pixels_ = DecompressDxt(format_, width_, height_, pixels_);
    format_ = TPixelFormat::Bgra8;
}

void TTextureImage::EnsureAlpha() {
    Decompress();
    const TPixelFormat from = format_;
    TPixelFormat to = from;
    if (from == TPixelFormat::Luminance8) to = TPixelFormat::LuminanceAlpha8;
    if (from == TPixelFormat::Bgr8 || from == TPixelFormat::Rgb565) to = TPixelFormat::Bgra8;
    if (to == from) return;
    const std::size_t count = std::size_t(width_) * height_;
    const int inBytes = BytesPerPixel(from), outBytes = BytesPerPixel(to);
    const TMaxima in = MaximaOf(from);
    std::vector<std::uint8_t> out(count * outBytes);
    for (std::size_t i = 0; i < count; ++i) {
        int r, g, b;
        GetColour(from, &pixels_[i * inBytes], r, g, b);
        std::uint8_t* p = &out[i * outBytes];
        SetColour(to, p, int(std::lround(r * 255.0 / in.R)), int(std::lround(g * 255.0 / in.G)),
                  int(std::lround(b * 255.0 / in.B)));
        SetAlpha(to, p, 255);
    }
    pixels_ = std::move(out);
    format_ = to;
}

void TTextureImage::AddAlphaFromFile(const std::string& path) {
    RequireStore();
    TTextureImage other;
    other.LoadFromFile(path);
    if (other.width_ != width_ || other.height_ != height_) return;
    other.Decompress();
    EnsureAlpha();
    const TMaxima src = MaximaOf(other.format_);
    const int maxAlpha = MaximaOf(format_).A;
    const std::size_t count = std::size_t(width_) * height_;
    const int inBytes = BytesPerPixel(other.format_), outBytes = BytesPerPixel(format_);
    for (std::size_t i = 0; i < count; ++i) {
        int r, g, b;
        GetColour(other.format_, &other.pixels_[i * inBytes], r, g, b);
        const double luminance = 0.3 * r / src.R + 0.59 * g / src.G + 0.11 * b / src.B;
        SetAlpha(format_, &pixels_[i * outBytes], static_cast<int>(std::lround(maxAlpha * luminance)));
    }
}

void TTextureImage::AddAlphaFromColorKey(std::uint8_t r, std::uint8_t g, std::uint8_t b, unsigned deviation) {
    if (!hasStore_) return;
    EnsureAlpha();
    const TMaxima m = MaximaOf(format_);
    const int d = static_cast<int>(std::min(deviation, 255u));
    const int kr = Scale(r, m.R), kg = Scale(g, m.G), kb = Scale(b, m.B);
    const int dr = Scale(d, m.R), dg = Scale(d, m.G), db = Scale(d, m.B);
    const std::size_t count = std::size_t(width_) * height_;
    const int bytes = BytesPerPixel(format_);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t* p = &pixels_[i * bytes];
        int pr, pg, pb;
        GetColour(format_, p, pr, pg, pb);
        const bool keyed = std::abs(pr - kr) <= dr && std::abs(pg - kg) <= dg && std::abs(pb - kb) <= db;
        SetAlpha(format_, p, keyed ? 0 : m.A);
    }
}

void TTextureImage::FillWithColor(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    if (!hasStore_) return;
    Decompress();
    const TMaxima m = MaximaOf(format_);
    const std::size_t count = std::size_t(width_) * height_;
    const int bytes = BytesPerPixel(format_);
    const bool luminance = format_ == TPixelFormat::Luminance8 || format_ == TPixelFormat::LuminanceAlpha8;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t* p = &pixels_[i * bytes];
        if (luminance)
            SetColour(format_, p, r, g, b);
        else
            SetColour(format_, p, Scale(r, m.R), Scale(g, m.G), Scale(b, m.B));
        SetAlpha(format_, p, Scale(a, m.A));
    }
}

void TTextureImage::Upload(bool checkSize) {
    if (!hasStore_) return;
    const TGlCapabilities& caps = GlCapabilities();
    if (checkSize) {
        if (width_ > caps.MaxTextureSize || height_ > caps.MaxTextureSize)
            throw Exception("Texture is too large for the hardware");
        if ((!IsPowerOfTwo(width_) || !IsPowerOfTwo(height_)) && !caps.AtLeast(2, 0) &&
            !caps.Has("GL_ARB_texture_non_power_of_two"))
            throw Exception("The rendering context does not support non-power-of-two textures");
    }
    if (texture_ != 0) glDeleteTextures(1, &texture_);
    texture_ = 0;
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapS_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapT_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_R, wrapR_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    const bool autoMipmaps = caps.AtLeast(1, 4) || caps.Has("GL_SGIS_generate_mipmap");
    TGlLayout layout = GlLayoutOf(format_);
    if (IsCompressed(format_)) {
        // GLU cannot build levels from blocks: without automatic mipmaps the
        // single level is sampled without mipmapping.
        if (autoMipmaps)
            glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
        else
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glCompressedTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLenum>(layout.Internal), width_, height_, 0,
                               static_cast<GLsizei>(pixels_.size()), pixels_.data());
    } else {
        const std::uint8_t* data = pixels_.data();
        std::vector<std::uint8_t> converted;
        const bool packed = format_ == TPixelFormat::Rgb565 || format_ == TPixelFormat::Argb1555;
        const bool bgr = format_ == TPixelFormat::Bgr8 || format_ == TPixelFormat::Bgra8;
        if ((packed && !caps.AtLeast(1, 2)) || (bgr && !caps.AtLeast(1, 2) && !caps.Has("GL_EXT_bgra"))) {
            // An old driver: plain red-green-blue(-alpha) bytes.
            const TMaxima m = MaximaOf(format_);
            const int inBytes = BytesPerPixel(format_), outBytes = m.A ? 4 : 3;
            const std::size_t count = std::size_t(width_) * height_;
            converted.resize(count * outBytes);
            for (std::size_t i = 0; i < count; ++i) {
                int r, g, b;
                const std::uint8_t* p = &pixels_[i * inBytes];
                GetColour(format_, p, r, g, b);
                std::uint8_t* o = &converted[i * outBytes];
                o[0] = static_cast<std::uint8_t>(std::lround(r * 255.0 / m.R));
                o[1] = static_cast<std::uint8_t>(std::lround(g * 255.0 / m.G));
                o[2] = static_cast<std::uint8_t>(std::lround(b * 255.0 / m.B));
                if (outBytes == 4)
                    o[3] = format_ == TPixelFormat::Bgra8 ? p[3] : (Word(p) & 0x8000u ? 255 : 0);
            }
            layout = outBytes == 4 ? TGlLayout{GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE}
                                   : TGlLayout{GL_RGB8, GL_RGB, GL_UNSIGNED_BYTE};
            data = converted.data();
        }
        if (autoMipmaps) {
            glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
            glTexImage2D(GL_TEXTURE_2D, 0, layout.Internal, width_, height_, 0, layout.Format, layout.Type, data);
        } else {
            gluBuild2DMipmaps(GL_TEXTURE_2D, layout.Internal, width_, height_, layout.Format, layout.Type, data);
        }
    }
    if (!KeepPixels) {
        pixels_.clear();
        pixels_.shrink_to_fit();
        hasStore_ = false;
    }
}

void TTextureImage::Bind(bool enable) {
    if (enable) glEnable(GL_TEXTURE_2D);
    if (texture_ != 0) glBindTexture(GL_TEXTURE_2D, texture_);
}

void TTextureImage::Unbind(bool disable) {
    if (disable) glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void TTextureImage::SetWrap(int s, int t, int r) {
    wrapS_ = s;
    wrapT_ = t;
    wrapR_ = r;
    if (texture_ == 0) return;
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, s);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, t);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_R, r);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
}

int TTextureImage::Width() const { return width_; }
int TTextureImage::Height() const { return height_; }
TPixelFormat TTextureImage::PixelFormat() const { return format_; }
unsigned TTextureImage::TextureObject() const { return texture_; }

std::uint8_t* TTextureImage::Row(int y) {
    if (!hasStore_ || y < 0 || y >= height_ || IsCompressed(format_)) return nullptr;
    return pixels_.data() + std::size_t(y) * width_ * BytesPerPixel(format_);
}

}  // namespace orbitfall
