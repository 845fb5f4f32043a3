#include "imaging/img_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "framework/exceptions.h"
#include "framework/math_utils.h"
#include "imaging/bitmap_routines.h"
#include "imaging/img_proc.h"
#include "imaging/img_utils.h"
#include "imaging/resample.h"

// ---- Quarter turns ---------------------------------------------------------------------------

namespace {

// Dest pixel for source pixel (x, y) of a w x h picture: counter-clockwise (y, w - 1 - x),
// clockwise (h - 1 - y, x). The picture is walked in square tiles so that both the rows read and
// the rows written stay in the cache.
void QuarterTurn(TBitmap* Source, TBitmap* Dest, bool CounterClockwise) {
    if (!Source || !Dest || Source == Dest) return;
    const TPixelFormat f = Source->GetPixelFormat() == pf1bit ? pf1bit : pf24bit;
    const Integer w = Source->GetWidth(), h = Source->GetHeight();
    ImgPrepareBitmap(Dest, f, h, w);
    if (w < 1 || h < 1) return;
    std::vector<Byte*> out(static_cast<size_t>(w));
    for (Integer y = 0; y < w; ++y) out[size_t(y)] = static_cast<Byte*>(Dest->ScanLine(y));
    constexpr Integer kTile = 64;
    for (Integer ty = 0; ty < h; ty += kTile)
        for (Integer tx = 0; tx < w; tx += kTile) {
            const Integer yEnd = std::min(ty + kTile, h), xEnd = std::min(tx + kTile, w);
            for (Integer y = ty; y < yEnd; ++y) {
                const Byte* row = static_cast<const Byte*>(Source->ScanLine(y));
                const Integer dx = CounterClockwise ? y : h - 1 - y;
                if (f == pf24bit) {
                    const size_t at = size_t(dx) * 3;
                    for (Integer x = tx; x < xEnd; ++x) {
                        Byte* d = out[size_t(CounterClockwise ? w - 1 - x : x)] + at;
                        const Byte* s = row + size_t(x) * 3;
                        d[0] = s[0];
                        d[1] = s[1];
                        d[2] = s[2];
                    }
                } else {
                    for (Integer x = tx; x < xEnd; ++x)
                        SetRowBit(out[size_t(CounterClockwise ? w - 1 - x : x)], dx, GetRowBit(row, x));
                }
            }
        }
}

}  // namespace

void Rotate90CCW(TBitmap* Source, TBitmap* Dest) { QuarterTurn(Source, Dest, true); }

void Rotate90CW(TBitmap* Source, TBitmap* Dest) { QuarterTurn(Source, Dest, false); }

// ---- Three shears ----------------------------------------------------------------------------

