#include "treelist/plain_tree_list.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "framework/component.h"
#include "framework/exceptions.h"
#include "framework/sysutils.h"

namespace {

// The fixed part of a node record: header size, three image indexes, data, child count, text
// count.
constexpr int32_t RecordHeaderSize = 24;
constexpr Int64 LeastRecordSize = 4 + RecordHeaderSize;
constexpr size_t MaxTextBytes = 255;

void WriteInt(TStream* Stream, int32_t Value) {
    const uint32_t v = uint32_t(Value);
    const unsigned char b[4] = {Byte(v), Byte(v >> 8), Byte(v >> 16), Byte(v >> 24)};
    Stream->WriteBuffer(b, 4);
}

int32_t ReadInt(TStream* Stream) {
    unsigned char b[4];
    Stream->ReadBuffer(b, 4);
    return int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
}

// A count the rest of the stream can hold, at Least bytes per item.
Integer ReadCount(TStream* Stream, Int64 Least) {
    const int32_t count = ReadInt(Stream);
    const Int64 left = Stream->GetSize() - Stream->GetPosition();
    if (count < 0 || Int64(count) * Least > left) throw EReadError("Stream read error");
    return count;
}

// Text cut to at most 255 bytes without splitting a character.
std::string CutText(const std::string& Text) {
    if (Text.size() <= MaxTextBytes) return Text;
    size_t n = MaxTextBytes;
    while (n > 0 && (static_cast<unsigned char>(Text[n]) & 0xC0) == 0x80) --n;
    return Text.substr(0, n);
}

bool Registered() {
    static const bool done = [] {
        RegisterClasses({TgxTreeListColumn::StaticClass(), TgxTreeListMaskColumn::StaticClass()});
        return true;
    }();
    return done;
}

}  // namespace

TgxTreeList::TgxTreeList(TComponent* AOwner) : TCustomgxTreeListControl(AOwner) { Registered(); }

void TgxTreeList::BeforeDestruction() {
    FSelection.clear();
    TCustomgxTreeListControl::BeforeDestruction();
}

// ---- the node stream ---------------------------------------------------------------------------

void TgxTreeList::WriteData(TStream* Stream) {
    WriteInt(Stream, GetCount());
    // Depth first without recursion: a node's record, then its children's.
    std::vector<TgxTreeListNode*> pending;
    for (Integer i = GetCount() - 1; i >= 0; --i) pending.push_back(GetItem(i));
    while (!pending.empty()) {
        TgxTreeListNode* node = pending.back();
        pending.pop_back();
        auto* text = AsTextNode(node);
        TStringList* texts = text ? text->GetTexts() : nullptr;
        WriteInt(Stream, RecordHeaderSize);
        WriteInt(Stream, GetImageIndex(node));
        WriteInt(Stream, GetSelectedIndex(node));
        WriteInt(Stream, GetStateIndex(node));
        WriteInt(Stream, node->GetData());
        WriteInt(Stream, node->GetCount());
        WriteInt(Stream, texts ? texts->GetCount() : 0);
        for (int i = 0; texts && i < texts->GetCount(); ++i) {
            const std::string cut = CutText(texts->Get(i));
            const Byte length = Byte(cut.size());
            Stream->WriteBuffer(&length, 1);
            Stream->WriteBuffer(cut.data(), Int64(cut.size()));
        }
        for (Integer i = node->GetCount() - 1; i >= 0; --i) pending.push_back(node->GetItem(i));
    }
}

void TgxTreeList::ReadData(TStream* Stream) {
    ClearNodes();
    InUpdateBracket([&] {
        // Each entry: the parent (nullptr for the top level) and the records still to come for it.
        struct Level {
            TgxTreeListNode* Parent;
            Integer Left;
        };
        std::vector<Level> levels{{nullptr, ReadCount(Stream, LeastRecordSize)}};
        std::string text;
        while (!levels.empty()) {
            if (levels.back().Left == 0) {
                levels.pop_back();
                continue;
            }
            --levels.back().Left;
            TgxTreeListNode* parent = levels.back().Parent;
            const int32_t header = ReadInt(Stream);
            if (header < RecordHeaderSize) throw EReadError("Stream read error");
            int32_t fields[6];
            for (int32_t& field : fields) field = ReadInt(Stream);
            // A larger header carries fields this reader does not know.
            if (header > RecordHeaderSize) {
                const Int64 skip = Int64(header) - RecordHeaderSize;
                if (skip > Stream->GetSize() - Stream->GetPosition()) throw EReadError("Stream read error");
                Stream->Seek(skip, soCurrent);
            }
            const Integer children = fields[4];
            const Integer texts = fields[5];
            const Int64 left = Stream->GetSize() - Stream->GetPosition();
            if (children < 0 || texts < 0 || Int64(texts) + Int64(children) * LeastRecordSize > left)
                throw EReadError("Stream read error");
            TgxTreeListNode* node = parent ? parent->AddChild() : Add();
            SetImageIndex(node, fields[0]);
            SetSelectedIndex(node, fields[1]);
            SetStateIndex(node, fields[2]);
            node->SetData(fields[3]);
            for (Integer i = 0; i < texts; ++i) {
                Byte length = 0;
                Stream->ReadBuffer(&length, 1);
                text.resize(length);
                if (length) Stream->ReadBuffer(text.data(), length);
                SetNodeString(node, i, text);
            }
            if (children > 0) levels.push_back({node, children});
        }
    });
}

