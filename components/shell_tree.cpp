#include "components/shell_tree.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "framework/file_utils.h"
#include "framework/forms.h"
#include "framework/resources.h"
#include "framework/sysutils.h"
#include "framework/thread.h"
#include "platform/item_prop.h"
#include "platform/shell_file_info.h"

namespace {

// What a child's attributes are asked for.
constexpr Cardinal kAttributeMask = 0xF60B0177;

// The special folder of each root choice, in the order of TPidls.
constexpr Integer kRootCsidl[] = {
    CSIDL_DESKTOP, CSIDL_PROGRAMS, CSIDL_CONTROLS, CSIDL_PRINTERS,  CSIDL_PERSONAL,  CSIDL_FAVORITES,
    CSIDL_STARTUP, CSIDL_RECENT,   CSIDL_SENDTO,   CSIDL_BITBUCKET, CSIDL_STARTMENU, CSIDL_DESKTOPDIRECTORY,
    CSIDL_DRIVES,  CSIDL_NETWORK,  CSIDL_NETHOOD,  CSIDL_FONTS,     CSIDL_TEMPLATES};

std::function<std::shared_ptr<TShellFolder>()>& DesktopProvider() {
    static std::function<std::shared_ptr<TShellFolder>()> provider;
    return provider;
}

// The trees alive, by id, for the calls their mount watches queue (user-interface thread only).
std::unordered_map<uint64_t, TShellTree*>& LiveTrees() {
    static std::unordered_map<uint64_t, TShellTree*> trees;
    return trees;
}

bool IsFileItem(Cardinal Attributes) {
    return (Attributes & SFGAO_FILESYSTEM) && !(Attributes & SFGAO_FOLDER);
}

// The hourglass while folders are read, restored also on failure.
class THourGlass {
public:
    THourGlass() : FSaved(Screen->GetCursor()) { Screen->SetCursor(crHourGlass); }
    ~THourGlass() { Screen->SetCursor(FSaved); }

private:
    TCursor FSaved;
};

// The nodes of a subtree in pre-order (Node first).
std::vector<TShellnode*> Subtree(TTreeNode* Node) {
    std::vector<TShellnode*> nodes;
    if (!Node) return nodes;
    std::vector<TTreeNode*> stack{Node};
    while (!stack.empty()) {
        TTreeNode* n = stack.back();
        stack.pop_back();
        nodes.push_back(static_cast<TShellnode*>(n));
        for (Integer i = n->GetCount() - 1; i >= 0; --i) stack.push_back(n->GetItem(i));
    }
    return nodes;
}

}  // namespace

