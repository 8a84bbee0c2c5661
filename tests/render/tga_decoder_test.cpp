#include "render/tga_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "infra/errors.h"
#include "render/decoded_image.h"
#include "tests/support/image_bytes.h"

using namespace orbitfall;
using namespace orbitfall::testing;

namespace {

TDecodedImage Decode(const std::string& file) {
    return DecodeImage(reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
}

std::string Str(const std::vector<std::uint8_t>& v) { return std::string(v.begin(), v.end()); }

// 2 x 2, 24 bits: stored rows are bottom (b0 b1) then top (t0 t1).
const std::string kBottomRow = Bytes({1, 2, 3, 4, 5, 6});
const std::string kTopRow = Bytes({7, 8, 9, 10, 11, 12});

}  // namespace

TEST(TgaDecoder, RowsComeOutTopFirstWhateverTheStoredOrder) {
    struct Case {
        const char* name;
        std::uint8_t descriptor;
        std::string stored;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"bottom-up", 0x00, kBottomRow + kTopRow, kTopRow + kBottomRow},
        {"top-down (bit 5)", 0x20, kTopRow + kBottomRow, kTopRow + kBottomRow},
        {"right to left (bit 4)", 0x30, kTopRow + kBottomRow,
         Bytes({10, 11, 12, 7, 8, 9, 4, 5, 6, 1, 2, 3})},
    };
    for (const Case& c : cases) {
        const TDecodedImage image = Decode(MakeTga(2, 2, 2, 24, c.descriptor, c.stored, "id!"));
        EXPECT_EQ(image.Format, TPixelFormat::Bgr8) << c.name;
        EXPECT_EQ(image.Width, 2);
        EXPECT_EQ(image.Height, 2);
        EXPECT_EQ(Str(image.Pixels), c.expected) << c.name;
    }
}

TEST(TgaDecoder, BitsPerPixelChooseTheFormat) {
    struct Case {
        std::uint8_t type, bits, descriptor;
        std::string stored;
        TPixelFormat format;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {3, 8, 0x20, Bytes({0, 200}), TPixelFormat::Alpha8, Bytes({0, 200})},
        {3, 16, 0x28, Bytes({10, 20, 30, 40}), TPixelFormat::LuminanceAlpha8, Bytes({10, 20, 30, 40})},
        // Alpha bits declared: the attribute bit is kept.
        {2, 16, 0x21, Bytes({0x1F, 0x00, 0x00, 0xFC}), TPixelFormat::Argb1555, Bytes({0x1F, 0x00, 0x00, 0xFC})},
        // None declared: the attribute bit is padding, the picture opaque.
        {2, 16, 0x20, Bytes({0x1F, 0x00, 0x00, 0x7C}), TPixelFormat::Argb1555, Bytes({0x1F, 0x80, 0x00, 0xFC})},
        {2, 32, 0x28, Bytes({1, 2, 3, 0, 4, 5, 6, 128}), TPixelFormat::Bgra8, Bytes({1, 2, 3, 0, 4, 5, 6, 128})},
        {2, 32, 0x20, Bytes({1, 2, 3, 0, 4, 5, 6, 0}), TPixelFormat::Bgra8, Bytes({1, 2, 3, 255, 4, 5, 6, 255})},
    };
    for (const Case& c : cases) {
        const TDecodedImage image = Decode(MakeTga(c.type, 2, 1, c.bits, c.descriptor, c.stored));
        EXPECT_EQ(image.Format, c.format) << int(c.bits);
        EXPECT_EQ(Str(image.Pixels), c.expected) << int(c.bits) << " descriptor " << int(c.descriptor);
    }
}

TEST(TgaDecoder, RunLengthPacketsMayCrossRowsAndMatchTheUncompressedPicture) {
    // 3 x 2 grey, top-down: a run of 4 (crosses into row 2), then 2 raw pixels.
    const std::string rle = Bytes({0x83, 9, 0x01, 5, 6});
    const TDecodedImage packed = Decode(MakeTga(11, 3, 2, 8, 0x20, rle));
    const TDecodedImage plain = Decode(MakeTga(3, 3, 2, 8, 0x20, Bytes({9, 9, 9, 9, 5, 6})));
    EXPECT_EQ(Str(packed.Pixels), Str(plain.Pixels));
    EXPECT_EQ(Str(packed.Pixels), Bytes({9, 9, 9, 9, 5, 6}));

    const std::string rle24 = Bytes({0x81, 1, 2, 3, 0x00, 4, 5, 6});
    EXPECT_EQ(Str(Decode(MakeTga(10, 3, 1, 24, 0x20, rle24)).Pixels), Bytes({1, 2, 3, 1, 2, 3, 4, 5, 6}));
}

TEST(TgaDecoder, OtherDepthsAreRefusedNamingTheDepth) {
    for (int bits : {0, 1, 15, 48}) {
        try {
            Decode(MakeTga(2, 1, 1, static_cast<std::uint8_t>(bits), 0, std::string(8, '\0')));
            ADD_FAILURE() << bits;
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), "Unsupported TGA bits per pixel: " + std::to_string(bits));
        }
    }
}

TEST(TgaDecoder, EveryTruncationIsAReadError) {
    const std::vector<std::string> files = {
        MakeTga(2, 2, 2, 24, 0, kBottomRow + kTopRow, "abc"),
        MakeTga(10, 3, 1, 24, 0x20, Bytes({0x81, 1, 2, 3, 0x00, 4, 5, 6})),
    };
    for (const std::string& file : files) {
        for (std::size_t n = 3; n < file.size(); ++n)
            EXPECT_THROW(Decode(file.substr(0, n)), EReadError) << "first " << n << " bytes";
        EXPECT_NO_THROW(Decode(file));
    }
}

TEST(TgaDecoder, LyingHeadersEndInTheirErrors) {
    auto message = [](const std::string& file) {
        try {
            Decode(file);
        } catch (const Exception& e) {
            return e.Message();
        }
        return std::string("no error");
    };
    EXPECT_EQ(message(MakeTga(2, 0, 2, 24, 0, "")), "Invalid image size");
    EXPECT_EQ(message(MakeTga(2, 2, 0, 24, 0, "")), "Invalid image size");
    EXPECT_EQ(message(MakeTga(2, 65535, 2, 24, 0, std::string(100, 'x'))), "Invalid image size");
    // A run longer than the picture has pixels left.
    EXPECT_EQ(message(MakeTga(11, 2, 2, 8, 0, Bytes({0x84, 7}))), "TGA image is not valid");
    EXPECT_EQ(message(MakeTga(11, 2, 2, 8, 0, Bytes({0x04, 1, 2, 3, 4, 5}))), "TGA image is not valid");
    // A large run-length picture with a few bytes of data fails before it is allocated.
    EXPECT_EQ(message(MakeTga(10, 8192, 8192, 32, 0, Bytes({0xFF, 1, 2, 3, 4}))), "Stream read error");
}
