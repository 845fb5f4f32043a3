#pragma once
// The device-independent bitmap layout, read in one place: the information header (the 12-byte
// core header and every longer version), the bit-field masks, the colour table, uncompressed rows
// and run-length data. Everything is checked against the bytes it came in, so a damaged or hostile
// block is refused instead of read past. TBitmap, icons, the clipboard, the image library's DIB
// routines and the bitmap and icon file codecs all read bitmaps through here.

#include <cstddef>
#include <cstdint>

#include "framework/windows_gdi.h"

// The largest width or height, and the largest pixel count, a bitmap may have.
constexpr int64_t DibMaxSide = 65535;
constexpr int64_t DibMaxPixels = int64_t(1) << 28;

enum class TDibError : uint8_t {
    None,
    Truncated,    // the header, masks, colour table or rows run past the bytes given
    BadHeader,    // header size, width, height or colour count out of range
    Unsupported,  // a bit count or compression that is not read (run-length data top-down too)
    BadMasks,     // a 16-bit channel mask that is empty, not one run of bits, or wider than a pixel
};

// How the pixels of a row are stored: 1, 4 or 8 bits through the colour table, 16 or 32 bits
// through the channel masks, 24 bits blue, green, red.
struct TDibRowFormat {
    int BitCount = 24;
    const uint8_t* Palette = nullptr;  // entries of blue, green, red (and a reserved byte)
    size_t PaletteEntry = 4;           // bytes an entry: 3 under a core header
    size_t PaletteCount = 0;
    uint32_t Masks[3] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu};  // red, green, blue
    // A channel narrower than 8 bits spread over 0..255 (its largest value white); otherwise its
    // bits are shifted to the top of the byte.
    bool FullRange = true;

    // Entry Index of the table as 0x00RRGGBB; black past its end.
    uint32_t Colour(size_t Index) const;
};

// What an information header says.
struct TDibHeader {
    uint32_t HeaderSize = 0;
    bool Core = false;       // the 12-byte header: 16-bit sizes, 3-byte colour entries
    int64_t Width = 0;
    int64_t Height = 0;      // without its sign
    bool TopDown = false;    // the stored height was negative
    int BitCount = 0;
    uint32_t Compression = BI_RGB;
    uint32_t ImageSize = 0;
    int32_t PelsPerMeterX = 0;
    int32_t PelsPerMeterY = 0;
    uint32_t ColorsUsed = 0;  // as stored
    // The stored masks for bit fields, else the depth's own (5-5-5 at 16 bits, 8-8-8 at 32).
    uint32_t Masks[3] = {0, 0, 0};
    size_t PaletteAt = 0;     // where the colour table starts, from the header's first byte
    size_t PaletteEntry = 4;
    // The entries the table holds: the colours used, or 2^BitCount up to 8 bits when that is 0.
    uint64_t PaletteCount = 0;

    bool Empty() const { return Width == 0 || Height == 0; }
    bool RunLength() const { return Compression == BI_RLE8 || Compression == BI_RLE4; }
    // Where the rows start when they follow the colour table.
    uint64_t PixelsAt() const { return PaletteAt + PaletteCount * PaletteEntry; }
    // Bytes a stored row takes (padded to 4 bytes).
    size_t RowBytes() const { return size_t(((Width * BitCount + 31) / 32) * 4); }
    // The row format with the colour table at Table (Bytes long; at most 256 entries are used).
    TDibRowFormat RowFormat(const uint8_t* Table, size_t Bytes) const;
};

// Reads the header at Block (Size bytes, holding at least the header's known fields and the masks
// that follow a short one) and checks its sizes, bit count, compression and masks. The fields read
// are set even when an error is returned. A width or height of 0 is no error.
TDibError DibReadHeader(const void* Block, size_t Size, TDibHeader& Header);

// A packed bitmap in memory whose header, colour table and rows are all there.
struct TDibBlock {
    TDibHeader Header;
    TDibRowFormat Format;
    const uint8_t* Pixels = nullptr;  // the first stored row, or the run-length data
    size_t PixelBytes = 0;
};

// Reads the header and colour table of the Size bytes at Block, with the rows in the PixelsSize
// bytes at Pixels or, when Pixels is null, in the block after the colour table. Up to 8 bits a
// table of more than 256 entries is refused; uncompressed rows must all be there.
TDibError DibReadBlock(const void* Block, size_t Size, const void* Pixels, size_t PixelsSize, TDibBlock& Out);

// Decodes the first Width pixels of a stored row, as 0x00RRGGBB or as blue, green, red bytes.
void DibDecodeRow(const TDibRowFormat& Format, const uint8_t* Row, int Width, uint32_t* Out);
void DibDecodeRowBGR(const TDibRowFormat& Format, const uint8_t* Row, int Width, uint8_t* Out);

// Where run-length data puts its pixels.
class TDibRunSink {
public:
    virtual ~TDibRunSink() = default;
    // Count palette indexes at column X of Row (rows count from the first stored, the bottom one);
    // never outside the picture.
    virtual void Span(int Row, int X, const uint8_t* Indexes, int Count) = 0;
    // An end of line began Row; false stops decoding.
    virtual bool NextRow(int Row) { return Row >= 0; }
};

// Decodes RLE8 data (RLE4 when Four) of a Width x Height picture up to its end code, the end of the
// picture or the end of the data. With DeltaFromRowStart a delta's column counts from the row's
// left end, otherwise from the current column. False when a literal run passes the end of the data.
bool DibDecodeRunLength(const uint8_t* Data, size_t Count, int Width, int Height, bool Four,
                        bool DeltaFromRowStart, TDibRunSink& Sink);
