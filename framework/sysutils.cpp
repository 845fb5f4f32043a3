#include "framework/sysutils.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <limits>
#include <locale.h>
#include <mutex>

#include "framework/format_settings.h"
#include "framework/formatting.h"

// ---------------------------------------------------------------------------------------------
// Integer conversions

namespace lumora_detail {

std::string SignedToStr(Int64 Value) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, Value);
    return std::string(buf, r.ptr);
}

std::string UnsignedToStr(UInt64 Value) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, Value);
    return std::string(buf, r.ptr);
}

std::string HexDigits(UInt64 Value, Integer Digits) {
    static const char hex[] = "0123456789ABCDEF";
    std::string s;
    do {
        s.push_back(hex[Value & 15]);
        Value >>= 4;
    } while (Value);
    if (Digits > 32) Digits = 32;
    while (static_cast<Integer>(s.size()) < Digits) s.push_back('0');
    std::reverse(s.begin(), s.end());
    return s;
}

}  // namespace lumora_detail

namespace {

// Parses S as the framework's integer syntax into a 64-bit value. Bits gives the width of the
// target (32 or 64): decimal values must fit it signed, hexadecimal ones unsigned.
bool ParseInteger(std::string_view s, int bits, Int64& out) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < s.size() && s[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size()) return false;
    UInt64 value = 0;
    const UInt64 hexLimit = bits == 32 ? 0xFFFFFFFFull : ~0ull;
    for (; i < s.size(); ++i) {
        char c = s[i];
        unsigned d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        if (hex) {
            if (value > (hexLimit >> 4)) return false;
            value = value << 4 | d;
        } else {
            if (value > (~0ull - d) / 10) return false;
            value = value * 10 + d;
        }
    }
    if (hex) {
        if (bits == 32) {
            auto v = static_cast<Int64>(static_cast<int32_t>(static_cast<uint32_t>(value)));
            out = negative ? -v : v;
        } else {
            auto v = static_cast<Int64>(value);
            out = negative ? static_cast<Int64>(0 - static_cast<UInt64>(v)) : v;
        }
        return true;
    }
    const UInt64 maxPositive = bits == 32 ? 0x7FFFFFFFull : 0x7FFFFFFFFFFFFFFFull;
    if (value > maxPositive + (negative ? 1 : 0)) return false;
    out = negative ? static_cast<Int64>(0 - value) : static_cast<Int64>(value);
    return true;
}

[[noreturn]] void InvalidInteger(std::string_view s) {
    throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
}

}  // namespace

Integer StrToInt(std::string_view S) {
    Int64 v;
    if (!ParseInteger(S, 32, v)) InvalidInteger(S);
    return static_cast<Integer>(v);
}

Int64 StrToInt64(std::string_view S) {
    Int64 v;
    if (!ParseInteger(S, 64, v)) InvalidInteger(S);
    return v;
}

Integer StrToIntDef(std::string_view S, Integer Default) {
    Int64 v;
    return ParseInteger(S, 32, v) ? static_cast<Integer>(v) : Default;
}

Int64 StrToInt64Def(std::string_view S, Int64 Default) {
    Int64 v;
    return ParseInteger(S, 64, v) ? v : Default;
}

bool TryStrToInt(std::string_view S, Integer& Value) {
    Int64 v;
    if (!ParseInteger(S, 32, v)) return false;
    Value = static_cast<Integer>(v);
    return true;
}

bool TryStrToInt64(std::string_view S, Int64& Value) {
    return ParseInteger(S, 64, Value);
}

// ---------------------------------------------------------------------------------------------
// UTF-8

char32_t Utf8Next(std::string_view S, size_t& Pos) {
    auto b0 = static_cast<unsigned char>(S[Pos]);
    if (b0 < 0x80) {
        ++Pos;
        return b0;
    }
    int len;
    char32_t cp;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07;
    } else {
        ++Pos;
        return 0xDC00 + b0;
    }
    if (Pos + len > S.size()) {
        ++Pos;
        return 0xDC00 + b0;
    }
    for (int k = 1; k < len; ++k) {
        auto b = static_cast<unsigned char>(S[Pos + k]);
        if ((b & 0xC0) != 0x80) {
            ++Pos;
            return 0xDC00 + b0;
        }
        cp = cp << 6 | (b & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are stray bytes too.
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++Pos;
        return 0xDC00 + b0;
    }
    Pos += len;
    return cp;
}

void Utf8Append(std::string& S, char32_t Ch) {
    if (Ch < 0x80) {
        S.push_back(static_cast<char>(Ch));
    } else if (Ch < 0x800) {
        S.push_back(static_cast<char>(0xC0 | Ch >> 6));
        S.push_back(static_cast<char>(0x80 | (Ch & 0x3F)));
    } else if (Ch >= 0xDC80 && Ch <= 0xDCFF) {
        S.push_back(static_cast<char>(Ch - 0xDC00));  // a stray byte read by Utf8Next
    } else if (Ch < 0x10000) {
        S.push_back(static_cast<char>(0xE0 | Ch >> 12));
        S.push_back(static_cast<char>(0x80 | (Ch >> 6 & 0x3F)));
        S.push_back(static_cast<char>(0x80 | (Ch & 0x3F)));
    } else {
        S.push_back(static_cast<char>(0xF0 | Ch >> 18));
        S.push_back(static_cast<char>(0x80 | (Ch >> 12 & 0x3F)));
        S.push_back(static_cast<char>(0x80 | (Ch >> 6 & 0x3F)));
        S.push_back(static_cast<char>(0x80 | (Ch & 0x3F)));
    }
}

Integer Utf8Length(std::string_view S) {
    Integer n = 0;
    for (size_t p = 0; p < S.size(); ++n) Utf8Next(S, p);
    return n;
}

