#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "framework/forms.h"
#include "framework/messages.h"
#include "framework/testing/ui_test.h"
#include "imaging/controls/imago_mview.h"
#include "imaging/formats/imago_io.h"
#include "imaging/tests/image_fixture.h"

namespace {

TImgRGB Red(Integer, Integer) {
    return ImgRGB(255, 0, 0);
}

// The view on a shown form, without a border, so that the client area is the control.
class ImagoMViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::Start();
        Form = new TForm(nullptr);
        Form->SetBounds(50, 50, 500, 400);
        View = new TImagoMView(Form);
        View->SetParent(Form);
        View->SetBorderStyle(bsNone);
        View->SetBounds(0, 0, 320, 240);
        View->SetBackground(TColor(0x00FF00));
        uitest::ShowForm(Form);
    }
    void TearDown() override {
        Form->Free();
        uitest::ProcessEvents();
    }

    // Appends n images of w x h in the colour given.
    void Add(Integer n, Integer w = 10, Integer h = 10, TImgRGB colour = ImgRGB(255, 0, 0)) {
        Bmp b = Make24(w, h, [&](Integer, Integer) { return colour; });
        for (Integer i = 0; i < n; ++i) View->SetImage(View->AppendImage(), b.get());
    }
    // What the client area shows.
    Bmp Shot() {
        Bmp b(new TBitmap());
        b->SetPixelFormat(pf24bit);
        b->SetSize(View->GetClientWidth(), View->GetClientHeight());
        View->PaintTo(b->GetCanvas());
        return b;
    }
    static TColor At(TBitmap* b, Integer x, Integer y) { return ImgRGBToColor(Px(b, x, y)); }

    TForm* Form = nullptr;
    TImagoMView* View = nullptr;
};

TEST_F(ImagoMViewTest, CreatedWithItsDefaults) {
    auto* v = new TImagoMView(Form);
    EXPECT_EQ(v->GetWidth(), 180);
    EXPECT_EQ(v->GetHeight(), 90);
    EXPECT_EQ(v->ImageCount(), 0);
    EXPECT_EQ(v->GetSelectedImage(), -1);
    EXPECT_EQ(v->GetBitmap(), nullptr);
    EXPECT_FALSE(v->GetPlaying());
    EXPECT_TRUE(v->GetPlayLoop());
    EXPECT_EQ(v->GetThumbWidth(), 100);
    EXPECT_EQ(v->GetHorizBorder(), 4);
    EXPECT_EQ(v->GetSelectionWidth(), 3);
    EXPECT_EQ(v->GetSelectionColor(), TColor(255));
    EXPECT_EQ(v->GetMouseInteract(), TImgMMouseInteract{mmiSelect});
    EXPECT_EQ(v->GetDisplayMode(), mdGrid);
    EXPECT_EQ(v->GetGridWidth(), 0);
}

TEST_F(ImagoMViewTest, LaysCellsOutByGridWidth) {
    struct Case {
        Integer gridWidth, images;
        std::vector<TPoint> places;  // column, row
        Integer contentW, contentH;
    };
    const Case cases[] = {
        {-1, 3, {{0, 0}, {1, 0}, {2, 0}}, 316, 108},  // (320 - 4) div 104 = 3 columns
        {-1, 4, {{0, 0}, {1, 0}, {2, 0}, {0, 1}}, 316, 212},
        {0, 5, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}, 524, 108},  // one row
        {2, 5, {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0, 2}}, 212, 316},  // rows of 2, 2, 1
    };
    for (const Case& c : cases) {
        View->Clear();
        View->SetGridWidth(c.gridWidth);
        Add(c.images);
        SCOPED_TRACE(c.gridWidth);
        for (Integer i = 0; i < c.images; ++i) {
            const TPoint place = View->GetImageGridPlace(i);
            EXPECT_EQ(place.X, c.places[i].X) << i;
            EXPECT_EQ(place.Y, c.places[i].Y) << i;
            const TPoint pos = View->GetImagePosition(i);
            EXPECT_EQ(pos.X, 4 + place.X * 104);
            EXPECT_EQ(pos.Y, 4 + place.Y * 104);
        }
        EXPECT_EQ(View->GetContentWidth(), c.contentW);
        EXPECT_EQ(View->GetContentHeight(), c.contentH);
    }
    // Cells after an image inserted or deleted in the middle move on; the content shrinks with the
    // list; a narrower view lays a grid of as many columns as fit out again.
    auto expectGrid = [&](Integer columns, Integer contentW, Integer contentH) {
        for (Integer i = 0; i < View->ImageCount(); ++i) {
            EXPECT_EQ(View->GetImageGridPlace(i).X, i % columns) << i;
            EXPECT_EQ(View->GetImageGridPlace(i).Y, i / columns) << i;
            EXPECT_EQ(View->GetImagePosition(i).Y, 4 + i / columns * 104) << i;
        }
        EXPECT_EQ(View->GetContentWidth(), contentW);
        EXPECT_EQ(View->GetContentHeight(), contentH);
    };
    View->SetGridWidth(-1);
    View->InsertImage(1);
    ASSERT_EQ(View->ImageCount(), 6);
    expectGrid(3, 316, 212);
    for (Integer i = 0; i < 3; ++i) View->DeleteImage(1);
    expectGrid(3, 316, 108);
    View->SetBounds(0, 0, 220, 240);
    expectGrid(2, 212, 212);
    View->SetDisplayMode(mdSingle);
    for (Integer i = 0; i < View->ImageCount(); ++i) EXPECT_EQ(View->GetImagePosition(i).X, 4);
}

