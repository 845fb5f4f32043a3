#pragma once
// TEMPORARY: the few window-system names the tree list needs before the framework's controls
// land. Names and values match the framework's; this file goes away when framework/controls.h
// arrives.

#include <functional>

#include "framework/component.h"
#include "framework/graphics.h"
#include "framework/resources.h"
#include "framework/types.h"

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;
using Char = char32_t;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TTlStandInControl : public TComponent {
    LUMORA_CLASS(TTlStandInControl, TComponent)
public:
    explicit TTlStandInControl(TComponent* AOwner) : TComponent(AOwner), FFont(new TFont) {}
    ~TTlStandInControl() override { delete FFont; }
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    bool GetParentColor() const { return FParentColor; }
    void SetParentColor(bool Value) { FParentColor = Value; }
    TFont* GetFont() const { return FFont; }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    bool GetParentFont() const { return FParentFont; }
    void SetParentFont(bool Value) { FParentFont = Value; }
    bool GetTabStop() const { return FTabStop; }
    void SetTabStop(bool Value) { FTabStop = Value; }
    Integer GetWidth() const { return FWidth; }
    Integer GetHeight() const { return FHeight; }
    virtual void SetBounds(Integer, Integer, Integer AWidth, Integer AHeight) {
        FWidth = AWidth;
        FHeight = AHeight;
    }
    TCursor GetDragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor Value) { FDragCursor = Value; }
    virtual void Invalidate() {}
    void RecreateWnd() {}
    bool HandleAllocated() const { return false; }
    TKeyEvent OnKeyDown;

protected:
    virtual void AdjustSize() {}

private:
    TColor FColor = clWindow;
    bool FParentColor = true;
    bool FTabStop = false;
    Integer FWidth = 0;
    Integer FHeight = 0;
    TCursor FDragCursor = crDrag;
    TFont* FFont;
    bool FParentFont = true;
};
