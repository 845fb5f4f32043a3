#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "framework/comctrls.h"
#include "framework/dialog_service.h"
#include "framework/list_controls.h"
#include "framework/std_controls.h"
#include "framework/string_list.h"
#include "framework/testing/ui_test.h"
#include "framework/tests/scratch_folder.h"
#include "imaging/controls/imago.h"
#include "imaging/controls/imago_mio.h"
#include "imaging/controls/imago_mview.h"
#include "imaging/dialogs/img_file_dialogs.h"
#include "imaging/dialogs/install_dialogs.h"
#include "imaging/dialogs/io_previews_form.h"
#include "imaging/formats/imago_io.h"
#include "imaging/formats/lzw_coders.h"
#include "imaging/img_utils.h"
#include "imaging/img_view.h"
#include "imaging/tests/image_fixture.h"

namespace {

class ImageDialogsTest : public ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        uitest::Start();
        InstallLZWCoders();
        InstallImgDialogs();
        Owner = new TComponent(nullptr);
    }
    void TearDown() override {
        Owner->Free();
        SetImgIOPreviewsRunner(nullptr);
        uitest::ProcessEvents();
        ScratchFolderTest::TearDown();
    }
    // Writes a w x h picture to dir_ + Name in the format of its extension.
    std::string Write(const std::string& Name, Integer w, Integer h) {
        Bmp b = Make24(w, h, [](Integer x, Integer y) { return ImgRGB(Byte(x), Byte(y), 90); });
        TImagoIO io(nullptr);
        io.SetAttachedBitmap(b.get());
        io.SaveToFile(dir_ + Name);
        return dir_ + Name;
    }
    // A multi-frame component over a view of its own, both owned by the test.
    TImagoMIO* FrameIO() {
        auto* view = new TImagoMView(Owner);
        auto* mio = new TImagoMIO(Owner);
        mio->SetAttachedMView(view);
        return mio;
    }
    // Writes Frames frames of 30 x 20 to dir_ + Name (GIF or TIFF by the extension), frame k
    // with a delay of k + 1 hundredths.
    std::string WriteFrames(const std::string& Name, Integer Frames) {
        TImagoMIO* mio = FrameIO();
        for (Integer k = 0; k < Frames; ++k) {
            Bmp b =
                Make24(30, 20, [k](Integer x, Integer y) { return ImgRGB(Byte(60 * k), Byte(x * 8), Byte(y * 8)); });
            mio->GetAttachedMView()->SetImage(mio->GetAttachedMView()->AppendImage(), b.get());
            mio->GetFrameParams(k)->GIFDelayTime = k + 1;
        }
        mio->SaveToFile(dir_ + Name);
        EXPECT_FALSE(mio->GetAborting()) << Name;
        return dir_ + Name;
    }
    template <class D>
    D* Dialog() {
        auto* d = new D(Owner);
        d->SetInitialDir(dir_);
        return d;
    }
    TComponent* Owner = nullptr;
};

TEST_F(ImageDialogsTest, FiltersAndFolders) {
    const std::string filter = BuildImgFilter();
    EXPECT_EQ(filter.rfind("All graphics|*.tif;*.tiff;", 0), 0u) << filter;
    EXPECT_NE(filter.find("|TIFF Bitmap (TIF;TIFF)|*.tif;*.tiff|"), std::string::npos);
    EXPECT_EQ(filter.substr(filter.size() - 30), "|Video for Windows (AVI)|*.avi");
    EXPECT_NE(filter.find(";*.avi|"), std::string::npos);
    EXPECT_EQ(FilterPattern(filter, 2), "*.tif;*.tiff");
    EXPECT_EQ(FilterPattern(filter, 999), "");

    struct Case {
        std::string pattern, ext;
    };
    for (const Case& c : {Case{"*.tif;*.tiff", ".tif"}, Case{"*.gif", ".gif"}, Case{"*.*", ".*"}, Case{"", ""}})
        EXPECT_EQ(FilterExtension(c.pattern), c.ext) << c.pattern;

    auto* d = Dialog<TOpenImagoDialog>();
    for (const Case& c : {Case{"/tmp/pictures/", "/tmp/pictures"}, Case{"/", "/"}, Case{"/tmp/a", "/tmp/a"}}) {
        d->SetInitialDir(c.pattern);
        EXPECT_EQ(d->GetInitialDir(), c.ext);
    }
    const TPoint p = CenterDialogPosition(1024, 768, 400, 300);
    EXPECT_EQ(p, TPoint(312, 156));
}

