#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/date_time.h"
#include "framework/exceptions.h"
#include "framework/formatting.h"

namespace {

// Every test here runs under fixed English settings and restores the global ones afterwards.
class Formatting : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = FormatSettings;
        FormatSettings = TFormatSettings::English();
    }
    void TearDown() override { FormatSettings = saved_; }

    static TFormatSettings German() {
        TFormatSettings fs = TFormatSettings::English();
        fs.DecimalSeparator = ',';
        fs.ThousandSeparator = '.';
        fs.DateSeparator = '.';
        fs.ShortDateFormat = "dd/MM/yyyy";
        fs.LongTimeFormat = "hh:nn:ss";
        fs.CurrencyString = "EUR";
        fs.CurrencyFormat = 3;
        fs.NegCurrFormat = 8;
        return fs;
    }

private:
    TFormatSettings saved_;
};

struct PatternCase {
    const char* format;
    double value;
    const char* expected;
};

}  // namespace

TEST_F(Formatting, FormatFloatPatterns) {
    const PatternCase cases[] = {
        {"0.00", 1234.567, "1234.57"},
        {"#,##0.00", 1234567.891, "1,234,567.89"},
        {"#,##0", -1234567, "-1,234,567"},
        {"#.##", 0.5, ".5"},
        {"0.##", 2, "2"},
        {"0.##", 2.5, "2.5"},
        {"0.0#", 2, "2.0"},
        {"#", 0, ""},
        {"000", 7, "007"},
        {"0", 123456, "123456"},
        {"00-00", 1234, "12-34"},
        {"'$'#,##0.00", 1234.5, "$1,234.50"},
        {"\"Total: \"0", 42, "Total: 42"},
        {"0 'kg'", 3, "3 kg"},
        {"0.00E+00", 12345, "1.23E+04"},
        {"0.00E-00", 12345, "1.23E04"},
        {"0.00E-00", 0.00012345, "1.23E-04"},
        {"0.###E+0", 0.00012345, "1.235E-4"},
        {"00.0E+0", 12345, "12.3E+3"},
        {"0.0E+00", 0, "0.0E+00"},
        {"", 1.5, "1.5"},
        {"0", 1e20, "1E20"},
    };
    for (const PatternCase& c : cases)
        EXPECT_EQ(FormatFloat(c.format, c.value), c.expected) << c.format << " " << c.value;
}

TEST_F(Formatting, FormatFloatRoundsHalfAwayFromZero) {
    const PatternCase cases[] = {
        {"0", 0.5, "1"},     {"0", 1.5, "2"},         {"0", 2.5, "3"},       {"0", -2.5, "-3"},
        {"0.00", 0.125, "0.13"}, {"0.00", 1.005, "1.01"}, {"0.00", 2.675, "2.68"}, {"0.0", 0.05, "0.1"},
        {"0.00", 9.995, "10.00"}, {"#,##0", 999.5, "1,000"}, {"0.000", 1.0 / 3, "0.333"},
    };
    for (const PatternCase& c : cases)
        EXPECT_EQ(FormatFloat(c.format, c.value), c.expected) << c.format << " " << c.value;
}

TEST_F(Formatting, FormatFloatSections) {
    const PatternCase cases[] = {
        {"0.0;(0.0)", -12.34, "(12.3)"},
        {"0.0;(0.0)", 12.34, "12.3"},
        {"0.0;(0.0);'zero'", 0, "zero"},
        {"0.0;(0.0);'zero'", 5, "5.0"},
        {"0.0;;'zero'", -1.25, "-1.3"},         // empty negative section: the first one with a minus
        {"0.00;-0.00;'nil'", -0.004, "nil"},    // rounds to zero: the zero section
        {"0.00", -0.004, "0.00"},               // ... or the first one, without a sign
        {"0;0;", 0, "0"},                       // empty zero section: the first one
        {"'pos';'neg'", -3, "neg"},
        {"0.0;'a;b'", -1, "a;b"},               // quoted semicolons do not split
    };
    for (const PatternCase& c : cases)
        EXPECT_EQ(FormatFloat(c.format, c.value), c.expected) << c.format << " " << c.value;
}

TEST_F(Formatting, FormatFloatUsesTheSettings) {
    TFormatSettings de = German();
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, de), "1.234,50");
    EXPECT_EQ(FormatFloat("0.00E+00", 12345, de), "1,23E+04");
    EXPECT_EQ(FloatToStr(-0.25, de), "-0,25");
}

