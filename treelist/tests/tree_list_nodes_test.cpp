#include <cctype>
#include <cstdint>
#include <functional>
#include <random>

#include "tree_list_fixture.h"

namespace {

using Names = std::vector<std::string>;

// What the display-order operations answer for every node and row of a list.
struct DisplayAnswers {
    Integer count = 0;
    std::vector<Integer> indexes;             // per node, in depth-first order
    std::vector<TgxTreeListNode*> nexts;      // per node
    std::vector<TgxTreeListNode*> prevs;      // per node
    std::vector<TgxTreeListNode*> atIndex;    // for -1 .. count
    bool operator==(const DisplayAnswers&) const = default;
};

void DepthFirst(TgxTreeListNode* Node, std::vector<TgxTreeListNode*>& Out) {
    Out.push_back(Node);
    for (Integer i = 0; i < Node->GetCount(); ++i) DepthFirst(Node->GetItem(i), Out);
}

std::vector<TgxTreeListNode*> AllNodes(TCustomgxTreeList* List) {
    std::vector<TgxTreeListNode*> nodes;
    for (Integer i = 0; i < List->GetCount(); ++i) DepthFirst(List->GetItem(i), nodes);
    return nodes;
}

void Displayed(TgxTreeListNode* Node, std::vector<TgxTreeListNode*>& Out) {
    Out.push_back(Node);
    if (Node->GetExpanded())
        for (Integer i = 0; i < Node->GetCount(); ++i) Displayed(Node->GetItem(i), Out);
}

DisplayAnswers Ask(TCustomgxTreeList* List) {
    DisplayAnswers a;
    a.count = List->GetAbsoluteCount();
    for (TgxTreeListNode* node : AllNodes(List)) {
        a.indexes.push_back(node->GetAbsoluteIndex());
        a.nexts.push_back(node->GetNextVisible());
        a.prevs.push_back(node->GetPrevVisible());
    }
    for (Integer i = -1; i <= a.count; ++i) a.atIndex.push_back(List->GetAbsoluteNode(i));
    return a;
}

// The answers computed independently from a plain recursive walk.
DisplayAnswers Expected(TCustomgxTreeList* List) {
    std::vector<TgxTreeListNode*> rows;
    for (Integer i = 0; i < List->GetCount(); ++i) Displayed(List->GetItem(i), rows);
    DisplayAnswers a;
    a.count = Integer(rows.size());
    for (TgxTreeListNode* node : AllNodes(List)) {
        auto it = std::find(rows.begin(), rows.end(), node);
        const Integer index = it == rows.end() ? -1 : Integer(it - rows.begin());
        a.indexes.push_back(index);
        a.nexts.push_back(index >= 0 && index + 1 < a.count ? rows[index + 1] : nullptr);
        a.prevs.push_back(index > 0 ? rows[index - 1] : nullptr);
    }
    a.atIndex.push_back(nullptr);
    for (TgxTreeListNode* row : rows) a.atIndex.push_back(row);
    a.atIndex.push_back(nullptr);
    return a;
}

// Builds a random forest: every node goes under a random earlier node or becomes a root.
void BuildRandom(TTestTreeList* List, std::mt19937& Random, int Count, double ExpandChance) {
    std::vector<TgxTreeListNode*> nodes;
    List->BeginUpdate();
    for (int i = 0; i < Count; ++i) {
        TgxTreeListNode* parent = nodes.empty() || Random() % 4 == 0 ? nullptr : nodes[Random() % nodes.size()];
        TgxTreeListNode* node = parent ? parent->AddChild() : List->Add();
        List->Names[node] = "n" + std::to_string(i);
        nodes.push_back(node);
    }
    std::bernoulli_distribution expand(ExpandChance);
    for (TgxTreeListNode* node : nodes)
        if (expand(Random)) node->SetExpanded(true);
    List->EndUpdate();
}

}  // namespace

// ---- display order -------------------------------------------------------------------------

struct RandomTreeCase {
    unsigned seed;
    int count;
    double expandChance;
};

void PrintTo(const RandomTreeCase& c, std::ostream* os) {
    *os << "seed " << c.seed << ", " << c.count << " nodes";
}

class TreeListDisplayOrder : public testing::TestWithParam<RandomTreeCase> {};

