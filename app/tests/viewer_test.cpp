// The viewer: its rules without a window (zoom steps, default zoom codes, the zoom label, the
// file label per kind), then the main window showing images and text, zooming, the custom zoom
// form, full screen and hide-all, the mouse wheel and the key map.

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>

#include "app/tests/program_test.h"
#include "components/toolbar_button.h"
#include "app/viewer_rules.h"
#include "catalogue/file_list.h"
#include "catalogue/temp_db.h"
#include "components/shell_tree.h"
#include "dbgrid/db_grid.h"
#include "dialogs/zoom.h"
#include "framework/actions.h"
#include "framework/comctrls.h"
#include "framework/graphics.h"
#include "framework/menus.h"
#include "framework/rich_edit.h"
#include "framework/std_controls.h"
#include "framework/tree_view.h"
#include "imaging/formats/imago_io.h"
#include "imaging/img_view.h"

namespace {

// ---------------------------------------------------------------------------------------------
// The rules

TEST(ViewerRules, ZoomStepsFollowTheirTable) {
    struct Case {
        bool In;
        Integer From;
        std::vector<Integer> Steps;
    } cases[] = {
        {true, 100, {125, 150, 175, 200, 225, 250, 275, 300, 400, 500}},
        {true, 20, {25, 50}},
        {true, 5, {10, 15}},
        {true, 37, {50}},
        {true, 1, {5}},
        {false, 100, {75, 50, 25, 20, 15, 10, 5, 5, 5}},
        {false, 400, {300, 275}},
        {false, 37, {25}},
        {false, 6, {5, 5}},
        {false, 1, {1}},
        {false, 1234, {1200, 1100}},
    };
    for (const Case& c : cases) {
        Integer z = c.From;
        for (Integer expected : c.Steps) {
            const Integer next = ZoomStep(c.In, z);
            EXPECT_EQ(next, expected) << (c.In ? "in" : "out") << " from " << z;
            z = next;
        }
    }
}

TEST(ViewerRules, TheDefaultZoomFollowsTheFitSettingsOfTheKind) {
    struct Case {
        TLMFileTypes Kind;
        bool IStretch, IShrink, VStretch, VShrink;
        Integer Code;
    } cases[] = {
        {lmImage, true, true, false, false, -5},  {lmImage, true, false, true, true, -4},
        {lmImage, false, true, true, true, -3},   {lmImage, false, false, true, true, -1},
        {lmVideo, false, false, true, true, -5},  {lmVideo, true, true, false, true, -3},
        {lmVideo, true, true, true, false, -4},   {lmText, true, true, true, true, -1},
        {lmSound, true, true, true, true, -1},    {lmnone, true, true, true, true, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DefaultZoomCode(c.Kind, c.IStretch, c.IShrink, c.VStretch, c.VShrink), c.Code) << int(c.Kind);
    EXPECT_EQ(ZoomLabelText(10000), "Zoom: 10000%");
    EXPECT_EQ(ZoomLabelText(10001), "");
    EXPECT_EQ(ZoomLabelText(20000), "");
}

TEST(ViewerRules, TheFileLabelNamesTheFactsOfEachKind) {
    auto facts = [](TLMFileTypes Kind, const std::string& Name) {
        TFileFacts f;
        f.Kind = Kind;
        f.FullName = Name;
        f.Size = 2048;
        return f;
    };
    TFileFacts image = facts(lmImage, "/p/a.jpg");
    image.Width = 640;
    image.Height = 480;
    image.Bits = 24;
    TFileFacts shortText = facts(lmText, "/p/a.txt");
    shortText.Chars = 1000;
    shortText.Lines = 3;
    TFileFacts longText = shortText;
    longText.Chars = 1001;
    TFileFacts sound = facts(lmSound, "/p/a.wav");
    TFileFacts timedSound = sound;
    timedSound.LengthText = "0:03";
    TFileFacts video = facts(lmVideo, "/p/a.avi");
    video.LengthText = "1:00";
    video.MediaWidth = 320;
    video.MediaHeight = 240;
    TFileFacts office = facts(lmOffice, "/p/a.html");
    TFileFacts other = facts(lmOther, "/p/a.xyz");
    other.InDatabase = true;
    struct Case {
        TFileFacts F;
        const char* Text;
        const char* Hint;
    } cases[] = {
        {image, "  /p/a.jpg  (640x480x24bit, 2 KB)", "/p/a.jpg\n640x480x24bit\n2,048 bytes"},
        {shortText, "  /p/a.txt  (1000 Chars, 2 KB)", "/p/a.txt\n1000 Chars\n2,048 bytes"},
        {longText, "  /p/a.txt  (3 Lines, 2 KB)", "/p/a.txt\n3 Lines\n2,048 bytes"},
        {sound, "  /p/a.wav  (2 KB)", "/p/a.wav\n2,048 bytes"},
        {timedSound, "  /p/a.wav  (0:03, 2 KB)", "/p/a.wav\n0:03\n2,048 bytes"},
        {video, "  /p/a.avi  (320x240, 1:00, 2 KB)", "/p/a.avi\n320x240, 1:00\n2,048 bytes"},
        {office, "  /p/a.html  (.HTML File, 2 KB)", "  /p/a.html  (.HTML File, \n.HTML File\n2,048 bytes"},
        {other, "  /p/a.xyz  (2 KB, DB)", "/p/a.xyz\n2,048 bytes"},
    };
    for (const Case& c : cases) {
        const TFileLabel label = FileLabelFor(c.F);
        EXPECT_EQ(label.Text, c.Text);
        EXPECT_EQ(label.Hint, c.Hint);
    }
}

TEST(ViewerRules, TheCustomZoomTrackBarRunsLinearlyThenInStepsOfFive) {
    struct Case {
        Integer Zoom, Track;
    } toTrack[] = {{1, 1}, {100, 100}, {103, 100}, {105, 101}, {600, 200}, {10000, 200}};
    for (const Case& c : toTrack) EXPECT_EQ(TdlgZoom::TrackForZoom(c.Zoom), c.Track) << c.Zoom;
    Case toZoom[] = {{1, 1}, {100, 100}, {105, 101}, {600, 200}};
    for (const Case& c : toZoom) EXPECT_EQ(TdlgZoom::ZoomForTrack(c.Track), c.Zoom) << c.Track;
}

// ---------------------------------------------------------------------------------------------
// The window

// A started program over a folder with a PNG of 20 x 10 red pixels, a JPEG photo, two text files
// of 1000 and 1001 characters and a sound file.
class ViewerTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        folder_ = dir_ + "View/";
        ASSERT_TRUE(ForceDirectories(folder_));
        WriteImage(folder_ + "red.png", 20, 10, clRed);
        WriteImage(folder_ + "photo.jpg", 64, 48, clBlue);
        std::ofstream(folder_ + "short.txt") << std::string(1000, 'a');
        std::ofstream(folder_ + "long.txt") << std::string(499, 'b') << "\n" << std::string(500, 'c');
        std::ofstream(folder_ + "ring.wav") << "RIFF";
        RunOnce();
        Store(MainSettingsKey, {{"ImageFormat", "*.jpg;*.png;#3#3#0#"},
                                {"TextFormat", "*.txt;#3#3#0#"},
                                {"SoundFormat", "*.wav;#3#3#0#"},
                                {"VideoFormat", "-#0#0#0#"},
                                {"OfficeFormat", "-#0#0#0#"},
                                {"CustomFormat", "-#0#0#0#"},
                                {"OtherFormat", "-#0#0#0#"},
                                {"ImageStretch", "False"},
                                {"ImageShrink", "False"}});
    }

