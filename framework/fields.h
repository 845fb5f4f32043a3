#pragma once
// Field definitions and field components: the typed view of one column of a dataset's current
// record. A field reads and writes its value through the dataset's field-data contract
// (TDataSet::GetFieldData / SetFieldData), in the dataset's native form or in the field's own.

#include <functional>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/db_types.h"
#include "framework/variant.h"

class TStream;
class TStrings;

// The packed decimal record of BCD fields: precision, sign bit with the number of decimal places,
// then 64 decimal digits packed two to a byte (high nibble first).
struct TBcd {
    Byte Precision = 0;          // 1 .. 64 digits
    Byte SignSpecialPlaces = 0;  // bit 7 sign, bit 6 special, bits 0..5 decimal places
    Byte Fraction[32] = {};
};
static_assert(sizeof(TBcd) == 34);

bool CurrToBCD(Currency Curr, TBcd& Bcd, Integer Precision = 32, Integer Decimals = 4);
bool BCDToCurr(const TBcd& Bcd, Currency& Curr);

using TFieldNotifyEvent = std::function<void(TField* Sender)>;
using TFieldGetTextEvent = std::function<void(TField* Sender, std::string& Text, bool DisplayText)>;
using TFieldSetTextEvent = std::function<void(TField* Sender, const std::string& Text)>;
using TFieldClass = TClass;

// ---------------------------------------------------------------------------------------------
// Field definitions: what the dataset's storage offers (name, type, size), from which default
// fields are created and against which fields are bound.

class TFieldDef : public TPersistent {
    LUMORA_CLASS(TFieldDef, TPersistent)
public:
    TFieldDef() = default;
    TFieldDef(TFieldDefs* Owner, const std::string& Name, TFieldType DataType, Integer Size,
              bool Required, Integer FieldNo);

    // Creates the field component for this definition (owned by Owner) and adds it to the dataset.
    TField* CreateField(TComponent* Owner);
    TFieldClass GetFieldClass();

    const std::string& GetName() const { return FName; }
    void SetName(const std::string& Value) { FName = Value; }
    TFieldType GetDataType() const { return FDataType; }
    void SetDataType(TFieldType Value) { FDataType = Value; }
    Integer GetSize() const { return FSize; }
    void SetSize(Integer Value) { FSize = Value; }
    Integer GetPrecision() const { return FPrecision; }
    void SetPrecision(Integer Value) { FPrecision = Value; }
    bool GetRequired() const { return FRequired; }
    void SetRequired(bool Value) { FRequired = Value; }
    bool GetInternalCalcField() const { return FInternalCalcField; }
    void SetInternalCalcField(bool Value) { FInternalCalcField = Value; }
    Integer GetFieldNo() const { return FFieldNo; }
    Integer GetIndex() const;
    TFieldDefs* GetCollection() const { return FOwner; }

    void Assign(TPersistent* Source) override;

private:
    friend class TFieldDefs;
    TFieldDefs* FOwner = nullptr;
    std::string FName;
    TFieldType FDataType = ftUnknown;
    Integer FSize = 0;
    Integer FPrecision = 0;
    bool FRequired = false;
    bool FInternalCalcField = false;
    Integer FFieldNo = 0;
};

class TFieldDefs : public TPersistent {
    LUMORA_CLASS(TFieldDefs, TPersistent)
public:
    explicit TFieldDefs(TDataSet* DataSet = nullptr);
    ~TFieldDefs() override;

    TFieldDef* Add(const std::string& Name, TFieldType DataType, Integer Size = 0, bool Required = false);
    TFieldDef* AddFieldDef();
    void Clear();
    void Delete(Integer Index);
    Integer Count() const { return static_cast<Integer>(FItems.size()); }
    TFieldDef* GetItem(Integer Index) const;
    TFieldDef* operator[](Integer Index) const { return GetItem(Index); }
    // Case-insensitive; Find raises "Field '%s' not found".
    Integer IndexOf(const std::string& Name) const;
    TFieldDef* Find(const std::string& Name) const;
    // Asks the dataset to describe its storage again when the definitions are out of date.
    void Update();
    bool GetUpdated() const { return FUpdated; }
    void SetUpdated(bool Value) { FUpdated = Value; }
    TDataSet* GetDataSet() const { return FDataSet; }

