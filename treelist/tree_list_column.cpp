// TgxTreeListColumn: a column of a band-and-column tree list.

#include "treelist/inplace_text_edit.h"
#include "treelist/tree_list_control.h"

TgxTreeListColumn::TgxTreeListColumn(TComponent* AOwner) : TComponent(AOwner) {}

void TgxTreeListColumn::BeforeDestruction() {
    TComponent::BeforeDestruction();
    if (TCustomgxTreeListControl* list = FTreeList) {
        if (!list->IsDestroying()) {
            const Integer index = GetIndex();
            for (Integer i = 0; i < list->GetCount(); ++i) list->DeleteColumnValues(list->GetItem(i), index);
        }
        list->RemoveColumn(this);
    }
}

TgxTreeListColumn::~TgxTreeListColumn() {
    if (FTreeList) FTreeList->RemoveColumn(this);
    if (FFont) FFont->Free();
    if (FHeaderGlyph) FHeaderGlyph->Free();
}

void TgxTreeListColumn::SetTreeList(TCustomgxTreeListControl* Value) {
    if (Value == FTreeList) return;
    if (FTreeList) FTreeList->RemoveColumn(this);
    if (Value) Value->AddColumn(this);
}

TComponent* TgxTreeListColumn::GetParentComponent() {
    return FTreeList;
}

void TgxTreeListColumn::SetParentComponent(TComponent* Value) {
    if (GetComponentState().Contains(csLoading)) return;
    if (auto* list = dynamic_cast<TCustomgxTreeListControl*>(Value)) SetTreeList(list);
}

void TgxTreeListColumn::SetName(const std::string& NewName) {
    TComponent::SetName(NewName);
    if (OnNameChanged) OnNameChanged(this);
}

void TgxTreeListColumn::Changed(bool AllColumns) {
    if (FTreeList) FTreeList->ColumnChanged(AllColumns ? nullptr : this);
}

Integer TgxTreeListColumn::GetIndex() {
    return FTreeList ? FTreeList->FColumns.IndexOf(this) : -1;
}

// ---- properties with a virtual default -------------------------------------------------------

TAlignment TgxTreeListColumn::GetAlignment() {
    return FAssignedValues.Contains(cavAlignment) ? FAlignment : GetDefaultAlignment();
}

void TgxTreeListColumn::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    FAssignedValues.Include(cavAlignment);
    Changed(false);
}

std::string TgxTreeListColumn::GetCaption() {
    if (FAssignedValues.Contains(cavCaption)) return FCaption;
    std::string caption;
    GetDefaultCaption(caption);
    return caption;
}

void TgxTreeListColumn::SetCaption(const std::string& Value) {
    FCaption = Value;
    FAssignedValues.Include(cavCaption);
    if (!FAssignedValues.Contains(cavWidth)) FWidth = GetDefaultWidth();
    Changed(false);
}

bool TgxTreeListColumn::IsCaptionStored() {
    if (!FAssignedValues.Contains(cavCaption)) return false;
    std::string caption;
    GetDefaultCaption(caption);
    return FCaption != caption;
}

TColor TgxTreeListColumn::GetColor() {
    if (FAssignedValues.Contains(cavColor)) return FColor;
    return FTreeList ? FTreeList->GetColor() : clWindow;
}

void TgxTreeListColumn::SetColor(TColor Value) {
    FColor = Value;
    FAssignedValues.Include(cavColor);
    Changed(false);
}

bool TgxTreeListColumn::IsColorStored() {
    if (!FAssignedValues.Contains(cavColor)) return false;
    return FColor != (FTreeList ? FTreeList->GetColor() : clWindow);
}

bool TgxTreeListColumn::GetReadOnly() {
    bool readOnly = FAssignedValues.Contains(cavReadOnly) ? FReadOnly : GetDefaultReadOnly();
    return readOnly || (FTreeList && FTreeList->GetEditReadOnly());
}

void TgxTreeListColumn::SetReadOnly(bool Value) {
    FReadOnly = Value;
    FAssignedValues.Include(cavReadOnly);
    Changed(false);
}

