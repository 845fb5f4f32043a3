#pragma once
// Inside the graphics backend: the objects behind the drawing handles of windows_gdi.h, the
// device context, and the binding of a device context to an image owned elsewhere.
//
// Binding a canvas to a window's backing image (for the window code in framework/qt):
//
//     QImage* backing = ...;                       // Format_RGB32 or Format_ARGB32_Premultiplied
//     HDC dc = lumora_gdi::CreateImageDC(backing);  // draws straight into *backing
//     canvas->SetHandle(dc);                        // a TCanvas now paints the image
//     ...
//     canvas->SetHandle(nullptr);
//     DeleteDC(dc);
//
// or, doing the same for a canvas in one call, lumora_qt::BindCanvasToImage(canvas, backing) and
// lumora_qt::BindCanvasToImage(canvas, nullptr) (below).
//
// The image object must outlive the device context. It may be resized or replaced by assigning
// another QImage to it between drawing calls: every call reads its size and bits afresh. Supported
// formats: RGB32, ARGB32, ARGB32_Premultiplied (written opaque), BGR888 and Mono. Clip regions,
// origins and saved states of the device context stay as they are when the image changes.

#include <QCursor>
#include <QFont>
#include <QImage>
#include <QRegion>

#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "framework/windows_gdi.h"

#include "framework/gdi/gdi_objects.h"


namespace lumora_gdi {
struct FontEngine;
}

struct HFONT__ : lumora_gdi::GdiObject {
    HFONT__() : GdiObject(lumora_gdi::ObjKind::Font) {}
    LOGFONT lf;
    std::shared_ptr<lumora_gdi::FontEngine> engine;  // made on first use
};

struct HPALETTE__ : lumora_gdi::GdiObject {
    HPALETTE__() : GdiObject(lumora_gdi::ObjKind::Palette) {}
    std::vector<PALETTEENTRY> entries;
};

struct HRGN__ : lumora_gdi::GdiObject {
    HRGN__() : GdiObject(lumora_gdi::ObjKind::Region) {}
    QRegion rgn;
};

struct HICON__ : lumora_gdi::GdiObject {
    HICON__() : GdiObject(lumora_gdi::ObjKind::Icon) {}
    bool isIcon = true;
    int hotX = 0, hotY = 0;
    // ARGB image (premultiplied); for images without alpha the mask decides transparency.
    QImage image;
    // The classic pair: AND mask (set = transparent) and XOR colour image.
    QImage andMask;   // Format_Mono, same size
    QImage xorImage;  // Format_RGB32
    bool hasAlpha = false;
    // A standard cursor shape of the platform (Qt::CursorShape + 1), 0 for an image cursor.
    int standardShape = 0;
};

namespace lumora_gdi {

struct DCState {
    Ref<HPEN__> pen;
    Ref<HBRUSH__> brush;
    Ref<HFONT__> font;
    COLORREF text = 0x000000;
    COLORREF bk = 0xFFFFFF;
    int bkMode = OPAQUE;
    int rop2 = R2_COPYPEN;
    int fillMode = ALTERNATE;
    int stretchMode = BLACKONWHITE;
    UINT textAlign = TA_LEFT | TA_TOP;
    int arcDirection = AD_COUNTERCLOCKWISE;
    TPoint brushOrg;
    TPoint pos;
    TPoint viewportOrg;
    TPoint windowOrg;
    bool hasClip = false;
    QRegion clip;  // device coordinates
};

}  // namespace lumora_gdi

struct HDC__ {
    static constexpr uint32_t Magic = 0x4C474443u;
    uint32_t magic = Magic;
    enum class Kind { Memory, Image } kind = Kind::Memory;
    lumora_gdi::Ref<HBITMAP__> bitmap;  // memory device contexts
    lumora_gdi::Ref<HPALETTE__> palette;
    QImage* image = nullptr;             // image device contexts
    lumora_gdi::DCState st;
    std::vector<lumora_gdi::DCState> saved;
    // The window system's limit (the part being painted), apart from the saved states.
    bool hasSystemClip = false;
    QRegion systemClip;
    // Pixels per inch of the device drawn on (0: the screen's), for GetDeviceCaps.
    int dpi = 0;

    lumora_gdi::Surface surface();
    // Logical to device coordinates.
    int dx() const { return st.viewportOrg.X - st.windowOrg.X; }
    int dy() const { return st.viewportOrg.Y - st.windowOrg.Y; }
    QRect SurfaceRect();
    // The area drawing may touch, in device coordinates: the surface, cut by the clip region.
    QRegion Visible();
    // Whether one device pixel may be touched (cheaper than Visible() for single pixels).
    bool PixelVisible(int x, int y);
};

