// Colour adjustments: contrast, RGB offsets, HSL and HSV shifts, threshold, levels and
// equalisation.

#include <array>
#include <cmath>
#include <vector>

#include "imaging/img_filters.h"
#include "imaging/img_proc_internal.h"

using img_kernel::ForRows24;
using img_kernel::Unpack;

namespace {

using TLevelTable = std::array<Byte, 256>;

// Applies one 256-entry table per channel to the rectangle.
void ApplyTables(TBitmap* Bitmap, const TLevelTable& R, const TLevelTable& G, const TLevelTable& B, Integer x1,
                 Integer y1, Integer x2, Integer y2, const TImgProgressTarget& Progress) {
    ForRows24(Bitmap, x1, y1, x2, y2, Progress, [&](TImgRGB* p, Integer n) {
        for (Integer i = 0; i < n; ++i) p[i] = TImgRGB{B[p[i].b], G[p[i].g], R[p[i].r]};
    });
}

Byte Channel(Integer Packed, int Shift) {
    return Byte(Packed >> Shift);
}

}  // namespace

void AverageColor(TBitmap* Bitmap, Integer& Red, Integer& Green, Integer& Blue) {
    Red = Green = Blue = 128;
    if (!img_kernel::Is24(Bitmap)) return;
    const Int64 count = Int64(Bitmap->GetWidth()) * Bitmap->GetHeight();
    if (count <= 0) return;
    Int64 r = 0, g = 0, b = 0;
    for (Integer y = 0; y < Bitmap->GetHeight(); ++y) {
        const TImgRGB* row = img_kernel::Row24(Bitmap, y);
        for (Integer x = 0; x < Bitmap->GetWidth(); ++x) {
            r += row[x].r;
            g += row[x].g;
            b += row[x].b;
        }
    }
    Red = Integer(r / count);
    Green = Integer(g / count);
    Blue = Integer(b / count);
}

void AdjustContrast(TBitmap* Bitmap, Integer Contrast, Integer AvgRed, Integer AvgGreen, Integer AvgBlue, Integer x1,
                    Integer y1, Integer x2, Integer y2, const TImgProgressTarget& Progress) {
    const double k = Contrast < 0 ? 1 - std::sqrt(double(-Contrast)) / 10 : Contrast / 10.0 + 1;
    auto table = [k](Integer a) {
        TLevelTable t;
        for (Integer c = 0; c < 256; ++c) t[c] = Byte(ImgClampByte(Integer(a + Trunc((c - a) * k))));
        return t;
    };
    ApplyTables(Bitmap, table(AvgRed), table(AvgGreen), table(AvgBlue), x1, y1, x2, y2, Progress);
}

void AdjustRGB(TBitmap* Bitmap, Integer DRed, Integer DGreen, Integer DBlue, Integer x1, Integer y1, Integer x2,
               Integer y2, const TImgProgressTarget& Progress) {
    auto table = [](Integer d) {
        TLevelTable t;
        for (Integer c = 0; c < 256; ++c) t[c] = Byte(std::clamp<Int64>(Int64(c) + d, 0, 255));
        return t;
    };
    ApplyTables(Bitmap, table(DRed), table(DGreen), table(DBlue), x1, y1, x2, y2, Progress);
}

// ---- HSL -------------------------------------------------------------------------------------

