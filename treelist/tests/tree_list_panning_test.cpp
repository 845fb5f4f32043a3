// Middle-button panning: the round window and the cursors, line scrolls towards where the mouse
// went, and the ways the mode ends, always giving back the capture and the window.

#include <functional>
#include <memory>

#include "framework/window_region.h"
#include "tree_list_input_fixture.h"

namespace {

struct Panning : InputFixture {
    void SetUp() override {
        InputFixture::SetUp();
        Bars(ssBoth);
    }
    // A new list with these scroll bars (a window keeps the bars it has shown), wider and longer
    // than it can show.
    void Bars(TScrollStyle Style) {
        list->Free();
        nodes.clear();
        list = new TgxTreeList(form);
        list->SetScrollBars(Style);
        list->SetParent(form);
        list->SetBounds(10, 10, 480, 300);
        list->SetBorderStyle(bsNone);
        list->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, Integer, Integer) { ++mouseDowns; };
        AddColumns({"A", "B", "C", "D", "E", "F"}, 150);
        std::string shape;
        for (int i = 0; i < 200; ++i) shape += (i ? ",N" : "N") + std::to_string(i);
        Build(shape);
        list->SetFocus();
    }
    TPoint Middle() { return {240, 150}; }
    // Presses the middle button at P; while the list pans, runs Steps one a turn of the loop, each
    // again until it answers true. Esc ends a mode the steps leave running. Answers whether every
    // step was done. A step sends one input event at most, as the loop takes them one at a time.
    bool Pan(TPoint P, std::vector<std::function<bool()>> Steps) {
        struct Driver {
            std::vector<std::function<bool()>> Steps;
            size_t Next = 0;
            int Turns = 0;
            bool Over = false;
        };
        auto driver = std::make_shared<Driver>(Driver{std::move(Steps)});
        auto run = std::make_shared<std::function<void()>>();
        *run = [this, driver, weak = std::weak_ptr<std::function<void()>>(run)] {
            if (driver->Over || !list->IsPanning()) return;
            if (driver->Next < driver->Steps.size() && ++driver->Turns < 600) {
                if (driver->Steps[driver->Next]()) ++driver->Next;
            } else {
                uitest::KeyDown(list, VK_ESCAPE);
                return;
            }
            if (auto again = weak.lock()) uitest::RunLater(5, *again);
        };
        uitest::RunLater(5, *run);
        uitest::MouseDown(list, P.X, P.Y, mbMiddle);
        driver->Over = true;
        // Keys and buttons that ended the mode are let go of now, outside it.
        uitest::KeyUp(list, VK_ESCAPE);
        return driver->Next == driver->Steps.size();
    }
    std::function<bool()> MoveTo(TPoint P) {
        return [this, P] {
            uitest::MouseMove(list, P.X, P.Y, {ssMiddle});
            return true;
        };
    }
    TCustomPopupWindow* Round() {
        for (Integer i = 0; i < list->GetComponentCount(); ++i)
            if (auto* popup = dynamic_cast<TCustomPopupWindow*>(list->GetComponent(i))) return popup;
        return nullptr;
    }
    TCursor Shown() { return uitest::ShownCursor(list, Middle().X, Middle().Y); }
    // The mode gave everything back.
    void ExpectEnded() {
        EXPECT_FALSE(list->IsPanning());
        EXPECT_NE(GetCapture(), list);
        EXPECT_EQ(Round(), nullptr);
        EXPECT_EQ(Shown(), crDefault);
    }
};

}  // namespace

TEST_F(Panning, MovingAwayScrollsThatWayWithItsCursor) {
    struct Case {
        Integer dx, dy;
        TCursor cursor;
        Integer top, left;  // the way each moves: -1, 0, 1
    };
    const Case cases[] = {{0, 60, -1136, 1, 0}, {0, -60, -1134, -1, 0}, {90, 30, -1135, 0, 1}, {-90, -30, -1137, 0, -1}};
    for (const Case& c : cases) {
        list->SetTopIndex(50);
        list->SetLeftCoord(100);
        const Integer top = list->GetTopIndex();
        const Integer left = list->GetLeftCoord();
        mouseDowns = 0;
        TCursor seen = 0;
        const TPoint to{Middle().X + c.dx, Middle().Y + c.dy};
        EXPECT_TRUE(Pan(Middle(), {MoveTo(to),
                                   [&] {
                                       seen = Shown();
                                       return list->GetTopIndex() != top || list->GetLeftCoord() != left;
                                   },
                                   [&] {
                                       uitest::MouseUp(list, to.X, to.Y, mbMiddle);
                                       return true;
                                   }}))
            << c.cursor;
        EXPECT_EQ(seen, c.cursor);
        EXPECT_EQ((list->GetTopIndex() > top) - (list->GetTopIndex() < top), c.top) << c.cursor;
        EXPECT_EQ((list->GetLeftCoord() > left) - (list->GetLeftCoord() < left), c.left) << c.cursor;
        EXPECT_EQ(mouseDowns, 1);
        ExpectEnded();
    }
}

