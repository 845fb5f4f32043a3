#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/forms.h"
#include "framework/messages.h"
#include "framework/testing/ui_test.h"
#include "imaging/bitmap_rows.h"
#include "imaging/img_view.h"

namespace {

using Bmp = std::unique_ptr<TBitmap>;

// A view that lets the tests run its timer tick and read its filter delay.
class TTestView : public TImagoView {
    LUMORA_CLASS(TTestView, TImagoView)
public:
    using TImagoView::TImagoView;
    void Tick() { TimerTick(this); }
    Integer FilterDelay() const { return GetFilterDelay(); }
};

void Fill(TBitmap* b, Integer w, Integer h, const std::function<TImgRGB(Integer, Integer)>& pixel) {
    b->SetPixelFormat(pf24bit);
    b->SetSize(w, h);
    for (Integer y = 0; y < h; ++y) {
        auto* row = static_cast<TImgRGB*>(b->ScanLine(y));
        for (Integer x = 0; x < w; ++x) row[x] = pixel(x, y);
    }
}

TImgRGB Plain(Integer, Integer) { return ImgRGB(10, 20, 30); }

TColor Rgb(const TImgRGB& p) { return ImgRGBToColor(p); }

// The view on a 400 x 300 form; no border unless a test sets one, so the client area is the
// control.
class ImagoViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::Start();
        Form = new TForm(nullptr);
        Form->SetBounds(50, 50, 400, 300);
        View = new TTestView(Form);
        View->SetParent(Form);
        View->SetBorderStyle(bsNone);
        View->SetBounds(0, 0, 100, 100);
        View->OnViewChange = [this](TObject* s, Integer change) {
            EXPECT_EQ(s, View);
            Changes.push_back(change);
        };
    }
    void TearDown() override {
        Form->Free();
        uitest::ProcessEvents();
    }

    void Show(Integer w, Integer h, const std::function<TImgRGB(Integer, Integer)>& pixel = Plain) {
        Fill(View->GetBitmap(), w, h, pixel);
        View->Update();
        Changes.clear();
    }

    // What the client area shows, drawn by the view into a bitmap of the client size.
    Bmp Shot() {
        Bmp b(new TBitmap());
        b->SetPixelFormat(pf24bit);
        b->SetSize(View->GetClientWidth(), View->GetClientHeight());
        View->PaintTo(b->GetCanvas());
        return b;
    }
    static TColor At(TBitmap* b, Integer x, Integer y) { return Rgb(static_cast<TImgRGB*>(b->ScanLine(y))[x]); }

    TForm* Form = nullptr;
    TTestView* View = nullptr;
    std::vector<Integer> Changes;
};

TEST_F(ImagoViewTest, CreatedWithItsDefaults) {
    auto* v = new TImagoView(Form);
    EXPECT_EQ(v->GetZoom(), 100);
    EXPECT_EQ(v->GetWidth(), 105);
    EXPECT_EQ(v->GetHeight(), 105);
    EXPECT_EQ(v->GetBackground(), clBtnFace);
    EXPECT_EQ(v->GetBorderStyle(), bsSingle);
    EXPECT_EQ(v->GetCursor(), 1785);
    EXPECT_EQ(v->GetBitmap()->GetPixelFormat(), pf24bit);
    EXPECT_EQ(v->GetBitmap()->GetWidth(), 0);
    EXPECT_EQ(v->GetDpiX(), 96);
    EXPECT_EQ(v->GetScrollBars(), ssNone);
    EXPECT_EQ(v->GetZoomFilter(), rfNone);
    EXPECT_TRUE(CursorTableHas(1778));
    EXPECT_TRUE(CursorTableHas(1790));
}

TEST_F(ImagoViewTest, BorderFollowsStyleAndCtl3D) {
    EXPECT_EQ(View->GetClientWidth(), 100);
    View->SetBorderStyle(bsSingle);
    EXPECT_EQ(View->GetClientWidth(), 96);  // sunken client edge
    View->SetCtl3D(false);
    EXPECT_EQ(View->GetClientWidth(), 98);  // plain one-pixel border
    View->SetBorderStyle(bsNone);
    EXPECT_EQ(View->GetClientHeight(), 100);
}