size_t Utf8CharToByte(std::string_view S, Integer CharIndex) {
    size_t p = 0;
    for (Integer i = 0; i < CharIndex && p < S.size(); ++i) Utf8Next(S, p);
    return p;
}

Integer Utf8ByteToChar(std::string_view S, size_t ByteOffset) {
    Integer n = 0;
    size_t p = 0;
    while (p < S.size()) {
        Utf8Next(S, p);
        if (p > ByteOffset) return n;
        ++n;
    }
    return n;
}

std::string Utf8Copy(std::string_view S, Integer Index, Integer Count) {
    if (Index < 1) Index = 1;
    if (Count <= 0) return {};
    size_t from = Utf8CharToByte(S, Index - 1);
    size_t to = from;
    for (Integer i = 0; i < Count && to < S.size(); ++i) Utf8Next(S, to);
    return std::string(S.substr(from, to - from));
}

std::u32string Utf8ToCodePoints(std::string_view S) {
    std::u32string out;
    out.reserve(S.size());
    for (size_t p = 0; p < S.size();) out.push_back(Utf8Next(S, p));
    return out;
}

std::string CodePointsToUtf8(std::u32string_view S) {
    std::string out;
    out.reserve(S.size());
    for (char32_t c : S) Utf8Append(out, c);
    return out;
}

// ---------------------------------------------------------------------------------------------
// Unicode case mapping (simple, one code point to one code point)

namespace {

// Upper-case code points First, First+Step, ... Last map to lower case by adding Delta, and back.
struct CaseRule {
    char32_t First;
    char32_t Last;
    int32_t Delta;
    int32_t Step;
};

constexpr CaseRule kCaseRules[] = {
    {0x0041, 0x005A, 32, 1},       // Basic Latin
    {0x00C0, 0x00D6, 32, 1},       // Latin-1 Supplement
    {0x00D8, 0x00DE, 32, 1},
    {0x0100, 0x012E, 1, 2},        // Latin Extended-A
    {0x0132, 0x0136, 1, 2},
    {0x0139, 0x0147, 1, 2},
    {0x014A, 0x0176, 1, 2},
    {0x0178, 0x0178, -121, 1},     // Ÿ ÿ
    {0x0179, 0x017D, 1, 2},
    {0x0181, 0x0181, 210, 1},      // Latin Extended-B
    {0x0182, 0x0184, 1, 2},
    {0x0186, 0x0186, 206, 1},
    {0x0187, 0x0187, 1, 1},
    {0x0189, 0x018A, 205, 1},
    {0x018B, 0x018B, 1, 1},
    {0x018E, 0x018E, 79, 1},
    {0x018F, 0x018F, 202, 1},
    {0x0190, 0x0190, 203, 1},
    {0x0191, 0x0191, 1, 1},
    {0x0193, 0x0193, 205, 1},
    {0x0194, 0x0194, 207, 1},
    {0x0196, 0x0196, 211, 1},
    {0x0197, 0x0197, 209, 1},
    {0x0198, 0x0198, 1, 1},
    {0x019C, 0x019C, 211, 1},
    {0x019D, 0x019D, 213, 1},
    {0x019F, 0x019F, 214, 1},
    {0x01A0, 0x01A4, 1, 2},
    {0x01A7, 0x01A7, 1, 1},
    {0x01A9, 0x01A9, 218, 1},
    {0x01AC, 0x01AC, 1, 1},
    {0x01AE, 0x01AE, 218, 1},
    {0x01AF, 0x01AF, 1, 1},
    {0x01B1, 0x01B2, 217, 1},
    {0x01B3, 0x01B5, 1, 2},
    {0x01B7, 0x01B7, 219, 1},
    {0x01B8, 0x01B8, 1, 1},
    {0x01BC, 0x01BC, 1, 1},
    {0x01C4, 0x01C4, 2, 1},        // DŽ Dž dž and the like: the title-case forms are one-way below
    {0x01C7, 0x01C7, 2, 1},
    {0x01CA, 0x01CA, 2, 1},
    {0x01CD, 0x01DB, 1, 2},
    {0x01DE, 0x01EE, 1, 2},
    {0x01F1, 0x01F1, 2, 1},
    {0x01F4, 0x01F4, 1, 1},
    {0x01F8, 0x021E, 1, 2},
    {0x0222, 0x0232, 1, 2},
    {0x0246, 0x024E, 1, 2},
    {0x0386, 0x0386, 38, 1},       // Greek
    {0x0388, 0x038A, 37, 1},
    {0x038C, 0x038C, 64, 1},
    {0x038E, 0x038F, 63, 1},
    {0x0391, 0x03A1, 32, 1},
    {0x03A3, 0x03AB, 32, 1},
    {0x03CF, 0x03CF, 8, 1},
    {0x03D8, 0x03EE, 1, 2},
    {0x03F7, 0x03F7, 1, 1},
    {0x03FA, 0x03FA, 1, 1},
    {0x0400, 0x040F, 80, 1},       // Cyrillic
    {0x0410, 0x042F, 32, 1},
    {0x0460, 0x0480, 1, 2},
    {0x048A, 0x04BE, 1, 2},
    {0x04C0, 0x04C0, 15, 1},
    {0x04C1, 0x04CD, 1, 2},
    {0x04D0, 0x052E, 1, 2},
    {0x0531, 0x0556, 48, 1},       // Armenian
    {0x10A0, 0x10C5, 7264, 1},     // Georgian
    {0x1E00, 0x1E94, 1, 2},        // Latin Extended Additional
    {0x1EA0, 0x1EFE, 1, 2},
    {0x2160, 0x216F, 16, 1},       // Roman numerals
    {0x24B6, 0x24CF, 26, 1},       // circled letters
    {0xFF21, 0xFF3A, 32, 1},       // fullwidth Latin
};

struct OneWay {
    char32_t From;
    char32_t To;
};

// Mappings that have no way back.
constexpr OneWay kLowerOnly[] = {
    {0x0130, 0x0069},  // İ -> i
    {0x01C5, 0x01C6}, {0x01C8, 0x01C9}, {0x01CB, 0x01CC}, {0x01F2, 0x01F3},
    {0x1E9E, 0x00DF},  // ẞ -> ß
};
constexpr OneWay kUpperOnly[] = {
    {0x0131, 0x0049},  // ı -> I
    {0x017F, 0x0053},  // ſ -> S
    {0x01C5, 0x01C4}, {0x01C8, 0x01C7}, {0x01CB, 0x01CA}, {0x01F2, 0x01F1},
    {0x03C2, 0x03A3},  // final sigma
};

}  // namespace

