#pragma once
// How the window system points a canvas at an image it owns.

#include <QImage>
#include <QRegion>

class TCanvas;

namespace lumora_qt {

// Makes Canvas draw on Image (nullptr: on nothing). The image must outlive the binding.
void BindCanvasToImage(TCanvas* Canvas, QImage* Image);
// Limits Canvas to Region (image coordinates; nullptr: no limit).
void SetCanvasClip(TCanvas* Canvas, const QRegion* Region);
// Draws Image on Canvas with its top left at (X, Y).
void DrawImageOnCanvas(TCanvas* Canvas, int X, int Y, const QImage& Image);

}  // namespace lumora_qt
