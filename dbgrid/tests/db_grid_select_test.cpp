// Selection by key, mouse and all at once, deleting the selected records, the Ctrl+Delete box,
// and the option sets the grid hands to the tree list.

#include <functional>

#include "dbgrid/tests/db_grid_fixture.h"

struct DbGridSelect : GridFixture {
    TScriptedDialogs dialogs;
    void SetUp() override {
        GridFixture::SetUp();
        Fill({{"a", 1}, {"b", 2}, {"c", 1}, {"d", 2}, {"e", 1}});
        Options({egoMultiSelect, egoUseLocate});
        Bind();
    }
    TPoint CellPoint(const std::string& File) {
        const TRect r = grid->GetCellRect(Leaf(File), name->GetIndex());
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    void ClickOn(const std::string& File, TShiftState Shift = {}) {
        const TPoint p = CellPoint(File);
        uitest::Click(grid, p.X, p.Y, mbLeft, Shift);
    }
    std::vector<std::string> Remaining() { return table.Column("Filename"); }
};

TEST_F(DbGridSelect, MouseAndKeysSelect) {
    ClickOn("b");
    ClickOn("d", {ssCtrl});
    EXPECT_EQ(Selected(), "b,d");
    EXPECT_EQ(Current(), "d");
    ClickOn("a", {ssShift});
    EXPECT_FALSE(Selected().empty());
    uitest::PressKey(grid, VK_DOWN, {ssShift});
    EXPECT_EQ(Focused(), "b");
}

TEST_F(DbGridSelect, SelectingANonCurrentNodeStoresItsOwnRecord) {
    // Bookmark selection: the leaves' own bookmarks, not the current record's, are deleted.
    ASSERT_TRUE(grid->GetUseBookmarks());
    Leaf("a")->SetFocused(true);
    Leaf("c")->SetSelected(true);
    Leaf("e")->SetSelected(true);
    EXPECT_EQ(Current(), "a");
    grid->DeleteSelection();
    EXPECT_EQ(Remaining(), (std::vector<std::string>{"a", "b", "d"}));
    EXPECT_EQ(Tree(), "a,b,d");
}

TEST_F(DbGridSelect, NodeSelectionIsInAddressOrderAndDeletesByKey) {
    grid->SetUseBookmarks(false);
    for (const char* file : {"e", "b", "d"}) Leaf(file)->SetSelected(true);
    ASSERT_EQ(grid->GetSelectedCount(), 3);
    for (Integer i = 1; i < 3; ++i)
        EXPECT_LT(CompareNodePointers(grid->GetSelectedNode(i - 1), grid->GetSelectedNode(i)), 0);
    grid->DeleteSelection();
    EXPECT_EQ(Remaining(), (std::vector<std::string>{"a", "c"}));
}

TEST_F(DbGridSelect, ReselectionAfterAReload) {
    for (bool bookmarks : {true, false}) {
        SCOPED_TRACE(bookmarks);
        grid->SetUseBookmarks(bookmarks);
        type->SetGroupIndex(-1);
        Leaf("b")->SetSelected(true);
        Leaf("d")->SetSelected(true);
        table.AddFile(bookmarks ? "f" : "g", "/f", 2);  // the nodes are built again
        EXPECT_EQ(Selected(), "b,d");
        type->SetGroupIndex(0);
        grid->FullExpand();
        Leaf("a")->SetSelected(true);
        Leaf("c")->SetSelected(true);
        grid->RefreshNodes();  // regrouped, old leaves reused
        EXPECT_EQ(Selected(), "a,c");
    }
}

TEST_F(DbGridSelect, GroupAndLeafTogetherOnlyWithExtendedSelection) {
    grid->SetUseBookmarks(false);
    type->SetGroupIndex(0);
    grid->FullExpand();
    Leaf("a")->SetSelected(true);
    grid->GetItem(1)->SetSelected(true);
    EXPECT_EQ(Selected(), "a");
    Options({egoExtMultiSelect});
    grid->ClearSelection();
    Leaf("a")->SetSelected(true);
    grid->GetItem(1)->SetSelected(true);
    EXPECT_EQ(Selected(), "a,group");
}

TEST_F(DbGridSelect, SelectAllStopsAtTheLastDisplayedRow) {
    grid->SetUseBookmarks(false);
    Options({egoExtMultiSelect});
    type->SetGroupIndex(0);
    grid->FullExpand();
    grid->GetItem(1)->SetExpanded(false);  // the last group is collapsed
    grid->SelectAll();
    // From the first node to the last displayed row; the collapsed group's leaves stay out.
    EXPECT_EQ(Selected(), "group,a,c,e,group");
    // By bookmark every record is selected as the nodes load, with the group nodes passed.
    grid->SetUseBookmarks(true);
    grid->SelectAll();
    EXPECT_EQ(grid->GetSelectedCount(), 7);
}

TEST_F(DbGridSelect, CtrlDeleteAsksFirst) {
    struct Case {
        const char* name;
        std::function<void()> select;
        Integer answer;
        const char* text;
        std::vector<std::string> remaining;
    };
    const Case cases[] = {
        {"one, cancelled", [&] { Leaf("b")->SetFocused(true); }, mrCancel, "Delete record?", {"a", "b", "c", "d", "e"}},
        {"one", [&] { Leaf("b")->SetFocused(true); }, mrOk, "Delete record?", {"a", "c", "d", "e"}},
        {"several",
         [&] {
             Leaf("c")->SetFocused(true);
             Leaf("c")->SetSelected(true);
             Leaf("e")->SetSelected(true);
         },
         mrOk,
         "Delete all selected records?",
         {"a", "d"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.select();
        dialogs.Clear();
        dialogs.Answer(c.answer);
        uitest::PressKey(grid, VK_DELETE, {ssCtrl});
        ASSERT_EQ(dialogs.Requests().size(), 1u);
        EXPECT_EQ(dialogs.Requests()[0].Caption, "Confirm");
        EXPECT_EQ(dialogs.Requests()[0].Text, c.text);
        EXPECT_EQ(Remaining(), c.remaining);
        EXPECT_EQ(grid->GetCount(), Integer(c.remaining.size()));
    }
}

TEST_F(DbGridSelect, AFailingDeleteKeepsTheRowAndPropagates) {
    table.T->BeforeDelete = [](TDataSet*) { throw Exception("kept"); };
    Leaf("c")->SetFocused(true);
    EXPECT_EQ(ErrorOf([&] { grid->DeleteNodeRecord(Leaf("c")); }), "kept");
    EXPECT_EQ(Tree(), "a,b,c,d,e");
    // With extended selection the failing entries are skipped.
    Options({egoExtMultiSelect});
    Leaf("a")->SetSelected(true);
    Leaf("b")->SetSelected(true);
    EXPECT_NO_THROW(grid->DeleteSelection());
    EXPECT_EQ(grid->GetSelectedCount(), 0);
    EXPECT_EQ(Remaining().size(), 5u);
}

TEST_F(DbGridSelect, CtrlDeleteRefusedByTheDatasetKeepsItsRows) {
    Options({egoSmartRefresh});
    // The dataset refuses to delete "c"; the refusal reaches the user as an error box.
    table.T->BeforeDelete = [&](TDataSet*) {
        if (Current() == "c") throw Exception("Record c is in use");
    };
    auto ctrlDelete = [&] {
        dialogs.Clear();
        dialogs.Answer(mrOk).Answer(mrOk);
        uitest::PressKey(grid, VK_DELETE, {ssCtrl});
    };
    Leaf("c")->SetFocused(true);
    ctrlDelete();
    ASSERT_EQ(dialogs.Requests().size(), 2u);
    EXPECT_EQ(dialogs.Requests()[1].Text, "Record c is in use.");
    // The row stays where it was, focused on its record, and no deleted row is pending.
    EXPECT_EQ(Tree(), "a,b,c,d,e");
    EXPECT_EQ(Focused(), "c");
    EXPECT_EQ(Current(), "c");
    Leaf("d")->SetFocused(true);
    ctrlDelete();
    EXPECT_EQ(Tree(), "a,b,c,e");
    EXPECT_EQ(Leaf("c"), grid->FindNodeByKeyValue(Variant(3)));
    // Several rows: deleted from the last selected one until the refusal, which stops the rest.
    Leaf("a")->SetFocused(true);
    for (const char* file : {"a", "c", "e"}) Leaf(file)->SetSelected(true);
    ctrlDelete();
    ASSERT_EQ(dialogs.Requests().size(), 2u);
    EXPECT_EQ(dialogs.Requests()[0].Text, "Delete all selected records?");
    EXPECT_EQ(Current(), "a");
    EXPECT_EQ(Focused(), "a");
    EXPECT_EQ(Tree(), "a,b,c");
    EXPECT_EQ(grid->GetSelectedCount(), 0);
    EXPECT_EQ(Remaining(), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(DbGridSelect, HorizontalScrollingStopsAtColumnBoundaries) {
    grid->SetScrollBars(ssBoth);
    for (TgxDBGridColumn* column : {name, type, AddColumn("Path")}) column->SetWidth(300);
    uitest::ProcessEvents();
    const Integer max = grid->GetScrollableBandsWidth() - grid->GetScrollableAreaWidth();
    ASSERT_GT(max, 300);
    ASSERT_LT(max, 600);
    auto line = [&](Word Code) {
        grid->Perform(WM_HSCROLL, Code, 0);
        return grid->GetLeftCoord();
    };
    EXPECT_EQ(line(SB_LINERIGHT), 300);
    EXPECT_EQ(line(SB_LINERIGHT), max);  // the last boundary lies past the end
    EXPECT_EQ(line(SB_LINELEFT), 300);
    EXPECT_EQ(line(SB_LINELEFT), 0);
    EXPECT_EQ(line(SB_LINELEFT), 0);
    // The thumb snaps to the next boundary in the direction it is dragged; the ends hold.
    uitest::ScrollBarDrag(grid, SB_HORZ, {40, 120});
    EXPECT_EQ(grid->GetLeftCoord(), 300);
    uitest::ScrollBarDrag(grid, SB_HORZ, {310, 280});
    EXPECT_EQ(grid->GetLeftCoord(), 0);
    uitest::ScrollBarDrag(grid, SB_HORZ, {max});
    EXPECT_EQ(grid->GetLeftCoord(), max);
}

TEST_F(DbGridSelect, OptionsMapOntoTheTreeList) {
    auto tl = [&] { return static_cast<TCustomgxTreeList*>(grid); };
    Options({egoRowSelect});
    EXPECT_TRUE(tl()->GetOptions().Contains(aoRowSelect));
    EXPECT_FALSE(tl()->GetOptions().Contains(aoEditing));
    grid->SetOptionsEx(grid->GetOptionsEx() + TgxDBGridOptionsEx{egoInvertSelect});
    EXPECT_FALSE(grid->GetOptions().Contains(egoRowSelect));
    EXPECT_TRUE(tl()->GetOptionsEx().Contains(aoInvertSelect));
    Options({egoRowSelect});
    EXPECT_FALSE(grid->GetOptionsEx().Contains(egoInvertSelect));
    // OptionsEx set after Options keeps the hourglass of Options.
    Options({egoShowHourGlass});
    grid->SetOptionsEx(grid->GetOptionsEx() + TgxDBGridOptionsEx{egoMouseScroll});
    EXPECT_TRUE(tl()->GetOptionsEx().Contains(aoShowHourGlass));
    EXPECT_FALSE(tl()->GetOptions().Contains(aoAutoSort));
}
