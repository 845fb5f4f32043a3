// The group panel: its geometry, hint and boxes, the slide, and grouping by dragging headers onto
// it and boxes off it.

#include "dbgrid/tests/db_grid_fixture.h"
#include "framework/dynlib.h"
#include "treelist/tree_list_geometry.h"

namespace {

struct DbGridPanel : GridFixture {
    TgxDBGridColumn* path = nullptr;
    void SetUp() override {
        GridFixture::SetUp();
        path = AddColumn("Path");
        AddColumn("FileSize");  // stays visible while the others group
        table.T->Open();
        const std::tuple<const char*, const char*, Integer> files[] = {{"a", "/x", 2}, {"b", "/y", 1}, {"c", "/x", 1}};
        for (auto [file, folder, kind] : files) table.AddFile(file, folder, kind);
        Bind();
        grid->SetShowGroupPanel(true);
        uitest::ProcessEvents();
    }
    // A point on the column's header.
    TPoint HeaderPoint(TgxTreeListColumn* Column) {
        for (Integer y = 0; y < 200; y += 2)
            for (Integer x = 0; x < grid->GetClientWidth(); x += 4) {
                const TgxTreeListHitInfo hit = grid->GetHitInfo({x, y});
                if (hit.HitCode == hcHeader && hit.Column == Column->GetIndex()) return {x + 2, y + 2};
            }
        ADD_FAILURE() << "no header for " << Column->GetName();
        return {0, 0};
    }
    TPoint BoxCentre(Integer Index) {
        const TRect r = grid->GetGroupPanelBox(Index);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    void Drag(TPoint From, TPoint To) {
        uitest::MouseDown(grid, From.X, From.Y);
        uitest::MouseMove(grid, From.X + 8, From.Y + 8);
        uitest::MouseMove(grid, To.X, To.Y);
        uitest::MouseUp(grid, To.X, To.Y);
    }
    std::string Grouping() {
        std::string s;
        for (Integer i = 0; i < grid->GetGroupColumnCount(); ++i) s += grid->GetGroupColumn(i)->GetFieldName() + " ";
        return s;
    }
};

}  // namespace

TEST_F(DbGridPanel, HeightBoxesAndDropPositions) {
    const Integer h = grid->GetHeaderRowHeight();
    ASSERT_EQ(h, 18);
    EXPECT_EQ(grid->GetGroupPanelHeight(), 18 - 9 + 16);
    type->SetGroupIndex(0);
    path->SetGroupIndex(1);
    name->SetGroupIndex(2);
    EXPECT_EQ(grid->GetGroupPanelHeight(), 52);
    EXPECT_EQ(grid->GetGroupPanelBox(1), TRect(112, 17, 212, 35));
    EXPECT_EQ(grid->GetGroupDropPosition(57), 0);
    EXPECT_EQ(grid->GetGroupDropPosition(58), 1);
    EXPECT_EQ(grid->GetGroupDropPosition(500), 3);
    const TPoint centre = BoxCentre(1);
    EXPECT_EQ(grid->GetGroupColumnAt(centre.X, centre.Y), path);
    EXPECT_EQ(grid->GetGroupColumnAt(3, 3), nullptr);
    grid->SetShowGroupPanel(false);
    EXPECT_EQ(grid->GetGroupPanelHeight(), 0);
    EXPECT_EQ(grid->GetGroupColumnAt(centre.X, centre.Y), nullptr);
}

TEST_F(DbGridPanel, HintWithoutGroupingAndBoxesWithIt) {
    const TColor back = ColorToRGB(grid->GetGroupPanelColor());
    // Pixels of the panel between From and To (x) that are not the panel's colour.
    auto marks = [&](Integer From, Integer To) {
        uitest::TCapture shot = uitest::Capture(grid);
        int n = 0;
        for (Integer y = 0; y < grid->GetGroupPanelHeight(); ++y)
            for (Integer x = From; x < To; ++x) n += shot.Pixel(x, y) != back;
        return n;
    };
    EXPECT_GT(marks(120, 300), 20);  // the hint's letters
    type->SetGroupIndex(0);
    // The box stands where the hint began; the panel colour is left and right of it.
    const TRect box = grid->GetGroupPanelBox(0);
    uitest::TCapture shot = uitest::Capture(grid);
    EXPECT_EQ(shot.Pixel(3, box.Top + 3), back);
    EXPECT_NE(shot.Pixel(box.Left + 3, box.Top + 3), back);
    EXPECT_EQ(marks(120, 300), 0);

    bool painted = false;
    grid->OnBackgroundDrawEvent = [&](TObject*, TCanvas*, const TRect&) { painted = true; };
    grid->Invalidate();
    grid->Update();
    EXPECT_TRUE(painted);
}

TEST_F(DbGridPanel, HeadersDroppedOnThePanelGroupWhereTheyFall) {
    type->SetGroupIndex(0);
    path->SetGroupIndex(1);
    // Between the two boxes.
    const TRect first = grid->GetGroupPanelBox(0);
    Drag(HeaderPoint(name), TPoint{(first.Left + first.Right) / 2 + 10, first.Bottom + 2});
    EXPECT_EQ(Grouping(), "LMFileType Filename Path ");
    EXPECT_FALSE(name->GetVisible());
    // A box dragged beyond the last stays last.
    Drag(BoxCentre(0), TPoint{BoxCentre(2).X + 150, BoxCentre(2).Y});
    EXPECT_EQ(Grouping(), "Filename Path LMFileType ");
    EXPECT_EQ(grid->GetState(), tsNormal);
}

TEST_F(DbGridPanel, ArrowsAndCursorOverThePanel) {
    type->SetGroupIndex(0);
    path->SetGroupIndex(1);
    const TPoint from = HeaderPoint(name);
    uitest::MouseDown(grid, from.X, from.Y);
    uitest::MouseMove(grid, from.X + 8, from.Y + 8);
    ASSERT_EQ(grid->GetState(), tsColumnDragging);
    // The arrows point at the box the header would take the place of.
    const TRect second = grid->GetGroupPanelBox(1);
    TPoint p = grid->ClientToScreen(TPoint{second.Left + 60, second.Top});
    TgxHeaderPosInfo info;
    grid->CalcDropPosition(p, info, name->GetIndex(), name->GetIndex(), false);
    EXPECT_EQ(grid->ScreenToClient(p), (TPoint{grid->GetGroupPanelBox(2).Left - 5, grid->GetGroupPanelBox(2).Top - 9}));
    EXPECT_EQ(info.ColumnIndex, -1);
    TCursor cursor = crDefault;
    grid->GetHeaderDragCursor(grid->ClientToScreen(TPoint{10, 5}), cursor);
    EXPECT_EQ(cursor, grid->GetCursor());
    // A column that may not group gets no arrows and the remove-header cursor.
    name->SetDisableGrouping(true);
    p = grid->ClientToScreen(TPoint{second.Left + 60, second.Top});
    grid->CalcDropPosition(p, info, name->GetIndex(), name->GetIndex(), false);
    EXPECT_EQ(p, (TPoint{-100, -100}));
    grid->GetHeaderDragCursor(grid->ClientToScreen(TPoint{10, 5}), cursor);
    EXPECT_EQ(cursor, TCursor(-1124));
    uitest::PressKey(grid, VK_ESCAPE);
    uitest::MouseUp(grid, from.X + 8, from.Y + 8);
    EXPECT_EQ(grid->GetGroupColumnCount(), 2);
}

TEST_F(DbGridPanel, BoxesDraggedOffThePanelUngroupAndClicksSort) {
    type->SetGroupIndex(0);
    path->SetGroupIndex(1);
    std::vector<std::string> hidden;
    grid->OnHideHeader = [&](TObject*, TgxTreeListColumn* C) { hidden.push_back(C->GetName()); };
    Drag(BoxCentre(1), TPoint{100, grid->GetClientHeight() - 30});
    EXPECT_EQ(Grouping(), "LMFileType ");
    EXPECT_TRUE(path->GetVisible());
    EXPECT_TRUE(hidden.empty());
    EXPECT_EQ(Tree(), "1(b,c),2(a)");

    // A click on a box turns its sort.
    const TPoint box = BoxCentre(0);
    uitest::Click(grid, box.X, box.Y);
    EXPECT_EQ(type->GetSorted(), csDown);
    EXPECT_EQ(Tree(), "2(a),1(b,c)");
    EXPECT_EQ(grid->GetState(), tsNormal);
}

TEST_F(DbGridPanel, TheSlideEndsWithinItsTime) {
    grid->SetShowGroupPanel(false);
    UInt64 now = 1000;
    int ticks = 0;
    SetTickCountForTesting([&] {
        ++ticks;
        return now += 150;  // every look at the clock finds 150 ms gone
    });
    grid->SetShowGroupPanel(true);
    SetTickCountForTesting({});
    // Started, then three steps at most before 400 ms had passed.
    EXPECT_GE(ticks, 2);
    EXPECT_LE(ticks, 4);
    EXPECT_EQ(grid->GetGroupPanelHeight(), 25);
    uitest::ProcessEvents();
    EXPECT_EQ(uitest::Capture(grid).Pixel(2, 2), ColorToRGB(grid->GetGroupPanelColor()));
}
