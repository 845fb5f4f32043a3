#include "framework/menus.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "framework/forms.h"
#include "framework/image_list.h"
#include "framework/menu_backend.h"
#include "framework/sysutils.h"
#include "framework/system_metrics.h"
#include "framework/window_backend.h"

using lumora_detail::IsLiveControl;

namespace {

std::unordered_set<const TMenuItem*>& LiveItems() {
    static std::unordered_set<const TMenuItem*> s;
    return s;
}

std::unordered_set<const TMenu*>& LiveMenus() {
    static std::unordered_set<const TMenu*> s;
    return s;
}

// ---- Shortcut texts --------------------------------------------------------------------------

struct KeyName {
    Word Key;
    const char* Name;
};

const KeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},       {VK_TAB, "Tab"},         {VK_ESCAPE, "Esc"},      {VK_RETURN, "Enter"},
    {VK_SPACE, "Space"},     {VK_PRIOR, "PgUp"},      {VK_NEXT, "PgDn"},       {VK_END, "End"},
    {VK_HOME, "Home"},       {VK_LEFT, "Left"},       {VK_UP, "Up"},           {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},       {VK_INSERT, "Ins"},      {VK_DELETE, "Del"},      {VK_PAUSE, "Pause"},
    {VK_MULTIPLY, "Num *"},  {VK_ADD, "Num +"},       {VK_SUBTRACT, "Num -"},  {VK_DECIMAL, "Num ."},
    {VK_DIVIDE, "Num /"},    {VK_OEM_1, ";"},         {VK_OEM_PLUS, "="},      {VK_OEM_COMMA, ","},
    {VK_OEM_MINUS, "-"},     {VK_OEM_PERIOD, "."},    {VK_OEM_2, "/"},         {VK_OEM_3, "`"},
    {VK_OEM_4, "["},         {VK_OEM_5, "\\"},        {VK_OEM_6, "]"},         {VK_OEM_7, "'"},
};

std::string KeyText(Word key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, char(key));
    if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return "Num " + std::to_string(key - VK_NUMPAD0);
    for (const KeyName& k : kKeyNames)
        if (k.Key == key) return k.Name;
    return {};
}

// ---- Hooks into forms ------------------------------------------------------------------------

bool PopupShortCut(TCustomForm* Form, TMessage& Message) {
    TWinControl* focus = GetFocus();
    if (!focus || GetParentForm(focus) != Form) return false;
    for (TControl* c = focus; c; c = c->GetParent()) {
        TPopupMenu* p = c->GetPopupMenu();
        if (p && lumora_menus::IsLiveMenu(p) && p->IsShortCut(Message)) return true;
    }
    return false;
}

bool MenuShortCut(TCustomForm* Form, TMessage& Message) {
    if (PopupShortCut(Form, Message)) return true;
    TMainMenu* menu = Form->GetMenu();
    return menu && lumora_menus::IsLiveMenu(menu) && menu->IsShortCut(Message);
}