char32_t CharLower(char32_t Ch) {
    if (Ch < 0x80) return (Ch >= 'A' && Ch <= 'Z') ? Ch + 32 : Ch;
    for (const auto& o : kLowerOnly)
        if (o.From == Ch) return o.To;
    for (const auto& r : kCaseRules)
        if (Ch >= r.First && Ch <= r.Last && (Ch - r.First) % r.Step == 0) return Ch + r.Delta;
    return Ch;
}

char32_t CharUpper(char32_t Ch) {
    if (Ch < 0x80) return (Ch >= 'a' && Ch <= 'z') ? Ch - 32 : Ch;
    for (const auto& o : kUpperOnly)
        if (o.From == Ch) return o.To;
    for (const auto& r : kCaseRules) {
        char32_t first = r.First + r.Delta, last = r.Last + r.Delta;
        if (Ch >= first && Ch <= last && (Ch - first) % r.Step == 0) return Ch - r.Delta;
    }
    return Ch;
}

bool IsCharUpper(char32_t Ch) {
    return CharLower(Ch) != Ch;
}

bool IsCharLower(char32_t Ch) {
    return CharUpper(Ch) != Ch || Ch == 0xDF || Ch == 0x0138 || Ch == 0x0149;
}

bool IsCharAlpha(char32_t Ch) {
    if (Ch < 0x80) return (Ch >= 'A' && Ch <= 'Z') || (Ch >= 'a' && Ch <= 'z');
    struct Range {
        char32_t First, Last;
    };
    static constexpr Range kLetters[] = {
        {0x00AA, 0x00AA}, {0x00B5, 0x00B5}, {0x00BA, 0x00BA}, {0x00C0, 0x00D6}, {0x00D8, 0x00F6},
        {0x00F8, 0x02AF}, {0x0370, 0x0373}, {0x0376, 0x0377}, {0x037B, 0x037D}, {0x0386, 0x0386},
        {0x0388, 0x03F5}, {0x03F7, 0x0481}, {0x048A, 0x052F}, {0x0531, 0x0556}, {0x0561, 0x0587},
        {0x05D0, 0x05EA}, {0x0620, 0x064A}, {0x0E01, 0x0E30}, {0x10A0, 0x10FF}, {0x1E00, 0x1FFF},
        {0x3041, 0x3096}, {0x30A1, 0x30FA}, {0x3400, 0x4DBF}, {0x4E00, 0x9FFF}, {0xAC00, 0xD7A3},
        {0xFF21, 0xFF3A}, {0xFF41, 0xFF5A}, {0xFF66, 0xFF9F},
    };
    for (const auto& r : kLetters)
        if (Ch >= r.First && Ch <= r.Last) return Ch != 0x03A2;
    return CharUpper(Ch) != Ch || CharLower(Ch) != Ch;
}

bool IsCharAlphaNumeric(char32_t Ch) {
    return (Ch >= '0' && Ch <= '9') || (Ch >= 0x0660 && Ch <= 0x0669) || (Ch >= 0xFF10 && Ch <= 0xFF19) ||
           IsCharAlpha(Ch);
}

namespace {

template <class Map>
std::string MapCodePoints(std::string_view s, Map map) {
    std::string out;
    out.reserve(s.size());
    for (size_t p = 0; p < s.size();) {
        auto b = static_cast<unsigned char>(s[p]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(map(b)));
            ++p;
        } else {
            Utf8Append(out, map(Utf8Next(s, p)));
        }
    }
    return out;
}

}  // namespace

std::string AnsiUpperCase(std::string_view S) {
    return MapCodePoints(S, [](char32_t c) { return CharUpper(c); });
}

std::string AnsiLowerCase(std::string_view S) {
    return MapCodePoints(S, [](char32_t c) { return CharLower(c); });
}

std::string UpperCase(std::string_view S) {
    std::string out(S);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return out;
}

std::string LowerCase(std::string_view S) {
    std::string out(S);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return out;
}

// ---------------------------------------------------------------------------------------------
// Trimming and byte-wise comparison

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

std::string Trim(std::string_view S) {
    size_t b = 0, e = S.size();
    while (b < e && IsBlank(S[b])) ++b;
    while (e > b && IsBlank(S[e - 1])) --e;
    return std::string(S.substr(b, e - b));
}

std::string TrimLeft(std::string_view S) {
    size_t b = 0;
    while (b < S.size() && IsBlank(S[b])) ++b;
    return std::string(S.substr(b));
}

std::string TrimRight(std::string_view S) {
    size_t e = S.size();
    while (e > 0 && IsBlank(S[e - 1])) --e;
    return std::string(S.substr(0, e));
}

Integer CompareStr(std::string_view S1, std::string_view S2) {
    size_t n = std::min(S1.size(), S2.size());
    for (size_t i = 0; i < n; ++i) {
        int d = static_cast<unsigned char>(S1[i]) - static_cast<unsigned char>(S2[i]);
        if (d) return d;
    }
    return S1.size() < S2.size() ? -1 : S1.size() > S2.size() ? 1 : 0;
}

