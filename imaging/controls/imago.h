#pragma once
// TImago, the composite image control: an image view that carries its own processing component
// and its own I/O component, both attached to the view itself, and offers their most used
// properties and operations as its own. The preview dialogs use it for their source and result
// views.

#include <string>

#include "imaging/formats/imago_io.h"
#include "imaging/img_proc.h"
#include "imaging/img_view.h"

class TImgFtImage;

class TImago : public TImagoView {
    LUMORA_CLASS(TImago, TImagoView)
public:
    explicit TImago(TComponent* AOwner);
    ~TImago() override;

    // The I/O component's operations.
    virtual void LoadFromFile(const std::string& FileName);
    virtual void SaveToFile(const std::string& FileName);
    virtual void ParamsFromFile(const std::string& FileName);
    virtual void ParamsFromStream(TStream* Stream);
    // The processing component's operations.
    void SaveUndo();
    void Undo();
    void Rotate(Integer Angle, bool AntiAlias);
    void Flip(Integer Direction);
    void ApplyInverseFT(TImgFtImage* Transform);

    // Copies the file parameters of a TImago or a TImagoIO; anything else is ignored.
    void AssignIOParams(TPersistent* Source);
    // The file parameters as AssignIOParams, then the image as a view takes it.
    void Assign(TPersistent* Source) override;

    // Held by the processing component.
    bool GetAutoUndo() const { return FProc->GetAutoUndo(); }
    void SetAutoUndo(bool Value) { FProc->SetAutoUndo(Value); }
    TPRPreviewsParams GetProcPreviewsParams() const { return FProc->GetPreviewsParams(); }
    void SetProcPreviewsParams(TPRPreviewsParams Value) { FProc->SetPreviewsParams(Value); }
    const TImgPreviewEvent& GetOnPreview() const { return FProc->OnPreview; }
    void SetOnPreview(TImgPreviewEvent Value) { FProc->OnPreview = std::move(Value); }
    // Written into both components, read from the processing component.
    const TProgressEvent& GetOnProgress() const { return FProc->OnProgress; }
    void SetOnProgress(const TProgressEvent& Value);
    TMsgLanguage GetMsgLanguage() const { return FProc->GetMsgLanguage(); }
    void SetMsgLanguage(TMsgLanguage Value);
    // Copied into the I/O component, then the processing component; read from the I/O component.
    TFont* GetPreviewFont() const { return FIO->GetPreviewFont(); }
    void SetPreviewFont(TFont* Value);
    // Held by the I/O component.
    TIOPreviewsParams GetIOPreviewsParams() const { return FIO->GetPreviewsParams(); }
    void SetIOPreviewsParams(TIOPreviewsParams Value) { FIO->SetPreviewsParams(Value); }
    bool GetStreamHeaders() const { return FIO->GetStreamHeaders(); }
    void SetStreamHeaders(bool Value) { FIO->SetStreamHeaders(Value); }
    const TImgIOPreviewEvent& GetOnIOPreview() const { return FIO->OnIOPreview; }
    void SetOnIOPreview(TImgIOPreviewEvent Value) { FIO->OnIOPreview = std::move(Value); }
    TIOParamsVals* GetIOParams() const { return FIO->GetParams(); }

    // The owned components, for the preview forms and the tests.
    TImagoProc* GetProc() const { return FProc; }
    TImagoIO* GetIO() const { return FIO; }

private:
    TImagoProc* FProc = nullptr;
    TImagoIO* FIO = nullptr;
};
