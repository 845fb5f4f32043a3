#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "framework/stream.h"
#include "imaging/formats/io_params.h"
#include "imaging/formats/lzw_coders.h"
#include "imaging/formats/tests/codec_bytes.h"
#include "imaging/formats/tests/gif_test_support.h"
#include "imaging/formats/tests/oracle.h"

namespace {

// Packs codes least significant bit first, each of its width.
struct TLsbPacker {
    std::vector<Byte> Bytes;
    UInt64 Acc = 0;
    int Bits = 0;
    void Put(int Code, int Width) {
        Acc |= UInt64(Code) << Bits;
        Bits += Width;
        while (Bits >= 8) {
            Bytes.push_back(Byte(Acc));
            Acc >>= 8;
            Bits -= 8;
        }
    }
    std::vector<Byte> Done() {
        if (Bits > 0) Bytes.push_back(Byte(Acc));
        Bits = 0;
        return Bytes;
    }
};

// A GIF image's LZW data: the code size byte, then the codes in sub-blocks of at most 255 bytes
// and the terminator. The width of each code follows the decoder: every code after the first
// one following a clear code adds a table entry.
std::vector<Byte> GifData(int CodeSize, const std::vector<int>& Codes, bool Terminator = true) {
    const int clear = 1 << CodeSize;
    TLsbPacker pack;
    int width = CodeSize + 1, nextFree = clear + 2;
    bool afterClear = true;
    for (int code : Codes) {
        pack.Put(code, width);
        if (code == clear) {
            width = CodeSize + 1;
            nextFree = clear + 2;
            afterClear = true;
        } else if (afterClear) {
            afterClear = false;
        } else if (nextFree < 4096) {
            ++nextFree;
            if (nextFree == (1 << width) && width < 12) ++width;
        }
    }
    std::vector<Byte> codes = pack.Done(), out{Byte(CodeSize)};
    for (size_t at = 0; at < codes.size(); at += 255) {
        const size_t n = std::min<size_t>(255, codes.size() - at);
        out.push_back(Byte(n));
        out.insert(out.end(), codes.begin() + long(at), codes.begin() + long(at + n));
    }
    if (Terminator) out.push_back(0);
    return out;
}

struct TGifDecoded {
    bool Moved = false;   // the stream position moved: success
    Int64 Position = 0;
    std::vector<Byte> Pixels;
};

TGifDecoded DecodeGif(const std::vector<Byte>& Data, int Width, int Height, bool Interlaced = false,
                      Byte Fill = 0xEE) {
    TMemoryStream s;
    const Byte lead = 0x2C;  // something before the data, so position 0 is not special
    s.WriteBuffer(&lead, 1);
    if (!Data.empty()) s.WriteBuffer(Data.data(), Int64(Data.size()));
    s.SetPosition(1);
    TGifDecoded r;
    r.Pixels.assign(size_t(Width) * size_t(Height), Fill);
    GifLZWDecode(&s, Height, Width, Interlaced, r.Pixels.data());
    r.Position = s.GetPosition();
    r.Moved = r.Position != 1;
    return r;
}

std::vector<Byte> EncodeGif(const std::vector<Byte>& Pixels, int Width, int Height, int Bits,
                            bool Interlaced = false) {
    TMemoryStream s;
    GifLZWEncode(&s, Height, Width, Interlaced, Pixels.data(), Bits);
    return BytesOf(s);
}

// Pixel patterns for round trips.
std::vector<Byte> Pattern(const char* Kind, int Count, int Bits) {
    std::vector<Byte> p(static_cast<size_t>(Count));
    std::mt19937 rng(42);
    const int n = 1 << Bits;
    for (int i = 0; i < Count; ++i) {
        if (!std::strcmp(Kind, "noise"))
            p[size_t(i)] = Byte(rng() % unsigned(n));
        else if (!std::strcmp(Kind, "flat"))
            p[size_t(i)] = Byte(n - 1);
        else  // "ramp": long repeats with changes, so strings grow and the table refills
            p[size_t(i)] = Byte((i / 7 + i / 131) % n);
    }
    return p;
}

}  // namespace

