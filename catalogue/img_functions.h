#pragma once
// TImgFunctions: the one place where the program loads, saves, converts, measures, resamples,
// prints and copies pictures without an image view. It owns an image I/O component and a
// processing component (without automatic undo) and attaches a caller's bitmap to them for the
// duration of a call; the bitmap is detached again whatever happens.
//
// Files with a false extension (".lm", ".x" ...) are pictures in disguise: they are read and
// written in the format their content shows. Loads and header reads open regular files only, so
// a pipe, socket or device fails like an unreadable file. Saves replace a file only with a
// complete new one (the I/O component writes a temporary file and renames it over the old one).
//
// Boolean operations catch everything and answer False; LoadIOFromFile, SaveIOToFile,
// LoadByDetectedFormat, SaveByDetectedFormat and CreateThumbnailFile raise. Messages are shown
// only by OpenImageDialog (and OpenImageToBitmap), ConvertImageFile and CopyBitmapToClipboard. An operation called with Notify False keeps
// OnProgress and OnProgressEnd quiet until it ends. One call at a time, on the user-interface
// thread.

#include <functional>
#include <string>

#include "framework/component.h"
#include "framework/types.h"

class TBitmap;
class TCanvas;
class TImagoIO;
class TOpenImagoDialog;
class TImagoProc;

struct TImageProperties {
    Integer FileType = 0;      // the image library's file type code
    std::string FileTypeText;
    Integer Width = 0;
    Integer Height = 0;
    Integer BitDepth = 0;      // bits per sample times samples per pixel, 15 counted as 16
    std::string ColoursText;
};
void ClearImageProperties(TImageProperties& Props);

using TNotifyProgress = std::function<void(TObject* Sender, Integer per)>;
using TNotifyProgressEnd = std::function<void(TObject* Sender)>;

class TImgFunctions : public TComponent {
    LUMORA_CLASS(TImgFunctions, TComponent)
public:
    explicit TImgFunctions(TComponent* AOwner);

    TImagoIO* GetIO() const { return FIO; }
    TImagoProc* GetProc() const { return FProc; }
    // The open-image dialog, made on first use (so the instances the thumbnail workers use own no
    // controls).
    TOpenImagoDialog* GetOpenDialog();

    // The image library's progress, with this component as Sender; the end of an operation.
    TNotifyProgress OnProgress;
    TNotifyProgressEnd OnProgressEnd;

    // ---- Loading ---------------------------------------------------------------------------
    // TryLoadIOFromFile, raising "Load Error" when it fails.
    void LoadIOFromFile(TImagoIO* IO, const std::string& FileName, bool RetryFalseExt);
    // By extension; a picture with both sides below 2 pixels is a failure, unless RetryFalseExt
    // is set and the name has a false extension: then by the detected format.
    bool TryLoadIOFromFile(TImagoIO* IO, const std::string& FileName, bool RetryFalseExt);
    // The reader of the format the content shows (TIFF, GIF, JPEG, PCX, BMP, ICO, CUR, PNG, TGA);
    // raises "Load Error" for anything else or a picture with both sides below 2 pixels.
    void LoadByDetectedFormat(TImagoIO* IO, const std::string& FileName);
    bool LoadGraphic(TBitmap* Graphic, const std::string& FileName, bool Notify);
    // A ".jpg", ".jpeg" or ".jpe" file with W and H above 1 decodes scaled toward W x H; a PNG
    // is reduced while read to at least twice its size fitted into W x H; anything else as
    // LoadGraphic.
    bool LoadGraphicAtSize(TBitmap* Graphic, const std::string& FileName, bool Notify, Integer W, Integer H);
    bool LoadGraphicScaledJPEG(TBitmap* Graphic, const std::string& FileName, bool Notify, Integer W, Integer H);
    // The JPEG reader at whichever of full, half, quarter and eighth size has the area nearest
    // W x H (the larger on a tie); the full image unless both W and H are at least 1.
    bool LoadJPEGScaled(TImagoIO* IO, const std::string& FileName, Integer W, Integer H);
    // Loads (scaled for a JPEG when W or H is above 1) and resamples to the picture's size fitted
    // into W x H, enlarging small pictures too.
    bool LoadThumbnail(TBitmap* Bitmap, const std::string& FileName, bool Notify, bool HighQuality, Integer W, Integer H);
    // The open-image dialog with Title ("Please select an Image" when empty) and, when given,
    // Filter; the chosen file is loaded into IO (with the false-extension retry) and FileName
    // becomes its name. A file that does not load shows "An error was encountered whilst loading
    // the file, <name>.  It may be corrupted or no longer available" and empties FileName.
    // Cancel changes nothing. True when a picture was loaded.
    bool OpenImageDialog(TImagoIO* IO, const std::string& Title, std::string& FileName, const std::string& Filter = {});
    // The same into Bitmap, detached again afterwards; OnProgressEnd fires at the end.
    bool OpenImageToBitmap(TBitmap* Bitmap, const std::string& Title, std::string& FileName,
                           const std::string& Filter = {});

