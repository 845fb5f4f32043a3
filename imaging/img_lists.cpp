#include "imaging/img_lists.h"

#include <algorithm>
#include <cstring>

// TImgList

TImgList::TImgList() { TImgList::Clear(); }

void TImgList::SetCount(Integer N) {
    if (N < 0) N = 0;
    data_.resize(size_t(N) * size_t(itemSize_));
    count_ = N;
    changed_ = true;
}

void TImgList::Delete(Integer Index) {
    if (Index < 0 || Index >= count_) return;
    const size_t at = size_t(Index) * size_t(itemSize_);
    data_.erase(data_.begin() + at, data_.begin() + at + size_t(itemSize_));
    --count_;
    changed_ = true;
}

void TImgList::Clear() {
    data_.clear();
    data_.shrink_to_fit();
    count_ = 0;
    changed_ = false;
}

void TImgList::Assign(TImgList* Source) {
    if (!Source || Source == this) return;
    itemSize_ = Source->itemSize_;
    count_ = Source->count_;
    changed_ = Source->changed_;
    data_ = Source->data_;
}

Integer TImgList::AddItem(const void* Item) {
    SetCount(count_ + 1);
    if (itemSize_ > 0) std::memcpy(GetItemAddress(count_ - 1), Item, size_t(itemSize_));
    changed_ = true;
    return count_ - 1;
}

// THash1

THash1::THash1(Integer Bits) : bits_(std::clamp(Bits, 0, 30)) {
    heads_.resize(size_t(1) << bits_);
    states_.assign(heads_.size(), 0);
}

THash1::~THash1() {
    for (size_t i = 0; i < heads_.size(); ++i) {
        if (states_[i] != 2) continue;
        for (Node* n = heads_[i].chain; n;) {
            Node* next = n->next;
            delete n;
            n = next;
        }
    }
}

bool THash1::Insert(Cardinal Key) {
    const size_t bucket = Key & Cardinal(heads_.size() - 1);
    Cell& cell = heads_[bucket];
    switch (states_[bucket]) {
    case 0:
        cell.key = Key;
        states_[bucket] = 1;
        break;
    case 1: {
        if (cell.key == Key) return false;
        Node* second = new Node{Key, nullptr};
        cell.chain = new Node{cell.key, second};
        states_[bucket] = 2;
        break;
    }
    default: {
        Node* n = cell.chain;
        for (;;) {
            if (n->key == Key) return false;
            if (!n->next) break;
            n = n->next;
        }
        n->next = new Node{Key, nullptr};
        break;
    }
    }
    ++count_;
    return true;
}

// TImgByteArray

TImgByteArray::TImgByteArray() { Reallocate(step_); }

void TImgByteArray::Reallocate(Integer capacity) {
    std::vector<Byte> block(static_cast<size_t>(capacity));
    const Integer keep = std::min(size_, capacity);
    if (keep > 0) std::memcpy(block.data(), data_.data(), size_t(keep));
    data_.swap(block);
    capacity_ = capacity;
}

void TImgByteArray::SetSize(Integer N) {
    if (N < 0) N = 0;
    if (N > size_) {
        if (N > capacity_) Reallocate(N + step_);
    } else if (N < capacity_ - step_) {
        // Keep at most one step of slack.
        size_ = std::min(size_, N);
        Reallocate(N + step_);
    }
    size_ = N;
}

Integer TImgByteArray::AppendFromStream(TStream* Stream, Integer N) {
    if (!Stream || N <= 0) return 0;
    const Integer old = size_;
    SetSize(old + N);
    const Integer got = Integer(std::max<Int64>(0, Stream->Read(data_.data() + old, N)));
    SetSize(size_ - (N - got));
    return got;
}

// TNulStream

Int64 TNulStream::Advance(Int64 Count) {
    position_ += Count;
    if (position_ >= size_) size_ = position_;
    return Count;
}

Int64 TNulStream::Read(void* Buffer, Int64 Count) { return Advance(Count); }

Int64 TNulStream::Write(const void* Buffer, Int64 Count) { return Advance(Count); }

Int64 TNulStream::Seek(Int64 Offset, TSeekOrigin Origin) {
    switch (Origin) {
    case soBeginning:
        position_ = Offset;
        break;
    case soCurrent:
        position_ += Offset;
        break;
    case soEnd:
        position_ = size_ - Offset;
        return position_;
    }
    if (position_ >= size_) size_ = position_;
    return position_;
}
