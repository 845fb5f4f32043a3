#pragma once
// The resampling engine: the filter kernels chosen by TResampleFilter, a two-pass filtered
// resampler for enlarging and reducing, a variant that filters only the enlarged directions (the
// views' zoomed display), and the plain stretch that replicates or drops pixels.
//
// The filtered resamplers work on 24-bit rows; the plain stretch also takes 1-bit bitmaps.

#include <cstdint>
#include <vector>

#include "framework/graphics.h"
#include "imaging/img_types.h"

// The kernels, functions of a real distance; each is 0 at and beyond its support.
double Sinc(double x);
double TriangleFilter(double x);
double HermiteFilter(double x);
double BellFilter(double x);
double BSplineFilter(double x);
double Lanczos3Filter(double x);
double MitchellFilter(double x);

// A kernel with its support radius.
struct TImgFilterKernel {
    double (*Kernel)(double) = nullptr;
    double Support = 0;
};
// Indexed by the filter; rfNone has no kernel.
extern const TImgFilterKernel ImgFilterKernels[rfMitchell + 1];

// For each destination pixel of one axis, the source pixels it is made of and their weights:
// entries First[i] .. First[i + 1] - 1 of Pixel and Weight belong to destination pixel i.
//
// With scale = DestSize / SourceSize and the centre c = i / scale, enlarging (scale >= 1) takes
// the source pixels j from Floor(c - s) to Ceil(c + s) with weight K(c - j); reducing widens the
// support to s / scale and takes K((c - j) * scale) * scale. Zero weights are left out, weights
// are not normalised. A j outside the source is mirrored at the edge (-j, or 2 * size - 1 - j)
// and then held inside the source, so the tiniest sources and the strongest reductions never
// reach outside it.
struct TImgContributors {
    std::vector<Integer> First;  // DestSize + 1 entries
    std::vector<Integer> Pixel;
    std::vector<double> Weight;

    Integer Count(Integer i) const { return First[size_t(i) + 1] - First[size_t(i)]; }
};
// Empty lists (First all 0) when either size is below 1 or the filter is rfNone.
TImgContributors ImgBuildContributors(Integer DestSize, Integer SourceSize, TResampleFilter Filter);

// Resamples Source into Dest at Dest's current size, filtered in both directions, enlarging or
// reducing: a horizontal pass into a work bitmap of Dest's width and Source's height, then a
// vertical pass into Dest. Each channel sum is clamped to 0..255 and rounded to nearest (halves
// to even). Source becomes 24-bit, and Dest with it. Progress is reported after each source row
// of the first pass and each destination column of the second, out of (Dest width + Source
// height). rfNone stretches plainly.
void ResampleFiltered(TBitmap* Source, TBitmap* Dest, TResampleFilter Filter,
                      const TImgProgressTarget& Progress = {});
// As ResampleFiltered, except that a direction in which the image shrinks is stretched plainly;
// only the filtered passes report progress.
void ResampleEnlarge(TBitmap* Source, TBitmap* Dest, TResampleFilter Filter,
                     const TImgProgressTarget& Progress = {});
// Dest takes Source's pixel format (24-bit or 1-bit) and receives Source stretched to Dest's
// current size: destination pixel x shows source pixel (2x + 1) * SourceWidth div
// (2 * DestWidth), the one under its centre, and likewise for rows. Works on the pixel rows
// alone (no drawing handle), so worker threads may use it; Dest stays blank for other formats.
void StretchPlain(TBitmap* Source, TBitmap* Dest);
// Dest becomes 24-bit, Source (24-bit) reduced by a whole Factor in both directions: each pixel
// is the average of the Factor x Factor block it stands for, the blocks at the right and bottom
// edges taking what is left there. A cheap first step before filtering a picture down to a
// small fraction of its size. Other formats and factors below 2 leave Dest a copy of Source.
void ShrinkByBlocks(TBitmap* Source, TBitmap* Dest, Integer Factor);

// ShrinkByBlocks for rows as they arrive (from a decoder), so the full-size picture never
// exists: Dest is made 24-bit, Width x Height reduced by Factor (at least 1), and each row of
// blocks is written once its last source row is added. Uses pixel rows only (worker threads may
// use it).
class TBlockShrinker {
public:
    TBlockShrinker(TBitmap* Dest, Integer Width, Integer Height, Integer Factor);
    // Adds the next source row of Width pixels; rows beyond Height are ignored.
    void AddRow(const TImgRGB* Row);
    // The number of source rows added so far.
    Integer GetRowsAdded() const { return FRow; }

private:
    void Flush();

    TBitmap* FDest;
    Integer FWidth, FHeight, FFactor, FDestWidth;
    Integer FRow = 0;
    std::vector<uint64_t> FSums;
};