    static void WriteImage(const std::string& Name, Integer W, Integer H, TColor Colour) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(pf24bit);
        bitmap.SetWidth(W);
        bitmap.SetHeight(H);
        bitmap.GetCanvas()->GetBrush()->SetColor(Colour);
        bitmap.GetCanvas()->FillRect(TRect(0, 0, W, H));
        TImagoIO io(nullptr);
        io.SetAttachedBitmap(&bitmap);
        io.SaveToFile(Name);
    }

    void StartIn() {
        Start();
        Settle();
        frmMain->DirTree->SetPath(folder_);
        frmMain->DirTreeClick(frmMain->DirTree);
        Turn();
        Settle();
    }
    bool Show(const std::string& Name) { return frmMain->LoadFile(folder_ + Name, lhDirect); }

    std::string folder_;
};

TEST_F(ViewerTest, AnImageShowsWithItsFactsAndTextShowsInTheTextView) {
    StartIn();
    ASSERT_TRUE(Show("red.png"));
    EXPECT_FALSE(frmMain->State.LastLoadFailed);
    EXPECT_FALSE(frmMain->State.FileLoading);
    EXPECT_EQ(frmMain->GetCaption(), "Lumora - red.png");
    EXPECT_EQ(frmMain->lblfile->GetCaption(), "  " + folder_ + "red.png  (20x10x24bit, " +
                                                  FileSizeToStr(FileSize(folder_ + "red.png"), 1) + ")");
    EXPECT_EQ(frmMain->lblfile->GetHint(),
              folder_ + "red.png\n20x10x24bit\n" + FileSizeToStr(FileSize(folder_ + "red.png"), 2));
    EXPECT_EQ(frmMain->DisplayMode(), 0);
    EXPECT_TRUE(frmMain->imgimage->GetVisible());
    TBitmap* shown = frmMain->imgimage->GetBitmap();
    ASSERT_EQ(shown->GetWidth(), 20);
    EXPECT_EQ(ColorToRGB(shown->GetCanvas()->GetPixels(5, 5)), ColorToRGB(clRed));
    // Neither fit setting: the default size.
    EXPECT_EQ(frmMain->CurrentZoom, -1);
    EXPECT_EQ(frmMain->imgimage->GetZoom(), 100);
    EXPECT_EQ(frmMain->lblzoom->GetCaption(), "Zoom: 100%");

    ASSERT_TRUE(Show("short.txt"));
    EXPECT_EQ(frmMain->DisplayMode(), 3);
    EXPECT_FALSE(frmMain->imgimage->GetVisible());
    EXPECT_TRUE(frmMain->RTFPanel->GetPlainText());
    EXPECT_EQ(frmMain->lblfile->GetCaption(), "  " + folder_ + "short.txt  (1000 Chars, 1 KB)");
    EXPECT_EQ(frmMain->lblzoom->GetCaption(), "Wrap: On");
    ASSERT_TRUE(Show("long.txt"));
    EXPECT_EQ(frmMain->lblfile->GetCaption(), "  " + folder_ + "long.txt  (2 Lines, 1 KB)");
    frmMain->actWrapText->Execute();
    EXPECT_EQ(frmMain->lblzoom->GetCaption(), "Wrap: Off");
    EXPECT_FALSE(frmMain->RTFPanel->GetWordWrap());

    // Sound is named only (its panel comes later); the image view is back for the next image.
    ASSERT_TRUE(Show("ring.wav"));
    EXPECT_EQ(frmMain->lblfile->GetCaption(), "  " + folder_ + "ring.wav  (4 bytes)");
    EXPECT_EQ(frmMain->lblzoom->GetCaption(), "");
    ASSERT_TRUE(Show("photo.jpg"));
    EXPECT_EQ(frmMain->DisplayMode(), 0);
    EXPECT_EQ(frmMain->imgimage->GetBitmap()->GetWidth(), 64);
    EXPECT_TRUE(dialogs_.Requests().empty());
}

