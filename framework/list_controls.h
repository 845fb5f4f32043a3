#pragma once
// List boxes, check list boxes and combo boxes, drawn by the framework.
//
// Event rules: a list box's OnClick fires when the user changes (or clicks) the selection, not
// when ItemIndex is set in code; a combo box fires OnChange when the user edits its text, and on
// a selection by the user OnClick then OnSelect (OnChange when there is no OnSelect); setting
// ItemIndex in code fires nothing. OnDropDown comes before the list shows, OnCloseUp after it
// closes. Owner-drawn styles call OnDrawItem (and, variable, OnMeasureItem) with the control's
// Canvas prepared in the item's colours.

#include <functional>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/edit_controls.h"
#include "framework/forms.h"
#include "framework/std_controls.h"
#include "framework/string_list.h"
#include "framework/type_ahead.h"

using TDrawItemEvent = std::function<void(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, Integer Index, Integer& Height)>;

// The items of a list or combo box: texts with objects and per-item state.
class TListControlItems : public TStrings {
    LUMORA_CLASS(TListControlItems, TStrings)
public:
    struct TItem {
        std::string Text;
        TObject* Object = nullptr;
        bool Selected = false;
        Integer Height = 0;
        TCheckBoxState State = cbUnchecked;
        bool Enabled = true;
        bool Header = false;
    };
    TListControlItems() = default;
    std::string Get(int Index) const override;
    int GetCount() const override { return int(FItems.size()); }
    TObject* GetObject(int Index) const override;
    void Put(int Index, const std::string& S) override;
    void PutObject(int Index, TObject* AObject) override;
    void Insert(int Index, const std::string& S) override;
    void InsertObject(int Index, const std::string& S, TObject* AObject) override;
    int Add(const std::string& S) override;
    int AddObject(const std::string& S, TObject* AObject) override;
    void Delete(int Index) override;
    void Clear() override;
    void Exchange(int Index1, int Index2) override;
    void Move(int CurIndex, int NewIndex) override;
    int IndexOf(const std::string& S) const override;

    bool GetSorted() const { return FSorted; }
    void SetSorted(bool Value);
    TItem& Item(int Index);
    const TItem& Item(int Index) const;

    // What the owning control hears: an item inserted at Index, deleted at Index, all cleared,
    // moved from one index to another, or the items changed (texts, order) without their number.
    std::function<void(int Index)> OnInserted;
    std::function<void(int Index)> OnDeleted;
    std::function<void()> OnCleared;
    std::function<void()> OnChanged;

protected:
    void SetUpdateState(bool Updating) override;

private:
    void CheckIndex(int Index) const;
    int SortedIndexOf(const std::string& S) const;
    std::vector<TItem> FItems;
    bool FSorted = false;
    bool FUpdating = false;
    bool FChangedWhileUpdating = false;
};

// ---------------------------------------------------------------------------------------------
// List boxes

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw };

class TCustomListBox : public TCustomControl {
    LUMORA_CLASS(TCustomListBox, TCustomControl)
public:
    explicit TCustomListBox(TComponent* AOwner);
    ~TCustomListBox() override;

    TStrings* GetItems() const { return FItems; }
    void SetItems(TStrings* Value);
    // The selected item (single selection) or the item with the focus rectangle (multiple);
    // setting it in code fires no OnClick.
    Integer GetItemIndex() const;
    void SetItemIndex(Integer Value);
    bool GetSelected(Integer Index) const;
    void SetSelected(Integer Index, bool Value);
    // The number of selected items; -1 for a single-selection list, as the framework answers.
    Integer GetSelCount() const;
    Integer GetTopIndex() const { return FTopIndex; }
    void SetTopIndex(Integer Value);
    Integer GetCount() const { return FItems->GetCount(); }
    // The item rectangle (client coordinates; it may lie outside the visible area).
    TRect ItemRect(Integer Index);
    // The item at a client point; without one, -1 when Existing, else Count.
    Integer ItemAtPos(TPoint Pos, bool Existing);
    void Clear();
    void ClearSelection();
    void SelectAll();
    void DeleteSelected();

