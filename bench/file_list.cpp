// The file-list controller over the file grid (a memory table with the file-table fields, every
// record a node), 100,000 items against 10,000; each at most 12 times:
//   all_list     PrepareAllList
//   records      GetListFileRecord of every entry of that list
//   random       a random slideshow order
//   slideshow    a whole forward slideshow pass with SlideshowNext
//   filtered     the same pass with the table filtered to one kind of file (the grid finds each
//                row through the key order, which a filtered table uses as well)
// Each time is the best of a few runs, each started with cold processor caches so that neither
// size gains from data left in them by the run before. The table has the program's key order
// (IndexFileTableKeys), through which the grid finds the row of a focused node.

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench/cache_timing.h"
#include "bench/file_table.h"
#include "bench/peer_timing.h"
#include "catalogue/file_list.h"
#include "catalogue/temp_db.h"
#include "dbgrid/db_grid.h"
#include "framework/forms.h"
#include "framework/testing/ui_test.h"

namespace {

constexpr int Small = 10000;
constexpr int Large = 100000;

struct Result {
    double AllList = 0, Records = 0, Random = 0, Slideshow = 0, Filtered = 0;
};

// Best of Runs cold-started runs of Work, in ms.
double BestCold(int Runs, const std::function<void()>& Work) {
    double best = 1e300;
    for (int r = 0; r < Runs; ++r) best = std::min(best, bench::ColdMilliseconds(Work));
    return best;
}

Result Run(int Count) {
    bench::Table table;
    IndexFileTableKeys(table.T);
    table.Fill(bench::MakeRows(Count));
    table.T->First();
    TForm* form = new TForm(nullptr);
    form->SetBounds(0, 0, 800, 600);
    auto* source = new TDataSource(form);
    source->SetDataSet(table.T);
    auto* grid = new TgxDBGrid(form);
    grid->SetParent(form);
    grid->SetAlign(alClient);
    grid->SetOptions({egoColumnSizing, egoColumnMoving, egoTabThrough, egoMultiSelect, egoCanNavigation,
                      egoLoadAllRecords, egoExtMultiSelect, egoUseLocate, egoSmartReload, egoSmartRefresh,
                      egoSeekDetail, egoImmediateEditor, egoCanDelete});
    grid->SetUseBookmarks(false);
    auto column = [&](const char* Field) {
        auto* c = static_cast<TgxDBGridColumn*>(grid->CreateColumn(TgxDBGridColumn::StaticClass(), form));
        c->SetFieldName(Field);
        return c;
    };
    auto* list = new TLMFileList2(form);
    list->SetAttachedGXDBGrid(grid);
    list->NodeFilename = column("Filename");
    list->NodePath = column("Path");
    list->NodeFileID = column("FileID");
    list->NodePathID = column("PathID");
    list->NodeOriginalExtension = column("OriginalExtension");
    list->NodeLMType = column("LMFileType");
    list->NodeStorageMethod = column("StorageMethod");
    list->NodeDate = column("FileDate");
    grid->SetKeyField("KeyID");
    uitest::ShowForm(form);
    grid->SetDataSource(source);
    list->SetFileDisplayMode(0);

    Result r;
    Integer entries = 0;
    r.AllList = BestCold(7, [&] { entries = list->PrepareAllList(); });
    if (entries != Count) std::fprintf(stderr, "listed %d of %d\n", entries, Count);
    long named = 0;
    r.Records = BestCold(3, [&] {
        TFileRecord rec;
        for (Integer i = 0; i < entries; ++i) {
            list->GetListFileRecord(i, rec);
            named += !rec.Name.empty();
        }
    });
    if (named != 3L * Count) std::fprintf(stderr, "read %ld records of %d\n", named, 3 * Count);
    r.Random = BestCold(7, [&] { list->BuildSlideshowOrder(false, 2); });
    list->LoopSlideshow = false;
    // A whole forward pass from the first item, timed; Expected is the number of items it shows.
    auto slideshow = [&](Integer Expected, const char* What) {
        list->GotoFirst();
        Integer shown = 0;
        const double ms = BestCold(2, [&] {
            list->BuildSlideshowOrder(false, 0);
            shown = 0;
            do ++shown;
            while (!list->SlideshowNext());
        });
        if (shown != Expected) std::fprintf(stderr, "%s showed %d of %d\n", What, shown, Expected);
        return ms;
    };
    r.Slideshow = slideshow(Count, "slideshow");
    table.T->SetOnFilterRecord(
        [](TDataSet* D, bool& Accept) { Accept = D->FieldByName("LMFileType")->GetAsInteger() == 0; });
    r.Filtered = slideshow(Integer(table.T->GetFilterList().size()), "filtered slideshow");
    form->Free();
    uitest::ProcessEvents();
    return r;
}

bool Line(const char* What, double Large, double Small, double Limit) {
    return bench::ScalingLine("file_list", What, Large, Small, Limit);
}

}  // namespace

int main() {
    uitest::Start();
    Run(1000);  // warm up
    const Result small = Run(Small);
    const Result large = Run(Large);
    bool met = Line("prepare_all_list", large.AllList, small.AllList, 12);
    met &= Line("every_list_record", large.Records, small.Records, 12);
    met &= Line("random_order", large.Random, small.Random, 12);
    met &= Line("slideshow_pass", large.Slideshow, small.Slideshow, 12);
    met &= Line("filtered_slideshow_pass", large.Filtered, small.Filtered, 12);
    return met ? 0 : 1;
}
