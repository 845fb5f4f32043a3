#include "app/browse_rules.h"

#include <algorithm>

#include "framework/file_utils.h"
#include "framework/sysutils.h"

Byte LoadActionFor(Integer How, TLMFileTypes Kind, const TFormatRecord& Rec) {
    switch (How) {
    case lhSelection:
        if (Kind == lmSound || Kind == lmVideo || Kind == lmOffice) return faIgnore;
        return Rec.SelectAction == faShowInLumora ? faShowInLumora : faIgnore;
    case lhDirect: return Rec.SelectAction;
    case lhDoubleClick: return Rec.DoubleClickAction;
    default: return faSpecifiedEditor;
    }
}

std::vector<TTypeFilterEntry> TypeFilterEntries(const TFormatRecords& Records) {
    std::vector<TTypeFilterEntry> entries{{"All Supported Types", "LMFileType <> -1"}, {"All files", "*.*"}};
    for (TLMFileTypes kind : {lmImage, lmVideo, lmSound, lmOffice, lmText, lmCustom, lmOther})
        if (!Records[kind].Extensions.empty())
            entries.push_back({LMFileTypeToStr(kind) + "s", "LMFileType = " + std::to_string(LMFileTypeToInt(kind))});
    return entries;
}

std::string TypeFilterText(const std::vector<TTypeFilterEntry>& Entries) {
    std::string text;
    for (const TTypeFilterEntry& e : Entries) text += e.Caption + "|" + e.Expression + "|";
    return text;
}

std::string SelectionLabelText(const TSelectionStatus& S) {
    const std::string total = std::to_string(S.Total);
    if (S.Slideshow || S.FullScreen) return "File# " + std::to_string(S.Position) + " of " + total;
    const Integer selected = std::min(S.Selected, S.Total);
    const std::string prefix = selected > 1000 || S.Total > 10000 ? "Sel: " : "Selected: ";
    return prefix + std::to_string(selected) + " of " + total;
}

TNavigationEnabled NavigationFor(const TSelectionStatus& S) {
    const bool notFirst = S.Position > 1;
    const bool notLast = S.Position < S.Total;
    TNavigationEnabled n;
    n.First = notFirst && !S.Slideshow;
    n.Previous = notFirst || S.Slideshow;
    n.Last = notLast && !S.Slideshow;
    n.Next = notLast || S.Slideshow;
    n.Random = S.Total >= 2 && !S.Slideshow;
    n.Slideshow = S.Total > 1;
    return n;
}

bool CheckImageFormatSupported(const std::string& FileName, bool ExcludeSpecial) {
    const std::string ext = UpperCase(ExtractFileExt(FileName));
    if (ext.size() < 2) return false;
    if (std::string(BuiltInImageExtensions).find(ext) == std::string::npos) return false;
    return !ExcludeSpecial || std::string(SpecialImageExtensions).find(ext) == std::string::npos;
}

std::string AllSupportedFormats(const TFormatRecords& Records, const std::string& FalseExtension) {
    if (!Records[lmOther].Extensions.empty()) return "*.*";
    std::string masks;
    for (TLMFileTypes kind : {lmImage, lmText, lmSound, lmVideo, lmOffice, lmCustom}) masks += Records[kind].Extensions;
    if (!FalseExtension.empty()) masks += "*" + FalseExtension;
    return masks;
}

bool FormatSupported(const std::string& FileName, bool AllowFalseExtension, Integer Purpose) {
    if (ExtensionInList(ExtractFileExt(FileName), FalseExtensions)) {
        if (!AllowFalseExtension) return false;
        if (Purpose != 2) return true;
    }
    const TLMFileTypes kind = getlmtype(FileName);
    if (kind == lmnone) return false;
    switch (Purpose) {
    case 1: return kind == lmText || (kind == lmImage && CheckImageFormatSupported(FileName, true));
    case 2: return FormatRecords()[kind].StorageMethod != -1;
    default: return true;
    }
}