TEST_F(ImageDialogsTest, SelectionPreviewsTheImageWithItsInformation) {
    const std::string jpeg = Write("photo.jpg", 640, 480);
    const std::string gif = Write("one.gif", 30, 20);
    const std::string tiff = Write("page.tiff", 25, 15);
    auto* d = Dialog<TOpenImagoDialog>();
    TScriptedDialogs dialogs;
    dialogs.SelectFile("photo.jpg").InDialog([&](TObject*) {
        EXPECT_EQ(d->GetFileName(), jpeg);
        EXPECT_TRUE(d->ImagoView->GetVisible());
        EXPECT_EQ(d->ImagoView->GetBitmap()->GetWidth(), 640);
        EXPECT_EQ(d->PicLabel1->GetCaption(), "640 x 480 pixel");
        EXPECT_EQ(d->PicLabel2->GetCaption(), "16777216 Colors (24 bit)");
        const Int64 size = ImgGetFileSize(jpeg);
        const std::string file = size > 1023 ? std::to_string(size / 1024) + " Kb" : std::to_string(size) + " bytes";
        EXPECT_EQ(d->InfoLabel2->GetCaption(), "File: " + file + "   Mem: 900 Kb");
        EXPECT_NE(d->InfoLabel1->GetCaption(), "");
        EXPECT_TRUE(d->PreviewButton->GetEnabled());
        EXPECT_EQ(d->ZoomCombo->GetItems()->GetCount(), 11);
        EXPECT_EQ(d->ZoomCombo->GetItemIndex(), 0);  // "Fit"
        EXPECT_LT(d->ImagoView->GetZoom(), 100);
        // The pane lies in no form, and the view shows the picture all the same.
        EXPECT_GT(d->ImagoView->GetExtentX(), 100);
        d->ZoomCombo->SetItemIndex(4);
        d->ZoomComboChange();
        EXPECT_EQ(d->ImagoView->GetZoom(), 100);
    });
    dialogs.SelectFile("one.gif").InDialog([&](TObject*) {
        EXPECT_TRUE(d->ImagoView->GetVisible());
        EXPECT_FALSE(d->PlayButton->GetEnabled());
        EXPECT_EQ(d->PicLabel1->GetCaption(), "30 x 20 pixel");
    });
    dialogs.SelectFile("page.tiff").InDialog([&](TObject*) {
        EXPECT_TRUE(d->ImagoView->GetVisible());
        EXPECT_EQ(d->ImagoView->GetBitmap()->GetWidth(), 25);
        // Without the preview only the lines change; with it again the picture comes back.
        d->PreviewCheck->SetChecked(false);
        EXPECT_EQ(d->PicLabel1->GetCaption(), "");
        EXPECT_EQ(d->ImagoView->GetBitmap()->GetWidth(), 1);
    });
    dialogs.SelectFile("one.gif").InDialog([&](TObject*) {
        EXPECT_EQ(d->PicLabel1->GetCaption(), "30 x 20 pixel");
        EXPECT_EQ(d->ImagoView->GetBitmap()->GetWidth(), 1);
        d->PreviewCheck->SetChecked(true);
        EXPECT_EQ(d->ImagoView->GetBitmap()->GetWidth(), 30);
        // A file that vanished: empty lines and a cleared view, no message.
        std::remove(gif.c_str());
    });
    dialogs.SelectFile("one.gif").InDialog([&](TObject*) {
        EXPECT_EQ(d->InfoLabel1->GetCaption(), "");
        EXPECT_EQ(d->InfoLabel2->GetCaption(), "");
        EXPECT_EQ(d->ImagoView->GetBitmap()->GetWidth(), 1);
        EXPECT_FALSE(d->PreviewButton->GetEnabled());
    });
    dialogs.Answer(mrOk, tiff);
    ASSERT_TRUE(d->Execute());
    EXPECT_EQ(d->GetFileName(), tiff);
    EXPECT_EQ(d->GetFiles()->GetCount(), 1);
    EXPECT_EQ(dialogs.Requests().size(), 1u);  // no message was shown
    EXPECT_EQ(d->ImagoView->GetBitmap()->GetWidth(), 1);  // emptied on close
}

