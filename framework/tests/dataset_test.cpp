#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/data_source.h"
#include "framework/dataset.h"
#include "framework/format_settings.h"
#include "framework/testing/vector_dataset.h"

namespace {

using Log = std::vector<std::string>;

// A data link that writes every notification it hears into a log.
class TRecordingLink : public TDataLink {
public:
    explicit TRecordingLink(Log& log) : FLog(log) {}
    Log& FLog;
    // The browse-mode check comes before every move; most tests leave it out.
    bool LogChecks = false;

protected:
    void ActiveChanged() override { FLog.push_back(GetActive() ? "active" : "inactive"); }
    void EditingChanged() override { FLog.push_back(GetEditing() ? "editing" : "browsing"); }
    void DataSetChanged() override { FLog.push_back("changed"); }
    void DataSetScrolled(Integer Distance) override { FLog.push_back("scrolled " + std::to_string(Distance)); }
    void LayoutChanged() override { FLog.push_back("layout"); }
    void RecordChanged(TField* Field) override {
        FLog.push_back("record " + (Field ? Field->GetFieldName() : std::string("-")));
    }
    void UpdateData() override { FLog.push_back("update"); }
    void FocusControl(TField*& Field) override {
        FLog.push_back("focus " + Field->GetFieldName());
        Field = nullptr;
    }
    void CheckBrowseMode() override {
        if (LogChecks) FLog.push_back("check");
    }
};

// A vector dataset with an integer "ID" and a string "Name", a data source and a recording link.
// With calc, a calculated "Upper" holds the upper-cased name.
struct Table {
    TComponent* owner = new TComponent(nullptr);
    TVectorDataSet* ds = new TVectorDataSet(owner);
    TDataSource* source = new TDataSource(owner);
    Log log;
    TRecordingLink link{log};
    int calcCount = 0;

    explicit Table(int rows, int bufferCount = 1, bool calc = false) {
        ds->GetFieldDefs()->Add("ID", ftInteger);
        ds->GetFieldDefs()->Add("Name", ftString, 20);
        if (calc) {
            auto* id = new TIntegerField(owner);
            id->SetFieldName("ID");
            id->SetDataSet(ds);
            auto* name = new TStringField(owner);
            name->SetFieldName("Name");
            name->SetDataSet(ds);
            auto* upper = new TStringField(owner);
            upper->SetFieldName("Upper");
            upper->SetFieldKind(fkCalculated);
            upper->SetDataSet(ds);
            ds->OnCalcFields = [this](TDataSet* d) {
                ++calcCount;
                d->FieldByName("Upper")->SetAsString(UpperCase(d->FieldByName("Name")->GetAsString()));
            };
        }
        ds->Open();
        for (int i = 1; i <= rows; ++i) ds->AppendRecord({i, "name" + std::to_string(i)});
        ds->First();
        source->SetDataSet(ds);
        link.SetBufferCount(bufferCount);
        link.SetDataSource(source);
        log.clear();
    }
    ~Table() {
        link.SetDataSource(nullptr);
        owner->Free();
    }
    void Record(const char* name, TDataSetNotifyEvent& event) {
        event = [this, name](TDataSet*) { log.push_back(name); };
    }
    void RecordAllEvents() {
        link.LogChecks = true;
        Record("BeforeInsert", ds->BeforeInsert);
        Record("AfterInsert", ds->AfterInsert);
        Record("BeforeEdit", ds->BeforeEdit);
        Record("AfterEdit", ds->AfterEdit);
        Record("BeforePost", ds->BeforePost);
        Record("AfterPost", ds->AfterPost);
        Record("BeforeCancel", ds->BeforeCancel);
        Record("AfterCancel", ds->AfterCancel);
        Record("BeforeDelete", ds->BeforeDelete);
        Record("AfterDelete", ds->AfterDelete);
        Record("BeforeScroll", ds->BeforeScroll);
        Record("AfterScroll", ds->AfterScroll);
        Record("OnNewRecord", ds->OnNewRecord);
    }
    int ID() { return ds->FieldByName("ID")->GetAsInteger(); }
    // IDs of the records in the link's window, in order.
    std::vector<int> Window() {
        std::vector<int> ids;
        Integer saved = link.GetActiveRecord();
        for (Integer i = 0; i < link.GetRecordCount(); ++i) {
            link.SetActiveRecord(i);
            ids.push_back(ID());
        }
        link.SetActiveRecord(saved);
        return ids;
    }
    std::vector<int> AllIDs() {
        std::vector<int> ids;
        TBookmarkStr b = ds->GetBookmarkStr();
        ds->DisableControls();
        for (ds->First(); !ds->GetEOF(); ds->Next()) ids.push_back(ID());
        ds->SetBookmarkStr(b);
        ds->EnableControls();
        return ids;
    }
};

}  // namespace

