#pragma once
// TImagoProc, the component through which image operations are applied to a picture: the working
// bitmap of an attached view, or a bare bitmap handed to it. It restricts the selection-aware
// operations to the view's selection, keeps one level of undo and reports progress through
// OnProgress. Also the rectangle kernels of its simple conversions, which the preview dialogs call
// directly on their own bitmaps.
//
// The working bitmap is never owned. It is dropped (later operations then do nothing) whenever it
// could outlive its owner: when the view is freed or detached, and when the component stops
// following the view's bitmap changes.

#include <functional>

#include "framework/component.h"
#include "framework/graphics.h"
#include "imaging/img_types.h"

class TImgView;
class TImage;
class TForm;
class TImagoProc;
class TImgFtImage;
struct TImgHistogramTable;

// Operations restricted to a rectangle x1..x2, y1..y2 (inclusive; x2 and y2 are clipped to the
// bitmap). They work on 24-bit bitmaps (NegativeRect on 1-bit ones too) and do nothing on other
// formats. After each row the progress event gets Trunc((row - y1 + 1) * (100 / (y2 - y1 + 0.5))).
//
// Every pixel becomes its grey level (R*21 + G*71 + B*7) div 100 in all three channels.
void GrayscaleRect(TBitmap* Bitmap, Integer x1, Integer y1, Integer x2, Integer y2,
                   const TImgProgressTarget& Progress = {});
// 24-bit: each byte becomes 255 - byte. 1-bit: the bits of the columns are inverted, silently.
void NegativeRect(TBitmap* Bitmap, Integer x1, Integer y1, Integer x2, Integer y2,
                  const TImgProgressTarget& Progress = {});
// The number of distinct colours in the rectangle of a 24-bit bitmap; 0 for other formats.
Integer CountRectColors(TBitmap* Bitmap, Integer x1, Integer y1, Integer x2, Integer y2);
// Blends Other, stretched to the rectangle, into it: each channel becomes Clamp(Round(c * Percent /
// 100 + o * (100 - Percent) / 100)), so Percent is the image's share. Bitmap must be 24-bit; Other
// may be of any format.
void MergeBitmaps(TBitmap* Bitmap, TBitmap* Other, Integer Percent, Integer x1, Integer y1, Integer x2, Integer y2,
                  const TImgProgressTarget& Progress = {});

enum TPRPreviewsParamsItems { prppDefaultLockPreview };
using TPRPreviewsParams = TSet<TPRPreviewsParamsItems>;
// Fired after the preview dialog is prepared and before it is shown.
using TImgPreviewEvent = std::function<void(TObject* Sender, TForm* PreviewForm)>;
// How the component reaches the processing preview dialog: shows Image (a copy of the part of
// the picture to work on) with the pages named, prepared from the component's settings; on OK
// leaves the result in Image and answers true. The dialog installs it; without one ShowPreviews
// answers false.
using TImgPreviewsRunner = std::function<bool(TImagoProc* Proc, TBitmap* Image, Word Pages)>;
void SetImgPreviewsRunner(TImgPreviewsRunner Runner);

class TImagoProc : public TComponent {
    LUMORA_CLASS(TImagoProc, TComponent)
public:
    explicit TImagoProc(TComponent* AOwner);
    ~TImagoProc() override;

    // The view whose bitmap is the working bitmap; the component follows the view's bitmap
    // replacements. Nil detaches (and drops the view's bitmap).
    TImgView* GetAttachedImago() const { return FAttachedImago; }
    void SetAttachedImago(TImgView* Value);
    // A picture control whose picture's bitmap is the working bitmap (the view goes). Nil
    // detaches it (and drops its bitmap). A picture that no longer holds a bitmap leaves none.
    TImage* GetAttachedTImage() const { return FAttachedTImage; }
    void SetAttachedTImage(TImage* Value);
    // A bare bitmap as the working bitmap; the attachments go. Nil drops the working bitmap (an
    // attached view stays attached but is no longer followed).
    void SetAttachedBitmap(TBitmap* Bitmap);
    // The working bitmap (null when there is none).
    TBitmap* GetAttachedBitmap() {
        SyncImage();
        return FBitmap;
    }

    bool GetAutoUndo() const { return FAutoUndo; }
    void SetAutoUndo(bool Value) { FAutoUndo = Value; }
    // The attached view's Background, else the component's own (black at creation).
    TColor GetBackground() const;
    void SetBackground(TColor Value);
    TMsgLanguage GetMsgLanguage() const { return FMsgLanguage; }
    void SetMsgLanguage(TMsgLanguage Value) { FMsgLanguage = Value; }
    TPRPreviewsParams GetPreviewsParams() const { return FPreviewsParams; }
    void SetPreviewsParams(TPRPreviewsParams Value) { FPreviewsParams = Value; }
    // The preview dialog's font; owned, set by value.
    TFont* GetPreviewFont() const { return FPreviewFont; }
    void SetPreviewFont(TFont* Value);

