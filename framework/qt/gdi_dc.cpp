// Drawing objects, device contexts, their state, regions and clipping.

#include <QPainterPath>
#include <QPolygon>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "framework/graphics.h"
#include "framework/memory_limits.h"
#include "framework/qt/gdi_backend.h"

using namespace lumora_gdi;

namespace lumora_gdi {

void AddRef(GdiObject* o) {
    if (o && !o->stock) o->refs.fetch_add(1, std::memory_order_relaxed);
}

void Release(GdiObject* o) {
    if (!o || o->stock) return;
    if (o->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        o->magic = 0;
        delete o;
    }
}

GdiObject* FromHandle(const void* h) {
    if (!h) return nullptr;
    auto* o = static_cast<GdiObject*>(const_cast<void*>(h));
    return o->magic == GdiObject::Magic ? o : nullptr;
}

HDC__* DC(HDC dc) {
    return dc && dc->magic == HDC__::Magic ? dc : nullptr;
}

namespace {

// A rectangle larger than any surface, standing for "no clipping".
const QRect kWhole(-(1 << 27), -(1 << 27), 1 << 28, 1 << 28);

int RegionKind(const QRegion& r) {
    if (r.isEmpty()) return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

template <class T>
T* MakeStock(T* o) {
    o->stock = true;
    return o;
}

HPEN__* StockPen(int style, COLORREF c) {
    auto* p = MakeStock(new HPEN__);
    p->style = style;
    p->color = c;
    return p;
}

HBRUSH__* StockBrush(int style, COLORREF c) {
    auto* b = MakeStock(new HBRUSH__);
    b->style = style;
    b->color = c;
    return b;
}

HFONT__* StockFont(const char* face, int height, int weight, int pitch) {
    auto* f = MakeStock(new HFONT__);
    f->lf.lfHeight = height;
    f->lf.lfWeight = weight;
    f->lf.lfPitchAndFamily = BYTE(pitch);
    std::strncpy(f->lf.lfFaceName, face, LF_FACESIZE - 1);
    return f;
}

struct Stock {
    GdiObject* objects[18] = {};
    HBRUSH__* sysBrushes[SysColorCount] = {};
    HBITMAP__* monoBitmap = nullptr;
    Stock() {
        objects[WHITE_BRUSH] = StockBrush(BS_SOLID, RGB(255, 255, 255));
        objects[LTGRAY_BRUSH] = StockBrush(BS_SOLID, RGB(192, 192, 192));
        objects[GRAY_BRUSH] = StockBrush(BS_SOLID, RGB(128, 128, 128));
        objects[DKGRAY_BRUSH] = StockBrush(BS_SOLID, RGB(64, 64, 64));
        objects[BLACK_BRUSH] = StockBrush(BS_SOLID, RGB(0, 0, 0));
        objects[NULL_BRUSH] = StockBrush(BS_NULL, 0);
        objects[WHITE_PEN] = StockPen(PS_SOLID, RGB(255, 255, 255));
        objects[BLACK_PEN] = StockPen(PS_SOLID, 0);
        objects[NULL_PEN] = StockPen(PS_NULL, 0);
        objects[OEM_FIXED_FONT] = StockFont("Terminal", 12, FW_NORMAL, FIXED_PITCH);
        objects[ANSI_FIXED_FONT] = StockFont("Courier", 13, FW_NORMAL, FIXED_PITCH);
        objects[ANSI_VAR_FONT] = StockFont("MS Sans Serif", 13, FW_NORMAL, VARIABLE_PITCH);
        objects[SYSTEM_FONT] = StockFont("System", 16, FW_BOLD, VARIABLE_PITCH);
        objects[DEVICE_DEFAULT_FONT] = StockFont("System", 16, FW_BOLD, VARIABLE_PITCH);
        objects[SYSTEM_FIXED_FONT] = StockFont("Fixedsys", 15, FW_NORMAL, FIXED_PITCH);
        objects[DEFAULT_GUI_FONT] = StockFont("MS Sans Serif", -11, FW_NORMAL, VARIABLE_PITCH);
        auto* pal = MakeStock(new HPALETTE__);
        for (int i = 0; i < 20; ++i) {
            // The twenty static colours: the classic sixteen and four extra greys and tints.
            static const COLORREF statics[20] = {
                RGB(0, 0, 0),       RGB(128, 0, 0),     RGB(0, 128, 0),     RGB(128, 128, 0),   RGB(0, 0, 128),
                RGB(128, 0, 128),   RGB(0, 128, 128),   RGB(192, 192, 192), RGB(192, 220, 192), RGB(166, 202, 240),
                RGB(255, 251, 240), RGB(160, 160, 164), RGB(128, 128, 128), RGB(255, 0, 0),     RGB(0, 255, 0),
                RGB(255, 255, 0),   RGB(0, 0, 255),     RGB(255, 0, 255),   RGB(0, 255, 255),   RGB(255, 255, 255)};
            pal->entries.push_back({GetRValue(statics[i]), GetGValue(statics[i]), GetBValue(statics[i]), 0});
        }
        objects[DEFAULT_PALETTE] = pal;
        for (int i = 0; i < SysColorCount; ++i) sysBrushes[i] = StockBrush(BS_SOLID, GetSysColor(i));
        monoBitmap = MakeStock(new HBITMAP__);
        monoBitmap->Allocate(1, 1, 1, 0);
        monoBitmap->bits[0] = 0;
    }
};

Stock& TheStock() {
    static Stock* s = new Stock;
    return *s;
}

// The hatch patterns, 8 rows of 8 pixels, the leftmost pixel in the top bit.
const uint8_t kHatch[6][8] = {
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},  // horizontal
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // forward diagonal: down left to right
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // backward diagonal: up left to right
    {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08},  // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
};

QRegion WholeOr(const DCState& st) {
    return st.hasClip ? st.clip : QRegion(kWhole);
}

int SetClip(HDC__* d, const QRegion& r) {
    d->st.hasClip = true;
    d->st.clip = r;
    return RegionKind(d->Visible());
}

}  // namespace

HDC CreateImageDC(QImage* image) {
    HDC dc = CreateCompatibleDC(nullptr);
    dc->kind = HDC__::Kind::Image;
    dc->bitmap = Ref<HBITMAP__>();
    dc->image = image;
    return dc;
}

void SetImageDCTarget(HDC dc, QImage* image) {
    if (HDC__* d = DC(dc); d && d->kind == HDC__::Kind::Image) d->image = image;
}

Paint SolidPaint(uint32_t rgb) {
    Paint p;
    p.kind = Paint::Solid;
    p.color = rgb;
    return p;
}

Paint BrushPaint(HDC__* dc, HBRUSH__* brush, bool forBlit) {
    Paint p;
    if (!brush) return p;
    switch (brush->style) {
    case BS_SOLID:
        p = SolidPaint(RgbOf(brush->color));
        break;
    case BS_HATCHED: {
        p.kind = Paint::Tile;
        p.tw = p.th = 8;
        p.tile.resize(64);
        const bool transparent = !forBlit && dc->st.bkMode == TRANSPARENT;
        if (transparent) p.opaque.assign(64, 0);
        const uint32_t fg = RgbOf(brush->color), bg = RgbOf(dc->st.bk);
        const int h = std::clamp(brush->hatch, 0, 5);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const bool on = kHatch[h][y] & (0x80 >> x);
                p.tile[y * 8 + x] = on ? fg : bg;
                if (transparent) p.opaque[y * 8 + x] = on;
            }
        break;
    }
    case BS_PATTERN: {
        if (brush->patW <= 0 || brush->patH <= 0) break;
        p.kind = Paint::Tile;
        p.tw = brush->patW;
        p.th = brush->patH;
        p.tile = brush->pattern;
        if (brush->patBpp == 1) {
            const uint32_t c0 = RgbOf(dc->st.text), c1 = RgbOf(dc->st.bk);
            for (auto& c : p.tile) c = c ? c1 : c0;
        }
        break;
    }
    default:
        break;
    }
    p.ox = dc->st.brushOrg.X;
    p.oy = dc->st.brushOrg.Y;
    if (dc->surface().fmt == PixFmt::Mono) p.ToMonochrome();
    return p;
}

