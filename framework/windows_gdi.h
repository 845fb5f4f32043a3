#pragma once
// The Windows drawing interface the components are written against: device contexts, drawing
// objects, regions, raster operations, text output, the classic edge and frame-control helpers,
// the device-independent bitmap structures and the DrawDib stand-in.
//
// Handles are opaque pointers to objects of the graphics backend. A device context draws onto a
// bitmap selected into it (memory device contexts) or onto an image owned by a window (see
// framework/qt/gdi_backend.h). Coordinates follow the Windows rules: a rectangle covers its left
// and top edges but not its right and bottom ones, a line leaves out its end point.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "framework/types.h"

static_assert(std::endian::native == std::endian::little,
              "the bitmap structures are stored in their little-endian file layout");

using UINT = uint32_t;
using LONG = int32_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using COLORREF = uint32_t;  // 0x00BBGGRR
using RECT = TRect;
using POINT = TPoint;
using SIZE = TSize;

// Opaque handles. Every drawing object is an HGDIOBJ; the typed handles convert to it.
using HGDIOBJ = void*;
struct HDC__;
struct HPEN__;
struct HBRUSH__;
struct HFONT__;
struct HBITMAP__;
struct HRGN__;
struct HPALETTE__;
struct HICON__;
using HDC = HDC__*;
using HPEN = HPEN__*;
using HBRUSH = HBRUSH__*;
using HFONT = HFONT__*;
using HBITMAP = HBITMAP__*;
using HRGN = HRGN__*;
using HPALETTE = HPALETTE__*;
using HICON = HICON__*;
using HCURSOR = HICON;

// ---------------------------------------------------------------------------------------------
// Colours

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) { return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16); }
constexpr BYTE GetRValue(COLORREF c) { return BYTE(c); }
constexpr BYTE GetGValue(COLORREF c) { return BYTE(c >> 8); }
constexpr BYTE GetBValue(COLORREF c) { return BYTE(c >> 16); }
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
constexpr COLORREF CLR_NONE = 0xFFFFFFFF;
constexpr COLORREF CLR_DEFAULT = 0xFF000000;

// System colour indexes.
enum : int {
    COLOR_SCROLLBAR = 0, COLOR_BACKGROUND = 1, COLOR_ACTIVECAPTION = 2, COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4, COLOR_WINDOW = 5, COLOR_WINDOWFRAME = 6, COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8, COLOR_CAPTIONTEXT = 9, COLOR_ACTIVEBORDER = 10, COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12, COLOR_HIGHLIGHT = 13, COLOR_HIGHLIGHTTEXT = 14, COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16, COLOR_GRAYTEXT = 17, COLOR_BTNTEXT = 18, COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20, COLOR_3DDKSHADOW = 21, COLOR_3DLIGHT = 22, COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24, COLOR_HOTLIGHT = 26, COLOR_GRADIENTACTIVECAPTION = 27,
    COLOR_GRADIENTINACTIVECAPTION = 28, COLOR_MENUHILIGHT = 29, COLOR_MENUBAR = 30,
    COLOR_DESKTOP = COLOR_BACKGROUND, COLOR_3DFACE = COLOR_BTNFACE, COLOR_3DSHADOW = COLOR_BTNSHADOW,
    COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT, COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT,
    COLOR_BTNHILIGHT = COLOR_BTNHIGHLIGHT,
};
constexpr int SysColorCount = 31;

// The classic Windows value of a system colour (one fixed table, the same on every machine).
COLORREF GetSysColor(int index);
// A stock brush of a system colour; it must not be deleted.
HBRUSH GetSysColorBrush(int index);
// Colour matching is exact on our true-colour devices.
COLORREF GetNearestColor(HDC dc, COLORREF color);

// ---------------------------------------------------------------------------------------------
// Rectangles and points

