// The resource table: named bitmaps, cursors and icons drawn from our own artwork (see
// resource_art.cpp), string resources, the system bitmaps, and the screen's cursor table.

#include <QCursor>
#include <QImage>
#include <QPixmap>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "framework/backend.h"
#include "framework/graphics.h"
#include "framework/resource_art.h"
#include "framework/resources.h"
#include "framework/sysutils.h"
#include "framework/qt/gdi_backend.h"

using namespace lumora_gdi;

namespace {
char g_instanceTag;
}

HINSTANCE HInstance = &g_instanceTag;

const char* const IDC_ARROW = "#32512";
const char* const IDC_IBEAM = "#32513";
const char* const IDC_WAIT = "#32514";
const char* const IDC_CROSS = "#32515";
const char* const IDC_UPARROW = "#32516";
const char* const IDC_SIZENWSE = "#32642";
const char* const IDC_SIZENESW = "#32643";
const char* const IDC_SIZEWE = "#32644";
const char* const IDC_SIZENS = "#32645";
const char* const IDC_SIZEALL = "#32646";
const char* const IDC_NO = "#32648";
const char* const IDC_HAND = "#32649";
const char* const IDC_APPSTARTING = "#32650";
const char* const IDC_HELP = "#32651";
const char* const IDI_APPLICATION = "#32512";

std::string MAKEINTRESOURCE(int id) {
    return "#" + std::to_string(id);
}

namespace {

// Pixels of a piece of artwork as a bitmap handle (24 bits).
HBITMAP BitmapFromArt(const lumora_art::Picture& p) {
    HBITMAP b = CreateBitmap(p.width, p.height, 1, 24, nullptr);
    BitmapOf(b)->dib = true;  // loaded from a resource, as a device-independent bitmap
    const Surface s = BitmapOf(b)->surface();
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            WritePixel(s, x, y, p.pixels[size_t(y) * size_t(p.width) + size_t(x)] & 0xFFFFFF);
    return b;
}

// An icon or cursor from artwork whose pixels carry alpha (0xAARRGGBB).
HICON IconFromArt(const lumora_art::Picture& p, bool isIcon, int hotX, int hotY) {
    auto* ic = new HICON__;
    ic->isIcon = isIcon;
    ic->hotX = hotX;
    ic->hotY = hotY;
    QImage img(p.width, p.height, QImage::Format_ARGB32);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            reinterpret_cast<uint32_t*>(img.scanLine(y))[x] = p.pixels[size_t(y) * size_t(p.width) + size_t(x)];
    ic->image = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ic->hasAlpha = true;
    return ic;
}

HICON StandardCursor(Qt::CursorShape shape) {
    auto* ic = new HICON__;
    ic->isIcon = false;
    ic->standardShape = int(shape) + 1;
    // A small stand-in picture so the handle can also be drawn.
    QImage img(32, 32, QImage::Format_ARGB32_Premultiplied);
    img.fill(0);
    ic->image = img;
    ic->hasAlpha = true;
    return ic;
}

struct StdCursor {
    const char* id;
    Qt::CursorShape shape;
};

const StdCursor kStdCursors[] = {
    {"#32512", Qt::ArrowCursor}, {"#32513", Qt::IBeamCursor}, {"#32514", Qt::WaitCursor},
    {"#32515", Qt::CrossCursor}, {"#32516", Qt::UpArrowCursor}, {"#32642", Qt::SizeFDiagCursor},
    {"#32643", Qt::SizeBDiagCursor}, {"#32644", Qt::SizeHorCursor}, {"#32645", Qt::SizeVerCursor},
    {"#32646", Qt::SizeAllCursor}, {"#32648", Qt::ForbiddenCursor}, {"#32649", Qt::PointingHandCursor},
    {"#32650", Qt::BusyCursor}, {"#32651", Qt::WhatsThisCursor},
};

struct TableEntry {
    TCursor id;
    Qt::CursorShape shape;
};

const TableEntry kStdTable[] = {
    {crDefault, Qt::ArrowCursor}, {crNone, Qt::BlankCursor}, {crArrow, Qt::ArrowCursor},
    {crCross, Qt::CrossCursor}, {crIBeam, Qt::IBeamCursor}, {crSizeNESW, Qt::SizeBDiagCursor},
    {crSizeNS, Qt::SizeVerCursor}, {crSizeNWSE, Qt::SizeFDiagCursor}, {crSizeWE, Qt::SizeHorCursor},
    {crUpArrow, Qt::UpArrowCursor}, {crHourGlass, Qt::WaitCursor}, {crDrag, Qt::DragCopyCursor},
    {crNoDrop, Qt::ForbiddenCursor}, {crHSplit, Qt::SplitHCursor}, {crVSplit, Qt::SplitVCursor},
    {crMultiDrag, Qt::DragCopyCursor}, {crSQLWait, Qt::BusyCursor}, {crNo, Qt::ForbiddenCursor},
    {crAppStart, Qt::BusyCursor}, {crHelp, Qt::WhatsThisCursor}, {crHandPoint, Qt::PointingHandCursor},
    {crSizeAll, Qt::SizeAllCursor},
};

struct CursorTable {
    std::mutex m;
    std::map<TCursor, HCURSOR> entries;
    CursorTable() {
        for (const TableEntry& e : kStdTable) entries[e.id] = StandardCursor(e.shape);
    }
};

CursorTable& Cursors() {
    static CursorTable* t = new CursorTable;
    return *t;
}

// The system's check-box bitmap: four columns (unchecked, checked, pushed, pushed and checked)
// in three rows (check box, radio button, three-state box) of 13 x 13 pixels.
HBITMAP CheckBoxesBitmap() {
    HBITMAP b = CreateBitmap(52, 39, 1, 24, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, b);
    TRect all(0, 0, 52, 39);
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    const UINT kinds[3] = {DFCS_BUTTONCHECK, DFCS_BUTTONRADIO, DFCS_BUTTON3STATE};
    const UINT states[4] = {0, DFCS_CHECKED, DFCS_PUSHED, DFCS_PUSHED | DFCS_CHECKED};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col) {
            TRect r(col * 13, row * 13, col * 13 + 13, row * 13 + 13);
            DrawFrameControl(dc, &r, DFC_BUTTON, kinds[row] | states[col]);
        }
    SelectObject(dc, old);
    DeleteDC(dc);
    return b;
}

}  // namespace