namespace {

struct TShearSizes {
    double T = 0, S = 0;  // |tan(theta / 2)|, |sin(theta)|
    Integer W1 = 0, d = 0, H2 = 0, e = 0, W3 = 0;
};

TShearSizes ShearSizes(Integer w, Integer h, Integer Angle) {
    TShearSizes s;
    const double theta = Angle * M_PI / 180;
    s.T = std::fabs(std::sin(theta / 2) / std::cos(theta / 2));
    s.S = std::fabs(std::sin(theta));
    s.W1 = Integer(Round(h * s.T + w + 1));
    s.d = Integer(Round((s.W1 - w) * s.S));
    const Integer H0 = Integer(Round(s.S * s.W1 + h + 1));
    s.e = Integer(Round(s.T * (H0 - h - s.d)));
    s.H2 = H0 - 2 * s.d;
    s.W3 = Integer(Round(s.T * s.H2 + s.W1 + 1 - 2 * s.e));
    return s;
}

// p * u + q * v in 12-bit fixed point (u + v = 4096), rounded and held within a byte.
inline TImgRGB Blend(const TImgRGB& p, const TImgRGB& q, Integer u, Integer v) {
    auto mix = [u, v](Integer a, Integer b) { return Byte(ImgClampByte((a * u + b * v + 2048) >> 12)); };
    return TImgRGB{mix(p.b, q.b), mix(p.g, q.g), mix(p.r, q.r)};
}

// One horizontal shear of a row: Source's n pixels go to Dest (of m pixels, filled with the
// background) from column t on; columns outside Dest are skipped without advancing the previous
// pixel. With blending each output is the previous and the current pixel mixed by u and v, and
// a positive u also writes the last pixel mixed with the background after the row.
void ShearRow(const TImgRGB* Source, Integer n, TImgRGB* Dest, Integer m, Integer t, bool AntiAlias, Integer u,
              const TImgRGB& Background) {
    // The columns the row reaches (the trailing pixel included); the rest is background.
    const Integer from = std::max(0, -t), to = std::min(n, m - t);
    const Integer left = std::clamp(t + from, 0, m), right = std::clamp(t + std::max(to, from) + 1, left, m);
    std::fill(Dest, Dest + left, Background);
    std::fill(Dest + right, Dest + m, Background);
    if (right > left) Dest[right - 1] = Background;
    if (!AntiAlias) {
        if (from < to) std::memcpy(Dest + t + from, Source + from, size_t(to - from) * 3);
        return;
    }
    const Integer v = 4096 - u;
    TImgRGB prev = Background;
    for (Integer c = from; c < to; ++c) {
        Dest[t + c] = Blend(prev, Source[c], u, v);
        prev = Source[c];
    }
    if (u > 0 && t + n >= 0 && t + n < m) Dest[t + n] = Blend(prev, Background, u, v);
}

class TShearProgress {
public:
    TShearProgress(const TImgProgressTarget& p, Integer total) : FProgress(p), FTotal(total) {}
    // Reports the steps up to Step (exclusive), each with the count before it.
    void To(Integer Step) {
        for (; FCounter < Step; ++FCounter)
            if (FProgress.OnProgress)
                FProgress.OnProgress(FProgress.Sender, Integer(Trunc(FCounter * 100 / (FTotal + 0.5))));
    }

private:
    const TImgProgressTarget& FProgress;
    Integer FTotal;
    Integer FCounter = 0;
};

}  // namespace

TSize ShearedRotationSize(Integer Width, Integer Height, Integer Angle) {
    const TShearSizes s = ShearSizes(Width, Height, Angle);
    return TSize{s.W3, s.H2};
}

void RotateSheared(TBitmap* Source, TBitmap* Dest, Integer Angle, bool AntiAlias, const TImgRGB& Background,
                   const TImgProgressTarget& Progress) {
    if (!Source || !Dest || Source->GetPixelFormat() != pf24bit) return;
    const Integer w = Source->GetWidth(), h = Source->GetHeight();
    const TShearSizes s = ShearSizes(w, h, Angle);
    const bool positive = Angle > 0;
    const Integer W1 = s.W1, H2 = s.H2, W3 = s.W3;
    TShearProgress progress(Progress, h + W1 + H2);
    try {
        // Pass 1: rows of Source into W1 x h, shifted right.
        std::vector<TImgRGB> pass1(size_t(W1) * size_t(std::max(h, 0)));
        for (Integer r = 0; r < h; ++r) {
            progress.To(r + 1);
            const double E = (positive ? r : h - r) * s.T;
            const Integer t = Integer(Round(E));
            const Integer u = Integer(Trunc((E - t) * 4096));
            ShearRow(static_cast<const TImgRGB*>(Source->ScanLine(r)), w, &pass1[size_t(r) * W1], W1, t, AntiAlias, u,
                     Background);
        }

        // Pass 2: columns of pass 1 into W1 x H2, shifted down. Worked row by row, each column
        // keeping its own previous pixel, which gives the same pixels as column by column.
        std::vector<TImgRGB> pass2(size_t(W1) * size_t(std::max(H2, 0)), Background);
        std::vector<Integer> shift(static_cast<size_t>(W1)), weight(static_cast<size_t>(W1));
        std::vector<TImgRGB> prev(static_cast<size_t>(W1), Background);
        for (Integer c = 0; c < W1; ++c) {
            const double E = (positive ? W1 - c : c) * s.S;
            shift[size_t(c)] = Integer(Round(E)) - s.d;
            weight[size_t(c)] = AntiAlias ? Integer(Round((E - Round(E)) * 4096)) : 0;
        }
        for (Integer L = 0; L < h; ++L) {
            progress.To(h + Integer(Int64(W1) * L / std::max(h, 1)) + 1);
            const TImgRGB* src = &pass1[size_t(L) * W1];
            for (Integer c = 0; c < W1; ++c) {
                const Integer row = L + shift[size_t(c)];
                if (row < 0 || row >= H2) continue;
                TImgRGB& out = pass2[size_t(row) * W1 + c];
                if (AntiAlias) {
                    const Integer u = weight[size_t(c)];
                    out = Blend(prev[size_t(c)], src[c], u, 4096 - u);
                    prev[size_t(c)] = src[c];
                } else {
                    out = src[c];
                }
            }
        }
        if (AntiAlias)
            for (Integer c = 0; c < W1; ++c) {
                const Integer u = weight[size_t(c)], row = shift[size_t(c)] + h;
                if (u > 0 && row >= 0 && row < H2)
                    pass2[size_t(row) * W1 + c] = Blend(prev[size_t(c)], Background, u, 4096 - u);
            }
        progress.To(h + W1);
        pass1 = std::vector<TImgRGB>();

        // Pass 3: rows of pass 2 into Dest, W3 x H2, shifted right.
        ImgPrepareBitmap(Dest, pf24bit, W3, H2);
        for (Integer r = 0; r < H2; ++r) {
            progress.To(h + W1 + r + 1);
            const double E = (positive ? r : H2 - r) * s.T;
            const Integer t = Integer(Round(E)) - s.e;
            const Integer u = Integer(Round((E - Round(E)) * 4096));
            ShearRow(&pass2[size_t(r) * W1], W1, static_cast<TImgRGB*>(Dest->ScanLine(r)), W3, t, AntiAlias, u,
                     Background);
        }
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory("Out of memory");
    }
}

