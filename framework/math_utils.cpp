#include "framework/math_utils.h"

#include <cmath>
#include <ctime>
#include <unistd.h>

namespace {

[[noreturn]] void InvalidOp() {
    throw EInvalidOp("Invalid floating point operation");
}

// 2^63 as a double; the Int64 range is [-2^63, 2^63).
constexpr double kTwo63 = 9223372036854775808.0;

Int64 CheckedInt64(double x) {
    if (!(x >= -kTwo63 && x < kTwo63)) InvalidOp();  // also catches NaN
    return static_cast<Int64>(x);
}

Integer CheckedInteger(double x) {
    if (!(x >= -2147483648.0 && x <= 2147483647.0)) InvalidOp();
    return static_cast<Integer>(x);
}

}  // namespace

Int64 Round(double X) {
    if (!std::isfinite(X)) InvalidOp();
    // Independent of the floating-point rounding mode: x - floor(x) is exact.
    double f = std::floor(X);
    double d = X - f;
    if (d > 0.5 || (d == 0.5 && std::fmod(f, 2.0) != 0)) f += 1;
    return CheckedInt64(f);
}

Int64 Trunc(double X) {
    return CheckedInt64(std::trunc(X));
}

Integer Ceil(double X) {
    return CheckedInteger(std::ceil(X));
}

Integer Floor(double X) {
    return CheckedInteger(std::floor(X));
}

double Frac(double X) {
    return X - std::trunc(X);
}

double Int(double X) {
    return std::trunc(X);
}

Integer MulDiv(Integer Number, Integer Numerator, Integer Denominator) {
    if (Denominator == 0) return -1;
    Int64 product = Int64(Number) * Numerator;
    bool negative = (product < 0) != (Denominator < 0);
    UInt64 num = product < 0 ? 0 - static_cast<UInt64>(product) : static_cast<UInt64>(product);
    UInt64 den = Denominator < 0 ? 0 - static_cast<UInt64>(Int64(Denominator)) : static_cast<UInt64>(Denominator);
    UInt64 q = num / den;
    if (2 * (num % den) >= den) ++q;
    if (negative ? q > 0x80000000ull : q > 0x7FFFFFFFull) return -1;
    return negative ? static_cast<Integer>(-static_cast<Int64>(q)) : static_cast<Integer>(q);
}

double Power(double Base, double Exponent) {
    if (Exponent == 0) return 1;
    return std::pow(Base, Exponent);
}

double IntPower(double Base, Integer Exponent) {
    Int64 n = Exponent < 0 ? -Int64(Exponent) : Exponent;
    double result = 1, b = Base;
    while (n) {
        if (n & 1) result *= b;
        b *= b;
        n >>= 1;
    }
    return Exponent < 0 ? 1 / result : result;
}

LongWord RandSeed = 0;

namespace {

LongWord NextSeed() {
    RandSeed = RandSeed * 1664525u + 1013904223u;
    return RandSeed;
}

}  // namespace

Integer Random(Integer Range) {
    if (Range <= 0) return 0;
    return static_cast<Integer>((UInt64(NextSeed()) * UInt64(Range)) >> 32);
}

double Random() {
    return NextSeed() / 4294967296.0;
}

void Randomize() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    RandSeed = static_cast<LongWord>(ts.tv_nsec) ^ static_cast<LongWord>(ts.tv_sec) ^
               (static_cast<LongWord>(getpid()) << 16);
}
