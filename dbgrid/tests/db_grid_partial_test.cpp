// Partial-load mode: a slice of the records around the current one, rebuilt when the dataset
// leaves it, extended as the rows scroll towards an end, and reaching every selected record.

#include <cstdio>

#include "dbgrid/tests/db_grid_fixture.h"

struct DbGridPartial : GridFixture {
    static constexpr Integer Records = 600;
    static constexpr Integer Buffer = 120;  // more than five pages of the grid's rows
    static std::string File(Integer I) {
        char text[16];
        std::snprintf(text, sizeof text, "f%04d", int(I));
        return text;
    }
    void SetUp() override {
        GridFixture::SetUp();
        Options({egoUseLocate}, {egoLoadAllRecords});
        std::vector<std::pair<std::string, Integer>> files;
        for (Integer i = 0; i < Records; ++i) files.push_back({File(i), Integer(i % 3)});
        Fill(files);
        grid->SetPartialLoadBufferCount(Buffer);
        grid->SetPartialLoad(true);
        Bind();
        uitest::ProcessEvents();
    }
    std::string First() { return grid->GetFirstNode()->GetString(name->GetIndex()); }
    std::string Last() { return grid->GetItem(grid->GetCount() - 1)->GetString(name->GetIndex()); }
    bool StartReached() { return grid->IsFirstNode(grid->GetFirstNode()); }
    bool EndReached() { return grid->IsLastVisibleNode(grid->GetItem(grid->GetCount() - 1)); }
    void Go(Integer I) { ASSERT_TRUE(table.T->Locate("Filename", Variant(File(I)), {})); }
    // The slice holds consecutive records with consecutive record positions.
    void ExpectConsecutive() {
        for (Integer i = 1; i < grid->GetCount(); ++i) {
            auto* a = static_cast<TgxDBGridNode*>(grid->GetItem(i - 1));
            auto* b = static_cast<TgxDBGridNode*>(grid->GetItem(i));
            ASSERT_EQ(b->RecordIndex, a->RecordIndex + 1) << i;
            ASSERT_LT(a->GetString(name->GetIndex()), b->GetString(name->GetIndex())) << i;
        }
    }
};

TEST_F(DbGridPartial, TheSliceFollowsTheDataset) {
    ASSERT_TRUE(grid->IsPartialLoadMode());
    struct Case {
        Integer record;
        std::string first, last;
        bool start, end;
    };
    // Half a buffer before the current record and a buffer from it; more after it at the start.
    const Case cases[] = {
        {0, File(0), File(Buffer + Buffer / 2 - 1), true, false},
        {300, File(300 - Buffer / 2), File(300 + Buffer - 1), false, false},
        {Records - 1, File(Records - 1 - Buffer / 2), File(Records - 1), false, true},
        {5, File(0), File(5 + Buffer + Buffer / 2 - 6), true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        Go(c.record);
        EXPECT_EQ(First(), c.first);
        EXPECT_EQ(Last(), c.last);
        EXPECT_EQ(StartReached(), c.start);
        EXPECT_EQ(EndReached(), c.end);
        EXPECT_EQ(Focused(), File(c.record));
        EXPECT_EQ(Current(), File(c.record));
        EXPECT_EQ(static_cast<TgxDBGridNode*>(grid->GetFocusedNode())->RecordIndex, Buffer / 2);
        EXPECT_EQ(grid->GetRecordCount(), grid->GetCount());
        ExpectConsecutive();
    }
    // Keys find loaded records only.
    EXPECT_NE(grid->FindNodeByKeyValue(Variant(4)), nullptr);
    EXPECT_EQ(grid->FindNodeByKeyValue(Variant(Integer(Records))), nullptr);
    // A key field the dataset lacks leaves an empty grid; so does a closed dataset.
    grid->SetKeyField("Missing");
    EXPECT_EQ(grid->GetCount(), 0);
    grid->SetKeyField("KeyID");
    EXPECT_EQ(Focused(), File(5));
    table.T->Close();
    EXPECT_EQ(grid->GetCount(), 0);
    EXPECT_EQ(grid->GetRecordCount(), 0);
}

TEST_F(DbGridPartial, ScrollingNearAnEndExtendsTheSlice) {
    Go(300);
    const Integer count = grid->GetCount();
    // Within two pages of the last node: a buffer more at the end.
    grid->SetTopIndex(count - 10);
    EXPECT_EQ(Last(), File(300 + 2 * Buffer - 1));
    EXPECT_EQ(grid->GetCount(), count + Buffer);
    EXPECT_EQ(grid->GetRecordCount(), count + Buffer);
    // Within a page of the first node: a buffer more at the start; the top row stays put.
    grid->SetTopIndex(0);
    TgxTreeListNode* top = grid->GetTopVisibleNode();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->GetString(name->GetIndex()), File(300 - Buffer / 2));
    EXPECT_EQ(First(), File(300 - Buffer / 2 - Buffer));
    EXPECT_EQ(grid->GetRecordCount(), count + 2 * Buffer);
    ExpectConsecutive();
    // Extending moves neither the focus nor the dataset.
    EXPECT_EQ(Focused(), File(300));
    EXPECT_EQ(Current(), File(300));
    // Focusing a loaded node moves the dataset without rebuilding the slice.
    Leaf(File(200))->SetFocused(true);
    EXPECT_EQ(Current(), File(200));
    EXPECT_EQ(First(), File(300 - Buffer / 2 - Buffer));
}

