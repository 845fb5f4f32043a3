#include <gtest/gtest.h>

#include "framework/date_time.h"
#include "framework/exceptions.h"

TEST(DateTime, DayNumbers) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1899, 12, 31), 1.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);

    TTimeStamp first = DateTimeToTimeStamp(EncodeDate(1, 1, 1));
    EXPECT_EQ(first.Date, 1);
    EXPECT_EQ(first.Time, 0);
    EXPECT_EQ(DateTimeToTimeStamp(0).Date, DateDelta);
}

TEST(DateTime, EveryDayDecodesBackToItsEncoding) {
    // Walk whole years across century and leap boundaries, day by day.
    TDateTime d = EncodeDate(1599, 1, 1);
    Word y = 1599, m = 1, day = 1;
    for (TDateTime end = EncodeDate(2101, 12, 31); d <= end; d += 1) {
        Word yy, mm, dd;
        DecodeDate(d, yy, mm, dd);
        ASSERT_EQ(yy, y);
        ASSERT_EQ(mm, m);
        ASSERT_EQ(dd, day);
        if (++day > DaysInAMonth(y, m)) {
            day = 1;
            if (++m > 12) {
                m = 1;
                ++y;
            }
        }
    }
}

TEST(DateTime, LeapYearsAndMonthLengths) {
    struct Case { Word year; bool leap; };
    for (Case c : {Case{1600, true}, Case{1700, false}, Case{1900, false}, Case{2000, true}, Case{2004, true},
                   Case{2023, false}, Case{2100, false}, Case{2400, true}}) {
        EXPECT_EQ(IsLeapYear(c.year), c.leap) << c.year;
        EXPECT_EQ(DaysInAMonth(c.year, 2), c.leap ? 29 : 28) << c.year;
    }
    TDateTime out;
    EXPECT_TRUE(TryEncodeDate(2024, 2, 29, out));
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, out));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, out));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, out));
    EXPECT_FALSE(TryEncodeDate(2024, 13, 1, out));
    try {
        EncodeDate(2023, 2, 29);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "Invalid argument to date encode");
    }
}

TEST(DateTime, TimesIncludingNegativeDates) {
    TDateTime t = EncodeTime(6, 30, 15, 250);
    Word h, m, s, ms;
    DecodeTime(t, h, m, s, ms);
    EXPECT_EQ(h, 6);
    EXPECT_EQ(m, 30);
    EXPECT_EQ(s, 15);
    EXPECT_EQ(ms, 250);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 60, 0), EConvertError);

    // -1.25 is 1899-12-29 06:00: the day counts back, the time stays a positive fraction.
    Word y, mo, d;
    DecodeDate(-1.25, y, mo, d);
    DecodeTime(-1.25, h, m, s, ms);
    EXPECT_EQ(y, 1899);
    EXPECT_EQ(mo, 12);
    EXPECT_EQ(d, 29);
    EXPECT_EQ(h, 6);
    EXPECT_EQ(CombineDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0, 0)), -1.25);
    EXPECT_EQ(TimeOf(-1.25), 0.25);
    EXPECT_EQ(DateOf(-1.25), -1.0);
}

TEST(DateTime, DayOfWeekStartsOnSunday) {
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);  // Saturday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 3)), 1);    // Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 4)), 2);    // Monday
    EXPECT_EQ(DayOfWeek(EncodeDate(1, 1, 1)), 2);       // Monday
    EXPECT_EQ(DayOfWeek(-1.25), 6);                     // 1899-12-29, a Friday
}

TEST(DateTime, IncMonthCutsTheDayAndKeepsTheTime) {
    struct Case { Word y, m, d; int months; Word ey, em, ed; };
    for (Case c : {Case{2023, 1, 31, 1, 2023, 2, 28}, Case{2024, 3, 31, -1, 2024, 2, 29},
                   Case{2023, 12, 15, 1, 2024, 1, 15}, Case{2024, 1, 15, -13, 2022, 12, 15},
                   Case{2024, 5, 31, 12, 2025, 5, 31}, Case{2024, 2, 29, 12, 2025, 2, 28}}) {
        TDateTime r = IncMonth(EncodeDate(c.y, c.m, c.d) + 0.75, c.months);
        EXPECT_EQ(r, EncodeDate(c.ey, c.em, c.ed) + 0.75) << c.y << "-" << c.m << "-" << c.d << " " << c.months;
    }
}

TEST(DateTime, TimeStampConversions) {
    TDateTime noon = 0.5;
    TTimeStamp ts = DateTimeToTimeStamp(noon);
    EXPECT_EQ(ts.Date, 693594);
    EXPECT_EQ(ts.Time, 43200000);
    EXPECT_EQ(TimeStampToMSecs(ts), 693594.0 * 86400000.0 + 43200000.0);
    EXPECT_EQ(MSecsToTimeStamp(TimeStampToMSecs(ts)), ts);
    EXPECT_EQ(TimeStampToDateTime(ts), noon);

    TDateTime before = -1.25;
    EXPECT_EQ(TimeStampToDateTime(DateTimeToTimeStamp(before)), before);
    // Milliseconds round to the nearest one.
    EXPECT_EQ(DateTimeToTimeStamp(EncodeTime(0, 0, 1, 999) + 0.4 / MSecsPerDay).Time, 1999);

    try {
        TimeStampToDateTime(TTimeStamp{0, 0});
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "'0.0' is not a valid timestamp");
    }
    EXPECT_THROW(TimeStampToDateTime(TTimeStamp{MSecsPerDay, 1}), EConvertError);
}

TEST(DateTime, ClockSeamAndFileDates) {
    TDateTime fixed = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 0);
    SetClockForTesting([fixed] { return fixed; });
    EXPECT_EQ(Now(), fixed);
    EXPECT_EQ(Date(), EncodeDate(2024, 3, 5));
    EXPECT_EQ(DateTimeToTimeStamp(Time()).Time, ((14 * 60 + 7) * 60 + 9) * 1000);
    SetClockForTesting(nullptr);
    EXPECT_GT(Now(), EncodeDate(2020, 1, 1));

    const Int64 stamp = 1700000000;
    EXPECT_EQ(DateTimeToFileDate(FileDateToDateTime(stamp)), stamp);
}
