#include "framework/tree_view.h"

#include <algorithm>

#include "framework/control_paint.h"
#include "framework/forms.h"
#include "framework/sysutils.h"
#include "framework/system_metrics.h"
#include "framework/timer.h"
#include "framework/window_backend.h"
#include "framework/windows_gdi.h"

using lumora_detail::IsLiveControl;

namespace {
constexpr UINT_PTR kEditTimer = 1;
}  // namespace

// ---- TTreeNode -------------------------------------------------------------------------------

TTreeNode::TTreeNode(TTreeNodes* AOwner) : FOwner(AOwner) {}

TTreeNode::~TTreeNode() {
    // Nodes freed without the tree's Delete (the tree going away) take their children along.
    for (TTreeNode* c : FChildren) {
        c->FParent = nullptr;
        c->Free();
    }
    FChildren.clear();
}

TCustomTreeView* TTreeNode::GetTreeView() const { return FOwner ? FOwner->GetOwner() : nullptr; }

void TTreeNode::Attach(TTreeNode* Parent, Integer Index) {
    auto& siblings = FOwner->SiblingsOf(Parent);
    Index = std::clamp(Index, 0, Integer(siblings.size()));
    siblings.insert(siblings.begin() + Index, this);
    FParent = Parent;
    if (Parent) Parent->FHasChildren = true;
}

void TTreeNode::Detach() {
    auto& siblings = FOwner->SiblingsOf(FParent);
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    if (FParent && FParent->FChildren.empty()) FParent->FHasChildren = false;
    FParent = nullptr;
}

void TTreeNode::SetText(const std::string& Value) {
    if (FText == Value) return;
    FText = Value;
    FTextWidth = -1;
    TCustomTreeView* tv = GetTreeView();
    if (!tv) return;
    TSortType st = tv->GetSortType();
    if (st == stText || st == stBoth) {
        if (FParent)
            FParent->AlphaSort(false);
        else
            tv->AlphaSort(false);
    }
    tv->LayoutChanged();
}

void TTreeNode::SetData(void* Value) {
    FData = Value;
    TCustomTreeView* tv = GetTreeView();
    if (tv && (tv->GetSortType() == stData || tv->GetSortType() == stBoth)) {
        if (FParent)
            FParent->AlphaSort(false);
        else
            tv->AlphaSort(false);
    }
}

void TTreeNode::SetImageIndex(Integer Value) {
    FImageIndex = Value;
    if (TCustomTreeView* tv = GetTreeView()) tv->InvalidateNode(this);
}

void TTreeNode::SetSelectedIndex(Integer Value) {
    FSelectedIndex = Value;
    if (TCustomTreeView* tv = GetTreeView()) tv->InvalidateNode(this);
}

void TTreeNode::SetOverlayIndex(Integer Value) {
    FOverlayIndex = Value;
    if (TCustomTreeView* tv = GetTreeView()) tv->InvalidateNode(this);
}

void TTreeNode::SetStateIndex(Integer Value) {
    FStateIndex = Value;
    if (TCustomTreeView* tv = GetTreeView()) tv->InvalidateNode(this);
}

void TTreeNode::SetCut(bool Value) {
    FCut = Value;
    if (TCustomTreeView* tv = GetTreeView()) tv->InvalidateNode(this);
}

bool TTreeNode::GetDropTarget() const { return GetTreeView() && GetTreeView()->GetDropTarget() == this; }

void TTreeNode::SetDropTarget(bool Value) {
    TCustomTreeView* tv = GetTreeView();
    if (!tv) return;
    if (Value)
        tv->SetDropTarget(this);
    else if (tv->GetDropTarget() == this)
        tv->SetDropTarget(nullptr);
}

bool TTreeNode::GetFocused() const { return GetSelected(); }
void TTreeNode::SetFocused(bool Value) { SetSelected(Value); }

bool TTreeNode::GetSelected() const { return GetTreeView() && GetTreeView()->GetSelected() == this; }

void TTreeNode::SetSelected(bool Value) {
    TCustomTreeView* tv = GetTreeView();
    if (!tv) return;
    if (Value)
        tv->SetSelected(this);
    else if (GetSelected())
        tv->SetSelected(nullptr);
}

void TTreeNode::SetHasChildren(bool Value) {
    if (FHasChildren == Value) return;
    FHasChildren = Value;
    if (TCustomTreeView* tv = GetTreeView()) tv->InvalidateNode(this);
}

void TTreeNode::SetExpanded(bool Value) {
    if (Value)
        Expand(false);
    else
        Collapse(false);
}

void TTreeNode::Expand(bool Recurse) {
    TCustomTreeView* tv = GetTreeView();
    if (!tv) return;
    if (!Recurse) {
        tv->ExpandNode(this, true);
        return;
    }
    for (TTreeNode* n = this; n && (n == this || n->HasAsParent(this)); n = n->GetNext()) tv->ExpandNode(n, true);
}

void TTreeNode::Collapse(bool Recurse) {
    TCustomTreeView* tv = GetTreeView();
    if (!tv) return;
    if (!Recurse) {
        tv->ExpandNode(this, false);
        return;
    }
    for (TTreeNode* n = this; n && (n == this || n->HasAsParent(this)); n = n->GetNext()) tv->ExpandNode(n, false);
}

TTreeNode* TTreeNode::GetItem(Integer Index) const {
    if (Index < 0 || Index >= Integer(FChildren.size()))
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FChildren[size_t(Index)];
}

Integer TTreeNode::IndexOf(TTreeNode* Value) const {
    auto it = std::find(FChildren.begin(), FChildren.end(), Value);
    return it == FChildren.end() ? -1 : Integer(it - FChildren.begin());
}

Integer TTreeNode::GetIndex() const {
    const auto& siblings = FOwner->SiblingsOf(FParent);
    auto it = std::find(siblings.begin(), siblings.end(), this);
    return it == siblings.end() ? -1 : Integer(it - siblings.begin());
}

Integer TTreeNode::GetAbsoluteIndex() const {
    Integer i = 0;
    for (TTreeNode* n = FOwner->GetFirstNode(); n; n = n->GetNext(), ++i)
        if (n == this) return i;
    return -1;
}

Integer TTreeNode::GetLevel() const {
    Integer l = 0;
    for (TTreeNode* p = FParent; p; p = p->FParent) ++l;
    return l;
}

TTreeNode* TTreeNode::getNextSibling() const {
    const auto& s = FOwner->SiblingsOf(FParent);
    Integer i = GetIndex();
    return i >= 0 && i + 1 < Integer(s.size()) ? s[size_t(i + 1)] : nullptr;
}