void CompositeMask(HDC__* dc, const QImage& mask, QPoint origin, const Paint& on, const Paint* gap,
                   int rop2, Coverage mode) {
    const Surface s = dc->surface();
    if (!s.valid() || mask.isNull()) return;
    const QRect box(origin, mask.size());
    const QRegion vis = dc->Visible() & box;
    const uint8_t* bits = mask.constBits();
    const qsizetype stride = mask.bytesPerLine();
    for (const QRect& r : vis) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const uint8_t* cov = bits + (y - origin.y()) * stride + (r.left() - origin.x());
            if (mode != Coverage::Dual) {
                PaintSpan(s, r.left(), y, r.width(), on, rop2, cov, mode == Coverage::Blend);
                continue;
            }
            // Runs of 255 take the paint, runs of 128 the gap paint.
            for (int i = 0, n = r.width(); i < n;) {
                const uint8_t v = cov[i];
                const int start = i;
                i = SkipRun(cov, i, n, v);
                if (v == 255) PaintSpan(s, r.left() + start, y, i - start, on, rop2, nullptr, false);
                else if (v == 128 && gap) PaintSpan(s, r.left() + start, y, i - start, *gap, rop2, nullptr, false);
            }
        }
    }
}

void FillDeviceRect(HDC__* dc, QRect r, const Paint& paint, int rop2) {
    const Surface s = dc->surface();
    if (!s.valid() || paint.empty() || r.isEmpty()) return;
    r &= dc->SurfaceRect();
    if (r.isEmpty()) return;
    auto fill = [&](const QRect& a) {
        for (int y = a.top(); y <= a.bottom(); ++y) PaintSpan(s, a.left(), y, a.width(), paint, rop2, nullptr, false);
    };
    if (!dc->st.hasClip && !dc->hasSystemClip) {
        fill(r);
        return;
    }
    for (const QRect& a : dc->Visible() & r) fill(a);
}

void FillDeviceRegion(HDC__* dc, const QRegion& rgn, const Paint& paint, int rop2) {
    const Surface s = dc->surface();
    if (!s.valid() || paint.empty()) return;
    for (const QRect& a : dc->Visible() & rgn)
        for (int y = a.top(); y <= a.bottom(); ++y) PaintSpan(s, a.left(), y, a.width(), paint, rop2, nullptr, false);
}

QImage BitmapToImage(HBITMAP__* bmp) {
    if (!bmp || bmp->width <= 0 || bmp->height <= 0) return QImage();
    QImage img(bmp->width, bmp->height, QImage::Format_RGB32);
    const Surface s = bmp->surface();
    for (int y = 0; y < bmp->height; ++y)
        ReadSpan(s, 0, y, bmp->width, reinterpret_cast<uint32_t*>(img.scanLine(y)));
    for (int y = 0; y < bmp->height; ++y) {
        auto* p = reinterpret_cast<uint32_t*>(img.scanLine(y));
        for (int x = 0; x < bmp->width; ++x) p[x] |= 0xFF000000u;
    }
    return img;
}

}  // namespace lumora_gdi

