// Sorting the nodes of the tree list in place, and the header click that asks for it.

#include "framework/forms.h"
#include "framework/resources.h"
#include "framework/sysutils.h"
#include "treelist/tree_list.h"

#include <utility>
#include <vector>

namespace {

bool IsStringValue(const Variant& Value) {
    const TVarType type = Value.VarType();
    return type == varString || type == varOleStr;
}

// The hourglass for the time of a sort; the cursor shown before comes back also after an
// exception.
class THourGlass {
public:
    explicit THourGlass(bool Show) : FShown(Show) {
        if (!Show) return;
        FSaved = Screen->GetCursor();
        Screen->SetCursor(crHourGlass);
    }
    ~THourGlass() {
        if (FShown) Screen->SetCursor(FSaved);
    }
    THourGlass(const THourGlass&) = delete;
    THourGlass& operator=(const THourGlass&) = delete;

private:
    bool FShown;
    TCursor FSaved = 0;
};

// One sort of one node list. The sort keys of a node are read once; the records (the node and its
// key values, one per sorted column) are sorted in place with the framework's quicksort, whose
// only way of moving records is to exchange two of them, so the records stay a permutation of the
// list whatever the comparison answers or raises.
class TNodeSorter {
public:
    TNodeSorter(TCustomgxTreeList* AList, Integer Column, bool Descending) : FList(AList) {
        const Integer sorted = AList->GetSortedColumnCount();
        if (AList->CanMultiSort(Column) && sorted > 1) {
            for (Integer i = 0; i < sorted; ++i) {
                FColumns.push_back(AList->GetSortedColumnIndex(i));
                FDescending.push_back(AList->IsSortedColumnDesc(i));
            }
        } else {
            FColumns.push_back(Column);
            FDescending.push_back(Descending);
        }
        FUserCompare = bool(AList->OnCompare);
        FAnsi = AList->IsAnsiSort();
    }

    // Sorts the nodes of List into Sorted (List itself is not touched).
    void Sort(const TgxTreeListNodeList& List, std::vector<TgxTreeListNode*>& Sorted) {
        const size_t count = size_t(List.GetCount());
        const size_t keys = FColumns.size();
        Sorted.assign(List.begin(), List.end());
        FValues.clear();
        FValues.reserve(count * keys);
        for (TgxTreeListNode* node : Sorted)
            for (Integer column : FColumns) FValues.push_back(FList->GetNodeSortValue(node, column));
        FNodes = &Sorted;
        auto compare = [this](int A, int B) { return Compare(size_t(A), size_t(B)); };
        auto exchange = [this, keys](int A, int B) {
            std::swap((*FNodes)[size_t(A)], (*FNodes)[size_t(B)]);
            Variant* a = &FValues[size_t(A) * keys];
            Variant* b = &FValues[size_t(B) * keys];
            for (size_t k = 0; k < keys; ++k) std::swap(a[k], b[k]);
        };
        lumora_detail::SafeQuickSort(0, int(count) - 1, compare, exchange);
    }

private:
    int Compare(size_t A, size_t B) {
        TgxTreeListNode* nodeA = (*FNodes)[A];
        TgxTreeListNode* nodeB = (*FNodes)[B];
        if (FUserCompare) {
            Integer result = 0;
            FList->OnCompare(FList, nodeA, nodeB, result);
            const int sign = result < 0 ? -1 : result > 0 ? 1 : 0;
            return FDescending[0] ? -sign : sign;
        }
        const size_t keys = FColumns.size();
        const Variant* a = &FValues[A * keys];
        const Variant* b = &FValues[B * keys];
        for (size_t k = 0; k < keys; ++k) {
            int result;
            if (FAnsi && IsStringValue(a[k])) {
                // Null sorts before every string, on either side of the comparison.
                if (b[k].IsNull())
                    result = 1;
                else if (VariantCompare(a[k], b[k]) == 0)
                    result = 0;
                else
                    result = AnsiCompareStr(a[k].AsString(), b[k].AsString());
            } else {
                result = VariantCompare(a[k], b[k]);
            }
            if (result != 0) return FDescending[k] ? -result : result;
        }
        return FList->CompareSelectionItems(nodeA, nodeB);
    }

    TCustomgxTreeList* FList;
    std::vector<Integer> FColumns;
    std::vector<bool> FDescending;
    bool FUserCompare = false;
    bool FAnsi = false;
    std::vector<Variant> FValues;
    std::vector<TgxTreeListNode*>* FNodes = nullptr;
};

}  // namespace

void TCustomgxTreeList::SortNodes(Integer Level, Integer Column, bool Descending) {
    if (!CanSortNodes() || FNodes.GetCount() == 0) return;
    THourGlass hourGlass(IsShowHourGlass());
    TNodeSorter sorter(this, Column, Descending);

    // Every list gets its new order before any list is rewritten, so a comparison that raises
    // leaves the whole tree as it was.
    std::vector<std::pair<TgxTreeListNodeList*, std::vector<TgxTreeListNode*>>> sorted;
    auto sortList = [&](TgxTreeListNodeList& List) -> const std::vector<TgxTreeListNode*>* {
        if (List.GetCount() < 2) return nullptr;
        sorted.emplace_back(&List, std::vector<TgxTreeListNode*>());
        sorter.Sort(List, sorted.back().second);
        return &sorted.back().second;
    };

    if (Level < 0) {
        // Parents before their children, each list in its new order.
        std::vector<TgxTreeListNodeList*> pending{&FNodes};
        std::vector<TgxTreeListNode*> order;
        while (!pending.empty()) {
            TgxTreeListNodeList* list = pending.back();
            pending.pop_back();
            const std::vector<TgxTreeListNode*>* result = sortList(*list);
            if (result)
                order = *result;
            else
                order.assign(list->begin(), list->end());
            for (auto it = order.rbegin(); it != order.rend(); ++it)
                if (!(*it)->FChildren.Empty()) pending.push_back(&(*it)->FChildren);
        }
    } else {
        std::vector<TgxTreeListNodeList*> lists{&FNodes};
        for (Integer depth = 0; depth < Level && !lists.empty(); ++depth) {
            std::vector<TgxTreeListNodeList*> next;
            for (TgxTreeListNodeList* list : lists)
                for (TgxTreeListNode* node : *list)
                    if (!node->FChildren.Empty()) next.push_back(&node->FChildren);
            lists.swap(next);
        }
        for (TgxTreeListNodeList* list : lists) sortList(*list);
    }

    bool changed = false;
    for (auto& [list, nodes] : sorted)
        for (Integer i = 0; i < list->GetCount(); ++i) {
            if ((*list)[i] == nodes[size_t(i)]) continue;
            list->Put(i, nodes[size_t(i)]);
            changed = true;
        }
    if (!changed) return;
    ClearCache();
    if (IsUpdating() || IsDestroying()) return;
    RefreshCache();
    Invalidate();
}

void TCustomgxTreeList::ClickColumn(Integer Column, TShiftState Shift) {
    FMultiSortClick = IsMultiSort() && Shift.Contains(ssShift);
    FClearSortClick = Shift.Contains(ssCtrl);
    try {
        DoColumnClick(Column);
    } catch (...) {
        FMultiSortClick = FClearSortClick = false;
        throw;
    }
    FMultiSortClick = FClearSortClick = false;
}
