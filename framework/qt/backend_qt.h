#pragma once
// Shared helpers of the Qt backend (Qt headers allowed here only).

#include <QColor>
#include <QCursor>
#include <QScrollBar>
#include <QWidget>

#include "framework/controls.h"
#include "framework/graphics.h"

class QPainter;

namespace lumora_qt {

// True on the offscreen platform (tests): windows have no window manager.
bool Offscreen();
// A colour (a system colour resolved) as a Qt colour, and a Qt colour back.
inline QColor ToQColor(TColor Color) {
    const LongInt c = ColorToRGB(Color);
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}
inline TColor FromQColor(const QColor& Color) {
    return TColor(Color.red() | (Color.green() << 8) | (Color.blue() << 16));
}
// The Qt cursor for a cursor id of the screen's table.
QCursor CursorFor(TCursor Cursor);
// Deletes a widget now, or later when it is in the middle of handling an event.
void DisposeWidget(QWidget* Widget);

// Native widgets: the input router and the default window procedure's native part.
void InstallInputRouter(TWinControl* Control, QWidget* Widget);
TWinControl* NativeControlOf(QWidget* Widget);
bool NativeDefaultProc(TWinControl* Control, QWidget* Widget, TMessage& Message);

// Window scroll bars.
QScrollBar* NewWindowScrollBar(TWinControl* Control, QWidget* Parent, int Bar);
void UpdateScrollBarWidget(QScrollBar* Bar, const TWindowScrollBar& State);

// Copies a window's backing image to the widget.
void PaintSurfaceOn(TPaintSurface* Surface, QPainter& Painter, const QRect& Rect);

}  // namespace lumora_qt
