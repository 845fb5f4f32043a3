// The JPEG codec against djpeg, its parameters (colour spaces, density, scaling), the writer's
// settings, and damaged or failing input.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "imaging/formats/imago_io.h"
#include "imaging/formats/jpeg_codec.h"
#include "imaging/formats/tests/reference_tools.h"
#include "imaging/tests/image_fixture.h"

using namespace reftools;

namespace {

// A smooth picture with some edges, like a small photograph.
Bmp Picture(Integer w, Integer h) {
    return Make24(w, h, [w, h](Integer x, Integer y) {
        const Byte edge = ((x / 7 + y / 5) % 3 == 0) ? 60 : 0;
        return ImgRGB(Byte(x * 255 / ImgIntMax(w - 1, 1)), Byte(y * 255 / ImgIntMax(h - 1, 1)),
                      Byte((x + y) * 127 / ImgIntMax(w + h, 1) + edge));
    });
}

bool Decode(const Bytes& Data, TBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly = false) {
    return DecodeWith(JPEGDecodeStream, Data, Bitmap, Params, ParamsOnly);
}

Bytes Encode(TBitmap* Bitmap, TIOParamsVals& Params) { return EncodeWith(JPEGEncodeStream, Bitmap, Params); }

// Drops every segment with the given marker (APP0 0xE0, APP14 0xEE) from a JPEG file.
Bytes WithoutSegment(const Bytes& Data, Byte Marker) {
    Bytes out(Data.begin(), Data.begin() + 2);
    size_t pos = 2;
    while (pos + 4 <= Data.size() && Data[pos] == 0xFF && Data[pos + 1] != 0xDA) {
        const size_t len = size_t(Data[pos + 2]) << 8 | Data[pos + 3];
        if (Data[pos + 1] != Marker) out.insert(out.end(), Data.begin() + pos, Data.begin() + pos + 2 + len);
        pos += 2 + len;
    }
    out.insert(out.end(), Data.begin() + pos, Data.end());
    return out;
}

// djpeg's pixels for a file at 1/Denominator scale with the named DCT method.
oracle::TImage Djpeg(const std::string& Path, int Denominator, const std::string& Dct) {
    return ReferencePixels("djpeg -pnm -dct " + Dct + " -scale 1/" + std::to_string(Denominator) + " " + Path);
}

class JpegTools : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(oracle::HaveTool("djpeg")) << "djpeg is missing (scripts/packages/formats-jpeg-png.txt)";
    }
};

}  // namespace

// Pixels through the I/O component, chosen by content, equal djpeg's for the same file, scale and
// DCT method. CMYK files differ by rounding only: djpeg rounds C x K / 255, the codec truncates.
TEST_F(JpegTools, DecodedPixelsEqualDjpeg) {
    struct Case {
        const char* File;
        Byte Scale;  // JPEGScale
        int Denominator;
        Byte Dct;
        const char* DctName;
        int Tolerance;
    } cases[] = {
        {"jpeg_ycc.jpg", 1, 1, ioJPEG_ISLOW, "int", 0},
        {"jpeg_grey.jpg", 1, 1, ioJPEG_ISLOW, "int", 0},
        {"jpeg_rgb.jpg", 1, 1, ioJPEG_ISLOW, "int", 0},
        {"jpeg_progressive.jpg", 1, 1, ioJPEG_ISLOW, "int", 0},
        {"jpeg_ycck_adobe.jpg", 1, 1, ioJPEG_ISLOW, "int", 1},
        {"jpeg_ycck_adobe.jpg", 3, 4, ioJPEG_ISLOW, "int", 1},
        {"jpeg_ycc.jpg", 1, 1, ioJPEG_IFAST, "fast", 0},
        {"jpeg_ycc.jpg", 1, 1, ioJPEG_FLOAT, "float", 0},
        {"jpeg_tartan.jpg", 1, 1, ioJPEG_ISLOW, "int", 0},
        {"jpeg_tartan.jpg", 2, 2, ioJPEG_ISLOW, "int", 0},
        {"jpeg_tartan.jpg", 3, 4, ioJPEG_ISLOW, "int", 0},
        {"jpeg_tartan.jpg", 4, 8, ioJPEG_ISLOW, "int", 0},
        {"jpeg_tartan_progressive.jpg", 2, 2, ioJPEG_ISLOW, "int", 0},
        {"jpeg_tartan_progressive.jpg", 4, 8, ioJPEG_ISLOW, "int", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.File) + " 1/" + std::to_string(c.Denominator) + " " + c.DctName);
        TBitmap bitmap;
        TIOParamsVals params;
        params.JPEGScale = c.Scale;
        params.JPEGDCTMethod = c.Dct;
        EXPECT_TRUE(LoadThroughIO(Fixture(c.File), &bitmap, params));
        EXPECT_EQ(params.FileType, ioJPEG);
        EXPECT_EQ(bitmap.GetPixelFormat(), pf24bit);
        const int diff = MaxDifference(Shown(&bitmap), Djpeg(FixturePath(c.File), c.Denominator, c.DctName));
        EXPECT_GE(diff, 0) << "sizes differ";
        EXPECT_LE(diff, c.Tolerance);
    }
}

