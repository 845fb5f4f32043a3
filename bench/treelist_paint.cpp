// A full repaint of a 1600 x 1200 tree list, a hit test, and scrolling one page at the end of the
// rows, with 100,000 nodes against the same work with 1,000 nodes: what is drawn and tested is
// one screen either way, so the cost must not grow with the nodes (ratios at most 1.2).
//
// Three levels (roots with 9 children of 10 children each), five text columns, fully expanded.
// Each size is run several times, taking turns, and the fastest run of each measure counts; the
// caches are flushed before every timed run. The exit code is 1 when a ratio exceeds the limit.

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "bench/cache_timing.h"
#include "framework/forms.h"
#include "framework/testing/ui_test.h"
#include "treelist/tree_list_control.h"

namespace {

enum Measure { Repaint, HitTest, PageScroll, MeasureCount };
const char* const MeasureNames[MeasureCount] = {"full repaint", "1000 hit tests", "page down and up at the end"};

class TBenchTreeList : public TCustomgxTreeListControl {
    LUMORA_CLASS(TBenchTreeList, TCustomgxTreeListControl)
public:
    using TCustomgxTreeListControl::TCustomgxTreeListControl;
};

void Run(int Nodes, double (&Best)[MeasureCount]) {
    TForm* form = new TForm(nullptr);
    form->SetBounds(0, 0, 1640, 1260);
    auto* list = new TBenchTreeList(form);
    list->SetParent(form);
    list->SetBounds(0, 0, 1600, 1200);
    list->SetShowIndicator(true);
    list->SetShowGrid(true);
    list->SetShowFooter(true);
    list->SetShowBands(true);
    for (int c = 0; c < 5; ++c) {
        TgxTreeListColumn* column = list->CreateColumn(TgxTreeListColumn::StaticClass(), form);
        column->SetCaption("Column " + std::to_string(c + 1));
        column->SetWidth(c == 0 ? 400 : 250);
    }
    list->BeginUpdate();
    int n = 0;
    for (int r = 0; r < Nodes / 100; ++r) {
        TgxTreeListNode* root = list->Add();
        root->SetString(0, "Root " + std::to_string(r));
        for (int c = 0; c < 9; ++c) {
            TgxTreeListNode* child = root->AddChild();
            child->SetString(0, "Child " + std::to_string(c));
            for (int g = 0; g < 10; ++g) {
                TgxTreeListNode* leaf = child->AddChild();
                for (int col = 0; col < 5; ++col) leaf->SetString(col, "Text " + std::to_string(n++ % 997));
            }
        }
    }
    list->FullExpand();
    list->EndUpdate();
    uitest::ShowForm(form);
    const Integer count = list->GetAbsoluteCount();
    const Integer page = list->GetFullVisibleRowCount();
    list->SetTopIndex(count / 2);
    list->Update();

    // Each measure three times; the fastest counts.
    auto best = [](const std::function<void()>& Work) {
        double time = 1e300;
        for (int i = 0; i < 3; ++i) time = std::min(time, bench::ColdMilliseconds(Work));
        return time;
    };
    double times[MeasureCount];
    times[Repaint] = best([&] {
        list->Invalidate();
        list->Update();
    });
    long hits = 0;
    times[HitTest] = best([&] {
        for (int i = 0; i < 1000; ++i) hits += list->GetHitInfo(TPoint(300 + i % 700, 200 + i % 800)).Row;
    });
    list->SetTopIndex(count - 2 * page);
    list->Update();
    times[PageScroll] = best([&] {
        list->Perform(WM_VSCROLL, SB_PAGEDOWN);
        list->Update();
        list->Perform(WM_VSCROLL, SB_PAGEUP);
        list->Update();
    });
    if (hits <= 0 || list->GetTopIndex() != count - 2 * page)
        std::fprintf(stderr, "unexpected state after %d nodes\n", Nodes);
    for (int m = 0; m < MeasureCount; ++m) Best[m] = std::min(Best[m], times[m]);
    form->Free();
}

}  // namespace

int main() {
    uitest::Start();
    constexpr int Small = 1000;
    constexpr int Large = 100000;
    constexpr double Limit = 1.2;
    double small[MeasureCount], large[MeasureCount];
    std::fill(std::begin(small), std::end(small), 1e300);
    std::fill(std::begin(large), std::end(large), 1e300);
    for (int round = 0; round < 4; ++round) {
        Run(Small, small);
        Run(Large, large);
    }
    bool met = true;
    for (int m = 0; m < MeasureCount; ++m) {
        const double ratio = large[m] / small[m];
        std::printf("treelist_paint %s, %d nodes: ours %.2f ms, %d nodes %.2f ms, ratio %.2f\n", MeasureNames[m], Large,
                    large[m], Small, small[m], ratio);
        met = met && ratio <= Limit;
    }
    std::printf("cost independent of the node count (ratios at most %.1f): %s\n", Limit, met ? "met" : "NOT met");
    return met ? 0 : 1;
}
