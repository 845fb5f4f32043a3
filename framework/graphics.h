#pragma once
// The framework's graphics: colours, fonts, pens, brushes, the canvas with the Windows drawing
// rules, graphics (bitmaps, icons, metafiles) and pictures.
//
// Drawing goes through the device-context interface of windows_gdi.h: a TCanvas owns or borrows
// an HDC and keeps its pen, brush and font selected into it before every operation (selecting
// them again when SaveDC / RestoreDC or a SelectObject on the handle replaced them).

#include <mutex>
#include <string>
#include <vector>

#include "framework/object.h"
#include "framework/types.h"
#include "framework/windows_gdi.h"

class TStream;
class TBitmap;
class TCanvas;
class TGraphic;

// ---------------------------------------------------------------------------------------------
// Colours: TColor is 0x00BBGGRR; system colours carry clSystemColor in the high byte and the
// system colour index in the low byte.

constexpr TColor clSystemColor = TColor(0xFF000000u);
constexpr TColor SysColor(int index) { return TColor(0xFF000000u | unsigned(index)); }

constexpr TColor clScrollBar = SysColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SysColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SysColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SysColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SysColor(COLOR_MENU);
constexpr TColor clWindow = SysColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SysColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SysColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SysColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SysColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SysColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SysColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SysColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SysColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SysColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SysColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SysColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SysColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SysColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SysColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SysColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SysColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SysColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SysColor(COLOR_INFOBK);
constexpr TColor clHotLight = SysColor(COLOR_HOTLIGHT);
constexpr TColor clGradientActiveCaption = SysColor(COLOR_GRADIENTACTIVECAPTION);
constexpr TColor clGradientInactiveCaption = SysColor(COLOR_GRADIENTINACTIVECAPTION);
constexpr TColor clMenuHighlight = SysColor(COLOR_MENUHILIGHT);
constexpr TColor clMenuBar = SysColor(COLOR_MENUBAR);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// Resolves a system colour through the classic colour table; other values are returned as they
// are.
LongInt ColorToRGB(TColor color);
// The colour's name ("clRed", "clBtnFace") or "$" and eight hexadecimal digits.
std::string ColorToString(TColor color);
// A colour name (any case) or a number ("$FF0000", "255"); raises EConvertError otherwise.
TColor StringToColor(const std::string& s);
bool ColorToIdent(LongInt color, std::string& ident);
bool IdentToColor(const std::string& ident, LongInt& color);
// Calls proc with every colour name in the framework's order (the named colours, then the system
// colours).
void GetColorValues(const std::function<void(const std::string&)>& proc);

// Pixels per inch the fonts are measured at (96 in tests and on the offscreen platform).
int ScreenPixelsPerInch();

// ---------------------------------------------------------------------------------------------
// Graphics objects

// Base of TFont, TPen and TBrush: a changing set of attributes behind a drawing-object handle.
class TGraphicsObject : public TPersistent {
    LUMORA_CLASS(TGraphicsObject, TPersistent)
public:
    TNotifyEvent OnChange;
    // The canvas that uses this object is told about changes through this hook, so a program
    // may set OnChange freely.
    std::function<void()> CanvasNotify;

protected:
    virtual void Changed();
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = Byte;
using TFontName = std::string;

class TFont : public TGraphicsObject {
    LUMORA_CLASS(TFont, TGraphicsObject)
public:
    TFont();
    ~TFont() override;
    void Assign(TPersistent* Source) override;

