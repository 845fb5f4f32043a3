#include "framework/comctrls.h"

#include <algorithm>
#include <cstdlib>

#include "framework/control_paint.h"

using lumora_paint::FillSolid;

// ---- Scroll boxes ----------------------------------------------------------------------------

void TControlScrollBar::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TControlScrollBar*>(Source)) {
        FIncrement = s->FIncrement;
        FMargin = s->FMargin;
        FTracking = s->FTracking;
        FVisible = s->FVisible;
        SetRange(s->FRange);
        SetPosition(s->FPosition);
        return;
    }
    TPersistent::Assign(Source);
}

Integer TControlScrollBar::PageSize() const {
    return FKind == sbHorizontal ? FControl->GetClientWidth() : FControl->GetClientHeight();
}

bool TControlScrollBar::IsScrollBarVisible() const { return FVisible && FRange > PageSize(); }

void TControlScrollBar::SetMargin(Integer Value) {
    FMargin = Value;
    if (FControl->FAutoScroll) FControl->Realign();
}

void TControlScrollBar::SetRange(Integer Value) {
    Value = std::max(0, Value);
    if (FRange == Value) return;
    FRange = Value;
    FControl->UpdateScrollBars();
}

void TControlScrollBar::SetVisible(bool Value) {
    if (FVisible == Value) return;
    FVisible = Value;
    FControl->UpdateScrollBars();
}

void TControlScrollBar::SetPosition(Integer Value) {
    Integer maxPos = std::max(0, FRange - PageSize());
    Value = std::clamp(Value, 0, maxPos);
    if (Value == FPosition) return;
    Integer delta = FPosition - Value;
    FPosition = Value;
    if (FKind == sbHorizontal)
        FControl->ScrollBy(delta, 0);
    else
        FControl->ScrollBy(0, delta);
    Update();
}

void TControlScrollBar::Update() {
    if (!FControl->HandleAllocated()) return;
    Integer bar = FKind == sbHorizontal ? SB_HORZ : SB_VERT;
    TScrollInfo si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = FVisible ? std::max(0, FRange - 1) : 0;
    si.nPage = UINT(PageSize() + 1);
    si.nPos = FPosition;
    if (!FVisible) si.nPage = 1;
    SetScrollInfo(FControl, bar, si, true);
}

void TControlScrollBar::ScrollMessage(TMessage& Message) {
    Integer page = std::max(1, PageSize() * 9 / 10);
    switch (ScrollCode(Message)) {
    case SB_LINEUP: SetPosition(FPosition - FIncrement); break;
    case SB_LINEDOWN: SetPosition(FPosition + FIncrement); break;
    case SB_PAGEUP: SetPosition(FPosition - page); break;
    case SB_PAGEDOWN: SetPosition(FPosition + page); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: SetPosition(::ScrollPos(Message)); break;
    case SB_TOP: SetPosition(0); break;
    case SB_BOTTOM: SetPosition(FRange); break;
    default: break;
    }
}

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner)
    : TCustomControl(AOwner),
      FHorzScrollBar(new TControlScrollBar(this, sbHorizontal)),
      FVertScrollBar(new TControlScrollBar(this, sbVertical)) {
    SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks});
}

TScrollingWinControl::~TScrollingWinControl() {
    delete FHorzScrollBar;
    delete FVertScrollBar;
}

void TScrollingWinControl::CreateWnd() {
    TCustomControl::CreateWnd();
    CalcAutoRange();
    UpdateScrollBars();
}

void TScrollingWinControl::SetAutoScroll(bool Value) {
    if (FAutoScroll == Value) return;
    FAutoScroll = Value;
    if (Value)
        CalcAutoRange();
    else {
        FHorzScrollBar->SetRange(0);
        FVertScrollBar->SetRange(0);
    }
}

void TScrollingWinControl::ScrollBy(Integer DeltaX, Integer DeltaY) {
    if (DeltaX == 0 && DeltaY == 0) return;
    FScrolling = true;
    DisableAlign();
    try {
        for (int i = 0; i < GetControlCount(); ++i) {
            TControl* c = GetControl(i);
            c->SetBounds(c->GetLeft() + DeltaX, c->GetTop() + DeltaY, c->GetWidth(), c->GetHeight());
        }
    } catch (...) {
        FScrolling = false;
        EnableAlign();
        throw;
    }
    FScrolling = false;
    EnableAlign();
    Invalidate();
}

