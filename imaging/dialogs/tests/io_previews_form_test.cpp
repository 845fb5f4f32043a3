#include <gtest/gtest.h>

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
#include "imaging/dialogs/io_previews_form.h"
#include "imaging/formats/imago_io.h"
#include "imaging/palette_dialog.h"
#include "imaging/tests/image_fixture.h"

namespace {

TImgRGB Pattern(Integer x, Integer y) {
    return ImgRGB(Byte(x * 2), Byte(y * 3), Byte((x * y) & 255));
}

// An I/O component on a bare 100 x 10 bitmap, the dialogs installed; Run shows the form with a
// script that runs Action in it.
class IOPreviewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::Start();
        InstallImgDialogs();
        Image = Make24(100, 10, Pattern);
        IO = new TImagoIO(nullptr);
        IO->SetAttachedBitmap(Image.get());
    }
    void TearDown() override {
        IO->Free();
        SetImgIOPreviewsRunner(nullptr);
        uitest::ProcessEvents();
    }
    bool Run(Word Pages, const std::function<void(TfIOPreviews*)>& Action, Integer Result = mrCancel) {
        TScriptedDialogs dialogs;
        dialogs.AnswerForm(Result, [&](TCustomForm* f) {
            auto* form = dynamic_cast<TfIOPreviews*>(f);
            ASSERT_NE(form, nullptr);
            Action(form);
        });
        const bool result = IO->ShowPreviews(Pages);
        Shown = dialogs.Pending() == 0;
        return result;
    }
    static void Page(TfIOPreviews* f, Integer Index) {
        f->PageControl1Changing();
        f->PageControl1->SetActivePage(f->TabSheets[Index]);
        f->PageControl1Change();
    }
    static std::vector<std::string> VisibleTabs(TfIOPreviews* f) {
        std::vector<std::string> tabs;
        for (TTabSheet* sheet : f->TabSheets)
            if (sheet->GetTabVisible()) tabs.push_back(sheet->GetCaption());
        return tabs;
    }
    TIOParamsVals* P() { return IO->GetParams(); }

    Bmp Image;
    TImagoIO* IO = nullptr;
    bool Shown = false;
};

TEST_F(IOPreviewsTest, PageSetsAndTheFileTypePage) {
    // 2 alone with a file type that has no page: the form is not shown.
    for (Integer type : {0, 6, 7, 9, 10}) {
        P()->FileType = type;
        EXPECT_FALSE(Run(2, [](TfIOPreviews*) {}));
        EXPECT_FALSE(Shown) << type;
    }
    struct Case {
        Integer fileType;
        Word pages;
        std::vector<std::string> tabs;
    };
    const Case cases[] = {
        {ioJPEG, 2, {"JPEG"}},
        {ioUnknown, 1, {"JPEG", "TIFF", "GIF", "BMP", "PCX", "PNG", "TGA"}},
        {ioUnknown, 16, {"GIF"}},
        {ioPNG, 2 | 32, {"BMP", "PNG"}},
    };
    for (const Case& c : cases) {
        P()->FileType = c.fileType;
        std::vector<std::string> tabs;
        std::string active;
        Run(c.pages, [&](TfIOPreviews* f) {
            tabs = VisibleTabs(f);
            active = f->PageControl1->GetActivePage()->GetCaption();
        });
        EXPECT_TRUE(Shown);
        EXPECT_EQ(tabs, c.tabs) << c.pages;
        EXPECT_EQ(active, c.tabs[0]);
    }
}

TEST_F(IOPreviewsTest, QualityEditIsLimitedByTheTrackBar) {
    P()->JPEGQuality = 75;
    Run(4, [](TfIOPreviews* f) {
        EXPECT_EQ(f->Edit22->GetText(), "75");
        f->Edit22->SetText("abc");
        EXPECT_EQ(f->TrackBar13->GetPosition(), 50);
        EXPECT_EQ(f->Edit22->GetText(), "50");
        EXPECT_EQ(f->Working().P.JPEGQuality, 50);
        f->Edit22->SetText("150");
        EXPECT_EQ(f->TrackBar13->GetPosition(), 100);
        EXPECT_EQ(f->Edit22->GetText(), "100");
        EXPECT_EQ(f->Working().P.JPEGQuality, 100);
    });
    EXPECT_EQ(P()->JPEGQuality, 75);  // Cancel writes nothing
}

