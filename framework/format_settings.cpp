#include "framework/format_settings.h"

#include <langinfo.h>
#include <locale.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "framework/date_time.h"

namespace {

// The ASCII stand-in for a separator text of the locale; Fallback when there is none.
char SeparatorChar(const char* text, char fallback) {
    if (!text || !*text) return fallback;
    auto u = reinterpret_cast<const unsigned char*>(text);
    if (u[0] < 0x80) return text[0];
    // U+00A0 no-break space, U+202F narrow no-break space, U+2009 thin space
    if ((u[0] == 0xC2 && u[1] == 0xA0) || (u[0] == 0xE2 && u[1] == 0x80 && (u[2] == 0xAF || u[2] == 0x89)))
        return ' ';
    if (u[0] == 0xE2 && u[1] == 0x80 && u[2] == 0x99) return '\'';  // U+2019 right single quote
    return fallback;
}

struct Converted {
    std::string pattern;
    char dateSep = 0;
    char timeSep = 0;
    bool twelveHour = false;
};

void ConvertStrftime(const char* fmt, Converted& out, locale_t loc, int depth = 0);

void AppendLiteral(Converted& out, char c) {
    if (c == '/' || c == '.' || c == '-') {
        if (!out.dateSep) out.dateSep = c;
        out.pattern += c == out.dateSep ? '/' : c;
    } else if (c == ':') {
        if (!out.timeSep) out.timeSep = c;
        out.pattern += ':';
    } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '"' || c == '\'') {
        out.pattern += '"';
        out.pattern += c;
        out.pattern += '"';
    } else {
        out.pattern += c;
    }
}

// Turns a C library date or time format ("%d.%m.%Y") into a pattern of FormatDateTime.
void ConvertStrftime(const char* fmt, Converted& out, locale_t loc, int depth) {
    for (const char* p = fmt; p && *p; ++p) {
        if (*p != '%') {
            AppendLiteral(out, *p);
            continue;
        }
        ++p;
        while (*p == 'E' || *p == 'O' || *p == '-' || *p == '_' || *p == '0' || *p == '^' || *p == '#') ++p;
        switch (*p) {
            case 'd': out.pattern += "dd"; break;
            case 'e': out.pattern += "d"; break;
            case 'm': out.pattern += "MM"; break;
            case 'y': out.pattern += "yy"; break;
            case 'Y': case 'C': case 'G': out.pattern += "yyyy"; break;
            case 'b': case 'h': out.pattern += "MMM"; break;
            case 'B': out.pattern += "MMMM"; break;
            case 'a': out.pattern += "ddd"; break;
            case 'A': out.pattern += "dddd"; break;
            case 'H': out.pattern += "hh"; break;
            case 'k': out.pattern += "h"; break;
            case 'I': out.pattern += "hh"; out.twelveHour = true; break;
            case 'l': out.pattern += "h"; out.twelveHour = true; break;
            case 'M': out.pattern += "nn"; break;
            case 'S': out.pattern += "ss"; break;
            case 'p': case 'P': out.pattern += "AMPM"; out.twelveHour = true; break;
            case 'D': ConvertStrftime("%m/%d/%y", out, loc, depth + 1); break;
            case 'F': ConvertStrftime("%Y-%m-%d", out, loc, depth + 1); break;
            case 'T': ConvertStrftime("%H:%M:%S", out, loc, depth + 1); break;
            case 'R': ConvertStrftime("%H:%M", out, loc, depth + 1); break;
            case 'r':
                if (depth < 2) ConvertStrftime(nl_langinfo_l(T_FMT_AMPM, loc), out, loc, depth + 1);
                break;
            case 'n': case 't': out.pattern += ' '; break;
            case '%': out.pattern += '%'; break;
            case '\0': return;
            default: break;  // time zones and week numbers have no place in these formats
        }
    }
}

bool IsPlainCLocale() {
    const char* names[] = {"LC_ALL", "LC_TIME", "LANG"};
    for (const char* n : names) {
        const char* v = std::getenv(n);
        if (v && *v) return std::strcmp(v, "C") == 0 || std::strcmp(v, "POSIX") == 0 || std::strncmp(v, "C.", 2) == 0;
    }
    return true;
}

std::string WithoutSeconds(std::string pattern) {
    size_t pos = pattern.find(":ss");
    if (pos != std::string::npos) pattern.erase(pos, 3);
    return pattern;
}

