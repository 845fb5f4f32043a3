// The Windows bitmap, icon and cursor codecs: fixtures against the reference decoders, our files
// in the reference decoders, the layouts and rules of the format, and the run-length coder.

#include <gtest/gtest.h>

#include "imaging/formats/bmp_codec.h"
#include "imaging/formats/ico_codec.h"
#include "imaging/formats/codec_table.h"
#include "imaging/formats/tests/codec_bytes.h"
#include "imaging/tests/image_fixture.h"

namespace {

constexpr TImgRGB kWhite{255, 255, 255};
constexpr TImgRGB kBlack{0, 0, 0};

// A BMP with a 40-byte header; rows are given as stored (bottom row first, padded).
Bytes MakeBMP(int w, int h, int bits, Cardinal compression, const std::vector<TImgRGB>& palette,
              const Bytes& pixels, Cardinal coloursUsed = 0, const Bytes& masks = {}) {
    const Cardinal offset = Cardinal(14 + 40 + masks.size() + palette.size() * 4);
    TBytesBuilder b;
    b.Text("BM").U32(Cardinal(offset + pixels.size())).U32(0).U32(offset);
    b.U32(40).U32(Cardinal(w)).U32(Cardinal(h)).U16(1).U16(unsigned(bits)).U32(compression);
    b.U32(Cardinal(pixels.size())).U32(2835).U32(2835).U32(coloursUsed).U32(0).Raw(masks);
    for (const TImgRGB& c : palette) b.U8(c.b).U8(c.g).U8(c.r).U8(0);
    return b.Raw(pixels).B;
}

bool DecodeBMP(const Bytes& Data, TBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly = false) {
    return Decode(Data, [&](TStream* s, TProgressRec& p) { BMPDecodeStream(s, Bitmap, 0, Params, p, ParamsOnly); });
}

Bytes EncodeBMP(TBitmap* Bitmap, TIOParamsVals& Params) {
    return Encode([&](TStream* s, TProgressRec& p) { BMPEncodeStream(s, Bitmap, Params, p); });
}


TEST(FormatsBmpConformance, FixturesDecodeAsTheReferenceDecodersDo) {
    ExpectFixturesMatch({
        {"bmp_1bit_netpbm.bmp", "bmptopnm"},
        {"bmp_1bit_whiteblack_own.bmp", "bmptopnm"},
        {"bmp_1bit_colour_netpbm.bmp", "bmptopnm"},  // blue and green
        {"bmp_4bit_netpbm.bmp", "bmptopnm"},
        {"bmp_8bit_netpbm.bmp", "bmptopnm"},
        {"bmp_24bit_netpbm.bmp", "bmptopnm"},
        {"bmp_core_8bit_netpbm.bmp", "bmptopnm"},
        {"bmp_core_24bit_netpbm.bmp", "bmptopnm"},
        {"bmp_rle8_magick.bmp", ""},  // its runs pass the row's end, which netpbm refuses
        {"bmp_v5_32bit_magick.bmp", "bmptopnm"},
        {"bmp_v5_565_magick.bmp", "bmptopnm", true, 565},
        {"bmp_v5_555_magick.bmp", "bmptopnm", true, 555},
        {"bmp_16_555_own.bmp", "bmptopnm", true, 555},
        {"bmp_16_565_own.bmp", "", true, 565},  // netpbm misses masks after a 40-byte header
        {"bmp_topdown_own.bmp", "bmptopnm"},
        {"bmp_rle8_delta_own.bmp", ""},  // netpbm reads no delta
        {"bmp_rle4_delta_own.bmp", ""},
        {"ico_1bit_own.ico", ""},  // winicontoppm ignores the mask
        {"ico_4bit_own.ico", ""},
        {"ico_8bit_own.ico", ""},
        {"ico_24bit_own.ico", ""},  // winicontoppm reads no 24-bit icon
        {"ico_netpbm.ico", ""},  // winicontoppm reads no icon that is not square
        {"cur_4bit_own.cur", ""},
        {"ico_png_magick.ico", ""},  // an entry stored as PNG
        {"ico_32bit_alpha_magick.ico", ""},  // 32-bit pixels with alpha
        {"cur_32bit_alpha_own.cur", ""},
    });
    // A 64-byte header's palette has 4-byte entries, which ImageMagick takes for 3-byte ones and
    // netpbm refuses: the file holds the picture of the 8-bit fixture.
    oracle::TImage os2, windows;
    ASSERT_TRUE(oracle::LoadOurs(oracle::FixturePath("bmp_os2v2_64_own.bmp"), os2));
    ASSERT_TRUE(oracle::LoadOurs(oracle::FixturePath("bmp_8bit_netpbm.bmp"), windows));
    EXPECT_TRUE(os2 == windows);
}

TEST(FormatsBmpConformance, WrittenFilesReadTheSameInTheReferenceDecoders) {
    struct TCase {
        const char* Name;
        Integer Bits, Samples;
        Byte Version, Compression;
    };
    const TCase cases[] = {
        {"w1.bmp", 1, 1, ioBMP_BM3, 0},        {"w4.bmp", 4, 1, ioBMP_BM3, 0},
        {"w4rle.bmp", 4, 1, ioBMP_BM3, 1},     {"w8.bmp", 8, 1, ioBMP_BM3, 0},
        {"w8rle.bmp", 8, 1, ioBMP_BM3, 1},     {"w8rle64.bmp", 8, 1, ioBMP_BMOS2V2, 1},
        {"w24.bmp", 8, 3, ioBMP_BM3, 0},       {"w24core.bmp", 8, 3, ioBMP_BMOS2V1, 0},
        {"w8core.bmp", 8, 1, ioBMP_BMOS2V1, 1}, {"w24v0.bmp", 8, 3, ioBMP_BM, 0},
    };
    Bmp colour = Picture();
    Bmp mono = Mono();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TIOParamsVals params;
        params.BitsPerSample = c.Bits;
        params.SamplesPerPixel = c.Samples;
        params.BMPVersion = c.Version;
        params.BMPCompression = c.Compression;
        params.DpiX = params.DpiY = 96;
        TBitmap* source = c.Bits == 1 ? mono.get() : colour.get();
        const Bytes file = EncodeBMP(source, params);
        TBitmap back;
        TIOParamsVals read;
        ASSERT_TRUE(DecodeBMP(file, &back, read));
        const oracle::TImage ours = oracle::FromBitmap(&back);
        if (c.Bits == 1 || (c.Bits == 8 && c.Samples == 3)) {
            EXPECT_TRUE(ours == oracle::FromBitmap(source));
        }
        // The version-0 case is written with a 40-byte header like version 1.
        const Bytes expectHeader = {40, 0, 0, 0};
        if (c.Version == ioBMP_BM) {
            EXPECT_TRUE(std::equal(expectHeader.begin(), expectHeader.end(), file.begin() + 14));
        }
        // Neither reference decoder reads run-length data under a 64-byte header: netpbm refuses the
        // header, ImageMagick decodes other pixels.
        if (c.Version != ioBMP_BMOS2V2) ExpectOraclesAgree(c.Name, file, ours, "bmptopnm");
    }
}

