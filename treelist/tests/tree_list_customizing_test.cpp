// The customizing window: where it opens and reopens, the simple box and the two pages, items
// dragged out of it back into the header panel, and headers dropped into it to hide them.

#include "treelist/tree_list_customizing.h"
#include "framework/comctrls.h"
#include "framework/resources.h"
#include "tree_list_input_fixture.h"

namespace {

struct Customizing : InputFixture {
    void SetUp() override {
        InputFixture::SetUp();
        AddColumns({"A", "B", "C", "D"}, 80);
        Build("X,Y");
        list->GetColumn(1)->SetVisible(false);
        list->GetColumn(2)->SetVisible(false);
        list->OnEndColumnsCustomizing = [this](TObject*) { ++ends; };
    }
    TForm* Window() { return list->GetCustomizingForm(); }
    TgxCustomizingListBox* Headers() { return list->GetCustomizingHeadersListBox(); }
    std::string Items(TgxCustomizingListBox* Box) {
        std::string s;
        for (int i = 0; i < Box->GetItems()->GetCount(); ++i) s += Box->GetItems()->Get(i);
        return s;
    }
    // A point of the list (client) in Control's client coordinates.
    TPoint Into(TControl* Control, TPoint ListPoint) {
        return Control->ScreenToClient(list->ClientToScreen(ListPoint));
    }
    TPoint WindowCentre() {
        const TRect r = Window()->GetClientRect();
        return list->ScreenToClient(Window()->ClientToScreen(Centre(r)));
    }
    void PressItem(Integer Index) {
        const TPoint p = Centre(Headers()->ItemRect(Index));
        uitest::MouseDown(Headers(), p.X, p.Y);
        itemPoint = p;
    }
    void MoveBox(TPoint P) { uitest::MouseMove(Headers(), P.X, P.Y, {ssLeft}); }
    int ends = 0;
    TPoint itemPoint;
};

}  // namespace

TEST_F(Customizing, OpensAtTheFormsBottomRightAndReopensWhereItWasWithItsSelection) {
    list->ColumnsCustomizing();
    ASSERT_NE(Window(), nullptr);
    EXPECT_TRUE(list->IsCustomizing());
    EXPECT_EQ(Window()->GetCaption(), "Customize");
    // One band without the band panel: the headers list alone, no pages.
    EXPECT_EQ(list->GetCustomizingBandsListBox(), nullptr);
    EXPECT_EQ(Headers()->GetParent(), Window());
    EXPECT_EQ(Items(Headers()), "BC");
    const TRect parent = form->GetBoundsRect();
    EXPECT_EQ(Window()->GetLeft() + Window()->GetWidth(), parent.Right);
    EXPECT_EQ(Window()->GetTop() + Window()->GetHeight(), parent.Bottom);
    EXPECT_EQ(Headers()->GetClientWidth(), list->GetDigitWidth() * 28);
    Headers()->SetItemIndex(1);
    Window()->SetLeft(30);
    Window()->SetTop(40);
    list->EndColumnsCustomizing();
    uitest::ProcessEvents();
    EXPECT_EQ(Window(), nullptr);
    EXPECT_EQ(ends, 1);
    list->ColumnsCustomizing();
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(Window()->GetLeft(), 30);
    EXPECT_EQ(Window()->GetTop(), 40);
    EXPECT_EQ(Headers()->GetItemIndex(), 1);
    // Closing it by hand (its close button) is the same.
    Window()->Close();
    uitest::ProcessEvents();
    EXPECT_EQ(Window(), nullptr);
    EXPECT_EQ(ends, 2);
}

