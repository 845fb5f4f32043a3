#pragma once
// TImagoMIO, the multi-frame I/O component: loads every frame of an animated GIF, every page of a
// TIFF and every video frame of an AVI file into the attached multi-image view, and saves all the
// view's images as one GIF, TIFF or AVI file. It keeps one parameter object per image of the view,
// in step with the view's list through its change notifications, so each frame carries its own
// format options.
//
// Failures are reported through the aborting flag, which every load and save clears first: a
// frame that cannot be read ends the loading (the image being loaded is removed), a frame that
// cannot be written ends the save and leaves an existing file as it was. Only an AVI file that
// cannot be created raises (EInvalidGraphic).

#include <memory>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/graphics.h"
#include "framework/stream.h"
#include "imaging/formats/imago_io.h"
#include "imaging/formats/io_params.h"
#include "imaging/img_types.h"

class TImagoMView;

class TImagoMIO : public TComponent {
    LUMORA_CLASS(TImagoMIO, TComponent)
public:
    explicit TImagoMIO(TComponent* AOwner);
    ~TImagoMIO() override;

    TImagoMView* GetAttachedMView() const { return FAttachedMView; }
    // Follows the view's list from now on (the parameter list is not rebuilt for images the view
    // already holds).
    void SetAttachedMView(TImagoMView* View);
    TMsgLanguage GetMsgLanguage() const { return FMsgLanguage; }
    void SetMsgLanguage(TMsgLanguage Value) { FMsgLanguage = Value; }
    TIOPreviewsParams GetPreviewsParams() const { return FPreviewsParams; }
    void SetPreviewsParams(TIOPreviewsParams Value) { FPreviewsParams = Value; }
    TFont* GetPreviewFont() const { return FPreviewFont.get(); }
    // Copies Font into the component's own font.
    void SetPreviewFont(TFont* Font);
    TImgTWainParams* GetTWainParams() const { return FTWainParams.get(); }
    bool GetAborting() const { return FAborting; }
    // Setting the flag while frames are read or written stops at the next frame.
    void SetAborting(bool Value) { FAborting = Value; }

    // The parameters of image N; null past the end.
    TIOParamsVals* GetFrameParams(Integer N) const;
    Integer GetFrameParamsCount() const { return Integer(FParams.size()); }
    // A parameter object for a new image at N, copied from the one at N (from the last one when N
    // is at or past the end; defaults when there is none).
    void InsertFrameParams(Integer N);
    void DeleteFrameParams(Integer N);

    // By the extension, compared lower-cased: ".gif", ".tif" or ".tiff", ".avi"; any other does
    // nothing but clear the flag.
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName);
    void LoadGIFFrames(const std::string& FileName);
    void LoadGIFFramesFromStream(TStream* Stream);
    void LoadTIFFPages(const std::string& FileName);
    void LoadTIFFPagesFromStream(TStream* Stream);
    void LoadAVIFrames(const std::string& FileName);
    // The file is replaced only by a complete save.
    void SaveGIFFrames(const std::string& FileName);
    void SaveGIFFramesToStream(TStream* Stream);
    void SaveTIFFPages(const std::string& FileName);
    void SaveTIFFPagesToStream(TStream* Stream);
    // Asks for the compression in the AVI save options dialog; Cancel writes nothing (a new file
    // is left empty).
    void SaveAVIFrames(const std::string& FileName);

    // The save-parameters form for frame N of the given pages; true on OK.
    bool ShowPreviews(Integer N, Integer Pages);
    // The view's Update, then its ImageChange.
    void UpdateTarget();

    TProgressEvent OnProgress;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void MViewChanged();
    // Gives the parameter objects from From on their places as image indexes.
    void Renumber(Integer From);
    void ForgetView();
    void Progress(Integer Percent);
    // The record the codecs get: no event of their own, the component's aborting flag.
    TProgressRec CodecProgress();
    template <class Decode>
    void LoadFrames(Decode&& DecodeFrame);
    template <class Encode>
    void SaveFrames(TStream* Stream, Encode&& EncodeFrame);
    template <class Encode>
    void SaveFile(const std::string& FileName, Encode&& EncodeStream);

    TImagoMView* FAttachedMView = nullptr;
    std::vector<std::unique_ptr<TIOParamsVals>> FParams;
    std::unique_ptr<TImgTWainParams> FTWainParams;
    std::unique_ptr<TFont> FPreviewFont;
    TMsgLanguage FMsgLanguage = msSystem;
    TIOPreviewsParams FPreviewsParams;
    bool FAborting = false;
};
