// The main window's file grid presentation: the presenter over FileGrid and its layout as the
// settings store keeps it.

#include "app/file_grid_presenter.h"
#include "app/main_window.h"
#include "catalogue/thumb_grid.h"
#include "dbgrid/db_grid.h"

void TfrmMain::SetupFileGridPresentation() {
    if (!FileGrid || FileGridPresenter) return;
    TFileGridWindow window;
    window.FileSizeDetailLevel = [this] { return Settings.FileSizeDetailLevel; };
    window.FullScreen = [this] { return FullScreen; };
    window.DisplayInitialised = [this] { return State.DisplayReady; };
    window.BrowseMode = [this] { return Mode; };
    window.SelectionStatus = [this] { doselectstatus(); };
    window.CacheFolder = [this] { return CacheFolder; };
    FileGridPresenter =
        new TFileGridPresenter(this, FileGrid, FileGridColumns, GridControl, ThumbGrid, ImgFunc, window);
    // Leaving the grid or pressing beside the thumbnails ends any drag press.
    FileGrid->OnExit = [this](TObject*) { DragStartPoint = {-1, -1}; };
    if (ThumbGrid)
        ThumbGrid->OnNonCellMouseDown = [this](TObject*, TMouseButton, TShiftState, Integer, Integer) {
            DragStartPoint = {-1, -1};
        };
}

bool TfrmMain::FileGridLayout(TGridLayout& Layout) {
    return FileGrid && FileGridPresenter && FileGridPresenter->GetLayout(Layout);
}

void TfrmMain::ApplyFileGridLayout(const TGridLayout& Layout) {
    if (FileGrid && FileGridPresenter) FileGridPresenter->ApplyLayout(Layout);
}
