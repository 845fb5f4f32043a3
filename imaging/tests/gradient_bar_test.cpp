#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "framework/dialog_service.h"
#include "framework/forms.h"
#include "framework/std_controls.h"
#include "framework/testing/ui_test.h"
#include "imaging/gradient_bar.h"
#include "imaging/palette_dialog.h"

namespace {

// The ramp's formula, channel by channel in doubles.
TColor Expected(TColor from, TColor to, Integer i) {
    auto ch = [&](Integer shift) {
        const Integer b = (Integer(from) >> shift) & 255, e = (Integer(to) >> shift) & 255;
        return Integer(b + std::trunc(i * ((double(e) - b) / 255)));
    };
    return TColor(ch(0) | ch(8) << 8 | ch(16) << 16);
}

TColor Inverted(TColor c) {
    return TColor(~Cardinal(c) & 0xFFFFFFu);
}

class GradientBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::Start();
        Form = new TForm(nullptr);
        Form->SetBounds(50, 50, 400, 400);
        Bar = new TImgGradientBar(Form);
        Bar->SetParent(Form);
        Bar->OnChange = [this](TObject*) { Changes.push_back(Bar->GetGripPosition()); };
        uitest::ShowForm(Form);
    }
    void TearDown() override {
        Form->Free();
        uitest::ProcessEvents();
    }
    TForm* Form = nullptr;
    TImgGradientBar* Bar = nullptr;
    std::vector<Integer> Changes;
};

TEST_F(GradientBarTest, TablesRunFromBeginToEndColour) {
    struct Case {
        TColor from, to;
    };
    for (const Case& c : {Case{clBlack, clWhite}, Case{clWhite, clBlack}, Case{TColor(0x510000), TColor(0xFF7979)}}) {
        Bar->SetBeginColor(c.from);
        Bar->SetEndColor(c.to);
        EXPECT_EQ(Bar->GetTableColor(0), c.from);
        EXPECT_EQ(Bar->GetTableColor(255), c.to);
        for (Integer i = 0; i < 256; ++i) ASSERT_EQ(Bar->GetTableColor(i), Expected(c.from, c.to, i)) << i;
    }
    // A channel delta of 147 at entry 85: the double formula gives 48, exact integers 49.
    Bar->SetBeginColor(TColor(0));
    Bar->SetEndColor(TColor(147));
    EXPECT_EQ(Integer(Bar->GetTableColor(85)) & 255, 48);
}

TEST_F(GradientBarTest, PaintsTheRampWithTheBeginColourAtTheBottomOrLeft) {
    EXPECT_EQ(Bar->GetWidth(), 40);
    EXPECT_EQ(Bar->GetHeight(), 300);
    uitest::TCapture shot = uitest::Capture(Bar);
    EXPECT_EQ(shot.Pixel(20, 299), clBlack);
    EXPECT_EQ(shot.Pixel(20, 0), clWhite);
    // The grip at 0 is an inverted outline at the top: its bottom edge is row 2.
    EXPECT_EQ(shot.Pixel(20, 2), Inverted(Bar->GetTableColor(Integer(std::trunc((299 - 2) * (255.0 / 299))))));
    EXPECT_EQ(shot.Pixel(20, 3), Bar->GetTableColor(Integer(std::trunc((299 - 3) * (255.0 / 299)))));

    Bar->SetDirection(gdHorizontal);
    Bar->SetBounds(0, 0, 256, 20);
    Bar->SetBeginColor(TColor(0x510000));
    Bar->SetEndColor(TColor(0xFF7979));
    Bar->SetMouseInteract({});
    uitest::ProcessEvents();
    shot = uitest::Capture(Bar);
    EXPECT_EQ(shot.Pixel(0, 10), TColor(0x510000));
    EXPECT_EQ(shot.Pixel(255, 10), TColor(0xFF7979));
    EXPECT_EQ(shot.Pixel(100, 10), Bar->GetTableColor(Integer(std::trunc(100 * (255.0 / 255)))));
}

TEST_F(GradientBarTest, DraggingMovesTheGripAndReportsEveryMove) {
    uitest::MouseDown(Bar, 20, 40);
    EXPECT_EQ(Bar->GetGripPosition(), Integer(std::trunc(40.0 / 299 * 255)));
    uitest::MouseMove(Bar, 20, -10, {ssLeft});  // beyond the edge counts as the edge
    EXPECT_EQ(Bar->GetGripPosition(), 0);
    uitest::MouseMove(Bar, 20, 299, {ssLeft});
    EXPECT_EQ(Bar->GetGripPosition(), 255);
    uitest::MouseMove(Bar, 20, 500, {ssLeft});
    uitest::MouseMove(Bar, 20, 299 / 2, {ssLeft});
    EXPECT_EQ(Bar->GetGripPosition(), 127);
    uitest::MouseUp(Bar, 20, 299 / 2);
    EXPECT_EQ(Changes, (std::vector<Integer>{34, 0, 255, 255, 127}));
    // The old grips were removed: the top row keeps its ramp colour, and the grip at 127
    // (pixel 148) shows its bottom edge inverted at row 150.
    uitest::TCapture shot = uitest::Capture(Bar);
    EXPECT_EQ(shot.Pixel(20, 2), Bar->GetTableColor(Integer(std::trunc((299 - 2) * (255.0 / 299)))));
    EXPECT_EQ(shot.Pixel(20, 150), Inverted(Bar->GetTableColor(Integer(std::trunc((299 - 150) * (255.0 / 299))))));

    uitest::MouseMove(Bar, 20, 10);  // no button: nothing
    Bar->SetMouseInteract({});
    uitest::MouseDown(Bar, 20, 10);
    uitest::MouseMove(Bar, 20, 20, {ssLeft});
    uitest::MouseUp(Bar, 20, 20);
    EXPECT_EQ(Bar->GetGripPosition(), 127);
    EXPECT_EQ(Changes.size(), 5u);
}

