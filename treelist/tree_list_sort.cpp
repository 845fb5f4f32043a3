// Sorting the nodes of the tree list in place, and the header click that asks for it.

#include "framework/forms.h"
#include "framework/resources.h"
#include "framework/scratch_memory.h"
#include "framework/sysutils.h"
#include "treelist/tree_list.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory_resource>
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

// Orders Items[0..Count) by Less with a merge sort whose every loop is bounded by its range:
// whatever Less answers (a user comparison that contradicts itself included) the result is a
// permutation and nothing outside the range is read. Items that Less finds equal keep their order.
// Buffer holds Count items. When Less raises, Items is left half done and the caller drops it.
template <class T, class Less>
void MergeSort(T* Items, T* Buffer, size_t Count, Less less) {
    constexpr size_t Run = 16;
    for (size_t low = 0; low < Count; low += Run) {
        const size_t high = std::min(low + Run, Count);
        for (size_t i = low + 1; i < high; ++i) {
            const T item = Items[i];
            size_t j = i;
            for (; j > low && less(item, Items[j - 1]); --j) Items[j] = Items[j - 1];
            Items[j] = item;
        }
    }
    if (Count <= Run) return;
    T* in = Items;
    T* out = Buffer;
    for (size_t width = Run; width < Count; width *= 2) {
        for (size_t low = 0; low < Count; low += 2 * width) {
            const size_t middle = std::min(low + width, Count);
            const size_t high = std::min(low + 2 * width, Count);
            size_t a = low;
            size_t b = middle;
            size_t o = low;
            // Runs already in order (a list sorted again) are copied after one comparison.
            if (b < high && less(in[b], in[b - 1]))
                while (a < middle && b < high) out[o++] = less(in[b], in[a]) ? in[b++] : in[a++];
            while (a < middle) out[o++] = in[a++];
            while (b < high) out[o++] = in[b++];
        }
        std::swap(in, out);
    }
    if (in != Items) std::copy(in, in + Count, Items);
}

// A position in a list with a 64-bit word that orders it.
struct TItem {
    uint64_t Word;
    uint32_t Index;
};

// Scatters Items[0..Count) into order by Passes digits of Width bits each, the lowest first, with
// Counts holding how often each value of each digit occurs; a digit that is the same in every item
// is skipped. Buffer holds Count items; the result ends in Items.
void ScatterByDigits(TItem* Items, TItem* Buffer, size_t Count, uint32_t* Counts, unsigned Passes, unsigned Width) {
    const uint64_t mask = (uint64_t(1) << Width) - 1;
    TItem* from = Items;
    TItem* to = Buffer;
    for (unsigned pass = 0; pass < Passes; ++pass) {
        uint32_t* start = Counts + (size_t(pass) << Width);
        const unsigned shift = pass * Width;
        if (start[(from[0].Word >> shift) & mask] == Count) continue;
        uint32_t offset = 0;
        for (size_t digit = 0; digit <= mask; ++digit) offset += std::exchange(start[digit], offset);
        for (size_t i = 0; i < Count; ++i) to[start[(from[i].Word >> shift) & mask]++] = from[i];
        std::swap(from, to);
    }
    if (from != Items) std::copy(from, from + Count, Items);
}

