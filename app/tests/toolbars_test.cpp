// The bar and command rules of the main window (app/toolbar_rules.h), as tables of window states.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/toolbar_rules.h"

namespace {

// The commands' states once every statement about them is applied in order.
std::map<std::string, TCommandState> Resolve(const TCommandStates& States) {
    std::map<std::string, TCommandState> out;
    for (const TCommandState& s : States) {
        TCommandState& r = out[s.Name];
        r.Name = s.Name;
        if (s.Visible) r.Visible = s.Visible;
        if (s.Enabled) r.Enabled = s.Enabled;
        if (s.Checked) r.Checked = s.Checked;
        if (s.ShortCut) r.ShortCut = s.ShortCut;
        if (s.Caption) r.Caption = s.Caption;
    }
    return out;
}

TWindowDisplayState Showing(TLMFileTypes Type) {
    TWindowDisplayState s;
    s.FileType = Type;
    s.Kind = s.DisplayMode = ViewerKindOf(Type);
    s.HasFile = s.HasItems = true;
    return s;
}

}  // namespace

TEST(ToolbarTable, NamesKindsAndSlots) {
    const TToolbarTable t = CreateToolbarArray();
    for (int slot = 0; slot < ToolbarEntryCount; ++slot) EXPECT_EQ(t[slot].Name, ToolbarEntryNames[slot]) << slot;
    for (int slot = ToolbarEntryCount; slot < ToolbarSlotCount; ++slot) EXPECT_TRUE(t[slot].Name.empty());
    EXPECT_EQ(t[tsMain].Kind, trkToolbar);
    EXPECT_EQ(t[tsMenu].Kind, trkPseudo);
    EXPECT_EQ(t[tsMixer].Kind, trkToolWindow);
    EXPECT_EQ(t[tsFileGrid].Hint, "Display a toolbar for controlling the layout of your File Display Grid");
    EXPECT_EQ(t[tsStatusBar].Hint, "");
}

TEST(ToolbarDisplay, BarsFollowTheKindTheShowsAndHideAll) {
    const TToolbarTable t = CreateToolbarArray();
    struct Case {
        const char* What;
        TLMFileTypes Type;
        bool Slideshow, Multishow, HideAll, FullScreen, Top, Bottom;
        // Main, image, text, multimedia, grid, slideshow, mixer, description; the status bar.
        const char* Bars;
        bool Status;
    } cases[] = {
        {"image", lmImage, false, false, false, false, false, false, "MI..G..D", true},
        {"sound", lmSound, false, false, false, false, false, false, "M..MG.MD", true},
        {"video", lmVideo, false, false, false, false, false, false, "M..MG.MD", true},
        {"text", lmText, false, false, false, false, false, false, "M.T.G..D", true},
        {"text in a slideshow", lmText, true, false, false, false, false, false, "M...GS..", true},
        {"image in a multishow", lmImage, true, true, false, false, false, false, "M...GS..", true},
        {"sound in a multishow", lmSound, true, true, false, false, false, false, "M...GS..", true},
        {"sound in a slideshow", lmSound, true, false, false, false, false, false, "M..MGS..", true},
        {"office document", lmOffice, false, false, false, false, false, false, "M...G..D", true},
        {"hide-all", lmImage, false, false, true, false, false, false, "........", false},
        {"hide-all, mouse at the top", lmImage, false, false, true, false, true, false, "MI..G...", false},
        {"hide-all in full screen, mouse at the bottom", lmImage, false, false, true, true, false, true, "........",
         true},
        {"full screen hides the flyovers", lmSound, false, false, false, true, false, false, "M..MG...", true},
    };
    const int slots[] = {tsMain,     tsImageEditing, tsTextEditing, tsMultimedia,
                         tsFileGrid, tsSlideshow,    tsMixer,       tsDescription};
    for (const Case& c : cases) {
        TWindowDisplayState s = Showing(c.Type);
        s.Slideshow = c.Slideshow;
        s.Multishow = c.Multishow;
        s.HideAll = c.HideAll;
        s.FullScreen = c.FullScreen;
        s.MouseAtTop = c.Top;
        s.MouseAtBottom = c.Bottom;
        const TToolbarDisplay d = ToolbarDisplayFor(t, s);
        std::string bars;
        for (int i = 0; i < 8; ++i) bars += d.BarShown[slots[i]] ? c.Bars[i] == '.' ? '?' : c.Bars[i] : '.';
        EXPECT_EQ(bars, c.Bars) << c.What;
        EXPECT_EQ(d.StatusBarVisible, c.Status) << c.What;
        EXPECT_FALSE(d.BarShown[tsKeywords]) << c.What;
        EXPECT_EQ(d.ImageMenuEnabled, c.Type == lmImage) << c.What;
        EXPECT_EQ(d.MultimediaMenuEnabled, c.Type == lmSound || c.Type == lmVideo) << c.What;
        EXPECT_EQ(d.TextMenuEnabled, c.Type == lmText) << c.What;
    }
}