// ---------------------------------------------------------------------------------------------

// Sizes, strides and offsets of pixel blocks are Integer throughout the framework, so a row or a
// block of more than 2^31 - 1 bytes is refused before anything is allocated: a row that long is
// not a valid bitmap (EInvalidGraphic), a block that large is more than the system gives
// (EOutOfResources). A block the memory cannot hold raises EOutOfMemory. On any failure the
// bitmap keeps its old pixels.
void HBITMAP__::Allocate(int w, int h, int newBpp, uint32_t fill) {
    w = std::max(0, w);
    h = std::max(0, h);
    const int newBits = newBpp == 1 ? 1 : 24;
    const int64_t rowBytes = ((int64_t(w) * newBits + 31) / 32) * 4;
    if (rowBytes > INT32_MAX) throw EInvalidGraphic("Bitmap image is not valid");
    const uint64_t bytes = uint64_t(rowBytes) * uint64_t(h);
    if (bytes > uint64_t(INT32_MAX)) throw EOutOfResources("Out of system resources");
    if (!MemoryCanHold(bytes)) OutOfMemoryError();
    // Every byte is written once, row by row: the fill (its nearest of black and white for 1 bit,
    // the padding included), and zero padding after 24-bit pixels.
    std::vector<uint8_t> row(size_t(rowBytes), 0);
    if (newBits == 1) {
        if (NearestIsWhite(fill)) std::fill(row.begin(), row.end(), 0xFF);
    } else {
        for (int x = 0; x < w; ++x) {
            row[size_t(x) * 3] = uint8_t(fill);
            row[size_t(x) * 3 + 1] = uint8_t(fill >> 8);
            row[size_t(x) * 3 + 2] = uint8_t(fill >> 16);
        }
    }
    decltype(bits) block;
    AllocateOrRaise([&] {
        block.reserve(size_t(bytes));
        for (int y = 0; y < h; ++y) block.insert(block.end(), row.begin(), row.end());
    });
    width = w;
    height = h;
    bpp = newBits;
    stride = int(rowBytes);
    bits.swap(block);
}

Surface HBITMAP__::surface() {
    Surface s;
    s.bits = bits.data();
    s.width = width;
    s.height = height;
    s.stride = stride;
    s.fmt = bits.empty() ? PixFmt::None : (bpp == 1 ? PixFmt::Mono : PixFmt::Bgr24);
    return s;
}

Surface HDC__::surface() {
    if (kind == Kind::Memory) return bitmap ? bitmap->surface() : Surface{};
    Surface s;
    if (!image || image->isNull()) return s;
    switch (image->format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied: s.fmt = PixFmt::Rgb32; break;
    case QImage::Format_BGR888: s.fmt = PixFmt::Bgr24; break;
    case QImage::Format_Mono: s.fmt = PixFmt::Mono; break;
    default: return s;
    }
    s.bits = image->bits();
    s.width = image->width();
    s.height = image->height();
    s.stride = image->bytesPerLine();
    return s;
}

QRect HDC__::SurfaceRect() {
    const Surface s = surface();
    return s.valid() ? QRect(0, 0, s.width, s.height) : QRect();
}

bool HDC__::PixelVisible(int x, int y) {
    const Surface s = surface();
    if (!s.valid() || x < 0 || y < 0 || x >= s.width || y >= s.height) return false;
    if (hasSystemClip && !systemClip.contains(QPoint(x, y))) return false;
    return !st.hasClip || st.clip.contains(QPoint(x, y));
}

QRegion HDC__::Visible() {
    QRegion v(SurfaceRect());
    if (hasSystemClip) v &= systemClip;
    if (st.hasClip) v &= st.clip;
    return v;
}

// ---------------------------------------------------------------------------------------------
// Objects

HGDIOBJ GetStockObject(int index) {
    if (index < 0 || index >= 18) return nullptr;
    return TheStock().objects[index];
}

HBRUSH GetSysColorBrush(int index) {
    if (index < 0 || index >= SysColorCount) return nullptr;
    return TheStock().sysBrushes[index];
}

COLORREF GetNearestColor(HDC dc, COLORREF color) {
    HDC__* d = DC(dc);
    if (d && d->surface().fmt == PixFmt::Mono) return ColorRefOf(ToMono(RgbOf(color)));
    return color & 0x00FFFFFF;
}

HPEN CreatePen(int style, int width, COLORREF color) {
    auto* p = new HPEN__;
    p->style = (style < PS_SOLID || style > PS_INSIDEFRAME) ? PS_SOLID : style;
    p->width = std::max(0, width);
    p->color = color;
    return p;
}

HPEN CreatePenIndirect(const LOGPEN* lp) {
    return lp ? CreatePen(int(lp->lopnStyle), lp->lopnWidth.X, lp->lopnColor) : nullptr;
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles) {
    const bool geometric = (style & PS_TYPE_MASK) == PS_GEOMETRIC;
    const DWORD kind = style & PS_STYLE_MASK;
    const bool hollow = !brush || brush->lbStyle == BS_NULL;
    HPEN p = CreatePen(hollow ? PS_NULL : kind == PS_ALTERNATE ? PS_DOT : kind == PS_USERSTYLE ? PS_SOLID : int(kind),
                       geometric ? int(std::min<DWORD>(width, 0x7FFF)) : 1, brush ? brush->lbColor : 0);
    p->endCap = style & PS_ENDCAP_MASK;
    p->join = style & PS_JOIN_MASK;
    if (kind == PS_USERSTYLE && styles && styleCount > 0 && styleCount <= 16)
        p->userDashes.assign(styles, styles + styleCount);
    return p;
}

