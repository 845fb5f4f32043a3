#include "framework/fields.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/db_internal.h"
#include "framework/formatting.h"

// ---------------------------------------------------------------------------------------------
// Numbers

TNumericField::TNumericField(TComponent* AOwner) : TField(AOwner) {
    FAlignment = taRightJustify;
}

void TNumericField::SetDisplayFormat(const std::string& Value) {
    if (Value == FDisplayFormat) return;
    FDisplayFormat = Value;
    PropertyChanged(false);
}

void TNumericField::SetEditFormat(const std::string& Value) {
    if (Value == FEditFormat) return;
    FEditFormat = Value;
    PropertyChanged(false);
}

const std::string& TNumericField::FormatFor(bool DisplayText) const {
    if (!DisplayText && !FEditFormat.empty()) return FEditFormat;
    return FDisplayFormat;
}

bool TNumericField::IsValidChar(char32_t InputChar) {
    if ((InputChar >= '0' && InputChar <= '9') || InputChar == '+' || InputChar == '-') return true;
    TFieldType t = GetDataType();
    if (t == ftFloat || t == ftCurrency || t == ftBCD)
        return InputChar == static_cast<unsigned char>(FormatSettings.DecimalSeparator) || InputChar == 'E' ||
               InputChar == 'e';
    return false;
}

namespace {
[[noreturn]] void RangeError(const std::string& Value, const std::string& Field, const std::string& Min,
                             const std::string& Max) {
    DatabaseErrorFmt(db_msg::FieldRangeError, {Value, Field, Min, Max});
}

// The integer fields' text: the number, or the format pattern applied to it.
std::string WholeText(Int64 Value, const std::string& Format) {
    return Format.empty() ? IntToStr(Value) : FormatFloat(Format, static_cast<Extended>(Value));
}

// Reads a whole number from a field's text; false for a blank text (the field is cleared).
bool ParseWhole(TField* Field, const std::string& Value, Int64& Result) {
    std::string text = Trim(Value);
    if (text.empty()) return false;
    if (!TryStrToInt64(text, Result))
        DatabaseErrorFmt(db_msg::InvalidIntegerValue, {Value, Field->GetDisplayName()});
    return true;
}

// A real rounded (halves to even) to a whole number within Min .. Max.
Int64 RoundWhole(TField* Field, Double Value, Int64 Min, Int64 Max) {
    double r = std::nearbyint(Value);
    if (!(r >= static_cast<double>(Min) && r <= static_cast<double>(Max)) || r >= 9223372036854775808.0)
        RangeError(FloatToStr(Value), Field->GetDisplayName(), IntToStr(Min), IntToStr(Max));
    return static_cast<Int64>(r);
}
}  // namespace

TIntegerField::TIntegerField(TComponent* AOwner) : TNumericField(AOwner) {
    SetDataType(ftInteger);
}

void TIntegerField::SetMinValue(Integer Value) {
    FMinValue = Value;
    PropertyChanged(false);
}

void TIntegerField::SetMaxValue(Integer Value) {
    FMaxValue = Value;
    PropertyChanged(false);
}

bool TIntegerField::ReadValue(Integer& Value) {
    Byte buffer[4] = {};
    if (!GetData(buffer)) {
        Value = 0;
        return false;
    }
    switch (GetDataType()) {
        case ftSmallint: {
            SmallInt v;
            std::memcpy(&v, buffer, 2);
            Value = v;
            break;
        }
        case ftWord: {
            Word v;
            std::memcpy(&v, buffer, 2);
            Value = v;
            break;
        }
        default:
            std::memcpy(&Value, buffer, 4);
            break;
    }
    return true;
}

void TIntegerField::CheckRange(Int64 Value) {
    bool bounded = FMinValue != 0 || FMaxValue != 0;
    Int64 lo = bounded ? std::max<Int64>(FMinValue, FMinRange) : FMinRange;
    Int64 hi = bounded ? std::min<Int64>(FMaxValue, FMaxRange) : FMaxRange;
    if (Value < lo || Value > hi) RangeError(IntToStr(Value), GetDisplayName(), IntToStr(lo), IntToStr(hi));
}

Integer TIntegerField::GetAsInteger() {
    Integer v;
    ReadValue(v);
    return v;
}

void TIntegerField::SetAsInteger(Integer Value) {
    SetAsLargeInt(Value);
}

void TIntegerField::SetAsLargeInt(Int64 Value) {
    CheckRange(Value);
    Byte buffer[4] = {};
    switch (GetDataType()) {
        case ftSmallint: {
            auto v = static_cast<SmallInt>(Value);
            std::memcpy(buffer, &v, 2);
            break;
        }
        case ftWord: {
            auto v = static_cast<Word>(Value);
            std::memcpy(buffer, &v, 2);
            break;
        }
        default: {
            auto v = static_cast<Integer>(Value);
            std::memcpy(buffer, &v, 4);
            break;
        }
    }
    SetData(buffer);
}

