// TgxTreeListBand and TgxTreeListBands: the titled blocks of columns of a tree list.

#include "treelist/tree_list_control.h"

// ---- TgxTreeListBand -------------------------------------------------------------------------

// The collection reports a new item from the item's base constructor, before the band is whole;
// the bands ignore that report and the band reports itself once it is built.
TCollection* TgxTreeListBand::BeginAdding(TCollection* Collection) {
    if (auto* bands = dynamic_cast<TgxTreeListBands*>(Collection)) ++bands->FAddingBand;
    return Collection;
}

TgxTreeListBand::TgxTreeListBand(TCollection* Collection) : TCollectionItem(BeginAdding(Collection)) {
    if (auto* bands = dynamic_cast<TgxTreeListBands*>(Collection)) --bands->FAddingBand;
    Changed(true);
}

TgxTreeListBand::~TgxTreeListBand() {
    TCustomgxTreeListControl* list = GetTreeList();
    if (!list || list->IsDestroying() || list->GetComponentState().Contains(csUpdating)) return;
    const Integer index = GetIndex();
    for (Integer i = 0; i < list->GetColumnCount(); ++i) {
        TgxTreeListColumn* column = list->GetColumn(i);
        if (column->FBandIndex == index)
            column->FBandIndex = -1;
        else if (column->FBandIndex > index)
            --column->FBandIndex;
    }
}

TCustomgxTreeListControl* TgxTreeListBand::GetTreeList() const {
    auto* bands = dynamic_cast<TgxTreeListBands*>(GetCollection());
    return bands ? bands->GetTreeList() : nullptr;
}

void TgxTreeListBand::SetAlignment(TAlignment Value) {
    if (Value == FAlignment) return;
    FAlignment = Value;
    Changed(false);
}

void TgxTreeListBand::SetCaption(const std::string& Value) {
    if (Value == FCaption) return;
    FCaption = Value;
    Changed(false);
}

void TgxTreeListBand::SetDisableCustomizing(bool Value) {
    if (Value == FDisableCustomizing) return;
    FDisableCustomizing = Value;
    Changed(false);
}

void TgxTreeListBand::SetSizing(bool Value) {
    if (Value == FSizing) return;
    FSizing = Value;
    Changed(false);
}

void TgxTreeListBand::SetMinWidth(Integer Value) {
    FMinWidth = Value < 0 ? 0 : Value;
    SetWidth(FWidth);
}

void TgxTreeListBand::SetWidth(Integer Value) {
    if (Value < FMinWidth) Value = FMinWidth;
    TCustomgxTreeListControl* list = GetTreeList();
    if (Value == FWidth && !(list && list->GetOptionsEx().Contains(aoBandHeaderWidth))) return;
    FWidth = Value;
    Changed(true);
}

void TgxTreeListBand::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    if (!Value) FFixed = bfNone;
    Changed(true);
}

void TgxTreeListBand::SetFixed(TgxGridBandFixed Value) {
    if (Value == FFixed) return;
    FFixed = bfNone;
    auto* bands = dynamic_cast<TgxTreeListBands*>(GetCollection());
    if (Value != bfNone && bands) {
        for (int i = 0; i < bands->GetCount(); ++i)
            if (bands->GetItem(i)->FFixed == Value) bands->GetItem(i)->FFixed = bfNone;
        SetIndex(Value == bfLeft ? 0 : bands->GetCount() - 1);
    }
    if (FVisible) FFixed = Value;
    Changed(false);
}

void TgxTreeListBand::SetIndex(int Value) {
    TCollection* collection = GetCollection();
    if (!collection) return;
    if (Value > collection->GetCount() - 1) Value = collection->GetCount() - 1;
    if (Value < 0) Value = 0;
    const Integer old = GetIndex();
    if (FFixed != bfNone || old == Value) return;
    if (TCustomgxTreeListControl* list = GetTreeList()) {
        // The columns of this band are parked at -2 while the bands between shift by one.
        for (Integer i = 0; i < list->GetColumnCount(); ++i) {
            TgxTreeListColumn* column = list->GetColumn(i);
            const Integer band = column->FBandIndex;
            if (band == old)
                column->FBandIndex = -2;
            else if (Value < old && band >= Value && band < old)
                ++column->FBandIndex;
            else if (Value > old && band > old && band <= Value)
                --column->FBandIndex;
        }
        for (Integer i = 0; i < list->GetColumnCount(); ++i)
            if (list->GetColumn(i)->FBandIndex == -2) list->GetColumn(i)->FBandIndex = Value;
    }
    TCollectionItem::SetIndex(Value);
}

Integer TgxTreeListBand::GetRowCount() {
    TCustomgxTreeListControl* list = GetTreeList();
    if (!list) return 0;
    const Integer visible = list->GetVisibleBandIndex(GetIndex());
    return visible < 0 ? 0 : list->GetBandUsedRowCount(visible);
}

Integer TgxTreeListBand::GetRowColumnCount(Integer Row) {
    TCustomgxTreeListControl* list = GetTreeList();
    if (!list) return 0;
    const Integer visible = list->GetVisibleBandIndex(GetIndex());
    return visible < 0 ? 0 : list->GetBandRowColumnCount(visible, Row);
}

