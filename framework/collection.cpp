#include "framework/collection.h"

namespace lumora_detail {
TCollection* AsCollection(TObject* o) {
    if (!o) return nullptr;
    if (auto* c = dynamic_cast<TCollection*>(o)) return c;
    throw EInvalidCast("Invalid class typecast");
}
}  // namespace lumora_detail

// ---- TCollectionItem -------------------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* Collection) {
    SetCollection(Collection);
}

TCollectionItem::~TCollectionItem() {
    if (FCollection) FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value) {
    if (FCollection == Value) return;
    if (FCollection) FCollection->RemoveItem(this);
    if (Value) Value->InsertItem(this);
}

int TCollectionItem::GetIndex() const {
    return FCollection ? FCollection->FItems.IndexOf(const_cast<TCollectionItem*>(this)) : -1;
}

void TCollectionItem::SetIndex(int Value) {
    int cur = GetIndex();
    if (cur < 0 || cur == Value) return;
    FCollection->FItems.Move(cur, Value);
    Changed(true);
}

TPersistent* TCollectionItem::GetOwner() {
    return FCollection;
}

void TCollectionItem::Changed(bool AllItems) {
    if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

// ---- TCollection -----------------------------------------------------------------------------

TCollection::TCollection(TClass ItemClass, TPersistent* Owner) : FItemClass(ItemClass), FOwner(Owner) {
    if (!FItemClass || !FItemClass->InheritsFrom(TCollectionItem::StaticClass()))
        TList::Error("Invalid property value", 0);
}

TCollection::~TCollection() {
    FUpdateCount = 1;
    while (GetCount() > 0) static_cast<TCollectionItem*>(FItems.Last())->Free();
}

void TCollection::InsertItem(TCollectionItem* Item) {
    FItems.Add(Item);
    Item->FCollection = this;
    Item->FID = FNextID++;
    Notify(Item, cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
    Notify(Item, cnExtracting);
    FItems.Remove(Item);
    Item->FCollection = nullptr;
    Changed();
}

TCollectionItem* TCollection::Add() {
    return static_cast<TCollectionItem*>(CreateFromClass(FItemClass, this));
}

TCollectionItem* TCollection::Insert(int Index) {
    TCollectionItem* item = Add();
    item->SetIndex(Index);
    return item;
}

void TCollection::Delete(int Index) {
    TCollectionItem* item = GetItem(Index);
    Notify(item, cnDeleting);
    item->Free();
}

void TCollection::Clear() {
    if (GetCount() == 0) return;
    BeginUpdate();
    try {
        while (GetCount() > 0) static_cast<TCollectionItem*>(FItems.Last())->Free();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCollection::BeginUpdate() {
    ++FUpdateCount;
}

void TCollection::EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
    Changed();
}

void TCollection::Changed() {
    if (FUpdateCount == 0) Update(nullptr);
}

TCollectionItem* TCollection::FindItemID(Integer ID) const {
    for (int i = 0; i < GetCount(); ++i) {
        auto* item = static_cast<TCollectionItem*>(FItems.Get(i));
        if (item->FID == ID) return item;
    }
    return nullptr;
}

TCollectionItem* TCollection::GetItem(int Index) const {
    return static_cast<TCollectionItem*>(FItems.Get(Index));
}

void TCollection::SetItem(int Index, TCollectionItem* Value) {
    GetItem(Index)->Assign(Value);
}

void TCollection::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TCollection*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    BeginUpdate();
    try {
        Clear();
        for (int i = 0; i < source->GetCount(); ++i) Add()->Assign(source->GetItem(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}
