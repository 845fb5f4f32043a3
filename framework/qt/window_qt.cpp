// Windows on Qt widgets: creating and placing the widget of a windowed control, and turning Qt's
// input, paint and window events into the framework's messages.

#include "framework/qt/window_qt.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPainter>
#include <QPaintEvent>
#include <QScreen>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <deque>
#include <memory>
#include <cstdlib>

#include "framework/dialog_service.h"
#include "framework/drag.h"
#include "framework/forms.h"
#include "framework/message_loop.h"
#include "framework/system_metrics.h"
#include "framework/window_backend.h"
#include "framework/window_hooks.h"
#include "framework/qt/backend_qt.h"
#include "framework/qt/gdi_backend.h"
#include "framework/qt/menus_qt.h"
#include "framework/qt/surface_qt.h"

using lumora_detail::IsLiveControl;
using lumora_detail::TopLevelOf;
using B = TWindowBackend;

namespace {

std::vector<TWinControl*> gTopLevels;  // front first
TControl* gMouseControl = nullptr;      // the control under the mouse (enter/leave)
TWinControl* gMouseWindow = nullptr;    // the window under the mouse (cursor)

// The native widget being fed an input event, and whether the default window procedure let
// the widget have it.
struct RoutedEvent {
    TWinControl* Control = nullptr;
    Cardinal Msg = 0;
    bool PassToWidget = false;
};
RoutedEvent* gRouted = nullptr;

struct LastPress {
    Qt::MouseButton Button = Qt::NoButton;
    TWinControl* Window = nullptr;
    ulong Time = 0;
    QPoint Pos;
    bool Valid = false;
};
LastPress gLastPress;

void Raise(TWinControl* c) {
    auto it = std::find(gTopLevels.begin(), gTopLevels.end(), c);
    if (it != gTopLevels.end()) gTopLevels.erase(it);
    gTopLevels.insert(gTopLevels.begin(), c);
}

void Forget(TWinControl* c) {
    gTopLevels.erase(std::remove(gTopLevels.begin(), gTopLevels.end(), c), gTopLevels.end());
    if (gMouseWindow == c) gMouseWindow = nullptr;
    if (gMouseControl == c) gMouseControl = nullptr;
    if (gLastPress.Window == c) gLastPress = LastPress{};
}

// Runs an event handler of the window system; nothing raised leaves it.
template <class F>
void Guarded(TObject* Sender, F&& f) {
    try {
        f();
    } catch (...) {
        Application->HandleException(Sender);
    }
}

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

// Where the client area starts inside the widget.
TPoint ClientOffset(TWinControl* c) {
    TRect m = c->GetNonClientMargins();
    TRect sys = B::SystemFrame(c);
    return {m.Left - sys.Left, m.Top - sys.Top};
}

WPARAM MouseKeys(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
    WPARAM k = 0;
    if (buttons & Qt::LeftButton) k |= MK_LBUTTON;
    if (buttons & Qt::RightButton) k |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) k |= MK_MBUTTON;
    if (mods & Qt::ShiftModifier) k |= MK_SHIFT;
    if (mods & Qt::ControlModifier) k |= MK_CONTROL;
    return k;
}

void NoteModifiers(Qt::KeyboardModifiers mods) {
    lumora_detail::SetKeyDown(VK_SHIFT, (mods & Qt::ShiftModifier) != 0);
    lumora_detail::SetKeyDown(VK_CONTROL, (mods & Qt::ControlModifier) != 0);
    lumora_detail::SetKeyDown(VK_MENU, (mods & Qt::AltModifier) != 0);
}

void NoteButtons(Qt::MouseButtons buttons) {
    lumora_detail::SetKeyDown(VK_LBUTTON, (buttons & Qt::LeftButton) != 0);
    lumora_detail::SetKeyDown(VK_RBUTTON, (buttons & Qt::RightButton) != 0);
    lumora_detail::SetKeyDown(VK_MBUTTON, (buttons & Qt::MiddleButton) != 0);
}

void ApplyCursorTo(TWinControl* Window, TCursor Cursor) {
    TWindowHandle* h = B::HandleOf(Window);
    if (!h || !h->Widget) return;
    if (h->Cursor == Cursor && h->Widget->testAttribute(Qt::WA_SetCursor)) return;
    h->Cursor = Cursor;
    h->Widget->setCursor(lumora_qt::CursorFor(Cursor));
}

// Runs an input message through the application. Handled: a handler took it; PassToWidget: the
// default window procedure let a native widget have it.
struct RouteResult {
    bool Handled = false;
    bool PassToWidget = false;
};

RouteResult DispatchRouted(TMsg& m) {
    RoutedEvent routed{m.hwnd, m.message, false};
    struct Restore {
        RoutedEvent* Outer;
        ~Restore() { gRouted = Outer; }
    } restore{gRouted};
    gRouted = &routed;
    bool handled = Application->DispatchInputMessage(m);
    return {handled, routed.PassToWidget};
}

// Mouse enter and leave between controls (graphic ones included).
void TrackMouseControl(TControl* Now) {
    if (Now == gMouseControl) return;
    TControl* old = gMouseControl;
    gMouseControl = Now;
    if (old && IsLiveControl(old)) Guarded(old, [&] { old->Perform(CM_MOUSELEAVE); });
    if (Now && IsLiveControl(Now) && gMouseControl == Now) Guarded(Now, [&] { Now->Perform(CM_MOUSEENTER); });
}

}  // namespace

// ---- Access ----------------------------------------------------------------------------------

TWindowHandle* TWindowBackend::HandleOf(TWinControl* Control) { return Control ? Control->FHandle : nullptr; }
void TWindowBackend::SetHandle(TWinControl* Control, TWindowHandle* Handle) { Control->FHandle = Handle; }
TWindowScrollBar& TWindowBackend::ScrollState(TWinControl* Control, int Bar) { return Control->FScrollBars[Bar == SB_VERT ? 1 : 0]; }
TRect TWindowBackend::SystemFrame(TWinControl* Control) { return Control->SystemFrame(); }
TRect TWindowBackend::StandardMargins(TWinControl* Control) { return Control->StandardMargins(); }
bool TWindowBackend::FrameworkPainted(TWinControl* Control) { return Control->FrameworkPainted(); }
TPaintSurface* TWindowBackend::Surface(TWinControl* Control) { return Control->Surface(); }

