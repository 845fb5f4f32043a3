#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "imaging/bitmap_rows.h"
#include "imaging/yuv.h"

namespace {

// A polygon list rasterised into a W x H text mask, '#' for covered pixels.
std::vector<std::string> Mask(const std::vector<TPoint>& pts, Integer w, Integer h) {
    std::vector<std::string> rows(size_t(h), std::string(size_t(w), '.'));
    ForEachPolygon(pts.data(), Integer(pts.size()), [&](const TPoint* p, Integer n) {
        PolygonSpans(p, n, 0, h, [&](Integer y, Integer x1, Integer x2) {
            for (Integer x = std::max(x1, 0); x < std::min(x2, w); ++x) rows[size_t(y)][size_t(x)] = '#';
        });
    });
    return rows;
}

std::string Bits(const Byte* row, Integer n) {
    std::string s;
    for (Integer i = 0; i < n; ++i) s += GetRowBit(row, i) ? '1' : '0';
    return s;
}

}  // namespace

TEST(IeBitmapRoutines, RowBitsAndBitRuns) {
    Byte row[2] = {0x80, 0x01};
    EXPECT_EQ(GetRowBit(row, 0), 0x80);
    EXPECT_EQ(GetRowBit(row, 1), 0);
    EXPECT_EQ(GetRowBit(row, 15), 0x01);
    SetRowBit(row, 3, 5);
    SetRowBit(row, 0, 0);
    EXPECT_EQ(row[0], 0x10);

    // Three bits from bit 6 of one byte to bit 2 of another: the other five stay.
    Byte src[2] = {0b00000011, 0b10000000};
    Byte dst[1] = {0b10100101};
    CopyBitRun(dst, src, 2, 3, 6);
    EXPECT_EQ(dst[0], 0b10111101);

    // Runs of every length and alignment against a bit-by-bit copy.
    Byte source[12], expected[12], actual[12];
    for (int i = 0; i < 12; ++i) source[i] = Byte(0x5A ^ (i * 37));
    for (Integer sb = 0; sb < 9; ++sb)
        for (Integer db = 0; db < 9; ++db)
            for (Integer count = 0; count <= 70; ++count) {
                std::memset(expected, 0xC3, sizeof expected);
                std::memset(actual, 0xC3, sizeof actual);
                for (Integer k = 0; k < count; ++k) SetRowBit(expected, db + k, GetRowBit(source, sb + k));
                CopyBitRun(actual, source, db, count, sb);
                ASSERT_EQ(Bits(actual, 96), Bits(expected, 96))
                    << "source bit " << sb << " dest bit " << db << " count " << count;
            }
}

TEST(IeBitmapRoutines, ExpandAndDitherRows) {
    const Byte src[2] = {0b10110000, 0b01000000};
    TImgRGB out[11];
    std::fill(std::begin(out), std::end(out), ImgRGB(0x77, 0x77, 0x77));
    Expand1BitRow(src, out, 10);
    const char* expected = "1011000001";
    for (int x = 0; x < 10; ++x) {
        const Byte v = expected[x] == '1' ? 255 : 0;
        EXPECT_EQ(out[x], ImgRGB(v, v, v)) << x;
    }
    EXPECT_EQ(out[10].b, 0x77);  // nothing written past the width

    // Mid grey: grey level 126, shr 2 = 31, set where the threshold is below 31: half the matrix.
    std::vector<TImgRGB> grey(8, ImgRGB(128, 128, 128));
    int set = 0;
    for (Integer y = 0; y < 8; ++y) {
        Byte b = 0;
        DitherRowOrdered(grey.data(), &b, 8, y);
        for (int x = 0; x < 8; ++x) {
            const bool on = b & (0x80 >> x);
            EXPECT_EQ(on, ImgDitherMatrix[x][y] < 31) << x << "," << y;
            set += on;
        }
    }
    EXPECT_EQ(set, 31);

    // White never passes the top threshold 63 (252 shr 2 = 63 is not above it); black stays
    // black; a partial last byte is written with clear padding bits.
    std::vector<TImgRGB> row(8, ImgRGB(255, 255, 255));
    row[2] = ImgRGB(0, 0, 0);
    Byte bits[2] = {0, 0x55};
    DitherRowOrdered(row.data(), bits, 8, 0);  // thresholds 0 48 12 60 3 51 15 63
    EXPECT_EQ(bits[0], 0b11011110);
    EXPECT_EQ(bits[1], 0x55);
    DitherRowOrdered(row.data(), bits, 2, 0);
    EXPECT_EQ(bits[0], 0b11000000);
}

TEST(IeBitmapRoutines, PolygonMasks) {
    // A rectangle covers its interior; the right and bottom edges stay outside.
    EXPECT_EQ(Mask({{1, 1}, {5, 1}, {5, 4}, {1, 4}}, 7, 6),
              (std::vector<std::string>{".......", ".####..", ".####..", ".####..", ".......",
                                        "......."}));
    // A right triangle: a pixel is covered when its centre is inside; a centre on the slanted
    // right edge is outside.
    EXPECT_EQ(Mask({{0, 0}, {6, 0}, {0, 6}}, 7, 7),
              (std::vector<std::string>{"#####..", "####...", "###....", "##.....", "#......",
                                        ".......", "......."}));
    // Two polygons separated by the marker; alternate filling leaves a hole in a self-overlap.
    const TPoint sep{ImgPolygonSeparator, 0};
    EXPECT_EQ(Mask({{0, 0}, {2, 0}, {2, 2}, {0, 2}, sep, {4, 0}, {6, 0}, {6, 1}, {4, 1}}, 7, 3),
              (std::vector<std::string>{"##..##.", "##.....", "......."}));
    EXPECT_EQ(Mask({{0, 0}, {4, 0}, {4, 3}, {1, 3}, {1, 1}, {3, 1}, {3, 2}, {0, 2}}, 5, 4),
              (std::vector<std::string>{"####.", "#..#.", ".###.", "....."}));
    // Degenerate lists cover nothing; parts outside the row range are clipped.
    EXPECT_EQ(Mask({{0, 0}, {5, 0}}, 3, 2), (std::vector<std::string>{"...", "..."}));
    EXPECT_EQ(Mask({{-5, -5}, {2, -5}, {2, 1}, {-5, 1}}, 3, 2), (std::vector<std::string>{"##.", "..."}));
}

TEST(IeBitmapRoutines, YUVFormula) {
    struct Case {
        Integer y, u, v;
        TImgRGB rgb;
    };
    const Case cases[] = {
        {16, 128, 128, ImgRGB(0, 0, 0)},
        {235, 128, 128, ImgRGB(255, 255, 255)},
        {126, 128, 128, ImgRGB(128, 128, 128)},   // 110 * 1.164 = 128.04
        {81, 90, 240, ImgRGB(254, 0, 0)},         // red, clamped green and blue
        {0, 0, 0, ImgRGB(0, 135, 0)},             // -18.6 + 104.1 + 50.0 = 135.4 for green
        {255, 255, 255, ImgRGB(255, 125, 255)},   // 278.2 - 103.3 - 49.7 = 125.3
    };
    for (const Case& c : cases) {
        TImgRGB p;
        YUVToRGB(c.y, c.u, c.v, p);
        EXPECT_EQ(p, c.rgb) << c.y << "," << c.u << "," << c.v << " -> " << int(p.r) << ","
                            << int(p.g) << "," << int(p.b);
    }
}
