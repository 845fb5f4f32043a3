// The headless test toolkit: input events made as Qt makes them and delivered to the widgets,
// loop helpers and captures.

#include "framework/testing/ui_test.h"
#include "framework/testing/ui_test_windows.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "framework/drag.h"
#include "framework/graphics.h"
#include "framework/system_metrics.h"
#include "framework/window_backend.h"
#include "framework/qt/backend_qt.h"
#include "framework/qt/surface_qt.h"
#include "framework/qt/screen_overlay_qt.h"
#include "framework/qt/window_qt.h"

namespace {

QPointer<QWidget> gPressed;  // the widget that got the press (implicit grab)
Qt::MouseButtons gButtons;
ulong gClock = 0;

ulong Tick(ulong step = 1) {
    if (gClock == 0) gClock = 100000;
    gClock += step;
    return gClock;
}

Qt::MouseButton QtButton(TMouseButton b) {
    switch (b) {
    case mbRight: return Qt::RightButton;
    case mbMiddle: return Qt::MiddleButton;
    default: return Qt::LeftButton;
    }
}

Qt::KeyboardModifiers QtMods(TShiftState s) {
    Qt::KeyboardModifiers m;
    if (s.Contains(ssShift)) m |= Qt::ShiftModifier;
    if (s.Contains(ssCtrl)) m |= Qt::ControlModifier;
    if (s.Contains(ssAlt)) m |= Qt::AltModifier;
    return m;
}

// The window that shows C and where C's client point P is on screen.
TWinControl* WindowOf(TControl* C) {
    if (auto* w = dynamic_cast<TWinControl*>(C)) return w;
    return C->GetParent();
}

QWidget* WidgetFor(TControl* C) {
    TWinControl* w = WindowOf(C);
    if (!w) throw EInvalidOperation("The control has no window");
    w->HandleNeeded();
    return lumora_qt::WidgetOf(w);
}

// Sends a mouse event at a screen point to the widget real input would reach: the one holding the
// press, else the captured window, else Fallback.
void SendMouseAt(TPoint g, QWidget* Fallback, QEvent::Type type, Qt::MouseButton button, TShiftState shift,
                 ulong time) {
    QWidget* target = nullptr;
    HWND capture = GetCapture();
    if (gPressed)
        target = gPressed;
    else if (capture)
        target = lumora_qt::WidgetOf(capture);
    if (!target) target = Fallback;
    if (!target) return;
    if (type == QEvent::MouseButtonPress) {
        gButtons |= button;
        gPressed = target;
    } else if (type == QEvent::MouseButtonRelease) {
        gButtons &= ~Qt::MouseButtons(button);
    }
    QPointF global(g.X, g.Y);
    QPointF local = global - QPointF(target->mapToGlobal(QPoint(0, 0)));
    QMouseEvent e(type, local, global, type == QEvent::MouseMove ? Qt::NoButton : button, gButtons, QtMods(shift));
    e.setTimestamp(time);
    QPointer<QWidget> guard = target;
    QApplication::sendEvent(target, &e);
    if (type == QEvent::MouseButtonRelease && gButtons == Qt::NoButton) gPressed = nullptr;
    uitest::ProcessEvents();
}

void SendMouse(TControl* C, QEvent::Type type, Integer X, Integer Y, Qt::MouseButton button, TShiftState shift,
               ulong time) {
    uitest::Start();
    TPoint g = C->ClientToScreen({X, Y});
    SendMouseAt(g, gPressed || GetCapture() ? nullptr : WidgetFor(C), type, button, shift, time);
}

void SendKey(QWidget* target, QEvent::Type type, Word key, TShiftState shift, bool autoRepeat, const QString& text) {
    int qtKey = lumora_qt::QtKeyOf(key);
    Qt::KeyboardModifiers mods = QtMods(shift);
    if (key >= VK_NUMPAD0 && key <= VK_DIVIDE) mods |= Qt::KeypadModifier;
    if (qtKey == Qt::Key_Tab && shift.Contains(ssShift)) qtKey = Qt::Key_Backtab;
    QKeyEvent e(type, qtKey, mods, text, autoRepeat);
    e.setTimestamp(Tick());
    QApplication::sendEvent(target, &e);
}

QString TextFor(Word key, TShiftState shift) {
    // With Alt the key still types its character (it becomes WM_SYSCHAR), as the window system
    // reports it; with Ctrl it types none.
    if (shift.Contains(ssCtrl)) return QString();
    bool sh = shift.Contains(ssShift);
    if (key >= 'A' && key <= 'Z') return QString(QChar(sh ? key : key + 32));
    if (key >= '0' && key <= '9') {
        static const char* shifted = ")!@#$%^&*(";
        return QString(QChar(sh ? shifted[key - '0'] : char(key)));
    }
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return QString(QChar('0' + key - VK_NUMPAD0));
    switch (key) {
    case VK_SPACE: return " ";
    case VK_RETURN: return "\r";
    case VK_TAB: return "\t";
    case VK_BACK: return "\b";
    case VK_ESCAPE: return QString(QChar(27));
    case VK_OEM_PLUS: return sh ? "+" : "=";
    case VK_OEM_MINUS: return sh ? "_" : "-";
    case VK_OEM_COMMA: return sh ? "<" : ",";
    case VK_OEM_PERIOD: return sh ? ">" : ".";
    case VK_OEM_2: return sh ? "?" : "/";
    case VK_OEM_1: return sh ? ":" : ";";
    case VK_OEM_3: return sh ? "~" : "`";
    case VK_OEM_4: return sh ? "{" : "[";
    case VK_OEM_5: return sh ? "|" : "\\";
    case VK_OEM_6: return sh ? "}" : "]";
    case VK_OEM_7: return sh ? "\"" : "'";
    case VK_MULTIPLY: return "*";
    case VK_ADD: return "+";
    case VK_SUBTRACT: return "-";
    case VK_DECIMAL: return ".";
    case VK_DIVIDE: return "/";
    default: return QString();
    }
}

}  // namespace

