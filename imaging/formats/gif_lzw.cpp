// The GIF LZW coders.

#include <cstring>
#include <memory>
#include <vector>

#include "imaging/formats/lzw_coders.h"
#include "imaging/formats/lzw_engine.h"
#include "imaging/formats/stream_reader.h"

namespace {

using lzw_detail::kMaxBits;
using lzw_detail::kTableSize;

// The rows of an image in the order they are stored: top to bottom, or in the four interlace
// passes (every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd from 1).
std::vector<Integer> StoredRowOrder(Integer Height, bool Interlaced) {
    std::vector<Integer> rows;
    rows.reserve(size_t(Height > 0 ? Height : 0));
    if (!Interlaced) {
        for (Integer y = 0; y < Height; ++y) rows.push_back(y);
        return rows;
    }
    static constexpr Integer kStart[4] = {0, 4, 2, 1};
    static constexpr Integer kStep[4] = {8, 8, 4, 2};
    for (Integer pass = 0; pass < 4; ++pass)
        for (Integer y = kStart[pass]; y < Height; y += kStep[pass]) rows.push_back(y);
    return rows;
}

// Codes of a given width, least significant bit first, from a block of bytes.
class TLsbCodeReader {
public:
    TLsbCodeReader(const Byte* Data, size_t Size) : FData(Data), FSize(Size) {}
    // False when fewer than Width bits are left.
    bool Read(Integer Width, Integer& Code) {
        while (FBits < Width) {
            if (FPos >= FSize) return false;
            FAcc |= UInt64(FData[FPos++]) << FBits;
            FBits += 8;
        }
        Code = Integer(FAcc & ((UInt64(1) << Width) - 1));
        FAcc >>= Width;
        FBits -= Width;
        return true;
    }

private:
    const Byte* FData;
    size_t FSize;
    size_t FPos = 0;
    UInt64 FAcc = 0;
    Integer FBits = 0;
};

// Decodes Data into Out (Total bytes). Returns false on a decoding failure; bytes the data does not
// reach keep their values. Produced gets the number of bytes written (or dropped past Total).
bool DecodeGifData(const std::vector<Byte>& Data, Integer CodeSize, Byte* Out, Int64 Total,
                   Int64& Produced) {
    auto table = std::make_unique<lzw_detail::TStringTable>();
    const Integer clear = 1 << CodeSize, end = clear + 1;
    table->InitRoots(clear);
    TLsbCodeReader bits(Data.data(), Data.size());
    Int64 pos = 0;
    auto emit = [&](Integer code) {
        const Integer len = table->Length[size_t(code)];
        if (pos + len <= Total)
            table->Write(code, Out + pos);
        else
            table->WriteClipped(code, Out, pos, Total);
        pos += len;
    };
    struct Done {
        Int64& produced;
        Int64& pos;
        ~Done() { produced = pos; }
    } done{Produced, pos};

    Integer code = 0;
    if (!bits.Read(CodeSize + 1, code)) return true;
    if (code != clear) return false;
    for (;;) {
        // At a clear code: a new table.
        Integer width = CodeSize + 1, nextFree = clear + 2, limit = 1 << width;
        bool full = false;
        do {
            if (!bits.Read(width, code)) return true;
        } while (code == clear);
        if (code == end) return false;
        if (code >= nextFree) code = 0;
        emit(code);
        Integer prev = code;
        for (;;) {
            if (!bits.Read(width, code)) return true;
            if (code == end) return true;
            if (code == clear) break;
            if (full) return false;
            if (code < nextFree) {
                emit(code);
                table->Add(nextFree++, prev, table->First[size_t(code)]);
            } else if (code == nextFree) {
                table->Add(nextFree++, prev, table->First[size_t(prev)]);
                emit(code);
            } else {
                return false;
            }
            if (nextFree == limit) {
                if (width == kMaxBits)
                    full = true;
                else {
                    ++width;
                    limit <<= 1;
                }
            }
            prev = code;
        }
    }
}

// Collects the 254-byte blocks of codes and writes them as data sub-blocks, in larger pieces.
class TGifCodeSink {
public:
    explicit TGifCodeSink(TStream* Stream) : FStream(Stream) { FOut.reserve(kWriteAt + 256); }
    void Put(Cardinal Code, Integer Width) {
        FAcc |= UInt64(Code) << FBits;
        FBits += Width;
        while (FBits >= 8) {
            PutByte(Byte(FAcc));
            FAcc >>= 8;
            FBits -= 8;
        }
    }
    void Flush() {
        if (FBits > 0) PutByte(Byte(FAcc));
        FAcc = 0;
        FBits = 0;
        if (FBlockLen > 0) EndBlock();
        WriteOut();
    }

private:
    static constexpr size_t kBlock = 254;
    static constexpr size_t kWriteAt = 64 * 1024;

