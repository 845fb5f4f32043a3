#pragma once
// The window system: TControl (placed, painted and fed with input inside a parent),
// TWinControl (owns a window created on demand and hosts child controls), TCustomControl (a
// window with a persistent canvas), TGraphicControl (no window: painted by its parent), and the
// window-level functions (focus, capture, scroll bars, posted messages) that work on them.
//
// Parent and owner are kept apart: the owner (TComponent) frees, the parent places and paints.
// A windowed control frees the controls it parents when it is freed.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/messages.h"
#include "framework/resources.h"

class TWinControl;
class TCustomForm;
class TFont;
class TBrush;
class TCanvas;
class TDragObject;
class TPopupMenu;
class TCustomImageList;
class TBasicAction;
class TControlActionLink;
struct TWindowHandle;
struct TPaintSurface;

// ---------------------------------------------------------------------------------------------
// Types

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
using TAlignSet = TSet<TAlign>;

enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;

enum TControlStyleItem {
    csAcceptsControls,
    csCaptureMouse,
    csDesignInteractive,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents,
};
using TControlStyle = TSet<TControlStyleItem>;

enum TControlStateItem {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csAlignmentNeeded,
    csFocusing,
    csCreating,
    csPaintCopy,
    csCustomPaint,
    csDestroyingHandle,
    csDocking,
};
using TControlState = TSet<TControlStateItem>;

enum TDragMode { dmManual, dmAutomatic };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
enum TDragMessage { dmDragEnter, dmDragLeave, dmDragMove, dmDragDrop, dmDragCancel, dmFindTarget };

// The border of controls (bsNone, bsSingle) and of forms (all six).
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TScrollBarKind { sbHorizontal, sbVertical };

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, Integer X, Integer Y)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, Integer WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, Char& Key)>;
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, Integer X, Integer Y)>;
using TStartDragEvent = std::function<void(TObject* Sender, TDragObject*& DragObject)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, Integer X, Integer Y)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TCanResizeEvent = std::function<void(TObject* Sender, Integer& NewWidth, Integer& NewHeight, bool& Resize)>;
using TConstrainedResizeEvent =
    std::function<void(TObject* Sender, Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight)>;

// What CreateParams fills in before a window is made.
struct TWndClass {
    UINT style = 0;
    std::string lpszClassName;
};

struct TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    Integer X = 0;
    Integer Y = 0;
    Integer Width = 0;
    Integer Height = 0;
    HWND WndParent = nullptr;  // the parent window of a child, the owner of a popup
    TWndClass WindowClass;
    std::string WinClassName;
};

// Size limits of a control; 0 means no limit.
class TSizeConstraints : public TPersistent {
    LUMORA_CLASS(TSizeConstraints, TPersistent)
public:
    explicit TSizeConstraints(TControl* Control) : FControl(Control) {}
    Integer GetMaxHeight() const { return FMaxHeight; }
    Integer GetMaxWidth() const { return FMaxWidth; }
    Integer GetMinHeight() const { return FMinHeight; }
    Integer GetMinWidth() const { return FMinWidth; }
    void SetMaxHeight(Integer Value);
    void SetMaxWidth(Integer Value);
    void SetMinHeight(Integer Value);
    void SetMinWidth(Integer Value);
    void Assign(TPersistent* Source) override;
    TControl* GetControl() const { return FControl; }
    TNotifyEvent OnChange;

private:
    void Changed();
    TControl* FControl;
    Integer FMaxHeight = 0;
    Integer FMaxWidth = 0;
    Integer FMinHeight = 0;
    Integer FMinWidth = 0;
};

// What CM_DRAG carries (LParam points to it).
struct TDragRec {
    TPoint Pos;  // screen coordinates
    TDragObject* Source = nullptr;
    void* Target = nullptr;  // the control found under Pos
    bool Docking = false;
};

// Menus are built on top of the window system; they plug in here.
struct TPopupMenuHooks {
    // Shows Menu for Control at a screen position (the control's PopupMenu on a right click);
    // false when the menu does not pop up by itself (AutoPopup off).
    static std::function<bool(TPopupMenu* Menu, TControl* Control, TPoint ScreenPos)> Popup;
};