// Our own CMYK and YCCK files (with the Adobe marker, and a CMYK one without it) decode as
// djpeg decodes them, and keep their colour space.
TEST_F(JpegTools, WrittenCMYKAndYCCKFilesMatchDjpeg) {
    Bmp source = Picture(45, 31);
    for (int kind : {0, 1, 2}) {
        const Byte space = kind == 1 ? ioJPEG_YCbCrK : ioJPEG_CMYK;
        SCOPED_TRACE(kind);
        TIOParamsVals params;
        params.JPEGColorSpace = space;
        params.JPEGQuality = 90;
        Bytes file = Encode(source.get(), params);
        if (kind == 2) file = WithoutSegment(file, 0xEE);
        const std::string path = TempPath("cmyk.jpg");
        WriteFile(path, file);
        TIOParamsVals read;
        read.JPEGColorSpace = ioJPEG_RGB;
        TBitmap bitmap;
        ASSERT_TRUE(Decode(file, &bitmap, read));
        EXPECT_EQ(read.JPEGColorSpace, space);
        EXPECT_LE(MaxDifference(Shown(&bitmap), Djpeg(path, 1, "int")), 1);
        // The colours survive the trip within the loss of the compression.
        const double mean = MeanDifference(Shown(&bitmap), Shown(source.get()));
        EXPECT_GE(mean, 0);
        EXPECT_LE(mean, 8);
    }
}

// What the reader puts into the parameters for each kind of file.
TEST(JpegDecode, ParametersOfEachKindOfFile) {
    SetImgDefaultDpiOverride(123);
    struct Case {
        const char* File;
        Byte ColorSpace;
        bool Progressive;
        Integer Dpi;
    } cases[] = {
        {"jpeg_grey.jpg", ioJPEG_GRAYLEV, false, 1},  // JFIF density unit 0, 1 x 1
        {"jpeg_ycc.jpg", ioJPEG_YCbCr, false, 1},
        {"jpeg_rgb.jpg", ioJPEG_RGB, false, 123},  // no JFIF marker
        {"jpeg_ycck_adobe.jpg", ioJPEG_YCbCrK, false, 123},
        {"jpeg_progressive.jpg", ioJPEG_YCbCr, true, 1},
        {"jpeg_dpcm118.jpg", ioJPEG_YCbCr, false, 299},  // 118 dots per centimetre
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        TIOParamsVals params;
        params.JPEGColorSpace = 99;
        params.BitsPerSample = 1;
        params.SamplesPerPixel = 1;
        params.Palette.resize(4);
        params.JPEGProgressive = !c.Progressive;
        TBitmap bitmap;
        ASSERT_TRUE(Decode(Fixture(c.File), &bitmap, params));
        EXPECT_EQ(params.JPEGColorSpace, c.ColorSpace);
        EXPECT_EQ(params.JPEGProgressive, c.Progressive);
        EXPECT_EQ(params.DpiX, c.Dpi);
        EXPECT_EQ(params.DpiY, c.Dpi);
        EXPECT_EQ(params.BitsPerSample, 8);
        EXPECT_EQ(params.SamplesPerPixel, 3);
        EXPECT_EQ(params.GetPaletteCount(), 0);
        EXPECT_EQ(params.Width, 37);
        EXPECT_EQ(params.Height, 29);
        EXPECT_EQ(bitmap.GetWidth(), 37);
        EXPECT_EQ(bitmap.GetPixelFormat(), pf24bit);
    }
    // A grey file gives equal red, green and blue.
    TIOParamsVals params;
    TBitmap bitmap;
    ASSERT_TRUE(Decode(Fixture("jpeg_grey.jpg"), &bitmap, params));
    for (Integer y = 0; y < 29; ++y)
        for (Integer x = 0; x < 37; ++x) {
            const TImgRGB p = Px(&bitmap, x, y);
            ASSERT_TRUE(p.r == p.g && p.g == p.b) << x << "," << y;
        }
    // An Exif-style file without a JFIF marker takes the default resolution, not 1 x 1.
    TIOParamsVals noJfif;
    ASSERT_TRUE(Decode(WithoutSegment(Fixture("jpeg_ycc.jpg"), 0xE0), &bitmap, noJfif, true));
    EXPECT_EQ(noJfif.DpiX, 123);
    SetImgDefaultDpiOverride(0);
}

