// Block transfers: BitBlt, StretchBlt, MaskBlt, PatBlt, device-independent bitmaps, the DrawDib
// stand-in, and icons.

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "framework/dib_reader.h"
#include "framework/qt/gdi_backend.h"

using namespace lumora_gdi;

namespace {

// Source column (or row) for each destination column: the pixel under the destination pixel's
// centre; mirrored when the signs of the extents differ.
std::vector<int> MapAxis(int dn, int sn, int s0, bool flip) {
    std::vector<int> m(size_t(std::max(dn, 0)));
    for (int i = 0; i < dn; ++i) {
        int v = dn == sn ? i : int((int64_t(2 * i + 1) * sn) / (int64_t(2) * dn));
        if (flip) v = sn - 1 - v;
        m[size_t(i)] = s0 + v;
    }
    return m;
}

// The destination index range whose source lies inside [0, limit).
std::pair<int, int> ValidRange(const std::vector<int>& m, int limit) {
    int a = 0, b = int(m.size());
    while (a < b && (m[size_t(a)] < 0 || m[size_t(a)] >= limit)) ++a;
    while (b > a && (m[size_t(b - 1)] < 0 || m[size_t(b - 1)] >= limit)) --b;
    return {a, b};
}

void FetchMapped(const Surface& s, int sy, const int* cols, int n, uint32_t* out) {
    const uint8_t* r = s.row(sy);
    switch (s.fmt) {
    case PixFmt::Mono:
        for (int i = 0; i < n; ++i) out[i] = (r[cols[i] >> 3] & (0x80 >> (cols[i] & 7))) ? 0xFFFFFF : 0;
        break;
    case PixFmt::Bgr24:
        for (int i = 0; i < n; ++i) {
            const uint8_t* p = r + cols[i] * 3;
            out[i] = (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
        }
        break;
    case PixFmt::Rgb32:
        for (int i = 0; i < n; ++i) out[i] = reinterpret_cast<const uint32_t*>(r)[cols[i]] & 0xFFFFFF;
        break;
    default: std::memset(out, 0, sizeof(uint32_t) * size_t(n)); break;
    }
}

// SRCCOPY between colour surfaces with nearest sampling, straight on the bytes.
bool FastCopy(const Surface& d, const Surface& s, const QRect& r, const QRect& D, const std::vector<int>& cols,
              const std::vector<int>& rows) {
    if (d.fmt == PixFmt::Mono || s.fmt == PixFmt::Mono) return false;
    const int n = r.width();
    const int* cm = cols.data() + (r.left() - D.left());
    const bool identity = cm[n - 1] - cm[0] == n - 1;
    int prevSrc = -1;
    uint8_t* prevDst = nullptr;
    const size_t dbpp = d.fmt == PixFmt::Rgb32 ? 4 : 3;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const int sy = rows[size_t(y - D.top())];
        uint8_t* dp = d.row(y) + size_t(r.left()) * dbpp;
        if (sy == prevSrc) {
            std::memcpy(dp, prevDst, size_t(n) * dbpp);
            continue;
        }
        const uint8_t* sr = s.row(sy);
        if (d.fmt == PixFmt::Bgr24 && s.fmt == PixFmt::Bgr24) {
            if (identity) {
                std::memmove(dp, sr + size_t(cm[0]) * 3, size_t(n) * 3);
            } else {
                for (int i = 0; i < n; ++i) {
                    const uint8_t* p = sr + cm[i] * 3;
                    dp[i * 3] = p[0];
                    dp[i * 3 + 1] = p[1];
                    dp[i * 3 + 2] = p[2];
                }
            }
        } else if (d.fmt == PixFmt::Rgb32 && s.fmt == PixFmt::Rgb32) {
            auto* o = reinterpret_cast<uint32_t*>(dp);
            const auto* p = reinterpret_cast<const uint32_t*>(sr);
            if (identity) {
                std::memmove(o, p + cm[0], size_t(n) * 4);
                for (int i = 0; i < n; ++i) o[i] |= 0xFF000000u;
            } else {
                for (int i = 0; i < n; ++i) o[i] = p[cm[i]] | 0xFF000000u;
            }
        } else if (d.fmt == PixFmt::Rgb32) {  // from 24 bits
            // Four bytes read at once hold blue, green, red and the next pixel's first byte,
            // which the alpha byte replaces; the row's last pixel is read byte by byte, so no
            // read passes the end of its row.
            auto* o = reinterpret_cast<uint32_t*>(dp);
            const int last = s.width - 1;
            for (int i = 0; i < n; ++i) {
                const uint8_t* p = sr + cm[i] * 3;
                if (cm[i] < last) {
                    uint32_t v;
                    std::memcpy(&v, p, 4);
                    o[i] = v | 0xFF000000u;
                } else {
                    o[i] = 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
                }
            }
        } else {  // 32 bits to 24
            const auto* p = reinterpret_cast<const uint32_t*>(sr);
            for (int i = 0; i < n; ++i) {
                const uint32_t v = p[cm[i]];
                dp[i * 3] = uint8_t(v);
                dp[i * 3 + 1] = uint8_t(v >> 8);
                dp[i * 3 + 2] = uint8_t(v >> 16);
            }
        }
        prevSrc = sy;
        prevDst = dp;
    }
    return true;
}

// A copy of part of a surface (for overlapping copies and smoothed stretching).
struct OwnedSurface {
    std::vector<uint8_t> bits;
    Surface s;
};

OwnedSurface CopyOut(const Surface& src, QRect r) {
    OwnedSurface o;
    r &= QRect(0, 0, src.width, src.height);
    if (r.isEmpty()) return o;
    o.s.fmt = PixFmt::Rgb32;
    o.s.width = src.width;
    o.s.height = src.height;
    o.s.stride = ptrdiff_t(src.width) * 4;
    o.bits.assign(size_t(o.s.stride) * size_t(src.height), 0);
    o.s.bits = o.bits.data();
    for (int y = r.top(); y <= r.bottom(); ++y)
        ReadSpan(src, r.left(), y, r.width(), reinterpret_cast<uint32_t*>(o.s.row(y)) + r.left());
    return o;
}

// Filter taps of one axis for smooth stretching: the source pixels under each destination
// pixel with their weights (area when shrinking, linear when enlarging).
struct Tap {
    int index;
    double weight;
};

std::vector<std::vector<Tap>> Taps(int dn, int sn, bool flip) {
    std::vector<std::vector<Tap>> taps(size_t(std::max(dn, 0)));
    const double scale = double(sn) / dn;
    for (int i = 0; i < dn; ++i) {
        double a = i * scale, b = (i + 1) * scale;
        if (flip) {
            const double na = sn - b, nb = sn - a;
            a = na;
            b = nb;
        }
        auto& t = taps[size_t(i)];
        if (scale >= 1) {
            for (int k = int(std::floor(a)); k < int(std::ceil(b)); ++k) {
                const double overlap = std::min(b, double(k + 1)) - std::max(a, double(k));
                if (overlap > 0) t.push_back({k, overlap / (b - a)});
            }
        } else {
            const double c = (a + b) / 2 - 0.5;
            const int k = int(std::floor(c));
            const double f = c - k;
            t.push_back({std::clamp(k, 0, sn - 1), 1 - f});
            t.push_back({std::clamp(k + 1, 0, sn - 1), f});
        }
    }
    return taps;
}

}  // namespace

