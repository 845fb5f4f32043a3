// Sorting the nodes of the tree list in place, and the header click that asks for it.

#include "framework/forms.h"
#include "framework/resources.h"
#include "framework/sysutils.h"
#include "treelist/tree_list.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
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

// Orders Items by Less with a merge sort whose every loop is bounded by its range: whatever Less
// answers (a user comparison that contradicts itself included) the result is a permutation and
// nothing outside the range is read. When Less raises, Items is left half done and the caller
// drops it.
template <class T, class Less>
void MergeSort(std::vector<T>& Items, Less less) {
    constexpr size_t Run = 16;
    const size_t count = Items.size();
    for (size_t low = 0; low < count; low += Run) {
        const size_t high = std::min(low + Run, count);
        for (size_t i = low + 1; i < high; ++i) {
            const T item = Items[i];
            size_t j = i;
            for (; j > low && less(item, Items[j - 1]); --j) Items[j] = Items[j - 1];
            Items[j] = item;
        }
    }
    if (count <= Run) return;
    std::vector<T> buffer(count);
    std::vector<T>* from = &Items;
    std::vector<T>* to = &buffer;
    for (size_t width = Run; width < count; width *= 2) {
        const T* in = from->data();
        T* out = to->data();
        for (size_t low = 0; low < count; low += 2 * width) {
            const size_t middle = std::min(low + width, count);
            const size_t high = std::min(low + 2 * width, count);
            size_t a = low;
            size_t b = middle;
            size_t o = low;
            // Runs already in order (a list sorted again) are copied after one comparison.
            if (b < high && less(in[b], in[b - 1]))
                while (a < middle && b < high) out[o++] = less(in[b], in[a]) ? in[b++] : in[a++];
            while (a < middle) out[o++] = in[a++];
            while (b < high) out[o++] = in[b++];
        }
        std::swap(from, to);
    }
    if (from != &Items) Items.swap(buffer);
}

bool IsIntegerType(TVarType Type) {
    switch (Type) {
        case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: case varLongWord:
        case varInt64: return true;
        default: return false;
    }
}

// The sort values of one column in list order, read once per sort. While every value of the list
// is null or a string (compared ordinally), or null or an integer, a value is kept as a word that
// decides most comparisons by itself (null 0, a string its first eight bytes as a big-endian
// number, an integer its value with the sign bit flipped) with the length and the rest of the
// string beside it; otherwise as the Variant, compared by the Variant rules.
class TSortKeys {
public:
    TSortKeys(bool Descending, bool Ansi) : FDescending(Descending), FAnsi(Ansi) {}

    bool Descending() const { return FDescending; }

    // Makes room for Count values, all null.
    void Reset(size_t Count) {
        FKind = skUndecided;
        FValues.clear();
        FWords.assign(Count, 0);
        FLengths.assign(Count, NullLength);
        FTails.clear();
        FTailStarts.clear();
    }

    void Set(uint32_t Index, Variant Value) {
        if (FKind != skValues) {
            const TKind kind = KindOf(Value);
            if (kind != skValues && (kind == skUndecided || FKind == skUndecided || kind == FKind)) {
                if (FKind == skUndecided) FKind = kind;
                if (SetWord(Index, Value)) return;
            }
            MakeValues();
        }
        FValues[Index] = std::move(Value);
    }

    // The word of value Index, ordered like the values where two words differ (0 while the values
    // are Variants).
    uint64_t Word(uint32_t Index) const { return FKind == skValues ? 0 : FWords[Index]; }

    // A's and B's order by this column, in its direction.
    int Compare(uint32_t A, uint32_t B) const {
        const int result = FKind == skValues ? CompareValues(FValues[A], FValues[B]) : CompareWords(A, B);
        return FDescending ? -result : result;
    }

private:
    enum TKind { skUndecided, skStrings, skIntegers, skValues };
    static constexpr uint32_t NullLength = UINT32_MAX;

    bool FDescending;
    bool FAnsi;
    TKind FKind = skUndecided;
    std::vector<Variant> FValues;
    std::vector<uint64_t> FWords;
    // A string's length, NullLength for null; the bytes after the eighth of the strings longer
    // than eight, and where each starts (kept for those strings only).
    std::vector<uint32_t> FLengths;
    std::string FTails;
    std::vector<size_t> FTailStarts;

    TKind KindOf(const Variant& Value) const {
        if (Value.IsNull()) return skUndecided;
        if (IsIntegerType(Value.VarType())) return skIntegers;
        return IsStringValue(Value) && !FAnsi ? skStrings : skValues;
    }

    // False for a string too long to keep as a word.
    bool SetWord(uint32_t Index, const Variant& Value) {
        if (Value.IsNull()) return true;
        if (FKind == skIntegers) {
            FWords[Index] = uint64_t(Value.AsInt64()) ^ (uint64_t(1) << 63);
            FLengths[Index] = 0;
            return true;
        }
        const std::string text = Value.AsString();
        if (text.size() >= NullLength) return false;
        uint64_t word = 0;
        for (size_t i = 0; i < 8; ++i) word = word << 8 | (i < text.size() ? uint8_t(text[i]) : 0);
        FWords[Index] = word;
        FLengths[Index] = uint32_t(text.size());
        if (text.size() > 8) {
            FTailStarts.resize(FWords.size());
            FTailStarts[Index] = FTails.size();
            FTails.append(text, 8);
        }
        return true;
    }

    // The values kept as words as Variants again, for a list whose values are of several kinds.
    void MakeValues() {
        FValues.resize(FWords.size());
        for (size_t i = 0; i < FWords.size(); ++i) FValues[i] = ValueOf(i);
        FKind = skValues;
    }