TEST_P(TreeListDisplayOrder, CacheAndWalksAgreeWithAPlainWalk) {
    const RandomTreeCase c = GetParam();
    Owned<TTestTreeList> list(new TTestTreeList);
    std::mt19937 random(c.seed);
    BuildRandom(list.get(), random, c.count, c.expandChance);

    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        list->RefreshCache();
        ASSERT_EQ(list->IsCacheValid(), list->GetCount() > 0);
        const DisplayAnswers cached = Ask(list.get());
        list->ClearCache();
        ASSERT_FALSE(list->IsCacheValid());
        const DisplayAnswers walked = Ask(list.get());
        const DisplayAnswers expected = Expected(list.get());
        EXPECT_TRUE(cached == expected);
        EXPECT_TRUE(walked == expected);

        // Change the tree between rounds: collapse, expand, move and delete at random.
        std::vector<TgxTreeListNode*> nodes = AllNodes(list.get());
        if (nodes.empty()) break;
        for (int k = 0; k < 5; ++k) {
            TgxTreeListNode* node = nodes[random() % nodes.size()];
            node->SetExpanded(!node->GetExpanded());
        }
        TgxTreeListNode* moved = nodes[random() % nodes.size()];
        moved->MoveTo(nodes[random() % nodes.size()], TgxTreeListNodeAttachMode(random() % 5));
        nodes = AllNodes(list.get());
        nodes[random() % nodes.size()]->Free();
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, TreeListDisplayOrder,
                         testing::Values(RandomTreeCase{1, 1, 1.0}, RandomTreeCase{2, 40, 0.5},
                                         RandomTreeCase{3, 120, 0.8}, RandomTreeCase{4, 120, 0.2},
                                         RandomTreeCase{5, 300, 1.0}, RandomTreeCase{6, 300, 0.0}));

TEST(TreeListNodes, DepthFirstWalksIgnoreExpansion) {
    Owned<TTestTreeList> list(new TTestTreeList);
    list->Build("A[A1(A11),A2],B,C(C1[C11])");
    std::vector<std::string> forward, backward;
    for (TgxTreeListNode* n = list->GetFirstNode(); n; n = n->GetNext()) forward.push_back(list->Name(n));
    for (TgxTreeListNode* n = list->Find("C11"); n; n = n->GetPrev()) backward.push_back(list->Name(n));
    EXPECT_EQ(forward, (Names{"A", "A1", "A11", "A2", "B", "C", "C1", "C11"}));
    EXPECT_EQ(backward, (Names{"C11", "C1", "C", "B", "A2", "A11", "A1", "A"}));
    EXPECT_EQ(list->Name(list->GetLastVisibleNode()), "C1");
    EXPECT_EQ(list->Find("A11")->GetLevel(), 2);
    EXPECT_TRUE(list->Find("A11")->HasAsParent(list->Find("A")));
    EXPECT_FALSE(list->Find("A")->HasAsParent(list->Find("A")));
}

TEST(TreeListNodes, CreationAndIndexEdges) {
    EXPECT_THROW(
        {
            try {
                new TgxTreeListNode(nullptr);
            } catch (const EInvalidgxTreeListOperation& e) {
                EXPECT_STREQ(e.what(), "Invalid Owner TgxTreeListNode");
                throw;
            }
        },
        EInvalidgxTreeListOperation);

    Owned<TTestTreeList> list(new TTestTreeList);
    list->Build("A(A1),B");
    list->Names[list->Insert(nullptr)] = "C";
    list->Names[list->Insert(list->Find("B"))] = "X";
    list->Names[list->Find("A")->InsertChild(nullptr)] = "A2";
    list->Names[list->Find("A")->InsertChild(list->Find("A1"))] = "A0";
    EXPECT_EQ(list->Dump(), "A(A0,A1,A2),X,B,C");
    EXPECT_EQ(list->GetItem(-1), nullptr);
    EXPECT_EQ(list->GetItem(4), nullptr);
    EXPECT_EQ(list->Find("A")->GetItem(3), nullptr);
    EXPECT_THROW(list->Find("A")->GetChildren().Get(3), EListError);
    EXPECT_EQ(list->GetAbsoluteIndex(nullptr), -1);
    // The first node added became top and focused node.
    EXPECT_EQ(list->Name(list->GetFocusedNode()), "A");
    EXPECT_EQ(list->Name(list->GetTopVisibleNode()), "A");
}

// ---- deletion --------------------------------------------------------------------------------

