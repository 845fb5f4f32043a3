#include "framework/variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "framework/formatting.h"
#include "framework/sysutils.h"

namespace {

enum class Kind { Empty, Null, Int, Real, Currency, Date, Bool, String, Invalid };

Kind KindOf(TVarType t) {
    if (t & varArray) return Kind::Invalid;
    switch (t) {
        case varEmpty: return Kind::Empty;
        case varNull: return Kind::Null;
        case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: case varLongWord:
        case varInt64: return Kind::Int;
        case varSingle: case varDouble: return Kind::Real;
        case varCurrency: return Kind::Currency;
        case varDate: return Kind::Date;
        case varBoolean: return Kind::Bool;
        case varString: case varOleStr: return Kind::String;
        default: return Kind::Invalid;
    }
}

[[noreturn]] void CastError(TVarType from, TVarType to) {
    throw EVariantTypeCastError("Could not convert variant of type (" + VarTypeAsText(from) + ") into type (" +
                                VarTypeAsText(to) + ")");
}

[[noreturn]] void OverflowError(TVarType from, TVarType to) {
    throw EVariantOverflowError("Overflow while converting variant of type (" + VarTypeAsText(from) +
                                ") into type (" + VarTypeAsText(to) + ")");
}

[[noreturn]] void InvalidOp() {
    throw EVariantInvalidOpError("Invalid variant operation");
}

bool StringToInt64(const std::string& s, Int64& out) {
    return TryStrToInt64(Trim(s), out);
}

bool StringToBool(const std::string& s, bool& out) {
    std::string t = Trim(s);
    if (SameText(t, "true")) {
        out = true;
        return true;
    }
    if (SameText(t, "false")) {
        out = false;
        return true;
    }
    Extended v;
    if (TryStrToFloat(t, v)) {
        out = v != 0;
        return true;
    }
    return false;
}

Int64 RealToInt64(double d, TVarType from, TVarType to) {
    double r = std::nearbyint(d);
    if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0)) OverflowError(from, to);
    return static_cast<Int64>(r);
}

}  // namespace

// ---- construction ------------------------------------------------------------------------------

Variant::Variant(bool v) : type_(varBoolean) {
    i_ = v ? 1 : 0;
}
Variant::Variant(ShortInt v) : type_(varShortInt) {
    i_ = v;
}
Variant::Variant(Byte v) : type_(varByte) {
    i_ = v;
}
Variant::Variant(SmallInt v) : type_(varSmallint) {
    i_ = v;
}
Variant::Variant(Word v) : type_(varWord) {
    i_ = v;
}
Variant::Variant(Integer v) : type_(varInteger) {
    i_ = v;
}
Variant::Variant(LongWord v) : type_(varLongWord) {
    i_ = v;
}
Variant::Variant(Int64 v) : type_(varInt64) {
    i_ = v;
}
Variant::Variant(Single v) : type_(varSingle) {
    d_ = v;
}
Variant::Variant(Double v) : type_(varDouble) {
    d_ = v;
}
Variant::Variant(const char* v) : type_(varString), s_(v ? v : "") {}
Variant::Variant(std::string v) : type_(varString), s_(std::move(v)) {}

Variant::Variant(const Variant& other) : type_(other.type_), i_(other.i_), s_(other.s_) {
    if (other.array_) array_ = std::make_unique<std::vector<Variant>>(*other.array_);
}

Variant::Variant(Variant&& other) noexcept
    : type_(other.type_), i_(other.i_), s_(std::move(other.s_)), array_(std::move(other.array_)) {
    other.type_ = varEmpty;
    other.i_ = 0;
}

Variant& Variant::operator=(const Variant& other) {
    if (this != &other) {
        Variant copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        type_ = other.type_;
        i_ = other.i_;
        s_ = std::move(other.s_);
        array_ = std::move(other.array_);
        other.type_ = varEmpty;
        other.i_ = 0;
    }
    return *this;
}

