#pragma once
// TVectorDataSet: a small dataset over a vector of rows, implementing the dataset's protected
// contract the plain way. Tests use it to drive the dataset machinery, and as a reference for
// datasets with other storage: each row keeps its id for life (the id is the 4-byte bookmark),
// a posted insert lands before the record it was started on, InsertRecord and AppendRecord make
// the new record current, and every fetch is counted.
//
// Field definitions are given by the test (GetFieldDefs()->Add) before opening; without field
// components the dataset creates them. Rows survive closing and reopening.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "framework/dataset.h"
#include "framework/stream.h"

class TVectorDataSet : public TDataSet {
    LUMORA_CLASS(TVectorDataSet, TDataSet)
public:
    // One value: null or the native bytes (a wide string or a blob holds its text).
    struct Slot {
        bool Null = true;
        std::string Bytes;
    };
    struct Row {
        Integer Id = 0;
        std::vector<Slot> Values;  // one per field definition
    };

    explicit TVectorDataSet(TComponent* AOwner) : TDataSet(AOwner) {}
    ~TVectorDataSet() override {
        if (GetActive()) Close();
    }

    const std::vector<Row>& Rows() const { return FRows; }
    // Successful GetRecord calls since the last reset.
    Integer FetchCount = 0;
    bool ReadOnly = false;

    // Appends rows without events (test data), in field-definition order.
    void AddRows(const std::vector<std::vector<Variant>>& Values) {
        for (const auto& values : Values) AppendRecord(values);
    }

    Integer GetRecordCount() override {
        CheckActive();
        return static_cast<Integer>(FRows.size());
    }

    Integer GetRecNo() override {
        CheckActive();
        TRecordBuffer b = ActiveBuffer();
        if (GetBufferRecordCount() == 0 || !b || GetBookmarkFlag(b) != bfCurrent) return -1;
        Integer index = IndexOfId(Buf(b)->Id);
        return index < 0 ? -1 : index + 1;
    }

    void SetRecNo(Integer Value) override {
        CheckBrowseMode();
        if (Value < 1 || Value > static_cast<Integer>(FRows.size()) || Value == GetRecNo()) return;
        DoBeforeScroll();
        FCursor = Value - 1;
        Resync({rmCenter});
        DoAfterScroll();
    }

    bool BookmarkValid(TBookmark Bookmark) override {
        if (!Bookmark) return false;
        Integer id;
        std::memcpy(&id, Bookmark, sizeof id);
        return IndexOfId(id) >= 0;
    }

    Integer CompareBookmarks(TBookmark Bookmark1, TBookmark Bookmark2) override {
        if (!Bookmark1 && !Bookmark2) return 0;
        if (!Bookmark1) return 1;
        if (!Bookmark2) return -1;
        Integer id1, id2;
        std::memcpy(&id1, Bookmark1, sizeof id1);
        std::memcpy(&id2, Bookmark2, sizeof id2);
        Integer p1 = IndexOfId(id1), p2 = IndexOfId(id2);
        return p1 < p2 ? -1 : p1 > p2 ? 1 : 0;
    }

    bool GetFieldData(TField* Field, void* Buffer) override {
        TRecordBuffer b = RecordBufferForState();
        if (!b) return false;
        Slot* slot = SlotOf(b, Field);
        if (!slot || slot->Null) return false;
        if (Buffer) {
            if (Field->GetDataType() == ftWideString)
                *static_cast<std::string*>(Buffer) = slot->Bytes;
            else
                std::memcpy(Buffer, slot->Bytes.data(), slot->Bytes.size());
        }
        return true;
    }
    using TDataSet::GetFieldData;

    void SetFieldData(TField* Field, const void* Buffer) override {
        TDataSetState state = GetState();
        if (state != dsEdit && state != dsInsert && state != dsSetKey && state != dsCalcFields && state != dsFilter &&
            state != dsNewValue && state != dsInternalCalc)
            DatabaseError(db_msg::NotEditing, this);
        TRecordBuffer b = RecordBufferForState();
        if (!b) return;
        Field->Validate(Buffer);
        Slot* slot = SlotOf(b, Field);
        if (!slot) return;
        if (Buffer) {
            slot->Null = false;
            if (Field->GetDataType() == ftWideString)
                slot->Bytes = *static_cast<const std::string*>(Buffer);
            else
                slot->Bytes.assign(static_cast<const char*>(Buffer), Field->GetDataSize());
        } else {
            slot->Null = true;
            slot->Bytes.clear();
        }
        if (state != dsCalcFields && state != dsFilter && state != dsNewValue)
            DataEvent(deFieldChange, reinterpret_cast<intptr_t>(Field));
    }
    using TDataSet::SetFieldData;

