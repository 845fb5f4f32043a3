// The real common dialogs on Qt's dialogs: files (with an extra pane beside the file list),
// fonts, colours, printing and printer setup.

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>

#include "framework/dialog_backend.h"
#include "framework/dialogs.h"
#include "framework/graphics.h"
#include "framework/printers.h"
#include "framework/string_list.h"
#include "framework/sysutils.h"
#include "framework/window_backend.h"
#include "framework/qt/backend_qt.h"
#include "framework/qt/printer_qt.h"
#include "framework/qt/window_qt.h"

namespace {

// "Description|*.a;*.b|..." as Qt's name filters "Description (*.a *.b)".
QStringList NameFilters(const std::string& Filter) {
    QStringList parts = QString::fromStdString(Filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString masks = parts[i + 1];
        masks.replace(';', ' ');
        filters << parts[i] + " (" + masks.simplified() + ")";
    }
    return filters;
}

// A window that holds the extra pane inside the file dialog. The framework sees a top-level
// window whose bounds follow the place the dialog's layout gives it.
class TPaneHost : public TCustomControl {
    LUMORA_CLASS(TPaneHost, TCustomControl)
public:
    explicit TPaneHost(TComponent* AOwner) : TCustomControl(AOwner) {
        FVisible = false;
        SetColor(clBtnFace);
    }
    // Shows the window and its children (no form hosts it).
    void Reveal() {
        FVisible = true;
        UpdateShowing();
    }

protected:
    void CreateParams(TCreateParams& Params) override {
        TCustomControl::CreateParams(Params);
        Params.Style = WS_POPUP | WS_CLIPCHILDREN;
        Params.ExStyle |= WS_EX_CONTROLPARENT;
    }
};

class PaneTracker : public QObject {
public:
    PaneTracker(TPaneHost* Host, QWidget* Widget) : QObject(Widget), FHost(Host), FWidget(Widget) {}

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == FWidget && (e->type() == QEvent::Resize || e->type() == QEvent::Move || e->type() == QEvent::Show)) {
            QPoint g = FWidget->mapToGlobal(QPoint(0, 0));
            TPaneHost* host = FHost;
            Application->Guard(host, [&] { host->SetBounds(g.x(), g.y(), FWidget->width(), FWidget->height()); });
        }
        return false;
    }

private:
    TPaneHost* FHost;
    QWidget* FWidget;
};

// Puts Pane beside the file list while the dialog runs, and back where it was afterwards.
class EmbeddedPane {
public:
    EmbeddedPane(TWinControl* Pane, QFileDialog* Dialog) : FPane(Pane) {
        if (!Pane) return;
        FParent = Pane->GetParent();
        FAlign = Pane->GetAlign();
        FBounds = Pane->GetBoundsRect();
        FHost = new TPaneHost(nullptr);
        if (TCustomForm* modal = lumora_detail::ModalForm()) FHost->SetParentWindow(modal);
        FHost->SetBounds(0, 0, Pane->GetWidth(), Pane->GetHeight());
        Pane->SetParent(FHost);
        Pane->SetAlign(alClient);
        FHost->HandleNeeded();
        TWindowHandle* h = TWindowBackend::HandleOf(FHost);
        h->Embedded = true;
        QWidget* w = h->Widget;
        w->setParent(Dialog, Qt::Widget);
        w->setMinimumWidth(Pane->GetWidth());
        w->installEventFilter(new PaneTracker(FHost, w));
        if (auto* grid = qobject_cast<QGridLayout*>(Dialog->layout()))
            grid->addWidget(w, 0, grid->columnCount(), grid->rowCount(), 1);
        else if (Dialog->layout())
            Dialog->layout()->addWidget(w);
        FHost->Reveal();
    }
    ~EmbeddedPane() {
        if (!FHost) return;
        if (lumora_detail::IsLiveControl(FPane)) {
            FPane->SetParent(FParent);
            FPane->SetAlign(FAlign);
            FPane->SetBoundsRect(FBounds);
        }
        FHost->Free();
    }

private:
    TWinControl* FPane;
    TPaneHost* FHost = nullptr;
    TWinControl* FParent = nullptr;
    TAlign FAlign = alNone;
    TRect FBounds;
};

class LumoraFileDialog : public QFileDialog {
public:
    LumoraFileDialog(QWidget* Parent, const lumora_dialogs::TFileDialogSpec& Spec, TDialogAnswer& Answer)
        : QFileDialog(Parent), FSpec(Spec), FAnswer(Answer) {}
    QStringList Filters;

