#include "imaging/fourier.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

#include "framework/math_utils.h"
#include "imaging/bitmap_routines.h"
#include "imaging/img_proc.h"
#include "imaging/img_proc_internal.h"

namespace {

// Columns transformed together: a strip of them is copied out so that the column passes run
// over contiguous memory, all columns of the strip at once.
constexpr Integer kStrip = 16;

// A channel's value from a pixel: red, green, blue, or the grey level.
Integer ChannelOf(const TImgRGB& p, Integer Plane) {
    switch (Plane) {
        case 0: return p.r;
        case 1: return p.g;
        case 2: return p.b;
        default: return ImgRGBGrayLevel(p);
    }
}

}  // namespace

// ---- Tables and the one-dimensional transforms -----------------------------------------------

void TImgFtImage::BuildTables(Integer N) {
    if (N == FN && !FReverse.empty()) return;
    FN = N;
    FL = Integer(Trunc(std::log(double(N)) / std::log(2.0) + 0.5));
    FNorm = float(1 / std::sqrt(double(N)));
    FReverse.assign(size_t(N), 0);
    for (Integer i = 0; i < N; ++i) {
        Integer r = 0;
        for (Integer k = 0; k < FL; ++k)
            if (i & (1 << k)) r |= 1 << (FL - 1 - k);
        FReverse[size_t(i)] = r;
    }
    // Block j of every depth (the block at position p = 2jb of blocks 2b long) turns by the
    // angle 2 pi rev(2j) / N.
    const Integer blocks = std::max(N / 2, 1);
    FTwCos.assign(size_t(blocks), 1);
    FTwSin.assign(size_t(blocks), 0);
    for (Integer j = 0; j < blocks && 2 * j < N; ++j) {
        const double angle = 2 * std::numbers::pi * FReverse[size_t(2 * j)] / N;
        FTwCos[size_t(j)] = float(std::cos(angle));
        FTwSin[size_t(j)] = float(std::sin(angle));
    }
}

// X[k] = (1 / sqrt(N)) * sum over n of x[n] * exp(Sign * 2 pi i n k / N): butterflies in place,
// then the bit-reversal permutation, then the normalisation. Element i is the run of Lanes values
// at i * Lanes, one per column transformed together (a single row has one lane): a block's
// halves are then contiguous runs, and each butterfly pass works along them.
void TImgFtImage::Transform(float* Re, float* Im, Integer Lanes, Integer Sign) const {
    const Integer N = FN;
    const size_t S = size_t(Lanes);
    for (Integer b = N / 2; b >= 1; b /= 2) {
        const size_t span = size_t(b) * S;
        for (Integer p = 0, j = 0; p < N; p += 2 * b, ++j) {
            const float wr = FTwCos[size_t(j)], wi = float(Sign) * FTwSin[size_t(j)];
            float *ar = Re + size_t(p) * S, *ai = Im + size_t(p) * S, *br = ar + span, *bi = ai + span;
            for (size_t k = 0; k < span; ++k) {
                const float tr = wr * br[k] - wi * bi[k], ti = wr * bi[k] + wi * br[k];
                br[k] = ar[k] - tr;
                bi[k] = ai[k] - ti;
                ar[k] += tr;
                ai[k] += ti;
            }
        }
    }
    for (Integer i = 0; i < N; ++i) {
        const Integer r = FReverse[size_t(i)];
        if (i > r) {
            std::swap_ranges(Re + size_t(i) * S, Re + size_t(i + 1) * S, Re + size_t(r) * S);
            std::swap_ranges(Im + size_t(i) * S, Im + size_t(i + 1) * S, Im + size_t(r) * S);
        }
    }
    for (size_t i = 0; i < size_t(N) * S; ++i) {
        Re[i] *= FNorm;
        Im[i] *= FNorm;
    }
}

void TImgFtImage::Transform2D(std::vector<float>& Plane, Integer Sign, bool Report, Integer Pass, Integer Passes) {
    const Integer N = FN;
    const size_t row = size_t(2) * N;
    for (Integer y = 0; y < N; ++y) Transform(&Plane[y * row], &Plane[y * row + N], 1, Sign);
    const Integer lanes = std::min(kStrip, N);
    std::vector<float>& re = FStripRe;
    std::vector<float>& im = FStripIm;
    re.resize(size_t(N) * lanes);
    im.resize(size_t(N) * lanes);
    for (Integer c0 = 0; c0 < N; c0 += lanes) {
        for (Integer y = 0; y < N; ++y) {
            std::copy_n(&Plane[y * row + c0], lanes, &re[size_t(y) * lanes]);
            std::copy_n(&Plane[y * row + N + c0], lanes, &im[size_t(y) * lanes]);
        }
        Transform(re.data(), im.data(), lanes, Sign);
        for (Integer y = 0; y < N; ++y) {
            std::copy_n(&re[size_t(y) * lanes], lanes, &Plane[y * row + c0]);
            std::copy_n(&im[size_t(y) * lanes], lanes, &Plane[y * row + N + c0]);
        }
        if (Report && OnProgress)
            for (Integer c = c0; c < c0 + lanes; ++c)
                OnProgress(this, Integer(Trunc((Int64(Pass) * N + c) * 100.0 / (Int64(Passes) * N))));
    }
}