TEST_F(ImageDialogsTest, FilesOfSeveralFramesPreviewInTheFrameView) {
    WriteFrames("two.gif", 2);
    WriteFrames("one.gif", 1);
    WriteFrames("pages.tif", 2);
    WriteFrames("pages.tiff", 2);
    auto* d = Dialog<TOpenImagoDialog>();
    auto expectFrames = [d](Integer frames) {
        EXPECT_TRUE(d->ImagoMView->GetVisible());
        EXPECT_FALSE(d->ImagoView->GetVisible());
        EXPECT_TRUE(d->PlayButton->GetEnabled());
        EXPECT_FALSE(d->ZoomCombo->GetEnabled());
        EXPECT_EQ(d->ImagoMView->ImageCount(), frames);
        // The first frame is selected (a playing view holds the selection aside).
        EXPECT_EQ(d->ImagoMView->GetSelectedImage(), d->ImagoMView->GetPlaying() ? -1 : 0);
        EXPECT_EQ(d->PicLabel1->GetCaption(), "30 x 20 pixel , " + std::to_string(frames) + " frames");
        // ((30 x 24 + 31) div 32) x 4 x 20 = 1840 bytes a frame.
        EXPECT_NE(d->InfoLabel2->GetCaption().find("   Mem: " + std::to_string(1840 * frames / 1024) + " Kb"),
                  std::string::npos)
            << d->InfoLabel2->GetCaption();
    };
    auto expectSingle = [d] {
        EXPECT_TRUE(d->ImagoView->GetVisible());
        EXPECT_FALSE(d->ImagoMView->GetVisible());
        EXPECT_FALSE(d->PlayButton->GetEnabled());
        EXPECT_TRUE(d->ZoomCombo->GetEnabled());
        EXPECT_EQ(d->ImagoMView->ImageCount(), 0);
        EXPECT_EQ(d->ImagoView->GetBitmap()->GetWidth(), 30);
        EXPECT_EQ(d->PicLabel1->GetCaption(), "30 x 20 pixel");
    };
    // The pane lies in no window here: a press toggles the button and clicks it.
    auto pressPlay = [d] {
        d->PlayButton->SetDown(!d->PlayButton->GetDown());
        d->PlayButton->Click();
    };
    TScriptedDialogs dialogs;
    dialogs.SelectFile("two.gif").InDialog([&](TObject*) {
        expectFrames(2);
        EXPECT_FALSE(d->ImagoMView->GetPlaying());
        EXPECT_TRUE(d->PreviewButton->GetEnabled());
        pressPlay();
        EXPECT_TRUE(d->ImagoMView->GetPlaying());
        EXPECT_FALSE(d->PreviewButton->GetEnabled());
        pressPlay();
        EXPECT_FALSE(d->ImagoMView->GetPlaying());
        EXPECT_TRUE(d->PreviewButton->GetEnabled());
    });
    dialogs.SelectFile("one.gif").InDialog([&](TObject*) { expectSingle(); });
    dialogs.SelectFile("pages.tif").InDialog([&](TObject*) { expectFrames(2); });
    dialogs.SelectFile("pages.tiff").InDialog([&](TObject*) {
        expectSingle();
        d->SetAlwaysAnimate(true);
    });
    // Always animating: a GIF starts playing at once, TIFF pages do not.
    dialogs.SelectFile("two.gif").InDialog([&](TObject*) {
        expectFrames(2);
        EXPECT_TRUE(d->PlayButton->GetDown());
        EXPECT_TRUE(d->ImagoMView->GetPlaying());
        EXPECT_FALSE(d->PreviewButton->GetEnabled());
    });
    dialogs.SelectFile("pages.tif").InDialog([&](TObject*) {
        expectFrames(2);
        EXPECT_FALSE(d->PlayButton->GetDown());
        EXPECT_FALSE(d->ImagoMView->GetPlaying());
    });
    dialogs.SelectFile("two.gif").Answer(mrOk);
    ASSERT_TRUE(d->Execute());
    EXPECT_EQ(d->GetFileName(), dir_ + "two.gif");
    EXPECT_FALSE(d->ImagoMView->GetPlaying());  // stopped and emptied on close
    EXPECT_EQ(d->ImagoMView->ImageCount(), 0);
    EXPECT_EQ(d->ImagoMIO->GetFrameParamsCount(), 0);
}

