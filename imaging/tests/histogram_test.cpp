#include <gtest/gtest.h>

#include <memory>

#include "framework/forms.h"
#include "framework/testing/ui_test.h"
#include "image_fixture.h"
#include "imaging/bitmap_routines.h"
#include "imaging/histogram.h"
#include "imaging/histogram_box.h"
#include "imaging/img_proc.h"
#include "imaging/img_view.h"

namespace {

TEST(Histogram, CutoffsCountFromEitherEnd) {
    TCutoffHistogram h;
    EXPECT_EQ(h.LowCutoff(0), 255);
    EXPECT_EQ(h.HighCutoff(0), 0);
    for (Integer i = 0; i < 4; ++i) h.Increment(10);
    for (Integer i = 0; i < 6; ++i) h.Increment(200);
    EXPECT_EQ(h.Total(), 10);
    EXPECT_EQ(h.LowCutoff(0), 10);
    EXPECT_EQ(h.HighCutoff(0), 200);
    // Trunc(10 * 0.45) = 4 pixels are passed before the running count goes negative.
    EXPECT_EQ(h.LowCutoff(0.45), 200);
    EXPECT_EQ(h.LowCutoff(0.39), 10);
    EXPECT_EQ(h.HighCutoff(0.65), 10);
    EXPECT_EQ(h.HighCutoff(1.0), 0);
    h.Clear();
    EXPECT_EQ(h.Total(), 0);
}

TEST(Histogram, RGBHistogramsCountTheRectangleClippedOnEverySide) {
    Bmp red = Make24(4, 1, [](Integer, Integer) { return ImgRGB(255, 0, 0); });
    std::unique_ptr<TRGBHistograms> h(GetRGBHistograms(red.get(), TRect(0, 0, 4, 1)));
    EXPECT_EQ(h->Red()->GetBin(255), 4);
    EXPECT_EQ(h->Green()->GetBin(0), 4);
    EXPECT_EQ(h->Blue()->GetBin(0), 4);
    EXPECT_EQ(h->Intensity()->GetBin(85), 4);

    Bmp b = Make24(5, 4, [](Integer x, Integer y) { return ImgRGB(Byte(x), Byte(y), 9); });
    struct Case {
        TRect rect;
        Int64 total;
    } cases[] = {
        {TRect(2, 0, 2, 4), 0},  // Right = Left
        {TRect(-5, -5, 100, 100), 20},  // beyond every side
        {TRect(1, 1, 3, 2), 2},
        {TRect(4, 3, 1, 1), 0},  // reversed
    };
    for (const Case& c : cases) {
        std::unique_ptr<TRGBHistograms> r(GetRGBHistograms(b.get(), c.rect));
        EXPECT_EQ(r->Red()->Total(), c.total);
    }
    Bmp one = Make1(4, 4, [](Integer, Integer) { return true; });
    try {
        delete GetRGBHistograms(one.get(), TRect(0, 0, 4, 4));
        FAIL();
    } catch (const EHistogramError& e) {
        EXPECT_STREQ(e.what(), "GetRGBHistograms:  Bitmap must be 24-bit.");
    }

    TImgHistogramTable table;
    table[7].Red = 99;
    CalcHistogram(one.get(), table, 0, 0, 3, 3);
    EXPECT_EQ(table[7].Red, 99u);  // other formats leave the table alone
    CalcHistogram(b.get(), table, -3, -3, 1, 99);
    EXPECT_EQ(table[7].Red, 0u);
    EXPECT_EQ(table[0].Red, 4u);
    EXPECT_EQ(table[1].Red, 4u);
    EXPECT_EQ(table[9].Blue, 8u);
    Cardinal greys = 0;
    for (Integer level = 0; level < 256; ++level) greys += table[level].Gray;
    EXPECT_EQ(greys, 8u);
}

class HistogramBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::Start();
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 400, 300);
        View = new TImagoView(Form);
        View->SetParent(Form);
        View->SetBounds(0, 0, 50, 50);
        Proc = new TImagoProc(Form);
        Proc->SetAttachedImago(View);
        Box = new THistogramBox(Form);
        Box->SetParent(Form);
        Box->SetLeft(20);
        Box->SetTop(100);
    }
    void TearDown() override {
        Form->Free();
        uitest::ProcessEvents();
    }
    void Picture(const std::function<TImgRGB(Integer, Integer)>& pixel) {
        Bmp b = Make24(16, 16, pixel);
        CopyBitmap(b.get(), View->GetBitmap());
        View->Update();
    }
    TColor At(Integer x, Integer y) { return Box->GetPicture()->GetCanvas()->GetPixels(x, y); }
    TForm* Form = nullptr;
    TImagoView* View = nullptr;
    TImagoProc* Proc = nullptr;
    THistogramBox* Box = nullptr;
};

