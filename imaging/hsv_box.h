#pragma once
// THSVBox: a colour picker made of a saturation-value square for the current hue and, right of
// a five-column gap, a hue bar 20 columns wide. Clicking or dragging in either picks a colour,
// reported through OnChange; setting the values in code never fires it. Hue runs 0..359,
// saturation and value 0..99 (the integer HSV conversion of img_filters.h). The picture, with its
// two inverted markers, is drawn into a bitmap of the client size (GetPicture).

#include "framework/controls.h"
#include "framework/graphics.h"

class THSVBox : public TCustomControl {
    LUMORA_CLASS(THSVBox, TCustomControl)
public:
    // 105 x 105, black, on clBtnFace.
    explicit THSVBox(TComponent* AOwner);
    ~THSVBox() override;

    Integer GetHue() const { return FHue; }
    void SetHue(Integer Value);
    Integer GetSat() const { return FSat; }
    void SetSat(Integer Value);
    Integer GetVal() const { return FVal; }
    void SetVal(Integer Value);
    Byte GetRed() const { return FRed; }
    Byte GetGreen() const { return FGreen; }
    Byte GetBlue() const { return FBlue; }
    TColor GetColor() const { return FColor; }
    // Takes the colour from its channels (hue, saturation and value follow).
    void SetRGB(Byte Red, Byte Green, Byte Blue);
    // The fill of the gap between square and bar.
    TColor GetBackground() const { return FBackground; }
    void SetBackground(TColor Value);
    // The width of the square: the client width less 25 (never below 0).
    Integer GetSquareWidth() const;
    TBitmap* GetPicture() const { return FPicture; }

    TNotifyEvent OnChange;

protected:
    void Paint() override;
    void WMEraseBkgnd(TMessage& Message) override;
    void WMSize(TMessage& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
    enum TDrag { dragNone, dragSquare, dragBar };
    // Colour and channels from hue, saturation and value.
    void ComputeColor();
    // Gap, bar and square, then the markers; then the control is painted.
    void Redraw();
    void DrawMarkers();
    void Pick(Integer X, Integer Y);

    TBitmap* FPicture = nullptr;
    Integer FHue = 0, FSat = 0, FVal = 0;
    Byte FRed = 0, FGreen = 0, FBlue = 0;
    TColor FColor = clBlack;
    TColor FBackground = clBtnFace;
    TDrag FDrag = dragNone;
};
