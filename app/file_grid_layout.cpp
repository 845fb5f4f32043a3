// The file grid's layout as the settings store keeps it (file_grid_presenter.h).

#include <algorithm>

#include "app/file_grid_presenter.h"
#include "app/settings.h"
#include "dbgrid/db_grid.h"
#include "framework/actions.h"

bool TFileGridPresenter::GetLayout(TGridLayout& Layout) {
    if (!FGrid) return false;
    const TgxDBGridOptions options = FGrid->GetOptions();
    Layout.ShowGroupPanel = FGrid->GetShowGroupPanel();
    Layout.FlatStyle = FGrid->GetLookAndFeel() == lfFlat;
    Layout.AutoWidth = options.Contains(egoAutoWidth);
    Layout.AutoPreview = options.Contains(egoPreview);
    Layout.Columns.clear();
    for (Integer i = 0; i < FGrid->GetColumnCount(); ++i) {
        TgxDBTreeListColumn* c = FGrid->GetDBColumn(i);
        Layout.Columns.push_back({c->GetName(), c->GetVisible(), i, c->GetGroupIndex(), c->GetWidth(), c->GetSorted()});
    }
    return true;
}

void TFileGridPresenter::ApplyLayout(const TGridLayout& Layout) {
    if (!FGrid) return;
    TgxDBGridOptions options = FGrid->GetOptions();
    for (auto [option, on] : {std::pair{egoAutoWidth, Layout.AutoWidth}, std::pair{egoPreview, Layout.AutoPreview}}) {
        if (on)
            options.Include(option);
        else
            options.Exclude(option);
    }
    actGridGrouper->SetChecked(Layout.ShowGroupPanel);
    actGridPreview->SetChecked(Layout.AutoPreview);
    // The columns the layout names, in the order it gives them (the rest keep their places after).
    std::vector<std::pair<const TGridLayoutColumn*, TgxDBTreeListColumn*>> known;
    for (const TGridLayoutColumn& stored : Layout.Columns)
        if (auto* c = dynamic_cast<TgxDBTreeListColumn*>(FGrid->ColumnByName(stored.Name)))
            known.emplace_back(&stored, c);
    std::stable_sort(known.begin(), known.end(),
                     [](const auto& A, const auto& B) { return A.first->Index < B.first->Index; });
    FGrid->InUpdateBracket([&] {
        FGrid->SetOptions(options);
        FGrid->SetLookAndFeel(Layout.FlatStyle ? lfFlat : lfStandard);
        FGrid->SetShowGroupPanel(Layout.ShowGroupPanel);
        FGrid->BeginGrouping();
        try {
            for (auto& [stored, c] : known) {
                c->SetVisible(stored->Visible);
                c->SetGroupIndex(stored->GroupIndex);
                if (stored->Width > 0) c->SetWidth(stored->Width);
                if (stored->Sorted >= csNone && stored->Sorted <= csUp)
                    c->SetSorted(static_cast<TgxTreeListColumnSort>(stored->Sorted));
            }
            Integer position = 0;
            for (auto& entry : known) entry.second->SetIndex(position++);
        } catch (...) {
            FGrid->EndGrouping();
            throw;
        }
        FGrid->EndGrouping();
    });
}
