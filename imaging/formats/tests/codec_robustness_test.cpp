// Damaged and hostile files for the BMP, icon, cursor, PCX and Targa readers: each is refused
// through the aborting flag or read as far as it goes, and none reads or writes outside its
// buffers (the test build runs under AddressSanitizer).

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <iterator>

#include "imaging/formats/bmp_codec.h"
#include "imaging/formats/ico_codec.h"
#include "imaging/formats/pcx_codec.h"
#include "imaging/formats/tga_codec.h"
#include "imaging/formats/tests/codec_bytes.h"

namespace {

enum class TKind { BMP, ICO, CUR, PCX, TGA };

bool Read(TKind Kind, const Bytes& Data, TBitmap* Bitmap) {
    TIOParamsVals params;
    return Decode(Data, [&](TStream* s, TProgressRec& p) {
        switch (Kind) {
        case TKind::BMP: BMPDecodeStream(s, Bitmap, 0, params, p, false); break;
        case TKind::ICO: ICODecodeStream(s, Bitmap, params, false, p); break;
        case TKind::CUR: CURDecodeStream(s, Bitmap, params, false, p); break;
        case TKind::PCX: PCXDecodeStream(s, Bitmap, params, Int64(Data.size()), p, false); break;
        case TKind::TGA: TGADecodeStream(s, Bitmap, params, false, p); break;
        }
    });
}

TBytesBuilder BMPHead(Cardinal fileSize, Cardinal offset, int32_t w, int32_t h, int bits, Cardinal compression,
                      Cardinal coloursUsed = 0, Cardinal headerLength = 40) {
    TBytesBuilder b;
    b.Text("BM").U32(fileSize).U32(0).U32(offset).U32(headerLength).U32(Cardinal(w)).U32(Cardinal(h));
    b.U16(1).U16(unsigned(bits)).U32(compression).U32(0).U32(0).U32(0).U32(coloursUsed).U32(0);
    return b;
}

TBytesBuilder IconHead(int type, int w, int h, int colours, Cardinal offset, Cardinal headerLength,
                       int32_t headerW, int32_t headerH, int bits) {
    TBytesBuilder b;
    b.U16(0).U16(unsigned(type)).U16(1).U8(unsigned(w)).U8(unsigned(h)).U8(unsigned(colours)).U8(0);
    b.U16(1).U16(unsigned(bits)).U32(100).U32(offset);
    b.U32(headerLength).U32(Cardinal(headerW)).U32(Cardinal(headerH)).U16(1).U16(unsigned(bits)).Zeros(24);
    return b;
}

TBytesBuilder PCXHead(int bits, int planes, int bytesPerLine, int x2, int y2, int x1 = 0) {
    TBytesBuilder b;
    b.U8(0x0A).U8(5).U8(1).U8(unsigned(bits)).U16(unsigned(x1)).U16(0).U16(unsigned(x2)).U16(unsigned(y2));
    b.U16(72).U16(72).Zeros(48).U8(0).U8(unsigned(planes)).U16(unsigned(bytesPerLine)).U16(1).Zeros(58);
    return b;
}

TBytesBuilder TGAHead(int idLength, int mapType, int type, int first, int count, int entry, int w, int h, int bits,
                      int descriptor = 0) {
    TBytesBuilder b;
    b.U8(unsigned(idLength)).U8(unsigned(mapType)).U8(unsigned(type)).U16(unsigned(first)).U16(unsigned(count));
    b.U8(unsigned(entry)).U16(0).U16(0).U16(unsigned(w)).U16(unsigned(h)).U8(unsigned(bits)).U8(unsigned(descriptor));
    return b;
}

TEST(FormatsCodecRobustness, MalformedInputs) {
    const Bytes rle255 = [] {
        Bytes d;
        for (int i = 0; i < 20; ++i) d.insert(d.end(), {255, 1});
        d.insert(d.end(), {0, 255});
        d.insert(d.end(), 300, 7);
        return d;
    }();
    struct TCase {
        const char* Name;
        TKind Kind;
        Bytes Data;
        bool Loads;
    };
    const TCase cases[] = {
        {"bmp: not BM", TKind::BMP, TBytesBuilder().Text("MB").Zeros(60).B, false},
        {"bmp: empty", TKind::BMP, {}, false},
        {"bmp: absurd width", TKind::BMP, BMPHead(0, 54, 100000, 10, 24, 0).Zeros(64).B, false},
        {"bmp: absurd pixel count", TKind::BMP, BMPHead(0, 54, 65535, 65535, 24, 0).Zeros(64).B, false},
        {"bmp: smallest height", TKind::BMP, BMPHead(0, 54, 10, INT_MIN, 24, 0).Zeros(64).B, false},
        {"bmp: zero width", TKind::BMP, BMPHead(0, 54, 0, 10, 24, 0).Zeros(64).B, false},
        {"bmp: header length past the file", TKind::BMP, BMPHead(0, 0, 4, 4, 24, 0, 0, 0xFFFFFFF0u).B, true},
        {"bmp: truncated rows", TKind::BMP, BMPHead(0, 54, 40, 40, 24, 0).Zeros(100).B, true},
        {"bmp: indexes past 16 colours", TKind::BMP, BMPHead(0, 118, 4, 1, 8, 0, 16).Zeros(64).Raw({200, 255, 16, 17}).B, true},
        {"bmp: indexes past 16 colours, RLE8", TKind::BMP, BMPHead(0, 118, 4, 1, 8, 1, 16).Zeros(64).Raw({4, 200, 0, 1}).B, true},
        {"bmp: colours used 2^32 - 1", TKind::BMP, BMPHead(0, 0, 2, 2, 8, 0, 0xFFFFFFFFu).Zeros(2000).B, true},
        {"bmp: file size below the data offset", TKind::BMP, BMPHead(20, 1078, 8, 8, 8, 1).Zeros(1024).Raw({8, 1, 0, 1}).B, true},
        {"bmp: runs and literals past a 1-pixel row", TKind::BMP, BMPHead(0, 54, 1, 3, 8, 1).Raw(rle255).B, true},
        {"bmp: RLE4 literal past the data", TKind::BMP, BMPHead(0, 54, 9, 2, 4, 2).Raw({0, 200, 0x12}).B, true},
        {"bmp: delta far past the image", TKind::BMP, BMPHead(0, 54, 4, 4, 8, 1).Raw({0, 2, 255, 255, 3, 1}).B, true},
        {"bmp: empty bit-field masks", TKind::BMP, BMPHead(0, 66, 2, 2, 16, 3).Zeros(12).Zeros(8).B, true},
        {"bmp: 1-bit run-length (not decoded)", TKind::BMP, BMPHead(0, 62, 8, 8, 1, 1).Zeros(8).Raw({8, 1}).B, true},
        {"ico: PNG entry of absurd size", TKind::ICO,
         TBytesBuilder().U16(0).U16(1).U16(1).Zeros(8).U32(40).U32(22).Raw({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})
             .U32(0x0D000000).Text("IHDR").Raw({0x0A, 0x1A, 0x0A, 0x0D, 0x0A, 0x1A, 0x0A, 0x0D}).Zeros(20).B,
         false},
        {"ico: header length not 40", TKind::ICO, IconHead(1, 16, 16, 0, 22, 108, 16, 32, 8).Zeros(500).B, false},
        {"ico: entry past the file", TKind::ICO, IconHead(1, 16, 16, 0, 0x7FFFFFF0, 40, 16, 32, 8).B, false},
        {"ico: entries past the file", TKind::ICO, TBytesBuilder().U16(0).U16(1).U16(65535).Zeros(30).B, false},
        {"ico: negative header height", TKind::ICO, IconHead(1, 0, 0, 0, 22, 40, 16, -32, 4).Zeros(200).B, false},
        {"ico: huge header, small entry, short data", TKind::ICO, IconHead(1, 255, 255, 0, 22, 40, 1 << 30, 1 << 30, 8).Zeros(100).B, true},
        {"ico: 1 bit with 255 colours", TKind::ICO, IconHead(1, 8, 8, 255, 22, 40, 8, 16, 1).Zeros(40).B, true},
        {"ico: no bit count", TKind::ICO, IconHead(1, 8, 8, 0, 22, 40, 8, 16, 0).Zeros(40).B, false},
        {"cur: absurd entry size from the header", TKind::CUR, IconHead(2, 0, 0, 0, 22, 40, 70000, 4, 1).Zeros(40).B, false},
        {"cur: 24 bits (not decoded)", TKind::CUR, IconHead(2, 2, 2, 0, 22, 40, 2, 4, 24).Zeros(40).B, true},
        {"pcx: short header", TKind::PCX, TBytesBuilder().U8(0x0A).Zeros(60).B, false},
        {"pcx: window ends before it starts", TKind::PCX, PCXHead(8, 1, 2, 0, 0, 5).Zeros(20).B, false},
        {"pcx: absurd size", TKind::PCX, PCXHead(8, 3, 2, 65535, 65535).Zeros(20).B, false},
        {"pcx: 8 bits too short for a palette", TKind::PCX, PCXHead(8, 1, 4, 3, 3).Raw({0xFF, 3}).B, true},
        {"pcx: zero bytes per line", TKind::PCX, PCXHead(8, 3, 0, 9, 9).Raw({0xFF, 3, 0xFF, 4}).B, true},
        {"pcx: lines shorter than the width", TKind::PCX, PCXHead(4, 1, 1, 200, 2).Raw({0xFF, 0x12}).B, true},
        {"pcx: runs past the data", TKind::PCX, PCXHead(1, 4, 2, 15, 3).Raw({0xFF}).B, true},
        {"pcx: 7 bits a pixel (palette of 16)", TKind::PCX, PCXHead(7, 1, 2, 1, 1).Zeros(8).B, true},
        {"pcx: 4 planes of 8 bits (not decoded)", TKind::PCX, PCXHead(8, 4, 2, 1, 1).Zeros(16).B, true},
        {"tga: unaccepted type", TKind::TGA, TGAHead(0, 0, 4, 0, 0, 0, 2, 2, 24).Zeros(12).B, false},
        {"tga: zero width", TKind::TGA, TGAHead(0, 0, 2, 0, 0, 0, 0, 2, 24).Zeros(12).B, false},
        {"tga: map far past 256 entries", TKind::TGA, TGAHead(0, 1, 1, 65535, 65535, 32, 2, 2, 8).Zeros(64).B, true},
        {"tga: map of a count past 256", TKind::TGA, TGAHead(0, 1, 1, 0, 1000, 24, 2, 2, 8).Zeros(3004).B, true},
        {"tga: run packets past the image", TKind::TGA, TGAHead(0, 0, 10, 0, 0, 0, 3, 3, 24).Raw({0xFF, 1, 2, 3, 0xFF, 4, 5, 6}).B, true},
        {"tga: raw packet past the data", TKind::TGA, TGAHead(0, 0, 9, 0, 0, 0, 300, 3, 8).Raw({0x7F, 1}).B, true},
        {"tga: ID past the data", TKind::TGA, TGAHead(255, 0, 2, 0, 0, 0, 2, 2, 32).Raw({1, 2}).B, true},
        {"tga: footer pointing past the file", TKind::TGA,
         TGAHead(0, 0, 3, 0, 0, 0, 1, 1, 8).Raw({9}).U32(0xFFFFFFF0u).U32(0).Text("TRUEVISION-XFILE.").U8(0).B, true},
        {"tga: 16-bit RLE crossing rows", TKind::TGA, TGAHead(0, 0, 10, 0, 0, 0, 1, 5, 16).Raw({0x84, 0xFF, 0x7F}).B, true},
        {"tga: 4 bits, right to left", TKind::TGA, TGAHead(0, 0, 3, 0, 0, 0, 3, 2, 4, 0x10).Raw({0x12, 0x30, 0x45, 0x60}).B, true},
    };
    for (const TCase& c : cases) {
        TBitmap bitmap;
        EXPECT_EQ(Read(c.Kind, c.Data, &bitmap), c.Loads) << c.Name;
    }
}

Bytes FileBytes(const std::string& Path) {
    std::ifstream f(Path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Every fixture cut short at each length, and with each of its first bytes set to 0xFF: the
// readers may refuse or load, but stay inside their buffers.
TEST(FormatsCodecRobustness, TruncatedAndCorruptedFixtures) {
    const std::pair<const char*, TKind> fixtures[] = {
        {"bmp_4bit_netpbm.bmp", TKind::BMP},       {"bmp_rle8_magick.bmp", TKind::BMP},
        {"bmp_rle4_delta_own.bmp", TKind::BMP},    {"bmp_v5_565_magick.bmp", TKind::BMP},
        {"bmp_core_8bit_netpbm.bmp", TKind::BMP},  {"ico_4bit_own.ico", TKind::ICO},
        {"ico_1bit_own.ico", TKind::ICO},          {"cur_4bit_own.cur", TKind::CUR},
        {"pcx_8bit_netpbm.pcx", TKind::PCX},       {"pcx_4planes_netpbm.pcx", TKind::PCX},
        {"pcx_24bit_netpbm.pcx", TKind::PCX},      {"tga_cmap_rle_crossing_own.tga", TKind::TGA},
        {"tga_rgb_rle_netpbm.tga", TKind::TGA},    {"tga_32bit_topdown_own.tga", TKind::TGA},
    };
    for (const auto& [name, kind] : fixtures) {
        const Bytes data = FileBytes(oracle::FixturePath(name));
        ASSERT_FALSE(data.empty()) << name;
        TBitmap bitmap;
        EXPECT_TRUE(Read(kind, data, &bitmap)) << name;
        for (size_t n = 0; n < data.size(); n += data.size() > 400 ? 3 : 1)
            Read(kind, Bytes(data.begin(), data.begin() + Integer(n)), &bitmap);
        for (size_t at = 0; at < std::min<size_t>(data.size(), 160); ++at) {
            Bytes bad = data;
            bad[at] = 0xFF;
            Read(kind, bad, &bitmap);
            bad[at] = 0x00;
            Read(kind, bad, &bitmap);
        }
    }
}

}  // namespace