TEST_F(IOPreviewsTest, LeavingAPageDropsItsChangesAndOKWritesOnlyTheActivePage) {
    P()->JPEGQuality = 75;
    P()->BitsPerSample = 8;
    P()->SamplesPerPixel = 3;
    EXPECT_TRUE(Run(1, [](TfIOPreviews* f) {
        f->Edit22->SetText("20");
        Page(f, 3);  // BMP
        Page(f, 0);
        EXPECT_EQ(f->Edit22->GetText(), "75");
        f->Edit22->SetText("30");
        Page(f, 3);
        EXPECT_EQ(f->ComboBox7->GetItemIndex(), 4);  // a 24-bit picture shows "16M"
        f->ComboBox7->SetItemIndex(5);  // "16M (32bit)"
        f->ComboBox6->SetItemIndex(1);
        f->ComboBox6Change();
        uitest::Click(f->Button1, 5, 5);
    }));
    EXPECT_EQ(P()->JPEGQuality, 75);
    EXPECT_EQ(P()->BMPCompression, 1);
    EXPECT_EQ(P()->BitsPerSample, 8);
    EXPECT_EQ(P()->SamplesPerPixel, 3);
}

TEST_F(IOPreviewsTest, TiffPhotometricRuleDrivesTheColoursList) {
    P()->TIFFPhotometInterpret = ioTIFF_RGB;
    EXPECT_TRUE(Run(8, [](TfIOPreviews* f) {
        EXPECT_TRUE(f->ComboBox4->GetEnabled());
        f->ComboBox3->SetItemIndex(ioTIFF_CMYK);
        f->ComboBox2Click();
        EXPECT_EQ(f->ComboBox4->GetItemIndex(), 4);
        EXPECT_FALSE(f->ComboBox4->GetEnabled());
        EXPECT_EQ(f->Working().TiffBits, 8);
        EXPECT_EQ(f->Working().TiffSamples, 4);
        f->ComboBox3->SetItemIndex(ioTIFF_WHITEISZERO);
        f->ComboBox2Click();
        EXPECT_EQ(f->ComboBox4->GetItemIndex(), 0);
        EXPECT_FALSE(f->ComboBox4->GetEnabled());
        EXPECT_EQ(f->Working().TiffBits, 1);
        f->ComboBox3->SetItemIndex(ioTIFF_RGB);
        f->ComboBox2Click();
        EXPECT_EQ(f->ComboBox4->GetItemIndex(), 4);
        EXPECT_TRUE(f->ComboBox4->GetEnabled());
        f->ComboBox3->SetItemIndex(ioTIFF_CMYK);
        f->ComboBox2Click();
        f->Edit4->SetText("Scan");
        uitest::Click(f->Button1, 5, 5);
    }));
    EXPECT_EQ(P()->TIFFPhotometInterpret, ioTIFF_CMYK);
    EXPECT_EQ(P()->BitsPerSample, 8);
    EXPECT_EQ(P()->SamplesPerPixel, 4);
    EXPECT_EQ(P()->TIFFDocumentName, "Scan");
}

TEST_F(IOPreviewsTest, GifBitsLeaveTheSamplesAlone) {
    P()->SamplesPerPixel = 3;
    EXPECT_TRUE(Run(16, [](TfIOPreviews* f) {
        f->ComboBox5->SetItemIndex(7);  // "256"
        f->ComboBox5Click();
        f->Edit12->SetText("25");
        f->CheckBox4->SetChecked(true);
        EXPECT_TRUE(f->Panel3->GetEnabled());
        uitest::Click(f->Button1, 5, 5);
    }));
    EXPECT_EQ(P()->BitsPerSample, 8);
    EXPECT_EQ(P()->SamplesPerPixel, 3);
    EXPECT_EQ(P()->GIFDelayTime, 25);
    EXPECT_TRUE(P()->GIFTransparent);
}

