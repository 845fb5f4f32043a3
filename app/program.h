#pragma once
// The program's run: the application object is initialised and titled, the long-lived forms are
// created in their order (the main window, the splash, shown and painted at once, the folder
// chooser and the data module), the message loop runs (the main window's first show starts it)
// and everything is freed when the loop ends.

// Creates the program's forms and the data module. The main window is not shown yet.
void CreateProgramForms();
// Frees what CreateProgramForms made and is still there.
void FreeProgramForms();
// The whole run; answers the exit status.
int RunProgram();
