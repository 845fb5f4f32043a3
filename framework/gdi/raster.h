#pragma once
// Pixel access and raster operations on the pixel blocks the device contexts draw on. Colours
// inside the backend are 0x00RRGGBB ("rgb"); COLORREF values are swapped on the way in.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/windows_gdi.h"

namespace lumora_gdi {

enum class PixFmt : uint8_t { None, Mono, Bgr24, Rgb32 };

struct Surface {
    uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    ptrdiff_t stride = 0;  // may be negative (bottom-up blocks)
    PixFmt fmt = PixFmt::None;
    bool valid() const { return bits && width > 0 && height > 0 && fmt != PixFmt::None; }
    uint8_t* row(int y) const { return bits + ptrdiff_t(y) * stride; }
};

constexpr uint32_t SwapRB(uint32_t c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
inline uint32_t RgbOf(COLORREF c) { return SwapRB(c & 0x00FFFFFF); }
inline COLORREF ColorRefOf(uint32_t rgb) { return SwapRB(rgb & 0x00FFFFFF); }
// The nearer of black and white.
inline bool NearestIsWhite(uint32_t rgb) {
    return int((rgb >> 16) & 0xFF) + int((rgb >> 8) & 0xFF) + int(rgb & 0xFF) >= 383;
}
inline uint32_t ToMono(uint32_t rgb) { return NearestIsWhite(rgb) ? 0xFFFFFF : 0; }

uint32_t ReadPixel(const Surface& s, int x, int y);
void WritePixel(const Surface& s, int x, int y, uint32_t rgb);
void ReadSpan(const Surface& s, int x, int y, int n, uint32_t* out);
void WriteSpan(const Surface& s, int x, int y, int n, const uint32_t* in);

// result = f(P, D) by the binary raster operation (R2_*).
inline uint32_t Rop2(int rop, uint32_t p, uint32_t d) {
    const unsigned t = unsigned(rop - 1) & 0xF;
    uint32_t r = 0;
    if (t & 8) r |= p & d;
    if (t & 4) r |= p & ~d;
    if (t & 2) r |= ~p & d;
    if (t & 1) r |= ~p & ~d;
    return r & 0xFFFFFF;
}

// result = f(P, S, D) by the index byte of a ternary raster operation.
inline uint32_t Rop3(uint8_t idx, uint32_t p, uint32_t s, uint32_t d) {
    switch (idx) {
    case 0xCC: return s;
    case 0xF0: return p;
    case 0xAA: return d;
    case 0x00: return 0;
    case 0xFF: return 0xFFFFFF;
    case 0x55: return ~d & 0xFFFFFF;
    case 0x33: return ~s & 0xFFFFFF;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0x66: return s ^ d;
    case 0x5A: return p ^ d;
    case 0xC0: return p & s;
    case 0xE2: return d ^ (s & (p ^ d));
    case 0xB8: return p ^ (s & (d ^ p));
    default: break;
    }
    uint32_t r = 0;
    for (int i = 0; i < 8; ++i) {
        if (!(idx & (1 << i))) continue;
        r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    }
    return r & 0xFFFFFF;
}
inline bool RopUsesPattern(uint8_t idx) { return ((idx >> 4) & 0x0F) != (idx & 0x0F); }
inline bool RopUsesSource(uint8_t idx) { return ((idx >> 2) & 0x33) != (idx & 0x33); }
inline bool RopUsesDest(uint8_t idx) { return ((idx >> 1) & 0x55) != (idx & 0x55); }

// What a pen or brush puts on a pixel: nothing, one colour, or a tile repeated from an origin
// (hatches and pattern bitmaps). A tile pixel can be transparent (hatch gaps in transparent
// background mode).
struct Paint {
    enum Kind : uint8_t { None, Solid, Tile } kind = None;
    uint32_t color = 0;
    int tw = 0, th = 0;
    int ox = 0, oy = 0;  // device pixel where the tile's (0, 0) lies
    std::vector<uint32_t> tile;
    std::vector<uint8_t> opaque;  // empty: all opaque
    bool empty() const { return kind == None; }
    uint32_t At(int x, int y, bool& isOpaque) const {
        if (kind == Solid) { isOpaque = true; return color; }
        int tx = (x - ox) % tw; if (tx < 0) tx += tw;
        int ty = (y - oy) % th; if (ty < 0) ty += th;
        const size_t i = size_t(ty) * tw + tx;
        isOpaque = opaque.empty() || opaque[i];
        return tile[i];
    }
    // Maps every colour to the nearer of black and white (for monochrome destinations).
    void ToMonochrome();
};

// Where, from i, the first byte of c[0 .. n - 1] other than Value lies (n when there is none).
int SkipRun(const uint8_t* c, int i, int n, uint8_t Value);

// Puts the paint on n pixels of a row with the binary raster operation. cov, when given, holds
// per-pixel coverage 0..255; blend mixes partial coverage (copy mode), otherwise pixels with
// coverage of at least 128 are painted.
void PaintSpan(const Surface& s, int x, int y, int n, const Paint& paint, int rop2, const uint8_t* cov,
               bool blend);

// The points of a line from (x1, y1) towards (x2, y2), the end point left out.
template <class F>
void WalkLine(int x1, int y1, int x2, int y2, F&& f) {
    int dx = x2 - x1, dy = y2 - y1;
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    dx = dx < 0 ? -dx : dx;
    dy = dy < 0 ? -dy : dy;
    int x = x1, y = y1;
    if (dx >= dy) {
        // err tracks 2 * (distance of the true line below the pixel centre) * dx.
        int err = 2 * dy - dx;
        for (int i = 0; i < dx; ++i) {
            f(x, y);
            if (err > 0 || (err == 0 && sy > 0)) { y += sy; err -= 2 * dx; }
            err += 2 * dy;
            x += sx;
        }
    } else {
        int err = 2 * dx - dy;
        for (int i = 0; i < dy; ++i) {
            f(x, y);
            if (err > 0 || (err == 0 && sx > 0)) { x += sx; err -= 2 * dy; }
            err += 2 * dx;
            y += sy;
        }
    }
}

}  // namespace lumora_gdi
