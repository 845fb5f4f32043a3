// The text form of the tree list's rows: a header line of captions and one line of
// tab-separated cells per node, for the displayed rows or the selection, and Ctrl+C's copy of it
// to the clipboard.

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

#include "framework/clipboard.h"
#include "framework/string_list.h"
#include "treelist/tree_list.h"

Integer CompareNodesByPosition(const TgxTreeListNode* A, const TgxTreeListNode* B) {
    if (A == B) return 0;
    if (A->HasAsParent(B)) return 1;
    if (B->HasAsParent(A)) return -1;
    Integer levelA = A->GetLevel();
    Integer levelB = B->GetLevel();
    for (; levelA > levelB; --levelA) A = A->GetParent();
    for (; levelB > levelA; --levelB) B = B->GetParent();
    while (A->GetParent() != B->GetParent()) {
        A = A->GetParent();
        B = B->GetParent();
    }
    return A->GetIndex() - B->GetIndex();
}

namespace {

// The absolute indexes of the shown columns in visible order.
std::vector<Integer> ShownColumns(TCustomgxTreeList* List) {
    std::vector<Integer> columns;
    const Integer count = List->GetVisibleColumnCount();
    for (Integer v = 0; v < count; ++v) columns.push_back(List->VisibleToAbsoluteIndex(v));
    return columns;
}

}  // namespace

// One line of text per row, sharing the column list.
class TgxTreeListTextWriter {
public:
    TgxTreeListTextWriter(TCustomgxTreeList* AList, TStrings* AStrings)
        : L(AList), S(AStrings), Columns(ShownColumns(AList)) {}

    void Header() {
        std::string line;
        std::string caption;
        for (Integer column : Columns) {
            L->GetHeaderCaption(column, caption);
            line += caption;
            line += '\t';
        }
        line += '\r';
        S->Add(line);
    }
    void Node(TgxTreeListNode* Node) {
        if (L->IsGroupNode(Node)) {
            S->Add(L->GetNodeString(Node, 0));
            return;
        }
        std::string line;
        for (Integer column : Columns) {
            line += L->GetNodeString(Node, column);
            line += '\t';
        }
        S->Add(line);
    }

private:
    TCustomgxTreeList* L;
    TStrings* S;
    std::vector<Integer> Columns;
};

void TCustomgxTreeList::SaveToStrings(TStrings* Strings) {
    TgxTreeListTextWriter writer(this, Strings);
    writer.Header();
    for (TgxTreeListNode* node = GetFirstNode(); node; node = node->GetNextVisible()) writer.Node(node);
}

void TCustomgxTreeList::SaveSelectedToStrings(TStrings* Strings) {
    TgxTreeListTextWriter writer(this, Strings);
    writer.Header();
    if (!IsMultiSelect()) {
        if (FFocusedNode) writer.Node(FFocusedNode);
        return;
    }
    const Integer count = GetSelectedCount();
    std::vector<TgxTreeListNode*> nodes;
    nodes.reserve(size_t(std::max<Integer>(count, 0)));
    for (Integer i = 0; i < count; ++i) nodes.push_back(GetSelectedNode(i));
    // Tree order: one walk numbers the selected nodes, which then sort by their numbers (the
    // order CompareNodesByPosition gives, without its sibling searches).
    std::unordered_map<const TgxTreeListNode*, size_t> order;
    order.reserve(nodes.size());
    for (TgxTreeListNode* node : nodes) order.emplace(node, 0);
    size_t n = 0;
    size_t found = 0;
    for (TgxTreeListNode* node = GetFirstNode(); node && found < order.size(); node = node->GetNext(), ++n) {
        auto it = order.find(node);
        if (it == order.end()) continue;
        it->second = n;
        ++found;
    }
    std::stable_sort(nodes.begin(), nodes.end(),
                     [&](const TgxTreeListNode* A, const TgxTreeListNode* B) { return order[A] < order[B]; });
    for (TgxTreeListNode* node : nodes) writer.Node(node);
}

void TCustomgxTreeList::CopyNodesToClipboard() {
    std::unique_ptr<TStringList, void (*)(TStringList*)> lines(new TStringList, [](TStringList* L) { L->Free(); });
    SaveSelectedToStrings(lines.get());
    Clipboard()->SetAsText(lines->GetText());
}