TEST_F(ImagoMViewTest, FitSizeKeepsProportionsAndLeavesNothingUndefined) {
    Integer w = -1, h = -1;
    TImagoMView::FitSize(50, 25, 100, 100, w, h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 50);
    TImagoMView::FitSize(300, 600, 100, 100, w, h);
    EXPECT_EQ(w, 50);
    EXPECT_EQ(h, 100);
    TImagoMView::FitSize(0, 25, 100, 100, w, h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
}

TEST_F(ImagoMViewTest, DrawsAnImageFittedAndCentredInItsCell) {
    View->SetHorizBorder(0);
    View->SetVertBorder(0);
    View->SetVisibleSelection(false);
    Add(1, 50, 25);
    Bmp shot = Shot();
    // 100 x 50 at (0, 25) inside the cell at (0, 0); the background above, below and beside.
    EXPECT_EQ(At(shot.get(), 0, 25), TColor(0x0000FF));
    EXPECT_EQ(At(shot.get(), 99, 74), TColor(0x0000FF));
    EXPECT_EQ(At(shot.get(), 50, 24), TColor(0x00FF00));
    EXPECT_EQ(At(shot.get(), 50, 75), TColor(0x00FF00));
    EXPECT_EQ(At(shot.get(), 100, 50), TColor(0x00FF00));
}

TEST_F(ImagoMViewTest, EmptyImageAndSelectionFrameAreDrawn) {
    View->SetDrawImageBackground(true);
    View->AppendImage();  // size 0: an empty cell in the image's own background
    View->SetImageBackground(0, TColor(0x123456));
    Bmp empty = Make24(0, 0, Red);
    View->SetImage(0, empty.get());
    Bmp shot = Shot();
    EXPECT_EQ(At(shot.get(), 54, 54), TColor(0x123456));
    // The selected cell has a one-pixel frame in the selection colour while unfocused.
    EXPECT_EQ(At(shot.get(), 3, 3), TColor(255));
    EXPECT_EQ(At(shot.get(), 2, 2), TColor(0x00FF00));
    View->SetFocus();
    shot = Shot();
    EXPECT_EQ(At(shot.get(), 1, 1), TColor(255));
}

TEST_F(ImagoMViewTest, InsertAndDeleteKeepTheSelectionOnTheSameImage) {
    Add(4);
    EXPECT_EQ(View->GetSelectedImage(), 3);  // the image appended last
    EXPECT_EQ(View->TakeLastChange(), imgChangeInserted);
    EXPECT_EQ(View->GetLastChangeIndex(), 3);
    EXPECT_EQ(View->TakeLastChange(), imgChangeNone);

    View->DeleteImage(3);  // the selected last image: the new last one is selected
    EXPECT_EQ(View->GetSelectedImage(), 2);
    EXPECT_EQ(View->TakeLastChange(), imgChangeDeleted);
    EXPECT_EQ(View->GetLastChangeIndex(), 3);

    View->SetImageDelay(2, 77);
    View->DeleteImage(0);  // a lower image: the same image stays selected
    EXPECT_EQ(View->GetSelectedImage(), 1);
    EXPECT_EQ(View->GetImageDelay(1), 77);
    EXPECT_TRUE(View->IsImageDecoded(1));
    EXPECT_NE(View->GetBitmap(), nullptr);

    View->InsertImage(0);
    EXPECT_EQ(View->GetSelectedImage(), 0);
    EXPECT_FALSE(View->IsImageDecoded(2));  // the former selection is packed again
    EXPECT_NE(View->GetImageDIB(2), nullptr);

    // Indexes outside the list, negative ones too, are ignored.
    const Integer count = View->ImageCount();
    View->DeleteImage(-1);
    View->DeleteImage(count);
    EXPECT_EQ(View->ImageCount(), count);
    EXPECT_EQ(View->GetImageWidth(-1), 0);
    EXPECT_EQ(View->GetImageBitmap(-1), nullptr);
    View->SetImageDelay(-1, 5);
    EXPECT_EQ(View->GetImageDelay(-1), 0);

    View->Clear();
    EXPECT_EQ(View->ImageCount(), 0);
    EXPECT_EQ(View->GetSelectedImage(), -1);
    EXPECT_EQ(View->GetBitmap(), nullptr);
}

TEST_F(ImagoMViewTest, HoldingDecodesAndTheLastReleasePacks) {
    Add(2, 7, 3);
    View->SetSelectedImage(1);
    EXPECT_NE(View->GetImageDIB(0), nullptr);
    EXPECT_EQ(View->GetImageWidth(0), 7);
    EXPECT_EQ(View->GetImageHeight(0), 3);
    TBitmap* b = View->GetImageBitmap(0);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(View->GetImageDIB(0), nullptr);
    EXPECT_EQ(View->GetImageBitmap(0), b);
    EXPECT_EQ(View->GetImageWidth(0), 7);  // from the decoded bitmap now
    View->ReleaseImageBitmap(0);
    EXPECT_TRUE(View->IsImageDecoded(0));
    View->ReleaseImageBitmap(0);
    EXPECT_FALSE(View->IsImageDecoded(0));
    EXPECT_NE(View->GetImageDIB(0), nullptr);
    EXPECT_EQ(Px(View->GetImageBitmap(0), 6, 2), ImgRGB(255, 0, 0));
    View->ReleaseImageBitmap(0);
    View->ReleaseImageBitmap(0);  // more releases than holds change nothing
    EXPECT_NE(View->GetImageDIB(0), nullptr);
}

// The selected image keeps a taken bitmap itself until it is released; an image not selected, or
// a bitmap the view cannot keep as it is, is stored as SetImage stores it.
TEST_F(ImagoMViewTest, TakenBitmapsAreKeptWhenSelectedAndPackedOtherwise) {
    Add(2);
    ASSERT_EQ(View->GetSelectedImage(), 1);
    Bmp blue = Make24(5, 4, [](Integer x, Integer) { return ImgRGB(0, Byte(x * 10), 255); });
    TBitmap* taken = blue.get();
    View->TakeImage(1, std::move(blue));
    EXPECT_EQ(View->GetBitmap(), taken);
    EXPECT_EQ(View->GetImageDIB(1), nullptr);
    View->SetSelectedImage(0);
    EXPECT_NE(View->GetImageDIB(1), nullptr);
    EXPECT_EQ(Px(View->GetImageBitmap(1), 4, 3), ImgRGB(0, 40, 255));
    View->ReleaseImageBitmap(1);

    View->TakeImage(1, Make24(3, 2, Red));
    EXPECT_FALSE(View->IsImageDecoded(1));
    EXPECT_EQ(View->GetImageWidth(1), 3);
    Bmp wide(new TBitmap());
    wide->SetPixelFormat(pf32bit);
    wide->SetSize(4, 2);
    View->TakeImage(0, std::move(wide));
    EXPECT_EQ(View->GetBitmap()->GetPixelFormat(), pf24bit);
    View->SetStoreType(ietThumb);
    View->TakeImage(0, Make24(400, 100, Red));
    EXPECT_EQ(View->GetImageWidth(0), 100);
    View->TakeImage(7, Make24(3, 2, Red));  // outside the list: ignored
    EXPECT_EQ(View->ImageCount(), 2);
}

TEST_F(ImagoMViewTest, BitmapsOfOtherFormatsArePackedAs24Bit) {
    Bmp source(new TBitmap());
    source->SetPixelFormat(pf32bit);
    source->SetSize(4, 2);
    source->GetCanvas()->GetBrush()->SetColor(TColor(0x3060C0));
    source->GetCanvas()->FillRect(Rect(0, 0, 4, 2));
    View->SetImage(View->AppendImage(), source.get());
    TBitmap* b = View->GetBitmap();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetPixelFormat(), pf24bit);
    EXPECT_EQ(Px(b, 3, 1), ImgRGB(0xC0, 0x60, 0x30));
}

