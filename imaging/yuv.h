#pragma once
// YUV to RGB conversion for device-independent bitmaps that carry video frames: the pixel formula
// and one row converter per frame layout.

#include "framework/types.h"
#include "imaging/img_types.h"

// d = (Y - 16) * 1.164; blue = d + 2.018 (U - 128); green = d - 0.813 (V - 128) - 0.391 (U - 128);
// red = d + 1.596 (V - 128); each rounded to nearest (halves to even) and clamped to 0..255.
void YUVToRGB(Integer Y, Integer U, Integer V, TImgRGB& Pixel);

// The frame layouts, named by their four-character codes.
enum TYUVLayout {
    yuvI420,  // also IYUV: planes Y, U, V; chroma halved both ways
    yuvYV12,  // planes Y, V, U; chroma halved both ways
    yuvYVU9,  // planes Y, V, U; chroma quartered both ways
    yuvYUY2,  // also YUNV: Y0 U Y1 V
    yuvYVYU,  // Y0 V Y1 U
    yuvUYVY,  // also UYNV: U Y0 V Y1
    yuvCYUV,  // cyuv: U Y0 V Y1, rows from the bottom
    yuvIYU1,  // U Y0 Y1 V Y2 Y3
    yuvIYU2,  // U Y V
    yuvY211,  // Y0 U Y2 V, each Y for two pixels
    yuvY41P,  // U0 Y0 V0 Y1 U4 Y2 V4 Y3 Y4 Y5 Y6 Y7
    yuvCLJR,  // 32-bit words: V 0-5, U 6-11, Y0 12-16, Y1 17-21, Y2 22-26, Y3 27-31
};

struct TYUVLayoutInfo {
    TYUVLayout Layout;
    bool Planar;
    Integer GroupPixels;  // pixels packed together (packed layouts); chroma step (planar)
    Integer GroupBytes;   // bytes of one group (packed layouts)
    bool FromBottom;      // the first row of data is the bottom row when the height is positive
};

// The layout a compression code names ('I','4','2','0' read as a little-endian 32-bit value);
// null for codes that are not YUV layouts.
const TYUVLayoutInfo* YUVLayoutOfCode(Cardinal FourCC);

// Width pixels of one row of a packed layout. Width must be a multiple of the layout's group.
void YUVPackedRowToRGB(TYUVLayout Layout, const Byte* Source, TImgRGB* Dest, Integer Width);
// Width pixels of one row of a planar layout: Y holds the row's luma, U and V the chroma row that
// covers it, each chroma sample standing for ChromaStep pixels.
void YUVPlanarRowToRGB(const Byte* Y, const Byte* U, const Byte* V, Integer ChromaStep,
                       TImgRGB* Dest, Integer Width);
