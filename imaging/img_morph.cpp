// The morphological filters: maximum, minimum, opening and closing over a square window.
//
// A pass gives each pixel the colour of the first pixel in scan order (rows top down, columns
// left to right) of its window with the strictly best grey. "Best grey, then earliest row, then
// earliest column" is a total order, so the window's winner is the winner among the winners of
// its rows: one pass along each row, then one down each column. Each is a sliding maximum over
// keys that pack the grey above the position (van Herk's prefix and suffix maxima in blocks of
// the window's length), which costs the same for every radius.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "imaging/img_filters.h"
#include "imaging/img_proc_internal.h"

namespace {

using TKey = uint64_t;
constexpr TKey kPosMask = 0xFFFFFFFFu;

// The key of a position: the grey's goodness (0 means the pixel does not qualify) above the
// position, earlier positions ranking higher.
constexpr TKey MakeKey(Integer Goodness, Integer Pos) {
    return (TKey(Goodness) << 32) | (kPosMask - TKey(Pos));
}
constexpr Integer KeyPos(TKey Key) {
    return Integer(kPosMask - (Key & kPosMask));
}
constexpr Integer KeyGoodness(TKey Key) {
    return Integer(Key >> 32);
}

// The window lo..hi of a sequence cut into blocks of Block elements, from its prefix maxima
// (from each block's start) and suffix maxima (to each block's end or the sequence's end). The
// window is never longer than a block, and it is clipped only at the sequence's ends.
template <class Prefix, class Suffix>
TKey WindowMax(Integer lo, Integer hi, Integer Block, Prefix prefix, Suffix suffix) {
    if (lo / Block != hi / Block) return std::max(suffix(lo), prefix(hi));
    return lo % Block == 0 ? prefix(hi) : suffix(lo);
}

// The winning column of each pixel's row window; Good holds the goodness of every pixel.
void RowPass(const std::vector<Byte>& Good, Integer W, Integer H, Integer Radius, std::vector<uint32_t>& Cols) {
    const Integer block = 2 * Radius + 1;
    std::vector<TKey> pre(static_cast<size_t>(W)), suf(static_cast<size_t>(W));
    for (Integer y = 0; y < H; ++y) {
        const Byte* g = &Good[size_t(y) * W];
        for (Integer x = 0; x < W; ++x) {
            const TKey k = MakeKey(g[x], x);
            pre[size_t(x)] = x % block == 0 ? k : std::max(pre[size_t(x) - 1], k);
        }
        for (Integer x = W - 1; x >= 0; --x) {
            const TKey k = MakeKey(g[x], x);
            suf[size_t(x)] = (x + 1) % block == 0 || x == W - 1 ? k : std::max(suf[size_t(x) + 1], k);
        }
        uint32_t* out = &Cols[size_t(y) * W];
        for (Integer x = 0; x < W; ++x) {
            const TKey best = WindowMax(
                std::max(x - Radius, 0), std::min(x + Radius, W - 1), block, [&](Integer i) { return pre[size_t(i)]; },
                [&](Integer i) { return suf[size_t(i)]; });
            out[x] = uint32_t(KeyPos(best));
        }
    }
}

// The winning row of each pixel's column window among the row winners, or -1 when no pixel of
// the window qualifies. Columns go in strips so that the maxima stay small.
void ColumnPass(const std::vector<Byte>& Good, const std::vector<uint32_t>& Cols, Integer W, Integer H, Integer Radius,
                std::vector<int32_t>& Rows) {
    const Integer block = 2 * Radius + 1;
    constexpr Integer kStrip = 256;
    std::vector<TKey> pre, suf;
    for (Integer c0 = 0; c0 < W; c0 += kStrip) {
        const Integer sw = std::min(kStrip, W - c0);
        pre.assign(size_t(sw) * H, 0);
        suf.assign(size_t(sw) * H, 0);
        auto key = [&](Integer y, Integer i) {
            const size_t at = size_t(y) * W + c0 + i;
            return MakeKey(Good[size_t(y) * W + Cols[at]], y);
        };
        for (Integer y = 0; y < H; ++y) {
            TKey* p = &pre[size_t(y) * sw];
            if (y % block == 0) {
                for (Integer i = 0; i < sw; ++i) p[i] = key(y, i);
            } else {
                const TKey* q = p - sw;
                for (Integer i = 0; i < sw; ++i) p[i] = std::max(q[i], key(y, i));
            }
        }
        for (Integer y = H - 1; y >= 0; --y) {
            TKey* s = &suf[size_t(y) * sw];
            if ((y + 1) % block == 0 || y == H - 1) {
                for (Integer i = 0; i < sw; ++i) s[i] = key(y, i);
            } else {
                const TKey* q = s + sw;
                for (Integer i = 0; i < sw; ++i) s[i] = std::max(q[i], key(y, i));
            }
        }
        for (Integer y = 0; y < H; ++y) {
            const Integer lo = std::max(y - Radius, 0), hi = std::min(y + Radius, H - 1);
            for (Integer i = 0; i < sw; ++i) {
                const TKey best = WindowMax(
                    lo, hi, block, [&](Integer r) { return pre[size_t(r) * sw + i]; },
                    [&](Integer r) { return suf[size_t(r) * sw + i]; });
                Rows[size_t(y) * W + c0 + i] = KeyGoodness(best) > 0 ? KeyPos(best) : -1;
            }
        }
    }
}

// One pass over the rectangle's pixels (W x H, row by row), reporting rows as done.
void MorphPass(std::vector<TImgRGB>& Pixels, Integer W, Integer H, Integer Radius, bool Maximum,
               const std::function<void(Integer)>& RowDone) {
    std::vector<Byte> good(Pixels.size());
    for (size_t i = 0; i < Pixels.size(); ++i) {
        const Integer g = ImgRGBGrayLevel(Pixels[i]);
        good[i] = Byte(Maximum ? g : 255 - g);
    }
    std::vector<uint32_t> cols(Pixels.size());
    std::vector<int32_t> rows(Pixels.size());
    RowPass(good, W, H, Radius, cols);
    ColumnPass(good, cols, W, H, Radius, rows);
    std::vector<TImgRGB> out(Pixels.size());
    for (Integer y = 0; y < H; ++y) {
        for (Integer x = 0; x < W; ++x) {
            const size_t at = size_t(y) * W + x;
            const int32_t r = rows[at];
            out[at] = r < 0 ? Pixels[at] : Pixels[size_t(r) * W + cols[size_t(r) * W + x]];
        }
        RowDone(y);
    }
    Pixels.swap(out);
}

}  // namespace

