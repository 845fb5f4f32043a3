#pragma once
// The details grid of the file tables (folder listing and bookmarks): its thirteen columns in their
// order, with fields, captions, widths and flags, and how the file-list controller and the
// thumbnail grid are bound to them. The column texts and drawing are hooked on by the window that
// shows the grid.

class TComponent;
class TgxDBGrid;
class TgxDBGridColumn;
class TLMFileList2;
class TgxThumbGrid2;

struct TFileGridColumns {
    TgxDBGridColumn* Icon = nullptr;
    TgxDBGridColumn* FileID = nullptr;
    TgxDBGridColumn* Filename = nullptr;
    TgxDBGridColumn* Path = nullptr;
    TgxDBGridColumn* PathID = nullptr;
    TgxDBGridColumn* Size = nullptr;
    TgxDBGridColumn* LMType = nullptr;
    TgxDBGridColumn* FileType = nullptr;
    TgxDBGridColumn* Date = nullptr;
    TgxDBGridColumn* Attributes = nullptr;
    TgxDBGridColumn* Description = nullptr;
    TgxDBGridColumn* StorageMethod = nullptr;
    TgxDBGridColumn* Dimensions = nullptr;
};

// Makes the columns on Grid, owned by Owner and named FileGridIcon ... FileGridDimensions, and
// sets the grid's key field "KeyID" and preview field "Description", with the row footer shown
// and the grid lines hidden. The file name column starts sorted descending.
TFileGridColumns CreateFileGridColumns(TgxDBGrid* Grid, TComponent* Owner);

// The controller's and the thumbnail grid's node columns (either may be null).
void BindFileGridColumns(const TFileGridColumns& Columns, TLMFileList2* List, TgxThumbGrid2* Thumbs);
