#pragma once
// The shell folder tree: a tree view over the shell namespace (platform/shell_namespace.h) whose
// nodes are the desktop, its drives (home, "/", the volumes) and their folders, optionally files,
// with the theme's icons, renaming in place, our item menu or a form's popup menu, a Path that
// navigates to a folder (or its nearest existing parent), and live refresh: every populated
// folder node has a monitor that re-reads it when any program changes the folder, and the tree
// follows volumes that are mounted or unmounted.
//
// Monitors wait through the process's one change notifier (platform/change_notify.h): no thread
// or inotify instance per node. A change reaches the user-interface thread as a queued call that
// names its monitor by an id, so a node deleted meanwhile is skipped; changes that come while a
// call is pending join it.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/menus.h"
#include "framework/tree_view.h"
#include "platform/change_notify.h"
#include "platform/shell_namespace.h"

enum TVisOption { TF_FOLDERS, TF_NONFOLDERS, TF_HIDDEN };
using TVisOptions = TSet<TVisOption>;
enum TPidls {
    PIDL_DESKTOP,
    PIDL_PROGRAMS,
    PIDL_CONTROLS,
    PIDL_PRINTERS,
    PIDL_PERSONAL,
    PIDL_FAVORITES,
    PIDL_STARTUP,
    PIDL_RECENT,
    PIDL_SENDTO,
    PIDL_BITBUCKET,
    PIDL_STARTMENU,
    PIDL_DESKTOPDIRECTORY,
    PIDL_DRIVES,
    PIDL_NETWORK,
    PIDL_NETHOOD,
    PIDL_FONTS,
    PIDL_TEMPLATES,
    PIDL_USERDEFINED
};
enum TFileSortType { so_Name, so_Size, so_Type, so_Date };
enum TFileSortOrder { so_Ascending, so_Descending };
enum TPopupMenuMode { pmm_System, pmm_PopupMenu };

// What a folder's monitor reports.
constexpr Cardinal FILE_NOTIFY_CHANGE_FILE_NAME = 0x01;
constexpr Cardinal FILE_NOTIFY_CHANGE_DIR_NAME = 0x02;
constexpr Cardinal FILE_NOTIFY_CHANGE_ATTRIBUTES = 0x04;

class TShellTree;
class TShellnode;

using TOnFileAddEvent = std::function<void(const std::string& Filename, Cardinal Attributes, bool& Allow)>;
using TOnPopupMenuEvent = std::function<void(TShellnode* Node, bool& Allow)>;
using tnotifyEditingOver = std::function<void(TObject* Sender)>;

// Watches one node's folder (not its subfolders) and has the tree re-read the node when its
// entries (as the filter asks) change. Made once per node; a folder that cannot be watched
// (gone, unreadable, the user's watch limit reached) leaves it failed, and it is not tried again.
class TDiscMonitorThread {
public:
    TDiscMonitorThread(TShellnode* Node, Cardinal Filter);
    ~TDiscMonitorThread();
    TDiscMonitorThread(const TDiscMonitorThread&) = delete;
    TDiscMonitorThread& operator=(const TDiscMonitorThread&) = delete;

    TShellnode* GetNode() const { return FNode; }
    const std::string& GetPath() const { return FPath; }
    Cardinal GetFilter() const;
    // A new filter watches again with it (not after a failure).
    void SetFilter(Cardinal Value);
    bool GetFailed() const;

    // The inotify events a filter asks for, and whether an event is one of them.
    static uint32_t WatchMask(Cardinal Filter);
    static bool Wanted(Cardinal Filter, uint32_t EventMask);

private:
    struct TShared;
    void Watch();

    TShellnode* FNode;
    std::string FPath;
    std::shared_ptr<TShared> FShared;
    TWatchId FWatch = 0;
};

class TShellnode : public TTreeNode {
    LUMORA_CLASS(TShellnode, TTreeNode)
public:
    explicit TShellnode(TTreeNodes* AOwner);
    ~TShellnode() override;

