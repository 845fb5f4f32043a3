#include "imaging/bitmap_rows.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

// Bit runs

namespace {

// The 8 bits of Source starting at bit s (most significant first).
inline Byte Fetch8(const Byte* src, Integer s) {
    const Integer i = s >> 3, shift = s & 7;
    if (shift == 0) return src[i];
    return Byte((src[i] << shift) | (src[i + 1] >> (8 - shift)));
}

// Copies a run of fewer than 8 bits one at a time.
inline void CopyBitsSlow(Byte* dst, const Byte* src, Integer d, Integer n, Integer s) {
    for (Integer k = 0; k < n; ++k) SetRowBit(dst, d + k, GetRowBit(src, s + k));
}

}  // namespace

void CopyBitRun(void* Dest, const void* Source, Integer DestBit, Integer Count, Integer SourceBit) {
    if (Count <= 0) return;
    Byte* dst = static_cast<Byte*>(Dest);
    const Byte* src = static_cast<const Byte*>(Source);

    // Head: up to the next byte boundary of Dest.
    const Integer head = std::min(Count, (8 - (DestBit & 7)) & 7);
    CopyBitsSlow(dst, src, DestBit, head, SourceBit);
    DestBit += head;
    SourceBit += head;
    Count -= head;

    // Whole bytes of Dest.
    const Integer bytes = Count >> 3;
    Byte* d = dst + (DestBit >> 3);
    if ((SourceBit & 7) == 0) {
        std::memmove(d, src + (SourceBit >> 3), size_t(bytes));
    } else {
        for (Integer k = 0; k < bytes; ++k) d[k] = Fetch8(src, SourceBit + 8 * k);
    }
    DestBit += bytes * 8;
    SourceBit += bytes * 8;
    Count -= bytes * 8;

    // Tail.
    CopyBitsSlow(dst, src, DestBit, Count, SourceBit);
}

// Expansion of 1-bit rows

namespace {

std::array<Byte, 256 * 24> MakeExpandTable() {
    std::array<Byte, 256 * 24> t{};
    for (int v = 0; v < 256; ++v)
        for (int bit = 0; bit < 8; ++bit) {
            const Byte c = (v & (0x80 >> bit)) ? 255 : 0;
            for (int k = 0; k < 3; ++k) t[size_t(v * 24 + bit * 3 + k)] = c;
        }
    return t;
}

const std::array<Byte, 256 * 24> kExpandTable = MakeExpandTable();

}  // namespace

const Byte* ImgExpandTable() { return kExpandTable.data(); }

void Expand1BitRow(const Byte* Source, TImgRGB* Dest, Integer Width) {
    Byte* out = reinterpret_cast<Byte*>(Dest);
    const Integer whole = Width >> 3;
    for (Integer i = 0; i < whole; ++i) std::memcpy(out + i * 24, &kExpandTable[Source[i] * 24u], 24);
    const Integer rest = Width & 7;
    if (rest) std::memcpy(out + whole * 24, &kExpandTable[Source[whole] * 24u], size_t(rest) * 3);
}

// Ordered dithering

const Byte ImgDitherMatrix[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

void DitherRowOrdered(const TImgRGB* Source, Byte* Dest, Integer Width, Integer Y) {
    Byte threshold[8];
    for (int k = 0; k < 8; ++k) threshold[k] = ImgDitherMatrix[k][Y & 7];
    Integer x = 0;
    for (Integer i = 0; x < Width; ++i) {
        Byte b = 0;
        const Integer n = std::min<Integer>(8, Width - x);
        for (Integer k = 0; k < n; ++k, ++x)
            if ((ImgRGBGrayLevel(Source[x]) >> 2) > threshold[k]) b |= Byte(0x80u >> k);
        Dest[i] = b;
    }
}

// Polygons

bool ImgIsRectangle(const TPoint* Points, Integer Count) {
    if (Count != 4 || !Points) return false;
    auto vertical = [](const TPoint& a, const TPoint& b) { return a.X == b.X && a.Y != b.Y; };
    auto horizontal = [](const TPoint& a, const TPoint& b) { return a.X != b.X && a.Y == b.Y; };
    bool startsVertical = true, startsHorizontal = true;
    for (Integer i = 0; i < 4; ++i) {
        const TPoint& a = Points[i];
        const TPoint& b = Points[(i + 1) % 4];
        const bool even = i % 2 == 0;
        startsVertical = startsVertical && (even ? vertical(a, b) : horizontal(a, b));
        startsHorizontal = startsHorizontal && (even ? horizontal(a, b) : vertical(a, b));
    }
    return startsVertical || startsHorizontal;
}

void ForEachPolygon(const TPoint* Points, Integer Count,
                    const std::function<void(const TPoint*, Integer)>& Fn) {
    Integer start = 0;
    for (Integer i = 0; i <= Count; ++i) {
        if (i == Count || Points[i].X == ImgPolygonSeparator) {
            if (i > start) Fn(Points + start, i - start);
            start = i + 1;
        }
    }
}

namespace {

struct Edge {
    Int64 x0, y0, dx, dy;  // upper end and direction, dy > 0
    Integer top, bottom;    // rows top <= y < bottom cross the edge's span
};

// Floor and ceiling of n / d for d > 0.
inline Int64 CeilDiv(Int64 n, Int64 d) { return n >= 0 ? (n + d - 1) / d : -((-n) / d); }

}  // namespace

void PolygonSpans(const TPoint* Points, Integer Count, Integer Top, Integer Bottom,
                  const std::function<void(Integer y, Integer x1, Integer x2)>& Span) {
    if (Count < 3 || Top >= Bottom) return;
    std::vector<Edge> edges;
    edges.reserve(size_t(Count));
    for (Integer i = 0; i < Count; ++i) {
        TPoint a = Points[i], b = Points[(i + 1) % Count];
        if (a.Y == b.Y) continue;
        if (a.Y > b.Y) std::swap(a, b);
        edges.push_back(Edge{a.X, a.Y, Int64(b.X) - a.X, Int64(b.Y) - a.Y, a.Y, b.Y});
    }
    if (edges.empty()) return;
    std::sort(edges.begin(), edges.end(), [](const Edge& l, const Edge& r) { return l.top < r.top; });

    Integer yStart = std::max(Top, edges.front().top);
    Integer yEnd = Top;
    for (const Edge& e : edges) yEnd = std::max(yEnd, e.bottom);
    yEnd = std::min(yEnd, Bottom);

    std::vector<const Edge*> active;
    std::vector<Int64> xs;
    size_t next = 0;
    for (Integer y = yStart; y < yEnd; ++y) {
        while (next < edges.size() && edges[next].top <= y) active.push_back(&edges[next++]);
        active.erase(std::remove_if(active.begin(), active.end(),
                                    [y](const Edge* e) { return e->bottom <= y; }),
                     active.end());
        if (active.empty()) continue;
        xs.clear();
        for (const Edge* e : active) {
            // First pixel whose centre lies at or right of the crossing at the row's centre line:
            // ceil(x0 + (y + 0.5 - y0) * dx / dy - 0.5), computed exactly.
            const Int64 n = (2 * e->x0 - 1) * e->dy + (2 * (Int64(y) - e->y0) + 1) * e->dx;
            xs.push_back(CeilDiv(n, 2 * e->dy));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t k = 0; k + 1 < xs.size(); k += 2)
            if (xs[k] < xs[k + 1]) Span(y, Integer(xs[k]), Integer(xs[k + 1]));
    }
}
