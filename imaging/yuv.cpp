#include "imaging/yuv.h"

#include <cmath>

namespace {

// The formula's terms for every byte value, so a row costs additions and roundings only. The
// sums are formed in the same order as the formula, so the results are identical.
struct Terms {
    double y[256], ub[256], vg[256], ug[256], vr[256];
    Terms() {
        for (int i = 0; i < 256; ++i) {
            y[i] = (i - 16) * 1.164;
            ub[i] = 2.018 * (i - 128);
            vg[i] = 0.813 * (i - 128);
            ug[i] = 0.391 * (i - 128);
            vr[i] = 1.596 * (i - 128);
        }
    }
};
const Terms kTerms;

// Y, U and V of a packed layout are bytes, except CLJR's small fields; all fit the tables.
inline void Convert(unsigned y, unsigned u, unsigned v, TImgRGB& p) {
    const double d = kTerms.y[y];
    p.b = ImgRoundClampByte(d + kTerms.ub[u]);
    p.g = ImgRoundClampByte(d - kTerms.vg[v] - kTerms.ug[u]);
    p.r = ImgRoundClampByte(d + kTerms.vr[v]);
}

constexpr Cardinal Code(char a, char b, char c, char d) {
    return Cardinal(Byte(a)) | Cardinal(Byte(b)) << 8 | Cardinal(Byte(c)) << 16 |
           Cardinal(Byte(d)) << 24;
}

}  // namespace

void YUVToRGB(Integer Y, Integer U, Integer V, TImgRGB& Pixel) {
    const double d = (Y - 16) * 1.164;
    Pixel.b = ImgRoundClampByte(d + 2.018 * (U - 128));
    Pixel.g = ImgRoundClampByte(d - 0.813 * (V - 128) - 0.391 * (U - 128));
    Pixel.r = ImgRoundClampByte(d + 1.596 * (V - 128));
}

const TYUVLayoutInfo* YUVLayoutOfCode(Cardinal FourCC) {
    static const TYUVLayoutInfo kI420{yuvI420, true, 2, 0, false};
    static const TYUVLayoutInfo kYV12{yuvYV12, true, 2, 0, false};
    static const TYUVLayoutInfo kYVU9{yuvYVU9, true, 4, 0, false};
    static const TYUVLayoutInfo kYUY2{yuvYUY2, false, 2, 4, false};
    static const TYUVLayoutInfo kYVYU{yuvYVYU, false, 2, 4, false};
    static const TYUVLayoutInfo kUYVY{yuvUYVY, false, 2, 4, false};
    static const TYUVLayoutInfo kCYUV{yuvCYUV, false, 2, 4, true};
    static const TYUVLayoutInfo kIYU1{yuvIYU1, false, 4, 6, false};
    static const TYUVLayoutInfo kIYU2{yuvIYU2, false, 1, 3, false};
    static const TYUVLayoutInfo kY211{yuvY211, false, 4, 4, false};
    static const TYUVLayoutInfo kY41P{yuvY41P, false, 8, 12, true};
    static const TYUVLayoutInfo kCLJR{yuvCLJR, false, 4, 4, false};
    switch (FourCC) {
    case Code('I', '4', '2', '0'):
    case Code('I', 'Y', 'U', 'V'): return &kI420;
    case Code('Y', 'V', '1', '2'): return &kYV12;
    case Code('Y', 'V', 'U', '9'): return &kYVU9;
    case Code('Y', 'U', 'Y', '2'):
    case Code('Y', 'U', 'N', 'V'): return &kYUY2;
    case Code('Y', 'V', 'Y', 'U'): return &kYVYU;
    case Code('U', 'Y', 'V', 'Y'):
    case Code('U', 'Y', 'N', 'V'): return &kUYVY;
    case Code('c', 'y', 'u', 'v'): return &kCYUV;
    case Code('I', 'Y', 'U', '1'): return &kIYU1;
    case Code('I', 'Y', 'U', '2'): return &kIYU2;
    case Code('Y', '2', '1', '1'): return &kY211;
    case Code('Y', '4', '1', 'P'): return &kY41P;
    case Code('C', 'L', 'J', 'R'): return &kCLJR;
    default: return nullptr;
    }
}