    void Assign(TPersistent* Source) override;

private:
    TDataSet* FDataSet = nullptr;
    std::vector<TFieldDef*> FItems;
    bool FUpdated = false;
};

// ---------------------------------------------------------------------------------------------
// The ordered list of a dataset's field components.

class TFields : public TObject {
    LUMORA_CLASS(TFields, TObject)
public:
    explicit TFields(TDataSet* DataSet = nullptr);
    ~TFields() override;

    void Add(TField* Field);
    void Remove(TField* Field);
    // Frees every field of the list.
    void Clear();
    Integer Count() const { return static_cast<Integer>(FList.size()); }
    TField* GetField(Integer Index) const;
    TField* operator[](Integer Index) const { return GetField(Index); }
    Integer IndexOf(const TField* Field) const;
    // Case-insensitive lookups; FieldByName raises "Field '%s' not found".
    TField* FindField(const std::string& FieldName) const;
    TField* FieldByName(const std::string& FieldName) const;
    TField* FieldByNumber(Integer FieldNo) const;
    void GetFieldNames(std::vector<std::string>& List) const;
    // Moves Field to position Value (clamped), shifting the others.
    void SetFieldIndex(TField* Field, Integer Value);
    TDataSet* GetDataSet() const { return FDataSet; }

    std::vector<TField*>::const_iterator begin() const { return FList.begin(); }
    std::vector<TField*>::const_iterator end() const { return FList.end(); }

private:
    void Changed();
    TDataSet* FDataSet;
    std::vector<TField*> FList;
};

// ---------------------------------------------------------------------------------------------
// TField: the base of every field class.

class TField : public TComponent {
    LUMORA_CLASS(TField, TComponent)
public:
    explicit TField(TComponent* AOwner);
    ~TField() override;

    void Assign(TPersistent* Source) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Sets the field to null.
    virtual void Clear();
    // Asks the data-aware controls to focus the control showing this field.
    void FocusControl();
    // Reads the value into Buffer (nullptr only asks whether there is one); false when null.
    // NativeFormat false asks for the field's own form (TDateTime for dates, Currency for BCD).
    bool GetData(void* Buffer, bool NativeFormat = true);
    // Writes the value from Buffer; nullptr writes null.
    void SetData(const void* Buffer, bool NativeFormat = true);
    // Runs OnValidate with Buffer (the dataset's native form) as the value being written.
    void Validate(const void* Buffer);
    virtual bool IsValidChar(char32_t InputChar);
    // Blob fields answer true (the class-wide property).
    virtual bool IsBlob() const { return false; }

    // The value in its many forms. Each class supports the forms that make sense for it and
    // raises "Cannot access field '%s' as type %s" for the others.
    virtual bool GetAsBoolean();
    virtual void SetAsBoolean(bool Value);
    virtual Currency GetAsCurrency();
    virtual void SetAsCurrency(Currency Value);
    virtual TDateTime GetAsDateTime();
    virtual void SetAsDateTime(TDateTime Value);
    virtual Double GetAsFloat();
    virtual void SetAsFloat(Double Value);
    virtual Integer GetAsInteger();
    virtual void SetAsInteger(Integer Value);
    virtual Int64 GetAsLargeInt();
    virtual void SetAsLargeInt(Int64 Value);
    virtual std::string GetAsString();
    virtual void SetAsString(const std::string& Value);
    virtual Variant GetAsVariant();
    void SetAsVariant(const Variant& Value);
    Variant GetValue() { return GetAsVariant(); }
    void SetValue(const Variant& Value) { SetAsVariant(Value); }

