#include "framework/fields.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/dataset.h"
#include "framework/db_internal.h"
#include "framework/format_settings.h"
#include "framework/formatting.h"
#include "framework/graphics.h"
#include "framework/string_list.h"
#include "framework/sysutils.h"
#include "framework/stream.h"

using namespace lumora_db;

// ---------------------------------------------------------------------------------------------
// BCD

bool CurrToBCD(Currency Curr, TBcd& Bcd, Integer Precision, Integer Decimals) {
    if (Precision < 1 || Precision > 64 || Decimals < 0 || Decimals > 63 || Decimals > Precision) return false;
    Bcd = TBcd{};
    bool negative = Curr < 0;
    UInt64 magnitude = negative ? UInt64(0) - static_cast<UInt64>(Curr) : static_cast<UInt64>(Curr);
    // Curr holds four decimals; scale to the requested number of places.
    std::string digits;
    if (Decimals >= 4) {
        digits = std::to_string(magnitude) + std::string(Decimals - 4, '0');
    } else {
        UInt64 divisor = 1;
        for (Integer i = Decimals; i < 4; ++i) divisor *= 10;
        UInt64 q = magnitude / divisor, r = magnitude % divisor;
        if (r * 2 >= divisor) ++q;  // half away from zero
        digits = std::to_string(q);
    }
    if (static_cast<Integer>(digits.size()) < Decimals + 1)
        digits.insert(0, static_cast<size_t>(Decimals + 1) - digits.size(), '0');
    if (static_cast<Integer>(digits.size()) > Precision) return false;
    digits.insert(0, static_cast<size_t>(Precision) - digits.size(), '0');
    for (Integer i = 0; i < Precision; ++i) {
        Byte d = static_cast<Byte>(digits[i] - '0');
        if (i % 2 == 0)
            Bcd.Fraction[i / 2] = static_cast<Byte>(d << 4);
        else
            Bcd.Fraction[i / 2] |= d;
    }
    Bcd.Precision = static_cast<Byte>(Precision);
    Bcd.SignSpecialPlaces = static_cast<Byte>((negative && magnitude != 0 ? 0x80 : 0) | Decimals);
    return true;
}

bool BCDToCurr(const TBcd& Bcd, Currency& Curr) {
    Integer precision = Bcd.Precision;
    Integer places = Bcd.SignSpecialPlaces & 0x3F;
    if (precision == 0) {
        Curr = 0;
        return true;
    }
    if (precision > 64 || places > precision) return false;
    std::string digits;
    for (Integer i = 0; i < precision; ++i) {
        Byte b = Bcd.Fraction[i / 2];
        Byte d = i % 2 == 0 ? b >> 4 : b & 0x0F;
        if (d > 9) return false;
        digits += static_cast<char>('0' + d);
    }
    // Scale to four decimals, rounding the places beyond them half away from zero.
    bool roundUp = false;
    if (places > 4) {
        roundUp = digits[digits.size() - (places - 4)] >= '5';
        digits.resize(digits.size() - (places - 4));
    } else {
        digits.append(static_cast<size_t>(4 - places), '0');
    }
    unsigned __int128 value = 0;
    const unsigned __int128 limit = static_cast<unsigned __int128>(INT64_MAX) + 1;
    for (char c : digits) {
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > limit) return false;
    }
    if (roundUp) ++value;
    bool negative = (Bcd.SignSpecialPlaces & 0x80) != 0;
    if (value > limit || (!negative && value == limit)) return false;
    Curr = negative ? static_cast<Currency>(-static_cast<__int128>(value)) : static_cast<Currency>(value);
    return true;
}

// ---------------------------------------------------------------------------------------------
// TFieldDef / TFieldDefs

TFieldDef::TFieldDef(TFieldDefs* Owner, const std::string& Name, TFieldType DataType, Integer Size, bool Required,
                     Integer FieldNo)
    : FOwner(Owner), FName(Name), FDataType(DataType), FSize(Size), FRequired(Required), FFieldNo(FieldNo) {}

Integer TFieldDef::GetIndex() const {
    if (!FOwner) return -1;
    for (Integer i = 0; i < FOwner->Count(); ++i)
        if (FOwner->GetItem(i) == this) return i;
    return -1;
}