struct DeletionCase {
    const char* deleted;
    const char* successor;  // new focus, top node and anchor
    const char* tree;       // the tree afterwards
    const char* deletions;  // the OnDeletion order
};

void PrintTo(const DeletionCase& c, std::ostream* os) {
    *os << "delete " << c.deleted;
}

class TreeListDeletion : public testing::TestWithParam<DeletionCase> {};

TEST_P(TreeListDeletion, ReferencesMoveWithoutChangeEvents) {
    const DeletionCase c = GetParam();
    Owned<TTestTreeList> list(new TTestTreeList);
    list->Build("A(A1,A2),B(B1),C");
    // One row fits: every row can be the top row.
    list->SetShowHeader(false);
    list->SetHeight(list->GetDefaultRowHeight());
    TgxTreeListNode* deleted = list->Find(c.deleted);
    deleted->SetFocused(true);
    list->SetTopIndex(deleted->GetAbsoluteIndex());
    list->SetSelectionAnchor(deleted);
    ASSERT_EQ(list->GetTopVisibleNode(), deleted);
    list->RecordEvents();

    deleted->Free();
    list->Names.erase(deleted);

    EXPECT_EQ(list->Name(list->GetFocusedNode()), c.successor);
    EXPECT_EQ(list->Name(list->GetTopVisibleNode()), c.successor);
    EXPECT_EQ(list->Name(list->GetSelectionAnchor()), c.successor);
    EXPECT_EQ(list->Dump(), c.tree);
    std::string deletions;
    for (const std::string& entry : list->Log) {
        EXPECT_EQ(entry.rfind("Deletion:", 0), 0u) << entry;  // no OnChangeNode
        deletions += entry.substr(9) + " ";
    }
    EXPECT_EQ(deletions, c.deletions);
    EXPECT_TRUE(list->IsCacheValid());
}

INSTANTIATE_TEST_SUITE_P(
    Table, TreeListDeletion,
    testing::Values(DeletionCase{"A2", "A1", "A(A1),B(B1),C", "A2 "},      // previous sibling
                    DeletionCase{"A1", "A", "A(A2),B(B1),C", "A1 "},       // parent
                    DeletionCase{"A", "B", "B(B1),C", "A1 A2 A "},          // next displayed row
                    DeletionCase{"C", "B", "A(A1,A2),B(B1)", "C "},         // sibling, not its child
                    DeletionCase{"B1", "B", "A(A1,A2),B,C", "B1 "}));       // only child: B collapses

TEST(TreeListNodes, DeletingTheOnlyChildKeepsHasChildrenWhenTheListSaysSo) {
    Owned<TTestTreeList> list(new TTestTreeList);
    list->Build("A(A1),B(B1)");
    list->Find("A1")->Free();
    EXPECT_FALSE(list->Find("A")->GetHasChildren());
    EXPECT_FALSE(list->Find("A")->GetExpanded());
    EXPECT_TRUE(list->Find("A")->GetChildren().Empty());
    list->KeepHasChildren = true;
    list->Find("B1")->Free();
    EXPECT_TRUE(list->Find("B")->GetHasChildren());
    EXPECT_FALSE(list->Find("B")->GetExpanded());
}

TEST(TreeListNodes, DeletingTheLastRootResetsEveryReference) {
    Owned<TTestTreeList> list(new TTestTreeList);
    list->Build("A(A1)");
    list->Find("A1")->SetFocused(true);
    list->SetSelectionAnchor(list->Find("A1"));
    list->Find("A1")->SetSelected(true);
    list->RecordEvents();
    list->Find("A")->Free();
    EXPECT_EQ(list->GetCount(), 0);
    EXPECT_EQ(list->GetFocusedNode(), nullptr);
    EXPECT_EQ(list->GetTopVisibleNode(), nullptr);
    EXPECT_EQ(list->GetSelectionAnchor(), nullptr);
    EXPECT_TRUE(list->Selected.empty());
    EXPECT_EQ(list->GetAbsoluteCount(), 0);
    EXPECT_EQ(list->GetTopIndex(), -1);
    EXPECT_EQ(std::count(list->Log.begin(), list->Log.end(), "ChangeNode:A1>-"), 0);
}