TEST_F(ImagoMViewTest, ThumbnailsAreStoredAtTheCellSize) {
    View->SetStoreType(ietThumb);
    View->SetThumbWidth(40);
    View->SetThumbHeight(30);
    Add(1, 400, 100);
    View->SetSelectedImage(-1);
    EXPECT_EQ(View->GetImageWidth(0), 40);
    EXPECT_EQ(View->GetImageHeight(0), 10);
}

TEST_F(ImagoMViewTest, LoadsImagesWithASourceInViewAndDropsThemOutOfView) {
    View->SetGridWidth(1);
    View->SetBounds(0, 0, 120, 120);
    std::vector<Integer> requested;
    Bmp source = Make24(8, 8, Red);
    View->OnImageIDRequest = [&](TObject*, Integer id, TBitmap*& bitmap) {
        requested.push_back(id);
        bitmap = source.get();
    };
    for (Integer i = 0; i < 5; ++i) View->SetImageID(View->AppendImage(), i * 10);
    View->SetSelectedImage(4);  // held: loaded at once and never dropped
    requested.clear();
    Shot();
    EXPECT_EQ(requested, (std::vector<Integer>{0, 10}));  // the two cells that meet the client area
    EXPECT_NE(View->GetImageDIB(0), nullptr);
    EXPECT_EQ(View->GetImageDIB(2), nullptr);
    View->SetViewY(104 * 3);
    requested.clear();
    Shot();
    EXPECT_EQ(requested, (std::vector<Integer>{30}));  // 4 is held already
    EXPECT_EQ(View->GetImageDIB(0), nullptr);  // dropped out of view
    EXPECT_NE(View->GetImageDIB(3), nullptr);
    EXPECT_TRUE(View->IsImageDecoded(4));
}

