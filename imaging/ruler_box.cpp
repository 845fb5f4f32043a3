#include "imaging/ruler_box.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "framework/formatting.h"
#include "framework/math_utils.h"
#include "framework/sysutils.h"
#include "framework/timer.h"
#include "imaging/bitmap_routines.h"

namespace {

constexpr UINT_PTR kScrollTimer = 1;
constexpr UINT kScrollInterval = 15;

}  // namespace

TRulerBox::TRulerBox(TComponent* AOwner) : TCustomControl(AOwner) {
    TControlStyle style = GetControlStyle();
    style.Include(csOpaque);
    SetControlStyle(style);
    FBitmap = new TBitmap();
    FBitmap->SetPixelFormat(pf24bit);
    SetBounds(GetLeft(), GetTop(), 300, 40);
    ImgPrepareBitmap(FBitmap, pf24bit, 300, 40);
    SetGripsCount(1);
    Update();
}

TRulerBox::~TRulerBox() {
    StopScrollTimer();
    delete FBitmap;
}

// ---- Properties ------------------------------------------------------------------------------

void TRulerBox::SetViewPos(double Value) {
    FViewPos = Value;
    ClampViewPos();
    Update();
    Paint();
}

void TRulerBox::SetBackground(TColor Value) {
    FBackground = Value;
    Update();
}

void TRulerBox::SetGripBaseDim(Integer Value) {
    FGripBaseDim = Value;
    Update();
}

void TRulerBox::SetGripsDir(TGripsDir Value) {
    FGripsDir = Value;
    Update();
}

void TRulerBox::SetRuler(bool Value) {
    FRuler = Value;
    Update();
}

void TRulerBox::SetDotPerUnit(double Value) {
    if (Designing() && FFitInView) return;
    if (!(Value > 0) || !std::isfinite(Value)) return;
    FDotPerUnit = Value;
    Update();
    Paint();
}

void TRulerBox::SetFrequency(double Value) {
    FFrequency = Value;
    Update();
    Paint();
}

void TRulerBox::SetLabelFreq(double Value) {
    FLabelFreq = Value;
    Update();
    Paint();
}

void TRulerBox::SetRulerColor(TColor Value) {
    FRulerColor = Value;
    Update();
}

void TRulerBox::SetRulerDir(TRulerDir Value) {
    FRulerDir = Value;
    Update();
}

void TRulerBox::SetViewMin(double Value) {
    FViewMin = Value;
    ClampViewPos();
    for (TGrip& g : FGrips) g.Min = Value;
    Update();
}

void TRulerBox::SetViewMax(double Value) {
    FViewMax = Value;
    ClampViewPos();
    for (TGrip& g : FGrips) g.Max = Value;
    Update();
}

void TRulerBox::SetFitInView(bool Value) {
    FFitInView = Value;
    Update();
}

void TRulerBox::SetHexLabels(bool Value) {
    FHexLabels = Value;
    Update();
}

void TRulerBox::SetGripsCount(Integer Value) {
    Value = std::max(Value, 0);
    if (Value == GetGripsCount()) return;
    const Integer old = GetGripsCount();
    FGrips.resize(size_t(Value));
    for (Integer i = old; i < Value; ++i) {
        FGrips[i].Pos = 0.0;
        FGrips[i].Color = FBackground;
        FGrips[i].Kind = 0;
        FGrips[i].Min = FViewMin;
        FGrips[i].Max = FViewMax;
    }
    if (!Valid(FPressedGrip)) FPressedGrip = -1;
    Update();
}

double TRulerBox::GetGripsPos(Integer Index) const {
    return Valid(Index) ? FGrips[Index].Pos : 0.0;
}

void TRulerBox::SetGripsPos(Integer Index, double Value) {
    if (!Valid(Index)) return;
    FGrips[Index].Pos = Value;
    ClampGripPos(Index);
    if (OnRulerPosChange) OnRulerPosChange(this, Index);
    Update();
    Paint();
}

TColor TRulerBox::GetGripsColor(Integer Index) const {
    return Valid(Index) ? FGrips[Index].Color : TColor(0);
}

void TRulerBox::SetGripsColor(Integer Index, TColor Value) {
    if (!Valid(Index)) return;
    FGrips[Index].Color = Value;
    Update();
}

Byte TRulerBox::GetGripsKind(Integer Index) const {
    return Valid(Index) ? FGrips[Index].Kind : Byte(0);
}

