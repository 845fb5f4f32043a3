#include "imaging/histogram.h"

#include <algorithm>

#include "framework/math_utils.h"
#include "imaging/img_proc.h"
#include "imaging/img_proc_internal.h"

void TCutoffHistogram::Clear() {
    std::fill(std::begin(FBins), std::end(FBins), 0);
}

Int64 TCutoffHistogram::Total() const {
    Int64 t = 0;
    for (Int64 b : FBins) t += b;
    return t;
}

Integer TCutoffHistogram::LowCutoff(double Fraction) const {
    Int64 a = Trunc(double(Total()) * Fraction);
    for (Integer level = 0; level < 256; ++level) {
        a -= FBins[level];
        if (a < 0) return level;
    }
    return 255;
}

Integer TCutoffHistogram::HighCutoff(double Fraction) const {
    Int64 a = Trunc(double(Total()) * Fraction);
    for (Integer level = 255; level >= 0; --level) {
        a -= FBins[level];
        if (a < 0) return level;
    }
    return 0;
}

TRGBHistograms::TRGBHistograms() {
    for (auto*& h : FHist) h = new TCutoffHistogram();
}

TRGBHistograms::~TRGBHistograms() {
    for (auto* h : FHist) delete h;
}

void TRGBHistograms::AddColour(Integer Packed) {
    const Integer r = (Packed >> 16) & 255, g = (Packed >> 8) & 255, b = Packed & 255;
    FHist[0]->Increment(r);
    FHist[1]->Increment(g);
    FHist[2]->Increment(b);
    FHist[3]->Increment((r + g + b) / 3);
}

TRGBHistograms* GetRGBHistograms(TBitmap* Bitmap, const TRect& Rect) {
    if (!img_kernel::Is24(Bitmap)) throw EHistogramError("GetRGBHistograms:  Bitmap must be 24-bit.");
    auto* result = new TRGBHistograms();
    const Integer x1 = std::max(Rect.Left, 0), x2 = std::min(Rect.Right, Bitmap->GetWidth());
    const Integer y1 = std::max(Rect.Top, 0), y2 = std::min(Rect.Bottom, Bitmap->GetHeight());
    for (Integer y = y1; y < y2; ++y) {
        const TImgRGB* row = img_kernel::Row24(Bitmap, y);
        for (Integer x = x1; x < x2; ++x) result->AddColour(Integer(ImgPackRGB(row[x])));
    }
    return result;
}

void CalcHistogram(TBitmap* Bitmap, TImgHistogramTable& Table, Integer x1, Integer y1, Integer x2, Integer y2) {
    if (!img_kernel::Is24(Bitmap)) return;
    Table = TImgHistogramTable();
    img_kernel::ForRows24(Bitmap, x1, y1, x2, y2, {}, [&](const TImgRGB* p, Integer n) {
        for (Integer i = 0; i < n; ++i) {
            ++Table[p[i].r].Red;
            ++Table[p[i].g].Green;
            ++Table[p[i].b].Blue;
            ++Table[ImgRGBGrayLevel(p[i])].Gray;
        }
    });
}

void TImagoProc::GetHistogram(TImgHistogramTable& Table) {
    SyncImage();
    if (!img_kernel::Is24(FBitmap)) return;
    Integer x1, y1, x2, y2, count;
    const TPoint* points;
    GetSelection(x1, y1, x2, y2, points, count);
    CalcHistogram(FBitmap, Table, x1, y1, x2, y2);
}
