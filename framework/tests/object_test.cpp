#include <gtest/gtest.h>

#include "framework/object.h"

namespace {

std::string g_log;

class TShape : public TPersistent {
    LUMORA_CLASS(TShape, TPersistent)
public:
    int Sides = 0;
    void AfterConstruction() override { g_log += "after;"; }
    void BeforeDestruction() override { g_log += "before(" + std::to_string(Sides) + ");"; }
    ~TShape() override { g_log += "dtor;"; }
    void Assign(TPersistent* Source) override {
        if (auto* s = dynamic_cast<TShape*>(Source)) {
            Sides = s->Sides;
            return;
        }
        TPersistent::Assign(Source);
    }
};

class TSquare : public TShape {
    LUMORA_CLASS(TSquare, TShape)
public:
    TSquare() { Sides = 4; }
};

class TOther : public TPersistent {
    LUMORA_CLASS(TOther, TPersistent)
};

}  // namespace

TEST(ObjectModel, ClassReferencesAndVirtualConstructor) {
    TClass cls = TSquare::StaticClass();
    EXPECT_STREQ(cls->Name, "TSquare");
    EXPECT_TRUE(cls->InheritsFrom(TShape::StaticClass()));
    EXPECT_TRUE(cls->InheritsFrom(TObject::StaticClass()));
    EXPECT_FALSE(TShape::StaticClass()->InheritsFrom(cls));

    g_log.clear();
    TObject* obj = CreateFromClass(cls);
    EXPECT_EQ(obj->ClassName(), "TSquare");
    EXPECT_EQ(static_cast<TShape*>(obj)->Sides, 4);
    EXPECT_EQ(g_log, "after;");
    obj->Free();
    EXPECT_EQ(g_log, "after;before(4);dtor;");
}

TEST(ObjectModel, AssignAndAssignError) {
    TSquare a;
    TShape b;
    b.Assign(&a);
    EXPECT_EQ(b.Sides, 4);
    TOther other;
    try {
        b.Assign(&other);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "Cannot assign a TOther to a TShape");
    }
    EXPECT_THROW(b.Assign(nullptr), EConvertError);
}
