// The PCX and Targa codecs: fixtures against the reference decoders, our files in the reference
// decoders, and the rules of each format.

#include <gtest/gtest.h>

#include "framework/date_time.h"
#include "imaging/formats/pcx_codec.h"
#include "imaging/formats/tga_codec.h"
#include "imaging/formats/tests/codec_bytes.h"
#include "imaging/tests/image_fixture.h"

namespace {

constexpr TImgRGB kWhite{255, 255, 255};



// ---- PCX ---------------------------------------------------------------------------------------

bool DecodePCX(const Bytes& Data, TBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly = false) {
    return Decode(Data, [&](TStream* s, TProgressRec& p) {
        PCXDecodeStream(s, Bitmap, Params, Int64(Data.size()), p, ParamsOnly);
    });
}

Bytes EncodePCX(TBitmap* Bitmap, TIOParamsVals& Params) {
    return Encode([&](TStream* s, TProgressRec& p) { PCXEncodeStream(s, Bitmap, Params, p); });
}

// A PCX header for one or more planes of the given window.
TBytesBuilder PCXHeader(int bits, int planes, int bytesPerLine, int x1 = 0, int y1 = 0, int x2 = 0, int y2 = 0,
                        int dpiX = 72, int dpiY = 72, bool encoded = true) {
    TBytesBuilder b;
    b.U8(0x0A).U8(5).U8(encoded ? 1 : 0).U8(unsigned(bits)).U16(unsigned(x1)).U16(unsigned(y1)).U16(unsigned(x2));
    b.U16(unsigned(y2)).U16(unsigned(dpiX)).U16(unsigned(dpiY));
    for (int i = 0; i < 16; ++i) b.U8(i * 16).U8(0).U8(255 - i * 16);
    b.U8(0).U8(unsigned(planes)).U16(unsigned(bytesPerLine)).U16(1).Zeros(58);
    return b;
}

TEST(FormatsPcxTgaConformance, PCXFixturesDecodeAsTheReferenceDecodersDo) {
    ExpectFixturesMatch({{"pcx_8bit_netpbm.pcx", "pcxtoppm"},
                         {"pcx_24bit_netpbm.pcx", "pcxtoppm"},
                         {"pcx_4planes_netpbm.pcx", "pcxtoppm"},
                         {"pcx_packed4_netpbm.pcx", "pcxtoppm"},
                         // ImageMagick shows this file inverted: its palette and netpbm agree with us.
                         {"pcx_1bit_netpbm.pcx", "pcxtoppm", false},
                         {"pcx_magick.pcx", "pcxtoppm"}});
}

TEST(FormatsPcxTgaConformance, WrittenPCXFilesReadTheSameInTheReferenceDecoders) {
    struct TCase {
        const char* Name;
        Integer Bits, Samples;
        Byte Compression;
    };
    const TCase cases[] = {{"w1.pcx", 1, 1, 1},  {"w1raw.pcx", 1, 1, 0}, {"w4.pcx", 4, 1, 1},   {"w8.pcx", 8, 1, 1},
                           {"w8raw.pcx", 8, 1, 0}, {"w24.pcx", 8, 3, 1}, {"w24raw.pcx", 8, 3, 0}, {"w15.pcx", 5, 3, 1}};
    Bmp colour = Picture(), mono = Mono();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TIOParamsVals params;
        params.BitsPerSample = c.Bits;
        params.SamplesPerPixel = c.Samples;
        params.PCXCompression = c.Compression;
        params.DpiX = params.DpiY = 96;
        TBitmap* source = c.Bits == 1 ? mono.get() : colour.get();
        const Bytes file = EncodePCX(source, params);
        TBitmap back;
        TIOParamsVals read;
        ASSERT_TRUE(DecodePCX(file, &back, read));
        const oracle::TImage ours = oracle::FromBitmap(&back);
        if (c.Bits != 4 && c.Bits != 8) {
            EXPECT_TRUE(ours == oracle::FromBitmap(source));
        }
        if (c.Bits == 8 && c.Samples == 1) {
            EXPECT_EQ(read.GetPaletteCount(), 256);
        }
        // pcxtoppm reads run-length coded files only; ImageMagick shows 1-bit files inverted against
        // their palette (as it does netpbm's own).
        ExpectOraclesAgree(c.Name, file, ours, c.Compression ? "pcxtoppm" : "", c.Bits != 1);
    }
}

