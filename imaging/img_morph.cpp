// The morphological filters: maximum, minimum, opening and closing over a square window.
//
// A pass gives each pixel the colour of the first pixel in scan order (rows top down, columns
// left to right) of its window with the strictly best grey. "Best grey, then earliest row, then
// earliest column" is a total order, so the window's winner is the winner among the winners of
// its rows: one pass along each row, then one down each column. Each is a sliding maximum over
// keys that pack the grey above the position, which costs the same for every radius; the
// column pass keeps only two blocks of rows of keys.

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

// Running maxima over Count elements of Lanes keys each (element i at i * Lanes): Out[i] becomes
// the maximum of elements 0..i (Forward) or i..Count - 1.
void RunningMax(const TKey* Keys, Integer Count, size_t Lanes, TKey* Out, bool Forward) {
    if (Count <= 0) return;
    const Integer first = Forward ? 0 : Count - 1, step = Forward ? 1 : -1;
    std::copy_n(Keys + size_t(first) * Lanes, Lanes, Out + size_t(first) * Lanes);
    for (Integer n = 1, i = first + step; n < Count; ++n, i += step) {
        const TKey *k = Keys + size_t(i) * Lanes, *q = Out + size_t(i - step) * Lanes;
        TKey* o = Out + size_t(i) * Lanes;
        for (size_t c = 0; c < Lanes; ++c) o[c] = std::max(q[c], k[c]);
    }
}

// Sliding maxima by van Herk's scheme: the sequence is padded with Radius keys of 0 (which never
// win) at each end and cut into blocks of the window's length 2 * Radius + 1; a window then spans
// the end of one block and the start of the next, so its maximum is the larger of the maximum to
// its block's end and the maximum from the next block's start.
//
// One pass works down the rectangle in place. Each source row, when first needed, is copied
// with its row winners (the column and goodness of the best pixel of each pixel's row window)
// into a ring of rows; the column windows are taken a block of rows at a time over all columns,
// and each finished row is written back. The ring holds the rows from the oldest one a window
// still reaches to the newest one a block has read, so memory stays a few blocks of rows.
class TMorphPass {
public:
    TMorphPass(TBitmap* Bitmap, Integer X1, Integer Y1, Integer W, Integer H, Integer Radius, bool Maximum)
        : FBitmap(Bitmap), FX1(X1), FY1(Y1), FW(W), FH(H), FMaximum(Maximum) {
        FRh = std::min(Radius, W - 1);
        FRv = std::min(Radius, H - 1);
        FBlock = 2 * FRv + 1;
        FRing = std::min(2 * FBlock + 1, H);
        FColours.resize(size_t(FRing) * W);
        FGood.resize(size_t(FRing) * W);
        FCols.resize(size_t(FRing) * W);
        FRowKeys.assign(size_t(W + 2 * FRh), 0);
        FRowPre.resize(FRowKeys.size());
        FRowSuf.resize(FRowKeys.size());
    }

    // Writes every row, calling RowDone(row) after each.
    void Run(const std::function<void(Integer)>& RowDone) {
        const Integer padded = FH + 2 * FRv;
        const size_t lanes = size_t(FW), size = size_t(FBlock) * lanes;
        std::vector<TKey> current(size), next(size), pre(size), suf(size), best(lanes);
        Fill(current, 0, std::min(FBlock, padded));
        for (Integer k0 = 0; k0 < FH; k0 += FBlock) {
            RunningMax(current.data(), std::min(FBlock, padded - k0), lanes, suf.data(), false);
            const Integer k1 = k0 + FBlock, n1 = std::min(FBlock, padded - k1);
            if (n1 > 0) {
                Fill(next, k1, n1);
                RunningMax(next.data(), n1, lanes, pre.data(), true);
            }
            for (Integer y = k0; y < std::min(k1, FH); ++y) {
                // Row y's window is padded rows y .. y + 2 * radius: at the block's start the
                // whole block.
                const TKey* s = &suf[size_t(y - k0) * lanes];
                if (y == k0) {
                    Write(y, s);
                } else {
                    const TKey* p = &pre[size_t(y + 2 * FRv - k1) * lanes];
                    for (size_t x = 0; x < lanes; ++x) best[x] = std::max(s[x], p[x]);
                    Write(y, best.data());
                }
                RowDone(y);
            }
            current.swap(next);
        }
    }

private:
    size_t Slot(Integer y) const { return size_t(y % FRing) * FW; }