// ---- answers -----------------------------------------------------------------------------------

void TgxTreeList::GetEditText(std::string& Value) {
    Value.clear();
    if (GetVisibleColumnCount() == 0 || !GetFocusedNode()) return;
    Value = GetNodeString(GetFocusedNode(), GetFocusedColumnAbsoluteIndex());
}

void TgxTreeList::SetNodeEditText(TgxTreeListNode* Node, Integer Column, const std::string& Text) {
    if (GetVisibleColumnCount() > 0 && Node) {
        const Integer column = GetFocusedColumnAbsoluteIndex();
        if (GetNodeString(Node, column) != Text) {
            SetNodeString(Node, column, Text);
            if (IsRowAutoHeight() || (IsPreviewVisible() && IsAutoCalcPreviewLines()))
                InUpdateBracket([&] { NodeChanged(Node, false); });
        }
        if (IsAutoSortRefresh() && !IsDestroying() && !IsUpdating()) {
            SortingChanged();
            Node->MakeVisible();
        }
    }
    TCustomgxTreeListControl::SetNodeEditText(Node, Column, Text);
}

Variant TgxTreeList::GetNodeSortValue(TgxTreeListNode* Node, Integer Column) {
    const std::string text = GetNodeString(Node, Column);
    return Variant(IsCaseInsensitive() ? AnsiUpperCase(text) : text);
}

Integer TgxTreeList::GetIndicatorImage(TgxTreeListNode* Node, bool Selected) {
    if (Node != GetFocusedNode()) return Selected ? 4 : 0;
    return Selected && IsMultiSelect() ? 5 : 1;
}

void TgxTreeList::GetPreviewText(TgxTreeListNode* Node, std::string& Text) {
    TCustomgxTreeListControl::GetPreviewText(Node, Text);
    if (OnGetPreviewText) OnGetPreviewText(this, Node, Text);
}

Integer TgxTreeList::GetRowLineCount(TgxTreeListNode* Node, Integer& LineHeight) {
    Integer count = TCustomgxTreeListControl::GetRowLineCount(Node, LineHeight);
    if (OnGetRowLineCount) OnGetRowLineCount(this, Node, count);
    return count;
}

Integer TgxTreeList::GetPreviewLineCount(TgxTreeListNode* Node) {
    Integer count = TCustomgxTreeListControl::GetPreviewLineCount(Node);
    if (OnGetPreviewLineCount) OnGetPreviewLineCount(this, Node, count);
    return count;
}

void TgxTreeList::GetRowFooterCellText(TgxTreeListNode* Node, Integer Column, Integer FooterIndex,
                                       std::string& Text) {
    Text.clear();
    if (OnGetFooterCellText) OnGetFooterCellText(this, Node, Column, FooterIndex, Text);
}

bool TgxTreeList::IsExistRowFooterCell(TgxTreeListNode* Node, Integer Column, Integer FooterIndex) {
    bool exist = false;
    if (OnIsExistRowFooterCell) OnIsExistRowFooterCell(this, Node, Column, FooterIndex, exist);
    return exist;
}

bool TgxTreeList::IsLevelFooter(Integer Level) {
    bool exist = false;
    if (OnIsLevelFooter) OnIsLevelFooter(this, Level, exist);
    return exist;
}

// ---- automatic re-sorting ----------------------------------------------------------------------

void TgxTreeList::AutoResort() {
    if (!IsAutoSortRefresh() || IsDestroying()) return;
    if (IsUpdating())
        FDeferredResort = true;
    else
        SortingChanged();
}

void TgxTreeList::NodeAdded(TgxTreeListNode* Node) {
    TCustomgxTreeListControl::NodeAdded(Node);
    AutoResort();
}

void TgxTreeList::NodeDeleted(TgxTreeListNode* Node, TgxTreeListNode* PrevSiblingOrParent,
                              TgxTreeListNode* NextVisible, bool IsLast, bool WasVisible) {
    TCustomgxTreeListControl::NodeDeleted(Node, PrevSiblingOrParent, NextVisible, IsLast, WasVisible);
    AutoResort();
}

void TgxTreeList::SetNodeString(TgxTreeListNode* Node, Integer Column, const std::string& Text) {
    TCustomgxTreeListControl::SetNodeString(Node, Column, Text);
    AutoResort();
}

void TgxTreeList::PrepareLayout() {
    TCustomgxTreeListControl::PrepareLayout();
    HideEditor();
    if (IsAutoSortRefresh() && FDeferredResort && !IsDestroying()) SortingChanged();
    FDeferredResort = false;
}