TEST_F(ViewerTest, AVanishedFileAndABrokenImageFailAndATruncatedJPEGShowsWhatDecoded) {
    StartIn();
    std::remove((folder_ + "red.png").c_str());
    EXPECT_TRUE(Show("red.png"));  // the load ran; the display failed
    EXPECT_TRUE(frmMain->State.LastLoadFailed);
    EXPECT_EQ(frmMain->lblfile->GetCaption(), "  Unable to locate file " + folder_ + "red.png.");
    EXPECT_EQ(frmMain->lblfile->GetHint(), "");
    EXPECT_FALSE(frmMain->State.FileLoading);

    std::ofstream(folder_ + "photo.jpg", std::ios::trunc) << "not a picture";
    Show("photo.jpg");
    EXPECT_TRUE(frmMain->State.LastLoadFailed);
    EXPECT_EQ(frmMain->lblfile->GetCaption(), "  Error encountered whilst loading this file.");

    // A JPEG cut in half: its upper part shows.
    WriteImage(folder_ + "photo.jpg", 256, 256, clGreen);
    const Int64 size = FileSize(folder_ + "photo.jpg");
    std::filesystem::resize_file(folder_ + "photo.jpg", size / 2);
    Show("photo.jpg");
    EXPECT_FALSE(frmMain->State.LastLoadFailed);
    ASSERT_EQ(frmMain->imgimage->GetBitmap()->GetWidth(), 256);
    const TColor top = ColorToRGB(frmMain->imgimage->GetBitmap()->GetCanvas()->GetPixels(10, 10));
    EXPECT_LT(GetRValue(top), 40);
    EXPECT_GT(GetGValue(top), 90);
    EXPECT_TRUE(dialogs_.Requests().empty());
}

