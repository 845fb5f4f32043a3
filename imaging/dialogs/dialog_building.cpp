#include "imaging/dialogs/dialog_building.h"

#include "framework/edit_controls.h"
#include "framework/graphics.h"
#include "framework/list_controls.h"
#include "framework/resources.h"
#include "framework/std_controls.h"

void TDialogBuilder::Place(TControl* Control, TWinControl* Parent, const std::string& Name, Integer Left, Integer Top,
                           Integer Width, Integer Height) {
    if (!Name.empty()) Control->SetName(Name);
    Control->SetParent(Parent);
    Control->SetBounds(Left, Top, Width, Height);
}

TLabel* TDialogBuilder::Label(TWinControl* Parent, const std::string& Name, const std::string& Caption, Integer Left,
                              Integer Top) {
    auto* label = new TLabel(FOwner);
    if (!Name.empty()) label->SetName(Name);
    label->SetParent(Parent);
    label->SetLeft(Left);
    label->SetTop(Top);
    label->SetCaption(Caption);
    return label;
}

TButton* TDialogBuilder::Button(TWinControl* Parent, const std::string& Name, const std::string& Caption, Integer Left,
                                Integer Top, Integer Width, Integer Height) {
    auto* button = Add(new TButton(FOwner), Parent, Name, Left, Top, Width, Height);
    button->SetCaption(Caption);
    return button;
}

TEdit* TDialogBuilder::Edit(TWinControl* Parent, const std::string& Name, const std::string& Text, Integer Left,
                            Integer Top, Integer Width) {
    auto* edit = Add(new TEdit(FOwner), Parent, Name, Left, Top, Width, 21);
    edit->SetText(Text);
    return edit;
}

TGroupBox* TDialogBuilder::Group(TWinControl* Parent, const std::string& Name, const std::string& Caption, Integer Left,
                                 Integer Top, Integer Width, Integer Height) {
    auto* group = Add(new TGroupBox(FOwner), Parent, Name, Left, Top, Width, Height);
    group->SetCaption(Caption);
    return group;
}

TLabel* TDialogBuilder::Caption(TWinControl* Parent, const std::string& Caption, Integer Left, Integer Top,
                                TWinControl* Focus) {
    TLabel* label = Label(Parent, "", Caption, Left, Top + 4);
    if (Focus) label->SetFocusControl(Focus);
    return label;
}

TComboBox* TDialogBuilder::List(TWinControl* Parent, const std::string& Name, Integer Left, Integer Top, Integer Width,
                                std::initializer_list<const char*> Items) {
    auto* list = Add(new TComboBox(FOwner), Parent, Name, Left, Top, Width, 21);
    list->SetStyle(csDropDownList);
    for (const char* item : Items) list->GetItems()->Add(item);
    return list;
}

void TDialogBuilder::PreviewButtons(TWinControl* Parent, Integer Left, TButton*& OK, TButton*& Cancel,
                                    TButton*& Preview, TSpeedButton*& Lock) {
    OK = Button(Parent, "Button1", "OK", Left, 20, 75, 25);
    OK->SetDefault(true);
    Cancel = Button(Parent, "Button2", "Cancel", Left, 50, 75, 25);
    Cancel->SetCancel(true);
    Cancel->SetModalResult(mrCancel);
    Preview = Button(Parent, "Button3", "&Preview", Left, 80, 75, 25);
    Lock = Add(new TSpeedButton(FOwner), Parent, "SpeedButton1", Left, 112, 25, 25);
    Lock->SetGroupIndex(1);
    Lock->SetAllowAllUp(true);
    SetResourceGlyph(Lock, "IDB_LOCK");
    Lock->SetHint("Lock preview");
    Lock->SetShowHint(true);
}

void SetResourceGlyph(TSpeedButton* Button, const std::string& Name) {
    TBitmap glyph;
    if (LoadBitmapResource(Name, &glyph)) Button->SetGlyph(&glyph);
}
