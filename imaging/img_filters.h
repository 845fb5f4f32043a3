#pragma once
// Colour adjustments and filters as rectangle kernels: contrast and brightness, RGB offsets, HSL
// and HSV shifts with their colour-space conversions, the 3 x 3 user filter and its ".flt" files,
// threshold, levels, histogram equalisation, bump map, lens, wave and the morphological filters.
//
// Each kernel takes the bitmap, its own parameters, the rectangle x1..x2, y1..y2 (inclusive,
// clipped to the bitmap) and a progress target, works on 24-bit bitmaps only and does nothing on
// other formats. After each row the progress event gets Trunc((row - y1 + 1) * (100 / (y2 - y1 +
// 0.5))) unless a kernel says otherwise. A packed colour is red * 65536 + green * 256 + blue.

#include <string>

#include "framework/graphics.h"
#include "imaging/img_types.h"

// The average of each channel over the whole bitmap (truncated); 128, 128, 128 for a bitmap
// without pixels or of another format.
void AverageColor(TBitmap* Bitmap, Integer& Red, Integer& Green, Integer& Blue);

// Contrast: each channel c with average a becomes a + Trunc((c - a) * k), k = 1 - sqrt(-Contrast) /
// 10 below 0, else Contrast / 10 + 1. -100 gives the average everywhere, 0 changes nothing.
void AdjustContrast(TBitmap* Bitmap, Integer Contrast, Integer AvgRed, Integer AvgGreen, Integer AvgBlue, Integer x1,
                    Integer y1, Integer x2, Integer y2, const TImgProgressTarget& Progress = {});
// Adds an offset to each channel.
void AdjustRGB(TBitmap* Bitmap, Integer DRed, Integer DGreen, Integer DBlue, Integer x1, Integer y1, Integer x2,
               Integer y2, const TImgProgressTarget& Progress = {});

// HSL: hue, saturation and lightness in 0..1. HSLToRGB limits each to 0..1 (a hue above 1 is 1,
// it does not wrap).
void RGBToHSL(Integer Packed, double& H, double& S, double& L);
void HSLToRGB(double H, double S, double L, TImgRGB& Pixel);
double HueToRGB(double t, double q, double p);
// Hue offset in degrees, saturation and lightness offsets in percent.
void AdjustHSL(TBitmap* Bitmap, Integer DHue, Integer DSat, Integer DLum, Integer x1, Integer y1, Integer x2,
               Integer y2, const TImgProgressTarget& Progress = {});

// HSV in integers: hue 0..359, saturation and value 0..99.
void MaxMin3(Integer a, Integer b, Integer c, Integer& Max, Integer& Min);
void RGBToHSV(Integer Packed, Integer& H, Integer& S, Integer& V);
void HSVToRGB(Integer H, Integer S, Integer V, TImgRGB& Pixel);
void AdjustHSV(TBitmap* Bitmap, Integer DHue, Integer DSat, Integer DVal, Integer x1, Integer y1, Integer x2,
               Integer y2, const TImgProgressTarget& Progress = {});

// A 3 x 3 filter: coefficients row by row (the first row applies to the row above the pixel, the
// first column to the pixel on its left) and the divisor (0 counts as 1).
struct TImgUserFilter {
    Integer Coef[9] = {};
    Integer Divisor = 0;
    bool operator==(const TImgUserFilter&) const = default;
};
// Each channel becomes Clamp((sum of coefficient * neighbour) div divisor) in 64-bit arithmetic,
// from the image as it was; neighbours past the bitmap's edges repeat the edge.
void ApplyUserFilter(TBitmap* Bitmap, const TImgUserFilter& Filter, Integer x1, Integer y1, Integer x2, Integer y2,
                     const TImgProgressTarget& Progress = {});
// The ".flt" file: the bytes 1, 3, 3, the nine coefficients and the divisor, 32-bit signed
// little-endian. Loading leaves Filter unchanged when the header is another; a file that cannot be
// opened or ends early raises the stream's exception and changes nothing. Saving replaces the
// file as a whole (an old file stays as it was when writing fails, which raises).
void LoadUserFilter(const std::string& FileName, TImgUserFilter& Filter);
void SaveUserFilter(const std::string& FileName, const TImgUserFilter& Filter);

// Per channel: at or below Low's channel it becomes BelowColour's, then above High's channel
// AboveColour's. Nothing when Low is black and High white.
void ThresholdRect(TBitmap* Bitmap, Integer Low, Integer High, Integer BelowColour, Integer AboveColour, Integer x1,
                   Integer y1, Integer x2, Integer y2, const TImgProgressTarget& Progress = {});
// Stretches each channel from BlackPoint up, then scales it so that WhitePoint becomes 255.
void StretchLevels(TBitmap* Bitmap, Integer WhitePoint, Integer BlackPoint, Integer x1, Integer y1, Integer x2,
                   Integer y2, const TImgProgressTarget& Progress = {});
// Equalises the grey histogram of the whole bitmap over the rectangle's pixels.
void EqualizeHistogram(TBitmap* Bitmap, Integer x1, Integer y1, Integer x2, Integer y2,
                       const TImgProgressTarget& Progress = {});

// Lights the rectangle's relief (its grey level) from (LightX, LightY) with a light of the given
// size and Colour; Percent of each source pixel is kept. Nothing for a light of width or height 0.
void BumpMap(TBitmap* Bitmap, Integer LightX, Integer LightY, Integer LightWidth, Integer LightHeight, Integer Colour,
             Integer Percent, Integer x1, Integer y1, Integer x2, Integer y2, const TImgProgressTarget& Progress = {});
// An elliptic lens of the given size centred on (CentreX, CentreY) with the refraction index
// (at least 1). Reports once per column of the lens.
void LensEffect(TBitmap* Bitmap, Integer CentreX, Integer CentreY, Integer Width, Integer Height, double Refraction,
                const TImgProgressTarget& Progress = {});
// Circular waves from the centre over the whole bitmap (Phase in degrees); Reflective mirrors
// each wave. Nothing when Amplitude or WaveLength is 0. Reports Trunc(row * 100 / height).
void WaveEffect(TBitmap* Bitmap, Integer Amplitude, Integer WaveLength, Integer Phase, bool Reflective,
                const TImgProgressTarget& Progress = {});
// The pixel of a 24-bit bitmap at the real position (Px, Py), rows counted from the bottom row up,
// interpolated from its cell and the next column and row; neighbours outside the bitmap count as
// black.
TImgRGB BilinearSample(TBitmap* Bitmap, double Px, double Py);

// Morphological filters over a (2 * Radius + 1) square window limited to the rectangle.
enum TImgMorphKind { mkMaximum = 0, mkMinimum = 1, mkOpening = 2, mkClosing = 3 };
// Maximum takes the colour of the window's first pixel in scan order with the strictly greatest
// grey above 0, Minimum the first with the strictly smallest grey below 255; a pixel without one
// keeps its colour. Opening is Minimum then Maximum, Closing the reverse; other kinds and
// negative radii change nothing.
void MorphFilter(TBitmap* Bitmap, Integer Radius, Integer Kind, Integer x1, Integer y1, Integer x2, Integer y2,
                 const TImgProgressTarget& Progress = {});
