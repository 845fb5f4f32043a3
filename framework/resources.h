#pragma once
// Named resources compiled into the program from our own artwork: bitmaps, cursors, icons and
// strings, found by the names and numbers the components use, and the screen's cursor table.

#include <string>

#include "framework/dynlib.h"
#include "framework/exceptions.h"
#include "framework/windows_gdi.h"

class TBitmap;

LUMORA_DECLARE_EXCEPTION(EResNotFound, Exception)

// The module handle resources are looked up in; there is one resource table for the program.
extern HINSTANCE HInstance;

// A numeric resource name ("#123").
std::string MAKEINTRESOURCE(int id);

// Bitmaps by name; with a null instance the system bitmaps (OBM_CHECKBOXES). Null when absent.
HBITMAP LoadBitmap(HINSTANCE instance, const std::string& name);
constexpr int OBM_CHECKBOXES = 32759;
// Fills a bitmap from a named bitmap resource; false when there is none.
bool LoadBitmapResource(const std::string& name, TBitmap* bitmap);

// Cursors and icons by name; with a null instance the standard cursors (IDC_*). Null when absent.
HCURSOR LoadCursor(HINSTANCE instance, const std::string& name);
HICON LoadIcon(HINSTANCE instance, const std::string& name);
extern const char* const IDC_ARROW;
extern const char* const IDC_IBEAM;
extern const char* const IDC_WAIT;
extern const char* const IDC_CROSS;
extern const char* const IDC_UPARROW;
extern const char* const IDC_SIZENWSE;
extern const char* const IDC_SIZENESW;
extern const char* const IDC_SIZEWE;
extern const char* const IDC_SIZENS;
extern const char* const IDC_SIZEALL;
extern const char* const IDC_NO;
extern const char* const IDC_HAND;
extern const char* const IDC_APPSTARTING;
extern const char* const IDC_HELP;
extern const char* const IDI_APPLICATION;

// String resources by number; empty when absent.
std::string LoadStr(Integer Ident);
// Copies the string (cut to size - 1 bytes) and returns its length; 0 when absent.
int LoadString(HINSTANCE instance, UINT id, char* buffer, int size);

// ---------------------------------------------------------------------------------------------
// The cursor table behind Screen.Cursors

using TCursor = SmallInt;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
constexpr TCursor crSize = crSizeAll;

// The cursor registered under an id; ids without one give the default cursor.
HCURSOR GetCursorTableEntry(TCursor id);
// Registers a cursor (the table owns it and destroys the one it replaces); a null handle removes
// the entry of a custom id.
void SetCursorTableEntry(TCursor id, HCURSOR cursor);
// True when the id has a cursor of its own (standard or registered).
bool CursorTableHas(TCursor id);
