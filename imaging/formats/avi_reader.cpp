#include <algorithm>

#include "imaging/formats/avi_file.h"
#include "imaging/formats/codec_support.h"

namespace {

constexpr Cardinal kRIFF = AviFourCC("RIFF");
constexpr Cardinal kLIST = AviFourCC("LIST");
constexpr Int64 kChunkHeader = 8;
// Headers (the "hdrl" list) larger than this are refused: real ones hold a few kilobytes.
constexpr Int64 kMaxHeaders = Int64(1) << 24;
// Lists inside the movie data ("rec ") are followed this deep.
constexpr Integer kMaxDepth = 4;
constexpr Cardinal kKeyFrame = 0x10;  // AVIIF_KEYFRAME
constexpr Cardinal kNotKey = 0x80000000u;  // OpenDML: the frame is not a key frame

Integer Digit(Byte c) {
    return c >= '0' && c <= '9' ? c - '0' : -1;
}

// The chunks of a list held in memory, each with its code and data; a chunk that runs past the
// list ends it.
template <class Visit>
void ForEachChunk(const Byte* Data, size_t Size, Visit&& VisitChunk) {
    size_t at = 0;
    while (Size - at >= size_t(kChunkHeader)) {
        const Cardinal id = LoadLE32(Data + at);
        const size_t size = LoadLE32(Data + at + 4);
        at += size_t(kChunkHeader);
        if (size > Size - at) return;
        VisitChunk(id, Data + at, size);
        at += size + (size & 1);
        if (at > Size) return;
    }
}

}  // namespace

bool TAviReader::ReadAt(Int64 Position, void* Buffer, Int64 Count) {
    if (Position < FBase || Count < 0 || Position > FEnd || Count > FEnd - Position) return false;
    FStream->SetPosition(Position);
    return FStream->Read(Buffer, Count) == Count;
}

bool TAviReader::ReadBlock(Int64 Position, Int64 Count, std::vector<Byte>& Out) {
    if (Count < 0 || Position > FEnd || Count > FEnd - Position) return false;
    Out.resize(size_t(Count));
    return ReadAt(Position, Out.data(), Count);
}

bool TAviReader::Open(TStream* Stream) {
    *this = TAviReader();
    FStream = Stream;
    FBase = Stream->GetPosition();
    FEnd = Stream->GetSize();
    Byte riff[12];
    if (!ReadAt(FBase, riff, 12) || LoadLE32(riff) != kRIFF || LoadLE32(riff + 8) != AviFourCC("AVI ")) return false;
    // The first RIFF list, then any OpenDML extensions ("AVIX") after it. A list size of 0 (a
    // file whose writer never came back to set it) reaches to the end of the file.
    Int64 listStart = FBase;
    std::vector<Byte> headers;
    for (bool first = true;; first = false) {
        const Int64 listSize = LoadLE32(riff + 4);
        const Int64 listEnd = listSize < 4 ? FEnd : std::min(FEnd, listStart + kChunkHeader + listSize);
        Byte head[12];
        for (Int64 at = listStart + 12; at < listEnd && ReadAt(at, head, kChunkHeader);) {
            const Cardinal id = LoadLE32(head);
            const Int64 size = LoadLE32(head + 4);
            const Int64 data = at + kChunkHeader;
            const Int64 end = std::min(listEnd, data + size);
            if (id == kLIST && end - data >= 4 && ReadAt(data, head + 8, 4)) {
                const Cardinal type = LoadLE32(head + 8);
                if (type == AviFourCC("hdrl") && first && headers.empty()) {
                    if (end - data > kMaxHeaders || !ReadBlock(data + 4, end - data - 4, headers)) return false;
                } else if (type == AviFourCC("movi")) {
                    if (FMovie < 0) FMovie = data;
                    FMovieLists.emplace_back(data + 4, end);
                }
            } else if (id == AviFourCC("idx1") && first && FIdx1 < 0) {
                FIdx1 = data;
                FIdx1Size = end - data;
            }
            at = data + size + (size & 1);
        }
        if (first && !ParseHeaders(headers)) return false;
        const Int64 next = listStart + kChunkHeader + listSize + (listSize & 1);
        if (listSize < 4 || !ReadAt(next, riff, 12) || LoadLE32(riff) != kRIFF ||
            LoadLE32(riff + 8) != AviFourCC("AVIX"))
            break;
        listStart = next;
    }
    IndexFromOpenDML();
    if (FFrames.empty()) IndexFromIdx1();
    if (FFrames.empty()) IndexFromMovie();
    return true;
}

