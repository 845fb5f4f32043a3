// The data-aware grid over a memory table with the file-table fields, listing a folder (without
// one, a temporary folder filled with files of several kinds): grouped by file type with the
// number of files in each group row and in the footer, the group panel shown.
// "dbgrid_demo [FOLDER] --png FILE" saves what the form shows; without --png the form runs.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "dbgrid/db_grid.h"
#include "dbgrid/mem_data.h"
#include "demo/demo_start.h"
#include "framework/data_source.h"
#include "framework/file_utils.h"
#include "framework/sysutils.h"

namespace {

// The kinds the demo tells apart by extension, in the order of their codes.
const char* const KindNames[] = {"Image", "Text", "Sound", "Video", "Office", "Other"};

Integer KindOf(const std::string& Extension) {
    static const std::vector<std::pair<std::string, Integer>> kinds = {
        {".jpg", 0}, {".jpeg", 0}, {".png", 0}, {".gif", 0}, {".bmp", 0}, {".tif", 0}, {".txt", 1},
        {".ini", 1}, {".log", 1},  {".mp3", 2}, {".wav", 2}, {".ogg", 2}, {".avi", 3}, {".mp4", 3},
        {".mkv", 3}, {".doc", 4},  {".odt", 4}, {".xls", 4}, {".pdf", 4}};
    for (const auto& [extension, kind] : kinds)
        if (SameText(extension, Extension)) return kind;
    return 5;
}

// A temporary folder with a few files of each kind.
std::string MakeSampleFolder() {
    char pattern[] = "/tmp/dbgrid_demo_XXXXXX";
    if (!mkdtemp(pattern)) return {};
    const char* const names[] = {"beach.jpg",  "dog.png",    "logo.gif",  "notes.txt",  "readme.txt",
                                 "setup.ini",  "song.mp3",   "chime.wav", "clip.avi",   "holiday.mp4",
                                 "report.doc", "budget.xls", "paper.pdf", "archive.7z", "photo.jpeg"};
    int size = 100;
    for (const char* name : names) std::ofstream(std::string(pattern) + "/" + name) << std::string(size += 357, 'x');
    return pattern;
}

void RemoveFolder(const std::string& Folder) {
    TSearchRec rec;
    if (FindFirst(Folder + "/*", 0, rec) == 0) {
        do std::remove((Folder + "/" + rec.Name).c_str());
        while (FindNext(rec) == 0);
        FindClose(rec);
    }
    rmdir(Folder.c_str());
}

template <class F>
F* AddField(TgxMemData* Table, const std::string& Name, Integer Size = 0) {
    auto* field = new F(Table->GetOwner());
    field->SetFieldName(Name);
    if (Size) field->SetSize(Size);
    field->SetDataSet(Table);
    return field;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string png = StartDemo(argc, argv, "Data-aware grid demo");
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--png") == 0) {
            ++i;
            continue;
        }
        folder = argv[i];
    }
    const bool sample = folder.empty();
    if (sample) folder = MakeSampleFolder();

    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetCaption("Data-aware grid demo: " + folder);
    form->SetBounds(40, 40, 760, 480);

    // The file-table fields.
    auto* table = new TgxMemData(form);
    table->SetName("memFiles");
    AddField<TAutoIncField>(table, "KeyID");
    auto* fileId = AddField<TIntegerField>(table, "FileID");
    auto* fileName = AddField<TStringField>(table, "Filename", 100);
    auto* pathId = AddField<TIntegerField>(table, "PathID");
    auto* path = AddField<TStringField>(table, "Path", 250);
    auto* extension = AddField<TStringField>(table, "OriginalExtension", 5);
    auto* kind = AddField<TIntegerField>(table, "LMFileType");
    auto* date = AddField<TDateTimeField>(table, "FileDate");
    auto* size = AddField<TIntegerField>(table, "FileSize");
    auto* storage = AddField<TIntegerField>(table, "StorageMethod");
    table->Open();
    TSearchRec rec;
    if (FindFirst(IncludeTrailingPathDelimiter(folder) + "*", 0, rec) == 0) {
        do {
            table->Append();
            fileId->SetAsInteger(-5);
            fileName->SetAsString(rec.Name);
            pathId->SetAsInteger(-5);
            path->SetAsString(folder);
            extension->SetAsString(ExtractFileExt(rec.Name).substr(0, 5));
            kind->SetAsInteger(KindOf(ExtractFileExt(rec.Name)));
            date->SetAsDateTime(rec.TimeStamp);
            size->SetAsInteger(Integer(rec.Size));
            storage->SetAsInteger(-5);
            table->Post();
        } while (FindNext(rec) == 0);
        FindClose(rec);
    }
    table->First();
    auto* source = new TDataSource(form);
    source->SetDataSet(table);

    auto* grid = new TgxDBGrid(form);
    grid->SetName("FileGrid");
    grid->SetParent(form);
    grid->SetAlign(alClient);
    grid->SetOptions(grid->GetOptions() + TgxDBGridOptions{egoLoadAllRecords});
    auto column = [&](const char* Field, const char* Caption, Integer Width) {
        auto* c = static_cast<TgxDBGridColumn*>(grid->CreateColumn(TgxDBGridColumn::StaticClass(), form));
        c->SetFieldName(Field);
        c->SetCaption(Caption);
        c->SetWidth(Width);
        return c;
    };
    TgxDBGridColumn* nameColumn = column("Filename", "Name", 220);
    column("OriginalExtension", "Extension", 80);
    TgxDBGridColumn* kindColumn = column("LMFileType", "Type", 90);
    column("FileSize", "Size", 90);
    column("FileDate", "Date", 160);
    kindColumn->OnGetText = [](TObject*, TgxTreeListNode*, std::string& Text) {
        const Integer code = StrToIntDef(Text, -1);
        if (code >= 0 && code < Integer(std::size(KindNames))) Text = KindNames[code];
    };
    kindColumn->SetSummaryType(cstCount);
    kindColumn->SummaryFormat = "(# Files)";
    nameColumn->SummaryFooterType = cstCount;
    nameColumn->SummaryFooterFormat = "# files";
    grid->SetShowSummaryFooter(true);
    grid->SetShowGroupPanel(true);
    grid->SetKeyField("KeyID");
    grid->SetDataSource(source);
    kindColumn->SetGroupIndex(0);
    grid->FullExpand();
    grid->SetTopIndex(0);

    int status = 0;
    if (!png.empty()) {
        uitest::ShowForm(form);
        uitest::ProcessEvents();
        status = SaveDemoPng(form, png) ? 0 : 1;
    } else {
        form->Show();
        Application->Run();
    }
    if (sample) RemoveFolder(folder);
    return status;
}
