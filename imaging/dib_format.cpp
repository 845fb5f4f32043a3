#include "imaging/dib_format.h"

#include <algorithm>
#include <cstring>

#include "framework/byte_order.h"
#include "framework/dib_reader.h"

TImgDIBError ImgParseDIB(const void* Block, size_t Size, const void* Pixels, size_t PixelsSize,
                         TImgDIBLayout& L) {
    L = TImgDIBLayout{};
    const Byte* b = static_cast<const Byte*>(Block);
    if (!b || Size < ImgDIBHeaderSize) return TImgDIBError::Truncated;
    if (LoadLE32(b) < ImgDIBHeaderSize) return TImgDIBError::BadHeader;

    TDibBlock d;
    TDibError e = DibReadBlock(b, Size, Pixels, PixelsSize, d);
    const TDibHeader& h = d.Header;
    if (e == TDibError::None && h.Empty()) return TImgDIBError::BadHeader;
    L.Width = Integer(h.Width);
    L.Height = Integer(h.Height);
    L.TopDown = h.TopDown;
    L.BitCount = h.BitCount;
    L.Compression = h.Compression;
    if (e == TDibError::Unsupported) L.YUV = YUVLayoutOfCode(h.Compression);
    if (L.YUV) {
        if (h.Empty()) return TImgDIBError::BadHeader;
        // The frame's pixels always come separately; the block is the header.
        if (!Pixels) return TImgDIBError::MissingPixels;
        if (L.Width % L.YUV->GroupPixels != 0) return TImgDIBError::BadYUVSize;
        const Int64 width = L.Width, height = L.Height;
        Int64 need;
        if (L.YUV->Planar) {
            const Int64 step = L.YUV->GroupPixels;
            const Int64 chromaRows = (height + step - 1) / step;
            need = width * height + 2 * (width / step) * chromaRows;
        } else {
            need = width / L.YUV->GroupPixels * L.YUV->GroupBytes * height;
        }
        if (Int64(PixelsSize) < need) return TImgDIBError::Truncated;
        L.Pixels = static_cast<const Byte*>(Pixels);
        L.PixelBytes = PixelsSize;
        return TImgDIBError::None;
    }
    if (e == TDibError::None && h.RunLength()) return TImgDIBError::Compressed;
    switch (e) {
    case TDibError::None: break;
    case TDibError::Truncated: return TImgDIBError::Truncated;
    case TDibError::BadHeader: return TImgDIBError::BadHeader;
    case TDibError::Unsupported: return h.RunLength() ? TImgDIBError::Compressed : TImgDIBError::Unsupported;
    case TDibError::BadMasks: return TImgDIBError::BadMasks;
    }
    if (L.BitCount <= 8) {
        L.Palette = d.Format.Palette;
        L.PaletteCount = Integer(d.Format.PaletteCount);
    }
    std::copy(h.Masks, h.Masks + 3, L.Masks);
    L.Pixels = d.Pixels;
    L.PixelBytes = d.PixelBytes;
    L.RowBytes = Integer(h.RowBytes());
    return TImgDIBError::None;
}

void ImgDIBRowTo24Bit(const TImgDIBLayout& L, const Byte* s, TImgRGB* d) {
    TDibRowFormat f;
    f.BitCount = L.BitCount;
    f.Palette = L.Palette;
    f.PaletteCount = size_t(L.PaletteCount);
    std::copy(L.Masks, L.Masks + 3, f.Masks);
    f.FullRange = false;
    DibDecodeRowBGR(f, s, L.Width, reinterpret_cast<uint8_t*>(d));
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