void TWindowBackend::WindowMovedByUser(TWinControl* Control, const TRect& Rect) {
    TRect sys = Control->SystemFrame();
    Integer l = Rect.Left - sys.Left, t = Rect.Top - sys.Top;
    Integer w = Rect.Width() + sys.Left + sys.Right, h = Rect.Height() + sys.Top + sys.Bottom;
    // A size the user gives keeps to the window's limits.
    if (w != Control->GetWidth() || h != Control->GetHeight()) {
        TMinMaxInfo limits = lumora_detail::WindowSizeLimits(Control);
        w = std::max(std::min(w, limits.ptMaxTrackSize.X), limits.ptMinTrackSize.X);
        h = std::max(std::min(h, limits.ptMaxTrackSize.Y), limits.ptMinTrackSize.Y);
    }
    if (l == Control->GetLeft() && t == Control->GetTop() && w == Control->GetWidth() && h == Control->GetHeight()) return;
    Control->FBackendMoving = true;
    try {
        Control->SetBounds(l, t, w, h);
    } catch (...) {
        Control->FBackendMoving = false;
        throw;
    }
    Control->FBackendMoving = false;
}

void TWindowBackend::WindowStateChangedByUser(TWinControl* Control, int State) {
    auto* form = dynamic_cast<TCustomForm*>(Control);
    if (!form) return;
    if (form->FWindowState == TWindowState(State)) return;
    form->FWindowState = TWindowState(State);
    TRect cr = form->GetClientRect();
    WPARAM kind = State == wsMinimized ? SIZE_MINIMIZED : State == wsMaximized ? SIZE_MAXIMIZED : SIZE_RESTORED;
    form->Perform(WM_SIZE, kind, MAKELPARAM(Word(cr.Right), Word(cr.Bottom)));
    lumora_detail::TopLevelPosChanged(form, SWP_FRAMECHANGED);
    if (State == wsMinimized && Application->OnMinimize && Application->GetMainForm() == form) Application->OnMinimize(Application);
}

// ---- The widget ------------------------------------------------------------------------------

LumoraWindow::LumoraWindow(TWinControl* Control, QWidget* Parent, Qt::WindowFlags Flags)
    : QWidget(Parent, Flags), FControl(Control) {
    setAttribute(Qt::WA_NoMousePropagation);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
}

LumoraWindow::~LumoraWindow() = default;

bool LumoraWindow::event(QEvent* e) {
    TWinControl* c = FControl;
    if (!c || !IsLiveControl(c)) return QWidget::event(e);
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        lumora_qt::RouteMouseEvent(c, static_cast<QMouseEvent*>(e));
        e->accept();
        return true;
    case QEvent::Wheel:
        lumora_qt::RouteWheelEvent(c, static_cast<QWheelEvent*>(e));
        e->accept();
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        lumora_qt::RouteKeyEvent(c, static_cast<QKeyEvent*>(e));
        e->accept();
        return true;
    case QEvent::ShortcutOverride:
        e->accept();
        return true;
    case QEvent::Enter:
        lumora_qt::RouteEnterLeave(c, true);
        return true;
    case QEvent::Leave:
        lumora_qt::RouteEnterLeave(c, false);
        return true;
    case QEvent::FocusIn:
        lumora_qt::RouteFocusIn(c, static_cast<QFocusEvent*>(e)->reason());
        return true;
    case QEvent::FocusOut:
        return true;
    case QEvent::WindowActivate:
        if (isWindow()) {
            TWindowHandle* h = B::HandleOf(c);
            if (h && h->ExpectedActivations > 0) {
                --h->ExpectedActivations;
            } else if (h && h->ShownWithoutActivation) {
                // Not asked for.
            } else if (c != lumora_detail::ActiveTopLevel() && !lumora_detail::NeverActivates(c) && isVisible()) {
                Guarded(c, [&] { lumora_detail::ActivateTopLevel(c); });
            }
        }
        return true;
    case QEvent::WindowDeactivate:
        return true;
    case QEvent::Close:
        e->ignore();
        if (isWindow()) Guarded(c, [&] { c->Perform(WM_SYSCOMMAND, SC_CLOSE); });
        return true;
    case QEvent::Resize:
    case QEvent::Move: {
        TWindowHandle* h = B::HandleOf(c);
        if (isWindow() && h && !h->Syncing && isVisible() && !(windowState() & Qt::WindowFullScreen)) {
            QRect g = geometry();
            Guarded(c, [&] { B::WindowMovedByUser(c, {g.x(), g.y(), g.x() + g.width(), g.y() + g.height()}); });
        }
        return QWidget::event(e);
    }
    case QEvent::WindowStateChange:
        if (isWindow()) {
            int state = (windowState() & Qt::WindowMinimized) ? wsMinimized : (windowState() & Qt::WindowMaximized) ? wsMaximized : wsNormal;
            Guarded(c, [&] { B::WindowStateChangedByUser(c, state); });
        }
        return QWidget::event(e);
    case QEvent::ContextMenu:
        e->accept();
        return true;
    default:
        return QWidget::event(e);
    }
}

void LumoraWindow::paintEvent(QPaintEvent* e) {
    TWinControl* c = FControl;
    if (!c || !IsLiveControl(c)) return;
    TPaintSurface* s = B::Surface(c);
    s->Showing = true;
    Guarded(c, [&] {
        if (lumora_backend::SurfaceFrameInvalid(s)) c->Perform(WM_NCPAINT, 1);
        if (IsLiveControl(c) && lumora_backend::SurfaceHasInvalid(s)) c->Perform(WM_PAINT);
    });
    if (!IsLiveControl(c) || c != FControl) return;
    s = B::Surface(c);
    s->Showing = false;
    QPainter p(this);
    lumora_qt::PaintSurfaceOn(s, p, e->rect());
}

// ---- Window handles --------------------------------------------------------------------------

