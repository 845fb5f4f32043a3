#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "framework/comctrls.h"
#include "framework/dialog_service.h"
#include "framework/edit_controls.h"
#include "framework/list_controls.h"
#include "framework/std_controls.h"
#include "framework/testing/ui_test.h"
#include "imaging/controls/imago.h"
#include "imaging/dialogs/install_dialogs.h"
#include "imaging/dialogs/previews_form.h"
#include "imaging/fourier.h"
#include "imaging/img_words.h"
#include "imaging/ruler_box.h"
#include "imaging/tests/image_fixture.h"

namespace {

TImgRGB Pattern(Integer x, Integer y) {
    return ImgRGB(Byte(x * 3), Byte(y * 5), Byte((x + y) & 255));
}

// A processing component on a bare 64 x 48 bitmap, the dialogs installed, and a script that
// runs Action on the shown dialog.
class PreviewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::Start();
        InstallImgDialogs();
        Image = Make24(64, 48, Pattern);
        Original = Make24(64, 48, Pattern);
        Proc = new TImagoProc(nullptr);
        Proc->SetAttachedBitmap(Image.get());
    }
    void TearDown() override {
        Proc->Free();
        SetImgPreviewsRunner(nullptr);
        uitest::ProcessEvents();
    }
    // Opens the dialog on Pages; Action works in it and may press OK.
    bool Run(Word Pages, const std::function<void(TfPreviews*)>& Action, Integer Result = mrCancel) {
        TScriptedDialogs dialogs;
        dialogs.AnswerForm(Result, [&](TCustomForm* f) {
            auto* form = dynamic_cast<TfPreviews*>(f);
            ASSERT_NE(form, nullptr);
            Action(form);
        });
        return Proc->ShowPreviews(Pages);
    }
    static void PressOK(TfPreviews* f) { uitest::Click(f->Button1, 5, 5); }
    static std::vector<std::string> VisibleTabs(TfPreviews* f) {
        std::vector<std::string> tabs;
        for (Integer i = 0; i < f->PageControl1->GetPageCount(); ++i)
            if (f->PageControl1->GetPage(i)->GetTabVisible()) tabs.push_back(f->PageControl1->GetPage(i)->GetCaption());
        return tabs;
    }
    // The preview's pixels as they are now.
    static Bmp PreviewCopy(TfPreviews* f) {
        TBitmap* p = f->Imago2->GetBitmap();
        return Make24(p->GetWidth(), p->GetHeight(), [p](Integer x, Integer y) { return Px(p, x, y); });
    }

    Bmp Image, Original;
    TImagoProc* Proc = nullptr;
};

