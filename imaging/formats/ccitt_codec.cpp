#include "imaging/formats/ccitt_codec.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "imaging/img_utils.h"

namespace {

// ---- code tables -------------------------------------------------------------------------------

struct TCode {
    Word Run;
    Byte Length;
    Cardinal Bits;  // the code, right-aligned
};

// Codes written as text, so the tables read as the recommendation prints them.
constexpr Cardinal Bin(const char* s) {
    Cardinal v = 0;
    for (; *s; ++s) v = (v << 1) | Cardinal(*s == '1');
    return v;
}
constexpr Byte Len(const char* s) {
    Byte n = 0;
    while (s[n]) ++n;
    return n;
}
#define C(run, code) TCode{run, Len(code), Bin(code)}

const TCode kWhiteTerminating[64] = {
    C(0, "00110101"), C(1, "000111"),   C(2, "0111"),     C(3, "1000"),     C(4, "1011"),
    C(5, "1100"),     C(6, "1110"),     C(7, "1111"),     C(8, "10011"),    C(9, "10100"),
    C(10, "00111"),   C(11, "01000"),   C(12, "001000"),  C(13, "000011"),  C(14, "110100"),
    C(15, "110101"),  C(16, "101010"),  C(17, "101011"),  C(18, "0100111"), C(19, "0001100"),
    C(20, "0001000"), C(21, "0010111"), C(22, "0000011"), C(23, "0000100"), C(24, "0101000"),
    C(25, "0101011"), C(26, "0010011"), C(27, "0100100"), C(28, "0011000"), C(29, "00000010"),
    C(30, "00000011"), C(31, "00011010"), C(32, "00011011"), C(33, "00010010"), C(34, "00010011"),
    C(35, "00010100"), C(36, "00010101"), C(37, "00010110"), C(38, "00010111"), C(39, "00101000"),
    C(40, "00101001"), C(41, "00101010"), C(42, "00101011"), C(43, "00101100"), C(44, "00101101"),
    C(45, "00000100"), C(46, "00000101"), C(47, "00001010"), C(48, "00001011"), C(49, "01010010"),
    C(50, "01010011"), C(51, "01010100"), C(52, "01010101"), C(53, "00100100"), C(54, "00100101"),
    C(55, "01011000"), C(56, "01011001"), C(57, "01011010"), C(58, "01011011"), C(59, "01001010"),
    C(60, "01001011"), C(61, "00110010"), C(62, "00110011"), C(63, "00110100"),
};
const TCode kWhiteMakeUp[27] = {
    C(64, "11011"),       C(128, "10010"),      C(192, "010111"),     C(256, "0110111"),
    C(320, "00110110"),   C(384, "00110111"),   C(448, "01100100"),   C(512, "01100101"),
    C(576, "01101000"),   C(640, "01100111"),   C(704, "011001100"),  C(768, "011001101"),
    C(832, "011010010"),  C(896, "011010011"),  C(960, "011010100"),  C(1024, "011010101"),
    C(1088, "011010110"), C(1152, "011010111"), C(1216, "011011000"), C(1280, "011011001"),
    C(1344, "011011010"), C(1408, "011011011"), C(1472, "010011000"), C(1536, "010011001"),
    C(1600, "010011010"), C(1664, "011000"),    C(1728, "010011011"),
};
const TCode kBlackTerminating[64] = {
    C(0, "0000110111"),    C(1, "010"),           C(2, "11"),            C(3, "10"),
    C(4, "011"),           C(5, "0011"),          C(6, "0010"),          C(7, "00011"),
    C(8, "000101"),        C(9, "000100"),        C(10, "0000100"),      C(11, "0000101"),
    C(12, "0000111"),      C(13, "00000100"),     C(14, "00000111"),     C(15, "000011000"),
    C(16, "0000010111"),   C(17, "0000011000"),   C(18, "0000001000"),   C(19, "00001100111"),
    C(20, "00001101000"),  C(21, "00001101100"),  C(22, "00000110111"),  C(23, "00000101000"),
    C(24, "00000010111"),  C(25, "00000011000"),  C(26, "000011001010"), C(27, "000011001011"),
    C(28, "000011001100"), C(29, "000011001101"), C(30, "000001101000"), C(31, "000001101001"),
    C(32, "000001101010"), C(33, "000001101011"), C(34, "000011010010"), C(35, "000011010011"),
    C(36, "000011010100"), C(37, "000011010101"), C(38, "000011010110"), C(39, "000011010111"),
    C(40, "000001101100"), C(41, "000001101101"), C(42, "000011011010"), C(43, "000011011011"),
    C(44, "000001010100"), C(45, "000001010101"), C(46, "000001010110"), C(47, "000001010111"),
    C(48, "000001100100"), C(49, "000001100101"), C(50, "000001010010"), C(51, "000001010011"),
    C(52, "000000100100"), C(53, "000000110111"), C(54, "000000111000"), C(55, "000000100111"),
    C(56, "000000101000"), C(57, "000001011000"), C(58, "000001011001"), C(59, "000000101011"),
    C(60, "000000101100"), C(61, "000001011010"), C(62, "000001100110"), C(63, "000001100111"),
};
const TCode kBlackMakeUp[27] = {
    C(64, "0000001111"),     C(128, "000011001000"),  C(192, "000011001001"),  C(256, "000001011011"),
    C(320, "000000110011"),  C(384, "000000110100"),  C(448, "000000110101"),  C(512, "0000001101100"),
    C(576, "0000001101101"), C(640, "0000001001010"), C(704, "0000001001011"), C(768, "0000001001100"),
    C(832, "0000001001101"), C(896, "0000001110010"), C(960, "0000001110011"), C(1024, "0000001110100"),
    C(1088, "0000001110101"), C(1152, "0000001110110"), C(1216, "0000001110111"), C(1280, "0000001010010"),
    C(1344, "0000001010011"), C(1408, "0000001010100"), C(1472, "0000001010101"), C(1536, "0000001011010"),
    C(1600, "0000001011011"), C(1664, "0000001100100"), C(1728, "0000001100101"),
};
// Make-up codes of both colours for 1792 to 2560.
const TCode kExtendedMakeUp[13] = {
    C(1792, "00000001000"),  C(1856, "00000001100"),  C(1920, "00000001101"),  C(1984, "000000010010"),
    C(2048, "000000010011"), C(2112, "000000010100"), C(2176, "000000010101"), C(2240, "000000010110"),
    C(2304, "000000010111"), C(2368, "000000011100"), C(2432, "000000011101"), C(2496, "000000011110"),
    C(2560, "000000011111"),
};
#undef C

constexpr Cardinal kEOL = 1;  // 000000000001
constexpr Integer kEOLLength = 12;
constexpr Cardinal kPass = Bin("0001");
constexpr Cardinal kHorizontal = Bin("001");
// Vertical codes for a1 - b1 = -3 .. 3.
const TCode kVertical[7] = {
    {0, 7, Bin("0000010")}, {0, 6, Bin("000010")}, {0, 3, Bin("010")}, {0, 1, Bin("1")},
    {0, 3, Bin("011")},     {0, 6, Bin("000011")}, {0, 7, Bin("0000011")},
};

// What a one-dimensional code is.
enum TCodeKind : Byte { ckInvalid, ckTerminating, ckMakeUp, ckNoRun };

struct TRunEntry {
    Word Run = 0;
    Byte Length = 0;
    Byte Kind = ckInvalid;
};

// One-dimensional codes looked up by their next 13 bits; patterns of 11 or more zero bits (the
// end-of-line code with any fill before it) and the entry into uncompressed mode are tested
// before the tables.
constexpr Integer kLookBits = 13;

struct TRunTables {
    std::array<TRunEntry, 1 << kLookBits> White{}, Black{};