TEST(LZWCoders, InstallFillsTheProcessHooksThatNewParametersCopy) {
    giftest::TInstalledCoders installed;
    EXPECT_EQ(DefGIFLZWDecompress, &GifLZWDecode);
    EXPECT_EQ(DefGIFLZWCompress, &GifLZWEncode);
    EXPECT_EQ(DefTIFFLZWDecompress, &TiffLZWDecode);
    EXPECT_EQ(DefTIFFLZWCompress, &TiffLZWEncode);
    TIOParamsVals params;
    EXPECT_EQ(params.GIFLZWDecompress, &GifLZWDecode);
    EXPECT_EQ(params.TIFFLZWCompress, &TiffLZWEncode);
}

TEST(GifLZW, TwoColourImageUsesCodeSizeTwo) {
    const std::vector<Byte> pixels = {0, 1, 1, 0, 1, 0};
    const std::vector<Byte> out = EncodeGif(pixels, 3, 2, 1);
    ASSERT_GE(out.size(), 4u);
    EXPECT_EQ(out[0], 2);                   // code size
    EXPECT_EQ(out[1], out.size() - 3);      // one sub-block
    EXPECT_EQ(out.back(), 0);               // terminator
    // Clear 4 and the first pixel in 3 bits; the table reaches 8 after the fourth code, which
    // makes the rest 4 bits wide, down to the end code 5.
    const std::vector<Byte> expected =
        GifData(2, {4, 0, 1, 1, 6, 0, 5});
    EXPECT_EQ(out, expected);
    EXPECT_EQ(DecodeGif(out, 3, 2).Pixels, pixels);
}

TEST(GifLZW, RoundTrips) {
    const struct {
        const char* kind;
        int width, height, bits;
        bool interlaced;
    } cases[] = {
        {"noise", 17, 13, 1, false}, {"noise", 31, 9, 2, true},   {"ramp", 64, 50, 4, false},
        {"noise", 200, 150, 8, false}, {"ramp", 301, 203, 8, true}, {"flat", 1000, 1000, 8, false},
        {"noise", 1, 1, 3, true},    {"ramp", 5, 1, 7, true},     {"flat", 3, 11, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " " << c.width << "x" << c.height << " bits "
                                        << c.bits << (c.interlaced ? " interlaced" : ""));
        const std::vector<Byte> pixels = Pattern(c.kind, c.width * c.height, c.bits);
        const std::vector<Byte> data = EncodeGif(pixels, c.width, c.height, c.bits, c.interlaced);
        // Sub-blocks of 254 bytes, the last one shorter.
        size_t at = 1;
        while (data[at] != 0) {
            const size_t n = data[at];
            at += n + 1;
            if (data[at] != 0) {
                EXPECT_EQ(n, 254u);
            }
        }
        EXPECT_EQ(at, data.size() - 1);
        const TGifDecoded d = DecodeGif(data, c.width, c.height, c.interlaced);
        EXPECT_EQ(d.Position, Int64(data.size()) + 1);
        EXPECT_TRUE(d.Pixels == pixels);
    }
}

TEST(GifLZW, InterlacedRowsArriveInPassOrder) {
    // Height 5 stores rows 0, 4, 2, 1, 3; each stored row here is one pixel of its position.
    const TGifDecoded d = DecodeGif(GifData(2, {4, 0, 1, 2, 3, 0, 5}), 1, 5, true);
    ASSERT_TRUE(d.Moved);
    EXPECT_EQ(d.Pixels, (std::vector<Byte>{0, 3, 2, 0, 1}));
}

