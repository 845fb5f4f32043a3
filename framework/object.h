#pragma once
// The root of the object model: TObject with class references and virtual constructors, and
// TPersistent with the Assign protocol.

#include <string>
#include <type_traits>

#include "framework/exceptions.h"
#include "framework/types.h"

class TObject;
class TComponent;
class TCollection;

// A class reference (the framework's metaclass). Every class declared with LUMORA_CLASS has one.
struct TClassInfo {
    const char* Name;
    const TClassInfo* Parent;
    // The virtual constructor: creates an instance of exactly this class. Components receive the
    // owner and collection items their collection; other classes ignore the argument. Null for
    // abstract classes and classes without a usable constructor.
    TObject* (*NewInstance)(TObject* ownerArg);

    bool InheritsFrom(const TClassInfo* other) const {
        for (const TClassInfo* c = this; c; c = c->Parent)
            if (c == other) return true;
        return false;
    }
};
using TClass = const TClassInfo*;

namespace lumora_detail {
TComponent* AsComponent(TObject* o);    // defined with TComponent
TCollection* AsCollection(TObject* o);  // defined with TCollection

template <class C>
TObject* CreateInstance(TObject* arg) {
    if constexpr (std::is_abstract_v<C>) {
        return nullptr;
    } else if constexpr (std::is_constructible_v<C, TComponent*>) {
        return new C(AsComponent(arg));
    } else if constexpr (std::is_constructible_v<C, TCollection*>) {
        return new C(AsCollection(arg));
    } else if constexpr (std::is_default_constructible_v<C>) {
        return new C();
    } else {
        return nullptr;
    }
}
}  // namespace lumora_detail

// Put inside the body of every class derived from TObject, with its direct base.
#define LUMORA_CLASS(Class, Base)                                                               \
public:                                                                                         \
    static TClass StaticClass() {                                                               \
        static const TClassInfo info{#Class, Base::StaticClass(),                              \
                                     &lumora_detail::CreateInstance<Class>};                   \
        return &info;                                                                           \
    }                                                                                           \
    TClass ClassType() const override { return StaticClass(); }                                 \
                                                                                                \
private:

class TObject {
public:
    TObject() = default;
    virtual ~TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    static TClass StaticClass() {
        static const TClassInfo info{"TObject", nullptr, &lumora_detail::CreateInstance<TObject>};
        return &info;
    }
    virtual TClass ClassType() const { return StaticClass(); }
    std::string ClassName() const { return ClassType()->Name; }
    bool InheritsFrom(TClass c) const { return ClassType()->InheritsFrom(c); }
    template <class T>
    bool Is() const { return InheritsFrom(T::StaticClass()); }

    // Runs after the constructor when the object is made through Create() or a class reference.
    virtual void AfterConstruction() {}
    // Runs while the object is still whole, before its destructor.
    virtual void BeforeDestruction() {}
    // Destroys the object: BeforeDestruction, then the destructor.
    void Free() {
        BeforeDestruction();
        delete this;
    }
};

// Creates an object and runs AfterConstruction, as the framework's constructors do.
template <class T, class... Args>
T* Create(Args&&... args) {
    T* obj = new T(std::forward<Args>(args)...);
    obj->AfterConstruction();
    return obj;
}

// Creates an instance of the class a reference names (the virtual constructor).
TObject* CreateFromClass(TClass cls, TObject* ownerArg = nullptr);

// Frees an object that may be null.
inline void FreeObject(TObject* obj) {
    if (obj) obj->Free();
}

template <class T>
void FreeAndNil(T*& obj) {
    T* tmp = obj;
    obj = nullptr;
    if (tmp) tmp->Free();
}

class TPersistent : public TObject {
    LUMORA_CLASS(TPersistent, TObject)
public:
    // Copies Source into this object; classes that cannot take it defer to Source->AssignTo.
    virtual void Assign(TPersistent* Source);
    virtual std::string GetNamePath();

protected:
    virtual void AssignTo(TPersistent* Dest);
    virtual TPersistent* GetOwner() { return nullptr; }
    // Raises EConvertError "Cannot assign a <source> to a <this>".
    [[noreturn]] void AssignError(TPersistent* Source);
};
