#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <locale.h>

#include "framework/format_settings.h"
#include "framework/sysutils.h"

namespace {

std::string ConvertErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EConvertError& e) {
        return e.Message;
    }
    return "(no error)";
}

}  // namespace

TEST(IntegerConversion, StrToIntAcceptsDecimalAndHexForms) {
    struct Case {
        const char* text;
        Integer value;
    } cases[] = {
        {"123", 123},       {"  -42", -42},           {"+7", 7},           {"$FF", 255},
        {"0x1f", 31},       {"-$10", -16},            {"$FFFFFFFF", -1},   {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<Integer>::min()}, {"007", 7},
    };
    for (const auto& c : cases) EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
}

TEST(IntegerConversion, StrToIntRejectsWithTheFrameworkMessage) {
    for (const char* bad : {"", " ", "12 ", "2147483648", "-2147483649", "1.5", "$", "abc", "--1", "$100000000",
                            "0x"}) {
        EXPECT_EQ(ConvertErrorOf([&] { StrToInt(bad); }), "'" + std::string(bad) + "' is not a valid integer value")
            << bad;
        Integer v = 99;
        EXPECT_FALSE(TryStrToInt(bad, v));
        EXPECT_EQ(v, 99);
        EXPECT_EQ(StrToIntDef(bad, -3), -3);
    }
}

TEST(IntegerConversion, SixtyFourBitForms) {
    EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<Int64>::max());
    EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<Int64>::min());
    EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(StrToInt64("5000000000"), 5000000000LL);
    EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
    EXPECT_EQ(StrToInt64Def("x", 5), 5);
}

TEST(IntegerConversion, IntToStrAndIntToHex) {
    EXPECT_EQ(IntToStr(-5), "-5");
    EXPECT_EQ(IntToStr(std::numeric_limits<Int64>::min()), "-9223372036854775808");
    EXPECT_EQ(IntToStr(size_t(4000000000u)), "4000000000");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(0, 0), "0");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
    EXPECT_EQ(IntToHex(Int64(-1), 1), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToHex(Int64(0x1234567890), 12), "001234567890");
}

TEST(FormatDirectives, Table) {
    const TFormatSettings saved = FormatSettings;
    FormatSettings = TFormatSettings::English();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        std::string fmt;
        std::vector<TVarRec> args;
        std::string expected;
    } cases[] = {
        {"%d of %s", {3, "ten"}, "3 of ten"},
        {"[%5d|%-5d]", {42, 42}, "[   42|42   ]"},
        {"%.4d", {-7}, "-0007"},
        {"%*d", {6, 42}, "    42"},
        {"%-*.*d|", {6, 3, 5}, "005   |"},
        {"%u", {-1}, "4294967295"},
        {"%d", {Int64(-5000000000)}, "-5000000000"},
        {"%x", {255}, "FF"},
        {"%.8x", {255}, "000000FF"},
        {"%x", {-1}, "FFFFFFFF"},
        {"%x", {Int64(-1)}, "FFFFFFFFFFFFFFFF"},
        {"%1:s %0:s %s", {"a", "b"}, "b a b"},
        {"%*:s", {1, "a", "b"}, "a"},
        {"%s%s", {'c', std::string("d")}, "cd"},
        {"%.2s|%6s|%-6s|", {"h\xC3\xA9llo", "h\xC3\xA9llo", "h\xC3\xA9llo"}, "h\xC3\xA9| h\xC3\xA9llo|h\xC3\xA9llo |"},
        {"100%% %D", {5}, "100% 5"},
        {"%e", {1234.5}, "1.23450000000000E+003"},
        {"%.3e", {-0.000123456}, "-1.23E-004"},
        {"%.1e", {0.0}, "0E+000"},
        {"%f", {2.5}, "2.50"},
        {"%.0f", {2.5}, "3"},
        {"%.0f", {-2.5}, "-3"},
        {"%.2f", {0.125}, "0.13"},
        {"%.2f", {2.675}, "2.67"},
        {"%.1f", {-0.04}, "0.0"},
        {"%8.3f", {3.14159}, "   3.142"},
        {"%.3f", {0.0005}, "0.001"},
        {"%g", {0.5}, "0.5"},
        {"%g", {100.0}, "100"},
        {"%g", {123456789.0}, "123456789"},
        {"%g", {1e20}, "1E020"},
        {"%g", {0.0001}, "0.0001"},
        {"%g", {0.000001}, "1E-006"},
        {"%.3g", {3.14159}, "3.14"},
        {"%.3g", {99.96}, "100"},
        {"%g", {inf}, "INF"},
        {"%f", {-inf}, "-INF"},
        {"%n", {1234567.891}, "1,234,567.89"},
        {"%.0n", {-1234.5}, "-1,235"},
        {"%n", {999.999}, "1,000.00"},
        {"%m", {1234.5}, "$1,234.50"},
        {"%m", {-2.0}, "($2.00)"},
        {"%.0m", {7.0}, "$7"},
        {"%p", {reinterpret_cast<void*>(0x1234)}, "0000000000001234"},
        {"%p", {nullptr}, "0000000000000000"},
    };
    for (const auto& c : cases) EXPECT_EQ(Format(c.fmt, c.args), c.expected) << c.fmt;

    // The separators and currency layout come from the format settings.
    FormatSettings.DecimalSeparator = ',';
    FormatSettings.ThousandSeparator = '.';
    FormatSettings.CurrencyString = "EUR";
    FormatSettings.CurrencyFormat = 3;
    FormatSettings.NegCurrFormat = 8;
    EXPECT_EQ(Format("%n|%m|%m|%.1f", {1234.5, 1234.5, -2.0, 0.25}), "1.234,50|1.234,50 EUR|-2,00 EUR|0,3");
    FormatSettings = saved;
}