void TgxTreeList::ClearSorting() {
    TCustomgxTreeListControl::ClearSorting();
    for (Integer i = 0; i < GetColumnCount(); ++i) GetColumn(i)->FSorted = csNone;
}

void TgxTreeList::PrepareColumnSort(TgxTreeListColumn* /*Column*/) {
    if (IsAutoSort() && !IsMultiSortClick() && !IsSortUpdating()) ClearSorting();
}

TgxTreeListColumn* TgxTreeList::FirstSortedColumn() {
    TgxTreeListColumn* found = nullptr;
    for (Integer i = 0; i < GetColumnCount() && !found; ++i)
        if (GetColumn(i)->GetSorted() != csNone) found = GetColumn(i);
    if (!IsMultiSort()) return found;
    if (GetSortedColumnCount() > 0) return GetSortedColumn(0);
    if (found) TCustomgxTreeListControl::ColumnSortChanged(found);
    return found;
}

void TgxTreeList::ColumnSortChanged(TgxTreeListColumn* Column) {
    if (IsMultiSort()) FirstSortedColumn();
    TCustomgxTreeListControl::ColumnSortChanged(Column);
    if (IsAutoSort() && !IsSortUpdating()) SortNodes(-1, Column->GetIndex(), Column->GetSorted() == csDown);
}

void TgxTreeList::SortingChanged() {
    if (!IsAutoSort()) return;
    InUpdateBracket([&] {
        TgxTreeListColumn* column = FirstSortedColumn();
        if (column && column->GetSorted() != csNone) SortNodes(-1, column->GetIndex(), column->GetSorted() == csDown);
    });
}

// ---- the selection store -----------------------------------------------------------------------

std::vector<TgxTreeListNode*>::iterator TgxTreeList::SelectionPlace(TgxTreeListNode* Node) {
    return std::lower_bound(FSelection.begin(), FSelection.end(), Node,
                            [](TgxTreeListNode* A, TgxTreeListNode* B) { return CompareNodePointers(A, B) < 0; });
}

TgxTreeListNode* TgxTreeList::GetSelectedNode(Integer Index) {
    return Index >= 0 && Index < GetSelectedCount() ? FSelection[size_t(Index)] : nullptr;
}

bool TgxTreeList::IsNodeSelected(TgxTreeListNode* Node) {
    auto it = SelectionPlace(Node);
    return it != FSelection.end() && *it == Node;
}

void TgxTreeList::SetNodeSelected(TgxTreeListNode* Node, bool Value) {
    if (!IsMultiSelect() || !Node) return;
    auto it = SelectionPlace(Node);
    const bool present = it != FSelection.end() && *it == Node;
    if (Value) {
        if (!CanSelectNode(Node)) return;
        if (!present) FSelection.insert(it, Node);
    } else if (present) {
        FSelection.erase(it);
    }
    NodeChanged(Node, false);
    TCustomgxTreeListControl::SetNodeSelected(Node, Value);
}

void TgxTreeList::ClearSelection() {
    if (FSelection.empty()) return;
    if (!IsDestroying() && !IsClearing()) InvalidateSelection();
    FSelection.clear();
    TCustomgxTreeListControl::ClearSelection();
}

void TgxTreeList::DeleteSelection() {
    TCustomgxTreeListControl::DeleteSelection();
    InUpdateBracket([&] {
        while (!FSelection.empty()) FSelection.front()->Free();
        FSelection.clear();
    });
}

void TgxTreeList::SelectNodeRange(TgxTreeListNode* Node1, TgxTreeListNode* Node2) {
    InSelectionBracket([&] { InUpdateBracket([&] { MergeNodeRange(Node1, Node2, FSelection); }); });
}

// ---- the mask column and its editor ------------------------------------------------------------

TClass TgxTreeListMaskColumn::GetEditorClass() { return TgxInplaceTreeListMaskEdit::StaticClass(); }

void TgxTreeListMaskColumn::RestoreDefaults() {
    TgxTreeListColumn::RestoreDefaults();
    FEditMask.clear();
}

void TgxTreeListMaskColumn::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TgxTreeListMaskColumn*>(Source);
    TCustomgxTreeListControl* list = GetTreeList();
    auto assign = [&] {
        TgxTreeListColumn::Assign(Source);
        if (source) FEditMask = source->FEditMask;
    };
    if (list)
        list->InUpdateBracket(assign);
    else
        assign();
}

void TgxInplaceTreeListMaskEdit::GetMaskFromContainer(std::string& Mask) {
    TgxInplaceMaskEdit::GetMaskFromContainer(Mask);
    auto* list = dynamic_cast<TCustomgxTreeListControl*>(GetContainer());
    if (!list || list->GetEditedColumn() < 0) return;
    const Integer index = list->VisibleToAbsoluteIndex(list->GetEditedColumn());
    if (index < 0 || index >= list->GetColumnCount()) return;
    auto* column = dynamic_cast<TgxTreeListMaskColumn*>(list->GetColumn(index));
    if (column && !column->GetEditMask().empty()) Mask = column->GetEditMask();
}