namespace lumora_gdi {

bool Blit(HDC__* dst, int x, int y, int w, int h, const BlitSource* src, int sx, int sy, int sw, int sh,
          DWORD rop, int stretchMode, const Surface* mask, int mx, int my, DWORD backRop, int64_t key) {
    const Surface ds = dst->surface();
    if (!ds.valid()) return true;
    const uint8_t idx = uint8_t(rop >> 16);
    const uint8_t bidx = uint8_t(backRop >> 16);
    const bool usesS = RopUsesSource(idx) || (mask && RopUsesSource(bidx));
    const bool usesP = RopUsesPattern(idx) || (mask && RopUsesPattern(bidx));
    if (usesS && (!src || !src->surface.valid())) return src != nullptr;
    if (!usesS) {
        sw = w;
        sh = h;
        sx = sy = 0;
    }
    bool flipX = false, flipY = false;
    if (w < 0) { x += w; w = -w; flipX = !flipX; }
    if (h < 0) { y += h; h = -h; flipY = !flipY; }
    if (sw < 0) { sx += sw; sw = -sw; flipX = !flipX; }
    if (sh < 0) { sy += sh; sh = -sh; flipY = !flipY; }
    if (w == 0 || h == 0 || sw == 0 || sh == 0) return true;

    Surface ss = usesS ? src->surface : Surface{};
    OwnedSurface owned;
    if (usesS) {
        const bool stretched = w != sw || h != sh;
        if (stretched && stretchMode == HALFTONE) {
            // Smooth stretching: the visible part of the destination is filtered from the source
            // first (averaging when shrinking, interpolating when enlarging), then copied 1:1.
            const QRect vb = (dst->Visible() & QRect(x, y, w, h)).boundingRect();
            if (vb.isEmpty()) return true;
            const std::vector<std::vector<Tap>> tx = Taps(w, sw, flipX), ty = Taps(h, sh, flipY);
            owned.s.fmt = PixFmt::Rgb32;
            owned.s.width = vb.width();
            owned.s.height = vb.height();
            owned.s.stride = ptrdiff_t(vb.width()) * 4;
            owned.bits.assign(size_t(vb.width()) * size_t(vb.height()) * 4, 0);
            owned.s.bits = owned.bits.data();
            auto sample = [&](int col, int row) -> uint32_t {
                col = std::clamp(sx + col, 0, ss.width - 1);
                row = std::clamp(sy + row, 0, ss.height - 1);
                uint32_t v = ReadPixel(ss, col, row);
                if (ss.fmt == PixFmt::Mono && ds.fmt != PixFmt::Mono) v = v ? src->mono1 : src->mono0;
                return v;
            };
            for (int yy = 0; yy < vb.height(); ++yy) {
                auto* o = reinterpret_cast<uint32_t*>(owned.s.row(yy));
                const auto& wy = ty[size_t(vb.top() + yy - y)];
                for (int xx = 0; xx < vb.width(); ++xx) {
                    const auto& wx = tx[size_t(vb.left() + xx - x)];
                    double r = 0, g = 0, b = 0;
                    for (const Tap& py : wy)
                        for (const Tap& px : wx) {
                            const uint32_t v = sample(px.index, py.index);
                            const double k = px.weight * py.weight;
                            r += k * ((v >> 16) & 0xFF);
                            g += k * ((v >> 8) & 0xFF);
                            b += k * (v & 0xFF);
                        }
                    auto ch = [](double c) { return uint32_t(std::clamp(int(std::lround(c)), 0, 255)); };
                    o[xx] = 0xFF000000u | (ch(r) << 16) | (ch(g) << 8) | ch(b);
                }
            }
            ss = owned.s;
            x = vb.left();
            y = vb.top();
            w = sw = vb.width();
            h = sh = vb.height();
            sx = sy = 0;
            flipX = flipY = false;
        } else if (ss.bits == ds.bits) {
            owned = CopyOut(ss, QRect(sx, sy, sw, sh));
            if (!owned.s.valid()) return true;
            ss = owned.s;
        }
    }
    const bool srcMonoToColour = usesS && ss.fmt == PixFmt::Mono && ds.fmt != PixFmt::Mono;
    const bool srcColourToMono = usesS && ss.fmt != PixFmt::Mono && ds.fmt == PixFmt::Mono;

    const QRect D(x, y, w, h);
    std::vector<int> cols = MapAxis(w, sw, sx, flipX);
    std::vector<int> rows = MapAxis(h, sh, sy, flipY);
    QRect valid = D;
    if (usesS) {
        const auto [c0, c1] = ValidRange(cols, ss.width);
        const auto [r0, r1] = ValidRange(rows, ss.height);
        if (c0 >= c1 || r0 >= r1) return true;
        valid = QRect(x + c0, y + r0, c1 - c0, r1 - r0);
    }
    const QRegion vis = dst->Visible() & valid;
    if (vis.isEmpty()) return true;

    if (idx == 0xCC && !mask && key < 0 && usesS && !srcMonoToColour && !srcColourToMono && !flipX && !flipY) {
        bool all = true;
        for (const QRect& r : vis) all = FastCopy(ds, ss, r, D, cols, rows) && all;
        if (all) return true;
    }

    Paint pattern;
    if (usesP) pattern = BrushPaint(dst, dst->st.brush.get(), true);
    const bool destMono = ds.fmt == PixFmt::Mono;
    std::vector<uint32_t> sbuf, dbuf;
    std::vector<uint8_t> keyed;
    for (const QRect& r : vis) {
        const int n = r.width();
        sbuf.resize(size_t(n));
        dbuf.resize(size_t(n));
        for (int yy = r.top(); yy <= r.bottom(); ++yy) {
            if (usesS) {
                FetchMapped(ss, rows[size_t(yy - D.top())], cols.data() + (r.left() - D.left()), n, sbuf.data());
                if (key >= 0) {
                    keyed.resize(size_t(n));
                    for (int i = 0; i < n; ++i) keyed[size_t(i)] = sbuf[size_t(i)] == uint32_t(key);
                }
                if (srcMonoToColour) {
                    for (auto& v : sbuf) v = v ? src->mono1 : src->mono0;
                } else if (srcColourToMono) {
                    for (auto& v : sbuf)
                        v = (src->matchBk ? v == (src->bk & 0xFFFFFF) : NearestIsWhite(v)) ? 0xFFFFFF : 0;
                }
            }
            ReadSpan(ds, r.left(), yy, n, dbuf.data());
            for (int i = 0; i < n; ++i) {
                if (key >= 0 && keyed[size_t(i)]) continue;
                uint8_t op = idx;
                if (mask) {
                    const int mxx = mx + (r.left() + i - D.left()), myy = my + (yy - D.top());
                    const bool set = mxx >= 0 && myy >= 0 && mxx < mask->width && myy < mask->height &&
                                     ReadPixel(*mask, mxx, myy) != 0;
                    if (!set) op = bidx;
                }
                uint32_t p = 0;
                if (usesP && !pattern.empty()) {
                    bool o;
                    p = pattern.At(r.left() + i, yy, o);
                    if (destMono) p = ToMono(p);
                }
                dbuf[size_t(i)] = Rop3(op, p, usesS ? sbuf[size_t(i)] : 0, dbuf[size_t(i)]);
            }
            WriteSpan(ds, r.left(), yy, n, dbuf.data());
        }
    }
    return true;
}

}  // namespace lumora_gdi