Variant::~Variant() = default;

void Variant::Reset() {
    type_ = varEmpty;
    i_ = 0;
    s_.clear();
    array_.reset();
}

Variant Variant::Null() {
    Variant v;
    v.type_ = varNull;
    return v;
}

Variant Variant::FromDateTime(TDateTime value) {
    Variant v;
    v.type_ = varDate;
    v.d_ = value;
    return v;
}

Variant Variant::FromCurrency(Currency value) {
    Variant v;
    v.type_ = varCurrency;
    v.i_ = value;
    return v;
}

Variant Variant::FromError(Integer code) {
    Variant v;
    v.type_ = varError;
    v.i_ = code;
    return v;
}

Variant Variant::FromObject(void* object) {
    Variant v;
    v.type_ = varDispatch;
    v.p_ = object;
    return v;
}

Variant Variant::FromInterface(void* iface) {
    Variant v;
    v.type_ = varUnknown;
    v.p_ = iface;
    return v;
}

// ---- conversions -------------------------------------------------------------------------------

std::string Variant::AsString() const {
    switch (KindOf(type_)) {
        case Kind::Empty: return "";
        case Kind::Int: return std::to_string(i_);
        case Kind::Real: return FloatToStr(d_);
        case Kind::Currency: return CurrToStr(i_);
        case Kind::Date: return DateTimeToStr(d_);
        case Kind::Bool: return i_ ? "True" : "False";
        case Kind::String: return s_;
        default: CastError(type_, varString);
    }
}

Int64 Variant::AsInt64() const {
    switch (KindOf(type_)) {
        case Kind::Empty: return 0;
        case Kind::Int: return i_;
        case Kind::Real:
        case Kind::Date: return RealToInt64(d_, type_, varInt64);
        case Kind::Currency: {
            Int64 q = i_ / 10000, r = i_ % 10000;
            // halves to even, as reals do
            if (r > 5000 || (r == 5000 && (q & 1))) ++q;
            if (r < -5000 || (r == -5000 && (q & 1))) --q;
            return q;
        }
        case Kind::Bool: return i_ ? -1 : 0;
        case Kind::String: {
            Int64 v;
            if (StringToInt64(s_, v)) return v;
            Extended d;
            if (TryStrToFloat(Trim(s_), d)) return RealToInt64(static_cast<double>(d), type_, varInt64);
            CastError(type_, varInt64);
        }
        default: CastError(type_, varInt64);
    }
}

namespace {
// The variant as a whole number within Lo .. Hi, its errors naming the type To.
Int64 AsRangedInt(const Variant& v, TVarType to, Int64 lo, Int64 hi) {
    Int64 x;
    try {
        x = v.AsInt64();
    } catch (const EVariantTypeCastError&) {
        CastError(v.VarType(), to);
    } catch (const EVariantOverflowError&) {
        OverflowError(v.VarType(), to);
    }
    if (x < lo || x > hi) OverflowError(v.VarType(), to);
    return x;
}
}  // namespace

Integer Variant::AsInteger() const {
    return static_cast<Integer>(
        AsRangedInt(*this, varInteger, std::numeric_limits<Integer>::min(), std::numeric_limits<Integer>::max()));
}

Double Variant::AsDouble() const {
    switch (KindOf(type_)) {
        case Kind::Empty: return 0;
        case Kind::Int: return static_cast<Double>(i_);
        case Kind::Real:
        case Kind::Date: return d_;
        case Kind::Currency: return static_cast<Double>(CurrencyToDouble(i_));
        case Kind::Bool: return i_ ? -1.0 : 0.0;
        case Kind::String: {
            Double d;
            if (TryStrToFloat(s_, d)) return d;
            CastError(type_, varDouble);
        }
        default: CastError(type_, varDouble);
    }
}

