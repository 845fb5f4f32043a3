#include "platform/shell_properties.h"

#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "framework/date_time.h"
#include "framework/file_utils.h"
#include "framework/formatting.h"
#include "framework/mime_database.h"
#include "framework/std_controls.h"
#include "framework/sysutils.h"
#include "platform/shell_namespace.h"

namespace {

std::string Grouped(UInt64 N) {
    std::string digits = std::to_string(N), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string Bytes(UInt64 N) {
    return Grouped(N) + (N == 1 ? " byte" : " bytes");
}

std::string Plural(UInt64 N, const char* One, const char* Many) {
    return Grouped(N) + " " + (N == 1 ? One : Many);
}

std::string DateText(time_t Time) {
    return FormatDateTime("yyyy-mm-dd hh:nn:ss", FileDateToDateTime(Int64(Time)));
}

std::string Permissions(const struct stat& St) {
    std::string s = S_ISDIR(St.st_mode) ? "d" : S_ISLNK(St.st_mode) ? "l" : "-";
    const char* letters = "rwxrwxrwx";
    for (int i = 0; i < 9; ++i) s += (St.st_mode & (0400 >> i)) ? letters[i] : '-';
    const passwd* pw = getpwuid(St.st_uid);
    const group* gr = getgrgid(St.st_gid);
    return s + "  owner " + (pw ? pw->pw_name : std::to_string(St.st_uid)) + ", group " +
           (gr ? gr->gr_name : std::to_string(St.st_gid));
}

// Files and folders directly inside Folder.
void CountEntries(const std::string& Folder, UInt64& Files, UInt64& Folders) {
    Files = Folders = 0;
    DIR* dir = opendir(Folder.c_str());
    if (!dir) return;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        if (stat((IncludeTrailingPathDelimiter(Folder) + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            ++Folders;
        else
            ++Files;
    }
    closedir(dir);
}

std::string TypeText(const std::string& Path, const struct stat& Link) {
    if (S_ISLNK(Link.st_mode)) {
        std::vector<char> target(4096);
        ssize_t n = readlink(Path.c_str(), target.data(), target.size() - 1);
        return "Link to " + (n >= 0 ? std::string(target.data(), size_t(n)) : std::string("?"));
    }
    if (S_ISDIR(Link.st_mode)) return "Folder";
    TMimeTypeInfo type = MimeTypeOfFile(Path);
    return type.Comment.empty() ? type.Name : type.Comment + " (" + type.Name + ")";
}

void OneItemRows(const std::string& Path, std::vector<TPropertyRow>& Rows) {
    struct stat link {
    }, st{};
    if (lstat(Path.c_str(), &link) != 0) return;
    if (stat(Path.c_str(), &st) != 0) st = link;
    Rows.push_back({"Name:", Path == "/" ? Path : ExtractFileName(Path)});
    Rows.push_back({"Type:", TypeText(Path, link)});
    if (Path != "/") Rows.push_back({"Location:", ExtractFileDir(Path)});
    if (S_ISDIR(st.st_mode)) {
        UInt64 files = 0, folders = 0;
        CountEntries(Path, files, folders);
        Rows.push_back({"Contains:", Plural(files, "file", "files") + ", " + Plural(folders, "folder", "folders")});
    } else {
        Rows.push_back({"Size:", Bytes(UInt64(st.st_size))});
    }
    Rows.push_back({"Modified:", DateText(st.st_mtime)});
    Rows.push_back({"Accessed:", DateText(st.st_atime)});
    Rows.push_back({"Changed:", DateText(st.st_ctime)});
    Rows.push_back({"Permissions:", Permissions(link)});
    TMountEntry mount = MountOf(Path, MountTable());
    struct statvfs vfs {};
    if (mount.MountPoint == Path && statvfs(Path.c_str(), &vfs) == 0) {
        Rows.push_back({"File system:", mount.FileSystem + (mount.Source.empty() ? "" : " on " + mount.Source)});
        Rows.push_back({"Free space:", Bytes(UInt64(vfs.f_bavail) * vfs.f_frsize) + " of " +
                                           Bytes(UInt64(vfs.f_blocks) * vfs.f_frsize)});
    }
}

}  // namespace

std::vector<TPropertyRow> ShellPropertyRows(const std::vector<std::string>& Paths) {
    std::vector<TPropertyRow> rows;
    std::vector<std::string> existing;
    for (const std::string& p : Paths) {
        std::string path = p == "/" ? p : ExcludeTrailingPathDelimiter(ExpandFileName(p));
        struct stat st {};
        if (lstat(path.c_str(), &st) == 0) existing.push_back(path);
    }
    if (existing.size() == 1) {
        OneItemRows(existing[0], rows);
        return rows;
    }
    if (existing.empty()) return rows;
    UInt64 files = 0, folders = 0, size = 0;
    std::string folder = ExtractFileDir(existing[0]);
    for (const std::string& path : existing) {
        struct stat st {};
        stat(path.c_str(), &st);
        if (S_ISDIR(st.st_mode)) {
            ++folders;
        } else {
            ++files;
            size += UInt64(st.st_size);
        }
        if (ExtractFileDir(path) != folder) folder = "Several folders";
    }
    rows.push_back({"Items:", Plural(files + folders, "item", "items") + " (" + Plural(files, "file", "files") + ", " +
                                  Plural(folders, "folder", "folders") + ")"});
    rows.push_back({"Location:", folder});
    rows.push_back({"Size:", Bytes(size) + " in files"});
    return rows;
}

TShellPropertiesForm::TShellPropertiesForm(TComponent* AOwner, const std::vector<std::string>& Paths)
    : TForm(AOwner), FRows(ShellPropertyRows(Paths)) {
    std::string title = Value("Name:");
    SetCaption(title.empty() ? "Properties" : title + " Properties");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    const Integer captionLeft = 12, valueLeft = 104, rowHeight = 22, width = 440;
    Integer top = 12;
    for (const TPropertyRow& row : FRows) {
        auto* caption = new TLabel(this);
        caption->SetParent(this);
        caption->SetBounds(captionLeft, top, valueLeft - captionLeft - 4, rowHeight - 4);
        caption->SetCaption(row.first);
        auto* value = new TLabel(this);
        value->SetParent(this);
        value->SetBounds(valueLeft, top, width - valueLeft - 12, rowHeight - 4);
        value->SetCaption(row.second);
        top += rowHeight;
    }
    auto* ok = new TButton(this);
    ok->SetParent(this);
    ok->SetCaption("OK");
    ok->SetBounds(width - 87, top + 8, 75, 25);
    ok->SetModalResult(mrOk);
    ok->SetDefault(true);
    ok->SetCancel(true);
    SetClientWidth(width);
    SetClientHeight(top + 45);
}

std::string TShellPropertiesForm::Value(const std::string& Caption) const {
    for (const TPropertyRow& row : FRows)
        if (row.first == Caption) return row.second;
    return {};
}

bool ShowShellProperties(const std::vector<std::string>& Paths) {
    auto* form = new TShellPropertiesForm(nullptr, Paths);
    bool any = !form->Rows().empty();
    if (any) form->ShowModal();
    form->Free();
    return any;
}
