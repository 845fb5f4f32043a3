// Partial-load mode: the grid holds a slice of the dataset around the current record, rebuilt
// when the dataset leaves it and extended at either end as the rows scroll towards that end.

#include "dbgrid/db_grid.h"
#include "dbgrid/db_grid_internal.h"

#include <algorithm>

using namespace dbgrid_internal;

// One slice load: the walk over the dataset and what each loaded record brings along.
class TCustomgxDBGrid::TPartialLoader {
public:
    TPartialLoader(TCustomgxDBGrid& Grid, bool KeepSelection)
        : G(Grid), DataSet(Grid.GetDataSet()), Keep(KeepSelection) {
        TgxTreeListNode* first = G.GetFirstNode();
        const Integer line = G.GetDefaultRowHeight();
        const Integer rowHeight = std::max(first ? G.CalcRowHeight(first, line) : line, 1);
        Buffer = std::max(5 * (G.GetRowsHeight() / rowHeight + 1), G.FPartialLoadBufferCount);
        Buffer = std::max(Buffer, 2);
        Current = DataSet->GetBookmarkStr();
    }

    // Mode 0: the nodes rebuilt around the current record.
    void Rebuild() {
        G.ClearNodes();
        G.InvalidateKeyIndex();
        if (DataSet->IsEmpty()) {
            G.FBOFReached = G.FEOFReached = true;
            return;
        }
        // The slice reaches the selected records (and the range being selected).
        TBookmarkStr low, high;
        auto widen = [&](const TBookmarkStr& B) {
            if (B.empty() || !DataSet->BookmarkValid(AsBookmark(B))) return;
            if (low.empty() || G.CompareBookmarkStr(B, low) < 0) low = B;
            if (high.empty() || G.CompareBookmarkStr(B, high) > 0) high = B;
        };
        if (G.IsBookmarkSelection()) {
            for (const TSelectionEntry& entry : G.FSelection) widen(entry.Bookmark);
            for (const TBookmarkStr& bookmark : G.FSavedSelection) widen(bookmark);
        }
        if (Keep) widen(G.FAnchorBookmark);
        const Integer half = Buffer / 2;
        Integer back = 0;
        bool passed = low.empty() || G.CompareBookmarkStr(Current, low) <= 0;
        DataSet->Prior();
        while (!DataSet->GetBOF() && (back < half || !passed)) {
            TgxTreeListNode* first = G.GetFirstNode();
            auto* node = G.AsGridNode(first ? G.Insert(first) : G.Add());
            Load(node, half - 1 - back);
            if (!passed && G.CompareBookmarkStr(node->Bookmark, low) <= 0) passed = true;
            ++back;
            DataSet->Prior();
        }
        G.FBOFReached = DataSet->GetBOF();
        DataSet->SetBookmarkStr(Current);
        Integer want = Buffer + std::max(half - back, 0);
        passed = high.empty() || G.CompareBookmarkStr(Current, high) >= 0;
        for (Integer n = 0; !DataSet->GetEOF() && (n < want || !passed); ++n) {
            auto* node = G.AsGridNode(G.Add());
            Load(node, half + n);
            if (n == 0) CurrentNode = node;
            if (!passed && G.CompareBookmarkStr(node->Bookmark, high) >= 0) {
                passed = true;
                want = std::max(want, n + 1 + half);
            }
            DataSet->Next();
        }
        G.FEOFReached = DataSet->GetEOF();
    }

    // Mode 1: up to a buffer of records after the last node.
    void ExtendEnd() {
        auto* last = G.AsGridNode(G.GetCount() > 0 ? G.GetItem(G.GetCount() - 1) : nullptr);
        if (!last || !GoTo(last)) return Rebuild();
        DataSet->Next();
        for (Integer n = 0; !DataSet->GetEOF() && n < Buffer; ++n) {
            Load(G.AsGridNode(G.Add()), last->RecordIndex + 1 + n);
            DataSet->Next();
        }
        G.FEOFReached = DataSet->GetEOF();
    }

