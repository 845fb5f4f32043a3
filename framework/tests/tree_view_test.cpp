// The tree view: structure, selection and expansion events (in code and by the user), deletion,
// sorting, label editing, hit tests, custom drawing, and a descendant that makes its own nodes
// and fills them when they expand.

#include "framework/tests/window_fixture.h"

#include "framework/sysutils.h"
#include "framework/tree_view.h"

namespace {

class TreeTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        uitest::ShowForm(Form);
        Tree = Add<TTreeView>({10, 10, 210, 210});
    }
    // a (a1, a2 (a21)), b, c
    void Build() {
        TTreeNodes* n = Tree->GetItems();
        A = n->Add(nullptr, "a");
        A1 = n->AddChild(A, "a1");
        A2 = n->AddChild(A, "a2");
        A21 = n->AddChild(A2, "a21");
        B = n->Add(A, "b");
        C = n->Add(A, "c");
    }
    void Record() {
        Tree->OnChanging = [this](TObject*, TTreeNode* N, bool& Allow) {
            Events.push_back("changing " + (N ? N->GetText() : std::string("-")));
            Allow = Veto.empty() || !N || N->GetText() != Veto;
        };
        Tree->OnChange = [this](TObject*, TTreeNode* N) {
            Events.push_back("change " + (N ? N->GetText() : std::string("-")));
        };
        Tree->OnExpanding = [this](TObject*, TTreeNode* N, bool& Allow) {
            Events.push_back("expanding " + N->GetText());
            Allow = N->GetText() != Veto;
        };
        Tree->OnExpanded = [this](TObject*, TTreeNode* N) { Events.push_back("expanded " + N->GetText()); };
        Tree->OnCollapsing = [this](TObject*, TTreeNode* N, bool&) { Events.push_back("collapsing " + N->GetText()); };
        Tree->OnCollapsed = [this](TObject*, TTreeNode* N) { Events.push_back("collapsed " + N->GetText()); };
        Tree->OnDeletion = [this](TObject*, TTreeNode* N) { Events.push_back("deletion " + N->GetText()); };
    }
    TPoint LabelPoint(TTreeNode* N) {
        TRect r = N->DisplayRect(true);
        return {r.Left + 3, (r.Top + r.Bottom) / 2};
    }
    TTreeView* Tree = nullptr;
    TTreeNode *A = nullptr, *A1 = nullptr, *A2 = nullptr, *A21 = nullptr, *B = nullptr, *C = nullptr;
    std::vector<std::string> Events;
    std::string Veto;
};

using Strings = std::vector<std::string>;

}  // namespace

TEST_F(TreeTest, StructureAndNavigation) {
    Build();
    TTreeNodes* n = Tree->GetItems();
    EXPECT_EQ(n->GetCount(), 6);
    EXPECT_EQ(n->GetItem(3), A21);
    EXPECT_EQ(A21->GetAbsoluteIndex(), 3);
    EXPECT_EQ(A21->GetLevel(), 2);
    EXPECT_EQ(A2->GetIndex(), 1);
    EXPECT_EQ(A->GetFirstChild(), A1);
    EXPECT_EQ(A21->GetNext(), B);
    EXPECT_EQ(B->GetPrev(), A21);
    EXPECT_EQ(A1->getNextSibling(), A2);
    EXPECT_TRUE(A21->HasAsParent(A));
    EXPECT_TRUE(A->GetHasChildren());
    // Children are hidden until their parent expands.
    EXPECT_FALSE(A1->IsVisible());
    EXPECT_EQ(A->GetNextVisible(), B);
    TTreeNode* first = n->AddFirst(B, "first");
    TTreeNode* before = n->Insert(C, "before c");
    TTreeNode* childFirst = n->AddChildFirst(A, "a0");
    EXPECT_EQ(first->GetIndex(), 0);
    EXPECT_EQ(before->getNextSibling(), C);
    EXPECT_EQ(A->GetFirstChild(), childFirst);
    // Deleting the last child takes the expand button away.
    A21->Delete();
    EXPECT_FALSE(A2->GetHasChildren());
    // Moving carries the children along.
    A->MoveTo(C, naAddChild);
    EXPECT_EQ(A->GetParent(), C);
    EXPECT_EQ(A1->GetLevel(), 2);
}