namespace {

// Between formats a device-independent bitmap goes by its palette (black, white) and the nearest
// colour; a device-dependent monochrome bitmap by the text and background colours.
BlitSource SourceOf(HDC__* dst, HDC__* src) {
    BlitSource b;
    b.surface = src->surface();
    const bool srcDib = src->kind == HDC__::Kind::Memory && src->bitmap && src->bitmap->dib;
    const bool dstDib = dst->kind == HDC__::Kind::Memory && dst->bitmap && dst->bitmap->dib;
    b.mono0 = srcDib ? 0x000000 : RgbOf(dst->st.text);
    b.mono1 = srcDib ? 0xFFFFFF : RgbOf(dst->st.bk);
    b.matchBk = !dstDib;
    b.bk = RgbOf(src->st.bk);
    return b;
}

// A source over a device-independent bitmap; formats the engine cannot read directly are
// converted into owned.
bool DibSource(const BITMAPINFO* info, const void* bits, BlitSource& out, std::vector<uint8_t>& owned) {
    if (!info) return false;
    // The caller's structure holds what its header says it holds, so it is read without a limit.
    TDibHeader h;
    if (DibReadHeader(info, SIZE_MAX, h) != TDibError::None || h.Empty() || h.RunLength()) return false;
    const auto* start = reinterpret_cast<const uint8_t*>(info);
    const TDibRowFormat f = h.RowFormat(start + h.PaletteAt, SIZE_MAX);
    const int w = int(h.Width), ht = int(h.Height), bpp = h.BitCount;
    const bool bottomUp = !h.TopDown;
    const DWORD comp = h.Compression;
    if (!bits) bits = start + h.PixelsAt();
    const int stride = int(h.RowBytes());
    auto* base = static_cast<uint8_t*>(const_cast<void*>(bits));
    Surface s;
    s.width = w;
    s.height = ht;
    if (bottomUp) {
        s.bits = base + size_t(stride) * size_t(ht - 1);
        s.stride = -stride;
    } else {
        s.bits = base;
        s.stride = stride;
    }
    if (bpp == 1) {
        s.fmt = PixFmt::Mono;
        out.surface = s;
        out.mono0 = f.Colour(0);
        out.mono1 = f.PaletteCount > 1 ? f.Colour(1) : 0xFFFFFF;
        return true;
    }
    if (bpp == 24 && comp == BI_RGB) {
        s.fmt = PixFmt::Bgr24;
        out.surface = s;
        return true;
    }
    if (bpp == 32 && comp == BI_RGB) {
        s.fmt = PixFmt::Rgb32;
        out.surface = s;
        return true;
    }
    // 4, 8 and 16 bits, and bit fields: convert to 32 bits.
    if (bpp != 4 && bpp != 8 && bpp != 16 && bpp != 32 && bpp != 24) return false;
    owned.assign(size_t(w) * size_t(ht) * 4, 0);
    for (int y = 0; y < ht; ++y) {
        auto* o = reinterpret_cast<uint32_t*>(owned.data() + size_t(y) * size_t(w) * 4);
        DibDecodeRow(f, s.row(y), w, o);
        for (int x = 0; x < w; ++x) o[x] |= 0xFF000000u;
    }
    Surface c;
    c.bits = owned.data();
    c.width = w;
    c.height = ht;
    c.stride = ptrdiff_t(w) * 4;
    c.fmt = PixFmt::Rgb32;
    out.surface = c;
    return true;
}

}  // namespace

