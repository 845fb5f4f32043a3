#pragma once
// TImagoIO: the component through which a single image enters and leaves the image library. It
// reads a file or a stream into its target bitmap and writes the target to a file or a stream,
// choosing the format by the file name's extension (files) or by the content (streams), and keeps
// the parameters of the image last read, and of the image to be written next, in one
// TIOParamsVals. It decodes and encodes nothing itself: every format has its codec, which it calls
// with the target, the parameters and a progress record.
//
// The target is the bitmap of an attached view (followed when the view replaces it), the picture
// bitmap of an attached image control, or a bare bitmap. Failures are reported through the aborting flag, which every load and save clears first;
// errors of the framework (a file that cannot be opened or created, a read past the end inside a
// codec) pass to the caller.
//
// Stream headers: with StreamHeaders set, TIFF, PCX and JPEG data in streams is preceded by 12
// bytes: a four-letter tag ("TIFF", "PCX2" or "JFIF"), four zero bytes and the length of the data
// that follows (32 bits, little-endian). An older PCX form, "PCX" and a zero byte followed by the
// data, is read too.

#include <functional>
#include <string>

#include "framework/component.h"
#include "framework/graphics.h"
#include "framework/stream.h"
#include "imaging/formats/io_params.h"
#include "imaging/img_types.h"

class TImage;
class TImgView;
class TfIOPreviews;

enum TIOPreviewsParam { ioppDefaultLockPreview };
using TIOPreviewsParams = TSet<TIOPreviewsParam>;

// Fired with the save-parameters form before it is shown.
using TImgIOPreviewEvent = std::function<void(TObject* Sender, TfIOPreviews* PreviewForm)>;
class TImagoIO;
// How an I/O component reaches the save-parameters form, which lies above this library: shows
// the form on a copy of Target with the pages named, editing the component's parameters in place
// (OnIOPreview fires first); true when it closed with OK. The dialogs install it; without one
// ShowPreviews answers false.
using TImgIOPreviewsRunner = std::function<bool(TImagoIO* IO, TBitmap* Target, Word Pages)>;
void SetImgIOPreviewsRunner(TImgIOPreviewsRunner Runner);

class TImagoIO : public TComponent {
    LUMORA_CLASS(TImagoIO, TComponent)
public:
    explicit TImagoIO(TComponent* AOwner);
    ~TImagoIO() override;

    // Attachment. A view makes its bitmap the target and is followed when it replaces it; detaching
    // the view (or the view going away) leaves no target.
    TImgView* GetAttachedImago() const { return FAttachedImago; }
    void SetAttachedImago(TImgView* View);
    // An image control whose picture's bitmap is the target (the picture becomes a bitmap);
    // detaching it, or the control going away, leaves no target.
    TImage* GetAttachedTImage() const { return FAttachedTImage; }
    void SetAttachedTImage(TImage* Image);
    // A bare bitmap as the target, detaching any view or image control. Null while one of them is
    // attached changes nothing else; null otherwise leaves no target.
    void SetAttachedBitmap(TBitmap* Bitmap);
    // The target bitmap; null when there is none.
    TBitmap* GetAttachedBitmap();

    // The attached view's background, else the component's own colour (black at creation).
    TColor GetBackground() const;
    void SetBackground(TColor Color);
    TMsgLanguage GetMsgLanguage() const { return FMsgLanguage; }
    void SetMsgLanguage(TMsgLanguage Value) { FMsgLanguage = Value; }
    TIOPreviewsParams GetPreviewsParams() const { return FPreviewsParams; }
    void SetPreviewsParams(TIOPreviewsParams Value) { FPreviewsParams = Value; }
    bool GetStreamHeaders() const { return FStreamHeaders; }
    void SetStreamHeaders(bool Value) { FStreamHeaders = Value; }
    TFont* GetPreviewFont() const { return FPreviewFont; }
    // Copies Font into the component's own font.
    void SetPreviewFont(TFont* Font);
    TImgTWainParams* GetTWainParams() const { return FTWainParams; }
    TIOParamsVals* GetParams() const { return FParams; }
    bool GetAborting() const { return FAborting; }
    // Setting the flag while a codec runs stops it at its next progress point.
    void SetAborting(bool Value) { FAborting = Value; }

    TProgressEvent OnProgress;
    TImgIOPreviewEvent OnIOPreview;

    // By the extension of the name, compared lower-cased; an extension without a built-in codec
    // goes to the registry entry for it.
    virtual void LoadFromFile(const std::string& FileName);
    virtual void SaveToFile(const std::string& FileName);
    // Only the parameters of the file (the target need not exist); the format by content,
    // checked against the extension. Params.FileType is 0 when the file cannot be read.
    virtual void ParamsFromFile(const std::string& FileName);
    virtual void ParamsFromStream(TStream* Stream);
    // By content.
    virtual void LoadFromStream(TStream* Stream);