Integer CompareText(std::string_view S1, std::string_view S2) {
    auto up = [](char c) -> int {
        auto b = static_cast<unsigned char>(c);
        return (b >= 'a' && b <= 'z') ? b - 32 : b;
    };
    size_t n = std::min(S1.size(), S2.size());
    for (size_t i = 0; i < n; ++i) {
        int d = up(S1[i]) - up(S2[i]);
        if (d) return d;
    }
    return S1.size() < S2.size() ? -1 : S1.size() > S2.size() ? 1 : 0;
}

bool SameStr(std::string_view S1, std::string_view S2) {
    return S1 == S2;
}

bool SameText(std::string_view S1, std::string_view S2) {
    return S1.size() == S2.size() && CompareText(S1, S2) == 0;
}

// ---------------------------------------------------------------------------------------------
// Collation

namespace {

// Case-folded code point for case-insensitive matching.
char32_t Fold(char32_t c) {
    return CharLower(CharUpper(c));
}

// Latin letters with diacritics: the base letter and an accent number per code point.
// '*' marks a ligature that sorts as two letters, '#' thorn (after z), '-' no letter.
constexpr char kLatin1Base[] = "aaaaaa*ceeeeiiiidnooooo-ouuuuy#*aaaaaa*ceeeeiiiidnooooo-ouuuuy#y";
constexpr char kLatin1Accent[] = "2134560721352135F4213450821351002134560721352135F421345082135105";
constexpr char kLatinABase[] =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiii**jjkkkllllllllllnnnnnnnnnoooooo**rrrrrrsssssss"
    "sttttttuuuuuuuuuuuuwwyyyzzzzzzs";
constexpr char kLatinAAccent[] =
    "AABBCC1133DD999988AABBDDCC9933BBDD77338844AABBCCDF003377F117799DD88117799FFFAABBEE00117799113377"
    "9977998844AABB66EECC3333511DD99F";
static_assert(sizeof(kLatin1Base) == 65 && sizeof(kLatin1Accent) == 65);
static_assert(sizeof(kLatinABase) == 129 && sizeof(kLatinAAccent) == 129);

struct Element {
    uint32_t Primary;
    uint8_t Secondary;
    uint8_t Tertiary;
};

constexpr uint32_t kSymbolBase = 0x100;
constexpr uint32_t kDigitBase = 0x20000;
constexpr uint32_t kLatinBase = 0x30000;
constexpr uint32_t kLetterBase = 0x40000;

uint32_t LatinPrimary(char base) {
    return base == '#' ? kLatinBase + 26 * 2 : kLatinBase + (base - 'a') * 2;
}

int AccentOf(char hex) {
    return hex <= '9' ? hex - '0' : hex - 'A' + 10;
}

// Hyphens, apostrophes and control characters only decide between otherwise equal texts.
bool IsIgnorable(char32_t c) {
    return c == '-' || c == '\'' || c == 0xAD || c == 0x2010 || c == 0x2011 || c == 0x2019 || c < 0x20 ||
           (c >= 0x7F && c <= 0x9F);
}

// The collation elements of one code point (none for ignorables, two for ligatures).
int ElementsOf(char32_t c, Element out[2]) {
    if (IsIgnorable(c)) return 0;
    char32_t lc = CharLower(c);
    uint8_t tertiary = lc != c ? 1 : 0;
    if (lc < 0x80) {
        if (lc >= 'a' && lc <= 'z')
            out[0] = {LatinPrimary(static_cast<char>(lc)), 0, tertiary};
        else if (lc >= '0' && lc <= '9')
            out[0] = {kDigitBase + (lc - '0'), 0, 0};
        else
            out[0] = {kSymbolBase + lc, 0, 0};
        return 1;
    }
    auto latin = [&](char base, char accent) {
        if (base == '*') {
            const char* pair = lc == 0xDF ? "ss" : lc == 0xE6 ? "ae" : lc == 0x0133 ? "ij" : "oe";
            out[0] = {LatinPrimary(pair[0]), 0, tertiary};
            out[1] = {LatinPrimary(pair[1]), 0, tertiary};
            return 2;
        }
        out[0] = {LatinPrimary(base), static_cast<uint8_t>(AccentOf(accent)), tertiary};
        return 1;
    };
    if (lc >= 0xC0 && lc <= 0xFF && kLatin1Base[lc - 0xC0] != '-')
        return latin(kLatin1Base[lc - 0xC0], kLatin1Accent[lc - 0xC0]);
    if (lc >= 0x100 && lc <= 0x17F) return latin(kLatinABase[lc - 0x100], kLatinAAccent[lc - 0x100]);
    if (lc == 0xB9 || lc == 0xB2 || lc == 0xB3) {
        out[0] = {kDigitBase + (lc == 0xB9 ? 1u : lc - 0xB0), 1, 0};
        return 1;
    }
    if (lc >= 0x0660 && lc <= 0x0669) {
        out[0] = {kDigitBase + (lc - 0x0660), 2, 0};
        return 1;
    }
    if (IsCharAlpha(lc)) {
        char32_t base = lc;
        uint8_t accent = 0;
        switch (lc) {  // Greek tonos and dialytika, Cyrillic yo
        case 0x03AC: base = 0x03B1; accent = 1; break;
        case 0x03AD: base = 0x03B5; accent = 1; break;
        case 0x03AE: base = 0x03B7; accent = 1; break;
        case 0x03AF: base = 0x03B9; accent = 1; break;
        case 0x03CC: base = 0x03BF; accent = 1; break;
        case 0x03CD: base = 0x03C5; accent = 1; break;
        case 0x03CE: base = 0x03C9; accent = 1; break;
        case 0x03CA: base = 0x03B9; accent = 5; break;
        case 0x03CB: base = 0x03C5; accent = 5; break;
        case 0x0390: base = 0x03B9; accent = 15; break;
        case 0x03B0: base = 0x03C5; accent = 15; break;
        case 0x03C2: base = 0x03C3; accent = 15; break;
        case 0x0451: base = 0x0435; accent = 5; break;
        default: break;
        }
        out[0] = {kLetterBase + base, accent, tertiary};
        return 1;
    }
    out[0] = {kSymbolBase + std::min<uint32_t>(lc, 0xFEFF), 0, 0};
    return 1;
}

// Walks the collation elements of a text.
class ElementCursor {
public:
    explicit ElementCursor(std::string_view s) : s_(s) {}
    bool Next(Element& e) {
        while (index_ >= count_) {
            if (pos_ >= s_.size()) return false;
            count_ = ElementsOf(Utf8Next(s_, pos_), buf_);
            index_ = 0;
        }
        e = buf_[index_++];
        return true;
    }

private:
    std::string_view s_;
    size_t pos_ = 0;
    Element buf_[2];
    int count_ = 0, index_ = 0;
};

int SignOf(int64_t v) {
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}

// Compares one level of the elements of two texts.
template <class Key>
int CompareLevel(std::string_view a, std::string_view b, Key key) {
    ElementCursor ca(a), cb(b);
    Element ea, eb;
    for (;;) {
        bool ha = ca.Next(ea), hb = cb.Next(eb);
        if (!ha || !hb) return ha ? 1 : hb ? -1 : 0;
        int64_t d = static_cast<int64_t>(key(ea)) - static_cast<int64_t>(key(eb));
        if (d) return SignOf(d);
    }
}

int CompareIgnorables(std::string_view a, std::string_view b) {
    std::u32string ia, ib;
    for (size_t p = 0; p < a.size();)
        if (char32_t c = Utf8Next(a, p); IsIgnorable(c)) ia.push_back(c);
    for (size_t p = 0; p < b.size();)
        if (char32_t c = Utf8Next(b, p); IsIgnorable(c)) ib.push_back(c);
    return SignOf(ia.compare(ib));
}

std::string FoldText(std::string_view s) {
    return MapCodePoints(s, Fold);
}

int BuiltinCompare(std::string_view a, std::string_view b, bool ignoreCase) {
    if (int d = CompareLevel(a, b, [](const Element& e) { return e.Primary; })) return d;
    if (int d = CompareLevel(a, b, [](const Element& e) { return e.Secondary; })) return d;
    if (!ignoreCase)
        if (int d = CompareLevel(a, b, [](const Element& e) { return e.Tertiary; })) return d;
    if (int d = CompareIgnorables(a, b)) return d;
    if (ignoreCase) return SignOf(FoldText(a).compare(FoldText(b)));
    return SignOf(a.compare(b));
}

struct CollationState {
    std::mutex Mutex;
    bool Resolved = false;
    std::string Name;
    locale_t Locale = nullptr;                 // null: the built-in collation
    std::vector<locale_t> Keep;                 // locales stay valid for comparisons under way
    ~CollationState() {
        for (locale_t kept : Keep) freelocale(kept);
    }
};

CollationState& Collation() {
    static CollationState state;
    return state;
}

bool IsPlainLocale(const std::string& name) {
    return name.empty() || name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

locale_t CurrentCollationLocale() {
    CollationState& st = Collation();
    std::lock_guard<std::mutex> lock(st.Mutex);
    if (!st.Resolved) {
        st.Resolved = true;
        std::string name = st.Name;
        if (name.empty())
            for (const char* var : {"LC_ALL", "LC_COLLATE", "LANG"})
                if (const char* v = std::getenv(var); v && *v) {
                    name = v;
                    break;
                }
        st.Locale = nullptr;
        if (!IsPlainLocale(name)) {
            st.Locale = newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, name.c_str(), static_cast<locale_t>(nullptr));
            if (st.Locale) st.Keep.push_back(st.Locale);
        }
    }
    return st.Locale;
}

std::wstring ToWide(std::string_view s, bool fold) {
    std::wstring w;
    w.reserve(s.size());
    for (size_t p = 0; p < s.size();) {
        char32_t c = Utf8Next(s, p);
        w.push_back(static_cast<wchar_t>(fold ? Fold(c) : c));
    }
    return w;
}

// Appends the Bytes low bytes of Value, most significant first.
void AppendBigEndian(std::string& key, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) key.push_back(static_cast<char>(value >> (8 * i)));
}