    TListBoxStyle GetStyle() const { return FStyle; }
    void SetStyle(TListBoxStyle Value);
    // Fixed owner drawing: every item's height; standard lists take the font's.
    Integer GetItemHeight() const;
    void SetItemHeight(Integer Value);
    bool GetMultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value);
    bool GetExtendedSelect() const { return FExtendedSelect; }
    void SetExtendedSelect(bool Value) { FExtendedSelect = Value; }
    bool GetSorted() const;
    void SetSorted(bool Value);
    // The height is cut to whole items (fixed heights only).
    bool GetIntegralHeight() const { return FIntegralHeight; }
    void SetIntegralHeight(bool Value);
    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // The width the horizontal scroll bar scrolls over (0: no bar).
    Integer GetScrollWidth() const { return FScrollWidth; }
    void SetScrollWidth(Integer Value);
    bool GetAutoComplete() const { return FAutoComplete; }
    void SetAutoComplete(bool Value) { FAutoComplete = Value; }
    // The canvas owner drawing draws on (prepared with the item's colours).
    TCanvas* GetCanvas() { return TCustomControl::GetCanvas(); }

    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

protected:
    virtual void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State);
    // The drawing of a standard list: the item's text in Rect.
    void DefaultDrawItem(Integer Index, TRect Rect);
    virtual void MeasureItem(Integer Index, Integer& Height);
    // The part of an item's rectangle its text uses (check list boxes keep room for the box).
    virtual TRect ItemContentRect(Integer Index, TRect Rect) { return Rect; }
    // A click on an item, before the selection logic (check boxes take it here); true eats it.
    virtual bool ItemClicked(Integer Index, TPoint Pos) { return false; }
    // Space on the focused item (check list boxes toggle); true eats it.
    virtual bool SpacePressed() { return false; }
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Paint() override;
    void Loaded() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
    void WMGetDlgCode(TMessage& Message) override;
    void WMSize(TMessage& Message) override;
    void WMVScroll(TMessage& Message) override;
    void WMHScroll(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    void WMTimer(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void WMEraseBkgnd(TMessage& Message) override;
    // The item's height and top (in pixels from the first item).
    Integer HeightOf(Integer Index) const;
    Integer TopOf(Integer Index) const;
    Integer VisibleItems() const;
    void InvalidateItem(Integer Index);
    void UpdateScrollBar();
    // Moves the caret (keyboard or mouse) with the selection rules; returns true when the
    // selection changed.
    bool MoveTo(Integer Index, TShiftState Shift, bool ByMouse);
    void MakeVisible(Integer Index);
    void SelectionChanged();

    TListControlItems* FItems;
    Integer FCaret = -1;
    Integer FAnchor = -1;
    Integer FTopIndex = 0;
    Integer FLeftPos = 0;

private:
    void ItemInserted(int Index);
    void ItemDeleted(int Index);
    void ItemsCleared();
    TListBoxStyle FStyle = lbStandard;
    Integer FItemHeight = 16;
    bool FMultiSelect = false;
    bool FExtendedSelect = true;
    bool FIntegralHeight = false;
    TBorderStyle FBorderStyle = bsSingle;
    Integer FScrollWidth = 0;
    bool FAutoComplete = true;
    bool FTracking = false;
    lumora_detail::TTypeAhead FTypeAhead;
};

class TListBox : public TCustomListBox {
    LUMORA_CLASS(TListBox, TCustomListBox)
public:
    explicit TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}
};

class TCheckListBox : public TCustomListBox {
    LUMORA_CLASS(TCheckListBox, TCustomListBox)
public:
    explicit TCheckListBox(TComponent* AOwner);
    bool GetChecked(Integer Index) const;
    // In code: no OnClickCheck.
    void SetChecked(Integer Index, bool Value);
    TCheckBoxState GetState(Integer Index) const;
    void SetState(Integer Index, TCheckBoxState Value);
    bool GetItemEnabled(Integer Index) const;
    void SetItemEnabled(Integer Index, bool Value);
    bool GetAllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
    bool GetFlat() const { return FFlat; }
    void SetFlat(bool Value);
    // Fires when the user toggles a box (click on the box or Space).
    TNotifyEvent OnClickCheck;

protected:
    void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) override;
    TRect ItemContentRect(Integer Index, TRect Rect) override;
    bool ItemClicked(Integer Index, TPoint Pos) override;
    bool SpacePressed() override;
    virtual void ClickCheck();

