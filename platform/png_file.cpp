#include "platform/png_file.h"

#include <png.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "infra/errors.h"
#include "infra/file_system.h"

namespace orbitfall {

namespace {
struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using TFile = std::unique_ptr<FILE, FileCloser>;

void CheckPixels(const std::string& path, const TRgbaPicture& picture) {
    if (picture.Pixels.size() != static_cast<std::size_t>(picture.Width) * picture.Height * 4)
        throw EFileError("Picture size does not match its pixels: " + path);
}

TFile StreamOn(int fd, const std::string& path) {
    if (fd < 0) throw EFCreateError(path);
    TFile file(fdopen(fd, "wb"));
    if (!file) {
        EFCreateError error(path);
        close(fd);
        throw error;
    }
    return file;
}

void Encode(const std::string& path, const TRgbaPicture& picture, TFile file) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw EFileError("Cannot write PNG " + path);
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw EFileError("Cannot write PNG " + path);
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, picture.Width, picture.Height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < picture.Height; ++y)
        png_write_row(png, picture.Pixels.data() + static_cast<std::size_t>(y) * picture.Width * 4);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.get()) != 0) throw EFileError("Cannot write PNG " + path);
}

}  // namespace

void WritePng(const std::string& path, const TRgbaPicture& picture) {
    CheckPixels(path, picture);
    Encode(path, picture, StreamOn(OpenForWriting(path, O_TRUNC), path));
}

bool WriteNewPng(const std::string& path, const TRgbaPicture& picture) {
    CheckPixels(path, picture);
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) return false;
    TFile file = StreamOn(fd, path);
    try {
        Encode(path, picture, std::move(file));
    } catch (...) {
        unlink(path.c_str());
        throw;
    }
    return true;
}

TRgbaPicture ReadPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        TFile probe(std::fopen(path.c_str(), "rb"));
        if (!probe) throw EFOpenError(path);
        throw EFileError("Not a PNG picture: " + path);
    }
    image.format = PNG_FORMAT_RGBA;
    TRgbaPicture picture;
    picture.Width = static_cast<int>(image.width);
    picture.Height = static_cast<int>(image.height);
    picture.Pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.Pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        throw EFileError("Not a PNG picture: " + path);
    }
    return picture;
}

}  // namespace orbitfall
