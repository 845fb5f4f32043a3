#include "framework/qt/bench/canvas_peer.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>

double lumora_bench::QtDrawImageMs(uint8_t* bits, int w, int h, int stride, int dw, int dh, int tw, int th, int runs) {
    const QImage src(bits, w, h, stride, QImage::Format_BGR888);
    QImage dst(tw, th, QImage::Format_BGR888);
    dst.fill(Qt::white);
    double best = 1e300;
    for (int r = 0; r < runs; ++r) {
        const auto start = std::chrono::steady_clock::now();
        {
            QPainter p(&dst);
            p.setRenderHint(QPainter::SmoothPixmapTransform, false);
            p.drawImage(QRect(0, 0, dw, dh), src);
        }
        const auto end = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(end - start).count());
    }
    return best;
}