    // The edit text (Text) and the display text, through OnGetText when assigned.
    std::string GetText();
    void SetText(const std::string& Value);
    std::string GetDisplayText();

    bool GetIsNull();
    bool GetCanModify();
    bool GetCalculated() const { return FFieldKind == fkCalculated; }
    void SetCalculated(bool Value);
    bool GetLookup() const { return FFieldKind == fkLookup; }
    void SetLookup(bool Value);

    TDataSet* GetDataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* ADataSet);
    virtual Integer GetDataSize() const { return 0; }
    TFieldType GetDataType() const { return FDataType; }
    TFieldKind GetFieldKind() const { return FFieldKind; }
    void SetFieldKind(TFieldKind Value);
    const std::string& GetFieldName() const { return FFieldName; }
    void SetFieldName(const std::string& Value);
    Integer GetFieldNo() const { return FFieldNo; }
    // Calculated and lookup fields: the place in the calculated area; blob fields: the number
    // of the blob field (0, 1, ... in field order).
    Integer GetOffset() const { return FOffset; }
    Integer GetSize() const { return FSize; }
    void SetSize(Integer Value);
    Integer GetIndex() const;
    void SetIndex(Integer Value);

    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    std::string GetDisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
    void SetDisplayLabel(const std::string& Value);
    std::string GetDisplayName() const { return GetDisplayLabel(); }
    Integer GetDisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : GetDefaultWidth(); }
    void SetDisplayWidth(Integer Value);
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool GetRequired() const { return FRequired; }
    void SetRequired(bool Value) { FRequired = Value; }
    const std::string& GetEditMask() const { return FEditMask; }
    void SetEditMask(const std::string& Value);
    const std::string& GetDefaultExpression() const { return FDefaultExpression; }
    void SetDefaultExpression(const std::string& Value) { FDefaultExpression = Value; }
    const std::string& GetOrigin() const { return FOrigin; }
    void SetOrigin(const std::string& Value) { FOrigin = Value; }

    // Lookup fields: the value of LookupResultField in the record of LookupDataSet whose
    // LookupKeyFields equal this dataset's KeyFields.
    const std::string& GetKeyFields() const { return FKeyFields; }
    void SetKeyFields(const std::string& Value);
    TDataSet* GetLookupDataSet() const { return FLookupDataSet; }
    void SetLookupDataSet(TDataSet* Value);
    const std::string& GetLookupKeyFields() const { return FLookupKeyFields; }
    void SetLookupKeyFields(const std::string& Value);
    const std::string& GetLookupResultField() const { return FLookupResultField; }
    void SetLookupResultField(const std::string& Value);
    bool GetLookupCache() const { return FLookupCache; }
    void SetLookupCache(bool Value) { FLookupCache = Value; }

    TFieldNotifyEvent OnChange;
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;
    TFieldNotifyEvent OnValidate;

protected:
    // The text of the value: for display (DisplayText) or for editing.
    virtual void FormatText(std::string& Text, bool DisplayText);
    virtual void SetVarValue(const Variant& Value);
    virtual Integer GetDefaultWidth() const { return 10; }
    virtual void CheckTypeSize(Integer Value);
    // Called by the dataset as its fields are bound (on open) and unbound (on close).
    virtual void Bind(bool Binding);
    // Releases per-record state at the end of an edit (blob fields close their changes).
    virtual void FreeBuffers() {}
    void Change();
    void DataChanged();
    // A property that matters to the data-aware controls changed.
    void PropertyChanged(bool LayoutAffected);
    void SetDataType(TFieldType Value) { FDataType = Value; }
    void SetFieldNoInternal(Integer Value) { FFieldNo = Value; }
    [[noreturn]] void AccessError(const std::string& TypeName);
    void CheckInactive();

    bool FValidating = false;
    const void* FValueBuffer = nullptr;
    Integer FSize = 0;
    TAlignment FAlignment = taLeftJustify;

