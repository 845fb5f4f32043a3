// The real dialogs behind the dialog service: message boxes and input boxes on Qt's dialogs.

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "framework/dialog_service.h"
#include "framework/window_backend.h"
#include "framework/qt/window_qt.h"

namespace {

struct ButtonInfo {
    TMsgDlgBtn Button;
    const char* Caption;
    QMessageBox::ButtonRole Role;
    Integer Result;
};

const ButtonInfo kButtons[] = {
    {mbYes, "&Yes", QMessageBox::YesRole, mrYes},
    {mbNo, "&No", QMessageBox::NoRole, mrNo},
    {mbOK, "OK", QMessageBox::AcceptRole, mrOk},
    {mbCancel, "Cancel", QMessageBox::RejectRole, mrCancel},
    {mbAbort, "&Abort", QMessageBox::RejectRole, mrAbort},
    {mbRetry, "&Retry", QMessageBox::AcceptRole, mrRetry},
    {mbIgnore, "&Ignore", QMessageBox::AcceptRole, mrIgnore},
    {mbAll, "&All", QMessageBox::YesRole, mrAll},
    {mbNoToAll, "N&o to All", QMessageBox::NoRole, mrNoToAll},
    {mbYesToAll, "Yes to &All", QMessageBox::YesRole, mrYesToAll},
    {mbHelp, "&Help", QMessageBox::HelpRole, mrNone},
};

}  // namespace

Integer TDialogService::MessageDlg(const TDialogRequest& Request) {
    lumora_backend::EnsureBackend();
    QMessageBox box(lumora_qt::DialogParent());
    box.setWindowTitle(QString::fromStdString(Request.Caption));
    box.setText(QString::fromStdString(Request.Text));
    switch (Request.DlgType) {
    case mtWarning: box.setIcon(QMessageBox::Warning); break;
    case mtError: box.setIcon(QMessageBox::Critical); break;
    case mtInformation: box.setIcon(QMessageBox::Information); break;
    case mtConfirmation: box.setIcon(QMessageBox::Question); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    std::vector<std::pair<QAbstractButton*, Integer>> results;
    Integer escapeResult = mrCancel;
    for (const ButtonInfo& b : kButtons) {
        if (!Request.Buttons.Contains(b.Button)) continue;
        QPushButton* pb = box.addButton(QString::fromUtf8(b.Caption), b.Role);
        results.push_back({pb, b.Result});
        if (b.Button == Request.DefaultButton) box.setDefaultButton(pb);
        if (b.Button == mbCancel || (b.Button == mbNo && !Request.Buttons.Contains(mbCancel))) box.setEscapeButton(pb);
    }
    if (results.size() == 1) box.setEscapeButton(results.front().first);
    if (Request.Position.X >= 0 || Request.Position.Y >= 0) {
        // The box at the point asked for; an axis given as -1 stays centred.
        box.adjustSize();
        QRect screen = box.screen() ? box.screen()->availableGeometry() : QRect(0, 0, 1024, 768);
        int x = Request.Position.X >= 0 ? Request.Position.X : screen.x() + (screen.width() - box.width()) / 2;
        int y = Request.Position.Y >= 0 ? Request.Position.Y : screen.y() + (screen.height() - box.height()) / 2;
        box.move(x, y);
    }
    Application->ModalStarted();
    for (;;) {
        box.exec();
        // The Help button shows the help and leaves the box open.
        QAbstractButton* clicked = box.clickedButton();
        if (!clicked || box.buttonRole(clicked) != QMessageBox::HelpRole) break;
        Application->HelpContext(Request.HelpContext);
    }
    Application->ModalFinished();
    for (auto& [button, result] : results)
        if (box.clickedButton() == button) return result;
    return escapeResult;
}

bool TDialogService::InputQuery(const TDialogRequest& Request, std::string& Value) {
    lumora_backend::EnsureBackend();
    bool ok = false;
    Application->ModalStarted();
    QString text = QInputDialog::getText(lumora_qt::DialogParent(), QString::fromStdString(Request.Caption),
                                         QString::fromStdString(Request.Text), QLineEdit::Normal,
                                         QString::fromStdString(Value), &ok);
    Application->ModalFinished();
    if (ok) Value = text.toStdString();
    return ok;
}
