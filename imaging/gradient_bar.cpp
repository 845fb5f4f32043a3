#include "imaging/gradient_bar.h"

#include <algorithm>

#include "framework/math_utils.h"
#include "imaging/img_types.h"

TImgGradientBar::TImgGradientBar(TComponent* AOwner) : TCustomControl(AOwner) {
    TControlStyle style = GetControlStyle();
    style.Include(csOpaque);
    SetControlStyle(style);
    SetBounds(GetLeft(), GetTop(), 40, 300);
    BuildTable();
}

void TImgGradientBar::BuildTable() {
    const TImgRGB b = ColorToImgRGB(FBeginColor), e = ColorToImgRGB(FEndColor);
    const double rs = (double(e.r) - b.r) / 255, gs = (double(e.g) - b.g) / 255, bs = (double(e.b) - b.b) / 255;
    for (Integer i = 0; i < 256; ++i)
        FTable[i] = MakeColorRGB(Byte(b.r + Trunc(i * rs)), Byte(b.g + Trunc(i * gs)), Byte(b.b + Trunc(i * bs)));
}

void TImgGradientBar::SetBeginColor(TColor Value) {
    FBeginColor = Value;
    BuildTable();
    Invalidate();
}

void TImgGradientBar::SetEndColor(TColor Value) {
    FEndColor = Value;
    BuildTable();
    Invalidate();
}

void TImgGradientBar::SetDirection(TImgGradientDir Value) {
    FDirection = Value;
    Invalidate();
}

Integer TImgGradientBar::Span() {
    return std::max((FDirection == gdHorizontal ? GetClientWidth() : GetClientHeight()) - 1, 0);
}

void TImgGradientBar::WMEraseBkgnd(TMessage& Message) {
    Message.Result = 0;
}

void TImgGradientBar::Paint() {
    TCanvas* c = GetCanvas();
    TPen* pen = c->GetPen();
    pen->SetStyle(psSolid);
    pen->SetMode(pmCopy);
    pen->SetWidth(1);
    const Integer w = GetClientWidth(), h = GetClientHeight();
    // A bar one pixel long shows the begin colour.
    const Integer span = Span();
    const double ratio = span > 0 ? 255.0 / span : 0.0;
    if (FDirection == gdHorizontal) {
        for (Integer x = 0; x < w; ++x) {
            pen->SetColor(FTable[std::min<Integer>(Integer(Trunc(x * ratio)), 255)]);
            c->MoveTo(x, 0);
            c->LineTo(x, h);
        }
    } else {
        for (Integer y = 0; y < h; ++y) {
            pen->SetColor(FTable[std::min<Integer>(Integer(Trunc(y * ratio)), 255)]);
            c->MoveTo(0, h - 1 - y);
            c->LineTo(w, h - 1 - y);
        }
    }
    if (!GetComponentState().Contains(csDesigning) && FMouseInteract.Contains(migDragGrip)) DrawGrip();
}

void TImgGradientBar::DrawGrip() {
    TCanvas* c = GetCanvas();
    c->GetPen()->SetStyle(psSolid);
    c->GetPen()->SetMode(pmNot);
    c->GetBrush()->SetStyle(bsClear);
    const Integer p = Integer(Trunc(FGripPosition * (Span() / 255.0)));
    if (FDirection == gdHorizontal)
        c->Rectangle(p - 3, 0, p + 3, GetClientHeight());
    else
        c->Rectangle(0, p - 3, GetClientWidth(), p + 3);
    c->GetPen()->SetMode(pmCopy);
}

void TImgGradientBar::MoveGrip(Integer X, Integer Y) {
    const Integer span = Span();
    const Integer along = FDirection == gdHorizontal ? ImgIntLimit(X, 0, span) : ImgIntLimit(Y, 0, span);
    DrawGrip();
    FGripPosition = span > 0 ? Integer(Trunc(double(along) / span * 255)) : 0;
    DrawGrip();
    if (OnChange) OnChange(this);
}

void TImgGradientBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && FMouseInteract.Contains(migDragGrip)) MoveGrip(X, Y);
}

void TImgGradientBar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (GetMouseCapture() && FMouseInteract.Contains(migDragGrip)) MoveGrip(X, Y);
}
