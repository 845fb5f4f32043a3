#include "framework/std_controls.h"

#include <algorithm>
#include <cmath>

#include "framework/control_paint.h"
#include "framework/window_backend.h"

// ---- Check boxes and radio buttons -----------------------------------------------------------

namespace {

// Draws a check or radio box with its caption: the box at the side Alignment leaves free.
void PaintCheckControl(TButtonControl* Control, TCanvas* C, UINT BoxFlags, TAlignment Alignment, bool Focused,
                       const std::function<void(TCanvas*, TRect, UINT, bool)>& DrawCaptionFn) {
    TRect r = Control->GetClientRect();
    C->GetBrush()->SetColor(Control->GetColor());
    C->GetBrush()->SetStyle(bsSolid);
    C->FillRect(r);
    const Integer box = 13;
    Integer top = (r.Height() - box) / 2;
    TRect boxRect =
        Alignment == taRightJustify ? TRect{0, top, box, top + box} : TRect{r.Right - box, top, r.Right, top + box};
    if (!Control->GetEnabled()) BoxFlags |= DFCS_INACTIVE;
    DrawFrameControl(C->GetHandle(), &boxRect, DFC_BUTTON, BoxFlags);
    C->SetFont(Control->GetFont());
    TRect text =
        Alignment == taRightJustify ? TRect{box + 4, 0, r.Right, r.Bottom} : TRect{0, 0, r.Right - box - 4, r.Bottom};
    TRect calc{0, 0, text.Width(), 0};
    std::string caption = Control->GetCaption();
    DrawText(lumora_paint::MeasureCanvas(Control->GetFont())->GetHandle(), caption.empty() ? " " : caption, &calc,
             DT_CALCRECT | DT_SINGLELINE);
    Integer ty = (r.Height() - calc.Height()) / 2;
    TRect textRect{text.Left, ty, text.Left + calc.Width(), ty + calc.Height()};
    if (Alignment != taRightJustify) OffsetRect(&textRect, text.Width() - calc.Width(), 0);
    DrawCaptionFn(C, textRect, DT_SINGLELINE | DT_LEFT | DT_VCENTER, Control->GetEnabled());
    if (Focused && !caption.empty()) {
        TRect f = textRect;
        InflateRect(&f, 1, 1);
        IntersectRect(&f, &f, &r);
        C->GetBrush()->SetStyle(bsSolid);
        C->GetBrush()->SetColor(Control->GetColor());
        C->GetFont()->SetColor(clBtnText);
        C->DrawFocusRect(f);
    }
}

}  // namespace

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
    SetBounds(0, 0, 97, 17);
    SetParentColor(true);
}

void TCustomCheckBox::SetAlignment(TLeftRight Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    Invalidate();
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
    if (FState == Value) return;
    FState = Value;
    Invalidate();
    if (!ClicksDisabled()) Click();
}

void TCustomCheckBox::SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }

void TCustomCheckBox::Toggle() {
    switch (FState) {
    case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
    }
}

void TCustomCheckBox::Paint() {
    UINT flags = DFCS_BUTTONCHECK;
    if (FState == cbChecked) flags |= DFCS_CHECKED;
    if (FState == cbGrayed) flags |= DFCS_BUTTON3STATE | DFCS_CHECKED;
    if (GetPressed()) flags |= DFCS_PUSHED;
    PaintCheckControl(this, GetCanvas(), flags, FAlignment, Focused(),
                      [this](TCanvas* c, TRect r, UINT f, bool e) { DrawCaption(c, r, f, e); });
}

void TCustomCheckBox::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_BUTTON; }

void TCustomCheckBox::CMDialogChar(TMessage& Message) {
    if (IsAccel(Word(Message.WParam), GetCaption()) && CanFocus()) {
        SetFocus();
        if (Focused()) Toggle();
        Message.Result = 1;
        return;
    }
    TButtonControl::CMDialogChar(Message);
}

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
    SetBounds(0, 0, 113, 17);
    SetParentColor(true);
    SetTabStop(false);
}

void TRadioButton::SetAlignment(TLeftRight Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    Invalidate();
}

void TRadioButton::SetChecked(bool Value) {
    if (FChecked == Value) return;
    FChecked = Value;
    SetTabStop(Value);
    Invalidate();
    if (!Value) return;
    if (TWinControl* p = GetParent())
        for (int i = 0; i < p->GetControlCount(); ++i)
            if (auto* sibling = dynamic_cast<TRadioButton*>(p->GetControl(i)); sibling && sibling != this)
                sibling->SetChecked(false);
    Changed();
    if (!ClicksDisabled()) Click();
}

void TRadioButton::Paint() {
    UINT flags = DFCS_BUTTONRADIO | (FChecked ? DFCS_CHECKED : 0) | (GetPressed() ? DFCS_PUSHED : 0);
    PaintCheckControl(this, GetCanvas(), flags, FAlignment, Focused(),
                      [this](TCanvas* c, TRect r, UINT f, bool e) { DrawCaption(c, r, f, e); });
}