bool PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop) {
    HDC__* d = DC(dc);
    if (!d) return false;
    if (RopUsesSource(uint8_t(rop >> 16))) return false;
    return Blit(d, x + d->dx(), y + d->dy(), width, height, nullptr, 0, 0, width, height, rop, d->st.stretchMode);
}

bool BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop) {
    return StretchBlt(dst, x, y, width, height, src, xSrc, ySrc, width, height, rop);
}

bool StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                int srcHeight, DWORD rop) {
    HDC__* d = DC(dst);
    if (!d) return false;
    HDC__* s = DC(src);
    if (!s) {
        if (RopUsesSource(uint8_t(rop >> 16))) return false;
        return Blit(d, x + d->dx(), y + d->dy(), width, height, nullptr, 0, 0, width, height, rop, d->st.stretchMode);
    }
    const BlitSource bs = SourceOf(d, s);
    return Blit(d, x + d->dx(), y + d->dy(), width, height, &bs, xSrc + s->dx(), ySrc + s->dy(), srcWidth, srcHeight,
                rop, d->st.stretchMode);
}

bool TransparentBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                    int srcHeight, UINT transparent) {
    HDC__* d = DC(dst);
    HDC__* s = DC(src);
    if (!d || !s) return false;
    const BlitSource bs = SourceOf(d, s);
    uint32_t key = RgbOf(transparent);
    if (bs.surface.fmt == PixFmt::Mono) key = ToMono(key);
    return Blit(d, x + d->dx(), y + d->dy(), width, height, &bs, xSrc + s->dx(), ySrc + s->dy(), srcWidth, srcHeight,
                SRCCOPY, d->st.stretchMode == HALFTONE ? COLORONCOLOR : d->st.stretchMode, nullptr, 0, 0, 0, key);
}

