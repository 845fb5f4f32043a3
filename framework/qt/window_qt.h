#pragma once
// The Qt side of windows: the widget behind a windowed control, and the hooks through which
// controls built on native Qt widgets join the framework's input path.

#include <QPointer>
#include <QScrollBar>
#include <QWidget>

#include "framework/controls.h"

class QEvent;
class QKeyEvent;
class QMouseEvent;
class QWheelEvent;

// The backend part of a window handle.
struct TWindowHandle {
    QPointer<QWidget> Widget;
    // True when the widget is a native Qt widget (a standard control) rather than a framework
    // window; its own painting and input handling stay in use.
    bool Native = false;
    bool TopLevel = false;
    QScrollBar* Bars[2] = {nullptr, nullptr};
    // Activations asked of the window system that have not been reported back yet.
    int ExpectedActivations = 0;
    // Shown without activation: activations the window system reports are not taken until the
    // window is activated on purpose.
    bool ShownWithoutActivation = false;
    // Set while the widget is being placed from the control's bounds.
    bool Syncing = false;
    // The widget sits in a layout of a foreign widget (a dialog's extra pane), which places it;
    // the control's bounds follow the widget (screen coordinates).
    bool Embedded = false;
    TCursor Cursor = 0;
};

// The widget of a framework-painted window.
class LumoraWindow : public QWidget {
public:
    LumoraWindow(TWinControl* Control, QWidget* Parent, Qt::WindowFlags Flags);
    ~LumoraWindow() override;
    TWinControl* Control() const { return FControl; }
    void Detach() { FControl = nullptr; }

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    TWinControl* FControl;
};

namespace lumora_qt {

// The widget of a window (nullptr without a handle).
QWidget* WidgetOf(TWinControl* Control);
// The widget dialogs open over: the active top-level window's (nullptr when none is active).
QWidget* DialogParent();
// The control whose window is the widget (or one of its ancestors), or nullptr.
TWinControl* ControlOf(QWidget* Widget);

// For controls made of a native Qt widget: call from CreateWindowHandle instead of the base.
// The widget becomes the control's window; its input goes through the framework's path first
// (shortcuts, dialog keys, key preview, events) and reaches the widget only when the default
// window procedure is reached.
void AdoptNativeWidget(TWinControl* Control, QWidget* Widget, const TCreateParams& Params);

// The input path, shared by framework windows and native widgets. Return true when the event
// was taken (the widget must not handle it).
bool RouteMouseEvent(TWinControl* Window, QMouseEvent* Event);
bool RouteWheelEvent(TWinControl* Window, QWheelEvent* Event);
bool RouteKeyEvent(TWinControl* Window, QKeyEvent* Event);
void RouteEnterLeave(TWinControl* Window, bool Enter);
void RouteFocusIn(TWinControl* Window, Qt::FocusReason Reason);

// Virtual key of a Qt key event (0 when it has none) and the character it types (0: none).
Word VirtualKeyOf(int QtKey, Qt::KeyboardModifiers Modifiers);
Char CharOf(QKeyEvent* Event, Word VirtualKey);
// The Qt key for a virtual key (the test toolkit sends keys this way).
int QtKeyOf(Word VirtualKey);

// The top-level framework windows, front first.
const std::vector<TWinControl*>& TopLevelOrder();

}  // namespace lumora_qt
