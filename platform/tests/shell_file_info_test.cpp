#include <gtest/gtest.h>

#include <cstdio>

#include "framework/graphics.h"
#include "platform/shell_file_info.h"
#include "platform/tests/file_fixture.h"

namespace {

class ShellFileInfoTest : public FileTest {};

std::string GioType(const std::string& Path) {
    std::string out;
    if (FILE* p = popen(("gio info -a standard::content-type '" + Path + "' 2>/dev/null").c_str(), "r")) {
        char buf[512];
        while (size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
        pclose(p);
    }
    size_t at = out.find("standard::content-type: ");
    if (at == std::string::npos) return {};
    at += 24;
    return out.substr(at, out.find('\n', at) - at);
}

TEST_F(ShellFileInfoTest, TypesMatchTheSharedMimeDatabase) {
    // By content where the name says nothing or says wrong, by name otherwise.
    Make(dir_ + "picture.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    Make(dir_ + "no_extension", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    Make(dir_ + "notes.txt", "plain words\n");
    Make(dir_ + "script", "#!/bin/sh\necho hi\n");
    Make(dir_ + "page.html", "<html><body>x</body></html>\n");
    Make(dir_ + "empty.dat", "");
    Make(dir_ + "empty.png", "");
    std::filesystem::create_directories(dir_ + "folder");
    struct Case {
        std::string Name, Type;
    } cases[] = {{"picture.png", "image/png"}, {"no_extension", "image/png"},
                 {"notes.txt", "text/plain"},  {"script", "application/x-shellscript"},
                 {"page.html", "text/html"},   {"folder", "inode/directory"}};
    bool haveGio = std::system("command -v gio >/dev/null 2>&1") == 0;
    for (const Case& c : cases) {
        EXPECT_EQ(ShellFileType(dir_ + c.Name), c.Type) << c.Name;
        if (haveGio) {
            EXPECT_EQ(ShellFileType(dir_ + c.Name), GioType(dir_ + c.Name)) << c.Name;
        }
    }
    // Empty files hold no data of any type, whatever their names say.
    for (const char* name : {"empty.dat", "empty.png"}) {
        EXPECT_EQ(ShellFileType(dir_ + name), "text/plain");
        if (haveGio) {
            EXPECT_EQ(ShellFileType(dir_ + name), GioType(dir_ + name));
        }
    }
}

TEST_F(ShellFileInfoTest, TypeNamesIconsAndStableIndexes) {
    Make(dir_ + "a.txt", "a");
    Make(dir_ + "b.txt", "b");
    std::filesystem::create_directories(dir_ + "folder");
    SHFILEINFO info;
    ASSERT_NE(SHGetFileInfo(dir_ + "folder", 0, info, SHGFI_TYPENAME | SHGFI_DISPLAYNAME | SHGFI_ATTRIBUTES), 0u);
    EXPECT_EQ(info.szTypeName, "Folder");
    EXPECT_EQ(info.szDisplayName, "folder");
    EXPECT_TRUE(info.dwAttributes & SFGAO_FOLDER);
    EXPECT_EQ(SHGetFileInfo(dir_ + "missing", 0, info, SHGFI_TYPENAME), 0u);
    // Without touching the file: judged by name and the attributes given.
    SHFILEINFO byName;
    ASSERT_NE(SHGetFileInfo("/nowhere/x.png", 0, byName, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES), 0u);
    EXPECT_FALSE(byName.szTypeName.empty());
    SHFILEINFO folderByName;
    SHGetFileInfo("/nowhere/x.png", FILE_ATTRIBUTE_DIRECTORY, folderByName, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
    EXPECT_EQ(folderByName.szTypeName, "Folder");
    // Data the database cannot name has no type name (the caller makes one from the extension).
    Make(dir_ + "blob.qqq", std::string("\x01\x02\x03\x00\xff\xfe", 6));
    SHFILEINFO unnamed;
    ASSERT_NE(SHGetFileInfo(dir_ + "blob.qqq", 0, unnamed, SHGFI_TYPENAME), 0u);
    EXPECT_EQ(unnamed.szTypeName, "");

    // Indexes into the system list: one per kind of icon, the same every time.
    auto index = [&](const std::string& Path, UINT Extra) {
        SHFILEINFO i;
        uintptr_t list = SHGetFileInfo(Path, 0, i, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | Extra);
        EXPECT_EQ(list, reinterpret_cast<uintptr_t>(SystemImageList(true)));
        return i.iIcon;
    };
    Integer text = index(dir_ + "a.txt", 0), folder = index(dir_ + "folder", 0);
    Integer open = index(dir_ + "folder", SHGFI_OPENICON);
    EXPECT_GE(text, 0);
    EXPECT_GE(folder, 0);
    EXPECT_NE(text, folder);
    EXPECT_NE(open, folder);
    Integer count = SystemImageList(true)->GetCount();
    EXPECT_EQ(index(dir_ + "b.txt", 0), text);
    EXPECT_EQ(index(dir_ + "folder", 0), folder);
    EXPECT_EQ(SystemImageList(true)->GetCount(), count);
    EXPECT_EQ(SystemImageList(true)->GetWidth(), 16);
    // An icon of its own, drawn even where the theme has none.
    SHFILEINFO withIcon;
    SHGetFileInfo(dir_ + "folder", 0, withIcon, SHGFI_ICON);
    ASSERT_NE(withIcon.hIcon, nullptr);
    EXPECT_EQ(GetIconSize(withIcon.hIcon).cx, 32);
    DestroyIcon(withIcon.hIcon);
    // The desktop through its empty list.
    SHFILEINFO desktop;
    ASSERT_NE(SHGetFileInfo(TItemIDList{}, 0, desktop, SHGFI_DISPLAYNAME | SHGFI_PIDL), 0u);
    EXPECT_EQ(desktop.szDisplayName, "Desktop");
}

TEST_F(ShellFileInfoTest, SystemListsStartWithTheStandardIcons) {
    std::filesystem::create_directories(dir_ + "folder");
    for (bool small : {false, true}) {
        SCOPED_TRACE(small ? "small" : "large");
        EXPECT_GT(SystemImageList(small)->GetCount(), SystemGenericFileIcon);
        // Whoever asks first, a folder is the second standard icon.
        SHFILEINFO folder;
        SHGetFileInfo(dir_ + "folder", 0, folder, SHGFI_SYSICONINDEX | (small ? SHGFI_SMALLICON : SHGFI_LARGEICON));
        EXPECT_EQ(folder.iIcon, 1);
    }
}

}  // namespace