// The image load reports every row; the window takes each percentage once, and a cancel asked
// for meanwhile at any report, repeated or not.
TEST_F(ViewerTest, TheLoadProgressShowsEachPercentageOnceAndACancelAtAnyReport) {
    StartIn();
    ASSERT_TRUE(Show("photo.jpg"));
    TImagoIO* io = frmMain->imgimageio;
    io->OnProgress(io, 40);
    EXPECT_EQ(frmMain->pbrload->GetPosition(), 40);
    frmMain->pbrload->SetPosition(0);
    io->OnProgress(io, 40);
    EXPECT_EQ(frmMain->pbrload->GetPosition(), 0);
    io->OnProgress(io, 41);
    EXPECT_EQ(frmMain->pbrload->GetPosition(), 41);
    frmMain->State.LoadCancelRequested = true;
    io->OnProgress(io, 41);
    EXPECT_FALSE(frmMain->State.LoadCancelRequested);
    EXPECT_TRUE(io->GetAborting());
    EXPECT_TRUE(frmMain->State.ReloadPending);
    EXPECT_TRUE(frmMain->State.LastLoadFailed);
    // A load after the cancel shows as before.
    io->SetAborting(false);
    frmMain->State.ReloadPending = false;
    ASSERT_TRUE(Show("photo.jpg"));
    EXPECT_FALSE(frmMain->State.LastLoadFailed);
    EXPECT_EQ(frmMain->imgimage->GetBitmap()->GetWidth(), 64);
}