    TRunTables() {
        auto put = [](std::array<TRunEntry, 1 << kLookBits>& t, const TCode* codes, size_t n, Byte kind) {
            for (size_t i = 0; i < n; ++i) {
                const Integer free = kLookBits - codes[i].Length;
                for (Cardinal s = 0; s < (1u << free); ++s)
                    t[(codes[i].Bits << free) | s] = TRunEntry{codes[i].Run, codes[i].Length, kind};
            }
        };
        for (auto* t : {&White, &Black}) {
            const bool white = t == &White;
            put(*t, white ? kWhiteTerminating : kBlackTerminating, 64, ckTerminating);
            put(*t, white ? kWhiteMakeUp : kBlackMakeUp, 27, ckMakeUp);
            put(*t, kExtendedMakeUp, 13, ckMakeUp);
            // 8, 9 or 10 zero bits and a one: no code of the recommendation, taken as no run.
            for (Integer zeros = 8; zeros <= 10; ++zeros) {
                const TCode c{0, Byte(zeros + 1), 1};
                put(*t, &c, 1, ckNoRun);
            }
        }
    }
};

const TRunTables& RunTables() {
    static const TRunTables tables;
    return tables;
}

const Byte* ReversedBytes() {
    static const auto table = [] {
        std::array<Byte, 256> t{};
        for (Integer i = 0; i < 256; ++i) {
            Byte b = Byte(i);
            ReverseBits8(b);
            t[size_t(i)] = b;
        }
        return t;
    }();
    return table.data();
}

// ---- rows ------------------------------------------------------------------------------------------

inline Integer PixelOf(const Byte* Row, Integer X) { return (Row[X >> 3] >> (7 - (X & 7))) & 1; }

// The first pixel at or after Start (up to Width) whose value is Bit; Width when there is none.
Integer FindPixel(const Byte* Row, Integer Start, Integer Width, Integer Bit) {
    if (Start >= Width) return Width;
    const Byte skip = Bit ? 0x00 : 0xFF;  // bytes without the wanted value
    Integer x = Start;
    // Within the first byte.
    while ((x & 7) && x < Width) {
        if (PixelOf(Row, x) == Bit) return x;
        ++x;
    }
    // Whole bytes.
    while (x < Width && Row[x >> 3] == skip) x += 8;
    while (x < Width) {
        if (PixelOf(Row, x) == Bit) return x;
        ++x;
    }
    return Width;
}

// Sets the pixels From .. To - 1 to Bit.
void FillPixels(Byte* Row, Integer From, Integer To, Integer Bit) {
    if (From >= To) return;
    Integer x = From;
    while ((x & 7) && x < To) {
        const Byte mask = Byte(0x80u >> (x & 7));
        Row[x >> 3] = Bit ? Byte(Row[x >> 3] | mask) : Byte(Row[x >> 3] & ~mask);
        ++x;
    }
    const Integer whole = (To - x) >> 3;
    if (whole > 0) {
        std::memset(Row + (x >> 3), Bit ? 0xFF : 0x00, size_t(whole));
        x += whole * 8;
    }
    while (x < To) {
        const Byte mask = Byte(0x80u >> (x & 7));
        Row[x >> 3] = Bit ? Byte(Row[x >> 3] | mask) : Byte(Row[x >> 3] & ~mask);
        ++x;
    }
}

// The changing elements b1 and b2 of the reference row for a0 (-1 before the first pixel) whose
// colour is Colour (pixel value): b1 is the first pixel right of a0 where the row changes to the
// other colour, b2 the next change after it. The pixel left of the first counts as White.
void FindB1B2(const Byte* Ref, Integer A0, Integer Colour, Integer White, Integer Width, Integer& B1, Integer& B2) {
    Integer y;  // a pixel at or right of a0 of a0's colour, from which b1 is searched
    if (A0 < 0)
        y = Colour == White ? -1 : FindPixel(Ref, 0, Width, Colour);
    else
        y = FindPixel(Ref, A0, Width, Colour);
    B1 = y >= Width ? Width : FindPixel(Ref, y + 1, Width, 1 - Colour);
    B2 = FindPixel(Ref, B1 + 1, Width, Colour);
}

// ---- reading bits ------------------------------------------------------------------------------

class TBitReader {
public:
    TBitReader(const Byte* Data, Int64 Size, Integer FillOrder, Int64 BitPos)
        : FData(Data),
          FSize(Data && Size > 0 ? Size : 0),
          FReverse(FillOrder == 2 ? ReversedBytes() : nullptr),
          FPos(BitPos < 0 ? 0 : BitPos) {}

