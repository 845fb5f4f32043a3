// A modal dialog with one of every standard control, driven by the test toolkit while the dialog
// script holds it open, and closed by its own default button.

#include <gtest/gtest.h>

#include "framework/dialog_service.h"
#include "framework/testing/control_gallery.h"
#include "framework/testing/ui_test.h"

TEST(ControlGallery, AModalDialogWithEveryControlIsDrivenAndClosedByItsDefaultButton) {
    uitest::Start();
    auto* g = new TControlGallery(nullptr);
    std::vector<std::string> changes;
    g->Kind->OnChange = [&](TObject*) { changes.push_back("kind"); };
    g->Quality->OnChange = [&](TObject*) { changes.push_back("quality"); };
    g->Pages->OnChange = [&](TObject*) { changes.push_back("page"); };
    g->Tree->OnChange = [&](TObject*, TTreeNode*) { changes.push_back("tree"); };

    TScriptedDialogs dialogs;
    // The script's own answer would be Cancel: the dialog's OK button must close it.
    dialogs.AnswerForm(mrCancel, [&](TCustomForm* f) {
        ASSERT_EQ(f, g);
        EXPECT_TRUE(g->NameEdit->Focused());
        g->NameEdit->SelectAll();
        uitest::TypeText(g->NameEdit, "Coast");
        uitest::PressKeyOnFocus('O', {ssAlt});  // the Notes label's accelerator
        EXPECT_TRUE(g->Notes->Focused());
        uitest::PressKeyOnFocus(VK_END, {ssCtrl});
        uitest::TypeText(g->Notes, "Third");  // the lines end with a break already
        uitest::Click(g->Recursive, 5, 8);
        uitest::Click(g->SortGroup->GetButton(2), 5, 5);
        g->Kind->SetFocus();
        uitest::PressKeyOnFocus(VK_F4);
        uitest::PressKeyOnFocus(VK_DOWN);
        uitest::PressKeyOnFocus(VK_RETURN);  // closes the list, not the dialog
        EXPECT_FALSE(g->Kind->GetDroppedDown());
        TRect r = g->Files->ItemRect(5);
        uitest::Click(g->Files, r.Left + 5, r.Top + 3);
        r = g->Tree->GetItems()->GetFirstNode()->GetItem(1)->DisplayRect(true);
        uitest::Click(g->Tree, r.Left + 3, r.Top + 3);
        r = g->Grid->CellRect(2, 3);
        uitest::Click(g->Grid, r.Left + 3, r.Top + 3);
        r = g->Pages->TabRect(1);
        uitest::Click(g->Pages, r.Left + 5, r.Top + 5);
        g->Quality->SetFocus();
        uitest::PressKeyOnFocus(VK_NEXT);
        uitest::Click(g->Italic, 5, 5);
        g->NameEdit->SetFocus();
        uitest::PressKeyOnFocus(VK_RETURN);  // the default button
    });
    TModalResult result = g->ShowModal();
    EXPECT_EQ(result, mrOk);
    ASSERT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(dialogs.Requests()[0].Kind, dkForm);
    EXPECT_FALSE(g->GetVisible());

    EXPECT_EQ(g->NameEdit->GetText(), "Coast");
    EXPECT_TRUE(g->NameEdit->GetModified());
    EXPECT_EQ(g->Notes->GetLines()->GetCount(), 3);
    EXPECT_EQ(g->Notes->GetLines()->Get(2), "Third");
    EXPECT_FALSE(g->Recursive->GetChecked());
    EXPECT_EQ(g->SortGroup->GetItemIndex(), 2);
    EXPECT_EQ(g->Kind->GetText(), "PNG image");
    EXPECT_EQ(g->Files->GetItemIndex(), 5);
    EXPECT_EQ(g->Files->GetSelCount(), 1);
    EXPECT_EQ(g->Tree->GetSelected()->GetText(), "Documents");
    EXPECT_EQ(g->Grid->GetCol(), 2);
    EXPECT_EQ(g->Grid->GetRow(), 3);
    EXPECT_EQ(g->Pages->GetActivePage(), g->QualityPage);
    EXPECT_EQ(g->Quality->GetPosition(), 85);
    EXPECT_EQ(changes, (std::vector<std::string>{"kind", "tree", "page", "quality"}));
    g->Free();
}