HBRUSH CreateSolidBrush(COLORREF color) {
    auto* b = new HBRUSH__;
    b->style = BS_SOLID;
    b->color = color;
    return b;
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
    auto* b = new HBRUSH__;
    b->style = BS_HATCHED;
    b->hatch = std::clamp(hatch, 0, 5);
    b->color = color;
    return b;
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
    auto* bmp = ObjectAs<HBITMAP__>(bitmap, ObjKind::Bitmap);
    if (!bmp || bmp->width <= 0 || bmp->height <= 0) return nullptr;
    auto* b = new HBRUSH__;
    b->style = BS_PATTERN;
    b->patW = bmp->width;
    b->patH = bmp->height;
    b->patBpp = bmp->bpp;
    b->pattern.resize(size_t(bmp->width) * size_t(bmp->height));
    const Surface s = bmp->surface();
    for (int y = 0; y < bmp->height; ++y) {
        ReadSpan(s, 0, y, bmp->width, b->pattern.data() + size_t(y) * size_t(bmp->width));
        if (bmp->bpp == 1)
            for (int x = 0; x < bmp->width; ++x) {
                uint32_t& c = b->pattern[size_t(y) * size_t(bmp->width) + size_t(x)];
                c = c ? 1 : 0;
            }
    }
    return b;
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
    if (!lb) return nullptr;
    switch (lb->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(lb->lbColor);
    case BS_HATCHED: return CreateHatchBrush(int(lb->lbHatch), lb->lbColor);
    case BS_PATTERN: return CreatePatternBrush(reinterpret_cast<HBITMAP>(lb->lbHatch));
    default: {
        auto* b = new HBRUSH__;
        b->style = BS_NULL;
        return b;
    }
    }
}

HFONT CreateFontIndirect(const LOGFONT* lf) {
    if (!lf) return nullptr;
    auto* f = new HFONT__;
    f->lf = *lf;
    f->lf.lfFaceName[LF_FACESIZE - 1] = 0;
    return f;
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, UINT italic,
                 UINT underline, UINT strikeOut, UINT charSet, UINT outPrecision, UINT clipPrecision,
                 UINT quality, UINT pitchAndFamily, const char* faceName) {
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = BYTE(italic != 0);
    lf.lfUnderline = BYTE(underline != 0);
    lf.lfStrikeOut = BYTE(strikeOut != 0);
    lf.lfCharSet = BYTE(charSet);
    lf.lfOutPrecision = BYTE(outPrecision);
    lf.lfClipPrecision = BYTE(clipPrecision);
    lf.lfQuality = BYTE(quality);
    lf.lfPitchAndFamily = BYTE(pitchAndFamily);
    if (faceName) std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

namespace {

// Sizes the pixels of a new bitmap; the Windows calls answer null when that fails, so the bitmap
// is released then.
bool AllocateOrFail(HBITMAP__* b, int width, int height, int bpp) {
    try {
        b->Allocate(width, height, bpp, 0);
        return true;
    } catch (const Exception&) {
        Release(b);
        return false;
    }
}

}  // namespace

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    if (width < 0 || height < 0) return nullptr;
    auto* b = new HBITMAP__;
    const int bpp = (planes * bitsPerPixel) == 1 ? 1 : 24;
    if (!AllocateOrFail(b, width, height, bpp)) return nullptr;
    if (bits && width > 0 && height > 0) {
        // The Windows call takes rows padded to 2 bytes, at the given depth.
        const int depth = int(planes * bitsPerPixel);
        const int srcStride = ((width * depth + 15) / 16) * 2;
        const auto* src = static_cast<const uint8_t*>(bits);
        const Surface s = b->surface();
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = src + size_t(y) * size_t(srcStride);
            if (depth == 1) {
                std::memcpy(s.row(y), row, size_t((width + 7) / 8));
            } else {
                for (int x = 0; x < width; ++x) {
                    uint32_t rgb = 0;
                    if (depth == 24)
                        rgb = (uint32_t(row[x * 3 + 2]) << 16) | (uint32_t(row[x * 3 + 1]) << 8) | row[x * 3];
                    else if (depth == 32)
                        rgb = (uint32_t(row[x * 4 + 2]) << 16) | (uint32_t(row[x * 4 + 1]) << 8) | row[x * 4];
                    else if (depth == 16) {
                        const unsigned v = row[x * 2] | (unsigned(row[x * 2 + 1]) << 8);
                        rgb = (((v >> 10) & 31) * 255 / 31) << 16 | (((v >> 5) & 31) * 255 / 31) << 8 |
                              ((v & 31) * 255 / 31);
                    }
                    WritePixel(s, x, y, rgb);
                }
            }
        }
    }
    return b;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
    HDC__* d = DC(dc);
    int bpp = 24;
    if (d && d->kind == HDC__::Kind::Memory && d->bitmap && d->bitmap->bpp == 1) bpp = 1;
    if (!d) bpp = 24;
    auto* b = new HBITMAP__;
    return AllocateOrFail(b, width, height, bpp) ? b : nullptr;
}

bool DeleteObject(HGDIOBJ obj) {
    GdiObject* o = FromHandle(obj);
    if (!o) return false;
    if (o->stock) return true;
    bool expected = false;
    if (!o->deleted.compare_exchange_strong(expected, true)) return false;
    Release(o);
    return true;
}

int GetObjectType(HGDIOBJ obj) {
    if (HDC__* d = DC(static_cast<HDC>(obj))) return d->kind == HDC__::Kind::Memory ? OBJ_MEMDC : OBJ_DC;
    GdiObject* o = FromHandle(obj);
    if (!o) return 0;
    switch (o->kind) {
    case ObjKind::Pen: return OBJ_PEN;
    case ObjKind::Brush: return OBJ_BRUSH;
    case ObjKind::Font: return OBJ_FONT;
    case ObjKind::Bitmap: return OBJ_BITMAP;
    case ObjKind::Region: return OBJ_REGION;
    case ObjKind::Palette: return OBJ_PAL;
    default: return 0;
    }
}

