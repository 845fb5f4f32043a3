#pragma once
// TList: a list of untyped pointers with the framework's index checks, growth and quicksort.

#include <functional>
#include <string>
#include <vector>

#include "framework/object.h"

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

// Compares two items: negative when Item1 sorts first, 0 when equal, positive otherwise.
using TListSortCompare = std::function<int(void* Item1, void* Item2)>;

constexpr int MaxListSize = 0x7FFFFFFF / 16;

namespace lumora_detail {

// The framework's quicksort over positions L..R, made safe for any comparator. Compare(i, p)
// compares the items at two positions; Exchange(i, j) swaps two positions (the only way items
// move, so the items stay a permutation whatever Compare answers or throws). Every position
// handed to either call lies in L..R, the work ends after finitely many comparisons, and the
// recursion depth stays logarithmic: a comparator that lies or contradicts itself only leaves
// the order unspecified.
template <class Compare, class Exchange>
void SafeQuickSort(int L, int R, Compare& compare, Exchange& exchange) {
    while (L < R) {
        int i = L;
        int j = R;
        int p = L + (R - L) / 2;
        do {
            while (i < R && compare(i, p) < 0) ++i;
            while (j > L && compare(j, p) > 0) --j;
            if (i <= j) {
                if (i != j) {
                    exchange(i, j);
                    if (p == i)
                        p = j;
                    else if (p == j)
                        p = i;
                }
                ++i;
                --j;
            }
        } while (i <= j);
        // L..j and i..R are left, both smaller than L..R: recurse into the smaller one.
        if (j - L < R - i) {
            if (L < j) SafeQuickSort(L, j, compare, exchange);
            L = i;
        } else {
            if (i < R) SafeQuickSort(i, R, compare, exchange);
            R = j;
        }
    }
}

}  // namespace lumora_detail

class TList : public TObject {
    LUMORA_CLASS(TList, TObject)
public:
    TList() = default;
    ~TList() override;

    // Index errors raise EListError "List index out of bounds (%d)" with the offending index.
    int Add(void* Item);
    void Insert(int Index, void* Item);  // Index 0..Count
    void Delete(int Index);
    // Deletes the first occurrence of Item; its former index, or -1.
    int Remove(void* Item);
    int IndexOf(void* Item) const;
    // Takes the first occurrence of Item out of the list (lnExtracted); Item, or nullptr.
    void* Extract(void* Item);
    void Exchange(int Index1, int Index2);
    void Move(int CurIndex, int NewIndex);
    virtual void Clear();
    // Removes the nil items.
    void Pack();
    // Sorts with the framework's quicksort (not stable). The comparator may lie, contradict
    // itself or throw: no item is lost or doubled. A comparator that throws leaves the list
    // as it was; changes the comparator makes to the list itself are overwritten.
    void Sort(const TListSortCompare& Compare);
    // Makes room for one more item when the list is full.
    TList* Expand();

    void* Get(int Index) const;
    void Put(int Index, void* Item);
    void* First() const { return Get(0); }
    void* Last() const { return Get(GetCount() - 1); }
    int GetCount() const { return static_cast<int>(FList.size()); }
    // Growing fills with nullptr; shrinking deletes from the end. "List count out of bounds (%d)".
    void SetCount(int NewCount);
    int GetCapacity() const { return FCapacity; }
    // At least Count. "List capacity out of bounds (%d)".
    void SetCapacity(int NewCapacity);

    // Raises EListError with Msg, its "%d" replaced by Data.
    [[noreturn]] static void Error(const std::string& Msg, int Data);

protected:
    virtual void Grow();
    // Called after an item enters (lnAdded) or leaves the list (lnExtracted, lnDeleted); nil
    // items are not reported.
    virtual void Notify(void* /*Ptr*/, TListNotification /*Action*/) {}

private:
    void CheckIndex(int Index) const;

    std::vector<void*> FList;
    int FCapacity = 0;
};