// ---- 1-bit rotation --------------------------------------------------------------------------

void Rotate1Bit(TBitmap* Bitmap, Integer FillBit, const TImgProgressTarget& Progress, Integer Angle) {
    if (!Bitmap || Bitmap->GetPixelFormat() != pf1bit) return;
    const double b = -Angle * M_PI / 180;
    const double C = double(Trunc(std::cos(b) * 10000)) / 10000;
    const double S = double(Trunc(std::sin(b) * 10000)) / 10000;
    const Integer W = Bitmap->GetWidth(), H = Bitmap->GetHeight();
    const Integer nw = Integer(Trunc(std::fabs(W * C) + std::fabs(H * S)));
    const Integer nh = Integer(Trunc(std::fabs(W * S) + std::fabs(C * H)));
    std::unique_ptr<TBitmap> out(new TBitmap());
    ImgPrepareBitmap(out.get(), pf1bit, nw, nh);
    const double cx = W / 2.0 - 0.5, cy = H / 2.0 - 0.5;
    for (Integer y = 0; y < nh; ++y) {
        void* row = out->ScanLine(y);
        const double o = y - (nh / 2.0 - 0.5);
        for (Integer x = 0; x < nw; ++x) {
            const double r = x - (nw / 2.0 - 0.5);
            const Int64 sx = Trunc(cx + C * r + S * o), sy = Trunc(cy - S * r + C * o);
            const bool inside = sx >= 0 && sx < W && sy >= 0 && sy < H;
            SetRowBit(row, x, inside ? GetRowBit(Bitmap->ScanLine(Integer(sy)), Integer(sx)) : FillBit);
        }
        if (Progress.OnProgress && nh > 0) Progress.OnProgress(Progress.Sender, Integer(Trunc(y * 100.0 / nh)));
    }
    CopyBitmap(out.get(), Bitmap);
}

// ---- Mirroring -------------------------------------------------------------------------------

void FlipBitmap(TBitmap* Source, TBitmap* Dest, Integer Direction) {
    if (!Source || !Dest || Source == Dest) return;
    const TPixelFormat f = Source->GetPixelFormat();
    if ((Direction != 0 && Direction != 1) || (f != pf24bit && f != pf1bit)) {
        CopyBitmap(Source, Dest);
        return;
    }
    const Integer w = Source->GetWidth(), h = Source->GetHeight();
    ImgPrepareBitmap(Dest, f, w, h);
    const size_t bytes = size_t(ImgBitmapRowLen(w, f == pf24bit ? 24 : 1));
    for (Integer y = 0; y < h; ++y) {
        const void* src = Source->ScanLine(y);
        if (Direction == 1) {
            std::memcpy(Dest->ScanLine(h - 1 - y), src, bytes);
        } else if (f == pf24bit) {
            std::reverse_copy(static_cast<const TImgRGB*>(src), static_cast<const TImgRGB*>(src) + w,
                              static_cast<TImgRGB*>(Dest->ScanLine(y)));
        } else {
            void* d = Dest->ScanLine(y);
            for (Integer x = 0; x < w; ++x) SetRowBit(d, w - 1 - x, GetRowBit(src, x));
        }
    }
}