// In the real dialog the pane's views take turns: the one the selection needs shows its window,
// also when the other one showed before.
TEST_F(ImageDialogsTest, TheRealDialogShowsTheViewTheSelectionNeeds) {
    WriteFrames("two.gif", 2);
    WriteFrames("one.gif", 1);
    auto* d = Dialog<TOpenImagoDialog>();
    for (const char* name : {"one.gif", "two.gif", "one.gif"}) {
        const bool frames = std::string(name) == "two.gif";
        d->SetFileName(dir_ + name);
        bool checked = false;
        uitest::WhenDialogOpens([&] {
            EXPECT_EQ(d->ImagoMView->GetShowing(), frames) << name;
            EXPECT_EQ(d->ImagoView->GetShowing(), !frames) << name;
            // Two frames are wider than the view: its scroll bar shows.
            if (frames) {
                EXPECT_TRUE(uitest::ScrollBarVisible(d->ImagoMView, SB_HORZ));
            }
            checked = true;
            uitest::CancelDialog();
        });
        EXPECT_FALSE(d->Execute());
        EXPECT_TRUE(checked);
    }
}

TEST_F(ImageDialogsTest, CanCloseKeepsTheDialogOpen) {
    const std::string jpeg = Write("photo.jpg", 8, 8);
    auto* d = Dialog<TOpenImagoDialog>();
    Integer asked = 0;
    d->OnCanClose = [&](TObject*, bool& can) { can = ++asked > 1; };
    TScriptedDialogs dialogs;
    dialogs.Answer(mrOk, jpeg).Answer(mrOk, jpeg);
    EXPECT_TRUE(d->Execute());
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(dialogs.Pending(), 0u);
}

TEST_F(ImageDialogsTest, SaveDialogFollowsTheTypeAndRestoresParametersOnCancel) {
    Bmp picture = Make24(16, 16, [](Integer x, Integer y) { return ImgRGB(Byte(x * 9), Byte(y * 9), 0); });
    auto* io = new TImagoIO(Owner);
    io->SetAttachedBitmap(picture.get());
    io->GetParams()->JPEGQuality = 75;
    auto* d = Dialog<TSaveImagoDialog>();
    d->SetAttachedImagoIO(io);
    d->SetAttachedImagoIO(Owner);  // not an I/O component: refused
    EXPECT_EQ(d->GetAttachedImagoIO(), io);
    d->SetAutoSetFilter(false);
    d->SetFileName(dir_ + "photo.jpg");

    TScriptedDialogs dialogs;
    dialogs.InDialog([&](TObject*) {
        EXPECT_TRUE(d->AdvancedButton->GetVisible());
        d->AdvancedClick();
    });
    dialogs.AnswerForm(mrOk, [](TCustomForm* form) {
        auto* f = static_cast<TfIOPreviews*>(form);
        EXPECT_EQ(f->PageControl1->GetActivePage(), f->TabSheets[0]);  // ".jpg": the JPEG page
        f->Edit22->SetText("20");
        uitest::Click(f->Button1, 5, 5);
    });
    dialogs.InDialog([&](TObject*) { EXPECT_EQ(io->GetParams()->JPEGQuality, 20); });
    dialogs.ChooseType(2).InDialog([&](TObject*) { EXPECT_EQ(dialogs.FileNameBox(), "photo.gif"); });
    dialogs.Answer(mrCancel);
    EXPECT_FALSE(d->Execute());
    EXPECT_EQ(io->GetParams()->JPEGQuality, 75);

    // A name without extension gets the type's after OK.
    dialogs.Clear();
    dialogs.ChooseType(5).Answer(mrOk, dir_ + "noext");
    ASSERT_TRUE(d->Execute());
    EXPECT_EQ(d->GetFileName(), dir_ + "noext.png");
    EXPECT_EQ(d->GetFilterIndex(), 5);
}