TEST(FormatDirectives, BadFormatsAndMismatchedArgumentsRaise) {
    struct Case {
        std::string fmt;
        std::vector<TVarRec> args;
    } invalid[] = {
        {"%d", {1.5}},      {"%f", {3}},         {"%s", {3}},      {"%d", {"x"}},      {"%z", {1}},
        {"abc %", {1}},     {"%5-d", {1}},       {"%d", {true}},   {"%*d", {"x", 1}},  {"%p", {1}},
        {"%x", {2.0}},      {"%:d", {1}},        {"%.", {1}},
    };
    for (const auto& c : invalid)
        EXPECT_EQ(ConvertErrorOf([&] { Format(c.fmt, c.args); }),
                  "Format '" + c.fmt + "' invalid or incompatible with argument")
            << c.fmt;
    EXPECT_EQ(ConvertErrorOf([] { Format("%d %d", {1}); }), "No argument for format '%d %d'");
    EXPECT_EQ(ConvertErrorOf([] { Format("%2:d", {1, 2}); }), "No argument for format '%2:d'");
}

TEST(FloatDecimal, RoundsHalvesAwayFromZeroOnTheExactValue) {
    TFloatRec r = FloatToDecimal(0.125, 2, 9999);
    EXPECT_EQ(r.Digits, "13");
    EXPECT_EQ(r.Exponent, 0);
    r = FloatToDecimal(-9.995, 15, 2);  // 9.9949999... in binary
    EXPECT_EQ(r.Digits, "999");
    EXPECT_TRUE(r.Negative);
    r = FloatToDecimal(12500, 2, 9999);
    EXPECT_EQ(r.Digits, "13");
    EXPECT_EQ(r.Exponent, 5);
    r = FloatToDecimal(0.004, 18, 2);
    EXPECT_TRUE(r.Digits.empty());
    EXPECT_TRUE(FloatToDecimal(std::nan(""), 15, 2).Special);
}

TEST(TextRoutines, TrimRemovesBlanksAndControlCharacters) {
    EXPECT_EQ(Trim("\t a b \r\n"), "a b");
    EXPECT_EQ(TrimLeft("\x01 x "), "x ");
    EXPECT_EQ(TrimRight(" x \x1F"), " x");
    EXPECT_EQ(Trim("\xC2\xA0x\xC2\xA0"), "\xC2\xA0x\xC2\xA0");  // non-ASCII bytes are not blanks
    EXPECT_EQ(Trim("   "), "");
}

