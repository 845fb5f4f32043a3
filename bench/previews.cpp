// The preview dialogs on a 12-megapixel picture against a 1.2-megapixel one in the same views.
// Processing preview dialog: one live update (a control change with the lock down) on every
// page; the preview works on the visible part of the source only, so each ratio must stay at or
// below 1.2. Save-parameters form: one preview of every page, which encodes the whole image;
// the times are reported with their ratio and have no target.
//
// Usage: previews

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench/peer_timing.h"
#include "bench/synthetic_photo.h"
#include "framework/comctrls.h"
#include "framework/edit_controls.h"
#include "framework/forms.h"
#include "framework/list_controls.h"
#include "framework/std_controls.h"
#include "framework/testing/ui_test.h"
#include "imaging/controls/imago.h"
#include "imaging/dialogs/io_previews_form.h"
#include "imaging/dialogs/previews_form.h"
#include "imaging/formats/lzw_coders.h"
#include "imaging/ruler_box.h"

namespace {

using namespace bench;

struct TPageChange {
    const char* Name;
    std::function<TTabSheet*(TfPreviews*)> Page;
    // Changes one control of the page; Flip alternates between two values.
    std::function<void(TfPreviews*, bool Flip)> Change;
};

const std::vector<TPageChange>& PageChanges() {
    static const std::vector<TPageChange> changes = {
        {"Contrast", [](TfPreviews* f) { return f->TabSheet1; },
         [](TfPreviews* f, bool b) { f->TrackBar1->SetPosition(b ? 40 : 20); }},
        {"HSV", [](TfPreviews* f) { return f->TabSheet5; },
         [](TfPreviews* f, bool b) { f->TrackBar9->SetPosition(b ? 40 : 20); }},
        {"HSL", [](TfPreviews* f) { return f->TabSheet2; },
         [](TfPreviews* f, bool b) { f->TrackBar2->SetPosition(b ? 40 : 20); }},
        {"RGB", [](TfPreviews* f) { return f->TabSheet3; },
         [](TfPreviews* f, bool b) { f->TrackBar6->SetPosition(b ? 40 : 20); }},
        {"User filter", [](TfPreviews* f) { return f->TabSheet4; },
         [](TfPreviews* f, bool b) { f->FilterEdits[4]->SetText(b ? "5" : "3"); }},
        {"Equalization", [](TfPreviews* f) { return f->TabSheet6; },
         [](TfPreviews* f, bool b) {
             f->RulerBox1->SetGripsPos(0, b ? 60 : 30);
             f->RulerBox1RulerPosChange(0);
         }},
        {"Bump map", [](TfPreviews* f) { return f->TabSheet7; },
         [](TfPreviews* f, bool b) { f->Edit26->SetText(b ? "30" : "20"); }},
        {"Lens", [](TfPreviews* f) { return f->TabSheet8; },
         [](TfPreviews* f, bool b) { f->Edit31->SetText(b ? "9" : "7"); }},
        {"Wave", [](TfPreviews* f) { return f->TabSheet9; },
         [](TfPreviews* f, bool b) { f->Edit34->SetText(b ? "90" : "45"); }},
        {"Morph filters", [](TfPreviews* f) { return f->TabSheet10; },
         [](TfPreviews* f, bool b) { f->Edit35->SetText(b ? "3" : "2"); }},
        {"Rotate", [](TfPreviews* f) { return f->TabSheet11; },
         [](TfPreviews* f, bool b) { f->TrackBarRotate->SetPosition(b ? 30 : 15); }},
        {"FFT", [](TfPreviews* f) { return f->TabSheet12; },
         [](TfPreviews* f, bool b) {
             f->ImagoView1->SelectRectangle(0, 0, b ? 40 : 30, 127);
             f->ClearClick();
         }},
    };
    return changes;
}

// The processing dialog shown on a W x H picture, on its page, with the lock down.
std::unique_ptr<TfPreviews, void (*)(TObject*)> OpenPreviews(TBitmap* Source, const TPageChange& Page) {
    std::unique_ptr<TfPreviews, void (*)(TObject*)> f(new TfPreviews(nullptr), FreeObject);
    f->Imago1->Assign(Source);
    f->Imago1->Update();
    f->DefaultLockPreview = true;
    uitest::ShowForm(f.get());
    f->FormActivate();  // when the window system did not activate it
    f->PageControl1->SetActivePage(Page.Page(f.get()));
    f->PageControl1Change();
    return f;
}

// One live update on each picture, in ms: runs of 20 updates (a single one takes well under a
// millisecond), best of 9 each. The two dialogs are open together and their runs alternate, so
// that both pictures meet the same machine.
std::pair<double, double> LiveUpdates(TBitmap* Large, TBitmap* Small, const TPageChange& Page) {
    auto large = OpenPreviews(Large, Page);
    auto small = OpenPreviews(Small, Page);
    bool flipLarge = false, flipSmall = false;
    auto run = [&](TfPreviews* f, bool& flip) {
        return Best(1,
                    [&] {
                        for (int i = 0; i < 20; ++i) {
                            flip = !flip;
                            Page.Change(f, flip);
                        }
                    }) /
               20;
    };
    double ours = 1e300, peer = 1e300;
    for (int r = 0; r < 9; ++r) {
        ours = std::min(ours, run(large.get(), flipLarge));
        peer = std::min(peer, run(small.get(), flipSmall));
    }
    return {ours, peer};
}

double SavePreview(TBitmap* Source, Integer PageIndex) {
    std::unique_ptr<TfIOPreviews, void (*)(TObject*)> f(new TfIOPreviews(nullptr), FreeObject);
    TIOParamsVals params;
    f->Params = &params;
    f->Imago1->Assign(Source);
    f->Imago1->Update();
    f->SetPages(IOPreviewAllPages);
    uitest::ShowForm(f.get());
    f->FormActivate();
    f->PageControl1Changing();
    f->PageControl1->SetActivePage(f->TabSheets[PageIndex]);
    f->PageControl1Change();
    return Best(2, [&] { f->UpdatePreview(); });
}

}  // namespace

int main() {
    uitest::Start();
    InstallLZWCoders();
    TBitmap large, small;
    FillSyntheticPhoto(&large, 4000, 3000);
    FillSyntheticPhoto(&small, 1265, 949);

    bool met = true;
    for (const TPageChange& page : PageChanges()) {
        const auto [ours, peer] = LiveUpdates(&large, &small, page);
        Report(std::string("previews live update ") + page.Name + " 12 MP", ours, "1.2 MP", peer);
        if (ours > peer * 1.2) met = false;
    }
    std::printf("previews live update ratio at most 1.2: %s\n", met ? "met" : "NOT met");

    static const char* const kSavePages[] = {"JPEG", "TIFF", "GIF", "BMP", "PCX", "PNG", "TGA"};
    for (Integer i = 0; i < 7; ++i) {
        const double ours = SavePreview(&large, i), peer = SavePreview(&small, i);
        Report(std::string("save parameters ") + kSavePages[i] + " 12 MP (whole image, no target)", ours, "1.2 MP",
               peer);
    }
    return met ? 0 : 1;
}