// ---------------------------------------------------------------------------------------------
// TControl

class TControl : public TComponent {
    LUMORA_CLASS(TControl, TComponent)
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;
    void BeforeDestruction() override;

    // Parent (placement and painting; apart from the owner).
    TWinControl* GetParent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);
    TComponent* GetParentComponent() override;
    bool HasParent() override { return true; }
    void SetParentComponent(TComponent* Value) override;

    // Bounds, in the parent's client coordinates.
    Integer GetLeft() const { return FLeft; }
    Integer GetTop() const { return FTop; }
    Integer GetWidth() const { return FWidth; }
    Integer GetHeight() const { return FHeight; }
    void SetLeft(Integer Value) { SetBounds(Value, FTop, FWidth, FHeight); }
    void SetTop(Integer Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
    void SetWidth(Integer Value) { SetBounds(FLeft, FTop, Value, FHeight); }
    void SetHeight(Integer Value) { SetBounds(FLeft, FTop, FWidth, Value); }
    virtual void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);
    TRect GetBoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }

    // The client area: (0, 0, ClientWidth, ClientHeight) in client coordinates.
    TRect GetClientRect() { return ClientRectOf(); }
    Integer GetClientWidth() { return GetClientRect().Right; }
    Integer GetClientHeight() { return GetClientRect().Bottom; }
    void SetClientWidth(Integer Value);
    void SetClientHeight(Integer Value);
    virtual void SetClientSize(TPoint Value);
    // The screen position of the client area's origin.
    TPoint GetClientOrigin();
    TPoint ClientToScreen(TPoint P);
    TPoint ScreenToClient(TPoint P);
    TPoint ClientToParent(TPoint P, TWinControl* AParent = nullptr);
    TPoint ParentToClient(TPoint P, TWinControl* AParent = nullptr);

    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    void Show();
    void Hide();
    bool GetEnabled() const { return FEnabled; }
    virtual void SetEnabled(bool Value);
    // Visible and in a showing parent (windowed controls: their window is shown).
    virtual bool IsShowing() const;

    TAlign GetAlign() const { return FAlign; }
    void SetAlign(TAlign Value);
    TAnchors GetAnchors() const { return FAnchors; }
    void SetAnchors(TAnchors Value);
    TSizeConstraints* GetConstraints() const { return FConstraints; }
    void SetConstraints(TSizeConstraints* Value) { FConstraints->Assign(Value); }
    bool GetAutoSize() const { return FAutoSize; }
    virtual void SetAutoSize(bool Value);

    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    bool GetParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    TFont* GetFont() const { return FFont; }
    void SetFont(TFont* Value);
    bool GetParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    TCursor GetCursor() const { return FCursor; }
    void SetCursor(TCursor Value);

    const std::string& GetHint() const { return FHint; }
    void SetHint(const std::string& Value) { FHint = Value; }
    bool GetShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    bool GetParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool Value);
    TPopupMenu* GetPopupMenu() const { return FPopupMenu; }
    virtual void SetPopupMenu(TPopupMenu* Value);
    Integer GetHelpContext() const { return FHelpContext; }
    void SetHelpContext(Integer Value) { FHelpContext = Value; }
    // The action the control follows: its caption, enabled state, hint, visibility and help
    // context take the action's, and a click executes it (unless OnClick is set).
    TBasicAction* GetAction() const;
    void SetAction(TBasicAction* Value);
    // Runs the action's update (its OnUpdate) for this control.
    virtual void InitiateAction();
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TControlStyle GetControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
    TControlState GetControlState() const { return FControlState; }
    void SetControlState(TControlState Value) { FControlState = Value; }

    // Caption and Text are the same text; setting it sends WM_SETTEXT then CM_TEXTCHANGED.
    std::string GetText();
    void SetText(const std::string& Value);
    std::string GetCaption() { return GetText(); }
    void SetCaption(const std::string& Value) { SetText(Value); }

    // Painting. Invalidate marks the control for repainting; Update paints what is marked now;
    // Repaint does both; Refresh is Repaint.
    virtual void Invalidate();
    virtual void Update();
    virtual void Repaint();
    void Refresh() { Repaint(); }

    // Z-order among the siblings (windowed controls stay above graphic ones).
    void BringToFront() { SetZOrder(true); }
    void SendToBack() { SetZOrder(false); }

    // Messages.
    LRESULT Perform(Cardinal Msg, WPARAM WParam = 0, LPARAM LParam = 0);
    virtual void WndProc(TMessage& Message);
    // Calls the handler for Message.Msg, or DefaultHandler when there is none. Overrides add ids
    // and pass the rest to the base.
    virtual void Dispatch(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message);

    // Mouse capture: every mouse message goes to this control while set.
    bool GetMouseCapture();
    void SetMouseCapture(bool Value);

    // Dragging.
    TDragMode GetDragMode() const { return FDragMode; }
    virtual void SetDragMode(TDragMode Value) { FDragMode = Value; }
    TCursor GetDragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor Value) { FDragCursor = Value; }
    // Starts dragging: at once with Immediate, else after the mouse moved Threshold pixels
    // (a negative threshold takes Mouse->DragThreshold).
    void BeginDrag(bool Immediate, Integer Threshold = -1);
    void EndDrag(bool Drop);
    bool Dragging() const;
    virtual void DragDrop(TObject* Source, Integer X, Integer Y);
    // The image list whose drag image follows the cursor (nullptr: none).
    virtual TCustomImageList* GetDragImages() { return nullptr; }

    // Scaling (forms made at another resolution).
    void ScaleBy(Integer M, Integer D);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnResize;
    TCanResizeEvent OnCanResize;
    TConstrainedResizeEvent OnConstrainedResize;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TStartDragEvent OnStartDrag;
    TEndDragEvent OnEndDrag;
    TContextPopupEvent OnContextPopup;

