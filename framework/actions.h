#pragma once
// Actions: commands with a caption, a shortcut and a state (enabled, checked, visible) shared by
// the menu items and controls linked to them. An action list takes its actions' shortcuts for
// the form that owns it, and the idle turns of the message loop run their OnUpdate handlers.
//
// Standard actions (the edit and help actions) work on a target instead of an OnExecute handler:
// the focused control when it can take them.

#include <functional>
#include <string>
#include <vector>

#include "framework/controls.h"

class TBasicActionLink;
class TCustomActionList;
class TCustomImageList;

// ---------------------------------------------------------------------------------------------
// Actions

class TBasicAction : public TComponent {
    LUMORA_CLASS(TBasicAction, TComponent)
public:
    explicit TBasicAction(TComponent* AOwner);
    ~TBasicAction() override;
    // The linked clients forget the action while it is still whole.
    void BeforeDestruction() override;

    // Runs OnExecute; true when there was one.
    virtual bool Execute();
    // Runs OnUpdate; true when there was one.
    virtual bool Update();
    // Standard actions act on a target (a control): whether they can take Target, and their
    // update and work on it.
    virtual bool HandlesTarget(TObject* Target) { return false; }
    virtual void UpdateTarget(TObject* Target) {}
    virtual void ExecuteTarget(TObject* Target) {}

    // The client (menu item or control) whose click executes the action now.
    TComponent* GetActionComponent() const { return FActionComponent; }
    void SetActionComponent(TComponent* Value);
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;

protected:
    friend class TBasicActionLink;
    // Tells the linked clients that something changed.
    virtual void Change();
    void RegisterChanges(TBasicActionLink* Value);
    void UnRegisterChanges(TBasicActionLink* Value);
    // The linked clients, in the order they were linked.
    std::vector<TBasicActionLink*> FClients;

private:
    TComponent* FActionComponent = nullptr;
};

// An action that belongs to an action list: the list's OnExecute and OnUpdate come first.
class TContainedAction : public TBasicAction {
    LUMORA_CLASS(TContainedAction, TBasicAction)
public:
    explicit TContainedAction(TComponent* AOwner);
    ~TContainedAction() override;
    void BeforeDestruction() override;

    bool Execute() override;
    bool Update() override;

    TCustomActionList* GetActionList() const { return FActionList; }
    void SetActionList(TCustomActionList* Value);
    const std::string& GetCategory() const { return FCategory; }
    void SetCategory(const std::string& Value);
    // The place in the list (-1 without a list).
    int GetIndex() const;
    void SetIndex(int Value);

private:
    friend class TCustomActionList;
    TCustomActionList* FActionList = nullptr;
    std::string FCategory;
};

class TCustomAction : public TContainedAction {
    LUMORA_CLASS(TCustomAction, TContainedAction)
public:
    explicit TCustomAction(TComponent* AOwner);

    // Updates the action first; a disabled action does nothing (false). AutoCheck flips Checked.
    bool Execute() override;
    // The list's and the action's OnUpdate; without either, a standard action updates on its
    // target, and an action that nothing can execute is disabled (DisableIfNoHandler).
    bool Update() override;
    // A shortcut of the action was pressed: executes it; true when it ran.
    virtual bool HandleShortCut() { return Execute(); }

    const std::string& GetCaption() const { return FCaption; }
    void SetCaption(const std::string& Value);
    bool GetChecked() const { return FChecked; }
    // Checking an action with a GroupIndex above 0 unchecks the others of its group in the list.
    void SetChecked(bool Value);
    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    Integer GetGroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(Integer Value);
    Integer GetHelpContext() const { return FHelpContext; }
    void SetHelpContext(Integer Value);
    const std::string& GetHint() const { return FHint; }
    void SetHint(const std::string& Value);
    Integer GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(Integer Value);
    // The shortcut (scNone: none); it can change at any time, the key follows at once.
    TShortCut GetShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value);
    // Further keys that execute the action (not shown on menu items).
    const std::vector<TShortCut>& GetSecondaryShortCuts() const { return FSecondaryShortCuts; }
    void SetSecondaryShortCuts(const std::vector<TShortCut>& Value) { FSecondaryShortCuts = Value; }
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    bool GetAutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool Value);
    bool GetDisableIfNoHandler() const { return FDisableIfNoHandler; }
    void SetDisableIfNoHandler(bool Value) { FDisableIfNoHandler = Value; }

