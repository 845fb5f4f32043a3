#include "app/toolbar_art.h"

#include <functional>
#include <map>
#include <vector>

#include "framework/graphics.h"

namespace {

constexpr TColor Mask = TColor(0x00FF00FF);
constexpr TColor Ink = TColor(0x00202020);
constexpr TColor Blue = TColor(0x00C06000);
constexpr TColor Green = TColor(0x00208020);
constexpr TColor Red = TColor(0x002020C0);
constexpr TColor Paper = TColor(0x00F0F0F0);
constexpr TColor Gold = TColor(0x0000B0E0);
constexpr TColor Grey = TColor(0x00808080);

// The few strokes every glyph is made of.
struct TGlyphPen {
    TCanvas* C;
    void Colour(TColor Line, TColor Fill) {
        C->GetPen()->SetColor(Line);
        C->GetBrush()->SetStyle(bsSolid);
        C->GetBrush()->SetColor(Fill);
    }
    void Line(Integer X1, Integer Y1, Integer X2, Integer Y2) {
        C->MoveTo(X1, Y1);
        C->LineTo(X2, Y2);
        C->SetPixels(X2, Y2, C->GetPen()->GetColor());
    }
    void Box(Integer X1, Integer Y1, Integer X2, Integer Y2) { C->Rectangle(X1, Y1, X2, Y2); }
    void Round(Integer X1, Integer Y1, Integer X2, Integer Y2) { C->Ellipse(X1, Y1, X2, Y2); }
    void Shape(std::vector<TPoint> Points) { C->Polygon(Points); }
    // A triangle pointing left (Dir -1) or right (1) with its point at X.
    void Triangle(Integer X, Integer Dir, TColor Fill) {
        Colour(Ink, Fill);
        Shape({{X, 8}, {X - 6 * Dir, 2}, {X - 6 * Dir, 14}});
    }
    // A page with lines of text.
    void Page(Integer X, Integer Y, Integer W, Integer H) {
        Colour(Ink, Paper);
        Box(X, Y, X + W, Y + H);
        C->GetPen()->SetColor(Grey);
        for (Integer y = Y + 3; y < Y + H - 2; y += 2) Line(X + 2, y, X + W - 3, y);
    }
    // A magnifying glass with a sign (0 none, -1 minus, 1 plus).
    void Lens(Integer Sign) {
        Colour(Ink, Paper);
        Round(1, 1, 11, 11);
        C->GetPen()->SetColor(Ink);
        for (int i = 0; i < 2; ++i) Line(9 + i, 10, 14 + i, 15);
        if (Sign != 0) Line(3, 5, 8, 5);
        if (Sign > 0) Line(5, 3, 5, 8);
    }
    // A bent arrow turning left (-1) or right (1).
    void Turn(Integer Dir) {
        Colour(Blue, Blue);
        C->GetBrush()->SetStyle(bsClear);
        if (Dir < 0) {
            C->Arc(2, 3, 14, 15, 13, 9, 3, 9);
            Shape({{0, 8}, {6, 8}, {3, 12}});
        } else {
            C->Arc(2, 3, 14, 15, 13, 9, 3, 9);
            Shape({{10, 8}, {16, 8}, {13, 12}});
        }
    }
    // Scissors, two sheets and a clipboard, and an undo arrow.
    void Scissors() {
        Colour(Ink, Paper);
        Line(4, 1, 10, 10);
        Line(11, 1, 5, 10);
        Colour(Red, Paper);
        Round(1, 9, 7, 15);
        Round(9, 9, 15, 15);
    }
    void Sheets() {
        Page(1, 1, 9, 11);
        Page(6, 4, 9, 11);
    }
    void Clipboard() {
        Colour(Ink, Gold);
        Box(2, 2, 14, 15);
        Colour(Ink, Grey);
        Box(5, 1, 11, 4);
        Page(5, 6, 7, 8);
    }
    void Undo() {
        Colour(Blue, Blue);
        C->GetBrush()->SetStyle(bsClear);
        C->Arc(3, 4, 15, 14, 9, 14, 3, 7);
        Shape({{1, 5}, {6, 3}, {6, 9}});
    }
    void Dashed(Integer X1, Integer Y1, Integer X2, Integer Y2) {
        for (Integer x = X1; x <= X2; x += 2) {
            C->SetPixels(x, Y1, Ink);
            C->SetPixels(x, Y2, Ink);
        }
        for (Integer y = Y1; y <= Y2; y += 2) {
            C->SetPixels(X1, y, Ink);
            C->SetPixels(X2, y, Ink);
        }
    }
    void Dice() {
        Colour(Ink, Paper);
        Box(2, 2, 14, 14);
        Colour(Red, Red);
        for (TPoint p : {TPoint{5, 5}, TPoint{8, 8}, TPoint{11, 11}}) Box(p.X - 1, p.Y - 1, p.X + 1, p.Y + 1);
    }
    void Loop() {
        Colour(Green, Green);
        C->GetBrush()->SetStyle(bsClear);
        C->Arc(2, 3, 14, 14, 3, 6, 13, 6);
        Shape({{11, 2}, {15, 6}, {10, 7}});
    }
};

using TDraw = std::function<void(TGlyphPen&)>;

const std::map<std::string, TDraw>& Glyphs() {
    static const std::map<std::string, TDraw> glyphs = {
        {"btnFirstFile",
         [](TGlyphPen& p) {
             p.Colour(Ink, Ink);
             p.Box(2, 2, 4, 14);
             p.Triangle(4, -1, Blue);
         }},
        {"btnPreviousFile", [](TGlyphPen& p) { p.Triangle(4, -1, Blue); }},
        {"btnNextFile", [](TGlyphPen& p) { p.Triangle(11, 1, Blue); }},
        {"btnLastFile",
         [](TGlyphPen& p) {
             p.Triangle(11, 1, Blue);
             p.Colour(Ink, Ink);
             p.Box(12, 2, 14, 14);
         }},
        {"btnRandomFile", [](TGlyphPen& p) { p.Dice(); }},
        {"btnShowSlideshow",
         [](TGlyphPen& p) {
             p.Colour(Ink, Paper);
             p.Box(1, 2, 15, 14);
             p.Triangle(11, 1, Green);
         }},
        {"btnMultishow",
         [](TGlyphPen& p) {
             p.Colour(Ink, Blue);
             for (Integer x : {1, 9})
                 for (Integer y : {1, 9}) p.Box(x, y, x + 6, y + 6);
         }},
        {"btnthumb",
         [](TGlyphPen& p) {
             p.Colour(Ink, Paper);
             for (Integer x : {1, 9})
                 for (Integer y : {1, 9}) p.Box(x, y, x + 6, y + 6);
             p.Colour(Green, Green);
             p.Box(3, 3, 5, 5);
         }},
        {"btnzoomout", [](TGlyphPen& p) { p.Lens(-1); }},
        {"btnzoomin", [](TGlyphPen& p) { p.Lens(1); }},
        {"btnZoomSelect",
         [](TGlyphPen& p) {
             p.Dashed(0, 0, 15, 15);
             p.Lens(0);
         }},
        {"btnFullScreenDisplay",
         [](TGlyphPen& p) {
             p.Colour(Ink, Blue);
             p.Box(1, 1, 15, 15);
             p.Colour(Paper, Paper);
             p.Line(4, 4, 11, 11);
             p.Line(11, 4, 4, 11);
         }},
        {"btnnewwin",
         [](TGlyphPen& p) {
             p.Colour(Ink, Paper);
             p.Box(1, 1, 11, 9);
             p.Colour(Ink, Blue);
             p.Box(5, 6, 15, 14);
         }},
        {"btnstop",
         [](TGlyphPen& p) {
             p.Colour(Red, Red);
             p.Round(1, 1, 15, 15);
             p.Colour(Paper, Paper);
             p.Line(5, 5, 10, 10);
             p.Line(10, 5, 5, 10);
         }},
        {"btnSave",
         [](TGlyphPen& p) {
             p.Colour(Ink, Blue);
             p.Box(1, 1, 15, 15);
             p.Colour(Ink, Paper);
             p.Box(4, 1, 12, 7);
             p.Colour(Ink, Grey);
             p.Box(5, 10, 11, 15);
         }},
        {"btnRename",
         [](TGlyphPen& p) {
             p.Colour(Ink, Paper);
             p.Box(1, 4, 15, 12);
             p.Line(9, 2, 9, 13);
             p.Line(7, 2, 11, 2);
             p.Line(7, 13, 11, 13);
         }},
        {"btnMove",
         [](TGlyphPen& p) {
             p.Colour(Ink, Gold);
             p.Box(6, 5, 16, 14);
             p.Colour(Green, Green);
             p.Shape({{0, 7}, {6, 7}, {6, 4}, {10, 9}, {6, 14}, {6, 11}, {0, 11}});
         }},
        {"btnDelete",
         [](TGlyphPen& p) {
             p.Colour(Red, Red);
             for (int i = 0; i < 3; ++i) {
                 p.Line(2 + i, 2, 13 + i, 13);
                 p.Line(13 + i, 2, 2 + i, 13);
             }
         }},
        {"btnbookmark",
         [](TGlyphPen& p) {
             p.Colour(Ink, Red);
             p.Shape({{4, 1}, {12, 1}, {12, 15}, {8, 11}, {4, 15}});
         }},
        {"btnFileInfo",
         [](TGlyphPen& p) {
             p.Colour(Blue, Blue);
             p.Round(1, 1, 15, 15);
             p.Colour(Paper, Paper);
             p.Box(7, 3, 9, 5);
             p.Box(7, 7, 9, 13);
         }},
        {"btnprint",
         [](TGlyphPen& p) {
             p.Page(4, 1, 8, 7);
             p.Colour(Ink, Grey);
             p.Box(1, 7, 15, 13);
             p.Page(4, 11, 8, 5);
         }},
        {"btnEdit",
         [](TGlyphPen& p) {
             p.Page(1, 1, 10, 14);
             p.Colour(Ink, Gold);
             p.Shape({{14, 4}, {15, 5}, {8, 12}, {6, 13}, {7, 11}});
         }},
        {"btngettingstarted",
         [](TGlyphPen& p) {
             p.Colour(Ink, Gold);
             p.Shape({{8, 1}, {10, 6}, {15, 6}, {11, 9}, {13, 15}, {8, 11}, {3, 15}, {5, 9}, {1, 6}, {6, 6}});
         }},
        {"btnHelp",
         [](TGlyphPen& p) {
             p.Colour(Blue, Blue);
             p.Round(1, 1, 15, 15);
             p.Colour(Paper, Paper);
             p.Line(5, 5, 7, 3);
             p.Line(7, 3, 10, 4);
             p.Line(10, 4, 10, 7);
             p.Line(10, 7, 8, 9);
             p.Box(7, 11, 9, 13);
         }},
        {"btnclose",
         [](TGlyphPen& p) {
             p.Colour(Ink, Gold);
             p.Box(3, 1, 13, 15);
             p.Colour(Ink, Grey);
             p.Shape({{3, 1}, {9, 3}, {9, 15}, {3, 15}});
         }},
        {"btnSelectRect", [](TGlyphPen& p) { p.Dashed(1, 3, 14, 12); }},
        {"btnSelectPolygon",
         [](TGlyphPen& p) {
             p.Colour(Ink, Paper);
             p.C->GetBrush()->SetStyle(bsClear);
             p.Shape({{2, 6}, {8, 1}, {14, 5}, {12, 14}, {4, 12}});
         }},
        {"btnSelectOval",
         [](TGlyphPen& p) {
             p.Colour(Ink, Paper);
             p.C->GetBrush()->SetStyle(bsClear);
             p.Round(1, 3, 15, 13);
         }},
        {"btnImageDragger",
         [](TGlyphPen& p) {
             p.Colour(Ink, Ink);
             p.Line(8, 1, 8, 14);
             p.Line(1, 8, 14, 8);
             p.Shape({{8, 0}, {5, 3}, {11, 3}});
             p.Shape({{8, 15}, {5, 12}, {11, 12}});
             p.Shape({{0, 8}, {3, 5}, {3, 11}});
             p.Shape({{15, 8}, {12, 5}, {12, 11}});
         }},
        {"btnMagicSelect",
         [](TGlyphPen& p) {
             p.Colour(Ink, Ink);
             for (int i = 0; i < 2; ++i) p.Line(2 + i, 14, 10 + i, 6);
             p.Colour(Gold, Gold);
             p.Shape({{12, 1}, {13, 3}, {15, 4}, {13, 5}, {12, 7}, {11, 5}, {9, 4}, {11, 3}});
         }},
        {"btnImageCut", [](TGlyphPen& p) { p.Scissors(); }},
        {"btnTextCut", [](TGlyphPen& p) { p.Scissors(); }},
        {"btnImageCopy", [](TGlyphPen& p) { p.Sheets(); }},
        {"btnTextCopy", [](TGlyphPen& p) { p.Sheets(); }},
        {"btnImagePaste", [](TGlyphPen& p) { p.Clipboard(); }},
        {"btnTextPaste", [](TGlyphPen& p) { p.Clipboard(); }},
        {"btnImageUndo", [](TGlyphPen& p) { p.Undo(); }},
        {"btnTextUndo", [](TGlyphPen& p) { p.Undo(); }},
        {"btnRotateLeft", [](TGlyphPen& p) { p.Turn(-1); }},
        {"btnRotateRight", [](TGlyphPen& p) { p.Turn(1); }},
        {"btnFreeRotate",
         [](TGlyphPen& p) {
             p.Turn(-1);
             p.Turn(1);
         }},
        {"btnCrop",
         [](TGlyphPen& p) {
             p.Colour(Ink, Ink);
             p.Line(4, 0, 4, 11);
             p.Line(4, 11, 15, 11);
             p.Line(0, 4, 11, 4);
             p.Line(11, 4, 11, 15);
         }},
        {"btnResize",
         [](TGlyphPen& p) {
             p.Colour(Ink, Paper);
             p.Box(1, 6, 10, 15);
             p.Colour(Blue, Blue);
             p.Line(7, 8, 14, 1);
             p.Shape({{15, 0}, {10, 1}, {14, 5}});
         }},
        {"btnSSLoop", [](TGlyphPen& p) { p.Loop(); }},
        {"btnMMLoop", [](TGlyphPen& p) { p.Loop(); }},
        {"btnSSForward",
         [](TGlyphPen& p) {
             p.Colour(Green, Green);
             p.Shape({{1, 6}, {9, 6}, {9, 2}, {15, 8}, {9, 14}, {9, 10}, {1, 10}});
         }},
        {"btnSSBackward",
         [](TGlyphPen& p) {
             p.Colour(Green, Green);
             p.Shape({{15, 6}, {7, 6}, {7, 2}, {1, 8}, {7, 14}, {7, 10}, {15, 10}});
         }},
        {"btnSSRandom", [](TGlyphPen& p) { p.Dice(); }},
        {"btnMMPlay", [](TGlyphPen& p) { p.Triangle(12, 1, Green); }},
        {"btnMMStop",
         [](TGlyphPen& p) {
             p.Colour(Ink, Ink);
             p.Box(3, 3, 13, 13);
         }},
        {"btnMMPause",
         [](TGlyphPen& p) {
             p.Colour(Ink, Ink);
             p.Box(3, 2, 7, 14);
             p.Box(9, 2, 13, 14);
         }},
        {"btnMMRewind",
         [](TGlyphPen& p) {
             p.Triangle(1, -1, Ink);
             p.Triangle(8, -1, Ink);
         }},
        {"btnMMFF",
         [](TGlyphPen& p) {
             p.Triangle(8, 1, Ink);
             p.Triangle(15, 1, Ink);
         }},
        {"btnMixer",
         [](TGlyphPen& p) {
             p.Colour(Ink, Ink);
             for (Integer x : {3, 8, 13}) p.Line(x, 1, x, 14);
             p.Colour(Ink, Blue);
             p.Box(1, 9, 6, 12);
             p.Box(6, 3, 11, 6);
             p.Box(11, 7, 16, 10);
         }},
        {"btnMute",
         [](TGlyphPen& p) {
             p.Colour(Ink, Grey);
             p.Shape({{1, 5}, {4, 5}, {8, 1}, {8, 15}, {4, 11}, {1, 11}});
             p.Colour(Red, Red);
             p.Line(10, 5, 15, 10);
             p.Line(15, 5, 10, 10);
         }},
        {"btnWrapText",
         [](TGlyphPen& p) {
             p.Colour(Ink, Ink);
             p.Line(1, 3, 14, 3);
             p.Line(14, 3, 14, 8);
             p.Line(14, 8, 5, 8);
             p.Shape({{3, 8}, {6, 5}, {6, 11}});
             p.Line(1, 13, 9, 13);
         }},
        {"btnGridGrouper",
         [](TGlyphPen& p) {
             p.Colour(Ink, Blue);
             p.Box(1, 1, 9, 5);
             p.Colour(Ink, Ink);
             p.Line(3, 5, 3, 12);
             p.Line(3, 8, 7, 8);
             p.Line(3, 12, 7, 12);
             p.Colour(Ink, Paper);
             p.Box(7, 6, 15, 10);
             p.Box(7, 10, 15, 14);
         }},
        {"btnGridColumnSelector",
         [](TGlyphPen& p) {
             p.Colour(Ink, Paper);
             for (Integer x : {1, 6, 11}) p.Box(x, 2, x + 5, 14);
             p.Colour(Ink, Blue);
             p.Box(6, 2, 11, 5);
         }},
        {"btnGridColumnWidth",
         [](TGlyphPen& p) {
             p.Colour(Ink, Ink);
             p.Line(1, 1, 1, 14);
             p.Line(14, 1, 14, 14);
             p.Line(3, 8, 12, 8);
             p.Shape({{3, 8}, {6, 5}, {6, 11}});
             p.Shape({{12, 8}, {9, 5}, {9, 11}});
         }},
        {"btnGridPreview",
         [](TGlyphPen& p) {
             p.Colour(Ink, Paper);
             p.Box(1, 1, 15, 6);
             p.Page(1, 6, 14, 9);
         }},
        {"btnGridCollapseAll",
         [](TGlyphPen& p) {
             p.Colour(Ink, Paper);
             p.Box(3, 3, 13, 13);
             p.Line(5, 8, 11, 8);
         }},
        {"btnGridExpandAll",
         [](TGlyphPen& p) {
             p.Colour(Ink, Paper);
             p.Box(3, 3, 13, 13);
             p.Line(5, 8, 11, 8);
             p.Line(8, 5, 8, 11);
         }},
        {"btnGridSelectAll",
         [](TGlyphPen& p) {
             p.Colour(Ink, Blue);
             for (Integer y : {2, 7, 12}) p.Box(1, y, 15, y + 4);
         }},
        {"btnSorting",
         [](TGlyphPen& p) {
             p.Colour(Ink, Blue);
             for (Integer i = 0; i < 4; ++i) p.Box(1, 1 + i * 4, 5 + i * 3, 4 + i * 4);
             p.Colour(Ink, Ink);
             p.Line(14, 1, 14, 13);
             p.Shape({{14, 15}, {11, 11}, {16, 11}});
         }},
    };
    return glyphs;
}

}  // namespace

bool DrawToolbarGlyph(const std::string& ButtonName, TBitmap& Glyph) {
    auto it = Glyphs().find(ButtonName);
    if (it == Glyphs().end()) return false;
    Glyph.SetPixelFormat(pf24bit);
    Glyph.SetSize(16, 16);
    TCanvas* c = Glyph.GetCanvas();
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(Mask);
    c->FillRect(TRect{0, 0, 16, 16});
    c->GetPen()->SetWidth(1);
    TGlyphPen pen{c};
    it->second(pen);
    // The transparent colour is read from the bottom-left pixel.
    c->SetPixels(0, 15, Mask);
    return true;
}
