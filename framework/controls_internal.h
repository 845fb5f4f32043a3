#pragma once
// State and helpers shared by the sources of framework/controls.h (controls.cpp, win_control.cpp,
// win_control_input.cpp, window_functions.cpp); framework-internal.

#include <unordered_set>

#include "framework/controls.h"

namespace lumora_controls {

// Every control alive: window handles are checked against it.
std::unordered_set<const TControl*>& LiveControls();

extern HWND gFocus;
extern HWND gCapture;
extern TControl* gCaptureControl;

bool IsLive(const TControl* c);
bool IsDescendantOrSelf(const TControl* c, const TWinControl* ancestor);

// A top-level window style with a frame drawn around it.
inline bool Decorated(DWORD style) { return (style & (WS_CAPTION | WS_THICKFRAME | WS_DLGFRAME)) != 0; }

}  // namespace lumora_controls
