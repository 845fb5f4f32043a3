// The node model of the tree list: nodes, adding, moving, deleting and clearing, expansion, the
// display-order walks and their cache, the update and selection brackets.

#include "treelist/tree_list.h"

#include <exception>

namespace {

TgxTreeListNode* NodeAt(const TList* List, Integer Index) {
    return static_cast<TgxTreeListNode*>(List->Get(Index));
}

}  // namespace

Integer CompareNodePointers(const TgxTreeListNode* Node1, const TgxTreeListNode* Node2) {
    std::less<const TgxTreeListNode*> less;
    if (less(Node1, Node2)) return -1;
    if (less(Node2, Node1)) return 1;
    return 0;
}

// ---- node memory -----------------------------------------------------------------------------

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool PoolNodes = false;  // the address sanitizer watches every node on its own
#else
constexpr bool PoolNodes = true;
#endif

// Chunks of 16-byte size classes up to 256 bytes, carved from 64 KiB blocks and reused through a
// free list per class. Each thread keeps its own lists, so nothing locks; the blocks are never
// given back, which also makes freeing a node on another thread than the one that made it safe.
class TNodePool {
public:
    static constexpr size_t Granule = 16;
    static constexpr size_t Classes = 16;
    static constexpr size_t BlockSize = 64 * 1024;

    static bool Fits(size_t Size) { return PoolNodes && Size <= Granule * Classes; }

    void* Allocate(size_t Size) {
        const size_t cls = (Size + Granule - 1) / Granule - 1;
        if (FreeChunk* chunk = FFree[cls]) {
            FFree[cls] = chunk->Next;
            return chunk;
        }
        const size_t bytes = (cls + 1) * Granule;
        if (FLeft < bytes) {
            FCursor = static_cast<char*>(::operator new(BlockSize));
            FLeft = BlockSize;
        }
        void* block = FCursor;
        FCursor += bytes;
        FLeft -= bytes;
        return block;
    }

    void Release(void* Block, size_t Size) {
        const size_t cls = (Size + Granule - 1) / Granule - 1;
        auto* chunk = static_cast<FreeChunk*>(Block);
        chunk->Next = FFree[cls];
        FFree[cls] = chunk;
    }

private:
    struct FreeChunk {
        FreeChunk* Next;
    };
    FreeChunk* FFree[Classes] = {};
    char* FCursor = nullptr;
    size_t FLeft = 0;
};

