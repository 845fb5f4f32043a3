#include "platform/user_folders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

#include "framework/file_utils.h"

namespace {

// An environment value that names an absolute folder, or "".
std::string AbsoluteFolderFromEnvironment(const char* Name) {
    const char* value = std::getenv(Name);
    if (!value || value[0] != '/') return {};
    return IncludeTrailingPathDelimiter(value);
}

}  // namespace

std::string UserHomeFolder() {
    std::string home = AbsoluteFolderFromEnvironment("HOME");
    if (!home.empty()) return home;
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/')
        return IncludeTrailingPathDelimiter(pw->pw_dir);
    return "/";
}

std::string UserDataFolder() {
    std::string data = AbsoluteFolderFromEnvironment("XDG_DATA_HOME");
    if (!data.empty()) return data;
    return UserHomeFolder() + ".local/share/";
}

std::string UserDataFolder(const std::string& Name) {
    return UserDataFolder() + Name + "/";
}
