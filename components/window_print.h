#pragma once
// Printing the docks and bars, whose frames they draw themselves (WM_PRINT): the frame through
// the same drawing as on screen, the client area through erasing and WM_PRINTCLIENT, then the
// child windows and, when asked, the forms the window owns, each at its own place.

#include <functional>

#include "framework/controls.h"

using TFramePainter = std::function<void(TCanvas* Canvas)>;

// WM_PRINT for W: WParam the canvas (window coordinates), LParam the PRF_ flags. Result 1 once
// drawn; nothing is drawn for a hidden window with PRF_CHECKVISIBLE.
void PrintFramedWindow(TWinControl* W, TMessage& Message, const TFramePainter& DrawFrame);
// WM_PRINTCLIENT for W: its client area as its paint handler draws it.
void PrintClientArea(TCustomControl* W, TMessage& Message);
