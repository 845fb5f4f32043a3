#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/bitmap_rows.h"
#include "imaging/resample.h"
#include "imaging/tests/image_fixture.h"

namespace {

Bmp Blank(Integer w, Integer h) {
    Bmp b(new TBitmap());
    b->SetPixelFormat(pf24bit);
    b->SetSize(w, h);
    return b;
}

struct Entry {
    Integer Pixel;
    double Weight;
};

std::vector<Entry> ListOf(const TImgContributors& c, Integer i) {
    std::vector<Entry> out;
    for (Integer e = c.First[size_t(i)]; e < c.First[size_t(i) + 1]; ++e)
        out.push_back({c.Pixel[size_t(e)], c.Weight[size_t(e)]});
    return out;
}

TEST(ResampleTest, KernelsAtTheirKeyPoints) {
    struct Case {
        double (*Kernel)(double);
        double X, Expected;
    };
    const Case cases[] = {
        {TriangleFilter, 0, 1},       {TriangleFilter, 0.25, 0.75},  {TriangleFilter, -1, 0},
        {HermiteFilter, 0.5, 0.5},    {HermiteFilter, 1, 0},         {BellFilter, 0.5, 0.5},
        {BellFilter, 1, 0.125},       {BellFilter, 1.5, 0},          {BSplineFilter, 0, 2.0 / 3.0},
        {BSplineFilter, 1, 1.0 / 6.0}, {BSplineFilter, -2, 0},        {Lanczos3Filter, 0, 1},
        {Lanczos3Filter, 1, 0},       {Lanczos3Filter, 3, 0},        {MitchellFilter, 0, 8.0 / 9.0},
        {MitchellFilter, 1, 1.0 / 18.0}, {MitchellFilter, 2, 0},
    };
    for (const Case& c : cases) EXPECT_NEAR(c.Kernel(c.X), c.Expected, 1e-12) << c.X;
    EXPECT_NEAR(Lanczos3Filter(0.5), Sinc(0.5) * Sinc(0.5 / 3), 1e-15);
    EXPECT_LT(Lanczos3Filter(1.5), 0);  // the negative lobe
    EXPECT_EQ(ImgFilterKernels[rfLanczos3].Support, 3.0);
    EXPECT_EQ(ImgFilterKernels[rfBell].Support, 1.5);
    EXPECT_EQ(ImgFilterKernels[rfNone].Kernel, nullptr);
}

TEST(ResampleTest, ContributorsForEnlargingReducingAndKeepingTheSize) {
    // Enlarging 100 -> 200: column 1 has its centre at 0.5, between source columns 0 and 1.
    const auto up = ListOf(ImgBuildContributors(200, 100, rfTriangle), 1);
    ASSERT_EQ(up.size(), 2u);
    EXPECT_EQ(up[0].Pixel, 0);
    EXPECT_DOUBLE_EQ(up[0].Weight, 0.5);
    EXPECT_EQ(up[1].Pixel, 1);
    EXPECT_DOUBLE_EQ(up[1].Weight, 0.5);

    // Reducing 200 -> 100: the support widens to 2; column -1 is mirrored to 1.
    const auto down = ListOf(ImgBuildContributors(100, 200, rfTriangle), 0);
    ASSERT_EQ(down.size(), 3u);
    EXPECT_EQ(down[0].Pixel, 1);
    EXPECT_DOUBLE_EQ(down[0].Weight, 0.25);
    EXPECT_EQ(down[1].Pixel, 0);
    EXPECT_DOUBLE_EQ(down[1].Weight, 0.5);
    EXPECT_EQ(down[2].Pixel, 1);
    EXPECT_DOUBLE_EQ(down[2].Weight, 0.25);

    // The same size with Hermite: only the centre pixel, with weight 1.
    const TImgContributors same = ImgBuildContributors(100, 100, rfHermite);
    for (Integer i = 0; i < 100; ++i) {
        const auto l = ListOf(same, i);
        ASSERT_EQ(l.size(), 1u) << i;
        EXPECT_EQ(l[0].Pixel, i);
        EXPECT_EQ(l[0].Weight, 1.0);
    }
}

// Wide kernels over one- and two-pixel sources, and reductions to a single pixel, reach far
// past both edges; every source index must stay inside the source.
TEST(ResampleTest, ContributorsStayInsideTinySourcesAndStrongReductions) {
    struct Case {
        Integer Dest, Source;
    };
    const Case cases[] = {{1, 1}, {9, 1}, {2, 2}, {9, 2}, {7, 3}, {1, 2}, {1, 1000}, {3, 1000}, {2, 7}};
    for (int f = rfTriangle; f <= rfMitchell; ++f)
        for (const Case& c : cases) {
            const TImgContributors l = ImgBuildContributors(c.Dest, c.Source, TResampleFilter(f));
            ASSERT_EQ(l.First.size(), size_t(c.Dest) + 1);
            for (Integer p : l.Pixel) {
                ASSERT_GE(p, 0) << f << " " << c.Dest << "<-" << c.Source;
                ASSERT_LT(p, c.Source) << f << " " << c.Dest << "<-" << c.Source;
            }
            for (double w : l.Weight) ASSERT_NE(w, 0.0);
        }
    // Nothing to build from an empty side.
    EXPECT_TRUE(ImgBuildContributors(5, 0, rfLanczos3).Pixel.empty());
    EXPECT_TRUE(ImgBuildContributors(0, 5, rfLanczos3).Pixel.empty());
}

TEST(ResampleTest, TinySourcesResampleWithEveryFilter) {
    for (int f = rfNone; f <= rfMitchell; ++f)
        for (Integer s : {1, 2}) {
            Bmp src = Make24(s, s, [](Integer x, Integer y) { return ImgRGB(Byte(200 + x), 100, Byte(50 + y)); });
            Bmp up = Blank(13, 11);
            ResampleFiltered(src.get(), up.get(), TResampleFilter(f));
            ASSERT_EQ(up->GetWidth(), 13);
            ASSERT_EQ(up->GetHeight(), 11);
            Bmp up2 = Blank(13, 11);
            ResampleEnlarge(src.get(), up2.get(), TResampleFilter(f));
            if (f == rfTriangle || f == rfNone) {
                // Weights that add up to 1 keep a near-uniform picture near its colours.
                const TImgRGB p = Px(up.get(), 6, 5);
                EXPECT_NEAR(p.g, 100, 1) << f;
            }
        }
}

TEST(ResampleTest, WeightedSumsRoundHalvesToEven) {
    // Two source pixels enlarged to four with the triangle: 0, the midpoint, the second pixel,
    // and the second again (its right neighbour is mirrored onto itself).
    Bmp src = Make24(2, 1, [](Integer x, Integer) {
        return x == 0 ? TImgRGB{0, 1, 2} : TImgRGB{200, 2, 3};
    });
    Bmp dst = Blank(4, 1);
    ResampleFiltered(src.get(), dst.get(), rfTriangle);
    const TImgRGB expected[4] = {{0, 1, 2}, {100, 2, 2}, {200, 2, 3}, {200, 2, 3}};  // 1.5 -> 2, 2.5 -> 2
    for (Integer x = 0; x < 4; ++x) EXPECT_EQ(Px(dst.get(), x, 0), expected[x]) << x;
}

TEST(ResampleTest, OvershootIsClampedNotWrapped) {
    // A hard step enlarged with Lanczos3 rings below 0 and above 255 next to the edge.
    Bmp src = Make24(8, 1, [](Integer x, Integer) {
        const Byte v = x < 4 ? 0 : 255;
        return TImgRGB{v, v, v};
    });
    Bmp dst = Blank(32, 1);
    ResampleFiltered(src.get(), dst.get(), rfLanczos3);
    for (Integer x = 0; x < 32; ++x) {
        const Byte v = Px(dst.get(), x, 0).g;
        if (x <= 10) {
            EXPECT_LT(v, 40) << x;
        } else if (x >= 17) {
            EXPECT_GT(v, 215) << x;
        }
    }
}

TEST(ResampleTest, SameSizeHermiteReproducesTheSource) {
    Bmp src = Make24(17, 9, [](Integer x, Integer y) { return ImgRGB(Byte(x * 15), Byte(y * 27), Byte(x * y)); });
    Bmp dst = Blank(17, 9);
    ResampleFiltered(src.get(), dst.get(), rfHermite);
    for (Integer y = 0; y < 9; ++y)
        for (Integer x = 0; x < 17; ++x) ASSERT_EQ(Px(dst.get(), x, y), Px(src.get(), x, y)) << x << "," << y;
}

TEST(ResampleTest, ProgressCountsSourceRowsThenDestinationColumns) {
    Bmp src = Make24(10, 6, [](Integer x, Integer y) { return ImgRGB(Byte(x), Byte(y), 0); });
    Bmp dst = Blank(300, 4);
    std::vector<Integer> seen;
    TObject sender;
    ResampleFiltered(src.get(), dst.get(), rfBell,
                     TImgProgressTarget([&](TObject* s, Integer per) {
                         EXPECT_EQ(s, &sender);
                         seen.push_back(per);
                     }, &sender));
    ASSERT_EQ(seen.size(), 306u);  // 6 rows, then 300 columns
    EXPECT_EQ(seen[0], Integer(100 / 306.5));
    EXPECT_EQ(seen[5], Integer(600 / 306.5));
    EXPECT_EQ(seen.back(), 99);
    for (size_t i = 1; i < seen.size(); ++i) ASSERT_LE(seen[i - 1], seen[i]);
}

TEST(ResampleTest, EnlargeFiltersOnlyTheEnlargedDirection) {
    // 100 x 50 -> 200 x 25: filtered across, stretched plainly down. The triangle leaves a
    // direction of unchanged size as it is, so the filtered half can be made on its own.
    Bmp src = Make24(100, 50, [](Integer x, Integer y) { return ImgRGB(Byte(x * 2), Byte(y * 5), Byte(x ^ y)); });
    Bmp across = Blank(200, 50);
    ResampleFiltered(src.get(), across.get(), rfTriangle);
    Bmp expected = Blank(200, 25);
    StretchPlain(across.get(), expected.get());

    Bmp dst = Blank(200, 25);
    Integer reports = 0, last = -1;
    ResampleEnlarge(src.get(), dst.get(), rfTriangle, TImgProgressTarget([&](TObject*, Integer per) {
                        ++reports;
                        last = per;
                    }, nullptr));
    for (Integer y = 0; y < 25; ++y)
        for (Integer x = 0; x < 200; ++x) ASSERT_EQ(Px(dst.get(), x, y), Px(expected.get(), x, y)) << x << "," << y;
    EXPECT_EQ(reports, 50);  // the horizontal pass only
    EXPECT_EQ(last, Integer(50 * 100 / 250.5));

    // Down in both directions: a plain stretch, with no progress at all.
    Bmp small = Blank(40, 20);
    reports = 0;
    ResampleEnlarge(src.get(), small.get(), rfTriangle,
                    TImgProgressTarget([&](TObject*, Integer) { ++reports; }, nullptr));
    Bmp plain = Blank(40, 20);
    StretchPlain(src.get(), plain.get());
    EXPECT_EQ(reports, 0);
    for (Integer y = 0; y < 20; ++y)
        for (Integer x = 0; x < 40; ++x) ASSERT_EQ(Px(small.get(), x, y), Px(plain.get(), x, y));
}

TEST(ResampleTest, StretchPlainTakesThePixelUnderEachCentre) {
    // 24-bit, 4 -> 2 and 3 -> 7 across.
    Bmp src = Make24(4, 3, [](Integer x, Integer y) { return ImgRGB(Byte(10 * x), Byte(10 * y), 0); });
    Bmp dst(new TBitmap());
    dst->SetSize(2, 7);
    StretchPlain(src.get(), dst.get());
    ASSERT_EQ(dst->GetPixelFormat(), pf24bit);
    EXPECT_EQ(Px(dst.get(), 0, 0).r, 10);  // column (2*0+1)*4 div 4 = 1
    EXPECT_EQ(Px(dst.get(), 1, 0).r, 30);  // column 3
    const Byte rows[7] = {0, 0, 10, 10, 10, 20, 20};  // (2y+1)*3 div 14
    for (Integer y = 0; y < 7; ++y) EXPECT_EQ(Px(dst.get(), 0, y).g, rows[y]) << y;

    // 1-bit stays 1-bit, bit by bit.
    Bmp mono(new TBitmap());
    mono->SetPixelFormat(pf1bit);
    mono->SetSize(3, 1);
    SetRowBit(mono->ScanLine(0), 0, 1);
    SetRowBit(mono->ScanLine(0), 1, 0);
    SetRowBit(mono->ScanLine(0), 2, 1);
    Bmp wide = Blank(6, 2);
    StretchPlain(mono.get(), wide.get());
    ASSERT_EQ(wide->GetPixelFormat(), pf1bit);
    for (Integer y = 0; y < 2; ++y)
        for (Integer x = 0; x < 6; ++x)
            EXPECT_EQ(GetRowBit(wide->ScanLine(y), x) != 0, x < 2 || x >= 4) << x << "," << y;
}

TEST(ResampleTest, ShrinkByBlocksAveragesEachBlockAndWhatIsLeftAtTheEdges) {
    // 5 x 3 by 2: blocks of 2 x 2, then 1 x 2 at the right, 2 x 1 at the bottom, 1 x 1 in the corner.
    Bmp src = Make24(5, 3, [](Integer x, Integer y) { return ImgRGB(Byte(10 * x + 100 * y), Byte(x), Byte(y)); });
    Bmp dst = Blank(1, 1);
    ShrinkByBlocks(src.get(), dst.get(), 2);
    ASSERT_EQ(dst->GetWidth(), 3);
    ASSERT_EQ(dst->GetHeight(), 2);
    const Byte reds[2][3] = {{55, 75, 90}, {205, 225, 240}};  // (0+10+100+110)/4 = 55, halves up
    for (Integer y = 0; y < 2; ++y)
        for (Integer x = 0; x < 3; ++x) EXPECT_EQ(Px(dst.get(), x, y).r, reds[y][x]) << x << "," << y;
    EXPECT_EQ(Px(dst.get(), 2, 1).g, 4);
    EXPECT_EQ(Px(dst.get(), 0, 1).b, 2);

    // A factor below 2, or a picture that is not 24-bit, is copied as it is.
    Bmp same = Blank(1, 1);
    ShrinkByBlocks(src.get(), same.get(), 1);
    EXPECT_TRUE(SameRGBPixels(src.get(), same.get()));
    Bmp mono(new TBitmap());
    mono->SetPixelFormat(pf1bit);
    mono->SetSize(8, 2);
    Bmp monoOut = Blank(1, 1);
    ShrinkByBlocks(mono.get(), monoOut.get(), 4);
    EXPECT_EQ(monoOut->GetPixelFormat(), pf1bit);
    EXPECT_EQ(monoOut->GetWidth(), 8);
}

TEST(ResampleTest, FilteredResamplingMakesTheSourceTwentyFourBit) {
    Bmp mono(new TBitmap());
    mono->SetPixelFormat(pf1bit);
    mono->SetSize(4, 4);
    Bmp dst = Blank(8, 8);
    ResampleFiltered(mono.get(), dst.get(), rfTriangle);
    EXPECT_EQ(mono->GetPixelFormat(), pf24bit);
    EXPECT_EQ(dst->GetPixelFormat(), pf24bit);
}

}  // namespace
