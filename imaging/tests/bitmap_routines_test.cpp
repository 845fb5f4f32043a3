#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/bitmap_routines.h"
#include "imaging/dib.h"
#include "imaging/dib_format.h"
#include "imaging/tests/image_fixture.h"

namespace {

TImgRGB Pattern(Integer x, Integer y) { return ImgRGB(Byte(x * 17 + y), Byte(y * 29 + 3), Byte(x ^ (y * 7))); }
bool Checker(Integer x, Integer y) { return ((x * 3 + y) % 5) < 2; }

// Same size, format and pixels (24-bit or 1-bit).
void ExpectSame(TBitmap* a, TBitmap* b) {
    ASSERT_EQ(a->GetPixelFormat(), b->GetPixelFormat());
    ASSERT_EQ(a->GetWidth(), b->GetWidth());
    ASSERT_EQ(a->GetHeight(), b->GetHeight());
    for (Integer y = 0; y < a->GetHeight(); ++y)
        for (Integer x = 0; x < a->GetWidth(); ++x) {
            if (a->GetPixelFormat() == pf1bit)
                ASSERT_EQ(Bit(a, x, y), Bit(b, x, y)) << x << "," << y;
            else
                ASSERT_EQ(Px(a, x, y), Px(b, x, y)) << x << "," << y;
        }
}

// A text picture of a 24-bit bitmap: '#' for pixels equal to `ink`, '.' otherwise.
std::vector<std::string> Picture24(TBitmap* b, TImgRGB ink) {
    std::vector<std::string> rows;
    for (Integer y = 0; y < b->GetHeight(); ++y) {
        std::string s;
        for (Integer x = 0; x < b->GetWidth(); ++x) s += Px(b, x, y) == ink ? '#' : '.';
        rows.push_back(s);
    }
    return rows;
}

std::vector<std::string> Picture1(TBitmap* b) {
    std::vector<std::string> rows;
    for (Integer y = 0; y < b->GetHeight(); ++y) {
        std::string s;
        for (Integer x = 0; x < b->GetWidth(); ++x) s += Bit(b, x, y) ? '#' : '.';
        rows.push_back(s);
    }
    return rows;
}

Cardinal U32(const Byte* p) { return Cardinal(p[0]) | Cardinal(p[1]) << 8 | Cardinal(p[2]) << 16 | Cardinal(p[3]) << 24; }

}  // namespace

TEST(IeBitmapRoutines, CopiesAndClones) {
    // From an empty bitmap: 1 x 1 in the source's format.
    TBitmap empty;
    empty.SetPixelFormat(pf1bit);
    Bmp dest = Make24(5, 5, Pattern);
    CopyBitmap(&empty, dest.get());
    EXPECT_EQ(dest->GetPixelFormat(), pf1bit);
    EXPECT_EQ(dest->GetWidth(), 1);
    EXPECT_EQ(dest->GetHeight(), 1);

    Bmp colour = Make24(7, 3, Pattern);
    Bmp clone(CloneBitmap(colour.get()));
    ExpectSame(clone.get(), colour.get());
    Bmp mono = Make1(13, 4, Checker);
    CopyBitmap(mono.get(), dest.get());
    ExpectSame(dest.get(), mono.get());

    // x2 = 0 and y2 = 0 run to the last column and row; a 1-bit region starts mid-byte.
    Bmp region(new TBitmap());
    CopyRegion(colour.get(), region.get(), 2, 1, 0, 0);
    ASSERT_EQ(region->GetWidth(), 5);
    ASSERT_EQ(region->GetHeight(), 2);
    EXPECT_EQ(Px(region.get(), 4, 1), Pattern(6, 2));
    EXPECT_EQ(Px(region.get(), 0, 0), Pattern(2, 1));
    CopyRegion(mono.get(), region.get(), 3, 1, 11, 99);
    ASSERT_EQ(region->GetPixelFormat(), pf1bit);
    ASSERT_EQ(region->GetWidth(), 9);
    ASSERT_EQ(region->GetHeight(), 3);
    for (Integer y = 0; y < 3; ++y)
        for (Integer x = 0; x < 9; ++x) EXPECT_EQ(Bit(region.get(), x, y), Checker(x + 3, y + 1)) << x << "," << y;
}