TEST_F(ImagoMViewTest, LoadsFilesOnDemandAndRemovesCorruptedOnes) {
    const std::string dir = ::testing::TempDir() + "/mview_files";
    std::filesystem::create_directories(dir);
    Bmp picture = Make24(20, 10, [](Integer x, Integer) { return x < 10 ? ImgRGB(0, 0, 255) : ImgRGB(255, 255, 0); });
    {
        TImagoIO io(nullptr);
        io.SetAttachedBitmap(picture.get());
        io.SaveToFile(dir + "/good.bmp");
        ASSERT_FALSE(io.GetAborting());
    }
    {
        FILE* f = std::fopen((dir + "/bad.bmp").c_str(), "wb");
        std::fputs("BM not a picture", f);
        std::fclose(f);
    }
    View->AppendImage();
    View->SetImageFileName(0, dir + "/good.bmp");
    View->AppendImage();
    View->SetImageFileName(1, dir + "/bad.bmp");
    View->SetSelectedImage(-1);
    EXPECT_TRUE(View->LoadImageOnDemand(0));
    EXPECT_EQ(View->GetImageWidth(0), 20);
    EXPECT_FALSE(View->LoadImageOnDemand(1));
    EXPECT_EQ(View->GetImageDIB(1), nullptr);
    Shot();  // the failed image stays as a plain cell
    EXPECT_EQ(View->ImageCount(), 2);
    View->SetRemoveCorrupted(true);
    Shot();
    EXPECT_EQ(View->ImageCount(), 1);
    EXPECT_EQ(View->GetImageFileName(0), dir + "/good.bmp");
}

