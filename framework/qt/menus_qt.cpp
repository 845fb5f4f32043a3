// Menus on Qt: the menu bar of a form is a QMenuBar inside its window above the client area;
// every item with sub-items has a QMenu, filled from the items each time it opens. Choosing an
// item clicks it once the menu has closed, on the next turn of the message loop. Keys never
// reach Qt's own shortcut handling: the framework tries the shortcuts itself.

#include "framework/qt/menus_qt.h"

#include <QActionGroup>
#include <QApplication>
#include <QEventLoop>
#include <QHash>
#include <QPointer>
#include <QTimer>

#include <map>

#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/image_list.h"
#include "framework/menu_backend.h"
#include "framework/system_metrics.h"
#include "framework/window_backend.h"
#include "framework/qt/backend_qt.h"
#include "framework/qt/gdi_backend.h"
#include "framework/qt/window_qt.h"

using lumora_menus::IsLiveItem;
using lumora_menus::IsLiveMenu;

namespace {

const char* const kItemProperty = "lumoraMenuItem";

// The QMenu of each item that has one (items with sub-items, and the roots of popup menus).
QHash<const TMenuItem*, QPointer<QMenu>>& SubMenus() {
    static QHash<const TMenuItem*, QPointer<QMenu>> h;
    return h;
}

QHash<TCustomForm*, QPointer<QMenuBar>>& Bars() {
    static QHash<TCustomForm*, QPointer<QMenuBar>> h;
    return h;
}

std::function<void()>& OpenHook() {
    static std::function<void()> f;
    return f;
}

// Menus being filled now (their changes come back while they are).
QList<QObject*>& Filling() {
    static QList<QObject*> l;
    return l;
}

TMenuItem* ItemOf(QAction* a) {
    if (!a) return nullptr;
    auto* item = reinterpret_cast<TMenuItem*>(a->property(kItemProperty).value<quintptr>());
    return IsLiveItem(item) ? item : nullptr;
}

// Menus take the system colours of menus (the classic ones, as every window does).
void ApplyMenuColors(QWidget* Widget, TColor Background) {
    QPalette p = Widget->palette();
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        p.setColor(role, lumora_qt::ToQColor(Background));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(role, lumora_qt::ToQColor(clMenuText));
    p.setColor(QPalette::Disabled, QPalette::WindowText, lumora_qt::ToQColor(clGrayText));
    p.setColor(QPalette::Disabled, QPalette::Text, lumora_qt::ToQColor(clGrayText));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, lumora_qt::ToQColor(clGrayText));
    p.setColor(QPalette::Highlight, lumora_qt::ToQColor(clHighlight));
    p.setColor(QPalette::HighlightedText, lumora_qt::ToQColor(clHighlightText));
    Widget->setPalette(p);
}

QIcon IconFor(TMenuItem* Item) {
    TMenu* menu = Item->GetParentMenu();
    TCustomImageList* images = menu ? menu->GetImages() : nullptr;
    Integer index = Item->GetImageIndex();
    if (!images || index < 0 || index >= images->GetCount()) return {};
    QImage img(images->GetWidth(), images->GetHeight(), QImage::Format_RGB32);
    img.fill(lumora_qt::ToQColor(clMenu));
    TCanvas canvas;
    lumora_qt::BindCanvasToImage(&canvas, &img);
    images->Draw(&canvas, 0, 0, index, Item->GetEnabled());
    lumora_qt::BindCanvasToImage(&canvas, nullptr);
    return QIcon(QPixmap::fromImage(img));
}

// The items chosen in the popup menu open now (nullptr: none is open).
std::vector<TMenuItem*>* gPopupChoices = nullptr;

void PostClick(TMenuItem* Item) {
    lumora_backend::PostToLoop([Item] {
        if (IsLiveItem(Item)) Application->Guard(Item, [&] { Item->Click(); });
    });
}

// Clicks the chosen item once the menu is gone, as a command message would: after the message
// loop's next turn, or after a popup menu's Popup has returned.
void Chosen(QAction* Action) {
    TMenuItem* item = ItemOf(Action);
    if (!item) return;
    // Qt flips checkable actions; the item decides.
    Action->setChecked(item->GetChecked());
    if (gPopupChoices)
        gPopupChoices->push_back(item);
    else
        PostClick(item);
}

void ShowHint(QAction* Action) {
    TMenuItem* item = ItemOf(Action);
    Application->SetHint(item ? GetLongHint(item->GetHint()) : std::string());
}

QMenu* SubMenuFor(TMenuItem* Item, QWidget* Parent);

