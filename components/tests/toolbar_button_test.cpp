// The toolbar button: its layout and images, groups, the drop-down parts, auto-repeat and the
// hooks it shares with the bars.

#include "components/toolbar_button.h"

#include "components/tests/dock_fixture.h"
#include "framework/exceptions.h"

TEST(ToolbarButtonLayout, GlyphCaptionAndArrowByLayoutMarginAndSpacing) {
    struct Case {
        const char* Name;
        TRect Content;
        TPoint Glyph, Caption, Arrow;
        TButtonLayout Layout;
        Integer Margin, Spacing;
        TPoint GlyphPos, CaptionPos, ArrowPos;
    };
    const Case cases[] = {
        {"glyph alone, centred", {0, 0, 40, 22}, {16, 16}, {}, {}, blGlyphLeft, -1, 4, {12, 3}, {28, 11}, {29, 11}},
        {"glyph left of the caption", {0, 0, 60, 22}, {16, 16}, {20, 13}, {}, blGlyphLeft, -1, 4, {10, 3}, {30, 5},
         {51, 11}},
        {"right with the arrow", {0, 0, 60, 22}, {16, 16}, {20, 13}, {9, 3}, blGlyphRight, -1, 4, {29, 3}, {5, 5},
         {46, 9}},
        {"top, spread evenly", {0, 0, 40, 40}, {16, 16}, {20, 13}, {}, blGlyphTop, -1, -1, {12, 3}, {10, 22}, {29, 11}},
        {"bottom at a margin", {2, 2, 42, 42}, {16, 16}, {20, 13}, {}, blGlyphBottom, 2, 4, {14, 24}, {12, 7}, {31, 32}},
        {"top without a glyph acts as left", {0, 0, 40, 22}, {}, {20, 13}, {}, blGlyphTop, -1, 4, {10, 11}, {10, 5},
         {31, 11}},
    };
    for (const Case& c : cases) {
        TPoint caption = c.Caption;
        TButtonContentLayout l = LayoutButtonContent(c.Content, c.Glyph, c.Arrow, [&](Integer) { return caption; },
                                                     c.Layout, c.Margin, c.Spacing, false);
        EXPECT_EQ(l.GlyphPos, c.GlyphPos) << c.Name;
        EXPECT_EQ(l.CaptionRect.TopLeft(), c.CaptionPos) << c.Name;
        EXPECT_EQ(l.ArrowPos, c.ArrowPos) << c.Name;
    }
}

TEST(ToolbarButtonImages, GlyphCountsAndTheDisabledLook) {
    EXPECT_EQ(GlyphCountOf(64, 16), 4);
    EXPECT_EQ(GlyphCountOf(96, 16), 1);
    EXPECT_EQ(GlyphCountOf(80, 16), 5);
    EXPECT_EQ(GlyphCountOf(20, 16), 1);
    EXPECT_EQ(GlyphCountOf(0, 0), 1);

    const TColor T = clFuchsia, W = clWhite, S = clSilver, K = clBlack, R = clRed;
    // The shape: black at (1, 1) and red at (2, 2); white, silver and the transparent colour are not.
    const std::vector<TColor> glyph{T, T, T, T,  //
                                    T, K, W, T,  //
                                    T, S, R, T,  //
                                    T, T, T, T};
    const TColor F = 1, H = 2, D = 3;  // face, highlight, shadow
    std::vector<TColor> want{F, F, F, F, F,  //
                             F, D, F, F, F,  //
                             F, F, D, F, F,  //
                             F, F, F, H, F,  //
                             F, F, F, F, F};
    EXPECT_EQ(DisabledImagePixels(glyph, 4, 4, T, nullptr, F, H, D), want);
    // With a mask only what lies inside it counts.
    std::vector<bool> mask(16, false);
    mask[2 * 4 + 2] = true;
    mask[0] = true;
    want = {D, F, F, F, F,  //
            F, H, F, F, F,  //
            F, F, D, F, F,  //
            F, F, F, H, F,  //
            F, F, F, F, F};
    EXPECT_EQ(DisabledImagePixels(glyph, 4, 4, T, &mask, F, H, D), want);
}