private:
    bool UpdateOnTarget();
    std::string FCaption;
    bool FChecked = false;
    bool FEnabled = true;
    Integer FGroupIndex = 0;
    Integer FHelpContext = 0;
    std::string FHint;
    Integer FImageIndex = -1;
    TShortCut FShortCut = scNone;
    std::vector<TShortCut> FSecondaryShortCuts;
    bool FVisible = true;
    bool FAutoCheck = false;
    bool FDisableIfNoHandler = true;
};

class TAction : public TCustomAction {
    LUMORA_CLASS(TAction, TCustomAction)
public:
    explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
};

// ---------------------------------------------------------------------------------------------
// Action links: how a client follows its action

class TBasicActionLink : public TObject {
    LUMORA_CLASS(TBasicActionLink, TObject)
public:
    explicit TBasicActionLink(TObject* AClient);
    ~TBasicActionLink() override;
    TBasicAction* GetAction() const { return FAction; }
    virtual void SetAction(TBasicAction* Value);
    // Executes the action for AComponent (its ActionComponent while it runs).
    virtual bool Execute(TComponent* AComponent = nullptr);
    virtual bool Update();

    // The action changed.
    TNotifyEvent OnChange;

protected:
    friend class TBasicAction;
    virtual void AssignClient(TObject* AClient) {}
    virtual void Change();
    TBasicAction* FAction = nullptr;
};

// The properties a client can share with a TCustomAction. Each IsXLinked tells whether the
// client still follows the action's X (clients whose own X was changed apart keep theirs);
// SetX is called with the action's new value before the action takes it.
class TActionLink : public TBasicActionLink {
    LUMORA_CLASS(TActionLink, TBasicActionLink)
public:
    using TBasicActionLink::TBasicActionLink;

    virtual bool IsCaptionLinked();
    virtual bool IsCheckedLinked();
    virtual bool IsEnabledLinked();
    virtual bool IsGroupIndexLinked();
    virtual bool IsHelpContextLinked();
    virtual bool IsHintLinked();
    virtual bool IsImageIndexLinked();
    virtual bool IsShortCutLinked();
    virtual bool IsVisibleLinked();
    virtual bool IsOnExecuteLinked() { return true; }

    virtual void SetAutoCheck(bool Value) {}
    virtual void SetCaption(const std::string& Value) {}
    virtual void SetChecked(bool Value) {}
    virtual void SetEnabled(bool Value) {}
    virtual void SetGroupIndex(Integer Value) {}
    virtual void SetHelpContext(Integer Value) {}
    virtual void SetHint(const std::string& Value) {}
    virtual void SetImageIndex(Integer Value) {}
    virtual void SetShortCut(TShortCut Value) {}
    virtual void SetVisible(bool Value) {}

protected:
    TCustomAction* CustomAction() const;
};

// The link of a control: caption, enabled, hint, help context and visibility.
class TControlActionLink : public TActionLink {
    LUMORA_CLASS(TControlActionLink, TActionLink)
public:
    explicit TControlActionLink(TControl* AClient);

    bool IsCaptionLinked() override;
    bool IsEnabledLinked() override;
    bool IsHelpContextLinked() override;
    bool IsHintLinked() override;
    bool IsVisibleLinked() override;
    void SetCaption(const std::string& Value) override;
    void SetEnabled(bool Value) override;
    void SetHelpContext(Integer Value) override;
    void SetHint(const std::string& Value) override;
    void SetVisible(bool Value) override;

protected:
    TControl* FClient;
};

// ---------------------------------------------------------------------------------------------
// Action lists

enum TActionListState { asNormal, asSuspended, asSuspendedEnabled };
// Handled set true keeps the action's own handler from running.
using TActionEvent = std::function<void(TBasicAction* Action, bool& Handled)>;

class TCustomActionList : public TComponent {
    LUMORA_CLASS(TCustomActionList, TComponent)
public:
    explicit TCustomActionList(TComponent* AOwner);
    ~TCustomActionList() override;
    void BeforeDestruction() override;

    int GetActionCount() const { return int(FActions.size()); }
    // Raises EListError outside 0..ActionCount-1.
    TContainedAction* GetAction(int Index) const;
    // The list's OnExecute and OnUpdate for one of its actions; true when handled.
    virtual bool ExecuteAction(TBasicAction* Action);
    virtual bool UpdateAction(TBasicAction* Action);
    // Message is a WM_KEYDOWN: the first action with that shortcut (or secondary shortcut)
    // handles it. True when it ran (a disabled action lets the key go on).
    virtual bool IsShortCut(TMessage& Message);
    // Runs the update of every action (the idle turns do this while the list's form is shown
    // and takes input; lists that no form owns are always updated).
    void UpdateActions();