    bool GetCanModify() override { return !ReadOnly; }

    // A blob value as a memory stream over a copy; a changed value goes back into the record
    // buffer when the stream is freed.
    class TBlobStream : public TMemoryStream {
        LUMORA_CLASS(TBlobStream, TMemoryStream)
    public:
        TBlobStream(TVectorDataSet* DataSet, TField* Field, TBlobStreamMode Mode)
            : FDataSet(DataSet), FField(Field) {
            TRecordBuffer b = DataSet->RecordBufferForState();
            if (!b) return;
            FSlot = DataSet->SlotOf(b, Field);
            if (!FSlot) return;
            if (Mode != bmRead) {
                if (Field->GetReadOnly()) DatabaseErrorFmt(db_msg::FieldReadOnly, {Field->GetDisplayName()});
                TDataSetState state = DataSet->GetState();
                if (state != dsEdit && state != dsInsert) DatabaseError(db_msg::NotEditing, DataSet);
            }
            if (Mode == bmWrite) {
                FModified = true;
            } else if (!FSlot->Bytes.empty()) {
                TMemoryStream::Write(FSlot->Bytes.data(), static_cast<Int64>(FSlot->Bytes.size()));
                SetPosition(0);
            }
            FWritable = Mode != bmRead;
        }
        ~TBlobStream() override {
            if (!FModified || !FWritable) return;
            FSlot->Bytes.assign(static_cast<const char*>(GetMemory()), static_cast<size_t>(GetSize()));
            FSlot->Null = FSlot->Bytes.empty();
            if (auto* blob = dynamic_cast<TBlobField*>(FField)) blob->SetModified(true);
            try {
                FDataSet->DataEvent(deFieldChange, reinterpret_cast<intptr_t>(FField));
            } catch (...) {
            }
        }
        Int64 Write(const void* Buffer, Int64 Count) override {
            if (!FWritable) return 0;
            FModified = true;
            return TMemoryStream::Write(Buffer, Count);
        }

    private:
        TVectorDataSet* FDataSet;
        TField* FField;
        Slot* FSlot = nullptr;
        bool FModified = false;
        bool FWritable = false;
    };

    TStream* CreateBlobStream(TField* Field, TBlobStreamMode Mode) override {
        return new TBlobStream(this, Field, Mode);
    }

    // After Post or Cancel: the record's stored value comes back into the buffer.
    void CloseBlob(TField* Field) override {
        TRecordBuffer b = ActiveBuffer();
        if (!b) return;
        Slot* slot = SlotOf(b, Field);
        if (!slot) return;
        if (GetState() == dsEdit && FCursor >= 0 && FCursor < static_cast<Integer>(FRows.size()))
            *slot = FRows[FCursor].Values[Field->GetFieldNo() - 1];
        else
            *slot = Slot{};
    }

protected:
    struct RecBuf {
        std::vector<Slot> Data;
        std::vector<Slot> Calc;
        Integer Id = 0;
        TBookmarkFlag Flag = bfCurrent;
    };
    static RecBuf* Buf(TRecordBuffer b) { return reinterpret_cast<RecBuf*>(b); }

    TRecordBuffer AllocRecordBuffer() override {
        auto* b = new RecBuf;
        b->Data.resize(GetFieldDefs()->Count());
        b->Calc.resize(FCalcFields.size());
        return reinterpret_cast<TRecordBuffer>(b);
    }
    void FreeRecordBuffer(TRecordBuffer& Buffer) override {
        delete Buf(Buffer);
        Buffer = nullptr;
    }
    void InternalInitRecord(TRecordBuffer Buffer) override {
        RecBuf* b = Buf(Buffer);
        for (Slot& s : b->Data) s = Slot{};
        for (Slot& s : b->Calc) s = Slot{};
        b->Id = 0;
    }
    void ClearCalcFields(TRecordBuffer Buffer) override {
        for (Slot& s : Buf(Buffer)->Calc) s = Slot{};
    }
    Integer GetRecordSize() override {
        Integer size = 0;
        for (TField* f : *GetFields())
            if (f->GetFieldKind() == fkData) size += f->GetDataSize();
        return size;
    }

    TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) override {
        Integer count = static_cast<Integer>(FRows.size());
        switch (GetMode) {
            case gmNext:
                if (FCursor >= count - 1) {
                    FCursor = count;
                    return grEOF;
                }
                ++FCursor;
                break;
            case gmPrior:
                if (FCursor <= 0) {
                    FCursor = -1;
                    return grBOF;
                }
                --FCursor;
                break;
            case gmCurrent:
                if (FCursor < 0 || FCursor >= count) {
                    if (DoCheck) DatabaseError(db_msg::RecordNotFound, this);
                    return grError;
                }
                break;
        }
        RecBuf* b = Buf(Buffer);
        b->Data = FRows[FCursor].Values;
        b->Id = FRows[FCursor].Id;
        b->Flag = bfCurrent;
        ++FetchCount;
        return grOK;
    }

    void GetBookmarkData(TRecordBuffer Buffer, void* Data) override {
        std::memcpy(Data, &Buf(Buffer)->Id, sizeof(Integer));
    }
    void SetBookmarkData(TRecordBuffer Buffer, const void* Data) override {
        std::memcpy(&Buf(Buffer)->Id, Data, sizeof(Integer));
    }
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) override { return Buf(Buffer)->Flag; }
    void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) override { Buf(Buffer)->Flag = Value; }

    void InternalOpen() override {
        InternalInitFieldDefs();
        if (GetDefaultFields()) CreateFields();
        BindFields(true);
        FCalcFields.clear();
        for (TField* f : *GetFields())
            if (f->GetFieldKind() == fkCalculated || f->GetFieldKind() == fkLookup) FCalcFields.push_back(f);
        size_t width = static_cast<size_t>(GetFieldDefs()->Count());
        for (Row& r : FRows) r.Values.resize(width);
        SetBookmarkSize(sizeof(Integer));
        FCursor = -1;
        FOpen = true;
    }
    void InternalClose() override {
        BindFields(false);
        if (GetDefaultFields()) DestroyFields();
        FCalcFields.clear();
        FOpen = false;
    }
    bool IsCursorOpen() override { return FOpen; }
    void InternalFirst() override { FCursor = -1; }
    void InternalLast() override { FCursor = static_cast<Integer>(FRows.size()); }
    void InternalGotoBookmark(const void* Bookmark) override {
        Integer id;
        std::memcpy(&id, Bookmark, sizeof id);
        Integer index = IndexOfId(id);
        if (index < 0) DatabaseError(db_msg::RecordNotFound, this);
        FCursor = index;
    }
    void InternalSetToRecord(TRecordBuffer Buffer) override { InternalGotoBookmark(&Buf(Buffer)->Id); }

    void InternalPost() override {
        TDataSet::InternalPost();
        RecBuf* b = Buf(ActiveBuffer());
        if (GetState() == dsEdit) {
            FRows[FCursor].Values = b->Data;
        } else {
            StoreNew(b, std::clamp<Integer>(FCursor, 0, static_cast<Integer>(FRows.size())));
        }
    }
    void InternalAddRecord(TRecordBuffer Buffer, bool Append) override {
        Integer pos = Append ? static_cast<Integer>(FRows.size())
                             : std::clamp<Integer>(FCursor, 0, static_cast<Integer>(FRows.size()));
        StoreNew(Buf(Buffer), pos);
    }
    void InternalDelete() override {
        FRows.erase(FRows.begin() + FCursor);
        if (FCursor >= static_cast<Integer>(FRows.size())) FCursor = static_cast<Integer>(FRows.size()) - 1;
    }

private:
    void StoreNew(RecBuf* b, Integer Position) {
        Row row;
        row.Id = ++FLastId;
        row.Values = b->Data;
        FRows.insert(FRows.begin() + Position, std::move(row));
        FCursor = Position;
    }

    Integer IndexOfId(Integer Id) const {
        for (size_t i = 0; i < FRows.size(); ++i)
            if (FRows[i].Id == Id) return static_cast<Integer>(i);
        return -1;
    }

    TRecordBuffer RecordBufferForState() {
        switch (GetState()) {
            case dsBrowse:
                return IsEmpty() ? nullptr : ActiveBuffer();
            case dsEdit:
            case dsInsert:
                return ActiveBuffer();
            case dsCalcFields:
            case dsInternalCalc:
                return CalcBuffer();
            default:
                return nullptr;
        }
    }

    Slot* SlotOf(TRecordBuffer b, TField* Field) {
        if (Field->GetFieldKind() == fkCalculated || Field->GetFieldKind() == fkLookup) {
            auto it = std::find(FCalcFields.begin(), FCalcFields.end(), Field);
            return it == FCalcFields.end() ? nullptr : &Buf(b)->Calc[it - FCalcFields.begin()];
        }
        Integer no = Field->GetFieldNo();
        if (no < 1 || no > static_cast<Integer>(Buf(b)->Data.size())) return nullptr;
        return &Buf(b)->Data[no - 1];
    }

    std::vector<Row> FRows;
    std::vector<TField*> FCalcFields;
    Integer FCursor = -1;
    Integer FLastId = 0;
    bool FOpen = false;
};
