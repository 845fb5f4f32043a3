#include "framework/list_controls.h"

#include <algorithm>

#include "framework/control_paint.h"
#include "framework/window_backend.h"

using lumora_detail::IsLiveControl;

// ---- TListControlItems -----------------------------------------------------------------------

void TListControlItems::CheckIndex(int Index) const {
    if (Index < 0 || Index >= int(FItems.size())) Error("List index out of bounds (%d)", Index);
}

TListControlItems::TItem& TListControlItems::Item(int Index) {
    CheckIndex(Index);
    return FItems[size_t(Index)];
}

const TListControlItems::TItem& TListControlItems::Item(int Index) const {
    CheckIndex(Index);
    return FItems[size_t(Index)];
}

std::string TListControlItems::Get(int Index) const { return Item(Index).Text; }

TObject* TListControlItems::GetObject(int Index) const { return Item(Index).Object; }

void TListControlItems::Put(int Index, const std::string& S) {
    Item(Index).Text = S;
    if (FUpdating) {
        FChangedWhileUpdating = true;
        return;
    }
    if (OnChanged) OnChanged();
}

void TListControlItems::PutObject(int Index, TObject* AObject) { Item(Index).Object = AObject; }

void TListControlItems::Insert(int Index, const std::string& S) { InsertObject(Index, S, nullptr); }

void TListControlItems::InsertObject(int Index, const std::string& S, TObject* AObject) {
    if (Index < 0 || Index > int(FItems.size())) Error("List index out of bounds (%d)", Index);
    TItem item;
    item.Text = S;
    item.Object = AObject;
    FItems.insert(FItems.begin() + Index, item);
    if (OnInserted) OnInserted(Index);
}

int TListControlItems::SortedIndexOf(const std::string& S) const {
    auto it = std::upper_bound(FItems.begin(), FItems.end(), S,
                               [](const std::string& s, const TItem& i) { return AnsiCompareText(s, i.Text) < 0; });
    return int(it - FItems.begin());
}

int TListControlItems::Add(const std::string& S) { return AddObject(S, nullptr); }

int TListControlItems::AddObject(const std::string& S, TObject* AObject) {
    int index = FSorted ? SortedIndexOf(S) : int(FItems.size());
    InsertObject(index, S, AObject);
    return index;
}

void TListControlItems::Delete(int Index) {
    CheckIndex(Index);
    FItems.erase(FItems.begin() + Index);
    if (OnDeleted) OnDeleted(Index);
}

void TListControlItems::Clear() {
    if (FItems.empty()) return;
    FItems.clear();
    if (OnCleared) OnCleared();
}

void TListControlItems::Exchange(int Index1, int Index2) {
    CheckIndex(Index1);
    CheckIndex(Index2);
    std::swap(FItems[size_t(Index1)], FItems[size_t(Index2)]);
    if (FUpdating) {
        FChangedWhileUpdating = true;
        return;
    }
    if (OnChanged) OnChanged();
}

void TListControlItems::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    TItem item = FItems[size_t(CurIndex)];
    FItems.erase(FItems.begin() + CurIndex);
    FItems.insert(FItems.begin() + NewIndex, item);
    if (FUpdating) {
        FChangedWhileUpdating = true;
        return;
    }
    if (OnChanged) OnChanged();
}

int TListControlItems::IndexOf(const std::string& S) const {
    for (size_t i = 0; i < FItems.size(); ++i)
        if (AnsiCompareText(FItems[i].Text, S) == 0) return int(i);
    return -1;
}

void TListControlItems::SetSorted(bool Value) {
    if (FSorted == Value) return;
    FSorted = Value;
    if (!Value) return;
    std::stable_sort(FItems.begin(), FItems.end(),
                     [](const TItem& a, const TItem& b) { return AnsiCompareText(a.Text, b.Text) < 0; });
    if (OnChanged) OnChanged();
}