TTreeNode* TTreeNode::getPrevSibling() const {
    const auto& s = FOwner->SiblingsOf(FParent);
    Integer i = GetIndex();
    return i > 0 ? s[size_t(i - 1)] : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
    if (!FChildren.empty()) return FChildren.front();
    for (const TTreeNode* n = this; n; n = n->FParent)
        if (TTreeNode* s = n->getNextSibling()) return s;
    return nullptr;
}

TTreeNode* TTreeNode::GetPrev() const {
    TTreeNode* s = getPrevSibling();
    if (!s) return FParent;
    while (!s->FChildren.empty()) s = s->FChildren.back();
    return s;
}

TTreeNode* TTreeNode::GetNextChild(TTreeNode* Value) const { return Value ? Value->getNextSibling() : nullptr; }
TTreeNode* TTreeNode::GetPrevChild(TTreeNode* Value) const { return Value ? Value->getPrevSibling() : nullptr; }

TTreeNode* TTreeNode::GetNextVisible() const {
    if (!IsVisible()) return nullptr;
    if (FExpanded && !FChildren.empty()) return FChildren.front();
    for (const TTreeNode* n = this; n; n = n->FParent)
        if (TTreeNode* s = n->getNextSibling()) return s;
    return nullptr;
}

TTreeNode* TTreeNode::GetPrevVisible() const {
    TTreeNode* s = getPrevSibling();
    if (!s) return FParent;
    while (s->FExpanded && !s->FChildren.empty()) s = s->FChildren.back();
    return s;
}

bool TTreeNode::HasAsParent(TTreeNode* Value) const {
    if (!Value) return false;
    for (TTreeNode* p = FParent; p; p = p->FParent)
        if (p == Value) return true;
    return false;
}

bool TTreeNode::IsVisible() const {
    for (TTreeNode* p = FParent; p; p = p->FParent)
        if (!p->FExpanded) return false;
    return true;
}

void TTreeNode::MakeVisible() {
    TCustomTreeView* tv = GetTreeView();
    if (!tv) return;
    std::vector<TTreeNode*> chain;
    for (TTreeNode* p = FParent; p; p = p->FParent) chain.push_back(p);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        if (!(*it)->FExpanded) tv->ExpandNode(*it, true);
    Integer row = tv->RowOf(this);
    if (row >= 0) tv->ScrollToRow(row);
}

TRect TTreeNode::DisplayRect(bool TextOnly) {
    TCustomTreeView* tv = GetTreeView();
    if (!tv || !IsVisible()) return {};
    if (TextOnly) return tv->LabelRect(this);
    Integer row = tv->RowOf(this);
    Integer h = tv->GetItemHeight();
    Integer top = (row - tv->FTopRow) * h;
    return {0, top, tv->GetClientWidth(), top + h};
}

void TTreeNode::Delete() { FOwner->Delete(this); }

void TTreeNode::DeleteChildren() {
    FOwner->BeginUpdate();
    while (!FChildren.empty()) FOwner->Delete(FChildren.back());
    FOwner->EndUpdate();
}

bool TTreeNode::EditText() {
    TCustomTreeView* tv = GetTreeView();
    if (!tv) return false;
    tv->StartEdit(this);
    return tv->FEditNode == this;
}

void TTreeNode::EndEdit(bool Cancel) {
    TCustomTreeView* tv = GetTreeView();
    if (tv && tv->FEditNode == this) tv->FinishEdit(Cancel);
}

void TTreeNode::SortChildren(const std::function<bool(TTreeNode*, TTreeNode*)>& Less, bool Recurse) {
    std::stable_sort(FChildren.begin(), FChildren.end(), Less);
    if (Recurse)
        for (TTreeNode* c : FChildren) c->SortChildren(Less, true);
}

bool TTreeNode::AlphaSort(bool Recurse) { return CustomSort(nullptr, 0, Recurse); }

bool TTreeNode::CustomSort(const TTVCompare& SortProc, LPARAM Data, bool Recurse) {
    TCustomTreeView* tv = GetTreeView();
    if (!tv) return false;
    TTVCompare compare = SortProc;
    if (!compare) {
        compare = [tv](TTreeNode* a, TTreeNode* b, LPARAM d) {
            Integer r = 0;
            if (tv->OnCompare)
                tv->OnCompare(tv, a, b, Integer(d), r);
            else
                r = AnsiCompareText(a->GetText(), b->GetText());
            return r;
        };
    }
    SortChildren([&](TTreeNode* a, TTreeNode* b) { return compare(a, b, Data) < 0; }, Recurse);
    tv->LayoutChanged();
    return true;
}

void TTreeNode::MoveTo(TTreeNode* Destination, TNodeAttachMode Mode) {
    if (Destination == this || (Destination && Destination->HasAsParent(this))) return;
    TCustomTreeView* tv = GetTreeView();
    Detach();
    TTreeNode* parent = nullptr;
    Integer index = 0;
    switch (Mode) {
    case naAdd:
        parent = Destination ? Destination->FParent : nullptr;
        index = Integer(FOwner->SiblingsOf(parent).size());
        break;
    case naAddFirst:
        parent = Destination ? Destination->FParent : nullptr;
        index = 0;
        break;
    case naAddChild:
        parent = Destination;
        index = Integer(FOwner->SiblingsOf(parent).size());
        break;
    case naAddChildFirst:
        parent = Destination;
        index = 0;
        break;
    case naInsert:
        parent = Destination ? Destination->FParent : nullptr;
        index = Destination ? Destination->GetIndex() : Integer(FOwner->SiblingsOf(parent).size());
        break;
    }
    Attach(parent, index);
    if (tv) tv->LayoutChanged();
}

void TTreeNode::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TTreeNode*>(Source)) {
        SetText(s->FText);
        FData = s->FData;
        FImageIndex = s->FImageIndex;
        FSelectedIndex = s->FSelectedIndex;
        FOverlayIndex = s->FOverlayIndex;
        FStateIndex = s->FStateIndex;
        FHasChildren = s->FHasChildren;
        return;
    }
    TPersistent::Assign(Source);
}

// ---- TTreeNodes ------------------------------------------------------------------------------

TTreeNodes::TTreeNodes(TCustomTreeView* AOwner) : FOwner(AOwner) {}

TTreeNodes::~TTreeNodes() {
    for (TTreeNode* n : FRoots) {
        n->FParent = nullptr;
        n->Free();
    }
    FRoots.clear();
}

HWND TTreeNodes::GetHandle() const { return FOwner ? FOwner->GetHandle() : nullptr; }