TDateTime Variant::AsDateTime() const {
    if (KindOf(type_) == Kind::String) {
        TDateTime d;
        if (TryStrToDateTime(s_, d)) return d;
        Double f;
        if (TryStrToFloat(s_, f)) return f;
        CastError(type_, varDate);
    }
    try {
        return AsDouble();
    } catch (const EVariantTypeCastError&) {
        CastError(type_, varDate);
    }
}

bool Variant::AsBoolean() const {
    switch (KindOf(type_)) {
        case Kind::Empty: return false;
        case Kind::Int:
        case Kind::Currency:
        case Kind::Bool: return i_ != 0;
        case Kind::Real:
        case Kind::Date: return d_ != 0;
        case Kind::String: {
            bool b;
            if (StringToBool(s_, b)) return b;
            CastError(type_, varBoolean);
        }
        default: CastError(type_, varBoolean);
    }
}

Currency Variant::AsCurrency() const {
    switch (KindOf(type_)) {
        case Kind::Empty: return 0;
        case Kind::Currency: return i_;
        case Kind::Int:
        case Kind::Bool: {
            Int64 v = type_ == varBoolean ? (i_ ? -1 : 0) : i_;
            if (v > std::numeric_limits<Int64>::max() / 10000 || v < std::numeric_limits<Int64>::min() / 10000)
                OverflowError(type_, varCurrency);
            return v * 10000;
        }
        case Kind::Real:
        case Kind::Date: {
            Currency c = 0;
            try {
                c = DoubleToCurrency(d_);
            } catch (const EOverflow&) {
                OverflowError(type_, varCurrency);
            }
            return c;
        }
        case Kind::String: {
            Currency c;
            if (TryStrToCurr(s_, c)) return c;
            CastError(type_, varCurrency);
        }
        default: CastError(type_, varCurrency);
    }
}

void* Variant::AsPointer() const {
    if (type_ == varDispatch || type_ == varUnknown) return p_;
    if (type_ == varEmpty) return nullptr;
    CastError(type_, varUnknown);
}

Integer Variant::ElementCount() const {
    return array_ ? static_cast<Integer>(array_->size()) : 0;
}

const Variant& Variant::operator[](Integer index) const {
    if (!array_) throw EVariantBadIndexError("Variant is not an array");
    if (index < 0 || index >= static_cast<Integer>(array_->size()))
        throw EVariantBadIndexError("Variant or safe array index out of bounds");
    return (*array_)[index];
}

Variant& Variant::operator[](Integer index) {
    return const_cast<Variant&>(static_cast<const Variant&>(*this)[index]);
}

std::string VarTypeAsText(TVarType type) {
    if (type & varArray) return "Array " + VarTypeAsText(type & varTypeMask);
    switch (type) {
        case varEmpty: return "Empty";
        case varNull: return "Null";
        case varSmallint: return "Smallint";
        case varInteger: return "Integer";
        case varSingle: return "Single";
        case varDouble: return "Double";
        case varCurrency: return "Currency";
        case varDate: return "Date";
        case varOleStr: return "OleStr";
        case varDispatch: return "Dispatch";
        case varError: return "Error";
        case varBoolean: return "Boolean";
        case varVariant: return "Variant";
        case varUnknown: return "Unknown";
        case varShortInt: return "ShortInt";
        case varByte: return "Byte";
        case varWord: return "Word";
        case varLongWord: return "LongWord";
        case varInt64: return "Int64";
        case varString: return "String";
        default: {
            char buf[8];
            std::snprintf(buf, sizeof buf, "$%04X", type);
            return buf;
        }
    }
}

std::string VarToStr(const Variant& v) {
    return v.IsNull() ? std::string() : v.AsString();
}

std::string VarToStrDef(const Variant& v, const std::string& Default) {
    return v.IsNull() ? Default : v.AsString();
}

TDateTime VarToDateTime(const Variant& v) {
    return v.AsDateTime();
}