void TListControlItems::SetUpdateState(bool Updating) {
    FUpdating = Updating;
    if (!Updating && FChangedWhileUpdating) {
        FChangedWhileUpdating = false;
        if (OnChanged) OnChanged();
    }
}

// ---- TCustomListBox --------------------------------------------------------------------------

TCustomListBox::TCustomListBox(TComponent* AOwner) : TCustomControl(AOwner), FItems(new TListControlItems) {
    SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks, csCaptureMouse, csOpaque});
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetColor(clWindow);
    FItems->OnInserted = [this](int i) { ItemInserted(i); };
    FItems->OnDeleted = [this](int i) { ItemDeleted(i); };
    FItems->OnCleared = [this] { ItemsCleared(); };
    FItems->OnChanged = [this] {
        if (FStyle == lbOwnerDrawVariable)
            for (int i = 0; i < FItems->GetCount(); ++i) {
                Integer h = FItemHeight;
                MeasureItem(i, h);
                FItems->Item(i).Height = h;
            }
        if (!FMultiSelect) {
            FCaret = -1;
            for (int i = 0; i < FItems->GetCount(); ++i)
                if (FItems->Item(i).Selected) FCaret = i;
        }
        UpdateScrollBar();
        Invalidate();
    };
}

TCustomListBox::~TCustomListBox() { delete FItems; }

void TCustomListBox::SetItems(TStrings* Value) { FItems->Assign(Value); }

void TCustomListBox::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    lumora_paint::AddBorderStyle(Params, FBorderStyle, GetCtl3D());
}

void TCustomListBox::CreateWnd() {
    TCustomControl::CreateWnd();
    UpdateScrollBar();
}

void TCustomListBox::ItemInserted(int Index) {
    TListControlItems::TItem& it = FItems->Item(Index);
    it.Height = FItemHeight;
    if (FStyle == lbOwnerDrawVariable) {
        Integer h = FItemHeight;
        MeasureItem(Index, h);
        it.Height = h;
    }
    if (FCaret >= Index) ++FCaret;
    if (FAnchor >= Index) ++FAnchor;
    UpdateScrollBar();
    Invalidate();
}

void TCustomListBox::ItemDeleted(int Index) {
    if (FCaret == Index) FCaret = FMultiSelect ? std::min(Index, GetCount() - 1) : -1;
    else if (FCaret > Index) --FCaret;
    if (FAnchor >= Index) FAnchor = std::max(-1, FAnchor - 1);
    if (FTopIndex >= GetCount()) FTopIndex = std::max(0, GetCount() - 1);
    UpdateScrollBar();
    Invalidate();
}

void TCustomListBox::ItemsCleared() {
    FCaret = -1;
    FAnchor = -1;
    FTopIndex = 0;
    UpdateScrollBar();
    Invalidate();
}

Integer TCustomListBox::GetItemHeight() const {
    if (FStyle == lbStandard) return std::max(1, lumora_paint::MeasureCanvas(GetFont())->TextHeight("Wg"));
    return FItemHeight;
}

void TCustomListBox::SetItemHeight(Integer Value) {
    if (Value <= 0 || FItemHeight == Value) return;
    FItemHeight = Value;
    UpdateScrollBar();
    Invalidate();
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    FItems->OnChanged();
}

void TCustomListBox::SetMultiSelect(bool Value) {
    if (FMultiSelect == Value) return;
    FMultiSelect = Value;
    Invalidate();
}

bool TCustomListBox::GetSorted() const { return FItems->GetSorted(); }
void TCustomListBox::SetSorted(bool Value) { FItems->SetSorted(Value); }

void TCustomListBox::SetIntegralHeight(bool Value) {
    if (FIntegralHeight == Value) return;
    FIntegralHeight = Value;
    SetBounds(GetLeft(), GetTop(), GetWidth(), GetHeight());
}

