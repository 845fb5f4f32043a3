#pragma once
// TCollection and TCollectionItem: an owned, ordered list of items of one class, with stable IDs,
// change reporting through the virtual Update and an update bracket.

#include <string>

#include "framework/list.h"
#include "framework/object.h"

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
    LUMORA_CLASS(TCollectionItem, TPersistent)
public:
    // Joins Collection (when given) at its end and takes its next ID. Derived item classes keep
    // this constructor signature so that a collection can create them from its item class.
    explicit TCollectionItem(TCollection* Collection);
    // Leaves the collection, which reports the change (Update(nullptr)).
    ~TCollectionItem() override;

    TCollection* GetCollection() const { return FCollection; }
    // Moves the item to the end of another collection (nullptr: out of any), with a new ID there.
    virtual void SetCollection(TCollection* Value);
    // Unique within the collection and never reused by it.
    Integer GetID() const { return FID; }
    // Position in the collection, -1 outside one.
    int GetIndex() const;
    // Moves the item to position Value and reports a change of all items; a position outside
    // the collection raises EListError "List index out of bounds (%d)".
    virtual void SetIndex(int Value);
    // The class name unless a derived class names its items.
    virtual std::string GetDisplayName() { return ClassName(); }
    virtual void SetDisplayName(const std::string& /*Value*/) { Changed(false); }

protected:
    TPersistent* GetOwner() override;
    // Reports a change to the collection (Update(this), or Update(nullptr) with AllItems), unless
    // the collection is inside an update bracket.
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    Integer FID = 0;
};

class TCollection : public TPersistent {
    LUMORA_CLASS(TCollection, TPersistent)
public:
    // ItemClass must derive from TCollectionItem (else EListError "Invalid property value") and
    // have the (TCollection*) constructor.
    explicit TCollection(TClass ItemClass, TPersistent* Owner = nullptr);
    // Frees the items, the last first, without reporting changes. A derived collection whose items
    // need it whole while they are destroyed calls Clear() in its own destructor.
    ~TCollection() override;

    // A new item of the item class at the end.
    TCollectionItem* Add();
    // A new item moved to position Index.
    TCollectionItem* Insert(int Index);
    // Frees the item at Index.
    void Delete(int Index);
    // Frees every item, the last first, inside one update bracket.
    void Clear();
    // Changes made inside the bracket report nothing; the outermost EndUpdate reports one
    // Update(nullptr).
    virtual void BeginUpdate();
    virtual void EndUpdate();
    int GetUpdateCount() const { return FUpdateCount; }
    // The item with that ID, or nullptr.
    TCollectionItem* FindItemID(Integer ID) const;

    int GetCount() const { return FItems.GetCount(); }
    TClass GetItemClass() const { return FItemClass; }
    // Raises EListError "List index out of bounds (%d)" outside 0..Count-1.
    TCollectionItem* GetItem(int Index) const;
    // Assigns Value to the item at Index.
    void SetItem(int Index, TCollectionItem* Value);
    TPersistent* GetOwner() override { return FOwner; }

    // From another collection: clears this one and adds one item per source item, assigned from
    // it (the item class must implement Assign), inside one update bracket.
    void Assign(TPersistent* Source) override;

protected:
    // Called for every change: Item is the changed item, or nullptr when the change concerns the
    // whole collection (items added, removed, moved; the end of an update bracket).
    virtual void Update(TCollectionItem* /*Item*/) {}
    // cnAdded arrives from the item's base constructor, before the derived parts exist.
    virtual void Notify(TCollectionItem* /*Item*/, TCollectionNotification /*Action*/) {}
    // Update(nullptr) unless inside an update bracket.
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);

    TClass FItemClass;
    TPersistent* FOwner;
    TList FItems;
    int FUpdateCount = 0;
    Integer FNextID = 0;
};
