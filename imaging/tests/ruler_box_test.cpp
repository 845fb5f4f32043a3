#include <gtest/gtest.h>

#include <vector>

#include "framework/forms.h"
#include "framework/testing/ui_test.h"
#include "imaging/ruler_box.h"
#include "imaging/tests/image_fixture.h"

namespace {

class RulerBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::Start();
        Form = new TForm(nullptr);
        Form->SetBounds(50, 50, 400, 200);
        Ruler = new TRulerBox(Form);
        Ruler->SetParent(Form);
        Ruler->OnRulerPosChange = [this](TObject*, Integer grip) { Log.push_back("pos " + std::to_string(grip)); };
        Ruler->OnRulerGripClick = [this](TObject*, Integer grip) { Log.push_back("grip " + std::to_string(grip)); };
        Ruler->OnRulerClick = [this](TObject*, double ps) { Log.push_back("ruler " + std::to_string(Integer(ps))); };
        uitest::ShowForm(Form);
    }
    void TearDown() override {
        Form->Free();
        uitest::ProcessEvents();
    }
    // Whether any pixel of the row inside the band differs from the band's colour.
    bool TicksInRow(Integer y) {
        TBitmap* p = Ruler->GetPicture();
        const TImgRGB band = ColorToImgRGB(Ruler->GetRulerColor());
        for (Integer x = 0; x < p->GetWidth(); ++x)
            if (Px(p, x, y) != band) return true;
        return false;
    }

    TForm* Form = nullptr;
    TRulerBox* Ruler = nullptr;
    std::vector<std::string> Log;
};

TEST_F(RulerBoxTest, CreatedWithItsDefaults) {
    EXPECT_EQ(Ruler->GetWidth(), 300);
    EXPECT_EQ(Ruler->GetHeight(), 40);
    EXPECT_EQ(Ruler->GetGripsCount(), 1);
    EXPECT_EQ(Ruler->GetGripsPos(0), 0.0);
    EXPECT_EQ(Ruler->GetGripsKind(0), 0);
    EXPECT_EQ(Ruler->GetGripsColor(0), Ruler->GetBackground());
    EXPECT_EQ(Ruler->GetFrequency(), 10.0);
    EXPECT_EQ(Ruler->GetLabelFreq(), 40.0);
    EXPECT_EQ(Ruler->GetDotPerUnit(), 1.0);
    EXPECT_EQ(Ruler->GetPicture()->GetWidth(), 300);
    // Indexes beyond the grips read 0 and are ignored.
    Ruler->SetGripsPos(3, 5);
    EXPECT_EQ(Ruler->GetGripsPos(3), 0.0);
    EXPECT_EQ(Ruler->GetGripsColor(-1), TColor(0));
}

TEST_F(RulerBoxTest, FitsTheRangeAndClampsGrips) {
    Ruler->SetBounds(0, 0, 289, 40);
    Ruler->SetViewMax(255);
    Ruler->SetFitInView(true);
    EXPECT_DOUBLE_EQ(Ruler->GetDotPerUnit(), 289.0 / 255);
    EXPECT_EQ(Ruler->GetViewPos(), 0.0);
    EXPECT_EQ(Ruler->GetGripsMax(0), 255.0);
    Ruler->SetGripsPos(0, 300);
    EXPECT_EQ(Ruler->GetGripsPos(0), 255.0);
    // The clamping setter runs again inside the first, so the event comes twice.
    EXPECT_EQ(Log, (std::vector<std::string>{"pos 0", "pos 0"}));
    Ruler->SetGripsPos(0, -4);
    EXPECT_EQ(Ruler->GetGripsPos(0), 0.0);

    // An empty range keeps the scale and clamps nothing.
    Ruler->SetViewMax(0);
    EXPECT_DOUBLE_EQ(Ruler->GetDotPerUnit(), 289.0 / 255);
    Ruler->SetGripsPos(0, 300);
    EXPECT_EQ(Ruler->GetGripsPos(0), 300.0);
}

TEST_F(RulerBoxTest, LabelsInDecimalAndHexadecimal) {
    EXPECT_EQ(Ruler->LabelText(40), "40");
    EXPECT_EQ(Ruler->LabelText(2.5), "2.5");
    Ruler->SetHexLabels(true);
    EXPECT_EQ(Ruler->LabelText(255), "FF");
    EXPECT_EQ(Ruler->LabelText(0), "0");
    EXPECT_EQ(Ruler->LabelText(-16), "-10");
    EXPECT_EQ(Ruler->LabelText(0x123456789), "123456789");
}

