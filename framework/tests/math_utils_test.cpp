#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "framework/math_utils.h"

TEST(Rounding, RoundHalvesToEven) {
    struct Case {
        double x;
        Int64 expected;
    } cases[] = {
        {2.5, 2},   {3.5, 4},   {-2.5, -2},  {-3.5, -4},   {0.5, 0},  {-0.5, 0},
        {1.5, 2},   {2.4999, 2}, {2.5001, 3}, {-2.5001, -3}, {7.0, 7}, {1e15 + 0.5, 1000000000000000},
        {-9223372036854775808.0, std::numeric_limits<Int64>::min()},
    };
    for (const auto& c : cases) EXPECT_EQ(Round(c.x), c.expected) << c.x;
}

TEST(Rounding, ConversionsOutsideTheirRangeRaise) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {nan, inf, -inf, 9223372036854775808.0, 1e19}) {
        EXPECT_THROW(Round(bad), EInvalidOp) << bad;
        EXPECT_THROW(Trunc(bad), EInvalidOp) << bad;
    }
    EXPECT_THROW(Floor(3e9), EInvalidOp);
    EXPECT_THROW(Ceil(nan), EInvalidOp);
}

TEST(Rounding, TruncCeilFloorFracInt) {
    EXPECT_EQ(Trunc(-2.7), -2);
    EXPECT_EQ(Trunc(2.7), 2);
    EXPECT_EQ(Ceil(-2.5), -2);
    EXPECT_EQ(Ceil(2.1), 3);
    EXPECT_EQ(Ceil(2.0), 2);
    EXPECT_EQ(Floor(-2.5), -3);
    EXPECT_EQ(Floor(2.9), 2);
    EXPECT_DOUBLE_EQ(Frac(-2.75), -0.75);
    EXPECT_DOUBLE_EQ(Int(-2.75), -2.0);
}

TEST(MulDivTest, RoundsHalvesAwayFromZeroWithAWideIntermediate) {
    struct Case {
        Integer a, b, c, expected;
    } cases[] = {
        {5, 1, 2, 3},    {-5, 1, 2, -3},  {5, -1, 2, -3},   {5, 1, -2, -3},  {-5, -1, 2, 3},
        {3, 1, 2, 2},    {1, 1, 3, 0},    {2, 1, 3, 1},     {-2, 1, 3, -1},  {100000, 100000, 100, 100000000},
        {2147483647, 2147483647, 2147483647, 2147483647},   {-2147483647 - 1, 1, 1, -2147483647 - 1},
        {10, 10, 0, -1}, {0, 0, 0, -1},   {2147483647, 2, 1, -1},             {-2147483647, 2, 1, -1},
    };
    for (const auto& c : cases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(NumberHelpers, SignMinMaxAndRanges) {
    EXPECT_EQ(Sign(-3), -1);
    EXPECT_EQ(Sign(0.0), 0);
    EXPECT_EQ(Sign(Int64(5)), 1);
    EXPECT_EQ(Sign(0u), 0);
    EXPECT_EQ(Min(3, Int64(-5000000000)), -5000000000);
    EXPECT_DOUBLE_EQ(Max(2, 2.5), 2.5);
    EXPECT_EQ(Max(Byte(200), -1), 200);
    EXPECT_EQ(Min(Cardinal(4000000000u), Int64(-1)), -1);
    EXPECT_TRUE(InRange(5, 1, 5));
    EXPECT_FALSE(InRange(0.5, 1.0, 2.0));
    EXPECT_EQ(EnsureRange(12, 0, 10), 10);
    EXPECT_EQ(EnsureRange(-1, 0, 10), 0);
    EXPECT_DOUBLE_EQ(IntPower(2, 10), 1024.0);
    EXPECT_DOUBLE_EQ(IntPower(2, -2), 0.25);
    EXPECT_DOUBLE_EQ(Power(9, 0.5), 3.0);
}

TEST(RandomSource, ASeedGivesARepeatableSequenceInRange) {
    auto draw = [](LongWord seed) {
        RandSeed = seed;
        std::vector<Integer> v;
        for (int i = 0; i < 50; ++i) v.push_back(Random(10));
        return v;
    };
    std::vector<Integer> a = draw(42), b = draw(42), c = draw(43);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    for (Integer x : a) EXPECT_TRUE(x >= 0 && x < 10);
    // Every value of a small range turns up.
    for (Integer k = 0; k < 10; ++k) EXPECT_NE(std::find(a.begin(), a.end(), k), a.end()) << k;
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(Random(-4), 0);
    for (int i = 0; i < 100; ++i) {
        double r = Random();
        EXPECT_TRUE(r >= 0 && r < 1);
    }
    Randomize();
}
