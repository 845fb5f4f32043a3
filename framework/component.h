#pragma once
// TComponent: the owned, named building block of forms and data modules, its notifications, the
// loading bracket that builds a component tree in code, and the class registry.

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "framework/object.h"

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag {
    csLoading,           // between creation inside a loading bracket and Loaded
    csReading,           // while the loading bracket that created it is open
    csWriting,
    csDestroying,        // from BeforeDestruction (or the owner's) on
    csDesigning,         // never set: there is no form designer
    csAncestor,
    csUpdating,          // between Updating and Updated
    csFixups,
    csFreeNotification,  // some component asked to hear when this one is freed
    csInline,
    csDesignInstance,
};
using TComponentState = TSet<TComponentStateFlag>;

class TLoadingBracket;

// True when Ident is a Pascal identifier: a letter or "_" followed by letters, digits and "_".
bool IsValidIdent(const std::string& Ident);

class TComponent : public TPersistent {
    LUMORA_CLASS(TComponent, TPersistent)
public:
    // Creates the component and, with an owner, inserts it into the owner's components: the owner
    // then frees it, and the owner (and everything the owner owns) gets Notification(opInsert).
    explicit TComponent(TComponent* AOwner);
    // Components are destroyed with Free(). Destruction: csDestroying on this component and
    // everything it owns; every component that asked for a free notification gets
    // Notification(this, opRemove), the last to ask first; the owner gets Notification(this,
    // opRemove) (and passes it on to all it owns); then, after the destructors of the derived
    // classes, the owned components are freed, the last created first. With Free() the
    // notifications go out while the object is still whole; a bare delete sends them from this
    // destructor.
    ~TComponent() override;
    void BeforeDestruction() override;

    // The owner (covariant with TPersistent::GetOwner).
    TComponent* GetOwner() override { return FOwner; }
    const std::string& GetName() const { return FName; }
    // Raises EComponentError "'X' is not a valid component name" for a non-empty name that is not
    // an identifier, and "A component named X already exists" when a sibling has the name
    // (compared without regard to case). Empty names never clash.
    virtual void SetName(const std::string& NewName);
    Integer GetTag() const { return FTag; }
    void SetTag(Integer Value) { FTag = Value; }
    TComponentState GetComponentState() const { return FComponentState; }

    // The owned components in creation order (order changes only through SetComponentIndex).
    int GetComponentCount() const { return static_cast<int>(FComponents.size()); }
    // Raises EListError "List index out of bounds (%d)" outside 0..ComponentCount-1.
    TComponent* GetComponent(int Index) const;
    int GetComponentIndex() const;
    void SetComponentIndex(int Value);
    // The owned component with that name (compared without regard to case), or nullptr.
    TComponent* FindComponent(const std::string& AName) const;

    // Takes AComponent into this component's ownership (out of its previous owner's), checking
    // that its name is unique here; then Notification(AComponent, opInsert).
    void InsertComponent(TComponent* AComponent);
    // Notification(AComponent, opRemove), then releases it from this owner (it is not freed).
    void RemoveComponent(TComponent* AComponent);
    // Frees every owned component, the last created first.
    void DestroyComponents();
    // Sets csDestroying on this component and, recursively, on everything it owns.
    void Destroying();

    // Asks AComponent to call this->Notification(AComponent, opRemove) when it is freed, and the
    // other way round (the link is two-way). Siblings under one owner are told through the owner
    // instead, so no link is stored between them.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Called when AComponent is inserted into or removed from this component's owner tree, or
    // when a component this one asked about is freed. The base clears the free-notification link
    // on opRemove and passes the call on to every owned component (the last created first).
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    // Called once the loading bracket that created the component has built the whole tree; the
    // base clears csLoading. Overrides call the base first.
    virtual void Loaded();
    void Updating() { FComponentState.Include(csUpdating); }
    void Updated() { FComponentState.Exclude(csUpdating); }

    // Parent-component protocol (controls and columns have a parent besides their owner).
    virtual TComponent* GetParentComponent() { return nullptr; }
    virtual bool HasParent() { return false; }
    virtual void SetParentComponent(TComponent* /*Value*/) {}
    // Calls Proc for each child that would be stored with this component.
    virtual void GetChildren(const std::function<void(TComponent*)>& /*Proc*/, TComponent* /*Root*/) {}

    std::string GetNamePath() override { return FName; }

protected:
    // Raises EComponentError when AComponent (owned here) may not be renamed from CurName to
    // NewName because another owned component has that name.
    virtual void ValidateRename(TComponent* AComponent, const std::string& CurName, const std::string& NewName);
    // Stores the name without any check.
    void ChangeName(const std::string& NewName) { FName = NewName; }

private:
    friend class TLoadingBracket;
    void NotifyRemoval();
    void RemoveNotification(TComponent* AComponent);
    void Detach(TComponent* AComponent);

    TComponent* FOwner = nullptr;
    std::string FName;
    Integer FTag = 0;
    TComponentState FComponentState;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    TLoadingBracket* FLoadingBracket = nullptr;
    bool FRemovalNotified = false;
};

// The loading bracket builds a component tree in code the way streaming a form resource does.
//
//     TLoadingBracket loading(Form);      // Form joins the bracket (gets csLoading, csReading)
//     auto* b = new TButton(Form);        // every component created now joins it as well
//     b->SetCaption("OK");                // setters see csLoading and may defer their work
//     loading.End();                      // csReading cleared on all, then Loaded on each
//
// or, the same in one call: BuildComponents(Form, [&] { ... });
//
// While a bracket is open on a thread, every component created on that thread joins the
// innermost open bracket: it gets csLoading and csReading from its constructor on. End() closes
// the bracket (components created later, for instance inside Loaded, do not join), clears
// csReading on every member and then calls Loaded on each member, in the order they joined
// (the root first, then creation order); TComponent::Loaded clears csLoading. A member freed
// before its turn is skipped. If a Loaded call raises, the members after it leave the bracket
// without Loaded (csLoading cleared) and the exception goes on. A bracket destroyed without
// End() (the building code raised) clears both flags on its members and calls no Loaded; freeing
// the half-built tree is left to its owner.
class TLoadingBracket {
public:
    explicit TLoadingBracket(TComponent* Root = nullptr);
    ~TLoadingBracket();
    TLoadingBracket(const TLoadingBracket&) = delete;
    TLoadingBracket& operator=(const TLoadingBracket&) = delete;

    // Makes an existing component a member (no effect when it already belongs to a bracket).
    void Add(TComponent* AComponent);
    void End();
    bool IsOpen() const { return FOpen; }

private:
    friend class TComponent;
    void Close();
    void Forget(TComponent* AComponent);
    void Abandon(size_t From);

    std::vector<TComponent*> FMembers;
    TLoadingBracket* FOuter = nullptr;
    bool FOpen = true;
};

// Runs Build inside a loading bracket rooted at Root and ends the bracket (see TLoadingBracket).
template <class F>
void BuildComponents(TComponent* Root, F&& Build) {
    TLoadingBracket bracket(Root);
    std::forward<F>(Build)();
    bracket.End();
}

// The class registry: classes found by name, for class references stored as text.
// RegisterClass also registers the ancestors of the class; registering a class twice is allowed,
// a different class under a registered name raises EFilerError "A class named %s already exists".
void RegisterClass(TClass AClass);
void RegisterClasses(std::initializer_list<TClass> AClasses);
void UnRegisterClass(TClass AClass);
// The registered class with that name (compared without regard to case), or nullptr.
TClass GetClass(const std::string& AClassName);
// The same, but raises EClassNotFound "Class %s not found".
TClass FindClass(const std::string& AClassName);
