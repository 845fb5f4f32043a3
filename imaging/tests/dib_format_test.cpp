#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "imaging/dib_format.h"

namespace {

void Put32(std::vector<Byte>& b, size_t at, Cardinal v) {
    for (int k = 0; k < 4; ++k) b[at + size_t(k)] = Byte(v >> (8 * k));
}

constexpr Cardinal FourCC(const char* s) {
    return Cardinal(Byte(s[0])) | Cardinal(Byte(s[1])) << 8 | Cardinal(Byte(s[2])) << 16 |
           Cardinal(Byte(s[3])) << 24;
}

// An uncompressed 4 x 2 DIB of the given depth with a full colour table (for 8 bits and less) or
// masks (compression 3), and zeroed rows.
std::vector<Byte> Dib(Integer bits, Cardinal compression = 0, Integer width = 4, Integer height = 2) {
    const Integer rowLen = ((width * bits + 31) / 32) * 4;
    const size_t palette = bits <= 8 ? (size_t(1) << bits) * 4 : 0;
    const size_t masks = compression == 3 ? 12 : 0;
    std::vector<Byte> b(40 + palette + masks + size_t(rowLen) * size_t(height > 0 ? height : -height));
    Put32(b, 0, 40);
    Put32(b, 4, Cardinal(width));
    Put32(b, 8, Cardinal(height));
    b[12] = 1;
    b[14] = Byte(bits);
    Put32(b, 16, compression);
    if (compression == 3) {
        Put32(b, 40, 0xF800);
        Put32(b, 44, 0x07E0);
        Put32(b, 48, 0x001F);
    }
    return b;
}

struct Malformed {
    const char* name;
    std::function<void(std::vector<Byte>&)> damage;
    Integer bits;
    Cardinal compression;
    TImgDIBError expected;
};

}  // namespace

TEST(IeBitmapRoutines, MalformedDIBsAreRefused) {
    const Malformed cases[] = {
        {"RLE8", nullptr, 8, 1, TImgDIBError::Compressed},
        {"RLE4", nullptr, 4, 2, TImgDIBError::Compressed},
        {"JPEG compression", nullptr, 24, 4, TImgDIBError::Unsupported},
        {"24-bit bit fields", nullptr, 24, 3, TImgDIBError::Unsupported},
        {"2 bits per pixel", nullptr, 2, 0, TImgDIBError::Unsupported},
        {"unknown four-character code", nullptr, 16, FourCC("ABCD"), TImgDIBError::Unsupported},
        {"rows cut short", [](auto& b) { b.resize(b.size() - 1); }, 24, 0, TImgDIBError::Truncated},
        {"colour table cut short", [](auto& b) { b.resize(40 + 100); }, 8, 0, TImgDIBError::Truncated},
        {"masks cut short", [](auto& b) { b.resize(46); }, 16, 3, TImgDIBError::Truncated},
        {"header only half there", [](auto& b) { b.resize(20); }, 24, 0, TImgDIBError::Truncated},
        {"header size beyond the block", [](auto& b) { Put32(b, 0, 4000); }, 24, 0, TImgDIBError::Truncated},
        {"header size too small", [](auto& b) { Put32(b, 0, 12); }, 24, 0, TImgDIBError::BadHeader},
        {"zero width", [](auto& b) { Put32(b, 4, 0); }, 24, 0, TImgDIBError::BadHeader},
        {"negative width", [](auto& b) { Put32(b, 4, Cardinal(-4)); }, 24, 0, TImgDIBError::BadHeader},
        {"zero height", [](auto& b) { Put32(b, 8, 0); }, 24, 0, TImgDIBError::BadHeader},
        {"absurd width", [](auto& b) { Put32(b, 4, 0x7FFFFFFF); }, 24, 0, TImgDIBError::BadHeader},
        {"absurd pixel count", [](auto& b) { Put32(b, 4, 60000); Put32(b, 8, 60000); }, 1, 0, TImgDIBError::BadHeader},
        {"most negative height", [](auto& b) { Put32(b, 8, 0x80000000u); }, 24, 0, TImgDIBError::BadHeader},
        {"width that overflows the rows", [](auto& b) { Put32(b, 4, 65535); }, 32, 0, TImgDIBError::Truncated},
        {"colour count over 256", [](auto& b) { Put32(b, 32, 257); }, 8, 0, TImgDIBError::BadHeader},
        {"colour count past the block", [](auto& b) { Put32(b, 32, 0x40000000); }, 24, 0, TImgDIBError::Truncated},
        {"zero red mask", [](auto& b) { Put32(b, 40, 0); }, 16, 3, TImgDIBError::BadMasks},
        {"all masks zero", [](auto& b) { Put32(b, 40, 0); Put32(b, 44, 0); Put32(b, 48, 0); }, 16, 3, TImgDIBError::BadMasks},
        {"split green mask", [](auto& b) { Put32(b, 44, 0x0660); }, 16, 3, TImgDIBError::BadMasks},
        {"mask wider than a pixel", [](auto& b) { Put32(b, 48, 0x1F0000); }, 16, 3, TImgDIBError::BadMasks},
        {"YUV without pixels", nullptr, 16, FourCC("YUY2"), TImgDIBError::MissingPixels},
    };
    for (const Malformed& c : cases) {
        std::vector<Byte> b = Dib(c.bits, c.compression);
        if (c.damage) c.damage(b);
        TImgDIBLayout layout;
        EXPECT_EQ(ImgParseDIB(b.data(), b.size(), nullptr, 0, layout), c.expected) << c.name;
    }
    TImgDIBLayout layout;
    EXPECT_EQ(ImgParseDIB(nullptr, 0, nullptr, 0, layout), TImgDIBError::Truncated);
}

