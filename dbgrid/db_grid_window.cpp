// Window mode: the grid holds one node per record of the data link's buffer (the visible rows
// only), reads every value at the node's buffer row, and maps its scrolling onto dataset moves.

#include "dbgrid/db_grid.h"
#include "dbgrid/db_grid_internal.h"
#include "treelist/tree_list_text_writer.h"

#include <algorithm>
#include <functional>

using namespace dbgrid_internal;

namespace {

// The buffer row of a node in window mode: its position among the top-level nodes.
Integer BufferRow(TgxTreeListNode* Node) {
    return Node && !Node->GetParent() ? Node->GetIndex() : -1;
}

}  // namespace

template <class F>
auto TCustomgxDBGrid::AtBufferRow(TgxTreeListNode* Node, F&& Read) -> decltype(Read()) {
    const Integer row = BufferRow(Node);
    if (row < 0 || row >= FDataLink->GetRecordCount()) return decltype(Read())();
    const Integer saved = FDataLink->GetActiveRecord();
    if (row == saved) return Read();
    FDataLink->SetActiveRecord(row);
    try {
        auto result = Read();
        FDataLink->SetActiveRecord(saved);
        return result;
    } catch (...) {
        FDataLink->SetActiveRecord(saved);
        throw;
    }
}

Variant TCustomgxDBGrid::WindowNodeValue(TgxTreeListNode* Node, Integer Column) {
    TgxDBTreeListColumn* column = Column >= 0 && Column < GetColumnCount() ? GetDBColumn(Column) : nullptr;
    if (!column || !column->GetField() || !FDataLink->GetActive()) return Null();
    return AtBufferRow(Node, [&] { return column->GetField()->GetAsVariant(); });
}

std::string TCustomgxDBGrid::WindowNodeString(TgxTreeListNode* Node, Integer Column) {
    TgxDBTreeListColumn* column = Column >= 0 && Column < GetColumnCount() ? GetDBColumn(Column) : nullptr;
    if (!column || !FDataLink->GetActive()) return {};
    std::string text = AtBufferRow(Node, [&] { return RecordText(column); });
    if (column->OnGetText) column->OnGetText(column, Node, text);
    return text;
}

std::string TCustomgxDBGrid::WindowPreviewText(TgxTreeListNode* Node) {
    if (!FPreviewField || !FDataLink->GetActive()) return {};
    try {
        return AtBufferRow(Node, [&] {
            if (FPreviewField->OnGetText) {
                std::string text;
                FPreviewField->OnGetText(FPreviewField, text, true);
                return text;
            }
            std::string text = FPreviewField->GetAsString();
            if (FPreviewMaxLength > 0 && Integer(text.size()) > FPreviewMaxLength)
                text = text.substr(0, size_t(FPreviewMaxLength)) + "...";
            return text;
        });
    } catch (const Exception&) {
        return {};
    }
}

TBookmarkStr TCustomgxDBGrid::WindowBookmark(TgxTreeListNode* Node) {
    if (!FDataLink->GetActive()) return {};
    if (Node == GetFocusedNode()) return GetDataSet()->GetBookmarkStr();
    return AtBufferRow(Node, [&] { return GetDataSet()->GetBookmarkStr(); });
}

// ---- the buffer and the nodes -----------------------------------------------------------------

void TCustomgxDBGrid::UpdateWindowNodes() {
    if (!IsWindowMode() || FUpdatingWindow || !HandleAllocated() || IsDestroying()) return;
    TgxFlagGuard updating(FUpdatingWindow);
    if (!FDataLink->GetActive() || GetDataSet()->IsEmpty()) {
        if (GetCount() > 0) ClearNodes();
        FDataLink->SetBufferCount(1);
        return;
    }
    if (GetCount() == 0) Add();
    const Integer rowHeight = std::max(CalcRowHeight(GetItem(0), GetDefaultRowHeight()), 1);
    const Integer rows = std::max(GetRowsHeight() / rowHeight, 1);
    FWindowRowCount = rows;
    if (FDataLink->GetBufferCount() != rows) FDataLink->SetBufferCount(rows);
    const Integer records = std::max(FDataLink->GetRecordCount(), 1);
    while (GetCount() < records) Add();
    while (GetCount() > records) GetItem(GetCount() - 1)->Free();
    const Integer active = FDataLink->GetActiveRecord();
    if (active >= 0 && active < GetCount() && GetFocusedNode() != GetItem(active)) {
        if (GetInplaceEditor()) HideEditor();
        TgxFlagGuard inSync(FInSync);
        TCustomgxDBTreeListControl::SetFocusedCell(GetItem(active), GetFocusedColumn(), false);
    }
    Invalidate();
}

