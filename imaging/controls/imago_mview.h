#pragma once
// TImagoMView, the multi-image view: a list of images shown as a grid of equal cells or one at a
// time, and played as an animation with a delay per image. Every image not in use is kept packed
// as a device-independent bitmap in a global block and decoded into a TBitmap only while somebody
// holds it; the selected image is always held, so the view's current bitmap is the selected
// image's. Images with a source (a file name or an ID) are loaded when they come into view and
// dropped again when they leave it.

#include <memory>
#include <string>
#include <vector>

#include "framework/dynlib.h"
#include "framework/windows_gdi.h"
#include "imaging/img_view.h"

class TImagoIO;

// ietThumb stores every image reduced to fit a cell.
enum TImgStoreType { ietNormal, ietThumb };
enum TImgMMouseInteractItems { mmiScroll, mmiSelect };
using TImgMMouseInteract = TSet<TImgMMouseInteractItems>;
enum TImgMKeyInteractItems { mkiMoveSelected };
using TImgMKeyInteract = TSet<TImgMKeyInteractItems>;
enum TImgMDisplayMode { mdGrid, mdSingle };

// Supplies the bitmap of an image known by ID; the view copies it and never frees it.
using TImgImageIDRequestEvent = std::function<void(TObject* Sender, Integer ID, TBitmap*& Bitmap)>;
// After a cell was drawn, with the cell's client position.
using TImgImageDrawEvent =
    std::function<void(TObject* Sender, Integer idx, Integer Left, Integer Top, TCanvas* Canvas)>;
using TImgImageSelectEvent = std::function<void(TObject* Sender, Integer idx)>;
using TImgMProgressEvent = std::function<void(TObject* Sender, Integer per, Integer idx)>;

// The last list change as TakeLastChange reports it.
constexpr Integer imgChangeNone = 0;
constexpr Integer imgChangeInserted = 1;
constexpr Integer imgChangeDeleted = 2;

class TImagoMView : public TImgView {
    LUMORA_CLASS(TImagoMView, TImgView)
public:
    // 180 x 90, no image, nothing selected, not playing, PlayLoop on.
    explicit TImagoMView(TComponent* AOwner);
    ~TImagoMView() override;

    // ---- The list
    // Stops playback and inserts an empty image at Index (appended when Index is past the end or
    // negative), which becomes the selection.
    void InsertImage(Integer Index);
    // Appends an empty image and answers its index.
    Integer AppendImage();
    // Stops playback and removes the image; the selection stays on the same image, or goes to
    // the new last one when the selected last image was deleted.
    void DeleteImage(Integer Index);
    void Clear();
    Integer ImageCount() const { return Integer(FImages.size()); }
    // The kind of the last list change (imgChangeInserted, imgChangeDeleted or imgChangeNone),
    // reset to none by the call; GetLastChangeIndex is where it happened.
    Integer TakeLastChange();
    Integer GetLastChangeIndex() const { return FLastChangeIndex; }

    // ---- Image content (indexes outside the list are ignored; getters answer 0 or null)
    // Stores a packed copy of Bitmap (reduced to the cell with ietThumb).
    void SetImage(Integer Index, TBitmap* Bitmap);
    // Takes Bitmap as the image's content, as SetImage stores a copy: the selected image keeps it
    // as its decoded bitmap (24-bit or 1-bit, stored whole), so a loader's new image is not
    // packed and unpacked again; any other is packed.
    void TakeImage(Integer Index, std::unique_ptr<TBitmap> Bitmap);
    // Holds the image and answers its decoded bitmap (loaded on demand when empty); null when it
    // has none. Each hold is ended with ReleaseImageBitmap; the last release packs it again.
    TBitmap* GetImageBitmap(Integer Index);
    void ReleaseImageBitmap(Integer Index);
    Integer GetImageWidth(Integer Index);
    Integer GetImageHeight(Integer Index);
    // The packed block; null while the image is decoded or empty.
    HGLOBAL GetImageDIB(Integer Index) const;
    TColor GetImageBackground(Integer Index) const;
    void SetImageBackground(Integer Index, TColor Color);
    Integer GetImageDelay(Integer Index) const;
    void SetImageDelay(Integer Index, Integer Milliseconds);
    // Where an image comes from when it is loaded on demand: a file, or OnImageIDRequest for an
    // ID of 0 or more (-1: none).
    std::string GetImageFileName(Integer Index) const;
    void SetImageFileName(Integer Index, const std::string& FileName);
    Integer GetImageID(Integer Index) const;
    void SetImageID(Integer Index, Integer ID);
    // Loads an empty image from its source; false only when a file failed to load.
    bool LoadImageOnDemand(Integer Index);
    // Whether the image is held (decoded) now.
    bool IsImageDecoded(Integer Index) const;