TEST(ToolbarDisplay, FlagsHideBarsAndTheFlyoverSettingOnlyActsInFullScreen) {
    const TToolbarTable t = CreateToolbarArray();
    TWindowDisplayState s = Showing(lmSound);
    s.Visible[tsMixer] = false;
    s.Visible[tsMain] = false;
    s.Visible[tsMenu] = false;
    s.Visible[tsStatusBar] = false;
    TToolbarDisplay d = ToolbarDisplayFor(t, s);
    EXPECT_FALSE(d.BarShown[tsMixer]);
    EXPECT_FALSE(d.BarShown[tsMain]);
    EXPECT_FALSE(d.MenuVisible);
    EXPECT_FALSE(d.StatusBarVisible);
    EXPECT_TRUE(d.BarShown[tsMultimedia]);

    s = Showing(lmImage);
    s.FullScreen = true;
    s.HideFlyoversInFS = false;
    d = ToolbarDisplayFor(t, s);
    EXPECT_TRUE(d.BarShown[tsDescription]);
    EXPECT_TRUE(d.BarShown[tsQuickMove]);
    s.HideFlyoversInFS = true;
    d = ToolbarDisplayFor(t, s);
    EXPECT_FALSE(d.BarShown[tsDescription]);
    EXPECT_TRUE(d.BarShown[tsMain]);
    EXPECT_TRUE(d.BarShown[tsImageEditing]);
}

TEST(ButtonDisplay, EachEditKeyHasOneVisibleOwnerPerKind) {
    struct Case {
        TLMFileTypes Type;
        bool Picture;
        const char* Owner;  // of Ctrl+C ("" none)
    } cases[] = {{lmImage, false, "actImageCopy"},
                 {lmText, false, "actTextCopy"},
                 {lmVideo, true, "actCopyVideoFrame"},
                 {lmSound, false, ""},
                 {lmOffice, false, ""},
                 {lmnone, false, ""}};
    for (const Case& c : cases) {
        TWindowDisplayState s = Showing(c.Type);
        s.MediaHasPicture = c.Picture;
        const auto states = Resolve(ButtonDisplayFor(s));
        for (char letter : {'X', 'C', 'V', 'Z'}) {
            int owners = 0;
            std::string owner;
            for (const auto& [name, st] : states) {
                if (st.ShortCut != EditShortCut(letter)) continue;
                EXPECT_TRUE(st.Visible.value_or(true)) << name << " holds Ctrl+" << letter << " hidden";
                ++owners;
                owner = name;
            }
            EXPECT_LE(owners, 1) << "Ctrl+" << letter << " for " << LMFileTypeToStr(c.Type);
            if (letter == 'C') {
                EXPECT_EQ(owner, c.Owner) << LMFileTypeToStr(c.Type);
            }
        }
    }
}

TEST(ButtonDisplay, FileCommandsFollowTheListAndTheBrowseMode) {
    TWindowDisplayState s = Showing(lmImage);
    s.HasItems = false;
    auto st = Resolve(ButtonDisplayFor(s));
    for (const char* name : {"actRename", "actMoveCopy", "actDelete", "actBookmark", "actLaunchFile", "actEmailFile"})
        EXPECT_EQ(st[name].Enabled, false) << name;

    s = Showing(lmImage);
    st = Resolve(ButtonDisplayFor(s));
    EXPECT_EQ(st["actDelete"].Enabled, true);
    EXPECT_EQ(st["actBookmark"].Visible, true);
    EXPECT_EQ(st["actBookmarkFunctions"].Visible, false);
    EXPECT_EQ(st["actNewBookmarkFile"].Visible, false);

    s.BrowseMode = 4;
    st = Resolve(ButtonDisplayFor(s));
    EXPECT_EQ(st["actBookmark"].Visible, false);
    EXPECT_EQ(st["actBookmarkFunctions"].Visible, true);
    EXPECT_EQ(st["actBookmarkFunctions"].Enabled, true);
    EXPECT_EQ(st["actNewBookmarkFile"].Visible, true);
}

