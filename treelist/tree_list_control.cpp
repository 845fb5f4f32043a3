// TCustomgxTreeListControl: the column list, the bands, the header rows, the sorted columns, the
// column factory, best fit and the editor cache.

#include "treelist/inplace_text_edit.h"
#include "treelist/tree_list_control.h"

#include <algorithm>

#include "framework/math_utils.h"
#include "framework/sysutils.h"

TCustomgxTreeListControl::TCustomgxTreeListControl(TComponent* AOwner)
    : TCustomgxTreeList(AOwner), FBands(new TgxTreeListBands(this)) {
    // The first band joins while the collection does not know its tree list yet: no relayout.
    FBands->Add();
    FBands->FTreeList = this;
}

void TCustomgxTreeListControl::BeforeDestruction() {
    TCustomgxTreeList::BeforeDestruction();
    ClearCache();
    DestroyColumns();
    std::vector<TgxInplaceEdit*> editors;
    editors.swap(FEditors);
    for (TgxInplaceEdit* editor : editors) editor->Free();
}

TCustomgxTreeListControl::~TCustomgxTreeListControl() {
    if (!IsDestroying()) Destroying();
    while (FColumns.GetCount() > 0) {
        auto* column = static_cast<TgxTreeListColumn*>(FColumns.Last());
        RemoveColumn(column);
        column->Free();
    }
    delete FBands;
}

void TCustomgxTreeListControl::Loaded() {
    TCustomgxTreeList::Loaded();
    NormalizeColumnRows();
    RebuildSortedColumns();
}

void TCustomgxTreeListControl::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomgxTreeList::Notification(AComponent, Operation);
    if (Operation == opRemove) std::erase_if(FEditors, [AComponent](TgxInplaceEdit* E) { return E == AComponent; });
}

void TCustomgxTreeListControl::CMFontChanged(TMessage& Message) {
    TCustomgxTreeList::CMFontChanged(Message);
    InUpdateBracket([&] {
        for (Integer i = 0; i < FColumns.GetCount(); ++i)
            if (!GetColumn(i)->IsFontStored()) GetColumn(i)->CopyDefaultFont();
    });
}

// ---- columns ---------------------------------------------------------------------------------

TgxTreeListColumn* TCustomgxTreeListControl::GetColumn(Integer Index) const {
    return static_cast<TgxTreeListColumn*>(FColumns.Get(Index));
}

TgxTreeListColumn* TCustomgxTreeListControl::GetVisibleColumn(Integer Index) const {
    for (Integer i = 0; i < FColumns.GetCount(); ++i)
        if (GetColumn(i)->GetVisible() && Index-- == 0) return GetColumn(i);
    return nullptr;
}

TgxTreeListColumn* TCustomgxTreeListControl::VisibleColumnAt(Integer Column) {
    const Integer index = VisibleToAbsoluteIndex(Column);
    return index >= 0 && index < FColumns.GetCount() ? GetColumn(index) : nullptr;
}

TgxTreeListColumn* TCustomgxTreeListControl::ColumnByName(const std::string& AName) const {
    for (Integer i = 0; i < FColumns.GetCount(); ++i)
        if (SameText(GetColumn(i)->GetName(), AName)) return GetColumn(i);
    return nullptr;
}

TgxTreeListColumn* TCustomgxTreeListControl::GetColumnAt(Integer X, Integer Y) {
    const TgxTreeListHitInfo hit = GetHitInfo(TPoint(X, Y));
    if (hit.HitCode < hcHeader || hit.HitCode > hcCell || hit.Column < 0 || hit.Column >= GetColumnCount())
        return nullptr;
    return GetColumn(hit.Column);
}

TgxTreeListColumn* TCustomgxTreeListControl::GetSortedColumn(Integer Index) const {
    return static_cast<TgxTreeListColumn*>(FSortedColumns.Get(Index));
}

void TCustomgxTreeListControl::AddColumn(TgxTreeListColumn* Column) {
    FColumns.Add(Column);
    Column->FTreeList = this;
    ColumnChanged(Column);
}

void TCustomgxTreeListControl::RemoveColumn(TgxTreeListColumn* Column) {
    Column->FTreeList = nullptr;
    FColumns.Remove(Column);
    FSortedColumns.Remove(Column);
    if (!IsDestroying()) ColumnChanged(nullptr);
}