TEST_F(ImagoViewTest, OriginIsClampedAndReported) {
    Show(200, 100);
    Integer mx, my;
    View->GetMaxViewXY(mx, my);
    EXPECT_EQ(mx, 100);
    EXPECT_EQ(my, 0);
    View->SetViewX(500);
    EXPECT_EQ(View->GetViewX(), 100);
    EXPECT_EQ(Changes, std::vector<Integer>{0});
    View->SetViewX(100);
    View->SetViewXY(-5, 7);  // both clamped
    EXPECT_EQ(View->GetViewX(), 0);
    EXPECT_EQ(View->GetViewY(), 0);
    EXPECT_EQ(Changes, (std::vector<Integer>{0, 0}));

    // Shrinking the image lowers the origin to the new maximum at the next Update.
    View->SetViewX(100);
    Changes.clear();
    View->GetBitmap()->SetSize(150, 100);
    View->Update();
    EXPECT_EQ(View->GetViewX(), 50);
    EXPECT_EQ(Changes, std::vector<Integer>{0});
}

TEST_F(ImagoViewTest, NoScrollingWhenTheOuterSizeHoldsTheImage) {
    View->SetBorderStyle(bsSingle);
    View->SetBounds(0, 0, 200, 100);
    ASSERT_LT(View->GetClientWidth(), 200);
    Show(200, 100);
    Integer mx = -1, my = -1;
    View->GetMaxViewXY(mx, my);
    EXPECT_EQ(mx, 0);
    EXPECT_EQ(my, 0);
    // An empty image has no origin range either.
    View->GetBitmap()->SetSize(0, 0);
    View->GetMaxViewXY(mx, my);
    EXPECT_EQ(mx, 0);
    EXPECT_EQ(my, 0);
}

TEST_F(ImagoViewTest, ZoomIgnoresNonPositiveAndUnchangedValues) {
    Show(50, 50);
    View->SetZoom(0);
    View->SetZoom(-10);
    View->SetZoom(100);
    EXPECT_EQ(View->GetZoom(), 100);
    EXPECT_TRUE(Changes.empty());
    View->SetZoom(200);
    EXPECT_EQ(View->GetZoom(), 200);
    EXPECT_EQ(Changes, std::vector<Integer>{1});
    EXPECT_EQ(View->GetExtentX(), 100);  // 100 zoomed pixels fill the client area
    // The size that would show the whole zoomed image, with room for a shown bar.
    EXPECT_EQ(View->GetZoomedControlWidth(), 101);
    View->SetScrollBars(ssBoth);
    EXPECT_EQ(View->GetZoomedControlHeight(), 101 + 100 - View->GetClientHeight());
}

TEST_F(ImagoViewTest, AutomaticZoomTable) {
    struct Case {
        Integer W, H;
        bool Fit, Stretch, Shrink;
        Integer Zoom;
    };
    const Case cases[] = {
        {1000, 500, true, false, false, 20},  {100, 50, false, false, true, 100}, {100, 50, false, true, false, 200},
        {100, 50, true, false, false, 200},   {1000, 500, false, true, false, 100},
        {50, 100, false, true, false, 200},   {500, 1000, false, false, true, 20},
        // More than 100 times the control: the fit would be 0, the zoom stays at least 1.
        {100000, 10, true, false, false, 1},
    };
    View->SetBounds(0, 0, 200, 200);
    for (const Case& c : cases) {
        View->SetAutoFit(c.Fit);
        View->SetAutoStretch(c.Stretch);
        View->SetAutoShrink(c.Shrink);
        Show(c.W, c.H);
        View->SetZoom(77);
        Changes.clear();
        View->Update();
        EXPECT_EQ(View->GetZoom(), c.Zoom) << c.W << "x" << c.H;
        EXPECT_EQ(Changes, std::vector<Integer>{1});
    }
    // Zooming to fit uses the same formula, and an empty bitmap leaves the zoom alone.
    View->SetAutoFit(false);
    View->SetAutoShrink(false);
    View->SetAutoStretch(false);
    Show(1000, 500);
    View->ZoomToFit();
    EXPECT_EQ(View->GetZoom(), 20);
    Show(0, 0);
    View->ZoomToFit();
    EXPECT_EQ(View->GetZoom(), 20);
}

