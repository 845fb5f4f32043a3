// Saving and restoring where a form's bars are, in a store of our own and in the registry.

#include "components/bar_positions.h"

#include <map>

#include "components/tests/dock_fixture.h"
#include "components/toolbar.h"
#include "framework/exceptions.h"
#include "framework/sysutils.h"

namespace {

// A store in memory: section -> value -> text, with the order values were written.
struct TMemoryStore {
    std::map<std::string, std::map<std::string, std::string>> Values;
    std::vector<std::string> Written;

    TPositionWriteData Writer() {
        TPositionWriteData w;
        w.WriteInteger = [this](const std::string& S, const std::string& V, Integer I) { Put(S, V, std::to_string(I)); };
        w.WriteString = [this](const std::string& S, const std::string& V, const std::string& T) { Put(S, V, T); };
        return w;
    }
    TPositionReadData Reader() {
        TPositionReadData r;
        r.ReadInteger = [this](const std::string& S, const std::string& V, Integer Default) {
            auto it = Values[S].find(V);
            return it == Values[S].end() ? Default : StrToIntDef(it->second, Default);
        };
        r.ReadString = [this](const std::string& S, const std::string& V, const std::string& Default) {
            auto it = Values[S].find(V);
            return it == Values[S].end() ? Default : it->second;
        };
        return r;
    }
    void Put(const std::string& S, const std::string& V, const std::string& T) {
        Values[S][V] = T;
        Written.push_back(S + "." + V + "=" + T);
    }
};

class BarPositionsTest : public DockFixture {
protected:
    TDockX* Top = nullptr;
    TDockX* Fixed = nullptr;
    TToolbarX* Toolbar = nullptr;
    TToolWindowX* Window = nullptr;
    TMemoryStore Store;

    void SetUp() override {
        DockFixture::SetUp();
        Top = AddDock(dpTop);
        Top->SetName("dckTop");
        Fixed = AddDock(dpBottom);
        Fixed->SetName("dckFixed");
        Fixed->SetAllowDrag(false);
        Toolbar = new TToolbarX(Form);
        Toolbar->SetName("tbrMain");
        Toolbar->SetParent(Top);
        AddProbe("b", Bounds(0, 0, 23, 22), Toolbar);
        AddProbe("b", Bounds(0, 0, 23, 22), Toolbar);
        Window = new TToolWindowX(Form);
        Window->SetName("tbrKeys");
        Window->SetClientAreaWidth(120);
        Window->SetClientAreaHeight(80);
        Window->SetFloatingPosition({300, 200});
        Window->SetParent(Form);
        uitest::ShowForm(Form);
    }
    std::string Value(const std::string& Section, const std::string& Name) { return Store.Values[Section][Name]; }
};

}  // namespace

TEST_F(BarPositionsTest, EveryBarIsWrittenInOrderAndComesBack) {
    Toolbar->SetDockRow(1);
    Toolbar->SetDockPos(30);
    Window->SetLastDock(Top);
    SaveBarPositions(Form, Store.Writer());
    const std::vector<std::string> want{
        "tbrMain.Rev=3",        "tbrMain.Visible=1",   "tbrMain.DockedTo=dckTop", "tbrMain.LastDock=dckTop",
        "tbrMain.DockRow=0",    "tbrMain.DockPos=30",  "tbrMain.FloatLeft=0",     "tbrMain.FloatTop=0",
        "tbrMain.FloatRightX=0", "tbrKeys.Rev=3",      "tbrKeys.Visible=1",       "tbrKeys.DockedTo=+",
        "tbrKeys.LastDock=dckTop", "tbrKeys.DockRow=0", "tbrKeys.DockPos=-1",     "tbrKeys.FloatLeft=300",
        "tbrKeys.FloatTop=200", "tbrKeys.ClientWidth=120", "tbrKeys.ClientHeight=80"};
    EXPECT_EQ(Store.Written, want);

    // Moved about, then loaded back.
    Toolbar->SetDockedTo(nullptr);
    Toolbar->SetFloatRightX(30);
    Window->SetParent(Top);
    Window->SetClientAreaWidth(50);
    LoadBarPositions(Form, Store.Reader());
    EXPECT_EQ(Toolbar->GetDockedTo(), Top);
    EXPECT_EQ(Toolbar->GetLeft(), 30);
    EXPECT_EQ(Toolbar->GetFloatRightX(), 0);
    ASSERT_TRUE(Window->GetFloating());
    EXPECT_EQ(Window->GetBoundsRect().TopLeft(), (TPoint{300, 200}));
    EXPECT_EQ(Window->GetClientAreaWidth(), 120);
    EXPECT_EQ(Window->GetClientAreaHeight(), 80);
    EXPECT_EQ(Window->GetLastDock(), Top);
}

