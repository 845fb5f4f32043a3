// The grid's stored layout: TRegIniWrapper over an INI file or a registry key, and the grid's
// loading and saving of its switches, bands and columns through it.

#include "dbgrid/db_grid_layout.h"

#include <map>

#include "dbgrid/db_grid.h"
#include "framework/forms.h"
#include "framework/ini_file.h"
#include "framework/registry.h"
#include "framework/string_list.h"
#include "framework/sysutils.h"

Integer TRegIniWrapper::ReadInteger(const std::string& Section, const std::string& Ident, Integer Default) {
    return FIniFile ? FIniFile->ReadInteger(Section, Ident, Default)
                    : FRegIniFile->ReadInteger(Section, Ident, Default);
}

void TRegIniWrapper::WriteInteger(const std::string& Section, const std::string& Ident, Integer Value) {
    if (FIniFile)
        FIniFile->WriteInteger(Section, Ident, Value);
    else
        FRegIniFile->WriteInteger(Section, Ident, Value);
}

bool TRegIniWrapper::ReadBool(const std::string& Section, const std::string& Ident, bool Default) {
    return FIniFile ? FIniFile->ReadBool(Section, Ident, Default) : FRegIniFile->ReadBool(Section, Ident, Default);
}

void TRegIniWrapper::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
    if (FIniFile)
        FIniFile->WriteBool(Section, Ident, Value);
    else
        FRegIniFile->WriteBool(Section, Ident, Value);
}

void TRegIniWrapper::ReadSections(TStrings* List) {
    if (FIniFile)
        FIniFile->ReadSections(List);
    else
        FRegIniFile->ReadSections(List);
}

void TRegIniWrapper::EraseSection(const std::string& Section) {
    if (FIniFile)
        FIniFile->EraseSection(Section);
    else
        FRegIniFile->EraseSection(Section);
}

// ---- the grid ---------------------------------------------------------------------------------

namespace {

// The section name without one trailing backslash.
std::string SectionOf(const std::string& Section) {
    if (!Section.empty() && Section.back() == '\\') return Section.substr(0, Section.size() - 1);
    return Section;
}

std::string BandSection(const std::string& S, Integer Index) {
    return S + "\\Band\\Band" + std::to_string(Index);
}

std::string ColumnSection(const std::string& S, TgxTreeListColumn* Column) {
    return S + "\\Columns\\" + Column->GetName();
}

// Items put in the order of their stored positions: the key is the position right-aligned in 11
// characters, so that text order is number order; a second item of an equal key stays out.
template <class T>
class PositionOrder {
public:
    void Add(Integer Position, T* Item) { FItems.emplace(Format("%11d", {Position}), Item); }
    template <class F>
    void Apply(F&& SetPosition) {
        Integer position = 0;
        for (auto& [key, item] : FItems) SetPosition(item, position++);
    }

private:
    std::map<std::string, T*> FItems;
};

}  // namespace