    // ---- Saving ----------------------------------------------------------------------------
    // Quality above 0 becomes the JPEG quality; AsJPEG writes JPEG whatever the name, a false
    // extension writes the existing file's format, anything else goes by the extension.
    bool TrySaveIOToFile(TImagoIO* IO, const std::string& FileName, bool AsJPEG, Integer Quality);
    // TrySaveIOToFile without AsJPEG, raising "Save Error" when it fails.
    void SaveIOToFile(TImagoIO* IO, const std::string& FileName, Integer Quality);
    // The writer of the existing file's format (TIFF, GIF, JPEG, PCX, BMP, PNG, TGA); raises
    // "Save Error" for anything else, a file that does not exist yet included.
    void SaveByDetectedFormat(TImagoIO* IO, const std::string& FileName);
    // Optionally reduced to 256 colours first (a failed reduction saves nothing).
    bool SaveGraphic(TBitmap* Graphic, const std::string& FileName, bool Notify, bool Reduce256, bool AsJPEG,
                     Integer Quality);
    bool SaveGraphicAsJPEG(TBitmap* Graphic, const std::string& FileName, bool Notify, bool Reduce256, Integer Quality);
    bool SaveBitmapToFile(TBitmap* Bitmap, const std::string& FileName, bool Notify, bool Reduce256, Integer Quality);
    // Source loaded and saved as Dest (True at once when the names are equal); a failure shows
    // "An error was encountered whilst converting the image, <Source>!".
    bool ConvertImageFile(const std::string& Source, const std::string& Dest, bool Notify, Integer Quality);
    void CreateThumbnailFile(const std::string& Source, const std::string& Dest, bool Notify, bool HighQuality,
                             Integer Quality, Integer W, Integer H);
    // Prepares the picture and the save parameters for a colour depth: 0 black and white
    // (ordered dither), 1 at most 16 colours, 2 at most 256, 3 at most 65,536, 4 a 1-bit picture
    // made 24-bit.
    bool ReduceColourDepth(TImagoProc* Proc, TImagoIO* IO, Integer Level);

    // ---- Processing ------------------------------------------------------------------------
    // ResampleProc on the bitmap; True at once when it already has that size.
    bool ResampleBitmap(TBitmap* Bitmap, Integer W, bool Notify, bool Reduce256, bool HighQuality, Integer H);
    // Lanczos 3 with HighQuality when a side is 10 pixels or more, else the plain filter; a failed
    // filtered resampling is tried once more with the plain one.
    bool ResampleProc(TImagoProc* Proc, Integer W, bool Reduce256, bool HighQuality, Integer H);
    // Turns the picture by |360 - Angle| degrees.
    void RotateProc(TImagoProc* Proc, Integer Angle, bool Antialias);
    bool CopyBitmapToClipboard(TBitmap* Bitmap);
    // W x H fitted into BoxW x BoxH keeping the aspect, enlarged or reduced, not centred.
    static void FitImageSize(Integer& W, Integer& H, Integer BoxW, Integer BoxH);

    // ---- Measuring and naming --------------------------------------------------------------
    // The file's parameters only (no decoding), by content for a false extension; a failure
    // (also a header without a size) leaves Props cleared and gives False.
    bool GetImageFileProperties(const std::string& FileName, TImageProperties& Props);
    void GetIOImageProperties(TImagoIO* IO, TImageProperties& Props);
    static std::string FileTypeToStr(Integer Code);
    static std::string BitDepthToStr(Integer Bits);
    // The extension of the format the content shows (".tiff", ".gif", ".jpg" ...); "" when unknown.
    static std::string GetFormatExtension(const std::string& FileName);
    static bool IsFalseExtension(const std::string& FileName);
    static bool IsJPEGFile(const std::string& FileName);

    // ---- Printing --------------------------------------------------------------------------
    // One page: the bitmap fitted into the page less the margins, optionally centred.
    bool PrintBitmap(TBitmap* Bitmap, Integer MarginX, bool CenterH, bool CenterV, Integer MarginY);
    bool PrintImageFile(const std::string& FileName, Integer MarginX, bool Notify, bool CenterH, bool CenterV,
                        Integer MarginY);
    static void DrawBitmapStretched(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap);

private:
    class TQuiet;
    void EndOperation(bool Notify);

    TImagoIO* FIO;
    TImagoProc* FProc;
    TOpenImagoDialog* FOpenDialog = nullptr;
    bool FSilent = false;
};
