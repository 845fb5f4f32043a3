#pragma once
// The flat button of the toolbars: a glyph (a strip of up to five images, or an image of an image
// list), a caption, a drop-down menu (with an arrow, or a separate arrow part), exclusive groups,
// auto-repeat, and hot tracking while the mouse is over it.

#include <functional>
#include <string>
#include <vector>

#include "components/thread_hooks.h"
#include "framework/actions.h"
#include "framework/controls.h"
#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/image_list.h"
#include "framework/menus.h"
#include "framework/std_controls.h"
#include "framework/timer.h"

enum TButtonDisplayMode { dmBoth, dmGlyphOnly, dmTextOnly };
// 0 up, 1 disabled, 2 down (pressed), 3 exclusive (stays down), 4 hot (the mouse over it).
enum TToolbarButtonState { tbsUp, tbsDisabled, tbsDown, tbsExclusive, tbsHot };
using TNumGlyphsX = Integer;  // 1..5
using TButtonDropdownEvent = std::function<void(TObject* Sender, bool& ShowMenu, bool& RemoveClicks)>;

// ---- Apart from any window ---------------------------------------------------------------------

// Where the glyph, the caption and the drop-down arrow go inside a button's content rectangle.
struct TButtonContentLayout {
    TPoint GlyphPos;
    TRect CaptionRect;
    TPoint ArrowPos;  // top left of the arrow area
};
// GlyphSize is (0, 0) without a glyph, ArrowSize (0, 0) without the arrow. MeasureCaption gives
// the caption's size within a width ((0, 0) without a caption). Margin and Spacing -1 centre and
// spread as the button's properties say.
TButtonContentLayout LayoutButtonContent(const TRect& Content, TPoint GlyphSize, TPoint ArrowSize,
                                         const std::function<TPoint(Integer MaxWidth)>& MeasureCaption,
                                         TButtonLayout Layout, Integer Margin, Integer Spacing, bool WordWrap);

// The glyph count a strip W x H holds: W div H when that is whole and below 6, else 1.
TNumGlyphsX GlyphCountOf(Integer Width, Integer Height);

// The disabled look of a W x H image (colours, rows top first): one pixel larger each way, the
// shape in Highlight one pixel down and right under the shape in Shadow, on Face. The shape is every
// pixel neither Transparent, white nor silver; with Mask (true inside) only pixels inside it.
std::vector<TColor> DisabledImagePixels(const std::vector<TColor>& Pixels, Integer W, Integer H, TColor Transparent,
                                        const std::vector<bool>* Mask, TColor Face, TColor Highlight,
                                        TColor Shadow);

// ---- The rendered images -----------------------------------------------------------------------

// Image lists shared by every button, one per image size: a rendered state image takes the first
// free slot; a list goes when its last slot is given back.
class TGlyphList {
public:
    TGlyphList(Integer AWidth, Integer AHeight);
    ~TGlyphList();
    // The slot the image went to, transparent where it has MaskColor. "Invalid image size" when
    // the image is smaller than the list's, "Unable to Replace Image" when the list refuses it.
    Integer Add(TBitmap* Image, TColor MaskColor);
    void Delete(Integer Index);
    Integer GetUsed() const { return FUsed; }
    TCustomImageList* GetImages() const { return FImages; }

private:
    TCustomImageList* FImages;
    std::vector<bool> FTaken;
    Integer FUsed = 0;
};
// The shared list of that image size (made when missing), and giving a slot back (the list goes
// with its last slot). GlyphListCount counts the lists alive.
TGlyphList* SharedGlyphList(Integer Width, Integer Height);
void ReleaseGlyphSlot(TGlyphList* List, Integer Index);
Integer GlyphListCount();

