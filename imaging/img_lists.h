#pragma once
// The image library's small containers: a growable array of fixed-size items (with integer,
// double and record variants), a hash set of 32-bit keys, a growable byte buffer and a stream
// that only measures what is written to it.

#include <cstddef>
#include <cstring>
#include <vector>

#include "framework/object.h"
#include "framework/stream.h"
#include "imaging/img_types.h"


// A growable array of items of one fixed size, held in one block. Every change reallocates the
// block; the list serves short lists.
class TImgList : public TObject {
    LUMORA_CLASS(TImgList, TObject)
public:
    TImgList();
    ~TImgList() override = default;

    // A block of N items: the first min(Count, N) items kept, new items zeroed; sets Changed.
    virtual void SetCount(Integer N);
    // Removes item Index; nothing when Index is outside 0..Count-1.
    virtual void Delete(Integer Index);
    // Count 0, block released, Changed cleared; the item size stays.
    virtual void Clear();
    // Takes Source's Count, ItemSize, Changed and items.
    virtual void Assign(TImgList* Source);

    // Appends a copy of ItemSize bytes at Item; returns the new item's index.
    Integer AddItem(const void* Item);
    // Address of item Index (0..Count-1; not checked).
    void* GetItemAddress(Integer Index) { return data_.data() + size_t(Index) * size_t(itemSize_); }
    const void* GetItemAddress(Integer Index) const {
        return data_.data() + size_t(Index) * size_t(itemSize_);
    }

    Integer GetCount() const { return count_; }
    Integer GetItemSize() const { return itemSize_; }
    // The block of Count x ItemSize bytes; null when the list is empty.
    void* GetData() { return count_ > 0 ? data_.data() : nullptr; }
    bool GetChanged() const { return changed_; }
    void SetChanged(bool Value) { changed_ = Value; }

protected:
    void SetItemSize(Integer Size) { itemSize_ = Size; }

private:
    std::vector<Byte> data_;
    Integer count_ = 0;
    Integer itemSize_ = 0;
    bool changed_ = false;
};

// Items of one numeric type plus a range description (scanner capability values and ranges).
template <class T>
class TImgValueList : public TImgList {
    LUMORA_CLASS(TImgValueList, TImgList)
public:
    TImgValueList() { TImgValueList::Clear(); }
    // Base Clear, then the item size and the four range values 0.
    void Clear() override {
        TImgList::Clear();
        SetItemSize(Integer(sizeof(T)));
        RangeMin = RangeMax = RangeStep = CurrentValue = T();
    }
    // Base Assign, then the range values of a source of the same class.
    void Assign(TImgList* Source) override {
        TImgList::Assign(Source);
        if (auto* s = dynamic_cast<TImgValueList*>(Source)) {
            RangeMin = s->RangeMin;
            RangeMax = s->RangeMax;
            RangeStep = s->RangeStep;
            CurrentValue = s->CurrentValue;
        }
    }

    T GetValue(Integer Index) const {
        T v;
        std::memcpy(&v, GetItemAddress(Index), sizeof v);
        return v;
    }
    Integer Add(T Value) { return AddItem(&Value); }

    T RangeMin = T();
    T RangeMax = T();
    T RangeStep = T();
    T CurrentValue = T();
};

// 4-byte integer items.
class TImgIntegerList : public TImgValueList<Integer> {
    LUMORA_CLASS(TImgIntegerList, TImgValueList<Integer>)
};

// 8-byte double items.
class TImgDoubleList : public TImgValueList<double> {
    LUMORA_CLASS(TImgDoubleList, TImgValueList<double>)
};

// Items of a size fixed at construction.
class TImgRecordList : public TImgList {
    LUMORA_CLASS(TImgRecordList, TImgList)
public:
    TImgRecordList() : TImgRecordList(1) {}
    explicit TImgRecordList(Integer ItemSize) { SetItemSize(ItemSize); }

    void* GetRecord(Integer Index) { return GetItemAddress(Index); }
    Integer AddRecord(const void* Item) { return AddItem(Item); }
};

// A set of 32-bit keys in 2^Bits buckets. A bucket holding one key keeps it in its own cell; chain
// nodes are allocated only on collisions.
class THash1 : public TObject {
    LUMORA_CLASS(THash1, TObject)
public:
    THash1() : THash1(8) {}
    explicit THash1(Integer Bits);
    ~THash1() override;

    // True when Key was not in the set yet (and is now); False for a duplicate.
    bool Insert(Cardinal Key);

    Integer GetBits() const { return bits_; }
    Integer GetBucketCount() const { return Integer(heads_.size()); }
    Integer GetCount() const { return count_; }

private:
    struct Node {
        Cardinal key;
        Node* next;
    };
    union Cell {
        Cardinal key;
        Node* chain;
    };
    Integer bits_;
    std::vector<Cell> heads_;
    std::vector<Byte> states_;  // 0 empty, 1 key in the cell, 2 chain
    Integer count_ = 0;
};

// A growable byte buffer: grows in steps of 4096 bytes and keeps up to one step of slack when
// shrinking, so many small appends reallocate rarely.
class TImgByteArray : public TObject {
    LUMORA_CLASS(TImgByteArray, TObject)
public:
    TImgByteArray();

    void SetSize(Integer N);
    // Grows Size by N, reads up to N bytes from Stream into the new end, shrinks Size back by what
    // was not read; returns the number of bytes read.
    Integer AppendFromStream(TStream* Stream, Integer N);

    Integer GetSize() const { return size_; }
    Integer GetCapacity() const { return capacity_; }
    Integer GetStep() const { return step_; }
    Byte* GetData() { return data_.data(); }
    const Byte* GetData() const { return data_.data(); }

private:
    void Reallocate(Integer capacity);

    std::vector<Byte> data_;
    Integer size_ = 0;
    Integer capacity_ = 0;
    Integer step_ = 4096;
};

// A stream that keeps no data and only measures what passes through it, to learn encoded sizes
// without storing them. Writing and reading move the position and raise the size to it; the
// buffer is neither read nor written. Seeking from the end subtracts the offset from the size, so
// a positive offset moves back from the end.
class TNulStream : public TStream {
    LUMORA_CLASS(TNulStream, TStream)
public:
    Int64 Read(void* Buffer, Int64 Count) override;
    Int64 Write(const void* Buffer, Int64 Count) override;
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
    Int64 GetSize() override { return size_; }

private:
    Int64 Advance(Int64 Count);

    Int64 position_ = 0;
    Int64 size_ = 0;
};