bool TgxTreeListColumn::IsReadOnlyStored() {
    return FAssignedValues.Contains(cavReadOnly) && FReadOnly != GetDefaultReadOnly();
}

Integer TgxTreeListColumn::GetWidth() {
    return FAssignedValues.Contains(cavWidth) ? FWidth : GetDefaultWidth();
}

void TgxTreeListColumn::SetWidth(Integer Value) {
    if (Value < FMinWidth) Value = FMinWidth;
    if (!FAssignedValues.Contains(cavWidth) && Value == GetDefaultWidth()) return;
    FWidth = Value;
    FAssignedValues.Include(cavWidth);
    Changed(false);
}

namespace {

bool SameFont(TFont* A, TFont* B) {
    const LOGFONT& a = A->GetLogFont();
    const LOGFONT& b = B->GetLogFont();
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
           a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfPitchAndFamily == b.lfPitchAndFamily && std::string(a.lfFaceName) == std::string(b.lfFaceName) &&
           A->GetColor() == B->GetColor();
}

}  // namespace

void TgxTreeListColumn::CopyDefaultFont() {
    if (!FFont || !FTreeList) return;
    TgxFlagGuard copying(FCopyingFont);
    FFont->Assign(FTreeList->GetFont());
}

TFont* TgxTreeListColumn::GetFont() {
    if (!FFont) {
        FFont = new TFont;
        CopyDefaultFont();
        FFont->OnChange = [this](TObject* Sender) { FontChanged(Sender); };
    } else if (!FAssignedValues.Contains(cavFont) && FTreeList && !SameFont(FFont, FTreeList->GetFont())) {
        CopyDefaultFont();
    }
    return FFont;
}

void TgxTreeListColumn::SetFont(TFont* Value) {
    GetFont()->Assign(Value);
    FAssignedValues.Include(cavFont);
}

void TgxTreeListColumn::FontChanged(TObject* /*Sender*/) {
    if (FCopyingFont) return;
    FAssignedValues.Include(cavFont);
    Changed(true);
}

TBitmap* TgxTreeListColumn::GetHeaderGlyph() {
    if (!FHeaderGlyph) FHeaderGlyph = new TBitmap;
    return FHeaderGlyph;
}

void TgxTreeListColumn::SetHeaderGlyph(TBitmap* Value) {
    if (!Value) {
        if (FHeaderGlyph) FHeaderGlyph->Free();
        FHeaderGlyph = nullptr;
    } else {
        GetHeaderGlyph()->Assign(Value);
    }
    Changed(true);
}

void TgxTreeListColumn::DrawCell(TCanvas* ACanvas, TRect& ARect, TgxTreeListNode* ANode, bool ASelected,
                                 bool AFocused, bool ANewItemRow, std::string& AText, TColor& AColor, TFont* AFont,
                                 TAlignment& AAlignment, bool& ADone, HBRUSH /*ABrush*/, bool /*AFirstColumn*/,
                                 bool /*ALastColumn*/) {
    if (OnCustomDrawCell)
        OnCustomDrawCell(this, ACanvas, ARect, ANode, this, ASelected, AFocused, ANewItemRow, AText, AColor, AFont,
                         AAlignment, ADone);
}

void TgxTreeListColumn::DrawCellBorders(HDC DC, TRect& Rect, bool LeftLine, bool RightLine, HBRUSH Brush) {
    TRect line(Rect.Left, Rect.Top, Rect.Right, Rect.Top + 1);
    FillRect(DC, &line, Brush);
    line = TRect(Rect.Left, Rect.Bottom - 1, Rect.Right, Rect.Bottom);
    FillRect(DC, &line, Brush);
    ++Rect.Top;
    --Rect.Bottom;
    if (LeftLine) {
        line = TRect(Rect.Left, Rect.Top, Rect.Left + 1, Rect.Bottom);
        FillRect(DC, &line, Brush);
        ++Rect.Left;
    }
    if (RightLine) {
        line = TRect(Rect.Right - 1, Rect.Top, Rect.Right, Rect.Bottom);
        FillRect(DC, &line, Brush);
        --Rect.Right;
    }
}

