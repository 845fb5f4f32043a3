// The fax coders: code tables, the structure of Group 3 and Group 4 strips, round trips through
// every coder, fill order, end-of-line codes inside rows, uncompressed mode, damaged strips, and
// the strips of libtiff (tiffcp) both ways; our Group 4 strips equal libtiff's byte for byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "imaging/formats/ccitt_codec.h"
#include "imaging/formats/tests/tiff_test_support.h"

namespace {

using tifftest::Bytes;
using Rows = std::vector<Bytes>;

enum class TCoding { MH, G3_1D, G3_2D, G4 };

Integer RowBytes(Integer Width) { return (Width + 7) / 8; }

bool Pixel(const Bytes& Row, Integer X) { return (Row[size_t(X >> 3)] >> (7 - (X & 7))) & 1; }
void SetPixel(Bytes& Row, Integer X) { Row[size_t(X >> 3)] |= Byte(0x80 >> (X & 7)); }

// A page of rows in which 1 is black: white and black rows, a row that starts black, single
// pixels, blocks, slanted edges (every vertical offset), long runs and scattered dots.
Rows FaxPage(Integer Width, Integer Height) {
    Rows rows;
    uint32_t seed = 12345;
    auto rnd = [&] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    for (Integer y = 0; y < Height; ++y) {
        Bytes row(size_t(RowBytes(Width)), 0);
        auto set = [&](Integer x) {
            if (x >= 0 && x < Width) SetPixel(row, x);
        };
        switch (y % 12) {
        case 0: break;
        case 1:
            for (Integer x = 0; x < Width; ++x) set(x);
            break;
        case 2:
            for (Integer x = 0; x < 5; ++x) set(x);
            set(Width - 1);
            break;
        case 3:
            for (Integer x = 0; x < Width; x += 2) set(x);
            break;
        default:
            for (Integer x = Width / 10; x < Width / 3; ++x) set(x);               // a block
            for (Integer d = -1; d <= 1; ++d) set(Width / 2 + (y * (y % 5)) % 7 + d);  // slanted edges
            for (Integer x = Width / 2 + 20; x < Width; ++x)
                if (rnd() % 23 == 0) set(x);  // dots
            if (y % 12 == 11) rows.push_back(rows.back());  // a row equal to the one above
            break;
        }
        if (Integer(rows.size()) < Height) rows.push_back(row);
    }
    rows.resize(size_t(Height));
    return rows;
}

Rows Inverted(const Rows& Source) {
    Rows out = Source;
    for (Bytes& r : out)
        for (Byte& b : r) b = Byte(~b);
    return out;
}

// Our strip of the rows (1 black) in a coding.
Bytes EncodeStrip(const Rows& Page, Integer Width, TCoding Coding) {
    TMemoryStream s;
    TCCITTEncodeState state;
    for (const Bytes& row : Page) {
        switch (Coding) {
        case TCoding::MH: CCITTEncodeMH(row.data(), Width, &s); break;
        case TCoding::G3_1D: CCITTEncode1D(row.data(), Width, &s, state); break;
        case TCoding::G3_2D: CCITTEncode2D(row.data(), Width, &s, state); break;
        case TCoding::G4: CCITTEncodeG4(row.data(), Width, &s, state); break;
        }
    }
    if (Coding == TCoding::G3_1D) CCITTEncode1D(nullptr, Width, &s, state);
    if (Coding == TCoding::G3_2D) CCITTEncode2D(nullptr, Width, &s, state);
    if (Coding == TCoding::G4) CCITTEncodeG4(nullptr, Width, &s, state);
    return reftools::BytesOf(s);
}

// Our decoding of a strip into Rows rows (1 white), as the TIFF reader calls the decoders;
// only the Width pixels of each row are kept (the rest cleared).
Rows DecodeStrip(const Bytes& Strip, Integer Width, Integer Height, TCoding Coding, Integer FillOrder = 1) {
    Rows rows;
    Bytes reference(size_t(RowBytes(Width)), 0xFF);
    Int64 bit = 0;
    for (Integer y = 0; y < Height; ++y) {
        Bytes row(size_t(RowBytes(Width)), 0x5A);
        switch (Coding) {
        case TCoding::MH: {
            const Int64 at = bit / 8;
            bit += Int64(CCITTDecodeMH(row.data(), Strip.data() + std::min<Int64>(at, Int64(Strip.size())),
                                       std::max<Int64>(0, Int64(Strip.size()) - at), Width, FillOrder)) * 8;
            break;
        }
        case TCoding::G3_1D:
            bit = CCITTDecode1D(row.data(), Strip.data(), Int64(Strip.size()), Width, FillOrder, bit);
            break;
        case TCoding::G3_2D:
        case TCoding::G4:
            bit = CCITTDecode2D(row.data(), Strip.data(), Int64(Strip.size()), Width, FillOrder, bit,
                                reference.data());
            break;
        }
        EXPECT_LE(bit, Int64(Strip.size()) * 8) << "row " << y;
        for (Integer x = Width; x < RowBytes(Width) * 8; ++x) row[size_t(x >> 3)] &= Byte(~(0x80 >> (x & 7)));
        rows.push_back(row);
    }
    return rows;
}

// The rows with the padding bits past Width cleared.
Rows Trimmed(Rows Page, Integer Width) {
    for (Bytes& row : Page)
        for (Integer x = Width; x < RowBytes(Width) * 8; ++x) row[size_t(x >> 3)] &= Byte(~(0x80 >> (x & 7)));
    return Page;
}

// Bits of a strip as text, most significant first.
std::string BitText(const Bytes& Data, size_t Bits) {
    std::string s;
    for (size_t i = 0; i < Bits && i / 8 < Data.size(); ++i) s += (Data[i / 8] >> (7 - i % 8)) & 1 ? '1' : '0';
    return s;
}

// Bytes from bit text (padded with zero bits).
Bytes FromBits(const std::string& Text) {
    Bytes b((Text.size() + 7) / 8, 0);
    for (size_t i = 0; i < Text.size(); ++i)
        if (Text[i] == '1') b[i / 8] |= Byte(0x80 >> (i % 8));
    return b;
}

const std::string kEOL = "000000000001";

TEST(CCITTFax, RunsAreWrittenWithMakeUpAndTerminatingCodes) {
    struct TCase {
        const char* Name;
        Integer Width;
        std::function<bool(Integer)> Black;
        std::string Bits;  // the modified Huffman row before its padding
    };
    const TCase cases[] = {
        // White 1728: make-up 1728 and terminating 0; no black run of 0 follows.
        {"white 1728", 1728, [](Integer) { return false; }, "010011011" "00110101"},
        // 3000 = 2560 + 384 + 56.
        {"white 3000", 3000, [](Integer) { return false; }, "000000011111" "00110111" "01011001"},
        {"black 3000", 3000, [](Integer) { return true; },
         "00110101" "000000011111" "000000110100" "000000101000"},
        // A row starting black begins with a white run of 0; black 2 then white 62 + 64.
        {"black 2, white 126", 128, [](Integer x) { return x < 2; }, "00110101" "11" "11011" "00110011"},
        {"white 2623", 2623, [](Integer) { return false; }, "000000011111" "00110100"},
        {"white 2624", 2624, [](Integer) { return false; }, "000000011111" "11011" "00110101"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Bytes row(size_t(RowBytes(c.Width)), 0);
        for (Integer x = 0; x < c.Width; ++x)
            if (c.Black(x)) SetPixel(row, x);
        TMemoryStream s;
        CCITTEncodeMH(row.data(), c.Width, &s);
        const Bytes strip = reftools::BytesOf(s);
        EXPECT_EQ(strip.size(), (c.Bits.size() + 7) / 8);
        EXPECT_EQ(BitText(strip, strip.size() * 8), c.Bits + std::string(strip.size() * 8 - c.Bits.size(), '0'));
        // And it decodes back, using every byte.
        Bytes back(row.size(), 0);
        EXPECT_EQ(CCITTDecodeMH(back.data(), strip.data(), Int64(strip.size()), c.Width, 1), Integer(strip.size()));
        for (Integer x = 0; x < c.Width; ++x) ASSERT_EQ(Pixel(back, x), !c.Black(x)) << "pixel " << x;
    }
}

TEST(CCITTFax, StripsHaveTheirEndOfLineStructure) {
    const Integer w = 16;
    // White 16; black 4 to 11; the same again.
    const Rows page = {Bytes{0x00, 0x00}, Bytes{0x0F, 0xF0}, Bytes{0x0F, 0xF0}};
    const std::string white16 = "101010";
    const std::string oneD = "1011" "000101" "1011";          // white 4, black 8, white 4
    const std::string twoD1 = "001" "1011" "000101" "1";      // horizontal white 4, black 8; V0
    const std::string twoD2 = "111";                          // V0 three times
    auto padded = [](std::string Bits) { return Bits + std::string((8 - Bits.size() % 8) % 8, '0'); };
    auto bits = [&](TCoding Coding) {
        const Bytes strip = EncodeStrip(page, w, Coding);
        return BitText(strip, strip.size() * 8);
    };
    // Group 3 two-dimensional: EOL + tag 1 and a one-dimensional first row, EOL + tag 0 before
    // each later row, an EOL at the end, then zero bits to the byte.
    EXPECT_EQ(bits(TCoding::G3_2D), padded(kEOL + "1" + white16 + kEOL + "0" + twoD1 + kEOL + "0" + twoD2 + kEOL));
    // Group 4: the rows without EOLs (the first against a white row), then the end-of-facsimile
    // block.
    EXPECT_EQ(bits(TCoding::G4), padded("1" + twoD1 + twoD2 + kEOL + kEOL));
    // Group 3 one-dimensional: an EOL before every row.
    EXPECT_EQ(bits(TCoding::G3_1D), padded(kEOL + white16 + kEOL + oneD + kEOL + oneD));
    // Modified Huffman: every row on its own bytes.
    EXPECT_EQ(bits(TCoding::MH), padded(white16) + padded(oneD) + padded(oneD));
}

TEST(CCITTFax, EveryCodingRoundTrips) {
    for (Integer w : {1, 7, 8, 9, 63, 64, 65, 1728, 2561, 3000}) {
        const Rows page = FaxPage(w, 30);
        for (TCoding c : {TCoding::MH, TCoding::G3_1D, TCoding::G3_2D, TCoding::G4}) {
            SCOPED_TRACE("width " + std::to_string(w) + ", coding " + std::to_string(int(c)));
            const Bytes strip = EncodeStrip(page, w, c);
            EXPECT_EQ(DecodeStrip(strip, w, 30, c), Trimmed(Inverted(page), w));
        }
    }
}

TEST(CCITTFax, FillOrder2ReadsTheBitsOfEachByteReversed) {
    const Integer w = 200;
    const Rows page = FaxPage(w, 25);
    for (TCoding c : {TCoding::MH, TCoding::G3_1D, TCoding::G3_2D, TCoding::G4}) {
        Bytes strip = EncodeStrip(page, w, c);
        const Rows msbFirst = DecodeStrip(strip, w, 25, c, 1);
        for (Byte& b : strip) {
            Byte r = 0;
            for (int i = 0; i < 8; ++i)
                if (b & (1 << i)) r |= Byte(0x80 >> i);
            b = r;
        }
        EXPECT_EQ(DecodeStrip(strip, w, 25, c, 2), msbFirst);
    }
}

TEST(CCITTFax, EndOfLineCodesInsideARow) {
    const Integer w = 40;
    Bytes row(5, 0);
    // One-dimensional: white 10, then an EOL: the rest takes the colour of the run in progress
    // (black, after the white run) and the code is used up. An EOL right at the row's start is
    // skipped, also with fill bits before it.
    const Bytes data = FromBits("00111" + kEOL + "0000" + kEOL + "0101011" "000011000");
    Int64 bit = CCITTDecode1D(row.data(), data.data(), Int64(data.size()), w, 1, 0);
    EXPECT_EQ(bit, 5 + 12);
    for (Integer x = 0; x < w; ++x) EXPECT_EQ(Pixel(row, x), x < 10) << x;
    bit = CCITTDecode1D(row.data(), data.data(), Int64(data.size()), w, 1, bit);
    EXPECT_EQ(bit, 17 + 16 + 7 + 9);  // white 25, black 15
    for (Integer x = 0; x < w; ++x) EXPECT_EQ(Pixel(row, x), x < 25) << x;

    // Two-dimensional: an EOL after the start stays for the next row and the row ends in the
    // current colour; at the start its tag bit 1 switches to one-dimensional coding.
    Bytes ref(5, 0xFF);
    const Bytes d2 = FromBits("001" "0111" "11" + kEOL + "1" "101010" "11" "0000011");
    bit = CCITTDecode2D(row.data(), d2.data(), Int64(d2.size()), w, 1, 0, ref.data());
    EXPECT_EQ(bit, 3 + 4 + 2);
    for (Integer x = 0; x < w; ++x) EXPECT_EQ(Pixel(row, x), x < 2 || x >= 4) << x;  // white 2, black 2, white
    bit = CCITTDecode2D(row.data(), d2.data(), Int64(d2.size()), w, 1, bit, ref.data());
    EXPECT_EQ(bit, 9 + 13 + 6 + 2 + 7);
    for (Integer x = 0; x < w; ++x) EXPECT_EQ(Pixel(row, x), x < 16 || x >= 18) << x;
    EXPECT_EQ(ref, row);
}

TEST(CCITTFax, UncompressedModeSetsItsPixels) {
    // Entry, then: black; white white black; five white; exit after no white with the colour
    // black next; then horizontal black 3, white 4.
    const Bytes data = FromBits("0000001111" "1" "001" "000001" "0000001" "1" "001" "10" "1011");
    Bytes row(2, 0), ref(2, 0xFF);
    const Int64 bit = CCITTDecode2D(row.data(), data.data(), Int64(data.size()), 16, 1, 0, ref.data());
    EXPECT_EQ(bit, 10 + 1 + 3 + 6 + 8 + 3 + 2 + 4);
    const std::string expected = "0110111110001111";  // 1 white
    for (Integer x = 0; x < 16; ++x) EXPECT_EQ(Pixel(row, x), expected[size_t(x)] == '1') << x;
}

TEST(CCITTFax, DamagedStripsEndEveryRow) {
    const Integer w = 300;
    const Rows page = FaxPage(w, 24);
    uint32_t seed = 99;
    auto rnd = [&] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (TCoding c : {TCoding::MH, TCoding::G3_1D, TCoding::G3_2D, TCoding::G4}) {
        const Bytes strip = EncodeStrip(page, w, c);
        // Cut short at many lengths: the rows end, positions stay within the data.
        for (size_t n = 0; n < strip.size(); n += 7)
            DecodeStrip(Bytes(strip.begin(), strip.begin() + long(n)), w, 24, c);
        // Flipped bits and random bytes.
        for (int k = 0; k < 40; ++k) {
            Bytes bad = strip;
            for (int i = 0; i < 6; ++i) bad[rnd() % bad.size()] ^= Byte(1 << (rnd() % 8));
            DecodeStrip(bad, w, 24, c);
            Bytes noise(64);
            for (Byte& b : noise) b = Byte(rnd());
            DecodeStrip(noise, w, 24, c, 1 + k % 2);
        }
    }
    // A vertical code that puts a1 left of a0 ends the row in the current colour. Reference
    // (1 white): white 4, black 4, white 1, black 7; V0 (a1 = 4), VL3 (a1 = 8 - 3 = 5), VL3 (a1 =
    // 9 - 3 = 6), VL3 (a1 = 8 - 3 = 5, left of a0 = 6).
    Bytes row(2, 0), ref = {0xF0, 0x80};
    const Bytes bad = FromBits("1" "0000010" "0000010" "0000010");
    CCITTDecode2D(row.data(), bad.data(), Int64(bad.size()), 16, 1, 0, ref.data());
    for (Integer x = 0; x < 16; ++x) EXPECT_EQ(Pixel(row, x), x < 4 || x == 5) << x;
}

// ---- against libtiff ----------------------------------------------------------------------------

class CCITTLibtiff : public ::testing::Test {
protected:
    void SetUp() override {
        if (!tifftest::HaveLibtiffTools()) GTEST_SKIP() << "needs libtiff-tools";
    }
    static std::string Path(const std::string& Name) { return reftools::TempPath("ccitt_" + Name); }

    // libtiff's strip (one strip) of the page after tiffcp with Options, from our uncompressed TIFF.
    static Bytes LibtiffStrip(const Rows& Page, Integer Width, const std::string& Options, tifftest::TDirectory* Dir) {
        Bytes raw;
        for (const Bytes& r : Page) raw.insert(raw.end(), r.begin(), r.end());
        const std::string in = Path("raw.tif"), out = Path("coded.tif");
        reftools::WriteFile(in, tifftest::OneStripBilevel(Width, Integer(Page.size()), raw, 1));
        EXPECT_EQ(reftools::Run("tiffcp -r 100000 " + Options + " '" + in + "' '" + out + "'"), 0);
        const Bytes file = reftools::ReadFile(out);
        const tifftest::TFile f = tifftest::Parse(file);
        if (f.Pages.empty()) return {};
        if (Dir) *Dir = f.Pages[0];
        const auto strips = tifftest::Strips(file, f.Pages[0]);
        return strips.size() == 1 ? strips[0] : Bytes{};
    }

    // The rows libtiff decodes from our strip (tiffcp to uncompressed, rows of 1 black).
    static Rows LibtiffRows(const Bytes& Strip, Integer Width, Integer Height, Integer Compression, Integer T4) {
        const std::string in = Path("ours.tif"), out = Path("plain.tif");
        reftools::WriteFile(in, tifftest::OneStripBilevel(Width, Height, Strip, Compression, 0, 1, T4));
        const tifftest::TToolRun r = tifftest::RunTool("tiffcp -r 100000 -c none '" + in + "' '" + out + "'");
        EXPECT_EQ(r.Status, 0) << r.Output;
        EXPECT_EQ(r.Output.find("rror"), std::string::npos) << r.Output;
        const Bytes file = reftools::ReadFile(out);
        const tifftest::TFile f = tifftest::Parse(file);
        Rows rows;
        if (f.Pages.empty()) return rows;
        const auto strips = tifftest::Strips(file, f.Pages[0]);
        Bytes all;
        for (const Bytes& s : strips) all.insert(all.end(), s.begin(), s.end());
        for (Integer y = 0; y < Height && size_t(y + 1) * size_t(RowBytes(Width)) <= all.size(); ++y)
            rows.emplace_back(all.begin() + long(y) * RowBytes(Width), all.begin() + long(y + 1) * RowBytes(Width));
        return rows;
    }
};

TEST_F(CCITTLibtiff, OurGroup4StripsEqualLibtiffs) {
    for (Integer w : {9, 1728, 2480, 3000}) {
        SCOPED_TRACE("width " + std::to_string(w));
        const Rows page = FaxPage(w, 48);
        const Bytes theirs = LibtiffStrip(page, w, "-c g4", nullptr);
        ASSERT_FALSE(theirs.empty());
        EXPECT_TRUE(EncodeStrip(page, w, TCoding::G4) == theirs);
    }
}

TEST_F(CCITTLibtiff, WeDecodeLibtiffsStrips) {
    const Integer w = 1000, h = 40;
    const Rows page = FaxPage(w, h);
    struct TCase {
        const char* Options;
        TCoding Coding;
    };
    for (const TCase& c : {TCase{"-c g3", TCoding::G3_1D}, TCase{"-c g3:fill", TCoding::G3_1D},
                           TCase{"-c g3:2d", TCoding::G3_2D}, TCase{"-c g3:2d:fill", TCoding::G3_2D},
                           TCase{"-c g4", TCoding::G4}, TCase{"-c g3:2d -f lsb2msb", TCoding::G3_2D},
                           TCase{"-c g4 -f lsb2msb", TCoding::G4}}) {
        SCOPED_TRACE(c.Options);
        tifftest::TDirectory dir;
        const Bytes strip = LibtiffStrip(page, w, c.Options, &dir);
        ASSERT_FALSE(strip.empty());
        EXPECT_EQ(DecodeStrip(strip, w, h, c.Coding, Integer(dir.Get(266, 1))), Trimmed(Inverted(page), w));
    }
}

TEST_F(CCITTLibtiff, LibtiffDecodesOurStrips) {
    const Integer w = 1000, h = 40;
    const Rows page = FaxPage(w, h);
    struct TCase {
        TCoding Coding;
        Integer Compression, T4;
    };
    for (const TCase& c : {TCase{TCoding::MH, 2, -1}, TCase{TCoding::G3_1D, 3, 0}, TCase{TCoding::G3_2D, 3, 1},
                           TCase{TCoding::G4, 4, -1}}) {
        SCOPED_TRACE(int(c.Coding));
        EXPECT_EQ(LibtiffRows(EncodeStrip(page, w, c.Coding), w, h, c.Compression, c.T4), Trimmed(page, w));
    }
}

}  // namespace