bool MaskBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, HBITMAP mask, int xMask,
             int yMask, DWORD rop4) {
    HDC__* d = DC(dst);
    if (!d) return false;
    HBITMAP__* mb = BitmapOf(mask);
    const DWORD fore = rop4 & 0x00FFFFFF;
    const DWORD back = (rop4 >> 8) & 0x00FF0000;
    if (!mb) return BitBlt(dst, x, y, width, height, src, xSrc, ySrc, fore);
    if (mb->bpp != 1) return false;
    const Surface ms = mb->surface();
    HDC__* s = DC(src);
    BlitSource bs;
    if (s) bs = SourceOf(d, s);
    return Blit(d, x + d->dx(), y + d->dy(), width, height, s ? &bs : nullptr, s ? xSrc + s->dx() : 0,
                s ? ySrc + s->dy() : 0, width, height, fore, COLORONCOLOR, &ms, xMask, yMask, back);
}

int StretchDIBits(HDC dc, int xDst, int yDst, int dstWidth, int dstHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, UINT, DWORD rop) {
    HDC__* d = DC(dc);
    if (!d || !info) return 0;
    BlitSource bs;
    std::vector<uint8_t> owned;
    if (!DibSource(info, bits, bs, owned)) return 0;
    const int ht = bs.surface.height;
    // Bottom-up bitmaps count source rows from the bottom.
    const int top = info->bmiHeader.biHeight > 0 ? ht - ySrc - srcHeight : ySrc;
    Blit(d, xDst + d->dx(), yDst + d->dy(), dstWidth, dstHeight, &bs, xSrc, top, srcWidth, srcHeight, rop,
         d->st.stretchMode);
    return std::abs(srcHeight);
}