void TCustomgxTreeListControl::DestroyColumns() {
    while (FColumns.GetCount() > 0) {
        auto* column = static_cast<TgxTreeListColumn*>(FColumns.Last());
        RemoveColumn(column);
        column->Free();
    }
}

void TCustomgxTreeListControl::ColumnChanged(TgxTreeListColumn* Column) {
    if (IsLoading()) return;
    if (Column && !Column->FAssignedValues.Contains(cavWidth)) Column->FWidth = Column->GetDefaultWidth();
    if (FColumnChangeLock == 0) NormalizeColumnRows();
    LayoutChanged();
}

void TCustomgxTreeListControl::RestoreDefaultColumnWidths() {
    for (Integer i = 0; i < FColumns.GetCount(); ++i) {
        TgxTreeListColumn* column = GetColumn(i);
        if (!column->FAssignedValues.Contains(cavWidth)) column->FWidth = column->GetDefaultWidth();
    }
}

void TCustomgxTreeListControl::ChangeBandWidth(Integer VisibleBand, Integer Width) {
    if (TgxTreeListBand* band = FBands->GetVisibleItem(VisibleBand)) band->SetWidth(Width);
}

void TCustomgxTreeListControl::ChangeColumnWidth(Integer Column, Integer Width) {
    TgxTreeListColumn* column = GetColumn(Column);
    if (!column->GetSizing()) return;
    column->FWidth = Width < column->GetMinWidth() ? column->GetMinWidth() : Width;
    column->FAssignedValues.Include(cavWidth);
}

// ---- bands and header rows -------------------------------------------------------------------

Integer TCustomgxTreeListControl::GetHeaderMinRowCount() {
    const Integer base = TCustomgxTreeList::GetHeaderMinRowCount();
    return FHeaderMinRowCount > base ? FHeaderMinRowCount : base;
}

void TCustomgxTreeListControl::SetBandMaxRowCount(Integer Value) {
    FBandMaxRowCount = Value < 1 ? 1 : Value;
    SetBandRowCount(FBandRowCount);
}

void TCustomgxTreeListControl::SetBandRowCount(Integer Value) {
    if (Value > FBandMaxRowCount) Value = FBandMaxRowCount;
    if (Value < 1) Value = 1;
    if (Value == FBandRowCount) return;
    FBandRowCount = Value;
    BandRowCountChanged();
}

void TCustomgxTreeListControl::SetHeaderMinRowCount(Integer Value) {
    if (Value < 1) Value = 1;
    if (Value == FHeaderMinRowCount) return;
    FHeaderMinRowCount = Value;
    HeaderPanelRowCountChanged();
}

void TCustomgxTreeListControl::SetHeaderPanelMaxRowCount(Integer Value) {
    FHeaderPanelMaxRowCount = Value < 1 ? 1 : Value;
    SetHeaderPanelRowCount(FHeaderPanelRowCount);
}

void TCustomgxTreeListControl::SetHeaderPanelRowCount(Integer Value) {
    if (Value > FHeaderPanelMaxRowCount) Value = FHeaderPanelMaxRowCount;
    if (Value < 1) Value = 1;
    if (Value == FHeaderPanelRowCount) return;
    if (!FInternalRowCount) ResetAutoHeaderPanelHeight();
    FHeaderPanelRowCount = Value;
    if (Value > 1) FDefaultLayout = false;
    NormalizeColumnRows();
    HeaderPanelRowCountChanged();
}

void TCustomgxTreeListControl::ResetAutoHeaderPanelHeight() {
    if (GetOptionsEx().Contains(aoAutoHeaderPanelHeight))
        SetOptionsEx(GetOptionsEx() - TgxTreeListOptionsEx{aoAutoHeaderPanelHeight});
}

void TCustomgxTreeListControl::BandRowCountChanged() {
    if (IsAutoHeaderPanelHeight())
        InUpdateBracket([&] { CalcHeaderPanelRowCount(); });
    else
        LayoutChanged();
}

