// The test toolkit's part for menus: what the open menus and menu bars show, and input to them
// made as Qt makes it.

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>

#include "framework/menus.h"
#include "framework/sysutils.h"
#include "framework/testing/ui_test.h"
#include "framework/qt/menus_qt.h"
#include "framework/qt/window_qt.h"

namespace {

QMenu* InnermostMenu() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }

uitest::TShownMenuItem Describe(QAction* a) {
    uitest::TShownMenuItem s;
    s.Separator = a->isSeparator();
    QString text = a->text();
    int tab = text.indexOf('\t');
    s.Caption = (tab < 0 ? text : text.left(tab)).toStdString();
    if (tab >= 0) s.ShortCut = text.mid(tab + 1).toStdString();
    s.Enabled = a->isEnabled();
    s.Checked = a->isChecked();
    s.Radio = a->isChecked() && a->actionGroup() != nullptr;
    s.Default = a->font().bold();
    s.SubMenu = a->menu() != nullptr;
    return s;
}

std::vector<uitest::TShownMenuItem> DescribeAll(QWidget* w) {
    std::vector<uitest::TShownMenuItem> v;
    if (!w) return v;
    for (QAction* a : w->actions())
        if (a->isVisible()) v.push_back(Describe(a));
    return v;
}

QAction* FindAction(QWidget* w, const std::string& Caption) {
    if (!w) return nullptr;
    for (QAction* a : w->actions()) {
        if (a->isSeparator() || !a->isVisible()) continue;
        if (Trim(StripHotkey(Describe(a).Caption)) == Trim(StripHotkey(Caption))) return a;
    }
    return nullptr;
}

void ClickAt(QWidget* w, QPoint p) {
    QPointer<QWidget> guard = w;
    QPointF local(p), global(w->mapToGlobal(p));
    QMouseEvent move(QEvent::MouseMove, local, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
    if (!guard) return;
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    if (!guard) return;
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

}  // namespace

namespace uitest {

void WhenMenuOpens(std::function<void()> Action) {
    Start();
    if (!Action) {
        lumora_qt::SetMenuOpenHook(nullptr);
        return;
    }
    lumora_qt::SetMenuOpenHook([Action] {
        Action();
        CloseMenus();
    });
}

bool MenuOpen() { return InnermostMenu() != nullptr; }

std::vector<TShownMenuItem> OpenMenuItems() { return DescribeAll(InnermostMenu()); }

void ChooseMenuItem(const std::string& Caption) {
    QMenu* menu = InnermostMenu();
    if (!menu) throw EInvalidOperation("No menu is open");
    QAction* a = FindAction(menu, Caption);
    if (!a) throw EInvalidOperation("The open menu has no item " + Caption);
    ClickAt(menu, menu->actionGeometry(a).center());
    ProcessEvents();
}

void MenuKey(Word Key, TShiftState Shift) {
    QMenu* menu = InnermostMenu();
    if (!menu) throw EInvalidOperation("No menu is open");
    Qt::KeyboardModifiers mods;
    if (Shift.Contains(ssShift)) mods |= Qt::ShiftModifier;
    if (Shift.Contains(ssCtrl)) mods |= Qt::ControlModifier;
    if (Shift.Contains(ssAlt)) mods |= Qt::AltModifier;
    QString text;
    if (Key >= 'A' && Key <= 'Z') text = QString(QChar(Key + 32));
    else if (Key >= '0' && Key <= '9') text = QString(QChar(Key));
    else if (Key == VK_RETURN) text = "\r";
    else if (Key == VK_ESCAPE) text = QString(QChar(27));
    QPointer<QMenu> guard = menu;
    QKeyEvent press(QEvent::KeyPress, lumora_qt::QtKeyOf(Key), mods, text);
    QApplication::sendEvent(menu, &press);
    if (guard) {
        QKeyEvent release(QEvent::KeyRelease, lumora_qt::QtKeyOf(Key), mods, text);
        QApplication::sendEvent(menu, &release);
    }
    ProcessEvents();
}

void CloseMenus() {
    for (int guard = 0; guard < 16; ++guard) {
        QWidget* w = QApplication::activePopupWidget();
        if (!w) break;
        w->close();
    }
}

std::vector<TShownMenuItem> MenuBarItems(TCustomForm* Form) {
    QMenuBar* bar = lumora_qt::MenuBarOf(Form);
    if (!bar || !bar->isVisible()) return {};
    return DescribeAll(bar);
}

void ClickMenuBar(TCustomForm* Form, const std::string& Caption) {
    Start();
    QMenuBar* bar = lumora_qt::MenuBarOf(Form);
    if (!bar || !bar->isVisible()) throw EInvalidOperation("The form shows no menu bar");
    QAction* a = FindAction(bar, Caption);
    if (!a) throw EInvalidOperation("The menu bar has no item " + Caption);
    ClickAt(bar, bar->actionGeometry(a).center());
    ProcessEvents();
}

}  // namespace uitest