TEST_F(ImagoViewTest, CentredImageSitsInTheMiddleWithBackgroundAround) {
    View->SetBounds(0, 0, 105, 40);
    View->SetBackground(clBlue);
    View->SetCenter(true);
    Show(100, 20);
    EXPECT_EQ(View->GetOffsetX(), 2);   // free space 5
    EXPECT_EQ(View->GetOffsetY(), 10);  // free space 20
    Bmp s = Shot();
    EXPECT_EQ(At(s.get(), 1, 20), clBlue);
    EXPECT_EQ(At(s.get(), 2, 20), Rgb(Plain(0, 0)));
    EXPECT_EQ(At(s.get(), 101, 20), Rgb(Plain(0, 0)));
    EXPECT_EQ(At(s.get(), 102, 20), clBlue);
    EXPECT_EQ(At(s.get(), 50, 9), clBlue);
    EXPECT_EQ(At(s.get(), 50, 10), Rgb(Plain(0, 0)));
    EXPECT_EQ(At(s.get(), 50, 30), clBlue);
    // Client and bitmap coordinates convert through the offset.
    EXPECT_EQ(View->XScr2Bmp(2), 0);
    EXPECT_EQ(View->XBmp2Scr(0), 2);
    EXPECT_EQ(View->YBmp2Scr(5), 15);
    // Off centre, the image starts at the top left and the background fills the rest.
    View->SetCenter(false);
    EXPECT_EQ(View->GetOffsetX(), 0);
    s = Shot();
    EXPECT_EQ(At(s.get(), 0, 0), Rgb(Plain(0, 0)));
    EXPECT_EQ(At(s.get(), 101, 5), clBlue);
    EXPECT_EQ(At(s.get(), 5, 25), clBlue);
}

TEST_F(ImagoViewTest, BackgroundStyles) {
    View->SetBackground(TColor(0x123456));
    const TColor inverse = TColor(0xEDCBA9);
    Show(0, 0);
    View->SetBackgroundStyle(iebsSolid);
    Bmp s = Shot();
    EXPECT_EQ(At(s.get(), 0, 0), TColor(0x123456));
    EXPECT_EQ(At(s.get(), 99, 99), TColor(0x123456));

    View->SetBackgroundStyle(iebsChessboard);
    s = Shot();
    EXPECT_EQ(At(s.get(), 0, 0), inverse);
    EXPECT_EQ(At(s.get(), 15, 15), inverse);
    EXPECT_EQ(At(s.get(), 16, 0), TColor(0x123456));
    EXPECT_EQ(At(s.get(), 0, 16), TColor(0x123456));
    EXPECT_EQ(At(s.get(), 16, 16), inverse);
    EXPECT_EQ(At(s.get(), 99, 99), inverse);  // square (6, 6)

    View->SetBackgroundStyle(iebsDiagonals);
    s = Shot();
    EXPECT_EQ(At(s.get(), 50, 50), inverse);
    EXPECT_EQ(At(s.get(), 10, 10), inverse);
    EXPECT_EQ(At(s.get(), 10, 90), inverse);  // the other diagonal runs from (100, 0) to (0, 100)
    EXPECT_EQ(At(s.get(), 30, 10), TColor(0x123456));

    View->SetBackgroundStyle(iebsHorizontal);
    s = Shot();
    int lines = 0;
    for (Integer y = 0; y < 100; ++y) lines += At(s.get(), 40, y) == TColor(0x123456);
    EXPECT_GT(lines, 5);
    EXPECT_LT(lines, 50);
}

TEST_F(ImagoViewTest, OneBitImageIsDrawnBlackAndWhite) {
    TBitmap* b = View->GetBitmap();
    b->SetPixelFormat(pf1bit);
    b->SetSize(10, 10);
    for (Integer y = 0; y < 10; ++y)
        for (Integer x = 0; x < 10; ++x) SetRowBit(b->ScanLine(y), x, (x + y) % 2);
    View->Update();
    View->SetZoom(300);
    Bmp s = Shot();
    EXPECT_EQ(At(s.get(), 1, 1), clBlack);
    EXPECT_EQ(At(s.get(), 4, 1), clWhite);
    EXPECT_EQ(At(s.get(), 4, 4), clBlack);
    // Filtered enlargement expands it to 24 bits first; pixels on the source centres keep
    // their black and white.
    View->SetZoomFilter(rfTriangle);
    s = Shot();
    EXPECT_EQ(At(s.get(), 0, 0), clBlack);
    EXPECT_EQ(At(s.get(), 3, 0), clWhite);
    EXPECT_EQ(At(s.get(), 3, 3), clBlack);
}