    // One format whatever the name. The GIF loaders return the number of frames, the TIFF
    // loaders the number of pages.
    Integer LoadFromFileGIF(const std::string& FileName);
    Integer LoadFromStreamGIF(TStream* Stream);
    Integer LoadFromFileTIFF(const std::string& FileName);
    Integer LoadFromStreamTIFF(TStream* Stream);
    void LoadFromFileJPEG(const std::string& FileName);
    void LoadFromStreamJPEG(TStream* Stream);
    void LoadFromFilePCX(const std::string& FileName);
    void LoadFromStreamPCX(TStream* Stream);
    void LoadFromFileBMP(const std::string& FileName);
    void LoadFromStreamBMP(TStream* Stream);
    void LoadFromFileICO(const std::string& FileName);
    void LoadFromStreamICO(TStream* Stream);
    void LoadFromFileCUR(const std::string& FileName);
    void LoadFromStreamCUR(TStream* Stream);
    void LoadFromFilePNG(const std::string& FileName);
    void LoadFromStreamPNG(TStream* Stream);
    void LoadFromFileTGA(const std::string& FileName);
    void LoadFromStreamTGA(TStream* Stream);
    // A Windows or enhanced metafile at Width x Height pixels; a negative side follows the other
    // in the metafile's proportions, both negative take the metafile's own size. Sizes above 2800
    // pixels are scaled down to 2800.
    void LoadFromFileMetafile(const std::string& FileName, Integer Width, Integer Height);

    void SaveToFileGIF(const std::string& FileName);
    void SaveToStreamGIF(TStream* Stream);
    void SaveToFileTIFF(const std::string& FileName);
    void SaveToStreamTIFF(TStream* Stream);
    void SaveToFileJPEG(const std::string& FileName);
    void SaveToStreamJPEG(TStream* Stream);
    void SaveToFilePCX(const std::string& FileName);
    void SaveToStreamPCX(TStream* Stream);
    void SaveToFileBMP(const std::string& FileName);
    void SaveToStreamBMP(TStream* Stream);
    void SaveToFilePNG(const std::string& FileName);
    void SaveToStreamPNG(TStream* Stream);
    void SaveToFileTGA(const std::string& FileName);
    void SaveToStreamTGA(TStream* Stream);

    // The view's Update and ImageChange with a view attached; otherwise marks the target
    // modified.
    void UpdateTarget();
    // Fills the whole target with Background.
    void ClearToBackground();
    // The save-parameters form on the target (made 24-bit unless it is 24-bit or 1-bit), editing
    // Params; true when the user confirmed it. False without a target or a form to show.
    bool ShowPreviews(Word Pages);
    // Copies the parameters of another I/O component or a parameter object; ignores anything
    // else.
    void AssignParams(TObject* Source);
    // The number of frames of a GIF file; 0 when it cannot be read.
    Integer GIFFrameCount(const std::string& FileName);
    // The number of pages of a TIFF file.
    Integer TIFFPageCount(const std::string& FileName);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TProgressRec MakeProgress();
    void ViewBitmapChanged();
    void DetachViewListener();
    void ForgetTImage();
    void ForgetView();
    void RefreshTarget();
    void ApplyViewDPI();
    void MakeTargetSavable();
    void BackgroundFromGIF();
    bool ReadStreamHeader(TStream* Stream, const char* Tag, Int64& Length);
    template <class Encode>
    void SaveWithHeader(TStream* Stream, const char* Tag, bool KeepPlaceholderOnAbort, Encode&& EncodeImage);
    bool BeginLoad();
    void FinishLoad(const std::string& FileName, Integer FileType, bool ApplyDPI);
    template <class Decode>
    void LoadFile(const std::string& FileName, Integer FileType, Decode&& DecodeImage);
    template <class Decode>
    void LoadStream(Integer FileType, bool ApplyDPI, Decode&& DecodeImage);
    template <class Encode>
    void Save(Encode&& EncodeImage);
    using TImgStreamWriter = void (*)(TStream*, TBitmap*, TIOParamsVals&, TProgressRec&);
    void SaveFile(const std::string& FileName, TImgStreamWriter Writer);
    void SaveStream(TStream* Stream, TImgStreamWriter Writer, const char* HeaderTag = nullptr);

    TBitmap* FTarget = nullptr;
    TImgView* FAttachedImago = nullptr;
    TImage* FAttachedTImage = nullptr;
    TColor FBackground = 0;
    TMsgLanguage FMsgLanguage = msSystem;
    TIOPreviewsParams FPreviewsParams;
    TImgTWainParams* FTWainParams = nullptr;
    bool FStreamHeaders = false;
    TFont* FPreviewFont = nullptr;
    TIOParamsVals* FParams = nullptr;
    bool FAborting = false;
};

// The file type code of the image at the stream's position (0 when not recognised), from the
// registered detectors first and then the built-in tests; metafiles are never recognised by
// content. The position is the same afterwards.
Integer DetectStreamType(TStream* Stream);
// DetectStreamType of the file; 0 when it cannot be opened. With CheckExtension the answer is
// also 0 when the registry's entry for the file's extension has another code, or there is none.
Integer DetectFileType(const std::string& FileName, bool CheckExtension);
// The size a metafile of MetaWidth x MetaHeight is drawn at when Width x Height is asked for (the
// sizing rules of LoadFromFileMetafile); false when a side comes out 0 or less.
bool ImgMetafileDrawSize(Integer MetaWidth, Integer MetaHeight, Integer Width, Integer Height,
                         Integer& OutWidth, Integer& OutHeight);