TEST(IeBitmapRoutines, OneBitInversionAndExpansion) {
    Bmp mono = Make1(10, 3, Checker);
    std::vector<Byte> before;
    for (Integer y = 0; y < 3; ++y) {
        const Byte* row = static_cast<const Byte*>(mono->ScanLine(y));
        before.insert(before.end(), row, row + 4);
    }
    InvertBitmap1Bit(mono.get());
    for (Integer y = 0; y < 3; ++y) {
        for (Integer x = 0; x < 10; ++x) EXPECT_EQ(Bit(mono.get(), x, y), !Checker(x, y));
        // The bits past the last pixel and the padding bytes are inverted too.
        const Byte* row = static_cast<const Byte*>(mono->ScanLine(y));
        for (int k = 0; k < 4; ++k) EXPECT_EQ(row[k], Byte(~before[size_t(y * 4 + k)])) << k;
    }

    std::vector<Integer> per;
    TImgProgressTarget progress([&](TObject*, Integer p) { per.push_back(p); }, nullptr);
    Bmp expanded(new TBitmap());
    Bmp odd = Make1(11, 3, Checker);
    Expand1BitTo24Bit(odd.get(), expanded.get(), progress);
    ASSERT_EQ(expanded->GetPixelFormat(), pf24bit);
    ASSERT_EQ(expanded->GetWidth(), 11);
    for (Integer y = 0; y < 3; ++y)
        for (Integer x = 0; x < 11; ++x) {
            const Byte v = Checker(x, y) ? 255 : 0;
            EXPECT_EQ(Px(expanded.get(), x, y), ImgRGB(v, v, v)) << x << "," << y;
        }
    EXPECT_EQ(per, std::vector<Integer>({28, 57, 85}));

    // Expanding a bitmap into itself works from a copy.
    Expand1BitTo24Bit(odd.get(), odd.get());
    EXPECT_EQ(odd->GetPixelFormat(), pf24bit);
    EXPECT_EQ(Px(odd.get(), 0, 0), ImgRGB(255, 255, 255));
}

TEST(IeBitmapRoutines, OrderedDither) {
    Bmp grey = Make24(64, 32, [](Integer, Integer) { return ImgRGB(128, 128, 128); });
    std::vector<Integer> per;
    DitherTo1BitOrdered(grey.get(), TImgProgressTarget([&](TObject*, Integer p) { per.push_back(p); }, nullptr));
    ASSERT_EQ(grey->GetPixelFormat(), pf1bit);
    ASSERT_EQ(grey->GetWidth(), 64);
    int set = 0;
    for (Integer y = 0; y < 32; ++y)
        for (Integer x = 0; x < 64; ++x) set += Bit(grey.get(), x, y);
    EXPECT_EQ(set, 64 * 32 * 31 / 64);  // thresholds 0..30 of 0..63 pass
    ASSERT_EQ(per.size(), 32u);
    EXPECT_EQ(per.back(), 98);

    // A ramp gets darker to the left; a 1-bit bitmap is left alone.
    Bmp ramp = Make24(256, 8, [](Integer x, Integer) { return ImgRGB(Byte(x), Byte(x), Byte(x)); });
    DitherTo1BitOrdered(ramp.get());
    int left = 0, right = 0;
    for (Integer y = 0; y < 8; ++y)
        for (Integer x = 0; x < 64; ++x) {
            left += Bit(ramp.get(), x, y);
            right += Bit(ramp.get(), x + 192, y);
        }
    EXPECT_LT(left, 100);
    EXPECT_GT(right, 400);
    Bmp mono = Make1(9, 2, Checker);
    DitherTo1BitOrdered(mono.get());
    EXPECT_EQ(mono->GetWidth(), 9);
    EXPECT_EQ(Bit(mono.get(), 0, 0), Checker(0, 0));
}

