// Docks: the arrangement of bars in rows and the dock's own rules.

#include "components/dock.h"

#include "components/tests/dock_fixture.h"

namespace {

struct Bar {
    Integer Row, Pos, Length;
    bool FullSize = false;
    bool Placed = true;
};

struct Shown {
    Integer Row, Pos, ShownPos, RowOffset;
    bool operator==(const Shown&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Shown& s) {
    return os << "{row " << s.Row << ", pos " << s.Pos << ", shown " << s.ShownPos << ", at " << s.RowOffset << "}";
}

}  // namespace

TEST(DockArrangement, BarsAreFittedIntoRows) {
    struct Case {
        const char* What;
        std::vector<Bar> Bars;
        Integer Length;
        bool Clip;
        std::vector<Shown> Want;  // in the order of the bars given
        Integer Thickness;
    };
    const Case cases[] = {
        {"overlap removed, the forward pass wins", {{0, 0, 50}, {0, 10, 50}}, 80, false, {{0, 0, 0, 0}, {0, 50, 50, 0}}, 24},
        {"pushed back from the end, stored position kept", {{0, 0, 50}, {0, 90, 50}}, 120, false,
         {{0, 0, 0, 0}, {0, 90, 70, 0}}, 24},
        {"clipped positions are stored", {{0, 0, 50}, {0, 90, 50}}, 120, true, {{0, 0, 0, 0}, {0, 70, 70, 0}}, 24},
        {"a full-size bar gets a row of its own", {{0, 0, 30}, {1, 0, 30, true}, {1, 40, 30}, {2, 0, 30}}, 200, false,
         {{0, 0, 0, 0}, {1, 0, 0, 24}, {2, 40, 40, 48}, {3, 0, 0, 72}}, 96},
        {"of two empty rows one is closed up", {{0, 0, 30}, {3, 0, 30}}, 200, false, {{0, 0, 0, 0}, {2, 0, 0, 24}}, 48},
        {"a hidden bar takes no space", {{0, 0, 30}, {1, 0, 30, false, false}}, 200, false, {{0, 0, 0, 0}, {1, 0, 0, 0}}, 24},
        {"only hidden bars", {{0, 0, 30, false, false}}, 200, false, {{0, 0, 0, 0}}, 0},
    };
    for (const Case& c : cases) {
        std::vector<TDockBarLayout> bars;
        for (size_t i = 0; i < c.Bars.size(); ++i) {
            TDockBarLayout l;
            l.Row = c.Bars[i].Row;
            l.Pos = c.Bars[i].Pos;
            l.Length = c.Bars[i].Length;
            l.CrossSize = 20;
            l.FullSize = c.Bars[i].FullSize;
            l.Placed = c.Bars[i].Placed;
            l.Tag = Integer(i);
            bars.push_back(l);
        }
        TDockArrangeResult r = ArrangeDockBars(bars, c.Length, false, c.Clip, false, 0);
        std::vector<Shown> got(bars.size());
        for (const TDockBarLayout& l : bars) got[size_t(l.Tag)] = {l.Row, l.Pos, l.ShownPos, l.RowOffset};
        EXPECT_EQ(got, c.Want) << c.What;
        EXPECT_EQ(r.Thickness, c.Thickness) << c.What;
    }
}

TEST(DockArrangement, OneRowAndFixAlign) {
    std::vector<TDockBarLayout> bars(2);
    bars[0].Row = 0, bars[0].Length = 40, bars[0].CrossSize = 5;
    bars[1].Row = 2, bars[1].Pos = 10, bars[1].Length = 40, bars[1].CrossSize = 5;
    TDockArrangeResult r = ArrangeDockBars(bars, 100, true, false, false, 2);
    EXPECT_EQ(bars[1].Row, 0);
    EXPECT_EQ(bars[1].ShownPos, 40);
    // Rows are at least 8 thick, plus 4, plus the bound lines.
    EXPECT_EQ(r.Thickness, 8 + 4 + 2);
    for (auto& b : bars) b.Placed = false;
    EXPECT_EQ(ArrangeDockBars(bars, 100, false, false, true, 2).Thickness, 1);
}

namespace {

// The message of the EInvalidOperation F raises.
template <class F>
std::string InvalidOperation(F f) {
    try {
        f();
    } catch (EInvalidOperation& e) {
        return e.Message;
    }
    return "nothing raised";
}

using DockTest = DockFixture;

}  // namespace

TEST_F(DockTest, DocksRefuseWrongPlacesAndPositionChangesWithBars) {
    TDockX* top = AddDock(dpTop);
    auto* inner = new TDockX(Form);
    EXPECT_EQ(InvalidOperation([&] { inner->SetParent(top); }), "A TDockX control cannot be placed inside a tool window or another TDockX");
    TCustomToolWindowX* bar = AddBar(top, 60, 26);
    EXPECT_EQ(InvalidOperation([&] { inner->SetParent(bar); }), "A TDockX control cannot be placed inside a tool window or another TDockX");
    EXPECT_EQ(InvalidOperation([&] { top->SetPosition(dpLeft); }), "Cannot change Position of a TDockX if it already contains controls");
    auto* panel = new TProbe(Form);
    panel->SetParent(Form);
    auto* other = new TCustomToolWindowX(Form);
    EXPECT_EQ(InvalidOperation([&] { other->SetParent(panel); }), "A tool window can only be placed on a TDockX or directly on the form");
    EXPECT_EQ(top->GetPosition(), dpTop);

    auto* orphan = new TCustomToolWindowX(Form);
    orphan->SetName("Orphan");
    EXPECT_EQ(InvalidOperation([&] { orphan->SetDockedTo(nullptr); }), "Control 'Orphan' has no parent window");
    bar->SetDockedTo(nullptr);
    EXPECT_TRUE(bar->GetFloating());
    EXPECT_EQ(bar->GetFloatingParentForm(), Form);
    // It keeps its place on the dock it came from.
    EXPECT_EQ(bar->GetLastDock(), top);
    EXPECT_EQ(top->GetBars(), std::vector<TCustomToolWindowX*>{bar});
    EXPECT_TRUE(top->GetVisibleBars().empty());
}

TEST_F(DockTest, ADockFollowsItsBarsAndShrinksTowardsItsEdge) {
    uitest::ShowForm(Form);
    TDockX* bottom = AddDock(dpBottom);
    std::vector<std::string> log;
    bottom->OnInsertRemoveBar = [&](TObject*, bool Inserting, TCustomToolWindowX*) { log.push_back(Inserting ? "in" : "out"); };
    TCustomToolWindowX* bar = AddBar(bottom, 60, 26);
    EXPECT_EQ(bottom->GetHeight(), 26);
    Integer clientBottom = Form->GetClientHeight();
    EXPECT_EQ(bottom->GetTop() + bottom->GetHeight(), clientBottom);
    EXPECT_EQ(bar->GetBoundsRect(), Bounds(0, 0, 60, 26));

    bar->SetVisible(false);
    EXPECT_EQ(bottom->GetHeight(), 0);
    EXPECT_EQ(bottom->GetTop(), clientBottom);
    bottom->SetFixAlign(true);
    EXPECT_EQ(bottom->GetHeight(), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"in", "out"}));

    bar->Free();
    EXPECT_TRUE(bottom->GetBars().empty());
}

TEST_F(DockTest, FreeingADockOrAFormClearsTheBarsLinks) {
    uitest::ShowForm(Form);
    TDockX* top = AddDock(dpTop);
    int reports = 0;
    top->OnInsertRemoveBar = [&](TObject*, bool, TCustomToolWindowX*) { ++reports; };
    AddBar(top, 60, 26);
    reports = 0;
    top->Free();
    EXPECT_EQ(reports, 0);

    // A floating bar owned elsewhere outlives its form: it hides and forgets it.
    auto* owner = new TComponent(nullptr);
    auto* other = new TForm(nullptr);
    uitest::ShowForm(other);
    auto* bar = new TCustomToolWindowX(owner);
    bar->SetBounds(0, 0, 80, 40);
    bar->SetParent(other);
    uitest::ProcessEvents();
    EXPECT_TRUE(IsWindowVisible(bar));
    other->Free();
    EXPECT_EQ(bar->GetFloatingParentForm(), nullptr);
    EXPECT_FALSE(IsWindowVisible(bar));
    owner->Free();
}