void TCustomgxTreeListControl::NormalizeColumnRows() {
    ClearCache();
    const Integer last = FHeaderPanelRowCount - 1;
    for (Integer i = 0; i < FColumns.GetCount(); ++i) {
        TgxTreeListColumn* column = GetColumn(i);
        column->FRowIndex = std::clamp(column->FRowIndex, 0, last);
    }
    // Rows left without a visible column close up.
    for (Integer visible = 0; visible < GetVisibleBandCount(); ++visible) {
        const Integer band = GetAbsoluteBandIndex(visible);
        for (Integer row = GetBandUsedRowCount(visible) - 1; row >= 0; --row) {
            bool used = false;
            for (Integer i = 0; i < FColumns.GetCount() && !used; ++i) {
                TgxTreeListColumn* column = GetColumn(i);
                used = column->GetVisible() && column->GetBandIndex() == band && column->GetRowIndex() == row;
            }
            if (used) continue;
            for (Integer i = 0; i < FColumns.GetCount(); ++i) {
                TgxTreeListColumn* column = GetColumn(i);
                if (column->GetVisible() && column->GetBandIndex() == band && column->GetRowIndex() > row) {
                    --column->FRowIndex;
                    --column->FStoredRowIndex;
                }
            }
        }
    }
    // A column below the rows its band uses moves up to the band's last row.
    for (Integer band = 0; band < FBands->GetCount(); ++band) {
        std::vector<bool> used(size_t(FHeaderPanelRowCount) + 1, false);
        Integer count = 0;
        for (Integer i = 0; i < FColumns.GetCount(); ++i) {
            TgxTreeListColumn* column = GetColumn(i);
            const Integer row = column->GetRowIndex();
            if (column->GetVisible() && column->GetBandIndex() == band && row >= 0 && row <= FHeaderPanelRowCount &&
                !used[row]) {
                used[row] = true;
                ++count;
            }
        }
        for (Integer i = 0; i < FColumns.GetCount(); ++i) {
            TgxTreeListColumn* column = GetColumn(i);
            if (column->GetBandIndex() != band || count > column->GetRowIndex()) continue;
            const Integer row = count > 0 ? count - 1 : 0;
            column->FRowIndex = row;
            column->FStoredRowIndex = row;
        }
    }
    if (IsAutoHeaderPanelHeight() && !FInternalRowCount) CalcHeaderPanelRowCount();
    if (!IsUpdating()) RefreshCache();
}

void TCustomgxTreeListControl::SetDefaultLayout(bool Value) {
    if (Value == FDefaultLayout) return;
    FDefaultLayout = Value;
    if (Value) ApplyDefaultLayout();
}

void TCustomgxTreeListControl::ApplyDefaultLayout() {
    TgxFlagGuard applying(FApplyingDefaultLayout);
    InUpdateBracket([&] {
        SetShowBands(false);
        SetHeaderPanelRowCount(1);
        while (FBands->GetCount() > 1) FBands->Delete(FBands->GetCount() - 1);
        if (FBands->GetCount() == 0) FBands->Add();
        FBands->GetItem(0)->SetVisible(true);
        for (Integer i = 0; i < FColumns.GetCount(); ++i) GetColumn(i)->SetBandIndex(0);
    });
}

// ---- sorting ---------------------------------------------------------------------------------

void TCustomgxTreeListControl::BeginSorting() {
    ++FSortUpdateCount;
}

void TCustomgxTreeListControl::EndSorting() {
    if (FSortUpdateCount > 0 && --FSortUpdateCount == 0) SortingChanged();
}

void TCustomgxTreeListControl::ColumnSortChanged(TgxTreeListColumn* Column) {
    if (Column->GetSorted() != csNone && FSortedColumns.IndexOf(Column) < 0) FSortedColumns.Add(Column);
}

void TCustomgxTreeListControl::ClearSorting() {
    FSortedColumns.Clear();
}

void TCustomgxTreeListControl::RebuildSortedColumns() {
    std::vector<TgxTreeListColumn*> sorted;
    for (Integer i = 0; i < FColumns.GetCount(); ++i)
        if (GetColumn(i)->GetSorted() != csNone) sorted.push_back(GetColumn(i));
    std::stable_sort(sorted.begin(), sorted.end(), [](TgxTreeListColumn* a, TgxTreeListColumn* b) {
        return a->GetStoredSortedOrder() < b->GetStoredSortedOrder();
    });
    FSortedColumns.Clear();
    for (TgxTreeListColumn* column : sorted) FSortedColumns.Add(column);
}

bool TCustomgxTreeListControl::CanColumnSorting(TgxTreeListColumn* Column) {
    bool allow = true;
    if (OnColumnSorting) OnColumnSorting(this, Column, allow);
    return allow;
}