// Orders Items[0..Count) by their words, keeping items with equal words in their order: a radix
// sort. Words usually use few of the values each byte can take (digits, letters, the bytes of
// addresses that lie close together), so each word is first replaced by its rank in a dense
// numbering: each byte's values that occur are numbered in order and the word becomes the number
// with those as its digits, which orders the items as the words do in a fraction of the bits and
// so of the passes. Afterwards items whose words were equal still have equal words, and no others;
// the words themselves are gone. Buffer holds Count items.
void SortByWords(TItem* Items, TItem* Buffer, size_t Count) {
    if (Count < 64) {
        MergeSort(Items, Buffer, Count, [](const TItem& A, const TItem& B) { return A.Word < B.Word; });
        return;
    }
    std::vector<uint32_t> counts(8 * 256);
    for (size_t i = 0; i < Count; ++i)
        for (unsigned byte = 0; byte < 8; ++byte) ++counts[byte * 256 + uint8_t(Items[i].Word >> (8 * byte))];
    // Each byte value's share of the dense number, and the largest dense number.
    std::vector<uint64_t> shares(8 * 256);
    uint64_t scale = 1;
    uint64_t largest = 0;
    unsigned varying = 0;
    for (unsigned byte = 0; byte < 8; ++byte) {
        uint64_t values = 0;
        for (unsigned value = 0; value < 256; ++value)
            if (counts[byte * 256 + value]) shares[byte * 256 + value] = values++ * scale;
        largest += (values - 1) * scale;
        varying += values > 1;
        scale *= values;  // wraps only after the last byte, where it is no longer used
    }
    if (largest == 0) return;
    constexpr unsigned MaxWidth = 11;  // 2,048 counters of a digit stay in the first-level cache
    const unsigned bits = unsigned(std::bit_width(largest));
    const unsigned passes = (bits + MaxWidth - 1) / MaxWidth;
    // Ranking takes a pass over the items of its own, which pays when it saves two.
    if (passes + 1 >= varying) {
        ScatterByDigits(Items, Buffer, Count, counts.data(), 8, 8);
        return;
    }
    const unsigned width = (bits + passes - 1) / passes;
    const uint64_t mask = (uint64_t(1) << width) - 1;
    std::vector<uint32_t> digits(size_t(passes) << width);
    for (size_t i = 0; i < Count; ++i) {
        const uint64_t word = Items[i].Word;
        uint64_t rank = 0;
        for (unsigned byte = 0; byte < 8; ++byte) rank += shares[byte * 256 + uint8_t(word >> (8 * byte))];
        Items[i].Word = rank;
        for (unsigned pass = 0; pass < passes; ++pass)
            ++digits[(size_t(pass) << width) + ((rank >> (pass * width)) & mask)];
    }
    ScatterByDigits(Items, Buffer, Count, digits.data(), passes, width);
}

bool IsIntegerType(TVarType Type) {
    switch (Type) {
        case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: case varLongWord:
        case varInt64: return true;
        default: return false;
    }
}

// The sort values of one column in list order, read once per sort. While every value of the list
// is null or a string, or null or an integer, a value is kept as a word that decides most
// comparisons by itself (null 0, a string its first eight bytes as a big-endian number, an integer
// its value with the sign bit flipped) with the length and the rest of the string beside it;
// otherwise as the Variant, compared by the Variant rules. In the locale order a string is kept as
// its collation key, which compares byte by byte as the locale comparison does, and as itself in
// case the list turns out to hold values of several kinds.
class TSortKeys {
public:
    TSortKeys(bool Descending, bool Ansi, std::pmr::memory_resource* Memory)
        : FDescending(Descending), FAnsi(Ansi), FWords(Memory), FLengths(Memory), FTails(Memory), FTailStarts(Memory) {}

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

    // The word of value Index, ordered like the values in this column's direction where two words
    // differ (the same for every value while the values are Variants).
    uint64_t Word(uint32_t Index) const {
        if (FKind == skValues) return 0;
        return FDescending ? ~FWords[Index] : FWords[Index];
    }

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
    std::pmr::vector<uint64_t> FWords;
    // A string's length, NullLength for null; the bytes after the eighth of the strings longer
    // than eight, and where each starts (kept for those strings only).
    std::pmr::vector<uint32_t> FLengths;
    std::pmr::string FTails;
    std::pmr::vector<size_t> FTailStarts;

    TKind KindOf(const Variant& Value) const {
        if (Value.IsNull()) return skUndecided;
        if (IsIntegerType(Value.VarType())) return skIntegers;
        return IsStringValue(Value) ? skStrings : skValues;
    }

