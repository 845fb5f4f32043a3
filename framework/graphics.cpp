// Colours, the graphics objects (font, pen, brush), the canvas and the picture registry.

#include "framework/graphics.h"

#include "framework/byte_order.h"
#include "framework/file_utils.h"
#include "framework/math_utils.h"
#include "framework/metafile_player.h"
#include "framework/stream.h"
#include "framework/sysutils.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

struct ColorName {
    TColor value;
    const char* name;
};

const ColorName kColorNames[] = {
    {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
    {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
    {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
    {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"}, {clSkyBlue, "clSkyBlue"}, {clCream, "clCream"}, {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"}, {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"}, {clBackground, "clBackground"}, {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"}, {clBtnShadow, "clBtnShadow"}, {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"}, {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"}, {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"}, {clHighlightText, "clHighlightText"}, {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"}, {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"}, {clInfoBk, "clInfoBk"}, {clInfoText, "clInfoText"},
    {clMenu, "clMenu"}, {clMenuBar, "clMenuBar"}, {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"}, {clNone, "clNone"}, {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"}, {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"}, {clWindowText, "clWindowText"},
};

}  // namespace

LongInt ColorToRGB(TColor color) {
    if (color < 0) return LongInt(GetSysColor(color & 0xFF));
    return color;
}

bool ColorToIdent(LongInt color, std::string& ident) {
    for (const ColorName& c : kColorNames)
        if (c.value == color) {
            ident = c.name;
            return true;
        }
    return false;
}

bool IdentToColor(const std::string& ident, LongInt& color) {
    for (const ColorName& c : kColorNames)
        if (SameText(c.name, ident)) {
            color = c.value;
            return true;
        }
    return false;
}

std::string ColorToString(TColor color) {
    std::string s;
    if (ColorToIdent(color, s)) return s;
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%.8X", uint32_t(color));
    return buf;
}

TColor StringToColor(const std::string& s) {
    LongInt v = 0;
    if (IdentToColor(s, v)) return v;
    return StrToInt(s);
}

void GetColorValues(const std::function<void(const std::string&)>& proc) {
    if (!proc) return;
    for (const ColorName& c : kColorNames) proc(c.name);
}

int PenModeToROP2(TPenMode mode) {
    static const int rops[] = {R2_BLACK, R2_WHITE, R2_NOP, R2_NOT, R2_COPYPEN, R2_NOTCOPYPEN, R2_MERGEPENNOT,
                               R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN, R2_NOTMERGEPEN,
                               R2_MASKPEN, R2_NOTMASKPEN, R2_XORPEN, R2_NOTXORPEN};
    return rops[std::clamp(int(mode), 0, 15)];
}

// ---------------------------------------------------------------------------------------------
// Graphics objects

void TGraphicsObject::Changed() {
    if (CanvasNotify) CanvasNotify();
    if (OnChange) OnChange(this);
}

TFont::TFont() : FPixelsPerInch(ScreenPixelsPerInch()) {
    FLog.lfHeight = -MulDiv(8, FPixelsPerInch, 72);
    FLog.lfWeight = FW_NORMAL;
    FLog.lfCharSet = DEFAULT_CHARSET;
    std::strncpy(FLog.lfFaceName, "MS Sans Serif", LF_FACESIZE - 1);
}

TFont::~TFont() {
    if (FHandle) DeleteObject(FHandle);
}

void TFont::Modify() {
    if (FHandle) {
        DeleteObject(FHandle);
        FHandle = nullptr;
    }
    Changed();
}

void TFont::Assign(TPersistent* Source) {
    if (auto* f = dynamic_cast<TFont*>(Source)) {
        if (f == this) return;
        FLog = f->FLog;
        FColor = f->FColor;
        if (f->FPixelsPerInch != FPixelsPerInch && FLog.lfHeight != 0)
            FLog.lfHeight = MulDiv(FLog.lfHeight, FPixelsPerInch, f->FPixelsPerInch);
        Modify();
        return;
    }
    TGraphicsObject::Assign(Source);
}

HFONT TFont::GetHandle() {
    if (!FHandle) FHandle = CreateFontIndirect(&FLog);
    return FHandle;
}

void TFont::SetHandle(HFONT Value) {
    LOGFONT lf;
    if (!Value || GetObject(Value, sizeof lf, &lf) != int(sizeof lf)) return;
    FLog = lf;
    Modify();
}

void TFont::SetColor(TColor Value) {
    if (FColor == Value) return;
    FColor = Value;
    Changed();
}

void TFont::SetHeight(Integer Value) {
    if (FLog.lfHeight == Value) return;
    FLog.lfHeight = Value;
    Modify();
}

void TFont::SetName(const std::string& Value) {
    if (Value.empty() || Value == FLog.lfFaceName) return;
    std::memset(FLog.lfFaceName, 0, LF_FACESIZE);
    std::strncpy(FLog.lfFaceName, Value.c_str(), LF_FACESIZE - 1);
    Modify();
}

Integer TFont::GetSize() const {
    return -MulDiv(FLog.lfHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(Integer Value) {
    SetHeight(-MulDiv(Value, FPixelsPerInch, 72));
}

TFontStyles TFont::GetStyle() const {
    TFontStyles s;
    if (FLog.lfWeight >= FW_BOLD) s.Include(fsBold);
    if (FLog.lfItalic) s.Include(fsItalic);
    if (FLog.lfUnderline) s.Include(fsUnderline);
    if (FLog.lfStrikeOut) s.Include(fsStrikeOut);
    return s;
}

void TFont::SetStyle(TFontStyles Value) {
    if (Value == GetStyle()) return;
    FLog.lfWeight = Value.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    FLog.lfItalic = Value.Contains(fsItalic);
    FLog.lfUnderline = Value.Contains(fsUnderline);
    FLog.lfStrikeOut = Value.Contains(fsStrikeOut);
    Modify();
}

void TFont::SetCharset(TFontCharset Value) {
    if (FLog.lfCharSet == Value) return;
    FLog.lfCharSet = Value;
    Modify();
}

TFontPitch TFont::GetPitch() const {
    switch (FLog.lfPitchAndFamily & 3) {
    case FIXED_PITCH: return fpFixed;
    case VARIABLE_PITCH: return fpVariable;
    default: return fpDefault;
    }
}

void TFont::SetPitch(TFontPitch Value) {
    static const BYTE pitches[] = {DEFAULT_PITCH, VARIABLE_PITCH, FIXED_PITCH};
    const BYTE p = pitches[Value];
    if ((FLog.lfPitchAndFamily & 3) == p) return;
    FLog.lfPitchAndFamily = BYTE((FLog.lfPitchAndFamily & ~3) | p);
    Modify();
}

TPen::~TPen() {
    if (FHandle) DeleteObject(FHandle);
}

void TPen::Modify() {
    if (FHandle) {
        DeleteObject(FHandle);
        FHandle = nullptr;
    }
    Changed();
}

void TPen::Assign(TPersistent* Source) {
    if (auto* p = dynamic_cast<TPen*>(Source)) {
        if (p == this) return;
        FColor = p->FColor;
        FWidth = p->FWidth;
        FStyle = p->FStyle;
        FMode = p->FMode;
        Modify();
        return;
    }
    TGraphicsObject::Assign(Source);
}

HPEN TPen::GetHandle() {
    if (!FHandle) {
        static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
        FHandle = CreatePen(styles[FStyle], FWidth, COLORREF(ColorToRGB(FColor)));
    }
    return FHandle;
}

void TPen::SetHandle(HPEN Value) {
    LOGPEN lp;
    if (!Value || GetObject(Value, sizeof lp, &lp) != int(sizeof lp)) return;
    static const TPenStyle styles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame};
    FStyle = styles[std::min<UINT>(lp.lopnStyle, 6)];
    FWidth = lp.lopnWidth.X;
    FColor = TColor(lp.lopnColor & 0xFFFFFF);
    Modify();
}

void TPen::SetColor(TColor Value) {
    if (FColor == Value) return;
    FColor = Value;
    Modify();
}

void TPen::SetWidth(Integer Value) {
    if (Value < 0 || FWidth == Value) return;
    FWidth = Value;
    Modify();
}

void TPen::SetStyle(TPenStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    Modify();
}

void TPen::SetMode(TPenMode Value) {
    if (FMode == Value) return;
    FMode = Value;
    Changed();
}

TBrush::~TBrush() {
    if (FHandle) DeleteObject(FHandle);
}

void TBrush::Modify() {
    if (FHandle) {
        DeleteObject(FHandle);
        FHandle = nullptr;
    }
    Changed();
}

void TBrush::Assign(TPersistent* Source) {
    if (auto* b = dynamic_cast<TBrush*>(Source)) {
        if (b == this) return;
        FColor = b->FColor;
        FStyle = b->FStyle;
        FBitmap = b->FBitmap;
        Modify();
        return;
    }
    TGraphicsObject::Assign(Source);
}

HBRUSH TBrush::GetHandle() {
    if (!FHandle) {
        const COLORREF c = COLORREF(ColorToRGB(FColor));
        if (FBitmap && !FBitmap->GetEmpty()) FHandle = CreatePatternBrush(FBitmap->GetHandle());
        if (!FHandle) {
            switch (FStyle) {
            case bsSolid: FHandle = CreateSolidBrush(c); break;
            case bsClear: {
                LOGBRUSH lb;
                lb.lbStyle = BS_NULL;
                FHandle = CreateBrushIndirect(&lb);
                break;
            }
            default: FHandle = CreateHatchBrush(int(FStyle) - int(bsHorizontal), c); break;
            }
        }
    }
    return FHandle;
}

void TBrush::SetHandle(HBRUSH Value) {
    LOGBRUSH lb;
    if (!Value || GetObject(Value, sizeof lb, &lb) != int(sizeof lb)) return;
    FColor = TColor(lb.lbColor & 0xFFFFFF);
    FBitmap = nullptr;
    if (lb.lbStyle == BS_NULL) FStyle = bsClear;
    else if (lb.lbStyle == BS_HATCHED) FStyle = TBrushStyle(int(bsHorizontal) + int(lb.lbHatch));
    else FStyle = bsSolid;
    Modify();
}

void TBrush::SetColor(TColor Value) {
    if (FColor == Value) return;
    FColor = Value;
    if (FStyle == bsClear) FStyle = bsSolid;
    Modify();
}

void TBrush::SetStyle(TBrushStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    Modify();
}

void TBrush::SetBitmap(TBitmap* Value) {
    FBitmap = Value;
    Modify();
}

// ---------------------------------------------------------------------------------------------
// The canvas

TCanvas::TCanvas() : FFont(new TFont), FPen(new TPen), FBrush(new TBrush) {
    FFont->CanvasNotify = [this] { ObjectChanged(csFontValid); };
    FPen->CanvasNotify = [this] { ObjectChanged(csPenValid); };
    FBrush->CanvasNotify = [this] { ObjectChanged(csBrushValid); };
}

TCanvas::~TCanvas() {
    SetHandle(nullptr);
    FFont->Free();
    FPen->Free();
    FBrush->Free();
}

void TCanvas::ObjectChanged(TCanvasState which) {
    if (!FState.Contains(which)) return;
    FState.Exclude(which);
    if (!FHandle) return;
    switch (which) {
    case csFontValid: SelectObject(FHandle, GetStockObject(SYSTEM_FONT)); break;
    case csPenValid: SelectObject(FHandle, GetStockObject(BLACK_PEN)); break;
    case csBrushValid: SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH)); break;
    default: break;
    }
}

void TCanvas::DeselectHandles() {
    if (!FHandle) return;
    if (FState.Contains(csPenValid)) SelectObject(FHandle, GetStockObject(BLACK_PEN));
    if (FState.Contains(csBrushValid)) SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
    if (FState.Contains(csFontValid)) SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
    FState -= TCanvasStates{csPenValid, csBrushValid, csFontValid};
}

void TCanvas::SetHandle(HDC Value) {
    if (FHandle == Value) return;
    if (FHandle) {
        DeselectHandles();
        FHandle = nullptr;
        FState.Exclude(csHandleValid);
    }
    if (Value) {
        FState.Include(csHandleValid);
        FHandle = Value;
    }
}

void TCanvas::CreateFontState() {
    SelectObject(FHandle, FFont->GetHandle());
    ::SetTextColor(FHandle, COLORREF(ColorToRGB(FFont->GetColor())));
}

void TCanvas::CreatePenState() {
    SelectObject(FHandle, FPen->GetHandle());
    ::SetROP2(FHandle, PenModeToROP2(FPen->GetMode()));
}

void TCanvas::CreateBrushState() {
    UnrealizeObject(FBrush->GetHandle());
    SelectObject(FHandle, FBrush->GetHandle());
    const COLORREF c = COLORREF(ColorToRGB(FBrush->GetColor()));
    if (FBrush->GetStyle() == bsSolid) {
        ::SetBkColor(FHandle, c);
        ::SetBkMode(FHandle, OPAQUE);
    } else {
        ::SetBkColor(FHandle, ~c & 0xFFFFFF);
        ::SetBkMode(FHandle, TRANSPARENT);
    }
}

TCanvasStates TCanvas::DeselectedObjects(TCanvasStates Valid) const {
    TCanvasStates lost;
    if (Valid.Contains(csFontValid) && GetCurrentObject(FHandle, OBJ_FONT) != FFont->GetHandle())
        lost.Include(csFontValid);
    if (Valid.Contains(csPenValid) && GetCurrentObject(FHandle, OBJ_PEN) != FPen->GetHandle())
        lost.Include(csPenValid);
    if (Valid.Contains(csBrushValid) && GetCurrentObject(FHandle, OBJ_BRUSH) != FBrush->GetHandle())
        lost.Include(csBrushValid);
    return lost;
}

void TCanvas::RequiredState(TCanvasStates ReqState) {
    TCanvasStates needed = ReqState - FState;
    // The handle may have been restored (RestoreDC) or given other objects behind the canvas's
    // back: what it no longer has selected is selected again.
    if (FHandle) needed += DeselectedObjects(ReqState * FState);
    if (needed.Empty()) return;
    if (needed.Contains(csHandleValid)) {
        CreateHandle();
        if (!FHandle) throw EInvalidOperation("Canvas does not allow drawing");
        FState.Include(csHandleValid);
    }
    if (needed.Contains(csFontValid)) CreateFontState();
    if (needed.Contains(csPenValid)) CreatePenState();
    if (needed.Contains(csBrushValid)) CreateBrushState();
    FState += needed;
}

void TCanvas::Changed() {
    if (OnChange) OnChange(this);
}

void TCanvas::Changing() {
    if (OnChanging) OnChanging(this);
}

namespace {
const TCanvasStates kAll{csHandleValid, csFontValid, csPenValid, csBrushValid};
const TCanvasStates kPenBrush{csHandleValid, csPenValid, csBrushValid};
}  // namespace

HDC TCanvas::GetHandle() {
    Changing();
    RequiredState(kAll);
    return FHandle;
}

void TCanvas::Arc(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4) {
    Changing();
    RequiredState(kPenBrush);
    ::Arc(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
    Changed();
}

void TCanvas::Chord(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4) {
    Changing();
    RequiredState(kPenBrush);
    ::Chord(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
    Changed();
}

void TCanvas::Pie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4) {
    Changing();
    RequiredState(kPenBrush);
    ::Pie(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
    Changed();
}

void TCanvas::BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color) {
    if (!Bitmap || Bitmap->GetEmpty()) return;
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    HDC src = CreateCompatibleDC(nullptr);
    HGDIOBJ oldSrc = SelectObject(src, Bitmap->GetHandle());
    const int dw = Dest.Width(), dh = Dest.Height(), sw = Source.Width(), sh = Source.Height();
    StretchBlt(FHandle, Dest.Left, Dest.Top, dw, dh, src, Source.Left, Source.Top, sw, sh, SRCCOPY);
    if (Color != clNone) {
        // A mask white where the bitmap has Color; the brush goes there, the copy stays elsewhere.
        HBITMAP mask = CreateBitmap(Bitmap->GetWidth(), Bitmap->GetHeight(), 1, 1, nullptr);
        HDC mdc = CreateCompatibleDC(nullptr);
        HGDIOBJ oldMask = SelectObject(mdc, mask);
        ::SetBkColor(src, COLORREF(ColorToRGB(Color)));
        BitBlt(mdc, 0, 0, Bitmap->GetWidth(), Bitmap->GetHeight(), src, 0, 0, SRCCOPY);
        const COLORREF oldText = ::SetTextColor(FHandle, 0);
        const COLORREF oldBk = ::SetBkColor(FHandle, 0xFFFFFF);
        StretchBlt(FHandle, Dest.Left, Dest.Top, dw, dh, mdc, Source.Left, Source.Top, sw, sh, ROP_DSPDXAX);
        ::SetTextColor(FHandle, oldText);
        ::SetBkColor(FHandle, oldBk);
        SelectObject(mdc, oldMask);
        DeleteDC(mdc);
        DeleteObject(mask);
    }
    SelectObject(src, oldSrc);
    DeleteDC(src);
    Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
    if (!Canvas) return;
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    Canvas->RequiredState({csHandleValid, csBrushValid});
    StretchBlt(FHandle, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), Canvas->FHandle, Source.Left, Source.Top,
               Source.Width(), Source.Height(), DWORD(FCopyMode));
    Changed();
}

void TCanvas::Draw(Integer X, Integer Y, TGraphic* Graphic) {
    if (!Graphic || Graphic->GetEmpty()) return;
    Changing();
    RequiredState({csHandleValid});
    ::SetBkColor(FHandle, COLORREF(ColorToRGB(FBrush->GetColor())));
    ::SetTextColor(FHandle, COLORREF(ColorToRGB(FFont->GetColor())));
    Graphic->Draw(this, TRect(X, Y, X + Graphic->GetWidth(), Y + Graphic->GetHeight()));
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& Rect) {
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::DrawFocusRect(FHandle, &Rect);
    Changed();
}

void TCanvas::Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2) {
    Changing();
    RequiredState(kPenBrush);
    ::Ellipse(FHandle, X1, Y1, X2, Y2);
    Changed();
}

void TCanvas::Ellipse(const TRect& Rect) {
    Ellipse(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
}

void TCanvas::FillRect(const TRect& Rect) {
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::FillRect(FHandle, &Rect, FBrush->GetHandle());
    Changed();
}

void TCanvas::FloodFill(Integer X, Integer Y, TColor Color, TFillStyle FillStyle) {
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ExtFloodFill(FHandle, X, Y, COLORREF(ColorToRGB(Color)),
                 FillStyle == fsSurface ? FLOODFILLSURFACE : FLOODFILLBORDER);
    Changed();
}

void TCanvas::FrameRect(const TRect& Rect) {
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::FrameRect(FHandle, &Rect, FBrush->GetHandle());
    Changed();
}

void TCanvas::LineTo(Integer X, Integer Y) {
    Changing();
    RequiredState(kPenBrush);
    ::LineTo(FHandle, X, Y);
    Changed();
}

void TCanvas::Lock() {
    FLock.lock();
    ++FLockCount;
}

bool TCanvas::TryLock() {
    if (!FLock.try_lock()) return false;
    ++FLockCount;
    return true;
}

void TCanvas::Unlock() {
    --FLockCount;
    FLock.unlock();
}

void TCanvas::MoveTo(Integer X, Integer Y) {
    RequiredState({csHandleValid});
    MoveToEx(FHandle, X, Y, nullptr);
}

void TCanvas::PolyBezier(const std::vector<TPoint>& Points) {
    Changing();
    RequiredState(kPenBrush);
    ::PolyBezier(FHandle, Points.data(), int(Points.size()));
    Changed();
}

void TCanvas::PolyBezierTo(const std::vector<TPoint>& Points) {
    Changing();
    RequiredState(kPenBrush);
    ::PolyBezierTo(FHandle, Points.data(), int(Points.size()));
    Changed();
}

void TCanvas::Polygon(const TPoint* Points, Integer Count) {
    Changing();
    RequiredState(kPenBrush);
    ::Polygon(FHandle, Points, Count);
    Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) {
    Polygon(Points.data(), Integer(Points.size()));
}

void TCanvas::Polyline(const TPoint* Points, Integer Count) {
    Changing();
    RequiredState(kPenBrush);
    ::Polyline(FHandle, Points, Count);
    Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& Points) {
    Polyline(Points.data(), Integer(Points.size()));
}

void TCanvas::PolyPolyline(const std::vector<std::vector<TPoint>>& Lines) {
    std::vector<TPoint> all;
    std::vector<DWORD> counts;
    for (const auto& l : Lines) {
        all.insert(all.end(), l.begin(), l.end());
        counts.push_back(DWORD(l.size()));
    }
    Changing();
    RequiredState(kPenBrush);
    ::PolyPolyline(FHandle, all.data(), counts.data(), int(counts.size()));
    Changed();
}

void TCanvas::Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2) {
    Changing();
    RequiredState(kPenBrush);
    ::Rectangle(FHandle, X1, Y1, X2, Y2);
    Changed();
}

void TCanvas::Rectangle(const TRect& Rect) {
    Rectangle(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
}

void TCanvas::Refresh() {
    DeselectHandles();
}

void TCanvas::RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3) {
    Changing();
    RequiredState(kPenBrush);
    ::RoundRect(FHandle, X1, Y1, X2, Y2, X3, Y3);
    Changed();
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic) {
    if (!Graphic) return;
    Changing();
    RequiredState({csHandleValid});
    Graphic->Draw(this, Rect);
    Changed();
}

TSize TCanvas::TextExtent(const std::string& Text) {
    RequiredState({csHandleValid, csFontValid});
    TSize s;
    GetTextExtentPoint32(FHandle, Text.data(), int(Text.size()), &s);
    return s;
}

Integer TCanvas::TextHeight(const std::string& Text) {
    return TextExtent(Text).cy;
}

Integer TCanvas::TextWidth(const std::string& Text) {
    return TextExtent(Text).cx;
}

void TCanvas::TextOut(Integer X, Integer Y, const std::string& Text) {
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    ExtTextOut(FHandle, X, Y, UINT(FTextFlags), nullptr, Text.data(), int(Text.size()), nullptr);
    MoveTo(X + TextWidth(Text), Y);
    Changed();
}

void TCanvas::TextRect(const TRect& Rect, Integer X, Integer Y, const std::string& Text) {
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    UINT options = ETO_CLIPPED | UINT(FTextFlags);
    if (FBrush->GetStyle() != bsClear) options |= ETO_OPAQUE;
    ExtTextOut(FHandle, X, Y, options, &Rect, Text.data(), int(Text.size()), nullptr);
    Changed();
}

void TCanvas::SetBrush(TBrush* Value) {
    FBrush->Assign(Value);
}

void TCanvas::SetPen(TPen* Value) {
    FPen->Assign(Value);
}

void TCanvas::SetFont(TFont* Value) {
    FFont->Assign(Value);
}

TRect TCanvas::GetClipRect() {
    RequiredState({csHandleValid});
    TRect r;
    GetClipBox(FHandle, &r);
    return r;
}

void TCanvas::SetCopyMode(TCopyMode Value) {
    FCopyMode = Value;
}

TPoint TCanvas::GetPenPos() {
    RequiredState({csHandleValid});
    TPoint p;
    GetCurrentPositionEx(FHandle, &p);
    return p;
}

void TCanvas::SetPenPos(TPoint Value) {
    MoveTo(Value.X, Value.Y);
}

TColor TCanvas::GetPixels(Integer X, Integer Y) {
    RequiredState({csHandleValid});
    return TColor(::GetPixel(FHandle, X, Y));
}

void TCanvas::SetPixels(Integer X, Integer Y, TColor Value) {
    Changing();
    RequiredState({csHandleValid, csPenValid});
    ::SetPixel(FHandle, X, Y, COLORREF(ColorToRGB(Value)));
    Changed();
}

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width) {
    if (!Canvas) return;
    Canvas->GetPen()->SetWidth(1);
    --Rect.Bottom;
    --Rect.Right;
    while (Width > 0) {
        --Width;
        const TPoint topLeft(Rect.Left, Rect.Top), topRight(Rect.Right, Rect.Top);
        const TPoint bottomRight(Rect.Right, Rect.Bottom);
        TPoint bottomLeft(Rect.Left, Rect.Bottom);
        Canvas->GetPen()->SetColor(TopColor);
        Canvas->Polyline({bottomLeft, topLeft, topRight});
        Canvas->GetPen()->SetColor(BottomColor);
        --bottomLeft.X;
        Canvas->Polyline({topRight, bottomRight, bottomLeft});
        InflateRect(&Rect, -1, -1);
    }
    ++Rect.Bottom;
    ++Rect.Right;
}

// ---------------------------------------------------------------------------------------------
// Graphics and pictures

void TGraphic::SetTransparent(bool Value) {
    if (FTransparent == Value) return;
    FTransparent = Value;
    Changed(this);
}

void TGraphic::SetModified(bool Value) {
    if (Value) Changed(this);
    else FModified = false;
}

void TGraphic::Changed(TObject*) {
    FModified = true;
    if (OnChange) OnChange(this);
}

namespace {

struct FileFormat {
    std::string ext;  // lower case, no point
    std::string description;
    TGraphicClass cls;
};

std::vector<FileFormat>& FileFormats() {
    static std::vector<FileFormat> list = {
        {"wmf", "Metafiles", TMetafile::StaticClass()},
        {"emf", "Enhanced Metafiles", TMetafile::StaticClass()},
        {"ico", "Icons", TIcon::StaticClass()},
        {"bmp", "Bitmaps", TBitmap::StaticClass()},
    };
    return list;
}

struct ClipFormat {
    Word format;
    TGraphicClass cls;
};

std::vector<ClipFormat>& ClipFormats() {
    static std::vector<ClipFormat> list = {
        {3, TMetafile::StaticClass()},   // metafile picture
        {14, TMetafile::StaticClass()},  // enhanced metafile
        {2, TBitmap::StaticClass()},     // bitmap
    };
    return list;
}

std::string ExtOf(const std::string& fileName) {
    std::string ext = LowerCase(ExtractFileExt(fileName));
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    return ext;
}

TGraphic* NewGraphic(TGraphicClass cls) {
    TObject* o = CreateFromClass(cls);
    auto* g = dynamic_cast<TGraphic*>(o);
    if (!g) {
        o->Free();
        throw EInvalidGraphic("Invalid graphic class");
    }
    return g;
}

}  // namespace

TPicture::~TPicture() {
    if (FGraphic) FGraphic->Free();
}

void TPicture::Adopt(TGraphic* g) {
    if (FGraphic) FGraphic->Free();
    FGraphic = g;
    if (FGraphic) FGraphic->OnChange = [this](TObject* s) { Changed(s); };
    Changed(this);
}

void TPicture::Assign(TPersistent* Source) {
    if (!Source) {
        SetGraphic(nullptr);
    } else if (auto* p = dynamic_cast<TPicture*>(Source)) {
        if (p != this) SetGraphic(p->FGraphic);
    } else if (auto* g = dynamic_cast<TGraphic*>(Source)) {
        SetGraphic(g);
    } else {
        TPersistent::Assign(Source);
    }
}

void TPicture::SetGraphic(TGraphic* Value) {
    if (Value == FGraphic && Value) return;
    TGraphic* g = nullptr;
    if (Value) {
        g = NewGraphic(Value->ClassType());
        try {
            g->Assign(Value);
        } catch (...) {
            g->Free();
            throw;
        }
    }
    Adopt(g);
}

void TPicture::ForceType(TGraphicClass cls) {
    if (FGraphic && FGraphic->InheritsFrom(cls)) return;
    Adopt(NewGraphic(cls));
}

TBitmap* TPicture::GetBitmap() {
    ForceType(TBitmap::StaticClass());
    return static_cast<TBitmap*>(FGraphic);
}

TIcon* TPicture::GetIcon() {
    ForceType(TIcon::StaticClass());
    return static_cast<TIcon*>(FGraphic);
}

TMetafile* TPicture::GetMetafile() {
    ForceType(TMetafile::StaticClass());
    return static_cast<TMetafile*>(FGraphic);
}

Integer TPicture::GetWidth() const {
    return FGraphic ? FGraphic->GetWidth() : 0;
}

Integer TPicture::GetHeight() const {
    return FGraphic ? FGraphic->GetHeight() : 0;
}

void TPicture::LoadFromFile(const std::string& FileName) {
    const std::string ext = ExtOf(FileName);
    TGraphicClass cls = FindGraphicClass(ext);
    if (!cls) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
    TGraphic* g = NewGraphic(cls);
    try {
        g->LoadFromFile(FileName);
    } catch (...) {
        g->Free();
        throw;
    }
    Adopt(g);
}

void TPicture::SaveToFile(const std::string& FileName) {
    if (FGraphic) FGraphic->SaveToFile(FileName);
}

void TPicture::Changed(TObject*) {
    if (OnChange) OnChange(this);
}

void TPicture::RegisterFileFormat(const std::string& Extension, const std::string& Description,
                                  TGraphicClass GraphicClass) {
    std::string ext = LowerCase(Extension);
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    FileFormats().push_back({ext, Description, GraphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass GraphicClass) {
    auto& f = FileFormats();
    f.erase(std::remove_if(f.begin(), f.end(), [&](const FileFormat& x) { return x.cls->InheritsFrom(GraphicClass); }),
            f.end());
    auto& c = ClipFormats();
    c.erase(std::remove_if(c.begin(), c.end(), [&](const ClipFormat& x) { return x.cls->InheritsFrom(GraphicClass); }),
            c.end());
}

void TPicture::RegisterClipboardFormat(Word AFormat, TGraphicClass GraphicClass) {
    ClipFormats().push_back({AFormat, GraphicClass});
}

bool TPicture::SupportsClipboardFormat(Word AFormat) {
    for (const ClipFormat& c : ClipFormats())
        if (c.format == AFormat) return true;
    return false;
}

TGraphicClass TPicture::FindGraphicClass(const std::string& Extension) {
    std::string ext = LowerCase(Extension);
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    const auto& f = FileFormats();
    for (auto it = f.rbegin(); it != f.rend(); ++it)
        if (it->ext == ext) return it->cls;
    return nullptr;
}

std::string GraphicFilter(TGraphicClass GraphicClass) {
    std::string descriptions, masks;
    int count = 0;
    const auto& f = FileFormats();
    for (auto it = f.rbegin(); it != f.rend(); ++it) {
        if (!it->cls->InheritsFrom(GraphicClass) || it->ext.empty()) continue;
        if (count) {
            descriptions += '|';
            masks += ';';
        }
        descriptions += it->description + " (*." + it->ext + ")|*." + it->ext;
        masks += "*." + it->ext;
        ++count;
    }
    if (count > 1) return "All (" + masks + ")|" + masks + "|" + descriptions;
    return descriptions;
}

std::string GraphicExtension(TGraphicClass GraphicClass) {
    const auto& f = FileFormats();
    for (auto it = f.rbegin(); it != f.rend(); ++it)
        if (it->cls == GraphicClass) return it->ext;
    return {};
}

std::string GraphicFileMask(TGraphicClass GraphicClass) {
    std::string masks;
    const auto& f = FileFormats();
    for (auto it = f.rbegin(); it != f.rend(); ++it) {
        if (!it->cls->InheritsFrom(GraphicClass) || it->ext.empty()) continue;
        if (!masks.empty()) masks += ';';
        masks += "*." + it->ext;
    }
    return masks;
}

// ---------------------------------------------------------------------------------------------
// Metafiles: the size from the header, drawn by the metafile player.

void TMetafile::Assign(TPersistent* Source) {
    if (!Source) {
        FData.clear();
        FWidth = FHeight = FInch = 0;
        Changed(this);
        return;
    }
    if (auto* m = dynamic_cast<TMetafile*>(Source)) {
        if (m == this) return;
        FData = m->FData;
        FWidth = m->FWidth;
        FHeight = m->FHeight;
        FInch = m->FInch;
        FEnhanced = m->FEnhanced;
        Changed(this);
        return;
    }
    TGraphic::Assign(Source);
}

void TMetafile::SetHeight(Integer Value) {
    if (Value == FHeight) return;
    FHeight = Value;
    Changed(this);
}

void TMetafile::SetWidth(Integer Value) {
    if (Value == FWidth) return;
    FWidth = Value;
    Changed(this);
}

void TMetafile::LoadFromBytes(const void* Data, size_t Size) {
    const auto* p = static_cast<const uint8_t*>(Data);
    const TMetafileKind kind = MetafileKindOf(p, Size);
    if (kind == TMetafileKind::None) throw EInvalidGraphic("Metafile is not valid");
    const int ppi = ScreenPixelsPerInch();
    TRect b;
    const bool sized = MetafileBounds(p, Size, b);
    FInch = 0;
    FEnhanced = kind == TMetafileKind::Enhanced;
    FWidth = FHeight = 0;
    // Sides in 64 bits: an enhanced frame may span more than an int holds.
    const int64_t w = int64_t(b.Right) - b.Left, h = int64_t(b.Bottom) - b.Top;
    auto scaled = [](int64_t v, int64_t num, int64_t den) {
        const int64_t p = v * num;
        return Integer(std::clamp<int64_t>((p >= 0 ? p + den / 2 : p - den / 2) / den, INT32_MIN, INT32_MAX));
    };
    if (kind == TMetafileKind::Placeable) {
        // The bounding box in units of 1/inch.
        FInch = LoadLE16(p + 14);
        const int inch = FInch ? FInch : 1440;
        FWidth = scaled(w, ppi, inch);
        FHeight = scaled(h, ppi, inch);
    } else if (kind == TMetafileKind::Enhanced) {
        // The frame in hundredths of a millimetre.
        FWidth = scaled(w, ppi, 2540);
        FHeight = scaled(h, ppi, 2540);
    } else if (sized) {
        // No header gives a size: the window the records set, a logical unit to a pixel.
        FWidth = Integer(std::abs(w));
        FHeight = Integer(std::abs(h));
    }
    FData.assign(p, p + Size);
    Changed(this);
}

void TMetafile::Draw(TCanvas* ACanvas, const TRect& Rect) {
    if (FData.empty()) return;
    PlayMetafileBytes(ACanvas->GetHandle(), Rect, FData.data(), FData.size());
}

void TMetafile::LoadFromStream(TStream* Stream) {
    const Int64 rest = Stream->GetSize() - Stream->GetPosition();
    std::vector<Byte> data(size_t(std::max<Int64>(0, rest)));
    if (rest > 0) Stream->ReadBuffer(data.data(), rest);
    LoadFromBytes(data.data(), data.size());
}

void TMetafile::SaveToStream(TStream* Stream) {
    if (!FData.empty()) Stream->WriteBuffer(FData.data(), Int64(FData.size()));
}