    Variant ValueOf(size_t Index) const {
        const uint32_t length = FLengths[Index];
        if (length == NullLength) return Null();
        if (FKind == skIntegers) return Variant(Int64(FWords[Index] ^ (uint64_t(1) << 63)));
        std::string text(std::min<size_t>(length, 8), '\0');
        for (size_t i = 0; i < text.size(); ++i) text[i] = char(FWords[Index] >> (56 - 8 * i));
        if (length > 8) text.append(FTails, FTailStarts[Index], length - 8);
        return Variant(std::move(text));
    }

    int CompareWords(uint32_t A, uint32_t B) const {
        if (FWords[A] != FWords[B]) return FWords[A] < FWords[B] ? -1 : 1;
        const uint32_t lengthA = FLengths[A];
        const uint32_t lengthB = FLengths[B];
        // Null sorts first; integers with equal words are equal.
        if (lengthA == NullLength || lengthB == NullLength)
            return int(lengthA != NullLength) - int(lengthB != NullLength);
        const uint32_t shorter = std::min(lengthA, lengthB);
        if (shorter > 8)
            if (const int c = std::memcmp(&FTails[FTailStarts[A]], &FTails[FTailStarts[B]], shorter - 8))
                return c < 0 ? -1 : 1;
        return lengthA < lengthB ? -1 : lengthA > lengthB ? 1 : 0;
    }

    int CompareValues(const Variant& A, const Variant& B) const {
        if (!FAnsi || !IsStringValue(A)) return VariantCompare(A, B);
        // Null sorts before every string, on either side of the comparison.
        if (B.IsNull()) return 1;
        if (VariantCompare(A, B) == 0) return 0;
        return AnsiCompareStr(A.AsString(), B.AsString());
    }
};

// One sort of one node list: the values of every node are read once, then the nodes' positions
// are sorted (with the first column's word beside each, which decides most comparisons without
// looking further) and the nodes are handed back in their new order.
class TNodeSorter {
public:
    TNodeSorter(TCustomgxTreeList* AList, Integer Column, bool Descending) : FList(AList) {
        const bool ansi = AList->IsAnsiSort();
        const Integer sorted = AList->GetSortedColumnCount();
        if (AList->CanMultiSort(Column) && sorted > 1) {
            for (Integer i = 0; i < sorted; ++i) {
                FColumns.push_back(AList->GetSortedColumnIndex(i));
                FKeys.emplace_back(AList->IsSortedColumnDesc(i), ansi);
            }
        } else {
            FColumns.push_back(Column);
            FKeys.emplace_back(Descending, ansi);
        }
        FUserCompare = bool(AList->OnCompare);
    }

    // Sorts the nodes of List into Sorted (List itself is not touched).
    void Sort(const TgxTreeListNodeList& List, std::vector<TgxTreeListNode*>& Sorted) {
        FNodes = List.begin();
        FCount = size_t(List.GetCount());
        ReadValues();
        const TSortKeys& first = FKeys.front();
        std::vector<TItem> items(FCount);
        for (uint32_t i = 0; i < items.size(); ++i) items[i] = {FUserCompare ? 0 : first.Word(i), i};
        const bool descending = first.Descending();
        MergeSort(items, [this, descending](const TItem& A, const TItem& B) {
            if (A.Word != B.Word) return (A.Word < B.Word) != descending;
            return Compare(A.Index, B.Index) < 0;
        });
        Sorted.resize(items.size());
        for (size_t i = 0; i < items.size(); ++i) Sorted[i] = FNodes[items[i].Index];
    }

private:
    struct TItem {
        uint64_t Word;
        uint32_t Index;
    };

    // The nodes are visited in the order they lie in memory, which after an earlier sort is far
    // from the list order: neighbours share cache lines and pages.
    void ReadValues() {
        for (TSortKeys& keys : FKeys) keys.Reset(FCount);
        const std::less<const TgxTreeListNode*> before;
        if (std::is_sorted(FNodes, FNodes + FCount, before)) {
            for (uint32_t i = 0; i < FCount; ++i) ReadNode(i);
            return;
        }
        std::vector<uint32_t> visits(FCount);
        for (uint32_t i = 0; i < FCount; ++i) visits[i] = i;
        std::sort(visits.begin(), visits.end(), [&](uint32_t A, uint32_t B) { return before(FNodes[A], FNodes[B]); });
        for (uint32_t i : visits) ReadNode(i);
    }

    void ReadNode(uint32_t Index) {
        for (size_t k = 0; k < FKeys.size(); ++k)
            FKeys[k].Set(Index, FList->GetNodeSortValue(FNodes[Index], FColumns[k]));
    }

    int Compare(uint32_t A, uint32_t B) {
        if (FUserCompare) {
            Integer result = 0;
            FList->OnCompare(FList, FNodes[A], FNodes[B], result);
            const int sign = result < 0 ? -1 : result > 0 ? 1 : 0;
            return FKeys.front().Descending() ? -sign : sign;
        }
        for (const TSortKeys& keys : FKeys)
            if (const int result = keys.Compare(A, B)) return result;
        return FList->CompareSelectionItems(FNodes[A], FNodes[B]);
    }

    TCustomgxTreeList* FList;
    std::vector<Integer> FColumns;
    std::vector<TSortKeys> FKeys;
    bool FUserCompare = false;
    // The list's nodes while it is sorted.
    TgxTreeListNode* const* FNodes = nullptr;
    size_t FCount = 0;
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
