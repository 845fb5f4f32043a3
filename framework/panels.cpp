#include "framework/std_controls.h"

#include <algorithm>
#include <cmath>

#include "framework/control_paint.h"

// ---- TCustomPanel ----------------------------------------------------------------------------

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                  csDoubleClicks, csReplicatable});
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    lumora_paint::AddBorderStyle(Params, FBorderStyle, GetCtl3D());
}

Integer TCustomPanel::BevelSize() const {
    Integer s = 0;
    if (FBevelOuter != bvNone) s += FBevelWidth;
    if (FBevelInner != bvNone) s += FBevelWidth;
    return s;
}

void TCustomPanel::Paint() {
    TCanvas* c = GetCanvas();
    TRect r = GetClientRect();
    auto colours = [](TBevelCut bevel, TColor& top, TColor& bottom) {
        top = bevel == bvLowered ? clBtnShadow : clBtnHighlight;
        bottom = bevel == bvLowered ? clBtnHighlight : clBtnShadow;
    };
    TColor top, bottom;
    if (FBevelOuter != bvNone) {
        colours(FBevelOuter, top, bottom);
        Frame3D(c, r, top, bottom, FBevelWidth);
    }
    Frame3D(c, r, GetColor(), GetColor(), GetBorderWidth());
    if (FBevelInner != bvNone) {
        colours(FBevelInner, top, bottom);
        Frame3D(c, r, top, bottom, FBevelWidth);
    }
    c->GetBrush()->SetColor(GetColor());
    c->GetBrush()->SetStyle(bsSolid);
    c->FillRect(r);
    c->GetBrush()->SetStyle(bsClear);
    c->SetFont(GetFont());
    Integer fh = c->TextHeight("W");
    r.Top = (r.Bottom + r.Top - fh) / 2;
    r.Bottom = r.Top + fh;
    DrawText(c->GetHandle(), GetCaption(), &r, DT_EXPANDTABS | DT_VCENTER | lumora_paint::AlignmentFlags(FAlignment));
}

TRect TCustomPanel::GetClientRectForAlign() {
    TRect r = GetClientRect();
    Integer s = BevelSize();
    InflateRect(&r, -s, -s);
    return r;
}

void TCustomPanel::SetAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut Value) {
    if (FBevelInner == Value) return;
    FBevelInner = Value;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut Value) {
    if (FBevelOuter == Value) return;
    FBevelOuter = Value;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelWidth(TBevelWidth Value) {
    if (FBevelWidth == Value || Value < 1) return;
    FBevelWidth = Value;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    RecreateWnd();
    FrameChanged();
    Invalidate();
}

void TCustomPanel::CMTextChanged(TMessage& Message) { Invalidate(); }

// ---- TBevel ----------------------------------------------------------------------------------

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetControlStyle(GetControlStyle() + TControlStyle{csReplicatable});
    SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape Value) {
    if (FShape == Value) return;
    FShape = Value;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    Invalidate();
}

void TBevel::Paint() {
    TCanvas* c = GetCanvas();
    c->GetPen()->SetWidth(1);
    c->GetPen()->SetStyle(psSolid);
    TColor color1 = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor color2 = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
    Integer w = GetWidth(), h = GetHeight();
    auto bevelRect = [&](TRect r) {
        c->GetPen()->SetColor(color1);
        c->Polyline({{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}});
        c->GetPen()->SetColor(color2);
        c->Polyline({{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}});
    };
    auto bevelLine = [&](TColor colour, Integer x1, Integer y1, Integer x2, Integer y2) {
        c->GetPen()->SetColor(colour);
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    switch (FShape) {
    case bsBox: bevelRect({0, 0, w - 1, h - 1}); break;
    case bsFrame: {
        TColor t = color1;
        color1 = color2;
        bevelRect({1, 1, w - 1, h - 1});
        color2 = t;
        color1 = t;
        bevelRect({0, 0, w - 2, h - 2});
        break;
    }
    case bsTopLine:
        bevelLine(color1, 0, 0, w, 0);
        bevelLine(color2, 0, 1, w, 1);
        break;
    case bsBottomLine:
        bevelLine(color1, 0, h - 2, w, h - 2);
        bevelLine(color2, 0, h - 1, w, h - 1);
        break;
    case bsLeftLine:
        bevelLine(color1, 0, 0, 0, h);
        bevelLine(color2, 1, 0, 1, h);
        break;
    case bsRightLine:
        bevelLine(color1, w - 2, 0, w - 2, h);
        bevelLine(color2, w - 1, 0, w - 1, h);
        break;
    case bsSpacer: break;
    }
}

// ---- TShape ----------------------------------------------------------------------------------

TShape::TShape(TComponent* AOwner) : TGraphicControl(AOwner), FPen(new TPen), FBrush(new TBrush) {
    SetControlStyle(GetControlStyle() + TControlStyle{csReplicatable});
    SetBounds(0, 0, 65, 65);
    FPen->OnChange = [this](TObject*) { Invalidate(); };
    FBrush->OnChange = [this](TObject*) { Invalidate(); };
}

TShape::~TShape() {
    delete FPen;
    delete FBrush;
}

void TShape::SetBrush(TBrush* Value) { FBrush->Assign(Value); }
void TShape::SetPen(TPen* Value) { FPen->Assign(Value); }

void TShape::SetShape(TShapeType Value) {
    if (FShape == Value) return;
    FShape = Value;
    Invalidate();
}

void TShape::Paint() {
    TCanvas* c = GetCanvas();
    c->SetPen(FPen);
    c->SetBrush(FBrush);
    Integer pw = FPen->GetWidth();
    Integer x = pw / 2, y = x;
    Integer w = GetWidth() - pw + 1, h = GetHeight() - pw + 1;
    if (pw == 0) {
        --w;
        --h;
    }
    Integer s = std::min(w, h);
    if (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle) {
        x += (w - s) / 2;
        y += (h - s) / 2;
        w = s;
        h = s;
    }
    switch (FShape) {
    case stRectangle:
    case stSquare: c->Rectangle(x, y, x + w, y + h); break;
    case stRoundRect:
    case stRoundSquare: c->RoundRect(x, y, x + w, y + h, s / 4, s / 4); break;
    case stEllipse:
    case stCircle: c->Ellipse(x, y, x + w, y + h); break;
    }
}