int SetDIBitsToDevice(HDC dc, int xDst, int yDst, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                      UINT lines, const void* bits, const BITMAPINFO* info, UINT usage) {
    if (!info) return 0;
    // The bits hold `lines` rows from startScan on; describe them as a bitmap of their own.
    std::vector<uint8_t> hdr(sizeof(BITMAPINFOHEADER) + 256 * 4 + 12);
    const size_t hsize = info->bmiHeader.biSize ? info->bmiHeader.biSize : 40;
    std::memcpy(hdr.data(), info, std::min(hdr.size(), hsize + 256 * 4 + 12));
    auto* h = reinterpret_cast<BITMAPINFOHEADER*>(hdr.data());
    const bool bottomUp = info->bmiHeader.biHeight > 0;
    h->biHeight = bottomUp ? LONG(lines) : -LONG(lines);
    const int ys = bottomUp ? ySrc - int(startScan) : ySrc - int(startScan);
    StretchDIBits(dc, xDst, yDst, int(width), int(height), xSrc, ys, int(width), int(height), bits,
                  reinterpret_cast<const BITMAPINFO*>(hdr.data()), usage, SRCCOPY);
    return int(lines);
}

// ---------------------------------------------------------------------------------------------
// DrawDib stand-in

struct HDRAWDIB__ {
    int unused = 0;
};

HDRAWDIB DrawDibOpen() {
    return new HDRAWDIB__;
}

bool DrawDibClose(HDRAWDIB hdd) {
    delete hdd;
    return hdd != nullptr;
}

bool DrawDibDraw(HDRAWDIB hdd, HDC dc, int xDst, int yDst, int dxDst, int dyDst, const BITMAPINFOHEADER* header,
                 const void* bits, int xSrc, int ySrc, int dxSrc, int dySrc, UINT) {
    HDC__* d = DC(dc);
    if (!hdd || !d || !header) return false;
    if (header->biBitCount != 1 && header->biBitCount != 24) return false;
    BlitSource bs;
    std::vector<uint8_t> owned;
    if (!DibSource(reinterpret_cast<const BITMAPINFO*>(header), bits, bs, owned)) return false;
    if (dxSrc < 0) dxSrc = bs.surface.width;
    if (dySrc < 0) dySrc = bs.surface.height;
    if (dxDst < 0) dxDst = dxSrc;
    if (dyDst < 0) dyDst = dySrc;
    return Blit(d, xDst + d->dx(), yDst + d->dy(), dxDst, dyDst, &bs, xSrc, ySrc, dxSrc, dySrc, SRCCOPY, COLORONCOLOR);
}