    HFONT GetHandle();
    // Takes the attributes of the font (escapement included); the handle stays the caller's.
    void SetHandle(HFONT Value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    // Negative: character height in pixels; positive: cell height.
    Integer GetHeight() const { return FLog.lfHeight; }
    void SetHeight(Integer Value);
    std::string GetName() const { return FLog.lfFaceName; }
    void SetName(const std::string& Value);
    // Points: -Height * 72 / PixelsPerInch.
    Integer GetSize() const;
    void SetSize(Integer Value);
    TFontStyles GetStyle() const;
    void SetStyle(TFontStyles Value);
    TFontCharset GetCharset() const { return FLog.lfCharSet; }
    void SetCharset(TFontCharset Value);
    TFontPitch GetPitch() const;
    void SetPitch(TFontPitch Value);
    Integer GetPixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(Integer Value) { FPixelsPerInch = Value; }
    // The attributes as a LOGFONT (what GetHandle creates).
    const LOGFONT& GetLogFont() const { return FLog; }

private:
    void Modify();
    LOGFONT FLog;
    TColor FColor = clWindowText;
    Integer FPixelsPerInch;
    HFONT FHandle = nullptr;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
// The binary raster operation of a pen mode.
int PenModeToROP2(TPenMode mode);

class TPen : public TGraphicsObject {
    LUMORA_CLASS(TPen, TGraphicsObject)
public:
    TPen() = default;
    ~TPen() override;
    void Assign(TPersistent* Source) override;

    HPEN GetHandle();
    void SetHandle(HPEN Value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    Integer GetWidth() const { return FWidth; }
    void SetWidth(Integer Value);
    TPenStyle GetStyle() const { return FStyle; }
    void SetStyle(TPenStyle Value);
    TPenMode GetMode() const { return FMode; }
    void SetMode(TPenMode Value);

private:
    void Modify();
    TColor FColor = clBlack;
    Integer FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
    HPEN FHandle = nullptr;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
    LUMORA_CLASS(TBrush, TGraphicsObject)
public:
    TBrush() = default;
    ~TBrush() override;
    void Assign(TPersistent* Source) override;

    HBRUSH GetHandle();
    void SetHandle(HBRUSH Value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    TBrushStyle GetStyle() const { return FStyle; }
    void SetStyle(TBrushStyle Value);
    // A pattern bitmap (not owned); while set, it replaces colour and style. Where the pattern
    // starts is the device context's brush origin (SetBrushOrgEx).
    TBitmap* GetBitmap() const { return FBitmap; }
    void SetBitmap(TBitmap* Value);

private:
    void Modify();
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TBitmap* FBitmap = nullptr;
    HBRUSH FHandle = nullptr;
};

// ---------------------------------------------------------------------------------------------
// The canvas

enum TCanvasState { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasStates = TSet<TCanvasState>;
enum TFillStyle { fsSurface, fsBorder };
using TCopyMode = LongInt;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmWhiteness = WHITENESS;

class TCanvas : public TPersistent {
    LUMORA_CLASS(TCanvas, TPersistent)
public:
    TCanvas();
    ~TCanvas() override;

    // Arcs, chords and pies run counter-clockwise from the ray through (X3, Y3) to the ray
    // through (X4, Y4), on the ellipse that fits (X1, Y1)-(X2, Y2).
    void Arc(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
    void Chord(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
    void Pie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
    // Copies Source of Bitmap to Dest, drawing the pixels of Color with the brush.
    void BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color);
    // Copies with CopyMode.
    void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);
    void Draw(Integer X, Integer Y, TGraphic* Graphic);
    void DrawFocusRect(const TRect& Rect);
    void Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2);
    void Ellipse(const TRect& Rect);
    // Fills with the brush; the right and bottom edges are left out.
    void FillRect(const TRect& Rect);
    void FloodFill(Integer X, Integer Y, TColor Color, TFillStyle FillStyle);
    void FrameRect(const TRect& Rect);
    bool HandleAllocated() const { return FHandle != nullptr; }
    // Draws with the pen from PenPos to (X, Y), leaving out (X, Y), and moves PenPos there.
    void LineTo(Integer X, Integer Y);
    void Lock();
    bool TryLock();
    void Unlock();
    Integer GetLockCount() const { return FLockCount; }
    void MoveTo(Integer X, Integer Y);
    void PolyBezier(const std::vector<TPoint>& Points);
    void PolyBezierTo(const std::vector<TPoint>& Points);
    // Filled with the brush by the alternate rule and outlined with the pen.
    void Polygon(const std::vector<TPoint>& Points);
    void Polygon(const TPoint* Points, Integer Count);
    void Polyline(const std::vector<TPoint>& Points);
    void Polyline(const TPoint* Points, Integer Count);
    void PolyPolyline(const std::vector<std::vector<TPoint>>& Lines);
    // Outline on the rectangle's edge pixels (X1..X2-1, Y1..Y2-1), brush inside.
    void Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2);
    void Rectangle(const TRect& Rect);
    void Refresh();
    void RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3);
    void StretchDraw(const TRect& Rect, TGraphic* Graphic);
    TSize TextExtent(const std::string& Text);
    // The cell height of the font (ascent plus descent).
    Integer TextHeight(const std::string& Text);
    Integer TextWidth(const std::string& Text);
    // Text with its cell's top-left corner at (X, Y); PenPos moves to the text's end.
    void TextOut(Integer X, Integer Y, const std::string& Text);
    // Text at (X, Y) clipped to Rect; an opaque brush fills Rect first.
    void TextRect(const TRect& Rect, Integer X, Integer Y, const std::string& Text);

    TBrush* GetBrush() const { return FBrush; }
    void SetBrush(TBrush* Value);
    TPen* GetPen() const { return FPen; }
    void SetPen(TPen* Value);
    TFont* GetFont() const { return FFont; }
    void SetFont(TFont* Value);
    TRect GetClipRect();
    TCopyMode GetCopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode Value);
    // The device context with pen, brush and font selected.
    HDC GetHandle();
    // Binds an external device context (the canvas does not delete it); null releases it.
    void SetHandle(HDC Value);
    TPoint GetPenPos();
    void SetPenPos(TPoint Value);
    TColor GetPixels(Integer X, Integer Y);
    void SetPixels(Integer X, Integer Y, TColor Value);
    // Extra ExtTextOut options for TextOut and TextRect (ETO_OPAQUE, ETO_RTLREADING).
    LongInt GetTextFlags() const { return FTextFlags; }
    void SetTextFlags(LongInt Value) { FTextFlags = Value; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void Changed();
    virtual void Changing();
    // Called when a handle is needed and none is bound; descendants create theirs here.
    virtual void CreateHandle() {}
    void RequiredState(TCanvasStates ReqState);
    // The bound device context as it is, without selecting anything into it.
    HDC CurrentHandle() const { return FHandle; }
    // Deselects the canvas's objects from the handle (before it is released).
    void DeselectHandles();

private:
    void CreateFontState();
    void CreatePenState();
    void CreateBrushState();
    // Which of the Valid objects the handle no longer has selected.
    TCanvasStates DeselectedObjects(TCanvasStates Valid) const;
    void ObjectChanged(TCanvasState which);

    HDC FHandle = nullptr;
    TCanvasStates FState;
    TFont* FFont;
    TPen* FPen;
    TBrush* FBrush;
    TPoint FPenPos;
    TCopyMode FCopyMode = cmSrcCopy;
    LongInt FTextFlags = 0;
    std::recursive_mutex FLock;
    Integer FLockCount = 0;
};

// Draws a 3-D frame of the given width inside Rect and shrinks Rect by it.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width);

// ---------------------------------------------------------------------------------------------
// Graphics

class TGraphic : public TPersistent {
    LUMORA_CLASS(TGraphic, TPersistent)
public:
    TGraphic() = default;
    virtual bool GetEmpty() = 0;
    virtual Integer GetHeight() = 0;
    virtual void SetHeight(Integer Value) = 0;
    virtual Integer GetWidth() = 0;
    virtual void SetWidth(Integer Value) = 0;
    virtual HPALETTE GetPalette() { return nullptr; }
    virtual void SetPalette(HPALETTE) {}
    virtual bool GetTransparent() { return FTransparent; }
    virtual void SetTransparent(bool Value);
    bool GetModified() const { return FModified; }
    // True fires OnChange; False only clears the flag.
    void SetModified(bool Value);

    // Through a TFileStream and LoadFromStream / SaveToStream.
    virtual void LoadFromFile(const std::string& FileName);
    virtual void SaveToFile(const std::string& FileName);
    virtual void LoadFromStream(TStream* Stream) = 0;
    virtual void SaveToStream(TStream* Stream) = 0;

    TNotifyEvent OnChange;

protected:
    friend class TCanvas;
    friend class TPicture;
    virtual void Changed(TObject* Sender);
    // Draws the graphic stretched into Rect.
    virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;
    bool FModified = false;
    bool FTransparent = false;
};

// A class reference to a TGraphic descendant.
using TGraphicClass = TClass;

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };
enum TBitmapHandleType { bmDIB, bmDDB };

// Bytes of one row of PixelsPerScanline pixels padded to Alignment bits.
Integer BytesPerScanline(Integer PixelsPerScanline, Integer BitsPerPixel, Integer Alignment);

class TBitmap : public TGraphic {
    LUMORA_CLASS(TBitmap, TGraphic)
public:
    TBitmap();
    ~TBitmap() override;
    void Assign(TPersistent* Source) override;

