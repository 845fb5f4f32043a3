// The data module's file tables: row insertion, lookups, renames, the type filter, the folder
// listing with its rules and beeps, and the grid position kept across a delete.

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <vector>

#include "catalogue/format_records.h"
#include "catalogue/temp_db.h"
#include "dbgrid/mem_data.h"
#include "framework/data_source.h"
#include "framework/dialog_service.h"
#include "framework/fields.h"
#include "framework/sysutils.h"
#include "framework/tests/scratch_folder.h"
#include "framework/variant.h"

namespace {

// The file grid as the delete events see it: the table's keys in display order, one focused.
class FakeGrid : public TFileGridPosition {
public:
    explicit FakeGrid(TDataSet* Table) : table_(Table) {}
    std::vector<Integer> Keys;
    Integer Focused = -1;
    Integer Top = 0;
    Integer GotoFirstCalls = 0;

    bool NeighbourOfFocused(std::string& KeyText) override {
        auto it = std::find(Keys.begin(), Keys.end(), Focused);
        if (it == Keys.end()) return false;
        if (it + 1 != Keys.end())
            KeyText = IntToStr(*(it + 1));
        else if (it != Keys.begin())
            KeyText = IntToStr(*(it - 1));
        else
            return false;
        return true;
    }
    Integer GetTopIndex() override { return Top; }
    void SetTopIndex(Integer Value) override { Top = Value; }
    bool FocusNodeByKey(const std::string& KeyText) override {
        const Integer key = StrToInt(KeyText);
        const Variant found = table_->Lookup("KeyID", key, "KeyID");
        if (VarIsClear(found) || found.AsInteger() != key) return false;
        Focused = key;
        return true;
    }

private:
    TDataSet* table_;
};

class TempDBTest : public ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        savedRecords_ = FormatRecords();
        FormatRecords()[lmImage].Extensions = "*.jpg;*.gif;*.tif;*.tga;";
        FormatRecords()[lmVideo].Extensions = "*.avi;";
        FormatRecords()[lmOffice].Extensions = "*.doc;";
        FormatRecords()[lmOther].Extensions = "";
        db = Create<TdmTempDB>(nullptr);
        db->Hooks.BrowseMode = [this] { return mode; };
        db->Hooks.ShowHiddenFiles = [this] { return showHidden; };
        db->Hooks.IgnoreFileType = [this](const std::string& Name) {
            return (!showShortcuts && ExtractFileExt(Name) == ".LNK") || (!showThumbs && Name.find("_THB.") != std::string::npos);
        };
    }
    void TearDown() override {
        db->Free();
        FormatRecords() = savedRecords_;
        ScratchFolderTest::TearDown();
    }

    void Touch(const std::string& Name, const std::string& Content = "x") {
        FILE* f = std::fopen((dir_ + Name).c_str(), "wb");
        ASSERT_NE(f, nullptr) << Name;
        std::fwrite(Content.data(), 1, Content.size(), f);
        std::fclose(f);
    }
    void Row(TDataSet* Table, const std::string& Name, const std::string& Folder = "/data/") {
        db->InsertFileRow(Table, -5, true, 1, 0, -5, Folder, Name);
    }
    // Filename of every visible row of the table, in order.
    static std::vector<std::string> Names(TDataSet* Table) {
        std::vector<std::string> names;
        for (Table->First(); !Table->GetEOF(); Table->Next()) names.push_back(Table->FieldByName("Filename")->GetAsString());
        return names;
    }
    Integer KeyOf(TDataSet* Table, const std::string& Name) {
        return Table->Lookup("Filename", Name, "KeyID").AsInteger();
    }

    TdmTempDB* db = nullptr;
    Integer mode = 3;
    bool showHidden = false, showShortcuts = false, showThumbs = false;
    TFormatRecords savedRecords_;
};

