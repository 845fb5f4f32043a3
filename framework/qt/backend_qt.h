#pragma once
// Shared helpers of the Qt backend (Qt headers allowed here only).

#include <QCursor>
#include <QScrollBar>
#include <QWidget>

#include "framework/controls.h"

class QPainter;

namespace lumora_qt {

// True on the offscreen platform (tests): windows have no window manager.
bool Offscreen();
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
