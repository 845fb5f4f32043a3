// Dragging bars between docks and off to float, double-clicks, and resizing floating bars, with
// the mouse and keys sent as a user would.

#include "components/tests/dock_fixture.h"
#include "components/toolbar.h"
#include "framework/testing/ui_test_windows.h"
#include "framework/system_metrics.h"

namespace {

class BarDragTest : public DockFixture {
protected:
    TDockX* Top = nullptr;
    TDockX* Bottom = nullptr;
    TCustomToolWindowX* Bar = nullptr;

    void SetUp() override {
        DockFixture::SetUp();
        Top = AddDock(dpTop);
        Top->SetName("Top");
        Bottom = AddDock(dpBottom);
        Bottom->SetName("Bottom");
        // A tool window keeps its client size wherever it goes.
        auto* tw = new TToolWindowX(Form);
        tw->SetClientAreaWidth(67);
        tw->SetClientAreaHeight(22);
        tw->SetParent(Top);
        Bar = tw;
        uitest::ShowForm(Form);
    }
    static TPoint ScreenOf(TControl* C, TPoint Client) { return C->ClientToScreen(Client); }
    // A press on a docked bar's drag handle, 4 pixels in and 10 down.
    static void PressHandle(TCustomToolWindowX* B) {
        TRect m = B->GetNonClientMargins();
        uitest::MouseDown(B, 4 - m.Left, 10 - m.Top);
    }
    static void MoveTo(TCustomToolWindowX* B, TPoint Screen) {
        TPoint c = B->ScreenToClient(Screen);
        uitest::MouseMove(B, c.X, c.Y);
    }
    static void ReleaseAt(TCustomToolWindowX* B, TPoint Screen) {
        TPoint c = B->ScreenToClient(Screen);
        uitest::MouseUp(B, c.X, c.Y);
    }
    // A point over a dock's edge that docks a bar held by its handle there, X pixels along.
    static TPoint OverDock(TDockX* D, Integer X = 50) {
        TRect r;
        GetWindowRect(D, r);
        return {r.Left + X, r.Top};
    }
    // The outline shown now (empty when none).
    static TRect Outline(Integer* Thickness = nullptr) {
        auto shown = uitest::ShownOverlays();
        if (shown.empty()) return {};
        if (Thickness) *Thickness = shown[0].Shape[0].Height();
        return shown[0].Bounds;
    }
    static Integer FloatingFrame() { return GetSystemMetrics(SM_CXSIZEFRAME); }
};

}  // namespace

TEST_F(BarDragTest, AHandleDraggedToAnotherDockMovesTheBarThere) {
    PressHandle(Bar);
    EXPECT_EQ(GetCapture(), Bar);
    MoveTo(Bar, OverDock(Bottom));
    Integer thickness = 0;
    TRect shown = Outline(&thickness);
    EXPECT_EQ(thickness, 1);
    EXPECT_EQ(shown.Width(), 80);
    EXPECT_EQ(shown.Height(), 26);
    ReleaseAt(Bar, OverDock(Bottom));
    EXPECT_EQ(Bar->GetDockedTo(), Bottom);
    EXPECT_EQ(Bar->GetDockPos(), 46);
    EXPECT_EQ(Bar->GetLeft(), 46);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(uitest::ShownOverlays().empty());
}

TEST_F(BarDragTest, CtrlNeverDocksAndRedrawsTheOutlineAtOnce) {
    TRect client = Bar->GetClientRect();
    PressHandle(Bar);
    MoveTo(Bar, OverDock(Bottom));
    EXPECT_EQ(Outline().Height(), 26);
    uitest::KeyDown(Form, VK_CONTROL);
    Integer thickness = 0;
    TRect floating = Outline(&thickness);
    EXPECT_EQ(thickness, FloatingFrame());
    EXPECT_EQ(floating.Width(), client.Right + 2 * FloatingFrame());
    uitest::KeyUp(Form, VK_CONTROL);
    EXPECT_EQ(Outline(&thickness).Height(), 26);
    EXPECT_EQ(thickness, 1);
    uitest::KeyDown(Form, VK_CONTROL);
    floating = Outline();
    ReleaseAt(Bar, OverDock(Bottom));
    uitest::KeyUp(Form, VK_CONTROL);
    ASSERT_TRUE(Bar->GetFloating());
    EXPECT_EQ(Bar->GetBoundsRect(), floating);
    EXPECT_EQ(Bar->GetClientRect(), client);
}