TEST(TextRoutines, PlainCaseRoutinesTouchAsciiOnly) {
    EXPECT_EQ(UpperCase("stra\xC3\x9F" "e \xC3\xA9"), "STRA\xC3\x9F" "E \xC3\xA9");
    EXPECT_EQ(LowerCase("\xC3\x80" "B"), "\xC3\x80" "b");
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_EQ(CompareText("Hello", "hELLO"), 0);
    EXPECT_GT(CompareText("abc", "AB"), 0);
    EXPECT_TRUE(SameText("Hello", "hELLO"));
    EXPECT_FALSE(SameText("\xC3\xA9", "\xC3\x89"));
    EXPECT_LT(CompareStr("B", "a"), 0);
}

TEST(TextRoutines, AnsiCaseMappingCoversLatinGreekAndCyrillic) {
    struct Case {
        const char* lower;
        const char* upper;
    } pairs[] = {
        {"\xC3\xA0\xC3\xA9\xC3\xAE\xC3\xB5\xC3\xBC\xC3\xBF",
         "\xC3\x80\xC3\x89\xC3\x8E\xC3\x95\xC3\x9C\xC5\xB8"},  // àéîõüÿ
        {"\xC4\x9F\xC5\x82\xC5\x93\xC5\xBE\xC4\x91", "\xC4\x9E\xC5\x81\xC5\x92\xC5\xBD\xC4\x90"},  // ğłœžđ
        {"\xCE\xB1\xCE\xB2\xCE\xB3\xCE\xB4\xCF\x89 \xCE\xAC\xCE\xAD\xCF\x8E",
         "\xCE\x91\xCE\x92\xCE\x93\xCE\x94\xCE\xA9 \xCE\x86\xCE\x88\xCE\x8F"},  // αβγδω άέώ
        {"\xD0\xB6\xD1\x91\xD1\x8F \xD1\x97", "\xD0\x96\xD0\x81\xD0\xAF \xD0\x87"},  // жёя ї
    };
    for (const auto& p : pairs) {
        EXPECT_EQ(AnsiUpperCase(p.lower), p.upper) << p.lower;
        EXPECT_EQ(AnsiLowerCase(p.upper), p.lower) << p.upper;
    }
    EXPECT_EQ(AnsiUpperCase("stra\xC3\x9F" "e"), "STRA\xC3\x9F" "E");  // ß has no single upper case
    EXPECT_EQ(AnsiUpperCase("\xCF\x82"), "\xCE\xA3");                 // final sigma
    EXPECT_EQ(AnsiUpperCase("\xC4\xB1"), "I");                        // dotless i
    EXPECT_EQ(AnsiUpperCase("a\xFF" "b\xE9"), "A\xFF" "B\xE9");       // stray bytes survive
    EXPECT_TRUE(AnsiSameText("\xC3\x84rger", "\xC3\xA4RGER"));
    EXPECT_FALSE(AnsiSameText("abc", "abcd"));
    EXPECT_TRUE(AnsiStartsText("\xD0\x96\xD0\xA3", "\xD0\xB6\xD1\x83\xD0\xBA"));
}

TEST(TextRoutines, CharacterClassification) {
    for (char32_t c : {U'a', U'Z', U'\u00E9', U'\u03B1', U'\u0416', U'\u65E5', U'\u00DF'}) EXPECT_TRUE(IsCharAlpha(c));
    for (char32_t c : {U'1', U'-', U' ', U'\u00D7', U'\u20AC'}) EXPECT_FALSE(IsCharAlpha(c));
    EXPECT_TRUE(IsCharAlphaNumeric(U'7'));
    EXPECT_TRUE(IsCharUpper(U'\u0416'));
    EXPECT_TRUE(IsCharLower(U'\u00DF'));
}

TEST(Collation, BuiltInOrderSortsLikeADictionary) {
    SetCollationLocale("xx_NOWHERE.UTF-8");  // a locale the system lacks falls back to the built-in order
    std::vector<std::string> expected = {
        "_x",      "10",       "2x",     "\xC3\x84pfel", "apple",         "Apple",
        "banana",  "coop",     "co-op",  "eclair",       "\xC3\xA9" "clair", "zebra",
        "Zebra",   "\xCE\xA9mega", "\xD0\x96\xD1\x83\xD0\xBA",
    };
    std::vector<std::string> shuffled = {expected[8], expected[3], expected[13], expected[0], expected[11],
                                         expected[5], expected[14], expected[1], expected[9],  expected[4],
                                         expected[12], expected[2], expected[7], expected[10], expected[6]};
    std::sort(shuffled.begin(), shuffled.end(),
              [](const std::string& a, const std::string& b) { return AnsiCompareStr(a, b) < 0; });
    EXPECT_EQ(shuffled, expected);

    EXPECT_EQ(AnsiCompareText("\xC3\x84PFEL", "\xC3\xA4pfel"), 0);
    EXPECT_EQ(AnsiCompareStr("apple", "APPLE"), -1);
    EXPECT_EQ(AnsiCompareText("apple", "APPLE"), 0);
    EXPECT_EQ(AnsiCompareText("b", "A"), 1);
    EXPECT_EQ(AnsiCompareStr("same", "same"), 0);
    SetCollationLocale("C");
}

