// Common dialogs and message boxes answered by the dialog script: what was asked, what the
// answers do, the questions the file dialogs ask themselves, and the events while they are open.

#include <gtest/gtest.h>

#include <fstream>

#include "framework/dialogs.h"
#include "framework/file_utils.h"
#include "framework/graphics.h"
#include "framework/string_list.h"
#include "framework/tests/scratch_folder.h"
#include "framework/testing/ui_test.h"

using Strings = std::vector<std::string>;

// ---- Message and input boxes -----------------------------------------------------------------

TEST(MessageBoxes, WindowsFlagsBecomeButtonSetsAndResultsComeBackAsIds) {
    uitest::Start();
    struct Case {
        UINT Flags;
        TMsgDlgButtons Buttons;
        TMsgDlgBtn Default;
        TMsgDlgType Type;
        Integer Answer;
        Integer Result;
    } cases[] = {
        {MB_OK, {mbOK}, mbOK, mtCustom, mrOk, IDOK},
        {MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, {mbYes, mbNo}, mbNo, mtConfirmation, mrNo, IDNO},
        {MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON3, {mbYes, mbNo, mbCancel}, mbCancel, mtWarning, mrYes, IDYES},
        {MB_RETRYCANCEL | MB_ICONSTOP, {mbRetry, mbCancel}, mbRetry, mtError, mrRetry, IDRETRY},
        {MB_ABORTRETRYIGNORE | MB_ICONINFORMATION | MB_DEFBUTTON2, {mbAbort, mbRetry, mbIgnore}, mbRetry, mtInformation,
         mrIgnore, IDIGNORE},
        // Closing the box without a button is Cancel.
        {MB_OKCANCEL, {mbOK, mbCancel}, mbOK, mtCustom, mrNone, IDCANCEL},
    };
    for (const Case& c : cases) {
        TScriptedDialogs dialogs;
        dialogs.Answer(c.Answer);
        EXPECT_EQ(MessageBox(nullptr, "Text", "Caption", c.Flags), c.Result) << std::hex << c.Flags;
        const TDialogRequest& r = dialogs.Requests().at(0);
        EXPECT_EQ(r.Buttons, c.Buttons) << std::hex << c.Flags;
        EXPECT_EQ(r.DefaultButton, c.Default) << std::hex << c.Flags;
        EXPECT_EQ(r.DlgType, c.Type) << std::hex << c.Flags;
        EXPECT_EQ(r.Caption, "Caption");
    }
}

TEST(MessageBoxes, DialogsOfTheFrameworkRecordTheirCaptionPlaceAndDefault) {
    uitest::Start();
    TScriptedDialogs dialogs;
    dialogs.Answer(mrAll).Answer(mrOk).Answer(mrOk).Answer(mrCancel).Answer(mrOk, "kept");
    EXPECT_EQ(MessageDlgPos("Replace all?", mtWarning, {mbYes, mbNo, mbAll, mbHelp}, 35, 100, 80), mrAll);
    ShowMessagePos("Done", 10, -1);
    ShowMessage("Plain");
    EXPECT_EQ(InputBox("Zoom", "Percent:", "100"), "100");  // cancelled: the default
    EXPECT_EQ(InputBox("Zoom", "Percent:", "100"), "kept");
    const auto& r = dialogs.Requests();
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0].Caption, "Warning");
    EXPECT_EQ(r[0].Position, (TPoint{100, 80}));
    EXPECT_EQ(r[0].DefaultButton, mbYes);
    EXPECT_EQ(r[0].HelpContext, 35);
    EXPECT_EQ(r[1].Position, (TPoint{10, -1}));
    EXPECT_EQ(r[2].Caption, Application->GetTitle());
    EXPECT_EQ(r[2].Position, (TPoint{-1, -1}));
    EXPECT_EQ(r[3].Kind, dkInput);
    EXPECT_EQ(r[3].Text, "Percent:");
    EXPECT_EQ(r[3].Value, "100");
}

// ---- File dialogs ----------------------------------------------------------------------------

TEST(FileDialogOptions, TakeTheWindowsRequestFlags) {
    EXPECT_EQ(OpenOptionsToFlags({ofReadOnly, ofOverwritePrompt}), 0x3u);
    EXPECT_EQ(OpenOptionsToFlags({ofNoValidate, ofAllowMultiSelect}), 0x300u);
    EXPECT_EQ(OpenOptionsToFlags({ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing}), 0x100000u);
}

