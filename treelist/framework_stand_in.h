#pragma once
// TEMPORARY: the few window-system and graphics names the tree list needs before the framework's
// controls and graphics land. Names and values match the framework's; this file goes away when
// framework/controls.h and framework/graphics.h arrive.

#include <functional>

#include "framework/component.h"
#include "framework/types.h"

class TFont;
class TCanvas;
class TBitmap;

constexpr TColor TlStandInSysColor(int index) { return TColor(0xFF000000u | unsigned(index)); }
constexpr TColor clWindow = TlStandInSysColor(5);
constexpr TColor clWindowFrame = TlStandInSysColor(6);
constexpr TColor clWindowText = TlStandInSysColor(8);
constexpr TColor clHighlight = TlStandInSysColor(13);
constexpr TColor clHighlightText = TlStandInSysColor(14);
constexpr TColor clBtnFace = TlStandInSysColor(15);
constexpr TColor clBtnShadow = TlStandInSysColor(16);
constexpr TColor clGrayText = TlStandInSysColor(17);
constexpr TColor clBtnText = TlStandInSysColor(18);
constexpr TColor cl3DLight = TlStandInSysColor(22);
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clNone = 0x1FFFFFFF;

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;
using Char = char32_t;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
using TCursor = SmallInt;
constexpr TCursor crDrag = -12;

class TTlStandInControl : public TComponent {
    LUMORA_CLASS(TTlStandInControl, TComponent)
public:
    explicit TTlStandInControl(TComponent* AOwner) : TComponent(AOwner) {}
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    bool GetParentColor() const { return FParentColor; }
    void SetParentColor(bool Value) { FParentColor = Value; }
    TFont* GetFont() const { return nullptr; }
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
};
