#pragma once
// Paths and the program's folders: the one normaliser every stored or compared folder passes
// through, with the two prefixes that keep stored paths independent of where the program and
// removable media are ("$" the program folder, "%" the configured removable-media mount point),
// the choice of the data and work folders, and small text and display helpers shared by the
// main window and the dialogs.
//
// Folders carry a trailing "/". Where stored data may hold Windows-style paths, "\" counts as a
// separator at the end of a path too.

#include <string>

#include "framework/types.h"

class TStrings;
class TStringList;

// The program folder: the folder of the executable, with a trailing "/". Tests move it with
// SetAppProgramFolder ("" goes back to the executable's folder).
std::string AppProgramFolder();
void SetAppProgramFolder(const std::string& Folder);

// The fallback data folder's name inside the user's data folder.
inline constexpr const char* DataFolderName = "Lumora";

// Whether the program may write into Folder: it is not read-only for the user and the system
// lets the process write there.
bool FolderIsWritable(const std::string& Folder);

// The data folder (descriptions, bookmark lists, folder lists, permanent thumbnails) and the work
// folder (the disk cache). A writable program folder is both; otherwise the data folder is the
// user's data folder "Lumora" and the work folder the temporary folder, and when that data folder
// can be neither found nor created both are the temporary folder.
struct TAppFolders {
    std::string DataFolder;
    std::string WorkFolder;
};
TAppFolders ChooseAppFolders(const std::string& ProgramFolder);

// For a path "!info!path": the info part (InfoPart) or the path part. For any other path: ""
// (InfoPart) or the path itself.
std::string GetPathInfo(const std::string& Path, bool InfoPart);

// Expands a path that begins with "%": the removable-media location Drive (the setting
// "CDRomDrive", from which a trailing "\" or "/" is removed in place) followed by the rest of the
// path; a ":" that would double the drive's colon is dropped. When Drive is empty the user is
// told and asked for it until the answer is not empty; a cancelled question gives "" (the file is
// then not available). Other paths come back unchanged.
std::string ExpandRemovablePath(const std::string& Path, std::string& Drive);

// Normalises a folder path: trims blanks and control characters from both ends; expands "!info!"
// (keeping the path part; a "!" path that cannot be split shows "Dir Error" and stays whole),
// then "$" (the program folder without its trailing "/" replaces it), then "%"
// (ExpandRemovablePath); finally appends "/" with AddSlash (unless the text is empty or already
// ends with "/" or "\") or removes one trailing "/" or "\" without it (the root "/" stays).
std::string FixPath(const std::string& Path, bool AddSlash, const std::string& ProgramFolder, std::string& Drive);

// Clears List and fills it with the pieces of Text up to each Delimiter, empty pieces included; a
// missing final delimiter is supplied; an empty Text, or one equal to Delimiter, leaves it empty.
void StrToStringlist(TStringList* List, const std::string& Text, const std::string& Delimiter);

// The object of a confirmation sentence: " the directory, X" or " the file, X" for one entry,
// " these N files" for any other count.
std::string GetPLuralText(TStrings* List);

// A size designed for 96 pixels per inch, scaled to PixelsPerInch and rounded.
Integer GetScreenSize(Integer Pixels, Integer PixelsPerInch);

// The colour of a colour code of the dialogs' colour boxes (silver for unknown codes).
TColor Colourcodetocolour(Byte Code);

// Deletes every file of List; deleted (or already missing) files leave the list, the others stay
// for a later call.
void DeleteOldFiles(TStringList* List);