    // ---- Selection
    Integer GetSelectedImage() const { return FSelected; }
    // Ignored while playing and for indexes outside the list (OnImageSelect still fires).
    void SetSelectedImage(Integer Index);
    // The selected image's decoded bitmap, null without a selection.
    TBitmap* GetBitmap() override;
    // 0 when out of range or out of view, 1 partly visible, 2 wholly visible.
    Integer IsImageVisible(Integer Index);

    // ---- View origin (content pixels)
    Integer GetViewX() const { return FViewX; }
    Integer GetViewY() const { return FViewY; }
    void SetViewX(Integer Value);
    void SetViewY(Integer Value);
    void SetViewXY(Integer X, Integer Y);
    void GetMaxViewXY(Integer& MaxX, Integer& MaxY);
    Integer GetContentWidth() const { return FContentW; }
    Integer GetContentHeight() const { return FContentH; }
    // A cell's position in content coordinates and its grid place, as the last layout made them.
    TPoint GetImagePosition(Integer Index) const;
    TPoint GetImageGridPlace(Integer Index) const;  // X column, Y row

    // ---- Playback
    bool GetPlaying() const { return FPlaying; }
    void SetPlaying(bool Value);
    bool GetPlayLoop() const { return FPlayLoop; }
    void SetPlayLoop(bool Value) { FPlayLoop = Value; }
    Integer GetCurrentFrame() const { return FCurrentFrame; }
    // Shows the current frame and sets the one-shot timer for the next one (the timer's handler).
    void PlayNextFrame();
    // The interval of the pending playback timer in milliseconds, 0 when none is pending.
    Integer GetPlayTimerInterval() const { return FPlayTimerInterval; }

    // ---- Properties
    TScrollStyle GetScrollBars() const { return FScrollBars; }
    virtual void SetScrollBars(TScrollStyle Value);
    TImgStoreType GetStoreType() const { return FStoreType; }
    void SetStoreType(TImgStoreType Value) { FStoreType = Value; }
    Integer GetThumbWidth() const { return FThumbWidth; }
    void SetThumbWidth(Integer Value);
    Integer GetThumbHeight() const { return FThumbHeight; }
    void SetThumbHeight(Integer Value);
    Integer GetHorizBorder() const { return FHorizBorder; }
    void SetHorizBorder(Integer Value);
    Integer GetVertBorder() const { return FVertBorder; }
    void SetVertBorder(Integer Value);
    Integer GetBottomGap() const { return FBottomGap; }
    void SetBottomGap(Integer Value);
    Integer GetUpperGap() const { return FUpperGap; }
    void SetUpperGap(Integer Value);
    bool GetVisibleSelection() const { return FVisibleSelection; }
    void SetVisibleSelection(bool Value);
    TImgMMouseInteract GetMouseInteract() const { return FMouseInteract; }
    virtual void SetMouseInteract(TImgMMouseInteract Value);
    TImgMKeyInteract GetKeyInteract() const { return FKeyInteract; }
    virtual void SetKeyInteract(TImgMKeyInteract Value);
    TImgMDisplayMode GetDisplayMode() const { return FDisplayMode; }
    // While playing only the mode to restore afterwards changes.
    void SetDisplayMode(TImgMDisplayMode Value);
    // Columns per row: 0 all images in one row, -1 as many as fit the client width.
    Integer GetGridWidth() const { return FGridWidth; }
    void SetGridWidth(Integer Value);
    // The selection frame's width while the control has the focus (1 otherwise).
    Integer GetSelectionWidth() const { return FSelectionWidth; }
    void SetSelectionWidth(Integer Value);
    TColor GetSelectionColor() const { return FSelectionColor; }
    void SetSelectionColor(TColor Value);
    // An image whose on-demand load fails is deleted when it comes into view.
    bool GetRemoveCorrupted() const { return FRemoveCorrupted; }
    void SetRemoveCorrupted(bool Value);
    // Cells take each image's own background colour instead of Background.
    bool GetDrawImageBackground() const { return FDrawImageBackground; }
    void SetDrawImageBackground(bool Value);
    void SetBackground(TColor Color) override;
    // The I/O component that loads images on demand.
    TImagoIO* GetIO() const { return FIO; }

    // Does nothing: a list of images is not copied.
    void Assign(TPersistent* Source) override;
    // Lays the cells out, keeps the origin in range, sets up the scroll bars and repaints.
    void Update() override;
    // Draws the cells in view, the selection frame and the background around them.
    virtual void PaintTo(TCanvas* Canvas);
    using TWinControl::PaintTo;

