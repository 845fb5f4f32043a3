#pragma once
// Qt's own image rotation, as the peer of the rotation benchmark (built into bench/rotate only).

#include <cstdint>

namespace lumora_bench {

// Milliseconds of one QImage::transformed of a w x h 24-bit image (rows of blue, green, red at
// the stride, used in place) turned Degrees clockwise, fast (nearest) or smooth; the best of
// runs, on one thread.
double QtRotatedMs(const uint8_t* bits, int w, int h, int stride, double degrees, bool smooth, int runs);

}  // namespace lumora_bench