void TScrollingWinControl::CalcAutoRange() {
    if (!FAutoScroll || IsLoading()) return;
    Integer right = 0, bottom = 0;
    for (int i = 0; i < GetControlCount(); ++i) {
        TControl* c = GetControl(i);
        if (!c->GetVisible()) continue;
        if (c->GetAlign() == alNone || c->GetAlign() == alLeft || c->GetAlign() == alRight)
            right = std::max(right, c->GetLeft() + c->GetWidth() + FHorzScrollBar->FPosition);
        if (c->GetAlign() == alNone || c->GetAlign() == alTop || c->GetAlign() == alBottom)
            bottom = std::max(bottom, c->GetTop() + c->GetHeight() + FVertScrollBar->FPosition);
    }
    FHorzScrollBar->FRange = right > 0 ? right + FHorzScrollBar->FMargin : 0;
    FVertScrollBar->FRange = bottom > 0 ? bottom + FVertScrollBar->FMargin : 0;
    UpdateScrollBars();
}

void TScrollingWinControl::UpdateScrollBars() {
    if (FUpdatingScrollBars || !HandleAllocated()) return;
    FUpdatingScrollBars = true;
    try {
        // Twice: a bar that appears narrows the other dimension.
        for (int pass = 0; pass < 2; ++pass) {
            for (TControlScrollBar* b : {FHorzScrollBar, FVertScrollBar}) {
                Integer maxPos = std::max(0, b->FRange - b->PageSize());
                if (b->FPosition > maxPos) {
                    Integer delta = b->FPosition - maxPos;
                    b->FPosition = maxPos;
                    if (b->FKind == sbHorizontal)
                        ScrollBy(delta, 0);
                    else
                        ScrollBy(0, delta);
                }
                b->Update();
            }
        }
    } catch (...) {
        FUpdatingScrollBars = false;
        throw;
    }
    FUpdatingScrollBars = false;
}

void TScrollingWinControl::AlignControls(TControl* AControl, TRect& Rect) {
    TCustomControl::AlignControls(AControl, Rect);
    if (!FScrolling) CalcAutoRange();
}

void TScrollingWinControl::WMSize(TMessage& Message) {
    TCustomControl::WMSize(Message);
    UpdateScrollBars();
}

void TScrollingWinControl::WMHScroll(TMessage& Message) { FHorzScrollBar->ScrollMessage(Message); }
void TScrollingWinControl::WMVScroll(TMessage& Message) { FVertScrollBar->ScrollMessage(Message); }

bool TScrollingWinControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    TControlScrollBar* b =
        Shift.Contains(ssShift) || !FVertScrollBar->IsScrollBarVisible() ? FHorzScrollBar : FVertScrollBar;
    if (!b->IsScrollBarVisible()) return false;
    b->SetPosition(b->GetPosition() - WheelDelta / WHEEL_DELTA * b->GetIncrement() * Mouse->GetWheelScrollLines());
    return true;
}

void TScrollingWinControl::ScrollInView(TControl* AControl) {
    if (!AControl || !ContainsControl(AControl) || AControl == this) return;
    TPoint tl = ScreenToClient(AControl->ClientToScreen({0, 0}));
    TRect r{tl.X, tl.Y, tl.X + AControl->GetWidth(), tl.Y + AControl->GetHeight()};
    TRect cr = GetClientRect();
    if (r.Left < 0)
        FHorzScrollBar->SetPosition(FHorzScrollBar->FPosition + r.Left);
    else if (r.Right > cr.Right)
        FHorzScrollBar->SetPosition(FHorzScrollBar->FPosition + std::min(r.Right - cr.Right, r.Left));
    if (r.Top < 0)
        FVertScrollBar->SetPosition(FVertScrollBar->FPosition + r.Top);
    else if (r.Bottom > cr.Bottom)
        FVertScrollBar->SetPosition(FVertScrollBar->FPosition + std::min(r.Bottom - cr.Bottom, r.Top));
}

void TScrollingWinControl::CMFocusChanged(TMessage& Message) {
    auto* c = reinterpret_cast<TWinControl*>(Message.LParam);
    if (FAutoScroll && c && c != this && ContainsControl(c)) ScrollInView(c);
    TCustomControl::CMFocusChanged(Message);
}

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner) {
    SetControlStyle(GetControlStyle() + TControlStyle{csSetCaption});
    SetBounds(0, 0, 185, 41);
    SetParentColor(true);
}

void TScrollBox::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    RecreateWnd();
    FrameChanged();
}

void TScrollBox::CreateParams(TCreateParams& Params) {
    TScrollingWinControl::CreateParams(Params);
    lumora_paint::AddBorderStyle(Params, FBorderStyle, GetCtl3D());
}

void TScrollBox::Paint() { FillSolid(GetCanvas(), GetClientRect(), GetColor()); }