namespace uitest {

void Start() {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    lumora_backend::EnsureBackend();
}

void ShowForm(TCustomForm* Form) {
    Start();
    Form->Show();
    ProcessEvents();
}

void MouseDown(TControl* C, Integer X, Integer Y, TMouseButton Button, TShiftState Shift) {
    SendMouse(C, QEvent::MouseButtonPress, X, Y, QtButton(Button), Shift, Tick(GetDoubleClickTime() + 1));
}

void MouseUp(TControl* C, Integer X, Integer Y, TMouseButton Button, TShiftState Shift) {
    SendMouse(C, QEvent::MouseButtonRelease, X, Y, QtButton(Button), Shift, Tick());
}

void MouseMove(TControl* C, Integer X, Integer Y, TShiftState Shift) {
    SendMouse(C, QEvent::MouseMove, X, Y, Qt::NoButton, Shift, Tick());
}

void Click(TControl* C, Integer X, Integer Y, TMouseButton Button, TShiftState Shift) {
    Start();
    // The release goes where the press went, even when the press freed the control.
    TPoint g = C->ClientToScreen({X, Y});
    QWidget* w = WidgetFor(C);
    SendMouseAt(g, w, QEvent::MouseButtonPress, QtButton(Button), Shift, Tick(GetDoubleClickTime() + 1));
    SendMouseAt(g, nullptr, QEvent::MouseButtonRelease, QtButton(Button), Shift, Tick());
}

void DoubleClick(TControl* C, Integer X, Integer Y, TMouseButton Button, TShiftState Shift) {
    Click(C, X, Y, Button, Shift);
    SendMouse(C, QEvent::MouseButtonDblClick, X, Y, QtButton(Button), Shift, Tick(10));
    SendMouse(C, QEvent::MouseButtonRelease, X, Y, QtButton(Button), Shift, Tick());
}

void Wheel(TControl* C, Integer Delta, Integer X, Integer Y, TShiftState Shift) {
    Start();
    TPoint g = C->ClientToScreen({X, Y});
    QWidget* target = WidgetFor(C);
    QPointF global(g.X, g.Y);
    QPointF local = global - QPointF(target->mapToGlobal(QPoint(0, 0)));
    QWheelEvent e(local, global, QPoint(), QPoint(0, Delta), gButtons, QtMods(Shift), Qt::NoScrollPhase, false);
    e.setTimestamp(Tick());
    QApplication::sendEvent(target, &e);
    ProcessEvents();
}

void KeyDown(TWinControl* C, Word Key, TShiftState Shift, bool AutoRepeat) {
    Start();
    SendKey(WidgetFor(C), QEvent::KeyPress, Key, Shift, AutoRepeat, TextFor(Key, Shift));
    ProcessEvents();
}

void KeyUp(TWinControl* C, Word Key, TShiftState Shift) {
    Start();
    SendKey(WidgetFor(C), QEvent::KeyRelease, Key, Shift, false, TextFor(Key, Shift));
    ProcessEvents();
}

void PressKey(TWinControl* C, Word Key, TShiftState Shift) {
    KeyDown(C, Key, Shift);
    if (lumora_detail::IsLiveControl(C)) KeyUp(C, Key, Shift);
}

void PressKeyOnFocus(Word Key, TShiftState Shift) {
    HWND f = GetFocus();
    if (!f) throw EInvalidOperation("No window has the focus");
    PressKey(f, Key, Shift);
}

void TypeText(TWinControl* C, const std::string& Text) {
    for (char ch : Text) {
        Word key = 0;
        TShiftState shift;
        if (ch >= 'a' && ch <= 'z') key = Word(ch - 32);
        else if (ch >= 'A' && ch <= 'Z') { key = Word(ch); shift = {ssShift}; }
        else if (ch >= '0' && ch <= '9') key = Word(ch);
        else if (ch == ' ') key = VK_SPACE;
        else if (ch == '\n' || ch == '\r') key = VK_RETURN;
        else if (ch == '\t') key = VK_TAB;
        else {
            static const std::string plain = "=-,./;`[\\]'", shifted = "+_<>?:~{|}\"", digitsShifted = ")!@#$%^&*(";
            static const Word keys[] = {VK_OEM_PLUS, VK_OEM_MINUS, VK_OEM_COMMA, VK_OEM_PERIOD, VK_OEM_2, VK_OEM_1,
                                        VK_OEM_3, VK_OEM_4, VK_OEM_5, VK_OEM_6, VK_OEM_7};
            if (auto p = plain.find(ch); p != std::string::npos) key = keys[p];
            else if (auto q = shifted.find(ch); q != std::string::npos) { key = keys[q]; shift = {ssShift};
            } else if (auto d = digitsShifted.find(ch); d != std::string::npos) {
                key = Word('0' + d);
                shift = {ssShift};
            }
        }
        if (!key) continue;
        PressKey(C, key, shift);
    }
}

void DropText(TControl* C, Integer X, Integer Y, const std::string& Text) {
    Start();
    QWidget* top = WidgetFor(C);
    TPoint g = C->ClientToScreen({X, Y});
    QPoint local = top->mapFromGlobal(QPoint(g.X, g.Y));
    QWidget* target = top->childAt(local);
    if (!target) target = top;
    QPoint at = target->mapFromGlobal(QPoint(g.X, g.Y));
    QMimeData data;
    data.setText(QString::fromStdString(Text));
    QPointer<QWidget> guard = target;
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (guard) {
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    }
    if (guard) {
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
    }
    ProcessEvents();
}

void InputMethodCommit(TWinControl* C, const std::string& Text) {
    Start();
    QWidget* target = WidgetFor(C);
    QInputMethodEvent e;
    e.setCommitString(QString::fromStdString(Text));
    QApplication::sendEvent(target, &e);
    ProcessEvents();
}

void ScrollBarAction(TWinControl* C, Integer Bar, Word Code) {
    Start();
    TWindowHandle* h = TWindowBackend::HandleOf(C);
    QScrollBar* qb = h ? h->Bars[Bar == SB_VERT ? 1 : 0] : nullptr;
    if (!qb || !qb->isVisible()) throw EInvalidOperation("The window has no such scroll bar");
    QAbstractSlider::SliderAction a = QAbstractSlider::SliderNoAction;
    switch (Code) {
    case SB_LINEUP: a = QAbstractSlider::SliderSingleStepSub; break;
    case SB_LINEDOWN: a = QAbstractSlider::SliderSingleStepAdd; break;
    case SB_PAGEUP: a = QAbstractSlider::SliderPageStepSub; break;
    case SB_PAGEDOWN: a = QAbstractSlider::SliderPageStepAdd; break;
    case SB_TOP: a = QAbstractSlider::SliderToMinimum; break;
    case SB_BOTTOM: a = QAbstractSlider::SliderToMaximum; break;
    default: throw EInvalidOperation("Not a scroll bar click");
    }
    qb->triggerAction(a);
    // The button is let go: the scroll ends.
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 1), QPointF(qb->mapToGlobal(QPoint(1, 1))),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(qb, &release);
    ProcessEvents();
}

