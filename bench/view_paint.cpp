// Repainting the image view: a 4000 x 3000 image in a 1600 x 1200 client area at zoom 25, 100
// and 400 (origin in the middle), drawn plainly and with the Lanczos3 zoom filter, and Lanczos3
// resampling of the image to half its size. The peer is Qt's QImage::scaled of the same pixels
// (the visible part of the image) to the same size, delivered in the format windows are painted
// in: fast scaling for the plain repaint, smooth scaling for everything.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include "bench/peer_timing.h"
#include "bench/synthetic_photo.h"
#include "framework/backend.h"
#include "framework/forms.h"
#include "framework/qt/bench/scale_peer.h"
#include "imaging/img_view.h"
#include "imaging/resample.h"

namespace {

constexpr Integer W = 4000, H = 3000, ClientW = 1600, ClientH = 1200;

// The view with its paint handler in reach.
class TBenchView : public TImagoView {
    LUMORA_CLASS(TBenchView, TImagoView)
public:
    using TImagoView::TImagoView;
    void PaintNow() { Paint(); }
};

// Best of runs, in milliseconds.
double Time(const std::function<void()>& fn, int runs) {
    fn();  // warm up
    return bench::Best(runs, fn);
}

void Report(const char* name, double ours, const char* peerName, double peer) {
    std::printf("%s: ours %.2f ms, %s %.2f ms, ratio %.2f\n", name, ours, peerName, peer, ours / peer);
}

}  // namespace

int main() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    EnsureBackend();
    auto* form = new TForm(nullptr);
    form->SetBounds(0, 0, ClientW + 40, ClientH + 60);
    auto* view = new TBenchView(form);
    view->SetParent(form);
    view->SetBorderStyle(bsNone);
    view->SetBounds(0, 0, ClientW, ClientH);
    view->SetBackground(clGray);
    FillSyntheticPhoto(view->GetBitmap(), W, H);
    view->Update();

    TBitmap* image = view->GetBitmap();
    const auto* bits = static_cast<const uint8_t*>(image->ScanLine(0));
    const int stride = int(static_cast<const uint8_t*>(image->ScanLine(1)) - bits);

    for (Integer zoom : {25, 100, 400}) {
        view->SetZoomFilter(rfNone);
        view->SetZoom(zoom);
        Integer mx, my;
        view->GetMaxViewXY(mx, my);
        view->SetViewXY(mx / 2, my / 2);
        // The part of the image the view shows, and the size it shows it at.
        const int sx = view->XScr2Bmp(0), sy = view->YScr2Bmp(0);
        const int sw = std::min<int>(W - sx, int(std::lround(view->GetExtentX() * 100.0 / zoom)));
        const int sh = std::min<int>(H - sy, int(std::lround(view->GetExtentY() * 100.0 / zoom)));
        const int dw = view->GetExtentX(), dh = view->GetExtentY();
        const int runs = zoom == 400 ? 5 : 15;

        char name[64];
        const double plain = Time([&] { view->PaintNow(); }, runs);
        const double fast = lumora_bench::QtScaledMs(bits, W, H, stride, sx, sy, sw, sh, dw, dh, false, runs);
        const double smooth = lumora_bench::QtScaledMs(bits, W, H, stride, sx, sy, sw, sh, dw, dh, true, runs);
        std::snprintf(name, sizeof name, "view_paint_zoom%d_plain", int(zoom));
        Report(name, plain, "qt_scaled_fast", fast);
        std::snprintf(name, sizeof name, "view_paint_zoom%d_plain_vs_smooth", int(zoom));
        Report(name, plain, "qt_scaled_smooth", smooth);

        view->SetZoomFilter(rfLanczos3);
        const double filtered = Time([&] { view->PaintNow(); }, runs);
        std::snprintf(name, sizeof name, "view_paint_zoom%d_lanczos3", int(zoom));
        Report(name, filtered, "qt_scaled_smooth", smooth);
    }

    std::unique_ptr<TBitmap> half(new TBitmap());
    half->SetPixelFormat(pf24bit);
    half->SetSize(W / 2, H / 2);
    const double resample = Time([&] { ResampleFiltered(image, half.get(), rfLanczos3); }, 3);
    const double smooth = lumora_bench::QtScaledMs(bits, W, H, stride, 0, 0, W, H, W / 2, H / 2, true, 3);
    Report("resample_lanczos3_half", resample, "qt_scaled_smooth", smooth);

    form->Free();
    return 0;
}
