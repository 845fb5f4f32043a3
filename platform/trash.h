#pragma once
// The recycle bin: the freedesktop trash. A file or folder goes to the home trash when it lies on
// the same file system as the user's data folder, else to the trash of its own file system's top
// folder ("$topdir/.Trash/$uid" when the administrator made a sticky ".Trash", else
// "$topdir/.Trash-$uid"). Its ".trashinfo" record is made first (exclusively, so two programs
// never take one name), then the file is renamed into the trash; nothing is ever copied, and a
// file that cannot be trashed stays where it is.

#include <string>

// Answers whether FileName went to the trash; on failure Error (when given) holds the reason.
bool MoveToTrash(const std::string& FileName, std::string* Error = nullptr);
// The trash folder (with "files/" and "info/" inside, trailing "/") that takes FileName, made
// when missing; "" when none can be used.
std::string TrashFolderFor(const std::string& FileName);
