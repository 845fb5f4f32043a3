#pragma once
// The pictures of the main window's status bar (our own artwork, drawn with the canvas).

class TCustomImageList;

// Fills the 16 x 16 list of zoom and edit-status pictures: 0 shrink to fit, 1 stretch to fit,
// 2 both, 3 text wrapped at the window, 4 a changed image, 5 a changed file of another kind.
void AddZoomStatusImages(TCustomImageList* List);
