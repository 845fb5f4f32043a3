#include "imaging/dib_format.h"

#include <bit>
#include <cstring>

#include "imaging/img_utils.h"

namespace {

inline Cardinal U32(const Byte* p) {
    return Cardinal(p[0]) | Cardinal(p[1]) << 8 | Cardinal(p[2]) << 16 | Cardinal(p[3]) << 24;
}
inline Word U16(const Byte* p) { return Word(p[0] | p[1] << 8); }

// The channel value of a 16-bit pixel scaled to 8 bits.
inline Byte Channel(Cardinal p, Cardinal mask, int low, int count) {
    const Cardinal v = (p & mask) >> low;
    return count >= 8 ? Byte(v >> (count - 8)) : Byte(v << (8 - count));
}

}  // namespace

bool ImgDIBGoodMask(Cardinal m) {
    if (m == 0 || m > 0xFFFF) return false;
    const Cardinal run = m >> std::countr_zero(m);
    return (run & (run + 1)) == 0;
}

TImgDIBError ImgParseDIB(const void* Block, size_t Size, const void* Pixels, size_t PixelsSize,
                         TImgDIBLayout& L) {
    L = TImgDIBLayout{};
    const Byte* b = static_cast<const Byte*>(Block);
    if (!b || Size < ImgDIBHeaderSize) return TImgDIBError::Truncated;
    BITMAPINFOHEADER h;
    std::memcpy(&h, b, sizeof h);
    const Cardinal headerSize = h.biSize;
    if (headerSize < ImgDIBHeaderSize) return TImgDIBError::BadHeader;
    if (headerSize > Size) return TImgDIBError::Truncated;

    const Int64 width = h.biWidth;
    const Int64 height = h.biHeight;
    const Integer bits = h.biBitCount;
    const Cardinal compression = h.biCompression;
    const Cardinal colorsUsed = h.biClrUsed;
    if (width <= 0 || width > ImgDIBMaxSide || height == 0 || height < -ImgDIBMaxSide ||
        height > ImgDIBMaxSide)
        return TImgDIBError::BadHeader;
    const Int64 absHeight = height < 0 ? -height : height;
    if (width * absHeight > ImgDIBMaxPixels) return TImgDIBError::BadHeader;
    L.Width = Integer(width);
    L.Height = Integer(absHeight);
    L.TopDown = height < 0;
    L.BitCount = bits;
    L.Compression = compression;

    if (compression == BI_RLE8 || compression == BI_RLE4) return TImgDIBError::Compressed;
    if (compression == BI_RGB) {
        if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
            return TImgDIBError::Unsupported;
    } else if (compression == BI_BITFIELDS) {
        if (bits != 16 && bits != 32) return TImgDIBError::Unsupported;
    } else {
        L.YUV = YUVLayoutOfCode(compression);
        if (!L.YUV) return TImgDIBError::Unsupported;
    }

    size_t pos = headerSize;
    if (L.YUV) {
        // The frame's pixels always come separately; the block is the header.
        if (!Pixels) return TImgDIBError::MissingPixels;
        if (L.Width % L.YUV->GroupPixels != 0) return TImgDIBError::BadYUVSize;
        Int64 need;
        if (L.YUV->Planar) {
            const Int64 step = L.YUV->GroupPixels;
            const Int64 chromaRows = (absHeight + step - 1) / step;
            need = width * absHeight + 2 * (width / step) * chromaRows;
        } else {
            need = width / L.YUV->GroupPixels * L.YUV->GroupBytes * absHeight;
        }
        if (Int64(PixelsSize) < need) return TImgDIBError::Truncated;
        L.Pixels = static_cast<const Byte*>(Pixels);
        L.PixelBytes = PixelsSize;
        return TImgDIBError::None;
    }

    if (compression == BI_BITFIELDS) {
        const Byte* m;
        if (headerSize >= ImgDIBHeaderSize + 12) {
            m = b + ImgDIBHeaderSize;  // later header versions carry the masks inside
        } else {
            if (Size - pos < 12) return TImgDIBError::Truncated;
            m = b + pos;
            pos += 12;
        }
        for (int k = 0; k < 3; ++k) L.Masks[k] = U32(m + 4 * k);
    } else if (bits == 16) {
        L.Masks[0] = 0x7C00;
        L.Masks[1] = 0x03E0;
        L.Masks[2] = 0x001F;
    }
    if (bits == 16)
        for (Cardinal mask : L.Masks)
            if (!ImgDIBGoodMask(mask)) return TImgDIBError::BadMasks;

    Int64 paletteCount = colorsUsed;
    if (bits <= 8) {
        if (paletteCount == 0) paletteCount = Int64(1) << bits;
        if (paletteCount > 256) return TImgDIBError::BadHeader;
    }
    if (Int64(Size - pos) < paletteCount * 4) return TImgDIBError::Truncated;
    if (bits <= 8) {
        L.Palette = b + pos;
        L.PaletteCount = Integer(paletteCount);
    }
    pos += size_t(paletteCount) * 4;

    if (Pixels) {
        L.Pixels = static_cast<const Byte*>(Pixels);
        L.PixelBytes = PixelsSize;
    } else {
        L.Pixels = b + pos;
        L.PixelBytes = Size - pos;
    }
    L.RowBytes = ImgBitmapRowLen(L.Width, bits);
    if (Int64(L.PixelBytes) < Int64(L.RowBytes) * absHeight) return TImgDIBError::Truncated;
    return TImgDIBError::None;
}

void ImgDIBRowTo24Bit(const TImgDIBLayout& L, const Byte* s, TImgRGB* d) {
    const Integer w = L.Width;
    auto color = [&L](unsigned index, TImgRGB& out) {
        if (index < unsigned(L.PaletteCount)) {
            const Byte* e = L.Palette + index * 4;
            out.b = e[0];
            out.g = e[1];
            out.r = e[2];
        } else {
            out = TImgRGB{};
        }
    };
    switch (L.BitCount) {
    case 4:
        for (Integer x = 0; x < w; ++x) color((x & 1) ? (s[x >> 1] & 0x0F) : (s[x >> 1] >> 4), d[x]);
        break;
    case 8:
        for (Integer x = 0; x < w; ++x) color(s[x], d[x]);
        break;
    case 16: {
        int low[3], count[3];
        for (int k = 0; k < 3; ++k) {
            low[k] = std::countr_zero(L.Masks[k]);
            count[k] = MaskBitCount(L.Masks[k]);
        }
        for (Integer x = 0; x < w; ++x, s += 2) {
            const Cardinal p = U16(s);
            d[x].r = Channel(p, L.Masks[0], low[0], count[0]);
            d[x].g = Channel(p, L.Masks[1], low[1], count[1]);
            d[x].b = Channel(p, L.Masks[2], low[2], count[2]);
        }
        break;
    }
    case 24:
        std::memcpy(d, s, size_t(w) * 3);
        break;
    case 32:
        for (Integer x = 0; x < w; ++x, s += 4) {
            d[x].b = s[0];
            d[x].g = s[1];
            d[x].r = s[2];
        }
        break;
    default:
        break;
    }
}

void ImgWriteDIBHeader(void* Dest, Integer Width, Integer Height, Integer BitCount) {
    BITMAPINFOHEADER h{};
    h.biSize = DWORD(sizeof h);
    h.biWidth = Width;
    h.biHeight = Height;
    h.biPlanes = 1;
    h.biBitCount = WORD(BitCount);
    h.biCompression = BI_RGB;
    std::memcpy(Dest, &h, sizeof h);
}
