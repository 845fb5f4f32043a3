#pragma once
// The folder chooser: a modal form for picking a folder and, because it lives for the whole run,
// the service object for the program's file operations (save-name checks, the overwrite
// protocol, deleting, launching, folder work).
//
// For now an empty form created at start-up in its place in the order; its folder tree and its
// services are added here.

#include "framework/forms.h"

class TdlgOpenDirectory : public TForm {
    LUMORA_CLASS(TdlgOpenDirectory, TForm)
public:
    explicit TdlgOpenDirectory(TComponent* AOwner);
    ~TdlgOpenDirectory() override;
};

// The one folder chooser (null outside a run of the program).
extern TdlgOpenDirectory* dlgOpenDirectory;
