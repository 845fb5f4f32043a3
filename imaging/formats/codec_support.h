#pragma once
// Small pieces the file codecs share: little-endian numbers in byte buffers (framework/byte_order.h),
// the largest image a reader accepts, a fresh blank bitmap to decode into, and progress reports.

#include <memory>
#include <vector>

#include "framework/byte_order.h"
#include "framework/dib_reader.h"
#include "framework/graphics.h"
#include "framework/stream.h"
#include "imaging/img_types.h"

class TImgQuantizer;

// The largest side and the largest pixel count of an image a reader makes a bitmap for; files that
// claim more are refused before anything is allocated.
constexpr Int64 ImgCodecMaxSide = 65535;
constexpr Int64 ImgCodecMaxPixels = Int64(1) << 28;
constexpr bool ImgCodecSizeOK(Int64 Width, Int64 Height) {
    return Width > 0 && Height > 0 && Width <= ImgCodecMaxSide && Height <= ImgCodecMaxSide &&
           Width * Height <= ImgCodecMaxPixels;
}

// Makes the bitmap Width x Height in the format with every pixel blank (the canvas brush colour):
// nothing of the picture it held before survives.
inline void ImgNewBlankBitmap(TBitmap* Bitmap, TPixelFormat Format, Integer Width, Integer Height) {
    Bitmap->SetSize(0, 0);
    Bitmap->SetPixelFormat(Format);
    Bitmap->SetSize(Width, Height);
}

// The bytes from the stream's position to its end (0 when the position is past it).
inline Int64 ImgBytesLeft(TStream* Stream) {
    const Int64 left = Stream->GetSize() - Stream->GetPosition();
    return left > 0 ? left : 0;
}

// Tells the progress handler how far a reader or writer has come, in percent.
inline void ReportPercent(const TProgressRec& Progress, Integer Percent) {
    if (Progress.OnProgress) Progress.OnProgress(Progress.Sender, Percent);
}

// Pixels per metre as dots per inch, rounded half to even; a result that is not positive gives
// Default.
Integer ImgDpiFromPelsPerMetre(Int64 PelsPerMetre, Integer Default);

// The rows of a stored image, read from the stream in order a block at a time. A row the data
// does not hold in full is not handed out.
class TImgRowReader {
public:
    TImgRowReader(TStream* Stream, Integer RowBytes, Integer Rows);
    // The next row, or null once the data has ended.
    const Byte* Next();

private:
    TStream* FStream;
    Integer FRowBytes, FRowsLeft, FBlockRows = 1;
    Integer FIndex = 0, FValid = 0;
    std::vector<Byte> FBuffer;
};

// The colour table of a stored bitmap (framework/dib_reader.h), read from the stream: Count entries
// of EntrySize bytes, blue, green, red first. At most 256 are kept, the rest are read past.
class TImgPaletteTable {
public:
    TImgPaletteTable(TStream* Stream, Int64 Count, Integer EntrySize);
    std::vector<TImgRGB> Colours;
    // Entry Index; black past the table.
    TImgRGB Colour(unsigned Index) const { return Index < Colours.size() ? Colours[Index] : TImgRGB{}; }
    // The format of the bitmap's rows with this table; narrow channels keep their bits at the top.
    TDibRowFormat RowFormat(const TDibHeader& Header) const;

private:
    std::vector<Byte> FRaw;
    Integer FEntrySize;
};

// Output collected in memory and written to the stream a block at a time (WriteBuffer: a failed
// write raises).
class TImgBlockWriter {
public:
    explicit TImgBlockWriter(TStream* Stream) : FStream(Stream) { FBuffer.reserve(kBlock + 4096); }
    void Put(const void* Data, size_t Count) {
        const Byte* b = static_cast<const Byte*>(Data);
        FBuffer.insert(FBuffer.end(), b, b + Count);
        if (FBuffer.size() >= kBlock) Flush();
    }
    void Flush() {
        if (!FBuffer.empty()) FStream->WriteBuffer(FBuffer.data(), Int64(FBuffer.size()));
        FBuffer.clear();
    }

private:
    static constexpr size_t kBlock = size_t(1) << 18;
    TStream* FStream;
    std::vector<Byte> FBuffer;
};

// The pixels a writer writes at Depth bits (1, 4, 8 or 24) and their palette. At 1 bit: a 1-bit
// bitmap as it is with the colours black, white; a 24-bit bitmap of exactly two colours as the
// 1-bit image of those colours, the darker first; any other bitmap as a copy dithered to black and
// white. Deeper: a 24-bit bitmap as it is, a 1-bit one expanded; at 2 to 8 bits a quantizer over
// it fills a palette of 2^Depth entries (entries it does not fill are black).
class TImgWriteSource {
public:
    TImgWriteSource(TBitmap* Source, Integer Depth);
    ~TImgWriteSource();
    TBitmap* Bitmap;
    std::vector<TImgRGB> Palette;
    std::unique_ptr<TImgQuantizer> Quantizer;

private:
    std::unique_ptr<TBitmap> FOwn;
};