TEST(FormatsPcx, LineCoder) {
    struct TCase {
        Bytes Line;
        Integer Stride, Offset, Count;
        Bytes Expected;
    };
    const TCase cases[] = {
        {{0xC5, 0x41}, 1, 0, 2, {0xC1, 0xC5, 0x41}},
        {Bytes(70, 7), 1, 0, 70, {0xFF, 7, 0xC7, 7}},
        {{1, 2, 3}, 1, 0, 3, {1, 2, 3, 0}},  // odd count: a pad byte
        {{10, 20, 30, 10, 21, 30}, 3, 1, 2, {20, 21}},
    };
    for (const TCase& c : cases) {
        Bytes out(2 * size_t(c.Count) + 1);
        out.resize(size_t(PCXEncodeLine(out.data(), c.Line.data(), c.Count, c.Stride, c.Offset)));
        EXPECT_EQ(out, c.Expected);
    }
}

TEST(FormatsPcx, RunsCrossLinesAndHeaderFields) {
    // Three planes of 6 bytes a line, 1 row: a run of 10 fills the red line and 4 of the green.
    Bytes file = PCXHeader(8, 3, 6, 0, 0, 5, 0).Raw({0xCA, 9, 1, 2, 0xC6, 3}).B;
    TBitmap b;
    TIOParamsVals p;
    ASSERT_TRUE(DecodePCX(file, &b, p));
    EXPECT_EQ(Px(&b, 5, 0), ImgRGB(9, 2, 3));
    EXPECT_EQ(Px(&b, 3, 0), ImgRGB(9, 9, 3));
    EXPECT_EQ(p.SamplesPerPixel, 3);
    EXPECT_EQ(p.GetPaletteCount(), 0);
    // A window from (10, 20) to (109, 69) is 100 x 50; a resolution of 0 gives both the default.
    file = PCXHeader(8, 1, 100, 10, 20, 109, 69, 300, 0).B;
    ASSERT_TRUE(DecodePCX(file, nullptr, p, true));
    EXPECT_EQ(p.Width, 100);
    EXPECT_EQ(p.Height, 50);
    EXPECT_EQ(p.DpiX, 96);
    EXPECT_EQ(p.DpiY, 96);
    // Four planes of 1 bit: 4 bits, one sample, the header's 16 colours.
    file = PCXHeader(1, 4, 2, 0, 0, 7, 0).Raw({0x80, 0, 0x80, 0, 0x80, 0, 0x80, 0}).B;
    ASSERT_TRUE(DecodePCX(file, &b, p));
    EXPECT_EQ(p.BitsPerSample, 4);
    EXPECT_EQ(p.SamplesPerPixel, 1);
    EXPECT_EQ(p.GetPaletteCount(), 16);
    EXPECT_EQ(Px(&b, 0, 0), ImgRGB(15 * 16, 0, 255 - 15 * 16));
    EXPECT_EQ(Px(&b, 1, 0), ImgRGB(0, 0, 255));
    // A header whose line is shorter than the width: the rest of the row is index 0, and an
    // 8-bit file too short to hold a palette gets none read from before its start.
    file = PCXHeader(8, 1, 2, 0, 0, 3, 0).Raw({5, 6}).B;
    ASSERT_TRUE(DecodePCX(file, &b, p));
    EXPECT_EQ(Px(&b, 3, 0), TImgRGB{});
    // Refused headers.
    for (int at : {0, 2, 3}) {
        Bytes bad = PCXHeader(8, 1, 2, 0, 0, 1, 0).Raw({1, 2}).B;
        bad[size_t(at)] = 9;
        EXPECT_FALSE(DecodePCX(bad, &b, p)) << at;
    }
}

