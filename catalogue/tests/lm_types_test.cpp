#include <gtest/gtest.h>

#include "catalogue/lm_types.h"

TEST(CatalogueTexts, BooleansReadOnlyTrueAndFalseInAnyCase) {
    struct Case {
        const char* text;
        bool def;
        bool expected;
    } cases[] = {
        {"true", false, true},  {"TRUE", false, true}, {"False", true, false}, {"fAlSe", true, false},
        {"yes", true, true},    {"no", true, true},    {"", false, false},     {" True", false, false},
        {"1", false, false},    {"0", true, true},
    };
    for (const Case& c : cases) EXPECT_EQ(TextToBoolDef(c.text, c.def), c.expected) << '"' << c.text << '"';
    EXPECT_EQ(BoolToText(true), "True");
    EXPECT_EQ(BoolToText(false), "False");
}

TEST(CatalogueTexts, IntegerRangeKeepsBothEndsAndRejectsTheRest) {
    EXPECT_EQ(StrToIntRange("580", 100, 600, 1), 580);
    EXPECT_EQ(StrToIntRange("100", 100, 600, 1), 100);
    EXPECT_EQ(StrToIntRange("600", 100, 600, 1), 600);
    EXPECT_EQ(StrToIntRange("99", 100, 600, 1), 1);
    EXPECT_EQ(StrToIntRange("601", 100, 600, 1), 1);
    EXPECT_EQ(StrToIntRange("abc", 100, 600, 1), 1);
    EXPECT_EQ(StrToIntRange("", 100, 600, 1), 1);
    EXPECT_EQ(StrToIntRange("99999999999", 0, 0x7FFFFFFF, 7), 7);
}
