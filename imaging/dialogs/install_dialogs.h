#pragma once
// Connects the image dialogs to the components that open them: TImagoProc.ShowPreviews reaches
// the processing preview dialog and TImagoIO.ShowPreviews the save-parameters form through the
// runners installed here. The program installs them at
// start-up; without them those operations answer false.

void InstallImgDialogs();