namespace {

Qt::WindowFlags FlagsFor(const TCreateParams& p, bool topLevel) {
    if (!topLevel) return Qt::Widget;
    Qt::WindowFlags f;
    bool decorated = (p.Style & (WS_CAPTION | WS_THICKFRAME | WS_DLGFRAME)) != 0;
    bool popup = (p.Style & WS_POPUP) && !decorated;
    if (popup || (p.ExStyle & WS_EX_TOOLWINDOW))
        f = Qt::Tool;
    else if ((p.ExStyle & WS_EX_DLGMODALFRAME) || (p.WndParent && (p.Style & WS_POPUP)))
        f = Qt::Dialog;
    else
        f = Qt::Window;
    if (!decorated) f |= Qt::FramelessWindowHint;
    else {
        f |= Qt::CustomizeWindowHint;
        if ((p.Style & WS_CAPTION) == WS_CAPTION) f |= Qt::WindowTitleHint;
        if (p.Style & WS_SYSMENU) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (p.Style & WS_MINIMIZEBOX) f |= Qt::WindowMinimizeButtonHint;
        if (p.Style & WS_MAXIMIZEBOX) f |= Qt::WindowMaximizeButtonHint;
        if (p.ExStyle & WS_EX_CONTEXTHELP) f |= Qt::WindowContextHelpButtonHint;
    }
    if (p.ExStyle & WS_EX_TOPMOST) f |= Qt::WindowStaysOnTopHint;
    if (p.ExStyle & WS_EX_NOACTIVATE) f |= Qt::WindowDoesNotAcceptFocus;
    return f;
}

QWidget* ParentWidgetFor(TWinControl* Control, const TCreateParams& p, bool topLevel) {
    HWND parent = p.WndParent;
    if (!parent) return nullptr;
    if (!topLevel) {
        // A child lives inside its parent window.
        parent->HandleNeeded();
    } else if (!parent->HandleAllocated()) {
        return nullptr;
    }
    TWindowHandle* h = B::HandleOf(parent);
    if (!h) return nullptr;
    // A top-level window's "parent" is its owner: its top-level widget keeps it above.
    return topLevel ? h->Widget->window() : h->Widget.data();
}

void SetupHandle(TWinControl* Control, QWidget* w, const TCreateParams& p, bool native) {
    auto* h = new TWindowHandle;
    h->Widget = w;
    h->Native = native;
    h->TopLevel = w->isWindow();
    B::SetHandle(Control, h);
    if (h->TopLevel) {
        if (p.ExStyle & WS_EX_NOACTIVATE) w->setAttribute(Qt::WA_ShowWithoutActivating);
        w->setWindowTitle(QString::fromStdString(p.Caption));
        gTopLevels.push_back(Control);
    }
    if (!native) w->setAttribute(Qt::WA_DeleteOnClose, false);
}

}  // namespace

void TWindowBackend::CreateWindow(TWinControl* Control, const TCreateParams& Params) {
    lumora_backend::EnsureBackend();
    bool topLevel = !(Params.Style & WS_CHILD);
    QWidget* parent = ParentWidgetFor(Control, Params, topLevel);
    auto* w = new LumoraWindow(Control, parent, FlagsFor(Params, topLevel));
    SetupHandle(Control, w, Params, false);
}

void TWindowBackend::DestroyWindow(TWinControl* Control) {
    TWindowHandle* h = HandleOf(Control);
    if (!h) return;
    // The windows it owns (popups) go first, as on Windows.
    if (h->Widget) {
        std::vector<TWinControl*> owned;
        for (TWinControl* t : gTopLevels)
            if (t != Control && IsLiveControl(t)) {
                TWindowHandle* th = HandleOf(t);
                if (th && th->Widget && th->Widget->parentWidget() && th->Widget->parentWidget()->window() == h->Widget->window() &&
                    h->TopLevel)
                    owned.push_back(t);
            }
        for (TWinControl* t : owned)
            if (IsLiveControl(t)) t->DestroyHandle();
    }
    Forget(Control);
    if (GetCapture() == Control) TWindowBackend::CaptureMouse(nullptr);
    QWidget* w = h->Widget;
    if (w) {
        if (auto* lw = dynamic_cast<LumoraWindow*>(w)) lw->Detach();
        // Child windows go with their own controls; keep Qt from deleting them twice.
        for (QObject* child : w->children())
            if (auto* cw = qobject_cast<QWidget*>(child))
                if (lumora_qt::ControlOf(cw) && lumora_qt::ControlOf(cw) != Control && cw->parentWidget() == w) cw->setParent(nullptr);
        w->hide();
        lumora_qt::DisposeWidget(w);
    }
    delete h;
    Control->FHandle = nullptr;
}

void lumora_qt::AdoptNativeWidget(TWinControl* Control, QWidget* Widget, const TCreateParams& Params) {
    lumora_backend::EnsureBackend();
    bool topLevel = !(Params.Style & WS_CHILD);
    QWidget* parent = ParentWidgetFor(Control, Params, topLevel);
    Widget->setParent(parent, FlagsFor(Params, topLevel));
    SetupHandle(Control, Widget, Params, true);
    lumora_qt::InstallInputRouter(Control, Widget);
}

// ---- Placing ---------------------------------------------------------------------------------

void TWindowBackend::SyncGeometry(TWinControl* Control) {
    TWindowHandle* h = HandleOf(Control);
    if (!h || !h->Widget) return;
    QWidget* w = h->Widget;
    h->Syncing = true;
    TRect sys = Control->SystemFrame();
    QRect r;
    if (h->Embedded) {
        // Placed by its host's layout.
    } else if (h->TopLevel) {
        r = QRect(Control->GetLeft() + sys.Left, Control->GetTop() + sys.Top,
                  std::max(0, Control->GetWidth() - sys.Left - sys.Right),
                  std::max(0, Control->GetHeight() - sys.Top - sys.Bottom));
        DWORD style = DWORD(GetWindowLong(Control, GWL_STYLE));
        bool sizeable = (style & WS_THICKFRAME) != 0;
        if (!sizeable && (style & WS_CAPTION)) {
            w->setFixedSize(r.size());
        } else {
            // The window manager keeps the window's limits while the user sizes it; the size the
            // program gives stays even outside them.
            TSizeConstraints* c = Control->GetConstraints();
            TMinMaxInfo limits = lumora_detail::WindowSizeLimits(Control);
            Integer minW = std::max(c->GetMinWidth(), limits.ptMinTrackSize.X);
            Integer minH = std::max(c->GetMinHeight(), limits.ptMinTrackSize.Y);
            Integer maxW = limits.ptMaxTrackSize.X, maxH = limits.ptMaxTrackSize.Y;
            if (c->GetMaxWidth() > 0) maxW = std::min(maxW, c->GetMaxWidth());
            if (c->GetMaxHeight() > 0) maxH = std::min(maxH, c->GetMaxHeight());
            minW = std::min(minW, Control->GetWidth());
            minH = std::min(minH, Control->GetHeight());
            maxW = std::max(maxW, Control->GetWidth());
            maxH = std::max(maxH, Control->GetHeight());
            auto client = [](Integer v, Integer frame) { return std::clamp(v - frame, 0, QWIDGETSIZE_MAX); };
            w->setMinimumSize(client(minW, sys.Left + sys.Right), client(minH, sys.Top + sys.Bottom));
            w->setMaximumSize(client(maxW, sys.Left + sys.Right), client(maxH, sys.Top + sys.Bottom));
        }
        // A window whose client area covers a whole screen is shown full screen.
        bool full = false;
        for (QScreen* s : QGuiApplication::screens())
            if (s->geometry() == r) full = true;
        if (full && w->isVisible()) {
            if (!(w->windowState() & Qt::WindowFullScreen)) w->showFullScreen();
        } else {
            if ((w->windowState() & Qt::WindowFullScreen) && w->isVisible()) w->showNormal();
            w->setGeometry(r);
        }
    } else {
        TPoint off{0, 0};
        if (TWinControl* p = Control->GetParent()) off = ClientOffset(p);
        r = QRect(off.X + Control->GetLeft(), off.Y + Control->GetTop(), Control->GetWidth(), Control->GetHeight());
        w->setGeometry(r);
    }
    h->Syncing = false;
    if (h->TopLevel)
        if (auto* form = dynamic_cast<TCustomForm*>(Control)) lumora_qt::PlaceMenuBar(form, w);
    // The children sit inside this window's client area, which may have moved.
    for (int i = 0; i < Control->GetControlCount(); ++i)
        if (auto* child = dynamic_cast<TWinControl*>(Control->GetControl(i)))
            if (TWindowHandle* ch = HandleOf(child); ch && !ch->TopLevel) {
                TPoint off = ClientOffset(Control);
                QRect cr(off.X + child->GetLeft(), off.Y + child->GetTop(), child->GetWidth(), child->GetHeight());
                if (ch->Widget && ch->Widget->geometry() != cr) {
                    ch->Syncing = true;
                    ch->Widget->setGeometry(cr);
                    ch->Syncing = false;
                }
            }
    SyncScrollBars(Control);
}