TTreeNode* TTreeNodes::AddNode(TTreeNode* Node, TTreeNode* Relative, const std::string& S, void* Ptr, TNodeAttachMode Method) {
    TTreeNode* parent = nullptr;
    Integer index = 0;
    switch (Method) {
    case naAdd:
        parent = Relative ? Relative->FParent : nullptr;
        index = Integer(SiblingsOf(parent).size());
        break;
    case naAddFirst: parent = Relative ? Relative->FParent : nullptr; break;
    case naAddChild:
        parent = Relative;
        index = Integer(SiblingsOf(parent).size());
        break;
    case naAddChildFirst: parent = Relative; break;
    case naInsert:
        parent = Relative ? Relative->FParent : nullptr;
        index = Relative ? Relative->GetIndex() : Integer(SiblingsOf(parent).size());
        break;
    }
    TSortType st = FOwner->GetSortType();
    if (Method != naInsert && (st == stText || st == stBoth)) index = FOwner->SortedIndex(parent, S);
    if (!Node) Node = FOwner->CreateNode();
    Node->FOwner = this;
    Node->FText = S;
    Node->FData = Ptr;
    Node->Attach(parent, index);
    FOwner->Added(Node);
    FOwner->LayoutChanged();
    return Node;
}

TTreeNode* TTreeNodes::Add(TTreeNode* Sibling, const std::string& S) { return AddNode(nullptr, Sibling, S, nullptr, naAdd); }
TTreeNode* TTreeNodes::AddObject(TTreeNode* Sibling, const std::string& S, void* Ptr) {
    return AddNode(nullptr, Sibling, S, Ptr, naAdd);
}
TTreeNode* TTreeNodes::AddFirst(TTreeNode* Sibling, const std::string& S) { return AddNode(nullptr, Sibling, S, nullptr, naAddFirst); }
TTreeNode* TTreeNodes::AddObjectFirst(TTreeNode* Sibling, const std::string& S, void* Ptr) {
    return AddNode(nullptr, Sibling, S, Ptr, naAddFirst);
}
TTreeNode* TTreeNodes::AddChild(TTreeNode* Parent, const std::string& S) { return AddNode(nullptr, Parent, S, nullptr, naAddChild); }
TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const std::string& S, void* Ptr) {
    return AddNode(nullptr, Parent, S, Ptr, naAddChild);
}
TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* Parent, const std::string& S) {
    return AddNode(nullptr, Parent, S, nullptr, naAddChildFirst);
}
TTreeNode* TTreeNodes::AddChildObjectFirst(TTreeNode* Parent, const std::string& S, void* Ptr) {
    return AddNode(nullptr, Parent, S, Ptr, naAddChildFirst);
}
TTreeNode* TTreeNodes::Insert(TTreeNode* Sibling, const std::string& S) { return AddNode(nullptr, Sibling, S, nullptr, naInsert); }
TTreeNode* TTreeNodes::InsertObject(TTreeNode* Sibling, const std::string& S, void* Ptr) {
    return AddNode(nullptr, Sibling, S, Ptr, naInsert);
}

void TTreeNodes::Delete(TTreeNode* Node) {
    if (!Node || Node->FDeleting) return;
    TCustomTreeView* tv = FOwner;
    bool selectionInside = tv->FSelected && (tv->FSelected == Node || tv->FSelected->HasAsParent(Node));
    TTreeNode* candidate = nullptr;
    if (selectionInside) {
        candidate = Node->getNextSibling();
        if (!candidate) candidate = Node->getPrevSibling();
        if (!candidate) candidate = Node->FParent;
    }
    tv->NodeDeleting(Node);
    Node->Detach();
    tv->NodeRemoved(Node, selectionInside, candidate);
    Node->Free();
}

void TTreeNodes::Clear() {
    if (FRoots.empty()) return;
    BeginUpdate();
    FOwner->FClearing = true;
    try {
        while (!FRoots.empty()) Delete(FRoots.back());
    } catch (...) {
        FOwner->FClearing = false;
        EndUpdate();
        throw;
    }
    FOwner->FClearing = false;
    EndUpdate();
}

void TTreeNodes::BeginUpdate() { ++FUpdateCount; }

void TTreeNodes::EndUpdate() {
    if (--FUpdateCount == 0) FOwner->LayoutChanged();
}

Integer TTreeNodes::GetCount() const {
    Integer n = 0;
    for (TTreeNode* x = GetFirstNode(); x; x = x->GetNext()) ++n;
    return n;
}

TTreeNode* TTreeNodes::GetItem(Integer Index) const {
    Integer i = 0;
    for (TTreeNode* x = GetFirstNode(); x; x = x->GetNext(), ++i)
        if (i == Index) return x;
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void TTreeNodes::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TTreeNodes*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    BeginUpdate();
    Clear();
    std::function<void(TTreeNode*, TTreeNode*)> copy = [&](TTreeNode* from, TTreeNode* parent) {
        TTreeNode* n = AddChildObject(parent, from->GetText(), from->GetData());
        n->Assign(from);
        for (TTreeNode* c : from->FChildren) copy(c, n);
    };
    for (TTreeNode* r : s->FRoots) copy(r, nullptr);
    EndUpdate();
}

// ---- The label editor ------------------------------------------------------------------------

class TTreeEdit : public TCustomEdit {
    LUMORA_CLASS(TTreeEdit, TCustomEdit)
public:
    explicit TTreeEdit(TCustomTreeView* Tree) : TCustomEdit(Tree), FTree(Tree) {
        SetBorderStyle(bsSingle);
        SetCtl3D(false);
        SetAutoSize(false);
        SetVisible(false);
        SetTabStop(false);
    }

protected:
    void WMGetDlgCode(TMessage& Message) override {
        TCustomEdit::WMGetDlgCode(Message);
        Message.Result |= DLGC_WANTALLKEYS;
    }
    void KeyDown(Word& Key, TShiftState Shift) override {
        TCustomEdit::KeyDown(Key, Shift);
        if (Key == VK_RETURN || Key == VK_ESCAPE) {
            bool cancel = Key == VK_ESCAPE;
            Key = 0;
            lumora_detail::SetDiscardChar(true);
            FTree->FinishEdit(cancel);
        }
    }
    void WMKillFocus(TMessage& Message) override {
        TCustomEdit::WMKillFocus(Message);
        if (GetVisible()) FTree->FinishEdit(false);
    }

private:
    TCustomTreeView* FTree;
};

// ---- TCustomTreeView -------------------------------------------------------------------------

TCustomTreeView::TCustomTreeView(TComponent* AOwner) : TCustomControl(AOwner), FTreeNodes(new TTreeNodes(this)) {
    SetControlStyle(TControlStyle{csCaptureMouse, csDoubleClicks, csOpaque, csClickEvents});
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetColor(clWindow);
    FImageLink = new TChangeLink;
    FImageLink->OnChange = [this](TObject*) { LayoutChanged(); };
}