protected:
    friend class TWinControl;
    friend struct TDragManager;
    friend class TDragControlObject;
    friend class TSizeConstraints;
    friend class TControlActionLink;

    // The link to the action (nullptr without one); made by CreateActionLink.
    TControlActionLink* GetActionLink() const { return FActionLink; }
    virtual TControlActionLink* CreateActionLink();
    // Takes the action's properties; with CheckDefaults only those still at their defaults.
    virtual void ActionChange(TObject* Sender, bool CheckDefaults);

    // Notifications and overridable steps.
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    virtual void MouseMove(TShiftState Shift, Integer X, Integer Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    virtual bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos);
    virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
    virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
    // Routes WM_MOUSEWHEEL: the parent form first, then this control and its parents.
    virtual void MouseWheelHandler(TMessage& Message);
    virtual void DoContextPopup(TPoint MousePos, bool& Handled);
    virtual void Resize();
    virtual bool CanResize(Integer& NewWidth, Integer& NewHeight);
    virtual bool CanAutoSize(Integer& NewWidth, Integer& NewHeight);
    virtual void ConstrainedResize(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight);
    virtual void AdjustSize();
    virtual void Changed();
    virtual void VisibleChanging() {}
    virtual void SetZOrder(bool TopMost);
    virtual void ChangeScale(Integer M, Integer D);
    virtual TRect ClientRectOf();
    virtual TPoint GetClientOriginOf();
    void Loaded() override;

    // Dragging steps.
    virtual void DoStartDrag(TDragObject*& DragObject);
    virtual void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept);
    virtual void DoEndDrag(TObject* Target, Integer X, Integer Y);
    virtual void DragCanceled() {}
    void BeginAutoDrag();

    // Asks the forms up the parent chain to cancel modes of their focused controls.
    void SendCancelMode(TControl* Sender);
    void InvalidateControl(bool IsVisible, bool IsOpaque);
    // Asks the parent to realign the controls when this one is aligned or anchored.
    void RequestAlign();
    bool IsLoading() const { return GetComponentState().Contains(csLoading); }
    bool IsDestroying() const { return GetComponentState().Contains(csDestroying); }
    void DoConstraints(Integer& NewWidth, Integer& NewHeight);
    void UpdateAnchorRules();
    virtual void FontChanged();

    // Message handlers.
    virtual void WMLButtonDown(TMessage& Message);
    virtual void WMLButtonUp(TMessage& Message);
    virtual void WMLButtonDblClk(TMessage& Message);
    virtual void WMRButtonDown(TMessage& Message);
    virtual void WMRButtonUp(TMessage& Message);
    virtual void WMRButtonDblClk(TMessage& Message);
    virtual void WMMButtonDown(TMessage& Message);
    virtual void WMMButtonUp(TMessage& Message);
    virtual void WMMButtonDblClk(TMessage& Message);
    virtual void WMMouseMove(TMessage& Message);
    virtual void WMMouseWheel(TMessage& Message);
    virtual void WMCancelMode(TMessage& Message);
    virtual void WMContextMenu(TMessage& Message);
    virtual void WMGetText(TMessage& Message);
    virtual void WMSetText(TMessage& Message);
    virtual void WMWindowPosChanged(TMessage& Message);
    virtual void CMEnabledChanged(TMessage& Message);
    virtual void CMVisibleChanged(TMessage& Message);
    virtual void CMFontChanged(TMessage& Message);
    virtual void CMColorChanged(TMessage& Message);
    virtual void CMParentFontChanged(TMessage& Message);
    virtual void CMParentColorChanged(TMessage& Message);
    virtual void CMParentShowHintChanged(TMessage& Message);
    virtual void CMTextChanged(TMessage& Message);
    virtual void CMMouseEnter(TMessage& Message);
    virtual void CMMouseLeave(TMessage& Message);
    virtual void CMHitTest(TMessage& Message);
    virtual void CMCancelMode(TMessage& Message);
    virtual void CMDrag(TMessage& Message);
    virtual void CMMouseWheel(TMessage& Message);
    virtual void CMHintShow(TMessage& Message);
    virtual void CMSysColorChange(TMessage& Message);

    TWinControl* FParent = nullptr;
    Integer FLeft = 0;
    Integer FTop = 0;
    Integer FWidth = 0;
    Integer FHeight = 0;
    TControlStyle FControlStyle;
    TControlState FControlState;
    bool FVisible = true;
    bool FEnabled = true;
    TColor FColor;
    bool FParentColor = true;
    TFont* FFont = nullptr;
    bool FParentFont = true;
    std::string FText;

