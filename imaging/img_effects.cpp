// Bump map, lens and wave effects.

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "imaging/bitmap_routines.h"
#include "imaging/img_filters.h"
#include "imaging/img_proc_internal.h"

using img_kernel::Row24;

// ---- Bump map --------------------------------------------------------------------------------

namespace {

// The light: 256 x 256 bytes, brightest in the middle, min(Trunc(max(1 - distance, 0) * 256), 255).
const std::vector<Byte>& LightTable() {
    static const std::vector<Byte> table = [] {
        std::vector<Byte> t(256 * 256);
        for (Integer i = 0; i < 256; ++i)
            for (Integer j = 0; j < 256; ++j) {
                const double u = (i - 128) / 128.0, w = (j - 128) / 128.0;
                const double v = std::max(1 - std::sqrt(u * u + w * w), 0.0);
                t[size_t(i) * 256 + j] = Byte(std::min<Int64>(Trunc(v * 256), 255));
            }
        return t;
    }();
    return table;
}

}  // namespace

void BumpMap(TBitmap* Bitmap, Integer LightX, Integer LightY, Integer LightWidth, Integer LightHeight, Integer Colour,
             Integer Percent, Integer x1, Integer y1, Integer x2, Integer y2, const TImgProgressTarget& Progress) {
    if (!img_kernel::Is24(Bitmap) || LightWidth == 0 || LightHeight == 0) return;
    const Integer top = y1;
    if (!img_kernel::ClipRect(Bitmap, x1, y1, x2, y2)) return;
    const Integer rw = x2 - x1 + 1, rh = y2 - y1 + 1;
    std::vector<Byte> grey(size_t(rw) * rh);
    for (Integer y = y1; y <= y2; ++y) {
        const TImgRGB* row = Row24(Bitmap, y);
        for (Integer x = x1; x <= x2; ++x) grey[size_t(y - y1) * rw + (x - x1)] = Byte(ImgRGBGrayLevel(row[x]));
    }
    auto g = [&](Integer x, Integer y) {
        return Integer(grey[size_t(ImgIntLimit(y, y1, y2) - y1) * rw + (ImgIntLimit(x, x1, x2) - x1)]);
    };
    const std::vector<Byte>& light = LightTable();
    const TImgRGB colour = img_kernel::Unpack(Colour);
    const double keep = Percent;
    // Column terms do not depend on the row.
    std::vector<Integer> colTerm(static_cast<size_t>(rw));
    for (Integer x = x1; x <= x2; ++x)
        colTerm[size_t(x - x1)] =
            Integer(std::clamp<Int64>(Trunc((double(x) - LightX) / LightWidth * 128), -1024, 1024));
    for (Integer y = y1; y <= y2; ++y) {
        TImgRGB* row = Row24(Bitmap, y);
        const Integer rowTerm =
            Integer(std::clamp<Int64>(Trunc((double(y) - LightY) / LightHeight * 128), -1024, 1024));
        for (Integer x = x1; x <= x2; ++x) {
            const Integer dx = g(x + 1, y) - g(x - 1, y), dy = g(x, y + 1) - g(x, y - 1);
            const Integer i = ImgClampByte(dx - colTerm[size_t(x - x1)] + 128);
            const Integer j = ImgClampByte(dy - rowTerm + 128);
            const double l = light[size_t(i) * 256 + j] * (100 - Percent) / 100.0;
            TImgRGB& p = row[x];
            p.r = ImgRoundClampByte(p.r * keep / 100 + l * colour.r / 255);
            p.g = ImgRoundClampByte(p.g * keep / 100 + l * colour.g / 255);
            p.b = ImgRoundClampByte(p.b * keep / 100 + l * colour.b / 255);
        }
        img_kernel::ReportRow(Progress, y, top, y2);
    }
}

// ---- Lens ------------------------------------------------------------------------------------

void LensEffect(TBitmap* Bitmap, Integer CentreX, Integer CentreY, Integer Width, Integer Height, double Refraction,
                const TImgProgressTarget& Progress) {
    if (!img_kernel::Is24(Bitmap)) return;
    const Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    if (w < 1 || h < 1) return;
    const double n = std::max(Refraction, 1.0);
    auto limit = [](Int64 v, Integer high) { return Integer(std::clamp<Int64>(v, 0, high)); };
    const Integer x1 = limit(Int64(CentreX) - Width / 2, w - 1), x2 = limit(Int64(CentreX) + Width / 2, w - 1);
    const Integer y1 = limit(Int64(CentreY) - Height / 2, h - 1), y2 = limit(Int64(CentreY) + Height / 2, h - 1);
    const Integer bw = x2 - x1, bh = y2 - y1;
    // A lens without area bends nothing.
    if (bw <= 0 || bh <= 0) return;
    const double a = bw / 2.0, b = bh / 2.0, R = std::min(a, b);
    auto bend = [&](double c, double z) {
        const double angle = std::numbers::pi / 2 - std::acos(c / std::sqrt(c * c + z * z));
        return c - z * std::tan(angle - std::asin(std::sin(angle) / n));
    };
    std::vector<TImgRGB> box(size_t(bw) * bh);
    for (Integer u = 0; u < bw; ++u) {
        for (Integer v = 0; v < bh; ++v) {
            const double x = u - a + 0.5, y = -(v - b) - 0.5;
            const double e = x * x / (a * a) + y * y / (b * b);
            Integer sx = x1 + u, sy = y1 + v;
            if (e < 1) {
                const double z = std::sqrt((1 - e) * R * R);
                sx = x1 + ImgIntLimit(Integer(Trunc(a + bend(x, z))), 0, w - 1);
                sy = y1 + ImgIntLimit(Integer(Trunc(b - bend(y, z))), 0, h - 1);
                sx = std::min(sx, w - 1);
                sy = std::min(sy, h - 1);
            }
            box[size_t(v) * bw + u] = Row24(Bitmap, sy)[sx];
        }
        if (Progress.OnProgress) Progress.OnProgress(Progress.Sender, Integer(Trunc((u + 1) * 100 / (bw + 0.5))));
    }
    for (Integer v = 0; v < bh; ++v) std::copy_n(&box[size_t(v) * bw], bw, Row24(Bitmap, y1 + v) + x1);
}