    // The selection's bounding box (inclusive) and polygon vertices, with True, when an attached
    // image view has a selection; else the whole bitmap, no vertices, and False.
    bool GetSelection(Integer& x1, Integer& y1, Integer& x2, Integer& y2, const TPoint*& Points,
                      Integer& Count);
    // After a change: the view's Update and ImageChange, or, without a view, the working bitmap
    // is marked modified.
    void UpdateTarget();

    // One level of undo. SaveUndo copies the working bitmap (when it has pixels); Undo copies it
    // back, as often as asked, when it is at least 2 x 2.
    virtual void SaveUndo();
    virtual void Undo();
    // Empties the undo image (1 x 1).
    void ClearUndo();
    bool CanUndo() const;

    // Opens the processing preview dialog on the selected part of a 24-bit picture of at least
    // 2 x 2 and applies its result on OK (True); False otherwise.
    bool ShowPreviews(Word Pages);

    // Grey levels and inverted colours honour the selection; the others work on the whole image.
    void ConvertToGrayscale();
    void Negative();
    // 24-bit to 1-bit by ordered dithering.
    void ConvertToBlackWhite();
    // 1-bit to 24-bit: set bits white, clear bits black.
    void ConvertTo24Bit();
    // Distinct colours of the selection's bounding box: 2 for a 1-bit picture, 0 without one.
    Integer CountColors();
    // At most N colours: quantized above 2 colours (the picture stays 24-bit), ordered-dithered
    // black and white at 2 or less (the picture becomes 1-bit).
    void ReduceColors(Integer N);
    // As ReduceColors, filling Palette (room for N entries; black and white for N <= 2).
    void ReduceColorsGetPalette(Integer N, TImgRGB* Palette);

    // The clipboard, as device-independent bitmaps (see img_clipboard.cpp). None of them raises:
    // without a working bitmap, or without an image on the clipboard, nothing happens.
    // The whole picture goes on the clipboard.
    void CopyToClipboard();
    // The clipboard's image becomes the picture (its size; 1-bit stays 1-bit, the rest 24-bit).
    void PasteFromClipboard();
    // The clipboard's image stretched into the selection's bounding box; without a selection it is
    // PasteFromClipboard.
    void PasteIntoSelection();
    // The selection's bounding box (white outside a polygon selection) goes on the clipboard;
    // without a selection the whole picture.
    void CopySelectionToClipboard();
    // As CopySelectionToClipboard, then the selection is filled with the Background. Nothing
    // without a selection.
    void CutSelectionToClipboard();
    // Blends Bitmap over the selection (MergeBitmaps); a 24-bit picture only.
    void MergeBitmap(TBitmap* Bitmap, Integer Percent);

    // The red, green, blue and grey counts of the selection's bounding box of a 24-bit picture
    // (see histogram.h); Table is left alone otherwise.
    void GetHistogram(TImgHistogramTable& Table);
    // The picture becomes the transform's spectrum, or the image transformed back (fourier.h).
    // Neither saves an undo image.
    void ShowFTSpectrum(TImgFtImage* Transform);
    void ApplyInverseFT(TImgFtImage* Transform);

    // Geometry (whole image; see img_geometry.h for the routines).
    // Resizes to W x H with the filter (rfNone and 1-bit pictures stretch plainly); a negative
    // side keeps the aspect ratio from the other; nothing for an empty picture.
    void Resample(Integer W, Integer H, TResampleFilter Filter);
    // Turns the picture Angle degrees counter-clockwise; uncovered parts take the Background.
    void Rotate(Integer Angle, bool AntiAlias);
    // 0 mirrors left and right, 1 top and bottom; other directions change nothing.
    void Flip(Integer Direction);
    // New size without scaling: the top-left part stays, added area takes the Background.
    void ResizeCanvas(Integer W, Integer H);

    TProgressEvent OnProgress;
    TImgPreviewEvent OnPreview;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The listener registered with the attached view.
    void ViewBitmapChanged(TObject* Sender);
    TImgProgressTarget Progress() { return TImgProgressTarget(OnProgress, this); }

private:
    void StopListening();
    // A picture control's bitmap object changes when another picture is put in: read it again.
    void SyncImage();
    // The protocol of the selection-aware operations: undo, then the kernel on the selection's
    // rectangle, or on a copy of its bounding box drawn back through the polygons.
    void ApplyToSelection(const std::function<void(TBitmap*, Integer, Integer, Integer, Integer)>& Kernel);
    void ReduceTo(Integer N, TImgRGB* Palette);

    TImgView* FAttachedImago = nullptr;
    TImage* FAttachedTImage = nullptr;
    TBitmap* FBitmap = nullptr;
    TBitmap* FUndo = nullptr;
    bool FAutoUndo = true;
    TColor FBackground = 0;
    TMsgLanguage FMsgLanguage = msSystem;
    TPRPreviewsParams FPreviewsParams;
    TFont* FPreviewFont = nullptr;
};