// Sort keys order texts as the collation compares them, in the built-in order and in the
// system's locales: letter case, accents (precomposed and combining), ligatures, ignorable
// punctuation, digits of several scripts, symbols, empty texts, null characters and stray bytes.
TEST(Collation, SortKeysOrderTextsAsTheComparisonDoes) {
    const std::vector<std::string> texts = {
        "", " ", "a", "A", "b", "B", "ab", "aB", "Ab", "a b", "a-b", "ab-", "-ab", "a'b", "coop", "co-op", "Co-op",
        "\xC3\xA4", "\xC3\x84", "ae", "\xC3\xA6", "AE", "ss", "\xC3\x9F", "eclair", "\xC3\xA9" "clair",
        "\xC3\x89" "clair", "e\xCC\x81" "clair", "\xC5\x93uvre", "oeuvre", "1", "01", "10", "2", "1.5", "\xC2\xB9",
        "\xD9\xA1", "_x", "x_", "!", "~", "\t", "\x7F", "\xCE\xA9mega", "\xCF\x89", "\xCE\xAC",
        "\xD0\x96\xD1\x83\xD0\xBA", "\xD1\x91", "\xD0\xB5", "\xE6\x97\xA5", std::string("a\0b", 3),
        std::string("a\0c", 3), std::string(1, '\0'),
        "\xFF", "a\xFF", "\xE9t\xE9", "abcdefghij", "abcdefghiJ", "abcdefgh", "zebra", "Zebra", "\xC3\xA5", "z",
    };
    for (const char* name : {"C", "en_US.UTF-8", "de_DE.UTF-8", "sv_SE.UTF-8", "fr_FR.UTF-8"}) {
        SCOPED_TRACE(name);
        if (std::string(name) != "C") {
            locale_t system = newlocale(LC_COLLATE_MASK, name, static_cast<locale_t>(nullptr));
            ASSERT_TRUE(system) << "the system lacks the locale (package locales-all)";
            freelocale(system);
        }
        SetCollationLocale(name);
        std::vector<std::string> keys;
        for (const std::string& text : texts) keys.push_back(AnsiSortKey(text));
        for (size_t i = 0; i < texts.size(); ++i)
            for (size_t j = 0; j < texts.size(); ++j) {
                const int order = keys[i].compare(keys[j]);
                EXPECT_EQ(order < 0 ? -1 : order > 0 ? 1 : 0, AnsiCompareStr(texts[i], texts[j])) << i << ", " << j;
            }
    }
    SetCollationLocale("C");
}

TEST(TextRoutines, QuotingRoundTrips) {
    EXPECT_EQ(QuotedStr("it's"), "'it''s'");
    EXPECT_EQ(QuotedStr(""), "''");
    EXPECT_EQ(AnsiDequotedStr("'it''s'", '\''), "it's");
    EXPECT_EQ(AnsiDequotedStr("\"a\"\"b\"", '"'), "a\"b");
    EXPECT_EQ(AnsiDequotedStr("abc", '\''), "abc");
    EXPECT_EQ(AnsiDequotedStr("'abc", '\''), "'abc");
    EXPECT_EQ(AnsiDequotedStr("'", '\''), "'");
    size_t pos = 0;
    EXPECT_EQ(AnsiExtractQuotedStr("'a''b' rest", pos, '\''), "a'b");
    EXPECT_EQ(pos, 6u);
    pos = 0;
    EXPECT_EQ(AnsiExtractQuotedStr("'open", pos, '\''), "open");
    EXPECT_EQ(pos, 5u);
}

