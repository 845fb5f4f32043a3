#include "catalogue/file_list.h"

#include "catalogue/thumb_grid.h"
#include "dbgrid/db_grid.h"
#include "framework/dataset.h"
#include "framework/file_utils.h"
#include "framework/math_utils.h"
#include "framework/messages.h"
#include "framework/sysutils.h"
#include "framework/variant.h"

namespace {

bool IsGroupRow(const TgxTreeListNode* Node) { return Node && Node->GetCount() > 0; }

// Runs a navigation step; a failure counts as "nothing further".
template <class F>
bool Safely(F&& Step) {
    try {
        return Step();
    } catch (...) {
        return true;
    }
}

// A node's value in a column; raises when the column is missing.
Variant ColumnValue(TgxTreeListNode* Node, TgxDBGridColumn* Column) {
    if (!Column) throw Exception("No column");
    return Node->GetValue(Column->GetIndex());
}

Integer ColumnInteger(TgxTreeListNode* Node, TgxDBGridColumn* Column) {
    const Variant v = ColumnValue(Node, Column);
    return VarIsNull(v) || VarIsClear(v) ? 0 : v.AsInteger();
}

}  // namespace

TLMFileList2::TLMFileList2(TComponent* AOwner) : TComponent(AOwner), Reseed(Randomize) {}

TLMFileList2::~TLMFileList2() { ConnectTempDB(nullptr); }

void TLMFileList2::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FGrid) FGrid = nullptr;
    if (AComponent == FThumbs) FThumbs = nullptr;
    if (AComponent == FTempDB) FTempDB = nullptr;
    for (TgxDBGridColumn** column : {&NodePathID, &NodeFileID, &NodeLMType, &NodeDescription, &NodeFileType,
                                     &NodeFilename, &NodePath, &NodeSize, &NodeDate, &NodeOriginalExtension,
                                     &NodeStorageMethod})
        if (AComponent == *column) *column = nullptr;
}

void TLMFileList2::SetAttachedGXDBGrid(TgxDBGrid* Value) {
    FGrid = Value;
    if (Value) Value->FreeNotification(this);
    FStale = true;
}

void TLMFileList2::SetAttachedGXThumbGrid(TgxThumbGrid2* Value) {
    FThumbs = Value;
    if (!Value) return;
    Value->FreeNotification(this);
    Value->SetBlockCellDrawing(FBlockOperations);
}

void TLMFileList2::SetSlideshowMethod(Word Value) {
    if (Value == FSlideshowMethod) return;
    FSlideshowMethod = Value;
    FMethodChanged = true;
}

void TLMFileList2::SetBlockOperations(bool Value) {
    FBlockOperations = Value;
    if (!FThumbs) return;
    if (Value)
        FThumbs->SetBlockCellDrawing(true);
    else
        FThumbs->EndBlockCellDrawing(false);
}

// ---- the view ------------------------------------------------------------------------------------

void TLMFileList2::ClearGridGrouping() {
    while (FGrid && FGrid->GetGroupColumnCount() > 0) {
        const Integer before = FGrid->GetGroupColumnCount();
        FGrid->GetGroupColumn(0)->SetGroupIndex(-1);
        if (FGrid->GetGroupColumnCount() >= before) break;
    }
}

void TLMFileList2::SetFileDisplayMode(Integer Value) {
    if (Value == FFileDisplayMode) return;
    if (BeforeFileDisplayModeChange) BeforeFileDisplayModeChange(this, Value);
    // The thumbnail grid shows top-level nodes, so they must be the file rows: grouping goes
    // whenever a thumbnail mode follows one that is not (also the first mode set).
    const bool toThumbs = Value >= 1 && Value <= 3;
    if (toThumbs && !InThumbMode()) ClearGridGrouping();
    FFileDisplayMode = Value;
    if (!FGrid || !FThumbs) return;
    if (toThumbs) {
        FThumbs->SetAlign(alClient);
        FThumbs->SetThumbDisplayType(Value == 1 ? tdtLargeIcon : Value == 2 ? tdtIconInfo : tdtFilename);
        FThumbs->Show();
        FThumbs->UpdateLayout(true, true);
    } else if (Value == 0) {
        FThumbs->Hide();
    }
    if (AfterDisplayModeChange) AfterDisplayModeChange(this, Value);
}