void MorphFilter(TBitmap* Bitmap, Integer Radius, Integer Kind, Integer x1, Integer y1, Integer x2, Integer y2,
                 const TImgProgressTarget& Progress) {
    if (!img_kernel::Is24(Bitmap) || Kind < mkMaximum || Kind > mkClosing || Radius < 0) return;
    const Integer top = y1;
    if (!img_kernel::ClipRect(Bitmap, x1, y1, x2, y2)) return;
    const Integer w = x2 - x1 + 1, h = y2 - y1 + 1;
    // A window wider than the rectangle sees the whole rectangle.
    Radius = std::min(Radius, std::max(w, h));
    std::vector<TImgRGB> pixels(size_t(w) * h);
    for (Integer y = 0; y < h; ++y) std::copy_n(img_kernel::Row24(Bitmap, y1 + y) + x1, w, &pixels[size_t(y) * w]);

    const Integer count = Kind >= mkOpening ? 2 : 1;
    // Whether each pass takes the maximum: opening is minimum then maximum, closing the reverse.
    const bool order[2] = {Kind == mkMaximum || Kind == mkClosing, Kind == mkOpening};
    for (Integer pass = 0; pass < count; ++pass) {
        MorphPass(pixels, w, h, Radius, order[pass], [&](Integer row) {
            if (!Progress.OnProgress) return;
            if (count == 1)
                img_kernel::ReportRow(Progress, y1 + row, top, y2);
            else
                Progress.OnProgress(Progress.Sender,
                                    Integer(Trunc((pass * h + row + 1) * 100 / (2 * (y2 - top + 0.5)))));
        });
    }
    for (Integer y = 0; y < h; ++y) std::copy_n(&pixels[size_t(y) * w], w, img_kernel::Row24(Bitmap, y1 + y) + x1);
}
