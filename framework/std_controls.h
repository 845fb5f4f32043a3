#pragma once
// The standard static and button controls: labels and static texts, push buttons, bitmap and
// speed buttons, check boxes, radio buttons and radio groups, group boxes, panels, bevels, shapes
// and images. They draw themselves in the classic look on the window system's canvases and fire
// their events when the framework they stand in for fires them: a check box's OnClick also when
// Checked is set in code, a radio group's OnClick also when ItemIndex is set in code, a button's
// OnClick after the form's ModalResult is set.

#include <functional>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/forms.h"
#include "framework/actions.h"
#include "framework/graphics.h"
#include "framework/menus.h"
#include "framework/string_list.h"

// What an owner-drawn item is drawn as.
enum TOwnerDrawStateItem {
    odSelected,
    odGrayed,
    odDisabled,
    odChecked,
    odFocused,
    odDefault,
    odHotLight,
    odInactive,
    odNoAccel,
    odNoFocusRect,
    odReserved1,
    odReserved2,
    odComboBoxEdit,
};
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;

enum TTextLayout { tlTop, tlCenter, tlBottom };
// Check boxes and radio buttons take taLeftJustify or taRightJustify.
using TLeftRight = TAlignment;

// ---------------------------------------------------------------------------------------------
// Labels and static texts

class TCustomLabel : public TGraphicControl {
    LUMORA_CLASS(TCustomLabel, TGraphicControl)
public:
    explicit TCustomLabel(TComponent* AOwner);
    ~TCustomLabel() override;

    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TTextLayout GetLayout() const { return FLayout; }
    void SetLayout(TTextLayout Value);
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool GetShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool Value);
    bool GetTransparent() const { return !GetControlStyle().Contains(csOpaque); }
    void SetTransparent(bool Value);
    // The control an accelerator of the caption focuses.
    TWinControl* GetFocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value);
    void SetAutoSize(bool Value) override;

protected:
    void Paint() override;
    // Draws (or with DT_CALCRECT measures) the caption into Rect.
    virtual void DoDrawText(TRect& Rect, UINT Flags);
    // Fits the bounds to the caption when AutoSize is on (the right edge stays for right
    // alignment).
    virtual void AdjustBounds();
    std::string GetLabelText();
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    void Dispatch(TMessage& Message) override;
    void CMTextChanged(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    virtual void CMDialogChar(TMessage& Message);

private:
    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    bool FWordWrap = false;
    bool FShowAccelChar = true;
    TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
    LUMORA_CLASS(TLabel, TCustomLabel)
public:
    explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
};

enum TStaticBorderStyle { sbsNone, sbsSingle, sbsSunken };

// A label with a window of its own (it can sit above windowed siblings).
class TCustomStaticText : public TCustomControl {
    LUMORA_CLASS(TCustomStaticText, TCustomControl)
public:
    explicit TCustomStaticText(TComponent* AOwner);
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TStaticBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TStaticBorderStyle Value);
    bool GetShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool Value);
    TWinControl* GetFocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value);
    void SetAutoSize(bool Value) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void AdjustBounds();
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    void CMTextChanged(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void CMDialogChar(TMessage& Message) override;

private:
    TAlignment FAlignment = taLeftJustify;
    TStaticBorderStyle FBorderStyle = sbsNone;
    bool FShowAccelChar = true;
    TWinControl* FFocusControl = nullptr;
};

class TStaticText : public TCustomStaticText {
    LUMORA_CLASS(TStaticText, TCustomStaticText)
public:
    explicit TStaticText(TComponent* AOwner) : TCustomStaticText(AOwner) {}
};

// ---------------------------------------------------------------------------------------------
// Buttons

// The base of push buttons, check boxes and radio buttons.
class TButtonControl : public TCustomControl {
    LUMORA_CLASS(TButtonControl, TCustomControl)
public:
    explicit TButtonControl(TComponent* AOwner);
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);