void TRulerBox::SetGripsKind(Integer Index, Byte Value) {
    if (Valid(Index)) FGrips[Index].Kind = Value;
    Update();
}

double TRulerBox::GetGripsMin(Integer Index) const {
    return Valid(Index) ? FGrips[Index].Min : 0.0;
}

double TRulerBox::GetGripsMax(Integer Index) const {
    return Valid(Index) ? FGrips[Index].Max : 0.0;
}

// ---- Geometry --------------------------------------------------------------------------------

Integer TRulerBox::Length() const {
    return Vertical() ? FBitmap->GetHeight() : FBitmap->GetWidth();
}

Integer TRulerBox::Thickness() const {
    return Vertical() ? FBitmap->GetWidth() : FBitmap->GetHeight();
}

bool TRulerBox::ScaleUsable() const {
    if (!(FDotPerUnit > 0) || !std::isfinite(FDotPerUnit)) return false;
    return !FFitInView || FViewMax > FViewMin;
}

Integer TRulerBox::RulerThickness() {
    if (!FRuler) return 0;
    return Integer(Trunc(std::abs(GetFont()->GetHeight()) * 1.7)) + 3;
}

Integer TRulerBox::GripPixel(Integer Index) {
    if (Designing()) return Index * (FGripBaseDim + 5);
    const double p = (GetGripsPos(Index) - FViewPos) * FDotPerUnit;
    return Integer(Round(std::clamp(p, -1e9, 1e9)));
}

std::vector<TPoint> TRulerBox::GripPolygon(Integer Index) {
    const Integer p = GripPixel(Index);
    const Integer d = FGripBaseDim, h = d / 2, q = d / 4;
    const Integer t = Thickness(), rt = RulerThickness();
    Integer base, tip, m3, m2;
    if (FGripsDir == gdUp) {
        base = t - 1;
        tip = rt;
        m3 = tip + (base - tip) / 3;
        m2 = tip + (base - tip) / 2;
    } else {
        base = 0;
        tip = t - 1 - rt;
        m3 = base + ((tip - base) / 3) * 2;
        m2 = base + (tip - base) / 2;
    }
    std::vector<TPoint> pts;
    switch (GetGripsKind(Index) & 0x7F) {
        case 1: pts = {{p - h, base}, {p, base}, {p, tip}}; break;
        case 2: pts = {{p, base}, {p + h, base}, {p, tip}}; break;
        case 3:
            pts = {{p - q, base}, {p + q, base}, {p + q, m3}, {p + h, m3}, {p, tip}, {p - h, m3}, {p - q, m3}};
            break;
        case 4: pts = {{p - h, base}, {p + h, base}, {p + h, m2}, {p, tip}, {p - h, m2}}; break;
        default: pts = {{p - h, base}, {p + h, base}, {p, tip}}; break;
    }
    if (Vertical())
        for (TPoint& pt : pts) std::swap(pt.X, pt.Y);
    return pts;
}

Integer TRulerBox::GripAt(Integer X, Integer Y) {
    for (Integer i = GetGripsCount() - 1; i >= 0; --i) {
        const std::vector<TPoint> pts = GripPolygon(i);
        Integer x1 = pts[0].X, x2 = pts[0].X, y1 = pts[0].Y, y2 = pts[0].Y;
        for (const TPoint& pt : pts) {
            x1 = std::min(x1, pt.X);
            x2 = std::max(x2, pt.X);
            y1 = std::min(y1, pt.Y);
            y2 = std::max(y2, pt.Y);
        }
        if (X >= x1 && X <= x2 && Y >= y1 && Y <= y2) return i;
    }
    return -1;
}

void TRulerBox::ClampViewPos() {
    if (FViewMin >= FViewMax) return;
    if (FViewPos < FViewMin)
        FViewPos = FViewMin;
    else if (ScaleUsable() && FViewPos > FViewMax - Length() / FDotPerUnit)
        FViewPos = FViewMax - Length() / FDotPerUnit;
}

void TRulerBox::ClampGripPos(Integer Index) {
    const TGrip& g = FGrips[Index];
    if (!(g.Max > g.Min)) return;
    if (g.Pos < g.Min)
        SetGripsPos(Index, g.Min);
    else if (g.Pos > g.Max)
        SetGripsPos(Index, g.Max);
}