void TCustomListBox::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
    if (FIntegralHeight && FStyle != lbOwnerDrawVariable && !IsLoading()) {
        Integer frame = GetHeight() - GetClientHeight();
        Integer item = GetItemHeight();
        Integer client = std::max(0, AHeight - frame);
        AHeight = client / item * item + frame;
    }
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    RecreateWnd();
    FrameChanged();
}

void TCustomListBox::SetScrollWidth(Integer Value) {
    if (FScrollWidth == Value) return;
    FScrollWidth = std::max(0, Value);
    UpdateScrollBar();
    Invalidate();
}

Integer TCustomListBox::HeightOf(Integer Index) const {
    if (FStyle == lbOwnerDrawVariable && Index >= 0 && Index < GetCount()) return FItems->Item(Index).Height;
    return GetItemHeight();
}

Integer TCustomListBox::TopOf(Integer Index) const {
    if (FStyle != lbOwnerDrawVariable) return Index * GetItemHeight();
    Integer y = 0;
    for (Integer i = 0; i < Index && i < GetCount(); ++i) y += FItems->Item(i).Height;
    return y;
}

Integer TCustomListBox::VisibleItems() const {
    Integer h = const_cast<TCustomListBox*>(this)->GetClientHeight();
    if (FStyle != lbOwnerDrawVariable) return std::max(1, h / GetItemHeight());
    Integer n = 0, y = 0;
    for (Integer i = FTopIndex; i < GetCount() && y + HeightOf(i) <= h; ++i, ++n) y += HeightOf(i);
    return std::max(1, n);
}

TRect TCustomListBox::ItemRect(Integer Index) {
    Integer top = TopOf(Index) - TopOf(FTopIndex);
    return {0, top, GetClientWidth(), top + HeightOf(Index)};
}

Integer TCustomListBox::ItemAtPos(TPoint Pos, bool Existing) {
    TRect cr = GetClientRect();
    if (PtInRect(&cr, Pos)) {
        for (Integer i = FTopIndex; i < GetCount(); ++i) {
            TRect r = ItemRect(i);
            if (r.Top > cr.Bottom) break;
            if (PtInRect(&r, Pos)) return i;
        }
        if (!Existing) return GetCount();
    }
    return -1;
}

Integer TCustomListBox::GetItemIndex() const {
    if (FMultiSelect) return FCaret;
    for (Integer i = 0; i < GetCount(); ++i)
        if (FItems->Item(i).Selected) return i;
    return -1;
}

void TCustomListBox::SetItemIndex(Integer Value) {
    if (Value < -1 || Value >= GetCount()) Value = -1;
    if (FMultiSelect) {
        FCaret = Value;
        if (Value >= 0) MakeVisible(Value);
        Invalidate();
        return;
    }
    for (Integer i = 0; i < GetCount(); ++i) FItems->Item(i).Selected = i == Value;
    FCaret = Value;
    FAnchor = Value;
    if (Value >= 0) MakeVisible(Value);
    Invalidate();
}

