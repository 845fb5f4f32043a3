// The editing host, driven through the input toolkit on a plain tree list: what opens the editor
// (F2, Enter, typing, a second click), what it writes back and when, Esc, the refusals, a masked
// column left with an unfilled position, and the container answers the editor asks for.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/dialog_service.h"
#include "framework/format_settings.h"
#include "framework/forms.h"
#include "framework/std_controls.h"
#include "framework/system_metrics.h"
#include "framework/testing/ui_test.h"
#include "treelist/plain_tree_list.h"

namespace {

class TEditingList : public TgxTreeList {
    LUMORA_CLASS(TEditingList, TgxTreeList)
public:
    using TgxTreeList::TgxTreeList;
    struct Write {
        TgxTreeListNode* Node;
        Integer Column;
        std::string Text;
    };
    std::vector<Write> Writes;
    void SetNodeEditText(TgxTreeListNode* Node, Integer Column, const std::string& Text) override {
        Writes.push_back({Node, Column, Text});
        TgxTreeList::SetNodeEditText(Node, Column, Text);
    }
};

struct EditingHost : testing::Test {
    void SetUp() override {
        uitest::Start();
        saved = FormatSettings;
        FormatSettings = TFormatSettings::English();
        oldClickTime = GetDoubleClickTime();
        SetDoubleClickTime(100);
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 420, 300);
        list = new TEditingList(form);
        list->SetParent(form);
        list->SetBounds(10, 10, 380, 200);
        for (int i = 0; i < 2; ++i) {
            TgxTreeListColumn* column = list->CreateColumn(
                i == 0 ? TgxTreeListColumn::StaticClass() : TgxTreeListMaskColumn::StaticClass(), form);
            column->SetCaption(i == 0 ? "Name" : "Code");
            column->SetWidth(150);
        }
        mask()->SetEditMask("000;0;_");
        TgxTreeListOptions options = list->GetOptions();
        options.Exclude(aoRowSelect);
        list->SetOptions(options);
        for (const char* name : {"alpha", "beta"}) {
            TgxTreeListNode* node = list->Add();
            list->SetNodeString(node, 0, name);
            list->SetNodeString(node, 1, "123");
        }
        list->OnEdited = [this](TObject*, TgxTreeListNode*) { ++edited; };
        uitest::ShowForm(form);
        list->SetFocus();
        list->SetFocusedCell(list->GetItem(0), 0, true);
        uitest::ProcessEvents();
    }
    void TearDown() override {
        form->Free();
        uitest::ProcessEvents();
        SetDoubleClickTime(oldClickTime);
        FormatSettings = saved;
    }
    TgxTreeListMaskColumn* mask() { return static_cast<TgxTreeListMaskColumn*>(list->GetColumn(1)); }
    TgxInplaceEdit* editor() { return list->GetInplaceEditor(); }
    bool open() { return list->GetState() == tsEditing && editor() && editor()->IsShown(); }
    TPoint cellCentre(TgxTreeListNode* Node, Integer Column) {
        const TRect r = list->GetCellRect(Node, Column);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    std::string text(Integer Node, Integer Column) { return list->GetNodeString(list->GetItem(Node), Column); }

    TFormatSettings saved;
    uint32_t oldClickTime = 0;
    TForm* form = nullptr;
    TEditingList* list = nullptr;
    int edited = 0;
};

}  // namespace