TEST_F(GradientBarTest, ABarOnePixelLongShowsTheBeginColourWithItsGripAtZero) {
    Bar->SetBounds(0, 0, 30, 1);
    Bar->SetBeginColor(TColor(0x0000FF));
    Bar->SetMouseInteract({});
    uitest::ProcessEvents();
    EXPECT_EQ(uitest::Capture(Bar).Pixel(10, 0), TColor(0x0000FF));
    Bar->SetMouseInteract({migDragGrip});
    uitest::MouseDown(Bar, 10, 0);
    uitest::MouseMove(Bar, 10, 5, {ssLeft});
    uitest::MouseUp(Bar, 10, 5);
    EXPECT_EQ(Changes, (std::vector<Integer>{0, 0}));
}

// ---- The palette dialog

class PaletteDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::Start();
        for (Integer i = 0; i < 256; ++i) Palette[i] = ImgRGB(Byte(i), Byte(255 - i), Byte(i / 2));
        Dialog = new TImagoPaletteDialog(nullptr);
        Dialog->SetPalette(Palette, 256);
    }
    void TearDown() override {
        Dialog->Free();
        uitest::ProcessEvents();
    }
    // The centre of cell i.
    static TPoint Cell(Integer i) { return TPoint{(i % 32) * 16 + 8, (i / 32) * 16 + 8}; }

    TImgRGB Palette[256];
    TImagoPaletteDialog* Dialog = nullptr;
    TScriptedDialogs Dialogs;
};

TEST_F(PaletteDialogTest, IsBuiltAsAFixedDialog) {
    EXPECT_EQ(Dialog->GetWidth(), 539);
    EXPECT_EQ(Dialog->GetHeight(), 199);
    EXPECT_EQ(Dialog->GetBorderStyle(), bsDialog);
    EXPECT_EQ(Dialog->GetCaption(), "");
    EXPECT_EQ(Dialog->CancelButton->GetCaption(), "&Cancel");
    EXPECT_TRUE(Dialog->CancelButton->GetCancel());
    EXPECT_EQ(Dialog->CancelButton->GetLeft(), 8);
    EXPECT_EQ(Dialog->CancelButton->GetTop(), 144);
    EXPECT_EQ(Dialog->GetSelectedIndex(), -1);
}

TEST_F(PaletteDialogTest, HoverOutlinesACellAndAClickReturnsItsColour) {
    Dialogs.AnswerForm(mrCancel, [&](TCustomForm* f) {
        uitest::MouseMove(f, Cell(0).X, Cell(0).Y);
        uitest::TCapture shot = uitest::Capture(f);
        EXPECT_EQ(shot.Pixel(1, 1), clBlack);  // cell 0 outlined in black
        EXPECT_EQ(shot.Pixel(8, 8), ImgRGBToColor(Palette[0]));
        uitest::MouseMove(f, Cell(33).X, Cell(33).Y);
        shot = uitest::Capture(f);
        EXPECT_EQ(shot.Pixel(1, 1), clWhite);  // and white again
        EXPECT_EQ(shot.Pixel(17, 17), clBlack);  // cell 33: second row, second column
        EXPECT_EQ(shot.Pixel(7 * 16 + 1, 7 * 16 + 1), clWhite);  // eight rows of 32
        uitest::Click(f, Cell(33).X, Cell(33).Y);
    });
    EXPECT_TRUE(Dialog->Execute());
    EXPECT_EQ(Dialog->GetSelectedColor(), ImgRGBToColor(Palette[33]));
}

TEST_F(PaletteDialogTest, CancelAndAClickBeforeAnyHoverReturnFalse) {
    Dialogs.AnswerForm(mrCancel, [&](TCustomForm* f) {
        uitest::Click(f, 300, 150);  // below the grid: no cell was hovered, ignored
        EXPECT_TRUE(f->GetVisible());
        uitest::Click(Dialog->CancelButton, 5, 5);
    });
    EXPECT_FALSE(Dialog->Execute());
    Dialogs.AnswerForm(mrCancel, [&](TCustomForm* f) { uitest::PressKey(Dialog->CancelButton, VK_ESCAPE); });
    EXPECT_FALSE(Dialog->Execute());
}

TEST_F(PaletteDialogTest, PositionsOutsideTheEntriesAreIgnored) {
    Dialog->SetPalette(Palette, 16);
    struct Case {
        Integer x, y, index;
    };
    const Case cases[] = {{8, 8, 0}, {15 * 16 + 8, 8, 15}, {16 * 16 + 8, 8, -1}, {8, 24, -1},
                          {0, 0, 0}, {-20, 8, -1},         {33 * 16, 8, -1}};
    for (const Case& c : cases) EXPECT_EQ(Dialog->CellAt(c.x, c.y), c.index) << c.x << "," << c.y;
}

}  // namespace
