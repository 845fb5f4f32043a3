#pragma once
// Containers and bars: tab controls and page controls with their sheets, scroll boxes,
// splitters, status bars, progress bars, track bars, up-down buttons and spin edits, drawn by the
// framework in the classic look.
//
// Event rules: a page or tab control asks OnChanging (which can refuse) and then fires OnChange
// only when the user changes the tab; ActivePage and TabIndex set in code fire neither. A track
// bar fires OnChange whenever its position changes (in code too) and never when it is set to the
// position it has. An up-down's Position set in code updates its associate and fires nothing.

#include <functional>
#include <string>
#include <vector>

#include "framework/collection.h"
#include "framework/controls.h"
#include "framework/edit_controls.h"
#include "framework/image_list.h"
#include "framework/std_controls.h"
#include "framework/string_list.h"

// ---------------------------------------------------------------------------------------------
// Tab controls and page controls

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;
using TDrawTabEvent =
    std::function<void(class TCustomTabControl* Control, Integer TabIndex, const TRect& Rect, bool Active)>;
using TTabGetImageEvent = std::function<void(TObject* Sender, Integer TabIndex, Integer& ImageIndex)>;

class TCustomTabControl : public TCustomControl {
    LUMORA_CLASS(TCustomTabControl, TCustomControl)
public:
    explicit TCustomTabControl(TComponent* AOwner);
    ~TCustomTabControl() override;

