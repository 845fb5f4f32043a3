// Static and button controls: the event rules of check boxes, radio buttons and groups, push,
// bitmap and speed buttons, label sizing and accelerators, images and panels.

#include "framework/tests/window_fixture.h"

#include "framework/std_controls.h"

namespace {

class StdTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        uitest::ShowForm(Form);
    }
};

}  // namespace

TEST_F(StdTest, CheckBoxFiresOnClickWhenCheckedInCodeAndWhenClicked) {
    auto* box = Add<TCheckBox>({10, 10, 110, 27});
    box->SetCaption("&Option");
    std::vector<TCheckBoxState> seen;
    box->OnClick = [&](TObject*) { seen.push_back(box->GetState()); };
    box->SetChecked(true);
    box->SetChecked(true);  // no change, no click
    box->SetChecked(false);
    EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbChecked, cbUnchecked}));

    // The user's clicks cycle through grayed when it is allowed.
    seen.clear();
    box->SetAllowGrayed(true);
    uitest::Click(box, 5, 8);
    uitest::Click(box, 5, 8);
    uitest::Click(box, 5, 8);
    EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbGrayed, cbChecked, cbUnchecked}));
    EXPECT_TRUE(box->Focused());

    // A press that leaves the box before the release does nothing; Space and the accelerator
    // toggle it.
    seen.clear();
    uitest::MouseDown(box, 5, 8);
    uitest::MouseMove(box, 300, 8);
    uitest::MouseUp(box, 300, 8);
    EXPECT_TRUE(seen.empty());
    box->SetAllowGrayed(false);
    uitest::PressKey(box, VK_SPACE);
    uitest::PressKey(box, 'O', {ssAlt});
    EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbChecked, cbUnchecked}));
}

TEST_F(StdTest, RadioButtonsOfOneParentExcludeEachOther) {
    auto* a = Add<TRadioButton>({10, 10, 110, 27});
    auto* b = Add<TRadioButton>({10, 30, 110, 47});
    int clicksA = 0, clicksB = 0;
    a->OnClick = [&](TObject*) { ++clicksA; };
    b->OnClick = [&](TObject*) { ++clicksB; };
    a->SetChecked(true);
    uitest::Click(b, 5, 8);
    EXPECT_FALSE(a->GetChecked());
    EXPECT_TRUE(b->GetChecked());
    EXPECT_EQ(clicksA, 1);  // only becoming checked clicks
    EXPECT_EQ(clicksB, 1);
    EXPECT_TRUE(b->GetTabStop());
    EXPECT_FALSE(a->GetTabStop());
}

TEST_F(StdTest, RadioGroupItemIndexInCodeOrByTheUserFiresOnClick) {
    auto* group = Add<TRadioGroup>({10, 10, 210, 110});
    group->SetCaption("Size");
    group->GetItems()->Add("Small");
    group->GetItems()->Add("Medium");
    group->GetItems()->Add("Large");
    ASSERT_EQ(group->GetButtonCount(), 3);
    std::vector<Integer> clicks;
    group->OnClick = [&](TObject*) { clicks.push_back(group->GetItemIndex()); };
    group->SetItemIndex(1);
    EXPECT_EQ(clicks, (std::vector<Integer>{1}));
    EXPECT_TRUE(group->GetButton(1)->GetChecked());

    TRadioButton* large = group->GetButton(2);
    uitest::Click(large, 5, 5);
    EXPECT_EQ(group->GetItemIndex(), 2);
    EXPECT_FALSE(group->GetButton(1)->GetChecked());
    // Up moves to the previous button and checks it.
    uitest::PressKey(large, VK_UP);
    EXPECT_EQ(group->GetItemIndex(), 1);
    EXPECT_EQ(clicks, (std::vector<Integer>{1, 2, 1}));

    // Buttons are laid out top to bottom in the columns.
    group->SetColumns(2);
    EXPECT_EQ(group->GetButton(0)->GetLeft(), group->GetButton(1)->GetLeft());
    EXPECT_GT(group->GetButton(2)->GetLeft(), group->GetButton(0)->GetLeft());
    group->GetItems()->Delete(2);
    EXPECT_EQ(group->GetButtonCount(), 2);
}

TEST_F(StdTest, ButtonsSetModalResultAndAnswerEnterEscapeAndAccelerators) {
    auto* ok = Add<TButton>({10, 10, 85, 35});
    ok->SetCaption("&Apply");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    auto* cancel = Add<TButton>({100, 10, 175, 35});
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    auto* other = Add<TButton>({190, 10, 265, 35});
    auto* box = Add<TCheckBox>({10, 50, 110, 67});
    std::vector<std::string> log;
    ok->OnClick = [&](TObject*) { log.push_back("ok"); };
    cancel->OnClick = [&](TObject*) { log.push_back("cancel"); };
    other->OnClick = [&](TObject*) { log.push_back("other"); };

    box->SetFocus();
    uitest::PressKey(box, VK_RETURN);
    EXPECT_EQ(Form->GetModalResult(), mrOk);
    uitest::PressKey(box, VK_ESCAPE);
    EXPECT_EQ(Form->GetModalResult(), mrCancel);
    // A focused button takes Enter from the default button.
    other->SetFocus();
    uitest::PressKey(other, VK_RETURN);
    EXPECT_EQ(Form->GetModalResult(), mrNone);
    uitest::PressKey(other, VK_SPACE);
    uitest::PressKey(other, 'A', {ssAlt});
    uitest::Click(cancel, 5, 5);
    EXPECT_EQ(log, (std::vector<std::string>{"ok", "cancel", "other", "other", "ok", "cancel"}));
}

