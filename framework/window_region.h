#pragma once
// Window shapes: a window shows, and takes the mouse, only inside its region.

#include "framework/controls.h"
#include "framework/windows_gdi.h"

// Gives Wnd the shape Rgn (window coordinates); the window owns the region from then on.
// nullptr gives back the whole rectangle. False when Wnd has no window.
bool SetWindowRgn(HWND Wnd, HRGN Rgn, bool Redraw);
// Copies Wnd's shape into Rgn: the region's kind (SIMPLEREGION, COMPLEXREGION), or RGN_ERROR
// when the window has none.
int GetWindowRgn(HWND Wnd, HRGN Rgn);
