#include "framework/comctrls.h"

#include <algorithm>
#include <cstdlib>

#include "framework/control_paint.h"
#include "framework/timer.h"
#include "framework/window_backend.h"

using lumora_detail::IsLiveControl;
using lumora_paint::FillSolid;
using lumora_paint::Line;

// ---- TTrackBar -------------------------------------------------------------------------------

namespace {
constexpr Integer kTrackMargin = 8;
constexpr UINT_PTR kPageTimer = 1;
}  // namespace

TTrackBar::TTrackBar(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(0, 0, 150, 45);
    SetTabStop(true);
    SetParentColor(true);
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csOpaque});
}

void TTrackBar::Changed() {
    if (OnChange) OnChange(this);
}

void TTrackBar::SetMin(Integer Value) {
    FMin = Value;
    if (FMax < FMin) FMax = FMin;
    FPosition = std::clamp(FPosition, FMin, FMax);
    Invalidate();
}

void TTrackBar::SetMax(Integer Value) {
    FMax = Value;
    if (FMin > FMax) FMin = FMax;
    FPosition = std::clamp(FPosition, FMin, FMax);
    Invalidate();
}

void TTrackBar::SetPosition(Integer Value) {
    Value = std::clamp(Value, FMin, FMax);
    if (Value == FPosition) return;
    FPosition = Value;
    Invalidate();
    Changed();
}

void TTrackBar::SetFrequency(Integer Value) {
    FFrequency = Value;
    Invalidate();
}

void TTrackBar::SetOrientation(TTrackBarOrientation Value) {
    if (FOrientation == Value) return;
    FOrientation = Value;
    if (!IsLoading()) SetBounds(GetLeft(), GetTop(), GetHeight(), GetWidth());
    Invalidate();
}

void TTrackBar::SetTickMarks(TTickMark Value) {
    FTickMarks = Value;
    Invalidate();
}

void TTrackBar::SetTickStyle(TTickStyle Value) {
    FTickStyle = Value;
    Invalidate();
}

void TTrackBar::SetTick(Integer Value) {
    if (Value > FMin && Value < FMax) FTicks.push_back(Value);
    Invalidate();
}

void TTrackBar::SetThumbLength(Integer Value) {
    FThumbLength = std::max(4, Value);
    Invalidate();
}

void TTrackBar::SetSliderVisible(bool Value) {
    FSliderVisible = Value;
    Invalidate();
}

void TTrackBar::SetSelStart(Integer Value) {
    FSelStart = Value;
    Invalidate();
}

void TTrackBar::SetSelEnd(Integer Value) {
    FSelEnd = Value;
    Invalidate();
}

TRect TTrackBar::ChannelSpan() {
    TRect cr = GetClientRect();
    if (FOrientation == trHorizontal) return {cr.Left + kTrackMargin, 0, cr.Right - kTrackMargin, 0};
    return {0, cr.Top + kTrackMargin, 0, cr.Bottom - kTrackMargin};
}

Integer TTrackBar::PixelOf(Integer Position) {
    TRect s = ChannelSpan();
    Integer a = FOrientation == trHorizontal ? s.Left : s.Top;
    Integer b = FOrientation == trHorizontal ? s.Right : s.Bottom;
    if (FMax <= FMin) return a;
    return a + Integer(int64_t(b - a) * (Position - FMin) / (FMax - FMin));
}

Integer TTrackBar::PositionAt(TPoint P) {
    TRect s = ChannelSpan();
    Integer a = FOrientation == trHorizontal ? s.Left : s.Top;
    Integer b = FOrientation == trHorizontal ? s.Right : s.Bottom;
    Integer v = FOrientation == trHorizontal ? P.X : P.Y;
    if (b <= a || FMax <= FMin) return FMin;
    int64_t num = int64_t(v - a) * (FMax - FMin);
    Integer pos = FMin + Integer((num + (b - a) / 2) / (b - a));
    return std::clamp(pos, FMin, FMax);
}

TRect TTrackBar::ChannelRect() {
    TRect cr = GetClientRect();
    Integer across = FTickMarks == tmTopLeft
                         ? (FOrientation == trHorizontal ? cr.Bottom : cr.Right) - FThumbLength / 2 - kTrackMargin
                     : FTickMarks == tmBoth ? (FOrientation == trHorizontal ? cr.Height() : cr.Width()) / 2
                                            : kTrackMargin + FThumbLength / 2;
    TRect s = ChannelSpan();
    if (FOrientation == trHorizontal) return {s.Left - 2, across - 2, s.Right + 2, across + 2};
    return {across - 2, s.Top - 2, across + 2, s.Bottom + 2};
}

TRect TTrackBar::ThumbRect() {
    TRect ch = ChannelRect();
    Integer p = PixelOf(FPosition);
    Integer half = FThumbLength / 2;
    Integer w = std::max(3, FThumbLength / 2 - 0) / 2;
    if (FOrientation == trHorizontal) {
        Integer mid = (ch.Top + ch.Bottom) / 2;
        return {p - w - 1, mid - half, p + w + 2, mid + half + 1};
    }
    Integer mid = (ch.Left + ch.Right) / 2;
    return {mid - half, p - w - 1, mid + half + 1, p + w + 2};
}