    Int64 Position() const { return FPos; }
    bool AtEnd() const { return FPos >= FSize * 8; }
    Int64 BitsLeft() const { return FSize * 8 - FPos; }
    void Skip(Integer Bits) { FPos = std::min(FPos + Bits, std::max(FSize * 8, FPos)); }

    // The next N bits (1 to 25), zeros past the end of the data.
    Cardinal Peek(Integer N) const {
        const Int64 byte = FPos >> 3;
        Cardinal word = 0;
        for (Int64 i = 0; i < 4; ++i) word = (word << 8) | ByteAt(byte + i);
        return (word << (FPos & 7)) >> (32 - N);
    }
    Cardinal Read(Integer N) {
        const Cardinal v = Peek(N);
        Skip(N);
        return v;
    }
    // The zero bits from the position up to the next one bit (at most Limit counted).
    Integer Zeros(Integer Limit) const {
        Integer n = 0;
        Int64 at = FPos;
        const Int64 end = FSize * 8;
        while (n < Limit && at < end) {
            if ((ByteAt(at >> 3) >> (7 - (at & 7))) & 1) return n;
            ++n;
            ++at;
        }
        return at >= end ? Limit : n;
    }

private:
    Byte ByteAt(Int64 i) const {
        if (i >= FSize) return 0;
        return FReverse ? FReverse[FData[i]] : FData[i];
    }

