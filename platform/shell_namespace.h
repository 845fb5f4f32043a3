#pragma once
// The shell namespace over the file system. Folders are paths and items are names: an item id
// list is the list of steps from a folder to an item. At the top stands a virtual desktop whose
// items are the drives: the home folder, "/" and the mounted volumes, each named by its absolute
// path; below a drive every step is one file name. The desktop's own list is empty, and it is
// the only item without a file-system path.
//
// Attributes are computed from the file system: FILESYSTEM for every real item, FOLDER (and
// FILESYSANCESTOR, DROPTARGET) for folders, also through a link, LINK for symbolic links, GHOSTED
// (HIDDEN) for dot-names, READONLY when the user may not write, REMOVABLE for removable volumes,
// CANRENAME, CANDELETE and CANMOVE when the item's folder may be written (drives never), and
// HASSUBFOLDER, asked only when the mask holds it and found by stopping at the first subfolder.

#include <memory>
#include <string>
#include <vector>

#include "framework/types.h"

using TItemIDList = std::vector<std::string>;

// Item attributes (SFGAO_*).
constexpr Cardinal SFGAO_CANCOPY = 0x00000001;
constexpr Cardinal SFGAO_CANMOVE = 0x00000002;
constexpr Cardinal SFGAO_CANLINK = 0x00000004;
constexpr Cardinal SFGAO_CANRENAME = 0x00000010;
constexpr Cardinal SFGAO_CANDELETE = 0x00000020;
constexpr Cardinal SFGAO_HASPROPSHEET = 0x00000040;
constexpr Cardinal SFGAO_DROPTARGET = 0x00000100;
constexpr Cardinal SFGAO_LINK = 0x00010000;
constexpr Cardinal SFGAO_SHARE = 0x00020000;
constexpr Cardinal SFGAO_READONLY = 0x00040000;
constexpr Cardinal SFGAO_GHOSTED = 0x00080000;
constexpr Cardinal SFGAO_HIDDEN = 0x00080000;
constexpr Cardinal SFGAO_VALIDATE = 0x01000000;
constexpr Cardinal SFGAO_REMOVABLE = 0x02000000;
constexpr Cardinal SFGAO_COMPRESSED = 0x04000000;
constexpr Cardinal SFGAO_FILESYSANCESTOR = 0x10000000;
constexpr Cardinal SFGAO_FOLDER = 0x20000000;
constexpr Cardinal SFGAO_FILESYSTEM = 0x40000000;
constexpr Cardinal SFGAO_HASSUBFOLDER = 0x80000000;

// What EnumObjects lists (SHCONTF_*).
constexpr Cardinal SHCONTF_FOLDERS = 0x0020;
constexpr Cardinal SHCONTF_NONFOLDERS = 0x0040;
constexpr Cardinal SHCONTF_INCLUDEHIDDEN = 0x0080;

// Display name kinds (SHGDN_*).
constexpr Cardinal SHGDN_NORMAL = 0x0000;
constexpr Cardinal SHGDN_INFOLDER = 0x0001;
constexpr Cardinal SHGDN_FORPARSING = 0x8000;

// Special folders (CSIDL_*). Those the system has no place for are refused.
constexpr Integer CSIDL_DESKTOP = 0x0000;
constexpr Integer CSIDL_PROGRAMS = 0x0002;
constexpr Integer CSIDL_CONTROLS = 0x0003;
constexpr Integer CSIDL_PRINTERS = 0x0004;
constexpr Integer CSIDL_PERSONAL = 0x0005;
constexpr Integer CSIDL_FAVORITES = 0x0006;
constexpr Integer CSIDL_STARTUP = 0x0007;
constexpr Integer CSIDL_RECENT = 0x0008;
constexpr Integer CSIDL_SENDTO = 0x0009;
constexpr Integer CSIDL_BITBUCKET = 0x000A;
constexpr Integer CSIDL_STARTMENU = 0x000B;
constexpr Integer CSIDL_MYMUSIC = 0x000D;
constexpr Integer CSIDL_MYVIDEO = 0x000E;
constexpr Integer CSIDL_DESKTOPDIRECTORY = 0x0010;
constexpr Integer CSIDL_DRIVES = 0x0011;
constexpr Integer CSIDL_NETWORK = 0x0012;
constexpr Integer CSIDL_NETHOOD = 0x0013;
constexpr Integer CSIDL_FONTS = 0x0014;
constexpr Integer CSIDL_TEMPLATES = 0x0015;
constexpr Integer CSIDL_MYPICTURES = 0x0027;
constexpr Integer CSIDL_PROFILE = 0x0028;