TEST_F(TempDBTest, ModuleBuildsBothTablesOpenWithTheirSourcesAndFields) {
    for (TDataSet* t : {static_cast<TDataSet*>(db->memMode3), static_cast<TDataSet*>(db->memMode4)}) {
        EXPECT_TRUE(t->GetActive());
        std::vector<std::string> fields;
        for (Integer i = 0; i < t->GetFieldCount(); ++i)
            if (t->GetFields()->GetField(i)->GetVisible()) fields.push_back(t->GetFields()->GetField(i)->GetFieldName());
        EXPECT_EQ(fields, (std::vector<std::string>{"KeyID", "FileID", "Filename", "PathID", "Path", "OriginalExtension",
                                                    "LMFileType", "FileDate", "FileSize", "StorageMethod"}));
    }
    EXPECT_EQ(db->dscMode3->GetDataSet(), db->memMode3);
    EXPECT_EQ(db->dscmode4->GetDataSet(), db->memMode4);
    EXPECT_EQ(db->FindComponent("memMode4Filename"), db->memMode4Filename);
    EXPECT_EQ(db->memMode3FileName->GetSize(), 255);
    EXPECT_EQ(db->memMode3Path->GetSize(), 4096);
}

TEST_F(TempDBTest, InsertedRowsTakeKindExtensionAndKeyFromTheName) {
    db->InsertFileRow(db->memMode3, -5, true, 6000000000LL, 40000.5, -5, "/p/", "x.tiff");
    db->InsertFileRow(db->memMode3, -5, true, 1, 0, -5, "/p/", "x.targa");
    db->InsertFileRow(db->memMode3, -5, true, 1, 0, -5, "/p/", "noext");
    db->memMode3->First();
    db->InsertFileRow(db->memMode3, -5, false, 1, 0, -5, "/p/", "first.avi");
    struct Expect {
        const char* Name;
        const char* Ext;
        Integer Kind;
    };
    const Expect expected[] = {{"first.avi", ".AVI", 3}, {"x.tiff", ".TIFF", 1}, {"x.targa", ".TARG", -1}, {"noext", "", -1}};
    db->memMode3->First();
    for (const Expect& e : expected) {
        SCOPED_TRACE(e.Name);
        EXPECT_EQ(db->memMode3FileName->GetAsString(), e.Name);
        EXPECT_EQ(db->memMode3OriginalExtension->GetAsString(), e.Ext);
        EXPECT_EQ(db->memMode3LMFileType->GetAsInteger(), e.Kind);
        EXPECT_EQ(db->memMode3PathID->GetAsInteger(), -5);
        db->memMode3->Next();
    }
    EXPECT_EQ(db->memMode3->Lookup("Filename", "x.tiff", "FileSize").AsInt64(), 6000000000LL);
    // Keys are given in the order the rows were made, wherever they stand.
    EXPECT_EQ(KeyOf(db->memMode3, "x.tiff"), 1);
    EXPECT_EQ(KeyOf(db->memMode3, "first.avi"), 4);
}

TEST_F(TempDBTest, LookupsByModeKeyAndName) {
    Row(db->memMode3, "a.jpg");
    Row(db->memMode3, "b.jpg", "/other/");
    Row(db->memMode4, "m.jpg");
    EXPECT_EQ(db->GetTableForMode(3, nullptr), db->memMode3);
    EXPECT_EQ(db->GetTableForMode(4, nullptr), db->memMode4);
    EXPECT_EQ(db->GetTableForMode(1, db->memMode4), db->memMode4);
    EXPECT_EQ(db->GetCurrentKeyID(4, 99), KeyOf(db->memMode4, "m.jpg"));
    EXPECT_EQ(db->GetCurrentKeyID(5, 99), 99);

    EXPECT_TRUE(db->LocateFile(db->memMode3, "/other/b.jpg"));
    EXPECT_EQ(db->memMode3FileName->GetAsString(), "b.jpg");
    EXPECT_FALSE(db->LocateFile(db->memMode3, "/data/B.jpg"));  // names compare exactly
    EXPECT_FALSE(db->LocateFile(db->memMode3, "/data/b.jpg"));
    EXPECT_TRUE(db->LocateKeyID(db->memMode3, KeyOf(db->memMode3, "a.jpg")));
    EXPECT_EQ(db->memMode3FileName->GetAsString(), "a.jpg");
    EXPECT_FALSE(db->LocateKeyID(db->memMode3, 77));
    EXPECT_FALSE(db->LocateKeyID(nullptr, 1));

    EXPECT_EQ(db->FindKeyIDOfFile("/other/b.jpg"), KeyOf(db->memMode3, "b.jpg"));
    EXPECT_EQ(db->FindKeyIDOfFile("/other/zz.jpg"), -1);
    mode = 4;
    EXPECT_EQ(db->FindKeyIDOfFile("/data/m.jpg"), KeyOf(db->memMode4, "m.jpg"));
    mode = 1;
    EXPECT_EQ(db->FindKeyIDOfFile("/data/m.jpg"), 0);

    EXPECT_FALSE(db->DeleteRecordByKeyID(db->memMode3, 77));
    EXPECT_TRUE(db->DeleteRecordByKeyID(db->memMode3, KeyOf(db->memMode3, "a.jpg")));
    EXPECT_EQ(Names(db->memMode3), (std::vector<std::string>{"b.jpg"}));
    EXPECT_TRUE(db->ReopenTable(db->memMode3));
    EXPECT_TRUE(db->memMode3->IsEmpty());
}