TgxTreeListColumn* TgxTreeListBand::GetRowColumn(Integer Row, Integer Col) {
    TCustomgxTreeListControl* list = GetTreeList();
    if (!list) return nullptr;
    const Integer visible = list->GetVisibleBandIndex(GetIndex());
    if (visible < 0) return nullptr;
    const Integer column = list->GetBandRowColumnIndex(visible, Row, Col);
    return column < 0 ? nullptr : list->GetColumn(column);
}

void TgxTreeListBand::RestoreDefaults() {
    FAlignment = taCenter;
    FFixed = bfNone;
    FMinWidth = 30;
    FOnlyOwnColumns = false;
    FSizing = true;
    FWidth = 250;
}

void TgxTreeListBand::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TgxTreeListBand*>(Source);
    if (!source) {
        TCollectionItem::Assign(Source);
        return;
    }
    TCollection* collection = GetCollection();
    if (collection) collection->BeginUpdate();
    try {
        RestoreDefaults();
        SetAlignment(source->FAlignment);
        SetCaption(source->FCaption);
        SetFixed(source->FFixed);
        SetMinWidth(source->FMinWidth);
        SetOnlyOwnColumns(source->FOnlyOwnColumns);
        SetSizing(source->FSizing);
        SetVisible(source->FVisible);
        SetWidth(source->FWidth);
    } catch (...) {
        if (collection) collection->EndUpdate();
        throw;
    }
    if (collection) collection->EndUpdate();
}

// ---- TgxTreeListBands ------------------------------------------------------------------------

TgxTreeListBands::TgxTreeListBands(TCustomgxTreeListControl* ATreeList)
    : TCollection(TgxTreeListBand::StaticClass(), ATreeList) {}

TgxTreeListBands::~TgxTreeListBands() {
    FTreeList = nullptr;
}

Integer TgxTreeListBands::GetVisibleCount() {
    if (FTreeList && !FTreeList->FBandCacheBuilding && !FTreeList->FVisibleBandIndexes.empty())
        return Integer(FTreeList->FVisibleBandIndexes.size());
    Integer count = 0;
    for (int i = 0; i < GetCount(); ++i)
        if (GetItem(i)->GetVisible()) ++count;
    return count;
}

TgxTreeListBand* TgxTreeListBands::GetVisibleItem(Integer VisibleIndex) {
    const Integer index = GetAbsoluteIndex(VisibleIndex);
    return index < 0 ? nullptr : GetItem(index);
}

Integer TgxTreeListBands::GetAbsoluteIndex(Integer VisibleIndex) {
    if (VisibleIndex < 0) return -1;
    if (FTreeList && !FTreeList->FBandCacheBuilding && !FTreeList->FVisibleBandIndexes.empty())
        return VisibleIndex < Integer(FTreeList->FVisibleBandIndexes.size())
                   ? FTreeList->FVisibleBandIndexes[VisibleIndex]
                   : -1;
    for (int i = 0; i < GetCount(); ++i)
        if (GetItem(i)->GetVisible() && VisibleIndex-- == 0) return i;
    return -1;
}

Integer TgxTreeListBands::GetVisibleIndex(Integer Index) {
    if (Index < 0 || Index >= GetCount()) return -1;
    if (FTreeList && !FTreeList->FBandCacheBuilding && !FTreeList->FBandVisibleIndexes.empty() &&
        Index < Integer(FTreeList->FBandVisibleIndexes.size()))
        return FTreeList->FBandVisibleIndexes[Index];
    if (!GetItem(Index)->GetVisible()) return -1;
    Integer visible = 0;
    for (int i = 0; i < Index; ++i)
        if (GetItem(i)->GetVisible()) ++visible;
    return visible;
}

void TgxTreeListBands::CheckFixedBands() {
    const Integer lastVisible = GetVisibleCount() - 1;
    TgxTreeListBand* left = nullptr;
    TgxTreeListBand* right = nullptr;
    bool invalid = false;
    for (int i = 0; i < GetCount(); ++i) {
        TgxTreeListBand* band = GetItem(i);
        if (band->FFixed == bfLeft) {
            if (left || GetVisibleIndex(i) != 0) invalid = true;
            if (!left) left = band;
        } else if (band->FFixed == bfRight) {
            if (right || GetVisibleIndex(i) != lastVisible) invalid = true;
            if (!right) right = band;
        }
    }
    if (!invalid) return;
    for (int i = 0; i < GetCount(); ++i) GetItem(i)->FFixed = bfNone;
    BeginUpdate();
    try {
        if (left) left->SetFixed(bfLeft);
        if (right) right->SetFixed(bfRight);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TgxTreeListBands::Update(TCollectionItem* /*Item*/) {
    TCustomgxTreeListControl* list = FTreeList;
    if (!list || FAddingBand > 0) return;
    if (GetCount() != 1 && !list->IsApplyingDefaultLayout()) list->FDefaultLayout = false;
    if (list->IsLoading()) return;
    list->ClearCache();
    CheckFixedBands();
    list->BandRowCountChanged();
}
