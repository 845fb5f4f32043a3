#pragma once
// A headless toolkit for testing windows: forms shown offscreen, mouse and key input sent to a
// control through the same path real input takes (the window's widget receives the events Qt
// would deliver), idle turns, waiting for timers, and captures of what a control shows.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/forms.h"

namespace uitest {

// Starts the application (offscreen when no display is asked for).
void Start();
// Shows Form, activating it, and handles what is pending.
void ShowForm(TCustomForm* Form);

// Mouse input at (X, Y) in C's client coordinates. While a button is held the events go to the
// window that got the press, as with a real mouse.
void MouseDown(TControl* C, Integer X, Integer Y, TMouseButton Button = mbLeft, TShiftState Shift = {});
void MouseUp(TControl* C, Integer X, Integer Y, TMouseButton Button = mbLeft, TShiftState Shift = {});
void MouseMove(TControl* C, Integer X, Integer Y, TShiftState Shift = {});
// A press and a release; separate clicks never make a double click.
void Click(TControl* C, Integer X, Integer Y, TMouseButton Button = mbLeft, TShiftState Shift = {});
void DoubleClick(TControl* C, Integer X, Integer Y, TMouseButton Button = mbLeft, TShiftState Shift = {});
// A wheel turn (Delta in 1/120 notches, positive away from the user) over (X, Y).
void Wheel(TControl* C, Integer Delta, Integer X, Integer Y, TShiftState Shift = {});

// Keys, sent to C's window as to the focused window.
void KeyDown(TWinControl* C, Word Key, TShiftState Shift = {}, bool AutoRepeat = false);
void KeyUp(TWinControl* C, Word Key, TShiftState Shift = {});
void PressKey(TWinControl* C, Word Key, TShiftState Shift = {});
// Types Text (printable ASCII and line breaks) key by key.
void TypeText(TWinControl* C, const std::string& Text);
// The same, to the window that has the focus now.
void PressKeyOnFocus(Word Key, TShiftState Shift = {});

// Text dropped at (X, Y) of C's client area from outside the program, as a drag and drop of
// plain text would deliver it to the widget there.
void DropText(TControl* C, Integer X, Integer Y, const std::string& Text);
// An input method committing Text to C's window (the end of a composition).
void InputMethodCommit(TWinControl* C, const std::string& Text);

// Window scroll bars: an arrow or page click (SB_LINEUP ... SB_BOTTOM), or dragging the thumb
// through Positions and letting go.
void ScrollBarAction(TWinControl* C, Integer Bar, Word Code);
void ScrollBarDrag(TWinControl* C, Integer Bar, const std::vector<Integer>& Positions);
// Whether the window's scroll bar widget is shown.
bool ScrollBarVisible(TWinControl* C, Integer Bar);

// The program loses the activation, as by a click in another program's window.
void DeactivateProgram();

// The cursor shown with the mouse at (X, Y) of C's client area, as the last input there left it:
// the application's override cursor while there is one (the screen's Cursor, a drag), else the
// cursor last set on the window that has the mouse captured or, without a capture, the window
// under the point (crDefault when none was set).
TCursor ShownCursor(TControl* C, Integer X, Integer Y);

// The event loop.
void ProcessEvents();
// N idle turns: what is pending, then OnIdle (without waiting for more).
void IdleTurns(int N = 1);
// Runs the loop for that many milliseconds (timers fire).
void Wait(int Milliseconds);
// Runs Action once the loop has run for that many milliseconds more, as input arriving then
// would: a loop of the program's own (GetMessage) waiting meanwhile gets the input Action sends.
void RunLater(int Milliseconds, std::function<void()> Action);
// Runs the loop until Condition holds or the time is up; answers Condition.
bool WaitUntil(const std::function<bool()>& Condition, int TimeoutMilliseconds = 3000);

// Menus. A popup menu blocks while it is open (TPopupMenu::Popup returns when it closes):
// WhenMenuOpens runs Action once the next menu has opened, to answer it; a menu it leaves open is
// closed (nullptr takes a pending Action back). Headless, a popup menu that nothing answers closes at once. The item chosen is clicked
// on the next turn of the loop (ProcessEvents).
struct TShownMenuItem {
    std::string Caption;   // as shown, "&" marks kept
    std::string ShortCut;  // the shortcut text shown beside it
    bool Enabled = true;
    bool Checked = false;
    bool Radio = false;    // a checked radio item
    bool Default = false;  // shown in bold
    bool Separator = false;
    bool SubMenu = false;
};
void WhenMenuOpens(std::function<void()> Action);
bool MenuOpen();
// The items of the innermost open menu.
std::vector<TShownMenuItem> OpenMenuItems();
// Chooses the item of the innermost open menu whose caption (without "&" and blanks around it)
// is Caption: a
// command closes the menus, an item with sub-items opens its submenu.
void ChooseMenuItem(const std::string& Caption);
// Sends a key to the innermost open menu (arrows, Enter, Esc, accelerator letters).
void MenuKey(Word Key, TShiftState Shift = {});
void CloseMenus();
// The top items of the form's menu bar (none when it shows no bar), and a click on one: its
// drop-down opens, or a command is chosen.
std::vector<TShownMenuItem> MenuBarItems(TCustomForm* Form);
void ClickMenuBar(TCustomForm* Form, const std::string& Caption);

// Real modal dialogs (shown when no dialog script is installed): Action runs once the next one
// is open. AcceptFileDialog types Name into the open file dialog's name box and accepts it as its
// Open or Save button does; CancelDialog closes the open dialog as Cancel does.
void WhenDialogOpens(std::function<void()> Action);
void AcceptFileDialog(const std::string& Name);
void CancelDialog();

// What a control shows: its window's pixels (a form: the client area with its children); a
// graphic control: its part of the parent's.
struct TCapture {
    Integer Width = 0;
    Integer Height = 0;
    std::vector<uint32_t> Pixels;  // 0xAARRGGBB, rows top first
    // The pixel as a colour (0x00BBGGRR); clNone outside.
    TColor Pixel(Integer X, Integer Y) const;
    bool SavePng(const std::string& FileName) const;
};
TCapture Capture(TControl* C);
bool SavePng(TControl* C, const std::string& FileName);
// The screen as someone looking at it would see it: the desktop in its colour and every visible
// top-level window at its place in the z-order (each just above the window that owns it,
// stay-on-top windows above the others), windows the window manager frames with a plain frame
// and caption.
TCapture CaptureScreen();
// The window system's id of a window (an X11 window id under xcb); the window is made if needed.
uint64_t NativeWindowId(TWinControl* W);
// What the innermost open menu shows, and the modal dialog open now.
TCapture CaptureOpenMenu();
TCapture CaptureOpenDialog();

// The clipboard as other programs see it: its ordinary image (empty when none), and putting an
// image there the way another program would.
TCapture ClipboardImage();
void SetClipboardImageFromOtherProgram(const TCapture& Image);

}  // namespace uitest