// JPEGScale: 1, 2, 3, 4 give 1/1, 1/2, 1/4, 1/8; 0 picks the scale whose size is nearest to
// Width x Height. ParamsOnly leaves the bitmap alone (or may have none at all).
TEST(JpegDecode, Scaling) {
    TIOParamsVals writeParams;
    writeParams.JPEGQuality = 30;
    Bmp big = Picture(1600, 1200);
    const Bytes file1600 = Encode(big.get(), writeParams);
    Bmp square = Picture(1000, 1000);
    const Bytes file1000 = Encode(square.get(), writeParams);

    struct Case {
        const Bytes* File;
        Byte Scale;
        Integer Width, Height;  // asked for, with scale 0
        Integer OutWidth, OutHeight;
    } cases[] = {
        {&file1600, 0, 400, 300, 400, 300},  {&file1600, 0, 0, 0, 1600, 1200},
        {&file1600, 0, 1000, 700, 800, 600}, {&file1600, 0, 150, 120, 200, 150},
        {&file1600, 0, 5000, 5000, 1600, 1200}, {&file1000, 1, 0, 0, 1000, 1000},
        {&file1000, 2, 0, 0, 500, 500},      {&file1000, 3, 0, 0, 250, 250},
        {&file1000, 4, 0, 0, 125, 125},      {&file1000, 9, 0, 0, 1000, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Scale) + " " + std::to_string(c.Width) + "x" + std::to_string(c.Height));
        TIOParamsVals params;
        params.JPEGScale = c.Scale;
        params.Width = c.Width;
        params.Height = c.Height;
        ASSERT_TRUE(Decode(*c.File, nullptr, params, true));
        EXPECT_EQ(params.Width, c.OutWidth);
        EXPECT_EQ(params.Height, c.OutHeight);
    }

    TIOParamsVals params;
    params.JPEGScale = 3;
    Bmp kept = Make24(7, 5, [](Integer, Integer) { return ImgRGB(1, 2, 3); });
    ASSERT_TRUE(Decode(file1000, kept.get(), params, true));
    EXPECT_EQ(kept->GetWidth(), 7);
    EXPECT_EQ(Px(kept.get(), 6, 4), ImgRGB(1, 2, 3));
    ASSERT_TRUE(Decode(file1000, kept.get(), params));
    EXPECT_EQ(kept->GetWidth(), 250);
    EXPECT_EQ(kept->GetHeight(), 250);
    EXPECT_EQ(params.Width, 250);
}

