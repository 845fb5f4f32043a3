#include "framework/formatting.h"

#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <limits>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "framework/date_time.h"
#include "framework/exceptions.h"
#include "framework/sysutils.h"

namespace {

// A number as decimal digits (value = 0.<Digits> x 10^Exponent, empty digits for zero), as
// FloatToDecimal gives it.
using FloatRec = TFloatRec;

bool IsZero(const FloatRec& rec) {
    return rec.Digits.empty() && !rec.Special;
}
bool IsNaN(const FloatRec& rec) {
    return rec.Special && rec.Exponent == 0x8000;
}

void StripTrailingZeros(FloatRec& rec) {
    while (!rec.Digits.empty() && rec.Digits.back() == '0') rec.Digits.pop_back();
    if (rec.Digits.empty()) rec.Exponent = 0;
}

// The value at BaseDigits significant digits (15, or 18 for wide precisions).
FloatRec DecimalOf(Extended value, int baseDigits) {
    return FloatToDecimal(static_cast<double>(value), baseDigits, 9999);
}

FloatRec DecimalOf(Currency value) {
    FloatRec rec;
    if (value == 0) return rec;
    rec.Negative = value < 0;
    UInt64 magnitude = value < 0 ? UInt64(0) - UInt64(value) : UInt64(value);
    rec.Digits = std::to_string(magnitude);
    rec.Exponent = static_cast<int>(rec.Digits.size()) - 4;
    StripTrailingZeros(rec);
    return rec;
}

// Keeps the first Keep digits, rounding half away from zero.
void RoundTo(FloatRec& rec, int keep) {
    if (IsZero(rec) || keep >= static_cast<int>(rec.Digits.size())) return;
    if (keep < 0) {
        rec.Digits.clear();
        rec.Exponent = 0;
        return;
    }
    bool up = rec.Digits[keep] >= '5';
    rec.Digits.resize(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && rec.Digits[i] == '9') rec.Digits[i--] = '0';
        if (i >= 0) {
            ++rec.Digits[i];
        } else {
            rec.Digits.insert(rec.Digits.begin(), '1');
            ++rec.Exponent;
        }
    }
    StripTrailingZeros(rec);
}

void RoundPlaces(FloatRec& rec, int significant, int decimals) {
    if (IsZero(rec)) return;
    int keep = rec.Exponent + decimals;
    if (significant < keep) keep = significant;
    RoundTo(rec, keep);
}

std::string Grouped(const std::string& digits, char separator) {
    std::string out;
    int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        out += digits[i];
        int left = n - 1 - i;
        if (left > 0 && left % 3 == 0) out += separator;
    }
    return out;
}

std::string IntegerDigits(const FloatRec& rec) {
    if (rec.Exponent <= 0) return "";
    std::string s = rec.Digits.substr(0, std::min<size_t>(rec.Digits.size(), rec.Exponent));
    s.append(rec.Exponent - s.size(), '0');
    return s;
}

std::string FractionDigits(const FloatRec& rec) {
    if (IsZero(rec)) return "";
    if (rec.Exponent < 0) return std::string(-rec.Exponent, '0') + rec.Digits;
    if (rec.Exponent >= static_cast<int>(rec.Digits.size())) return "";
    return rec.Digits.substr(rec.Exponent);
}

std::string ExponentText(int exp, int minDigits, bool plusSign) {
    std::string digits = std::to_string(exp < 0 ? -exp : exp);
    if (static_cast<int>(digits.size()) < minDigits) digits.insert(0, minDigits - digits.size(), '0');
    return (exp < 0 ? "-" : plusSign ? "+" : "") + digits;
}

std::string SpecialText(const FloatRec& rec) {
    if (IsNaN(rec)) return "NAN";
    return rec.Negative ? "-INF" : "INF";
}

