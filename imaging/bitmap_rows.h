#pragma once
// Row kernels behind the bitmap routines: single bits and bit runs of 1-bit rows, expansion of
// 1-bit rows to 24-bit, ordered dithering of 24-bit rows, and the spans that a list of polygons
// covers. They work on plain byte rows, a row at a time.

#include <functional>

#include "framework/types.h"
#include "imaging/img_types.h"

// The byte Row[N div 8] masked with $80 shr (N mod 8): non-zero when pixel N is set.
inline Byte GetRowBit(const void* Row, Integer N) {
    return static_cast<const Byte*>(Row)[N >> 3] & Byte(0x80u >> (N & 7));
}
// Sets pixel N of the row when Value is non-zero, else clears it.
inline void SetRowBit(void* Row, Integer N, Integer Value) {
    Byte& b = static_cast<Byte*>(Row)[N >> 3];
    const Byte mask = Byte(0x80u >> (N & 7));
    b = Value ? Byte(b | mask) : Byte(b & ~mask);
}
// Copies Count bits, most significant bit first, from Source starting at bit SourceBit to Dest
// starting at bit DestBit; the bits of Dest outside the run keep their values.
void CopyBitRun(void* Dest, const void* Source, Integer DestBit, Integer Count, Integer SourceBit);

// The expansion table: for each byte value, 8 pixels of 3 bytes, white for a set bit and black for
// a clear one, bit 7 first.
const Byte* ImgExpandTable();
// Width pixels of a 1-bit row as 24-bit pixels: set bits white, clear bits black.
void Expand1BitRow(const Byte* Source, TImgRGB* Dest, Integer Width);

// The 8 x 8 ordered-dither matrix, indexed [x mod 8][y mod 8].
extern const Byte ImgDitherMatrix[8][8];
// Row Y of a 24-bit image dithered to 1 bit: pixel x is set (white) when its grey level shr 2 is
// above ImgDitherMatrix[x mod 8][Y mod 8]. Writes the (Width + 7) div 8 bytes of the row.
void DitherRowOrdered(const TImgRGB* Source, Byte* Dest, Integer Width, Integer Y);

// The X that separates one polygon of a vertex list from the next.
constexpr Integer ImgPolygonSeparator = 0xFFFFF;

// Exactly four vertices whose edges, the closing one included, are in turn vertical (same X,
// different Y) and horizontal (different X, same Y), starting with either: a plain rectangle.
bool ImgIsRectangle(const TPoint* Points, Integer Count);

// Calls Fn(points, count) for each polygon of a vertex list, skipping empty ones.
void ForEachPolygon(const TPoint* Points, Integer Count,
                    const std::function<void(const TPoint*, Integer)>& Fn);

// The pixels a polygon covers with alternate (even-odd) filling: a pixel is inside when its centre
// is, so the interior is covered and the right and bottom edges stay outside. Calls Span(y, x1, x2)
// for each run of covered pixels x1 <= x < x2 in rows Top <= y < Bottom, rows in increasing order.
void PolygonSpans(const TPoint* Points, Integer Count, Integer Top, Integer Bottom,
                  const std::function<void(Integer y, Integer x1, Integer x2)>& Span);