// Alt and a letter or digit opens the top item of the form's menu bar with that accelerator.
bool MenuAccelerator(TCustomForm* Form, TMessage& Message) {
    TMainMenu* menu = Form->GetMenu();
    if (!menu || !lumora_menus::IsLiveMenu(menu)) return false;
    Word key = Word(Message.WParam);
    if (!((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) return false;
    if (KeyDataToShiftState(Message.LParam) != TShiftState{ssAlt}) return false;
    TMenuItem* root = menu->GetItems();
    for (int i = 0; i < root->GetCount(); ++i) {
        TMenuItem* item = root->GetItem(i);
        if (!item->GetVisible() || !item->GetEnabled() || !IsAccel(key, item->GetCaption())) continue;
        if (item->GetCount() > 0) return lumora_menus::OpenMenuBarItem(Form, item);
        item->Click();
        return true;
    }
    return false;
}

void EnsureMenuHooks() {
    static bool done = false;
    if (done) return;
    done = true;
    TPopupMenuHooks::Popup = [](TPopupMenu* Menu, TControl* Control, TPoint ScreenPos) {
        if (!lumora_menus::IsLiveMenu(Menu) || !Menu->GetAutoPopup()) return false;
        Menu->SetPopupComponent(Control);
        Menu->Popup(ScreenPos.X, ScreenPos.Y);
        return true;
    };
    TCustomForm::MenuChangedHook = [](TCustomForm* Form, TMainMenu*) { lumora_menus::FormMenuChanged(Form); };
    TCustomForm::MenuBarHeightHook = [](TCustomForm* Form) -> Integer {
        TMainMenu* menu = Form->GetMenu();
        return menu && lumora_menus::IsLiveMenu(menu) && menu->HasVisibleItems() ? GetSystemMetrics(SM_CYMENU) : 0;
    };
    TCustomForm::MenuAcceleratorHook = MenuAccelerator;
    TCustomForm::AddShortCutHandler(MenuShortCut);
}

}  // namespace

namespace lumora_menus {

bool IsLiveItem(const TMenuItem* Item) { return Item && LiveItems().count(Item) > 0; }
bool IsLiveMenu(const TMenu* Menu) { return Menu && LiveMenus().count(Menu) > 0; }

}  // namespace lumora_menus

// ---- Shortcuts -------------------------------------------------------------------------------

std::string ShortCutToText(TShortCut ShortCut) {
    std::string name = KeyText(Word(ShortCut & 0xFF));
    if (name.empty()) return {};
    std::string s;
    if (ShortCut & scShift) s += "Shift+";
    if (ShortCut & scCtrl) s += "Ctrl+";
    if (ShortCut & scAlt) s += "Alt+";
    return s + name;
}

TShortCut TextToShortCut(const std::string& Text) {
    std::string rest = Text;
    TShortCut mods = 0;
    for (bool found = true; found;) {
        found = false;
        for (auto [prefix, bit] : {std::pair<const char*, TShortCut>{"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}}) {
            size_t n = std::char_traits<char>::length(prefix);
            if (rest.size() > n && SameText(rest.substr(0, n), prefix)) {
                mods |= bit;
                rest = rest.substr(n);
                found = true;
            }
        }
    }
    for (int key = 0x08; key <= 0xFF; ++key) {
        std::string name = KeyText(Word(key));
        if (!name.empty() && SameText(name, rest)) return TShortCut(mods | key);
    }
    return scNone;
}

TShortCut ShortCutFromMessage(const TMessage& Message) {
    return ShortCut(Word(Message.WParam), KeyDataToShiftState(Message.LParam));
}

std::string StripHotkey(const std::string& Text) {
    std::string s;
    s.reserve(Text.size());
    for (size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '&') {
            if (i + 1 < Text.size() && Text[i + 1] == '&') {
                s += '&';
                ++i;
            }
            continue;
        }
        s += Text[i];
    }
    return s;
}

Char GetHotkey(const std::string& Text) {
    for (size_t i = 0; i + 1 < Text.size(); ++i) {
        if (Text[i] != '&') continue;
        if (Text[i + 1] == '&') {
            ++i;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(Text[i + 1]);
        return Char(std::toupper(c));
    }
    return 0;
}

bool IsAccel(Word VK, const std::string& Str) {
    Char hot = GetHotkey(Str);
    return hot != 0 && hot == Char(std::toupper(VK & 0xFF));
}

// ---- TMenuActionLink -------------------------------------------------------------------------

TMenuActionLink::TMenuActionLink(TMenuItem* AClient) : TActionLink(AClient), FClient(AClient) {}

bool TMenuActionLink::IsCaptionLinked() { return TActionLink::IsCaptionLinked() && FClient->GetCaption() == CustomAction()->GetCaption(); }
bool TMenuActionLink::IsCheckedLinked() { return TActionLink::IsCheckedLinked() && FClient->GetChecked() == CustomAction()->GetChecked(); }
bool TMenuActionLink::IsEnabledLinked() { return TActionLink::IsEnabledLinked() && FClient->GetEnabled() == CustomAction()->GetEnabled(); }
bool TMenuActionLink::IsGroupIndexLinked() {
    return FClient->GetRadioItem() && TActionLink::IsGroupIndexLinked() && FClient->GetGroupIndex() == CustomAction()->GetGroupIndex();
}
bool TMenuActionLink::IsHelpContextLinked() {
    return TActionLink::IsHelpContextLinked() && FClient->GetHelpContext() == CustomAction()->GetHelpContext();
}
bool TMenuActionLink::IsHintLinked() { return TActionLink::IsHintLinked() && FClient->GetHint() == CustomAction()->GetHint(); }
bool TMenuActionLink::IsImageIndexLinked() {
    return TActionLink::IsImageIndexLinked() && FClient->GetImageIndex() == CustomAction()->GetImageIndex();
}
bool TMenuActionLink::IsShortCutLinked() { return TActionLink::IsShortCutLinked() && FClient->GetShortCut() == CustomAction()->GetShortCut(); }
bool TMenuActionLink::IsVisibleLinked() { return TActionLink::IsVisibleLinked() && FClient->GetVisible() == CustomAction()->GetVisible(); }

void TMenuActionLink::SetAutoCheck(bool Value) {
    if (CustomAction()) FClient->SetAutoCheck(Value);
}
void TMenuActionLink::SetCaption(const std::string& Value) {
    if (IsCaptionLinked()) FClient->SetCaption(Value);
}
void TMenuActionLink::SetChecked(bool Value) {
    if (IsCheckedLinked()) FClient->SetChecked(Value);
}
void TMenuActionLink::SetEnabled(bool Value) {
    if (IsEnabledLinked()) FClient->SetEnabled(Value);
}
void TMenuActionLink::SetGroupIndex(Integer Value) {
    if (IsGroupIndexLinked()) FClient->SetGroupIndex(Value);
}
void TMenuActionLink::SetHelpContext(Integer Value) {
    if (IsHelpContextLinked()) FClient->SetHelpContext(Value);
}
void TMenuActionLink::SetHint(const std::string& Value) {
    if (IsHintLinked()) FClient->SetHint(Value);
}
void TMenuActionLink::SetImageIndex(Integer Value) {
    if (IsImageIndexLinked()) FClient->SetImageIndex(Value);
}
void TMenuActionLink::SetShortCut(TShortCut Value) {
    if (IsShortCutLinked()) FClient->SetShortCut(Value);
}
void TMenuActionLink::SetVisible(bool Value) {
    if (IsVisibleLinked()) FClient->SetVisible(Value);
}

// ---- TMenuItem -------------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {
    EnsureMenuHooks();
    LiveItems().insert(this);
}

TMenuItem::~TMenuItem() {
    if (LiveItems().count(this)) {
        // Destroyed with a bare delete.
        LiveItems().erase(this);
        lumora_menus::ItemDestroyed(this);
    }
    delete FActionLink;
}

void TMenuItem::BeforeDestruction() {
    if (FParent) {
        TMenuItem* parent = FParent;
        auto it = std::find(parent->FItems.begin(), parent->FItems.end(), this);
        if (it != parent->FItems.end()) parent->FItems.erase(it);
        FParent = nullptr;
        if (LiveItems().count(parent)) parent->MenuChanged(true);
    }
    while (!FItems.empty()) {
        TMenuItem* child = FItems.back();
        FItems.pop_back();
        child->FParent = nullptr;
        child->Free();
    }
    LiveItems().erase(this);
    lumora_menus::ItemDestroyed(this);
    TComponent::BeforeDestruction();
}

void TMenuItem::SetCaption(const std::string& Value) {
    if (FCaption == Value) return;
    FCaption = Value;
    MenuChanged(false);
}

void TMenuItem::SetChecked(bool Value) {
    if (FChecked == Value) return;
    FChecked = Value;
    if (Value && FRadioItem) TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::TurnSiblingsOff() {
    if (!FParent) return;
    for (TMenuItem* item : FParent->FItems)
        if (item != this && item->FRadioItem && item->FGroupIndex == FGroupIndex) item->SetChecked(false);
}

void TMenuItem::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    MenuChanged(false);
}

void TMenuItem::SetVisible(bool Value) {
    if (FVisible == Value) return;
    FVisible = Value;
    MenuChanged(false);
}

void TMenuItem::SetDefault(bool Value) {
    if (FDefault == Value) return;
    if (Value && FParent)
        for (TMenuItem* item : FParent->FItems)
            if (item != this && item->FDefault) {
                item->FDefault = false;
            }
    FDefault = Value;
    MenuChanged(false);
}

void TMenuItem::SetRadioItem(bool Value) {
    if (FRadioItem == Value) return;
    FRadioItem = Value;
    if (FChecked && FRadioItem) TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::SetGroupIndex(Integer Value) {
    if (FGroupIndex == Value) return;
    FGroupIndex = Value;
    if (FChecked && FRadioItem) TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::SetAutoCheck(bool Value) { FAutoCheck = Value; }

void TMenuItem::SetShortCut(TShortCut Value) {
    if (FShortCut == Value) return;
    FShortCut = Value;
    MenuChanged(false);
}

void TMenuItem::SetHint(const std::string& Value) { FHint = Value; }

void TMenuItem::SetImageIndex(Integer Value) {
    if (FImageIndex == Value) return;
    FImageIndex = Value;
    MenuChanged(false);
}

TBasicAction* TMenuItem::GetAction() const { return FActionLink ? FActionLink->GetAction() : nullptr; }

void TMenuItem::SetAction(TBasicAction* Value) {
    if (!Value) {
        delete FActionLink;
        FActionLink = nullptr;
        return;
    }
    if (!FActionLink) FActionLink = new TMenuActionLink(this);
    FActionLink->SetAction(Value);
    ActionChange(Value, Value->GetComponentState().Contains(csLoading));
    Value->FreeNotification(this);
}

void TMenuItem::ActionChange(TObject* Sender, bool CheckDefaults) {
    auto* a = dynamic_cast<TCustomAction*>(Sender);
    if (!a) return;
    if (!CheckDefaults || !FAutoCheck) SetAutoCheck(a->GetAutoCheck());
    if (!CheckDefaults || FCaption.empty()) SetCaption(a->GetCaption());
    if (!CheckDefaults || !FChecked) SetChecked(a->GetChecked());
    if (!CheckDefaults || FEnabled) SetEnabled(a->GetEnabled());
    if (!CheckDefaults || FHelpContext == 0) SetHelpContext(a->GetHelpContext());
    if (!CheckDefaults || FHint.empty()) SetHint(a->GetHint());
    if (FRadioItem && (!CheckDefaults || FGroupIndex == 0)) SetGroupIndex(a->GetGroupIndex());
    if (!CheckDefaults || FImageIndex == -1) SetImageIndex(a->GetImageIndex());
    if (!CheckDefaults || FShortCut == scNone) SetShortCut(a->GetShortCut());
    if (!CheckDefaults || FVisible) SetVisible(a->GetVisible());
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && FActionLink && AComponent == FActionLink->GetAction()) SetAction(nullptr);
}

TMenuItem* TMenuItem::GetItem(int Index) const {
    if (Index < 0 || Index >= GetCount()) throw EMenuError("Menu index out of range");
    return FItems[size_t(Index)];
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    return it == FItems.end() ? -1 : int(it - FItems.begin());
}

void TMenuItem::Add(TMenuItem* Item) { Insert(GetCount(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
    if (!Item) return;
    if (Item->FParent) throw EMenuError("Menu inserted twice");
    if (Index < 0 || Index > GetCount()) throw EMenuError("Menu index out of range");
    InsertAt(Index, Item);
}

void TMenuItem::InsertAt(int Index, TMenuItem* Item) {
    FItems.insert(FItems.begin() + Index, Item);
    Item->FParent = this;
    if (Item->FChecked && Item->FRadioItem) Item->TurnSiblingsOff();
    MenuChanged(true);
}

void TMenuItem::Delete(int Index) {
    if (Index < 0 || Index >= GetCount()) throw EMenuError("Menu index out of range");
    TMenuItem* item = FItems[size_t(Index)];
    FItems.erase(FItems.begin() + Index);
    item->FParent = nullptr;
    MenuChanged(true);
}

void TMenuItem::Remove(TMenuItem* Item) {
    int i = IndexOf(Item);
    if (i < 0) throw EMenuError("Sub-menu is not in menu");
    Delete(i);
}

void TMenuItem::Clear() {
    while (!FItems.empty()) {
        TMenuItem* item = FItems.back();
        FItems.pop_back();
        item->FParent = nullptr;
        item->Free();
    }
    MenuChanged(true);
}

TMenuItem* TMenuItem::Find(const std::string& Caption) const {
    std::string want = StripHotkey(Caption);
    for (TMenuItem* item : FItems)
        if (SameText(StripHotkey(item->FCaption), want)) return item;
    return nullptr;
}

int TMenuItem::GetMenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(int Value) {
    if (!FParent) return;
    TMenuItem* parent = FParent;
    int count = parent->GetCount();
    Value = std::clamp(Value, 0, count - 1);
    int now = GetMenuIndex();
    if (now == Value) return;
    parent->FItems.erase(parent->FItems.begin() + now);
    parent->FItems.insert(parent->FItems.begin() + Value, this);
    parent->MenuChanged(true);
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* item = this;
    while (item->FParent) item = item->FParent;
    return item->FMenu;
}

void TMenuItem::Click() {
    if (!FEnabled) return;
    if (FAutoCheck) SetChecked(!FChecked);
    if (OnClick)
        OnClick(this);
    else if (FActionLink)
        FActionLink->Execute(this);
}

void TMenuItem::InitiateAction() {
    if (FActionLink) FActionLink->Update();
}

void TMenuItem::InitiateActions() {
    std::vector<TMenuItem*> items = FItems;
    for (TMenuItem* item : items)
        if (LiveItems().count(item)) item->InitiateAction();
}

void TMenuItem::MenuChanged(bool Rebuild) {
    TMenuItem* shownIn = FParent ? FParent : this;
    lumora_menus::ItemsChanged(shownIn);
    if (Rebuild && FParent) lumora_menus::ItemsChanged(this);
    if (TMenu* menu = GetParentMenu()) menu->MenuChanged(menu, this, Rebuild);
}

// ---- TMenu -----------------------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner) {
    EnsureMenuHooks();
    LiveMenus().insert(this);
    FItems = new TMenuItem(nullptr);
    FItems->FMenu = this;
}

TMenu::~TMenu() {
    if (LiveMenus().count(this)) {
        LiveMenus().erase(this);
        lumora_menus::MenuDestroyed(this);
    }
    if (FItems) {
        FItems->FMenu = nullptr;
        FItems->Free();
    }
}

void TMenu::BeforeDestruction() {
    LiveMenus().erase(this);
    lumora_menus::MenuDestroyed(this);
    TComponent::BeforeDestruction();
    // Forms showing the menu let it go.
    for (int i = 0; i < Screen->GetCustomFormCount(); ++i) {
        TCustomForm* f = Screen->GetCustomForm(i);
        if (static_cast<TMenu*>(f->GetMenu()) == this) f->SetMenu(nullptr);
    }
    TMenuItem* items = FItems;
    FItems = nullptr;
    items->FMenu = nullptr;
    items->Free();
}

void TMenu::SetImages(TCustomImageList* Value) {
    if (FImages == Value) return;
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = Value;
    if (FImages) FImages->FreeNotification(this);
    if (FItems) lumora_menus::ItemsChanged(FItems);
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

namespace {

TMenuItem* FindByShortCut(TMenuItem* Parent, TShortCut ShortCut) {
    for (int i = 0; i < Parent->GetCount(); ++i) {
        TMenuItem* item = Parent->GetItem(i);
        if (item->GetShortCut() == ShortCut) return item;
        if (TMenuItem* sub = FindByShortCut(item, ShortCut)) return sub;
    }
    return nullptr;
}

enum class ClickResult { Disabled, Clicked, ShortCutMoved };

ClickResult ClickDown(TMenuItem* Item, int Level, TShortCut ShortCut) {
    ClickResult r = ClickResult::Clicked;
    if (TMenuItem* parent = Item->GetParent()) r = ClickDown(parent, Level + 1, ShortCut);
    if (r != ClickResult::Clicked || !lumora_menus::IsLiveItem(Item)) return r == ClickResult::Clicked ? ClickResult::Disabled : r;
    if (!Item->GetEnabled()) return ClickResult::Disabled;
    bool moved = false;
    Application->Guard(Item, [&] {
        Item->InitiateActions();
        if (!lumora_menus::IsLiveItem(Item)) return;
        // The parents' OnClick (or the item's action) may have taken the shortcut elsewhere.
        if (Level == 0 && Item->GetShortCut() != ShortCut)
            moved = true;
        else
            Item->Click();
    });
    return moved ? ClickResult::ShortCutMoved : ClickResult::Clicked;
}

}  // namespace

TMenuItem* TMenu::FindItem(TShortCut ShortCut) const {
    if (!FItems || ShortCut == scNone) return nullptr;
    return FindByShortCut(FItems, ShortCut);
}

bool TMenu::IsShortCut(TMessage& Message) {
    TShortCut sc = ShortCutFromMessage(Message);
    if (sc == scNone) return false;
    TMenuItem* item = nullptr;
    // A parent's OnClick may move the shortcut to another item: look again then.
    for (int guard = 0; guard < 8; ++guard) {
        item = FindItem(sc);
        if (!item) return false;
        if (ClickDown(item, 0, sc) != ClickResult::ShortCutMoved) break;
        if (!lumora_menus::IsLiveMenu(this)) break;
    }
    return item != nullptr;
}

void TMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) {
    if (OnChange) OnChange(Sender, Source, Rebuild);
}

// ---- TMainMenu -------------------------------------------------------------------------------

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

bool TMainMenu::HasVisibleItems() const {
    TMenuItem* root = GetItems();
    if (!root) return false;
    for (int i = 0; i < root->GetCount(); ++i)
        if (root->GetItem(i)->GetVisible()) return true;
    return false;
}

void TMainMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) {
    TMenu::MenuChanged(Sender, Source, Rebuild);
    bool visible = HasVisibleItems();
    if (visible == FHadVisibleItems) return;
    FHadVisibleItems = visible;
    // The bar appears or goes: the forms' client areas change.
    for (int i = 0; i < Screen->GetCustomFormCount(); ++i) {
        TCustomForm* f = Screen->GetCustomForm(i);
        if (f->GetMenu() == this) f->Perform(CM_MENUCHANGED);
    }
}

// ---- TPopupMenu ------------------------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::SetPopupComponent(TComponent* Value) {
    if (FPopupComponent == Value) return;
    if (FPopupComponent) FPopupComponent->RemoveFreeNotification(this);
    FPopupComponent = Value;
    if (FPopupComponent) FPopupComponent->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TMenu::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::DoPopup(TObject* Sender) {
    if (OnPopup) OnPopup(Sender);
}

void TPopupMenu::Popup(Integer X, Integer Y) {
    FPopupPoint = {X, Y};
    DoPopup(this);
    if (!lumora_menus::IsLiveMenu(this)) return;
    lumora_menus::PopupMenu(this, {X, Y});
}