std::string FormatGeneral(FloatRec rec, int precision, int expDigits, const TFormatSettings& fs) {
    RoundTo(rec, precision);
    if (IsZero(rec)) return "0";
    std::string out = rec.Negative ? "-" : "";
    if (rec.Exponent > precision || rec.Exponent < -4) {
        out += rec.Digits[0];
        if (rec.Digits.size() > 1) {
            out += fs.DecimalSeparator;
            out += rec.Digits.substr(1);
        }
        out += 'E';
        out += ExponentText(rec.Exponent - 1, expDigits, false);
        return out;
    }
    std::string intPart = IntegerDigits(rec);
    out += intPart.empty() ? "0" : intPart;
    std::string frac = FractionDigits(rec);
    if (!frac.empty()) {
        out += fs.DecimalSeparator;
        out += frac;
    }
    return out;
}

std::string FormatExponent(FloatRec rec, int precision, int expDigits, const TFormatSettings& fs) {
    RoundTo(rec, precision);
    std::string digits = rec.Digits;
    digits.append(precision - std::min<size_t>(digits.size(), precision), '0');
    std::string out = rec.Negative && !IsZero(rec) ? "-" : "";
    out += digits[0];
    if (precision > 1) {
        out += fs.DecimalSeparator;
        out += digits.substr(1);
    }
    out += 'E';
    out += ExponentText(IsZero(rec) ? 0 : rec.Exponent - 1, expDigits, true);
    return out;
}

// Fixed, number and currency formats share this: the digits with Decimals decimals.
std::string FixedDigits(FloatRec& rec, int precision, int decimals, bool thousands, const TFormatSettings& fs) {
    RoundPlaces(rec, precision, decimals);
    std::string intPart = IntegerDigits(rec);
    if (intPart.empty()) intPart.push_back('0');
    std::string out = thousands ? Grouped(intPart, fs.ThousandSeparator) : intPart;
    if (decimals > 0) {
        std::string frac = FractionDigits(rec);
        frac.append(decimals - std::min<size_t>(frac.size(), decimals), '0');
        out += fs.DecimalSeparator;
        out += frac;
    }
    return out;
}

std::string CurrencyPlaced(const std::string& number, bool negative, const TFormatSettings& fs) {
    static const char* const positive[] = {"$1", "1$", "$ 1", "1 $"};
    static const char* const negativeForms[] = {"($1)", "-$1", "$-1", "$1-", "(1$)", "-1$", "1-$", "1$-",
                                                "-1 $", "-$ 1", "1 $-", "$ 1-", "$ -1", "1- $", "($ 1)", "(1 $)"};
    const char* pattern = negative ? negativeForms[fs.NegCurrFormat % 16] : positive[fs.CurrencyFormat % 4];
    std::string out;
    for (const char* p = pattern; *p; ++p) {
        if (*p == '$')
            out += fs.CurrencyString;
        else if (*p == '1')
            out += number;
        else
            out += *p;
    }
    return out;
}

std::string FormatRec(const FloatRec& value, TFloatFormat format, int precision, int digits,
                      const TFormatSettings& fs) {
    if (value.Special) return SpecialText(value);
    if (precision < 1) precision = 1;
    if (precision > 19) precision = 19;
    switch (format) {
        case ffGeneral:
            return FormatGeneral(value, precision, std::clamp(digits, 0, 4), fs);
        case ffExponent:
            return FormatExponent(value, precision, std::clamp(digits, 0, 4), fs);
        case ffFixed:
        case ffNumber:
        case ffCurrency: {
            if (digits < 0) digits = 0;
            if (digits > 18) digits = 18;
            FloatRec rec = value;
            if (rec.Exponent > precision) return FormatGeneral(rec, precision, 0, fs);
            std::string number = FixedDigits(rec, precision, digits, format != ffFixed, fs);
            bool negative = value.Negative && !IsZero(rec);
            if (format == ffCurrency) return CurrencyPlaced(number, negative, fs);
            return negative ? "-" + number : number;
        }
    }
    return "";
}

int BaseDigitsFor(int precision) {
    return precision > 15 ? 18 : 15;
}

// ---- FormatFloat -------------------------------------------------------------------------

std::vector<std::string> SplitSections(const std::string& format) {
    std::vector<std::string> sections(1);
    char quote = 0;
    for (char c : format) {
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            sections.emplace_back();
            continue;
        }
        sections.back() += c;
    }
    return sections;
}