void TCustomgxDBGrid::LoadLayout(TRegIniWrapper* Store, const std::string& Section) {
    const std::string S = SectionOf(Section);
    const bool multiSort = IsMultiSort();
    InUpdateBracket([&] {
        BeginGrouping();
        if (multiSort) BeginSorting();
        try {
            SetShowGroupPanel(Store->ReadBool(S, "ShowGroupPanel", GetShowGroupPanel()));
            SetShowNewItemRow(Store->ReadBool(S, "ShowNewItemRow", GetShowNewItemRow()));
            SetShowGrid(Store->ReadBool(S, "ShowGrid", GetShowGrid()));
            SetShowPreviewGrid(Store->ReadBool(S, "ShowPreviewGrid", GetShowPreviewGrid()));
            SetShowRowFooter(Store->ReadBool(S, "ShowRowFooter", GetShowRowFooter()));
            SetShowSummaryFooter(Store->ReadBool(S, "ShowSummaryFooter", GetShowSummaryFooter()));
            SetBandRowCount(Store->ReadInteger(S, "BandRowCount", GetBandRowCount()));
            SetDefaultRowHeight(Store->ReadInteger(S, "DefaultRowHeight", GetDefaultRowHeight()));
            const Integer headerRows =
                Store->ReadInteger(S, "HeaderPanelRowCount", IsAutoHeaderPanelHeight() ? -1 : GetHeaderPanelRowCount());
            if (headerRows != -1) SetHeaderPanelRowCount(headerRows);

            TgxTreeListBands* bands = GetBands();
            PositionOrder<TgxTreeListBand> bandOrder;
            for (Integer n = 0; n < bands->GetCount(); ++n) {
                const std::string section = BandSection(S, n);
                const Integer id = Store->ReadInteger(section, "ID", -1);
                auto* band = id == -1 ? nullptr : static_cast<TgxTreeListBand*>(bands->FindItemID(id));
                if (!band) continue;
                band->SetVisible(Store->ReadBool(section, "Visible", band->GetVisible()));
                band->SetWidth(Store->ReadInteger(section, "Width", band->GetWidth()));
                bandOrder.Add(Store->ReadInteger(section, "Index", band->GetIndex()), band);
            }
            bandOrder.Apply([](TgxTreeListBand* Band, Integer Position) { Band->SetIndex(Position); });

            PositionOrder<TgxTreeListColumn> columnOrder;
            for (Integer i = 0; i < GetColumnCount(); ++i) {
                TgxTreeListColumn* column = GetColumn(i);
                const std::string section = ColumnSection(S, column);
                column->SetVisible(Store->ReadBool(section, "Visible", column->GetVisible()));
                if (auto* dbColumn = dynamic_cast<TgxDBTreeListColumn*>(column))
                    dbColumn->SetGroupIndex(Store->ReadInteger(section, "GroupIndex", dbColumn->GetGroupIndex()));
                column->SetWidth(Store->ReadInteger(section, "Width", column->GetWidth()));
                const Integer sorted = Store->ReadInteger(section, "Sorted", column->GetSorted());
                if (sorted >= csNone && sorted <= csUp) column->SetSorted(static_cast<TgxTreeListColumnSort>(sorted));
                column->SetStoredSortedOrder(Store->ReadInteger(section, "SortedOrder", -1));
                columnOrder.Add(Store->ReadInteger(section, "Index", column->GetIndex()), column);
            }
            columnOrder.Apply([](TgxTreeListColumn* Column, Integer Position) { Column->SetIndex(Position); });

            LockColumnChanges();
            try {
                for (Integer i = 0; i < GetColumnCount(); ++i) {
                    TgxTreeListColumn* column = GetColumn(i);
                    const std::string section = ColumnSection(S, column);
                    column->SetBandIndex(Store->ReadInteger(section, "BandIndex", column->GetBandIndex()));
                    column->SetRowIndex(Store->ReadInteger(section, "RowIndex", column->GetRowIndex()));
                    column->SetStoredRowIndex(
                        Store->ReadInteger(section, "StoredRowIndex", column->GetStoredRowIndex()));
                }
            } catch (...) {
                UnlockColumnChanges();
                throw;
            }
            UnlockColumnChanges();
            NormalizeColumnRows();
        } catch (...) {
            if (multiSort) EndSorting();
            EndGrouping();
            throw;
        }
        if (multiSort) {
            RebuildSortedColumns();
            EndSorting();
        }
        EndGrouping();
    });
    LayoutChanged();
}