TEST_F(TreeTest, SelectingInCodeOrByTheUserAsksOnChangingAndFiresOnChange) {
    Build();
    Record();
    Tree->SetSelected(B);
    EXPECT_EQ(Events, (Strings{"changing b", "change b"}));
    Veto = "c";
    Events.clear();
    C->SetSelected(true);
    EXPECT_EQ(Tree->GetSelected(), B);  // refused
    EXPECT_EQ(Events, (Strings{"changing c"}));
    Veto.clear();

    Events.clear();
    Tree->SetFocus();
    uitest::PressKey(Tree, VK_UP);
    EXPECT_EQ(Tree->GetSelected(), A);
    uitest::PressKey(Tree, VK_RIGHT);  // expands
    uitest::PressKey(Tree, VK_RIGHT);  // to the first child
    EXPECT_EQ(Tree->GetSelected(), A1);
    uitest::PressKey(Tree, VK_LEFT);  // to the parent
    EXPECT_EQ(Events, (Strings{"changing a", "change a", "expanding a", "expanded a", "changing a1", "change a1",
                               "changing a", "change a"}));
    TPoint p = LabelPoint(A2);
    uitest::Click(Tree, p.X, p.Y);
    EXPECT_EQ(Tree->GetSelected(), A2);
    // Selecting a hidden node in code shows it.
    Tree->SetSelected(A21);
    EXPECT_TRUE(A2->GetExpanded());
}

TEST_F(TreeTest, ExpandingAsksAndCollapsingMovesTheSelectionUp) {
    Build();
    Record();
    B->Expand(false);  // no children shown: nothing happens
    EXPECT_TRUE(Events.empty());
    Veto = "a";
    A->Expand(false);
    EXPECT_FALSE(A->GetExpanded());
    Veto.clear();
    A->SetExpanded(true);
    EXPECT_TRUE(A->GetExpanded());
    EXPECT_EQ(Events, (Strings{"expanding a", "expanding a", "expanded a"}));

    Tree->SetSelected(A1);
    Events.clear();
    A->Collapse(false);
    EXPECT_EQ(Tree->GetSelected(), A);
    EXPECT_EQ(Events, (Strings{"collapsing a", "changing a", "change a", "collapsed a"}));

    // Typing selects the next shown node starting with the letters; a selection that a vetoed
    // change leaves inside a collapsed branch counts as none.
    Tree->SetFocus();
    uitest::TypeText(Tree, "b");
    EXPECT_EQ(Tree->GetSelected(), B);
    A->Expand(false);
    Tree->SetSelected(A1);
    Veto = "a";
    A->Collapse(false);
    ASSERT_EQ(Tree->GetSelected(), A1);
    uitest::TypeText(Tree, "zz");
    EXPECT_EQ(Tree->GetSelected(), A1);
    Veto.clear();

    // The button and a double click toggle.
    Events.clear();
    TRect r = A->DisplayRect(true);
    Integer buttonX = r.Left - Tree->GetIndent() / 2 - 4;
    uitest::Click(Tree, buttonX, (r.Top + r.Bottom) / 2);
    EXPECT_TRUE(A->GetExpanded());
    TPoint p = LabelPoint(A2);
    uitest::DoubleClick(Tree, p.X, p.Y);
    EXPECT_TRUE(A2->GetExpanded());
    A->Collapse(true);
    EXPECT_FALSE(A2->GetExpanded());
    Tree->FullExpand();
    EXPECT_TRUE(A21->IsVisible());
}

TEST_F(TreeTest, AutoExpandKeepsOneBranchOpen) {
    Build();
    TTreeNode* c1 = Tree->GetItems()->AddChild(C, "c1");
    Tree->SetAutoExpand(true);
    Tree->SetSelected(A2);
    EXPECT_TRUE(A->GetExpanded());
    EXPECT_TRUE(A2->GetExpanded());
    Tree->SetSelected(c1);
    EXPECT_TRUE(C->GetExpanded());
    EXPECT_FALSE(A->GetExpanded());
    EXPECT_FALSE(A2->GetExpanded());
}