bool TCustomListBox::GetSelected(Integer Index) const {
    if (Index < 0 || Index >= GetCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FItems->Item(Index).Selected;
}

void TCustomListBox::SetSelected(Integer Index, bool Value) {
    if (Index < 0 || Index >= GetCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    if (!FMultiSelect) {
        if (Value)
            SetItemIndex(Index);
        else if (FItems->Item(Index).Selected)
            SetItemIndex(-1);
        return;
    }
    FItems->Item(Index).Selected = Value;
    InvalidateItem(Index);
}

Integer TCustomListBox::GetSelCount() const {
    if (!FMultiSelect) return -1;
    Integer n = 0;
    for (Integer i = 0; i < GetCount(); ++i)
        if (FItems->Item(i).Selected) ++n;
    return n;
}

void TCustomListBox::SetTopIndex(Integer Value) {
    Integer maxTop = std::max(0, GetCount() - 1);
    Value = std::clamp(Value, 0, maxTop);
    if (Value == FTopIndex) return;
    FTopIndex = Value;
    UpdateScrollBar();
    Invalidate();
}

void TCustomListBox::Clear() { FItems->Clear(); }

void TCustomListBox::ClearSelection() {
    for (Integer i = 0; i < GetCount(); ++i) FItems->Item(i).Selected = false;
    Invalidate();
}

void TCustomListBox::SelectAll() {
    if (!FMultiSelect) return;
    for (Integer i = 0; i < GetCount(); ++i) FItems->Item(i).Selected = true;
    Invalidate();
}

void TCustomListBox::DeleteSelected() {
    FItems->BeginUpdate();
    for (Integer i = GetCount() - 1; i >= 0; --i)
        if (FItems->Item(i).Selected) FItems->Delete(i);
    FItems->EndUpdate();
}

void TCustomListBox::InvalidateItem(Integer Index) {
    if (Index < 0 || Index >= GetCount()) return;
    TRect r = ItemRect(Index);
    InvalidateRect(&r, false);
}

void TCustomListBox::MakeVisible(Integer Index) {
    if (Index < 0 || Index >= GetCount()) return;
    if (Index < FTopIndex) {
        SetTopIndex(Index);
        return;
    }
    Integer ch = GetClientHeight();
    Integer top = FTopIndex;
    while (top < Index && TopOf(Index) + HeightOf(Index) - TopOf(top) > ch) ++top;
    SetTopIndex(top);
}

void TCustomListBox::UpdateScrollBar() {
    if (!HandleAllocated() || IsDestroying()) return;
    TScrollInfo si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = std::max(0, GetCount() - 1);
    si.nPage = UINT(VisibleItems());
    si.nPos = FTopIndex;
    FTopIndex = SetScrollInfo(this, SB_VERT, si, true);
    TScrollInfo hi;
    hi.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    hi.nMax = FScrollWidth > 0 ? FScrollWidth - 1 : 0;
    hi.nPage = UINT(GetClientWidth());
    hi.nPos = FLeftPos;
    FLeftPos = SetScrollInfo(this, SB_HORZ, hi, true);
}

void TCustomListBox::Loaded() {
    TCustomControl::Loaded();
    UpdateScrollBar();
}

void TCustomListBox::WMSize(TMessage& Message) {
    TCustomControl::WMSize(Message);
    UpdateScrollBar();
    Invalidate();
}

void TCustomListBox::WMVScroll(TMessage& Message) {
    Integer top = FTopIndex;
    switch (ScrollCode(Message)) {
    case SB_LINEUP: --top; break;
    case SB_LINEDOWN: ++top; break;
    case SB_PAGEUP: top -= std::max(1, VisibleItems() - 1); break;
    case SB_PAGEDOWN: top += std::max(1, VisibleItems() - 1); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: top = ScrollPos(Message); break;
    case SB_TOP: top = 0; break;
    case SB_BOTTOM: top = GetCount(); break;
    default: return;
    }
    SetTopIndex(std::min(top, std::max(0, GetCount() - VisibleItems())));
}

void TCustomListBox::WMHScroll(TMessage& Message) {
    Integer pos = FLeftPos;
    switch (ScrollCode(Message)) {
    case SB_LINELEFT: pos -= 8; break;
    case SB_LINERIGHT: pos += 8; break;
    case SB_PAGELEFT: pos -= GetClientWidth(); break;
    case SB_PAGERIGHT: pos += GetClientWidth(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = ScrollPos(Message); break;
    default: return;
    }
    pos = std::clamp(pos, 0, std::max(0, FScrollWidth - GetClientWidth()));
    if (pos == FLeftPos) return;
    FLeftPos = pos;
    UpdateScrollBar();
    Invalidate();
}

void TCustomListBox::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }

void TCustomListBox::DefaultDrawItem(Integer Index, TRect Rect) {
    TCanvas* c = GetCanvas();
    c->FillRect(Rect);
    if (Index < 0 || Index >= GetCount()) return;
    Rect.Left += 2 - FLeftPos;
    c->GetBrush()->SetStyle(bsClear);
    DrawText(c->GetHandle(), FItems->Get(Index), &Rect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TCustomListBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
    if (OnDrawItem && FStyle != lbStandard)
        OnDrawItem(this, Index, Rect, State);
    else
        DefaultDrawItem(Index, Rect);
}

void TCustomListBox::MeasureItem(Integer Index, Integer& Height) {
    if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomListBox::Paint() {
    TCanvas* c = GetCanvas();
    TRect cr = GetClientRect();
    c->GetBrush()->SetColor(GetColor());
    c->GetBrush()->SetStyle(bsSolid);
    c->FillRect(cr);
    bool focused = Focused();
    for (Integer i = FTopIndex; i < GetCount(); ++i) {
        TRect r = ItemRect(i);
        if (r.Top >= cr.Bottom) break;
        TOwnerDrawState state;
        bool selected = FItems->Item(i).Selected;
        if (selected) state.Include(odSelected);
        if (focused && i == FCaret) state.Include(odFocused);
        if (!GetEnabled()) state.Include(odDisabled);
        c->SetFont(GetFont());
        c->GetBrush()->SetStyle(bsSolid);
        c->GetBrush()->SetColor(GetColor());
        if (selected) {
            c->GetBrush()->SetColor(clHighlight);
            c->GetFont()->SetColor(clHighlightText);
        } else if (!GetEnabled()) {
            c->GetFont()->SetColor(clGrayText);
        }
        {
            lumora_paint::TClipScope clip(c, r);
            DrawItem(i, r, state);
        }
        if (state.Contains(odFocused)) {
            c->GetBrush()->SetStyle(bsSolid);
            c->GetBrush()->SetColor(selected ? TColor(clHighlight) : GetColor());
            c->GetFont()->SetColor(selected ? TColor(clHighlightText) : GetFont()->GetColor());
            c->DrawFocusRect(r);
        }
    }
    if (focused && GetCount() == 0) {
        c->GetFont()->SetColor(GetFont()->GetColor());
        c->GetBrush()->SetColor(GetColor());
        c->DrawFocusRect({0, 0, cr.Right, GetItemHeight()});
    }
}

void TCustomListBox::SelectionChanged() { Click(); }

bool TCustomListBox::MoveTo(Integer Index, TShiftState Shift, bool ByMouse) {
    if (GetCount() == 0) return false;
    Index = std::clamp(Index, 0, GetCount() - 1);
    std::vector<char> was(static_cast<size_t>(GetCount()));
    for (Integer i = 0; i < GetCount(); ++i) was[size_t(i)] = FItems->Item(i).Selected;
    Integer oldCaret = FCaret;
    if (!FMultiSelect) {
        for (Integer i = 0; i < GetCount(); ++i) FItems->Item(i).Selected = i == Index;
        FAnchor = Index;
    } else if (!FExtendedSelect) {
        if (ByMouse) FItems->Item(Index).Selected = !FItems->Item(Index).Selected;
        FAnchor = Index;
    } else if (Shift.Contains(ssShift) && FAnchor >= 0) {
        Integer a = std::min(FAnchor, Index), b = std::max(FAnchor, Index);
        for (Integer i = 0; i < GetCount(); ++i) {
            bool in = i >= a && i <= b;
            if (Shift.Contains(ssCtrl))
                FItems->Item(i).Selected = FItems->Item(i).Selected || in;
            else
                FItems->Item(i).Selected = in;
        }
    } else if (Shift.Contains(ssCtrl)) {
        if (ByMouse) FItems->Item(Index).Selected = !FItems->Item(Index).Selected;
        FAnchor = Index;
    } else {
        for (Integer i = 0; i < GetCount(); ++i) FItems->Item(i).Selected = i == Index;
        FAnchor = Index;
    }
    FCaret = Index;
    MakeVisible(Index);
    bool changed = oldCaret != FCaret;
    for (Integer i = 0; i < GetCount(); ++i)
        if (bool(was[size_t(i)]) != FItems->Item(i).Selected) changed = true;
    if (changed) Invalidate();
    return changed;
}

void TCustomListBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (Button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        if (!IsLiveControl(this)) return;
        Integer i = ItemAtPos({X, Y}, true);
        if (i >= 0 && !ItemClicked(i, {X, Y})) {
            MoveTo(i, Shift, true);
            FTracking = !Shift.Contains(ssDouble);
        }
        if (i >= 0 && Shift.Contains(ssDouble)) {
            TCustomControl::MouseDown(Button, Shift, X, Y);
            DblClick();
            return;
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    if (FTracking && (!FMultiSelect || FExtendedSelect) && GetCount() > 0) {
        Integer ch = GetClientHeight();
        Integer i;
        if (Y < 0) {
            i = std::max(0, FTopIndex - 1);
        } else if (Y >= ch) {
            i = std::min(GetCount() - 1, FTopIndex + VisibleItems());
        } else {
            i = ItemAtPos({std::clamp(X, 0, std::max(0, GetClientWidth() - 1)), Y}, true);
            if (i < 0) i = GetCount() - 1;
        }
        if (i != FCaret) MoveTo(i, FMultiSelect ? TShiftState{ssShift} : TShiftState{}, false);
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomListBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    bool wasTracking = FTracking;
    FTracking = false;
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft && wasTracking && GetCount() > 0 && IsLiveControl(this)) SelectionChanged();
}

void TCustomListBox::WMTimer(TMessage& Message) { TCustomControl::WMTimer(Message); }

void TCustomListBox::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0 || GetCount() == 0) return;
    Integer caret = FCaret < 0 ? 0 : FCaret;
    Integer target;
    Integer page = std::max(1, VisibleItems() - 1);
    switch (Key) {
    case VK_UP:
    case VK_LEFT: target = FCaret < 0 ? 0 : caret - 1; break;
    case VK_DOWN:
    case VK_RIGHT: target = FCaret < 0 ? 0 : caret + 1; break;
    case VK_PRIOR: target = caret - page; break;
    case VK_NEXT: target = caret + page; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = GetCount() - 1; break;
    case VK_SPACE:
        if (SpacePressed()) return;
        if (FMultiSelect && FCaret >= 0) {
            FItems->Item(FCaret).Selected = !FItems->Item(FCaret).Selected;
            FAnchor = FCaret;
            InvalidateItem(FCaret);
            SelectionChanged();
        }
        return;
    default: return;
    }
    TShiftState s = Shift;
    if (FMultiSelect && !FExtendedSelect) s = TShiftState{ssCtrl};
    MoveTo(target, s, false);
    SelectionChanged();
}

void TCustomListBox::KeyPress(Char& Key) {
    TCustomControl::KeyPress(Key);
    if (Key < 32 || GetCount() == 0) return;
    Integer i = FTypeAhead.Find(Key, 500, FAutoComplete, GetCount(), FCaret, [&](Integer n) { return FItems->Get(n); });
    if (i < 0) return;
    MoveTo(i, {}, false);
    SelectionChanged();
}

bool TCustomListBox::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    Integer lines = Mouse->GetWheelScrollLines() * WheelDelta / WHEEL_DELTA;
    SetTopIndex(std::min(FTopIndex - lines, std::max(0, GetCount() - VisibleItems())));
    return true;
}

void TCustomListBox::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; }

void TCustomListBox::WMSetFocus(TMessage& Message) {
    TCustomControl::WMSetFocus(Message);
    Invalidate();
}

void TCustomListBox::WMKillFocus(TMessage& Message) {
    FTracking = false;
    TCustomControl::WMKillFocus(Message);
    Invalidate();
}

void TCustomListBox::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    UpdateScrollBar();
}