TEST(FormatsBmp, OneBitPalettes) {
    // Index 0 everywhere except pixel (1, 0). Only black and white stay 1-bit; other colours, a
    // palette of one entry too, are read as 24-bit.
    const Bytes rows = {0x40, 0, 0, 0};
    const TImgRGB red = ImgRGB(255, 0, 0), blue = ImgRGB(0, 0, 255);
    struct TCase {
        std::vector<TImgRGB> Palette;
        TPixelFormat Format;
        TImgRGB Zero, One;
    };
    const TCase cases[] = {
        {{kWhite, kBlack}, pf1bit, kWhite, kBlack},
        {{kBlack, kWhite}, pf1bit, kBlack, kWhite},
        {{red, blue}, pf24bit, red, blue},
        {{kBlack, kBlack}, pf24bit, kBlack, kBlack},
        {{kWhite}, pf24bit, kWhite, kBlack},
    };
    for (const TCase& c : cases) {
        TBitmap b;
        TIOParamsVals p;
        ASSERT_TRUE(DecodeBMP(MakeBMP(2, 1, 1, 0, c.Palette, rows, Cardinal(c.Palette.size())), &b, p));
        ASSERT_EQ(b.GetPixelFormat(), c.Format);
        if (c.Format == pf1bit) {
            EXPECT_EQ(Bit(&b, 0, 0), c.Zero == kWhite);
            EXPECT_EQ(Bit(&b, 1, 0), c.One == kWhite);
        } else {
            EXPECT_EQ(Px(&b, 0, 0), c.Zero);
            EXPECT_EQ(Px(&b, 1, 0), c.One);
        }
        EXPECT_EQ(p.Palette, c.Palette);
        EXPECT_EQ(p.BitsPerSample, 1);
    }
}

