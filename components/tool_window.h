#pragma once
// The base of the bars that sit on docks (components/dock.h) or float above their form.

#include <functional>
#include <string>

#include "components/dock.h"
#include "components/thread_hooks.h"
#include "framework/window_hooks.h"
#include "framework/controls.h"
#include "framework/forms.h"

enum TDragHandleStyle { dhDouble, dhNone, dhSingle };
enum TToolWindowDockMode { dmCanFloat, dmCannotFloat, dmCannotFloatOrChangeDocks };
enum TToolWindowFloatingMode { fmOnTopOfParentForm, fmOnTopOfAllForms };

// What a bar can do, chosen by its class (InitParams): let the framework align its child
// controls, be resized from all eight directions, keep the cursor inside the work area while
// being resized.
struct TToolWindowParams {
    bool CallAlignControls = true;
    bool ResizeEightCorner = true;
    bool ResizeClipCursor = true;
};

// Stored placement data of a bar: reading an integer or a text with its default, writing one.
// Which store and key they reach is the caller's business.
struct TPositionReadData {
    std::function<Integer(const std::string& Name, const std::string& Value, Integer Default)> ReadInteger;
    std::function<std::string(const std::string& Name, const std::string& Value, const std::string& Default)>
        ReadString;
};
struct TPositionWriteData {
    std::function<void(const std::string& Name, const std::string& Value, Integer Data)> WriteInteger;
    std::function<void(const std::string& Name, const std::string& Value, const std::string& Data)> WriteString;
};

// The width of a docked bar's drag handle (the dock allows dragging).
Integer DragHandleSize(TDragHandleStyle Style, bool CloseButtonWhenDocked);
// A rectangle moved into a work area: by the overhang on the right and bottom, then on the left
// and top (left and top win). With OnlyIfFullyOffscreen it stays while it meets the work area.
TRect MoveRectOnScreen(const TRect& R, const TRect& WorkArea, bool OnlyIfFullyOffscreen);
// The work area of the monitor nearest a rectangle or a point; with one monitor the system's.
TRect WorkAreaOfRect(const TRect& R);
TRect WorkAreaOfPoint(TPoint P);

class TScreenOverlay;
// Shows the outline of a bar being dragged or resized on Overlay: a frame Thickness pixels wide
// around R (screen coordinates) in a fine checker; an empty R hides it.
void ShowDragOutline(TScreenOverlay& Overlay, const TRect& R, Integer Thickness);

// The hidden form a floating bar belongs to: never shown on screen, 0 x 0 at 0, 0, named
// "DockBarsFloatingWindowParent_%.8x" after its address. Esc (no shift keys) inside it gives the
// focus to ParentForm.
class TFloatingWindowParent : public TForm {
    LUMORA_CLASS(TFloatingWindowParent, TForm)
public:
    explicit TFloatingWindowParent(TComponent* AOwner);
    TCustomForm* GetParentForm() const { return FParentForm; }
    void SetParentForm(TCustomForm* Value);

protected:
    void CMShowingChanged(TMessage& Message) override;
    void CMDialogKey(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TCustomForm* FParentForm = nullptr;
};

class TCustomToolWindowX : public TCustomControl {
    LUMORA_CLASS(TCustomToolWindowX, TCustomControl)
public:
    explicit TCustomToolWindowX(TComponent* AOwner);
    ~TCustomToolWindowX() override;

