#include "framework/fields.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/db_internal.h"
#include "framework/formatting.h"

// ---------------------------------------------------------------------------------------------
// TStringField / TWideStringField

TStringField::TStringField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftString);
    FSize = 20;
}

Integer TStringField::GetDataSize() const {
    return FSize * 4 + 1;
}

void TStringField::SetFixedChar(bool Value) {
    if (GetDataType() == ftWideString) return;
    CheckInactive();
    FFixedChar = Value;
    SetDataType(Value ? ftFixedChar : ftString);
}

void TStringField::CheckTypeSize(Integer Value) {
    if (Value < 1 || Value > 8192) DatabaseError(db_msg::InvalidFieldSize);
}

std::string TStringField::GetAsString() {
    std::vector<char> buffer(GetDataSize() + 1, '\0');
    if (!GetData(buffer.data())) return {};
    return std::string(buffer.data());
}

void TStringField::SetAsString(const std::string& Value) {
    // A text of at most Size bytes has at most Size characters: only longer ones are counted.
    std::string cut;
    bool fits = Value.size() <= static_cast<size_t>(FSize) || Utf8Length(Value) <= FSize;
    if (!fits) cut = Utf8Copy(Value, 1, FSize);
    const std::string& text = fits ? Value : cut;
    size_t size = static_cast<size_t>(GetDataSize()) + 1;
    char local[1024];
    std::vector<char> large;
    char* buffer = local;
    if (size > sizeof local) {
        large.resize(size);
        buffer = large.data();
    }
    size_t n = std::min<size_t>(text.size(), size - 2);
    std::memcpy(buffer, text.data(), n);
    std::memset(buffer + n, 0, size - n);
    SetData(buffer);
}

Variant TStringField::GetAsVariant() {
    if (GetIsNull()) return Variant::Null();
    return Variant(GetAsString());
}

void TStringField::SetVarValue(const Variant& Value) {
    SetAsString(Value.AsString());
}

void TStringField::FormatText(std::string& Text, bool) {
    Text = GetAsString();
}

bool TStringField::GetAsBoolean() {
    std::string s = GetAsString();
    return !s.empty() && (s[0] == 'T' || s[0] == 't' || s[0] == 'Y' || s[0] == 'y');
}

void TStringField::SetAsBoolean(bool Value) {
    SetAsString(Value ? "T" : "F");
}

TDateTime TStringField::GetAsDateTime() {
    return StrToDateTime(GetAsString());
}

void TStringField::SetAsDateTime(TDateTime Value) {
    SetAsString(DateTimeToStr(Value));
}

Double TStringField::GetAsFloat() {
    return static_cast<Double>(StrToFloat(GetAsString()));
}

void TStringField::SetAsFloat(Double Value) {
    SetAsString(FloatToStr(Value));
}

Integer TStringField::GetAsInteger() {
    return StrToInt(GetAsString());
}

void TStringField::SetAsInteger(Integer Value) {
    SetAsString(IntToStr(Value));
}

Int64 TStringField::GetAsLargeInt() {
    return StrToInt64(GetAsString());
}

void TStringField::SetAsLargeInt(Int64 Value) {
    SetAsString(IntToStr(Value));
}

TWideStringField::TWideStringField(TComponent* AOwner) : TStringField(AOwner) {
    SetDataType(ftWideString);
}

std::string TWideStringField::GetAsString() {
    std::string value;
    if (!GetData(&value)) return {};
    return value;
}

void TWideStringField::SetAsString(const std::string& Value) {
    SetData(&Value);
}

Variant TWideStringField::GetAsVariant() {
    std::string value;
    if (!GetData(&value)) return Variant::Null();
    return Variant(value);
}
