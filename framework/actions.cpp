#include "framework/actions.h"

#include <algorithm>
#include <unordered_set>

#include "framework/clipboard.h"
#include "framework/forms.h"
#include "framework/image_list.h"
#include "framework/list.h"
#include "framework/menus.h"
#include "framework/window_backend.h"

using lumora_detail::IsLiveControl;

namespace {

// The action lists alive, in creation order.
std::vector<TCustomActionList*>& Lists() {
    static std::vector<TCustomActionList*> v;
    return v;
}

std::unordered_set<const TBasicAction*>& LiveActions() {
    static std::unordered_set<const TBasicAction*> s;
    return s;
}

bool IsLiveList(TCustomActionList* List) { return std::find(Lists().begin(), Lists().end(), List) != Lists().end(); }

// The form that owns the component, through its owners (nullptr: none).
TCustomForm* OwnerForm(TComponent* Component) {
    for (TComponent* c = Component ? Component->GetOwner() : nullptr; c; c = c->GetOwner())
        if (auto* f = dynamic_cast<TCustomForm*>(c)) return f;
    return nullptr;
}

// A list serves its form while the form is shown and takes input; a list no form owns serves
// every form.
bool ListServes(TCustomActionList* List, TCustomForm* Form) {
    TCustomForm* owner = OwnerForm(List);
    return !owner || owner == Form;
}

bool ListIsActive(TCustomActionList* List) {
    TCustomForm* owner = OwnerForm(List);
    if (!owner) return true;
    return owner->IsShowing() && owner->GetEnabled() && lumora_detail::AcceptsInput(owner);
}

void UpdateAllLists() {
    std::vector<TCustomActionList*> lists = Lists();
    for (TCustomActionList* list : lists)
        if (IsLiveList(list) && list->GetState() == asNormal && ListIsActive(list)) list->UpdateActions();
}

bool ListsShortCut(TCustomForm* Form, TMessage& Message) {
    std::vector<TCustomActionList*> lists = Lists();
    for (TCustomActionList* list : lists) {
        if (!IsLiveList(list) || !ListServes(list, Form)) continue;
        if (list->IsShortCut(Message)) return true;
    }
    return false;
}

void EnsureActionHooks() {
    static bool done = false;
    if (done) return;
    done = true;
    TApplication::AddIdleHook(UpdateAllLists);
    TCustomForm::AddShortCutHandler(ListsShortCut);
}

// What a standard action looks at: the focused control and its parents, the active form, and
// last the application.
std::vector<TObject*> Targets() {
    std::vector<TObject*> v;
    for (TControl* c = Screen->GetActiveControl(); c; c = c->GetParent()) v.push_back(c);
    TCustomForm* form = Screen->GetActiveCustomForm();
    if (form && std::find(v.begin(), v.end(), static_cast<TObject*>(form)) == v.end()) v.push_back(form);
    v.push_back(static_cast<TApplication*>(Application));
    return v;
}

}  // namespace

// ---- TBasicAction ----------------------------------------------------------------------------

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) { LiveActions().insert(this); }

TBasicAction::~TBasicAction() {
    LiveActions().erase(this);
    for (TBasicActionLink* link : FClients) link->FAction = nullptr;
    FClients.clear();
}

void TBasicAction::BeforeDestruction() {
    LiveActions().erase(this);
    TComponent::BeforeDestruction();
    // The clients hear of it through their free notification; what is left forgets it here.
    std::vector<TBasicActionLink*> clients = FClients;
    for (TBasicActionLink* link : clients) link->SetAction(nullptr);
}

bool TBasicAction::Execute() {
    if (!OnExecute) return false;
    OnExecute(this);
    return true;
}

bool TBasicAction::Update() {
    if (!OnUpdate) return false;
    OnUpdate(this);
    return true;
}

