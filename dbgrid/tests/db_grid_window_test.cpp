// Window mode: a node per visible row of the data link's buffer, values read at the buffer row,
// and keys and scroll bars moving the dataset.

#include "dbgrid/tests/db_grid_fixture.h"
#include "framework/string_list.h"
#include "framework/testing/vector_dataset.h"

struct DbGridWindow : GridFixture {
    void SetUp() override {
        GridFixture::SetUp();
        Options({}, {egoLoadAllRecords});
        std::vector<std::pair<std::string, Integer>> files;
        for (int i = 0; i < 60; ++i) files.push_back({"f" + std::to_string(100 + i), i % 3});
        Fill(files);
        Bind();
        uitest::ProcessEvents();
    }
    // The node texts, in order.
    std::string Rows() {
        std::string s;
        for (Integer i = 0; i < grid->GetCount(); ++i)
            s += (i ? "," : "") + grid->GetItem(i)->GetString(name->GetIndex());
        return s;
    }
    Integer Rows0() { return grid->GetCount(); }
    void Scroll(Word Code) { grid->Perform(WM_VSCROLL, Code, 0); }
};

TEST_F(DbGridWindow, HoldsOnlyTheVisibleRows) {
    ASSERT_TRUE(grid->IsWindowMode());
    const Integer rows = grid->GetCount();
    EXPECT_GT(rows, 3);
    EXPECT_LT(rows, 60);
    EXPECT_EQ(grid->GetItem(0)->GetString(name->GetIndex()), "f100");
    EXPECT_EQ(grid->GetItem(2)->GetString(name->GetIndex()), "f102");
    EXPECT_EQ(VarToStr(grid->GetItem(2)->GetValue(type->GetIndex())), "2");
    EXPECT_EQ(grid->FindNodeByKeyValue(Variant(1)), nullptr);  // even though it is shown
    table.T->Last();
    EXPECT_EQ(grid->GetCount(), rows);  // never more nodes than rows
    EXPECT_EQ(grid->GetItem(rows - 1)->GetString(name->GetIndex()), "f159");
    EXPECT_EQ(Focused(), "f159");
}

TEST_F(DbGridWindow, KeysAndFocusMoveTheDataset) {
    grid->GetItem(3)->SetFocused(true);
    EXPECT_EQ(Current(), "f103");
    const Integer rows = grid->GetCount();
    grid->GetItem(rows - 1)->SetFocused(true);
    uitest::PressKey(grid, VK_DOWN);
    // Past the last row the buffer scrolls by one record.
    EXPECT_EQ(Current(), "f1" + std::to_string(rows));
    EXPECT_EQ(Focused(), Current());
    EXPECT_EQ(grid->GetItem(0)->GetString(name->GetIndex()), "f101");
    uitest::PressKey(grid, VK_END, {ssCtrl});
    EXPECT_EQ(Current(), "f159");
    uitest::PressKey(grid, VK_HOME, {ssCtrl});
    EXPECT_EQ(Current(), "f100");
}

TEST_F(DbGridWindow, ScrollBarCodesMapOntoDatasetMoves) {
    const Integer rows = grid->GetCount();
    Scroll(SB_PAGEDOWN);
    EXPECT_EQ(table.T->GetRecNo(), 1 + rows);
    Scroll(SB_BOTTOM);
    EXPECT_EQ(Current(), "f159");
    Scroll(SB_TOP);
    EXPECT_EQ(Current(), "f100");
    Scroll(SB_LINEDOWN);
    // The record after the buffer's last row becomes current.
    EXPECT_EQ(Current(), "f1" + std::to_string(rows));
    Integer min, max, page, pos;
    grid->GetVertScrollInfo(min, max, page, pos);
    EXPECT_EQ(min, 1);
    EXPECT_EQ(max, 60 + page - 1);
    EXPECT_EQ(pos, table.T->GetRecNo());
}

// A dataset that cannot tell record numbers: the scroll bar has five positions.
class UnsequencedDataSet : public TVectorDataSet {
    LUMORA_CLASS(UnsequencedDataSet, TVectorDataSet)
public:
    explicit UnsequencedDataSet(TComponent* AOwner) : TVectorDataSet(AOwner) {}
    bool IsSequenced() override { return false; }
};

