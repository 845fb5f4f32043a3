// The thumbnail grid over a small folder: a JPEG, a PNG, a GIF, a TIFF, a BMP, a text file and
// the row of a file that is gone, with a current and two selected cells. "thumb_grid --png FILE"
// saves it once every thumbnail is made; "--type large|info|name" picks the layout (large icons
// by default). The folder is made beside FILE (or in the temporary folder) and removed again.

#include <filesystem>
#include <fstream>
#include <string>

#include "catalogue/file_grid_columns.h"
#include "catalogue/img_functions.h"
#include "catalogue/temp_db.h"
#include "catalogue/thumb_grid.h"
#include "dbgrid/db_grid.h"
#include "dbgrid/mem_data.h"
#include "demo/demo_start.h"
#include "framework/data_source.h"
#include "framework/dataset.h"
#include "framework/file_utils.h"
#include "framework/graphics.h"
#include "imaging/formats/lzw_coders.h"

namespace {

// A picture with a few shapes, so that each format's thumbnail looks like something.
void DrawSample(TBitmap* B, Integer W, Integer H, TColor Back, TColor Front) {
    B->SetPixelFormat(pf24bit);
    B->SetSize(W, H);
    TCanvas* c = B->GetCanvas();
    c->GetBrush()->SetColor(Back);
    c->FillRect(TRect(0, 0, W, H));
    c->GetBrush()->SetColor(Front);
    c->GetPen()->SetColor(clBlack);
    c->Ellipse(W / 8, H / 8, W / 2, H * 7 / 8);
    c->GetBrush()->SetColor(clYellow);
    c->Rectangle(W / 2, H / 4, W * 7 / 8, H * 3 / 4);
}

void MakeFolder(const std::string& Dir) {
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir);
    InstallLZWCoders();  // the GIF writer's coder
    TImgFunctions img(nullptr);
    struct Sample {
        const char* Name;
        Integer W, H;
        TColor Back, Front;
    } samples[] = {{"beach.jpg", 640, 480, TColor(0xE0B060), clRed},
                   {"logo.png", 200, 200, clWhite, clGreen},
                   {"anim.gif", 120, 90, clSilver, clBlue},
                   {"scan.tif", 300, 400, TColor(0xD0E0F0), clPurple},
                   {"icon.bmp", 64, 64, clAqua, clMaroon}};
    for (const Sample& s : samples) {
        TBitmap b;
        DrawSample(&b, s.W, s.H, s.Back, s.Front);
        img.SaveBitmapToFile(&b, Dir + s.Name, false, std::string(s.Name).ends_with(".gif"), 85);
    }
    std::ofstream(Dir + "notes.txt") << "A text file: shown with its shell icon.\n";
}

TThumbDisplayType TypeOf(const std::string& Name) {
    if (Name == "info") return tdtIconInfo;
    if (Name == "name") return tdtFilename;
    return tdtLargeIcon;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string png = StartDemo(argc, argv, "Thumbnail grid demo");
    std::string type = "large";
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--type") type = argv[i + 1];
    const std::string dir = (png.empty() ? GetTempPath() : ExtractFilePath(ExpandFileName(png))) + "thumb_grid_sample/";
    MakeFolder(dir);

    auto* db = Create<TdmTempDB>(nullptr);
    for (const char* name : {"beach.jpg", "logo.png", "anim.gif", "scan.tif", "icon.bmp", "notes.txt"})
        db->AddFileByName(db->memMode3, dir + name, true);
    db->AddMissingFile(db->memMode3, dir + "gone.jpg", true);
    db->memMode3->First();

    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetCaption("Thumbnails");
    form->SetBounds(100, 100, 520, 300);
    auto* files = new TgxDBGrid(form);
    files->SetParent(form);
    files->SetVisible(false);
    files->SetOptions(files->GetOptions() + TgxDBGridOptions{egoLoadAllRecords, egoMultiSelect});
    auto* thumbs = new TgxThumbGrid2(form);
    const TFileGridColumns columns = CreateFileGridColumns(files, form);
    columns.Filename->SetSorted(csNone);  // the folder in its listing order
    BindFileGridColumns(columns, nullptr, thumbs);
    files->SetDataSource(db->dscMode3);
    thumbs->SetParent(form);
    thumbs->SetAlign(alClient);
    thumbs->SupportedFormats = "*.*";
    thumbs->SetAttachedgxDBGrid(files);
    thumbs->OnGetDimensions = [&](TObject*, const std::string& File, TDateTime, std::string& Dimensions) {
        TImageProperties props;
        TImgFunctions img(nullptr);
        if (img.GetImageFileProperties(File, props))
            Dimensions = std::to_string(props.Width) + " x " + std::to_string(props.Height);
    };
    thumbs->SetThumbDisplayType(TypeOf(type));

    uitest::ShowForm(form);
    thumbs->UpdateLayout(true, true);
    // The current cell and two selected ones.
    if (TgxTreeListNode* n = thumbs->ItemNode(1)) n->SetSelected(true);
    if (TgxTreeListNode* n = thumbs->ItemNode(3)) n->SetSelected(true);
    if (TgxTreeListNode* n = thumbs->ItemNode(4)) n->SetFocused(true);
    thumbs->Invalidate();

    if (png.empty()) {
        Application->Run();
        db->Free();
        return 0;
    }
    uitest::IdleTurns(2);
    uitest::WaitUntil([&] { return thumbs->ThumbnailsOutstanding() == 0; }, 20000);
    uitest::IdleTurns(2);
    const bool ok = SaveDemoPng(form, png);
    form->Free();
    db->Free();
    std::filesystem::remove_all(dir);
    return ok ? 0 : 1;
}