void TBasicAction::SetActionComponent(TComponent* Value) {
    if (FActionComponent == Value) return;
    if (FActionComponent) FActionComponent->RemoveFreeNotification(this);
    FActionComponent = Value;
    if (FActionComponent) FActionComponent->FreeNotification(this);
}

void TBasicAction::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FActionComponent) FActionComponent = nullptr;
}

void TBasicAction::Change() {
    std::vector<TBasicActionLink*> clients = FClients;
    for (TBasicActionLink* link : clients)
        if (std::find(FClients.begin(), FClients.end(), link) != FClients.end()) link->Change();
}

void TBasicAction::RegisterChanges(TBasicActionLink* Value) {
    if (std::find(FClients.begin(), FClients.end(), Value) == FClients.end()) FClients.push_back(Value);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Value) {
    FClients.erase(std::remove(FClients.begin(), FClients.end(), Value), FClients.end());
}

// ---- TBasicActionLink ------------------------------------------------------------------------

TBasicActionLink::TBasicActionLink(TObject* AClient) { AssignClient(AClient); }

TBasicActionLink::~TBasicActionLink() {
    if (FAction) FAction->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
    if (FAction == Value) return;
    if (FAction) FAction->UnRegisterChanges(this);
    FAction = Value;
    if (FAction) FAction->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
    if (!FAction) return false;
    TBasicAction* action = FAction;
    action->SetActionComponent(AComponent);
    // The link (and the action) may be gone when the handler returns.
    struct Reset {
        TBasicAction* Action;
        ~Reset() {
            if (LiveActions().count(Action)) Action->SetActionComponent(nullptr);
        }
    };
    Reset reset{action};
    return action->Execute();
}

bool TBasicActionLink::Update() { return FAction && FAction->Update(); }

void TBasicActionLink::Change() {
    if (OnChange) OnChange(FAction);
}

// ---- TActionLink -----------------------------------------------------------------------------

TCustomAction* TActionLink::CustomAction() const { return dynamic_cast<TCustomAction*>(FAction); }

bool TActionLink::IsCaptionLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsCheckedLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsEnabledLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsGroupIndexLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsHelpContextLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsHintLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsImageIndexLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsShortCutLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsVisibleLinked() { return CustomAction() != nullptr; }

// ---- TControlActionLink ----------------------------------------------------------------------

TControlActionLink::TControlActionLink(TControl* AClient) : TActionLink(AClient), FClient(AClient) {}

bool TControlActionLink::IsCaptionLinked() {
    return TActionLink::IsCaptionLinked() && FClient->GetCaption() == CustomAction()->GetCaption();
}
bool TControlActionLink::IsEnabledLinked() {
    return TActionLink::IsEnabledLinked() && FClient->GetEnabled() == CustomAction()->GetEnabled();
}
bool TControlActionLink::IsHelpContextLinked() {
    return TActionLink::IsHelpContextLinked() && FClient->GetHelpContext() == CustomAction()->GetHelpContext();
}
bool TControlActionLink::IsHintLinked() {
    return TActionLink::IsHintLinked() && FClient->GetHint() == CustomAction()->GetHint();
}
bool TControlActionLink::IsVisibleLinked() {
    return TActionLink::IsVisibleLinked() && FClient->GetVisible() == CustomAction()->GetVisible();
}

void TControlActionLink::SetCaption(const std::string& Value) {
    if (IsCaptionLinked()) FClient->SetCaption(Value);
}
void TControlActionLink::SetEnabled(bool Value) {
    if (IsEnabledLinked()) FClient->SetEnabled(Value);
}
void TControlActionLink::SetHelpContext(Integer Value) {
    if (IsHelpContextLinked()) FClient->SetHelpContext(Value);
}
void TControlActionLink::SetHint(const std::string& Value) {
    if (IsHintLinked()) FClient->SetHint(Value);
}
void TControlActionLink::SetVisible(bool Value) {
    if (IsVisibleLinked()) FClient->SetVisible(Value);
}

// ---- TContainedAction ------------------------------------------------------------------------

