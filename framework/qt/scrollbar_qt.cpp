// Window scroll bars: QScrollBar widgets in the non-client area, driven by the control's scroll
// state and reporting WM_HSCROLL / WM_VSCROLL with the SB_* codes.

#include <QEvent>
#include <QMouseEvent>
#include <QObject>

#include "framework/forms.h"
#include "framework/window_backend.h"
#include "framework/qt/backend_qt.h"

namespace {

class ScrollBarEvents : public QObject {
public:
    ScrollBarEvents(TWinControl* Control, int Bar, QObject* Parent) : QObject(Parent), FControl(Control), FBar(Bar) {}

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        // Releasing the mouse after an arrow or page click ends the scroll.
        if (e->type() == QEvent::MouseButtonRelease) {
            auto* bar = static_cast<QScrollBar*>(o);
            if (!bar->isSliderDown() && lumora_detail::IsLiveControl(FControl)) {
                TWinControl* c = FControl;
                Cardinal msg = FBar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
                QMetaObject::invokeMethod(o, [c, msg, bar] {
                    if (!lumora_detail::IsLiveControl(c)) return;
                    Application->Guard(c, [&] { c->Perform(msg, MakeScrollWParam(SB_ENDSCROLL, bar->value()), 0); });
                }, Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    TWinControl* FControl;
    int FBar;
};

void Send(TWinControl* c, int bar, Word code, Integer pos) {
    if (!lumora_detail::IsLiveControl(c)) return;
    Cardinal msg = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
    Application->Guard(c, [&] { c->Perform(msg, MakeScrollWParam(code, pos), 0); });
}

}  // namespace

QScrollBar* lumora_qt::NewWindowScrollBar(TWinControl* Control, QWidget* Parent, int Bar) {
    auto* qb = new QScrollBar(Bar == SB_VERT ? Qt::Vertical : Qt::Horizontal, Parent);
    qb->setFocusPolicy(Qt::NoFocus);
    qb->installEventFilter(new ScrollBarEvents(Control, Bar, qb));
    QObject::connect(qb, &QAbstractSlider::actionTriggered, qb, [Control, Bar, qb](int action) {
        if (!lumora_detail::IsLiveControl(Control)) return;
        TWindowScrollBar& sb = TWindowBackend::ScrollState(Control, Bar);
        Word code;
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
        case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
        case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
        case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
        case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
        case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
        case QAbstractSlider::SliderMove:
            if (!qb->isSliderDown()) return;
            sb.Tracking = true;
            sb.TrackPos = qb->sliderPosition();
            Send(Control, Bar, SB_THUMBTRACK, sb.TrackPos);
            return;
        default: return;
        }
        Send(Control, Bar, code, sb.Pos);
        if (!lumora_detail::IsLiveControl(Control)) return;
        // The window decides the new position (SetScrollInfo); the bar shows that one.
        qb->setSliderPosition(TWindowBackend::ScrollState(Control, Bar).Pos);
    });
    QObject::connect(qb, &QAbstractSlider::sliderReleased, qb, [Control, Bar, qb] {
        if (!lumora_detail::IsLiveControl(Control)) return;
        TWindowScrollBar& sb = TWindowBackend::ScrollState(Control, Bar);
        if (!sb.Tracking) return;
        Integer pos = sb.TrackPos;
        Send(Control, Bar, SB_THUMBPOSITION, pos);
        if (!lumora_detail::IsLiveControl(Control)) return;
        TWindowBackend::ScrollState(Control, Bar).Tracking = false;
        Send(Control, Bar, SB_ENDSCROLL, pos);
        if (!lumora_detail::IsLiveControl(Control)) return;
        lumora_qt::UpdateScrollBarWidget(qb, TWindowBackend::ScrollState(Control, Bar));
    });
    return qb;
}

void lumora_qt::UpdateScrollBarWidget(QScrollBar* Bar, const TWindowScrollBar& sb) {
    QSignalBlocker block(Bar);
    int64_t maxPos = int64_t(sb.Max) - std::max<int64_t>(int64_t(sb.Page) - 1, 0);
    if (maxPos < sb.Min) maxPos = sb.Min;
    Bar->setRange(sb.Min, int(maxPos));
    Bar->setPageStep(int(std::max<UINT>(sb.Page, 1)));
    Bar->setSingleStep(1);
    if (!Bar->isSliderDown()) Bar->setSliderPosition(sb.Tracking ? sb.TrackPos : sb.Pos);
    bool needed = sb.Max > sb.Min && int64_t(sb.Page) <= int64_t(sb.Max) - sb.Min;
    Bar->setEnabled(!sb.Disabled && needed);
}
