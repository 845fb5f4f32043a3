#pragma once
// Small bitmaps for the image library's tests, made pixel by pixel.

#include <functional>
#include <memory>

#include "framework/graphics.h"
#include "imaging/bitmap_rows.h"
#include "imaging/img_types.h"

using Bmp = std::unique_ptr<TBitmap>;

// A 24-bit w x h bitmap whose pixel (x, y) is pixel(x, y).
inline Bmp Make24(Integer w, Integer h, const std::function<TImgRGB(Integer, Integer)>& pixel) {
    Bmp b(new TBitmap());
    b->SetPixelFormat(pf24bit);
    b->SetSize(w, h);
    for (Integer y = 0; y < h; ++y) {
        auto* row = static_cast<TImgRGB*>(b->ScanLine(y));
        for (Integer x = 0; x < w; ++x) row[x] = pixel(x, y);
    }
    return b;
}

// A 1-bit w x h bitmap whose pixel (x, y) is set (white) when bit(x, y).
inline Bmp Make1(Integer w, Integer h, const std::function<bool(Integer, Integer)>& bit) {
    Bmp b(new TBitmap());
    b->SetPixelFormat(pf1bit);
    b->SetSize(w, h);
    for (Integer y = 0; y < h; ++y)
        for (Integer x = 0; x < w; ++x) SetRowBit(b->ScanLine(y), x, bit(x, y));
    return b;
}

inline TImgRGB Px(TBitmap* b, Integer x, Integer y) { return static_cast<TImgRGB*>(b->ScanLine(y))[x]; }
inline bool Bit(TBitmap* b, Integer x, Integer y) { return GetRowBit(b->ScanLine(y), x) != 0; }

// Same size and the same 24-bit pixels.
inline bool SameRGBPixels(TBitmap* a, TBitmap* b) {
    if (a->GetWidth() != b->GetWidth() || a->GetHeight() != b->GetHeight()) return false;
    for (Integer y = 0; y < a->GetHeight(); ++y)
        for (Integer x = 0; x < a->GetWidth(); ++x)
            if (Px(a, x, y) != Px(b, x, y)) return false;
    return true;
}