class TCanvas;

// The window system's way to the canvas (the same calls as framework/qt/canvas_binding_qt.h).
namespace lumora_qt {
// Makes Canvas draw on Image (nullptr: on nothing). The image must outlive the binding.
void BindCanvasToImage(TCanvas* Canvas, QImage* Image);
// Limits Canvas to Region (image coordinates; nullptr: no limit), beside its own clip region.
void SetCanvasClip(TCanvas* Canvas, const QRegion* Region);
// Draws Image on Canvas with its top left at (X, Y) (alpha blended when the image has alpha).
void DrawImageOnCanvas(TCanvas* Canvas, int X, int Y, const QImage& Image);
}  // namespace lumora_qt

namespace lumora_gdi {

// A device context drawing into an image owned by the caller (see the top of this file).
HDC CreateImageDC(QImage* image);
// Points an image device context at another image.
void SetImageDCTarget(HDC dc, QImage* image);

HDC__* DC(HDC dc);  // validated, or null
// The icon (or cursor) behind a handle, or null.
HICON__* IconOf(HICON h);
// A rectangle from two corners in any order.
inline QRect NormRect(int l, int t, int r, int b) {
    if (r < l) std::swap(l, r);
    if (b < t) std::swap(t, b);
    return QRect(l, t, r - l, b - t);
}
inline COLORREF Resolve(COLORREF c) { return c & 0x00FFFFFF; }

// The paint of a brush in a device context (its colours, background mode and brush origin).
Paint BrushPaint(HDC__* dc, HBRUSH__* brush, bool forBlit = false);
Paint SolidPaint(uint32_t rgb);

// Composites a coverage mask (its own device-space box) through the visible area.
enum class Coverage { Binary, Blend, Dual };
void CompositeMask(HDC__* dc, const QImage& mask, QPoint origin, const Paint& on, const Paint* gap,
                   int rop2, Coverage mode);
// Fills a device rectangle with a paint through the visible area.
void FillDeviceRect(HDC__* dc, QRect r, const Paint& paint, int rop2);
void FillDeviceRegion(HDC__* dc, const QRegion& rgn, const Paint& paint, int rop2);

// Converts a bitmap handle's pixels to an ARGB32 image (monochrome: clear black, set white).
QImage BitmapToImage(HBITMAP__* bmp);

// The blit engine shared by BitBlt, StretchBlt, MaskBlt, StretchDIBits and DrawDib.
struct BlitSource {
    Surface surface;
    // Colours of a monochrome source's clear and set bits.
    uint32_t mono0 = 0x000000;
    uint32_t mono1 = 0xFFFFFF;
    // For a monochrome destination: white where a colour source equals this colour
    // (0x00RRGGBB), or by the nearest colour when matchBk is false.
    bool matchBk = false;
    uint32_t bk = 0xFFFFFF;
};
// Destination rectangle in device coordinates; negative sizes mirror. A key (0x00RRGGBB) leaves
// the destination unchanged where the source has that colour.
bool Blit(HDC__* dst, int x, int y, int w, int h, const BlitSource* src, int sx, int sy, int sw,
          int sh, DWORD rop, int stretchMode, const Surface* mask = nullptr, int mx = 0, int my = 0,
          DWORD backRop = 0, int64_t key = -1);

// Text (text_qt.cpp).
struct FontEngine {
    QFont font;
    int ascent = 0, descent = 0, height = 0, internalLeading = 0, externalLeading = 0;
    int aveCharWidth = 0, maxCharWidth = 0, weight = FW_NORMAL;
    int escapement = 0;  // tenths of a degree
};
std::shared_ptr<FontEngine> EngineOf(HFONT__* font);
int TextWidthOf(const FontEngine& fe, const std::string& text);
// Renders text with its cell's top-left corner at the device point; with dx the characters are
// placed at the given advances.
void RenderText(HDC__* dc, const FontEngine& fe, int x, int y, const std::string& text,
                const QRegion* clip, const int* dx = nullptr);
// The face a Windows font name maps to.
QString SubstituteFontName(const std::string& name, int pitch);

// The platform cursor for a cursor handle (standard shapes or our own pictures).
QCursor ToQCursor(HCURSOR cursor);

}  // namespace lumora_gdi
