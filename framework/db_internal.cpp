#include "framework/db_internal.h"

#include <cmath>
#include <cstring>

#include "framework/date_time.h"
#include "framework/fields.h"
#include "framework/sysutils.h"

namespace lumora_db {

std::vector<std::string> SplitFieldNames(const std::string& FieldNames) {
    std::vector<std::string> result;
    size_t start = 0;
    while (start <= FieldNames.size()) {
        size_t end = FieldNames.find(';', start);
        if (end == std::string::npos) end = FieldNames.size();
        std::string name = Trim(std::string_view(FieldNames).substr(start, end - start));
        if (!name.empty()) result.push_back(std::move(name));
        start = end + 1;
    }
    return result;
}

bool SameFieldName(const std::string& A, const std::string& B) {
    return AnsiSameText(A, B);
}

bool NeedsConversion(TFieldType Type) {
    return Type == ftDate || Type == ftTime || Type == ftDateTime || Type == ftBCD;
}

void DateTimeToNative(TFieldType Type, TDateTime Value, void* Dest) {
    TTimeStamp ts = DateTimeToTimeStamp(Value);
    switch (Type) {
        case ftDate: {
            Integer d = ts.Date;
            std::memcpy(Dest, &d, sizeof d);
            break;
        }
        case ftTime: {
            Integer t = ts.Time;
            std::memcpy(Dest, &t, sizeof t);
            break;
        }
        default: {
            double ms = TimeStampToMSecs(ts);
            std::memcpy(Dest, &ms, sizeof ms);
            break;
        }
    }
}

TDateTime NativeToDateTime(TFieldType Type, const void* Source) {
    TTimeStamp ts;
    switch (Type) {
        case ftDate:
            std::memcpy(&ts.Date, Source, sizeof ts.Date);
            ts.Time = 0;
            break;
        case ftTime:
            std::memcpy(&ts.Time, Source, sizeof ts.Time);
            ts.Date = DateDelta;
            break;
        default: {
            double ms;
            std::memcpy(&ms, Source, sizeof ms);
            // A value outside the day range (a never-set zero) reads as day 0 of the TDateTime count.
            if (!(ms >= MSecsPerDay)) return 0;
            ts = MSecsToTimeStamp(ms);
            break;
        }
    }
    if (ts.Date <= 0) return 0;
    return TimeStampToDateTime(ts);
}

bool FieldMatches(TField* Field, const Variant& Key, TLocateOptions Options) {
    if (VarIsClear(Key)) return Field->GetIsNull();
    if (Field->GetIsNull()) return false;
    TFieldType type = Field->GetDataType();
    if (type == ftString || type == ftFixedChar || type == ftWideString || type == ftMemo) {
        std::string value = Field->GetAsString();
        std::string key = VarToStr(Key);
        Integer k = Utf8Length(key);
        if (Options.Contains(loPartialKey) && k > 0 && k < Utf8Length(value)) value = Utf8Copy(value, 1, k);
        return Options.Contains(loCaseInsensitive) ? AnsiSameText(value, key) : value == key;
    }
    try {
        return VariantCompare(Field->GetAsVariant(), Key) == 0;
    } catch (const EVariantError&) {
        return false;
    }
}

}  // namespace lumora_db
