#pragma once
// Qt's own drawing, as the peer of the canvas benchmark (built into bench/canvas_bench only).

#include <cstdint>

namespace lumora_bench {

// Milliseconds of one QPainter::drawImage of a w x h 24-bit image (rows of blue, green, red at
// the stride) into the rectangle (0, 0, dw, dh) of a tw x th 24-bit image, nearest sampling; the
// best of runs.
double QtDrawImageMs(uint8_t* bits, int w, int h, int stride, int dw, int dh, int tw, int th, int runs);

}  // namespace lumora_bench