// ---- plain properties ------------------------------------------------------------------------

void TgxTreeListColumn::SetDisableCaption(bool Value) {
    if (Value == FDisableCaption) return;
    FDisableCaption = Value;
    Changed(true);
}

void TgxTreeListColumn::SetDisableCustomizing(bool Value) {
    if (Value == FDisableCustomizing) return;
    FDisableCustomizing = Value;
    Changed(true);
}

void TgxTreeListColumn::SetHeaderAlignment(TAlignment Value) {
    if (Value == FHeaderAlignment) return;
    FHeaderAlignment = Value;
    Changed(true);
}

void TgxTreeListColumn::SetMinWidth(Integer Value) {
    FMinWidth = Value < 0 ? 0 : Value;
    SetWidth(GetWidth());
}

void TgxTreeListColumn::SetSizing(bool Value) {
    if (Value == FSizing) return;
    FSizing = Value;
    Changed(false);
}

void TgxTreeListColumn::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    Changed(false);
}

void TgxTreeListColumn::SetHeaderMaxLineCount(Integer Value) {
    if (Value < 0) Value = 0;
    if (Value == FHeaderMaxLineCount) return;
    FHeaderMaxLineCount = Value;
    Changed(true);
}

void TgxTreeListColumn::SetSorted(TgxTreeListColumnSort Value) {
    if (Value == FSorted) return;
    TCustomgxTreeListControl* list = FTreeList;
    if (!list || list->IsLoading()) {
        FSorted = Value;
        Changed(false);
        return;
    }
    if (Value != csNone) {
        list->InUpdateBracket([&] {
            list->PrepareColumnSort(this);
            FSorted = Value;
            list->ColumnSortChanged(this);
        });
        return;
    }
    list->BeginSorting();
    try {
        FSorted = csNone;
        list->FSortedColumns.Remove(this);
        Changed(false);
    } catch (...) {
        list->EndSorting();
        throw;
    }
    list->EndSorting();
}

// ---- placement -------------------------------------------------------------------------------

void TgxTreeListColumn::SetBandIndex(Integer Value) {
    if (Value < -1) Value = -1;
    if (FTreeList && Value > FTreeList->GetBandCount() - 1) Value = FTreeList->GetBandCount() - 1;
    if (Value == FBandIndex) return;
    FBandIndex = Value;
    Changed(false);
}

Integer TgxTreeListColumn::GetRowIndex() {
    if (!FTreeList) return FRowIndex;
    const Integer last = FTreeList->GetHeaderPanelRowCount() - 1;
    return FStoredRowIndex < last ? FStoredRowIndex : last;
}

void TgxTreeListColumn::SetRowIndex(Integer Value) {
    if (Value < 0) Value = 0;
    if (FTreeList && Value > FTreeList->GetHeaderPanelRowCount() - 1) Value = FTreeList->GetHeaderPanelRowCount() - 1;
    if (Value == GetRowIndex()) return;
    FRowIndex = Value;
    FStoredRowIndex = Value;
    Changed(false);
}

namespace {

// The visible columns of a tree list standing in band Band, row Row, in column-list order.
std::vector<TgxTreeListColumn*> BandRowColumns(TCustomgxTreeListControl* List, Integer Band, Integer Row) {
    std::vector<TgxTreeListColumn*> columns;
    for (Integer i = 0; i < List->GetColumnCount(); ++i) {
        TgxTreeListColumn* column = List->GetColumn(i);
        if (column->GetVisible() && column->GetBandIndex() == Band && column->GetRowIndex() == Row)
            columns.push_back(column);
    }
    return columns;
}

}  // namespace

Integer TgxTreeListColumn::GetColIndex() {
    if (!FTreeList) return -1;
    const std::vector<TgxTreeListColumn*> row = BandRowColumns(FTreeList, FBandIndex, GetRowIndex());
    if (!FVisible) return Integer(row.size()) - 1;
    for (size_t i = 0; i < row.size(); ++i)
        if (row[i] == this) return Integer(i);
    return -1;
}

