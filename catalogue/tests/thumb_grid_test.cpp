// The thumbnail grid over a file table: layout, hit testing, selection shared with the details
// grid, and thumbnails drawn from the memory cache or made by the workers.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "catalogue/img_functions.h"
#include "catalogue/tests/thumb_fixtures.h"
#include "catalogue/thumb_grid.h"
#include "dbgrid/tests/db_grid_fixture.h"
#include "framework/file_utils.h"
#include "framework/graphics.h"
#include "framework/messages.h"
#include "framework/sysutils.h"

namespace {

std::string ScratchFolder() {
    std::string tmpl = GetTempPath() + "lumora-thumbs-XXXXXX";
    if (!mkdtemp(tmpl.data())) return {};
    return tmpl + "/";
}

}  // namespace

struct ThumbGridTest : GridFixture {
    TgxThumbGrid2* thumbs = nullptr;
    TgxDBGridColumn* path = nullptr;
    TgxDBGridColumn* size = nullptr;
    TgxDBGridColumn* date = nullptr;
    std::string dir = ScratchFolder();

    void SetUp() override {
        GridFixture::SetUp();
        Options({egoMultiSelect});
        path = AddColumn("Path");
        size = AddColumn("FileSize");
        date = AddColumn("FileDate");
        thumbs = new TgxThumbGrid2(form);
        thumbs->SetParent(form);
        thumbs->SetBorderStyle(bsNone);
        thumbs->SetAttachedgxDBGrid(grid);
        thumbs->NodeFilename = name;
        thumbs->NodePath = path;
        thumbs->NodeSize = size;
        thumbs->NodeDate = date;
        thumbs->SetThumbDisplayType(tdtLargeIcon);
        thumbs->SupportedFormats = "*.*";
    }
    void TearDown() override {
        GridFixture::TearDown();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    // Rows for the files (made on disk when Make), bound and laid out in a W x H grid.
    void Show(const std::vector<std::string>& Files, Integer W, Integer H, bool Make = false) {
        table.T->Open();
        for (const std::string& f : Files) {
            if (Make) WriteBitmapFile(dir + f, 40, 30, clRed);
            table.AddFile(f, dir);
        }
        table.T->First();
        Bind();
        thumbs->SetBounds(0, 0, W, H);
        thumbs->UpdateLayout(true, true);
    }
    std::vector<std::string> Names(Integer N) {
        std::vector<std::string> names;
        for (Integer i = 0; i < N; ++i) names.push_back("f" + IntToStr(i) + ".bmp");
        return names;
    }
    TPoint CellCentre(Integer Index) {
        const TRect r = thumbs->CellRect(Index % thumbs->GetColCount(), Index / thumbs->GetColCount());
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    void Click(Integer Index, TShiftState Shift = {}) {
        const TPoint p = CellCentre(Index);
        uitest::Click(thumbs, p.X, p.Y, mbLeft, Shift);
    }
    std::string SelectedItems() {
        std::string s;
        for (Integer i = 0; i < thumbs->GetItemCount(); ++i)
            if (thumbs->ItemNode(i)->GetSelected()) s += (s.empty() ? "" : ",") + IntToStr(i);
        return s;
    }
    Integer FocusedItem() {
        TgxTreeListNode* n = grid->GetFocusedNode();
        return n ? n->GetIndex() : -1;
    }
    // Paints what is pending, then waits until every queued thumbnail is in.
    bool WaitForThumbnails() {
        uitest::ProcessEvents();
        return uitest::WaitUntil([&] { return thumbs->ThumbnailsOutstanding() == 0; }, 10000);
    }
};

TEST_F(ThumbGridTest, CellSizesFollowTypeZoomAndIgnoreBadThumbnailSizes) {
    // W + 2 x pad + 7 by T + 2 x pad + 9 + H: 107 x 107 where the font is 13 pixels high.
    const Integer t = thumbs->GetCanvas()->TextHeight("Wg");
    EXPECT_EQ(thumbs->GetDefaultColWidth(), 107);
    EXPECT_EQ(thumbs->GetDefaultRowHeight(), t + 94);
    thumbs->SetThumbnailWidth(0);
    thumbs->SetThumbnailWidth(10000);
    thumbs->SetThumbnailHeight(-1);
    EXPECT_EQ(thumbs->GetThumbnailWidth(), 90);
    EXPECT_EQ(thumbs->GetThumbnailHeight(), 75);
    thumbs->SetZoom(2);
    EXPECT_EQ(thumbs->GetDefaultColWidth(), 214);
    EXPECT_EQ(thumbs->GetDefaultRowHeight(), 2 * (t + 94));
    thumbs->SetZoom(1);
    thumbs->SetThumbDisplayType(tdtFilename);
    EXPECT_EQ(thumbs->GetDefaultColWidth(), 118);
    thumbs->SetThumbDisplayType(tdtIconInfo);
    EXPECT_EQ(thumbs->GetDefaultColWidth(), 158);
    thumbs->SetIconInfoColumnWidth(-3);
    EXPECT_EQ(thumbs->GetDefaultColWidth(), 158);
}

TEST_F(ThumbGridTest, LayoutKeepsAScreenfulOfRowsPlusAPartialOne) {
    struct Case {
        Integer Items, Width, Height, Cols, Rows;
    } cases[] = {
        {9, 500, 20 + 3 * 107, 4, 4},  // the larger of 2 and 3, plus the partial row
        {8, 500, 20 + 3 * 107, 4, 3},  // no partial row
        {0, 500, 20 + 3 * 107, 4, 3},  // as many rows as fit
        {13, 500, 20 + 107, 4, 4},  // more items than a screenful
        {2, 500, 30, 4, 1},  // no row fits: still one
        {5, 100, 20 + 2 * 107, 1, 5},  // narrower than a cell: one column
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(IntToStr(c.Items) + " items in " + IntToStr(c.Width) + "x" + IntToStr(c.Height));
        table.T->Close();
        table.T->Open();
        for (const std::string& f : Names(c.Items)) table.AddFile(f, dir);
        if (!grid->GetDataSource()) Bind();
        thumbs->SetBounds(0, 0, c.Width, c.Height);
        thumbs->UpdateLayout(false, false);
        EXPECT_EQ(thumbs->GetItemCount(), c.Items);
        EXPECT_EQ(thumbs->GetColCount(), c.Cols);
        EXPECT_EQ(thumbs->GetRowCount(), c.Rows);
    }
}

TEST_F(ThumbGridTest, PressesOnPaddingOrEmptyCellsAreNotOnItems) {
    Show(Names(5), 500, 400);
    Integer nonCell = 0;
    thumbs->OnNonCellMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) { ++nonCell; };
    const TRect r = thumbs->CellRect(1, 0);
    uitest::Click(thumbs, r.Left + 2, r.Top + 40);  // in the padding
    EXPECT_EQ(nonCell, 1);
    EXPECT_EQ(thumbs->GetKeyIDAtPoint(r.Left + 2, r.Top + 40), -1);
    const TPoint empty = CellCentre(6);
    uitest::Click(thumbs, empty.X, empty.Y);
    EXPECT_EQ(nonCell, 2);
    EXPECT_EQ(SelectedItems(), "");

    Click(1);
    EXPECT_EQ(nonCell, 2);
    EXPECT_EQ(FocusedItem(), 1);
    EXPECT_EQ(SelectedItems(), "1");
    const TPoint p = CellCentre(3);
    EXPECT_EQ(thumbs->GetKeyIDAtPoint(p.X, p.Y),
              static_cast<TgxDBGridNode*>(thumbs->ItemNode(3))->KeyValue.AsInteger());
}

TEST_F(ThumbGridTest, MouseSelectionsOnAThreeByThreeGrid) {
    struct Step {
        Integer Item;
        TShiftState Shift;
    };
    struct Case {
        const char* Name;
        std::vector<Step> Steps;
        const char* Selected;
        Integer Focused;
    } cases[] = {
        {"click", {{4, {}}}, "4", 4},
        {"click moves the single selection", {{4, {}}, {7, {}}}, "7", 7},
        {"shift range forward", {{0, {}}, {5, {ssShift}}}, "0,1,2,3,4,5", 5},
        {"shift range backward", {{6, {}}, {2, {ssShift}}}, "2,3,4,5,6", 2},
        {"second shift range replaces the first", {{4, {}}, {2, {ssShift}}, {6, {ssShift}}}, "4,5,6", 6},
        {"ctrl adds", {{0, {}}, {8, {ssCtrl}}, {4, {ssCtrl}}}, "0,4,8", 4},
        {"ctrl on a selected item removes it", {{1, {}}, {3, {ssCtrl}}, {1, {ssCtrl}}}, "3", 1},
        {"click on a selected item keeps only it", {{0, {}}, {2, {ssShift}}, {1, {}}}, "1", 1},
    };
    Show(Names(9), 20 + 3 * 107 + 10, 20 + 3 * 107);
    ASSERT_EQ(thumbs->GetColCount(), 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        thumbs->ClearSelection();  // every case starts with a plain click
        for (const Step& s : c.Steps) Click(s.Item, s.Shift);
        EXPECT_EQ(SelectedItems(), c.Selected);
        EXPECT_EQ(FocusedItem(), c.Focused);
    }
}

TEST_F(ThumbGridTest, KeysMoveTheFocusAndSelectLikePresses) {
    Show(Names(9), 20 + 3 * 107 + 10, 20 + 3 * 107);
    auto key = [&](Word K, TShiftState S = {}) {
        thumbs->ThumbKeyDown(K, S);
        thumbs->ThumbKeyUp(K, S);
    };
    Click(4);
    key(VK_RIGHT);
    EXPECT_EQ(SelectedItems(), "5");
    key(VK_DOWN, {ssShift});  // Shift adds each item reached
    EXPECT_EQ(SelectedItems(), "5,8");
    key(VK_DOWN);  // beyond the last row: ignored
    EXPECT_EQ(FocusedItem(), 8);
    key(VK_LEFT);
    EXPECT_EQ(SelectedItems(), "7");
    key(VK_RIGHT);
    key(VK_RIGHT);  // no item 9
    EXPECT_EQ(FocusedItem(), 8);
    key(VK_HOME);
    EXPECT_EQ(SelectedItems(), "0");
    key(VK_END, {ssCtrl});  // Ctrl keeps the selection; the release adds the range from the new anchor
    EXPECT_EQ(SelectedItems(), "0,8");
    key(VK_UP);
    key(VK_LEFT, {ssShift});
    EXPECT_EQ(SelectedItems(), "4,5");
    // The grid's own key events are off by default: the controller forwards keys.
    uitest::PressKey(thumbs, VK_HOME);
    EXPECT_EQ(FocusedItem(), 4);
    thumbs->DisableComponentKeyEventHandling = false;
    uitest::PressKey(thumbs, VK_HOME);
    EXPECT_EQ(FocusedItem(), 0);
}

TEST_F(ThumbGridTest, MemoryHitsAreDrawnAtOnceAndMissesComeFromTheWorkers) {
    std::atomic<int> made{0};
    thumbs->SetThumbnailWorkers(2, [&](TImgFunctions* Img, TThumbResult& R) {
        ++made;
        MakeThumbnail(Img, R);
    });
    table.T->Open();
    table.AddFile("hit.bmp", dir);
    table.AddFile("miss.bmp", dir);
    table.AddFile("info.txt", dir);
    table.AddFile("gone.bmp", dir);
    std::ofstream(dir + "info.txt") << "text";
    WriteBitmapFile(dir + "miss.bmp", 60, 30, clBlue);
    thumbs->AddToMemoryCache(SolidBitmap(90, 75, clLime).get(), dir + "hit.bmp");
    thumbs->SupportedFormats = "*.bmp";
    Bind();
    thumbs->SetBounds(0, 0, 500, 300);
    thumbs->UpdateLayout(true, true);
    uitest::ProcessEvents();
    const TPoint hit = CellCentre(0), miss = CellCentre(1);
    EXPECT_EQ(uitest::Capture(thumbs).Pixel(hit.X, hit.Y - 8), clLime);
    ASSERT_TRUE(WaitForThumbnails());
    uitest::ProcessEvents();
    EXPECT_EQ(made.load(), 1);  // only the miss: the text file is not supported, the missing one gone
    EXPECT_GE(thumbs->FindInMemoryCache(dir + "miss.bmp"), 0);
    EXPECT_EQ(thumbs->FindInMemoryCache(dir + "info.txt"), -1);
    const uitest::TCapture shot = uitest::Capture(thumbs);
    EXPECT_TRUE(NearColour(shot.Pixel(miss.X, miss.Y - 8), clBlue));
    // The text file and the missing one show a shell icon on its square.
    auto squarePixels = [&](Integer Index) {
        const TRect c = thumbs->CellRect(Index % thumbs->GetColCount(), Index / thumbs->GetColCount());
        Integer n = 0;
        for (Integer y = c.Top; y < c.Bottom; ++y)
            for (Integer x = c.Left; x < c.Right; ++x) n += shot.Pixel(x, y) == TColor(0xDC8987);
        return n;
    };
    EXPECT_GT(squarePixels(2), 0);
    EXPECT_GT(squarePixels(3), 0);
    EXPECT_EQ(squarePixels(1), 0);

    // Zoom 2 draws the cached picture at twice its size.
    thumbs->SetZoom(2);
    uitest::ProcessEvents();
    const TRect r = thumbs->CellRect(0, 0);
    EXPECT_EQ(uitest::Capture(thumbs).Pixel(r.Left + 7 + 170, r.Top + 7 + 140), clLime);

    // A cleared memory cache fills again as the cells are painted.
    thumbs->ClearMemoryCache();
    thumbs->Invalidate();
    uitest::ProcessEvents();
    ASSERT_TRUE(WaitForThumbnails());
    EXPECT_EQ(made.load(), 2);
    EXPECT_GE(thumbs->FindInMemoryCache(dir + "miss.bmp"), 0);
}

TEST_F(ThumbGridTest, MoreCellsThanTheMemoryCacheHoldsAreMadeOnce) {
    std::atomic<int> made{0};
    thumbs->SetThumbnailWorkers(2, [&](TImgFunctions* Img, TThumbResult& R) {
        ++made;
        MakeThumbnail(Img, R);
    });
    thumbs->SetMemoryCacheMaxCacheCount(4);
    Show(Names(9), 20 + 3 * 107 + 10, 20 + 3 * 107, true);
    // A delivery repaints its own picture only, and results arriving faster than the window
    // paints are drawn before the cache lets them go, so each cell is made once (a repaint of
    // the whole grid makes the cells the cache let go once more).
    ASSERT_TRUE(WaitForThumbnails());
    const int settled = made.load();
    EXPECT_EQ(settled, 9);
    uitest::IdleTurns(3);
    ASSERT_TRUE(WaitForThumbnails());
    EXPECT_EQ(made.load(), settled);
    // Every cell shows its picture, though only four are still in memory.
    uitest::ProcessEvents();
    const uitest::TCapture shot = uitest::Capture(thumbs);
    for (Integer i = 0; i < 9; ++i) {
        const TPoint p = CellCentre(i);
        EXPECT_TRUE(NearColour(shot.Pixel(p.X, p.Y - 8), clRed)) << i;
    }
}

TEST_F(ThumbGridTest, DiskAndPermanentThumbnailsComeBackThroughTheWorkers) {
    std::vector<TThumbSource> sources;
    std::mutex m;
    thumbs->SetThumbnailWorkers(1, [&](TImgFunctions* Img, TThumbResult& R) {
        MakeThumbnail(Img, R);
        std::lock_guard<std::mutex> lock(m);
        sources.push_back(R.Source);
    });
    std::filesystem::create_directories(dir + "Cache");
    std::filesystem::create_directories(dir + "Thumbs");
    thumbs->SetDiskCacheDirectory(dir + "Cache");
    thumbs->SetPermanentCacheDirectory(dir + "Thumbs");
    Show({"a.bmp", "b.bmp"}, 500, 300, true);
    ASSERT_TRUE(WaitForThumbnails());
    const std::string a = dir + "a.bmp", b = dir + "b.bmp";
    // The worker wrote the disk thumbnail; the index knows it.
    ASSERT_GE(thumbs->FindInDiskCache(a), 0);
    EXPECT_TRUE(FileExists(thumbs->DiskCache().FileAt(thumbs->FindInDiskCache(a))));

    // Painting after the memory cache is cleared takes the disk thumbnail.
    thumbs->ClearMemoryCache();
    thumbs->Invalidate();
    uitest::ProcessEvents();
    ASSERT_TRUE(WaitForThumbnails());
    EXPECT_GE(thumbs->FindInMemoryCache(a), 0);

    // A permanent thumbnail replaces both caches' entries and is drawn next.
    thumbs->StorePermanentThumbnail(SolidBitmap(50, 50, clFuchsia).get(), a);
    EXPECT_EQ(thumbs->FindInMemoryCache(a), -1);
    EXPECT_EQ(thumbs->FindInDiskCache(a), -1);
    thumbs->Invalidate();
    uitest::ProcessEvents();
    ASSERT_TRUE(WaitForThumbnails());
    uitest::ProcessEvents();
    EXPECT_EQ(sources, (std::vector<TThumbSource>{tsDecoded, tsDecoded, tsDisk, tsDisk, tsPermanent}));
    const TPoint p = CellCentre(0);
    EXPECT_TRUE(NearColour(uitest::Capture(thumbs).Pixel(p.X, p.Y - 8), clFuchsia));

    // Freeing the grid saves the index.
    EXPECT_FALSE(FileExists(dir + "Cache/~cche.idx"));
    thumbs->Free();
    thumbs = nullptr;
    std::ifstream index(dir + "Cache/~cche.idx");
    std::string line;
    ASSERT_TRUE(std::getline(index, line));
    EXPECT_EQ(line, b);
    EXPECT_FALSE(std::getline(index, line));
}

TEST_F(ThumbGridTest, AFolderChangeMidDecodeShowsNoStaleThumbnail) {
    std::atomic<bool> release{false};
    std::atomic<int> started{0};
    thumbs->SetThumbnailWorkers(1, [&](TImgFunctions* Img, TThumbResult& R) {
        ++started;
        while (!release.load()) std::this_thread::yield();
        MakeThumbnail(Img, R);
    });
    Show({"old.bmp"}, 500, 300, true);
    ASSERT_TRUE(uitest::WaitUntil([&] { return started.load() == 1; }));
    // The folder changes while the old file is decoded.
    table.T->Close();
    table.T->Open();
    WriteBitmapFile(dir + "new.bmp", 40, 30, clBlue);
    table.AddFile("new.bmp", dir);
    thumbs->UpdateLayout(true, true);
    uitest::ProcessEvents();
    release = true;
    // The old result is dropped and the cell, painted again, gets its new file's thumbnail.
    ASSERT_TRUE(uitest::WaitUntil([&] { return thumbs->FindInMemoryCache(dir + "new.bmp") >= 0; }));
    EXPECT_EQ(thumbs->FindInMemoryCache(dir + "old.bmp"), -1);
    ASSERT_TRUE(WaitForThumbnails());
    uitest::ProcessEvents();
    const TPoint p = CellCentre(0);
    EXPECT_TRUE(NearColour(uitest::Capture(thumbs).Pixel(p.X, p.Y - 8), clBlue));
}

TEST_F(ThumbGridTest, AGridFreedMidDecodeStopsItsWorkersFirst) {
    std::atomic<bool> release{false};
    std::atomic<int> started{0};
    thumbs->SetThumbnailWorkers(2, [&](TImgFunctions* Img, TThumbResult& R) {
        ++started;
        while (!release.load()) std::this_thread::yield();
        MakeThumbnail(Img, R);
    });
    Show(Names(6), 500, 300, true);
    ASSERT_TRUE(uitest::WaitUntil([&] { return started.load() == 2; }));
    release = true;
    thumbs->Free();
    thumbs = nullptr;
    uitest::IdleTurns(3);
    EXPECT_EQ(started.load(), 2);
}
