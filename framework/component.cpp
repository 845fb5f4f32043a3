#include "framework/component.h"

#include <algorithm>
#include <mutex>

#include "framework/list.h"
#include "framework/sysutils.h"

namespace {

// The loading bracket that components created on this thread join.
thread_local TLoadingBracket* tOpenBracket = nullptr;

}  // namespace

bool IsValidIdent(const std::string& Ident) {
    auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (Ident.empty() || !alpha(Ident[0])) return false;
    for (char c : Ident)
        if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
    return true;
}

namespace lumora_detail {
TComponent* AsComponent(TObject* o) {
    if (!o) return nullptr;
    if (auto* c = dynamic_cast<TComponent*>(o)) return c;
    throw EInvalidCast("Invalid class typecast");
}
}  // namespace lumora_detail

// ---- TComponent ------------------------------------------------------------------------------

TComponent::TComponent(TComponent* AOwner) {
    if (tOpenBracket) tOpenBracket->Add(this);
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    if (!FComponentState.Contains(csDestroying)) Destroying();
    NotifyRemoval();
    DestroyComponents();
    if (FOwner) FOwner->Detach(this);
    if (FLoadingBracket) FLoadingBracket->Forget(this);
    // Links made while the component was already being destroyed.
    while (!FFreeNotifies.empty()) {
        TComponent* c = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        c->RemoveNotification(this);
        c->Notification(this, opRemove);
    }
}

void TComponent::BeforeDestruction() {
    if (!FComponentState.Contains(csDestroying)) Destroying();
    NotifyRemoval();
}

void TComponent::NotifyRemoval() {
    if (FRemovalNotified) return;
    FRemovalNotified = true;
    while (!FFreeNotifies.empty()) {
        TComponent* c = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        c->RemoveNotification(this);
        c->Notification(this, opRemove);
    }
    if (FOwner) FOwner->Notification(this, opRemove);
}

void TComponent::Destroying() {
    if (FComponentState.Contains(csDestroying)) return;
    FComponentState.Include(csDestroying);
    for (size_t i = 0; i < FComponents.size(); ++i) FComponents[i]->Destroying();
}

void TComponent::DestroyComponents() {
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        // Only a component that others watch is announced; the rest leave silently.
        if (c->FComponentState.Contains(csFreeNotification))
            RemoveComponent(c);
        else
            Detach(c);
        c->Free();
    }
}

TComponent* TComponent::GetComponent(int Index) const {
    if (Index < 0 || Index >= GetComponentCount()) TList::Error("List index out of bounds (%d)", Index);
    return FComponents[static_cast<size_t>(Index)];
}

int TComponent::GetComponentIndex() const {
    if (!FOwner) return -1;
    auto& list = FOwner->FComponents;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TComponent::SetComponentIndex(int Value) {
    int cur = GetComponentIndex();
    if (cur < 0) return;
    auto& list = FOwner->FComponents;
    int count = static_cast<int>(list.size());
    Value = std::clamp(Value, 0, count - 1);
    if (Value == cur) return;
    list.erase(list.begin() + cur);
    list.insert(list.begin() + Value, this);
}

TComponent* TComponent::FindComponent(const std::string& AName) const {
    if (AName.empty()) return nullptr;
    for (TComponent* c : FComponents)
        if (SameText(c->FName, AName)) return c;
    return nullptr;
}

void TComponent::SetName(const std::string& NewName) {
    if (FName == NewName) return;
    if (!NewName.empty() && !IsValidIdent(NewName))
        throw EComponentError("'" + NewName + "' is not a valid component name");
    if (FOwner)
        FOwner->ValidateRename(this, FName, NewName);
    else
        ValidateRename(nullptr, FName, NewName);
    ChangeName(NewName);
}

void TComponent::ValidateRename(TComponent* AComponent, const std::string& CurName, const std::string& NewName) {
    if (!AComponent || SameText(CurName, NewName)) return;
    TComponent* other = FindComponent(NewName);
    if (other && other != AComponent)
        throw EComponentError("A component named " + NewName + " already exists");
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->FOwner == this) return;
    ValidateRename(AComponent, "", AComponent->FName);
    if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
    FComponents.push_back(AComponent);
    AComponent->FOwner = this;
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->FOwner != this) return;
    Notification(AComponent, opRemove);
    if (AComponent->FOwner == this) Detach(AComponent);
}