private:
    void DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift);
    void DoMouseUp(TMessage& Message, TMouseButton Button);
    void ParentFontChanged();

    TAlign FAlign = alNone;
    TAnchors FAnchors{akLeft, akTop};
    TRect FAnchorOrigin;           // bounds when last placed by hand
    TPoint FAnchorParentSize{-1, -1};  // parent client size then
    TSizeConstraints* FConstraints = nullptr;
    bool FAutoSize = false;
    bool FAdjustingSize = false;
    TCursor FCursor = 0;
    std::string FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TPopupMenu* FPopupMenu = nullptr;
    TControlActionLink* FActionLink = nullptr;
    Integer FHelpContext = 0;
    TDragMode FDragMode = dmManual;
    TCursor FDragCursor = crDrag;
    bool FFontChanging = false;
};

// ---------------------------------------------------------------------------------------------
// TWinControl

// The state of one window scroll bar (Windows semantics).
struct TWindowScrollBar {
    Integer Min = 0;
    Integer Max = 0;
    UINT Page = 0;
    Integer Pos = 0;
    Integer TrackPos = 0;
    bool Tracking = false;
    bool Shown = false;     // the bar takes space (style bit WS_HSCROLL / WS_VSCROLL)
    bool Disabled = false;  // shown but disabled (SIF_DISABLENOSCROLL, EnableScrollBar)
};

