// The file-list controller over a grid and a thumbnail grid on a shown form: display modes,
// navigation with and without groups, records of nodes, the shared key list and its staleness,
// the slideshow orders, and the file tables' delete and filter hooks.

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>

#include "catalogue/file_list.h"
#include "catalogue/temp_db.h"
#include "catalogue/thumb_grid.h"
#include "dbgrid/mem_data.h"
#include "dbgrid/tests/db_grid_fixture.h"
#include "framework/fields.h"
#include "framework/math_utils.h"
#include "framework/messages.h"
#include "framework/sysutils.h"

struct FileListTest : GridFixture {
    TLMFileList2* list = nullptr;
    TgxThumbGrid2* thumbs = nullptr;
    TgxDBGridColumn* path = nullptr;

    void SetUp() override {
        GridFixture::SetUp();
        // The file grid's selection: any rows, group rows too, kept as nodes.
        Options({egoMultiSelect, egoExtMultiSelect});
        grid->SetUseBookmarks(false);
        path = AddColumn("Path");
        thumbs = new TgxThumbGrid2(form);
        thumbs->SetParent(form);
        thumbs->SetVisible(false);
        thumbs->SetAttachedgxDBGrid(grid);
        thumbs->NodeFilename = name;
        thumbs->NodePath = path;
        list = new TLMFileList2(form);
        list->SetAttachedGXDBGrid(grid);
        list->SetAttachedGXThumbGrid(thumbs);
        list->NodeFilename = name;
        list->NodePath = path;
        list->NodeLMType = type;
        list->NodeFileID = AddColumn("FileID");
        list->NodePathID = AddColumn("PathID");
        list->NodeOriginalExtension = AddColumn("OriginalExtension");
        list->NodeStorageMethod = AddColumn("StorageMethod");
        list->NodeDate = AddColumn("FileDate");
        // A fixed sequence: the seed is set once, each order draws on from where the last ended.
        RandSeed = 20261211;
        list->Reseed = nullptr;
        list->SetFileDisplayMode(0);
    }

    // Files named by Names, typed by Types when given, bound to the grid.
    void Files(const std::vector<std::string>& Names, const std::vector<Integer>& Types = {}) {
        std::vector<std::pair<std::string, Integer>> files;
        for (size_t i = 0; i < Names.size(); ++i) files.emplace_back(Names[i], i < Types.size() ? Types[i] : 0);
        Fill(files);
        Bind();
    }
    void Numbered(Integer Count) {
        std::vector<std::string> names;
        for (Integer i = 1; i <= Count; ++i) names.push_back(IntToStr(i));
        Files(names);
    }
    void Focus(const std::string& File) { ASSERT_TRUE(list->GotoKeyID(list->GetNodeKeyID(Leaf(File)))); }
    std::string NameOf(Integer KeyID) {
        TFileRecord rec;
        list->GetFileRecordByKeyID(KeyID, rec);
        return rec.Name;
    }
    // The shared list's entries by file name.
    std::string Entries() {
        std::string s;
        for (Integer i = 0; i < list->GetListCount(); ++i) {
            TFileRecord rec;
            list->GetListFileRecord(i, rec);
            s += (s.empty() ? "" : ",") + rec.Name;
        }
        return s;
    }
};

// ---- display modes -----------------------------------------------------------------------------

TEST_F(FileListTest, ModeChangesFireOnlyOnAChangeAndThumbnailModesDropGrouping) {
    Files({"a", "b", "c"}, {1, 2, 1});
    std::vector<std::string> events;
    list->BeforeFileDisplayModeChange = [&](TObject*, Integer Mode) {
        events.push_back("before " + IntToStr(Mode) + " from " + IntToStr(list->GetFileDisplayMode()));
    };
    list->AfterDisplayModeChange = [&](TObject*, Integer Mode) { events.push_back("after " + IntToStr(Mode)); };

    list->SetFileDisplayMode(0);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(list->GetActiveView(), grid);

    type->SetGroupIndex(0);
    ASSERT_EQ(Tree(), "1(a,c),2(b)");
    Focus("c");
    list->SetFileDisplayMode(2);
    EXPECT_EQ(events, (std::vector<std::string>{"before 2 from 0", "after 2"}));
    EXPECT_EQ(grid->GetGroupColumnCount(), 0);
    EXPECT_EQ(Tree(), "a,b,c");
    EXPECT_TRUE(thumbs->GetVisible());
    EXPECT_EQ(thumbs->GetAlign(), alClient);
    EXPECT_EQ(thumbs->GetThumbDisplayType(), tdtIconInfo);
    EXPECT_EQ(thumbs->GetItemCount(), 3);
    EXPECT_EQ(list->GetActiveView(), thumbs);

    // From 3 the next mode is the details grid again.
    list->SetFileDisplayMode(3);
    EXPECT_EQ(thumbs->GetThumbDisplayType(), tdtFilename);
    list->NextFileDisplayMode();
    EXPECT_EQ(list->GetFileDisplayMode(), 0);
    EXPECT_FALSE(thumbs->GetVisible());
    list->NextFileDisplayMode();
    EXPECT_EQ(list->GetFileDisplayMode(), 1);
    EXPECT_EQ(thumbs->GetThumbDisplayType(), tdtLargeIcon);
}