TFieldClass TFieldDef::GetFieldClass() {
    TDataSet* ds = FOwner ? FOwner->GetDataSet() : nullptr;
    return ds ? ds->GetFieldClass(FDataType) : DefaultFieldClass(FDataType);
}

TField* TFieldDef::CreateField(TComponent* Owner) {
    TFieldClass cls = GetFieldClass();
    if (!cls) DatabaseErrorFmt(db_msg::UnknownFieldType, {FName});
    auto* field = static_cast<TField*>(CreateFromClass(cls, Owner));
    try {
        field->SetFieldName(FName);
        if (field->IsBlob())
            static_cast<TBlobField*>(field)->SetBlobType(FDataType);
        else if (FDataType == ftFixedChar)
            static_cast<TStringField*>(field)->SetFixedChar(true);
        // Only the classes that keep a size take the definition's.
        if (FSize != 0 && (field->IsBlob() || dynamic_cast<TStringField*>(field) ||
                           dynamic_cast<TBinaryField*>(field) || dynamic_cast<TBCDField*>(field)))
            field->SetSize(FSize);
        field->SetRequired(FRequired);
        if (FInternalCalcField) field->SetFieldKind(fkInternalCalc);
        if (FPrecision > 0) {
            if (auto* f = dynamic_cast<TFloatField*>(field)) f->SetPrecision(FPrecision);
            if (auto* f = dynamic_cast<TBCDField*>(field)) f->SetPrecision(FPrecision);
        }
        field->SetDataSet(FOwner ? FOwner->GetDataSet() : nullptr);
    } catch (...) {
        field->Free();
        throw;
    }
    return field;
}

void TFieldDef::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TFieldDef*>(Source)) {
        FName = src->FName;
        FDataType = src->FDataType;
        FSize = src->FSize;
        FPrecision = src->FPrecision;
        FRequired = src->FRequired;
        FInternalCalcField = src->FInternalCalcField;
        return;
    }
    TPersistent::Assign(Source);
}

TFieldDefs::TFieldDefs(TDataSet* DataSet) : FDataSet(DataSet) {}

TFieldDefs::~TFieldDefs() {
    Clear();
}

TFieldDef* TFieldDefs::Add(const std::string& Name, TFieldType DataType, Integer Size, bool Required) {
    if (Name.empty()) DatabaseError(db_msg::FieldNameMissing, FDataSet);
    if (IndexOf(Name) >= 0) DatabaseErrorFmt(db_msg::DuplicateFieldName, {Name}, FDataSet);
    auto* def = new TFieldDef(this, Name, DataType, Size, Required, Count() + 1);
    FItems.push_back(def);
    FUpdated = true;
    return def;
}

TFieldDef* TFieldDefs::AddFieldDef() {
    auto* def = new TFieldDef(this, "", ftUnknown, 0, false, Count() + 1);
    FItems.push_back(def);
    return def;
}

void TFieldDefs::Clear() {
    for (TFieldDef* def : FItems) delete def;
    FItems.clear();
    FUpdated = false;
}

void TFieldDefs::Delete(Integer Index) {
    if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", {Index}));
    delete FItems[Index];
    FItems.erase(FItems.begin() + Index);
    for (Integer i = Index; i < Count(); ++i) FItems[i]->FFieldNo = i + 1;
}

TFieldDef* TFieldDefs::GetItem(Integer Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", {Index}));
    return FItems[Index];
}

Integer TFieldDefs::IndexOf(const std::string& Name) const {
    for (Integer i = 0; i < Count(); ++i)
        if (SameFieldName(FItems[i]->FName, Name)) return i;
    return -1;
}

TFieldDef* TFieldDefs::Find(const std::string& Name) const {
    Integer i = IndexOf(Name);
    if (i < 0) DatabaseErrorFmt(db_msg::FieldDefNotFound, {Name}, FDataSet);
    return FItems[i];
}

void TFieldDefs::Update() {
    if (!FUpdated && FDataSet) FDataSet->InitFieldDefs();
}

void TFieldDefs::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TFieldDefs*>(Source)) {
        Clear();
        for (TFieldDef* def : src->FItems) {
            TFieldDef* copy = AddFieldDef();
            copy->Assign(def);
        }
        FUpdated = src->FUpdated;
        return;
    }
    TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------------------------
// TFields

TFields::TFields(TDataSet* DataSet) : FDataSet(DataSet) {}

TFields::~TFields() {
    Clear();
}