protected:
    friend class TButtonActionLink;
    virtual bool GetChecked() { return false; }
    virtual void SetChecked(bool /*Value*/) {}
    TControlActionLink* CreateActionLink() override;
    void ActionChange(TObject* Sender, bool CheckDefaults) override;
    // While positive, setting the checked state fires no OnClick.
    bool ClicksDisabled() const { return FClicksDisabled > 0; }
    void DisableClicks() { ++FClicksDisabled; }
    void EnableClicks() { --FClicksDisabled; }
    // The button face is pressed (mouse held inside, or the space bar held).
    bool GetPressed() const { return FPressed; }
    void SetPressed(bool Value);
    // A press by mouse or space bar ended over the button.
    virtual void ButtonClicked() { Click(); }
    void WMLButtonDown(TMessage& Message) override;
    void WMLButtonDblClk(TMessage& Message) override;
    void WMLButtonUp(TMessage& Message) override;
    void WMMouseMove(TMessage& Message) override;
    void WMKeyDown(TMessage& Message) override;
    void WMKeyUp(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void WMCancelMode(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;
    void CMTextChanged(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void WMEraseBkgnd(TMessage& Message) override;
    // Draws Caption (with its accelerator) in R, grayed when disabled.
    void DrawCaption(TCanvas* Canvas, TRect R, UINT Flags, bool Enabled);

private:
    bool FWordWrap = false;
    Integer FClicksDisabled = 0;
    bool FPressed = false;
    bool FMouseTracking = false;
    bool FSpaceDown = false;
};

// The link of a button control: the action's Checked reaches check boxes and radio buttons.
class TButtonActionLink : public TControlActionLink {
    LUMORA_CLASS(TButtonActionLink, TControlActionLink)
public:
    explicit TButtonActionLink(TButtonControl* AClient);
    bool IsCheckedLinked() override;
    void SetChecked(bool Value) override;

private:
    TButtonControl* FButton;
};

class TCustomButton : public TButtonControl {
    LUMORA_CLASS(TCustomButton, TButtonControl)
public:
    explicit TCustomButton(TComponent* AOwner);
    // Sets the parent form's ModalResult to the button's, then fires OnClick.
    void Click() override;
    bool GetDefault() const { return FDefault; }
    void SetDefault(bool Value);
    bool GetCancel() const { return FCancel; }
    void SetCancel(bool Value) { FCancel = Value; }
    TModalResult GetModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }
    // The button takes Enter: it is focused, or it is the default button and no other button
    // is focused.
    bool GetActive() const { return FActive; }

protected:
    void Paint() override;
    // The face (and glyph) inside R, which is already inside the frame.
    virtual void DrawFace(TCanvas* Canvas, TRect R, bool Down);
    void WMGetDlgCode(TMessage& Message) override;
    void CMDialogKey(TMessage& Message) override;
    void CMDialogChar(TMessage& Message) override;
    void CMFocusChanged(TMessage& Message) override;

private:
    bool FDefault = false;
    bool FCancel = false;
    bool FActive = false;
    TModalResult FModalResult = 0;
};

class TButton : public TCustomButton {
    LUMORA_CLASS(TButton, TCustomButton)
public:
    explicit TButton(TComponent* AOwner) : TCustomButton(AOwner) {}
};

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
using TNumGlyphs = Integer;  // 1..4

// The glyph of a bitmap or speed button: a strip of NumGlyphs images (up, disabled, clicked,
// down) whose bottom-left pixel's colour is transparent; a missing disabled image is embossed.
class TButtonGlyph {
public:
    TButtonGlyph();
    ~TButtonGlyph();
    TBitmap* GetGlyph() const { return FGlyph; }
    void SetGlyph(TBitmap* Value);
    TNumGlyphs GetNumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(TNumGlyphs Value);
    bool Empty() const;
    TSize ImageSize() const;
    // Lays the glyph and the caption out in Client (Margin -1 centres, Spacing -1 spreads),
    // draws both and returns the caption's rectangle.
    TRect Draw(TCanvas* Canvas, const TRect& Client, TPoint Offset, const std::string& Caption, TButtonLayout Layout,
               Integer Margin, Integer Spacing, TButtonState State, bool Transparent, bool ShowAccel);
    std::function<void()> OnChange;

private:
    void DrawGlyph(TCanvas* Canvas, TPoint At, TButtonState State);
    TBitmap* FGlyph;
    TNumGlyphs FNumGlyphs = 1;
};

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };

