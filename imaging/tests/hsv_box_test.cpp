#include <gtest/gtest.h>

#include <cmath>

#include "framework/forms.h"
#include "framework/testing/ui_test.h"
#include "imaging/hsv_box.h"
#include "imaging/img_filters.h"
#include "imaging/tests/image_fixture.h"

namespace {

class HSVBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::Start();
        Form = new TForm(nullptr);
        Form->SetBounds(50, 50, 300, 300);
        Box = new THSVBox(Form);
        Box->SetParent(Form);
        Box->OnChange = [this](TObject*) { ++Changes; };
        uitest::ShowForm(Form);
    }
    void TearDown() override {
        Form->Free();
        uitest::ProcessEvents();
    }
    TForm* Form = nullptr;
    THSVBox* Box = nullptr;
    Integer Changes = 0;
};

TEST_F(HSVBoxTest, LaysOutSquareGapAndBar) {
    EXPECT_EQ(Box->GetWidth(), 105);
    EXPECT_EQ(Box->GetHeight(), 105);
    EXPECT_EQ(Box->GetSquareWidth(), 80);
    Box->SetBackground(TColor(0x00FF00));
    TBitmap* p = Box->GetPicture();
    EXPECT_EQ(p->GetWidth(), 105);
    for (Integer x : {80, 84}) EXPECT_EQ(Px(p, x, 50), ImgRGB(0, 255, 0)) << x;  // the gap
    TImgRGB red, expected;
    HSVToRGB(0, 99, 99, red);
    EXPECT_EQ(Px(p, 95, 104), red);  // the bar's bottom row is hue 0
    HSVToRGB(Integer(std::trunc(50.0f * (360.0f / 105))), 99, 99, expected);
    EXPECT_EQ(Px(p, 95, 104 - 50), expected);
    // The square at hue 0: saturation across, value up.
    HSVToRGB(0, Integer(std::trunc(40.0f * (100.0f / 80))), Integer(std::trunc(70.0f * (100.0f / 105))), expected);
    EXPECT_EQ(Px(p, 40, 104 - 70), expected);
}

TEST_F(HSVBoxTest, SettersClampAndNeverFireOnChange) {
    Box->SetHue(400);
    EXPECT_EQ(Box->GetHue(), 359);
    Box->SetSat(-5);
    EXPECT_EQ(Box->GetSat(), 0);
    Box->SetVal(120);
    EXPECT_EQ(Box->GetVal(), 99);
    Box->SetRGB(255, 0, 0);
    EXPECT_EQ(Box->GetHue(), 0);
    EXPECT_EQ(Box->GetSat(), 99);
    EXPECT_EQ(Box->GetVal(), 99);
    EXPECT_EQ(Box->GetColor(), TColor(0x0000FF));
    EXPECT_EQ(Changes, 0);
}

TEST_F(HSVBoxTest, ClicksAndDragsPick) {
    struct Case {
        Integer x, y;
        Integer hue, sat, val;
    };
    Box->SetHue(120);
    const Case cases[] = {
        {95, 0, 359, 0, 0},  // top of the bar
        {95, 104, 0, 0, 0},  // bottom of the bar
        {79, 0, 0, 99, 99},  // top-right corner of the square
        {0, 104, 0, 0, 0},  // bottom-left corner
    };
    for (const Case& c : cases) {
        uitest::Click(Box, c.x, c.y);
        EXPECT_EQ(Box->GetHue(), c.hue) << c.x << "," << c.y;
        if (c.x < 80) {
            EXPECT_EQ(Box->GetSat(), c.sat);
            EXPECT_EQ(Box->GetVal(), c.val);
        }
    }
    EXPECT_EQ(Changes, 4);
    TImgRGB expected;
    HSVToRGB(Box->GetHue(), Box->GetSat(), Box->GetVal(), expected);
    EXPECT_EQ(Box->GetColor(), ImgRGBToColor(expected));

    // A drag in the square stays in the square however far the pointer goes; a press in the gap
    // starts nothing.
    uitest::MouseDown(Box, 40, 50);
    uitest::MouseMove(Box, 300, -50, {ssLeft});
    EXPECT_EQ(Box->GetSat(), 99);
    EXPECT_EQ(Box->GetVal(), 99);
    uitest::MouseUp(Box, 300, -50);
    const Integer before = Changes;
    uitest::MouseDown(Box, 82, 50);
    uitest::MouseMove(Box, 10, 10, {ssLeft});
    uitest::MouseUp(Box, 10, 10);
    EXPECT_EQ(Changes, before);
}

TEST_F(HSVBoxTest, TinyBoxesPickWithoutDividingByZero) {
    for (TPoint size : {TPoint{26, 40}, TPoint{20, 1}, TPoint{40, 1}}) {
        Box->SetBounds(0, 0, size.X, size.Y);
        uitest::Click(Box, 0, 0);
        uitest::Click(Box, size.X - 1, 0);
        EXPECT_GE(Box->GetHue(), 0);
        EXPECT_LE(Box->GetHue(), 359);
        EXPECT_LE(Box->GetSat(), 99);
        EXPECT_LE(Box->GetVal(), 99);
    }
}

}  // namespace
