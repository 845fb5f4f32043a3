#pragma once
// Menus: the menu bar of a form (TMainMenu), popup menus (TPopupMenu) and their items, shown as
// real menus by the backend. Shortcuts of menu items are tried before the focused control gets
// a key; "&" in a caption marks the accelerator letter, a caption of "-" makes a separator.

#include <functional>
#include <string>
#include <vector>

#include "framework/actions.h"
#include "framework/controls.h"

class TMenu;
class TMenuItem;
class TCustomImageList;
class TCustomForm;

// ---------------------------------------------------------------------------------------------
// Shortcuts (TShortCut keeps the Windows values: the virtual key with scShift, scCtrl, scAlt)

// "Ctrl+S", "Shift+Del", "Alt+Enter", "Shift+Ctrl+W", "F12", "Esc"; empty for scNone and for
// keys without a name.
std::string ShortCutToText(TShortCut ShortCut);
// The shortcut a text names (modifiers in any order and case); scNone when it names none.
TShortCut TextToShortCut(const std::string& Text);
// The shortcut of a key message (the key with the shift state of its key data).
TShortCut ShortCutFromMessage(const TMessage& Message);

// Captions with accelerators: the caption without its "&" marks ("&&" stays one "&").
std::string StripHotkey(const std::string& Text);
// The accelerator letter of a caption (upper case), or 0 without one.
Char GetHotkey(const std::string& Text);
// True when the key (a character code) is the accelerator of Str.
bool IsAccel(Word VK, const std::string& Str);

// ---------------------------------------------------------------------------------------------
// Menu items

// How a menu item follows its action: caption, checked, enabled, help context, hint, image,
// shortcut, visibility, auto-check and radio group.
class TMenuActionLink : public TActionLink {
    LUMORA_CLASS(TMenuActionLink, TActionLink)
public:
    explicit TMenuActionLink(TMenuItem* AClient);
    bool IsCaptionLinked() override;
    bool IsCheckedLinked() override;
    bool IsEnabledLinked() override;
    bool IsGroupIndexLinked() override;
    bool IsHelpContextLinked() override;
    bool IsHintLinked() override;
    bool IsImageIndexLinked() override;
    bool IsShortCutLinked() override;
    bool IsVisibleLinked() override;
    void SetAutoCheck(bool Value) override;
    void SetCaption(const std::string& Value) override;
    void SetChecked(bool Value) override;
    void SetEnabled(bool Value) override;
    void SetGroupIndex(Integer Value) override;
    void SetHelpContext(Integer Value) override;
    void SetHint(const std::string& Value) override;
    void SetImageIndex(Integer Value) override;
    void SetShortCut(TShortCut Value) override;
    void SetVisible(bool Value) override;

protected:
    TMenuItem* FClient;
};

class TMenuItem : public TComponent {
    LUMORA_CLASS(TMenuItem, TComponent)
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;
    // Leaves its parent and frees its sub-items.
    void BeforeDestruction() override;

    const std::string& GetCaption() const { return FCaption; }
    void SetCaption(const std::string& Value);
    // A separator: the caption "-".
    bool IsLine() const { return FCaption == "-"; }
    bool GetChecked() const { return FChecked; }
    // Checking a radio item unchecks the radio items of its parent with the same GroupIndex.
    void SetChecked(bool Value);
    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    // The default item is shown in bold; one per submenu.
    bool GetDefault() const { return FDefault; }
    void SetDefault(bool Value);
    bool GetRadioItem() const { return FRadioItem; }
    void SetRadioItem(bool Value);
    Integer GetGroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(Integer Value);
    // A click flips Checked.
    bool GetAutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool Value);
    TShortCut GetShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value);
    const std::string& GetHint() const { return FHint; }
    void SetHint(const std::string& Value);
    // An image of the menu's Images (-1: none).
    Integer GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(Integer Value);
    Integer GetHelpContext() const { return FHelpContext; }
    void SetHelpContext(Integer Value) { FHelpContext = Value; }
    TBasicAction* GetAction() const;
    void SetAction(TBasicAction* Value);

    // Sub-items.
    int GetCount() const { return int(FItems.size()); }
    // Raises EMenuError "Menu index out of range" outside 0..Count-1.
    TMenuItem* GetItem(int Index) const;
    TMenuItem* GetParent() const { return FParent; }
    int IndexOf(const TMenuItem* Item) const;
    // Adds Item at the end (Insert: before Index). An item that has a parent already raises
    // EMenuError "Menu inserted twice".
    void Add(TMenuItem* Item);
    void Insert(int Index, TMenuItem* Item);
    // Takes the item at Index out of the list without freeing it.
    void Delete(int Index);
    // Takes Item out of the list without freeing it; raises EMenuError "Sub-menu is not in menu"
    // when it is not there.
    void Remove(TMenuItem* Item);
    // Frees every sub-item.
    void Clear();
    // The sub-item whose caption (accelerator marks left out, any case) is Caption, or nullptr.
    TMenuItem* Find(const std::string& Caption) const;
    // The place among its parent's items (-1 without parent); setting it moves the item.
    int GetMenuIndex() const;
    void SetMenuIndex(int Value);
    // The menu this item belongs to (through its parents), or nullptr.
    TMenu* GetParentMenu() const;

    // Chooses the item: when enabled, flips Checked with AutoCheck, then OnClick, or the action
    // when there is no OnClick. An item whose submenu opens is clicked too.
    virtual void Click();
    // Updates the actions of the sub-items (done before a submenu opens).
    void InitiateActions();
    void InitiateAction();

    TNotifyEvent OnClick;

