#include "framework/list.h"

#include <algorithm>
#include <utility>

#include "framework/memory_limits.h"
#include "framework/sysutils.h"

namespace {
const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SListCapacityError = "List capacity out of bounds (%d)";
const char* const SListCountError = "List count out of bounds (%d)";
}  // namespace

TList::~TList() = default;

void TList::Error(const std::string& Msg, int Data) {
    throw EListError(Format(Msg, {Data}));
}

void TList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
}

void TList::Grow() {
    int delta = FCapacity > 64 ? FCapacity / 4 : (FCapacity > 8 ? 16 : 4);
    SetCapacity(FCapacity + delta);
}

TList* TList::Expand() {
    if (GetCount() == FCapacity) Grow();
    return this;
}

void TList::SetCapacity(int NewCapacity) {
    if (NewCapacity < GetCount() || NewCapacity > MaxListSize) Error(SListCapacityError, NewCapacity);
    if (NewCapacity == FCapacity) return;
    if (!MemoryCanHold(UInt64(NewCapacity) * sizeof(void*))) OutOfMemoryError();
    AllocateOrRaise([&] {
        if (NewCapacity < FCapacity) {
            std::vector<void*> shrunk;
            shrunk.reserve(static_cast<size_t>(NewCapacity));
            shrunk.assign(FList.begin(), FList.end());
            FList.swap(shrunk);
        } else {
            FList.reserve(static_cast<size_t>(NewCapacity));
        }
    });
    FCapacity = NewCapacity;
}

void TList::SetCount(int NewCount) {
    if (NewCount < 0 || NewCount > MaxListSize) Error(SListCountError, NewCount);
    if (NewCount > FCapacity) SetCapacity(NewCount);
    if (NewCount > GetCount())
        FList.resize(static_cast<size_t>(NewCount), nullptr);
    else
        for (int i = GetCount() - 1; i >= NewCount; --i) Delete(i);
}

int TList::Add(void* Item) {
    int index = GetCount();
    Insert(index, Item);
    return index;
}

void TList::Insert(int Index, void* Item) {
    if (Index < 0 || Index > GetCount()) Error(SListIndexError, Index);
    if (GetCount() == FCapacity) Grow();
    FList.insert(FList.begin() + Index, Item);
    if (Item) Notify(Item, lnAdded);
}

void TList::Delete(int Index) {
    CheckIndex(Index);
    void* item = FList[static_cast<size_t>(Index)];
    FList.erase(FList.begin() + Index);
    if (item) Notify(item, lnDeleted);
}

int TList::Remove(void* Item) {
    int index = IndexOf(Item);
    if (index >= 0) Delete(index);
    return index;
}

int TList::IndexOf(void* Item) const {
    auto it = std::find(FList.begin(), FList.end(), Item);
    return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

void* TList::Extract(void* Item) {
    int index = IndexOf(Item);
    if (index < 0) return nullptr;
    FList.erase(FList.begin() + index);
    Notify(Item, lnExtracted);
    return Item;
}

void TList::Exchange(int Index1, int Index2) {
    CheckIndex(Index1);
    CheckIndex(Index2);
    std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
}

void TList::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    if (NewIndex < 0 || NewIndex >= GetCount()) Error(SListIndexError, NewIndex);
    CheckIndex(CurIndex);
    auto first = FList.begin();
    if (CurIndex < NewIndex)
        std::rotate(first + CurIndex, first + CurIndex + 1, first + NewIndex + 1);
    else
        std::rotate(first + NewIndex, first + CurIndex, first + CurIndex + 1);
}

void TList::Clear() {
    SetCount(0);
    SetCapacity(0);
}

void TList::Pack() {
    for (int i = GetCount() - 1; i >= 0; --i)
        if (!FList[static_cast<size_t>(i)]) Delete(i);
}

void* TList::Get(int Index) const {
    CheckIndex(Index);
    return FList[static_cast<size_t>(Index)];
}

void TList::Put(int Index, void* Item) {
    CheckIndex(Index);
    void* old = FList[static_cast<size_t>(Index)];
    if (old == Item) return;
    FList[static_cast<size_t>(Index)] = Item;
    if (old) Notify(old, lnDeleted);
    if (Item) Notify(Item, lnAdded);
}

void TList::Sort(const TListSortCompare& Compare) {
    if (GetCount() < 2 || !Compare) return;
    // Sorted on a copy, so the comparator sees the list unchanged and a throw leaves it so.
    std::vector<void*> items = FList;
    auto compare = [&](int a, int b) { return Compare(items[static_cast<size_t>(a)], items[static_cast<size_t>(b)]); };
    auto exchange = [&](int a, int b) { std::swap(items[static_cast<size_t>(a)], items[static_cast<size_t>(b)]); };
    lumora_detail::SafeQuickSort(0, static_cast<int>(items.size()) - 1, compare, exchange);
    if (static_cast<int>(items.size()) > FCapacity) SetCapacity(static_cast<int>(items.size()));
    FList.swap(items);
    if (static_cast<int>(FList.capacity()) < FCapacity) FList.reserve(static_cast<size_t>(FCapacity));
}
