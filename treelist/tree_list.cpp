// The node model of the tree list: nodes, adding, moving, deleting and clearing, expansion, the
// display-order walks and their cache, the update and selection brackets.

#include "treelist/tree_list.h"
#include "framework/forms.h"
#include "framework/screen_overlay.h"
#include "treelist/inplace_edit.h"

#include "framework/system_metrics.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>
#include <iterator>
#include <mutex>

#include <sanitizer/asan_interface.h>

Integer CompareNodePointers(const TgxTreeListNode* Node1, const TgxTreeListNode* Node2) {
    std::less<const TgxTreeListNode*> less;
    if (less(Node1, Node2)) return -1;
    if (less(Node2, Node1)) return 1;
    return 0;
}

// ---- node memory -----------------------------------------------------------------------------

namespace {

// Chunks of 16-byte size classes up to 256 bytes, carved from 64 KiB blocks and reused through a
// free list per class. Each thread keeps its own pool, so nothing locks; the blocks are never
// given back, which also makes freeing a node on another thread than the one that made it safe.
// Under the address sanitizer a free chunk is poisoned until it is handed out again.
//
// Many chunks given back in any order (a cleared tree) are put in address order before they are
// handed out again, so that a tree built afterwards lies in memory in the order it was made, as
// its other data does: walks in memory order then read ahead well. Each chunk given back is
// sorted once, at a logarithmic cost.
class TNodePool {
public:
    static constexpr size_t Granule = 16;
    static constexpr size_t Classes = 16;
    static constexpr size_t BlockSize = 64 * 1024;
    static constexpr std::align_val_t BlockAlignment{64};

    static bool Fits(size_t Size) { return Size <= Granule * Classes; }

    void* Allocate(size_t Size) {
        const size_t cls = (Size + Granule - 1) / Granule - 1;
        TClass& c = FClasses[cls];
        void* chunk;
        if (!c.Free.empty()) {
            const size_t unordered = c.Free.size() - c.Ordered;
            if (unordered >= OrderedRun) {
                // A long run is sorted into the rest, a short one by itself on top of it.
                const size_t from = unordered >= c.Ordered ? 0 : c.Ordered;
                std::sort(c.Free.begin() + std::ptrdiff_t(from), c.Free.end(), std::greater<void*>());
                c.Ordered = c.Free.size();
            }
            chunk = c.Free.back();
            c.Free.pop_back();
            c.Ordered = std::min(c.Ordered, c.Free.size());
        } else {
            // Each class carves its own blocks, so chunks of a cache line's size stay aligned.
            const size_t bytes = (cls + 1) * Granule;
            if (c.Left < bytes) {
                c.Cursor = static_cast<char*>(::operator new(BlockSize, BlockAlignment));
                FBlocks.push_back(c.Cursor);
                c.Left = BlockSize;
                ASAN_POISON_MEMORY_REGION(c.Cursor, BlockSize);
            }
            chunk = c.Cursor;
            c.Cursor += bytes;
            c.Left -= bytes;
        }
        ASAN_UNPOISON_MEMORY_REGION(chunk, Size);
        return chunk;
    }

    void Release(void* Block, size_t Size) {
        const size_t cls = (Size + Granule - 1) / Granule - 1;
        ASAN_POISON_MEMORY_REGION(Block, Size);
        FClasses[cls].Free.push_back(Block);
    }

private:
    static constexpr size_t OrderedRun = 256;

    struct TClass {
        // Handed out from the back; the chunks before Ordered have been put in order (in a few runs
        // of descending addresses), those after it came back since.
        std::vector<void*> Free;
        size_t Ordered = 0;
        char* Cursor = nullptr;
        size_t Left = 0;
    };
    TClass FClasses[Classes];
    std::vector<char*> FBlocks;
};

TNodePool& NodePool() {
    thread_local TNodePool* pool = [] {
        // Every thread's pool stays reachable for the life of the program.
        static std::mutex mutex;
        static std::vector<TNodePool*>* pools = new std::vector<TNodePool*>;
        auto* p = new TNodePool;
        std::lock_guard<std::mutex> lock(mutex);
        pools->push_back(p);
        return p;
    }();
    return *pool;
}

}  // namespace

void* TgxTreeListNode::operator new(size_t Size) {
    return TNodePool::Fits(Size) ? NodePool().Allocate(Size) : ::operator new(Size);
}

void TgxTreeListNode::operator delete(void* Block, size_t Size) {
    if (TNodePool::Fits(Size))
        NodePool().Release(Block, Size);
    else
        ::operator delete(Block);
}

// ---- TgxTreeListNodeList ---------------------------------------------------------------------

namespace {

TgxTreeListNode** AllocateItems(Integer Capacity) {
    const size_t size = size_t(Capacity) * sizeof(TgxTreeListNode*);
    return static_cast<TgxTreeListNode**>(TNodePool::Fits(size) ? NodePool().Allocate(size) : ::operator new(size));
}

void FreeItems(TgxTreeListNode** Items, Integer Capacity) {
    const size_t size = size_t(Capacity) * sizeof(TgxTreeListNode*);
    if (TNodePool::Fits(size))
        NodePool().Release(Items, size);
    else
        ::operator delete(Items);
}

}  // namespace

TgxTreeListNodeList::TgxTreeListNodeList(TgxTreeListNodeList&& Other) noexcept
    : FItems(Other.FItems), FCount(Other.FCount), FCapacity(Other.FCapacity) {
    Other.FItems = nullptr;
    Other.FCount = Other.FCapacity = 0;
}

TgxTreeListNodeList& TgxTreeListNodeList::operator=(TgxTreeListNodeList&& Other) noexcept {
    if (this != &Other) {
        Clear();
        std::swap(FItems, Other.FItems);
        std::swap(FCount, Other.FCount);
        std::swap(FCapacity, Other.FCapacity);
    }
    return *this;
}

