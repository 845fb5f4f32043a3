#pragma once
// The Qt side of menus, shared with the window backend and the test toolkit.

#include <QMenu>
#include <QMenuBar>

#include <functional>

class TCustomForm;
class TMenuItem;

namespace lumora_qt {

// Places (making it when needed) the menu bar of a form's window above its client area, or
// hides it when the form shows no menu.
void PlaceMenuBar(TCustomForm* Form, QWidget* Window);
// The menu bar widget of a form (nullptr: none).
QMenuBar* MenuBarOf(TCustomForm* Form);
// The menu item an action of our menus stands for (nullptr: none, or a separator).
TMenuItem* MenuItemOf(QAction* Action);
// Runs once the next menu of ours has opened (the test toolkit answers menus with it).
void SetMenuOpenHook(std::function<void()> Hook);
// Whether a popup menu's loop runs now; presses that closed a menu are delivered once the last
// has returned (ReleaseDeferredPresses, framework/qt/window_qt.cpp).
bool PopupMenuRunning();
void ReleaseDeferredPresses();

}  // namespace lumora_qt
