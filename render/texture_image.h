#pragma once
// An image in memory plus at most one GL texture object made from it.
#include <cstdint>
#include <string>
#include <vector>

namespace orbitfall {

enum class TPixelFormat : std::uint8_t {
    None,
    Alpha8,
    Luminance8,
    LuminanceAlpha8,
    Rgb565,     // 16-bit colour, 5-6-5
    Argb1555,   // 16-bit colour with one alpha bit
    Bgr8,       // 24-bit blue-green-red
    Bgra8,      // 32-bit blue-green-red-alpha
    Dxt1,
    Dxt3,
    Dxt5,
};

class TTextureImage {
public:
    TTextureImage() = default;
    // Every byte 255 (the fog of war starts as "never seen").
    TTextureImage(int width, int height, TPixelFormat format);
    ~TTextureImage();
    TTextureImage(const TTextureImage&) = delete;
    TTextureImage& operator=(const TTextureImage&) = delete;

    void LoadFromFile(const std::string& path);
    void AddAlphaFromFile(const std::string& path);
    void AddAlphaFromColorKey(std::uint8_t r, std::uint8_t g, std::uint8_t b, unsigned deviation);
    void FillWithColor(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);
    void Upload(bool checkSize);
    void Bind(bool enable);
    void Unbind(bool disable);
    void SetWrap(int s, int t, int r);

    int Width() const;
    int Height() const;
    TPixelFormat PixelFormat() const;
    // Row y of the pixel store (row 0 is the top row), nullptr outside it or
    // when the store is gone.
    std::uint8_t* Row(int y);
    unsigned TextureObject() const;   // GL name, 0 for none
    // Deletes the texture object now, in the context that must still be
    // current; the pixel store stays, and the next Upload makes a new one.
    // A name kept past its context would delete another texture later.
    void DeleteTextureObject();

    bool KeepPixels = false;

    // Whether a pixel store is held (it is freed by Upload unless KeepPixels).
    bool HasPixels() const { return hasStore_; }
    // The store as a whole, top row first, rows tightly packed; empty when gone.
    const std::vector<std::uint8_t>& Pixels() const { return pixels_; }

private:
    // Gives the store an alpha channel where its format has none.
    void EnsureAlpha();
    // Replaces a block-compressed store by its blue-green-red-alpha colours.
    void Decompress();
    void RequireStore() const;

    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = TPixelFormat::None;
    std::vector<std::uint8_t> pixels_;
    bool hasStore_ = false;
    unsigned texture_ = 0;
    // GL_CLAMP_TO_EDGE each; this header stays free of GL.
    int wrapS_ = 0x812F;
    int wrapT_ = 0x812F;
    int wrapR_ = 0x812F;
};

}  // namespace orbitfall
