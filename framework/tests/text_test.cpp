// Fonts and text: metrics, TextOut backgrounds, DrawText wrapping, alignment, tabs, prefixes and
// ellipses (measured against the font, not compared pixel by pixel).

#include <gtest/gtest.h>

#include <string>

#include "framework/graphics.h"
#include "framework/tests/graphics_fixture.h"

namespace {

using lumora_test::Ink;
using lumora_test::Px;

class TextTest : public lumora_test::GraphicsTest {
protected:
    // First and one past the last column whose pixels pass the test; (-1, -1) for none.
    template <class F>
    static std::pair<int, int> Columns(TBitmap* b, F&& test) {
        int first = -1, last = -1;
        for (int x = 0; x < b->GetWidth(); ++x)
            for (int y = 0; y < b->GetHeight(); ++y)
                if (test(Px(b, x, y))) {
                    if (first < 0) first = x;
                    last = x;
                }
        return {first, last < 0 ? -1 : last + 1};
    }
    // Columns holding the colour.
    static std::pair<int, int> InkColumns(TBitmap* b, TColor color) {
        return Columns(b, [&](TColor c) { return c == color; });
    }
    // Columns holding pixels of neither background colour (antialiased text included).
    static std::pair<int, int> TextColumns(TBitmap* b, TColor bg1, TColor bg2 = clWhite) {
        return Columns(b, [&](TColor c) { return c != bg1 && c != bg2; });
    }
    static std::pair<int, int> InkRows(TBitmap* b, TColor color) {
        int first = -1, last = -1;
        for (int y = 0; y < b->GetHeight(); ++y)
            for (int x = 0; x < b->GetWidth(); ++x)
                if (Px(b, x, y) == color) {
                    if (first < 0) first = y;
                    last = y;
                }
        return {first, last < 0 ? -1 : last + 1};
    }
};

TEST_F(TextTest, FontSizeAndHeightFollowThePixelsPerInch) {
    TFont f;
    EXPECT_EQ(f.GetName(), "MS Sans Serif");
    EXPECT_EQ(f.GetSize(), 8);
    EXPECT_EQ(f.GetHeight(), -11);
    f.SetSize(12);
    EXPECT_EQ(f.GetHeight(), -16);
    f.SetHeight(-13);
    EXPECT_EQ(f.GetSize(), 10);
    int changes = 0;
    f.OnChange = [&](TObject*) { ++changes; };
    f.SetStyle({fsBold, fsUnderline});
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(f.GetStyle().Contains(fsBold));
    EXPECT_FALSE(f.GetStyle().Contains(fsItalic));
    TFont g;
    g.Assign(&f);
    EXPECT_EQ(g.GetHeight(), -13);
    EXPECT_EQ(g.GetStyle(), f.GetStyle());
}

TEST_F(TextTest, TextHeightIsTheCellHeightAndMatchesTheMetrics) {
    TBitmap* b = Bitmap(10, 10);
    TCanvas* c = b->GetCanvas();
    TEXTMETRIC tm;
    GetTextMetrics(c->GetHandle(), &tm);
    EXPECT_EQ(c->TextHeight("Wg"), tm.tmAscent + tm.tmDescent);
    EXPECT_EQ(c->TextHeight(""), tm.tmHeight);
    EXPECT_EQ(tm.tmOverhang, 0);
    EXPECT_GT(c->TextWidth("WWW"), c->TextWidth("iii"));
    EXPECT_EQ(c->TextWidth(""), 0);
    const TSize e = c->TextExtent("Hello");
    EXPECT_EQ(e.cx, c->TextWidth("Hello"));
    c->GetFont()->SetSize(20);
    EXPECT_GT(c->TextHeight("Wg"), tm.tmHeight);
}

TEST_F(TextTest, WindowsFontNamesUseInstalledFonts) {
    // Measured through the substitutes: the fixed-pitch names give equal character widths.
    TBitmap* b = Bitmap(10, 10);
    TCanvas* c = b->GetCanvas();
    c->GetFont()->SetName("Courier New");
    EXPECT_EQ(c->TextWidth("iiii"), c->TextWidth("WWWW"));
    c->GetFont()->SetName("Arial");
    EXPECT_LT(c->TextWidth("iiii"), c->TextWidth("WWWW"));
    c->GetFont()->SetName("No Such Font At All");
    EXPECT_GT(c->TextWidth("x"), 0);
}

TEST_F(TextTest, TextOutFillsTheCellUnlessTheBrushIsClear) {
    TBitmap* b = Bitmap(60, 20);
    TCanvas* c = b->GetCanvas();
    c->GetBrush()->SetColor(clYellow);
    c->GetFont()->SetColor(clBlack);
    c->TextOut(2, 1, "Ab");
    const int w = c->TextWidth("Ab"), h = c->TextHeight("Ab");
    EXPECT_EQ(InkColumns(b, clYellow), std::make_pair(2, 2 + w));
    EXPECT_EQ(InkRows(b, clYellow), std::make_pair(1, 1 + h));
    EXPECT_EQ(c->GetPenPos(), Point(2 + w, 1));

    TBitmap* t = Bitmap(60, 20);
    t->GetCanvas()->GetBrush()->SetStyle(bsClear);
    t->GetCanvas()->TextOut(2, 1, "Ab");
    EXPECT_EQ(InkColumns(t, clYellow).first, -1);
    EXPECT_NE(InkColumns(t, clBlack).first, -1);
}

TEST_F(TextTest, TextRectClipsToTheRectangle) {
    TBitmap* b = Bitmap(60, 20);
    TCanvas* c = b->GetCanvas();
    c->GetBrush()->SetColor(clAqua);
    c->TextRect(Rect(10, 2, 20, 18), 0, 2, "WWWWWWWW");
    const auto ink = TextColumns(b, clAqua);
    EXPECT_GE(ink.first, 10);
    EXPECT_LE(ink.second, 20);
    EXPECT_EQ(InkColumns(b, clAqua), std::make_pair(10, 20));
}

TEST_F(TextTest, RotatedTextRunsUpwards) {
    TBitmap* b = Bitmap(40, 80);
    TCanvas* c = b->GetCanvas();
    LOGFONT lf = c->GetFont()->GetLogFont();
    lf.lfEscapement = 900;
    HFONT rotated = CreateFontIndirect(&lf);
    c->GetFont()->SetHandle(rotated);
    DeleteObject(rotated);
    c->GetBrush()->SetStyle(bsClear);
    c->TextOut(5, 70, "WWWWW");
    const auto rows = InkRows(b, clBlack), cols = InkColumns(b, clBlack);
    EXPECT_GT(rows.second - rows.first, cols.second - cols.first);  // taller than wide
    EXPECT_LE(rows.second, 71);                                     // it runs up from the start point
}

class DrawTextTest : public TextTest {
protected:
    void SetUp() override {
        TextTest::SetUp();
        b = Bitmap(200, 100);
        c = b->GetCanvas();
        dc = c->GetHandle();
        line = c->TextHeight("Wg");
    }
    int Width(const std::string& s) { return c->TextWidth(s); }
    TBitmap* b = nullptr;
    TCanvas* c = nullptr;
    HDC dc = nullptr;
    int line = 0;
};

TEST_F(DrawTextTest, CalcRectMeasuresSingleAndWrappedText) {
    TRect r(10, 10, 10, 10);
    EXPECT_EQ(DrawText(dc, "Hello world", &r, DT_CALCRECT | DT_SINGLELINE), line);
    EXPECT_EQ(r, Rect(10, 10, 10 + Width("Hello world"), 10 + line));

    // Room for two of the three words on a line: two lines, as wide as the wider.
    const int room = Width("alpha beta") + 2;
    r = Rect(0, 0, room, 0);
    EXPECT_EQ(DrawText(dc, "alpha beta gamma", &r, DT_CALCRECT | DT_WORDBREAK), 2 * line);
    EXPECT_EQ(r.Right, Width("alpha beta"));
    EXPECT_EQ(r.Bottom, 2 * line);

    // A word wider than the line keeps a line of its own.
    r = Rect(0, 0, Width("ab"), 0);
    EXPECT_EQ(DrawText(dc, "abcdefgh ab", &r, DT_CALCRECT | DT_WORDBREAK), 2 * line);
    EXPECT_EQ(r.Right, Width("abcdefgh"));

    // Line breaks in the text start new lines; an empty text has no height.
    r = Rect(0, 0, 100, 0);
    EXPECT_EQ(DrawText(dc, "one\r\ntwo\nthree", &r, DT_CALCRECT), 3 * line);
    r = Rect(0, 0, 100, 0);
    EXPECT_EQ(DrawText(dc, "", &r, DT_CALCRECT), 0);
    EXPECT_EQ(r, Rect(0, 0, 0, 0));
}

TEST_F(DrawTextTest, EndEllipsisShortensToTheWidth) {
    const std::string text = "The quick brown fox jumps";
    const int room = Width("The quick") + 1;
    TRect r(0, 0, room, 0);
    DrawText(dc, text, &r, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_LE(r.Width(), room);
    EXPECT_GT(r.Width(), Width("..."));
    // The visible part is the longest start of the text that fits together with the dots.
    std::string shown = text;
    while (!shown.empty() && Width(shown + "...") > room) shown.pop_back();
    EXPECT_EQ(r.Width(), Width(shown + "..."));
    // Text that fits is left alone.
    r = Rect(0, 0, 500, 0);
    DrawText(dc, text, &r, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(r.Width(), Width(text));
}

TEST_F(DrawTextTest, PathEllipsisKeepsTheLastPart) {
    const std::string path = "/home/someone/pictures/holiday/beach.jpg";
    const int room = Width(".../beach.jpg") + Width("/ho");
    TRect r(0, 0, room, 0);
    DrawText(dc, path, &r, DT_CALCRECT | DT_SINGLELINE | DT_PATH_ELLIPSIS);
    EXPECT_LE(r.Width(), room);
    EXPECT_GE(r.Width(), Width(".../beach.jpg"));
}

TEST_F(DrawTextTest, TabsExpandToStopsOfEightAverageCharacters) {
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    const int stop = 8 * tm.tmAveCharWidth;
    TRect r(0, 0, 0, 0);
    DrawText(dc, "a\tb", &r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
    EXPECT_EQ(r.Width(), stop + Width("b"));
    // DT_TABSTOP takes the characters per stop from bits 8 to 15 (so it cannot measure).
    SetBkMode(dc, TRANSPARENT);
    r = Rect(0, 0, 200, 30);
    DrawText(dc, "\tI", &r, DT_SINGLELINE | DT_EXPANDTABS | DT_TABSTOP | (3 << 8));
    EXPECT_NEAR(TextColumns(b, clWhite).first, 3 * tm.tmAveCharWidth, 2);
}

TEST_F(DrawTextTest, PrefixesAreRemovedUnlessNoPrefix) {
    TRect r(0, 0, 0, 0);
    DrawText(dc, "&File && more", &r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(r.Width(), Width("File & more"));
    r = Rect(0, 0, 0, 0);
    DrawText(dc, "&File", &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(r.Width(), Width("&File"));
}

TEST_F(DrawTextTest, AlignmentAndVerticalCentring) {
    c->GetBrush()->SetStyle(bsClear);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 0, 0));
    const int w = Width("Mmm");
    TRect r(0, 0, 200, 100);
    const int result = DrawText(dc, "Mmm", &r, DT_SINGLELINE | DT_RIGHT | DT_VCENTER);
    const int top = (100 - line) / 2;
    EXPECT_EQ(result, top + line);
    const auto cols = TextColumns(b, clWhite);
    EXPECT_GE(cols.first, 200 - w - 1);
    EXPECT_LE(cols.second, 200);
    const auto rows = InkRows(b, clRed);
    EXPECT_GE(rows.first, top);
    EXPECT_LE(rows.second, top + line);

    TBitmap* centred = Bitmap(200, 20);
    HDC cdc = centred->GetCanvas()->GetHandle();
    SetBkMode(cdc, TRANSPARENT);
    SetTextColor(cdc, RGB(255, 0, 0));
    r = Rect(0, 0, 200, 20);
    DrawText(cdc, "Mmm", &r, DT_SINGLELINE | DT_CENTER);
    const auto cc = TextColumns(centred, clWhite);
    EXPECT_NEAR((cc.first + cc.second) / 2.0, 100.0, 3.0);
}

TEST_F(DrawTextTest, ClipsToTheRectangleUnlessNoClip) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 0, 0));
    TRect r(0, 0, 12, 30);
    DrawText(dc, "WWWWWWWW", &r, DT_SINGLELINE);
    EXPECT_LE(TextColumns(b, clWhite).second, 12);
    TRect n(0, 40, 12, 70);
    DrawText(dc, "WWWWWWWW", &n, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(TextColumns(b, clWhite).second, 12);
}

TEST_F(DrawTextTest, OpaqueBackgroundCoversEachLine) {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 255, 255));
    TRect r(0, 0, 200, 100);
    DrawText(dc, "ab\nabcd", &r, 0);
    EXPECT_EQ(InkRows(b, clAqua), std::make_pair(0, 2 * line));
    EXPECT_EQ(InkColumns(b, clAqua), std::make_pair(0, Width("abcd")));
    EXPECT_EQ(Px(b, Width("ab") + 1, 1), clWhite);  // first line only as wide as its text
}

}  // namespace
