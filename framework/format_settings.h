#pragma once
// The regional settings used by number and date formatting and parsing. One settable object,
// FormatSettings, is filled from the system locale when the program starts; tests assign fixed
// settings to it (TFormatSettings::English() is a complete fixed set).

#include <array>
#include <string>

#include "framework/types.h"

struct TFormatSettings {
    // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
    Byte CurrencyFormat = 0;
    // 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-", 4 "(1$)", 5 "-1$", 6 "1-$", 7 "1$-", 8 "-1 $",
    // 9 "-$ 1", 10 "1 $-", 11 "$ 1-", 12 "$ -1", 13 "1- $", 14 "($ 1)", 15 "(1 $)"
    Byte NegCurrFormat = 0;
    // Separators are single characters; a locale whose separator is not ASCII gets the nearest
    // ASCII one (a space for the no-break spaces used as thousand separators).
    char ThousandSeparator = ',';
    char DecimalSeparator = '.';
    Byte CurrencyDecimals = 2;
    char DateSeparator = '/';
    char TimeSeparator = ':';
    char ListSeparator = ',';
    std::string CurrencyString = "$";
    std::string ShortDateFormat = "M/d/yyyy";
    std::string LongDateFormat = "dddd, MMMM d, yyyy";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    std::string ShortTimeFormat = "h:mm AMPM";
    std::string LongTimeFormat = "h:mm:ss AMPM";
    std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> LongMonthNames{"January", "February", "March",     "April",
                                               "May",     "June",     "July",      "August",
                                               "September", "October", "November", "December"};
    // Index 0 is Sunday.
    std::array<std::string, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> LongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
    // Two-digit years are read within this many years of the current year (0: the current
    // century).
    Word TwoDigitYearCenturyWindow = 50;
    // The first day of the week in the locale numbering: 0 Monday ... 6 Sunday.
    Integer FirstDayOfWeek = 6;

    // A fixed English set (United States conventions), independent of the machine.
    static TFormatSettings English();
    // The settings of the user's locale (LC_ALL, LC_TIME, LC_NUMERIC, LC_MONETARY and LANG as
    // the C library reads them); the C and POSIX locales give English().
    static TFormatSettings FromSystemLocale();
};

extern TFormatSettings FormatSettings;