void TWindowBackend::SyncScrollBars(TWinControl* Control) {
    TWindowHandle* h = HandleOf(Control);
    if (!h || !h->Widget || h->Native) return;
    QWidget* w = h->Widget;
    TRect sys = Control->SystemFrame();
    TRect std = Control->StandardMargins();
    TRect border{std.Left - sys.Left, std.Top - sys.Top, std.Right - sys.Right, std.Bottom - sys.Bottom};
    Integer cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
    Integer ww = w->width(), wh = w->height();
    bool hShown = Control->FScrollBars[0].Shown, vShown = Control->FScrollBars[1].Shown;
    for (int bar = 0; bar < 2; ++bar) {
        const TWindowScrollBar& sb = Control->FScrollBars[bar];
        QScrollBar*& qb = h->Bars[bar];
        if (!sb.Shown) {
            if (qb) qb->hide();
            continue;
        }
        if (!qb) qb = lumora_qt::NewWindowScrollBar(Control, w, bar == 1 ? SB_VERT : SB_HORZ);
        QRect g = bar == 1 ? QRect(ww - border.Right - cx, border.Top, cx, std::max(0, wh - border.Top - border.Bottom - (hShown ? cy : 0)))
                           : QRect(border.Left, wh - border.Bottom - cy, std::max(0, ww - border.Left - border.Right - (vShown ? cx : 0)), cy);
        qb->setGeometry(g);
        lumora_qt::UpdateScrollBarWidget(qb, sb);
        qb->show();
    }
}

void TWindowBackend::ShowWindow(TWinControl* Control, bool Show, bool Activate) {
    TWindowHandle* h = HandleOf(Control);
    if (!h || !h->Widget) return;
    QWidget* w = h->Widget;
    if (Show) {
        if (h->TopLevel) {
            w->setAttribute(Qt::WA_ShowWithoutActivating, !Activate || lumora_detail::NeverActivates(Control));
            h->ShownWithoutActivation = !Activate;
            Raise(Control);
            if (Activate) ++h->ExpectedActivations;
            auto* form = dynamic_cast<TCustomForm*>(Control);
            if (form && form->GetWindowState() == wsMinimized)
                w->showMinimized();
            else if (form && form->GetWindowState() == wsMaximized)
                w->showMaximized();
            else
                w->show();
            SyncGeometry(Control);
            if (Activate) w->activateWindow();
        } else {
            w->show();
        }
    } else {
        w->hide();
        if (gMouseWindow && (gMouseWindow == Control || Control->ContainsControl(gMouseWindow))) {
            gMouseWindow = nullptr;
            TrackMouseControl(nullptr);
        }
    }
}

bool TWindowBackend::IsWindowVisible(TWinControl* Control) {
    TWindowHandle* h = HandleOf(Control);
    return h && h->Widget && h->Widget->isVisible();
}

void TWindowBackend::SetEnabled(TWinControl* Control, bool Enabled) {
    TWindowHandle* h = HandleOf(Control);
    if (h && h->Widget) h->Widget->setEnabled(Enabled);
}

void TWindowBackend::SetText(TWinControl* Control, const std::string& Text) {
    TWindowHandle* h = HandleOf(Control);
    if (h && h->Widget && h->TopLevel) h->Widget->setWindowTitle(QString::fromStdString(Text));
}

void TWindowBackend::SetZOrder(TWinControl* Control, bool TopMost) {
    TWindowHandle* h = HandleOf(Control);
    if (!h || !h->Widget) return;
    bool platformWindow = h->TopLevel && lumora_qt::Offscreen();  // no stacking there
    if (TopMost) {
        if (!platformWindow) h->Widget->raise();
        if (h->TopLevel) Raise(Control);
    } else {
        if (!platformWindow) h->Widget->lower();
        if (h->TopLevel) {
            Forget(Control);
            gTopLevels.push_back(Control);
        }
    }
}

void TWindowBackend::SetTopMost(TWinControl* Control, bool TopMost) {
    TWindowHandle* h = HandleOf(Control);
    if (!h || !h->Widget || !h->TopLevel) return;
    QWidget* w = h->Widget;
    bool was = (w->windowFlags() & Qt::WindowStaysOnTopHint) != 0;
    if (was != TopMost) {
        bool visible = w->isVisible();
        w->setWindowFlag(Qt::WindowStaysOnTopHint, TopMost);
        if (visible) w->show();
    }
    if (TopMost) Raise(Control);
}

TWinControl* TWindowBackend::Owner(TWinControl* Control) {
    TWindowHandle* h = HandleOf(Control);
    if (!h || !h->Widget || !h->TopLevel || !h->Widget->parentWidget()) return nullptr;
    return lumora_qt::ControlOf(h->Widget->parentWidget()->window());
}

void TWindowBackend::SetOwner(TWinControl* Control, TWinControl* Owner) {
    TWindowHandle* h = HandleOf(Control);
    if (!h || !h->Widget || !h->TopLevel) return;
    TWindowHandle* oh = Owner ? HandleOf(Owner) : nullptr;
    QWidget* owner = oh && oh->Widget ? oh->Widget->window() : nullptr;
    QWidget* w = h->Widget;
    if (w->parentWidget() == owner) return;
    // Qt hides a widget given a new parent: show it again the way it was shown.
    const bool visible = w->isVisible();
    w->setParent(owner, w->windowFlags());
    SyncGeometry(Control);
    if (visible) {
        const bool quiet = w->testAttribute(Qt::WA_ShowWithoutActivating);
        w->setAttribute(Qt::WA_ShowWithoutActivating, true);
        w->show();
        w->setAttribute(Qt::WA_ShowWithoutActivating, quiet);
    }
    Raise(Control);
}