private:
    friend class TDataSet;
    friend class TFields;

    TDataSet* FDataSet = nullptr;
    std::string FFieldName;
    TFieldType FDataType = ftUnknown;
    TFieldKind FFieldKind = fkData;
    Integer FFieldNo = 0;
    Integer FOffset = 0;
    bool FVisible = true;
    std::string FDisplayLabel;
    Integer FDisplayWidth = 0;
    bool FReadOnly = false;
    bool FRequired = false;
    std::string FEditMask;
    std::string FDefaultExpression;
    std::string FOrigin;
    std::string FKeyFields;
    TDataSet* FLookupDataSet = nullptr;
    std::string FLookupKeyFields;
    std::string FLookupResultField;
    bool FLookupCache = false;
};

// ---------------------------------------------------------------------------------------------
// Text fields.

// Size characters of text (UTF-8). The native form is the zero-terminated text; DataSize leaves
// room for Size characters of up to 4 bytes each and the terminator.
class TStringField : public TField {
    LUMORA_CLASS(TStringField, TField)
public:
    explicit TStringField(TComponent* AOwner);
    Integer GetDataSize() const override;
    bool GetFixedChar() const { return FFixedChar; }
    void SetFixedChar(bool Value);
    bool GetTransliterate() const { return FTransliterate; }
    void SetTransliterate(bool Value) { FTransliterate = Value; }

    bool GetAsBoolean() override;
    void SetAsBoolean(bool Value) override;
    TDateTime GetAsDateTime() override;
    void SetAsDateTime(TDateTime Value) override;
    Double GetAsFloat() override;
    void SetAsFloat(Double Value) override;
    Integer GetAsInteger() override;
    void SetAsInteger(Integer Value) override;
    Int64 GetAsLargeInt() override;
    void SetAsLargeInt(Int64 Value) override;
    std::string GetAsString() override;
    void SetAsString(const std::string& Value) override;
    Variant GetAsVariant() override;

protected:
    void FormatText(std::string& Text, bool DisplayText) override;
    void SetVarValue(const Variant& Value) override;
    Integer GetDefaultWidth() const override { return FSize; }
    void CheckTypeSize(Integer Value) override;

private:
    bool FFixedChar = false;
    bool FTransliterate = true;
};

// Text held by reference: the native form is a std::string the dataset fills (a 4-byte slot in
// a record), so the field's buffer is always a std::string.
class TWideStringField : public TStringField {
    LUMORA_CLASS(TWideStringField, TStringField)
public:
    explicit TWideStringField(TComponent* AOwner);
    Integer GetDataSize() const override { return 4; }
    std::string GetAsString() override;
    void SetAsString(const std::string& Value) override;
    Variant GetAsVariant() override;
};

// ---------------------------------------------------------------------------------------------
// Numbers.

class TNumericField : public TField {
    LUMORA_CLASS(TNumericField, TField)
public:
    explicit TNumericField(TComponent* AOwner);
    const std::string& GetDisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const std::string& Value);
    const std::string& GetEditFormat() const { return FEditFormat; }
    void SetEditFormat(const std::string& Value);
    bool IsValidChar(char32_t InputChar) override;

protected:
    // The pattern that applies: DisplayFormat for display, EditFormat (else DisplayFormat) for edit.
    const std::string& FormatFor(bool DisplayText) const;

private:
    std::string FDisplayFormat;
    std::string FEditFormat;
};

class TIntegerField : public TNumericField {
    LUMORA_CLASS(TIntegerField, TNumericField)
public:
    explicit TIntegerField(TComponent* AOwner);
    Integer GetDataSize() const override { return 4; }
    Integer GetMinValue() const { return FMinValue; }
    void SetMinValue(Integer Value);
    Integer GetMaxValue() const { return FMaxValue; }
    void SetMaxValue(Integer Value);

