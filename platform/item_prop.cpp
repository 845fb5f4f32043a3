#include "platform/item_prop.h"

#include <sys/stat.h>

#include "framework/file_utils.h"
#include "framework/forms.h"
#include "framework/menus.h"
#include "framework/resources.h"
#include "framework/sysutils.h"
#include "platform/launch.h"
#include "platform/shell_properties.h"

namespace {

// Shows the hourglass while it lives and puts the previous cursor back.
class THourGlass {
public:
    THourGlass() : FPrevious(Screen->GetCursor()) { Screen->SetCursor(crHourGlass); }
    ~THourGlass() { Screen->SetCursor(FPrevious); }
    THourGlass(const THourGlass&) = delete;
    THourGlass& operator=(const THourGlass&) = delete;

private:
    TCursor FPrevious;
};

bool RunVerb(const std::vector<std::string>& Paths, const std::string& Verb, HWND Owner) {
    if (Paths.empty()) return false;
    if (SameText(Verb, "properties")) return ShowShellProperties(Paths);
    if (!SameText(Verb, "open")) return false;
    bool all = true;
    for (const std::string& path : Paths)
        all = ShellExecute(Owner, "open", path, "", ExtractFileDir(path), SW_SHOWNORMAL) > 32 && all;
    return all;
}

// Our item menu; the verb chosen, or "" when the menu closed without a choice.
std::string ChooseFromMenu(TPoint Point) {
    auto* menu = new TPopupMenu(nullptr);
    std::string chosen;
    auto add = [&](const char* Caption, const char* Verb, bool Default) {
        auto* item = new TMenuItem(menu);
        item->SetCaption(Caption);
        item->SetDefault(Default);
        item->OnClick = [&chosen, Verb](TObject*) { chosen = Verb; };
        menu->GetItems()->Add(item);
    };
    add("&Open", "open", true);
    add("P&roperties", "properties", false);
    menu->Popup(Point.X, Point.Y);
    // The item chosen is clicked on the next turn of the loop.
    Application->ProcessMessages();
    menu->Free();
    return chosen;
}

}  // namespace

bool InvokeShellItemCommand(const std::vector<std::string>& Paths, TPoint Point, HWND Owner, const std::string& Verb,
                            Integer Mode, Cardinal Flags) {
    THourGlass hourGlass;
    if (Paths.empty()) return false;
    switch (Mode) {
        case ipmMenu: {
            std::string verb = ChooseFromMenu(Point);
            return verb.empty() || RunVerb(Paths, verb, Owner);
        }
        case ipmProperties: return (Flags & SFGAO_HASPROPSHEET) && RunVerb(Paths, "properties", Owner);
        case ipmDefault: return RunVerb(Paths, "open", Owner);
        case ipmVerb: return RunVerb(Paths, Verb, Owner);
        default: return false;
    }
}

bool ShowShellContextMenu(const TShellFolder& Folder, const std::vector<TItemIDList>& Items, Cardinal Flags,
                          TPoint Point, HWND Owner) {
    std::vector<std::string> paths;
    for (const TItemIDList& item : Items) {
        std::string path = Folder.PathOf(item);
        if (path.empty()) return false;  // the desktop has no commands
        paths.push_back(path);
    }
    return InvokeShellItemCommand(paths, Point, Owner, "", ipmMenu, Flags);
}

bool InvokeShellVerbOnPath(const std::string& Verb, const std::string& Path, HWND Owner) {
    if (Path.empty()) return false;
    std::string path = Path == "/" ? Path : ExcludeTrailingPathDelimiter(ExpandFileName(Path));
    std::vector<std::string> paths;
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0) {
        paths.push_back(path);
    } else if (ExtractFileName(path).find_first_of("*?") != std::string::npos) {
        TSearchRec rec;
        std::string folder = ExtractFilePath(path);
        for (Integer found = FindFirst(path, faAnyFile, rec); found == 0; found = FindNext(rec))
            if (rec.Name != "." && rec.Name != "..") paths.push_back(folder + rec.Name);
        FindClose(rec);
    }
    return InvokeShellItemCommand(paths, {-1, -1}, Owner, Verb, ipmVerb, 0);
}