void TFields::Changed() {
    if (FDataSet && !FDataSet->GetComponentState().Contains(csDestroying) && FDataSet->GetActive())
        FDataSet->DataEvent(deFieldListChange, 0);
}

void TFields::Add(TField* Field) {
    FList.push_back(Field);
    Field->FDataSet = FDataSet;
    Changed();
}

void TFields::Remove(TField* Field) {
    auto it = std::find(FList.begin(), FList.end(), Field);
    if (it == FList.end()) return;
    FList.erase(it);
    Field->FDataSet = nullptr;
    Changed();
}

void TFields::Clear() {
    while (!FList.empty()) {
        TField* field = FList.back();
        FList.pop_back();
        field->FDataSet = nullptr;
        field->Free();
    }
}

TField* TFields::GetField(Integer Index) const {
    if (Index < 0 || Index >= Count()) DatabaseError(db_msg::FieldIndexError, FDataSet);
    return FList[Index];
}

Integer TFields::IndexOf(const TField* Field) const {
    for (Integer i = 0; i < Count(); ++i)
        if (FList[i] == Field) return i;
    return -1;
}

TField* TFields::FindField(const std::string& FieldName) const {
    for (TField* f : FList)
        if (SameFieldName(f->FFieldName, FieldName)) return f;
    return nullptr;
}

TField* TFields::FieldByName(const std::string& FieldName) const {
    TField* f = FindField(FieldName);
    if (!f) DatabaseErrorFmt(db_msg::FieldNotFound, {FieldName}, FDataSet);
    return f;
}

TField* TFields::FieldByNumber(Integer FieldNo) const {
    for (TField* f : FList)
        if (f->FFieldNo == FieldNo) return f;
    return nullptr;
}

void TFields::GetFieldNames(std::vector<std::string>& List) const {
    for (TField* f : FList) List.push_back(f->FFieldName);
}

void TFields::SetFieldIndex(TField* Field, Integer Value) {
    Integer cur = IndexOf(Field);
    if (cur < 0) return;
    Value = std::clamp<Integer>(Value, 0, Count() - 1);
    if (cur == Value) return;
    FList.erase(FList.begin() + cur);
    FList.insert(FList.begin() + Value, Field);
    Field->PropertyChanged(true);
    Changed();
}

// ---------------------------------------------------------------------------------------------
// TField

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

TField::~TField() {
    if (FDataSet) {
        TDataSet* ds = FDataSet;
        if (ds->GetActive()) ds->Close();
        ds->FFields->Remove(this);
    }
}

void TField::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FLookupDataSet) FLookupDataSet = nullptr;
}

void TField::Assign(TPersistent* Source) {
    if (!Source) {
        Clear();
        return;
    }
    if (auto* src = dynamic_cast<TField*>(Source)) {
        SetAsVariant(src->GetAsVariant());
        return;
    }
    TComponent::Assign(Source);
}

void TField::AccessError(const std::string& TypeName) {
    DatabaseErrorFmt(db_msg::FieldAccessError, {GetDisplayName(), TypeName});
}

void TField::CheckInactive() {
    if (FDataSet) FDataSet->CheckInactive();
}

bool TField::GetData(void* Buffer, bool NativeFormat) {
    if (!FDataSet) DatabaseErrorFmt(db_msg::DataSetMissing, {GetDisplayName()});
    if (FValidating) {
        if (!FValueBuffer) return false;
        if (Buffer) {
            if (FDataType == ftWideString)
                *static_cast<std::string*>(Buffer) = *static_cast<const std::string*>(FValueBuffer);
            else if (!NativeFormat && NeedsConversion(FDataType))
                FDataSet->DataConvert(this, FValueBuffer, Buffer, false);
            else
                std::memcpy(Buffer, FValueBuffer, GetDataSize());
        }
        return true;
    }
    return FDataSet->GetFieldData(this, Buffer, NativeFormat);
}

void TField::SetData(const void* Buffer, bool NativeFormat) {
    if (!FDataSet) DatabaseErrorFmt(db_msg::DataSetMissing, {GetDisplayName()});
    TDataSetState state = FDataSet->GetState();
    if (FReadOnly && FFieldKind == fkData && (state == dsEdit || state == dsInsert))
        DatabaseErrorFmt(db_msg::FieldReadOnly, {GetDisplayName()});
    FDataSet->SetFieldData(this, Buffer, NativeFormat);
}