TContainedAction::TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}

TContainedAction::~TContainedAction() {
    if (FActionList && IsLiveList(FActionList)) FActionList->RemoveAction(this);
}

void TContainedAction::BeforeDestruction() {
    if (FActionList && IsLiveList(FActionList)) FActionList->RemoveAction(this);
    FActionList = nullptr;
    TBasicAction::BeforeDestruction();
}

bool TContainedAction::Execute() {
    if (FActionList && FActionList->ExecuteAction(this)) return true;
    return TBasicAction::Execute();
}

bool TContainedAction::Update() {
    if (FActionList && FActionList->UpdateAction(this)) return true;
    return TBasicAction::Update();
}

void TContainedAction::SetActionList(TCustomActionList* Value) {
    if (FActionList == Value) return;
    if (FActionList) FActionList->RemoveAction(this);
    if (Value) Value->AddAction(this);
}

void TContainedAction::SetCategory(const std::string& Value) {
    if (FCategory == Value) return;
    FCategory = Value;
    if (FActionList) FActionList->Change();
}

int TContainedAction::GetIndex() const {
    if (!FActionList) return -1;
    for (int i = 0; i < FActionList->GetActionCount(); ++i)
        if (FActionList->GetAction(i) == this) return i;
    return -1;
}

void TContainedAction::SetIndex(int Value) {
    if (!FActionList) return;
    auto& v = FActionList->FActions;
    int now = GetIndex();
    Value = std::clamp(Value, 0, int(v.size()) - 1);
    if (now < 0 || now == Value) return;
    v.erase(v.begin() + now);
    v.insert(v.begin() + Value, this);
    FActionList->Change();
}

// ---- TCustomAction ---------------------------------------------------------------------------

TCustomAction::TCustomAction(TComponent* AOwner) : TContainedAction(AOwner) {}

template <class F>
static void ForEachLink(std::vector<TBasicActionLink*>& Clients, F&& f) {
    std::vector<TBasicActionLink*> clients = Clients;
    for (TBasicActionLink* l : clients)
        if (auto* link = dynamic_cast<TActionLink*>(l)) f(link);
}

void TCustomAction::SetCaption(const std::string& Value) {
    if (FCaption == Value) return;
    ForEachLink(FClients, [&](TActionLink* l) { l->SetCaption(Value); });
    FCaption = Value;
    Change();
}

void TCustomAction::SetChecked(bool Value) {
    if (FChecked == Value) return;
    ForEachLink(FClients, [&](TActionLink* l) { l->SetChecked(Value); });
    FChecked = Value;
    TCustomActionList* list = GetActionList();
    if (Value && FGroupIndex > 0 && list) {
        for (int i = 0; i < list->GetActionCount(); ++i) {
            auto* other = dynamic_cast<TCustomAction*>(list->GetAction(i));
            if (other && other != this && other->FGroupIndex == FGroupIndex) other->SetChecked(false);
        }
    }
    Change();
}

void TCustomAction::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    ForEachLink(FClients, [&](TActionLink* l) { l->SetEnabled(Value); });
    FEnabled = Value;
    Change();
}

void TCustomAction::SetGroupIndex(Integer Value) {
    if (FGroupIndex == Value) return;
    ForEachLink(FClients, [&](TActionLink* l) { l->SetGroupIndex(Value); });
    FGroupIndex = Value;
    Change();
}

void TCustomAction::SetHelpContext(Integer Value) {
    if (FHelpContext == Value) return;
    ForEachLink(FClients, [&](TActionLink* l) { l->SetHelpContext(Value); });
    FHelpContext = Value;
    Change();
}

void TCustomAction::SetHint(const std::string& Value) {
    if (FHint == Value) return;
    ForEachLink(FClients, [&](TActionLink* l) { l->SetHint(Value); });
    FHint = Value;
    Change();
}