namespace {

class ToolbarButtonTest : public DockFixture {
protected:
    TToolbarButtonX* AddButton(Integer X, Integer W = 40) {
        auto* b = new TToolbarButtonX(Form);
        b->SetParent(Form);
        b->SetBounds(X, 10, W, 22);
        return b;
    }
    static void FillGlyph(TBitmap& B, Integer W, Integer H) {
        B.SetSize(W, H);
        B.GetCanvas()->GetBrush()->SetColor(clNavy);
        B.GetCanvas()->FillRect({0, 0, W, H});
        B.GetCanvas()->SetPixels(0, H - 1, clFuchsia);
    }
};

}  // namespace

TEST_F(ToolbarButtonTest, GroupsKeepOneButtonDown) {
    uitest::ShowForm(Form);
    TToolbarButtonX* a = AddButton(10);
    TToolbarButtonX* b = AddButton(60);
    a->SetDown(true);
    EXPECT_FALSE(a->GetDown()) << "no group";
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    uitest::Click(a, 5, 5);
    EXPECT_TRUE(a->GetDown());
    EXPECT_EQ(a->GetState(), tbsExclusive);
    // Clicking the down one keeps it down; the other takes it over.
    uitest::Click(a, 5, 5);
    EXPECT_TRUE(a->GetDown());
    uitest::Click(b, 5, 5);
    EXPECT_TRUE(b->GetDown());
    EXPECT_FALSE(a->GetDown());
    // With AllowAllUp the down one comes up again.
    b->SetAllowAllUp(true);
    EXPECT_TRUE(a->GetAllowAllUp());
    uitest::Click(b, 5, 5);
    EXPECT_FALSE(b->GetDown());
    EXPECT_FALSE(a->GetDown());
}

TEST_F(ToolbarButtonTest, OnlyTheArrowPartOfAComboButtonOpensItsMenu) {
    uitest::ShowForm(Form);
    TToolbarButtonX* b = AddButton(10);
    auto* menu = new TPopupMenu(Form);
    b->SetDropdownMenu(menu);
    b->SetDropdownCombo(true);
    EXPECT_EQ(b->GetWidth(), 40 + 9 + 2);
    b->SetBounds(10, 10, 40, 22);
    std::vector<std::string> log;
    b->OnClick = [&](TObject*) { log.push_back("click"); };
    b->OnDropdown = [&](TObject*, bool& ShowMenu, bool&) {
        log.push_back("dropdown");
        ShowMenu = false;
    };
    uitest::Click(b, 29, 5);
    EXPECT_EQ(log, (std::vector<std::string>{"dropdown"}));
    log.clear();
    uitest::Click(b, 28, 5);
    EXPECT_EQ(log, (std::vector<std::string>{"click"}));
}

