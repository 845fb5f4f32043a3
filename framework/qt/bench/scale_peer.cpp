#include "framework/qt/bench/scale_peer.h"

#include <QImage>
#include <QThreadPool>

#include <algorithm>
#include <chrono>

double lumora_bench::QtScaledMs(const uint8_t* bits, int w, int h, int stride, int sx, int sy, int sw, int sh,
                                int dw, int dh, bool smooth, int runs) {
    (void)w;
    (void)h;
    const QImage part(bits + qsizetype(sy) * stride + qsizetype(sx) * 3, sw, sh, stride, QImage::Format_BGR888);
    const Qt::TransformationMode mode = smooth ? Qt::SmoothTransformation : Qt::FastTransformation;
    double best = 1e300;
    // Qt spreads large conversions and smooth scaling over its thread pool, except when it is
    // called on one of the pool's own threads. The view paints on one thread, so the peer runs
    // on a pool thread and works on that one alone.
    QThreadPool::globalInstance()->start([&] {
        for (int r = 0; r < runs; ++r) {
            const auto start = std::chrono::steady_clock::now();
            const QImage shown = part.scaled(dw, dh, Qt::IgnoreAspectRatio, mode).convertToFormat(QImage::Format_RGB32);
            const auto end = std::chrono::steady_clock::now();
            if (shown.isNull()) return;
            best = std::min(best, std::chrono::duration<double, std::milli>(end - start).count());
        }
    });
    QThreadPool::globalInstance()->waitForDone();
    return best;
}
