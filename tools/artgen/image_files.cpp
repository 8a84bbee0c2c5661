#include "image_files.h"

#include <png.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace orbitfall::artgen {

namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xff));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

void PutPixel(std::vector<std::uint8_t>& out, const std::uint8_t* p, int bytes) {
    out.push_back(p[2]);
    out.push_back(p[1]);
    out.push_back(p[0]);
    if (bytes == 4) out.push_back(p[3]);
}

bool SamePixel(const std::uint8_t* a, const std::uint8_t* b, int bytes) {
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2] && (bytes == 3 || a[3] == b[3]);
}

void EncodeRunLengthRow(std::vector<std::uint8_t>& out, const Picture& picture, int y, int bytes) {
    const int w = picture.width;
    int x = 0;
    while (x < w) {
        int run = 1;
        while (x + run < w && run < 128 && SamePixel(picture.Pixel(x, y), picture.Pixel(x + run, y), bytes)) ++run;
        if (run >= 2) {
            out.push_back(static_cast<std::uint8_t>(0x80 | (run - 1)));
            PutPixel(out, picture.Pixel(x, y), bytes);
            x += run;
            continue;
        }
        // A raw packet runs until two equal neighbours start a run worth packing.
        int raw = 1;
        while (x + raw < w && raw < 128 &&
               !(x + raw + 1 < w && SamePixel(picture.Pixel(x + raw, y), picture.Pixel(x + raw + 1, y), bytes))) {
            ++raw;
        }
        out.push_back(static_cast<std::uint8_t>(raw - 1));
        for (int i = 0; i < raw; ++i) PutPixel(out, picture.Pixel(x + i, y), bytes);
        x += raw;
    }
}

}  // namespace

std::vector<std::uint8_t> EncodeTga(const Picture& picture, int bitsPerPixel, TgaKind kind) {
    if (bitsPerPixel != 24 && bitsPerPixel != 32) throw std::invalid_argument("TGA: 24 or 32 bits per pixel");
    const int bytes = bitsPerPixel / 8;
    std::vector<std::uint8_t> out;
    out.push_back(0);                                          // identification field length
    out.push_back(0);                                          // no colour map
    out.push_back(kind == TgaKind::RunLength ? 10 : 2);        // image type
    for (int i = 0; i < 5; ++i) out.push_back(0);              // colour map: first entry, length, entry size (none)
    Put16(out, 0);                                             // x origin
    Put16(out, 0);                                             // y origin
    Put16(out, static_cast<unsigned>(picture.width));
    Put16(out, static_cast<unsigned>(picture.height));
    out.push_back(static_cast<std::uint8_t>(bitsPerPixel));
    out.push_back(bytes == 4 ? 8 : 0);                         // alpha bits; bit 5 clear: bottom-up
    for (int y = picture.height - 1; y >= 0; --y) {
        if (kind == TgaKind::RunLength) {
            EncodeRunLengthRow(out, picture, y, bytes);
        } else {
            for (int x = 0; x < picture.width; ++x) PutPixel(out, picture.Pixel(x, y), bytes);
        }
    }
    return out;
}

std::vector<std::uint8_t> EncodeBmp24(const Picture& picture) {
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(picture.width) * 3 + 3) & ~3u;
    const std::uint32_t dataBytes = rowBytes * static_cast<std::uint32_t>(picture.height);
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + dataBytes);  // file size
    Put32(out, 0);               // reserved
    Put32(out, 54);              // offset of the pixels
    Put32(out, 40);              // information header size
    Put32(out, static_cast<std::uint32_t>(picture.width));
    Put32(out, static_cast<std::uint32_t>(picture.height));  // positive: bottom-up
    Put16(out, 1);               // planes
    Put16(out, 24);              // bits per pixel
    Put32(out, 0);               // no compression
    Put32(out, dataBytes);
    Put32(out, 2835);            // 72 dots per inch
    Put32(out, 2835);
    Put32(out, 0);               // colours used
    Put32(out, 0);               // important colours
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) PutPixel(out, picture.Pixel(x, y), 3);
        for (std::uint32_t pad = static_cast<std::uint32_t>(picture.width) * 3; pad < rowBytes; ++pad) out.push_back(0);
    }
    return out;
}

std::vector<std::uint8_t> EncodePng(const Picture& picture) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) throw std::runtime_error("PNG: cannot create writer");
    png_infop info = png_create_info_struct(png);
    std::vector<std::uint8_t> out;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        throw std::runtime_error("PNG: encoding failed");
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t length) {
            auto* target = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
            target->insert(target->end(), data, data + length);
        },
        nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y) {
        png_write_row(png, const_cast<png_bytep>(picture.Pixel(0, y)));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const std::filesystem::path file(path);
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    stream.close();
    if (!stream) throw std::runtime_error("cannot write " + path);
}

}  // namespace orbitfall::artgen
