#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "image_fixture.h"
#include "imaging/bitmap_routines.h"
#include "imaging/fourier.h"
#include "imaging/img_proc.h"

namespace {

TImgRGB Code(Integer x, Integer y) {
    return ImgRGB(Byte(20 + x * 17 % 180), Byte(5 + y * 31), Byte((x * y) % 7));
}

// The plane as a direct sum: the channel on black at the offsets, divided by its largest value,
// negated where row + column is odd, transformed with exp(-2 pi i (u x + v y) / N) / N.
std::vector<std::complex<double>> DirectTransform(TBitmap* b, Integer N, Integer xo, Integer yo, int channel) {
    std::vector<double> in(size_t(N) * N, 0);
    double largest = 1;
    auto value = [&](const TImgRGB& p) {
        return channel == 0 ? p.r : channel == 1 ? p.g : channel == 2 ? p.b : ImgRGBGrayLevel(p);
    };
    for (Integer y = 0; y < b->GetHeight(); ++y)
        for (Integer x = 0; x < b->GetWidth(); ++x) largest = std::max(largest, double(value(Px(b, x, y))));
    for (Integer y = 0; y < b->GetHeight(); ++y)
        for (Integer x = 0; x < b->GetWidth(); ++x)
            in[size_t(y + yo) * N + x + xo] = ((x + xo + y + yo) % 2 ? -1 : 1) * value(Px(b, x, y)) / largest;
    std::vector<std::complex<double>> out(size_t(N) * N);
    for (Integer v = 0; v < N; ++v)
        for (Integer u = 0; u < N; ++u) {
            std::complex<double> s = 0;
            for (Integer y = 0; y < N; ++y)
                for (Integer x = 0; x < N; ++x)
                    s += in[size_t(y) * N + x] * std::polar(1.0, -2 * std::numbers::pi * (u * x + v * y) / N);
            out[size_t(v) * N + u] = s / double(N);
        }
    return out;
}

TEST(Fourier, PlanesAreTheCentredNormalisedTransform) {
    struct Case {
        Integer w, h, mode, N, xo, yo;
    } cases[] = {{5, 3, TImgFtImage::ftColour, 8, 1, 2},
                 {4, 4, TImgFtImage::ftGray, 4, 0, 0},
                 {1, 1, TImgFtImage::ftGray, 1, 0, 0},
                 {2, 1, TImgFtImage::ftColour, 2, 0, 0},
                 {3, 16, TImgFtImage::ftGray, 16, 6, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        Bmp b = Make24(c.w, c.h, Code);
        TImgFtImage ft;
        std::vector<Integer> per;
        ft.OnProgress = [&](TObject* sender, Integer p) {
            EXPECT_EQ(sender, &ft);
            per.push_back(p);
        };
        ft.BuildFT(b.get(), c.mode);
        ASSERT_FALSE(ft.IsEmpty());
        EXPECT_EQ(ft.GetN(), c.N);
        EXPECT_EQ(ft.GetXOffset(), c.xo);
        EXPECT_EQ(ft.GetYOffset(), c.yo);
        const Integer passes = c.mode == TImgFtImage::ftColour ? 3 : 1;
        ASSERT_EQ(per.size(), size_t(passes * c.N));
        EXPECT_EQ(per.front(), 0);
        EXPECT_TRUE(std::is_sorted(per.begin(), per.end()));
        EXPECT_LT(per.back(), 100);
        for (Integer p = 0; p < passes; ++p) {
            const int channel = c.mode == TImgFtImage::ftColour ? p : 3;
            const std::vector<float>& plane = ft.GetPlane(channel);
            const auto expect = DirectTransform(b.get(), c.N, c.xo, c.yo, channel);
            for (Integer v = 0; v < c.N; ++v)
                for (Integer u = 0; u < c.N; ++u) {
                    const auto e = expect[size_t(v) * c.N + u];
                    ASSERT_NEAR(plane[size_t(v) * 2 * c.N + u], e.real(), 1e-5) << u << "," << v;
                    ASSERT_NEAR(plane[size_t(v) * 2 * c.N + c.N + u], e.imag(), 1e-5) << u << "," << v;
                }
        }
    }
    // A 100 x 60 picture sits in a square of 128.
    Bmp wide = Make24(100, 60, Code);
    TImgFtImage ft;
    ft.BuildFT(wide.get(), TImgFtImage::ftGray);
    EXPECT_EQ(ft.GetN(), 128);
    EXPECT_EQ(ft.GetXOffset(), 14);
    EXPECT_EQ(ft.GetYOffset(), 34);
}

TEST(Fourier, InverseStretchesEachChannelOverTheFullRange) {
    // A square of 2^k: a channel spanning 20..200 comes back spanning 0..255.
    Bmp b =
        Make24(8, 8, [](Integer x, Integer y) { return ImgRGB(Byte(20 + (x + 8 * y) * 180 / 63), 90, Byte(x * 30)); });
    TImgFtImage ft;
    ft.BuildFT(b.get(), TImgFtImage::ftColour);
    Bmp back(new TBitmap());
    ft.GetInverse(back.get());
    ASSERT_EQ(back->GetWidth(), 8);
    ASSERT_EQ(back->GetPixelFormat(), pf24bit);
    for (Integer y = 0; y < 8; ++y)
        for (Integer x = 0; x < 8; ++x) {
            const double expect = (Px(b.get(), x, y).r - 20) * 255.0 / 180;
            EXPECT_NEAR(Px(back.get(), x, y).r, expect, 1.01) << x << "," << y;
            EXPECT_NEAR(Px(back.get(), x, y).b, x * 30 * 255.0 / 210, 1.01);
        }
    // A flat channel has no range: it comes back black, never from a division by zero.
    EXPECT_EQ(Px(back.get(), 3, 3).g, 0);

    // A picture inside its square: the padding holds the smallest value.
    Bmp odd = Make24(5, 3, [](Integer, Integer) { return ImgRGB(200, 200, 200); });
    ft.BuildFT(odd.get(), TImgFtImage::ftGray);
    ft.GetInverse(back.get());
    EXPECT_EQ(back->GetWidth(), 5);
    EXPECT_EQ(back->GetHeight(), 3);
    EXPECT_GE(Px(back.get(), 4, 2).g, 254);
    EXPECT_EQ(Px(back.get(), 4, 2).r, Px(back.get(), 4, 2).g);
}

TEST(Fourier, SpectrumZonesAndEmptyTransforms) {
    // A uniform picture: everything at the centre element.
    Bmp flat = Make24(16, 16, [](Integer, Integer) { return ImgRGB(90, 90, 90); });
    TImgFtImage ft;
    ft.BuildFT(flat.get(), TImgFtImage::ftGray);
    Bmp spectrum(new TBitmap());
    ft.GetSpectrum(spectrum.get());
    ASSERT_EQ(spectrum->GetWidth(), 16);
    EXPECT_EQ(Px(spectrum.get(), 8, 8), ImgRGB(255, 255, 255));
    EXPECT_EQ(Px(spectrum.get(), 3, 9), ImgRGB(0, 0, 0));

    // Everything cleared but the centre: a flat (black) picture.
    Bmp b = Make24(16, 16, [](Integer x, Integer y) { return ImgRGB(Byte(x * 15), Byte(y * 15), 50); });
    ft.BuildFT(b.get(), TImgFtImage::ftColour);
    TImgFtImage copy;
    copy.Assign(&ft);
    ft.ClearZone(0, 0, 15, 7);
    ft.ClearZone(0, 9, 15, 15);
    ft.ClearZone(0, 8, 7, 8);
    ft.ClearZone(9, 8, 15, 8);
    ft.ClearZone(5, 5, 4, 9);  // x2 < x1: nothing
    Bmp back(new TBitmap());
    ft.GetInverse(back.get());
    for (Integer y = 0; y < 16; ++y)
        for (Integer x = 0; x < 16; ++x) ASSERT_EQ(Px(back.get(), x, y), Px(back.get(), 0, 0));
    // The copy kept its own planes; zones past the spectrum are clipped.
    EXPECT_NE(copy.GetPlane(0), ft.GetPlane(0));
    copy.ClearZone(-20, -20, 100, 100);
    for (float v : copy.GetPlane(1)) ASSERT_EQ(v, 0.0f);
    ft.GetSpectrum(spectrum.get());  // no NaN made a pixel
    copy.GetSpectrum(spectrum.get());
    EXPECT_EQ(Px(spectrum.get(), 8, 8), ImgRGB(0, 0, 0));

    // Empty transforms and other formats do nothing.
    TImgFtImage empty;
    Bmp keep = Make24(3, 3, [](Integer, Integer) { return ImgRGB(1, 2, 3); });
    empty.GetSpectrum(keep.get());
    empty.GetInverse(keep.get());
    empty.ClearZone(0, 0, 5, 5);
    EXPECT_EQ(keep->GetWidth(), 3);
    Bmp one = Make1(4, 4, [](Integer, Integer) { return true; });
    empty.BuildFT(one.get(), TImgFtImage::ftColour);
    EXPECT_TRUE(empty.IsEmpty());
    empty.BuildFT(keep.get(), 7);
    EXPECT_TRUE(empty.IsEmpty());

    // The processing component shows the spectrum and the inverse in its bitmap, without undo.
    TImagoProc proc(nullptr);
    proc.SetAttachedBitmap(keep.get());
    proc.ShowFTSpectrum(&empty);
    EXPECT_EQ(keep->GetWidth(), 3);
    copy.Assign(&ft);
    proc.ShowFTSpectrum(&copy);
    EXPECT_EQ(keep->GetWidth(), 16);
    proc.ApplyInverseFT(&copy);
    EXPECT_EQ(keep->GetWidth(), 16);
    EXPECT_EQ(Px(keep.get(), 4, 4), Px(back.get(), 4, 4));
    EXPECT_FALSE(proc.CanUndo());
}

TEST(Fourier, ATransformAssignedAgainAndAgainMatchesItsSources) {
    // One transform takes sources of other sizes and modes in turn, reusing its storage: each
    // time its planes, spectrum and inverse are its source's.
    Bmp big = Make24(13, 16, Code), small = Make24(5, 3, Code);
    TImgFtImage colour16, grey8, empty;
    colour16.BuildFT(big.get(), TImgFtImage::ftColour);
    grey8.BuildFT(small.get(), TImgFtImage::ftGray);
    TImgFtImage reused;
    for (TImgFtImage* source : {&colour16, &grey8, &colour16, &empty, &grey8}) {
        reused.Assign(source);
        ASSERT_EQ(reused.GetN(), source->GetN());
        ASSERT_EQ(reused.IsEmpty(), source->IsEmpty());
        EXPECT_EQ(reused.GetXOffset(), source->GetXOffset());
        for (Integer p = 0; p < 4; ++p) ASSERT_EQ(reused.GetPlane(p), source->GetPlane(p)) << p;
        if (source->IsEmpty()) continue;
        Bmp ours(new TBitmap()), theirs(new TBitmap());
        reused.GetSpectrum(ours.get());
        source->GetSpectrum(theirs.get());
        EXPECT_TRUE(SameRGBPixels(ours.get(), theirs.get()));
        reused.GetInverse(ours.get());
        source->GetInverse(theirs.get());
        EXPECT_TRUE(SameRGBPixels(ours.get(), theirs.get()));
        const Integer centre = source->GetN() / 2, plane = source == &grey8 ? 3 : 0;
        reused.ClearZone(centre, centre, centre, centre);  // the source keeps its planes
        EXPECT_NE(reused.GetPlane(plane), source->GetPlane(plane));
    }
}

}  // namespace