TEST(IeBitmapRoutines, PolygonDrawingCopyingAndFilling) {
    const TImgRGB red = ImgRGB(255, 0, 0), blue = ImgRGB(0, 0, 255);
    const TPoint sep{ImgPolygonSeparator, 0};
    // A rectangle and a triangle, drawn from a red source placed at (1, 1) onto a blue canvas.
    const std::vector<TPoint> shapes = {{1, 1}, {3, 1}, {3, 3}, {1, 3}, sep, {4, 0}, {8, 0}, {4, 4}};
    Bmp canvas = Make24(9, 5, [&](Integer, Integer) { return blue; });
    Bmp source = Make24(7, 3, [&](Integer, Integer) { return red; });
    DrawThroughPolygon(canvas.get(), source.get(), 1, 1, shapes.data(), Integer(shapes.size()));
    EXPECT_EQ(Picture24(canvas.get(), red),
              (std::vector<std::string>{".........", ".##.##...", ".##.#....", ".........", "........."}));

    // A 1-bit source drawn onto a 24-bit bitmap shows as black and white.
    Bmp bits = Make1(9, 5, [](Integer x, Integer) { return x % 2 == 0; });
    const std::vector<TPoint> square = {{0, 0}, {2, 0}, {2, 1}, {0, 1}};
    DrawThroughPolygon(canvas.get(), bits.get(), 0, 0, square.data(), 4);
    EXPECT_EQ(Px(canvas.get(), 0, 0), ImgRGB(255, 255, 255));
    EXPECT_EQ(Px(canvas.get(), 1, 0), ImgRGB(0, 0, 0));
    EXPECT_EQ(Px(canvas.get(), 2, 0), blue);

    // The selection copied out: the bounding box's size, the source inside, white outside.
    Bmp photo = Make24(12, 10, Pattern);
    const std::vector<TPoint> tri = {{2, 2}, {8, 2}, {2, 8}};
    Bmp out(new TBitmap());
    CopyPolygonRegion(photo.get(), out.get(), 2, 2, 8, 8, tri.data(), 3);
    ASSERT_EQ(out->GetWidth(), 6);
    ASSERT_EQ(out->GetHeight(), 6);
    EXPECT_EQ(Px(out.get(), 0, 0), Pattern(2, 2));
    EXPECT_EQ(Px(out.get(), 4, 0), Pattern(6, 2));
    EXPECT_EQ(Px(out.get(), 5, 0), ImgRGB(255, 255, 255));
    EXPECT_EQ(Px(out.get(), 5, 5), ImgRGB(255, 255, 255));
    EXPECT_EQ(tri[0].X, 2);  // the caller's list is left as it was

    HGLOBAL dib = PolygonToDIB(photo.get(), 2, 2, 8, 8, tri.data(), 3);
    ASSERT_NE(dib, nullptr);
    Bmp back(new TBitmap());
    EXPECT_EQ(DIBToBitmap(dib, back.get()), 24);
    GlobalFree(dib);
    ExpectSame(back.get(), out.get());

    // Filling: 24-bit takes the colour, 1-bit the nearer of black and white.
    FillPolygon(photo.get(), tri.data(), 3, 0x0000FF);
    EXPECT_EQ(Px(photo.get(), 2, 2), red);
    EXPECT_EQ(Px(photo.get(), 7, 7), Pattern(7, 7));
    Bmp mono = Make1(6, 3, [](Integer, Integer) { return false; });
    const std::vector<TPoint> band = {{1, 0}, {5, 0}, {5, 2}, {1, 2}};
    FillPolygon(mono.get(), band.data(), 4, 0xE0E0E0);
    EXPECT_EQ(Picture1(mono.get()), (std::vector<std::string>{".####.", ".####.", "......"}));
    FillPolygon(mono.get(), band.data(), 4, 0x404040);
    EXPECT_EQ(Picture1(mono.get()), (std::vector<std::string>{"......", "......", "......"}));
}

