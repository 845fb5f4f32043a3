// The printer on QPrinter. The canvas draws on raster images only, so each page is drawn into an
// image at the printer's resolution (300 pixels per inch) that is placed on the paper when the
// page is done. "Print to PDF" (and a FileName) writes a PDF file on A4 paper without margins.

#include "framework/printers.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

#include <cstdlib>
#include <memory>

#include "framework/string_list.h"
#include "framework/window_backend.h"
#include "framework/qt/gdi_backend.h"
#include "framework/qt/printer_qt.h"

namespace {

constexpr int kResolution = 300;
const char* const kPdfPrinter = "Print to PDF";

TPrinter* gPrinter = nullptr;

QString PdfFolder() {
    if (const char* dir = std::getenv("LUMORA_PRINT_DIR"); dir && *dir) return QString::fromLocal8Bit(dir);
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return docs.isEmpty() ? QDir::homePath() : docs;
}

// A new file in the print folder named after the job's title.
QString NewPdfName(const std::string& Title) {
    QString base = QString::fromStdString(Title).trimmed();
    for (QChar bad :
         {QChar('/'), QChar('\\'), QChar(':'), QChar('*'), QChar('?'), QChar('"'), QChar('<'), QChar('>'), QChar('|')})
        base.replace(bad, '_');
    if (base.isEmpty()) base = "Untitled";
    QDir dir(PdfFolder());
    dir.mkpath(".");
    QString name = dir.filePath(base + ".pdf");
    for (int n = 2; QFileInfo::exists(name); ++n) name = dir.filePath(base + QString(" (%1).pdf").arg(n));
    return name;
}

}  // namespace

struct TPrinterState {
    std::unique_ptr<QPrinter> Device;  // the printer the job goes to (made at BeginDoc)
    QPainter Painter;
    QImage Page;
    QImage Scratch{1, 1, QImage::Format_RGB32};
    TCanvas* Canvas = nullptr;
    TStringList* Printers = nullptr;
    Integer PrinterIndex = -1;
    TPrinterOrientation Orientation = poPortrait;
    std::string Title;
    Integer Copies = 1;
    std::string FileName;
    std::string OutputFile;
    bool Printing = false;
    bool Aborted = false;
    Integer PageNumber = 0;

    bool ToPdf(TPrinter* Self) {
        if (!FileName.empty()) return true;
        Integer i = Self->GetPrinterIndex();
        return Printers->Get(i) == kPdfPrinter;
    }