void TCustomgxTreeListControl::ToggleColumnSort(TgxTreeListColumn* Column) {
    if (!CanColumnSorting(Column)) return;
    if (IsClearSortClick())
        Column->SetSorted(csNone);
    else
        Column->SetSorted(Column->GetSorted() == csUp ? csDown : csUp);
}

void TCustomgxTreeListControl::DoColumnClick(Integer Column) {
    TgxTreeListColumn* column = GetColumn(Column);
    if (OnColumnClick) OnColumnClick(this, column);
    if (IsAutoSort()) ToggleColumnSort(column);
}

// ---- making and copying columns --------------------------------------------------------------

TgxTreeListColumn* TCustomgxTreeListControl::CreateColumn(TClass ColumnClass, TComponent* AOwner) {
    if (!ColumnClass || !ColumnClass->InheritsFrom(TgxTreeListColumn::StaticClass()))
        throw EInvalidCast("Invalid class typecast");
    auto* column = static_cast<TgxTreeListColumn*>(CreateFromClass(ColumnClass, AOwner));
    try {
        for (Integer n = GetColumnCount() + 1;; ++n) {
            try {
                column->SetName(GetName() + "Column" + IntToStr(n));
                break;
            } catch (const EComponentError&) {
                // taken: the next number
            }
        }
        column->SetTreeList(this);
    } catch (...) {
        column->Free();
        throw;
    }
    return column;
}

void TCustomgxTreeListControl::AssignColumns(TCustomgxTreeListControl* Source) {
    InUpdateBracket([&] {
        TComponent* owner = GetColumnCount() > 0 ? GetColumn(0)->GetOwner() : this;
        DestroyColumns();
        for (Integer i = 0; i < Source->GetColumnCount(); ++i) {
            TgxTreeListColumn* source = Source->GetColumn(i);
            TgxTreeListColumn* column = CreateColumn(source->ClassType(), owner);
            column->Assign(source);
            // A name another component of the owner already has stays with it; the copy keeps
            // the name it was made with.
            const std::string& name = source->GetName();
            TComponent* holder = owner ? owner->FindComponent(name) : nullptr;
            if (!holder || holder == column) column->SetName(name);
        }
    });
}

// ---- best fit --------------------------------------------------------------------------------

void TCustomgxTreeListControl::ApplyBestFit(TgxTreeListColumn* Column) {
    TCanvas* canvas = GetCanvas();
    canvas->GetFont()->Assign(GetFont());
    const Integer digit = canvas->TextWidth("0");
    const Integer stateWidth = GetStateImages() ? GetStateImages()->GetWidth() : 0;
    const Integer imageWidth = GetImages() ? GetImages()->GetWidth() : 0;
    const bool rootLevel = GetShowRoot() && GetPaintStyle() == psStandard;

    auto fit = [&](TgxTreeListColumn* column) {
        const Integer index = column->GetIndex();
        const bool treeColumn = IsColumnShown(index) && GetVisibleBandIndex(column->GetBandIndex()) == 0 &&
                                column->GetColIndex() == 0;
        Integer widest = 0;
        std::string text;
        // Every node, whether displayed or not.
        std::vector<TgxTreeListNode*> roots;
        for (Integer i = 0; i < GetCount(); ++i) roots.push_back(GetItem(i));
        auto measure = [&](TgxTreeListNode* node) {
            if (IsGroupNode(node)) return;
            GetCellText(node, index, text);
            Integer width = column->GetTextWidth(canvas, text);
            if (treeColumn) {
                width += (node->GetLevel() + (rootLevel ? 1 : 0)) * 16;
                if (GetStateIndex(node) != -1) width += stateWidth;
                if (GetImageIndex(node) != -1 || GetSelectedIndex(node) != -1) width += imageWidth;
                width -= GetGroupIndent();
            }
            widest = std::max(widest, width);
        };
        std::vector<TgxTreeListNode*> stack(roots.rbegin(), roots.rend());
        while (!stack.empty()) {
            TgxTreeListNode* node = stack.back();
            stack.pop_back();
            measure(node);
            for (Integer i = node->GetCount() - 1; i >= 0; --i) stack.push_back(node->GetItem(i));
        }
        widest = std::max(widest, canvas->TextWidth(column->GetCaption()));
        if (column->GetSizing()) column->SetWidth(widest + 2 * digit);
    };

    if (Column) {
        fit(Column);
        return;
    }
    InUpdateBracket([&] {
        for (Integer i = 0; i < GetColumnCount(); ++i) fit(GetColumn(i));
    });
}