TEST_F(DbGridWindow, AnUnsequencedDatasetHasFiveScrollPositions) {
    auto* data = new UnsequencedDataSet(form);
    data->GetFieldDefs()->Add("Filename", ftString, 20);
    data->Open();
    for (int i = 0; i < 40; ++i) data->AppendRecord({Variant("r" + std::to_string(i))});
    data->First();
    source->SetDataSet(data);
    uitest::ProcessEvents();
    Integer min, max, page, pos;
    grid->GetVertScrollInfo(min, max, page, pos);
    EXPECT_EQ((std::vector<Integer>{min, max, page, pos}), (std::vector<Integer>{0, 4, 0, 0}));
    data->MoveBy(5);
    grid->GetVertScrollInfo(min, max, page, pos);
    EXPECT_EQ(pos, 2);
    data->Last();
    data->Next();
    grid->GetVertScrollInfo(min, max, page, pos);
    EXPECT_EQ(pos, 4);
}

TEST_F(DbGridWindow, AutoSearchWalksTheDataset) {
    grid->SetOptionsEx(grid->GetOptionsEx() + TgxDBGridOptionsEx{egoAutoSearch});
    uitest::TypeText(grid, "F13");  // without regard to case
    EXPECT_EQ(Current(), "f130");
    EXPECT_EQ(Focused(), "f130");
    // Ctrl+Enter finds the next match, wrapping past the last record; Shift+Enter the previous.
    for (int i = 0; i < 9; ++i) uitest::PressKey(grid, VK_RETURN, {ssCtrl});
    EXPECT_EQ(Current(), "f139");
    uitest::PressKey(grid, VK_RETURN, {ssCtrl});
    EXPECT_EQ(Current(), "f130");
    uitest::PressKey(grid, VK_RETURN, {ssShift});
    EXPECT_EQ(Current(), "f139");
    // A character that matches nothing is taken back and the dataset stays.
    uitest::TypeText(grid, "x");
    EXPECT_EQ(Current(), "f139");
    EXPECT_EQ(grid->GetSearchText(), "F13");
    EXPECT_EQ(Focused(), "f139");
}

TEST_F(DbGridWindow, SelectionIsByBookmark) {
    Options({egoMultiSelect});
    grid->ClearSelection();
    grid->GetItem(1)->SetSelected(true);
    grid->GetItem(2)->SetSelected(true);
    EXPECT_EQ(grid->GetSelectedCount(), 2);
    EXPECT_EQ(grid->GetSelectedNode(0), nullptr);
    // The selection stays with the records when the buffer scrolls.
    table.T->Last();
    table.T->First();
    EXPECT_TRUE(grid->GetItem(1)->GetSelected());
    EXPECT_FALSE(grid->GetItem(3)->GetSelected());
}

TEST_F(DbGridWindow, ShiftPagesSelectRecordsFromTheAnchor) {
    Options({egoMultiSelect});
    grid->ClearSelection();
    const Integer rows = grid->GetCount();
    // From the top row to the bottom row, then a page further: every record passed is selected.
    uitest::PressKey(grid, VK_NEXT, {ssShift});
    EXPECT_EQ(Current(), "f1" + std::to_string(rows - 1));
    EXPECT_EQ(grid->GetSelectedCount(), rows);
    uitest::PressKey(grid, VK_NEXT, {ssShift});
    EXPECT_EQ(grid->GetSelectedCount(), 2 * rows - 1);
    uitest::PressKey(grid, VK_END, {ssShift});
    EXPECT_EQ(Current(), "f159");
    EXPECT_EQ(grid->GetSelectedCount(), 60);
    EXPECT_TRUE(grid->GetFocusedNode()->GetSelected());
    // Back past the anchor: the range turns round it.
    uitest::PressKey(grid, VK_HOME, {ssShift});
    EXPECT_EQ(Current(), "f100");
    EXPECT_EQ(grid->GetSelectedCount(), 1);
    table.T->MoveBy(10);
    uitest::PressKey(grid, VK_PRIOR, {ssShift});
    EXPECT_LT(table.T->GetRecNo(), 11);
    EXPECT_EQ(grid->GetSelectedCount(), table.T->GetRecNo());
}

