#pragma once
// Variant: a value that carries its own kind, with the framework's type codes, conversions and
// one total comparison order shared by everything that sorts or searches values (tree-list
// sorting, the memory dataset, the data-aware grid).

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "framework/exceptions.h"
#include "framework/types.h"

using TVarType = Word;

enum : TVarType {
    varEmpty = 0x0000,
    varNull = 0x0001,
    varSmallint = 0x0002,
    varInteger = 0x0003,
    varSingle = 0x0004,
    varDouble = 0x0005,
    varCurrency = 0x0006,
    varDate = 0x0007,
    varOleStr = 0x0008,
    varDispatch = 0x0009,  // an object reference
    varError = 0x000A,
    varBoolean = 0x000B,
    varVariant = 0x000C,
    varUnknown = 0x000D,   // an interface reference
    varShortInt = 0x0010,
    varByte = 0x0011,
    varWord = 0x0012,
    varLongWord = 0x0013,
    varInt64 = 0x0014,
    varString = 0x0100,
    varTypeMask = 0x0FFF,
    varArray = 0x2000,
};

// "Invalid variant operation"
LUMORA_DECLARE_EXCEPTION(EVariantInvalidOpError, EVariantError)
// "Could not convert variant of type (%s) into type (%s)"
LUMORA_DECLARE_EXCEPTION(EVariantTypeCastError, EVariantError)
// "Overflow while converting variant of type (%s) into type (%s)"
LUMORA_DECLARE_EXCEPTION(EVariantOverflowError, EVariantError)
// "Variant is not an array", "Variant or safe array index out of bounds"
LUMORA_DECLARE_EXCEPTION(EVariantBadIndexError, EVariantError)

class Variant {
public:
    Variant() = default;  // empty (unassigned)
    Variant(bool v);
    Variant(ShortInt v);
    Variant(Byte v);
    Variant(SmallInt v);
    Variant(Word v);
    Variant(Integer v);
    Variant(LongWord v);
    Variant(Int64 v);
    Variant(Single v);
    Variant(Double v);
    Variant(const char* v);
    Variant(std::string v);
    Variant(const Variant& other);
    Variant(Variant&& other) noexcept;
    Variant& operator=(const Variant& other);
    Variant& operator=(Variant&& other) noexcept;
    ~Variant();

    // TDateTime and Currency share their C++ types with double and Int64, so they have factories.
    static Variant Null();
    static Variant FromDateTime(TDateTime v);
    static Variant FromCurrency(Currency v);
    static Variant FromError(Integer code);
    static Variant FromObject(void* object);     // varDispatch
    static Variant FromInterface(void* iface);   // varUnknown

    TVarType VarType() const { return type_; }
    bool IsEmpty() const { return type_ == varEmpty; }
    bool IsNull() const { return type_ == varNull; }
    bool IsArray() const { return (type_ & varArray) != 0; }

    // Conversions. An empty value reads as 0, "" or False; Null and values of other kinds that do
    // not convert raise EVariantTypeCastError, values out of range EVariantOverflowError.
    // Booleans read as -1 (True) and 0 as numbers; reals round halves to even into integers;
    // strings are read with FormatSettings; "True"/"False" (any case) or a number convert to
    // Boolean.
    std::string AsString() const;
    Integer AsInteger() const;
    Int64 AsInt64() const;
    Double AsDouble() const;
    TDateTime AsDateTime() const;
    bool AsBoolean() const;
    Currency AsCurrency() const;
    void* AsPointer() const;  // the reference of a varDispatch or varUnknown value

    // Elements of a variant array (from VarArrayOf).
    Integer ElementCount() const;
    const Variant& operator[](Integer index) const;
    Variant& operator[](Integer index);

private:
    friend Variant VarArrayOf(std::vector<Variant> values);
    friend Variant VarAsType(const Variant& v, TVarType type);
    friend int VariantCompare(const Variant& a, const Variant& b);
    void Reset();

    TVarType type_ = varEmpty;
    union {
        Int64 i_ = 0;
        double d_;
        void* p_;
    };
    std::string s_;
    std::unique_ptr<std::vector<Variant>> array_;
};

inline Variant Null() {
    return Variant::Null();
}
inline Variant Unassigned() {
    return Variant();
}

inline TVarType VarType(const Variant& v) {
    return v.VarType();
}
inline bool VarIsNull(const Variant& v) {
    return v.IsNull();
}
inline bool VarIsEmpty(const Variant& v) {
    return v.IsEmpty();
}
inline bool VarIsArray(const Variant& v) {
    return v.IsArray();
}
// Empty or Null.
inline bool VarIsClear(const Variant& v) {
    return v.IsEmpty() || v.IsNull();
}
// The kind's name as the conversion errors show it ("Integer", "String", "Array Variant").
std::string VarTypeAsText(TVarType type);

// Like AsString, but Null reads as an empty text.
std::string VarToStr(const Variant& v);
std::string VarToStrDef(const Variant& v, const std::string& Default);
TDateTime VarToDateTime(const Variant& v);
// Converts to the given kind (varEmpty, varNull, the numeric kinds, varDate, varBoolean,
// varString); raises the conversion errors.
Variant VarAsType(const Variant& v, TVarType type);

// A one-dimensional array of variants, bounds 0 .. count - 1.
Variant VarArrayOf(std::vector<Variant> values);
inline Variant VarArrayOf(std::initializer_list<Variant> values) {
    return VarArrayOf(std::vector<Variant>(values));
}
Integer VarArrayLowBound(const Variant& v, Integer dim = 1);
Integer VarArrayHighBound(const Variant& v, Integer dim = 1);
Integer VarArrayDimCount(const Variant& v);

// The comparison order, -1, 0 or 1:
//   empty, array, error, object or interface on either side: EVariantInvalidOpError
//   Null sorts before every other value; two Nulls are equal
//   a date with anything: as reals
//   currency with integer, real, currency, string or Boolean: as currency
//   real with integer, real, string or Boolean: as reals
//   integer with integer or Boolean: as integers
//   string with integer: as reals
//   string with string: byte by byte over the shorter length, then the shorter first
//   string with Boolean, Boolean with Boolean: as Booleans (False first)
// A string taken as a number or Boolean is converted first (EVariantTypeCastError when it
// does not convert).
int VariantCompare(const Variant& a, const Variant& b);

// Equality and order follow VariantCompare (and raise as it does).
bool operator==(const Variant& a, const Variant& b);
bool operator<(const Variant& a, const Variant& b);
inline bool operator!=(const Variant& a, const Variant& b) {
    return !(a == b);
}
inline bool operator>(const Variant& a, const Variant& b) {
    return b < a;
}
inline bool operator<=(const Variant& a, const Variant& b) {
    return !(b < a);
}
inline bool operator>=(const Variant& a, const Variant& b) {
    return !(a < b);
}