TEST(DataSet, OpenFillsTheWindowAndActivatesLinks) {
    Table t(5, 3);
    EXPECT_TRUE(t.link.GetActive());
    EXPECT_EQ(t.link.GetRecordCount(), 3);
    EXPECT_EQ(t.link.GetActiveRecord(), 0);
    EXPECT_EQ(t.Window(), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(t.ds->GetBOF());
    EXPECT_FALSE(t.ds->GetEOF());
    EXPECT_EQ(t.ds->GetRecordCount(), 5);

    t.ds->Close();
    EXPECT_EQ(t.log, (Log{"inactive"}));
    EXPECT_FALSE(t.link.GetActive());
    t.ds->Open();
    EXPECT_EQ(t.log, (Log{"inactive", "active"}));
    EXPECT_EQ(t.Window(), (std::vector<int>{1, 2, 3}));
}

TEST(DataSet, OpeningWhileLoadingWaitsForLoaded) {
    auto* owner = new TComponent(nullptr);
    TVectorDataSet* ds = nullptr;
    BuildComponents(owner, [&] {
        ds = new TVectorDataSet(owner);
        ds->GetFieldDefs()->Add("ID", ftInteger);
        ds->SetActive(true);
        EXPECT_FALSE(ds->GetActive());
    });
    EXPECT_TRUE(ds->GetActive());
    owner->Free();
}

TEST(DataSet, EmptyDataSetIsAtBothEnds) {
    Table t(0, 3);
    EXPECT_TRUE(t.ds->IsEmpty());
    EXPECT_TRUE(t.ds->GetBOF());
    EXPECT_TRUE(t.ds->GetEOF());
    EXPECT_EQ(t.link.GetRecordCount(), 0);
    EXPECT_EQ(t.ds->MoveBy(1), 0);
    EXPECT_TRUE(t.ds->FieldByName("ID")->GetIsNull());
    EXPECT_EQ(t.ds->FieldByName("Name")->GetAsString(), "");
}

// Moves inside the link's window scroll by 0; moves that rotate the window scroll by the rows it
// moved; a move that replaces the whole window (or a jump to an end) is a data-set change.
TEST(DataSet, ScrollDistancesFollowTheBufferWindow) {
    Table t(10, 3);
    struct Step {
        std::function<Integer(TDataSet*)> move;
        Integer moved;
        std::string event;
        std::vector<int> window;
        int id;
    };
    auto by = [](Integer n) { return [n](TDataSet* d) { return d->MoveBy(n); }; };
    std::vector<Step> steps = {
        {by(1), 1, "scrolled 0", {1, 2, 3}, 2},
        {by(1), 1, "scrolled 0", {1, 2, 3}, 3},
        {by(1), 1, "scrolled 1", {2, 3, 4}, 4},
        {by(2), 2, "scrolled 2", {4, 5, 6}, 6},
        {by(-1), -1, "scrolled 0", {4, 5, 6}, 5},
        {by(-2), -2, "scrolled -1", {3, 4, 5}, 3},
        {by(5), 5, "changed", {6, 7, 8}, 8},
        {by(-6), -6, "changed", {2, 3, 4}, 2},
        {by(100), 8, "changed", {8, 9, 10}, 10},
        {[](TDataSet* d) { d->First(); return 0; }, 0, "changed", {1, 2, 3}, 1},
        {by(-1), 0, "", {1, 2, 3}, 1},
        {[](TDataSet* d) { d->Last(); return 0; }, 0, "changed", {8, 9, 10}, 10},
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        t.log.clear();
        EXPECT_EQ(steps[i].move(t.ds), steps[i].moved);
        EXPECT_EQ(t.log, steps[i].event.empty() ? Log{} : Log{steps[i].event});
        EXPECT_EQ(t.Window(), steps[i].window);
        EXPECT_EQ(t.ID(), steps[i].id);
    }
    EXPECT_TRUE(t.ds->GetEOF());
    EXPECT_EQ(t.ds->MoveBy(1), 0);
    EXPECT_EQ(t.ds->MoveBy(-100), -9);
    EXPECT_TRUE(t.ds->GetBOF());
}

TEST(DataSet, SmallerLinkKeepsItsOwnWindowInsideTheDataSets) {
    Table t(10, 4);
    Log log2;
    TRecordingLink small(log2);
    small.SetBufferCount(2);
    small.SetDataSource(t.source);
    log2.clear();
    t.ds->MoveBy(2);  // active record 2 of the dataset's four
    EXPECT_EQ(log2, (Log{"scrolled 1"}));
    EXPECT_EQ(small.GetActiveRecord(), 1);
    EXPECT_EQ(small.GetRecordCount(), 2);
    EXPECT_EQ(t.link.GetActiveRecord(), 2);
    small.SetDataSource(nullptr);
}

TEST(DataSet, ActiveRecordRepointsTheActiveBuffer) {
    Table t(6, 4);
    t.ds->MoveBy(1);
    t.log.clear();
    t.link.SetActiveRecord(3);
    EXPECT_EQ(t.ID(), 4);
    EXPECT_EQ(t.ds->FieldByName("Name")->GetAsString(), "name4");
    t.link.SetActiveRecord(1);
    EXPECT_EQ(t.ID(), 2);
    EXPECT_TRUE(t.log.empty());
}

TEST(DataSet, GrowingAndShrinkingTheBufferKeepsTheActiveRecord) {
    Table t(10, 2);
    t.ds->MoveBy(5);
    EXPECT_EQ(t.ID(), 6);
    t.link.SetBufferCount(5);
    EXPECT_EQ(t.link.GetRecordCount(), 5);
    EXPECT_EQ(t.ID(), 6);
    EXPECT_EQ(t.Window()[t.link.GetActiveRecord()], 6);
    t.ds->Last();
    t.link.SetBufferCount(3);
    EXPECT_EQ(t.Window(), (std::vector<int>{8, 9, 10}));
    EXPECT_EQ(t.ID(), 10);

    // Growing while inserting before the last record keeps that record in the window.
    t.ds->Insert();
    t.ds->FieldByName("ID")->SetAsInteger(0);
    EXPECT_EQ(t.Window(), (std::vector<int>{8, 9, 0}));
    t.link.SetBufferCount(4);
    EXPECT_EQ(t.Window(), (std::vector<int>{8, 9, 0, 10}));
    t.ds->Post();
    EXPECT_EQ(t.AllIDs(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 10}));
}