TEST_F(TempDBTest, RenameCases) {
    Row(db->memMode3, "a.jpg");
    Row(db->memMode3, "b.jpg");
    Row(db->memMode3, "c.jpg");
    const Integer a = KeyOf(db->memMode3, "a.jpg");
    // Onto its own name: False, nothing changes.
    EXPECT_FALSE(db->RenameRecordFile(3, a, "/data", "a.jpg"));
    EXPECT_FALSE(db->RenameRecordFile(3, a, "", "a.jpg"));
    // Onto another row's name: that row goes.
    EXPECT_TRUE(db->RenameRecordFile(3, a, "", "b.jpg"));
    EXPECT_EQ(Names(db->memMode3), (std::vector<std::string>{"b.jpg", "c.jpg"}));
    EXPECT_EQ(KeyOf(db->memMode3, "b.jpg"), a);
    // To another folder: the path is normalised.
    EXPECT_TRUE(db->RenameRecordFile(3, a, "/new", ""));
    EXPECT_EQ(db->memMode3->Lookup("KeyID", a, "Path").AsString(), "/new/");
    EXPECT_FALSE(db->RenameRecordFile(3, 99, "/x/", "y.jpg"));

    TScriptedDialogs dialogs;
    dialogs.Answer(mrOk);
    EXPECT_FALSE(db->RenameRecordFile(2, a, "/x/", "y.jpg"));
    ASSERT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(dialogs.Requests()[0].Text, "Error no table!");
}

TEST_F(TempDBTest, FilterTexts) {
    Row(db->memMode3, "v.avi");     // 3 video
    Row(db->memMode3, "p.jpg");     // 1 image
    Row(db->memMode3, "d.doc");     // 5 office
    Row(db->memMode3, "u.unknown"); // -1 none
    struct Case {
        bool Filtered;
        const char* Text;
        std::vector<std::string> Rows;
    };
    const std::vector<std::string> all{"v.avi", "p.jpg", "d.doc", "u.unknown"};
    const Case cases[] = {
        {true, "LMFileType = 3", {"v.avi"}},
        {true, "LMFileType <> -1", {"v.avi", "p.jpg", "d.doc"}},
        {true, "5", {"d.doc"}},
        {true, "anything=  1 ", {"p.jpg"}},
        {true, "LMFileType = abc", all},
        {false, "LMFileType = 3", all},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        db->SetTableFilter(c.Filtered, c.Text, false);
        EXPECT_EQ(Names(db->memMode3), c.Rows);
    }
    // An empty text keeps the last one.
    db->SetTableFilter(true, "LMFileType = 1", false);
    db->SetTableFilter(true, "", false);
    EXPECT_EQ(Names(db->memMode3), (std::vector<std::string>{"p.jpg"}));

    // In bookmarks mode the bookmark table is filtered, inside the bulk update.
    std::vector<std::string> calls;
    db->Hooks.BeginBulkUpdate = [&] { calls.push_back("begin"); };
    db->Hooks.EndBulkUpdate = [&] { calls.push_back("end"); };
    mode = 4;
    Row(db->memMode4, "w.avi");
    Row(db->memMode4, "q.jpg");
    db->SetTableFilter(true, "LMFileType = 3", true);
    EXPECT_EQ(Names(db->memMode4), (std::vector<std::string>{"w.avi"}));
    EXPECT_EQ(calls, (std::vector<std::string>{"begin", "end"}));
}