TEST(IeBitmapRoutines, DIBRoundTrips) {
    for (bool oneBit : {false, true}) {
        Bmp src = oneBit ? Make1(13, 7, Checker) : Make24(13, 7, Pattern);
        HGLOBAL dib = BitmapToDIB(src.get());
        ASSERT_NE(dib, nullptr);
        const Byte* p = static_cast<const Byte*>(GlobalLock(dib));
        const Integer bits = oneBit ? 1 : 24;
        EXPECT_EQ(U32(p), 40u);
        EXPECT_EQ(U32(p + 4), 13u);
        EXPECT_EQ(U32(p + 8), 7u);  // positive: bottom-up
        EXPECT_EQ(p[12], 1);
        EXPECT_EQ(p[14], bits);
        for (int k = 16; k < 40; ++k) EXPECT_EQ(p[k], 0) << k;
        if (oneBit) {
            EXPECT_EQ(U32(p + 40), 0u);
            EXPECT_EQ(U32(p + 44), 0xFFFFFFFFu);
        }
        const size_t rowLen = oneBit ? 4 : 40;
        EXPECT_EQ(GlobalSize(dib), 40 + (oneBit ? 8u : 0u) + rowLen * 7);
        // The first row stored is the bottom row.
        const Byte* firstRow = p + 40 + (oneBit ? 8 : 0);
        if (!oneBit) {
            EXPECT_EQ(std::memcmp(firstRow, src->ScanLine(6), 39), 0);
        }
        GlobalUnlock(dib);

        Bmp back(new TBitmap());
        EXPECT_EQ(DIBToBitmap(dib, back.get()), bits);
        ExpectSame(back.get(), src.get());
        GlobalFree(dib);
    }

    // A rectangle, 1-bit from an odd column.
    Bmp mono = Make1(20, 6, Checker);
    HGLOBAL dib = BitmapToDIB(mono.get(), 3, 1, 12, 4);
    Bmp part(new TBitmap());
    ASSERT_EQ(DIBToBitmap(dib, part.get()), 1);
    GlobalFree(dib);
    ASSERT_EQ(part->GetWidth(), 10);
    ASSERT_EQ(part->GetHeight(), 4);
    for (Integer y = 0; y < 4; ++y)
        for (Integer x = 0; x < 10; ++x) EXPECT_EQ(Bit(part.get(), x, y), Checker(x + 3, y + 1));

    EXPECT_EQ(BitmapToDIB(mono.get(), 15, 0, 10, 0), nullptr);  // empty rectangle
}

namespace {

// A DIB block: header, then the given table (palette or masks), then the rows.
std::vector<Byte> MakeDIB(Integer w, Integer h, Integer bits, Cardinal compression,
                          const std::vector<Byte>& table, const std::vector<Byte>& rows,
                          Cardinal colorsUsed = 0) {
    std::vector<Byte> b(40);
    ImgWriteDIBHeader(b.data(), w, h, bits);
    for (int k = 0; k < 4; ++k) {
        b[16 + size_t(k)] = Byte(compression >> (8 * k));
        b[32 + size_t(k)] = Byte(colorsUsed >> (8 * k));
    }
    b.insert(b.end(), table.begin(), table.end());
    b.insert(b.end(), rows.begin(), rows.end());
    return b;
}

}  // namespace