void TWindowBackend::SetIcon(TWinControl* Control, HICON Icon) {
    TWindowHandle* h = HandleOf(Control);
    if (!h || !h->Widget || !h->TopLevel) return;
    if (!Icon) {
        h->Widget->setWindowIcon(QIcon());
        return;
    }
    h->Widget->setWindowIcon(QIcon(QPixmap::fromImage(Icon->image)));
}

void TWindowBackend::InvalidateWindow(TWinControl* Control, const TRect* WindowRect) {
    TWindowHandle* h = HandleOf(Control);
    if (!h || !h->Widget || h->Native) return;
    if (WindowRect)
        h->Widget->update(ToQRect(*WindowRect));
    else
        h->Widget->update();
}

void TWindowBackend::UpdateWindow(TWinControl* Control) {
    TWindowHandle* h = HandleOf(Control);
    if (!h || !h->Widget || !h->Widget->isVisible()) return;
    h->Widget->repaint();
}

void TWindowBackend::FocusWindow(TWinControl* Control) {
    TWindowHandle* h = HandleOf(Control);
    if (h && h->Widget && h->Widget->focusPolicy() == Qt::NoFocus) h->Widget->setFocusPolicy(Qt::NoFocus);
    if (h && h->Widget && QApplication::focusWidget() != h->Widget) h->Widget->setFocus(Qt::OtherFocusReason);
}

void TWindowBackend::CaptureMouse(TWinControl* Control) {
    // The framework routes captured input itself; the window system only keeps the mouse for
    // the application while a button is up.
    static QPointer<QWidget> grabbed;
    if (grabbed) {
        grabbed->releaseMouse();
        grabbed = nullptr;
    }
    TWindowHandle* h = HandleOf(Control);
    if (h && h->Widget && h->Widget->isVisible() && QGuiApplication::platformName() != "offscreen") {
        h->Widget->grabMouse();
        grabbed = h->Widget.data();
    }
}

void TWindowBackend::ShowCursor(TWinControl* Control, TCursor Cursor) { ApplyCursorTo(Control, Cursor); }

void TWindowBackend::ActivateWindow(TWinControl* Control) {
    TWindowHandle* h = HandleOf(Control);
    if (!h || !h->Widget || !h->TopLevel) return;
    Raise(Control);
    h->ShownWithoutActivation = false;
    if (!h->Widget->isVisible()) return;
    if (QApplication::activeWindow() == h->Widget) return;
    ++h->ExpectedActivations;
    if (!lumora_qt::Offscreen()) h->Widget->raise();
    h->Widget->activateWindow();
}

void TWindowBackend::SetWindowState(TWinControl* Control, int State) {
    TWindowHandle* h = HandleOf(Control);
    if (!h || !h->Widget || !h->TopLevel) return;
    QWidget* w = h->Widget;
    Qt::WindowStates s = w->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (State == 1) s |= Qt::WindowMinimized;
    if (State == 2) s |= Qt::WindowMaximized;
    w->setWindowState(s);
}

bool TWindowBackend::DefaultWindowProc(TWinControl* Control, TMessage& Message) {
    TWindowHandle* h = HandleOf(Control);
    if (!h || !h->Native) return false;
    if (gRouted && gRouted->Control == Control && gRouted->Msg == Message.Msg) {
        gRouted->PassToWidget = true;
        return true;
    }
    return lumora_qt::NativeDefaultProc(Control, h->Widget, Message);
}

void TWindowBackend::ScrollWindow(TWinControl* Control, Integer DX, Integer DY, const TRect& Scroll, const TRect& Clip) {
    TWindowHandle* h = HandleOf(Control);
    if (!h || !h->Widget) return;
    if (h->Native) {
        h->Widget->scroll(DX, DY, ToQRect(Scroll));
        return;
    }
    TPoint off = ClientOffset(Control);
    QRect r = ToQRect(Scroll).translated(off.X, off.Y);
    h->Widget->update(r);
}

bool TWindowBackend::WidgetScreenRect(TWinControl* Control, TRect& R) {
    TWindowHandle* h = HandleOf(Control);
    if (!h || !h->Widget) return false;
    QRect g(h->Widget->mapToGlobal(QPoint(0, 0)), h->Widget->size());
    R = {g.x(), g.y(), g.x() + g.width(), g.y() + g.height()};
    return true;
}

// ---- Finding windows -------------------------------------------------------------------------

QWidget* lumora_qt::WidgetOf(TWinControl* Control) {
    TWindowHandle* h = B::HandleOf(Control);
    return h ? h->Widget.data() : nullptr;
}

QWidget* lumora_qt::DialogParent() {
    TWinControl* top = lumora_detail::ActiveTopLevel();
    return top ? WidgetOf(top) : nullptr;
}

TWinControl* lumora_qt::ControlOf(QWidget* Widget) {
    for (QWidget* w = Widget; w; w = w->parentWidget()) {
        if (auto* lw = dynamic_cast<LumoraWindow*>(w)) return lw->Control();
        if (TWinControl* c = lumora_qt::NativeControlOf(w)) return c;
        if (w->isWindow()) break;
    }
    return nullptr;
}

const std::vector<TWinControl*>& lumora_qt::TopLevelOrder() { return gTopLevels; }

