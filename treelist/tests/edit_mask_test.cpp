// The edit mask without a window: parsing, values in and out, typing, clearing, pasting and
// validation, as tables.

#include <gtest/gtest.h>

#include "framework/format_settings.h"
#include "framework/sysutils.h"
#include "treelist/edit_mask.h"

namespace {

std::u32string U(const std::string& S) { return Utf8ToCodePoints(S); }
std::string S(const std::u32string& U) { return CodePointsToUtf8(U); }

struct MaskEngine : testing::Test {
    TFormatSettings saved = FormatSettings;
    void SetUp() override {
        FormatSettings = TFormatSettings::English();
        FormatSettings.DateSeparator = '.';
        FormatSettings.TimeSeparator = ':';
    }
    void TearDown() override { FormatSettings = saved; }
};

TEST_F(MaskEngine, ParsesTheTrailingFieldsOnlyInTheLastFourCharacters) {
    struct Case {
        const char* mask;
        Integer length;
        bool save;
        char32_t blank;
        const char* empty;
    } cases[] = {
        {"99/99/00;1;_", 8, true, U'_', "__.__.__"},
        {"000;0;_", 3, false, U'_', "___"},
        {"00:00", 5, true, U'_', "__:__"},
        {">LL", 2, true, U'_', "__"},
        {"000;0;*", 3, false, U'*', "***"},
        {"00;0", 2, false, U'_', "__"},     // no blank field: the default
        {"000;", 3, true, U'_', "___"},     // a separator as the last character saves literals
        {"0;00000", 7, true, U'_', "_;_____"},  // a separator before the last four is a literal
        {"0;1", 3, true, U'_', "_;1"},      // a text shorter than four has no fields
        {"\\L0", 2, true, U'_', "L_"},      // an escaped mask character is a literal
        {"!<>L", 1, true, U'_', "_"},
        {"", 0, true, U'_', ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        TgxEditMask mask(c.mask);
        EXPECT_EQ(mask.TextLength(), c.length);
        EXPECT_EQ(mask.SaveLiterals(), c.save);
        EXPECT_EQ(mask.Blank(), c.blank);
        EXPECT_EQ(S(mask.Empty()), c.empty);
        EXPECT_EQ(mask.HasMask(), c.length > 0);
    }
}

TEST_F(MaskEngine, ValuesGoInAndComeOut) {
    struct Case {
        const char* mask;
        const char* value;
        const char* shown;
        const char* back;
    } cases[] = {
        {"000;0;_", "12", "12_", "12"},
        {"99/99/00;1;_", "", "__.__.__", "  .  .  "},
        {"99/99/00;1;_", "1.2.34", "1_.2_.34", "1 .2 .34"},
        {"99/99/00;1;_", "123.4", "12.4_.__", "12.4 .  "},   // a long field is cut
        {"99/99/00;1;_", "12", "12.__.__", "12.  .  "},      // missing literals are appended
        {"00:00", "9:30", "9_:30", "9 :30"},
        {"!000;0;_", "12", "_12", "12"},                     // right-aligned
        {"!00/00;1;_", "1.123", "_1.23", " 1.23"},
        {"000;0;_", "1 3", "1_3", "1 3"},                    // spaces become blanks and back
        {"LL-00;0;_", "ab12", "ab-12", "ab12"},
        {"LL-00;0;_", "abc123", "ab-c1", "abc1"},            // without literals: filled in order
        {"", "free text", "free text", "free text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mask) + " / " + c.value);
        TgxEditMask mask(c.mask);
        EXPECT_EQ(S(mask.Format(U(c.value))), c.shown);
        EXPECT_EQ(S(mask.Value(U(c.shown))), c.back);
    }
    TgxEditMask date("99/99/00;1;_");
    EXPECT_TRUE(date.IsBlank(U("__.__.__")));
    EXPECT_FALSE(date.IsBlank(U("1_.__.__")));
}

TEST_F(MaskEngine, TypingFillsInputPositionsAndJumpsOverLiterals) {
    struct Case {
        const char* mask;
        const char* shown;
        Integer pos;
        char32_t ch;
        const char* after;
        Integer caret;  // -1: refused
    } cases[] = {
        {"99/99/00;1;_", "__.__.__", 0, U'1', "1_.__.__", 1},
        {"99/99/00;1;_", "1_.__.__", 1, U'2', "12.__.__", 3},   // skips the literal
        {"99/99/00;1;_", "1_.__.__", 1, U'.', "1_.__.__", 3},   // the next literal jumps past it
        {"99/99/00;1;_", "1_.__.__", 1, U'x', "1_.__.__", -1},
        {"99/99/00;1;_", "12.__.__", 2, U'5', "12.__.__", 3},   // a literal position takes its literal
        {">LL", "__", 0, U'a', "A_", 1},
        {">LL", "A_", 1, U'b', "AB", 2},
        {"<L", "_", 0, U'Q', "q", 1},
        {">L<>L", "__", 1, U'q', "_q", 2},
        {"LL", "__", 0, U'5', "__", -1},
        {"AA", "__", 0, U'5', "5_", 1},
        {"##", "__", 0, U'-', "-_", 1},
        {"##", "__", 0, U'x', "__", -1},
        {"CC", "__", 0, U'%', "%_", 1},
        {"0", "5", 1, U'1', "5", -1},                           // beyond the text
        {"LL", "__", 0, U'\u00e9', "\u00e9_", 1},                 // a code point is one position
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mask) + " at " + std::to_string(c.pos));
        TgxEditMask mask(c.mask);
        std::u32string shown = U(c.shown);
        EXPECT_EQ(mask.Type(shown, c.pos, c.ch), c.caret);
        EXPECT_EQ(S(shown), c.after);
    }
}

TEST_F(MaskEngine, ClearingPastingAndMovingKeepTheLiterals) {
    TgxEditMask mask("99/99/00;1;_");
    std::u32string shown = U("12.34.56");
    mask.Clear(shown, 1, 4);
    EXPECT_EQ(S(shown), "1_.__.56");
    EXPECT_EQ(mask.NextInput(2), 3);
    EXPECT_EQ(mask.PrevInput(3), 1);
    EXPECT_EQ(mask.PrevInput(0), -1);
    EXPECT_EQ(mask.NextInput(8), 8);

    struct Case {
        const char* shown;
        Integer start;
        const char* clip;
        const char* after;
        Integer end;
    } cases[] = {
        {"__.__.__", 0, "12.05.99", "12.05.99", 8},
        {"__.__.__", 0, "120599", "12.05.99", 8},   // literals wait for their own character
        {"__.__.__", 3, "7x", "__.7_.__", 5},        // a refused character becomes the blank
        {"__.__.__", 6, "12345", "__.__.12", 8},     // stops at the text length
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clip);
        std::u32string s = U(c.shown);
        EXPECT_EQ(mask.Paste(s, c.start, U(c.clip)), c.end);
        EXPECT_EQ(S(s), c.after);
    }
}

TEST_F(MaskEngine, ValidationFindsTheFirstUnfilledRequiredPosition) {
    struct Case {
        const char* mask;
        const char* shown;
        bool blankFilled;
        Integer invalid;
    } cases[] = {
        {"000;0;_", "12_", false, 2},
        {"000;0;_", "123", false, -1},
        {"000;0;_", "1 3", false, 1},     // a space does not fill a digit
        {"000;0;_", "12_", true, -1},     // raw values count the blank as filled
        {"CCC", "a b", false, -1},        // a space fills a "C" position
        {"99/99/00;1;_", "__.__.__", false, 6},
        {"99/99/00;1;_", "__.__.12", false, -1},
        {"LLaa", "ab__", false, -1},
        {"", "anything", false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mask) + " / " + c.shown);
        EXPECT_EQ(TgxEditMask(c.mask).FirstInvalid(U(c.shown), c.blankFilled), c.invalid);
    }
}

}  // namespace