// The images of one button: its strip (or image list entry), and each state rendered once into the
// shared lists.
class TToolbarButtonGlyph {
public:
    TToolbarButtonGlyph();
    ~TToolbarButtonGlyph();
    TBitmap* GetGlyph() const { return FGlyph; }
    void SetGlyph(TBitmap* Value);
    TBitmap* GetMask() const { return FMask; }
    void SetMask(TBitmap* Value);
    TNumGlyphsX GetNumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(TNumGlyphsX Value);
    TCustomImageList* GetImages() const { return FImages; }
    void SetImages(TCustomImageList* Value, Integer Index);
    bool GetOldDisabledStyle() const { return FOldDisabledStyle; }
    void SetOldDisabledStyle(bool Value);
    // The size of one image, (0, 0) without any.
    TPoint ImageSize() const;
    // Forgets what was rendered (the system colours changed).
    void Invalidate();
    // Draws the state's image at (X, Y).
    void Draw(TCanvas* Canvas, Integer X, Integer Y, TToolbarButtonState State);
    // The slot of the state's image in its shared list (rendered when needed), -1 without one.
    Integer Rendered(TToolbarButtonState State, TGlyphList** List);
    std::function<void()> OnChange;

private:
    TBitmap* FGlyph;
    TBitmap* FMask;
    TNumGlyphsX FNumGlyphs = 1;
    TCustomImageList* FImages = nullptr;
    Integer FImageIndex = -1;
    bool FOldDisabledStyle = false;
    // Per state: the slot in the list of its size (disabled images are one larger each way).
    Integer FSlots[5] = {-1, -1, -1, -1, -1};
    TGlyphList* FLists[5] = {};
    void Changed();
};

// ---- TToolbarButtonX ---------------------------------------------------------------------------

class TToolbarButtonX;

// Checked is Down, HelpContext and ImageIndex each while the button's equals the action's.
class TToolbarButtonXActionLink : public TControlActionLink {
    LUMORA_CLASS(TToolbarButtonXActionLink, TControlActionLink)
public:
    explicit TToolbarButtonXActionLink(TToolbarButtonX* AClient);
    bool IsCheckedLinked() override;
    bool IsHelpContextLinked() override;
    bool IsImageIndexLinked() override;
    void SetChecked(bool Value) override;
    void SetHelpContext(Integer Value) override;
    void SetImageIndex(Integer Value) override;

private:
    TToolbarButtonX* FButton;
};

class TToolbarButtonX : public TGraphicControl {
    LUMORA_CLASS(TToolbarButtonX, TGraphicControl)
public:
    explicit TToolbarButtonX(TComponent* AOwner);
    ~TToolbarButtonX() override;

    void Click() override;

