// The TIFF codec: libtiff-made fixtures of every layout and compression decode to libtiff's pixels
// (tiff2rgba); pages, parameters and the special sample layouts; files and pages we write pass
// tiffinfo, read back in libtiff and in ours to the same pixels, with the tags in their order;
// appending into a page chain; damaged and hostile files.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "imaging/bitmap_routines.h"
#include "imaging/formats/lzw_coders.h"
#include "imaging/formats/tests/tiff_test_support.h"
#include "imaging/formats/tiff_codec.h"
#include "imaging/tests/image_fixture.h"

namespace {

using tifftest::Bytes;
using tifftest::TTiffBuilder;

struct TRead {
    bool Ok = false;
    Integer Pages = 0;
};

// Reads page Index of the bytes with the LZW coders installed in the parameters.
TRead ReadTiff(const Bytes& Data, TBitmap* Bitmap, TIOParamsVals& Params, Integer Index = 0, bool ParamsOnly = false) {
    auto s = reftools::StreamOf(Data);
    reftools::TRun run;
    Params.TIFFImageIndex = Index;
    Params.TIFFLZWDecompress = &TiffLZWDecode;
    TRead r;
    TIFFDecodeStream(Bitmap, s.get(), r.Pages, &Params, run.Progress, ParamsOnly);
    r.Ok = !run.Aborting;
    return r;
}

// Writes the bitmap as a new TIFF.
Bytes WriteTiff(TBitmap* Bitmap, TIOParamsVals& Params, bool WithLZW = true) {
    TMemoryStream s;
    reftools::TRun run;
    Params.TIFFLZWCompress = WithLZW ? &TiffLZWEncode : nullptr;
    EXPECT_EQ(TIFFEncodeStream(&s, false, Bitmap, Params, run.Progress), 1);
    EXPECT_FALSE(run.Aborting);
    return reftools::BytesOf(s);
}

// libtiff's RGB pixels of page Page (tiff2rgba, alpha left out); empty when it failed.
oracle::TImage LibtiffPixels(const std::string& File, int Page = 0) {
    const std::string out = reftools::TempPath("rgba.tif");
    oracle::TImage img;
    if (reftools::Run("tiff2rgba -c none '" + File + "' '" + out + "' 2>/dev/null") != 0) return img;
    const Bytes data = reftools::ReadFile(out);
    const tifftest::TFile f = tifftest::Parse(data);
    if (size_t(Page) >= f.Pages.size()) return img;
    const tifftest::TDirectory& d = f.Pages[size_t(Page)];
    Bytes all;
    for (const Bytes& s : tifftest::Strips(data, d)) all.insert(all.end(), s.begin(), s.end());
    if (d.Get(266, 1) == 2)  // tiff2rgba keeps the fill order, whose bytes libtiff stores reversed
        for (Byte& b : all) {
            Byte r = 0;
            for (int i = 0; i < 8; ++i)
                if (b & (1 << i)) r |= Byte(0x80 >> i);
            b = r;
        }
    img.Width = int(d.Get(256));
    img.Height = int(d.Get(257));
    const size_t n = size_t(img.Width) * size_t(img.Height);
    if (all.size() < n * 4) return oracle::TImage{};
    for (size_t i = 0; i < n; ++i) img.RGB.insert(img.RGB.end(), {all[i * 4], all[i * 4 + 1], all[i * 4 + 2]});
    return img;
}

bool HaveTools() { return tifftest::HaveLibtiffTools() && oracle::HaveTool("tiff2rgba"); }

TEST(TIFFCodec, FixturesDecodeToLibtiffsPixels) {
    if (!HaveTools()) GTEST_SKIP() << "needs libtiff-tools";
    struct TCase {
        const char* File;
        Integer Compression, Photometric, Bits, Samples;
        TPixelFormat Format;
    };
    const TCase cases[] = {
        {"tiff_grey_none_le.tif", ioTIFF_UNCOMPRESSED, ioTIFF_BLACKISZERO, 8, 1, pf24bit},
        {"tiff_grey_lzw2_be.tif", ioTIFF_LZW, ioTIFF_BLACKISZERO, 8, 1, pf24bit},
        {"tiff_grey_packbits_le.tif", ioTIFF_PACKBITS, ioTIFF_BLACKISZERO, 8, 1, pf24bit},
        {"tiff_grey_lsb2msb_le.tif", ioTIFF_UNCOMPRESSED, ioTIFF_BLACKISZERO, 8, 1, pf24bit},
        {"tiff_rgb_none_be.tif", ioTIFF_UNCOMPRESSED, ioTIFF_RGB, 8, 3, pf24bit},
        {"tiff_rgb_lzw2_le.tif", ioTIFF_LZW, ioTIFF_RGB, 8, 3, pf24bit},
        {"tiff_rgb_lzw_strips_be.tif", ioTIFF_LZW, ioTIFF_RGB, 8, 3, pf24bit},
        {"tiff_rgb_packbits_be.tif", ioTIFF_PACKBITS, ioTIFF_RGB, 8, 3, pf24bit},
        {"tiff_rgb_planar_none_le.tif", ioTIFF_UNCOMPRESSED, ioTIFF_RGB, 8, 3, pf24bit},
        {"tiff_rgb_planar_lzw2_be.tif", ioTIFF_LZW, ioTIFF_RGB, 8, 3, pf24bit},
        {"tiff_cmyk_none_le.tif", ioTIFF_UNCOMPRESSED, ioTIFF_CMYK, 8, 4, pf24bit},
        {"tiff_cmyk_lzw2_be.tif", ioTIFF_LZW, ioTIFF_CMYK, 8, 4, pf24bit},
        {"tiff_cmyk_planar_packbits_le.tif", ioTIFF_PACKBITS, ioTIFF_CMYK, 8, 4, pf24bit},
        {"tiff_pal8_lzw_le.tif", ioTIFF_LZW, ioTIFF_RGBPALETTE, 8, 1, pf24bit},
        {"tiff_pal8_packbits_be.tif", ioTIFF_PACKBITS, ioTIFF_RGBPALETTE, 8, 1, pf24bit},
        {"tiff_pal4_none_be.tif", ioTIFF_UNCOMPRESSED, ioTIFF_RGBPALETTE, 4, 1, pf24bit},
        {"tiff_pal8_alpha_lzw_be.tif", ioTIFF_LZW, ioTIFF_RGBPALETTE, 8, 2, pf24bit},  // index, alpha
        {"tiff_grey2_none_le.tif", ioTIFF_UNCOMPRESSED, ioTIFF_BLACKISZERO, 2, 1, pf24bit},
        {"tiff_grey2_miniswhite_packbits_be.tif", ioTIFF_PACKBITS, ioTIFF_WHITEISZERO, 2, 1, pf24bit},
        {"tiff_grey4_miniswhite_lzw_le.tif", ioTIFF_LZW, ioTIFF_WHITEISZERO, 4, 1, pf24bit},
        // Two colours that are not black and white: 24-bit.
        {"tiff_pal1_lzw_le.tif", ioTIFF_LZW, ioTIFF_RGBPALETTE, 1, 1, pf24bit},
        {"tiff_pal1_g4_le.tif", ioTIFF_G4FAX, ioTIFF_RGBPALETTE, 1, 1, pf24bit},
        {"tiff_bw_none_le.tif", ioTIFF_UNCOMPRESSED, ioTIFF_WHITEISZERO, 1, 1, pf1bit},
        {"tiff_bw_packbits_be.tif", ioTIFF_PACKBITS, ioTIFF_WHITEISZERO, 1, 1, pf1bit},
        {"tiff_bw_lzw_le.tif", ioTIFF_LZW, ioTIFF_WHITEISZERO, 1, 1, pf1bit},
        {"tiff_bw_g3_le.tif", ioTIFF_G3FAX1D, ioTIFF_WHITEISZERO, 1, 1, pf1bit},
        {"tiff_bw_g3fill_be.tif", ioTIFF_G3FAX1D, ioTIFF_WHITEISZERO, 1, 1, pf1bit},
        {"tiff_bw_g32d_le.tif", ioTIFF_G3FAX2D, ioTIFF_WHITEISZERO, 1, 1, pf1bit},
        {"tiff_bw_g32d_lsb2msb_le.tif", ioTIFF_G3FAX2D, ioTIFF_WHITEISZERO, 1, 1, pf1bit},
        {"tiff_bw_g4_be.tif", ioTIFF_G4FAX, ioTIFF_WHITEISZERO, 1, 1, pf1bit},
        {"tiff_bw_g4_minisblack_le.tif", ioTIFF_G4FAX, ioTIFF_BLACKISZERO, 1, 1, pf1bit},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.File);
        const std::string path = oracle::FixturePath(c.File);
        TBitmap bitmap;
        TIOParamsVals params;
        const TRead r = ReadTiff(reftools::ReadFile(path), &bitmap, params);
        ASSERT_TRUE(r.Ok);
        EXPECT_EQ(r.Pages, 1);
        EXPECT_EQ(params.TIFFCompression, c.Compression);
        EXPECT_EQ(params.TIFFPhotometInterpret, c.Photometric);
        EXPECT_EQ(params.BitsPerSample, c.Bits);
        EXPECT_EQ(params.SamplesPerPixel, c.Samples);
        EXPECT_EQ(bitmap.GetPixelFormat(), c.Format);
        const oracle::TImage theirs = LibtiffPixels(path);
        ASSERT_FALSE(theirs.RGB.empty());
        EXPECT_TRUE(oracle::FromBitmap(&bitmap) == theirs);
    }