TEST_F(EditingHost, F2OpensOverTheCellAndEnterWritesTheTextBackOnce) {
    uitest::PressKey(list, VK_F2);
    ASSERT_TRUE(open());
    EXPECT_EQ(editor()->ClassType(), TgxInplaceTextEdit::StaticClass());
    EXPECT_TRUE(editor()->Focused());
    EXPECT_EQ(editor()->GetText(), "alpha");
    // Without a grid the editor has a single border, one pixel larger than the cell.
    TRect cell = list->GetEditRect(list->GetItem(0), 0);
    EXPECT_EQ(editor()->GetBoundsRect(), (TRect{cell.Left - 1, cell.Top - 1, cell.Right + 1, cell.Bottom + 1}));
    EXPECT_EQ(editor()->GetSelLength(), 5);  // opened with all selected
    uitest::PressKey(editor(), VK_F2);       // F2 in the editor puts the caret at the end
    uitest::TypeText(editor(), "!");
    EXPECT_EQ(editor()->GetText(), "alpha!");
    uitest::PressKey(editor(), VK_RETURN);
    EXPECT_FALSE(open());
    EXPECT_TRUE(list->Focused());
    ASSERT_EQ(list->Writes.size(), 1u);
    EXPECT_EQ(list->Writes[0].Text, "alpha!");
    EXPECT_EQ(list->Writes[0].Node, list->GetItem(0));
    EXPECT_EQ(edited, 1);
    EXPECT_EQ(text(0, 0), "alpha!");
    list->HideEditor();  // not editing: nothing
    EXPECT_EQ(list->Writes.size(), 1u);
}

TEST_F(EditingHost, EscRestoresTheCellAndTypingOpensWithEnterShowEditor) {
    uitest::PressKey(list, VK_F2);
    uitest::TypeText(editor(), "zzz");
    uitest::PressKey(editor(), VK_ESCAPE);
    EXPECT_FALSE(open());
    EXPECT_EQ(text(0, 0), "alpha");

    uitest::TypeText(list, "q");  // without aoEnterShowEditor typing does not edit
    EXPECT_FALSE(open());
    TgxTreeListOptionsEx ex = list->GetOptionsEx();
    ex.Include(aoEnterShowEditor);
    list->SetOptionsEx(ex);
    uitest::TypeText(list, "q");
    uitest::ProcessEvents();
    ASSERT_TRUE(open());
    EXPECT_EQ(editor()->GetText(), "q");  // the typed character replaced the selected text
    uitest::PressKey(editor(), VK_RETURN);
    EXPECT_EQ(text(0, 0), "q");
    uitest::PressKey(list, VK_RETURN);  // Enter opens too
    EXPECT_TRUE(open());
}