TEST_F(TempDBTest, DeleteFocusesTheNextRowOrTheNewLastRow) {
    FakeGrid grid(db->memMode3);
    db->FileGrid = &grid;
    for (const char* n : {"a.jpg", "b.jpg", "c.jpg"}) Row(db->memMode3, n);
    grid.Keys = {KeyOf(db->memMode3, "a.jpg"), KeyOf(db->memMode3, "b.jpg"), KeyOf(db->memMode3, "c.jpg")};
    const std::vector<Integer> k = grid.Keys;

    grid.Focused = k[1];
    grid.Top = 1;
    ASSERT_TRUE(db->DeleteRecordByKeyID(db->memMode3, k[1]));
    EXPECT_EQ(grid.Focused, k[2]);
    EXPECT_EQ(grid.Top, 1);
    grid.Keys = {k[0], k[2]};

    // The last row: the new last row.
    ASSERT_TRUE(db->DeleteRecordByKeyID(db->memMode3, k[2]));
    EXPECT_EQ(grid.Focused, k[0]);
    grid.Keys = {k[0]};

    // The only row: nothing to focus, no failure.
    grid.Focused = k[0];
    db->Hooks.GotoFirstForced = [&] { ++grid.GotoFirstCalls; };
    ASSERT_TRUE(db->DeleteRecordByKeyID(db->memMode3, k[0]));
    EXPECT_EQ(grid.GotoFirstCalls, 0);
    EXPECT_TRUE(db->memMode3->IsEmpty());

    // A neighbour that is gone by then: the controller goes to its first item.
    Row(db->memMode3, "d.jpg");
    Row(db->memMode3, "e.jpg");
    const Integer d = KeyOf(db->memMode3, "d.jpg");
    grid.Keys = {d, 999};
    grid.Focused = d;
    ASSERT_TRUE(db->DeleteRecordByKeyID(db->memMode3, d));
    EXPECT_EQ(grid.GotoFirstCalls, 1);
    db->FileGrid = nullptr;
}