void TRadioButton::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_BUTTON | DLGC_RADIOBUTTON; }

void TRadioButton::WMSetFocus(TMessage& Message) {
    TButtonControl::WMSetFocus(Message);
    // Reaching a radio button with the arrow keys checks it.
    bool arrows =
        GetKeyState(VK_LEFT) < 0 || GetKeyState(VK_RIGHT) < 0 || GetKeyState(VK_UP) < 0 || GetKeyState(VK_DOWN) < 0;
    if (arrows && !FChecked && lumora_detail::IsLiveControl(this)) SetChecked(true);
}

void TRadioButton::CMDialogChar(TMessage& Message) {
    if (IsAccel(Word(Message.WParam), GetCaption()) && CanFocus()) {
        SetFocus();
        if (Focused()) SetChecked(true);
        Message.Result = 1;
        return;
    }
    TButtonControl::CMDialogChar(Message);
}

// ---- TCustomGroupBox -------------------------------------------------------------------------

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks,
                                  csReplicatable});
    SetBounds(0, 0, 185, 105);
    SetParentColor(true);
}

void TCustomGroupBox::Paint() {
    TCanvas* c = GetCanvas();
    TRect r = GetClientRect();
    c->GetBrush()->SetColor(GetColor());
    c->GetBrush()->SetStyle(bsSolid);
    c->FillRect(r);
    c->SetFont(GetFont());
    Integer h = c->TextHeight("0");
    TRect frame{0, h / 2 - 1, r.Right, r.Bottom};
    DrawEdge(c->GetHandle(), &frame, GetCtl3D() ? EDGE_ETCHED : BDR_SUNKENOUTER, BF_RECT | (GetCtl3D() ? 0 : BF_MONO));
    std::string text = GetCaption();
    if (text.empty()) return;
    TRect tr{0, 0, 0, 0};
    DrawText(c->GetHandle(), text, &tr, DT_CALCRECT | DT_SINGLELINE);
    OffsetRect(&tr, 8, 0);
    c->GetBrush()->SetColor(GetColor());
    c->FillRect({tr.Left - 1, tr.Top, tr.Right + 1, tr.Bottom});
    c->GetBrush()->SetStyle(bsClear);
    if (!GetEnabled()) {
        TRect s = tr;
        OffsetRect(&s, 1, 1);
        c->GetFont()->SetColor(clBtnHighlight);
        DrawText(c->GetHandle(), text, &s, DT_SINGLELINE | DT_LEFT);
        c->GetFont()->SetColor(clBtnShadow);
    }
    DrawText(c->GetHandle(), text, &tr, DT_SINGLELINE | DT_LEFT);
}

TRect TCustomGroupBox::GetClientRectForAlign() {
    TRect r = GetClientRect();
    r.Top += lumora_paint::MeasureCanvas(GetFont())->TextHeight("0");
    InflateRect(&r, -1, -1);
    if (GetCtl3D()) InflateRect(&r, -1, -1);
    return r;
}

void TCustomGroupBox::CMDialogChar(TMessage& Message) {
    if (IsAccel(Word(Message.WParam), GetCaption()) && CanFocus()) {
        if (TWinControl* first = FindNextControl(nullptr, true, true, false)) first->SetFocus();
        Message.Result = 1;
        return;
    }
    TCustomControl::CMDialogChar(Message);
}

void TCustomGroupBox::CMTextChanged(TMessage& Message) {
    Invalidate();
    Realign();
}

void TCustomGroupBox::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    Realign();
}

// ---- TCustomRadioGroup -----------------------------------------------------------------------

// A radio button of a radio group.
class TGroupButton : public TRadioButton {
    LUMORA_CLASS(TGroupButton, TRadioButton)
public:
    explicit TGroupButton(TComponent* AOwner) : TRadioButton(AOwner) {}
    TCustomRadioGroup* Group() const { return dynamic_cast<TCustomRadioGroup*>(GetParent()); }
    void Click() override {
        if (FInClick) return;
        FInClick = true;
        try {
            TCustomRadioGroup* g = Group();
            if (g && !g->IsLoading() && !g->FUpdating) TRadioButton::Click();
            if (g) g->ButtonClick(this);
        } catch (...) {
            Application->HandleException(this);
        }
        FInClick = false;
    }

protected:
    void KeyPress(Char& Key) override {
        if (TCustomRadioGroup* g = Group()) {
            if (g->OnKeyPress) g->OnKeyPress(g, Key);
            if ((Key == 8 || Key == U' ') && !g->CanModify()) Key = 0;
        }
        TRadioButton::KeyPress(Key);
    }
    void KeyDown(Word& Key, TShiftState Shift) override {
        if (TCustomRadioGroup* g = Group(); g && g->OnKeyDown) g->OnKeyDown(g, Key, Shift);
        TRadioButton::KeyDown(Key, Shift);
    }
    void ButtonClicked() override {
        TCustomRadioGroup* g = Group();
        if (g && !g->CanModify()) return;
        TRadioButton::ButtonClicked();
    }

private:
    bool FInClick = false;
};

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner) : TCustomGroupBox(AOwner), FItems(new TStringList) {
    SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks, csAcceptsControls});
    FItems->OnChange = [this](TObject*) { ItemsChanged(); };
}

