#include "framework/list_controls.h"

#include <algorithm>

#include "framework/control_paint.h"
#include "framework/system_metrics.h"
#include "framework/window_backend.h"

using lumora_detail::IsLiveControl;

// ---- Combo boxes -----------------------------------------------------------------------------

// The edit part of a drop-down combo box: its keys go through the combo box first.
class TComboEdit : public TCustomEdit {
    LUMORA_CLASS(TComboEdit, TCustomEdit)
public:
    explicit TComboEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
        SetBorderStyle(bsNone);
        SetAutoSize(false);
        SetAutoSelect(true);
        SetTabStop(false);
    }
    TCustomComboBox* Combo() const { return dynamic_cast<TCustomComboBox*>(GetParent()); }
    Integer CodeSet = 0;

protected:
    void Change() override {
        TCustomEdit::Change();
        if (CodeSet == 0)
            if (TCustomComboBox* c = Combo()) c->EditChanged();
    }
    void KeyDown(Word& Key, TShiftState Shift) override {
        TCustomComboBox* c = Combo();
        if (c && c->OnKeyDown) c->OnKeyDown(c, Key, Shift);
        if (Key != 0 && c && c->NavigationKey(Key, Shift)) Key = 0;
        if (Key != 0) TCustomEdit::KeyDown(Key, Shift);
    }
    void KeyPress(Char& Key) override {
        TCustomComboBox* c = Combo();
        if (c && c->OnKeyPress) c->OnKeyPress(c, Key);
        if (Key != 0) TCustomEdit::KeyPress(Key);
    }
    void KeyUp(Word& Key, TShiftState Shift) override {
        TCustomComboBox* c = Combo();
        if (c && c->OnKeyUp) c->OnKeyUp(c, Key, Shift);
        if (Key != 0) TCustomEdit::KeyUp(Key, Shift);
    }
    void WMGetDlgCode(TMessage& Message) override {
        TCustomEdit::WMGetDlgCode(Message);
        if (TCustomComboBox* c = Combo(); c && c->GetDroppedDown()) Message.Result |= DLGC_WANTALLKEYS;
    }
    void CMWantSpecialKey(TMessage& Message) override {
        TCustomComboBox* c = Combo();
        Word k = Word(Message.WParam);
        Message.Result = (c && c->GetDroppedDown() && (k == VK_RETURN || k == VK_ESCAPE)) ? 1 : 0;
    }
    void WMKillFocus(TMessage& Message) override {
        TCustomEdit::WMKillFocus(Message);
        TCustomComboBox* c = Combo();
        HWND to = reinterpret_cast<HWND>(Message.WParam);
        if (c && to != c && c->GetDroppedDown()) c->SetDroppedDown(false);
    }
    void DefaultHandler(TMessage& Message) override {
        // Return and Escape close the list without a character.
        if (Message.Msg == WM_CHAR && (Message.WParam == 13 || Message.WParam == 27)) return;
        TCustomEdit::DefaultHandler(Message);
    }
};

// The drop-down list.
class TComboPopup : public TCustomPopupWindow {
    LUMORA_CLASS(TComboPopup, TCustomPopupWindow)
public:
    explicit TComboPopup(TCustomComboBox* Combo) : TCustomPopupWindow(Combo), FCombo(Combo) {
        SetControlStyle(TControlStyle{csCaptureMouse, csOpaque});
        OnOutsideClick = [this](TObject*, TPoint P) {
            TRect r;
            GetWindowRect(FCombo, r);
            if (PtInRect(&r, P)) return;  // the combo box closes it itself
            FCombo->SetDroppedDown(false);
        };
    }
    Integer Hot = -1;
    Integer Top = 0;

