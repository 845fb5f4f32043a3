#include "framework/fields.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/db_internal.h"

// ---------------------------------------------------------------------------------------------
// TBooleanField

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftBoolean);
    FTextValues[0] = db_msg::TextFalse;
    FTextValues[1] = db_msg::TextTrue;
}

void TBooleanField::SetDisplayValues(const std::string& Value) {
    FDisplayValues = Value;
    if (Value.empty()) {
        FTextValues[0] = db_msg::TextFalse;
        FTextValues[1] = db_msg::TextTrue;
    } else {
        size_t p = Value.find(';');
        FTextValues[1] = Value.substr(0, p);
        FTextValues[0] = p == std::string::npos ? std::string() : Value.substr(p + 1);
    }
    PropertyChanged(true);
}

Integer TBooleanField::GetDefaultWidth() const {
    return std::max<Integer>(1, std::max(Utf8Length(FTextValues[0]), Utf8Length(FTextValues[1])));
}

bool TBooleanField::GetAsBoolean() {
    SmallInt v = 0;
    return GetData(&v) && v != 0;
}

void TBooleanField::SetAsBoolean(bool Value) {
    SmallInt v = Value ? 1 : 0;
    SetData(&v);
}

std::string TBooleanField::GetAsString() {
    SmallInt v = 0;
    if (!GetData(&v)) return {};
    return FTextValues[v != 0 ? 1 : 0];
}

void TBooleanField::SetAsString(const std::string& Value) {
    Integer len = Utf8Length(Value);
    if (len == 0) {
        Clear();
        return;
    }
    if (AnsiSameText(Value, Utf8Copy(FTextValues[0], 1, len)))
        SetAsBoolean(false);
    else if (AnsiSameText(Value, Utf8Copy(FTextValues[1], 1, len)))
        SetAsBoolean(true);
    else
        DatabaseErrorFmt(db_msg::InvalidBoolValue, {Value, GetDisplayName()});
}

Variant TBooleanField::GetAsVariant() {
    SmallInt v = 0;
    if (!GetData(&v)) return Variant::Null();
    return Variant(v != 0);
}

void TBooleanField::SetVarValue(const Variant& Value) {
    SetAsBoolean(Value.AsBoolean());
}

void TBooleanField::FormatText(std::string& Text, bool) {
    Text = GetAsString();
}