void TCustomgxDBGrid::SaveLayout(TRegIniWrapper* Store, const std::string& Section) {
    const std::string S = SectionOf(Section);
    if (Store->IsIniFile()) {
        // The section and those below it only: "Grid1" must not take "Grid10" with it.
        TStringList sections;
        Store->ReadSections(&sections);
        for (int i = 0; i < sections.GetCount(); ++i) {
            const std::string name = sections.Get(i);
            if (name == S || name.rfind(S + "\\", 0) == 0) Store->EraseSection(name);
        }
    }
    Store->WriteBool(S, "ShowGroupPanel", GetShowGroupPanel());
    Store->WriteBool(S, "ShowNewItemRow", GetShowNewItemRow());
    Store->WriteBool(S, "ShowGrid", GetShowGrid());
    Store->WriteBool(S, "ShowPreviewGrid", GetShowPreviewGrid());
    Store->WriteBool(S, "ShowRowFooter", GetShowRowFooter());
    Store->WriteBool(S, "ShowSummaryFooter", GetShowSummaryFooter());
    Store->WriteInteger(S, "BandRowCount", GetBandRowCount());
    Store->WriteInteger(S, "DefaultRowHeight", GetDefaultRowHeight());
    Store->WriteInteger(S, "HeaderPanelRowCount", IsAutoHeaderPanelHeight() ? -1 : GetHeaderPanelRowCount());
    TgxTreeListBands* bands = GetBands();
    for (Integer n = 0; n < bands->GetCount(); ++n) {
        TgxTreeListBand* band = bands->GetItem(n);
        const std::string section = BandSection(S, n);
        Store->WriteInteger(section, "ID", band->GetID());
        Store->WriteBool(section, "Visible", band->GetVisible());
        Store->WriteInteger(section, "Index", band->GetIndex());
        Store->WriteInteger(section, "Width", band->GetWidth());
    }
    for (Integer i = 0; i < GetColumnCount(); ++i) {
        TgxTreeListColumn* column = GetColumn(i);
        const std::string section = ColumnSection(S, column);
        auto* dbColumn = dynamic_cast<TgxDBTreeListColumn*>(column);
        Store->WriteInteger(section, "BandIndex", column->GetBandIndex());
        Store->WriteInteger(section, "RowIndex", column->GetRowIndex());
        Store->WriteInteger(section, "ColIndex", column->GetColIndex());
        Store->WriteBool(section, "Visible", column->GetVisible());
        Store->WriteInteger(section, "Index", column->GetIndex());
        Store->WriteInteger(section, "GroupIndex", dbColumn ? dbColumn->GetGroupIndex() : -1);
        Store->WriteInteger(section, "Width", column->GetWidth());
        Store->WriteInteger(section, "Sorted", column->GetSorted());
        Store->WriteInteger(section, "SortedOrder", column->GetSortedOrder());
        Store->WriteInteger(section, "StoredRowIndex", column->GetStoredRowIndex());
    }
}

std::string TCustomgxDBGrid::LayoutSection() {
    if (!FIniSectionName.empty()) return FIniSectionName;
    if (TCustomForm* form = GetParentForm(this)) FParentFormName = form->GetName();
    return FParentFormName + "_" + GetName();
}

void TCustomgxDBGrid::LoadFromIniFile(const std::string& FileName) {
    TIniFile ini(FileName);
    TRegIniWrapper store(&ini);
    LoadLayout(&store, LayoutSection());
}

void TCustomgxDBGrid::SaveToIniFile(const std::string& FileName) {
    TIniFile ini(FileName);
    TRegIniWrapper store(&ini);
    SaveLayout(&store, LayoutSection());
    ini.UpdateFile();
}

void TCustomgxDBGrid::LoadFromRegistry(const std::string& Path) {
    TRegIniFile registry("");
    if (!registry.KeyExists(SectionOf(Path))) return;
    TRegIniWrapper store(&registry);
    LoadLayout(&store, Path);
}

void TCustomgxDBGrid::SaveToRegistry(const std::string& Path) {
    TRegIniFile registry("");
    TRegIniWrapper store(&registry);
    SaveLayout(&store, Path);
}

void TCustomgxDBGrid::LoadStoredLayout() {
    if (FOptions.Contains(egoStoreToRegistry) && !FRegistryPath.empty()) LoadFromRegistry(FRegistryPath);
    if (FOptions.Contains(egoStoreToIniFile) && !FIniFileName.empty()) LoadFromIniFile(FIniFileName);
}

void TCustomgxDBGrid::SaveStoredLayout() {
    // Nothing leaves a destructor: a store that cannot be written is reported.
    try {
        if (FOptions.Contains(egoStoreToRegistry) && !FRegistryPath.empty()) SaveToRegistry(FRegistryPath);
        if (FOptions.Contains(egoStoreToIniFile) && !FIniFileName.empty()) SaveToIniFile(FIniFileName);
    } catch (...) {
        Application->HandleException(this);
    }
}
