// The drag image window: a borderless, click-through tool window showing the picture.

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <memory>

#include "framework/backend.h"
#include "framework/drag_image.h"

namespace lumora_gdi {

namespace {

class DragImageWindow : public QWidget {
public:
    DragImageWindow()
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TranslucentBackground);
        setFocusPolicy(Qt::NoFocus);
    }
    QImage picture;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, picture);
    }
};

struct State {
    std::unique_ptr<DragImageWindow> window;
    bool visible = false;
    TPoint pos;
};

// Kept for the life of the process (a window must not outlive the application object).
State& TheState() {
    static State* s = new State;
    return *s;
}

DragImageWindow* Window() {
    State& s = TheState();
    if (!s.window) {
        EnsureBackend();
        s.window = std::make_unique<DragImageWindow>();
    }
    return s.window.get();
}

}  // namespace

void DragImageSet(int w, int h, const std::vector<uint32_t>& argb) {
    DragImageWindow* win = Window();
    QImage img(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            reinterpret_cast<uint32_t*>(img.scanLine(y))[x] = argb[size_t(y) * size_t(w) + size_t(x)];
    win->picture = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    win->resize(w, h);
    win->update();
}

void DragImageMoveTo(TPoint screen) {
    TheState().pos = screen;
    Window()->move(screen.X, screen.Y);
}

void DragImageShow(bool visible) {
    State& s = TheState();
    s.visible = visible;
    if (visible) Window()->show();
    else if (s.window) s.window->hide();
}

void DragImageEnd() {
    DragImageShow(false);
    if (TheState().window) TheState().window->picture = QImage();
}

bool DragImageVisible() {
    return TheState().visible;
}

TPoint DragImagePosition() {
    return TheState().pos;
}

}  // namespace lumora_gdi