class FileDialogs : public ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        uitest::Start();
        Cwd = GetCurrentDir();
        Owner = new TComponent(nullptr);
    }
    void TearDown() override {
        Owner->Free();
        SetCurrentDir(Cwd);
        ScratchFolderTest::TearDown();
    }
    std::string Touch(const std::string& name) {
        std::ofstream(dir_ + name) << "x";
        return dir_ + name;
    }
    template <class D>
    D* Dialog() {
        auto* d = new D(Owner);
        if (!Owner->FindComponent("dlgFile")) d->SetName("dlgFile");
        d->SetFilter("Text files (*.txt)|*.txt|All files|*.*");
        d->SetInitialDir(dir_);
        d->SetDefaultExt("txt");
        return d;
    }
    std::string Cwd;
    TComponent* Owner = nullptr;
};

TEST_F(FileDialogs, OpenIsAnsweredByTheScriptAndRecordsWhatItWasOpenedWith) {
    auto* d = Dialog<TOpenDialog>();
    d->SetTitle("Load keywords");
    d->SetFileName("old.txt");
    d->SetOptions({ofHideReadOnly, ofNoChangeDir});
    TScriptedDialogs dialogs;
    dialogs.Answer(mrCancel).AnswerFiles(mrOk, {"notes"}, 2);
    EXPECT_FALSE(d->Execute());
    EXPECT_EQ(d->GetFileName(), "old.txt");
    EXPECT_EQ(d->GetFilterIndex(), 1);
    ASSERT_TRUE(d->Execute());
    // A bare name is taken in the initial folder and gets the default extension.
    EXPECT_EQ(d->GetFileName(), dir_ + "notes.txt");
    EXPECT_EQ(d->GetFiles()->GetCount(), 1);
    EXPECT_EQ(d->GetFilterIndex(), 2);
    EXPECT_EQ(GetCurrentDir(), Cwd);

    const TDialogRequest& r = dialogs.Requests().at(0);
    EXPECT_EQ(r.Kind, dkCommon);
    EXPECT_EQ(r.DialogClass, "TOpenDialog");
    EXPECT_EQ(r.DialogName, "dlgFile");
    EXPECT_EQ(r.Subject, d);
    EXPECT_EQ(r.Caption, "Load keywords");
    EXPECT_EQ(r.Value, "old.txt");
    EXPECT_EQ(r.Filter, "Text files (*.txt)|*.txt|All files|*.*");
    EXPECT_EQ(r.FilterIndex, 1);
    EXPECT_EQ(r.InitialDir, dir_);
    EXPECT_EQ(r.DefaultExt, "txt");
    EXPECT_EQ(r.Options, 0x0Cu);
}

TEST_F(FileDialogs, MultiSelectFillsFilesAndTheFolderBecomesCurrent) {
    ForceDirectories(dir_ + "sub");
    auto* d = Dialog<TOpenDialog>();
    d->SetOptions({ofAllowMultiSelect, ofFileMustExist});
    std::string a = Touch("sub/a.txt"), b = Touch("sub/b.log");
    TScriptedDialogs dialogs;
    dialogs.AnswerFiles(mrOk, {a, b});
    ASSERT_TRUE(d->Execute());
    ASSERT_EQ(d->GetFiles()->GetCount(), 2);
    EXPECT_EQ(d->GetFiles()->Get(1), b);
    EXPECT_EQ(d->GetFileName(), a);
    EXPECT_FALSE(d->GetOptions().Contains(ofExtensionDifferent));
    EXPECT_EQ(IncludeTrailingPathDelimiter(GetCurrentDir()), dir_ + "sub/");
    dialogs.AnswerFiles(mrOk, {b});
    ASSERT_TRUE(d->Execute());
    EXPECT_TRUE(d->GetOptions().Contains(ofExtensionDifferent));
}

TEST_F(FileDialogs, QuestionsOfTheOptionsKeepTheDialogOpenForTheNextTry) {
    std::string existing = Touch("report.txt");
    auto* save = Dialog<TSaveDialog>();
    save->SetOptions({ofOverwritePrompt, ofNoChangeDir});
    TScriptedDialogs dialogs;
    dialogs.Answer(mrOk, "report").Answer(mrNo).Answer(mrOk, "report").Answer(mrYes);
    ASSERT_TRUE(save->Execute());
    EXPECT_EQ(save->GetFileName(), existing);
    const auto& r = dialogs.Requests();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].Caption, "Save As");
    EXPECT_EQ(r[1].Text, existing + " already exists.\nDo you want to replace it?");
    EXPECT_EQ(r[1].Buttons, (TMsgDlgButtons{mbYes, mbNo}));
    EXPECT_EQ(r[1].DefaultButton, mbNo);
    EXPECT_EQ(r[2].DialogClass, "TSaveDialog");

    auto* open = Dialog<TOpenDialog>();
    open->SetOptions({ofFileMustExist, ofNoChangeDir});
    dialogs.Clear();
    dialogs.Answer(mrOk, "missing.txt").Answer(mrOk).Answer(mrOk, dir_ + "nowhere/x.txt").Answer(mrOk).Answer(mrCancel);
    EXPECT_FALSE(open->Execute());
    ASSERT_EQ(dialogs.Requests().size(), 5u);
    EXPECT_EQ(dialogs.Requests()[1].Text, dir_ + "missing.txt\nFile not found.\nCheck the file name and try again.");
    EXPECT_EQ(dialogs.Requests()[3].Text, dir_ + "nowhere/x.txt\nPath does not exist.\nCheck the path and try again.");
}