void TLMFileList2::NextFileDisplayMode() {
    SetFileDisplayMode(FFileDisplayMode >= 3 || FFileDisplayMode < 0 ? 0 : FFileDisplayMode + 1);
}

TWinControl* TLMFileList2::GetActiveView() {
    if (FFileDisplayMode != 0 && FThumbs) return FThumbs;
    return FGrid;
}

void TLMFileList2::RepaintView() {
    if (TWinControl* view = GetActiveView()) view->Repaint();
}

void TLMFileList2::SelectAll() {
    if (FFileDisplayMode != 0 && FThumbs)
        FThumbs->SelectAll();
    else if (FGrid)
        FGrid->SelectAll();
}

// ---- navigation ----------------------------------------------------------------------------------

bool TLMFileList2::Grouped() { return FGrid && FGrid->GetGroupColumnCount() > 0; }

void TLMFileList2::ThumbsFollowFocus() {
    if (!FThumbs || FFileDisplayMode == 0) return;
    FThumbs->SyncWithFocusedNode();
    FThumbs->Invalidate();
}

void TLMFileList2::FocusNode(TgxTreeListNode* Node) {
    if (!FGrid || !Node) return;
    FGrid->ClearSelection();
    Node->SetFocused(true);
    Node->SetSelected(true);
    ThumbsFollowFocus();
}

bool TLMFileList2::IsLastDisplayed(TgxTreeListNode* Node) { return Node == FGrid->GetLastVisibleNode(); }

TgxTreeListNode* TLMFileList2::FindNextLeaf(TgxTreeListNode* Node) {
    TgxTreeListNode* n = Node;
    while (!IsLastDisplayed(n)) {
        TgxTreeListNode* next = n->GetNext();
        if (!next) break;
        n = next;
        if (!IsGroupRow(n)) break;
    }
    return n;
}

TgxTreeListNode* TLMFileList2::FindPriorLeaf(TgxTreeListNode* Node) {
    TgxTreeListNode* n = Node;
    while (!IsFirst(n)) {
        TgxTreeListNode* prev = n->GetPrev();
        if (!prev) break;
        n = prev;
        if (!IsGroupRow(n)) break;
    }
    return n;
}

bool TLMFileList2::MoveFocus(const std::function<bool(TgxTreeListNode* Focused)>& AtEnd,
                             const std::function<TgxTreeListNode*(TgxTreeListNode* Focused)>& Target) {
    return Safely([&] {
        if (!FGrid || !FGrid->GetFirstNode()) return true;
        TgxTreeListNode* focused = FGrid->GetFocusedNode();
        if (!focused) {
            FocusNode(FGrid->GetFirstNode());
            return false;
        }
        if (AtEnd(focused)) return true;
        FocusNode(Target(focused));
        return false;
    });
}

bool TLMFileList2::IsFirst(TgxTreeListNode* Node) { return Node == FGrid->GetFirstNode(); }

bool TLMFileList2::GotoNext() {
    return MoveFocus([&](TgxTreeListNode* N) { return IsLastDisplayed(N); },
                     [&](TgxTreeListNode* N) { return FindNextLeaf(N); });
}

bool TLMFileList2::GotoPrevious() {
    return MoveFocus([&](TgxTreeListNode* N) { return IsFirst(N); },
                     [&](TgxTreeListNode* N) { return FindPriorLeaf(N); });
}

// A page is 19 steps in tree order, group rows counted, then one more item.
constexpr Integer PageSteps = 19;

bool TLMFileList2::GotoPageDown() {
    return MoveFocus([&](TgxTreeListNode* N) { return IsLastDisplayed(N); },
                     [&](TgxTreeListNode* N) {
                         for (Integer i = 0; i < PageSteps && !IsLastDisplayed(N); ++i) {
                             TgxTreeListNode* next = N->GetNext();
                             if (!next) break;
                             N = next;
                         }
                         return IsLastDisplayed(N) ? N : FindNextLeaf(N);
                     });
}