class TWinControl : public TControl {
    LUMORA_CLASS(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;
    void BeforeDestruction() override;

    // The window, created on demand (with the parents' windows).
    HWND GetHandle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded();
    void DestroyHandle();
    void RecreateWnd();
    // A window that hosts this control without being a TWinControl parent (popups, embedding).
    HWND GetParentWindow() const { return FParentWindow; }
    void SetParentWindow(HWND Value);
    bool IsShowing() const override;
    bool GetShowing() const { return IsShowing(); }

    // Child controls: graphic ones first, then windowed ones, each in z-order from the bottom.
    int GetControlCount() const { return int(FControls.size() + FWinControls.size()); }
    TControl* GetControl(int Index) const;
    bool ContainsControl(TControl* Control) const;
    // The child at P (client coordinates): enabled (unless AllowDisabled) and visible,
    // windowed ones only with AllowWinControls; topmost first.
    TControl* ControlAtPos(TPoint P, bool AllowDisabled, bool AllowWinControls = false);
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    // Sends Message to each child until one sets a nonzero Result.
    void Broadcast(TMessage& Message);
    void NotifyControls(Cardinal Msg);

    // Alignment of the children.
    void DisableAlign();
    void EnableAlign();
    void Realign();
    bool AlignDisabled() const { return FAlignLevel > 0; }

    // Focus and tab order.
    Integer GetTabOrder() const;
    void SetTabOrder(Integer Value);
    bool GetTabStop() const { return FTabStop; }
    void SetTabStop(bool Value);
    virtual bool CanFocus();
    bool Focused();
    virtual void SetFocus();
    // The children in tab order, recursively (each followed by its own children).
    void GetTabOrderList(std::vector<TWinControl*>& List);
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

    TBrush* GetBrush() const { return FBrush; }
    bool GetCtl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value);
    bool GetParentCtl3D() const { return FParentCtl3D; }
    void SetParentCtl3D(bool Value);
    Integer GetBorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(Integer Value);
    bool GetDoubleBuffered() const { return FDoubleBuffered; }
    void SetDoubleBuffered(bool Value) { FDoubleBuffered = Value; }

    void Invalidate() override;
    void Update() override;
    void Repaint() override;
    // Marks part of the client area for repainting (nullptr: all of it).
    void InvalidateRect(const TRect* R, bool Erase);
    void ValidateRect(const TRect* R);
    // Paints the control and its children into Canvas at (X, Y).
    void PaintTo(TCanvas* Canvas, Integer X, Integer Y);

    // The window scroll bars' state (SB_HORZ, SB_VERT).
    const TWindowScrollBar& ScrollBarState(Integer Bar) const { return FScrollBars[Bar == SB_VERT ? 1 : 0]; }
    // The non-client margins around the client area (border and scroll bars).
    TRect GetNonClientMargins();

    void WndProc(TMessage& Message) override;

    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

protected:
    friend class TCustomForm;
    friend class TControl;
    friend struct TWindowBackend;

    virtual void CreateParams(TCreateParams& Params);
    // Creates the window for Params (the backend's widget). Native-widget controls override it.
    virtual void CreateWindowHandle(const TCreateParams& Params);
    virtual void CreateWnd();
    virtual void DestroyWnd();
    virtual void DestroyWindowHandle();
    virtual void CreateHandle();
    void UpdateShowing();
    void UpdateControlState();
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    void AlignControl(TControl* AControl);
    virtual TRect GetClientRectForAlign() { return GetClientRect(); }
    // True when the window aligns again whenever any child moves or resizes (scrolling windows
    // follow their children's extent).
    virtual bool TracksChildBounds() const { return false; }
    TRect ClientRectOf() override;
    TPoint GetClientOriginOf() override;
    bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;
    void SetZOrder(bool TopMost) override;
    void ChangeScale(Integer M, Integer D) override;
    void Loaded() override;
    void FontChanged() override;

    // Keys.
    virtual void KeyDown(Word& Key, TShiftState Shift);
    virtual void KeyPress(Char& Key);
    virtual void KeyUp(Word& Key, TShiftState Shift);
    // True when the key was handled (by the form's preview or by KeyDown zeroing it).
    bool DoKeyDown(TMessage& Message);
    bool DoKeyPress(TMessage& Message);
    bool DoKeyUp(TMessage& Message);
    bool DoKey(TMessage& Message, bool (TWinControl::*Preview)(TMessage&),
               void (TWinControl::*Handler)(Word&, TShiftState));
    virtual void DoEnter();
    virtual void DoExit();
    // True when Message (a menu key) was a shortcut of the parent form or the application.
    bool IsMenuKey(TMessage& Message);

