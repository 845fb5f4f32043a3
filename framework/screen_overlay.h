#pragma once
// A window over everything on the screen that shows what the program paints on it: outlines of
// bars being dragged, drop markers. It never takes the mouse, the keyboard or the activation, and
// only its shape shows; what lies under the rest of it stays visible.

#include <functional>
#include <vector>

#include "framework/types.h"

class TCanvas;

class TScreenOverlay {
public:
    TScreenOverlay();
    ~TScreenOverlay();
    TScreenOverlay(const TScreenOverlay&) = delete;
    TScreenOverlay& operator=(const TScreenOverlay&) = delete;

    // Shows the overlay over Bounds (screen coordinates) with only Shape showing (rectangles in
    // coordinates of Bounds' top left), painted by Paint on a canvas of Bounds' size. An empty
    // Bounds or Shape hides it.
    void Show(const TRect& Bounds, const std::vector<TRect>& Shape, const std::function<void(TCanvas*)>& Paint);
    void Hide();
    bool GetVisible() const;
    TRect GetBounds() const;
    const std::vector<TRect>& GetShape() const;

    // The backend's state.
    struct TImpl;
    TImpl* Impl() const { return FImpl; }

private:
    TImpl* FImpl;
};

// The overlays shown now, for checks and screen captures.
std::vector<const TScreenOverlay*> ShownScreenOverlays();
