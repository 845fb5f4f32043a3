// The PNG codec against netpbm's pngtopnm and pngcheck: fixtures of every depth and colour type,
// the parameters the reader fills, what the writer puts into its files, and damaged or failing
// input.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "imaging/formats/imago_io.h"
#include "imaging/formats/png_codec.h"
#include "imaging/formats/tests/reference_tools.h"
#include "imaging/resample.h"
#include "imaging/tests/image_fixture.h"

using namespace reftools;

namespace {

bool Decode(const Bytes& Data, TBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly = false) {
    return DecodeWith(PNGDecodeStream, Data, Bitmap, Params, ParamsOnly);
}

Bytes Encode(TBitmap* Bitmap, TIOParamsVals& Params) { return EncodeWith(PNGEncodeStream, Bitmap, Params); }

// The data of the first chunk of the given type; empty when there is none.
Bytes Chunk(const Bytes& File, const char* Type) {
    size_t pos = 8;
    while (pos + 12 <= File.size()) {
        const size_t len =
            size_t(File[pos]) << 24 | size_t(File[pos + 1]) << 16 | size_t(File[pos + 2]) << 8 | File[pos + 3];
        if (std::memcmp(&File[pos + 4], Type, 4) == 0 && pos + 8 + len <= File.size())
            return Bytes(File.begin() + pos + 8, File.begin() + pos + 8 + len);
        pos += 12 + len;
    }
    return {};
}

Cardinal BE32(const Bytes& b, size_t at) {
    return Cardinal(b[at]) << 24 | Cardinal(b[at + 1]) << 16 | Cardinal(b[at + 2]) << 8 | b[at + 3];
}

std::string Hex(TImgRGB c) {
    char s[16];
    std::snprintf(s, sizeof s, "rgb:%02x/%02x/%02x", c.r, c.g, c.b);
    return s;
}

// pngtopnm's pixels, composed onto Background where the file has transparency.
oracle::TImage Reference(const std::string& Path, TImgRGB Background) {
    return ReferencePixels("pngtopnm -mix -background=" + Hex(Background) + " " + Path);
}

// pngcheck's exit status for a file, and its report with -vv.
int Pngcheck(const std::string& Path, std::string* Report = nullptr) {
    const std::string out = TempPath("pngcheck.txt");
    const int status = Run("pngcheck -vv " + Path + " > " + out + " 2>&1");
    if (Report) {
        const Bytes text = ReadFile(out);
        Report->assign(text.begin(), text.end());
    }
    return status;
}

class PngTools : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(oracle::HaveTool("pngtopnm")) << "netpbm is missing (scripts/packages/formats-jpeg-png.txt)";
        ASSERT_TRUE(oracle::HaveTool("pngcheck")) << "pngcheck is missing (scripts/packages/formats-jpeg-png.txt)";
    }
};

Bmp Picture(Integer w, Integer h) {
    return Make24(w, h, [](Integer x, Integer y) {
        return ImgRGB(Byte(x * 7 + y), Byte(y * 5), Byte((x ^ y) * 3));
    });
}

}  // namespace