TEST_F(Formatting, GeneralFormatAndPrecision) {
    struct Case { double value; int precision; int digits; const char* expected; };
    const Case cases[] = {
        {1.5, 15, 0, "1.5"},
        {100, 15, 0, "100"},
        {-2.5, 15, 0, "-2.5"},
        {0.1 + 0.2, 15, 0, "0.3"},
        {1.0 / 3, 15, 0, "0.333333333333333"},
        {123456789012345.0, 15, 0, "123456789012345"},
        {1e15, 15, 0, "1E15"},
        {1e20, 15, 0, "1E20"},
        {1.5e-7, 15, 0, "1.5E-7"},
        {0.00001, 15, 0, "0.00001"},
        {0.000001, 15, 0, "1E-6"},
        {0, 15, 0, "0"},
        {1234.5678, 6, 0, "1234.57"},
        {1234.5678, 3, 0, "1.23E3"},
        {1234.5678, 3, 2, "1.23E03"},
        {0.125, 2, 0, "0.13"},
        {99999, 4, 0, "1E5"},
        {0.1, 18, 0, "0.100000000000000006"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FloatToStrF(c.value, ffGeneral, c.precision, c.digits), c.expected)
            << c.value << " p" << c.precision << " d" << c.digits;
    EXPECT_EQ(FloatToStr(1e20), "1E20");
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity()), "-INF");
}

TEST_F(Formatting, OtherFloatFormats) {
    EXPECT_EQ(FloatToStrF(1234.5678, ffExponent, 4, 2), "1.235E+03");
    EXPECT_EQ(FloatToStrF(-0.00012, ffExponent, 3, 0), "-1.20E-4");
    EXPECT_EQ(FloatToStrF(1234.5678, ffFixed, 15, 2), "1234.57");
    EXPECT_EQ(FloatToStrF(0.5, ffFixed, 15, 0), "1");
    EXPECT_EQ(FloatToStrF(-0.001, ffFixed, 15, 2), "0.00");
    EXPECT_EQ(FloatToStrF(1234.5678, ffFixed, 10, 5), "1234.56780");
    EXPECT_EQ(FloatToStrF(1234567.5, ffNumber, 15, 1), "1,234,567.5");
    EXPECT_EQ(FloatToStrF(-1234.5, ffCurrency, 15, 2), "($1,234.50)");
    EXPECT_EQ(FloatToStrF(1234.5, ffCurrency, 15, 2), "$1,234.50");
    TFormatSettings de = German();
    EXPECT_EQ(FloatToStrF(1234.5, ffCurrency, 15, 2, de), "1.234,50 EUR");
    EXPECT_EQ(FloatToStrF(-1234.5, ffCurrency, 15, 2, de), "-1.234,50 EUR");
}

TEST_F(Formatting, CurrencyIsExact) {
    const Currency big = 9223372036854775807LL;  // 922337203685477.5807
    EXPECT_EQ(CurrToStr(big), "922337203685477.5807");
    EXPECT_EQ(CurrToStr(-12500), "-1.25");
    EXPECT_EQ(CurrToStr(0), "0");
    EXPECT_EQ(FormatCurr("#,##0.00", 123456789), "12,345.68");
    EXPECT_EQ(CurrToStrF(123456789, ffNumber, 2), "12,345.68");
    EXPECT_EQ(StrToCurr("12.3456"), 123456);
    EXPECT_EQ(StrToCurr("0.00004"), 0);
    EXPECT_EQ(StrToCurr("-0.5"), -5000);
    EXPECT_EQ(DoubleToCurrency(1.5), 15000);
    EXPECT_THROW(StrToCurr("1e20"), EConvertError);
}

TEST_F(Formatting, ParsingFloats) {
    struct Case { const char* text; bool ok; double value; };
    const Case cases[] = {
        {"1.5", true, 1.5},     {" -2.5e3 ", true, -2500}, {"+.5", true, 0.5},  {"7.", true, 7},
        {"1E-2", true, 0.01},   {"", false, 0},            {"  ", false, 0},    {"1,5", false, 0},
        {"1e", false, 0},       {"1.2.3", false, 0},       {"abc", false, 0},   {"1 000", false, 0},
        {"1e999", false, 0},    {".", false, 0},
    };
    for (const Case& c : cases) {
        Double v = -1;
        EXPECT_EQ(TryStrToFloat(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
        }
    }
    Extended v;
    EXPECT_TRUE(TryStrToFloat("1,5", v, German()));
    EXPECT_EQ(v, 1.5L);
    try {
        StrToFloat("abc");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "'abc' is not a valid floating point value");
    }
    EXPECT_EQ(StrToFloatDef("x", 3), 3);
}

