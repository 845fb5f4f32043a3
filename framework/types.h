#pragma once
// Basic value types of the framework layer: the integer and floating types the component code is
// written in, points and rectangles, and the event holder conventions.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

using Integer = int32_t;
using Cardinal = uint32_t;
using LongInt = int32_t;
using LongWord = uint32_t;
using SmallInt = int16_t;
using ShortInt = int8_t;
using Word = uint16_t;
using Byte = uint8_t;
using Int64 = int64_t;
using UInt64 = uint64_t;
using Single = float;
using Double = double;
using Extended = long double;
using TDateTime = double;   // days since 1899-12-30, time as the fraction
using Currency = int64_t;   // fixed point, ten-thousandths
using DWORD = uint32_t;
using BOOL = int32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using TColor = int32_t;     // 0x00BBGGRR; system colours have the high byte set

class TObject;
using TNotifyEvent = std::function<void(TObject* Sender)>;

// Horizontal alignment of a text within its box (controls, grid columns, dataset fields).
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

struct TPoint {
    Integer X = 0;
    Integer Y = 0;
    constexpr TPoint() = default;
    constexpr TPoint(Integer x, Integer y) : X(x), Y(y) {}
    constexpr bool operator==(const TPoint&) const = default;
};

struct TSize {
    Integer cx = 0;
    Integer cy = 0;
    constexpr bool operator==(const TSize&) const = default;
};

struct TRect {
    Integer Left = 0;
    Integer Top = 0;
    Integer Right = 0;
    Integer Bottom = 0;
    constexpr TRect() = default;
    constexpr TRect(Integer l, Integer t, Integer r, Integer b) : Left(l), Top(t), Right(r), Bottom(b) {}
    constexpr TRect(TPoint tl, TPoint br) : Left(tl.X), Top(tl.Y), Right(br.X), Bottom(br.Y) {}
    constexpr Integer Width() const { return Right - Left; }
    constexpr Integer Height() const { return Bottom - Top; }
    constexpr TPoint TopLeft() const { return {Left, Top}; }
    constexpr TPoint BottomRight() const { return {Right, Bottom}; }
    constexpr bool operator==(const TRect&) const = default;
};

constexpr TPoint Point(Integer x, Integer y) { return {x, y}; }
constexpr TRect Rect(Integer l, Integer t, Integer r, Integer b) { return {l, t, r, b}; }
constexpr TRect Bounds(Integer l, Integer t, Integer w, Integer h) { return {l, t, l + w, t + h}; }

// A small set over an enumeration, standing in for Pascal sets such as TShiftState.
template <typename E, int N = 64>
class TSet {
    static_assert(N <= 64);
    uint64_t bits_ = 0;
    static constexpr uint64_t bit(E e) { return uint64_t(1) << static_cast<int>(e); }
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> l) { for (E e : l) bits_ |= bit(e); }
    constexpr bool Contains(E e) const { return (bits_ & bit(e)) != 0; }
    constexpr TSet& Include(E e) { bits_ |= bit(e); return *this; }
    constexpr TSet& Exclude(E e) { bits_ &= ~bit(e); return *this; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr uint64_t Bits() const { return bits_; }
    static constexpr TSet FromBits(uint64_t b) { TSet s; s.bits_ = b; return s; }
    constexpr TSet operator+(TSet o) const { return FromBits(bits_ | o.bits_); }
    constexpr TSet operator-(TSet o) const { return FromBits(bits_ & ~o.bits_); }
    constexpr TSet operator*(TSet o) const { return FromBits(bits_ & o.bits_); }
    constexpr TSet& operator+=(TSet o) { bits_ |= o.bits_; return *this; }
    constexpr TSet& operator-=(TSet o) { bits_ &= ~o.bits_; return *this; }
    constexpr bool operator==(const TSet&) const = default;
};