TEST(FormatsPcx, WrittenLayouts) {
    // A 3-pixel 24-bit image coded: 4 bytes a line, each plane line ending with the extra 0.
    Bmp three = Make24(3, 1, [](Integer x, Integer) { return ImgRGB(Byte(x + 1), 5, 0xC8); });
    TIOParamsVals p;
    Bytes file = EncodePCX(three.get(), p);
    EXPECT_EQ(LoadLE16(&file[66]), 4);
    EXPECT_EQ(file[65], 3);
    EXPECT_EQ(Bytes(file.begin() + 128, file.end()), (Bytes{1, 2, 3, 0, 0xC3, 5, 0, 0xC3, 0xC8, 0}));
    // A red and blue picture at 1 bit: the header palette blue (the darker), then red.
    Bmp two = Make24(4, 2, [](Integer x, Integer) { return x % 2 ? ImgRGB(255, 0, 0) : ImgRGB(0, 0, 255); });
    p.BitsPerSample = 1;
    file = EncodePCX(two.get(), p);
    EXPECT_EQ(Bytes(file.begin() + 16, file.begin() + 22), (Bytes{0, 0, 255, 255, 0, 0}));
    EXPECT_EQ(file[3], 1);
    // 8 bits: the palette follows the last line after the marker byte 12.
    Bmp colour = Picture();
    p.BitsPerSample = 8;
    p.SamplesPerPixel = 1;
    p.PCXCompression = 0;
    file = EncodePCX(colour.get(), p);
    ASSERT_EQ(file.size(), 128u + 14u * 7u + 1u + 768u);
    EXPECT_EQ(file[128 + 14 * 7], 0x0C);
    TBitmap back;
    TIOParamsVals read;
    ASSERT_TRUE(DecodePCX(file, &back, read));
    EXPECT_EQ(read.Palette[file[128]], Px(&back, 0, 0));
}

// ---- Targa -------------------------------------------------------------------------------------

bool DecodeTGA(const Bytes& Data, TBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly = false) {
    return Decode(Data, [&](TStream* s, TProgressRec& p) { TGADecodeStream(s, Bitmap, Params, ParamsOnly, p); });
}

Bytes EncodeTGA(TBitmap* Bitmap, TIOParamsVals& Params) {
    return Encode([&](TStream* s, TProgressRec& p) { TGAEncodeStream(s, Bitmap, Params, p); });
}

TBytesBuilder TGAHeader(int type, int bits, int w, int h, int descriptor, int mapType = 0, int first = 0,
                        int count = 0, int entry = 0, int idLength = 0) {
    TBytesBuilder b;
    b.U8(unsigned(idLength)).U8(unsigned(mapType)).U8(unsigned(type)).U16(unsigned(first)).U16(unsigned(count));
    b.U8(unsigned(entry)).U16(0).U16(0).U16(unsigned(w)).U16(unsigned(h)).U8(unsigned(bits)).U8(unsigned(descriptor));
    return b;
}

TEST(FormatsPcxTgaConformance, TargaFixturesDecodeAsTheReferenceDecodersDo) {
    ExpectFixturesMatch({{"tga_rgb_rle_netpbm.tga", "tgatoppm"},
                         {"tga_rgb_netpbm.tga", "tgatoppm"},
                         {"tga_cmap_rle_netpbm.tga", "tgatoppm"},
                         {"tga_cmap_netpbm.tga", "tgatoppm"},
                         {"tga_grey_magick.tga", "tgatoppm"},
                         {"tga_rgb_rle_magick.tga", "tgatoppm"},
                         {"tga_16bit_own.tga", "tgatoppm", true, 555},
                         {"tga_32bit_topdown_own.tga", "tgatoppm"},
                         {"tga_cmap_rle_crossing_own.tga", "tgatoppm"}});
}

TEST(FormatsPcxTgaConformance, GreyPixelsWithAlphaShowTheirGrey) {
    // 16-bit grey and alpha pixels, raw from the bottom row and run-length coded from the top one.
    // ImageMagick and netpbm read them as 5-5-5 colours, so the pictures are compared with the
    // grey picture the fixture script wrote beside them.
    oracle::TImage grey;
    ASSERT_TRUE(oracle::RunPNM("cat '" + oracle::FixturePath("tga_grey_alpha_own.pgm") + "'", grey));
    for (const char* file : {"tga_grey_alpha_own.tga", "tga_grey_alpha_rle_topdown_own.tga"}) {
        SCOPED_TRACE(file);
        oracle::TImage ours;
        ASSERT_TRUE(oracle::LoadOurs(oracle::FixturePath(file), ours));
        EXPECT_TRUE(ours == grey);
    }
}

