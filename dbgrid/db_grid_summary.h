#pragma once
// The data-aware grid's summaries: the summary groups whose items add totals to group rows and
// row footers, and the text of a summary value. The grid computes them while it loads its
// records and recomputes them from its nodes after a smart refresh (db_grid_summary.cpp).

#include <functional>
#include <string>

#include "dbgrid/db_grid.h"
#include "framework/collection.h"

class TgxDBGridSummaryGroup;
class TgxDBGridSummaryGroups;

// The text of a summary value: empty for cstNone; Format, or the default format of the kind for
// group rows or footers, through FormatFloat; values of date fields (DateKind ftDate, ftTime or
// ftDateTime; anything else counts as no date) as date texts after the format as a prefix.
std::string FormatSummary(TgxSummaryType Kind, const std::string& Format, TFieldType DateKind, bool IsFooter,
                          long double Value);

// One total of a summary group: in the group row text when ColumnName is empty, else in the
// row footer under the column of that component name.
class TgxDBGridSummaryItem : public TCollectionItem {
    LUMORA_CLASS(TgxDBGridSummaryItem, TCollectionItem)
public:
    explicit TgxDBGridSummaryItem(TCollection* Collection) : TCollectionItem(Collection) {}

    const std::string& GetColumnName() const { return FColumnName; }
    void SetColumnName(const std::string& Value);
    TgxSummaryType GetSummaryType() const { return FSummaryType; }
    void SetSummaryType(TgxSummaryType Value);
    const std::string& GetSummaryField() const { return FSummaryField; }
    void SetSummaryField(const std::string& Value);
    const std::string& GetSummaryFormat() const { return FSummaryFormat; }
    void SetSummaryFormat(const std::string& Value);

    // Adjusts a record's value; the sender is the grouping column.
    TgxSummaryEvent OnSummary;
    // The field found for the item at the start of a load (nil when none), and its type.
    TField* FieldObj = nullptr;
    TFieldType FieldType = ftUnknown;

    void Assign(TPersistent* Source) override;

private:
    template <class T>
    void SetValue(T& Field, const T& Value);

    std::string FColumnName;
    TgxSummaryType FSummaryType = cstNone;
    std::string FSummaryField;
    std::string FSummaryFormat;
};

class TgxDBGridSummaryItems : public TCollection {
    LUMORA_CLASS(TgxDBGridSummaryItems, TCollection)
public:
    explicit TgxDBGridSummaryItems(TgxDBGridSummaryGroup* Owner = nullptr);
    ~TgxDBGridSummaryItems() override { Clear(); }
    TgxDBGridSummaryItem* GetItem(int Index) const {
        return static_cast<TgxDBGridSummaryItem*>(TCollection::GetItem(Index));
    }
    TgxDBGridSummaryItem* Add() { return static_cast<TgxDBGridSummaryItem*>(TCollection::Add()); }
    TgxDBGridSummaryGroup* GetGroup() const { return FGroup; }

protected:
    // A changed item relays the grid's layout (not while the grid loads).
    void Update(TCollectionItem* Item) override;

private:
    TgxDBGridSummaryGroup* FGroup;
};

class TgxDBGridSummaryGroup : public TCollectionItem {
    LUMORA_CLASS(TgxDBGridSummaryGroup, TCollectionItem)
public:
    explicit TgxDBGridSummaryGroup(TCollection* Collection);
    ~TgxDBGridSummaryGroup() override;

    std::string BeginSummaryText, EndSummaryText;
    bool GetDefaultGroup() const { return FDefaultGroup; }
    // True first clears it on every group of the collection.
    void SetDefaultGroup(bool Value);
    TgxDBGridSummaryItems* GetSummaryItems() const { return FSummaryItems; }
    void SetSummaryItems(TgxDBGridSummaryItems* Value);
    const std::string& GetName() const { return FName; }
    // Raises "invalidate group name !" for an empty name and "invalidate group name duplicate!"
    // for a name another group of the collection has (with case); the name then stays.
    void SetName(const std::string& Value);
    std::function<void(TgxDBGridSummaryGroup* Sender)> OnChangeName;

    // Copies the summary items only.
    void Assign(TPersistent* Source) override;
    std::string GetDisplayName() override { return FName.empty() ? TCollectionItem::GetDisplayName() : FName; }

private:
    bool FDefaultGroup = false;
    TgxDBGridSummaryItems* FSummaryItems;
    std::string FName;
};

class TgxDBGridSummaryGroups : public TCollection {
    LUMORA_CLASS(TgxDBGridSummaryGroups, TCollection)
public:
    explicit TgxDBGridSummaryGroups(TCustomgxDBGrid* Grid = nullptr);
    ~TgxDBGridSummaryGroups() override { Clear(); }
    TgxDBGridSummaryGroup* GetItem(int Index) const {
        return static_cast<TgxDBGridSummaryGroup*>(TCollection::GetItem(Index));
    }
    TgxDBGridSummaryGroup* Add() { return static_cast<TgxDBGridSummaryGroup*>(TCollection::Add()); }
    TCustomgxDBGrid* GetGrid() const { return FGrid; }
    // The first group marked DefaultGroup, nil when none.
    TgxDBGridSummaryGroup* GetDefaultGroup() const;

protected:
    // A change regroups the grid (not while it loads).
    void Update(TCollectionItem* Item) override;

private:
    TCustomgxDBGrid* FGrid;
};
