#pragma once
// Qt's own image scaling, as the peer of the image view benchmark (built into bench/view_paint
// only).

#include <cstdint>

namespace lumora_bench {

// Milliseconds of one QImage::scaled of the part (sx, sy, sw, sh) of a w x h 24-bit image (rows
// of blue, green, red at the stride; the part is used in place, not copied) to dw x dh, fast
// (nearest) or smooth, delivered in the format windows are painted in (32-bit RGB); the best of
// runs. Qt works on one thread, as the view paints on one thread.
double QtScaledMs(const uint8_t* bits, int w, int h, int stride, int sx, int sy, int sw, int sh, int dw, int dh,
                  bool smooth, int runs);

}  // namespace lumora_bench