TEST(FormatsBmp, SixteenBitMasks) {
    const Bytes pixel = {0xFF, 0xFF, 0, 0};
    TBitmap b;
    TIOParamsVals p;
    TBytesBuilder masks;
    masks.U32(0xF800).U32(0x07E0).U32(0x001F);
    ASSERT_TRUE(DecodeBMP(MakeBMP(1, 1, 16, 3, {}, pixel, 0, masks.B), &b, p));
    EXPECT_EQ(Px(&b, 0, 0), ImgRGB(248, 252, 248));
    EXPECT_EQ(p.BitsPerSample, 5);
    EXPECT_EQ(p.SamplesPerPixel, 3);
    ASSERT_TRUE(DecodeBMP(MakeBMP(1, 1, 16, 0, {}, pixel), &b, p));
    EXPECT_EQ(Px(&b, 0, 0), ImgRGB(248, 248, 248));
}

TEST(FormatsBmp, RunLengthDecoding) {
    const std::vector<TImgRGB> palette = {kWhite, ImgRGB(255, 0, 0), ImgRGB(0, 0, 255)};
    // Bottom row: two red pixels, then a delta to column 3 of the row above (counted from the
    // row's start, not from the current column), one blue pixel there; then a literal that runs
    // past the row's end and an index past the palette, which are dropped and black.
    const Bytes rle8 = {2, 1, 0, 2, 3, 1, 1, 2, 0, 0, 0, 5, 2, 2, 9, 2, 2, 0, 0, 1};
    TBitmap b;
    TIOParamsVals p;
    ASSERT_TRUE(DecodeBMP(MakeBMP(4, 3, 8, 1, palette, rle8), &b, p));
    EXPECT_EQ(p.BMPCompression, 1);
    EXPECT_EQ(Px(&b, 0, 2), ImgRGB(255, 0, 0));
    EXPECT_EQ(Px(&b, 1, 2), ImgRGB(255, 0, 0));
    EXPECT_EQ(Px(&b, 2, 2), kWhite);  // blank
    EXPECT_EQ(Px(&b, 3, 1), ImgRGB(0, 0, 255));
    EXPECT_EQ(Px(&b, 0, 0), ImgRGB(0, 0, 255));
    EXPECT_EQ(Px(&b, 2, 0), kBlack);  // index 9: past the palette
    // RLE4: a run alternates the two nibbles; a literal takes two pixels a byte.
    const Bytes rle4 = {5, 0x12, 0, 0, 0, 3, 0x21, 0x00, 0, 1};
    ASSERT_TRUE(DecodeBMP(MakeBMP(4, 2, 4, 2, palette, rle4), &b, p));
    EXPECT_EQ(Px(&b, 0, 1), ImgRGB(255, 0, 0));
    EXPECT_EQ(Px(&b, 1, 1), ImgRGB(0, 0, 255));
    EXPECT_EQ(Px(&b, 3, 1), ImgRGB(0, 0, 255));
    EXPECT_EQ(Px(&b, 0, 0), ImgRGB(0, 0, 255));
    EXPECT_EQ(Px(&b, 1, 0), ImgRGB(255, 0, 0));
    EXPECT_EQ(Px(&b, 2, 0), kWhite);
}