    void PutByte(Byte B) {
        if (FBlockLen == 0) {
            FLengthAt = FOut.size();
            FOut.push_back(0);
        }
        FOut.push_back(B);
        if (++FBlockLen == kBlock) EndBlock();
    }
    void EndBlock() {
        FOut[FLengthAt] = Byte(FBlockLen);
        FBlockLen = 0;
        if (FOut.size() >= kWriteAt) WriteOut();
    }
    void WriteOut() {
        if (!FOut.empty()) FStream->WriteBuffer(FOut.data(), Int64(FOut.size()));
        FOut.clear();
    }

    TStream* FStream;
    std::vector<Byte> FOut;
    size_t FLengthAt = 0;
    size_t FBlockLen = 0;
    UInt64 FAcc = 0;
    Integer FBits = 0;
};

}  // namespace

void GifLZWDecode(TStream* Stream, Integer Height, Integer Width, bool Interlaced, Byte* Pixels) {
    const Int64 start = Stream->GetPosition();
    TImgStreamReader in(Stream);
    const Integer codeSize = in.ReadByte();
    if (codeSize < 2 || codeSize > 9) {
        Stream->SetPosition(start);
        return;
    }
    std::vector<Byte> data;
    for (;;) {
        const Integer n = in.ReadByte();
        if (n <= 0) break;
        if (in.Append(data, n) < n) break;
    }
    in.Sync();
    if (data.empty()) return;

    const Int64 total = Width > 0 && Height > 0 ? Int64(Width) * Height : 0;
    Int64 produced = 0;
    bool ok;
    if (!Interlaced || total == 0) {
        ok = DecodeGifData(data, codeSize, Pixels, total, produced);
    } else {
        std::vector<Byte> stored(size_t(total), 0);
        ok = DecodeGifData(data, codeSize, stored.data(), total, produced);
        const std::vector<Integer> rows = StoredRowOrder(Height, true);
        const Int64 reached = produced < total ? produced : total;
        for (Int64 i = 0, at = 0; at < reached; ++i, at += Width) {
            const Int64 n = reached - at < Width ? reached - at : Width;
            std::memcpy(Pixels + Int64(rows[size_t(i)]) * Width, stored.data() + at, size_t(n));
        }
    }
    if (!ok) Stream->SetPosition(start);
}

void GifLZWEncode(TStream* Stream, Integer Height, Integer Width, bool Interlaced, const Byte* Pixels,
                  Integer BitsPerPixel) {
    const Integer codeSize = BitsPerPixel <= 1 ? 2 : (BitsPerPixel > 8 ? 8 : BitsPerPixel);
    const Byte size = Byte(codeSize);
    Stream->WriteBuffer(&size, 1);
    TGifCodeSink sink(Stream);
    auto encoder = std::make_unique<lzw_detail::THashEncoder<TGifCodeSink>>(sink, codeSize, kTableSize - 1, 0);
    encoder->Start();
    if (Width > 0 && Height > 0) {
        const Byte mask = Byte((1 << codeSize) - 1);
        std::vector<Byte> masked(static_cast<size_t>(Width));
        for (const Integer y : StoredRowOrder(Height, Interlaced)) {
            const Byte* row = Pixels + Int64(y) * Width;
            if (codeSize < 8) {
                for (Integer x = 0; x < Width; ++x) masked[size_t(x)] = row[x] & mask;
                row = masked.data();
            }
            encoder->Put(row, Width);
        }
    }
    encoder->Finish();
    const Byte terminator = 0;
    Stream->WriteBuffer(&terminator, 1);
}