TEST(IeBitmapRoutines, DIBDepthsAndDirections) {
    // 3 x 2 pixels in every depth: bottom row first, then the top row.
    const std::vector<Byte> palette = {0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0};
    const TImgRGB black{}, blue = ImgRGB(0, 0, 255), green = ImgRGB(0, 255, 0), red = ImgRGB(255, 0, 0);
    struct Case {
        const char* name;
        Integer bits;
        Cardinal compression;
        std::vector<Byte> table, rows;
        Cardinal colorsUsed;
    };
    const std::vector<Byte> masks565 = {0, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0};
    const Case cases[] = {
        {"4 bits", 4, 0, palette, {0x12, 0x30, 0, 0, 0x32, 0x10, 0, 0}, 4},
        {"8 bits", 8, 0, palette, {1, 2, 3, 0, 3, 2, 1, 0}, 4},
        {"16 bits 5-5-5", 16, 0, {}, {0x1F, 0, 0xE0, 0x03, 0x00, 0x7C, 0, 0, 0, 0x7C, 0xE0, 0x03, 0x1F, 0, 0, 0}, 0},
        {"16 bits 5-6-5", 16, 3, masks565, {0x1F, 0, 0xE0, 0x07, 0x00, 0xF8, 0, 0, 0, 0xF8, 0xE0, 0x07, 0x1F, 0, 0, 0}, 0},
        {"24 bits", 24, 0, {}, {255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0}, 0},
        {"32 bits", 32, 0, {}, {255, 0, 0, 9, 0, 255, 0, 9, 0, 0, 255, 9, 0, 0, 255, 9, 0, 255, 0, 9, 255, 0, 0, 9}, 0},
    };
    const TImgRGB bottom[3] = {blue, green, red}, top[3] = {red, green, blue};
    auto scale = [](TImgRGB c, Byte r, Byte g, Byte b) {
        return ImgRGB(c.r ? r : 0, c.g ? g : 0, c.b ? b : 0);
    };
    for (const Case& c : cases) {
        const std::vector<Byte> dib = MakeDIB(3, 2, c.bits, c.compression, c.table, c.rows, c.colorsUsed);
        TBitmap bmp;
        ASSERT_EQ(DIBToBitmap(dib.data(), dib.size(), &bmp), c.bits) << c.name;
        ASSERT_EQ(bmp.GetPixelFormat(), pf24bit);
        // 16-bit channels keep their top bits only.
        const bool is16 = c.bits == 16;
        const Byte r = is16 ? 0xF8 : 255, g = is16 ? (c.compression == 3 ? 0xFC : 0xF8) : 255,
                   b = is16 ? 0xF8 : 255;
        for (Integer x = 0; x < 3; ++x) {
            EXPECT_EQ(Px(&bmp, x, 1), scale(bottom[x], r, g, b)) << c.name << " bottom " << x;
            EXPECT_EQ(Px(&bmp, x, 0), scale(top[x], r, g, b)) << c.name << " top " << x;
        }
    }
    (void)black;

    // A negative height stores the top row first; pixels may come separately.
    const std::vector<Byte> header = MakeDIB(3, -2, 8, 0, palette, {}, 4);
    const std::vector<Byte> rows = {1, 2, 3, 0, 3, 2, 1, 0};
    TBitmap bmp;
    ASSERT_EQ(DIBToBitmap(header.data(), header.size(), &bmp, rows.data(), rows.size()), 8);
    EXPECT_EQ(Px(&bmp, 0, 0), blue);
    EXPECT_EQ(Px(&bmp, 0, 1), red);

    // 1 bit: the colour table is not applied, a set bit is white.
    const std::vector<Byte> mono = MakeDIB(3, 1, 1, 0, {255, 255, 255, 0, 0, 0, 0, 0}, {0xA0, 0, 0, 0});
    ASSERT_EQ(DIBToBitmap(mono.data(), mono.size(), &bmp), 1);
    EXPECT_EQ(bmp.GetPixelFormat(), pf1bit);
    EXPECT_EQ(Picture1(&bmp), (std::vector<std::string>{"#.#"}));
}

TEST(IeBitmapRoutines, RefusedDIBLeavesTheBitmapAlone) {
    Bmp bmp = Make24(4, 4, Pattern);
    const std::vector<Byte> rle = MakeDIB(4, 2, 8, 1, std::vector<Byte>(1024), std::vector<Byte>(64));
    EXPECT_EQ(DIBToBitmap(rle.data(), rle.size(), bmp.get()), 0);
    std::vector<Byte> cut = MakeDIB(4, 2, 24, 0, {}, std::vector<Byte>(24));
    cut.pop_back();
    EXPECT_EQ(DIBToBitmap(cut.data(), cut.size(), bmp.get()), 0);
    const std::vector<Byte> zeroMasks = MakeDIB(4, 2, 16, 3, std::vector<Byte>(12), std::vector<Byte>(16));
    EXPECT_EQ(DIBToBitmap(zeroMasks.data(), zeroMasks.size(), bmp.get()), 0);
    HGLOBAL empty = GlobalAlloc(GMEM_MOVEABLE, 10);
    EXPECT_EQ(DIBToBitmap(empty, bmp.get()), 0);
    GlobalFree(empty);
    EXPECT_EQ(DIBToBitmap(HGLOBAL(nullptr), bmp.get()), 0);
    Bmp same = Make24(4, 4, Pattern);
    ExpectSame(bmp.get(), same.get());
}