    const Byte* FData;
    Int64 FSize;
    const Byte* FReverse;
    Int64 FPos;
};

// A pattern of 11 or more zero bits ended by a one: the end-of-line code with fill before it.
// Returns its length, or 0 when the bits are another code; -1 when only zeros remain.
Integer EndOfLineAhead(const TBitReader& In) {
    if (In.Peek(11) != 0) return 0;
    const Integer zeros = In.Zeros(1 << 20);
    if (zeros >= (1 << 20) || In.BitsLeft() <= zeros) return -1;
    return zeros + 1;
}

constexpr Cardinal kUncompressed1D = Bin("000000001111");
constexpr Cardinal kUncompressed2D = Bin("0000001111");

// Decodes uncompressed mode (after its entry code) from pixel X, Black and White being pixel
// values. Each code word is k zero bits and a one: k white pixels and a black one (k < 5), five
// white pixels (k = 5), or k - 6 white pixels and the exit, whose next bit tells the colour that
// follows (6 <= k <= 10). Returns false when the data breaks off or holds no such word; Colour
// receives the colour after the exit.
bool DecodeUncompressed(TBitReader& In, Byte* Row, Integer& X, Integer Width, Integer White, Integer& Colour) {
    for (;;) {
        if (In.AtEnd()) return false;
        const Integer k = In.Zeros(11);
        if (k > 10 || In.BitsLeft() <= k) return false;
        In.Skip(k + 1);
        if (k <= 5) {
            const Integer white = std::min(k, Width - X);
            FillPixels(Row, X, X + white, White);
            X += white;
            if (k < 5 && X < Width) {
                FillPixels(Row, X, X + 1, 1 - White);
                ++X;
            }
            continue;
        }
        const Integer white = std::min(k - 6, Width - X);
        FillPixels(Row, X, X + white, White);
        X += white;
        if (In.AtEnd()) return false;
        Colour = In.Read(1) ? 1 - White : White;
        return true;
    }
}

// Reads one one-dimensional code of the colour; Run receives its run.
enum class TRead { Terminating, MakeUp, NoRun, EndOfLine, Uncompressed, Invalid, End };

TRead ReadRunCode(TBitReader& In, bool White, Integer& Run) {
    if (In.AtEnd()) return TRead::End;
    const Integer eol = EndOfLineAhead(In);
    if (eol < 0) {
        In.Skip(Integer(std::min<Int64>(In.BitsLeft(), 1 << 30)));
        return TRead::End;
    }
    if (eol > 0) {
        In.Skip(eol);
        return TRead::EndOfLine;
    }
    if (In.Peek(12) == kUncompressed1D) {
        In.Skip(12);
        return TRead::Uncompressed;
    }
    const TRunEntry& e = (White ? RunTables().White : RunTables().Black)[In.Peek(kLookBits)];
    if (e.Kind == ckInvalid || e.Length > In.BitsLeft()) {
        In.Skip(1);
        return TRead::Invalid;
    }
    In.Skip(e.Length);
    Run = e.Run;
    return e.Kind == ckTerminating ? TRead::Terminating : (e.Kind == ckMakeUp ? TRead::MakeUp : TRead::NoRun);
}

// One-dimensional row coding from the reader's position.
void Decode1DRow(TBitReader& In, Byte* Row, Integer Width) {
    const Int64 start = In.Position();
    Integer colour = 1;  // white
    Integer x = 0;
    bool makeUp = false;
    while (x < Width || makeUp) {
        Integer run = 0;
        const Int64 at = In.Position();
        const TRead code = ReadRunCode(In, colour == 1, run);
        switch (code) {
        case TRead::End:
            FillPixels(Row, x, Width, colour);
            return;
        case TRead::EndOfLine:
            if (at == start) continue;
            FillPixels(Row, x, Width, colour);
            return;
        case TRead::Terminating:
        case TRead::MakeUp: {
            const Integer end = Integer(std::min<Int64>(Int64(x) + run, Width));
            FillPixels(Row, x, end, colour);
            x = end;
            makeUp = code == TRead::MakeUp;
            if (!makeUp) colour = 1 - colour;
            break;
        }
        case TRead::Uncompressed:
            makeUp = false;
            if (!DecodeUncompressed(In, Row, x, Width, 1, colour)) {
                FillPixels(Row, x, Width, colour);
                return;
            }
            break;
        case TRead::NoRun:
        case TRead::Invalid: break;
        }
    }
}

// A run of make-up codes and a terminating code (horizontal mode); false when anything else
// comes first.
bool ReadRun(TBitReader& In, bool White, Integer& Run) {
    Run = 0;
    for (;;) {
        Integer run = 0;
        const TRead code = ReadRunCode(In, White, run);
        if (code == TRead::NoRun) continue;
        if (code != TRead::Terminating && code != TRead::MakeUp) return false;
        Run = Integer(std::min<Int64>(Int64(Run) + run, 1 << 30));
        if (code == TRead::Terminating) return true;
    }
}

// The two-dimensional mode codes.
enum class TMode { Pass, Horizontal, Vertical, Uncompressed, EndOfLine, NoCode, End };

TMode ReadMode(TBitReader& In, Integer& Offset, Integer& EolLength) {
    if (In.AtEnd()) return TMode::End;
    const Cardinal v = In.Peek(7);
    if (v >= 0x40) {  // 1
        In.Skip(1);
        Offset = 0;
        return TMode::Vertical;
    }
    if (v >= 0x20) {  // 01x
        In.Skip(3);
        Offset = v >= 0x30 ? 1 : -1;
        return TMode::Vertical;
    }
    if (v >= 0x10) {  // 001
        In.Skip(3);
        return TMode::Horizontal;
    }
    if (v >= 0x08) {  // 0001
        In.Skip(4);
        return TMode::Pass;
    }
    if (v >= 0x04) {  // 00001x
        In.Skip(6);
        Offset = v & 0x02 ? 2 : -2;
        return TMode::Vertical;
    }
    if (v >= 0x02) {  // 000001x
        In.Skip(7);
        Offset = v & 0x01 ? 3 : -3;
        return TMode::Vertical;
    }
    if (In.Peek(10) == kUncompressed2D) {
        In.Skip(10);
        return TMode::Uncompressed;
    }
    if (In.Peek(12) == kUncompressed1D) {
        In.Skip(12);
        return TMode::Uncompressed;
    }
    const Integer eol = EndOfLineAhead(In);
    if (eol < 0) return TMode::End;
    if (eol > 0) {
        EolLength = eol;
        return TMode::EndOfLine;
    }
    In.Skip(Integer(std::min<Int64>(In.BitsLeft(), 12)));
    return TMode::NoCode;
}

// Two-dimensional row coding against Ref from the reader's position; an end-of-line code at the
// start is consumed with its tag bit, which may switch to one-dimensional coding.
void Decode2DRow(TBitReader& In, Byte* Row, const Byte* Ref, Integer Width) {
    const Int64 start = In.Position();
    Integer a0 = -1;
    Integer colour = 1;  // white
    while (a0 < Width) {
        const Integer from = std::max(a0, 0);
        Integer offset = 0, eol = 0;
        switch (ReadMode(In, offset, eol)) {
        case TMode::End:
            FillPixels(Row, from, Width, colour);
            return;
        case TMode::EndOfLine:
            if (In.Position() != start) {  // left for the next row
                FillPixels(Row, from, Width, colour);
                return;
            }
            In.Skip(eol);
            if (!In.AtEnd() && In.Read(1) == 1) {
                Decode1DRow(In, Row, Width);
                return;
            }
            break;
        case TMode::NoCode: break;
        case TMode::Pass: {
            Integer b1, b2;
            FindB1B2(Ref, a0, colour, 1, Width, b1, b2);
            FillPixels(Row, from, b2, colour);
            a0 = b2;
            break;
        }
        case TMode::Horizontal: {
            Integer r1 = 0, r2 = 0;
            const bool ok1 = ReadRun(In, colour == 1, r1);
            const Integer end1 = Integer(std::min<Int64>(Int64(from) + r1, Width));
            FillPixels(Row, from, end1, colour);
            if (!ok1) {
                FillPixels(Row, end1, Width, colour);
                return;
            }
            const bool ok2 = ReadRun(In, colour == 0, r2);
            const Integer end2 = Integer(std::min<Int64>(Int64(end1) + r2, Width));
            FillPixels(Row, end1, end2, 1 - colour);
            if (!ok2) {
                FillPixels(Row, end2, Width, 1 - colour);
                return;
            }
            a0 = end2;
            break;
        }
        case TMode::Vertical: {
            Integer b1, b2;
            FindB1B2(Ref, a0, colour, 1, Width, b1, b2);
            const Integer a1 = std::min(b1 + offset, Width);
            if (a1 < from || (a0 >= 0 && a1 <= a0)) {
                // In a sound row a1 lies right of a0: the rest keeps the colour.
                FillPixels(Row, from, Width, colour);
                return;
            }
            FillPixels(Row, from, a1, colour);
            a0 = a1;
            colour = 1 - colour;
            break;
        }
        case TMode::Uncompressed: {
            Integer x = from;
            if (!DecodeUncompressed(In, Row, x, Width, 1, colour)) {
                FillPixels(Row, x, Width, colour);
                return;
            }
            a0 = x;
            break;
        }
        }
    }
}

// ---- writing bits ------------------------------------------------------------------------------

class TBitWriter {
public:
    explicit TBitWriter(TCCITTEncodeState* State) : FState(State) {
        if (State) {
            FAcc = State->Partial;
            FBits = State->Bits;
        }
        FOut.reserve(256);
    }