int GetObject(HGDIOBJ obj, int size, void* buffer) {
    GdiObject* o = FromHandle(obj);
    if (!o) return 0;
    switch (o->kind) {
    case ObjKind::Pen: {
        auto* p = static_cast<HPEN__*>(o);
        LOGPEN lp;
        lp.lopnStyle = UINT(p->style);
        lp.lopnWidth = TPoint(p->width, 0);
        lp.lopnColor = p->color;
        if (!buffer) return sizeof(LOGPEN);
        if (size < int(sizeof(LOGPEN))) return 0;
        std::memcpy(buffer, &lp, sizeof lp);
        return sizeof(LOGPEN);
    }
    case ObjKind::Brush: {
        auto* b = static_cast<HBRUSH__*>(o);
        LOGBRUSH lb;
        lb.lbStyle = UINT(b->style);
        lb.lbColor = b->color;
        lb.lbHatch = uintptr_t(b->hatch);
        if (!buffer) return sizeof(LOGBRUSH);
        if (size < int(sizeof(LOGBRUSH))) return 0;
        std::memcpy(buffer, &lb, sizeof lb);
        return sizeof(LOGBRUSH);
    }
    case ObjKind::Font: {
        auto* f = static_cast<HFONT__*>(o);
        if (!buffer) return sizeof(LOGFONT);
        if (size < int(sizeof(LOGFONT))) return 0;
        std::memcpy(buffer, &f->lf, sizeof(LOGFONT));
        return sizeof(LOGFONT);
    }
    case ObjKind::Bitmap: {
        auto* b = static_cast<HBITMAP__*>(o);
        BITMAP bm;
        bm.bmWidth = b->width;
        bm.bmHeight = b->height;
        bm.bmWidthBytes = b->stride;
        bm.bmBitsPixel = WORD(b->bpp);
        bm.bmBits = b->bits.empty() ? nullptr : b->bits.data();
        if (!buffer) return sizeof(BITMAP);
        if (size < int(sizeof(BITMAP))) return 0;
        std::memcpy(buffer, &bm, sizeof bm);
        return sizeof(BITMAP);
    }
    default: return 0;
    }
}

bool UnrealizeObject(HGDIOBJ obj) {
    return FromHandle(obj) != nullptr;
}

// ---------------------------------------------------------------------------------------------
// Device contexts

namespace {

// The objects a new device context starts with (stock objects, never freed).
GdiObject* FirstObject(ObjKind kind) {
    Stock& s = TheStock();
    switch (kind) {
    case ObjKind::Pen: return s.objects[BLACK_PEN];
    case ObjKind::Brush: return s.objects[WHITE_BRUSH];
    case ObjKind::Font: return s.objects[SYSTEM_FONT];
    case ObjKind::Bitmap: return s.monoBitmap;
    case ObjKind::Palette: return s.objects[DEFAULT_PALETTE];
    default: return nullptr;
    }
}

// A deleted object stays usable where a device context still holds it (selected or in a saved
// state), but that context lets go of it at its next selection or RestoreDC and it is freed then.
// So a context never hands its handle out: it answers with its first object of the kind instead,
// and whoever selects that back leaves the context as it started.
template <class T>
HGDIOBJ HandOut(const Ref<T>& held, ObjKind kind) {
    T* o = held.get();
    return o && o->deleted.load() ? FirstObject(kind) : o;
}

}  // namespace

HDC CreateCompatibleDC(HDC) {
    auto* d = new HDC__;
    d->bitmap = static_cast<HBITMAP__*>(FirstObject(ObjKind::Bitmap));
    d->palette = static_cast<HPALETTE__*>(FirstObject(ObjKind::Palette));
    d->st.pen = static_cast<HPEN__*>(FirstObject(ObjKind::Pen));
    d->st.brush = static_cast<HBRUSH__*>(FirstObject(ObjKind::Brush));
    d->st.font = static_cast<HFONT__*>(FirstObject(ObjKind::Font));
    return d;
}

bool DeleteDC(HDC dc) {
    HDC__* d = DC(dc);
    if (!d) return false;
    d->magic = 0;
    delete d;
    return true;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj) {
    HDC__* d = DC(dc);
    GdiObject* o = FromHandle(obj);
    if (!d || !o || o->deleted.load()) return nullptr;
    switch (o->kind) {
    case ObjKind::Pen: {
        HGDIOBJ old = HandOut(d->st.pen, o->kind);
        d->st.pen = static_cast<HPEN__*>(o);
        return old;
    }
    case ObjKind::Brush: {
        HGDIOBJ old = HandOut(d->st.brush, o->kind);
        d->st.brush = static_cast<HBRUSH__*>(o);
        return old;
    }
    case ObjKind::Font: {
        HGDIOBJ old = HandOut(d->st.font, o->kind);
        d->st.font = static_cast<HFONT__*>(o);
        return old;
    }
    case ObjKind::Bitmap: {
        if (d->kind != HDC__::Kind::Memory) return nullptr;
        HGDIOBJ old = HandOut(d->bitmap, o->kind);
        d->bitmap = static_cast<HBITMAP__*>(o);
        return old;
    }
    case ObjKind::Region:
        return reinterpret_cast<HGDIOBJ>(intptr_t(SelectClipRgn(dc, static_cast<HRGN>(obj))));
    default:
        return nullptr;
    }
}