std::string NormalizeTreePath(const std::string& Path) {
    if (Path.empty() || Path[0] != '/') return {};
    const std::string root = "/";
    std::string p = Path;
    if (!DirectoryExists(p)) {
        for (;;) {
            while (p.size() > 1 && p.back() == '/') p.pop_back();
            p.erase(p.rfind('/') + 1);
            if (p.size() <= root.size() || DirectoryExists(p)) break;
        }
    }
    if (!DirectoryExists(p)) return {};
    if (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

// ---------------------------------------------------------------------------------------------
// Nodes

TShellnode::TShellnode(TTreeNodes* AOwner) : TTreeNode(AOwner) {}

TShellnode::~TShellnode() = default;

TShellTree* TShellnode::GetShellTree() const {
    return dynamic_cast<TShellTree*>(GetTreeView());
}

std::shared_ptr<TShellFolder> TShellnode::GetParentFolder() const {
    if (auto* parent = static_cast<TShellnode*>(GetParent())) return parent->GetFolder();
    TShellTree* tree = GetShellTree();
    return tree ? tree->FDesktop : nullptr;
}

std::shared_ptr<TShellFolder> TShellnode::GetFolder() {
    if (FFolder) return FFolder;
    FFolderBound = true;
    std::shared_ptr<TShellFolder> parent = GetParentFolder();
    if (!parent) return nullptr;
    FFolder = FRelative.empty() ? parent : parent->BindToObject(FRelative);
    return FFolder;
}

std::string TShellnode::GetPath() const {
    std::string path;
    SHGetPathFromIDList(FAbsolute, path);
    return path;
}

void TShellnode::SetIDList(const TItemIDList& Relative) {
    FRelative = Relative;
    for (TShellnode* n : Subtree(this)) n->RebuildAbsolute();
}

void TShellnode::RebuildAbsolute() {
    auto* parent = static_cast<TShellnode*>(GetParent());
    if (parent) {
        FAbsolute = parent->FAbsolute;
        if (!FRelative.empty()) FAbsolute.push_back(FRelative.front());
    } else {
        FAbsolute = FRelative;
    }
    FFolder = nullptr;
    FFolderBound = false;
}

std::string TShellnode::GetDisplayName() {
    std::shared_ptr<TShellFolder> folder = GetParentFolder();
    if (!folder) return {};
    if (!GetParent()) return folder->GetDisplayNameOf(FRelative, SHGDN_FORPARSING);
    std::string name = folder->GetDisplayNameOf(FRelative, SHGDN_NORMAL);
    return name.empty() ? folder->GetDisplayNameOf(FRelative, SHGDN_FORPARSING) : name;
}

void TShellnode::UpdateIcons() {
    TShellTree* tree = GetShellTree();
    SHFILEINFO info;
    SHGetFileInfo(FAbsolute, 0, info, SHGFI_SYSICONINDEX | SHGFI_PIDL | SHGFI_SMALLICON);
    SetImageIndex(info.iIcon);
    if (FAttributes & SFGAO_FOLDER)
        SHGetFileInfo(FAbsolute, 0, info, SHGFI_SYSICONINDEX | SHGFI_PIDL | SHGFI_SMALLICON | SHGFI_OPENICON);
    SetSelectedIndex(info.iIcon);
    if (tree && tree->FShowSharedOverlay && (FAttributes & SFGAO_SHARE))
        SetOverlayIndex(0);
    else if (tree && tree->FShowLinkOverlay && (FAttributes & SFGAO_LINK))
        SetOverlayIndex(1);
    else
        SetOverlayIndex(-1);
}

bool TShellnode::Rename(const std::string& NewName) {
    if (NewName == GetText()) return true;
    std::shared_ptr<TShellFolder> folder = GetParentFolder();
    TItemIDList renamed;
    if (!folder || !folder->SetNameOf(FRelative, NewName, renamed)) return false;
    SetIDList(renamed);
    TShellTree* tree = GetShellTree();
    if (!tree) return true;
    if (auto* parent = static_cast<TShellnode*>(GetParent())) tree->SortChildren(parent);
    if (tree->OnChange) tree->OnChange(tree, this);
    return true;
}

void TShellnode::StartMonitor() {
    if (FMonitorStarted) return;
    FMonitorStarted = true;
    TShellTree* tree = GetShellTree();
    if (tree && !Trim(GetPath()).empty()) FMonitor = std::make_unique<TDiscMonitorThread>(this, tree->FNotifyFilter);
}

// ---------------------------------------------------------------------------------------------
// The tree

TShellTree::TShellTree(TComponent* AOwner) : TCustomTreeView(AOwner) {
    static uint64_t nextId = 0;
    FId = ++nextId;
    LiveTrees()[FId] = this;
    FOptions = {TF_FOLDERS};
    FDesktop = NewDesktop();
    SetHideSelection(false);
    SetWidth(170);
    SetHeight(270);
}

TShellTree::~TShellTree() {
    StopMountWatch();
}

void TShellTree::BeforeDestruction() {
    StopMountWatch();
    TCustomTreeView::BeforeDestruction();
}

void TShellTree::StopMountWatch() {
    LiveTrees().erase(FId);
    if (FMountWatch) ChangeNotifier().Unwatch(FMountWatch);
    FMountWatch = 0;
}

void TShellTree::SetDesktopProviderForTesting(std::function<std::shared_ptr<TShellFolder>()> Provider) {
    DesktopProvider() = std::move(Provider);
}

std::shared_ptr<TShellFolder> TShellTree::NewDesktop() const {
    return DesktopProvider() ? DesktopProvider()() : TShellFolder::Desktop();
}

TTreeNode* TShellTree::CreateNode() {
    return new TShellnode(GetItems());
}

void TShellTree::Loaded() {
    TCustomTreeView::Loaded();
    Rebuild(rmCreate);
}

void TShellTree::CreateWnd() {
    TCustomTreeView::CreateWnd();
    if (!FMountWatch) {
        FMountWatch = ChangeNotifier().WatchMounts([id = FId](const TMountChange& Change) {
            TThread::Queue(nullptr, [id, Change] {
                auto it = LiveTrees().find(id);
                if (it != LiveTrees().end()) it->second->MountsChanged(Change);
            });
        });
    }
    if (FUserRoot.empty()) FUserRoot = FDesktop->IDList();
    TakeOwnerWindow();
    if (!GetComponentState().Contains(csLoading)) Rebuild(rmCreate);
}

void TShellTree::TakeOwnerWindow() {
    if (TCustomForm* form = GetParentForm(this))
        FOwnerWindow = form;
    else
        FOwnerWindow = GetParentWindow() ? GetParentWindow() : this;
}

HWND TShellTree::ShellOwner() const {
    return FShowMessages && !FOwnerCleared ? FOwnerWindow : nullptr;
}

void TShellTree::BeginNodeUpdate() {
    if (FUseUpdate) GetItems()->BeginUpdate();
}

void TShellTree::EndNodeUpdate() {
    if (FUseUpdate) GetItems()->EndUpdate();
}

void TShellTree::InitImageList() {
    if (FShowIcons) SetImages(SystemImageList(true));
    FImageListReady = true;
}

void TShellTree::Rebuild(TRebuildMode Mode) {
    if (!HandleAllocated()) return;
    BeginNodeUpdate();
    try {
        if (!FImageListReady) InitImageList();
        if (!GetComponentState().Contains(csLoading)) {
            std::string path = GetPath();
            std::string rootDir = FRootDir;
            FRootNode = nullptr;
            FExpansionAllowed = false;
            GetItems()->Clear();
            InitRoot();
            if (Mode == rmRootDir) {
                if (!path.empty()) NavigateTo(NormalizeTreePath(path));
            } else if (!FRootUsePIDL) {
                SetRootDir(rootDir);
            }
            // A path set before the tree could be built.
            if (!FPendingPath.empty()) NavigateTo(std::exchange(FPendingPath, std::string()));
        }
    } catch (...) {
        EndNodeUpdate();
        throw;
    }
    EndNodeUpdate();
}

void TShellTree::InitRoot() {
    TItemIDList list;
    if (FRootUsePIDL) {
        if (FRootPIDL == PIDL_USERDEFINED)
            list = FUserRoot;
        else if (!SHGetSpecialFolderLocation(kRootCsidl[FRootPIDL], list))
            list = FDesktop->IDList();
    } else if (!FDesktop->ParseDisplayName(NormalizeTreePath(FRootDir), list)) {
        FDesktop->ParseDisplayName("/", list);
    }
    BuildRootNode(list);
    if (!FRootUsePIDL) FRootDir = GetShellNodePath(FRootNode);
}

void TShellTree::BuildRootNode(const TItemIDList& IDList) {
    auto* node = static_cast<TShellnode*>(GetItems()->Add(nullptr, ""));
    node->FRelative = IDList;
    node->FAbsolute = IDList;
    node->FAttributes = FDesktop->GetAttributesOf(IDList, kAttributeMask & ~SFGAO_HASSUBFOLDER);
    node->SetText(node->GetDisplayName());
    node->SetHasChildren(true);
    node->UpdateIcons();
    FRootNode = node;
    FExpansionAllowed = true;
    node->Expand(false);
    node->SetSelected(true);
}

// ---- Path ---------------------------------------------------------------------------------------

std::string TShellTree::GetShellNodePath(TTreeNode* Node) {
    auto* node = dynamic_cast<TShellnode*>(Node);
    return node ? node->GetPath() : std::string();
}

std::string TShellTree::GetPath() const {
    return GetShellNodePath(GetSelected());
}

void TShellTree::SetPath(const std::string& Value) {
    std::string path = NormalizeTreePath(Value);
    if (path.empty()) {
        if (FRootNode) FRootNode->SetSelected(true);
        return;
    }
    if (path == GetPath()) return;
    if (HandleAllocated() && FRootNode)
        NavigateTo(path);
    else
        FPendingPath = path;
}

void TShellTree::NavigateTo(const std::string& Path) {
    TItemIDList list;
    if (!FDesktop->ParseDisplayName(Path, list)) return;
    BeginNodeUpdate();
    TShellnode* node = FindNode(list, true, false);
    if (node) {
        node->Expand(false);
        node->SetSelected(true);
    }
    EndNodeUpdate();
    if (node) node->MakeVisible();
}

TShellnode* TShellTree::FindNode(const TItemIDList& IDList, bool Expand, bool Exact) {
    TShellnode* node = FRootNode;
    if (!node) return nullptr;
    const TItemIDList& root = node->FAbsolute;
    if (IDList == root) return node;
    if (IDList.size() <= root.size() || !std::equal(root.begin(), root.end(), IDList.begin())) return nullptr;
    for (size_t i = root.size(); i < IDList.size(); ++i) {
        // A folder listed without subfolders may have one by now.
        if (!node->GetExpanded() && Expand && !node->GetHasChildren()) PopulateNode(node, true);
        if (!node->GetExpanded() && Expand) node->Expand(false);
        if (!node->GetExpanded()) return Exact ? nullptr : node;
        auto childNamed = [&](const std::string& Name) -> TShellnode* {
            for (Integer c = 0; c < node->GetCount(); ++c) {
                auto* child = static_cast<TShellnode*>(node->GetItem(c));
                if (!child->FRelative.empty() && child->FRelative.front() == Name) return child;
            }
            return nullptr;
        };
        TShellnode* next = childNamed(IDList[i]);
        // Made after the node was read, before its monitor's refresh came.
        if (!next && Expand) {
            PopulateNode(node, true);
            next = childNamed(IDList[i]);
        }
        if (!next) return Exact ? nullptr : node;
        node = next;
    }
    return node;
}

// ---- Reading folders ----------------------------------------------------------------------------

bool TShellTree::CanExpand(TTreeNode* Node) {
    bool allowed = FExpansionAllowed && TCustomTreeView::CanExpand(Node);
    auto* node = static_cast<TShellnode*>(Node);
    if (allowed && (FUpdAuto || !node->FEnumerated)) {
        RefreshNode(node, FUpdAutoRec);
        node->FEnumerated = true;
    }
    return allowed;
}

void TShellTree::RefreshTree() {
    if (!FRootNode) return;
    BeginNodeUpdate();
    RefreshNode(FRootNode, true);
    EndNodeUpdate();
}

void TShellTree::RefreshNode(TShellnode* Node, bool Recursive) {
    PopulateNode(Node, true);
    if (!Recursive) return;
    for (Integer i = 0; i < Node->GetCount(); ++i) {
        auto* child = static_cast<TShellnode*>(Node->GetItem(i));
        if (child->GetHasChildren() && child->GetExpanded())
            RefreshNode(child, true);
        else
            child->FEnumerated = false;
    }
}

void TShellTree::PopulateNode(TShellnode* Node, bool All) {
    std::shared_ptr<TShellFolder> folder = Node->GetFolder();
    if (!folder) return;
    BeginNodeUpdate();
    try {
        THourGlass hourGlass;
        Cardinal flags = 0;
        if (FOptions.Contains(TF_FOLDERS) || Node->FRelative.empty()) flags |= SHCONTF_FOLDERS;
        if (FOptions.Contains(TF_NONFOLDERS)) flags |= SHCONTF_NONFOLDERS;
        if (FOptions.Contains(TF_HIDDEN)) flags |= SHCONTF_INCLUDEHIDDEN;
        TChildIndex children;
        for (Integer i = 0; i < Node->GetCount(); ++i) {
            auto* child = static_cast<TShellnode*>(Node->GetItem(i));
            child->FSeen = false;
            if (!child->FRelative.empty()) children.emplace(child->FRelative.front(), child);
        }
        std::vector<TItemIDList> items;
        if (folder->EnumObjects(flags, items)) {
            for (const TItemIDList& item : items)
                if (AddOrUpdateChild(Node, item, children) && !All) break;
        }
        for (Integer i = Node->GetCount() - 1; i >= 0; --i) {
            auto* child = static_cast<TShellnode*>(Node->GetItem(i));
            if (!child->FSeen) child->Delete();
        }
        Node->SetHasChildren(Node->GetCount() > 0);
        SortChildren(Node);
    } catch (...) {
        EndNodeUpdate();
        throw;
    }
    EndNodeUpdate();
}

bool TShellTree::AddOrUpdateChild(TShellnode* Node, const TItemIDList& Item, const TChildIndex& Children) {
    // The first child not seen yet that stands for the same item.
    TShellnode* child = nullptr;
    for (auto [it, end] = Children.equal_range(Item.front()); it != end && !child; ++it)
        if (!it->second->FSeen) child = it->second;
    if (child) child->FSeen = true;
    std::shared_ptr<TShellFolder> folder = Node->GetFolder();
    Cardinal attributes = folder ? folder->GetAttributesOf(Item, kAttributeMask) : 0;

    bool keep = FShowVirtualFolders || (attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR));
    if (keep && FOptions.Contains(TF_NONFOLDERS) && IsFileItem(attributes)) {
        std::string path = folder->GetDisplayNameOf(Item, SHGDN_FORPARSING);
        if (FFileMaskUse) keep = MatchesFileMask(ExtractFileName(path));
        if (keep && OnFileAdd) OnFileAdd(path, attributes, keep);
    }
    if (!keep) {
        if (child) child->FSeen = false;
        return false;
    }
    if (child) {
        child->SetIDList(Item);
        child->SetText(child->GetDisplayName());
    } else {
        child = static_cast<TShellnode*>(GetItems()->AddChild(Node, ""));
        child->SetIDList(Item);
        child->SetText(child->GetDisplayName());
        child->FEnumerated = false;
        Node->StartMonitor();
    }
    child->FSeen = true;
    child->FAttributes = attributes;

    bool hasChildren = (attributes & SFGAO_HASSUBFOLDER) != 0;
    if (!hasChildren && FOptions.Contains(TF_NONFOLDERS) && (attributes & SFGAO_FOLDER)) {
        if (child->GetExpanded()) {
            hasChildren = true;
        } else {
            PopulateNode(child, false);
            hasChildren = child->GetCount() > 0;
        }
    }
    if (!hasChildren) {
        child->FEnumerated = false;
        child->DeleteChildren();
        child->StartMonitor();
    }
    child->SetHasChildren(hasChildren);
    child->UpdateIcons();
    return true;
}

void TShellTree::SortChildren(TShellnode* Node) {
    std::shared_ptr<TShellFolder> folder = Node->GetFolder();
    if (!folder || Node->GetCount() < 2) return;
    Node->CustomSort(
        [&](TTreeNode* A, TTreeNode* B, LPARAM) {
            auto* a = static_cast<TShellnode*>(A);
            auto* b = static_cast<TShellnode*>(B);
            Integer r;
            bool fileA = IsFileItem(a->FAttributes), fileB = IsFileItem(b->FAttributes);
            if (fileA && fileB) {
                r = folder->CompareIDs(FFileSortType, a->FRelative, b->FRelative);
                if (FFileSortOrder == so_Descending) r = -r;
            } else if (folder->IsDesktop() || a->FRelative.size() != 1 || b->FRelative.size() != 1) {
                r = folder->CompareIDs(0, a->FRelative, b->FRelative);
            } else {
                // By name, folders first, as the folder orders them, from the attributes just read.
                bool folderA = a->FAttributes & SFGAO_FOLDER, folderB = b->FAttributes & SFGAO_FOLDER;
                r = folderA != folderB ? (folderA ? -1 : 1) : CompareItemNames(a->FRelative[0], b->FRelative[0]);
            }
            return r == 0 ? 0 : r == 1 ? 1 : -1;
        },
        0, false);
}

bool TShellTree::MatchesFileMask(const std::string& Name) const {
    for (const std::string& mask : FFileMask) {
        if (mask == "*") return true;
        if (mask == "*.*") {
            if (Name.find('.') != std::string::npos) return true;
            continue;
        }
        if (MatchesMask(Name, mask)) return true;
    }
    return false;
}

void TShellTree::MonitorChanged(TShellnode* Node) {
    if (!FUpdAutoThread) return;
    FOwnerCleared = true;
    try {
        RefreshNode(Node, false);
    } catch (...) {
        FOwnerCleared = false;
        throw;
    }
    FOwnerCleared = false;
}

// ---- Mounts -------------------------------------------------------------------------------------

void TShellTree::MountsChanged(const TMountChange& Change) {
    FDesktop = NewDesktop();
    if (!FRootNode) return;
    for (TShellnode* n : Subtree(FRootNode)) {
        n->FFolder = nullptr;
        n->FFolderBound = false;
    }
    BeginNodeUpdate();
    // The desktop's drives follow the volumes; the drives that stay keep their nodes.
    if (FRootNode->FAbsolute.empty() && FRootNode->FEnumerated) PopulateNode(FRootNode, true);
    auto in = [](const std::vector<std::string>& List, const std::string& Path) {
        return !Path.empty() && std::find(List.begin(), List.end(), Path) != List.end();
    };
    std::vector<std::pair<TShellnode*, bool>> changed;
    for (TShellnode* n : Subtree(FRootNode)) {
        std::string path = n->GetPath();
        if (in(Change.Removed, path))
            changed.push_back({n, false});
        else if (in(Change.Added, path))
            changed.push_back({n, true});
    }
    // A node emptied above may hold another changed one: deepest first.
    std::reverse(changed.begin(), changed.end());
    std::vector<TShellnode*> alive = Subtree(FRootNode);
    for (auto [node, arrival] : changed)
        if (std::find(alive.begin(), alive.end(), node) != alive.end()) ApplyMountChange(node, arrival);
    EndNodeUpdate();
}

void TShellTree::ApplyMountChange(TShellnode* Node, bool Arrival) {
    // The old watch stood on the other file system.
    Node->FMonitor.reset();
    Node->FMonitorStarted = false;
    if (!Arrival || !Node->GetExpanded()) {
        if (Node->GetExpanded() && Node != FRootNode) Node->Collapse(false);
        Node->DeleteChildren();
    }
    Node->FEnumerated = false;
    Node->SetHasChildren(true);
    RefreshItem(Node);
    if (Node == FRootNode || (Arrival && Node->GetExpanded())) {
        bool messages = FShowMessages;
        FShowMessages = false;
        PopulateNode(Node, true);
        FShowMessages = messages;
        Node->SetHasChildren(true);
    }
}

void TShellTree::RefreshItem(TShellnode* Node) {
    std::shared_ptr<TShellFolder> folder = Node->GetParentFolder();
    std::string path = Node->GetPath();
    if (!folder || path.empty()) return;
    TItemIDList list;
    if (!folder->ParseDisplayName(folder->IsDesktop() ? path : ExtractFileName(path), list)) return;
    // A drive that is no longer one is no longer an item of the desktop.
    if (Node->GetParent() && list.size() != 1) return;
    Node->SetIDList(list);
    Node->FAttributes = folder->GetAttributesOf(list, kAttributeMask & ~SFGAO_HASSUBFOLDER);
    Node->SetText(Node->GetDisplayName());
    Node->UpdateIcons();
}

// ---- Renaming -----------------------------------------------------------------------------------

bool TShellTree::CanEdit(TTreeNode* Node) {
    auto* node = static_cast<TShellnode*>(Node);
    return TCustomTreeView::CanEdit(Node) && node && (node->FAttributes & SFGAO_CANRENAME);
}

void TShellTree::Edit(const TTVItem& Item) {
    auto* node = static_cast<TShellnode*>(Item.hItem);
    if (Item.pszText && node) {
        std::string s = Item.pszText;
        if (OnEdited) OnEdited(this, node, s);
        if (node->Rename(s)) node->SetText(s);
    }
    if (OnEditingOver) OnEditingOver(this);
}

// ---- Menus, wheel, showing ----------------------------------------------------------------------

bool TShellTree::DoPopupMenu(TShellnode* Node) {
    if (!Node) return false;
    bool allow = true;
    if (OnPopupMenu) OnPopupMenu(Node, allow);
    return allow;
}

void TShellTree::WMContextMenu(TMessage& Message) {
    TPoint screen = LParamToPoint(Message.LParam);
    TShellnode* node;
    if (screen.X == -1 && screen.Y == -1) {
        node = static_cast<TShellnode*>(GetSelected());
        if (node) {
            TRect r = node->DisplayRect(true);
            screen = ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
        }
    } else {
        TPoint client = ScreenToClient(screen);
        node = static_cast<TShellnode*>(GetNodeAt(client.X, client.Y));
    }
    if (!DoPopupMenu(node)) return;
    Message.Result = 1;
    TTreeNode* previous = GetSelected();
    node->SetSelected(true);
    if (FPopupMenuMode == pmm_PopupMenu) {
        if (TPopupMenu* menu = GetPopupMenu()) {
            menu->SetPopupComponent(this);
            menu->Popup(screen.X, screen.Y);
        }
    } else if (std::shared_ptr<TShellFolder> folder = node->GetParentFolder()) {
        ShowShellContextMenu(*folder, {node->FRelative}, 0, screen, ShellOwner());
    }
    // The menu's command may have changed the tree.
    if (previous && FRootNode) {
        std::vector<TShellnode*> alive = Subtree(FRootNode);
        if (std::find(alive.begin(), alive.end(), previous) != alive.end()) previous->SetSelected(true);
    }
}

void TShellTree::WMMouseWheel(TMessage& Message) {
    Integer delta = int16_t(Message.WParam >> 16);
    if (delta == -120)
        Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
    else if (delta == 120)
        Perform(WM_VSCROLL, SB_PAGEUP, 0);
    Message.Result = 1;
}

void TShellTree::CMVisibleChanged(TMessage& Message) {
    TCustomTreeView::CMVisibleChanged(Message);
    TakeOwnerWindow();
    if (FShowIcons) SetImages(SystemImageList(true));
    RefreshTree();
}

// ---- Properties ---------------------------------------------------------------------------------

void TShellTree::SetRootDir(const std::string& Value) {
    std::string dir = NormalizeTreePath(Value);
    if (dir.empty() || dir == FRootDir) return;
    FRootDir = dir;
    if (HandleAllocated() && !FRootUsePIDL) Rebuild(rmRootDir);
}

void TShellTree::SetRootPIDL(TPidls Value) {
    if (Value == FRootPIDL) return;
    FRootPIDL = Value;
    if (HandleAllocated() && FRootUsePIDL) Rebuild(rmPidl);
}

void TShellTree::SetRootUsePIDL(bool Value) {
    if (Value == FRootUsePIDL) return;
    FRootUsePIDL = Value;
    Rebuild(rmCreate);
}

void TShellTree::SetUserDefinedRoot(const TItemIDList& Value) {
    FUserRoot = Value;
    if (FRootUsePIDL && FRootPIDL == PIDL_USERDEFINED) Rebuild(rmPidl);
}

void TShellTree::SetOptions(TVisOptions Value) {
    Cardinal filter = FILE_NOTIFY_CHANGE_ATTRIBUTES;
    if (Value.Contains(TF_FOLDERS)) filter |= FILE_NOTIFY_CHANGE_DIR_NAME;
    if (Value.Contains(TF_NONFOLDERS)) filter |= FILE_NOTIFY_CHANGE_FILE_NAME;
    if (filter != FNotifyFilter) {
        FNotifyFilter = filter;
        for (TShellnode* n : Subtree(FRootNode))
            if (n->FMonitor && !n->FMonitor->GetFailed()) n->FMonitor->SetFilter(filter);
    }
    if (Value != FOptions) {
        FOptions = Value;
        if (HandleAllocated()) RefreshTree();
    }
}

void TShellTree::SetShowIcons(bool Value) {
    FShowIcons = Value;
    if (!GetComponentState().Contains(csReading)) SetImages(Value ? SystemImageList(true) : nullptr);
}

void TShellTree::SetShowVirtualFolders(bool Value) {
    FShowVirtualFolders = Value;
    if (!GetComponentState().Contains(csReading)) RefreshTree();
}

void TShellTree::SetShowSharedOverlay(bool Value) {
    FShowSharedOverlay = Value;
    RefreshTree();
}

void TShellTree::SetShowLinkOverlay(bool Value) {
    FShowLinkOverlay = Value;
    RefreshTree();
}

std::string TShellTree::GetFileMask() const {
    std::string mask;
    for (const std::string& m : FFileMask) mask += (mask.empty() ? "" : ";") + m;
    return mask;
}

void TShellTree::SetFileMask(const std::string& Value) {
    std::string text = Trim(Value);
    if (text.empty()) text = "*.*";
    FFileMask.clear();
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        std::string piece = Trim(text.substr(start, end - start));
        if (!piece.empty()) FFileMask.push_back(piece);
        start = end + 1;
    }
    if (FOptions.Contains(TF_NONFOLDERS)) RefreshTree();
}

void TShellTree::SetFileMaskUse(bool Value) {
    FFileMaskUse = Value;
    if (FOptions.Contains(TF_NONFOLDERS)) RefreshTree();
}

void TShellTree::SetFileSortType(TFileSortType Value) {
    FFileSortType = Value;
    for (TShellnode* n : Subtree(FRootNode)) SortChildren(n);
}

void TShellTree::SetFileSortOrder(TFileSortOrder Value) {
    FFileSortOrder = Value;
    for (TShellnode* n : Subtree(FRootNode)) SortChildren(n);
}
