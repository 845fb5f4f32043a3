// The screen overlay: a frameless tool window that stays on top, lets the input through, never
// activates, and is shaped to the parts the program shows.

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QWidget>

#include <algorithm>
#include <memory>

#include "framework/backend.h"
#include "framework/graphics.h"
#include "framework/qt/gdi_backend.h"
#include "framework/qt/screen_overlay_qt.h"
#include "framework/screen_overlay.h"
#include "framework/window_backend.h"

namespace {

class OverlayWindow : public QWidget {
public:
    OverlayWindow()
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
                               Qt::X11BypassWindowManagerHint) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }
    QImage Picture;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, Picture);
    }
};

std::vector<const TScreenOverlay*>& Shown() {
    static std::vector<const TScreenOverlay*> v;
    return v;
}

}  // namespace

struct TScreenOverlay::TImpl {
    std::unique_ptr<OverlayWindow> Window;
    TRect Bounds;
    std::vector<TRect> Shape;
    bool Visible = false;
};

TScreenOverlay::TScreenOverlay() : FImpl(new TImpl) {}

TScreenOverlay::~TScreenOverlay() {
    Hide();
    delete FImpl;
}

void TScreenOverlay::Show(const TRect& Bounds, const std::vector<TRect>& Shape,
                          const std::function<void(TCanvas*)>& Paint) {
    if (Bounds.Width() <= 0 || Bounds.Height() <= 0 || Shape.empty()) {
        Hide();
        return;
    }
    lumora_backend::EnsureBackend();
    if (!FImpl->Window) FImpl->Window = std::make_unique<OverlayWindow>();
    OverlayWindow* w = FImpl->Window.get();
    QImage img(Bounds.Width(), Bounds.Height(), QImage::Format_RGB32);
    img.fill(Qt::black);
    if (Paint) {
        TCanvas canvas;
        lumora_qt::BindCanvasToImage(&canvas, &img);
        try {
            Paint(&canvas);
        } catch (...) {
            lumora_qt::BindCanvasToImage(&canvas, nullptr);
            throw;
        }
        lumora_qt::BindCanvasToImage(&canvas, nullptr);
    }
    QRegion mask;
    for (const TRect& r : Shape) mask += QRect(r.Left, r.Top, r.Width(), r.Height());
    w->Picture = img;
    w->setGeometry(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
    w->setMask(mask);
    FImpl->Bounds = Bounds;
    FImpl->Shape = Shape;
    if (!FImpl->Visible) {
        FImpl->Visible = true;
        Shown().push_back(this);
        w->show();
    }
    w->update();
}

void TScreenOverlay::Hide() {
    if (!FImpl->Visible) return;
    FImpl->Visible = false;
    auto& v = Shown();
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    if (FImpl->Window) FImpl->Window->hide();
}

bool TScreenOverlay::GetVisible() const { return FImpl->Visible; }
TRect TScreenOverlay::GetBounds() const { return FImpl->Visible ? FImpl->Bounds : TRect{}; }
const std::vector<TRect>& TScreenOverlay::GetShape() const { return FImpl->Shape; }

std::vector<const TScreenOverlay*> ShownScreenOverlays() { return Shown(); }

const QImage& lumora_qt::OverlayPicture(const TScreenOverlay* Overlay) {
    static const QImage none;
    return Overlay->Impl()->Window ? Overlay->Impl()->Window->Picture : none;
}