// ---- TCheckListBox ---------------------------------------------------------------------------

namespace {
constexpr Integer kCheckWidth = 13;
constexpr Integer kCheckSpace = kCheckWidth + 4;
}  // namespace

TCheckListBox::TCheckListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}

bool TCheckListBox::GetChecked(Integer Index) const { return FItems->Item(Index).State == cbChecked; }

void TCheckListBox::SetChecked(Integer Index, bool Value) { SetState(Index, Value ? cbChecked : cbUnchecked); }

TCheckBoxState TCheckListBox::GetState(Integer Index) const { return FItems->Item(Index).State; }

void TCheckListBox::SetState(Integer Index, TCheckBoxState Value) {
    if (FItems->Item(Index).State == Value) return;
    FItems->Item(Index).State = Value;
    InvalidateItem(Index);
}

bool TCheckListBox::GetItemEnabled(Integer Index) const { return FItems->Item(Index).Enabled; }

void TCheckListBox::SetItemEnabled(Integer Index, bool Value) {
    if (FItems->Item(Index).Enabled == Value) return;
    FItems->Item(Index).Enabled = Value;
    InvalidateItem(Index);
}

void TCheckListBox::SetFlat(bool Value) {
    if (FFlat == Value) return;
    FFlat = Value;
    Invalidate();
}

