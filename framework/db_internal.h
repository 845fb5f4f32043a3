#pragma once
// Helpers shared by the dataset, field and data-source sources (not part of the public surface).

#include <string>
#include <vector>

#include "framework/db_types.h"
#include "framework/variant.h"

namespace lumora_db {

// "A; b ;c" -> {"A", "b", "c"}; empty names are dropped.
std::vector<std::string> SplitFieldNames(const std::string& FieldNames);
// Field names compare without regard to case.
bool SameFieldName(const std::string& A, const std::string& B);
// True for the types whose native form differs from the field's own (dates, times, BCD).
bool NeedsConversion(TFieldType Type);
// The native forms of ftDate (32-bit day number), ftTime (32-bit milliseconds) and ftDateTime
// (double of day number x 86,400,000 + milliseconds), from and to TDateTime.
void DateTimeToNative(TFieldType Type, TDateTime Value, void* Dest);
TDateTime NativeToDateTime(TFieldType Type, const void* Source);
// Whether the field's current value matches a search key (Locate): Null matches a null field;
// text fields compare as text (case and prefix per Options), other fields as Variants.
bool FieldMatches(TField* Field, const Variant& Key, TLocateOptions Options);

}  // namespace lumora_db
