#pragma once
// The user's folders as the freedesktop base-directory rules give them. Every folder comes back
// absolute, with a trailing "/".

#include <string>

// $HOME, else the home folder of the user's account, else "/".
std::string UserHomeFolder();
// $XDG_DATA_HOME when it is an absolute path, else the home folder's ".local/share/".
std::string UserDataFolder();
// The program's own folder inside the user's data folder: UserDataFolder() + Name + "/".
std::string UserDataFolder(const std::string& Name);
// $XDG_CONFIG_HOME when it is an absolute path, else the home folder's ".config/".
std::string UserConfigFolder();
// One of the user's named folders as "user-dirs.dirs" in the config folder sets it, by its key
// ("DESKTOP", "DOCUMENTS", "PICTURES", "MUSIC", "VIDEOS", "DOWNLOAD", "TEMPLATES",
// "PUBLICSHARE"). Without an entry the desktop is the home folder's "Desktop/" and every other
// key gives "".
std::string UserSpecialFolder(const std::string& Key);
