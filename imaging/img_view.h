#pragma once
// The image views: TImgView, the base of every view (background colour, border, resolution,
// current bitmap, bitmap-change listeners), and TImagoView, the single-image view that owns one
// bitmap and shows it at an integer zoom with a movable origin, scroll bars, automatic fitting,
// centring, nine background styles, a back buffer and filtered enlargement.
//
// Components attached to a view read its bitmap through GetBitmap, ask it for free notification
// and register a bitmap-change listener; after changing the pixels or the size they call the
// view's Update and then ImageChange.

#include <memory>
#include <vector>

#include "framework/controls.h"
#include "framework/graphics.h"
#include "imaging/img_types.h"

class TTimer;

// A view's scroll bar for an origin that runs from 0 to Max over a client extent Page: hidden
// when Max is below 1, else ranging 0..Page + Max - 1 with the thumb at Pos, and shown.
void ImgSetViewScrollBar(TWinControl* Control, Integer Bar, Integer Max, Integer Page, Integer Pos);
// The origin a view's scroll message asks for, from the origin now, the page step and the largest
// origin; false for the messages that move nothing (the final thumb position, the end of a scroll).
bool ImgScrollTarget(const TMessage& Message, Integer Current, Integer Page, Integer Max, Int64& Target);

// ---------------------------------------------------------------------------------------------
// TImgView

class TImgView : public TCustomControl {
    LUMORA_CLASS(TImgView, TCustomControl)
public:
    explicit TImgView(TComponent* AOwner);
    ~TImgView() override;

    TColor GetBackground() const { return FBackground; }
    virtual void SetBackground(TColor Color);
    // The current bitmap; none in the base.
    virtual TBitmap* GetBitmap() { return nullptr; }
    // bsSingle: a sunken client edge with Ctl3D, a one-pixel border without. Changing it
    // recreates the window.
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // The resolution of the shown image, in dots per inch.
    Integer GetDpiX() const { return FDpiX; }
    Integer GetDpiY() const { return FDpiY; }
    virtual void SetDpiX(Integer Value) { FDpiX = Value; }
    virtual void SetDpiY(Integer Value) { FDpiY = Value; }
    // SetDpiX, then SetDpiY.
    virtual void SetDPI(Integer DpiX, Integer DpiY);
    // Called after the image changed; nothing in the base.
    virtual void ImageChange() {}

    // Bitmap-change listeners, one entry per registration, keyed by the object that registered
    // it. Remove takes out the first entry of that object, if any; Notify calls every entry in
    // order with the view as Sender.
    void AddBitmapChangeListener(TObject* Listener, TNotifyEvent Handler);
    void RemoveBitmapChangeListener(TObject* Listener);
    void NotifyBitmapChange();

protected:
    void CreateParams(TCreateParams& Params) override;
    // The border's look follows Ctl3D: the window is made again.
    void CMCtl3DChanged(TMessage& Message) override;

    TColor FBackground;
    Integer FDpiX = 0;
    Integer FDpiY = 0;

private:
    struct TListener {
        TObject* Owner;
        TNotifyEvent Handler;
    };
    TBorderStyle FBorderStyle = bsSingle;
    std::vector<TListener> FListeners;
};

// ---------------------------------------------------------------------------------------------
// TImagoView

enum TImgBackgroundStyle {
    iebsSolid,
    iebsHorizontal,
    iebsVertical,
    iebsFDiagonal,
    iebsBDiagonal,
    iebsCross,
    iebsDiagCross,
    iebsChessboard,
    iebsDiagonals
};

// Change 1: the zoom changed; 0: the view origin changed.
using TViewChangeEvent = std::function<void(TObject* Sender, Integer Change)>;

// Whether coordinates handed to the selection operations are client or bitmap coordinates.
enum TImgSelectionBase { iesbClientArea, iesbBitmap };