TEST_F(TreeTest, DeletionNotifiesParentFirstAndMovesTheSelection) {
    Build();
    Record();
    Tree->SetSelected(A);
    Events.clear();
    A->Delete();
    EXPECT_EQ(Events, (Strings{"deletion a", "deletion a1", "deletion a2", "deletion a21", "change b"}));
    EXPECT_EQ(Tree->GetSelected(), B);
    Events.clear();
    Tree->GetItems()->Clear();
    EXPECT_EQ(Events, (Strings{"deletion c", "deletion b"}));
    EXPECT_EQ(Tree->GetSelected(), nullptr);
}

TEST_F(TreeTest, SortingByTextOrByComparison) {
    Tree->SetSortType(stText);
    TTreeNodes* n = Tree->GetItems();
    n->Add(nullptr, "pear");
    TTreeNode* apple = n->Add(nullptr, "Apple");
    n->Add(nullptr, "fig");
    EXPECT_EQ(n->GetFirstNode(), apple);
    apple->SetText("zucchini");  // a new text sorts again
    EXPECT_EQ(n->GetItem(2), apple);
    Tree->SetSortType(stNone);
    Tree->CustomSort([](TTreeNode* a, TTreeNode* b, LPARAM) { return AnsiCompareText(b->GetText(), a->GetText()); }, 0);
    EXPECT_EQ(n->GetFirstNode(), apple);
}

TEST_F(TreeTest, LabelEditing) {
    Build();
    std::vector<std::string> edited;
    Tree->OnEditing = [&](TObject*, TTreeNode* N, bool& Allow) { Allow = N != C; };
    Tree->OnEdited = [&](TObject*, TTreeNode*, std::string& S) {
        edited.push_back(S);
        S += "!";
    };
    Tree->SetSelected(B);
    Tree->SetFocus();
    uitest::PressKey(Tree, VK_F2);
    ASSERT_TRUE(Tree->IsEditing());
    TCustomEdit* e = Tree->GetEditControl();
    EXPECT_EQ(e->GetText(), "b");
    uitest::TypeText(e, "bee");
    uitest::PressKey(e, VK_RETURN);
    EXPECT_FALSE(Tree->IsEditing());
    EXPECT_EQ(B->GetText(), "bee!");
    EXPECT_TRUE(Tree->Focused());

    // Escape cancels; OnEditing can refuse; read-only trees do not edit.
    B->EditText();
    uitest::TypeText(Tree->GetEditControl(), "zzz");
    uitest::PressKey(Tree->GetEditControl(), VK_ESCAPE);
    EXPECT_EQ(B->GetText(), "bee!");
    EXPECT_FALSE(C->EditText());
    Tree->SetReadOnly(true);
    EXPECT_FALSE(A->EditText());
    EXPECT_EQ(edited, (Strings{"bee"}));

    // A click on the label of the selected node edits it after the double-click time.
    Tree->SetReadOnly(false);
    TPoint p = LabelPoint(B);
    uitest::Click(Tree, p.X, p.Y);
    EXPECT_FALSE(Tree->IsEditing());
    EXPECT_TRUE(uitest::WaitUntil([&] { return Tree->IsEditing(); }, 2000));
    B->EndEdit(true);
}

TEST_F(TreeTest, HitTestsNodeAtAndRightClickSelect) {
    Build();
    TRect r = A->DisplayRect(true);
    EXPECT_EQ(Tree->GetNodeAt(r.Left + 1, r.Top + 1), A);
    EXPECT_EQ(Tree->GetNodeAt(1, r.Top + 1), A);  // the whole row
    EXPECT_EQ(Tree->GetNodeAt(5, Tree->GetClientHeight() - 2), nullptr);
    EXPECT_TRUE(Tree->GetHitTestInfoAt(r.Left + 2, r.Top + 2).Contains(htOnLabel));
    EXPECT_TRUE(Tree->GetHitTestInfoAt(r.Right + 5, r.Top + 2).Contains(htOnRight));
    EXPECT_TRUE(Tree->GetHitTestInfoAt(2, r.Top + 2).Contains(htOnIndent));
    EXPECT_TRUE(Tree->GetHitTestInfoAt(5, -3).Contains(htAbove));

    TPoint p = LabelPoint(C);
    uitest::Click(Tree, p.X, p.Y, mbRight);
    EXPECT_EQ(Tree->GetSelected(), nullptr);
    Tree->SetRightClickSelect(true);
    uitest::Click(Tree, p.X, p.Y, mbRight);
    EXPECT_EQ(Tree->GetSelected(), C);
}

