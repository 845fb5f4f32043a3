#pragma once
// The backing image of framework-painted windows (Qt side).

#include <QImage>
#include <QRegion>

#include "framework/controls.h"

struct TPaintSurface {
    // The whole window (non-client area included), top row first.
    QImage Image;
    // Views of Image's client area: they share its pixels.
    QImage ClientView;
    QRect Client;
    QRegion Invalid;     // client coordinates
    QRegion PaintRegion;  // what is being painted now
    bool Erase = false;
    bool FrameInvalid = true;
    bool Painting = false;
    // Set while the widget shows the image (its paint event): drawing then needs no new paint.
    bool Showing = false;
    TWinControl* Owner = nullptr;
    TCanvas* ClientCanvas = nullptr;
    TCanvas* WindowCanvas = nullptr;
};

namespace lumora_qt {
// The image of a surface (tests and capture).
const QImage& SurfaceImage(TPaintSurface* Surface);
// What was drawn outside a paint must reach the screen: the owner's widget is asked to repaint.
void SurfaceDrawn(TPaintSurface* Surface);
}  // namespace lumora_qt
