#pragma once
// The options dialog of AVI saving: frames uncompressed or as Motion JPEG of a chosen quality. A
// small modal form shown through the dialog service.

#include "framework/forms.h"
#include "imaging/formats/avi_file.h"

class TButton;
class TRadioGroup;
class TSpinEdit;

class TAviSaveOptionsDialog : public TForm {
    LUMORA_CLASS(TAviSaveOptionsDialog, TForm)
public:
    explicit TAviSaveOptionsDialog(TComponent* AOwner);
    void SetOptions(const TAviWriteOptions& Options);
    TAviWriteOptions GetOptions();

    TRadioGroup* CompressionGroup = nullptr;  // "Uncompressed", "Motion JPEG"
    TSpinEdit* QualityEdit = nullptr;  // 1 to 100
    TButton* OKButton = nullptr;
    TButton* CancelButton = nullptr;
};

// Asks for the options, starting from those given; false (Options unchanged) when the user
// cancels.
bool AVISaveOptions(TAviWriteOptions& Options);