    Double GetAsFloat() override;
    void SetAsFloat(Double Value) override;
    Integer GetAsInteger() override;
    void SetAsInteger(Integer Value) override;
    void SetAsLargeInt(Int64 Value) override;
    std::string GetAsString() override;
    void SetAsString(const std::string& Value) override;
    Variant GetAsVariant() override;

protected:
    void FormatText(std::string& Text, bool DisplayText) override;
    void SetVarValue(const Variant& Value) override;
    Integer GetDefaultWidth() const override { return 11; }
    bool ReadValue(Integer& Value);
    void CheckRange(Int64 Value);
    // The range the storage holds, checked whatever MinValue and MaxValue say.
    Int64 FMinRange = INT32_MIN;
    Int64 FMaxRange = INT32_MAX;

private:
    Integer FMinValue = 0;
    Integer FMaxValue = 0;
};

class TSmallintField : public TIntegerField {
    LUMORA_CLASS(TSmallintField, TIntegerField)
public:
    explicit TSmallintField(TComponent* AOwner);
    Integer GetDataSize() const override { return 2; }

protected:
    Integer GetDefaultWidth() const override { return 6; }
};

class TWordField : public TIntegerField {
    LUMORA_CLASS(TWordField, TIntegerField)
public:
    explicit TWordField(TComponent* AOwner);
    Integer GetDataSize() const override { return 2; }

protected:
    Integer GetDefaultWidth() const override { return 5; }
};

class TAutoIncField : public TIntegerField {
    LUMORA_CLASS(TAutoIncField, TIntegerField)
public:
    explicit TAutoIncField(TComponent* AOwner);
};

class TLargeintField : public TNumericField {
    LUMORA_CLASS(TLargeintField, TNumericField)
public:
    explicit TLargeintField(TComponent* AOwner);
    Integer GetDataSize() const override { return 8; }
    Int64 GetMinValue() const { return FMinValue; }
    void SetMinValue(Int64 Value) { FMinValue = Value; }
    Int64 GetMaxValue() const { return FMaxValue; }
    void SetMaxValue(Int64 Value) { FMaxValue = Value; }

    Double GetAsFloat() override;
    void SetAsFloat(Double Value) override;
    Integer GetAsInteger() override;
    void SetAsInteger(Integer Value) override;
    Int64 GetAsLargeInt() override;
    void SetAsLargeInt(Int64 Value) override;
    std::string GetAsString() override;
    void SetAsString(const std::string& Value) override;
    Variant GetAsVariant() override;

protected:
    void FormatText(std::string& Text, bool DisplayText) override;
    void SetVarValue(const Variant& Value) override;
    Integer GetDefaultWidth() const override { return 15; }
    bool ReadValue(Int64& Value);
    void CheckRange(Int64 Value);

private:
    Int64 FMinValue = 0;
    Int64 FMaxValue = 0;
};

class TFloatField : public TNumericField {
    LUMORA_CLASS(TFloatField, TNumericField)
public:
    explicit TFloatField(TComponent* AOwner);
    Integer GetDataSize() const override { return 8; }
    bool GetCurrency() const { return FCurrency; }
    void SetCurrency(bool Value);
    Double GetMinValue() const { return FMinValue; }
    void SetMinValue(Double Value);
    Double GetMaxValue() const { return FMaxValue; }
    void SetMaxValue(Double Value);
    Integer GetPrecision() const { return FPrecision; }
    void SetPrecision(Integer Value);

    Double GetAsFloat() override;
    void SetAsFloat(Double Value) override;
    Integer GetAsInteger() override;
    void SetAsInteger(Integer Value) override;
    std::string GetAsString() override;
    void SetAsString(const std::string& Value) override;
    Variant GetAsVariant() override;

protected:
    void FormatText(std::string& Text, bool DisplayText) override;
    void SetVarValue(const Variant& Value) override;
    Integer GetDefaultWidth() const override { return 10; }

private:
    bool FCurrency = false;
    Double FMinValue = 0;
    Double FMaxValue = 0;
    Integer FPrecision = 15;
};

