#include <gtest/gtest.h>

#include <functional>

#include "framework/date_time.h"
#include "framework/format_settings.h"
#include "framework/variant.h"

namespace {

class Variants : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = FormatSettings;
        FormatSettings = TFormatSettings::English();
    }
    void TearDown() override { FormatSettings = saved_; }

private:
    TFormatSettings saved_;
};

enum Outcome { Less = -1, Equal = 0, Greater = 1, InvalidOp, CastFails };

struct CompareCase {
    const char* what;
    Variant a;
    Variant b;
    Outcome expected;
};

Outcome Compare(const Variant& a, const Variant& b) {
    try {
        return static_cast<Outcome>(VariantCompare(a, b));
    } catch (const EVariantInvalidOpError& e) {
        EXPECT_EQ(e.Message, "Invalid variant operation");
        return InvalidOp;
    } catch (const EVariantTypeCastError&) {
        return CastFails;
    }
}

Outcome Mirror(Outcome o) {
    return o == Less ? Greater : o == Greater ? Less : o;
}

}  // namespace

TEST_F(Variants, ComparisonTable) {
    int object = 0;
    const CompareCase cases[] = {
        // values that cannot be compared at all
        {"empty with integer", Variant(), Variant(1), InvalidOp},
        {"empty with null", Variant(), Null(), InvalidOp},
        {"empty with empty", Variant(), Variant(), InvalidOp},
        {"object with integer", Variant::FromObject(&object), Variant(1), InvalidOp},
        {"interface with null", Variant::FromInterface(&object), Null(), InvalidOp},
        {"error code with integer", Variant::FromError(5), Variant(5), InvalidOp},
        {"array with integer", VarArrayOf({1}), Variant(1), InvalidOp},
        // null first
        {"null with null", Null(), Null(), Equal},
        {"null with integer", Null(), Variant(-5), Less},
        {"null with string", Null(), Variant(""), Less},
        {"null with Boolean", Null(), Variant(false), Less},
        {"null with date", Null(), Variant::FromDateTime(-10), Less},
        // dates as reals, whatever the other side
        {"date with integer", Variant::FromDateTime(2.5), Variant(2), Greater},
        {"date with numeric string", Variant::FromDateTime(2.5), Variant("3"), Less},
        {"date with currency", Variant::FromDateTime(1.00001), Variant::FromCurrency(10000), Greater},
        // currency: 1.50004 rounds to 1.5000 as currency
        {"currency with real", Variant::FromCurrency(15000), Variant(1.50004), Equal},
        {"currency with integer", Variant::FromCurrency(15000), Variant(2), Less},
        {"currency with string", Variant::FromCurrency(15000), Variant("1.5"), Equal},
        {"currency with Boolean", Variant::FromCurrency(-10000), Variant(true), Equal},
        // reals
        {"real with integer", Variant(2.5), Variant(2), Greater},
        {"real with string", Variant(10.0), Variant("9.5"), Greater},
        {"real with Boolean", Variant(-0.5), Variant(true), Greater},  // True is -1
        {"single with double", Variant(1.5f), Variant(1.5), Equal},
        // integers of every width
        {"integer with integer", Variant(3), Variant(Int64(4)), Less},
        {"byte with smallint", Variant(Byte(200)), Variant(SmallInt(-1)), Greater},
        {"integer with Boolean", Variant(0), Variant(true), Greater},
        {"integer with False", Variant(0), Variant(false), Equal},
        // strings with integers compare as numbers
        {"numeric string with integer", Variant("10"), Variant(9), Greater},
        {"text with integer", Variant("abc"), Variant(1), CastFails},
        // strings with strings: ordinal, case-sensitive, shorter first
        {"upper before lower", Variant("B"), Variant("a"), Less},
        {"case matters", Variant("a"), Variant("A"), Greater},
        {"prefix first", Variant("ab"), Variant("abc"), Less},
        {"equal strings", Variant("abc"), Variant(std::string("abc")), Equal},
        {"digits as text", Variant("10"), Variant("9"), Less},
        {"bytes above 127", Variant("\xc3\xa9"), Variant("z"), Greater},
        // strings with Booleans, Booleans with Booleans
        {"True text with False", Variant("True"), Variant(false), Greater},
        {"false text with False", Variant("false"), Variant(false), Equal},
        {"numeric text with True", Variant("0"), Variant(true), Less},
        {"text with Boolean", Variant("maybe"), Variant(true), CastFails},
        {"False with True", Variant(false), Variant(true), Less},
    };
    for (const CompareCase& c : cases) {
        EXPECT_EQ(Compare(c.a, c.b), c.expected) << c.what;
        EXPECT_EQ(Compare(c.b, c.a), Mirror(c.expected)) << c.what << " (swapped)";
    }
}

TEST_F(Variants, OperatorsFollowTheOrder) {
    EXPECT_TRUE(Null() == Null());
    EXPECT_FALSE(Null() == Variant(0));
    EXPECT_TRUE(Null() < Variant(""));
    EXPECT_TRUE(Variant("10") == Variant(10));
    EXPECT_TRUE(Variant("B") < Variant("a"));
    EXPECT_TRUE(Variant(2) >= Variant(1.5));
    EXPECT_THROW((void)(Variant() == Variant()), EVariantInvalidOpError);
}

