#include "imaging/magic_wand.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>

namespace {

// The joined pixels of the flood fill, one byte each, with their bounding box.
struct TRegion {
    Integer W = 0, H = 0;
    std::vector<Byte> Mask;  // W x H, the whole bitmap
    Integer MinX = 0, MinY = 0, MaxX = -1, MaxY = -1;
};

// A stretch of a row still to be looked at from a joined run: the row, the columns, and the
// direction (+1 or -1) it was reached from.
struct TRun {
    Integer Row, Left, Right, Dir;
};

void Flood(TBitmap* Bitmap, Integer X, Integer Y, Integer Tolerance, TRegion& R) {
    R.W = Bitmap->GetWidth();
    R.H = Bitmap->GetHeight();
    R.Mask.assign(size_t(R.W) * size_t(R.H), 0);
    std::vector<const TImgRGB*> rows(static_cast<size_t>(R.H));
    for (Integer y = 0; y < R.H; ++y) rows[size_t(y)] = static_cast<const TImgRGB*>(Bitmap->ScanLine(y));
    const TImgRGB seed = rows[size_t(Y)][X];
    auto matches = [&](Integer x, Integer y) {
        const TImgRGB& p = rows[size_t(y)][x];
        return std::abs(p.b - seed.b) <= Tolerance && std::abs(p.g - seed.g) <= Tolerance &&
               std::abs(p.r - seed.r) <= Tolerance;
    };
    auto open = [&](Integer x, Integer y) { return !R.Mask[size_t(y) * size_t(R.W) + size_t(x)] && matches(x, y); };
    R.MinX = R.MaxX = X;
    R.MinY = R.MaxY = Y;
    std::vector<TRun> stack;
    stack.reserve(size_t(2) * size_t(R.W));
    // Joins the run through (x, y) and queues the rows above and below it.
    auto join = [&](Integer x, Integer y, Integer dir) {
        Integer l = x, r = x;
        while (l > 0 && open(l - 1, y)) --l;
        while (r < R.W - 1 && open(r + 1, y)) ++r;
        Byte* m = &R.Mask[size_t(y) * size_t(R.W)];
        std::fill(m + l, m + r + 1, Byte(1));
        R.MinX = std::min(R.MinX, l);
        R.MaxX = std::max(R.MaxX, r);
        R.MinY = std::min(R.MinY, y);
        R.MaxY = std::max(R.MaxY, y);
        if (y + dir >= 0 && y + dir < R.H) stack.push_back({y + dir, l, r, dir});
        if (y - dir >= 0 && y - dir < R.H) stack.push_back({y - dir, l, r, -dir});
    };
    join(X, Y, 1);
    while (!stack.empty()) {
        const TRun run = stack.back();
        stack.pop_back();
        for (Integer x = run.Left; x <= run.Right; ++x)
            if (open(x, run.Row)) join(x, run.Row, run.Dir);
    }
}

// Steps of the eight directions, numbered as their letters: east, then counter-clockwise.
constexpr Integer kDX[8] = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr Integer kDY[8] = {0, -1, -1, -1, 0, 1, 1, 1};
// The order in which a trace looks for the next boundary cell: east, north, west, south,
// north-east, north-west, south-west, south-east.
constexpr Integer kLookOrder[8] = {0, 2, 4, 6, 1, 3, 5, 7};

}  // namespace

