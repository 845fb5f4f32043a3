#pragma once
// TImgGradientBar: a linear colour ramp from BeginColor to EndColor, horizontal (begin at the
// left) or vertical (begin at the bottom), with an inverted grip the user drags along it; the
// grip's place is reported as 0..255 through OnChange. The collapsible panels use a horizontal
// one without a grip as their title bar.

#include <array>

#include "framework/controls.h"
#include "framework/graphics.h"

enum TImgGradientDir { gdHorizontal, gdVertical };
enum TImgMouseInteractItemsGr { migDragGrip };
using TImgMouseInteractGr = TSet<TImgMouseInteractItemsGr>;

class TImgGradientBar : public TCustomControl {
    LUMORA_CLASS(TImgGradientBar, TCustomControl)
public:
    // 40 x 300, vertical, black to white, grip at 0 and draggable.
    explicit TImgGradientBar(TComponent* AOwner);

    TColor GetBeginColor() const { return FBeginColor; }
    void SetBeginColor(TColor Value);
    TColor GetEndColor() const { return FEndColor; }
    void SetEndColor(TColor Value);
    TImgGradientDir GetDirection() const { return FDirection; }
    void SetDirection(TImgGradientDir Value);
    // Stored only: no repaint.
    TImgMouseInteractGr GetMouseInteract() const { return FMouseInteract; }
    void SetMouseInteract(TImgMouseInteractGr Value) { FMouseInteract = Value; }
    // 0..255 along the ramp, measured from the left or the top; changed only by dragging.
    Integer GetGripPosition() const { return FGripPosition; }
    // Entry 0 is the begin colour, entry 255 the end colour.
    TColor GetTableColor(Integer Index) const { return FTable[Byte(Index)]; }

    TNotifyEvent OnChange;

protected:
    void Paint() override;
    void WMEraseBkgnd(TMessage& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;

private:
    void BuildTable();
    // The ramp's length in pixels along the direction, less one (0 for a bar one pixel long).
    Integer Span();
    // Inverts the grip's outline, so drawing it twice removes it.
    void DrawGrip();
    void MoveGrip(Integer X, Integer Y);

    TColor FBeginColor = clBlack;
    TColor FEndColor = clWhite;
    TImgGradientDir FDirection = gdVertical;
    TImgMouseInteractGr FMouseInteract{migDragGrip};
    Integer FGripPosition = 0;
    std::array<TColor, 256> FTable{};
};
