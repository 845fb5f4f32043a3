#pragma once
// Replacing a file as a whole: the new content goes to a temporary file in the same folder,
// which is flushed to disk and then renamed over the old one, so a crash at any moment leaves
// either the old file or the new one, never a mixture. Used by the INI files and the registry
// store, and by anything that rewrites a user's file.

#include <functional>
#include <string>
#include <string_view>

#include "framework/types.h"

// Answers false when the file cannot be written (the old file, if any, is left as it was). A
// symbolic link is followed, so the file it points to is replaced. A new file gets mode 0644; an
// existing one keeps its mode.
bool WriteFileAtomically(const std::string& FileName, std::string_view Content);

// What tells whether a file was replaced or changed since it was last looked at.
struct TFileStamp {
    bool Exists = false;
    UInt64 Device = 0;
    UInt64 Inode = 0;
    Int64 Size = 0;
    Int64 MTimeNs = 0;
    bool operator==(const TFileStamp&) const = default;
};
TFileStamp FileStampOf(const std::string& FileName);

// Tests: called with the temporary file's name once it is complete, just before the rename (a
// test may end the process there to play a crash). An empty function removes the hook.
void SetAtomicWriteHookForTesting(std::function<void(const std::string& TempName)> Hook);