    Integer Visible() const {
        return std::max(1, std::min(FCombo->GetItems()->GetCount(), FCombo->GetDropDownCount()));
    }
    TRect ItemRect(Integer Index) {
        Integer y = 0;
        for (Integer i = Top; i < Index; ++i) y += FCombo->HeightOf(i);
        return {0, y, GetClientWidth(), y + FCombo->HeightOf(Index)};
    }
    Integer ItemAt(TPoint P) {
        if (P.X < 0 || P.X >= GetClientWidth() || P.Y < 0) return -1;
        for (Integer i = Top; i < FCombo->GetItems()->GetCount(); ++i) {
            TRect r = ItemRect(i);
            if (r.Top >= GetClientHeight()) break;
            if (P.Y >= r.Top && P.Y < r.Bottom) return i;
        }
        return -1;
    }
    void SetHot(Integer Index) {
        if (Index == Hot) return;
        Hot = Index;
        if (Hot >= 0) {
            if (Hot < Top) Top = Hot;
            while (Hot >= Top + Visible()) ++Top;
        }
        UpdateBar();
        Invalidate();
    }
    void UpdateBar() {
        if (!HandleAllocated()) return;
        TScrollInfo si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMax = std::max(0, FCombo->GetItems()->GetCount() - 1);
        si.nPage = UINT(Visible());
        si.nPos = Top;
        Top = SetScrollInfo(this, SB_VERT, si, true);
    }
    void ScrollTo(Integer NewTop) {
        NewTop = std::clamp(NewTop, 0, std::max(0, FCombo->GetItems()->GetCount() - Visible()));
        if (NewTop == Top) return;
        Top = NewTop;
        UpdateBar();
        Invalidate();
    }

protected:
    void Paint() override {
        TCanvas* c = GetCanvas();
        c->GetBrush()->SetColor(FCombo->GetColor());
        c->GetBrush()->SetStyle(bsSolid);
        c->FillRect(GetClientRect());
        for (Integer i = Top; i < FCombo->GetItems()->GetCount(); ++i) {
            TRect r = ItemRect(i);
            if (r.Top >= GetClientHeight()) break;
            TOwnerDrawState state;
            if (i == Hot) state += TOwnerDrawState{odSelected, odFocused};
            c->SetFont(FCombo->GetFont());
            c->GetBrush()->SetStyle(bsSolid);
            c->GetBrush()->SetColor(i == Hot ? TColor(clHighlight) : FCombo->GetColor());
            if (i == Hot) c->GetFont()->SetColor(clHighlightText);
            FCombo->FDrawCanvas = c;
            try {
                lumora_paint::TClipScope clip(c, r);
                FCombo->DrawItem(i, r, state);
            } catch (...) {
                FCombo->FDrawCanvas = nullptr;
                throw;
            }
            FCombo->FDrawCanvas = nullptr;
        }
    }
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override {
        Integer i = ItemAt({X, Y});
        if (i >= 0) SetHot(i);
        TCustomPopupWindow::MouseMove(Shift, X, Y);
    }
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override {
        TCustomPopupWindow::MouseUp(Button, Shift, X, Y);
        if (Button != mbLeft) return;
        Integer i = ItemAt({X, Y});
        if (i < 0) return;
        TCustomComboBox* combo = FCombo;
        combo->SetDroppedDown(false);
        combo->UserSelect(i);
    }
    bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override {
        ScrollTo(Top - WheelDelta / WHEEL_DELTA * Mouse->GetWheelScrollLines());
        return true;
    }
    void WMVScroll(TMessage& Message) override {
        switch (ScrollCode(Message)) {
        case SB_LINEUP: ScrollTo(Top - 1); break;
        case SB_LINEDOWN: ScrollTo(Top + 1); break;
        case SB_PAGEUP: ScrollTo(Top - Visible()); break;
        case SB_PAGEDOWN: ScrollTo(Top + Visible()); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: ScrollTo(ScrollPos(Message)); break;
        default: break;
        }
    }
    void WMEraseBkgnd(TMessage& Message) override { Message.Result = 1; }

private:
    TCustomComboBox* FCombo;
};

TCustomComboBox::TCustomComboBox(TComponent* AOwner) : TCustomControl(AOwner), FItems(new TListControlItems) {
    SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks, csFixedHeight, csOpaque});
    SetTabStop(true);
    SetColor(clWindow);
    FItems->OnInserted = [this](int i) {
        TListControlItems::TItem& it = FItems->Item(i);
        it.Height = FItemHeight;
        if (FStyle == csOwnerDrawVariable) {
            Integer h = FItemHeight;
            MeasureItem(i, h);
            it.Height = h;
        }
        if (FItemIndex >= i) ++FItemIndex;
        ItemsChanged();
    };
    FItems->OnDeleted = [this](int i) {
        if (FItemIndex == i) {
            FItemIndex = -1;
            if (!HasEdit()) Invalidate();
        } else if (FItemIndex > i) {
            --FItemIndex;
        }
        ItemsChanged();
    };
    FItems->OnCleared = [this] {
        FItemIndex = -1;
        if (HasEdit()) SetEditText("");
        ItemsChanged();
    };
    FItems->OnChanged = [this] { ItemsChanged(); };
    SetBounds(0, 0, 145, 21);
    SetStyle(csDropDown);
}

