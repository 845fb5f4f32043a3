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

struct TDialogRequest {
    TDialogKind Kind = dkMessage;
    std::string Caption;   // the window title
    std::string Text;      // the message, or the prompt of an input box
    TMsgDlgType DlgType = mtCustom;
    TMsgDlgButtons Buttons;
    TMsgDlgBtn DefaultButton = mbOK;
    Integer HelpContext = 0;
    std::string Value;     // input box: the text offered; common dialogs: a file name
    std::string DialogClass;  // forms: the class name; common dialogs: their kind
    std::string DialogName;   // forms and common dialogs: the component name
    TObject* Subject = nullptr;  // the form or dialog component
};

// What the user answered.
struct TDialogAnswer {
    Integer Result = mrNone;  // a modal result (mrOk, mrYes ...)
    std::string Value;        // input boxes and common dialogs
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
    // Common dialogs (open, save, colour, print ...): Run shows the real dialog.
    virtual bool ExecuteDialog(const TDialogRequest& Request, std::string& Value,
                               const std::function<bool(std::string& Value)>& Run);
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
class TScriptedDialogs : public TDialogService {
public:
    TScriptedDialogs();
    ~TScriptedDialogs() override;

    TScriptedDialogs& Answer(Integer Result, std::string Value = {});
    TScriptedDialogs& AnswerForm(Integer Result, std::function<void(TCustomForm*)> Action = nullptr);

    const std::vector<TDialogRequest>& Requests() const { return FRequests; }
    size_t Pending() const { return FAnswers.size(); }
    Integer Beeps() const { return Integer(FBeeps.size()); }
    const std::vector<UINT>& BeepTypes() const { return FBeeps; }
    void Clear();

    std::function<void(const TDialogRequest&)> OnUnexpected;

    Integer MessageDlg(const TDialogRequest& Request) override;
    bool InputQuery(const TDialogRequest& Request, std::string& Value) override;
    TModalResult ShowModal(TCustomForm* Form, const TDialogRequest& Request) override;
    bool ExecuteDialog(const TDialogRequest& Request, std::string& Value,
                       const std::function<bool(std::string& Value)>& Run) override;
    void Beep(UINT Type) override;

private:
    struct Entry {
        TDialogAnswer Answer;
        std::function<void(TCustomForm*)> Action;
    };
    Entry Next(const TDialogRequest& Request);

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
void ShowMessage(const std::string& Msg);
bool InputQuery(const std::string& ACaption, const std::string& APrompt, std::string& Value);
std::string InputBox(const std::string& ACaption, const std::string& APrompt, const std::string& ADefault);
// Windows' message box: MB_* flags in, ID* out.
Integer MessageBox(HWND Wnd, const std::string& Text, const std::string& Caption, UINT Type);
bool MessageBeep(UINT Type);
void Beep();
// The caption a message box of that type has ("Warning", "Error", "Information", "Confirm").
std::string MsgDlgCaption(TMsgDlgType DlgType);