TEST_F(TempDBTest, ListingFollowsTheSettings) {
    Touch("plain.jpg");
    Touch(".hidden.jpg");
    Touch("ro.jpg");
    chmod((dir_ + "ro.jpg").c_str(), 0444);
    Touch("x_THB.jpg");
    Touch("a.lnk");
    Touch("x.tiff", "12345");
    Touch("x.targa");
    ASSERT_EQ(mkdir((dir_ + "sub").c_str(), 0755), 0);
    ASSERT_EQ(mkfifo((dir_ + "pipe").c_str(), 0644), 0);
    {
        const int fd = open((dir_ + "big.avi").c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, 5LL << 30), 0);
        close(fd);
    }
    // A 255-byte name at the end of a path of more than 250 characters.
    std::string deep = dir_;
    for (int i = 0; i < 6; ++i) {
        deep += std::string(60, char('a' + i)) + "/";
        ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
    }
    const std::string longName = std::string(251, 'n') + ".jpg";
    {
        FILE* f = std::fopen((deep + longName).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    struct stat st{};
    ASSERT_EQ(stat((dir_ + "x.tiff").c_str(), &st), 0);

    const std::string cwd = GetCurrentDir();
    auto listed = [&] {
        db->ReopenTable(db->memMode3);
        db->ListDirectory(ExcludeTrailingPathDelimiter(dir_), "*.*");
        std::vector<std::string> names = Names(db->memMode3);
        std::sort(names.begin(), names.end());
        return names;
    };
    EXPECT_EQ(listed(), (std::vector<std::string>{"big.avi", "pipe", "plain.jpg", "ro.jpg", "x.targa", "x.tiff"}));
    EXPECT_EQ(GetCurrentDir(), cwd);

    // Shortcuts and thumbnail files follow their settings at once; hidden files need a reset of
    // the attribute cache too.
    showHidden = showShortcuts = showThumbs = true;
    EXPECT_EQ(listed(), (std::vector<std::string>{"a.lnk", "big.avi", "pipe", "plain.jpg", "ro.jpg", "x.targa",
                                                  "x.tiff", "x_THB.jpg"}));
    db->SetAttributeFilterCache(0);
    EXPECT_EQ(listed(), (std::vector<std::string>{".hidden.jpg", "a.lnk", "big.avi", "pipe", "plain.jpg", "ro.jpg",
                                                  "x.targa", "x.tiff", "x_THB.jpg"}));

    ASSERT_TRUE(db->LocateFile(db->memMode3, dir_ + "x.tiff"));
    EXPECT_EQ(db->memMode3Path->GetAsString(), dir_);
    EXPECT_EQ(db->memMode3FileSize->GetAsLargeInt(), 5);
    EXPECT_EQ(db->memMode3FileDate->GetAsDateTime(), FileDateToDateTime(st.st_mtim.tv_sec));
    EXPECT_EQ(db->memMode3FileID->GetAsInteger(), -5);
    EXPECT_EQ(db->memMode3StorageMethod->GetAsInteger(), -5);
    ASSERT_TRUE(db->LocateFile(db->memMode3, dir_ + "big.avi"));
    EXPECT_EQ(db->memMode3FileSize->GetAsLargeInt(), 5LL << 30);

    db->ReopenTable(db->memMode3);
    db->ListDirectory(deep, "*.JPG");
    ASSERT_EQ(Names(db->memMode3), (std::vector<std::string>{longName}));
    EXPECT_TRUE(db->LocateFile(db->memMode3, deep + longName));
    EXPECT_EQ(db->memMode3Path->GetAsString(), deep);
}

TEST_F(TempDBTest, EachMaskScansAndBeepsOnce) {
    Touch("a.jpg");
    Touch("b.GIF");
    Touch("c.png");
    TScriptedDialogs dialogs;
    db->ListDirectory(dir_, "*.jpg;*.gif");
    EXPECT_EQ(dialogs.Beeps(), 2);
    EXPECT_EQ(Names(db->memMode3), (std::vector<std::string>{"a.jpg", "b.GIF"}));
    // A mask that matches nothing still beeps; a folder that cannot be entered lists nothing
    // and stays quiet.
    db->ListDirectory(dir_, "*.xyz");
    EXPECT_EQ(dialogs.Beeps(), 3);
    db->ListDirectory(dir_ + "missing", "*.*;*.jpg");
    EXPECT_EQ(dialogs.Beeps(), 3);
    EXPECT_EQ(db->memMode3->GetRecordCount(), 2);
}

TEST_F(TempDBTest, FilesByNameExistingOrMissing) {
    Touch("here.jpg", "abc");
    Touch("here_THB.jpg");
    db->AddFileByName(db->memMode4, dir_ + "here.jpg", true);
    db->AddFileByName(db->memMode4, dir_ + "gone.jpg", true);
    db->AddFileByName(db->memMode4, dir_ + "here_THB.jpg", true);  // listing rules apply
    EXPECT_EQ(Names(db->memMode4), (std::vector<std::string>{"here.jpg", "gone.jpg"}));
    EXPECT_EQ(db->memMode4->Lookup("Filename", "here.jpg", "FileSize").AsInt64(), 3);
    EXPECT_EQ(db->memMode4->Lookup("Filename", "gone.jpg", "FileSize").AsInt64(), -9);
    EXPECT_EQ(db->memMode4->Lookup("Filename", "gone.jpg", "FileDate").AsDouble(), 0.0);
    EXPECT_EQ(db->memMode4->Lookup("Filename", "gone.jpg", "Path").AsString(), dir_);
}

}  // namespace
