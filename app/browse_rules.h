#pragma once
// The main window's browsing rules that need no window: what loading a file does by how it was
// asked for, the entries of the type filter, and the selection status line with the navigation
// buttons it enables.

#include <string>
#include <vector>

#include "catalogue/format_records.h"
#include "catalogue/lm_types.h"

// The image extensions the program reads itself (the last twelve are the false extensions), and
// those of them drawn rather than decoded.
inline constexpr const char* BuiltInImageExtensions =
    "*.BMP;*.CUR;*.DIB;*.EMF;*.GIF;*.ICB;*.ICO;*.JPE;*.JPEG;*.JPG;*.PCX;*.PIX;*.PNG;*.RLE;*.TARGA;*.TGA;*.TIF;*.TIFF;"
    "*.VDA;*.VST;*.WMF;*.LMR;*.NDE;*.OCN;*.PICT;*.PX;*.QTE;*.QLVX;*.LM;*.QLX;*.X;*.QVX;*.XXX;";
inline constexpr const char* SpecialImageExtensions = "*.ICO;*.EMF;*.WMF;*.CUR";

// Whether the upper-cased extension (with its point) occurs in the built-in image list, as a
// part of it (".JP" does); with ExcludeSpecial the drawn formats answer false. A name without an
// extension answers false.
bool CheckImageFormatSupported(const std::string& FileName, bool ExcludeSpecial);
// The masks of every supported file: "*.*" when the other kind has extensions, else the image,
// text, sound, video, office and custom masks in that order, then "*" + FalseExtension when that
// is not empty.
std::string AllSupportedFormats(const TFormatRecords& Records, const std::string& FalseExtension);
// Whether a file may be used for a purpose, its kind and storage method taken from the program's
// format records: 1 shown as a picture or text (images but the drawn formats, and text), 2 stored
// (its kind's storage method is not -1), any other anything of a kind. A false extension is
// refused unless allowed; allowed, only storing asks further.
bool FormatSupported(const std::string& FileName, bool AllowFalseExtension, Integer Purpose);

// How a load was asked for: 0 a selection (the idle turn after the list moved), 1 a direct
// request (a click, a key, a reload, a file handed in), 2 a double-click, anything else the
// editor.
enum TLoadHow : Integer { lhSelection = 0, lhDirect = 1, lhDoubleClick = 2, lhEditor = 3 };

// The action (TFormatAction) taken for a file of Kind whose format record is Rec. A selection
// only ever shows the file (never launching or going full screen) and only names sound, video
// and office files.
Byte LoadActionFor(Integer How, TLMFileTypes Kind, const TFormatRecord& Rec);

// One entry of the type filter: its caption and its table filter ("" or "*.*": no filter).
struct TTypeFilterEntry {
    std::string Caption;
    std::string Expression;
};
// "All Supported Types", "All files", then one entry per kind whose format record has
// extensions, in the order image, video, sound, office, text, custom, other.
std::vector<TTypeFilterEntry> TypeFilterEntries(const TFormatRecords& Records);
// The entries as "caption|expression|" pairs, the filter box's text form.
std::string TypeFilterText(const std::vector<TTypeFilterEntry>& Entries);

// The status line of a selection: Selected files of Total, the focused one at Position (from 1;
// 0 when none).
struct TSelectionStatus {
    Integer Selected = 0;
    Integer Total = 0;
    Integer Position = 0;
    bool Slideshow = false;
    bool FullScreen = false;
};
// "File# P of T" in a slideshow or full screen; otherwise "Sel: S of T" for more than 1000
// selected or 10000 rows, else "Selected: S of T". The selected count never exceeds the total.
std::string SelectionLabelText(const TSelectionStatus& S);

// Which navigation commands the status allows.
struct TNavigationEnabled {
    bool First = false, Previous = false, Next = false, Last = false, Random = false, Slideshow = false;
    bool operator==(const TNavigationEnabled&) const = default;
};
TNavigationEnabled NavigationFor(const TSelectionStatus& S);