TEST_F(StdTest, BitBtnKindsSetTheirPartsAndCloseClosesWithoutClick) {
    auto* b = Add<TBitBtn>({10, 10, 85, 35});
    b->SetKind(bkYes);
    EXPECT_EQ(b->GetCaption(), "&Yes");
    EXPECT_EQ(b->GetModalResult(), mrYes);
    EXPECT_TRUE(b->GetDefault());
    EXPECT_FALSE(b->GetGlyph()->GetEmpty());
    auto* close = Add<TBitBtn>({100, 10, 175, 35});
    close->SetKind(bkClose);
    int clicks = 0;
    close->OnClick = [&](TObject*) { ++clicks; };
    uitest::Click(close, 5, 5);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(Form->GetVisible());
}

TEST_F(StdTest, SpeedButtonGroupsAndDown) {
    auto* a = Add<TSpeedButton>({10, 10, 33, 32});
    auto* b = Add<TSpeedButton>({40, 10, 63, 32});
    auto* plain = Add<TSpeedButton>({70, 10, 93, 32});
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    int clicks = 0;
    a->OnClick = b->OnClick = plain->OnClick = [&](TObject*) { ++clicks; };
    a->SetDown(true);
    EXPECT_EQ(clicks, 0);  // Down in code does not click
    uitest::Click(b, 5, 5);
    EXPECT_TRUE(b->GetDown());
    EXPECT_FALSE(a->GetDown());
    uitest::Click(b, 5, 5);  // stays down without AllowAllUp
    EXPECT_TRUE(b->GetDown());
    a->SetAllowAllUp(true);  // shared by the group
    uitest::Click(b, 5, 5);
    EXPECT_FALSE(b->GetDown());
    plain->SetDown(true);  // no group: never down
    EXPECT_FALSE(plain->GetDown());
    uitest::Click(plain, 5, 5);
    EXPECT_EQ(clicks, 4);
}

TEST_F(StdTest, LabelSizesToItsCaptionAndFocusesItsControl) {
    auto* label = Add<TLabel>({10, 10, 75, 27});
    label->SetCaption("&Name:");
    Integer w = label->GetWidth();
    EXPECT_GT(w, 10);
    label->SetCaption("&Name: longer");
    EXPECT_GT(label->GetWidth(), w);
    // Right-aligned labels keep their right edge.
    label->SetAlignment(taRightJustify);
    Integer right = label->GetLeft() + label->GetWidth();
    label->SetCaption("&N");
    EXPECT_EQ(label->GetLeft() + label->GetWidth(), right);

    auto* target = Add<TCheckBox>({10, 40, 110, 57});
    auto* first = Add<TCheckBox>({10, 70, 110, 87});
    first->SetFocus();
    label->SetFocusControl(target);
    uitest::PressKey(first, 'N', {ssAlt});
    EXPECT_TRUE(target->Focused());
    target->Free();
    EXPECT_EQ(label->GetFocusControl(), nullptr);
}

TEST_F(StdTest, ImageRepaintsWhenItsPictureChanges) {
    auto* image = Add<TImage>({10, 10, 50, 50});
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(20, 20);
    bmp.GetCanvas()->GetBrush()->SetColor(clRed);
    bmp.GetCanvas()->FillRect({0, 0, 20, 20});
    image->GetPicture()->SetGraphic(&bmp);
    EXPECT_EQ(uitest::Capture(image).Pixel(5, 5), clRed);
    // Drawing on the image's canvas shows too.
    image->GetCanvas()->GetBrush()->SetColor(clLime);
    image->GetCanvas()->FillRect({0, 0, 10, 10});
    EXPECT_EQ(uitest::Capture(image).Pixel(5, 5), clLime);

    struct Case {
        bool Stretch, Center, Proportional;
        TRect Dest;
    };
    const Case cases[] = {
        {false, false, false, {0, 0, 20, 20}},
        {false, true, false, {10, 10, 30, 30}},
        {true, false, false, {0, 0, 40, 40}},
    };
    for (const Case& c : cases) {
        image->SetStretch(c.Stretch);
        image->SetCenter(c.Center);
        image->SetProportional(c.Proportional);
        EXPECT_EQ(image->DestRect(), c.Dest);
    }
    image->SetStretch(true);
    EXPECT_EQ(uitest::Capture(image).Pixel(35, 35), clRed);

    TIcon icon;
    image->GetPicture()->SetGraphic(&icon);
    EXPECT_THROW(image->GetCanvas(), EInvalidOperation);
}

TEST_F(StdTest, PanelPlacesAlignedChildrenInsideItsBevelsAndBorder) {
    auto* panel = Add<TPanel>({10, 10, 210, 110});
    panel->SetBevelInner(bvLowered);
    panel->SetBevelWidth(2);
    panel->SetBorderWidth(3);
    auto* child = Add<TPanel>({0, 0, 10, 10}, panel);
    child->SetAlign(alClient);
    EXPECT_EQ(child->GetBoundsRect(), (TRect{7, 7, 193, 93}));
    panel->SetCaption("Caption");
    EXPECT_EQ(panel->GetCaption(), "Caption");
    // The outer bevel is raised: highlight on the top left.
    EXPECT_EQ(uitest::Capture(panel).Pixel(0, 0), TColor(ColorToRGB(clBtnHighlight)));
}