TCustomTreeView::~TCustomTreeView() {
    delete FTreeNodes;
    delete FImageLink;
}

void TCustomTreeView::BeforeDestruction() {
    if (FImages) FImages->UnRegisterChanges(FImageLink);
    if (FStateImages) FStateImages->UnRegisterChanges(FImageLink);
    FSelected = nullptr;
    FEditNode = nullptr;
    TCustomControl::BeforeDestruction();
}

TCustomEdit* TCustomTreeView::GetEditControl() const { return FEditNode ? FEdit : nullptr; }

TTreeNode* TCustomTreeView::CreateNode() { return new TTreeNode(FTreeNodes); }

void TCustomTreeView::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    lumora_paint::AddBorderStyle(Params, FBorderStyle, GetCtl3D());
}

void TCustomTreeView::CreateWnd() {
    TCustomControl::CreateWnd();
    UpdateScrollBars();
}

void TCustomTreeView::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FImages) FImages = nullptr;
    if (AComponent == FStateImages) FStateImages = nullptr;
}

void TCustomTreeView::SetImages(TCustomImageList* Value) {
    if (FImages == Value) return;
    if (FImages) {
        FImages->UnRegisterChanges(FImageLink);
        FImages->RemoveFreeNotification(this);
    }
    FImages = Value;
    if (Value) {
        Value->RegisterChanges(FImageLink);
        Value->FreeNotification(this);
    }
    LayoutChanged();
}

void TCustomTreeView::SetStateImages(TCustomImageList* Value) {
    if (FStateImages == Value) return;
    if (FStateImages) {
        FStateImages->UnRegisterChanges(FImageLink);
        FStateImages->RemoveFreeNotification(this);
    }
    FStateImages = Value;
    if (Value) {
        Value->RegisterChanges(FImageLink);
        Value->FreeNotification(this);
    }
    LayoutChanged();
}

void TCustomTreeView::SetIndent(Integer Value) {
    FIndent = std::max(0, Value);
    LayoutChanged();
}

void TCustomTreeView::SetShowButtons(bool Value) {
    FShowButtons = Value;
    Invalidate();
}

void TCustomTreeView::SetShowLines(bool Value) {
    FShowLines = Value;
    Invalidate();
}

void TCustomTreeView::SetShowRoot(bool Value) {
    FShowRoot = Value;
    LayoutChanged();
}

void TCustomTreeView::SetHideSelection(bool Value) {
    FHideSelection = Value;
    Invalidate();
}

void TCustomTreeView::SetHotTrack(bool Value) {
    FHotTrack = Value;
    FHotNode = nullptr;
    Invalidate();
}

void TCustomTreeView::SetRowSelect(bool Value) {
    FRowSelect = Value;
    Invalidate();
}

void TCustomTreeView::SetSortType(TSortType Value) {
    if (FSortType == Value) return;
    FSortType = Value;
    if (Value != stNone) AlphaSort(true);
}

void TCustomTreeView::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    RecreateWnd();
    FrameChanged();
}

Integer TCustomTreeView::GetItemHeight() {
    if (FItemHeight > 0) return FItemHeight;
    Integer h = lumora_paint::MeasureCanvas(GetFont())->TextHeight("Wg") + 3;
    if (FImages) h = std::max(h, FImages->GetHeight() + 1);
    if (FStateImages) h = std::max(h, FStateImages->GetHeight() + 1);
    return h;
}

void TCustomTreeView::SetItemHeight(Integer Value) {
    FItemHeight = std::max(0, Value);
    LayoutChanged();
}

// ---- Rows and geometry -----------------------------------------------------------------------

const std::vector<TTreeNode*>& TCustomTreeView::VisibleRows() {
    if (FRowsValid) return FRows;
    FRows.clear();
    std::function<void(const std::vector<TTreeNode*>&)> walk = [&](const std::vector<TTreeNode*>& nodes) {
        for (TTreeNode* n : nodes) {
            FRows.push_back(n);
            if (n->FExpanded) walk(n->FChildren);
        }
    };
    walk(FTreeNodes->FRoots);
    FRowsValid = true;
    return FRows;
}

Integer TCustomTreeView::RowOf(TTreeNode* Node) {
    const auto& rows = VisibleRows();
    auto it = std::find(rows.begin(), rows.end(), Node);
    return it == rows.end() ? -1 : Integer(it - rows.begin());
}

Integer TCustomTreeView::VisibleRowCount() { return std::max(1, GetClientHeight() / GetItemHeight()); }

Integer TCustomTreeView::NodeLeft(TTreeNode* Node) {
    Integer columns = Node->GetLevel() + (FShowRoot && (FShowLines || FShowButtons) ? 1 : 0);
    return columns * FIndent - FLeftPos + 2;
}

TRect TCustomTreeView::LabelRect(TTreeNode* Node) {
    Integer row = RowOf(Node);
    if (row < 0) return {};
    Integer h = GetItemHeight();
    Integer top = (row - FTopRow) * h;
    Integer x = NodeLeft(Node);
    if (FStateImages && Node->FStateIndex >= 0) x += FStateImages->GetWidth();
    if (FImages) x += FImages->GetWidth() + 1;
    Integer w = lumora_paint::MeasureCanvas(GetFont())->TextWidth(Node->FText) + 4;
    return {x, top, x + w, top + h};
}

void TCustomTreeView::InvalidateNode(TTreeNode* Node) {
    // Within an update the whole tree is repainted at its end.
    if (!Node || !HandleAllocated() || FTreeNodes->FUpdateCount > 0) return;
    Integer row = RowOf(Node);
    if (row < 0) return;
    Integer h = GetItemHeight();
    TRect r{0, (row - FTopRow) * h, GetClientWidth(), (row - FTopRow + 1) * h};
    InvalidateRect(&r, false);
}

void TCustomTreeView::LayoutChanged() {
    FRowsValid = false;
    if (FTreeNodes->FUpdateCount > 0 || IsDestroying()) return;
    UpdateScrollBars();
    if (FEditNode && FEdit) {
        TRect r = LabelRect(FEditNode);
        FEdit->SetBounds(r.Left - 1, r.Top, std::max(r.Width() + 20, 60), r.Height());
    }
    Invalidate();
}