TEST(FormatsPcxTgaConformance, WrittenTargaFilesReadTheSameInTheReferenceDecoders) {
    struct TCase {
        const char* Name;
        Integer Bits, Samples;
        bool Compressed, Grey;
    };
    const TCase cases[] = {{"w24.tga", 8, 3, false, false}, {"w24rle.tga", 8, 3, true, false},
                           {"w8.tga", 8, 1, false, false},  {"w8rle.tga", 8, 1, true, false},
                           {"w8grey.tga", 8, 1, true, true}, {"w4.tga", 4, 1, true, false}};
    Bmp colour = Picture();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TIOParamsVals params;
        params.BitsPerSample = c.Bits;
        params.SamplesPerPixel = c.Samples;
        params.TGACompressed = c.Compressed;
        params.TGAGrayLevel = c.Grey;
        params.TGADescriptor = "lumora";
        const Bytes file = EncodeTGA(colour.get(), params);
        TBitmap back;
        TIOParamsVals read;
        ASSERT_TRUE(DecodeTGA(file, &back, read));
        EXPECT_EQ(read.TGADescriptor, std::string("lumora") + '\0');
        const oracle::TImage ours = oracle::FromBitmap(&back);
        if (c.Samples == 3) {
            EXPECT_TRUE(ours == oracle::FromBitmap(colour.get()));
        }
        // Our 4-bit files are read by our reader only: the reference decoders take no 4-bit Targa.
        if (c.Bits != 4) ExpectOraclesAgree(c.Name, file, ours, "tgatoppm");
    }
}

TEST(FormatsTga, ContentTest) {
    struct TCase {
        Bytes Head;
        bool Targa;
    };
    Bytes valid = TGAHeader(2, 24, 1, 1, 0).B;
    Bytes pnm = valid, pnmA = valid, badType = valid, badBits = valid;
    pnm[0] = 'P', pnm[1] = '6', pnm[2] = '\n';  // a valid Targa header behind the PNM signature
    pnmA[0] = 'P', pnmA[1] = '6';
    Bytes pnm2 = TGAHeader(2, 24, 1, 1, 0).B;
    pnm2[0] = 'P', pnm2[1] = '3', pnm2[2] = 2;  // type 2 is no PNM separator: judged by the header
    badType[2] = 4;
    badBits[16] = 15;
    const TCase cases[] = {{valid, true}, {pnm, false}, {pnmA, true}, {pnm2, true}, {badType, false},
                           {badBits, false}, {Bytes(valid.begin(), valid.begin() + 17), false}};
    for (const TCase& c : cases) {
        TMemoryStream s;
        StreamOf(c.Head, s);
        EXPECT_EQ(IsTGAStream(&s), c.Targa);
        EXPECT_EQ(s.GetPosition(), 0);
    }
}

// netpbm names its Targa files with a 10-byte image ID, so they start with the PCX manufacturer
// byte: content detection must still find Targa, and the file must load by content.
TEST(FormatsTga, TargaWithATenByteIdIsNotTakenForPCX) {
    TFileStream s(oracle::FixturePath("tga_rgb_netpbm.tga"), fmOpenRead);
    Byte first = 0;
    ASSERT_GT(s.GetSize(), 129);
    s.ReadBuffer(&first, 1);
    s.SetPosition(0);
    ASSERT_EQ(first, 0x0A);
    EXPECT_EQ(DetectStreamType(&s), ioTGA);
}

