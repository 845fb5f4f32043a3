#pragma once
// Bit and mask helpers for the codecs and plane geometry for the views' selections and layouts.

#include <string>

#include "imaging/img_types.h"

// Counts the run of set bits that starts at the lowest set bit among bits 0..30 (at bit 31 when
// none of them is set).
Integer MaskBitCount(Cardinal Mask);
// -1 for no bit set; the bit's position for exactly one; otherwise the highest set bit's position
// plus 1.
Integer MaskTopBit(Cardinal Mask);
// Bytes of one device-independent bitmap row, padded to 4 bytes.
constexpr Integer ImgBitmapRowLen(Integer Width, Integer Bits) {
    return Integer(((Int64(Width) * Bits + 31) / 32) * 4);
}
// Reverses the bit order in place (bit 0 becomes bit 31, or bit 7).
void ReverseBits32(Cardinal& Value);
void ReverseBits8(Byte& Value);
// (2^Bits)^Samples, with Samples <= 0 counting as 1; saturates at the largest Int64.
Int64 ColorCountOfDepth(Integer Bits, Integer Samples);
// The size of the file in bytes; 0 when it cannot be read.
Int64 ImgGetFileSize(const std::string& FileName);

// X1 <= X <= X2 and Y1 <= Y <= Y2.
constexpr bool ImgPointInRect(Integer X, Integer Y, Integer X1, Integer Y1, Integer X2, Integer Y2) {
    return X >= X1 && X <= X2 && Y >= Y1 && Y <= Y2;
}
// The bounding box of A's two corners (in any order) meets the rectangle B.
bool ImgRectsOverlap(Integer AX1, Integer AY1, Integer AX2, Integer AY2, Integer BX1, Integer BY1,
                     Integer BX2, Integer BY2);
// 2 when B lies inside A, 1 when B's edges cross into A partly, 0 otherwise (also when B encloses
// A).
Integer ImgRectRelation(Integer AX1, Integer AY1, Integer AX2, Integer AY2, Integer BX1,
                        Integer BY1, Integer BX2, Integer BY2);
// Distance from P to the infinite line through the two points.
double ImgPointLineDistance(Integer PX, Integer PY, Integer X1, Integer Y1, Integer X2, Integer Y2);
// Distance from P to the segment between the two points.
double ImgPointSegmentDistance(Integer PX, Integer PY, Integer X1, Integer Y1, Integer X2,
                               Integer Y2);
// Bends the end (X, Y) of a line drawn from the anchor to horizontal, vertical or 45 degrees.
void ImgConstrainLine(Integer AnchorX, Integer AnchorY, Integer& X, Integer& Y);