// One level of the built-in collation as key bytes: each element's weight plus one in Bytes bytes,
// then a zero, which sorts before every element as a text that runs out first does.
template <class Key>
void AppendLevel(std::string& key, std::string_view s, int bytes, Key weight) {
    ElementCursor cursor(s);
    Element e;
    while (cursor.Next(e)) AppendBigEndian(key, weight(e) + 1, bytes);
    AppendBigEndian(key, 0, bytes);
}

// The levels of BuiltinCompare (case kept) one after another, then the bytes themselves.
std::string BuiltinSortKey(std::string_view s) {
    std::string key;
    key.reserve(8 * s.size() + 16);
    AppendLevel(key, s, 3, [](const Element& e) { return e.Primary; });  // below 0x150000
    AppendLevel(key, s, 1, [](const Element& e) { return uint32_t(e.Secondary); });
    AppendLevel(key, s, 1, [](const Element& e) { return uint32_t(e.Tertiary); });
    for (size_t p = 0; p < s.size();)
        if (char32_t c = Utf8Next(s, p); IsIgnorable(c)) AppendBigEndian(key, uint32_t(c) + 1, 3);
    AppendBigEndian(key, 0, 3);
    key.append(s);
    return key;
}

// Wide characters compare as signed numbers: with the sign bit flipped, as unsigned bytes.
void AppendWide(std::string& key, wchar_t c) {
    AppendBigEndian(key, static_cast<uint32_t>(c) ^ 0x80000000u, 4);
}