bool TLMFileList2::GotoPageUp() {
    return MoveFocus([&](TgxTreeListNode* N) { return IsFirst(N); },
                     [&](TgxTreeListNode* N) {
                         // A group row is left for its first item before paging.
                         if (IsGroupRow(N)) N = FindNextLeaf(N);
                         for (Integer i = 0; i < PageSteps && !IsFirst(N); ++i) {
                             TgxTreeListNode* prev = N->GetPrev();
                             if (!prev) break;
                             N = prev;
                         }
                         return IsFirst(N) ? N : FindPriorLeaf(N);
                     });
}

bool TLMFileList2::GotoLast() {
    return Safely([&] {
        if (!FGrid || !FGrid->GetFirstNode()) return true;
        TgxTreeListNode* last = FGrid->GetLastVisibleNode();
        if (FGrid->GetFocusedNode() == last) return true;
        FocusNode(last);
        return false;
    });
}

bool TLMFileList2::GotoFirstEx(bool Forced) {
    try {
        if (!FGrid || !FGrid->GetFirstNode()) return false;
        TgxTreeListNode* first = FGrid->GetFirstNode();
        TgxTreeListNode* focused = FGrid->GetFocusedNode();
        if (!Forced && focused && (focused == first || focused->GetParent() == first)) return true;
        FocusNode(first);
        if (IsGroupRow(first)) GotoNext();
        return false;
    } catch (...) {
        return true;
    }
}

TgxTreeListNode* TLMFileList2::NodeOfKey(Integer KeyID) {
    if (!FGrid || KeyID == -1) return nullptr;
    return FGrid->FindNodeByKeyValue(Variant(KeyID));
}

bool TLMFileList2::GotoKeyID(Integer KeyID) {
    try {
        TgxTreeListNode* node = NodeOfKey(KeyID);
        if (!node) return false;
        FocusNode(node);
        return true;
    } catch (...) {
        return false;
    }
}

void TLMFileList2::GotoKeyIDOrFail(Integer KeyID) {
    if (!GotoKeyID(KeyID)) throw Exception("Node not found!");
}

void TLMFileList2::HandleKeyUp(Word Key, TShiftState Shift, bool PassToThumbs) {
    if (PassToThumbs && InThumbMode() && FThumbs) {
        FThumbs->ThumbKeyUp(Key, Shift);
        return;
    }
    switch (Key) {
        case VK_PRIOR: GotoPageUp(); break;
        case VK_NEXT: GotoPageDown(); break;
        case VK_END: GotoLast(); break;
        case VK_HOME: GotoFirst(); break;
        case VK_RIGHT:
        case VK_DOWN: GotoNext(); break;
        case VK_LEFT:
        case VK_UP: GotoPrevious(); break;
        default: break;
    }
}

void TLMFileList2::HandleKeyDown(Word Key, TShiftState Shift, bool PassToThumbs) {
    if (PassToThumbs && InThumbMode() && FThumbs) FThumbs->ThumbKeyDown(Key, Shift);
}

// ---- items and records ---------------------------------------------------------------------------

TgxTreeListNode* TLMFileList2::GetFocusedNode() {
    try {
        return FGrid ? FGrid->GetFocusedNode() : nullptr;
    } catch (...) {
        return nullptr;
    }
}

Integer TLMFileList2::GetNodeKeyID(TgxTreeListNode* Node) {
    auto* node = dynamic_cast<TgxDBGridNode*>(Node);
    if (!node) return -1;
    // Keys read from an integer field need no text round trip.
    switch (node->KeyValue.VarType()) {
        case varSmallint:
        case varInteger:
        case varShortInt:
        case varByte:
        case varWord: return node->KeyValue.AsInteger();
        default: break;
    }
    Integer key = -1;
    try {
        if (!TryStrToInt(Trim(VarToStr(node->KeyValue)), key)) return -1;
    } catch (...) {
        return -1;
    }
    return key;
}

