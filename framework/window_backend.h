#pragma once
// The seam between the window system (plain C++) and its Qt backend (framework/qt/). Only the
// framework's own sources include this header; components use controls.h and forms.h.

#include <functional>
#include <string>

#include "framework/controls.h"
#include "framework/windows_gdi.h"

class TCustomForm;

// Window operations, implemented in framework/qt/. They read the control's state (bounds,
// margins, scroll bars) and mirror it on the widget.
struct TWindowBackend {
    // Makes the window for Params and stores it in Control->FHandle.
    static void CreateWindow(TWinControl* Control, const TCreateParams& Params);
    static void DestroyWindow(TWinControl* Control);
    // Places the window from the control's bounds and non-client margins.
    static void SyncGeometry(TWinControl* Control);
    static void SyncScrollBars(TWinControl* Control);
    static void ShowWindow(TWinControl* Control, bool Show, bool Activate);
    static bool IsWindowVisible(TWinControl* Control);
    static void SetEnabled(TWinControl* Control, bool Enabled);
    static void SetText(TWinControl* Control, const std::string& Text);
    static void SetZOrder(TWinControl* Control, bool TopMost);
    static void SetTopMost(TWinControl* Control, bool TopMost);
    // The owner of a top-level window (the window it stays above), and a new one.
    static TWinControl* Owner(TWinControl* Control);
    static void SetOwner(TWinControl* Control, TWinControl* Owner);
    static void SetIcon(TWinControl* Control, HICON Icon);
    // Asks for a paint of part of the window (window coordinates; nullptr: all).
    static void InvalidateWindow(TWinControl* Control, const TRect* WindowRect);
    // Paints what is pending now.
    static void UpdateWindow(TWinControl* Control);
    static void FocusWindow(TWinControl* Control);
    static void CaptureMouse(TWinControl* Control);  // nullptr releases
    static void ShowCursor(TWinControl* Control, TCursor Cursor);
    static void ActivateWindow(TWinControl* Control);
    static void SetWindowState(TWinControl* Control, int State);  // TWindowState
    // The default window procedure's part that belongs to the widget (native widgets handle
    // the input event being routed). Returns true when the widget took the message.
    static bool DefaultWindowProc(TWinControl* Control, TMessage& Message);
    // Scrolls the window's pixels (client coordinates) and moves child windows when asked.
    static void ScrollWindow(TWinControl* Control, Integer DX, Integer DY, const TRect& Scroll, const TRect& Clip);
    // The screen rectangle of the window's widget, when it has one.
    static bool WidgetScreenRect(TWinControl* Control, TRect& R);

    // Access to the control's window state for the backend.
    static TWindowHandle* HandleOf(TWinControl* Control);
    static void SetHandle(TWinControl* Control, TWindowHandle* Handle);
    static TWindowScrollBar& ScrollState(TWinControl* Control, int Bar);
    static TRect SystemFrame(TWinControl* Control);
    static TRect StandardMargins(TWinControl* Control);
    static bool FrameworkPainted(TWinControl* Control);
    static TPaintSurface* Surface(TWinControl* Control);
    // The window manager moved or resized a top-level window: Rect is the widget's new screen
    // rectangle.
    static void WindowMovedByUser(TWinControl* Control, const TRect& Rect);
    static void WindowStateChangedByUser(TWinControl* Control, int State);
};