    // Source rows up to Row (limited to the rectangle) copied into the ring with their row
    // winners.
    void Load(Integer Row) {
        Row = std::min(Row, FH - 1);
        for (; FLoaded <= Row; ++FLoaded) {
            const size_t at = Slot(FLoaded);
            TImgRGB* colours = &FColours[at];
            std::copy_n(img_kernel::Row24(FBitmap, FY1 + FLoaded) + FX1, FW, colours);
            for (Integer x = 0; x < FW; ++x) {
                const Integer g = ImgRGBGrayLevel(colours[x]);
                FRowKeys[size_t(x + FRh)] = MakeKey(FMaximum ? g : 255 - g, x);
            }
            const Integer block = 2 * FRh + 1, padded = FW + 2 * FRh;
            for (Integer b0 = 0; b0 < padded; b0 += block) {
                const Integer n = std::min(block, padded - b0);
                RunningMax(&FRowKeys[size_t(b0)], n, 1, &FRowPre[size_t(b0)], true);
                RunningMax(&FRowKeys[size_t(b0)], n, 1, &FRowSuf[size_t(b0)], false);
            }
            for (Integer x = 0; x < FW; ++x) {
                const TKey best = std::max(FRowSuf[size_t(x)], FRowPre[size_t(x + 2 * FRh)]);
                FCols[at + size_t(x)] = uint32_t(KeyPos(best));
                FGood[at + size_t(x)] = Byte(KeyGoodness(best));
            }
        }
    }

    // Keys of padded rows K0 .. K0 + N - 1 for the column windows: each row winner's goodness
    // above the row.
    void Fill(std::vector<TKey>& Into, Integer K0, Integer N) {
        for (Integer i = 0; i < N; ++i) {
            TKey* k = &Into[size_t(i) * FW];
            const Integer y = K0 + i - FRv;
            if (y < 0 || y >= FH) {
                std::fill_n(k, FW, 0);
                continue;
            }
            Load(y);
            const Byte* good = &FGood[Slot(y)];
            for (Integer x = 0; x < FW; ++x) k[x] = MakeKey(good[x], y);
        }
    }

    // Row Y of the result from its windows' maxima (goodness 0: no pixel qualifies, the pixel
    // stays).
    void Write(Integer Y, const TKey* Best) {
        TImgRGB* out = img_kernel::Row24(FBitmap, FY1 + Y) + FX1;
        for (Integer x = 0; x < FW; ++x) {
            const TKey b = Best[x];
            if (KeyGoodness(b) == 0) continue;
            const size_t at = Slot(KeyPos(b));
            out[x] = FColours[at + FCols[at + size_t(x)]];
        }
    }

    TBitmap* FBitmap;
    Integer FX1, FY1, FW, FH;
    bool FMaximum;
    Integer FRh = 0, FRv = 0, FBlock = 1, FRing = 1, FLoaded = 0;
    std::vector<TImgRGB> FColours;
    std::vector<Byte> FGood;
    std::vector<uint32_t> FCols;
    std::vector<TKey> FRowKeys, FRowPre, FRowSuf;
};

}  // namespace

void MorphFilter(TBitmap* Bitmap, Integer Radius, Integer Kind, Integer x1, Integer y1, Integer x2, Integer y2,
                 const TImgProgressTarget& Progress) {
    if (!img_kernel::Is24(Bitmap) || Kind < mkMaximum || Kind > mkClosing || Radius < 0) return;
    const Integer top = y1;
    if (!img_kernel::ClipRect(Bitmap, x1, y1, x2, y2)) return;
    const Integer w = x2 - x1 + 1, h = y2 - y1 + 1;
    const Integer count = Kind >= mkOpening ? 2 : 1;
    // Whether each pass takes the maximum: opening is minimum then maximum, closing the reverse.
    const bool order[2] = {Kind == mkMaximum || Kind == mkClosing, Kind == mkOpening};
    for (Integer pass = 0; pass < count; ++pass) {
        TMorphPass(Bitmap, x1, y1, w, h, Radius, order[pass]).Run([&](Integer row) {
            if (!Progress.OnProgress) return;
            if (count == 1)
                img_kernel::ReportRow(Progress, y1 + row, top, y2);
            else
                Progress.OnProgress(Progress.Sender,
                                    Integer(Trunc((pass * h + row + 1) * 100 / (2 * (y2 - top + 0.5)))));
        });
    }
}