bool IsExponentAt(const std::string& s, size_t i) {
    return (s[i] == 'E' || s[i] == 'e') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-');
}

struct Layout {
    int IntCount = 0;
    int MinInt = 0;
    int FracCount = 0;
    int MinFrac = 0;
    bool Thousands = false;
    bool Scientific = false;
};

Layout Analyse(const std::string& section) {
    Layout l;
    int firstZero = -1;
    bool afterPoint = false;
    char quote = 0;
    for (size_t i = 0; i < section.size(); ++i) {
        char c = section[i];
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '0' || c == '#') {
            if (afterPoint) {
                ++l.FracCount;
                if (c == '0') l.MinFrac = l.FracCount;
            } else {
                if (c == '0' && firstZero < 0) firstZero = l.IntCount;
                ++l.IntCount;
            }
        } else if (c == '.') {
            afterPoint = true;
        } else if (c == ',') {
            l.Thousands = true;
        } else if (IsExponentAt(section, i)) {
            l.Scientific = true;
            break;
        }
    }
    l.MinInt = firstZero < 0 ? 0 : l.IntCount - firstZero;
    return l;
}

std::string Render(const std::string& section, const Layout& l, const FloatRec& rec, bool minus,
                   const TFormatSettings& fs) {
    std::string intStr, fracStr;
    int exponent = 0;
    if (l.Scientific) {
        intStr = rec.Digits.substr(0, std::min<size_t>(rec.Digits.size(), l.IntCount));
        intStr.append(l.IntCount - intStr.size(), '0');
        if (rec.Digits.size() > static_cast<size_t>(l.IntCount)) fracStr = rec.Digits.substr(l.IntCount);
        exponent = IsZero(rec) ? 0 : rec.Exponent - l.IntCount;
        // '#' placeholders drop leading zeros of the mantissa's integer part
        size_t strip = 0;
        while (strip < intStr.size() && intStr[strip] == '0' && static_cast<int>(intStr.size() - strip) > l.MinInt)
            ++strip;
        intStr.erase(0, strip);
    } else {
        intStr = IntegerDigits(rec);
        fracStr = FractionDigits(rec);
    }
    if (static_cast<int>(intStr.size()) < l.MinInt) intStr.insert(0, l.MinInt - intStr.size(), '0');
    if (static_cast<int>(fracStr.size()) < l.MinFrac) fracStr.append(l.MinFrac - fracStr.size(), '0');

    std::string out = minus ? "-" : "";
    const int len = static_cast<int>(intStr.size());
    auto emitDigit = [&](int idx) {
        out += intStr[idx];
        int left = len - 1 - idx;
        if (l.Thousands && left > 0 && left % 3 == 0) out += fs.ThousandSeparator;
    };
    int intIndex = 0, fracIndex = 0;
    bool afterPoint = false, pointSeen = false;
    char quote = 0;
    for (size_t i = 0; i < section.size(); ++i) {
        char c = section[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                out += c;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '0' || c == '#') {
            if (afterPoint) {
                if (fracIndex < static_cast<int>(fracStr.size())) out += fracStr[fracIndex];
                ++fracIndex;
            } else {
                int extra = len - l.IntCount;
                if (intIndex == 0)
                    for (int k = 0; k < extra; ++k) emitDigit(k);
                int idx = extra + intIndex;
                if (idx >= 0) emitDigit(idx);
                ++intIndex;
            }
        } else if (c == '.') {
            if (!pointSeen) {
                pointSeen = afterPoint = true;
                if (!fracStr.empty()) out += fs.DecimalSeparator;
            }
        } else if (c == ',') {
            // grouping only
        } else if (l.Scientific && IsExponentAt(section, i)) {
            out += c;
            bool plus = section[i + 1] == '+';
            i += 2;
            int zeros = 0;
            while (i < section.size() && section[i] == '0') {
                ++zeros;
                ++i;
            }
            --i;
            out += ExponentText(exponent, zeros, plus);
            afterPoint = true;  // nothing after the exponent takes digits
            fracIndex = static_cast<int>(fracStr.size());
        } else {
            out += c;
        }
    }
    return out;
}