// A black left half and a white right half: nearest drawing keeps the edge hard, a filter
// puts greys on it.
TImgRGB Halves(Integer x, Integer) { return x < 5 ? ImgRGB(0, 0, 0) : ImgRGB(255, 255, 255); }

bool HasGrey(TBitmap* b, Integer y, Integer width) {
    for (Integer x = 0; x < width; ++x) {
        const Byte g = static_cast<TImgRGB*>(b->ScanLine(y))[x].g;
        if (g > 20 && g < 235) return true;
    }
    return false;
}

TEST_F(ImagoViewTest, FilterIsUsedOnlyWhenEnlarging) {
    Show(10, 10, Halves);
    View->SetZoomFilter(rfLanczos3);
    View->SetZoom(300);
    EXPECT_TRUE(HasGrey(Shot().get(), 5, View->GetExtentX()));
    View->SetZoom(50);
    EXPECT_FALSE(HasGrey(Shot().get(), 2, View->GetExtentX()));
    View->SetZoom(100);
    EXPECT_FALSE(HasGrey(Shot().get(), 2, View->GetExtentX()));
    View->SetZoomFilter(rfNone);
    View->SetZoom(300);
    EXPECT_FALSE(HasGrey(Shot().get(), 5, View->GetExtentX()));

    // Tiny visible strips at a high zoom resample without reading outside the source.
    Show(2, 2, Halves);
    View->SetZoomFilter(rfLanczos3);
    View->SetZoom(10000);
    View->SetViewXY(60, 60);
    ASSERT_EQ(View->GetViewX(), 60);
    Shot();
    Show(1, 1, Halves);
    Shot();
}

TEST_F(ImagoViewTest, VisiblePartIsDrawnFilteredInBothDirections) {
    Show(20, 10, Halves);
    View->SetZoomFilter(rfTriangle);
    View->SetDelayZoomFilter(true);
    View->SetZoom(50);
    ASSERT_EQ(View->FilterDelay(), 2);  // which this drawing does not wait for
    Bmp part(new TBitmap());
    part->SetPixelFormat(pf24bit);
    part->SetSize(View->GetExtentX(), View->GetExtentY());
    ASSERT_EQ(part->GetWidth(), 10);
    View->DrawVisibleImageTo(part->GetCanvas());
    EXPECT_TRUE(HasGrey(part.get(), 2, 10));     // reduced with the filter
    EXPECT_FALSE(HasGrey(Shot().get(), 2, 10));  // the view itself draws plainly below 100
    View->SetZoomFilter(rfNone);
    View->DrawVisibleImageTo(part->GetCanvas());
    EXPECT_FALSE(HasGrey(part.get(), 2, 10));
    EXPECT_EQ(At(part.get(), 0, 0), clBlack);
    EXPECT_EQ(At(part.get(), 9, 4), clWhite);
}

TEST_F(ImagoViewTest, DelayedFilterDrawsPlainFirstAndFilteredTwoTicksLater) {
    Show(10, 10, Halves);
    View->SetZoomFilter(rfLanczos3);
    View->SetDelayZoomFilter(true);
    View->SetZoom(300);
    EXPECT_EQ(View->FilterDelay(), 2);
    EXPECT_FALSE(HasGrey(Shot().get(), 5, View->GetExtentX()));
    View->Tick();
    EXPECT_FALSE(HasGrey(Shot().get(), 5, View->GetExtentX()));
    View->Tick();
    EXPECT_EQ(View->FilterDelay(), 0);
    EXPECT_TRUE(HasGrey(Shot().get(), 5, View->GetExtentX()));
    // Scrolling starts the delay again.
    View->SetViewX(3);
    EXPECT_EQ(View->FilterDelay(), 2);
    EXPECT_FALSE(HasGrey(Shot().get(), 5, View->GetExtentX()));
}

TEST_F(ImagoViewTest, ViewTimerCountsTheDelayDown) {
    Show(10, 10, Halves);
    View->SetZoomFilter(rfLanczos3);
    View->SetDelayZoomFilter(true);
    View->SetZoom(300);
    EXPECT_TRUE(uitest::WaitUntil([&] { return View->FilterDelay() == 0; }, 2000));
}