void TgxTreeListNodeList::CheckIndex(Integer Index) const {
    if (Index < 0 || Index >= FCount) TList::Error("List index out of bounds (%d)", Index);
}

TgxTreeListNode* TgxTreeListNodeList::Get(Integer Index) const {
    CheckIndex(Index);
    return FItems[Index];
}

void TgxTreeListNodeList::Put(Integer Index, TgxTreeListNode* Node) {
    CheckIndex(Index);
    FItems[Index] = Node;
}

void TgxTreeListNodeList::Reserve(Integer Capacity) {
    if (Capacity <= FCapacity) return;
    TgxTreeListNode** items = AllocateItems(Capacity);
    if (FCount > 0) std::memcpy(items, FItems, size_t(FCount) * sizeof(TgxTreeListNode*));
    if (FItems) FreeItems(FItems, FCapacity);
    FItems = items;
    FCapacity = Capacity;
}

void TgxTreeListNodeList::Insert(Integer Index, TgxTreeListNode* Node) {
    if (Index < 0 || Index > FCount) TList::Error("List index out of bounds (%d)", Index);
    if (FCount == FCapacity) Reserve(FCapacity < 4 ? 4 : FCapacity * 2);
    std::memmove(FItems + Index + 1, FItems + Index, size_t(FCount - Index) * sizeof(TgxTreeListNode*));
    FItems[Index] = Node;
    ++FCount;
}

void TgxTreeListNodeList::Delete(Integer Index) {
    CheckIndex(Index);
    --FCount;
    std::memmove(FItems + Index, FItems + Index + 1, size_t(FCount - Index) * sizeof(TgxTreeListNode*));
}

Integer TgxTreeListNodeList::Remove(const TgxTreeListNode* Node) {
    const Integer index = IndexOf(Node);
    if (index >= 0) Delete(index);
    return index;
}

Integer TgxTreeListNodeList::IndexOf(const TgxTreeListNode* Node) const {
    for (Integer i = 0; i < FCount; ++i)
        if (FItems[i] == Node) return i;
    return -1;
}

void TgxTreeListNodeList::Exchange(Integer Index1, Integer Index2) {
    CheckIndex(Index1);
    CheckIndex(Index2);
    std::swap(FItems[Index1], FItems[Index2]);
}

void TgxTreeListNodeList::Clear() {
    if (FItems) FreeItems(FItems, FCapacity);
    FItems = nullptr;
    FCount = FCapacity = 0;
}

// ---- TgxTreeListNode -------------------------------------------------------------------------

TgxTreeListNode::TgxTreeListNode(TCustomgxTreeList* AOwner) : FOwner(AOwner) {
    if (!AOwner) throw EInvalidgxTreeListOperation("Invalid Owner TgxTreeListNode");
    ++AOwner->FNodeCount;
}

TgxTreeListNode::~TgxTreeListNode() {
    --FOwner->FNodeCount;
}

void TgxTreeListNode::BeforeDestruction() {
    FDeleting = true;
    TCustomgxTreeList* owner = FOwner;
    const bool clearing = !owner || owner->FClearing;

    if (clearing) {
        // The whole tree goes: no child searches its parent's list.
        TgxTreeListNodeList children(std::move(FChildren));
        for (TgxTreeListNode* child : children) child->Free();
    } else {
        while (!FChildren.Empty()) FChildren[0]->Free();
    }

    TgxTreeListNode* prevSiblingOrParent = nullptr;
    TgxTreeListNode* nextVisible = nullptr;
    bool isLast = false;
    bool wasVisible = false;
    if (!clearing) {
        prevSiblingOrParent = GetPrevSiblingOrParent();
        nextVisible = GetNextVisible();
        isLast = IsLast();
        wasVisible = (!FParent || !FParent->FDeleting) && GetIsVisible();
        Detach();
    }
    FChildren.Clear();
    if (owner) owner->NodeDeleted(this, prevSiblingOrParent, nextVisible, isLast, wasVisible);
}

TgxTreeListNodeList& TgxTreeListNode::SiblingList() const {
    return FParent ? FParent->FChildren : FOwner->FNodes;
}

void TgxTreeListNode::Detach() {
    if (FParent) {
        TgxTreeListNode* parent = FParent;
        parent->FChildren.Remove(this);
        if (parent->FChildren.Empty()) {
            parent->FChildren.Clear();
            parent->SetHasChildren(FOwner->NodeHasChildren(parent));
            parent->FExpanded = false;
        }
    } else {
        FOwner->FNodes.Remove(this);
    }
}

TgxTreeListNode* TgxTreeListNode::InsertChild(TgxTreeListNode* BeforeChild) {
    TgxTreeListNode* node = FOwner->CreateNode();
    node->FParent = this;
    if (BeforeChild && BeforeChild->FParent == this)
        FChildren.Insert(BeforeChild->GetIndex(), node);
    else
        FChildren.Add(node);
    SetHasChildren(true);
    FOwner->NodeAdded(node);
    return node;
}

void TgxTreeListNode::AddChildrenToList(TList* List) const {
    if (FChildren.Empty()) return;
    List->SetCapacity(List->GetCount() + FChildren.GetCount());
    for (TgxTreeListNode* child : FChildren) List->Add(child);
}

void TgxTreeListNode::DeleteChildren() {
    while (!FChildren.Empty()) FChildren[0]->Free();
}

TgxTreeListNode* TgxTreeListNode::GetItem(Integer Index) const {
    if (Index < 0 || Index >= FChildren.GetCount()) return nullptr;
    return FChildren[Index];
}

Integer TgxTreeListNode::GetIndex() const {
    return SiblingList().IndexOf(this);
}

Integer TgxTreeListNode::IndexOfChild(const TgxTreeListNode* Node) const {
    return FChildren.IndexOf(Node);
}

Integer TgxTreeListNode::GetLevel() const {
    Integer level = 0;
    for (TgxTreeListNode* p = FParent; p; p = p->FParent) ++level;
    return level;
}

