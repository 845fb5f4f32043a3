// The slideshow, the multishow, the navigation buttons and GIF animation on a started program
// over a folder of small pictures; the tests drive the timers by calling their handlers.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/tests/program_test.h"
#include "catalogue/file_list.h"
#include "catalogue/temp_db.h"
#include "components/shell_tree.h"
#include "components/toolbar_button.h"
#include "framework/actions.h"
#include "framework/comctrls.h"
#include "framework/edit_controls.h"
#include "framework/graphics.h"
#include "framework/std_controls.h"
#include "framework/timer.h"
#include "imaging/controls/imago_mview.h"
#include "imaging/formats/imago_io.h"
#include "imaging/formats/io_params.h"

namespace {

// A GIF of 1x1 frames, black and white in turn, one per delay (hundredths of a second).
void WriteGIF(const std::string& Name, const std::vector<int>& Delays) {
    std::string g = "GIF89a";
    g += std::string("\x01\x00\x01\x00\x80\x00\x00", 7);  // 1x1, a global table of two colours
    g += std::string("\x00\x00\x00\xff\xff\xff", 6);  // black, white
    for (size_t i = 0; i < Delays.size(); ++i) {
        g += std::string("\x21\xf9\x04\x00", 4);
        g += char(Delays[i] & 0xff);
        g += char(Delays[i] >> 8);
        g += std::string("\x00\x00", 2);
        g += std::string("\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00", 10);
        // LZW with 2-bit codes: clear, colour i % 2, end.
        g += std::string(i % 2 ? "\x02\x02\x4c\x01\x00" : "\x02\x02\x44\x01\x00", 5);
    }
    g += '\x3b';
    std::ofstream(Name, std::ios::binary) << g;
}

// What a command prints, "" when it cannot run.
std::string Output(const std::string& Command) {
    std::string out;
    FILE* p = popen((Command + " 2>/dev/null").c_str(), "r");
    if (!p) return out;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    return pclose(p) == 0 ? out : std::string();
}

// A started program whose format records know BMP and GIF pictures and text, showing a folder of
// five pictures "p1.bmp" to "p5.bmp" of five colours (and a text file in a second folder).
class SlideshowTest : public ProgramTest {
protected:
    static constexpr TColor Colours[5] = {0x0000ff, 0x00ff00, 0xff0000, 0x00ffff, 0xff00ff};

    void SetUp() override {
        ProgramTest::SetUp();
        folder_ = dir_ + "Pictures/";
        ASSERT_TRUE(ForceDirectories(folder_));
        for (int i = 0; i < 5; ++i) {
            TBitmap b;
            b.SetPixelFormat(pf24bit);
            b.SetSize(40, 30);
            b.GetCanvas()->GetBrush()->SetColor(Colours[i]);
            b.GetCanvas()->FillRect(Rect(0, 0, 40, 30));
            b.SaveToFile(folder_ + "p" + std::to_string(i + 1) + ".bmp");
        }
        RunOnce();
        Store(MainSettingsKey, {{"ImageFormat", "*.bmp;*.gif;#3#3#0#"},
                                {"TextFormat", "*.txt;#3#3#0#"},
                                {"SoundFormat", "-#0#0#0#"},
                                {"VideoFormat", "-#0#0#0#"},
                                {"OfficeFormat", "-#0#0#0#"},
                                {"CustomFormat", "-#0#0#0#"},
                                {"OtherFormat", "-#0#0#0#"}});
    }
    void TearDown() override {
        if (frmMain) {
            frmMain->slideshowtimer->SetEnabled(false);
            frmMain->GIFTimer->SetEnabled(false);
        }
        ProgramTest::TearDown();
    }