bool SetRect(TRect* r, int left, int top, int right, int bottom);
bool SetRectEmpty(TRect* r);
bool IsRectEmpty(const TRect* r);
bool EqualRect(const TRect* a, const TRect* b);
bool PtInRect(const TRect* r, TPoint p);
bool IntersectRect(TRect* dst, const TRect* a, const TRect* b);
bool UnionRect(TRect* dst, const TRect* a, const TRect* b);
bool SubtractRect(TRect* dst, const TRect* a, const TRect* b);
bool InflateRect(TRect* r, int dx, int dy);
bool OffsetRect(TRect* r, int dx, int dy);
bool CopyRect(TRect* dst, const TRect* src);
// IntersectRect and UnionRect as values, for expressions.
TRect IntersectionOf(const TRect& a, const TRect& b);
TRect UnionOf(const TRect& a, const TRect& b);

// ---------------------------------------------------------------------------------------------
// Drawing objects

enum : int {  // pen styles
    PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5,
    PS_INSIDEFRAME = 6,
};
enum : int {  // brush styles
    BS_SOLID = 0, BS_NULL = 1, BS_HOLLOW = BS_NULL, BS_HATCHED = 2, BS_PATTERN = 3,
};
enum : int {  // hatch styles
    HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3, HS_CROSS = 4,
    HS_DIAGCROSS = 5,
};
enum : int {  // stock objects
    WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3, BLACK_BRUSH = 4,
    NULL_BRUSH = 5, HOLLOW_BRUSH = NULL_BRUSH, WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8,
    OEM_FIXED_FONT = 10, ANSI_FIXED_FONT = 11, ANSI_VAR_FONT = 12, SYSTEM_FONT = 13,
    DEVICE_DEFAULT_FONT = 14, DEFAULT_PALETTE = 15, SYSTEM_FIXED_FONT = 16, DEFAULT_GUI_FONT = 17,
};
enum : int {  // object types
    OBJ_PEN = 1, OBJ_BRUSH = 2, OBJ_DC = 3, OBJ_PAL = 5, OBJ_FONT = 6, OBJ_BITMAP = 7,
    OBJ_REGION = 8, OBJ_MEMDC = 10,
};

struct LOGPEN {
    UINT lopnStyle = PS_SOLID;
    TPoint lopnWidth{1, 0};
    COLORREF lopnColor = 0;
};

struct LOGBRUSH {
    UINT lbStyle = BS_SOLID;
    COLORREF lbColor = 0;
    uintptr_t lbHatch = 0;  // hatch style, or the pattern bitmap for BS_PATTERN
};

enum : int {  // font weights, character sets, pitch and quality
    FW_DONTCARE = 0, FW_THIN = 100, FW_LIGHT = 300, FW_NORMAL = 400, FW_MEDIUM = 500,
    FW_SEMIBOLD = 600, FW_BOLD = 700, FW_HEAVY = 900,
    ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, GREEK_CHARSET = 161,
    TURKISH_CHARSET = 162, EASTEUROPE_CHARSET = 238, RUSSIAN_CHARSET = 204, OEM_CHARSET = 255,
    DEFAULT_PITCH = 0, FIXED_PITCH = 1, VARIABLE_PITCH = 2,
    DEFAULT_QUALITY = 0, DRAFT_QUALITY = 1, PROOF_QUALITY = 2, NONANTIALIASED_QUALITY = 3,
    ANTIALIASED_QUALITY = 4,
    OUT_DEFAULT_PRECIS = 0, CLIP_DEFAULT_PRECIS = 0,
};
constexpr int LF_FACESIZE = 32;

struct LOGFONT {
    LONG lfHeight = 0;       // < 0: character height in pixels, > 0: cell height, 0: default
    LONG lfWidth = 0;
    LONG lfEscapement = 0;   // tenths of a degree, counter-clockwise
    LONG lfOrientation = 0;
    LONG lfWeight = FW_NORMAL;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = DEFAULT_CHARSET;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = DEFAULT_QUALITY;
    BYTE lfPitchAndFamily = DEFAULT_PITCH;
    char lfFaceName[LF_FACESIZE] = {};
};