// The main header list: the first stream list whose stream is video gives the header and format.
bool TAviReader::ParseHeaders(const std::vector<Byte>& Headers) {
    bool found = false;
    Integer number = 0;
    ForEachChunk(Headers.data(), Headers.size(), [&](Cardinal Id, const Byte* Data, size_t Size) {
        if (found || Id != kLIST || Size < 4 || LoadLE32(Data) != AviFourCC("strl")) return;
        FStreamNumber = number++;
        if (!ParseStreamList(Data + 4, Size - 4, found)) FStreamNumber = -1;
    });
    return found && FStreamNumber >= 0;
}

bool TAviReader::ParseStreamList(const Byte* Data, size_t Size, bool& Found) {
    bool video = false;
    std::vector<Byte> format, super;
    ForEachChunk(Data, Size, [&](Cardinal Id, const Byte* d, size_t n) {
        if (Id == AviFourCC("strh") && n >= 48 && LoadLE32(d) == AviFourCC("vids")) {
            video = true;
            FInfo.Type = LoadLE32(d);
            FInfo.Handler = LoadLE32(d + 4);
            FInfo.Scale = LoadLE32(d + 20);
            FInfo.Rate = LoadLE32(d + 24);
            FInfo.Length = LoadLE32(d + 32);
            FInfo.SuggestedBufferSize = LoadLE32(d + 36);
            if (n >= 56)
                FInfo.Frame = TRect(SmallInt(LoadLE16(d + 48)), SmallInt(LoadLE16(d + 50)), SmallInt(LoadLE16(d + 52)),
                                    SmallInt(LoadLE16(d + 54)));
        } else if (Id == AviFourCC("strf")) {
            format.assign(d, d + n);
        } else if (Id == AviFourCC("indx")) {
            super.assign(d, d + n);
        }
    });
    if (!video) return true;
    Found = true;
    // The format: a bitmap header of at least 40 bytes describing a picture within the limits.
    if (format.size() < 40 || LoadLE32(format.data()) < 40) return false;
    const Int64 width = LongInt(LoadLE32(format.data() + 4));
    const Int64 height = LongInt(LoadLE32(format.data() + 8));
    if (!ImgCodecSizeOK(width, height < 0 ? -height : height)) return false;
    FWidth = Integer(width);
    FHeight = Integer(height < 0 ? -height : height);
    FBitCount = LoadLE16(format.data() + 14);
    FCompression = LoadLE32(format.data() + 16);
    FFormat = std::move(format);
    FSuperIndex = std::move(super);
    return true;
}

bool TAviReader::IsFrameChunk(Cardinal Id) const {
    const Byte c[4] = {Byte(Id), Byte(Id >> 8), Byte(Id >> 16), Byte(Id >> 24)};
    if (Digit(c[0]) < 0 || Digit(c[1]) < 0 || Digit(c[0]) * 10 + Digit(c[1]) != FStreamNumber) return false;
    return c[2] == 'd' && (c[3] == 'b' || c[3] == 'c');
}

// A frame whose data lies within the file; the list stops at the stream's length.
void TAviReader::AddFrame(Int64 Offset, Int64 Size, bool Key) {
    if (Full() || Offset < FBase || Size < 0 || Offset > FEnd || Size > FEnd - Offset) return;
    FFrames.push_back({Offset, Cardinal(Size), Key || FFrames.empty()});
}