using RecSource = std::function<FloatRec(int baseDigits)>;

std::string FormatWithPattern(const std::string& format, const RecSource& source, const TFormatSettings& fs,
                              const std::function<std::string()>& general) {
    FloatRec value = source(15);
    if (value.Special) return SpecialText(value);
    if (format.empty()) return general();
    std::vector<std::string> sections = SplitSections(format);
    const std::string& positive = sections[0];
    const std::string negative = sections.size() > 1 ? sections[1] : std::string();
    const std::string zero = sections.size() > 2 ? sections[2] : std::string();

    const std::string* chosen = &positive;
    bool minus = false;
    if (IsZero(value)) {
        if (!zero.empty()) chosen = &zero;
    } else if (value.Negative) {
        if (!negative.empty())
            chosen = &negative;
        else
            minus = true;
    }
    if (chosen->empty()) return general();

    Layout layout = Analyse(*chosen);
    FloatRec rec;
    if (layout.Scientific) {
        int precision = std::clamp(layout.IntCount + layout.FracCount, 1, 18);
        rec = source(BaseDigitsFor(precision));
        RoundTo(rec, precision);
    } else {
        rec = value;
        if (rec.Exponent > 18) return general();
        RoundPlaces(rec, 18, layout.FracCount);
    }
    if (IsZero(rec) && !IsZero(value)) {
        // rounded away: the zero section, else the positive one without a sign
        minus = false;
        chosen = zero.empty() ? &positive : &zero;
        if (chosen->empty()) return general();
        layout = Analyse(*chosen);
    }
    return Render(*chosen, layout, rec, minus, fs);
}

// ---- number parsing ------------------------------------------------------------------------

locale_t CLocale() {
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return loc;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Checks the syntax and rewrites the number with a '.' point for the C library.
bool NormalizeNumber(const std::string& s, const TFormatSettings& fs, std::string& out) {
    size_t i = 0, n = s.size();
    while (i < n && IsBlank(s[i])) ++i;
    while (n > i && IsBlank(s[n - 1])) --n;
    if (i < n && (s[i] == '+' || s[i] == '-')) out += s[i++];
    size_t digits = 0;
    while (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) {
        out += s[i++];
        ++digits;
    }
    if (i < n && s[i] == fs.DecimalSeparator) {
        out += '.';
        ++i;
        while (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) {
            out += s[i++];
            ++digits;
        }
    }
    if (digits == 0) return false;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        out += 'e';
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-')) out += s[i++];
        size_t expDigits = 0;
        while (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) {
            out += s[i++];
            ++expDigits;
        }
        if (expDigits == 0) return false;
    }
    return i == n;
}

[[noreturn]] void FloatError(const std::string& s) {
    throw EConvertError("'" + s + "' is not a valid floating point value");
}

// ---- dates -----------------------------------------------------------------------------------

std::string Padded(int value, int width) {
    std::string s = std::to_string(value);
    if (static_cast<int>(s.size()) < width) s.insert(0, width - s.size(), '0');
    return s;
}

bool StartsWithNoCase(const std::string& s, size_t pos, std::string_view text) {
    return pos <= s.size() && SameText(std::string_view(s).substr(pos, text.size()), text);
}

bool HasAmPm(const std::string& format) {
    char quote = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (StartsWithNoCase(format, i, "am/pm") || StartsWithNoCase(format, i, "a/p") ||
                   StartsWithNoCase(format, i, "ampm")) {
            return true;
        }
    }
    return false;
}