TEST(FormatsTga, ColourMapsAndOrientation) {
    // A map from index 10 with 5 entries: pixels use entries 10 to 14, the parameters' palette
    // holds entries 0 to 4 (3-3-2 levels).
    TBytesBuilder mapped = TGAHeader(1, 8, 2, 1, 0x20, 1, 10, 5, 24);
    for (int i = 0; i < 5; ++i) mapped.U8(unsigned(i)).U8(100).U8(200);
    mapped.U8(12).U8(3);
    TBitmap b;
    TIOParamsVals p;
    ASSERT_TRUE(DecodeTGA(mapped.B, &b, p));
    EXPECT_EQ(Px(&b, 0, 0), ImgRGB(200, 100, 2));
    EXPECT_EQ(Px(&b, 1, 0), ImgRGB(28, 28, 60 + 3 * 64));
    ASSERT_EQ(p.GetPaletteCount(), 5);
    EXPECT_EQ(p.Palette[1], ImgRGB(28, 28, 124));
    EXPECT_FALSE(p.TGAGrayLevel);
    // A map past entry 255 is kept inside the working palette; its bytes are read past.
    TBytesBuilder over = TGAHeader(1, 8, 1, 1, 0, 1, 250, 20, 24);
    for (int i = 0; i < 20; ++i) over.U8(unsigned(i)).U8(0).U8(0);
    over.U8(255);
    ASSERT_TRUE(DecodeTGA(over.B, &b, p));
    EXPECT_EQ(Px(&b, 0, 0), ImgRGB(0, 0, 5));
    EXPECT_EQ(p.GetPaletteCount(), 20);
    // A map of an entry size that is not read is skipped, not taken for pixels.
    TBytesBuilder skipped = TGAHeader(1, 8, 1, 1, 0, 1, 0, 2, 8);
    skipped.U8(1).U8(2).U8(0);
    ASSERT_TRUE(DecodeTGA(skipped.B, &b, p));
    EXPECT_EQ(Px(&b, 0, 0), ImgRGB(28, 28, 60));
    // Descriptor 0x10: right to left, and (bit 5 clear) read top row first; 24 and 8 bits.
    TBytesBuilder mirrored = TGAHeader(2, 24, 2, 2, 0x10);
    mirrored.Raw({1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4});
    ASSERT_TRUE(DecodeTGA(mirrored.B, &b, p));
    EXPECT_EQ(Px(&b, 0, 0), (TImgRGB{2, 2, 2}));
    EXPECT_EQ(Px(&b, 1, 0), (TImgRGB{1, 1, 1}));
    EXPECT_EQ(Px(&b, 0, 1), (TImgRGB{4, 4, 4}));
    TBytesBuilder grey = TGAHeader(3, 8, 3, 1, 0x10);
    grey.Raw({10, 20, 30});
    ASSERT_TRUE(DecodeTGA(grey.B, &b, p));
    EXPECT_EQ(Px(&b, 0, 0), (TImgRGB{30, 30, 30}));
    EXPECT_EQ(Px(&b, 2, 0), (TImgRGB{10, 10, 10}));
    EXPECT_TRUE(p.TGAGrayLevel);
    // Run-length packets that cross rows go on in the next row.
    TBytesBuilder crossing = TGAHeader(10, 24, 2, 2, 0x20);
    crossing.Raw({0x82, 7, 8, 9, 0x00, 1, 2, 3});
    ASSERT_TRUE(DecodeTGA(crossing.B, &b, p));
    EXPECT_EQ(Px(&b, 0, 1), (TImgRGB{7, 8, 9}));
    EXPECT_EQ(Px(&b, 1, 1), (TImgRGB{1, 2, 3}));
    EXPECT_TRUE(p.TGACompressed);
}