    bool GetEmpty() override;
    Integer GetHeight() override;
    void SetHeight(Integer Value) override;
    Integer GetWidth() override;
    void SetWidth(Integer Value) override;
    // Resizes keeping the top-left pixels; new area takes the canvas brush colour.
    void SetSize(Integer AWidth, Integer AHeight);
    void SetTransparent(bool Value) override;

    // pf1bit and pf24bit are kept; any other format is stored as pf24bit.
    TPixelFormat GetPixelFormat();
    void SetPixelFormat(TPixelFormat Value);
    bool GetMonochrome();
    void SetMonochrome(bool Value);
    // Row Row of the pixel block (row 0 is the top row); raises EInvalidGraphicOperation outside
    // 0..Height-1.
    void* ScanLine(Integer Row);
    TCanvas* GetCanvas();

    // The bitmap handle; it shares the pixel block, so drawing through it changes the bitmap.
    HBITMAP GetHandle();
    // Takes over a bitmap handle (the bitmap then owns it).
    void SetHandle(HBITMAP Value);
    // A handle to a copy of the pixels that the caller owns; the bitmap keeps its pixels.
    HBITMAP ReleaseHandle();
    // bmDIB (the default): a monochrome bitmap shows black and white wherever it is drawn.
    // bmDDB (also set by Monochrome): its bits take the text and background colours of the
    // device context it is drawn on, and colour turns white where it matches the source's
    // background colour, as masks expect.
    TBitmapHandleType GetHandleType() const { return FHandleType; }
    void SetHandleType(TBitmapHandleType Value);
    // A monochrome mask of the transparent colour (set where the colour is), owned by the bitmap.
    HBITMAP GetMaskHandle();
    HBITMAP ReleaseMaskHandle();
    // Turns the bitmap into a mask of the colour: white where it is, black elsewhere.
    void Mask(TColor TransparentColor);
    bool GetIgnorePalette() const { return FIgnorePalette; }
    void SetIgnorePalette(bool Value) { FIgnorePalette = Value; }
    // tmAuto: the colour of the bottom-left pixel; tmFixed: the colour set.
    TColor GetTransparentColor();
    void SetTransparentColor(TColor Value);
    TTransparentMode GetTransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode Value);
    // Nothing to release here: the pixels are always in memory.
    void Dormant() {}
    void FreeImage() {}