    // The tab captions (a page control keeps them from its visible pages).
    TStrings* GetTabs() const { return FTabs; }
    void SetTabs(TStrings* Value);
    // In code: no OnChanging, no OnChange.
    Integer GetTabIndex() const { return FTabIndex; }
    void SetTabIndex(Integer Value);
    TTabPosition GetTabPosition() const { return FTabPosition; }
    void SetTabPosition(TTabPosition Value);
    TTabStyle GetStyle() const { return FStyle; }
    void SetStyle(TTabStyle Value);
    // 0: from the font (height) and the caption (width). For tabs on the left or right, the
    // height is the strip's thickness and the width the tab's length along the side.
    Integer GetTabHeight() const { return FTabHeight; }
    void SetTabHeight(Integer Value);
    Integer GetTabWidth() const { return FTabWidth; }
    void SetTabWidth(Integer Value);
    bool GetHotTrack() const { return FHotTrack; }
    void SetHotTrack(bool Value);
    bool GetOwnerDraw() const { return FOwnerDraw; }
    void SetOwnerDraw(bool Value);
    TCustomImageList* GetImages() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    // The area inside the frame below (beside) the tabs, client coordinates.
    virtual TRect DisplayRect();
    // A tab's rectangle (empty for a tab scrolled out of view).
    TRect TabRect(Integer Index);
    // The tab at a client point, -1 when none.
    Integer IndexOfTabAt(Integer X, Integer Y);
    // The tab under the mouse while HotTrack is on (-1: none).
    Integer GetHotTab() const { return FHotTab; }
    Integer GetFirstVisibleTab() const { return FFirstTab; }
    TCanvas* GetCanvas() { return TCustomControl::GetCanvas(); }

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;
    TDrawTabEvent OnDrawTab;
    TTabGetImageEvent OnGetImageIndex;

protected:
    // Asks OnChanging; false keeps the tab.
    virtual bool CanChange();
    virtual void Change();
    // Draws one tab (OnDrawTab when owner-drawn); Rect is the tab's rectangle.
    virtual void DrawTab(Integer TabIndex, const TRect& Rect, bool Active);
    virtual Integer GetImageIndex(Integer TabIndex);
    // The user asked for tab Index (click, keys): OnChanging, then OnChange.
    bool UserSelectTab(Integer Index);
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void WMGetDlgCode(TMessage& Message) override;
    void WMSize(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void CMDialogChar(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    TRect GetClientRectForAlign() override { return DisplayRect(); }
    void WMEraseBkgnd(TMessage& Message) override;
    // The tabs' layout: the strip's thickness and each tab's extent along the side.
    Integer StripThickness();
    Integer TabLength(Integer Index);
    bool Vertical() const { return FTabPosition == tpLeft || FTabPosition == tpRight; }
    // The scroll arrows shown when the tabs do not fit (empty when they fit).
    TRect ScrollerRect();
    void TabsChanged();

    TStringList* FTabs;
    Integer FTabIndex = -1;

private:
    TTabPosition FTabPosition = tpTop;
    TTabStyle FStyle = tsTabs;
    Integer FTabHeight = 0;
    Integer FTabWidth = 0;
    bool FHotTrack = false;
    bool FOwnerDraw = false;
    TCustomImageList* FImages = nullptr;
    Integer FHotTab = -1;
    Integer FFirstTab = 0;
};

class TTabControl : public TCustomTabControl {
    LUMORA_CLASS(TTabControl, TCustomTabControl)
public:
    explicit TTabControl(TComponent* AOwner) : TCustomTabControl(AOwner) {}
};

class TPageControl;

class TTabSheet : public TCustomControl {
    LUMORA_CLASS(TTabSheet, TCustomControl)
public:
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;
    TPageControl* GetPageControl() const { return FPageControl; }
    void SetPageControl(TPageControl* Value);
    // The position among the page control's pages.
    Integer GetPageIndex() const;
    void SetPageIndex(Integer Value);
    // The index of the sheet's tab (-1 while the tab is hidden).
    Integer GetTabIndex() const;
    bool GetTabVisible() const { return FTabVisible; }
    void SetTabVisible(bool Value);
    Integer GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(Integer Value);
    bool GetHighlighted() const { return FHighlighted; }
    void SetHighlighted(bool Value);

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

protected:
    friend class TPageControl;
    virtual void DoShow();
    virtual void DoHide();
    void SetParent(TWinControl* AParent) override;
    void CMTextChanged(TMessage& Message) override;
    void CMShowingChanged(TMessage& Message) override;
    void Paint() override;

private:
    TPageControl* FPageControl = nullptr;
    bool FTabVisible = true;
    Integer FImageIndex = -1;
    bool FHighlighted = false;
};

class TPageControl : public TCustomTabControl {
    LUMORA_CLASS(TPageControl, TCustomTabControl)
public:
    explicit TPageControl(TComponent* AOwner);
    ~TPageControl() override;
    // In code: no OnChanging, no OnChange.
    TTabSheet* GetActivePage() const { return FActivePage; }
    void SetActivePage(TTabSheet* Value);
    Integer GetActivePageIndex() const;
    void SetActivePageIndex(Integer Value);
    Integer GetPageCount() const { return Integer(FPages.size()); }
    TTabSheet* GetPage(Integer Index) const;
    // The next (or previous) page after CurPage, wrapping round; with CheckTabVisible only pages
    // with a visible tab.
    TTabSheet* FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible);
    // Moves to the next page as the user would (OnChanging, then OnChange).
    void SelectNextPage(bool GoForward, bool CheckTabVisible = true);

protected:
    friend class TTabSheet;
    bool CanChange() override;
    void Change() override;
    Integer GetImageIndex(Integer TabIndex) override;
    void CMDialogKey(TMessage& Message) override;
    void Loaded() override;
    // The page whose tab is TabIndex.
    TTabSheet* PageForTab(Integer TabIndex) const;

private:
    void InsertPage(TTabSheet* Page);
    void RemovePage(TTabSheet* Page);
    void UpdateTabs();
    void ChangeActivePage(TTabSheet* Page);
    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Scroll boxes

class TScrollingWinControl;

// One scroll bar of a scrolling window: the range its children cover and the position.
class TControlScrollBar : public TPersistent {
    LUMORA_CLASS(TControlScrollBar, TPersistent)
public:
    TControlScrollBar(TScrollingWinControl* Control, TScrollBarKind Kind) : FControl(Control), FKind(Kind) {}
    TScrollBarKind GetKind() const { return FKind; }
    Integer GetIncrement() const { return FIncrement; }
    void SetIncrement(Integer Value) { FIncrement = std::max(1, Value); }
    Integer GetMargin() const { return FMargin; }
    void SetMargin(Integer Value);
    // Scrolls the children so that Value is at the window's edge.
    Integer GetPosition() const { return FPosition; }
    void SetPosition(Integer Value);
    // The extent scrolled over (set by AutoScroll from the children).
    Integer GetRange() const { return FRange; }
    void SetRange(Integer Value);
    bool GetTracking() const { return FTracking; }
    void SetTracking(bool Value) { FTracking = Value; }
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    // Whether the bar shows now.
    bool IsScrollBarVisible() const;
    Integer ScrollPos() const { return FPosition; }
    void Assign(TPersistent* Source) override;

private:
    friend class TScrollingWinControl;
    void ScrollMessage(TMessage& Message);
    void Update();
    Integer PageSize() const;
    TScrollingWinControl* FControl;
    TScrollBarKind FKind;
    Integer FIncrement = 8;
    Integer FMargin = 0;
    Integer FPosition = 0;
    Integer FRange = 0;
    bool FTracking = false;
    bool FVisible = true;
    bool FShown = false;
};

class TScrollingWinControl : public TCustomControl {
    LUMORA_CLASS(TScrollingWinControl, TCustomControl)
public:
    explicit TScrollingWinControl(TComponent* AOwner);
    ~TScrollingWinControl() override;
    TControlScrollBar* GetHorzScrollBar() const { return FHorzScrollBar; }
    TControlScrollBar* GetVertScrollBar() const { return FVertScrollBar; }
    bool GetAutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool Value);
    // Scrolls so that the control is in view.
    void ScrollInView(TControl* AControl);
    // Moves the children by (DeltaX, DeltaY).
    void ScrollBy(Integer DeltaX, Integer DeltaY);

protected:
    friend class TControlScrollBar;
    void UpdateScrollBars();
    void CalcAutoRange();
    void CreateWnd() override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    bool TracksChildBounds() const override { return FAutoScroll; }
    void WMSize(TMessage& Message) override;
    void WMHScroll(TMessage& Message) override;
    void WMVScroll(TMessage& Message) override;
    bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
    void CMFocusChanged(TMessage& Message) override;

private:
    TControlScrollBar* FHorzScrollBar;
    TControlScrollBar* FVertScrollBar;
    bool FAutoScroll = true;
    bool FUpdatingScrollBars = false;
    bool FScrolling = false;
};

class TScrollBox : public TScrollingWinControl {
    LUMORA_CLASS(TScrollBox, TScrollingWinControl)
public:
    explicit TScrollBox(TComponent* AOwner);
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;

private:
    TBorderStyle FBorderStyle = bsSingle;
};

// ---------------------------------------------------------------------------------------------
// Splitters

enum TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };
using TCanResizeSizeEvent = std::function<void(TObject* Sender, Integer& NewSize, bool& Accept)>;