// Every fixture decodes, through the I/O component chosen by content, to pngtopnm's pixels: exact
// where nothing is composed, within 1 where transparency is composed onto the background.
TEST_F(PngTools, DecodedPixelsEqualTheReferenceDecoder) {
    const TImgRGB defaultBack = ImgRGB(10, 200, 30);
    struct Case {
        const char* File;
        TPixelFormat Format;
        int Tolerance;
        TImgRGB Back;
    } cases[] = {
        {"png_grey1.png", pf1bit, 0, defaultBack},
        {"png_grey1_interlaced.png", pf1bit, 0, defaultBack},
        {"png_grey2.png", pf24bit, 0, defaultBack},
        {"png_grey4.png", pf24bit, 0, defaultBack},
        {"png_grey8.png", pf24bit, 0, defaultBack},
        {"png_grey16.png", pf24bit, 0, defaultBack},
        {"png_pal1.png", pf1bit, 0, defaultBack},
        {"png_pal1_white_black.png", pf1bit, 0, defaultBack},
        {"png_pal2bit.png", pf24bit, 0, defaultBack},
        {"png_pal4.png", pf24bit, 0, defaultBack},
        {"png_pal4_interlaced.png", pf24bit, 0, defaultBack},
        {"png_pal8.png", pf24bit, 0, defaultBack},
        {"png_pal8_bkgd.png", pf24bit, 0, defaultBack},
        {"png_rgb8.png", pf24bit, 0, defaultBack},
        {"png_rgb8_interlaced.png", pf24bit, 0, defaultBack},
        {"png_rgb16.png", pf24bit, 0, defaultBack},
        {"png_rgba8.png", pf24bit, 1, defaultBack},
        {"png_rgba8_interlaced.png", pf24bit, 1, defaultBack},
        {"png_rgba16.png", pf24bit, 1, defaultBack},
        {"png_ga8.png", pf24bit, 1, defaultBack},
        {"png_rgb_trns.png", pf24bit, 0, defaultBack},
        {"png_pal_trns.png", pf24bit, 0, defaultBack},
        {"png_rgba8_bkgd.png", pf24bit, 1, ImgRGB(0x20, 0x40, 0x60)},
        {"png_rgba16_bkgd.png", pf24bit, 1, ImgRGB(0x20, 0x40, 0x60)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        TBitmap bitmap;
        TIOParamsVals params;
        params.PNGBackground = defaultBack;
        EXPECT_TRUE(LoadThroughIO(Fixture(c.File), &bitmap, params));
        EXPECT_EQ(params.FileType, ioPNG);
        EXPECT_EQ(bitmap.GetPixelFormat(), c.Format);
        const int diff = MaxDifference(Shown(&bitmap, params.Palette), Reference(FixturePath(c.File), c.Back));
        EXPECT_GE(diff, 0) << "sizes differ";
        EXPECT_LE(diff, c.Tolerance);
    }
}

// What the reader puts into the parameters: the file's depth and samples, palette, interlacing,
// resolution from the physical size, and the background chunk (8-bit values as they stand,
// 16-bit ones by their high byte, a palette index by its colour).
TEST(PngDecode, Parameters) {
    SetImgDefaultDpiOverride(123);
    const TImgRGB unset = ImgRGB(1, 2, 3);
    struct Case {
        const char* File;
        Integer Bits, Samples, PaletteCount;
        bool Interlaced;
        Integer Dpi;
        TImgRGB Back;
    } cases[] = {
        {"png_grey1.png", 1, 1, 0, false, 123, unset},
        {"png_grey8.png", 8, 1, 0, false, 96, unset},  // 3780 pixels per metre
        {"png_grey16.png", 16, 1, 0, false, 123, unset},
        {"png_pal1.png", 1, 1, 2, false, 123, unset},
        {"png_pal4_interlaced.png", 4, 1, 15, true, 123, unset},
        {"png_pal8_bkgd.png", 8, 1, 26, false, 123, ImgRGB(255, 255, 255)},
        {"png_rgb16.png", 16, 3, 0, false, 123, unset},
        {"png_ga8.png", 8, 2, 0, false, 123, unset},
        {"png_rgba8.png", 8, 4, 0, false, 123, unset},
        {"png_rgba8_bkgd.png", 8, 4, 0, false, 123, ImgRGB(0x20, 0x40, 0x60)},
        {"png_rgba16_bkgd.png", 16, 4, 0, false, 123, ImgRGB(0x20, 0x40, 0x60)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        for (bool paramsOnly : {true, false}) {
            TIOParamsVals params;
            params.PNGBackground = unset;
            params.Palette.resize(7);
            TBitmap bitmap;
            ASSERT_TRUE(Decode(Fixture(c.File), paramsOnly ? nullptr : &bitmap, params, paramsOnly));
            EXPECT_EQ(params.Width, 37);
            EXPECT_EQ(params.Height, 29);
            EXPECT_EQ(params.BitsPerSample, c.Bits);
            EXPECT_EQ(params.SamplesPerPixel, c.Samples);
            EXPECT_EQ(params.GetPaletteCount(), c.PaletteCount);
            EXPECT_EQ(params.PNGInterlaced, c.Interlaced);
            EXPECT_EQ(params.DpiX, c.Dpi);
            EXPECT_EQ(params.DpiY, c.Dpi);
            EXPECT_EQ(params.PNGBackground, c.Back);
        }
    }
    // The two colours of a 1-bit palette image stay in the parameters; a white-then-black palette
    // shows index 0 white.
    TIOParamsVals params;
    TBitmap bitmap;
    ASSERT_TRUE(Decode(Fixture("png_pal1.png"), &bitmap, params));
    EXPECT_EQ(params.Palette[0], ImgRGB(0, 0, 255));
    EXPECT_EQ(params.Palette[1], ImgRGB(255, 0, 0));
    SetImgDefaultDpiOverride(0);
}

// With a reducing box the reader gives what the full read gives averaged in blocks, for every
// depth and colour type (1-bit and transparent pictures too), with the file's size in the
// parameters; interlaced files and boxes the picture is not twice of read whole; a damaged file
// still fails.
TEST(PngDecode, ReducingBoxAveragesBlocksAsRowsArrive) {
    struct Case {
        const char* File;
        Integer BoxW, BoxH, Factor;
    };
    std::vector<Case> cases;
    for (const char* file :
         {"png_grey1.png", "png_grey2.png", "png_grey4.png", "png_grey16.png", "png_pal1.png",
          "png_pal1_white_black.png", "png_pal2bit.png", "png_pal8_bkgd.png", "png_rgb8.png", "png_rgb16.png",
          "png_rgba8.png", "png_rgba16_bkgd.png", "png_ga8.png", "png_rgb_trns.png", "png_pal_trns.png"})
        cases.push_back({file, 5, 4, 3});  // 37 x 29 fits 5 x 4
    cases.insert(cases.end(), {{"png_rgb8.png", 9, 9, 2},
                               {"png_rgb8.png", 1, 1, 14},
                               {"png_rgb8.png", 100, 2, 6},
                               {"png_rgb8.png", 20, 20, 1},
                               {"png_rgb8.png", 0, 4, 1},
                               {"png_rgb8_interlaced.png", 5, 4, 1},
                               {"png_grey1_interlaced.png", 5, 4, 1}});
    const TImgRGB back = ImgRGB(10, 200, 30);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.File) + " " + std::to_string(c.BoxW) + "x" + std::to_string(c.BoxH));
        TIOParamsVals params;
        params.PNGBackground = back;
        TBitmap full;
        ASSERT_TRUE(Decode(Fixture(c.File), &full, params));
        const oracle::TImage whole = Shown(&full, params.Palette);
        oracle::TImage expected = whole;
        if (c.Factor > 1) {
            Bmp rgb = Make24(whole.Width, whole.Height, [&](Integer x, Integer y) {
                const unsigned char* p = &whole.RGB[(size_t(y) * size_t(whole.Width) + size_t(x)) * 3];
                return ImgRGB(p[0], p[1], p[2]);
            });
            TBitmap shrunk;
            ShrinkByBlocks(rgb.get(), &shrunk, c.Factor);
            expected = oracle::FromBitmap(&shrunk);
        }
        TIOParamsVals reducing;
        reducing.PNGBackground = back;
        reducing.PNGReduceWidth = c.BoxW;
        reducing.PNGReduceHeight = c.BoxH;
        TBitmap reduced;
        ASSERT_TRUE(Decode(Fixture(c.File), &reduced, reducing));
        EXPECT_EQ(reduced.GetPixelFormat(), c.Factor > 1 ? pf24bit : full.GetPixelFormat());
        EXPECT_EQ(reduced.GetWidth(), (37 + c.Factor - 1) / c.Factor);
        EXPECT_EQ(reduced.GetHeight(), (29 + c.Factor - 1) / c.Factor);
        EXPECT_TRUE(Shown(&reduced, reducing.Palette) == expected);
        EXPECT_EQ(reducing.Width, 37);
        EXPECT_EQ(reducing.Height, 29);
    }
    const Bytes data = Fixture("png_rgb8.png");
    TIOParamsVals params;
    params.PNGReduceWidth = 5;
    params.PNGReduceHeight = 4;
    TBitmap cut;
    EXPECT_FALSE(Decode(Bytes(data.begin(), data.begin() + std::ptrdiff_t(data.size() / 2)), &cut, params));
}