    // Windows BMP (1, 4, 8, 16, 24 and 32 bits, run-length and bit-field compression, core and
    // newer headers). Saved as 24 bits, or 1 bit with the palette black, white.
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;
    // The same codec on memory.
    void LoadFromBytes(const void* Data, size_t Size);
    std::vector<Byte> SaveToBytes();
    void LoadFromResourceName(void* Instance, const std::string& ResName);
    void LoadFromResourceID(void* Instance, Integer ResID);

protected:
    void Changed(TObject* Sender) override;
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
    friend class TBitmapCanvas;
    void NewImage(Integer W, Integer H, TPixelFormat PF, bool KeepPixels, TColor Fill);
    TColor FillColor();
    HBITMAP FImage = nullptr;      // never null: the pixel block lives in it
    HBITMAP FMaskHandle = nullptr;
    TColor FMaskColor = clNone;
    TCanvas* FCanvas = nullptr;
    TColor FTransparentColor = clDefault;
    TTransparentMode FTransparentMode = tmAuto;
    TBitmapHandleType FHandleType = bmDIB;
    bool FIgnorePalette = false;
};

class TIcon : public TGraphic {
    LUMORA_CLASS(TIcon, TGraphic)
public:
    TIcon();
    ~TIcon() override;
    void Assign(TPersistent* Source) override;

    bool GetEmpty() override;
    Integer GetHeight() override;
    // The size of an icon cannot change: raises EInvalidGraphicOperation.
    void SetHeight(Integer Value) override;
    Integer GetWidth() override;
    void SetWidth(Integer Value) override;
    bool GetTransparent() override { return true; }