    // False for a string too long to keep as a word.
    bool SetWord(uint32_t Index, const Variant& Value) {
        if (Value.IsNull()) return true;
        if (FKind == skIntegers) {
            FWords[Index] = uint64_t(Value.AsInt64()) ^ (uint64_t(1) << 63);
            FLengths[Index] = 0;
            return true;
        }
        const std::string text = FAnsi ? AnsiSortKey(Value.AsString()) : Value.AsString();
        if (text.size() >= NullLength) return false;
        if (FAnsi) {
            FValues.resize(FWords.size());
            FValues[Index] = Value;
        }
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
        const bool kept = FAnsi && FKind == skStrings;
        FValues.resize(FWords.size());
        for (size_t i = 0; i < FWords.size(); ++i)
            if (!kept || FLengths[i] == NullLength) FValues[i] = ValueOf(i);
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
// are ordered by the first column's words, which decide most comparisons by themselves. Positions
// with equal words are ordered by the next column's words when their first values are all equal,
// else by the whole comparison, and the nodes are handed back in their new order. A user
// comparison orders all positions itself.
class TNodeSorter {
public:
    // The column that decides, and its direction, in the order they decide.
    using TColumns = std::vector<std::pair<Integer, bool>>;
    static TColumns SortColumns(TCustomgxTreeList* AList, Integer Column, bool Descending) {
        const Integer sorted = AList->GetSortedColumnCount();
        if (!AList->CanMultiSort(Column) || sorted <= 1) return {{Column, Descending}};
        TColumns columns;
        for (Integer i = 0; i < sorted; ++i)
            columns.emplace_back(AList->GetSortedColumnIndex(i), AList->IsSortedColumnDesc(i));
        return columns;
    }

    // Generous room for sorting lists of up to Nodes nodes by Columns columns (only what is used
    // is ever given memory), the nodes of every list in their new order included. Collation keys
    // are several times longer than their texts.
    static size_t ScratchBytes(size_t Nodes, size_t Columns, bool Ansi) {
        return Nodes * (128 + (Ansi ? 512 : 64) * Columns);
    }

    TNodeSorter(TCustomgxTreeList* AList, const TColumns& Columns, std::pmr::memory_resource* Memory)
        : FList(AList), FNodes(Memory), FItems(Memory), FBuffer(Memory), FIsParent(Memory), FParents(Memory) {
        const bool ansi = AList->IsAnsiSort();
        for (const auto& [column, descending] : Columns) {
            FColumns.push_back(column);
            FKeys.emplace_back(descending, ansi, Memory);
        }
        FUserCompare = bool(AList->OnCompare);
    }

    // Sorts the nodes of List into Sorted (List itself is not touched).
    void Sort(const TgxTreeListNodeList& List, std::pmr::vector<TgxTreeListNode*>& Sorted) {
        FCount = size_t(List.GetCount());
        FItems.resize(FCount);
        FBuffer.resize(FCount);
        FIsParent.resize(FCount);
        ReadValues(List);
        for (uint32_t i = 0; i < FCount; ++i) FItems[i] = {0, i};
        SortItems(FItems.data(), FBuffer.data(), FCount, 0);
        Sorted.resize(FCount);
        FParents.clear();
        for (size_t i = 0; i < FCount; ++i) {
            const uint32_t index = FItems[i].Index;
            Sorted[i] = FNodes[index];
            if (FIsParent[index]) FParents.push_back(FNodes[index]);
        }
    }

    // The nodes with children of the list last sorted, in its new order.
    const std::pmr::vector<TgxTreeListNode*>& Parents() const { return FParents; }

    // Calls Visit(Node, Position) with each node of the list last sorted and its position in the
    // new order, in the order the nodes lie in memory (the list itself may have been rewritten
    // since). The positions are spread over an array a quarter the size of the items.
    template <class F>
    void VisitNewPositions(F Visit) {
        std::pmr::vector<uint32_t> positions(FCount, FItems.get_allocator());
        for (uint32_t i = 0; i < FCount; ++i) positions[FItems[i].Index] = i;
        for (uint32_t i = 0; i < FCount; ++i) Visit(FNodes[i], positions[i]);
    }

private:
    // The nodes are visited, and their values kept, in the order they lie in memory, which after
    // an earlier sort is far from the list order: neighbours share cache lines and pages. A user
    // comparison sees them in list order, so that nodes it finds equal keep their order.
    void ReadValues(const TgxTreeListNodeList& List) {
        for (TSortKeys& keys : FKeys) keys.Reset(FCount);
        FNodes.assign(List.begin(), List.end());
        if (!FUserCompare && !std::is_sorted(FNodes.begin(), FNodes.end(), std::less<const TgxTreeListNode*>())) {
            for (uint32_t i = 0; i < FCount; ++i) FItems[i] = {reinterpret_cast<uintptr_t>(FNodes[i]), i};
            SortByWords(FItems.data(), FBuffer.data(), FCount);
            for (size_t i = 0; i < FCount; ++i) FNodes[i] = List[Integer(FItems[i].Index)];
        }
        for (uint32_t i = 0; i < FCount; ++i) ReadNode(i, FNodes[i]);
    }

    void ReadNode(uint32_t Index, TgxTreeListNode* Node) {
        FIsParent[Index] = !Node->GetChildren().Empty();
        for (size_t k = 0; k < FKeys.size(); ++k) FKeys[k].Set(Index, FList->GetNodeSortValue(Node, FColumns[k]));
    }

    // Orders Count items whose values are equal in the columns before Key.
    void SortItems(TItem* Items, TItem* Buffer, size_t Count, size_t Key) {
        if (Count < 2) return;
        auto less = [this](const TItem& A, const TItem& B) { return Compare(A.Index, B.Index) < 0; };
        if (FUserCompare || Key == FKeys.size()) {
            MergeSort(Items, Buffer, Count, less);
            return;
        }
        const TSortKeys& keys = FKeys[Key];
        for (size_t i = 0; i < Count; ++i) Items[i].Word = keys.Word(Items[i].Index);
        SortByWords(Items, Buffer, Count);
        for (size_t low = 0, high; low < Count; low = high) {
            high = low + 1;
            while (high < Count && Items[high].Word == Items[low].Word) ++high;
            if (high - low < 2) continue;
            size_t same = low + 1;
            while (same < high && keys.Compare(Items[low].Index, Items[same].Index) == 0) ++same;
            if (same == high)
                SortItems(Items + low, Buffer + low, high - low, Key + 1);
            else
                MergeSort(Items + low, Buffer + low, high - low, less);
        }
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
    // The nodes of the list being sorted in the order their values are kept, and the positions
    // being ordered with room to merge them.
    std::pmr::vector<TgxTreeListNode*> FNodes;
    size_t FCount = 0;
    std::pmr::vector<TItem> FItems;
    std::pmr::vector<TItem> FBuffer;
    // Per node in the order its values are kept: whether it has children; and those that have, in
    // the new order.
    std::pmr::vector<uint8_t> FIsParent;
    std::pmr::vector<TgxTreeListNode*> FParents;
};

}  // namespace

void TCustomgxTreeList::SortNodes(Integer Level, Integer Column, bool Descending) {
    if (!CanSortNodes() || FNodes.GetCount() == 0) return;
    THourGlass hourGlass(IsShowHourGlass());
    const TNodeSorter::TColumns columns = TNodeSorter::SortColumns(this, Column, Descending);
    TScratchMemory scratch(TNodeSorter::ScratchBytes(size_t(FNodeCount), columns.size(), IsAnsiSort()));
    TNodeSorter sorter(this, columns, scratch.Resource());

    // Every list gets its new order before any list is rewritten, so a comparison that raises
    // leaves the whole tree as it was.
    using TOrder = std::pmr::vector<TgxTreeListNode*>;
    std::vector<std::pair<TgxTreeListNodeList*, TOrder>> sorted;
    auto sortList = [&](TgxTreeListNodeList& List) -> const TOrder* {
        if (List.GetCount() < 2) return nullptr;
        sorted.emplace_back(&List, TOrder(scratch.Resource()));
        sorter.Sort(List, sorted.back().second);
        return &sorted.back().second;
    };

    if (Level < 0) {
        // Parents before their children, each list in its new order.
        std::vector<TgxTreeListNodeList*> pending{&FNodes};
        while (!pending.empty()) {
            TgxTreeListNodeList* list = pending.back();
            pending.pop_back();
            if (sortList(*list)) {
                const auto& parents = sorter.Parents();
                for (auto it = parents.rbegin(); it != parents.rend(); ++it) pending.push_back(&(*it)->FChildren);
            } else if (list->GetCount() == 1 && !(*list)[0]->FChildren.Empty()) {
                pending.push_back(&(*list)[0]->FChildren);
            }
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
    if (FCacheLocked || sorted.size() != 1 || sorted.front().first != &FNodes || !sorter.Parents().empty()) {
        RefreshCache();
    } else {
        // Only top-level nodes: the display order is the list's new order, and each node's display
        // index its position, written in memory order rather than scattered over the nodes.
        FDisplayOrder.assign(FNodes.begin(), FNodes.end());
        sorter.VisitNewPositions(
            [](TgxTreeListNode* Node, uint32_t Position) { Node->FDisplayIndex = Integer(Position); });
        FCacheBuilt = true;
        ClearRowHeightCache();
    }
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