TEST_F(BarPositionsTest, BarsOrDocksWithoutNamesCannotBeSaved) {
    Toolbar->SetParent(Fixed);
    auto* unnamed = new TDockX(Form);
    unnamed->SetParent(Form);
    unnamed->SetPosition(dpLeft);
    Window->SetParent(unnamed);
    try {
        SaveBarPositions(Form, Store.Writer());
        FAIL() << "saved";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Cannot save tool window's position because DockedTo's Name property not set");
    }
    // On a dock that allows no dragging the bar is saved without one.
    EXPECT_EQ(Value("tbrMain", "DockedTo"), "");
    Window->SetName("");
    try {
        LoadBarPositions(Form, Store.Reader());
        FAIL() << "loaded";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Cannot save tool window's position because Name property is not set");
    }
    // The docks' brackets ended all the same: a bar arriving is laid out at once.
    Toolbar->SetParent(Top);
    EXPECT_EQ(Top->GetHeight(), Toolbar->GetHeight());
}

TEST_F(BarPositionsTest, WhatCannotBeUsedLeavesTheBarAsBuilt) {
    struct Case {
        const char* Name;
        std::map<std::string, std::string> Values;
        bool Docked;
        bool Visible;
        Integer Row;
    };
    const Case cases[] = {
        {"revision 1", {{"Rev", "1"}, {"Visible", "0"}, {"DockedTo", "+"}}, true, true, 0},
        {"no revision", {{"Visible", "0"}, {"DockedTo", "+"}}, true, true, 0},
        {"unknown dock", {{"Rev", "3"}, {"DockedTo", "dckNone"}}, true, true, 0},
        {"dock that allows no dragging", {{"Rev", "3"}, {"DockedTo", "dckFixed"}}, true, true, 0},
        {"no dock: only the visibility", {{"Rev", "2"}, {"Visible", "0"}, {"DockedTo", ""}, {"DockRow", "2"}}, true,
         false, 0},
        {"malformed row", {{"Rev", "3"}, {"DockedTo", "dckTop"}, {"DockRow", "x1"}}, true, true, 0},
    };
    for (const Case& c : cases) {
        Toolbar->SetVisible(true);
        Store.Values.clear();
        for (auto& [k, v] : c.Values) Store.Values["tbrMain"][k] = v;
        LoadBarPositions(Form, Store.Reader());
        EXPECT_EQ(Toolbar->GetDockedTo() == Top, c.Docked) << c.Name;
        EXPECT_EQ(Toolbar->GetVisible(), c.Visible) << c.Name;
        EXPECT_EQ(Toolbar->GetDockRow(), c.Row) << c.Name;
    }
}

TEST_F(BarPositionsTest, AFloatingBarComesBackOnScreenAndRevisionTwoKeepsNoLastDock) {
    for (const char* rev : {"2", "3"}) {
        Store.Values["tbrKeys"] = {{"Rev", rev}, {"DockedTo", "+"}, {"FloatLeft", "-2000"}, {"FloatTop", "50"},
                                   {"LastDock", "dckTop"}};
        Window->SetLastDock(nullptr);
        Window->SetUseLastDock(true);
        LoadBarPositions(Form, Store.Reader());
        TRect work = WorkAreaOfRect(Window->GetBoundsRect());
        EXPECT_EQ(Window->GetLeft(), work.Left) << rev;
        EXPECT_EQ(Window->GetTop(), 50) << rev;
        EXPECT_EQ(Window->GetLastDock(), std::string(rev) == "3" ? Top : nullptr) << rev;
    }
}

TEST_F(BarPositionsTest, BarsLoadedOntoOneDockAreArrangedTogether) {
    // Row 1 alone would close up to row 0 before the other bar arrived.
    Window->SetParent(Top);
    Store.Values["tbrMain"] = {{"Rev", "3"}, {"DockedTo", "dckTop"}, {"DockRow", "1"}, {"DockPos", "0"}};
    Store.Values["tbrKeys"] = {{"Rev", "3"}, {"DockedTo", "dckTop"}, {"DockRow", "0"}, {"DockPos", "0"}};
    Toolbar->SetDockedTo(nullptr);
    Window->SetDockedTo(nullptr);
    LoadBarPositions(Form, Store.Reader());
    EXPECT_EQ(Toolbar->GetDockRow(), 1);
    EXPECT_EQ(Window->GetDockRow(), 0);
    EXPECT_EQ(Toolbar->GetTop(), Window->GetHeight());
}

TEST_F(BarPositionsTest, TheRegistryKeepsASubkeyPerBarWithDecimalTexts) {
    const std::string key = "SOFTWARE\\Qorvex\\Lumora\\Toolbars";
    Toolbar->SetDockPos(-5);
    SaveBarPositionsToRegistry(Form, HKEY_LOCAL_MACHINE, key);
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(key + "\\tbrKeys", false));
    EXPECT_EQ(reg.ReadString("ClientWidth"), "120");
    EXPECT_EQ(reg.ReadString("DockedTo"), "+");
    reg.CloseKey();
    Window->SetParent(Top);
    Toolbar->SetDockedTo(nullptr);
    LoadBarPositionsFromRegistry(Form, HKEY_LOCAL_MACHINE, key);
    EXPECT_TRUE(Window->GetFloating());
    EXPECT_EQ(Toolbar->GetDockedTo(), Top);
}