void TCustomgxDBGrid::UpdateScrollBars() {
    if (IsWindowMode()) {
        UpdateWindowNodes();
    } else if (FDataLink->GetActive() && FDataLink->GetBufferCount() != 1) {
        FDataLink->SetBufferCount(1);
    }
    TCustomgxDBTreeListControl::UpdateScrollBars();
}

bool TCustomgxDBGrid::IsFirstNode(TgxTreeListNode* Node) {
    if (IsWindowMode() && FDataLink->GetActive()) return Node == GetFirstNode() && GetDataSet()->GetBOF();
    return TCustomgxDBTreeListControl::IsFirstNode(Node) && (!IsPartialLoadMode() || FBOFReached);
}

bool TCustomgxDBGrid::IsLastVisibleNode(TgxTreeListNode* Node) {
    if (IsWindowMode() && FDataLink->GetActive())
        return Node && Node == GetItem(GetCount() - 1) && GetDataSet()->GetEOF();
    return TCustomgxDBTreeListControl::IsLastVisibleNode(Node) && (!IsPartialLoadMode() || FEOFReached);
}

void TCustomgxDBGrid::GetVertScrollInfo(Integer& Min, Integer& Max, Integer& Page, Integer& Pos) {
    TDataSet* dataSet = GetDataSet();
    if (!IsWindowMode() || !dataSet || !dataSet->GetActive() || !HandleAllocated()) {
        TCustomgxDBTreeListControl::GetVertScrollInfo(Min, Max, Page, Pos);
        return;
    }
    if (!dataSet->IsSequenced()) {
        Min = 0;
        Max = 4;
        Page = 0;
        Pos = dataSet->GetBOF() ? 0 : dataSet->GetEOF() ? 4 : 2;
        return;
    }
    const Integer visible = std::max(FWindowRowCount, 1);
    Min = 1;
    Max = dataSet->GetRecordCount() + visible - 1;
    Page = visible;
    Pos = Min;
    if (dataSet->GetState() < dsInsert) {
        const Integer recNo = dataSet->GetRecNo();
        if (recNo != -1) Pos = recNo;
    }
}

void TCustomgxDBGrid::WMVScroll(TMessage& Message) {
    if (!IsWindowMode() || !FDataLink->GetActive()) {
        TCustomgxDBTreeListControl::WMVScroll(Message);
        return;
    }
    HideEditor();
    TDataSet* dataSet = GetDataSet();
    const Integer active = FDataLink->GetActiveRecord();
    const Integer visible = std::max(FWindowRowCount, 1);
    switch (Integer(Message.WParam & 0xFFFF)) {
        case SB_LINEUP: dataSet->MoveBy(-(active + 1)); break;
        case SB_LINEDOWN: dataSet->MoveBy(FDataLink->GetRecordCount() - active); break;
        case SB_PAGEUP: dataSet->MoveBy(-visible); break;
        case SB_PAGEDOWN: dataSet->MoveBy(visible); break;
        case SB_TOP: dataSet->First(); break;
        case SB_BOTTOM: dataSet->Last(); break;
        case SB_THUMBPOSITION: {
            TScrollInfo info;
            info.fMask = SIF_TRACKPOS;
            GetScrollInfo(this, SB_VERT, info);
            const Integer track = info.nTrackPos;
            if (dataSet->IsSequenced()) {
                if (track <= 1)
                    dataSet->First();
                else if (track >= dataSet->GetRecordCount())
                    dataSet->Last();
                else
                    dataSet->SetRecNo(track);
            } else {
                switch (track) {
                    case 0: dataSet->First(); break;
                    case 1: dataSet->MoveBy(-visible); break;
                    case 3: dataSet->MoveBy(visible); break;
                    case 4: dataSet->Last(); break;
                    default: break;
                }
            }
            break;
        }
        default: break;
    }
}