bool TgxTreeListNode::IsLast() const {
    const TgxTreeListNodeList& list = SiblingList();
    return !list.Empty() && list[list.GetCount() - 1] == this;
}

bool TgxTreeListNode::HasAsParent(const TgxTreeListNode* Node) const {
    if (!Node) return false;
    for (TgxTreeListNode* p = FParent; p; p = p->FParent)
        if (p == Node) return true;
    return false;
}

TgxTreeListNode* TgxTreeListNode::GetNextSibling() const {
    const TgxTreeListNodeList& list = SiblingList();
    const Integer i = list.IndexOf(this);
    return i >= 0 && i + 1 < list.GetCount() ? list[i + 1] : nullptr;
}

TgxTreeListNode* TgxTreeListNode::GetPrevSibling() const {
    const TgxTreeListNodeList& list = SiblingList();
    const Integer i = list.IndexOf(this);
    return i > 0 ? list[i - 1] : nullptr;
}

TgxTreeListNode* TgxTreeListNode::GetPrevSiblingOrParent() const {
    TgxTreeListNode* prev = GetPrevSibling();
    return prev ? prev : FParent;
}

TgxTreeListNode* TgxTreeListNode::GetNext() const {
    if (GetCount() > 0) return GetFirstChild();
    for (const TgxTreeListNode* n = this; n; n = n->FParent)
        if (TgxTreeListNode* s = n->GetNextSibling()) return s;
    return nullptr;
}

TgxTreeListNode* TgxTreeListNode::GetPrev() const {
    TgxTreeListNode* prev = GetPrevSibling();
    if (!prev) return FParent;
    while (prev->GetCount() > 0) prev = prev->GetLastChild();
    return prev;
}

TgxTreeListNode* TgxTreeListNode::GetNextVisible() const {
    return FOwner->GetNextVisible(this);
}

TgxTreeListNode* TgxTreeListNode::GetPrevVisible() const {
    return FOwner->GetPrevVisible(this);
}

TgxTreeListNode* TgxTreeListNode::GetLastExpandedDescendant() const {
    const TgxTreeListNode* n = this;
    while (n->FExpanded && n->GetCount() > 0) n = n->GetLastChild();
    return const_cast<TgxTreeListNode*>(n);
}

bool TgxTreeListNode::GetIsVisible() const {
    for (TgxTreeListNode* p = FParent; p; p = p->FParent)
        if (!p->FExpanded) return false;
    return true;
}

Integer TgxTreeListNode::GetAbsoluteIndex() const {
    return FOwner->GetAbsoluteIndex(this);
}

void TgxTreeListNode::SetExpanded(bool Value) {
    if (!FHasChildren || Value == FExpanded) return;
    TCustomgxTreeList* owner = FOwner;
    bool allow = true;
    if (Value)
        owner->DoExpanding(this, allow);
    else
        owner->DoCollapsing(this, allow);
    if (!allow) return;
    if (!Value) {
        if (owner->FTopVisibleNode && owner->FTopVisibleNode->HasAsParent(this)) owner->ChangeTopVisibleNode(this);
        if (owner->FFocusedNode && owner->FFocusedNode->HasAsParent(this) && !owner->FocusNodeOnCollapse(this))
            return;
    }
    FExpanded = Value;
    if (!owner->IsUpdating() && !owner->IsDestroying()) owner->RefreshCache();
    owner->NodeChanged(this, true);
    if (Value)
        owner->DoExpanded(this);
    else
        owner->DoCollapsed(this);
}

void TgxTreeListNode::SetHasChildren(bool Value) {
    if (Value == FHasChildren) return;
    FHasChildren = Value || GetCount() > 0;
    FOwner->NodeChanged(this, false);
}

void TgxTreeListNode::SetData(Integer Value) {
    if (FOwner->CanSetNodeData()) FData = Value;
}

Integer TgxTreeListNode::GetCachedRowHeight() const {
    return FRowHeightStamp == FOwner->FRowHeightStamp ? FCachedRowHeight : 0;
}

void TgxTreeListNode::SetCachedRowHeight(Integer Value) {
    FCachedRowHeight = Value;
    FRowHeightStamp = FOwner->FRowHeightStamp;
}

void TgxTreeListNode::Collapse(bool Recurse) {
    if (!FHasChildren) return;
    FOwner->InUpdateBracket([&] {
        SetExpanded(false);
        if (Recurse)
            for (Integer i = 0; i < GetCount(); ++i) GetItem(i)->Collapse(true);
    });
}

void TgxTreeListNode::Expand(bool Recurse) {
    if (!FHasChildren) return;
    FOwner->InUpdateBracket([&] {
        SetExpanded(true);
        if (Recurse)
            for (Integer i = 0; i < GetCount(); ++i) GetItem(i)->Expand(true);
    });
}

bool TgxTreeListNode::GetFocused() const {
    return FOwner->FFocusedNode == this;
}

void TgxTreeListNode::SetFocused(bool Value) {
    if (Value == GetFocused()) return;
    FOwner->SetFocusedCell(Value ? this : nullptr, FOwner->GetFocusedColumn(), true);
}

bool TgxTreeListNode::GetSelected() const {
    if (FOwner->IsMultiSelect()) return FOwner->IsNodeSelected(const_cast<TgxTreeListNode*>(this));
    return GetFocused();
}

void TgxTreeListNode::SetSelected(bool Value) {
    FOwner->SetNodeSelected(this, Value);
}

void TgxTreeListNode::MakeVisible() {
    FOwner->MakeNodeVisible(this);
}

Variant TgxTreeListNode::GetValue(Integer Column) {
    return FOwner->GetNodeValue(this, Column);
}

std::string TgxTreeListNode::GetString(Integer Column) {
    return FOwner->GetNodeString(this, Column);
}

