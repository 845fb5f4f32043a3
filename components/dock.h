#pragma once
// Docks: strips along a form's edges on which tool windows sit in rows.

#include <functional>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/graphics.h"

class TCustomToolWindowX;

enum TDockPosition { dpTop, dpBottom, dpLeft, dpRight };
using TDockableTo = TSet<TDockPosition>;
enum TDockBoundLinesValues { blTop, blBottom, blLeft, blRight };
using TDockBoundLines = TSet<TDockBoundLinesValues>;
enum TDockOrientation { doNone, doHorizontal, doVertical };

// The version text docks, bars and buttons report (writing it changes nothing).
using TToolbarXVersion = std::string;
extern const char* const ToolbarXVersionText;

// ---- The arrangement, apart from any window ----------------------------------------------------

// A bar as the arrangement sees it. Placed: docked here and visible. Length is the bar's extent
// along the dock, CrossSize its thickness across (GetBarCrossSize).
struct TDockBarLayout {
    Integer Row = 0;
    Integer Pos = 0;
    Integer Length = 0;
    Integer CrossSize = 0;
    bool FullSize = false;
    bool Placed = true;
    // Out: where the bar is shown (along, across), its extent along and its row's thickness.
    Integer ShownPos = 0;
    Integer RowOffset = 0;
    Integer ShownLength = 0;
    Integer RowThickness = 0;
    // Index of the bar in the caller's list (the arrangement sorts the list).
    Integer Tag = 0;
};

struct TDockArrangeResult {
    std::vector<Integer> RowSizes;
    // The dock's thickness across, non-client lines included.
    Integer Thickness = 0;
};

// Closes up empty rows (one per gap per call), sorts by (row, position), gives full-size bars a
// row of their own, removes overlaps, fits the bars into ClientLength (pushed back from the far
// end, never before 0) and stacks the rows. With ClipPositions the shown positions become the
// stored ones. Without a placed bar the thickness is 1 with FixAlign, else 0.
TDockArrangeResult ArrangeDockBars(std::vector<TDockBarLayout>& Bars, Integer ClientLength, bool LimitToOneRow,
                                   bool ClipPositions, bool FixAlign, Integer NonClientAcross);

// ---- TDockX ------------------------------------------------------------------------------------

class TDockX : public TCustomControl {
    LUMORA_CLASS(TDockX, TCustomControl)
public:
    explicit TDockX(TComponent* AOwner);
    ~TDockX() override;

    TDockPosition GetPosition() const { return FPosition; }
    // Only while the dock holds no controls.
    void SetPosition(TDockPosition Value);
    bool GetAllowDrag() const { return FAllowDrag; }
    void SetAllowDrag(bool Value);
    bool GetLimitToOneRow() const { return FLimitToOneRow; }
    void SetLimitToOneRow(bool Value);
    bool GetFixAlign() const { return FFixAlign; }
    void SetFixAlign(bool Value);
    TDockBoundLines GetBoundLines() const { return FBoundLines; }
    void SetBoundLines(TDockBoundLines Value);
    TBitmap* GetBackground() const { return FBackground; }
    void SetBackground(TBitmap* Value);
    bool GetBackgroundOnToolbars() const { return FBackgroundOnToolbars; }
    void SetBackgroundOnToolbars(bool Value);
    // The background's colour at its bottom-left pixel shows the dock's Color instead.
    bool GetBackgroundTransparent() const { return FBackgroundTransparent; }
    void SetBackgroundTransparent(bool Value);
    // Paints the background tiles over R on C, whose origin lies at Origin in the dock's client
    // area (a bar's window or client area); false when there is no background to paint there.
    bool PaintBackground(TCanvas* C, const TRect& R, TPoint Origin, bool ForBar);
    TToolbarXVersion GetVersion() const { return ToolbarXVersionText; }
    void SetVersion(const TToolbarXVersion& /*Value*/) {}
    TDockOrientation GetOrientation() const;

    void BeginUpdate();
    void EndUpdate();
    void ArrangeDockedBars(bool ClipPositions = false);

    // Bars docked here and floating bars that return here, in the order of the last arrangement.
    const std::vector<TCustomToolWindowX*>& GetBars() const { return FBars; }
    const std::vector<TCustomToolWindowX*>& GetVisibleBars() const { return FVisibleBars; }
    Integer GetHighestRow() const;
    // The size of a row from the last arrangement, else the bar's own thickness.
    Integer GetRowSize(Integer Row, TCustomToolWindowX* DefaultBar);
    // The row at a coordinate across the dock's client area.
    Integer GetRowOf(Integer XY);

    std::function<void(TObject* Sender, bool Inserting, TCustomToolWindowX* Bar)> OnInsertRemoveBar;
    std::function<void(TObject* Sender, TCustomToolWindowX* Bar, bool& Accept)> OnRequestDock;

    void SetParent(TWinControl* AParent) override;

protected:
    friend class TCustomToolWindowX;
    void AddBar(TCustomToolWindowX* Bar);
    void RemoveBar(TCustomToolWindowX* Bar);
    // Brings the visible list up to date with the bar's state; re-arranges when it changed.
    void UpdateVisibleBar(TCustomToolWindowX* Bar, bool ForceRemove = false);

    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;
    void WMSize(TMessage& Message) override;
    void WMNCCalcSize(TMessage& Message) override;
    void WMNCPaint(TMessage& Message) override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void CMColorChanged(TMessage& Message) override;
    void CMSysColorChange(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;

private:
    TDockPosition FPosition = dpTop;
    bool FAllowDrag = true;
    bool FLimitToOneRow = false;
    bool FFixAlign = false;
    TDockBoundLines FBoundLines;
    TBitmap* FBackground;
    bool FBackgroundOnToolbars = true;
    bool FBackgroundTransparent = false;
    // The background as drawn: the bitmap itself, or with its transparent colour replaced.
    TBitmap* FDrawnBackground = nullptr;
    bool FDrawnBackgroundValid = false;
    std::vector<TCustomToolWindowX*> FBars;
    std::vector<TCustomToolWindowX*> FVisibleBars;
    std::vector<Integer> FRowSizes;
    Integer FUpdateCount = 0;
    bool FArrangeNeeded = false;
    bool FClipPositions = false;
    bool FArranging = false;

    bool IsPlaced(TCustomToolWindowX* Bar);
    TRect BoundLineMargins() const;
    void DrawFrame(TCanvas* C);
    TBitmap* DrawnBackground();
    void BackgroundChanged();
};
