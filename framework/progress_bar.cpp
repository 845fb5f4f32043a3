#include "framework/comctrls.h"

#include <algorithm>
#include <cstdlib>

#include "framework/control_paint.h"

using lumora_paint::FillSolid;

// ---- TProgressBar ----------------------------------------------------------------------------

TProgressBar::TProgressBar(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(0, 0, 150, 16);
    SetColor(clBtnFace);
    SetControlStyle(TControlStyle{csOpaque});
}

void TProgressBar::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.ExStyle |= WS_EX_STATICEDGE;
}

void TProgressBar::SetMin(Integer Value) {
    FMin = Value;
    if (FPosition < FMin) FPosition = FMin;
    Invalidate();
}

void TProgressBar::SetMax(Integer Value) {
    FMax = Value;
    if (FPosition > FMax) FPosition = FMax;
    Invalidate();
}

void TProgressBar::SetPosition(Integer Value) {
    Value = std::clamp(Value, std::min(FMin, FMax), std::max(FMin, FMax));
    if (Value == FPosition) return;
    FPosition = Value;
    Invalidate();
}

void TProgressBar::StepBy(Integer Delta) {
    Integer range = FMax - FMin;
    Integer next = FPosition + Delta;
    if (range > 0 && next > FMax) next = FMin + (next - FMin) % range;
    if (range > 0 && next < FMin) next = FMax - (FMin - next) % range;
    SetPosition(next);
}

void TProgressBar::StepIt() { StepBy(FStep); }

void TProgressBar::SetOrientation(TProgressBarOrientation Value) {
    FOrientation = Value;
    Invalidate();
}

void TProgressBar::SetSmooth(bool Value) {
    FSmooth = Value;
    Invalidate();
}

void TProgressBar::Paint() {
    TCanvas* c = GetCanvas();
    TRect cr = GetClientRect();
    FillSolid(c, cr, GetColor());
    Integer range = FMax - FMin;
    if (range <= 0) return;
    TRect inner = cr;
    InflateRect(&inner, -1, -1);
    bool vertical = FOrientation == pbVertical;
    Integer length = vertical ? inner.Height() : inner.Width();
    Integer filled = Integer(int64_t(length) * (FPosition - FMin) / range);
    c->GetBrush()->SetColor(clHighlight);
    if (FSmooth) {
        TRect f = vertical ? TRect{inner.Left, inner.Bottom - filled, inner.Right, inner.Bottom}
                           : TRect{inner.Left, inner.Top, inner.Left + filled, inner.Bottom};
        c->FillRect(f);
        return;
    }
    Integer block = std::max(2, (vertical ? inner.Width() : inner.Height()) * 2 / 3);
    Integer step = block + 2;
    Integer blocks = filled <= 0 ? 0 : (filled + step - 1) / step;
    for (Integer i = 0; i < blocks; ++i) {
        Integer a = i * step, b = std::min(a + block, length);
        TRect f = vertical ? TRect{inner.Left, inner.Bottom - b, inner.Right, inner.Bottom - a}
                           : TRect{inner.Left + a, inner.Top, inner.Left + b, inner.Bottom};
        c->FillRect(f);
    }
}