HGDIOBJ GetCurrentObject(HDC dc, int objType) {
    HDC__* d = DC(dc);
    if (!d) return nullptr;
    switch (objType) {
    case OBJ_PEN: return HandOut(d->st.pen, ObjKind::Pen);
    case OBJ_BRUSH: return HandOut(d->st.brush, ObjKind::Brush);
    case OBJ_FONT: return HandOut(d->st.font, ObjKind::Font);
    case OBJ_BITMAP: return HandOut(d->bitmap, ObjKind::Bitmap);
    default: return nullptr;
    }
}

int SaveDC(HDC dc) {
    HDC__* d = DC(dc);
    if (!d) return 0;
    d->saved.push_back(d->st);
    return int(d->saved.size());
}

bool RestoreDC(HDC dc, int savedDC) {
    HDC__* d = DC(dc);
    if (!d || savedDC == 0) return false;
    const int n = int(d->saved.size());
    const int level = savedDC < 0 ? n + 1 + savedDC : savedDC;
    if (level < 1 || level > n) return false;
    d->st = d->saved[size_t(level - 1)];
    d->saved.resize(size_t(level - 1));
    return true;
}

#define DC_OR(ret)        \
    HDC__* d = DC(dc);    \
    if (!d) return ret;

COLORREF SetTextColor(HDC dc, COLORREF color) {
    DC_OR(CLR_INVALID)
    return std::exchange(d->st.text, color);
}
COLORREF GetTextColor(HDC dc) {
    DC_OR(CLR_INVALID)
    return d->st.text;
}
COLORREF SetBkColor(HDC dc, COLORREF color) {
    DC_OR(CLR_INVALID)
    return std::exchange(d->st.bk, color);
}
COLORREF GetBkColor(HDC dc) {
    DC_OR(CLR_INVALID)
    return d->st.bk;
}
int SetBkMode(HDC dc, int mode) {
    DC_OR(0)
    if (mode != TRANSPARENT && mode != OPAQUE) return 0;
    return std::exchange(d->st.bkMode, mode);
}
int GetBkMode(HDC dc) {
    DC_OR(0)
    return d->st.bkMode;
}
int SetROP2(HDC dc, int rop2) {
    DC_OR(0)
    if (rop2 < R2_BLACK || rop2 > R2_WHITE) return 0;
    return std::exchange(d->st.rop2, rop2);
}
int GetROP2(HDC dc) {
    DC_OR(0)
    return d->st.rop2;
}
int SetPolyFillMode(HDC dc, int mode) {
    DC_OR(0)
    if (mode != ALTERNATE && mode != WINDING) return 0;
    return std::exchange(d->st.fillMode, mode);
}
int GetPolyFillMode(HDC dc) {
    DC_OR(0)
    return d->st.fillMode;
}
int SetStretchBltMode(HDC dc, int mode) {
    DC_OR(0)
    if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
    return std::exchange(d->st.stretchMode, mode);
}
int GetStretchBltMode(HDC dc) {
    DC_OR(0)
    return d->st.stretchMode;
}
UINT SetTextAlign(HDC dc, UINT align) {
    DC_OR(0xFFFFFFFF)
    return std::exchange(d->st.textAlign, align);
}
UINT GetTextAlign(HDC dc) {
    DC_OR(0xFFFFFFFF)
    return d->st.textAlign;
}
int SetArcDirection(HDC dc, int dir) {
    DC_OR(0)
    if (dir != AD_COUNTERCLOCKWISE && dir != AD_CLOCKWISE) return 0;
    return std::exchange(d->st.arcDirection, dir);
}
int GetArcDirection(HDC dc) {
    DC_OR(0)
    return d->st.arcDirection;
}
bool SetBrushOrgEx(HDC dc, int x, int y, TPoint* old) {
    DC_OR(false)
    if (old) *old = d->st.brushOrg;
    d->st.brushOrg = TPoint(x, y);
    return true;
}
bool GetBrushOrgEx(HDC dc, TPoint* p) {
    DC_OR(false)
    if (p) *p = d->st.brushOrg;
    return true;
}
bool SetViewportOrgEx(HDC dc, int x, int y, TPoint* old) {
    DC_OR(false)
    if (old) *old = d->st.viewportOrg;
    d->st.viewportOrg = TPoint(x, y);
    return true;
}
bool GetViewportOrgEx(HDC dc, TPoint* p) {
    DC_OR(false)
    if (p) *p = d->st.viewportOrg;
    return true;
}
bool OffsetViewportOrgEx(HDC dc, int dx, int dy, TPoint* old) {
    DC_OR(false)
    if (old) *old = d->st.viewportOrg;
    d->st.viewportOrg.X += dx;
    d->st.viewportOrg.Y += dy;
    return true;
}
bool SetWindowOrgEx(HDC dc, int x, int y, TPoint* old) {
    DC_OR(false)
    if (old) *old = d->st.windowOrg;
    d->st.windowOrg = TPoint(x, y);
    return true;
}
bool GetWindowOrgEx(HDC dc, TPoint* p) {
    DC_OR(false)
    if (p) *p = d->st.windowOrg;
    return true;
}
bool MoveToEx(HDC dc, int x, int y, TPoint* old) {
    DC_OR(false)
    if (old) *old = d->st.pos;
    d->st.pos = TPoint(x, y);
    return true;
}
bool GetCurrentPositionEx(HDC dc, TPoint* p) {
    DC_OR(false)
    if (p) *p = d->st.pos;
    return true;
}

