#include "imaging/formats/stream_reader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kChunk = 64 * 1024;

}  // namespace

TImgStreamReader::TImgStreamReader(TStream* Stream)
    : FStream(Stream), FBuffer(std::make_unique_for_overwrite<Byte[]>(kChunk)) {
    FBufferStart = Stream->GetPosition();
}

bool TImgStreamReader::Fill() {
    FBufferStart += Int64(FEnd);
    FNext = FEnd = 0;
    const Int64 got = FStream->Read(FBuffer.get(), Int64(kChunk));
    FEnd = got > 0 ? size_t(got) : 0;
    return FEnd > 0;
}

Int64 TImgStreamReader::Read(void* Dest, Int64 Count) {
    Int64 done = 0;
    auto* out = static_cast<Byte*>(Dest);
    while (done < Count) {
        if (FNext == FEnd && !Fill()) break;
        const size_t n = size_t(std::min<Int64>(Count - done, Int64(FEnd - FNext)));
        if (out) std::memcpy(out + done, FBuffer.get() + FNext, n);
        FNext += n;
        done += Int64(n);
    }
    return done;
}

Int64 TImgStreamReader::Append(std::vector<Byte>& Dest, Int64 Count) {
    const size_t at = Dest.size();
    Dest.resize(at + size_t(Count));
    const Int64 got = Read(Dest.data() + at, Count);
    Dest.resize(at + size_t(got));
    return got;
}

bool TImgStreamReader::SkipSubBlocks() {
    for (;;) {
        const Integer n = ReadByte();
        if (n < 0) return false;
        if (n == 0) return true;
        if (Skip(n) < n) return false;
    }
}

void TImgStreamReader::Sync() { FStream->SetPosition(GetPosition()); }

void TImgStreamReader::Restart() {
    FBufferStart = FStream->GetPosition();
    FNext = FEnd = 0;
}
