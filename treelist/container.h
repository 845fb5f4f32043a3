#pragma once
// TCustomgxContainer: a window control that can host an in-place cell editor. Every question an
// editor asks its host while it edits one cell is an overridable operation with a neutral answer
// here; a container that overrides nothing gives an editor that shows an empty text and accepts
// no typing.

#include <string>

#include "framework/controls.h"
#include "framework/edit_controls.h"
#include "framework/graphics.h"

// Border of an in-place editor: none, or a single-line window border.
enum TgxEditBorderStyle { xbsNone, xbsSingle };

class TCustomgxContainer : public TCustomControl {
    LUMORA_CLASS(TCustomgxContainer, TCustomControl)
public:
    explicit TCustomgxContainer(TComponent* AOwner);

    virtual TEditCharCase GetEditCharCase() { return ecNormal; }
    // The editor's background colour: the container's Color.
    virtual TColor GetEditColor() { return GetColor(); }
    // The container's own font object; the editor copies it and keeps no reference.
    virtual TFont* GetEditFont() { return GetFont(); }
    virtual void GetEditMask(std::string& Value) { Value.clear(); }
    // The text the editor starts with.
    virtual void GetEditText(std::string& Value) { Value.clear(); }
    // Maximum text length; 0 means no limit.
    virtual Integer GetEditMaxLength() { return 0; }
    // Every key the editor does not hand to the container's key handling: the container's
    // OnKeyDown with the container as sender.
    virtual void DoEditKeyDown(Word& Key, TShiftState Shift);
    // Gate for typing, Backspace, Delete, Shift+Insert, cut, paste and clear.
    virtual bool CanEditModify() { return false; }
    // A printable character refused here is dropped with a beep.
    virtual bool IsValidEditChar(Char /*Key*/) { return false; }
    // The editor gained the focus, or lost it to a window other than the container.
    virtual void EditorFocusChanged() {}
    // While True the editor drops key-down, character and system-key messages unprocessed.
    virtual bool IgnoreEditKeys() { return false; }
    virtual bool IsFlatLook() { return true; }
    // A press in the editor within the double-click time after the click that opened it counts
    // as a double click.
    virtual bool IsImmediateEditor() { return false; }
    virtual bool IsShowButtonAlways() { return false; }
    // The editor asks the dialog manager for the Tab key.
    virtual bool WantTabs() { return false; }
    virtual bool GetEditReadOnly() { return false; }
    virtual TgxEditBorderStyle GetEditBorderStyle() { return xbsNone; }
    // Editors with a button widen themselves to at least the button width plus 20 pixels.
    virtual bool CanWidenEditorForButton() { return true; }
    // No focus rectangle is drawn.
    virtual bool IsHideFocusRect() { return false; }

    // The container's own key and double-click handling, for the keys an editor passes on.
    void EditorKeyDown(Word& Key, TShiftState Shift) { KeyDown(Key, Shift); }
    void EditorKeyPress(Char& Key) { KeyPress(Key); }
    void EditorKeyUp(Word& Key, TShiftState Shift) { KeyUp(Key, Shift); }
    void EditorDblClick() { DblClick(); }

protected:
    // A container never resizes or re-aligns itself on a size-adjust request.
    void AdjustSize() override {}
};