// ---- Building, showing, clearing -------------------------------------------------------------

std::vector<Integer> TImgFtImage::ModePlanes() const {
    if (FMode == ftColour) return {0, 1, 2};
    if (FMode == ftGray) return {3};
    return {};
}

bool TImgFtImage::IsEmpty() const {
    const std::vector<Integer> planes = ModePlanes();
    if (planes.empty() || FN < 1) return true;
    for (Integer p : planes)
        if (FPlanes[p].size() != size_t(FN) * FN * 2) return true;
    return false;
}

void TImgFtImage::ClearPlanes() {
    for (auto& p : FPlanes) std::vector<float>().swap(p);
    ReleaseScratch();
}

void TImgFtImage::ReleaseScratch() {
    std::vector<float>().swap(FWork);
    std::vector<double>().swap(FLevels);
    std::vector<float>().swap(FStripRe);
    std::vector<float>().swap(FStripIm);
}

void TImgFtImage::BuildFT(TBitmap* Bitmap, Integer Mode) {
    ClearPlanes();
    FMode = Mode;
    if (!img_kernel::Is24(Bitmap) || (Mode != ftColour && Mode != ftGray)) return;
    const Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    if (w < 1 || h < 1) return;
    Integer N = 1;
    while (N < std::max(w, h)) N *= 2;
    FSourceWidth = w;
    FSourceHeight = h;
    FXOffset = (N - w) / 2;
    FYOffset = (N - h) / 2;
    try {
        BuildTables(N);
        const std::vector<Integer> planes = ModePlanes();
        const size_t row = size_t(2) * N;
        for (size_t pass = 0; pass < planes.size(); ++pass) {
            std::vector<float>& plane = FPlanes[planes[pass]];
            plane.assign(row * N, 0.0f);
            // The picture sits on black at the offsets; each value is divided by the plane's
            // largest, and elements with (row + column) odd are negated to centre the spectrum.
            Integer largest = 1;
            for (Integer y = 0; y < h; ++y) {
                const TImgRGB* src = img_kernel::Row24(Bitmap, y);
                for (Integer x = 0; x < w; ++x) largest = std::max(largest, ChannelOf(src[x], planes[pass]));
            }
            const float scale = float(largest);
            for (Integer y = 0; y < h; ++y) {
                const TImgRGB* src = img_kernel::Row24(Bitmap, y);
                float* re = &plane[size_t(y + FYOffset) * row];
                for (Integer x = 0; x < w; ++x) {
                    const float v = float(ChannelOf(src[x], planes[pass])) / scale;
                    re[x + FXOffset] = ((x + FXOffset + y + FYOffset) & 1) ? -v : v;
                }
            }
            Transform2D(plane, -1, true, Integer(pass), Integer(planes.size()));
        }
    } catch (const std::bad_alloc&) {
        ClearPlanes();
    }
}

void TImgFtImage::GetSpectrum(TBitmap* Bitmap) {
    if (!Bitmap || IsEmpty()) return;
    const Integer N = FN;
    const size_t row = size_t(2) * N;
    std::vector<double>& v = FLevels;
    try {
        v.resize(size_t(N) * N);
    } catch (const std::bad_alloc&) {
        return;
    }
    ImgPrepareBitmap(Bitmap, pf24bit, N, N);
    const std::vector<Integer> planes = ModePlanes();
    for (Integer plane : planes) {
        const std::vector<float>& src = FPlanes[plane];
        double smallest = 1e20, largest = -1e20;
        for (Integer y = 0; y < N; ++y)
            for (Integer x = 0; x < N; ++x) {
                const double re = src[y * row + x], im = src[y * row + N + x];
                const double m = std::sqrt(re * re + im * im);
                const double e = m == 0 ? 0 : std::log(std::sqrt(m));
                v[size_t(y) * N + x] = e;
                smallest = std::min(smallest, e);
                largest = std::max(largest, e);
            }
        if (smallest > -1e-5 && smallest < 1e-5) smallest = 0;
        // A flat plane has no range to stretch: it shows black.
        const double scale = largest > smallest ? 255 / (largest - smallest) : 0;
        for (Integer y = 0; y < N; ++y) {
            TImgRGB* out = img_kernel::Row24(Bitmap, y);
            for (Integer x = 0; x < N; ++x) {
                const Byte c = Byte(std::clamp(scale * (v[size_t(y) * N + x] - smallest), 0.0, 255.0));
                if (plane == 0 || plane == 3) out[x].r = c;
                if (plane == 1 || plane == 3) out[x].g = c;
                if (plane == 2 || plane == 3) out[x].b = c;
            }
        }
    }
}