TEST(TreeListNodes, ClearNodesFreesEverythingWithoutBookkeeping) {
    Owned<TTestTreeList> list(new TTestTreeList);
    list->Build("A(A1,A2[A21]),B");
    list->Find("B")->SetSelected(true);
    list->RecordEvents();
    const int layouts = list->Layouts;
    list->ClearNodes();
    EXPECT_EQ(list->Log, (Names{"Deletion:A1", "Deletion:A21", "Deletion:A2", "Deletion:A", "Deletion:B",
                                "SelectedCount"}));
    EXPECT_EQ(list->GetCount(), 0);
    EXPECT_EQ(list->GetFocusedNode(), nullptr);
    EXPECT_EQ(list->Layouts, layouts + 1);
}

// ---- moving ----------------------------------------------------------------------------------

struct MoveCase {
    const char* node;
    const char* destination;  // "" for none
    TgxTreeListNodeAttachMode mode;
    const char* tree;         // afterwards; the start tree when refused
};

void PrintTo(const MoveCase& c, std::ostream* os) {
    *os << c.node << " to " << c.destination << " mode " << int(c.mode);
}

class TreeListMoveTo : public testing::TestWithParam<MoveCase> {};

TEST_P(TreeListMoveTo, MovesOrRefuses) {
    const MoveCase c = GetParam();
    const std::string start = "A(A1,A2),B(B1),C";
    Owned<TTestTreeList> list(new TTestTreeList);
    list->Build(start);
    TgxTreeListNode* node = list->Find(c.node);
    TgxTreeListNode* before = list->GetFocusedNode();
    node->MoveTo(std::string(c.destination).empty() ? nullptr : list->Find(c.destination), c.mode);
    EXPECT_EQ(list->Dump(), c.tree);
    EXPECT_EQ(list->GetFocusedNode(), c.tree == start ? before : node);
    EXPECT_EQ(Ask(list.get()), Expected(list.get()));
}

INSTANTIATE_TEST_SUITE_P(
    Refused, TreeListMoveTo,
    testing::Values(MoveCase{"A", "", amAddLast, "A(A1,A2),B(B1),C"},
                    MoveCase{"A", "A1", amAddLast, "A(A1,A2),B(B1),C"},
                    MoveCase{"A", "A2", amAddChildFirst, "A(A1,A2),B(B1),C"},
                    MoveCase{"A", "A", amAddChildLast, "A(A1,A2),B(B1),C"},
                    MoveCase{"A", "A", amAddChildFirst, "A(A1,A2),B(B1),C"},
                    MoveCase{"A", "A", amInsertBefore, "A(A1,A2),B(B1),C"}));

INSTANTIATE_TEST_SUITE_P(
    Moved, TreeListMoveTo,
    testing::Values(MoveCase{"C", "A1", amAddLast, "A(A1,A2,C),B(B1)"},
                    MoveCase{"C", "A1", amAddFirst, "A(C,A1,A2),B(B1)"},
                    MoveCase{"C", "A2", amInsertBefore, "A(A1,C,A2),B(B1)"},
                    MoveCase{"A1", "B", amAddChildLast, "A(A2),B(B1,A1),C"},
                    MoveCase{"A1", "B", amAddChildFirst, "A(A2),B(A1,B1),C"},
                    MoveCase{"B1", "C", amAddChildLast, "A(A1,A2),B,C(B1)"},
                    MoveCase{"A", "C", amAddLast, "B(B1),C,A(A1,A2)"},
                    MoveCase{"A", "A", amAddLast, "B(B1),C,A(A1,A2)"},
                    MoveCase{"A2", "A1", amInsertBefore, "A(A2,A1),B(B1),C"}));

TEST(TreeListNodes, GroupingMovesBetweenTheTopLevelAndAParent) {
    Owned<TTestTreeList> list(new TTestTreeList);
    list->Build("A,B,C");
    TgxTreeListNode* a = list->Find("A");
    list->Find("B")->MoveTopLevelUnder(a, 1);
    list->Find("C")->MoveTopLevelUnder(a, 1);
    EXPECT_EQ(list->Dump(), "A[B,C]");
    EXPECT_TRUE(a->GetHasChildren());
    list->Find("B")->SetFocused(true);
    a->SetExpanded(true);
    a->MoveChildrenToTopLevel();
    EXPECT_EQ(list->Dump(), "A,B,C");
    EXPECT_FALSE(a->GetHasChildren());
    EXPECT_FALSE(a->GetExpanded());
    EXPECT_EQ(list->GetFocusedNode(), a);
}