TEST_F(ImagoMViewTest, PlaybackTimersFollowTheDelays) {
    Add(3);
    View->SetImageDelay(0, 0);
    View->SetImageDelay(1, 50);
    View->SetImageDelay(2, 200);
    View->SetSelectedImage(1);
    View->SetPlaying(true);
    EXPECT_EQ(View->GetDisplayMode(), mdSingle);
    EXPECT_EQ(View->GetSelectedImage(), -1);
    std::vector<Integer> intervals{View->GetPlayTimerInterval()};
    View->Perform(WM_TIMER, 1);
    intervals.push_back(View->GetPlayTimerInterval());
    View->Perform(WM_TIMER, 1);
    intervals.push_back(View->GetPlayTimerInterval());
    EXPECT_EQ(intervals, (std::vector<Integer>{10, 50, 200}));
    EXPECT_EQ(View->GetCurrentFrame(), 0);  // wrapped after the last frame
    // Without PlayLoop, showing the last frame ends playback in single mode.
    View->SetPlayLoop(false);
    View->Perform(WM_TIMER, 1);
    View->Perform(WM_TIMER, 1);
    EXPECT_TRUE(View->GetPlaying());
    View->Perform(WM_TIMER, 1);
    EXPECT_FALSE(View->GetPlaying());
    EXPECT_EQ(View->GetPlayTimerInterval(), 0);
    EXPECT_EQ(View->GetDisplayMode(), mdSingle);

    // With PlayLoop on, the timer drives it round and stopping restores mode and selection.
    View->SetDisplayMode(mdGrid);
    View->SetSelectedImage(2);
    View->SetPlayLoop(true);
    View->SetPlaying(true);
    ASSERT_TRUE(uitest::WaitUntil([&] { return View->GetCurrentFrame() == 0; }));
    EXPECT_TRUE(View->GetPlaying());
    View->SetPlaying(false);
    EXPECT_EQ(View->GetDisplayMode(), mdGrid);
    EXPECT_EQ(View->GetSelectedImage(), 2);
}

TEST_F(ImagoMViewTest, PlaybackStartsAgainAfterImagesWereAdded) {
    View->SetPlaying(true);
    EXPECT_FALSE(View->GetPlaying());
    Add(2);
    View->SetPlaying(true);
    EXPECT_TRUE(View->GetPlaying());
    EXPECT_EQ(View->GetPlayTimerInterval(), 10);
    // While playing, selecting is ignored and adding an image stops playback.
    View->SetSelectedImage(0);
    EXPECT_EQ(View->GetSelectedImage(), -1);
    View->AppendImage();
    EXPECT_FALSE(View->GetPlaying());
}

TEST_F(ImagoMViewTest, ClicksSelectAndDragsScroll) {
    View->SetGridWidth(-1);
    Add(9);
    std::vector<Integer> selected;
    View->OnImageSelect = [&](TObject*, Integer idx) { selected.push_back(idx); };
    uitest::Click(View, 110, 10);
    EXPECT_EQ(View->GetSelectedImage(), 1);
    uitest::Click(View, 2, 2);  // a border: nothing is hit
    EXPECT_EQ(View->GetSelectedImage(), 1);
    EXPECT_EQ(selected, (std::vector<Integer>{1}));

    View->SetMouseInteract(TImgMMouseInteract{mmiScroll});
    uitest::MouseDown(View, 100, 200);
    uitest::MouseMove(View, 100, 150, TShiftState{ssLeft});
    EXPECT_EQ(View->GetViewY(), 50);
    uitest::MouseUp(View, 100, 100);
    EXPECT_EQ(View->GetViewY(), 76);  // content 3 x 104 + 4 = 316 high, 240 shown

    View->SetMouseInteract(TImgMMouseInteract{mmiSelect});
    View->SetDisplayMode(mdSingle);
    View->SetViewXY(0, 0);
    uitest::Click(View, 50, 50);  // every image shares the first cell
    EXPECT_EQ(View->GetSelectedImage(), 0);
}

TEST_F(ImagoMViewTest, KeysMoveTheSelectionAndScrollItIntoView) {
    View->SetGridWidth(-1);  // 3 columns; 2 rows of cells fit the height
    Add(12);
    View->SetFocus();
    struct Step {
        Word key;
        Integer selected;
    };
    const Step steps[] = {{VK_HOME, 0},  {VK_RIGHT, 1}, {VK_DOWN, 4},  {VK_LEFT, 3}, {VK_NEXT, 9},
                          {VK_DOWN, 11}, {VK_UP, 8},    {VK_PRIOR, 2}, {VK_END, 11}, {VK_UP, 8}};
    for (const Step& s : steps) {
        uitest::PressKey(View, s.key);
        EXPECT_EQ(View->GetSelectedImage(), s.selected) << s.key;
        EXPECT_EQ(View->IsImageVisible(View->GetSelectedImage()), 2) << s.key;
    }
    uitest::PressKey(View, VK_HOME);
    EXPECT_EQ(View->GetViewY(), 0);
}

}  // namespace
