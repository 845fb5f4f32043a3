// Containers and bars: page and tab controls, scroll boxes, splitters, status bars, progress and
// track bars, up-down buttons and spin edits.

#include "framework/tests/window_fixture.h"

#include "framework/comctrls.h"

namespace {

class BarsTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        uitest::ShowForm(Form);
    }
    TTabSheet* AddPage(TPageControl* pc, const std::string& caption) {
        auto* p = new TTabSheet(Form);
        p->SetPageControl(pc);
        p->SetCaption(caption);
        return p;
    }
    static TPoint Centre(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }
};

}  // namespace

TEST_F(BarsTest, PageControlChangesOnlyWhenTheUserChangesAndAVetoKeepsThePage) {
    auto* pc = Add<TPageControl>({10, 10, 310, 210});
    TTabSheet* a = AddPage(pc, "&First");
    TTabSheet* b = AddPage(pc, "Second");
    TTabSheet* c = AddPage(pc, "Third");
    std::vector<std::string> log;
    pc->OnChanging = [&](TObject*, bool& Allow) {
        log.push_back("changing");
        Allow = pc->GetTag() == 0;
    };
    pc->OnChange = [&](TObject*) { log.push_back("change " + pc->GetActivePage()->GetCaption()); };
    b->OnShow = [&](TObject*) { log.push_back("show b"); };
    b->OnHide = [&](TObject*) { log.push_back("hide b"); };

    pc->SetActivePage(a);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(a->GetVisible());
    EXPECT_EQ(a->GetBoundsRect(), pc->DisplayRect());

    TPoint p = Centre(pc->TabRect(1));
    uitest::Click(pc, p.X, p.Y);
    EXPECT_EQ(pc->GetActivePage(), b);
    EXPECT_EQ(log, (std::vector<std::string>{"changing", "show b", "change Second"}));
    EXPECT_FALSE(a->GetVisible());

    // A veto in OnChanging keeps the page.
    log.clear();
    pc->SetTag(1);
    p = Centre(pc->TabRect(2));
    uitest::Click(pc, p.X, p.Y);
    EXPECT_EQ(pc->GetActivePage(), b);
    EXPECT_EQ(pc->GetTabIndex(), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"changing"}));
    pc->SetTag(0);

    // Keys: the arrows on the focused tabs, Ctrl+Tab from anywhere inside.
    log.clear();
    uitest::PressKey(pc, VK_RIGHT);
    EXPECT_EQ(pc->GetActivePage(), c);
    auto* edit = Add<TEdit>({10, 10, 100, 31}, c);
    edit->SetFocus();
    uitest::PressKey(edit, VK_TAB, {ssCtrl});
    EXPECT_EQ(pc->GetActivePage(), a);
    EXPECT_EQ(log, (std::vector<std::string>{"changing", "hide b", "change Third", "changing", "change &First"}));

    // A hidden tab leaves the strip; its page stays.
    b->SetTabVisible(false);
    EXPECT_EQ(pc->GetTabs()->GetCount(), 2);
    EXPECT_EQ(c->GetTabIndex(), 1);
    EXPECT_EQ(pc->GetPageCount(), 3);
    EXPECT_EQ(pc->FindNextPage(a, true, true), c);

    // Freeing the active page activates the next one.
    a->Free();
    EXPECT_EQ(pc->GetActivePage(), c);
}

TEST_F(BarsTest, TabControlGeometryAndOwnerDrawing) {
    auto* tc = Add<TTabControl>({10, 10, 310, 110});
    tc->GetTabs()->Add("One");
    tc->GetTabs()->Add("Two");
    tc->GetTabs()->Add("Three");
    EXPECT_EQ(tc->GetTabIndex(), 0);
    TRect r0 = tc->TabRect(0), r1 = tc->TabRect(1);
    EXPECT_EQ(r0.Right, r1.Left);
    EXPECT_EQ(tc->IndexOfTabAt(Centre(r1).X, Centre(r1).Y), 1);
    EXPECT_EQ(tc->IndexOfTabAt(5, 90), -1);
    EXPECT_GE(tc->DisplayRect().Top, r0.Bottom);

    tc->SetTabPosition(tpBottom);
    EXPECT_GT(tc->TabRect(0).Top, tc->DisplayRect().Bottom);
    tc->SetTabPosition(tpLeft);
    EXPECT_LT(tc->TabRect(0).Right, tc->DisplayRect().Left + 1);
    EXPECT_EQ(tc->TabRect(0).Bottom, tc->TabRect(1).Top);

    std::vector<std::pair<Integer, bool>> drawn;
    tc->SetTabPosition(tpTop);
    tc->SetOwnerDraw(true);
    tc->OnDrawTab = [&](TCustomTabControl*, Integer Index, const TRect&, bool Active) {
        drawn.push_back({Index, Active});
    };
    uitest::Capture(tc);
    EXPECT_EQ(drawn.size(), 3u);
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), std::make_pair(Integer(0), true)), drawn.end());
}