    void StartIn(const std::string& Folder) {
        Start();
        Settle();
        frmMain->DirTree->SetPath(Folder);
        frmMain->DirTreeClick(frmMain->DirTree);
        Turn();
        Settle();
        order_.clear();
        TLMFileList2* list = frmMain->GridControl;
        for (Integer i = 0, n = list->PrepareAllList(); i < n; ++i) {
            TFileRecord rec;
            list->GetListFileRecord(i, rec);
            order_.push_back(rec.Name);
        }
    }
    void Focus(const std::string& Name) {
        const Integer key = dmTempDB->FindKeyIDOfFile(folder_ + Name);
        ASSERT_GT(key, 0) << Name;
        frmMain->GridControl->GotoKeyIDOrFail(key);
    }
    // The K-th file of the list, from 1, in the list's own order (as StartIn found it).
    std::string P(int K) const { return order_.at(size_t(K - 1)); }
    std::string Focused() {
        TFileRecord rec;
        frmMain->GridControl->NodeToFileRecord(frmMain->GridControl->GetFocusedNode(), rec);
        return rec.Name;
    }
    // The files the slideshow shows, one per tick, until it stops or Ticks have run; each tick
    // waits for the idle turn that re-arms the timer, as the running program does.
    std::vector<std::string> Run(int Ticks) {
        std::vector<std::string> shown;
        for (int i = 0; i < Ticks && frmMain->State.SlideshowActive; ++i) {
            EXPECT_FALSE(frmMain->SlideshowTimerEnabled());
            Turn();
            EXPECT_TRUE(frmMain->SlideshowTimerEnabled());
            frmMain->slideshowtimerTimer(frmMain->slideshowtimer);
            shown.push_back(frmMain->CurrentFile.Name);
        }
        return shown;
    }
    void Start(TAction* Order, bool Loop, const std::string& From) {
        Focus(From);
        Order->Execute();
        frmMain->ActivateSSLoop(Loop);
        frmMain->MultishowMode = false;
        frmMain->ActivateSlideshow(true);
    }
    using ProgramTest::Start;

