#include "imaging/dib.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "imaging/bitmap_routines.h"
#include "imaging/dib_format.h"
#include "imaging/img_utils.h"
#include "imaging/yuv.h"

HGLOBAL BitmapToDIB(TBitmap* Bitmap, Integer x1, Integer y1, Integer x2, Integer y2) {
    if (!Bitmap) return nullptr;
    const Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    if (x2 == 0 || x2 >= w) x2 = w - 1;
    if (y2 == 0 || y2 >= h) y2 = h - 1;
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    if (x1 > x2 || y1 > y2) return nullptr;
    const TPixelFormat f = Bitmap->GetPixelFormat();
    const Integer bits = f == pf1bit ? 1 : 24;
    const Integer cw = x2 - x1 + 1, ch = y2 - y1 + 1;
    const Integer rowLen = ImgBitmapRowLen(cw, bits);
    const size_t paletteSize = bits == 1 ? 8 : 0;
    const size_t size = ImgDIBHeaderSize + paletteSize + size_t(rowLen) * size_t(ch);
    // 24-bit rows are written whole (pixels, then zero padding), so only other blocks are cleared.
    const bool wholeRows = f == pf24bit;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE | (wholeRows ? 0 : GMEM_ZEROINIT), size);
    if (!block) return nullptr;
    Byte* p = static_cast<Byte*>(GlobalLock(block));
    ImgWriteDIBHeader(p, cw, ch, bits);
    Byte* rows = p + ImgDIBHeaderSize + paletteSize;
    if (bits == 1) std::memset(p + ImgDIBHeaderSize + 4, 0xFF, 4);  // black, then white
    if (f == pf24bit || f == pf1bit) {
        for (Integer k = 0; k < ch; ++k) {
            const Byte* src = static_cast<const Byte*>(Bitmap->ScanLine(y2 - k));
            Byte* dst = rows + size_t(k) * size_t(rowLen);
            if (bits == 24) {
                std::memcpy(dst, src + size_t(x1) * 3, size_t(cw) * 3);
                std::memset(dst + size_t(cw) * 3, 0, size_t(rowLen) - size_t(cw) * 3);
            } else {
                CopyBitRun(dst, src, 0, cw, x1);
            }
        }
    }
    GlobalUnlock(block);
    return block;
}

HGLOBAL PolygonToDIB(TBitmap* Bitmap, Integer x1, Integer y1, Integer x2, Integer y2,
                     const TPoint* Points, Integer Count) {
    if (!Bitmap) return nullptr;
    std::unique_ptr<TBitmap> region(Create<TBitmap>());
    CopyPolygonRegion(Bitmap, region.get(), x1, y1, x2, y2, Points, Count);
    return BitmapToDIB(region.get(), 0, 0, region->GetWidth() - 1, region->GetHeight() - 1);
}

Integer DIBToBitmap(HGLOBAL DIB, TBitmap* Bitmap, const void* Pixels, size_t PixelsSize) {
    if (!DIB) return 0;
    const void* p = GlobalLock(DIB);
    const Integer bits = DIBToBitmap(p, GlobalSize(DIB), Bitmap, Pixels, PixelsSize);
    GlobalUnlock(DIB);
    return bits;
}

Integer DIBToBitmap(const void* DIB, size_t DIBSize, TBitmap* Bitmap, const void* Pixels,
                    size_t PixelsSize) {
    if (!Bitmap) return 0;
    TImgDIBLayout L;
    if (ImgParseDIB(DIB, DIBSize, Pixels, PixelsSize, L) != TImgDIBError::None) return 0;

    const Integer w = L.Width, h = L.Height;
    ImgPrepareBitmap(Bitmap, !L.YUV && L.BitCount == 1 ? pf1bit : pf24bit, w, h);

    if (L.YUV) {
        const TYUVLayoutInfo& info = *L.YUV;
        // The first row of data is the top row unless the layout or a negative height says
        // otherwise (both together cancel out).
        const bool fromBottom = info.FromBottom != L.TopDown;
        if (info.Planar) {
            const Integer step = info.GroupPixels;
            const size_t chromaW = size_t(w / step), chromaH = size_t((h + step - 1) / step);
            const Byte* yPlane = L.Pixels;
            const Byte* first = yPlane + size_t(w) * size_t(h);
            const Byte* second = first + chromaW * chromaH;
            const bool uFirst = info.Layout == yuvI420;
            const Byte* uPlane = uFirst ? first : second;
            const Byte* vPlane = uFirst ? second : first;
            for (Integer r = 0; r < h; ++r) {
                const size_t c = size_t(r / step) * chromaW;
                YUVPlanarRowToRGB(yPlane + size_t(r) * size_t(w), uPlane + c, vPlane + c, step,
                                  static_cast<TImgRGB*>(Bitmap->ScanLine(fromBottom ? h - 1 - r : r)), w);
            }
        } else {
            const size_t stride = size_t(w / info.GroupPixels) * size_t(info.GroupBytes);
            for (Integer r = 0; r < h; ++r)
                YUVPackedRowToRGB(info.Layout, L.Pixels + size_t(r) * stride,
                                  static_cast<TImgRGB*>(Bitmap->ScanLine(fromBottom ? h - 1 - r : r)), w);
        }
        return L.BitCount;
    }

    // Uncompressed rows, bottom row first unless the height was negative.
    const size_t rowBytes = size_t(L.RowBytes);
    for (Integer r = 0; r < h; ++r) {
        const Byte* src = L.Pixels + size_t(r) * rowBytes;
        void* dst = Bitmap->ScanLine(L.TopDown ? r : h - 1 - r);
        if (L.BitCount == 1)
            std::memcpy(dst, src, rowBytes);
        else
            ImgDIBRowTo24Bit(L, src, static_cast<TImgRGB*>(dst));
    }
    return L.BitCount;
}

bool ImgDescribeBitmap(TBitmap* Bitmap, TImgDrawDIB& Out) {
    Out = TImgDrawDIB{};
    if (!Bitmap) return false;
    const Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    const TPixelFormat f = Bitmap->GetPixelFormat();
    if (w <= 0 || h <= 0 || (f != pf24bit && f != pf1bit)) return false;
    // The rows may run either way in memory; the header says which.
    const Byte* first = static_cast<const Byte*>(Bitmap->ScanLine(0));
    const bool bottomUp = h > 1 && static_cast<const Byte*>(Bitmap->ScanLine(1)) < first;
    ImgWriteDIBHeader(&Out.Header, w, bottomUp ? h : -h, f == pf1bit ? 1 : 24);
    Out.Palette[1] = RGBQUAD{255, 255, 255, 0};
    Out.Bits = bottomUp ? Bitmap->ScanLine(h - 1) : first;
    return true;
}
