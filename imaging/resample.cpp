#include "imaging/resample.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "framework/exceptions.h"
#include "imaging/bitmap_routines.h"
#include "imaging/bitmap_rows.h"

double Sinc(double x) {
    if (x == 0) return 1;
    const double px = M_PI * x;
    return std::sin(px) / px;
}

double TriangleFilter(double x) {
    const double a = std::fabs(x);
    return a < 1 ? 1 - a : 0;
}

double HermiteFilter(double x) {
    const double a = std::fabs(x);
    return a < 1 ? (2 * a - 3) * a * a + 1 : 0;
}

double BellFilter(double x) {
    const double a = std::fabs(x);
    if (a < 0.5) return 0.75 - a * a;
    if (a < 1.5) return 0.5 * (a - 1.5) * (a - 1.5);
    return 0;
}

double BSplineFilter(double x) {
    const double a = std::fabs(x);
    if (a < 1) return 0.5 * a * a * a - a * a + 2.0 / 3.0;
    if (a < 2) return (2 - a) * (2 - a) * (2 - a) / 6;
    return 0;
}

double Lanczos3Filter(double x) {
    return std::fabs(x) < 3 ? Sinc(x) * Sinc(x / 3) : 0;
}

double MitchellFilter(double x) {
    const double a = std::fabs(x);
    if (a < 1) return (7 * a * a * a - 12 * a * a + 16.0 / 3.0) / 6;
    if (a < 2) return (-7.0 / 3.0 * a * a * a + 12 * a * a - 20 * a + 32.0 / 3.0) / 6;
    return 0;
}

const TImgFilterKernel ImgFilterKernels[rfMitchell + 1] = {
    {nullptr, 0},          {TriangleFilter, 1.0}, {HermiteFilter, 1.0}, {BellFilter, 1.5},
    {BSplineFilter, 2.0},  {Lanczos3Filter, 3.0}, {MitchellFilter, 2.0},
};

TImgContributors ImgBuildContributors(Integer DestSize, Integer SourceSize, TResampleFilter Filter) {
    TImgContributors c;
    c.First.assign(size_t(std::max(DestSize, 0)) + 1, 0);
    const TImgFilterKernel& k = ImgFilterKernels[Filter];
    if (DestSize < 1 || SourceSize < 1 || !k.Kernel) return c;
    const double scale = double(DestSize) / SourceSize;
    const bool enlarging = scale >= 1;
    const double width = enlarging ? k.Support : k.Support / scale;
    const double f = 1 / scale;
    c.Pixel.reserve(size_t(DestSize) * size_t(2 * width + 2));
    c.Weight.reserve(c.Pixel.capacity());
    for (Integer i = 0; i < DestSize; ++i) {
        const double centre = i / scale;
        const Integer lo = Integer(std::floor(centre - width));
        const Integer hi = Integer(std::ceil(centre + width));
        for (Integer j = lo; j <= hi; ++j) {
            const double w = enlarging ? k.Kernel(centre - j) : k.Kernel((centre - j) / f) / f;
            if (w == 0) continue;
            Integer n = j;
            if (n < 0)
                n = -n;
            else if (n >= SourceSize)
                n = 2 * SourceSize - 1 - n;
            c.Pixel.push_back(std::clamp(n, 0, SourceSize - 1));
            c.Weight.push_back(w);
        }
        c.First[size_t(i) + 1] = Integer(c.Pixel.size());
    }
    return c;
}