    std::string folder_;
    std::vector<std::string> order_;
};

TEST_F(SlideshowTest, TheDelayBarGivesSecondsAndTheTimerInterval) {
    StartIn(folder_);
    struct Case {
        Integer Position;
        const char* Text;
        Cardinal Interval;
    } cases[] = {{0, "0 sec", 1},       {1, "1 sec", 1000},    {5, "5 sec", 5000},
                 {10, "10 sec", 10000}, {11, "15 sec", 15000}, {20, "60 sec", 60000}};
    for (const Case& c : cases) {
        frmMain->DelayTrack->SetPosition(c.Position);
        EXPECT_EQ(frmMain->DelayEdit->GetText(), c.Text);
        EXPECT_EQ(frmMain->slideshowtimer->GetInterval(), c.Interval) << c.Position;
    }
    // During a slideshow the selection label tells the delay as it changes.
    frmMain->DelayTrack->SetPosition(3);
    Start(frmMain->actSSForward, true, P(1));
    frmMain->DelayTrack->SetPosition(12);
    EXPECT_EQ(frmMain->lblselected->GetCaption(), "20 sec");
}

TEST_F(SlideshowTest, EachOrderStepsThroughTheListAndStopsOrLoopsAtItsEnd) {
    StartIn(folder_);
    struct Case {
        const char* Name;
        TAction* Order;
        bool Loop;
        std::string From;
        std::vector<std::string> Shown;
        bool Running;  // after the steps
    } cases[] = {
        {"forward without looping shows the last file and stops",
         frmMain->actSSForward,
         false,
         P(3),
         {P(4), P(5)},
         false},
        {"forward looping starts again from the first", frmMain->actSSForward, true, P(4), {P(5), P(1), P(2)}, true},
        {"backward from the middle", frmMain->actSSBackward, false, P(3), {P(2), P(1)}, false},
        {"backward from the first file runs forward", frmMain->actSSBackward, false, P(1), {P(2), P(3), P(4)}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Start(c.Order, c.Loop, c.From);
        ASSERT_TRUE(frmMain->State.SlideshowActive);
        EXPECT_TRUE(frmMain->actSlideshow->GetChecked());
        EXPECT_FALSE(frmMain->actMultishow->GetChecked());
        // The first step runs at once and shows the file the slideshow started from.
        EXPECT_EQ(frmMain->CurrentFile.Name, c.From);
        EXPECT_EQ(Run(int(c.Shown.size())), c.Shown);
        EXPECT_EQ(frmMain->State.SlideshowActive, c.Running);
        EXPECT_EQ(frmMain->SlideshowTimerEnabled(), false);
        frmMain->ActivateSlideshow(false);
        EXPECT_FALSE(frmMain->actSlideshow->GetChecked());
        EXPECT_FALSE(frmMain->SlideshowTimerEnabled());
    }
    // Backward from the first file left the order forward.
    EXPECT_TRUE(frmMain->actSSForward->GetChecked());
    EXPECT_FALSE(frmMain->actSSBackward->GetChecked());
    EXPECT_EQ(frmMain->GridControl->GetSlideshowMethod(), ssForward);

    // A random order shows every file once a round and does not stop.
    Start(frmMain->actSSRandom, false, P(1));
    std::vector<std::string> round{frmMain->CurrentFile.Name};
    for (const std::string& name : Run(4)) round.push_back(name);
    std::sort(round.begin(), round.end());
    EXPECT_EQ(round, (std::vector<std::string>{"p1.bmp", "p2.bmp", "p3.bmp", "p4.bmp", "p5.bmp"}));
    EXPECT_EQ(Run(3).size(), 3u);
    EXPECT_TRUE(frmMain->State.SlideshowActive);
}

TEST_F(SlideshowTest, StartingNeedsFilesAndStoppingLeavesTheTimerOff) {
    ASSERT_TRUE(ForceDirectories(dir_ + "Empty"));
    StartIn(dir_ + "Empty/");
    ASSERT_FALSE(frmMain->GridControl->HasItems());
    // An empty list: nothing starts, neither the slideshow nor the multishow.
    frmMain->actSlideshow->Execute();
    EXPECT_FALSE(frmMain->State.SlideshowActive);
    frmMain->actMultishow->Execute();
    EXPECT_FALSE(frmMain->State.SlideshowActive);
    EXPECT_FALSE(frmMain->imgMultiView->GetVisible());
    FreeProgramForms();

    StartIn(folder_);
    Focus(P(2));
    frmMain->actSlideshow->Execute();
    ASSERT_TRUE(frmMain->State.SlideshowActive);
    Turn();
    EXPECT_TRUE(frmMain->SlideshowTimerEnabled());
    // A tick that comes after the stop does nothing.
    frmMain->actSlideshow->Execute();
    EXPECT_FALSE(frmMain->State.SlideshowActive);
    EXPECT_FALSE(frmMain->SlideshowTimerEnabled());
    frmMain->slideshowtimerTimer(frmMain->slideshowtimer);
    EXPECT_EQ(Focused(), P(2));
}

TEST_F(SlideshowTest, AMultishowFillsItsCellsInTurnAndThenOverwritesFromTheFirst) {
    Store(MainSettingsKey, {{"SSMultiHorz", "4"}, {"SSMultiVert", "3"}});
    StartIn(folder_);
    TImagoMView* view = frmMain->imgMultiView;
    frmMain->SetBounds(0, 0, 900, 700);
    frmMain->MultishowLayoutPending = true;
    // A multishow running (its timer left off: the test steps it).
    frmMain->MultishowMode = true;
    frmMain->State.SlideshowActive = true;
    const std::string names[5] = {"p1.bmp", "p2.bmp", "p3.bmp", "p4.bmp", "p5.bmp"};
    for (int i = 0; i < 14; ++i) {
        Focus(names[i % 5]);
        ASSERT_TRUE(frmMain->SetCurrentFile(""));
        // As the viewer does before it hands a file to the multishow.
        frmMain->State.LastLoadFailed = false;
        frmMain->LoadMultiShow();
        ASSERT_FALSE(frmMain->State.LastLoadFailed) << i;
        EXPECT_EQ(view->ImageCount(), std::min(i + 1, 12)) << i;
        EXPECT_EQ(view->GetSelectedImage(), i % 12) << i;
    }
    EXPECT_TRUE(view->GetVisible());
    EXPECT_EQ(view->GetGridWidth(), 4);
    // Four cells across and three down fill the view between their borders.
    const Integer w = view->GetThumbWidth(), h = view->GetThumbHeight();
    EXPECT_LE(4 * w + 5 * view->GetHorizBorder(), view->GetClientWidth());
    EXPECT_GT(4 * (w + 1) + 5 * view->GetHorizBorder(), view->GetClientWidth());
    EXPECT_LE(3 * h + 4 * view->GetVertBorder(), view->GetClientHeight());
    EXPECT_GT(3 * (h + 1) + 4 * view->GetVertBorder(), view->GetClientHeight());
    // Cells 0 and 1 were overwritten by the 13th and 14th images (p3, p4); cell 2 keeps p3.
    const Integer expected[] = {2, 3, 2, 3, 4, 0};
    for (Integer cell = 0; cell < 6; ++cell) {
        TBitmap* b = view->GetImageBitmap(cell);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->GetCanvas()->GetPixels(b->GetWidth() / 2, b->GetHeight() / 2), Colours[expected[cell]]) << cell;
        view->ReleaseImageBitmap(cell);
    }

    // A file of another kind leaves the grid as it is; a missing picture counts as failed.
    frmMain->CurrentFile.FileType = lmText;
    frmMain->LoadMultiShow();
    EXPECT_EQ(view->GetSelectedImage(), 1);
    frmMain->CurrentFile.FileType = lmImage;
    frmMain->CurrentFile.FullName = folder_ + "gone.bmp";
    frmMain->LoadMultiShow();
    EXPECT_TRUE(frmMain->State.LastLoadFailed);

    // Laying the grid out again empties it and starts from the first cell.
    frmMain->MultiSSUpate();
    EXPECT_EQ(view->ImageCount(), 0);
    EXPECT_EQ(frmMain->MultishowCell, 0);
}

TEST_F(SlideshowTest, TheSlideshowAndMultishowActionsSwitchBetweenTheTwo) {
    StartIn(folder_);
    TImagoMView* view = frmMain->imgMultiView;
    Focus("p1.bmp");
    frmMain->actMultishow->Execute();
    ASSERT_TRUE(frmMain->MultishowActive());
    EXPECT_TRUE(frmMain->actMultishow->GetChecked());
    EXPECT_FALSE(frmMain->actSlideshow->GetChecked());
    EXPECT_TRUE(frmMain->MultishowLayoutPending || view->GetVisible());

    // Slideshow during a multishow: the grid goes, the slideshow goes on.
    view->AppendImage();
    frmMain->actSlideshow->Execute();
    EXPECT_TRUE(frmMain->State.SlideshowActive);
    EXPECT_FALSE(frmMain->MultishowMode);
    EXPECT_FALSE(view->GetVisible());
    EXPECT_EQ(view->ImageCount(), 0);
    EXPECT_TRUE(frmMain->actSlideshow->GetChecked());
    EXPECT_FALSE(frmMain->actMultishow->GetChecked());

    // Multishow during a slideshow: it becomes one, laid out afresh, and goes on.
    frmMain->actMultishow->Execute();
    EXPECT_TRUE(frmMain->MultishowActive());
    EXPECT_TRUE(frmMain->MultishowLayoutPending);
    EXPECT_TRUE(frmMain->actMultishow->GetChecked());

    // Multishow again stops it; the grid is cleared and hidden.
    frmMain->LoadMultiShow();
    EXPECT_TRUE(view->GetVisible());
    frmMain->actMultishow->Execute();
    EXPECT_FALSE(frmMain->State.SlideshowActive);
    EXPECT_FALSE(view->GetVisible());
    EXPECT_EQ(view->ImageCount(), 0);
    EXPECT_FALSE(frmMain->actMultishow->GetChecked());
}

TEST_F(SlideshowTest, CtrlOnTheSlideshowButtonsResetsOrderLoopAndDelay) {
    StartIn(folder_);
    for (TToolbarButtonX* button : {frmMain->btnShowSlideshow, frmMain->btnMultishow}) {
        frmMain->actSSRandom->Execute();
        frmMain->ActivateSSLoop(true);
        frmMain->DelayTrack->SetPosition(12);
        ASSERT_TRUE(button->OnMouseDown);
        button->OnMouseDown(button, mbLeft, {}, 1, 1);
        EXPECT_TRUE(frmMain->actSSRandom->GetChecked());
        EXPECT_EQ(frmMain->DelayEdit->GetText(), "20 sec");
        button->OnMouseDown(button, mbLeft, {ssCtrl}, 1, 1);
        EXPECT_TRUE(frmMain->actSSForward->GetChecked());
        EXPECT_FALSE(frmMain->actSSRandom->GetChecked());
        EXPECT_EQ(frmMain->GridControl->GetSlideshowMethod(), ssForward);
        EXPECT_FALSE(frmMain->actSSLoop->GetChecked());
        EXPECT_FALSE(frmMain->GridControl->LoopSlideshow);
        EXPECT_EQ(frmMain->DelayTrack->GetPosition(), 5);
        EXPECT_EQ(frmMain->DelayEdit->GetText(), "5 sec");
        EXPECT_EQ(frmMain->slideshowtimer->GetInterval(), 5000u);
    }
    // The loop action toggles.
    frmMain->actSSLoop->Execute();
    EXPECT_TRUE(frmMain->GridControl->LoopSlideshow);
    EXPECT_TRUE(frmMain->actSSLoop->GetChecked());
}

TEST_F(SlideshowTest, TheNavigationButtonsLoadWhereTheyMoveAndBeepAtTheEnds) {
    StartIn(folder_);
    struct Case {
        std::string From;
        TToolbarButtonX* TfrmMain::*Button;
        std::string To;  // "": no move, a beep
    } cases[] = {
        {P(3), &TfrmMain::btnFirstFile, P(1)},    {P(1), &TfrmMain::btnFirstFile, ""},
        {P(3), &TfrmMain::btnPreviousFile, P(2)}, {P(1), &TfrmMain::btnPreviousFile, ""},
        {P(3), &TfrmMain::btnNextFile, P(4)},     {P(5), &TfrmMain::btnNextFile, ""},
        {P(3), &TfrmMain::btnLastFile, P(5)},     {P(5), &TfrmMain::btnLastFile, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.From + " " + (frmMain->*c.Button)->GetName());
        Focus(c.From);
        frmMain->SetCurrentFile("");
        const Integer beeps = dialogs_.Beeps();
        frmMain->btnFirstFileClick(frmMain->*c.Button);
        EXPECT_EQ(frmMain->CurrentFile.Name, c.To.empty() ? c.From : c.To);
        EXPECT_EQ(dialogs_.Beeps(), beeps + (c.To.empty() ? 1 : 0));
    }
    // Random shows another file each time, every file once a round.
    Focus(P(1));
    std::vector<std::string> shown;
    for (int i = 0; i < 5; ++i) {
        frmMain->btnFirstFileClick(frmMain->btnRandomFile);
        shown.push_back(frmMain->CurrentFile.Name);
    }
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (std::vector<std::string>{"p1.bmp", "p2.bmp", "p3.bmp", "p4.bmp", "p5.bmp"}));

