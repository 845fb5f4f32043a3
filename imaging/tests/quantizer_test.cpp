#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <vector>

#include "image_fixture.h"
#include "imaging/quantizer.h"

namespace {

Integer Distance(const TImgRGB& a, const TImgRGB& b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

// The largest distance between a pixel and the palette colour the quantizer gives it.
Integer WorstError(TBitmap* b, const TImgQuantizer& q, const std::vector<TImgRGB>& palette) {
    Integer worst = 0;
    for (Integer y = 0; y < b->GetHeight(); ++y)
        for (Integer x = 0; x < b->GetWidth(); ++x) {
            const Integer i = q.RGBToIndex(ImgPackRGB(Px(b, x, y)));
            EXPECT_GE(i, 0);
            EXPECT_LT(i, q.GetColorCount());
            if (i < 0 || i >= q.GetColorCount()) return 1000;
            worst = std::max(worst, Distance(Px(b, x, y), palette[size_t(i)]));
        }
    return worst;
}

double MeanError(TBitmap* b, const TImgQuantizer& q, const std::vector<TImgRGB>& palette) {
    double sum = 0;
    for (Integer y = 0; y < b->GetHeight(); ++y)
        for (Integer x = 0; x < b->GetWidth(); ++x)
            sum += Distance(Px(b, x, y), palette[size_t(q.RGBToIndex(ImgPackRGB(Px(b, x, y))))]);
    return sum / (b->GetWidth() * b->GetHeight());
}

const TImgRGB kMarker = ImgRGB(1, 2, 3);

TEST(QuantizerBoxes, OneColourGivesOneEntryAndIndexZero) {
    Bmp b = Make24(7, 5, [](Integer, Integer) { return ImgRGB(200, 13, 77); });
    std::vector<TImgRGB> palette(256, kMarker);
    TImgQuantizer q(b.get(), palette.data(), 256);
    EXPECT_FALSE(q.GetUsesNeuQuant());
    EXPECT_EQ(q.GetColorCount(), 1);
    EXPECT_EQ(palette[0], ImgRGB(200, 13, 77));  // the pixels' own colour, not their bins' lower end
    EXPECT_EQ(palette[1], kMarker);
    EXPECT_EQ(q.RGBToIndex(ImgPackRGB(ImgRGB(200, 13, 77))), 0);
    EXPECT_EQ(q.RGBToIndex(0xFFFFFF), 0);
}

TEST(QuantizerBoxes, SeparateColoursEachGetTheirOwnBox) {
    // Eight corners of the cube in vertical stripes of different widths.
    const TImgRGB corners[8] = {ImgRGB(0, 0, 0),     ImgRGB(255, 0, 0),   ImgRGB(0, 255, 0),
                                ImgRGB(0, 0, 255),   ImgRGB(255, 255, 0), ImgRGB(255, 0, 255),
                                ImgRGB(0, 255, 255), ImgRGB(255, 255, 255)};
    Bmp b = Make24(36, 4, [&](Integer x, Integer) { return corners[std::min<Integer>(x / 4, 7)]; });
    std::vector<TImgRGB> palette(16, kMarker);
    TImgQuantizer q(b.get(), palette.data(), 16);
    EXPECT_EQ(q.GetColorCount(), 8);
    EXPECT_EQ(palette[8], kMarker);  // the caller's tail is left alone
    std::set<Integer> used;
    for (const TImgRGB& c : corners) {
        const Integer i = q.RGBToIndex(ImgPackRGB(c));
        used.insert(i);
        EXPECT_EQ(palette[size_t(i)], c);  // white stays white
    }
    EXPECT_EQ(used.size(), 8u);
}

TEST(QuantizerBoxes, NeverMoreBoxesThanAskedAndErrorShrinksWithMore) {
    Bmp b = Make24(64, 64, [](Integer x, Integer y) { return ImgRGB(Byte(x * 4), Byte(y * 4), Byte((x + y) * 2)); });
    double previous = 1000;
    for (Integer n : {2, 16, 64, 256}) {
        SCOPED_TRACE(n);
        std::vector<TImgRGB> palette(size_t(n) + 1, kMarker);
        TImgQuantizer q(b.get(), palette.data(), n);
        EXPECT_LE(q.GetColorCount(), n);
        EXPECT_GE(q.GetColorCount(), n / 2);
        EXPECT_EQ(palette[size_t(n)], kMarker);
        const double mean = MeanError(b.get(), q, palette);
        EXPECT_LT(mean, previous);
        previous = mean;
    }
    // Bins are 8 wide; taking the pixels' mean beats the bins' lower end (about 13.9 here).
    EXPECT_LE(previous, 12.5);
}

TEST(QuantizerNeuQuant, LearnsFromATinyImage) {
    // 5 x 5 pixels: fewer than 100 samples, so the learning steps shrink after every sample.
    Bmp b = Make24(5, 5, [](Integer x, Integer y) { return (x + y) % 2 ? ImgRGB(250, 20, 20) : ImgRGB(10, 10, 240); });
    std::vector<TImgRGB> palette(300, kMarker);
    TImgQuantizer q(b.get(), palette.data(), 300);
    EXPECT_TRUE(q.GetUsesNeuQuant());
    EXPECT_EQ(q.GetColorCount(), 300);
    EXPECT_LE(WorstError(b.get(), q, palette), 12);
}

TEST(QuantizerNeuQuant, SamplingFactorFromQualityOrImageSize) {
    Bmp small = Make24(40, 40, [](Integer x, Integer y) { return ImgRGB(Byte(x), Byte(y), 0); });
    Bmp large = Make24(400, 400, [](Integer x, Integer y) { return ImgRGB(Byte(x), Byte(y), 0); });
    std::vector<TImgRGB> palette(257);
    struct Case {
        TBitmap* bitmap;
        Integer quality, factor;
    } cases[] = {{small.get(), -1, 1},  // under 2000 pixels
                 {large.get(), -1, 16},  // Round(158000 * 13 / 148000 + 2)
                 {small.get(), 100, 1},  {small.get(), 0, 30}, {small.get(), 50, 15},
                 {small.get(), 500, 1},  {small.get(), -50, 30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quality);
        EXPECT_EQ(TImgNeuQuant(c.bitmap, palette.data(), 257, c.quality).GetSampleFactor(), c.factor);
    }
}

TEST(QuantizerNeuQuant, NeighbourhoodWeightsStayExactForLargeRadii) {
    // 65,536 neurons start with a radius of 8192: rad * rad * 256 is far beyond 32 bits.
    std::vector<Int64> w(8192, -7);
    TImgNeuQuant::RadPowers(1024, 8192, w);
    EXPECT_EQ(w[0], 1024 * 256);
    EXPECT_EQ(w[4096], 1024 * ((Int64(8192) * 8192 - Int64(4096) * 4096) * 256 / (Int64(8192) * 8192)));
    for (size_t i = 1; i < w.size(); ++i) {
        ASSERT_GE(w[i], 0) << i;
        ASSERT_LE(w[i], w[i - 1]) << i;
    }
}

TEST(QuantizerNeuQuant, SixtyFiveThousandColoursMapClosely) {
    Bmp b = Make24(48, 48,
                   [](Integer x, Integer y) { return ImgRGB(Byte(x * 5), Byte(y * 5), Byte(255 - x * 2 - y * 2)); });
    std::vector<TImgRGB> palette(65536, kMarker);
    TImgQuantizer q(b.get(), palette.data(), 65536);
    EXPECT_EQ(q.GetColorCount(), 65536);
    EXPECT_LE(WorstError(b.get(), q, palette), 70);
    EXPECT_LE(MeanError(b.get(), q, palette), 20);
}

TEST(QuantizeBitmap, ReplacesPixelsByPaletteColours) {
    Bmp b = Make24(32, 8, [](Integer x, Integer y) { return ImgRGB(Byte(x * 8), Byte(y * 30), 100); });
    std::vector<TImgRGB> palette(4, kMarker);
    std::vector<Integer> reports;
    QuantizeBitmap(b.get(), 4, palette.data(),
                   TImgProgressTarget([&](TObject*, Integer p) { reports.push_back(p); }, nullptr));
    std::set<Cardinal> colours;
    for (Integer y = 0; y < 8; ++y)
        for (Integer x = 0; x < 32; ++x) colours.insert(ImgPackRGB(Px(b.get(), x, y)));
    EXPECT_LE(colours.size(), 4u);
    for (Cardinal c : colours) {
        bool inPalette = false;
        for (const TImgRGB& p : palette) inPalette |= ImgPackRGB(p) == c;
        EXPECT_TRUE(inPalette);
    }
    ASSERT_EQ(reports.size(), 8u);
    EXPECT_EQ(reports.front(), 11);  // Trunc(100 / 8.5)
    EXPECT_EQ(reports.back(), 94);

    Bmp one = Make1(8, 2, [](Integer x, Integer) { return x & 1; });
    QuantizeBitmap(one.get(), 4, nullptr);  // not 24-bit: left alone
    EXPECT_TRUE(Bit(one.get(), 1, 0));
}

TEST(TryConvertTo1Bit, TwoColoursGiveOneBitWithTheDarkerAsColourZero) {
    const TImgRGB dark = ImgRGB(0, 0, 40), light = ImgRGB(250, 250, 250);
    for (bool lightFirst : {true, false}) {
        SCOPED_TRACE(lightFirst);
        Bmp b = Make24(10, 3, [&](Integer x, Integer y) { return ((x + y) % 3 == 0) == lightFirst ? light : dark; });
        TImgRGB c0, c1;
        std::unique_ptr<TBitmap> bits(TryConvertTo1Bit(b.get(), c0, c1));
        ASSERT_TRUE(bits);
        EXPECT_EQ(bits->GetPixelFormat(), pf1bit);
        EXPECT_EQ(c0, dark);
        EXPECT_EQ(c1, light);
        for (Integer y = 0; y < 3; ++y)
            for (Integer x = 0; x < 10; ++x) EXPECT_EQ(Bit(bits.get(), x, y), Px(b.get(), x, y) == light);
    }
    TImgRGB c0, c1;
    Bmp single = Make24(4, 4, [](Integer, Integer) { return ImgRGB(9, 9, 9); });
    EXPECT_EQ(TryConvertTo1Bit(single.get(), c0, c1), nullptr);
    Bmp three = Make24(3, 1, [](Integer x, Integer) { return ImgRGB(Byte(x), 0, 0); });
    EXPECT_EQ(TryConvertTo1Bit(three.get(), c0, c1), nullptr);
}

TEST(PaletteRoutines, NearestIndexAndSwap) {
    TImgRGB palette[4] = {ImgRGB(10, 10, 10), ImgRGB(100, 0, 0), ImgRGB(100, 0, 0), ImgRGB(0, 0, 200)};
    EXPECT_EQ(NearestPaletteIndex(palette, 4, 0x5A0000), 1);  // tie with entry 2: the lower wins
    EXPECT_EQ(NearestPaletteIndex(palette, 4, 0x0000FF), 3);
    EXPECT_EQ(NearestPaletteIndex(palette, 4, 0x000000), 0);
    SwapPaletteRB(palette, 2);
    EXPECT_EQ(palette[1].b, 100);
    EXPECT_EQ(palette[1].r, 0);
    EXPECT_EQ(palette[3].b, 200);  // beyond Count: untouched
}

TEST(ConvertRowDepth, EveryListedPair) {
    const TImgRGB pal[16] = {ImgRGB(0, 0, 0), ImgRGB(255, 255, 255), ImgRGB(1, 2, 3), ImgRGB(4, 5, 6),
                             ImgRGB(7, 8, 9), ImgRGB(10, 11, 12)};
    // A quantizer whose palette is black and white.
    Bmp bw = Make24(2, 1, [](Integer x, Integer) { return x ? ImgRGB(255, 255, 255) : ImgRGB(0, 0, 0); });
    TImgRGB qpal[2];
    TImgQuantizer q(bw.get(), qpal, 2);

    const TImgRGB rgb[3] = {ImgRGB(0, 0, 0), ImgRGB(255, 255, 255), ImgRGB(0, 0, 0)};
    const Integer black = q.RGBToIndex(0), white = q.RGBToIndex(0xFFFFFF);
    const Byte px32[8] = {1, 2, 3, 99, 4, 5, 6, 99};
    const Byte px8[5] = {1, 0, 1, 1, 0};
    const Byte px8pal[3] = {2, 0, 5};
    const Byte px4[2] = {0x25, 0x30};
    const Byte px1[2] = {0xA0, 0x80};
    struct Case {
        const void* src;
        Integer sbits, dbits, count, result;
        std::vector<Byte> expect;
    } cases[] = {
        {rgb, 24, 4, 3, 2, {Byte(black << 4 | white), Byte(black << 4)}},
        {rgb, 24, 8, 3, 3, {Byte(black), Byte(white), Byte(black)}},
        {rgb, 24, 24, 1, 3, {0, 0, 0}},
        {px32, 32, 24, 2, 6, {1, 2, 3, 4, 5, 6}},
        {px8, 8, 1, 5, 1, {0xB0}},
        {px8, 8, 8, 3, 3, {1, 0, 1}},
        {px8pal, 8, 24, 3, 9, {3, 2, 1, 0, 0, 0, 12, 11, 10}},
        {px4, 4, 4, 3, 2, {0x25, 0x30}},
        {px4, 4, 8, 3, 3, {2, 5, 3}},
        {px4, 4, 24, 2, 6, {3, 2, 1, 12, 11, 10}},
        {px1, 1, 1, 9, 2, {0xA0, 0x80}},
        {px1, 1, 4, 3, 2, {0x10, 0x10}},
        {px1, 1, 8, 4, 4, {1, 0, 1, 0}},
        {px1, 1, 24, 2, 6, {255, 255, 255, 0, 0, 0}},
        {px8, 8, 4, 5, 3, {}},   // not listed: nothing written
        {px8, 8, 16, 5, 0, {}},  // unknown destination depth
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sbits << " -> " << c.dbits);
        std::vector<Byte> dest(16, 0);
        EXPECT_EQ(ConvertRowDepth(c.src, dest.data(), c.sbits, c.dbits, c.count, pal, &q), c.result);
        EXPECT_EQ(std::vector<Byte>(dest.begin(), dest.begin() + Integer(c.expect.size())), c.expect);
        EXPECT_EQ(dest[c.expect.size()], 0);
    }
}

}  // namespace