// One mounted file system.
struct TMountEntry {
    std::string MountPoint;
    std::string Source;  // "/dev/sdb1", "tmpfs", "server:/share"
    std::string FileSystem;  // "ext4", "vfat", "nfs"
};
// The entries of a "/proc/self/mountinfo" text, in its order (escaped blanks decoded).
std::vector<TMountEntry> ParseMountInfo(const std::string& Text);
// The process's mount table now.
std::vector<TMountEntry> MountTable();
// The entry of the file system that holds Path (the longest mount point above it).
TMountEntry MountOf(const std::string& Path, const std::vector<TMountEntry>& Table);
// Whether the desktop shows a mount as a volume: one under /media, /run/media or /mnt, or a
// block device mounted outside the system's own folders; "/" never.
bool IsVolume(const TMountEntry& Entry);
// Whether a volume's medium can be taken out (a removable block device, or mounted by the
// desktop under /media or /run/media).
bool IsRemovableVolume(const TMountEntry& Entry);

class TShellFolder {
public:
    // The desktop, its items taken from the mount table now.
    static std::shared_ptr<TShellFolder> Desktop();
    // The desktop over a given mount table and home folder (tests).
    static std::shared_ptr<TShellFolder> Desktop(const std::vector<TMountEntry>& Table, const std::string& Home);

    bool IsDesktop() const { return FPath.empty(); }
    // The folder's path ("" for the desktop), without a trailing "/" except for the root.
    const std::string& Path() const { return FPath; }
    // The folder's own list from the desktop.
    const TItemIDList& IDList() const { return FIDList; }
    // The desktop's drives in their order: home, "/", then the volumes.
    const std::vector<std::string>& Drives() const { return FDrives->Paths; }

    // The folder's items (one step each) in the file system's order (the desktop: its drives),
    // as Flags asks; false when the folder cannot be read.
    bool EnumObjects(Cardinal Flags, std::vector<TItemIDList>& Items) const;
    // The attributes of an item (the empty list: the folder itself) in Mask; 0 when it is gone.
    Cardinal GetAttributesOf(const TItemIDList& Item, Cardinal Mask) const;
    // SHGDN_NORMAL: the name shown ("Desktop", "Home", "File System", a volume's folder name, a
    // file's name); SHGDN_FORPARSING: the full path, or with SHGDN_INFOLDER the name in the
    // folder.
    std::string GetDisplayNameOf(const TItemIDList& Item, Cardinal Flags) const;
    // The items of Name: a path below this folder ("a/b"), or from the desktop an absolute path
    // (through the innermost drive holding it). False when it does not exist.
    bool ParseDisplayName(const std::string& Name, TItemIDList& Item) const;
    // The folder an item stands for; nullptr when it is not a folder.
    std::shared_ptr<TShellFolder> BindToObject(const TItemIDList& Item) const;
    // Order of two items by column (0 name with folders first, 1 size, 2 type, 3 date; the
    // desktop: its drives' order): negative, 0 (the same item) or positive.
    Integer CompareIDs(Integer Column, const TItemIDList& A, const TItemIDList& B) const;
    // Renames a one-step item through RenameFile (never over an existing name); NewItem is its
    // new list. False for drives, names with "/", ".", "..", "" or a refused rename.
    bool SetNameOf(const TItemIDList& Item, const std::string& NewName, TItemIDList& NewItem) const;
    // The file-system path of an item (the empty list: the folder), "" for the desktop.
    std::string PathOf(const TItemIDList& Item) const;

private:
    struct TDrives {
        std::vector<std::string> Paths;
        std::vector<bool> Removable;
        std::string Home;
    };
    TShellFolder(std::shared_ptr<const TDrives> Drives, std::string Path, TItemIDList IDList);
    std::string DriveName(const std::string& Drive) const;

    std::shared_ptr<const TDrives> FDrives;
    std::string FPath;
    TItemIDList FIDList;
};

// The order of two names in one folder (column 0 of CompareIDs for two folders or two files):
// without regard to case, then by their bytes.
Integer CompareItemNames(const std::string& A, const std::string& B);

// The path of an absolute list; false for the desktop.
bool SHGetPathFromIDList(const TItemIDList& IDList, std::string& Path);
// The absolute list of a special folder; false for folders the system has no place for.
bool SHGetSpecialFolderLocation(Integer CSIDL, TItemIDList& IDList);