Variant VarAsType(const Variant& v, TVarType type) {
    if (v.VarType() == type) return v;
    auto ranged = [&](Int64 lo, Int64 hi) { return AsRangedInt(v, type, lo, hi); };
    switch (type) {
        case varEmpty: return Variant();
        case varNull: return Variant::Null();
        case varShortInt: return Variant(static_cast<ShortInt>(ranged(-128, 127)));
        case varByte: return Variant(static_cast<Byte>(ranged(0, 255)));
        case varSmallint: return Variant(static_cast<SmallInt>(ranged(-32768, 32767)));
        case varWord: return Variant(static_cast<Word>(ranged(0, 65535)));
        case varInteger: return Variant(v.AsInteger());
        case varLongWord: return Variant(static_cast<LongWord>(ranged(0, 4294967295LL)));
        case varInt64: return Variant(v.AsInt64());
        case varSingle: return Variant(static_cast<Single>(v.AsDouble()));
        case varDouble: return Variant(v.AsDouble());
        case varCurrency: return Variant::FromCurrency(v.AsCurrency());
        case varDate: return Variant::FromDateTime(v.AsDateTime());
        case varBoolean: return Variant(v.AsBoolean());
        case varString:
        case varOleStr: return Variant(v.AsString());
        default: CastError(v.VarType(), type);
    }
}

Variant VarArrayOf(std::vector<Variant> values) {
    Variant v;
    v.type_ = varArray | varVariant;
    v.array_ = std::make_unique<std::vector<Variant>>(std::move(values));
    return v;
}

Integer VarArrayDimCount(const Variant& v) {
    return v.IsArray() ? 1 : 0;
}

Integer VarArrayLowBound(const Variant& v, Integer dim) {
    if (!v.IsArray()) throw EVariantBadIndexError("Variant is not an array");
    if (dim != 1) throw EVariantBadIndexError("Variant or safe array index out of bounds");
    return 0;
}

Integer VarArrayHighBound(const Variant& v, Integer dim) {
    if (!v.IsArray()) throw EVariantBadIndexError("Variant is not an array");
    if (dim != 1) throw EVariantBadIndexError("Variant or safe array index out of bounds");
    return v.ElementCount() - 1;
}

// ---- comparison --------------------------------------------------------------------------------

namespace {

template <class T>
int Sign3(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

int VariantCompare(const Variant& a, const Variant& b) {
    Kind ka = KindOf(a.VarType()), kb = KindOf(b.VarType());
    if (ka == Kind::Empty || kb == Kind::Empty || ka == Kind::Invalid || kb == Kind::Invalid) InvalidOp();
    if (ka == Kind::Null || kb == Kind::Null) {
        if (ka == kb) return 0;
        return ka == Kind::Null ? -1 : 1;
    }
    auto either = [&](Kind k) { return ka == k || kb == k; };
    if (either(Kind::Date)) return Sign3(a.AsDouble(), b.AsDouble());
    if (either(Kind::Currency)) return Sign3(a.AsCurrency(), b.AsCurrency());
    if (either(Kind::Real) || (either(Kind::String) && either(Kind::Int))) return Sign3(a.AsDouble(), b.AsDouble());
    if (either(Kind::Int)) return Sign3(a.AsInt64(), b.AsInt64());
    if (ka == Kind::String && kb == Kind::String) {
        const std::string& sa = a.s_;
        const std::string& sb = b.s_;
        size_t n = std::min(sa.size(), sb.size());
        int c = n ? std::memcmp(sa.data(), sb.data(), n) : 0;
        if (c != 0) return c < 0 ? -1 : 1;
        return Sign3(sa.size(), sb.size());
    }
    // string with Boolean, Boolean with Boolean
    return Sign3(a.AsBoolean() ? 1 : 0, b.AsBoolean() ? 1 : 0);
}

bool operator==(const Variant& a, const Variant& b) {
    return VariantCompare(a, b) == 0;
}

bool operator<(const Variant& a, const Variant& b) {
    return VariantCompare(a, b) < 0;
}