Integer TLMFileList2::GetFocusedIndex() {
    try {
        if (FFileDisplayMode < 0 || !FGrid || !FGrid->GetFirstNode()) return -1;
        TgxTreeListNode* focused = FGrid->GetFocusedNode();
        if (!focused) return -1;
        if (!Grouped()) return FGrid->GetAbsoluteIndex(focused);
        // A group row stands where its first item does.
        while (IsGroupRow(focused)) focused = focused->GetFirstChild();
        Integer index = 0;
        bool found = false;
        ForEachItem([&](TgxTreeListNode* Node) {
            if (Node == focused) found = true;
            if (!found) ++index;
            return !found;
        });
        return index;
    } catch (...) {
        return -1;
    }
}

namespace {

// A record of no file: cleared, and no key that a caller could act on.
void NoFileRecord(TFileRecord& Rec) {
    ClearFileRecord(Rec);
    Rec.KeyID = -1;
}

}  // namespace

void TLMFileList2::NodeToFileRecord(TgxTreeListNode* Node, TFileRecord& Rec) {
    if (!Node) {
        NoFileRecord(Rec);
        return;
    }
    try {
        TFileRecord rec;
        rec.KeyID = GetNodeKeyID(Node);
        rec.FileID = ColumnInteger(Node, NodeFileID);
        rec.Name = VarToStr(ColumnValue(Node, NodeFilename));
        rec.PathID = ColumnInteger(Node, NodePathID);
        rec.Path = IncludeTrailingPathDelimiter(VarToStr(ColumnValue(Node, NodePath)));
        rec.FullName = rec.Path + rec.Name;
        rec.OriginalExtension = VarToStr(ColumnValue(Node, NodeOriginalExtension));
        rec.FileType = IntToLMFileType(ColumnInteger(Node, NodeLMType));
        rec.StorageMethod = SmallInt(ColumnInteger(Node, NodeStorageMethod));
        rec.RefInDB = rec.StorageMethod >= 0;
        Rec = rec;
    } catch (...) {
        NoFileRecord(Rec);
    }
}

void TLMFileList2::GetFileRecordByKeyID(Integer KeyID, TFileRecord& Rec) {
    TgxTreeListNode* node = nullptr;
    try {
        node = NodeOfKey(KeyID);
    } catch (...) {
        node = nullptr;
    }
    NodeToFileRecord(node, Rec);
}

std::string TLMFileList2::GetNodeFullName(TgxTreeListNode* Node) {
    if (!Node || !FGrid) return "";
    try {
        TgxDBTreeListColumn* path = FGrid->FindColumnByFieldName("Path");
        if (!path) return "";
        return IncludeTrailingPathDelimiter(VarToStr(Node->GetValue(path->GetIndex()))) +
               VarToStr(ColumnValue(Node, NodeFilename));
    } catch (...) {
        return "";
    }
}

TDateTime TLMFileList2::GetNodeDate(TgxTreeListNode* Node) {
    if (!Node) return 0;
    try {
        const Variant v = ColumnValue(Node, NodeDate);
        return VarIsNull(v) || VarIsClear(v) ? 0 : v.AsDateTime();
    } catch (...) {
        return 0;
    }
}

Integer TLMFileList2::GetKeyIDAt(Integer X, Integer Y) {
    try {
        if (FFileDisplayMode != 0 && FThumbs) return FThumbs->GetKeyIDAtPoint(X, Y);
        return FGrid ? GetNodeKeyID(FGrid->GetNodeAt(X, Y)) : -1;
    } catch (...) {
        return -1;
    }
}

// ---- counts and tests ----------------------------------------------------------------------------

Integer TLMFileList2::GetRecordCount() {
    if (!FGrid || !FGrid->GetDataSource()) return 0;
    TDataSet* data = FGrid->GetDataSet();
    return data && data->GetActive() ? data->GetRecordCount() : 0;
}

bool TLMFileList2::HasItems() { return FGrid && FGrid->GetCount() > 0; }