TEST_F(BarDragTest, EscapeOrALostCaptureLeaveTheBarWhereItWas) {
    for (int way = 0; way < 2; ++way) {
        TRect before = Bar->GetBoundsRect();
        PressHandle(Bar);
        MoveTo(Bar, OverDock(Bottom));
        if (way == 0)
            uitest::KeyDown(Form, VK_ESCAPE);
        else
            uitest::DeactivateProgram();
        EXPECT_TRUE(uitest::ShownOverlays().empty()) << way;
        EXPECT_EQ(GetCapture(), nullptr) << way;
        ReleaseAt(Bar, OverDock(Bottom));
        EXPECT_EQ(Bar->GetDockedTo(), Top) << way;
        EXPECT_EQ(Bar->GetBoundsRect(), before) << way;
        uitest::ShowForm(Form);
    }
}

TEST_F(BarDragTest, ABarThatCannotFloatShowsNoOffTheDocksAndStays) {
    Bar->SetDockMode(dmCannotFloat);
    TCursor before = Screen->GetCursor();
    PressHandle(Bar);
    MoveTo(Bar, ScreenOf(Form, {200, 150}));
    EXPECT_EQ(Screen->GetCursor(), crNo);
    EXPECT_TRUE(uitest::ShownOverlays().empty());
    // Back over a dock it may go there.
    MoveTo(Bar, OverDock(Bottom));
    EXPECT_EQ(Screen->GetCursor(), before);
    MoveTo(Bar, ScreenOf(Form, {200, 150}));
    ReleaseAt(Bar, ScreenOf(Form, {200, 150}));
    EXPECT_EQ(Bar->GetDockedTo(), Top);
    EXPECT_EQ(Screen->GetCursor(), before);
}

TEST_F(BarDragTest, ABarThatCannotChangeDocksMovesOnlyAlongItsOwn) {
    Bar->SetDockMode(dmCannotFloatOrChangeDocks);
    PressHandle(Bar);
    MoveTo(Bar, OverDock(Bottom));
    EXPECT_TRUE(uitest::ShownOverlays().empty());
    EXPECT_EQ(Screen->GetCursor(), crNo);
    TRect top;
    GetWindowRect(Top, top);
    MoveTo(Bar, {top.Left + 120, top.Top + 10});
    ReleaseAt(Bar, {top.Left + 120, top.Top + 10});
    EXPECT_EQ(Bar->GetDockedTo(), Top);
    EXPECT_EQ(Bar->GetLeft(), 116);
}

TEST_F(BarDragTest, ADockThatRefusesIsPassedOver) {
    std::vector<TCustomToolWindowX*> asked;
    Bottom->OnRequestDock = [&](TObject*, TCustomToolWindowX* B, bool& Accept) {
        asked.push_back(B);
        Accept = false;
    };
    PressHandle(Bar);
    MoveTo(Bar, OverDock(Bottom));
    ReleaseAt(Bar, OverDock(Bottom));
    EXPECT_EQ(asked, (std::vector<TCustomToolWindowX*>{Bar}));
    EXPECT_TRUE(Bar->GetFloating());
}

TEST_F(BarDragTest, ADropAtTheTopOfARowInsertsARowBeforeIt) {
    TCustomToolWindowX* second = AddBar(Top, 80, 26);
    second->SetDockRow(1);
    TCustomToolWindowX* third = AddBar(Top, 80, 26);
    third->SetDockRow(0);
    third->SetDockPos(200);
    ASSERT_EQ(second->GetTop(), 26);
    TRect top;
    GetWindowRect(Top, top);
    // Held 10 pixels down, the outline's centre is 3 pixels into row 1 (rows are 26 high).
    TPoint at{top.Left + 104, top.Top + 26 + 3 - 13 + 10};
    PressHandle(third);
    MoveTo(third, at);
    ReleaseAt(third, at);
    EXPECT_EQ(Bar->GetDockRow(), 0);
    EXPECT_EQ(third->GetDockRow(), 1);
    EXPECT_EQ(second->GetDockRow(), 2);
    EXPECT_EQ(third->GetTop(), 26);
    EXPECT_EQ(second->GetTop(), 52);
    EXPECT_EQ(third->GetLeft(), 100);
}

