#pragma once
// Image lists: equally sized images with masks, drawn normal, focused, selected, disabled or as
// masks, with overlays, change links, and the drag image shown while something is dragged.

#include <functional>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/graphics.h"
#include "framework/resources.h"

class TCustomImageList;

// Tells a listener that an image list changed; unregisters itself when freed.
class TChangeLink : public TObject {
    LUMORA_CLASS(TChangeLink, TObject)
public:
    TChangeLink() = default;
    ~TChangeLink() override;
    TCustomImageList* GetSender() const { return FSender; }
    void SetSender(TCustomImageList* Value) { FSender = Value; }
    virtual void Change();

    TNotifyEvent OnChange;

private:
    TCustomImageList* FSender = nullptr;
};

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };
enum TResType { rtBitmap, rtCursor, rtIcon };
using TOverlay = Integer;  // 0..3

class TCustomImageList : public TComponent {
    LUMORA_CLASS(TCustomImageList, TComponent)
public:
    explicit TCustomImageList(TComponent* AOwner);
    // An unowned list of the given image size.
    static TCustomImageList* CreateSize(Integer AWidth, Integer AHeight);
    ~TCustomImageList() override;
    void Assign(TPersistent* Source) override;

    // Adds the images of a bitmap as wide as one or more images (a strip, left to right), with a
    // monochrome mask (set bits transparent) or none. Returns the index of the first.
    Integer Add(TBitmap* Image, TBitmap* Mask);
    // The same, transparent where the bitmap has MaskColor (clNone: no transparency; clDefault:
    // the colour of the top-left pixel).
    Integer AddMasked(TBitmap* Image, TColor MaskColor);
    Integer AddIcon(TIcon* Image);
    void AddImages(TCustomImageList* Value);
    void Insert(Integer Index, TBitmap* Image, TBitmap* Mask);
    void InsertMasked(Integer Index, TBitmap* Image, TColor MaskColor);
    void InsertIcon(Integer Index, TIcon* Image);
    // Index errors raise EInvalidOperation "Invalid ImageList Index".
    void Replace(Integer Index, TBitmap* Image, TBitmap* Mask);
    void ReplaceMasked(Integer Index, TBitmap* NewImage, TColor MaskColor);
    void ReplaceIcon(Integer Index, TIcon* Image);
    void Delete(Integer Index);
    void Move(Integer CurIndex, Integer NewIndex);
    void Clear();
    // Loads a strip from a named bitmap resource; false when there is none.
    bool ResourceLoad(TResType ResType, const std::string& Name, TColor MaskColor);

    // Draws with DrawingStyle and ImageType; a disabled image is drawn embossed.
    void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, bool Enabled = true);
    void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, TDrawingStyle ADrawingStyle, TImageType AImageType,
              bool Enabled = true);
    // Draws the image, then the image registered for the overlay on top.
    void DrawOverlay(TCanvas* Canvas, Integer X, Integer Y, Integer ImageIndex, TOverlay Overlay, bool Enabled = true);
    void DrawOverlay(TCanvas* Canvas, Integer X, Integer Y, Integer ImageIndex, TOverlay Overlay,
                     TDrawingStyle ADrawingStyle, TImageType AImageType, bool Enabled = true);
    // Registers ImageIndex as overlay 0..3.
    bool Overlay(Integer ImageIndex, TOverlay Overlay);
    void GetBitmap(Integer Index, TBitmap* Image);
    void GetIcon(Integer Index, TIcon* Image);

    void RegisterChanges(TChangeLink* Value);
    void UnRegisterChanges(TChangeLink* Value);
    void BeginUpdate();
    void EndUpdate();

    // The drag image. Coordinates are screen coordinates for a null window, otherwise relative to
    // the window's client area (see WindowOrigin). The image's hot spot lies on the given point.
    bool SetDragImage(Integer Index, Integer HotSpotX, Integer HotSpotY);
    bool BeginDrag(void* Window, Integer X, Integer Y);
    bool DragLock(void* Window, Integer XPos, Integer YPos);
    bool DragMove(Integer X, Integer Y);
    void DragUnlock();
    bool EndDrag();
    void ShowDragImage();
    void HideDragImage();
    TPoint GetHotSpot() const { return FDragHotspot; }
    bool GetDragging() const { return FDragging; }
    TCursor GetDragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor Value) { FDragCursor = Value; }
    // The screen position of a window's client origin, set by the window layer.
    static std::function<TPoint(void* Window)> WindowOrigin;

    Integer GetCount() const { return Integer(FImages.size()); }
    Integer GetWidth() const { return FWidth; }
    // Changing the size removes every image.
    void SetWidth(Integer Value);
    Integer GetHeight() const { return FHeight; }
    void SetHeight(Integer Value);
    Integer GetAllocBy() const { return FAllocBy; }
    void SetAllocBy(Integer Value) { FAllocBy = Value; }
    // clNone: masked pixels stay transparent; a colour fills them.
    TColor GetBkColor() const { return FBkColor; }
    void SetBkColor(TColor Value);
    // The colour focused and selected images are blended with (clNone and clDefault: clHighlight).
    TColor GetBlendColor() const { return FBlendColor; }
    void SetBlendColor(TColor Value);
    TDrawingStyle GetDrawingStyle() const { return FDrawingStyle; }
    void SetDrawingStyle(TDrawingStyle Value);
    TImageType GetImageType() const { return FImageType; }
    void SetImageType(TImageType Value);
    bool GetMasked() const { return FMasked; }
    void SetMasked(bool Value);
    bool GetShareImages() const { return FShareImages; }
    void SetShareImages(bool Value) { FShareImages = Value; }

    TNotifyEvent OnChange;

protected:
    virtual void Change();
    virtual void DoDraw(Integer Index, TCanvas* Canvas, Integer X, Integer Y, TDrawingStyle Style, TImageType Type,
                        bool Enabled);

private:
    struct Entry {
        std::vector<uint32_t> color;  // 0x00RRGGBB
        std::vector<uint8_t> mask;    // 1: transparent
    };
    std::vector<Entry> Split(TBitmap* Image, const std::function<bool(int x, int y, uint32_t rgb)>& transparent);
    std::vector<Entry> FromBitmap(TBitmap* Image, TBitmap* Mask);
    std::vector<Entry> FromMasked(TBitmap* Image, TColor MaskColor);
    Entry FromIcon(TIcon* Icon);
    void CheckIndex(Integer Index) const;
    void UpdateDragImage();
    TPoint DragScreenPoint(Integer X, Integer Y) const;

    std::vector<Entry> FImages;
    std::vector<TChangeLink*> FLinks;
    Integer FWidth = 16;
    Integer FHeight = 16;
    Integer FAllocBy = 4;
    TColor FBkColor = clNone;
    TColor FBlendColor = clNone;
    TDrawingStyle FDrawingStyle = dsNormal;
    TImageType FImageType = itImage;
    bool FMasked = true;
    bool FShareImages = false;
    Integer FOverlays[4] = {-1, -1, -1, -1};
    Integer FUpdateCount = 0;
    bool FChanged = false;
    Integer FDragIndex = 0;
    TPoint FDragHotspot;
    bool FDragging = false;
    bool FDragShown = false;
    void* FDragWindow = nullptr;
    TPoint FDragPos;
    TCursor FDragCursor = crDrag;
};

class TImageList : public TCustomImageList {
    LUMORA_CLASS(TImageList, TCustomImageList)
public:
    explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
};
