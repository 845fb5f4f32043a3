// The tree list as a window: its frame in both looks, its dialog codes and its messages.

#include "framework/forms.h"
#include "framework/messages.h"
#include "framework/system_metrics.h"
#include "framework/testing/ui_test.h"
#include "tree_list_fixture.h"

namespace {

class TTabbingTreeList : public TTestTreeList {
    LUMORA_CLASS(TTabbingTreeList, TTestTreeList)
public:
    using TTestTreeList::TTestTreeList;
    bool Tabs = false;
    bool Keep = false;
    bool WantTabs() override { return Tabs; }
    bool KeepScrollBars() override { return Keep; }
};

struct TreeListWindow : testing::Test {
    void SetUp() override {
        uitest::Start();
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 400, 300);
        List = new TTabbingTreeList(Form);
        List->SetParent(Form);
        List->SetBounds(10, 10, 200, 120);
    }
    void TearDown() override {
        Form->Free();
        uitest::ProcessEvents();
    }
    TForm* Form = nullptr;
    TTabbingTreeList* List = nullptr;
};

struct FrameCase {
    TgxLookAndFeel look;
    TBorderStyle border;
    bool ctl3D;
    Integer margin;
};

void PrintTo(const FrameCase& c, std::ostream* os) {
    *os << (c.look == lfFlat ? "flat" : "standard") << (c.border == bsSingle ? " bordered" : " borderless")
        << (c.ctl3D ? " 3-D" : "");
}

class TreeListFrame : public TreeListWindow, public testing::WithParamInterface<FrameCase> {};

}  // namespace

TEST_P(TreeListFrame, MarginsFollowLookAndBorder) {
    const FrameCase c = GetParam();
    List->SetCtl3D(c.ctl3D);
    List->SetLookAndFeel(c.look);
    List->SetBorderStyle(c.border);
    uitest::ShowForm(Form);
    EXPECT_EQ(List->GetNonClientMargins(), (TRect{c.margin, c.margin, c.margin, c.margin}));
}

INSTANTIATE_TEST_SUITE_P(Looks, TreeListFrame,
                         testing::Values(FrameCase{lfStandard, bsSingle, true, 2},   // 3-D client edge
                                         FrameCase{lfStandard, bsSingle, false, 1},  // plain window border
                                         FrameCase{lfStandard, bsNone, true, 0},
                                         FrameCase{lfFlat, bsSingle, true, 1},       // the flat frame
                                         FrameCase{lfFlat, bsNone, true, 0}));

TEST_F(TreeListWindow, FlatFrameAndTheCornerBetweenTwoScrollBars) {
    List->SetLookAndFeel(lfFlat);
    uitest::ShowForm(Form);
    uitest::TCapture cap = uitest::Capture(List);
    ASSERT_EQ(cap.Width, 200);
    // A sunken outer edge: shadow at the top and left, highlight at the bottom and right.
    EXPECT_EQ(cap.Pixel(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(cap.Pixel(100, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(cap.Pixel(0, 60), ColorToRGB(clBtnShadow));
    EXPECT_EQ(cap.Pixel(199, 60), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(cap.Pixel(100, 119), ColorToRGB(clBtnHighlight));

    // Bars the list neither manages nor removes.
    List->SetScrollBars(ssNone);
    List->Keep = true;
    ShowScrollBar(List, SB_HORZ, true);
    ShowScrollBar(List, SB_VERT, true);
    uitest::ProcessEvents();
    cap = uitest::Capture(List);
    EXPECT_EQ(cap.Pixel(198 - GetSystemMetrics(SM_CXVSCROLL) / 2, 118 - GetSystemMetrics(SM_CYHSCROLL) / 2),
              ColorToRGB(clBtnFace));
    EXPECT_EQ(cap.Pixel(199, 119), ColorToRGB(clBtnHighlight));
}

struct DlgCodeCase {
    const char* what;
    TgxTreeListOptions options;
    TgxTreeListOptionsEx optionsEx;
    bool tabs;
    LRESULT code;
};

class TreeListDlgCode : public testing::TestWithParam<DlgCodeCase> {};

void PrintTo(const DlgCodeCase& c, std::ostream* os) {
    *os << c.what;
}

TEST_P(TreeListDlgCode, AsksForTheKeysItUses) {
    const DlgCodeCase c = GetParam();
    Owned<TTabbingTreeList> list(new TTabbingTreeList);
    list->SetOptions(c.options);
    list->SetOptionsEx(c.optionsEx);
    list->Tabs = c.tabs;
    EXPECT_EQ(list->Perform(WM_GETDLGCODE), c.code);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TreeListDlgCode,
    testing::Values(DlgCodeCase{"row select only arrows", {aoRowSelect, aoEditing}, {}, false, DLGC_WANTARROWS},
                    DlgCodeCase{"row select with tabs", {aoRowSelect}, {}, true, DLGC_WANTARROWS | DLGC_WANTTAB},
                    DlgCodeCase{"editing cells", {aoEditing}, {}, false, DLGC_WANTARROWS | DLGC_WANTCHARS},
                    DlgCodeCase{"nothing to type", {}, {}, false, DLGC_WANTARROWS},
                    DlgCodeCase{"search on typing", {}, {aoAutoSearch}, false, DLGC_WANTARROWS | DLGC_WANTCHARS},
                    DlgCodeCase{"all", {aoEditing}, {}, true, DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS}));

TEST_F(TreeListWindow, MessagesTheLayoutListensTo) {
    EXPECT_EQ(List->Perform(WM_ERASEBKGND), 1);
    int layouts = List->Layouts;
    List->SetColor(clRed);
    EXPECT_EQ(List->Layouts, layouts + 1);
    layouts = List->Layouts;
    List->GetFont()->SetSize(15);
    EXPECT_EQ(List->Layouts, layouts + 1);

    // A parent font reaches the band, header and preview fonts without clearing ParentFont.
    Form->GetFont()->SetSize(17);
    List->SetParentFont(true);
    EXPECT_TRUE(List->GetParentFont());
    EXPECT_EQ(List->GetHeaderFont()->GetSize(), 17);
    EXPECT_EQ(List->GetPreviewFont()->GetSize(), 17);
    EXPECT_EQ(List->GetPreviewFont()->GetColor(), clBlue);
}
