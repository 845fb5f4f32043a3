#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

#include "framework/clipboard.h"
#include "framework/forms.h"
#include "framework/std_controls.h"
#include "framework/testing/ui_test.h"
#include "image_fixture.h"
#include "imaging/bitmap_routines.h"
#include "imaging/img_proc.h"
#include "imaging/img_view.h"
#include "imaging/quantizer.h"

namespace {

TImgRGB Code(Integer x, Integer y) { return ImgRGB(Byte(x * 20), Byte(y * 20), Byte(100 + x + y)); }

void Fill(TBitmap* b, Integer w, Integer h, const std::function<TImgRGB(Integer, Integer)>& pixel) {
    Bmp src = Make24(w, h, pixel);
    CopyBitmap(src.get(), b);
}

// A view standing in for one that replaces its bitmap object (as the multi-image view does when
// another image is selected): the old bitmap is freed and the listeners are told.
class TSwappingView : public TImgView {
    LUMORA_CLASS(TSwappingView, TImgView)
public:
    using TImgView::TImgView;
    ~TSwappingView() override { delete FCurrent; }
    TBitmap* GetBitmap() override { return FCurrent; }
    void Swap(Integer w, Integer h) {
        delete FCurrent;
        FCurrent = Make24(w, h, Code).release();
        NotifyBitmapChange();
    }
    Integer Updates = 0;
    void Update() override { ++Updates; }

private:
    TBitmap* FCurrent = Make24(4, 4, Code).release();
};

class ProcTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::Start();
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 300, 300);
        View = new TImagoView(Form);
        View->SetParent(Form);
        View->SetBorderStyle(bsNone);
        View->SetBounds(0, 0, 200, 200);
        View->SetSelectionBase(iesbBitmap);
        Proc = new TImagoProc(Form);
        Proc->SetAttachedImago(View);
    }
    void TearDown() override {
        if (Form) Form->Free();
        uitest::ProcessEvents();
    }
    TBitmap* Bitmap() { return View->GetBitmap(); }

    TForm* Form = nullptr;
    TImagoView* View = nullptr;
    TImagoProc* Proc = nullptr;
};

TEST_F(ProcTest, UndoRestoresAsOftenAsAskedAndNeedsTwoByTwo) {
    Fill(Bitmap(), 6, 5, Code);
    Proc->Undo();  // nothing saved: nothing happens
    EXPECT_EQ(Px(Bitmap(), 2, 3), Code(2, 3));
    Proc->Negative();
    EXPECT_EQ(Px(Bitmap(), 2, 3).r, 255 - Code(2, 3).r);
    EXPECT_TRUE(Proc->CanUndo());
    for (int i = 0; i < 2; ++i) {
        Proc->Undo();
        EXPECT_EQ(Px(Bitmap(), 2, 3), Code(2, 3));
    }
    Proc->ClearUndo();
    EXPECT_FALSE(Proc->CanUndo());

    // A picture one pixel high is saved, but cannot be brought back.
    Fill(Bitmap(), 7, 1, Code);
    Proc->Negative();
    EXPECT_FALSE(Proc->CanUndo());
    Proc->Undo();
    EXPECT_EQ(Px(Bitmap(), 3, 0).g, 255 - Code(3, 0).g);

    Proc->SetAutoUndo(false);
    Fill(Bitmap(), 3, 3, Code);
    Proc->SaveUndo();
    Proc->Negative();
    Proc->Negative();
    Proc->Negative();
    Proc->Undo();
    EXPECT_EQ(Px(Bitmap(), 1, 1), Code(1, 1));
}