    void accept() override {
        QStringList files = selectedFiles();
        // A folder typed or chosen is opened.
        if (files.size() == 1 && QFileInfo(files.front()).isDir()) {
            QFileDialog::accept();
            return;
        }
        TDialogAnswer a;
        a.Result = mrOk;
        for (const QString& f : files) a.Files.push_back(f.toStdString());
        if (!a.Files.empty()) a.Value = a.Files.front();
        a.FilterIndex = Integer(Filters.indexOf(selectedNameFilter()) + 1);
        bool close = true;
        if (FSpec.Session) Application->Guard(Application, [&] { close = FSpec.Session->CanClose(a); });
        if (!close) return;
        FAnswer = a;
        QDialog::accept();
    }

private:
    const lumora_dialogs::TFileDialogSpec& FSpec;
    TDialogAnswer& FAnswer;
};

}  // namespace

bool lumora_dialogs::RunFileDialog(const TFileDialogSpec& Spec, TDialogAnswer& Answer) {
    lumora_backend::EnsureBackend();
    LumoraFileDialog dlg(lumora_qt::DialogParent(), Spec, Answer);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setOption(QFileDialog::DontConfirmOverwrite);
    dlg.setOption(QFileDialog::HideNameFilterDetails);
    dlg.setWindowTitle(QString::fromStdString(Spec.Title));
    dlg.setAcceptMode(Spec.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(Spec.Save          ? QFileDialog::AnyFile
                    : Spec.MultiSelect ? QFileDialog::ExistingFiles
                                       : QFileDialog::AnyFile);
    dlg.Filters = NameFilters(Spec.Filter);
    if (!dlg.Filters.isEmpty()) {
        dlg.setNameFilters(dlg.Filters);
        int i = std::clamp(int(Spec.FilterIndex) - 1, 0, int(dlg.Filters.size()) - 1);
        dlg.selectNameFilter(dlg.Filters[i]);
    }
    if (!Spec.DefaultExt.empty()) dlg.setDefaultSuffix(QString::fromStdString(Spec.DefaultExt));
    QString file = QString::fromStdString(Spec.FileName);
    QString dir = QString::fromStdString(Spec.InitialDir);
    if (dir.isEmpty() && !file.isEmpty()) dir = QFileInfo(file).absolutePath();
    if (!dir.isEmpty()) dlg.setDirectory(dir);

    TDialogSession* session = Spec.Session;
    if (session) {
        QObject::connect(&dlg, &QFileDialog::currentChanged, &dlg, [session](const QString& path) {
            Application->Guard(Application, [&] { session->SelectionChanged(path.toStdString()); });
        });
        QObject::connect(&dlg, &QFileDialog::directoryEntered, &dlg, [session](const QString& path) {
            Application->Guard(Application, [&] { session->FolderChanged(path.toStdString()); });
        });
        QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [&dlg, session](const QString& filter) {
            Integer index = Integer(dlg.Filters.indexOf(filter) + 1);
            Application->Guard(Application, [&] { session->TypeChanged(index); });
        });
        session->SetFileNameBox = [&dlg](const std::string& Text) { dlg.selectFile(QString::fromStdString(Text)); };
    }
    EmbeddedPane pane(Spec.ExtraPane, &dlg);
    if (session) session->Shown();
    if (!file.isEmpty()) {
        dlg.selectFile(QFileInfo(file).fileName());
        // The file offered is the selection the dialog opens with.
        QFileInfo chosen(QDir(dlg.directory()).filePath(QFileInfo(file).fileName()));
        if (session && chosen.isFile())
            Application->Guard(Application,
                               [&] { session->SelectionChanged(chosen.absoluteFilePath().toStdString()); });
    }
    bool ok = dlg.exec() == QDialog::Accepted;
    if (session) {
        session->SetFileNameBox = nullptr;
        session->Closed();
    }
    return ok;
}

bool lumora_dialogs::RunFontDialog(TFont* Font) {
    lumora_backend::EnsureBackend();
    QFont f(QString::fromStdString(Font->GetName()));
    f.setPointSize(std::max(1, int(Font->GetSize())));
    TFontStyles style = Font->GetStyle();
    f.setBold(style.Contains(fsBold));
    f.setItalic(style.Contains(fsItalic));
    f.setUnderline(style.Contains(fsUnderline));
    f.setStrikeOut(style.Contains(fsStrikeOut));
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, f, lumora_qt::DialogParent(), "Font");
    if (!ok) return false;
    Font->SetName(chosen.family().toStdString());
    Font->SetSize(Integer(chosen.pointSize() > 0 ? chosen.pointSize() : Font->GetSize()));
    TFontStyles s;
    if (chosen.bold()) s.Include(fsBold);
    if (chosen.italic()) s.Include(fsItalic);
    if (chosen.underline()) s.Include(fsUnderline);
    if (chosen.strikeOut()) s.Include(fsStrikeOut);
    Font->SetStyle(s);
    return true;
}