void ReadCurrency(TFormatSettings& fs, locale_t loc) {
#ifdef __GLIBC__
    const char* symbol = nl_langinfo_l(CURRENCY_SYMBOL, loc);
    if (symbol && *symbol) fs.CurrencyString = symbol;
    int frac = nl_langinfo_l(FRAC_DIGITS, loc)[0];
    if (frac >= 0 && frac < 10) fs.CurrencyDecimals = static_cast<Byte>(frac);
    bool precedes = nl_langinfo_l(P_CS_PRECEDES, loc)[0] == 1;
    bool space = nl_langinfo_l(P_SEP_BY_SPACE, loc)[0] == 1;
    fs.CurrencyFormat = static_cast<Byte>(precedes ? (space ? 2 : 0) : (space ? 3 : 1));
    bool nPrecedes = nl_langinfo_l(N_CS_PRECEDES, loc)[0] == 1;
    bool nSpace = nl_langinfo_l(N_SEP_BY_SPACE, loc)[0] == 1;
    int posn = nl_langinfo_l(N_SIGN_POSN, loc)[0];
    if (posn < 0 || posn > 4) posn = 1;
    static const Byte table[4][5] = {
        {0, 1, 3, 1, 2},      // symbol first, no space
        {4, 5, 7, 6, 7},      // symbol last, no space
        {14, 9, 11, 9, 12},   // symbol first, space
        {15, 8, 10, 13, 10},  // symbol last, space
    };
    fs.NegCurrFormat = table[(nPrecedes ? 0 : 1) + (nSpace ? 2 : 0)][posn];
#else
    (void)fs;
    (void)loc;
#endif
}

Integer ReadFirstDayOfWeek(locale_t loc, Integer fallback) {
#ifdef __GLIBC__
    auto week1 = static_cast<unsigned>(reinterpret_cast<uintptr_t>(nl_langinfo_l(_NL_TIME_WEEK_1STDAY, loc)));
    int first = nl_langinfo_l(_NL_TIME_FIRST_WEEKDAY, loc)[0];
    TDateTime base;
    if (first < 1 || first > 7 ||
        !TryEncodeDate(static_cast<Word>(week1 / 10000), static_cast<Word>(week1 / 100 % 100),
                       static_cast<Word>(week1 % 100), base))
        return fallback;
    Integer dow = (DayOfWeek(base) - 1 + first - 1) % 7 + 1;  // 1 = Sunday
    return (dow + 5) % 7;                                     // 0 = Monday
#else
    (void)loc;
    return fallback;
#endif
}

}  // namespace

TFormatSettings TFormatSettings::English() {
    return TFormatSettings{};
}

TFormatSettings TFormatSettings::FromSystemLocale() {
    TFormatSettings fs = English();
    if (IsPlainCLocale()) return fs;
    locale_t loc = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0)) return fs;

    fs.DecimalSeparator = SeparatorChar(nl_langinfo_l(RADIXCHAR, loc), '.');
    fs.ThousandSeparator = SeparatorChar(nl_langinfo_l(THOUSEP, loc), fs.DecimalSeparator == ',' ? '.' : ',');
    if (fs.ThousandSeparator == fs.DecimalSeparator) fs.ThousandSeparator = fs.DecimalSeparator == ',' ? '.' : ',';
    fs.ListSeparator = fs.DecimalSeparator == ',' ? ';' : ',';

    Converted date;
    ConvertStrftime(nl_langinfo_l(D_FMT, loc), date, loc);
    if (!date.pattern.empty()) {
        fs.ShortDateFormat = date.pattern;
        if (date.dateSep) fs.DateSeparator = date.dateSep;
        size_t d = date.pattern.find('d'), m = date.pattern.find('M'), y = date.pattern.find('y');
        if (y < d && y < m)
            fs.LongDateFormat = "yyyy MMMM d, dddd";
        else if (d < m)
            fs.LongDateFormat = "dddd, d MMMM yyyy";
        else
            fs.LongDateFormat = "dddd, MMMM d, yyyy";
    }
    Converted time;
    ConvertStrftime(nl_langinfo_l(T_FMT, loc), time, loc);
    if (!time.pattern.empty()) {
        fs.LongTimeFormat = time.pattern;
        fs.ShortTimeFormat = WithoutSeconds(time.pattern);
        if (time.timeSep) fs.TimeSeparator = time.timeSep;
    }
    const char* am = nl_langinfo_l(AM_STR, loc);
    const char* pm = nl_langinfo_l(PM_STR, loc);
    if (am && *am && pm && *pm) {
        fs.TimeAMString = am;
        fs.TimePMString = pm;
    }
    for (int i = 0; i < 12; ++i) {
        fs.ShortMonthNames[i] = nl_langinfo_l(static_cast<nl_item>(ABMON_1 + i), loc);
        fs.LongMonthNames[i] = nl_langinfo_l(static_cast<nl_item>(MON_1 + i), loc);
    }
    for (int i = 0; i < 7; ++i) {
        fs.ShortDayNames[i] = nl_langinfo_l(static_cast<nl_item>(ABDAY_1 + i), loc);
        fs.LongDayNames[i] = nl_langinfo_l(static_cast<nl_item>(DAY_1 + i), loc);
    }
    ReadCurrency(fs, loc);
    fs.FirstDayOfWeek = ReadFirstDayOfWeek(loc, fs.FirstDayOfWeek);
    freelocale(loc);
    return fs;
}

TFormatSettings FormatSettings = TFormatSettings::FromSystemLocale();