TNodePool& NodePool() {
    thread_local TNodePool pool;
    return pool;
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

// ---- TgxTreeListNode -------------------------------------------------------------------------

TgxTreeListNode::TgxTreeListNode(TCustomgxTreeList* AOwner) : FOwner(AOwner) {
    if (!AOwner) throw EInvalidgxTreeListOperation("Invalid Owner TgxTreeListNode");
}

TgxTreeListNode::~TgxTreeListNode() {
    if (FChildList) delete FChildList;
}

void TgxTreeListNode::BeforeDestruction() {
    FDeleting = true;
    TCustomgxTreeList* owner = FOwner;
    const bool clearing = !owner || owner->FClearing;

    if (FChildList) {
        if (clearing) {
            // The whole tree goes: no child searches its parent's list.
            TList* children = FChildList;
            FChildList = nullptr;
            for (Integer i = 0; i < children->GetCount(); ++i) NodeAt(children, i)->Free();
            delete children;
        } else {
            while (FChildList && FChildList->GetCount() > 0) NodeAt(FChildList, 0)->Free();
        }
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
    if (FChildList) {
        delete FChildList;
        FChildList = nullptr;
    }
    if (owner) owner->NodeDeleted(this, prevSiblingOrParent, nextVisible, isLast, wasVisible);
}

TList* TgxTreeListNode::SiblingList() const {
    return FParent ? FParent->FChildList : FOwner->FNodes;
}

void TgxTreeListNode::CreateChildList() {
    if (!FChildList) FChildList = new TList;
}

void TgxTreeListNode::Detach() {
    if (FParent) {
        TgxTreeListNode* parent = FParent;
        if (!parent->FChildList) return;
        parent->FChildList->Remove(this);
        if (parent->FChildList->GetCount() == 0) {
            delete parent->FChildList;
            parent->FChildList = nullptr;
            parent->SetHasChildren(FOwner->NodeHasChildren(parent));
            parent->FExpanded = false;
        }
    } else {
        FOwner->FNodes->Remove(this);
    }
}

TgxTreeListNode* TgxTreeListNode::InsertChild(TgxTreeListNode* BeforeChild) {
    TgxTreeListNode* node = FOwner->CreateNode();
    node->FParent = this;
    CreateChildList();
    if (BeforeChild && BeforeChild->FParent == this)
        FChildList->Insert(BeforeChild->GetIndex(), node);
    else
        FChildList->Add(node);
    SetHasChildren(true);
    FOwner->NodeAdded(node);
    return node;
}

void TgxTreeListNode::AddChildrenToList(TList* List) const {
    if (!FChildList) return;
    List->SetCapacity(List->GetCount() + FChildList->GetCount());
    for (Integer i = 0; i < FChildList->GetCount(); ++i) List->Add(FChildList->Get(i));
}

void TgxTreeListNode::DeleteChildren() {
    while (FChildList && FChildList->GetCount() > 0) NodeAt(FChildList, 0)->Free();
}

TgxTreeListNode* TgxTreeListNode::GetItem(Integer Index) const {
    if (!FChildList || Index < 0 || Index >= FChildList->GetCount()) return nullptr;
    return NodeAt(FChildList, Index);
}

Integer TgxTreeListNode::GetIndex() const {
    TList* list = SiblingList();
    return list ? list->IndexOf(const_cast<TgxTreeListNode*>(this)) : -1;
}

Integer TgxTreeListNode::IndexOfChild(const TgxTreeListNode* Node) const {
    return FChildList ? FChildList->IndexOf(const_cast<TgxTreeListNode*>(Node)) : -1;
}

Integer TgxTreeListNode::GetLevel() const {
    Integer level = 0;
    for (TgxTreeListNode* p = FParent; p; p = p->FParent) ++level;
    return level;
}

bool TgxTreeListNode::IsLast() const {
    TList* list = SiblingList();
    return list && list->GetCount() > 0 && list->Last() == this;
}

bool TgxTreeListNode::HasAsParent(const TgxTreeListNode* Node) const {
    if (!Node) return false;
    for (TgxTreeListNode* p = FParent; p; p = p->FParent)
        if (p == Node) return true;
    return false;
}

TgxTreeListNode* TgxTreeListNode::GetNextSibling() const {
    TList* list = SiblingList();
    if (!list) return nullptr;
    Integer i = list->IndexOf(const_cast<TgxTreeListNode*>(this));
    return i >= 0 && i + 1 < list->GetCount() ? NodeAt(list, i + 1) : nullptr;
}

TgxTreeListNode* TgxTreeListNode::GetPrevSibling() const {
    TList* list = SiblingList();
    if (!list) return nullptr;
    Integer i = list->IndexOf(const_cast<TgxTreeListNode*>(this));
    return i > 0 ? NodeAt(list, i - 1) : nullptr;
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
            Destination->CreateChildList();
            Destination->FChildList->Insert(Mode == amAddChildLast ? Destination->FChildList->GetCount() : 0, this);
            FParent = Destination;
            Destination->SetHasChildren(true);
        } else {
            TgxTreeListNode* parent = Destination->FParent;
            TList* list;
            if (parent) {
                parent->CreateChildList();
                list = parent->FChildList;
            } else {
                list = owner->FNodes;
            }
            Integer index = Mode == amAddLast ? list->GetCount() : Mode == amAddFirst ? 0 : Destination->GetIndex();
            list->Insert(index, this);
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
    TList* roots = FOwner->FNodes;
    if (!AParent || AParent == this || AParent->HasAsParent(this)) return;
    if (TopIndex < 0 || TopIndex >= roots->GetCount() || roots->Get(TopIndex) != this) TopIndex = roots->IndexOf(this);
    if (TopIndex < 0) return;
    roots->Delete(TopIndex);
    AParent->CreateChildList();
    AParent->FChildList->Add(this);
    FParent = AParent;
    AParent->SetHasChildren(true);
}

void TgxTreeListNode::MoveChildrenToTopLevel() {
    if (FChildList) {
        TList* children = FChildList;
        FChildList = nullptr;
        TList* roots = FOwner->FNodes;
        roots->SetCapacity(roots->GetCount() + children->GetCount());
        for (Integer i = 0; i < children->GetCount(); ++i) {
            TgxTreeListNode* child = NodeAt(children, i);
            child->FParent = nullptr;
            roots->Add(child);
        }
        delete children;
    }
    SetHasChildren(FOwner->NodeHasChildren(this));
    FExpanded = false;
    FOwner->FFocusedNode = this;
}

// ---- TCustomgxTreeList: construction ---------------------------------------------------------

TCustomgxTreeList::TCustomgxTreeList(TComponent* AOwner)
    : TCustomgxContainer(AOwner),
      FNodes(new TList),
      FBandFont(new TFont),
      FHeaderFont(new TFont),
      FPreviewFont(new TFont),
      FInternalFont(new TFont) {
    SetBounds(0, 0, 250, 150);
    SetColor(clWindow);
    SetParentColor(false);
    SetTabStop(true);
    FPreviewFont->SetColor(clBlue);
    for (TFont* font : {FBandFont, FHeaderFont, FPreviewFont})
        font->OnChange = [this](TObject* Sender) { PanelFontChanged(Sender); };
}

void TCustomgxTreeList::BeforeDestruction() {
    TCustomgxContainer::BeforeDestruction();
    PrepareDestroy();
    ClearCache();
    ClearNodes();
}

TCustomgxTreeList::~TCustomgxTreeList() {
    if (FNodes->GetCount() > 0) {
        // Destroyed without Free(): the nodes still go, with the base class's bookkeeping only.
        FClearing = true;
        for (Integer i = 0; i < FNodes->GetCount(); ++i) NodeAt(FNodes, i)->Free();
        FNodes->Clear();
    }
    delete FNodes;
    FPreviewFont->Free();
    FHeaderFont->Free();
    FBandFont->Free();
    FInternalFont->Free();
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
    ResetEditedCell();
}

void TCustomgxTreeList::Loaded() {
    TCustomgxContainer::Loaded();
    LayoutChanged();
}

// ---- nodes -----------------------------------------------------------------------------------

TgxTreeListNode* TCustomgxTreeList::Add() {
    TgxTreeListNode* node = CreateNode();
    FNodes->Add(node);
    NodeAdded(node);
    return node;
}

TgxTreeListNode* TCustomgxTreeList::Insert(TgxTreeListNode* BeforeNode) {
    TgxTreeListNode* node = CreateNode();
    if (BeforeNode && !BeforeNode->GetParent() && BeforeNode->GetOwner() == this)
        FNodes->Insert(BeforeNode->GetIndex(), node);
    else
        FNodes->Add(node);
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
        std::vector<TgxTreeListNode*> roots;
        roots.reserve(FNodes->GetCount());
        for (Integer i = 0; i < FNodes->GetCount(); ++i) roots.push_back(NodeAt(FNodes, i));
        FNodes->Clear();
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

TgxTreeListNode* TCustomgxTreeList::GetItem(Integer Index) const {
    if (Index < 0 || Index >= FNodes->GetCount()) return nullptr;
    return NodeAt(FNodes, Index);
}

TgxTreeListNode* TCustomgxTreeList::GetLastVisibleNode() const {
    TgxTreeListNode* node = GetItem(FNodes->GetCount() - 1);
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
    if (!Node || Node->FDisplayStamp != FDisplayStamp) return -1;
    const Integer i = Node->FDisplayIndex;
    if (i < 0 || i >= Integer(FDisplayOrder.size()) || FDisplayOrder[i] != Node) return -1;
    return i;
}

void TCustomgxTreeList::RefreshCache() {
    if (FDestroyPrepared && IsDestroying()) return;
    FDisplayOrder.clear();
    ++FDisplayStamp;
    // Depth-first over the displayed nodes, with an explicit stack of (list, next position).
    std::vector<std::pair<TList*, Integer>> stack;
    stack.emplace_back(FNodes, 0);
    while (!stack.empty()) {
        auto& [list, pos] = stack.back();
        if (pos >= list->GetCount()) {
            stack.pop_back();
            continue;
        }
        TgxTreeListNode* node = NodeAt(list, pos++);
        node->FDisplayIndex = Integer(FDisplayOrder.size());
        node->FDisplayStamp = FDisplayStamp;
        FDisplayOrder.push_back(node);
        if (node->FExpanded && node->FChildList) stack.emplace_back(node->FChildList, 0);
    }
    FCacheBuilt = true;
    if (!FCacheLocked) ClearRowHeightCache();
}

void TCustomgxTreeList::ClearCache() {
    if (FCacheLocked) return;
    FCacheBuilt = false;
    FDisplayOrder.clear();
    ++FDisplayStamp;
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
        TList* siblings = n->SiblingList();
        const Integer position = siblings->IndexOf(const_cast<TgxTreeListNode*>(n));
        for (Integer i = 0; i < position; ++i) index += DisplayedRows(NodeAt(siblings, i));
        if (n->GetParent()) ++index;
    }
    return index;
}

TgxTreeListNode* TCustomgxTreeList::WalkAbsoluteNode(Integer Index) const {
    if (Index < 0) return nullptr;
    TList* list = FNodes;
    while (list) {
        TList* next = nullptr;
        for (Integer i = 0; i < list->GetCount(); ++i) {
            TgxTreeListNode* node = NodeAt(list, i);
            if (Index == 0) return node;
            const Integer rows = DisplayedRows(node);
            if (Index < rows) {
                --Index;  // the node's own row; the rest lies among its children
                next = node->GetChildList();
                break;
            }
            Index -= rows;
        }
        list = next;
    }
    return nullptr;
}

Integer TCustomgxTreeList::WalkAbsoluteCount(TList* List) const {
    Integer count = 0;
    for (Integer i = 0; i < List->GetCount(); ++i) count += DisplayedRows(NodeAt(List, i));
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
    if (FNodes->GetCount() == 0) {
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
    HideEditor();
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

void TCustomgxTreeList::CalcLayoutMetrics() {
    if (IsLoading() || IsDestroying()) return;
    ClearCache();
    PrepareLayout();
    UpdateScrollBars();
    ClampScrollPositions();
    RefreshCache();
    AfterLayoutChanged();
    if (!FCacheBuilt) RefreshCache();
    RemoveUnneededScrollBars();
    Invalidate();
}

TRect TCustomgxTreeList::GetRowsAreaRect() {
    return TRect(0, 0, GetWidth(), GetHeight());
}

void TCustomgxTreeList::BeginSelectionUpdate() {
    if (FSelectionUpdateDepth == 0) FSavedSelectedCount = GetSelectedCount();
    ++FSelectionUpdateDepth;
}

void TCustomgxTreeList::EndSelectionUpdate() {
    if (FSelectionUpdateDepth > 0) --FSelectionUpdateDepth;
    if (FSelectionUpdateDepth == 0 && GetSelectedCount() != FSavedSelectedCount) DoSelectedCountChange();
}