private:
    void Toggle(Integer Index);
    bool FAllowGrayed = false;
    bool FFlat = true;
};

// ---------------------------------------------------------------------------------------------
// Combo boxes

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TComboPopup;
class TComboEdit;

class TCustomComboBox : public TCustomControl {
    LUMORA_CLASS(TCustomComboBox, TCustomControl)
public:
    explicit TCustomComboBox(TComponent* AOwner);
    ~TCustomComboBox() override;

    TStrings* GetItems() const { return FItems; }
    void SetItems(TStrings* Value);
    Integer GetItemIndex() const { return FItemIndex; }
    // In code: the text follows, no event fires.
    void SetItemIndex(Integer Value);
    TComboBoxStyle GetStyle() const { return FStyle; }
    void SetStyle(TComboBoxStyle Value);
    Integer GetDropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(Integer Value) { FDropDownCount = std::max(1, Value); }
    bool GetDroppedDown() const;
    void SetDroppedDown(bool Value);
    // The window of the drop-down list (created on first use) and of the edit part (null for
    // the list styles).
    HWND GetListHandle();
    HWND GetEditHandle() const;
    Integer GetItemHeight() const;
    void SetItemHeight(Integer Value);
    bool GetSorted() const { return FItems->GetSorted(); }
    void SetSorted(bool Value);
    Integer GetMaxLength() const { return FMaxLength; }
    void SetMaxLength(Integer Value);
    TEditCharCase GetCharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase Value);
    bool GetAutoComplete() const { return FAutoComplete; }
    void SetAutoComplete(bool Value) { FAutoComplete = Value; }
    Integer GetSelStart();
    void SetSelStart(Integer Value);
    Integer GetSelLength();
    void SetSelLength(Integer Value);
    std::string GetSelText();
    void SetSelText(const std::string& Value);
    void SelectAll();
    void Clear();
    // The canvas OnDrawItem draws on: the list's while list items are drawn, else the box's.
    TCanvas* GetCanvas();
    bool Focused();
    void SetFocus() override;
    // The height follows the font (or ItemHeight when owner-drawn).
    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

protected:
    friend class TComboPopup;
    friend class TComboEdit;
    virtual void Change();
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();
    virtual void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State);
    virtual void MeasureItem(Integer Index, Integer& Height);
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Paint() override;
    void Loaded() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
    void WMGetDlgCode(TMessage& Message) override;
    void WMSize(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    void WMSetText(TMessage& Message) override;
    void WMGetText(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;
    void CMColorChanged(TMessage& Message) override;
    void CMCancelMode(TMessage& Message) override;
    void CMWantSpecialKey(TMessage& Message) override;
    void WMEraseBkgnd(TMessage& Message) override;
    bool HasEdit() const { return FStyle == csDropDown || FStyle == csSimple; }
    bool OwnerDrawn() const { return FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable; }
    // Keys that move the selection, also for the edit part; true when used.
    bool NavigationKey(Word Key, TShiftState Shift);
    // The user chose an item (list click, keys): the text follows, then OnClick and OnSelect.
    void UserSelect(Integer Index);
    TRect ButtonRect();
    TRect EditRect();
    Integer HeightOf(Integer Index);
    Integer FaceHeight();
    void AdjustHeight();
    void SetEditText(const std::string& Text);
    // The text typed into the edit part changed (by the user).
    void EditChanged();

    TListControlItems* FItems;
    TComboPopup* FPopup = nullptr;
    TComboEdit* FEdit = nullptr;

private:
    void ItemsChanged();
    void ArrangeEdit();
    TComboBoxStyle FStyle = csDropDown;
    Integer FItemIndex = -1;
    Integer FDropDownCount = 8;
    Integer FItemHeight = 16;
    Integer FMaxLength = 0;
    TEditCharCase FCharCase = ecNormal;
    bool FAutoComplete = true;
    bool FButtonDown = false;
    TCanvas* FDrawCanvas = nullptr;
    lumora_detail::TTypeAhead FTypeAhead;
};

class TComboBox : public TCustomComboBox {
    LUMORA_CLASS(TComboBox, TCustomComboBox)
public:
    explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
};
