#include "framework/dialog_service.h"

#include "framework/window_backend.h"

namespace {

TDialogService* gService = nullptr;

TDialogService& RealService() {
    static TDialogService service;
    return service;
}

std::string ButtonsText(TMsgDlgButtons b) {
    static const char* names[] = {"Yes",    "No",  "OK",      "Cancel",   "Abort", "Retry",
                                  "Ignore", "All", "NoToAll", "YesToAll", "Help"};
    std::string s;
    for (int i = 0; i <= int(mbHelp); ++i)
        if (b.Contains(TMsgDlgBtn(i))) s += std::string(s.empty() ? "" : ",") + names[i];
    return s;
}

}  // namespace

TDialogService* DialogService() { return gService ? gService : &RealService(); }

TDialogService* SetDialogService(TDialogService* Service) {
    TDialogService* old = gService;
    gService = Service;
    return old;
}

TModalResult TDialogService::ShowModal(TCustomForm* Form, const TDialogRequest& Request) { return Form->RunModal(); }

bool TDialogService::ExecuteDialog(const TDialogRequest& Request, TDialogAnswer& Answer,
                                   const std::function<bool(TDialogAnswer& Answer)>& Run) {
    return Run ? Run(Answer) : false;
}

void TDialogService::Beep(UINT Type) { lumora_backend::Beep(); }

// ---- TScriptedDialogs ------------------------------------------------------------------------

TScriptedDialogs::TScriptedDialogs() {
    FPrevious = SetDialogService(this);
    OnUnexpected = [](const TDialogRequest& r) {
        throw EInvalidOperation("Unexpected dialog: " + r.Caption + ": " + r.Text + " [" + r.DialogClass + "]");
    };
}

TScriptedDialogs::~TScriptedDialogs() {
    if (DialogService() == this) SetDialogService(FPrevious);
}

TScriptedDialogs& TScriptedDialogs::Answer(Integer Result, std::string Value) {
    FAnswers.push_back({TDialogAnswer{Result, std::move(Value), {}, 0}, nullptr, nullptr});
    return *this;
}

TScriptedDialogs& TScriptedDialogs::AnswerForm(Integer Result, std::function<void(TCustomForm*)> Action) {
    FAnswers.push_back({TDialogAnswer{Result, {}, {}, 0}, std::move(Action), nullptr});
    return *this;
}

TScriptedDialogs& TScriptedDialogs::AnswerFiles(Integer Result, std::vector<std::string> Files, Integer FilterIndex) {
    TDialogAnswer a{Result, Files.empty() ? std::string() : Files.front(), std::move(Files), FilterIndex};
    FAnswers.push_back({std::move(a), nullptr, nullptr});
    return *this;
}

TScriptedDialogs& TScriptedDialogs::AnswerDialog(Integer Result, std::function<void(TObject*)> Action) {
    FAnswers.push_back({TDialogAnswer{Result, {}, {}, 0}, nullptr, std::move(Action)});
    return *this;
}

// What the steps act on while a file dialog is open.
struct TScriptedDialogs::TFileDialogState {
    const TDialogRequest& Request;
    TDialogSession* Session;
    std::string& NameBox;
    Integer& Filter;
};

TScriptedDialogs& TScriptedDialogs::AddStep(std::function<void(TFileDialogState&)> Step) {
    FAnswers.push_back({TDialogAnswer{}, nullptr, nullptr, std::move(Step)});
    return *this;
}

TScriptedDialogs& TScriptedDialogs::OpenFolder(std::string Folder) {
    return AddStep([Folder](TFileDialogState& s) {
        if (s.Session) s.Session->FolderChanged(Folder);
    });
}

TScriptedDialogs& TScriptedDialogs::ChooseType(Integer FilterIndex) {
    return AddStep([FilterIndex](TFileDialogState& s) {
        if (FilterIndex == s.Filter) return;
        s.Filter = FilterIndex;
        if (s.Session) s.Session->TypeChanged(FilterIndex);
    });
}

TScriptedDialogs& TScriptedDialogs::SelectFile(std::string FileName) {
    return AddStep([FileName](TFileDialogState& s) {
        s.NameBox = FileName;
        if (s.Session) s.Session->SelectionChanged(FileName);
    });
}

TScriptedDialogs& TScriptedDialogs::InDialog(std::function<void(TObject* Dialog)> Action) {
    return AddStep([Action](TFileDialogState& s) { Action(s.Request.Subject); });
}