// What the mouse does in a view: click zoom, drag scroll, rectangle selection (moved and sized by
// its grips), freehand polygon, ellipse, rectangle to zoom to, magic wand.
enum TImgMouseInteractItems {
    miZoom,
    miScroll,
    miSelect,
    miSelectPolygon,
    miSelectCircle,
    miSelectZoom,
    miSelectMagicWand
};
using TImgMouseInteract = TSet<TImgMouseInteractItems>;

enum TImgSelectionOptionsItems { iesoAnimated, iesoSizeable, iesoMoveable };
using TImgSelectionOptions = TSet<TImgSelectionOptionsItems>;

// A selection: polygons in bitmap coordinates (a point whose X is ImgPolygonSeparator ends one
// polygon), with their bounding box and how the outline is drawn: dashes of three pixels in each
// colour, shifted by Phase (0..5).
struct TImgSelectionRecord {
    std::vector<TPoint> Points;
    TColor Color1 = clBlack;
    TColor Color2 = clWhite;
    bool Animated = true;
    Integer Phase = 0;
    Integer X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;  // bounding box, inclusive
    bool Visible = false;
    bool Sizeable = true;
};

// The view's own cursor numbers (registered in the screen's cursor table): 1778 "ZOOMMENO" to
// 1790 "MOVE".
constexpr TCursor crImgZoomOut = 1778;
constexpr TCursor crImgZoomIn = 1779;
constexpr TCursor crImgCross = 1780;
constexpr TCursor crImgEraser = 1781;
constexpr TCursor crImgHand = 1782;
constexpr TCursor crImgPen = 1783;
constexpr TCursor crImgCross1 = 1784;
constexpr TCursor crImgCross2 = 1785;
constexpr TCursor crImgMoveDiagonal2 = 1786;
constexpr TCursor crImgMoveY = 1787;
constexpr TCursor crImgMoveDiagonal1 = 1788;
constexpr TCursor crImgMoveX = 1789;
constexpr TCursor crImgMove = 1790;

// The most pixels a side of the zoomed picture may have; zoomed sizes and scroll ranges stay far
// inside 32 bits whatever zoom is asked for.
inline constexpr Int64 ImgMaxZoomedSize = 0x3FFFFFFF;

class TImagoView : public TImgView {
    LUMORA_CLASS(TImagoView, TImgView)
public:
    explicit TImagoView(TComponent* AOwner);
    ~TImagoView() override;

    // The owned bitmap (24-bit at creation); the same object for the view's whole life.
    TBitmap* GetBitmap() override { return FBitmap; }
    void SetBackground(TColor Color) override;
    void ImageChange() override;
    // Takes a view (its bitmap, background and resolution), a 24-bit or 1-bit bitmap (copied),
    // a bitmap of another format (drawn into a 24-bit one) or null (fills with the background).
    void Assign(TPersistent* Source) override;
    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    // Recomputes the layout (automatic zoom, origin limits, scroll bars, extent and centring)
    // and asks for a repaint.
    void Update() override;

    // Zoom in percent, always above 0; values of 0 or less are ignored.
    Integer GetZoom() const { return FZoom; }
    void SetZoom(Integer Value);
    // The view origin in zoomed pixels, kept within 0..GetMaxViewXY.
    Integer GetViewX() const { return FViewX; }
    Integer GetViewY() const { return FViewY; }
    void SetViewX(Integer Value);
    void SetViewY(Integer Value);
    void SetViewXY(Integer X, Integer Y);
    void GetMaxViewXY(Integer& MaxX, Integer& MaxY);
    // The largest zoom that shows the whole image in the control's outer size.
    void ZoomToFit();
    // Zooms so that the image point under the client point (X, Y) comes to the centre.
    void ZoomAt(Integer X, Integer Y, Integer NewZoom);
    // Client to bitmap coordinates and back (nearest, halves to even).
    Integer XScr2Bmp(Integer X) const;
    Integer YScr2Bmp(Integer Y) const;
    Integer XBmp2Scr(Integer X) const;
    Integer YBmp2Scr(Integer Y) const;
    // The size the control needs to show the whole zoomed image.
    Integer GetZoomedControlWidth();
    Integer GetZoomedControlHeight();
    // The part of the client area the image covers and where it starts.
    Integer GetExtentX() const { return FExtX; }
    Integer GetExtentY() const { return FExtY; }
    Integer GetOffsetX() const { return FOffX; }
    Integer GetOffsetY() const { return FOffY; }