TEST_F(DbGridWindow, EditingKeysAppendInsertAndCancelRecords) {
    Options({egoCanAppend});
    auto state = [&] { return table.T->GetState(); };
    table.T->Last();
    // Down from the last record appends one; Down on it untouched keeps it, Up takes it back.
    uitest::PressKey(grid, VK_DOWN);
    EXPECT_EQ(state(), dsInsert);
    uitest::PressKey(grid, VK_DOWN);
    EXPECT_EQ(state(), dsInsert);
    uitest::PressKey(grid, VK_UP);
    EXPECT_EQ(state(), dsBrowse);
    EXPECT_EQ(table.T->GetRecordCount(), 60);
    EXPECT_EQ(Current(), "f159");
    // Insert puts a record before the current one; Down leaves it untouched, so it goes.
    ASSERT_TRUE(table.T->Locate("Filename", Variant("f120"), {}));
    uitest::PressKey(grid, VK_INSERT);
    EXPECT_EQ(state(), dsInsert);
    uitest::PressKey(grid, VK_DOWN);
    EXPECT_EQ(state(), dsBrowse);
    EXPECT_EQ(table.T->GetRecordCount(), 60);
    // A changed appended record is kept: Up moves on and posts it.
    table.T->Last();
    uitest::PressKey(grid, VK_DOWN);
    table.Filename->SetAsString("new");
    uitest::PressKey(grid, VK_UP);
    EXPECT_EQ(state(), dsBrowse);
    EXPECT_EQ(table.T->GetRecordCount(), 61);

    // Row select, or no append option, turns the keys off.
    struct Case {
        TgxDBGridOptions Add, Remove;
    };
    for (const Case& c : {Case{{egoRowSelect}, {}}, Case{{}, {egoCanAppend}}}) {
        Options(c.Add, c.Remove);
        table.T->Last();
        uitest::PressKey(grid, VK_DOWN);
        EXPECT_EQ(state(), dsBrowse);
        Options(c.Remove, c.Add);
    }
    Options({}, {egoCanInsert});
    uitest::PressKey(grid, VK_INSERT);
    EXPECT_EQ(state(), dsBrowse);
}

TEST_F(DbGridWindow, CopiesRecordsNotNodes) {
    auto lines = [&](bool Selected) {
        auto* strings = new TStringList;
        if (Selected)
            grid->SaveSelectedToStrings(strings);
        else
            grid->SaveToStrings(strings);
        std::vector<std::string> result;
        for (int i = 0; i < strings->GetCount(); ++i) result.push_back(strings->Get(i));
        strings->Free();
        return result;
    };
    ASSERT_TRUE(table.T->Locate("Filename", Variant("f130"), {}));
    name->OnGetText = [](TObject*, TgxTreeListNode*, std::string& Text) { Text += "!"; };
    // Every record of the dataset, far more than the nodes, each line its cells and a TAB each.
    std::vector<std::string> all = lines(false);
    ASSERT_EQ(all.size(), 61u);
    EXPECT_EQ(all[0], "Filename\tLMFileType\t\r");
    EXPECT_EQ(all[1], "f100!\t0\t");
    EXPECT_EQ(all[60], "f159!\t2\t");
    EXPECT_EQ(Current(), "f130");  // the dataset is back where it was
    // With multi-select the selected records, in selection order; without it the focused row.
    Options({egoMultiSelect});
    grid->ClearSelection();
    uitest::PressKey(grid, VK_DOWN, {ssShift});
    table.T->Last();
    grid->GetFocusedNode()->SetSelected(true);
    EXPECT_EQ(lines(true), (std::vector<std::string>{all[0], "f130!\t0\t", "f131!\t1\t", "f159!\t2\t"}));
    EXPECT_EQ(Current(), "f159");
    Options({}, {egoMultiSelect});
    EXPECT_EQ(lines(true), (std::vector<std::string>{all[0], "f159!\t2\t"}));
}