void ScrollBarDrag(TWinControl* C, Integer Bar, const std::vector<Integer>& Positions) {
    Start();
    TWindowHandle* h = TWindowBackend::HandleOf(C);
    QScrollBar* qb = h ? h->Bars[Bar == SB_VERT ? 1 : 0] : nullptr;
    if (!qb || !qb->isVisible()) throw EInvalidOperation("The window has no such scroll bar");
    QPointer<QScrollBar> guard = qb;
    qb->setSliderDown(true);
    for (Integer p : Positions) {
        if (!guard) return;
        qb->setSliderPosition(p);
        ProcessEvents();
    }
    if (guard) qb->setSliderDown(false);
    ProcessEvents();
}

bool ScrollBarVisible(TWinControl* C, Integer Bar) {
    TWindowHandle* h = TWindowBackend::HandleOf(C);
    QScrollBar* qb = h ? h->Bars[Bar == SB_VERT ? 1 : 0] : nullptr;
    return qb && qb->isVisible();
}

void DeactivateProgram() {
    Start();
    // The other program's window takes the activation: ours lose it, and the capture ends.
    lumora_detail::DeactivateApplication();
    Application->ProcessMessages();
}

void SizeWindowAsUser(TWinControl* W, Integer Width, Integer Height) {
    Start();
    W->HandleNeeded();
    QWidget* widget = lumora_qt::WidgetOf(W);
    if (!widget || !widget->isWindow()) throw EInvalidOperation("The control is not a top-level window");
    // The window manager sizes the widget within its limits; the frame stays as it is.
    TRect inner, outer;
    TWindowBackend::WidgetScreenRect(W, inner);
    GetWindowRect(W, outer);
    widget->resize(std::max(0, Width - (outer.Width() - inner.Width())),
                   std::max(0, Height - (outer.Height() - inner.Height())));
    Application->ProcessMessages();
}

