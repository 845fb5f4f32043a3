#include "app/toolbar_rules.h"

TToolbarTable CreateToolbarArray() {
    TToolbarTable table;
    auto set = [&](int Slot, const char* Name, SmallInt Kind, const char* HintSuffix) {
        TToolbarRecord& row = table[Slot];
        row.Name = Name;
        row.Kind = Kind;
        row.Hint = *HintSuffix ? std::string("Display a toolbar ") + HintSuffix : std::string();
    };
    set(tsMain, "Main", trkToolbar, "for general program functions");
    set(tsStatusBar, "Status Bar", trkPseudo, "");
    set(tsMenu, "Menu", trkPseudo, "");
    set(tsSlideshow, "Slideshow", trkToolbar, "of slideshow functions");
    set(tsImageEditing, "Image Editing", trkToolbar, "for image editing");
    set(tsMultimedia, "Multimedia", trkToolbar, "of multimedia functions");
    set(tsTextEditing, "Text Editing", trkToolbar, "of text editing functions");
    set(tsFileGrid, "File Grid", trkToolbar, "for controlling the layout of your File Display Grid");
    set(tsMixer, "Mixer", trkToolWindow, "for changing the volume and other sound options");
    set(tsDescription, "Description", trkToolWindow, "for editing the file description");
    set(tsKeywords, "Keywords", trkToolWindow, "editing the keywords of a file");
    set(tsQuickMove, "Quick Move/Copy", trkToolWindow, "for moving and copying files quickly");
    set(12, "New Window Main", trkPseudo, "");
    set(13, "New Window Multimedia", trkPseudo, "");
    set(14, "New Window Status Bar", trkPseudo, "");
    return table;
}

Integer ViewerKindOf(TLMFileTypes FileType) {
    switch (FileType) {
        case lmImage: return vkImage;
        case lmText: return vkText;
        case lmSound:
        case lmVideo: return vkMedia;
        case lmOffice: return vkOffice;
        default: return vkNone;
    }
}

namespace {

TCommandState Named(const char* Name) {
    TCommandState s;
    s.Name = Name;
    return s;
}

bool Flag(const TToolbarFlags& Visible, int Slot) {
    return Slot < ToolbarEntryCount && Visible[Slot];
}

}  // namespace

TToolbarDisplay ToolbarDisplayFor(const TToolbarTable& Table, const TWindowDisplayState& S) {
    TToolbarDisplay d;
    for (int slot = 0; slot < ToolbarSlotCount; ++slot) {
        const TToolbarRecord& row = Table[slot];
        if (row.Name.empty() || row.Kind == trkPseudo) continue;
        bool shown = Flag(S.Visible, slot);
        if (row.Kind == trkToolWindow)
            shown = shown && !S.HideAll && !S.Slideshow && !(S.FullScreen && S.HideFlyoversInFS);
        else
            shown = shown && (!S.HideAll || S.MouseAtTop);
        switch (slot) {
            case tsMixer:
            case tsMultimedia: shown = shown && S.Kind == vkMedia && !S.Multishow; break;
            case tsSlideshow: shown = shown && S.Slideshow; break;
            case tsImageEditing: shown = shown && S.Kind == vkImage && !S.Multishow; break;
            case tsTextEditing: shown = shown && S.Kind == vkText && !S.Slideshow; break;
            case tsKeywords: shown = false; break;
            default: break;
        }
        d.BarShown[slot] = shown;
    }
    d.MultimediaMenuEnabled = S.Kind == vkMedia;
    d.TextMenuEnabled = S.Kind == vkText;
    d.ImageMenuEnabled = S.Kind == vkImage;
    d.MenuVisible = S.Visible[tsMenu];
    d.StatusBarVisible = (S.Visible[tsStatusBar] && !S.HideAll) || (S.MouseAtBottom && S.FullScreen);
    return d;
}

TShortCut EditShortCut(char Letter) {
    return ShortCut(Word(Letter), {ssCtrl});
}

