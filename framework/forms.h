#pragma once
// Forms, popup windows, the application object and the screen.
//
// TCustomForm is a top-level window built in code; Application runs the message loop, idle
// turns, modal loops, hints and exception reports; Screen keeps the forms in activation order,
// the cursor and its table, and the screen geometry; Mouse gives the pointer state.

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/controls.h"

class TIcon;
class TMainMenu;
class TStrings;
class TCustomForm;
class TForm;
class TApplication;

// ---------------------------------------------------------------------------------------------
// Form types

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter,
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStateItem { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateItem>;

using TModalResult = Integer;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
// Msg is the WM_KEYDOWN (or WM_SYSKEYDOWN) of the key; set Handled to eat it.
using TShortCutEvent = std::function<void(TMessage& Msg, bool& Handled)>;

// ---------------------------------------------------------------------------------------------
// TCustomForm

class TCustomForm : public TWinControl {
    LUMORA_CLASS(TCustomForm, TWinControl)
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;
    // Fires OnCreate.
    void AfterConstruction() override;
    // Fires OnDestroy while the form is still whole.
    void BeforeDestruction() override;

    void Show();
    void Hide();
    // Shows the form modally (through the dialog service) and returns its ModalResult.
    virtual TModalResult ShowModal();
    // Asks OnCloseQuery, then OnClose decides: hide (the default), free (later, like Release),
    // minimise, or nothing. Closing the main form ends the application.
    void Close();
    virtual bool CloseQuery();
    // Frees the form once the messages now pending are handled.
    void Release();
    void SetFocus() override;
    bool CanFocus() override;

    // Focus inside the form.
    TWinControl* GetActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* Control);
    TWinControl* GetFocusedControl() const { return FFocusedControl; }
    void FocusControl(TWinControl* Control);
    void DefocusControl(TWinControl* Control, bool Removing);
    // Moves the form's focused control to Control: CM_EXIT up from the old one, CM_ENTER down to
    // the new one. Returns false when a handler moved the focus elsewhere meanwhile.
    bool SetFocusedControl(TWinControl* Control);
    bool GetActive() const { return FActive; }

    TFormBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    TBorderIcons GetBorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons Value);
    TFormStyle GetFormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle Value);
    TPosition GetPosition() const { return FPosition; }
    void SetPosition(TPosition Value) { FPosition = Value; }
    TWindowState GetWindowState() const { return FWindowState; }
    void SetWindowState(TWindowState Value);
    // The client area covers a whole monitor.
    bool GetFullScreen();
    bool GetKeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool Value) { FKeyPreview = Value; }
    TModalResult GetModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }
    TFormState GetFormState() const { return FFormState; }
    // The window's icon (shown by the window manager); empty: the application's.
    TIcon* GetIcon() const { return FIcon; }
    void SetIcon(TIcon* Value);
    TMainMenu* GetMenu() const { return FMenu; }
    void SetMenu(TMainMenu* Value);
    TCanvas* GetCanvas();
    const std::string& GetHelpFile() const { return FHelpFile; }
    void SetHelpFile(const std::string& Value) { FHelpFile = Value; }

    // Shortcuts: the form's OnShortCut, then the shortcut handlers (menus and actions), then the
    // application's OnShortCut, then the main form's OnShortCut and handlers (while it takes
    // input), and last the accelerators of the form's menu bar (Alt and a letter). True when one
    // took the key.
    virtual bool IsShortCut(TMessage& Message);
    // Asks the form whether Message (a key its child got) is the form's; true eats it.
    virtual bool WantChildKey(TControl* Child, TMessage& Message) { return false; }

    // Menus and action lists register here to be asked about keys before the focused control.
    using TShortCutHandler = std::function<bool(TCustomForm* Form, TMessage& Message)>;
    static Integer AddShortCutHandler(TShortCutHandler Handler);
    static void RemoveShortCutHandler(Integer Id);
    // Menus register here to learn about a form's menu (FW menus add the menu bar).
    static std::function<void(TCustomForm* Form, TMainMenu* Menu)> MenuChangedHook;
    // The height of a form's menu bar (menus set it).
    static std::function<Integer(TCustomForm* Form)> MenuBarHeightHook;
    // Opens the form's menu by its accelerator (Message: the WM_KEYDOWN of Alt and a letter).
    static std::function<bool(TCustomForm* Form, TMessage& Message)> MenuAcceleratorHook;

    // The modal loop itself (the dialog service runs it): shows the form, runs FirstTurn (when
    // given) in place of the first message, then handles messages until ModalResult is set and
    // the form agrees to close.
    TModalResult RunModal(const std::function<void(TCustomForm*)>& FirstTurn = nullptr);

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TShortCutEvent OnShortCut;
    TNotifyEvent OnHelp;