void TCustomTreeView::UpdateScrollBars() {
    if (!HandleAllocated() || IsDestroying()) return;
    const auto& rows = VisibleRows();
    Integer page = VisibleRowCount();
    FTopRow = std::clamp(FTopRow, 0, std::max(0, Integer(rows.size()) - page));
    TScrollInfo si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = std::max(0, Integer(rows.size()) - 1);
    si.nPage = UINT(page);
    si.nPos = FTopRow;
    FTopRow = SetScrollInfo(this, SB_VERT, si, true);
    Integer width = 0;
    TCanvas* mc = lumora_paint::MeasureCanvas(GetFont());
    for (TTreeNode* n : rows) {
        // Measured once per text and font: layouts follow every change of a large tree.
        if (n->FTextWidth < 0) n->FTextWidth = mc->TextWidth(n->FText);
        Integer x = NodeLeft(n) + FLeftPos + n->FTextWidth + 6;
        if (FImages) x += FImages->GetWidth() + 1;
        width = std::max(width, x);
    }
    TScrollInfo hi;
    hi.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    hi.nMax = std::max(0, width - 1);
    hi.nPage = UINT(GetClientWidth());
    hi.nPos = FLeftPos;
    FLeftPos = SetScrollInfo(this, SB_HORZ, hi, true);
}

void TCustomTreeView::ScrollToRow(Integer Row) {
    Integer page = VisibleRowCount();
    if (Row < FTopRow)
        FTopRow = Row;
    else if (Row >= FTopRow + page)
        FTopRow = Row - page + 1;
    else
        return;
    UpdateScrollBars();
    Invalidate();
}

TTreeNode* TCustomTreeView::GetTopItem() {
    const auto& rows = VisibleRows();
    return FTopRow < Integer(rows.size()) ? rows[size_t(FTopRow)] : nullptr;
}

void TCustomTreeView::SetTopItem(TTreeNode* Value) {
    Integer row = RowOf(Value);
    if (row < 0) return;
    FTopRow = row;
    UpdateScrollBars();
    Invalidate();
}

TTreeNode* TCustomTreeView::GetNodeAt(Integer X, Integer Y) {
    if (Y < 0 || X < 0 || X >= GetClientWidth()) return nullptr;
    const auto& rows = VisibleRows();
    Integer row = FTopRow + Y / GetItemHeight();
    return row < Integer(rows.size()) ? rows[size_t(row)] : nullptr;
}

THitTests TCustomTreeView::GetHitTestInfoAt(Integer X, Integer Y) {
    THitTests r;
    TRect cr = GetClientRect();
    if (Y < 0) r.Include(htAbove);
    if (Y >= cr.Bottom) r.Include(htBelow);
    if (X < 0) r.Include(htToLeft);
    if (X >= cr.Right) r.Include(htToRight);
    if (!r.Empty()) return r;
    TTreeNode* n = GetNodeAt(X, Y);
    if (!n) return {htNowhere};
    Integer left = NodeLeft(n);
    if (X < left) {
        Integer mid = left - FIndent / 2 - 2;
        bool buttonHere = FShowButtons && n->FHasChildren && (n->FParent || FShowRoot);
        return buttonHere && std::abs(X - mid) <= 5 ? THitTests{htOnButton} : THitTests{htOnIndent};
    }
    Integer x = left;
    if (FStateImages && n->FStateIndex >= 0) {
        if (X < x + FStateImages->GetWidth()) return {htOnStateIcon};
        x += FStateImages->GetWidth();
    }
    if (FImages) {
        if (X < x + FImages->GetWidth() + 1) return {htOnIcon};
    }
    TRect label = LabelRect(n);
    if (X < label.Right) return {htOnLabel};
    return {htOnRight};
}

// ---- Selection, expansion, editing -----------------------------------------------------------

bool TCustomTreeView::CanChange(TTreeNode* Node) {
    bool allow = true;
    if (OnChanging) OnChanging(this, Node, allow);
    return allow;
}

void TCustomTreeView::Change(TTreeNode* Node) {
    if (OnChange) OnChange(this, Node);
}

bool TCustomTreeView::CanExpand(TTreeNode* Node) {
    bool allow = true;
    if (OnExpanding) OnExpanding(this, Node, allow);
    return allow;
}

void TCustomTreeView::Expand(TTreeNode* Node) {
    if (OnExpanded) OnExpanded(this, Node);
}

bool TCustomTreeView::CanCollapse(TTreeNode* Node) {
    bool allow = true;
    if (OnCollapsing) OnCollapsing(this, Node, allow);
    return allow;
}

void TCustomTreeView::Collapse(TTreeNode* Node) {
    if (OnCollapsed) OnCollapsed(this, Node);
}

bool TCustomTreeView::CanEdit(TTreeNode* Node) {
    bool allow = true;
    if (OnEditing) OnEditing(this, Node, allow);
    return allow;
}

void TCustomTreeView::Edit(const TTVItem& Item) {
    TTreeNode* node = Item.hItem;
    if (!Item.pszText) return;
    std::string s = Item.pszText;
    if (OnEdited) OnEdited(this, node, s);
    if (node) node->SetText(s);
}

void TCustomTreeView::Delete(TTreeNode* Node) {
    if (OnDeletion) OnDeletion(this, Node);
}

void TCustomTreeView::Added(TTreeNode* Node) {
    if (OnAddition) OnAddition(this, Node);
}

void TCustomTreeView::GetImageIndex(TTreeNode* Node) {
    if (OnGetImageIndex) OnGetImageIndex(this, Node);
}

void TCustomTreeView::GetSelectedIndex(TTreeNode* Node) {
    if (OnGetSelectedIndex) OnGetSelectedIndex(this, Node);
}

bool TCustomTreeView::CustomDraw(const TRect& ARect) {
    bool defaultDraw = true;
    if (OnCustomDraw) OnCustomDraw(this, ARect, defaultDraw);
    return defaultDraw;
}

bool TCustomTreeView::CustomDrawItem(TTreeNode* Node, TCustomDrawState State) {
    bool defaultDraw = true;
    if (OnCustomDrawItem) OnCustomDrawItem(this, Node, State, defaultDraw);
    return defaultDraw;
}

void TCustomTreeView::SetSelected(TTreeNode* Value) {
    if (Value == FSelected) return;
    if (IsDestroying()) return;
    if (!CanChange(Value)) return;
    if (!IsLiveControl(this)) return;
    TTreeNode* old = FSelected;
    FSelected = Value;
    if (Value) {
        if (FAutoExpand) {
            // One branch open: the others close.
            std::vector<TTreeNode*> keep;
            for (TTreeNode* p = Value; p; p = p->FParent) keep.push_back(p);
            for (TTreeNode* n = FTreeNodes->GetFirstNode(); n; n = n->GetNext())
                if (n->FExpanded && std::find(keep.begin(), keep.end(), n) == keep.end()) ExpandNode(n, false);
            ExpandNode(Value, true);
        }
        Value->MakeVisible();
    }
    InvalidateNode(old);
    InvalidateNode(Value);
    Invalidate();
    Change(Value);
}

bool TCustomTreeView::UserSelect(TTreeNode* Node) {
    if (!Node || Node == FSelected) return false;
    TTreeNode* before = FSelected;
    SetSelected(Node);
    return FSelected != before;
}

