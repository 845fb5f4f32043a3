#pragma once
// Text and number routines of the runtime library: integer conversions, Format, trimming, case
// mapping and comparison, quoting, replacing, the 1-based substring routines and UTF-8
// code-point helpers.
//
// Texts are UTF-8. The plain routines (UpperCase, CompareText, Pos, Copy, ...) work on bytes and
// ASCII letters, as the framework's single-byte routines do; the "Ansi" routines are the
// locale-aware ones and work on Unicode code points. Positions given to or returned by Pos,
// Copy, Delete and Insert are 1-based byte positions; the Utf8* helpers convert between byte
// offsets and character (code-point) indexes.

#include <concepts>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "framework/exceptions.h"
#include "framework/types.h"

// ---------------------------------------------------------------------------------------------
// Integer conversions

namespace lumora_detail {
std::string SignedToStr(Int64 Value);
std::string UnsignedToStr(UInt64 Value);
std::string HexDigits(UInt64 Value, Integer Digits);
}  // namespace lumora_detail

template <std::integral T>
    requires(!std::same_as<T, bool>)
std::string IntToStr(T Value) {
    if constexpr (std::is_signed_v<T>)
        return lumora_detail::SignedToStr(static_cast<Int64>(Value));
    else
        return lumora_detail::UnsignedToStr(static_cast<UInt64>(Value));
}

// Upper-case hexadecimal with at least Digits digits. Values of 32 bits or less are taken as
// 32-bit (IntToHex(-1, 2) is "FFFFFFFF"), wider ones as 64-bit.
template <std::integral T>
    requires(!std::same_as<T, bool>)
std::string IntToHex(T Value, Integer Digits) {
    if constexpr (sizeof(T) <= 4)
        return lumora_detail::HexDigits(static_cast<uint32_t>(Value), Digits);
    else
        return lumora_detail::HexDigits(static_cast<UInt64>(Value), Digits);
}

// Decimal, or hexadecimal after "$" or "0x"; an optional sign; leading blanks are skipped.
// Hexadecimal values take the full unsigned range and wrap ("$FFFFFFFF" is -1).
// Raises EConvertError "'%s' is not a valid integer value".
Integer StrToInt(std::string_view S);
Int64 StrToInt64(std::string_view S);
Integer StrToIntDef(std::string_view S, Integer Default);
Int64 StrToInt64Def(std::string_view S, Int64 Default);
bool TryStrToInt(std::string_view S, Integer& Value);
bool TryStrToInt64(std::string_view S, Int64& Value);

// ---------------------------------------------------------------------------------------------
// Format

// One argument of Format. Built implicitly from integers, floating values, texts, characters and
// pointers, so that Format("%d of %s", {3, name}) reads naturally.
class TVarRec {
public:
    enum TKind : Byte { vtInteger, vtInt64, vtBoolean, vtChar, vtExtended, vtString, vtPointer };

    TVarRec(int v) : Kind(vtInteger), VInt64(v) {}
    TVarRec(unsigned v) : Kind(vtInt64), VInt64(v) {}
    TVarRec(long v) : Kind(vtInt64), VInt64(v) {}
    TVarRec(unsigned long v) : Kind(vtInt64), VInt64(static_cast<Int64>(v)) {}
    TVarRec(long long v) : Kind(vtInt64), VInt64(v) {}
    TVarRec(unsigned long long v) : Kind(vtInt64), VInt64(static_cast<Int64>(v)) {}
    TVarRec(bool v) : Kind(vtBoolean), VInt64(v) {}
    TVarRec(char v) : Kind(vtChar), VString(1, v) {}
    TVarRec(double v) : Kind(vtExtended), VExtended(v) {}
    TVarRec(long double v) : Kind(vtExtended), VExtended(static_cast<double>(v)) {}
    TVarRec(const char* v) : Kind(vtString), VString(v ? v : "") {}
    TVarRec(std::string v) : Kind(vtString), VString(std::move(v)) {}
    TVarRec(std::string_view v) : Kind(vtString), VString(v) {}
    TVarRec(const void* v) : Kind(vtPointer), VPointer(v) {}
    TVarRec(std::nullptr_t) : Kind(vtPointer) {}

