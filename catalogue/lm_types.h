#pragma once
// The catalogue's shared vocabulary: the file kinds with their stored codes and captions, the
// record of one browsed file, the key under which the caches file an image, and the small text,
// number, path and rectangle routines the main window, the dialogs and the thumbnail code share.
// Everything here is stateless and reports failure by its result, never by raising.

#include <functional>
#include <string>

#include "framework/types.h"

class TControl;

// ---------------------------------------------------------------------------------------------
// File kinds

enum TLMFileTypes : Byte { lmImage, lmText, lmSound, lmVideo, lmOffice, lmCustom, lmOther, lmnone };

// Stored codes: 1 image, 2 text, 3 video, 4 sound, 5 office, 8 custom, 9 other; any other code
// reads as lmnone, and lmnone is stored as -1.
TLMFileTypes IntToLMFileType(Integer Code);
Integer LMFileTypeToInt(TLMFileTypes Kind);
// "Image file" ... "Other file", "Unknown file" for lmnone.
std::string LMFileTypeToStr(TLMFileTypes Kind);

// ---------------------------------------------------------------------------------------------
// The record of one file

// A plain file on disk carries -5 in FileID, PathID and StorageMethod; -1 means empty.
struct TFileRecord {
    Integer FileID = -1;
    Integer KeyID = -1;           // the row's key in the current file table
    std::string Name;             // without folder
    Integer PathID = -1;
    std::string Path;             // with a trailing "/"
    std::string FullName;
    std::string OriginalExtension;
    TLMFileTypes FileType = lmnone;
    SmallInt StorageMethod = -1;
    bool RefInDB = false;         // StorageMethod >= 0
    bool NewlyCreatedFile = false;
    bool FileHasChanged = false;
    bool HasFalseExtension = false;
    bool operator==(const TFileRecord&) const = default;
};

// Empties every field but KeyID.
void ClearFileRecord(TFileRecord& Rec);
// Sets FullName as given, Name and Path (with a trailing delimiter) from it, PathID -1; the other
// fields stay.
void FileRecordFromPath(TFileRecord& Rec, const std::string& FullName);

// ---------------------------------------------------------------------------------------------
// The cache key

// h = h * 31 + byte over the name's UTF-8 bytes (wrapping 32-bit), masked to 27 bits.
Cardinal NameHash31(const std::string& FileName);
// The wrapping sum of the little-endian words that end the name's bytes preceded by its 32-bit
// little-endian length, folded to 16 bits; 0 for an empty name.
Cardinal NameWordSumHash(const std::string& FileName);
// NameHash31, the date's digits (none for a date of 0), "F", NameWordSumHash: "abc" with date 0
// gives 96354F610. Case-sensitive, as the name is.
std::string MakeCacheKey(const std::string& FileName, TDateTime FileDate);

// ---------------------------------------------------------------------------------------------
// Texts and numbers

// "True" or "False".
std::string BoolToText(bool B);
// True for "TRUE" and False for "FALSE" in any case; any other text (an empty one included) gives
// Default.
bool TextToBoolDef(const std::string& S, bool Default);
// The integer value of S when it parses and lies in [Min, Max] (both ends included), otherwise
// Default.
Integer StrToIntRange(const std::string& S, Integer Min, Integer Max, Integer Default);
// Size text by detail level (the setting "FileSizeDetailLevel"): " MB" when the size has more
// than 6 x Level digits and is at least 1 MB (two decimals below 10 MB), " KB" when it has more
// than 3 x Level digits, else " bytes" with thousands separated by ",".
std::string FileSizeToStr(Int64 Size, Integer Level);
// "Move" or "Copy", in lower case unless Capitalised.
std::string MoveCopyWord(bool IsMove, bool Capitalised);
// N + 1, back to 0 past Max.
void IncWrap(Integer& N, Integer Max);
Integer LargerOf(Integer A, Integer B);
Integer SmallerOf(Integer A, Integer B);
// Value * Percent div 100.
Integer PercentOf(Integer Value, Integer Percent);
// Part * 100 div Whole, truncating; 0 for a Whole of 0.
Integer PercentRatio(Integer Part, Integer Whole);
// S with every occurrence of Sub deleted, again until none is left.
std::string RemoveAllSubstr(const std::string& S, const std::string& Sub);
// S without its first N characters (S for N <= 0).
std::string DeleteLeadingChars(const std::string& S, Integer N);
// S without everything up to and including the first Sep; S whole when Sep is absent.
std::string TextAfter(const std::string& S, const std::string& Sep);
// The items of a list separated by Delim, each followed by Terminator (a missing final Delim is
// supplied, empty items are kept); "" for an empty S or S equal to Delim.
std::string ReplaceDelimiter(const std::string& S, char Delim, const std::string& Terminator);
std::string DelimitedToLines(const std::string& S, char Delim);

