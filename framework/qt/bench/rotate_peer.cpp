#include "framework/qt/bench/rotate_peer.h"

#include <QImage>
#include <QThreadPool>
#include <QTransform>

#include <algorithm>
#include <chrono>

double lumora_bench::QtRotatedMs(const uint8_t* bits, int w, int h, int stride, double degrees, bool smooth,
                                 int runs) {
    const QImage image(bits, w, h, stride, QImage::Format_BGR888);
    const Qt::TransformationMode mode = smooth ? Qt::SmoothTransformation : Qt::FastTransformation;
    double best = 1e300;
    // On one of the pool's own threads Qt does the work on that thread alone, as our code does.
    QThreadPool::globalInstance()->start([&] {
        for (int r = 0; r < runs; ++r) {
            const auto start = std::chrono::steady_clock::now();
            const QImage turned = image.transformed(QTransform().rotate(degrees), mode);
            const auto end = std::chrono::steady_clock::now();
            if (turned.isNull()) return;
            best = std::min(best, std::chrono::duration<double, std::milli>(end - start).count());
        }
    });
    QThreadPool::globalInstance()->waitForDone();
    return best;
}