void TScriptedDialogs::Clear() {
    FAnswers.clear();
    FRequests.clear();
    FBeeps.clear();
}

TScriptedDialogs::Entry TScriptedDialogs::Next(const TDialogRequest& Request) {
    FRequests.push_back(Request);
    if (FAnswers.empty() || FAnswers.front().Step) {
        if (OnUnexpected) OnUnexpected(Request);
        return Entry{TDialogAnswer{mrCancel, {}, {}, 0}, nullptr, nullptr};
    }
    Entry e = std::move(FAnswers.front());
    FAnswers.pop_front();
    return e;
}

Integer TScriptedDialogs::MessageDlg(const TDialogRequest& Request) { return Next(Request).Answer.Result; }

bool TScriptedDialogs::InputQuery(const TDialogRequest& Request, std::string& Value) {
    Entry e = Next(Request);
    if (e.Answer.Result != mrOk) return false;
    Value = e.Answer.Value;
    return true;
}

TModalResult TScriptedDialogs::ShowModal(TCustomForm* Form, const TDialogRequest& Request) {
    Entry e = Next(Request);
    if (!e.Action) {
        Form->SetModalResult(e.Answer.Result);
        return e.Answer.Result;
    }
    Integer result = e.Answer.Result;
    auto action = e.Action;
    return Form->RunModal([action, result](TCustomForm* f) {
        action(f);
        if (lumora_detail::IsLiveControl(f) && f->GetModalResult() == mrNone) f->SetModalResult(result);
    });
}

bool TScriptedDialogs::ExecuteDialog(const TDialogRequest& Request, TDialogAnswer& Answer,
                                     const std::function<bool(TDialogAnswer& Answer)>& Run) {
    TDialogSession* session = Request.Session;
    std::string nameBox = Request.Value;
    Integer filter = Request.FilterIndex;
    std::string* outerNameBox = FNameBox;
    FNameBox = &nameBox;
    if (session) {
        session->SetFileNameBox = [&nameBox](const std::string& Text) { nameBox = Text; };
        session->Shown();
    }
    struct EndSession {
        TDialogSession* Session;
        std::string*& NameBox;
        std::string* Outer;
        ~EndSession() {
            if (Session) Session->SetFileNameBox = nullptr;
            NameBox = Outer;
        }
    } end{session, FNameBox, outerNameBox};
    TFileDialogState state{Request, session, nameBox, filter};
    for (;;) {
        // The user's steps inside the open dialog come before the answer. Each leaves the queue
        // before it runs, so dialogs it opens take the answers after it.
        while (!FAnswers.empty() && FAnswers.front().Step) {
            auto step = std::move(FAnswers.front().Step);
            FAnswers.pop_front();
            step(state);
        }
        Entry e = Next(Request);
        if (e.DialogAction) e.DialogAction(Request.Subject);
        TDialogAnswer a = e.Answer;
        if (a.FilterIndex == 0) a.FilterIndex = filter;
        if (session && a.FilterIndex != filter) {
            filter = a.FilterIndex;
            session->TypeChanged(filter);
        }
        // No name given: the name box as it is now.
        if (a.Value.empty() && a.Files.empty()) a.Value = nameBox;
        if (a.Files.empty() && !a.Value.empty()) a.Files = {a.Value};
        if (session && !a.Value.empty()) session->SelectionChanged(a.Value);
        if (a.Result != mrOk) {
            if (session) session->Closed();
            return false;
        }
        if (session && !session->CanClose(a)) continue;
        Answer = a;
        if (session) session->Closed();
        return true;
    }
}

void TScriptedDialogs::Beep(UINT Type) { FBeeps.push_back(Type); }

// ---- The dialog routines ---------------------------------------------------------------------

std::string MsgDlgCaption(TMsgDlgType DlgType) {
    switch (DlgType) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    default: return Application->GetTitle();
    }
}

void CancelModesForDialog() {
    if (GetCapture()) GetCapture()->Perform(WM_CANCELMODE);
    ReleaseCapture();
    Application->CancelHint();
}