TEST_F(ToolbarButtonTest, ASecondClickOnAnOpenDropDownOnlyClosesIt) {
    uitest::ShowForm(Form);
    TToolbarButtonX* b = AddButton(10);
    auto* menu = new TPopupMenu(Form);
    auto* item = new TMenuItem(menu);
    item->SetCaption("One");
    menu->GetItems()->Add(item);
    b->SetDropdownMenu(menu);
    int drops = 0, clicks = 0;
    b->OnDropdown = [&](TObject*, bool&, bool&) { ++drops; };
    b->OnClick = [&](TObject*) { ++clicks; };
    bool wasOpen = false;
    uitest::WhenMenuOpens([&] {
        wasOpen = uitest::MenuOpen();
        uitest::Click(b, 5, 5);
    });
    uitest::Click(b, 5, 5);
    uitest::IdleTurns(3);
    EXPECT_TRUE(wasOpen);
    EXPECT_FALSE(uitest::MenuOpen());
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ToolbarButtonTest, ARepeatingButtonRepeatsWhileHeldInside) {
    uitest::ShowForm(Form);
    TToolbarButtonX* b = AddButton(10);
    b->SetRepeating(true);
    b->SetRepeatDelay(60);
    b->SetRepeatInterval(20);
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    uitest::MouseDown(b, 5, 5);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(uitest::WaitUntil([&] { return clicks >= 3; }));
    uitest::MouseMove(b, 100, 5);
    int paused = clicks;
    uitest::Wait(100);
    EXPECT_LE(clicks, paused + 1);
    paused = clicks;
    uitest::MouseMove(b, 5, 5);
    EXPECT_TRUE(uitest::WaitUntil([&] { return clicks >= paused + 2; }));
    uitest::MouseUp(b, 5, 5);
    int done = clicks;
    uitest::Wait(80);
    EXPECT_EQ(clicks, done);
}

TEST_F(ToolbarButtonTest, TheFirstButtonInstallsItsHooksAndTheLastRemovesThem) {
    ASSERT_FALSE(HookInstalled(0));
    ASSERT_FALSE(HookInstalled(2));
    TToolbarButtonX* a = AddButton(10);
    EXPECT_TRUE(HookInstalled(0));
    EXPECT_TRUE(HookInstalled(2));
    TToolbarButtonX* b = AddButton(60);
    auto* bar = new TCustomToolWindowX(Form);
    a->Free();
    EXPECT_TRUE(HookInstalled(2));
    b->Free();
    // The tool window still needs the sent messages.
    EXPECT_TRUE(HookInstalled(0));
    EXPECT_FALSE(HookInstalled(2));
    bar->Free();
    EXPECT_FALSE(HookInstalled(0));
}

TEST_F(ToolbarButtonTest, GlyphsSetTheirCountAndShareRenderedImagesPerSize) {
    uitest::ShowForm(Form);
    TBitmap strip;
    FillGlyph(strip, 64, 16);
    TToolbarButtonX* a = AddButton(10);
    a->SetGlyph(&strip);
    EXPECT_EQ(a->GetNumGlyphs(), 4);
    FillGlyph(strip, 96, 16);
    a->SetGlyph(&strip);
    EXPECT_EQ(a->GetNumGlyphs(), 1);
    FillGlyph(strip, 16, 16);
    a->SetGlyph(&strip);
    TToolbarButtonX* b = AddButton(60);
    b->SetGlyph(&strip);
    ASSERT_EQ(GlyphListCount(), 0);
    uitest::Capture(Form);
    EXPECT_EQ(GlyphListCount(), 1);
    // A disabled glyph is one larger each way: a list of its own.
    b->SetEnabled(false);
    uitest::Capture(Form);
    EXPECT_EQ(GlyphListCount(), 2);
    a->Free();
    b->Free();
    EXPECT_EQ(GlyphListCount(), 0);

    TGlyphList list(16, 16);
    TBitmap small;
    FillGlyph(small, 8, 8);
    try {
        list.Add(&small, clFuchsia);
        FAIL() << "added";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Invalid image size");
    }
}

TEST_F(ToolbarButtonTest, AnActionsCheckedIsTheDownOfItsGroupedButton) {
    TToolbarButtonX* b = AddButton(10);
    b->SetGroupIndex(3);
    b->SetAllowAllUp(true);
    auto* action = new TAction(Form);
    action->SetChecked(true);
    action->SetImageIndex(2);
    b->SetAction(action);
    EXPECT_TRUE(b->GetDown());
    EXPECT_EQ(b->GetImageIndex(), 2);
    action->SetChecked(false);
    EXPECT_FALSE(b->GetDown());
    action->SetChecked(true);
    EXPECT_TRUE(b->GetDown());
}
