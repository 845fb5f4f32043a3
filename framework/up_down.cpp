#include "framework/comctrls.h"

#include <algorithm>
#include <cstdlib>

#include "framework/sysutils.h"
#include "framework/system_metrics.h"
#include "framework/timer.h"
#include "framework/window_backend.h"

using lumora_detail::IsLiveControl;

// ---- TCustomUpDown ---------------------------------------------------------------------------

namespace {
constexpr UINT_PTR kRepeatTimer = 1;

std::string WithThousands(Integer Value, bool Thousands) {
    std::string digits = std::to_string(std::abs(int64_t(Value)));
    if (Thousands)
        for (Integer i = Integer(digits.size()) - 3; i > 0; i -= 3) digits.insert(size_t(i), 1, ',');
    return (Value < 0 ? "-" : "") + digits;
}
}  // namespace

TCustomUpDown::TCustomUpDown(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(0, 0, GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYVSCROLL) * 2 - 2);
    SetControlStyle(TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks});
    SetTabStop(false);
    SetColor(clBtnFace);
}

TCustomUpDown::~TCustomUpDown() {
    if (auto* e = dynamic_cast<TCustomEdit*>(FAssociate); e && FHooked) e->AttachedKeyDown = nullptr;
}

void TCustomUpDown::SetMin(Integer Value) {
    FMin = Value;
    FPosition = std::clamp(FPosition, std::min(FMin, FMax), std::max(FMin, FMax));
}

void TCustomUpDown::SetMax(Integer Value) {
    FMax = Value;
    FPosition = std::clamp(FPosition, std::min(FMin, FMax), std::max(FMin, FMax));
}

Integer TCustomUpDown::GetPosition() {
    if (FAssociate) FPosition = ReadAssociate();
    return FPosition;
}

void TCustomUpDown::SetPosition(Integer Value) {
    FPosition = std::clamp(Value, std::min(FMin, FMax), std::max(FMin, FMax));
    UpdateAssociate();
}

void TCustomUpDown::SetThousands(bool Value) {
    FThousands = Value;
    UpdateAssociate();
}

Integer TCustomUpDown::ReadAssociate() {
    if (!FAssociate) return FPosition;
    std::string t = FAssociate->GetText();
    std::string digits;
    for (char ch : t)
        if (ch != ',' && ch != ' ') digits += ch;
    Integer v;
    if (!TryStrToInt(Trim(digits), v)) return FPosition;
    return std::clamp(v, std::min(FMin, FMax), std::max(FMin, FMax));
}

void TCustomUpDown::UpdateAssociate() {
    if (!FAssociate || IsLoading()) return;
    FAssociate->SetText(WithThousands(FPosition, FThousands));
}

void TCustomUpDown::PlaceBeside() {
    if (!FAssociate || IsLoading()) return;
    if (GetParent() != FAssociate->GetParent()) SetParent(FAssociate->GetParent());
    Integer w = GetWidth();
    TRect a = FAssociate->GetBoundsRect();
    if (FAlignButton == udRight) {
        FAssociate->SetBounds(a.Left, a.Top, std::max(0, a.Width() - w), a.Height());
        SetBounds(FAssociate->GetLeft() + FAssociate->GetWidth(), a.Top, w, a.Height());
    } else {
        FAssociate->SetBounds(a.Left + w, a.Top, std::max(0, a.Width() - w), a.Height());
        SetBounds(a.Left, a.Top, w, a.Height());
    }
}

void TCustomUpDown::SetAssociate(TWinControl* Value) {
    if (FAssociate == Value) return;
    if (FAssociate) {
        FAssociate->RemoveFreeNotification(this);
        if (auto* e = dynamic_cast<TCustomEdit*>(FAssociate); e && FHooked) e->AttachedKeyDown = nullptr;
        FHooked = false;
    }
    FAssociate = Value;
    if (!Value) return;
    Value->FreeNotification(this);
    if (auto* e = dynamic_cast<TCustomEdit*>(Value)) {
        e->AttachedKeyDown = [this](Word Key, TShiftState) {
            if (!FArrowKeys) return false;
            if (Key == VK_UP) Step(btNext);
            else if (Key == VK_DOWN) Step(btPrev);
            else return false;
            return true;
        };
        FHooked = true;
    }
    PlaceBeside();
    UpdateAssociate();
}