TEST_F(DbGridPartial, TheSliceReachesTheSelectedRecords) {
    Options({egoMultiSelect});
    grid->ClearSelection();  // the options select the focused row
    Go(100);
    Leaf(File(90))->SetSelected(true);
    Leaf(File(120))->SetSelected(true);
    Go(500);
    // Rebuilt around record 500, back far enough to hold both selected records.
    EXPECT_LE(First(), File(90));
    EXPECT_EQ(Last(), File(Records - 1));
    EXPECT_EQ(Selected(), File(90) + "," + File(120));
    EXPECT_EQ(grid->GetSelectedCount(), 2);
    // Select all loads every record, each one selected.
    grid->SelectAll();
    EXPECT_EQ(grid->GetCount(), Records);
    EXPECT_EQ(grid->GetSelectedCount(), Records);
    EXPECT_TRUE(StartReached());
    EXPECT_TRUE(EndReached());
    EXPECT_EQ(Current(), File(500));
    EXPECT_EQ(Focused(), File(500));
}

TEST_F(DbGridPartial, ShiftRangeAnchorsOnItsRecord) {
    Options({egoMultiSelect});
    Go(300);
    uitest::PressKey(grid, VK_DOWN, {ssShift});
    uitest::PressKey(grid, VK_DOWN, {ssShift});
    EXPECT_EQ(Focused(), File(302));
    EXPECT_EQ(Selected(), File(300) + "," + File(301) + "," + File(302));
    // The anchor's record is kept by bookmark: a slice rebuilt with KeepSelection selects the
    // records between it and the current record.
    Go(305);
    grid->PartialLoadRecords(0, 0, true);
    EXPECT_EQ(grid->GetSelectedCount(), 6);
    EXPECT_EQ(Leaf(File(300)), grid->GetSelectionAnchor());
}

TEST_F(DbGridPartial, AutoSearchLooksBeyondTheSlice) {
    grid->SetOptionsEx(grid->GetOptionsEx() + TgxDBGridOptionsEx{egoAutoSearch});
    Go(0);
    uitest::TypeText(grid, "f05");
    EXPECT_EQ(Current(), File(500));
    EXPECT_EQ(Focused(), File(500));
    EXPECT_EQ(First(), File(500 - Buffer / 2));
    // The rebuilt slice does not end the search.
    EXPECT_TRUE(grid->IsSearching());
    uitest::TypeText(grid, "1");
    EXPECT_EQ(Focused(), File(510));
    // Once the slice holds every record the nodes are searched.
    grid->PartialLoadRecords(3);
    uitest::TypeText(grid, "f052");
    EXPECT_EQ(Focused(), File(520));
    EXPECT_EQ(Current(), File(520));
}
