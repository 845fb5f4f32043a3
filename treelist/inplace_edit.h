#pragma once
// TgxInplaceEdit: the base of the in-place cell editors. A host (a TCustomgxContainer, in
// practice the tree list) places it over one cell, loads it from the cell and hides it again. The
// editor owns no data: it asks its container for every setting and hands the navigation keys back
// to it, so that they keep working while a cell is edited. Its window is the framework's edit
// window, so every change the user makes, on any path, passes CanModify here (and the mask of
// the masked editor) before the edit gate applies it.
//
// TgxInplacePopupControl: the base of the windows that drop down below an editor.

#include <string>

#include "framework/date_time.h"
#include "framework/edit_controls.h"
#include "treelist/container.h"

// Posted to an editor by its popup when the popup hides.
constexpr Cardinal WM_GX_POPUPHIDDEN = WM_APP + 101;

class TgxInplaceEdit : public TCustomEdit {
    LUMORA_CLASS(TgxInplaceEdit, TCustomEdit)
public:
    explicit TgxInplaceEdit(TComponent* AOwner);

    TCustomgxContainer* GetContainer() const { return FContainer; }
    void SetContainer(TCustomgxContainer* Value) { FContainer = Value; }

    // The host's only way to place and show the editor: R in container coordinates (an empty R
    // hides it). Without Focus the editor is shown without taking the keyboard focus.
    void ShowEditorAt(const TRect& R, bool Focus = true);
    // While raised, placing the editor does not run DoFirstShow.
    void BeginShowUpdate() { ++FShowUpdateCount; }
    void EndShowUpdate() {
        if (FShowUpdateCount > 0) --FShowUpdateCount;
    }
    bool IsShown() const { return FShown; }
    // Raised while the host closes the editor; LoadContainerSettings lowers it.
    bool GetClosing() const { return FClosing; }
    void SetClosing(bool Value) { FClosing = Value; }
    bool GetValueWriting() const { return FValueWriting; }
    bool GetClickAnywhere() const { return FClickAnywhere; }
    void SetClickAnywhere(bool Value) { FClickAnywhere = Value; }
    // Message time of the host's press that opened the editor.
    DWORD GetClickTime() const { return FClickTime; }
    void SetClickTime(DWORD Value) { FClickTime = Value; }

    // -- new virtual operations
    virtual void DoFocusGained() {}
    // (-1, -1, -1, -1): no button.
    virtual void GetButtonRect(TRect& R) { R = TRect{-1, -1, -1, -1}; }
    virtual bool IsPointOnButton(TPoint /*P*/) { return false; }
    // The container's CanEditModify.
    virtual bool CanModify();
    // Called after every placement.
    virtual void AdjustEditArea() {}
    virtual TgxEditBorderStyle GetBorderStyle() { return FBorder; }
    virtual void SetBorderStyle(TgxEditBorderStyle Value) { FBorder = Value; }
    // The container's GetEditReadOnly.
    virtual bool GetReadOnly();
    virtual void SetReadOnly(bool /*Value*/) {}
    // While True a mouse press in the host does not close the editor first.
    virtual bool NeedsValidation() { return FNeedsValidation; }
    // Called for F2.
    virtual void MoveCaretToEnd() {}
    // Tells the container, unless the focus goes to the container itself.
    virtual void DoFocusLost(HWND NewFocus);
    // Called after every placement.
    virtual void SelectAll() {}
    // The host calls it before closing the editor; it may raise.
    virtual void ValidateEdit() {}
    virtual std::string GetEditValueText() { return GetText(); }
    // Sets the text, only when CanModify answers True.
    virtual void SetEditValueText(const std::string& Text);
    // Run by the host after choosing the editor for a cell.
    virtual void LoadContainerSettings();
    virtual void DoImmediateClick() {}
    // The press that opened the editor, in container coordinates.
    virtual void MouseDownAt(Integer /*X*/, Integer /*Y*/) {}
    virtual bool IsFlat();
    virtual bool IsFocused() { return Focused(); }
    virtual bool IsShowButtonAlways();
    virtual bool CanEditText() { return false; }
    virtual bool IsPointInEditor(TPoint P);
    // After a placement that showed a hidden editor, unless the show-update counter is raised.
    virtual void DoFirstShow() {}
    virtual void ShowEditWindow();
    // Hands the editor's area back to the container for painting and hides the window.
    virtual void HideEditWindow();

    // The container's answers, neutral without a container.
    TEditCharCase GetContainerCharCase();
    std::string GetContainerEditMask();
    std::string GetContainerEditText();
    Integer GetContainerMaxLength();
    TColor GetContainerEditColor();
    // The editor's width, raised to ButtonWidth + 20 when the container allows widening.
    Integer CalcWidthForButton(Integer ButtonWidth);

protected:
    void SetValueWriting(bool Value) { FValueWriting = Value; }
    void SetNeedsValidation(bool Value) { FNeedsValidation = Value; }
    // The key handling of the editor itself, after the container had its turn.
    virtual void EditKeyDown(Word& Key, TShiftState Shift) { TCustomEdit::KeyDown(Key, Shift); }
    // The user's changes that come from the window (input method, dropped text, undo) need the
    // container's permission.
    bool AcceptUserEdit(Integer Start, Integer Length, const std::u32string& Insert) override;

    void WndProc(TMessage& Message) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void DblClick() override;
    void WMGetDlgCode(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;

private:
    TCustomgxContainer* FContainer = nullptr;
    bool FShown = false;
    Integer FShowUpdateCount = 0;
    bool FNeedsValidation = false;
    bool FClosing = false;
    bool FValueWriting = false;
    bool FClickAnywhere = false;
    DWORD FClickTime = 0;
    TgxEditBorderStyle FBorder = xbsNone;
};

// The windows that drop down below an editor (calendars, calculators, lists): the framework's
// activating popup window.
class TgxInplacePopupControl : public TCustomControl {
    LUMORA_CLASS(TgxInplacePopupControl, TCustomControl)
public:
    explicit TgxInplacePopupControl(TComponent* AOwner);
    bool GetDropDown() const { return FDropDown; }
    void SetDropDown(bool Value) { FDropDown = Value; }
    TgxInplaceEdit* GetOwnerEdit() const { return FOwnerEdit; }
    void SetOwnerEdit(TgxInplaceEdit* Value) { FOwnerEdit = Value; }

    // Hides the window, gives the focus back to the editor when the program is active and tells
    // the editor (WM_GX_POPUPHIDDEN). Accept is for the kinds that drop down.
    virtual void HidePopup(bool Accept);
    virtual void ShowPopup();

protected:
    void CreateParams(TCreateParams& Params) override;
    void WMKillFocus(TMessage& Message) override;

private:
    bool FDropDown = false;
    TgxInplaceEdit* FOwnerEdit = nullptr;
};

// Tab, Enter, Esc, Page Up, Page Down, Up and Down: the keys an editor hands to its container,
// which leave the cell.
bool IsCellLeavingKey(Word Key);

// A date text as the editors read it: dots count as blanks, the order is FormatSettings'; an
// empty or unreadable text gives today's date.
TDateTime DateTextToDateTime(const std::string& Text);