void TImgFtImage::GetInverse(TBitmap* Bitmap) {
    if (!Bitmap || IsEmpty()) return;
    const Integer N = FN;
    const size_t row = size_t(2) * N;
    std::vector<float>& copy = FWork;
    try {
        copy.reserve(row * N);
        FStripRe.reserve(size_t(N) * std::min(kStrip, N));
        FStripIm.reserve(size_t(N) * std::min(kStrip, N));
    } catch (const std::bad_alloc&) {
        return;
    }
    ImgPrepareBitmap(Bitmap, pf24bit, FSourceWidth, FSourceHeight);
    for (Integer plane : ModePlanes()) {
        copy = FPlanes[plane];
        Transform2D(copy, 1, false, 0, 1);
        float smallest = std::abs(copy[0]), largest = smallest;
        for (Integer y = 0; y < N; ++y)
            for (Integer x = 0; x < N; ++x) {
                float& re = copy[y * row + x];
                re = std::abs(re);
                smallest = std::min(smallest, re);
                largest = std::max(largest, re);
            }
        const double scale = largest > smallest ? 255.0 / (double(largest) - smallest) : 0;
        for (Integer y = 0; y < FSourceHeight; ++y) {
            TImgRGB* out = img_kernel::Row24(Bitmap, y);
            const float* re = &copy[size_t(y + FYOffset) * row + FXOffset];
            for (Integer x = 0; x < FSourceWidth; ++x) {
                const Byte c = Byte(std::clamp((re[x] - smallest) * scale, 0.0, 255.0));
                if (plane == 0 || plane == 3) out[x].r = c;
                if (plane == 1 || plane == 3) out[x].g = c;
                if (plane == 2 || plane == 3) out[x].b = c;
            }
        }
    }
}

void TImgFtImage::ClearZone(Integer x1, Integer y1, Integer x2, Integer y2) {
    if (x2 < x1 || IsEmpty()) return;
    const Integer N = FN;
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, N - 1);
    y2 = std::min(y2, N - 1);
    const size_t row = size_t(2) * N;
    for (Integer plane : ModePlanes())
        for (Integer y = y1; y <= y2; ++y)
            for (Integer x = x1; x <= x2; ++x) {
                FPlanes[plane][y * row + x] = 0;
                FPlanes[plane][y * row + N + x] = 0;
            }
}

void TImgFtImage::Assign(const TImgFtImage* Source) {
    if (!Source || Source == this) return;
    FMode = Source->FMode;
    FXOffset = Source->FXOffset;
    FYOffset = Source->FYOffset;
    FSourceWidth = Source->FSourceWidth;
    FSourceHeight = Source->FSourceHeight;
    OnProgress = Source->OnProgress;
    // Planes of the same size are copied into the storage already held, so that a preview
    // copying its transform on every update allocates nothing.
    try {
        for (Integer i = 0; i < 4; ++i) {
            if (Source->FPlanes[i].empty())
                std::vector<float>().swap(FPlanes[i]);
            else
                FPlanes[i] = Source->FPlanes[i];
        }
        FN = Source->FN;
        FL = Source->FL;
        FNorm = Source->FNorm;
        FTwCos = Source->FTwCos;
        FTwSin = Source->FTwSin;
        FReverse = Source->FReverse;
    } catch (const std::bad_alloc&) {
        ClearPlanes();
    }
}

// ---- The processing component's entry points -------------------------------------------------

void TImagoProc::ShowFTSpectrum(TImgFtImage* Transform) {
    SyncImage();
    if (!FBitmap || !Transform || Transform->IsEmpty()) return;
    Transform->GetSpectrum(FBitmap);
    UpdateTarget();
}

void TImagoProc::ApplyInverseFT(TImgFtImage* Transform) {
    SyncImage();
    if (!FBitmap || !Transform || Transform->IsEmpty()) return;
    Transform->GetInverse(FBitmap);
    UpdateTarget();
}
