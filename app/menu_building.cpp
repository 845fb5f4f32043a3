#include "app/menu_building.h"

void ClearMenuItems(TMenuItem* Item) {
    if (Item) Item->Clear();
}

void ClearMenuItems(TMenu* Menu) {
    if (Menu) ClearMenuItems(Menu->GetItems());
}

TMenuItem* CreateMenuItem(TComponent* Owner, TMenuItem* Parent, const std::string& Caption, const std::string& Hint,
                          bool Enabled, bool Checked, Integer ImageIndex, Integer Tag, TNotifyEvent OnClick) {
    auto* item = new TMenuItem(Owner);
    item->SetCaption(Caption);
    item->SetHint(Hint.empty() ? Caption : Hint);
    if (ImageIndex >= 0) item->SetImageIndex(ImageIndex);
    item->SetEnabled(Enabled);
    item->SetChecked(Checked);
    item->SetTag(Tag);
    item->OnClick = std::move(OnClick);
    Parent->Add(item);
    return item;
}

TMenuItem* CreateSimpleMenuItem(TComponent* Owner, TMenuItem* Parent, const std::string& Caption, Integer ImageIndex,
                                TNotifyEvent OnClick) {
    return CreateMenuItem(Owner, Parent, Caption, "", true, false, ImageIndex, 0, std::move(OnClick));
}

TMenuItem* CreateActionMenuItem(TComponent* Owner, TMenuItem* Parent, TBasicAction* Action) {
    auto* item = new TMenuItem(Owner);
    item->SetAction(Action);
    Parent->Add(item);
    return item;
}
