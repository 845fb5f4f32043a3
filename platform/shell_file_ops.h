#pragma once
// The shell's file operations on lists of paths: copy, move and delete (to the trash or for
// good), with the questions and error messages going through the dialog service, and the user's
// shell folders.
//
// Sources are paths, or masks ("*", "?" in the name part of a path that does not exist as
// written) that stand for the files they match (folders are left out of masks). Dests holds one
// destination, or one per source. With one destination, a single source that is not a mask goes
// to that name unless it is an existing folder; otherwise everything goes into that folder, which
// is made when missing. Folders are copied and moved with everything in them; links are copied
// as links and never followed. A move across file systems copies and checks everything before
// any source is deleted.
//
// An existing destination is replaced without a question when asking is off, or, when it is on,
// after "Yes", "Yes to All", "No" (this one is skipped) or "Cancel" (the operation stops). With
// RenameOnCollision the new item takes a free name ("name (2).ext") instead. An error names the
// file and the reason in an error box and stops the operation. Each call answers True only when
// everything asked was done.

#include <string>
#include <vector>

#include "framework/messages.h"

bool ShellCopyFiles(HWND Owner, const std::vector<std::string>& Sources, const std::vector<std::string>& Dests,
                    bool RenameOnCollision, bool Confirm);
bool ShellMoveFiles(HWND Owner, const std::vector<std::string>& Sources, const std::vector<std::string>& Dests,
                    bool RenameOnCollision, bool NoConfirm);
// To the trash when Recycle (an item that cannot be trashed stays, and the call answers False),
// else deleted for good. Confirm asks once before anything happens.
bool ShellDeleteFiles(HWND Owner, const std::vector<std::string>& Paths, bool Recycle, bool Confirm);

// The value ValueName under HKEY_CURRENT_USER
// "Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders" when the store has it, else
// the user's folder of that role ("Desktop", "Personal", "My Pictures", "My Music", "My Video",
// "Templates"), else "".
std::string GetShellFolderPath(const std::string& ValueName);
