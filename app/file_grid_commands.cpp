// The file grid's commands: the sort menu, the header menu, the grid settings menu and the grid
// actions (file_grid_presenter.h).

#include "app/file_grid_presenter.h"
#include "app/menu_building.h"
#include "catalogue/file_list.h"
#include "catalogue/thumb_grid.h"
#include "dbgrid/db_grid.h"
#include "framework/actions.h"
#include "framework/dialog_service.h"
#include "framework/menus.h"
#include "framework/sysutils.h"

namespace {

TMenuItem* NewItem(TComponent* Owner, TMenuItem* Parent, const std::string& Caption, TNotifyEvent OnClick,
                   Integer Tag = 0) {
    return CreateMenuItem(Owner, Parent, Caption, "", true, false, -1, Tag, std::move(OnClick));
}

}  // namespace

// ---- sorting ---------------------------------------------------------------------------------------

void TFileGridPresenter::GenerateSortMenuItems(TMenuItem* Item) {
    if (!Item || !FGrid) return;
    Item->Clear();
    const bool folders = Window.BrowseMode && Window.BrowseMode() == 3;
    TgxTreeListColumn* listed[] = {FColumns.Filename, folders ? nullptr : FColumns.Path,
                                   FColumns.Size,     FColumns.LMType,
                                   FColumns.FileType, FColumns.Date};
    auto sortClick = [this](TObject* S) { mkSortClick(S); };
    TgxTreeListColumn* sorted = nullptr;
    for (TgxTreeListColumn* column : listed) {
        if (!column) continue;
        TMenuItem* item = NewItem(this, Item, "Sort by " + column->GetCaption(), sortClick, column->GetIndex());
        if (column->GetSorted() != csNone) {
            item->SetChecked(true);
            sorted = column;
        }
    }
    NewItem(this, Item, "No Sorting", [this](TObject* S) { mkClearSortClick(S); })->SetChecked(!sorted);
    NewItem(this, Item, "-", nullptr);
    NewItem(this, Item, "Ascending", sortClick, sorted ? sorted->GetIndex() : 0)
        ->SetChecked(!sorted || sorted->GetSorted() == csUp);
}

void TFileGridPresenter::mkSortClick(TObject* Sender) {
    try {
        auto* item = dynamic_cast<TComponent*>(Sender);
        if (!item || !FGrid) return;
        TgxTreeListColumn* column = FGrid->GetColumn(item->GetTag());
        column->SetSorted(column->GetSorted() == csUp ? csDown : csUp);
        if (InThumbnailView()) FList->Refresh();
    } catch (...) {}
}

void TFileGridPresenter::mkClearSortClick(TObject*) {
    try {
        if (!FGrid) return;
        if (TgxDBTreeListColumn* column = FGrid->GetSortedDBColumn()) column->SetSorted(csNone);
        if (InThumbnailView()) FList->Refresh();
    } catch (...) {}
}

void TFileGridPresenter::FileGridColumnSorting(TObject*, TgxDBTreeListColumn*, bool&) {
    // The bookmark list is saved in the order shown.
    if (Window.BrowseMode && Window.BrowseMode() == 4 && Window.BookmarkListChanged) Window.BookmarkListChanged();
}

// ---- the header menu -------------------------------------------------------------------------------

void TFileGridPresenter::SetHeaderColumn(TgxTreeListColumn* Column) {
    FHeaderColumn = Column;
    if (Column) FreeNotification(Column);
}

void TFileGridPresenter::PopupHeaderMenu(TgxTreeListColumn* Column, Integer X, Integer Y) {
    SetHeaderColumn(Column);
    const TgxTreeListColumnSort sort = Column ? Column->GetSorted() : csNone;
    pukSortAscending->SetChecked(sort == csUp);
    pukSortDescending->SetChecked(sort == csDown);
    auto* dbColumn = dynamic_cast<TgxDBTreeListColumn*>(Column);
    pukGroupByThisField->SetEnabled(dbColumn && FGrid && dbColumn->GetGroupIndex() < 0 &&
                                    FGrid->CanAddGroupColumn(dbColumn));
    pmHeader->Popup(X, Y);
}