void TCustomAction::SetImageIndex(Integer Value) {
    if (FImageIndex == Value) return;
    ForEachLink(FClients, [&](TActionLink* l) { l->SetImageIndex(Value); });
    FImageIndex = Value;
    Change();
}

void TCustomAction::SetShortCut(TShortCut Value) {
    if (FShortCut == Value) return;
    ForEachLink(FClients, [&](TActionLink* l) { l->SetShortCut(Value); });
    FShortCut = Value;
    Change();
}

void TCustomAction::SetVisible(bool Value) {
    if (FVisible == Value) return;
    ForEachLink(FClients, [&](TActionLink* l) { l->SetVisible(Value); });
    FVisible = Value;
    Change();
}

void TCustomAction::SetAutoCheck(bool Value) {
    if (FAutoCheck == Value) return;
    ForEachLink(FClients, [&](TActionLink* l) { l->SetAutoCheck(Value); });
    FAutoCheck = Value;
    Change();
}

bool TCustomAction::UpdateOnTarget() {
    for (TObject* c : Targets())
        if (HandlesTarget(c)) {
            UpdateTarget(c);
            return true;
        }
    return false;
}

bool TCustomAction::Update() {
    TCustomActionList* list = GetActionList();
    if (list && list->GetState() != asNormal) return false;
    if (TContainedAction::Update()) return true;
    if (UpdateOnTarget()) return true;
    // Nothing can execute the action.
    if (FDisableIfNoHandler && !OnExecute && !(list && list->OnExecute)) SetEnabled(false);
    return false;
}

bool TCustomAction::Execute() {
    TCustomActionList* list = GetActionList();
    if (list && list->GetState() != asNormal) return false;
    Update();
    if (!FEnabled) return false;
    if (FAutoCheck) SetChecked(!FChecked);
    if (TContainedAction::Execute()) return true;
    for (TObject* c : Targets())
        if (HandlesTarget(c)) {
            ExecuteTarget(c);
            return true;
        }
    return false;
}

// ---- TCustomActionList -----------------------------------------------------------------------

TCustomActionList::TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {
    EnsureActionHooks();
    Lists().push_back(this);
}

TCustomActionList::~TCustomActionList() {
    Lists().erase(std::remove(Lists().begin(), Lists().end(), this), Lists().end());
    for (TContainedAction* a : FActions) a->FActionList = nullptr;
}

void TCustomActionList::BeforeDestruction() {
    Lists().erase(std::remove(Lists().begin(), Lists().end(), this), Lists().end());
    // The actions stay (their owner frees them); they only leave the list.
    for (TContainedAction* a : FActions) a->FActionList = nullptr;
    FActions.clear();
    TComponent::BeforeDestruction();
}

TContainedAction* TCustomActionList::GetAction(int Index) const {
    if (Index < 0 || Index >= GetActionCount()) TList::Error("List index out of bounds (%d)", Index);
    return FActions[size_t(Index)];
}

void TCustomActionList::AddAction(TContainedAction* Action) {
    if (!Action || Action->FActionList == this) return;
    FActions.push_back(Action);
    Action->FActionList = this;
    Action->FreeNotification(this);
    Change();
}

void TCustomActionList::RemoveAction(TContainedAction* Action) {
    auto it = std::find(FActions.begin(), FActions.end(), Action);
    if (it == FActions.end()) return;
    FActions.erase(it);
    Action->FActionList = nullptr;
    Change();
}

void TCustomActionList::Change() {
    if (OnChange) OnChange(this);
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FImages) FImages = nullptr;
    if (auto* a = dynamic_cast<TContainedAction*>(AComponent); a && a->FActionList == this) RemoveAction(a);
}

void TCustomActionList::SetImages(TCustomImageList* Value) {
    if (FImages == Value) return;
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = Value;
    if (FImages) FImages->FreeNotification(this);
    Change();
}