namespace {

// The conversions, inline for the per-pixel loop.
inline void ToHSL(Integer Packed, double& H, double& S, double& L) {
    const double r = Channel(Packed, 16) / 255.0, g = Channel(Packed, 8) / 255.0, b = Channel(Packed, 0) / 255.0;
    const double mx = std::max(r, std::max(g, b)), mn = std::min(r, std::min(g, b));
    L = (mx + mn) / 2;
    if (mx == mn) {
        S = 0;
        H = 0;
        return;
    }
    const double d = mx - mn;
    S = L >= 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
    if (mx == r)
        H = (g - b) / d;
    else if (mx != g)
        H = (r - g) / d + 4;
    else
        H = (b - r) / d + 2;
    H /= 6;
    if (H < 0) H += 1;
}

inline double Hue(double t, double q, double p) {
    if (t < 0)
        t += 1;
    else if (t > 1)
        t -= 1;
    if (6 * t < 1) return p + (q - p) * 6 * t;
    if (2 * t < 1) return q;
    if (3 * t < 2) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

inline void ToRGB(double H, double S, double L, TImgRGB& Pixel) {
    H = std::clamp(H, 0.0, 1.0);
    S = std::clamp(S, 0.0, 1.0);
    L = std::clamp(L, 0.0, 1.0);
    // v lies in 0..1, so the product truncates within a byte.
    auto byte = [](double v) { return Byte(ImgClampByte(Integer(std::clamp(v * 255, -1.0, 256.0)))); };
    if (S == 0) {
        Pixel.r = Pixel.g = Pixel.b = byte(L);
        return;
    }
    const double q = L <= 0.5 ? L * (1 + S) : L + S - L * S;
    const double p = 2 * L - q;
    Pixel.r = byte(Hue(H + 1.0 / 3, q, p));
    Pixel.g = byte(Hue(H, q, p));
    Pixel.b = byte(Hue(H - 1.0 / 3, q, p));
}

}  // namespace

void RGBToHSL(Integer Packed, double& H, double& S, double& L) {
    ToHSL(Packed, H, S, L);
}
double HueToRGB(double t, double q, double p) {
    return Hue(t, q, p);
}
void HSLToRGB(double H, double S, double L, TImgRGB& Pixel) {
    ToRGB(H, S, L, Pixel);
}

void AdjustHSL(TBitmap* Bitmap, Integer DHue, Integer DSat, Integer DLum, Integer x1, Integer y1, Integer x2,
               Integer y2, const TImgProgressTarget& Progress) {
    const double dh = DHue / 360.0, ds = DSat / 100.0, dl = DLum / 100.0;
    ForRows24(Bitmap, x1, y1, x2, y2, Progress, [&](TImgRGB* p, Integer n) {
        // Neighbouring pixels are often alike: a one-entry cache saves most conversions.
        TImgRGB last{}, lastOut{};
        bool have = false;
        for (Integer i = 0; i < n; ++i) {
            if (!have || p[i] != last) {
                last = p[i];
                double h, s, l;
                ToHSL(Integer(ImgPackRGB(p[i])), h, s, l);
                ToRGB(h + dh, s + ds, l + dl, lastOut);
                have = true;
            }
            p[i] = lastOut;
        }
    });
}

// ---- HSV -------------------------------------------------------------------------------------

void MaxMin3(Integer a, Integer b, Integer c, Integer& Max, Integer& Min) {
    Max = std::max({a, b, c});
    Min = std::min({a, b, c});
}

namespace {

// Round(v / 255 * 99) for each byte, and Round(v / 99 * 255) for each 0..99 value.
struct THSVScales {
    Byte To99[256];
    Byte From99[100];
    THSVScales() {
        for (Integer v = 0; v < 256; ++v) To99[v] = Byte(Round(v / 255.0 * 99));
        for (Integer v = 0; v < 100; ++v) From99[v] = Byte(Round(v / 99.0 * 255));
    }
};
const THSVScales& HSVScales() {
    static const THSVScales s;
    return s;
}

}  // namespace

void RGBToHSV(Integer Packed, Integer& H, Integer& S, Integer& V) {
    const THSVScales& sc = HSVScales();
    const Integer r = sc.To99[Channel(Packed, 16)], g = sc.To99[Channel(Packed, 8)], b = sc.To99[Channel(Packed, 0)];
    Integer mn;
    MaxMin3(r, g, b, V, mn);
    const Integer d = V - mn;
    S = V == 0 ? 0 : d * 99 / V;
    if (S == 0)
        H = 0;
    else if (r == V)
        H = (g - b) * 60 / d;
    else if (g == V)
        H = (b - r) * 60 / d + 120;
    else
        H = (r - g) * 60 / d + 240;
    if (H < 0) H += 360;
}

void HSVToRGB(Integer H, Integer S, Integer V, TImgRGB& Pixel) {
    H = ImgIntLimit(H, 0, 359);
    S = ImgIntLimit(S, 0, 99);
    V = ImgIntLimit(V, 0, 99);
    Integer r = V, g = V, b = V;
    if (S != 0) {
        const Integer h = H % 60;
        const Integer d = S * V * h / 5940, e = V - S * V * (60 - h) / 5940, f = V - S * V / 99, t = V - d;
        switch (H / 60) {
            case 0: g = e, b = f; break;
            case 1: r = t, b = f; break;
            case 2: r = f, b = e; break;
            case 3: r = f, g = t; break;
            case 4: r = e, g = f; break;
            default: g = f, b = t; break;
        }
    }
    const THSVScales& sc = HSVScales();
    Pixel = ImgRGB(sc.From99[r], sc.From99[g], sc.From99[b]);
}

void AdjustHSV(TBitmap* Bitmap, Integer DHue, Integer DSat, Integer DVal, Integer x1, Integer y1, Integer x2,
               Integer y2, const TImgProgressTarget& Progress) {
    ForRows24(Bitmap, x1, y1, x2, y2, Progress, [&](TImgRGB* p, Integer n) {
        for (Integer i = 0; i < n; ++i) {
            Integer h, s, v;
            RGBToHSV(Integer(ImgPackRGB(p[i])), h, s, v);
            HSVToRGB(h + DHue, s + DSat, v + DVal, p[i]);
        }
    });
}

// ---- Threshold and levels --------------------------------------------------------------------

void ThresholdRect(TBitmap* Bitmap, Integer Low, Integer High, Integer BelowColour, Integer AboveColour, Integer x1,
                   Integer y1, Integer x2, Integer y2, const TImgProgressTarget& Progress) {
    if ((Low & 0xFFFFFF) == 0 && (High & 0xFFFFFF) == 0xFFFFFF) return;
    auto table = [&](int shift) {
        TLevelTable t;
        for (Integer c = 0; c < 256; ++c) {
            Integer v = c;
            if (v <= Channel(Low, shift)) v = Channel(BelowColour, shift);
            if (v > Channel(High, shift)) v = Channel(AboveColour, shift);
            t[c] = Byte(v);
        }
        return t;
    };
    ApplyTables(Bitmap, table(16), table(8), table(0), x1, y1, x2, y2, Progress);
}

void StretchLevels(TBitmap* Bitmap, Integer WhitePoint, Integer BlackPoint, Integer x1, Integer y1, Integer x2,
                   Integer y2, const TImgProgressTarget& Progress) {
    TImgRGB white = Unpack(WhitePoint);
    white.r = std::max<Byte>(white.r, 1);
    white.g = std::max<Byte>(white.g, 1);
    white.b = std::max<Byte>(white.b, 1);
    const TImgRGB black = Unpack(BlackPoint);
    if (white == black) return;
    auto table = [](Byte w, Byte b) {
        const Integer m = 255 - b == 0 ? 1 : 255 - b;
        TLevelTable blk, t;
        for (Integer v = 0; v < 256; ++v) blk[v] = ImgRoundClampByte((v - b) / double(m) * 255);
        for (Integer v = 0; v < 256; ++v) t[v] = ImgRoundClampByte(blk[v] / double(w) * 255);
        return t;
    };
    ApplyTables(Bitmap, table(white.r, black.r), table(white.g, black.g), table(white.b, black.b), x1, y1, x2, y2,
                Progress);
}

void EqualizeHistogram(TBitmap* Bitmap, Integer x1, Integer y1, Integer x2, Integer y2,
                       const TImgProgressTarget& Progress) {
    if (!img_kernel::Is24(Bitmap)) return;
    const Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    const Integer top = y1;
    if (!img_kernel::ClipRect(Bitmap, x1, y1, x2, y2)) return;
    // The grey histogram of the whole bitmap, in four interleaved parts so that neighbouring
    // pixels of one level do not wait on each other.
    std::vector<Int64> parts(256 * 4, 0);
    for (Integer y = 0; y < h; ++y) {
        const TImgRGB* row = img_kernel::Row24(Bitmap, y);
        for (Integer x = 0; x < w; ++x) ++parts[size_t(ImgRGBGrayLevel(row[x])) * 4 + (x & 3)];
    }
    const Int64 n = std::max<Int64>(Int64(w) * h / 256, 1);
    Byte low[256], high[256];
    Int64 s = 0, o = 0;
    for (Integer L = 0; L < 256; ++L) {
        low[L] = Byte(std::min<Int64>(o, 255));
        s += parts[size_t(L) * 4] + parts[size_t(L) * 4 + 1] + parts[size_t(L) * 4 + 2] + parts[size_t(L) * 4 + 3];
        if (s > n) {
            const Int64 steps = (s - 1) / n;  // the number of times s > n holds while taking n away
            s -= steps * n;
            o += steps;
        }
        high[L] = Byte(std::min<Int64>(o, 255));
    }

    // The 3 x 3 neighbourhoods read the image as it was: the rows above, at and below stay as
    // copies while the results go into the bitmap. Sums are per channel byte; columns beyond the
    // edges repeat the edge, so each row copy has one more pixel at each end.
    const size_t bytes = size_t(w + 2) * 3;
    std::vector<Byte> rows[3] = {std::vector<Byte>(bytes), std::vector<Byte>(bytes), std::vector<Byte>(bytes)};
    auto load = [&](std::vector<Byte>& Into, Integer y) {
        const Byte* src = static_cast<const Byte*>(Bitmap->ScanLine(ImgIntLimit(y, 0, h - 1)));
        std::copy_n(src, size_t(w) * 3, Into.begin() + 3);
        std::copy_n(src, 3, Into.begin());
        std::copy_n(src + size_t(w - 1) * 3, 3, Into.begin() + 3 + size_t(w) * 3);
    };
    load(rows[0], y1 - 1);
    load(rows[1], y1);
    std::vector<uint16_t> columns(bytes);
    std::vector<Byte> average(bytes);
    for (Integer y = y1; y <= y2; ++y) {
        load(rows[2], y + 1);
        const Byte *a = rows[0].data(), *b = rows[1].data(), *c = rows[2].data();
        for (size_t j = 0; j < bytes; ++j) columns[j] = uint16_t(a[j] + b[j] + c[j]);
        // average[j]: the neighbourhood of padded byte j (pixel x sits at padded pixel x + 1).
        for (size_t j = size_t(x1) * 3; j < size_t(x2 + 1) * 3; ++j)
            average[j] = Byte((columns[j] + columns[j + 3] + columns[j + 6]) / 9);
        TImgRGB* out = img_kernel::Row24(Bitmap, y);
        const TImgRGB* cur = reinterpret_cast<const TImgRGB*>(b) + 1;
        const TImgRGB* avg = reinterpret_cast<const TImgRGB*>(average.data());
        for (Integer x = x1; x <= x2; ++x) {
            const TImgRGB p = cur[x];
            const Integer g = ImgRGBGrayLevel(p);
            const Byte lo = low[g], hi = high[g];
            if (lo != hi) {
                const Integer ag = ImgRGBGrayLevel(avg[x]);
                if (ag > hi) {
                    out[x] = TImgRGB{high[p.b], high[p.g], high[p.r]};
                    continue;
                }
                if (ag >= lo) {
                    out[x] = avg[x];
                    continue;
                }
            }
            out[x] = TImgRGB{low[p.b], low[p.g], low[p.r]};
        }
        std::swap(rows[0], rows[1]);
        std::swap(rows[1], rows[2]);
        img_kernel::ReportRow(Progress, y, top, y2);
    }
}