std::vector<TShownOverlay> ShownOverlays() {
    std::vector<TShownOverlay> v;
    for (const TScreenOverlay* o : ShownScreenOverlays()) {
        TShownOverlay s{o->GetBounds(), {}};
        for (TRect r : o->GetShape()) s.Shape.push_back({r.Left + s.Bounds.Left, r.Top + s.Bounds.Top,
                                                          r.Right + s.Bounds.Left, r.Bottom + s.Bounds.Top});
        v.push_back(s);
    }
    return v;
}

void ProcessEvents() {
    Start();
    Application->ProcessMessages();
}

void IdleTurns(int N) {
    Start();
    for (int i = 0; i < N; ++i) {
        Application->ProcessMessages();
        Application->IdleTurn(false);
    }
}

void Wait(int Milliseconds) {
    Start();
    QEventLoop loop;
    QTimer::singleShot(Milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    Application->ProcessMessages();
}

void RunLater(int Milliseconds, std::function<void()> Action) {
    Start();
    QTimer::singleShot(Milliseconds, QApplication::instance(), std::move(Action));
}

bool WaitUntil(const std::function<bool()>& Condition, int TimeoutMilliseconds) {
    Start();
    QElapsedTimer clock;
    clock.start();
    while (!Condition()) {
        if (clock.elapsed() > TimeoutMilliseconds) return Condition();
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
        Application->ProcessMessages();
    }
    return true;
}

TColor TCapture::Pixel(Integer X, Integer Y) const {
    if (X < 0 || Y < 0 || X >= Width || Y >= Height) return clNone;
    uint32_t p = Pixels[size_t(Y) * size_t(Width) + size_t(X)];
    return TColor(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16));
}