void TgxTreeListNode::SetString(Integer Column, const std::string& Text) {
    FOwner->SetNodeString(this, Column, Text);
}

Integer TgxTreeListNode::GetImageIndex() {
    return FOwner->GetImageIndex(this);
}

void TgxTreeListNode::SetImageIndex(Integer Value) {
    FOwner->SetImageIndex(this, Value);
}

Integer TgxTreeListNode::GetSelectedIndex() {
    return FOwner->GetSelectedIndex(this);
}

void TgxTreeListNode::SetSelectedIndex(Integer Value) {
    FOwner->SetSelectedIndex(this, Value);
}

Integer TgxTreeListNode::GetStateIndex() {
    return FOwner->GetStateIndex(this);
}

void TgxTreeListNode::SetStateIndex(Integer Value) {
    FOwner->SetStateIndex(this, Value);
}

void TgxTreeListNode::MoveTo(TgxTreeListNode* Destination, TgxTreeListNodeAttachMode Mode) {
    if (!Destination || Destination->HasAsParent(this)) return;
    if (Destination == this && (Mode == amAddChildLast || Mode == amAddChildFirst || Mode == amInsertBefore)) return;
    TCustomgxTreeList* owner = FOwner;
    owner->InUpdateBracket([&] {
        Detach();
        if (Mode == amAddChildLast || Mode == amAddChildFirst) {
            TgxTreeListNodeList& children = Destination->FChildren;
            children.Insert(Mode == amAddChildLast ? children.GetCount() : 0, this);
            FParent = Destination;
            Destination->SetHasChildren(true);
        } else {
            TgxTreeListNode* parent = Destination->FParent;
            TgxTreeListNodeList& list = parent ? parent->FChildren : owner->FNodes;
            const Integer index = Mode == amAddLast    ? list.GetCount()
                                  : Mode == amAddFirst ? 0
                                                       : Destination->GetIndex();
            list.Insert(index, this);
            FParent = parent;
            // A parent whose list was emptied by the detach gets its children back.
            if (parent) parent->SetHasChildren(true);
        }
        owner->FFocusedNode = this;
        owner->RefreshCache();
        owner->MakeNodeVisible(this);
    });
}

void TgxTreeListNode::MoveTopLevelUnder(TgxTreeListNode* AParent, Integer TopIndex) {
    TgxTreeListNodeList& roots = FOwner->FNodes;
    if (!AParent || AParent == this || AParent->HasAsParent(this)) return;
    if (TopIndex < 0 || TopIndex >= roots.GetCount() || roots[TopIndex] != this) TopIndex = roots.IndexOf(this);
    if (TopIndex < 0) return;
    roots.Delete(TopIndex);
    AParent->FChildren.Add(this);
    FParent = AParent;
    AParent->SetHasChildren(true);
}

void TgxTreeListNode::MoveChildrenToTopLevel() {
    TgxTreeListNodeList children(std::move(FChildren));
    TgxTreeListNodeList& roots = FOwner->FNodes;
    roots.Reserve(roots.GetCount() + children.GetCount());
    for (TgxTreeListNode* child : children) {
        child->FParent = nullptr;
        roots.Add(child);
    }
    SetHasChildren(FOwner->NodeHasChildren(this));
    FExpanded = false;
    FOwner->FFocusedNode = this;
}

// ---- TCustomgxTreeList: construction ---------------------------------------------------------

TCustomgxTreeList::TCustomgxTreeList(TComponent* AOwner)
    : TCustomgxContainer(AOwner),
      FBandFont(new TFont),
      FHeaderFont(new TFont),
      FPreviewFont(new TFont),
      FInternalFont(new TFont),
      FImageChangeLink(new TChangeLink),
      FStateImageChangeLink(new TChangeLink) {
    SetControlStyle({csCaptureMouse, csOpaque, csDoubleClicks, csDisplayDragImage});
    SetBounds(0, 0, 250, 150);
    SetColor(clWindow);
    SetParentColor(false);
    SetTabStop(true);
    LoadTreeListCursors();
    FPreviewFont->SetColor(clBlue);
    for (TFont* font : {FBandFont, FHeaderFont, FPreviewFont})
        font->OnChange = [this](TObject* Sender) { PanelFontChanged(Sender); };
    for (TChangeLink* link : {FImageChangeLink, FStateImageChangeLink})
        link->OnChange = [this](TObject*) { LayoutChanged(); };
}

void TCustomgxTreeList::BeforeDestruction() {
    TCustomgxContainer::BeforeDestruction();
    if (FCustomizingForm) {
        // The window goes with the list, without telling anyone.
        TForm* form = FCustomizingForm;
        FCustomizingForm = nullptr;
        FCustomizingBands = FCustomizingHeaders = nullptr;
        form->OnClose = nullptr;
        form->Free();
    }
    PrepareDestroy();
    ClearCache();
    ClearNodes();
}

TCustomgxTreeList::~TCustomgxTreeList() {
    delete FArrowsOverlay;
    if (!FNodes.Empty()) {
        // Destroyed without Free(): the nodes still go, with the base class's bookkeeping only.
        FClearing = true;
        TgxTreeListNodeList roots(std::move(FNodes));
        for (TgxTreeListNode* root : roots) root->Free();
    }
    if (FDragImageList && FDragImageList->GetDragging()) FDragImageList->EndDrag();
    delete FDragImageList;
    FPreviewFont->Free();
    FHeaderFont->Free();
    FBandFont->Free();
    FInternalFont->Free();
    if (FMeasureCanvas) {
        FMeasureCanvas->SetHandle(nullptr);
        FMeasureCanvas->Free();
        DeleteDC(FMeasureDC);
    }
    if (FPaintBitmap) FPaintBitmap->Free();
    if (FImages) FImages->UnRegisterChanges(FImageChangeLink);
    if (FStateImages) FStateImages->UnRegisterChanges(FStateImageChangeLink);
    FImageChangeLink->Free();
    FStateImageChangeLink->Free();
}