    TKind Kind;
    Int64 VInt64 = 0;
    double VExtended = 0;
    std::string VString;
    const void* VPointer = nullptr;
};

// The framework's Format: "%" [index ":"] ["-"] [width] ["." precision] type, where index, width
// and precision may be "*" (taken from the next argument) and type is one of
//   d  decimal integer (precision = minimum digits)     u  unsigned decimal integer
//   x  upper-case hexadecimal (precision = minimum digits)
//   e  scientific "-d.ddddE+ddd" (precision = significant digits, default 15)
//   f  fixed (precision = decimals, default 2)           n  fixed with thousands separators
//   g  shortest of fixed and scientific (precision = significant digits, default 15)
//   m  currency (precision = decimals, default the currency decimals)
//   p  pointer as hexadecimal                             s  text or character (precision = maximum length)
// and "%%" is a percent sign. Width pads with blanks on the left, or on the right after "-";
// widths and precisions of texts count characters. The floating types are FloatToStrF's formats
// (ffExponent, ffFixed, ffNumber, ffGeneral and ffCurrency, three exponent digits) with the
// global FormatSettings. A bad directive or an argument of the wrong kind raises EConvertError
// "Format '%s' invalid or incompatible with argument"; too few arguments raise "No argument for
// format '%s'".
std::string Format(std::string_view Fmt, std::initializer_list<TVarRec> Args);
std::string Format(std::string_view Fmt, const std::vector<TVarRec>& Args);

// The decimal form of a floating value: Value = 0.Digits * 10^Exponent, Digits without trailing
// zeros and empty for zero. The value is rounded (halves away from zero) to at most Precision
// significant digits and at most Decimals digits after the decimal point. Infinities and NaN set
// Special (Exponent 0x7FFF for infinity, 0x8000 for NaN).
struct TFloatRec {
    Integer Exponent = 0;
    bool Negative = false;
    bool Special = false;
    std::string Digits;
};
TFloatRec FloatToDecimal(double Value, Integer Precision, Integer Decimals);

// ---------------------------------------------------------------------------------------------
// Trimming, case and comparison

// Remove blanks and control characters (every byte up to and including the space).
std::string Trim(std::string_view S);
std::string TrimLeft(std::string_view S);
std::string TrimRight(std::string_view S);

// ASCII letters only; every other byte is kept.
std::string UpperCase(std::string_view S);
std::string LowerCase(std::string_view S);
// Unicode case mapping of every code point (Latin, Greek, Cyrillic, Armenian, fullwidth ...).
std::string AnsiUpperCase(std::string_view S);
std::string AnsiLowerCase(std::string_view S);

// Byte-wise, and ASCII case-insensitive: negative, zero or positive.
Integer CompareStr(std::string_view S1, std::string_view S2);
Integer CompareText(std::string_view S1, std::string_view S2);
bool SameStr(std::string_view S1, std::string_view S2);
bool SameText(std::string_view S1, std::string_view S2);

// The user's collation: -1, 0 or 1. AnsiCompareText ignores letter case.
Integer AnsiCompareStr(std::string_view S1, std::string_view S2);
Integer AnsiCompareText(std::string_view S1, std::string_view S2);
// A key whose byte order is AnsiCompareStr's: compared byte by byte, the shorter first when one
// begins the other (std::string's compare), two keys order as their texts do and are equal where
// the collation finds the texts equal. Made once per text, it spares a sort the collation's work
// for every pair it compares.
std::string AnsiSortKey(std::string_view S);
bool AnsiSameStr(std::string_view S1, std::string_view S2);
bool AnsiSameText(std::string_view S1, std::string_view S2);
// True when Text starts with SubText, ignoring letter case.
bool AnsiStartsText(std::string_view SubText, std::string_view Text);

// The collation the Ansi comparisons use. "" (the default) takes the locale from the
// environment (LC_ALL, LC_COLLATE, LANG); "C", "POSIX", "C.UTF-8" or a locale the system does
// not have select the built-in collation: blanks and punctuation, then digits, then letters
// alphabetically, accents and then letter case (small first) deciding only between texts that
// are otherwise equal, hyphens and apostrophes counting last. Tests select "C".
void SetCollationLocale(const std::string& Name);