    HICON GetHandle();
    // Takes over an icon handle.
    void SetHandle(HICON Value);
    HICON ReleaseHandle();

    // ICO files: the image nearest 32 x 32 (largest colour depth) is shown; saving writes the
    // file as it was loaded, or one 32-bit image for an icon made from a handle.
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;
    void LoadFromBytes(const void* Data, size_t Size);
    std::vector<Byte> SaveToBytes();
    void LoadFromResourceName(void* Instance, const std::string& ResName);

protected:
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
    void Clear();
    HICON FHandle = nullptr;
    std::vector<Byte> FData;  // the file as loaded
};

// Windows and enhanced metafiles: the size is read from the file header (a Windows metafile
// without a placeable header takes the window its records set, a logical unit to a pixel) and
// drawing plays the records scaled into the rectangle (framework/metafile_player.h).
class TMetafile : public TGraphic {
    LUMORA_CLASS(TMetafile, TGraphic)
public:
    TMetafile() = default;
    void Assign(TPersistent* Source) override;
    bool GetEmpty() override { return FData.empty(); }
    Integer GetHeight() override { return FHeight; }
    void SetHeight(Integer Value) override;
    Integer GetWidth() override { return FWidth; }
    void SetWidth(Integer Value) override;
    bool GetEnhanced() const { return FEnhanced; }
    void SetEnhanced(bool Value) { FEnhanced = Value; }
    Integer GetInch() const { return FInch; }
    // Placeable and plain Windows metafiles and enhanced metafiles; raises EInvalidGraphic for
    // anything else.
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;
    void LoadFromBytes(const void* Data, size_t Size);
    const std::vector<Byte>& GetData() const { return FData; }

protected:
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
    std::vector<Byte> FData;
    Integer FWidth = 0;
    Integer FHeight = 0;
    Integer FInch = 0;
    bool FEnhanced = true;
};

// ---------------------------------------------------------------------------------------------
// Pictures and the registry of graphic classes

class TPicture : public TPersistent {
    LUMORA_CLASS(TPicture, TPersistent)
public:
    TPicture() = default;
    ~TPicture() override;
    // Accepts a TPicture, a TGraphic (copied into a new graphic of its class) or null.
    void Assign(TPersistent* Source) override;

    TGraphic* GetGraphic() const { return FGraphic; }
    // Keeps a copy of Value (a new graphic of its class); null empties the picture.
    void SetGraphic(TGraphic* Value);
    // The graphic as a bitmap; a picture holding something else gets a new empty bitmap.
    TBitmap* GetBitmap();
    void SetBitmap(TBitmap* Value) { SetGraphic(Value); }
    TIcon* GetIcon();
    void SetIcon(TIcon* Value) { SetGraphic(Value); }
    TMetafile* GetMetafile();
    void SetMetafile(TMetafile* Value) { SetGraphic(Value); }
    Integer GetWidth() const;
    Integer GetHeight() const;

    // The graphic class comes from the file's extension; raises EInvalidGraphic for an unknown
    // one.
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName);

    static void RegisterFileFormat(const std::string& Extension, const std::string& Description,
                                   TGraphicClass GraphicClass);
    static void UnregisterGraphicClass(TGraphicClass GraphicClass);
    static void RegisterClipboardFormat(Word AFormat, TGraphicClass GraphicClass);
    static bool SupportsClipboardFormat(Word AFormat);
    // The graphic class registered for an extension (without the point, any case), or null.
    static TGraphicClass FindGraphicClass(const std::string& Extension);

    TNotifyEvent OnChange;

protected:
    virtual void Changed(TObject* Sender);

private:
    void ForceType(TGraphicClass cls);
    void Adopt(TGraphic* g);
    TGraphic* FGraphic = nullptr;
};

// "All (*.bmp;*.ico)|*.bmp;*.ico|Bitmaps (*.bmp)|*.bmp|..." for the formats of the class and its
// descendants, the latest registered first; no "All" entry when there is only one format.
std::string GraphicFilter(TGraphicClass GraphicClass);
// The extension registered last for exactly this class ("bmp"), empty when there is none.
std::string GraphicExtension(TGraphicClass GraphicClass);
// "*.bmp;*.ico" for the class and its descendants.
std::string GraphicFileMask(TGraphicClass GraphicClass);
