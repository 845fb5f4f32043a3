// The memory table's reading side: the filter list, sorting and keeping the sorted order, index
// items, Locate, Lookup and LocateByFieldValue.

#include <algorithm>
#include <cstring>

#include "dbgrid/mem_data.h"
#include "framework/sysutils.h"

namespace {

// Quicksort on the positions 0 .. n-1 with the middle record as pivot. Records with equal
// values are ordered by their position against the pivot's (also when descending), so the
// result depends only on the input order.
template <class Item, class ValueOf>
void QuickSort(std::vector<Item>& Items, ValueOf valueOf, TFieldType Type, bool Descending, bool CaseInsensitive) {
    Integer n = static_cast<Integer>(Items.size());
    if (n < 2) return;
    std::vector<std::pair<Integer, Integer>> ranges{{0, n - 1}};
    while (!ranges.empty()) {
        auto [L, R] = ranges.back();
        ranges.pop_back();
        Integer I = L, J = R, P = (L + R) / 2;
        TgxMemValue pivot = valueOf(Items[P]);
        auto compare = [&](Integer K) {
            int c = CompareMemValues(Type, valueOf(Items[K]), pivot, CaseInsensitive);
            if (Descending) c = -c;
            if (c == 0) c = K < P ? -1 : (K > P ? 1 : 0);
            return c;
        };
        do {
            while (I <= R && compare(I) < 0) ++I;
            while (J >= L && compare(J) > 0) --J;
            if (I <= J) {
                if (I != J) std::swap(Items[I], Items[J]);
                ++I;
                --J;
            }
        } while (I <= J);
        if (L < J) ranges.push_back({L, J});
        if (I < R) ranges.push_back({I, R});
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The filter list

Integer TgxMemData::FilterIndexOf(Integer Position) const {
    auto it = std::lower_bound(FFilterList.begin(), FFilterList.end(), Position + 1);
    return it != FFilterList.end() && *it == Position + 1 ? static_cast<Integer>(it - FFilterList.begin()) : -1;
}

void TgxMemData::FilterInserted(Integer Position, bool Enter) {
    Integer number = Position + 1;
    auto it = std::lower_bound(FFilterList.begin(), FFilterList.end(), number);
    for (auto later = it; later != FFilterList.end(); ++later) ++*later;
    if (Enter) it = FFilterList.insert(it, number);
    if (FIsFiltered) FCurFilter = static_cast<Integer>(it - FFilterList.begin());
}

void TgxMemData::FilterDeleted(Integer Position) {
    Integer number = Position + 1;
    auto it = std::lower_bound(FFilterList.begin(), FFilterList.end(), number);
    if (it != FFilterList.end() && *it == number) it = FFilterList.erase(it);
    for (; it != FFilterList.end(); ++it) --*it;
}

bool TgxMemData::CallFilter(Integer Position) {
    bool accept = true;
    Integer saved = FFilterRecord;
    FFilterRecord = Position;
    TDataSetState state = SetTempState(dsFilter);
    try {
        GetOnFilterRecord()(this, accept);
    } catch (...) {
        RestoreState(state);
        FFilterRecord = saved;
        throw;
    }
    RestoreState(state);
    FFilterRecord = saved;
    return accept;
}

void TgxMemData::SetOnFilterRecord(const TFilterRecordEvent& Value) {
    TDataSet::SetOnFilterRecord(Value);
    UpdateFilters();
}

void TgxMemData::UpdateFilters() {
    bool run = GetOnFilterRecord() && GetActive();
    if (run) CheckBrowseMode();
    FFilterList.clear();
    FIsFiltered = false;
    FCurFilter = -1;
    if (!run) return;
    bool own = !ControlsDisabled();
    if (own) DisableControls();
    try {
        Integer count = RecordCountStored();
        FFilterList.reserve(count);
        for (Integer i = 0; i < count; ++i)
            if (CallFilter(i)) FFilterList.push_back(i + 1);
        ClearBuffers();
        FIsFiltered = static_cast<Integer>(FFilterList.size()) < count;
        // A caller that disabled the controls places the table itself.
        if (own) First();
    } catch (...) {
        if (own) EnableControls();
        throw;
    }
    if (own) EnableControls();
}

void TgxMemData::FilterCurrentRecord() {
    if (!GetOnFilterRecord() || FCurRec < 0 || FCurRec >= RecordCountStored()) return;
    if (CallFilter(FCurRec)) return;
    auto it = std::lower_bound(FFilterList.begin(), FFilterList.end(), FCurRec + 1);
    if (it != FFilterList.end() && *it == FCurRec + 1) it = FFilterList.erase(it);
    FIsFiltered = true;
    FCurFilter = static_cast<Integer>(it - FFilterList.begin());
}

// ---------------------------------------------------------------------------------------------
// Sorting

void TgxMemData::SetSortOptions(TgxSortOptions Value) {
    if (Value == FSortOptions) return;
    FSortOptions = Value;
    SortRecords();
}

void TgxMemData::SetSortedField(const std::string& Value) {
    if (Value == FSortedFieldName) {
        TField* field = FCursorOpen && !FLoading && !Value.empty() ? FindField(Value) : nullptr;
        FSortField = field && FMemFields->FindField(field) ? field : nullptr;
        return;
    }
    FSortedFieldName = Value;
    SortRecords();
}

void TgxMemData::SortRecords() {
    if (GetActive() && !FLoading) CheckBrowseMode();
    FSortField = nullptr;
    if (FLoading || !FCursorOpen || FSortedFieldName.empty()) return;
    TField* field = FindField(FSortedFieldName);
    TgxMemField* d = field ? FMemFields->FindField(field) : nullptr;
    if (!d) return;
    FSortField = field;
    if (!GetActive()) return;
    UpdateCursorPos();
    Integer old = FCurRec;
    // The values are sorted together with the positions they came from, then the records follow.
    struct Key {
        TgxMemValue Value;
        Integer Position;
    };
    std::vector<Key> keys(FRecords.size());
    for (size_t i = 0; i < keys.size(); ++i)
        keys[i] = {TgxMemFields::StoredValue(FRecords[i].Block.get(), d), static_cast<Integer>(i)};
    QuickSort(
        keys, [](const Key& k) { return k.Value; }, d->GetDataType(), FSortOptions.Contains(soDesc),
        FSortOptions.Contains(soCaseInsensitive));
    std::vector<Record> sorted;
    sorted.reserve(FRecords.size());
    for (const Key& k : keys) sorted.push_back(std::move(FRecords[k.Position]));
    FRecords = std::move(sorted);
    RecordsMoved();
    IndexesDirty();
    UpdateFilters();
    if (!FIsFiltered) SetRecNo(old + 1);
    Resync({});
}

void TgxMemData::MoveRecord(Integer From, Integer To) {
    FCurRec = To;
    if (From == To) return;
    if (From < To)
        std::rotate(FRecords.begin() + From, FRecords.begin() + From + 1, FRecords.begin() + To + 1);
    else
        std::rotate(FRecords.begin() + To, FRecords.begin() + From, FRecords.begin() + From + 1);
    FIdPositionsValid = false;
    if (FIdsAscending) {
        Integer id = FRecords[To].Id;
        FIdsAscending = (To == 0 || FRecords[To - 1].Id < id) &&
                        (To + 1 == RecordCountStored() || id < FRecords[To + 1].Id);
    }
    if (!FFilterList.empty()) {
        Integer index = FilterIndexOf(From);
        if (index >= 0) FFilterList.erase(FFilterList.begin() + index);
        for (Integer& n : FFilterList) {
            Integer p = n - 1;
            if (From < To && p > From && p <= To)
                --n;
            else if (To < From && p >= To && p < From)
                ++n;
        }
        auto it = std::lower_bound(FFilterList.begin(), FFilterList.end(), To + 1);
        if (index >= 0) it = FFilterList.insert(it, To + 1);
        if (FIsFiltered) FCurFilter = static_cast<Integer>(it - FFilterList.begin());
    }
    IndexesDirty();
}

void TgxMemData::KeepSortedOrder() {
    Integer count = RecordCountStored();
    if (!FSortField || FLoading || !FCursorOpen || count < 2 || FCurRec < 0 || FCurRec >= count) return;
    TgxMemField* d = FMemFields->FindField(FSortField);
    if (!d) return;
    bool descending = FSortOptions.Contains(soDesc);
    bool ci = FSortOptions.Contains(soCaseInsensitive);
    Integer p = FCurRec;
    TgxMemValue value = TgxMemFields::StoredValue(FRecords[p].Block.get(), d);
    // Record i against the moving record, in the direction of the order.
    auto cmp = [&](Integer i) {
        int c = CompareMemValues(d->GetDataType(), TgxMemFields::StoredValue(FRecords[i].Block.get(), d), value, ci);
        return descending ? -c : c;
    };
    auto lowerBound = [&](Integer lo, Integer hi) {
        while (lo < hi) {
            Integer mid = lo + (hi - lo) / 2;
            if (cmp(mid) < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    };
    Integer target;
    if (p > 0 && cmp(p - 1) > 0) {
        target = lowerBound(0, p);
    } else {
        Integer q = lowerBound(p + 1, count);
        if (q == count)
            target = count - 1;
        else
            target = cmp(q) == 0 ? q : q - 1;
    }
    MoveRecord(p, target);
}

// ---------------------------------------------------------------------------------------------
// Index items

TgxMemIndex::TgxMemIndex(TCollection* Collection) : TCollectionItem(Collection) {}

TgxMemData* TgxMemIndex::GetMemData() const {
    auto* indexes = dynamic_cast<TgxMemIndexes*>(GetCollection());
    return indexes ? indexes->GetMemData() : nullptr;
}

void TgxMemIndex::SetDirty() {
    FIsDirty = true;
    FPositions.clear();
}

void TgxMemIndex::Bind(TField* Field) {
    FField = Field;
    TgxMemData* table = GetMemData();
    if (Field && table) Field->FreeNotification(table);
}

void TgxMemIndex::SetFieldName(const std::string& Value) {
    if (AnsiSameText(Value, FFieldName)) return;
    TgxMemData* table = GetMemData();
    if (!table || Value.empty() || table->GetComponentState().Contains(csLoading)) {
        // Bound when the table opens.
        FFieldName = Value;
        Bind(nullptr);
    } else {
        TField* field = table->FieldByName(Value);
        Bind(field);
        FFieldName = field->GetFieldName();
    }
    SetDirty();
}

const std::vector<Integer>& TgxMemIndex::GetPositions() {
    TgxMemData* table = GetMemData();
    if (FIsDirty && FField && table && table->FCursorOpen) table->BuildIndex(this);
    return FPositions;
}

void TgxMemIndex::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TgxMemIndex*>(Source)) {
        TgxMemData* table = GetMemData();
        FFieldName = src->FFieldName;
        Bind(table && !FFieldName.empty() ? table->FindField(FFieldName) : nullptr);
        SetDirty();
        return;
    }
    TCollectionItem::Assign(Source);
}

std::string TgxMemIndex::GetDisplayName() {
    return FFieldName.empty() ? TCollectionItem::GetDisplayName() : FFieldName;
}

TgxMemIndexes::TgxMemIndexes(TgxMemData* Owner) : TCollection(TgxMemIndex::StaticClass(), Owner), FMemData(Owner) {}

void TgxMemData::IndexesDirty() {
    for (int i = 0; i < FIndexes->GetCount(); ++i) FIndexes->GetItem(i)->SetDirty();
}

void TgxMemData::IndexesInserted() {
    IndexesDirty();
}

void TgxMemData::IndexesEdited(Integer Position) {
    bool ci = FSortOptions.Contains(soCaseInsensitive);
    for (int i = 0; i < FIndexes->GetCount(); ++i) {
        TgxMemIndex* index = FIndexes->GetItem(i);
        if (index->FIsDirty || !index->FField) continue;
        TgxMemField* d = FMemFields->FindField(index->FField);
        const std::vector<Integer>& list = index->FPositions;
        auto at = std::find(list.begin(), list.end(), Position);
        if (!d || at == list.end()) {
            index->SetDirty();
            continue;
        }
        size_t k = static_cast<size_t>(at - list.begin());
        auto value = [&](Integer p) { return TgxMemFields::StoredValue(FRecords[p].Block.get(), d); };
        TgxMemValue v = value(Position);
        if ((k > 0 && CompareMemValues(d->GetDataType(), value(list[k - 1]), v, ci) > 0) ||
            (k + 1 < list.size() && CompareMemValues(d->GetDataType(), v, value(list[k + 1]), ci) > 0))
            index->SetDirty();
    }
}

void TgxMemData::IndexesDeleted(Integer Position) {
    for (int i = 0; i < FIndexes->GetCount(); ++i) {
        TgxMemIndex* index = FIndexes->GetItem(i);
        if (index->FIsDirty) continue;
        std::vector<Integer>& list = index->FPositions;
        list.erase(std::remove(list.begin(), list.end(), Position), list.end());
        for (Integer& p : list)
            if (p > Position) --p;
    }
}

void TgxMemData::RebindIndexes() {
    for (int i = 0; i < FIndexes->GetCount(); ++i) {
        TgxMemIndex* index = FIndexes->GetItem(i);
        index->Bind(index->FFieldName.empty() ? nullptr : FindField(index->FFieldName));
        index->SetDirty();
    }
}

void TgxMemData::BuildIndex(TgxMemIndex* Index) {
    TgxMemField* d = Index->FField ? FMemFields->FindField(Index->FField) : nullptr;
    if (!d) return;
    std::vector<Integer>& list = Index->FPositions;
    list.resize(FRecords.size());
    for (size_t i = 0; i < list.size(); ++i) list[i] = static_cast<Integer>(i);
    QuickSort(
        list, [this, d](Integer p) { return TgxMemFields::StoredValue(FRecords[p].Block.get(), d); }, d->GetDataType(),
        false, FSortOptions.Contains(soCaseInsensitive));
    Index->FIsDirty = false;
}

// ---------------------------------------------------------------------------------------------
// Searching

// A search key in the terms of one field.
struct TgxMemData::KeyMatch {
    TgxMemField* Field = nullptr;
    // A null key finds null values.
    bool Null = false;
    // Text matching: a text field searched with options (else values compare as in sorting).
    bool Text = false;
    bool CaseInsensitive = false;
    bool Partial = false;
    // The key in the field's native form (the text of a text field).
    std::string Native;

    TgxMemValue Key() const { return {reinterpret_cast<const Byte*>(Native.data()), Native.size()}; }

    static bool SameWide(std::string_view A, std::string_view B, bool CaseInsensitive) {
        return (CaseInsensitive ? AnsiCompareText(A, B) : AnsiCompareStr(A, B)) == 0;
    }

    bool Matches(const Byte* Stored) const {
        if (Null) return !TgxMemFields::StoredHasValue(Stored, Field);
        TgxMemValue v = TgxMemFields::StoredValue(Stored, Field);
        TFieldType type = Field->GetDataType();
        if (!Text) return CompareMemValues(type, v, Key(), CaseInsensitive) == 0;
        if (type == ftWideString) {
            std::string_view value(reinterpret_cast<const char*>(v.Data), v.Size);
            Integer k = Utf8Length(Native), n = Utf8Length(value);
            if (k == n) return SameWide(value, Native, CaseInsensitive);
            return Partial && k > 0 && k < n && SameWide(Utf8Copy(value, 1, k), Native, CaseInsensitive);
        }
        if (Native.size() == v.Size) return CompareMemValues(type, v, Key(), CaseInsensitive) == 0;
        return Partial && !Native.empty() && Native.size() < v.Size &&
               CompareMemValues(type, {v.Data, Native.size()}, Key(), CaseInsensitive) == 0;
    }

    // The stored value against the key as an order by the field sees them (a partial key looks
    // at the beginnings of the values only).
    int Order(const Byte* Stored) const {
        TgxMemValue v = TgxMemFields::StoredValue(Stored, Field);
        if (Partial && v.Size > Native.size()) v.Size = Native.size();
        return CompareMemValues(Field->GetDataType(), v, Key(), CaseInsensitive);
    }

    // Whether the records that match form one run in an order sorted with the given case rule,
    // found where Order first stops answering "before".
    bool Ordered(bool SortCaseInsensitive) const {
        if (Null || CaseInsensitive != SortCaseInsensitive) return false;
        return !(Text && Partial && Field->GetDataType() == ftWideString);
    }
};

bool TgxMemData::MakeKey(TgxMemField* Field, const Variant& Value, TLocateOptions Options, KeyMatch& Key) {
    Key.Field = Field;
    if (VarIsClear(Value)) {
        Key.Null = true;
        return true;
    }
    Key.Text = Field->GetIsText() && !Options.Empty();
    Key.CaseInsensitive =
        Key.Text ? Options.Contains(loCaseInsensitive) : FSortOptions.Contains(soCaseInsensitive);
    TField* field = Field->GetField();
    if (Field->GetIsText()) {
        // Size counts characters for both kinds of text field.
        Key.Native = Value.AsString();
        if (Utf8Length(Key.Native) > field->GetSize()) return false;
        Key.Partial = Key.Text && Options.Contains(loPartialKey) && !Key.Native.empty();
        return true;
    }
    Key.Native.assign(static_cast<size_t>(Field->GetDataSize()), '\0');
    void* dest = Key.Native.data();
    auto put = [dest](auto v) { std::memcpy(dest, &v, sizeof v); };
    switch (Field->GetDataType()) {
        case ftSmallint:
            put(static_cast<SmallInt>(Value.AsInteger()));
            break;
        case ftWord:
            put(static_cast<Word>(Value.AsInteger()));
            break;
        case ftInteger:
        case ftAutoInc:
            put(Value.AsInteger());
            break;
        case ftLargeint:
            put(Value.AsInt64());
            break;
        case ftBoolean:
            put(static_cast<SmallInt>(Value.AsBoolean() ? 1 : 0));
            break;
        case ftFloat:
        case ftCurrency:
            put(Value.AsDouble());
            break;
        case ftDate:
        case ftTime:
        case ftDateTime: {
            TDateTime dt = Value.AsDateTime();
            DataConvert(field, &dt, dest, true);
            break;
        }
        case ftBCD: {
            Currency c = Value.AsCurrency();
            DataConvert(field, &c, dest, true);
            break;
        }
        default:
            break;
    }
    return true;
}

Integer TgxMemData::ScanVisible(const KeyMatch& Key) const {
    if (!FIsFiltered) {
        for (Integer i = 0; i < RecordCountStored(); ++i)
            if (Key.Matches(FRecords[i].Block.get())) return i;
        return -1;
    }
    for (Integer n : FFilterList)
        if (Key.Matches(FRecords[n - 1].Block.get())) return n - 1;
    return -1;
}

Integer TgxMemData::LowerBound(const std::vector<Integer>* Order, bool Descending, const KeyMatch& Key) {
    Integer lo = 0, hi = Order ? static_cast<Integer>(Order->size()) : RecordCountStored();
    while (lo < hi) {
        Integer mid = lo + (hi - lo) / 2;
        Integer p = Order ? (*Order)[mid] : mid;
        int c = Key.Order(FRecords[p].Block.get());
        if (Descending) c = -c;
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

bool TgxMemData::PositionVisible(Integer Position) const {
    return !FIsFiltered || FilterIndexOf(Position) >= 0;
}

Integer TgxMemData::FindOne(TField* Field, const Variant& Value, TLocateOptions Options) {
    CheckBrowseMode();
    UpdateCursorPos();
    TgxMemField* d = FMemFields->FindField(Field);
    if (!d) return -1;
    KeyMatch key;
    if (!MakeKey(d, Value, Options, key)) return -1;
    if (key.Null && (GetState() == dsEdit || GetState() == dsInsert)) return -1;
    bool ci = FSortOptions.Contains(soCaseInsensitive);
    if (key.Ordered(ci)) {
        // The sorted order and the index items hold every record, hidden ones too: the matches
        // form one run there, and the first visible position in it wins.
        if (Field == FSortField) {
            for (Integer i = LowerBound(nullptr, FSortOptions.Contains(soDesc), key);
                 i < RecordCountStored() && key.Matches(FRecords[i].Block.get()); ++i)
                if (PositionVisible(i)) return i;
            return -1;
        }
        for (int k = 0; k < FIndexes->GetCount(); ++k) {
            TgxMemIndex* index = FIndexes->GetItem(k);
            if (index->FField != Field) continue;
            const std::vector<Integer>& order = index->GetPositions();
            if (index->FIsDirty) break;
            // Equal values may lie in any order of position.
            Integer found = -1;
            for (Integer i = LowerBound(&order, false, key);
                 i < static_cast<Integer>(order.size()) && key.Matches(FRecords[order[i]].Block.get()); ++i)
                if ((found < 0 || order[i] < found) && PositionVisible(order[i])) found = order[i];
            return found;
        }
    }
    return ScanVisible(key);
}

Integer TgxMemData::FindMany(const std::vector<TField*>& Fields, const Variant& KeyValues, TLocateOptions Options) {
    CheckBrowseMode();
    UpdateCursorPos();
    std::vector<KeyMatch> keys(Fields.size());
    for (size_t i = 0; i < Fields.size(); ++i) {
        TgxMemField* d = FMemFields->FindField(Fields[i]);
        if (!d) return -1;
        Integer n = static_cast<Integer>(i);
        Variant value = n < KeyValues.ElementCount() ? KeyValues[n] : Variant();
        if (!MakeKey(d, value, Options, keys[i])) return -1;
    }
    auto matches = [&](Integer p) {
        const Byte* block = FRecords[p].Block.get();
        for (const KeyMatch& key : keys)
            if (!key.Matches(block)) return false;
        return true;
    };
    Integer count = RecordCountStored();
    if (Fields[0] == FSortField && keys[0].Ordered(FSortOptions.Contains(soCaseInsensitive))) {
        // The records matching the first key form one run of the sorted order.
        for (Integer p = LowerBound(nullptr, FSortOptions.Contains(soDesc), keys[0]);
             p < count && keys[0].Matches(FRecords[p].Block.get()); ++p)
            if (matches(p) && PositionVisible(p)) return p;
        return -1;
    }
    if (FIsFiltered) {
        for (Integer n : FFilterList)
            if (matches(n - 1)) return n - 1;
        return -1;
    }
    for (Integer p = 0; p < count; ++p)
        if (matches(p)) return p;
    return -1;
}

Integer TgxMemData::FindRecord(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
    if (!GetActive() || GetRecordCount() == 0 || Trim(KeyFields).empty()) return -1;
    if (TField* field = FindField(KeyFields)) return FindOne(field, KeyValues, Options);
    if (!VarIsArray(KeyValues)) return -1;
    std::vector<TField*> fields;
    GetFieldList(fields, KeyFields);
    if (fields.empty()) return -1;
    return FindMany(fields, KeyValues, Options);
}

void TgxMemData::GotoPosition(Integer Position) {
    Integer number = FIsFiltered ? FilterIndexOf(Position) + 1 : Position + 1;
    if (number == GetRecNo())
        Resync({});
    else
        SetRecNo(number);
}

bool TgxMemData::Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
    Integer position = FindRecord(KeyFields, KeyValues, Options);
    if (position < 0) return false;
    if (FInLookup)
        FLookupPosition = position;
    else
        GotoPosition(position);
    return true;
}

Variant TgxMemData::StoredVariant(const Record& R, TField* Field) const {
    if (Field->IsBlob()) {
        size_t i = static_cast<size_t>(Field->GetOffset());
        TgxMemBlobData blob = R.Blobs && i < R.Blobs->size() ? (*R.Blobs)[i] : nullptr;
        return Variant(blob ? *blob : std::string());
    }
    TgxMemField* d = FMemFields->FindField(Field);
    const Byte* block = R.Block.get();
    if (!d || !TgxMemFields::StoredHasValue(block, d)) return Variant::Null();
    TgxMemValue v = TgxMemFields::StoredValue(block, d);
    auto get = [&v](auto x) {
        std::memcpy(&x, v.Data, sizeof x);
        return x;
    };
    switch (d->GetDataType()) {
        case ftString:
        case ftWideString:
            return Variant(std::string(reinterpret_cast<const char*>(v.Data), v.Size));
        case ftSmallint:
            return Variant(static_cast<Integer>(get(SmallInt{})));
        case ftWord:
            return Variant(static_cast<Integer>(get(Word{})));
        case ftInteger:
        case ftAutoInc:
            return Variant(get(Integer{}));
        case ftLargeint:
            return Variant(get(Int64{}));
        case ftBoolean:
            return Variant(get(SmallInt{}) != 0);
        case ftFloat:
        case ftCurrency:
            return Variant(get(Double{}));
        case ftDate:
        case ftTime:
        case ftDateTime: {
            TDateTime dt = 0;
            const_cast<TgxMemData*>(this)->DataConvert(Field, v.Data, &dt, false);
            return Variant::FromDateTime(dt);
        }
        case ftBCD: {
            Currency c = 0;
            const_cast<TgxMemData*>(this)->DataConvert(Field, v.Data, &c, false);
            return Variant::FromCurrency(c);
        }
        default:
            return Variant::Null();
    }
}

Variant TgxMemData::Lookup(const std::string& KeyFields, const Variant& KeyValues, const std::string& ResultFields) {
    TField* result = FindField(ResultFields);
    if (!result) return Variant(false);
    Variant value = dynamic_cast<TStringField*>(result) ? Variant(std::string()) : Variant(false);
    FInLookup = true;
    FLookupPosition = -1;
    bool found;
    try {
        found = Locate(KeyFields, KeyValues, {});
    } catch (...) {
        FInLookup = false;
        throw;
    }
    FInLookup = false;
    if (found && FLookupPosition >= 0 && FLookupPosition < RecordCountStored())
        value = StoredVariant(FRecords[FLookupPosition], result);
    return value;
}

Integer TgxMemData::LocateByFieldValue(const Variant& Value, const std::string& FieldName) {
    TField* field = FindField(FieldName);
    TgxMemField* d = field ? FMemFields->FindField(field) : nullptr;
    if (!d) return -1;
    // The field converts the value as it would for a new record.
    std::string native;
    DisableControls();
    try {
        Insert();
        field->SetAsVariant(Value);
        TRecordBuffer b = ActiveBuffer();
        TgxMemValue v = TgxMemFields::BufferValue(b, ValuesOf(b), d);
        native.assign(reinterpret_cast<const char*>(v.Data), v.Size);
        Cancel();
    } catch (...) {
        if (GetState() == dsInsert) Cancel();
        EnableControls();
        throw;
    }
    EnableControls();
    TgxMemValue key{reinterpret_cast<const Byte*>(native.data()), native.size()};
    bool ci = FSortOptions.Contains(soCaseInsensitive);
    for (Integer i = 0; i < RecordCountStored(); ++i)
        if (CompareMemValues(d->GetDataType(), TgxMemFields::StoredValue(FRecords[i].Block.get(), d), key, ci) == 0)
            return i + 1;
    return -1;
}
