// The transform, the user filter and the HSL and HSV conversions against numpy, scipy and Python's
// colorsys (tests/oracle/filters_oracle.py). The packages are listed in
// scripts/packages/imaging-filters.txt; where one is missing here the test skips.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "image_fixture.h"
#include "imaging/fourier.h"
#include "imaging/img_filters.h"

namespace {

// The Python that has numpy and scipy: the system's (where Debian's packages go) before the one
// first on the path; empty when neither has them.
const std::string& Python() {
    static const std::string python = [] {
        for (const char* candidate : {"/usr/bin/python3", "python3"})
            if (std::system((std::string(candidate) + " -c 'import numpy, scipy.ndimage' >/dev/null 2>&1").c_str()) ==
                0)
                return std::string(candidate);
        return std::string();
    }();
    return python;
}

class FiltersOracle : public ::testing::Test {
protected:
    void SetUp() override {
        Dir = std::filesystem::temp_directory_path() / ("lumora_filters_" + std::to_string(getpid()));
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }

    std::string Path(const char* Name) const { return (Dir / Name).string(); }
    static void Write(const std::string& File, const void* Data, size_t Size) {
        std::ofstream(File, std::ios::binary).write(static_cast<const char*>(Data), std::streamsize(Size));
    }
    template <class T>
    static std::vector<T> Read(const std::string& File) {
        std::ifstream in(File, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<T> out(bytes.size() / sizeof(T));
        std::memcpy(out.data(), bytes.data(), out.size() * sizeof(T));
        return out;
    }
    // Runs the oracle; false when it failed.
    static bool Run(const std::string& Args) {
        const char* root = std::getenv("LUMORA_TEST_SOURCE_DIR");
        const std::string script = std::string(root ? root : ".") + "/imaging/tests/oracle/filters_oracle.py";
        return std::system((Python() + " " + script + " " + Args).c_str()) == 0;
    }
    // The pixels as red, green, blue bytes, rows top first.
    static std::vector<Byte> RGBBytes(TBitmap* b) {
        std::vector<Byte> out;
        for (Integer y = 0; y < b->GetHeight(); ++y)
            for (Integer x = 0; x < b->GetWidth(); ++x) {
                const TImgRGB p = Px(b, x, y);
                out.insert(out.end(), {p.r, p.g, p.b});
            }
        return out;
    }

    std::filesystem::path Dir;
};

TImgRGB Noise(Integer x, Integer y) {
    const uint32_t h = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u;
    return ImgRGB(Byte(h), Byte(h >> 8), Byte(h >> 16));
}

TEST_F(FiltersOracle, TransformPlanesEqualNumpyFft2) {
    if (Python().empty()) GTEST_SKIP() << "python3-numpy and python3-scipy are not installed";
    struct Case {
        Integer w, h, mode;
    } cases[] = {{37, 20, TImgFtImage::ftColour}, {64, 64, TImgFtImage::ftGray}, {3, 130, TImgFtImage::ftGray}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        Bmp b = Make24(c.w, c.h, Noise);
        TImgFtImage ft;
        ft.BuildFT(b.get(), c.mode);
        const Integer N = ft.GetN();
        for (Integer plane :
             c.mode == TImgFtImage::ftColour ? std::vector<Integer>{0, 1, 2} : std::vector<Integer>{3}) {
            std::vector<Byte> channel;
            for (Integer y = 0; y < c.h; ++y)
                for (Integer x = 0; x < c.w; ++x) {
                    const TImgRGB p = Px(b.get(), x, y);
                    channel.push_back(plane == 0   ? p.r
                                      : plane == 1 ? p.g
                                      : plane == 2 ? p.b
                                                   : Byte(ImgRGBGrayLevel(p)));
                }
            Write(Path("channel.raw"), channel.data(), channel.size());
            ASSERT_TRUE(Run("fft " + Path("channel.raw") + " " + std::to_string(c.w) + " " + std::to_string(c.h) + " " +
                            std::to_string(N) + " " + std::to_string(ft.GetXOffset()) + " " +
                            std::to_string(ft.GetYOffset()) + " " + Path("plane.raw")));
            const std::vector<float> expect = Read<float>(Path("plane.raw"));
            const std::vector<float>& ours = ft.GetPlane(plane);
            ASSERT_EQ(expect.size(), ours.size());
            // Single precision: the error grows with log N and the largest element (about N / 2).
            const float tolerance = 1e-6f * float(N) * float(std::log2(N) + 1);
            for (size_t i = 0; i < ours.size(); ++i) ASSERT_NEAR(ours[i], expect[i], tolerance) << "element " << i;
        }
    }
}

TEST_F(FiltersOracle, UserFilterEqualsScipyCorrelateTruncated) {
    if (Python().empty()) GTEST_SKIP() << "python3-numpy and python3-scipy are not installed";
    std::mt19937 rng(11);
    std::vector<TImgUserFilter> filters(5);
    filters[0].Coef[4] = 1;  // identity, divisor 0
    for (Integer k = 0; k < 9; ++k) filters[1].Coef[k] = 1, filters[1].Divisor = 9;  // box blur
    for (Integer k = 0; k < 9; ++k) filters[2].Coef[k] = -1, filters[2].Coef[4] = 9;  // sharpen
    filters[2].Divisor = -3;
    for (Integer k = 0; k < 9; ++k) filters[3].Coef[k] = Integer(rng() % 201) - 100;
    filters[3].Divisor = 7;
    for (Integer k = 0; k < 9; ++k) filters[4].Coef[k] = Integer(rng());  // any 32-bit value
    filters[4].Divisor = INT_MAX / 3;
    Bmp source = Make24(19, 11, Noise);
    const std::vector<Byte> in = RGBBytes(source.get());
    Write(Path("in.raw"), in.data(), in.size());
    for (const TImgUserFilter& f : filters) {
        std::string args = "correlate " + Path("in.raw") + " 19 11";
        for (Integer c : f.Coef) args += " " + std::to_string(c);
        args += " " + std::to_string(f.Divisor) + " " + Path("out.raw");
        ASSERT_TRUE(Run(args));
        Bmp b = Make24(19, 11, Noise);
        ApplyUserFilter(b.get(), f, 0, 0, 18, 10);
        EXPECT_EQ(RGBBytes(b.get()), Read<Byte>(Path("out.raw"))) << args;
    }
}

TEST_F(FiltersOracle, HSLAndHSVAgreeWithColorsys) {
    if (Python().empty()) GTEST_SKIP() << "python3-numpy and python3-scipy are not installed";
    std::vector<Byte> triples = {0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255, 128, 128, 128, 255, 128, 0};
    std::mt19937 rng(5);
    for (Integer i = 0; i < 600; ++i) triples.push_back(Byte(rng()));
    triples.resize(triples.size() / 3 * 3);
    Write(Path("rgb.raw"), triples.data(), triples.size());
    ASSERT_TRUE(Run("hsl " + Path("rgb.raw") + " " + Path("hsl.raw")));
    ASSERT_TRUE(Run("hsv " + Path("rgb.raw") + " " + Path("hsv.raw")));
    const std::vector<double> hsl = Read<double>(Path("hsl.raw")), hsv = Read<double>(Path("hsv.raw"));
    const size_t n = triples.size() / 3;
    ASSERT_EQ(hsl.size(), n * 6);
    ASSERT_EQ(hsv.size(), n * 3);
    for (size_t i = 0; i < n; ++i) {
        const Byte r = triples[3 * i], g = triples[3 * i + 1], b = triples[3 * i + 2];
        SCOPED_TRACE(testing::Message() << int(r) << "," << int(g) << "," << int(b));
        double h, s, l;
        RGBToHSL((r << 16) | (g << 8) | b, h, s, l);
        EXPECT_NEAR(h, hsl[6 * i], 1e-9);
        EXPECT_NEAR(s, hsl[6 * i + 1], 1e-9);
        EXPECT_NEAR(l, hsl[6 * i + 2], 1e-9);
        TImgRGB p;
        HSLToRGB(r / 255.0, g / 255.0, b / 255.0, p);
        EXPECT_NEAR(p.r, hsl[6 * i + 3], 1);
        EXPECT_NEAR(p.g, hsl[6 * i + 4], 1);
        EXPECT_NEAR(p.b, hsl[6 * i + 5], 1);

        // The integer HSV scale (0..359, 0..99) near colorsys: each channel is first rounded to
        // 0..99, which moves hue and saturation the more the smaller the spread and value are.
        Integer H, S, V;
        RGBToHSV((r << 16) | (g << 8) | b, H, S, V);
        const double spread = std::max(S * V / 99, 1);
        const double dh = std::abs(H - hsv[3 * i] * 360);
        if (S > 0) {
            EXPECT_LE(std::min(dh, 360 - dh), 1 + 120 / spread);
        }
        EXPECT_NEAR(S, hsv[3 * i + 1] * 99, 1 + 150.0 / std::max(V, 1));
        EXPECT_NEAR(V, hsv[3 * i + 2] * 99, 1);
    }
}

}  // namespace