int CollateCompare(std::string_view a, std::string_view b, bool ignoreCase) {
    locale_t loc = CurrentCollationLocale();
    if (!loc) return BuiltinCompare(a, b, ignoreCase);
    std::wstring wa = ToWide(a, ignoreCase), wb = ToWide(b, ignoreCase);
    if (int d = SignOf(wcscoll_l(wa.c_str(), wb.c_str(), loc))) return d;
    return SignOf(wa.compare(wb));
}

}  // namespace

void SetCollationLocale(const std::string& Name) {
    CollationState& st = Collation();
    std::lock_guard<std::mutex> lock(st.Mutex);
    st.Name = Name;
    st.Resolved = false;
}

Integer AnsiCompareStr(std::string_view S1, std::string_view S2) {
    return CollateCompare(S1, S2, false);
}

std::string AnsiSortKey(std::string_view S) {
    locale_t loc = CurrentCollationLocale();
    if (!loc) return BuiltinSortKey(S);
    // The locale's transformed text (its order is the locale comparison's, ending at the first
    // null character as the comparison does) and its end, then the characters that break ties.
    const std::wstring wide = ToWide(S, false);
    std::wstring transformed(4 * wide.size() + 16, L'\0');
    size_t length = wcsxfrm_l(transformed.data(), wide.c_str(), transformed.size(), loc);
    if (length >= transformed.size()) {
        transformed.assign(length + 1, L'\0');
        length = wcsxfrm_l(transformed.data(), wide.c_str(), transformed.size(), loc);
    }
    transformed.resize(length);
    std::string key;
    key.reserve(4 * (transformed.size() + wide.size() + 1));
    for (wchar_t c : transformed) AppendWide(key, c);
    AppendWide(key, L'\0');
    for (wchar_t c : wide) AppendWide(key, c);
    return key;
}

Integer AnsiCompareText(std::string_view S1, std::string_view S2) {
    return CollateCompare(S1, S2, true);
}

bool AnsiSameStr(std::string_view S1, std::string_view S2) {
    return S1 == S2;
}

bool AnsiSameText(std::string_view S1, std::string_view S2) {
    size_t p1 = 0, p2 = 0;
    while (p1 < S1.size() && p2 < S2.size())
        if (Fold(Utf8Next(S1, p1)) != Fold(Utf8Next(S2, p2))) return false;
    return p1 == S1.size() && p2 == S2.size();
}