    // The fax-coded palette page with its map made black and white, either way round: 1-bit.
    const Bytes pal = reftools::ReadFile(oracle::FixturePath("tiff_pal1_g4_le.tif"));
    const uint32_t map = tifftest::Parse(pal).Pages.at(0).ValueOffsets.at(320);
    for (const bool whiteFirst : {false, true}) {
        SCOPED_TRACE(whiteFirst);
        Bytes bw = pal;
        for (size_t i = 0; i < 6; ++i) {
            const Byte v = (i % 2 == 1) != whiteFirst ? 0xFF : 0;
            bw[map + 2 * i] = bw[map + 2 * i + 1] = v;
        }
        const std::string path = reftools::TempPath("pal_bw_g4.tif");
        reftools::WriteFile(path, bw);
        TBitmap bitmap;
        TIOParamsVals params;
        ASSERT_TRUE(ReadTiff(bw, &bitmap, params).Ok);
        EXPECT_EQ(bitmap.GetPixelFormat(), pf1bit);
        EXPECT_TRUE(oracle::FromBitmap(&bitmap) == LibtiffPixels(path));
    }
}

TEST(TIFFCodec, PagesAreCountedAndChosen) {
    const Bytes file = reftools::ReadFile(oracle::FixturePath("tiff_pages3_le.tif"));
    auto s = reftools::StreamOf(file);
    EXPECT_EQ(TIFFCountPages(s.get()), 3);
    TBitmap bitmap;
    TIOParamsVals params;
    TRead r = ReadTiff(file, &bitmap, params, 2);
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(r.Pages, 3);
    EXPECT_EQ(bitmap.GetPixelFormat(), pf1bit);  // the third page: the fax page
    EXPECT_EQ(bitmap.GetWidth(), 203);
    if (HaveTools()) {
        EXPECT_TRUE(oracle::FromBitmap(&bitmap) == LibtiffPixels(oracle::FixturePath("tiff_pages3_le.tif"), 2));
    }
    // Past the last page: nothing read, the flag stays clear.
    TBitmap untouched;
    untouched.SetPixelFormat(pf24bit);
    untouched.SetSize(2, 2);
    r = ReadTiff(file, &untouched, params, 5);
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(r.Pages, 3);
    EXPECT_EQ(untouched.GetWidth(), 2);
    // Counting alone, and through the I/O component's file function.
    Integer pages = 0;
    reftools::TRun run;
    s->SetPosition(0);
    TIFFDecodeStream(nullptr, s.get(), pages, nullptr, run.Progress, false);
    EXPECT_EQ(pages, 3);
}