    TCustomImageList* GetImages() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    // Suspended lists neither execute nor update; asSuspendedEnabled also enables every action.
    TActionListState GetState() const { return FState; }
    void SetState(TActionListState Value);

    void Notification(TComponent* AComponent, TOperation Operation) override;

    TActionEvent OnExecute;
    TActionEvent OnUpdate;
    TNotifyEvent OnChange;

protected:
    friend class TContainedAction;
    void AddAction(TContainedAction* Action);
    void RemoveAction(TContainedAction* Action);
    virtual void Change();

private:
    std::vector<TContainedAction*> FActions;
    TCustomImageList* FImages = nullptr;
    TActionListState FState = asNormal;
};

class TActionList : public TCustomActionList {
    LUMORA_CLASS(TActionList, TCustomActionList)
public:
    explicit TActionList(TComponent* AOwner) : TCustomActionList(AOwner) {}
};

// ---------------------------------------------------------------------------------------------
// Standard actions

// The edit actions work on the focused edit control: a window that answers WM_GETDLGCODE with
// DLGC_HASSETSEL (its selection comes from EM_GETSEL; the work is WM_CUT, WM_COPY, WM_PASTE and
// WM_UNDO). Without such a control they are disabled.
class TEditAction : public TAction {
    LUMORA_CLASS(TEditAction, TAction)
public:
    explicit TEditAction(TComponent* AOwner) : TAction(AOwner) {}
    bool HandlesTarget(TObject* Target) override;
    // A fixed control instead of the focused one (nullptr: the focused one).
    TWinControl* GetControl() const { return FControl; }
    void SetControl(TWinControl* Value);
    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    // True when the edit has a selection.
    static bool HasSelection(TWinControl* Edit);

private:
    TWinControl* FControl = nullptr;
};

class TEditCut : public TEditAction {
    LUMORA_CLASS(TEditCut, TEditAction)
public:
    explicit TEditCut(TComponent* AOwner) : TEditAction(AOwner) {}
    void UpdateTarget(TObject* Target) override;
    void ExecuteTarget(TObject* Target) override;
};

class TEditCopy : public TEditAction {
    LUMORA_CLASS(TEditCopy, TEditAction)
public:
    explicit TEditCopy(TComponent* AOwner) : TEditAction(AOwner) {}
    void UpdateTarget(TObject* Target) override;
    void ExecuteTarget(TObject* Target) override;
};

class TEditPaste : public TEditAction {
    LUMORA_CLASS(TEditPaste, TEditAction)
public:
    explicit TEditPaste(TComponent* AOwner) : TEditAction(AOwner) {}
    // Enabled while the clipboard holds text.
    void UpdateTarget(TObject* Target) override;
    void ExecuteTarget(TObject* Target) override;
};

class TEditUndo : public TEditAction {
    LUMORA_CLASS(TEditUndo, TEditAction)
public:
    explicit TEditUndo(TComponent* AOwner) : TEditAction(AOwner) {}
    // Enabled while the edit can undo (EM_CANUNDO).
    void UpdateTarget(TObject* Target) override;
    void ExecuteTarget(TObject* Target) override;
};

// The help actions ask the application's help (always enabled).
class THelpAction : public TAction {
    LUMORA_CLASS(THelpAction, TAction)
public:
    explicit THelpAction(TComponent* AOwner) : TAction(AOwner) {}
    bool HandlesTarget(TObject* Target) override { return true; }
    void UpdateTarget(TObject* Target) override { SetEnabled(true); }
};

class THelpContents : public THelpAction {
    LUMORA_CLASS(THelpContents, THelpAction)
public:
    explicit THelpContents(TComponent* AOwner) : THelpAction(AOwner) {}
    // The help's contents (HELP_FINDER).
    void ExecuteTarget(TObject* Target) override;
};

class THelpTopicSearch : public THelpAction {
    LUMORA_CLASS(THelpTopicSearch, THelpAction)
public:
    explicit THelpTopicSearch(TComponent* AOwner) : THelpAction(AOwner) {}
    // The help's search (HELP_PARTIALKEY with an empty key).
    void ExecuteTarget(TObject* Target) override;
};