void AppendDateTime(std::string& out, const std::string& format, TDateTime dt, const TFormatSettings& fs, int depth) {
    if (depth > 2) return;
    Word year, month, day, hour, minute, sec, msec;
    DecodeDate(dt, year, month, day);
    DecodeTime(dt, hour, minute, sec, msec);
    const bool twelve = HasAmPm(format);
    char lastToken = 0;
    size_t i = 0;
    const size_t n = format.size();
    auto count = [&](char upper) {
        size_t k = 1;
        while (i + k < n && std::toupper(static_cast<unsigned char>(format[i + k])) == upper) ++k;
        return static_cast<int>(k);
    };
    while (i < n) {
        char c = format[i];
        char token = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (c == '"' || c == '\'') {
            size_t end = format.find(c, i + 1);
            if (end == std::string::npos) end = n;
            out.append(format, i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (!(token >= 'A' && token <= 'Z')) {
            if (c == '/')
                out += fs.DateSeparator;
            else if (c == ':')
                out += fs.TimeSeparator;
            else
                out += c;
            ++i;
            continue;
        }
        if (token == 'M' && lastToken == 'H') token = 'N';
        int k = 1;
        switch (token) {
            case 'C':
                AppendDateTime(out, fs.ShortDateFormat, dt, fs, depth + 1);
                if (hour || minute || sec || msec) {
                    out += ' ';
                    AppendDateTime(out, fs.LongTimeFormat, dt, fs, depth + 1);
                }
                break;
            case 'D':
                k = count('D');
                if (k == 1)
                    out += std::to_string(day);
                else if (k == 2)
                    out += Padded(day, 2);
                else if (k == 3)
                    out += fs.ShortDayNames[DayOfWeek(dt) - 1];
                else if (k == 4)
                    out += fs.LongDayNames[DayOfWeek(dt) - 1];
                else if (k == 5)
                    AppendDateTime(out, fs.ShortDateFormat, dt, fs, depth + 1);
                else
                    AppendDateTime(out, fs.LongDateFormat, dt, fs, depth + 1);
                break;
            case 'M':
                k = count('M');
                if (month < 1)
                    out += k <= 2 ? std::string(k, '0') : "";
                else if (k == 1)
                    out += std::to_string(month);
                else if (k == 2)
                    out += Padded(month, 2);
                else if (k == 3)
                    out += fs.ShortMonthNames[month - 1];
                else
                    out += fs.LongMonthNames[month - 1];
                break;
            case 'Y':
            case 'E':
                k = count(token);
                out += k <= 2 ? Padded(year % 100, 2) : Padded(year, 4);
                break;
            case 'G':
                k = count('G');  // no eras
                break;
            case 'H': {
                k = count('H');
                int h = hour;
                if (twelve) {
                    h %= 12;
                    if (h == 0) h = 12;
                }
                out += k == 1 ? std::to_string(h) : Padded(h, 2);
                break;
            }
            case 'N':
                k = count(c == 'm' || c == 'M' ? 'M' : 'N');
                out += k == 1 ? std::to_string(minute) : Padded(minute, 2);
                break;
            case 'S':
                k = count('S');
                out += k == 1 ? std::to_string(sec) : Padded(sec, 2);
                break;
            case 'Z':
                k = count('Z');
                out += k < 3 ? std::to_string(msec) : Padded(msec, 3);
                break;
            case 'T':
                k = count('T');
                AppendDateTime(out, k == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, dt, fs, depth + 1);
                break;
            case 'A':
                if (StartsWithNoCase(format, i, "am/pm")) {
                    out.append(format, hour < 12 ? i : i + 3, 2);
                    k = 5;
                } else if (StartsWithNoCase(format, i, "a/p")) {
                    out += format[hour < 12 ? i : i + 2];
                    k = 3;
                } else if (StartsWithNoCase(format, i, "ampm")) {
                    out += hour < 12 ? fs.TimeAMString : fs.TimePMString;
                    k = 4;
                } else {
                    out += c;
                }
                break;
            default:
                out += c;
                break;
        }
        lastToken = token;
        i += k;
    }
}

class Scanner {
public:
    Scanner(const std::string& s, const TFormatSettings& fs) : s_(s), fs_(fs) {}

    bool AtEnd() {
        SkipBlanks();
        return pos_ >= s_.size();
    }
    void SkipBlanks() {
        while (pos_ < s_.size() && IsBlank(s_[pos_])) ++pos_;
    }
    bool Number(int& value, int& length) {
        SkipBlanks();
        size_t start = pos_;
        value = 0;
        while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_])) && pos_ - start < 9)
            value = value * 10 + (s_[pos_++] - '0');
        length = static_cast<int>(pos_ - start);
        return length > 0;
    }
    bool Char(char c) {
        SkipBlanks();
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool Text(const std::string& text) {
        SkipBlanks();
        if (text.empty() || !StartsWithNoCase(s_, pos_, text)) return false;
        pos_ += text.size();
        return true;
    }

    bool Date(TDateTime& value) {
        size_t save = pos_;
        if (!ScanDate(value)) {
            pos_ = save;
            return false;
        }
        return true;
    }
    bool Time(TDateTime& value) {
        size_t save = pos_;
        if (!ScanTime(value)) {
            pos_ = save;
            return false;
        }
        return true;
    }

private:
    enum Order { MDY, DMY, YMD };

    Order DateOrder() const {
        for (char c : fs_.ShortDateFormat) {
            char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (u == 'D') return DMY;
            if (u == 'Y' || u == 'E') return YMD;
            if (u == 'M') return MDY;
        }
        return MDY;
    }

    bool ScanDate(TDateTime& value) {
        int n1, n2, n3 = 0, l1, l2, l3 = 0;
        if (!Number(n1, l1) || !Char(fs_.DateSeparator) || !Number(n2, l2)) return false;
        bool three = false;
        if (Char(fs_.DateSeparator)) {
            if (!Number(n3, l3)) return false;
            three = true;
        }
        Word currentYear, cm, cd;
        DecodeDate(Now(), currentYear, cm, cd);
        int y, m, d, yearLength = 4;
        Order order = DateOrder();
        if (!three) {
            y = currentYear;
            if (order == DMY) {
                d = n1;
                m = n2;
            } else {
                m = n1;
                d = n2;
            }
        } else {
            switch (order) {
                case MDY: m = n1; d = n2; y = n3; yearLength = l3; break;
                case DMY: d = n1; m = n2; y = n3; yearLength = l3; break;
                default: y = n1; m = n2; d = n3; yearLength = l1; break;
            }
            if (y <= 99 && yearLength <= 2) {
                int window = fs_.TwoDigitYearCenturyWindow;
                int base = currentYear - window;
                y += base / 100 * 100;
                if (window > 0 && y < base) y += 100;
            }
        }
        if (y < 0 || y > 9999 || m < 0 || m > 12 || d < 0 || d > 31) return false;
        return TryEncodeDate(static_cast<Word>(y), static_cast<Word>(m), static_cast<Word>(d), value);
    }

    int AmPm() {
        if (Text(fs_.TimeAMString) || Text("AM")) return 0;
        if (Text(fs_.TimePMString) || Text("PM")) return 12;
        return -1;
    }

    bool ScanTime(TDateTime& value) {
        int base = AmPm();
        int hour, minute = 0, sec = 0, msec = 0, len;
        if (!Number(hour, len)) return false;
        if (Char(fs_.TimeSeparator)) {
            if (!Number(minute, len)) return false;
            if (Char(fs_.TimeSeparator)) {
                if (!Number(sec, len)) return false;
                if (Char(fs_.DecimalSeparator) && !Number(msec, len)) return false;
            }
        }
        if (base < 0) base = AmPm();
        if (base >= 0) {
            if (hour == 0 || hour > 12) return false;
            if (hour == 12) hour = 0;
            hour += base;
        }
        if (hour > 23 || minute > 59 || sec > 59 || msec > 999) return false;
        return TryEncodeTime(static_cast<Word>(hour), static_cast<Word>(minute), static_cast<Word>(sec),
                             static_cast<Word>(msec), value);
    }

    const std::string& s_;
    const TFormatSettings& fs_;
    size_t pos_ = 0;
};

}  // namespace