TEST_F(Formatting, DatePatterns) {
    TDateTime dt = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);  // a Tuesday
    struct Case { const char* format; const char* expected; };
    const Case cases[] = {
        {"yyyy-mm-dd hh:nn:ss.zzz", "2024-03-05 14:07:09.045"},
        {"d/m/yy", "5/3/24"},
        {"dddd, mmmm d", "Tuesday, March 5"},
        {"ddd mmm", "Tue Mar"},
        {"hh:mm", "14:07"},  // m after h is minutes
        {"h:n:s z", "14:7:9 45"},
        {"h:nn am/pm", "2:07 pm"},
        {"h:nn AM/PM", "2:07 PM"},
        {"h:nn a/p", "2:07 p"},
        {"h ampm", "2 PM"},
        {"c", "3/5/2024 2:07:09 PM"},
        {"ddddd", "3/5/2024"},
        {"dddddd", "Tuesday, March 5, 2024"},
        {"t", "2:07 PM"},
        {"tt", "2:07:09 PM"},
        {"'Day' d \"of\" m", "Day 5 of 3"},
        {"YYYY/MM/DD", "2024/03/05"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatDateTime(c.format, dt), c.expected) << c.format;

    EXPECT_EQ(FormatDateTime("h:nn am/pm", EncodeTime(0, 30, 0, 0)), "12:30 am");
    EXPECT_EQ(FormatDateTime("h:nn am/pm", EncodeTime(12, 0, 0, 0)), "12:00 pm");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 5)), "3/5/2024");  // no time at midnight
    EXPECT_EQ(DateToStr(dt), "3/5/2024");
    EXPECT_EQ(TimeToStr(dt), "2:07:09 PM");

    TFormatSettings de = German();
    EXPECT_EQ(DateToStr(dt, de), "05.03.2024");
    EXPECT_EQ(DateTimeToStr(dt, de), "05.03.2024 14:07:09");
    EXPECT_EQ(FormatDateTime("hh:nn", dt, [] {
                  TFormatSettings fs = TFormatSettings::English();
                  fs.TimeSeparator = '.';
                  return fs;
              }()),
              "14.07");
}

TEST_F(Formatting, ParsingDatesAndTimes) {
    SetClockForTesting([] { return EncodeDate(2024, 6, 1); });
    struct Case { const char* text; bool ok; TDateTime value; };
    const Case dates[] = {
        {"3/5/2024", true, EncodeDate(2024, 3, 5)},
        {" 3 / 5 / 2024 ", true, EncodeDate(2024, 3, 5)},
        {"3/5", true, EncodeDate(2024, 3, 5)},       // the current year
        {"3/5/24", true, EncodeDate(2024, 3, 5)},
        {"3/5/80", true, EncodeDate(1980, 3, 5)},    // within 50 years of 2024
        {"3/5/73", true, EncodeDate(2073, 3, 5)},
        {"3/5/0024", true, EncodeDate(24, 3, 5)},    // four digits are taken as written
        {"13/5/2024", false, 0},
        {"2/30/2024", false, 0},
        {"3-5-2024", false, 0},
        {"3/5/2024 x", false, 0},
        {"", false, 0},
    };
    for (const Case& c : dates) {
        TDateTime v = -1;
        EXPECT_EQ(TryStrToDate(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
    TDateTime v;
    ASSERT_TRUE(TryStrToDate("05.03.2024", v, German()));
    EXPECT_EQ(v, EncodeDate(2024, 3, 5));

    const Case times[] = {
        {"14:07", true, EncodeTime(14, 7, 0, 0)},
        {"14:07:09.045", true, EncodeTime(14, 7, 9, 45)},
        {"2:07 PM", true, EncodeTime(14, 7, 0, 0)},
        {"12:00 am", true, 0},
        {"PM 1:15", true, EncodeTime(13, 15, 0, 0)},
        {"8", true, EncodeTime(8, 0, 0, 0)},
        {"25:00", false, 0},
        {"13:00 PM", false, 0},
        {"10:61", false, 0},
    };
    for (const Case& c : times) {
        TDateTime t = -1;
        EXPECT_EQ(TryStrToTime(c.text, t), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(t, c.value) << c.text;
        }
    }

    EXPECT_EQ(StrToDateTime("3/5/2024 14:07:09"), EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 0));
    EXPECT_EQ(StrToDateTime("3/5/2024"), EncodeDate(2024, 3, 5));
    EXPECT_EQ(StrToDateTime("6:00"), 0.25);
    // What the formatter writes, the parser reads back.
    TDateTime dt = EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 58, 0);
    EXPECT_EQ(StrToDateTime(DateTimeToStr(dt)), dt);
    EXPECT_EQ(StrToDateTime(DateTimeToStr(dt, German()), German()), dt);

    try {
        StrToDate("31/31/2024");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "'31/31/2024' is not a valid date");
    }
    EXPECT_THROW(StrToTime("x"), EConvertError);
    try {
        StrToDateTime("3/5/2024 99:00");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "'3/5/2024 99:00' is not a valid date and time");
    }
    SetClockForTesting(nullptr);
}