void TCustomgxTreeList::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomgxContainer::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FImages) SetImages(nullptr);
    if (AComponent == FStateImages) SetStateImages(nullptr);
    if (AComponent == FInplaceEditor) {
        FInplaceEditor = nullptr;
        FEditedColumn = -1;
        FEditedNode = nullptr;
        if (FState == tsEditing) FState = tsNormal;
    }
}

void TCustomgxTreeList::SetImageList(TCustomImageList*& Field, TChangeLink* Link, TCustomImageList* Value) {
    if (Value == Field) return;
    InUpdateBracket([&] {
        if (Field) Field->UnRegisterChanges(Link);
        Field = Value;
        if (Value) {
            Value->RegisterChanges(Link);
            Value->FreeNotification(this);
        }
    });
}

void TCustomgxTreeList::SetImages(TCustomImageList* Value) {
    SetImageList(FImages, FImageChangeLink, Value);
}

void TCustomgxTreeList::SetStateImages(TCustomImageList* Value) {
    SetImageList(FStateImages, FStateImageChangeLink, Value);
}

void TCustomgxTreeList::PanelFontChanged(TObject* /*Sender*/) {
    if (!IsLoading() && !FCopyingParentFonts) SetParentFont(false);
    LayoutChanged();
}

void TCustomgxTreeList::CopyParentFonts() {
    TgxFlagGuard copying(FCopyingParentFonts);
    FBandFont->Assign(GetFont());
    FHeaderFont->Assign(GetFont());
    FPreviewFont->SetName(GetFont()->GetName());
    FPreviewFont->SetSize(GetFont()->GetSize());
    FPreviewFont->SetStyle(GetFont()->GetStyle());
    FPreviewFont->SetColor(clBlue);
}

void TCustomgxTreeList::SetBandFont(TFont* Value) {
    FBandFont->Assign(Value);
    LayoutChanged();
}

void TCustomgxTreeList::SetHeaderFont(TFont* Value) {
    FHeaderFont->Assign(Value);
    LayoutChanged();
}

void TCustomgxTreeList::SetPreviewFont(TFont* Value) {
    FPreviewFont->Assign(Value);
    LayoutChanged();
}

void TCustomgxTreeList::PrepareDestroy() {
    if (FDestroyPrepared) return;
    FDestroyPrepared = true;
    if (!IsDestroying()) Destroying();
    if (HandleAllocated()) DestroyHandle();
    ResetEditedCell();
}

// ---- window ----------------------------------------------------------------------------------

void TCustomgxTreeList::CreateParams(TCreateParams& Params) {
    TCustomgxContainer::CreateParams(Params);
    Params.Style |= WS_CLIPCHILDREN | WS_TABSTOP;
    Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    if (FBorderStyle == bsSingle && FLookAndFeel == lfStandard) {
        if (GetCtl3D())
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    } else if (FLookAndFeel == lfFlat && FBorderStyle == bsNone) {
        Params.Style &= ~WS_BORDER;
    }
}

void TCustomgxTreeList::CreateWnd() {
    TCustomgxContainer::CreateWnd();
    UpdateScrollBars();
}

void TCustomgxTreeList::WMNCCalcSize(TMessage& Message) {
    TCustomgxContainer::WMNCCalcSize(Message);
    auto* r = reinterpret_cast<TRect*>(Message.LParam);
    if (!r || !HasFlatBorder()) return;
    *r = TRect(r->Left + 1, r->Top + 1, r->Right - 1, r->Bottom - 1);
}

void TCustomgxTreeList::WMNCPaint(TMessage& Message) {
    TCustomgxContainer::WMNCPaint(Message);
    if (!HasFlatBorder()) return;
    TCanvas* canvas = GetWindowCanvas();
    if (!canvas) return;
    TRect frame(0, 0, GetWidth(), GetHeight());
    DrawEdge(canvas->GetHandle(), &frame, BDR_SUNKENOUTER, BF_RECT);
    if (ScrollBarState(SB_HORZ).Shown && ScrollBarState(SB_VERT).Shown) {
        const Integer right = GetWidth() - 1;
        const Integer bottom = GetHeight() - 1;
        canvas->GetBrush()->SetColor(clBtnFace);
        canvas->GetBrush()->SetStyle(bsSolid);
        canvas->FillRect(TRect(right - GetSystemMetrics(SM_CXVSCROLL), bottom - GetSystemMetrics(SM_CYHSCROLL), right,
                               bottom));
    }
}

void TCustomgxTreeList::WMEraseBkgnd(TMessage& Message) {
    Message.Result = 1;
}

void TCustomgxTreeList::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTARROWS;
    const bool wantTabs = WantTabs();
    if (IsRowSelect() && !wantTabs) return;
    if (wantTabs) Message.Result |= DLGC_WANTTAB;
    if (IsEditingAllowed() || FSearching || (IsAutoSearch() && GetKeyState(VK_MENU) >= 0))
        Message.Result |= DLGC_WANTCHARS;
}

void TCustomgxTreeList::CMCtl3DChanged(TMessage& Message) {
    if (FBorderStyle == bsSingle && FLookAndFeel == lfStandard) RecreateWnd();
    TCustomgxContainer::CMCtl3DChanged(Message);
}

void TCustomgxTreeList::CMColorChanged(TMessage& Message) {
    TCustomgxContainer::CMColorChanged(Message);
    LayoutChanged();
}

void TCustomgxTreeList::CMFontChanged(TMessage& Message) {
    TCustomgxContainer::CMFontChanged(Message);
    LayoutChanged();
}

void TCustomgxTreeList::CMParentFontChanged(TMessage& Message) {
    TCustomgxContainer::CMParentFontChanged(Message);
    if (!GetParentFont()) return;
    CopyParentFonts();
    LayoutChanged();
}

void TCustomgxTreeList::Loaded() {
    TCustomgxContainer::Loaded();
    LayoutChanged();
}

