#include "dialogs/gauge.h"

#include <algorithm>

#include "framework/graphics.h"
#include "framework/sysutils.h"

TGauge::TGauge(TComponent* AOwner) : TGraphicControl(AOwner), FForeColor(clNavy) {
    SetBounds(0, 0, 100, 20);
}

void TGauge::SetMinValue(Integer Value) {
    FMinValue = std::min(Value, FMaxValue);
    FProgress = std::max(FProgress, FMinValue);
    Invalidate();
}

void TGauge::SetMaxValue(Integer Value) {
    FMaxValue = std::max(Value, FMinValue);
    FProgress = std::min(FProgress, FMaxValue);
    Invalidate();
}

void TGauge::SetProgress(Integer Value) {
    const Integer progress = std::clamp(Value, FMinValue, FMaxValue);
    if (progress == FProgress) return;
    FProgress = progress;
    Invalidate();
}

Integer TGauge::GetPercentDone() const {
    const Int64 range = Int64(FMaxValue) - FMinValue;
    return range <= 0 ? 0 : Integer((Int64(FProgress) - FMinValue) * 100 / range);
}

void TGauge::SetForeColor(TColor Value) {
    FForeColor = Value;
    Invalidate();
}

void TGauge::Paint() {
    TCanvas* c = GetCanvas();
    const TRect all = GetClientRect();
    c->GetPen()->SetColor(clBtnShadow);
    c->MoveTo(all.Left, all.Bottom - 1);
    c->LineTo(all.Left, all.Top);
    c->LineTo(all.Right, all.Top);
    c->GetPen()->SetColor(clBtnHighlight);
    c->MoveTo(all.Right - 1, all.Top + 1);
    c->LineTo(all.Right - 1, all.Bottom - 1);
    c->LineTo(all.Left, all.Bottom - 1);

    const TRect inner{all.Left + 1, all.Top + 1, all.Right - 1, all.Bottom - 1};
    const Integer split = inner.Left + Integer(Int64(inner.Right - inner.Left) * GetPercentDone() / 100);
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(FForeColor);
    c->FillRect(TRect{inner.Left, inner.Top, split, inner.Bottom});
    c->GetBrush()->SetColor(clWhite);
    c->FillRect(TRect{split, inner.Top, inner.Right, inner.Bottom});

    // The percentage in the middle, white over the filled part and black over the rest.
    const std::string text = IntToStr(GetPercentDone()) + "%";
    c->GetFont()->Assign(GetFont());
    const Integer x = (inner.Left + inner.Right - c->TextWidth(text)) / 2;
    const Integer y = (inner.Top + inner.Bottom - c->TextHeight(text)) / 2;
    c->GetBrush()->SetStyle(bsClear);
    c->GetFont()->SetColor(clBlack);
    c->TextRect(TRect{split, inner.Top, inner.Right, inner.Bottom}, x, y, text);
    c->GetFont()->SetColor(clWhite);
    c->TextRect(TRect{inner.Left, inner.Top, split, inner.Bottom}, x, y, text);
}