TEST(FormatsBmp, RunLengthRowCoder) {
    struct TCase {
        Bytes Row;
        bool Four;
        Bytes Expected;
    };
    Bytes distinct(300);
    for (size_t i = 0; i < distinct.size(); ++i) distinct[i] = Byte(i % 2);
    Bytes expect300 = {0, 255};
    expect300.insert(expect300.end(), distinct.begin(), distinct.begin() + 255);
    expect300.push_back(0);  // pad: 255 index bytes
    expect300.insert(expect300.end(), {0, 45});
    expect300.insert(expect300.end(), distinct.begin() + 255, distinct.end());
    expect300.insert(expect300.end(), {0, 0, 0});  // pad, end of line
    const TCase cases[] = {
        {distinct, false, expect300},
        {{1, 2, 3, 4, 5}, true, {0, 5, 0x12, 0x34, 0x50, 0, 0, 0}},
        {{7, 3, 3}, false, {1, 7, 2, 3, 0, 0}},
        {{3, 3, 7}, false, {2, 3, 1, 7, 0, 0}},
        {{4, 5}, false, {1, 4, 1, 5, 0, 0}},
        {{4, 5}, true, {2, 0x45, 0, 0}},
        {{6}, true, {1, 0x60, 0, 0}},
        {{9, 9, 9, 9}, true, {4, 0x99, 0, 0}},
    };
    for (const TCase& c : cases) {
        Bytes out(2 * c.Row.size() + 4);
        const Integer n = c.Four ? BMPEncodeRLE4Row(c.Row.data(), Integer(c.Row.size()), out.data())
                                 : BMPEncodeRLE8Row(c.Row.data(), Integer(c.Row.size()), out.data());
        out.resize(static_cast<size_t>(n));
        EXPECT_EQ(out, c.Expected);
    }
    // The worst rows (single pixels between pairs) stay inside 2 x width + 4 bytes.
    for (int w = 1; w <= 40; ++w)
        for (int pattern = 0; pattern < 3; ++pattern) {
            Bytes row(static_cast<size_t>(w));
            for (int x = 0; x < w; ++x) row[size_t(x)] = Byte(pattern == 0 ? x : pattern == 1 ? (x + 1) / 2 : (x / 3) * 2 + (x % 3 == 2));
            for (bool four : {false, true}) {
                std::vector<Byte> out(size_t(2 * w + 4));
                const Integer n = four ? BMPEncodeRLE4Row(row.data(), w, out.data()) : BMPEncodeRLE8Row(row.data(), w, out.data());
                EXPECT_LE(n, 2 * w + 4);
            }
        }
}

