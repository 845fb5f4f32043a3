// The file grid's presentation on a plain form: the column texts of a listed folder, the type
// name cache, the dimension texts and their cache, the sort menu, the header menu and the grid
// actions; the type and dimension texts against gio, the shared MIME database and identify.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "app/file_grid_presenter.h"
#include "app/settings.h"
#include "catalogue/cached_double_string_list.h"
#include "catalogue/file_list.h"
#include "catalogue/format_records.h"
#include "catalogue/img_functions.h"
#include "catalogue/temp_db.h"
#include "catalogue/thumb_grid.h"
#include "dbgrid/db_grid.h"
#include "dbgrid/mem_data.h"
#include "framework/actions.h"
#include "framework/dialog_service.h"
#include "framework/file_utils.h"
#include "framework/formatting.h"
#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/menus.h"
#include "framework/sysutils.h"
#include "framework/testing/ui_test.h"
#include "framework/tests/scratch_folder.h"
#include "platform/shell_file_info.h"

namespace {

void WriteFile(const std::string& Name, const std::string& Content) {
    std::ofstream(Name, std::ios::binary) << Content;
}

// A black and white BMP of W x H pixels, one bit per pixel.
void WriteMonoBitmap(const std::string& Name, Integer W, Integer H) {
    const Integer row = (W + 31) / 32 * 4;
    std::string data;
    auto put = [&](uint32_t V, int Bytes) {
        for (int i = 0; i < Bytes; ++i) data += char((V >> (8 * i)) & 0xFF);
    };
    data += "BM";
    put(62 + row * H, 4), put(0, 4), put(62, 4);
    put(40, 4), put(W, 4), put(H, 4), put(1, 2), put(1, 2), put(0, 4), put(row * H, 4);
    put(2835, 4), put(2835, 4), put(2, 4), put(2, 4);
    put(0, 4), put(0x00FFFFFF, 4);
    data += std::string(size_t(row * H), '\x55');
    WriteFile(Name, data);
}

// A 24-bit BMP of 7 x 5 pixels.
void WriteColourBitmap(const std::string& Name) {
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(7, 5);
    b.GetCanvas()->GetBrush()->SetColor(clRed);
    b.GetCanvas()->FillRect(TRect(0, 0, 7, 5));
    b.GetCanvas()->GetBrush()->SetColor(clBlue);
    b.GetCanvas()->FillRect(TRect(0, 0, 3, 2));
    b.SaveToFile(Name);
}

std::string Output(const std::string& Command) {
    std::string out;
    if (FILE* p = popen(Command.c_str(), "r")) {
        char buf[512];
        while (size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
        pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

bool Have(const char* Program) {
    return std::system((std::string("command -v ") + Program + " >/dev/null 2>&1").c_str()) == 0;
}

const std::string Binary("\x01\x02\x03\x00\xff\xfe\x10\x80", 8);

class FileGridPresenterTest : public ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        uitest::Start();
        ASSERT_TRUE(ForceDirectories(dir_ + "cache/"));
        savedRecords_ = FormatRecords();
        FormatRecords()[lmImage].Extensions = "*.bmp;*.png;*.gif;";
        FormatRecords()[lmText].Extensions = "*.txt;*.html;";
        FormatRecords()[lmOther].Extensions = "";
        db = Create<TdmTempDB>(nullptr);
        db->Hooks.BrowseMode = [this] { return browseMode; };
        db->Hooks.ShowHiddenFiles = [] { return true; };
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 700, 400);
        grid = new TgxDBGrid(form);
        grid->SetName("FileGrid");
        grid->SetParent(form);
        grid->SetBounds(0, 0, 680, 360);
        grid->SetOptions(grid->GetOptions() + TgxDBGridOptions{egoLoadAllRecords, egoMultiSelect, egoExtMultiSelect});
        columns = CreateFileGridColumns(grid, form);
        thumbs = new TgxThumbGrid2(form);
        thumbs->SetParent(form);
        thumbs->SetVisible(false);
        thumbs->SetAttachedgxDBGrid(grid);
        list = new TLMFileList2(form);
        list->SetAttachedGXDBGrid(grid);
        list->SetAttachedGXThumbGrid(thumbs);
        BindFileGridColumns(columns, list, thumbs);
        list->SetFileDisplayMode(0);
        imgFunc = new TImgFunctions(form);
        presenter = MakePresenter();
        uitest::ShowForm(form);
    }
    void TearDown() override {
        SetDialogService(nullptr);
        form->Free();
        db->Free();
        uitest::ProcessEvents();
        FormatRecords() = savedRecords_;
        ScratchFolderTest::TearDown();
    }

    TFileGridPresenter* MakePresenter() {
        TFileGridWindow window;
        window.FileSizeDetailLevel = [this] { return detailLevel; };
        window.FullScreen = [this] { return fullScreen; };
        window.DisplayInitialised = [] { return true; };
        window.BrowseMode = [this] { return browseMode; };
        window.BookmarkListChanged = [this] { ++bookmarkChanges; };
        window.DescriptionText = [this](const std::string& Name) { return descriptions[Name]; };
        window.SelectionStatus = [this] { ++statusUpdates; };
        window.CacheFolder = [this] { return dir_ + "cache/"; };
        return new TFileGridPresenter(form, grid, columns, list, thumbs, imgFunc, window);
    }

    // Lists the scratch folder into the grid.
    void List() {
        grid->SetDataSource(nullptr);
        db->ReopenTable(db->memMode3);
        db->ListDirectory(dir_, "*");
        grid->SetDataSource(db->dscMode3);
    }
    TgxTreeListNode* Leaf(const std::string& Name) {
        for (TgxTreeListNode* n = grid->GetFirstNode(); n; n = n->GetNext())
            if (n->GetCount() == 0 && n->GetString(columns.Filename->GetIndex()) == Name) return n;
        return nullptr;
    }
    // The text a column shows for a file.
    std::string Shown(const std::string& Name, TgxDBGridColumn* Column) {
        TgxTreeListNode* node = Leaf(Name);
        EXPECT_NE(node, nullptr) << Name;
        return node ? grid->GetNodeString(node, Column->GetIndex()) : "?";
    }
    // The leaves' names in the order shown.
    std::string Order() {
        std::string s;
        for (TgxTreeListNode* n = grid->GetFirstNode(); n; n = n->GetNext())
            if (n->GetCount() == 0) s += (s.empty() ? "" : ",") + n->GetString(columns.Filename->GetIndex());
        return s;
    }
    static std::vector<std::string> Captions(TMenuItem* Item) {
        std::vector<std::string> captions;
        for (int i = 0; i < Item->GetCount(); ++i) captions.push_back(Item->GetItem(i)->GetCaption());
        return captions;
    }
    static TMenuItem* ItemOf(TMenuItem* Menu, const std::string& Caption) {
        for (int i = 0; i < Menu->GetCount(); ++i)
            if (Menu->GetItem(i)->GetCaption() == Caption) return Menu->GetItem(i);
        return nullptr;
    }

    TdmTempDB* db = nullptr;
    TForm* form = nullptr;
    TgxDBGrid* grid = nullptr;
    TFileGridColumns columns;
    TgxThumbGrid2* thumbs = nullptr;
    TLMFileList2* list = nullptr;
    TImgFunctions* imgFunc = nullptr;
    TFileGridPresenter* presenter = nullptr;
    Integer detailLevel = 1;
    bool fullScreen = false;
    Integer browseMode = 3;
    Integer bookmarkChanges = 0;
    Integer statusUpdates = 0;
    std::map<std::string, std::string> descriptions;
    TFormatRecords savedRecords_;
};

// ---- column texts ----------------------------------------------------------------------------------

TEST_F(FileGridPresenterTest, ColumnTextRulesOfAListedFolder) {
    WriteFile(dir_ + "notes.txt", std::string(1234, 'a'));
    WriteFile(dir_ + "blob.qqq", Binary);
    WriteFile(dir_ + "noext", Binary);
    WriteFile(dir_ + ".hidden.txt", "h");
    WriteFile(dir_ + "locked.txt", "r");
    chmod((dir_ + "locked.txt").c_str(), 0444);
    WriteFile(dir_ + ".locked.txt", "rh");
    chmod((dir_ + ".locked.txt").c_str(), 0444);
    WriteMonoBitmap(dir_ + "mono.bmp", 100, 50);
    WriteFile(dir_ + "broken.bmp", "BM this is no bitmap");
    List();
    descriptions[dir_ + "notes.txt"] = "Shopping list";

    struct Case {
        const char* File;
        TgxDBGridColumn* TFileGridColumns::*Column;
        std::string Text;
    } cases[] = {
        {"notes.txt", &TFileGridColumns::Size, "1 KB"},
        {"notes.txt", &TFileGridColumns::LMType, "Text file"},
        {"notes.txt", &TFileGridColumns::Attributes, ""},
        {"notes.txt", &TFileGridColumns::Dimensions, ""},
        {"notes.txt", &TFileGridColumns::Description, "Shopping list"},
        {"mono.bmp", &TFileGridColumns::LMType, "Image file"},
        {"mono.bmp", &TFileGridColumns::Dimensions, "100x50x1bit"},
        {"broken.bmp", &TFileGridColumns::Dimensions, ""},
        {"blob.qqq", &TFileGridColumns::FileType, "QQQ File"},
        {"blob.qqq", &TFileGridColumns::LMType, "Unknown file"},
        {"noext", &TFileGridColumns::FileType, " File"},
        {".hidden.txt", &TFileGridColumns::Attributes, "H"},
        {"locked.txt", &TFileGridColumns::Attributes, "R"},
        {".locked.txt", &TFileGridColumns::Attributes, "RH"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Shown(c.File, columns.*c.Column), c.Text) << c.File << " " << (columns.*c.Column)->GetName();
    // A date that is set shows as the table gives it.
    EXPECT_FALSE(Shown("notes.txt", columns.Date).empty());
    // The export reads the same texts.
    EXPECT_EQ(presenter->GetNodeValue(Leaf("mono.bmp"), columns.Dimensions), "100x50x1bit");
    EXPECT_EQ(presenter->GetNodeValue(Leaf("notes.txt"), columns.Size), "1 KB");
    EXPECT_EQ(presenter->GetNodeValue(Leaf("notes.txt"), columns.Filename), "notes.txt");
    EXPECT_EQ(presenter->GetNodeValue(nullptr, columns.Size), "");

    // The size follows the detail level.
    detailLevel = 2;
    EXPECT_EQ(Shown("notes.txt", columns.Size), "1,234 bytes");
}

TEST_F(FileGridPresenterTest, AMissingFileShowsNoSizeDateOrType) {
    WriteFile(dir_ + "here.txt", "x");
    List();
    db->AddMissingFile(db->memMode3, dir_ + "gone.txt", true);
    grid->SetDataSource(nullptr);
    grid->SetDataSource(db->dscMode3);
    EXPECT_EQ(Shown("gone.txt", columns.Size), "");
    EXPECT_EQ(Shown("gone.txt", columns.Date), "");
    EXPECT_EQ(Shown("gone.txt", columns.Attributes), "");
    EXPECT_EQ(Shown("gone.txt", columns.FileType), "TXT File");
    EXPECT_FALSE(Shown("here.txt", columns.Date).empty());
}

TEST_F(FileGridPresenterTest, TextRulesRefuseWhatIsNoNumberOrDate) {
    auto size = [&](const std::string& V) { return presenter->GetSizeColumnText(V); };
    auto kind = [&](const std::string& V) { return presenter->GetLMTypeColumnText(V); };
    auto date = [&](const std::string& V) { return presenter->GetDateColumnText(V); };
    const std::string aDate = DateTimeToStr(45000.5);
    struct Case {
        std::function<std::string(const std::string&)> Rule;
        std::string Value, Text;
    } cases[] = {
        {size, "-9", ""},          {size, "size", ""},        {size, "0", "0 bytes"},
        {kind, "1", "Image file"}, {kind, "4", "Sound file"}, {kind, "kind", ""},
        {date, "0", ""},           {date, "yesterday", ""},   {date, aDate, aDate},
    };
    for (const Case& c : cases) EXPECT_EQ(c.Rule(c.Value), c.Text) << c.Value;
}

TEST_F(FileGridPresenterTest, GroupRowsKeepTheirTexts) {
    WriteFile(dir_ + "a.txt", "a");
    WriteFile(dir_ + "b.txt", "b");
    List();
    columns.LMType->SetGroupIndex(0);
    TgxTreeListNode* group = grid->GetItem(0);
    ASSERT_GT(group->GetCount(), 0);
    // The group row reads its value, not a kind caption made from the row's own text.
    EXPECT_EQ(grid->GetNodeString(group, columns.LMType->GetIndex()).find("Text file"), std::string::npos);
    EXPECT_EQ(Shown("a.txt", columns.LMType), "Text file");
}

// ---- the type name cache ---------------------------------------------------------------------------

TEST_F(FileGridPresenterTest, TypeNamesAreAskedOncePerExtensionUnlessTheIconIsUnknown) {
    for (const char* name : {"a.txt", "b.TXT", "c.png", "d.zero", "e.zero", "f.nameless"}) WriteFile(dir_ + name, "x");
    std::vector<std::string> asked;
    presenter->ShellInfo = [&](const std::string& File, std::string& Type, Integer& Icon) {
        asked.push_back(ExtractFileName(File));
        const std::string ext = ExtractFileExt(File);
        Type = ext == ".nameless" ? "" : "Type of " + ext;
        Icon = ext == ".zero" ? 0 : 7;
        return true;
    };
    auto type = [&](const std::string& Name) { return presenter->GetWindowsTypeString(dir_ + Name); };

    EXPECT_EQ(type("a.txt"), "Type of .txt");
    EXPECT_EQ(type("b.TXT"), "Type of .txt");
    EXPECT_EQ(asked, (std::vector<std::string>{"a.txt"}));
    EXPECT_EQ(presenter->GetWindowsFileInfoCache().Extension, ".TXT");
    EXPECT_EQ(presenter->GetWindowsFileInfoCache().IconIndex, 7);

    // An icon index of 0 leaves the entry to be fetched again, with the unknown file's icon.
    asked.clear();
    EXPECT_EQ(type("d.zero"), "Type of .zero");
    EXPECT_EQ(type("e.zero"), "Type of .zero");
    EXPECT_EQ(asked, (std::vector<std::string>{"d.zero", "e.zero"}));
    EXPECT_EQ(presenter->GetWindowsFileInfoCache().IconIndex, SystemGenericFileIcon);

    asked.clear();
    EXPECT_EQ(type("f.nameless"), "NAMELESS File");
    EXPECT_EQ(type("c.png"), "Type of .png");
    // The entry stands for the extension, whichever file it came from.
    EXPECT_EQ(type("missing.png"), "Type of .png");
    // A file that does not exist is not asked about, and its extension is asked again later.
    EXPECT_EQ(type("missing.gif"), "GIF File");
    WriteFile(dir_ + "g.gif", "x");
    EXPECT_EQ(type("g.gif"), "Type of .gif");
    EXPECT_EQ(asked, (std::vector<std::string>{"f.nameless", "c.png", "g.gif"}));
    EXPECT_EQ(presenter->GetWindowsTypeString(""), "");
}

TEST_F(FileGridPresenterTest, IconAndNameCellsAreDrawnAsTheWindowAsks) {
    WriteFile(dir_ + "a.txt", "x");
    List();
    Integer asked = 0;
    presenter->ShellInfo = [&](const std::string&, std::string& Type, Integer& Icon) {
        ++asked;
        Type = "Text";
        Icon = 0;
        return true;
    };
    TBitmap canvas;
    canvas.SetSize(20, 20);
    TColor colour = clWindow;
    TAlignment align = taLeftJustify;
    auto draw = [&](TgxDBGridColumn* Column, std::string Text, bool& Done) {
        Done = false;
        Column->OnCustomDrawCell(grid, canvas.GetCanvas(), TRect(0, 0, 20, 20), Leaf("a.txt"), Column, true, false,
                                 false, Text, colour, nullptr, align, Done);
        return Text;
    };
    bool done = false;
    // The icon cell shows the icon alone, on the selected row's colour.
    EXPECT_EQ(draw(columns.Icon, ".txt", done), "");
    EXPECT_TRUE(done);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(canvas.GetCanvas()->GetPixels(19, 19), TColor(ColorToRGB(clHighlight)));
    // Not in full screen.
    fullScreen = true;
    draw(columns.Icon, ".txt", done);
    EXPECT_FALSE(done);
    EXPECT_EQ(asked, 1);

    // The name loses its extension while the thumbnails hide extensions; the grid draws it.
    EXPECT_EQ(draw(columns.Filename, "a.txt", done), "a.txt");
    thumbs->HideFileExtensions = true;
    EXPECT_EQ(draw(columns.Filename, "a.txt", done), "a");
    EXPECT_FALSE(done);
}

// ---- the dimension texts ---------------------------------------------------------------------------

TEST_F(FileGridPresenterTest, DimensionTextsComeFromTheCacheOnceKnown) {
    const std::string file = dir_ + "mono.bmp";
    WriteMonoBitmap(file, 100, 50);
    const TDateTime date = 45000.25;
    EXPECT_EQ(presenter->GetImageDimensions(file, true, date), "100x50x1bit");
    // The file changes but keeps its date: the cached text stands until it is not wanted.
    WriteMonoBitmap(file, 30, 20);
    EXPECT_EQ(presenter->GetImageDimensions(file, true, date), "100x50x1bit");
    EXPECT_EQ(presenter->GetImageDimensions(file, false, date), "30x20x1bit");
    EXPECT_EQ(presenter->GetImageDimensions(file, true, date + 1), "30x20x1bit");
    // The thumbnail grid asks the same way.
    std::string shown;
    thumbs->OnGetDimensions(thumbs, file, date + 1, shown);
    EXPECT_EQ(shown, "30x20x1bit");

    // After a restart the texts come from the cache file.
    presenter->Free();
    presenter = MakePresenter();
    ASSERT_TRUE(FileExists(dir_ + "cache/~ImgeDim.che"));
    WriteMonoBitmap(file, 8, 8);
    EXPECT_EQ(presenter->GetImageDimensions(file, true, date), "30x20x1bit");
    EXPECT_EQ(presenter->GetImageDimensions(dir_ + "none.bmp", true, date), "");
}

// ---- oracles -----------------------------------------------------------------------------------------

// The shared MIME database's own name of a type (its untranslated comment).
std::string MimeComment(const std::string& Type) {
    std::ifstream in("/usr/share/mime/" + Type + ".xml");
    std::stringstream s;
    s << in.rdbuf();
    const std::string xml = s.str();
    const size_t at = xml.find("<comment>");
    if (at == std::string::npos) return {};
    return xml.substr(at + 9, xml.find("</comment>", at) - at - 9);
}

TEST_F(FileGridPresenterTest, TypeNamesAgreeWithGioAndTheMimeDatabase) {
    if (!Have("gio") || !FileExists("/usr/share/mime/image/png.xml")) GTEST_SKIP() << "gio or shared-mime-info missing";
    WriteMonoBitmap(dir_ + "picture.bmp", 8, 8);
    WriteFile(dir_ + "notes.txt", "plain words\n");
    WriteFile(dir_ + "page.html", "<html><body>x</body></html>\n");
    WriteFile(dir_ + "blob.qqq", Binary);
    WriteFile(dir_ + "script", "#!/bin/sh\necho hi\n");
    for (const char* name : {"picture.bmp", "notes.txt", "page.html", "blob.qqq", "script"}) {
        const std::string file = dir_ + name;
        const std::string type =
            Output("gio info -a standard::content-type '" + file + "' | sed -n 's/.*content-type: //p'");
        ASSERT_FALSE(type.empty()) << name;
        const std::string expected = type == "application/octet-stream"
                                         ? UpperCase(ExtractFileExt(file).substr(1)) + " File"
                                         : MimeComment(type);
        EXPECT_EQ(presenter->GetWindowsTypeString(file), expected) << name << " " << type;
    }
}

TEST_F(FileGridPresenterTest, DimensionTextsAgreeWithIdentify) {
    if (!Have("identify")) GTEST_SKIP() << "identify missing";
    WriteMonoBitmap(dir_ + "mono.bmp", 100, 50);
    WriteColourBitmap(dir_ + "colour.bmp");
    for (const char* name : {"mono.bmp", "colour.bmp"}) {
        const std::string file = dir_ + name;
        const std::string size = Output("identify -format '%wx%h' '" + file + "'");
        EXPECT_EQ(presenter->GetImageDimensions(file, false, 0).rfind(size + "x", 0), 0u) << name << " " << size;
    }
    // A bilevel picture has one bit per pixel whatever the channels.
    EXPECT_EQ(Output("identify -format '%wx%hx%zbit' '" + dir_ + "mono.bmp'"),
              presenter->GetImageDimensions(dir_ + "mono.bmp", false, 0));
    EXPECT_EQ(presenter->GetImageDimensions(dir_ + "colour.bmp", false, 0), "7x5x24bit");
}

// ---- sorting ---------------------------------------------------------------------------------------

TEST_F(FileGridPresenterTest, SortMenuListsTheColumnsAndSorts) {
    WriteFile(dir_ + "b.txt", "bb");
    WriteFile(dir_ + "a.txt", "aaa");
    WriteFile(dir_ + "c.txt", "c");
    List();
    // The file name column starts sorted descending.
    EXPECT_EQ(Order(), "c.txt,b.txt,a.txt");
    auto* menu = new TMenuItem(form);
    presenter->GenerateSortMenuItems(menu);
    EXPECT_EQ(Captions(menu),
              (std::vector<std::string>{"Sort by Filename", "Sort by File Size", "Sort by LM Type",
                                        "Sort by Windows Type", "Sort by File Date", "No Sorting", "-", "Ascending"}));
    EXPECT_TRUE(ItemOf(menu, "Sort by Filename")->GetChecked());
    EXPECT_FALSE(ItemOf(menu, "No Sorting")->GetChecked());
    EXPECT_FALSE(ItemOf(menu, "Ascending")->GetChecked());
    EXPECT_EQ(ItemOf(menu, "Ascending")->GetTag(), columns.Filename->GetIndex());

    // "Ascending" turns the sorted column round; a column's entry sorts by it, up first.
    ItemOf(menu, "Ascending")->Click();
    EXPECT_EQ(Order(), "a.txt,b.txt,c.txt");
    presenter->GenerateSortMenuItems(menu);
    ItemOf(menu, "Sort by File Size")->Click();
    EXPECT_EQ(columns.Size->GetSorted(), csUp);
    EXPECT_EQ(Order(), "c.txt,b.txt,a.txt");
    presenter->GenerateSortMenuItems(menu);
    EXPECT_TRUE(ItemOf(menu, "Sort by File Size")->GetChecked());
    EXPECT_TRUE(ItemOf(menu, "Ascending")->GetChecked());
    ItemOf(menu, "Sort by File Size")->Click();
    EXPECT_EQ(columns.Size->GetSorted(), csDown);
    EXPECT_EQ(Order(), "a.txt,b.txt,c.txt");

    presenter->GenerateSortMenuItems(menu);
    ItemOf(menu, "No Sorting")->Click();
    presenter->GenerateSortMenuItems(menu);
    EXPECT_TRUE(ItemOf(menu, "No Sorting")->GetChecked());
    EXPECT_TRUE(ItemOf(menu, "Ascending")->GetChecked());
    EXPECT_EQ(ItemOf(menu, "Ascending")->GetTag(), 0);

    // Bookmarks come from anywhere: their folder can be sorted by.
    browseMode = 4;
    presenter->GenerateSortMenuItems(menu);
    EXPECT_EQ(Captions(menu)[1], "Sort by Path");
    EXPECT_EQ(menu->GetCount(), 9);
}

TEST_F(FileGridPresenterTest, SortingTheBookmarksMarksTheListChanged) {
    WriteFile(dir_ + "a.txt", "a");
    List();
    EXPECT_TRUE(grid->CanColumnSorting(columns.Size));
    EXPECT_EQ(bookmarkChanges, 0);
    browseMode = 4;
    EXPECT_TRUE(grid->CanColumnSorting(columns.Size));
    EXPECT_EQ(bookmarkChanges, 1);
}

// ---- the header menu -------------------------------------------------------------------------------

TEST_F(FileGridPresenterTest, HeaderMenuActsOnTheRightClickedColumn) {
    WriteFile(dir_ + "a.txt", "a");
    WriteFile(dir_ + "a-rather-long-file-name-for-the-column.txt", "b");
    WriteMonoBitmap(dir_ + "m.bmp", 4, 4);
    List();
    // Opened on the file name column: its sort is checked, and it can be grouped by.
    std::vector<uitest::TShownMenuItem> shown;
    uitest::WhenMenuOpens([&] {
        shown = uitest::OpenMenuItems();
        uitest::CloseMenus();
    });
    presenter->PopupHeaderMenu(columns.Filename, 200, 200);
    auto find = [&](const std::string& Caption) {
        for (const auto& item : shown)
            if (item.Caption == Caption) return item;
        ADD_FAILURE() << Caption;
        return uitest::TShownMenuItem{};
    };
    EXPECT_TRUE(find("Sort &Descending").Checked);
    EXPECT_FALSE(find("Sort &Ascending").Checked);
    EXPECT_TRUE(find("Group By This Field").Enabled);
    EXPECT_EQ(find("Display Grouping Area").Caption, "Display Grouping Area");
    EXPECT_EQ(find("Display Column Selector..").Caption, "Display Column Selector..");

    presenter->pukSortAscending->Click();
    EXPECT_EQ(columns.Filename->GetSorted(), csUp);
    presenter->pukSortDescending->Click();
    EXPECT_EQ(columns.Filename->GetSorted(), csDown);

    // Grouping adds a level after the ones there are.
    presenter->SetHeaderColumn(columns.LMType);
    presenter->pukGroupByThisField->Click();
    presenter->SetHeaderColumn(columns.FileType);
    presenter->pukGroupByThisField->Click();
    EXPECT_EQ(columns.LMType->GetGroupIndex(), 0);
    EXPECT_EQ(columns.FileType->GetGroupIndex(), 1);
    EXPECT_EQ(grid->GetGroupColumnCount(), 2);
    // A grouped column or one that cannot group is not offered.
    uitest::WhenMenuOpens([&] {
        shown = uitest::OpenMenuItems();
        uitest::CloseMenus();
    });
    presenter->PopupHeaderMenu(columns.Dimensions, 200, 200);
    EXPECT_FALSE(find("Group By This Field").Enabled);

    const Integer before = columns.Filename->GetWidth();
    presenter->SetHeaderColumn(columns.Filename);
    presenter->pukBestFit->Click();
    EXPECT_GT(columns.Filename->GetWidth(), before);
    presenter->pukRemoveThisColumn->Click();
    EXPECT_FALSE(columns.Filename->GetVisible());

    // Without a column the commands do nothing.
    presenter->SetHeaderColumn(nullptr);
    presenter->pukRemoveThisColumn->Click();
    presenter->pukSortAscending->Click();
    presenter->pukGroupByThisField->Click();
    EXPECT_TRUE(columns.Size->GetVisible());
    EXPECT_EQ(grid->GetGroupColumnCount(), 2);
}

// ---- the grid actions ------------------------------------------------------------------------------

TEST_F(FileGridPresenterTest, GridActionsToggleTheGridsOptions) {
    WriteFile(dir_ + "a.txt", "a");
    WriteFile(dir_ + "b.png", "b");
    List();
    EXPECT_EQ(presenter->actGridSelectAll->GetShortCut(), ShortCut('A', {ssCtrl}));
    EXPECT_EQ(presenter->actGridColumnSelector->GetCaption(), "Display Column Selector..");

    ASSERT_TRUE(presenter->actGridGrouper->Execute());
    EXPECT_TRUE(presenter->actGridGrouper->GetChecked());
    EXPECT_TRUE(grid->GetShowGroupPanel());
    presenter->actGridGrouper->Execute();
    EXPECT_FALSE(grid->GetShowGroupPanel());

    presenter->actGridPreview->Execute();
    EXPECT_TRUE(grid->GetOptions().Contains(egoPreview));
    presenter->actGridPreview->Execute();
    EXPECT_FALSE(grid->GetOptions().Contains(egoPreview));

    columns.LMType->SetGroupIndex(0);
    presenter->actGridExpandAll->Execute();
    EXPECT_TRUE(grid->GetItem(0)->GetExpanded());
    presenter->actGridCollapseAll->Execute();
    EXPECT_FALSE(grid->GetItem(0)->GetExpanded());
    columns.LMType->SetGroupIndex(-1);

    presenter->actGridSelectAll->Execute();
    EXPECT_EQ(list->GetSelectedCount(), 2);
    EXPECT_EQ(statusUpdates, 1);

    // The details-only actions do nothing in a thumbnail view; selecting all still works.
    list->SetFileDisplayMode(2);
    EXPECT_FALSE(presenter->actGridGrouper->Execute());
    EXPECT_FALSE(grid->GetShowGroupPanel());
    EXPECT_TRUE(presenter->actGridSelectAll->Execute());
}

TEST_F(FileGridPresenterTest, ColumnSelectorIsUncheckedWhenTheUserClosesIt) {
    presenter->actGridColumnSelector->Execute();
    ASSERT_NE(grid->GetCustomizingForm(), nullptr);
    EXPECT_TRUE(presenter->actGridColumnSelector->GetChecked());
    grid->GetCustomizingForm()->Close();
    uitest::ProcessEvents();
    EXPECT_EQ(grid->GetCustomizingForm(), nullptr);
    EXPECT_FALSE(presenter->actGridColumnSelector->GetChecked());
    // Opened again and closed by the command.
    presenter->actGridColumnSelector->Execute();
    ASSERT_NE(grid->GetCustomizingForm(), nullptr);
    presenter->actGridColumnSelector->Execute();
    uitest::ProcessEvents();
    EXPECT_EQ(grid->GetCustomizingForm(), nullptr);
    EXPECT_FALSE(presenter->actGridColumnSelector->GetChecked());
}

TEST_F(FileGridPresenterTest, ColumnWidthByDisplayMode) {
    WriteFile(dir_ + "a-rather-long-file-name-for-the-column.txt", "a");
    List();
    TScriptedDialogs dialogs;
    SetDialogService(&dialogs);

    // Details: the right-clicked column fits its texts.
    const Integer before = columns.Filename->GetWidth();
    presenter->SetHeaderColumn(columns.Filename);
    presenter->actGridColumnWidth->Execute();
    EXPECT_GT(columns.Filename->GetWidth(), before);

    // Thumbnails: only a word.
    list->SetFileDisplayMode(1);
    dialogs.Answer(mrOk);
    presenter->actGridColumnWidth->Execute();
    ASSERT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(dialogs.Requests()[0].Text,
              "Column Widths for thumbnails cannot be adjusted automatically.  Please specify the thumbnail "
              "properties under Options");
    EXPECT_EQ(dialogs.Requests()[0].DlgType, mtInformation);

    // Icons with information and file names: the width asked for, starting with the current one.
    list->SetFileDisplayMode(2);
    const Integer iconInfo = thumbs->GetIconInfoColumnWidth();
    dialogs.Clear();
    dialogs.Answer(mrOk, "200");
    presenter->actGridColumnWidth->Execute();
    ASSERT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(dialogs.Requests()[0].Caption, "Column Width");
    EXPECT_EQ(dialogs.Requests()[0].Text, "Please specify the column width");
    EXPECT_EQ(dialogs.Requests()[0].Value, IntToStr(iconInfo));
    EXPECT_EQ(thumbs->GetIconInfoColumnWidth(), 200);

    list->SetFileDisplayMode(3);
    const Integer names = thumbs->GetFilenameColumnWidth();
    for (const char* answer : {"wide", "0", "-40"}) {
        dialogs.Clear();
        dialogs.Answer(mrOk, answer).Answer(mrOk);
        presenter->actGridColumnWidth->Execute();
        ASSERT_EQ(dialogs.Requests().size(), 2u) << answer;
        EXPECT_EQ(dialogs.Requests()[1].Text, "You failed to enter a valid column width");
        EXPECT_EQ(dialogs.Requests()[1].DlgType, mtWarning);
        EXPECT_EQ(thumbs->GetFilenameColumnWidth(), names);
    }
    dialogs.Clear();
    dialogs.Answer(mrCancel);
    presenter->actGridColumnWidth->Execute();
    EXPECT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(thumbs->GetFilenameColumnWidth(), names);
    dialogs.Clear();
    dialogs.Answer(mrOk, "150");
    presenter->actGridColumnWidth->Execute();
    EXPECT_EQ(thumbs->GetFilenameColumnWidth(), 150);
    EXPECT_EQ(thumbs->GetIconInfoColumnWidth(), 200);
}

TEST_F(FileGridPresenterTest, GridMenuOffersTheSortMenuAndTheActions) {
    std::vector<uitest::TShownMenuItem> shown;
    uitest::WhenMenuOpens([&] {
        shown = uitest::OpenMenuItems();
        uitest::CloseMenus();
    });
    presenter->PopFileGrid->Popup(100, 100);
    std::vector<std::string> captions;
    for (const auto& item : shown) captions.push_back(item.Separator ? "-" : item.Caption);
    EXPECT_EQ(captions, (std::vector<std::string>{"File Sorting", "-", "Display Grouping Area",
                                                  "Display Column Selector..", "Set Column Width", "Show Description",
                                                  "Collapse All", "Expand All", "Select All"}));
    EXPECT_EQ(presenter->mkGridSorting->GetCount(), 8);
}

// ---- the layout ------------------------------------------------------------------------------------

std::string LayoutText(const TGridLayout& L) {
    std::string s =
        BoolToText(L.ShowGroupPanel) + BoolToText(L.FlatStyle) + BoolToText(L.AutoWidth) + BoolToText(L.AutoPreview);
    for (const TGridLayoutColumn& c : L.Columns)
        s += " " + c.Name + ":" + (c.Visible ? "v" : "h") + IntToStr(c.Index) + "/" + IntToStr(c.GroupIndex) + "/" +
             IntToStr(c.Width) + "/" + IntToStr(c.Sorted);
    return s;
}

TEST_F(FileGridPresenterTest, LayoutIsKeptAcrossARestart) {
    WriteFile(dir_ + "a.txt", "a");
    List();
    columns.Size->SetVisible(false);
    columns.Attributes->SetVisible(true);
    columns.Filename->SetWidth(150);
    columns.Date->SetIndex(1);
    columns.LMType->SetGroupIndex(0);
    columns.Size->SetSorted(csUp);
    presenter->actGridGrouper->Execute();
    presenter->actGridPreview->Execute();
    TGridLayout saved;
    ASSERT_TRUE(presenter->GetLayout(saved));
    EXPECT_TRUE(saved.ShowGroupPanel);
    EXPECT_TRUE(saved.AutoPreview);
    ASSERT_TRUE(SaveGridLayout(GridSettingsKey, saved));

    // A new grid as the program makes it at its next start.
    auto* form2 = new TForm(nullptr);
    auto* grid2 = new TgxDBGrid(form2);
    grid2->SetName("FileGrid");
    grid2->SetParent(form2);
    TFileGridColumns columns2 = CreateFileGridColumns(grid2, form2);
    auto* presenter2 = new TFileGridPresenter(form2, grid2, columns2, nullptr, nullptr, nullptr, {});
    TGridLayout fresh;
    ASSERT_TRUE(presenter2->GetLayout(fresh));
    EXPECT_NE(LayoutText(fresh), LayoutText(saved));
    ASSERT_TRUE(LoadGridLayout(GridSettingsKey, fresh));
    presenter2->ApplyLayout(fresh);
    TGridLayout restored;
    ASSERT_TRUE(presenter2->GetLayout(restored));
    EXPECT_EQ(LayoutText(restored), LayoutText(saved));
    EXPECT_EQ(grid2->GetColumn(1), columns2.Date);
    EXPECT_EQ(grid2->GetGroupColumnCount(), 1);
    EXPECT_TRUE(presenter2->actGridGrouper->GetChecked());
    EXPECT_TRUE(presenter2->actGridPreview->GetChecked());
    form2->Free();
}

}  // namespace