// ---- nodes -----------------------------------------------------------------------------------

TgxTreeListNode* TCustomgxTreeList::Add() {
    TgxTreeListNode* node = CreateNode();
    FNodes.Add(node);
    NodeAdded(node);
    return node;
}

TgxTreeListNode* TCustomgxTreeList::Insert(TgxTreeListNode* BeforeNode) {
    TgxTreeListNode* node = CreateNode();
    if (BeforeNode && !BeforeNode->GetParent() && BeforeNode->GetOwner() == this)
        FNodes.Insert(BeforeNode->GetIndex(), node);
    else
        FNodes.Add(node);
    NodeAdded(node);
    return node;
}

void TCustomgxTreeList::ClearNodes() {
    auto clear = [&] {
        ClearCache();
        TgxFlagGuard locked(FCacheLocked);
        TgxFlagGuard clearing(FClearing);
        ClearSelection();
        ResetNodeReferences();
        // The roots leave the list first; a node whose deletion raises does not stop the others.
        TgxTreeListNodeList roots(std::move(FNodes));
        std::exception_ptr failure;
        for (TgxTreeListNode* root : roots) {
            try {
                root->Free();
            } catch (...) {
                if (!failure) failure = std::current_exception();
            }
        }
        if (failure) std::rethrow_exception(failure);
    };
    if (IsDestroying())
        clear();
    else
        InUpdateBracket(clear);
}

std::vector<TgxTreeListNode*> TCustomgxTreeList::ExtractLeaves() {
    std::vector<TgxTreeListNode*> leaves;
    InUpdateBracket([&] {
        // Depth-first with an explicit stack: every node leaves its list and each inner node's list
        // goes with it; the inner nodes, childless now, stand as the roots that ClearNodes frees.
        TgxTreeListNodeList roots(std::move(FNodes));
        std::vector<TgxTreeListNode*> stack(std::make_reverse_iterator(roots.end()),
                                            std::make_reverse_iterator(roots.begin()));
        while (!stack.empty()) {
            TgxTreeListNode* node = stack.back();
            stack.pop_back();
            node->FParent = nullptr;
            if (node->FChildren.Empty()) {
                leaves.push_back(node);
                continue;
            }
            FNodes.Add(node);
            TgxTreeListNodeList children(std::move(node->FChildren));
            for (Integer i = children.GetCount() - 1; i >= 0; --i) stack.push_back(children[i]);
        }
        try {
            ClearNodes();
        } catch (...) {
            for (TgxTreeListNode* leaf : leaves) FNodes.Add(leaf);
            throw;
        }
    });
    return leaves;
}

void TCustomgxTreeList::AdoptNode(TgxTreeListNode* Parent, TgxTreeListNode* Node) {
    ClearCache();
    Node->FParent = Parent;
    if (!Parent) {
        FNodes.Add(Node);
        return;
    }
    Parent->FChildren.Add(Node);
    Parent->SetHasChildren(true);
}

TgxTreeListNode* TCustomgxTreeList::GetItem(Integer Index) const {
    if (Index < 0 || Index >= FNodes.GetCount()) return nullptr;
    return FNodes[Index];
}

TgxTreeListNode* TCustomgxTreeList::GetLastVisibleNode() const {
    TgxTreeListNode* node = GetItem(FNodes.GetCount() - 1);
    return node ? node->GetLastExpandedDescendant() : nullptr;
}

void TCustomgxTreeList::FullExpand() {
    if (GetCount() == 0) return;
    InUpdateBracket([&] {
        for (Integer i = 0; i < GetCount(); ++i) GetItem(i)->Expand(true);
    });
}

void TCustomgxTreeList::FullCollapse() {
    if (GetCount() == 0) return;
    InUpdateBracket([&] {
        for (Integer i = 0; i < GetCount(); ++i) GetItem(i)->Collapse(true);
    });
}

void TCustomgxTreeList::MakeNodeVisible(TgxTreeListNode* Node) {
    if (!Node) return;
    bool collapsedAncestor = false;
    for (TgxTreeListNode* p = Node->GetParent(); p; p = p->GetParent())
        if (!p->GetExpanded()) collapsedAncestor = true;
    auto scroll = [&] {
        for (TgxTreeListNode* p = Node->GetParent(); p; p = p->GetParent())
            if (!p->GetExpanded()) p->SetExpanded(true);
        const Integer top = GetAbsoluteIndex(FTopVisibleNode);
        const Integer index = GetAbsoluteIndex(Node);
        if (index < 0) return;
        const Integer lastFull = top + FFullVisibleRowCount - 1;
        if (index >= top && index <= lastFull && !collapsedAncestor) return;
        if (index < top)
            SetTopIndex(index);
        else if (index > lastFull)
            SetTopIndex(GetTopIndexForLastRow(index));
    };
    if (collapsedAncestor)
        InUpdateBracket(scroll);
    else
        scroll();
}

// ---- display order ---------------------------------------------------------------------------

bool TCustomgxTreeList::IsCacheValid() const {
    return FCacheBuilt && !FDisplayOrder.empty() && !IsDestroying();
}

Integer TCustomgxTreeList::FindCachedNode(const TgxTreeListNode* Node) const {
    if (!Node) return -1;
    const Integer i = Node->FDisplayIndex;
    if (i < 0 || i >= Integer(FDisplayOrder.size()) || FDisplayOrder[i] != Node) return -1;
    return i;
}