TEST(FormatsBmp, WrittenHeaders) {
    Bmp colour = Picture();
    TIOParamsVals p;
    p.BitsPerSample = 8;
    p.SamplesPerPixel = 1;
    p.BMPVersion = ioBMP_BMOS2V2;
    p.BMPCompression = 1;
    p.DpiX = 72;
    p.DpiY = 300;
    Bytes file = EncodeBMP(colour.get(), p);
    EXPECT_EQ(LoadLE32(&file[14]), 64u);
    EXPECT_EQ(LoadLE32(&file[14 + 16]), 1u);  // RLE8
    EXPECT_EQ(LoadLE32(&file[14 + 24]), 2835u);
    EXPECT_EQ(LoadLE32(&file[14 + 28]), 11811u);
    EXPECT_EQ(Bytes(file.begin() + 14 + 40, file.begin() + 14 + 64), Bytes(24, 0));
    EXPECT_EQ(Bytes(file.end() - 2, file.end()), (Bytes{0, 1}));
    EXPECT_EQ(p.GetPaletteCount(), 256);
    TIOParamsVals read;
    ASSERT_TRUE(DecodeBMP(file, nullptr, read, true));
    EXPECT_EQ(read.DpiX, 72);
    EXPECT_EQ(read.DpiY, 300);
    EXPECT_EQ(read.BMPVersion, ioBMP_BMOS2V2);

    p.SamplesPerPixel = 3;
    p.BMPVersion = ioBMP_BM3;
    file = EncodeBMP(colour.get(), p);
    EXPECT_EQ(LoadLE32(&file[2]), file.size());
    EXPECT_EQ(LoadLE32(&file[14 + 32]), 0u);
    EXPECT_EQ(LoadLE32(&file[14 + 36]), 16777216u);
    EXPECT_EQ(LoadLE32(&file[10]), 54u);

    // A two-colour picture written at 1 bit keeps its colours, the darker first.
    Bmp two = Make24(5, 2, [](Integer x, Integer) { return x % 2 ? ImgRGB(255, 0, 0) : ImgRGB(0, 0, 255); });
    p.BitsPerSample = 1;
    file = EncodeBMP(two.get(), p);
    EXPECT_EQ(p.Palette, (std::vector<TImgRGB>{ImgRGB(0, 0, 255), ImgRGB(255, 0, 0)}));
    EXPECT_EQ(file[14 + 40], 255);  // the first entry, blue: blue, green, red, 0
    EXPECT_EQ(file[14 + 40 + 2], 0);
}

TEST(FormatsBmp, AbortingDuringWriteLeavesThePlaceholderHeaders) {
    Bmp colour = Picture();
    TIOParamsVals p;
    TMemoryStream s;
    bool aborting = false;
    TProgressRec progress;
    progress.Aborting = &aborting;
    int calls = 0;
    progress.OnProgress = [&](TObject*, Integer) {
        if (++calls == 3) aborting = true;
    };
    BMPEncodeStream(&s, colour.get(), p, progress);
    const Bytes file = BytesOf(s);
    EXPECT_EQ(LoadLE32(&file[2]), 0u);
    EXPECT_EQ(file.size(), 54u + 2 * 40);
}

// An icon or cursor file of one entry: 1, 4 or 8 bits with a palette and mask, or 24 or 32 bits.
Bytes MakeIcon(int type, int entryW, int entryH, int headerW, int headerH, int bits, Word field4 = 1,
               Word field6 = 0, Byte colours = 0) {
    const int w = headerW, h = headerH / 2;
    const size_t xorRow = size_t(((w * bits + 31) / 32) * 4), maskRow = size_t(((w + 31) / 32) * 4);
    const size_t paletteSize = bits <= 8 ? (colours ? colours : 1u << bits) * 4 : 0;
    const size_t size = 40 + paletteSize + (xorRow + maskRow) * size_t(h);
    TBytesBuilder b;
    b.U16(0).U16(unsigned(type)).U16(1);
    b.U8(unsigned(entryW)).U8(unsigned(entryH)).U8(colours).U8(0).U16(field4).U16(field6 ? field6 : Word(bits));
    b.U32(Cardinal(size)).U32(22);
    b.U32(40).U32(Cardinal(headerW)).U32(Cardinal(headerH)).U16(1).U16(unsigned(bits)).U32(0).U32(0).U32(3780).U32(0).U32(0).U32(0);
    // Palette: entry 0 red, entry 1 green, the rest black.
    for (size_t i = 0; i < paletteSize / 4; ++i) b.Raw(i == 0 ? Bytes{0, 0, 255, 0} : i == 1 ? Bytes{0, 255, 0, 0} : Bytes{0, 0, 0, 0});
    // Colour rows: every pixel index 1 (or light grey); mask: the left pixel of each row transparent.
    for (int y = 0; y < h; ++y) {
        Bytes row(xorRow, 0);
        for (int x = 0; x < w; ++x) {
            if (bits == 1) row[size_t(x / 8)] |= Byte(0x80 >> (x % 8));
            if (bits == 4) row[size_t(x / 2)] |= Byte(x % 2 ? 1 : 0x10);
            if (bits == 8) row[size_t(x)] = 1;
            if (bits >= 24) std::fill_n(row.begin() + x * (bits / 8), 3, Byte(200));
        }
        b.Raw(row);
    }
    for (int y = 0; y < h; ++y) {
        Bytes row(maskRow, 0);
        row[0] = 0x80;
        b.Raw(row);
    }
    return b.B;
}

