#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

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

}  // namespace
