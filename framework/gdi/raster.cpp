#include "framework/gdi/raster.h"

#include <algorithm>
#include <cstring>

namespace lumora_gdi {

uint32_t ReadPixel(const Surface& s, int x, int y) {
    const uint8_t* r = s.row(y);
    switch (s.fmt) {
    case PixFmt::Mono: return (r[x >> 3] & (0x80 >> (x & 7))) ? 0xFFFFFF : 0;
    case PixFmt::Bgr24: {
        const uint8_t* p = r + x * 3;
        return (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
    }
    case PixFmt::Rgb32: return reinterpret_cast<const uint32_t*>(r)[x] & 0xFFFFFF;
    default: return 0;
    }
}

void WritePixel(const Surface& s, int x, int y, uint32_t rgb) {
    uint8_t* r = s.row(y);
    switch (s.fmt) {
    case PixFmt::Mono:
        if (NearestIsWhite(rgb)) r[x >> 3] |= uint8_t(0x80 >> (x & 7));
        else r[x >> 3] &= uint8_t(~(0x80 >> (x & 7)));
        break;
    case PixFmt::Bgr24: {
        uint8_t* p = r + x * 3;
        p[0] = uint8_t(rgb);
        p[1] = uint8_t(rgb >> 8);
        p[2] = uint8_t(rgb >> 16);
        break;
    }
    case PixFmt::Rgb32: reinterpret_cast<uint32_t*>(r)[x] = 0xFF000000u | (rgb & 0xFFFFFF); break;
    default: break;
    }
}

void ReadSpan(const Surface& s, int x, int y, int n, uint32_t* out) {
    const uint8_t* r = s.row(y);
    switch (s.fmt) {
    case PixFmt::Mono:
        for (int i = 0; i < n; ++i) {
            const int xx = x + i;
            out[i] = (r[xx >> 3] & (0x80 >> (xx & 7))) ? 0xFFFFFF : 0;
        }
        break;
    case PixFmt::Bgr24: {
        const uint8_t* p = r + x * 3;
        for (int i = 0; i < n; ++i, p += 3) out[i] = (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
        break;
    }
    case PixFmt::Rgb32: {
        const uint32_t* p = reinterpret_cast<const uint32_t*>(r) + x;
        for (int i = 0; i < n; ++i) out[i] = p[i] & 0xFFFFFF;
        break;
    }
    default: std::memset(out, 0, sizeof(uint32_t) * size_t(n)); break;
    }
}

void WriteSpan(const Surface& s, int x, int y, int n, const uint32_t* in) {
    uint8_t* r = s.row(y);
    switch (s.fmt) {
    case PixFmt::Mono:
        for (int i = 0; i < n; ++i) {
            const int xx = x + i;
            if (NearestIsWhite(in[i])) r[xx >> 3] |= uint8_t(0x80 >> (xx & 7));
            else r[xx >> 3] &= uint8_t(~(0x80 >> (xx & 7)));
        }
        break;
    case PixFmt::Bgr24: {
        uint8_t* p = r + x * 3;
        for (int i = 0; i < n; ++i, p += 3) {
            p[0] = uint8_t(in[i]);
            p[1] = uint8_t(in[i] >> 8);
            p[2] = uint8_t(in[i] >> 16);
        }
        break;
    }
    case PixFmt::Rgb32: {
        uint32_t* p = reinterpret_cast<uint32_t*>(r) + x;
        for (int i = 0; i < n; ++i) p[i] = 0xFF000000u | in[i];
        break;
    }
    default: break;
    }
}

void Paint::ToMonochrome() {
    color = ToMono(color);
    for (auto& c : tile) c = ToMono(c);
}

int SkipRun(const uint8_t* c, int i, int n, uint8_t Value) {
    const uint64_t all = 0x0101010101010101ull * Value;
    for (uint64_t w; i + 8 <= n; i += 8) {
        std::memcpy(&w, c + i, 8);
        if (w != all) break;
    }
    while (i < n && c[i] == Value) ++i;
    return i;
}

namespace {

inline uint32_t Mix(uint32_t src, uint32_t dst, unsigned a) {
    const unsigned ia = 255 - a;
    const uint32_t r = (((src >> 16) & 0xFF) * a + ((dst >> 16) & 0xFF) * ia + 127) / 255;
    const uint32_t g = (((src >> 8) & 0xFF) * a + ((dst >> 8) & 0xFF) * ia + 127) / 255;
    const uint32_t b = ((src & 0xFF) * a + (dst & 0xFF) * ia + 127) / 255;
    return (r << 16) | (g << 8) | b;
}

// Fast path: one colour copied over a full span.
void FillSolid(const Surface& s, int x, int y, int n, uint32_t rgb) {
    uint8_t* r = s.row(y);
    switch (s.fmt) {
    case PixFmt::Bgr24: {
        uint8_t* p = r + x * 3;
        const uint8_t b = uint8_t(rgb), g = uint8_t(rgb >> 8), rr = uint8_t(rgb >> 16);
        if (b == g && g == rr) {
            std::memset(p, b, size_t(n) * 3);
        } else if (n < 16) {
            for (int i = 0; i < n; ++i, p += 3) { p[0] = b; p[1] = g; p[2] = rr; }
        } else {
            // One pixel, then copies of what is written, doubling.
            p[0] = b;
            p[1] = g;
            p[2] = rr;
            const size_t total = size_t(n) * 3;
            for (size_t done = 3; done < total;) {
                const size_t part = std::min(done, total - done);
                std::memcpy(p + done, p, part);
                done += part;
            }
        }
        break;
    }
    case PixFmt::Rgb32: {
        uint32_t* p = reinterpret_cast<uint32_t*>(r) + x;
        const uint32_t v = 0xFF000000u | rgb;
        for (int i = 0; i < n; ++i) p[i] = v;
        break;
    }
    case PixFmt::Mono: {
        const bool white = NearestIsWhite(rgb);
        int i = 0;
        for (; i < n && ((x + i) & 7); ++i) {
            const int xx = x + i;
            if (white) r[xx >> 3] |= uint8_t(0x80 >> (xx & 7));
            else r[xx >> 3] &= uint8_t(~(0x80 >> (xx & 7)));
        }
        const int whole = (n - i) / 8;
        if (whole > 0) {
            std::memset(r + ((x + i) >> 3), white ? 0xFF : 0x00, size_t(whole));
            i += whole * 8;
        }
        for (; i < n; ++i) {
            const int xx = x + i;
            if (white) r[xx >> 3] |= uint8_t(0x80 >> (xx & 7));
            else r[xx >> 3] &= uint8_t(~(0x80 >> (xx & 7)));
        }
        break;
    }
    default: break;
    }
}

// Where, from i, the first byte of c[.. n] of at least 128 lies, and the first byte below 128
// (n when there is none); eight bytes are looked at a time.
constexpr uint64_t kHighBits = 0x8080808080808080ull;
int SkipBelowHalf(const uint8_t* c, int i, int n) {
    for (uint64_t w; i + 8 <= n; i += 8) {
        std::memcpy(&w, c + i, 8);
        if (w & kHighBits) break;
    }
    while (i < n && c[i] < 128) ++i;
    return i;
}
int SkipFromHalf(const uint8_t* c, int i, int n) {
    for (uint64_t w; i + 8 <= n; i += 8) {
        std::memcpy(&w, c + i, 8);
        if ((w & kHighBits) != kHighBits) break;
    }
    while (i < n && c[i] >= 128) ++i;
    return i;
}

// Paints pixels x .. x + n - 1 of a row with the paint, each at full strength or by its coverage.
void PaintPixels(const Surface& s, int x, int y, int n, const Paint& paint, int rop2, const uint8_t* cov,
                 bool blend) {
    uint32_t buf[512];
    const bool mono = s.fmt == PixFmt::Mono;
    for (int start = 0; start < n; start += 512) {
        const int m = n - start < 512 ? n - start : 512;
        ReadSpan(s, x + start, y, m, buf);
        bool changed = false;
        for (int i = 0; i < m; ++i) {
            unsigned a = 255;
            if (cov) {
                a = cov[start + i];
                if (a == 0) continue;
                if (!blend || rop2 != R2_COPYPEN || mono) {
                    if (a < 128) continue;
                    a = 255;
                }
            }
            bool op;
            uint32_t p = paint.At(x + start + i, y, op);
            if (!op) continue;
            if (mono) p = ToMono(p);
            uint32_t v = rop2 == R2_COPYPEN ? p : Rop2(rop2, p, buf[i]);
            if (a < 255) v = Mix(v, buf[i], a);
            buf[i] = v;
            changed = true;
        }
        if (changed) WriteSpan(s, x + start, y, m, buf);
    }
}

}  // namespace

void PaintSpan(const Surface& s, int x, int y, int n, const Paint& paint, int rop2, const uint8_t* cov,
               bool blend) {
    if (n <= 0 || paint.kind == Paint::None || rop2 == R2_NOP) return;
    const bool solidCopy = paint.kind == Paint::Solid && rop2 == R2_COPYPEN;
    const uint32_t solid = s.fmt == PixFmt::Mono ? ToMono(paint.color) : paint.color;
    if (!cov) {
        if (solidCopy) FillSolid(s, x, y, n, solid);
        else PaintPixels(s, x, y, n, paint, rop2, nullptr, false);
        return;
    }
    // Coverage goes run by run: pixels left alone are skipped, runs painted at full strength
    // are painted whole (one colour filled at once), and the rest are mixed pixel by pixel.
    const bool partial = blend && rop2 == R2_COPYPEN && s.fmt != PixFmt::Mono;
    int i = 0;
    while (i < n) {
        i = partial ? SkipRun(cov, i, n, 0x00) : SkipBelowHalf(cov, i, n);
        if (i == n) break;
        const int start = i;
        i = partial ? SkipRun(cov, i, n, 0xFF) : SkipFromHalf(cov, i, n);
        const bool full = i > start;
        if (!full)
            while (i < n && cov[i] != 0 && cov[i] != 0xFF) ++i;
        if (solidCopy && full) FillSolid(s, x + start, y, i - start, solid);
        else PaintPixels(s, x + start, y, i - start, paint, rop2, full ? nullptr : cov + start, blend);
    }
}

}  // namespace lumora_gdi