struct TEXTMETRIC {
    LONG tmHeight = 0;  // the cell height: ascent + descent
    LONG tmAscent = 0;
    LONG tmDescent = 0;
    LONG tmInternalLeading = 0;
    LONG tmExternalLeading = 0;
    LONG tmAveCharWidth = 0;
    LONG tmMaxCharWidth = 0;
    LONG tmWeight = 0;
    LONG tmOverhang = 0;
    LONG tmDigitizedAspectX = 96;
    LONG tmDigitizedAspectY = 96;
    char tmFirstChar = ' ';
    char tmLastChar = '\xFF';
    char tmDefaultChar = '?';
    char tmBreakChar = ' ';
    BYTE tmItalic = 0;
    BYTE tmUnderlined = 0;
    BYTE tmStruckOut = 0;
    BYTE tmPitchAndFamily = 0;
    BYTE tmCharSet = 0;
};

struct BITMAP {
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 1;
    WORD bmBitsPixel = 0;
    void* bmBits = nullptr;
};

HGDIOBJ GetStockObject(int index);
HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* lp);
// Pen types, end caps, joins and the user-defined dash style of ExtCreatePen.
inline constexpr DWORD
    PS_USERSTYLE = 7, PS_ALTERNATE = 8, PS_STYLE_MASK = 0xF,
    PS_ENDCAP_ROUND = 0x0, PS_ENDCAP_SQUARE = 0x100, PS_ENDCAP_FLAT = 0x200, PS_ENDCAP_MASK = 0xF00,
    PS_JOIN_ROUND = 0x0, PS_JOIN_BEVEL = 0x1000, PS_JOIN_MITER = 0x2000, PS_JOIN_MASK = 0xF000,
    PS_COSMETIC = 0x0, PS_GEOMETRIC = 0x10000, PS_TYPE_MASK = 0xF0000;
// A pen of the brush's colour. A geometric pen of more than one pixel keeps its end caps and joins,
// and a user style its dashes (lengths in pixels, dash first); a cosmetic pen is one pixel wide.
HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
// A brush from a copy of the bitmap's pixels. A monochrome pattern draws its clear bits in the
// device context's text colour and its set bits in its background colour.
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH* lb);
HFONT CreateFontIndirect(const LOGFONT* lf);
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, UINT italic,
                 UINT underline, UINT strikeOut, UINT charSet, UINT outPrecision, UINT clipPrecision,
                 UINT quality, UINT pitchAndFamily, const char* faceName);
// A bitmap of 1 or 24 bits per pixel (other depths are stored as 24 bits). Bits, when given, are
// rows padded to 2 bytes as the Windows call expects.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
// A bitmap with the format of the bitmap selected into the device context (24 bits for a
// colour device, 1 bit for a memory device context that still has its initial bitmap).
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// An object still selected into a device context, or kept in one of its saved states, stays
// usable there until the context lets go of it; its handle is not valid any more elsewhere.
bool DeleteObject(HGDIOBJ obj);
// Fills a LOGPEN, LOGBRUSH, LOGFONT or BITMAP; returns the bytes written, 0 on failure.
int GetObject(HGDIOBJ obj, int size, void* buffer);
int GetObjectType(HGDIOBJ obj);
bool UnrealizeObject(HGDIOBJ obj);

// ---------------------------------------------------------------------------------------------
// Device contexts

// A memory device context with a 1 x 1 monochrome bitmap selected. With a null dc it also
// serves as the screen context for text measurement.
HDC CreateCompatibleDC(HDC dc);
bool DeleteDC(HDC dc);
// Selects a pen, brush, font or bitmap and returns the previous one. A region becomes a copy as
// the clip region and the result is the region kind. Where the previous (or, for
// GetCurrentObject, the current) object was deleted, the object the context started with is
// returned in its place, so a returned handle is always safe to select again.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj);
HGDIOBJ GetCurrentObject(HDC dc, int objType);
// Saves the whole drawing state; returns its level (1 for the first save), 0 on failure.
int SaveDC(HDC dc);
// Restores a saved state: a positive level restores that one, a negative one counts back from
// the most recent (-1).
bool RestoreDC(HDC dc, int savedDC);