TWinControl* lumora_detail::WindowAtScreenPoint(TPoint Pos) {
    auto inside = [&](TWinControl* c) {
        TRect r;
        GetWindowRect(c, r);
        return PtInRect(&r, Pos);
    };
    TWinControl* top = nullptr;
    // Stay-on-top windows first, then the others, each front first.
    for (int pass = 0; pass < 2 && !top; ++pass)
        for (TWinControl* c : gTopLevels) {
            if (!IsLiveControl(c) || !B::IsWindowVisible(c)) continue;
            bool topmost = (GetWindowLong(c, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
            if ((pass == 0) != topmost) continue;
            if (inside(c)) {
                top = c;
                break;
            }
        }
    if (!top) return nullptr;
    TWinControl* w = top;
    for (;;) {
        TControl* c = w->ControlAtPos(w->ScreenToClient(Pos), true, true);
        auto* wc = dynamic_cast<TWinControl*>(c);
        if (!wc || !wc->HandleAllocated() || !B::IsWindowVisible(wc)) break;
        w = wc;
    }
    return w;
}

TCursor lumora_detail::SetCurrentCursor(TCursor Cursor) {
    static TCursor current = 0;
    TCursor old = current;
    current = Cursor;
    if (gMouseWindow && IsLiveControl(gMouseWindow)) ApplyCursorTo(gMouseWindow, Cursor);
    return old;
}

// ---- Mouse input -----------------------------------------------------------------------------

namespace {

// Presses that closed a popup menu, delivered once the menu's loop has returned (as the window
// system replays them): the window they reached, the event and the message they stand for.
struct DeferredPress {
    QPointer<QWidget> Widget;
    TWinControl* Window;
    std::unique_ptr<QMouseEvent> Event;
    TMsg Msg;
};
std::deque<DeferredPress> gDeferredPresses;

void DeliverDeferredPress() {
    if (gDeferredPresses.empty()) return;
    DeferredPress d = std::move(gDeferredPresses.front());
    gDeferredPresses.pop_front();
    if (d.Widget && IsLiveControl(d.Window)) lumora_qt::RouteMouseEvent(d.Window, d.Event.get());
}

// A press reaching a window while a menu of ours is open closes the menus and comes again later.
bool DeferPressUnderMenu(TWinControl* Window, QMouseEvent* Event) {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return false;
    for (int guard = 0; guard < 16 && QApplication::activePopupWidget(); ++guard) QApplication::activePopupWidget()->close();
    QPoint gp = Event->globalPosition().toPoint();
    TPoint client = Window->ScreenToClient({gp.x(), gp.y()});
    Qt::MouseButton b = Event->button();
    UINT base = b == Qt::RightButton ? WM_RBUTTONDOWN : b == Qt::MiddleButton ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
    UINT msg = Event->type() == QEvent::MouseButtonDblClick ? base + 2 : base;
    DeferredPress d{lumora_qt::WidgetOf(Window), Window,
                    std::unique_ptr<QMouseEvent>(static_cast<QMouseEvent*>(Event->clone())),
                    TMsg{Window, msg, 0, PointToLParam(client), DWORD(Event->timestamp()), {gp.x(), gp.y()}}};
    gDeferredPresses.push_back(std::move(d));
    if (!lumora_qt::PopupMenuRunning()) lumora_backend::PostToLoop(DeliverDeferredPress);
    return true;
}

}  // namespace

void lumora_qt::ReleaseDeferredPresses() {
    for (size_t i = 0; i < gDeferredPresses.size(); ++i) lumora_backend::PostToLoop(DeliverDeferredPress);
}

void PurgeMouseButtonMessages(const std::function<bool(const TMsg&)>& Keep) {
    for (auto it = gDeferredPresses.begin(); it != gDeferredPresses.end();)
        it = Keep(it->Msg) ? std::next(it) : gDeferredPresses.erase(it);
}

bool lumora_qt::RouteMouseEvent(TWinControl* Window, QMouseEvent* Event) {
    if ((Event->type() == QEvent::MouseButtonPress || Event->type() == QEvent::MouseButtonDblClick) &&
        DeferPressUnderMenu(Window, Event))
        return true;
    QPoint gp = Event->globalPosition().toPoint();
    TPoint global{gp.x(), gp.y()};
    DWORD time = DWORD(Event->timestamp());
    lumora_detail::SetMessageTimeAndPos(time, global);
    NoteModifiers(Event->modifiers());
    NoteButtons(Event->buttons());
    QEvent::Type type = Event->type();
    bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    bool release = type == QEvent::MouseButtonRelease;
    bool taken = true;
    Guarded(Window, [&] {
        if (press && lumora_detail::AnyPopupOpen()) lumora_detail::ReportOutsideClick(global, Window);
        if (!IsLiveControl(Window)) return;
        if (!lumora_detail::AcceptsInput(Window)) {
            if (press) MessageBeep(0);
            return;
        }
        // A drag in progress gets the mouse first.
        if (type == QEvent::MouseMove && TDragManager::MouseMove(global)) return;
        if (release && Event->button() == Qt::LeftButton && TDragManager::MouseUp(mbLeft, global)) return;
        if (TDragManager::Active()) return;

        HWND capture = GetCapture();
        TWinControl* target = capture && IsLiveControl(capture) ? capture : Window;
        TPoint client = target->ScreenToClient(global);
        if (!capture) {
            TRect cr = target->GetClientRect();
            bool inClient = client.X >= 0 && client.Y >= 0 && client.X < cr.Right && client.Y < cr.Bottom;
            // Outside the client area the window says what is there: a part it calls client
            // gets ordinary mouse messages, the others the non-client left-button messages.
            LRESULT hit = inClient ? HTCLIENT : target->Perform(WM_NCHITTEST, 0, PointToLParam(global));
            if (!IsLiveControl(target)) return;
            if (hit != HTCLIENT) {
                if (type == QEvent::MouseMove) {
                    TrackMouseControl(target);
                    gMouseWindow = target;
                    target->Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                                    MAKELPARAM(Word(int16_t(hit)), Word(WM_MOUSEMOVE)));
                    if (!IsLiveControl(target)) return;
                }
                bool left = Event->button() == Qt::LeftButton;
                Cardinal nc = type == QEvent::MouseMove ? WM_NCMOUSEMOVE
                              : !left                   ? 0
                              : release                 ? WM_NCLBUTTONUP
                              : type == QEvent::MouseButtonDblClick ? WM_NCLBUTTONDBLCLK
                                                                    : WM_NCLBUTTONDOWN;
                if (nc) target->Perform(nc, WPARAM(hit), PointToLParam(global));
                return;
            }
        }
        // The cursor shape follows the window under the mouse.
        if (type == QEvent::MouseMove || press) {
            gMouseWindow = target;
            LRESULT hit = target->Perform(WM_NCHITTEST, 0, PointToLParam(global));
            if (!IsLiveControl(target)) return;
            target->Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                            MAKELPARAM(Word(int16_t(hit)), Word(press ? WM_LBUTTONDOWN : WM_MOUSEMOVE)));
            if (!IsLiveControl(target)) return;
        }
        Cardinal msg = WM_MOUSEMOVE;
        if (press || release) {
            Qt::MouseButton b = Event->button();
            Cardinal base = b == Qt::RightButton ? WM_RBUTTONDOWN : b == Qt::MiddleButton ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
            if (b != Qt::LeftButton && b != Qt::RightButton && b != Qt::MiddleButton) return;
            if (release) {
                msg = base + 1;
            } else {
                // A second press of the same button soon enough and close enough is a double click.
                bool dbl = gLastPress.Valid && gLastPress.Button == b && gLastPress.Window == target &&
                           ulong(time) - gLastPress.Time <= GetDoubleClickTime() &&
                           std::abs(gp.x() - gLastPress.Pos.x()) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                           std::abs(gp.y() - gLastPress.Pos.y()) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
                msg = dbl ? base + 2 : base;
                gLastPress = dbl ? LastPress{} : LastPress{b, target, ulong(time), gp, true};
                // Clicking a window that is not active activates it unless it declines.
                TWinControl* top = TopLevelOf(target);
                if (top != lumora_detail::ActiveTopLevel()) {
                    LRESULT r = target->Perform(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top), MAKELPARAM(HTCLIENT, Word(msg)));
                    if (!IsLiveControl(target)) return;
                    if ((r == MA_ACTIVATE || r == MA_ACTIVATEANDEAT) && !lumora_detail::NeverActivates(top)) lumora_detail::ActivateTopLevel(top);
                    if (r == MA_ACTIVATEANDEAT || r == MA_NOACTIVATEANDEAT) return;
                    if (!IsLiveControl(target)) return;
                }
            }
        }
        TMsg m{target, msg, MouseKeys(Event->buttons(), Event->modifiers()), PointToLParam(client), time, global};
        if (release) {
            // The button released is no longer down.
            if (Event->button() == Qt::LeftButton) m.wParam &= ~MK_LBUTTON;
            if (Event->button() == Qt::RightButton) m.wParam &= ~MK_RBUTTON;
            if (Event->button() == Qt::MiddleButton) m.wParam &= ~MK_MBUTTON;
        }
        taken = !DispatchRouted(m).PassToWidget;
        if (type == QEvent::MouseMove && IsLiveControl(target)) {
            TControl* under = capture ? GetCaptureControl() : target->ControlAtPos(client, false);
            TrackMouseControl(under ? under : target);
        }
    });
    return taken;
}