TEST(ButtonDisplay, LoadingFailuresAndTheKindEnableTheViewerCommands) {
    struct Case {
        const char* What;
        TLMFileTypes Type;
        bool Loading, Failed, Multishow, Picture;
        bool Zoom, ImageCopy, MMControls, Print, Stop;
    } cases[] = {
        {"image", lmImage, false, false, false, false, true, true, false, true, false},
        {"image loading", lmImage, true, false, false, false, true, false, false, true, true},
        {"failed image", lmImage, false, true, false, false, false, false, false, false, false},
        {"image in a multishow", lmImage, false, false, true, false, false, true, false, true, false},
        {"text", lmText, false, false, false, false, true, false, false, true, false},
        {"sound", lmSound, false, false, false, false, false, false, true, false, false},
        {"video", lmVideo, false, false, false, true, false, false, true, true, false},
        {"other", lmOther, false, false, false, false, false, false, false, false, false},
    };
    for (const Case& c : cases) {
        TWindowDisplayState s = Showing(c.Type);
        s.Loading = c.Loading;
        s.LastLoadFailed = c.Failed;
        s.Multishow = c.Multishow;
        s.MediaHasPicture = c.Picture;
        auto st = Resolve(ButtonDisplayFor(s));
        EXPECT_EQ(st["actZoom"].Visible, c.Zoom) << c.What;
        EXPECT_EQ(st["btnzoomin"].Enabled, c.Zoom) << c.What;
        EXPECT_EQ(st["actImageCopy"].Enabled, c.ImageCopy) << c.What;
        EXPECT_EQ(st["actImageCrop"].Enabled, c.ImageCopy) << c.What;
        EXPECT_EQ(st["actMMControls"].Visible, c.Type == lmSound || c.Type == lmVideo) << c.What;
        EXPECT_EQ(st["actMMControls"].Enabled, !c.Loading && !c.Failed) << c.What;
        EXPECT_EQ(st["actMMPlay"].Enabled, !c.Loading && !c.Failed) << c.What;
        EXPECT_EQ(st["actFilePrint"].Enabled, c.Print) << c.What;
        EXPECT_EQ(st["btnstop"].Visible, c.Stop) << c.What;
        EXPECT_EQ(st["actNewWindow"].Enabled, !c.Failed) << c.What;
    }
}

TEST(ButtonDisplay, ChecksFollowTheSettingsAndTheFlags) {
    TWindowDisplayState s = Showing(lmVideo);
    s.VideoShrink = false;
    s.VideoStretch = true;
    s.Visible[tsMixer] = false;
    s.Visible[tsMenu] = false;
    s.Slideshow = true;
    auto st = Resolve(ButtonDisplayFor(s));
    EXPECT_EQ(st["actShrinkToFit"].Checked, false);
    EXPECT_EQ(st["actStretchToFit"].Checked, true);
    EXPECT_EQ(st["actMixer"].Checked, false);
    EXPECT_EQ(st["actMixer"].Enabled, false);  // no mixer during a slideshow
    EXPECT_EQ(st["actMenuVisible"].Checked, false);
    EXPECT_EQ(st["actStatusBarVisible"].Checked, true);

    s = Showing(lmImage);
    st = Resolve(ButtonDisplayFor(s));
    EXPECT_EQ(st["actShrinkToFit"].Checked, true);
    s = Showing(lmText);
    s.WordWrap = true;
    EXPECT_EQ(Resolve(ButtonDisplayFor(s))["actWrapText"].Checked, true);
    s.FullScreen = true;
    s.FileDisplayMode = 1;
    st = Resolve(ButtonDisplayFor(s));
    EXPECT_EQ(st["btnthumb"].Enabled, false);
    EXPECT_EQ(st["actGridGrouper"].Enabled, false);
    EXPECT_EQ(st["actGridColumnWidth"].Enabled, std::nullopt);
}

