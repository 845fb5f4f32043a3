// List boxes, check list boxes and combo boxes: selection rules, events, owner drawing and the
// drop-down list.

#include "framework/tests/window_fixture.h"

#include "framework/list_controls.h"

namespace {

class ListTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        uitest::ShowForm(Form);
    }
    static void Fill(TStrings* s, int n) {
        for (int i = 0; i < n; ++i) s->Add("Item " + std::to_string(i));
    }
    // The centre of an item, in the control's client coordinates.
    static TPoint At(TCustomListBox* l, int i) {
        TRect r = l->ItemRect(i);
        return {r.Left + 10, (r.Top + r.Bottom) / 2};
    }
};

}  // namespace

TEST_F(ListTest, ListBoxClicksAndKeysFireOnClickButCodeDoesNot) {
    auto* list = Add<TListBox>({10, 10, 130, 110});
    Fill(list->GetItems(), 20);
    int clicks = 0;
    list->OnClick = [&](TObject*) { ++clicks; };
    list->SetItemIndex(3);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(list->GetSelCount(), -1);  // single selection
    TPoint p = At(list, 1);
    uitest::Click(list, p.X, p.Y);
    EXPECT_EQ(list->GetItemIndex(), 1);
    uitest::Click(list, p.X, p.Y);  // the same item again clicks again
    EXPECT_EQ(clicks, 2);
    uitest::PressKey(list, VK_DOWN);
    EXPECT_EQ(list->GetItemIndex(), 2);
    uitest::PressKey(list, VK_END);
    EXPECT_EQ(list->GetItemIndex(), 19);
    EXPECT_EQ(clicks, 4);
    // The last item was scrolled into view.
    EXPECT_GT(list->GetTopIndex(), 0);
    TRect last = list->ItemRect(19);
    EXPECT_LE(last.Bottom, list->GetClientHeight());
    EXPECT_TRUE(uitest::ScrollBarVisible(list, SB_VERT));

    // Type-ahead finds the next item starting with the characters.
    list->GetItems()->Add("Zebra");
    uitest::TypeText(list, "z");
    EXPECT_EQ(list->GetItemIndex(), 20);

    // Deleting the selected item leaves none selected.
    list->GetItems()->Delete(20);
    EXPECT_EQ(list->GetItemIndex(), -1);
}

TEST_F(ListTest, ItemAtPosAndTopIndex) {
    auto* list = Add<TListBox>({10, 10, 130, 110});
    Fill(list->GetItems(), 3);
    Integer h = list->GetItemHeight();
    EXPECT_EQ(list->ItemRect(1), (TRect{0, h, list->GetClientWidth(), 2 * h}));
    EXPECT_EQ(list->ItemAtPos({5, h + 1}, true), 1);
    EXPECT_EQ(list->ItemAtPos({5, 5 * h}, true), -1);
    EXPECT_EQ(list->ItemAtPos({5, 5 * h}, false), 3);  // below the items: Count
    EXPECT_EQ(list->ItemAtPos({-5, 5}, false), -1);    // outside the client area
    // An integral height keeps whole items only.
    list->SetIntegralHeight(true);
    EXPECT_EQ(list->GetClientHeight() % h, 0);
    list->SetHeight(list->GetHeight() + h / 2);
    EXPECT_EQ(list->GetClientHeight() % h, 0);
    Fill(list->GetItems(), 30);
    list->SetTopIndex(10);
    EXPECT_EQ(list->ItemAtPos({5, 1}, true), 10);
    uitest::ScrollBarAction(list, SB_VERT, SB_LINEDOWN);
    EXPECT_EQ(list->GetTopIndex(), 11);
}

TEST_F(ListTest, SortedListsInsertInOrder) {
    auto* list = Add<TListBox>({10, 10, 130, 110});
    list->GetItems()->Add("pear");
    list->GetItems()->Add("Apple");
    list->SetSorted(true);
    EXPECT_EQ(list->GetItems()->Get(0), "Apple");
    EXPECT_EQ(list->GetItems()->Add("banana"), 1);
    list->GetItems()->Insert(0, "zz");  // Insert keeps the place asked for
    EXPECT_EQ(list->GetItems()->Get(0), "zz");
}

TEST_F(ListTest, ExtendedAndMultipleSelection) {
    auto* list = Add<TListBox>({10, 10, 130, 210});
    Fill(list->GetItems(), 8);
    list->SetMultiSelect(true);
    auto click = [&](int i, TShiftState s = {}) {
        TPoint p = At(list, i);
        uitest::Click(list, p.X, p.Y, mbLeft, s);
    };
    auto selected = [&] {
        std::string r;
        for (int i = 0; i < list->GetCount(); ++i) r += list->GetSelected(i) ? '1' : '0';
        return r;
    };
    click(1);
    click(4, {ssShift});
    EXPECT_EQ(selected(), "01111000");
    click(6, {ssCtrl});
    EXPECT_EQ(selected(), "01111010");
    EXPECT_EQ(list->GetSelCount(), 5);
    click(2);
    EXPECT_EQ(selected(), "00100000");
    // Plain multiple selection: every click toggles.
    list->SetExtendedSelect(false);
    click(3);
    click(2);
    EXPECT_EQ(selected(), "00010000");
    list->SelectAll();
    EXPECT_EQ(list->GetSelCount(), 8);
    list->DeleteSelected();
    EXPECT_EQ(list->GetCount(), 0);
}

