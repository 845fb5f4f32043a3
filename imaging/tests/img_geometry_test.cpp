#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "image_fixture.h"
#include "imaging/bitmap_routines.h"
#include "imaging/img_geometry.h"
#include "imaging/img_proc.h"

namespace {

TImgRGB Code(Integer x, Integer y) { return ImgRGB(Byte(x), Byte(y), Byte(x * 7 + y)); }

// The component on a bare bitmap, background red.
struct Proc {
    Proc() : proc(new TImagoProc(nullptr)) { proc->SetBackground(clRed); }
    ~Proc() { proc->Free(); }
    TImagoProc* operator->() const { return proc; }
    TImagoProc* proc;
};

bool SamePixels(TBitmap* a, TBitmap* b) {
    if (a->GetWidth() != b->GetWidth() || a->GetHeight() != b->GetHeight() ||
        a->GetPixelFormat() != b->GetPixelFormat())
        return false;
    for (Integer y = 0; y < a->GetHeight(); ++y)
        for (Integer x = 0; x < a->GetWidth(); ++x) {
            if (a->GetPixelFormat() == pf1bit ? Bit(a, x, y) != Bit(b, x, y) : !(Px(a, x, y) == Px(b, x, y)))
                return false;
        }
    return true;
}

TEST(QuarterTurns, PixelsMoveWhole24BitAndOneBitOddWidth) {
    Bmp src = Make24(5, 3, Code);
    Bmp ccw(new TBitmap()), cw(new TBitmap());
    Rotate90CCW(src.get(), ccw.get());
    Rotate90CW(src.get(), cw.get());
    ASSERT_EQ(ccw->GetWidth(), 3);
    ASSERT_EQ(ccw->GetHeight(), 5);
    // The top row becomes the left column read from bottom to top, and the opposite clockwise.
    for (Integer x = 0; x < 5; ++x) {
        EXPECT_EQ(Px(ccw.get(), 0, 4 - x), Code(x, 0));
        EXPECT_EQ(Px(cw.get(), 2, x), Code(x, 0));
    }
    EXPECT_EQ(Px(ccw.get(), 2, 0), Code(4, 2));
    EXPECT_EQ(Px(cw.get(), 0, 4), Code(4, 2));

    auto bit = [](Integer x, Integer y) { return (x * 3 + y) % 4 == 0; };
    Bmp one = Make1(11, 2, bit);
    Bmp turned(new TBitmap());
    Rotate90CCW(one.get(), turned.get());
    ASSERT_EQ(turned->GetPixelFormat(), pf1bit);
    for (Integer y = 0; y < 2; ++y)
        for (Integer x = 0; x < 11; ++x) EXPECT_EQ(Bit(turned.get(), y, 10 - x), bit(x, y));
}

TEST(Flip, MirrorsExactlyInBothFormats) {
    Bmp src = Make24(3, 2, Code);
    Bmp h(new TBitmap()), v(new TBitmap());
    FlipBitmap(src.get(), h.get(), 0);
    FlipBitmap(src.get(), v.get(), 1);
    for (Integer y = 0; y < 2; ++y)
        for (Integer x = 0; x < 3; ++x) {
            EXPECT_EQ(Px(h.get(), 2 - x, y), Code(x, y));
            EXPECT_EQ(Px(v.get(), x, 1 - y), Code(x, y));
        }
    // 1-bit, 13 pixels wide: the padding bits must not move in.
    auto bit = [](Integer x, Integer y) { return x < 3 || (x + y) % 5 == 0; };
    Bmp one = Make1(13, 2, bit);
    Proc p;
    p->SetAttachedBitmap(one.get());
    p->Flip(0);
    ASSERT_EQ(one->GetPixelFormat(), pf1bit);
    for (Integer y = 0; y < 2; ++y)
        for (Integer x = 0; x < 13; ++x) EXPECT_EQ(Bit(one.get(), 12 - x, y), bit(x, y)) << x << "," << y;
    p->Flip(2);  // not a direction: nothing
    EXPECT_TRUE(Bit(one.get(), 12, 0));
}

TEST(ProcRotate, QuarterTurnsAndWholeTurns) {
    Bmp original = Make24(6, 4, Code);
    struct Case {
        Integer angle;
        bool counterClockwise, clockwise;
    } cases[] = {{90, true, false}, {450, true, false}, {-270, true, false}, {-90, false, true},
                 {270, false, true}, {0, false, false},  {360, false, false}, {-720, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        Bmp b = Make24(6, 4, Code);
        Proc p;
        p->SetAttachedBitmap(b.get());
        p->Rotate(c.angle, true);
        Bmp expect(new TBitmap());
        if (c.counterClockwise)
            Rotate90CCW(original.get(), expect.get());
        else if (c.clockwise)
            Rotate90CW(original.get(), expect.get());
        else
            CopyBitmap(original.get(), expect.get());
        EXPECT_TRUE(SamePixels(b.get(), expect.get()));
    }
}

TEST(ProcRotate, ShearedSizesAndBackgroundCorners) {
    struct Case {
        Integer w, h, angle, rw, rh;
    } cases[] = {
        {100, 100, 30, 138, 137}, {100, 100, -30, 138, 137}, {100, 100, 45, 143, 141}, {100, 100, 120, 138, 137}};
    for (const Case& c : cases) {
        for (bool aa : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.angle << (aa ? " anti-aliased" : ""));
            Bmp b = Make24(c.w, c.h, [](Integer, Integer) { return ImgRGB(10, 200, 30); });
            Proc p;
            p->SetAttachedBitmap(b.get());
            p->Rotate(c.angle, aa);
            ASSERT_EQ(b->GetWidth(), c.rw);
            ASSERT_EQ(b->GetHeight(), c.rh);
            const TImgRGB red = ImgRGB(255, 0, 0);
            EXPECT_EQ(Px(b.get(), 0, 0), red);
            EXPECT_EQ(Px(b.get(), c.rw - 1, 0), red);
            EXPECT_EQ(Px(b.get(), 0, c.rh - 1), red);
            EXPECT_EQ(Px(b.get(), c.rw - 1, c.rh - 1), red);
            // Inside, blending a colour with itself gives it back exactly.
            EXPECT_EQ(Px(b.get(), c.rw / 2, c.rh / 2), ImgRGB(10, 200, 30));
        }
    }
}

TEST(ProcRotate, PositiveAnglesTurnCounterClockwise) {
    // A black block in the top-right corner of a white square: turned counter-clockwise it becomes
    // the topmost part of the picture; clockwise the top-left corner does.
    auto square = [] {
        return Make24(60, 60,
                      [](Integer x, Integer y) { return x >= 50 && y < 10 ? ImgRGB(0, 0, 0) : ImgRGB(255, 255, 255); });
    };
    for (Integer angle : {30, -30}) {
        SCOPED_TRACE(angle);
        Bmp b = square();
        Proc p;
        p->SetAttachedBitmap(b.get());
        p->Rotate(angle, false);
        // The first row holding something other than the red background.
        Integer top = -1, blackInTop = 0;
        for (Integer y = 0; y < b->GetHeight() && top < 0; ++y)
            for (Integer x = 0; x < b->GetWidth(); ++x) {
                const TImgRGB c = Px(b.get(), x, y);
                if (c == ImgRGB(255, 0, 0)) continue;
                top = y;
                blackInTop += c == ImgRGB(0, 0, 0);
            }
        ASSERT_GE(top, 0);
        EXPECT_EQ(blackInTop > 0, angle > 0);
    }
}

TEST(ProcRotate, AntiAliasingBlendsTheEdges) {
    Bmp plain = Make24(40, 40, [](Integer, Integer) { return ImgRGB(255, 255, 255); });
    Bmp smooth = Make24(40, 40, [](Integer, Integer) { return ImgRGB(255, 255, 255); });
    Proc p;
    p->SetBackground(clBlack);
    p->SetAttachedBitmap(plain.get());
    p->Rotate(20, false);
    p->SetAttachedBitmap(smooth.get());
    p->Rotate(20, true);
    auto greys = [](TBitmap* b) {
        Integer n = 0;
        for (Integer y = 0; y < b->GetHeight(); ++y)
            for (Integer x = 0; x < b->GetWidth(); ++x) n += Px(b, x, y).g != 0 && Px(b, x, y).g != 255;
        return n;
    };
    EXPECT_EQ(greys(plain.get()), 0);
    EXPECT_GT(greys(smooth.get()), 40);
}

TEST(ProcRotate, OneBitPicturesTurnBySampling) {
    auto bit = [](Integer x, Integer y) { return x < 2 && y < 3; };
    Bmp b = Make1(9, 5, bit);
    Proc p;
    p->SetBackground(clBlack);
    p->SetAttachedBitmap(b.get());
    p->Rotate(0, false);
    EXPECT_TRUE(SamePixels(b.get(), Make1(9, 5, bit).get()));
    p->Rotate(90, false);
    ASSERT_EQ(b->GetPixelFormat(), pf1bit);
    ASSERT_EQ(b->GetWidth(), 5);
    ASSERT_EQ(b->GetHeight(), 9);
    // Counter-clockwise: the top-left block goes to the bottom-left.
    EXPECT_TRUE(Bit(b.get(), 0, 8));
    EXPECT_TRUE(Bit(b.get(), 2, 7));
    EXPECT_FALSE(Bit(b.get(), 0, 0));

    // 30 degrees: sine and cosine cut to four decimals give 0.866 and 0.4999.
    Bmp square = Make1(100, 100, [](Integer, Integer) { return false; });
    p->SetBackground(clWhite);  // the fill bit
    p->SetAttachedBitmap(square.get());
    std::vector<Integer> reports;
    p->OnProgress = [&](TObject*, Integer per) { reports.push_back(per); };
    p->Rotate(30, true);
    EXPECT_EQ(square->GetWidth(), 136);
    EXPECT_EQ(square->GetHeight(), 136);
    EXPECT_TRUE(Bit(square.get(), 0, 0));      // outside the turned square: fill
    EXPECT_FALSE(Bit(square.get(), 68, 68));  // inside
    ASSERT_EQ(reports.size(), 136u);
    EXPECT_EQ(reports[1], 0);  // Trunc(1 * 100 / 136)
    EXPECT_EQ(reports.back(), 99);
}

TEST(ProcResample, AspectRulesFormatsAndEmptyPictures) {
    Bmp b = Make24(400, 300, Code);
    Proc p;
    p->SetAttachedBitmap(b.get());
    p->Resample(200, -1, rfTriangle);
    EXPECT_EQ(b->GetWidth(), 200);
    EXPECT_EQ(b->GetHeight(), 150);
    p->Resample(-1, 60, rfNone);
    EXPECT_EQ(b->GetWidth(), 80);
    EXPECT_EQ(b->GetHeight(), 60);
    p->Resample(-1, -1, rfLanczos3);
    EXPECT_EQ(b->GetWidth(), 80);
    EXPECT_TRUE(p->CanUndo());  // the undo copy was still taken
    p->Undo();
    EXPECT_EQ(b->GetWidth(), 80);

    Bmp one = Make1(16, 8, [](Integer x, Integer) { return x < 8; });
    p->SetAttachedBitmap(one.get());
    p->Resample(8, 4, rfLanczos3);
    ASSERT_EQ(one->GetPixelFormat(), pf1bit);
    EXPECT_TRUE(Bit(one.get(), 0, 0));
    EXPECT_FALSE(Bit(one.get(), 7, 3));

    // An empty picture (every new view has one) has nothing to resample.
    std::unique_ptr<TBitmap> empty(new TBitmap());
    empty->SetPixelFormat(pf24bit);
    p->SetAttachedBitmap(empty.get());
    for (Integer w : {-1, 10}) p->Resample(w, 10, rfTriangle);
    EXPECT_EQ(empty->GetWidth(), 0);
    p->Rotate(30, true);
    p->Flip(1);
    EXPECT_EQ(empty->GetWidth(), 0);
}

TEST(ProcResizeCanvas, KeepsTheTopLeftAndFillsWithTheBackground) {
    Bmp b = Make24(4, 3, Code);
    Proc p;
    p->SetAttachedBitmap(b.get());
    p->ResizeCanvas(0, 10);
    p->ResizeCanvas(10, 0);
    EXPECT_EQ(b->GetWidth(), 4);
    EXPECT_FALSE(p->CanUndo());
    p->ResizeCanvas(6, 2);
    ASSERT_EQ(b->GetWidth(), 6);
    ASSERT_EQ(b->GetHeight(), 2);
    EXPECT_EQ(Px(b.get(), 3, 1), Code(3, 1));
    EXPECT_EQ(Px(b.get(), 5, 0), ImgRGB(255, 0, 0));
    EXPECT_TRUE(p->CanUndo());
}

}  // namespace