bool DecodeIcon(const Bytes& Data, TBitmap* Bitmap, TIOParamsVals& Params, bool Cursor = false) {
    return Decode(Data, [&](TStream* s, TProgressRec& p) {
        if (Cursor)
            CURDecodeStream(s, Bitmap, Params, false, p);
        else
            ICODecodeStream(s, Bitmap, Params, false, p);
    });
}

TEST(FormatsIco, EntriesAndHeaders) {
    struct TCase {
        int EntryW, EntryH, HeaderW, HeaderH, Bits;
        Integer W, H;
        TPixelFormat Format;
    };
    const TCase cases[] = {
        {32, 32, 48, 96, 8, 48, 48, pf24bit},  // the header wins a disagreement
        {0, 0, 16, 32, 4, 16, 16, pf24bit},    // width 0: the header's
        {4, 4, 4, 8, 1, 4, 4, pf1bit},
        {3, 2, 3, 4, 24, 3, 2, pf24bit},
        {5, 5, 5, 10, 32, 5, 5, pf24bit},  // 32 bits without alpha: the mask decides
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Bits);
        TBitmap b;
        TIOParamsVals p;
        ASSERT_TRUE(DecodeIcon(MakeIcon(1, c.EntryW, c.EntryH, c.HeaderW, c.HeaderH, c.Bits), &b, p));
        EXPECT_EQ(b.GetWidth(), c.W);
        EXPECT_EQ(b.GetHeight(), c.H);
        EXPECT_EQ(b.GetPixelFormat(), c.Format);
        EXPECT_EQ(p.DpiX, 96);
        if (c.Bits == 4 || c.Bits == 8) {
            EXPECT_EQ(Px(&b, 0, 0), kWhite);  // transparent: ICOBackground
            EXPECT_EQ(Px(&b, 1, 0), ImgRGB(0, 255, 0));
            EXPECT_EQ(p.BitsPerSample, c.Bits);
            EXPECT_EQ(p.SamplesPerPixel, 1);
        }
        if (c.Bits == 1) {
            EXPECT_FALSE(Bit(&b, 0, 0));  // an inverting pixel on white shows black
            EXPECT_TRUE(Bit(&b, 1, 0));
        }
        if (c.Bits == 24) {
            EXPECT_EQ(Px(&b, 0, 0), ImgRGB(200, 200, 200));  // no mask at 24 bits
        }
        if (c.Bits == 32) {
            EXPECT_EQ(Px(&b, 0, 2), kWhite);
            EXPECT_EQ(Px(&b, 2, 2), ImgRGB(200, 200, 200));
        }
    }
    // On a coloured background the transparent pixels take it, and 1-bit ones turn the other way.
    TBitmap b;
    TIOParamsVals p;
    p.ICOBackground = ImgRGB(1, 2, 3);
    ASSERT_TRUE(DecodeIcon(MakeIcon(1, 2, 2, 2, 4, 8), &b, p));
    EXPECT_EQ(Px(&b, 0, 1), ImgRGB(1, 2, 3));
    ASSERT_TRUE(DecodeIcon(MakeIcon(1, 2, 2, 2, 4, 1), &b, p));
    EXPECT_TRUE(Bit(&b, 0, 1));
}

