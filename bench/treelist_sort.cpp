// Sorting a tree list of 100,000 nodes by one column and by two columns (ascending, then
// descending within ties), against the same work on 10,000 nodes: the cost must grow like
// n log n (at most 14 times). A plain std::sort of the same texts with the same comparison is the
// peer: one column may take at most 1.5 times as long, two columns at most twice.
//
// Each size is run several times, taking turns, and the fastest run of each sort counts. The
// caches are flushed before every timed sort, so that the ratio shows how the work grows rather
// than which size happens to fit a cache. The exit code is 1 when a ratio exceeds the limit.

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/cache_timing.h"
#include "treelist/tree_list_control.h"

namespace {

// Sorts by the node texts, as the plain tree list does.
class TBenchTreeList : public TCustomgxTreeListControl {
    LUMORA_CLASS(TBenchTreeList, TCustomgxTreeListControl)
public:
    using TCustomgxTreeListControl::TCustomgxTreeListControl;
    Variant GetNodeSortValue(TgxTreeListNode* Node, Integer Column) override { return GetNodeValue(Node, Column); }
};

enum Sort { OneColumn, TwoColumns, Floor, FloorTwo, SortCount };
const char* const SortNames[SortCount] = {"one column", "two columns", "std::sort of the texts",
                                          "std::sort of the text pairs"};

// Column 0: one of 200 kinds (many ties); column 1: a number text; column 2: a shuffling key.
void Run(int Nodes, unsigned Seed, double (&Best)[SortCount]) {
    std::mt19937 random(Seed);
    auto* list = new TBenchTreeList(nullptr);
    TgxTreeListColumn* kind = list->CreateColumn(TgxTreeListColumn::StaticClass(), nullptr);
    TgxTreeListColumn* number = list->CreateColumn(TgxTreeListColumn::StaticClass(), nullptr);
    list->CreateColumn(TgxTreeListColumn::StaticClass(), nullptr);
    std::vector<std::string> numbers;
    std::vector<std::pair<std::string, std::string>> pairs;
    list->BeginUpdate();
    for (int i = 0; i < Nodes; ++i) {
        TgxTreeListNode* node = list->Add();
        node->SetString(0, "kind " + std::to_string(random() % 200));
        numbers.push_back(std::to_string(100000000 + random() % 900000000));
        node->SetString(1, numbers.back());
        pairs.emplace_back(node->GetString(0), numbers.back());
        node->SetString(2, std::to_string(random()));
    }
    list->EndUpdate();

    double times[SortCount];
    times[OneColumn] = bench::ColdMilliseconds([&] { list->SortNodes(-1, 1, false); });
    list->SortNodes(-1, 2, false);
    list->SetOptionsEx(list->GetOptionsEx() + TgxTreeListOptionsEx{aoMultiSort});
    list->BeginUpdate();
    kind->SetSorted(csUp);
    number->SetSorted(csDown);
    list->EndUpdate();
    times[TwoColumns] = bench::ColdMilliseconds([&] { list->SortNodes(-1, 0, false); });
    times[Floor] = bench::ColdMilliseconds([&] { std::sort(numbers.begin(), numbers.end()); });
    // Kinds ascending, numbers descending within a kind, both compared byte by byte.
    times[FloorTwo] = bench::ColdMilliseconds([&] {
        std::sort(pairs.begin(), pairs.end(), [](const auto& A, const auto& B) {
            const int kind = A.first.compare(B.first);
            return kind != 0 ? kind < 0 : B.second < A.second;
        });
    });

    // The two-column order: kinds ascending, numbers descending within a kind.
    for (Integer i = 1; i < list->GetCount(); ++i) {
        TgxTreeListNode* a = list->GetItem(i - 1);
        TgxTreeListNode* b = list->GetItem(i);
        const bool ordered = a->GetString(0) < b->GetString(0) ||
                             (a->GetString(0) == b->GetString(0) && a->GetString(1) >= b->GetString(1));
        if (!ordered) {
            std::fprintf(stderr, "nodes %d and %d are out of order\n", int(i - 1), int(i));
            break;
        }
    }
    for (int s = 0; s < SortCount; ++s) Best[s] = std::min(Best[s], times[s]);
    list->Free();
}

}  // namespace

int main() {
    constexpr int Small = 10000;
    constexpr int Large = 100000;
    constexpr double Limit = 14.0;
    double small[SortCount], large[SortCount];
    std::fill(std::begin(small), std::end(small), 1e300);
    std::fill(std::begin(large), std::end(large), 1e300);
    // The sizes take turns, so that a busy machine slows both alike.
    unsigned seed = 1;
    for (int round = 0; round < 6; ++round) {
        for (int i = 0; i < 5; ++i) Run(Small, seed++, small);
        Run(Large, seed++, large);
    }
    bool grows = true;
    for (int s = 0; s < SortCount; ++s) {
        const double ratio = large[s] / small[s];
        std::printf("treelist_sort %s, %d nodes: ours %.2f ms, %d nodes %.2f ms, ratio %.2f\n", SortNames[s], Large,
                    large[s], Small, small[s], ratio);
        if (s == OneColumn || s == TwoColumns) grows = grows && ratio <= Limit;
    }
    const double one = large[OneColumn] / large[Floor];
    const double two = large[TwoColumns] / large[FloorTwo];
    std::printf("treelist_sort one column, %d nodes: ours %.2f ms, std::sort %.2f ms, ratio %.2f\n", Large,
                large[OneColumn], large[Floor], one);
    std::printf("treelist_sort two columns, %d nodes: ours %.2f ms, std::sort %.2f ms, ratio %.2f\n", Large,
                large[TwoColumns], large[FloorTwo], two);
    const bool peers = one <= 1.5 && two <= 2.0;
    std::printf("n log n growth (ratios at most %.0f): %s\n", Limit, grows ? "met" : "NOT met");
    std::printf("against std::sort (one column at most 1.5, two columns at most 2): %s\n", peers ? "met" : "NOT met");
    return grows && peers ? 0 : 1;
}