    void Put(Cardinal Code, Integer Length) {
        FAcc = (FAcc << Length) | Code;
        FBits += Length;
        while (FBits >= 8) {
            FBits -= 8;
            FOut.push_back(Byte(FAcc >> FBits));
        }
        FAcc &= (UInt64(1) << FBits) - 1;
    }
    void Put(const TCode& Code) { Put(Code.Bits, Code.Length); }

    // A run of the colour: make-up codes while 64 or more are left (2560 at a time), then the
    // terminating code.
    void PutRun(Integer Run, bool White) {
        while (Run >= 64) {
            const Integer m = Run > 2560 ? 2560 : Run / 64 * 64;
            if (m >= 1792)
                Put(kExtendedMakeUp[(m - 1792) / 64]);
            else
                Put((White ? kWhiteMakeUp : kBlackMakeUp)[m / 64 - 1]);
            Run -= m;
        }
        Put((White ? kWhiteTerminating : kBlackTerminating)[Run]);
    }

    void PadToByte() {
        if (FBits > 0) Put(0, 8 - FBits);
    }

    // Writes the whole bytes and keeps the rest in the state.
    void Finish(TStream* Stream) {
        if (!FOut.empty()) Stream->WriteBuffer(FOut.data(), Int64(FOut.size()));
        FOut.clear();
        if (FState) {
            FState->Partial = Byte(FAcc);
            FState->Bits = FBits;
        }
    }

private:
    TCCITTEncodeState* FState;
    std::vector<Byte> FOut;
    UInt64 FAcc = 0;
    Integer FBits = 0;
};

// One-dimensional coding of a row whose 0 pixels are white.
void Encode1DRow(TBitWriter& Out, const Byte* Row, Integer Width) {
    Integer x = 0;
    Integer colour = 0;
    do {
        const Integer end = FindPixel(Row, x, Width, 1 - colour);
        Out.PutRun(end - x, colour == 0);
        x = end;
        colour = 1 - colour;
    } while (x < Width);
}

// Two-dimensional coding of a row whose 0 pixels are white against the reference row.
void Encode2DRow(TBitWriter& Out, const Byte* Row, const Byte* Ref, Integer Width) {
    Integer a0 = -1;
    Integer colour = 0;
    while (a0 < Width) {
        const Integer from = std::max(a0, 0);
        const Integer a1 = a0 < 0 ? FindPixel(Row, 0, Width, 1) : FindPixel(Row, a0 + 1, Width, 1 - colour);
        Integer b1, b2;
        FindB1B2(Ref, a0, colour, 0, Width, b1, b2);
        if (b2 < a1) {
            Out.Put(kPass, 4);
            a0 = b2;
        } else if (a1 - b1 >= -3 && a1 - b1 <= 3) {
            Out.Put(kVertical[a1 - b1 + 3]);
            a0 = a1;
            colour = 1 - colour;
        } else {
            const Integer a2 = FindPixel(Row, a1 + 1, Width, colour);
            Out.Put(kHorizontal, 3);
            Out.PutRun(a1 - from, colour == 0);
            Out.PutRun(a2 - a1, colour != 0);
            a0 = a2;
        }
    }
}

Integer RowBytes(Integer Width) { return Width > 0 ? (Width + 7) / 8 : 0; }

// The reference row of the state, all white (zeros) until a row was coded.
const Byte* ReferenceOf(TCCITTEncodeState& State, Integer Width) {
    if (State.Reference.size() != size_t(RowBytes(Width))) State.Reference.assign(size_t(RowBytes(Width)), 0);
    return State.Reference.data();
}

void KeepReference(TCCITTEncodeState& State, const Byte* Row, Integer Width) {
    State.Reference.assign(Row, Row + RowBytes(Width));
    State.Started = true;
}

}  // namespace