TEST(IeBitmapRoutines, DIBLayoutsAccepted) {
    TImgDIBLayout l;
    std::vector<Byte> b = Dib(4, 0, 5, -3);  // top-down, odd width
    ASSERT_EQ(ImgParseDIB(b.data(), b.size(), nullptr, 0, l), TImgDIBError::None);
    EXPECT_EQ(l.Width, 5);
    EXPECT_EQ(l.Height, 3);
    EXPECT_TRUE(l.TopDown);
    EXPECT_EQ(l.PaletteCount, 16);
    EXPECT_EQ(l.RowBytes, 4);
    EXPECT_EQ(l.Pixels, b.data() + 40 + 64);

    // A short colour table moves the rows up; the rows may come separately.
    b = Dib(8);
    Put32(b, 32, 2);
    b.resize(40 + 8 + 8);
    ASSERT_EQ(ImgParseDIB(b.data(), b.size(), nullptr, 0, l), TImgDIBError::None);
    EXPECT_EQ(l.PaletteCount, 2);
    EXPECT_EQ(l.Pixels, b.data() + 48);
    const std::vector<Byte> rows(8);
    ASSERT_EQ(ImgParseDIB(b.data(), 48, rows.data(), rows.size(), l), TImgDIBError::None);
    EXPECT_EQ(l.Pixels, rows.data());
    EXPECT_EQ(ImgParseDIB(b.data(), 48, rows.data(), 7, l), TImgDIBError::Truncated);

    // Default 16-bit masks are 5-5-5; a longer header carries its own masks.
    b = Dib(16);
    ASSERT_EQ(ImgParseDIB(b.data(), b.size(), nullptr, 0, l), TImgDIBError::None);
    EXPECT_EQ(l.Masks[0], 0x7C00u);
    EXPECT_EQ(l.Masks[2], 0x1Fu);
    std::vector<Byte> v4(108 + 16);
    Put32(v4, 0, 108);
    Put32(v4, 4, 4);
    Put32(v4, 8, 2);
    v4[14] = 16;
    Put32(v4, 16, 3);
    Put32(v4, 40, 0xF800);
    Put32(v4, 44, 0x07E0);
    Put32(v4, 48, 0x001F);
    ASSERT_EQ(ImgParseDIB(v4.data(), v4.size(), nullptr, 0, l), TImgDIBError::None);
    EXPECT_EQ(l.Masks[1], 0x07E0u);
    EXPECT_EQ(l.Pixels, v4.data() + 108);

    // YUV frames: the width must fit the packing and the data must cover the frame.
    b = Dib(16, FourCC("YUY2"), 6, 2);
    std::vector<Byte> frame(6 * 2 * 2);
    EXPECT_EQ(ImgParseDIB(b.data(), 40, frame.data(), frame.size(), l), TImgDIBError::None);
    EXPECT_EQ(ImgParseDIB(b.data(), 40, frame.data(), frame.size() - 1, l), TImgDIBError::Truncated);
    b = Dib(12, FourCC("Y41P"), 6, 2);
    EXPECT_EQ(ImgParseDIB(b.data(), 40, frame.data(), frame.size(), l), TImgDIBError::BadYUVSize);
    b = Dib(12, FourCC("I420"), 4, 3);  // odd height: two chroma rows
    frame.assign(4 * 3 + 2 * 2 * 2, 0);
    EXPECT_EQ(ImgParseDIB(b.data(), 40, frame.data(), frame.size(), l), TImgDIBError::None);
    EXPECT_EQ(ImgParseDIB(b.data(), 40, frame.data(), frame.size() - 1, l), TImgDIBError::Truncated);
}