// ---------------------------------------------------------------------------------------------
// Paths and files

// The temporary folder, with a trailing "/".
std::string GetTempDirectory();
std::string ExtractExtNoDot(const std::string& Name);
std::string ExtractNameNoExt(const std::string& Name);
// Name without its extension (point included) followed by NewExt as given.
std::string ReplaceExtension(const std::string& Name, const std::string& NewExt);
// Appends "/" unless S is empty or ends with "\" or "/".
std::string AddTrailingDelimiter(const std::string& S);
// Removes one final "\" or "/".
std::string RemoveTrailingDelimiter(const std::string& S);
// True when the user may not write the file; also for a path whose attributes cannot be read.
bool IsFileReadOnly(const std::string& Name);
// The four attribute flags (system and archive never exist here); False, flags untouched, when
// the file does not exist.
bool GetFileAttributeFlags(const std::string& Name, bool& ReadOnly, bool& Hidden, bool& System, bool& Archive);
// The first of Dir, Dir_2, Dir_3 ... (up to 2,000,000) that does not exist.
std::string UniqueDirectoryName(const std::string& Dir);
// Name for N = 1, else folder + name without extension + "_" + N + extension.
std::string NumberedFileName(const std::string& Name, Integer N);
// The first NumberedFileName (Name, 1, 2 ...) that does not exist.
std::string UniqueFileName(const std::string& Name);
// Copies Source over Dest and compares the sizes; a mismatch deletes the copy. False on any
// failure, and for a Dest that is Source itself.
bool CopyFileVerified(const std::string& Source, const std::string& Dest);
// Creates a missing folder chain, after asking when Ask is set; a failure removes the levels it
// made and warns. "/" and "" are refused without a word.
bool ForceDirectoriesPrompt(const std::string& Dir, bool Ask);
// Paths have no short form: the path itself.
std::string GetShortPath(const std::string& Path);
// The expanded path (without a final "/") when every level of it exists as named, else Path.
std::string GetLongPath(const std::string& Path);
// Makes a symbolic link to Target named LinkName with the extension ".lnk", or base + "(N).lnk"
// (N from 1) when that exists. False when it cannot be made.
bool CreateShellLink(const std::string& Target, const std::string& LinkName);

// Shortens a path to fit a width as measured by Measure: leading folder levels become ".../"
// until it fits or only the name is left. A text that is not a path (no leading "/") loses its
// last characters instead and ends in "..", when AsText is set.
std::string CompactPath(const std::string& Path, Integer Width,
                        const std::function<Integer(const std::string&)>& Measure, bool AsText);
// The same in the window's font against the window's width, or a given width.
std::string CompactPathToWindow(TControl* Window, const std::string& Path);
std::string CompactPathToWidth(TControl* Window, const std::string& Text, Integer Width);

// ---------------------------------------------------------------------------------------------
// Geometry

// Places a W x H picture in a BoxW x BoxH box at (Left, Top): scaled to the limiting side when it
// is larger (Shrink) or smaller (Stretch), centred on the axes asked for. A picture or box with
// no area gives (Left, Top, 0, 0).
TRect FitRectInBox(Integer W, Integer H, Integer BoxW, Integer BoxH, Integer Left, Integer Top, bool Stretch,
                   bool Shrink, bool CenterV, bool CenterH);