TEST_F(ImagoViewTest, ScrollMessagesMoveTheOrigin) {
    View->SetScrollBars(ssBoth);
    Show(1000, 3);
    View->SetZoom(10000);  // 100000 x 300 zoomed pixels
    const Integer page = View->GetClientWidth();
    ASSERT_LT(page, 100);  // the vertical bar takes its room
    Integer mx, my;
    View->GetMaxViewXY(mx, my);
    EXPECT_EQ(mx, 100000 - page);
    struct Step {
        Word Code;
        Integer Pos;
        Integer Expected;
    };
    const Step steps[] = {
        {SB_THUMBTRACK, 70000, 70000},  // beyond 16 bits
        {SB_LINEDOWN, 0, 70001},
        {SB_LINEUP, 0, 70000},
        {SB_PAGEDOWN, 0, 70000 + page},
        {SB_PAGEUP, 0, 70000},
        {SB_THUMBPOSITION, 5, 70000},
        {SB_ENDSCROLL, 0, 70000},
        {SB_BOTTOM, 0, mx},
        {SB_TOP, 0, 0},
        {SB_LINEUP, 0, 0},
    };
    for (const Step& s : steps) {
        View->Perform(WM_HSCROLL, MakeScrollWParam(s.Code, s.Pos));
        EXPECT_EQ(View->GetViewX(), s.Expected) << s.Code;
    }
    // The bar follows: range 0 .. client + maximum - 1, the page the client width.
    View->SetViewX(12345);
    TScrollInfo si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(View, SB_HORZ, si));
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 99999);
    EXPECT_EQ(si.nPage, UINT(page));
    EXPECT_EQ(si.nPos, 12345);
    View->Perform(WM_VSCROLL, MakeScrollWParam(SB_PAGEDOWN, 0));
    EXPECT_EQ(View->GetViewY(), View->GetClientHeight());
}

TEST_F(ImagoViewTest, ScrollBarsComeAndGoWithTheImage) {
    View->SetScrollBars(ssBoth);
    Show(300, 50);
    EXPECT_TRUE(View->ScrollBarState(SB_HORZ).Shown);
    EXPECT_FALSE(View->ScrollBarState(SB_VERT).Shown);
    EXPECT_EQ(View->GetClientWidth(), 100);
    EXPECT_LT(View->GetClientHeight(), 100);
    EXPECT_EQ(View->GetExtentY(), 50);
    Show(50, 50);
    EXPECT_FALSE(View->ScrollBarState(SB_HORZ).Shown);
    EXPECT_EQ(View->GetClientHeight(), 100);
    // A bar that ScrollBars does not enable never shows.
    View->SetScrollBars(ssVertical);
    Show(300, 50);
    EXPECT_FALSE(View->ScrollBarState(SB_HORZ).Shown);
}

TEST_F(ImagoViewTest, ZoomAtBringsThePointToTheCentre) {
    Show(100, 100, [](Integer x, Integer y) { return ImgRGB(Byte(x), Byte(y), 0); });
    View->ZoomAt(80, 20, 400);
    EXPECT_EQ(View->GetZoom(), 400);
    // Image point (80, 20) is zoomed pixel (320, 80); the client centre is (50, 50).
    EXPECT_EQ(View->GetViewX(), 270);
    EXPECT_EQ(View->GetViewY(), 30);
    EXPECT_EQ(View->XScr2Bmp(50), 80);
    EXPECT_EQ(View->YScr2Bmp(50), 20);
    Bmp s = Shot();
    EXPECT_EQ(At(s.get(), 50, 50), Rgb(ImgRGB(80, 20, 0)));
}

TEST_F(ImagoViewTest, SelectionGoesWhenTheBitmapSizeChanges) {
    Show(100, 100);
    View->SetSelectionBase(iesbBitmap);
    View->SelectRectangle(50, 40, 10, 10);
    ASSERT_TRUE(View->GetSelected());
    ASSERT_EQ(View->GetSelectionPointCount(), 4);
    EXPECT_EQ(View->GetSelectionPoints()[0], (TPoint{10, 10}));
    EXPECT_EQ(View->GetSelectionPoints()[2], (TPoint{50, 40}));
    EXPECT_EQ(View->GetSelX2(), 50);
    View->SelectRectangle(10, 10, 10, 50);  // one column: ignored
    EXPECT_EQ(View->GetSelX1(), 10);
    View->Update();  // same size: kept
    EXPECT_TRUE(View->GetSelected());
    View->GetBitmap()->SetSize(80, 100);
    View->Update();
    EXPECT_FALSE(View->GetSelected());
    EXPECT_EQ(View->GetSelectionPointCount(), 0);
}