TEST(TextRoutines, StringReplace) {
    EXPECT_EQ(StringReplace("a-b-c", "-", "+", {}), "a+b-c");
    EXPECT_EQ(StringReplace("a-b-c", "-", "+", {rfReplaceAll}), "a+b+c");
    EXPECT_EQ(StringReplace("aaa", "aa", "b", {rfReplaceAll}), "ba");
    EXPECT_EQ(StringReplace("abc", "", "x", {rfReplaceAll}), "abc");
    EXPECT_EQ(StringReplace("One one ONE", "one", "2", {rfReplaceAll, rfIgnoreCase}), "2 2 2");
    EXPECT_EQ(StringReplace("One one", "one", "2", {rfIgnoreCase}), "2 one");
    // Case-insensitive over letters whose forms differ in byte length.
    EXPECT_EQ(StringReplace("x\xC4\xB1y Iy", "iy", "-", {rfReplaceAll, rfIgnoreCase}), "x- -");
    EXPECT_EQ(
        StringReplace("\xC3\x84\xC3\x96 \xC3\xA4\xC3\xB6!", "\xC3\xA4\xC3\xB6", "-", {rfReplaceAll, rfIgnoreCase}),
        "- -!");
}

TEST(TextRoutines, OneBasedSubstringRoutines) {
    EXPECT_EQ(Pos("lo", "hello"), 4);
    EXPECT_EQ(Pos("", "hello"), 0);
    EXPECT_EQ(Pos("x", "hello"), 0);
    EXPECT_EQ(PosEx("l", "hello", 4), 4);
    EXPECT_EQ(PosEx("l", "hello", 5), 0);
    EXPECT_EQ(PosEx("l", "hello", 0), 0);
    EXPECT_EQ(Copy("hello", 2, 3), "ell");
    EXPECT_EQ(Copy("hello", 0, 2), "he");
    EXPECT_EQ(Copy("hello", 4, 100), "lo");
    EXPECT_EQ(Copy("hello", 6, 1), "");
    EXPECT_EQ(Copy("hello", 2, -1), "");
    EXPECT_EQ(Copy("hello", 3), "llo");

    std::string s = "hello";
    Delete(s, 2, 2);
    EXPECT_EQ(s, "hlo");
    Delete(s, 0, 2);
    EXPECT_EQ(s, "hlo");
    Delete(s, 2, 100);
    EXPECT_EQ(s, "h");
    s = "abc";
    Insert("XY", s, 2);
    EXPECT_EQ(s, "aXYbc");
    Insert("<", s, 0);
    Insert(">", s, 100);
    EXPECT_EQ(s, "<aXYbc>");

    EXPECT_EQ(StringOfChar('-', 3), "---");
    EXPECT_EQ(StringOfChar('-', -1), "");
    EXPECT_TRUE(IsDelimiter("/.", "a/b", 2));
    EXPECT_FALSE(IsDelimiter("/.", "a/b", 4));
    EXPECT_EQ(LastDelimiter("/.", "a/b.c/d"), 6);
    EXPECT_EQ(LastDelimiter("/", "abc"), 0);
}

TEST(TextRoutines, AdjustLineBreaks) {
    EXPECT_EQ(AdjustLineBreaks("a\rb\nc\r\nd\n\re"), "a\r\nb\r\nc\r\nd\r\ne");
    EXPECT_EQ(AdjustLineBreaks("a\r\n\r\nb\r", tlbsLF), "a\n\nb\n");
}

TEST(Utf8, CodePointHelpers) {
    const std::string s = "h\xC3\xA9llo";  // héllo
    EXPECT_EQ(Utf8Length(s), 5);
    EXPECT_EQ(Utf8CharToByte(s, 2), 3u);
    EXPECT_EQ(Utf8CharToByte(s, 9), s.size());
    EXPECT_EQ(Utf8ByteToChar(s, 2), 1);  // inside é
    EXPECT_EQ(Utf8ByteToChar(s, 3), 2);
    EXPECT_EQ(Utf8Copy("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", 2, 1), "\xE6\x9C\xAC");
    const std::string stray = "a\xE9\xFF\xF0\x9F\x98\x80\xC0\xAF";  // stray bytes, an emoji, an overlong form
    EXPECT_EQ(CodePointsToUtf8(Utf8ToCodePoints(stray)), stray);
    EXPECT_EQ(Utf8Length(stray), 6);
}
