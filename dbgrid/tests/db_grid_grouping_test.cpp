// Grouping in code: the group nodes and their order, hiding and showing the grouping columns, the
// grouping bracket, and re-applying stored group indexes.

#include "dbgrid/tests/db_grid_fixture.h"

struct DbGridGroup : GridFixture {
    TgxDBGridColumn* path = nullptr;
    int reloads = 0;
    void SetUp() override {
        GridFixture::SetUp();
        path = AddColumn("Path");
        table.T->Open();
        const std::tuple<const char*, const char*, Integer> files[] = {
            {"a", "/x", 2}, {"b", "/y", 1}, {"c", "/x", 1}, {"d", "/y", 2}, {"e", "/x", 1},
        };
        for (auto [file, folder, kind] : files) table.AddFile(file, folder, kind);
        grid->OnReloadGroupList = [this](TObject*) { ++reloads; };
        Bind();
    }
};

TEST_F(DbGridGroup, GroupsAscendLeavesKeepDatasetOrder) {
    type->SetGroupIndex(0);
    EXPECT_EQ(Tree(), "1(b,c,e),2(a,d)");
    path->SetGroupIndex(1);
    EXPECT_EQ(Tree(), "1(/x(c,e),/y(b)),2(/x(a),/y(d))");
    // A grouping column sorted down groups in descending order.
    path->SetGroupIndex(-1);
    type->SetSorted(csDown);
    grid->ReloadNodes();
    EXPECT_EQ(Tree(), "2(a,d),1(b,c,e)");
    // The group row reads "<caption> : <value> ".
    EXPECT_EQ(grid->GetItem(0)->GetString(0), "LMFileType : 2 ");
}

TEST_F(DbGridGroup, GroupingHidesAndUngroupingShowsAndClearsTheSort) {
    type->SetGroupIndex(0);
    EXPECT_FALSE(type->GetVisible());
    EXPECT_EQ(type->GetSorted(), csUp);
    type->SetGroupIndex(-1);
    EXPECT_TRUE(type->GetVisible());
    EXPECT_EQ(type->GetSorted(), csNone);
    grid->SetOptionsEx(grid->GetOptionsEx() + TgxDBGridOptionsEx{egoNotHideColumn});
    type->SetGroupIndex(0);
    EXPECT_TRUE(type->GetVisible());
}

TEST_F(DbGridGroup, RefusedColumnsStayOut) {
    type->SetDisableGrouping(true);
    type->SetGroupIndex(0);
    EXPECT_EQ(type->GetGroupIndex(), -1);
    EXPECT_EQ(grid->GetGroupColumnCount(), 0);
    // A second column on a field that already groups.
    TgxDBGridColumn* path2 = AddColumn("PATH");
    path->SetGroupIndex(0);
    path2->SetGroupIndex(1);
    EXPECT_EQ(path2->GetGroupIndex(), -1);
    EXPECT_EQ(grid->GetGroupColumnCount(), 1);
}

TEST_F(DbGridGroup, TheOutermostBracketReloadsOnceOrRegroups) {
    reloads = 0;
    grid->BeginGrouping();
    grid->BeginGrouping();
    type->SetGroupIndex(0);
    path->SetGroupIndex(1);
    grid->EndGrouping();
    EXPECT_EQ(reloads, 0);
    EXPECT_EQ(grid->GetCount(), 5);  // not regrouped yet
    grid->EndGrouping();
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(Tree(), "1(/x(c,e),/y(b)),2(/x(a),/y(d))");
    // Same fields: a regroup that keeps the leaves.
    TgxTreeListNode* c = Leaf("c");
    grid->BeginGrouping();
    grid->EndGrouping();
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(Leaf("c"), c);
}

TEST_F(DbGridGroup, SmartReloadRegroupsTheLoadedNodes) {
    Options({egoSmartReload});
    TgxTreeListNode* d = Leaf("d");
    int walks = 0;
    table.T->AfterScroll = [&](TDataSet*) { ++walks; };
    type->SetGroupIndex(0);
    EXPECT_EQ(Tree(), "1(b,c,e),2(a,d)");
    path->SetGroupIndex(0);
    EXPECT_EQ(Tree(), "/x(1(c,e),2(a)),/y(1(b),2(d))");
    type->SetGroupIndex(-1);
    EXPECT_EQ(Tree(), "/x(a,c,e),/y(b,d)");
    EXPECT_EQ(Leaf("d"), d);
    EXPECT_EQ(walks, 0);  // the dataset was not walked
}

TEST_F(DbGridGroup, ReappliedIndexesDropADuplicate) {
    // Stored indexes as a loaded layout leaves them: two columns claim index 0.
    TLoadingBracket loading;
    for (TgxDBGridColumn* column : {type, path}) {
        loading.Add(column);
        column->SetGroupIndex(0);
    }
    loading.End();
    grid->RefreshGrouping();
    EXPECT_EQ(type->GetGroupIndex(), 0);
    EXPECT_EQ(path->GetGroupIndex(), -1);
    EXPECT_EQ(Tree(), "1(b,c,e),2(a,d)");
    // The column left out can group later and a removal hits the right column.
    path->SetGroupIndex(1);
    EXPECT_EQ(grid->GetGroupColumnCount(), 2);
    grid->RemoveGroupColumn(1);
    EXPECT_EQ(type->GetGroupIndex(), 0);
    EXPECT_EQ(path->GetGroupIndex(), -1);
}

TEST_F(DbGridGroup, AGroupRowPastTheGroupingReadsItsOwnText) {
    type->SetGroupIndex(0);
    path->SetGroupIndex(1);
    TgxTreeListNode* inner = grid->GetItem(0)->GetItem(0);
    ASSERT_EQ(inner->GetLevel(), 1);
    grid->BeginGrouping();
    path->SetGroupIndex(-1);  // the nodes still show two levels until the bracket closes
    EXPECT_NO_THROW(inner->GetString(0));
    grid->EndGrouping();
    EXPECT_EQ(Tree(), "1(b,c,e),2(a,d)");
}