TEST_F(ViewerTest, ZoomingStepsFromTheShownZoomAndTheLabelEmptiesAboveTenThousand) {
    StartIn();
    ASSERT_TRUE(Show("red.png"));
    // The main bar's zoom buttons step in and out.
    auto* in = dynamic_cast<TToolbarButtonX*>(frmMain->FindComponent("btnzoomin"));
    auto* out = dynamic_cast<TToolbarButtonX*>(frmMain->FindComponent("btnzoomout"));
    ASSERT_TRUE(in && out);
    EXPECT_TRUE(in->GetVisible() && in->GetEnabled() && out->GetEnabled());
    in->Click();
    EXPECT_EQ(frmMain->CurrentZoom, 125);
    out->Click();
    EXPECT_EQ(frmMain->CurrentZoom, 100);
    frmMain->ZoomInOut(true);
    EXPECT_EQ(frmMain->CurrentZoom, 125);
    EXPECT_EQ(frmMain->imgimage->GetZoom(), 125);
    EXPECT_EQ(frmMain->lblzoom->GetCaption(), "Zoom: 125%");
    // From a fit, the step starts at the zoom the view shows.
    frmMain->CurrentZoom = -5;
    frmMain->imgimage->SetZoom(37);
    frmMain->ZoomInOut(false);
    EXPECT_EQ(frmMain->CurrentZoom, 25);
    frmMain->DoZoom(20000);
    EXPECT_EQ(frmMain->imgimage->GetZoom(), 20000);
    EXPECT_EQ(frmMain->lblzoom->GetCaption(), "");
    // Zooming in stops where the view would pass the largest size it draws (2000 pixels at
    // 53,687,091 %).
    WriteImage(folder_ + "red.png", 2000, 1000, clRed);
    ASSERT_TRUE(Show("red.png"));
    frmMain->CurrentZoom = 53680000;
    frmMain->DoZoom(frmMain->CurrentZoom);
    for (int i = 0; i < 100; ++i) frmMain->ZoomInOut(true);
    EXPECT_EQ(frmMain->CurrentZoom, 53687000);
    EXPECT_EQ(frmMain->imgimage->GetZoom(), 53687000);
    EXPECT_EQ(ZoomStep(true, 2147483600), 2147483600);

    // The zoom quality: none draws unfiltered, 1 filters after a pause, 2 filters at once.
    struct Quality {
        Integer Setting;
        TResampleFilter Filter;
        bool Delayed;
    } qualities[] = {{0, rfNone, true}, {1, rfLanczos3, true}, {2, rfLanczos3, false}};
    for (const Quality& q : qualities) {
        frmMain->Settings.ZoomQuality = q.Setting;
        frmMain->setzoomproperties();
        EXPECT_EQ(frmMain->imgimage->GetZoomFilter(), q.Filter) << q.Setting;
        EXPECT_EQ(frmMain->imgimage->GetDelayZoomFilter(), q.Delayed) << q.Setting;
    }

    // Fit toggles follow the settings and fit the picture again (a small one, which stretches).
    WriteImage(folder_ + "red.png", 20, 10, clRed);
    ASSERT_TRUE(Show("red.png"));
    frmMain->actStretchToFit->Execute();
    EXPECT_TRUE(frmMain->Settings.ImageStretch);
    EXPECT_EQ(frmMain->CurrentZoom, -4);
    EXPECT_TRUE(frmMain->imgimage->GetAutoStretch());
    EXPECT_GT(frmMain->imgimage->GetZoom(), 100);
    EXPECT_TRUE(frmMain->actStretchToFit->GetChecked());
}

TEST_F(ViewerTest, TheCustomZoomTakesOnlyAValueAboveZeroConfirmedWithOK) {
    StartIn();
    ASSERT_TRUE(Show("red.png"));
    TMenuItem custom(nullptr);
    custom.SetTag(-1);
    auto answer = [&](TModalResult Result, const char* Text) {
        dialogs_.AnswerForm(Result, [Text](TCustomForm* Form) {
            auto* zoom = dynamic_cast<TdlgZoom*>(Form);
            ASSERT_NE(zoom, nullptr);
            EXPECT_EQ(zoom->GetCaption(), "Custom Zoom");
            zoom->spnzoom->SetText(Text);
        });
        frmMain->mkZoomClick(&custom);
    };
    answer(mrOk, "250");
    EXPECT_EQ(frmMain->CurrentZoom, 250);
    EXPECT_EQ(frmMain->imgimage->GetZoom(), 250);
    answer(mrOk, "0");
    answer(mrCancel, "300");
    EXPECT_EQ(frmMain->CurrentZoom, 250);
    EXPECT_TRUE(frmMain->State.NoDialogOpen);

    // The menus' items carry their percentage.
    frmMain->GenerateZoomMenuItems(frmMain->pukZoom, 250);
    ASSERT_EQ(frmMain->pukZoom->GetCount(), 10);
    frmMain->GenerateZoomMenuItems(frmMain->pukZoom, 75);
    EXPECT_TRUE(frmMain->pukZoom->GetItem(3)->GetChecked());
    EXPECT_EQ(frmMain->pukZoom->GetItem(9)->GetCaption(), "Custom..");
    frmMain->pukZoom->GetItem(0)->Click();
    EXPECT_EQ(frmMain->imgimage->GetZoom(), 10);
}