TEST_F(IOPreviewsTest, SizesAndResults) {
    // The uncompressed size of 100 x 10: 24-bit rows of 300 bytes, 1-bit rows of 16.
    std::string original24, original1, compressed;
    Run(4, [&](TfIOPreviews* f) {
        original24 = f->OriginalSize[0]->GetCaption();
        compressed = f->CompressedSize[0]->GetCaption();
        // The result is the decoded JPEG: same size, close but not identical pixels.
        TBitmap* result = f->Imago2->GetBitmap();
        EXPECT_EQ(result->GetWidth(), 100);
        EXPECT_EQ(result->GetHeight(), 10);
        // PNG: 256 colours keep the picture 24-bit with at most 256 colours, whose palette the
        // preview parameters hold; black and white makes it 1-bit.
        Page(f, 5);
        f->ComboBox10->SetItemIndex(1);
        f->ComboBox10Change();
        uitest::Click(f->Button3, 5, 5);
        EXPECT_EQ(f->Imago2->GetBitmap()->GetPixelFormat(), pf24bit);
        EXPECT_EQ(f->GetPreviewIO()->GetParams()->GetPaletteCount(), 256);
        f->ComboBox10->SetItemIndex(0);
        f->ComboBox10Change();
        uitest::Click(f->Button3, 5, 5);
        EXPECT_EQ(f->Imago2->GetBitmap()->GetPixelFormat(), pf1bit);
        EXPECT_EQ(f->GetPreviewIO()->GetParams()->GetPaletteCount(), 2);
        EXPECT_NE(f->CompressedSize[5]->GetCaption(), "---");
    });
    EXPECT_EQ(original24, "3000 bytes");
    EXPECT_NE(compressed, "---");
    EXPECT_EQ(compressed.substr(compressed.size() - 6), " bytes");

    Image = Make1(100, 10, [](Integer x, Integer) { return x % 2 == 0; });
    IO->SetAttachedBitmap(Image.get());
    Run(16, [&](TfIOPreviews* f) { original1 = f->OriginalSize[2]->GetCaption(); });
    EXPECT_EQ(original1, "160 bytes");
}

TEST_F(IOPreviewsTest, SwatchesChooseFromThePaletteOrTheColourDialog) {
    // A 1-bit source: the GIF palette offers black and white.
    Image = Make1(8, 8, [](Integer x, Integer y) { return (x + y) % 2 == 0; });
    IO->SetAttachedBitmap(Image.get());
    TScriptedDialogs dialogs;
    Integer paletteCells = -1;
    dialogs.AnswerForm(mrOk, [&](TCustomForm* form) {
        auto* f = static_cast<TfIOPreviews*>(form);
        f->CheckBox4->SetChecked(true);
        f->Panel3Click();
        EXPECT_EQ(f->Panel3->GetColor(), TColor(0xFFFFFF));
        uitest::Click(f->Button1, 5, 5);
    });
    dialogs.AnswerForm(mrOk, [&](TCustomForm* form) {
        auto* d = dynamic_cast<TImagoPaletteDialog*>(form);
        ASSERT_NE(d, nullptr);
        paletteCells = d->CellAt(1 + 16 * 2, 1) < 0 ? 2 : 3;
        EXPECT_EQ(d->CancelButton->GetCaption(), "&Cancel");
        uitest::MouseMove(d, 5, 5);
        uitest::MouseMove(d, 16 + 5, 5);  // the second cell: white
        uitest::Click(d, 16 + 5, 5);
    });
    EXPECT_TRUE(IO->ShowPreviews(16));
    EXPECT_EQ(paletteCells, 2);
    EXPECT_EQ(P()->GIFTranspColor, ImgRGB(255, 255, 255));

    // PNG at 16M keeps no palette: the colour dialog is asked.
    dialogs.Clear();
    Image = Make24(8, 8, Pattern);
    IO->SetAttachedBitmap(Image.get());
    dialogs.AnswerForm(mrOk, [&](TCustomForm* form) {
        auto* f = static_cast<TfIOPreviews*>(form);
        f->ComboBox10->SetItemIndex(2);
        f->ComboBox10Change();
        uitest::Click(f->Button3, 5, 5);
        uitest::Click(f->Panel1, 5, 5);
        uitest::Click(f->Button1, 5, 5);
    });
    dialogs.Answer(mrOk, "$000080FF");
    EXPECT_TRUE(IO->ShowPreviews(128));
    EXPECT_EQ(P()->PNGBackground, ImgRGB(0xFF, 0x80, 0x00));
}

TEST_F(IOPreviewsTest, ShowPreviewsFiresOnIOPreviewAndMakesTheTarget24Bit) {
    Image->SetPixelFormat(pf8bit);
    TfIOPreviews* seen = nullptr;
    IO->OnIOPreview = [&](TObject* Sender, TfIOPreviews* Form) {
        EXPECT_EQ(Sender, IO);
        seen = Form;
        EXPECT_EQ(Form->Params, P());
    };
    Run(4, [](TfIOPreviews*) {});
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(Image->GetPixelFormat(), pf24bit);
    IO->SetAttachedBitmap(nullptr);
    EXPECT_FALSE(IO->ShowPreviews(4));
}

}  // namespace