TEST_F(Variants, KindsAndTypeCodes) {
    struct Case { Variant v; TVarType type; const char* name; };
    const Case cases[] = {
        {Variant(), varEmpty, "Empty"},
        {Null(), varNull, "Null"},
        {Variant(SmallInt(1)), varSmallint, "Smallint"},
        {Variant(1), varInteger, "Integer"},
        {Variant(1.0f), varSingle, "Single"},
        {Variant(1.0), varDouble, "Double"},
        {Variant::FromCurrency(1), varCurrency, "Currency"},
        {Variant::FromDateTime(1), varDate, "Date"},
        {Variant(true), varBoolean, "Boolean"},
        {Variant(Byte(1)), varByte, "Byte"},
        {Variant("x"), varString, "String"},
        {VarArrayOf({1, "a"}), varArray | varVariant, "Array Variant"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VarType(c.v), c.type) << c.name;
        EXPECT_EQ(VarTypeAsText(c.type), c.name);
    }
    EXPECT_EQ(varString, 256);
    EXPECT_EQ(varArray, 0x2000);
    EXPECT_TRUE(VarIsNull(Null()));
    EXPECT_FALSE(VarIsNull(Variant()));
    EXPECT_TRUE(VarIsEmpty(Unassigned()));
    EXPECT_TRUE(VarIsClear(Null()));
}

TEST_F(Variants, Conversions) {
    EXPECT_EQ(Variant(2.5).AsInteger(), 2);  // halves to even
    EXPECT_EQ(Variant(3.5).AsInteger(), 4);
    EXPECT_EQ(Variant::FromCurrency(25000).AsInteger(), 2);
    EXPECT_EQ(Variant(true).AsInteger(), -1);
    EXPECT_EQ(Variant(" 12 ").AsInteger(), 12);
    EXPECT_EQ(Variant("1.5").AsDouble(), 1.5);
    EXPECT_EQ(Variant("2.5").AsInteger(), 2);
    EXPECT_EQ(Variant().AsInteger(), 0);
    EXPECT_EQ(Variant().AsString(), "");
    EXPECT_EQ(Variant(true).AsString(), "True");
    EXPECT_EQ(Variant(0.1 + 0.2).AsString(), "0.3");
    EXPECT_EQ(Variant::FromCurrency(12345).AsString(), "1.2345");
    EXPECT_EQ(Variant::FromDateTime(EncodeDate(2024, 3, 5) + 0.5).AsString(), "3/5/2024 12:00:00 PM");
    EXPECT_EQ(Variant("3/5/2024").AsDateTime(), EncodeDate(2024, 3, 5));
    EXPECT_EQ(Variant("45000.5").AsDateTime(), 45000.5);
    EXPECT_TRUE(Variant("TRUE").AsBoolean());
    EXPECT_TRUE(Variant("-1").AsBoolean());
    EXPECT_FALSE(Variant(0.0).AsBoolean());
    EXPECT_EQ(Variant(1.23456).AsCurrency(), 12346);
    EXPECT_EQ(VarToStr(Null()), "");
    EXPECT_EQ(VarToStrDef(Null(), "-"), "-");

    auto message = [](const std::function<void()>& f) -> std::string {
        try {
            f();
        } catch (const EVariantError& e) {
            return std::string(e.ClassName()) + ": " + e.Message;
        }
        return "no error";
    };
    EXPECT_EQ(message([] { (void)Null().AsString(); }),
              "EVariantTypeCastError: Could not convert variant of type (Null) into type (String)");
    EXPECT_EQ(message([] { (void)Variant("soon").AsDateTime(); }),
              "EVariantTypeCastError: Could not convert variant of type (String) into type (Date)");
    EXPECT_EQ(message([] { (void)Variant("x1").AsInteger(); }),
              "EVariantTypeCastError: Could not convert variant of type (String) into type (Integer)");
    EXPECT_EQ(message([] { (void)Variant(Int64(1) << 40).AsInteger(); }),
              "EVariantOverflowError: Overflow while converting variant of type (Int64) into type (Integer)");
    EXPECT_EQ(message([] { (void)VarAsType(Variant(300), varByte); }),
              "EVariantOverflowError: Overflow while converting variant of type (Integer) into type (Byte)");
    EXPECT_EQ(message([] { (void)Variant(1e300).AsCurrency(); }),
              "EVariantOverflowError: Overflow while converting variant of type (Double) into type (Currency)");
    EXPECT_EQ(message([] { (void)Variant(5)[0]; }), "EVariantBadIndexError: Variant is not an array");

    Variant d = VarAsType(Variant("7"), varDouble);
    EXPECT_EQ(VarType(d), varDouble);
    EXPECT_EQ(d.AsDouble(), 7.0);
    EXPECT_EQ(VarType(VarAsType(Variant(1.5), varString)), varString);
}

TEST_F(Variants, ArraysAreValues) {
    Variant a = VarArrayOf({Variant("Filename"), Variant(3), Null()});
    EXPECT_TRUE(VarIsArray(a));
    EXPECT_EQ(VarArrayDimCount(a), 1);
    EXPECT_EQ(VarArrayLowBound(a, 1), 0);
    EXPECT_EQ(VarArrayHighBound(a, 1), 2);
    EXPECT_EQ(a[0].AsString(), "Filename");
    EXPECT_TRUE(VarIsNull(a[2]));
    EXPECT_THROW((void)a[3], EVariantBadIndexError);

    Variant copy = a;
    copy[1] = Variant(4);
    EXPECT_EQ(a[1].AsInteger(), 3);
    EXPECT_EQ(copy[1].AsInteger(), 4);
    Variant moved = std::move(copy);
    EXPECT_EQ(moved.ElementCount(), 3);
    EXPECT_EQ(VarArrayOf({}).ElementCount(), 0);
    EXPECT_EQ(VarArrayHighBound(VarArrayOf({}), 1), -1);
}