    // During a backward slideshow, next and previous follow its order and load where they land,
    // the first file too; past the order's start nothing moves.
    Start(frmMain->actSSBackward, false, P(3));
    frmMain->btnFirstFileClick(frmMain->btnNextFile);
    EXPECT_EQ(frmMain->CurrentFile.Name, P(2));
    frmMain->btnFirstFileClick(frmMain->btnPreviousFile);
    EXPECT_EQ(frmMain->CurrentFile.Name, P(3));
    const Integer beeps = dialogs_.Beeps();
    frmMain->btnFirstFileClick(frmMain->btnPreviousFile);
    EXPECT_EQ(frmMain->CurrentFile.Name, P(3));
    EXPECT_EQ(dialogs_.Beeps(), beeps + 1);
    frmMain->btnFirstFileClick(frmMain->btnNextFile);
    frmMain->btnFirstFileClick(frmMain->btnNextFile);
    EXPECT_EQ(frmMain->CurrentFile.Name, P(1));
}

TEST_F(SlideshowTest, TheOrderDelayAndLoopAreReadAndWrittenWithTheSettings) {
    Store(MainSettingsKey, {{"SlideshowMode", "Up"}, {"SlideshowDelay", "11"}, {"LoopSlideshow", "False"}});
    Start();
    Settle();
    EXPECT_TRUE(frmMain->actSSBackward->GetChecked());
    EXPECT_FALSE(frmMain->actSSForward->GetChecked());
    EXPECT_EQ(frmMain->GridControl->GetSlideshowMethod(), ssBackward);
    EXPECT_EQ(frmMain->DelayTrack->GetPosition(), 11);
    EXPECT_EQ(frmMain->DelayEdit->GetText(), "15 sec");
    EXPECT_EQ(frmMain->slideshowtimer->GetInterval(), 15000u);
    EXPECT_FALSE(frmMain->actSSLoop->GetChecked());
    EXPECT_FALSE(frmMain->GridControl->LoopSlideshow);

    frmMain->actSSRandom->Execute();
    frmMain->DelayTrack->SetPosition(20);
    frmMain->actSSLoop->Execute();
    Close();
    EXPECT_EQ(Stored(MainSettingsKey, "SlideshowMode"), "Random");
    EXPECT_EQ(Stored(MainSettingsKey, "SlideshowDelay"), "20");
    EXPECT_EQ(Stored(MainSettingsKey, "LoopSlideshow"), "True");
}

