// StretchDraw of a 4000 x 3000 24-bit bitmap at 25 %, 100 % and 400 % onto a 1600 x 1200 24-bit
// bitmap, against Qt's drawImage doing the same on the same pixels (nearest sampling both).

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "framework/backend.h"
#include "framework/graphics.h"
#include "framework/qt/bench/canvas_peer.h"

namespace {

double OursMs(TBitmap* src, TBitmap* dst, int dw, int dh, int runs) {
    double best = 1e300;
    for (int r = 0; r < runs; ++r) {
        const auto start = std::chrono::steady_clock::now();
        dst->GetCanvas()->StretchDraw(Rect(0, 0, dw, dh), src);
        const auto end = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(end - start).count());
    }
    return best;
}

}  // namespace

int main() {
    EnsureBackend();
    TBitmap src;
    src.SetPixelFormat(pf24bit);
    src.SetSize(4000, 3000);
    for (int y = 0; y < 3000; ++y) {
        auto* row = static_cast<Byte*>(src.ScanLine(y));
        for (int x = 0; x < 4000 * 3; ++x) row[x] = Byte((x * 7 + y * 13) & 0xFF);
    }
    TBitmap dst;
    dst.SetPixelFormat(pf24bit);
    dst.SetSize(1600, 1200);
    auto* bits = static_cast<uint8_t*>(src.ScanLine(0));
    const int stride = int(static_cast<uint8_t*>(src.ScanLine(1)) - bits);
    for (int percent : {25, 100, 400}) {
        const int dw = 4000 * percent / 100, dh = 3000 * percent / 100;
        const int runs = 25;
        OursMs(&src, &dst, dw, dh, 2);  // warm up
        const double ours = OursMs(&src, &dst, dw, dh, runs);
        const double peer = lumora_bench::QtDrawImageMs(bits, 4000, 3000, stride, dw, dh, 1600, 1200, runs);
        std::printf("stretchdraw_4000x3000_%d%%: ours %.2f ms, qt_drawimage %.2f ms, ratio %.2f\n", percent, ours, peer,
                    ours / peer);
    }
    return 0;
}