void TCustomgxTreeList::RefreshCache() {
    if (FDestroyPrepared && IsDestroying()) return;
    FDisplayOrder.clear();
    FDisplayOrder.reserve(size_t(FNodeCount));
    // Depth-first over the displayed nodes, with an explicit stack of (list, next position).
    std::vector<std::pair<const TgxTreeListNodeList*, Integer>> stack;
    stack.emplace_back(&FNodes, 0);
    while (!stack.empty()) {
        auto& [list, pos] = stack.back();
        if (pos >= list->GetCount()) {
            stack.pop_back();
            continue;
        }
        TgxTreeListNode* node = (*list)[pos++];
        node->FDisplayIndex = Integer(FDisplayOrder.size());
        FDisplayOrder.push_back(node);
        if (node->FExpanded && !node->FChildren.Empty()) stack.emplace_back(&node->FChildren, 0);
    }
    FCacheBuilt = true;
    if (!FCacheLocked) ClearRowHeightCache();
}

void TCustomgxTreeList::ClearCache() {
    if (FCacheLocked) return;
    FCacheBuilt = false;
    FDisplayOrder.clear();
    FFocusedColumnAbsoluteIndex = -1;
    ClearRowHeightCache();
}

void TCustomgxTreeList::ClearRowHeightCache() {
    if (!IsDestroying()) ++FRowHeightStamp;
}

namespace {

// Rows a node takes in the display: itself and, while expanded, its children's rows.
Integer DisplayedRows(const TgxTreeListNode* Node) {
    Integer rows = 1;
    if (Node->GetExpanded())
        for (Integer i = 0; i < Node->GetCount(); ++i) rows += DisplayedRows(Node->GetItem(i));
    return rows;
}

}  // namespace

Integer TCustomgxTreeList::WalkAbsoluteIndex(const TgxTreeListNode* Node) const {
    if (!Node || !Node->GetIsVisible()) return -1;
    Integer index = 0;
    for (const TgxTreeListNode* n = Node; n; n = n->GetParent()) {
        const TgxTreeListNodeList& siblings = n->SiblingList();
        const Integer position = siblings.IndexOf(n);
        for (Integer i = 0; i < position; ++i) index += DisplayedRows(siblings[i]);
        if (n->GetParent()) ++index;
    }
    return index;
}

TgxTreeListNode* TCustomgxTreeList::WalkAbsoluteNode(Integer Index) const {
    if (Index < 0) return nullptr;
    const TgxTreeListNodeList* list = &FNodes;
    while (list) {
        const TgxTreeListNodeList* next = nullptr;
        for (TgxTreeListNode* node : *list) {
            if (Index == 0) return node;
            const Integer rows = DisplayedRows(node);
            if (Index < rows) {
                --Index;  // the node's own row; the rest lies among its children
                next = &node->GetChildren();
                break;
            }
            Index -= rows;
        }
        list = next;
    }
    return nullptr;
}

Integer TCustomgxTreeList::WalkAbsoluteCount(const TgxTreeListNodeList& List) const {
    Integer count = 0;
    for (TgxTreeListNode* node : List) count += DisplayedRows(node);
    return count;
}

Integer TCustomgxTreeList::GetAbsoluteCount() const {
    if (IsCacheValid()) return Integer(FDisplayOrder.size());
    return WalkAbsoluteCount(FNodes);
}

Integer TCustomgxTreeList::GetAbsoluteIndex(const TgxTreeListNode* Node) const {
    if (!Node) return -1;
    if (IsCacheValid()) return FindCachedNode(Node);
    return WalkAbsoluteIndex(Node);
}

TgxTreeListNode* TCustomgxTreeList::GetAbsoluteNode(Integer Index) const {
    if (IsCacheValid()) return Index >= 0 && Index < Integer(FDisplayOrder.size()) ? FDisplayOrder[Index] : nullptr;
    return WalkAbsoluteNode(Index);
}

TgxTreeListNode* TCustomgxTreeList::GetNextVisible(const TgxTreeListNode* Node) const {
    if (!Node) return nullptr;
    if (IsCacheValid()) {
        const Integer i = FindCachedNode(Node);
        return i >= 0 && i + 1 < Integer(FDisplayOrder.size()) ? FDisplayOrder[i + 1] : nullptr;
    }
    if (!Node->GetIsVisible()) return nullptr;
    if (Node->GetExpanded() && Node->GetCount() > 0) return Node->GetFirstChild();
    for (const TgxTreeListNode* n = Node; n; n = n->GetParent())
        if (TgxTreeListNode* s = n->GetNextSibling()) return s;
    return nullptr;
}

TgxTreeListNode* TCustomgxTreeList::GetPrevVisible(const TgxTreeListNode* Node) const {
    if (!Node) return nullptr;
    if (IsCacheValid()) {
        const Integer i = FindCachedNode(Node);
        return i > 0 ? FDisplayOrder[i - 1] : nullptr;
    }
    if (!Node->GetIsVisible()) return nullptr;
    TgxTreeListNode* prev = Node->GetPrevSibling();
    return prev ? prev->GetLastExpandedDescendant() : Node->GetParent();
}

// ---- notifications from the nodes ------------------------------------------------------------

void TCustomgxTreeList::NodeAdded(TgxTreeListNode* Node) {
    ResetEditedCell();
    if (!FTopVisibleNode) ChangeTopVisibleNode(Node);
    if (!FFocusedNode) FFocusedNode = FTopVisibleNode;
    if (IsUpdating()) return;
    if (!IsLoading() && !IsDestroying()) RefreshCache();
    TgxTreeListNode* row = Node->GetPrevSiblingOrParent();
    NodeChanged(row ? row : Node, true);
}