// The writer's settings reach the file; the caller's bitmap and parameters stay as they were.
TEST(JpegEncode, SettingsReachTheFile) {
    Bmp source = Picture(64, 48);
    auto write = [&](auto&& set) {
        TIOParamsVals params;
        params.JPEGQuality = 75;
        params.DpiX = 300;
        params.DpiY = 200;
        set(params);
        return Encode(source.get(), params);
    };
    auto readBack = [](const Bytes& file, TIOParamsVals& params, TBitmap& bitmap) {
        params.JPEGColorSpace = 99;
        ASSERT_TRUE(Decode(file, &bitmap, params));
    };
    struct Case {
        Byte Space;
        Byte Expected;
    } spaces[] = {{ioJPEG_RGB, ioJPEG_RGB}, {ioJPEG_GRAYLEV, ioJPEG_GRAYLEV}, {ioJPEG_YCbCr, ioJPEG_YCbCr},
                  {ioJPEG_CMYK, ioJPEG_CMYK}, {ioJPEG_YCbCrK, ioJPEG_YCbCrK}, {77, ioJPEG_RGB}};
    for (const Case& c : spaces) {
        SCOPED_TRACE(int(c.Space));
        TIOParamsVals params;
        TBitmap bitmap;
        readBack(write([&](TIOParamsVals& p) { p.JPEGColorSpace = c.Space; }), params, bitmap);
        EXPECT_EQ(params.JPEGColorSpace, c.Expected);
        if (c.Space != ioJPEG_GRAYLEV) {
            const double mean = MeanDifference(Shown(&bitmap), Shown(source.get()));
            EXPECT_GE(mean, 0);
            EXPECT_LE(mean, 8);
        }
    }
    // The density is written in dots per inch (JFIF files only: grey and YCbCr).
    {
        TIOParamsVals params;
        TBitmap bitmap;
        readBack(write([](TIOParamsVals& p) { p.JPEGColorSpace = ioJPEG_YCbCr; }), params, bitmap);
        EXPECT_EQ(params.DpiX, 300);
        EXPECT_EQ(params.DpiY, 200);
    }
    // Progressive output, and the size follows quality and optimised coding.
    {
        TIOParamsVals params;
        TBitmap bitmap;
        readBack(write([](TIOParamsVals& p) { p.JPEGProgressive = true; }), params, bitmap);
        EXPECT_TRUE(params.JPEGProgressive);
    }
    const size_t low = write([](TIOParamsVals& p) { p.JPEGQuality = 10; }).size();
    const size_t high = write([](TIOParamsVals& p) { p.JPEGQuality = 98; }).size();
    EXPECT_LT(low, high);
    const size_t optimised = write([](TIOParamsVals& p) { p.JPEGOptimalHuffman = true; }).size();
    EXPECT_LT(optimised, write([](TIOParamsVals&) {}).size());
    const Bytes smooth = write([](TIOParamsVals& p) { p.JPEGSmooth = 60; });
    EXPECT_NE(smooth, write([](TIOParamsVals&) {}));
    EXPECT_NE(write([](TIOParamsVals& p) { p.JPEGDCTMethod = ioJPEG_IFAST; }), write([](TIOParamsVals&) {}));

    // A 1-bit bitmap is written from a 24-bit copy and stays 1-bit.
    Bmp mono = Make1(40, 30, [](Integer x, Integer y) { return (x / 10 + y / 10) % 2 == 0; });
    TIOParamsVals params;
    params.JPEGQuality = 95;
    const Bytes file = Encode(mono.get(), params);
    EXPECT_EQ(mono->GetPixelFormat(), pf1bit);
    EXPECT_EQ(params.JPEGQuality, 95);
    TBitmap bitmap;
    TIOParamsVals read;
    ASSERT_TRUE(Decode(file, &bitmap, read));
    EXPECT_LE(Px(&bitmap, 2, 2).g, 255);
    EXPECT_GE(Px(&bitmap, 2, 2).g, 230);
    EXPECT_LE(Px(&bitmap, 12, 2).g, 25);
}

