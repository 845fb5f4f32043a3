#include "framework/date_time.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

#include "framework/exceptions.h"

namespace {

const Word kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

// Day number in the time-stamp count (0001-01-01 is 1) of a valid date.
Integer DayNumber(Word Year, Word Month, Word Day) {
    const Word* days = kMonthDays[IsLeapYear(Year)];
    Integer n = Day;
    for (Word m = 1; m < Month; ++m) n += days[m - 1];
    Integer y = Year - 1;
    return y * 365 + y / 4 - y / 100 + y / 400 + n;
}

// Splits a positive day number of the time-stamp count into year, month and day.
void SplitDayNumber(Integer number, Word& Year, Word& Month, Word& Day) {
    Integer n = number - 1;  // whole days since 0001-01-01
    Integer y = 1;
    y += 400 * (n / 146097);
    n %= 146097;
    Integer centuries = n / 36524;
    if (centuries == 4) centuries = 3;  // the last day of a 400-year cycle
    y += 100 * centuries;
    n -= centuries * 36524;
    y += 4 * (n / 1461);
    n %= 1461;
    Integer years = n / 365;
    if (years == 4) years = 3;  // the last day of a leap cycle
    y += years;
    n -= years * 365;
    const Word* days = kMonthDays[IsLeapYear(static_cast<Word>(y))];
    Word m = 1;
    while (n >= days[m - 1]) {
        n -= days[m - 1];
        ++m;
    }
    Year = static_cast<Word>(y);
    Month = m;
    Day = static_cast<Word>(n + 1);
}

std::mutex g_clockMutex;
std::function<TDateTime()> g_clock;

TDateTime FromTm(const std::tm& tm, Integer msec) {
    TDateTime d = 0, t = 0;
    TryEncodeDate(static_cast<Word>(tm.tm_year + 1900), static_cast<Word>(tm.tm_mon + 1),
                  static_cast<Word>(tm.tm_mday), d);
    Word sec = static_cast<Word>(tm.tm_sec > 59 ? 59 : tm.tm_sec);  // leap second
    TryEncodeTime(static_cast<Word>(tm.tm_hour), static_cast<Word>(tm.tm_min), sec,
                  static_cast<Word>(msec), t);
    return CombineDateTime(d, t);
}

}  // namespace

bool IsLeapYear(Word Year) {
    return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0);
}

Word DaysInAMonth(Word Year, Word Month) {
    if (Month < 1 || Month > 12) return 0;
    return kMonthDays[IsLeapYear(Year)][Month - 1];
}

bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date) {
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12) return false;
    if (Day < 1 || Day > DaysInAMonth(Year, Month)) return false;
    Date = static_cast<TDateTime>(DayNumber(Year, Month, Day) - DateDelta);
    return true;
}

TDateTime EncodeDate(Word Year, Word Month, Word Day) {
    TDateTime result;
    if (!TryEncodeDate(Year, Month, Day, result)) throw EConvertError("Invalid argument to date encode");
    return result;
}

bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time) {
    if (Hour >= 24 || Min >= 60 || Sec >= 60 || MSec >= 1000) return false;
    Integer ms = ((Hour * 60 + Min) * 60 + Sec) * 1000 + MSec;
    Time = static_cast<TDateTime>(ms) / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec) {
    TDateTime result;
    if (!TryEncodeTime(Hour, Min, Sec, MSec, result)) throw EConvertError("Invalid argument to time encode");
    return result;
}

void DecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day) {
    TTimeStamp ts = DateTimeToTimeStamp(Date);
    if (ts.Date <= 0) {
        Year = Month = Day = 0;
        return;
    }
    SplitDayNumber(ts.Date, Year, Month, Day);
}

bool DecodeDateFully(TDateTime Date, Word& Year, Word& Month, Word& Day, Word& DOW) {
    TTimeStamp ts = DateTimeToTimeStamp(Date);
    if (ts.Date <= 0) {
        Year = Month = Day = DOW = 0;
        return false;
    }
    SplitDayNumber(ts.Date, Year, Month, Day);
    DOW = static_cast<Word>(ts.Date % 7 + 1);
    return IsLeapYear(Year);
}

void DecodeTime(TDateTime Time, Word& Hour, Word& Min, Word& Sec, Word& MSec) {
    Integer ms = DateTimeToTimeStamp(Time).Time;
    Hour = static_cast<Word>(ms / 3600000);
    ms %= 3600000;
    Min = static_cast<Word>(ms / 60000);
    ms %= 60000;
    Sec = static_cast<Word>(ms / 1000);
    MSec = static_cast<Word>(ms % 1000);
}