Double TIntegerField::GetAsFloat() {
    return GetAsInteger();
}

void TIntegerField::SetAsFloat(Double Value) {
    SetAsLargeInt(RoundWhole(this, Value, FMinRange, FMaxRange));
}

std::string TIntegerField::GetAsString() {
    Integer v;
    return ReadValue(v) ? IntToStr(v) : std::string();
}

void TIntegerField::SetAsString(const std::string& Value) {
    Int64 v;
    if (ParseWhole(this, Value, v))
        SetAsLargeInt(v);
    else
        Clear();
}

Variant TIntegerField::GetAsVariant() {
    Integer v;
    if (!ReadValue(v)) return Variant::Null();
    return Variant(v);
}

void TIntegerField::SetVarValue(const Variant& Value) {
    SetAsLargeInt(Value.AsInt64());
}

void TIntegerField::FormatText(std::string& Text, bool DisplayText) {
    Integer v;
    Text = ReadValue(v) ? WholeText(v, FormatFor(DisplayText)) : std::string();
}

TSmallintField::TSmallintField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetDataType(ftSmallint);
    FMinRange = INT16_MIN;
    FMaxRange = INT16_MAX;
}

TWordField::TWordField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetDataType(ftWord);
    FMinRange = 0;
    FMaxRange = UINT16_MAX;
}

TAutoIncField::TAutoIncField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetDataType(ftAutoInc);
}

TLargeintField::TLargeintField(TComponent* AOwner) : TNumericField(AOwner) {
    SetDataType(ftLargeint);
}

bool TLargeintField::ReadValue(Int64& Value) {
    Value = 0;
    return GetData(&Value);
}

void TLargeintField::CheckRange(Int64 Value) {
    if ((FMinValue != 0 || FMaxValue != 0) && (Value < FMinValue || Value > FMaxValue))
        RangeError(IntToStr(Value), GetDisplayName(), IntToStr(FMinValue), IntToStr(FMaxValue));
}

Int64 TLargeintField::GetAsLargeInt() {
    Int64 v;
    ReadValue(v);
    return v;
}

void TLargeintField::SetAsLargeInt(Int64 Value) {
    CheckRange(Value);
    SetData(&Value);
}

Integer TLargeintField::GetAsInteger() {
    return static_cast<Integer>(GetAsLargeInt());
}

void TLargeintField::SetAsInteger(Integer Value) {
    SetAsLargeInt(Value);
}

Double TLargeintField::GetAsFloat() {
    return static_cast<Double>(GetAsLargeInt());
}

void TLargeintField::SetAsFloat(Double Value) {
    SetAsLargeInt(RoundWhole(this, Value, INT64_MIN, INT64_MAX));
}

std::string TLargeintField::GetAsString() {
    Int64 v;
    return ReadValue(v) ? IntToStr(v) : std::string();
}

void TLargeintField::SetAsString(const std::string& Value) {
    Int64 v;
    if (ParseWhole(this, Value, v))
        SetAsLargeInt(v);
    else
        Clear();
}

Variant TLargeintField::GetAsVariant() {
    Int64 v;
    if (!ReadValue(v)) return Variant::Null();
    return Variant(v);
}

void TLargeintField::SetVarValue(const Variant& Value) {
    SetAsLargeInt(Value.AsInt64());
}

void TLargeintField::FormatText(std::string& Text, bool DisplayText) {
    Int64 v;
    Text = ReadValue(v) ? WholeText(v, FormatFor(DisplayText)) : std::string();
}

TFloatField::TFloatField(TComponent* AOwner) : TNumericField(AOwner) {
    SetDataType(ftFloat);
}

void TFloatField::SetCurrency(bool Value) {
    if (Value == FCurrency) return;
    FCurrency = Value;
    PropertyChanged(false);
}

void TFloatField::SetMinValue(Double Value) {
    FMinValue = Value;
    PropertyChanged(false);
}

void TFloatField::SetMaxValue(Double Value) {
    FMaxValue = Value;
    PropertyChanged(false);
}

void TFloatField::SetPrecision(Integer Value) {
    Value = std::clamp<Integer>(Value, 2, 15);
    if (Value == FPrecision) return;
    FPrecision = Value;
    PropertyChanged(false);
}

Double TFloatField::GetAsFloat() {
    Double v = 0;
    if (!GetData(&v)) return 0;
    return v;
}

void TFloatField::SetAsFloat(Double Value) {
    if ((FMinValue != 0 || FMaxValue != 0) && (Value < FMinValue || Value > FMaxValue))
        RangeError(FloatToStr(Value), GetDisplayName(), FloatToStr(FMinValue), FloatToStr(FMaxValue));
    SetData(&Value);
}

Integer TFloatField::GetAsInteger() {
    double r = std::nearbyint(GetAsFloat());
    if (!(r >= INT32_MIN && r <= INT32_MAX)) AccessError("Integer");
    return static_cast<Integer>(r);
}