TEST_F(FileDialogs, EventsWhileOpenSeeTheCurrentChoiceAndCanKeepItOpen) {
    auto* d = Dialog<TSaveDialog>();
    d->SetOptions({ofNoChangeDir});
    d->SetFileName("photo.jpg");
    Strings log;
    d->OnShow = [&](TObject*) { log.push_back("show"); };
    d->OnTypeChange = [&](TObject*) {
        log.push_back("type " + std::to_string(d->GetFilterIndex()));
        // As a picture dialog does: the name box follows the type.
        d->SetFileNameText(
            ChangeFileExt(ExtractFileName(d->GetFileName()), d->GetFilterIndex() == 1 ? ".txt" : ".dat"));
    };
    d->OnSelectionChange = [&](TObject*) { log.push_back("select " + ExtractFileName(d->GetFileName())); };
    int tries = 0;
    d->OnCanClose = [&](TObject*, bool& can) {
        log.push_back("can close " + ExtractFileName(d->GetFiles()->Get(0)));
        can = ++tries > 1;
    };
    d->OnClose = [&](TObject*) { log.push_back(std::string("close, showing ") + (d->GetShowing() ? "yes" : "no")); };
    TScriptedDialogs dialogs;
    dialogs.AnswerFiles(mrOk, {}, 2).AnswerFiles(mrOk, {}, 1);
    ASSERT_TRUE(d->Execute());
    EXPECT_EQ(log, (Strings{"show", "type 2", "select photo.dat", "can close photo.dat", "type 1", "select photo.txt",
                            "can close photo.txt", "close, showing no"}));
    EXPECT_EQ(d->GetFileName(), dir_ + "photo.txt");
    EXPECT_EQ(d->GetFilterIndex(), 1);
}

TEST_F(FileDialogs, StepsActInsideTheOpenDialogWithoutClosingIt) {
    auto* d = Dialog<TOpenDialog>();
    std::string other = dir_ + "sub";
    ForceDirectories(other);
    Strings log;
    d->OnFolderChange = [&](TObject*) { log.push_back("folder " + ExtractFileName(d->GetFolder())); };
    d->OnTypeChange = [&](TObject*) {
        log.push_back("type " + std::to_string(d->GetFilterIndex()));
        d->SetFileNameText("typed.dat");
    };
    d->OnSelectionChange = [&](TObject*) { log.push_back("select " + d->GetFileName()); };
    d->OnCanClose = [&](TObject*, bool& can) {
        log.push_back("can close");
        can = log.size() > 6;
    };
    TScriptedDialogs dialogs;
    dialogs.OpenFolder(other)
        .ChooseType(2)
        .InDialog([&](TObject* dialog) {
            EXPECT_EQ(dialog, d);
            EXPECT_TRUE(d->GetShowing());
            EXPECT_EQ(dialogs.FileNameBox(), "typed.dat");
            log.push_back("look");
        })
        .SelectFile("a.txt")
        .Answer(mrOk)  // OnCanClose keeps it open
        .SelectFile(dir_ + "b.txt")  // the user tries again
        .Answer(mrOk);
    ASSERT_TRUE(d->Execute());
    // OK takes the name box as it is, which selects it once more.
    const std::string a = "select " + other + "/a.txt", b = "select " + dir_ + "b.txt";
    EXPECT_EQ(log, (Strings{"folder sub", "type 2", "look", a, a, "can close", b, b, "can close"}));
    EXPECT_EQ(d->GetFileName(), dir_ + "b.txt");
    EXPECT_EQ(d->GetFilterIndex(), 2);
    EXPECT_EQ(dialogs.Requests().size(), 2u);  // one per answer, none for the steps
    EXPECT_EQ(dialogs.Pending(), 0u);

    // A step with no file dialog open is unexpected.
    dialogs.SelectFile("x.txt");
    EXPECT_THROW(MessageDlg("?", mtConfirmation, {mbYes}), EInvalidOperation);
}

