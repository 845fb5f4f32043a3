#pragma once
// The dialog service: every message box, input box, common dialog and modal form goes through
// it, so tests can answer them from a script and check what was asked. The beep goes through it
// too.

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/forms.h"

// ---------------------------------------------------------------------------------------------
// Message boxes

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// MessageBox flags and results (Windows values).
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_DEFBUTTON1 = 0x00000000;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_DEFBUTTON3 = 0x00000200;
constexpr UINT MB_APPLMODAL = 0x00000000;
constexpr UINT MB_SYSTEMMODAL = 0x00001000;
constexpr UINT MB_TASKMODAL = 0x00002000;
constexpr Integer IDOK = 1;
constexpr Integer IDCANCEL = 2;
constexpr Integer IDABORT = 3;
constexpr Integer IDRETRY = 4;
constexpr Integer IDIGNORE = 5;
constexpr Integer IDYES = 6;
constexpr Integer IDNO = 7;

// What a dialog asks, as the service (and a test script) sees it.
enum TDialogKind { dkMessage, dkInput, dkForm, dkCommon };

struct TDialogAnswer;

// What a common dialog does while it is open, as the user works in it. The real dialog and a
// test script both drive it.
class TDialogSession {
public:
    virtual ~TDialogSession() = default;
    virtual void Shown() {}
    virtual void FolderChanged(const std::string& Folder) {}
    // The file type chosen (FilterIndex from 1).
    virtual void TypeChanged(Integer FilterIndex) {}
    virtual void SelectionChanged(const std::string& FileName) {}
    // OK was pressed: the session may complete Answer (full paths, default extension) and ask
    // more questions; false keeps the dialog open.
    virtual bool CanClose(TDialogAnswer& Answer) { return true; }
    virtual void Closed() {}
    // Set by whoever runs the dialog while it is open: puts a text into its file name box.
    std::function<void(const std::string& Text)> SetFileNameBox;
};

struct TDialogRequest {
    TDialogKind Kind = dkMessage;
    std::string Caption;   // the window title
    std::string Text;      // the message, or the prompt of an input box
    TMsgDlgType DlgType = mtCustom;
    TMsgDlgButtons Buttons;
    TMsgDlgBtn DefaultButton = mbOK;
    Integer HelpContext = 0;
    std::string Value;     // input box: the text offered; common dialogs: the file name (or
                           // colour, ...) offered
    std::string DialogClass;  // forms: the class name; common dialogs: their class
    std::string DialogName;   // forms and common dialogs: the component name
    TObject* Subject = nullptr;  // the form or dialog component
    TPoint Position{-1, -1};     // message boxes: the screen point asked for (-1: centred)
    // File dialogs: what they were opened with.
    std::string Filter;          // "Description|*.a;*.b|..."
    Integer FilterIndex = 0;     // from 1
    std::string InitialDir;
    std::string DefaultExt;
    DWORD Options = 0;           // the Windows flags of the dialog's options (OFN_*)
    TDialogSession* Session = nullptr;
};

// What the user answered.
struct TDialogAnswer {
    Integer Result = mrNone;  // a modal result (mrOk, mrYes ...)
    std::string Value;        // input boxes and common dialogs (file dialogs: the first file)
    std::vector<std::string> Files;  // file dialogs: every file chosen
    Integer FilterIndex = 0;         // file dialogs: the file type chosen (0: unchanged)
};

class TDialogService {
public:
    virtual ~TDialogService() = default;
    // Message boxes: returns the modal result of the button pressed.
    virtual Integer MessageDlg(const TDialogRequest& Request);
    // Input boxes: true with Value set when accepted.
    virtual bool InputQuery(const TDialogRequest& Request, std::string& Value);
    // Modal forms: shows Form modally and returns its ModalResult.
    virtual TModalResult ShowModal(TCustomForm* Form, const TDialogRequest& Request);
    // Common dialogs (open, save, colour, print ...): Run shows the real dialog and fills the
    // answer; true when the user accepted.
    virtual bool ExecuteDialog(const TDialogRequest& Request, TDialogAnswer& Answer,
                               const std::function<bool(TDialogAnswer& Answer)>& Run);
    virtual void Beep(UINT Type);
};

// The service in use (the real dialogs unless a test installed another).
TDialogService* DialogService();
// Installs Service (nullptr: the real dialogs); returns the previous one. The caller keeps
// ownership.
TDialogService* SetDialogService(TDialogService* Service);

