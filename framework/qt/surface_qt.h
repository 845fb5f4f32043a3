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
    bool Erase = false;
    bool FrameInvalid = true;
    bool Painting = false;
    TCanvas* ClientCanvas = nullptr;
    TCanvas* WindowCanvas = nullptr;
};

namespace lumora_qt {
// The image of a surface (tests and capture).
const QImage& SurfaceImage(TPaintSurface* Surface);
}  // namespace lumora_qt