// OpenDML: the stream's super index names standard indexes ("ix00"), each listing frames from a
// base offset. A standard index may also stand in the stream list itself.
void TAviReader::IndexFromOpenDML() {
    if (FSuperIndex.size() < 24) return;
    const Byte* s = FSuperIndex.data();
    if (s[3] == 1) {  // AVI_INDEX_OF_CHUNKS
        IndexFromStandardIndex(s, FSuperIndex.size());
        return;
    }
    if (s[3] != 0 || LoadLE16(s) != 4) return;
    const size_t entries = std::min<size_t>(LoadLE32(s + 4), (FSuperIndex.size() - 24) / 16);
    // Real indexes take a small part of the file: reading more than the whole file's worth of
    // them means entries that point at the same bytes again and again.
    Int64 budget = FEnd - FBase;
    std::vector<Byte> chunk;
    for (size_t i = 0; i < entries && !Full(); ++i) {
        const Byte* e = s + 24 + 16 * i;
        const Int64 offset = Int64(LoadLE32(e)) | (Int64(LoadLE32(e + 4)) << 32);
        Byte head[8];
        if (offset < 0 || offset > FEnd - FBase || !ReadAt(FBase + offset, head, 8)) continue;
        budget -= Int64(LoadLE32(head + 4)) + 8;
        if (budget < 0) return;
        if (!ReadBlock(FBase + offset + 8, LoadLE32(head + 4), chunk)) continue;
        IndexFromStandardIndex(chunk.data(), chunk.size());
    }
}

void TAviReader::IndexFromStandardIndex(const Byte* Data, size_t Size) {
    if (Size < 24 || LoadLE16(Data) != 2 || Data[3] != 1) return;
    const size_t entries = std::min<size_t>(LoadLE32(Data + 4), (Size - 24) / 8);
    const Int64 base = Int64(LoadLE32(Data + 12)) | (Int64(LoadLE32(Data + 16)) << 32);
    if (base < 0 || base > FEnd) return;
    for (size_t i = 0; i < entries && !Full(); ++i) {
        const Byte* e = Data + 24 + 8 * i;
        const Cardinal size = LoadLE32(e + 4);
        AddFrame(FBase + base + LoadLE32(e), size & ~kNotKey, (size & kNotKey) == 0);
    }
}

// idx1: entries of code, flags, offset and size. Offsets count from the movie list's type code
// as a rule, from the file's start in some files: the first entry tells which.
void TAviReader::IndexFromIdx1() {
    std::vector<Byte> index;
    if (FIdx1 < 0 || !ReadBlock(FIdx1, FIdx1Size - FIdx1Size % 16, index)) return;
    Int64 origin = -1;
    for (size_t at = 0; at + 16 <= index.size() && !Full(); at += 16) {
        const Byte* e = index.data() + at;
        const Cardinal id = LoadLE32(e);
        if (!IsFrameChunk(id)) continue;
        const Int64 offset = LoadLE32(e + 8);
        if (origin < 0) {
            Byte head[4];
            origin = FMovie >= 0 ? FMovie : FBase;
            if (!(ReadAt(origin + offset, head, 4) && LoadLE32(head) == id) && ReadAt(FBase + offset, head, 4) &&
                LoadLE32(head) == id)
                origin = FBase;
        }
        AddFrame(origin + offset + kChunkHeader, LoadLE32(e + 12), (LoadLE32(e + 4) & kKeyFrame) != 0);
    }
}

// Without an index the movie lists are read chunk by chunk.
void TAviReader::IndexFromMovie() {
    for (const auto& [start, end] : FMovieLists) ScanList(start, end, 0);
}

void TAviReader::ScanList(Int64 Start, Int64 End, Integer Depth) {
    Byte head[12];
    for (Int64 at = Start; !Full() && at < End && ReadAt(at, head, kChunkHeader);) {
        const Cardinal id = LoadLE32(head);
        const Int64 size = LoadLE32(head + 4);
        const Int64 data = at + kChunkHeader;
        if (id == kLIST && Depth < kMaxDepth && ReadAt(data, head + 8, 4))
            ScanList(data + 4, std::min(End, data + size), Depth + 1);
        else if (IsFrameChunk(id))
            AddFrame(data, std::min(size, End - data), false);
        at = data + size + (size & 1);
    }
}

bool TAviReader::ReadFrame(Integer Index, std::vector<Byte>& Data) {
    if (Index < 0 || Index >= GetFrameCount()) return false;
    const TAviFrameEntry& e = FFrames[size_t(Index)];
    return ReadBlock(e.Offset, e.Size, Data);
}

Integer TAviReader::FrameDelay() const {
    if (FInfo.Rate == 0 || FInfo.Scale == 0) return 100;
    return Integer(std::min<Int64>(Int64(FInfo.Scale) * 1000 / FInfo.Rate, 0x7FFFFFFF));
}
