#pragma once
// The one drag image on the screen (a borderless window that follows the drag), for the image
// lists. No Qt types here, so the image-list code and the tests can use it.

#include <cstdint>
#include <vector>

#include "framework/types.h"

namespace lumora_gdi {

// The picture: w x h pixels 0xAARRGGBB, rows top first.
void DragImageSet(int w, int h, const std::vector<uint32_t>& argb);
// Puts the picture's top-left corner at a screen point.
void DragImageMoveTo(TPoint screen);
void DragImageShow(bool visible);
// Hides the picture and forgets it.
void DragImageEnd();
bool DragImageVisible();
TPoint DragImagePosition();

}  // namespace lumora_gdi