void TField::Validate(const void* Buffer) {
    if (!OnValidate) return;
    bool wasValidating = FValidating;
    const void* oldBuffer = FValueBuffer;
    FValidating = true;
    FValueBuffer = Buffer;
    try {
        OnValidate(this);
    } catch (...) {
        FValidating = wasValidating;
        FValueBuffer = oldBuffer;
        throw;
    }
    FValidating = wasValidating;
    FValueBuffer = oldBuffer;
}

bool TField::IsValidChar(char32_t) {
    return true;
}

void TField::Clear() {
    SetData(nullptr);
}

void TField::FocusControl() {
    if (!FDataSet || !FDataSet->GetActive()) return;
    TField* field = this;
    FDataSet->DataEvent(deFocusControl, reinterpret_cast<intptr_t>(&field));
}

bool TField::GetAsBoolean() { AccessError("Boolean"); }
void TField::SetAsBoolean(bool) { AccessError("Boolean"); }
Currency TField::GetAsCurrency() { return DoubleToCurrency(GetAsFloat()); }
void TField::SetAsCurrency(Currency Value) { SetAsFloat(static_cast<Double>(CurrencyToDouble(Value))); }
TDateTime TField::GetAsDateTime() { AccessError("DateTime"); }
void TField::SetAsDateTime(TDateTime) { AccessError("DateTime"); }
Double TField::GetAsFloat() { AccessError("Float"); }
void TField::SetAsFloat(Double) { AccessError("Float"); }
Integer TField::GetAsInteger() { AccessError("Integer"); }
void TField::SetAsInteger(Integer) { AccessError("Integer"); }
Int64 TField::GetAsLargeInt() { return GetAsInteger(); }
void TField::SetAsLargeInt(Int64 Value) {
    if (Value < INT32_MIN || Value > INT32_MAX) AccessError("LargeInt");
    SetAsInteger(static_cast<Integer>(Value));
}
std::string TField::GetAsString() { AccessError("String"); }
void TField::SetAsString(const std::string&) { AccessError("String"); }
Variant TField::GetAsVariant() { AccessError("Variant"); }

void TField::SetAsVariant(const Variant& Value) {
    if (VarIsClear(Value))
        Clear();
    else
        SetVarValue(Value);
}

void TField::SetVarValue(const Variant&) {
    AccessError("Variant");
}

void TField::FormatText(std::string& Text, bool) {
    Text = GetAsString();
}

std::string TField::GetText() {
    std::string text;
    if (OnGetText)
        OnGetText(this, text, false);
    else
        FormatText(text, false);
    return text;
}

void TField::SetText(const std::string& Value) {
    if (OnSetText)
        OnSetText(this, Value);
    else
        SetAsString(Value);
}

std::string TField::GetDisplayText() {
    std::string text;
    if (OnGetText)
        OnGetText(this, text, true);
    else
        FormatText(text, true);
    return text;
}

bool TField::GetIsNull() {
    return !GetData(nullptr);
}

bool TField::GetCanModify() {
    if (FReadOnly || !FDataSet) return false;
    switch (FFieldKind) {
        case fkData:
        case fkInternalCalc:
            return FDataSet->GetCanModify();
        case fkLookup: {
            if (FKeyFields.empty() || !FDataSet->GetCanModify()) return false;
            for (const std::string& name : SplitFieldNames(FKeyFields)) {
                TField* key = FDataSet->FindField(name);
                if (!key || !key->GetCanModify()) return false;
            }
            return true;
        }
        default:
            return false;
    }
}

void TField::SetCalculated(bool Value) {
    SetFieldKind(Value ? fkCalculated : fkData);
}

void TField::SetLookup(bool Value) {
    SetFieldKind(Value ? fkLookup : fkData);
}

void TField::SetDataSet(TDataSet* ADataSet) {
    if (ADataSet == FDataSet) return;
    if (FDataSet) FDataSet->CheckInactive();
    if (ADataSet) {
        ADataSet->CheckInactive();
        if (!FFieldName.empty() && ADataSet->FindField(FFieldName))
            DatabaseErrorFmt(db_msg::DuplicateFieldName, {GetDisplayName()}, ADataSet);
    }
    if (FDataSet) FDataSet->FFields->Remove(this);
    if (ADataSet) ADataSet->FFields->Add(this);
}