    TDockX* GetDockedTo() const;
    // nullptr floats the bar on its form.
    void SetDockedTo(TDockX* Value);
    bool GetDocked() const { return GetDockedTo() != nullptr; }
    Integer GetDockRow() const { return FDockRow; }
    void SetDockRow(Integer Value);
    Integer GetDockPos() const { return FDockPos; }
    void SetDockPos(Integer Value);
    TDockableTo GetDockableTo() const { return FDockableTo; }
    void SetDockableTo(TDockableTo Value) { FDockableTo = Value; }
    TToolWindowDockMode GetDockMode() const { return FDockMode; }
    void SetDockMode(TToolWindowDockMode Value) { FDockMode = Value; }
    bool GetFullSize() const { return FFullSize; }
    void SetFullSize(bool Value);
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TDragHandleStyle GetDragHandleStyle() const { return FDragHandleStyle; }
    void SetDragHandleStyle(TDragHandleStyle Value);
    bool GetCloseButtonWhenDocked() const { return FCloseButtonWhenDocked; }
    void SetCloseButtonWhenDocked(bool Value);
    // The close button in the floating caption.
    bool GetCloseButton() const { return FCloseButton; }
    void SetCloseButton(bool Value);
    // A floating bar with a sizing frame.
    bool GetResizable() const { return FResizable; }
    void SetResizable(bool Value);
    // The dock a double-click sends a floating bar to when it has no LastDock.
    TDockX* GetDefaultDock() const { return FDefaultDock; }
    void SetDefaultDock(TDockX* Value);
    // The dock the bar returns to. While UseLastDock it is the dock the bar sits on, and a
    // floating bar keeps its row and position in that dock's bar list. Setting a dock turns
    // UseLastDock on; turning it off forgets the dock.
    TDockX* GetLastDock() const { return FLastDock; }
    void SetLastDock(TDockX* Value);
    bool GetUseLastDock() const { return FUseLastDock; }
    void SetUseLastDock(bool Value);
    TToolbarXVersion GetVersion() const { return ToolbarXVersionText; }
    void SetVersion(const TToolbarXVersion& /*Value*/) {}
    // The class's capabilities (InitParams, asked the first time).
    const TToolWindowParams& GetParams();
    bool GetFloating() const;
    // The form a floating bar belongs to (nullptr when docked).
    TCustomForm* GetFloatingParentForm() const;
    TPoint GetFloatingPosition() const { return FFloatingPosition; }
    void SetFloatingPosition(TPoint Value);
    bool GetHideWhenInactive() const { return FHideWhenInactive; }
    void SetHideWhenInactive(bool Value);
    bool GetActivateParent() const { return FActivateParent; }
    void SetActivateParent(bool Value) { FActivateParent = Value; }
    TToolWindowFloatingMode GetFloatingMode() const { return FFloatingMode; }
    void SetFloatingMode(TToolWindowFloatingMode Value);
    bool GetShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool Value);
    // A floating bar of an inactive program that stays shown draws its caption inactive.
    bool GetInactiveCaption() const { return FInactiveCaption; }
    // Applies the visibility rules of floating bars.
    void UpdateVisibility();
    // What the close buttons do: OnCloseQuery may refuse, else the bar hides and OnClose fires.
    void Close();

    // Fits the bar to its controls (ArrangeControls) and to its row on the dock.
    void Arrange();
    void BeginArrange();
    void EndArrange();
    // A bar with no parent window, placed by screen coordinates, moved into the work area.
    void MoveOnScreen(bool OnlyIfFullyOffscreen);

    void SetParent(TWinControl* AParent) override;
    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

    TNotifyEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnDockChanged;
    TNotifyEvent OnDockChanging;
    std::function<void(TObject* Sender, TDockX* DockingTo)> OnDockChangingEx;
    std::function<void(TObject* Sender, TDockX* DockingTo)> OnDockChangingHidden;
    TNotifyEvent OnMove;
    TNotifyEvent OnRecreated;
    TNotifyEvent OnRecreating;
    TNotifyEvent OnVisibleChanged;

protected:
    friend class TDockX;
    friend void SaveBarPositions(TComponent* Form, const TPositionWriteData& Data);
    friend void LoadBarPositions(TComponent* Form, const TPositionReadData& Data);
    // Thickness across a dock of that orientation, in client pixels.
    virtual void GetBarCrossSize(Integer& CrossSize, TDockOrientation Orientation);
    virtual void GetMinimumSize(Integer& MinWidth, Integer& MinHeight);
    // The client size the bar needs on Dock (nullptr: floating); places the controls when CanMove.
    virtual void ArrangeControls(bool CanMove, TDockOrientation OldOrientation, TPoint& NewClientSize, TDockX* Dock);
    virtual void ResizeBar(Integer NewWidth, Integer NewHeight);
    // Separators do not take a press on the bar (it drags the bar); base: none is one.
    virtual bool ChildIsSeparator(TControl* Control);
    virtual void DoDockChangingHidden(TDockX* NewDock);
    virtual void DoMove();
    // Chooses the capabilities of TToolWindowParams (asked once, when first needed).
    virtual void InitParams(TToolWindowParams& Params);
    // After loading, before the bar arranges itself.
    virtual void AfterLoaded();
    // The resizing of a floating bar: its start with the grabbed edge (0 left, 1 right, 2 top,
    // 3 top-left, 4 top-right, 5 bottom, 6 bottom-left, 7 bottom-right), each proposed
    // rectangle (which may be replaced), and its end.
    virtual void BeginSizing(Integer SizeHandle);
    virtual void EndSizing(bool Accepted);
    virtual void Sizing(TRect& NewRect, const TRect& OrigRect);
    // The cursor (screen coordinates) at the resize step being taken.
    TPoint GetSizingCursor() const { return FSizingCursor; }
    // The bar's own entries in a stored placement.
    virtual void PositionDataLoaded(const TPositionReadData& Data);
    virtual void ReadPositionData(const TPositionReadData& Data);
    virtual void WritePositionData(const TPositionWriteData& Data);

    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WMNCCalcSize(TMessage& Message) override;
    void WMNCPaint(TMessage& Message) override;
    void WMWindowPosChanged(TMessage& Message) override;
    void CMVisibleChanged(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    // A control placed, sized or shown on the bar arranges it again.
    bool TracksChildBounds() const override { return true; }
    void WMNCHitTest(TMessage& Message) override;
    void Paint() override;
    void CMTextChanged(TMessage& Message) override;
    void CreateParams(TCreateParams& Params) override;
    void CMShowingChanged(TMessage& Message) override;
    void WMMouseActivate(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;

    // The frame a docked bar has: 2 pixels each side plus the handle on the leading side.
    TRect DockedMargins(TDockX* Dock) const;
    // The frame of a floating bar: the frame on each side, the caption on top.
    TRect FloatingMargins() const;
    // The frame the bar has where it is now, whatever its size.
    TRect FrameMargins();
    // Where the close button is (window coordinates), empty when the bar shows none.
    TRect CloseButtonRect() const;
    bool IsUpdatingBounds() const { return FUpdatingBounds > 0; }

private:
    Integer FDockRow = 0;
    Integer FDockPos = -1;
    TDockableTo FDockableTo{dpTop, dpBottom, dpLeft, dpRight};
    TToolWindowDockMode FDockMode = dmCanFloat;
    bool FFullSize = false;
    TBorderStyle FBorderStyle = bsSingle;
    TDragHandleStyle FDragHandleStyle = dhDouble;
    bool FCloseButtonWhenDocked = false;
    bool FCloseButton = true;
    bool FResizable = true;
    TDockX* FDefaultDock = nullptr;
    TDockX* FLastDock = nullptr;
    bool FUseLastDock = true;
    TToolWindowParams FParams;
    bool FParamsKnown = false;
    // The close button is held (drawn pressed while the mouse is over it).
    bool FCloseButtonTracking = false;
    bool FCloseButtonDown = false;
    TDockOrientation FLastOrientation = doNone;
    Integer FUpdatingBounds = 0;
    Integer FDisableArrange = 0;
    Integer FDisableOnMove = 0;
    bool FArrangeNeeded = false;
    TPoint FFloatingPosition;
    TPoint FSizingCursor;
    TFloatingWindowParent* FHost = nullptr;
    bool FHideWhenInactive = true;
    bool FActivateParent = true;
    TToolWindowFloatingMode FFloatingMode = fmOnTopOfParentForm;
    bool FShowCaption = true;
    bool FInactiveCaption = false;
    // The form that owned the floating window was destroyed.
    bool FOwnerGone = false;

    // Dragging and resizing while the left button is held (components/tool_window_drag.cpp):
    // the bar holds the capture and sees the thread's keys until the button is released, Esc is
    // pressed or the capture is lost.
    struct TDragState;
    struct TSizeState;
    TDragState* FDrag = nullptr;
    TSizeState* FSize = nullptr;
    bool HandlePress(TMessage& Message);
    void DoubleClickBar();
    void StartDrag(TPoint Grab);
    void DragUpdate(TPoint P);
    void EndDrag(bool Drop);
    void DropOnDock(TDockX* Dock, const TRect& Outline);
    void StartResize(Integer SizeHandle, TPoint StartCursor);
    void ResizeStep(TPoint P);
    void EndResize(bool Accepted);
    // What the mouse does while the close button is held, a drag or a resize runs.
    bool LoopMessage(TMessage& Message);
    void LeaveLoop(HHOOK Hook);
    void LoopKey(UINT Msg, WPARAM Key);
    Integer SizingHitTest(TPoint P);
    static LRESULT LoopKeyHook(Integer Code, WPARAM WParam, LPARAM LParam);

    void DrawDockedFrame(TCanvas* C);
    void DrawFloatingFrame(TCanvas* C);
    bool ShouldBeVisible();
    void NoteLastDock(TDockX* Dock);
    TWinControl* FloatingOwner();
    void ApplyOwner();
    void EndCloseButton(bool Accept);
    void SetCloseButtonDown(bool Down);
    static void HookCallback(THookProcCode Code, HWND Wnd, WPARAM WParam, LPARAM LParam);
};