TEST(TransButtons, TheClipboardTheSelectionAndUndo) {
    TWindowDisplayState s = Showing(lmImage);
    auto st = Resolve(TransButtonsFor(s));
    EXPECT_EQ(st["actImagePasteAsNew"].Visible, true);
    EXPECT_EQ(st["actImagePasteAsNew"].Enabled, false);
    EXPECT_EQ(st["actImageCopy"].Caption, "Copy Image to Clipboard");
    EXPECT_EQ(st["actImageCut"].Enabled, false);
    EXPECT_EQ(st["actImagePaste"].Enabled, false);

    s.ClipboardHasImage = s.HasSelection = s.CanUndo = s.ImageCopyEnabled = true;
    st = Resolve(TransButtonsFor(s));
    EXPECT_EQ(st["actImagePasteAsNew"].Enabled, true);
    EXPECT_EQ(st["actImageCopy"].Caption, "Copy Image Selection");
    EXPECT_EQ(st["actImageCut"].Enabled, true);
    EXPECT_EQ(st["actImageUndo"].Enabled, true);
    EXPECT_EQ(st["actImagePaste"].Enabled, true);

    // Outside the image view only "Paste as New Image" and the video frame follow.
    s = Showing(lmVideo);
    st = Resolve(TransButtonsFor(s));
    EXPECT_EQ(st["actImagePasteAsNew"].Visible, false);
    EXPECT_EQ(st.count("actImageCut"), 0u);
    EXPECT_EQ(st["actCopyVideoFrame"].Enabled, false);
    s.ClipboardHasImage = true;
    s.CopyVideoFrameVisible = s.MediaPlayingOrPaused = true;
    st = Resolve(TransButtonsFor(s));
    EXPECT_EQ(st["actImagePasteAsNew"].Visible, true);
    EXPECT_EQ(st["actCopyVideoFrame"].Enabled, true);
}

TEST(ToolbarMenus, EntriesOfTheToolbarAndFlyoverMenus) {
    const TToolbarTable t = CreateToolbarArray();
    TToolbarFlags flags;
    flags.fill(true);
    flags[tsFileGrid] = false;
    std::string captions;
    for (const auto& e : ToolbarMenuEntries(t, flags, false, false, vkImage))
        captions += e.Caption + (e.Checked ? "" : "-") + (e.Enabled ? "" : "!") + ";";
    EXPECT_EQ(captions, "Main;Image Editing;Text Editing!;Multimedia!;File Grid-;Slideshow!;");
    captions.clear();
    for (const auto& e : ToolbarMenuEntries(t, flags, true, true, vkMedia))
        captions += e.Caption + "@" + std::to_string(e.Tag) + (e.Enabled ? "" : "!") + ";";
    // "Keywords" is never listed.
    EXPECT_EQ(captions, "Description@9;Quick Move/Copy@10;Mixer@11;");
    EXPECT_EQ(ToolbarMenuEntries(t, flags, true, false, vkImage).back().Enabled, false);
    EXPECT_EQ(ToolbarMenuEntries(t, flags, false, false, vkImage)[0].Hint,
              "Display a toolbar for general program functions");
}

TEST(FloatingBars, AreKeptOnTheScreen) {
    struct Case {
        TRect Bar;
        TPoint Expected;
    } cases[] = {
        {Bounds(1014, 100, 200, 30), {(1024 / 5) * 4 - 200, 100}},  // left at screen width - 10
        {Bounds(999, 100, 200, 30), {999, 100}},  // just inside the limit
        {Bounds(100, 760, 200, 30), {100, (768 / 5) * 4 - 30}},
        {Bounds(-2000, -500, 200, 30), {3, 3}},
        {Bounds(-185, -15, 200, 30), {-185, -15}},  // still reachable
        {Bounds(-190, 100, 200, 30), {-190, 100}},
        {Bounds(-191, 100, 200, 30), {3, 100}},
    };
    for (const Case& c : cases) {
        const TPoint p = ClampFloatingBar(c.Bar, 1024, 768);
        EXPECT_EQ(p.X, c.Expected.X) << c.Bar.Left << "," << c.Bar.Top;
        EXPECT_EQ(p.Y, c.Expected.Y) << c.Bar.Left << "," << c.Bar.Top;
    }
}