TEST_F(HistogramBoxTest, WithoutAProcessorOnlyTheBackgroundShows) {
    EXPECT_EQ(Box->GetWidth(), 256);
    EXPECT_EQ(Box->GetHeight(), 105);
    Box->SetBackground(clYellow);
    for (Integer y = 0; y < 105; y += 13)
        for (Integer x = 0; x < 256; x += 17) ASSERT_EQ(At(x, y), clYellow);
    // A processor that is freed is forgotten.
    Box->SetAttachedImagoProc(Proc);
    Proc->Free();
    Proc = nullptr;
    EXPECT_EQ(Box->GetAttachedImagoProc(), nullptr);
    Box->Update();
    EXPECT_EQ(At(128, 50), clYellow);
}

TEST_F(HistogramBoxTest, BarsLinesLabelsAndTheColourRamp) {
    // Half black, half white: two full bars at the ends of the grey histogram.
    Picture([](Integer x, Integer) { return x < 8 ? ImgRGB(0, 0, 0) : ImgRGB(255, 255, 255); });
    Box->SetAttachedImagoProc(Proc);
    Box->SetLabels({});
    Box->SetCompBar(false);
    Box->Update();
    EXPECT_EQ(Box->GetPlotLeft(), Box->GetLeft());
    // Level 0 is column 0; white is grey level 252, column 252; the bars reach the top.
    EXPECT_EQ(At(0, 104), clBlack);
    EXPECT_EQ(At(0, 2), clBlack);
    EXPECT_EQ(At(252, 2), clBlack);
    EXPECT_EQ(At(100, 50), clWhite);

    // Red alone: the red channel's bars in red; lines join the tops.
    Box->SetHistogramKind({hkRed});
    EXPECT_EQ(At(255, 2), clRed);
    EXPECT_EQ(At(0, 2), clRed);
    Box->SetHistogramStyle(hsLines);
    EXPECT_EQ(At(128, 104), clRed);  // the line runs along the bottom over empty levels
    EXPECT_EQ(At(128, 103), clWhite);
    EXPECT_EQ(At(0, 50), clRed);  // and climbs to the full ones

    // The ramp under the plot, and the labels moving the plot right.
    Box->SetCompBar(true);
    Box->SetHistogramKind({hkGray});
    const Integer bottom = Box->GetHeight() - 1;
    EXPECT_EQ(At(0, bottom), clBlack);
    EXPECT_EQ(At(255, bottom), clWhite);
    EXPECT_EQ(At(128, bottom), TColor(0x808080));
    Box->SetLabels({hlVertical, hlHorizontal});
    TCanvas* canvas = Box->GetPicture()->GetCanvas();
    canvas->SetFont(Box->GetFont());
    const Integer margin = canvas->TextWidth("128") + 2;  // the largest count, 8 columns x 16 rows
    EXPECT_EQ(Box->GetPlotLeft(), Box->GetLeft() + margin);
    EXPECT_EQ(At(margin - 1, 10), clBlack);  // the axis

    // The box follows the processor's selection.
    View->SelectRectangle(0, 0, 4, 4, 0);
    TImgHistogramTable table;
    Proc->GetHistogram(table);
    EXPECT_EQ(table[0].Gray, 25u);
    EXPECT_EQ(table[252].Gray, 0u);
}

}  // namespace
