// The multi-image view, the composite image control, the palette dialog, gradient bars, the HSV
// colour box and rulers on generated pictures.
//
//     mview_demo --png FOLDER   saves mview_grid.png (a grid with the focused selection),
//                               mview_single.png, imago.png (a photo loaded from a JPEG file),
//                               palette_dialog.png (256 colours, one cell hovered),
//                               gradient_bars.png, hsv_box.png and rulers.png
//     mview_demo                shows the controls in a window

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "demo/demo_start.h"
#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/testing/ui_test.h"
#include "imaging/controls/imago.h"
#include "imaging/controls/imago_mview.h"
#include "imaging/gradient_bar.h"
#include "imaging/hsv_box.h"
#include "imaging/palette_dialog.h"
#include "imaging/ruler_box.h"

namespace {

// A w x h picture in the style of a landscape photo: sky, sun, hills and a lake, shifted by Seed.
std::unique_ptr<TBitmap> MakePhoto(Integer w, Integer h, double Seed) {
    std::unique_ptr<TBitmap> b(new TBitmap());
    b->SetPixelFormat(pf24bit);
    b->SetSize(w, h);
    const double sunX = w * (0.2 + 0.6 * std::fmod(Seed * 0.37, 1.0)), sunY = h * 0.25;
    for (Integer y = 0; y < h; ++y) {
        auto* row = static_cast<TImgRGB*>(b->ScanLine(y));
        for (Integer x = 0; x < w; ++x) {
            const double fx = double(x) / w, fy = double(y) / h;
            const double hill = 0.55 + 0.08 * std::sin(fx * 9 + Seed) + 0.05 * std::sin(fx * 23 + Seed * 2);
            TImgRGB p;
            if (fy > 0.8) {  // the lake mirrors the sky
                const double ripple = 0.5 + 0.5 * std::sin(y * 1.3 + std::sin(x * 0.2));
                p = ImgRGB(Byte(40 + 30 * ripple), Byte(90 + 40 * ripple), Byte(150 + 50 * ripple));
            } else if (fy > hill) {
                const double shade = 0.6 + 0.4 * std::sin(fx * 40 + fy * 30 + Seed);
                p = ImgRGB(Byte(40 + 50 * shade), Byte(100 + 80 * shade), Byte(30 + 20 * shade));
            } else {
                const double d = std::hypot(x - sunX, y - sunY) / h;
                const double glow = std::max(0.0, 1 - d * 6);
                p = ImgRGB(Byte(std::min(255.0, 120 + 60 * fy + 135 * glow)),
                           Byte(std::min(255.0, 170 + 40 * fy + 85 * glow)), Byte(std::min(255.0, 235 + 20 * glow)));
            }
            row[x] = p;
        }
    }
    return b;
}

bool Save(TControl* c, const std::string& folder, const char* name) {
    return SaveDemoPng(c, (std::filesystem::path(folder) / name).string());
}

}  // namespace