namespace {

struct YUVCase {
    const char* code;
    Integer width, height;
    std::vector<Byte> data;
    // Y, U, V of each pixel, top row first.
    std::vector<std::array<Integer, 3>> expected;
};

Cardinal Code(const char* s) {
    return Cardinal(Byte(s[0])) | Cardinal(Byte(s[1])) << 8 | Cardinal(Byte(s[2])) << 16 | Cardinal(Byte(s[3])) << 24;
}

}  // namespace

TEST(IeBitmapRoutines, YUVLayouts) {
    // Distinct luma values 60, 80, ... and chroma pairs make every misplaced byte show.
    const YUVCase cases[] = {
        {"YUY2", 4, 1, {60, 100, 80, 200, 90, 110, 70, 210}, {{60, 100, 200}, {80, 100, 200}, {90, 110, 210}, {70, 110, 210}}},
        {"YUNV", 2, 1, {60, 100, 80, 200}, {{60, 100, 200}, {80, 100, 200}}},
        {"YVYU", 2, 1, {60, 200, 80, 100}, {{60, 100, 200}, {80, 100, 200}}},
        {"UYVY", 2, 2, {100, 60, 200, 80, 110, 90, 210, 70}, {{60, 100, 200}, {80, 100, 200}, {90, 110, 210}, {70, 110, 210}}},
        {"UYNV", 2, 1, {100, 60, 200, 80}, {{60, 100, 200}, {80, 100, 200}}},
        // cyuv and Y41P store the bottom row first.
        {"cyuv", 2, 2, {100, 60, 200, 80, 110, 90, 210, 70}, {{90, 110, 210}, {70, 110, 210}, {60, 100, 200}, {80, 100, 200}}},
        {"IYU1", 4, 1, {100, 60, 80, 200, 90, 70}, {{60, 100, 200}, {80, 100, 200}, {90, 100, 200}, {70, 100, 200}}},
        {"IYU2", 2, 1, {100, 60, 200, 110, 80, 210}, {{60, 100, 200}, {80, 110, 210}}},
        {"Y211", 4, 1, {60, 100, 80, 200}, {{60, 100, 200}, {60, 100, 200}, {80, 100, 200}, {80, 100, 200}}},
        {"Y41P", 8, 1, {100, 60, 200, 61, 110, 62, 210, 63, 64, 65, 66, 67},
         {{60, 100, 200}, {61, 100, 200}, {62, 100, 200}, {63, 100, 200}, {64, 110, 210}, {65, 110, 210}, {66, 110, 210}, {67, 110, 210}}},
        // Fields: V 0-5 = 33, U 6-11 = 17, Y0..Y3 = 5, 6, 7, 8, passed as they are.
        {"CLJR", 4, 1, {0x61, 0x54, 0xCC, 0x41}, {{5, 17, 33}, {6, 17, 33}, {7, 17, 33}, {8, 17, 33}}},
        // Planar 4 x 2: Y plane, then the two chroma planes of 2 x 1.
        {"I420", 4, 2, {60, 61, 62, 63, 64, 65, 66, 67, 100, 110, 200, 210},
         {{60, 100, 200}, {61, 100, 200}, {62, 110, 210}, {63, 110, 210}, {64, 100, 200}, {65, 100, 200}, {66, 110, 210}, {67, 110, 210}}},
        {"IYUV", 2, 2, {60, 61, 62, 63, 100, 200}, {{60, 100, 200}, {61, 100, 200}, {62, 100, 200}, {63, 100, 200}}},
        {"YV12", 4, 2, {60, 61, 62, 63, 64, 65, 66, 67, 200, 210, 100, 110},
         {{60, 100, 200}, {61, 100, 200}, {62, 110, 210}, {63, 110, 210}, {64, 100, 200}, {65, 100, 200}, {66, 110, 210}, {67, 110, 210}}},
        {"YVU9", 4, 1, {60, 61, 62, 63, 200, 100}, {{60, 100, 200}, {61, 100, 200}, {62, 100, 200}, {63, 100, 200}}},
    };
    for (const YUVCase& c : cases) {
        std::vector<Byte> header(40);
        ImgWriteDIBHeader(header.data(), c.width, c.height, 16);
        const Cardinal code = Code(c.code);
        for (int k = 0; k < 4; ++k) header[16 + size_t(k)] = Byte(code >> (8 * k));
        TBitmap bmp;
        ASSERT_EQ(DIBToBitmap(header.data(), header.size(), &bmp, c.data.data(), c.data.size()), 16) << c.code;
        ASSERT_EQ(bmp.GetPixelFormat(), pf24bit);
        for (size_t i = 0; i < c.expected.size(); ++i) {
            const Integer x = Integer(i) % c.width, y = Integer(i) / c.width;
            TImgRGB want;
            YUVToRGB(c.expected[i][0], c.expected[i][1], c.expected[i][2], want);
            EXPECT_EQ(Px(&bmp, x, y), want) << c.code << " pixel " << x << "," << y;
        }
        // A negative height turns the row order round.
        header[8] = Byte(-c.height);
        for (int k = 9; k < 12; ++k) header[size_t(k)] = 0xFF;
        ASSERT_EQ(DIBToBitmap(header.data(), header.size(), &bmp, c.data.data(), c.data.size()), 16);
        TImgRGB want;
        YUVToRGB(c.expected[0][0], c.expected[0][1], c.expected[0][2], want);
        EXPECT_EQ(Px(&bmp, 0, c.height - 1), want) << c.code << " flipped";
    }
}