void TField::SetFieldKind(TFieldKind Value) {
    if (Value == FFieldKind) return;
    CheckInactive();
    FFieldKind = Value;
}

void TField::SetFieldName(const std::string& Value) {
    if (Value == FFieldName) return;
    CheckInactive();
    if (FDataSet && !Value.empty()) {
        TField* other = FDataSet->FindField(Value);
        if (other && other != this) DatabaseErrorFmt(db_msg::DuplicateFieldName, {Value}, FDataSet);
    }
    FFieldName = Value;
}

void TField::CheckTypeSize(Integer Value) {
    if (Value != 0) DatabaseError(db_msg::InvalidFieldSize);
}

void TField::SetSize(Integer Value) {
    if (Value == FSize) return;
    CheckInactive();
    CheckTypeSize(Value);
    FSize = Value;
}

Integer TField::GetIndex() const {
    return FDataSet ? FDataSet->FFields->IndexOf(this) : -1;
}

void TField::SetIndex(Integer Value) {
    if (FDataSet) FDataSet->FFields->SetFieldIndex(this, Value);
}

void TField::PropertyChanged(bool LayoutAffected) {
    if (FDataSet && FDataSet->GetActive()) FDataSet->DataEvent(LayoutAffected ? deLayoutChange : deDataSetChange, 0);
}

void TField::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    PropertyChanged(true);
}

void TField::SetDisplayLabel(const std::string& Value) {
    std::string v = Value == FFieldName ? std::string() : Value;
    if (v == FDisplayLabel) return;
    FDisplayLabel = v;
    PropertyChanged(true);
}

void TField::SetDisplayWidth(Integer Value) {
    if (Value == FDisplayWidth) return;
    FDisplayWidth = Value;
    PropertyChanged(true);
}

void TField::SetAlignment(TAlignment Value) {
    if (Value == FAlignment) return;
    FAlignment = Value;
    PropertyChanged(false);
}

void TField::SetReadOnly(bool Value) {
    if (Value == FReadOnly) return;
    FReadOnly = Value;
    PropertyChanged(true);
}

void TField::SetEditMask(const std::string& Value) {
    if (Value == FEditMask) return;
    FEditMask = Value;
    PropertyChanged(false);
}

void TField::SetKeyFields(const std::string& Value) {
    CheckInactive();
    FKeyFields = Value;
}

void TField::SetLookupDataSet(TDataSet* Value) {
    if (Value == FLookupDataSet) return;
    CheckInactive();
    if (Value == FDataSet && Value) DatabaseError(db_msg::CircularDataLink);
    if (FLookupDataSet) FLookupDataSet->RemoveFreeNotification(this);
    FLookupDataSet = Value;
    if (Value) Value->FreeNotification(this);
}

void TField::SetLookupKeyFields(const std::string& Value) {
    CheckInactive();
    FLookupKeyFields = Value;
}

void TField::SetLookupResultField(const std::string& Value) {
    CheckInactive();
    FLookupResultField = Value;
}

void TField::Bind(bool Binding) {
    if (Binding && FFieldKind == fkLookup) {
        if (!FLookupDataSet || FKeyFields.empty() || FLookupKeyFields.empty() || FLookupResultField.empty())
            DatabaseErrorFmt(db_msg::LookupInfoError, {GetDisplayName()});
        std::vector<TField*> keys;
        FDataSet->GetFieldList(keys, FKeyFields);
    }
}

void TField::Change() {
    if (OnChange) OnChange(this);
}

void TField::DataChanged() {
    if (FDataSet) FDataSet->DataEvent(deFieldChange, reinterpret_cast<intptr_t>(this));
}

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

// ---------------------------------------------------------------------------------------------
// Binary fields

namespace {
// "(BLOB)" with a value, "(blob)" without: the type's name in capitals or small letters.
std::string BlobText(TFieldType Type, bool IsNull) {
    std::string name = FieldTypeName(Type);
    return "(" + (IsNull ? LowerCase(name) : UpperCase(name)) + ")";
}
}  // namespace

TBinaryField::TBinaryField(TComponent* AOwner) : TField(AOwner) {
    FSize = 16;
}

void TBinaryField::CheckTypeSize(Integer Value) {
    if (Value < 1 || Value > 65535) DatabaseError(db_msg::InvalidFieldSize);
}