    bool GetCenter() const { return FCenter; }
    void SetCenter(bool Value);
    TScrollStyle GetScrollBars() const { return FScrollBars; }
    virtual void SetScrollBars(TScrollStyle Value);
    bool GetAutoFit() const { return FAutoFit; }
    void SetAutoFit(bool Value) { FAutoFit = Value; }
    bool GetAutoStretch() const { return FAutoStretch; }
    void SetAutoStretch(bool Value) { FAutoStretch = Value; }
    bool GetAutoShrink() const { return FAutoShrink; }
    void SetAutoShrink(bool Value) { FAutoShrink = Value; }
    TImgBackgroundStyle GetBackgroundStyle() const { return FBackgroundStyle; }
    void SetBackgroundStyle(TImgBackgroundStyle Value);
    // Paints through a back buffer of the client size, redrawn only when the layout changed.
    bool GetDoubleBuffer() const { return FDoubleBuffer; }
    void SetDoubleBuffer(bool Value) { FDoubleBuffer = Value; }
    // Enlarged display (zoom above 100) is resampled with this filter.
    TResampleFilter GetZoomFilter() const { return FZoomFilter; }
    void SetZoomFilter(TResampleFilter Value);
    // With this on, zooming and scrolling draw unfiltered; the filtered picture follows two
    // ticks of the view's 150 ms timer after the last change.
    bool GetDelayZoomFilter() const { return FDelayZoomFilter; }
    void SetDelayZoomFilter(bool Value) { FDelayZoomFilter = Value; }
    // The view's cursor (1785 at creation).
    TCursor GetCursor() const { return FCursor; }
    void SetCursor(TCursor Value);

    // Fills the whole bitmap with the background colour.
    void FillWithBackground();
    // Makes the bitmap 1 x 1 and fills it with the background colour.
    void ClearImage();
    // While the update lock is held, painting draws nothing. EndUpdate lowers it and updates at
    // 0; UnlockUpdate lowers it without updating. Both return the counter.
    void BeginUpdate();
    Integer EndUpdate();
    Integer UnlockUpdate();
    // Draws the visible part of the image, without background, at (0, 0) of Canvas, the size
    // of the displayed extent; resampled with ZoomFilter in both directions whenever a filter
    // is chosen and the zoom is not 100.
    void DrawVisibleImageTo(TCanvas* Canvas);
    // Draws background and image as the client area shows them.
    virtual void PaintTo(TCanvas* Canvas);
    using TWinControl::PaintTo;

