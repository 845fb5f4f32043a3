// The grid's stored layout in INI files and the registry, read when the grid is loaded and
// written when it is destroyed.

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "dbgrid/db_grid_layout.h"
#include "dbgrid/tests/db_grid_fixture.h"
#include "framework/ini_file.h"
#include "framework/registry.h"
#include "framework/string_list.h"

namespace {

struct DbGridLayout : GridFixture {
    TgxDBGridColumn* path = nullptr;
    std::string file;
    void SetUp() override {
        GridFixture::SetUp();
        form->SetName("Form1");
        grid->SetName("Grid1");
        name->SetName("ColName");
        type->SetName("ColType");
        path = AddColumn("Path");
        path->SetName("ColPath");
        Fill({{"a", 2}, {"b", 1}, {"c", 1}});
        Bind();
        file = ::testing::TempDir() + "grid_layout_" + std::to_string(getpid()) + ".ini";
        std::remove(file.c_str());
    }
    void TearDown() override {
        GridFixture::TearDown();
        std::remove(file.c_str());
    }
    std::vector<std::string> Sections() {
        TIniFile ini(file);
        TStringList list;
        ini.ReadSections(&list);
        std::vector<std::string> names;
        for (int i = 0; i < list.GetCount(); ++i) names.push_back(list.Get(i));
        return names;
    }
    std::string Order() {
        std::string s;
        for (Integer i = 0; i < grid->GetColumnCount(); ++i) s += grid->GetColumn(i)->GetName() + " ";
        return s;
    }
};

}  // namespace

TEST_F(DbGridLayout, IniRoundTripRestoresSwitchesWidthsOrderAndGrouping) {
    type->SetGroupIndex(0);
    path->SetGroupIndex(1);
    name->SetWidth(140);
    path->SetIndex(0);
    grid->SetShowGroupPanel(true);
    grid->SetDefaultRowHeight(24);
    grid->SaveToIniFile(file);
    EXPECT_EQ(Tree(), "1(/f(b,c)),2(/f(a))");
    const std::string saved = Order();

    {
        TIniFile ini(file);
        EXPECT_EQ(ini.ReadInteger("Form1_Grid1", "ShowGroupPanel", -1), 1);
        EXPECT_EQ(ini.ReadInteger("Form1_Grid1", "DefaultRowHeight", -1), 24);
        EXPECT_EQ(ini.ReadInteger("Form1_Grid1\\Columns\\ColType", "GroupIndex", -9), 0);
        EXPECT_EQ(ini.ReadInteger("Form1_Grid1\\Columns\\ColPath", "GroupIndex", -9), 1);
        EXPECT_EQ(ini.ReadInteger("Form1_Grid1\\Columns\\ColName", "Width", -9), 140);
        EXPECT_TRUE(ini.ValueExists("Form1_Grid1\\Band\\Band0", "ID"));
        EXPECT_TRUE(ini.ValueExists("Form1_Grid1\\Columns\\ColName", "ColIndex"));
    }

    grid->ClearGrouping();
    name->SetWidth(60);
    name->SetIndex(2);
    grid->SetShowGroupPanel(false);
    grid->SetDefaultRowHeight(18);
    ASSERT_EQ(Tree(), "a,b,c");
    grid->LoadFromIniFile(file);
    EXPECT_EQ(type->GetGroupIndex(), 0);
    EXPECT_EQ(path->GetGroupIndex(), 1);
    EXPECT_EQ(Tree(), "1(/f(b,c)),2(/f(a))");
    EXPECT_EQ(name->GetWidth(), 140);
    EXPECT_EQ(Order(), saved);
    EXPECT_TRUE(grid->GetShowGroupPanel());
    EXPECT_EQ(grid->GetDefaultRowHeight(), 24);
}

