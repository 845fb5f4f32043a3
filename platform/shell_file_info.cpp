#include "platform/shell_file_info.h"

#include <sys/stat.h>
#include <algorithm>
#include <map>

#include "framework/file_utils.h"
#include "framework/graphics.h"
#include "framework/mime_database.h"
#include "framework/resources.h"
#include "platform/user_folders.h"

namespace {

// What an item looks like: the theme icon names to try, in order, and our artwork's name.
struct TLook {
    std::vector<std::string> IconNames;
    std::string Artwork;
    std::string TypeName;
};

constexpr Integer SmallSize = 16, LargeSize = 32;

// The database's answer for data it cannot name has no type name.
TLook LookOfType(const TMimeTypeInfo& Type) {
    return {{Type.IconName, Type.GenericIconName, "text-x-generic"},
            "SHELL_DOCUMENT",
            Type.Name == "application/octet-stream" ? std::string() : Type.Comment};
}

TLook FolderLook(bool Open) {
    return {{Open ? "folder-open" : "folder", "folder"}, Open ? "SHELL_FOLDER_OPEN" : "SHELL_FOLDER", "Folder"};
}

// The look of an item: Drive tells the desktop's drives apart from ordinary folders.
TLook LookOf(const std::string& Path, bool Folder, bool Open, bool UseName, const TShellFolder* Desktop) {
    if (Path.empty()) return {{"user-desktop", "folder"}, "SHELL_FOLDER", "Desktop"};
    if (Desktop) {
        const auto& drives = Desktop->Drives();
        if (std::find(drives.begin(), drives.end(), Path) != drives.end()) {
            Cardinal a = Desktop->GetAttributesOf({Path}, SFGAO_REMOVABLE);
            if (Path == drives.front()) return {{"user-home", "folder"}, "SHELL_FOLDER", "Folder"};
            return {{a ? "drive-removable-media" : "drive-harddisk"}, "SHELL_DRIVE", "Drive"};
        }
    }
    if (Folder) return FolderLook(Open);
    return LookOfType(UseName ? MimeTypeOfName(Path) : MimeTypeOfFile(Path));
}

HICON MakeIcon(const TLook& Look, bool Small) {
    for (const std::string& name : Look.IconNames)
        if (HICON icon = ThemeIcon(name, Small ? SmallSize : LargeSize)) return icon;
    return LoadIcon(HInstance, Small ? Look.Artwork + "_SMALL" : Look.Artwork);
}

// The index of a look's icon in a system image list, added on first use.
Integer IconIndex(const TLook& Look, bool Small) {
    static std::map<std::string, Integer> indexes[2];
    std::string key = (Look.IconNames.empty() ? std::string() : Look.IconNames.front()) + "|" + Look.Artwork;
    auto& table = indexes[Small ? 1 : 0];
    auto it = table.find(key);
    if (it != table.end()) return it->second;
    TIcon icon;
    icon.SetHandle(MakeIcon(Look, Small));
    Integer index = icon.GetEmpty() ? -1 : SystemImageList(Small)->AddIcon(&icon);
    table[key] = index;
    return index;
}

// Whether Path may be one of the desktop's drives: the home folder, "/" or the top of a mount.
bool MayBeDrive(const std::string& Path) {
    if (Path.empty() || Path == "/" || Path == ExcludeTrailingPathDelimiter(UserHomeFolder())) return true;
    struct stat self {
    }, parent{};
    return stat(Path.c_str(), &self) == 0 && stat(ExtractFileDir(Path).c_str(), &parent) == 0 &&
           self.st_dev != parent.st_dev;
}

uintptr_t FileInfo(const std::string& Path, bool Exists, bool Folder, bool UseName, const TItemIDList* IDList,
                   SHFILEINFO& Info, UINT Flags) {
    // The mount table is read only where it can matter.
    bool needDesktop =
        (Flags & SHGFI_ATTRIBUTES) || (IDList && (Flags & SHGFI_DISPLAYNAME)) || (Exists && Folder && MayBeDrive(Path));
    std::shared_ptr<TShellFolder> desktop = needDesktop ? TShellFolder::Desktop() : nullptr;
    bool open = (Flags & SHGFI_OPENICON) != 0, small = (Flags & SHGFI_SMALLICON) != 0;
    TLook look = LookOf(Path, Folder, open, UseName, desktop.get());
    if (Flags & SHGFI_TYPENAME) Info.szTypeName = look.TypeName;
    if (Flags & SHGFI_DISPLAYNAME) {
        if (IDList && !IDList->empty())
            Info.szDisplayName = desktop->GetDisplayNameOf(*IDList, SHGDN_NORMAL);
        else if (Path.empty())
            Info.szDisplayName = "Desktop";
        else
            Info.szDisplayName = Path == "/" ? Path : ExtractFileName(Path);
    }
    if ((Flags & SHGFI_ATTRIBUTES) && Exists) {
        TItemIDList item;
        Info.dwAttributes = Path.empty() ? desktop->GetAttributesOf({}, ~SFGAO_HASSUBFOLDER)
                            : desktop->ParseDisplayName(Path, item)
                                ? desktop->GetAttributesOf(item, ~SFGAO_HASSUBFOLDER)
                                : 0;
    }
    if (Flags & SHGFI_ICON) Info.hIcon = MakeIcon(look, small);
    if (Flags & SHGFI_SYSICONINDEX) {
        Info.iIcon = IconIndex(look, small);
        return reinterpret_cast<uintptr_t>(SystemImageList(small));
    }
    return 1;
}

}  // namespace

uintptr_t SHGetFileInfo(const std::string& Path, Cardinal FileAttributes, SHFILEINFO& Info, UINT Flags) {
    if (Flags & SHGFI_USEFILEATTRIBUTES)
        return FileInfo(Path, false, (FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, true, nullptr, Info, Flags);
    std::string path = Path.empty() ? Path : ExcludeTrailingPathDelimiter(ExpandFileName(Path));
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0) return 0;
    return FileInfo(path, true, S_ISDIR(st.st_mode), false, nullptr, Info, Flags);
}

uintptr_t SHGetFileInfo(const TItemIDList& IDList, Cardinal FileAttributes, SHFILEINFO& Info, UINT Flags) {
    std::string path;
    if (!SHGetPathFromIDList(IDList, path)) return FileInfo("", true, true, false, &IDList, Info, Flags);
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return 0;
    (void)FileAttributes;
    return FileInfo(path, true, S_ISDIR(st.st_mode), false, &IDList, Info, Flags);
}

TCustomImageList* SystemImageList(bool Small) {
    static TCustomImageList* lists[2] = {TCustomImageList::CreateSize(LargeSize, LargeSize),
                                         TCustomImageList::CreateSize(SmallSize, SmallSize)};
    // The first indexes are the system's standard icons, whoever asks first; the generic file
    // at SystemGenericFileIcon stands for files without an icon of their own.
    static bool seeded[2] = {false, false};
    const int which = Small ? 1 : 0;
    if (!seeded[which]) {
        seeded[which] = true;
        const TLook standard[] = {{{"text-x-generic"}, "SHELL_DOCUMENT", ""},
                                  FolderLook(false),
                                  FolderLook(true),
                                  {{"drive-harddisk"}, "SHELL_DRIVE", "Drive"},
                                  {{"unknown", "text-x-generic"}, "SHELL_DOCUMENT", ""}};
        for (const TLook& look : standard) IconIndex(look, Small);
    }
    return lists[which];
}

std::string ShellFileType(const std::string& Path) {
    return MimeTypeOfFile(Path).Name;
}