int GetDeviceCaps(HDC dc, int index) {
    HDC__* d = DC(dc);
    const Surface s = d ? d->surface() : Surface{};
    switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return d && d->dpi > 0 ? d->dpi : ScreenPixelsPerInch();
    case BITSPIXEL: return s.fmt == PixFmt::Mono ? 1 : (s.fmt == PixFmt::Rgb32 ? 32 : 24);
    case PLANES: return 1;
    case HORZRES: return s.width;
    case VERTRES: return s.height;
    case NUMCOLORS: return s.fmt == PixFmt::Mono ? 2 : -1;
    case RASTERCAPS: return 0x0001 | 0x0008 | 0x0200 | 0x0800;  // bitblt, bitmap64, dibtodev, stretchblt
    case SIZEPALETTE: return 0;
    default: return 0;
    }
}

// ---------------------------------------------------------------------------------------------
// Regions

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    auto* r = new HRGN__;
    r->rgn = QRegion(NormRect(left, top, right, bottom));
    return r;
}

HRGN CreateRectRgnIndirect(const TRect* r) {
    return r ? CreateRectRgn(r->Left, r->Top, r->Right, r->Bottom) : nullptr;
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
    auto* r = new HRGN__;
    const QRect rc = NormRect(left, top, right, bottom);
    if (!rc.isEmpty()) r->rgn = QRegion(rc, QRegion::Ellipse);
    return r;
}

HRGN CreateEllipticRgnIndirect(const TRect* r) {
    return r ? CreateEllipticRgn(r->Left, r->Top, r->Right, r->Bottom) : nullptr;
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height) {
    auto* r = new HRGN__;
    const QRect rc = NormRect(left, top, right, bottom);
    if (!rc.isEmpty()) {
        QPainterPath path;
        path.addRoundedRect(QRectF(rc), std::abs(width) / 2.0, std::abs(height) / 2.0);
        r->rgn = QRegion(path.toFillPolygon().toPolygon(), Qt::OddEvenFill);
    }
    return r;
}

HRGN CreatePolygonRgn(const TPoint* points, int count, int fillMode) {
    auto* r = new HRGN__;
    if (points && count > 2) {
        QPolygon poly;
        for (int i = 0; i < count; ++i) poly << QPoint(points[i].X, points[i].Y);
        r->rgn = QRegion(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    }
    return r;
}

HRGN CreatePolyPolygonRgn(const TPoint* points, const int* counts, int polygons, int fillMode) {
    auto* r = new HRGN__;
    if (!points || !counts) return r;
    int at = 0;
    for (int k = 0; k < polygons; ++k) {
        QPolygon poly;
        for (int i = 0; i < counts[k]; ++i) poly << QPoint(points[at + i].X, points[at + i].Y);
        at += counts[k];
        if (poly.size() < 3) continue;
        const QRegion one(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
        r->rgn = fillMode == WINDING ? (r->rgn | one) : (r->rgn ^ one);
    }
    return r;
}

namespace {
HRGN__* Rgn(HRGN h) { return ObjectAs<HRGN__>(h, ObjKind::Region); }
}  // namespace

int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode) {
    HRGN__* d = Rgn(dst);
    HRGN__* ra = Rgn(a);
    HRGN__* rb = Rgn(b);
    if (!d || !ra || (mode != RGN_COPY && !rb)) return RGN_ERROR;
    QRegion res;
    switch (mode) {
    case RGN_AND: res = ra->rgn & rb->rgn; break;
    case RGN_OR: res = ra->rgn | rb->rgn; break;
    case RGN_XOR: res = ra->rgn ^ rb->rgn; break;
    case RGN_DIFF: res = ra->rgn - rb->rgn; break;
    case RGN_COPY: res = ra->rgn; break;
    default: return RGN_ERROR;
    }
    d->rgn = res;
    return RegionKind(res);
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
    HRGN__* r = Rgn(rgn);
    if (!r) return RGN_ERROR;
    r->rgn.translate(dx, dy);
    return RegionKind(r->rgn);
}

bool SetRectRgn(HRGN rgn, int left, int top, int right, int bottom) {
    HRGN__* r = Rgn(rgn);
    if (!r) return false;
    r->rgn = QRegion(NormRect(left, top, right, bottom));
    return true;
}

bool PtInRegion(HRGN rgn, int x, int y) {
    HRGN__* r = Rgn(rgn);
    return r && r->rgn.contains(QPoint(x, y));
}

bool RectInRegion(HRGN rgn, const TRect* rc) {
    HRGN__* r = Rgn(rgn);
    if (!r || !rc) return false;
    return r->rgn.intersects(NormRect(rc->Left, rc->Top, rc->Right, rc->Bottom));
}

int GetRgnBox(HRGN rgn, TRect* rc) {
    HRGN__* r = Rgn(rgn);
    if (!r || !rc) return RGN_ERROR;
    const QRect b = r->rgn.boundingRect();
    *rc = b.isEmpty() ? TRect() : TRect(b.left(), b.top(), b.right() + 1, b.bottom() + 1);
    return RegionKind(r->rgn);
}

bool EqualRgn(HRGN a, HRGN b) {
    HRGN__* ra = Rgn(a);
    HRGN__* rb = Rgn(b);
    return ra && rb && ra->rgn == rb->rgn;
}

namespace {
QRegion ToDevice(HDC__* d, const QRegion& r) {
    return r.translated(d->dx(), d->dy());
}
HBRUSH__* BrushOf(HBRUSH h) { return ObjectAs<HBRUSH__>(h, ObjKind::Brush); }
}  // namespace

bool FillRgn(HDC dc, HRGN rgn, HBRUSH brush) {
    HDC__* d = DC(dc);
    HRGN__* r = Rgn(rgn);
    HBRUSH__* b = BrushOf(brush);
    if (!d || !r || !b) return false;
    FillDeviceRegion(d, ToDevice(d, r->rgn), BrushPaint(d, b), R2_COPYPEN);
    return true;
}

bool PaintRgn(HDC dc, HRGN rgn) {
    HDC__* d = DC(dc);
    HRGN__* r = Rgn(rgn);
    if (!d || !r) return false;
    FillDeviceRegion(d, ToDevice(d, r->rgn), BrushPaint(d, d->st.brush.get()), d->st.rop2);
    return true;
}

bool FrameRgn(HDC dc, HRGN rgn, HBRUSH brush, int width, int height) {
    HDC__* d = DC(dc);
    HRGN__* r = Rgn(rgn);
    HBRUSH__* b = BrushOf(brush);
    if (!d || !r || !b) return false;
    const QRegion& g = r->rgn;
    const QRegion inner = g & g.translated(width, 0) & g.translated(-width, 0) & g.translated(0, height) &
                          g.translated(0, -height);
    FillDeviceRegion(d, ToDevice(d, g - inner), BrushPaint(d, b), R2_COPYPEN);
    return true;
}

bool InvertRgn(HDC dc, HRGN rgn) {
    HDC__* d = DC(dc);
    HRGN__* r = Rgn(rgn);
    if (!d || !r) return false;
    FillDeviceRegion(d, ToDevice(d, r->rgn), SolidPaint(0), R2_NOT);
    return true;
}

int SelectClipRgn(HDC dc, HRGN rgn) {
    HDC__* d = DC(dc);
    if (!d) return RGN_ERROR;
    if (!rgn) {
        d->st.hasClip = false;
        d->st.clip = QRegion();
        return SIMPLEREGION;
    }
    HRGN__* r = Rgn(rgn);
    if (!r) return RGN_ERROR;
    return SetClip(d, r->rgn);
}

int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode) {
    HDC__* d = DC(dc);
    if (!d) return RGN_ERROR;
    if (mode == RGN_COPY) return SelectClipRgn(dc, rgn);
    HRGN__* r = Rgn(rgn);
    if (!r) return RGN_ERROR;
    const QRegion cur = WholeOr(d->st);
    switch (mode) {
    case RGN_AND: return SetClip(d, cur & r->rgn);
    case RGN_OR: return SetClip(d, cur | r->rgn);
    case RGN_XOR: return SetClip(d, cur ^ r->rgn);
    case RGN_DIFF: return SetClip(d, cur - r->rgn);
    default: return RGN_ERROR;
    }
}