void TTrackBar::Paint() {
    TCanvas* c = GetCanvas();
    TRect cr = GetClientRect();
    FillSolid(c, cr, GetColor());
    TRect ch = ChannelRect();
    TRect e = ch;
    DrawEdge(c->GetHandle(), &e, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    FillSolid(c, e, clWindow);
    if (FSelEnd > FSelStart) {
        Integer a = PixelOf(std::clamp(FSelStart, FMin, FMax)), b = PixelOf(std::clamp(FSelEnd, FMin, FMax));
        TRect sel = FOrientation == trHorizontal ? TRect{a, e.Top, b, e.Bottom} : TRect{e.Left, a, e.Right, b};
        FillSolid(c, sel, clHighlight);
    }
    // Ticks.
    if (FTickStyle != tsNone) {
        std::vector<Integer> ticks{FMin, FMax};
        if (FTickStyle == tsAuto && FFrequency > 0)
            for (Integer v = FMin + FFrequency; v < FMax; v += FFrequency) ticks.push_back(v);
        for (Integer t : FTicks) ticks.push_back(t);
        TRect thumb = ThumbRect();
        for (Integer t : ticks) {
            Integer p = PixelOf(t);
            Integer len = (t == FMin || t == FMax) ? 4 : 3;
            if (FOrientation == trHorizontal) {
                if (FTickMarks != tmTopLeft) Line(c, clBtnText, p, thumb.Bottom + 2, p, thumb.Bottom + 2 + len);
                if (FTickMarks != tmBottomRight) Line(c, clBtnText, p, thumb.Top - 2 - len, p, thumb.Top - 2);
            } else {
                if (FTickMarks != tmTopLeft) Line(c, clBtnText, thumb.Right + 2, p, thumb.Right + 2 + len, p);
                if (FTickMarks != tmBottomRight) Line(c, clBtnText, thumb.Left - 2 - len, p, thumb.Left - 2, p);
            }
        }
    }
    if (FSliderVisible) {
        TRect t = ThumbRect();
        FillSolid(c, t, clBtnFace);
        TRect te = t;
        DrawEdge(c->GetHandle(), &te, EDGE_RAISED, BF_RECT | BF_SOFT);
    }
    if (Focused()) {
        c->GetBrush()->SetColor(GetColor());
        c->GetFont()->SetColor(clBtnText);
        c->DrawFocusRect(cr);
    }
}

void TTrackBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (Button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        if (!IsLiveControl(this)) return;
        TRect t = ThumbRect();
        if (FSliderVisible && PtInRect(&t, {X, Y})) {
            FDragging = true;
            FDragOffset = (FOrientation == trHorizontal ? X : Y) - PixelOf(FPosition);
        } else {
            // A click beside the thumb pages towards the point, repeating while held.
            FPagePoint = {X, Y};
            FPageDirection = PositionAt({X, Y}) > FPosition ? 1 : -1;
            SetPosition(FPosition + FPageDirection * FPageSize);
            if (IsLiveControl(this)) SetTimer(this, kPageTimer, 400);
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TTrackBar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    if (FDragging) {
        TPoint p = FOrientation == trHorizontal ? TPoint{X - FDragOffset, Y} : TPoint{X, Y - FDragOffset};
        SetPosition(PositionAt(p));
    } else if (FPageDirection != 0) {
        FPagePoint = {X, Y};
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TTrackBar::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    FDragging = false;
    if (FPageDirection != 0) {
        FPageDirection = 0;
        KillTimer(this, kPageTimer);
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TTrackBar::WMTimer(TMessage& Message) {
    if (Message.WParam != kPageTimer || FPageDirection == 0) {
        TCustomControl::WMTimer(Message);
        return;
    }
    SetTimer(this, kPageTimer, 100);
    Integer target = PositionAt(FPagePoint);
    if ((FPageDirection > 0 && target > FPosition) || (FPageDirection < 0 && target < FPosition))
        SetPosition(FPosition + FPageDirection * FPageSize);
}

void TTrackBar::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    switch (Key) {
    case VK_LEFT:
    case VK_UP: SetPosition(FPosition - FLineSize); break;
    case VK_RIGHT:
    case VK_DOWN: SetPosition(FPosition + FLineSize); break;
    case VK_PRIOR: SetPosition(FPosition - FPageSize); break;
    case VK_NEXT: SetPosition(FPosition + FPageSize); break;
    case VK_HOME: SetPosition(FMin); break;
    case VK_END: SetPosition(FMax); break;
    default: break;
    }
}

bool TTrackBar::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    SetPosition(FPosition - WheelDelta / WHEEL_DELTA * FLineSize);
    return true;
}

void TTrackBar::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS; }

void TTrackBar::WMSetFocus(TMessage& Message) {
    TCustomControl::WMSetFocus(Message);
    Invalidate();
}

void TTrackBar::WMKillFocus(TMessage& Message) {
    TCustomControl::WMKillFocus(Message);
    Invalidate();
}
