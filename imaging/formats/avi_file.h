#pragma once
// AVI video files (RIFF "AVI "): one checked reader of the first video stream's header, format
// and frame index (idx1, OpenDML indexes, or the movie data itself when there is no index), a
// frame reader that decodes the stream's frames into bitmaps (uncompressed device-independent
// bitmaps of 1 to 32 bits, Microsoft RLE 4 and 8, Motion JPEG, the YUV layouts of imaging/yuv.h),
// and a writer of AVI 1.0 files with an idx1 index, uncompressed or Motion JPEG.
//
// Every size, count and offset the reader takes from a file is checked against the file and the
// largest image a reader accepts (codec_support.h) before it is used.

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/graphics.h"
#include "framework/stream.h"
#include "framework/types.h"

// A four-character code as a little-endian 32-bit value.
constexpr Cardinal AviFourCC(const char (&Code)[5]) {
    return Cardinal(Byte(Code[0])) | (Cardinal(Byte(Code[1])) << 8) | (Cardinal(Byte(Code[2])) << 16) |
           (Cardinal(Byte(Code[3])) << 24);
}

// The stream header ("strh") of a video stream.
struct TAviStreamInfo {
    Cardinal Type = 0;  // "vids"
    Cardinal Handler = 0;  // the codec's code, often 0
    Cardinal Scale = 0;  // Rate / Scale frames a second
    Cardinal Rate = 0;
    Cardinal Length = 0;  // frames
    Cardinal SuggestedBufferSize = 0;
    TRect Frame;
};

// Where one frame's data lies in the file.
struct TAviFrameEntry {
    Int64 Offset = 0;  // the first byte of the data
    Cardinal Size = 0;
    bool Key = true;
};

class TAviReader {
public:
    // Reads the AVI that starts at the stream's position: its first video stream's header and
    // format and the index of its frames. False when there is none (not an AVI, no video stream,
    // a damaged header or format, or a frame larger than the image size limit). The stream must
    // outlive the reader.
    bool Open(TStream* Stream);

    const TAviStreamInfo& GetInfo() const { return FInfo; }
    // The stream format: a device-independent bitmap header with its colour table (or the
    // codec's data) as the file holds it.
    const std::vector<Byte>& GetFormat() const { return FFormat; }
    Integer GetWidth() const { return FWidth; }
    Integer GetHeight() const { return FHeight; }
    Integer GetBitCount() const { return FBitCount; }
    Cardinal GetCompression() const { return FCompression; }
    // The frames in order: as many as the stream length says, at most as many as the file holds.
    Integer GetFrameCount() const { return Integer(FFrames.size()); }
    const TAviFrameEntry& GetFrame(Integer Index) const { return FFrames[size_t(Index)]; }
    // The bytes of frame Index; false when they cannot be read.
    bool ReadFrame(Integer Index, std::vector<Byte>& Data);
    // The time a frame is shown in milliseconds (truncated); 100 when the rate or scale is 0.
    Integer FrameDelay() const;

private:
    bool ReadAt(Int64 Position, void* Buffer, Int64 Count);
    bool ReadBlock(Int64 Position, Int64 Count, std::vector<Byte>& Out);
    bool ParseHeaders(const std::vector<Byte>& Headers);
    bool ParseStreamList(const Byte* Data, size_t Size, bool& Found);
    void IndexFromOpenDML();
    void IndexFromStandardIndex(const Byte* Data, size_t Size);
    void IndexFromIdx1();
    void IndexFromMovie();
    void ScanList(Int64 Start, Int64 End, Integer Depth);
    bool IsFrameChunk(Cardinal Id) const;
    void AddFrame(Int64 Offset, Int64 Size, bool Key);
    bool Full() const { return FFrames.size() >= FInfo.Length; }

    TStream* FStream = nullptr;
    Int64 FBase = 0;
    Int64 FEnd = 0;
    TAviStreamInfo FInfo;
    std::vector<Byte> FFormat;
    std::vector<Byte> FSuperIndex;
    Integer FStreamNumber = -1;
    Integer FWidth = 0, FHeight = 0, FBitCount = 0;
    Cardinal FCompression = 0;
    Int64 FMovie = -1;  // where the first movie list's type code stands
    std::vector<std::pair<Int64, Int64>> FMovieLists;
    Int64 FIdx1 = -1, FIdx1Size = 0;
    std::vector<TAviFrameEntry> FFrames;
};

// Decodes the frames of an open reader's stream, as the platform's frame reader does: each frame
// a complete picture, also where the stream stores only what changed since the last key frame.
class TAviFrameReader {
public:
    explicit TAviFrameReader(TAviReader& Reader);
    ~TAviFrameReader();
    // Whether the stream's codec is one that is read.
    bool Supported() const;
    // Frame Index as a 24-bit bitmap (1-bit for black-and-white uncompressed frames); answers the
    // source's bits per pixel, 0 when the frame cannot be decoded (the bitmap may then hold part
    // of it). An empty frame (a dropped one) repeats the last frame with data.
    Integer GetFrame(Integer Index, TBitmap* Bitmap);

private:
    enum class TKind { None, DIB, RunLength, MotionJPEG };
    Integer DecodeDIB(TBitmap* Bitmap);
    Integer DecodeRunLength(Integer Index, TBitmap* Bitmap);
    Integer DecodeMotionJPEG(TBitmap* Bitmap);

    TAviReader& FReader;
    TKind FKind = TKind::None;
    std::vector<Byte> FFormat;  // the format with the compression a DIB reader knows
    std::vector<Byte> FCanvas;  // run-length frames: the palette indexes so far, bottom row first
    std::vector<Byte> FData;  // the last frame's bytes, the buffer kept from frame to frame
    Integer FNextRunFrame = 0;  // the frame the canvas is ready for
};

// How frames are stored by the writer.
struct TAviWriteOptions {
    bool MotionJPEG = false;
    Integer Quality = 75;  // Motion JPEG quality, 1 to 100
};

// Writes an AVI 1.0 file with one video stream and an idx1 index at the stream's position. Every
// frame is stored in the stream's one format: Width x Height, 1 or 24 bits uncompressed (1 bit
// with a black and white colour table), or Motion JPEG.
class TAviWriter {
public:
    // Frames last Scale / Rate seconds each (both at least 1).
    TAviWriter(TStream* Stream, Integer Width, Integer Height, Integer BitCount, Cardinal Scale, Cardinal Rate,
               const TAviWriteOptions& Options);
    // Writes the bitmap as the next frame, converted to the stream's format (a 1-bit image
    // expanded into a 24-bit stream, any other dithered into a 1-bit one); false for a bitmap of
    // another size.
    bool AddFrame(TBitmap* Bitmap);
    // Writes the index and completes the headers; the stream is left after the file.
    void Finish();

private:
    void WriteHeaders();

    TStream* FStream;
    Int64 FStart;
    Integer FWidth, FHeight, FBitCount;
    Cardinal FScale, FRate;
    TAviWriteOptions FOptions;
    Int64 FMovie = 0;  // where the movie list's type code stands
    Int64 FMovieEnd = 0;
    Cardinal FLargest = 0;
    struct TIndexEntry {
        Cardinal Offset, Size;
    };
    std::vector<TIndexEntry> FIndex;
};
