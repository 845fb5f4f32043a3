#include "framework/qt/raster.h"

#include <cstring>

namespace lumora_gdi {

namespace {

int MaskShift(uint32_t m) {
    int n = 0;
    while (m && !(m & 1)) {
        m >>= 1;
        ++n;
    }
    return n;
}

int MaskWidth(uint32_t m) {
    while (m && !(m & 1)) m >>= 1;
    int n = 0;
    while (m & 1) {
        m >>= 1;
        ++n;
    }
    return n;
}

// One colour channel through its mask, scaled to 8 bits.
uint32_t Channel(uint32_t v, uint32_t m) {
    const int w = MaskWidth(m);
    if (!w) return 0;
    const uint32_t c = (v & m) >> MaskShift(m);
    if (w >= 8) return (c >> (w - 8)) & 0xFF;
    return (c * 255 + ((1u << w) - 1) / 2) / ((1u << w) - 1);
}

}  // namespace

void DecodeDibRow(const DibRowFormat& f, const uint8_t* row, int width, uint32_t* out) {
    auto pal = [&](size_t i) { return i < f.paletteCount ? f.palette[i] & 0xFFFFFF : 0u; };
    uint32_t masks[3] = {f.masks[0], f.masks[1], f.masks[2]};
    if (!masks[0] && !masks[1] && !masks[2]) {
        if (f.bpp == 16) {
            masks[0] = 0x7C00;
            masks[1] = 0x03E0;
            masks[2] = 0x001F;
        } else {
            masks[0] = 0xFF0000;
            masks[1] = 0xFF00;
            masks[2] = 0xFF;
        }
    }
    for (int x = 0; x < width; ++x) {
        switch (f.bpp) {
        case 1: out[x] = pal((row[x >> 3] >> (7 - (x & 7))) & 1); break;
        case 4: out[x] = pal((x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4)); break;
        case 8: out[x] = pal(row[x]); break;
        case 16: {
            const uint32_t v = LoadLE16(row + x * 2);
            out[x] = (Channel(v, masks[0]) << 16) | (Channel(v, masks[1]) << 8) | Channel(v, masks[2]);
            break;
        }
        case 24: out[x] = (uint32_t(row[x * 3 + 2]) << 16) | (uint32_t(row[x * 3 + 1]) << 8) | row[x * 3]; break;
        case 32: {
            const uint32_t v = LoadLE32(row + x * 4);
            out[x] = (Channel(v, masks[0]) << 16) | (Channel(v, masks[1]) << 8) | Channel(v, masks[2]);
            break;
        }
        default: out[x] = 0; break;
        }
    }
}

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
        } else {
            for (int i = 0; i < n; ++i, p += 3) { p[0] = b; p[1] = g; p[2] = rr; }
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

}  // namespace

void PaintSpan(const Surface& s, int x, int y, int n, const Paint& paint, int rop2, const uint8_t* cov,
               bool blend) {
    if (n <= 0 || paint.kind == Paint::None || rop2 == R2_NOP) return;
    if (!cov && paint.kind == Paint::Solid && rop2 == R2_COPYPEN) {
        FillSolid(s, x, y, n, s.fmt == PixFmt::Mono ? ToMono(paint.color) : paint.color);
        return;
    }
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

}  // namespace lumora_gdi