void TComponent::Detach(TComponent* AComponent) {
    auto it = std::find(FComponents.begin(), FComponents.end(), AComponent);
    if (it != FComponents.end()) FComponents.erase(it);
    AComponent->FOwner = nullptr;
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    if (!FOwner || AComponent->FOwner != FOwner) {
        if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
            FFreeNotifies.push_back(AComponent);
            AComponent->FreeNotification(this);
        }
    }
    FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (!AComponent) return;
    RemoveNotification(AComponent);
    AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
    auto it = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent);
    if (it != FFreeNotifies.end()) FFreeNotifies.erase(it);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
    // A handler may free components of this owner: keep the index inside the list.
    int i = GetComponentCount() - 1;
    while (i >= 0) {
        FComponents[static_cast<size_t>(i)]->Notification(AComponent, Operation);
        --i;
        if (i >= GetComponentCount()) i = GetComponentCount() - 1;
    }
}

void TComponent::Loaded() {
    FComponentState.Exclude(csLoading);
}

// ---- TLoadingBracket -------------------------------------------------------------------------

TLoadingBracket::TLoadingBracket(TComponent* Root) : FOuter(tOpenBracket) {
    tOpenBracket = this;
    Add(Root);
}

TLoadingBracket::~TLoadingBracket() {
    Close();
    Abandon(0);
}

void TLoadingBracket::Add(TComponent* AComponent) {
    if (!FOpen || !AComponent || AComponent->FLoadingBracket) return;
    AComponent->FLoadingBracket = this;
    AComponent->FComponentState.Include(csLoading).Include(csReading);
    FMembers.push_back(AComponent);
}

void TLoadingBracket::Close() {
    if (!FOpen) return;
    FOpen = false;
    if (tOpenBracket == this) {
        tOpenBracket = FOuter;
        return;
    }
    // Ended out of order: unlink it from the chain of brackets still open.
    for (TLoadingBracket* b = tOpenBracket; b; b = b->FOuter)
        if (b->FOuter == this) {
            b->FOuter = FOuter;
            break;
        }
}

void TLoadingBracket::End() {
    if (!FOpen) return;
    Close();
    for (TComponent* c : FMembers)
        if (c) c->FComponentState.Exclude(csReading);
    for (size_t i = 0; i < FMembers.size(); ++i) {
        TComponent* c = FMembers[i];
        if (!c) continue;
        FMembers[i] = nullptr;
        c->FLoadingBracket = nullptr;
        try {
            c->Loaded();
        } catch (...) {
            Abandon(i + 1);
            throw;
        }
    }
    FMembers.clear();
}

void TLoadingBracket::Forget(TComponent* AComponent) {
    std::replace(FMembers.begin(), FMembers.end(), AComponent, static_cast<TComponent*>(nullptr));
    AComponent->FLoadingBracket = nullptr;
}

void TLoadingBracket::Abandon(size_t From) {
    for (size_t i = From; i < FMembers.size(); ++i) {
        if (TComponent* c = FMembers[i]) {
            c->FLoadingBracket = nullptr;
            c->FComponentState.Exclude(csLoading).Exclude(csReading);
        }
    }
    FMembers.clear();
}

// ---- class registry --------------------------------------------------------------------------

namespace {

struct ClassRegistry {
    std::mutex Lock;
    std::vector<TClass> Classes;

    TClass Find(const std::string& name) const {
        for (TClass c : Classes)
            if (SameText(c->Name, name)) return c;
        return nullptr;
    }
};

ClassRegistry& Registry() {
    static ClassRegistry registry;
    return registry;
}

}  // namespace

void RegisterClass(TClass AClass) {
    ClassRegistry& reg = Registry();
    std::lock_guard<std::mutex> lock(reg.Lock);
    while (AClass && std::find(reg.Classes.begin(), reg.Classes.end(), AClass) == reg.Classes.end()) {
        if (reg.Find(AClass->Name))
            throw EFilerError(std::string("A class named ") + AClass->Name + " already exists");
        reg.Classes.push_back(AClass);
        if (AClass == TPersistent::StaticClass()) break;
        AClass = AClass->Parent;
    }
}

void RegisterClasses(std::initializer_list<TClass> AClasses) {
    for (TClass c : AClasses) RegisterClass(c);
}

void UnRegisterClass(TClass AClass) {
    ClassRegistry& reg = Registry();
    std::lock_guard<std::mutex> lock(reg.Lock);
    reg.Classes.erase(std::remove(reg.Classes.begin(), reg.Classes.end(), AClass), reg.Classes.end());
}

TClass GetClass(const std::string& AClassName) {
    ClassRegistry& reg = Registry();
    std::lock_guard<std::mutex> lock(reg.Lock);
    return reg.Find(AClassName);
}

TClass FindClass(const std::string& AClassName) {
    TClass c = GetClass(AClassName);
    if (!c) throw EClassNotFound("Class " + AClassName + " not found");
    return c;
}