Integer TLMFileList2::GetSelectedCount() {
    if (!FGrid) return 0;
    if (!Grouped()) return FGrid->GetSelectedCount();
    return PrepareSelectedList();
}

bool TLMFileList2::IsAnyFileSelected() {
    if (!FGrid) return false;
    if (FGrid->GetSelectedCount() == 1) return !IsGroupRow(FGrid->GetFocusedNode());
    return GetSelectedCount() > 0;
}

bool TLMFileList2::IsMultipleSelected() {
    if (!FGrid) return false;
    if (!Grouped()) return FGrid->GetSelectedCount() > 1;
    Integer files = 0;
    for (Integer i = 0; i < FGrid->GetSelectedCount() && files < 2; ++i)
        if (TgxTreeListNode* n = FGrid->GetSelectedNode(i); n && !IsGroupRow(n)) ++files;
    return files >= 2;
}

bool TLMFileList2::IsBusy() const { return FBulkDepth > 0 || (FThumbs && FThumbs->IsLayoutBusy()); }

// ---- bulk updates and refresh --------------------------------------------------------------------

void TLMFileList2::BeginBulkUpdate() {
    ++FBulkDepth;
    if (FGrid && FGrid->GetDataSet()) FGrid->GetDataSet()->DisableControls();
    SetBlockOperations(true);
}

void TLMFileList2::EndBulkUpdate(bool Unblock) {
    if (FBulkDepth == 0) return;
    if (FGrid && FGrid->GetDataSet()) FGrid->GetDataSet()->EnableControls();
    try {
        if (FBulkDepth == 1) Refresh();
    } catch (...) {
        --FBulkDepth;
        throw;
    }
    if (Unblock && FBulkDepth == 1) SetBlockOperations(false);
    --FBulkDepth;
}

void TLMFileList2::RefreshEx(bool Regroup) {
    FStale = true;
    if (!FGrid) return;
    if (Regroup) {
        FGrid->RefreshGrouping();
        if (TgxTreeListNode* focused = FGrid->GetFocusedNode()) {
            focused->SetFocused(true);
            focused->SetSelected(true);
        } else {
            GotoFirstForced();
        }
    }
    if (InThumbMode() && FThumbs) FThumbs->UpdateLayout(true, true);
}

// ---- the file tables -----------------------------------------------------------------------------

void TLMFileList2::ConnectTempDB(TdmTempDB* Value) {
    if (FTempDB && FTempDB->FileGrid == this) {
        FTempDB->FileGrid = nullptr;
        FTempDB->Hooks.BeginBulkUpdate = nullptr;
        FTempDB->Hooks.EndBulkUpdate = nullptr;
        FTempDB->Hooks.GotoFirstForced = nullptr;
    }
    FTempDB = Value;
    if (!Value) return;
    Value->FreeNotification(this);
    Value->FileGrid = this;
    Value->Hooks.BeginBulkUpdate = [this] { BeginBulkUpdate(); };
    Value->Hooks.EndBulkUpdate = [this] { EndBulkUpdate(true); };
    Value->Hooks.GotoFirstForced = [this] { GotoFirstForced(); };
}

bool TLMFileList2::NeighbourOfFocused(std::string& KeyText) {
    if (!FGrid) return false;
    TgxTreeListNode* focused = FGrid->GetFocusedNode();
    if (!focused) return false;
    TgxTreeListNode* n = FGrid->GetNextVisible(focused);
    if (!n) n = FGrid->GetPrevVisible(focused);
    auto* node = dynamic_cast<TgxDBGridNode*>(n);
    if (!node) return false;
    KeyText = VarToStr(node->KeyValue);
    return true;
}

Integer TLMFileList2::GetTopIndex() { return FGrid ? FGrid->GetTopIndex() : -1; }

void TLMFileList2::SetTopIndex(Integer Value) {
    if (FGrid) FGrid->SetTopIndex(Value);
}

bool TLMFileList2::FocusNodeByKey(const std::string& KeyText) {
    Integer key = -1;
    if (!TryStrToInt(Trim(KeyText), key)) return false;
    return GotoKeyID(key);
}