void TCustomActionList::SetState(TActionListState Value) {
    if (FState == Value) return;
    FState = Value;
    if (Value == asSuspendedEnabled)
        for (TContainedAction* a : std::vector<TContainedAction*>(FActions))
            if (auto* ca = dynamic_cast<TCustomAction*>(a)) ca->SetEnabled(true);
}

bool TCustomActionList::ExecuteAction(TBasicAction* Action) {
    bool handled = false;
    if (OnExecute) OnExecute(Action, handled);
    return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* Action) {
    bool handled = false;
    if (OnUpdate) OnUpdate(Action, handled);
    return handled;
}

bool TCustomActionList::IsShortCut(TMessage& Message) {
    TShortCut sc = ShortCutFromMessage(Message);
    if (sc == scNone) return false;
    std::vector<TContainedAction*> actions = FActions;
    for (TContainedAction* a : actions) {
        auto* ca = dynamic_cast<TCustomAction*>(a);
        if (!ca) continue;
        const auto& more = ca->GetSecondaryShortCuts();
        if (ca->GetShortCut() == sc || std::find(more.begin(), more.end(), sc) != more.end())
            return ca->HandleShortCut();
    }
    return false;
}

void TCustomActionList::UpdateActions() {
    std::vector<TContainedAction*> actions = FActions;
    for (TContainedAction* a : actions) {
        if (!IsLiveList(this) || FState != asNormal) return;
        if (std::find(FActions.begin(), FActions.end(), a) == FActions.end()) continue;
        Application->Guard(a, [&] { a->Update(); });
    }
}

// ---- Standard actions ------------------------------------------------------------------------

void TEditAction::SetControl(TWinControl* Value) {
    if (FControl == Value) return;
    if (FControl) FControl->RemoveFreeNotification(this);
    FControl = Value;
    if (FControl) FControl->FreeNotification(this);
}

void TEditAction::Notification(TComponent* AComponent, TOperation Operation) {
    TAction::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FControl) FControl = nullptr;
}

bool TEditAction::HandlesTarget(TObject* Target) {
    auto* c = dynamic_cast<TWinControl*>(Target);
    if (!c || (FControl && c != FControl)) return false;
    if (!c->Focused()) return false;
    return (c->Perform(WM_GETDLGCODE) & DLGC_HASSETSEL) != 0;
}

bool TEditAction::HasSelection(TWinControl* Edit) {
    LRESULT sel = Edit->Perform(EM_GETSEL);
    return LOWORD(sel) != HIWORD(sel);
}

void TEditCut::UpdateTarget(TObject* Target) { SetEnabled(HasSelection(static_cast<TWinControl*>(Target))); }
void TEditCut::ExecuteTarget(TObject* Target) { static_cast<TWinControl*>(Target)->Perform(WM_CUT); }

void TEditCopy::UpdateTarget(TObject* Target) { SetEnabled(HasSelection(static_cast<TWinControl*>(Target))); }
void TEditCopy::ExecuteTarget(TObject* Target) { static_cast<TWinControl*>(Target)->Perform(WM_COPY); }

void TEditPaste::UpdateTarget(TObject* Target) { SetEnabled(Clipboard()->HasFormat(CF_TEXT)); }
void TEditPaste::ExecuteTarget(TObject* Target) { static_cast<TWinControl*>(Target)->Perform(WM_PASTE); }

void TEditUndo::UpdateTarget(TObject* Target) {
    SetEnabled(static_cast<TWinControl*>(Target)->Perform(EM_CANUNDO) != 0);
}
void TEditUndo::ExecuteTarget(TObject* Target) { static_cast<TWinControl*>(Target)->Perform(WM_UNDO); }

void THelpContents::ExecuteTarget(TObject* Target) { Application->HelpCommand(HELP_FINDER, 0); }

void THelpTopicSearch::ExecuteTarget(TObject* Target) {
    static const char empty[] = "";
    Application->HelpCommand(HELP_PARTIALKEY, reinterpret_cast<LPARAM>(empty));
}