std::vector<TPoint> MagicWandRegion(TBitmap* Bitmap, Integer X, Integer Y, Integer Tolerance, bool MaxFilter) {
    std::vector<TPoint> result;
    if (!Bitmap || Bitmap->GetPixelFormat() != pf24bit) return result;
    if (X < 0 || Y < 0 || X >= Bitmap->GetWidth() || Y >= Bitmap->GetHeight()) return result;
    try {
        TRegion region;
        Flood(Bitmap, X, Y, Tolerance, region);
        const Integer bw = region.MaxX - region.MinX + 1, bh = region.MaxY - region.MinY + 1;

        // The region in its bounding box; with the maximum filter each pixel marks its 3 x 3
        // neighbourhood.
        std::vector<Byte> box(size_t(bw) * size_t(bh), 0);
        for (Integer y = 0; y < bh; ++y)
            for (Integer x = 0; x < bw; ++x) {
                if (!region.Mask[size_t(y + region.MinY) * size_t(region.W) + size_t(x + region.MinX)]) continue;
                if (!MaxFilter) {
                    box[size_t(y) * size_t(bw) + size_t(x)] = 1;
                    continue;
                }
                for (Integer yy = std::max(y - 1, 0); yy <= std::min(y + 1, bh - 1); ++yy)
                    for (Integer xx = std::max(x - 1, 0); xx <= std::min(x + 1, bw - 1); ++xx)
                        box[size_t(yy) * size_t(bw) + size_t(xx)] = 1;
            }
        region.Mask = std::vector<Byte>();

        // The grid, four cells a pixel and a margin of two cells: 1 for the region, 3 for the
        // cells beside a run of 1s in a row or a column, 2 for boundary cells the trace passed.
        const Integer gw = 4 * bw + 4, gh = 4 * bh + 4;
        std::vector<Byte> grid(size_t(gw) * size_t(gh), 0);
        auto cell = [&](Integer cx, Integer cy) -> Byte& { return grid[size_t(cy) * size_t(gw) + size_t(cx)]; };
        for (Integer y = 0; y < bh; ++y) {
            Byte* rows[4];
            for (Integer k = 0; k < 4; ++k) rows[k] = &cell(0, 2 + 4 * y + k);
            for (Integer x = 0; x < bw; ++x)
                if (box[size_t(y) * size_t(bw) + size_t(x)])
                    for (Integer k = 0; k < 4; ++k) std::fill(rows[k] + 2 + 4 * x, rows[k] + 6 + 4 * x, Byte(1));
        }
        box = std::vector<Byte>();
        for (Integer cy = 0; cy < gh; ++cy)
            for (Integer cx = 1; cx < gw - 1; ++cx) {
                if (cell(cx, cy) != 1) continue;
                if (cell(cx - 1, cy) != 1) cell(cx - 1, cy) = 3;
                if (cell(cx + 1, cy) != 1) cell(cx + 1, cy) = 3;
            }
        for (Integer cy = 1; cy < gh - 1; ++cy)
            for (Integer cx = 0; cx < gw; ++cx) {
                if (cell(cx, cy) != 1) continue;
                if (cell(cx, cy - 1) != 1) cell(cx, cy - 1) = 3;
                if (cell(cx, cy + 1) != 1) cell(cx, cy + 1) = 3;
            }

        // The start: the boundary cell nearest the top-left corner of the boundary cells' box.
        Integer top = gh, left = gw;
        for (Integer cy = 0; cy < gh; ++cy)
            for (Integer cx = 0; cx < gw; ++cx)
                if (cell(cx, cy) == 3) {
                    top = std::min(top, cy);
                    left = std::min(left, cx);
                }
        if (top == gh) return result;
        Integer sx = -1, sy = -1;
        Int64 best = -1;
        for (Integer cy = top; cy < gh; ++cy) {
            const Int64 dy2 = Int64(cy - top) * (cy - top);
            if (best >= 0 && dy2 >= best) break;  // no later row can be nearer
            for (Integer cx = left; cx < gw; ++cx) {
                if (cell(cx, cy) != 3) continue;
                const Int64 d = dy2 + Int64(cx - left) * (cx - left);
                if (best < 0 || d < best) {
                    best = d;
                    sx = cx;
                    sy = cy;
                }
            }
        }
        cell(sx, sy) = 2;

        // The trace, as direction letters.
        std::string letters;
        auto isBoundary = [&](Integer cx, Integer cy) {
            return cx >= 0 && cy >= 0 && cx < gw && cy < gh && cell(cx, cy) == 3;
        };
        Integer cx = sx, cy = sy, last = 1;
        for (;;) {
            if (isBoundary(cx + kDX[last], cy + kDY[last])) {
                cx += kDX[last];
                cy += kDY[last];
                cell(cx, cy) = 2;
                letters += char('0' + last);
            }
            Integer next = -1;
            for (Integer d : kLookOrder)
                if (isBoundary(cx + kDX[d], cy + kDY[d])) {
                    next = d;
                    break;
                }
            if (next < 0) {
                for (Integer d = 0; d < 8; ++d)
                    if (cx + kDX[d] == sx && cy + kDY[d] == sy) {
                        letters += char('0' + d);
                        break;
                    }
                break;
            }
            cx += kDX[next];
            cy += kDY[next];
            cell(cx, cy) = 2;
            letters += char('0' + next);
            last = next;
        }

        // Vertices where the direction changes, in quarter pixels, then in pixels.
        TPoint p{sx + 4 * region.MinX - 1, sy + 4 * region.MinY - 1};
        result.push_back(p);
        char previous = letters.empty() ? 0 : letters[0];
        for (char l : letters) {
            if (l != previous) {
                result.push_back(p);
                previous = l;
            }
            p.X += kDX[l - '0'];
            p.Y += kDY[l - '0'];
        }
        for (TPoint& v : result) {
            v.X /= 4;
            v.Y /= 4;
        }
    } catch (const std::bad_alloc&) {
        result.clear();
    }
    return result;
}
