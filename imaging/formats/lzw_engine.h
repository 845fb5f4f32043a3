#pragma once
// The parts the GIF and TIFF LZW coders share: the decoders' string table and the encoders' hashed
// code table with its code-width bookkeeping. The two formats differ in bit order, in when the
// code width grows (TIFF one code early) and in when the encoder starts a new table; those come in
// as parameters.

#include <algorithm>
#include <array>
#include <cstring>

#include "framework/types.h"

namespace lzw_detail {

constexpr Integer kMaxBits = 12;
constexpr Integer kTableSize = 1 << kMaxBits;  // codes 0 .. 4095

// The strings of the codes seen so far. Each entry is its prefix code plus one byte; the length
// and first byte are kept so that a string is written back to front straight into its place.
struct TStringTable {
    std::array<Word, kTableSize> Prefix{};
    std::array<Word, kTableSize> Length{};
    std::array<Byte, kTableSize> Suffix{};
    std::array<Byte, kTableSize> First{};

    // Codes below Roots stand for themselves (their low byte).
    void InitRoots(Integer Roots) {
        for (Integer c = 0; c < Roots && c < kTableSize; ++c) {
            Prefix[c] = 0;
            Length[c] = 1;
            Suffix[c] = Byte(c);
            First[c] = Byte(c);
        }
    }
    void Add(Integer Code, Integer PrefixCode, Byte Last) {
        Prefix[Code] = Word(PrefixCode);
        Suffix[Code] = Last;
        First[Code] = First[PrefixCode];
        Length[Code] = Word(Length[PrefixCode] + 1);
    }
    // Writes the string of Code to Out[0 .. Length - 1].
    void Write(Integer Code, Byte* Out) const {
        for (Integer i = Length[Code] - 1; i >= 0; --i) {
            Out[i] = Suffix[Code];
            Code = Prefix[Code];
        }
    }
    // Writes the string of Code to Out[At ..], dropping the bytes at or past Limit.
    void WriteClipped(Integer Code, Byte* Out, Int64 At, Int64 Limit) const {
        for (Integer i = Length[Code] - 1; i >= 0; --i) {
            if (At + i < Limit) Out[At + i] = Suffix[Code];
            Code = Prefix[Code];
        }
    }
};

// The encoder of both formats: strings are found through an open-addressing hash of 5003 entries
// (key = prefix + byte x 4096, first probe (byte shl 4) xor prefix, then steps of 5003 - index)
// and each new string gets the next free code. Sink takes the codes: Put(Code, Width) and Flush().
template <class Sink>
class THashEncoder {
public:
    // RootBits: the bits of a root code (the clear code is 2^RootBits). LastCode: the highest code
    // the table may hand out before it is cleared. EarlyChange: 1 when the width grows one code
    // early (TIFF), 0 for GIF.
    THashEncoder(Sink& Out, Integer RootBits, Integer LastCode, Integer EarlyChange)
        : FOut(Out),
          FClear(1 << RootBits),
          FEnd(FClear + 1),
          FInitialWidth(RootBits + 1),
          FLastCode(LastCode),
          FEarly(EarlyChange) {
        FWidth = FInitialWidth;
        FNextFree = FClear + 2;
        ClearHash();
    }

    // Writes the clear code that starts the data.
    void Start() { Output(FClear); }

    void Put(const Byte* Data, Int64 Count) {
        Int64 i = 0;
        if (FPrefix < 0 && Count > 0) FPrefix = Data[i++];
        Integer prefix = FPrefix;
        for (; i < Count; ++i) {
            const Integer p = Data[i];
            const Integer key = prefix + (p << 12);
            Integer h = (p << kHashShift) ^ prefix;
            if (FKeys[size_t(h)] == key) {
                prefix = FCodes[size_t(h)];
                continue;
            }
            bool found = false;
            if (FKeys[size_t(h)] >= 0) {
                const Integer step = h == 0 ? 1 : kHashSize - h;
                do {
                    h -= step;
                    if (h < 0) h += kHashSize;
                    if (FKeys[size_t(h)] == key) {
                        found = true;
                        break;
                    }
                } while (FKeys[size_t(h)] >= 0);
            }
            if (found) {
                prefix = FCodes[size_t(h)];
                continue;
            }
            Output(prefix);
            if (FNextFree > FLastCode) {
                ClearHash();
                FNextFree = FClear + 2;
                FClearFlag = true;
                Output(FClear);
            } else {
                FCodes[size_t(h)] = Word(FNextFree++);
                FKeys[size_t(h)] = key;
            }
            prefix = p;
        }
        FPrefix = prefix;
    }

    // Writes the pending string and the end code, then flushes the sink.
    void Finish() {
        if (FPrefix >= 0) Output(FPrefix);
        Output(FEnd);
        FOut.Flush();
    }

private:
    static constexpr Integer kHashSize = 5003;
    static constexpr Integer kHashShift = 4;

    void ClearHash() { std::fill(FKeys.begin(), FKeys.end(), -1); }

    void Output(Integer Code) {
        FOut.Put(Cardinal(Code), FWidth);
        if (FClearFlag) {
            FWidth = FInitialWidth;
            FClearFlag = false;
        } else if (FWidth < kMaxBits && FNextFree >= (1 << FWidth) - FEarly) {
            ++FWidth;
        }
    }

    Sink& FOut;
    const Integer FClear;
    const Integer FEnd;
    const Integer FInitialWidth;
    const Integer FLastCode;
    const Integer FEarly;
    Integer FWidth;
    Integer FNextFree;
    Integer FPrefix = -1;  // no string yet
    bool FClearFlag = false;
    std::array<Integer, kHashSize> FKeys{};
    std::array<Word, kHashSize> FCodes{};
};

}  // namespace lzw_detail
