#include "imaging/hsv_box.h"

#include <algorithm>

#include "framework/math_utils.h"
#include "imaging/bitmap_routines.h"
#include "imaging/img_filters.h"
#include "imaging/img_types.h"

namespace {

constexpr Integer kGap = 5;
constexpr Integer kBar = 20;

// Position over Span as a fraction; 0 when the span holds a single pixel or none.
double Fraction(Integer Position, Integer Span) {
    return Span > 0 ? double(Position) / Span : 0.0;
}

}  // namespace

THSVBox::THSVBox(TComponent* AOwner) : TCustomControl(AOwner) {
    TControlStyle style = GetControlStyle();
    style.Include(csOpaque);
    SetControlStyle(style);
    FPicture = new TBitmap();
    FPicture->SetPixelFormat(pf24bit);
    SetBounds(GetLeft(), GetTop(), 105, 105);
    ImgPrepareBitmap(FPicture, pf24bit, 105, 105);
    ComputeColor();
    Redraw();
}

THSVBox::~THSVBox() {
    delete FPicture;
}

Integer THSVBox::GetSquareWidth() const {
    return std::max(FPicture->GetWidth() - kGap - kBar, 0);
}

void THSVBox::ComputeColor() {
    TImgRGB p;
    HSVToRGB(FHue, FSat, FVal, p);
    FRed = p.r;
    FGreen = p.g;
    FBlue = p.b;
    FColor = MakeColorRGB(p.r, p.g, p.b);
}

void THSVBox::SetHue(Integer Value) {
    FHue = ImgIntLimit(Value, 0, 359);
    ComputeColor();
    Redraw();
}

void THSVBox::SetSat(Integer Value) {
    FSat = ImgIntLimit(Value, 0, 99);
    ComputeColor();
    Redraw();
}

void THSVBox::SetVal(Integer Value) {
    FVal = ImgIntLimit(Value, 0, 99);
    ComputeColor();
    Redraw();
}

void THSVBox::SetRGB(Byte Red, Byte Green, Byte Blue) {
    FRed = Red;
    FGreen = Green;
    FBlue = Blue;
    RGBToHSV(Integer(Red) << 16 | Integer(Green) << 8 | Blue, FHue, FSat, FVal);
    FColor = MakeColorRGB(Red, Green, Blue);
    Redraw();
}

void THSVBox::SetBackground(TColor Value) {
    FBackground = Value;
    Redraw();
    Invalidate();
}

void THSVBox::Redraw() {
    const Integer w = FPicture->GetWidth(), h = FPicture->GetHeight();
    const Integer s = GetSquareWidth();
    const TImgRGB gap = ColorToImgRGB(FBackground);
    // Rows count from the bottom; the factors are single precision.
    const float hueStep = 360.0f / float(std::max(h, 1)), valStep = 100.0f / float(std::max(h, 1));
    const float satStep = s > 0 ? 100.0f / float(s) : 0.0f;
    for (Integer r = 0; r < h; ++r) {
        auto* row = static_cast<TImgRGB*>(FPicture->ScanLine(h - 1 - r));
        TImgRGB bar;
        HSVToRGB(Integer(Trunc(float(r) * hueStep)), 99, 99, bar);
        const Integer v = Integer(Trunc(float(r) * valStep));
        for (Integer c = 0; c < w; ++c) {
            if (c < s)
                HSVToRGB(FHue, Integer(Trunc(float(c) * satStep)), v, row[c]);
            else
                row[c] = c < s + kGap ? gap : bar;
        }
    }
    DrawMarkers();
    if (HandleAllocated()) Repaint();
}

void THSVBox::DrawMarkers() {
    const Integer w = FPicture->GetWidth(), h = FPicture->GetHeight();
    if (w < 1 || h < 1) return;
    const Integer s = GetSquareWidth();
    TCanvas* c = FPicture->GetCanvas();
    c->GetPen()->SetStyle(psSolid);
    c->GetPen()->SetWidth(1);
    c->GetPen()->SetMode(pmNot);
    c->GetBrush()->SetStyle(bsClear);
    const Integer y = Integer(Round((h - 1) * ((359 - FHue) / 360.0)));
    c->Rectangle(s + kGap, y - 2, w, y + 2);
    const Integer x = Integer(Round(FSat / 99.0 * (s - 1)));
    const Integer y2 = h - 1 - Integer(Round((h - 1) * FVal / 99.0));
    c->Rectangle(x - 3, y2 - 3, x + 3, y2 + 3);
    c->GetPen()->SetMode(pmCopy);
}

void THSVBox::Paint() {
    GetCanvas()->Draw(0, 0, FPicture);
}

void THSVBox::WMEraseBkgnd(TMessage& Message) {
    Message.Result = 1;
}

void THSVBox::WMSize(TMessage& Message) {
    TCustomControl::WMSize(Message);
    ImgPrepareBitmap(FPicture, pf24bit, std::max(GetClientWidth(), 0), std::max(GetClientHeight(), 0));
    Redraw();
    Invalidate();
}

void THSVBox::Pick(Integer X, Integer Y) {
    const Integer h = FPicture->GetHeight(), s = GetSquareWidth();
    if (FDrag == dragSquare) {
        FSat = Integer(Round(Fraction(X, s - 1) * 99));
        FVal = 99 - Integer(Round(Fraction(Y, h - 1) * 99));
    } else {
        FHue = 359 - Integer(Round(Fraction(Y, h - 1) * 359));
    }
    FSat = ImgIntLimit(FSat, 0, 99);
    FVal = ImgIntLimit(FVal, 0, 99);
    FHue = ImgIntLimit(FHue, 0, 359);
    ComputeColor();
    if (OnChange) OnChange(this);
    Redraw();
}

void THSVBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    const Integer s = GetSquareWidth();
    FDrag = X < s ? dragSquare : X >= s + kGap ? dragBar : dragNone;
    if (FDrag != dragNone) Pick(X, Y);
}

void THSVBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (!GetMouseCapture() || FDrag == dragNone) return;
    const Integer w = FPicture->GetWidth(), h = FPicture->GetHeight(), s = GetSquareWidth();
    X = std::max(X, 0);
    Y = ImgIntLimit(Y, 0, std::max(h - 1, 0));
    X = FDrag == dragSquare ? std::min(X, std::max(s - 1, 0)) : ImgIntLimit(X, s + kGap, std::max(w - 1, s + kGap));
    Pick(X, Y);
}

void THSVBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    FDrag = dragNone;
}