UINT DrawDibRealize(HDRAWDIB, HDC, bool) {
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Icons

HICON__* lumora_gdi::IconOf(HICON h) { return ObjectAs<HICON__>(h, ObjKind::Icon); }

HBITMAP__* lumora_gdi::BitmapOf(HBITMAP h) { return ObjectAs<HBITMAP__>(h, ObjKind::Bitmap); }

HICON CreateIconIndirect(const ICONINFO* info) {
    if (!info) return nullptr;
    HBITMAP__* mask = BitmapOf(info->hbmMask);
    HBITMAP__* color = BitmapOf(info->hbmColor);
    if (!mask) return nullptr;
    auto* ic = new HICON__;
    ic->isIcon = info->fIcon;
    ic->hotX = int(info->xHotspot);
    ic->hotY = int(info->yHotspot);
    const int w = mask->width;
    const int h = color ? color->height : mask->height / 2;
    QImage andImg(w, h, QImage::Format_Mono);
    QImage xorImg(w, h, QImage::Format_RGB32);
    const Surface ms = mask->surface();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool set = y < ms.height && ReadPixel(ms, x, y) != 0;
            andImg.setPixel(x, y, set ? 1 : 0);
            uint32_t c = 0;
            if (color) {
                if (x < color->width && y < color->height) c = ReadPixel(color->surface(), x, y);
            } else if (y + h < ms.height) {
                c = ReadPixel(ms, x, y + h);
            }
            reinterpret_cast<uint32_t*>(xorImg.scanLine(y))[x] = 0xFF000000u | c;
        }
    }
    ic->andMask = andImg;
    ic->xorImage = xorImg;
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool transparent = andImg.pixelIndex(x, y) != 0;
            const uint32_t c = reinterpret_cast<const uint32_t*>(xorImg.constScanLine(y))[x];
            reinterpret_cast<uint32_t*>(img.scanLine(y))[x] = transparent && (c & 0xFFFFFF) == 0 ? 0u : c;
        }
    ic->image = img;
    return ic;
}

bool GetIconInfo(HICON icon, ICONINFO* info) {
    HICON__* ic = IconOf(icon);
    if (!ic || !info) return false;
    const int w = ic->image.width(), h = ic->image.height();
    info->fIcon = ic->isIcon;
    info->xHotspot = DWORD(ic->isIcon ? w / 2 : ic->hotX);
    info->yHotspot = DWORD(ic->isIcon ? h / 2 : ic->hotY);
    HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
    HBITMAP color = CreateBitmap(w, h, 1, 24, nullptr);
    const Surface ms = BitmapOf(mask)->surface();
    const Surface cs = BitmapOf(color)->surface();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool transparent;
            uint32_t c;
            if (ic->hasAlpha || ic->andMask.isNull()) {
                const QRgb p = ic->image.pixel(x, y);
                transparent = qAlpha(p) < 128;
                c = transparent ? 0 : (qRgb(qRed(p), qGreen(p), qBlue(p)) & 0xFFFFFF);
            } else {
                transparent = ic->andMask.pixelIndex(x, y) != 0;
                c = ic->xorImage.pixel(x, y) & 0xFFFFFF;
            }
            WritePixel(ms, x, y, transparent ? 0xFFFFFF : 0);
            WritePixel(cs, x, y, c);
        }
    info->hbmMask = mask;
    info->hbmColor = color;
    return true;
}