TCustomComboBox::~TCustomComboBox() {
    if (FPopup) {
        FPopup->ClosePopup();
        FPopup->Free();
        FPopup = nullptr;
    }
    delete FItems;
}

void TCustomComboBox::ItemsChanged() {
    if (FPopup && FPopup->IsPoppedUp()) {
        FPopup->UpdateBar();
        FPopup->Invalidate();
    }
    Invalidate();
}

void TCustomComboBox::SetItems(TStrings* Value) { FItems->Assign(Value); }

void TCustomComboBox::SetSorted(bool Value) {
    std::string current = FItemIndex >= 0 ? FItems->Get(FItemIndex) : std::string();
    FItems->SetSorted(Value);
    if (FItemIndex >= 0) FItemIndex = FItems->IndexOf(current);
}

void TCustomComboBox::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.ExStyle |= WS_EX_CLIENTEDGE;
}

Integer TCustomComboBox::GetItemHeight() const {
    if (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable) return FItemHeight;
    return std::max(1, lumora_paint::MeasureCanvas(GetFont())->TextHeight("Wg"));
}

void TCustomComboBox::SetItemHeight(Integer Value) {
    if (Value <= 0 || Value == FItemHeight) return;
    FItemHeight = Value;
    AdjustHeight();
    Invalidate();
}

Integer TCustomComboBox::HeightOf(Integer Index) {
    if (FStyle == csOwnerDrawVariable && Index >= 0 && Index < FItems->GetCount()) return FItems->Item(Index).Height;
    return GetItemHeight();
}

Integer TCustomComboBox::FaceHeight() {
    Integer content = OwnerDrawn() ? FItemHeight : lumora_paint::MeasureCanvas(GetFont())->TextHeight("Wg");
    return content + 8;
}

void TCustomComboBox::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
    TCustomControl::SetBounds(ALeft, ATop, AWidth, IsLoading() ? AHeight : FaceHeight());
}

void TCustomComboBox::AdjustHeight() { SetBounds(GetLeft(), GetTop(), GetWidth(), GetHeight()); }

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
    bool edit = Value == csDropDown || Value == csSimple;
    FStyle = Value;
    if (edit && !FEdit) {
        FEdit = new TComboEdit(this);
        FEdit->SetParent(this);
        FEdit->SetMaxLength(FMaxLength);
        FEdit->SetCharCase(FCharCase);
        FEdit->SetParentColor(true);
        FEdit->SetText(FItemIndex >= 0 ? FItems->Get(FItemIndex) : FText);
        ArrangeEdit();
    } else if (!edit && FEdit) {
        TComboEdit* e = FEdit;
        FEdit = nullptr;
        e->Free();
    }
    AdjustHeight();
    Invalidate();
}

TRect TCustomComboBox::ButtonRect() {
    TRect cr = GetClientRect();
    Integer w = GetSystemMetrics(SM_CXVSCROLL);
    return {cr.Right - w, cr.Top, cr.Right, cr.Bottom};
}

TRect TCustomComboBox::EditRect() {
    TRect cr = GetClientRect();
    return {cr.Left + 1, cr.Top + 1, ButtonRect().Left - 1, cr.Bottom - 1};
}

void TCustomComboBox::ArrangeEdit() {
    if (!FEdit) return;
    TRect r = EditRect();
    Integer h = lumora_paint::MeasureCanvas(GetFont())->TextHeight("Wg") + 2;
    Integer top = r.Top + std::max(0, (r.Height() - h) / 2);
    FEdit->SetBounds(r.Left, top, std::max(0, r.Width()), std::min(h, r.Height()));
}

void TCustomComboBox::CreateWnd() {
    TCustomControl::CreateWnd();
    ArrangeEdit();
}

void TCustomComboBox::Loaded() {
    TCustomControl::Loaded();
    AdjustHeight();
    ArrangeEdit();
}

void TCustomComboBox::WMSize(TMessage& Message) {
    TCustomControl::WMSize(Message);
    ArrangeEdit();
    Invalidate();
}