protected:
    friend class TApplication;
    friend class TWinControl;
    friend struct TWindowBackend;
    friend struct TFormActivation;

    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    virtual void Activate();
    virtual void Deactivate();
    virtual void Paint();
    void PaintWindow(TCanvas* DC) override;
    void SetParent(TWinControl* AParent) override;
    void Dispatch(TMessage& Message) override;
    void WMActivate(TMessage& Message) override;
    void WMClose(TMessage& Message) override;
    virtual void WMSysCommand(TMessage& Message);
    void CMDialogKey(TMessage& Message) override;
    void CMShowingChanged(TMessage& Message) override;
    virtual void CMRelease(TMessage& Message);
    virtual void CMIconChanged(TMessage& Message);
    void WMSize(TMessage& Message) override;
    void MouseWheelHandler(TMessage& Message) override;
    void SetWindowFocus();
    void ApplyPosition();
    // The form's own shortcut steps: OnShortCut and the handlers.
    bool FormShortCut(TMessage& Message);
    void CloseModal();
    Integer MenuBarHeight() override;

private:
    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;
    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
    TFormStyle FFormStyle = fsNormal;
    TPosition FPosition = poDesigned;
    TWindowState FWindowState = wsNormal;
    bool FKeyPreview = false;
    bool FActive = false;
    TModalResult FModalResult = mrNone;
    TFormState FFormState;
    TIcon* FIcon = nullptr;
    TMainMenu* FMenu = nullptr;
    std::string FHelpFile;
    bool FPositioned = false;
    TRect FNormalBounds;
};

class TForm : public TCustomForm {
    LUMORA_CLASS(TForm, TCustomForm)
public:
    explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

// ---------------------------------------------------------------------------------------------
// Popup windows

// A top-level window without a caption, owned by another window. An activating popup takes the
// keyboard when shown (and usually hides when it loses it, see OnDeactivate); a non-activating
// popup stays on top, never takes the focus nor the activation, and reports clicks outside
// itself (OnOutsideClick, CM_POPUPOUTSIDECLICK) while it is shown.
class TCustomPopupWindow : public TCustomControl {
    LUMORA_CLASS(TCustomPopupWindow, TCustomControl)
public:
    explicit TCustomPopupWindow(TComponent* AOwner);
    ~TCustomPopupWindow() override;
    bool CanFocus() override;
    bool GetActivating() const { return FActivating; }
    void SetActivating(bool Value);
    HWND GetOwnerWindow() const { return FOwnerWindow; }
    void SetOwnerWindow(HWND Value);
    // Shows the popup at screen position P with its current size.
    void Popup(TPoint P);
    void ClosePopup();
    bool IsPoppedUp();