TCommandStates ButtonDisplayFor(const TWindowDisplayState& S) {
    TCommandStates out;
    auto state = [&](const char* Name) -> TCommandState& {
        out.push_back({});
        out.back().Name = Name;
        return out.back();
    };
    auto enable = [&](std::initializer_list<const char*> Names, bool On) {
        for (const char* n : Names) state(n).Enabled = On;
    };
    auto show = [&](std::initializer_list<const char*> Names, bool On) {
        for (const char* n : Names) state(n).Visible = On;
    };
    const bool shown = S.Shown();
    const Integer k = S.Kind;
    const bool hasItems = S.HasFile && S.HasItems;

    // Zoom.
    const bool zoom = (k == vkText || k == vkImage) && !S.Multishow && shown;
    TCommandState& actZoom = state("actZoom");
    actZoom.Visible = zoom;
    actZoom.Enabled = !S.LastLoadFailed;
    enable({"btnzoomout", "btnzoomin"}, zoom);

    // The file, the stop button, saving, printing.
    enable({"actNewWindow", "actFileInfo"}, shown);
    show({"btnstop", "SepStop"}, S.Loading);
    state("actSaveFile").Enabled = shown && S.FileHasChanged;
    const bool printable =
        S.FileType == lmImage || S.FileType == lmText || S.FileType == lmVideo || S.FileType == lmOffice;
    state("actFilePrint").Enabled = k == vkMedia ? shown && S.MediaHasPicture : shown && printable;

    // The grid commands that work in the details view only.
    enable({"actGridGrouper", "actGridColumnSelector", "actGridPreview", "actGridCollapseAll", "actGridExpandAll"},
           S.FileDisplayMode == 0);

    // Image editing.
    show({"actImageCut", "actImageUndo", "actImageCopy", "actImagePaste", "actBatchConversion"}, k == vkImage);
    const bool imageCopy = k == vkImage && !S.Loading && shown;
    enable({"actImageCopy", "actImageRotateLeft", "actImageRotateRight", "actImageFreeRotate", "actImageCrop",
            "actImageResize"},
           imageCopy);

    // Media.
    const bool media = !S.Loading && shown;
    TCommandState& controls = state("actMMControls");
    controls.Visible = k == vkMedia;
    controls.Enabled = media;
    enable({"actMMFF", "actMMRewind", "actMMPlay", "actMMPause", "actMMStop", "trkmm", "lblpos"}, media);
    enable({"actMMLoop"}, media && !S.Slideshow);
    TCommandState& mixer = state("actMixer");
    mixer.Enabled = media && !S.Slideshow;
    mixer.Checked = S.Visible[tsMixer];
    const bool videoFrame = shown && k == vkMedia && S.MediaHasPicture;
    show({"actCopyVideoFrame"}, videoFrame);

    // Text.
    show({"actTextCut", "actTextCopy", "actTextPaste", "actTextUndo"}, k == vkText);
    TCommandState& wrap = state("actWrapText");
    wrap.Visible = k == vkText;
    if (k == vkText) wrap.Checked = S.WordWrap;

    // The file commands and the bookmarks.
    enable({"actRename", "actMoveCopy", "actDelete", "actBookmark", "actLaunchFile", "actEmailFile"}, hasItems);
    show({"actBookmark"}, S.BrowseMode != 4);
    TCommandState& functions = state("actBookmarkFunctions");
    functions.Visible = S.BrowseMode == 4 && hasItems;
    functions.Enabled = S.BrowseMode == 4 && hasItems;
    show({"actNewBookmarkFile"}, S.BrowseMode == 4);

    enable({"btnthumb"}, !S.FullScreen);

    // Fitting, the menu and the status bar.
    const bool video = S.FileType == lmVideo;
    state("actShrinkToFit").Checked = video ? S.VideoShrink : S.ImageShrink;
    state("actStretchToFit").Checked = video ? S.VideoStretch : S.ImageStretch;
    state("actStatusBarVisible").Checked = S.Visible[tsStatusBar];
    state("actMenuVisible").Checked = S.Visible[tsMenu];

    // One owner per edit key: the image commands for images, the text commands for text, the
    // video frame for media (while it shows: a hidden command holds no key).
    struct Key {
        const char* Image;
        const char* Text;
        char Letter;
    };
    for (const Key& key : {Key{"actImageCut", "actTextCut", 'X'}, Key{"actImageCopy", "actTextCopy", 'C'},
                           Key{"actImageUndo", "actTextUndo", 'Z'}, Key{"actImagePaste", "actTextPaste", 'V'}}) {
        state(key.Image).ShortCut = k == vkImage ? EditShortCut(key.Letter) : scNone;
        state(key.Text).ShortCut = k == vkText ? EditShortCut(key.Letter) : scNone;
    }
    state("actCopyVideoFrame").ShortCut = videoFrame ? EditShortCut('C') : scNone;
    return out;
}