// A bar between an aligned control and the rest: dragging it resizes that control (the sibling
// aligned to the same side just before it).
class TSplitter : public TGraphicControl {
    LUMORA_CLASS(TSplitter, TGraphicControl)
public:
    explicit TSplitter(TComponent* AOwner);
    bool GetAutoSnap() const { return FAutoSnap; }
    void SetAutoSnap(bool Value) { FAutoSnap = Value; }
    bool GetBeveled() const { return FBeveled; }
    void SetBeveled(bool Value);
    Integer GetMinSize() const { return FMinSize; }
    void SetMinSize(Integer Value) { FMinSize = std::max(1, Value); }
    TResizeStyle GetResizeStyle() const { return FResizeStyle; }
    void SetResizeStyle(TResizeStyle Value) { FResizeStyle = Value; }
    // The control the splitter resizes now (nullptr: none).
    TControl* FindControl();

    TCanResizeSizeEvent OnCanResize;
    TNotifyEvent OnMoved;
    TNotifyEvent OnPaint;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void RequestAlignNeeded();
    virtual bool DoCanResize(Integer& NewSize);
    void Dispatch(TMessage& Message) override;

private:
    void CalcSplitSize(Integer X, Integer Y, Integer& NewSize, Integer& Split);
    void UpdateControlSize();
    void DrawLine();
    void StopSizing();
    void UpdateCursor();
    TControl* FControl = nullptr;
    TPoint FDownPos;
    Integer FMinSize = 30;
    Integer FMaxSize = 0;
    Integer FNewSize = 0;
    Integer FOldSize = -1;
    Integer FSplit = 0;
    bool FAutoSnap = true;
    bool FBeveled = false;
    bool FLineVisible = false;
    TResizeStyle FResizeStyle = rsPattern;
};