// ---- floats -----------------------------------------------------------------------------------

std::string FloatToStrF(Extended Value, TFloatFormat Format, Integer Precision, Integer Digits,
                        const TFormatSettings& Settings) {
    int precision = std::clamp<int>(Precision, 1, 18);
    return FormatRec(DecimalOf(Value, BaseDigitsFor(precision)), Format, precision, Digits, Settings);
}

std::string FloatToStrF(Extended Value, TFloatFormat Format, Integer Precision, Integer Digits) {
    return FloatToStrF(Value, Format, Precision, Digits, FormatSettings);
}

std::string FloatToStr(Extended Value, const TFormatSettings& Settings) {
    return FloatToStrF(Value, ffGeneral, 15, 0, Settings);
}

std::string FloatToStr(Extended Value) {
    return FloatToStr(Value, FormatSettings);
}

std::string FormatFloat(const std::string& Format, Extended Value, const TFormatSettings& Settings) {
    return FormatWithPattern(
        Format, [&](int base) { return DecimalOf(Value, base); }, Settings,
        [&] { return FloatToStr(Value, Settings); });
}

std::string FormatFloat(const std::string& Format, Extended Value) {
    return FormatFloat(Format, Value, FormatSettings);
}

bool TryStrToFloat(const std::string& S, Extended& Value, const TFormatSettings& Settings) {
    std::string normalized;
    if (!NormalizeNumber(S, Settings, normalized)) return false;
    char* end = nullptr;
    Extended v = strtold_l(normalized.c_str(), &end, CLocale());
    if (!end || *end != '\0' || std::isinf(v)) return false;
    Value = v;
    return true;
}

