#pragma once
// The printer: a job (BeginDoc .. EndDoc) is drawn page by page on Canvas, an image of the page
// at the printer's resolution that goes onto the paper when the page is done. The printers of the
// system are offered, and "Print to PDF" after them; the PDF file stands in whenever no printer
// exists, and a FileName sends every job to that PDF file.

#include <string>

#include "framework/graphics.h"

class TStrings;
struct TPrinterState;

enum TPrinterOrientation { poPortrait, poLandscape };

class TPrinter : public TObject {
    LUMORA_CLASS(TPrinter, TObject)
public:
    TPrinter();
    ~TPrinter() override;

    // Starts a job on a fresh white page. Raises EPrinter "Printing in progress" during a job.
    void BeginDoc();
    // Puts the last page on the paper and ends the job. Raises EPrinter "Printer is not
    // currently printing" outside a job.
    void EndDoc();
    // Ends the job without printing it (its PDF file is removed).
    void Abort();
    // Puts the page on the paper and starts a fresh one.
    void NewPage();

    // The page being drawn (measuring text works outside a job too). Its font's Size is kept in
    // points at the printer's resolution.
    TCanvas* GetCanvas();
    HDC GetHandle();
    // The printable part of the page in printer pixels.
    Integer GetPageWidth();
    Integer GetPageHeight();
    // The page being drawn (from 1) during a job.
    Integer GetPageNumber() const;
    // Printer pixels per inch.
    Integer GetPixelsPerInchX();
    Integer GetPixelsPerInchY();
    bool GetPrinting() const;
    bool GetAborted() const;

    // Changing these raises EPrinter "Printing in progress" during a job.
    TPrinterOrientation GetOrientation() const;
    void SetOrientation(TPrinterOrientation Value);
    const std::string& GetTitle() const;
    void SetTitle(const std::string& Value);
    Integer GetCopies() const;
    void SetCopies(Integer Value);

    // The printers of the system and last "Print to PDF".
    TStrings* GetPrinters();
    // The printer used (the default printer until one is chosen); -1 chooses the default one.
    // Raises EPrinter "Printer selected is not valid" outside the list.
    Integer GetPrinterIndex();
    void SetPrinterIndex(Integer Value);
    // Reads the list of printers again.
    void Refresh();

    // A PDF file that every job goes to (replacing it); empty: jobs go to the chosen printer,
    // or, for "Print to PDF", to a new file named after the title in the folder named by the
    // environment variable LUMORA_PRINT_DIR (else the user's documents folder).
    const std::string& GetFileName() const;
    void SetFileName(const std::string& Value);
    // The PDF file the last job went to (empty when it went to a printer).
    const std::string& GetOutputFile() const;

    // The Qt side's state (framework/qt/ only).
    TPrinterState* State() const { return FState; }

private:
    TPrinterState* FState;
};

// The application's printer, made on first use.
TPrinter* Printer();
// Installs another printer (nullptr: a new default one next time); returns the previous one,
// which the caller then owns.
TPrinter* SetPrinter(TPrinter* NewPrinter);