void Fill(QWidget* Container, TMenuItem* Parent) {
    if (!IsLiveItem(Parent)) return;
    Filling().append(Container);
    bool onBar = qobject_cast<QMenuBar*>(Container) != nullptr;
    for (QAction* a : Container->actions()) {
        Container->removeAction(a);
        if (a->parent() == Container && !a->menu()) a->deleteLater();
    }
    for (QObject* child : Container->children())
        if (auto* g = qobject_cast<QActionGroup*>(child)) g->deleteLater();
    std::map<Integer, QActionGroup*> groups;
    for (int i = 0; i < Parent->GetCount(); ++i) {
        TMenuItem* item = Parent->GetItem(i);
        if (!item->GetVisible()) continue;
        QAction* a;
        if (item->IsLine()) {
            a = new QAction(Container);
            a->setSeparator(true);
        } else if (item->GetCount() > 0) {
            a = SubMenuFor(item, Container)->menuAction();
        } else {
            a = new QAction(Container);
            QObject::connect(a, &QAction::triggered, a, [a] { Chosen(a); });
        }
        a->setProperty(kItemProperty, QVariant::fromValue(quintptr(item)));
        if (!item->IsLine()) {
            QString text = QString::fromStdString(item->GetCaption());
            std::string sc = ShortCutToText(item->GetShortCut());
            if (!onBar && !sc.empty()) text += "\t" + QString::fromStdString(sc);
            a->setText(text);
            a->setEnabled(item->GetEnabled());
            // Unchecked radio items show nothing, as on Windows.
            a->setCheckable(item->GetChecked());
            a->setChecked(item->GetChecked());
            if (item->GetRadioItem() && item->GetChecked()) {
                QActionGroup*& g = groups[item->GetGroupIndex()];
                if (!g) {
                    g = new QActionGroup(Container);
                    g->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
                }
                g->addAction(a);
            } else if (a->actionGroup()) {
                a->actionGroup()->removeAction(a);
            }
            QFont f = a->font();
            f.setBold(item->GetDefault());
            a->setFont(f);
            a->setIcon(onBar ? QIcon() : IconFor(item));
            QObject::disconnect(a, &QAction::hovered, nullptr, nullptr);
            QObject::connect(a, &QAction::hovered, a, [a] { ShowHint(a); });
        }
        Container->addAction(a);
    }
    Filling().removeAll(Container);
}

// Before a submenu opens: the actions of its items are updated and its item is clicked (its
// OnClick may change the items), then the menu takes the items.
void Prepare(QMenu* Menu, TMenuItem* Item) {
    if (!IsLiveItem(Item)) return;
    Application->Guard(Item, [&] {
        Item->InitiateActions();
        if (Item->GetParent() && IsLiveItem(Item)) Item->Click();
    });
    if (IsLiveItem(Item)) Fill(Menu, Item);
}

QMenu* SubMenuFor(TMenuItem* Item, QWidget* Parent) {
    QPointer<QMenu>& m = SubMenus()[Item];
    if (!m) {
        m = new QMenu(Parent);
        ApplyMenuColors(m, clMenu);
        m->setSeparatorsCollapsible(true);
        m->setToolTipsVisible(false);
        QMenu* menu = m;
        QObject::connect(menu, &QMenu::aboutToShow, menu, [menu, Item] {
            Prepare(menu, Item);
            if (OpenHook()) {
                auto hook = std::move(OpenHook());
                OpenHook() = nullptr;
                QTimer::singleShot(0, menu, [hook] { hook(); });
            }
        });
        QObject::connect(menu, &QMenu::aboutToHide, menu, [] { Application->SetHint(std::string()); });
    } else if (Parent && m->parentWidget() != Parent) {
        m->setParent(Parent, m->windowFlags());
    }
    return m;
}

TMainMenu* BarMenu(QMenuBar* Bar) {
    auto* menu = reinterpret_cast<TMainMenu*>(Bar->property("lumoraMenu").value<quintptr>());
    return IsLiveMenu(menu) ? menu : nullptr;
}

void FillBar(QMenuBar* Bar, TCustomForm* Form) {
    TMainMenu* menu = Form->GetMenu();
    Bar->setProperty("lumoraMenu", QVariant::fromValue(quintptr(menu)));
    if (menu && IsLiveMenu(menu)) Fill(Bar, menu->GetItems());
}

}  // namespace

// ---- The seam --------------------------------------------------------------------------------

