#include "imaging/formats/avi_save_options.h"

#include "framework/comctrls.h"
#include "framework/std_controls.h"

namespace {

template <class T>
T* Place(TWinControl* Parent, Integer Left, Integer Top, Integer Width, Integer Height) {
    T* control = new T(Parent);
    control->SetParent(Parent);
    control->SetBounds(Left, Top, Width, Height);
    return control;
}

}  // namespace

TAviSaveOptionsDialog::TAviSaveOptionsDialog(TComponent* AOwner) : TForm(AOwner) {
    BuildComponents(this, [this] {
        SetCaption("Video Compression");
        SetBorderStyle(bsDialog);
        SetBorderIcons({biSystemMenu});
        SetPosition(poScreenCenter);
        SetClientWidth(276);
        SetClientHeight(148);
        CompressionGroup = Place<TRadioGroup>(this, 8, 8, 176, 72);
        CompressionGroup->SetCaption("Compressor");
        CompressionGroup->GetItems()->Add("Uncompressed");
        CompressionGroup->GetItems()->Add("Motion JPEG");
        CompressionGroup->SetItemIndex(0);
        TLabel* label = Place<TLabel>(this, 8, 94, 100, 16);
        label->SetCaption("&Quality:");
        QualityEdit = Place<TSpinEdit>(this, 112, 90, 72, 22);
        QualityEdit->SetMinValue(1);
        QualityEdit->SetMaxValue(100);
        QualityEdit->SetValue(75);
        label->SetFocusControl(QualityEdit);
        OKButton = Place<TButton>(this, 196, 8, 72, 25);
        OKButton->SetCaption("OK");
        OKButton->SetModalResult(mrOk);
        OKButton->SetDefault(true);
        CancelButton = Place<TButton>(this, 196, 40, 72, 25);
        CancelButton->SetCaption("Cancel");
        CancelButton->SetModalResult(mrCancel);
        CancelButton->SetCancel(true);
    });
}

void TAviSaveOptionsDialog::SetOptions(const TAviWriteOptions& Options) {
    CompressionGroup->SetItemIndex(Options.MotionJPEG ? 1 : 0);
    QualityEdit->SetValue(Options.Quality);
}

TAviWriteOptions TAviSaveOptionsDialog::GetOptions() {
    TAviWriteOptions options;
    options.MotionJPEG = CompressionGroup->GetItemIndex() == 1;
    options.Quality = QualityEdit->GetValue();
    return options;
}

bool AVISaveOptions(TAviWriteOptions& Options) {
    auto* dialog = new TAviSaveOptionsDialog(nullptr);
    bool accepted = false;
    try {
        dialog->SetOptions(Options);
        accepted = dialog->ShowModal() == mrOk;
        if (accepted) Options = dialog->GetOptions();
    } catch (...) {
        dialog->Free();
        throw;
    }
    dialog->Free();
    return accepted;
}