void TCustomComboBox::SetEditText(const std::string& Text) {
    if (!FEdit) return;
    ++FEdit->CodeSet;
    try {
        FEdit->SetText(Text);
        FEdit->SelectAll();
    } catch (...) {
        --FEdit->CodeSet;
        throw;
    }
    --FEdit->CodeSet;
}

void TCustomComboBox::EditChanged() {
    std::string text = FEdit->GetText();
    FText = text;
    FItemIndex = -1;
    for (Integer i = 0; i < FItems->GetCount(); ++i)
        if (FItems->Get(i) == text) {
            FItemIndex = i;
            break;
        }
    Change();
}

void TCustomComboBox::SetItemIndex(Integer Value) {
    if (Value < -1 || Value >= FItems->GetCount()) Value = -1;
    if (Value == FItemIndex) return;
    FItemIndex = Value;
    std::string text = Value >= 0 ? FItems->Get(Value) : std::string();
    FText = text;
    SetEditText(text);
    if (FPopup) FPopup->SetHot(Value);
    Invalidate();
}

void TCustomComboBox::UserSelect(Integer Index) {
    if (Index < 0 || Index >= FItems->GetCount() || Index == FItemIndex) return;
    FItemIndex = Index;
    FText = FItems->Get(Index);
    SetEditText(FText);
    if (FPopup) FPopup->SetHot(Index);
    Invalidate();
    Click();
    if (IsLiveControl(this)) Select();
}

void TCustomComboBox::Change() {
    if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
    if (OnSelect)
        OnSelect(this);
    else
        Change();
}

void TCustomComboBox::DropDown() {
    if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
    if (OnCloseUp) OnCloseUp(this);
}

HWND TCustomComboBox::GetListHandle() {
    if (!FPopup) {
        FPopup = new TComboPopup(this);
        FPopup->SetOwnerWindow(GetParentForm(this));
    }
    return FPopup;
}

HWND TCustomComboBox::GetEditHandle() const { return FEdit; }

bool TCustomComboBox::GetDroppedDown() const { return FPopup && FPopup->IsPoppedUp(); }

void TCustomComboBox::SetDroppedDown(bool Value) {
    if (Value == GetDroppedDown()) return;
    if (!Value) {
        FPopup->ClosePopup();
        Invalidate();
        CloseUp();
        return;
    }
    DropDown();
    if (!IsLiveControl(this)) return;
    GetListHandle();
    FPopup->SetOwnerWindow(GetParentForm(this));
    Integer count = FItems->GetCount();
    Integer visible = std::max(1, std::min(count, FDropDownCount));
    Integer h = 0;
    for (Integer i = 0; i < visible; ++i) h += HeightOf(i);
    if (count == 0) h = GetItemHeight();
    FPopup->SetBounds(0, 0, GetWidth(), h + 16);
    TRect frame = FPopup->GetNonClientMargins();
    FPopup->SetBounds(0, 0, GetWidth(), h + frame.Top + frame.Bottom);
    TPoint p = ClientToScreen({-GetNonClientMargins().Left, GetClientHeight() + GetNonClientMargins().Bottom});
    TRect work = Screen->GetWorkAreaRect();
    if (p.Y + FPopup->GetHeight() > work.Bottom) p.Y -= GetHeight() + FPopup->GetHeight();
    FPopup->Top = 0;
    FPopup->Hot = -1;
    FPopup->Popup(p);
    FPopup->UpdateBar();
    FPopup->SetHot(FItemIndex);
    Invalidate();
}

bool TCustomComboBox::Focused() { return TWinControl::Focused() || (FEdit && FEdit->Focused()); }

void TCustomComboBox::SetFocus() {
    if (FEdit && FEdit->CanFocus()) {
        FEdit->SetFocus();
        return;
    }
    TCustomControl::SetFocus();
}

void TCustomComboBox::WMSetFocus(TMessage& Message) {
    TCustomControl::WMSetFocus(Message);
    if (FEdit && FEdit->CanFocus()) {
        FEdit->SetFocus();
        return;
    }
    Invalidate();
}

void TCustomComboBox::WMKillFocus(TMessage& Message) {
    TCustomControl::WMKillFocus(Message);
    HWND to = reinterpret_cast<HWND>(Message.WParam);
    if (to != FEdit && GetDroppedDown()) SetDroppedDown(false);
    Invalidate();
}