TEST(GifLZW, DecoderFailuresPutTheStreamBack) {
    // Code size 2: clear 4, end 5, first free code 6.
    std::vector<int> full{256, 0};
    for (int i = 0; i < 4096 - 258; ++i) full.push_back(0);  // the table is full afterwards
    std::vector<int> fullThenClear = full;
    fullThenClear.insert(fullThenClear.end(), {256, 7, 257});
    std::vector<int> fullThenMore = full;
    fullThenMore.push_back(0);
    std::vector<int> fullThenEnd = full;
    fullThenEnd.push_back(257);

    const struct {
        const char* name;
        std::vector<Byte> data;
        bool ok;
    } cases[] = {
        {"ordinary", GifData(2, {4, 1, 2, 6, 5}), true},
        {"code size 1", GifData(1, {2, 1, 3}), false},
        {"code size 10", {10, 1, 0, 0}, false},
        {"code size 9", GifData(9, {512, 1, 2, 513}), true},
        {"no clear code first", GifData(2, {1, 2, 5}), false},
        {"end right after clear", GifData(2, {4, 5}), false},
        {"code past the next free", GifData(2, {4, 1, 7, 5}), false},
        {"next free code", GifData(2, {4, 1, 6, 5}), true},
        {"clear codes repeated", GifData(2, {4, 4, 4, 3, 5}), true},
        {"table full then clear", GifData(8, fullThenClear), true},
        {"table full then a data code", GifData(8, fullThenMore), false},
        {"table full then the end", GifData(8, fullThenEnd), true},
        {"no end code", GifData(2, {4, 1, 2}), true},
        {"no terminator", GifData(2, {4, 1, 2, 5}, false), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TGifDecoded d = DecodeGif(c.data, 64, 64);
        EXPECT_EQ(d.Moved, c.ok);
        if (c.ok) {
            EXPECT_EQ(d.Position, Int64(c.data.size()) + 1);
        }
    }
    // What the ordinary data gives: 1, 2, then code 6 = "1 2".
    EXPECT_EQ(std::vector<Byte>(DecodeGif(GifData(2, {4, 1, 2, 6, 5}), 4, 1).Pixels),
              (std::vector<Byte>{1, 2, 1, 2}));
}

TEST(GifLZW, DataIsBoundedByTheSubBlocksAndThePixelBuffer) {
    // No data at all: success, the pixels untouched, the stream after the terminator.
    const TGifDecoded empty = DecodeGif({2, 0}, 2, 2);
    EXPECT_EQ(empty.Position, 3);
    EXPECT_EQ(empty.Pixels, (std::vector<Byte>(4, 0xEE)));
    // A sub-block claiming more bytes than the stream has: what is there is decoded.
    std::vector<Byte> cut = GifData(2, {4, 1, 2, 6, 5}, false);
    cut[1] = 200;
    const TGifDecoded partial = DecodeGif(cut, 2, 2);
    EXPECT_EQ(partial.Pixels, (std::vector<Byte>{1, 2, 1, 2}));
    // More pixels than the buffer holds: the rest is dropped (the sanitizers watch the buffer).
    const std::vector<Byte> many = EncodeGif(Pattern("ramp", 5000, 4), 50, 100, 4);
    for (const bool interlaced : {false, true}) {
        const TGifDecoded small = DecodeGif(many, 7, 3, interlaced);
        EXPECT_TRUE(small.Moved);
    }
    // Pixels the data does not reach keep their values.
    const TGifDecoded shortData = DecodeGif(GifData(2, {4, 1, 5}), 3, 1);
    EXPECT_EQ(shortData.Pixels, (std::vector<Byte>{1, 0xEE, 0xEE}));
}

// ---- TIFF -------------------------------------------------------------------------------------

namespace {

// Packs codes most significant bit first.
std::vector<Byte> MsbCodes(const std::vector<std::pair<int, int>>& CodesAndWidths) {
    std::vector<Byte> out;
    UInt64 acc = 0;
    int bits = 0;
    for (auto [code, width] : CodesAndWidths) {
        acc = (acc << width) | unsigned(code);
        bits += width;
        while (bits >= 8) {
            bits -= 8;
            out.push_back(Byte(acc >> bits));
        }
    }
    if (bits > 0) out.push_back(Byte(acc << (8 - bits)));
    return out;
}

std::vector<Byte> TiffEncode(const std::vector<Byte>& Data, size_t Piece) {
    TMemoryStream s;
    void* state = nullptr;
    for (size_t at = 0; at < Data.size(); at += Piece)
        TiffLZWEncode(Data.data() + at, Integer(std::min(Piece, Data.size() - at)), &s, state);
    if (Data.empty()) TiffLZWEncode(Data.data(), 0, &s, state);
    TiffLZWEncode(nullptr, 0, &s, state);
    EXPECT_EQ(state, nullptr);
    return BytesOf(s);
}

// Decodes Strip in calls of Row bytes, Rows times. The strip is copied into a block of exactly its
// size, so reading past it is caught by the sanitizers.
std::vector<Byte> TiffDecode(const std::vector<Byte>& Strip, int Row, int Rows, bool* Failed = nullptr) {
    std::unique_ptr<Byte[]> exact(new Byte[Strip.size() ? Strip.size() : 1]);
    if (!Strip.empty()) std::memcpy(exact.get(), Strip.data(), Strip.size());
    std::vector<Byte> out;
    void* state = nullptr;
    if (Failed) *Failed = false;
    for (int r = 0; r < Rows; ++r) {
        const Byte* p = TiffLZWDecode(exact.get(), Row, state, Integer(Strip.size()));
        if (!p) {
            if (Failed) *Failed = true;
            break;
        }
        out.insert(out.end(), p, p + Row);
    }
    EXPECT_EQ(TiffLZWDecode(nullptr, 0, state, 0), nullptr);
    EXPECT_EQ(state, nullptr);
    return out;
}

// The codes of a TIFF strip with the widths the decoder uses, and the table size at each code.
struct TTiffCode {
    int Code, Width, NextFree;
};
std::vector<TTiffCode> TiffCodes(const std::vector<Byte>& Strip) {
    std::vector<TTiffCode> codes;
    Int64 pos = 0;
    int width = 9, nextFree = 258;
    bool afterClear = true;
    while (pos + width <= Int64(Strip.size()) * 8) {
        int code = 0;
        for (int i = 0; i < width; ++i, ++pos) code = (code << 1) | ((Strip[size_t(pos >> 3)] >> (7 - (pos & 7))) & 1);
        codes.push_back({code, width, nextFree});
        if (code == 257) break;
        if (code == 256) {
            width = 9;
            nextFree = 258;
            afterClear = true;
            continue;
        }
        if (afterClear) {
            afterClear = false;
            continue;
        }
        ++nextFree;
        if (nextFree == 511 || nextFree == 1023 || nextFree == 2047) ++width;
    }
    return codes;
}

}  // namespace

TEST(TiffLZW, DecodesTheCodesOfAShortStrip) {
    // Clear, 65, 66, 258 ("A B"), end of information, all 9 bits wide.
    const std::vector<Byte> strip = MsbCodes({{256, 9}, {65, 9}, {66, 9}, {258, 9}, {257, 9}});
    EXPECT_EQ(TiffDecode(strip, 4, 1), (std::vector<Byte>{65, 66, 65, 66}));
    // Asking for more than the strip holds gives zeros after the end of information, and the
    // strip's end works as one too.
    EXPECT_EQ(TiffDecode(strip, 3, 2), (std::vector<Byte>{65, 66, 65, 66, 0, 0}));
    const std::vector<Byte> noEnd = MsbCodes({{256, 9}, {65, 9}, {66, 9}});
    EXPECT_EQ(TiffDecode(noEnd, 3, 1), (std::vector<Byte>{65, 66, 0}));
    // A code beyond the table fails the call; one right at the next free code is K w K.
    bool failed = false;
    TiffDecode(MsbCodes({{256, 9}, {65, 9}, {300, 9}}), 4, 1, &failed);
    EXPECT_TRUE(failed);
    EXPECT_EQ(TiffDecode(MsbCodes({{256, 9}, {65, 9}, {258, 9}, {257, 9}}), 3, 1),
              (std::vector<Byte>{65, 65, 65}));
    // Data that does not begin with a clear code.
    EXPECT_EQ(TiffDecode(MsbCodes({{65, 9}, {66, 9}, {258, 9}, {257, 9}}), 4, 1),
              (std::vector<Byte>{65, 66, 65, 66}));
    // Nothing at all.
    EXPECT_EQ(TiffDecode({}, 2, 1), (std::vector<Byte>{0, 0}));
}

TEST(TiffLZW, RowsDecodeLikeTheWholeStripAndRoundTrip) {
    const struct {
        const char* kind;
        int row, rows;
        size_t piece;  // bytes per encoder call
    } cases[] = {
        {"flat", 23, 400, 23},     // strings far longer than a row
        {"ramp", 5, 1000, 1},      {"noise", 97, 61, 4096}, {"ramp", 3000, 40, 3000},
        {"noise", 1, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " " << c.row << " x " << c.rows);
        const std::vector<Byte> data = Pattern(c.kind, c.row * c.rows, 8);
        const std::vector<Byte> strip = TiffEncode(data, c.piece);
        EXPECT_EQ(TiffDecode(strip, c.row, c.rows), data);
        EXPECT_EQ(TiffDecode(strip, c.row * c.rows, 1), data);
        // Encoding in other pieces gives the same bytes.
        EXPECT_EQ(TiffEncode(data, 7), strip);
    }
}

TEST(TiffLZW, EncoderStartsANewTableAfterCode4093) {
    const std::vector<Byte> data = Pattern("noise", 20000, 8);
    const std::vector<TTiffCode> codes = TiffCodes(TiffEncode(data, data.size()));
    ASSERT_GT(codes.size(), 2u);
    EXPECT_EQ(codes.front().Code, 256);
    EXPECT_EQ(codes.back().Code, 257);
    // The width grows one code early: the first 10-bit code comes when the table reaches 511.
    for (size_t i = 1; i < codes.size() && codes[i].Code != 256; ++i)
        EXPECT_EQ(codes[i].Width, codes[i].NextFree < 511 ? 9 : codes[i].NextFree < 1023 ? 10
                                                         : codes[i].NextFree < 2047 ? 11 : 12);
    int clears = 0;
    for (size_t i = 1; i < codes.size(); ++i) {
        if (codes[i].Code != 256) continue;
        ++clears;
        // The code before it gave out 4093: the table is at 4094 when the clear comes, 12 bits wide.
        EXPECT_EQ(codes[i].NextFree, 4094);
        EXPECT_EQ(codes[i].Width, 12);
        ASSERT_LT(i + 1, codes.size());
        EXPECT_EQ(codes[i + 1].Width, 9);
    }
    EXPECT_GE(clears, 2);
    EXPECT_EQ(TiffDecode(TiffEncode(data, 1000), 1000, 20), data);
}

namespace {

// A one-strip, 8-bit grey TIFF around an LZW strip.
std::vector<Byte> GreyTiff(int Width, int Height, const std::vector<Byte>& Strip) {
    std::vector<Byte> t = {'I', 'I', 42, 0, 8, 0, 0, 0};
    const struct {
        Word tag;
        Cardinal value;
    } entries[] = {{256, Cardinal(Width)}, {257, Cardinal(Height)}, {258, 8}, {259, 5}, {262, 1},
                   {273, 0},  // strip offset, set below
                   {277, 1}, {278, Cardinal(Height)}, {279, Cardinal(Strip.size())}};
    const Cardinal count = sizeof entries / sizeof entries[0];
    const Cardinal stripAt = 8 + 2 + count * 12 + 4;
    auto le = [&](Cardinal v, int bytes) {
        for (int i = 0; i < bytes; ++i) t.push_back(Byte(v >> (8 * i)));
    };
    le(count, 2);
    for (const auto& e : entries) {
        le(e.tag, 2);
        le(4, 2);  // LONG
        le(1, 4);
        le(e.tag == 273 ? stripAt : e.value, 4);
    }
    le(0, 4);
    t.insert(t.end(), Strip.begin(), Strip.end());
    return t;
}

// The strip of a one-strip little-endian TIFF (empty when it has another shape).
std::vector<Byte> OnlyStrip(const std::vector<Byte>& Tiff) {
    auto le = [&](size_t at, int bytes) {
        Cardinal v = 0;
        for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | (at + size_t(i) < Tiff.size() ? Tiff[at + size_t(i)] : 0);
        return v;
    };
    if (Tiff.size() < 8 || Tiff[0] != 'I') return {};
    const size_t ifd = le(4, 4);
    Cardinal offset = 0, bytes = 0, strips = 0;
    for (Cardinal i = 0, n = le(ifd, 2); i < n; ++i) {
        const size_t e = ifd + 2 + i * 12;
        const Cardinal tag = le(e, 2), type = le(e + 2, 2), value = le(e + 8, type == 3 ? 2 : 4);
        if (tag == 273) {
            offset = value;
            strips = le(e + 4, 4);
        }
        if (tag == 279) bytes = value;
    }
    if (strips != 1 || size_t(offset) + bytes > Tiff.size()) return {};
    return std::vector<Byte>(Tiff.begin() + offset, Tiff.begin() + offset + bytes);
}

}  // namespace

TEST(TiffLZW, StripsGoBothWaysWithLibtiff) {
    if (!oracle::HaveTool("convert")) GTEST_SKIP() << "needs imagemagick (its TIFF reader and writer are libtiff)";
    std::string folder = (std::filesystem::temp_directory_path() / "lumora-lzw-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    const int w = 301, h = 47;
    // Noise on top (the table fills and is cleared), long runs below.
    std::vector<Byte> grey = Pattern("noise", w * h / 2, 8);
    const std::vector<Byte> ramp = Pattern("ramp", w * h - int(grey.size()), 8);
    grey.insert(grey.end(), ramp.begin(), ramp.end());

    // Ours, read by libtiff.
    const std::vector<Byte> tiff = GreyTiff(w, h, TiffEncode(grey, size_t(w)));
    const std::string ours = folder + "/ours.tif";
    std::ofstream(ours, std::ios::binary)
        .write(reinterpret_cast<const char*>(tiff.data()), std::streamsize(tiff.size()));
    oracle::TImage read;
    ASSERT_TRUE(oracle::RunPNM("convert '" + ours + "' -depth 8 pgm:-", read));
    ASSERT_EQ(read.RGB.size(), grey.size() * 3);
    for (size_t i = 0; i < grey.size(); ++i) ASSERT_EQ(read.RGB[i * 3], grey[i]) << "pixel " << i;

    // libtiff's, read by ours a row at a time.
    const std::string pgm = folder + "/grey.pgm", theirs = folder + "/theirs.tif";
    {
        std::ofstream out(pgm, std::ios::binary);
        out << "P5\n" << w << " " << h << "\n255\n";
        out.write(reinterpret_cast<const char*>(grey.data()), std::streamsize(grey.size()));
    }
    ASSERT_EQ(std::system(("convert '" + pgm + "' -compress LZW -define tiff:predictor=1 -define tiff:rows-per-strip=" +
                           std::to_string(h) + " '" + theirs + "'").c_str()),
              0);
    std::ifstream in(theirs, std::ios::binary);
    const std::vector<Byte> strip = OnlyStrip(std::vector<Byte>(std::istreambuf_iterator<char>(in), {}));
    ASSERT_FALSE(strip.empty());
    EXPECT_TRUE(TiffDecode(strip, w, h) == grey);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}