TEST_F(ListTest, OwnerDrawnVariableItemsAreMeasuredAndDrawnWithTheItemsColours) {
    auto* list = Add<TListBox>({10, 10, 130, 110});
    list->SetStyle(lbOwnerDrawVariable);
    list->OnMeasureItem = [](TWinControl*, Integer Index, Integer& Height) { Height = 10 + Index * 5; };
    std::vector<std::pair<Integer, bool>> drawn;
    list->OnDrawItem = [&](TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State) {
        drawn.push_back({Index, State.Contains(odSelected)});
        TCanvas* c = static_cast<TListBox*>(Control)->GetCanvas();
        c->FillRect(Rect);  // the brush is prepared: highlight for the selected item
    };
    Fill(list->GetItems(), 3);
    EXPECT_EQ(list->ItemRect(2), (TRect{0, 25, list->GetClientWidth(), 45}));
    list->SetItemIndex(1);
    uitest::TCapture cap = uitest::Capture(list);
    TRect m = list->GetNonClientMargins();
    EXPECT_EQ(cap.Pixel(m.Left + 20, m.Top + 17), TColor(ColorToRGB(clHighlight)));
    EXPECT_EQ(cap.Pixel(m.Left + 20, m.Top + 5), TColor(ColorToRGB(clWindow)));
    ASSERT_FALSE(drawn.empty());
    EXPECT_TRUE(std::find(drawn.begin(), drawn.end(), std::make_pair(Integer(1), true)) != drawn.end());
}

TEST_F(ListTest, CheckListBoxTogglesOnTheBoxAndWithSpace) {
    auto* list = Add<TCheckListBox>({10, 10, 130, 110});
    Fill(list->GetItems(), 3);
    int checks = 0;
    list->OnClickCheck = [&](TObject*) { ++checks; };
    list->SetChecked(0, true);
    EXPECT_EQ(checks, 0);
    TRect r = list->ItemRect(1);
    uitest::Click(list, r.Left + 5, r.Top + 3);
    EXPECT_TRUE(list->GetChecked(1));
    EXPECT_EQ(list->GetItemIndex(), 1);
    uitest::Click(list, r.Left + 40, r.Top + 3);  // on the text: selects only
    EXPECT_TRUE(list->GetChecked(1));
    uitest::PressKey(list, VK_SPACE);
    EXPECT_FALSE(list->GetChecked(1));
    list->SetItemEnabled(2, false);
    r = list->ItemRect(2);
    uitest::Click(list, r.Left + 5, r.Top + 3);
    EXPECT_FALSE(list->GetChecked(2));
    EXPECT_EQ(checks, 2);
    list->SetAllowGrayed(true);
    uitest::Click(list, list->ItemRect(0).Left + 5, list->ItemRect(0).Top + 3);
    EXPECT_EQ(list->GetState(0), cbUnchecked);
    uitest::Click(list, list->ItemRect(0).Left + 5, list->ItemRect(0).Top + 3);
    EXPECT_EQ(list->GetState(0), cbGrayed);
}

// ---- Combo boxes -----------------------------------------------------------------------------

TEST_F(ListTest, ComboItemIndexInCodeFiresNothingUserSelectionClicksAndSelects) {
    for (TComboBoxStyle style : {csDropDown, csDropDownList}) {
        SCOPED_TRACE(int(style));
        auto* combo = Add<TComboBox>({10, 10, 160, 31});
        combo->SetStyle(style);
        Fill(combo->GetItems(), 5);
        std::vector<std::string> log;
        combo->OnChange = [&](TObject*) { log.push_back("change"); };
        combo->OnClick = [&](TObject*) { log.push_back("click"); };
        combo->OnSelect = [&](TObject*) { log.push_back("select " + combo->GetText()); };
        combo->SetItemIndex(2);
        EXPECT_EQ(combo->GetText(), "Item 2");
        EXPECT_TRUE(log.empty());

        combo->SetFocus();
        uitest::PressKeyOnFocus(VK_DOWN);
        EXPECT_EQ(combo->GetItemIndex(), 3);
        EXPECT_EQ(log, (std::vector<std::string>{"click", "select Item 3"}));
        // Without OnSelect a selection fires OnChange.
        log.clear();
        combo->OnSelect = nullptr;
        uitest::PressKeyOnFocus(VK_UP);
        EXPECT_EQ(log, (std::vector<std::string>{"click", "change"}));
        combo->Free();
    }
}