TEST(IeBitmapRoutines, DIBRowsTo24Bit) {
    // 4 bits, odd width: high nibble first, the last byte's low nibble ignored; an index past a
    // short colour table gives black.
    std::vector<Byte> b = Dib(4, 0, 3, 1);
    Put32(b, 32, 3);
    b.resize(40 + 12 + 4);
    const Byte palette[] = {1, 2, 3, 0, 10, 20, 30, 0, 100, 110, 120, 0};
    std::memcpy(b.data() + 40, palette, sizeof palette);
    b[52] = 0x21;
    b[53] = 0x5F;
    TImgDIBLayout l;
    ASSERT_EQ(ImgParseDIB(b.data(), b.size(), nullptr, 0, l), TImgDIBError::None);
    TImgRGB row[3];
    ImgDIBRowTo24Bit(l, l.Pixels, row);
    EXPECT_EQ(row[0], (TImgRGB{100, 110, 120}));
    EXPECT_EQ(row[1], (TImgRGB{10, 20, 30}));
    EXPECT_EQ(row[2], (TImgRGB{0, 0, 0}));

    // 16 bits with 5-6-5 masks, and with masks in blue-green-red order.
    struct Case16 {
        Cardinal r, g, b;
        Word pixel;
        TImgRGB expected;
    };
    const Case16 cases[] = {
        {0xF800, 0x07E0, 0x001F, 0xFFFF, ImgRGB(0xF8, 0xFC, 0xF8)},
        {0xF800, 0x07E0, 0x001F, 0x8410, ImgRGB(0x80, 0x80, 0x80)},
        {0x7C00, 0x03E0, 0x001F, 0x7C00, ImgRGB(0xF8, 0, 0)},
        {0x001F, 0x03E0, 0x7C00, 0x001F, ImgRGB(0xF8, 0, 0)},
        {0x0F00, 0x00F0, 0x000F, 0x0F5A, ImgRGB(0xF0, 0x50, 0xA0)},
    };
    for (const Case16& c : cases) {
        b = Dib(16, 3, 1, 1);
        Put32(b, 40, c.r);
        Put32(b, 44, c.g);
        Put32(b, 48, c.b);
        b[52] = Byte(c.pixel);
        b[53] = Byte(c.pixel >> 8);
        ASSERT_EQ(ImgParseDIB(b.data(), b.size(), nullptr, 0, l), TImgDIBError::None);
        TImgRGB p;
        ImgDIBRowTo24Bit(l, l.Pixels, &p);
        EXPECT_EQ(p, c.expected) << std::hex << c.r << " " << c.pixel;
    }
}