void TFileGridPresenter::SortHeaderColumn(TgxTreeListColumnSort Sort) {
    if (FHeaderColumn) FHeaderColumn->SetSorted(Sort);
}

void TFileGridPresenter::pukSortAscendingClick(TObject*) {
    SortHeaderColumn(csUp);
}

void TFileGridPresenter::pukSortDescendingClick(TObject*) {
    SortHeaderColumn(csDown);
}

void TFileGridPresenter::pukGroupByThisFieldClick(TObject*) {
    if (auto* column = dynamic_cast<TgxDBTreeListColumn*>(FHeaderColumn); column && FGrid)
        column->SetGroupIndex(FGrid->GetGroupColumnCount());
}

void TFileGridPresenter::pukRemoveThisColumnClick(TObject*) {
    if (FHeaderColumn) FHeaderColumn->SetVisible(false);
}

void TFileGridPresenter::pukBestFitClick(TObject*) {
    if (FHeaderColumn && FGrid) FGrid->ApplyBestFit(FHeaderColumn);
}

void TFileGridPresenter::pukBestFitallcolumnsClick(TObject*) {
    if (FGrid) FGrid->ApplyBestFit(nullptr);
}

// ---- the actions -----------------------------------------------------------------------------------

void TFileGridPresenter::BuildActions() {
    auto make = [this](const char* Name, const char* Caption, void (TFileGridPresenter::*Execute)(TObject*),
                       bool DetailsOnly) {
        auto* action = new TAction(this);
        action->SetName(Name);
        action->SetCaption(Caption);
        action->SetCategory("Grid");
        action->OnExecute = [this, Execute](TObject* S) { (this->*Execute)(S); };
        if (DetailsOnly) action->OnUpdate = [this](TObject*) { UpdateGridActions(); };
        return action;
    };
    actGridGrouper = make("actGridGrouper", "Display Grouping Area", &TFileGridPresenter::actGridGrouperExecute, true);
    actGridColumnSelector = make("actGridColumnSelector", "Display Column Selector..",
                                 &TFileGridPresenter::actGridColumnSelectorExecute, true);
    actGridColumnWidth =
        make("actGridColumnWidth", "Set Column Width", &TFileGridPresenter::actGridColumnWidthExecute, false);
    actGridPreview = make("actGridPreview", "Show Description", &TFileGridPresenter::actGridPreviewExecute, true);
    actGridCollapseAll =
        make("actGridCollapseAll", "Collapse All", &TFileGridPresenter::actGridCollapseAllExecute, true);
    actGridExpandAll = make("actGridExpandAll", "Expand All", &TFileGridPresenter::actGridExpandAllExecute, true);
    actGridSelectAll = make("actGridSelectAll", "Select All", &TFileGridPresenter::actGridSelectAllExecute, false);
    actGridSelectAll->SetShortCut(ShortCut('A', {ssCtrl}));
}

void TFileGridPresenter::UpdateGridActions() {
    const bool details = DisplayMode() == 0;
    for (TAction* a : {actGridGrouper, actGridColumnSelector, actGridPreview, actGridCollapseAll, actGridExpandAll})
        a->SetEnabled(details);
}

