// Building, fully expanding, walking in display order and clearing a tree list of 100,000 nodes,
// against the same work on 10,000 nodes: the cost must grow linearly (at most 12 times).
//
// Each size is run several times, taking turns, and the fastest run of each phase counts. The
// caches are flushed before every phase, so that both sizes start from memory and the ratio shows
// how the work grows rather than which size happens to fit a cache. The exit code is 1
// when the total ratio exceeds the limit.

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/cache_timing.h"
#include "treelist/tree_list.h"

namespace {

class TBenchTreeList : public TCustomgxTreeList {
    LUMORA_CLASS(TBenchTreeList, TCustomgxTreeList)
public:
    using TCustomgxTreeList::TCustomgxTreeList;
    TgxTreeListNode* CreateNode() override { return new TgxTreeListNode(this); }
};

enum Phase { Build, Expand, Walk, Clear, PhaseCount };
const char* const PhaseNames[PhaseCount] = {"build", "full expand", "walk in display order", "clear"};

// Roots with 9 children of 10 children each: 100 nodes per root, three levels.
void Run(int Nodes, double (&Best)[PhaseCount]) {
    auto* list = new TBenchTreeList(nullptr);
    double times[PhaseCount];
    times[Build] = bench::ColdMilliseconds([&] {
        list->BeginUpdate();
        for (int r = 0; r < Nodes / 100; ++r) {
            TgxTreeListNode* root = list->Add();
            for (int c = 0; c < 9; ++c) {
                TgxTreeListNode* child = root->AddChild();
                for (int g = 0; g < 10; ++g) child->AddChild();
            }
        }
        list->EndUpdate();
    });
    times[Expand] = bench::ColdMilliseconds([&] { list->FullExpand(); });
    long rows = 0;
    times[Walk] = bench::ColdMilliseconds([&] {
        for (TgxTreeListNode* n = list->GetFirstNode(); n; n = n->GetNextVisible()) rows += n->GetAbsoluteIndex() >= 0;
    });
    if (rows != Nodes) std::fprintf(stderr, "walked %ld rows of %d\n", rows, Nodes);
    times[Clear] = bench::ColdMilliseconds([&] { list->ClearNodes(); });
    for (int p = 0; p < PhaseCount; ++p) Best[p] = std::min(Best[p], times[p]);
    list->Free();
}

}  // namespace

int main() {
    constexpr int Small = 10000;
    constexpr int Large = 100000;
    constexpr double Limit = 12.0;
    double small[PhaseCount], large[PhaseCount];
    std::fill(std::begin(small), std::end(small), 1e300);
    std::fill(std::begin(large), std::end(large), 1e300);
    // The sizes take turns, so that a busy machine slows both alike.
    for (int round = 0; round < 8; ++round) {
        for (int i = 0; i < 5; ++i) Run(Small, small);
        Run(Large, large);
    }
    double smallTotal = 0, largeTotal = 0;
    for (int p = 0; p < PhaseCount; ++p) {
        std::printf("treelist_nodes %s, %d nodes: ours %.2f ms, %d nodes %.2f ms, ratio %.2f\n", PhaseNames[p], Large,
                    large[p], Small, small[p], large[p] / small[p]);
        smallTotal += small[p];
        largeTotal += large[p];
    }
    const double ratio = largeTotal / smallTotal;
    std::printf("treelist_nodes total, %d nodes: ours %.2f ms, %d nodes %.2f ms, ratio %.2f\n", Large, largeTotal,
                Small, smallTotal, ratio);
    std::printf("linear growth (total ratio at most %.0f): %s\n", Limit, ratio <= Limit ? "met" : "NOT met");
    return ratio <= Limit ? 0 : 1;
}
