#include "framework/fields.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/db_internal.h"
#include "framework/formatting.h"

// ---------------------------------------------------------------------------------------------
// Dates and times

TDateTimeField::TDateTimeField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftDateTime);
}

void TDateTimeField::SetDisplayFormat(const std::string& Value) {
    if (Value == FDisplayFormat) return;
    FDisplayFormat = Value;
    PropertyChanged(false);
}

TDateTime TDateTimeField::GetAsDateTime() {
    TDateTime v = 0;
    if (!GetData(&v, false)) return 0;
    return v;
}

void TDateTimeField::SetAsDateTime(TDateTime Value) {
    SetData(&Value, false);
}

Double TDateTimeField::GetAsFloat() {
    return GetAsDateTime();
}

void TDateTimeField::SetAsFloat(Double Value) {
    SetAsDateTime(Value);
}

std::string TDateTimeField::GetAsString() {
    std::string text;
    FormatText(text, false);
    return text;
}

TDateTime TDateTimeField::ParseText(const std::string& Text) const {
    return StrToDateTime(Text);
}

void TDateTimeField::SetAsString(const std::string& Value) {
    if (Trim(Value).empty()) {
        Clear();
        return;
    }
    SetAsDateTime(ParseText(Value));
}

Variant TDateTimeField::GetAsVariant() {
    TDateTime v = 0;
    if (!GetData(&v, false)) return Variant::Null();
    return Variant::FromDateTime(v);
}

void TDateTimeField::SetVarValue(const Variant& Value) {
    SetAsDateTime(Value.AsDateTime());
}

void TDateTimeField::FormatText(std::string& Text, bool DisplayText) {
    TDateTime v = 0;
    if (!GetData(&v, false)) {
        Text.clear();
        return;
    }
    Text = FormatDateTime(DisplayText && !FDisplayFormat.empty() ? FDisplayFormat : DefaultFormat(), v);
}

TDateField::TDateField(TComponent* AOwner) : TDateTimeField(AOwner) {
    SetDataType(ftDate);
}

TDateTime TDateField::ParseText(const std::string& Text) const {
    return StrToDate(Text);
}

TTimeField::TTimeField(TComponent* AOwner) : TDateTimeField(AOwner) {
    SetDataType(ftTime);
}

TDateTime TTimeField::ParseText(const std::string& Text) const {
    return StrToTime(Text);
}