// ---------------------------------------------------------------------------------------------
// Status bars

enum TStatusPanelStyle { psText, psOwnerDraw };
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusPanel : public TCollectionItem {
    LUMORA_CLASS(TStatusPanel, TCollectionItem)
public:
    explicit TStatusPanel(TCollection* Collection);
    void Assign(TPersistent* Source) override;
    const std::string& GetText() const { return FText; }
    void SetText(const std::string& Value);
    Integer GetWidth() const { return FWidth; }
    void SetWidth(Integer Value);
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TStatusPanelBevel GetBevel() const { return FBevel; }
    void SetBevel(TStatusPanelBevel Value);
    TStatusPanelStyle GetStyle() const { return FStyle; }
    void SetStyle(TStatusPanelStyle Value);
    std::string GetDisplayName() override { return FText.empty() ? TCollectionItem::GetDisplayName() : FText; }

private:
    std::string FText;
    Integer FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
    TStatusPanelBevel FBevel = pbLowered;
    TStatusPanelStyle FStyle = psText;
};

class TStatusBar;

class TStatusPanels : public TCollection {
    LUMORA_CLASS(TStatusPanels, TCollection)
public:
    explicit TStatusPanels(TStatusBar* StatusBar);
    TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
    TStatusPanel* GetItem(int Index) const { return static_cast<TStatusPanel*>(TCollection::GetItem(Index)); }

protected:
    void Update(TCollectionItem* Item) override;

private:
    TStatusBar* FStatusBar;
};

using TDrawPanelEvent = std::function<void(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)>;

class TStatusBar : public TCustomControl {
    LUMORA_CLASS(TStatusBar, TCustomControl)
public:
    explicit TStatusBar(TComponent* AOwner);
    ~TStatusBar() override;
    TStatusPanels* GetPanels() const { return FPanels; }
    void SetPanels(TStatusPanels* Value) { FPanels->Assign(Value); }
    // One panel across the bar showing SimpleText.
    bool GetSimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool Value);
    const std::string& GetSimpleText() const { return FSimpleText; }
    void SetSimpleText(const std::string& Value);
    bool GetSizeGrip() const { return FSizeGrip; }
    void SetSizeGrip(bool Value);
    bool GetAutoHint() const { return FAutoHint; }
    void SetAutoHint(bool Value) { FAutoHint = Value; }
    // A panel's rectangle (client coordinates); the last panel reaches the right end.
    TRect PanelRect(Integer Index);
    TCanvas* GetCanvas() { return TCustomControl::GetCanvas(); }

    TDrawPanelEvent OnDrawPanel;
    TNotifyEvent OnHint;

protected:
    friend class TStatusPanels;
    virtual void DrawPanel(TStatusPanel* Panel, const TRect& Rect);
    void Paint() override;
    void CMFontChanged(TMessage& Message) override;
    void WMEraseBkgnd(TMessage& Message) override;

private:
    TStatusPanels* FPanels;
    bool FSimplePanel = false;
    std::string FSimpleText;
    bool FSizeGrip = true;
    bool FAutoHint = false;
};

// ---------------------------------------------------------------------------------------------
// Progress bars and track bars

enum TProgressBarOrientation { pbHorizontal, pbVertical };