HBITMAP LoadBitmap(HINSTANCE instance, const std::string& name) {
    if (!instance) {
        if (name == MAKEINTRESOURCE(OBM_CHECKBOXES)) return CheckBoxesBitmap();
        return nullptr;
    }
    const lumora_art::Picture* p = lumora_art::FindBitmap(name);
    return p ? BitmapFromArt(*p) : nullptr;
}

bool LoadBitmapResource(const std::string& name, TBitmap* bitmap) {
    if (!bitmap) return false;
    HBITMAP b = LoadBitmap(HInstance, name);
    if (!b) return false;
    bitmap->SetHandle(b);
    return true;
}

HCURSOR LoadCursor(HINSTANCE instance, const std::string& name) {
    if (!instance) {
        // The system's cursors are shared: one handle each, never destroyed.
        static std::mutex m;
        static auto* shared = new std::map<std::string, HCURSOR>;
        std::lock_guard<std::mutex> lock(m);
        auto it = shared->find(name);
        if (it != shared->end()) return it->second;
        for (const StdCursor& c : kStdCursors)
            if (name == c.id) {
                HCURSOR h = StandardCursor(c.shape);
                static_cast<HICON__*>(FromHandle(h))->stock = true;
                return (*shared)[name] = h;
            }
        return nullptr;
    }
    const lumora_art::Cursor* c = lumora_art::FindCursor(name);
    return c ? IconFromArt(c->picture, false, c->hotX, c->hotY) : nullptr;
}

HICON LoadIcon(HINSTANCE instance, const std::string& name) {
    const lumora_art::Picture* p = lumora_art::FindIcon(instance ? name : std::string("MAINICON"));
    return p ? IconFromArt(*p, true, p->width / 2, p->height / 2) : nullptr;
}

std::string LoadStr(Integer Ident) {
    const char* s = lumora_art::FindString(Ident);
    return s ? s : std::string();
}

int LoadString(HINSTANCE, UINT id, char* buffer, int size) {
    const char* s = lumora_art::FindString(Integer(id));
    if (!s || !buffer || size <= 0) return 0;
    const int n = std::min(int(std::strlen(s)), size - 1);
    std::memcpy(buffer, s, size_t(n));
    buffer[n] = 0;
    return n;
}

HCURSOR GetCursorTableEntry(TCursor id) {
    CursorTable& t = Cursors();
    std::lock_guard<std::mutex> lock(t.m);
    auto it = t.entries.find(id);
    if (it == t.entries.end()) it = t.entries.find(crDefault);
    return it == t.entries.end() ? nullptr : it->second;
}

void SetCursorTableEntry(TCursor id, HCURSOR cursor) {
    CursorTable& t = Cursors();
    std::lock_guard<std::mutex> lock(t.m);
    auto it = t.entries.find(id);
    HCURSOR old = it == t.entries.end() ? nullptr : it->second;
    if (old == cursor) return;
    if (cursor) {
        t.entries[id] = cursor;
    } else {
        bool standard = false;
        for (const TableEntry& e : kStdTable) standard = standard || e.id == id;
        if (standard) return;
        t.entries.erase(id);
    }
    if (old) DestroyCursor(old);
}

bool CursorTableHas(TCursor id) {
    CursorTable& t = Cursors();
    std::lock_guard<std::mutex> lock(t.m);
    return t.entries.count(id) != 0;
}

QCursor lumora_gdi::ToQCursor(HCURSOR cursor) {
    HICON__* ic = IconOf(cursor);
    if (!ic) return QCursor(Qt::ArrowCursor);
    if (ic->standardShape) return QCursor(Qt::CursorShape(ic->standardShape - 1));
    EnsureBackend();
    return QCursor(QPixmap::fromImage(ic->image), ic->hotX, ic->hotY);
}
