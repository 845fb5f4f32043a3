#include "imaging/bitmap_routines.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/img_utils.h"

Integer ImgPixelFormatBits(TPixelFormat Format) {
    switch (Format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit: return 15;
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit: return 32;
    default: return 0;
    }
}

void ImgPrepareBitmap(TBitmap* Bitmap, TPixelFormat Format, Integer Width, Integer Height) {
    if (Bitmap->GetPixelFormat() == Format && Bitmap->GetWidth() == Width &&
        Bitmap->GetHeight() == Height)
        return;
    Bitmap->SetSize(1, 1);
    Bitmap->SetPixelFormat(Format);
    Bitmap->SetSize(Width, Height);
}

namespace {

bool Is24Or1(TPixelFormat f) { return f == pf24bit || f == pf1bit; }

// Bytes a row of the bitmap's format holds (15-bit rows are stored as 16-bit).
Integer RowBytes(TPixelFormat f, Integer width) {
    Integer bits = ImgPixelFormatBits(f);
    if (bits == 15) bits = 16;
    return ImgBitmapRowLen(width, bits);
}

// A 24-bit pixel on a 1-bit row: the nearer of black and white.
inline bool NearerWhite(const TImgRGB& c) { return unsigned(c.r) + c.g + c.b >= 383; }

// Sets (Value true) or clears bits x1..x2-1 of a 1-bit row.
void FillBits(Byte* row, Integer x1, Integer x2, bool Value) {
    while (x1 < x2 && (x1 & 7)) SetRowBit(row, x1++, Value);
    const Integer whole = (x2 - x1) >> 3;
    if (whole > 0) {
        std::memset(row + (x1 >> 3), Value ? 0xFF : 0x00, size_t(whole));
        x1 += whole * 8;
    }
    while (x1 < x2) SetRowBit(row, x1++, Value);
}

// Copies N pixels from column sx of a source row to column dx of a dest row, converting between
// 24-bit and 1-bit as drawing would: a set bit white, a clear bit black, a colour to the nearer of
// black and white.
void CopyPixels(TPixelFormat df, void* dRow, Integer dx, TPixelFormat sf, const void* sRow,
                Integer sx, Integer n) {
    if (n <= 0) return;
    if (df == pf24bit && sf == pf24bit) {
        std::memmove(static_cast<TImgRGB*>(dRow) + dx, static_cast<const TImgRGB*>(sRow) + sx,
                     size_t(n) * 3);
    } else if (df == pf1bit && sf == pf1bit) {
        CopyBitRun(dRow, sRow, dx, n, sx);
    } else if (df == pf24bit && sf == pf1bit) {
        TImgRGB* d = static_cast<TImgRGB*>(dRow) + dx;
        for (Integer k = 0; k < n; ++k) {
            const Byte v = GetRowBit(sRow, sx + k) ? 255 : 0;
            d[k] = TImgRGB{v, v, v};
        }
    } else if (df == pf1bit && sf == pf24bit) {
        const TImgRGB* s = static_cast<const TImgRGB*>(sRow) + sx;
        for (Integer k = 0; k < n; ++k) SetRowBit(dRow, dx + k, NearerWhite(s[k]));
    }
}

}  // namespace

void CopyBitmap(TBitmap* Source, TBitmap* Dest) {
    if (!Source || !Dest || Source == Dest) return;
    const TPixelFormat f = Source->GetPixelFormat();
    const Integer w = Source->GetWidth(), h = Source->GetHeight();
    if (w < 1 || h < 1) {
        ImgPrepareBitmap(Dest, f, 1, 1);
        return;
    }
    ImgPrepareBitmap(Dest, f, w, h);
    const Integer bytes = RowBytes(f, w);
    if (bytes <= 0) return;
    for (Integer y = 0; y < h; ++y) std::memcpy(Dest->ScanLine(y), Source->ScanLine(y), size_t(bytes));
}

TBitmap* CloneBitmap(TBitmap* Source) {
    auto* b = Create<TBitmap>();
    CopyBitmap(Source, b);
    return b;
}

void CopyRegion(TBitmap* Source, TBitmap* Dest, Integer x1, Integer y1, Integer x2, Integer y2) {
    if (!Source || !Dest || Source == Dest) return;
    const Integer w = Source->GetWidth(), h = Source->GetHeight();
    if (x2 == 0 || x2 >= w) x2 = w - 1;
    if (y2 == 0 || y2 >= h) y2 = h - 1;
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    const TPixelFormat f = Source->GetPixelFormat();
    if (x1 > x2 || y1 > y2) {
        ImgPrepareBitmap(Dest, f, 1, 1);
        return;
    }
    const Integer cw = x2 - x1 + 1, ch = y2 - y1 + 1;
    ImgPrepareBitmap(Dest, f, cw, ch);
    if (!Is24Or1(f)) return;
    for (Integer y = 0; y < ch; ++y)
        CopyPixels(f, Dest->ScanLine(y), 0, f, Source->ScanLine(y1 + y), x1, cw);
}