protected:
    friend class TMenu;
    friend class TMenuActionLink;
    virtual void ActionChange(TObject* Sender, bool CheckDefaults);
    // Something shown changed; Rebuild: the list of sub-items changed.
    void MenuChanged(bool Rebuild);
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void TurnSiblingsOff();
    void InsertAt(int Index, TMenuItem* Item);
    std::string FCaption;
    bool FChecked = false;
    bool FEnabled = true;
    bool FVisible = true;
    bool FDefault = false;
    bool FRadioItem = false;
    bool FAutoCheck = false;
    Integer FGroupIndex = 0;
    TShortCut FShortCut = scNone;
    std::string FHint;
    Integer FImageIndex = -1;
    Integer FHelpContext = 0;
    std::vector<TMenuItem*> FItems;
    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr;  // set on the root item of a menu
    TMenuActionLink* FActionLink = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Menus

// Source: the item that changed (nullptr: the menu itself); Rebuild: items were added or removed.
using TMenuChangeEvent = std::function<void(TObject* Sender, TMenuItem* Source, bool Rebuild)>;

class TMenu : public TComponent {
    LUMORA_CLASS(TMenu, TComponent)
public:
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;
    void BeforeDestruction() override;

    // The root item: its sub-items are the menu's items.
    TMenuItem* GetItems() const { return FItems; }
    TCustomImageList* GetImages() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    // The first item (depth first) with that shortcut, or nullptr.
    TMenuItem* FindItem(TShortCut ShortCut) const;
    // Message is a WM_KEYDOWN: when an item has its shortcut, the item's parents are clicked
    // from the top (their OnClick may update the item) and the item is clicked when it and they
    // are enabled. True when an item has the shortcut, enabled or not.
    virtual bool IsShortCut(TMessage& Message);
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TMenuChangeEvent OnChange;

protected:
    friend class TMenuItem;
    virtual void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild);

private:
    TMenuItem* FItems = nullptr;
    TCustomImageList* FImages = nullptr;
};

// The menu bar of the form it is given to (TCustomForm::SetMenu). The bar takes room above the
// client area while at least one of its items is visible.
class TMainMenu : public TMenu {
    LUMORA_CLASS(TMainMenu, TMenu)
public:
    explicit TMainMenu(TComponent* AOwner);
    // True when one of the top items is visible.
    bool HasVisibleItems() const;

protected:
    void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) override;

private:
    bool FHadVisibleItems = false;
};

enum TPopupAlignment { paLeft, paRight, paCenter };
enum TTrackButton { tbRightButton, tbLeftButton };

class TPopupMenu : public TMenu {
    LUMORA_CLASS(TPopupMenu, TMenu)
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    // Fires OnPopup, then shows the menu at the screen point and returns when it closes. The
    // chosen item is clicked after that, when the message loop runs next.
    virtual void Popup(Integer X, Integer Y);
    // The control the menu was popped up for (set by a right click on a control whose
    // PopupMenu it is).
    TComponent* GetPopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* Value);
    // A right click on a control pops the menu up by itself (true by default).
    bool GetAutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool Value) { FAutoPopup = Value; }
    // Where the point is: the menu's left edge, right edge or middle.
    TPopupAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
    TTrackButton GetTrackButton() const { return FTrackButton; }
    void SetTrackButton(TTrackButton Value) { FTrackButton = Value; }
    TPoint GetPopupPoint() const { return FPopupPoint; }
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TNotifyEvent OnPopup;

protected:
    virtual void DoPopup(TObject* Sender);

private:
    TComponent* FPopupComponent = nullptr;
    bool FAutoPopup = true;
    TPopupAlignment FAlignment = paLeft;
    TTrackButton FTrackButton = tbRightButton;
    TPoint FPopupPoint{-1, -1};
};
