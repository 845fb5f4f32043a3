// The path and file routines of the catalogue's vocabulary (declared in lm_types.h).

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "catalogue/lm_types.h"
#include "framework/controls.h"
#include "framework/dialog_service.h"
#include "framework/file_utils.h"
#include "platform/file_copy.h"
#include "framework/graphics.h"
#include "framework/sysutils.h"

namespace {

// Whether anything (a dangling link included) stands under Name.
bool NameTaken(const std::string& Name) {
    struct stat st {};
    return lstat(Name.c_str(), &st) == 0;
}

}  // namespace

std::string GetTempDirectory() { return GetTempPath(); }

std::string ExtractExtNoDot(const std::string& Name) {
    const std::string ext = ExtractFileExt(Name);
    return ext.empty() ? ext : ext.substr(1);
}

std::string ExtractNameNoExt(const std::string& Name) {
    const std::string name = ExtractFileName(Name);
    return name.substr(0, name.size() - ExtractFileExt(name).size());
}

std::string ReplaceExtension(const std::string& Name, const std::string& NewExt) {
    return Name.substr(0, Name.size() - ExtractFileExt(Name).size()) + NewExt;
}

std::string AddTrailingDelimiter(const std::string& S) {
    if (S.empty() || S.back() == '\\' || S.back() == '/') return S;
    return S + PathDelim;
}

std::string RemoveTrailingDelimiter(const std::string& S) {
    if (!S.empty() && (S.back() == '\\' || S.back() == '/')) return S.substr(0, S.size() - 1);
    return S;
}

bool IsFileReadOnly(const std::string& Name) {
    const Integer attr = FileGetAttr(Name);
    return attr == -1 || (attr & faReadOnly) != 0;
}

bool GetFileAttributeFlags(const std::string& Name, bool& ReadOnly, bool& Hidden, bool& System, bool& Archive) {
    const Integer attr = FileGetAttr(Name);
    if (attr == -1) return false;
    ReadOnly = (attr & faReadOnly) != 0;
    Hidden = (attr & faHidden) != 0;
    System = (attr & faSysFile) != 0;
    Archive = (attr & faArchive) != 0;
    return true;
}

namespace {

constexpr Integer kMostNumbers = 2000000;

std::string FirstFree(const std::function<std::string(Integer)>& Candidate) {
    std::string name;
    for (Integer n = 1; n <= kMostNumbers; ++n) {
        name = Candidate(n);
        if (!NameTaken(name)) break;
    }
    return name;
}

}  // namespace

std::string UniqueDirectoryName(const std::string& Dir) {
    const std::string base = RemoveTrailingDelimiter(Dir);
    return FirstFree([&](Integer n) { return n == 1 ? Dir : base + "_" + IntToStr(n); });
}

std::string NumberedFileName(const std::string& Name, Integer N) {
    if (N == 1) return Name;
    return ExtractFilePath(Name) + ExtractNameNoExt(Name) + "_" + IntToStr(N) + ExtractFileExt(Name);
}

std::string UniqueFileName(const std::string& Name) {
    return FirstFree([&](Integer n) { return NumberedFileName(Name, n); });
}

bool CopyFileVerified(const std::string& Source, const std::string& Dest) {
    try {
        // Copying a file onto itself would empty it and still pass the size check.
        if (!FileExists(Source) || SameFile(Source, Dest)) return false;
        CopyFileExactly(Source, Dest, true);
        if (FileSize(Source) != FileSize(Dest)) {
            DeleteFile(Dest);
            return false;
        }
        return true;
    } catch (const Exception&) {
        return false;
    }
}

bool ForceDirectoriesPrompt(const std::string& Dir, bool Ask) {
    if (Dir.empty() || Dir == "/") return false;
    if (Ask && MessageDlg("The directory, " + Dir + " does not exist.  Would you like to create it?", mtConfirmation,
                          mbOKCancel) == mrCancel)
        return false;
    const std::string failed = "An error was encountered whilst trying to create the directory, " + Dir;
    std::vector<std::string> levels;
    try {
        const std::string path = AddTrailingDelimiter(Dir);
        for (size_t i = 1; i < path.size(); ++i)
            if (path[i] == '/' && !DirectoryExists(path.substr(0, i + 1))) levels.push_back(path.substr(0, i + 1));
    } catch (const Exception&) {
        MessageDlg(failed, mtWarning, {mbOK});
        return false;
    }
    for (size_t i = 0; i < levels.size(); ++i) {
        if (CreateDir(levels[i])) continue;
        MessageDlg(failed, mtWarning, {mbOK});
        while (i > 0) RemoveDir(levels[--i]);
        return false;
    }
    return true;
}

std::string GetShortPath(const std::string& Path) { return Path; }

std::string GetLongPath(const std::string& Path) {
    try {
        if (Path.empty()) return Path;
        std::string full = ExpandFileName(Path);
        if (full.size() > 1) full = ExcludeTrailingPathDelimiter(full);
        for (size_t i = 1; i <= full.size(); ++i)
            if ((i == full.size() || full[i] == '/') && !NameTaken(full.substr(0, i))) return Path;
        return full;
    } catch (const Exception&) {
        return Path;
    }
}

bool CreateShellLink(const std::string& Target, const std::string& LinkName) {
    const std::string base = ChangeFileExt(LinkName, "");
    std::string name = base + ".lnk";
    for (Integer n = 1; NameTaken(name) && n <= kMostNumbers; ++n) name = base + "(" + IntToStr(n) + ").lnk";
    return symlink(Target.c_str(), name.c_str()) == 0;
}

// ---------------------------------------------------------------------------------------------
// Path compaction

std::string CompactPath(const std::string& Path, Integer Width,
                        const std::function<Integer(const std::string&)>& Measure, bool AsText) {
    if (AsText && (Path.empty() || Path[0] != '/')) {
        std::string text = Path;
        while (!text.empty() && Measure(text + "..") > Width) text = Utf8Copy(text, 1, Utf8Length(text) - 1);
        return text + "..";
    }
    std::string folder = ExtractFilePath(Path);
    const std::string name = ExtractFileName(Path);
    const std::string ellipsis = "...";
    const std::string elided = ellipsis + PathDelim;
    while (!folder.empty() && Measure(folder + name) > Width) {
        if (folder == PathDelim + elided) {
            folder = elided;
            continue;
        }
        std::string kept;
        if (folder[0] == PathDelim) {
            kept = PathDelim;
            folder.erase(0, 1);
        }
        if (folder.compare(0, elided.size(), elided) == 0) folder.erase(0, elided.size());
        const size_t at = folder.find(PathDelim);
        folder = at == std::string::npos ? std::string() : kept + elided + folder.substr(at + 1);
    }
    return folder + name;
}

namespace {

// The width of texts in the font Window shows them in.
std::function<Integer(const std::string&)> MeasureIn(TControl* Window) {
    auto bitmap = std::make_shared<TBitmap>();
    if (Window) bitmap->GetCanvas()->GetFont()->Assign(Window->GetFont());
    return [bitmap](const std::string& Text) { return bitmap->GetCanvas()->TextWidth(Text); };
}

}  // namespace

std::string CompactPathToWindow(TControl* Window, const std::string& Path) {
    return CompactPath(Path, Window ? Window->GetWidth() : 0, MeasureIn(Window), false);
}

std::string CompactPathToWidth(TControl* Window, const std::string& Text, Integer Width) {
    return CompactPath(Text, Width, MeasureIn(Window), true);
}