    // Painting.
    void PaintHandler(TMessage& Message);
    virtual void PaintWindow(TCanvas* DC);
    void PaintControls(TCanvas* DC, TControl* First);
    // The canvas on the window's backing image (framework-painted windows).
    TCanvas* SurfaceCanvas();
    // The canvas on the whole window, non-client area included (for WM_NCPAINT handlers).
    TCanvas* GetWindowCanvas();
    // True when this window is painted by the framework (its backing image is shown).
    virtual bool FrameworkPainted() const { return true; }
    TPaintSurface* Surface();

    // Message handlers.
    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    bool IsControlMouseMsg(TMessage& Message);
    virtual void WMPaint(TMessage& Message);
    virtual void WMEraseBkgnd(TMessage& Message);
    virtual void WMNCPaint(TMessage& Message);
    virtual void WMNCCalcSize(TMessage& Message);
    virtual void WMNCHitTest(TMessage& Message);
    virtual void WMSize(TMessage& Message);
    virtual void WMMove(TMessage& Message);
    virtual void WMSetFocus(TMessage& Message);
    virtual void WMKillFocus(TMessage& Message);
    virtual void WMKeyDown(TMessage& Message);
    virtual void WMKeyUp(TMessage& Message);
    virtual void WMChar(TMessage& Message);
    virtual void WMSysKeyDown(TMessage& Message);
    virtual void WMSysKeyUp(TMessage& Message);
    virtual void WMSysChar(TMessage& Message);
    virtual void WMSetCursor(TMessage& Message);
    virtual void WMHScroll(TMessage& Message);
    virtual void WMVScroll(TMessage& Message);
    virtual void WMTimer(TMessage& Message);
    virtual void WMGetDlgCode(TMessage& Message);
    virtual void WMCaptureChanged(TMessage& Message);
    virtual void WMMouseActivate(TMessage& Message);
    virtual void WMDestroy(TMessage& Message);
    virtual void WMNCDestroy(TMessage& Message);
    virtual void WMClose(TMessage& Message);
    virtual void WMActivate(TMessage& Message);
    virtual void WMCut(TMessage& Message);
    virtual void WMCopy(TMessage& Message);
    virtual void WMPaste(TMessage& Message);
    virtual void WMClear(TMessage& Message);
    virtual void CNKeyDown(TMessage& Message);
    virtual void CNKeyUp(TMessage& Message);
    virtual void CNChar(TMessage& Message);
    virtual void CMEnter(TMessage& Message);
    virtual void CMExit(TMessage& Message);
    virtual void CMDialogKey(TMessage& Message);
    virtual void CMDialogChar(TMessage& Message);
    virtual void CMWantSpecialKey(TMessage& Message);
    virtual void CMChildKey(TMessage& Message);
    virtual void CMFocusChanged(TMessage& Message);
    virtual void CMShowingChanged(TMessage& Message);
    virtual void CMCtl3DChanged(TMessage& Message);
    virtual void CMParentCtl3DChanged(TMessage& Message);
    virtual void CMRecreateWnd(TMessage& Message);
    void CMColorChanged(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;
    void CMVisibleChanged(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;

    TWindowHandle* FHandle = nullptr;
    TBrush* FBrush = nullptr;

    // Window styles and the non-client area.
    void StyleOf(DWORD& Style, DWORD& ExStyle);
    // The frame the window manager draws around a decorated top-level window (caption, borders).
    TRect SystemFrame();
    // Borders and frame as the default WM_NCCALCSIZE takes them (scroll bars apart).
    TRect StandardMargins();
    // The menu bar of a form (added by menus).
    virtual Integer MenuBarHeight() { return 0; }
    // The window's styles or margins changed: the window is placed again and its frame repainted.
    void FrameChanged();
    // A window without WS_CHILD (forms, popups): placed in screen coordinates.
    bool IsTopLevel();
    bool IsTopLevelCached();
    void WMWindowPosChanged(TMessage& Message) override;
    // A top-level window's title follows its text.
    void WMSetText(TMessage& Message) override;
    void DefaultNCPaint();
    void InvalidateFrame();

    DWORD FStyle = 0;
    DWORD FExStyle = 0;
    // Set by the backend while it reports a move or size the window manager made.
    bool FBackendMoving = false;

private:
    friend HWND SetFocusWindow(HWND);
    friend Integer SetScrollInfo(HWND, Integer, const TScrollInfo&, bool);
    friend bool GetScrollInfo(HWND, Integer, TScrollInfo&);
    friend Integer SetScrollPos(HWND, Integer, Integer, bool);
    friend bool ShowScrollBar(HWND, Integer, bool);
    friend bool EnableScrollBar(HWND, UINT, UINT);
    friend Integer ScrollWindowEx(HWND, Integer, Integer, const TRect*, const TRect*, TRect*, UINT);
    friend bool ShowWindow(HWND, Integer);
    friend bool SetWindowPos(HWND, HWND, Integer, Integer, Integer, Integer, UINT);
    friend LongInt GetWindowLong(HWND, Integer);
    friend LongInt SetWindowLong(HWND, Integer, LongInt);
    friend bool GetWindowRect(HWND, TRect&);
    friend class TGraphicControl;
    void RemoveFocus(bool Removing);
    void ScrollBarsChanged(bool FrameChange);

    std::vector<TControl*> FControls;      // graphic children
    std::vector<TWinControl*> FWinControls;  // windowed children
    std::vector<TWinControl*> FTabList;
    HWND FParentWindow = nullptr;
    bool FTabStop = false;
    bool FCtl3D = true;
    bool FParentCtl3D = true;
    Integer FBorderWidth = 0;
    bool FDoubleBuffered = false;
    Integer FAlignLevel = 0;
    bool FAligning = false;
    bool FShowing = false;
    bool FCreatingHandle = false;
    TWindowScrollBar FScrollBars[2];
    TRect FNC;
    bool FNCValid = false;
    std::unique_ptr<TPaintSurface, void (*)(TPaintSurface*)> FSurface{nullptr, nullptr};
};

// ---------------------------------------------------------------------------------------------
// TCustomControl and TGraphicControl

// A window the framework paints: its canvas draws on a persistent backing image at any time;
// Invalidate marks it dirty and the next paint calls Paint, then shows the image.
class TCustomControl : public TWinControl {
    LUMORA_CLASS(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* GetCanvas();

protected:
    virtual void Paint();
    void PaintWindow(TCanvas* DC) override;
};

// A control without a window, painted by its parent on the parent's backing image.
class TGraphicControl : public TControl {
    LUMORA_CLASS(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    // Draws on the parent's backing image at this control's place.
    TCanvas* GetCanvas();

protected:
    friend class TWinControl;
    virtual void Paint();
    virtual void WMPaint(TMessage& Message);
    void Dispatch(TMessage& Message) override;

private:
    // Paints the control on its parent's backing image (the parent's paint handler calls it).
    void PaintOn(TPaintSurface* Surface);
    TCanvas* FCanvas = nullptr;
    bool FPainting = false;
};

// ---------------------------------------------------------------------------------------------
// Window-level functions

// The control that takes the keyboard (nullptr: none).
HWND GetFocus();
// Moves the keyboard focus: WM_KILLFOCUS to the old window, WM_SETFOCUS to the new one.
// Returns the window that had it.
HWND SetFocusWindow(HWND Wnd);
// Mouse capture: all mouse messages go to the captured window (or the captured graphic control).
HWND GetCapture();
HWND SetCapture(HWND Wnd);
bool ReleaseCapture();
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
// The windowed control that is the window, or nullptr.
TWinControl* FindControl(HWND Handle);
// The control under a screen point (graphic ones included).
TControl* FindDragTarget(TPoint Pos, bool AllowDisabled);
TWinControl* FindVCLWindow(TPoint Pos);
// The form that contains the control (nullptr: none).
TCustomForm* GetParentForm(TControl* Control);
TCustomForm* ValidParentForm(TControl* Control);

// Posted messages are queued and dispatched by the message loop, in order.
bool PostMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
LRESULT SendMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
// Removes one pending message of that id for that window (WM_CHAR: the character of the key
// being handled). Returns true when one was removed.
bool DiscardPendingMessage(HWND Wnd, UINT Msg);
// Ends the message loop (Application->Terminate does this).
void PostQuitMessage(Integer ExitCode);

bool IsWindow(HWND Wnd);
bool IsWindowVisible(HWND Wnd);
bool IsWindowEnabled(HWND Wnd);
bool EnableWindow(HWND Wnd, bool Enable);
bool ShowWindow(HWND Wnd, Integer CmdShow);
bool SetWindowPos(HWND Wnd, HWND InsertAfter, Integer X, Integer Y, Integer CX, Integer CY, UINT Flags);
// The window that owns a top-level window (it stays above its owner and goes with it), nullptr
// for none; it may change while the window exists.
HWND GetWindowOwner(HWND Wnd);
void SetWindowOwner(HWND Wnd, HWND Owner);
bool DestroyWindow(HWND Wnd);
bool GetWindowRect(HWND Wnd, TRect& R);
bool GetClientRect(HWND Wnd, TRect& R);
bool ClientToScreen(HWND Wnd, TPoint& P);
bool ScreenToClient(HWND Wnd, TPoint& P);
bool InvalidateRect(HWND Wnd, const TRect* R, bool Erase);
bool ValidateRect(HWND Wnd, const TRect* R);
bool UpdateWindow(HWND Wnd);
bool SetForegroundWindow(HWND Wnd);
// Window styles (GWL_STYLE) and extended styles (GWL_EXSTYLE); the scroll bar bits follow the
// bars. Changed styles take effect with SetWindowPos(SWP_FRAMECHANGED).
constexpr Integer GWL_EXSTYLE = -20;
constexpr Integer GWL_STYLE = -16;
LongInt GetWindowLong(HWND Wnd, Integer Index);
LongInt SetWindowLong(HWND Wnd, Integer Index, LongInt Value);
HWND GetActiveWindow();
HWND GetForegroundWindow();
// Sets the cursor shown now (until the next WM_SETCURSOR); returns the previous cursor id.
TCursor SetCursorShape(TCursor Cursor);

// Window scroll bars (Windows semantics). SetScrollInfo clamps the page to the range and the
// position to [Min, Max - max(Page - 1, 0)], shows the bar when the range exceeds the page
// (or disables it with SIF_DISABLENOSCROLL), hides it otherwise; a bar that appears or goes
// shrinks or grows the client area and the control gets WM_SIZE. Returns the position.
Integer SetScrollInfo(HWND Wnd, Integer Bar, const TScrollInfo& Info, bool Redraw);
bool GetScrollInfo(HWND Wnd, Integer Bar, TScrollInfo& Info);
Integer SetScrollPos(HWND Wnd, Integer Bar, Integer Pos, bool Redraw);
Integer GetScrollPos(HWND Wnd, Integer Bar);
bool SetScrollRange(HWND Wnd, Integer Bar, Integer Min, Integer Max, bool Redraw);
bool GetScrollRange(HWND Wnd, Integer Bar, Integer& Min, Integer& Max);
bool ShowScrollBar(HWND Wnd, Integer Bar, bool Show);
// Enables or disables both arrows of a window scroll bar (SB_HORZ, SB_VERT, SB_BOTH).
bool EnableScrollBar(HWND Wnd, UINT SBFlags, UINT Arrows);
constexpr UINT ESB_ENABLE_BOTH = 0;
constexpr UINT ESB_DISABLE_BOTH = 3;
// Scrolls the client area's pixels by (DX, DY) within Scroll (nullptr: all), clipped to Clip;
// with SW_INVALIDATE the uncovered part is marked for repainting and returned in Update; with
// SW_SCROLLCHILDREN the child controls move along.
Integer ScrollWindowEx(HWND Wnd, Integer DX, Integer DY, const TRect* Scroll, const TRect* Clip, TRect* Update,
                       UINT Flags);
bool ScrollWindow(HWND Wnd, Integer DX, Integer DY, const TRect* Scroll, const TRect* Clip);