void TFloatField::SetAsInteger(Integer Value) {
    SetAsFloat(Value);
}

std::string TFloatField::GetAsString() {
    Double v = 0;
    if (!GetData(&v)) return {};
    return FloatToStr(v);
}

void TFloatField::SetAsString(const std::string& Value) {
    if (Trim(Value).empty()) {
        Clear();
        return;
    }
    Double v;
    if (!TryStrToFloat(Value, v)) DatabaseErrorFmt(db_msg::InvalidFloatValue, {Value, GetDisplayName()});
    SetAsFloat(v);
}

Variant TFloatField::GetAsVariant() {
    Double v = 0;
    if (!GetData(&v)) return Variant::Null();
    return Variant(v);
}

void TFloatField::SetVarValue(const Variant& Value) {
    SetAsFloat(Value.AsDouble());
}

void TFloatField::FormatText(std::string& Text, bool DisplayText) {
    Double v = 0;
    if (!GetData(&v)) {
        Text.clear();
        return;
    }
    const std::string& fmt = FormatFor(DisplayText);
    if (!fmt.empty())
        Text = FormatFloat(fmt, v);
    else if (FCurrency)
        Text = FloatToStrF(v, DisplayText ? ffCurrency : ffFixed, FPrecision, FormatSettings.CurrencyDecimals);
    else
        Text = FloatToStrF(v, ffGeneral, FPrecision, 0);
}

TCurrencyField::TCurrencyField(TComponent* AOwner) : TFloatField(AOwner) {
    SetDataType(ftCurrency);
    SetCurrency(true);
}

TBCDField::TBCDField(TComponent* AOwner) : TNumericField(AOwner) {
    SetDataType(ftBCD);
    FSize = 4;
}

void TBCDField::CheckTypeSize(Integer Value) {
    if (Value < 0 || Value > 32) DatabaseError(db_msg::InvalidFieldSize);
}

Integer TBCDField::GetDefaultWidth() const {
    return FPrecision > 0 ? FPrecision + 1 : 10;
}

void TBCDField::SetCurrency(bool Value) {
    if (Value == FCurrency) return;
    FCurrency = Value;
    PropertyChanged(false);
}

void TBCDField::SetPrecision(Integer Value) {
    Value = std::clamp<Integer>(Value, 0, 32);
    if (Value == FPrecision) return;
    FPrecision = Value;
    PropertyChanged(false);
}

bool TBCDField::ReadValue(Currency& Value) {
    Value = 0;
    return GetData(&Value, false);
}

void TBCDField::CheckRange(Currency Value) {
    if ((FMinValue != 0 || FMaxValue != 0) && (Value < FMinValue || Value > FMaxValue))
        RangeError(CurrToStr(Value), GetDisplayName(), CurrToStr(FMinValue), CurrToStr(FMaxValue));
}

Currency TBCDField::GetAsCurrency() {
    Currency v;
    ReadValue(v);
    return v;
}

void TBCDField::SetAsCurrency(Currency Value) {
    CheckRange(Value);
    SetData(&Value, false);
}

Double TBCDField::GetAsFloat() {
    return static_cast<Double>(CurrencyToDouble(GetAsCurrency()));
}

void TBCDField::SetAsFloat(Double Value) {
    SetAsCurrency(DoubleToCurrency(Value));
}

Integer TBCDField::GetAsInteger() {
    return static_cast<Integer>(GetAsCurrency() / 10000);
}

void TBCDField::SetAsInteger(Integer Value) {
    SetAsCurrency(static_cast<Currency>(Value) * 10000);
}

std::string TBCDField::GetAsString() {
    Currency v;
    return ReadValue(v) ? CurrToStr(v) : std::string();
}

void TBCDField::SetAsString(const std::string& Value) {
    if (Trim(Value).empty()) {
        Clear();
        return;
    }
    Currency v;
    if (!TryStrToCurr(Value, v)) DatabaseErrorFmt(db_msg::InvalidFloatValue, {Value, GetDisplayName()});
    SetAsCurrency(v);
}

Variant TBCDField::GetAsVariant() {
    Currency v;
    if (!ReadValue(v)) return Variant::Null();
    return Variant::FromCurrency(v);
}

void TBCDField::SetVarValue(const Variant& Value) {
    SetAsCurrency(Value.AsCurrency());
}

void TBCDField::FormatText(std::string& Text, bool DisplayText) {
    Currency v;
    if (!ReadValue(v)) {
        Text.clear();
        return;
    }
    const std::string& fmt = FormatFor(DisplayText);
    if (!fmt.empty())
        Text = FormatCurr(fmt, v);
    else if (FCurrency)
        Text = CurrToStrF(v, DisplayText ? ffCurrency : ffFixed, FormatSettings.CurrencyDecimals);
    else
        Text = CurrToStr(v);
}