bool TCapture::SavePng(const std::string& FileName) const {
    if (Width <= 0 || Height <= 0) return false;
    QImage img(Width, Height, QImage::Format_ARGB32);
    for (Integer y = 0; y < Height; ++y)
        std::memcpy(img.scanLine(y), Pixels.data() + size_t(y) * size_t(Width), size_t(Width) * 4);
    return img.save(QString::fromStdString(FileName), "PNG");
}

namespace {

TCapture CaptureOf(const QImage& Image) {
    const QImage img = Image.convertToFormat(QImage::Format_ARGB32);
    TCapture cap;
    cap.Width = img.width();
    cap.Height = img.height();
    cap.Pixels.resize(size_t(cap.Width) * size_t(cap.Height));
    for (Integer y = 0; y < cap.Height; ++y)
        std::memcpy(cap.Pixels.data() + size_t(y) * size_t(cap.Width), img.constScanLine(y), size_t(cap.Width) * 4);
    return cap;
}

}  // namespace

TCursor ShownCursor(TControl* C, Integer X, Integer Y) {
    if (TDragManager::Active()) return TDragManager::CurrentCursor();
    if (Screen->GetCursor() != crDefault) return Screen->GetCursor();
    TWinControl* w = GetCapture();
    if (!w || !lumora_detail::IsLiveControl(w)) w = lumora_detail::WindowAtScreenPoint(C->ClientToScreen(TPoint{X, Y}));
    TWindowHandle* h = w ? TWindowBackend::HandleOf(w) : nullptr;
    return h ? h->Cursor : crDefault;
}

TCapture Capture(TControl* C) {
    Start();
    ProcessEvents();
    TWinControl* w = WindowOf(C);
    if (!w) throw EInvalidOperation("The control has no window");
    w->HandleNeeded();
    QImage img;
    QWidget* widget = lumora_qt::WidgetOf(w);
    if (widget) {
        w->Update();
        img = widget->grab().toImage();
    }
    TRect part;
    if (dynamic_cast<TWinControl*>(C)) {
        // The whole window, or for a top-level window its widget (the window manager draws
        // the caption and the frame).
        part = {0, 0, img.width(), img.height()};
    } else {
        TPoint o = C->ClientToScreen({0, 0});
        QPoint wo = widget->mapToGlobal(QPoint(0, 0));
        part = {o.X - wo.x(), o.Y - wo.y(), o.X - wo.x() + C->GetWidth(), o.Y - wo.y() + C->GetHeight()};
    }
    return CaptureOf(img.copy(QRect(part.Left, part.Top, part.Width(), part.Height())));
}

namespace {

// A window the window manager frames: its frame in the button face and a caption strip over the
// widget, as a plain window manager draws them.
void PaintSystemFrame(QPainter& P, TWinControl* W, const QRect& Outer, const QRect& Inner) {
    P.fillRect(Outer, lumora_qt::ToQColor(clBtnFace));
    if (Inner.top() - Outer.top() < 4) return;
    const bool active = lumora_detail::ActiveTopLevel() == W;
    QRect caption(Outer.left() + 2, Outer.top() + 2, Outer.width() - 4, Inner.top() - Outer.top() - 3);
    P.fillRect(caption, lumora_qt::ToQColor(active ? clActiveCaption : clInactiveCaption));
    P.setPen(lumora_qt::ToQColor(active ? clCaptionText : clInactiveCaptionText));
    P.drawText(caption.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               QString::fromStdString(W->GetText()));
}

}  // namespace