// A script of answers for tests. Each dialog takes the next answer; the request is recorded.
// For forms an answer can act on the shown form first (fill edits, press buttons through the
// input toolkit): the form is then really shown modally and Action runs on its first idle turn;
// if Action does not close it, the answer's result closes it. Without Action the form is not
// shown and the result is returned at once. A dialog with no answer left fails the test through
// OnUnexpected (the default raises EInvalidOperation).
//
// Common dialogs take an answer as a press of OK (mrOk) or Cancel in the open dialog. File
// dialogs: Value is the name typed or chosen (empty: the name box as it is, the name offered or
// what the program put there); AnswerFiles chooses several files and may choose a file type
// first. A file dialog that does not let the answer close it (a question answered No, OnCanClose)
// takes the next answer as the user's next try. Colour dialogs take the colour as text
// ("clRed", "$00FF8000"); AnswerDialog acts on the dialog component (a font, the copies) before
// the answer is taken.
class TScriptedDialogs : public TDialogService {
public:
    TScriptedDialogs();
    ~TScriptedDialogs() override;

    TScriptedDialogs& Answer(Integer Result, std::string Value = {});
    TScriptedDialogs& AnswerForm(Integer Result, std::function<void(TCustomForm*)> Action = nullptr);
    TScriptedDialogs& AnswerFiles(Integer Result, std::vector<std::string> Files, Integer FilterIndex = 0);
    TScriptedDialogs& AnswerDialog(Integer Result, std::function<void(TObject* Dialog)> Action);
    // Steps the user takes inside an open file dialog without closing it, in turn, before the
    // answer that closes it (or tries to): open a folder, choose a file type (from 1), select a
    // file (a name without folder is in the folder shown), or work in the open dialog (its
    // component, with its pane) as InDialog's Action does. A step reached outside a file dialog
    // is unexpected.
    TScriptedDialogs& OpenFolder(std::string Folder);
    TScriptedDialogs& ChooseType(Integer FilterIndex);
    TScriptedDialogs& SelectFile(std::string FileName);
    TScriptedDialogs& InDialog(std::function<void(TObject* Dialog)> Action);
    // The text of the open file dialog's name box (what the program or the steps put there).
    const std::string& FileNameBox() const { return FNameBox ? *FNameBox : FNoName; }

    const std::vector<TDialogRequest>& Requests() const { return FRequests; }
    size_t Pending() const { return FAnswers.size(); }
    Integer Beeps() const { return Integer(FBeeps.size()); }
    const std::vector<UINT>& BeepTypes() const { return FBeeps; }
    void Clear();

    std::function<void(const TDialogRequest&)> OnUnexpected;

    Integer MessageDlg(const TDialogRequest& Request) override;
    bool InputQuery(const TDialogRequest& Request, std::string& Value) override;
    TModalResult ShowModal(TCustomForm* Form, const TDialogRequest& Request) override;
    bool ExecuteDialog(const TDialogRequest& Request, TDialogAnswer& Answer,
                       const std::function<bool(TDialogAnswer& Answer)>& Run) override;
    void Beep(UINT Type) override;

private:
    struct TFileDialogState;
    struct Entry {
        TDialogAnswer Answer;
        std::function<void(TCustomForm*)> Action = nullptr;
        std::function<void(TObject*)> DialogAction = nullptr;
        // A step inside an open file dialog.
        std::function<void(TFileDialogState&)> Step = nullptr;
    };
    Entry Next(const TDialogRequest& Request);
    TScriptedDialogs& AddStep(std::function<void(TFileDialogState&)> Step);
    std::string* FNameBox = nullptr;  // the innermost open file dialog's
    std::string FNoName;

    std::deque<Entry> FAnswers;
    std::vector<TDialogRequest> FRequests;
    std::vector<UINT> FBeeps;
    TDialogService* FPrevious = nullptr;
};

// ---------------------------------------------------------------------------------------------
// The framework's dialog routines

Integer MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx = 0);
Integer MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx,
                   TMsgDlgBtn DefaultButton);
// The same with the box's top left at the screen point (X, Y); -1 centres it on that axis.
Integer MessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx, Integer X,
                      Integer Y);
Integer MessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx, Integer X,
                      Integer Y, TMsgDlgBtn DefaultButton);
void ShowMessage(const std::string& Msg);
void ShowMessagePos(const std::string& Msg, Integer X, Integer Y);
bool InputQuery(const std::string& ACaption, const std::string& APrompt, std::string& Value);
std::string InputBox(const std::string& ACaption, const std::string& APrompt, const std::string& ADefault);
// Windows' message box: MB_* flags in, ID* out.
Integer MessageBox(HWND Wnd, const std::string& Text, const std::string& Caption, UINT Type);
bool MessageBeep(UINT Type);
void Beep();
// Ends what the mouse and the hints were doing before a dialog opens (every dialog does this).
void CancelModesForDialog();
// The caption a message box of that type has ("Warning", "Error", "Information", "Confirm").
std::string MsgDlgCaption(TMsgDlgType DlgType);