// ---- TImagoProc's geometric operations -------------------------------------------------------

void TImagoProc::Resample(Integer W, Integer H, TResampleFilter Filter) {
    SyncImage();
    if (!FBitmap) return;
    if (FAutoUndo) SaveUndo();
    const Integer bw = FBitmap->GetWidth(), bh = FBitmap->GetHeight();
    // An empty picture has no aspect ratio and nothing to resample.
    if (bw < 1 || bh < 1) return;
    if (W < 0 && H < 0) return;
    if (W < 0) W = Integer(Int64(H) * bw / bh);
    if (H < 0) H = Integer(Int64(W) * bh / bw);
    const TPixelFormat f = FBitmap->GetPixelFormat();
    std::unique_ptr<TBitmap> out(new TBitmap());
    ImgPrepareBitmap(out.get(), f, W, H);
    if (Filter != rfNone && f != pf1bit)
        ResampleFiltered(FBitmap, out.get(), Filter, Progress());
    else
        StretchPlain(FBitmap, out.get());
    if (W >= 1 && H >= 1)
        CopyBitmap(out.get(), FBitmap);
    else
        ImgPrepareBitmap(FBitmap, f, W, H);
    UpdateTarget();
}

void TImagoProc::Rotate(Integer Angle, bool AntiAlias) {
    SyncImage();
    if (!FBitmap) return;
    const TPixelFormat f = FBitmap->GetPixelFormat();
    if (f == pf1bit) {
        if (FAutoUndo) SaveUndo();
        Rotate1Bit(FBitmap, GetBackground() != 0 ? 1 : 0, Progress(), Angle);
        UpdateTarget();
        return;
    }
    if (f != pf24bit) return;
    if (FAutoUndo) SaveUndo();
    // An empty picture stays empty.
    if (FBitmap->GetWidth() < 1 || FBitmap->GetHeight() < 1) return;
    Integer n = Angle % 360;
    if (n >= -45 && n <= 45) {
        // The first shear has read the whole picture before the last one writes it.
        if (n != 0) RotateSheared(FBitmap, FBitmap, n, AntiAlias, ColorToImgRGB(GetBackground()), Progress());
    } else {
        std::unique_ptr<TBitmap> work(new TBitmap());
        while (n > 45) {
            Rotate90CCW(FBitmap, work.get());
            n -= 90;
            if (n > 45) CopyBitmap(work.get(), FBitmap);
        }
        while (n < -45) {
            Rotate90CW(FBitmap, work.get());
            n += 90;
            if (n < -45) CopyBitmap(work.get(), FBitmap);
        }
        if (n == 0)
            CopyBitmap(work.get(), FBitmap);
        else
            RotateSheared(work.get(), FBitmap, n, AntiAlias, ColorToImgRGB(GetBackground()), Progress());
    }
    UpdateTarget();
}

void TImagoProc::Flip(Integer Direction) {
    SyncImage();
    if (!FBitmap || (Direction != 0 && Direction != 1)) return;
    if (FAutoUndo) SaveUndo();
    if (FBitmap->GetWidth() < 1 || FBitmap->GetHeight() < 1) return;
    std::unique_ptr<TBitmap> flipped(new TBitmap());
    FlipBitmap(FBitmap, flipped.get(), Direction);
    CopyBitmap(flipped.get(), FBitmap);
    UpdateTarget();
}

void TImagoProc::ResizeCanvas(Integer W, Integer H) {
    SyncImage();
    if (!FBitmap || W <= 0 || H <= 0) return;
    if (FAutoUndo) SaveUndo();
    FBitmap->GetCanvas()->GetBrush()->SetColor(GetBackground());
    FBitmap->SetWidth(W);
    FBitmap->SetHeight(H);
    UpdateTarget();
}