namespace lumora_menus {

void ItemsChanged(TMenuItem* Parent) {
    if (!QCoreApplication::instance()) return;
    if (QMenu* m = SubMenus().value(Parent)) {
        if (m->isVisible() && !Filling().contains(m)) Fill(m, Parent);
    }
    TMenu* menu = Parent->GetParentMenu();
    if (!menu || Parent != menu->GetItems()) return;
    for (auto it = Bars().begin(); it != Bars().end(); ++it) {
        QMenuBar* bar = it.value();
        if (bar && !Filling().contains(bar) && BarMenu(bar) == menu) Fill(bar, Parent);
    }
}

void ItemDestroyed(TMenuItem* Item) {
    auto it = SubMenus().find(Item);
    if (it == SubMenus().end()) return;
    QPointer<QMenu> m = it.value();
    SubMenus().erase(it);
    if (m) {
        m->hide();
        m->deleteLater();
    }
}

void MenuDestroyed(TMenu* Menu) {
    for (auto it = Bars().begin(); it != Bars().end(); ++it)
        if (QMenuBar* bar = it.value(); bar && BarMenu(bar) == nullptr) bar->clear();
}

void FormMenuChanged(TCustomForm* Form) {
    if (QMenuBar* bar = Bars().value(Form)) {
        FillBar(bar, Form);
        bar->setVisible(Form->GetMenu() != nullptr);
    }
}

// Popup menus whose loops run now.
int gPopupDepth = 0;

void PopupMenu(TPopupMenu* Menu, TPoint ScreenPos) {
    lumora_backend::EnsureBackend();
    TMenuItem* root = Menu->GetItems();
    QMenu* qm = SubMenuFor(root, nullptr);
    Prepare(qm, root);
    if (!IsLiveMenu(Menu) || qm->actions().isEmpty()) return;
    QPoint pos(ScreenPos.X, ScreenPos.Y);
    switch (Menu->GetAlignment()) {
    case paRight: pos.rx() -= qm->sizeHint().width(); break;
    case paCenter: pos.rx() -= qm->sizeHint().width() / 2; break;
    default: break;
    }
    QPointer<QMenu> guard = qm;
    QEventLoop loop;
    QObject::connect(qm, &QMenu::aboutToHide, &loop, &QEventLoop::quit);
    QObject::connect(qm, &QObject::destroyed, &loop, &QEventLoop::quit);
    // Headless, nobody could ever close a menu nothing answers.
    if (!OpenHook() && lumora_qt::Offscreen()) QTimer::singleShot(0, qm, [qm] { qm->close(); });
    // The menu is filled already; opening it fills it again after the same updates.
    std::vector<TMenuItem*> choices;
    std::vector<TMenuItem*>* outer = gPopupChoices;
    gPopupChoices = &choices;
    qm->popup(pos);
    ++gPopupDepth;
    if (guard && qm->isVisible()) loop.exec();
    --gPopupDepth;
    gPopupChoices = outer;
    if (gPopupDepth == 0) lumora_qt::ReleaseDeferredPresses();
    for (TMenuItem* item : choices) PostClick(item);
}

bool OpenMenuBarItem(TCustomForm* Form, TMenuItem* Item) {
    QMenuBar* bar = Bars().value(Form);
    if (!bar || !bar->isVisible()) return false;
    for (QAction* a : bar->actions())
        if (ItemOf(a) == Item && a->isVisible() && a->isEnabled()) {
            bar->setActiveAction(a);
            return true;
        }
    return false;
}

}  // namespace lumora_menus

// ---- Qt side ---------------------------------------------------------------------------------

bool lumora_qt::PopupMenuRunning() { return lumora_menus::gPopupDepth > 0; }

void lumora_qt::PlaceMenuBar(TCustomForm* Form, QWidget* Window) {
    QPointer<QMenuBar>& bar = Bars()[Form];
    if (!Form->GetMenu()) {
        if (bar) bar->hide();
        return;
    }
    if (!bar || bar->parentWidget() != Window) {
        if (bar) bar->deleteLater();
        bar = new QMenuBar(Window);
        bar->setNativeMenuBar(false);
        ApplyMenuColors(bar, clMenuBar);
        bar->setFocusPolicy(Qt::NoFocus);
        QObject::connect(bar, &QObject::destroyed, [Form] { Bars().remove(Form); });
        FillBar(bar, Form);
    } else if (BarMenu(bar) != Form->GetMenu()) {
        FillBar(bar, Form);
    }
    Integer h = TCustomForm::MenuBarHeightHook ? TCustomForm::MenuBarHeightHook(Form) : 0;
    if (h <= 0) {
        bar->hide();
        return;
    }
    bar->setGeometry(0, 0, Window->width(), h);
    bar->show();
    bar->raise();
}

QMenuBar* lumora_qt::MenuBarOf(TCustomForm* Form) { return Bars().value(Form); }

TMenuItem* lumora_qt::MenuItemOf(QAction* Action) { return ItemOf(Action); }

void lumora_qt::SetMenuOpenHook(std::function<void()> Hook) { OpenHook() = std::move(Hook); }
