#pragma once
// The concrete bars: toolbars lining up buttons and separators (wrapping into lines when
// floating), their separators, and tool windows with a client area of their own size.

#include <vector>

#include "components/tool_window.h"

// ---- The toolbar's layout, apart from any window -----------------------------------------------

// A control as the layout sees it: a separator is SizeHorz x SizeVert long, another control its
// own Width x Height. Out: where it goes (client coordinates); a separator that ends a wrapped
// line gets no width.
struct TToolbarItem {
    bool Separator = false;
    bool Blank = false;
    Integer Width = 0;
    Integer Height = 0;
    TRect Bounds;
};

// A line that a wrap started: its top, and whether the separator ending the line before is blank.
struct TToolbarLineSeparator {
    Integer Y = 0;
    bool Blank = false;
};

struct TToolbarLayout {
    TPoint ClientSize;
    std::vector<TToolbarLineSeparator> LineSeparators;
};

// The thickness of a toolbar across a dock of that orientation: its largest control, at least 8.
Integer ToolbarCrossSize(const std::vector<TToolbarItem>& Items, TDockOrientation Orientation);
// Lays Items out in order, one line on a dock (Orientation doHorizontal or doVertical), wrapped at
// FloatRightX when floating (doNone; 0 keeps one line). RowSize is the thickness controls are
// centred in (the dock row's, else the toolbar's own).
TToolbarLayout ArrangeToolbarItems(std::vector<TToolbarItem>& Items, TDockOrientation Orientation,
                                   Integer FloatRightX, Integer RowSize);
// The distinct floating client sizes of a toolbar, one line first, then narrower wrap layouts.
std::vector<TPoint> ToolbarPossibleSizes(const std::vector<TToolbarItem>& Items);

// ---- TCustomToolbarX, TToolbarX ----------------------------------------------------------------

class TCustomToolbarX : public TCustomToolWindowX {
    LUMORA_CLASS(TCustomToolbarX, TCustomToolWindowX)
public:
    explicit TCustomToolbarX(TComponent* AOwner);

    // The client width at which the floating lines wrap (0: one line).
    Integer GetFloatRightX() const { return FFloatRightX; }
    void SetFloatRightX(Integer Value);
    // The controls in the order they stand on the bar.
    const std::vector<TControl*>& GetOrderList() const { return FOrderList; }
    // The lines a wrap started in the last arrangement.
    const std::vector<TToolbarLineSeparator>& GetLineSeparators() const { return FLineSeparators; }

protected:
    virtual void GetPossibleSizes(std::vector<TPoint>& List);
    // Whether to order the controls by position after loading, and while designing.
    virtual void InitToolbarParams(bool& OrderByPosition, bool& OrderWhileDesigning);

    void GetBarCrossSize(Integer& CrossSize, TDockOrientation Orientation) override;
    void ArrangeControls(bool CanMove, TDockOrientation OldOrientation, TPoint& NewClientSize, TDockX* Dock) override;
    bool ChildIsSeparator(TControl* Control) override;
    void InitParams(TToolWindowParams& Params) override;
    void AfterLoaded() override;
    void BeginSizing(Integer SizeHandle) override;
    void EndSizing(bool Accepted) override;
    void Sizing(TRect& NewRect, const TRect& OrigRect) override;
    void ReadPositionData(const TPositionReadData& Data) override;
    void WritePositionData(const TPositionWriteData& Data) override;
    void Paint() override;
    void WMWindowPosChanged(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;

private:
    Integer FFloatRightX = 0;
    std::vector<TControl*> FOrderList;
    std::vector<TToolbarLineSeparator> FLineSeparators;
    // While the floating bar is being resized.
    struct TSizingData {
        Integer Handle = 0;
        // Window sizes, the one-line layout marked.
        std::vector<TPoint> Sizes;
        Integer OneLine = 0;
        Integer ProposedFloatRightX = 0;
        bool MovedOff = false;
        Integer LastDirection = 0;
        Integer SnapDistance = 0;
        TPoint Current;
    };
    TSizingData* FSizing = nullptr;

    std::vector<TToolbarItem> Items(std::vector<TControl*>* Controls);
};

class TToolbarX : public TCustomToolbarX {
    LUMORA_CLASS(TToolbarX, TCustomToolbarX)
public:
    using TCustomToolbarX::TCustomToolbarX;
};

// ---- TToolbarSepX ------------------------------------------------------------------------------

class TToolbarSepX : public TGraphicControl {
    LUMORA_CLASS(TToolbarSepX, TGraphicControl)
public:
    explicit TToolbarSepX(TComponent* AOwner);
    Integer GetSizeHorz() const { return FSizeHorz; }
    void SetSizeHorz(Integer Value);
    Integer GetSizeVert() const { return FSizeVert; }
    void SetSizeVert(Integer Value);
    // A blank separator draws nothing but keeps its place.
    bool GetBlank() const { return FBlank; }
    void SetBlank(bool Value);
    TToolbarXVersion GetVersion() const { return ToolbarXVersionText; }
    void SetVersion(const TToolbarXVersion& /*Value*/) {}

    void SetParent(TWinControl* AParent) override;

protected:
    void Paint() override;

private:
    Integer FSizeHorz = 6;
    Integer FSizeVert = 6;
    bool FBlank = false;
};

// ---- TToolWindowX ------------------------------------------------------------------------------

class TToolWindowX : public TCustomToolWindowX {
    LUMORA_CLASS(TToolWindowX, TCustomToolWindowX)
public:
    explicit TToolWindowX(TComponent* AOwner);
    // The client size (the whole size while the bar has no parent); setting one keeps the other.
    Integer GetClientAreaWidth();
    void SetClientAreaWidth(Integer Value);
    Integer GetClientAreaHeight();
    void SetClientAreaHeight(Integer Value);
    Integer GetMinClientWidth() const { return FMinClientWidth; }
    void SetMinClientWidth(Integer Value) { FMinClientWidth = Value; }
    Integer GetMinClientHeight() const { return FMinClientHeight; }
    void SetMinClientHeight(Integer Value) { FMinClientHeight = Value; }
    // The remembered client size the bar lays itself out at.
    TPoint GetBarSize() const { return FBarSize; }

protected:
    void GetBarCrossSize(Integer& CrossSize, TDockOrientation Orientation) override;
    void GetMinimumSize(Integer& MinWidth, Integer& MinHeight) override;
    void ArrangeControls(bool CanMove, TDockOrientation OldOrientation, TPoint& NewClientSize, TDockX* Dock) override;
    void ResizeBar(Integer NewWidth, Integer NewHeight) override;
    void ReadPositionData(const TPositionReadData& Data) override;
    void WritePositionData(const TPositionWriteData& Data) override;

private:
    Integer FMinClientWidth = 32;
    Integer FMinClientHeight = 32;
    TPoint FBarSize{32, 32};
    void SetClientArea(Integer W, Integer H);
};