TEST_F(RulerBoxTest, DegenerateScalesDrawNoTicks) {
    Ruler->SetRulerColor(TColor(0x00FFFF));
    const Integer inner = Ruler->RulerThickness() - 1;  // the band's row next to its inner edge
    ASSERT_GT(inner, 0);
    EXPECT_TRUE(TicksInRow(inner));
    Ruler->SetFrequency(0);
    Ruler->SetLabelFreq(-1);
    EXPECT_FALSE(TicksInRow(inner));
    Ruler->SetFrequency(10);
    Ruler->SetLabelFreq(40);
    Ruler->SetDotPerUnit(0);  // ignored
    EXPECT_EQ(Ruler->GetDotPerUnit(), 1.0);
    Ruler->SetFitInView(true);  // with ViewMin = ViewMax
    EXPECT_EQ(Ruler->GetDotPerUnit(), 1.0);
    EXPECT_FALSE(TicksInRow(inner));
    Ruler->SetFitInView(false);
    // Ticks far closer than a pixel: the drawing stays bounded by the ruler's length.
    Ruler->SetFrequency(1e-9);
    Ruler->SetLabelFreq(1e-9);
    EXPECT_TRUE(TicksInRow(inner));
}

TEST_F(RulerBoxTest, PressingAGripOrTheRuler) {
    Ruler->SetGripsCount(2);
    Ruler->SetGripsPos(0, 100);
    Ruler->SetGripsPos(1, 104);  // overlaps grip 0
    Ruler->SetGripsColor(0, TColor(0x0000FF));
    Ruler->SetGripsColor(1, TColor(0xFF0000));
    Log.clear();
    EXPECT_EQ(Ruler->GripAt(102, 36), 1);  // the higher index is on top ...
    EXPECT_EQ(Px(Ruler->GetPicture(), 102, 37), ImgRGB(0, 0, 255));  // ... and drawn on top
    EXPECT_EQ(Ruler->GripAt(96, 38), 0);
    uitest::Click(Ruler, 96, 38);
    uitest::Click(Ruler, 200, 38);
    EXPECT_EQ(Log, (std::vector<std::string>{"grip 0", "ruler 200"}));
    // A press and a release elsewhere is a drag, not a click.
    Log.clear();
    uitest::MouseDown(Ruler, 96, 38);
    uitest::MouseMove(Ruler, 150, 38, {ssLeft});
    uitest::MouseUp(Ruler, 150, 38);
    EXPECT_EQ(Ruler->GetGripsPos(0), 154.0);  // the grip keeps its offset from the press point
    EXPECT_EQ(Log, (std::vector<std::string>{"pos 0"}));
}

TEST_F(RulerBoxTest, DraggingBeyondAnEndScrollsByTheTimerUntilRelease) {
    Ruler->SetViewMax(1000);
    Ruler->SetViewPos(500);
    Ruler->SetGripsPos(0, 550);
    uitest::MouseDown(Ruler, 50, 38);
    uitest::MouseMove(Ruler, -5, 38, {ssLeft});
    EXPECT_EQ(Ruler->GetViewPos(), 499.0);  // one pixel at once
    EXPECT_EQ(Ruler->GetGripsPos(0), 499.0);
    ASSERT_TRUE(uitest::WaitUntil([&] { return Ruler->GetViewPos() <= 495; }));
    uitest::MouseUp(Ruler, -5, 38);
    const double stopped = Ruler->GetViewPos();
    uitest::Wait(60);
    EXPECT_EQ(Ruler->GetViewPos(), stopped);
    EXPECT_EQ(Ruler->GetGripsPos(0), stopped);

    // To the right, in a vertical ruler too, and never past the range.
    Ruler->SetRulerDir(rdVertical);
    Ruler->SetBounds(0, 0, 40, 300);
    Ruler->SetViewPos(690);
    Ruler->SetGripsPos(0, 700);
    uitest::MouseDown(Ruler, 38, 10);
    uitest::MouseMove(Ruler, 38, 305, {ssLeft});
    ASSERT_TRUE(uitest::WaitUntil([&] { return Ruler->GetViewPos() == 700; }));
    uitest::Wait(40);
    uitest::MouseUp(Ruler, 38, 305);
    EXPECT_EQ(Ruler->GetViewPos(), 700.0);  // 1000 less the 300 units in view
    EXPECT_EQ(Ruler->GetGripsPos(0), 1000.0);
}

}  // namespace