TEST(TreeListNodes, ExtractedLeavesAreRegroupedInBulk) {
    Owned<TTestTreeList> list(new TTestTreeList);
    list->Build("A(A1(A11,A12),A2),B,C(C1)");
    TgxTreeListNode* a12 = list->Find("A12");
    a12->SetFocused(true);
    list->RecordEvents();
    std::vector<TgxTreeListNode*> leaves = list->ExtractLeaves();
    Names names;
    for (TgxTreeListNode* leaf : leaves) {
        names.push_back(list->Name(leaf));
        EXPECT_EQ(leaf->GetParent(), nullptr);
    }
    EXPECT_EQ(names, (Names{"A11", "A12", "A2", "B", "C1"}));
    // The inner nodes went, each told once; nothing points at them.
    EXPECT_EQ(list->Log, (Names{"Deletion:A", "Deletion:A1", "Deletion:C"}));
    EXPECT_EQ(list->GetCount(), 0);
    EXPECT_EQ(list->GetFocusedNode(), nullptr);
    EXPECT_EQ(list->GetTopVisibleNode(), nullptr);

    // Placed again under a new parent and at the top level.
    TgxTreeListNode* group = list->Add();
    for (TgxTreeListNode* leaf : leaves)
        list->AdoptNode(leaf == a12 ? nullptr : group, leaf);
    EXPECT_EQ(list->GetCount(), 2);
    EXPECT_EQ(group->GetCount(), 4);
    EXPECT_EQ(a12->GetParent(), nullptr);
    EXPECT_EQ(list->GetItem(1), a12);
    EXPECT_TRUE(group->GetHasChildren());
    EXPECT_EQ(list->GetAbsoluteCount(), 2);
    group->SetExpanded(true);
    EXPECT_EQ(list->GetAbsoluteCount(), 6);
    EXPECT_EQ(list->GetAbsoluteIndex(a12), 5);
}

// ---- expanding and collapsing ----------------------------------------------------------------

TEST(TreeListNodes, CollapsingAroundTheFocusMovesItToTheCollapsingNode) {
    Owned<TTestTreeList> list(new TTestTreeList);
    list->Build("A(A1(A11)),B");
    list->Find("A11")->SetFocused(true);
    list->SetTopIndex(2);
    list->RecordEvents();
    list->Find("A")->SetExpanded(false);
    EXPECT_EQ(list->Log, (Names{"ChangeNode:A11>A", "Collapsed:A"}));
    EXPECT_EQ(list->Name(list->GetFocusedNode()), "A");
    EXPECT_EQ(list->Name(list->GetTopVisibleNode()), "A");

    // An override that refuses keeps the node expanded and the focus where it is.
    list->Find("A")->Expand(true);
    list->Find("A11")->SetFocused(true);
    list->RefuseFocusOnCollapse = true;
    list->Log.clear();
    list->Find("A1")->Collapse(false);
    EXPECT_TRUE(list->Find("A1")->GetExpanded());
    EXPECT_EQ(list->Name(list->GetFocusedNode()), "A11");
    EXPECT_TRUE(list->Log.empty());
}

TEST(TreeListNodes, AllowEventsAndHasChildrenGateExpansion) {
    Owned<TTestTreeList> list(new TTestTreeList);
    list->Build("A[A1],B");
    list->OnExpanding = [](TObject*, TgxTreeListNode*, bool& Allow) { Allow = false; };
    list->Find("A")->SetExpanded(true);
    EXPECT_FALSE(list->Find("A")->GetExpanded());
    list->OnExpanding = nullptr;
    list->Find("B")->SetExpanded(true);  // no children, no button
    EXPECT_FALSE(list->Find("B")->GetExpanded());
    list->Find("B")->SetHasChildren(true);  // children to be loaded later
    list->Find("B")->SetExpanded(true);
    EXPECT_TRUE(list->Find("B")->GetExpanded());
    EXPECT_EQ(list->GetAbsoluteCount(), 2);
    // MakeVisible expands every collapsed ancestor.
    list->Find("A1")->MakeVisible();
    EXPECT_EQ(list->Dump(), "A(A1),B");
}

// ---- brackets --------------------------------------------------------------------------------