    // The click position is in screen coordinates.
    std::function<void(TObject* Sender, TPoint ScreenPos)> OnOutsideClick;
    TNotifyEvent OnDeactivate;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Dispatch(TMessage& Message) override;
    void WMMouseActivate(TMessage& Message) override;
    void WMActivate(TMessage& Message) override;
    virtual void OutsideClick(TPoint ScreenPos);

private:
    bool FActivating = false;
    HWND FOwnerWindow = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Application

using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TMessageEvent = std::function<void(TMsg& Msg, bool& Handled)>;
using TExceptionEvent = std::function<void(TObject* Sender, Exception& E)>;
using THelpEvent = std::function<bool(Word Command, LPARAM Data, bool& CallHelp)>;
using TShowHintEvent = std::function<void(std::string& HintStr, bool& CanShow, struct THintInfo& HintInfo)>;

struct THintInfo {
    TControl* HintControl = nullptr;
    TPoint HintPos;        // screen
    Integer HintMaxWidth = 0;
    TColor HintColor = 0;
    TRect CursorRect;      // in HintControl's coordinates
    TPoint CursorPos;      // in HintControl's coordinates
    Integer ReshowTimeout = 0;
    Integer HideTimeout = 0;
    std::string HintStr;
};

// Help commands (HelpCommand).
constexpr Word HELP_CONTEXT = 0x0001;
constexpr Word HELP_QUIT = 0x0002;
constexpr Word HELP_CONTENTS = 0x0003;
constexpr Word HELP_FINDER = 0x000B;
constexpr Word HELP_PARTIALKEY = 0x0105;  // Data: the key to search for

class TApplication : public TComponent {
    LUMORA_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    void Initialize();
    // Creates a form owned by the application; the first one becomes the main form. Ref is set
    // before OnCreate runs.
    template <class T>
    void CreateForm(T*& Ref) {
        T* f = new T(this);
        Ref = f;
        f->AfterConstruction();
        if (!FMainForm) SetMainFormCandidate(f);
    }
    // Shows the main form and runs the message loop until Terminate.
    void Run();
    void Terminate();
    bool GetTerminated() const { return FTerminated; }
    // Handles every message now pending, without waiting.
    void ProcessMessages();
    // Handles one message, or, when none is pending, runs an idle turn: OnIdle with Done = true;
    // Done left true waits for the next message, Done set false returns at once so that the next
    // call runs OnIdle again.
    void HandleMessage();
    // Reports the exception being handled (call inside a catch block): OnException, else
    // ShowException. EAbort is silent.
    void HandleException(TObject* Sender);
    void HandleException(TObject* Sender, Exception& E);
    void ShowException(Exception& E);
    // Runs an event handler, reporting what it raises.
    template <class F>
    void Guard(TObject* Sender, F&& f) {
        try {
            std::forward<F>(f)();
        } catch (...) {
            HandleException(Sender);
        }
    }

    TCustomForm* GetMainForm() const { return FMainForm; }
    void SetMainForm(TCustomForm* Value) { FMainForm = Value; }
    bool GetShowMainForm() const { return FShowMainForm; }
    void SetShowMainForm(bool Value) { FShowMainForm = Value; }
    const std::string& GetTitle() const { return FTitle; }
    void SetTitle(const std::string& Value);
    std::string GetExeName() const;
    bool GetActive() const { return FActive; }
    HWND GetHandle() const { return nullptr; }

    // Hints.
    bool GetShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    Integer GetHintPause() const { return FHintPause; }
    void SetHintPause(Integer Value) { FHintPause = Value; }
    Integer GetHintHidePause() const { return FHintHidePause; }
    void SetHintHidePause(Integer Value) { FHintHidePause = Value; }
    Integer GetHintShortPause() const { return FHintShortPause; }
    void SetHintShortPause(Integer Value) { FHintShortPause = Value; }
    TColor GetHintColor() const { return FHintColor; }
    void SetHintColor(TColor Value) { FHintColor = Value; }
    // The long part of the hint of the control under the mouse.
    const std::string& GetHint() const { return FHint; }
    void SetHint(const std::string& Value);
    void CancelHint();
    void HideHint();
    void ActivateHint(TPoint CursorPos);
    // The hint shown now (empty when none), for tests.
    const std::string& GetVisibleHint() const { return FVisibleHint; }

    // Help: a stand-in that records the request and asks OnHelp.
    const std::string& GetHelpFile() const { return FHelpFile; }
    void SetHelpFile(const std::string& Value) { FHelpFile = Value; }
    bool HelpContext(Integer Context);
    bool HelpCommand(Word Command, LPARAM Data);
    Integer GetLastHelpContext() const { return FLastHelpContext; }
    // Receives every help request (file, context); the default does nothing.
    static std::function<bool(const std::string& HelpFile, Integer Context)> HelpHandler;

