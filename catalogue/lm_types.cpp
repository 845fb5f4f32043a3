#include "catalogue/lm_types.h"

#include <cmath>

#include "framework/file_utils.h"
#include "framework/formatting.h"
#include "framework/sysutils.h"

// ---------------------------------------------------------------------------------------------
// File kinds

namespace {

struct TKindRow {
    TLMFileTypes Kind;
    Integer Code;
    const char* Caption;
};
constexpr TKindRow kKinds[] = {
    {lmImage, 1, "Image file"},   {lmText, 2, "Text file"},     {lmVideo, 3, "Video file"},
    {lmSound, 4, "Sound file"},   {lmOffice, 5, "Office file"}, {lmCustom, 8, "Custom file"},
    {lmOther, 9, "Other file"},
};

}  // namespace

TLMFileTypes IntToLMFileType(Integer Code) {
    for (const TKindRow& row : kKinds)
        if (row.Code == Code) return row.Kind;
    return lmnone;
}

Integer LMFileTypeToInt(TLMFileTypes Kind) {
    for (const TKindRow& row : kKinds)
        if (row.Kind == Kind) return row.Code;
    return -1;
}

std::string LMFileTypeToStr(TLMFileTypes Kind) {
    for (const TKindRow& row : kKinds)
        if (row.Kind == Kind) return row.Caption;
    return "Unknown file";
}

// ---------------------------------------------------------------------------------------------
// The record of one file

void ClearFileRecord(TFileRecord& Rec) {
    const Integer key = Rec.KeyID;
    Rec = TFileRecord{};
    Rec.KeyID = key;
}

void FileRecordFromPath(TFileRecord& Rec, const std::string& FullName) {
    Rec.FullName = FullName;
    Rec.PathID = -1;
    Rec.Name = ExtractFileName(FullName);
    Rec.Path = AddTrailingDelimiter(ExtractFilePath(FullName));
}

// ---------------------------------------------------------------------------------------------
// The cache key

Cardinal NameHash31(const std::string& FileName) {
    Cardinal h = 0;
    for (unsigned char c : FileName) h = h * 31u + c;
    return h & 0x7FFFFFFu;
}

