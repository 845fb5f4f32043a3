#include "app/app_paths.h"

#include <unistd.h>

#include "framework/dialog_service.h"
#include "framework/dynlib.h"
#include "framework/file_utils.h"
#include "framework/graphics.h"
#include "framework/math_utils.h"
#include "framework/string_list.h"
#include "framework/sysutils.h"
#include "platform/user_folders.h"

namespace {

std::string gProgramFolderOverride;

bool EndsWithSeparator(const std::string& S) {
    return !S.empty() && (S.back() == '/' || S.back() == '\\');
}

std::string WithoutTrailingSeparator(std::string S) {
    if (EndsWithSeparator(S)) S.pop_back();
    return S;
}

// A folder that exists or could be made.
bool EnsureFolder(const std::string& Folder) {
    try {
        return DirectoryExists(Folder) || ForceDirectories(Folder);
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace

std::string AppProgramFolder() {
    return gProgramFolderOverride.empty() ? ProgramFolder() : gProgramFolderOverride;
}

void SetAppProgramFolder(const std::string& Folder) {
    gProgramFolderOverride = Folder.empty() ? std::string() : IncludeTrailingPathDelimiter(Folder);
}

bool FolderIsWritable(const std::string& Folder) {
    return DirectoryExists(Folder) && !FileIsReadOnly(Folder) && access(Folder.c_str(), W_OK) == 0;
}

TAppFolders ChooseAppFolders(const std::string& ProgramFolder) {
    if (FolderIsWritable(ProgramFolder)) return {ProgramFolder, ProgramFolder};
    const std::string temp = GetTempPath();
    const std::string data = UserDataFolder(DataFolderName);
    if (EnsureFolder(data)) return {data, temp};
    return {temp, temp};
}

std::string GetPathInfo(const std::string& Path, bool InfoPart) {
    if (Path.empty() || Path[0] != '!') return InfoPart ? std::string() : Path;
    const size_t second = Path.find('!', 1);
    if (second == std::string::npos) return InfoPart ? Path.substr(1) : std::string();
    return InfoPart ? Path.substr(1, second - 1) : Path.substr(second + 1);
}

std::string ExpandRemovablePath(const std::string& Path, std::string& Drive) {
    if (Path.empty() || Path[0] != '%') return Path;
    if (Drive.empty()) {
        // The name of the medium the file is on; this system has none to tell.
        const std::string medium;
        MessageDlg("This file is stored with a relative path and is located on the CD-ROM or removable device, " +
                       medium +
                       ".  You will need to enter the drive letter of this CD-ROM or removable device.  Press F1 "
                       "for help.",
                   mtInformation, {mbOK}, 79);
        std::string answer;
        while (answer.empty()) {
            if (!InputQuery("CD-ROM Drive Specification",
                            "Please enter the letter of the CD-ROM drive (or removable device), containing, " + medium +
                                ".  If you are not sure, open up 'My Computer' and you will see the letter in brackets "
                                "after the icon for your CD-ROM drive",
                            answer))
                return {};
            answer = Utf8Copy(answer, 1, 250);
        }
        Drive = answer;
    }
    Drive = WithoutTrailingSeparator(Drive);
    std::string rest = Path.substr(1);
    if (Drive.size() >= 2 && Drive[1] == ':' && !rest.empty() && rest[0] == ':') rest.erase(0, 1);
    return Drive + rest;
}

std::string FixPath(const std::string& Path, bool AddSlash, const std::string& ProgramFolder, std::string& Drive) {
    std::string result = Trim(Path);
    if (result.empty()) return result;
    if (result[0] == '!') {
        if (result.find('!', 1) == std::string::npos)
            ShowMessage("Dir Error");
        else
            result = GetPathInfo(result, false);
    }
    if (!result.empty() && result[0] == '$') result = WithoutTrailingSeparator(ProgramFolder) + result.substr(1);
    if (!result.empty() && result[0] == '%') result = ExpandRemovablePath(result, Drive);
    if (AddSlash) {
        if (!result.empty() && !EndsWithSeparator(result)) result += '/';
    } else if (result.size() > 1) {
        result = WithoutTrailingSeparator(result);
    }
    return result;
}

void StrToStringlist(TStringList* List, const std::string& Text, const std::string& Delimiter) {
    List->Clear();
    if (Text.empty() || Text == Delimiter) return;
    if (Delimiter.empty()) {
        List->Add(Text);
        return;
    }
    std::string text = Text;
    if (text.size() < Delimiter.size() ||
        text.compare(text.size() - Delimiter.size(), Delimiter.size(), Delimiter) != 0)
        text += Delimiter;
    size_t start = 0;
    for (size_t at = text.find(Delimiter); at != std::string::npos; at = text.find(Delimiter, start)) {
        List->Add(text.substr(start, at - start));
        start = at + Delimiter.size();
    }
}

std::string GetPLuralText(TStrings* List) {
    const int count = List ? List->GetCount() : 0;
    if (count == 1) {
        const std::string entry = List->Get(0);
        return (DirectoryExists(entry) ? " the directory, " : " the file, ") + entry;
    }
    return " these " + IntToStr(count) + " files";
}

Integer GetScreenSize(Integer Pixels, Integer PixelsPerInch) {
    return static_cast<Integer>(Round(static_cast<double>(Pixels) / 96.0 * PixelsPerInch));
}

TColor Colourcodetocolour(Byte Code) {
    switch (Code) {
    case 1: return clWhite;
    case 2: return clGray;
    case 4: return clYellow;
    case 5: return clTeal;
    case 6: return clGreen;
    case 7: return clRed;
    case 8: return clPurple;
    case 9: return clNavy;
    case 10: return clMaroon;
    case 11: return clBlue;
    case 12: return clFuchsia;
    default: return clSilver;
    }
}

void DeleteOldFiles(TStringList* List) {
    for (int i = List->GetCount() - 1; i >= 0; --i) {
        const std::string name = List->Get(i);
        if (!FileExists(name) || DeleteFile(name)) List->Delete(i);
    }
}
