// The colour adjustments and filters, a merge, the Fourier transform and the histogram box on a
// generated picture.
//
//     filters_demo --png FOLDER   saves filters_source.png, one filters_<kernel>.png per kernel,
//                                 filters_merge.png, filters_spectrum.png, filters_inverse.png
//                                 (after clearing a zone of the spectrum) and
//                                 filters_histogram_bars.png, filters_histogram_lines.png
//     filters_demo                shows the histogram box of the picture in a window

#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "demo/demo_start.h"
#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/testing/ui_test.h"
#include "imaging/bitmap_routines.h"
#include "imaging/fourier.h"
#include "imaging/histogram_box.h"
#include "imaging/img_filters.h"
#include "imaging/img_proc.h"

namespace {

// A 256 x 192 picture: soft colour bands with rings and a few bright and dark squares.
TBitmap* MakePicture(double Shift) {
    auto* b = new TBitmap();
    b->SetPixelFormat(pf24bit);
    b->SetSize(256, 192);
    for (Integer y = 0; y < 192; ++y) {
        auto* row = static_cast<TImgRGB*>(b->ScanLine(y));
        for (Integer x = 0; x < 256; ++x) {
            const double r = std::hypot(x - 128.0, y - 96.0);
            const double ring = 0.5 + 0.5 * std::cos(r / 6 + Shift);
            row[x] = ImgRGB(Byte(60 + 150 * ring), Byte(y * 255 / 191), Byte(40 + x * 200 / 255 * (1 - ring / 2)));
        }
    }
    TCanvas* c = b->GetCanvas();
    c->GetPen()->SetColor(clBlack);
    c->GetBrush()->SetColor(clWhite);
    c->Rectangle(20, 20, 50, 50);
    c->GetBrush()->SetColor(clBlack);
    c->Rectangle(200, 130, 236, 170);
    c->GetBrush()->SetColor(clYellow);
    c->Ellipse(180, 24, 230, 74);
    return b;
}

// The pixels of a 24-bit bitmap as a capture to save.
uitest::TCapture CaptureOf(TBitmap* b) {
    uitest::TCapture cap;
    cap.Width = b->GetWidth();
    cap.Height = b->GetHeight();
    for (Integer y = 0; y < cap.Height; ++y) {
        const auto* row = static_cast<const TImgRGB*>(b->ScanLine(y));
        for (Integer x = 0; x < cap.Width; ++x)
            cap.Pixels.push_back(0xFF000000u | (uint32_t(row[x].r) << 16) | (uint32_t(row[x].g) << 8) | row[x].b);
    }
    return cap;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string out = StartDemo(argc, argv, "Filters demo");
    std::unique_ptr<TBitmap> source(MakePicture(0));

    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetCaption("Filters demo");
    form->SetBounds(40, 40, 300, 160);
    auto* proc = new TImagoProc(form);
    proc->SetAttachedBitmap(source.get());
    auto* box = new THistogramBox(form);
    box->SetParent(form);
    box->SetBounds(10, 10, 256, 105);
    box->SetAttachedImagoProc(proc);
    box->SetHistogramKind({hkRed, hkGreen, hkBlue, hkGray});
    box->Update();
    if (out.empty()) {
        Application->Run();
        return 0;
    }

    std::filesystem::create_directories(out);
    bool ok = true;
    auto save = [&](TBitmap* b, const std::string& name) {
        const std::string file = (std::filesystem::path(out) / ("filters_" + name + ".png")).string();
        const bool saved = CaptureOf(b).SavePng(file);
        std::printf("%s %s\n", saved ? "saved" : "could not save", file.c_str());
        ok = saved && ok;
    };
    save(source.get(), "source");

    const Integer w = source->GetWidth() - 1, h = source->GetHeight() - 1;
    Integer ar, ag, ab;
    AverageColor(source.get(), ar, ag, ab);
    TImgUserFilter sharpen;
    for (Integer& k : sharpen.Coef) k = -1;
    sharpen.Coef[4] = 9;
    const struct {
        const char* name;
        std::function<void(TBitmap*)> run;
    } kernels[] = {
        {"contrast", [&](TBitmap* b) { AdjustContrast(b, 15, ar, ag, ab, 0, 0, w, h); }},
        {"rgb", [&](TBitmap* b) { AdjustRGB(b, 60, -30, 0, 0, 0, w, h); }},
        {"hsl", [&](TBitmap* b) { AdjustHSL(b, 120, 20, -10, 0, 0, w, h); }},
        {"hsv", [&](TBitmap* b) { AdjustHSV(b, 200, -40, 0, 0, 0, w, h); }},
        {"user_filter", [&](TBitmap* b) { ApplyUserFilter(b, sharpen, 0, 0, w, h); }},
        {"threshold", [&](TBitmap* b) { ThresholdRect(b, 0x606060, 0xB0B0B0, 0, 0xFFFFFF, 0, 0, w, h); }},
        {"levels", [&](TBitmap* b) { StretchLevels(b, 0xC0C0C0, 0x404040, 0, 0, w, h); }},
        {"equalize", [&](TBitmap* b) { EqualizeHistogram(b, 0, 0, w, h); }},
        {"bump_map", [&](TBitmap* b) { BumpMap(b, 60, 40, 200, 200, 0xFFE0C0, 30, 0, 0, w, h); }},
        {"lens", [&](TBitmap* b) { LensEffect(b, 128, 96, 140, 120, 1.8, {}); }},
        {"wave", [&](TBitmap* b) { WaveEffect(b, 6, 12, 0, false); }},
        {"wave_reflective", [&](TBitmap* b) { WaveEffect(b, 1, 20, 90, true); }},
        {"maximum", [&](TBitmap* b) { MorphFilter(b, 3, mkMaximum, 0, 0, w, h); }},
        {"minimum", [&](TBitmap* b) { MorphFilter(b, 3, mkMinimum, 0, 0, w, h); }},
        {"opening", [&](TBitmap* b) { MorphFilter(b, 4, mkOpening, 0, 0, w, h); }},
        {"closing", [&](TBitmap* b) { MorphFilter(b, 4, mkClosing, 0, 0, w, h); }},
    };
    for (const auto& k : kernels) {
        std::unique_ptr<TBitmap> b(CloneBitmap(source.get()));
        k.run(b.get());
        save(b.get(), k.name);
    }

    std::unique_ptr<TBitmap> merged(CloneBitmap(source.get())), other(MakePicture(2.5));
    MergeBitmaps(merged.get(), other.get(), 50, 0, 0, w, h);
    save(merged.get(), "merge");

    TImgFtImage ft;
    ft.BuildFT(source.get(), TImgFtImage::ftColour);
    std::unique_ptr<TBitmap> picture(new TBitmap());
    ft.GetSpectrum(picture.get());
    save(picture.get(), "spectrum");
    // Everything but a disc of low frequencies around the centre goes: a blurred picture.
    const Integer N = ft.GetN(), keep = N / 16;
    ft.ClearZone(0, 0, N - 1, N / 2 - keep - 1);
    ft.ClearZone(0, N / 2 + keep, N - 1, N - 1);
    ft.ClearZone(0, 0, N / 2 - keep - 1, N - 1);
    ft.ClearZone(N / 2 + keep, 0, N - 1, N - 1);
    ft.GetInverse(picture.get());
    save(picture.get(), "inverse");

    uitest::ShowForm(form);
    for (THistogramStyle style : {hsBars, hsLines}) {
        box->SetHistogramStyle(style);
        uitest::ProcessEvents();
        const std::string file = (std::filesystem::path(out) /
                                  (style == hsBars ? "filters_histogram_bars.png" : "filters_histogram_lines.png"))
                                     .string();
        ok = SaveDemoPng(box, file) && ok;
    }
    form->Free();
    return ok ? 0 : 1;
}
