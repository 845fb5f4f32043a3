// Two inputs of the tree list whose cost follows the nodes: Ctrl+C of a selection of every node
// (selected in a shuffled order, copied in tree order) and one keystroke of the incremental
// search with AutoExpandOnSearch that matches nothing, so the walk covers every node once.
// 100,000 nodes against 10,000: ratios near 10 mean linear growth (targets: at most 14 for the
// copy, 12 for the search). The exit code is 1 when a target is missed.

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/peer_timing.h"
#include "framework/clipboard.h"
#include "framework/forms.h"
#include "framework/testing/ui_test.h"
#include "treelist/plain_tree_list.h"

namespace {

struct Times {
    double Copy = 0;
    double Search = 0;
};

// Roots with 9 children of 10 children each, three text columns, collapsed below the roots.
Times Run(int Nodes) {
    TForm* form = new TForm(nullptr);
    form->SetBounds(0, 0, 840, 660);
    auto* list = new TgxTreeList(form);
    list->SetParent(form);
    list->SetBounds(0, 0, 800, 600);
    for (int c = 0; c < 3; ++c) {
        TgxTreeListColumn* column = list->CreateColumn(TgxTreeListColumn::StaticClass(), form);
        column->SetCaption("Column " + std::to_string(c + 1));
    }
    list->SetOptions(list->GetOptions() + TgxTreeListOptions{aoMultiSelect, aoExtMultiSelect});
    list->SetOptionsEx(list->GetOptionsEx() + TgxTreeListOptionsEx{aoAutoSearch});
    list->SetAutoExpandOnSearch(true);
    std::vector<TgxTreeListNode*> all;
    list->BeginUpdate();
    int n = 0;
    auto fill = [&](TgxTreeListNode* Node) {
        for (int col = 0; col < 3; ++col) Node->SetString(col, "Text " + std::to_string(n++ % 9973));
        all.push_back(Node);
    };
    for (int r = 0; r < Nodes / 100; ++r) {
        TgxTreeListNode* root = list->Add();
        fill(root);
        for (int c = 0; c < 9; ++c) {
            TgxTreeListNode* child = root->AddChild();
            fill(child);
            for (int g = 0; g < 10; ++g) fill(child->AddChild());
        }
    }
    list->EndUpdate();
    uitest::ShowForm(form);
    list->SetFocus();
    list->SetFocusedCell(list->GetFirstNode(), 0, true);
    std::shuffle(all.begin(), all.end(), std::mt19937(7));
    list->BeginSelectionUpdate();
    for (TgxTreeListNode* node : all) list->SetNodeSelected(node, true);
    list->EndSelectionUpdate();

    Times t;
    // The allocator hands a freed multi-megabyte text back only after a few copies of that size
    // (until then each copy writes to fresh pages), so the copies timed are those after it has.
    for (int warm = 0; warm < 3; ++warm) list->CopyNodesToClipboard();
    t.Copy = bench::Best(3, [&] { list->CopyNodesToClipboard(); });
    t.Search = bench::Best(3, [&] {
        uitest::PressKey(list, VK_ESCAPE);
        uitest::TypeText(list, "#");
    });
    form->Free();
    uitest::ProcessEvents();
    return t;
}

}  // namespace

int main() {
    uitest::Start();
    Run(2000);  // warm up
    const Times small = Run(10000);
    const Times large = Run(100000);
    bench::Report("treelist_copy_100000", large.Copy, "treelist_copy_10000", small.Copy);
    bench::Report("treelist_search_100000", large.Search, "treelist_search_10000", small.Search);
    const bool copyMet = large.Copy / small.Copy <= 14;
    const bool searchMet = large.Search / small.Search <= 12;
    std::printf("copying 100,000 selected nodes takes %.2f times 10,000: target at most 14 %s\n",
                large.Copy / small.Copy, copyMet ? "met" : "NOT met");
    std::printf("one search keystroke over 100,000 nodes takes %.2f times 10,000: target at most 12 %s\n",
                large.Search / small.Search, searchMet ? "met" : "NOT met");
    return copyMet && searchMet ? 0 : 1;
}