std::string TRulerBox::LabelText(double Value) const {
    if (!FHexLabels) return FloatToStrF(Value, ffGeneral, 15, 3);
    const double magnitude = std::min(std::trunc(std::abs(Value)), 9.2e18);
    std::string digits = IntToHex(Int64(magnitude), 6);
    const size_t first = digits.find_first_not_of('0');
    digits = first == std::string::npos ? "0" : digits.substr(first);
    return Value < 0 ? "-" + digits : digits;
}

// ---- Drawing ---------------------------------------------------------------------------------

void TRulerBox::Update() {
    if (FFitInView && FViewMax > FViewMin && Length() > 0) {
        FDotPerUnit = Length() / (FViewMax - FViewMin);
        ClampViewPos();
    }
    DrawGrips();
    DrawRuler();
    Invalidate();
}

void TRulerBox::DrawGrips() {
    const Integer w = FBitmap->GetWidth(), h = FBitmap->GetHeight(), rt = RulerThickness();
    TCanvas* c = FBitmap->GetCanvas();
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(FBackground);
    TRect area;
    if (Vertical())
        area = FGripsDir == gdUp ? Rect(rt, 0, w, h) : Rect(0, 0, w - rt, h);
    else
        area = FGripsDir == gdUp ? Rect(0, rt, w, h) : Rect(0, 0, w, h - rt);
    c->FillRect(area);
    c->GetPen()->SetStyle(psSolid);
    c->GetPen()->SetMode(pmCopy);
    c->GetPen()->SetWidth(1);
    c->GetPen()->SetColor(clBlack);
    for (Integer i = 0; i < GetGripsCount(); ++i) {
        c->GetBrush()->SetColor(FGrips[i].Color);
        c->Polygon(GripPolygon(i));
    }
}

void TRulerBox::DrawRuler() {
    if (!FRuler) return;
    const Integer w = FBitmap->GetWidth(), h = FBitmap->GetHeight(), b = RulerThickness();
    TCanvas* c = FBitmap->GetCanvas();
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(FRulerColor);
    TRect band;
    if (Vertical())
        band = FGripsDir == gdUp ? Rect(0, 0, b, h) : Rect(w - b, 0, w, h);
    else
        band = FGripsDir == gdUp ? Rect(0, 0, w, b + 1) : Rect(0, h - b, w, h);
    c->FillRect(band);
    c->GetPen()->SetColor(GetFont()->GetColor());
    c->SetFont(GetFont());
    if (!ScaleUsable()) return;
    DrawTicks(c, FFrequency, b / 4, false);
    DrawTicks(c, FLabelFreq, b / 2, true);
    c->SetFont(GetFont());
}

void TRulerBox::DrawTicks(TCanvas* Canvas, double Frequency, Integer Size, bool Labels) {
    if (!(Frequency > 0) || !std::isfinite(Frequency)) return;
    const Integer length = Length(), thickness = Thickness(), b = RulerThickness();
    const double count = std::trunc(length / FDotPerUnit / Frequency);
    if (!std::isfinite(count) || count + 1 < 0) return;
    // Ticks closer than a pixel apart: the loop never runs longer than the ruler has pixels.
    const Integer n = Integer(std::min(count, double(length)));
    const double first = std::trunc(FViewPos / Frequency);
    const Integer fontHeight = std::abs(GetFont()->GetHeight());
    TFont rotated;
    if (Labels && Vertical()) {
        rotated.Assign(GetFont());
        LOGFONT lf = rotated.GetLogFont();
        lf.lfEscapement = lf.lfOrientation = FGripsDir == gdUp ? 900 : -900;
        HFONT font = CreateFontIndirect(&lf);
        rotated.SetHandle(font);
        DeleteObject(font);
        Canvas->SetFont(&rotated);
    }
    Canvas->GetBrush()->SetStyle(bsClear);
    for (Integer r = 0; r <= n + 1; ++r) {
        const double value = (first + r) * Frequency;
        const double px = (value - FViewPos) * FDotPerUnit;
        if (px < -length || px > 2.0 * length) continue;
        const Integer x = Integer(Round(px));
        // Along the scale x, across it from the band's inner edge.
        const Integer inner = FGripsDir == gdUp ? b : thickness - b;
        const Integer outer = FGripsDir == gdUp ? b - Size : thickness - b + Size;
        if (Vertical()) {
            Canvas->MoveTo(inner, x);
            Canvas->LineTo(outer, x);
        } else {
            Canvas->MoveTo(x, inner);
            Canvas->LineTo(x, outer);
        }
        if (!Labels) continue;
        const std::string text = LabelText(value);
        const Integer tw = Canvas->TextWidth(text);
        if (!Vertical())
            Canvas->TextOut(x - tw / 2, FGripsDir == gdUp ? 0 : thickness - fontHeight, text);
        else if (FGripsDir == gdUp)
            Canvas->TextOut(0, x + tw / 2, text);
        else
            Canvas->TextOut(thickness, x - tw / 2, text);
    }
    Canvas->GetBrush()->SetStyle(bsSolid);
}