    // Mode 2: up to a buffer of records before the first node.
    void ExtendStart() {
        auto* first = G.AsGridNode(G.GetFirstNode());
        if (!first || !GoTo(first)) return Rebuild();
        const Integer index = first->RecordIndex;
        DataSet->Prior();
        for (Integer n = 0; !DataSet->GetBOF() && n < Buffer; ++n) {
            Load(G.AsGridNode(G.Insert(G.GetFirstNode())), index - 1 - n);
            DataSet->Prior();
        }
        G.FBOFReached = DataSet->GetBOF();
    }

    // Mode 3: every record; Keep selects them all.
    void LoadAll() {
        G.ClearNodes();
        G.InvalidateKeyIndex();
        G.DropSavedSelection();
        if (Keep) G.FSelection.clear();
        SelectEvery = Keep;
        Keep = false;
        Integer index = 0;
        for (DataSet->First(); !DataSet->GetEOF(); DataSet->Next()) {
            auto* node = G.AsGridNode(G.Add());
            Load(node, index++);
            if (DataSet->GetBookmarkStr() == Current) CurrentNode = node;
        }
        G.FBOFReached = G.FEOFReached = true;
    }

    TgxDBGridNode* CurrentNode = nullptr;

private:
    bool GoTo(TgxDBGridNode* Node) {
        if (Node->Bookmark.empty() || !DataSet->BookmarkValid(AsBookmark(Node->Bookmark))) return false;
        DataSet->SetBookmarkStr(Node->Bookmark);
        return true;
    }

    // Between the selection anchor and the current record.
    bool InRange(const TBookmarkStr& B) {
        if (G.FAnchorBookmark.empty()) return false;
        const bool ordered = G.CompareBookmarkStr(G.FAnchorBookmark, Current) <= 0;
        const TBookmarkStr& from = ordered ? G.FAnchorBookmark : Current;
        const TBookmarkStr& to = ordered ? Current : G.FAnchorBookmark;
        return G.CompareBookmarkStr(from, B) <= 0 && G.CompareBookmarkStr(B, to) <= 0;
    }

    void Load(TgxDBGridNode* Node, Integer RecordIndex) {
        Node->GroupValue = Null();
        G.LoadNodeData(Node);
        Node->Bookmark = DataSet->GetBookmarkStr();
        Node->RecordIndex = RecordIndex;
        Select(Node);
        if (!G.FAnchorBookmark.empty() && G.CompareBookmarkStr(Node->Bookmark, G.FAnchorBookmark) == 0)
            G.TCustomgxDBTreeListControl::SetSelectionAnchor(Node);
        G.DoRefreshNodeData(Node);
    }

    // The loaded record takes back its place in the selection.
    void Select(TgxDBGridNode* Node) {
        if (!G.IsBookmarkSelection()) {
            G.RestoreLeafSelection(Node);
            return;
        }
        if (SelectEvery) {
            if (G.CanSelectNode(Node)) G.FSelection.push_back({Node->Bookmark, Node});
            return;
        }
        Integer index = 0;
        if (G.FindBookmark(Node->Bookmark, index)) {
            G.FSelection[size_t(index)].Node = Node;
            return;
        }
        const size_t saved = G.FSavedSelection.size();
        G.RestoreLeafSelection(Node);
        if (saved == G.FSavedSelection.size() && Keep && InRange(Node->Bookmark))
            G.FSelection.insert(G.FSelection.begin() + index, TSelectionEntry{Node->Bookmark, Node});
    }

    TCustomgxDBGrid& G;
    TDataSet* DataSet;
    bool Keep;
    bool SelectEvery = false;
    Integer Buffer;
    TBookmarkStr Current;
};

void TCustomgxDBGrid::SetPartialLoad(bool Value) {
    if (Value == FPartialLoad || !IsGridMode()) return;
    FPartialLoad = Value;
    if (Value) SetDefaultFields(false);
    if (FDataLink->GetActive()) ReloadData(true);
}