int main(int argc, char** argv) {
    const std::string out = StartDemo(argc, argv, "Multi-image view demo");
    bool ok = true;
    if (!out.empty()) std::filesystem::create_directories(out);

    auto* form = new TForm(nullptr);
    form->SetCaption("Multi-image view demo");
    form->SetBounds(40, 40, 980, 700);

    // The grid: twelve pictures, three columns, the fifth selected with the focus.
    auto* grid = new TImagoMView(form);
    grid->SetParent(form);
    grid->SetBounds(8, 8, 340, 300);
    grid->SetGridWidth(-1);
    grid->SetScrollBars(ssVertical);
    grid->SetBackground(TColor(0xE0E0E0));
    for (Integer i = 0; i < 12; ++i) {
        const auto photo = MakePhoto(160 + (i % 3) * 40, 120 - (i % 2) * 30, i * 1.7);
        grid->SetImage(grid->AppendImage(), photo.get());
    }
    grid->OnImageDraw = [](TObject*, Integer idx, Integer left, Integer top, TCanvas* c) {
        c->GetBrush()->SetStyle(bsClear);
        c->GetFont()->SetColor(clWhite);
        c->TextOut(left + 4, top + 2, std::to_string(idx + 1));
    };

    // Single mode with a frame picked.
    auto* single = new TImagoMView(form);
    single->SetParent(form);
    single->SetBounds(356, 8, 220, 150);
    single->SetThumbWidth(200);
    single->SetThumbHeight(130);
    single->SetDisplayMode(mdSingle);
    for (Integer i = 0; i < 3; ++i) {
        const auto photo = MakePhoto(200, 130, 5 + i);
        single->SetImage(single->AppendImage(), photo.get());
    }

    // The composite control showing a photo loaded from a JPEG file.
    auto* imago = new TImago(form);
    imago->SetParent(form);
    imago->SetBounds(584, 8, 320, 240);
    {
        const std::string jpeg = (std::filesystem::temp_directory_path() / "mview_demo_photo.jpg").string();
        const auto photo = MakePhoto(320, 240, 2.2);
        TImagoIO io(nullptr);
        io.SetAttachedBitmap(photo.get());
        io.SaveToFile(jpeg);
        imago->LoadFromFile(jpeg);
        std::filesystem::remove(jpeg);
    }

    // Gradient bars with grips: horizontal and vertical.
    auto* hbar = new TImgGradientBar(form);
    hbar->SetParent(form);
    hbar->SetDirection(gdHorizontal);
    hbar->SetBounds(8, 320, 300, 24);
    hbar->SetBeginColor(TColor(0x510000));
    hbar->SetEndColor(TColor(0xFF7979));
    auto* vbar = new TImgGradientBar(form);
    vbar->SetParent(form);
    vbar->SetBounds(316, 320, 30, 200);
    vbar->SetBeginColor(TColor(0x0000A0));
    vbar->SetEndColor(TColor(0x80FFFF));

    auto* hsv = new THSVBox(form);
    hsv->SetParent(form);
    hsv->SetBounds(356, 170, 160, 140);
    hsv->SetHue(200);
    hsv->SetSat(70);
    hsv->SetVal(80);

    // Rulers: grips up, grips down with hex labels, vertical with turned labels.
    auto* up = new TRulerBox(form);
    up->SetParent(form);
    up->SetBounds(560, 330, 400, 40);
    up->SetViewMax(255);
    up->SetFitInView(true);
    up->SetGripsCount(2);
    up->SetGripsPos(0, 40);
    up->SetGripsPos(1, 200);
    up->SetGripsColor(0, clBlack);
    up->SetGripsColor(1, clWhite);
    up->SetGripsKind(1, 3);
    auto* down = new TRulerBox(form);
    down->SetParent(form);
    down->SetBounds(560, 380, 400, 40);
    down->SetGripsDir(gdDown);
    down->SetHexLabels(true);
    down->SetViewMax(255);
    down->SetFitInView(true);
    down->SetLabelFreq(32);
    down->SetFrequency(8);
    down->SetGripsCount(3);
    for (Integer i = 0; i < 3; ++i) {
        down->SetGripsPos(i, 64 + i * 64);
        down->SetGripsKind(i, Byte(i + 2));
        down->SetGripsColor(i, TColor(0x3080F0 >> i * 4));
    }
    auto* vertical = new TRulerBox(form);
    vertical->SetParent(form);
    vertical->SetRulerDir(rdVertical);
    vertical->SetBounds(560, 430, 44, 220);
    vertical->SetViewMax(100);
    vertical->SetFitInView(true);
    vertical->SetLabelFreq(20);
    vertical->SetFrequency(5);
    vertical->SetGripsPos(0, 30);
    vertical->SetGripsColor(0, TColor(0x00C000));
    vertical->SetGripsKind(0, 4);
    auto* verticalDown = new TRulerBox(form);
    verticalDown->SetParent(form);
    verticalDown->SetRulerDir(rdVertical);
    verticalDown->SetGripsDir(gdDown);
    verticalDown->SetBounds(612, 430, 44, 220);
    verticalDown->SetViewMax(100);
    verticalDown->SetFitInView(true);
    verticalDown->SetLabelFreq(20);
    verticalDown->SetGripsPos(0, 70);

    // The palette dialog with 256 colours.
    TImgRGB palette[256];
    for (Integer i = 0; i < 256; ++i) {
        const double a = i * 6.283185307 / 256;
        palette[i] = ImgRGB(Byte(127 + 127 * std::sin(a)), Byte(127 + 127 * std::sin(a + 2.1)), Byte(i));
    }
    auto* dialog = new TImagoPaletteDialog(nullptr);
    dialog->SetPalette(palette, 256);

    if (out.empty()) {
        form->Show();
        grid->SetSelectedImage(4);
        grid->SetFocus();
        Application->Run();
        dialog->Free();
        return 0;
    }

    uitest::ShowForm(form);
    grid->SetSelectedImage(4);
    grid->SetFocus();
    uitest::PressKey(grid, VK_DOWN);  // to the eighth picture, scrolled into view
    single->SetSelectedImage(1);
    uitest::MouseDown(hbar, 200, 10);
    uitest::MouseUp(hbar, 200, 10);
    uitest::MouseDown(vbar, 10, 60);
    uitest::MouseUp(vbar, 10, 60);
    uitest::ProcessEvents();
    ok &= Save(grid, out, "mview_grid.png");
    ok &= Save(single, out, "mview_single.png");
    ok &= Save(imago, out, "imago.png");
    ok &= Save(hsv, out, "hsv_box.png");
    ok &= SaveDemoPng(form, (std::filesystem::path(out) / "mview_demo.png").string());
    {
        // The bars and the rulers, each as the form shows it.
        uitest::TCapture all = uitest::Capture(form);
        auto crop = [&](Integer x0, Integer y0, Integer x1, Integer y1, const char* name) {
            x1 = std::min(x1, all.Width);
            y1 = std::min(y1, all.Height);
            uitest::TCapture part;
            part.Width = x1 - x0;
            part.Height = y1 - y0;
            for (Integer y = y0; y < y1; ++y)
                for (Integer x = x0; x < x1; ++x) part.Pixels.push_back(all.Pixels[size_t(y) * all.Width + x]);
            return ReportSaved(part.SavePng((std::filesystem::path(out) / name).string()),
                               (std::filesystem::path(out) / name).string());
        };
        ok &= crop(0, 316, 352, 524, "gradient_bars.png");
        ok &= crop(556, 326, 964, 654, "rulers.png");
    }

    dialog->Show();
    uitest::ProcessEvents();
    uitest::MouseMove(dialog, 1 * 16 + 8, 1 * 16 + 8);
    uitest::MouseMove(dialog, (77 % 32) * 16 + 8, (77 / 32) * 16 + 8);
    ok &= Save(dialog, out, "palette_dialog.png");
    dialog->Hide();
    dialog->Free();
    form->Free();
    return ok ? 0 : 1;
}
