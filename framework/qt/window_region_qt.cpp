// Window shapes on the widget's mask: the widget shows, and takes the mouse, inside it only.

#include <QRegion>
#include <QWidget>

#include <map>

#include "framework/window_backend.h"
#include "framework/window_region.h"
#include "framework/qt/gdi_backend.h"
#include "framework/qt/window_qt.h"

namespace {

const QRegion* RegionOf(HRGN Rgn) {
    const auto* r = lumora_gdi::ObjectAs<HRGN__>(Rgn, lumora_gdi::ObjKind::Region);
    return r ? &r->rgn : nullptr;
}

// The shape each window was given, kept for GetWindowRgn (a widget's mask says nothing of the
// window it belongs to once the widget is gone).
std::map<const QWidget*, QRegion>& Shapes() {
    static std::map<const QWidget*, QRegion> shapes;
    return shapes;
}

}  // namespace

bool SetWindowRgn(HWND Wnd, HRGN Rgn, bool Redraw) {
    QWidget* widget = Wnd && lumora_detail::IsLiveControl(Wnd) ? lumora_qt::WidgetOf(Wnd) : nullptr;
    const QRegion* region = RegionOf(Rgn);
    if (!widget || (Rgn && !region)) return false;
    if (region) {
        widget->setMask(*region);
        if (Shapes().insert_or_assign(widget, *region).second)
            QObject::connect(widget, &QObject::destroyed, [widget] { Shapes().erase(widget); });
        DeleteObject(Rgn);
    } else {
        widget->clearMask();
        Shapes().erase(widget);
    }
    if (Redraw) widget->update();
    return true;
}

int GetWindowRgn(HWND Wnd, HRGN Rgn) {
    QWidget* widget = Wnd && lumora_detail::IsLiveControl(Wnd) ? lumora_qt::WidgetOf(Wnd) : nullptr;
    auto* target = lumora_gdi::ObjectAs<HRGN__>(Rgn, lumora_gdi::ObjKind::Region);
    if (!widget || !target) return RGN_ERROR;
    const auto it = Shapes().find(widget);
    if (it == Shapes().end()) return RGN_ERROR;
    target->rgn = it->second;
    return it->second.isEmpty() ? NULLREGION : it->second.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}
