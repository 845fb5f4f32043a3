#include "platform/user_folders.h"

#include <cstdlib>
#include <fstream>
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

std::string UserConfigFolder() {
    std::string config = AbsoluteFolderFromEnvironment("XDG_CONFIG_HOME");
    if (!config.empty()) return config;
    return UserHomeFolder() + ".config/";
}

std::string UserSpecialFolder(const std::string& Key) {
    // Lines read XDG_<KEY>_DIR="$HOME/Pictures" or an absolute path in quotes.
    std::ifstream in(UserConfigFolder() + "user-dirs.dirs");
    std::string wanted = "XDG_" + Key + "_DIR=", line;
    while (std::getline(in, line)) {
        if (line.rfind(wanted, 0) != 0) continue;
        std::string value = line.substr(wanted.size());
        if (value.size() < 2 || value.front() != '"' || value.back() != '"') continue;
        value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0)
            value = ExcludeTrailingPathDelimiter(UserHomeFolder()) + value.substr(5);
        else if (value.empty() || value[0] != '/')
            continue;
        return IncludeTrailingPathDelimiter(value);
    }
    return Key == "DESKTOP" ? UserHomeFolder() + "Desktop/" : std::string();
}