// Damaged data: wrong signatures, truncation and flipped bits stop the reader through the
// aborting flag, never with a crash. A file cut inside its compressed data is completed by the
// library (a warning only): it decodes to its full size.
TEST(JpegDecode, DamagedInput) {
    TBitmap bitmap;
    TIOParamsVals params;
    EXPECT_FALSE(Decode(Bytes{}, &bitmap, params));
    EXPECT_FALSE(Decode(Bytes{0xFF, 0xD8}, &bitmap, params));
    EXPECT_FALSE(Decode(Bytes{0x89, 'P', 'N', 'G', 0, 0, 0, 0}, &bitmap, params));

    for (const char* name : {"jpeg_ycc.jpg", "jpeg_grey.jpg", "jpeg_rgb.jpg", "jpeg_ycck_adobe.jpg",
                             "jpeg_progressive.jpg", "jpeg_tartan_progressive.jpg"}) {
        SCOPED_TRACE(name);
        const Bytes file = Fixture(name);
        TIOParamsVals whole;
        ASSERT_TRUE(Decode(file, nullptr, whole, true));
        size_t scanStart = 0;
        for (size_t i = 2; i + 1 < file.size(); ++i)
            if (file[i] == 0xFF && file[i + 1] == 0xDA) {
                scanStart = i;
                break;
            }
        ASSERT_GT(scanStart, 0u);
        for (size_t cut = 3; cut < file.size(); cut += 7) {
            const Bytes part(file.begin(), file.begin() + cut);
            TIOParamsVals p;
            TBitmap b;
            const bool ok = Decode(part, &b, p);
            if (cut <= scanStart) {
                EXPECT_FALSE(ok) << "cut at " << cut;
            } else if (ok) {
                EXPECT_EQ(b.GetWidth(), whole.Width);
                EXPECT_EQ(b.GetHeight(), whole.Height);
            }
        }
        for (size_t at = 2; at < file.size(); at += 3) {
            Bytes flipped = file;
            flipped[at] ^= Byte(1u << (at % 8));
            TIOParamsVals p;
            TBitmap b;
            if (Decode(flipped, &b, p)) {
                EXPECT_EQ(b.GetWidth(), p.Width);
            }
        }
    }
}

// The progress event counts rows up to 100; setting the flag from it stops the reader, which
// keeps the rows decoded so far. Exceptions of the stream reach the caller.
TEST(JpegDecode, ProgressAbortAndStreamExceptions) {
    Bmp source = Picture(40, 64);
    TIOParamsVals params;
    params.JPEGQuality = 90;
    const Bytes file = Encode(source.get(), params);

    TBitmap bitmap;
    TRun run;
    run.Count();
    auto s = StreamOf(file);
    JPEGDecodeStream(s.get(), &bitmap, params, run.Progress, false);
    EXPECT_FALSE(run.Aborting);
    EXPECT_EQ(run.Events, 64);
    EXPECT_EQ(run.Last, 100);
    // The stream stands right after the image: a second image behind it is read next.
    Bytes two = file;
    two.insert(two.end(), file.begin(), file.end());
    auto both = StreamOf(two);
    TRun first, second;
    JPEGDecodeStream(both.get(), &bitmap, params, first.Progress, false);
    EXPECT_EQ(both->GetPosition(), Int64(file.size()));
    JPEGDecodeStream(both.get(), &bitmap, params, second.Progress, false);
    EXPECT_FALSE(second.Aborting);

    TRun stopped;
    stopped.Progress.OnProgress = [&](TObject*, Integer per) {
        if (per >= 50) stopped.Aborting = true;
    };
    Bmp target = Make24(40, 64, [](Integer, Integer) { return ImgRGB(0, 0, 0); });
    auto again = StreamOf(file);
    JPEGDecodeStream(again.get(), target.get(), params, stopped.Progress, false);
    EXPECT_TRUE(stopped.Aborting);
    EXPECT_EQ(stopped.Progress.Done, 32);
    EXPECT_NEAR(Px(target.get(), 39, 0).r, 255, 8);

    TFaultyStream faulty(file);
    faulty.ReadLimit = 100;
    TRun failing;
    EXPECT_THROW(JPEGDecodeStream(&faulty, &bitmap, params, failing.Progress, false), EReadError);

    TFaultyStream full;
    full.RaiseOnWrite = true;
    TRun writing;
    EXPECT_THROW(JPEGEncodeStream(&full, source.get(), params, writing.Progress), EWriteError);
    TFaultyStream small;
    small.WriteLimit = 200;
    TRun shortWrite;
    JPEGEncodeStream(&small, source.get(), params, shortWrite.Progress);
    EXPECT_TRUE(shortWrite.Aborting);
}