TEST(DataSet, EnableControlsSendsOneCollapsedNotification) {
    Table t(10, 3);
    t.ds->DisableControls();
    t.ds->DisableControls();
    t.ds->Next();
    t.ds->MoveBy(4);
    t.ds->Last();
    t.ds->Edit();
    t.ds->FieldByName("Name")->SetAsString("x");
    t.ds->Post();
    EXPECT_TRUE(t.ds->ControlsDisabled());
    t.ds->EnableControls();
    EXPECT_TRUE(t.log.empty());
    t.ds->EnableControls();
    EXPECT_FALSE(t.ds->ControlsDisabled());
    EXPECT_EQ(t.log, (Log{"changed"}));

    // A layout change while disabled turns the collapsed notification into a layout change; a
    // state that differs afterwards is announced first.
    t.log.clear();
    t.ds->DisableControls();
    t.ds->FieldByName("Name")->SetVisible(false);
    t.ds->Edit();
    t.ds->EnableControls();
    EXPECT_EQ(t.log, (Log{"editing", "layout"}));
    t.ds->Cancel();
}

TEST(DataSet, InsertPostEventsInOrder) {
    Table t(5, 3);
    t.RecordAllEvents();
    t.ds->MoveBy(2);  // ID 3
    t.log.clear();
    t.ds->Insert();
    EXPECT_EQ(t.log, (Log{"check", "BeforeInsert", "BeforeScroll", "editing", "OnNewRecord", "changed",
                          "AfterInsert", "AfterScroll"}));
    EXPECT_EQ(t.ds->GetState(), dsInsert);
    EXPECT_EQ(t.source->GetState(), dsInsert);
    EXPECT_TRUE(t.ds->FieldByName("ID")->GetIsNull());
    EXPECT_EQ(t.ds->GetBookmarkStr(), "");

    t.log.clear();
    t.ds->FieldByName("ID")->SetAsInteger(99);
    t.ds->FieldByName("Name")->SetAsString("new");
    EXPECT_EQ(t.log, (Log{"record ID", "record Name"}));
    EXPECT_TRUE(t.ds->GetModified());

    t.log.clear();
    t.ds->Post();
    EXPECT_EQ(t.log, (Log{"update", "check", "BeforePost", "browsing", "changed", "AfterPost"}));
    EXPECT_EQ(t.ds->GetState(), dsBrowse);
    EXPECT_EQ(t.ID(), 99);
    EXPECT_EQ(t.AllIDs(), (std::vector<int>{1, 2, 99, 3, 4, 5}));
    EXPECT_EQ(t.ds->GetRecNo(), 3);
}