bool lumora_qt::RouteWheelEvent(TWinControl* Window, QWheelEvent* Event) {
    QPoint gp = Event->globalPosition().toPoint();
    TPoint global{gp.x(), gp.y()};
    lumora_detail::SetMessageTimeAndPos(DWORD(Event->timestamp()), global);
    NoteModifiers(Event->modifiers());
    int delta = Event->angleDelta().y();
    if (delta == 0) delta = Event->angleDelta().x();
    if (delta == 0) return true;
    bool taken = true;
    Guarded(Window, [&] {
        if (!lumora_detail::AcceptsInput(Window) || TDragManager::Active()) return;
        // The wheel goes to the focused window of the same top-level window.
        TWinControl* target = Window;
        HWND focus = GetFocus();
        if (focus && IsLiveControl(focus) && TopLevelOf(focus) == TopLevelOf(Window)) target = focus;
        WPARAM w = (MouseKeys(Event->buttons(), Event->modifiers()) & 0xFFFF) | (WPARAM(Word(int16_t(delta))) << 16);
        TMsg m{target, WM_MOUSEWHEEL, w, PointToLParam(global), DWORD(Event->timestamp()), global};
        taken = !DispatchRouted(m).PassToWidget;
    });
    return taken;
}

void lumora_qt::RouteEnterLeave(TWinControl* Window, bool Enter) {
    if (Enter) {
        gMouseWindow = Window;
        TrackMouseControl(Window);
    } else if (gMouseControl && (gMouseControl == Window || Window->ContainsControl(gMouseControl))) {
        TrackMouseControl(nullptr);
        Application->CancelHint();
    }
}

void lumora_qt::RouteFocusIn(TWinControl* Window, Qt::FocusReason Reason) {
    HWND focus = GetFocus();
    if (focus == Window) return;
    if (Reason == Qt::MouseFocusReason || Reason == Qt::TabFocusReason || Reason == Qt::BacktabFocusReason ||
        Reason == Qt::ShortcutFocusReason) {
        Guarded(Window, [&] { SetFocusWindow(Window); });
        return;
    }
    // The window system restored the focus on its own: the framework's focus holds.
    if (focus && IsLiveControl(focus) && TopLevelOf(focus) == TopLevelOf(Window)) B::FocusWindow(focus);
}

// ---- Keys ------------------------------------------------------------------------------------

Word lumora_qt::VirtualKeyOf(int k, Qt::KeyboardModifiers mods) {
    bool keypad = (mods & Qt::KeypadModifier) != 0;
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return Word('A' + (k - Qt::Key_A));
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return keypad ? Word(VK_NUMPAD0 + (k - Qt::Key_0)) : Word('0' + (k - Qt::Key_0));
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return Word(VK_F1 + (k - Qt::Key_F1));
    switch (k) {
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_Print: return VK_SNAPSHOT;
    case Qt::Key_Clear: return VK_CLEAR;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return VK_MENU;
    case Qt::Key_Meta: return VK_LWIN;
    case Qt::Key_Menu: return VK_APPS;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_NumLock: return VK_NUMLOCK;
    case Qt::Key_ScrollLock: return VK_SCROLL;
    case Qt::Key_Help: return VK_HELP;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_Asterisk: return keypad ? VK_MULTIPLY : Word('8');
    case Qt::Key_Plus: return keypad ? VK_ADD : VK_OEM_PLUS;
    case Qt::Key_Minus: return keypad ? VK_SUBTRACT : VK_OEM_MINUS;
    case Qt::Key_Slash: return keypad ? VK_DIVIDE : VK_OEM_2;
    case Qt::Key_Period: return keypad ? VK_DECIMAL : VK_OEM_PERIOD;
    case Qt::Key_Comma: return keypad ? VK_DECIMAL : VK_OEM_COMMA;
    case Qt::Key_Equal: return VK_OEM_PLUS;
    case Qt::Key_Underscore: return VK_OEM_MINUS;
    case Qt::Key_Less: return VK_OEM_COMMA;
    case Qt::Key_Greater: return VK_OEM_PERIOD;
    case Qt::Key_Question: return VK_OEM_2;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return VK_OEM_1;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return VK_OEM_3;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return VK_OEM_4;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return VK_OEM_5;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return VK_OEM_6;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return VK_OEM_7;
    case Qt::Key_Exclam: return Word('1');
    case Qt::Key_At: return Word('2');
    case Qt::Key_NumberSign: return Word('3');
    case Qt::Key_Dollar: return Word('4');
    case Qt::Key_Percent: return Word('5');
    case Qt::Key_AsciiCircum: return Word('6');
    case Qt::Key_Ampersand: return Word('7');
    case Qt::Key_ParenLeft: return Word('9');
    case Qt::Key_ParenRight: return Word('0');
    default: return 0;
    }
}

