#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/collection.h"

namespace {

class TBand : public TCollectionItem {
    LUMORA_CLASS(TBand, TCollectionItem)
public:
    explicit TBand(TCollection* Collection) : TCollectionItem(Collection) {}
    std::string Caption;
    void SetCaption(const std::string& Value) {
        Caption = Value;
        Changed(false);
    }
    void Assign(TPersistent* Source) override {
        if (auto* b = dynamic_cast<TBand*>(Source)) {
            SetCaption(b->Caption);
            return;
        }
        TCollectionItem::Assign(Source);
    }
    std::string GetDisplayName() override { return Caption.empty() ? TCollectionItem::GetDisplayName() : Caption; }
};

class TWideBand : public TBand {
    LUMORA_CLASS(TWideBand, TBand)
public:
    using TBand::TBand;
};

// Records every Update: "*" for the whole collection, else the caption of the item.
class TBands : public TCollection {
    LUMORA_CLASS(TBands, TCollection)
public:
    explicit TBands(TPersistent* Owner = nullptr, TClass cls = TBand::StaticClass()) : TCollection(cls, Owner) {}
    std::vector<std::string> Updates;
    TBand* Band(int i) const { return static_cast<TBand*>(GetItem(i)); }
    std::string Captions() const {
        std::string s;
        for (int i = 0; i < GetCount(); ++i) s += Band(i)->Caption + (i + 1 < GetCount() ? "," : "");
        return s;
    }

protected:
    void Update(TCollectionItem* Item) override {
        Updates.push_back(Item ? static_cast<TBand*>(Item)->Caption : "*");
    }
};

TBands* MakeBands(std::initializer_list<const char*> captions) {
    auto* bands = new TBands;
    for (const char* c : captions) static_cast<TBand*>(bands->Add())->Caption = c;
    bands->Updates.clear();
    return bands;
}

using Updates = std::vector<std::string>;

}  // namespace

TEST(Collection, ItemsIdsAndIndexes) {
    std::unique_ptr<TBands> bands(MakeBands({"a", "b", "c"}));
    EXPECT_EQ(bands->GetCount(), 3);
    EXPECT_EQ(bands->Band(2)->GetID(), 2);
    EXPECT_EQ(bands->Band(1)->GetIndex(), 1);
    EXPECT_EQ(bands->Band(0)->GetCollection(), bands.get());

    bands->Delete(0);
    TBand* d = static_cast<TBand*>(bands->Add());  // IDs are never reused
    d->Caption = "d";
    EXPECT_EQ(d->GetID(), 3);
    EXPECT_EQ(bands->FindItemID(2), bands->Band(1));
    EXPECT_EQ(bands->FindItemID(0), nullptr);
    EXPECT_EQ(bands->Updates, (Updates{"*", "*"}));  // removal and addition concern all items

    bands->Updates.clear();
    bands->Band(2)->SetIndex(0);  // moves
    EXPECT_EQ(bands->Captions(), "d,b,c");
    EXPECT_EQ(bands->Updates, (Updates{"*"}));
    try {
        bands->Band(0)->SetIndex(3);
        ADD_FAILURE();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message, "List index out of bounds (3)");
    }
    EXPECT_EQ(bands->Captions(), "d,b,c");
    EXPECT_THROW(bands->GetItem(3), EListError);

    TBand* e = static_cast<TBand*>(bands->Insert(1));
    e->Caption = "e";
    EXPECT_EQ(bands->Captions(), "d,e,b,c");

    // Freeing an item takes it out.
    bands->Band(0)->Free();
    EXPECT_EQ(bands->Captions(), "e,b,c");
    EXPECT_EQ(bands->Band(0)->GetDisplayName(), "e");
    bands->Band(0)->Caption.clear();
    EXPECT_EQ(bands->Band(0)->GetDisplayName(), "TBand");
}

TEST(Collection, ChangesAndTheUpdateBracket) {
    std::unique_ptr<TBands> bands(MakeBands({"a", "b"}));
    bands->Band(1)->SetCaption("B");
    EXPECT_EQ(bands->Updates, (Updates{"B"}));  // one item changed

    bands->Updates.clear();
    bands->BeginUpdate();
    bands->BeginUpdate();
    bands->Band(0)->SetCaption("A");
    bands->Add();
    bands->Delete(2);
    bands->Band(1)->SetIndex(0);
    bands->EndUpdate();
    EXPECT_TRUE(bands->Updates.empty());
    EXPECT_EQ(bands->GetUpdateCount(), 1);
    bands->EndUpdate();
    EXPECT_EQ(bands->Updates, (Updates{"*"}));  // one report at the end

    bands->Updates.clear();
    bands->Clear();
    EXPECT_EQ(bands->GetCount(), 0);
    EXPECT_EQ(bands->Updates, (Updates{"*"}));
}

TEST(Collection, AssignItemClassesAndOwners) {
    std::unique_ptr<TBands> source(MakeBands({"x", "y", "z"}));
    TPersistent owner;
    TBands target(&owner, TWideBand::StaticClass());
    EXPECT_EQ(target.GetOwner(), &owner);
    target.Add();
    target.Updates.clear();
    target.Assign(source.get());
    EXPECT_EQ(target.Captions(), "x,y,z");
    EXPECT_EQ(target.Band(0)->ClassName(), "TWideBand");  // the target's item class
    EXPECT_EQ(target.Band(0)->GetID(), 1);
    EXPECT_EQ(target.Updates, (Updates{"*"}));
    TPersistent notACollection;
    EXPECT_THROW(target.Assign(&notACollection), EConvertError);

    // An item moves between collections and gets an ID there.
    TBand* y = source->Band(1);
    y->SetCollection(&target);
    EXPECT_EQ(source->Captions(), "x,z");
    EXPECT_EQ(target.Captions(), "x,y,z,y");
    EXPECT_EQ(y->GetID(), 4);
    y->SetCollection(nullptr);
    EXPECT_EQ(y->GetIndex(), -1);
    y->Free();

    // Items must be collection items.
    EXPECT_THROW(TCollection c(TPersistent::StaticClass()), EListError);
}

TEST(Collection, DestructionFreesTheItemsLastFirst) {
    auto* bands = MakeBands({"a", "b"});
    static std::vector<std::string> freed;
    struct TTracked : TBand {
        using TBand::TBand;
        ~TTracked() override { freed.push_back(Caption); }
    };
    (new TTracked(bands))->Caption = "t1";
    (new TTracked(bands))->Caption = "t2";
    bands->Free();
    EXPECT_EQ(freed, (std::vector<std::string>{"t2", "t1"}));
}