TEST_F(Customizing, WithTheBandPanelTwoPagesListBandsAndHeaders) {
    list->SetShowBands(true);
    list->GetBands()->Add()->SetCaption("Second");
    list->GetBands()->Add()->SetCaption("Hidden");
    list->GetBands()->GetItem(2)->SetVisible(false);
    list->ColumnsCustomizing();
    ASSERT_NE(Window(), nullptr);
    ASSERT_NE(list->GetCustomizingBandsListBox(), nullptr);
    auto* pages = dynamic_cast<TPageControl*>(Window()->FindComponent("PageControl"));
    ASSERT_NE(pages, nullptr);
    ASSERT_EQ(pages->GetPageCount(), 2);
    EXPECT_EQ(pages->GetPage(0)->GetCaption(), "    Bands    ");
    EXPECT_EQ(pages->GetPage(1)->GetCaption(), "   Headers   ");
    EXPECT_EQ(Items(list->GetCustomizingBandsListBox()), "Hidden");
    EXPECT_EQ(Items(Headers()), "BC");
    // A header drag shows the headers page.
    pages->SetActivePageIndex(0);
    const TPoint from = HeaderPoint(0);
    Press(from);
    Move(TPoint{from.X, from.Y + 8});
    EXPECT_EQ(pages->GetActivePageIndex(), 1);
    uitest::PressKey(list, VK_ESCAPE);
    Release(TPoint{from.X, from.Y + 8});
}

TEST_F(Customizing, AnItemDragsOnlyFromTheSelectedItemPastThreePixels) {
    list->ColumnsCustomizing();
    ASSERT_NE(Window(), nullptr);
    Headers()->SetItemIndex(-1);
    PressItem(0);  // not selected before the press: no drag
    MoveBox(TPoint{itemPoint.X + 10, itemPoint.Y});
    EXPECT_EQ(list->GetState(), tsNormal);
    uitest::MouseUp(Headers(), itemPoint.X + 10, itemPoint.Y);
    Headers()->SetItemIndex(0);
    PressItem(0);
    EXPECT_EQ(Headers()->GetArmedIndex(), 0);
    MoveBox(TPoint{itemPoint.X + 3, itemPoint.Y - 3});
    EXPECT_EQ(list->GetState(), tsNormal);
    MoveBox(TPoint{itemPoint.X + 4, itemPoint.Y});
    EXPECT_EQ(list->GetState(), tsColumnDragging);
    EXPECT_EQ(list->GetDraggedColumn(), 1);
    // Let go over the right half of D: B shows after it, and leaves the list.
    const TRect d = HeaderRect(3);
    const TPoint target = Into(Headers(), TPoint{d.Right - 8, (d.Top + d.Bottom) / 2});
    MoveBox(target);
    uitest::MouseUp(Headers(), target.X, target.Y);
    EXPECT_EQ(list->GetState(), tsNormal);
    EXPECT_EQ(list->GetVisibleColumnCount(), 3);
    EXPECT_EQ(list->GetColumn(list->VisibleToAbsoluteIndex(2))->GetCaption(), "B");
    EXPECT_EQ(Items(Headers()), "C");
}

TEST_F(Customizing, AHeaderDroppedOnTheWindowHidesUnlessItMayNot) {
    list->ColumnsCustomizing();
    ASSERT_NE(Window(), nullptr);
    list->GetColumn(3)->SetDisableCustomizing(true);
    struct Case {
        Integer column;
        TCursor cursor;
        bool hidden;
    };
    const Case cases[] = {{3, -1124, false}, {0, crDrag, true}};
    for (const Case& c : cases) {
        const TPoint from = HeaderPoint(c.column);
        Press(from);
        Move(TPoint{from.X, from.Y + 8});
        Move(WindowCentre());
        ASSERT_EQ(list->GetState(), tsColumnDragging);
        EXPECT_TRUE(list->IsPointInCustomizingForm(list->ClientToScreen(WindowCentre())));
        EXPECT_EQ(list->GetDragImageList()->GetDragCursor(), c.cursor) << c.column;
        Release(WindowCentre());
        EXPECT_EQ(!list->GetColumn(c.column)->GetVisible(), c.hidden) << c.column;
    }
    EXPECT_EQ(Items(Headers()), "ABC");
}
