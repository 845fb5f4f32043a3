#include <algorithm>
#include <cstring>

#include "framework/windows_gdi.h"
#include "imaging/formats/avi_file.h"
#include "imaging/formats/codec_support.h"
#include "imaging/formats/codec_table.h"

namespace {

constexpr Cardinal kHasIndex = 0x10;  // AVIF_HASINDEX
constexpr Cardinal kKeyFrame = 0x10;  // AVIIF_KEYFRAME
constexpr size_t kMainHeader = 56, kStreamHeader = 56, kBitmapHeader = 40;

// Little-endian fields put one after the other.
class TFields {
public:
    TFields& U32(Cardinal v) {
        Byte b[4];
        StoreLE32(b, v);
        Bytes.insert(Bytes.end(), b, b + 4);
        return *this;
    }
    TFields& U16(Word v) {
        Bytes.push_back(Byte(v));
        Bytes.push_back(Byte(v >> 8));
        return *this;
    }
    TFields& Code(const char (&c)[5]) { return U32(AviFourCC(c)); }
    std::vector<Byte> Bytes;
};

}  // namespace

TAviWriter::TAviWriter(TStream* Stream, Integer Width, Integer Height, Integer BitCount, Cardinal Scale, Cardinal Rate,
                       const TAviWriteOptions& Options)
    : FStream(Stream),
      FStart(Stream->GetPosition()),
      FWidth(Width),
      FHeight(Height),
      FBitCount(Options.MotionJPEG ? 24 : (BitCount == 1 ? 1 : 24)),
      FScale(std::max<Cardinal>(Scale, 1)),
      FRate(std::max<Cardinal>(Rate, 1)),
      FOptions(Options) {
    WriteHeaders();
}

// The headers as far as the movie list's type code; written again with the final counts.
void TAviWriter::WriteHeaders() {
    const Cardinal frames = Cardinal(FIndex.size());
    const Cardinal rowBytes = Cardinal(((Int64(FWidth) * FBitCount + 31) / 32) * 4);
    const Cardinal imageSize =
        FOptions.MotionJPEG ? Cardinal(FWidth) * Cardinal(FHeight) * 3 : rowBytes * Cardinal(FHeight);
    const Cardinal colours = FBitCount == 1 ? 2 : 0;
    const Cardinal formatSize = Cardinal(kBitmapHeader + 4 * colours);
    const Cardinal streamList = 4 + 8 + kStreamHeader + 8 + formatSize;
    const Cardinal headerList = 4 + 8 + kMainHeader + 8 + streamList;
    const Int64 end = FStream->GetPosition();
    const Int64 riffSize = FMovieEnd ? end - FStart - 8 : 0;

    TFields f;
    f.Code("RIFF").U32(Cardinal(riffSize)).Code("AVI ");
    f.Code("LIST").U32(headerList).Code("hdrl");
    f.Code("avih").U32(kMainHeader);
    f.U32(Cardinal(Int64(FScale) * 1000000 / FRate));  // microseconds a frame
    f.U32(Cardinal(std::min<Int64>(Int64(FLargest) * FRate / FScale, 0xFFFFFFFF)));  // bytes a second
    f.U32(0).U32(kHasIndex).U32(frames).U32(0).U32(1).U32(FLargest);
    f.U32(Cardinal(FWidth)).U32(Cardinal(FHeight)).U32(0).U32(0).U32(0).U32(0);
    f.Code("LIST").U32(streamList).Code("strl");
    f.Code("strh").U32(kStreamHeader).Code("vids");
    if (FOptions.MotionJPEG)
        f.Code("MJPG");
    else
        f.U32(0);
    f.U32(0).U16(0).U16(0).U32(0).U32(FScale).U32(FRate).U32(0).U32(frames).U32(FLargest);
    f.U32(0xFFFFFFFF).U32(0).U16(0).U16(0).U16(Word(FWidth)).U16(Word(FHeight));
    f.Code("strf").U32(formatSize);
    f.U32(kBitmapHeader).U32(Cardinal(FWidth)).U32(Cardinal(FHeight)).U16(1).U16(Word(FBitCount));
    if (FOptions.MotionJPEG)
        f.Code("MJPG");
    else
        f.U32(BI_RGB);
    f.U32(imageSize).U32(0).U32(0).U32(colours).U32(0);
    if (colours) f.U32(0).U32(0x00FFFFFF);
    f.Code("LIST").U32(Cardinal(FMovieEnd ? FMovieEnd - FMovie : 4));
    f.Code("movi");

    FStream->SetPosition(FStart);
    FStream->WriteBuffer(f.Bytes.data(), Int64(f.Bytes.size()));
    if (FMovie == 0) FMovie = FStream->GetPosition() - 4;
    if (end > FStream->GetPosition()) FStream->SetPosition(end);
}

bool TAviWriter::AddFrame(TBitmap* Bitmap) {
    if (!Bitmap || Bitmap->GetWidth() != FWidth || Bitmap->GetHeight() != FHeight) return false;
    std::vector<Byte> data;
    if (FOptions.MotionJPEG) {
        TMemoryStream jpeg;
        TIOParamsVals params;
        params.JPEGQuality = std::clamp<Integer>(FOptions.Quality, 1, 100);
        bool aborting = false;
        TProgressRec progress;
        progress.Aborting = &aborting;
        TImgWriteSource source(Bitmap, 24);
        ImgCodecs().JPEGEncodeStream(&jpeg, source.Bitmap, params, progress);
        if (aborting) return false;
        const Byte* bytes = static_cast<const Byte*>(jpeg.GetMemory());
        data.assign(bytes, bytes + jpeg.GetSize());
    } else {
        TImgWriteSource source(Bitmap, FBitCount);
        const size_t rowBytes = size_t(((Int64(FWidth) * FBitCount + 31) / 32) * 4);
        const size_t used = FBitCount == 1 ? size_t(FWidth + 7) / 8 : size_t(FWidth) * 3;
        data.assign(rowBytes * size_t(FHeight), 0);
        for (Integer y = 0; y < FHeight; ++y)
            std::memcpy(data.data() + size_t(FHeight - 1 - y) * rowBytes, source.Bitmap->ScanLine(y), used);
    }
    const Int64 at = FStream->GetPosition();
    TFields head;
    head.Code(FOptions.MotionJPEG ? "00dc" : "00db").U32(Cardinal(data.size()));
    FStream->WriteBuffer(head.Bytes.data(), 8);
    FStream->WriteBuffer(data.data(), Int64(data.size()));
    if (data.size() & 1) {
        const Byte pad = 0;
        FStream->WriteBuffer(&pad, 1);
    }
    FIndex.push_back({Cardinal(at - FMovie), Cardinal(data.size())});
    FLargest = std::max(FLargest, Cardinal(data.size()));
    return true;
}

void TAviWriter::Finish() {
    FMovieEnd = FStream->GetPosition();
    TFields index;
    index.Code("idx1").U32(Cardinal(16 * FIndex.size()));
    for (const TIndexEntry& e : FIndex)
        index.Code(FOptions.MotionJPEG ? "00dc" : "00db").U32(kKeyFrame).U32(e.Offset).U32(e.Size);
    FStream->WriteBuffer(index.Bytes.data(), Int64(index.Bytes.size()));
    WriteHeaders();
}