Integer CCITTDecodeMH(Byte* Row, const Byte* Data, Int64 DataSize, Integer Width, Integer FillOrder) {
    TBitReader in(Data, DataSize, FillOrder, 0);
    Decode1DRow(in, Row, Width);
    return Integer((in.Position() + 7) / 8);
}

Int64 CCITTDecode1D(Byte* Row, const Byte* Data, Int64 DataSize, Integer Width, Integer FillOrder, Int64 BitPos) {
    TBitReader in(Data, DataSize, FillOrder, BitPos);
    Decode1DRow(in, Row, Width);
    return in.Position();
}

Int64 CCITTDecode2D(Byte* Row, const Byte* Data, Int64 DataSize, Integer Width, Integer FillOrder, Int64 BitPos,
                    Byte* Reference) {
    TBitReader in(Data, DataSize, FillOrder, BitPos);
    Decode2DRow(in, Row, Reference, Width);
    if (Width > 0) std::memcpy(Reference, Row, size_t(RowBytes(Width)));
    return in.Position();
}

void CCITTEncodeMH(const Byte* Row, Integer Width, TStream* Stream) {
    TBitWriter out(nullptr);
    Encode1DRow(out, Row, Width);
    out.PadToByte();
    out.Finish(Stream);
}

void CCITTEncode1D(const Byte* Row, Integer Width, TStream* Stream, TCCITTEncodeState& State) {
    TBitWriter out(&State);
    if (!Row) {
        out.PadToByte();
    } else {
        out.Put(kEOL, kEOLLength);
        Encode1DRow(out, Row, Width);
        State.Started = true;
    }
    out.Finish(Stream);
    if (!Row) State = TCCITTEncodeState{};
}

void CCITTEncode2D(const Byte* Row, Integer Width, TStream* Stream, TCCITTEncodeState& State) {
    TBitWriter out(&State);
    if (!Row) {
        out.Put(kEOL, kEOLLength);
        out.PadToByte();
    } else if (!State.Started) {
        out.Put((kEOL << 1) | 1, kEOLLength + 1);
        Encode1DRow(out, Row, Width);
        KeepReference(State, Row, Width);
    } else {
        out.Put(kEOL << 1, kEOLLength + 1);
        Encode2DRow(out, Row, ReferenceOf(State, Width), Width);
        KeepReference(State, Row, Width);
    }
    out.Finish(Stream);
    if (!Row) State = TCCITTEncodeState{};
}

void CCITTEncodeG4(const Byte* Row, Integer Width, TStream* Stream, TCCITTEncodeState& State) {
    TBitWriter out(&State);
    if (!Row) {
        out.Put(kEOL, kEOLLength);
        out.Put(kEOL, kEOLLength);
        out.PadToByte();
    } else {
        Encode2DRow(out, Row, ReferenceOf(State, Width), Width);
        KeepReference(State, Row, Width);
    }
    out.Finish(Stream);
    if (!Row) State = TCCITTEncodeState{};
}