void TgxTreeListColumn::SetColIndex(Integer Value) {
    if (!FTreeList || Value == GetColIndex() || FBandIndex == -1) return;
    const std::vector<TgxTreeListColumn*> row = BandRowColumns(FTreeList, FBandIndex, GetRowIndex());
    const Integer count = Integer(row.size());
    if (Value > count - 1) Value = count - 1;
    if (Value < 0) Value = 0;
    if (Value >= count) return;
    const Integer target = row[Value]->GetIndex();
    SetIndex(Value == count - 1 ? target + 1 : target);
}

void TgxTreeListColumn::SetIndex(Integer Value) {
    if (!FTreeList) return;
    const Integer current = GetIndex();
    if (current < 0) return;
    const Integer last = FTreeList->GetColumnCount() - 1;
    if (Value > last) Value = last;
    if (Value < 0) Value = 0;
    if (Value == current) return;
    FTreeList->ColumnMoved(current, Value);
    FTreeList->FColumns.Move(current, Value);
    Changed(true);
}

// ---- sorting stream values -------------------------------------------------------------------

Integer TgxTreeListColumn::GetSortedOrder() const {
    return FTreeList ? FTreeList->FSortedColumns.IndexOf(const_cast<TgxTreeListColumn*>(this)) : -1;
}

bool TgxTreeListColumn::IsSortedOrderStored() const {
    return FTreeList && FTreeList->GetOptionsEx().Contains(aoMultiSort) &&
           FTreeList->FSortedColumns.GetCount() > 1 && FSorted != csNone;
}

// ---- defaults and assigning ------------------------------------------------------------------

void TgxTreeListColumn::RestoreDefaults() {
    FAssignedValues = {};
    CopyDefaultFont();
    FWidth = GetDefaultWidth();
    FDisableEditor = false;
    FDisableCaption = false;
    FDisableCustomizing = false;
    FHeaderAlignment = taLeftJustify;
    FMinWidth = 20;
    FSizing = true;
    FSorted = csNone;
    FTabStop = true;
}

void TgxTreeListColumn::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TgxTreeListColumn*>(Source);
    if (!source) {
        TComponent::Assign(Source);
        return;
    }
    auto assign = [&] {
        RestoreDefaults();
        const TgxColumnAssignedValues assigned = source->FAssignedValues;
        if (assigned.Contains(cavAlignment)) SetAlignment(source->FAlignment);
        if (assigned.Contains(cavCaption)) SetCaption(source->FCaption);
        if (assigned.Contains(cavReadOnly)) SetReadOnly(source->FReadOnly);
        if (assigned.Contains(cavWidth)) {
            // The width is assigned whatever its value.
            FWidth = source->FWidth;
            FAssignedValues.Include(cavWidth);
            Changed(false);
        }
        if (assigned.Contains(cavColor)) SetColor(source->FColor);
        if (assigned.Contains(cavFont)) SetFont(source->GetFont());
        SetDisableCaption(source->FDisableCaption);
        SetDisableCustomizing(source->FDisableCustomizing);
        SetDisableEditor(source->FDisableEditor);
        SetHeaderAlignment(source->FHeaderAlignment);
        if (source->FHeaderGlyph) SetHeaderGlyph(source->FHeaderGlyph);
        SetMinWidth(source->FMinWidth);
        SetSizing(source->FSizing);
        SetSorted(source->FSorted);
        SetVisible(source->FVisible);
        SetTabStop(source->FTabStop);
        SetBandIndex(source->FBandIndex);
        SetRowIndex(source->FTreeList ? source->GetRowIndex() : source->FRowIndex);
        if (source->FTreeList) SetColIndex(source->GetColIndex());
        SetHeaderMaxLineCount(source->FHeaderMaxLineCount);
    };
    if (FTreeList)
        FTreeList->InUpdateBracket(assign);
    else
        assign();
}

TClass TgxTreeListColumn::GetEditorClass() { return TgxInplaceTextEdit::StaticClass(); }
