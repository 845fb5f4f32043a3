#include "catalogue/file_grid_columns.h"

#include <string>

#include "catalogue/file_list.h"
#include "catalogue/thumb_grid.h"
#include "dbgrid/db_grid.h"

namespace {

struct TColumnRow {
    TgxDBGridColumn* TFileGridColumns::*Member;
    const char* Name;
    const char* Caption;  // "" keeps the field name
    const char* Field;
    bool Visible;
    Integer Width;  // 0 keeps the default
    unsigned Flags = 0;
    const char* FooterFormat = "";  // with fFooterCount; "" keeps the grid's
};

// What a column may do and shows beyond its text.
enum : unsigned {
    fNoCaption = 1,  // the caption is not drawn
    fFixedWidth = 2,  // the user cannot size it
    fNotCustomisable = 4,  // not offered by the column customizing window
    fNotGroupable = 8,
    fFooterCount = 16,  // the grid's footer counts its files
    fGroupCount = 32,  // its group rows count their files
    fSortedDown = 64,
};

const char* const FilesCount = "(# Files)";

const TColumnRow ColumnTable[] = {
    {&TFileGridColumns::Icon, "FileGridIcon", "Icon", "OriginalExtension", true, 20, fNoCaption | fFixedWidth},
    {&TFileGridColumns::FileID, "FileGridFileID", "", "FileID", false, 0, fNotCustomisable | fNotGroupable},
    {&TFileGridColumns::Filename, "FileGridFilename", "", "Filename", true, 90, fSortedDown},
    {&TFileGridColumns::Path, "FileGridPath", "", "Path", false, 100, fFooterCount, FilesCount},
    {&TFileGridColumns::PathID, "FileGridPathID", "", "PathID", false, 0, fNotCustomisable | fFooterCount},
    {&TFileGridColumns::Size, "FileGridSize", "File Size", "FileSize", true, 70},
    {&TFileGridColumns::LMType, "FileGridLMType", "LM Type", "LMFileType", true, 70, fGroupCount | fFooterCount,
     FilesCount},
    {&TFileGridColumns::FileType, "FileGridFileType", "Windows Type", "OriginalExtension", true, 70, fFooterCount},
    {&TFileGridColumns::Date, "FileGridDate", "File Date", "FileDate", true, 70},
    {&TFileGridColumns::Attributes, "FileGridAttributes", "Attributes", "OriginalExtension", false, 50, fNotGroupable},
    {&TFileGridColumns::Description, "FileGridDescription", "", "Description", false, 120},
    {&TFileGridColumns::StorageMethod, "FileGridStorageMethod", "", "StorageMethod", true, 60},
    {&TFileGridColumns::Dimensions, "FileGridDimensions", "Dimensions", "OriginalExtension", true, 75, fNotGroupable},
};

}  // namespace

TFileGridColumns CreateFileGridColumns(TgxDBGrid* Grid, TComponent* Owner) {
    TFileGridColumns cols;
    for (const TColumnRow& row : ColumnTable) {
        auto* c = static_cast<TgxDBGridColumn*>(Grid->CreateColumn(TgxDBGridColumn::StaticClass(), Owner));
        c->SetName(row.Name);
        c->SetFieldName(row.Field);
        if (*row.Caption) c->SetCaption(row.Caption);
        if (row.Width > 0) c->SetWidth(row.Width);
        c->SetVisible(row.Visible);
        c->SetDisableCaption(row.Flags & fNoCaption);
        c->SetSizing(!(row.Flags & fFixedWidth));
        c->SetDisableCustomizing(row.Flags & fNotCustomisable);
        c->SetDisableGrouping(row.Flags & fNotGroupable);
        if (row.Flags & fFooterCount) {
            c->SummaryFooterType = cstCount;
            c->SummaryFooterField = row.Field;
            c->SummaryFooterFormat = row.FooterFormat;
        }
        if (row.Flags & fGroupCount) {
            c->SetSummaryType(cstCount);
            c->SummaryField = row.Field;
            c->SummaryFormat = FilesCount;
        }
        if (row.Flags & fSortedDown) c->SetSorted(csDown);
        cols.*row.Member = c;
    }
    Grid->SetKeyField("KeyID");
    Grid->SetPreviewFieldName("Description");
    Grid->SetShowRowFooter(true);
    Grid->SetShowGrid(false);
    return cols;
}

void BindFileGridColumns(const TFileGridColumns& Columns, TLMFileList2* List, TgxThumbGrid2* Thumbs) {
    if (List) {
        List->NodeFilename = Columns.Filename;
        List->NodePath = Columns.Path;
        List->NodeSize = Columns.Size;
        List->NodeDate = Columns.Date;
        List->NodeFileID = Columns.FileID;
        List->NodePathID = Columns.PathID;
        List->NodeLMType = Columns.LMType;
        List->NodeDescription = Columns.Description;
        List->NodeFileType = Columns.FileType;
        List->NodeOriginalExtension = Columns.Icon;
        List->NodeStorageMethod = Columns.StorageMethod;
    }
    if (Thumbs) {
        Thumbs->NodeFilename = Columns.Filename;
        Thumbs->NodePath = Columns.Path;
        Thumbs->NodeSize = Columns.Size;
        Thumbs->NodeDate = Columns.Date;
    }
}
