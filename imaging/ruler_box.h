#pragma once
// TRulerBox: a linear scale over real values (a band with ticks and labels) and any number of
// draggable grips, each holding a position on the scale. Everything is drawn into a bitmap of the
// client size (GetPicture), which Paint only copies. A grip dragged beyond either end scrolls the
// scale one pixel per tick of a short timer until the button is released or the pointer comes
// back.

#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/graphics.h"

// gdUp: the band along the top (or left) edge, the grips below it pointing up; gdDown: the band
// along the bottom (or right) edge.
enum TGripsDir { gdUp, gdDown };
// A vertical ruler exchanges x and y: the scale runs down the control.
enum TRulerDir { rdHorizontal, rdVertical };

using TRulerPosChangeEvent = std::function<void(TObject* Sender, Integer Grip)>;
using TRulerGripClickEvent = std::function<void(TObject* Sender, Integer Grip)>;
using TRulerGripDblClickEvent = std::function<void(TObject* Sender, Integer Grip)>;
using TRulerClickEvent = std::function<void(TObject* Sender, double ps)>;

class TRulerBox : public TCustomControl {
    LUMORA_CLASS(TRulerBox, TCustomControl)
public:
    // 300 x 40, one grip at 0 in the background colour, ticks every 10 and labels every 40 units
    // at one pixel per unit.
    explicit TRulerBox(TComponent* AOwner);
    ~TRulerBox() override;

    // The scale value at the first pixel.
    double GetViewPos() const { return FViewPos; }
    void SetViewPos(double Value);
    TColor GetBackground() const { return FBackground; }
    void SetBackground(TColor Value);
    Integer GetGripBaseDim() const { return FGripBaseDim; }
    void SetGripBaseDim(Integer Value);
    TGripsDir GetGripsDir() const { return FGripsDir; }
    void SetGripsDir(TGripsDir Value);
    bool GetRuler() const { return FRuler; }
    void SetRuler(bool Value);
    // Pixels per unit. Values of 0 or less are ignored: the scale stays as it was.
    double GetDotPerUnit() const { return FDotPerUnit; }
    void SetDotPerUnit(double Value);
    // Scale distance between small and labelled ticks; at 0 or less those ticks are not drawn.
    double GetFrequency() const { return FFrequency; }
    void SetFrequency(double Value);
    double GetLabelFreq() const { return FLabelFreq; }
    void SetLabelFreq(double Value);
    TColor GetRulerColor() const { return FRulerColor; }
    void SetRulerColor(TColor Value);
    TRulerDir GetRulerDir() const { return FRulerDir; }
    void SetRulerDir(TRulerDir Value);
    // The scale's limits, which are every grip's limits too.
    double GetViewMin() const { return FViewMin; }
    void SetViewMin(double Value);
    double GetViewMax() const { return FViewMax; }
    void SetViewMax(double Value);
    // Scales ViewMin..ViewMax to the ruler's length (an empty range keeps the scale and draws no
    // ticks).
    bool GetFitInView() const { return FFitInView; }
    void SetFitInView(bool Value);
    Integer GetGripsCount() const { return Integer(FGrips.size()); }
    void SetGripsCount(Integer Value);
    bool GetHexLabels() const { return FHexLabels; }
    void SetHexLabels(bool Value);

    // Per grip; an index outside the grips is ignored by the setters and reads 0.
    double GetGripsPos(Integer Index) const;
    void SetGripsPos(Integer Index, double Value);
    TColor GetGripsColor(Integer Index) const;
    void SetGripsColor(Integer Index, TColor Value);
    Byte GetGripsKind(Integer Index) const;
    void SetGripsKind(Integer Index, Byte Value);
    double GetGripsMin(Integer Index) const;
    double GetGripsMax(Integer Index) const;

    // The grip's pixel along the ruler, its outline and the grip under a client point (-1: none).
    Integer GripPixel(Integer Index);
    std::vector<TPoint> GripPolygon(Integer Index);
    Integer GripAt(Integer X, Integer Y);
    Integer RulerThickness();
    // The label of a scale value as the band shows it.
    std::string LabelText(double Value) const;
    TBitmap* GetPicture() const { return FBitmap; }

    // Scales, draws the grips and the band into the picture and repaints.
    void Update() override;

    TRulerPosChangeEvent OnRulerPosChange;
    TRulerGripClickEvent OnRulerGripClick;
    TRulerGripDblClickEvent OnRulerGripDblClick;
    TRulerClickEvent OnRulerClick;

protected:
    void Paint() override;
    void WMSize(TMessage& Message) override;
    void WMEraseBkgnd(TMessage& Message) override;
    void WMTimer(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
    struct TGrip {
        double Pos = 0;
        TColor Color = 0;
        Byte Kind = 0;
        double Min = 0, Max = 0;
    };
    bool Designing() const { return GetComponentState().Contains(csDesigning); }
    bool Vertical() const { return FRulerDir == rdVertical; }
    bool Valid(Integer Index) const { return Index >= 0 && Index < GetGripsCount(); }
    // Length along the scale and thickness across it, in pixels.
    Integer Length() const;
    Integer Thickness() const;
    // Whether the scale can be drawn: a positive finite DotPerUnit, and a range with FitInView.
    bool ScaleUsable() const;
    void ClampViewPos();
    void ClampGripPos(Integer Index);
    void DrawGrips();
    void DrawRuler();
    void DrawTicks(TCanvas* Canvas, double Frequency, Integer Size, bool Labels);
    // One pixel of edge scrolling toward lower (-1) or higher (+1) values.
    void ScrollStep(Integer Direction);
    void StopScrollTimer();

    TBitmap* FBitmap = nullptr;
    std::vector<TGrip> FGrips;
    double FViewPos = 0;
    TColor FBackground = clBtnFace;
    Integer FGripBaseDim = 12;
    TGripsDir FGripsDir = gdUp;
    bool FRuler = true;
    double FDotPerUnit = 1.0;
    double FFrequency = 10.0;
    double FLabelFreq = 40.0;
    TColor FRulerColor = clBtnFace;
    TRulerDir FRulerDir = rdHorizontal;
    double FViewMin = 0, FViewMax = 0;
    bool FFitInView = false;
    bool FHexLabels = false;
    // Dragging.
    Integer FPressedGrip = -1;
    Integer FPressedPixel = 0;
    TPoint FPress{0, 0};
    TPoint FLastMouse{0, 0};
    bool FScrolling = false;
};