void TCustomTreeView::SetDropTarget(TTreeNode* Value) {
    if (FDropTarget == Value) return;
    InvalidateNode(FDropTarget);
    FDropTarget = Value;
    InvalidateNode(Value);
}

bool TCustomTreeView::ExpandNode(TTreeNode* Node, bool Expand) {
    if (!Node || !Node->FHasChildren || IsDestroying()) return false;
    if (Expand) {
        if (!CanExpand(Node)) return false;
        Node->FExpanded = true;
        LayoutChanged();
        this->Expand(Node);
    } else {
        if (!CanCollapse(Node)) return false;
        Node->FExpanded = false;
        if (FSelected && FSelected->HasAsParent(Node)) SetSelected(Node);
        if (FEditNode && FEditNode->HasAsParent(Node)) FinishEdit(true);
        LayoutChanged();
        Collapse(Node);
    }
    return true;
}

void TCustomTreeView::FullExpand() {
    for (TTreeNode* n = FTreeNodes->GetFirstNode(); n; n = n->getNextSibling()) n->Expand(true);
}

void TCustomTreeView::FullCollapse() {
    for (TTreeNode* n = FTreeNodes->GetFirstNode(); n; n = n->getNextSibling()) n->Collapse(true);
}

bool TCustomTreeView::AlphaSort(bool Recurse) { return CustomSort(nullptr, 0, Recurse); }

bool TCustomTreeView::CustomSort(const TTVCompare& SortProc, LPARAM Data, bool Recurse) {
    TTVCompare compare = SortProc;
    if (!compare) {
        compare = [this](TTreeNode* a, TTreeNode* b, LPARAM d) {
            Integer r = 0;
            if (OnCompare)
                OnCompare(this, a, b, Integer(d), r);
            else
                r = AnsiCompareText(a->GetText(), b->GetText());
            return r;
        };
    }
    auto less = [&](TTreeNode* a, TTreeNode* b) { return compare(a, b, Data) < 0; };
    std::stable_sort(FTreeNodes->FRoots.begin(), FTreeNodes->FRoots.end(), less);
    if (Recurse)
        for (TTreeNode* r : FTreeNodes->FRoots) r->SortChildren(less, true);
    LayoutChanged();
    return true;
}

Integer TCustomTreeView::SortedIndex(TTreeNode* Parent, const std::string& S) {
    const auto& siblings = FTreeNodes->SiblingsOf(Parent);
    Integer i = 0;
    while (i < Integer(siblings.size()) && AnsiCompareText(siblings[size_t(i)]->FText, S) <= 0) ++i;
    return i;
}

void TCustomTreeView::NodeDeleting(TTreeNode* Node) {
    std::function<void(TTreeNode*)> notify = [&](TTreeNode* n) {
        n->FDeleting = true;
        if (!IsDestroying()) Delete(n);
        for (TTreeNode* c : std::vector<TTreeNode*>(n->FChildren)) notify(c);
    };
    notify(Node);
}

void TCustomTreeView::NodeRemoved(TTreeNode* Node, bool SelectionInside, TTreeNode* Candidate) {
    auto inside = [&](TTreeNode* n) { return n && (n == Node || n->HasAsParent(Node)); };
    if (inside(FEditNode)) {
        FEditNode = nullptr;
        if (FEdit) FEdit->SetVisible(false);
    }
    if (inside(FDropTarget)) FDropTarget = nullptr;
    if (inside(FHotNode)) FHotNode = nullptr;
    if (inside(FRClickNode)) FRClickNode = nullptr;
    if (inside(FPressNode)) FPressNode = nullptr;
    if (inside(FPendingEditNode)) {
        FPendingEditNode = nullptr;
        if (HandleAllocated()) KillTimer(this, kEditTimer);
    }
    FRowsValid = false;
    if (SelectionInside) {
        // The selection moves to a neighbour of the deleted node (nothing while clearing).
        FSelected = nullptr;
        if (!FClearing && !IsDestroying()) {
            FSelected = Candidate;
            Change(Candidate);
        }
    }
    LayoutChanged();
}

void TCustomTreeView::StartEdit(TTreeNode* Node) {
    if (!Node || FReadOnly || IsDestroying()) return;
    if (FEditNode) FinishEdit(false);
    if (!CanEdit(Node)) return;
    Node->MakeVisible();
    if (!FEdit) {
        FEdit = new TTreeEdit(this);
        FEdit->SetParent(this);
    }
    FEditNode = Node;
    TRect r = LabelRect(Node);
    FEdit->SetFont(GetFont());
    FEdit->SetBounds(r.Left - 1, r.Top, std::max(r.Width() + 20, 60), r.Height());
    FEdit->SetText(Node->FText);
    FEdit->SetVisible(true);
    FEdit->SelectAll();
    if (FEdit->CanFocus()) FEdit->SetFocus();
}

void TCustomTreeView::FinishEdit(bool Cancel) {
    TTreeNode* node = FEditNode;
    if (!node) return;
    FEditNode = nullptr;
    std::string text = FEdit ? FEdit->GetText() : node->FText;
    bool hadFocus = FEdit && FEdit->Focused();
    if (FEdit) FEdit->SetVisible(false);
    if (hadFocus && CanFocus()) SetFocus();
    TTVItem item;
    item.hItem = node;
    item.pszText = Cancel ? nullptr : text.c_str();
    Edit(item);
    Invalidate();
}

// ---- Painting --------------------------------------------------------------------------------

void TCustomTreeView::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }

void TCustomTreeView::DrawRow(TTreeNode* Node, Integer Row, TCanvas* C) {
    Integer h = GetItemHeight();
    Integer top = (Row - FTopRow) * h;
    Integer mid = top + h / 2;
    Integer left = NodeLeft(Node);
    // The label takes the colours prepared for the item (and left by custom drawing).
    TColor labelBrush = C->GetBrush()->GetColor();
    TColor labelText = C->GetFont()->GetColor();
    // Lines: through every ancestor's column whose branch goes on below, then this node's.
    if (FShowLines) {
        C->GetPen()->SetStyle(psDot);
        C->GetPen()->SetWidth(1);
        C->GetPen()->SetColor(clGrayText);
        C->GetBrush()->SetStyle(bsClear);
        Integer col = left - FIndent / 2 - 2;
        bool rootLines = Node->FParent || FShowRoot;
        if (rootLines) {
            C->MoveTo(col, mid);
            C->LineTo(left, mid);
            bool above = Node->FParent || Node->getPrevSibling();
            C->MoveTo(col, above ? top : mid);
            C->LineTo(col, Node->getNextSibling() ? top + h : mid + 1);
        }
        Integer x = col;
        for (TTreeNode* p = Node->FParent; p; p = p->FParent) {
            x -= FIndent;
            if (!p->FParent && !FShowRoot) break;
            if (p->getNextSibling()) {
                C->MoveTo(x, top);
                C->LineTo(x, top + h);
            }
        }
        C->GetPen()->SetStyle(psSolid);
    }
    // The button.
    if (FShowButtons && Node->FHasChildren && (Node->FParent || FShowRoot)) {
        Integer cx = left - FIndent / 2 - 2;
        TRect b{cx - 4, mid - 4, cx + 5, mid + 5};
        C->GetBrush()->SetStyle(bsSolid);
        C->GetBrush()->SetColor(clWindow);
        C->GetPen()->SetColor(clGrayText);
        C->GetPen()->SetStyle(psSolid);
        C->Rectangle(b);
        C->GetPen()->SetColor(clWindowText);
        C->MoveTo(cx - 2, mid);
        C->LineTo(cx + 3, mid);
        if (!Node->FExpanded) {
            C->MoveTo(cx, mid - 2);
            C->LineTo(cx, mid + 3);
        }
    }
    Integer x = left;
    if (FStateImages && Node->FStateIndex >= 0) {
        FStateImages->Draw(C, x, top + (h - FStateImages->GetHeight()) / 2, Node->FStateIndex, GetEnabled());
        x += FStateImages->GetWidth();
    }
    bool selected = Node == FSelected || Node == FDropTarget || Node == FRClickNode;
    bool showSelection = (FDropTarget == Node || FRClickNode == Node) || (Node == FSelected && (Focused() || !FHideSelection || IsEditing()));
    if (FImages) {
        GetImageIndex(Node);
        if (Node == FSelected) GetSelectedIndex(Node);
        Integer index = Node == FSelected ? Node->FSelectedIndex : Node->FImageIndex;
        if (index >= 0 && index < FImages->GetCount()) {
            Integer iy = top + (h - FImages->GetHeight()) / 2;
            TDrawingStyle style = Node->FCut ? dsSelected : dsNormal;
            if (Node->FOverlayIndex >= 0)
                FImages->DrawOverlay(C, x, iy, index, Node->FOverlayIndex, style, itImage, GetEnabled());
            else
                FImages->Draw(C, x, iy, index, style, itImage, GetEnabled());
        }
        x += FImages->GetWidth() + 1;
    }
    // The label, in the colours the custom drawing left on the canvas.
    std::string text = Node->FText;
    if (FEditNode == Node) return;
    C->GetBrush()->SetColor(labelBrush);
    C->GetFont()->SetColor(labelText);
    TRect label{x, top, x + C->TextWidth(text) + 4, top + h};
    if (FRowSelect) label.Right = GetClientWidth();
    if (selected && showSelection) {
        C->GetBrush()->SetStyle(bsSolid);
        C->FillRect(label);
    } else if (FHotTrack && Node == FHotNode) {
        C->GetFont()->SetStyle(C->GetFont()->GetStyle() + TFontStyles{fsUnderline});
    }
    C->GetBrush()->SetStyle(bsClear);
    TRect tr{label.Left + 2, label.Top, label.Right, label.Bottom};
    DrawText(C->GetHandle(), text, &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (Node == FSelected && Focused() && !IsEditing()) {
        C->GetBrush()->SetStyle(bsSolid);
        C->DrawFocusRect(label);
    }
}

void TCustomTreeView::Paint() {
    TCanvas* c = GetCanvas();
    TRect cr = GetClientRect();
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(GetColor());
    c->FillRect(cr);
    if (IsCustomDrawn() && !CustomDraw(cr)) return;
    const auto rows = VisibleRows();
    Integer h = GetItemHeight();
    for (Integer row = FTopRow; row < Integer(rows.size()) && (row - FTopRow) * h < cr.Bottom; ++row) {
        TTreeNode* n = rows[size_t(row)];
        bool selected = n == FSelected || n == FDropTarget || n == FRClickNode;
        bool focused = Focused() || IsEditing();
        bool showSelection = (n == FDropTarget || n == FRClickNode) || (n == FSelected && (focused || !FHideSelection));
        c->SetFont(GetFont());
        c->GetBrush()->SetStyle(bsSolid);
        c->GetBrush()->SetColor(GetColor());
        TCustomDrawState state;
        if (selected && showSelection) {
            state.Include(cdsSelected);
            bool active = focused || n == FDropTarget || n == FRClickNode;
            c->GetBrush()->SetColor(active ? TColor(clHighlight) : TColor(clBtnFace));
            c->GetFont()->SetColor(active ? TColor(clHighlightText) : TColor(clBtnText));
        }
        if (n == FSelected && focused) state.Include(cdsFocused);
        if (FHotTrack && n == FHotNode) state.Include(cdsHot);
        if (!GetEnabled()) {
            state.Include(cdsDisabled);
            c->GetFont()->SetColor(clGrayText);
        }
        TRect rowRect{0, (row - FTopRow) * h, cr.Right, (row - FTopRow + 1) * h};
        lumora_paint::TClipScope clip(c, rowRect);
        if (IsCustomDrawn() && !CustomDrawItem(n, state)) continue;
        if (!IsLiveControl(this)) return;
        DrawRow(n, row, c);
    }
}

// ---- Input -----------------------------------------------------------------------------------

void TCustomTreeView::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (IsEditing() && Button == mbLeft) FinishEdit(false);
    if (!IsLiveControl(this)) return;
    if (Button == mbLeft || Button == mbRight) {
        if (CanFocus() && !Focused()) SetFocus();
        if (!IsLiveControl(this)) return;
    }
    TTreeNode* node = GetNodeAt(X, Y);
    THitTests hit = GetHitTestInfoAt(X, Y);
    bool onItem = hit.Contains(htOnLabel) || hit.Contains(htOnIcon) || hit.Contains(htOnStateIcon) ||
                  (FRowSelect && (hit.Contains(htOnRight) || hit.Contains(htOnIndent)));
    if (Button == mbLeft && node) {
        if (FPendingEditNode) {
            FPendingEditNode = nullptr;
            KillTimer(this, kEditTimer);
        }
        if (hit.Contains(htOnButton)) {
            ExpandNode(node, !node->FExpanded);
        } else if (onItem) {
            FPressNode = node;
            FPressWasSelected = node == FSelected && !Shift.Contains(ssDouble);
            UserSelect(node);
            if (Shift.Contains(ssDouble) && IsLiveControl(this) && node->FHasChildren) ExpandNode(node, !node->FExpanded);
        }
    } else if (Button == mbRight && node && onItem) {
        FRClickNode = node;
        InvalidateNode(node);
    }
    if (IsLiveControl(this)) TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomTreeView::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    if (FHotTrack) {
        TTreeNode* hot = GetHitTestInfoAt(X, Y).Contains(htOnLabel) ? GetNodeAt(X, Y) : nullptr;
        if (hot != FHotNode) {
            InvalidateNode(FHotNode);
            FHotNode = hot;
            InvalidateNode(hot);
        }
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomTreeView::CMMouseLeave(TMessage& Message) {
    TCustomControl::CMMouseLeave(Message);
    if (FHotNode) {
        InvalidateNode(FHotNode);
        FHotNode = nullptr;
    }
}

void TCustomTreeView::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (Button == mbLeft && FPressNode) {
        TTreeNode* node = GetNodeAt(X, Y);
        // A click on the label of the node that was selected already edits it, unless a second
        // click makes it a double click.
        if (node == FPressNode && FPressWasSelected && !FReadOnly && GetHitTestInfoAt(X, Y).Contains(htOnLabel)) {
            FPendingEditNode = node;
            SetTimer(this, kEditTimer, GetDoubleClickTime());
        }
        FPressNode = nullptr;
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomTreeView::WMTimer(TMessage& Message) {
    if (Message.WParam != kEditTimer) {
        TCustomControl::WMTimer(Message);
        return;
    }
    KillTimer(this, kEditTimer);
    TTreeNode* node = FPendingEditNode;
    FPendingEditNode = nullptr;
    if (node && node == FSelected) StartEdit(node);
}

void TCustomTreeView::WMRButtonUp(TMessage& Message) {
    TTreeNode* node = FRClickNode;
    if (node) {
        FRClickNode = nullptr;
        InvalidateNode(node);
        if (FRightClickSelect) SetSelected(node);
    }
    if (IsLiveControl(this)) TCustomControl::WMRButtonUp(Message);
}

void TCustomTreeView::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    const auto rows = VisibleRows();
    if (rows.empty()) return;
    Integer row = FSelected ? RowOf(FSelected) : -1;
    Integer page = std::max(1, VisibleRowCount() - 1);
    auto go = [&](Integer r) { UserSelect(rows[size_t(std::clamp(r, 0, Integer(rows.size()) - 1))]); };
    switch (Key) {
    case VK_UP: go(row < 0 ? 0 : row - 1); break;
    case VK_DOWN: go(row + 1); break;
    case VK_HOME: go(0); break;
    case VK_END: go(Integer(rows.size()) - 1); break;
    case VK_PRIOR: go(row - page); break;
    case VK_NEXT: go(row + page); break;
    case VK_LEFT:
    case VK_BACK:
        if (!FSelected) go(0);
        else if (Key == VK_LEFT && FSelected->FExpanded && FSelected->FHasChildren) ExpandNode(FSelected, false);
        else if (FSelected->FParent) UserSelect(FSelected->FParent);
        break;
    case VK_RIGHT:
        if (!FSelected) go(0);
        else if (FSelected->FHasChildren && !FSelected->FExpanded) ExpandNode(FSelected, true);
        else if (FSelected->FExpanded && !FSelected->FChildren.empty()) UserSelect(FSelected->FChildren.front());
        break;
    case VK_ADD:
        if (FSelected) ExpandNode(FSelected, true);
        break;
    case VK_SUBTRACT:
        if (FSelected) ExpandNode(FSelected, false);
        break;
    case VK_MULTIPLY:
        if (FSelected) FSelected->Expand(true);
        break;
    case VK_F2:
        if (FSelected) StartEdit(FSelected);
        break;
    default: return;
    }
}

void TCustomTreeView::KeyPress(Char& Key) {
    TCustomControl::KeyPress(Key);
    if (Key < 32 || Key == U'+' || Key == U'-' || Key == U'*') return;
    const auto rows = VisibleRows();
    if (rows.empty()) return;
    // A selection out of view (inside a collapsed branch) counts as none.
    Integer i = FTypeAhead.Find(Key, 1000, true, Integer(rows.size()), FSelected ? RowOf(FSelected) : -1,
                                [&](Integer n) -> const std::string& { return rows[size_t(n)]->FText; });
    if (i >= 0) UserSelect(rows[size_t(i)]);
}

bool TCustomTreeView::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    Integer lines = Mouse->GetWheelScrollLines() * WheelDelta / WHEEL_DELTA;
    Integer top = std::clamp(FTopRow - lines, 0, std::max(0, Integer(VisibleRows().size()) - VisibleRowCount()));
    if (top != FTopRow) {
        FTopRow = top;
        UpdateScrollBars();
        Invalidate();
    }
    return true;
}

void TCustomTreeView::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; }