TEST_F(EditingHost, RefusalsOpenNothing) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
    } cases[] = {
        {"refused OnEditing",
         [this] { list->OnEditing = [](TObject*, TgxTreeListNode*, bool& Allow) { Allow = false; }; }},
        {"row select",
         [this] {
             TgxTreeListOptions o = list->GetOptions();
             o.Include(aoRowSelect);
             list->SetOptions(o);
         }},
        {"no visible column",
         [this] {
             list->GetColumn(0)->SetVisible(false);
             list->GetColumn(1)->SetVisible(false);
         }},
        {"editing off",
         [this] {
             TgxTreeListOptions o = list->GetOptions();
             o.Exclude(aoEditing);
             list->SetOptions(o);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        c.arrange();
        list->ShowEditor();
        uitest::PressKey(list, VK_F2);
        EXPECT_EQ(list->GetState(), tsNormal);
        EXPECT_FALSE(editor() && editor()->IsShown());
        EXPECT_TRUE(list->Writes.empty());
    }
}

TEST_F(EditingHost, ASecondClickOpensAfterTheDoubleClickTimeAndADoubleClickDoesNot) {
    const TPoint p = cellCentre(list->GetItem(1), 0);
    uitest::Click(list, p.X, p.Y);  // focuses the cell
    EXPECT_EQ(list->GetFocusedNode(), list->GetItem(1));
    uitest::Wait(200);
    EXPECT_FALSE(open());
    uitest::Click(list, p.X, p.Y);  // the focused cell again
    EXPECT_FALSE(open());
    EXPECT_TRUE(uitest::WaitUntil([&] { return open(); }));
    EXPECT_EQ(editor()->GetText(), "beta");
    uitest::PressKey(editor(), VK_ESCAPE);

    uitest::DoubleClick(list, p.X, p.Y);
    uitest::Wait(250);
    EXPECT_FALSE(open());
}

TEST_F(EditingHost, KeysAreDroppedWhileTheFocusedColumnDiffersFromTheEditors) {
    uitest::PressKey(list, VK_F2);
    TgxInplaceEdit* e = editor();
    list->HideEditor();
    list->SetFocusedColumn(1);
    e->SetSelStart(0);
    e->Perform(WM_CHAR, 'x', 0);
    e->Perform(WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(e->GetText(), "alpha");
    list->SetFocusedColumn(0);
    e->Perform(WM_CHAR, 'x', 0);
    EXPECT_EQ(e->GetText(), "xalpha");
}

TEST_F(EditingHost, TheEditColourIsWhatOnGetEditColorSays) {
    list->GetColumn(0)->SetColor(clYellow);
    uitest::PressKey(list, VK_F2);
    EXPECT_EQ(editor()->GetColor(), clYellow);
    uitest::PressKey(editor(), VK_ESCAPE);
    list->OnGetEditColor = [](TObject*, TColor& Color) { Color = clRed; };
    uitest::PressKey(list, VK_F2);
    EXPECT_EQ(editor()->GetColor(), clRed);
}

TEST_F(EditingHost, TabOutOfABadMaskKeepsTheEditorAndItsText) {
    TScriptedDialogs dialogs;
    std::vector<std::string> errors;
    Application->OnException = [&](TObject*, Exception& E) { errors.push_back(E.Message); };
    list->SetFocusedColumn(1);
    uitest::PressKey(list, VK_F2);
    ASSERT_TRUE(open());
    EXPECT_EQ(editor()->ClassType(), TgxInplaceTreeListMaskEdit::StaticClass());
    EXPECT_EQ(editor()->GetText(), "123");
    auto* masked = static_cast<TgxInplaceMaskEdit*>(editor());
    EXPECT_EQ(masked->GetEditMask(), "000;0;_");
    masked->SetCaret(3);
    uitest::PressKey(editor(), VK_BACK);
    EXPECT_EQ(editor()->GetText(), "12_");

    uitest::PressKey(editor(), VK_TAB);
    uitest::ProcessEvents();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Invalid input value.  Use escape key to abandon changes");
    EXPECT_TRUE(open());
    EXPECT_TRUE(editor()->Focused());
    EXPECT_EQ(editor()->GetText(), "12_");
    EXPECT_TRUE(list->Writes.empty());

    uitest::TypeText(editor(), "9");
    uitest::PressKey(editor(), VK_TAB);
    EXPECT_FALSE(open());
    EXPECT_EQ(text(0, 1), "129");
    EXPECT_EQ(errors.size(), 1u);

    // Esc gives the entry text back; closing by the host keeps the cell's value.
    uitest::PressKey(list, VK_F2);
    masked->SetCaret(0);
    uitest::PressKey(editor(), VK_DELETE);
    uitest::PressKey(editor(), VK_ESCAPE);
    EXPECT_EQ(text(0, 1), "129");
    uitest::PressKey(list, VK_F2);
    masked->SetCaret(0);
    uitest::PressKey(editor(), VK_DELETE);
    list->Add();  // a new node closes the editor without asking
    EXPECT_FALSE(open());
    EXPECT_EQ(text(0, 1), "129");
    Application->OnException = nullptr;
}

TEST_F(EditingHost, LeavingTheListClosesTheEditorWritingItsText) {
    auto* other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 230, 100, 24);
    uitest::PressKey(list, VK_F2);
    ASSERT_TRUE(open());
    uitest::Click(other, 5, 5);
    EXPECT_TRUE(other->Focused());
    EXPECT_FALSE(open());  // leaving the list closes the editor
    EXPECT_EQ(list->Writes.size(), 1u);
}