class TBitBtn : public TCustomButton {
    LUMORA_CLASS(TBitBtn, TCustomButton)
public:
    explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;
    // bkClose closes the form, bkHelp asks for help; then TButton's Click.
    void Click() override;
    TBitmap* GetGlyph() const { return FGlyph.GetGlyph(); }
    void SetGlyph(TBitmap* Value);
    TNumGlyphs GetNumGlyphs() const { return FGlyph.GetNumGlyphs(); }
    void SetNumGlyphs(TNumGlyphs Value);
    // A kind other than bkCustom sets the caption, the glyph, ModalResult, Default and Cancel.
    TBitBtnKind GetKind() const { return FKind; }
    void SetKind(TBitBtnKind Value);
    TButtonLayout GetLayout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    Integer GetMargin() const { return FMargin; }
    void SetMargin(Integer Value);
    Integer GetSpacing() const { return FSpacing; }
    void SetSpacing(Integer Value);

protected:
    void DrawFace(TCanvas* Canvas, TRect R, bool Down) override;

private:
    TButtonGlyph FGlyph;
    TBitBtnKind FKind = bkCustom;
    TButtonLayout FLayout = blGlyphLeft;
    Integer FMargin = -1;
    Integer FSpacing = 4;
};

class TSpeedButton;

// The link of a speed button: the action's Checked is its Down, the group index its group.
class TSpeedButtonActionLink : public TControlActionLink {
    LUMORA_CLASS(TSpeedButtonActionLink, TControlActionLink)
public:
    explicit TSpeedButtonActionLink(TSpeedButton* AClient);
    bool IsCheckedLinked() override;
    bool IsGroupIndexLinked() override;
    void SetChecked(bool Value) override;
    void SetGroupIndex(Integer Value) override;

private:
    TSpeedButton* FButton;
};

// A button without a window: pressed and released on the parent, with groups of exclusive
// buttons (GroupIndex), a Down state, and a flat look that shows its frame under the mouse.
class TSpeedButton : public TGraphicControl {
    LUMORA_CLASS(TSpeedButton, TGraphicControl)
public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;
    void Click() override;
    bool GetAllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    Integer GetGroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(Integer Value);
    // Setting it in code fires no OnClick; a button of a group going down lets the others up.
    bool GetDown() const { return FDown; }
    void SetDown(bool Value);
    bool GetFlat() const { return FFlat; }
    void SetFlat(bool Value);
    TBitmap* GetGlyph() const { return FGlyph.GetGlyph(); }
    void SetGlyph(TBitmap* Value);
    TNumGlyphs GetNumGlyphs() const { return FGlyph.GetNumGlyphs(); }
    void SetNumGlyphs(TNumGlyphs Value);
    TButtonLayout GetLayout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    Integer GetMargin() const { return FMargin; }
    void SetMargin(Integer Value);
    Integer GetSpacing() const { return FSpacing; }
    void SetSpacing(Integer Value);
    bool GetTransparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    TButtonState GetState() const { return FState; }
    bool GetMouseInControl() const { return FMouseInControl; }

protected:
    TControlActionLink* CreateActionLink() override;
    void ActionChange(TObject* Sender, bool CheckDefaults) override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void Dispatch(TMessage& Message) override;
    void CMMouseEnter(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;
    virtual void CMButtonPressed(TMessage& Message);
    virtual void CMDialogChar(TMessage& Message);

private:
    void UpdateExclusive();
    TButtonGlyph FGlyph;
    Integer FGroupIndex = 0;
    bool FDown = false;
    bool FDragging = false;
    bool FAllowAllUp = false;
    TButtonLayout FLayout = blGlyphLeft;
    Integer FMargin = -1;
    Integer FSpacing = 4;
    bool FFlat = false;
    bool FMouseInControl = false;
    bool FTransparent = true;
    TButtonState FState = bsUp;
};

// ---------------------------------------------------------------------------------------------
// Check boxes and radio buttons

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCustomCheckBox : public TButtonControl {
    LUMORA_CLASS(TCustomCheckBox, TButtonControl)
public:
    explicit TCustomCheckBox(TComponent* AOwner);
    // taRightJustify (the default) puts the caption right of the box.
    TLeftRight GetAlignment() const { return FAlignment; }
    void SetAlignment(TLeftRight Value);
    bool GetAllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
    // Changing the state (in code or by the user) fires OnClick.
    TCheckBoxState GetState() const { return FState; }
    void SetState(TCheckBoxState Value);
    bool GetChecked() override { return FState == cbChecked; }
    void SetChecked(bool Value) override;

protected:
    // The user's click: unchecked -> (grayed when allowed) -> checked -> unchecked.
    virtual void Toggle();
    void ButtonClicked() override { Toggle(); }
    void Paint() override;
    void WMGetDlgCode(TMessage& Message) override;
    void CMDialogChar(TMessage& Message) override;

private:
    TLeftRight FAlignment = taRightJustify;
    bool FAllowGrayed = false;
    TCheckBoxState FState = cbUnchecked;
};

class TCheckBox : public TCustomCheckBox {
    LUMORA_CLASS(TCheckBox, TCustomCheckBox)
public:
    explicit TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}
};