namespace {

// Every message box: the pending modes end, the service asks.
Integer AskMessage(const std::string& Caption, const std::string& Text, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                   TMsgDlgBtn DefaultButton, Integer HelpCtx, TPoint Position = {-1, -1}) {
    CancelModesForDialog();
    TDialogRequest r;
    r.Position = Position;
    r.Kind = dkMessage;
    r.Caption = Caption;
    r.Text = Text;
    r.DlgType = DlgType;
    r.Buttons = Buttons;
    r.DefaultButton = DefaultButton;
    r.HelpContext = HelpCtx;
    r.DialogClass = ButtonsText(Buttons);
    return DialogService()->MessageDlg(r);
}

TMsgDlgBtn DefaultButtonOf(TMsgDlgButtons Buttons) {
    for (TMsgDlgBtn b : {mbOK, mbYes, mbRetry, mbAbort, mbIgnore, mbAll, mbNo, mbCancel})
        if (Buttons.Contains(b)) return b;
    return mbOK;
}

}  // namespace

Integer MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx,
                   TMsgDlgBtn DefaultButton) {
    return AskMessage(MsgDlgCaption(DlgType), Msg, DlgType, Buttons, DefaultButton, HelpCtx);
}

Integer MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx) {
    return MessageDlg(Msg, DlgType, Buttons, HelpCtx, DefaultButtonOf(Buttons));
}

Integer MessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx, Integer X,
                      Integer Y, TMsgDlgBtn DefaultButton) {
    return AskMessage(MsgDlgCaption(DlgType), Msg, DlgType, Buttons, DefaultButton, HelpCtx, {X, Y});
}

Integer MessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx, Integer X,
                      Integer Y) {
    return MessageDlgPos(Msg, DlgType, Buttons, HelpCtx, X, Y, DefaultButtonOf(Buttons));
}

void ShowMessage(const std::string& Msg) { AskMessage(Application->GetTitle(), Msg, mtCustom, {mbOK}, mbOK, 0); }

void ShowMessagePos(const std::string& Msg, Integer X, Integer Y) {
    AskMessage(Application->GetTitle(), Msg, mtCustom, {mbOK}, mbOK, 0, {X, Y});
}

bool InputQuery(const std::string& ACaption, const std::string& APrompt, std::string& Value) {
    CancelModesForDialog();
    TDialogRequest r;
    r.Kind = dkInput;
    r.Caption = ACaption;
    r.Text = APrompt;
    r.Value = Value;
    r.Buttons = {mbOK, mbCancel};
    return DialogService()->InputQuery(r, Value);
}

std::string InputBox(const std::string& ACaption, const std::string& APrompt, const std::string& ADefault) {
    std::string v = ADefault;
    return InputQuery(ACaption, APrompt, v) ? v : ADefault;
}

Integer MessageBox(HWND Wnd, const std::string& Text, const std::string& Caption, UINT Type) {
    TMsgDlgButtons buttons;
    switch (Type & 0x0F) {
    case MB_OKCANCEL: buttons = {mbOK, mbCancel}; break;
    case MB_ABORTRETRYIGNORE: buttons = {mbAbort, mbRetry, mbIgnore}; break;
    case MB_YESNOCANCEL: buttons = {mbYes, mbNo, mbCancel}; break;
    case MB_YESNO: buttons = {mbYes, mbNo}; break;
    case MB_RETRYCANCEL: buttons = {mbRetry, mbCancel}; break;
    default: buttons = {mbOK}; break;
    }
    TMsgDlgType type = mtCustom;
    switch (Type & 0xF0) {
    case MB_ICONHAND: type = mtError; break;
    case MB_ICONQUESTION: type = mtConfirmation; break;
    case MB_ICONEXCLAMATION: type = mtWarning; break;
    case MB_ICONASTERISK: type = mtInformation; break;
    default: break;
    }
    // The default button: the first, second or third in the Windows order of the set.
    std::vector<TMsgDlgBtn> order;
    for (TMsgDlgBtn b : {mbOK, mbYes, mbNo, mbAbort, mbRetry, mbIgnore, mbCancel})
        if (buttons.Contains(b)) order.push_back(b);
    size_t defIndex = (Type & MB_DEFBUTTON3) ? 2 : (Type & MB_DEFBUTTON2) ? 1 : 0;
    TMsgDlgBtn def = defIndex < order.size() ? order[defIndex] : order.front();
    Integer result = AskMessage(Caption, Text, type, buttons, def, 0);
    return result == mrNone ? IDCANCEL : result;  // the modal results share the ID* values
}

bool MessageBeep(UINT Type) {
    DialogService()->Beep(Type);
    return true;
}

void Beep() { MessageBeep(0); }