enum : int { TRANSPARENT = 1, OPAQUE = 2 };
enum : int {  // binary raster operations (pen and brush mix modes)
    R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4, R2_MASKPENNOT = 5,
    R2_NOT = 6, R2_XORPEN = 7, R2_NOTMASKPEN = 8, R2_MASKPEN = 9, R2_NOTXORPEN = 10, R2_NOP = 11,
    R2_MERGENOTPEN = 12, R2_COPYPEN = 13, R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16,
};
enum : int { ALTERNATE = 1, WINDING = 2 };
enum : int {  // stretch modes
    BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4,
    STRETCH_ANDSCANS = 1, STRETCH_ORSCANS = 2, STRETCH_DELETESCANS = 3, STRETCH_HALFTONE = 4,
};
enum : UINT {  // text alignment
    TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0,
    TA_BOTTOM = 8, TA_BASELINE = 24,
};
enum : int { AD_COUNTERCLOCKWISE = 1, AD_CLOCKWISE = 2 };

COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
int SetROP2(HDC dc, int rop2);
int GetROP2(HDC dc);
int SetPolyFillMode(HDC dc, int mode);
int GetPolyFillMode(HDC dc);
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
UINT SetTextAlign(HDC dc, UINT align);
UINT GetTextAlign(HDC dc);
int SetArcDirection(HDC dc, int dir);
int GetArcDirection(HDC dc);
bool SetBrushOrgEx(HDC dc, int x, int y, TPoint* old);
bool GetBrushOrgEx(HDC dc, TPoint* p);
// Logical coordinates map to device ones by: device = logical - window origin + viewport origin.
bool SetViewportOrgEx(HDC dc, int x, int y, TPoint* old);
bool GetViewportOrgEx(HDC dc, TPoint* p);
bool OffsetViewportOrgEx(HDC dc, int dx, int dy, TPoint* old);
bool SetWindowOrgEx(HDC dc, int x, int y, TPoint* old);
bool GetWindowOrgEx(HDC dc, TPoint* p);
bool MoveToEx(HDC dc, int x, int y, TPoint* old);
bool GetCurrentPositionEx(HDC dc, TPoint* p);

enum : int {  // device capabilities
    HORZRES = 8, VERTRES = 10, BITSPIXEL = 12, PLANES = 14, NUMCOLORS = 24, RASTERCAPS = 38,
    LOGPIXELSX = 88, LOGPIXELSY = 90, SIZEPALETTE = 104,
};
int GetDeviceCaps(HDC dc, int index);

// ---------------------------------------------------------------------------------------------
// Lines and shapes (pens and brushes mix with the device context's binary raster operation)