class TCurrencyField : public TFloatField {
    LUMORA_CLASS(TCurrencyField, TFloatField)
public:
    explicit TCurrencyField(TComponent* AOwner);
};

// Fixed-point decimals: the native form is TBcd, the field's own form Currency. Size is the
// number of decimal places.
class TBCDField : public TNumericField {
    LUMORA_CLASS(TBCDField, TNumericField)
public:
    explicit TBCDField(TComponent* AOwner);
    Integer GetDataSize() const override { return sizeof(TBcd); }
    bool GetCurrency() const { return FCurrency; }
    void SetCurrency(bool Value);
    Currency GetMinValue() const { return FMinValue; }
    void SetMinValue(Currency Value) { FMinValue = Value; }
    Currency GetMaxValue() const { return FMaxValue; }
    void SetMaxValue(Currency Value) { FMaxValue = Value; }
    Integer GetPrecision() const { return FPrecision; }
    void SetPrecision(Integer Value);

    Currency GetAsCurrency() override;
    void SetAsCurrency(Currency Value) override;
    Double GetAsFloat() override;
    void SetAsFloat(Double Value) override;
    Integer GetAsInteger() override;
    void SetAsInteger(Integer Value) override;
    std::string GetAsString() override;
    void SetAsString(const std::string& Value) override;
    Variant GetAsVariant() override;

protected:
    void FormatText(std::string& Text, bool DisplayText) override;
    void SetVarValue(const Variant& Value) override;
    Integer GetDefaultWidth() const override;
    void CheckTypeSize(Integer Value) override;
    bool ReadValue(Currency& Value);
    void CheckRange(Currency Value);

private:
    bool FCurrency = false;
    Currency FMinValue = 0;
    Currency FMaxValue = 0;
    Integer FPrecision = 0;
};

// ---------------------------------------------------------------------------------------------
// Booleans and dates.

// Stored as a 16-bit flag; displayed with DisplayValues ("True;False" unless set).
class TBooleanField : public TField {
    LUMORA_CLASS(TBooleanField, TField)
public:
    explicit TBooleanField(TComponent* AOwner);
    Integer GetDataSize() const override { return 2; }
    const std::string& GetDisplayValues() const { return FDisplayValues; }
    void SetDisplayValues(const std::string& Value);

    bool GetAsBoolean() override;
    void SetAsBoolean(bool Value) override;
    std::string GetAsString() override;
    void SetAsString(const std::string& Value) override;
    Variant GetAsVariant() override;

protected:
    void FormatText(std::string& Text, bool DisplayText) override;
    void SetVarValue(const Variant& Value) override;
    Integer GetDefaultWidth() const override;

private:
    std::string FDisplayValues;
    std::string FTextValues[2];  // [false, true]
};

// The native forms: ftDate a 32-bit day number (0001-01-01 is day 1), ftTime 32-bit milliseconds
// since midnight, ftDateTime a double of day number × 86,400,000 + milliseconds. The field's own
// form is TDateTime.
class TDateTimeField : public TField {
    LUMORA_CLASS(TDateTimeField, TField)
public:
    explicit TDateTimeField(TComponent* AOwner);
    Integer GetDataSize() const override { return 8; }
    const std::string& GetDisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const std::string& Value);

    TDateTime GetAsDateTime() override;
    void SetAsDateTime(TDateTime Value) override;
    Double GetAsFloat() override;
    void SetAsFloat(Double Value) override;
    std::string GetAsString() override;
    void SetAsString(const std::string& Value) override;
    Variant GetAsVariant() override;

protected:
    void FormatText(std::string& Text, bool DisplayText) override;
    void SetVarValue(const Variant& Value) override;
    Integer GetDefaultWidth() const override { return 18; }
    // The pattern used when DisplayFormat is empty.
    virtual std::string DefaultFormat() const { return "c"; }
    virtual TDateTime ParseText(const std::string& Text) const;