TRect TCheckListBox::ItemContentRect(Integer Index, TRect Rect) {
    Rect.Left += kCheckSpace;
    return Rect;
}

void TCheckListBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
    TCanvas* c = GetCanvas();
    TRect box{Rect.Left, Rect.Top, Rect.Left + kCheckSpace, Rect.Bottom};
    TColor brush = c->GetBrush()->GetColor(), font = c->GetFont()->GetColor();
    c->GetBrush()->SetColor(GetColor());
    c->FillRect(box);
    Integer top = Rect.Top + (Rect.Height() - kCheckWidth) / 2;
    TRect check{Rect.Left + 2, top, Rect.Left + 2 + kCheckWidth, top + kCheckWidth};
    UINT flags = DFCS_BUTTONCHECK | (FFlat ? DFCS_FLAT : 0);
    const TListControlItems::TItem& item = FItems->Item(Index);
    if (item.State == cbChecked) flags |= DFCS_CHECKED;
    if (item.State == cbGrayed) flags |= DFCS_BUTTON3STATE | DFCS_CHECKED;
    if (!item.Enabled || !GetEnabled()) flags |= DFCS_INACTIVE;
    DrawFrameControl(c->GetHandle(), &check, DFC_BUTTON, flags);
    c->GetBrush()->SetColor(brush);
    c->GetFont()->SetColor(item.Enabled ? font : TColor(clGrayText));
    TRect content = ItemContentRect(Index, Rect);
    if (OnDrawItem)
        OnDrawItem(this, Index, content, State);
    else
        DefaultDrawItem(Index, content);
}

void TCheckListBox::Toggle(Integer Index) {
    if (Index < 0 || Index >= GetCount() || !FItems->Item(Index).Enabled) return;
    TCheckBoxState s = FItems->Item(Index).State;
    switch (s) {
    case cbUnchecked: s = FAllowGrayed ? cbGrayed : cbChecked; break;
    case cbChecked: s = cbUnchecked; break;
    case cbGrayed: s = cbChecked; break;
    }
    SetState(Index, s);
    ClickCheck();
}

void TCheckListBox::ClickCheck() {
    if (OnClickCheck) OnClickCheck(this);
}

bool TCheckListBox::ItemClicked(Integer Index, TPoint Pos) {
    if (Pos.X - ItemRect(Index).Left < kCheckSpace) Toggle(Index);
    return false;
}

bool TCheckListBox::SpacePressed() {
    Toggle(GetItemIndex() >= 0 ? GetItemIndex() : FCaret);
    return true;
}
