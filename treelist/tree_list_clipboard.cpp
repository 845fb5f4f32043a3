// The text form of the tree list's rows: a header line of captions and one line of
// tab-separated cells per node, for the displayed rows or the selection, and Ctrl+C's copy of it
// to the clipboard.

#include <algorithm>
#include <memory>
#include <unordered_set>
#include <vector>

#include "framework/clipboard.h"
#include "framework/string_list.h"
#include "framework/sysutils.h"
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
    Strings->SetCapacity(std::max(Strings->GetCapacity(), Strings->GetCount() + count));
    // Tree order: one walk over the nodes meets the selected ones in the order CompareNodesByPosition
    // gives, without its sibling searches.
    std::unordered_set<const TgxTreeListNode*> selected;
    selected.reserve(size_t(std::max<Integer>(count, 0)));
    for (Integer i = 0; i < count; ++i) selected.insert(GetSelectedNode(i));
    size_t found = 0;
    for (TgxTreeListNode* node = GetFirstNode(); node && found < selected.size(); node = node->GetNext())
        if (selected.count(node)) {
            writer.Node(node);
            ++found;
        }
}

namespace {

// Lines kept as the text the clipboard gets: each line followed by CR LF in one buffer, with
// where each line starts.
class TgxJoinedLines : public TStrings {
    LUMORA_CLASS(TgxJoinedLines, TStrings)
public:
    std::string Get(int Index) const override {
        const size_t start = FStarts.at(size_t(Index));
        const size_t end = size_t(Index) + 1 < FStarts.size() ? FStarts[size_t(Index) + 1] : FText.size();
        return FText.substr(start, end - start - 2);
    }
    int GetCount() const override { return int(FStarts.size()); }
    void Insert(int Index, const std::string& S) override {
        if (Index < 0 || Index > GetCount())
            throw EStringListError("List index out of bounds (" + IntToStr(Index) + ")");
        const size_t at = size_t(Index) < FStarts.size() ? FStarts[size_t(Index)] : FText.size();
        FText.insert(at, S + LineBreak);
        for (size_t i = size_t(Index); i < FStarts.size(); ++i) FStarts[i] += S.size() + 2;
        FStarts.insert(FStarts.begin() + Index, at);
    }
    void Delete(int Index) override {
        const size_t start = FStarts.at(size_t(Index));
        const size_t length = Get(Index).size() + 2;
        FText.erase(start, length);
        FStarts.erase(FStarts.begin() + Index);
        for (size_t i = size_t(Index); i < FStarts.size(); ++i) FStarts[i] -= length;
    }
    void Clear() override {
        FText.clear();
        FStarts.clear();
    }
    std::string GetText() const override { return FText; }
    const std::string& Text() const { return FText; }

private:
    std::string FText;
    std::vector<size_t> FStarts;
};

}  // namespace

void TCustomgxTreeList::CopyNodesToClipboard() {
    std::unique_ptr<TgxJoinedLines, void (*)(TgxJoinedLines*)> lines(new TgxJoinedLines,
                                                                     [](TgxJoinedLines* L) { L->Free(); });
    SaveSelectedToStrings(lines.get());
    Clipboard()->SetAsText(lines->Text());
}