TEST(DataSet, AppendPostsAtTheEndAndLeavesEof) {
    Table t(5, 3);
    t.ds->Append();
    EXPECT_TRUE(t.ds->GetEOF());
    EXPECT_FALSE(t.ds->GetBOF());
    EXPECT_EQ(t.link.GetActiveRecord(), t.link.GetRecordCount() - 1);
    EXPECT_EQ(t.Window().size(), 3u);
    t.ds->FieldByName("ID")->SetAsInteger(6);
    t.ds->Post();
    EXPECT_EQ(t.AllIDs(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(t.ID(), 6);

    // Cancelling an append goes back to the last record.
    t.ds->First();
    t.ds->Append();
    t.ds->Cancel();
    EXPECT_EQ(t.ID(), 6);
    EXPECT_EQ(t.ds->GetRecordCount(), 6);
}

TEST(DataSet, EditCancelEventsInOrderRestoreTheValues) {
    Table t(3, 3);
    t.RecordAllEvents();
    t.ds->Next();
    t.log.clear();
    t.ds->Edit();
    EXPECT_EQ(t.log, (Log{"check", "BeforeEdit", "editing", "record -", "AfterEdit"}));
    t.ds->FieldByName("Name")->SetAsString("changed");
    EXPECT_EQ(t.ds->FieldByName("Name")->GetAsString(), "changed");
    t.log.clear();
    t.ds->Cancel();
    EXPECT_EQ(t.log, (Log{"check", "BeforeCancel", "browsing", "changed", "AfterCancel"}));
    EXPECT_EQ(t.ds->FieldByName("Name")->GetAsString(), "name2");
    EXPECT_EQ(t.ID(), 2);

    // Edit twice is one edit; browsing without changes cancels on CheckBrowseMode.
    t.ds->Edit();
    t.log.clear();
    t.ds->Edit();
    EXPECT_TRUE(t.log.empty());
    t.ds->CheckBrowseMode();
    EXPECT_EQ(t.ds->GetState(), dsBrowse);
    EXPECT_NE(std::find(t.log.begin(), t.log.end(), "AfterCancel"), t.log.end());

    // A modified record is posted by a move.
    t.ds->Edit();
    t.ds->FieldByName("Name")->SetAsString("kept");
    t.ds->Next();
    t.ds->Prior();
    EXPECT_EQ(t.ds->FieldByName("Name")->GetAsString(), "kept");
}

TEST(DataSet, DeleteEventsInOrderAndTheNextRecordBecomesCurrent) {
    Table t(4, 3);
    t.RecordAllEvents();
    t.ds->Next();
    t.log.clear();
    t.ds->Delete();
    EXPECT_EQ(t.log, (Log{"check", "BeforeDelete", "BeforeScroll", "changed", "AfterDelete", "AfterScroll"}));
    EXPECT_EQ(t.ID(), 3);
    EXPECT_EQ(t.AllIDs(), (std::vector<int>{1, 3, 4}));
    t.ds->Last();
    t.ds->Delete();
    EXPECT_EQ(t.ID(), 3);

    // Delete during an insert cancels the insert.
    t.ds->Insert();
    t.ds->Delete();
    EXPECT_EQ(t.ds->GetState(), dsBrowse);
    EXPECT_EQ(t.ds->GetRecordCount(), 2);

    t.ds->Delete();
    t.ds->Delete();
    EXPECT_TRUE(t.ds->IsEmpty());
    EXPECT_TRUE(t.ds->GetBOF() && t.ds->GetEOF());
    EXPECT_THROW(t.ds->Delete(), EDatabaseError);
}

TEST(DataSet, InsertRecordAndAppendRecordStoreValuesInOneStep) {
    Table t(3, 3);
    t.ds->Next();
    t.log.clear();
    t.ds->InsertRecord({10, "ten"});
    EXPECT_EQ(t.log, (Log{"changed"}));
    EXPECT_EQ(t.ds->GetState(), dsBrowse);
    EXPECT_EQ(t.AllIDs(), (std::vector<int>{1, 10, 2, 3}));
    EXPECT_EQ(t.ID(), 10);
    t.ds->AppendRecord({20, Variant::Null()});
    EXPECT_EQ(t.AllIDs(), (std::vector<int>{1, 10, 2, 3, 20}));
    EXPECT_EQ(t.ID(), 20);
    EXPECT_TRUE(t.ds->FieldByName("Name")->GetIsNull());
}

TEST(DataSet, CalculatedFieldsAreComputedForEveryFetch) {
    Table t(8, 3, true);
    EXPECT_EQ(t.ds->FieldByName("Upper")->GetAsString(), "NAME1");
    t.ds->FetchCount = 0;
    t.calcCount = 0;
    t.ds->MoveBy(4);
    t.ds->Last();
    t.ds->First();
    t.ds->Refresh();
    EXPECT_GT(t.ds->FetchCount, 0);
    EXPECT_EQ(t.calcCount, t.ds->FetchCount);
    std::vector<std::string> uppers;
    for (Integer i = 0; i < t.link.GetRecordCount(); ++i) {
        t.link.SetActiveRecord(i);
        uppers.push_back(t.ds->FieldByName("Upper")->GetAsString());
    }
    t.link.SetActiveRecord(0);
    EXPECT_EQ(uppers, (std::vector<std::string>{"NAME1", "NAME2", "NAME3"}));

    // Changing a data field while editing recomputes them at once, in the record being edited.
    t.ds->Edit();
    t.log.clear();
    t.ds->FieldByName("Name")->SetAsString("abc");
    EXPECT_EQ(t.ds->FieldByName("Upper")->GetAsString(), "ABC");
    EXPECT_EQ(t.log, (Log{"record Upper", "record Name"}));
    t.ds->Post();
    EXPECT_EQ(t.ds->FieldByName("Upper")->GetAsString(), "ABC");
}

TEST(DataSet, LocateFindsByCaseInsensitiveAndPartialKeys) {
    Table t(0, 3);
    t.ds->AppendRecord({1, "Alpha"});
    t.ds->AppendRecord({2, "alphabet"});
    t.ds->AppendRecord({3, "Beta"});
    t.ds->AppendRecord({4, "BETAMAX"});
    t.ds->AppendRecord({5, Variant::Null()});
    struct Case {
        std::string key;
        TLocateOptions options;
        int id;  // 0: not found
    };
    std::vector<Case> cases = {
        {"Alpha", {}, 1},
        {"alpha", {}, 0},
        {"alpha", {loCaseInsensitive}, 1},
        {"ALPHAB", {loCaseInsensitive}, 0},
        {"ALPHAB", {loCaseInsensitive, loPartialKey}, 2},
        {"alphab", {loPartialKey}, 2},
        {"Bet", {loPartialKey}, 3},
        {"betam", {loPartialKey}, 0},
        {"betam", {loPartialKey, loCaseInsensitive}, 4},
        {"Betamaxx", {loPartialKey, loCaseInsensitive}, 0},
        {"", {loPartialKey}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        t.ds->First();
        t.ds->Next();  // start on ID 2: a miss must not move
        t.log.clear();
        bool found = t.ds->Locate("name", Variant(c.key), c.options);
        EXPECT_EQ(found, c.id != 0);
        EXPECT_EQ(t.ID(), c.id != 0 ? c.id : 2);
        EXPECT_EQ(t.log, (Log{"changed"}));
    }
    EXPECT_TRUE(t.ds->Locate("Name", Variant::Null(), {}));
    EXPECT_EQ(t.ID(), 5);
    EXPECT_TRUE(t.ds->Locate("ID;Name", VarArrayOf({3, "beta"}), {loCaseInsensitive}));
    EXPECT_EQ(t.ID(), 3);
    EXPECT_FALSE(t.ds->Locate("ID;Name", VarArrayOf({4, "beta"}), {loCaseInsensitive}));
    EXPECT_THROW(t.ds->Locate("Nope", Variant(1), {}), EDatabaseError);

    // Lookup answers a field of the match without moving; Null when nothing matches.
    t.ds->First();
    EXPECT_EQ(t.ds->Lookup("ID", Variant(4), "Name").AsString(), "BETAMAX");
    EXPECT_TRUE(VarIsNull(t.ds->Lookup("ID", Variant(42), "Name")));
    EXPECT_EQ(t.ID(), 1);
}

TEST(DataSet, BookmarksSurviveInsertsBeforeThem) {
    Table t(6, 3);
    t.ds->MoveBy(4);  // ID 5
    TBookmark mark = t.ds->GetBookmark();
    TBookmarkStr markStr = t.ds->GetBookmarkStr();
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(markStr.size(), 4u);
    t.ds->First();
    t.ds->Insert();
    t.ds->FieldByName("ID")->SetAsInteger(100);
    t.ds->Post();
    t.ds->InsertRecord({101, "x"});
    t.ds->MoveBy(3);
    t.ds->Insert();
    t.ds->FieldByName("ID")->SetAsInteger(102);
    t.ds->Post();
    EXPECT_EQ(t.AllIDs(), (std::vector<int>{101, 100, 1, 102, 2, 3, 4, 5, 6}));

    t.ds->First();
    t.log.clear();
    EXPECT_TRUE(t.ds->BookmarkValid(mark));
    t.ds->GotoBookmark(mark);
    EXPECT_EQ(t.ID(), 5);
    EXPECT_EQ(t.log, (Log{"changed"}));
    t.ds->First();
    t.ds->SetBookmarkStr(markStr);
    EXPECT_EQ(t.ID(), 5);
    EXPECT_EQ(t.ds->GetRecNo(), 8);

    // Bookmarks order as their records do; a missing one orders last.
    t.ds->First();
    TBookmark first = t.ds->GetBookmark();
    EXPECT_LT(t.ds->CompareBookmarks(first, mark), 0);
    EXPECT_GT(t.ds->CompareBookmarks(mark, first), 0);
    EXPECT_EQ(t.ds->CompareBookmarks(mark, mark), 0);
    EXPECT_EQ(t.ds->CompareBookmarks(nullptr, mark), 1);
    EXPECT_EQ(t.ds->CompareBookmarks(mark, nullptr), -1);

    t.ds->GotoBookmark(mark);
    t.ds->Delete();
    EXPECT_FALSE(t.ds->BookmarkValid(mark));
    EXPECT_THROW(t.ds->GotoBookmark(mark), EDatabaseError);
    t.ds->FreeBookmark(mark);
    t.ds->FreeBookmark(first);
}

TEST(DataSet, RecNoMovesAndCentresTheWindow) {
    Table t(10, 3);
    t.ds->SetRecNo(7);
    EXPECT_EQ(t.ID(), 7);
    EXPECT_EQ(t.ds->GetRecNo(), 7);
    EXPECT_EQ(t.Window(), (std::vector<int>{6, 7, 8}));
    EXPECT_EQ(t.log, (Log{"changed"}));
}

TEST(DataSet, ErrorsCarryTheFrameworkMessages) {
    Table t(2, 1);
    t.ds->SetName("Table1");
    auto message = [&](const std::function<void()>& f) -> std::string {
        try {
            f();
        } catch (const EDatabaseError& e) {
            return e.Message;
        }
        return "no error";
    };
    EXPECT_EQ(message([&] { t.ds->Post(); }), "Table1: Dataset not in edit or insert mode");
    EXPECT_EQ(message([&] { t.ds->FieldByName("ID")->SetAsInteger(5); }),
              "Table1: Dataset not in edit or insert mode");
    EXPECT_EQ(message([&] { t.ds->FieldByName("Nope"); }), "Table1: Field 'Nope' not found");
    EXPECT_EQ(t.ds->FindField("nAmE"), t.ds->FieldByName("NAME"));
    EXPECT_EQ(t.ds->FindField("Nope"), nullptr);
    EXPECT_EQ(message([&] { t.ds->FieldByName("ID")->SetAsString("12x"); }),
              "'12x' is not a valid integer value for field 'ID'");
    t.ds->FieldByName("Name")->SetReadOnly(true);
    t.ds->Edit();
    EXPECT_EQ(message([&] { t.ds->FieldByName("Name")->SetAsString("x"); }), "Field 'Name' cannot be modified");
    t.ds->Cancel();
    t.ds->FieldByName("Name")->SetReadOnly(false);
    t.ds->FieldByName("Name")->SetRequired(true);
    t.ds->Insert();
    t.log.clear();
    EXPECT_EQ(message([&] { t.ds->Post(); }), "Field 'Name' must have a value");
    EXPECT_EQ(t.log.back(), "focus Name");
    t.ds->Cancel();
    t.ds->ReadOnly = true;
    EXPECT_EQ(message([&] { t.ds->Edit(); }), "Table1: Cannot modify a read-only dataset");
    EXPECT_EQ(message([&] { t.ds->Insert(); }), "Table1: Cannot modify a read-only dataset");
    EXPECT_EQ(message([&] { t.ds->Delete(); }), "Table1: Cannot modify a read-only dataset");
    t.ds->Close();
    EXPECT_EQ(message([&] { t.ds->Next(); }), "Table1: Cannot perform this operation on a closed dataset");
}

TEST(DataSet, PostErrorHandlerCanRetryOrAbort) {
    Table t(1, 1);
    t.ds->FieldByName("Name")->SetRequired(true);
    int calls = 0;
    t.ds->OnPostError = [&](TDataSet* d, EDatabaseError&, TDataAction& action) {
        ++calls;
        d->FieldByName("Name")->SetAsString("fixed");
        action = daRetry;
    };
    t.ds->Insert();
    t.ds->Post();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(t.ds->FieldByName("Name")->GetAsString(), "fixed");
    t.ds->OnPostError = [](TDataSet*, EDatabaseError&, TDataAction& action) { action = daAbort; };
    t.ds->Insert();
    EXPECT_THROW(t.ds->Post(), EAbort);
    EXPECT_EQ(t.ds->GetState(), dsInsert);
    t.ds->Cancel();
}

TEST(DataSource, StateEnabledAndDataChangeEvents) {
    Log events;
    Table t(3, 1);
    t.source->OnStateChange = [&](TObject*) { events.push_back("state " + std::to_string(t.source->GetState())); };
    t.source->OnDataChange = [&](TObject*, TField* f) { events.push_back(f ? "data " + f->GetFieldName() : "data"); };
    t.ds->Edit();
    t.ds->FieldByName("Name")->SetAsString("x");
    t.ds->Cancel();
    EXPECT_EQ(events, (Log{"state 2", "data", "data Name", "state 1", "data"}));

    events.clear();
    t.log.clear();
    t.source->SetEnabled(false);
    EXPECT_FALSE(t.link.GetActive());
    t.ds->Next();
    EXPECT_EQ(events, (Log{"state 0"}));
    t.source->SetEnabled(true);
    EXPECT_TRUE(t.link.GetActive());
    EXPECT_EQ(t.log, (Log{"inactive", "active"}));

    // AutoEdit: a link asking to edit puts the dataset into edit mode.
    EXPECT_TRUE(t.link.Edit());
    EXPECT_EQ(t.ds->GetState(), dsEdit);
    t.ds->Cancel();
    t.link.SetReadOnly(true);
    EXPECT_FALSE(t.link.Edit());
    EXPECT_EQ(t.ds->GetState(), dsBrowse);
}

TEST(DataSource, FreeingTheDataSetDetachesItsSources) {
    auto* owner = new TComponent(nullptr);
    auto* ds = new TVectorDataSet(owner);
    ds->GetFieldDefs()->Add("ID", ftInteger);
    ds->Open();
    auto* source = new TDataSource(owner);
    source->SetDataSet(ds);
    Log log;
    TRecordingLink link(log);
    link.SetDataSource(source);
    ASSERT_TRUE(link.GetActive());
    ds->Free();
    EXPECT_EQ(source->GetDataSet(), nullptr);
    EXPECT_FALSE(link.GetActive());
    link.SetDataSource(nullptr);
    owner->Free();
}

TEST(DataSet, DefaultFieldsFollowTheDefinitionsAndCloseWithTheDataSet) {
    auto* ds = new TVectorDataSet(nullptr);
    ds->GetFieldDefs()->Add("A", ftSmallint);
    ds->GetFieldDefs()->Add("B", ftWideString, 10);
    ds->GetFieldDefs()->Add("C", ftMemo);
    ds->GetFieldDefs()->Add("D", ftDateTime);
    ds->Open();
    EXPECT_TRUE(ds->GetDefaultFields());
    ASSERT_EQ(ds->GetFieldCount(), 4);
    EXPECT_EQ(ds->GetFields()->GetField(0)->ClassName(), "TSmallintField");
    EXPECT_EQ(ds->GetFields()->GetField(1)->ClassName(), "TWideStringField");
    EXPECT_EQ(ds->GetFields()->GetField(2)->ClassName(), "TMemoField");
    EXPECT_EQ(ds->GetFields()->GetField(3)->ClassName(), "TDateTimeField");
    EXPECT_EQ(ds->FieldByName("C")->GetOffset(), 0);
    EXPECT_EQ(ds->FieldByName("B")->GetFieldNo(), 2);
    ds->Close();
    EXPECT_EQ(ds->GetFieldCount(), 0);
    ds->Free();
}

TEST(DataSet, FieldIndexReordersTheFieldsAndTellsTheLinks) {
    Table t(2, 1);
    TField* name = t.ds->FieldByName("Name");
    name->SetIndex(0);
    EXPECT_EQ(t.ds->GetFields()->GetField(0), name);
    EXPECT_EQ(t.ds->FieldByName("ID")->GetIndex(), 1);
    EXPECT_EQ(t.log, (Log{"layout"}));
    std::vector<TField*> list;
    t.ds->GetFieldList(list, "id; NAME");
    EXPECT_EQ(list, (std::vector<TField*>{t.ds->FieldByName("ID"), name}));
    EXPECT_EQ(t.ds->GetFieldValue("ID;Name")[1].AsString(), "name1");
}

TEST(DataSet, LookupFieldsTakeTheirValueFromTheLookupDataSet) {
    auto* owner = new TComponent(nullptr);
    auto* kinds = new TVectorDataSet(owner);
    kinds->GetFieldDefs()->Add("Code", ftInteger);
    kinds->GetFieldDefs()->Add("Label", ftString, 10);
    kinds->Open();
    kinds->AppendRecord({1, "image"});
    kinds->AppendRecord({2, "sound"});

    auto* files = new TVectorDataSet(owner);
    files->GetFieldDefs()->Add("Name", ftString, 20);
    files->GetFieldDefs()->Add("Kind", ftInteger);
    for (const char* n : {"Name", "Kind"}) {
        TField* f = files->GetFieldDefs()->Find(n)->CreateField(owner);
        (void)f;
    }
    auto* kindLabel = new TStringField(owner);
    kindLabel->SetFieldName("KindLabel");
    kindLabel->SetFieldKind(fkLookup);
    kindLabel->SetLookupDataSet(kinds);
    kindLabel->SetKeyFields("Kind");
    kindLabel->SetLookupKeyFields("Code");
    kindLabel->SetLookupResultField("Label");
    kindLabel->SetDataSet(files);
    files->Open();
    files->AppendRecord({"a.jpg", 1});
    files->AppendRecord({"b.wav", 2});
    files->AppendRecord({"c.txt", 7});
    files->First();
    std::vector<std::string> labels;
    for (; !files->GetEOF(); files->Next()) labels.push_back(kindLabel->GetAsString());
    EXPECT_EQ(labels, (std::vector<std::string>{"image", "sound", ""}));

    // A new key gives a new lookup value at once.
    files->First();
    files->Edit();
    files->FieldByName("Kind")->SetAsInteger(2);
    EXPECT_EQ(kindLabel->GetAsString(), "sound");
    files->Post();
    EXPECT_TRUE(kindLabel->GetCanModify());

    // Incomplete lookup information refuses to open.
    files->Close();
    kindLabel->SetLookupResultField("");
    EXPECT_THROW(files->Open(), EDatabaseError);
    owner->Free();
}