Cardinal NameWordSumHash(const std::string& FileName) {
    if (FileName.empty()) return 0;
    std::string bytes(4, '\0');
    const Cardinal length = Cardinal(FileName.size());
    for (int i = 0; i < 4; ++i) bytes[i] = char((length >> (8 * i)) & 0xFF);
    bytes += FileName;
    const size_t words = (FileName.size() - 1) / 4 + 1;
    Cardinal sum = 0;
    for (size_t k = 1; k <= words; ++k) {
        const size_t at = bytes.size() - 4 * k;
        Cardinal word = 0;
        for (int i = 0; i < 4; ++i) word |= Cardinal(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
        sum += word;
    }
    return (sum >> 16) ^ (sum & 0xFFFFu);
}

std::string MakeCacheKey(const std::string& FileName, TDateTime FileDate) {
    std::string date;
    if (FileDate != 0) {
        try {
            date = FloatToStrF(FileDate, ffFixed, 10, 5);
            date.erase(0, std::min<size_t>(2, date.size()));
            date = StringReplace(date, ".", "", {rfReplaceAll});
        } catch (const Exception&) {
            date.clear();
        }
    }
    return IntToStr(NameHash31(FileName)) + date + "F" + IntToStr(NameWordSumHash(FileName));
}

// ---------------------------------------------------------------------------------------------
// Texts and numbers

std::string BoolToText(bool B) { return B ? "True" : "False"; }

bool TextToBoolDef(const std::string& S, bool Default) {
    if (SameText(S, "TRUE")) return true;
    if (SameText(S, "FALSE")) return false;
    return Default;
}

Integer StrToIntRange(const std::string& S, Integer Min, Integer Max, Integer Default) {
    Integer value = 0;
    if (!TryStrToInt(S, value) || value < Min || value > Max) return Default;
    return value;
}

std::string FileSizeToStr(Int64 Size, Integer Level) {
    const std::string plain = IntToStr(Size);
    const Int64 digits = Int64(plain.size());
    if (digits > 6 * Int64(Level) && Size >= 1048576) {
        const Int64 b = Size + 512;
        if (b < 10485760) return Format("%.2f", {double(b) / 1048576.0}) + " MB";
        return IntToStr(b / 1048576) + " MB";
    }
    if (digits > 3 * Int64(Level)) return IntToStr((Size + 512) / 1024) + " KB";
    std::string text = plain;
    if (text.size() > 3) text.insert(plain.size() - 3, ",");
    if (text.size() > 7) text.insert(plain.size() - 6, ",");
    return text + " bytes";
}

std::string MoveCopyWord(bool IsMove, bool Capitalised) {
    if (IsMove) return Capitalised ? "Move" : "move";
    return Capitalised ? "Copy" : "copy";
}

void IncWrap(Integer& N, Integer Max) {
    ++N;
    if (N > Max) N = 0;
}

Integer LargerOf(Integer A, Integer B) { return A > B ? A : B; }
Integer SmallerOf(Integer A, Integer B) { return A < B ? A : B; }
Integer PercentOf(Integer Value, Integer Percent) { return Integer(Int64(Value) * Percent / 100); }

Integer PercentRatio(Integer Part, Integer Whole) {
    if (Whole == 0) return 0;
    return Integer(Int64(Part) * 100 / Whole);
}

std::string RemoveAllSubstr(const std::string& S, const std::string& Sub) {
    if (Sub.empty()) return S;
    std::string text = S;
    for (size_t at = text.find(Sub); at != std::string::npos; at = text.find(Sub)) text.erase(at, Sub.size());
    return text;
}

std::string DeleteLeadingChars(const std::string& S, Integer N) {
    if (N <= 0) return S;
    return Utf8Copy(S, N + 1);
}

std::string TextAfter(const std::string& S, const std::string& Sep) {
    const size_t at = Sep.empty() ? std::string::npos : S.find(Sep);
    if (at == std::string::npos) return S;
    return S.substr(at + 1);
}

std::string ReplaceDelimiter(const std::string& S, char Delim, const std::string& Terminator) {
    if (S.empty() || S == std::string(1, Delim)) return {};
    std::string text = S;
    if (text.back() != Delim) text += Delim;
    std::string result;
    size_t start = 0;
    for (size_t at = text.find(Delim); at != std::string::npos; at = text.find(Delim, start)) {
        result += text.substr(start, at - start) + Terminator;
        start = at + 1;
    }
    return result;
}

std::string DelimitedToLines(const std::string& S, char Delim) { return ReplaceDelimiter(S, Delim, "\r\n"); }

// ---------------------------------------------------------------------------------------------
// Geometry

TRect FitRectInBox(Integer W, Integer H, Integer BoxW, Integer BoxH, Integer Left, Integer Top, bool Stretch,
                   bool Shrink, bool CenterV, bool CenterH) {
    if (W <= 0 || H <= 0 || BoxW <= 0 || BoxH <= 0) return Rect(Left, Top, 0, 0);
    const double rw = double(W) / BoxW;
    const double rh = double(H) / BoxH;
    const bool widthLimits = rw > rh;
    const bool larger = widthLimits ? W > BoxW : H > BoxH;
    Integer newW = W;
    Integer newH = H;
    if (larger ? Shrink : Stretch) {
        const double r = widthLimits ? rw : rh;
        newW = Integer(std::nearbyint(W / r));
        newH = Integer(std::nearbyint(H / r));
    }
    if (CenterV && BoxH - 1 > newH) Top += Integer(std::nearbyint(BoxH / 2.0 - newH / 2.0));
    if (CenterH && BoxW - 1 > newW) Left += Integer(std::nearbyint(BoxW / 2.0 - newW / 2.0));
    return Rect(Left, Top, Left + newW, Top + newH);
}