void TCustomTreeView::WMSize(TMessage& Message) {
    TCustomControl::WMSize(Message);
    UpdateScrollBars();
    Invalidate();
}

void TCustomTreeView::WMVScroll(TMessage& Message) {
    Integer top = FTopRow;
    Integer page = VisibleRowCount();
    switch (ScrollCode(Message)) {
    case SB_LINEUP: --top; break;
    case SB_LINEDOWN: ++top; break;
    case SB_PAGEUP: top -= page; break;
    case SB_PAGEDOWN: top += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: top = ScrollPos(Message); break;
    case SB_TOP: top = 0; break;
    case SB_BOTTOM: top = Integer(VisibleRows().size()); break;
    default: return;
    }
    top = std::clamp(top, 0, std::max(0, Integer(VisibleRows().size()) - page));
    if (top == FTopRow) return;
    FTopRow = top;
    UpdateScrollBars();
    LayoutChanged();
}

void TCustomTreeView::WMHScroll(TMessage& Message) {
    Integer pos = FLeftPos;
    switch (ScrollCode(Message)) {
    case SB_LINELEFT: pos -= FIndent; break;
    case SB_LINERIGHT: pos += FIndent; break;
    case SB_PAGELEFT: pos -= GetClientWidth(); break;
    case SB_PAGERIGHT: pos += GetClientWidth(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = ScrollPos(Message); break;
    default: return;
    }
    pos = std::max(0, pos);
    if (pos == FLeftPos) return;
    FLeftPos = pos;
    UpdateScrollBars();
    LayoutChanged();
}

void TCustomTreeView::WMSetFocus(TMessage& Message) {
    TCustomControl::WMSetFocus(Message);
    Invalidate();
}

void TCustomTreeView::WMKillFocus(TMessage& Message) {
    TCustomControl::WMKillFocus(Message);
    Invalidate();
}

void TCustomTreeView::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    for (TTreeNode* n = FTreeNodes->GetFirstNode(); n; n = n->GetNext()) n->FTextWidth = -1;
    LayoutChanged();
}