    TBitmap* GetGlyph() const { return FGlyph.GetGlyph(); }
    // Sets NumGlyphs from the strip's shape.
    void SetGlyph(TBitmap* Value);
    TBitmap* GetGlyphMask() const { return FGlyph.GetMask(); }
    void SetGlyphMask(TBitmap* Value);
    TNumGlyphsX GetNumGlyphs() const { return FGlyph.GetNumGlyphs(); }
    // 0 counts as 1, above 5 as 5.
    void SetNumGlyphs(TNumGlyphsX Value);
    TCustomImageList* GetImages() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    Integer GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(Integer Value);
    TButtonDisplayMode GetDisplayMode() const { return FDisplayMode; }
    void SetDisplayMode(TButtonDisplayMode Value);
    TButtonLayout GetLayout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    Integer GetMargin() const { return FMargin; }
    // Below -1 is refused.
    void SetMargin(Integer Value);
    Integer GetSpacing() const { return FSpacing; }
    void SetSpacing(Integer Value);
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool GetFlat() const { return FFlat; }
    void SetFlat(bool Value);
    bool GetNoBorder() const { return FNoBorder; }
    void SetNoBorder(bool Value);
    bool GetOpaque() const { return FOpaque; }
    void SetOpaque(bool Value);
    bool GetShowBorderWhenInactive() const { return FShowBorderWhenInactive; }
    void SetShowBorderWhenInactive(bool Value) { FShowBorderWhenInactive = Value; }
    bool GetHighlightWhenDown() const { return FHighlightWhenDown; }
    void SetHighlightWhenDown(bool Value);
    bool GetOldDisabledStyle() const { return FGlyph.GetOldDisabledStyle(); }
    void SetOldDisabledStyle(bool Value);
    Integer GetGroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(Integer Value);
    // Only a grouped button can be down.
    bool GetDown() const { return FDown; }
    void SetDown(bool Value);
    bool GetAllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    TPopupMenu* GetDropdownMenu() const { return FDropdownMenu; }
    void SetDropdownMenu(TPopupMenu* Value);
    bool GetDropdownAlways() const { return FDropdownAlways; }
    void SetDropdownAlways(bool Value);
    bool GetDropdownArrow() const { return FDropdownArrow; }
    void SetDropdownArrow(bool Value);
    Integer GetDropdownArrowWidth() const { return FDropdownArrowWidth; }
    // At least 7; a combo button changes its width by as much.
    void SetDropdownArrowWidth(Integer Value);
    // A separate arrow part on the right: turning it on widens the button by the arrow and 2.
    bool GetDropdownCombo() const { return FDropdownCombo; }
    void SetDropdownCombo(bool Value);
    bool GetRepeating() const { return FRepeating; }
    void SetRepeating(bool Value) { FRepeating = Value; }
    Integer GetRepeatDelay() const { return FRepeatDelay; }
    void SetRepeatDelay(Integer Value) { FRepeatDelay = Value; }
    Integer GetRepeatInterval() const { return FRepeatInterval; }
    void SetRepeatInterval(Integer Value) { FRepeatInterval = Value; }
    TModalResult GetModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }
    bool GetDefault() const { return FDefault; }
    void SetDefault(bool Value) { FDefault = Value; }
    bool GetCancel() const { return FCancel; }
    void SetCancel(bool Value) { FCancel = Value; }
    std::string GetVersion() const;
    void SetVersion(const std::string& /*Value*/) {}

    TToolbarButtonState GetState() const { return FState; }
    bool GetMouseInControl() const { return FMouseInControl; }
    // The button the mouse is over (process-wide), nullptr when none.
    static TToolbarButtonX* HotButton();

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseExit;
    TButtonDropdownEvent OnDropdown;

protected:
    TControlActionLink* CreateActionLink() override;
    void ActionChange(TObject* Sender, bool CheckDefaults) override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;

private:
    friend class TToolbarButtonXActionLink;
    TToolbarButtonGlyph FGlyph;
    TCustomImageList* FImages = nullptr;
    Integer FImageIndex = -1;
    TButtonDisplayMode FDisplayMode = dmBoth;
    TButtonLayout FLayout = blGlyphLeft;
    Integer FMargin = -1;
    Integer FSpacing = 4;
    TAlignment FAlignment = taCenter;
    bool FWordWrap = false;
    bool FFlat = true;
    bool FNoBorder = false;
    bool FOpaque = true;
    bool FShowBorderWhenInactive = false;
    bool FHighlightWhenDown = true;
    Integer FGroupIndex = 0;
    bool FDown = false;
    bool FAllowAllUp = false;
    TPopupMenu* FDropdownMenu = nullptr;
    bool FDropdownAlways = false;
    bool FDropdownArrow = true;
    Integer FDropdownArrowWidth = 9;
    bool FDropdownCombo = false;
    bool FRepeating = false;
    Integer FRepeatDelay = 400;
    Integer FRepeatInterval = 100;
    TModalResult FModalResult = 0;
    bool FDefault = false;
    bool FCancel = false;

    TToolbarButtonState FState = tbsUp;
    bool FMouseInControl = false;
    bool FMouseIsDown = false;
    bool FMenuIsDown = false;
    bool FInClick = false;
    bool FUsesDropdown = false;
    TTimer* FRepeatTimer = nullptr;

    void UpdateUsesDropdown();
    void UpdateExclusive();
    void UpdateImages();
    void MouseEntered();
    void MouseLeft();
    bool PointInButton(Integer X, Integer Y);
    void RepeatTimerTick(TObject* Sender);
    void FreeRepeatTimer();
    void RestState();
    static void HookCallback(THookProcCode Code, HWND Wnd, WPARAM WParam, LPARAM LParam);
};
