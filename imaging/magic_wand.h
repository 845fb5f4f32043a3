#pragma once
// The magic wand's region search: the 4-connected region of pixels whose colour lies within a
// tolerance of the seed's, and the polygon that traces its outer border.

#include <vector>

#include "framework/graphics.h"
#include "imaging/img_types.h"

// The outline of the region around (X, Y) of a 24-bit bitmap, as polygon vertices in bitmap
// coordinates (the right and bottom edges of the region lie on the polygon, so with the usual
// interior rule it covers exactly the region's outer shape). A pixel joins when it touches a
// joined pixel horizontally or vertically and none of its channels differs from the seed's by more
// than Tolerance. With MaxFilter every joined pixel also takes in its eight neighbours within the
// region's bounding box. Empty for other formats and for a seed outside the bitmap.
//
// The border is traced on a grid four times finer than the pixels: from the boundary cell nearest
// the top-left corner, following the chain of boundary cells connected to it, so a region with
// holes is traced along its outside only.
std::vector<TPoint> MagicWandRegion(TBitmap* Bitmap, Integer X, Integer Y, Integer Tolerance, bool MaxFilter);
