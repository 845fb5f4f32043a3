#include "imaging/controls/imago.h"

TImago::TImago(TComponent* AOwner) : TImagoView(AOwner) {
    FProc = new TImagoProc(this);
    FProc->SetAttachedImago(this);
    FProc->SetAutoUndo(true);
    FIO = new TImagoIO(this);
    FIO->SetAttachedImago(this);
}

TImago::~TImago() {
    delete FProc;
    FProc = nullptr;
    delete FIO;
    FIO = nullptr;
}

void TImago::LoadFromFile(const std::string& FileName) {
    FIO->LoadFromFile(FileName);
}

void TImago::SaveToFile(const std::string& FileName) {
    FIO->SaveToFile(FileName);
}

void TImago::ParamsFromFile(const std::string& FileName) {
    FIO->ParamsFromFile(FileName);
}

void TImago::ParamsFromStream(TStream* Stream) {
    FIO->ParamsFromStream(Stream);
}

void TImago::SaveUndo() {
    FProc->SaveUndo();
}

void TImago::Undo() {
    FProc->Undo();
}

void TImago::Rotate(Integer Angle, bool AntiAlias) {
    FProc->Rotate(Angle, AntiAlias);
}

void TImago::Flip(Integer Direction) {
    FProc->Flip(Direction);
}

void TImago::ApplyInverseFT(TImgFtImage* Transform) {
    FProc->ApplyInverseFT(Transform);
}

void TImago::SetOnProgress(const TProgressEvent& Value) {
    FProc->OnProgress = Value;
    FIO->OnProgress = Value;
}

void TImago::SetMsgLanguage(TMsgLanguage Value) {
    FProc->SetMsgLanguage(Value);
    FIO->SetMsgLanguage(Value);
}

void TImago::SetPreviewFont(TFont* Value) {
    FIO->SetPreviewFont(Value);
    FProc->SetPreviewFont(Value);
}

void TImago::AssignIOParams(TPersistent* Source) {
    if (auto* imago = dynamic_cast<TImago*>(Source))
        FIO->AssignParams(imago->GetIO());
    else if (auto* io = dynamic_cast<TImagoIO*>(Source))
        FIO->AssignParams(io);
}

void TImago::Assign(TPersistent* Source) {
    AssignIOParams(Source);
    TImagoView::Assign(Source);
}
