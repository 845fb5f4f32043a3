#pragma once
// The screen overlay's picture, for screen captures.

#include <QImage>

#include "framework/screen_overlay.h"

namespace lumora_qt {
const QImage& OverlayPicture(const TScreenOverlay* Overlay);
}