TCapture CaptureScreen() {
    Start();
    ProcessEvents();
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect desk = screen ? screen->virtualGeometry() : QRect(0, 0, 800, 600);
    QImage img(desk.size(), QImage::Format_ARGB32);
    img.fill(lumora_qt::ToQColor(clBackground));
    QPainter painter(&img);
    painter.translate(-desk.topLeft());
    // Back to front, each window right under the windows it owns.
    std::vector<TWinControl*> backToFront;
    for (auto it = lumora_qt::TopLevelOrder().rbegin(); it != lumora_qt::TopLevelOrder().rend(); ++it)
        if (lumora_detail::IsLiveControl(*it) && TWindowBackend::IsWindowVisible(*it)) backToFront.push_back(*it);
    std::vector<TWinControl*> order;
    std::function<void(TWinControl*)> stack = [&](TWinControl* Owner) {
        for (TWinControl* w : backToFront)
            if (TWindowBackend::Owner(w) == Owner && std::find(order.begin(), order.end(), w) == order.end()) {
                order.push_back(w);
                stack(w);
            }
    };
    stack(nullptr);
    // Owners that are not shown: their windows as they come.
    for (TWinControl* w : backToFront)
        if (std::find(order.begin(), order.end(), w) == order.end()) order.push_back(w);
    // The ordinary windows, then those that stay on top.
    for (int pass = 0; pass < 2; ++pass)
        for (TWinControl* w : order) {
            const bool topmost = (GetWindowLong(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
            if ((pass == 1) != topmost) continue;
            TRect inner, outer;
            if (!TWindowBackend::WidgetScreenRect(w, inner)) continue;
            GetWindowRect(w, outer);
            w->Update();
            const QRect in(inner.Left, inner.Top, inner.Width(), inner.Height());
            const QRect out(outer.Left, outer.Top, outer.Width(), outer.Height());
            if (out != in && out.contains(in)) PaintSystemFrame(painter, w, out, in);
            painter.drawImage(in.topLeft(), lumora_qt::WidgetOf(w)->grab().toImage());
        }
    // The overlays above everything, only their shapes showing.
    for (const TScreenOverlay* o : ShownScreenOverlays()) {
        TRect b = o->GetBounds();
        QRegion shape;
        for (TRect r : o->GetShape()) shape += QRect(b.Left + r.Left, b.Top + r.Top, r.Width(), r.Height());
        painter.setClipRegion(shape);
        painter.drawImage(QPoint(b.Left, b.Top), lumora_qt::OverlayPicture(o));
        painter.setClipping(false);
    }
    painter.end();
    return CaptureOf(img);
}

uint64_t NativeWindowId(TWinControl* W) {
    Start();
    W->HandleNeeded();
    QWidget* widget = lumora_qt::WidgetOf(W);
    return widget ? uint64_t(widget->winId()) : 0;
}

TCapture CaptureOpenDialog() {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog) throw EInvalidOperation("No dialog is open");
    return CaptureOf(dialog->grab().toImage());
}

void WhenDialogOpens(std::function<void()> Action) {
    Start();
    auto* poll = new QTimer(qApp);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, Action] {
        if (!QApplication::activeModalWidget()) return;
        poll->stop();
        poll->deleteLater();
        try {
            Action();
        } catch (...) {
            Application->HandleException(Application);
        }
    });
    poll->start();
}

void AcceptFileDialog(const std::string& Name) {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) throw EInvalidOperation("No file dialog is open");
    if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit")) edit->setText(QString::fromStdString(Name));
    QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    ProcessEvents();
}

void CancelDialog() {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) throw EInvalidOperation("No dialog is open");
    dialog->reject();
}

TCapture CaptureOpenMenu() {
    QWidget* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) throw EInvalidOperation("No menu is open");
    return CaptureOf(menu->grab().toImage());
}

bool SavePng(TControl* C, const std::string& FileName) { return Capture(C).SavePng(FileName); }

TCapture ClipboardImage() {
    Start();
    const QMimeData* d = QGuiApplication::clipboard()->mimeData();
    if (!d || !d->hasImage()) return {};
    return CaptureOf(qvariant_cast<QImage>(d->imageData()));
}

void SetClipboardImageFromOtherProgram(const TCapture& Image) {
    Start();
    QImage img(Image.Width, Image.Height, QImage::Format_ARGB32);
    for (Integer y = 0; y < Image.Height; ++y)
        std::memcpy(img.scanLine(y), Image.Pixels.data() + size_t(y) * size_t(Image.Width), size_t(Image.Width) * 4);
    auto* data = new QMimeData;
    data->setImageData(img);
    QGuiApplication::clipboard()->setMimeData(data);
}

}  // namespace uitest
