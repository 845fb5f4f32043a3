#pragma once
// More of the test toolkit (framework/testing/ui_test.h): top-level windows sized as the user
// sizes them, and the screen overlays (framework/screen_overlay.h) shown over them.

#include <vector>

#include "framework/testing/ui_test.h"

namespace uitest {

// The user sizes a shown top-level window to Width x Height (the whole window) through the
// window manager, which keeps to the window's size limits.
void SizeWindowAsUser(TWinControl* W, Integer Width, Integer Height);

// The screen overlays shown now: where each is and the parts of it that show, in screen
// coordinates. CaptureScreen draws them above the windows.
struct TShownOverlay {
    TRect Bounds;
    std::vector<TRect> Shape;
};
std::vector<TShownOverlay> ShownOverlays();

}  // namespace uitest