TEST_F(ListTest, ComboDropDownListSelectsByMouseAndClosesUp) {
    auto* combo = Add<TComboBox>({10, 10, 160, 31});
    combo->SetStyle(csDropDownList);
    Fill(combo->GetItems(), 20);
    std::vector<std::string> log;
    combo->OnDropDown = [&](TObject*) { log.push_back("dropdown"); };
    combo->OnCloseUp = [&](TObject*) { log.push_back("closeup"); };
    combo->OnSelect = [&](TObject*) { log.push_back("select"); };
    uitest::Click(combo, combo->GetClientWidth() - 5, 5);
    ASSERT_TRUE(combo->GetDroppedDown());
    auto* list = static_cast<TWinControl*>(combo->GetListHandle());
    Integer h = combo->GetItemHeight();
    // Eight items show; the list scrolls.
    EXPECT_EQ(list->GetClientHeight(), 8 * h);
    EXPECT_TRUE(uitest::ScrollBarVisible(list, SB_VERT));
    uitest::MouseMove(list, 10, h * 3 + 2);
    uitest::Click(list, 10, h * 3 + 2);
    EXPECT_FALSE(combo->GetDroppedDown());
    EXPECT_EQ(combo->GetItemIndex(), 3);
    EXPECT_EQ(log, (std::vector<std::string>{"dropdown", "closeup", "select"}));

    // A click outside closes the list without selecting.
    log.clear();
    combo->SetDroppedDown(true);
    uitest::Click(Form, 300, 200);
    EXPECT_FALSE(combo->GetDroppedDown());
    EXPECT_EQ(log, (std::vector<std::string>{"dropdown", "closeup"}));

    // Type-ahead picks the next item starting with the typed characters.
    combo->SetFocus();
    uitest::TypeText(combo, "item 1");
    EXPECT_EQ(combo->GetItemIndex(), 10);
}

TEST_F(ListTest, ComboEscapeClosesTheListBeforeTheCancelButtonSeesIt) {
    auto* combo = Add<TComboBox>({10, 10, 160, 31});
    Fill(combo->GetItems(), 3);
    auto* cancel = Add<TButton>({10, 100, 85, 125});
    cancel->SetCancel(true);
    int cancels = 0;
    cancel->OnClick = [&](TObject*) { ++cancels; };
    combo->SetFocus();
    uitest::PressKeyOnFocus(VK_F4);
    EXPECT_TRUE(combo->GetDroppedDown());
    uitest::PressKeyOnFocus(VK_ESCAPE);
    EXPECT_FALSE(combo->GetDroppedDown());
    EXPECT_EQ(cancels, 0);
    uitest::PressKeyOnFocus(VK_ESCAPE);
    EXPECT_EQ(cancels, 1);
}

TEST_F(ListTest, ComboEditTypingFiresOnChangeAndMatchesItems) {
    auto* combo = Add<TComboBox>({10, 10, 160, 31});
    combo->GetItems()->Add("alpha");
    combo->GetItems()->Add("beta");
    int changes = 0;
    combo->OnChange = [&](TObject*) { ++changes; };
    combo->SetText("x");  // in code: no OnChange
    EXPECT_EQ(changes, 0);
    combo->SetFocus();
    combo->SelectAll();
    uitest::TypeText(static_cast<TWinControl*>(combo->GetEditHandle()), "beta");
    EXPECT_EQ(combo->GetText(), "beta");
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(combo->GetItemIndex(), 1);
    combo->SetMaxLength(2);
    combo->SelectAll();
    uitest::TypeText(static_cast<TWinControl*>(combo->GetEditHandle()), "abc");
    EXPECT_EQ(combo->GetText(), "ab");
    EXPECT_EQ(combo->GetItemIndex(), -1);
}

TEST_F(ListTest, OwnerDrawnComboDrawsTheFaceAndTheListItems) {
    auto* combo = Add<TComboBox>({10, 10, 160, 31});
    combo->SetStyle(csOwnerDrawFixed);
    combo->SetItemHeight(20);
    Fill(combo->GetItems(), 3);
    std::vector<std::string> drawn;
    combo->OnDrawItem = [&](TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State) {
        drawn.push_back(std::to_string(Index) + (State.Contains(odComboBoxEdit) ? "e" : "") +
                        (State.Contains(odSelected) ? "s" : ""));
        auto* c = static_cast<TComboBox*>(Control);
        c->GetCanvas()->FillRect(Rect);
    };
    combo->SetItemIndex(1);
    EXPECT_EQ(combo->GetHeight(), 28);
    uitest::Capture(combo);
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), "1e"), drawn.end());
    drawn.clear();
    combo->SetDroppedDown(true);
    uitest::Capture(static_cast<TWinControl*>(combo->GetListHandle()));
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), "0"), drawn.end());
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), "1s"), drawn.end());
    combo->SetDroppedDown(false);
}
