#pragma once
// The shared bitmap routines of the image library: whole-bitmap and rectangle copies, drawing
// through polygon selections, 1-bit inversion, expansion of 1-bit to 24-bit and ordered dithering
// to 1-bit. They work on 24-bit and 1-bit bitmaps a row at a time through ScanLine.
//
// A polygon vertex list holds points in bitmap pixels; a vertex whose X is ImgPolygonSeparator
// ($FFFFF) separates one polygon from the next. Each polygon covers its interior with alternate
// filling; its right and bottom edges are outside.

#include "imaging/bitmap_rows.h"
#include "framework/graphics.h"
#include "imaging/img_types.h"

// Bits per pixel of a pixel format: device 0, 1-bit 1, 4-bit 4, 8-bit 8, 15-bit 15, 16-bit 16,
// 24-bit 24, 32-bit 32, custom 0.
Integer ImgPixelFormatBits(TPixelFormat Format);

// Gives the bitmap a format and size whose pixels the caller is about to overwrite: it passes
// through 1 x 1 first, so no pixels are converted, and a bitmap that has them already is left as
// it is.
void ImgPrepareBitmap(TBitmap* Bitmap, TPixelFormat Format, Integer Width, Integer Height);

// Dest becomes 1 x 1 in Source's pixel format, then, when Source has pixels, Source's size with a
// copy of its pixels.
void CopyBitmap(TBitmap* Source, TBitmap* Dest);
// A new bitmap filled by CopyBitmap; the caller owns it.
TBitmap* CloneBitmap(TBitmap* Source);
// The rectangle x1..x2, y1..y2 of Source into Dest, which takes Source's pixel format. x2 = 0 or
// x2 >= width means the last column, y2 likewise. Formats other than 24-bit and 1-bit get the size
// but no pixels.
void CopyRegion(TBitmap* Source, TBitmap* Dest, Integer x1, Integer y1, Integer x2, Integer y2);
// Draws Source onto Dest with its top-left at (x, y), inside the polygons only; pixels outside
// every polygon keep their values.
void DrawThroughPolygon(TBitmap* Dest, TBitmap* Source, Integer x, Integer y, const TPoint* Points,
                        Integer Count);
// Dest takes Source's pixel format and the size (x2 - x1) x (y2 - y1); the parts of Source's
// rectangle from (x1, y1) that the polygons cover are copied to Dest's origin. Pixels of Dest
// outside the polygons keep their values (white in a new bitmap).
void CopyPolygonRegion(TBitmap* Source, TBitmap* Dest, Integer x1, Integer y1, Integer x2,
                       Integer y2, const TPoint* Points, Integer Count);
// Fills the polygons with a colour (system colours allowed). A 1-bit bitmap takes the nearer of
// black and white.
void FillPolygon(TBitmap* Bitmap, const TPoint* Points, Integer Count, TColor Color);
// Inverts every bit of every row of a 1-bit bitmap, padding bits included.
void InvertBitmap1Bit(TBitmap* Bitmap);
// Dest becomes the 24-bit version of the 1-bit Source: set bits white, clear bits black whatever
// the palette. Reports per row.
void Expand1BitTo24Bit(TBitmap* Source, TBitmap* Dest, const TImgProgressTarget& Progress = {});
// Turns a 24-bit bitmap into a 1-bit one in place by ordered dithering; other formats are left
// alone. Reports per row.
void DitherTo1BitOrdered(TBitmap* Bitmap, const TImgProgressTarget& Progress = {});