void YUVPackedRowToRGB(TYUVLayout Layout, const Byte* s, TImgRGB* d, Integer Width) {
    switch (Layout) {
    case yuvYUY2:
        for (Integer x = 0; x + 1 < Width; x += 2, s += 4) {
            Convert(s[0], s[1], s[3], d[x]);
            Convert(s[2], s[1], s[3], d[x + 1]);
        }
        break;
    case yuvYVYU:
        for (Integer x = 0; x + 1 < Width; x += 2, s += 4) {
            Convert(s[0], s[3], s[1], d[x]);
            Convert(s[2], s[3], s[1], d[x + 1]);
        }
        break;
    case yuvUYVY:
    case yuvCYUV:
        for (Integer x = 0; x + 1 < Width; x += 2, s += 4) {
            Convert(s[1], s[0], s[2], d[x]);
            Convert(s[3], s[0], s[2], d[x + 1]);
        }
        break;
    case yuvIYU1:
        for (Integer x = 0; x + 3 < Width; x += 4, s += 6) {
            Convert(s[1], s[0], s[3], d[x]);
            Convert(s[2], s[0], s[3], d[x + 1]);
            Convert(s[4], s[0], s[3], d[x + 2]);
            Convert(s[5], s[0], s[3], d[x + 3]);
        }
        break;
    case yuvIYU2:
        for (Integer x = 0; x < Width; ++x, s += 3) Convert(s[1], s[0], s[2], d[x]);
        break;
    case yuvY211:
        for (Integer x = 0; x + 3 < Width; x += 4, s += 4) {
            Convert(s[0], s[1], s[3], d[x]);
            Convert(s[0], s[1], s[3], d[x + 1]);
            Convert(s[2], s[1], s[3], d[x + 2]);
            Convert(s[2], s[1], s[3], d[x + 3]);
        }
        break;
    case yuvY41P:
        for (Integer x = 0; x + 7 < Width; x += 8, s += 12) {
            const Byte y[8] = {s[1], s[3], s[5], s[7], s[8], s[9], s[10], s[11]};
            for (int k = 0; k < 4; ++k) Convert(y[k], s[0], s[2], d[x + k]);
            for (int k = 4; k < 8; ++k) Convert(y[k], s[4], s[6], d[x + k]);
        }
        break;
    case yuvCLJR:
        for (Integer x = 0; x + 3 < Width; x += 4, s += 4) {
            const Cardinal w = Cardinal(s[0]) | Cardinal(s[1]) << 8 | Cardinal(s[2]) << 16 |
                               Cardinal(s[3]) << 24;
            const unsigned v = w & 0x3F, u = (w >> 6) & 0x3F;
            Convert((w >> 12) & 0x1F, u, v, d[x]);
            Convert((w >> 17) & 0x1F, u, v, d[x + 1]);
            Convert((w >> 22) & 0x1F, u, v, d[x + 2]);
            Convert((w >> 27) & 0x1F, u, v, d[x + 3]);
        }
        break;
    case yuvI420:
    case yuvYV12:
    case yuvYVU9:
        break;  // planar: see YUVPlanarRowToRGB
    }
}

void YUVPlanarRowToRGB(const Byte* Y, const Byte* U, const Byte* V, Integer ChromaStep,
                       TImgRGB* Dest, Integer Width) {
    if (ChromaStep == 2) {
        for (Integer x = 0; x < Width; ++x) Convert(Y[x], U[x >> 1], V[x >> 1], Dest[x]);
    } else {
        for (Integer x = 0; x < Width; ++x)
            Convert(Y[x], U[x / ChromaStep], V[x / ChromaStep], Dest[x]);
    }
}