void TCustomUpDown::SetAlignButton(TUDAlignButton Value) {
    FAlignButton = Value;
    PlaceBeside();
}

void TCustomUpDown::SetOrientation(TUDOrientation Value) {
    FOrientation = Value;
    Invalidate();
}

void TCustomUpDown::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FAssociate) {
        FAssociate = nullptr;
        FHooked = false;
    }
}

void TCustomUpDown::Loaded() {
    TCustomControl::Loaded();
    PlaceBeside();
    UpdateAssociate();
}

bool TCustomUpDown::CanChange(Integer NewValue, TUpDownDirection Direction) {
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    if (OnChangingEx) OnChangingEx(this, allow, SmallInt(NewValue), Direction);
    return allow;
}

void TCustomUpDown::DoClick(TUDBtnType Button) {
    if (OnClick) OnClick(this, Button);
}

void TCustomUpDown::Step(TUDBtnType Button) {
    Integer pos = GetPosition();
    Integer lo = std::min(FMin, FMax), hi = std::max(FMin, FMax);
    Integer delta = (Button == btNext) == (FMin <= FMax) ? FIncrement : -FIncrement;
    Integer next = pos + delta;
    if (next > hi) next = FWrap ? lo : hi;
    if (next < lo) next = FWrap ? hi : lo;
    if (next != pos) {
        if (!CanChange(next, Button == btNext ? updUp : updDown)) return;
        FPosition = next;
        UpdateAssociate();
    }
    if (IsLiveControl(this)) DoClick(Button);
}

void TCustomUpDown::Paint() {
    TCanvas* c = GetCanvas();
    TRect cr = GetClientRect();
    TRect a = cr, b = cr;
    bool vertical = FOrientation == udVertical;
    if (vertical) {
        a.Bottom = cr.Height() / 2;
        b.Top = a.Bottom;
    } else {
        a.Right = cr.Width() / 2;
        b.Left = a.Right;
    }
    UINT inactive = GetEnabled() ? 0 : DFCS_INACTIVE;
    DrawFrameControl(c->GetHandle(), &a, DFC_SCROLL,
                     (vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | inactive | (FPressed == 0 ? DFCS_PUSHED : 0));
    DrawFrameControl(c->GetHandle(), &b, DFC_SCROLL,
                     (vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | inactive | (FPressed == 1 ? DFCS_PUSHED : 0));
}

void TCustomUpDown::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    bool first = FOrientation == udVertical ? Y < GetClientHeight() / 2 : X < GetClientWidth() / 2;
    FPressed = first ? 0 : 1;
    Invalidate();
    // The upper (vertical) or right (horizontal) button goes up.
    TUDBtnType button = FOrientation == udVertical ? (first ? btNext : btPrev) : (first ? btPrev : btNext);
    Step(button);
    if (IsLiveControl(this) && FPressed >= 0) SetTimer(this, kRepeatTimer, 400);
}

void TCustomUpDown::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (FPressed >= 0) {
        FPressed = -1;
        KillTimer(this, kRepeatTimer);
        Invalidate();
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomUpDown::WMTimer(TMessage& Message) {
    if (Message.WParam != kRepeatTimer || FPressed < 0) {
        TCustomControl::WMTimer(Message);
        return;
    }
    SetTimer(this, kRepeatTimer, 100);
    bool first = FPressed == 0;
    Step(FOrientation == udVertical ? (first ? btNext : btPrev) : (first ? btPrev : btNext));
}
