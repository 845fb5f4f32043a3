// The preview dialogs on a photo: every page of the processing preview dialog (the FFT page with
// a cleared zone in the spectrum), every page of the save-parameters form, the open dialog
// previewing a single image and a two-frame GIF in its frame view, and the save dialog with its
// Advanced button.
//
//     preview_dialogs --png FOLDER   saves previews_<page>.png, save_parameters_<page>.png,
//                                    open_dialog.png, open_dialog_frames.png and save_dialog.png
//     preview_dialogs                shows the processing preview dialog

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "demo/demo_start.h"
#include "framework/comctrls.h"
#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/testing/ui_test.h"
#include "imaging/controls/imago.h"
#include "imaging/controls/imago_mio.h"
#include "imaging/controls/imago_mview.h"
#include "imaging/dialogs/img_file_dialogs.h"
#include "imaging/dialogs/install_dialogs.h"
#include "imaging/dialogs/io_previews_form.h"
#include "imaging/dialogs/previews_form.h"
#include "imaging/formats/imago_io.h"
#include "imaging/formats/lzw_coders.h"
#include "imaging/img_types.h"

namespace {

// A w x h landscape: sky with a sun, hills and a lake.
std::unique_ptr<TBitmap> MakePhoto(Integer w, Integer h) {
    std::unique_ptr<TBitmap> b(new TBitmap());
    b->SetPixelFormat(pf24bit);
    b->SetSize(w, h);
    for (Integer y = 0; y < h; ++y) {
        auto* row = static_cast<TImgRGB*>(b->ScanLine(y));
        for (Integer x = 0; x < w; ++x) {
            const double fx = double(x) / w, fy = double(y) / h;
            const double hill = 0.55 + 0.08 * std::sin(fx * 9) + 0.05 * std::sin(fx * 23);
            const double sun = std::max(0.0, 1 - std::hypot(fx - 0.7, fy - 0.25) * 6);
            if (fy > 0.8)
                row[x] = ImgRGB(50, Byte(100 + 40 * std::sin(y * 1.3)), 190);
            else if (fy > hill)
                row[x] = ImgRGB(Byte(60 + 40 * std::sin(fx * 40)), Byte(130 + 50 * std::sin(fy * 30)), 40);
            else
                row[x] = ImgRGB(Byte(std::min(255.0, 130 + 125 * sun)), Byte(std::min(255.0, 180 + 75 * sun)), 240);
        }
    }
    return b;
}

std::string FileOf(const std::string& Folder, const std::string& Name) {
    std::string file = Name;
    for (char& c : file)
        if (c == ' ') c = '_';
    return (std::filesystem::path(Folder) / (file + ".png")).string();
}

bool SaveProcessingPages(TBitmap* Photo, const std::string& Folder) {
    bool ok = true;
    std::unique_ptr<TfPreviews, void (*)(TObject*)> f(new TfPreviews(nullptr), FreeObject);
    f->Imago1->Assign(Photo);
    f->Imago1->Update();
    f->DefaultLockPreview = true;
    uitest::ShowForm(f.get());
    for (Integer i = 0; i < f->PageControl1->GetPageCount(); ++i) {
        TTabSheet* page = f->PageControl1->GetPage(i);
        f->PageControl1->SetActivePage(page);
        f->PageControl1Change();
        if (page == f->TabSheet1) f->TrackBar1->SetPosition(40);
        if (page == f->TabSheet5) f->TrackBar9->SetPosition(60);
        if (page == f->TabSheet3) f->TrackBar8->SetPosition(-80);
        if (page == f->TabSheet12) {
            const Integer n = f->ImagoView1->GetBitmap()->GetWidth();
            f->ImagoView1->SelectRectangle(n / 2 + 6, 0, n - 1, n - 1);
            f->ClearClick();
        }
        uitest::ProcessEvents();
        ok &= SaveDemoPng(f.get(), FileOf(Folder, "previews_" + page->GetCaption()));
    }
    return ok;
}

bool SaveParameterPages(TBitmap* Photo, const std::string& Folder) {
    bool ok = true;
    TIOParamsVals params;
    std::unique_ptr<TfIOPreviews, void (*)(TObject*)> f(new TfIOPreviews(nullptr), FreeObject);
    f->Params = &params;
    f->Imago1->Assign(Photo);
    f->Imago1->Update();
    f->DefaultLockPreview = true;
    f->SetPages(IOPreviewAllPages);
    uitest::ShowForm(f.get());
    for (TTabSheet* page : f->TabSheets) {
        f->PageControl1Changing();
        f->PageControl1->SetActivePage(page);
        f->PageControl1Change();
        uitest::ProcessEvents();
        ok &= SaveDemoPng(f.get(), FileOf(Folder, "save_parameters_" + page->GetCaption()));
    }
    return ok;
}

// The photo by day and by night as a two-frame GIF, half a second a frame.
void SaveTwoFrames(TBitmap* Photo, const std::string& FileName) {
    std::unique_ptr<TImagoMView, void (*)(TObject*)> view(new TImagoMView(nullptr), FreeObject);
    TImagoMIO mio(nullptr);
    mio.SetAttachedMView(view.get());
    view->SetImage(view->AppendImage(), Photo);
    TBitmap night;
    night.Assign(Photo);
    for (Integer y = 0; y < night.GetHeight(); ++y) {
        auto* row = static_cast<TImgRGB*>(night.ScanLine(y));
        for (Integer x = 0; x < night.GetWidth(); ++x)
            row[x] = ImgRGB(Byte(row[x].r / 4), Byte(row[x].g / 4), Byte(row[x].b / 2));
    }
    view->SetImage(view->AppendImage(), &night);
    for (Integer k = 0; k < mio.GetFrameParamsCount(); ++k) mio.GetFrameParams(k)->GIFDelayTime = 50;
    mio.SaveToFile(FileName);
    mio.SetAttachedMView(nullptr);
}

// The real file dialogs with the photo offered, captured once open.
bool SaveFileDialogs(TBitmap* Photo, const std::string& Folder) {
    const std::string work = (std::filesystem::temp_directory_path() / "lumora_preview_dialogs").string();
    std::filesystem::create_directories(work);
    const std::string photoFile = work + "/photo.jpg";
    TImagoIO io(nullptr);
    io.SetAttachedBitmap(Photo);
    io.SaveToFile(photoFile);

    bool ok = true;
    auto* owner = new TComponent(nullptr);
    auto* open = new TOpenImagoDialog(owner);
    open->SetInitialDir(work);
    open->SetFileName(photoFile);
    uitest::WhenDialogOpens([&] {
        uitest::ProcessEvents();
        ok &= ReportSaved(uitest::CaptureOpenDialog().SavePng(FileOf(Folder, "open_dialog")), "open_dialog.png");
        uitest::CancelDialog();
    });
    open->Execute();

    const std::string framesFile = work + "/day_and_night.gif";
    SaveTwoFrames(Photo, framesFile);
    open->SetFileName(framesFile);
    uitest::WhenDialogOpens([&] {
        uitest::ProcessEvents();
        ok &= ReportSaved(uitest::CaptureOpenDialog().SavePng(FileOf(Folder, "open_dialog_frames")),
                          "open_dialog_frames.png");
        uitest::CancelDialog();
    });
    open->Execute();

    auto* save = new TSaveImagoDialog(owner);
    save->SetInitialDir(work);
    save->SetFileName(work + "/copy.jpg");
    save->SetAttachedImagoIO(&io);
    uitest::WhenDialogOpens([&] {
        uitest::ProcessEvents();
        ok &= ReportSaved(uitest::CaptureOpenDialog().SavePng(FileOf(Folder, "save_dialog")), "save_dialog.png");
        uitest::CancelDialog();
    });
    save->Execute();
    owner->Free();
    std::filesystem::remove_all(work);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string out = StartDemo(argc, argv, "Preview dialogs");
    InstallLZWCoders();
    InstallImgDialogs();
    std::unique_ptr<TBitmap> photo = MakePhoto(480, 320);
    if (out.empty()) {
        TImagoProc proc(nullptr);
        proc.SetAttachedBitmap(photo.get());
        proc.ShowPreviews(PreviewAllPages);
        return 0;
    }
    std::filesystem::create_directories(out);
    bool ok = SaveProcessingPages(photo.get(), out);
    ok &= SaveParameterPages(photo.get(), out);
    ok &= SaveFileDialogs(photo.get(), out);
    return ok ? 0 : 1;
}