// The pages found once and read from their directories equal the pages read by number, also for a
// TIFF behind a stream header; data of another kind has no pages.
TEST(TIFFCodec, PagesReadFromTheirDirectories) {
    const Bytes file = reftools::ReadFile(oracle::FixturePath("tiff_pages3_le.tif"));
    Bytes headed = {'h', 'e', 'a', 'd'};
    headed.insert(headed.end(), file.begin(), file.end());
    auto s = reftools::StreamOf(headed);
    s->SetPosition(4);
    std::vector<Int64> directories;
    ASSERT_TRUE(TIFFPageLayout(s.get(), directories));
    EXPECT_EQ(s->GetPosition(), 4);
    ASSERT_EQ(directories.size(), 3u);
    for (Integer i = 0; i < 3; ++i) {
        TBitmap byNumber, byDirectory;
        TIOParamsVals numbered, direct;
        ASSERT_TRUE(ReadTiff(file, &byNumber, numbered, i).Ok);
        reftools::TRun run;
        direct.TIFFLZWDecompress = &TiffLZWDecode;
        s->SetPosition(4);
        TIFFDecodePage(&byDirectory, s.get(), directories[size_t(i)], direct, run.Progress);
        EXPECT_FALSE(run.Aborting) << i;
        EXPECT_TRUE(oracle::FromBitmap(&byDirectory) == oracle::FromBitmap(&byNumber)) << i;
        EXPECT_EQ(direct.TIFFCompression, numbered.TIFFCompression) << i;
    }
    auto text = reftools::StreamOf(Bytes{'n', 'o', ' ', 't', 'i', 'f', 'f', '!', 0, 0});
    EXPECT_FALSE(TIFFPageLayout(text.get(), directories));
    EXPECT_TRUE(directories.empty());
    reftools::TRun run;
    TBitmap none;
    TIOParamsVals params;
    TIFFDecodePage(&none, text.get(), 8, params, run.Progress);
    EXPECT_TRUE(run.Aborting);
}

