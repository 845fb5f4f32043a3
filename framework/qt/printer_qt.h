#pragma once
// The Qt side of the printer, shared with the print dialogs.

class QPrinter;
class TPrinter;

namespace lumora_qt {

// Sets Device up as Printer's next job will be (printer, orientation, copies, title).
void ConfigurePrinter(QPrinter& Device, TPrinter* Printer);

}  // namespace lumora_qt
