#include "platform/shell_namespace.h"

#include <dirent.h>
#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sstream>

#include "framework/file_utils.h"
#include "framework/sysutils.h"
#include "platform/user_folders.h"

namespace {

// "\040" and the like back to their bytes.
std::string Unescape(const std::string& S) {
    std::string out;
    for (size_t i = 0; i < S.size(); ++i) {
        if (S[i] == '\\' && i + 3 < S.size() && std::isdigit(static_cast<unsigned char>(S[i + 1]))) {
            out += static_cast<char>(std::stoi(S.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            out += S[i];
        }
    }
    return out;
}

bool Under(const std::string& Path, const std::string& Folder) {
    if (Folder == "/") return Path.size() > 1 && Path[0] == '/';
    return Path.size() > Folder.size() && Path.compare(0, Folder.size(), Folder) == 0 && Path[Folder.size()] == '/';
}

bool SameOrUnder(const std::string& Path, const std::string& Folder) {
    return Path == Folder || Under(Path, Folder);
}

std::string Join(const std::string& Folder, const std::string& Name) {
    return IncludeTrailingPathDelimiter(Folder) + Name;
}

std::string FirstLine(const std::string& FileName) {
    std::ifstream in(FileName);
    std::string line;
    std::getline(in, line);
    return line;
}

// The folder bit of an item, following a link.
bool IsFolderPath(const std::string& Path) {
    struct stat st {};
    return stat(Path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Whether the user may write Folder, judged from its permission bits as the file attributes are.
bool FolderWritable(const std::string& Folder) {
    return DirectoryExists(Folder) && !FileIsReadOnly(Folder);
}

bool HasSubfolder(const std::string& Folder) {
    DIR* dir = opendir(Folder.c_str());
    if (!dir) return false;
    bool found = false;
    while (!found) {
        dirent* e = readdir(dir);
        if (!e) break;
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        if (e->d_type == DT_DIR)
            found = true;
        else if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK)
            found = IsFolderPath(Join(Folder, name));
    }
    closedir(dir);
    return found;
}

bool ValidName(const std::string& Name) {
    return !Name.empty() && Name != "." && Name != ".." && Name.find('/') == std::string::npos &&
           Name.find('\0') == std::string::npos;
}

Integer Sign(Int64 V) {
    return V < 0 ? -1 : V > 0 ? 1 : 0;
}

}  // namespace

std::vector<TMountEntry> ParseMountInfo(const std::string& Text) {
    std::vector<TMountEntry> entries;
    std::istringstream lines(Text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::vector<std::string> f;
        for (std::string w; fields >> w;) f.push_back(w);
        auto dash = std::find(f.begin(), f.end(), "-");
        if (f.size() < 5 || dash == f.end() || f.end() - dash < 3) continue;
        entries.push_back({Unescape(f[4]), Unescape(*(dash + 2)), *(dash + 1)});
    }
    return entries;
}

std::vector<TMountEntry> MountTable() {
    std::ifstream in("/proc/self/mountinfo");
    std::stringstream text;
    text << in.rdbuf();
    return ParseMountInfo(text.str());
}

TMountEntry MountOf(const std::string& Path, const std::vector<TMountEntry>& Table) {
    TMountEntry best{"/", "", ""};
    size_t bestLength = 0;
    for (const TMountEntry& e : Table)
        if (SameOrUnder(Path, e.MountPoint) && e.MountPoint.size() >= bestLength) {
            best = e;
            bestLength = e.MountPoint.size();
        }
    return best;
}

bool IsVolume(const TMountEntry& Entry) {
    const std::string& m = Entry.MountPoint;
    if (m == "/") return false;
    if (Under(m, "/media") || Under(m, "/run/media") || Under(m, "/mnt")) return true;
    if (Entry.Source.rfind("/dev/", 0) != 0) return false;
    for (const char* system : {"/boot", "/proc", "/sys", "/dev", "/run", "/snap", "/var", "/usr", "/etc"})
        if (SameOrUnder(m, system)) return false;
    return true;
}

bool IsRemovableVolume(const TMountEntry& Entry) {
    if (Under(Entry.MountPoint, "/media") || Under(Entry.MountPoint, "/run/media")) return true;
    if (Entry.Source.rfind("/dev/", 0) != 0) return false;
    std::string block = "/sys/class/block/" + ExtractFileName(Entry.Source);
    if (FirstLine(block + "/removable") == "1") return true;
    // A partition tells it through its disk.
    return FirstLine(block + "/../removable") == "1";
}

// ---------------------------------------------------------------------------------------------

TShellFolder::TShellFolder(std::shared_ptr<const TDrives> Drives, std::string Path, TItemIDList IDList)
    : FDrives(std::move(Drives)), FPath(std::move(Path)), FIDList(std::move(IDList)) {}

std::shared_ptr<TShellFolder> TShellFolder::Desktop() {
    return Desktop(MountTable(), UserHomeFolder());
}

std::shared_ptr<TShellFolder> TShellFolder::Desktop(const std::vector<TMountEntry>& Table, const std::string& Home) {
    auto drives = std::make_shared<TDrives>();
    drives->Home = ExcludeTrailingPathDelimiter(Home);
    auto add = [&](const std::string& Path, bool Removable) {
        if (std::find(drives->Paths.begin(), drives->Paths.end(), Path) != drives->Paths.end()) return;
        drives->Paths.push_back(Path);
        drives->Removable.push_back(Removable);
    };
    add(drives->Home, false);
    add("/", false);
    for (const TMountEntry& e : Table)
        if (IsVolume(e)) add(e.MountPoint, IsRemovableVolume(e));
    return std::shared_ptr<TShellFolder>(new TShellFolder(std::move(drives), "", {}));
}

std::string TShellFolder::PathOf(const TItemIDList& Item) const {
    std::string path = FPath;
    for (const std::string& step : Item) path = path.empty() ? step : Join(path, step);
    return path;
}

bool TShellFolder::EnumObjects(Cardinal Flags, std::vector<TItemIDList>& Items) const {
    Items.clear();
    if (IsDesktop()) {
        for (const std::string& drive : FDrives->Paths) Items.push_back({drive});
        return true;
    }
    DIR* dir = opendir(FPath.c_str());
    if (!dir) return false;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        if (name[0] == '.' && !(Flags & SHCONTF_INCLUDEHIDDEN)) continue;
        bool folder = e->d_type == DT_DIR ||
                      ((e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) && IsFolderPath(Join(FPath, name)));
        if (folder ? (Flags & SHCONTF_FOLDERS) : (Flags & SHCONTF_NONFOLDERS)) Items.push_back({name});
    }
    closedir(dir);
    return true;
}

Cardinal TShellFolder::GetAttributesOf(const TItemIDList& Item, Cardinal Mask) const {
    std::string path = PathOf(Item);
    if (path.empty()) return (SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_HASSUBFOLDER) & Mask;  // the desktop
    struct stat link {};
    if (lstat(path.c_str(), &link) != 0) return 0;
    Cardinal a = SFGAO_FILESYSTEM | SFGAO_CANCOPY | SFGAO_CANLINK | SFGAO_HASPROPSHEET;
    bool folder = IsFolderPath(path);
    if (folder) a |= SFGAO_FOLDER | SFGAO_FILESYSANCESTOR;
    if (folder && FolderWritable(path)) a |= SFGAO_DROPTARGET;
    if (S_ISLNK(link.st_mode)) a |= SFGAO_LINK;
    if (ExtractFileName(path).rfind('.', 0) == 0) a |= SFGAO_GHOSTED;
    if (FileIsReadOnly(path)) a |= SFGAO_READONLY;
    auto drive = std::find(FDrives->Paths.begin(), FDrives->Paths.end(), path);
    if (drive != FDrives->Paths.end()) {
        if (FDrives->Removable[static_cast<size_t>(drive - FDrives->Paths.begin())]) a |= SFGAO_REMOVABLE;
    } else if (FolderWritable(ExtractFileDir(path))) {
        a |= SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_CANMOVE;
    }
    if (folder && (Mask & SFGAO_HASSUBFOLDER) && HasSubfolder(path)) a |= SFGAO_HASSUBFOLDER;
    return a & Mask;
}

std::string TShellFolder::DriveName(const std::string& Drive) const {
    if (Drive == FDrives->Home) return "Home";
    if (Drive == "/") return "File System";
    return ExtractFileName(Drive);
}

std::string TShellFolder::GetDisplayNameOf(const TItemIDList& Item, Cardinal Flags) const {
    std::string path = PathOf(Item);
    if (path.empty()) return "Desktop";
    bool isDrive = std::find(FDrives->Paths.begin(), FDrives->Paths.end(), path) != FDrives->Paths.end();
    if (Flags & SHGDN_FORPARSING) return (Flags & SHGDN_INFOLDER) && !isDrive ? ExtractFileName(path) : path;
    return isDrive ? DriveName(path) : ExtractFileName(path);
}

bool TShellFolder::ParseDisplayName(const std::string& Name, TItemIDList& Item) const {
    Item.clear();
    if (Name.empty()) return false;
    std::string path, base;
    if (IsDesktop()) {
        if (Name[0] != '/') return false;
        path = ExcludeTrailingPathDelimiter(ExpandFileName(Name));
        // The innermost drive that holds the path.
        for (const std::string& drive : FDrives->Paths)
            if (SameOrUnder(path, drive) && drive.size() >= base.size()) base = drive;
        if (base.empty()) return false;
        Item.push_back(base);
    } else {
        if (Name[0] == '/') return false;
        base = FPath;
        path = ExcludeTrailingPathDelimiter(ExpandFileName(Join(FPath, Name)));
        if (!Under(path, base)) return false;
    }
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        Item.clear();
        return false;
    }
    std::string rest = path.substr(std::min(path.size(), base.size()));
    std::istringstream steps(rest);
    for (std::string step; std::getline(steps, step, '/');)
        if (!step.empty()) Item.push_back(step);
    return true;
}

std::shared_ptr<TShellFolder> TShellFolder::BindToObject(const TItemIDList& Item) const {
    std::string path = PathOf(Item);
    if (path.empty() || !IsFolderPath(path)) return nullptr;
    TItemIDList list = FIDList;
    list.insert(list.end(), Item.begin(), Item.end());
    return std::shared_ptr<TShellFolder>(new TShellFolder(FDrives, path, std::move(list)));
}

Integer TShellFolder::CompareIDs(Integer Column, const TItemIDList& A, const TItemIDList& B) const {
    if (A.empty() || B.empty()) return Sign(Int64(A.size()) - Int64(B.size()));
    Integer result = 0;
    if (IsDesktop()) {
        auto pos = [&](const std::string& d) { return std::find(FDrives->Paths.begin(), FDrives->Paths.end(), d); };
        result = Sign(pos(A[0]) - pos(B[0]));
        if (result == 0 && A[0] != B[0]) result = A[0] < B[0] ? -1 : 1;
    } else {
        std::string pa = Join(FPath, A[0]), pb = Join(FPath, B[0]);
        bool fa = IsFolderPath(pa), fb = IsFolderPath(pb);
        if (fa != fb) return fa ? -1 : 1;
        struct stat sa {
        }, sb{};
        stat(pa.c_str(), &sa);
        stat(pb.c_str(), &sb);
        switch (Column) {
            case 1: result = Sign(Int64(sa.st_size) - Int64(sb.st_size)); break;
            case 2: result = Sign(CompareText(ExtractFileExt(A[0]), ExtractFileExt(B[0]))); break;
            case 3: result = Sign(Int64(sa.st_mtime) - Int64(sb.st_mtime)); break;
            default: break;
        }
        if (result == 0) result = CompareItemNames(A[0], B[0]);
    }
    if (result != 0) return result;
    // The same first step: the rest decides, inside that item.
    if (A.size() == 1 || B.size() == 1) return Sign(Int64(A.size()) - Int64(B.size()));
    auto inner = BindToObject({A[0]});
    if (!inner) return 0;
    return inner->CompareIDs(Column, TItemIDList(A.begin() + 1, A.end()), TItemIDList(B.begin() + 1, B.end()));
}

bool TShellFolder::SetNameOf(const TItemIDList& Item, const std::string& NewName, TItemIDList& NewItem) const {
    if (IsDesktop() || Item.size() != 1 || !ValidName(NewName)) {
        errno = EINVAL;
        return false;
    }
    if (!RenameFile(PathOf(Item), Join(FPath, NewName))) return false;
    NewItem = {NewName};
    return true;
}

Integer CompareItemNames(const std::string& A, const std::string& B) {
    Integer result = Sign(CompareText(A, B));
    if (result == 0 && A != B) result = A < B ? -1 : 1;
    return result;
}

bool SHGetPathFromIDList(const TItemIDList& IDList, std::string& Path) {
    Path.clear();
    if (IDList.empty()) return false;
    Path = IDList[0];
    for (size_t i = 1; i < IDList.size(); ++i) Path = Join(Path, IDList[i]);
    return true;
}

bool SHGetSpecialFolderLocation(Integer CSIDL, TItemIDList& IDList) {
    IDList.clear();
    std::string folder;
    switch (CSIDL) {
        case CSIDL_DESKTOP:
        case CSIDL_DRIVES: return true;  // the desktop holds the drives
        case CSIDL_PROFILE: folder = UserHomeFolder(); break;
        case CSIDL_DESKTOPDIRECTORY: folder = UserSpecialFolder("DESKTOP"); break;
        case CSIDL_PERSONAL: folder = UserSpecialFolder("DOCUMENTS"); break;
        case CSIDL_MYPICTURES: folder = UserSpecialFolder("PICTURES"); break;
        case CSIDL_MYMUSIC: folder = UserSpecialFolder("MUSIC"); break;
        case CSIDL_MYVIDEO: folder = UserSpecialFolder("VIDEOS"); break;
        case CSIDL_TEMPLATES: folder = UserSpecialFolder("TEMPLATES"); break;
        default: return false;
    }
    if (folder.empty() || !DirectoryExists(folder)) return false;
    return TShellFolder::Desktop()->ParseDisplayName(folder, IDList);
}