TEST(FormatsTga, ExtensionAreaAndFooter) {
    Bmp colour = Picture();
    TIOParamsVals p;
    p.TGADescriptor = "abc";
    p.TGAAuthor = "Ann";
    p.TGAImageName = "job";
    p.TGADate = EncodeDate(2024, 2, 29) + EncodeTime(13, 14, 15, 0);
    p.TGABackground = ImgRGB(1, 2, 3);
    p.TGAGamma = 2.2;
    p.TGAAspectRatio = 1.0;
    // Written after 5 bytes of something else: offsets count from the image's start.
    TMemoryStream s;
    s.WriteBuffer("xxxxx", 5);
    bool aborting = false;
    TProgressRec progress;
    progress.Aborting = &aborting;
    TGAEncodeStream(&s, colour.get(), p, progress);
    const Bytes all = BytesOf(s);
    const Bytes file(all.begin() + 5, all.end());
    EXPECT_EQ(file[0], 4);
    EXPECT_EQ(std::string(file.begin() + 18, file.begin() + 22), std::string("abc") + '\0');
    const size_t extension = LoadLE32(&file[file.size() - 26]);
    EXPECT_EQ(extension, file.size() - 26 - 495);
    EXPECT_EQ(LoadLE16(&file[extension + 474]), 10000);
    EXPECT_EQ(LoadLE16(&file[extension + 478]), 22000);
    EXPECT_EQ(LoadLE16(&file[extension + 480]), 10000);
    EXPECT_EQ(std::string(file.end() - 18, file.end()), std::string("TRUEVISION-XFILE.") + '\0');

    s.SetPosition(5);
    TBitmap back;
    TIOParamsVals read;
    TGADecodeStream(&s, &back, read, false, progress);
    ASSERT_FALSE(aborting);
    EXPECT_EQ(read.TGADescriptor, std::string("abc") + '\0');
    EXPECT_EQ(read.TGAAuthor, "Ann");
    EXPECT_EQ(read.TGAImageName, "job");
    EXPECT_DOUBLE_EQ(read.TGADate, p.TGADate);
    EXPECT_EQ(read.TGABackground, ImgRGB(1, 2, 3));
    EXPECT_DOUBLE_EQ(read.TGAGamma, 2.2);
    EXPECT_DOUBLE_EQ(read.TGAAspectRatio, 1.0);
    EXPECT_TRUE(oracle::FromBitmap(&back) == oracle::FromBitmap(colour.get()));

    // Without the footer the values keep their reading defaults; an impossible date is ignored.
    Bytes noFooter(file.begin(), file.end() - 26);
    Bytes badDate = file;
    badDate[extension + 367] = 13;  // month 13
    for (const Bytes& f : {noFooter, badDate}) {
        read.TGAAuthor = "old";
        ASSERT_TRUE(DecodeTGA(f, &back, read, true));
        EXPECT_DOUBLE_EQ(read.TGADate, Date());
    }
    EXPECT_EQ(read.TGAAuthor, "Ann");
    EXPECT_EQ(read.TGAGamma, 2.2);
    ASSERT_TRUE(DecodeTGA(noFooter, &back, read, true));
    EXPECT_EQ(read.TGAAuthor, "");
    // A gamma that does not fit the 16-bit numerator is held at 65535.
    p.TGAGamma = 7.5;
    const Bytes big = EncodeTGA(colour.get(), p);
    EXPECT_EQ(LoadLE16(&big[big.size() - 26 - 495 + 478]), 65535);
}

TEST(FormatsTga, RowCoderAndOneBit) {
    struct TCase {
        Bytes Row;
        std::vector<int> Packets;  // header bytes in order
    };
    Bytes distinct(300), equal(200, 5);
    for (size_t i = 0; i < distinct.size(); ++i) distinct[i] = Byte(i % 3);
    const TCase cases[] = {
        {distinct, {127, 127, 43}}, {equal, {0xFF, 0x80 + 71}}, {{1, 2, 2}, {0, 0x81}}, {{1, 2}, {1}}};
    for (const TCase& c : cases) {
        Bytes out(c.Row.size() * 2);
        out.resize(size_t(TGAEncodeRLERow(c.Row.data(), Integer(c.Row.size()), 1, out.data())));
        std::vector<int> heads;
        for (size_t i = 0; i < out.size();) {
            heads.push_back(out[i]);
            i += 1 + (out[i] >= 0x80 ? 1 : (out[i] & 0x7F) + 1);
        }
        EXPECT_EQ(heads, c.Packets);
    }
    // A 1-bit source asked for compression is written uncompressed and the choice is dropped.
    Bmp mono = Mono();
    TIOParamsVals p;
    p.BitsPerSample = 1;
    p.SamplesPerPixel = 1;
    p.TGACompressed = true;
    const Bytes file = EncodeTGA(mono.get(), p);
    EXPECT_EQ(file[2], 3);
    EXPECT_FALSE(p.TGACompressed);
    TBitmap back;
    TIOParamsVals read;
    ASSERT_TRUE(DecodeTGA(file, &back, read));
    EXPECT_TRUE(oracle::FromBitmap(&back) == oracle::FromBitmap(mono.get()));
    EXPECT_EQ(read.BitsPerSample, 1);
}

}  // namespace