TEST_F(BarsTest, TrackBarFiresOnChangeOnlyWhenThePositionChanges) {
    auto* tb = Add<TTrackBar>({10, 10, 210, 55});
    tb->SetMax(20);
    std::vector<Integer> changes;
    tb->OnChange = [&](TObject*) { changes.push_back(tb->GetPosition()); };
    tb->SetPosition(0);  // its position already: nothing
    EXPECT_TRUE(changes.empty());
    tb->SetPosition(5);
    tb->SetPosition(5);
    tb->SetPosition(99);  // kept within the range
    EXPECT_EQ(changes, (std::vector<Integer>{5, 20}));

    changes.clear();
    tb->SetFocus();
    uitest::PressKey(tb, VK_LEFT);
    uitest::PressKey(tb, VK_NEXT);  // page size 2
    uitest::PressKey(tb, VK_END);   // already at the end after the page: no change
    EXPECT_EQ(changes, (std::vector<Integer>{19, 20}));

    // Dragging the thumb to the far left gives the minimum; a click beside it pages.
    changes.clear();
    TPoint t = Centre(tb->ThumbRect());
    uitest::MouseDown(tb, t.X, t.Y);
    uitest::MouseMove(tb, -50, t.Y);
    uitest::MouseUp(tb, -50, t.Y);
    EXPECT_EQ(tb->GetPosition(), 0);
    uitest::Click(tb, tb->ChannelRect().Right - 2, t.Y);
    EXPECT_EQ(tb->GetPosition(), 2);
}

TEST_F(BarsTest, ProgressBarStepsWrapAndPaintTheirShare) {
    auto* pb = Add<TProgressBar>({10, 10, 110, 26});
    pb->SetSmooth(true);
    pb->SetPosition(150);
    EXPECT_EQ(pb->GetPosition(), 100);
    pb->SetPosition(95);
    pb->StepIt();  // 105 is past the end: it starts again
    EXPECT_EQ(pb->GetPosition(), 5);
    pb->SetPosition(50);
    uitest::TCapture cap = uitest::Capture(pb);
    TRect m = pb->GetNonClientMargins();
    EXPECT_EQ(cap.Pixel(m.Left + 10, m.Top + 5), TColor(ColorToRGB(clHighlight)));
    EXPECT_EQ(cap.Pixel(m.Left + 90, m.Top + 5), TColor(ColorToRGB(clBtnFace)));
}

TEST_F(BarsTest, UpDownDrivesItsAssociate) {
    auto* edit = Add<TEdit>({10, 10, 90, 31});
    auto* ud = Add<TUpDown>({0, 0, 16, 21});
    ud->SetMax(1500);
    ud->SetIncrement(500);
    ud->SetPosition(1000);
    ud->SetAssociate(edit);
    EXPECT_EQ(edit->GetText(), "1,000");
    EXPECT_EQ(ud->GetLeft(), edit->GetLeft() + edit->GetWidth());
    std::vector<std::string> log;
    ud->OnClick = [&](TObject*, TUDBtnType b) { log.push_back(b == btNext ? "next" : "prev"); };
    ud->OnChanging = [&](TObject*, bool& Allow) { Allow = ud->GetTag() == 0; };
    ud->SetPosition(500);  // in code: no click
    EXPECT_TRUE(log.empty());
    uitest::Click(ud, 5, 3);
    EXPECT_EQ(edit->GetText(), "1,000");
    uitest::Click(ud, 5, 3);
    EXPECT_EQ(ud->GetPosition(), 1500);
    uitest::Click(ud, 5, 3);  // at the end: stays, still clicks
    EXPECT_EQ(log, (std::vector<std::string>{"next", "next", "next"}));
    // The associate's own text is read before a step; a veto keeps the position.
    edit->SetText("700");
    ud->SetTag(1);
    uitest::Click(ud, 5, ud->GetHeight() - 3);
    EXPECT_EQ(edit->GetText(), "700");
    ud->SetTag(0);
    edit->SetFocus();
    uitest::PressKey(edit, VK_DOWN);
    EXPECT_EQ(ud->GetPosition(), 200);
    EXPECT_EQ(edit->GetText(), "200");
}