HICON CopyIcon(HICON icon) {
    HICON__* ic = IconOf(icon);
    if (!ic) return nullptr;
    auto* c = new HICON__;
    c->isIcon = ic->isIcon;
    c->hotX = ic->hotX;
    c->hotY = ic->hotY;
    c->image = ic->image.copy();
    c->andMask = ic->andMask.copy();
    c->xorImage = ic->xorImage.copy();
    c->hasAlpha = ic->hasAlpha;
    c->standardShape = ic->standardShape;
    return c;
}

bool DestroyIcon(HICON icon) {
    return DeleteObject(icon);
}

bool DestroyCursor(HCURSOR cursor) {
    return DeleteObject(cursor);
}

TSize GetIconSize(HICON icon) {
    HICON__* ic = IconOf(icon);
    if (!ic) return TSize{};
    return TSize{ic->image.width(), ic->image.height()};
}

bool DrawIcon(HDC dc, int x, int y, HICON icon) {
    return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}

bool DrawIconEx(HDC dc, int x, int y, HICON icon, int width, int height, UINT, HBRUSH flickerFree, UINT flags) {
    HDC__* d = DC(dc);
    HICON__* ic = IconOf(icon);
    if (!d || !ic || ic->image.isNull()) return false;
    if (width <= 0) width = (flags & DI_DEFAULTSIZE) ? 32 : ic->image.width();
    if (height <= 0) height = (flags & DI_DEFAULTSIZE) ? 32 : ic->image.height();
    if (flickerFree) {
        TRect r(x, y, x + width, y + height);
        FillRect(dc, &r, flickerFree);
    }
    const Surface ds = d->surface();
    if (!ds.valid()) return true;
    const int iw = ic->image.width(), ih = ic->image.height();
    const QRect D(x + d->dx(), y + d->dy(), width, height);
    const std::vector<int> cols = MapAxis(width, iw, 0, false);
    const std::vector<int> rows = MapAxis(height, ih, 0, false);
    const bool classic = !ic->hasAlpha && !ic->andMask.isNull();
    std::vector<uint32_t> buf;
    for (const QRect& r : d->Visible() & D) {
        buf.resize(size_t(r.width()));
        for (int yy = r.top(); yy <= r.bottom(); ++yy) {
            const int sy = rows[size_t(yy - D.top())];
            ReadSpan(ds, r.left(), yy, r.width(), buf.data());
            for (int i = 0; i < r.width(); ++i) {
                const int sx = cols[size_t(r.left() + i - D.left())];
                uint32_t& v = buf[size_t(i)];
                if (classic) {
                    const bool andBit = ic->andMask.pixelIndex(sx, sy) != 0;
                    const uint32_t xr =
                        reinterpret_cast<const uint32_t*>(ic->xorImage.constScanLine(sy))[sx] & 0xFFFFFF;
                    if ((flags & DI_MASK) && (flags & DI_IMAGE)) v = (andBit ? v : 0) ^ xr;
                    else if (flags & DI_IMAGE) v = xr;
                    else if (flags & DI_MASK) v = andBit ? 0xFFFFFF : 0;
                } else {
                    const QRgb p = reinterpret_cast<const QRgb*>(ic->image.constScanLine(sy))[sx];  // premultiplied
                    const unsigned a = qAlpha(p);
                    if (!(flags & DI_IMAGE)) {
                        v = a < 128 ? 0xFFFFFF : 0;
                        continue;
                    }
                    if (!(flags & DI_MASK)) {
                        v = p & 0xFFFFFF;
                        continue;
                    }
                    const unsigned ia = 255 - a;
                    const uint32_t r8 = qRed(p) + (((v >> 16) & 0xFF) * ia + 127) / 255;
                    const uint32_t g8 = qGreen(p) + (((v >> 8) & 0xFF) * ia + 127) / 255;
                    const uint32_t b8 = qBlue(p) + ((v & 0xFF) * ia + 127) / 255;
                    v = (std::min(r8, 255u) << 16) | (std::min(g8, 255u) << 8) | std::min(b8, 255u);
                }
            }
            WriteSpan(ds, r.left(), yy, r.width(), buf.data());
        }
    }
    return true;
}
