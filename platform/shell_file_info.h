#pragma once
// File facts for lists and trees: a file's type and type name from the shared MIME database, and
// its icon from the desktop's icon theme (our own artwork where the theme has none), also as an
// index into the system image lists. An icon keeps its index for the whole run, so indexes can
// be stored in nodes.

#include <string>

#include "framework/image_list.h"
#include "platform/shell_namespace.h"

constexpr UINT SHGFI_LARGEICON = 0x0000;
constexpr UINT SHGFI_SMALLICON = 0x0001;
constexpr UINT SHGFI_OPENICON = 0x0002;
constexpr UINT SHGFI_PIDL = 0x0008;
constexpr UINT SHGFI_USEFILEATTRIBUTES = 0x0010;
constexpr UINT SHGFI_ICON = 0x0100;
constexpr UINT SHGFI_DISPLAYNAME = 0x0200;
constexpr UINT SHGFI_TYPENAME = 0x0400;
constexpr UINT SHGFI_ATTRIBUTES = 0x0800;
constexpr UINT SHGFI_SYSICONINDEX = 0x4000;

constexpr Cardinal FILE_ATTRIBUTE_DIRECTORY = 0x10;

struct SHFILEINFO {
    HICON hIcon = nullptr;  // SHGFI_ICON: the caller destroys it
    Integer iIcon = 0;  // SHGFI_SYSICONINDEX
    Cardinal dwAttributes = 0;  // SHGFI_ATTRIBUTES: SFGAO_* (without HASSUBFOLDER)
    std::string szDisplayName;  // SHGFI_DISPLAYNAME
    std::string szTypeName;  // SHGFI_TYPENAME: "PNG image", "Folder"; "" for data of no known type
};

// The facts Flags asks for of Path (with SHGFI_USEFILEATTRIBUTES judged from the name and
// FileAttributes alone, without touching the file). Answers 0 when the file is missing; with
// SHGFI_SYSICONINDEX the system image list (as a number); otherwise 1.
uintptr_t SHGetFileInfo(const std::string& Path, Cardinal FileAttributes, SHFILEINFO& Info, UINT Flags);
// The same for an absolute item id list (SHGFI_PIDL); the empty list is the desktop.
uintptr_t SHGetFileInfo(const TItemIDList& IDList, Cardinal FileAttributes, SHFILEINFO& Info, UINT Flags);

// The system image list of small (16 pixels) or large (32 pixels) icons. It starts with the
// standard icons: a document, a folder, an open folder, a drive and, at SystemGenericFileIcon, the
// generic file that stands for files without an icon.
constexpr Integer SystemGenericFileIcon = 4;
TCustomImageList* SystemImageList(bool Small);
// The MIME type name of a file by its name and content ("image/png", "inode/directory").
std::string ShellFileType(const std::string& Path);