void TRulerBox::Paint() {
    GetCanvas()->Draw(0, 0, FBitmap);
}

void TRulerBox::WMEraseBkgnd(TMessage& Message) {
    Message.Result = 1;
}

void TRulerBox::WMSize(TMessage& Message) {
    TCustomControl::WMSize(Message);
    ImgPrepareBitmap(FBitmap, pf24bit, std::max(GetClientWidth(), 0), std::max(GetClientHeight(), 0));
    Update();
}

void TRulerBox::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    Update();
}

// ---- Mouse -----------------------------------------------------------------------------------

void TRulerBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    FPress = TPoint{X, Y};
    FLastMouse = FPress;
    FPressedGrip = GripAt(X, Y);
    if (FPressedGrip >= 0) {
        if (Shift.Contains(ssDouble) && OnRulerGripDblClick) OnRulerGripDblClick(this, FPressedGrip);
        FPressedPixel = GripPixel(FPressedGrip);
    } else if (OnRulerClick && ScaleUsable()) {
        OnRulerClick(this, (Vertical() ? Y : X) / FDotPerUnit + FViewPos);
    }
}

void TRulerBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    FLastMouse = TPoint{X, Y};
    if (!GetMouseCapture() || !Valid(FPressedGrip) || !ScaleUsable()) return;
    const Integer along = Vertical() ? Y : X;
    const Integer length = Vertical() ? GetClientHeight() : GetClientWidth();
    const Integer k = FPressedPixel - (Vertical() ? FPress.Y : FPress.X);
    if (along >= 0 && along <= length) {
        StopScrollTimer();
        SetGripsPos(FPressedGrip, (along + k) / FDotPerUnit + FViewPos);
        Paint();
        return;
    }
    // Beyond an end: one pixel now, then one per timer tick while the pointer stays out there.
    ScrollStep(along < 0 ? -1 : 1);
    if (!FScrolling) FScrolling = SetTimer(this, kScrollTimer, kScrollInterval) != 0;
}

void TRulerBox::ScrollStep(Integer Direction) {
    if (!Valid(FPressedGrip) || !ScaleUsable()) return;
    const Integer length = Vertical() ? GetClientHeight() : GetClientWidth();
    const Integer k = FPressedPixel - (Vertical() ? FPress.Y : FPress.X);
    const double step = 1 / FDotPerUnit;
    TGrip& g = FGrips[FPressedGrip];
    if (Direction < 0) {
        g.Pos = k / FDotPerUnit + FViewPos - step;
        ClampGripPos(FPressedGrip);
        FViewPos -= step;
    } else {
        g.Pos = (length + k - 1) / FDotPerUnit + FViewPos + step;
        ClampGripPos(FPressedGrip);
        FViewPos += step;
    }
    ClampViewPos();
    DrawGrips();
    DrawRuler();
    Paint();
    if (OnRulerPosChange) OnRulerPosChange(this, FPressedGrip);
}

void TRulerBox::StopScrollTimer() {
    if (FScrolling) KillTimer(this, kScrollTimer);
    FScrolling = false;
}

void TRulerBox::WMTimer(TMessage& Message) {
    if (Message.WParam != kScrollTimer) {
        TCustomControl::WMTimer(Message);
        return;
    }
    const Integer along = Vertical() ? FLastMouse.Y : FLastMouse.X;
    const Integer length = Vertical() ? GetClientHeight() : GetClientWidth();
    if (!GetMouseCapture() || !Valid(FPressedGrip)) {
        StopScrollTimer();
    } else if (along < 0) {
        ScrollStep(-1);
    } else if (along >= length) {
        ScrollStep(1);
    } else {
        StopScrollTimer();
    }
}

void TRulerBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    StopScrollTimer();
    if (Button == mbLeft && Valid(FPressedGrip) && X == FPress.X && Y == FPress.Y && OnRulerGripClick)
        OnRulerGripClick(this, FPressedGrip);
}