class TRadioButton : public TButtonControl {
    LUMORA_CLASS(TRadioButton, TButtonControl)
public:
    explicit TRadioButton(TComponent* AOwner);
    TLeftRight GetAlignment() const { return FAlignment; }
    void SetAlignment(TLeftRight Value);
    // Becoming checked (in code or by the user) unchecks the radio buttons of the same parent
    // and fires OnClick.
    bool GetChecked() override { return FChecked; }
    void SetChecked(bool Value) override;

protected:
    void ButtonClicked() override { SetChecked(true); }
    void Paint() override;
    void WMGetDlgCode(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void CMDialogChar(TMessage& Message) override;

private:
    TLeftRight FAlignment = taRightJustify;
    bool FChecked = false;
};

// ---------------------------------------------------------------------------------------------
// Group boxes, radio groups, panels

class TCustomGroupBox : public TCustomControl {
    LUMORA_CLASS(TCustomGroupBox, TCustomControl)
public:
    explicit TCustomGroupBox(TComponent* AOwner);

protected:
    void Paint() override;
    TRect GetClientRectForAlign() override;
    void CMDialogChar(TMessage& Message) override;
    void CMTextChanged(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
};

class TGroupBox : public TCustomGroupBox {
    LUMORA_CLASS(TGroupBox, TCustomGroupBox)
public:
    explicit TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}
};

// A group box of radio buttons made from Items, laid out in Columns. ItemIndex changes (by the
// user or in code) fire OnClick.
class TCustomRadioGroup : public TCustomGroupBox {
    LUMORA_CLASS(TCustomRadioGroup, TCustomGroupBox)
public:
    explicit TCustomRadioGroup(TComponent* AOwner);
    ~TCustomRadioGroup() override;
    TStrings* GetItems() const;
    void SetItems(TStrings* Value);
    Integer GetItemIndex() const { return FItemIndex; }
    void SetItemIndex(Integer Value);
    Integer GetColumns() const { return FColumns; }
    void SetColumns(Integer Value);
    // The radio button of item Index.
    TRadioButton* GetButton(Integer Index) const;
    Integer GetButtonCount() const { return Integer(FButtons.size()); }

protected:
    virtual bool CanModify() { return true; }
    void Loaded() override;
    void WMSize(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;

private:
    friend class TGroupButton;
    void ItemsChanged();
    void UpdateButtons();
    void ArrangeButtons();
    void ButtonClick(TRadioButton* Button);
    TStringList* FItems;
    std::vector<TRadioButton*> FButtons;
    Integer FItemIndex = -1;
    Integer FColumns = 1;
    bool FUpdating = false;
};

class TRadioGroup : public TCustomRadioGroup {
    LUMORA_CLASS(TRadioGroup, TCustomRadioGroup)
public:
    explicit TRadioGroup(TComponent* AOwner) : TCustomRadioGroup(AOwner) {}
};

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
using TBevelWidth = Integer;

class TCustomPanel : public TCustomControl {
    LUMORA_CLASS(TCustomPanel, TCustomControl)
public:
    explicit TCustomPanel(TComponent* AOwner);
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TBevelCut GetBevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut GetBevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    TBevelWidth GetBevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(TBevelWidth Value);
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    bool GetFullRepaint() const { return FFullRepaint; }
    void SetFullRepaint(bool Value) { FFullRepaint = Value; }
    bool GetLocked() const { return FLocked; }
    void SetLocked(bool Value) { FLocked = Value; }

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    TRect GetClientRectForAlign() override;
    void CMTextChanged(TMessage& Message) override;
    // The width of both bevels together.
    Integer BevelSize() const;

private:
    TAlignment FAlignment = taCenter;
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    TBevelWidth FBevelWidth = 1;
    TBorderStyle FBorderStyle = bsNone;
    bool FFullRepaint = true;
    bool FLocked = false;
};

class TPanel : public TCustomPanel {
    LUMORA_CLASS(TPanel, TCustomPanel)
public:
    explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
};

// ---------------------------------------------------------------------------------------------
// Bevels, shapes and images

enum TBevelStyle { bsLowered, bsRaised };
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };

class TBevel : public TGraphicControl {
    LUMORA_CLASS(TBevel, TGraphicControl)
public:
    explicit TBevel(TComponent* AOwner);
    TBevelShape GetShape() const { return FShape; }
    void SetShape(TBevelShape Value);
    TBevelStyle GetStyle() const { return FStyle; }
    void SetStyle(TBevelStyle Value);

protected:
    void Paint() override;

private:
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
    LUMORA_CLASS(TShape, TGraphicControl)
public:
    explicit TShape(TComponent* AOwner);
    ~TShape() override;
    TBrush* GetBrush() const { return FBrush; }
    void SetBrush(TBrush* Value);
    TPen* GetPen() const { return FPen; }
    void SetPen(TPen* Value);
    TShapeType GetShape() const { return FShape; }
    void SetShape(TShapeType Value);

protected:
    void Paint() override;

private:
    TPen* FPen;
    TBrush* FBrush;
    TShapeType FShape = stRectangle;
};

// Shows a picture; changing the picture (or drawing on Canvas) repaints it.
class TImage : public TGraphicControl {
    LUMORA_CLASS(TImage, TGraphicControl)
public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;
    TPicture* GetPicture() const { return FPicture; }
    void SetPicture(TPicture* Value);
    // A canvas on the picture's bitmap (an empty picture gets a bitmap of the control's size);
    // raises EInvalidOperation when the picture holds another kind of graphic.
    TCanvas* GetCanvas();
    bool GetCenter() const { return FCenter; }
    void SetCenter(bool Value);
    bool GetStretch() const { return FStretch; }
    void SetStretch(bool Value);
    bool GetProportional() const { return FProportional; }
    void SetProportional(bool Value);
    bool GetTransparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    bool GetIncrementalDisplay() const { return FIncrementalDisplay; }
    void SetIncrementalDisplay(bool Value) { FIncrementalDisplay = Value; }
    // Where the picture is drawn (client coordinates).
    TRect DestRect();

protected:
    void Paint() override;
    bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;
    virtual void PictureChanged(TObject* Sender);

private:
    TPicture* FPicture;
    bool FCenter = false;
    bool FStretch = false;
    bool FProportional = false;
    bool FTransparent = false;
    bool FIncrementalDisplay = false;
    bool FDrawing = false;
};
