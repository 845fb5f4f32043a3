#pragma once
// Arithmetic routines of the runtime library: rounding, MulDiv, signs, ranges, powers and the
// seedable random source.

#include <concepts>
#include <type_traits>

#include "framework/exceptions.h"
#include "framework/types.h"

// Nearest integer, halves to even (Round(2.5) = 2, Round(3.5) = 4, Round(-2.5) = -2).
// NaN, infinities and values outside Int64 raise EInvalidOp "Invalid floating point operation",
// as do the other conversions below outside their result type.
Int64 Round(double X);
// Toward zero.
Int64 Trunc(double X);
// Smallest integer not below X, largest integer not above X.
Integer Ceil(double X);
Integer Floor(double X);
// Fractional and integral parts, both with the sign of X.
double Frac(double X);
double Int(double X);

// Number * Numerator / Denominator with a 64-bit intermediate, rounded halves away from zero;
// -1 when Denominator is 0 or the result does not fit 32 bits.
Integer MulDiv(Integer Number, Integer Numerator, Integer Denominator);

namespace lumora_detail {
// Two arithmetic types whose common type holds every value of both: no unsigned type meets a
// signed one of the same or a smaller size.
template <class A, class B>
concept SafeMix = std::is_floating_point_v<A> || std::is_floating_point_v<B> ||
                  std::is_signed_v<A> == std::is_signed_v<B> ||
                  (std::is_unsigned_v<A> && sizeof(A) < sizeof(B)) || (std::is_unsigned_v<B> && sizeof(B) < sizeof(A));
}

// -1, 0 or 1.
template <class T>
    requires std::is_arithmetic_v<T>
Integer Sign(T Value) {
    if constexpr (std::is_signed_v<T>)
        return Value < 0 ? -1 : Value > 0 ? 1 : 0;
    else
        return Value > 0 ? 1 : 0;
}

// Min and Max of two numbers of any arithmetic types (Max(byteValue, 10) is an Integer); an
// unsigned integer does not mix with a signed one that cannot hold all its values.
template <class A, class B>
    requires std::is_arithmetic_v<A> && std::is_arithmetic_v<B> && lumora_detail::SafeMix<A, B>
std::common_type_t<A, B> Min(A a, B b) {
    using C = std::common_type_t<A, B>;
    return static_cast<C>(a) < static_cast<C>(b) ? static_cast<C>(a) : static_cast<C>(b);
}

template <class A, class B>
    requires std::is_arithmetic_v<A> && std::is_arithmetic_v<B> && lumora_detail::SafeMix<A, B>
std::common_type_t<A, B> Max(A a, B b) {
    using C = std::common_type_t<A, B>;
    return static_cast<C>(a) > static_cast<C>(b) ? static_cast<C>(a) : static_cast<C>(b);
}

// AMin <= Value <= AMax.
template <class T>
    requires std::is_arithmetic_v<T>
bool InRange(T Value, std::type_identity_t<T> AMin, std::type_identity_t<T> AMax) {
    return Value >= AMin && Value <= AMax;
}

// Value clamped to AMin..AMax (AMin wins when the bounds cross).
template <class T>
    requires std::is_arithmetic_v<T>
T EnsureRange(T Value, std::type_identity_t<T> AMin, std::type_identity_t<T> AMax) {
    if (Value > AMax) Value = AMax;
    if (Value < AMin) Value = AMin;
    return Value;
}

// Base raised to Exponent; IntPower multiplies (exact for small integer results).
double Power(double Base, double Exponent);
double IntPower(double Base, Integer Exponent);

// The random source: a linear congruential generator over the 32-bit RandSeed. Setting RandSeed
// gives a fixed sequence (what tests do); Randomize seeds it from the clock.
extern LongWord RandSeed;
// 0 <= result < Range; 0 when Range <= 0.
Integer Random(Integer Range);
// 0 <= result < 1.
double Random();
void Randomize();