void TCustomgxTreeListControl::ApplyBandBestFit(Integer VisibleBand) {
    InUpdateBracket([&] {
        // The layout goes with the first width that changes: the columns are taken first.
        std::vector<TgxTreeListColumn*> columns;
        for (Integer row = 0; row < GetBandUsedRowCount(VisibleBand); ++row)
            for (Integer position = 0; position < GetBandRowColumnCount(VisibleBand, row); ++position) {
                const Integer index = GetBandRowColumnIndex(VisibleBand, row, position);
                if (index >= 0) columns.push_back(GetColumn(index));
            }
        for (TgxTreeListColumn* column : columns) ApplyBestFit(column);
    });
}

// ---- editors ---------------------------------------------------------------------------------

TgxInplaceEdit* TCustomgxTreeListControl::FindEditor(Integer Column) {
    TgxTreeListColumn* column = VisibleColumnAt(Column);
    if (!column) return nullptr;
    const TClass editorClass = column->GetEditorClass();
    if (!editorClass) return nullptr;
    for (TgxInplaceEdit* editor : FEditors)
        if (editor->ClassType() == editorClass) return editor;
    return nullptr;
}

TgxInplaceEdit* TCustomgxTreeListControl::CreateEditor(Integer Column) {
    TgxTreeListColumn* column = VisibleColumnAt(Column);
    if (!column) return nullptr;
    const TClass editorClass = column->GetEditorClass();
    if (!editorClass || !editorClass->InheritsFrom(TgxInplaceEdit::StaticClass())) return nullptr;
    auto* editor = static_cast<TgxInplaceEdit*>(CreateFromClass(editorClass, this));
    FEditors.push_back(editor);
    return editor;
}

// ---- further answers -------------------------------------------------------------------------

bool TCustomgxTreeListControl::CanEditModify() {
    TgxTreeListColumn* column = VisibleColumnAt(GetFocusedColumn());
    return column && !column->GetReadOnly();
}

bool TCustomgxTreeListControl::IsBandHeaderWidth() {
    return FDefaultLayout || TCustomgxTreeList::IsBandHeaderWidth();
}

bool TCustomgxTreeListControl::IsBandSizing(Integer VisibleBand) {
    TgxTreeListBand* band = FBands->GetVisibleItem(VisibleBand);
    return band && TCustomgxTreeList::IsBandSizing(VisibleBand) && band->GetSizing();
}

bool TCustomgxTreeListControl::IsColumnSizing(Integer Column) {
    return TCustomgxTreeList::IsColumnSizing(Column) && GetColumn(Column)->GetSizing();
}

bool TCustomgxTreeListControl::IsEditorButtonAt(Integer X, Integer Y, bool SameNode) {
    if (!TCustomgxTreeList::IsEditorButtonAt(X, Y, SameNode)) return false;
    TgxTreeListColumn* column = VisibleColumnAt(GetFocusedColumn());
    return !column || column->IsShowButton(TPoint(X, Y), SameNode);
}

void TCustomgxTreeListControl::DoEditing(TgxTreeListNode* Node, bool& Allow) {
    TCustomgxTreeList::DoEditing(Node, Allow);
    if (!Allow) return;
    if (TgxTreeListColumn* column = VisibleColumnAt(GetFocusedColumn())) Allow = column->CanEdit();
}

void TCustomgxTreeListControl::ScaleHiddenBandWidths(Integer New, Integer Old) {
    InUpdateBracket([&] {
        for (Integer i = 0; i < FBands->GetCount(); ++i) {
            TgxTreeListBand* band = FBands->GetItem(i);
            if (!band->GetVisible() && band->GetSizing()) band->SetWidth(MulDiv(band->GetWidth(), New, Old));
        }
    });
}

void TCustomgxTreeListControl::ScaleHiddenColumnWidths(Integer VisibleBand, Integer New, Integer Old) {
    const Integer band = GetAbsoluteBandIndex(VisibleBand);
    InUpdateBracket([&] {
        for (Integer i = 0; i < FColumns.GetCount(); ++i) {
            TgxTreeListColumn* column = GetColumn(i);
            if (!column->GetVisible() && column->GetSizing() && column->GetBandIndex() == band)
                column->SetWidth(MulDiv(column->GetWidth(), New, Old));
        }
    });
}
