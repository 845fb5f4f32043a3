#pragma once
// Histograms of 24-bit bitmaps: the cut-off histograms behind the automatic colour enhancement
// (red, green, blue and intensity, with the levels that cut off a fraction of the pixels), and
// the table of red, green, blue and grey counts that the histogram box draws.

#include "framework/exceptions.h"
#include "framework/graphics.h"
#include "framework/object.h"
#include "imaging/img_types.h"

LUMORA_DECLARE_EXCEPTION(EHistogramError, Exception)

// 256 counts, indexed by level.
class TCutoffHistogram : public TObject {
    LUMORA_CLASS(TCutoffHistogram, TObject)
public:
    TCutoffHistogram() = default;
    void Clear();
    void Increment(Integer Level) { ++FBins[Level & 255]; }
    Int64 Total() const;
    Int64 GetBin(Integer Level) const { return FBins[Level & 255]; }
    // The first level, counting up from 0, at which more than Trunc(Total * Fraction) pixels have
    // been passed; 255 when there is none.
    Integer LowCutoff(double Fraction) const;
    // The same counting down from 255; 0 when there is none.
    Integer HighCutoff(double Fraction) const;

private:
    Int64 FBins[256] = {};
};

// Red, green, blue and intensity ((R + G + B) div 3) histograms, owned.
class TRGBHistograms : public TObject {
    LUMORA_CLASS(TRGBHistograms, TObject)
public:
    TRGBHistograms();
    ~TRGBHistograms() override;
    // A packed colour red * 65536 + green * 256 + blue.
    void AddColour(Integer Packed);
    TCutoffHistogram* Red() const { return FHist[0]; }
    TCutoffHistogram* Green() const { return FHist[1]; }
    TCutoffHistogram* Blue() const { return FHist[2]; }
    TCutoffHistogram* Intensity() const { return FHist[3]; }

private:
    TCutoffHistogram* FHist[4] = {};
};

// A new object (the caller's) counting rows Rect.Top .. Rect.Bottom - 1 and columns Rect.Left ..
// Rect.Right - 1, clipped to the bitmap. Raises EHistogramError unless the bitmap is 24-bit.
TRGBHistograms* GetRGBHistograms(TBitmap* Bitmap, const TRect& Rect);

// Counts per level of red, green, blue and grey ((R*21 + G*71 + B*7) div 100).
struct TImgHistogramEntry {
    Cardinal Red = 0;
    Cardinal Green = 0;
    Cardinal Blue = 0;
    Cardinal Gray = 0;
};
struct TImgHistogramTable {
    TImgHistogramEntry Entries[256];
    TImgHistogramEntry& operator[](Integer Level) { return Entries[Level]; }
    const TImgHistogramEntry& operator[](Integer Level) const { return Entries[Level]; }
};
// Zeroes the table and counts the rectangle x1..x2, y1..y2 (inclusive, clipped to the bitmap) of
// a 24-bit bitmap; the table is left alone for other formats.
void CalcHistogram(TBitmap* Bitmap, TImgHistogramTable& Table, Integer x1, Integer y1, Integer x2, Integer y2);