// Files we write pass pngcheck, decode in the reference decoder to the pixels our reader gives,
// and hold what the parameters asked for.
TEST_F(PngTools, WrittenFilesAreValid) {
    Bmp picture = Picture(45, 23);
    Bmp twoColours = Make24(30, 20, [](Integer x, Integer y) {
        return (x + y) % 3 ? ImgRGB(200, 30, 30) : ImgRGB(20, 20, 90);
    });
    Bmp mono = Make1(33, 9, [](Integer x, Integer y) { return (x * y) % 5 == 0; });
    struct Case {
        const char* Name;
        TBitmap* Source;
        Integer Bits, Samples;
        bool Interlaced;
        Byte Filter;
        const char* Header;  // as pngcheck names the image
        bool Lossless;
    } cases[] = {
        {"rgb", picture.get(), 8, 3, false, ioPNG_FILTER_NONE, "24-bit RGB, non-interlaced", true},
        {"rgb_interlaced", picture.get(), 8, 3, true, ioPNG_FILTER_PAETH, "24-bit RGB, interlaced", true},
        {"palette", picture.get(), 8, 1, false, ioPNG_FILTER_SUB, "8-bit palette, non-interlaced", false},
        {"palette_interlaced", twoColours.get(), 8, 1, true, ioPNG_FILTER_NONE, "8-bit palette, interlaced", false},
        {"mono", mono.get(), 1, 1, false, ioPNG_FILTER_NONE, "1-bit grayscale, non-interlaced", true},
        {"mono_interlaced", mono.get(), 1, 1, true, ioPNG_FILTER_NONE, "1-bit grayscale, interlaced", true},
        {"mono_as_rgb", mono.get(), 8, 3, false, ioPNG_FILTER_NONE, "24-bit RGB, non-interlaced", true},
        {"two_colours", twoColours.get(), 1, 1, false, ioPNG_FILTER_NONE, "1-bit grayscale", false},
        {"dithered", picture.get(), 1, 1, false, ioPNG_FILTER_NONE, "1-bit grayscale", false},
        {"one_bit_rgb_samples", twoColours.get(), 1, 3, false, ioPNG_FILTER_NONE, "1-bit grayscale", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TIOParamsVals params;
        params.BitsPerSample = c.Bits;
        params.SamplesPerPixel = c.Samples;
        params.PNGInterlaced = c.Interlaced;
        params.PNGFilter = c.Filter;
        params.DpiX = 96;
        params.DpiY = 72;
        params.PNGBackground = ImgRGB(250, 128, 7);
        const TPixelFormat before = c.Source->GetPixelFormat();
        const Bytes file = Encode(c.Source, params);
        EXPECT_EQ(c.Source->GetPixelFormat(), before);
        const std::string path = TempPath(std::string(c.Name) + ".png");
        WriteFile(path, file);
        std::string report;
        EXPECT_EQ(Pngcheck(path, &report), 0) << report;
        EXPECT_NE(report.find(c.Header), std::string::npos) << report;

        TIOParamsVals read;
        TBitmap bitmap;
        ASSERT_TRUE(Decode(file, &bitmap, read));
        EXPECT_EQ(MaxDifference(Shown(&bitmap), Reference(path, ImgRGB(0, 0, 0))), 0);
        if (c.Lossless) {
            EXPECT_EQ(MaxDifference(Shown(&bitmap), Shown(c.Source)), 0);
        }
        EXPECT_EQ(read.DpiX, 96);
        EXPECT_EQ(read.DpiY, 72);
        // 96 and 72 dots per inch are stored as 3780 and 2835 pixels per metre.
        const Bytes phys = Chunk(file, "pHYs");
        ASSERT_EQ(phys.size(), 9u);
        EXPECT_EQ(BE32(phys, 0), 3780u);
        EXPECT_EQ(BE32(phys, 4), 2835u);
        EXPECT_EQ(phys[8], 1);
        if (std::string(c.Header).find("palette") != std::string::npos) {
            EXPECT_EQ(read.GetPaletteCount(), 256);
            EXPECT_EQ(Chunk(file, "bKGD").size(), 1u);
        } else if (std::string(c.Header).find("RGB") != std::string::npos) {
            // The background in 8-bit values, and read back as written.
            EXPECT_EQ(Chunk(file, "bKGD"), (Bytes{0, 250, 0, 128, 0, 7}));
            EXPECT_EQ(read.PNGBackground, ImgRGB(250, 128, 7));
        }
    }
}

// The filter and compression settings reach the file.
TEST_F(PngTools, FilterAndCompression) {
    Bmp picture = Picture(40, 12);
    auto rowFilters = [&](Byte filter) {
        TIOParamsVals params;
        params.PNGFilter = filter;
        const std::string path = TempPath("filter.png");
        WriteFile(path, Encode(picture.get(), params));
        std::string report;
        Pngcheck(path, &report);
        const size_t at = report.find("row filters");
        EXPECT_NE(at, std::string::npos) << report;
        const size_t line = report.find('\n', at);
        std::istringstream in(report.substr(line + 1, report.find('(', line) - line - 1));
        std::string all, f;
        while (in >> f) all += f;
        return all;
    };
    EXPECT_EQ(rowFilters(ioPNG_FILTER_NONE), std::string(12, '0'));
    EXPECT_EQ(rowFilters(ioPNG_FILTER_SUB), std::string(12, '1'));
    EXPECT_EQ(rowFilters(ioPNG_FILTER_PAETH), std::string(12, '4'));

    TIOParamsVals stored, packed;
    stored.PNGCompression = 0;
    packed.PNGCompression = 9;
    EXPECT_GT(Encode(picture.get(), stored).size(), Encode(picture.get(), packed).size());
}

// An interlaced image of height 100 reports its progress over 700 rows, up to 100; a flag set
// from the event stops reading and writing (a stopped write has no end chunk).
TEST(PngCodec, ProgressOverPassesAndAborting) {
    Bmp picture = Picture(20, 100);
    TIOParamsVals params;
    params.PNGInterlaced = true;
    const Bytes file = Encode(picture.get(), params);

    TBitmap bitmap;
    TRun run;
    run.Count();
    auto s = StreamOf(file);
    PNGDecodeStream(s.get(), &bitmap, params, run.Progress, false);
    EXPECT_FALSE(run.Aborting);
    EXPECT_EQ(run.Events, 700);
    EXPECT_EQ(run.Last, 100);
    EXPECT_EQ(s->GetPosition(), Int64(file.size()));

    TRun stopped;
    stopped.Progress.OnProgress = [&](TObject*, Integer per) {
        if (per >= 30) stopped.Aborting = true;
    };
    auto again = StreamOf(file);
    PNGDecodeStream(again.get(), &bitmap, params, stopped.Progress, false);
    EXPECT_TRUE(stopped.Aborting);
    EXPECT_EQ(stopped.Progress.Done, 210);

    TMemoryStream out;
    TRun writing;
    writing.Progress.OnProgress = [&](TObject*, Integer per) {
        if (per >= 50) writing.Aborting = true;
    };
    PNGEncodeStream(&out, picture.get(), params, writing.Progress);
    EXPECT_TRUE(Chunk(BytesOf(out), "IEND").empty());
    EXPECT_GT(out.GetSize(), 0);
}

// Damaged data: every truncation and every flipped bit of the image data sets the aborting
// flag, and no damage crashes the reader. The writer raises EInvalidGraphic on library errors;
// exceptions of the stream reach the caller as they are.
TEST(PngCodec, DamagedInputAndWriteErrors) {
    TBitmap bitmap;
    TIOParamsVals params;
    EXPECT_FALSE(Decode(Bytes{}, &bitmap, params));
    EXPECT_FALSE(Decode(Bytes{0xFF, 0xD8, 0xFF, 0xE0}, &bitmap, params));

    for (const char* name : {"png_grey1.png", "png_grey2.png", "png_grey16.png", "png_pal1_white_black.png",
                             "png_pal4_interlaced.png", "png_pal_trns.png", "png_rgb8_interlaced.png",
                             "png_rgba16_bkgd.png", "png_rgba8_interlaced.png"}) {
        SCOPED_TRACE(name);
        const Bytes file = Fixture(name);
        for (size_t cut = 0; cut < file.size(); ++cut) {
            TIOParamsVals p;
            TBitmap b;
            EXPECT_FALSE(Decode(Bytes(file.begin(), file.begin() + cut), &b, p)) << "cut at " << cut;
        }
        for (size_t at = 0; at < file.size(); ++at) {
            Bytes flipped = file;
            flipped[at] ^= Byte(1u << (at % 8));
            TIOParamsVals p;
            TBitmap b;
            const bool ok = Decode(flipped, &b, p);
            if (at < 33) {
                EXPECT_FALSE(ok) << "signature or header byte " << at;
            }
        }
    }

    // A failing stream.
    const Bytes file = Fixture("png_rgb8.png");
    TFaultyStream faulty(file);
    faulty.ReadLimit = 60;
    TRun failing;
    EXPECT_THROW(PNGDecodeStream(&faulty, &bitmap, params, failing.Progress, false), EReadError);

    Bmp picture = Picture(8, 8);
    TFaultyStream raising;
    raising.RaiseOnWrite = true;
    TRun w1;
    EXPECT_THROW(PNGEncodeStream(&raising, picture.get(), params, w1.Progress), EWriteError);
    TFaultyStream full;
    full.WriteLimit = 40;
    TRun w2;
    try {
        PNGEncodeStream(&full, picture.get(), params, w2.Progress);
        ADD_FAILURE() << "no exception";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Error on creating PNG");
    }
    TBitmap empty;
    empty.SetPixelFormat(pf24bit);
    TMemoryStream out;
    TRun w3;
    EXPECT_THROW(PNGEncodeStream(&out, &empty, params, w3.Progress), EInvalidGraphic);
}