TEST_F(FileListTest, BlockOperationsReachesTheThumbnailGrid) {
    EXPECT_TRUE(list->GetBlockOperations());
    EXPECT_TRUE(thumbs->GetBlockCellDrawing());
    list->SetBlockOperations(false);
    EXPECT_FALSE(thumbs->GetBlockCellDrawing());
    list->SetBlockOperations(true);
    EXPECT_TRUE(thumbs->GetBlockCellDrawing());
}

// ---- navigation --------------------------------------------------------------------------------

TEST_F(FileListTest, NavigationInAFlatListReportsTheEnds) {
    Numbered(30);
    enum TMove { Next, Previous, PageDown, PageUp, Last, First, FirstForced };
    auto move = [&](TMove Move) {
        switch (Move) {
            case Next: return list->GotoNext();
            case Previous: return list->GotoPrevious();
            case PageDown: return list->GotoPageDown();
            case PageUp: return list->GotoPageUp();
            case Last: return list->GotoLast();
            case First: return list->GotoFirst();
            case FirstForced: return list->GotoFirstForced();
        }
        return false;
    };
    struct Case {
        const char* From;
        TMove Move;
        const char* To;
        bool End;
    };
    const Case cases[] = {
        {"1", PageDown, "21", false}, {"25", PageDown, "30", false}, {"30", PageDown, "30", true},
        {"30", PageUp, "10", false},  {"5", PageUp, "1", false},     {"1", PageUp, "1", true},
        {"7", Next, "8", false},      {"30", Next, "30", true},      {"7", Previous, "6", false},
        {"1", Previous, "1", true},   {"7", Last, "30", false},      {"30", Last, "30", true},
        {"7", First, "1", false},     {"1", First, "1", true},       {"1", FirstForced, "1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.From) + " -> " + c.To);
        Focus(c.From);
        EXPECT_EQ(move(c.Move), c.End);
        EXPECT_EQ(Focused(), c.To);
        // The move leaves the one node it focused selected.
        EXPECT_EQ(Selected(), c.To);
    }
    // The keys of the main window: key-up moves, key-down does nothing in the details grid.
    Focus("3");
    list->HandleKeyDown(VK_DOWN, {}, true);
    EXPECT_EQ(Focused(), "3");
    for (auto [key, to] : std::vector<std::pair<Word, const char*>>{
             {VK_DOWN, "4"}, {VK_RIGHT, "5"}, {VK_UP, "4"}, {VK_END, "30"}, {VK_HOME, "1"}, {VK_NEXT, "21"},
             {VK_PRIOR, "1"}, {VK_RETURN, "1"}}) {
        list->HandleKeyUp(key, {}, true);
        EXPECT_EQ(Focused(), to) << key;
    }
}

TEST_F(FileListTest, NavigationWithGroupsSkipsGroupRows) {
    // 25 files of kind 0, then 5 of kind 1: G0, a0..a24, G1, b0..b4 in tree order.
    std::vector<std::string> names;
    std::vector<Integer> types;
    for (Integer i = 0; i < 25; ++i) names.push_back("a" + IntToStr(i)), types.push_back(0);
    for (Integer i = 0; i < 5; ++i) names.push_back("b" + IntToStr(i)), types.push_back(1);
    Files(names, types);
    type->SetGroupIndex(0);
    grid->FullExpand();
    ASSERT_EQ(grid->GetCount(), 2);

    // Page Up on a group row enters its first file row, then pages back from there.
    grid->GetItem(1)->SetFocused(true);
    EXPECT_FALSE(list->GotoPageUp());
    EXPECT_EQ(Focused(), "a6");

    // Next and previous step over group rows in both directions.
    Focus("a24");
    EXPECT_FALSE(list->GotoNext());
    EXPECT_EQ(Focused(), "b0");
    EXPECT_FALSE(list->GotoPrevious());
    EXPECT_EQ(Focused(), "a24");

    // The first item is the first file row; a child of the first group counts as first.
    Focus("b3");
    EXPECT_FALSE(list->GotoFirst());
    EXPECT_EQ(Focused(), "a0");
    EXPECT_TRUE(list->GotoFirst());
    EXPECT_EQ(list->GetFocusedIndex(), 0);
    Focus("b1");
    EXPECT_EQ(list->GetFocusedIndex(), 26);
}

TEST_F(FileListTest, NavigationWithoutItemsOrGridNeitherRaisesNorMoves) {
    Files({});
    EXPECT_TRUE(list->GotoNext());
    EXPECT_TRUE(list->GotoPageUp());
    EXPECT_TRUE(list->GotoLast());
    EXPECT_FALSE(list->GotoFirst());
    EXPECT_FALSE(list->GotoKeyID(1));
    EXPECT_EQ(ErrorOf([&] { list->GotoKeyIDOrFail(1); }), "Node not found!");
    EXPECT_EQ(list->GetFocusedIndex(), -1);
    EXPECT_FALSE(list->HasItems());
    list->SetAttachedGXDBGrid(nullptr);
    EXPECT_TRUE(list->GotoPrevious());
    EXPECT_EQ(list->GetFocusedNode(), nullptr);
    EXPECT_EQ(list->PrepareAllList(), 0);
}

TEST_F(FileListTest, AThumbnailModeFollowsEveryFocusMove) {
    Numbered(40);
    thumbs->SetBounds(0, 0, 300, 200);
    list->SetFileDisplayMode(1);
    ASSERT_GT(thumbs->GetItemCount(), 30);
    const Integer top = thumbs->GetTopRow();
    EXPECT_TRUE(list->GotoKeyID(list->GetNodeKeyID(Leaf("40"))));
    EXPECT_GT(thumbs->GetTopRow(), top);
    // Keys go to the thumbnail grid's own navigation, unless the caller keeps them.
    list->HandleKeyDown(VK_HOME, {}, true);
    EXPECT_EQ(Focused(), "1");
    list->HandleKeyUp(VK_END, {}, false);
    EXPECT_EQ(Focused(), "40");
}

// ---- records -----------------------------------------------------------------------------------

TEST_F(FileListTest, NodesBecomeFileRecordsAndFailuresGiveClearedOnes) {
    table.T->Open();
    table.T->Append();
    table.FileID->SetAsInteger(12);
    table.Filename->SetAsString("pic.jpg");
    table.PathID->SetAsInteger(3);
    table.Path->SetAsString("/home/me/pics");
    table.OriginalExtension->SetAsString(".JPG");
    table.LMFileType->SetAsInteger(1);
    table.StorageMethod->SetAsInteger(0);
    table.FileDate->SetAsDateTime(45000.5);
    table.T->Post();
    Bind();

    TgxTreeListNode* node = Leaf("pic.jpg");
    TFileRecord rec;
    list->NodeToFileRecord(node, rec);
    TFileRecord want;
    want.KeyID = list->GetNodeKeyID(node);
    want.FileID = 12;
    want.Name = "pic.jpg";
    want.PathID = 3;
    want.Path = "/home/me/pics/";
    want.FullName = "/home/me/pics/pic.jpg";
    want.OriginalExtension = ".JPG";
    want.FileType = IntToLMFileType(1);
    want.StorageMethod = 0;
    want.RefInDB = true;
    EXPECT_EQ(rec, want);
    EXPECT_GE(want.KeyID, 0);
    EXPECT_EQ(list->GetNodeFullName(node), "/home/me/pics/pic.jpg");
    EXPECT_EQ(list->GetNodeDate(node), 45000.5);

    TFileRecord cleared;
    ClearFileRecord(cleared);
    cleared.KeyID = -1;
    list->NodeToFileRecord(nullptr, rec);
    EXPECT_EQ(rec, cleared);
    list->GetFileRecordByKeyID(-1, rec);
    EXPECT_EQ(rec, cleared);
    // A column the main window did not bind: cleared, never a half-filled record.
    list->NodeStorageMethod = nullptr;
    list->NodeToFileRecord(node, rec);
    EXPECT_EQ(rec, cleared);
    EXPECT_EQ(list->GetNodeKeyID(nullptr), -1);
    EXPECT_EQ(list->GetNodeFullName(nullptr), "");
    EXPECT_EQ(list->GetNodeDate(nullptr), 0);
}

// ---- selection and the shared list -------------------------------------------------------------

TEST_F(FileListTest, TheSelectionListsInTreeOrderWhateverTheSelectionOrder) {
    Files({"A", "B", "C", "D"}, {1, 2, 1, 2});
    grid->ClearSelection();
    Leaf("D")->SetSelected(true);
    Leaf("B")->SetSelected(true);
    EXPECT_EQ(list->PrepareSelectedList(), 2);
    EXPECT_EQ(Entries(), "B,D");
    EXPECT_TRUE(list->IsAnyFileSelected());
    EXPECT_TRUE(list->IsMultipleSelected());

    // Grouped: "1(A,C),2(B,D)"; a selected group row is left out.
    type->SetGroupIndex(0);
    grid->ClearSelection();
    Leaf("D")->SetSelected(true);
    grid->GetItem(0)->SetSelected(true);
    Leaf("C")->SetSelected(true);
    EXPECT_EQ(list->GetSelectedCount(), 2);
    EXPECT_EQ(Entries(), "C,D");
    EXPECT_TRUE(list->IsMultipleSelected());
    grid->ClearSelection();
    grid->GetItem(1)->SetSelected(true);
    Leaf("A")->SetSelected(true);
    EXPECT_FALSE(list->IsMultipleSelected());
    EXPECT_TRUE(list->IsAnyFileSelected());
    // One selected group row, focused, is no file.
    grid->GetItem(1)->SetFocused(true);
    grid->ClearSelection();
    grid->GetItem(1)->SetSelected(true);
    EXPECT_FALSE(list->IsAnyFileSelected());
}

TEST_F(FileListTest, AStaleListIsReadAsAllItemsAndAGoneRowAsNotFound) {
    Files({"A", "B", "C", "D"});
    grid->ClearSelection();
    Leaf("D")->SetSelected(true);
    Leaf("B")->SetSelected(true);
    ASSERT_EQ(list->PrepareSelectedList(), 2);
    list->Refresh();
    TFileRecord rec;
    list->GetListFileRecord(0, rec);
    EXPECT_EQ(rec.Name, "A");
    EXPECT_EQ(Entries(), "A,B,C,D");

    // A row deleted between the list and a read: not found, never a freed node.
    ASSERT_EQ(list->PrepareAllList(), 4);
    const Integer b = list->GetListKeyID(1);
    ASSERT_TRUE(table.T->Locate("KeyID", Variant(b), {}));
    table.T->Delete();
    EXPECT_EQ(list->GetListNode(1), nullptr);
    EXPECT_EQ(ErrorOf([&] { list->GetListKeyID(1); }), "Node not found!");
    list->GetListFileRecord(1, rec);
    EXPECT_EQ(rec.Name, "");
    EXPECT_EQ(NameOf(list->GetListKeyID(2)), "C");
    // Outside the list: nil and cleared, never a read past either end.
    EXPECT_EQ(list->GetListNode(-1), nullptr);
    EXPECT_EQ(list->GetListNode(4), nullptr);
    EXPECT_EQ(ErrorOf([&] { list->GetListKeyID(4); }), "Node not found!");
}

// ---- the slideshow -----------------------------------------------------------------------------

TEST_F(FileListTest, SlideshowOrdersFromTheFocusedItem) {
    Files({"A", "B", "C", "D"});
    Focus("C");
    list->BuildSlideshowOrder(true, 0);
    EXPECT_EQ(Entries(), "C,D");
    list->BuildSlideshowOrder(true, 1);
    EXPECT_EQ(Entries(), "C,B,A");
    list->BuildSlideshowOrder(false, 1);
    EXPECT_EQ(Entries(), "D,C,B,A");
}

TEST_F(FileListTest, SlideshowNextEndsOrLoopsAndPreviousStopsAtTheStart) {
    Files({"A", "B", "C", "D"});
    for (bool loop : {false, true}) {
        SCOPED_TRACE(loop);
        list->LoopSlideshow = loop;
        Focus("C");
        list->RestartSlideshowOrder();
        EXPECT_FALSE(list->SlideshowNext());
        EXPECT_EQ(Focused(), "C");
        EXPECT_EQ(list->SlideshowNext(), !loop);
        EXPECT_EQ(Focused(), "D");
        // Past the end the order starts again from the first item.
        EXPECT_FALSE(list->SlideshowNext());
        EXPECT_EQ(Focused(), "A");
        EXPECT_EQ(Entries(), "A,B,C,D");
        EXPECT_FALSE(list->SlideshowNext());
        EXPECT_EQ(list->SlideshowPrevious(), !loop);
        EXPECT_EQ(Focused(), "A");
        EXPECT_FALSE(list->SlideshowPrevious());
        EXPECT_EQ(Focused(), "A");
    }
    // A new method takes effect at the next step, from the focused item.
    Focus("B");
    list->SlideshowNext();
    list->SetSlideshowMethod(1);
    list->SlideshowNext();
    EXPECT_EQ(Entries(), "B,A");
    EXPECT_EQ(Focused(), "B");
    // Stepping back on a stale list rebuilds it and shows nothing.
    list->Refresh();
    Focus("C");
    EXPECT_FALSE(list->SlideshowPrevious());
    EXPECT_EQ(Focused(), "C");
    EXPECT_EQ(list->GetSlideshowPosition(), -1);
    // The position follows a focus moved by hand.
    list->SetSlideshowMethod(0);
    list->RestartSlideshowOrder();
    Focus("D");
    list->SyncSlideshowPosition();
    EXPECT_EQ(list->GetSlideshowPosition(), 1);
}

TEST_F(FileListTest, ASlideshowOverNoItemsShowsNothing) {
    Files({});
    list->BuildSlideshowOrder(true, 0);
    EXPECT_EQ(list->GetListCount(), 0);
    EXPECT_TRUE(list->SlideshowNext());
    EXPECT_FALSE(list->SlideshowPrevious());
    list->SlideshowRandomNext();
    EXPECT_EQ(list->GetFocusedNode(), nullptr);
}

TEST_F(FileListTest, RandomOrdersHoldEveryItemOnceAndTheLastIsNotFixed) {
    Files({"A"});
    list->BuildSlideshowOrder(false, 2);
    EXPECT_EQ(Entries(), "A");
    list->SlideshowRandomNext();
    EXPECT_EQ(Focused(), "A");
    list->SlideshowRandomNext();
    EXPECT_EQ(Focused(), "A");

    table.AddFile("B", "/f");
    std::map<std::string, Integer> orders;
    for (Integer i = 0; i < 200; ++i) {
        list->BuildSlideshowOrder(false, 2);
        ++orders[Entries()];
    }
    EXPECT_EQ(orders.size(), 2u);
    EXPECT_GT(orders["B,A"], 50);
    EXPECT_GT(orders["A,B"], 50);

    // The generator is reseeded for each order.
    Integer reseeds = 0;
    list->Reseed = [&] { ++reseeds; };
    list->BuildSlideshowOrder(false, 2);
    list->BuildSlideshowOrder(true, 0);
    EXPECT_EQ(reseeds, 1);
}

TEST_F(FileListTest, EveryRoundOfRandomStepsShowsEveryItemOnce) {
    Files({"A", "B", "C", "D"});
    // From a forward order, and again after the random rounds run out.
    list->BuildSlideshowOrder(false, 0);
    for (Integer round = 0; round < 3; ++round) {
        std::multiset<std::string> shown;
        for (Integer step = 0; step < 4; ++step) {
            list->SlideshowRandomNext();
            shown.insert(Focused());
        }
        EXPECT_EQ(shown, (std::multiset<std::string>{"A", "B", "C", "D"})) << "round " << round;
    }
}

TEST_F(FileListTest, RandomOrdersPutEveryItemEverywhereAlike) {
    Files({"A", "B", "C", "D"});
    constexpr Integer Orders = 10000;
    std::array<std::map<std::string, Integer>, 4> counts;
    for (Integer i = 0; i < Orders; ++i) {
        list->BuildSlideshowOrder(false, 2);
        ASSERT_EQ(list->GetListCount(), 4);
        for (Integer place = 0; place < 4; ++place) ++counts[size_t(place)][NameOf(list->GetListKeyID(place))];
    }
    // Chi-square with 3 degrees of freedom per place; 16.27 is the 0.1% point.
    for (Integer place = 0; place < 4; ++place) {
        double chi = 0;
        for (const char* item : {"A", "B", "C", "D"}) {
            const double d = counts[size_t(place)][item] - Orders / 4.0;
            chi += d * d / (Orders / 4.0);
        }
        EXPECT_LT(chi, 16.27) << "place " << place;
    }
}

// ---- bulk updates and the file tables ------------------------------------------------------------

struct FileListTablesTest : FileListTest {
    TdmTempDB* db = nullptr;
    Integer mode = 3;

    void SetUp() override {
        FileListTest::SetUp();
        db = Create<TdmTempDB>(form);
        db->Hooks.BrowseMode = [this] { return mode; };
        list->ConnectTempDB(db);
        for (const char* f : {"a.jpg", "b.jpg", "c.jpg", "d.avi"})
            db->InsertFileRow(db->memMode3, -5, true, 1, 0, -5, "/pics/", f);
        db->memMode3->First();
        grid->SetKeyField("KeyID");
        grid->SetDataSource(db->dscMode3);
        // A kind of its own for the one video, whatever the known formats say.
        ASSERT_TRUE(db->LocateKeyID(db->memMode3, KeyOf("d.avi")));
        db->memMode3->Edit();
        db->memMode3LMFileType->SetAsInteger(99);
        db->memMode3->Post();
    }
    void TearDown() override {
        grid->SetDataSource(nullptr);
        FileListTest::TearDown();
    }
    Integer KeyOf(const std::string& File) { return list->GetNodeKeyID(Leaf(File)); }
};

TEST_F(FileListTablesTest, DeletesKeepTheFocusNearOrGoToTheFirstItem) {
    ASSERT_EQ(db->FileGrid, list);
    Focus("b.jpg");
    ASSERT_TRUE(db->DeleteRecordByKeyID(db->memMode3, KeyOf("b.jpg")));
    EXPECT_EQ(Tree(), "a.jpg,c.jpg,d.avi");
    EXPECT_EQ(Focused(), "c.jpg");
    ASSERT_TRUE(db->DeleteRecordByKeyID(db->memMode3, KeyOf("d.avi")));
    EXPECT_EQ(Focused(), "c.jpg");

    // The remembered neighbour is gone by the time the delete ends: the first item.
    db->InsertFileRow(db->memMode3, -5, true, 1, 0, -5, "/pics/", "e.avi");
    ASSERT_TRUE(db->LocateKeyID(db->memMode3, KeyOf("e.avi")));
    db->memMode3->Edit();
    db->memMode3LMFileType->SetAsInteger(98);
    db->memMode3->Post();
    Focus("c.jpg");
    db->BeforeTableDelete(db->memMode3);
    db->SetTableFilter(true, "LMFileType = " + VarToStr(Leaf("a.jpg")->GetValue(type->GetIndex())), false);
    ASSERT_EQ(Tree(), "a.jpg,c.jpg");
    db->AfterTableDelete(db->memMode3);
    EXPECT_EQ(Focused(), "a.jpg");
}

TEST_F(FileListTablesTest, AFilterInBulkRefreshesTheListAndUnblocksDrawing) {
    Focus("b.jpg");
    ASSERT_EQ(list->PrepareSelectedList(), 1);
    db->SetTableFilter(true, "LMFileType = " + VarToStr(Leaf("a.jpg")->GetValue(type->GetIndex())), true);
    EXPECT_FALSE(list->IsBusy());
    EXPECT_FALSE(thumbs->GetBlockCellDrawing());
    EXPECT_EQ(Entries(), "a.jpg,b.jpg,c.jpg");

    // Brackets nest; only the outermost end refreshes and unblocks.
    list->BeginBulkUpdate();
    list->BeginBulkUpdate();
    list->EndBulkUpdate(true);
    EXPECT_TRUE(list->IsBusy());
    EXPECT_TRUE(thumbs->GetBlockCellDrawing());
    list->EndBulkUpdate(true);
    EXPECT_FALSE(list->IsBusy());
    EXPECT_FALSE(thumbs->GetBlockCellDrawing());
    list->EndBulkUpdate(true);
    EXPECT_FALSE(list->IsBusy());

    // The thumbnail grid laying out its cells: a click it sends meanwhile sees the list busy.
    Integer busyClicks = 0;
    thumbs->OnClick = [&](TObject*) { busyClicks += list->IsBusy(); };
    list->SetFileDisplayMode(1);
    EXPECT_GT(busyClicks, 0);
    EXPECT_FALSE(list->IsBusy());
}