namespace {

// Rows Source -> Work: each work row is the source row resampled to the work width.
void HorizontalPass(TBitmap* Source, TBitmap* Work, const TImgContributors& cols,
                    const TImgProgressTarget& Progress, Integer Total) {
    const Integer rows = Source->GetHeight(), dw = Work->GetWidth();
    for (Integer y = 0; y < rows; ++y) {
        const auto* s = static_cast<const TImgRGB*>(Source->ScanLine(y));
        auto* d = static_cast<TImgRGB*>(Work->ScanLine(y));
        for (Integer i = 0; i < dw; ++i) {
            double b = 0, g = 0, r = 0;
            for (Integer e = cols.First[size_t(i)], end = cols.First[size_t(i) + 1]; e < end; ++e) {
                const TImgRGB& p = s[cols.Pixel[size_t(e)]];
                const double w = cols.Weight[size_t(e)];
                b += w * p.b;
                g += w * p.g;
                r += w * p.r;
            }
            d[i] = TImgRGB{ImgRoundClampByte(b), ImgRoundClampByte(g), ImgRoundClampByte(r)};
        }
        Progress.ReportRows(y + 1, Total);
    }
}

// Columns Work -> Dest. The columns are done in strips a few hundred wide, each strip row by row,
// so the rows are read in order; every channel still sums its contributors in list order, as a
// column at a time would. Progress is reported for each column of a strip when it is done.
void VerticalPass(TBitmap* Work, TBitmap* Dest, const TImgContributors& rows,
                  const TImgProgressTarget& Progress, Integer Done, Integer Total) {
    constexpr Integer kStrip = 256;
    const Integer dw = Dest->GetWidth(), dh = Dest->GetHeight();
    const Integer sh = Work->GetHeight();
    std::vector<const Byte*> src(static_cast<size_t>(sh));
    for (Integer y = 0; y < sh; ++y) src[size_t(y)] = static_cast<const Byte*>(Work->ScanLine(y));
    double acc[kStrip * 3];
    for (Integer x0 = 0; x0 < dw; x0 += kStrip) {
        const Integer n = std::min(kStrip, dw - x0) * 3;
        const size_t offset = size_t(x0) * 3;
        for (Integer y = 0; y < dh; ++y) {
            std::fill(acc, acc + n, 0.0);
            for (Integer e = rows.First[size_t(y)], end = rows.First[size_t(y) + 1]; e < end; ++e) {
                const Byte* s = src[size_t(rows.Pixel[size_t(e)])] + offset;
                const double w = rows.Weight[size_t(e)];
                for (Integer t = 0; t < n; ++t) acc[t] += w * s[t];
            }
            Byte* d = static_cast<Byte*>(Dest->ScanLine(y)) + offset;
            for (Integer t = 0; t < n; ++t) d[t] = ImgRoundClampByte(acc[t]);
        }
        if (Progress.OnProgress)
            for (Integer x = x0; x < x0 + n / 3; ++x) Progress.ReportRows(Done + x + 1, Total);
    }
}

void Resample(TBitmap* Source, TBitmap* Dest, TResampleFilter Filter, const TImgProgressTarget& Progress,
              bool EnlargeOnly) {
    if (!Source || !Dest) return;
    if (Filter == rfNone) {
        StretchPlain(Source, Dest);
        return;
    }
    const Integer dw = Dest->GetWidth(), dh = Dest->GetHeight();
    const Integer sw = Source->GetWidth(), sh = Source->GetHeight();
    try {
        Source->SetPixelFormat(pf24bit);
        ImgPrepareBitmap(Dest, pf24bit, dw, dh);
        if (dw < 1 || dh < 1 || sw < 1 || sh < 1) return;
        std::unique_ptr<TBitmap> work(new TBitmap());
        ImgPrepareBitmap(work.get(), pf24bit, dw, sh);
        const Integer total = dw + sh;
        if (EnlargeOnly && dw < sw)
            StretchPlain(Source, work.get());
        else
            HorizontalPass(Source, work.get(), ImgBuildContributors(dw, sw, Filter), Progress, total);
        if (EnlargeOnly && dh < sh)
            StretchPlain(work.get(), Dest);
        else
            VerticalPass(work.get(), Dest, ImgBuildContributors(dh, sh, Filter), Progress, sh, total);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory("Out of memory");
    }
}

}  // namespace

void ResampleFiltered(TBitmap* Source, TBitmap* Dest, TResampleFilter Filter,
                      const TImgProgressTarget& Progress) {
    Resample(Source, Dest, Filter, Progress, false);
}

void ResampleEnlarge(TBitmap* Source, TBitmap* Dest, TResampleFilter Filter,
                     const TImgProgressTarget& Progress) {
    Resample(Source, Dest, Filter, Progress, true);
}