TEST_F(ViewerTest, FullScreenNeedsFilesAndGivesBackTheExactBounds) {
    Start();
    Settle();
    const std::string empty = dir_ + "Empty/";
    ASSERT_TRUE(ForceDirectories(empty));
    frmMain->DirTree->SetPath(empty);
    frmMain->DirTreeClick(frmMain->DirTree);
    Settle();
    frmMain->actFullScreenExecute(nullptr);
    EXPECT_FALSE(frmMain->FullScreen);
    frmMain->SetHideAll(true);
    EXPECT_FALSE(frmMain->HideAll);

    frmMain->DirTree->SetPath(folder_);
    frmMain->DirTreeClick(frmMain->DirTree);
    Settle();
    frmMain->SetBounds(33, 44, 640, 480);
    const TRect before = frmMain->GetBoundsRect();
    frmMain->actFullScreenExecute(nullptr);
    ASSERT_TRUE(frmMain->FullScreen);
    EXPECT_TRUE(frmMain->actFullScreen->GetChecked());
    EXPECT_FALSE(frmMain->LeftPanel->GetVisible());
    EXPECT_EQ(frmMain->GetClientWidth(), Screen->GetWidth());
    EXPECT_EQ(frmMain->GetClientHeight(), Screen->GetHeight());
    frmMain->actFullScreenExecute(nullptr);
    EXPECT_FALSE(frmMain->FullScreen);
    EXPECT_EQ(frmMain->GetBoundsRect(), before);
    EXPECT_TRUE(frmMain->LeftPanel->GetVisible());

    // A double-click on the picture hides everything but the viewer, another brings it back.
    ASSERT_TRUE(Show("red.png"));
    uitest::DoubleClick(frmMain->imgimage, 5, 5);
    EXPECT_TRUE(frmMain->HideAll);
    EXPECT_TRUE(frmMain->FullScreen);
    uitest::DoubleClick(frmMain->imgimage, 5, 5);
    EXPECT_FALSE(frmMain->HideAll);
    EXPECT_FALSE(frmMain->FullScreen);
    EXPECT_EQ(frmMain->GetBoundsRect(), before);
}