bool LineTo(HDC dc, int x, int y);
bool Polyline(HDC dc, const TPoint* points, int count);
bool PolylineTo(HDC dc, const TPoint* points, int count);
bool PolyPolyline(HDC dc, const TPoint* points, const DWORD* counts, int polylines);
bool Polygon(HDC dc, const TPoint* points, int count);
bool PolyPolygon(HDC dc, const TPoint* points, const int* counts, int polygons);
bool PolyBezier(HDC dc, const TPoint* points, int count);
bool PolyBezierTo(HDC dc, const TPoint* points, int count);
bool Rectangle(HDC dc, int left, int top, int right, int bottom);
bool RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height);
bool Ellipse(HDC dc, int left, int top, int right, int bottom);
bool Arc(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
bool Pie(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
bool Chord(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
// Fills with the brush, right and bottom edges left out; the raster operation does not apply.
int FillRect(HDC dc, const TRect* r, HBRUSH brush);
int FrameRect(HDC dc, const TRect* r, HBRUSH brush);
bool InvertRect(HDC dc, const TRect* r);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
bool SetPixelV(HDC dc, int x, int y, COLORREF color);
// CLR_INVALID outside the bitmap or the clip region.
COLORREF GetPixel(HDC dc, int x, int y);
enum : UINT { FLOODFILLBORDER = 0, FLOODFILLSURFACE = 1 };
bool ExtFloodFill(HDC dc, int x, int y, COLORREF color, UINT type);
bool FloodFill(HDC dc, int x, int y, COLORREF color);

// Calls proc for every point of the line from (x1, y1) towards (x2, y2), the end point left
// out, the same points LineTo draws.
using LINEDDAPROC = void (*)(int x, int y, LPARAM data);
bool LineDDA(int x1, int y1, int x2, int y2, LINEDDAPROC proc, LPARAM data);
void LineDDA(int x1, int y1, int x2, int y2, const std::function<void(int x, int y)>& proc);

// ---------------------------------------------------------------------------------------------
// Regions and clipping

enum : int { RGN_ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const TRect* r);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateEllipticRgnIndirect(const TRect* r);
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height);
// The interior of the polygon by the fill mode; the right and bottom edges lie outside.
HRGN CreatePolygonRgn(const TPoint* points, int count, int fillMode);
HRGN CreatePolyPolygonRgn(const TPoint* points, const int* counts, int polygons, int fillMode);
// dst = a op b (b unused for RGN_COPY); dst may be a or b. Returns the region kind.
int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode);
int OffsetRgn(HRGN rgn, int dx, int dy);
bool SetRectRgn(HRGN rgn, int left, int top, int right, int bottom);
bool PtInRegion(HRGN rgn, int x, int y);
bool RectInRegion(HRGN rgn, const TRect* r);
int GetRgnBox(HRGN rgn, TRect* r);
bool EqualRgn(HRGN a, HRGN b);
bool FillRgn(HDC dc, HRGN rgn, HBRUSH brush);
bool PaintRgn(HDC dc, HRGN rgn);
bool FrameRgn(HDC dc, HRGN rgn, HBRUSH brush, int width, int height);
bool InvertRgn(HDC dc, HRGN rgn);

// The clip region is kept in device coordinates; a null region removes it.
int SelectClipRgn(HDC dc, HRGN rgn);
int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode);
// 1 and a copy in rgn when there is a clip region, 0 when there is none, -1 on failure.
int GetClipRgn(HDC dc, HRGN rgn);
int GetClipBox(HDC dc, TRect* r);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int OffsetClipRgn(HDC dc, int dx, int dy);
bool RectVisible(HDC dc, const TRect* r);
bool PtVisible(HDC dc, int x, int y);

// ---------------------------------------------------------------------------------------------
// Block transfers

// Ternary raster operations: the index byte (bits 16..23) is the result for each combination of
// pattern, source and destination bits (bit P*4 + S*2 + D).
enum : DWORD {
    SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6, SRCINVERT = 0x00660046,
    SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008, NOTSRCERASE = 0x001100A6,
    MERGECOPY = 0x00C000CA, MERGEPAINT = 0x00BB0226, PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09,
    PATINVERT = 0x005A0049, DSTINVERT = 0x00550009, BLACKNESS = 0x00000042,
    WHITENESS = 0x00FF0062,
    // D xor (S and (P xor D)): the pattern where the source is white, the destination elsewhere.
    ROP_DSPDXAX = 0x00E20746,
    // P xor (S and (D xor P)): the destination where the source is white, the pattern elsewhere.
    ROP_PSDPXAX = 0x00B8074A,
};
constexpr DWORD MAKEROP4(DWORD fore, DWORD back) { return ((back << 8) & 0xFF000000) | fore; }

