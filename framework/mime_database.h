#pragma once
// The shared MIME database and the desktop's icon theme, as the shell's file types and icons
// need them. The Qt backend reads both (framework/qt/mime_database_qt.cpp).

#include <string>

#include "framework/windows_gdi.h"

struct TMimeTypeInfo {
    std::string Name;  // "image/png", "inode/directory"
    std::string Comment;  // "PNG image"
    std::string IconName;  // "image-png"
    std::string GenericIconName;  // "image-x-generic"
};

// The type of a file by its name and, when it can be read, its content; a folder is
// "inode/directory".
TMimeTypeInfo MimeTypeOfFile(const std::string& FileName);
// The type by the name alone.
TMimeTypeInfo MimeTypeOfName(const std::string& FileName);
// The icon theme's icon of that name, Size pixels square; nullptr when the theme has none. The
// caller destroys it (DestroyIcon).
HICON ThemeIcon(const std::string& IconName, Integer Size);
