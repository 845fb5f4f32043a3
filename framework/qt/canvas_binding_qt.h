#pragma once
// How the window system points a canvas at an image it owns: BindCanvasToImage, SetCanvasClip
// and DrawImageOnCanvas come with the graphics backend; graphic controls also move the origin.

#include "framework/types.h"
#include "framework/qt/gdi_backend.h"

namespace lumora_qt {

// Puts the origin of a canvas bound with BindCanvasToImage at Origin of the image and limits it
// to Clip (image coordinates) beside its own clip region.
void SetCanvasOrigin(TCanvas* Canvas, TPoint Origin, const QRegion& Clip);

}  // namespace lumora_qt
