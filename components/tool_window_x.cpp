#include <algorithm>

#include "components/toolbar.h"

TToolWindowX::TToolWindowX(TComponent* AOwner) : TCustomToolWindowX(AOwner) { SetBounds(GetLeft(), GetTop(), 32, 32); }

Integer TToolWindowX::GetClientAreaWidth() { return GetParent() ? GetClientWidth() : GetWidth(); }

Integer TToolWindowX::GetClientAreaHeight() { return GetParent() ? GetClientHeight() : GetHeight(); }

void TToolWindowX::SetClientArea(Integer W, Integer H) {
    Integer dw = GetParent() ? GetWidth() - GetClientWidth() : 0;
    Integer dh = GetParent() ? GetHeight() - GetClientHeight() : 0;
    SetBounds(GetLeft(), GetTop(), W + dw, H + dh);
}

void TToolWindowX::SetClientAreaWidth(Integer Value) { SetClientArea(Value, GetClientAreaHeight()); }

void TToolWindowX::SetClientAreaHeight(Integer Value) { SetClientArea(GetClientAreaWidth(), Value); }

void TToolWindowX::GetBarCrossSize(Integer& CrossSize, TDockOrientation Orientation) {
    CrossSize = Orientation == doVertical ? FBarSize.X : FBarSize.Y;
}

void TToolWindowX::GetMinimumSize(Integer& MinWidth, Integer& MinHeight) {
    MinWidth = FMinClientWidth;
    MinHeight = FMinClientHeight;
}

void TToolWindowX::ArrangeControls(bool /*CanMove*/, TDockOrientation /*OldOrientation*/, TPoint& NewClientSize,
                                   TDockX* /*Dock*/) {
    NewClientSize = FBarSize;
}

void TToolWindowX::ResizeBar(Integer NewWidth, Integer NewHeight) {
    // Remembered as a client size: the frame is whatever the bar's place gives it.
    if (GetParent()) {
        TRect m = FrameMargins();
        NewWidth -= m.Left + m.Right;
        NewHeight -= m.Top + m.Bottom;
    }
    FBarSize = {std::max(0, NewWidth), std::max(0, NewHeight)};
}

void TToolWindowX::ReadPositionData(const TPositionReadData& Data) {
    if (!GetResizable()) return;
    Integer h = Data.ReadInteger(GetName(), "ClientHeight", FBarSize.Y);
    Integer w = Data.ReadInteger(GetName(), "ClientWidth", FBarSize.X);
    FBarSize = {w, h};
    SetClientArea(w, h);
}

void TToolWindowX::WritePositionData(const TPositionWriteData& Data) {
    Data.WriteInteger(GetName(), "ClientWidth", FBarSize.X);
    Data.WriteInteger(GetName(), "ClientHeight", FBarSize.Y);
}