bool TryStrToFloat(const std::string& S, Extended& Value) {
    return TryStrToFloat(S, Value, FormatSettings);
}

bool TryStrToFloat(const std::string& S, Double& Value, const TFormatSettings& Settings) {
    Extended v;
    if (!TryStrToFloat(S, v, Settings)) return false;
    if (std::fabs(v) > std::numeric_limits<double>::max()) return false;
    Value = static_cast<Double>(v);
    return true;
}

bool TryStrToFloat(const std::string& S, Double& Value) {
    return TryStrToFloat(S, Value, FormatSettings);
}

Extended StrToFloat(const std::string& S, const TFormatSettings& Settings) {
    Extended v;
    if (!TryStrToFloat(S, v, Settings)) FloatError(S);
    return v;
}

Extended StrToFloat(const std::string& S) {
    return StrToFloat(S, FormatSettings);
}

Extended StrToFloatDef(const std::string& S, Extended Default) {
    Extended v;
    return TryStrToFloat(S, v) ? v : Default;
}

// ---- currency ---------------------------------------------------------------------------------

namespace {
// Value in units of 1/10000, halves to even; false when that does not fit a Currency.
bool TryScaleToCurrency(Extended Value, Currency& Result) {
    Extended scaled = std::nearbyint(Value * 10000.0L);
    if (!(std::fabs(scaled) < 9.2233720368547758e18L)) return false;
    Result = static_cast<Currency>(scaled);
    return true;
}
}  // namespace

Currency DoubleToCurrency(Extended Value) {
    Currency result;
    if (!TryScaleToCurrency(Value, result)) throw EOverflow("Floating point overflow");
    return result;
}

Extended CurrencyToDouble(Currency Value) {
    return static_cast<Extended>(Value) / 10000.0L;
}

std::string CurrToStr(Currency Value, const TFormatSettings& Settings) {
    return FormatRec(DecimalOf(Value), ffGeneral, 19, 0, Settings);
}

std::string CurrToStr(Currency Value) {
    return CurrToStr(Value, FormatSettings);
}

std::string CurrToStrF(Currency Value, TFloatFormat Format, Integer Digits, const TFormatSettings& Settings) {
    return FormatRec(DecimalOf(Value), Format, 19, Digits, Settings);
}

std::string CurrToStrF(Currency Value, TFloatFormat Format, Integer Digits) {
    return CurrToStrF(Value, Format, Digits, FormatSettings);
}

std::string FormatCurr(const std::string& Format, Currency Value, const TFormatSettings& Settings) {
    return FormatWithPattern(
        Format, [&](int) { return DecimalOf(Value); }, Settings, [&] { return CurrToStr(Value, Settings); });
}

std::string FormatCurr(const std::string& Format, Currency Value) {
    return FormatCurr(Format, Value, FormatSettings);
}

bool TryStrToCurr(const std::string& S, Currency& Value, const TFormatSettings& Settings) {
    Extended v;
    return TryStrToFloat(S, v, Settings) && TryScaleToCurrency(v, Value);
}

