#pragma once
// Geometric routines behind TImagoProc's Rotate and Flip: quarter turns, rotation by any angle
// with three shears (24-bit) or by sampling (1-bit), and mirroring. A positive angle turns the
// picture counter-clockwise as seen on screen.

#include "framework/graphics.h"
#include "imaging/img_types.h"

// Dest becomes Source turned a quarter turn (width and height exchanged), in Source's pixel
// format (24-bit or 1-bit). Counter-clockwise, the top row becomes the left column read from
// bottom to top; clockwise, the right column read from top to bottom.
void Rotate90CCW(TBitmap* Source, TBitmap* Dest);
void Rotate90CW(TBitmap* Source, TBitmap* Dest);

// The size a 24-bit w x h picture takes when RotateSheared turns it by Angle degrees
// (-45 <= Angle <= 45, not 0).
TSize ShearedRotationSize(Integer Width, Integer Height, Integer Angle);
// Rotates the 24-bit Source by Angle degrees (-45..45, not 0) into Dest (which may be Source)
// with three shears: a horizontal one, a vertical one and a horizontal one, each moving whole rows
// or columns by a rounded offset and, with AntiAlias, blending each pixel with its neighbour by
// the offset's fraction in 12-bit fixed point. Dest becomes 24-bit of ShearedRotationSize; pixels
// no source pixel reaches take Background. Progress counts the rows and columns of the passes.
void RotateSheared(TBitmap* Source, TBitmap* Dest, Integer Angle, bool AntiAlias, const TImgRGB& Background,
                   const TImgProgressTarget& Progress = {});

// Rotates a 1-bit bitmap in place by any angle: every pixel of the new bounding box samples the
// source at its rotated place (sine and cosine cut to four decimals); pixels that fall outside
// take FillBit. Reports after each row.
void Rotate1Bit(TBitmap* Bitmap, Integer FillBit, const TImgProgressTarget& Progress, Integer Angle);

// Dest becomes Source mirrored: Direction 0 left and right, 1 top and bottom (24-bit or 1-bit).
// Other directions or formats copy Source unchanged.
void FlipBitmap(TBitmap* Source, TBitmap* Dest, Integer Direction);