TEST_F(ProcTest, GreyAndNegativeStayInsideTheSelection) {
    const TImgRGB white = ImgRGB(255, 255, 255);
    struct Case {
        const char* name;
        std::function<void()> select;
        std::function<bool(Integer, Integer)> inside;
    } cases[] = {
        {"none", [] {}, [](Integer, Integer) { return true; }},
        {"rectangle", [this] { View->SelectRectangle(2, 1, 6, 4, 0); },
         [](Integer x, Integer y) { return x >= 2 && x <= 6 && y >= 1 && y <= 4; }},
        // Two rectangles make a polygon selection: pixels of the bounding box outside both keep
        // their values, and the right and bottom edges of each polygon lie outside it.
        {"two rectangles",
         [this] {
             View->SelectRectangle(1, 1, 3, 3, 0);
             View->SelectRectangle(6, 4, 9, 7, 1);
         },
         [](Integer x, Integer y) {
             return (x >= 1 && x < 3 && y >= 1 && y < 3) || (x >= 6 && x < 9 && y >= 4 && y < 7);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool grey : {true, false}) {
            Fill(Bitmap(), 12, 9, [&](Integer x, Integer y) { return (x + y) % 3 ? Code(x, y) : white; });
            View->Update();
            View->Deselect();
            c.select();
            Bmp before(CloneBitmap(Bitmap()));
            if (grey)
                Proc->ConvertToGrayscale();
            else
                Proc->Negative();
            for (Integer y = 0; y < 9; ++y)
                for (Integer x = 0; x < 12; ++x) {
                    const TImgRGB was = Px(before.get(), x, y), now = Px(Bitmap(), x, y);
                    TImgRGB expect = was;
                    if (c.inside(x, y)) {
                        const Byte g = Byte(ImgRGBGrayLevel(was));
                        expect =
                            grey ? TImgRGB{g, g, g} : TImgRGB{Byte(255 - was.b), Byte(255 - was.g), Byte(255 - was.r)};
                    }
                    ASSERT_EQ(now, expect) << x << "," << y << (grey ? " grey" : " negative");
                }
        }
    }
    Fill(Bitmap(), 2, 2, [&](Integer, Integer) { return white; });
    View->Update();
    Proc->ConvertToGrayscale();
    EXPECT_EQ(Px(Bitmap(), 1, 1), ImgRGB(252, 252, 252));
}

TEST_F(ProcTest, KernelsReportPerRowAndClipTheRectangle) {
    Bmp b = Make24(5, 4, Code);
    std::vector<Integer> per;
    GrayscaleRect(b.get(), 1, 0, 99, 99, TImgProgressTarget([&](TObject*, Integer p) { per.push_back(p); }, nullptr));
    // Trunc((row - y1 + 1) * (100 / (y2 - y1 + 0.5))) with y2 clipped to 3.
    EXPECT_EQ(per, (std::vector<Integer>{28, 57, 85, 114}));
    EXPECT_EQ(Px(b.get(), 0, 0), Code(0, 0));
    EXPECT_EQ(Px(b.get(), 4, 3).r, Px(b.get(), 4, 3).g);

    Bmp one = Make1(10, 2, [](Integer x, Integer) { return x < 5; });
    per.clear();
    NegativeRect(one.get(), 3, 1, 6, 1, TImgProgressTarget([&](TObject*, Integer p) { per.push_back(p); }, nullptr));
    EXPECT_TRUE(per.empty());
    for (Integer x = 0; x < 10; ++x) {
        EXPECT_EQ(Bit(one.get(), x, 0), x < 5);
        EXPECT_EQ(Bit(one.get(), x, 1), (x < 5) != (x >= 3 && x <= 6)) << x;
    }
    EXPECT_EQ(CountRectColors(b.get(), 0, 0, 0, 3), 4);
    EXPECT_EQ(CountRectColors(one.get(), 0, 0, 9, 1), 0);
}

TEST_F(ProcTest, ColourCountsConversionsAndReduction) {
    Fill(Bitmap(), 8, 4, [](Integer x, Integer) { return ImgRGB(Byte(x * 30), 0, 0); });
    View->Update();
    EXPECT_EQ(Proc->CountColors(), 8);
    View->SelectRectangle(2, 0, 4, 3, 0);
    EXPECT_EQ(Proc->CountColors(), 3);
    View->Deselect();

    Proc->ConvertToBlackWhite();
    EXPECT_EQ(Bitmap()->GetPixelFormat(), pf1bit);
    EXPECT_EQ(Proc->CountColors(), 2);
    Proc->ConvertToGrayscale();  // 24-bit only: nothing
    EXPECT_EQ(Bitmap()->GetPixelFormat(), pf1bit);
    Proc->ConvertTo24Bit();
    ASSERT_EQ(Bitmap()->GetPixelFormat(), pf24bit);
    std::set<Cardinal> seen;
    for (Integer y = 0; y < 4; ++y)
        for (Integer x = 0; x < 8; ++x) seen.insert(ImgPackRGB(Px(Bitmap(), x, y)));
    EXPECT_TRUE(seen.count(0) && seen.count(0xFFFFFF));
    EXPECT_EQ(seen.size(), 2u);

    Fill(Bitmap(), 16, 16, [](Integer x, Integer y) { return ImgRGB(Byte(x * 16), Byte(y * 16), 90); });
    Proc->ReduceColors(16);
    EXPECT_EQ(Bitmap()->GetPixelFormat(), pf24bit);
    EXPECT_LE(Proc->CountColors(), 16);
    TImgRGB palette[2] = {ImgRGB(1, 2, 3), ImgRGB(1, 2, 3)};
    Proc->ReduceColorsGetPalette(2, palette);
    EXPECT_EQ(Bitmap()->GetPixelFormat(), pf1bit);
    EXPECT_EQ(palette[0], ImgRGB(0, 0, 0));
    EXPECT_EQ(palette[1], ImgRGB(255, 255, 255));
}

TEST_F(ProcTest, FollowsTheViewAndDropsItsBitmapWhenTheViewGoes) {
    Fill(Bitmap(), 3, 3, Code);
    EXPECT_EQ(Proc->GetAttachedBitmap(), Bitmap());
    Proc->SetBackground(clBlue);
    EXPECT_EQ(View->GetBackground(), clBlue);
    Integer changes = 0;
    View->OnImageChange = [&](TObject*) { ++changes; };
    Proc->Negative();
    EXPECT_EQ(changes, 1);

    View->Free();
    View = nullptr;
    EXPECT_EQ(Proc->GetAttachedImago(), nullptr);
    EXPECT_EQ(Proc->GetAttachedBitmap(), nullptr);
    Proc->Negative();  // nothing to work on: no effect, no stale pointer
    Proc->Rotate(30, true);
    Proc->Resample(10, 10, rfTriangle);
    Proc->Undo();
    EXPECT_EQ(Proc->CountColors(), 0);
    EXPECT_EQ(Proc->GetBackground(), clBlack);  // its own again
}

TEST_F(ProcTest, DetachingDropsTheBitmapOfAViewThatReplacesItsOwn) {
    auto* swapping = new TSwappingView(Form);
    swapping->SetParent(Form);
    Proc->SetAttachedImago(swapping);
    swapping->Swap(5, 2);
    EXPECT_EQ(Proc->GetAttachedBitmap(), swapping->GetBitmap());  // replacements are followed
    Proc->Negative();
    EXPECT_EQ(swapping->Updates, 1);
    EXPECT_EQ(Px(swapping->GetBitmap(), 4, 1).b, 255 - Code(4, 1).b);

    // Nil as the bitmap: the view stays attached but is no longer followed, so its bitmap must
    // not be kept either.
    Proc->SetAttachedBitmap(nullptr);
    EXPECT_EQ(Proc->GetAttachedImago(), swapping);
    swapping->Swap(6, 6);  // frees the bitmap the component had
    Proc->Negative();
    Proc->Flip(0);
    EXPECT_EQ(Px(swapping->GetBitmap(), 0, 0), Code(0, 0));

    Proc->SetAttachedImago(swapping);
    Proc->SetAttachedImago(nullptr);
    EXPECT_EQ(Proc->GetAttachedBitmap(), nullptr);
    swapping->Swap(2, 2);
    Proc->Negative();

    // A bare bitmap takes over from any view; modifying it is reported through the bitmap.
    Bmp bare = Make24(2, 2, Code);
    Integer changed = 0;
    bare->OnChange = [&](TObject*) { ++changed; };
    Proc->SetAttachedImago(swapping);
    Proc->SetAttachedBitmap(bare.get());
    EXPECT_EQ(Proc->GetAttachedImago(), nullptr);
    swapping->Swap(3, 3);
    EXPECT_EQ(Proc->GetAttachedBitmap(), bare.get());
    Proc->Negative();
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(Px(bare.get(), 1, 0).r, 255 - Code(1, 0).r);
}

TEST_F(ProcTest, WorksOnAPictureControlsBitmapWhileItHasOne) {
    auto* image = new TImage(Form);
    image->SetParent(Form);
    image->GetPicture()->SetBitmap(Make24(4, 3, Code).get());
    Proc->SetAttachedTImage(image);
    EXPECT_EQ(Proc->GetAttachedImago(), nullptr);
    EXPECT_EQ(Proc->GetAttachedBitmap(), image->GetPicture()->GetBitmap());
    Proc->Negative();
    EXPECT_EQ(Px(image->GetPicture()->GetBitmap(), 1, 1).g, 255 - Code(1, 1).g);
    // Another picture put in replaces the bitmap object: the component works on the new one.
    image->GetPicture()->SetBitmap(Make24(6, 2, Code).get());
    Proc->Flip(0);
    EXPECT_EQ(Px(image->GetPicture()->GetBitmap(), 5, 0), Code(0, 0));
    Proc->Undo();
    EXPECT_EQ(Px(image->GetPicture()->GetBitmap(), 0, 0), Code(0, 0));
    image->GetPicture()->SetGraphic(nullptr);  // no bitmap: nothing to work on
    Proc->Negative();
    EXPECT_EQ(Proc->GetAttachedBitmap(), nullptr);
    image->GetPicture()->SetBitmap(Make24(2, 2, Code).get());
    image->Free();
    EXPECT_EQ(Proc->GetAttachedTImage(), nullptr);
    EXPECT_EQ(Proc->GetAttachedBitmap(), nullptr);
    Proc->Rotate(90, false);
}

TEST_F(ProcTest, PreviewsApplyTheDialogsResult) {
    struct Seen {
        Integer w = 0, h = 0, calls = 0;
        Word pages = 0;
    } seen;
    bool accept = true;
    SetImgPreviewsRunner([&](TImagoProc* p, TBitmap* image, Word pages) {
        EXPECT_EQ(p, Proc);
        ++seen.calls;
        seen.w = image->GetWidth();
        seen.h = image->GetHeight();
        seen.pages = pages;
        // The "effect": the picture turned a quarter, filled with one colour.
        CopyBitmap(
            Make24(image->GetHeight(), image->GetWidth(), [](Integer, Integer) { return ImgRGB(9, 9, 9); }).get(),
            image);
        return accept;
    });
    Fill(Bitmap(), 1, 1, Code);
    EXPECT_FALSE(Proc->ShowPreviews(4190));
    EXPECT_EQ(seen.calls, 0);

    Fill(Bitmap(), 10, 6, Code);
    View->Update();
    accept = false;
    EXPECT_FALSE(Proc->ShowPreviews(4000));
    EXPECT_EQ(Px(Bitmap(), 0, 0), Code(0, 0));

    accept = true;
    EXPECT_TRUE(Proc->ShowPreviews(4190));
    EXPECT_EQ(seen.pages, 4190);
    EXPECT_EQ(Bitmap()->GetWidth(), 6);  // the whole picture takes the result's size
    EXPECT_EQ(Bitmap()->GetHeight(), 10);
    EXPECT_TRUE(Proc->CanUndo());

    // A selection gets the result drawn back through its polygon.
    Fill(Bitmap(), 10, 10, Code);
    View->Update();
    View->SelectRectangle(2, 2, 5, 5, 0);
    EXPECT_TRUE(Proc->ShowPreviews(4190));
    EXPECT_EQ(seen.w, 4);
    EXPECT_EQ(Bitmap()->GetWidth(), 10);
    EXPECT_EQ(Px(Bitmap(), 2, 2), ImgRGB(9, 9, 9));
    EXPECT_EQ(Px(Bitmap(), 5, 5), Code(5, 5));  // the polygon's right and bottom edges stay out
    EXPECT_EQ(Px(Bitmap(), 1, 1), Code(1, 1));
    SetImgPreviewsRunner(nullptr);
    EXPECT_FALSE(Proc->ShowPreviews(4190));
}

// ---- Clipboard and merging -------------------------------------------------------------------

TEST_F(ProcTest, ClipboardRoundTripsKeepFormatSizeAndPixels) {
    // 24-bit.
    Fill(Bitmap(), 7, 5, Code);
    View->Update();
    Bmp before(CloneBitmap(Bitmap()));
    Proc->CopyToClipboard();
    Fill(Bitmap(), 2, 2, [](Integer, Integer) { return ImgRGB(1, 1, 1); });
    Proc->PasteFromClipboard();
    ASSERT_EQ(Bitmap()->GetPixelFormat(), pf24bit);
    EXPECT_TRUE(SameRGBPixels(Bitmap(), before.get()));
    EXPECT_TRUE(Proc->CanUndo());

    // 1-bit, odd width.
    Bmp one = Make1(11, 3, [](Integer x, Integer y) { return (x + y) % 3 == 0; });
    CopyBitmap(one.get(), Bitmap());
    Proc->CopyToClipboard();
    Fill(Bitmap(), 2, 2, Code);
    Proc->PasteFromClipboard();
    ASSERT_EQ(Bitmap()->GetPixelFormat(), pf1bit);
    ASSERT_EQ(Bitmap()->GetWidth(), 11);
    for (Integer y = 0; y < 3; ++y)
        for (Integer x = 0; x < 11; ++x) EXPECT_EQ(Bit(Bitmap(), x, y), (x + y) % 3 == 0) << x << "," << y;

    // A 1-bit block whose palette is white, black keeps its bits (0 shows black).
    std::vector<uint8_t> dib(40 + 8 + 2 * 4, 0);
    dib[0] = 40;
    dib[4] = 8;
    dib[8] = 2;
    dib[12] = 1;
    dib[14] = 1;
    dib[40] = dib[41] = dib[42] = 255;  // entry 0 white, entry 1 black
    dib[48] = 0xF0;  // bottom row
    dib[52] = 0x0F;  // top row
    Clipboard()->SetAsBytes(CF_DIB, dib);
    Proc->PasteFromClipboard();
    ASSERT_EQ(Bitmap()->GetPixelFormat(), pf1bit);
    EXPECT_FALSE(Bit(Bitmap(), 0, 0));
    EXPECT_TRUE(Bit(Bitmap(), 7, 0));
    EXPECT_TRUE(Bit(Bitmap(), 0, 1));

    // Another program's image pastes as 24-bit.
    uitest::TCapture given;
    given.Width = 2;
    given.Height = 1;
    given.Pixels = {0xFF102030u, 0xFFFFFFFFu};
    uitest::SetClipboardImageFromOtherProgram(given);
    Proc->PasteFromClipboard();
    ASSERT_EQ(Bitmap()->GetPixelFormat(), pf24bit);
    EXPECT_EQ(Px(Bitmap(), 0, 0), ImgRGB(0x10, 0x20, 0x30));

    // Text on the clipboard: pasting changes nothing.
    Clipboard()->SetAsText("no picture");
    Fill(Bitmap(), 3, 3, Code);
    Proc->PasteFromClipboard();
    Proc->PasteIntoSelection();
    EXPECT_EQ(Bitmap()->GetWidth(), 3);
    EXPECT_EQ(Px(Bitmap(), 2, 2), Code(2, 2));

    // Without a working bitmap nothing happens at all.
    TImagoProc bare(nullptr);
    bare.CopyToClipboard();
    bare.PasteFromClipboard();
    EXPECT_EQ(Clipboard()->GetAsText(), "no picture");
}

TEST_F(ProcTest, SelectionsGoToTheClipboardAndTakePastedImages) {
    Fill(Bitmap(), 12, 9, Code);
    View->Update();
    // Without a selection: Cut does nothing, Copy takes the whole picture.
    Clipboard()->SetAsText("kept");
    Proc->CutSelectionToClipboard();
    EXPECT_EQ(Clipboard()->GetAsText(), "kept");
    EXPECT_EQ(Px(Bitmap(), 5, 5), Code(5, 5));
    Proc->CopySelectionToClipboard();
    TBitmap whole;
    whole.Assign(Clipboard());
    EXPECT_EQ(whole.GetWidth(), 12);

    // A rectangle is copied as it is and cut to the background.
    View->SelectRectangle(2, 1, 6, 4, 0);
    Proc->SetBackground(clRed);
    Proc->CutSelectionToClipboard();
    TBitmap part;
    part.Assign(Clipboard());
    ASSERT_EQ(part.GetWidth(), 5);
    ASSERT_EQ(part.GetHeight(), 4);
    EXPECT_EQ(part.GetCanvas()->GetPixels(0, 0), ImgRGBToColor(Code(2, 1)));
    EXPECT_EQ(Px(Bitmap(), 2, 1), ImgRGB(255, 0, 0));
    EXPECT_EQ(Px(Bitmap(), 6, 4), ImgRGB(255, 0, 0));
    EXPECT_EQ(Px(Bitmap(), 7, 4), Code(7, 4));
    Proc->Undo();
    EXPECT_EQ(Px(Bitmap(), 2, 1), Code(2, 1));

    // A polygon selection is white outside its polygons within the bounding box.
    View->Deselect();
    View->SelectRectangle(1, 1, 3, 3, 0);
    View->SelectRectangle(6, 4, 9, 7, 1);
    Proc->CopySelectionToClipboard();
    TBitmap poly;
    poly.Assign(Clipboard());
    ASSERT_GE(poly.GetWidth(), 8);
    EXPECT_EQ(poly.GetCanvas()->GetPixels(0, 0), ImgRGBToColor(Code(1, 1)));
    EXPECT_EQ(poly.GetCanvas()->GetPixels(4, 0), clWhite);
    EXPECT_EQ(poly.GetCanvas()->GetPixels(0, 4), clWhite);
    EXPECT_EQ(poly.GetCanvas()->GetPixels(5, 3), ImgRGBToColor(Code(6, 4)));

    // A 10 x 10 image pasted into a 20 x 20 selection is stretched to fill it.
    Fill(Bitmap(), 30, 30, [](Integer, Integer) { return ImgRGB(0, 0, 0); });
    View->Update();
    Bmp small = Make24(10, 10, [](Integer x, Integer y) { return ImgRGB(Byte(x * 25), Byte(y * 25), 77); });
    Clipboard()->Assign(small.get());
    View->SelectRectangle(5, 5, 24, 24, 0);
    Proc->PasteIntoSelection();
    EXPECT_EQ(Bitmap()->GetWidth(), 30);
    for (Integer y = 0; y < 20; ++y)
        for (Integer x = 0; x < 20; ++x)
            ASSERT_EQ(Px(Bitmap(), 5 + x, 5 + y), Px(small.get(), x / 2, y / 2)) << x << "," << y;
    EXPECT_EQ(Px(Bitmap(), 25, 25), ImgRGB(0, 0, 0));
    EXPECT_EQ(Px(Bitmap(), 4, 4), ImgRGB(0, 0, 0));
    // Without a selection it replaces the picture.
    View->Deselect();
    Proc->PasteIntoSelection();
    EXPECT_EQ(Bitmap()->GetWidth(), 10);
}

TEST_F(ProcTest, MergeBlendsTheOtherBitmapStretchedOverTheSelection) {
    Bmp other = Make24(3, 2, [](Integer x, Integer y) { return ImgRGB(Byte(x * 100), Byte(y * 200), 1); });
    Fill(Bitmap(), 6, 4, Code);
    View->Update();
    Bmp before(CloneBitmap(Bitmap()));
    Proc->MergeBitmap(other.get(), 100);
    EXPECT_TRUE(SameRGBPixels(Bitmap(), before.get()));
    Proc->MergeBitmap(other.get(), 0);
    for (Integer y = 0; y < 4; ++y)
        for (Integer x = 0; x < 6; ++x) ASSERT_EQ(Px(Bitmap(), x, y), Px(other.get(), x / 2, y / 2));
    Proc->Undo();
    EXPECT_TRUE(SameRGBPixels(Bitmap(), before.get()));

    // Halves round to even: 50% of 1 and 2 is 1.5, which gives 2; of 1 and 0, 0.5 gives 0.
    Bmp a = Make24(2, 1, [](Integer x, Integer) { return ImgRGB(1, Byte(x), 0); });
    Bmp b = Make24(2, 1, [](Integer, Integer) { return ImgRGB(2, 0, 0); });
    MergeBitmaps(a.get(), b.get(), 50, 0, 0, 1, 0);
    EXPECT_EQ(Px(a.get(), 0, 0), ImgRGB(2, 0, 0));
    EXPECT_EQ(Px(a.get(), 1, 0).g, 0);

    // Within a rectangle selection only; a 1-bit picture is left alone.
    Fill(Bitmap(), 6, 4, Code);
    View->Update();
    View->SelectRectangle(2, 1, 3, 2, 0);
    Bmp black = Make24(1, 1, [](Integer, Integer) { return ImgRGB(0, 0, 0); });
    Proc->MergeBitmap(black.get(), 0);
    EXPECT_EQ(Px(Bitmap(), 2, 1), ImgRGB(0, 0, 0));
    EXPECT_EQ(Px(Bitmap(), 1, 1), Code(1, 1));
    View->Deselect();
    Bmp one = Make1(4, 4, [](Integer, Integer) { return true; });
    CopyBitmap(one.get(), Bitmap());
    Proc->MergeBitmap(black.get(), 0);
    EXPECT_TRUE(Bit(Bitmap(), 1, 1));
}

}  // namespace