// Single characters as code points.
char32_t CharUpper(char32_t Ch);
char32_t CharLower(char32_t Ch);
bool IsCharAlpha(char32_t Ch);
bool IsCharAlphaNumeric(char32_t Ch);
bool IsCharUpper(char32_t Ch);
bool IsCharLower(char32_t Ch);

// ---------------------------------------------------------------------------------------------
// Quoting and replacing

// 'text' with every embedded quote doubled.
std::string QuotedStr(std::string_view S);
std::string AnsiQuotedStr(std::string_view S, char Quote);
// The text between a leading Quote and its closing quote, doubled quotes made single. Without a
// leading quote the result is empty and Pos is not moved; without a closing quote the rest of the
// text is taken. Pos (a 0-based byte offset) is moved past the closing quote.
std::string AnsiExtractQuotedStr(std::string_view S, size_t& Pos, char Quote);
// S unquoted when it starts and ends with Quote; otherwise S unchanged.
std::string AnsiDequotedStr(std::string_view S, char Quote);

enum TReplaceFlag { rfReplaceAll, rfIgnoreCase };
using TReplaceFlags = TSet<TReplaceFlag>;
// Replaces the first occurrence of OldPattern (every one with rfReplaceAll); rfIgnoreCase
// compares with Unicode case folding. An empty OldPattern changes nothing.
std::string StringReplace(std::string_view S, std::string_view OldPattern, std::string_view NewPattern,
                          TReplaceFlags Flags);

// ---------------------------------------------------------------------------------------------
// 1-based substring routines (byte positions)

// Position of the first Substr in S, 0 when absent or when Substr is empty.
Integer Pos(std::string_view Substr, std::string_view S);
// As Pos, starting at Offset; 0 when Offset is below 1 or past the end.
Integer PosEx(std::string_view Substr, std::string_view S, Integer Offset = 1);
// Count bytes from Index; an Index below 1 counts as 1, the end clips.
std::string Copy(std::string_view S, Integer Index, Integer Count = 0x7FFFFFFF);
// Removes Count bytes from Index; nothing happens when Index is outside 1..Length(S).
void Delete(std::string& S, Integer Index, Integer Count);
// Inserts Source before Index (clamped to 1..Length(S)+1).
void Insert(std::string_view Source, std::string& S, Integer Index);
std::string StringOfChar(char Ch, Integer Count);
// True when byte Index (1-based) of S is one of Delimiters.
bool IsDelimiter(std::string_view Delimiters, std::string_view S, Integer Index);
// Position of the last byte of S that is one of Delimiters, 0 when none.
Integer LastDelimiter(std::string_view Delimiters, std::string_view S);

enum TTextLineBreakStyle { tlbsLF, tlbsCRLF };
// Every CR LF, LF CR, lone CR and lone LF becomes one line break of Style.
std::string AdjustLineBreaks(std::string_view S, TTextLineBreakStyle Style = tlbsCRLF);

// ---------------------------------------------------------------------------------------------
// UTF-8 code points
//
// A byte that is not part of a valid UTF-8 sequence decodes to U+DC80 + byte and encodes back to
// that byte, so texts with stray bytes survive a decode and encode unchanged.

// Reads the code point at byte offset Pos and moves Pos past it. Pos must be below S.size().
char32_t Utf8Next(std::string_view S, size_t& Pos);
void Utf8Append(std::string& S, char32_t Ch);
// Number of code points.
Integer Utf8Length(std::string_view S);
// Byte offset of the code point with 0-based index CharIndex (S.size() when past the end).
size_t Utf8CharToByte(std::string_view S, Integer CharIndex);
// 0-based code-point index of the code point containing byte offset ByteOffset.
Integer Utf8ByteToChar(std::string_view S, size_t ByteOffset);
// Count code points from the 1-based code-point Index, clipped like Copy.
std::string Utf8Copy(std::string_view S, Integer Index, Integer Count = 0x7FFFFFFF);
std::u32string Utf8ToCodePoints(std::string_view S);
std::string CodePointsToUtf8(std::u32string_view S);