// ---- Wave ------------------------------------------------------------------------------------

namespace {

// The sampling of BilinearSample on a bitmap's rows, without its checks for each pixel.
struct TBilinearSource {
    TBitmap* Bitmap;
    Integer W, H;
    std::vector<const TImgRGB*> Rows;  // bottom row first

    explicit TBilinearSource(TBitmap* B) : Bitmap(B), W(B->GetWidth()), H(B->GetHeight()) {
        Rows.resize(size_t(std::max(H, 0)));
        for (Integer y = 0; y < H; ++y) Rows[size_t(y)] = Row24(B, H - 1 - y);
    }
    TImgRGB At(Integer x, Integer y) const {
        if (x < 0 || x >= W || y < 0 || y >= H) return TImgRGB{};
        return Rows[size_t(y)][x];
    }
    TImgRGB Sample(double Px, double Py) const {
        // Positions far outside only need to stay far outside.
        Px = std::clamp(Px, -1e9, 1e9);
        Py = std::clamp(Py, -1e9, 1e9);
        const double tx = std::trunc(Px), ty = std::trunc(Py);
        // The base cell stays inside; an image one pixel wide or high has no next column or row.
        const Integer bx = Integer(std::clamp(tx, 0.0, double(std::max(W - 2, 0))));
        const Integer by = Integer(std::clamp(ty, 0.0, double(std::max(H - 2, 0))));
        double fx = Px - tx, fy = Py - ty;
        if (fx < 0) fx += 1;
        if (fy < 0) fy += 1;
        TImgRGB p00, p10, p01, p11;
        if (bx + 1 < W && by + 1 < H) {
            p00 = Rows[size_t(by)][bx];
            p10 = Rows[size_t(by)][bx + 1];
            p01 = Rows[size_t(by) + 1][bx];
            p11 = Rows[size_t(by) + 1][bx + 1];
        } else {
            p00 = At(bx, by), p10 = At(bx + 1, by), p01 = At(bx, by + 1), p11 = At(bx + 1, by + 1);
        }
        const double gx = 1 - fx, gy = 1 - fy;
        auto mix = [&](Byte c00, Byte c10, Byte c01, Byte c11) {
            return Byte(int(gy * (gx * c00 + fx * c10) + fy * (gx * c01 + fx * c11)));
        };
        return TImgRGB{mix(p00.b, p10.b, p01.b, p11.b), mix(p00.g, p10.g, p01.g, p11.g),
                       mix(p00.r, p10.r, p01.r, p11.r)};
    }
};

}  // namespace

TImgRGB BilinearSample(TBitmap* Bitmap, double Px, double Py) {
    return TBilinearSource(Bitmap).Sample(Px, Py);
}

void WaveEffect(TBitmap* Bitmap, Integer Amplitude, Integer WaveLength, Integer Phase, bool Reflective,
                const TImgProgressTarget& Progress) {
    if (!img_kernel::Is24(Bitmap) || Amplitude == 0 || WaveLength == 0) return;
    const Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    if (w < 1 || h < 1) return;
    std::unique_ptr<TBitmap> source(CloneBitmap(Bitmap));
    const TBilinearSource sampler(source.get());
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
    double sx = 1, sy = 1;
    if (w > h)
        sy = double(w) / h;
    else if (w < h)
        sx = double(h) / w;
    const double twice = 2.0 * WaveLength, phase = Phase * std::numbers::pi / 180;
    // Columns x and w - 1 - x lie at the same distance from the centre: one sine serves both.
    std::vector<double> sines(static_cast<size_t>(w));
    for (Integer yb = 0; yb < h; ++yb) {
        TImgRGB* row = Row24(Bitmap, h - 1 - yb);
        const double dy = (yb - cy) * sy;
        for (Integer x = 0; x <= (w - 1) / 2; ++x) {
            const double dx = (x - cx) * sx;
            sines[size_t(x)] = sines[size_t(w - 1 - x)] =
                std::sin(std::sqrt(dx * dx + dy * dy) / twice * (2 * std::numbers::pi) + phase);
        }
        for (Integer x = 0; x < w; ++x) {
            const double dx = (x - cx) * sx, s = sines[size_t(x)];
            double px, py;
            if (Reflective) {
                const double m = std::abs(s) * Amplitude;
                px = cx + dx * m / sx;
                py = cy + dy * m / sy;
            } else {
                const double m = s * Amplitude;
                px = (m + dx) / sx + cx;
                py = (m + dy) / sy + cy;
            }
            row[x] = sampler.Sample(px, py);
        }
        if (Progress.OnProgress) Progress.OnProgress(Progress.Sender, Integer(Trunc(yb * 100.0 / h)));
    }
}