void TCustomComboBox::CMCancelMode(TMessage& Message) {
    auto* sender = reinterpret_cast<TControl*>(Message.LParam);
    if (sender != this && sender != FEdit && sender != FPopup && GetDroppedDown()) SetDroppedDown(false);
}

void TCustomComboBox::CMWantSpecialKey(TMessage& Message) {
    Word k = Word(Message.WParam);
    Message.Result = (GetDroppedDown() && (k == VK_RETURN || k == VK_ESCAPE)) ? 1 : 0;
}

void TCustomComboBox::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (GetDroppedDown() ? DLGC_WANTALLKEYS : 0);
}

void TCustomComboBox::WMSetText(TMessage& Message) {
    auto* s = reinterpret_cast<std::string*>(Message.LParam);
    Message.Result = 1;
    if (!s) return;
    if (HasEdit()) {
        FText = *s;
        SetEditText(*s);
        FItemIndex = -1;
        for (Integer i = 0; i < FItems->GetCount(); ++i)
            if (FItems->Get(i) == *s) FItemIndex = i;
        return;
    }
    Integer i = FItems->IndexOf(*s);
    if (i >= 0) SetItemIndex(i);
}

void TCustomComboBox::WMGetText(TMessage& Message) {
    std::string text =
        HasEdit() && FEdit ? FEdit->GetText() : (FItemIndex >= 0 ? FItems->Get(FItemIndex) : std::string());
    if (auto* s = reinterpret_cast<std::string*>(Message.LParam)) *s = text;
    Message.Result = LRESULT(text.size());
}

void TCustomComboBox::SetMaxLength(Integer Value) {
    FMaxLength = std::max(0, Value);
    if (FEdit) FEdit->SetMaxLength(FMaxLength);
}

void TCustomComboBox::SetCharCase(TEditCharCase Value) {
    FCharCase = Value;
    if (FEdit) FEdit->SetCharCase(Value);
}

Integer TCustomComboBox::GetSelStart() { return FEdit ? FEdit->GetSelStart() : 0; }
void TCustomComboBox::SetSelStart(Integer Value) {
    if (FEdit) FEdit->SetSelStart(Value);
}
Integer TCustomComboBox::GetSelLength() { return FEdit ? FEdit->GetSelLength() : 0; }
void TCustomComboBox::SetSelLength(Integer Value) {
    if (FEdit) FEdit->SetSelLength(Value);
}
std::string TCustomComboBox::GetSelText() { return FEdit ? FEdit->GetSelText() : std::string(); }
void TCustomComboBox::SetSelText(const std::string& Value) {
    if (FEdit) FEdit->SetSelText(Value);
}
void TCustomComboBox::SelectAll() {
    if (FEdit) FEdit->SelectAll();
}

void TCustomComboBox::Clear() {
    FItems->Clear();
    SetText("");
}

TCanvas* TCustomComboBox::GetCanvas() { return FDrawCanvas ? FDrawCanvas : TCustomControl::GetCanvas(); }