TEST(IeBitmapRoutines, DIBDepthsMatchTheFrameworkBMPReader) {
    // Each DIB, behind a 14-byte file header, is a BMP file; the framework's own BMP reader is an
    // independent reading of the same bytes.
    struct Fixture {
        const char* name;
        Integer bits;
        Cardinal compression;
        std::vector<Byte> table;
        Cardinal colorsUsed;
        // The channel bits a 16-bit pixel carries: this reader shifts them to the top, the
        // framework's reader also fills the low bits.
        Byte keepR = 0xFF, keepG = 0xFF, keepB = 0xFF;
    };
    std::vector<Byte> palette16, palette256;
    for (int i = 0; i < 16; ++i) palette16.insert(palette16.end(), {Byte(i * 16), Byte(255 - i * 9), Byte(i * 5 + 3), 0});
    for (int i = 0; i < 256; ++i) palette256.insert(palette256.end(), {Byte(i), Byte(i * 7), Byte(255 - i), 0});
    const Fixture fixtures[] = {
        {"4 bits", 4, BI_RGB, palette16, 0},
        {"4 bits, 11 colours", 4, BI_RGB, std::vector<Byte>(palette16.begin(), palette16.begin() + 44), 11},
        {"8 bits", 8, BI_RGB, palette256, 0},
        {"16 bits 5-5-5", 16, BI_RGB, {}, 0, 0xF8, 0xF8, 0xF8},
        {"16 bits 5-6-5", 16, BI_BITFIELDS, {0, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0}, 0, 0xF8, 0xFC, 0xF8},
        {"24 bits", 24, BI_RGB, {}, 0},
        {"32 bits", 32, BI_RGB, {}, 0},
    };
    const Integer w = 9, h = 5;
    for (const Fixture& f : fixtures) {
        const size_t rowLen = size_t((w * f.bits + 31) / 32 * 4);
        std::vector<Byte> rows(rowLen * h);
        for (size_t i = 0; i < rows.size(); ++i) rows[i] = Byte((i * 2654435761u) >> 13);
        if (f.colorsUsed == 11)  // keep the indexes inside the short table
            for (Byte& b : rows) b = Byte(((b >> 4) % 11) << 4 | ((b & 15) % 11));
        const std::vector<Byte> dib = MakeDIB(w, h, f.bits, f.compression, f.table, rows, f.colorsUsed);

        TBitmap ours;
        ASSERT_EQ(DIBToBitmap(dib.data(), dib.size(), &ours), f.bits) << f.name;

        std::vector<Byte> file(14);
        file[0] = 'B';
        file[1] = 'M';
        const Cardinal size = Cardinal(file.size() + dib.size()), offset = Cardinal(14 + dib.size() - rows.size());
        for (int k = 0; k < 4; ++k) {
            file[2 + size_t(k)] = Byte(size >> (8 * k));
            file[10 + size_t(k)] = Byte(offset >> (8 * k));
        }
        file.insert(file.end(), dib.begin(), dib.end());
        TBitmap theirs;
        theirs.LoadFromBytes(file.data(), file.size());
        theirs.SetPixelFormat(pf24bit);
        ASSERT_EQ(theirs.GetWidth(), w) << f.name;
        ASSERT_EQ(theirs.GetHeight(), h) << f.name;
        for (Integer y = 0; y < h; ++y)
            for (Integer x = 0; x < w; ++x) {
                const TImgRGB b = Px(&theirs, x, y);
                EXPECT_EQ(Px(&ours, x, y), ImgRGB(b.r & f.keepR, b.g & f.keepG, b.b & f.keepB))
                    << f.name << " at " << x << "," << y;
            }
    }
}