void TFileGridPresenter::BuildMenus() {
    pmHeader = new TPopupMenu(this);
    pmHeader->SetName("pmHeader");
    TMenuItem* header = pmHeader->GetItems();
    pukSortAscending = NewItem(this, header, "Sort &Ascending", [this](TObject* S) { pukSortAscendingClick(S); });
    pukSortDescending = NewItem(this, header, "Sort &Descending", [this](TObject* S) { pukSortDescendingClick(S); });
    NewItem(this, header, "-", nullptr);
    pukGroupByThisField =
        NewItem(this, header, "Group By This Field", [this](TObject* S) { pukGroupByThisFieldClick(S); });
    mkShowGroupingArea = CreateActionMenuItem(this, header, actGridGrouper);
    NewItem(this, header, "-", nullptr);
    pukRemoveThisColumn =
        NewItem(this, header, "&Remove This Column", [this](TObject* S) { pukRemoveThisColumnClick(S); });
    pukColumnSelector = CreateActionMenuItem(this, header, actGridColumnSelector);
    NewItem(this, header, "-", nullptr);
    pukBestFit = NewItem(this, header, "Best &Fit", [this](TObject* S) { pukBestFitClick(S); });
    pukBestFitallcolumns =
        NewItem(this, header, "Best Fit (all columns)", [this](TObject* S) { pukBestFitallcolumnsClick(S); });
    pukSortAscending->SetName("pukSortAscending");
    pukSortDescending->SetName("pukSortDescending");
    pukGroupByThisField->SetName("pukGroupByThisField");
    mkShowGroupingArea->SetName("mkShowGroupingArea");
    pukRemoveThisColumn->SetName("pukRemoveThisColumn");
    pukColumnSelector->SetName("pukColumnSelector");
    pukBestFit->SetName("pukBestFit");
    pukBestFitallcolumns->SetName("pukBestFitallcolumns");

    PopFileGrid = new TPopupMenu(this);
    PopFileGrid->SetName("PopFileGrid");
    TMenuItem* grid = PopFileGrid->GetItems();
    mkGridSorting = NewItem(this, grid, "File Sorting", nullptr);
    NewItem(this, grid, "-", nullptr);
    for (TAction* a : {actGridGrouper, actGridColumnSelector, actGridColumnWidth, actGridPreview, actGridCollapseAll,
                       actGridExpandAll, actGridSelectAll})
        CreateActionMenuItem(this, grid, a);
    PopFileGrid->OnPopup = [this](TObject*) { GenerateSortMenuItems(mkGridSorting); };
}

void TFileGridPresenter::actGridGrouperExecute(TObject*) {
    actGridGrouper->SetChecked(!actGridGrouper->GetChecked());
    if (FGrid) FGrid->SetShowGroupPanel(actGridGrouper->GetChecked());
}

void TFileGridPresenter::actGridColumnSelectorExecute(TObject*) {
    actGridColumnSelector->SetChecked(!actGridColumnSelector->GetChecked());
    if (!FGrid) return;
    if (actGridColumnSelector->GetChecked())
        FGrid->ColumnsCustomizing();
    else
        FGrid->EndColumnsCustomizing();
}

void TFileGridPresenter::FileGridEndColumnsCustomizing(TObject*) {
    actGridColumnSelector->SetChecked(false);
}

void TFileGridPresenter::actGridPreviewExecute(TObject*) {
    actGridPreview->SetChecked(!actGridPreview->GetChecked());
    if (!FGrid) return;
    TgxDBGridOptions options = FGrid->GetOptions();
    if (actGridPreview->GetChecked())
        options.Include(egoPreview);
    else
        options.Exclude(egoPreview);
    FGrid->SetOptions(options);
}

void TFileGridPresenter::actGridCollapseAllExecute(TObject*) {
    if (FGrid) FGrid->FullCollapse();
}

void TFileGridPresenter::actGridExpandAllExecute(TObject*) {
    if (FGrid) FGrid->FullExpand();
}

void TFileGridPresenter::actGridSelectAllExecute(TObject*) {
    if (FList) FList->SelectAll();
    if (Window.SelectionStatus) Window.SelectionStatus();
}

void TFileGridPresenter::actGridColumnWidthExecute(TObject*) {
    const Integer mode = DisplayMode();
    if (mode == 0) {
        if (FGrid) FGrid->ApplyBestFit(FHeaderColumn);
        return;
    }
    if (mode == 1) {
        MessageDlg(
            "Column Widths for thumbnails cannot be adjusted automatically.  Please specify the thumbnail "
            "properties under Options",
            mtInformation, {mbOK});
        return;
    }
    if ((mode != 2 && mode != 3) || !FThumbs) return;
    std::string value = IntToStr(mode == 2 ? FThumbs->GetIconInfoColumnWidth() : FThumbs->GetFilenameColumnWidth());
    if (!InputQuery("Column Width", "Please specify the column width", value)) return;
    Integer width = 0;
    // A width must leave a column to show.
    if (!TryStrToInt(Trim(value), width) || width < 1) {
        MessageDlg("You failed to enter a valid column width", mtWarning, {mbOK});
        return;
    }
    if (mode == 2)
        FThumbs->SetIconInfoColumnWidth(width);
    else
        FThumbs->SetFilenameColumnWidth(width);
    FThumbs->Invalidate();
}
