// Canvases on images owned by the window system: binding, the painted part as a limit, and
// drawing an image onto a canvas.

#include <QImage>
#include <QRegion>

#include <map>
#include <mutex>

#include "framework/graphics.h"
#include "framework/qt/gdi_backend.h"

using namespace lumora_gdi;

namespace {

// The device contexts made by BindCanvasToImage, by canvas.
std::mutex g_mutex;
std::map<TCanvas*, HDC>& Bound() {
    static auto* m = new std::map<TCanvas*, HDC>;
    return *m;
}

HDC BoundDC(TCanvas* canvas) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = Bound().find(canvas);
    return it == Bound().end() ? nullptr : it->second;
}

}  // namespace

void lumora_qt::BindCanvasToImage(TCanvas* Canvas, QImage* Image) {
    if (!Canvas) return;
    HDC dc = BoundDC(Canvas);
    if (!Image) {
        if (!dc) return;
        Canvas->SetHandle(nullptr);
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            Bound().erase(Canvas);
        }
        DeleteDC(dc);
        return;
    }
    if (dc) {
        SetImageDCTarget(dc, Image);
        return;
    }
    dc = CreateImageDC(Image);
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        Bound()[Canvas] = dc;
    }
    Canvas->SetHandle(dc);
}

void lumora_qt::SetCanvasClip(TCanvas* Canvas, const QRegion* Region) {
    HDC__* d = DC(BoundDC(Canvas));
    if (!d) return;
    d->hasSystemClip = Region != nullptr;
    d->systemClip = Region ? *Region : QRegion();
}

void lumora_qt::DrawImageOnCanvas(TCanvas* Canvas, int X, int Y, const QImage& Image) {
    if (!Canvas || Image.isNull()) return;
    HDC__* d = DC(Canvas->GetHandle());
    if (!d) return;
    const int x0 = X + d->dx(), y0 = Y + d->dy();
    const Surface s = d->surface();
    if (!s.valid()) return;
    const bool alpha = Image.hasAlphaChannel();
    const QImage src = Image.convertToFormat(alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    std::vector<uint32_t> row;
    for (const QRect& r : d->Visible() & QRect(x0, y0, src.width(), src.height())) {
        row.resize(size_t(r.width()));
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const auto* p = reinterpret_cast<const uint32_t*>(src.constScanLine(y - y0)) + (r.left() - x0);
            if (alpha) {
                ReadSpan(s, r.left(), y, r.width(), row.data());
                for (int i = 0; i < r.width(); ++i) {
                    const uint32_t c = p[i];
                    const unsigned a = c >> 24, ia = 255 - a;
                    auto ch = [&](int sh) {
                        return std::min(255u, ((c >> sh) & 0xFF) + (((row[size_t(i)] >> sh) & 0xFF) * ia + 127) / 255)
                               << sh;
                    };
                    row[size_t(i)] = ch(16) | ch(8) | ch(0);
                }
            } else {
                for (int i = 0; i < r.width(); ++i) row[size_t(i)] = p[i] & 0xFFFFFF;
            }
            WriteSpan(s, r.left(), y, r.width(), row.data());
        }
    }
}