// ---- keyboard range selection -----------------------------------------------------------------

void TCustomgxDBGrid::SelectByKeyboard(Word Key) {
    TDataSet* dataSet = GetDataSet();
    if (FAnchorBookmark.empty()) FAnchorBookmark = dataSet->GetBookmarkStr();
    // A page: the rows to the top or bottom row, or a whole page less one from there.
    const Integer focused = FDataLink->GetActiveRecord();
    auto page = [&](Integer Rows) { return Rows > 0 ? Rows : std::max(FWindowRowCount - 1, 1); };
    switch (Key) {
        case VK_PRIOR: dataSet->MoveBy(-page(focused)); break;
        case VK_NEXT: dataSet->MoveBy(page(GetCount() - 1 - focused)); break;
        case VK_HOME: dataSet->First(); break;
        default: dataSet->Last(); break;
    }
    // The records from the target back to the anchor, in bookmark order.
    const TBookmarkStr target = dataSet->GetBookmarkStr();
    const bool forward = CompareBookmarkStr(target, FAnchorBookmark) < 0;
    std::vector<TSelectionEntry> selection;
    dataSet->DisableControls();
    try {
        Integer steps = 0;
        for (;;) {
            selection.push_back({dataSet->GetBookmarkStr(), nullptr});
            if (CompareBookmarkStr(selection.back().Bookmark, FAnchorBookmark) == 0) break;
            if (forward)
                dataSet->Next();
            else
                dataSet->Prior();
            if (forward ? dataSet->GetEOF() : dataSet->GetBOF()) break;
            ++steps;
        }
        // Back by as many records, so that the target keeps its row (going to its bookmark would
        // centre it).
        if (steps > 0) dataSet->MoveBy(forward ? -steps : steps);
    } catch (...) {
        dataSet->EnableControls();
        throw;
    }
    dataSet->EnableControls();
    if (!forward) std::reverse(selection.begin(), selection.end());
    if (selection.size() == 1 && selection.front().Bookmark.empty()) selection.clear();
    FSelection.swap(selection);
    Invalidate();
}

// ---- copying rows as text ---------------------------------------------------------------------

void TCustomgxDBGrid::SaveRecordsToStrings(TStrings* Strings,
                                           const std::function<void(const std::function<void()>& Write)>& Visit) {
    TgxTreeListTextWriter writer(this, Strings);
    writer.Header();
    if (!FDataLink->GetActive()) return;
    TDataSet* dataSet = GetDataSet();
    TgxTreeListNode* first = GetFirstNode();
    auto write = [&] {
        writer.Row([&](Integer Column) {
            TgxDBTreeListColumn* column = GetDBColumn(Column);
            if (!column) return std::string();
            std::string text = RecordText(column);
            if (column->OnGetText) column->OnGetText(column, first, text);
            return text;
        });
    };
    const TBookmarkStr bookmark = dataSet->GetBookmarkStr();
    dataSet->DisableControls();
    auto restore = [&] {
        if (!bookmark.empty() && dataSet->BookmarkValid(AsBookmark(bookmark))) dataSet->SetBookmarkStr(bookmark);
        dataSet->EnableControls();
    };
    try {
        Visit(write);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void TCustomgxDBGrid::SaveToStrings(TStrings* Strings) {
    if (!IsWindowMode()) {
        TCustomgxDBTreeListControl::SaveToStrings(Strings);
        return;
    }
    SaveRecordsToStrings(Strings, [&](const std::function<void()>& Write) {
        TDataSet* dataSet = GetDataSet();
        for (dataSet->First(); !dataSet->GetEOF(); dataSet->Next()) Write();
    });
}

void TCustomgxDBGrid::SaveSelectedToStrings(TStrings* Strings) {
    if (!IsWindowMode() || !IsMultiSelect()) {
        TCustomgxDBTreeListControl::SaveSelectedToStrings(Strings);
        return;
    }
    SaveRecordsToStrings(Strings, [&](const std::function<void()>& Write) {
        TDataSet* dataSet = GetDataSet();
        for (const TSelectionEntry& entry : FSelection)
            if (!entry.Bookmark.empty() && dataSet->BookmarkValid(AsBookmark(entry.Bookmark))) {
                dataSet->SetBookmarkStr(entry.Bookmark);
                Write();
            }
    });
}