class TProgressBar : public TCustomControl {
    LUMORA_CLASS(TProgressBar, TCustomControl)
public:
    explicit TProgressBar(TComponent* AOwner);
    Integer GetMin() const { return FMin; }
    void SetMin(Integer Value);
    Integer GetMax() const { return FMax; }
    void SetMax(Integer Value);
    // Kept within Min..Max.
    Integer GetPosition() const { return FPosition; }
    void SetPosition(Integer Value);
    Integer GetStep() const { return FStep; }
    void SetStep(Integer Value) { FStep = Value; }
    // Adds Step (past Max it starts again from Min, as the framework's bar does).
    void StepIt();
    void StepBy(Integer Delta);
    TProgressBarOrientation GetOrientation() const { return FOrientation; }
    void SetOrientation(TProgressBarOrientation Value);
    bool GetSmooth() const { return FSmooth; }
    void SetSmooth(bool Value);

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;

private:
    Integer FMin = 0;
    Integer FMax = 100;
    Integer FPosition = 0;
    Integer FStep = 10;
    TProgressBarOrientation FOrientation = pbHorizontal;
    bool FSmooth = false;
};

enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum TTickStyle { tsNone, tsAuto, tsManual };

class TTrackBar : public TCustomControl {
    LUMORA_CLASS(TTrackBar, TCustomControl)
public:
    explicit TTrackBar(TComponent* AOwner);
    Integer GetMin() const { return FMin; }
    void SetMin(Integer Value);
    Integer GetMax() const { return FMax; }
    void SetMax(Integer Value);
    // Fires OnChange when it changes, also in code.
    Integer GetPosition() const { return FPosition; }
    void SetPosition(Integer Value);
    Integer GetFrequency() const { return FFrequency; }
    void SetFrequency(Integer Value);
    Integer GetLineSize() const { return FLineSize; }
    void SetLineSize(Integer Value) { FLineSize = Value; }
    Integer GetPageSize() const { return FPageSize; }
    void SetPageSize(Integer Value) { FPageSize = Value; }
    TTrackBarOrientation GetOrientation() const { return FOrientation; }
    void SetOrientation(TTrackBarOrientation Value);
    TTickMark GetTickMarks() const { return FTickMarks; }
    void SetTickMarks(TTickMark Value);
    TTickStyle GetTickStyle() const { return FTickStyle; }
    void SetTickStyle(TTickStyle Value);
    void SetTick(Integer Value);
    Integer GetThumbLength() const { return FThumbLength; }
    void SetThumbLength(Integer Value);
    bool GetSliderVisible() const { return FSliderVisible; }
    void SetSliderVisible(bool Value);
    Integer GetSelStart() const { return FSelStart; }
    void SetSelStart(Integer Value);
    Integer GetSelEnd() const { return FSelEnd; }
    void SetSelEnd(Integer Value);
    // The thumb's rectangle and the channel's (client coordinates).
    TRect ThumbRect();
    TRect ChannelRect();

    TNotifyEvent OnChange;

protected:
    virtual void Changed();
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
    void WMGetDlgCode(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    void WMTimer(TMessage& Message) override;

private:
    Integer PositionAt(TPoint P);
    Integer PixelOf(Integer Position);
    TRect ChannelSpan();
    Integer FMin = 0;
    Integer FMax = 10;
    Integer FPosition = 0;
    Integer FFrequency = 1;
    Integer FLineSize = 1;
    Integer FPageSize = 2;
    TTrackBarOrientation FOrientation = trHorizontal;
    TTickMark FTickMarks = tmBottomRight;
    TTickStyle FTickStyle = tsAuto;
    std::vector<Integer> FTicks;
    Integer FThumbLength = 20;
    bool FSliderVisible = true;
    Integer FSelStart = 0;
    Integer FSelEnd = 0;
    bool FDragging = false;
    Integer FDragOffset = 0;
    Integer FPageDirection = 0;
    TPoint FPagePoint;
};

// ---------------------------------------------------------------------------------------------
// Up-down buttons and spin edits

enum TUDAlignButton { udLeft, udRight };
enum TUDOrientation { udHorizontal, udVertical };
enum TUDBtnType { btNext, btPrev };
enum TUpDownDirection { updNone, updUp, updDown };
using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;
using TUDChangingEventEx =
    std::function<void(TObject* Sender, bool& AllowChange, SmallInt NewValue, TUpDownDirection Direction)>;

class TCustomUpDown : public TCustomControl {
    LUMORA_CLASS(TCustomUpDown, TCustomControl)
public:
    explicit TCustomUpDown(TComponent* AOwner);
    ~TCustomUpDown() override;
    Integer GetMin() const { return FMin; }
    void SetMin(Integer Value);
    Integer GetMax() const { return FMax; }
    void SetMax(Integer Value);
    // In code: kept within Min..Max, shown in the associate, no event.
    Integer GetPosition();
    void SetPosition(Integer Value);
    Integer GetIncrement() const { return FIncrement; }
    void SetIncrement(Integer Value) { FIncrement = Value; }
    // The control (an edit) whose text shows the position; the buttons sit beside it.
    TWinControl* GetAssociate() const { return FAssociate; }
    void SetAssociate(TWinControl* Value);
    TUDAlignButton GetAlignButton() const { return FAlignButton; }
    void SetAlignButton(TUDAlignButton Value);
    TUDOrientation GetOrientation() const { return FOrientation; }
    void SetOrientation(TUDOrientation Value);
    bool GetWrap() const { return FWrap; }
    void SetWrap(bool Value) { FWrap = Value; }
    bool GetArrowKeys() const { return FArrowKeys; }
    void SetArrowKeys(bool Value) { FArrowKeys = Value; }
    bool GetThousands() const { return FThousands; }
    void SetThousands(bool Value);
    // A press of a button, as the user's click makes it.
    void Step(TUDBtnType Button);

