// Rotating a 4000 x 3000 picture (12 megapixels) through TImagoProc on a bare bitmap (no undo
// copy): 30 degrees with and without anti-aliasing, and quarter turns both ways. The peer is Qt's
// QImage::transformed of the same pixels on one thread, smooth for the anti-aliased turn and
// fast (nearest) otherwise; Qt turns clockwise for positive angles, so the angles are negated.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include "bench/synthetic_photo.h"
#include "framework/backend.h"
#include "framework/qt/bench/rotate_peer.h"
#include "imaging/bitmap_routines.h"
#include "imaging/img_proc.h"

namespace {

constexpr Integer W = 4000, H = 3000;

}  // namespace

int main() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    EnsureBackend();
    std::unique_ptr<TBitmap> photo(new TBitmap()), work(new TBitmap());
    FillSyntheticPhoto(photo.get(), W, H);
    const auto* bits = static_cast<const uint8_t*>(photo->ScanLine(0));
    const int stride = int(static_cast<const uint8_t*>(photo->ScanLine(1)) - bits);

    auto* proc = new TImagoProc(nullptr);
    proc->SetAutoUndo(false);
    proc->SetBackground(clGray);
    proc->SetAttachedBitmap(work.get());

    struct Case {
        const char* name;
        Integer angle;
        bool antiAlias;
    } cases[] = {{"rotate 30 anti-aliased", 30, true},
                 {"rotate 30", 30, false},
                 {"rotate 90", 90, false},
                 {"rotate -90", -90, false}};
    for (const Case& c : cases) {
        double best = 1e300;
        TSize size{};
        for (int run = 0; run < 3; ++run) {
            CopyBitmap(photo.get(), work.get());
            const auto t0 = std::chrono::steady_clock::now();
            proc->Rotate(c.angle, c.antiAlias);
            const auto t1 = std::chrono::steady_clock::now();
            best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
            size = TSize{work->GetWidth(), work->GetHeight()};
        }
        const double peer = lumora_bench::QtRotatedMs(bits, W, H, stride, -c.angle, c.antiAlias, 3);
        std::printf("%s: ours %.1f ms, Qt QImage::transformed %.1f ms, ratio %.2f\n", c.name, best, peer, best / peer);
        std::printf("  %s: %d x %d to %d x %d\n", c.name, W, H, size.cx, size.cy);
    }
    proc->Free();
    return 0;
}