TEST_F(FileDialogs, PictureDialogsPreviewTheSelectedPicture) {
    auto* d = new TOpenPictureDialog(Owner);
    EXPECT_EQ(d->GetFilter(), GraphicFilter(TGraphic::StaticClass()));
    ASSERT_NE(d->GetExtraPane(), nullptr);
    TBitmap bmp;
    bmp.SetSize(40, 30);
    bmp.SaveToFile(dir_ + "small.bmp");
    std::string text = Touch("readme.txt");
    Strings seen;
    d->OnSelectionChange = [&](TObject*) { seen.push_back(d->GetPreviewText()); };
    d->OnCanClose = [&](TObject*, bool& can) {
        seen.push_back(std::to_string(d->GetPreviewPicture()->GetWidth()));
        can = d->GetPreviewPicture()->GetWidth() > 0;
    };
    TScriptedDialogs dialogs;
    dialogs.Answer(mrOk, text).Answer(mrOk, dir_ + "small.bmp");
    ASSERT_TRUE(d->Execute());
    EXPECT_EQ(seen, (Strings{"(None)", "0", "40 x 30", "40"}));
    EXPECT_EQ(d->GetPreviewText(), "(None)");  // emptied when the dialog closed
}

// ---- Fonts, colours, printing ----------------------------------------------------------------

TEST(OtherDialogs, AnswersReachTheirComponents) {
    uitest::Start();
    auto* owner = new TComponent(nullptr);
    TScriptedDialogs dialogs;

    auto* colors = new TColorDialog(owner);
    colors->SetColor(clBlue);
    dialogs.Answer(mrOk, "clRed").Answer(mrCancel, "clGreen").Answer(mrOk);
    EXPECT_TRUE(colors->Execute());
    EXPECT_EQ(colors->GetColor(), clRed);
    EXPECT_FALSE(colors->Execute());
    EXPECT_TRUE(colors->Execute());
    EXPECT_EQ(colors->GetColor(), clRed);
    EXPECT_EQ(dialogs.Requests().at(0).Value, "clBlue");

    auto* fonts = new TFontDialog(owner);
    fonts->GetFont()->SetName("Arial");
    fonts->GetFont()->SetSize(10);
    dialogs.AnswerDialog(mrOk, [](TObject* d) { static_cast<TFontDialog*>(d)->GetFont()->SetSize(14); });
    EXPECT_TRUE(fonts->Execute());
    EXPECT_EQ(fonts->GetFont()->GetSize(), 14);
    EXPECT_EQ(dialogs.Requests().back().Value, "Arial,10");
    EXPECT_EQ(dialogs.Requests().back().DialogClass, "TFontDialog");

    auto* print = new TPrintDialog(owner);
    print->SetCopies(1);
    dialogs.Answer(mrOk, "3").AnswerDialog(mrOk, [](TObject* d) { static_cast<TPrintDialog*>(d)->SetCopies(5); });
    EXPECT_TRUE(print->Execute());
    EXPECT_EQ(print->GetCopies(), 3);
    EXPECT_TRUE(print->Execute());
    EXPECT_EQ(print->GetCopies(), 5);

    auto* setup = new TPrinterSetupDialog(owner);
    dialogs.Answer(mrCancel);
    EXPECT_FALSE(setup->Execute());
    EXPECT_EQ(dialogs.Requests().back().DialogClass, "TPrinterSetupDialog");
    owner->Free();
}

// ---- The real file dialog --------------------------------------------------------------------

TEST_F(FileDialogs, TheRealDialogShowsTheExtraPaneAndAsksTheSameQuestions) {
    TBitmap bmp;
    bmp.SetSize(60, 40);
    bmp.GetCanvas()->GetBrush()->SetColor(clRed);
    bmp.GetCanvas()->FillRect({0, 0, 60, 40});
    bmp.SaveToFile(dir_ + "red.bmp");
    auto* d = new TOpenPictureDialog(Owner);
    d->SetInitialDir(dir_);
    d->SetFileName(dir_ + "red.bmp");
    d->SetOptions({ofFileMustExist, ofNoChangeDir});
    std::string previewed;
    int redPixels = 0;
    uitest::WhenDialogOpens([&] {
        previewed = d->GetPreviewText();
        uitest::TCapture shown = uitest::CaptureOpenDialog();
        for (uint32_t p : shown.Pixels) redPixels += (p & 0xFFFFFF) == 0xFF0000;
        // A missing file is refused with the same question as the script gets: the warning box
        // opens over the dialog and is answered by Cancel (closing it).
        uitest::WhenDialogOpens([] { uitest::CancelDialog(); });
        uitest::AcceptFileDialog("missing.bmp");
        uitest::AcceptFileDialog("red.bmp");
    });
    int modal = 0;
    Application->OnModalBegin = [&](TObject*) { ++modal; };
    ASSERT_TRUE(d->Execute());
    Application->OnModalBegin = nullptr;
    EXPECT_EQ(modal, 2);  // the dialog and the warning
    EXPECT_EQ(previewed, "60 x 40");
    EXPECT_EQ(redPixels, 60 * 40);
    EXPECT_EQ(d->GetFileName(), dir_ + "red.bmp");
    // The pane left the dialog with it.
    EXPECT_EQ(d->GetExtraPane()->GetParent(), nullptr);
}