TEST(TreeListBrackets, NestedBracketsLayOutOnceAndCancelLaysOutNever) {
    Owned<TTestTreeList> list(new TTestTreeList);
    list->BeginUpdate();
    list->BeginUpdate();
    list->Add();
    list->LayoutChanged();
    list->EndUpdate();
    EXPECT_EQ(list->Layouts, 0);
    list->EndUpdate();
    EXPECT_EQ(list->Layouts, 1);
    EXPECT_TRUE(list->IsCacheValid());

    list->BeginUpdate();
    list->Add()->AddChild();
    list->CancelUpdate();
    EXPECT_EQ(list->Layouts, 1);
    EXPECT_FALSE(list->IsUpdating());
    EXPECT_EQ(list->GetAbsoluteCount(), 2);  // answered by walking

    // A bracket opened by an operation is closed when the operation raises.
    list->OnExpanding = [](TObject*, TgxTreeListNode*, bool&) { throw EAbort("stop"); };
    EXPECT_THROW(list->GetItem(1)->Expand(false), EAbort);
    EXPECT_FALSE(list->IsUpdating());
    EXPECT_EQ(list->Layouts, 2);
}

TEST(TreeListBrackets, SelectionBracketReportsTheCountOnceOrNotAtAll) {
    Owned<TTestTreeList> list(new TTestTreeList);
    list->BeginUpdate();
    for (int i = 0; i < 200; ++i) list->Add();
    list->EndUpdate();
    int events = 0;
    list->OnSelectedCountChange = [&](TObject*) { ++events; };

    list->BeginSelectionUpdate();
    for (int i = 0; i < 200; ++i) list->GetItem(i)->SetSelected(true);
    list->EndSelectionUpdate();
    EXPECT_EQ(events, 1);

    list->BeginUpdate();  // the update bracket opens a selection bracket as well
    list->GetItem(0)->SetSelected(false);
    list->GetItem(0)->SetSelected(true);
    list->EndUpdate();
    EXPECT_EQ(events, 1);

    list->GetItem(0)->SetSelected(false);  // outside any bracket: at once
    EXPECT_EQ(events, 2);
}

TEST(TreeListBrackets, FullExpandOfAHundredThousandNodesInsideABracket) {
    Owned<TTestTreeList> list(new TTestTreeList);
    int expanded = 0;
    list->OnExpanded = [&](TObject*, TgxTreeListNode*) { ++expanded; };
    TgxTreeListNode* last = nullptr;
    list->BeginUpdate();
    for (int r = 0; r < 1000; ++r) {
        TgxTreeListNode* root = list->Add();
        for (int c = 0; c < 9; ++c) {
            TgxTreeListNode* child = root->AddChild();
            for (int g = 0; g < 10; ++g) last = child->AddChild();
        }
    }
    list->FullExpand();
    EXPECT_EQ(list->Layouts, 0);
    list->EndUpdate();
    EXPECT_EQ(list->Layouts, 1);
    EXPECT_EQ(expanded, 10000);
    EXPECT_EQ(list->GetAbsoluteCount(), 100000);
    EXPECT_EQ(list->GetAbsoluteNode(99999), last);
    EXPECT_EQ(last->GetAbsoluteIndex(), 99999);
    EXPECT_EQ(list->GetItem(500)->GetAbsoluteIndex(), 500 * 100);
    int rows = 0;
    for (TgxTreeListNode* n = list->GetFirstNode(); n; n = n->GetNextVisible()) ++rows;
    EXPECT_EQ(rows, 100000);
    list->FullCollapse();
    EXPECT_EQ(list->GetAbsoluteCount(), 1000);
    list->ClearNodes();
    EXPECT_EQ(list->GetAbsoluteCount(), 0);
}

TEST(TreeListNodes, NodeOrderComparesWholeAddresses) {
    // Addresses 4 GiB apart, and 2 GiB apart: a 32-bit difference would call the first pair equal
    // and order the second pair backwards.
    auto at = [](uintptr_t address) { return reinterpret_cast<const TgxTreeListNode*>(address); };
    if constexpr (sizeof(uintptr_t) > 4) {
        EXPECT_EQ(CompareNodePointers(at(0x1000), at(0x1000 + (uintptr_t(1) << 32))), -1);
        EXPECT_EQ(CompareNodePointers(at(0x1000 + (uintptr_t(1) << 32)), at(0x1000)), 1);
    }
    EXPECT_EQ(CompareNodePointers(at(0x1000), at(0x80001000)), -1);
    EXPECT_EQ(CompareNodePointers(at(0x80001000), at(0x80001000)), 0);
}
