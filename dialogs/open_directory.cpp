#include "dialogs/open_directory.h"

TdlgOpenDirectory* dlgOpenDirectory = nullptr;

TdlgOpenDirectory::TdlgOpenDirectory(TComponent* AOwner) : TForm(AOwner) {
    SetName("dlgOpenDirectory");
    SetCaption("Select directory");
    SetPosition(poScreenCenter);
}

TdlgOpenDirectory::~TdlgOpenDirectory() {
    if (dlgOpenDirectory == this) dlgOpenDirectory = nullptr;
}