private:
    std::string FDisplayFormat;
};

class TDateField : public TDateTimeField {
    LUMORA_CLASS(TDateField, TDateTimeField)
public:
    explicit TDateField(TComponent* AOwner);
    Integer GetDataSize() const override { return 4; }

protected:
    Integer GetDefaultWidth() const override { return 10; }
    std::string DefaultFormat() const override { return "ddddd"; }
    TDateTime ParseText(const std::string& Text) const override;
};

class TTimeField : public TDateTimeField {
    LUMORA_CLASS(TTimeField, TDateTimeField)
public:
    explicit TTimeField(TComponent* AOwner);
    Integer GetDataSize() const override { return 4; }

protected:
    Integer GetDefaultWidth() const override { return 10; }
    std::string DefaultFormat() const override { return "tt"; }
    TDateTime ParseText(const std::string& Text) const override;
};

// ---------------------------------------------------------------------------------------------
// Binary fields.

// Size bytes held in the record (ftBytes), or up to Size bytes after a 16-bit length (ftVarBytes).
class TBinaryField : public TField {
    LUMORA_CLASS(TBinaryField, TField)
public:
    explicit TBinaryField(TComponent* AOwner);
    std::string GetAsString() override;
    void SetAsString(const std::string& Value) override;
    Variant GetAsVariant() override;

protected:
    void FormatText(std::string& Text, bool DisplayText) override;
    void SetVarValue(const Variant& Value) override;
    void CheckTypeSize(Integer Value) override;
};

class TBytesField : public TBinaryField {
    LUMORA_CLASS(TBytesField, TBinaryField)
public:
    explicit TBytesField(TComponent* AOwner);
    Integer GetDataSize() const override { return FSize; }
};

class TVarBytesField : public TBinaryField {
    LUMORA_CLASS(TVarBytesField, TBinaryField)
public:
    explicit TVarBytesField(TComponent* AOwner);
    Integer GetDataSize() const override { return FSize + 2; }
};

// Values held outside the record and read and written through the dataset's blob streams
// (CreateBlobStream). The display text names the blob type: capitals when there is a value
// ("(BLOB)", "(MEMO)", "(GRAPHIC)"), small letters when it is null ("(blob)").
class TBlobField : public TField {
    LUMORA_CLASS(TBlobField, TField)
public:
    explicit TBlobField(TComponent* AOwner);
    bool IsBlob() const override { return true; }
    // Takes another blob field's value, a string list's text, or a bitmap (a TBitmap, or a
    // TPicture holding one) in its stream form.
    void Assign(TPersistent* Source) override;
    void Clear() override;

    TBlobType GetBlobType() const { return GetDataType(); }
    void SetBlobType(TBlobType Value);
    Integer GetBlobSize();
    bool GetModified() const { return FModified; }
    void SetModified(bool Value);
    // Stores the stream's content from its start / writes the value to the stream.
    void LoadFromStream(TStream* Stream);
    void SaveToStream(TStream* Stream);
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName);

    std::string GetAsString() override;
    void SetAsString(const std::string& Value) override;
    Variant GetAsVariant() override;

protected:
    // Loads a TBitmap, or a TPicture (as a bitmap), from the value.
    void AssignTo(TPersistent* Dest) override;
    void FormatText(std::string& Text, bool DisplayText) override;
    void SetVarValue(const Variant& Value) override;
    void FreeBuffers() override;
    void CheckTypeSize(Integer Value) override;

private:
    bool FModified = false;
};

class TMemoField : public TBlobField {
    LUMORA_CLASS(TMemoField, TBlobField)
public:
    explicit TMemoField(TComponent* AOwner);
};

class TGraphicField : public TBlobField {
    LUMORA_CLASS(TGraphicField, TBlobField)
public:
    explicit TGraphicField(TComponent* AOwner);
};

// The field class a dataset creates by default for each field type (nullptr where none).
TFieldClass DefaultFieldClass(TFieldType Type);