bool AnsiStartsText(std::string_view SubText, std::string_view Text) {
    size_t p1 = 0, p2 = 0;
    while (p1 < SubText.size()) {
        if (p2 >= Text.size()) return false;
        if (Fold(Utf8Next(SubText, p1)) != Fold(Utf8Next(Text, p2))) return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Quoting and replacing

std::string AnsiQuotedStr(std::string_view S, char Quote) {
    std::string out;
    out.reserve(S.size() + 2);
    out.push_back(Quote);
    for (char c : S) {
        out.push_back(c);
        if (c == Quote) out.push_back(c);
    }
    out.push_back(Quote);
    return out;
}

std::string QuotedStr(std::string_view S) {
    return AnsiQuotedStr(S, '\'');
}

std::string AnsiExtractQuotedStr(std::string_view S, size_t& Pos, char Quote) {
    if (Pos >= S.size() || S[Pos] != Quote) return {};
    std::string out;
    size_t i = Pos + 1;
    while (i < S.size()) {
        if (S[i] == Quote) {
            if (i + 1 < S.size() && S[i + 1] == Quote) {
                out.push_back(Quote);
                i += 2;
                continue;
            }
            ++i;
            break;
        }
        out.push_back(S[i++]);
    }
    Pos = i;
    return out;
}

std::string AnsiDequotedStr(std::string_view S, char Quote) {
    if (S.size() < 2 || S.front() != Quote || S.back() != Quote) return std::string(S);
    size_t pos = 0;
    return AnsiExtractQuotedStr(S, pos, Quote);
}

std::string StringReplace(std::string_view S, std::string_view OldPattern, std::string_view NewPattern,
                          TReplaceFlags Flags) {
    if (OldPattern.empty()) return std::string(S);
    const bool all = Flags.Contains(rfReplaceAll);
    std::string out;
    out.reserve(S.size());
    if (!Flags.Contains(rfIgnoreCase)) {
        size_t from = 0;
        for (;;) {
            size_t at = S.find(OldPattern, from);
            if (at == std::string_view::npos) break;
            out.append(S.substr(from, at - from));
            out.append(NewPattern);
            from = at + OldPattern.size();
            if (!all) break;
        }
        out.append(S.substr(from));
        return out;
    }
    // Case-insensitive: match folded code points, copy the original bytes.
    std::u32string pattern;
    for (size_t p = 0; p < OldPattern.size();) pattern.push_back(Fold(Utf8Next(OldPattern, p)));
    std::u32string text;
    std::vector<size_t> offsets;
    for (size_t p = 0; p < S.size();) {
        offsets.push_back(p);
        text.push_back(Fold(Utf8Next(S, p)));
    }
    offsets.push_back(S.size());
    size_t from = 0;  // in code points
    for (;;) {
        size_t at = text.find(pattern, from);
        if (at == std::u32string::npos) break;
        out.append(S.substr(offsets[from], offsets[at] - offsets[from]));
        out.append(NewPattern);
        from = at + pattern.size();
        if (!all) break;
    }
    out.append(S.substr(offsets[from]));
    return out;
}

// ---------------------------------------------------------------------------------------------
// 1-based substring routines

Integer Pos(std::string_view Substr, std::string_view S) {
    return PosEx(Substr, S, 1);
}

Integer PosEx(std::string_view Substr, std::string_view S, Integer Offset) {
    if (Substr.empty() || Offset < 1 || static_cast<size_t>(Offset) > S.size()) return 0;
    size_t at = S.find(Substr, static_cast<size_t>(Offset) - 1);
    return at == std::string_view::npos ? 0 : static_cast<Integer>(at) + 1;
}

std::string Copy(std::string_view S, Integer Index, Integer Count) {
    if (Index < 1) Index = 1;
    if (Count <= 0 || static_cast<size_t>(Index) > S.size()) return {};
    return std::string(S.substr(static_cast<size_t>(Index) - 1, static_cast<size_t>(Count)));
}

void Delete(std::string& S, Integer Index, Integer Count) {
    if (Index < 1 || static_cast<size_t>(Index) > S.size() || Count <= 0) return;
    S.erase(static_cast<size_t>(Index) - 1, static_cast<size_t>(Count));
}

void Insert(std::string_view Source, std::string& S, Integer Index) {
    if (Index < 1) Index = 1;
    size_t at = std::min(static_cast<size_t>(Index) - 1, S.size());
    S.insert(at, Source);
}

std::string StringOfChar(char Ch, Integer Count) {
    return Count > 0 ? std::string(static_cast<size_t>(Count), Ch) : std::string();
}

bool IsDelimiter(std::string_view Delimiters, std::string_view S, Integer Index) {
    if (Index < 1 || static_cast<size_t>(Index) > S.size()) return false;
    return Delimiters.find(S[static_cast<size_t>(Index) - 1]) != std::string_view::npos;
}

Integer LastDelimiter(std::string_view Delimiters, std::string_view S) {
    size_t at = S.find_last_of(Delimiters);
    return at == std::string_view::npos ? 0 : static_cast<Integer>(at) + 1;
}

std::string AdjustLineBreaks(std::string_view S, TTextLineBreakStyle Style) {
    const char* lineBreak = Style == tlbsCRLF ? "\r\n" : "\n";
    std::string out;
    out.reserve(S.size() + S.size() / 16);
    for (size_t i = 0; i < S.size(); ++i) {
        char c = S[i];
        if (c == '\r' || c == '\n') {
            char other = c == '\r' ? '\n' : '\r';
            if (i + 1 < S.size() && S[i + 1] == other) ++i;
            out += lineBreak;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Decimal form of floating values

namespace {

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// True when x (positive) lies exactly halfway between two multiples of 10^-q.
bool IsHalfway(double x, int q) {
    if (q >= 0) {
        if (q > 1100) return false;
        // x * 10^q = k + 1/2 exactly when x * 2^(q+1) is an odd integer.
        double m = std::ldexp(x, q + 1);
        return m == std::floor(m) && std::fmod(m, 2.0) == 1.0;
    }
    int r = -q;
    if (r > 22) return false;
    return std::fmod(x, kPowersOfTen[r]) == 5 * kPowersOfTen[r - 1];
}

}  // namespace

TFloatRec FloatToDecimal(double Value, Integer Precision, Integer Decimals) {
    TFloatRec r;
    if (std::isnan(Value)) {
        r.Special = true;
        r.Exponent = 0x8000;
        return r;
    }
    if (std::isinf(Value)) {
        r.Special = true;
        r.Exponent = 0x7FFF;
        r.Negative = Value < 0;
        return r;
    }
    if (Value == 0) return r;
    double x = std::fabs(Value);
    Precision = std::clamp(Precision, 1, 20);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.16e", x);
    const int e = std::atoi(std::strchr(buf, 'e') + 1);  // x = d.ddd * 10^e
    const Int64 digits = std::min<Int64>(Precision, Int64(e) + 1 + Decimals);
    if (digits < 0) return r;
    if (digits == 0) {
        // Below one unit of the last decimal: it rounds to 0 or to that unit.
        bool up;
        if (Decimals == 0) {
            up = x >= 0.5;
        } else {
            std::snprintf(buf, sizeof buf, "%.*f", static_cast<int>(std::min(Decimals, 40)), x);
            up = buf[std::strlen(buf) - 1] == '1';
        }
        if (!up) return r;
        r.Negative = Value < 0;
        r.Digits = "1";
        r.Exponent = 1 - Decimals;
        return r;
    }
    const int p = static_cast<int>(digits);
    double y = IsHalfway(x, p - 1 - e) ? std::nextafter(x, HUGE_VAL) : x;
    std::snprintf(buf, sizeof buf, "%.*e", p - 1, y);
    const char* ePos = std::strchr(buf, 'e');
    for (const char* c = buf; c < ePos; ++c)
        if (*c >= '0' && *c <= '9') r.Digits.push_back(*c);
    while (!r.Digits.empty() && r.Digits.back() == '0') r.Digits.pop_back();
    r.Exponent = std::atoi(ePos + 1) + 1;
    r.Negative = Value < 0;
    return r;
}

// ---------------------------------------------------------------------------------------------
// Format

namespace {

std::string IntegerText(UInt64 magnitude, bool negative, int minDigits) {
    std::string digits = lumora_detail::UnsignedToStr(magnitude);
    if (minDigits > 0 && static_cast<int>(digits.size()) < minDigits)
        digits.insert(0, static_cast<size_t>(std::min(minDigits, 64)) - digits.size(), '0');
    return negative ? "-" + digits : digits;
}

class Formatter {
public:
    Formatter(std::string_view fmt, const TVarRec* args, size_t count) : fmt_(fmt), args_(args), count_(count) {}

    std::string Run() {
        std::string out;
        out.reserve(fmt_.size() + 16);
        const size_t n = fmt_.size();
        while (i_ < n) {
            size_t pct = fmt_.find('%', i_);
            if (pct == std::string_view::npos) pct = n;
            out.append(fmt_.substr(i_, pct - i_));
            i_ = pct;
            if (i_ >= n) break;
            ++i_;
            if (i_ >= n) Invalid();
            if (fmt_[i_] == '%') {
                out.push_back('%');
                ++i_;
                continue;
            }
            Directive(out);
        }
        return out;
    }

private:
    [[noreturn]] void Invalid() const {
        throw EConvertError("Format '" + std::string(fmt_) + "' invalid or incompatible with argument");
    }

    const TVarRec& NextArg() {
        if (arg_ >= count_) throw EConvertError("No argument for format '" + std::string(fmt_) + "'");
        return args_[arg_++];
    }

    // Digits or "*" (the next argument, which must be an integer).
    bool Number(Int64& value) {
        if (i_ < fmt_.size() && fmt_[i_] == '*') {
            ++i_;
            const TVarRec& a = NextArg();
            if (a.Kind != TVarRec::vtInteger && a.Kind != TVarRec::vtInt64) Invalid();
            value = a.VInt64;
            return true;
        }
        if (i_ >= fmt_.size() || fmt_[i_] < '0' || fmt_[i_] > '9') return false;
        value = 0;
        while (i_ < fmt_.size() && fmt_[i_] >= '0' && fmt_[i_] <= '9') {
            value = std::min<Int64>(value * 10 + (fmt_[i_] - '0'), 0x7FFFFFFF);
            ++i_;
        }
        return true;
    }

    void Directive(std::string& out) {
        bool left = false;
        Int64 width = -1, precision = -1, v = 0;
        bool haveFirst = Number(v);
        if (i_ < fmt_.size() && fmt_[i_] == ':') {
            if (!haveFirst || v < 0) Invalid();
            arg_ = static_cast<size_t>(v);
            ++i_;
            haveFirst = false;
        }
        if (haveFirst) {
            width = v;
        } else {
            if (i_ < fmt_.size() && fmt_[i_] == '-') {
                left = true;
                ++i_;
            }
            if (Number(v)) width = v;
        }
        if (i_ < fmt_.size() && fmt_[i_] == '.') {
            ++i_;
            precision = Number(v) ? v : 0;
            if (precision < 0) precision = -1;
        }
        if (i_ >= fmt_.size()) Invalid();
        char type = fmt_[i_++];
        if (type >= 'a' && type <= 'z') type = static_cast<char>(type - 32);
        const TVarRec& a = NextArg();
        std::string text = Convert(type, a, static_cast<int>(std::min<Int64>(precision, 0x7FFF)));
        if (width > 0) {
            Integer len = Utf8Length(text);
            if (len < width) {
                std::string pad(static_cast<size_t>(std::min<Int64>(width - len, 1 << 20)), ' ');
                text = left ? text + pad : pad + text;
            }
        }
        out += text;
    }

    std::string Convert(char type, const TVarRec& a, int precision) {
        const bool isInt = a.Kind == TVarRec::vtInteger || a.Kind == TVarRec::vtInt64;
        const bool isFloat = a.Kind == TVarRec::vtExtended;
        switch (type) {
        case 'D': {
            if (!isInt) Invalid();
            bool neg = a.VInt64 < 0;
            UInt64 mag = neg ? 0 - static_cast<UInt64>(a.VInt64) : static_cast<UInt64>(a.VInt64);
            return IntegerText(mag, neg, precision);
        }
        case 'U': {
            if (!isInt) Invalid();
            UInt64 mag = a.Kind == TVarRec::vtInteger ? static_cast<uint32_t>(a.VInt64) : static_cast<UInt64>(a.VInt64);
            return IntegerText(mag, false, precision);
        }
        case 'X': {
            if (!isInt) Invalid();
            UInt64 bits =
                a.Kind == TVarRec::vtInteger ? static_cast<uint32_t>(a.VInt64) : static_cast<UInt64>(a.VInt64);
            return lumora_detail::HexDigits(bits, precision);
        }
        case 'E':
            if (!isFloat) Invalid();
            return FloatToStrF(a.VExtended, ffExponent, precision < 0 ? 15 : precision, 3);
        case 'F':
            if (!isFloat) Invalid();
            return FloatToStrF(a.VExtended, ffFixed, 18, precision < 0 ? 2 : precision);
        case 'N':
            if (!isFloat) Invalid();
            return FloatToStrF(a.VExtended, ffNumber, 18, precision < 0 ? 2 : precision);
        case 'G':
            if (!isFloat) Invalid();
            return FloatToStrF(a.VExtended, ffGeneral, precision < 0 ? 15 : precision, 3);
        case 'M':
            if (!isFloat) Invalid();
            return FloatToStrF(a.VExtended, ffCurrency, 18,
                               precision < 0 ? FormatSettings.CurrencyDecimals : precision);
        case 'P':
            if (a.Kind != TVarRec::vtPointer) Invalid();
            return lumora_detail::HexDigits(reinterpret_cast<uintptr_t>(a.VPointer), 2 * sizeof(void*));
        case 'S':
            if (a.Kind != TVarRec::vtString && a.Kind != TVarRec::vtChar) Invalid();
            return precision >= 0 ? Utf8Copy(a.VString, 1, precision) : a.VString;
        default:
            Invalid();
        }
    }

    std::string_view fmt_;
    const TVarRec* args_;
    size_t count_;
    size_t i_ = 0;
    size_t arg_ = 0;
};

}  // namespace

std::string Format(std::string_view Fmt, std::initializer_list<TVarRec> Args) {
    return Formatter(Fmt, Args.begin(), Args.size()).Run();
}

std::string Format(std::string_view Fmt, const std::vector<TVarRec>& Args) {
    return Formatter(Fmt, Args.data(), Args.size()).Run();
}