std::string TBinaryField::GetAsString() {
    std::vector<char> buffer(GetDataSize(), '\0');
    if (!GetData(buffer.data())) return {};
    if (GetDataType() == ftVarBytes) {
        Word len;
        std::memcpy(&len, buffer.data(), 2);
        return std::string(buffer.data() + 2, std::min<Integer>(len, FSize));
    }
    return std::string(buffer.data(), FSize);
}

void TBinaryField::SetAsString(const std::string& Value) {
    std::vector<char> buffer(GetDataSize(), '\0');
    size_t n = std::min<size_t>(Value.size(), FSize);
    if (GetDataType() == ftVarBytes) {
        auto len = static_cast<Word>(n);
        std::memcpy(buffer.data(), &len, 2);
        std::memcpy(buffer.data() + 2, Value.data(), n);
    } else {
        std::memcpy(buffer.data(), Value.data(), n);
    }
    SetData(buffer.data());
}

Variant TBinaryField::GetAsVariant() {
    if (GetIsNull()) return Variant::Null();
    return Variant(GetAsString());
}

void TBinaryField::SetVarValue(const Variant& Value) {
    SetAsString(Value.AsString());
}

void TBinaryField::FormatText(std::string& Text, bool) {
    Text = BlobText(GetDataType(), GetIsNull());
}

TBytesField::TBytesField(TComponent* AOwner) : TBinaryField(AOwner) {
    SetDataType(ftBytes);
}

TVarBytesField::TVarBytesField(TComponent* AOwner) : TBinaryField(AOwner) {
    SetDataType(ftVarBytes);
}

// ---------------------------------------------------------------------------------------------
// Blob fields

TBlobField::TBlobField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftBlob);
}

void TBlobField::CheckTypeSize(Integer Value) {
    if (Value < 0) DatabaseError(db_msg::InvalidFieldSize);
}

void TBlobField::SetBlobType(TBlobType Value) {
    if (Value == GetDataType()) return;
    CheckInactive();
    SetDataType(Value);
}

void TBlobField::SetModified(bool Value) {
    FModified = Value;
}

void TBlobField::FreeBuffers() {
    if (FModified) {
        if (TDataSet* ds = GetDataSet()) ds->CloseBlob(this);
        FModified = false;
    }
}

void TBlobField::FormatText(std::string& Text, bool) {
    Text = BlobText(GetDataType(), GetIsNull());
}

namespace {
// The dataset's blob stream on the field, freed at the end of the scope (none when the dataset
// keeps no blobs).
class BlobStreamHolder {
public:
    BlobStreamHolder(TBlobField* Field, TBlobStreamMode Mode) {
        if (TDataSet* ds = Field->GetDataSet()) FStream = ds->CreateBlobStream(Field, Mode);
    }
    ~BlobStreamHolder() {
        if (FStream) FStream->Free();
    }
    BlobStreamHolder(const BlobStreamHolder&) = delete;
    BlobStreamHolder& operator=(const BlobStreamHolder&) = delete;
    TStream* operator->() const { return FStream; }
    explicit operator bool() const { return FStream != nullptr; }
    TStream* Get() const { return FStream; }

private:
    TStream* FStream = nullptr;
};
}  // namespace

void TBlobField::Clear() {
    BlobStreamHolder stream(this, bmWrite);
}

Integer TBlobField::GetBlobSize() {
    BlobStreamHolder stream(this, bmRead);
    return stream ? static_cast<Integer>(stream->GetSize()) : 0;
}

std::string TBlobField::GetAsString() {
    BlobStreamHolder stream(this, bmRead);
    if (!stream) return {};
    std::string result(static_cast<size_t>(stream->GetSize()), '\0');
    Int64 n = result.empty() ? 0 : stream->Read(result.data(), static_cast<Int64>(result.size()));
    result.resize(static_cast<size_t>(std::max<Int64>(n, 0)));
    return result;
}

void TBlobField::SetAsString(const std::string& Value) {
    BlobStreamHolder stream(this, bmWrite);
    if (stream && !Value.empty()) stream->WriteBuffer(Value.data(), static_cast<Int64>(Value.size()));
}

void TBlobField::LoadFromStream(TStream* Stream) {
    BlobStreamHolder stream(this, bmWrite);
    if (stream) stream->CopyFrom(Stream, 0);
}