TEST_F(TreeTest, CustomDrawingTakesTheCanvasColoursOrTheRowItself) {
    Build();
    std::vector<std::string> drawn;
    Tree->OnCustomDrawItem = [&](TCustomTreeView* Sender, TTreeNode* Node, TCustomDrawState, bool& DefaultDraw) {
        drawn.push_back(Node->GetText());
        if (Node == B) {
            Sender->GetCanvas()->GetBrush()->SetColor(clRed);
            DefaultDraw = false;
            Sender->GetCanvas()->FillRect(Node->DisplayRect(false));
        }
        if (Node == C) Sender->GetCanvas()->GetFont()->SetColor(clLime);
    };
    Tree->SetSelected(A);  // a row with a button: the label still takes the highlight
    Tree->SetFocus();
    uitest::TCapture cap = uitest::Capture(Tree);
    EXPECT_EQ(drawn, (Strings{"a", "b", "c"}));
    TRect ra = A->DisplayRect(true);
    EXPECT_EQ(cap.Pixel(Tree->GetNonClientMargins().Left + ra.Right - 2, Tree->GetNonClientMargins().Top + ra.Top + 2),
              TColor(ColorToRGB(clHighlight)));
    TRect m = Tree->GetNonClientMargins();
    TRect rb = B->DisplayRect(false);
    EXPECT_EQ(cap.Pixel(m.Left + 2, m.Top + rb.Top + 2), clRed);
    // c's text is drawn in the lime the handler chose (antialiased: mostly green).
    TRect rc = C->DisplayRect(true);
    bool lime = false;
    for (Integer y = rc.Top; y < rc.Bottom; ++y)
        for (Integer x = rc.Left; x < rc.Right; ++x) {
            TColor p = cap.Pixel(m.Left + x, m.Top + y);
            if (GetGValue(p) > 200 && GetRValue(p) < 120 && GetBValue(p) < 120) lime = true;
        }
    EXPECT_TRUE(lime);
}

// ---- A descendant with its own nodes ---------------------------------------------------------

namespace {

class TFolderNode : public TTreeNode {
    LUMORA_CLASS(TFolderNode, TTreeNode)
public:
    using TTreeNode::TTreeNode;
    bool Populated = false;
    static int Freed;
    ~TFolderNode() override { ++Freed; }
};
int TFolderNode::Freed = 0;

// Fills a node's children when it expands, as a folder tree reads a folder.
class TFolderTree : public TCustomTreeView {
    LUMORA_CLASS(TFolderTree, TCustomTreeView)
public:
    using TCustomTreeView::TCustomTreeView;
    int Reads = 0;

protected:
    TTreeNode* CreateNode() override { return new TFolderNode(GetItems()); }
    bool CanExpand(TTreeNode* Node) override {
        bool allow = TCustomTreeView::CanExpand(Node);
        auto* f = static_cast<TFolderNode*>(Node);
        if (allow && !f->Populated) {
            ++Reads;
            GetItems()->BeginUpdate();
            for (const char* name : {"one", "two"}) {
                TTreeNode* c = GetItems()->AddChild(Node, name);
                c->SetHasChildren(true);
            }
            GetItems()->EndUpdate();
            f->Populated = true;
        }
        return allow;
    }
};

}  // namespace

TEST_F(TreeTest, DescendantsMakeTheirOwnNodesAndFillThemOnExpansion) {
    auto* tree = Add<TFolderTree>({220, 10, 380, 210});
    TTreeNode* root = tree->GetItems()->Add(nullptr, "root");
    ASSERT_NE(dynamic_cast<TFolderNode*>(root), nullptr);
    root->SetHasChildren(true);  // shown expandable before it has children
    EXPECT_EQ(root->GetCount(), 0);
    root->Expand(false);
    EXPECT_EQ(root->GetCount(), 2);
    EXPECT_EQ(tree->Reads, 1);
    root->Collapse(false);
    root->Expand(false);
    EXPECT_EQ(tree->Reads, 1);
    TFolderNode::Freed = 0;
    tree->GetItems()->Clear();
    EXPECT_EQ(TFolderNode::Freed, 3);
}
