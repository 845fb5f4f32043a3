#include "framework/fields.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/dataset.h"
#include "framework/db_internal.h"
#include "framework/formatting.h"

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