TEST_F(Panning, AStillClickKeepsPanningUntilEscOrAnotherClick) {
    const std::function<void()> endings[] = {
        [this] { uitest::KeyDown(list, VK_ESCAPE); },
        [this] { uitest::MouseDown(list, 20, 20, mbLeft); },
        [this] { uitest::MouseDown(list, 20, 20, mbRight); },
        [this] { uitest::MouseDown(list, Middle().X, Middle().Y, mbMiddle); },
    };
    int n = 0;
    for (const auto& end : endings) {
        const Integer top = list->GetTopIndex();
        EXPECT_TRUE(Pan(Middle(), {[&] {
                                       uitest::MouseUp(list, Middle().X, Middle().Y, mbMiddle);
                                       return true;
                                   },
                                   // Moves inside the still zone neither scroll nor end it.
                                   MoveTo(TPoint{Middle().X + 5, Middle().Y - 5}),
                                   [&] {
                                       uitest::MouseUp(list, Middle().X + 5, Middle().Y - 5, mbMiddle);
                                       return true;
                                   },
                                   [&] {
                                       EXPECT_TRUE(list->IsPanning()) << n;
                                       EXPECT_EQ(Shown(), -1131) << n;
                                       end();
                                       return true;
                                   }}))
            << n;
        EXPECT_EQ(list->GetTopIndex(), top) << n;
        ExpectEnded();
        uitest::MouseUp(list, 20, 20, mbLeft);
        uitest::MouseUp(list, 20, 20, mbRight);
        uitest::MouseUp(list, Middle().X, Middle().Y, mbMiddle);
        ++n;
    }
}

TEST_F(Panning, TheRoundWindowAndCursorFollowTheScrollBars) {
    struct Case {
        TScrollStyle bars;
        TCursor still;
    };
    const Case cases[] = {{ssBoth, -1131}, {ssHorizontal, -1132}, {ssVertical, -1133}, {ssNone, -1133}};
    for (const Case& c : cases) {
        Bars(c.bars);
        const TPoint centre = list->ClientToScreen(Middle());
        EXPECT_TRUE(Pan(Middle(), {[&] {
            TCustomPopupWindow* round = Round();
            EXPECT_NE(round, nullptr);
            if (!round) return true;
            EXPECT_TRUE(round->IsPoppedUp());
            EXPECT_EQ(round->GetWidth(), 28);
            EXPECT_EQ(round->GetLeft() + 14, centre.X);
            EXPECT_EQ(round->GetTop() + 14, centre.Y);
            HRGN shape = CreateRectRgn(0, 0, 0, 0);
            EXPECT_NE(GetWindowRgn(round, shape), RGN_ERROR);
            EXPECT_TRUE(PtInRegion(shape, 14, 14));
            EXPECT_FALSE(PtInRegion(shape, 1, 1));
            EXPECT_FALSE(PtInRegion(shape, 26, 26));
            DeleteObject(shape);
            EXPECT_EQ(Shown(), c.still) << c.still;
            uitest::KeyDown(list, VK_ESCAPE);
            return true;
        }}));
        ExpectEnded();
    }
}

TEST_F(Panning, AlongAnAxisWithoutABarTheMouseStaysStill) {
    Bars(ssVertical);
    const Integer left = list->GetLeftCoord();
    const TPoint right{Middle().X + 200, Middle().Y + 3};
    int turns = 0;
    EXPECT_TRUE(Pan(Middle(), {MoveTo(right),
                               [&] {
                                   EXPECT_EQ(Shown(), -1133);
                                   // A while of ticks, and a middle release that does not end it.
                                   return ++turns == 20;
                               },
                               [&] {
                                   uitest::MouseUp(list, right.X, right.Y, mbMiddle);
                                   return true;
                               },
                               [&] {
                                   EXPECT_TRUE(list->IsPanning());
                                   uitest::KeyDown(list, VK_ESCAPE);
                                   return true;
                               }}));
    EXPECT_EQ(list->GetLeftCoord(), left);
    EXPECT_EQ(list->GetTopIndex(), 0);
    ExpectEnded();
}