int lumora_qt::QtKeyOf(Word vk) {
    if (vk >= 'A' && vk <= 'Z') return Qt::Key_A + (vk - 'A');
    if (vk >= '0' && vk <= '9') return Qt::Key_0 + (vk - '0');
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return Qt::Key_0 + (vk - VK_NUMPAD0);
    if (vk >= VK_F1 && vk <= VK_F24) return Qt::Key_F1 + (vk - VK_F1);
    switch (vk) {
    case VK_ESCAPE: return Qt::Key_Escape;
    case VK_TAB: return Qt::Key_Tab;
    case VK_BACK: return Qt::Key_Backspace;
    case VK_RETURN: return Qt::Key_Return;
    case VK_INSERT: return Qt::Key_Insert;
    case VK_DELETE: return Qt::Key_Delete;
    case VK_PAUSE: return Qt::Key_Pause;
    case VK_SNAPSHOT: return Qt::Key_Print;
    case VK_CLEAR: return Qt::Key_Clear;
    case VK_HOME: return Qt::Key_Home;
    case VK_END: return Qt::Key_End;
    case VK_LEFT: return Qt::Key_Left;
    case VK_UP: return Qt::Key_Up;
    case VK_RIGHT: return Qt::Key_Right;
    case VK_DOWN: return Qt::Key_Down;
    case VK_PRIOR: return Qt::Key_PageUp;
    case VK_NEXT: return Qt::Key_PageDown;
    case VK_SHIFT: return Qt::Key_Shift;
    case VK_CONTROL: return Qt::Key_Control;
    case VK_MENU: return Qt::Key_Alt;
    case VK_LWIN: return Qt::Key_Meta;
    case VK_APPS: return Qt::Key_Menu;
    case VK_CAPITAL: return Qt::Key_CapsLock;
    case VK_NUMLOCK: return Qt::Key_NumLock;
    case VK_SCROLL: return Qt::Key_ScrollLock;
    case VK_HELP: return Qt::Key_Help;
    case VK_SPACE: return Qt::Key_Space;
    case VK_MULTIPLY: return Qt::Key_Asterisk;
    case VK_ADD: return Qt::Key_Plus;
    case VK_SUBTRACT: return Qt::Key_Minus;
    case VK_DIVIDE: return Qt::Key_Slash;
    case VK_DECIMAL: return Qt::Key_Period;
    case VK_OEM_PLUS: return Qt::Key_Equal;
    case VK_OEM_MINUS: return Qt::Key_Minus;
    case VK_OEM_COMMA: return Qt::Key_Comma;
    case VK_OEM_PERIOD: return Qt::Key_Period;
    case VK_OEM_2: return Qt::Key_Slash;
    case VK_OEM_1: return Qt::Key_Semicolon;
    case VK_OEM_3: return Qt::Key_QuoteLeft;
    case VK_OEM_4: return Qt::Key_BracketLeft;
    case VK_OEM_5: return Qt::Key_Backslash;
    case VK_OEM_6: return Qt::Key_BracketRight;
    case VK_OEM_7: return Qt::Key_Apostrophe;
    default: return 0;
    }
}

Char lumora_qt::CharOf(QKeyEvent* Event, Word vk) {
    Qt::KeyboardModifiers mods = Event->modifiers();
    bool ctrl = (mods & Qt::ControlModifier) != 0;
    bool alt = (mods & Qt::AltModifier) != 0;
    switch (vk) {
    case VK_BACK: return ctrl ? Char(127) : Char(8);
    case VK_TAB: return Char(9);
    case VK_RETURN: return ctrl ? Char(10) : Char(13);
    case VK_ESCAPE: return Char(27);
    default: break;
    }
    if (ctrl && !alt) {
        if (vk >= 'A' && vk <= 'Z') return Char(vk - 'A' + 1);
        if (vk == VK_OEM_4) return Char(27);
        if (vk == VK_OEM_5) return Char(28);
        if (vk == VK_OEM_6) return Char(29);
        return 0;
    }
    QString text = Event->text();
    if (text.isEmpty()) return 0;
    char32_t cp = text.toUcs4().value(0);
    if (cp < 32 || cp == 127) return 0;
    return Char(cp);
}

bool lumora_qt::RouteKeyEvent(TWinControl* Window, QKeyEvent* Event) {
    bool pressed = Event->type() == QEvent::KeyPress;
    Qt::KeyboardModifiers mods = Event->modifiers();
    Word vk = VirtualKeyOf(Event->key(), mods);
    // Windows sends no release for each repeat.
    if (!pressed && Event->isAutoRepeat()) return true;
    NoteModifiers(pressed ? mods : mods);
    if (vk) lumora_detail::SetKeyDown(vk, pressed);
    if (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU) lumora_detail::SetKeyDown(vk, pressed);
    lumora_detail::SetMessageTimeAndPos(DWORD(Event->timestamp()), lumora_backend::CursorPos());
    bool alt = (mods & Qt::AltModifier) != 0 && !(mods & Qt::ControlModifier);
    LPARAM keyData = 1 | (LPARAM(Event->nativeScanCode() & 0xFF) << 16);
    if (alt) keyData |= KF_ALTDOWN;
    if (pressed && Event->isAutoRepeat()) keyData |= KF_REPEAT;
    if (!pressed) keyData |= KF_REPEAT | KF_UP;
    bool taken = true;
    Guarded(Window, [&] {
        if (!lumora_detail::AcceptsInput(Window)) return;
        if (pressed && TDragManager::KeyDown(vk)) return;
        bool pass = true;
        if (vk) {
            Cardinal msg = pressed ? (alt || vk == VK_F10 ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
            TMsg m{Window, msg, vk, keyData, DWORD(Event->timestamp()), GetMessagePos()};
            lumora_detail::SetDiscardChar(false);
            lumora_detail::SetInKeyDown(pressed);
            struct EndKeyDown {
                ~EndKeyDown() { lumora_detail::SetInKeyDown(false); }
            } endKeyDown;
            RouteResult r = DispatchRouted(m);
            bool handled = r.Handled;
            pass = r.PassToWidget;
            if (!pressed || handled || m.wParam == 0 || lumora_detail::GetDiscardChar() || !IsLiveControl(Window)) {
                lumora_detail::SetDiscardChar(false);
                taken = !pass || handled;
                return;
            }
        }
        // The character the key types.
        Char ch = CharOf(Event, vk);
        if (ch == 0) {
            taken = !pass;
            return;
        }
        Cardinal cmsg = alt ? WM_SYSCHAR : WM_CHAR;
        TMsg cm{Window, cmsg, WPARAM(ch), keyData, DWORD(Event->timestamp()), GetMessagePos()};
        bool charToWidget = DispatchRouted(cm).PassToWidget;
        taken = !(pass && charToWidget);
    });
    return taken;
}
