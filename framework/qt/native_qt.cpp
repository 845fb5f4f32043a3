// Controls made of native Qt widgets: their input takes the framework's path first and reaches
// the widget when the default window procedure is reached.

#include <QEvent>
#include <QFocusEvent>
#include <QHash>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QWheelEvent>

#include "framework/forms.h"
#include "framework/window_backend.h"
#include "framework/qt/backend_qt.h"
#include "framework/qt/window_qt.h"

namespace {

QHash<QWidget*, TWinControl*>& NativeControls() {
    static QHash<QWidget*, TWinControl*> h;
    return h;
}

class InputRouter : public QObject {
public:
    InputRouter(TWinControl* Control, QObject* Parent) : QObject(Parent), FControl(Control) {}

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (!lumora_detail::IsLiveControl(FControl) || !TWindowBackend::HandleOf(FControl)) return false;
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            return lumora_qt::RouteMouseEvent(FControl, static_cast<QMouseEvent*>(e));
        case QEvent::Wheel:
            return lumora_qt::RouteWheelEvent(FControl, static_cast<QWheelEvent*>(e));
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return lumora_qt::RouteKeyEvent(FControl, static_cast<QKeyEvent*>(e));
        case QEvent::FocusIn:
            lumora_qt::RouteFocusIn(FControl, static_cast<QFocusEvent*>(e)->reason());
            return false;
        case QEvent::Enter:
            lumora_qt::RouteEnterLeave(FControl, true);
            return false;
        case QEvent::Leave:
            lumora_qt::RouteEnterLeave(FControl, false);
            return false;
        case QEvent::Close:
            if (static_cast<QWidget*>(o)->isWindow()) {
                e->ignore();
                TWinControl* c = FControl;
                Application->Guard(c, [&] { c->Perform(WM_SYSCOMMAND, SC_CLOSE); });
                return true;
            }
            return false;
        default:
            return false;
        }
    }

private:
    TWinControl* FControl;
};

void Install(TWinControl* Control, QWidget* w, QObject* router) {
    w->installEventFilter(router);
    for (QObject* child : w->children())
        if (auto* cw = qobject_cast<QWidget*>(child)) Install(Control, cw, router);
}

}  // namespace

void lumora_qt::InstallInputRouter(TWinControl* Control, QWidget* Widget) {
    NativeControls().insert(Widget, Control);
    QObject::connect(Widget, &QObject::destroyed, [Widget] { NativeControls().remove(Widget); });
    Install(Control, Widget, new InputRouter(Control, Widget));
}

TWinControl* lumora_qt::NativeControlOf(QWidget* Widget) {
    auto it = NativeControls().find(Widget);
    if (it == NativeControls().end()) return nullptr;
    return lumora_detail::IsLiveControl(it.value()) ? it.value() : nullptr;
}

bool lumora_qt::NativeDefaultProc(TWinControl* Control, QWidget* Widget, TMessage& Message) {
    if (!Widget) return false;
    const char* method = nullptr;
    switch (Message.Msg) {
    case WM_CUT: method = "cut"; break;
    case WM_COPY: method = "copy"; break;
    case WM_PASTE: method = "paste"; break;
    case WM_UNDO: method = "undo"; break;
    default: return false;
    }
    return QMetaObject::invokeMethod(Widget, method);
}
