#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "framework/exceptions.h"
#include "image_fixture.h"
#include "imaging/bitmap_routines.h"
#include "imaging/img_filters.h"

namespace {

TImgRGB Code(Integer x, Integer y) {
    return ImgRGB(Byte(x * 20 + 7), Byte(y * 30 + 3), Byte(100 + x * y));
}

Integer Pack(Byte r, Byte g, Byte b) {
    return (r << 16) | (g << 8) | b;
}

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::to_string(getpid()) + name)).string();
}

// ---- Kernels that must leave the image as it was ------------------------------------------

TEST(AdjustKernels, NeutralParametersChangeNothing) {
    struct Case {
        const char* name;
        std::function<void(TBitmap*)> run;
    } cases[] = {
        {"contrast 0", [](TBitmap* b) { AdjustContrast(b, 0, 10, 200, 90, 0, 0, 99, 99); }},
        {"rgb 0", [](TBitmap* b) { AdjustRGB(b, 0, 0, 0, 0, 0, 99, 99); }},
        {"identity filter, divisor 0",
         [](TBitmap* b) {
             TImgUserFilter f;
             f.Coef[4] = 1;
             ApplyUserFilter(b, f, 0, 0, 99, 99);
         }},
        {"threshold black to white",
         [](TBitmap* b) { ThresholdRect(b, 0, 0xFFFFFF, 0xFF00FF, 0x00FF00, 0, 0, 99, 99); }},
        {"levels 255 to 0", [](TBitmap* b) { StretchLevels(b, 0xFFFFFF, 0, 0, 0, 99, 99); }},
        {"levels white equals black", [](TBitmap* b) { StretchLevels(b, 0x404040, 0x404040, 0, 0, 99, 99); }},
        {"bump light of width 0", [](TBitmap* b) { BumpMap(b, 3, 3, 0, 10, 0xFFFFFF, 0, 0, 0, 99, 99); }},
        {"bump keeping 100 percent", [](TBitmap* b) { BumpMap(b, 3, 3, 10, 10, 0xFFFFFF, 100, 0, 0, 99, 99); }},
        {"lens refraction 1", [](TBitmap* b) { LensEffect(b, 4, 3, 7, 5, 1.0, {}); }},
        {"lens without area", [](TBitmap* b) { LensEffect(b, 4, 3, 0, 5, 3.0, {}); }},
        {"wave amplitude 0", [](TBitmap* b) { WaveEffect(b, 0, 5, 0, false); }},
        {"wave length 0", [](TBitmap* b) { WaveEffect(b, 3, 0, 0, true); }},
        {"morph radius 0", [](TBitmap* b) { MorphFilter(b, 0, mkMaximum, 0, 0, 99, 99); }},
        {"morph radius -1", [](TBitmap* b) { MorphFilter(b, -1, mkMinimum, 0, 0, 99, 99); }},
        {"morph kind 4", [](TBitmap* b) { MorphFilter(b, 2, 4, 0, 0, 99, 99); }},
        {"rectangle outside", [](TBitmap* b) { AdjustRGB(b, 9, 9, 9, 20, 20, 30, 30); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bmp b = Make24(9, 7, Code);
        Bmp before(CloneBitmap(b.get()));
        c.run(b.get());
        EXPECT_TRUE(SameRGBPixels(b.get(), before.get()));
    }
    // Other formats are left alone.
    Bmp one = Make1(9, 3, [](Integer x, Integer) { return x % 2; });
    AdjustRGB(one.get(), 50, 50, 50, 0, 0, 8, 2);
    MorphFilter(one.get(), 1, mkMaximum, 0, 0, 8, 2);
    WaveEffect(one.get(), 3, 4, 0, false);
    for (Integer x = 0; x < 9; ++x) EXPECT_EQ(Bit(one.get(), x, 1), x % 2 == 1);
}

// ---- Contrast, RGB, average ------------------------------------------------------------------

TEST(AdjustKernels, ContrastMinus100GivesTheAveragesAndAverageColourHasAFallback) {
    Bmp b = Make24(4, 3, Code);
    Integer r, g, bl;
    AverageColor(b.get(), r, g, bl);
    Int64 sr = 0;
    for (Integer y = 0; y < 3; ++y)
        for (Integer x = 0; x < 4; ++x) sr += Code(x, y).r;
    EXPECT_EQ(r, sr / 12);
    AdjustContrast(b.get(), -100, r, g, bl, 0, 0, 3, 2);
    for (Integer y = 0; y < 3; ++y)
        for (Integer x = 0; x < 4; ++x) ASSERT_EQ(Px(b.get(), x, y), ImgRGB(Byte(r), Byte(g), Byte(bl)));

    // More contrast spreads around the average and clamps; offsets clamp too.
    Bmp c = Make24(3, 1, [](Integer x, Integer) { return ImgRGB(Byte(100 + x * 20), 0, 250); });
    AdjustContrast(c.get(), 10, 120, 0, 0, 0, 0, 2, 0);  // k = 2
    EXPECT_EQ(Px(c.get(), 0, 0).r, 80);
    EXPECT_EQ(Px(c.get(), 2, 0).r, 160);
    EXPECT_EQ(Px(c.get(), 0, 0).b, 255);
    AdjustRGB(c.get(), -100, 300, INT_MIN, 1, 0, 1, 0);
    EXPECT_EQ(Px(c.get(), 1, 0), ImgRGB(20, 255, 0));

    // An empty bitmap, or one of another format, averages to 128.
    for (auto* e : {new TBitmap(), Make1(2, 2, [](Integer, Integer) { return true; }).release()}) {
        e->SetPixelFormat(e->GetPixelFormat());
        Integer ar = 0, ag = 0, ab = 0;
        AverageColor(e, ar, ag, ab);
        EXPECT_EQ(ar, 128);
        EXPECT_EQ(ag, 128);
        EXPECT_EQ(ab, 128);
        delete e;
    }
}

// ---- Colour spaces ---------------------------------------------------------------------------

TEST(AdjustKernels, HSVConversionsAndShifts) {
    struct Case {
        Byte r, g, b;
        Integer h, s, v;
    } cases[] = {
        {255, 0, 0, 0, 99, 99}, {0, 255, 0, 120, 99, 99},  {0, 0, 255, 240, 99, 99},  {255, 0, 255, 300, 99, 99},
        {0, 0, 0, 0, 0, 0},     {255, 255, 255, 0, 0, 99}, {128, 128, 128, 0, 0, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.r) << "," << int(c.g) << "," << int(c.b));
        Integer h, s, v;
        RGBToHSV(Pack(c.r, c.g, c.b), h, s, v);
        EXPECT_EQ(h, c.h);
        EXPECT_EQ(s, c.s);
        EXPECT_EQ(v, c.v);
        TImgRGB back;
        HSVToRGB(c.h, c.s, c.v, back);
        // 128 goes to 50 on the 0..99 scale and comes back as 129.
        const Byte grey = c.r == 128 ? 129 : 0;
        if (grey) {
            EXPECT_EQ(back, ImgRGB(grey, grey, grey));
        } else {
            EXPECT_EQ(back, ImgRGB(c.r, c.g, c.b));
        }
    }
    // The limits: a hue past 359 stays 359, values past 99 stay 99.
    TImgRGB a, b;
    HSVToRGB(720, 200, 200, a);
    HSVToRGB(359, 99, 99, b);
    EXPECT_EQ(a, b);
    Integer mx, mn;
    MaxMin3(5, -2, 9, mx, mn);
    EXPECT_EQ(mx, 9);
    EXPECT_EQ(mn, -2);

    // A hue shift of 120 turns red into green.
    Bmp red = Make24(2, 1, [](Integer, Integer) { return ImgRGB(255, 0, 0); });
    AdjustHSV(red.get(), 120, 0, 0, 0, 0, 1, 0);
    EXPECT_EQ(Px(red.get(), 1, 0), ImgRGB(0, 255, 0));
}

TEST(AdjustKernels, HSLShiftsLimitTheHueInsteadOfWrapping) {
    // Pure green shifted by 360 degrees is limited to hue 1, which is red.
    Bmp b = Make24(2, 2, [](Integer x, Integer) { return x ? ImgRGB(0, 255, 0) : ImgRGB(40, 80, 120); });
    AdjustHSL(b.get(), 360, 0, 0, 1, 0, 1, 1);
    EXPECT_EQ(Px(b.get(), 1, 0), ImgRGB(255, 0, 0));
    EXPECT_EQ(Px(b.get(), 1, 1), ImgRGB(255, 0, 0));
    EXPECT_EQ(Px(b.get(), 0, 0), ImgRGB(40, 80, 120));

    double h, s, l;
    RGBToHSL(Pack(255, 0, 0), h, s, l);
    EXPECT_DOUBLE_EQ(h, 0);
    EXPECT_DOUBLE_EQ(s, 1);
    EXPECT_DOUBLE_EQ(l, 0.5);
    RGBToHSL(Pack(0, 0, 255), h, s, l);
    EXPECT_DOUBLE_EQ(h, 4.0 / 6);
    TImgRGB p;
    HSLToRGB(0.5, 0, 2.0, p);  // lightness limited to 1
    EXPECT_EQ(p, ImgRGB(255, 255, 255));
    // Lightness -100 percent makes everything black.
    Bmp c = Make24(3, 3, Code);
    AdjustHSL(c.get(), 0, 0, -100, 0, 0, 2, 2);
    EXPECT_EQ(Px(c.get(), 2, 2), ImgRGB(0, 0, 0));
}

// ---- User filter -----------------------------------------------------------------------------

TEST(UserFilter, NeighboursComeFromTheOriginalImageAndRepeatAtTheEdges) {
    // Coefficient 3 is the pixel on the left, 1 the one above.
    Bmp b = Make24(3, 2, [](Integer x, Integer y) { return ImgRGB(Byte(10 + x), Byte(20 + y), 0); });
    TImgUserFilter left;
    left.Coef[3] = 1;
    ApplyUserFilter(b.get(), left, 0, 0, 2, 1);
    EXPECT_EQ(Px(b.get(), 0, 0).r, 10);  // the edge repeats
    EXPECT_EQ(Px(b.get(), 1, 0).r, 10);  // not the 10 just written
    EXPECT_EQ(Px(b.get(), 2, 1).r, 11);

    Bmp c = Make24(3, 2, [](Integer x, Integer y) { return ImgRGB(Byte(10 + x), Byte(20 + y), 0); });
    TImgUserFilter above;
    above.Coef[1] = 2;
    above.Divisor = -2;  // negative results clamp to 0
    ApplyUserFilter(c.get(), above, 1, 1, 1, 1);
    EXPECT_EQ(Px(c.get(), 1, 1).g, 0);
    EXPECT_EQ(Px(c.get(), 0, 1).g, 21);  // outside the rectangle
    above.Divisor = 4;
    ApplyUserFilter(c.get(), above, 0, 0, 2, 1);
    EXPECT_EQ(Px(c.get(), 2, 1).g, 10);  // 20 * 2 div 4
}

TEST(UserFilter, CoefficientsOfAnySizeSumIn64Bits) {
    Bmp b = Make24(4, 3, [](Integer x, Integer) { return ImgRGB(Byte(x == 2 ? 200 : 100), 5, 5); });
    TImgUserFilter f;
    // (INT_MAX * centre - INT_MAX * right) div INT_MAX: the difference of two neighbours.
    f.Coef[4] = INT_MAX;
    f.Coef[5] = -INT_MAX;
    f.Divisor = INT_MAX;
    ApplyUserFilter(b.get(), f, 0, 0, 3, 2);
    EXPECT_EQ(Px(b.get(), 0, 1).r, 0);  // 100 - 100
    EXPECT_EQ(Px(b.get(), 1, 1).r, 0);  // 100 - 200 clamps
    EXPECT_EQ(Px(b.get(), 2, 1).r, 100);  // 200 - 100
    EXPECT_EQ(Px(b.get(), 3, 1).r, 0);  // the edge: 100 - 100
    // Nine products of INT_MIN: even values would wrap to 0 in 32 bits, odd ones overflow the
    // division by -1.
    Bmp c = Make24(4, 3, [](Integer x, Integer) { return ImgRGB(Byte(x == 2 ? 200 : 100), 0, 5); });
    TImgUserFilter g;
    for (Integer& k : g.Coef) k = INT_MIN;
    g.Divisor = -1;
    ApplyUserFilter(c.get(), g, 0, 0, 3, 2);
    EXPECT_EQ(Px(c.get(), 1, 1), ImgRGB(255, 0, 255));
    g.Divisor = 1;
    ApplyUserFilter(c.get(), g, 0, 0, 3, 2);
    EXPECT_EQ(Px(c.get(), 1, 1), ImgRGB(0, 0, 0));
}

TEST(UserFilter, FilesRoundTripAndBadFilesChangeNothing) {
    const std::string path = TempPath("_filter.flt");
    TImgUserFilter f;
    for (Integer k = 0; k < 9; ++k) f.Coef[k] = k * 1000 - 4000;
    f.Coef[8] = INT_MIN;
    f.Divisor = -7;
    SaveUserFilter(path, f);
    EXPECT_EQ(std::filesystem::file_size(path), 43u);
    TImgUserFilter g;
    LoadUserFilter(path, g);
    EXPECT_EQ(g, f);

    // Saving over the file replaces it; a folder cannot be written and keeps nothing half done.
    f.Divisor = 3;
    SaveUserFilter(path, f);
    LoadUserFilter(path, g);
    EXPECT_EQ(g.Divisor, 3);
    EXPECT_THROW(SaveUserFilter(TempPath("_no_such_dir/x.flt"), f), EFCreateError);

    const TImgUserFilter kept = g;
    auto write = [&](std::vector<char> bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
    };
    std::vector<char> wrongHeader(43, 9);
    wrongHeader[0] = 1;
    wrongHeader[1] = 3;
    wrongHeader[2] = 4;
    write(wrongHeader);
    LoadUserFilter(path, g);
    EXPECT_EQ(g, kept);
    write({1, 3, 3, 5, 0, 0, 0});  // ends inside the coefficients
    EXPECT_THROW(LoadUserFilter(path, g), EReadError);
    EXPECT_EQ(g, kept);
    write({1, 3});
    EXPECT_THROW(LoadUserFilter(path, g), EReadError);
    std::filesystem::remove(path);
    EXPECT_THROW(LoadUserFilter(path, g), EFOpenError);
    EXPECT_EQ(g, kept);
}

// ---- Threshold, levels, equalisation ---------------------------------------------------------

TEST(LevelKernels, ThresholdLevelsAndEqualisation) {
    Bmp b = Make24(2, 1, [](Integer x, Integer) { return x ? ImgRGB(50, 150, 250) : ImgRGB(100, 101, 200); });
    ThresholdRect(b.get(), Pack(100, 100, 100), Pack(200, 200, 200), 0, 0xFFFFFF, 0, 0, 1, 0);
    EXPECT_EQ(Px(b.get(), 1, 0), ImgRGB(0, 150, 255));
    EXPECT_EQ(Px(b.get(), 0, 0), ImgRGB(0, 101, 200));  // at Low goes below, at High stays

    // White point 128: 64 becomes Round(127.5) = 128; black point 100 first stretches 100..255.
    Bmp c = Make24(3, 1, [](Integer x, Integer) { return ImgRGB(64, Byte(100 + x * 50), 255); });
    StretchLevels(c.get(), Pack(128, 255, 0), Pack(0, 100, 0), 0, 0, 2, 0);
    EXPECT_EQ(Px(c.get(), 0, 0).r, 128);
    EXPECT_EQ(Px(c.get(), 0, 0).g, 0);
    EXPECT_EQ(Px(c.get(), 1, 0).g, 82);  // Round(50 / 155 * 255)
    EXPECT_EQ(Px(c.get(), 2, 0).b, 255);  // white point 0 counts as 1

    // 10 x 10: one pixel per level. A uniform grey 128 (level 126) spreads levels 0..99 over the
    // 100 pixels; its neighbourhood average is above that, so each channel takes high[128] = 99.
    Bmp u = Make24(10, 10, [](Integer, Integer) { return ImgRGB(128, 128, 128); });
    EqualizeHistogram(u.get(), 0, 0, 9, 9);
    EXPECT_EQ(Px(u.get(), 5, 5), ImgRGB(99, 99, 99));
    // A ramp keeps its order and reaches the top levels.
    Bmp ramp = Make24(16, 16, [](Integer x, Integer y) {
        const Byte v = Byte(x * 16 + y);
        return ImgRGB(v, v, v);
    });
    EqualizeHistogram(ramp.get(), 0, 0, 15, 15);
    EXPECT_LT(Px(ramp.get(), 1, 8).r, Px(ramp.get(), 14, 8).r);
    EXPECT_GT(Px(ramp.get(), 14, 8).r, 200);
    // 1 x 1: no neighbours beyond the pixel itself.
    Bmp one = Make24(1, 1, [](Integer, Integer) { return ImgRGB(3, 4, 5); });
    EqualizeHistogram(one.get(), 0, 0, 0, 0);
}

// ---- Bump map, lens, wave --------------------------------------------------------------------

TEST(EffectKernels, BumpLensAndWave) {
    // A flat image under the light's centre with nothing kept takes the light's colour.
    Bmp b = Make24(5, 5, [](Integer, Integer) { return ImgRGB(80, 80, 80); });
    BumpMap(b.get(), 2, 2, 10, 10, Pack(10, 20, 30), 0, 0, 0, 4, 4);
    EXPECT_EQ(Px(b.get(), 2, 2), ImgRGB(10, 20, 30));
    EXPECT_LT(Px(b.get(), 4, 4).r, 10);

    // A strong lens magnifies: the centre pixel spreads to its neighbours, the corners stay.
    Bmp l = Make24(21, 21, Code);
    Bmp before(CloneBitmap(l.get()));
    LensEffect(l.get(), 10, 10, 20, 20, 3.0, {});
    EXPECT_EQ(Px(l.get(), 0, 0), Px(before.get(), 0, 0));
    EXPECT_EQ(Px(l.get(), 10, 10), Px(before.get(), 10, 10));
    EXPECT_EQ(Px(l.get(), 11, 10), Px(before.get(), 10, 10));
    // A lens past the edges is limited to the image.
    LensEffect(l.get(), 0, 0, 100, 100, 1.5, {});

    // Images one pixel wide or high read nothing outside themselves.
    for (auto [w, h] : {std::pair{1, 6}, std::pair{6, 1}, std::pair{1, 1}}) {
        for (bool reflective : {false, true}) {
            Bmp t = Make24(w, h, Code);
            std::vector<Integer> per;
            WaveEffect(t.get(), 5, 2, 30, reflective,
                       TImgProgressTarget([&](TObject*, Integer p) { per.push_back(p); }, nullptr));
            EXPECT_EQ(per.size(), size_t(h));
            EXPECT_EQ(per.front(), 0);
        }
    }
    // The sample halfway between two columns of the bottom row mixes them.
    Bmp s = Make24(2, 2, [](Integer x, Integer y) { return ImgRGB(Byte(x * 100), Byte(y * 100), 0); });
    const TImgRGB mid = BilinearSample(s.get(), 0.5, 0);
    EXPECT_EQ(mid.r, 50);
    EXPECT_EQ(mid.g, 100);  // row 0 counts from the bottom
}

// ---- Morphological filters -------------------------------------------------------------------

// The written scan: the first strictly best grey of the window, window limited to the rectangle.
void MorphByScan(TBitmap* b, Integer radius, bool maximum, Integer x1, Integer y1, Integer x2, Integer y2) {
    Bmp src(CloneBitmap(b));
    for (Integer y = y1; y <= y2; ++y)
        for (Integer x = x1; x <= x2; ++x) {
            Integer best = maximum ? 0 : 255;
            TImgRGB pick = Px(src.get(), x, y);
            for (Integer wy = std::max(y - radius, y1); wy <= std::min(y + radius, y2); ++wy)
                for (Integer wx = std::max(x - radius, x1); wx <= std::min(x + radius, x2); ++wx) {
                    const Integer g = ImgRGBGrayLevel(Px(src.get(), wx, wy));
                    if (maximum ? g > best : g < best) best = g, pick = Px(src.get(), wx, wy);
                }
            static_cast<TImgRGB*>(b->ScanLine(y))[x] = pick;
        }
}

TEST(MorphFilter, MaximumGrowsASinglePixelToASquare) {
    Bmp b =
        Make24(7, 7, [](Integer x, Integer y) { return x == 3 && y == 3 ? ImgRGB(255, 255, 255) : ImgRGB(0, 0, 0); });
    MorphFilter(b.get(), 1, mkMaximum, 0, 0, 6, 6);
    for (Integer y = 0; y < 7; ++y)
        for (Integer x = 0; x < 7; ++x)
            EXPECT_EQ(Px(b.get(), x, y).r, std::abs(x - 3) <= 1 && std::abs(y - 3) <= 1 ? 255 : 0) << x << "," << y;
    // Opening removes it again; closing keeps it.
    MorphFilter(b.get(), 1, mkOpening, 0, 0, 6, 6);
    EXPECT_EQ(Px(b.get(), 3, 3).r, 255);
    Bmp dot =
        Make24(5, 5, [](Integer x, Integer y) { return x == 2 && y == 2 ? ImgRGB(255, 255, 255) : ImgRGB(9, 9, 9); });
    MorphFilter(dot.get(), 1, mkOpening, 0, 0, 4, 4);
    EXPECT_EQ(Px(dot.get(), 2, 2), ImgRGB(9, 9, 9));
}

TEST(MorphFilter, MatchesTheWrittenScanForEveryRadius) {
    std::mt19937 rng(7);
    // Few grey levels make many ties, which the scan order decides.
    auto pixel = [&](Integer, Integer) {
        static const TImgRGB colours[] = {ImgRGB(0, 0, 0),   ImgRGB(200, 10, 10),   ImgRGB(10, 200, 10),
                                          ImgRGB(0, 0, 255), ImgRGB(255, 255, 255), ImgRGB(30, 30, 30)};
        return colours[rng() % 6];
    };
    for (Integer radius : {1, 2, 3, 7, 40}) {
        for (Integer kind : {mkMaximum, mkMinimum, mkOpening, mkClosing}) {
            SCOPED_TRACE(testing::Message() << "radius " << radius << " kind " << kind);
            Bmp b = Make24(23, 17, pixel);
            Bmp expect(CloneBitmap(b.get()));
            const bool firstMax = kind == mkMaximum || kind == mkClosing;
            MorphByScan(expect.get(), radius, firstMax, 3, 2, 19, 15);
            if (kind >= mkOpening) MorphByScan(expect.get(), radius, !firstMax, 3, 2, 19, 15);
            std::vector<Integer> per;
            MorphFilter(b.get(), radius, kind, 3, 2, 19, 15,
                        TImgProgressTarget([&](TObject*, Integer p) { per.push_back(p); }, nullptr));
            ASSERT_TRUE(SameRGBPixels(b.get(), expect.get()));
            // Two passes count on: the second starts where the first stopped.
            ASSERT_EQ(per.size(), kind >= mkOpening ? 28u : 14u);
            EXPECT_TRUE(std::is_sorted(per.begin(), per.end()));
        }
    }
}

}  // namespace