namespace lumora_backend {

// The backing image of a framework-painted window: the whole window (non-client area
// included), its invalid region and the canvases that draw on it.
// Drawing on its canvases outside a paint shows on the owner's window at the next repaint.
TPaintSurface* NewSurface(TWinControl* Owner);
void FreeSurface(TPaintSurface* Surface);
// Resizes the image to the window size; ClientRect is where the client area lies in it.
// Returns true when the size changed (everything is then invalid).
bool SurfaceSetGeometry(TPaintSurface* Surface, Integer Width, Integer Height, const TRect& ClientRect);
// Client coordinates; nullptr: the whole client area.
void SurfaceInvalidate(TPaintSurface* Surface, const TRect* R, bool Erase);
void SurfaceValidate(TPaintSurface* Surface, const TRect* R);
bool SurfaceHasInvalid(TPaintSurface* Surface);
void SurfaceInvalidateFrame(TPaintSurface* Surface);
bool SurfaceFrameInvalid(TPaintSurface* Surface);
// Starts painting the invalid region: the client canvas is clipped to it. Returns false when
// nothing is invalid. Erase tells whether the background must be erased; Clip is the
// bounding rectangle of the region.
bool SurfaceBeginPaint(TPaintSurface* Surface, bool& Erase, TRect& Clip);
void SurfaceEndPaint(TPaintSurface* Surface);
// The canvas is about to draw: outside a paint the window shows the image again afterwards.
void SurfaceTouched(TPaintSurface* Surface);
// The canvas on the client area (origin at the client's top left).
TCanvas* SurfaceCanvas(TPaintSurface* Surface);
// A canvas on the whole window (the non-client area): used for WM_NCPAINT.
TCanvas* SurfaceWindowCanvas(TPaintSurface* Surface);
// Moves the client pixels in Scroll by (DX, DY), clipped to Clip (client coordinates).
void SurfaceScroll(TPaintSurface* Surface, Integer DX, Integer DY, const TRect& Scroll, const TRect& Clip);
// Draws the surface's client area on Canvas at (X, Y).
void SurfaceDrawTo(TPaintSurface* Surface, TCanvas* Canvas, Integer X, Integer Y);

// A canvas that draws on a parent's surface at an offset, clipped to a rectangle (graphic
// controls).
TCanvas* NewControlCanvas();
void FreeControlCanvas(TCanvas* Canvas);
// Points Canvas at Surface with its origin at Origin (client coordinates of the surface owner)
// and clipped to Clip (same coordinates). A null surface leaves it drawing nowhere.
void BindControlCanvas(TCanvas* Canvas, TPaintSurface* Surface, TPoint Origin, const TRect& Clip);

// The message loop.
void EnsureBackend();
// Handles pending events; with Wait blocks until one arrives first. Returns true when an event
// was handled.
bool ProcessEvents(bool Wait);
// Wakes a waiting loop so that posted messages are delivered.
void WakeMessageLoop();
// Runs Callback on the main thread's loop as soon as possible.
void PostToLoop(std::function<void()> Callback);

// Timers: Callback runs every Interval milliseconds until StopTimer.
Integer StartTimer(Integer Interval, std::function<void()> Callback);
void StopTimer(Integer Id);

// Screen.
TRect PrimaryScreenRect();
TRect PrimaryWorkArea();
// Bits per pixel of the primary screen (24 when there is none).
Integer PrimaryScreenDepth();
Integer MonitorCount();
TRect MonitorRect(Integer Index);
TRect MonitorWorkArea(Integer Index);
Integer MonitorPrimaryIndex();
TPoint CursorPos();
void SetCursorPos(TPoint P);
void SetOverrideCursor(TCursor Cursor);  // crDefault restores
std::vector<std::string> FontFamilies();

// Hints.
void ShowHintText(const std::string& Text, TPoint ScreenPos, TColor Color);
void HideHintText();

void Beep();
std::string ExecutablePath();

}  // namespace lumora_backend

// Bookkeeping shared by the window system's sources.
namespace lumora_detail {

bool IsLiveControl(const TControl* Control);
// The window at the top of a control's parent chain (the control itself without a parent).
TWinControl* TopLevelOf(TWinControl* Control);
// The character of the key being handled is dropped.
void SetDiscardChar(bool Value);
bool GetDiscardChar();
// True while a key's WM_KEYDOWN is being handled.
bool InKeyDown();
void SetInKeyDown(bool Value);

// Activation of top-level windows.
TWinControl* ActiveTopLevel();
bool NeverActivates(TWinControl* Wnd);
void ActivateTopLevel(TWinControl* Wnd);
void ActivateNextAfter(TWinControl* Wnd);
void DeactivateApplication();
TCustomForm* ModalForm();
bool AcceptsInput(TWinControl* Wnd);

// Popups that report clicks outside themselves.
void ReportOutsideClick(TPoint ScreenPos, TWinControl* Target);
bool AnyPopupOpen();

void DropPostedMessagesFor(TControl* Control);
// A top-level window was shown, hidden or re-framed (minimised, restored): WM_WINDOWPOSCHANGED
// with a TWindowPos carrying Flags, sent as SendMessage sends.
void TopLevelPosChanged(TWinControl* Wnd, UINT Flags);
void KillWindowTimers(HWND Wnd);
// Runs the calls other threads queued for the main thread.
void RunSynchronizeHook();

// The top-level window at a screen point, and the windowed control under it.
TWinControl* WindowAtScreenPoint(TPoint Pos);
// Shows a cursor on the window under the mouse; returns the previous one.
TCursor SetCurrentCursor(TCursor Cursor);

}  // namespace lumora_detail