TEST_F(BarDragTest, DoubleClicksFloatAndDockTheBar) {
    TRect m = Bar->GetNonClientMargins();
    uitest::DoubleClick(Bar, 4 - m.Left, 10 - m.Top);
    ASSERT_TRUE(Bar->GetFloating());
    // Back to its last dock by its caption.
    TRect fm = Bar->GetNonClientMargins();
    uitest::DoubleClick(Bar, 10, 4 - fm.Top);
    EXPECT_EQ(Bar->GetDockedTo(), Top);
    // Without a last dock to the default one, first in its first row.
    TCustomToolWindowX* other = AddBar(Bottom, 60, 26);
    other->SetDockPos(0);
    Bar->SetUseLastDock(false);
    Bar->SetDefaultDock(Bottom);
    uitest::DoubleClick(Bar, 4 - m.Left, 10 - m.Top);
    ASSERT_TRUE(Bar->GetFloating());
    uitest::DoubleClick(Bar, 10, 4 - fm.Top);
    EXPECT_EQ(Bar->GetDockedTo(), Bottom);
    EXPECT_EQ(Bar->GetDockRow(), 0);
    EXPECT_EQ(Bar->GetLeft(), 0);
    EXPECT_EQ(other->GetLeft(), 80);
}

// ---- Resizing ----------------------------------------------------------------------------------

TEST_F(BarDragTest, AToolWindowsCornerSizesBothWaysDownToItsSmallest) {
    auto* tw = new TToolWindowX(Form);
    tw->SetClientAreaWidth(100);
    tw->SetClientAreaHeight(60);
    tw->SetFloatingPosition({300, 200});
    tw->SetParent(Form);
    uitest::ProcessEvents();
    ASSERT_TRUE(tw->GetFloating());
    struct Case {
        Integer DX, DY, Width, Height;
    };
    for (Case c : {Case{30, 20, 130, 80}, Case{-300, -300, 32, 32}}) {
        TRect m = tw->GetNonClientMargins();
        TPoint corner{tw->GetWidth() - 1 - m.Left, tw->GetHeight() - 1 - m.Top};
        uitest::MouseDown(tw, corner.X, corner.Y);
        ASSERT_EQ(GetCapture(), tw);
        uitest::MouseMove(tw, corner.X + c.DX, corner.Y + c.DY);
        EXPECT_EQ(uitest::ShownOverlays().size(), 1u);
        uitest::MouseUp(tw, corner.X + c.DX, corner.Y + c.DY);
        EXPECT_EQ(tw->GetClientAreaWidth(), c.Width) << c.DX;
        EXPECT_EQ(tw->GetClientAreaHeight(), c.Height) << c.DX;
        EXPECT_EQ(tw->GetLeft(), 300);
    }
}

TEST_F(BarDragTest, AFloatingToolbarSnapsToItsWrapLayouts) {
    auto* tb = new TToolbarX(Form);
    tb->SetFloatingPosition({250, 200});
    tb->SetParent(Form);
    for (int i = 0; i < 7; ++i) {
        if (i == 3) {
            auto* sep = new TToolbarSepX(Form);
            sep->SetParent(tb);
            continue;
        }
        AddProbe("b", Bounds(0, 0, 23, 22), tb);
    }
    tb->Arrange();
    uitest::ProcessEvents();
    ASSERT_EQ(tb->GetClientWidth(), 152);
    TRect m = tb->GetNonClientMargins();
    TRect start = tb->GetBoundsRect();
    // The right edge, halfway down.
    TPoint edge{tb->GetWidth() - 1 - m.Left, tb->GetHeight() / 2 - m.Top};
    uitest::MouseDown(tb, edge.X, edge.Y);
    ASSERT_EQ(GetCapture(), tb);
    uitest::MouseMove(tb, edge.X - 5, edge.Y);
    EXPECT_EQ(Outline(), start);
    uitest::MouseMove(tb, edge.X - 80, edge.Y);
    EXPECT_EQ(Outline().Width(), 54 + m.Left + m.Right);
    uitest::MouseUp(tb, edge.X - 80, edge.Y);
    EXPECT_EQ(tb->GetFloatRightX(), 54);
    EXPECT_EQ(tb->GetClientWidth(), 54);
    EXPECT_EQ(tb->GetClientHeight(), 97);
    EXPECT_EQ(tb->GetLeft(), start.Left);
}
