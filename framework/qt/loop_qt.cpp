// The backend's services: the Qt application and event loop, timers, screens, the cursor,
// hints, the beep.

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QCursor>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QToolTip>

#include "framework/backend.h"
#include "framework/clipboard.h"
#include "framework/forms.h"
#include "framework/image_list.h"
#include "framework/thread.h"
#include "framework/window_backend.h"
#include "framework/qt/backend_qt.h"

namespace {

QObject* gDispatcher = nullptr;

void ConnectApplication() {
    gDispatcher = new QObject();
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, gDispatcher, [](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) return;
        // Focus moving between our own windows passes through "inactive": look again once it
        // settled.
        QTimer::singleShot(0, gDispatcher, [] {
            if (QGuiApplication::applicationState() == Qt::ApplicationActive || QGuiApplication::focusWindow()) return;
            if (QGuiApplication::platformName() == "offscreen") return;
            try {
                lumora_detail::DeactivateApplication();
            } catch (...) {
                Application->HandleException(Application);
            }
        });
    });
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, gDispatcher, [] {
        try {
            Clipboard()->NotifyChanged();
        } catch (...) {
            Application->HandleException(Application);
        }
    });
}

QHash<Integer, QTimer*>& Timers() {
    static QHash<Integer, QTimer*> t;
    return t;
}

}  // namespace

void lumora_backend::EnsureBackend() {
    if (!QCoreApplication::instance()) ::EnsureBackend();
    if (!gDispatcher) {
        ConnectApplication();
        // Calls other threads queue for this one run from the loop.
        SetWakeMainThread([] { PostToLoop([] { CheckSynchronize(0); }); });
        // Drag images placed relative to a window's client area.
        TCustomImageList::WindowOrigin = [](void* Window) {
            auto* c = static_cast<TWinControl*>(Window);
            return lumora_detail::IsLiveControl(c) ? c->GetClientOrigin() : TPoint{};
        };
    }
}

bool lumora_backend::ProcessEvents(bool Wait) {
    EnsureBackend();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance();
    if (!d) return false;
    QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents;
    if (Wait) flags |= QEventLoop::WaitForMoreEvents;
    return d->processEvents(flags);
}

void lumora_backend::WakeMessageLoop() {
    if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance()) d->wakeUp();
}

void lumora_backend::PostToLoop(std::function<void()> Callback) {
    EnsureBackend();
    QMetaObject::invokeMethod(gDispatcher, [cb = std::move(Callback)] {
        try {
            cb();
        } catch (...) {
            Application->HandleException(Application);
        }
    }, Qt::QueuedConnection);
}

Integer lumora_backend::StartTimer(Integer Interval, std::function<void()> Callback) {
    EnsureBackend();
    static Integer next = 0;
    Integer id = ++next;
    auto* t = new QTimer(gDispatcher);
    t->setInterval(std::max(0, Interval));
    QObject::connect(t, &QTimer::timeout, t, [cb = std::move(Callback)] {
        try {
            cb();
        } catch (...) {
            Application->HandleException(Application);
        }
    });
    Timers().insert(id, t);
    t->start();
    return id;
}

void lumora_backend::StopTimer(Integer Id) {
    auto it = Timers().find(Id);
    if (it == Timers().end()) return;
    QTimer* t = it.value();
    Timers().erase(it);
    t->stop();
    t->deleteLater();
}

bool lumora_qt::Offscreen() {
    static int offscreen = -1;
    if (offscreen < 0 && QCoreApplication::instance())
        offscreen = QGuiApplication::platformName() == "offscreen" ? 1 : 0;
    return offscreen == 1;
}

void lumora_qt::DisposeWidget(QWidget* Widget) {
    Widget->hide();
    Widget->deleteLater();
}

// ---- Screens ---------------------------------------------------------------------------------

namespace {

TRect ToTRect(const QRect& r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }

}  // namespace

TRect lumora_backend::PrimaryScreenRect() {
    EnsureBackend();
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? ToTRect(s->geometry()) : TRect{0, 0, 1024, 768};
}

TRect lumora_backend::PrimaryWorkArea() {
    EnsureBackend();
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? ToTRect(s->availableGeometry()) : TRect{0, 0, 1024, 768};
}

Integer lumora_backend::PrimaryScreenDepth() {
    EnsureBackend();
    QScreen* s = QGuiApplication::primaryScreen();
    return s && s->depth() > 0 ? Integer(s->depth()) : 24;
}

Integer lumora_backend::MonitorCount() {
    EnsureBackend();
    return Integer(QGuiApplication::screens().size());
}

TRect lumora_backend::MonitorRect(Integer Index) {
    EnsureBackend();
    auto s = QGuiApplication::screens();
    return Index >= 0 && Index < s.size() ? ToTRect(s[Index]->geometry()) : TRect{};
}

TRect lumora_backend::MonitorWorkArea(Integer Index) {
    EnsureBackend();
    auto s = QGuiApplication::screens();
    return Index >= 0 && Index < s.size() ? ToTRect(s[Index]->availableGeometry()) : TRect{};
}

Integer lumora_backend::MonitorPrimaryIndex() {
    EnsureBackend();
    return Integer(QGuiApplication::screens().indexOf(QGuiApplication::primaryScreen()));
}

TPoint lumora_backend::CursorPos() {
    EnsureBackend();
    // Without a real pointer the last input message tells where the mouse is.
    if (QGuiApplication::platformName() == "offscreen") return GetMessagePos();
    QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

void lumora_backend::SetCursorPos(TPoint P) {
    EnsureBackend();
    lumora_detail::SetMessageTimeAndPos(GetMessageTime(), P);
    if (QGuiApplication::platformName() != "offscreen") QCursor::setPos(P.X, P.Y);
}

void lumora_backend::SetOverrideCursor(TCursor Cursor) {
    EnsureBackend();
    if (Cursor == 0) {
        while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
        return;
    }
    if (QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(lumora_qt::CursorFor(Cursor));
    else
        QGuiApplication::setOverrideCursor(lumora_qt::CursorFor(Cursor));
}

std::vector<std::string> lumora_backend::FontFamilies() {
    EnsureBackend();
    std::vector<std::string> v;
    for (const QString& f : QFontDatabase::families()) v.push_back(f.toStdString());
    return v;
}

void lumora_backend::ShowHintText(const std::string& Text, TPoint ScreenPos, TColor Color) {
    EnsureBackend();
    QToolTip::showText(QPoint(ScreenPos.X, ScreenPos.Y), QString::fromStdString(Text));
}

void lumora_backend::HideHintText() {
    if (QCoreApplication::instance()) QToolTip::hideText();
}

void lumora_backend::Beep() {
    EnsureBackend();
    QApplication::beep();
}

std::string lumora_backend::ExecutablePath() {
    EnsureBackend();
    return QCoreApplication::applicationFilePath().toStdString();
}