TEST(FormatsIco, CursorsAndEntryChoice) {
    TBitmap b;
    TIOParamsVals p;
    ASSERT_TRUE(DecodeIcon(MakeIcon(2, 4, 4, 4, 8, 4, 3, 2), &b, p, true));
    EXPECT_EQ(p.CURXHotSpot, 3);
    EXPECT_EQ(p.CURYHotSpot, 2);
    EXPECT_EQ(Px(&b, 1, 1), ImgRGB(0, 255, 0));
    // An index past the entries changes nothing and is no failure.
    p.Width = 77;
    p.CURImageIndex = 1;
    ASSERT_TRUE(DecodeIcon(MakeIcon(2, 4, 4, 4, 8, 4, 3, 2), &b, p, true));
    EXPECT_EQ(p.Width, 77);
    // A header without a bit count takes it from the colour count; with neither it fails.
    Bytes file = MakeIcon(1, 2, 2, 2, 4, 4, 1, 0, 16);
    file[22 + 14] = 0;
    file[6 + 6] = 0;
    p.ICOImageIndex = 0;
    ASSERT_TRUE(DecodeIcon(file, &b, p));
    EXPECT_EQ(p.BitsPerSample, 4);
    file[6 + 2] = 0;
    EXPECT_FALSE(DecodeIcon(file, &b, p));
}

TEST(FormatsIco, BitmapUnderAnIconName) {
    Bmp colour = Picture();
    TIOParamsVals p;
    const Bytes file = EncodeBMP(colour.get(), p);
    TBitmap b;
    ASSERT_TRUE(DecodeIcon(file, &b, p));
    EXPECT_TRUE(oracle::FromBitmap(&b) == oracle::FromBitmap(colour.get()));
}

TEST(FormatsIco, PNGEntriesGoToThePNGCodec) {
    TImgCodecTable saved = ImgCodecs();
    Int64 seenAt = -1;
    ImgCodecs().PNGDecodeStream = [](TStream* s, TBitmap*, TIOParamsVals& p, TProgressRec&, bool) {
        p.Width = Integer(s->GetPosition());
    };
    auto pngIcon = [](Cardinal w, Cardinal h) {
        TBytesBuilder b;
        b.U16(0).U16(1).U16(1).Raw({0, 0, 0, 0}).U16(1).U16(32).U32(33).U32(22);
        b.Raw({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}).U32(0x0D000000).Text("IHDR");
        b.U8(w >> 24).U8(w >> 16).U8(w >> 8).U8(w).U8(h >> 24).U8(h >> 16).U8(h >> 8).U8(h).Zeros(5);
        return b.B;
    };
    TBitmap b;
    TIOParamsVals p;
    EXPECT_TRUE(DecodeIcon(pngIcon(256, 256), &b, p));
    seenAt = p.Width;
    EXPECT_EQ(seenAt, 22);
    // A size no bitmap should take is refused before the PNG codec sees it.
    p.Width = 0;
    EXPECT_FALSE(DecodeIcon(pngIcon(0x0A1A0A0D, 0x0A1A0A0D), &b, p));
    EXPECT_EQ(p.Width, 0);
    ImgCodecs() = saved;
}

TEST(FormatsIco, ContentTests) {
    const Bytes icon = MakeIcon(1, 2, 2, 2, 4, 1);
    const Bytes cursor = MakeIcon(2, 2, 2, 2, 4, 1);
    TMemoryStream s;
    StreamOf(icon, s);
    s.SetPosition(0);
    EXPECT_TRUE(IsICOStream(&s));
    EXPECT_EQ(s.GetPosition(), 0);
    EXPECT_FALSE(IsCURStream(&s));
    StreamOf(cursor, s);
    EXPECT_TRUE(IsCURStream(&s));
    EXPECT_FALSE(IsICOStream(&s));
    StreamOf(Bytes(icon.begin(), icon.begin() + 22), s);
    EXPECT_FALSE(IsICOStream(&s));
    Bytes intoDirectory = icon;
    intoDirectory[6 + 12] = 21;  // the image would start inside the entry
    StreamOf(intoDirectory, s);
    EXPECT_FALSE(IsICOStream(&s));
    Bytes reserved = icon;
    reserved[6 + 3] = 1;
    StreamOf(reserved, s);
    EXPECT_FALSE(IsICOStream(&s));
}

}  // namespace