TEST(TIFFCodec, SampleLayoutsAndParameters) {
    // 12-bit scans in 16-bit samples: shifted by 4 after the "Look@Darra v1.1" software, else by 8;
    // white-is-zero takes 65535 - v first; big-endian samples are swapped.
    for (bool be : {false, true})
        for (const char* software : {"Look@Darra v1.1 scanner", "Other"}) {
            TTiffBuilder b;
            b.BigEndian = be;
            for (uint32_t v : {0x0123u, 0x0FFFu, 0x0800u}) b.Put(b.Pixels, v, 2);
            b.Image(3, 1, {16}, 1, 1).Ascii(305, software);
            TBitmap bitmap;
            TIOParamsVals params;
            ASSERT_TRUE(ReadTiff(b.Build(), &bitmap, params).Ok);
            const bool darra = software[0] == 'L';
            EXPECT_EQ(Px(&bitmap, 0, 0).g, darra ? 0x12 : 0x01);
            EXPECT_EQ(Px(&bitmap, 1, 0).g, darra ? 0xFF : 0x0F);
            EXPECT_EQ(Px(&bitmap, 2, 0).r, darra ? 0x80 : 0x08);
        }
    // A 2-bit palette image of width 5: rows of 2 bytes.
    {
        TTiffBuilder b;
        b.Pixels = {0x1B, 0x40, 0xE4, 0xC0};  // 0 1 2 3 | 1 ; 3 2 1 0 | 3
        b.Image(5, 2, {2}, 1, 3);
        std::vector<uint32_t> map(12, 0);
        for (int i = 0; i < 4; ++i) map[size_t(i)] = uint32_t(i * 0x4000), map[size_t(8 + i)] = 0xFF00;
        b.Short(320, map);
        TBitmap bitmap;
        TIOParamsVals params;
        ASSERT_TRUE(ReadTiff(b.Build(), &bitmap, params).Ok);
        const int indexes[2][5] = {{0, 1, 2, 3, 1}, {3, 2, 1, 0, 3}};
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 5; ++x) EXPECT_EQ(Px(&bitmap, x, y), ImgRGB(Byte(indexes[y][x] * 0x40), 0, 0xFF));
        ASSERT_EQ(params.GetPaletteCount(), 4);
        EXPECT_EQ(params.Palette[3], ImgRGB(0xC0, 0, 0xFF));
    }
    // CIELab and 5-5-5 pixels by their formulas.
    {
        TTiffBuilder b;
        b.Pixels = {255, 0, 0, 0, 0, 0, 128, 0x50, 0xB0, 200, 0x80, 0x7F, 10, 0x10, 0xF0};
        b.Image(5, 1, {8, 8, 8}, 1, 8);
        TBitmap bitmap;
        TIOParamsVals params;
        ASSERT_TRUE(ReadTiff(b.Build(), &bitmap, params).Ok);
        EXPECT_EQ(params.TIFFPhotometInterpret, ioTIFF_CIELAB);
        const TImgRGB expected[] = {ImgRGB(254, 255, 255), ImgRGB(0, 2, 4), ImgRGB(157, 59, 227),
                                    ImgRGB(255, 13, 0), ImgRGB(24, 9, 30)};
        for (int x = 0; x < 5; ++x) EXPECT_EQ(Px(&bitmap, x, 0), expected[x]) << x;
        TTiffBuilder f;
        f.Put(f.Pixels, (31u << 10) | (1u << 5) | 16u, 2);
        f.Image(1, 1, {16}, 1, 2);
        ASSERT_TRUE(ReadTiff(f.Build(), &bitmap, params).Ok);
        EXPECT_EQ(Px(&bitmap, 0, 0), ImgRGB(248, 8, 128));
    }
    // Resolution in centimetres, positions, names and page numbers.
    {
        TTiffBuilder b;
        b.Pixels = {1, 2};
        b.Image(2, 1, {8}, 1, 1).Rational(282, 118, 1).Rational(283, 300, 0).Short(296, {3});
        b.Rational(286, 5, 2).Ascii(269, "doc").Ascii(270, "a description").Ascii(285, "page").Short(297, {4, 9});
        TBitmap bitmap;
        TIOParamsVals params;
        ASSERT_TRUE(ReadTiff(b.Build(), &bitmap, params, 0, true).Ok);
        EXPECT_EQ(params.DpiX, 299);
        EXPECT_EQ(params.DpiY, 762);
        EXPECT_EQ(params.TIFFXPos, 6);
        EXPECT_EQ(params.TIFFDocumentName, "doc");
        EXPECT_EQ(params.TIFFImageDescription, "a description");
        EXPECT_EQ(params.TIFFPageName, "page");
        EXPECT_EQ(params.TIFFPageNumber, 4);
        EXPECT_EQ(params.TIFFTotalPages, 9);
        EXPECT_EQ(bitmap.GetWidth(), 0);  // parameters only
    }
}

// ---- writing -----------------------------------------------------------------------------------

Bmp Colour(Integer w = 37, Integer h = 11) {
    return Make24(w, h, [](Integer x, Integer y) {
        return ImgRGB(Byte(x * 7 + y), Byte(x < 10 ? 200 : y * 20), Byte((x * y) & 0xFF));
    });
}
Bmp BlackWhite(Integer w = 203, Integer h = 29) {
    return Make1(w, h, [](Integer x, Integer y) { return !((x > 20 && x < 60 && y > 3) || (x * 3 + y) % 17 == 0); });
}