    // A printer set up as the next job will be, to ask it for the page.
    void Configure(QPrinter& P, TPrinter* Self, bool Pdf) {
        if (Pdf) {
            P.setOutputFormat(QPrinter::PdfFormat);
            P.setPageSize(QPageSize(QPageSize::A4));
            P.setFullPage(true);
            P.setPageMargins(QMarginsF(0, 0, 0, 0));
        } else {
            P.setPrinterName(QString::fromStdString(Printers->Get(Self->GetPrinterIndex())));
        }
        P.setResolution(kResolution);
        P.setPageOrientation(Orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        P.setCopyCount(std::max(1, Copies));
        P.setDocName(QString::fromStdString(Title));
    }

    QSize PageSize(TPrinter* Self) {
        if (Printing && Device) return Page.size();
        lumora_backend::EnsureBackend();
        QPrinter p(QPrinter::HighResolution);
        Configure(p, Self, ToPdf(Self));
        QRect r = p.pageLayout().paintRectPixels(kResolution);
        return r.size();
    }

    void BindCanvas(QImage* Image) {
        lumora_qt::BindCanvasToImage(Canvas, Image);
        if (HDC__* dc = lumora_gdi::DC(Canvas->GetHandle())) dc->dpi = Image == &Scratch ? 0 : kResolution;
    }

    void FreshPage() {
        Page.fill(Qt::white);
        BindCanvas(&Page);
    }

    void PutPage() { Painter.drawImage(QRect(QPoint(0, 0), Page.size()), Page); }
};

// ---- TPrinter --------------------------------------------------------------------------------

TPrinter::TPrinter() : FState(new TPrinterState) {
    FState->Canvas = new TCanvas();
    FState->Printers = new TStringList();
    Refresh();
}

TPrinter::~TPrinter() {
    if (FState->Printing) {
        FState->Painter.end();
        FState->Device.reset();
    }
    lumora_qt::BindCanvasToImage(FState->Canvas, nullptr);
    delete FState->Canvas;
    delete FState->Printers;
    delete FState;
}

void TPrinter::Refresh() {
    lumora_backend::EnsureBackend();
    FState->Printers->Clear();
    for (const QString& name : QPrinterInfo::availablePrinterNames()) FState->Printers->Add(name.toStdString());
    FState->Printers->Add(kPdfPrinter);
    if (FState->PrinterIndex >= FState->Printers->GetCount()) FState->PrinterIndex = -1;
}

TStrings* TPrinter::GetPrinters() { return FState->Printers; }

Integer TPrinter::GetPrinterIndex() {
    if (FState->PrinterIndex < 0) {
        QString def = QPrinterInfo::defaultPrinterName();
        int i = def.isEmpty() ? -1 : FState->Printers->IndexOf(def.toStdString());
        FState->PrinterIndex = i >= 0 ? i : FState->Printers->GetCount() - 1;
    }
    return FState->PrinterIndex;
}

void TPrinter::SetPrinterIndex(Integer Value) {
    if (FState->Printing) throw EPrinter("Printing in progress");
    if (Value < -1 || Value >= FState->Printers->GetCount()) throw EPrinter("Printer selected is not valid");
    FState->PrinterIndex = Value;
}

void TPrinter::BeginDoc() {
    if (FState->Printing) throw EPrinter("Printing in progress");
    lumora_backend::EnsureBackend();
    bool pdf = FState->ToPdf(this);
    auto device = std::make_unique<QPrinter>(QPrinter::HighResolution);
    FState->Configure(*device, this, pdf);
    QString out;
    if (pdf) {
        out = FState->FileName.empty() ? NewPdfName(FState->Title) : QString::fromStdString(FState->FileName);
        QDir().mkpath(QFileInfo(out).absolutePath());
        device->setOutputFileName(out);
    }
    QRect r = device->pageLayout().paintRectPixels(kResolution);
    if (!FState->Painter.begin(device.get())) throw EPrinter("The printer could not start the document");
    FState->Device = std::move(device);
    FState->OutputFile = out.toStdString();
    FState->Page = QImage(r.size(), QImage::Format_RGB32);
    // The font keeps its size in points at the printer's resolution.
    TFont* font = FState->Canvas->GetFont();
    Integer size = font->GetSize();
    font->SetPixelsPerInch(kResolution);
    font->SetSize(size);
    FState->FreshPage();
    FState->Printing = true;
    FState->Aborted = false;
    FState->PageNumber = 1;
}

void TPrinter::NewPage() {
    if (!FState->Printing) throw EPrinter("Printer is not currently printing");
    FState->PutPage();
    FState->Device->newPage();
    FState->FreshPage();
    ++FState->PageNumber;
}

void TPrinter::EndDoc() {
    if (!FState->Printing) throw EPrinter("Printer is not currently printing");
    FState->PutPage();
    FState->Painter.end();
    FState->Device.reset();
    FState->Printing = false;
    FState->BindCanvas(&FState->Scratch);
    FState->Page = QImage();
    TFont* font = FState->Canvas->GetFont();
    Integer size = font->GetSize();
    font->SetPixelsPerInch(ScreenPixelsPerInch());
    font->SetSize(size);
}

void TPrinter::Abort() {
    if (!FState->Printing) throw EPrinter("Printer is not currently printing");
    FState->Device->abort();
    FState->Painter.end();
    FState->Device.reset();
    if (!FState->OutputFile.empty()) QFile::remove(QString::fromStdString(FState->OutputFile));
    FState->OutputFile.clear();
    FState->Printing = false;
    FState->Aborted = true;
    FState->BindCanvas(&FState->Scratch);
    FState->Page = QImage();
}

TCanvas* TPrinter::GetCanvas() {
    if (!FState->Printing && !FState->Canvas->HandleAllocated()) {
        lumora_backend::EnsureBackend();
        FState->BindCanvas(&FState->Scratch);
    }
    return FState->Canvas;
}

HDC TPrinter::GetHandle() { return GetCanvas()->GetHandle(); }

Integer TPrinter::GetPageWidth() { return FState->PageSize(this).width(); }
Integer TPrinter::GetPageHeight() { return FState->PageSize(this).height(); }
Integer TPrinter::GetPageNumber() const { return FState->Printing ? FState->PageNumber : 0; }
Integer TPrinter::GetPixelsPerInchX() { return kResolution; }
Integer TPrinter::GetPixelsPerInchY() { return kResolution; }
bool TPrinter::GetPrinting() const { return FState->Printing; }
bool TPrinter::GetAborted() const { return FState->Aborted; }

TPrinterOrientation TPrinter::GetOrientation() const { return FState->Orientation; }

void TPrinter::SetOrientation(TPrinterOrientation Value) {
    if (FState->Printing) throw EPrinter("Printing in progress");
    FState->Orientation = Value;
}

const std::string& TPrinter::GetTitle() const { return FState->Title; }

void TPrinter::SetTitle(const std::string& Value) {
    if (FState->Printing) throw EPrinter("Printing in progress");
    FState->Title = Value;
}

Integer TPrinter::GetCopies() const { return FState->Copies; }

void TPrinter::SetCopies(Integer Value) {
    if (FState->Printing) throw EPrinter("Printing in progress");
    FState->Copies = std::max(1, Value);
}

const std::string& TPrinter::GetFileName() const { return FState->FileName; }
void TPrinter::SetFileName(const std::string& Value) { FState->FileName = Value; }
const std::string& TPrinter::GetOutputFile() const { return FState->OutputFile; }

TPrinter* Printer() {
    if (!gPrinter) gPrinter = new TPrinter();
    return gPrinter;
}

TPrinter* SetPrinter(TPrinter* NewPrinter) {
    TPrinter* old = gPrinter;
    gPrinter = NewPrinter;
    return old;
}

// ---- For the print dialogs -------------------------------------------------------------------

void lumora_qt::ConfigurePrinter(QPrinter& Device, TPrinter* Printer) {
    TPrinterState* s = Printer->State();
    s->Configure(Device, Printer, s->ToPdf(Printer));
}
