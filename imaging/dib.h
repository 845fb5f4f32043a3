#pragma once
// Exchange between bitmaps and device-independent bitmaps (the clipboard's CF_DIB layout, also
// used for packed images and video frames).

#include <cstddef>
#include <cstdint>

#include "framework/dynlib.h"
#include "framework/graphics.h"
#include "imaging/img_types.h"

// A new movable, zero-initialised global block holding the rectangle x1..x2, y1..y2 of a 24-bit or
// 1-bit bitmap as a bottom-up device-independent bitmap (40-byte header; for 1 bit the palette
// black, white). x2 = 0 (or past the last column) means the last column, y2 likewise. Other
// formats give a 24-bit header with blank rows. Null when the rectangle holds no pixel. The caller
// owns the block.
HGLOBAL BitmapToDIB(TBitmap* Bitmap, Integer x1 = 0, Integer y1 = 0, Integer x2 = 0, Integer y2 = 0);
// A polygon selection as a device-independent bitmap of its bounding rectangle (x2 - x1) x
// (y2 - y1), white outside the polygons.
HGLOBAL PolygonToDIB(TBitmap* Bitmap, Integer x1, Integer y1, Integer x2, Integer y2,
                     const TPoint* Points, Integer Count);
// Fills Bitmap from a device-independent bitmap held in a global block (locked and unlocked around
// the read) or at a pointer with its size. Pixels, when not null, is the pixel data (PixelsSize
// bytes) in place of the rows after the header; video frames in YUV layouts always come that way.
// A 1-bit image stays 1-bit (its colour table is not applied: a set bit is white), every other
// depth becomes 24-bit. Returns the bit count; 0 when the block is refused (damaged, truncated,
// run-length compressed, or of a layout that is not read), in which case Bitmap is untouched.
Integer DIBToBitmap(HGLOBAL DIB, TBitmap* Bitmap, const void* Pixels = nullptr, size_t PixelsSize = 0);
Integer DIBToBitmap(const void* DIB, size_t DIBSize, TBitmap* Bitmap, const void* Pixels = nullptr,
                    size_t PixelsSize = 0);

// A 24-bit or 1-bit bitmap described in place as a device-independent bitmap, for drawing with
// DrawDibDraw: the header (height negative when the rows run top-down in memory) followed by the
// palette black, white, and the address of the pixel block. No pixel is copied.
struct TImgDrawDIB {
    BITMAPINFOHEADER Header{};
    RGBQUAD Palette[2]{};
    const void* Bits = nullptr;
};
static_assert(offsetof(TImgDrawDIB, Palette) == sizeof(BITMAPINFOHEADER),
              "the palette must follow the header");
// False (and Out empty) for a bitmap without pixels or of another format.
bool ImgDescribeBitmap(TBitmap* Bitmap, TImgDrawDIB& Out);