    // Selections (bitmap coordinates; see TImgSelectionRecord).
    bool GetSelected() const { return FSelected; }
    TImgSelectionBase GetSelectionBase() const { return FSelectionBase; }
    void SetSelectionBase(TImgSelectionBase Value) { FSelectionBase = Value; }
    Integer GetSelX1() const { return FSelection->X1; }
    Integer GetSelY1() const { return FSelection->Y1; }
    Integer GetSelX2() const { return FSelection->X2; }
    Integer GetSelY2() const { return FSelection->Y2; }
    const TPoint* GetSelectionPoints() const { return FSelection->Points.data(); }
    Integer GetSelectionPointCount() const { return Integer(FSelection->Points.size()); }
    bool GetSelectionVisible() const { return FSelection->Visible; }
    TImgSelectionOptions GetSelectionOptions() const { return FSelectionOptions; }
    void SetSelectionOptions(TImgSelectionOptions Value);
    TColor GetSelectionColor1() const { return FSelection->Color1; }
    void SetSelectionColor1(TColor Value) { FSelection->Color1 = Value; }
    TColor GetSelectionColor2() const { return FSelection->Color2; }
    void SetSelectionColor2(TColor Value) { FSelection->Color2 = Value; }
    // Selects the rectangle between two corners (in any order), clamped to the bitmap; ignored
    // when the corners share a row or a column. Op 1 adds it to the existing selection as a
    // further polygon; any other Op replaces the selection.
    virtual void SelectRectangle(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer Op = 0);
    // Appends a point (clamped to the bitmap) to the last polygon.
    virtual void AddSelectionPoint(Integer X, Integer Y);
    // Selects the outline of the region of similar colour around the point (see MagicWandRegion).
    // Op 1 adds it to the existing selection; nothing for a point outside the bitmap.
    void MagicWandSelect(Integer X, Integer Y, Integer Op = 0);
    // Largest channel difference a pixel may have from the clicked one (15 at creation).
    Integer GetMagicWandTolerance() const { return FMagicWandTolerance; }
    void SetMagicWandTolerance(Integer Value) { FMagicWandTolerance = Value; }
    // Each joined pixel also takes in its neighbours (off at creation).
    bool GetMagicWandMaxFilter() const { return FMagicWandMaxFilter; }
    void SetMagicWandMaxFilter(bool Value) { FMagicWandMaxFilter = Value; }
    // The next points start a further polygon.
    void SelectionNewPart();
    // Removes the selection.
    void Deselect();
    // Shows the outline at once, or hides it.
    void ShowSelection(bool Value);
    // Zooms so that the selection's bounding box fills the view, and removes the selection.
    // Nothing for a box touching the left or top border or narrower or lower than 2 pixels.
    void ZoomSelection();
    // Copies the selected part of the bitmap, cut by the polygons, into a view's bitmap or a
    // bitmap.
    void CopySelectionTo(TPersistent* Target);

    // What the mouse does. Adding an item keeps only the items that go with it.
    TImgMouseInteract GetMouseInteract() const { return FMouseInteract; }
    virtual void SetMouseInteract(TImgMouseInteract Value);

    TViewChangeEvent OnViewChange;
    TNotifyEvent OnImageChange;
    // While a selection is being made or changed with the mouse; when such a gesture ends; while
    // the free mouse is over a grip or inside a rectangular selection.
    TNotifyEvent OnSelectionChanging;
    TNotifyEvent OnSelectionChange;
    TNotifyEvent OnMouseInSel;

protected:
    virtual void DoViewChange(Integer Change);
    void Paint() override;
    void WMSize(TMessage& Message) override;
    void WMEraseBkgnd(TMessage& Message) override;
    void WMHScroll(TMessage& Message) override;
    void WMVScroll(TMessage& Message) override;
    void CreateParams(TCreateParams& Params) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void WMLButtonDblClk(TMessage& Message) override;
    // Auto-scrolling moved the origin by (DX, DY): the rubber band's end follows.
    virtual void ShiftDragOrigin(Integer DX, Integer DY);
    // One tick of the view's 150 ms timer (or, with another Sender, drawing the outline at once):
    // draws the selection outline, its phase moved on by the timer, and counts the filter delay
    // down, updating when it runs out.
    void TimerTick(TObject* Sender);
    TTimer* GetSelectionTimer() const { return FTimer; }
    Integer GetFilterDelay() const { return FFilterDelay; }

private:
    bool Designing() const { return GetComponentState().Contains(csDesigning); }
    // Image size times the zoom, nearest.
    Integer ZoomedSize(Integer Size) const;
    void UpdateLayout();
    void DrawBackground(TCanvas* Canvas);
    // The background everywhere on Canvas except the rectangle.
    void DrawBackgroundAround(TCanvas* Canvas, const TRect& Keep);
    // The image's source rectangle for the displayed extent.
    TRect SourceRect(bool LastPixelCorrection) const;
    void ScrollMessage(TMessage& Message, bool Vertical);
    // Sets the origin (clamped), paints at once and moves the thumbs of the bars named.
    void MoveView(Integer X, Integer Y, bool Horizontal, bool Vertical);
    // Point storage. Appending a point keeps the bounding box; a separator is never added twice
    // in a row. Clearing and removing the last polygon repaint unless the update lock is held.
    void AddSelectionPointRaw(Integer X, Integer Y);
    void AddSelectionSeparator();
    void ClearSelectionPoints();
    void RemoveLastPolygon();
    void RemoveLastPoint();
    void SetBoundingBoxFromPoints();
    // Marks the outline visible and draws it now.
    void ShowSelectionOutline();
    void DrawSelectionOutlines(bool FromTimer);
    // Paints now unless the update lock is held.
    void RepaintNow();
    // Client to bitmap coordinates when SelectionBase asks for it.
    void ToBitmap(Integer& X, Integer& Y) const;
    TPoint ClampToBitmap(Integer X, Integer Y);
    // The client point clamped into the displayed image.
    TPoint ClampToImage(Integer X, Integer Y) const;
    bool SelectionIsRectangle() const;
    // Grip under a client point (0-3 corners, 4-7 edges) or -1; 0 inside the rectangle or -1.
    Integer GripAt(Integer X, Integer Y) const;
    Integer BodyAt(Integer X, Integer Y);
    Integer ResizeSelectionByGrip(Integer Grip, Integer X, Integer Y);
    void MoveSelection(Integer DX, Integer DY);
    // The rectangle's corners clamped to the bitmap and ordered, appended as four points, and
    // the outline shown; SetRectanglePoints first clears the points.
    void AppendRectangle(Integer X1, Integer Y1, Integer X2, Integer Y2);
    void SetRectanglePoints(Integer X1, Integer Y1, Integer X2, Integer Y2);
    void AddEllipse(Integer X, Integer Y, TShiftState Shift);
    void AutoScroll();
    // The inverting line from the rubber band's end to the last point.
    void DrawRubberBand();
    void ShowGripCursor(Integer Grip);

