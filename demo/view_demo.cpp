// The image view showing a drawn test picture: at 50 % on a chessboard, at 100 % on a hatched
// background, at 300 % enlarged with the Lanczos3 filter and scrolled to the middle, as a 1-bit
// picture, and as a small picture centred on the diagonals background.
//
//     view_demo --png FOLDER     saves view_zoom50.png, view_zoom100.png, view_zoom300.png,
//                                view_1bit.png and view_centred.png into FOLDER
//     view_demo                  shows the view in a window

#include <cmath>
#include <filesystem>
#include <string>

#include "demo/demo_start.h"
#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/testing/ui_test.h"
#include "imaging/bitmap_routines.h"
#include "imaging/img_view.h"

namespace {

// A 320 x 240 picture: a colour ramp, a grid every 20 pixels, discs and a caption.
void DrawTestPicture(TBitmap* b, Integer w, Integer h) {
    b->SetPixelFormat(pf24bit);
    b->SetSize(w, h);
    for (Integer y = 0; y < h; ++y) {
        auto* row = static_cast<TImgRGB*>(b->ScanLine(y));
        for (Integer x = 0; x < w; ++x)
            row[x] = ImgRGB(Byte(x * 255 / (w - 1)), Byte(y * 255 / (h - 1)), Byte(255 - x * 255 / (w - 1)));
    }
    TCanvas* c = b->GetCanvas();
    c->GetPen()->SetColor(clWhite);
    for (Integer x = 0; x < w; x += 20) {
        c->MoveTo(x, 0);
        c->LineTo(x, h);
    }
    for (Integer y = 0; y < h; y += 20) {
        c->MoveTo(0, y);
        c->LineTo(w, y);
    }
    const TColor discs[] = {clRed, clLime, clBlue, clYellow, clFuchsia};
    c->GetPen()->SetColor(clBlack);
    for (int i = 0; i < 5; ++i) {
        c->GetBrush()->SetColor(discs[i]);
        const Integer cx = w / 6 * (i + 1), cy = h / 2 + Integer(std::lround(std::sin(i * 1.3) * h / 5));
        c->Ellipse(cx - w / 12, cy - w / 12, cx + w / 12, cy + w / 12);
    }
    c->GetBrush()->SetColor(clBlack);
    c->GetFont()->SetColor(clWhite);
    c->GetFont()->SetSize(14);
    c->TextOut(8, 6, "Lumora");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string out = StartDemo(argc, argv, "Image view demo");

    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetCaption("Image view demo");
    form->SetBounds(40, 40, 440, 360);
    auto* view = new TImagoView(form);
    view->SetParent(form);
    view->SetBounds(10, 10, 404, 304);  // a 400 x 300 client area inside the sunken edge
    view->SetBackground(TColor(0x806040));
    view->SetScrollBars(ssBoth);
    DrawTestPicture(view->GetBitmap(), 320, 240);
    view->Update();

    if (out.empty()) {
        view->SetBackgroundStyle(iebsChessboard);
        view->SetZoomFilter(rfLanczos3);
        view->SetDelayZoomFilter(true);
        Application->Run();
        return 0;
    }

    std::filesystem::create_directories(out);
    bool ok = true;
    uitest::ShowForm(form);
    auto save = [&](const char* name) {
        uitest::ProcessEvents();
        const std::string file = (std::filesystem::path(out) / name).string();
        ok = SaveDemoPng(view, file) && ok;
    };

    view->SetBackgroundStyle(iebsChessboard);
    view->SetZoom(50);
    save("view_zoom50.png");

    view->SetBackgroundStyle(iebsDiagCross);
    view->SetZoom(100);
    save("view_zoom100.png");

    view->SetZoomFilter(rfLanczos3);
    view->SetZoom(300);
    view->SetViewXY(280, 210);
    save("view_zoom300.png");

    view->SetZoomFilter(rfNone);
    view->SetBackgroundStyle(iebsSolid);
    view->SetZoom(100);
    DitherTo1BitOrdered(view->GetBitmap());
    view->Update();
    save("view_1bit.png");

    DrawTestPicture(view->GetBitmap(), 160, 120);
    view->SetBackgroundStyle(iebsDiagonals);
    view->SetCenter(true);
    view->Update();
    save("view_centred.png");

    form->Free();
    return ok ? 0 : 1;
}
