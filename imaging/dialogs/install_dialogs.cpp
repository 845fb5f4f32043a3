#include "imaging/dialogs/install_dialogs.h"

#include <memory>

#include "imaging/bitmap_routines.h"
#include "imaging/controls/imago.h"
#include "imaging/dialogs/io_previews_form.h"
#include "imaging/dialogs/previews_form.h"
#include "imaging/formats/imago_io.h"
#include "imaging/img_proc.h"

namespace {

template <class T>
using TFormHolder = std::unique_ptr<T, void (*)(TObject*)>;

bool RunProcessingPreviews(TImagoProc* Proc, TBitmap* Image, Word Pages) {
    TFormHolder<TfPreviews> form(new TfPreviews(nullptr), FreeObject);
    form->DefaultLockPreview = Proc->GetPreviewsParams().Contains(prppDefaultLockPreview);
    form->SetLanguage(Proc->GetMsgLanguage());
    if (Proc->GetPreviewFont()) form->GetFont()->Assign(Proc->GetPreviewFont());
    form->ProgressTarget = TImgProgressTarget(Proc->OnProgress, Proc);
    form->Imago1->Assign(Image);
    form->Imago1->Update();
    form->Pages = Pages;
    if (Proc->OnPreview) Proc->OnPreview(Proc, form.get());
    if (form->ShowModal() != mrOk) return false;
    CopyBitmap(form->Imago1->GetBitmap(), Image);
    return true;
}

bool RunSaveParameters(TImagoIO* IO, TBitmap* Target, Word Pages) {
    TFormHolder<TfIOPreviews> form(new TfIOPreviews(nullptr), FreeObject);
    form->DefaultLockPreview = IO->GetPreviewsParams().Contains(ioppDefaultLockPreview);
    form->Params = IO->GetParams();
    form->SetLanguage(IO->GetMsgLanguage());
    if (IO->GetPreviewFont()) form->GetFont()->Assign(IO->GetPreviewFont());
    CopyBitmap(Target, form->Imago1->GetBitmap());
    form->Imago1->Update();
    if (!form->SetPages(Pages)) return false;
    if (IO->OnIOPreview) IO->OnIOPreview(IO, form.get());
    return form->ShowModal() == mrOk;
}

}  // namespace

void InstallImgDialogs() {
    SetImgPreviewsRunner(RunProcessingPreviews);
    SetImgIOPreviewsRunner(RunSaveParameters);
}
