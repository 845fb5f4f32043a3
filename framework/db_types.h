#pragma once
// The vocabulary shared by datasets, fields, data sources and data links: the enumerations with
// their fixed ordinals, record buffers and bookmarks, the database error and its messages.

#include <string>
#include <vector>

#include "framework/exceptions.h"
#include "framework/sysutils.h"
#include "framework/types.h"

class TComponent;
class TDataSet;
class TDataSource;
class TDataLink;
class TField;
class TFields;
class TFieldDef;
class TFieldDefs;

// Field data types. The ordinals are part of the contract: code computes with them and stores them.
enum TFieldType : int {
    ftUnknown,      // 0
    ftString,       // 1
    ftSmallint,     // 2
    ftInteger,      // 3
    ftWord,         // 4
    ftBoolean,      // 5
    ftFloat,        // 6
    ftCurrency,     // 7
    ftBCD,          // 8
    ftDate,         // 9
    ftTime,         // 10
    ftDateTime,     // 11
    ftBytes,        // 12
    ftVarBytes,     // 13
    ftAutoInc,      // 14
    ftBlob,         // 15
    ftMemo,         // 16
    ftGraphic,      // 17
    ftFmtMemo,      // 18
    ftParadoxOle,   // 19
    ftDBaseOle,     // 20
    ftTypedBinary,  // 21
    ftCursor,       // 22
    ftFixedChar,    // 23
    ftWideString,   // 24
    ftLargeint,     // 25
    ftADT,          // 26
    ftArray,        // 27
    ftReference,    // 28
    ftDataSet,      // 29
    ftOraBlob,      // 30
    ftOraClob,      // 31
    ftVariant,      // 32
    ftInterface,    // 33
    ftIDispatch,    // 34
    ftGuid,         // 35
};
constexpr int FieldTypeCount = ftGuid + 1;

// The blob subtypes a blob field can hold (ftBlob .. ftTypedBinary, ftOraBlob, ftOraClob).
using TBlobType = TFieldType;

enum TFieldKind : int { fkData, fkCalculated, fkLookup, fkInternalCalc };

// Dataset states, in this order: "dsInsert and later" style comparisons rely on it.
enum TDataSetState : int {
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert,
    dsSetKey,
    dsCalcFields,
    dsFilter,
    dsNewValue,
    dsOldValue,
    dsCurValue,
    dsBlockRead,
    dsInternalCalc,
};

enum TGetMode : int { gmCurrent, gmNext, gmPrior };
enum TGetResult : int { grOK, grBOF, grEOF, grError };
enum TBookmarkFlag : int { bfCurrent, bfBOF, bfEOF, bfInserted };

enum TLocateOption : int { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption>;

enum TResyncMode : int { rmExact, rmCenter };
using TResyncModes = TSet<TResyncMode>;

enum TBlobStreamMode : int { bmRead, bmWrite, bmReadWrite };

// Notifications a dataset sends to its data sources and through them to the data links.
enum TDataEvent : int {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode,
    dePropertyChange,
    deFieldListChange,
    deFocusControl,
    deParentScroll,
    deConnectChange,
    deReconcileError,
    deDisabledStateChange,
};

// What an OnPostError / OnEditError / OnDeleteError handler asks for.
enum TDataAction : int { daFail, daAbort, daRetry };

// A record buffer: a block the dataset allocates and lays out itself (AllocRecordBuffer).
using TRecordBuffer = Byte*;
// A bookmark handed out by GetBookmark (BookmarkSize bytes, freed with FreeBookmark).
using TBookmark = Byte*;
// A bookmark held as a string of BookmarkSize bytes (the Bookmark property).
using TBookmarkStr = std::string;

// The database error. DatabaseError prefixes the message with the component's name when the
// component has one ("Table1: Dataset not in edit or insert mode").
[[noreturn]] void DatabaseError(const std::string& Message, TComponent* Component = nullptr);
// Formats Message with the arguments (Format) and raises it.
[[noreturn]] void DatabaseErrorFmt(const std::string& Message, const std::vector<TVarRec>& Args,
                                   TComponent* Component = nullptr);

// The framework's database messages.
namespace db_msg {
inline constexpr const char* FieldNotFound = "Field '%s' not found";
inline constexpr const char* DataSetOpen = "Cannot perform this operation on an open dataset";
inline constexpr const char* DataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* DataSetEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr const char* DataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr const char* NotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* FieldReadOnly = "Field '%s' cannot be modified";
inline constexpr const char* FieldRequired = "Field '%s' must have a value";
inline constexpr const char* FieldAccessError = "Cannot access field '%s' as type %s";
inline constexpr const char* FieldIndexError = "Field index out of range";
inline constexpr const char* FieldNameMissing = "Field name missing";
inline constexpr const char* DuplicateFieldName = "Duplicate field name '%s'";
inline constexpr const char* FieldTypeMismatch = "Type mismatch for field '%s', expecting: %s actual: %s";
inline constexpr const char* FieldRangeError = "%s is not a valid value for field '%s'. The allowed range is %s to %s";
inline constexpr const char* InvalidIntegerValue = "'%s' is not a valid integer value for field '%s'";
inline constexpr const char* InvalidFloatValue = "'%s' is not a valid floating point value for field '%s'";
inline constexpr const char* InvalidBoolValue = "'%s' is not a valid boolean value for field '%s'";
inline constexpr const char* InvalidFieldSize = "Invalid field size";
inline constexpr const char* InvalidFieldKind = "Invalid FieldKind";
inline constexpr const char* UnknownFieldType = "Field '%s' is of an unknown type";
inline constexpr const char* RecordNotFound = "Record not found";
inline constexpr const char* DataSetMissing = "Field '%s' has no dataset";
inline constexpr const char* LookupInfoError = "Lookup information for field '%s' is incomplete";
inline constexpr const char* CircularDataLink = "Circular datalinks are not allowed";
inline constexpr const char* DataSourceChange = "DataSource cannot be changed";
inline constexpr const char* FieldDefNotFound = "Field '%s' not found";
inline constexpr const char* InvalidBookmark = "Invalid bookmark";
inline constexpr const char* TextTrue = "True";
inline constexpr const char* TextFalse = "False";
}  // namespace db_msg

// The field type's name as the framework spells it ("String", "Integer", "Blob" ...).
const char* FieldTypeName(TFieldType Type);