TEST_F(ViewerTest, TheMouseModesKeepExactlyOneCheckedAndTheWheelStepsOnlyWhenAsked) {
    StartIn();
    ASSERT_TRUE(Show("red.png"));
    frmMain->actSelectRect->Execute();
    EXPECT_TRUE(frmMain->actSelectRect->GetChecked());
    EXPECT_FALSE(frmMain->actImageDragger->GetChecked());
    EXPECT_TRUE(frmMain->imgimage->GetMouseInteract().Contains(miSelect));
    EXPECT_EQ(frmMain->imgimage->GetSelectionColor1(), clRed);
    // A load keeps the mode chosen.
    ASSERT_TRUE(Show("photo.jpg"));
    EXPECT_TRUE(frmMain->actSelectRect->GetChecked());
    frmMain->actImageDragger->Execute();
    EXPECT_TRUE(frmMain->imgimage->GetMouseInteract().Contains(miScroll));
    EXPECT_EQ(frmMain->imgimage->GetCursor(), crImgHand);

    frmMain->FileButtonAsked = TfrmMain::fbFirst;
    bool handled = false;
    frmMain->FormMouseWheel(frmMain, {}, -120, TPoint(0, 0), handled);
    EXPECT_FALSE(handled);
    EXPECT_EQ(frmMain->FileButtonAsked, TfrmMain::fbFirst);
    frmMain->Settings.UseMouseWheel = true;
    frmMain->Navigation.Next = true;
    frmMain->Navigation.Previous = false;
    frmMain->FormMouseWheel(frmMain, {}, -120, TPoint(0, 0), handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(frmMain->FileButtonAsked, TfrmMain::fbNext);
    // The step went to the next file; with no previous one the wheel up asks for nothing.
    frmMain->FileButtonAsked = TfrmMain::fbFirst;
    frmMain->Navigation.Previous = false;
    frmMain->FormMouseWheel(frmMain, {}, 120, TPoint(0, 0), handled);
    EXPECT_EQ(frmMain->FileButtonAsked, TfrmMain::fbFirst);
}

// ---------------------------------------------------------------------------------------------
// The keys

class KeyMapTest : public ViewerTest {
protected:
    // Runs Key (going up) through the window's key map; answers what is left of it.
    Word Up(Word Key, TShiftState Shift = {}) {
        frmMain->FormKeyUp(frmMain, Key, Shift);
        return Key;
    }
    // Counts the runs of an action.
    int* Count(TAction* Action) {
        counts_.push_back(std::make_unique<int>(0));
        int* n = counts_.back().get();
        Action->OnExecute = [n](TObject*) { ++*n; };
        // A command that has its work takes its place on the next display update.
        frmMain->UpdateButtonDisplay();
        return n;
    }
    std::vector<std::unique_ptr<int>> counts_;
};

TEST_F(KeyMapTest, SingleKeysRunTheirCommandsAndAreConsumed) {
    StartIn();
    ASSERT_TRUE(Show("red.png"));
    frmMain->imgimage->Focused();
    struct Case {
        Word Key;
        TAction* Action;
    } cases[] = {
        {VK_DELETE, frmMain->actDelete}, {'N', frmMain->actNewWindow}, {'R', frmMain->actRename},
        {VK_F2, frmMain->actRename},     {'C', frmMain->actMoveCopy},  {'B', frmMain->actBookmark},
    };
    for (const Case& c : cases) {
        int* runs = Count(c.Action);
        EXPECT_EQ(Up(c.Key), 0);
        EXPECT_EQ(*runs, 1) << c.Key;
    }
    EXPECT_FALSE(frmMain->MoveCopyIsMove);
    Up('X');
    EXPECT_TRUE(frmMain->MoveCopyIsMove);

    // Bookmarking: Shift+B does, Ctrl+B and Alt+B do not.
    int* bookmarks = Count(frmMain->actBookmark);
    Up('B', {ssShift});
    Up('B', {ssCtrl});
    Up('B', {ssAlt});
    EXPECT_EQ(*bookmarks, 1);

    // The keypad zooms; "*" and "/" ask for a random file.
    Up(VK_ADD);
    EXPECT_EQ(frmMain->CurrentZoom, 125);
    Up(VK_SUBTRACT);
    Up(VK_SUBTRACT);
    EXPECT_EQ(frmMain->CurrentZoom, 75);
    frmMain->FileButtonAsked = TfrmMain::fbFirst;
    Up(VK_OEM_2);
    EXPECT_EQ(frmMain->FileButtonAsked, TfrmMain::fbRandom);
    // Ctrl with the keypad toggles the fit settings.
    Up(VK_ADD, {ssCtrl});
    EXPECT_TRUE(frmMain->Settings.ImageStretch);
    Up(VK_SUBTRACT, {ssCtrl});
    EXPECT_TRUE(frmMain->Settings.ImageShrink);

    // Navigation keys and F10 are left for others.
    EXPECT_EQ(Up(VK_F10), VK_F10);
    EXPECT_EQ(Up('Q'), 0);
}

TEST_F(KeyMapTest, SpaceTogglesTheFolderInTheTreeAndFullScreenElsewhere) {
    ASSERT_TRUE(ForceDirectories(folder_ + "Sub"));
    StartIn();
    uitest::ProcessEvents();
    frmMain->DirTree->SetFocus();
    ASSERT_TRUE(frmMain->DirTree->Focused());
    TTreeNode* node = frmMain->DirTree->GetSelected();
    ASSERT_NE(node, nullptr);
    const bool expanded = node->GetExpanded();
    EXPECT_EQ(Up(VK_SPACE), 0);
    EXPECT_NE(node->GetExpanded(), expanded);
    EXPECT_FALSE(frmMain->FullScreen);

    frmMain->FileGrid->SetFocus();
    EXPECT_EQ(Up(VK_SPACE), 0);
    EXPECT_TRUE(frmMain->FullScreen);
    Up(VK_F11);
    EXPECT_FALSE(frmMain->FullScreen);
    Up('A');
    EXPECT_TRUE(frmMain->HideAll);
    Up('A');
    EXPECT_FALSE(frmMain->FullScreen);
}

TEST_F(KeyMapTest, KeypadZeroCancelsARunningLoadThenReloads) {
    StartIn();
    ASSERT_TRUE(Show("red.png"));
    frmMain->State.FileLoading = true;
    Up(VK_NUMPAD0);
    EXPECT_TRUE(frmMain->State.LoadCancelRequested);
    frmMain->State.FileLoading = false;
    frmMain->State.LoadCancelRequested = false;
    WriteImage(folder_ + "red.png", 30, 10, clRed);
    Up(VK_NUMPAD0);
    EXPECT_EQ(frmMain->imgimage->GetBitmap()->GetWidth(), 30);
}

TEST_F(KeyMapTest, ArrowsAndTheDelayKeysFollowTheSlideshowAndBackspaceOnlyActsInFolders) {
    StartIn();
    frmMain->FileGrid->SetFocus();
    frmMain->State.SlideshowActive = true;
    frmMain->FileButtonAsked = TfrmMain::fbFirst;
    EXPECT_EQ(Up(VK_RIGHT), VK_RIGHT);
    EXPECT_EQ(frmMain->FileButtonAsked, TfrmMain::fbNext);
    Up(VK_UP);
    EXPECT_EQ(frmMain->FileButtonAsked, TfrmMain::fbPrevious);
    int* volume = Count(frmMain->actVolumeUp);
    EXPECT_EQ(Up(VK_OEM_PERIOD), 0);
    EXPECT_EQ(*volume, 0);
    frmMain->State.SlideshowActive = false;

    // Backspace goes up a folder in folders mode, and nowhere in bookmarks mode.
    Up(VK_BACK);
    EXPECT_EQ(frmMain->GetDirTreePath(), dir_);
    frmMain->Mode = 4;
    Up(VK_BACK);
    EXPECT_EQ(frmMain->GetDirTreePath(), dir_);
}

TEST_F(KeyMapTest, KeysTypedInTheWindowReachTheMapAndDigitsScrollThePicture) {
    StartIn();
    WriteImage(folder_ + "red.png", 2000, 2000, clRed);
    ASSERT_TRUE(Show("red.png"));
    frmMain->FileGrid->SetFocus();
    uitest::PressKey(frmMain->FileGrid, VK_ADD);
    EXPECT_EQ(frmMain->CurrentZoom, 125);
    frmMain->imgimage->SetViewXY(100, 100);
    uitest::PressKey(frmMain->FileGrid, '6');
    uitest::PressKey(frmMain->FileGrid, '2');
    EXPECT_EQ(frmMain->imgimage->GetViewX(), 108);
    EXPECT_EQ(frmMain->imgimage->GetViewY(), 108);
    uitest::PressKey(frmMain->FileGrid, VK_HOME, {ssAlt});
    EXPECT_EQ(frmMain->imgimage->GetViewX(), 28);
}

}  // namespace
