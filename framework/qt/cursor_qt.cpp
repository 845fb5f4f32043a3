// Cursor ids to Qt cursors, through the screen's cursor table.

#include <QCursor>

#include "framework/resources.h"
#include "framework/qt/backend_qt.h"
#include "framework/qt/gdi_backend.h"

QCursor lumora_qt::CursorFor(TCursor Cursor) {
    if (Cursor == crDefault) return QCursor(Qt::ArrowCursor);
    return lumora_gdi::ToQCursor(GetCursorTableEntry(Cursor));
}