TEST(IeBitmapRoutines, RandomlyDamagedDIBsAreReadSafely) {
    // Valid blocks of every kind, damaged at random in their header, tables and length. Under the
    // address sanitizer any read past the block fails the run; an accepted block must fill the
    // bitmap with the size its header gives.
    std::vector<std::vector<Byte>> blocks;
    std::vector<Byte> palette(1024, 0x55);
    for (Integer bits : {1, 4, 8, 16, 24, 32})
        blocks.push_back(MakeDIB(7, 3, bits, BI_RGB, bits <= 8 ? std::vector<Byte>(palette.begin(), palette.begin() + (4 << bits)) : std::vector<Byte>{},
                                 std::vector<Byte>(size_t((7 * bits + 31) / 32 * 4 * 3), 0xA5)));
    blocks.push_back(MakeDIB(7, 3, 16, BI_BITFIELDS, {0, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0}, std::vector<Byte>(24, 0x3C)));
    const std::vector<Byte> frame(64 * 3, 0x80);

    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<Byte> b = blocks[next() % blocks.size()];
        const bool yuv = round % 10 == 0;
        if (yuv) {
            const Cardinal code = Code(round % 20 == 0 ? "I420" : "Y41P");
            for (int k = 0; k < 4; ++k) b[16 + size_t(k)] = Byte(code >> (8 * k));
        }
        for (int n = next() % 4; n >= 0; --n) {
            const size_t at = next() % std::min<size_t>(b.size(), 64);
            b[at] = Byte(next());
        }
        if (next() % 3 == 0) b.resize(next() % (b.size() + 1));
        // An exact-size heap copy, so the sanitizer sees the end of the block.
        std::unique_ptr<Byte[]> exact(new Byte[b.size() + 1]);
        if (!b.empty()) std::memcpy(exact.get(), b.data(), b.size());
        TBitmap bmp;
        const Integer bits = yuv ? DIBToBitmap(exact.get(), b.size(), &bmp, frame.data(), frame.size())
                                 : DIBToBitmap(exact.get(), b.size(), &bmp);
        if (bits != 0) {
            ++accepted;
            Integer w, h;
            std::memcpy(&w, exact.get() + 4, 4);
            std::memcpy(&h, exact.get() + 8, 4);
            EXPECT_EQ(bmp.GetWidth(), w);
            EXPECT_EQ(bmp.GetHeight(), h < 0 ? -h : h);
        }
    }
    EXPECT_GT(accepted, 100);  // the damage leaves many blocks readable
}