TEST_F(ImagoViewTest, AssignTakesViewsBitmapsAndNothing) {
    View->SetBackground(clRed);
    Show(30, 20);
    int imageChanges = 0;
    View->OnImageChange = [&](TObject*) { ++imageChanges; };
    View->Assign(nullptr);
    EXPECT_EQ(View->GetBitmap()->GetWidth(), 30);
    EXPECT_EQ(Rgb(static_cast<TImgRGB*>(View->GetBitmap()->ScanLine(19))[29]), clRed);
    EXPECT_EQ(imageChanges, 0);

    auto* other = new TImagoView(Form);
    Fill(other->GetBitmap(), 7, 5, [](Integer x, Integer) { return ImgRGB(Byte(x), 1, 2); });
    other->SetBackground(clLime);
    other->SetDPI(300, 150);
    View->Assign(other);
    EXPECT_EQ(View->GetBitmap()->GetWidth(), 7);
    EXPECT_EQ(static_cast<TImgRGB*>(View->GetBitmap()->ScanLine(0))[6].r, 6);
    EXPECT_EQ(View->GetBackground(), clLime);
    EXPECT_EQ(View->GetDpiY(), 150);
    EXPECT_EQ(imageChanges, 1);

    TBitmap mono;
    mono.SetPixelFormat(pf1bit);
    mono.SetSize(9, 3);
    View->Assign(&mono);
    EXPECT_EQ(View->GetBitmap()->GetPixelFormat(), pf1bit);
    EXPECT_EQ(View->GetBitmap()->GetWidth(), 9);
    EXPECT_EQ(imageChanges, 2);
    TFont font;
    View->Assign(&font);  // not an image: ignored
    EXPECT_EQ(imageChanges, 2);
}

TEST_F(ImagoViewTest, ListenersAreRemovedByTheirObject) {
    TObject first, second;
    std::vector<std::string> calls;
    View->AddBitmapChangeListener(&first, [&](TObject* s) {
        EXPECT_EQ(s, View);
        calls.push_back("first");
    });
    View->AddBitmapChangeListener(&second, [&](TObject*) { calls.push_back("second"); });
    View->NotifyBitmapChange();
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "second"}));
    View->RemoveBitmapChangeListener(&first);
    View->RemoveBitmapChangeListener(&first);  // nothing left of it
    calls.clear();
    View->NotifyBitmapChange();
    EXPECT_EQ(calls, std::vector<std::string>{"second"});
}

TEST_F(ImagoViewTest, UpdateLockHoldsPainting) {
    View->SetBackground(clRed);
    Show(50, 50);
    View->BeginUpdate();
    View->BeginUpdate();
    EXPECT_EQ(View->UnlockUpdate(), 1);
    EXPECT_EQ(View->EndUpdate(), 0);
    EXPECT_EQ(View->EndUpdate(), 0);
    // Nothing updates without a parent form.
    auto* loose = new TImagoView(nullptr);
    Fill(loose->GetBitmap(), 300, 300, Plain);
    loose->SetAutoFit(true);
    loose->Update();
    EXPECT_EQ(loose->GetZoom(), 100);
    loose->Free();
}

TEST_F(ImagoViewTest, ThePaintedWindowShowsTheImage) {
    View->SetBackground(clYellow);
    View->SetBounds(10, 10, 120, 80);
    Show(60, 40, [](Integer x, Integer y) { return x < 30 ? ImgRGB(255, 0, 0) : ImgRGB(0, 0, 255); });
    for (bool buffered : {false, true}) {
        View->SetDoubleBuffer(buffered);
        View->SetZoom(buffered ? 150 : 100);
        uitest::ShowForm(Form);
        const uitest::TCapture cap = uitest::Capture(View);
        ASSERT_EQ(cap.Width, 120);
        EXPECT_EQ(cap.Pixel(5, 5), clRed) << buffered;
        EXPECT_EQ(cap.Pixel(buffered ? 80 : 50, 5), clBlue) << buffered;
        EXPECT_EQ(cap.Pixel(5, 70), clYellow) << buffered;
        EXPECT_EQ(cap.Pixel(115, 5), clYellow) << buffered;
    }
}

}  // namespace