TEST_F(BarsTest, SpinEditStepsWithinItsLimits) {
    auto* spin = Add<TSpinEdit>({10, 10, 90, 31});
    spin->SetMinValue(1);
    spin->SetMaxValue(10);
    int changes = 0;
    spin->OnChange = [&](TObject*) { ++changes; };
    spin->SetValue(20);
    EXPECT_EQ(spin->GetValue(), 10);
    EXPECT_EQ(changes, 1);
    spin->SetFocus();
    uitest::PressKey(spin, VK_DOWN);
    EXPECT_EQ(spin->GetText(), "9");
    TCustomUpDown* b = spin->GetButton();
    uitest::Click(b, 3, 2);
    EXPECT_EQ(spin->GetValue(), 10);
    EXPECT_TRUE(spin->Focused());
    spin->SelectAll();
    uitest::TypeText(spin, "x3");
    EXPECT_EQ(spin->GetText(), "3");
    spin->SetText("abc");
    EXPECT_EQ(spin->GetValue(), 1);
}

TEST_F(BarsTest, SplitterResizesTheControlBeforeIt) {
    Form->SetBorderStyle(bsNone);
    Form->SetClientWidth(400);
    auto* left = Add<TPanel>({0, 0, 100, 100});
    left->SetAlign(alLeft);
    auto* split = Add<TSplitter>({100, 0, 103, 100});
    split->SetLeft(100);
    auto* client = Add<TPanel>({0, 0, 10, 10});
    client->SetAlign(alClient);
    EXPECT_EQ(split->FindControl(), left);
    int moved = 0;
    split->OnMoved = [&](TObject*) { ++moved; };
    split->SetResizeStyle(rsUpdate);
    uitest::MouseDown(split, 1, 10);
    uitest::MouseMove(split, 41, 10);
    EXPECT_EQ(left->GetWidth(), 140);
    uitest::MouseUp(split, 41, 10);
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(split->GetLeft(), 140);
    EXPECT_EQ(client->GetLeft(), 143);

    // The line style applies the size on release; MinSize stops it (or snaps to 0).
    split->SetResizeStyle(rsLine);
    split->SetAutoSnap(false);
    uitest::MouseDown(split, 1, 10);
    uitest::MouseMove(split, -200, 10);
    EXPECT_EQ(left->GetWidth(), 140);
    uitest::MouseUp(split, -200, 10);
    EXPECT_EQ(left->GetWidth(), 30);
    EXPECT_EQ(moved, 2);
}

TEST_F(BarsTest, StatusBarPanels) {
    auto* sb = Add<TStatusBar>({0, 0, 300, 19});
    TStatusPanel* p0 = sb->GetPanels()->Add();
    p0->SetWidth(100);
    p0->SetText("Ready");
    TStatusPanel* p1 = sb->GetPanels()->Add();
    p1->SetStyle(psOwnerDraw);
    EXPECT_EQ(sb->GetTop(), Form->GetClientHeight() - 19);  // aligned to the bottom
    EXPECT_EQ(sb->PanelRect(0).Right, 98);
    EXPECT_EQ(sb->PanelRect(1).Left, 100);
    EXPECT_EQ(sb->PanelRect(1).Right, sb->GetClientWidth());  // the last reaches the end
    int drawn = 0;
    sb->OnDrawPanel = [&](TStatusBar*, TStatusPanel* P, const TRect&) { drawn += P == p1 ? 1 : 100; };
    uitest::Capture(sb);
    EXPECT_EQ(drawn, 1);
    sb->SetSimplePanel(true);
    sb->SetSimpleText("Simple");
    drawn = 0;
    uitest::Capture(sb);
    EXPECT_EQ(drawn, 0);
}

TEST_F(BarsTest, ScrollBoxScrollsItsChildren) {
    auto* box = Add<TScrollBox>({10, 10, 210, 110});
    auto* inner = Add<TPanel>({0, 300, 50, 330}, box);
    uitest::ProcessEvents();
    EXPECT_TRUE(uitest::ScrollBarVisible(box, SB_VERT));
    EXPECT_FALSE(uitest::ScrollBarVisible(box, SB_HORZ));
    EXPECT_EQ(box->GetVertScrollBar()->GetRange(), 330);
    box->GetVertScrollBar()->SetPosition(100);
    EXPECT_EQ(inner->GetTop(), 200);
    box->ScrollInView(inner);
    EXPECT_EQ(inner->GetTop() + inner->GetHeight(), box->GetClientHeight());
    uitest::ScrollBarAction(box, SB_VERT, SB_TOP);
    EXPECT_EQ(inner->GetTop(), 300);
}