// The save dialog over a multi-frame component: Advanced edits the first frame, Cancel undoes
// it, and the file saved afterwards holds every frame.
TEST_F(ImageDialogsTest, SaveDialogEditsTheFirstFrameOfAMultiFrameComponent) {
    TScriptedDialogs dialogs;
    for (Integer frames : {1, 2}) {
        SCOPED_TRACE(frames);
        const std::string source = WriteFrames("in.gif", frames);
        TImagoMIO* mio = FrameIO();
        mio->LoadFromFile(source);
        ASSERT_EQ(mio->GetFrameParamsCount(), frames);
        mio->GetAttachedMView()->SetSelectedImage(0);
        auto* d = Dialog<TSaveImagoDialog>();
        d->SetAttachedImagoIO(mio);
        EXPECT_EQ(d->GetAttachedImagoIO(), mio);
        d->SetAutoSetFilter(false);
        d->SetFileName(dir_ + "out.gif");

        // Advanced opens the GIF page on the frame; the delay typed there is the first frame's.
        auto editDelay = [&](const std::string& Delay) {
            dialogs.InDialog([d](TObject*) { d->AdvancedClick(); });
            dialogs.AnswerForm(mrOk, [Delay](TCustomForm* form) {
                auto* f = static_cast<TfIOPreviews*>(form);
                EXPECT_EQ(f->PageControl1->GetActivePage(), f->TabSheets[2]);
                EXPECT_EQ(f->Imago1->GetBitmap()->GetWidth(), 30);
                f->Edit12->SetText(Delay);
                uitest::Click(f->Button1, 5, 5);
            });
        };
        editDelay("40");
        dialogs.InDialog([&](TObject*) { EXPECT_EQ(mio->GetFrameParams(0)->GIFDelayTime, 40); });
        dialogs.Answer(mrCancel);
        EXPECT_FALSE(d->Execute());
        EXPECT_EQ(mio->GetFrameParams(0)->GIFDelayTime, 1);

        dialogs.Clear();
        editDelay("30");
        dialogs.Answer(mrOk);
        ASSERT_TRUE(d->Execute());
        ASSERT_EQ(d->GetFileName(), dir_ + "out.gif");
        mio->SaveToFile(d->GetFileName());
        ASSERT_FALSE(mio->GetAborting());

        TImagoMIO* back = FrameIO();
        back->LoadFromFile(dir_ + "out.gif");
        ASSERT_EQ(back->GetFrameParamsCount(), frames);
        EXPECT_EQ(back->GetAttachedMView()->GetImageDelay(0), 300);
        if (frames > 1) {
            EXPECT_EQ(back->GetAttachedMView()->GetImageDelay(1), 20);
        }
        dialogs.Clear();
    }

    // A multi-frame component without frames: no dialog at all.
    auto* d = Dialog<TSaveImagoDialog>();
    d->SetAttachedImagoIO(FrameIO());
    const size_t asked = dialogs.Requests().size();
    EXPECT_FALSE(d->Execute());
    EXPECT_EQ(dialogs.Requests().size(), asked);
}

}  // namespace