TCommandStates TransButtonsFor(const TWindowDisplayState& S) {
    TCommandStates out;
    TCommandState pasteAsNew = Named("actImagePasteAsNew");
    pasteAsNew.Visible = S.DisplayMode == vkImage || S.ClipboardHasImage;
    pasteAsNew.Enabled = *pasteAsNew.Visible && S.ClipboardHasImage;
    out.push_back(pasteAsNew);
    TCommandState frame = Named("actCopyVideoFrame");
    frame.Enabled = S.CopyVideoFrameVisible && S.MediaPlayingOrPaused;
    out.push_back(frame);
    if (S.DisplayMode == vkImage) {
        TCommandState undo = Named("actImageUndo");
        undo.Enabled = S.CanUndo;
        out.push_back(undo);
        TCommandState cut = Named("actImageCut");
        cut.Enabled = S.HasSelection;
        out.push_back(cut);
        TCommandState copy = Named("actImageCopy");
        copy.Caption = S.HasSelection ? "Copy Image Selection" : "Copy Image to Clipboard";
        out.push_back(copy);
        TCommandState paste = Named("actImagePaste");
        paste.Enabled = S.ImageCopyEnabled && S.ClipboardHasImage;
        out.push_back(paste);
    }
    return out;
}

std::vector<TToolbarMenuEntry> ToolbarMenuEntries(const TToolbarTable& Table, const TToolbarFlags& Visible,
                                                  bool ToolWindows, bool Slideshow, Integer DisplayMode) {
    std::vector<TToolbarMenuEntry> entries;
    const SmallInt wanted = ToolWindows ? trkToolWindow : trkToolbar;
    for (int slot = 0; slot < ToolbarSlotCount; ++slot) {
        const TToolbarRecord& row = Table[slot];
        if (row.Name.empty() || row.Kind != wanted || slot == tsKeywords) continue;
        TToolbarMenuEntry e;
        e.Caption = row.Name;
        e.Hint = row.Hint;
        e.Tag = slot;
        e.Checked = Flag(Visible, slot);
        switch (slot) {
            case tsSlideshow: e.Enabled = Slideshow; break;
            case tsMixer:
            case tsMultimedia: e.Enabled = DisplayMode == vkMedia; break;
            case tsImageEditing: e.Enabled = DisplayMode == vkImage; break;
            case tsTextEditing: e.Enabled = DisplayMode == vkText; break;
            default: break;
        }
        entries.push_back(e);
    }
    return entries;
}

TPoint ClampFloatingBar(const TRect& Bar, Integer ScreenW, Integer ScreenH) {
    const Integer width = Bar.Width(), height = Bar.Height();
    Integer left = Bar.Left, top = Bar.Top;
    if (left > ScreenW - 25) left = (ScreenW / 5) * 4 - width;
    if (top > ScreenH - 60) top = (ScreenH / 5) * 4 - height;
    if (left + width < 10) left = 3;
    if (top + height < 10) top = 3;
    return {left, top};
}