    TBitmap* FBitmap = nullptr;
    TBitmap* FBackBuffer = nullptr;
    HDRAWDIB FDrawDib[2] = {nullptr, nullptr};
    TTimer* FTimer = nullptr;
    Integer FZoom = 100;
    Integer FViewX = 0;
    Integer FViewY = 0;
    Integer FZoomedW = 0;
    Integer FZoomedH = 0;
    Integer FExtX = 0;
    Integer FExtY = 0;
    Integer FOffX = 0;
    Integer FOffY = 0;
    TSize FLastBitmapSize{-1, -1};
    Integer FUpdateLock = 0;
    bool FNeedRepaint = true;
    Integer FFilterDelay = 0;
    bool FDelayZoomFilter = false;
    TResampleFilter FZoomFilter = rfNone;
    TScrollStyle FScrollBars = ssNone;
    bool FCenter = false;
    bool FDoubleBuffer = false;
    bool FAutoFit = false;
    bool FAutoStretch = false;
    bool FAutoShrink = false;
    TImgBackgroundStyle FBackgroundStyle = iebsSolid;
    TCursor FCursor = crImgCross2;
    bool FInUpdate = false;
    bool FSizedInUpdate = false;
    // Selections.
    std::vector<std::unique_ptr<TImgSelectionRecord>> FSelections;
    TImgSelectionRecord* FSelection = nullptr;
    bool FSelected = false;
    TImgSelectionBase FSelectionBase = iesbClientArea;
    TImgSelectionOptions FSelectionOptions{iesoAnimated, iesoSizeable, iesoMoveable};
    TImgMouseInteract FMouseInteract;
    Integer FMagicWandTolerance = 15;
    bool FMagicWandMaxFilter = false;
    // Mouse gestures.
    bool FPolygonDrawing = false;
    bool FRectangleDrawing = false;
    bool FCircleDrawing = false;
    Integer FGrip = -1;
    Integer FMoving = -1;
    TPoint FPress;         // client
    TPoint FLastPoint;     // client
    TPoint FPressOrigin;   // ViewX, ViewY at the press
    Integer FPressCount = 0;
    TRect FPressBox;       // bounding box at the press, inclusive
    TPoint FBandEnd;       // client
    TResampleFilter FSavedZoomFilter = rfNone;
    bool FZoomFilterSaved = false;
};
