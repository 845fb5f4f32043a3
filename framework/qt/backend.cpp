#include "framework/backend.h"

#include "framework/graphics.h"

#include <QApplication>
#include <QImage>
#include <QGuiApplication>
#include <QScreen>

#include <cstdlib>
#include <mutex>

namespace {

std::once_flag g_once;

}  // namespace

void EnsureBackend() {
    if (QCoreApplication::instance()) return;
    std::call_once(g_once, [] {
        if (QCoreApplication::instance()) return;
        // The application object keeps references to argc and argv for its whole life.
        static int argc = 1;
        static char name[] = "lumora";
        static char* argv[] = {name, nullptr};
        if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
            setenv("QT_QPA_PLATFORM", "offscreen", 0);
        new QApplication(argc, argv);
    });
}

bool BackendStarted() {
    return QCoreApplication::instance() != nullptr;
}

bool SaveBitmapAsPng(TBitmap* Bitmap, const std::string& FileName) {
    if (!Bitmap || Bitmap->GetEmpty()) return false;
    EnsureBackend();
    const int w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        const auto* row = static_cast<const uint8_t*>(Bitmap->ScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            if (Bitmap->GetPixelFormat() == pf1bit)
                out[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 0xFFFFFFFFu : 0xFF000000u;
            else out[x] = qRgb(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
        }
    }
    return img.save(QString::fromStdString(FileName), "PNG");
}