    TShellTree* GetShellTree() const;
    // The item relative to the parent's folder (the root: its absolute list) and from the desktop.
    const TItemIDList& GetRelativeIDList() const { return FRelative; }
    const TItemIDList& GetAbsoluteIDList() const { return FAbsolute; }
    // The folder holding the item, and the item's own folder (bound on first use, tried again
    // while it cannot be bound); nullptr when none.
    std::shared_ptr<TShellFolder> GetParentFolder() const;
    std::shared_ptr<TShellFolder> GetFolder();
    Cardinal GetAttributes() const { return FAttributes; }
    bool GetEnumerated() const { return FEnumerated; }
    bool GetMonitorStarted() const { return FMonitorStarted; }
    TDiscMonitorThread* GetMonitor() const { return FMonitor.get(); }
    // The file-system path, "" for a virtual item.
    std::string GetPath() const;

    virtual void UpdateIcons();
    virtual std::string GetDisplayName();
    // Renames the item in its folder; false (the name kept) when refused.
    virtual bool Rename(const std::string& NewName);

private:
    friend class TShellTree;
    void SetIDList(const TItemIDList& Relative);
    void RebuildAbsolute();
    void StartMonitor();

    bool FFolderBound = false;
    bool FMonitorStarted = false;
    TItemIDList FRelative;
    TItemIDList FAbsolute;
    std::shared_ptr<TShellFolder> FFolder;
    Cardinal FAttributes = 0;
    bool FEnumerated = false;
    bool FSeen = false;
    std::unique_ptr<TDiscMonitorThread> FMonitor;
};

// "/a/b/" and "/a/b/missing/c" become "/a/b" (the nearest existing folder); "" for paths that are
// not absolute or have no existing folder.
std::string NormalizeTreePath(const std::string& Path);

class TShellTree : public TCustomTreeView {
    LUMORA_CLASS(TShellTree, TCustomTreeView)
public:
    explicit TShellTree(TComponent* AOwner);
    ~TShellTree() override;
    void BeforeDestruction() override;
    void Loaded() override;

    // The selected folder's path; "" when nothing is selected or the item is virtual. Setting it
    // selects the folder (or its nearest existing parent; "" the root), expanding on the way;
    // before the window exists it is kept and applied when the window is made.
    std::string GetPath() const;
    void SetPath(const std::string& Value);
    const std::string& GetRootDir() const { return FRootDir; }
    void SetRootDir(const std::string& Value);
    TPidls GetRootPIDL() const { return FRootPIDL; }
    void SetRootPIDL(TPidls Value);
    bool GetRootUsePIDL() const { return FRootUsePIDL; }
    void SetRootUsePIDL(bool Value);
    // The root list used with PIDL_USERDEFINED (the desktop's until set).
    void SetUserDefinedRoot(const TItemIDList& Value);
    TVisOptions GetOptions() const { return FOptions; }
    void SetOptions(TVisOptions Value);
    bool GetUpdAutoThread() const { return FUpdAutoThread; }
    void SetUpdAutoThread(bool Value) { FUpdAutoThread = Value; }
    bool GetUpdAuto() const { return FUpdAuto; }
    void SetUpdAuto(bool Value) { FUpdAuto = Value; }
    bool GetUpdAutoRec() const { return FUpdAutoRec; }
    void SetUpdAutoRec(bool Value) { FUpdAutoRec = Value; }
    bool GetShowIcons() const { return FShowIcons; }
    void SetShowIcons(bool Value);
    bool GetShowVirtualFolders() const { return FShowVirtualFolders; }
    void SetShowVirtualFolders(bool Value);
    bool GetShowSharedOverlay() const { return FShowSharedOverlay; }
    void SetShowSharedOverlay(bool Value);
    bool GetShowLinkOverlay() const { return FShowLinkOverlay; }
    void SetShowLinkOverlay(bool Value);
    std::string GetFileMask() const;
    void SetFileMask(const std::string& Value);
    bool GetFileMaskUse() const { return FFileMaskUse; }
    void SetFileMaskUse(bool Value);
    TFileSortType GetFileSortType() const { return FFileSortType; }
    void SetFileSortType(TFileSortType Value);
    TFileSortOrder GetFileSortOrder() const { return FFileSortOrder; }
    void SetFileSortOrder(TFileSortOrder Value);
    TPopupMenuMode GetPopupMenuMode() const { return FPopupMenuMode; }
    void SetPopupMenuMode(TPopupMenuMode Value) { FPopupMenuMode = Value; }
    bool GetShowMessages() const { return FShowMessages; }
    void SetShowMessages(bool Value) { FShowMessages = Value; }
    // The filter every monitor gets: attributes, plus folder names with TF_FOLDERS, plus file
    // names with TF_NONFOLDERS.
    Cardinal GetNotifyFilter() const { return FNotifyFilter; }

