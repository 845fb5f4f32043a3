// Toolbars, their separators and tool windows: the layout in lines, the wrap layouts, the bars.

#include "components/toolbar.h"

#include "components/tests/dock_fixture.h"
#include "framework/exceptions.h"

namespace {

TToolbarItem Button(Integer W = 23, Integer H = 22) { return {false, false, W, H, {}}; }
TToolbarItem Sep(bool Blank = false) { return {true, Blank, 6, 6, {}}; }

std::vector<TRect> BoundsOf(const std::vector<TToolbarItem>& Items) {
    std::vector<TRect> r;
    for (const TToolbarItem& it : Items) r.push_back(it.Bounds);
    return r;
}

}  // namespace

TEST(ToolbarLayout, LinesAndPlacesByOrientationAndWrapWidth) {
    struct Case {
        const char* Name;
        std::vector<TToolbarItem> Items;
        TDockOrientation Orientation;
        Integer FloatRightX;
        Integer RowSize;
        TPoint Size;
        std::vector<TRect> Bounds;
        std::vector<Integer> LineTops;
    };
    const Case cases[] = {
        {"docked never wraps", {Button(), Button(), Button()}, doHorizontal, 30, 0, {69, 22},
         {Bounds(0, 0, 23, 22), Bounds(23, 0, 23, 22), Bounds(46, 0, 23, 22)}, {}},
        {"docked, centred in a thicker row", {Button(23, 16), Sep()}, doHorizontal, 0, 26, {29, 16},
         {Bounds(0, 5, 23, 16), Bounds(23, 0, 6, 26)}, {}},
        {"vertical dock", {Button(20, 22), Sep(), Button(16, 22)}, doVertical, 0, 0, {20, 50},
         {Bounds(0, 0, 20, 22), Bounds(0, 22, 20, 6), Bounds(2, 28, 16, 22)}, {}},
        {"floating in one line", {Button(), Button()}, doNone, 0, 0, {4 + 46 + 4, 2 + 22 + 1},
         {Bounds(4, 2, 23, 22), Bounds(27, 2, 23, 22)}, {}},
        {"empty floating", {}, doNone, 0, 0, {16, 11}, {}, {}},
        // Below the widest button + 8 the lines wrap at that width: one button a line.
        {"wrap width below the widest button", {Button(), Button(40, 22), Button()}, doNone, 10, 0, {48, 2 + 66 + 1},
         {Bounds(4, 2, 23, 22), Bounds(4, 24, 40, 22), Bounds(4, 46, 23, 22)}, {}},
        // The separator ending a wrapped line takes no width; the next line starts 6 lower.
        {"separator at a wrap", {Button(), Button(), Sep(), Button()}, doNone, 60, 0, {54, 2 + 22 + 6 + 22 + 1},
         {Bounds(4, 2, 23, 22), Bounds(27, 2, 23, 22), Bounds(50, 2, 0, 22), Bounds(4, 30, 23, 22)}, {30}},
    };
    for (const Case& c : cases) {
        std::vector<TToolbarItem> items = c.Items;
        TToolbarLayout l = ArrangeToolbarItems(items, c.Orientation, c.FloatRightX, c.RowSize);
        EXPECT_EQ(l.ClientSize, c.Size) << c.Name;
        EXPECT_EQ(BoundsOf(items), c.Bounds) << c.Name;
        std::vector<Integer> tops;
        for (const TToolbarLineSeparator& s : l.LineSeparators) tops.push_back(s.Y);
        EXPECT_EQ(tops, c.LineTops) << c.Name;
    }
}

TEST(ToolbarLayout, PossibleSizesAreTheDistinctWrapLayouts) {
    std::vector<TToolbarItem> items{Button(), Button(), Button(), Sep(), Button(), Button(), Button()};
    std::vector<TPoint> want{{152, 25}, {77, 53}, {54, 97}, {31, 141}};
    EXPECT_EQ(ToolbarPossibleSizes(items), want);
    EXPECT_EQ(ToolbarPossibleSizes({}), (std::vector<TPoint>{{16, 11}}));
}

using ToolbarTest = DockFixture;

TEST_F(ToolbarTest, SeparatorsBelongOnToolbarsOnly) {
    auto* sep = new TToolbarSepX(Form);
    try {
        sep->SetParent(Form);
        FAIL() << "placed on a form";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "TToolbarSepX can only be placed on a TToolbarX");
    }
    EXPECT_EQ(sep->GetParent(), nullptr);
    EXPECT_EQ(sep->GetWidth(), 6);
    EXPECT_EQ(sep->GetHeight(), 6);
}

TEST_F(ToolbarTest, AToolbarLinesUpItsControlsInTheOrderTheyCame) {
    uitest::ShowForm(Form);
    TDockX* dock = AddDock(dpTop);
    auto* bar = new TToolbarX(Form);
    bar->SetParent(dock);
    bar->SetFloatRightX(30);
    TProbe* a = AddProbe("a", Bounds(200, 0, 23, 22), bar);
    auto* sep = new TToolbarSepX(Form);
    sep->SetParent(bar);
    TProbe* b = AddProbe("b", Bounds(0, 0, 30, 16), bar);
    EXPECT_EQ(bar->GetOrderList(), (std::vector<TControl*>{a, sep, b}));
    // Docked: one line whatever the wrap width; the bar fits around it.
    EXPECT_EQ(a->GetBoundsRect(), Bounds(0, 0, 23, 22));
    EXPECT_EQ(sep->GetBoundsRect(), Bounds(23, 0, 6, 22));
    EXPECT_EQ(b->GetBoundsRect(), Bounds(29, 3, 30, 16));
    EXPECT_EQ(bar->GetClientWidth(), 59);
    EXPECT_EQ(bar->GetClientHeight(), 22);
    // A control taken off leaves the order.
    a->Free();
    EXPECT_EQ(bar->GetOrderList(), (std::vector<TControl*>{sep, b}));
    EXPECT_EQ(b->GetLeft(), 6);
}

TEST_F(ToolbarTest, AToolWindowKeepsItsClientSizeWhereverItGoes) {
    uitest::ShowForm(Form);
    TDockX* dock = AddDock(dpTop);
    auto* tw = new TToolWindowX(Form);
    EXPECT_EQ(tw->GetBoundsRect(), Bounds(0, 0, 32, 32));
    tw->SetClientAreaWidth(100);
    tw->SetClientAreaHeight(40);
    tw->SetParent(dock);
    EXPECT_EQ(tw->GetClientAreaWidth(), 100);
    EXPECT_EQ(tw->GetClientAreaHeight(), 40);
    tw->SetFloatingPosition({300, 200});
    tw->SetDockedTo(nullptr);
    EXPECT_EQ(tw->GetClientAreaWidth(), 100);
    EXPECT_EQ(tw->GetClientAreaHeight(), 40);
    tw->SetClientAreaWidth(80);
    EXPECT_EQ(tw->GetBarSize(), (TPoint{80, 40}));
}
