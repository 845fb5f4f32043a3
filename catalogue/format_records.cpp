#include "catalogue/format_records.h"

#include <vector>

#include "framework/exceptions.h"
#include "framework/file_utils.h"
#include "framework/sysutils.h"

TFormatRecords& FormatRecords() {
    static TFormatRecords records;
    return records;
}

bool FormatRecordsEmpty() {
    for (const TFormatRecord& rec : FormatRecords())
        if (!rec.Extensions.empty()) return false;
    return true;
}

std::string FormatRecordToStr(const TFormatRecord& Rec) {
    std::string text = (Rec.Extensions.empty() ? std::string("-") : Rec.Extensions) + "#" +
                       IntToStr(Rec.SelectAction) + "#" + IntToStr(Rec.DoubleClickAction) + "#" +
                       IntToStr(Rec.StorageMethod) + "#" + Rec.Editor;
    if (!Rec.Editor.empty() && Rec.Editor.back() == '#') text += '#';
    return text;
}

namespace {

Integer NumberItem(const std::string& Item, Integer Min, Integer Max) {
    const Integer value = StrToInt(Item);
    if (value < Min || value > Max) throw EConvertError("'" + Item + "' is not a valid format record number");
    return value;
}

}  // namespace

void StrToFormatRecord(const std::string& Text, TFormatRecord& Rec) {
    TFormatRecord parsed;
    if (!Text.empty()) {
        std::string text = Text;
        if (text.back() != '#') text += '#';
        std::vector<std::string> items;
        size_t start = 0;
        for (int i = 0; i < 4; ++i) {
            const size_t at = text.find('#', start);
            if (at == std::string::npos) throw EConvertError("The format record '" + Text + "' is incomplete");
            items.push_back(text.substr(start, at - start));
            start = at + 1;
        }
        parsed.Extensions = items[0] == "-" ? std::string() : items[0];
        parsed.SelectAction = Byte(NumberItem(items[1], 0, 255));
        parsed.DoubleClickAction = Byte(NumberItem(items[2], 0, 255));
        parsed.StorageMethod = ShortInt(NumberItem(items[3], -128, 127));
        parsed.Editor = start < text.size() ? text.substr(start, text.size() - start - 1) : std::string();
    }
    Rec = parsed;
}

void GetFormatRecordbyLMType(TLMFileTypes Kind, TFormatRecord& Rec) {
    if (Kind < FormatKindCount) {
        Rec = FormatRecords()[Kind];
        return;
    }
    Rec = TFormatRecord{};
    Rec.StorageMethod = -1;
}

void LMTypeToFormatRecord(Integer Ordinal, TFormatRecord& Rec) {
    GetFormatRecordbyLMType(Ordinal >= 0 && Ordinal < FormatKindCount ? TLMFileTypes(Ordinal) : lmnone, Rec);
}

void SetFormatEditor(TLMFileTypes Kind, const std::string& Editor) {
    if (Kind < FormatKindCount) FormatRecords()[Kind].Editor = Editor;
}

bool ExtensionInList(const std::string& Ext, const std::string& List) {
    if (Ext.empty()) return false;
    const std::string ext = UpperCase(Ext);
    const std::string cut = ext.substr(0, 4);
    const std::string list = UpperCase(List);
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string::npos) end = list.size();
        std::string item = Trim(std::string_view(list).substr(start, end - start));
        if (!item.empty() && item[0] == '*') item.erase(0, 1);
        if (!item.empty() && (item == ext || item == cut)) return true;
        start = end + 1;
    }
    return false;
}

std::string StripMaskPrefix(const std::string& Mask, bool StripStar, bool StripDot) {
    std::string text = Mask;
    if ((StripStar || StripDot) && !text.empty() && text[0] == '*') text.erase(0, 1);
    if (StripDot && !text.empty() && text[0] == '.') text.erase(0, 1);
    return text;
}

TLMFileTypes getlmtype(const std::string& FileName) {
    const std::string ext = ExtractFileExt(FileName);
    if (ExtensionInList(ext, FalseExtensions)) return lmImage;
    const TFormatRecords& records = FormatRecords();
    for (TLMFileTypes kind : {lmImage, lmText, lmSound, lmVideo, lmOffice, lmCustom})
        if (ExtensionInList(ext, records[kind].Extensions)) return kind;
    return records[lmOther].Extensions.empty() ? lmnone : lmOther;
}