    TShellnode* GetRootNode() const { return FRootNode; }
    // Re-reads every expanded folder.
    void RefreshTree();
    // Re-reads a node's folder; Recursive also its expanded branches.
    void RefreshNode(TShellnode* Node, bool Recursive);
    // Mount points that came or went: the volumes of the desktop follow, a node standing on a
    // changed mount point is emptied and shown as expandable, other nodes are untouched.
    void MountsChanged(const TMountChange& Change);
    // The path of a node ("" for none or a virtual item).
    static std::string GetShellNodePath(TTreeNode* Node);

    // Where the desktop comes from (tests give one over their own mount table and home).
    static void SetDesktopProviderForTesting(std::function<std::shared_ptr<TShellFolder>()> Provider);

    TOnFileAddEvent OnFileAdd;
    TOnPopupMenuEvent OnPopupMenu;
    tnotifyEditingOver OnEditingOver;

protected:
    friend class TShellnode;
    friend class TDiscMonitorThread;
    TTreeNode* CreateNode() override;
    void CreateWnd() override;
    bool CanExpand(TTreeNode* Node) override;
    bool CanEdit(TTreeNode* Node) override;
    void Edit(const TTVItem& Item) override;
    void WMContextMenu(TMessage& Message) override;
    void WMMouseWheel(TMessage& Message) override;
    void CMVisibleChanged(TMessage& Message) override;
    virtual void InitImageList();
    virtual bool DoPopupMenu(TShellnode* Node);
    virtual void InitRoot();

private:
    enum TRebuildMode { rmCreate, rmPidl, rmRootDir };
    void Rebuild(TRebuildMode Mode);
    void BuildRootNode(const TItemIDList& IDList);
    void NavigateTo(const std::string& Path);
    TShellnode* FindNode(const TItemIDList& IDList, bool Expand, bool Exact);
    void PopulateNode(TShellnode* Node, bool All);
    // Children: the node's children by the name of their item, as they were before the reading.
    using TChildIndex = std::unordered_multimap<std::string, TShellnode*>;
    bool AddOrUpdateChild(TShellnode* Node, const TItemIDList& Item, const TChildIndex& Children);
    void SortChildren(TShellnode* Node);
    void MonitorChanged(TShellnode* Node);
    void RefreshItem(TShellnode* Node);
    void ApplyMountChange(TShellnode* Node, bool Arrival);
    bool MatchesFileMask(const std::string& Name) const;
    HWND ShellOwner() const;
    void TakeOwnerWindow();
    void BeginNodeUpdate();
    void EndNodeUpdate();
    std::shared_ptr<TShellFolder> NewDesktop() const;
    // The tree no longer follows mounts, and calls queued for it find no tree.
    void StopMountWatch();

    std::string FPendingPath;
    std::string FRootDir = "/";
    TPidls FRootPIDL = PIDL_DESKTOP;
    bool FRootUsePIDL = true;
    TVisOptions FOptions;
    bool FUpdAutoThread = true;
    bool FUpdAuto = true;
    bool FUpdAutoRec = false;
    bool FShowIcons = true;
    bool FShowVirtualFolders = true;
    bool FShowSharedOverlay = true;
    bool FShowLinkOverlay = true;
    std::vector<std::string> FFileMask{"*.*"};
    bool FFileMaskUse = false;
    TFileSortType FFileSortType = so_Name;
    TFileSortOrder FFileSortOrder = so_Ascending;
    TPopupMenuMode FPopupMenuMode = pmm_System;
    bool FShowMessages = true;

    std::shared_ptr<TShellFolder> FDesktop;
    bool FUseUpdate = true;
    bool FExpansionAllowed = false;
    bool FImageListReady = false;
    TItemIDList FUserRoot;
    HWND FOwnerWindow = nullptr;
    bool FOwnerCleared = false;  // a monitor's refresh shows no interface
    Cardinal FNotifyFilter = FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_DIR_NAME;
    TShellnode* FRootNode = nullptr;
    uint64_t FId;  // names the tree to calls queued by its mount watch
    TWatchId FMountWatch = 0;
};