void StretchPlain(TBitmap* Source, TBitmap* Dest) {
    if (!Source || !Dest) return;
    const TPixelFormat f = Source->GetPixelFormat() == pf1bit ? pf1bit : pf24bit;
    const Integer dw = Dest->GetWidth(), dh = Dest->GetHeight();
    const Integer sw = Source->GetWidth(), sh = Source->GetHeight();
    ImgPrepareBitmap(Dest, f, dw, dh);
    if (dw < 1 || dh < 1 || sw < 1 || sh < 1 || Source->GetPixelFormat() != f) return;
    // The source column under the centre of each destination column.
    std::vector<Integer> columns(static_cast<size_t>(dw));
    for (Integer x = 0; x < dw; ++x) columns[size_t(x)] = Integer((2 * Int64(x) + 1) * sw / (2 * Int64(dw)));
    for (Integer y = 0; y < dh; ++y) {
        const void* from = Source->ScanLine(Integer((2 * Int64(y) + 1) * sh / (2 * Int64(dh))));
        void* to = Dest->ScanLine(y);
        if (f == pf1bit) {
            for (Integer x = 0; x < dw; ++x) SetRowBit(to, x, GetRowBit(from, columns[size_t(x)]));
        } else {
            const auto* src = static_cast<const TImgRGB*>(from);
            auto* dst = static_cast<TImgRGB*>(to);
            for (Integer x = 0; x < dw; ++x) dst[x] = src[columns[size_t(x)]];
        }
    }
}

void ShrinkByBlocks(TBitmap* Source, TBitmap* Dest, Integer Factor) {
    if (!Source || !Dest || Source == Dest) return;
    if (Factor < 2 || Source->GetPixelFormat() != pf24bit) {
        CopyBitmap(Source, Dest);
        return;
    }
    const Integer sw = Source->GetWidth(), sh = Source->GetHeight();
    TBlockShrinker shrinker(Dest, sw, sh, Factor);
    for (Integer r = 0; r < sh; ++r) shrinker.AddRow(static_cast<const TImgRGB*>(Source->ScanLine(r)));
}

TBlockShrinker::TBlockShrinker(TBitmap* Dest, Integer Width, Integer Height, Integer Factor)
    : FDest(Dest), FWidth(std::max<Integer>(Width, 0)), FHeight(std::max<Integer>(Height, 0)),
      FFactor(std::max<Integer>(Factor, 1)) {
    FDestWidth = (FWidth + FFactor - 1) / FFactor;
    ImgPrepareBitmap(FDest, pf24bit, FDestWidth, (FHeight + FFactor - 1) / FFactor);
    FSums.assign(size_t(FDestWidth) * 3, 0);
}

void TBlockShrinker::AddRow(const TImgRGB* Row) {
    if (FRow >= FHeight) return;
    for (Integer x = 0, block = 0; x < FWidth; ++block) {
        uint64_t* sum = &FSums[size_t(block) * 3];
        for (const Integer end = std::min(FWidth, x + FFactor); x < end; ++x) {
            sum[0] += Row[x].b;
            sum[1] += Row[x].g;
            sum[2] += Row[x].r;
        }
    }
    ++FRow;
    if (FRow % FFactor == 0 || FRow == FHeight) Flush();
}

void TBlockShrinker::Flush() {
    if (FDestWidth == 0) return;
    const Integer y = (FRow - 1) / FFactor;
    const Integer rows = FRow - y * FFactor;
    auto* dst = static_cast<TImgRGB*>(FDest->ScanLine(y));
    for (Integer x = 0; x < FDestWidth; ++x) {
        const uint64_t count = uint64_t(rows) * uint64_t(std::min(FFactor, FWidth - x * FFactor));
        uint64_t* sum = &FSums[size_t(x) * 3];
        dst[x].b = Byte((sum[0] + count / 2) / count);
        dst[x].g = Byte((sum[1] + count / 2) / count);
        dst[x].r = Byte((sum[2] + count / 2) / count);
        sum[0] = sum[1] = sum[2] = 0;
    }
}