bool PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
// Copies with the raster operation. Between formats: a monochrome source draws its clear bits
// in the destination's text colour and its set bits in its background colour; a colour source
// becomes white in a monochrome destination where it matches the source's background colour and
// black elsewhere.
bool BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop);
bool StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc,
                int srcWidth, int srcHeight, DWORD rop);
// Copies like StretchBlt with SRCCOPY, leaving the destination unchanged where the source pixel
// has the transparent colour (a monochrome source compares its black or white).
bool TransparentBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                    int srcHeight, UINT transparent);
// Foreground operation where the mask bit is set, background operation where it is clear.
bool MaskBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc,
             HBITMAP mask, int xMask, int yMask, DWORD rop4);

// ---------------------------------------------------------------------------------------------
// Device-independent bitmaps

enum : DWORD { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_JPEG = 4, BI_PNG = 5 };
enum : UINT { DIB_RGB_COLORS = 0, DIB_PAL_COLORS = 1 };

#pragma pack(push, 2)
struct BITMAPFILEHEADER {
    WORD bfType;        // "BM"
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
};
#pragma pack(pop)

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;      // > 0: rows bottom-up; < 0: rows top-down
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct BITMAPCOREHEADER {
    DWORD bcSize;
    WORD bcWidth;
    WORD bcHeight;
    WORD bcPlanes;
    WORD bcBitCount;
};

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct RGBTRIPLE {
    BYTE rgbtBlue;
    BYTE rgbtGreen;
    BYTE rgbtRed;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

static_assert(sizeof(BITMAPFILEHEADER) == 14);
static_assert(offsetof(BITMAPFILEHEADER, bfOffBits) == 10);
static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(offsetof(BITMAPINFOHEADER, biBitCount) == 14);
static_assert(offsetof(BITMAPINFOHEADER, biCompression) == 16);
static_assert(offsetof(BITMAPINFOHEADER, biClrUsed) == 32);
static_assert(sizeof(BITMAPCOREHEADER) == 12);
static_assert(sizeof(RGBQUAD) == 4);
static_assert(sizeof(RGBTRIPLE) == 3);
static_assert(sizeof(BITMAPINFO) == 44);

constexpr DWORD MAKEFOURCC(char a, char b, char c, char d) {
    return DWORD(BYTE(a)) | (DWORD(BYTE(b)) << 8) | (DWORD(BYTE(c)) << 16) | (DWORD(BYTE(d)) << 24);
}
constexpr DWORD mmioFOURCC(char a, char b, char c, char d) { return MAKEFOURCC(a, b, c, d); }

// Bytes per row of a device-independent bitmap (rows padded to 4 bytes).
constexpr int DibRowBytes(int width, int bitCount) { return int(((int64_t(width) * bitCount + 31) / 32) * 4); }

// Draws a packed device-independent bitmap (1, 4, 8, 16, 24 or 32 bits, uncompressed or bit
// fields) with the stretch mode and raster operation. For a bottom-up bitmap ySrc counts from the
// bottom row, for a top-down one from the top row. Returns the number of lines drawn.
int StretchDIBits(HDC dc, int xDst, int yDst, int dstWidth, int dstHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info,
                  UINT usage, DWORD rop);
int SetDIBitsToDevice(HDC dc, int xDst, int yDst, DWORD width, DWORD height, int xSrc, int ySrc,
                      UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info,
                      UINT usage);

// The DrawDib stand-in: draws a 1-bit or 24-bit device-independent bitmap (the source rectangle
// counted from its top-left corner) into the destination rectangle with nearest-neighbour
// stretching. A destination size of -1 takes the source size.
struct HDRAWDIB__;
using HDRAWDIB = HDRAWDIB__*;
enum : UINT { DDF_HALFTONE = 0x1000, DDF_BACKGROUNDPAL = 0x200, DDF_SAME_DRAW = 0x8 };
HDRAWDIB DrawDibOpen();
bool DrawDibClose(HDRAWDIB hdd);
bool DrawDibDraw(HDRAWDIB hdd, HDC dc, int xDst, int yDst, int dxDst, int dyDst,
                 const BITMAPINFOHEADER* header, const void* bits, int xSrc, int ySrc, int dxSrc,
                 int dySrc, UINT flags);
UINT DrawDibRealize(HDRAWDIB hdd, HDC dc, bool background);

// ---------------------------------------------------------------------------------------------
// Text

// DrawText flags
inline constexpr UINT
    DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40,
    DT_TABSTOP = 0x80, DT_NOCLIP = 0x100, DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800, DT_INTERNAL = 0x1000, DT_EDITCONTROL = 0x2000,
    DT_PATH_ELLIPSIS = 0x4000, DT_END_ELLIPSIS = 0x8000, DT_MODIFYSTRING = 0x10000,
    DT_RTLREADING = 0x20000, DT_WORD_ELLIPSIS = 0x40000, DT_NOFULLWIDTHCHARBREAK = 0x80000,
    DT_HIDEPREFIX = 0x100000, DT_PREFIXONLY = 0x200000;
inline constexpr UINT ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4, ETO_RTLREADING = 0x80;

// Text is UTF-8; count is in bytes, -1 for a zero-terminated text.
bool TextOut(HDC dc, int x, int y, const char* text, int count);
bool ExtTextOut(HDC dc, int x, int y, UINT options, const TRect* rect, const char* text, int count,
                const int* dx);
// Returns the height of the text (with DT_VCENTER or DT_BOTTOM the offset from the rectangle's
// top to the bottom of the text); with DT_CALCRECT nothing is drawn and the rectangle is fitted
// to the text.
int DrawText(HDC dc, const char* text, int count, TRect* rect, UINT format);
int DrawText(HDC dc, const std::string& text, TRect* rect, UINT format);
bool GetTextExtentPoint32(HDC dc, const char* text, int count, TSize* size);
bool GetTextMetrics(HDC dc, TEXTMETRIC* tm);
int GetTextFace(HDC dc, int count, char* faceName);

// ---------------------------------------------------------------------------------------------
// The classic look: edges, frame controls, focus rectangles

inline constexpr UINT
    BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4, BDR_SUNKENINNER = 0x8,
    BDR_OUTER = 0x3, BDR_INNER = 0xC, BDR_RAISED = 0x5, BDR_SUNKEN = 0xA,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER, EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
    EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER, EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
inline constexpr UINT
    BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8, BF_TOPLEFT = BF_TOP | BF_LEFT,
    BF_TOPRIGHT = BF_TOP | BF_RIGHT, BF_BOTTOMLEFT = BF_BOTTOM | BF_LEFT,
    BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT, BF_RECT = 0xF, BF_DIAGONAL = 0x10,
    BF_DIAGONAL_ENDTOPRIGHT = BF_DIAGONAL | BF_TOP | BF_RIGHT,
    BF_DIAGONAL_ENDTOPLEFT = BF_DIAGONAL | BF_TOP | BF_LEFT,
    BF_DIAGONAL_ENDBOTTOMLEFT = BF_DIAGONAL | BF_BOTTOM | BF_LEFT,
    BF_DIAGONAL_ENDBOTTOMRIGHT = BF_DIAGONAL | BF_BOTTOM | BF_RIGHT,
    BF_MIDDLE = 0x800, BF_SOFT = 0x1000, BF_ADJUST = 0x2000, BF_FLAT = 0x4000, BF_MONO = 0x8000;
// Draws the edges on the sides named by flags; with BF_ADJUST the rectangle becomes the area
// inside them.
bool DrawEdge(HDC dc, TRect* rect, UINT edge, UINT flags);

inline constexpr UINT DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4, DFC_POPUPMENU = 5;
inline constexpr UINT
    DFCS_CAPTIONCLOSE = 0x0, DFCS_CAPTIONMIN = 0x1, DFCS_CAPTIONMAX = 0x2,
    DFCS_CAPTIONRESTORE = 0x3, DFCS_CAPTIONHELP = 0x4,
    DFCS_MENUARROW = 0x0, DFCS_MENUCHECK = 0x1, DFCS_MENUBULLET = 0x2, DFCS_MENUARROWRIGHT = 0x4,
    DFCS_SCROLLUP = 0x0, DFCS_SCROLLDOWN = 0x1, DFCS_SCROLLLEFT = 0x2, DFCS_SCROLLRIGHT = 0x3,
    DFCS_SCROLLCOMBOBOX = 0x5, DFCS_SCROLLSIZEGRIP = 0x8, DFCS_SCROLLSIZEGRIPRIGHT = 0x10,
    DFCS_BUTTONCHECK = 0x0, DFCS_BUTTONRADIOIMAGE = 0x1, DFCS_BUTTONRADIOMASK = 0x2,
    DFCS_BUTTONRADIO = 0x4, DFCS_BUTTON3STATE = 0x8, DFCS_BUTTONPUSH = 0x10,
    DFCS_INACTIVE = 0x100, DFCS_PUSHED = 0x200, DFCS_CHECKED = 0x400, DFCS_TRANSPARENT = 0x800,
    DFCS_HOT = 0x1000, DFCS_ADJUSTRECT = 0x2000, DFCS_FLAT = 0x4000, DFCS_MONO = 0x8000;
bool DrawFrameControl(HDC dc, TRect* rect, UINT type, UINT state);

// Inverts a dotted frame one pixel wide (through the text and background colours); drawing it
// twice restores the pixels.
bool DrawFocusRect(HDC dc, const TRect* r);

// Caption bars: DC_ACTIVE draws the active colours, DC_GRADIENT a gradient towards the gradient
// caption colour, DC_SMALLCAP the small caption font; the text is shortened with "..." to fit.
// (The window layer's DrawCaption takes the window's text and draws it through this.)
inline constexpr UINT DC_ACTIVE = 0x1, DC_SMALLCAP = 0x2, DC_ICON = 0x4, DC_TEXT = 0x8, DC_INBUTTON = 0x10,
                      DC_GRADIENT = 0x20;
bool DrawCaptionBar(HDC dc, const TRect* rect, const std::string& text, UINT flags);

// ---------------------------------------------------------------------------------------------
// Palettes: our devices are true colour, so palettes only hold their entries.

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

struct LOGPALETTE {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[1];
};

HPALETTE CreatePalette(const LOGPALETTE* palette);
// Returns the previous palette (the default one at first).
HPALETTE SelectPalette(HDC dc, HPALETTE palette, bool forceBackground);
// The number of entries mapped into the system palette: none on a true-colour device.
UINT RealizePalette(HDC dc);
UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries);

// ---------------------------------------------------------------------------------------------
// Icons and cursors

struct ICONINFO {
    bool fIcon = true;
    DWORD xHotspot = 0;
    DWORD yHotspot = 0;
    HBITMAP hbmMask = nullptr;   // AND mask (set = transparent); twice the height without colour
    HBITMAP hbmColor = nullptr;  // XOR image
};
enum : UINT { DI_MASK = 1, DI_IMAGE = 2, DI_NORMAL = 3, DI_DEFAULTSIZE = 8 };

// Copies of the bitmaps go into the new icon; the caller keeps its own.
HICON CreateIconIndirect(const ICONINFO* info);
// Fills info with new bitmaps the caller deletes.
bool GetIconInfo(HICON icon, ICONINFO* info);
HICON CopyIcon(HICON icon);
bool DestroyIcon(HICON icon);
bool DestroyCursor(HCURSOR cursor);
bool DrawIcon(HDC dc, int x, int y, HICON icon);
bool DrawIconEx(HDC dc, int x, int y, HICON icon, int width, int height, UINT step,
                HBRUSH flickerFree, UINT flags);
// Size of an icon in pixels (0 x 0 for an invalid handle).
TSize GetIconSize(HICON icon);