    void Minimize();
    void Restore();
    void BringToFront();
    bool GetMinimized() const { return FMinimized; }

    // Message boxes through the dialog service (MB_* flags; returns ID*).
    Integer MessageBox(const std::string& Text, const std::string& Caption, UINT Flags);

    // Called for every control being destroyed.
    void ControlDestroyed(TControl* Control);
    // Idle step as the message loop runs it: OnIdle, then with Done (and Wait) waiting for the
    // next message. Tests run idle turns without waiting.
    void Idle(const TMsg& Msg) { IdleTurn(true); }
    void IdleTurn(bool Wait);
    void DoApplicationIdle();
    // Runs one message of the loop's queue through OnMessage and dispatch. Returns false when the
    // queue was empty.
    bool ProcessMessage();
    // The input path: runs Msg (a key or mouse message of a window) through OnMessage, the
    // shortcut and dialog-key steps, then dispatches it. Returns true when handled here.
    bool DispatchInputMessage(TMsg& Msg);
    void DeliverPostedMessage(TMsg& Msg);
    // Delivers the posted messages queued now.
    void DeliverPostedMessages();
    // Delivers what an ended loop of the program's own left untaken; false when there was nothing.
    bool DeliverLeftOverMessages();
    // Runs on every idle turn that ends with Done (action updates and the like).
    static Integer AddIdleHook(std::function<void()> Hook);
    static void RemoveIdleHook(Integer Id);
    void ModalStarted();
    void ModalFinished();
    Integer ModalLevel() const { return FModalLevel; }

    TIdleEvent OnIdle;
    TMessageEvent OnMessage;
    TExceptionEvent OnException;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;
    TNotifyEvent OnHint;
    TShowHintEvent OnShowHint;
    THelpEvent OnHelp;
    TShortCutEvent OnShortCut;
    TNotifyEvent OnModalBegin;
    TNotifyEvent OnModalEnd;

    // Internal: activation changes reported by the window backend.
    void SetActiveState(bool Value);
    void HintMouseMessage(TControl* Control, TMessage& Message);

private:
    static std::vector<std::pair<Integer, std::function<void()>>>& IdleHooks();
    void SetMainFormCandidate(TCustomForm* Form);
    void ShowHintNow();
    void StartHintTimer(Integer Delay);

    TCustomForm* FMainForm = nullptr;
    bool FShowMainForm = true;
    bool FTerminated = false;
    bool FActive = false;
    bool FMinimized = false;
    bool FRunning = false;
    bool FIdleDone = true;
    std::string FTitle;
    bool FShowHint = true;
    Integer FHintPause = 500;
    Integer FHintHidePause = 2500;
    Integer FHintShortPause = 50;
    TColor FHintColor;
    std::string FHint;
    std::string FVisibleHint;
    TControl* FHintControl = nullptr;
    TRect FHintCursorRect;
    Integer FHintTimer = 0;
    bool FHintActive = false;
    std::string FHelpFile;
    Integer FLastHelpContext = 0;
    Integer FModalLevel = 0;
    Integer FHandleExceptionDepth = 0;
};

// ---------------------------------------------------------------------------------------------
// Screen

class TMonitor : public TObject {
    LUMORA_CLASS(TMonitor, TObject)
public:
    Integer MonitorNum = 0;
    TRect BoundsRect;
    TRect WorkareaRect;
    bool Primary = false;
    Integer GetLeft() const { return BoundsRect.Left; }
    Integer GetTop() const { return BoundsRect.Top; }
    Integer GetWidth() const { return BoundsRect.Width(); }
    Integer GetHeight() const { return BoundsRect.Height(); }
    TRect GetBoundsRect() const { return BoundsRect; }
    TRect GetWorkareaRect() const { return WorkareaRect; }
    bool GetPrimary() const { return Primary; }
};

enum TMonitorDefaultTo { mdNearest, mdNull, mdPrimary };

class TScreen : public TComponent {
    LUMORA_CLASS(TScreen, TComponent)
public:
    explicit TScreen(TComponent* AOwner);
    ~TScreen() override;