    TUDClickEvent OnClick;
    TUDChangingEvent OnChanging;
    TUDChangingEventEx OnChangingEx;

protected:
    virtual bool CanChange(Integer NewValue, TUpDownDirection Direction);
    virtual void DoClick(TUDBtnType Button);
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void WMTimer(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;

private:
    void UpdateAssociate();
    void PlaceBeside();
    // The associate's text as a position (Position when it is not a number).
    Integer ReadAssociate();
    Integer FMin = 0;
    Integer FMax = 100;
    Integer FPosition = 0;
    Integer FIncrement = 1;
    TWinControl* FAssociate = nullptr;
    TUDAlignButton FAlignButton = udRight;
    TUDOrientation FOrientation = udVertical;
    bool FWrap = false;
    bool FArrowKeys = true;
    bool FThousands = true;
    Integer FPressed = -1;  // 0 upper/left button, 1 lower/right
    TKeyEvent FAssociateKeyDown;
    bool FHooked = false;
};

class TUpDown : public TCustomUpDown {
    LUMORA_CLASS(TUpDown, TCustomUpDown)
public:
    explicit TUpDown(TComponent* AOwner) : TCustomUpDown(AOwner) {}
};

// An edit box for a whole number with up and down buttons; MinValue = MaxValue means no limits.
class TSpinEdit : public TCustomEdit {
    LUMORA_CLASS(TSpinEdit, TCustomEdit)
public:
    explicit TSpinEdit(TComponent* AOwner);
    Integer GetMinValue() const { return FMinValue; }
    void SetMinValue(Integer Value) { FMinValue = Value; }
    Integer GetMaxValue() const { return FMaxValue; }
    void SetMaxValue(Integer Value) { FMaxValue = Value; }
    Integer GetIncrement() const { return FIncrement; }
    void SetIncrement(Integer Value) { FIncrement = Value; }
    // The text as a number within the limits (MinValue when it is not a number); setting it
    // sets the text (and fires OnChange when that changes).
    Integer GetValue();
    void SetValue(Integer Value);
    bool GetEditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool Value) { FEditorEnabled = Value; }
    // The up and down buttons (a TCustomUpDown without associate).
    TCustomUpDown* GetButton() const { return FButton; }

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    void CMExit(TMessage& Message) override;
    void WMSize(TMessage& Message) override;
    void CreateWnd() override;
    virtual Integer CheckValue(Integer NewValue);
    virtual void UpClick();
    virtual void DownClick();
    bool IsValidChar(Char Key);

private:
    void PlaceButton();
    Integer FMinValue = 0;
    Integer FMaxValue = 0;
    Integer FIncrement = 1;
    bool FEditorEnabled = true;
    TCustomUpDown* FButton;
};
