#pragma once
// Date and time values. A TDateTime counts days since 1899-12-30 (day 0); the fraction is the
// time of day. Dates before day 0 are negative and keep the time as a positive fraction of the
// day: -1.25 is 1899-12-29 06:00.
// A TTimeStamp splits a moment into a day number counted from 0001-01-01 (day 1) and the
// milliseconds since midnight.

#include <cstdint>
#include <functional>

#include "framework/types.h"

constexpr Integer HoursPerDay = 24;
constexpr Integer MinsPerDay = HoursPerDay * 60;
constexpr Integer SecsPerDay = MinsPerDay * 60;
constexpr Integer MSecsPerDay = SecsPerDay * 1000;
// Day number of 1899-12-30 in the time-stamp count (0001-01-01 is day 1).
constexpr Integer DateDelta = 693594;
// TDateTime of 1970-01-01, the start of Unix time.
constexpr Integer UnixDateDelta = 25569;

struct TTimeStamp {
    Integer Time = 0;  // milliseconds since midnight
    Integer Date = 0;  // days since 0001-01-01, that day being 1
    bool operator==(const TTimeStamp&) const = default;
};

bool IsLeapYear(Word Year);
// Days in the month (28 to 31); 0 for a month outside 1..12.
Word DaysInAMonth(Word Year, Word Month);

// Raise EConvertError "Invalid argument to date encode" / "... time encode" on bad arguments.
TDateTime EncodeDate(Word Year, Word Month, Word Day);
TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec);
bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date);
bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time);
// Dates before 0001-01-01 decode as 0/0/0.
void DecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day);
// Also gives the day of the week (1 = Sunday) and answers whether the year is a leap year.
bool DecodeDateFully(TDateTime Date, Word& Year, Word& Month, Word& Day, Word& DOW);
void DecodeTime(TDateTime Time, Word& Hour, Word& Min, Word& Sec, Word& MSec);

// 1 = Sunday ... 7 = Saturday.
Integer DayOfWeek(TDateTime Date);

// The date part (time 00:00) and the time part (on day 0) of a value.
TDateTime DateOf(TDateTime Value);
TDateTime TimeOf(TDateTime Value);
// Combines the date part of Date with the time part of Time.
TDateTime CombineDateTime(TDateTime Date, TDateTime Time);

// Moves a date by whole months; the day is cut to the last day of a shorter month and the time
// of day is kept.
TDateTime IncMonth(TDateTime Date, Integer NumberOfMonths = 1);
void IncAMonth(Word& Year, Word& Month, Word& Day, Integer NumberOfMonths = 1);

// The local clock. Tests can replace it with SetClockForTesting (an empty function restores the
// real clock).
TDateTime Now();
TDateTime Date();
TDateTime Time();
void SetClockForTesting(std::function<TDateTime()> clock);

TTimeStamp DateTimeToTimeStamp(TDateTime DateTime);
// Raises EConvertError "'%d.%d' is not a valid timestamp" for a time outside the day or a day
// number below 1.
TDateTime TimeStampToDateTime(const TTimeStamp& TimeStamp);
// Milliseconds from the start of day 0 of the time-stamp count (Date * MSecsPerDay + Time).
double TimeStampToMSecs(const TTimeStamp& TimeStamp);
TTimeStamp MSecsToTimeStamp(double MSecs);

// File dates are Unix times (seconds since 1970-01-01 UTC); TDateTime values are local time.
TDateTime FileDateToDateTime(Int64 FileDate);
Int64 DateTimeToFileDate(TDateTime DateTime);