bool lumora_dialogs::RunColorDialog(TColor& Color, TStrings* CustomColors) {
    lumora_backend::EnsureBackend();
    // The custom colours: "ColorA" .. "ColorP" hold BGR values in hexadecimal.
    for (int i = 0; i < 16 && i < QColorDialog::customCount(); ++i) {
        std::string v = CustomColors->GetValue(std::string("Color") + char('A' + i));
        if (v.empty()) continue;
        QColorDialog::setCustomColor(i, lumora_qt::ToQColor(TColor(StrToIntDef("$" + v, 0xFFFFFF) & 0xFFFFFF)));
    }
    QColor chosen = QColorDialog::getColor(lumora_qt::ToQColor(Color), lumora_qt::DialogParent(), "Color");
    if (!chosen.isValid()) return false;
    Color = lumora_qt::FromQColor(chosen);
    for (int i = 0; i < 16 && i < QColorDialog::customCount(); ++i) {
        CustomColors->SetValue(std::string("Color") + char('A' + i),
                               IntToHex(lumora_qt::FromQColor(QColorDialog::customColor(i)), 6));
    }
    return true;
}

namespace {

// The printer list entry of the printer a Qt dialog chose.
void TakePrinterChoice(QPrinter& Device) {
    TPrinter* p = Printer();
    if (Device.outputFormat() == QPrinter::PdfFormat) {
        if (!Device.outputFileName().isEmpty()) p->SetFileName(Device.outputFileName().toStdString());
        p->SetPrinterIndex(p->GetPrinters()->GetCount() - 1);
    } else {
        int i = p->GetPrinters()->IndexOf(Device.printerName().toStdString());
        if (i >= 0) p->SetPrinterIndex(i);
    }
    p->SetOrientation(Device.pageLayout().orientation() == QPageLayout::Landscape ? poLandscape : poPortrait);
}

}  // namespace

bool lumora_dialogs::RunPrintDialog(TPrintDialog* Dialog) {
    lumora_backend::EnsureBackend();
    QPrinter device(QPrinter::HighResolution);
    lumora_qt::ConfigurePrinter(device, Printer());
    if (Dialog->GetCopies() > 0) device.setCopyCount(Dialog->GetCopies());
    device.setCollateCopies(Dialog->GetCollate());
    QPrintDialog dlg(&device, lumora_qt::DialogParent());
    if (Dialog->GetMaxPage() > 0) dlg.setMinMax(Dialog->GetMinPage(), Dialog->GetMaxPage());
    dlg.setOption(QAbstractPrintDialog::PrintPageRange, Dialog->GetOptions().Contains(poPageNums));
    dlg.setOption(QAbstractPrintDialog::PrintSelection, Dialog->GetOptions().Contains(poSelection));
    dlg.setOption(QAbstractPrintDialog::PrintToFile, !Dialog->GetOptions().Contains(poDisablePrintToFile));
    if (dlg.exec() != QDialog::Accepted) return false;
    TakePrinterChoice(device);
    Dialog->SetCopies(device.copyCount());
    Dialog->SetCollate(device.collateCopies());
    switch (dlg.printRange()) {
    case QAbstractPrintDialog::Selection: Dialog->SetPrintRange(prSelection); break;
    case QAbstractPrintDialog::PageRange:
        Dialog->SetPrintRange(prPageNums);
        Dialog->SetFromPage(dlg.fromPage());
        Dialog->SetToPage(dlg.toPage());
        break;
    default: Dialog->SetPrintRange(prAllPages); break;
    }
    Dialog->SetPrintToFile(device.outputFormat() == QPrinter::PdfFormat);
    return true;
}

bool lumora_dialogs::RunPrinterSetupDialog() {
    lumora_backend::EnsureBackend();
    QPrinter device(QPrinter::HighResolution);
    lumora_qt::ConfigurePrinter(device, Printer());
    QPageSetupDialog dlg(&device, lumora_qt::DialogParent());
    if (dlg.exec() != QDialog::Accepted) return false;
    TakePrinterChoice(device);
    return true;
}
