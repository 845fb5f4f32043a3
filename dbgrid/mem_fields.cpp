// Field descriptors of the memory table: the record buffer layout, the stored record form and
// the value comparison.

#include <cmath>
#include <cstring>
#include <iterator>

#include "dbgrid/mem_data.h"
#include "framework/date_time.h"
#include "framework/sysutils.h"

namespace {

template <class T>
T Read(const Byte* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class T>
int Sign3(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Doubles in a total order: NaN before every number.
int CompareDoubles(double a, double b) {
    bool na = std::isnan(a), nb = std::isnan(b);
    if (na || nb) return na == nb ? 0 : (na ? -1 : 1);
    return Sign3(a, b);
}

inline Byte FoldAZ(Byte c) {
    return c >= 'a' && c <= 'z' ? static_cast<Byte>(c - ('a' - 'A')) : c;
}

// Character codes (UTF-8 bytes keep the order of the code points), shorter first on a tie.
int CompareCodes(TgxMemValue a, TgxMemValue b, bool CaseInsensitive) {
    size_t n = std::min(a.Size, b.Size);
    if (!CaseInsensitive) {
        int c = n ? std::memcmp(a.Data, b.Data, n) : 0;
        if (c != 0) return c < 0 ? -1 : 1;
    } else {
        for (size_t i = 0; i < n; ++i) {
            Byte x = FoldAZ(a.Data[i]), y = FoldAZ(b.Data[i]);
            if (x != y) return x < y ? -1 : 1;
        }
    }
    return Sign3(a.Size, b.Size);
}

std::string_view View(TgxMemValue v) {
    return {reinterpret_cast<const char*>(v.Data), v.Size};
}

// Dates, times and date-times on one scale of milliseconds since the start of day 0: a date is
// its day with time 0, a time lies on 30 December 1899, and a date-time count that is not a
// valid count of days and milliseconds counts as 0.
double DateKey(TFieldType Type, const Byte* p) {
    constexpr double msPerDay = MSecsPerDay;
    switch (Type) {
        case ftDate:
            return Read<Integer>(p) * msPerDay;
        case ftTime:
            return DateDelta * msPerDay + Read<Integer>(p);
        default: {
            double ms = std::round(Read<double>(p));
            if (!std::isfinite(ms) || ms < 0) return 0;
            return ms;
        }
    }
}

Currency BcdValue(const Byte* p) {
    TBcd bcd;
    std::memcpy(&bcd, p, sizeof bcd);
    Currency c = 0;
    if (!BCDToCurr(bcd, c)) return 0;
    return c;
}

}  // namespace

int CompareMemValues(TFieldType Type, TgxMemValue A, TgxMemValue B, bool CaseInsensitive) {
    switch (Type) {
        case ftString:
        case ftFixedChar:
            return CompareCodes(A, B, CaseInsensitive);
        case ftWideString: {
            Integer c = CaseInsensitive ? AnsiCompareText(View(A), View(B)) : AnsiCompareStr(View(A), View(B));
            return c < 0 ? -1 : (c > 0 ? 1 : 0);
        }
        case ftSmallint:
            return Sign3(Read<SmallInt>(A.Data), Read<SmallInt>(B.Data));
        case ftWord:
            return Sign3(Read<Word>(A.Data), Read<Word>(B.Data));
        case ftInteger:
        case ftAutoInc:
            return Sign3(Read<Integer>(A.Data), Read<Integer>(B.Data));
        case ftLargeint:
            return Sign3(Read<Int64>(A.Data), Read<Int64>(B.Data));
        case ftBoolean:
            return Sign3(A.Data[0], B.Data[0]);
        case ftFloat:
        case ftCurrency:
            return CompareDoubles(Read<double>(A.Data), Read<double>(B.Data));
        case ftDate:
        case ftTime:
        case ftDateTime:
            return CompareDoubles(DateKey(Type, A.Data), DateKey(Type, B.Data));
        case ftBCD:
            return Sign3(BcdValue(A.Data), BcdValue(B.Data));
        default:
            return 0;
    }
}

// ---------------------------------------------------------------------------------------------
// TgxMemField

TgxMemField::TgxMemField(TgxMemFields* Owner, TField* Field, Integer Index)
    : FOwner(Owner), FField(Field), FDataType(Field->GetDataType()), FDataSize(Field->GetDataSize()), FIndex(Index) {
    FIsRecId = UpperCase(Field->GetFieldName()) == "RECID";
    // Counting up needs a 32-bit integer value.
    FAutoIncrement = FDataType == ftAutoInc || (FIsRecId && FDataType == ftInteger);
    FIsWideString = FDataType == ftWideString;
}

// ---------------------------------------------------------------------------------------------
// TgxMemFields

TgxMemField* TgxMemFields::FindOther(const TField* Field) const {
    for (const auto& f : FItems)
        if (f->FField == Field) return f.get();
    return nullptr;
}

TgxMemField* TgxMemFields::Add(TField* Field) {
    auto item = std::make_unique<TgxMemField>(this, Field, GetCount());
    TgxMemField* f = item.get();
    f->FOffset = FRecordDataSize;
    f->FStoredOffset = FStoredFixedSize;
    FRecordDataSize += f->FDataSize + 1;
    if (f->GetIsText()) {
        // The null byte and the offset of the text in the block.
        FStoredFixedSize += 1 + 4;
        FTextFields.push_back(f);
        if (f->FIsWideString) {
            f->FWideIndex = static_cast<Integer>(FWideFields.size());
            FWideFields.push_back(f);
        }
    } else {
        Integer size = f->FDataSize + 1;
        if (!FSpans.empty() && FSpans.back().Buffer + FSpans.back().Size == f->FOffset &&
            FSpans.back().Stored + FSpans.back().Size == f->FStoredOffset)
            FSpans.back().Size += size;
        else
            FSpans.push_back({f->FOffset, f->FStoredOffset, size});
        FStoredFixedSize += size;
    }
    if (f->FAutoIncrement) FAutoIncFields.push_back(f);
    Integer no = Field->GetFieldNo();
    if (no > 0) {
        if (no >= static_cast<Integer>(FByFieldNo.size())) FByFieldNo.resize(no + 1, nullptr);
        FByFieldNo[no] = f;
    }
    FItems.push_back(std::move(item));
    return f;
}

void TgxMemFields::IndexFieldNumbers() {
    FByFieldNo.clear();
    for (const auto& f : FItems) {
        Integer no = f->FField->GetFieldNo();
        if (no <= 0) continue;
        if (no >= static_cast<Integer>(FByFieldNo.size())) FByFieldNo.resize(no + 1, nullptr);
        FByFieldNo[no] = f.get();
    }
}

void TgxMemFields::Clear() {
    FItems.clear();
    FByFieldNo.clear();
    FCalcFields.clear();
    FAutoIncFields.clear();
    FWideFields.clear();
    FTextFields.clear();
    FSpans.clear();
    FRecordDataSize = 0;
    FStoredFixedSize = 0;
}

TgxMemValue TgxMemFields::BufferValue(const Byte* Buffer, const TgxMemBufferValues& Values, const TgxMemField* F) {
    if (F->FIsWideString) {
        const std::string& s = Values.Wide[F->FWideIndex];
        return {reinterpret_cast<const Byte*>(s.data()), s.size()};
    }
    const Byte* p = Buffer + F->GetValueOffset();
    if (F->FDataType == ftString)
        return {p, strnlen(reinterpret_cast<const char*>(p), static_cast<size_t>(F->FDataSize - 1))};
    return {p, static_cast<size_t>(F->FDataSize)};
}

TgxMemValue TgxMemFields::StoredValue(const Byte* Stored, const TgxMemField* F) {
    if (F->GetIsText()) {
        uint32_t at = Read<uint32_t>(Stored + F->FStoredOffset + 1);
        return {Stored + at + 4, Read<uint32_t>(Stored + at)};
    }
    return {Stored + F->FStoredOffset + 1, static_cast<size_t>(F->FDataSize)};
}

void TgxMemFields::CopyValue(const TgxMemField* F, TgxMemValue Value, void* Dest) {
    if (F->FIsWideString) {
        static_cast<std::string*>(Dest)->assign(reinterpret_cast<const char*>(Value.Data), Value.Size);
    } else if (F->FDataType == ftString) {
        std::memcpy(Dest, Value.Data, Value.Size);
        static_cast<Byte*>(Dest)[Value.Size] = 0;
    } else {
        std::memcpy(Dest, Value.Data, F->FDataSize);
    }
}

std::unique_ptr<Byte[]> TgxMemFields::Store(const Byte* Buffer, const TgxMemBufferValues& Values) const {
    // The texts' values, found once.
    TgxMemValue small[16];
    std::vector<TgxMemValue> many;
    TgxMemValue* texts = small;
    if (FTextFields.size() > std::size(small)) {
        many.resize(FTextFields.size());
        texts = many.data();
    }
    size_t size = FStoredFixedSize;
    for (size_t i = 0; i < FTextFields.size(); ++i) {
        texts[i] = BufferValue(Buffer, Values, FTextFields[i]);
        size += 4 + texts[i].Size + 1;
    }
    std::unique_ptr<Byte[]> block(new Byte[size]);
    Byte* s = block.get();
    for (const Span& span : FSpans) std::memcpy(s + span.Stored, Buffer + span.Buffer, span.Size);
    uint32_t at = static_cast<uint32_t>(FStoredFixedSize);
    for (size_t i = 0; i < FTextFields.size(); ++i) {
        const TgxMemField* f = FTextFields[i];
        TgxMemValue v = texts[i];
        uint32_t n = static_cast<uint32_t>(v.Size);
        s[f->FStoredOffset] = Buffer[f->FOffset];
        std::memcpy(s + f->FStoredOffset + 1, &at, 4);
        std::memcpy(s + at, &n, 4);
        if (n) std::memcpy(s + at + 4, v.Data, n);
        s[at + 4 + n] = 0;
        at += 4 + n + 1;
    }
    return block;
}

void TgxMemFields::Clear(Byte* Buffer) const {
    for (const Span& span : FSpans) std::memset(Buffer + span.Buffer, 0, span.Size);
    for (const TgxMemField* f : FTextFields) std::memset(Buffer + f->FOffset, 0, f->FIsWideString ? 5 : 2);
}

void TgxMemFields::Fetch(const Byte* Stored, Byte* Buffer, TgxMemBufferValues& Values) const {
    for (const Span& span : FSpans) std::memcpy(Buffer + span.Buffer, Stored + span.Stored, span.Size);
    for (const TgxMemField* f : FTextFields) {
        Buffer[f->FOffset] = Stored[f->FStoredOffset];
        TgxMemValue v = StoredValue(Stored, f);
        if (f->FIsWideString)
            Values.Wide[f->FWideIndex].assign(reinterpret_cast<const char*>(v.Data), v.Size);
        else
            std::memcpy(Buffer + f->GetValueOffset(), v.Data, v.Size + 1);
    }
}