    // Forms, the most recently activated first (hidden forms included).
    int GetFormCount() const { return int(FForms.size()); }
    TForm* GetForm(int Index) const;
    int GetCustomFormCount() const { return int(FForms.size()); }
    TCustomForm* GetCustomForm(int Index) const;
    TForm* GetActiveForm() const;
    TCustomForm* GetActiveCustomForm() const { return FActiveForm; }
    // The focused control of the active form.
    TWinControl* GetActiveControl() const { return FActiveControl; }

    // A cursor other than crDefault is shown over every window.
    TCursor GetCursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    // The cursor table: the standard cursors and the ones registered under their own ids.
    HCURSOR GetCursors(TCursor Index) const { return GetCursorTableEntry(Index); }
    void SetCursors(TCursor Index, HCURSOR Value) { SetCursorTableEntry(Index, Value); }

    Integer GetWidth();
    Integer GetHeight();
    Integer GetDesktopWidth();
    Integer GetDesktopHeight();
    TRect GetDesktopRect();
    Integer GetPixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(Integer Value) { FPixelsPerInch = Value; }
    TRect GetWorkAreaRect();
    Integer GetWorkAreaWidth() { return GetWorkAreaRect().Width(); }
    Integer GetWorkAreaHeight() { return GetWorkAreaRect().Height(); }
    int GetMonitorCount();
    TMonitor* GetMonitor(int Index);
    TMonitor* MonitorFromPoint(TPoint P, TMonitorDefaultTo Default = mdNearest);
    TMonitor* MonitorFromRect(const TRect& R, TMonitorDefaultTo Default = mdNearest);
    TMonitor* MonitorFromWindow(HWND Wnd, TMonitorDefaultTo Default = mdNearest);
    // The installed font families, sorted.
    TStrings* GetFonts();
    TFont* GetHintFont();
    TFont* GetIconFont();
    TFont* GetMenuFont();

    TNotifyEvent OnActiveFormChange;
    TNotifyEvent OnActiveControlChange;

    // Internal bookkeeping.
    void AddForm(TCustomForm* Form);
    void RemoveForm(TCustomForm* Form);
    void FormActivated(TCustomForm* Form);
    void SetActiveForm(TCustomForm* Form);
    void SetActiveControl(TWinControl* Control);
    void ResetMonitors();

private:
    void LoadMonitors();

    std::vector<TCustomForm*> FForms;
    TCustomForm* FActiveForm = nullptr;
    TWinControl* FActiveControl = nullptr;
    TCursor FCursor = 0;
    Integer FPixelsPerInch = 96;
    std::vector<std::unique_ptr<TMonitor>> FMonitors;
    TStrings* FFonts = nullptr;
    TFont* FHintFont = nullptr;
    TFont* FIconFont = nullptr;
    TFont* FMenuFont = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Mouse

class TMouse {
public:
    TPoint GetCursorPos() const;
    void SetCursorPos(TPoint P);
    HWND GetCapture() const;
    void SetCapture(HWND Value);
    bool GetDragImmediate() const { return FDragImmediate; }
    void SetDragImmediate(bool Value) { FDragImmediate = Value; }
    Integer GetDragThreshold() const { return FDragThreshold; }
    void SetDragThreshold(Integer Value) { FDragThreshold = Value; }
    Integer GetWheelScrollLines() const { return FWheelScrollLines; }
    bool GetMousePresent() const { return true; }

private:
    bool FDragImmediate = true;
    Integer FDragThreshold = 5;
    Integer FWheelScrollLines = 3;
};

// The one application, screen and mouse, created on first use.
struct TApplicationRef {
    TApplication* operator->() const;
    operator TApplication*() const;
};
struct TScreenRef {
    TScreen* operator->() const;
    operator TScreen*() const;
};
struct TMouseRef {
    TMouse* operator->() const;
};
extern const TApplicationRef Application;
extern const TScreenRef Screen;
extern const TMouseRef Mouse;

// The short part of a hint ("short|long") and the long part (the whole hint without "|").
std::string GetShortHint(const std::string& Hint);
std::string GetLongHint(const std::string& Hint);
// True when the form is shown modally now.
bool IsModalForm(TCustomForm* Form);