// ---------------------------------------------------------------------------------------------
// GIF animation

class GIFAnimationTest : public SlideshowTest {
protected:
    void SetUp() override {
        SlideshowTest::SetUp();
        StartIn(folder_);
        ASSERT_NE(frmMain->imgimageio, nullptr);
    }
    // What the viewer does when it shows a GIF: the first frame and its frame count, then the
    // animation starts.
    void Show(const std::string& Name) {
        TImagoIO* io = frmMain->imgimageio;
        frmMain->CurrentFile.FullName = Name;
        frmMain->GIFFrameIndex = 0;
        frmMain->GIFFrameCount = io->GIFFrameCount(Name);
        io->GetParams()->GIFImageIndex = 0;
        io->LoadFromFileGIF(Name);
        frmMain->setnextGIFDELAY();
    }
    // One tick: the frame shown after it and the delay the timer then runs with (-1: stopped).
    std::pair<Integer, Integer> Tick() {
        frmMain->GIFTimerTimer(frmMain->GIFTimer);
        EXPECT_FALSE(frmMain->State.FileLoading);
        EXPECT_FALSE(frmMain->State.GIFFrameLoading);
        const bool running = frmMain->GIFTimer->GetEnabled() && frmMain->GIFTimer->GetInterval() > 0;
        return {frmMain->GIFFrameIndex, running ? Integer(frmMain->GIFTimer->GetInterval()) : -1};
    }
};