void DrawThroughPolygon(TBitmap* Dest, TBitmap* Source, Integer x, Integer y, const TPoint* Points,
                        Integer Count) {
    if (!Dest || !Source || Dest == Source) return;
    const TPixelFormat df = Dest->GetPixelFormat(), sf = Source->GetPixelFormat();
    if (!Is24Or1(df) || !Is24Or1(sf)) return;
    const Integer dw = Dest->GetWidth(), dh = Dest->GetHeight();
    const Integer sw = Source->GetWidth(), sh = Source->GetHeight();
    // Dest pixels that Source covers.
    const Integer left = std::max(0, x), right = std::min<Int64>(dw, Int64(x) + sw);
    const Integer top = std::max(0, y), bottom = std::min<Int64>(dh, Int64(y) + sh);
    if (left >= right || top >= bottom) return;
    ForEachPolygon(Points, Count, [&](const TPoint* p, Integer n) {
        PolygonSpans(p, n, top, bottom, [&](Integer row, Integer a, Integer b) {
            a = std::max(a, left);
            b = std::min(b, right);
            if (a < b) CopyPixels(df, Dest->ScanLine(row), a, sf, Source->ScanLine(row - y), a - x, b - a);
        });
    });
}

void CopyPolygonRegion(TBitmap* Source, TBitmap* Dest, Integer x1, Integer y1, Integer x2,
                       Integer y2, const TPoint* Points, Integer Count) {
    if (!Source || !Dest || Source == Dest) return;
    const TPixelFormat f = Source->GetPixelFormat();
    const Integer w = std::max(0, x2 - x1), h = std::max(0, y2 - y1);
    Dest->SetPixelFormat(f);
    Dest->SetSize(w, h);
    if (!Is24Or1(f) || w == 0 || h == 0) return;
    std::vector<TPoint> moved(Points, Points + std::max(Count, 0));
    for (TPoint& p : moved)
        if (p.X != ImgPolygonSeparator) {
            p.X -= x1;
            p.Y -= y1;
        }
    // Dest pixel (dx, dy) takes Source pixel (x1 + dx, y1 + dy) where Source has one.
    const Integer sw = Source->GetWidth(), sh = Source->GetHeight();
    const Integer left = std::max(0, -x1), right = std::min<Int64>(w, Int64(sw) - x1);
    const Integer top = std::max(0, -y1), bottom = std::min<Int64>(h, Int64(sh) - y1);
    if (left >= right || top >= bottom) return;
    ForEachPolygon(moved.data(), Integer(moved.size()), [&](const TPoint* p, Integer n) {
        PolygonSpans(p, n, top, bottom, [&](Integer row, Integer a, Integer b) {
            a = std::max(a, left);
            b = std::min(b, right);
            if (a < b) CopyPixels(f, Dest->ScanLine(row), a, f, Source->ScanLine(row + y1), a + x1, b - a);
        });
    });
}

void FillPolygon(TBitmap* Bitmap, const TPoint* Points, Integer Count, TColor Color) {
    if (!Bitmap) return;
    const TPixelFormat f = Bitmap->GetPixelFormat();
    if (!Is24Or1(f)) return;
    const TImgRGB c = ColorToImgRGB(Color);
    const bool white = NearerWhite(c);
    const Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    ForEachPolygon(Points, Count, [&](const TPoint* p, Integer n) {
        PolygonSpans(p, n, 0, h, [&](Integer row, Integer a, Integer b) {
            a = std::max(a, 0);
            b = std::min(b, w);
            if (a >= b) return;
            if (f == pf24bit) {
                TImgRGB* r = static_cast<TImgRGB*>(Bitmap->ScanLine(row));
                std::fill(r + a, r + b, c);
            } else {
                FillBits(static_cast<Byte*>(Bitmap->ScanLine(row)), a, b, white);
            }
        });
    });
}

void InvertBitmap1Bit(TBitmap* Bitmap) {
    if (!Bitmap || Bitmap->GetPixelFormat() != pf1bit) return;
    const Integer bytes = ImgBitmapRowLen(Bitmap->GetWidth(), 1);
    for (Integer y = 0; y < Bitmap->GetHeight(); ++y) {
        Byte* row = static_cast<Byte*>(Bitmap->ScanLine(y));
        for (Integer i = 0; i < bytes; ++i) row[i] = Byte(~row[i]);
    }
}

void Expand1BitTo24Bit(TBitmap* Source, TBitmap* Dest, const TImgProgressTarget& Progress) {
    if (!Source || !Dest) return;
    std::unique_ptr<TBitmap> copy;
    if (Source == Dest) {
        copy.reset(CloneBitmap(Source));
        Source = copy.get();
    }
    const Integer w = Source->GetWidth(), h = Source->GetHeight();
    ImgPrepareBitmap(Dest, pf24bit, w, h);
    if (Source->GetPixelFormat() != pf1bit) return;
    for (Integer y = 0; y < h; ++y) {
        Expand1BitRow(static_cast<const Byte*>(Source->ScanLine(y)),
                      static_cast<TImgRGB*>(Dest->ScanLine(y)), w);
        Progress.ReportRows(y + 1, h);
    }
}

void DitherTo1BitOrdered(TBitmap* Bitmap, const TImgProgressTarget& Progress) {
    if (!Bitmap || Bitmap->GetPixelFormat() != pf24bit) return;
    const Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    TBitmap bits;
    ImgPrepareBitmap(&bits, pf1bit, w, h);
    for (Integer y = 0; y < h; ++y) {
        DitherRowOrdered(static_cast<const TImgRGB*>(Bitmap->ScanLine(y)),
                         static_cast<Byte*>(bits.ScanLine(y)), w, y);
        Progress.ReportRows(y + 1, h);
    }
    CopyBitmap(&bits, Bitmap);
}