    // The size w x h scaled to fit maxW x maxH keeping its proportions (enlarged when smaller);
    // 0 x 0 when w or h is 0 or less.
    static void FitSize(Integer w, Integer h, Integer maxW, Integer maxH, Integer& fitW, Integer& fitH);

    TViewChangeEvent OnViewChange;
    TImgImageIDRequestEvent OnImageIDRequest;
    TImgImageDrawEvent OnImageDraw;
    TImgImageSelectEvent OnImageSelect;
    TProgressEvent OnIOProgress;
    TImgMProgressEvent OnDrawProgress;

protected:
    virtual void DoViewChange(Integer Change);
    void Paint() override;
    void WMSize(TMessage& Message) override;
    void WMEraseBkgnd(TMessage& Message) override;
    void WMHScroll(TMessage& Message) override;
    void WMVScroll(TMessage& Message) override;
    void WMTimer(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    void CMWantSpecialKey(TMessage& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;

private:
    struct TEntry {
        HGLOBAL DIB = nullptr;
        std::unique_ptr<TBitmap> Bitmap;
        Integer Lock = 0;
        Integer Left = 0, Top = 0, Row = 0, Column = 0;
        TColor Background = 0;
        std::string FileName;
        Integer ID = -1;
        Integer Delay = 0;
    };

    bool Valid(Integer Index) const { return Index >= 0 && Index < ImageCount(); }
    bool HasSource(const TEntry& Image) const { return Image.ID != -1 || !Image.FileName.empty(); }
    void SelectImage(Integer Index);
    // The selection's hold ends; nothing is selected.
    void ReleaseSelection();
    // Frees the packed block and the decoded bitmap; the lock count becomes 0.
    void FreeCache(TEntry& Image);
    // Packs a copy of Bitmap (reduced with ietThumb) as the image's only content.
    void StoreBitmap(Integer Index, TBitmap* Bitmap);
    Integer Columns();
    void Layout();
    void UpdateLayout();
    void ScrollMessage(TMessage& Message, bool Vertical);
    void MoveView(Integer X, Integer Y, bool Horizontal, bool Vertical);
    // The cell's client rectangle (right and bottom exclusive).
    TRect CellRect(const TEntry& Image) const;
    void StopPlayTimer();
    // Paints the list once; false when an image was removed and painting must start again.
    bool PaintPass(TCanvas* Canvas);
    void DrawCellImage(TCanvas* Canvas, TEntry& Image, const TRect& Cell, TColor CellColor);
    bool Destroying() const { return GetComponentState().Contains(csDestroying); }

    // What the cell positions depend on besides the list.
    struct TLayoutKey {
        Integer Columns = 0;
        bool Single = false;
        Integer ThumbWidth = 0, ThumbHeight = 0, HorizBorder = 0, VertBorder = 0;
        bool operator==(const TLayoutKey&) const = default;
    };

    std::vector<TEntry> FImages;
    TLayoutKey FLayoutKey;
    size_t FLaidOut = 0;  // the images from the first are laid out for FLayoutKey
    TImagoIO* FIO = nullptr;
    HDRAWDIB FDrawDib = nullptr;
    Integer FSelected = -1;
    Integer FViewX = 0, FViewY = 0;
    Integer FContentW = 0, FContentH = 0;
    bool FPlaying = false;
    bool FPlayLoop = true;
    bool FInPlayStep = false;
    Integer FCurrentFrame = 0;
    Integer FPlayTimerInterval = 0;
    TImgMDisplayMode FRestoreMode = mdGrid;
    Integer FRestoreSelected = -1;
    TPoint FPress{0, 0};
    TPoint FPressOrigin{0, 0};
    Integer FLastChange = imgChangeNone;
    Integer FLastChangeIndex = 0;
    bool FInUpdate = false;
    bool FSizedInUpdate = false;

    TScrollStyle FScrollBars = ssNone;
    TImgStoreType FStoreType = ietNormal;
    Integer FThumbWidth = 100, FThumbHeight = 100;
    Integer FHorizBorder = 4, FVertBorder = 4;
    Integer FBottomGap = 0, FUpperGap = 0;
    bool FVisibleSelection = true;
    TImgMMouseInteract FMouseInteract{mmiSelect};
    TImgMKeyInteract FKeyInteract{mkiMoveSelected};
    TImgMDisplayMode FDisplayMode = mdGrid;
    Integer FGridWidth = 0;
    Integer FSelectionWidth = 3;
    TColor FSelectionColor = TColor(255);
    bool FRemoveCorrupted = false;
    bool FDrawImageBackground = false;
};
