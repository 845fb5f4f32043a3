// The TIFF LZW coders.

#include <cstring>
#include <memory>
#include <vector>

#include "imaging/formats/lzw_coders.h"
#include "imaging/formats/lzw_engine.h"

namespace {

using lzw_detail::kMaxBits;
using lzw_detail::kTableSize;

constexpr Integer kClear = 256;
constexpr Integer kEndOfInfo = 257;
constexpr Integer kFirstFree = 258;

// One strip being decoded.
class TTiffDecoder {
public:
    TTiffDecoder(const Byte* Data, Integer Length, Integer DataSize)
        : FData(Data),
          FDataBits(Int64(DataSize > 0 ? DataSize : 0) * 8),
          FLength(Length),
          // Whatever is left over from one call is shorter than one string, and one more string
          // always fits.
          FOut(size_t(Length) + kTableSize) {
        FTable.InitRoots(256);
    }

    Byte* Next(bool FirstCall) {
        if (!FirstCall) {
            // The caller has taken the previous FLength bytes.
            const Int64 rest = FHave - FLength;
            if (rest > 0) std::memmove(FOut.data(), FOut.data() + FLength, size_t(rest));
            FHave = rest > 0 ? rest : 0;
        }
        while (!FError && !FEnded && FHave < FLength) DecodeCode();
        if (FError) return nullptr;
        if (FHave < FLength) {
            std::memset(FOut.data() + FHave, 0, size_t(FLength - FHave));
            FHave = FLength;
        }
        return FOut.data();
    }

private:
    // False at the end of the strip's bytes.
    bool ReadCode(Integer& Code) {
        if (FBitPos + FWidth > FDataBits) return false;
        const Int64 byte = FBitPos >> 3;
        const Integer shift = Integer(FBitPos & 7);
        Cardinal word = 0;
        const Int64 bytes = FDataBits >> 3;
        for (Int64 i = 0; i < 3; ++i) word = (word << 8) | (byte + i < bytes ? FData[byte + i] : 0);
        // Bits shift .. shift + width - 1 of the 24 read (shift + width is at most 7 + 12).
        Code = Integer((word >> (24 - shift - FWidth)) & ((1u << FWidth) - 1));
        FBitPos += FWidth;
        return true;
    }

    void ClearTable() {
        FNextFree = kFirstFree;
        FWidth = 9;
    }

    void Emit(Integer Code) {
        FTable.Write(Code, FOut.data() + FHave);
        FHave += FTable.Length[size_t(Code)];
    }

    bool AddEntry(Integer Prefix, Byte Last) {
        if (FNextFree >= kTableSize) return false;
        FTable.Add(FNextFree++, Prefix, Last);
        if (FNextFree == 511 || FNextFree == 1023 || FNextFree == 2047) ++FWidth;
        return true;
    }

    void DecodeCode() {
        Integer code = 0;
        if (!ReadCode(code)) {
            FEnded = true;
            return;
        }
        // After a clear code (and at the start of data without one) the code must be a byte.
        bool fresh = FPrev < 0;
        while (code == kClear) {
            ClearTable();
            fresh = true;
            if (!ReadCode(code)) {
                FEnded = true;
                return;
            }
        }
        if (code == kEndOfInfo) {
            FEnded = true;
            return;
        }
        if (fresh) {
            if (code > 255) {
                FError = true;
                return;
            }
            Emit(code);
            FPrev = code;
            return;
        }
        if (code < FNextFree) {
            Emit(code);
            if (!AddEntry(FPrev, FTable.First[size_t(code)])) FError = true;
        } else if (code == FNextFree) {
            if (!AddEntry(FPrev, FTable.First[size_t(FPrev)])) {
                FError = true;
                return;
            }
            Emit(code);
        } else {
            FError = true;
            return;
        }
        FPrev = code;
    }

    const Byte* FData;
    const Int64 FDataBits;
    const Int64 FLength;
    std::vector<Byte> FOut;
    Int64 FHave = 0;
    Int64 FBitPos = 0;
    Integer FWidth = 9;
    Integer FNextFree = kFirstFree;
    Integer FPrev = -1;
    bool FError = false;
    bool FEnded = false;
    lzw_detail::TStringTable FTable;
};

// Codes most significant bit first, written in 254-byte pieces (gathered into larger writes).
class TTiffCodeSink {
public:
    TStream* Stream = nullptr;

    void Put(Cardinal Code, Integer Width) {
        FAcc = (FAcc << Width) | Code;
        FBits += Width;
        while (FBits >= 8) {
            FBits -= 8;
            FOut.push_back(Byte(FAcc >> FBits));
        }
        FAcc &= (UInt64(1) << FBits) - 1;
        if (FOut.size() >= kWriteAt) WriteOut();
    }
    void Flush() {
        if (FBits > 0) FOut.push_back(Byte(FAcc << (8 - FBits)));
        FAcc = 0;
        FBits = 0;
        WriteOut();
    }

private:
    static constexpr size_t kWriteAt = 254 * 256;

    void WriteOut() {
        if (!FOut.empty()) Stream->WriteBuffer(FOut.data(), Int64(FOut.size()));
        FOut.clear();
    }

    std::vector<Byte> FOut;
    UInt64 FAcc = 0;
    Integer FBits = 0;
};

struct TTiffEncoder {
    TTiffCodeSink Sink;
    // The table is cleared once code 4093 has been given out.
    lzw_detail::THashEncoder<TTiffCodeSink> Encoder{Sink, 8, 4093, 1};
};

}  // namespace

Byte* TiffLZWDecode(const Byte* Data, Integer Length, void*& State, Integer DataSize) {
    auto* decoder = static_cast<TTiffDecoder*>(State);
    if (!Data) {
        delete decoder;
        State = nullptr;
        return nullptr;
    }
    const bool first = decoder == nullptr;
    if (first) {
        if (Length < 0) return nullptr;
        decoder = new TTiffDecoder(Data, Length, DataSize);
        State = decoder;
    }
    return decoder->Next(first);
}

void TiffLZWEncode(const Byte* Data, Integer Length, TStream* Stream, void*& State) {
    auto* encoder = static_cast<TTiffEncoder*>(State);
    if (!Data) {
        if (!encoder) return;
        std::unique_ptr<TTiffEncoder> owned(encoder);
        State = nullptr;
        owned->Sink.Stream = Stream;
        owned->Encoder.Finish();
        return;
    }
    if (!encoder) {
        encoder = new TTiffEncoder;
        State = encoder;
        encoder->Sink.Stream = Stream;
        encoder->Encoder.Start();
    }
    encoder->Sink.Stream = Stream;
    if (Length > 0) encoder->Encoder.Put(Data, Length);
}