void TCustomgxTreeList::NodeDeleted(TgxTreeListNode* Node, TgxTreeListNode* PrevSiblingOrParent,
                                    TgxTreeListNode* NextVisible, bool /*IsLast*/, bool WasVisible) {
    if (OnDeletion) OnDeletion(this, Node);
    if (FClearing) return;
    if (IsNodeSelected(Node)) SetNodeSelected(Node, false);
    if (!IsDestroying() && !FCacheLocked) ClearCache();
    if (FNodes.Empty()) {
        ResetNodeReferences();
        if (!IsUpdating() && !IsDestroying()) {
            UpdateScrollBars();
            Invalidate();
        }
        return;
    }
    TgxTreeListNode* repaint = nullptr;
    if (FTopVisibleNode == Node) {
        ChangeTopVisibleNode(PrevSiblingOrParent);
        if (!FTopVisibleNode) ChangeTopVisibleNode(NextVisible);
        repaint = FTopVisibleNode;
    }
    if (FFocusedNode == Node) {
        FFocusedNode = PrevSiblingOrParent ? PrevSiblingOrParent : NextVisible;
        if (!repaint) repaint = FFocusedNode;
    }
    if (FPressedNode == Node) FPressedNode = nullptr;
    if (FSelectionAnchor == Node) FSelectionAnchor = PrevSiblingOrParent ? PrevSiblingOrParent : NextVisible;
    if (FSelectionReference == Node) FSelectionReference = nullptr;
    if (FDragNode == Node) FDragNode = nullptr;
    ResetEditedCell();
    if (!WasVisible) return;
    if (!IsUpdating() && !IsDestroying()) RefreshCache();
    TgxTreeListNode* row = repaint ? repaint : PrevSiblingOrParent ? PrevSiblingOrParent : NextVisible;
    if (row) NodeChanged(row, true);
}

void TCustomgxTreeList::NodeChanged(TgxTreeListNode* Node, bool Structural) {
    if (!Node || Node->GetDeleting() || IsUpdating() || IsDestroying() || !Node->GetIsVisible()) return;
    if (Structural) {
        UpdateScrollBars();
        ClampScrollPositions();
        InvalidateRowsFrom(Node);
    } else {
        InvalidateNode(Node);
    }
}

void TCustomgxTreeList::DeleteColumnValues(TgxTreeListNode* Node, Integer Column) {
    for (Integer i = 0; i < Node->GetCount(); ++i) DeleteColumnValues(Node->GetItem(i), Column);
}

void TCustomgxTreeList::ResetNodeReferences() {
    ChangeTopVisibleNode(nullptr);
    FFocusedNode = nullptr;
    FEditedColumn = -1;
    FEditedNode = nullptr;
    FSelectionAnchor = nullptr;
    FSelectionReference = nullptr;
    FKeyboardExtending = false;
    FPressedNode = nullptr;
    FDragNode = nullptr;
}

void TCustomgxTreeList::ChangeTopVisibleNode(TgxTreeListNode* Node) {
    FTopVisibleNode = Node;
    if (OnChangeTopVisibleNode) OnChangeTopVisibleNode(this);
}

bool TCustomgxTreeList::FocusNodeOnCollapse(TgxTreeListNode* Node) {
    Node->SetFocused(true);
    return true;
}

// ---- events ----------------------------------------------------------------------------------

void TCustomgxTreeList::DoCollapsed(TgxTreeListNode* Node) {
    if (OnCollapsed) OnCollapsed(this, Node);
}

void TCustomgxTreeList::DoExpanded(TgxTreeListNode* Node) {
    if (OnExpanded) OnExpanded(this, Node);
}

void TCustomgxTreeList::DoCollapsing(TgxTreeListNode* Node, bool& Allow) {
    if (OnCollapsing) OnCollapsing(this, Node, Allow);
}

void TCustomgxTreeList::DoExpanding(TgxTreeListNode* Node, bool& Allow) {
    if (OnExpanding) OnExpanding(this, Node, Allow);
}

void TCustomgxTreeList::DoEditing(TgxTreeListNode* Node, bool& Allow) {
    if (OnEditing) OnEditing(this, Node, Allow);
}

void TCustomgxTreeList::DoEdited(TgxTreeListNode* Node) {
    if (OnEdited) OnEdited(this, Node);
}

void TCustomgxTreeList::DoChangeColumn(TgxTreeListNode* Node, Integer Column) {
    if (OnChangeColumn) OnChangeColumn(this, Node, Column);
}

void TCustomgxTreeList::DoChangeLeftCoord() {
    if (OnChangeLeftCoord) OnChangeLeftCoord(this);
}

void TCustomgxTreeList::DoChangeNode(TgxTreeListNode* OldNode, TgxTreeListNode* Node) {
    if (OnChangeNode) OnChangeNode(this, OldNode, Node);
}

void TCustomgxTreeList::DoBeginDragNode(TgxTreeListNode* Node) {
    if (OnBeginDragNode) OnBeginDragNode(this, Node);
}

// ---- brackets and layout ---------------------------------------------------------------------

void TCustomgxTreeList::BeginUpdate() {
    ++FLockUpdate;
    if (FState == tsNodeDown) FEditorOnRelease = true;
    FEditedColumn = -1;
    FEditedNode = nullptr;
    SetState(tsNormal);
    HideEditorWindow();
    ClearCache();
    BeginSelectionUpdate();
}

void TCustomgxTreeList::EndUpdate() {
    if (FLockUpdate > 0) --FLockUpdate;
    try {
        LayoutChanged();
    } catch (...) {
        EndSelectionUpdate();
        throw;
    }
    EndSelectionUpdate();
}

void TCustomgxTreeList::CancelUpdate() {
    if (FLockUpdate > 0) --FLockUpdate;
    EndSelectionUpdate();
}

void TCustomgxTreeList::LayoutChanged() {
    if (FLockUpdate > 0) return;
    ++FLockUpdate;
    try {
        CalcLayoutMetrics();
    } catch (...) {
        --FLockUpdate;
        throw;
    }
    --FLockUpdate;
}

void TCustomgxTreeList::BeginSelectionUpdate() {
    if (FSelectionUpdateDepth == 0) FSavedSelectedCount = GetSelectedCount();
    ++FSelectionUpdateDepth;
}

void TCustomgxTreeList::EndSelectionUpdate() {
    if (FSelectionUpdateDepth > 0) --FSelectionUpdateDepth;
    if (FSelectionUpdateDepth == 0 && GetSelectedCount() != FSavedSelectedCount) DoSelectedCountChange();
}