int GetClipRgn(HDC dc, HRGN rgn) {
    HDC__* d = DC(dc);
    HRGN__* r = Rgn(rgn);
    if (!d || !r) return -1;
    if (!d->st.hasClip) return 0;
    r->rgn = d->st.clip;
    return 1;
}

int GetClipBox(HDC dc, TRect* rc) {
    HDC__* d = DC(dc);
    if (!d || !rc) return RGN_ERROR;
    const QRegion vis = d->Visible();
    const QRect b = vis.boundingRect();
    if (b.isEmpty()) {
        *rc = TRect();
        return NULLREGION;
    }
    *rc = TRect(b.left() - d->dx(), b.top() - d->dy(), b.right() + 1 - d->dx(), b.bottom() + 1 - d->dy());
    return RegionKind(vis);
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
    HDC__* d = DC(dc);
    if (!d) return RGN_ERROR;
    const QRect r = NormRect(left, top, right, bottom).translated(d->dx(), d->dy());
    return SetClip(d, WholeOr(d->st) - r);
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
    HDC__* d = DC(dc);
    if (!d) return RGN_ERROR;
    const QRect r = NormRect(left, top, right, bottom).translated(d->dx(), d->dy());
    return SetClip(d, WholeOr(d->st) & r);
}

int OffsetClipRgn(HDC dc, int dx, int dy) {
    HDC__* d = DC(dc);
    if (!d) return RGN_ERROR;
    if (d->st.hasClip) d->st.clip.translate(dx, dy);
    return RegionKind(d->Visible());
}

bool RectVisible(HDC dc, const TRect* rc) {
    HDC__* d = DC(dc);
    if (!d || !rc) return false;
    const QRect r = NormRect(rc->Left, rc->Top, rc->Right, rc->Bottom).translated(d->dx(), d->dy());
    if (r.isEmpty()) return false;
    return d->Visible().intersects(r);
}

bool PtVisible(HDC dc, int x, int y) {
    HDC__* d = DC(dc);
    if (!d) return false;
    return d->Visible().contains(QPoint(x + d->dx(), y + d->dy()));
}

// ---------------------------------------------------------------------------------------------
// Palettes

HPALETTE CreatePalette(const LOGPALETTE* palette) {
    if (!palette) return nullptr;
    auto* p = new HPALETTE__;
    p->entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
    return p;
}

HPALETTE SelectPalette(HDC dc, HPALETTE palette, bool) {
    HDC__* d = DC(dc);
    auto* p = ObjectAs<HPALETTE__>(palette, ObjKind::Palette);
    if (!d || !p || p->deleted.load()) return nullptr;
    auto old = static_cast<HPALETTE>(HandOut(d->palette, ObjKind::Palette));
    d->palette = p;
    return old;
}

UINT RealizePalette(HDC dc) {
    return 0;
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries) {
    auto* p = ObjectAs<HPALETTE__>(palette, ObjKind::Palette);
    if (!p) return 0;
    const auto& e = p->entries;
    if (!entries) return UINT(e.size());
    UINT n = 0;
    for (UINT i = start; i < e.size() && n < count; ++i) entries[n++] = e[i];
    return n;
}