void TCustomgxDBGrid::PartialLoadRecords(Integer Mode, Integer TopMode, bool KeepSelection) {
    TDataSet* dataSet = GetDataSet();
    if (!FDataLink->GetActive() || !dataSet || !dataSet->GetActive()) return;
    const bool oldLoading = FLoading;
    FLoading = true;
    ++FPartialLoadLock;
    FindKeyField();
    const Integer focusedRow = GetFocusedNode() ? GetFocusedAbsoluteIndex() - GetTopIndex() : 0;
    TgxDBGridNode* current = nullptr;
    dataSet->DisableControls();
    const TBookmarkStr bookmark = dataSet->GetBookmarkStr();
    const bool wasBOF = dataSet->GetBOF(), wasEOF = dataSet->GetEOF();
    auto finish = [&] {
        if (!bookmark.empty() && dataSet->BookmarkValid(AsBookmark(bookmark))) {
            dataSet->SetBookmarkStr(bookmark);
            if (wasBOF != wasEOF) {
                if (wasBOF)
                    dataSet->Prior();
                else
                    dataSet->Next();
            }
        }
        dataSet->EnableControls();
        InvalidateKeyIndex();
        // Every node of the slice is a record.
        FRecordCount = GetCount();
        --FPartialLoadLock;
        FLoading = oldLoading;
    };
    try {
        InUpdateBracket([&] {
            if (FDataLink->GetBufferCount() != 1) FDataLink->SetBufferCount(1);
            if (IsEditingState(dataSet)) dataSet->Cancel();
            TPartialLoader loader(*this, KeepSelection);
            switch (Mode) {
                case 1: loader.ExtendEnd(); break;
                case 2: loader.ExtendStart(); break;
                case 3: loader.LoadAll(); break;
                default: loader.Rebuild(); break;
            }
            current = loader.CurrentNode;
            if (current) {
                TgxFlagGuard inSync(FInSync);
                current->SetFocused(true);
            }
        });
        if (current && (Mode == 0 || Mode == 3)) {
            const Integer index = GetAbsoluteIndex(current);
            if (TopMode == 1)
                SetTopIndex(index);
            else if (TopMode == 2)
                SetTopIndex(GetTopIndexForLastRow(index));
            else
                SetTopIndex(std::max(index - std::max(focusedRow, 0), 0));
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    if (Mode == 3) SyncFocusedNode();
}

void TCustomgxDBGrid::ChangeTopVisibleNode(TgxTreeListNode* Node) {
    TCustomgxDBTreeListControl::ChangeTopVisibleNode(Node);
    if (!IsPartialLoadMode() || !HandleAllocated() || FPartialLoadLock > 0 || !Node || GetCount() == 0) return;
    const Integer page = std::max(GetVisibleRowCount(), 1);
    const Integer top = GetAbsoluteIndex(Node);
    if (!FBOFReached && top <= page)
        PartialLoadRecords(2);
    else if (!FEOFReached && top >= GetAbsoluteCount() - 1 - 2 * page)
        PartialLoadRecords(1);
}

// The dataset moved: a slice that no longer holds the current record is rebuilt around it.
void TCustomgxDBGrid::PartialMoveBy() {
    TDataSet* dataSet = GetDataSet();
    if (GetCount() == 0 || !dataSet || !dataSet->GetActive()) return;
    const TBookmarkStr current = dataSet->GetBookmarkStr();
    if (current.empty()) return;
    const auto& first = AsGridNode(GetFirstNode())->Bookmark;
    const auto& last = AsGridNode(GetItem(GetCount() - 1))->Bookmark;
    const bool after = !last.empty() && CompareBookmarkStr(current, last) > 0;
    const bool before = !first.empty() && CompareBookmarkStr(current, first) < 0;
    if (!after && !before) return;
    SaveSelection();
    try {
        PartialLoadRecords(0, after ? 2 : 1);
    } catch (...) {
        DropSavedSelection();
        throw;
    }
    DropSavedSelection();
}