bool TryStrToCurr(const std::string& S, Currency& Value) {
    return TryStrToCurr(S, Value, FormatSettings);
}

Currency StrToCurr(const std::string& S, const TFormatSettings& Settings) {
    Currency v;
    if (!TryStrToCurr(S, v, Settings)) FloatError(S);
    return v;
}

Currency StrToCurr(const std::string& S) {
    return StrToCurr(S, FormatSettings);
}

// ---- dates ------------------------------------------------------------------------------------

std::string FormatDateTime(const std::string& Format, TDateTime DateTime, const TFormatSettings& Settings) {
    std::string out;
    AppendDateTime(out, Format.empty() ? std::string("c") : Format, DateTime, Settings, 0);
    return out;
}

std::string FormatDateTime(const std::string& Format, TDateTime DateTime) {
    return FormatDateTime(Format, DateTime, FormatSettings);
}

std::string DateToStr(TDateTime Date, const TFormatSettings& Settings) {
    return FormatDateTime("ddddd", Date, Settings);
}
std::string DateToStr(TDateTime Date) {
    return DateToStr(Date, FormatSettings);
}
std::string TimeToStr(TDateTime Time, const TFormatSettings& Settings) {
    return FormatDateTime("tt", Time, Settings);
}
std::string TimeToStr(TDateTime Time) {
    return TimeToStr(Time, FormatSettings);
}
std::string DateTimeToStr(TDateTime DateTime, const TFormatSettings& Settings) {
    return FormatDateTime("c", DateTime, Settings);
}
std::string DateTimeToStr(TDateTime DateTime) {
    return DateTimeToStr(DateTime, FormatSettings);
}

bool TryStrToDate(const std::string& S, TDateTime& Value, const TFormatSettings& Settings) {
    Scanner sc(S, Settings);
    TDateTime d;
    if (!sc.Date(d) || !sc.AtEnd()) return false;
    Value = d;
    return true;
}
bool TryStrToDate(const std::string& S, TDateTime& Value) {
    return TryStrToDate(S, Value, FormatSettings);
}

bool TryStrToTime(const std::string& S, TDateTime& Value, const TFormatSettings& Settings) {
    Scanner sc(S, Settings);
    TDateTime t;
    if (!sc.Time(t) || !sc.AtEnd()) return false;
    Value = t;
    return true;
}
bool TryStrToTime(const std::string& S, TDateTime& Value) {
    return TryStrToTime(S, Value, FormatSettings);
}

bool TryStrToDateTime(const std::string& S, TDateTime& Value, const TFormatSettings& Settings) {
    Scanner sc(S, Settings);
    TDateTime d = 0, t = 0;
    if (sc.Date(d)) {
        if (!sc.AtEnd() && (!sc.Time(t) || !sc.AtEnd())) return false;
        Value = CombineDateTime(d, t);
        return true;
    }
    if (!sc.Time(t) || !sc.AtEnd()) return false;
    Value = t;
    return true;
}
bool TryStrToDateTime(const std::string& S, TDateTime& Value) {
    return TryStrToDateTime(S, Value, FormatSettings);
}

TDateTime StrToDate(const std::string& S, const TFormatSettings& Settings) {
    TDateTime v;
    if (!TryStrToDate(S, v, Settings)) throw EConvertError("'" + S + "' is not a valid date");
    return v;
}
TDateTime StrToDate(const std::string& S) {
    return StrToDate(S, FormatSettings);
}
TDateTime StrToTime(const std::string& S, const TFormatSettings& Settings) {
    TDateTime v;
    if (!TryStrToTime(S, v, Settings)) throw EConvertError("'" + S + "' is not a valid time");
    return v;
}
TDateTime StrToTime(const std::string& S) {
    return StrToTime(S, FormatSettings);
}
TDateTime StrToDateTime(const std::string& S, const TFormatSettings& Settings) {
    TDateTime v;
    if (!TryStrToDateTime(S, v, Settings)) throw EConvertError("'" + S + "' is not a valid date and time");
    return v;
}
TDateTime StrToDateTime(const std::string& S) {
    return StrToDateTime(S, FormatSettings);
}
