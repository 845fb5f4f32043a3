#pragma once
// The format records: for each of the seven kinds a listed file can be (image, text, sound,
// video, office, custom, other), the extension masks that belong to it, what a single and a double
// click on such a file do, the editor program and the storage method; their one-line text form;
// the type lookup by file name; and the fixed list of false extensions.
//
// The program's seven records live here, parsed, for the whole run; the settings store keeps
// them as text and reads and writes them through FormatRecordToStr and StrToFormatRecord.

#include <array>
#include <string>

#include "catalogue/lm_types.h"

// Action codes of SelectAction and DoubleClickAction.
enum TFormatAction : Byte {
    faIgnore = 0,             // "Ignore (do not display)"
    faWindowsDefault = 1,     // "Use Windows Default Program"
    faSpecifiedEditor = 2,    // "Display with Specified Editor"
    faShowInLumora = 3,       // "Display with Lumora"
    faFullScreenInLumora = 4, // "Display Full-Screen in Lumora"
};

struct TFormatRecord {
    // Masks, each a star, a point and the extension followed by ";" ("*.jpg;*.gif;"); empty when
    // the kind is not supported; the other kind uses "*.*".
    std::string Extensions;
    Byte SelectAction = 0;
    Byte DoubleClickAction = 0;
    std::string Editor;        // the editor program of action 2, may be empty
    ShortInt StorageMethod = 0;
    bool operator==(const TFormatRecord&) const = default;
};

// The seven records, by the kind's ordinal (lmImage .. lmOther).
inline constexpr int FormatKindCount = 7;
using TFormatRecords = std::array<TFormatRecord, FormatKindCount>;
TFormatRecords& FormatRecords();
// True when none of the seven records has extensions.
bool FormatRecordsEmpty();

// The key of each kind in the settings store and the exchange files, by ordinal.
inline constexpr std::array<const char*, FormatKindCount> FormatRecordKeyNames = {
    "ImageFormat", "TextFormat", "SoundFormat", "VideoFormat", "OfficeFormat", "CustomFormat", "OtherFormat",
};

// The masks that mark an image whose real format is found from its content.
inline constexpr const char* FalseExtensions = "*.LMR;*.NDE;*.OCN;*.PICT;*.PX;*.QTE;*.QLVX;*.LM;*.QLX;*.X;*.QVX;*.XXX;";

// The text form: Extensions ("-" when empty), SelectAction, DoubleClickAction, StorageMethod
// and Editor joined by "#" ("*.jpg;*.gif;#3#4#0#"). An editor that ends in "#" gets one more.
std::string FormatRecordToStr(const TFormatRecord& Rec);
// Parses the text form into Rec: an empty text gives a cleared record; the editor is everything
// after the fourth "#" less a final "#", so it may hold "#". A missing item or a number that does
// not parse or fit raises EConvertError and leaves Rec as it was.
void StrToFormatRecord(const std::string& Text, TFormatRecord& Rec);

// A copy of the kind's record; for lmnone empty masks and editor, actions 0, storage -1.
void GetFormatRecordbyLMType(TLMFileTypes Kind, TFormatRecord& Rec);
// The same for a kind given by its ordinal (0 image .. 6 other; anything else is none).
void LMTypeToFormatRecord(Integer Ordinal, TFormatRecord& Rec);
// Sets the editor of one kind's record; lmnone is ignored.
void SetFormatEditor(TLMFileTypes Kind, const std::string& Editor);

// Whether an extension (".jpeg", with its point) is an item of a mask list, compared as whole
// items without regard to case: the extension or its first four characters (".JPE") equals an
// item without its star. An empty extension is in no list.
bool ExtensionInList(const std::string& Ext, const std::string& List);
// "*.jpg" becomes ".jpg" with StripStar and "jpg" with StripDot (which strips the star too).
std::string StripMaskPrefix(const std::string& Mask, bool StripStar, bool StripDot);
// The kind of a file by its extension: the false extensions first (image), then the image, text,
// sound, video, office and custom records; otherwise other when the other record has extensions,
// else lmnone.
TLMFileTypes getlmtype(const std::string& FileName);