TEST_F(DbGridLayout, SectionsTrailingBackslashAndOtherGrids) {
    // Another grid's layout whose name begins with this one's.
    {
        TIniFile ini(file);
        ini.WriteInteger("Form1_Grid10", "ShowGrid", 1);
        ini.WriteInteger("Form1_Grid10\\Columns\\X", "Width", 5);
        ini.UpdateFile();
    }
    TgxDBGridColumn* extra = AddColumn("FileSize");
    extra->SetName("ColExtra");
    grid->SetIniSectionName("Form1_Grid1\\");
    grid->SaveToIniFile(file);
    EXPECT_EQ(TIniFile(file).ReadInteger("Form1_Grid1\\Columns\\ColExtra", "Width", -1), extra->GetWidth());
    extra->Free();
    grid->SetIniSectionName("Form1_Grid1");
    grid->SaveToIniFile(file);
    const auto sections = Sections();
    auto has = [&](const std::string& Name) {
        return std::find(sections.begin(), sections.end(), Name) != sections.end();
    };
    EXPECT_FALSE(has("Form1_Grid1\\Columns\\ColExtra"));  // no stale column
    EXPECT_TRUE(has("Form1_Grid1\\Columns\\ColName"));
    EXPECT_TRUE(has("Form1_Grid10"));
    EXPECT_TRUE(has("Form1_Grid10\\Columns\\X"));
    EXPECT_EQ(std::count(sections.begin(), sections.end(), "Form1_Grid1"), 1);
}

TEST_F(DbGridLayout, PlacementComesFromIndexNotColIndex) {
    grid->SaveToIniFile(file);
    {
        // Positions swapped through "Index"; "ColIndex" says otherwise and is not read.
        TIniFile ini(file);
        ini.WriteInteger("Form1_Grid1\\Columns\\ColName", "Index", 1);
        ini.WriteInteger("Form1_Grid1\\Columns\\ColType", "Index", 0);
        ini.WriteInteger("Form1_Grid1\\Columns\\ColName", "ColIndex", 0);
        ini.WriteInteger("Form1_Grid1\\Columns\\ColType", "ColIndex", 1);
        ini.UpdateFile();
    }
    grid->LoadFromIniFile(file);
    EXPECT_EQ(Order(), "ColType ColName ColPath ");
    EXPECT_EQ(grid->GetGroupColumnCount(), 0);
}

TEST_F(DbGridLayout, RegistryKeysAndTheAutomaticStore) {
    const std::string key = "Software\\Lumora\\GridTest" + std::to_string(getpid());
    grid->LoadFromRegistry(key);  // no key: nothing read, nothing made
    EXPECT_FALSE(TRegistry().KeyExists(key));
    type->SetGroupIndex(0);
    name->SetWidth(133);
    grid->SaveToRegistry(key + "\\");
    {
        TRegIniFile reg(key);
        EXPECT_EQ(reg.ReadInteger("Columns\\ColType", "GroupIndex", -9), 0);
        EXPECT_EQ(reg.ReadInteger("Columns\\ColName", "Width", -9), 133);
    }
    grid->ClearGrouping();
    grid->LoadFromRegistry(key);
    EXPECT_EQ(type->GetGroupIndex(), 0);

    // A grid storing itself writes when destroyed and reads when loaded.
    grid->SetOptions(grid->GetOptions() + TgxDBGridOptions{egoStoreToIniFile, egoStoreToRegistry});
    grid->SetIniFileName(file);
    grid->SetRegistryPath(key + "Auto");
    name->SetWidth(155);
    grid->Free();
    grid = nullptr;
    EXPECT_EQ(TIniFile(file).ReadInteger("Form1_Grid1\\Columns\\ColName", "Width", -1), 155);
    EXPECT_EQ(TRegIniFile(key + "Auto").ReadInteger("Columns\\ColName", "Width", -1), 155);

    TgxDBGrid* again = nullptr;
    {
        TLoadingBracket loading;
        again = new TgxDBGrid(form);
        again->SetName("Grid1");
        again->SetParent(form);
        again->SetOptions(again->GetOptions() + TgxDBGridOptions{egoStoreToIniFile});
        again->SetIniFileName(file);
        auto* column = static_cast<TgxDBGridColumn*>(again->CreateColumn(TgxDBGridColumn::StaticClass(), again));
        column->SetName("ColName");
        column->SetFieldName("Filename");
        loading.End();
        EXPECT_EQ(column->GetWidth(), 155);
    }
    TRegistry().DeleteKey(key);
    TRegistry().DeleteKey(key + "Auto");
}