TEST_F(PreviewsTest, PageSetsShowTheirTabsAndOpenOnTheFirst) {
    struct Case {
        Word pages;
        std::vector<std::string> tabs;
    };
    // The captions come from the word table ("Morphing filters" for the morph page).
    const std::string morph = GetImgWord(73, msSystem);
    const Case cases[] = {
        {4190, {"Contrast", "HSV", "HSL", "RGB", "Equalization", "FFT"}},
        {4000, {"User filter", "Bump map", "Lens", "Wave", morph, "Rotate"}},
        {1,
         {"Contrast", "HSV", "HSL", "RGB", "User filter", "Equalization", "Bump map", "Lens", "Wave", morph, "Rotate",
          "FFT"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> tabs, active;
        EXPECT_FALSE(Run(c.pages, [&](TfPreviews* f) {
            tabs = VisibleTabs(f);
            active.push_back(f->PageControl1->GetActivePage()->GetCaption());
            // The preview is the source's visible part.
            EXPECT_EQ(f->Imago2->GetBitmap()->GetWidth(), f->Imago1->GetExtentX());
        }));
        EXPECT_EQ(tabs, c.tabs) << c.pages;
        ASSERT_EQ(active.size(), 1u);
        EXPECT_EQ(active[0], c.tabs[0]);
    }
    // Cancel left the picture alone.
    EXPECT_TRUE(SameRGBPixels(Image.get(), Original.get()));
}

TEST_F(PreviewsTest, EditsAreLimitedByTheirTrackBars) {
    Run(4190, [](TfPreviews* f) {
        f->Edit1->SetText("300");
        EXPECT_EQ(f->TrackBar1->GetPosition(), 100);
        EXPECT_EQ(f->Edit1->GetText(), "100");
        EXPECT_EQ(f->Values().Contrast, 100);
        f->Edit21->SetText("-40");
        EXPECT_EQ(f->TrackBar12->GetPosition(), -40);
        EXPECT_EQ(f->Values().Brightness, -40);
        f->Edit21->SetText("abc");  // not a number: 0
        EXPECT_EQ(f->TrackBar12->GetPosition(), 0);
        EXPECT_EQ(f->Edit21->GetText(), "0");
    });
}

TEST_F(PreviewsTest, TheLockDecidesWhetherChangesReachThePreview) {
    Run(4190, [](TfPreviews* f) {
        ASSERT_FALSE(f->SpeedButton1->GetDown());
        EXPECT_TRUE(f->Button3->GetEnabled());
        Bmp before = PreviewCopy(f);
        f->PageControl1->SetActivePage(f->TabSheet3);  // RGB
        f->PageControl1Change();
        f->TrackBar6->SetPosition(100);
        EXPECT_TRUE(SameRGBPixels(f->Imago2->GetBitmap(), before.get()));
        uitest::Click(f->Button3, 5, 5);  // "&Preview"
        EXPECT_EQ(Px(f->Imago2->GetBitmap(), 0, 0).r, std::min(255, Px(before.get(), 0, 0).r + 100));

        // Locked: every change shows at once, from the restored preview (no accumulation).
        uitest::Click(f->SpeedButton1, 5, 5);
        EXPECT_TRUE(f->SpeedButton1->GetDown());
        EXPECT_FALSE(f->Button3->GetEnabled());
        f->TrackBar6->SetPosition(10);
        EXPECT_EQ(Px(f->Imago2->GetBitmap(), 0, 0).r, std::min(255, Px(before.get(), 0, 0).r + 10));
        f->TrackBar6->SetPosition(20);
        EXPECT_EQ(Px(f->Imago2->GetBitmap(), 0, 0).r, std::min(255, Px(before.get(), 0, 0).r + 20));

        // A page change refreshes the preview even with the lock up.
        uitest::Click(f->SpeedButton1, 5, 5);
        f->PageControl1->SetActivePage(f->TabSheet1);
        f->PageControl1Change();
        EXPECT_TRUE(SameRGBPixels(f->Imago2->GetBitmap(), before.get()));
    });
}

TEST_F(PreviewsTest, ThresholdGripsDragEachOtherAndFollowTheCheckedChannels) {
    Run(4190, [](TfPreviews* f) {
        f->PageControl1->SetActivePage(f->TabSheet6);
        f->PageControl1Change();
        EXPECT_EQ(f->RulerBox1->GetGripsKind(0), 4);
        EXPECT_EQ(f->RulerBox1->GetGripsColor(1), TColor(0x808080));
        // Gray checked: all three channels.
        f->RulerBox1->SetGripsPos(1, 100);
        f->RulerBox1RulerPosChange(1);
        EXPECT_EQ(f->Label17->GetCaption(), "100");
        for (Integer c = 0; c < 3; ++c) EXPECT_EQ(f->Values().ThrHigh[c], 100);
        // Only "Red": the low grip dragged past the high one takes it along.
        f->CheckListBox1->SetChecked(3, false);
        f->CheckListBox1->SetChecked(0, true);
        f->CheckListBox1Click();
        f->RulerBox1->SetGripsPos(0, 150);
        f->RulerBox1RulerPosChange(0);
        EXPECT_DOUBLE_EQ(f->RulerBox1->GetGripsPos(1), 150);
        EXPECT_EQ(f->Label16->GetCaption(), "150");
        EXPECT_EQ(f->Values().ThrLow[0], 150);
        EXPECT_EQ(f->Values().ThrHigh[0], 150);
        EXPECT_EQ(f->Values().ThrLow[1], 0);
        EXPECT_EQ(f->Values().ThrHigh[2], 100);
        // The threshold shows on OK: red at or below 150 becomes 0, above it 255.
        PressOK(f);
    });
    for (Integer x : {0, 10, 60}) EXPECT_EQ(Px(Image.get(), x, 3).r, Pattern(x, 3).r <= 150 ? 0 : 255) << x;
}

TEST_F(PreviewsTest, OKAppliesTheActivePageToTheWholePicture) {
    EXPECT_TRUE(Run(4190, [](TfPreviews* f) {
        f->PageControl1->SetActivePage(f->TabSheet3);
        f->PageControl1Change();
        f->Edit6->SetText("30");
        PressOK(f);
    }));
    for (Integer y : {0, 47})
        for (Integer x : {0, 63}) EXPECT_EQ(Px(Image.get(), x, y).g, std::min(255, Pattern(x, y).g + 30));
    EXPECT_TRUE(Proc->CanUndo());
}

TEST_F(PreviewsTest, ChainedEffectsStartThePageAgain) {
    EXPECT_TRUE(Run(4190, [](TfPreviews* f) {
        f->PageControl1->SetActivePage(f->TabSheet3);
        f->PageControl1Change();
        f->Edit7->SetText("20");
        uitest::Click(f->Button6, 5, 5);  // "<<"
        EXPECT_EQ(f->Values().Red, 0);
        EXPECT_EQ(f->Edit7->GetText(), "0");
        f->Edit7->SetText("20");
        PressOK(f);
    }));
    EXPECT_EQ(Px(Image.get(), 1, 1).r, Pattern(1, 1).r + 40);
}

TEST_F(PreviewsTest, FilterPresetsAndFiles) {
    const std::string dir = ::testing::TempDir() + "previews_" + std::to_string(getpid());
    const std::string good = dir + "_good.flt", bad = dir + "_bad.flt", shortFile = dir + "_short.flt";
    SaveUserFilter(good, TfPreviews::Preset(4));  // "High Pass 1"
    {
        std::ofstream(bad, std::ios::binary) << std::string(43, '\x07');
        std::ofstream(shortFile, std::ios::binary) << std::string("\x01\x03\x03\x01\x00", 5);
    }
    TScriptedDialogs dialogs;
    dialogs.AnswerForm(mrCancel, [&](TCustomForm* form) {
        auto* f = static_cast<TfPreviews*>(form);
        ASSERT_EQ(f->PageControl1->GetActivePage(), f->TabSheet4);
        ASSERT_EQ(f->ListBox1->GetItems()->GetCount(), 9);
        f->ListBox1->SetItemIndex(1);
        f->ListBox1Click();  // "Blur"
        for (Integer i = 0; i < 9; ++i) EXPECT_EQ(f->FilterEdits[i]->GetText(), "1");
        EXPECT_EQ(f->Edit20->GetText(), "9");
        EXPECT_EQ(f->Values().Filter, TfPreviews::Preset(1));
        // A coefficient typed in.
        f->FilterEdits[4]->SetText("5");
        EXPECT_EQ(f->Values().Filter.Coef[4], 5);

        // A filter file replaces the filter; one that is no filter leaves it; a short one shows
        // the read error and changes nothing.
        uitest::Click(f->Button4, 5, 5);
        EXPECT_EQ(f->Values().Filter, TfPreviews::Preset(4));
        EXPECT_EQ(f->FilterEdits[4]->GetText(), "5");
        uitest::Click(f->Button4, 5, 5);
        EXPECT_EQ(f->Values().Filter, TfPreviews::Preset(4));
        uitest::Click(f->Button4, 5, 5);
        EXPECT_EQ(f->Values().Filter, TfPreviews::Preset(4));
        // Saving writes the working filter.
        uitest::Click(f->Button5, 5, 5);
    });
    const std::string saved = dir + "_saved.flt";
    dialogs.Answer(mrOk, good).Answer(mrOk, bad).Answer(mrOk, shortFile).Answer(mrOk).Answer(mrOk, saved);
    EXPECT_FALSE(Proc->ShowPreviews(4000));
    EXPECT_EQ(dialogs.Pending(), 0u);
    ASSERT_GE(dialogs.Requests().size(), 6u);
    EXPECT_EQ(dialogs.Requests()[1].Caption, "Load filter");
    EXPECT_EQ(dialogs.Requests()[1].Filter, "Filter (*.flt)|*.flt");
    EXPECT_EQ(dialogs.Requests()[4].Kind, dkMessage);  // the read error
    EXPECT_EQ(dialogs.Requests()[5].Caption, "Save filter");
    TImgUserFilter back;
    LoadUserFilter(saved, back);
    EXPECT_EQ(back, TfPreviews::Preset(4));
    for (const std::string& f : {good, bad, shortFile, saved}) std::remove(f.c_str());
}

TEST_F(PreviewsTest, EffectPagesStartFromTheSourceSize) {
    Run(4000, [](TfPreviews* f) {
        f->PageControl1->SetActivePage(f->TabSheet8);
        f->PageControl1Change();
        EXPECT_EQ(f->Edit31->GetText(), "7");
        EXPECT_EQ(f->Edit27->GetText(), "32");
        EXPECT_EQ(f->Edit28->GetText(), "24");
        EXPECT_EQ(f->Edit29->GetText(), "32");
        f->PageControl1->SetActivePage(f->TabSheet7);
        f->PageControl1Change();
        EXPECT_EQ(f->Edit24->GetText(), "32");
        EXPECT_EQ(f->Values().BumpColour, 0xFFFFFF);
        // A press on the result view moves the light to the source point under it.
        const Integer zoom = f->Imago1->GetZoom();
        uitest::Click(f->Imago2, f->Imago1->GetOffsetX() + 20, f->Imago1->GetOffsetY() + 10);
        EXPECT_EQ(f->Values().BumpLeft, 20 * 100 / zoom);
        EXPECT_EQ(f->Edit22->GetText(), std::to_string(20 * 100 / zoom));
        // Coming back keeps a page's values.
        f->PageControl1->SetActivePage(f->TabSheet8);
        f->PageControl1Change();
        f->Edit31->SetText("12");
        f->PageControl1->SetActivePage(f->TabSheet9);
        f->PageControl1Change();
        f->PageControl1->SetActivePage(f->TabSheet8);
        f->PageControl1Change();
        EXPECT_DOUBLE_EQ(f->Values().Refraction, 2.2);
    });
}

TEST_F(PreviewsTest, FlipsReachThePreviewWhenClickedAndTheResultOnOK) {
    EXPECT_TRUE(Run(4000, [](TfPreviews* f) {
        f->PageControl1->SetActivePage(f->TabSheet11);
        f->PageControl1Change();
        uitest::Click(f->SpeedButton1, 5, 5);  // lock down
        Bmp before = PreviewCopy(f);
        uitest::Click(f->SpeedButtonFlipHor, 5, 5);
        ASSERT_TRUE(f->SpeedButtonFlipHor->GetDown());
        const Integer w = before->GetWidth();
        EXPECT_EQ(Px(f->Imago2->GetBitmap(), 0, 0), Px(before.get(), w - 1, 0));
        PressOK(f);
    }));
    EXPECT_EQ(Px(Image.get(), 0, 5), Pattern(63, 5));
    EXPECT_EQ(Px(Image.get(), 63, 5), Pattern(0, 5));
}

TEST_F(PreviewsTest, FFTClearedZoneFiltersThePreviewAndTheResult) {
    EXPECT_TRUE(Run(4190, [](TfPreviews* f) {
        f->PageControl1->SetActivePage(f->TabSheet12);
        f->PageControl1Change();
        ASSERT_NE(f->GetTransform(), nullptr);
        const Integer n = f->GetTransform()->GetN();
        EXPECT_EQ(n, 128);  // the thumbnail is 128 wide
        EXPECT_EQ(f->ImagoView1->GetBitmap()->GetWidth(), n);
        Bmp before = PreviewCopy(f);
        // Clear everything but the middle frequencies.
        f->ImagoView1->SelectRectangle(0, 0, n / 2 - 4, n - 1);
        uitest::Click(f->Clear, 5, 5);
        EXPECT_FALSE(SameRGBPixels(f->Imago2->GetBitmap(), before.get()));
        // The cleared zone lives only in the preview.
        EXPECT_EQ(f->GetTransform()->GetN(), n);
        EXPECT_TRUE(f->ImagoView1->GetSelected());
        PressOK(f);
        EXPECT_FALSE(f->ImagoView1->GetSelected());
    }));
    EXPECT_FALSE(SameRGBPixels(Image.get(), Original.get()));
    EXPECT_EQ(Image->GetWidth(), 64);
    EXPECT_EQ(Image->GetHeight(), 48);
}

TEST_F(PreviewsTest, WordTableCaptionsAndTheDefaultLock) {
    Proc->SetPreviewsParams({prppDefaultLockPreview});
    Proc->SetMsgLanguage(msItalian);
    std::string caption;
    Run(4190, [&](TfPreviews* f) {
        caption = f->GetCaption();
        EXPECT_TRUE(f->SpeedButton1->GetDown());
        EXPECT_FALSE(f->Button3->GetEnabled());
    });
    EXPECT_EQ(caption, GetImgWord(0, msItalian));
    EXPECT_NE(caption, GetImgWord(0, msEnglish));
}

}  // namespace