void TBlobField::SaveToStream(TStream* Stream) {
    BlobStreamHolder stream(this, bmRead);
    if (stream) Stream->CopyFrom(stream.Get(), 0);
}

void TBlobField::LoadFromFile(const std::string& FileName) {
    TFileStream* file = new TFileStream(FileName, fmOpenRead);
    try {
        LoadFromStream(file);
    } catch (...) {
        file->Free();
        throw;
    }
    file->Free();
}

void TBlobField::SaveToFile(const std::string& FileName) {
    TFileStream* file = new TFileStream(FileName, fmCreate);
    try {
        SaveToStream(file);
    } catch (...) {
        file->Free();
        throw;
    }
    file->Free();
}

Variant TBlobField::GetAsVariant() {
    if (GetIsNull()) return Variant::Null();
    return Variant(GetAsString());
}

void TBlobField::SetVarValue(const Variant& Value) {
    SetAsString(Value.AsString());
}

void TBlobField::Assign(TPersistent* Source) {
    if (auto* blob = dynamic_cast<TBlobField*>(Source)) {
        if (blob->GetIsNull())
            Clear();
        else
            SetAsString(blob->GetAsString());
        return;
    }
    if (auto* strings = dynamic_cast<TStrings*>(Source)) {
        SetAsString(strings->GetText());
        return;
    }
    TBitmap* bitmap = dynamic_cast<TBitmap*>(Source);
    if (auto* picture = dynamic_cast<TPicture*>(Source)) {
        if (!picture->GetGraphic()) {
            Clear();
            return;
        }
        bitmap = dynamic_cast<TBitmap*>(picture->GetGraphic());
    }
    if (bitmap) {
        BlobStreamHolder stream(this, bmWrite);
        if (stream) bitmap->SaveToStream(stream.Get());
        return;
    }
    TField::Assign(Source);
}

void TBlobField::AssignTo(TPersistent* Dest) {
    auto* picture = dynamic_cast<TPicture*>(Dest);
    auto* bitmap = picture ? nullptr : dynamic_cast<TBitmap*>(Dest);
    if (!picture && !bitmap) {
        TField::AssignTo(Dest);
        return;
    }
    if (GetIsNull()) {
        if (picture)
            picture->SetGraphic(nullptr);
        else
            bitmap->Assign(nullptr);
        return;
    }
    BlobStreamHolder stream(this, bmRead);
    if (!stream) return;
    (picture ? picture->GetBitmap() : bitmap)->LoadFromStream(stream.Get());
}

TMemoField::TMemoField(TComponent* AOwner) : TBlobField(AOwner) {
    SetDataType(ftMemo);
}

TGraphicField::TGraphicField(TComponent* AOwner) : TBlobField(AOwner) {
    SetDataType(ftGraphic);
}

// ---------------------------------------------------------------------------------------------

TFieldClass DefaultFieldClass(TFieldType Type) {
    switch (Type) {
        case ftString:
        case ftFixedChar:
            return TStringField::StaticClass();
        case ftSmallint:
            return TSmallintField::StaticClass();
        case ftInteger:
            return TIntegerField::StaticClass();
        case ftWord:
            return TWordField::StaticClass();
        case ftBoolean:
            return TBooleanField::StaticClass();
        case ftFloat:
            return TFloatField::StaticClass();
        case ftCurrency:
            return TCurrencyField::StaticClass();
        case ftBCD:
            return TBCDField::StaticClass();
        case ftDate:
            return TDateField::StaticClass();
        case ftTime:
            return TTimeField::StaticClass();
        case ftDateTime:
            return TDateTimeField::StaticClass();
        case ftBytes:
            return TBytesField::StaticClass();
        case ftVarBytes:
            return TVarBytesField::StaticClass();
        case ftAutoInc:
            return TAutoIncField::StaticClass();
        case ftBlob:
        case ftFmtMemo:
        case ftParadoxOle:
        case ftDBaseOle:
        case ftTypedBinary:
        case ftOraBlob:
        case ftOraClob:
            return TBlobField::StaticClass();
        case ftMemo:
            return TMemoField::StaticClass();
        case ftGraphic:
            return TGraphicField::StaticClass();
        case ftWideString:
            return TWideStringField::StaticClass();
        case ftLargeint:
            return TLargeintField::StaticClass();
        default:
            return nullptr;
    }
}