TEST(TIFFCodec, WrittenFilesPassLibtiffAndReadBack) {
    if (!HaveTools()) GTEST_SKIP() << "needs libtiff-tools";
    struct TCase {
        const char* Name;
        bool Mono;
        Byte Compression, Photometric;
        Integer Bits, Samples;
        // What the file holds: compression, photometric, samples, predictor.
        Integer FileCompression, FilePhotometric, FileSamples, FilePredictor;
    };
    const TCase cases[] = {
        {"rgb none", false, ioTIFF_UNCOMPRESSED, ioTIFF_RGB, 8, 3, 1, 2, 3, 1},
        {"rgb lzw", false, ioTIFF_LZW, ioTIFF_RGB, 8, 3, 5, 2, 3, 2},
        {"rgb packbits", false, ioTIFF_PACKBITS, ioTIFF_RGB, 8, 3, 32773, 2, 3, 1},
        {"rgb with a fax compression", false, ioTIFF_G4FAX, ioTIFF_RGB, 8, 3, 1, 2, 3, 1},
        {"rgb, black-is-zero chosen", false, ioTIFF_UNCOMPRESSED, ioTIFF_BLACKISZERO, 8, 3, 1, 2, 3, 1},
        {"rgb lzw, white-is-zero chosen", false, ioTIFF_LZW, ioTIFF_WHITEISZERO, 8, 3, 5, 2, 3, 2},
        {"cmyk none", false, ioTIFF_UNCOMPRESSED, ioTIFF_CMYK, 8, 4, 1, 5, 4, 1},
        {"cmyk lzw, 4 samples read last", false, ioTIFF_LZW, ioTIFF_CMYK, 8, 4, 5, 5, 4, 1},
        {"cmyk lzw, 3 samples read last", false, ioTIFF_LZW, ioTIFF_CMYK, 8, 3, 5, 5, 4, 2},
        {"cmyk packbits", false, ioTIFF_PACKBITS, ioTIFF_CMYK, 8, 4, 32773, 5, 4, 1},
        {"bw none, rgb chosen", true, ioTIFF_UNCOMPRESSED, ioTIFF_RGB, 1, 1, 1, 1, 1, 1},
        {"bw lzw, cmyk chosen", true, ioTIFF_LZW, ioTIFF_CMYK, 1, 1, 5, 1, 1, 1},
        {"bw packbits", true, ioTIFF_PACKBITS, ioTIFF_WHITEISZERO, 1, 1, 32773, 1, 1, 1},
        {"bw modified huffman", true, ioTIFF_CCITT1D, ioTIFF_RGB, 1, 1, 2, 0, 1, 1},
        {"bw g3", true, ioTIFF_G3FAX1D, ioTIFF_RGB, 1, 1, 3, 0, 1, 1},
        {"bw g3 2d", true, ioTIFF_G3FAX2D, ioTIFF_BLACKISZERO, 1, 1, 3, 0, 1, 1},
        {"bw g4", true, ioTIFF_G4FAX, ioTIFF_RGB, 1, 1, 4, 0, 1, 1},
        {"colour as bw g4 (dithered)", false, ioTIFF_G4FAX, ioTIFF_RGB, 1, 1, 4, 0, 1, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Bmp source = c.Mono ? BlackWhite() : Colour();
        TIOParamsVals params;
        params.TIFFCompression = c.Compression;
        params.TIFFPhotometInterpret = c.Photometric;
        params.BitsPerSample = c.Bits;
        params.SamplesPerPixel = c.Samples;
        params.DpiX = 300;
        params.DpiY = 200;
        const Bytes file = WriteTiff(source.get(), params);
        const tifftest::TFile parsed = tifftest::Parse(file);
        ASSERT_EQ(parsed.Pages.size(), 1u);
        const tifftest::TDirectory& d = parsed.Pages[0];
        EXPECT_EQ(d.Get(259), uint64_t(c.FileCompression));
        EXPECT_EQ(d.Get(262, 99), uint64_t(c.FilePhotometric));
        EXPECT_EQ(d.Get(277), uint64_t(c.FileSamples));
        EXPECT_EQ(d.Get(317, 1), uint64_t(c.FilePredictor));
        EXPECT_EQ(d.Get(282), 300u);
        const std::string path = reftools::TempPath("written.tif");
        reftools::WriteFile(path, file);
        const tifftest::TToolRun info = tifftest::RunTool("tiffinfo -D '" + path + "' >/dev/null");
        EXPECT_EQ(info.Status, 0);
        EXPECT_EQ(info.Output.find("rror"), std::string::npos) << info.Output;
        EXPECT_EQ(info.Output.find("arning"), std::string::npos) << info.Output;
        // Ours and libtiff's read the same pixels; they are the source's unless it was dithered.
        TBitmap back;
        TIOParamsVals again;
        ASSERT_TRUE(ReadTiff(file, &back, again).Ok);
        const oracle::TImage ours = oracle::FromBitmap(&back);
        EXPECT_TRUE(LibtiffPixels(path) == ours);
        if (c.FilePhotometric == 5) {
            EXPECT_LE(reftools::MaxDifference(ours, oracle::FromBitmap(source.get())), 1);
        } else if (c.Mono || c.Bits != 1) {
            EXPECT_TRUE(ours == oracle::FromBitmap(source.get()));
        }
    }
}

TEST(TIFFCodec, WrittenEntriesComeInTheirOrder) {
    Bmp source = Colour(5, 3);
    TIOParamsVals params;
    params.TIFFCompression = ioTIFF_LZW;
    params.TIFFDocumentName = "Document";
    params.TIFFPageName = "p1";
    params.TIFFPageNumber = 2;
    params.TIFFTotalPages = 7;
    params.TIFFXPos = 3;
    const tifftest::TFile f = tifftest::Parse(WriteTiff(source.get(), params));
    ASSERT_EQ(f.Pages.size(), 1u);
    const tifftest::TDirectory& d = f.Pages[0];
    EXPECT_EQ(d.Order, (std::vector<int>{256, 257, 258, 259, 262, 269, 273, 277, 278, 279, 317, 282, 283, 285, 286,
                                         287, 296, 297}));
    EXPECT_EQ(d.Types.at(258), 4);  // BitsPerSample as LONGs
    EXPECT_EQ(d.Get(297, 0, 0), 2u);
    EXPECT_EQ(d.Get(297, 0, 1), 7u);
    EXPECT_EQ(d.Get(286, 0, 0), 30000u);
    EXPECT_EQ(d.Get(286, 0, 1), 10000u);
    EXPECT_EQ(d.Text(285), "p1");
    EXPECT_EQ(d.Offset % 2, 0u);
    // Group 3 carries T4Options; LZW without an encoder writes uncompressed data, no Predictor.
    Bmp mono = BlackWhite(20, 4);
    TIOParamsVals fax;
    fax.BitsPerSample = fax.SamplesPerPixel = 1;
    fax.TIFFCompression = ioTIFF_G3FAX2D;
    const tifftest::TFile g3 = tifftest::Parse(WriteTiff(mono.get(), fax));
    EXPECT_EQ(g3.Pages[0].Get(292, 9), 1u);
    params.TIFFCompression = ioTIFF_LZW;
    const tifftest::TFile plain = tifftest::Parse(WriteTiff(source.get(), params, false));
    EXPECT_EQ(plain.Pages[0].Get(259), 1u);
    EXPECT_FALSE(plain.Pages[0].Has(317));
}

TEST(TIFFCodec, OurGroup4StripsEqualLibtiffs) {
    if (!HaveTools()) GTEST_SKIP() << "needs libtiff-tools";
    // libtiff codes the page from its white-is-zero rows (our bitmap's rows inverted).
    Bmp page = BlackWhite(1728, 60);
    Bytes raw;
    for (Integer y = 0; y < 60; ++y)
        for (Integer i = 0; i < 1728 / 8; ++i) raw.push_back(Byte(~static_cast<const Byte*>(page->ScanLine(y))[i]));
    const std::string plain = reftools::TempPath("g4_plain.tif"), theirs = reftools::TempPath("g4_theirs.tif");
    reftools::WriteFile(plain, tifftest::OneStripBilevel(1728, 60, raw, 1, 0));
    ASSERT_EQ(reftools::Run("tiffcp -r 100000 -c g4 '" + plain + "' '" + theirs + "'"), 0);
    TIOParamsVals params;
    params.BitsPerSample = params.SamplesPerPixel = 1;
    params.TIFFCompression = ioTIFF_G4FAX;
    const Bytes ours = WriteTiff(page.get(), params), libtiffs = reftools::ReadFile(theirs);
    const auto a = tifftest::Strips(ours, tifftest::Parse(ours).Pages.at(0));
    const auto b = tifftest::Strips(libtiffs, tifftest::Parse(libtiffs).Pages.at(0));
    ASSERT_EQ(a.size(), 1u);
    EXPECT_TRUE(a == b);
}

// ---- appending ---------------------------------------------------------------------------------

Integer Append(TMemoryStream& Stream, TBitmap* Bitmap, Integer Index, bool* Aborted = nullptr) {
    TIOParamsVals params;
    params.TIFFImageIndex = Index;
    reftools::TRun run;
    Stream.SetPosition(0);
    const Integer pages = TIFFEncodeStream(&Stream, true, Bitmap, params, run.Progress);
    if (Aborted) *Aborted = run.Aborting;
    return pages;
}

TEST(TIFFCodec, AppendingInsertsIntoThePageChain) {
    Bmp a = Colour(4, 3), b = Colour(6, 2), c = Colour(3, 5), d = Colour(2, 2);
    TMemoryStream s;
    {
        TIOParamsVals params;
        reftools::TRun run;
        EXPECT_EQ(TIFFEncodeStream(&s, false, a.get(), params, run.Progress), 1);
    }
    EXPECT_EQ(Append(s, b.get(), 5), 2);  // past the end: appended
    const Bytes two = reftools::BytesOf(s);
    const tifftest::TFile before = tifftest::Parse(two);
    EXPECT_EQ(Append(s, c.get(), 0), 3);  // first
    EXPECT_EQ(Append(s, d.get(), 2), 4);  // between the second and third
    const Bytes file = reftools::BytesOf(s);
    const tifftest::TFile after = tifftest::Parse(file);
    ASSERT_EQ(after.Pages.size(), 4u);
    EXPECT_EQ(tifftest::Load(file, 4, 4, false), after.Pages[0].Offset);
    EXPECT_EQ(after.Pages[1].Offset, before.Pages[0].Offset);  // the new first page leads to the old
    const Integer widths[] = {3, 4, 2, 6};
    for (Integer i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(after.Pages[size_t(i)].Get(256), uint64_t(widths[i]));
        TBitmap page;
        TIOParamsVals params;
        const TRead r = ReadTiff(file, &page, params, i);
        EXPECT_TRUE(r.Ok);
        EXPECT_EQ(r.Pages, 4);
        EXPECT_EQ(page.GetWidth(), widths[i]);
    }
    if (HaveTools()) {
        const std::string path = reftools::TempPath("appended.tif");
        reftools::WriteFile(path, file);
        const tifftest::TToolRun info = tifftest::RunTool("tiffinfo -D '" + path + "' >/dev/null");
        EXPECT_EQ(info.Status, 0);
        EXPECT_EQ(info.Output.find("rror"), std::string::npos) << info.Output;
        EXPECT_EQ(info.Output.find("arning"), std::string::npos) << info.Output;
        TBitmap page;
        TIOParamsVals params;
        ReadTiff(file, &page, params, 3);
        EXPECT_TRUE(LibtiffPixels(path, 3) == oracle::FromBitmap(b.get()));
    }

    // A chain that loops back on itself: the walk stops and the page goes in at its end.
    Bytes looped = two;
    const tifftest::TFile p = tifftest::Parse(looped);
    const uint32_t last = p.Pages[1].Offset;
    const size_t next = last + 2 + tifftest::Load(looped, last, 2, false) * 12;
    for (int i = 0; i < 4; ++i) looped[next + size_t(i)] = Byte(p.Pages[0].Offset >> (8 * i));
    TMemoryStream ls;
    ls.WriteBuffer(looped.data(), Int64(looped.size()));
    EXPECT_EQ(Append(ls, d.get(), 99), 3);
    EXPECT_EQ(tifftest::Parse(reftools::BytesOf(ls)).Pages.size(), 3u);

    // Directories that overlap the header or each other end the chain before them, so patching a
    // pointer cannot change another: an empty directory at 5 has its next pointer in the first one.
    {
        Bytes overlapping = {'I', 'I', 42, 0, 5, 0, 0, 0, 0, 0, 0, 0};
        TMemoryStream os;
        os.WriteBuffer(overlapping.data(), Int64(overlapping.size()));
        EXPECT_EQ(Append(os, d.get(), 1), 1);
        const tifftest::TFile parsed = tifftest::Parse(reftools::BytesOf(os));
        ASSERT_EQ(parsed.Pages.size(), 1u);
        EXPECT_EQ(parsed.Pages[0].Get(256), 2u);
    }

    // Not a little-endian TIFF: nothing appended.
    TMemoryStream be;
    be.WriteBuffer("MM\0*\0\0\0\0", 8);
    bool aborted = false;
    EXPECT_EQ(Append(be, d.get(), 0, &aborted), 0);
    EXPECT_TRUE(aborted);
    EXPECT_EQ(be.GetSize(), 8);
}

TEST(TIFFCodec, StreamHeadersAndTheImageIO) {
    // Offsets count from the TIFF's own start, so a TIFF after a 12-byte stream header reads.
    Bmp source = Colour(9, 4);
    TBitmap target;
    CopyBitmap(source.get(), &target);
    TImagoIO* io = new TImagoIO(nullptr);
    io->SetAttachedBitmap(&target);
    io->SetStreamHeaders(true);
    io->GetParams()->TIFFCompression = ioTIFF_PACKBITS;
    TMemoryStream s;
    s.WriteBuffer("xyz", 3);
    io->SaveToStreamTIFF(&s);
    EXPECT_FALSE(io->GetAborting());
    s.SetPosition(3);
    TBitmap loaded;
    io->SetAttachedBitmap(&loaded);
    EXPECT_EQ(io->LoadFromStreamTIFF(&s), 1);
    EXPECT_FALSE(io->GetAborting());
    EXPECT_TRUE(oracle::FromBitmap(&loaded) == oracle::FromBitmap(source.get()));
    io->Free();
}

// ---- damaged and hostile files -------------------------------------------------------------------

TEST(TIFFCodec, MalformedInputs) {
    auto grey = [](int w, int h) {
        TTiffBuilder b;
        b.Pixels.assign(size_t(w * h), 0x80);
        return b.Image(w, h, {8}, 1, 1);
    };
    auto with = [](TTiffBuilder b, const std::function<void(TTiffBuilder&)>& Change) {
        Change(b);
        return b.Build();
    };
    auto entry = [](TTiffBuilder& b, int Tag) -> TTiffBuilder::TEntry& {
        for (auto& e : b.Entries)
            if (e.Tag == Tag) return e;
        return b.Entries.front();
    };
    auto setLong = [&](int Tag, std::vector<uint32_t> Values, int Type = 4) {
        return [=](TTiffBuilder& b) {
            auto& e = entry(b, Tag);
            TTiffBuilder tmp;
            tmp.BigEndian = b.BigEndian;
            tmp.Numbers(Tag, Type, Values);
            e = tmp.Entries[0];
        };
    };
    auto drop = [](int Tag) {
        return [Tag](TTiffBuilder& b) {
            b.Entries.erase(
                std::remove_if(b.Entries.begin(), b.Entries.end(), [&](const auto& e) { return e.Tag == Tag; }),
                b.Entries.end());
        };
    };
    Bytes loop = grey(2, 2).Build();
    {
        // The next pointer leads back to the directory itself.
        const uint32_t ifd = tifftest::Load(loop, 4, 4, false);
        const size_t at = ifd + 2 + tifftest::Load(loop, ifd, 2, false) * 12;
        for (int i = 0; i < 4; ++i) loop[at + size_t(i)] = Byte(ifd >> (8 * i));
    }
    TTiffBuilder packbits;
    packbits.Pixels = {0x81, 7, 0x81, 9, 0x7F, 1};  // runs of 128 over rows of 3, a literal past the data
    packbits.Image(3, 4, {8}, 32773, 1);
    TTiffBuilder palette1;
    palette1.Pixels = {0xA5, 0x5A};
    palette1.Image(8, 2, {1}, 1, 3);
    TTiffBuilder shortMap = palette1;
    shortMap.Short(320, {0, 65535, 0});

    struct TCase {
        const char* Name;
        Bytes Data;
        bool Loads;
    };
    const TCase cases[] = {
        {"empty", {}, false},
        {"no byte order", Bytes{'X', 'X', 42, 0, 8, 0, 0, 0}, false},
        {"directory past the end", Bytes{'I', 'I', 42, 0, 0xFF, 0xFF, 0, 0}, true},
        {"unequal sample depths", with(grey(2, 2), setLong(258, {8, 8, 4}, 3)), false},
        {"tiled", with(grey(2, 2), [](TTiffBuilder& b) { b.Long(322, {16}); }), false},
        {"zero width", with(grey(2, 2), setLong(256, {0})), false},
        {"absurd size", with(grey(2, 2), setLong(257, {70000})), false},
        {"absurd samples", with(grey(2, 2), setLong(277, {65535}, 3)), true},
        {"LZW data that is no LZW", with(grey(2, 2), setLong(259, {5}, 3)), true},
        {"strip past the file", with(grey(2, 2), setLong(273, {0x7FFFFFF0})), true},
        {"byte count past the file", with(grey(2, 2), setLong(279, {0xFFFFFFF0})), true},
        {"fewer offsets than strips", with(grey(4, 4), [&](TTiffBuilder& b) { setLong(278, {1})(b); }), true},
        {"no byte counts", with(grey(4, 4), drop(279)), true},
        {"no strip offsets", with(grey(4, 4), drop(273)), true},
        {"PackBits runs past their rows", packbits.Build(), true},
        {"1-bit palette without a colour map", palette1.Build(), true},
        {"short colour map", shortMap.Build(), true},
        {"directory chain in a loop", loop, true},
        {"entry count past the file", Bytes{'I', 'I', 42, 0, 8, 0, 0, 0, 0xFF, 0xFF, 1, 1}, false},
        {"huge colour map count",
         with(palette1,
              [](TTiffBuilder& b) {
                  b.Entries.push_back({320, 3, 0xFFFFFFFFu, Bytes{16, 0, 0, 0}});
              }),
         true},
        {"fax compression with 8 bits", with(grey(2, 2), setLong(259, {4}, 3)), false},
        {"unknown compression", with(grey(2, 2), setLong(259, {34712}, 3)), true},
        {"rows per strip 2^32 - 1", with(grey(2, 2), setLong(278, {0xFFFFFFFFu})), true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TBitmap bitmap;
        TIOParamsVals params;
        EXPECT_EQ(ReadTiff(c.Data, &bitmap, params).Ok, c.Loads);
    }
    // LZW with no decoder anywhere.
    {
        TBitmap bitmap;
        TIOParamsVals params;
        auto s = reftools::StreamOf(with(grey(2, 2), setLong(259, {5}, 3)));
        reftools::TRun run;
        Integer pages = 0;
        const TTIFFLZWDecompress saved = DefTIFFLZWDecompress;
        DefTIFFLZWDecompress = nullptr;
        params.TIFFLZWDecompress = nullptr;
        TIFFDecodeStream(&bitmap, s.get(), pages, &params, run.Progress, false);
        DefTIFFLZWDecompress = saved;
        EXPECT_TRUE(run.Aborting);
    }
    // A 1-bit palette of other colours than black and white gives their colours.
    {
        TTiffBuilder p = palette1;
        p.Short(320, {65535, 0, 0, 65535, 0, 0});
        TBitmap bitmap;
        TIOParamsVals params;
        ASSERT_TRUE(ReadTiff(p.Build(), &bitmap, params).Ok);
        EXPECT_EQ(bitmap.GetPixelFormat(), pf24bit);
        EXPECT_EQ(Px(&bitmap, 0, 0), ImgRGB(0, 255, 0));  // 0xA5: index 1 first
        EXPECT_EQ(Px(&bitmap, 1, 0), ImgRGB(255, 0, 0));
    }
    // PackBits: runs go on into the next row.
    {
        TBitmap bitmap;
        TIOParamsVals params;
        ASSERT_TRUE(ReadTiff(packbits.Build(), &bitmap, params).Ok);
        EXPECT_EQ(Px(&bitmap, 0, 1).g, 7);
        EXPECT_EQ(Px(&bitmap, 0, 3).g, 7);
    }
}

TEST(TIFFCodec, TruncatedAndCorruptedFixtures) {
    for (const char* name : {"tiff_rgb_lzw2_le.tif", "tiff_rgb_planar_lzw2_be.tif", "tiff_bw_g32d_le.tif",
                             "tiff_bw_g4_be.tif", "tiff_bw_g3fill_be.tif", "tiff_pal8_packbits_be.tif",
                             "tiff_cmyk_planar_packbits_le.tif", "tiff_pages3_le.tif"}) {
        SCOPED_TRACE(name);
        const Bytes data = reftools::ReadFile(oracle::FixturePath(name));
        ASSERT_FALSE(data.empty());
        TBitmap bitmap;
        for (size_t n = 0; n < data.size(); n += 5) {
            TIOParamsVals params;
            ReadTiff(Bytes(data.begin(), data.begin() + long(n)), &bitmap, params);
        }
        for (size_t at = 0; at < data.size(); at += 3) {
            for (Byte v : {Byte(0xFF), Byte(0x00), Byte(data[at] ^ 0x10)}) {
                Bytes bad = data;
                bad[at] = v;
                TIOParamsVals params;
                ReadTiff(bad, &bitmap, params, at % 3 == 0 ? 0 : 2);
            }
        }
    }
}

}  // namespace