TEST_F(GIFAnimationTest, ABigAnimationRunsThroughEveryFrameWithItsOwnDelays) {
    const std::string name = folder_ + "many.gif";
    std::vector<int> delays;
    for (int i = 0; i < 200; ++i) delays.push_back(i % 9 + 1);
    WriteGIF(name, delays);

    // The frame count and the delays agree with other programs' reading of the file.
    const std::string info = Output("gifsicle --info '" + name + "'");
    const std::string times = Output("identify -format '%T\\n' '" + name + "'");
    if (!info.empty()) {
        // "* NAME 200 images"
        const size_t at = info.find(" images");
        ASSERT_NE(at, std::string::npos) << info;
        EXPECT_EQ(info.substr(info.rfind(' ', at - 1) + 1, at - info.rfind(' ', at - 1) - 1), "200");
    }
    if (!times.empty()) {
        std::vector<int> theirs;
        std::istringstream in(times);
        for (int t; in >> t;) theirs.push_back(t);
        EXPECT_EQ(theirs, delays);
    }

    Show(name);
    ASSERT_EQ(frmMain->GIFFrameCount, 200);
    EXPECT_TRUE(frmMain->GIFTimer->GetEnabled());
    EXPECT_EQ(frmMain->GIFTimer->GetInterval(), Cardinal(delays[0] * 10));
    for (int step = 1; step <= 205; ++step) {
        const auto [frame, interval] = Tick();
        ASSERT_EQ(frame, step % 200) << step;
        ASSERT_EQ(interval, delays[size_t(step % 200)] * 10) << step;
    }
    // The frames alternate black and white.
    EXPECT_EQ(frmMain->imgimageio->GetAttachedBitmap()->GetCanvas()->GetPixels(0, 0), TColor(0xffffff));
}

TEST_F(GIFAnimationTest, AZeroDelayABrokenFrameOrASingleFrameLeaveTheAnimationStopped) {
    const std::string zero = folder_ + "zero.gif", changing = folder_ + "changing.gif", single = folder_ + "one.gif";
    WriteGIF(zero, {4, 0, 4});
    WriteGIF(single, {4});

    Show(zero);
    EXPECT_EQ(Tick(), std::make_pair(Integer(1), Integer(-1)));

    // The file changes while it is shown, and no longer holds the next frame.
    WriteGIF(changing, {4, 6, 4});
    Show(changing);
    EXPECT_EQ(Tick(), std::make_pair(Integer(1), Integer(60)));
    WriteGIF(changing, {4, 6});
    Tick();
    EXPECT_EQ(frmMain->GIFFrameCount, 1);
    EXPECT_FALSE(frmMain->GIFTimer->GetEnabled());

    Show(single);
    EXPECT_EQ(frmMain->GIFFrameCount, 1);
    EXPECT_FALSE(frmMain->GIFTimer->GetEnabled());

    // A cancel asked for keeps the old interval but the animation goes on.
    Show(zero);
    frmMain->GIFTimer->SetInterval(70);
    frmMain->State.LoadCancelRequested = true;
    frmMain->setnextGIFDELAY();
    EXPECT_EQ(frmMain->GIFTimer->GetInterval(), 70u);
    EXPECT_TRUE(frmMain->GIFTimer->GetEnabled());
    frmMain->State.LoadCancelRequested = false;
}

}  // namespace
