#pragma once
// What the image dialogs share to build their forms in code: controls made, named, parented and
// placed in one call, and the lock button's glyph.

#include <initializer_list>
#include <string>

#include "framework/controls.h"

class TBitmap;
class TButton;
class TComboBox;
class TEdit;
class TGroupBox;
class TLabel;
class TSpeedButton;

class TDialogBuilder {
public:
    explicit TDialogBuilder(TComponent* Owner) : FOwner(Owner) {}
    // Names (when Name is not empty), parents and places a control made by the caller.
    template <class T>
    T* Add(T* Control, TWinControl* Parent, const std::string& Name, Integer Left, Integer Top, Integer Width,
           Integer Height) {
        Place(Control, Parent, Name, Left, Top, Width, Height);
        return Control;
    }
    // A label at its text's size.
    TLabel* Label(TWinControl* Parent, const std::string& Name, const std::string& Caption, Integer Left, Integer Top);
    TButton* Button(TWinControl* Parent, const std::string& Name, const std::string& Caption, Integer Left, Integer Top,
                    Integer Width, Integer Height);
    // An edit 21 pixels high.
    TEdit* Edit(TWinControl* Parent, const std::string& Name, const std::string& Text, Integer Left, Integer Top,
                Integer Width);
    TGroupBox* Group(TWinControl* Parent, const std::string& Name, const std::string& Caption, Integer Left,
                     Integer Top, Integer Width, Integer Height);
    // A label for the control Focus (may be null) in a row at Top.
    TLabel* Caption(TWinControl* Parent, const std::string& Caption, Integer Left, Integer Top, TWinControl* Focus);
    // A drop-down list of Items.
    TComboBox* List(TWinControl* Parent, const std::string& Name, Integer Left, Integer Top, Integer Width,
                    std::initializer_list<const char*> Items);
    // The preview forms' column of buttons at Left: OK (the default), Cancel (closes with
    // mrCancel), "&Preview" and the lock toggle with its padlock, named Button1, Button2, Button3
    // and SpeedButton1.
    void PreviewButtons(TWinControl* Parent, Integer Left, TButton*& OK, TButton*& Cancel, TButton*& Preview,
                        TSpeedButton*& Lock);

private:
    void Place(TControl* Control, TWinControl* Parent, const std::string& Name, Integer Left, Integer Top,
               Integer Width, Integer Height);
    TComponent* FOwner;
};

// Gives a speed button a glyph from a named bitmap resource ("IDB_LOCK": the padlock of the
// lock-preview buttons); nothing when there is no such resource.
void SetResourceGlyph(TSpeedButton* Button, const std::string& Name);