void TCustomComboBox::MeasureItem(Integer Index, Integer& Height) {
    if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomComboBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
    if (OnDrawItem && OwnerDrawn()) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    TCanvas* c = GetCanvas();
    c->FillRect(Rect);
    if (Index < 0 || Index >= FItems->GetCount()) return;
    Rect.Left += 2;
    c->GetBrush()->SetStyle(bsClear);
    DrawText(c->GetHandle(), FItems->Get(Index), &Rect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TCustomComboBox::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }

void TCustomComboBox::Paint() {
    TCanvas* c = TCustomControl::GetCanvas();
    TRect cr = GetClientRect();
    c->GetBrush()->SetColor(GetEnabled() ? GetColor() : TColor(clBtnFace));
    c->GetBrush()->SetStyle(bsSolid);
    c->FillRect(cr);
    TRect button = ButtonRect();
    DrawFrameControl(
        c->GetHandle(), &button, DFC_SCROLL,
        DFCS_SCROLLCOMBOBOX | (FButtonDown ? DFCS_PUSHED | DFCS_FLAT : 0) | (GetEnabled() ? 0 : DFCS_INACTIVE));
    if (HasEdit()) return;
    TRect r = EditRect();
    bool focused = Focused() && !GetDroppedDown();
    TOwnerDrawState state{odComboBoxEdit};
    if (focused) state += TOwnerDrawState{odSelected, odFocused};
    if (!GetEnabled()) state.Include(odDisabled);
    c->SetFont(GetFont());
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(focused ? TColor(clHighlight) : GetColor());
    if (focused) c->GetFont()->SetColor(clHighlightText);
    if (!GetEnabled()) {
        c->GetBrush()->SetColor(clBtnFace);
        c->GetFont()->SetColor(clGrayText);
    }
    {
        lumora_paint::TClipScope clip(c, r);
        DrawItem(FItemIndex, r, state);
    }
    if (focused) {
        c->GetBrush()->SetColor(clHighlight);
        c->GetFont()->SetColor(clHighlightText);
        c->DrawFocusRect(r);
    }
}

void TCustomComboBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (Button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        if (!IsLiveControl(this)) return;
        TRect b = ButtonRect();
        bool onButton = PtInRect(&b, {X, Y});
        if (onButton || !HasEdit()) SetDroppedDown(!GetDroppedDown());
        if (!IsLiveControl(this)) return;
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

bool TCustomComboBox::NavigationKey(Word Key, TShiftState Shift) {
    Integer count = FItems->GetCount();
    bool dropped = GetDroppedDown();
    if ((Key == VK_DOWN || Key == VK_UP) && Shift.Contains(ssAlt)) {
        SetDroppedDown(!dropped);
        return true;
    }
    if (Key == VK_F4 && !Shift.Contains(ssAlt)) {
        SetDroppedDown(!dropped);
        return true;
    }
    if (dropped && (Key == VK_RETURN || Key == VK_ESCAPE)) {
        SetDroppedDown(false);
        return true;
    }
    if (count == 0) return false;
    Integer current = FItemIndex;
    Integer page = std::max(1, FDropDownCount - 1);
    Integer target;
    switch (Key) {
    case VK_UP: target = current < 0 ? 0 : current - 1; break;
    case VK_DOWN: target = current < 0 ? 0 : current + 1; break;
    case VK_LEFT:
        if (HasEdit()) return false;
        target = current < 0 ? 0 : current - 1;
        break;
    case VK_RIGHT:
        if (HasEdit()) return false;
        target = current < 0 ? 0 : current + 1;
        break;
    case VK_PRIOR: target = current - page; break;
    case VK_NEXT: target = current + page; break;
    case VK_HOME:
        if (HasEdit() && !dropped) return false;
        target = 0;
        break;
    case VK_END:
        if (HasEdit() && !dropped) return false;
        target = count - 1;
        break;
    default: return false;
    }
    UserSelect(std::clamp(target, 0, count - 1));
    return true;
}

void TCustomComboBox::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key != 0 && NavigationKey(Key, Shift)) Key = 0;
}

void TCustomComboBox::KeyPress(Char& Key) {
    TCustomControl::KeyPress(Key);
    if (Key < 32 || HasEdit() || FItems->GetCount() == 0) return;
    Integer i = FTypeAhead.Find(Key, 500, FAutoComplete, FItems->GetCount(), FItemIndex,
                                [&](Integer n) { return FItems->Get(n); });
    if (i >= 0) UserSelect(i);
}

bool TCustomComboBox::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    if (GetDroppedDown()) {
        FPopup->ScrollTo(FPopup->Top - WheelDelta / WHEEL_DELTA * Mouse->GetWheelScrollLines());
        return true;
    }
    if (!Focused() || FItems->GetCount() == 0) return false;
    Integer target = FItemIndex + (WheelDelta < 0 ? 1 : -1);
    UserSelect(std::clamp(target, 0, FItems->GetCount() - 1));
    return true;
}

void TCustomComboBox::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    if (FEdit) FEdit->SetFont(GetFont());
    AdjustHeight();
    ArrangeEdit();
}

void TCustomComboBox::CMEnabledChanged(TMessage& Message) {
    TCustomControl::CMEnabledChanged(Message);
    if (FEdit) FEdit->SetEnabled(GetEnabled());
    if (!GetEnabled() && GetDroppedDown()) SetDroppedDown(false);
}

void TCustomComboBox::CMColorChanged(TMessage& Message) { TCustomControl::CMColorChanged(Message); }
