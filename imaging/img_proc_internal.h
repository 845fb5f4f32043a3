#pragma once
// What the rectangle kernels share: clipping the rectangle to the bitmap, the progress of a row
// and the walk over the rows of a 24-bit rectangle.

#include <algorithm>

#include "framework/graphics.h"
#include "framework/math_utils.h"
#include "imaging/img_types.h"
#include "imaging/quantizer.h"

namespace img_kernel {

// Clips the rectangle to the bitmap; false when nothing is left.
inline bool ClipRect(TBitmap* Bitmap, Integer& x1, Integer& y1, Integer& x2, Integer& y2) {
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, Bitmap->GetWidth() - 1);
    y2 = std::min(y2, Bitmap->GetHeight() - 1);
    return x1 <= x2 && y1 <= y2;
}

// After row Row of the rows y1..y2: Trunc((Row - y1 + 1) * (100 / (y2 - y1 + 0.5))).
inline void ReportRow(const TImgProgressTarget& Progress, Integer Row, Integer y1, Integer y2) {
    if (Progress.OnProgress)
        Progress.OnProgress(Progress.Sender, Integer(Trunc((Row - y1 + 1) * (100 / (y2 - y1 + 0.5)))));
}

inline bool Is24(TBitmap* Bitmap) {
    return Bitmap && Bitmap->GetPixelFormat() == pf24bit;
}

inline TImgRGB* Row24(TBitmap* Bitmap, Integer y) {
    return static_cast<TImgRGB*>(Bitmap->ScanLine(y));
}

// Calls Fn(first pixel, count) for each row of the rectangle of a 24-bit bitmap, reporting after
// each row.
template <class Fn>
void ForRows24(TBitmap* Bitmap, Integer x1, Integer y1, Integer x2, Integer y2, const TImgProgressTarget& Progress,
               Fn fn) {
    if (!Is24(Bitmap)) return;
    const Integer top = y1;
    if (!ClipRect(Bitmap, x1, y1, x2, y2)) return;
    for (Integer y = y1; y <= y2; ++y) {
        fn(Row24(Bitmap, y) + x1, x2 - x1 + 1);
        ReportRow(Progress, y, top, y2);
    }
}

// A packed colour red * 65536 + green * 256 + blue as a pixel.
constexpr TImgRGB Unpack(Integer Packed) {
    return ImgRGB(Byte(Packed >> 16), Byte(Packed >> 8), Byte(Packed));
}

}  // namespace img_kernel