Integer DayOfWeek(TDateTime Date) {
    Integer d = DateTimeToTimeStamp(Date).Date;
    Integer r = d % 7;
    if (r < 0) r += 7;
    return r + 1;
}

TDateTime DateOf(TDateTime Value) {
    return std::trunc(Value);
}

TDateTime TimeOf(TDateTime Value) {
    return std::fabs(Value - std::trunc(Value));
}

TDateTime CombineDateTime(TDateTime Date, TDateTime Time) {
    TDateTime day = std::trunc(Date);
    TDateTime frac = std::fabs(Time - std::trunc(Time));
    return day < 0 ? day - frac : day + frac;
}

void IncAMonth(Word& Year, Word& Month, Word& Day, Integer NumberOfMonths) {
    Int64 total = Int64(Year) * 12 + (Month - 1) + NumberOfMonths;
    Int64 y = total >= 0 ? total / 12 : -((-total + 11) / 12);
    Int64 m = total - y * 12;
    Year = static_cast<Word>(y);
    Month = static_cast<Word>(m + 1);
    Word last = DaysInAMonth(Year, Month);
    if (Day > last) Day = last;
}

TDateTime IncMonth(TDateTime Date, Integer NumberOfMonths) {
    Word y, m, d;
    DecodeDate(Date, y, m, d);
    IncAMonth(y, m, d, NumberOfMonths);
    return CombineDateTime(EncodeDate(y, m, d), Date);
}

void SetClockForTesting(std::function<TDateTime()> clock) {
    std::lock_guard<std::mutex> lock(g_clockMutex);
    g_clock = std::move(clock);
}

TDateTime Now() {
    {
        std::lock_guard<std::mutex> lock(g_clockMutex);
        if (g_clock) return g_clock();
    }
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm{};
    localtime_r(&ts.tv_sec, &tm);
    return FromTm(tm, static_cast<Integer>(ts.tv_nsec / 1000000));
}

TDateTime Date() {
    return DateOf(Now());
}

TDateTime Time() {
    return TimeOf(Now());
}

TTimeStamp DateTimeToTimeStamp(TDateTime DateTime) {
    Int64 ms = static_cast<Int64>(std::nearbyint(std::fabs(DateTime) * MSecsPerDay));
    TTimeStamp ts;
    Int64 days = ms / MSecsPerDay;
    ts.Time = static_cast<Integer>(ms % MSecsPerDay);
    ts.Date = static_cast<Integer>(DateTime < 0 ? DateDelta - days : DateDelta + days);
    return ts;
}

TDateTime TimeStampToDateTime(const TTimeStamp& TimeStamp) {
    if (TimeStamp.Time < 0 || TimeStamp.Time >= MSecsPerDay || TimeStamp.Date <= 0)
        throw EConvertError("'" + std::to_string(TimeStamp.Date) + "." + std::to_string(TimeStamp.Time) +
                            "' is not a valid timestamp");
    TDateTime days = static_cast<TDateTime>(TimeStamp.Date - DateDelta);
    TDateTime frac = static_cast<TDateTime>(TimeStamp.Time) / MSecsPerDay;
    return days < 0 ? days - frac : days + frac;
}

double TimeStampToMSecs(const TTimeStamp& TimeStamp) {
    return static_cast<double>(Int64(TimeStamp.Date) * MSecsPerDay + TimeStamp.Time);
}

TTimeStamp MSecsToTimeStamp(double MSecs) {
    Int64 ms = static_cast<Int64>(std::nearbyint(MSecs));
    TTimeStamp ts;
    ts.Date = static_cast<Integer>(ms / MSecsPerDay);
    ts.Time = static_cast<Integer>(ms % MSecsPerDay);
    return ts;
}

TDateTime FileDateToDateTime(Int64 FileDate) {
    time_t t = static_cast<time_t>(FileDate);
    std::tm tm{};
    localtime_r(&t, &tm);
    return FromTm(tm, 0);
}

Int64 DateTimeToFileDate(TDateTime DateTime) {
    Word y, mo, d, h, mi, s, ms;
    DecodeDate(DateTime, y, mo, d);
    DecodeTime(DateTime, h, mi, s, ms);
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    return static_cast<Int64>(mktime(&tm));
}