TCustomRadioGroup::~TCustomRadioGroup() {
    FItems->OnChange = nullptr;
    delete FItems;
}

TStrings* TCustomRadioGroup::GetItems() const { return FItems; }

void TCustomRadioGroup::SetItems(TStrings* Value) { FItems->Assign(Value); }

TRadioButton* TCustomRadioGroup::GetButton(Integer Index) const {
    if (Index < 0 || Index >= Integer(FButtons.size()))
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FButtons[size_t(Index)];
}

void TCustomRadioGroup::ItemsChanged() {
    if (IsLoading()) return;
    if (FItemIndex >= FItems->GetCount()) FItemIndex = FItems->GetCount() - 1;
    UpdateButtons();
}

void TCustomRadioGroup::UpdateButtons() {
    FUpdating = true;
    try {
        Integer n = FItems->GetCount();
        while (Integer(FButtons.size()) > n) {
            TRadioButton* b = FButtons.back();
            FButtons.pop_back();
            b->Free();
        }
        while (Integer(FButtons.size()) < n) {
            auto* b = new TGroupButton(this);
            b->SetVisible(false);
            b->SetEnabled(GetEnabled());
            b->SetParentShowHint(false);
            b->SetParent(this);
            FButtons.push_back(b);
        }
        for (Integer i = 0; i < n; ++i) {
            TRadioButton* b = FButtons[size_t(i)];
            b->SetCaption(FItems->Get(i));
            b->SetChecked(i == FItemIndex);
        }
    } catch (...) {
        FUpdating = false;
        throw;
    }
    FUpdating = false;
    ArrangeButtons();
    Invalidate();
}

void TCustomRadioGroup::ArrangeButtons() {
    if (FButtons.empty()) return;
    TCanvas* mc = lumora_paint::MeasureCanvas(GetFont());
    Integer th = mc->TextHeight("0");
    Integer columns = std::max(1, FColumns);
    Integer perCol = (Integer(FButtons.size()) + columns - 1) / columns;
    Integer buttonWidth = (GetWidth() - 10) / columns;
    Integer rest = GetHeight() - th - 5;
    Integer buttonHeight = rest / perCol;
    Integer topMargin = th + 1 + (rest % perCol) / 2;
    for (size_t i = 0; i < FButtons.size(); ++i) {
        TRadioButton* b = FButtons[i];
        Integer left = (Integer(i) / perCol) * buttonWidth + 8;
        b->SetBounds(left, (Integer(i) % perCol) * buttonHeight + topMargin, buttonWidth, buttonHeight);
        b->SetVisible(true);
    }
}

void TCustomRadioGroup::ButtonClick(TRadioButton* Button) {
    if (FUpdating) return;
    auto it = std::find(FButtons.begin(), FButtons.end(), Button);
    FItemIndex = it == FButtons.end() ? -1 : Integer(it - FButtons.begin());
    Changed();
    Click();
}

void TCustomRadioGroup::SetItemIndex(Integer Value) {
    if (IsLoading()) {
        FItemIndex = Value;
        return;
    }
    if (Value < -1) Value = -1;
    if (Value >= Integer(FButtons.size())) Value = Integer(FButtons.size()) - 1;
    if (FItemIndex == Value) return;
    if (FItemIndex >= 0) FButtons[size_t(FItemIndex)]->SetChecked(false);
    FItemIndex = Value;
    if (FItemIndex >= 0) FButtons[size_t(FItemIndex)]->SetChecked(true);
}

void TCustomRadioGroup::SetColumns(Integer Value) {
    Value = std::clamp(Value, 1, 16);
    if (FColumns == Value) return;
    FColumns = Value;
    ArrangeButtons();
    Invalidate();
}

void TCustomRadioGroup::Loaded() {
    TCustomGroupBox::Loaded();
    UpdateButtons();
}

void TCustomRadioGroup::WMSize(TMessage& Message) {
    TCustomGroupBox::WMSize(Message);
    ArrangeButtons();
}

void TCustomRadioGroup::CMEnabledChanged(TMessage& Message) {
    TCustomGroupBox::CMEnabledChanged(Message);
    for (TRadioButton* b : FButtons) b->SetEnabled(GetEnabled());
}

void TCustomRadioGroup::CMFontChanged(TMessage& Message) {
    TCustomGroupBox::CMFontChanged(Message);
    ArrangeButtons();
}
