#include "platform/shell_file_ops.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "framework/dialog_service.h"
#include "framework/file_utils.h"
#include "framework/registry.h"
#include "framework/sysutils.h"
#include "platform/file_copy.h"
#include "platform/trash.h"
#include "platform/user_folders.h"

namespace {

enum TAnswer { anDo, anSkip, anStop };

// One copy or move: its switches and the answers given so far.
struct TRun {
    bool Move = false;
    bool RenameOnCollision = false;
    bool Ask = false;
    bool ReplaceAll = false;
    // Moves across file systems check every copy before anything is deleted.
    bool Checked = false;
};

bool ReportError(const char* What, const std::string& Name, const std::string& Reason) {
    MessageDlg(Format("Cannot %s %s: %s", {What, Name, Reason}), mtError, {mbOK}, 0);
    return false;
}

bool HasMask(const std::string& Path) {
    return ExtractFileName(Path).find_first_of("*?") != std::string::npos;
}

bool Exists(const std::string& Path) {
    struct stat st {};
    return lstat(Path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& Path) {
    struct stat st {};
    return lstat(Path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The paths Sources stand for; a path missing and no mask is reported. Masked reports whether a
// mask was among them.
bool ExpandSources(const std::vector<std::string>& Sources, const char* What, std::vector<std::string>& Paths,
                   bool& Masked) {
    Masked = false;
    for (const std::string& source : Sources) {
        std::string path = ExcludeTrailingPathDelimiter(ExpandFileName(source));
        if (Exists(path) || !HasMask(path)) {
            if (!Exists(path)) return ReportError(What, path, std::strerror(ENOENT));
            Paths.push_back(path);
            continue;
        }
        Masked = true;
        TSearchRec rec;
        std::string folder = ExtractFilePath(path);
        for (Integer found = FindFirst(path, faAnyFile & ~faDirectory, rec); found == 0; found = FindNext(rec))
            Paths.push_back(folder + rec.Name);
        FindClose(rec);
    }
    return true;
}

// "name (2).ext", "name (3).ext" ... beside Target: the first that is free.
std::string FreeName(const std::string& Target) {
    std::string name = ExtractFileName(Target), ext = ExtractFileExt(name);
    if (ext == name || IsFolder(Target)) ext.clear();
    std::string stem = ExtractFilePath(Target) + name.substr(0, name.size() - ext.size());
    for (int n = 2;; ++n) {
        std::string candidate = stem + " (" + std::to_string(n) + ")" + ext;
        if (!Exists(candidate)) return candidate;
    }
}

TAnswer AskReplace(TRun& Run, const std::string& Source, const std::string& Target) {
    if (!Run.Ask || Run.ReplaceAll) return anDo;
    Integer answer = MessageDlg(Format("%s already exists.\n\nReplace it with %s?", {Target, Source}), mtConfirmation,
                                {mbYes, mbYesToAll, mbNo, mbCancel}, 0);
    if (answer == mrYesToAll) Run.ReplaceAll = true;
    if (answer == mrYes || answer == mrYesToAll) return anDo;
    return answer == mrNo ? anSkip : anStop;
}

// Deals with an existing Target before Source goes there: a free name instead, a question, or a
// refusal when a folder and a file would meet. Answers what to do; Target may change.
TAnswer Collision(TRun& Run, const std::string& Source, std::string& Target, const char* What) {
    if (!Exists(Target)) return anDo;
    if (Run.RenameOnCollision) {
        Target = FreeName(Target);
        return anDo;
    }
    if (IsFolder(Source) && IsFolder(Target)) return anDo;  // the folders are merged
    if (IsFolder(Source) != IsFolder(Target)) {
        ReportError(What, Source, Format("%s is in the way", {Target}));
        return anStop;
    }
    return AskReplace(Run, Source, Target);
}

std::vector<std::string> FolderEntries(const std::string& Folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(Folder.c_str())) {
        while (dirent* e = readdir(dir)) {
            std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool Inside(const std::string& Path, const std::string& Folder) {
    std::string folder = IncludeTrailingPathDelimiter(Folder);
    return Path.compare(0, folder.size(), folder) == 0;
}

bool CopyLink(const std::string& Source, const std::string& Target, const char* What) {
    std::vector<char> buffer(4096);
    ssize_t n = readlink(Source.c_str(), buffer.data(), buffer.size() - 1);
    if (n < 0) return ReportError(What, Source, std::strerror(errno));
    unlink(Target.c_str());
    if (symlink(std::string(buffer.data(), static_cast<size_t>(n)).c_str(), Target.c_str()) != 0)
        return ReportError(What, Target, std::strerror(errno));
    return true;
}

// Copies Source to Target (folders with everything in them). False stops the operation.
bool CopyItem(TRun& Run, const std::string& Source, std::string Target) {
    const char* what = Run.Move ? "move" : "copy";
    struct stat st {};
    if (lstat(Source.c_str(), &st) != 0) return ReportError(what, Source, std::strerror(errno));
    if (Exists(Target)) {
        if (SameFile(Source, Target) && !Run.RenameOnCollision)
            return ReportError(what, Source, "The source and the destination are the same file");
        TAnswer answer = Collision(Run, Source, Target, what);
        if (answer != anDo) return answer == anSkip;
    }
    if (S_ISLNK(st.st_mode)) return CopyLink(Source, Target, what);
    if (S_ISDIR(st.st_mode)) {
        if (Inside(Target, Source)) return ReportError(what, Source, "The destination is inside the folder");
        if (!IsFolder(Target) && mkdir(Target.c_str(), st.st_mode & 07777) != 0)
            return ReportError(what, Target, std::strerror(errno));
        for (const std::string& name : FolderEntries(Source))
            if (!CopyItem(Run, Source + "/" + name, Target + "/" + name)) return false;
        return true;
    }
    if (!S_ISREG(st.st_mode)) return true;  // devices, pipes and sockets are not copied
    try {
        CopyFileExactly(Source, Target, Run.Checked);
    } catch (const Exception& e) {
        return ReportError(what, Source, e.Message);
    }
    return true;
}

// Moves Source to Target. False stops the operation.
bool MoveItem(TRun& Run, const std::string& Source, std::string Target) {
    if (SameFile(Source, Target))
        return ReportError("move", Source, "The source and the destination are the same file");
    if (IsFolder(Source) && Inside(Target, Source))
        return ReportError("move", Source, "The destination is inside the folder");
    TAnswer answer = Collision(Run, Source, Target, "move");
    if (answer != anDo) return answer == anSkip;
    if (Exists(Target)) {
        if (IsFolder(Target)) {
            for (const std::string& name : FolderEntries(Source))
                if (!MoveItem(Run, Source + "/" + name, Target + "/" + name)) return false;
            rmdir(Source.c_str());  // stays when something in it was skipped
            return true;
        }
        try {
            MoveFileReplacing(Source, Target);
        } catch (const Exception& e) {
            return ReportError("move", Source, e.Message);
        }
        return true;
    }
    if (RenameFile(Source, Target)) return true;
    if (errno != EXDEV) return ReportError("move", Source, std::strerror(errno));
    // Another file system: everything is copied and checked before the source goes.
    TRun copy = Run;
    copy.Checked = true;
    if (!CopyItem(copy, Source, Target)) return false;
    std::error_code ec;
    std::filesystem::remove_all(Source, ec);
    if (ec) return ReportError("move", Source, ec.message());
    return true;
}

// Where each source goes.
bool Targets(const std::vector<std::string>& Paths, const std::vector<std::string>& Dests, bool Masked,
             const char* What, std::vector<std::string>& Out) {
    if (Dests.size() == Paths.size() && Paths.size() > 1 && !Masked) {
        for (const std::string& dest : Dests) Out.push_back(ExcludeTrailingPathDelimiter(ExpandFileName(dest)));
        return true;
    }
    if (Dests.size() != 1 || Dests[0].empty()) return ReportError(What, "", "No destination was given");
    std::string dest = ExcludeTrailingPathDelimiter(ExpandFileName(Dests[0]));
    bool intoFolder = Masked || Paths.size() > 1 || DirectoryExists(dest) || Dests[0].back() == '/';
    if (!intoFolder) {
        Out.push_back(dest);
        return true;
    }
    if (!ForceDirectories(dest)) return ReportError(What, dest, std::strerror(errno));
    for (const std::string& path : Paths) Out.push_back(IncludeTrailingPathDelimiter(dest) + ExtractFileName(path));
    return true;
}

bool Transfer(TRun& Run, const std::vector<std::string>& Sources, const std::vector<std::string>& Dests) {
    const char* what = Run.Move ? "move" : "copy";
    std::vector<std::string> paths, targets;
    bool masked = false;
    if (!ExpandSources(Sources, what, paths, masked)) return false;
    if (paths.empty()) return true;
    if (!Targets(paths, Dests, masked, what, targets)) return false;
    for (size_t i = 0; i < paths.size(); ++i)
        if (!(Run.Move ? MoveItem(Run, paths[i], targets[i]) : CopyItem(Run, paths[i], targets[i]))) return false;
    return true;
}

}  // namespace

bool ShellCopyFiles(HWND, const std::vector<std::string>& Sources, const std::vector<std::string>& Dests,
                    bool RenameOnCollision, bool Confirm) {
    TRun run;
    run.RenameOnCollision = RenameOnCollision;
    run.Ask = Confirm;
    return Transfer(run, Sources, Dests);
}

bool ShellMoveFiles(HWND, const std::vector<std::string>& Sources, const std::vector<std::string>& Dests,
                    bool RenameOnCollision, bool NoConfirm) {
    TRun run;
    run.Move = true;
    run.RenameOnCollision = RenameOnCollision;
    run.Ask = !NoConfirm;
    return Transfer(run, Sources, Dests);
}

bool ShellDeleteFiles(HWND, const std::vector<std::string>& Paths, bool Recycle, bool Confirm) {
    const char* what = Recycle ? "move to the trash" : "delete";
    std::vector<std::string> paths;
    bool masked = false;
    if (!ExpandSources(Paths, what, paths, masked)) return false;
    if (paths.empty()) return true;
    if (Confirm) {
        std::string subject = paths.size() == 1 ? "\"" + ExtractFileName(paths[0]) + "\""
                                                : Format("these %d items", {Integer(paths.size())});
        std::string text = Recycle ? Format("Are you sure you want to move %s to the trash?", {subject})
                                   : Format("Are you sure you want to delete %s for good?", {subject});
        if (MessageDlg(text, mtConfirmation, {mbYes, mbNo}, 0) != mrYes) return false;
    }
    for (const std::string& path : paths) {
        if (Recycle) {
            std::string reason;
            if (!MoveToTrash(path, &reason)) return ReportError(what, path, reason);
            continue;
        }
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
        if (ec) return ReportError(what, path, ec.message());
    }
    return true;
}

std::string GetShellFolderPath(const std::string& ValueName) {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (reg.OpenKeyReadOnly("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders") &&
        reg.ValueExists(ValueName))
        return reg.ReadString(ValueName);
    static const struct {
        const char* ValueName;
        const char* Key;
    } roles[] = {{"Desktop", "DESKTOP"}, {"Personal", "DOCUMENTS"}, {"My Pictures", "PICTURES"},
                 {"My Music", "MUSIC"},  {"My Video", "VIDEOS"},    {"Templates", "TEMPLATES"}};
    for (const auto& role : roles)
        if (SameText(ValueName, role.ValueName)) return ExcludeTrailingPathDelimiter(UserSpecialFolder(role.Key));
    return {};
}
