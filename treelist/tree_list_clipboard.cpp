// The text form of the tree list's rows: a header line of captions and one line of
// tab-separated cells per node, for the displayed rows or the selection, and Ctrl+C's copy of it
// to the clipboard.

#include <algorithm>
#include <memory>
#include <functional>
#include <utility>
#include <vector>

#include "framework/clipboard.h"
#include "framework/string_list.h"
#include "framework/sysutils.h"
#include "treelist/tree_list.h"
#include "treelist/tree_list_text_writer.h"

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

// Nodes looked up by address in a sorted list. Lookups that come in address order, as a walk over
// nodes made one after another does, move forward from the last place found at no cost; others
// gallop from it, so any order stays logarithmic.
class TgxNodeAddressSet {
public:
    explicit TgxNodeAddressSet(std::vector<const TgxTreeListNode*> Nodes) : FNodes(std::move(Nodes)) {
        const std::less<const TgxTreeListNode*> less;
        if (!std::is_sorted(FNodes.begin(), FNodes.end(), less)) std::sort(FNodes.begin(), FNodes.end(), less);
    }
    bool Contains(const TgxTreeListNode* Node) {
        const std::less<const TgxTreeListNode*> less;
        const size_t n = FNodes.size();
        if (FAt < n && FNodes[FAt] == Node) {
            ++FAt;
            return true;
        }
        // Bounds around Node's place, widened from FAt by doubling steps until the entry at one
        // is less than Node and the entry at the other is not (or a bound reached an end).
        size_t low = FAt;
        size_t high = FAt;
        size_t step = 1;
        if (FAt < n && less(FNodes[FAt], Node)) {
            while (low + step < n && less(FNodes[low + step], Node)) {
                low += step;
                step *= 2;
            }
            high = std::min(n, low + step);
        } else {
            while (high >= step && !less(FNodes[high - step], Node)) {
                high -= step;
                step *= 2;
            }
            low = high >= step ? high - step : 0;
        }
        const auto it = std::lower_bound(FNodes.begin() + std::ptrdiff_t(low), FNodes.begin() + std::ptrdiff_t(high),
                                         Node, less);
        FAt = size_t(it - FNodes.begin());
        if (it == FNodes.end() || *it != Node) return false;
        ++FAt;
        return true;
    }

private:
    std::vector<const TgxTreeListNode*> FNodes;
    size_t FAt = 0;
};

// Every node of the list depth first (a parent before its children), children by index, until
// Visit answers false.
template <class Visit>
void WalkTree(TCustomgxTreeList* List, Visit&& V) {
    // Each parent on the way down (none for the roots) and the index of its next child.
    std::vector<std::pair<const TgxTreeListNode*, Integer>> path{{nullptr, 0}};
    while (!path.empty()) {
        auto& [parent, next] = path.back();
        if (next >= (parent ? parent->GetCount() : List->GetCount())) {
            path.pop_back();
            continue;
        }
        TgxTreeListNode* node = parent ? parent->GetItem(next) : List->GetItem(next);
        ++next;
        if (!V(node)) return;
        if (node->GetCount() > 0) path.emplace_back(node, 0);
    }
}

}  // namespace

TgxTreeListTextWriter::TgxTreeListTextWriter(TCustomgxTreeList* AList, TStrings* AStrings)
    : L(AList), S(AStrings), Columns(ShownColumns(AList)) {}

void TgxTreeListTextWriter::Header() {
    std::string caption;
    FLine.clear();
    for (Integer column : Columns) {
        L->GetHeaderCaption(column, caption);
        FLine += caption;
        FLine += '\t';
    }
    FLine += '\r';
    S->Add(FLine);
}

void TgxTreeListTextWriter::Node(TgxTreeListNode* Node) {
    if (L->IsGroupNode(Node)) {
        S->Add(L->GetNodeString(Node, 0));
        return;
    }
    Row([&](Integer Column) { return L->GetNodeString(Node, Column); });
}

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
    const Integer count = std::max<Integer>(GetSelectedCount(), 0);
    Strings->SetCapacity(std::max(Strings->GetCapacity(), Strings->GetCount() + count));
    // Tree order: one walk over the nodes meets the selected ones in the order CompareNodesByPosition
    // gives, without its sibling searches.
    std::vector<const TgxTreeListNode*> chosen;
    chosen.reserve(size_t(count));
    for (Integer i = 0; i < count; ++i) chosen.push_back(GetSelectedNode(i));
    TgxNodeAddressSet selected(std::move(chosen));
    Integer left = count;
    WalkTree(this, [&](TgxTreeListNode* Node) {
        if (selected.Contains(Node)) {
            writer.Node(Node);
            --left;
        }
        return left > 0;
    });
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
    int GetCapacity() const override { return int(FStarts.capacity()); }
    void SetCapacity(int NewCapacity) override { FStarts.reserve(size_t(std::max(NewCapacity, 0))); }
    void Insert(int Index, const std::string& S) override {
        if (Index < 0 || Index > GetCount())
            throw EStringListError("List index out of bounds (" + IntToStr(Index) + ")");
        if (size_t(Index) == FStarts.size()) {
            FStarts.push_back(FText.size());
            FText += S;
            FText += LineBreak;
            if (FStarts.size() == EstimateAfter) ReserveText();
            return;
        }
        const size_t at = FStarts[size_t(Index)];
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
    std::string TakeText() { return std::move(FText); }

private:
    // Once a few lines are in, room for the expected count of lines like them, with a margin, so
    // that a large text is written once rather than copied at each doubling. Long first lines
    // reserve no more than a kilobyte a line.
    static constexpr size_t EstimateAfter = 16;
    void ReserveText() {
        const size_t expected = FStarts.capacity();
        if (expected <= FStarts.size()) return;
        const size_t perLine = std::min<size_t>(FText.size() / FStarts.size() * 5 / 4, 1024);
        FText.reserve(FText.size() + (expected - FStarts.size()) * perLine);
    }

    std::string FText;
    std::vector<size_t> FStarts;
};

}  // namespace

void TCustomgxTreeList::CopyNodesToClipboard() {
    std::unique_ptr<TgxJoinedLines, void (*)(TgxJoinedLines*)> lines(new TgxJoinedLines,
                                                                     [](TgxJoinedLines* L) { L->Free(); });
    SaveSelectedToStrings(lines.get());
    Clipboard()->SetAsText(lines->TakeText());
}
