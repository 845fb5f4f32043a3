#include "framework/edit_controls.h"

#include <algorithm>
#include <climits>

#include "framework/clipboard.h"
#include "framework/control_paint.h"
#include "framework/dialog_service.h"
#include "framework/edit_backend.h"
#include "framework/forms.h"
#include "framework/menus.h"
#include "framework/sysutils.h"
#include "framework/system_metrics.h"
#include "framework/window_backend.h"

namespace {

std::u32string ToChars(const std::string& s) { return Utf8ToCodePoints(s); }
std::string ToUtf8(const std::u32string& s) { return CodePointsToUtf8(s); }

bool IsNavigationKey(Word Key) {
    switch (Key) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT: return true;
    default: return false;
    }
}

}  // namespace

// ---- TCustomEdit -----------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
    SetControlStyle(TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight});
    SetBounds(0, 0, 121, 25);
    SetTabStop(true);
    SetColor(clWindow);
    TControl::SetAutoSize(true);
}

TCustomEdit::~TCustomEdit() = default;

void TCustomEdit::SetAutoSize(bool Value) {
    if (GetAutoSize() == Value) return;
    TControl::SetAutoSize(Value);
    AdjustHeight();
}

void TCustomEdit::AdjustHeight() {
    if (!GetAutoSize() || FMultiLine || IsLoading()) return;
    TEXTMETRIC tm{};
    GetTextMetrics(lumora_paint::MeasureCanvas(GetFont())->GetHandle(), &tm);
    Integer extra = (GetCtl3D() ? 8 : 6) * GetSystemMetrics(SM_CYBORDER);
    SetHeight(tm.tmHeight + extra);
}

void TCustomEdit::SetMultiLine(bool Value) {
    if (FMultiLine == Value) return;
    FMultiLine = Value;
    FChars = NormalizeBreaks(FChars);
    FText = ToUtf8(FChars);
    RecreateWnd();
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    RecreateWnd();
    FrameChanged();
    AdjustHeight();
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
    if (FCharCase == Value) return;
    FCharCase = Value;
    std::u32string converted = ApplyCharCase(FChars);
    if (converted != FChars) {
        FChars = converted;
        FText = ToUtf8(FChars);
        PushText();
        Change();
    }
}

void TCustomEdit::SetHideSelection(bool Value) {
    if (FHideSelection == Value) return;
    FHideSelection = Value;
    if (HandleAllocated()) TEditBackend::ApplyStyle(this);
}

void TCustomEdit::SetMaxLength(Integer Value) { FMaxLength = std::max(0, Value); }

void TCustomEdit::SetPasswordChar(Char Value) {
    if (FPasswordChar == Value) return;
    FPasswordChar = Value;
    if (HandleAllocated()) TEditBackend::ApplyStyle(this);
}

void TCustomEdit::SetReadOnly(bool Value) { FReadOnly = Value; }

std::u32string TCustomEdit::ApplyCharCase(std::u32string Text) const {
    if (FCharCase == ecUpperCase)
        for (char32_t& c : Text) c = CharUpper(c);
    else if (FCharCase == ecLowerCase)
        for (char32_t& c : Text) c = CharLower(c);
    return Text;
}

void TCustomEdit::Change() {
    if (OnChange) OnChange(this);
}

// ---- The gate --------------------------------------------------------------------------------

bool TCustomEdit::EditText(Integer Start, Integer Length, std::u32string Insert, bool User) {
    if (User && FReadOnly) return false;
    if (User && !AcceptUserEdit(Start, Length, Insert)) return false;
    Integer size = Integer(FChars.size());
    Start = std::clamp(Start, 0, size);
    Length = std::clamp(Length, 0, size - Start);
    // A break is never split.
    if (FMultiLine) {
        if (BreakAt(Start - 1)) {
            --Start;
            ++Length;
        }
        Integer end = Start + Length;
        if (BreakAt(end - 1)) ++Length;
    }
    Insert = NormalizeBreaks(ApplyCharCase(std::move(Insert)));
    if (FMaxLength > 0) {
        Integer room = std::max(0, FMaxLength - (size - Length));
        if (Integer(Insert.size()) > room) {
            Insert.resize(size_t(room));
            if (!Insert.empty() && Insert.back() == U'\r') Insert.pop_back();
        }
    }
    if (Length == 0 && Insert.empty()) return false;
    std::u32string next = FChars.substr(0, size_t(Start)) + Insert + FChars.substr(size_t(Start + Length));
    FSelStart = Start + Integer(Insert.size());
    FSelLength = 0;
    if (next == FChars) {
        PushSelection();
        return false;
    }
    FUndoChars = FChars;
    FUndoSelStart = Start;
    FUndoSelLength = Length;
    FHasUndo = true;
    FChars = std::move(next);
    FText = ToUtf8(FChars);
    PushText();
    if (User) FModified = true;
    Change();
    return true;
}

void TCustomEdit::TypeChar(Char Key) {
    PullSelection();
    switch (Key) {
    case 1: SelectAll(); return;  // Ctrl+A
    case 3: Perform(WM_COPY); return;
    case 22: Perform(WM_PASTE); return;
    case 24: Perform(WM_CUT); return;
    case 26: Perform(WM_UNDO); return;
    case 8:  // Backspace
        if (FReadOnly) {
            MessageBeep(0);
            return;
        }
        if (FSelLength > 0) {
            EditText(FSelStart, FSelLength, {}, true);
        } else if (FSelStart > 0) {
            EditText(FSelStart - 1, 1, {}, true);
        }
        return;
    case 13:
    case 10:
        if (!FMultiLine) {
            if (Key == 13) MessageBeep(0);
            return;
        }
        break;
    case 9:
        if (!FMultiLine) return;
        break;
    default:
        if (Key < 32 || Key == 127) return;
        break;
    }
    if (FReadOnly) {
        MessageBeep(0);
        return;
    }
    std::u32string ins = (Key == 13 || Key == 10) ? std::u32string(U"\r\n") : std::u32string(1, Key);
    if (!EditText(FSelStart, FSelLength, ins, true) && FMaxLength > 0 &&
        Integer(FChars.size()) - FSelLength >= FMaxLength)
        MessageBeep(0);
}

// ---- Keeping the widget in step --------------------------------------------------------------

std::u32string TCustomEdit::DisplayText() const {
    if (!FMultiLine) return FChars;
    std::u32string d;
    d.reserve(FChars.size());
    for (size_t i = 0; i < FChars.size(); ++i) {
        if (BreakAt(Integer(i))) {
            d += U'\n';
            ++i;
        } else {
            d += FChars[i];
        }
    }
    return d;
}

Integer TCustomEdit::ToDisplay(Integer Pos) const {
    if (!FMultiLine) return Pos;
    Integer d = 0;
    for (Integer i = 0; i < Pos && i < Integer(FChars.size()); ++i) {
        if (BreakAt(i)) ++i;
        ++d;
    }
    return d;
}

Integer TCustomEdit::FromDisplay(Integer Pos) const {
    if (!FMultiLine) return Pos;
    Integer i = 0;
    for (Integer d = 0; d < Pos && i < Integer(FChars.size()); ++d) {
        if (BreakAt(i)) ++i;
        ++i;
    }
    return i;
}

void TCustomEdit::PushText() {
    if (!HandleAllocated()) return;
    if (FPushHeld > 0) {
        FPushPending = true;
        return;
    }
    TEditBackend::SetText(this, DisplayText());
    PushSelection();
}

void TCustomEdit::PushSelection() {
    if (!HandleAllocated() || FPushHeld > 0) return;
    Integer s = ToDisplay(FSelStart);
    TEditBackend::SetSelection(this, s, ToDisplay(FSelStart + FSelLength) - s);
}

void TCustomEdit::PullSelection() {
    if (!HandleAllocated() || FPushHeld > 0) return;
    Integer s = 0, l = 0;
    if (!TEditBackend::GetSelection(this, s, l)) return;
    FSelStart = FromDisplay(s);
    FSelLength = FromDisplay(s + l) - FSelStart;
}

void TCustomEdit::WidgetEdited(const std::u32string& Shown) {
    std::u32string old = DisplayText();
    if (Shown == old) return;
    // The changed part: what lies between the common beginning and the common end.
    size_t prefix = 0;
    while (prefix < old.size() && prefix < Shown.size() && old[prefix] == Shown[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < old.size() - prefix && suffix < Shown.size() - prefix &&
           old[old.size() - 1 - suffix] == Shown[Shown.size() - 1 - suffix])
        ++suffix;
    Integer start = FromDisplay(Integer(prefix));
    Integer end = FromDisplay(Integer(old.size() - suffix));
    std::u32string inserted = Shown.substr(prefix, Shown.size() - suffix - prefix);
    // The widget goes back to what the gate let through before the change is made again.
    TEditBackend::SetText(this, old);
    if (!EditText(start, end - start, inserted, true)) PushText();
}

void TCustomEdit::SetSelection(Integer Start, Integer Length) {
    Integer size = Integer(FChars.size());
    FSelStart = std::clamp(Start, 0, size);
    FSelLength = std::clamp(Length, 0, size - FSelStart);
    PushSelection();
}

// ---- Selection and clipboard -----------------------------------------------------------------

Integer TCustomEdit::GetSelStart() {
    PullSelection();
    return FSelStart;
}

void TCustomEdit::SetSelStart(Integer Value) { SetSelection(Value, 0); }

Integer TCustomEdit::GetSelLength() {
    PullSelection();
    return FSelLength;
}

void TCustomEdit::SetSelLength(Integer Value) {
    PullSelection();
    SetSelection(FSelStart, Value);
}

std::string TCustomEdit::GetSelText() {
    PullSelection();
    return ToUtf8(FChars.substr(size_t(FSelStart), size_t(FSelLength)));
}

void TCustomEdit::SetSelText(const std::string& Value) {
    PullSelection();
    EditText(FSelStart, FSelLength, ToChars(Value), false);
}

void TCustomEdit::SelectAll() { SetSelection(0, Integer(FChars.size())); }

void TCustomEdit::ClearSelection() { Perform(WM_CLEAR); }

void TCustomEdit::Clear() { SetText(""); }

void TCustomEdit::CopyToClipboard() { Perform(WM_COPY); }
void TCustomEdit::CutToClipboard() { Perform(WM_CUT); }
void TCustomEdit::PasteFromClipboard() { Perform(WM_PASTE); }
void TCustomEdit::Undo() { Perform(WM_UNDO); }

void TCustomEdit::ClearUndo() {
    FHasUndo = false;
    FUndoChars.clear();
}

bool TCustomEdit::DoUndo() {
    if (!FHasUndo || FReadOnly) return false;
    std::u32string target = FUndoChars;
    // The undone change is made again through the gate, so that undoing twice redoes.
    size_t prefix = 0;
    while (prefix < FChars.size() && prefix < target.size() && FChars[prefix] == target[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < FChars.size() - prefix && suffix < target.size() - prefix &&
           FChars[FChars.size() - 1 - suffix] == target[target.size() - 1 - suffix])
        ++suffix;
    Integer start = Integer(prefix);
    Integer length = Integer(FChars.size() - suffix - prefix);
    std::u32string inserted = target.substr(prefix, target.size() - suffix - prefix);
    bool changed = EditText(start, length, inserted, true);
    if (changed) SetSelection(start, Integer(inserted.size()));
    return changed;
}

void TCustomEdit::SetTextFromCode(const std::string& Value) {
    FChars = NormalizeBreaks(ApplyCharCase(ToChars(Value)));
    FText = ToUtf8(FChars);
    FSelStart = 0;
    FSelLength = 0;
    FModified = false;
    ClearUndo();
    PushText();
}

// ---- The window ------------------------------------------------------------------------------

void TCustomEdit::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
    if (FMultiLine) Params.Style |= ES_MULTILINE;
    if (FReadOnly) Params.Style |= ES_READONLY;
    if (!FHideSelection) Params.Style |= ES_NOHIDESEL;
    if (FPasswordChar) Params.Style |= ES_PASSWORD;
    if (FCharCase == ecUpperCase) Params.Style |= ES_UPPERCASE;
    if (FCharCase == ecLowerCase) Params.Style |= ES_LOWERCASE;
    lumora_paint::AddBorderStyle(Params, FBorderStyle, GetCtl3D());
}

void TCustomEdit::CreateWindowHandle(const TCreateParams& Params) {
    FStyle = Params.Style;
    FExStyle = Params.ExStyle;
    TEditBackend::CreateWidget(this, Params);
}

void TCustomEdit::CreateWnd() {
    TWinControl::CreateWnd();
    TEditBackend::ApplyStyle(this);
    PushText();
}

void TCustomEdit::DestroyWnd() {
    PullSelection();
    TWinControl::DestroyWnd();
}

void TCustomEdit::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // A click moves the caret; keyboard entry selects all (AutoSelect) but a click does not.
        if (!Focused() && CanFocus()) {
            TControlState s = GetControlState();
            s.Include(csLButtonDown);
            SetControlState(s);
            SetFocus();
            if (!lumora_detail::IsLiveControl(this)) return;
        }
        break;
    default: break;
    }
    TWinControl::WndProc(Message);
}

void TCustomEdit::WMKeyDown(TMessage& Message) {
    if (DoKeyDown(Message)) return;
    DefaultHandler(Message);
}

void TCustomEdit::KeyDown(Word& Key, TShiftState Shift) {
    if (AttachedKeyDown && AttachedKeyDown(Key, Shift)) {
        Key = 0;
        return;
    }
    TWinControl::KeyDown(Key, Shift);
}

void TCustomEdit::WMChar(TMessage& Message) {
    if (DoKeyPress(Message)) return;
    DefaultHandler(Message);
}

void TCustomEdit::WMMouseWheel(TMessage& Message) {
    TWinControl::WMMouseWheel(Message);
    if (Message.Result == 0) DefaultHandler(Message);
}

void TCustomEdit::WMContextMenu(TMessage& Message) {
    if (Message.Result != 0) return;
    TPoint screen = LParamToPoint(Message.LParam);
    bool fromKeyboard = screen.X == -1 && screen.Y == -1;
    bool handled = false;
    DoContextPopup(fromKeyboard ? TPoint{-1, -1} : ScreenToClient(screen), handled);
    if (handled || GetPopupMenu()) {
        if (!handled) TWinControl::WMContextMenu(Message);
        Message.Result = 1;
        return;
    }
    if (fromKeyboard) screen = ClientToScreen({0, 0});
    PullSelection();
    if (!FStandardMenu) FStandardMenu = new TPopupMenu(this);
    TMenuItem* items = FStandardMenu->GetItems();
    items->Clear();
    bool hasSel = FSelLength > 0, password = FPasswordChar != 0;
    auto add = [&](const char* caption, bool enabled, std::function<void()> run) {
        auto* item = new TMenuItem(FStandardMenu);
        item->SetCaption(caption);
        item->SetEnabled(enabled);
        if (run) item->OnClick = [run](TObject*) { run(); };
        items->Add(item);
    };
    add("&Undo", FHasUndo && !FReadOnly, [this] { Perform(WM_UNDO); });
    add("-", true, nullptr);
    add("Cu&t", hasSel && !FReadOnly && !password, [this] { Perform(WM_CUT); });
    add("&Copy", hasSel && !password, [this] { Perform(WM_COPY); });
    add("&Paste", !FReadOnly && Clipboard()->HasFormat(CF_TEXT), [this] { Perform(WM_PASTE); });
    add("&Delete", hasSel && !FReadOnly, [this] { Perform(WM_CLEAR); });
    add("-", true, nullptr);
    add("Select &All", !FChars.empty() && FSelLength < Integer(FChars.size()), [this] { SelectAll(); });
    FStandardMenu->SetPopupComponent(this);
    FStandardMenu->Popup(screen.X, screen.Y);
    Message.Result = 1;
}

void TCustomEdit::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
}

void TCustomEdit::WMSetText(TMessage& Message) {
    if (auto* s = reinterpret_cast<std::string*>(Message.LParam)) SetTextFromCode(*s);
    Message.Result = 1;
}

void TCustomEdit::WMGetText(TMessage& Message) {
    if (auto* s = reinterpret_cast<std::string*>(Message.LParam)) *s = FText;
    Message.Result = LRESULT(FText.size());
}

void TCustomEdit::CMTextChanged(TMessage& Message) { Change(); }

void TCustomEdit::CMEnter(TMessage& Message) {
    if (FAutoSelect && !GetControlState().Contains(csLButtonDown) && !FMultiLine) SelectAll();
    TControlState s = GetControlState();
    s.Exclude(csLButtonDown);
    SetControlState(s);
    TWinControl::CMEnter(Message);
}

void TCustomEdit::CMFontChanged(TMessage& Message) {
    TWinControl::CMFontChanged(Message);
    if (HandleAllocated()) TEditBackend::ApplyStyle(this);
    AdjustHeight();
}

void TCustomEdit::CMColorChanged(TMessage& Message) {
    TWinControl::CMColorChanged(Message);
    if (HandleAllocated()) TEditBackend::ApplyStyle(this);
}

void TCustomEdit::CMEnabledChanged(TMessage& Message) {
    TWinControl::CMEnabledChanged(Message);
    if (HandleAllocated()) TEditBackend::ApplyStyle(this);
}

void TCustomEdit::CMCtl3DChanged(TMessage& Message) {
    TWinControl::CMCtl3DChanged(Message);
    RecreateWnd();
    AdjustHeight();
}

// The edit box's own window procedure: what the system's edit control does with a message.
void TCustomEdit::DefaultHandler(TMessage& Message) {
    switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        Word key = Word(Message.WParam);
        TShiftState shift = KeyDataToShiftState(Message.LParam);
        if (IsNavigationKey(key)) {
            if (HandleAllocated()) TWinControl::DefaultHandler(Message);
            return;
        }
        if (Message.Msg == WM_SYSKEYDOWN) {
            if (key == VK_BACK && shift.Contains(ssAlt)) Perform(WM_UNDO);
            else TWinControl::DefaultHandler(Message);
            return;
        }
        if (key == VK_DELETE) {
            if (shift.Contains(ssShift)) {
                Perform(WM_CUT);
            } else {
                PullSelection();
                if (FReadOnly) MessageBeep(0);
                else if (FSelLength > 0) EditText(FSelStart, FSelLength, {}, true);
                else EditText(FSelStart, 1, {}, true);
            }
        } else if (key == VK_INSERT) {
            if (shift.Contains(ssShift)) Perform(WM_PASTE);
            else if (shift.Contains(ssCtrl)) Perform(WM_COPY);
        }
        return;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (IsNavigationKey(Word(Message.WParam)) && HandleAllocated()) TWinControl::DefaultHandler(Message);
        return;
    case WM_CHAR: TypeChar(Char(Message.WParam)); return;
    case WM_SYSCHAR: return;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: return;
    case WM_RBUTTONUP: {
        TPoint s = ClientToScreen(MessagePoint(Message));
        Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(this), PointToLParam(s));
        return;
    }
    case WM_COPY:
        if (FPasswordChar == 0) {
            std::string s = GetSelText();
            if (!s.empty()) Clipboard()->SetAsText(s);
        }
        return;
    case WM_CUT:
        PullSelection();
        if (FPasswordChar != 0 || FSelLength == 0) return;
        if (FReadOnly) {
            MessageBeep(0);
            return;
        }
        Clipboard()->SetAsText(GetSelText());
        EditText(FSelStart, FSelLength, {}, true);
        return;
    case WM_PASTE: {
        PullSelection();
        std::u32string text = ToChars(Clipboard()->GetAsText());
        if (!FMultiLine) {
            size_t br = text.find_first_of(U"\r\n");
            if (br != std::u32string::npos) text.resize(br);
        }
        if (FReadOnly) {
            MessageBeep(0);
            return;
        }
        EditText(FSelStart, FSelLength, text, true);
        return;
    }
    case WM_CLEAR:
        PullSelection();
        if (FSelLength > 0) EditText(FSelStart, FSelLength, {}, true);
        return;
    case WM_UNDO:
    case EM_UNDO: Message.Result = DoUndo() ? 1 : 0; return;
    case EM_CANUNDO: Message.Result = FHasUndo ? 1 : 0; return;
    case EM_EMPTYUNDOBUFFER: ClearUndo(); return;
    case EM_GETSEL: {
        PullSelection();
        if (auto* s = reinterpret_cast<Integer*>(Message.WParam)) *s = FSelStart;
        if (auto* e = reinterpret_cast<Integer*>(Message.LParam)) *e = FSelStart + FSelLength;
        Message.Result = MAKELONG(Word(FSelStart), Word(FSelStart + FSelLength));
        return;
    }
    case EM_SETSEL: {
        Integer s = Integer(Message.WParam), e = Integer(Message.LParam);
        if (s < 0) {
            SetSelection(FSelStart, 0);
            return;
        }
        if (e < 0) e = Integer(FChars.size());
        if (e < s) std::swap(s, e);
        SetSelection(s, e - s);
        return;
    }
    case EM_REPLACESEL:
        if (auto* s = reinterpret_cast<const std::string*>(Message.LParam)) SetSelText(*s);
        return;
    case EM_GETMODIFY: Message.Result = FModified ? 1 : 0; return;
    case EM_SETMODIFY: FModified = Message.WParam != 0; return;
    case EM_LIMITTEXT: SetMaxLength(Integer(Message.WParam)); return;
    case EM_GETLIMITTEXT: Message.Result = FMaxLength > 0 ? FMaxLength : 0x7FFFFFFE; return;
    case EM_SETREADONLY:
        SetReadOnly(Message.WParam != 0);
        Message.Result = 1;
        return;
    case EM_SETPASSWORDCHAR: SetPasswordChar(Char(Message.WParam)); return;
    case EM_GETPASSWORDCHAR: Message.Result = LRESULT(FPasswordChar); return;
    case EM_SCROLLCARET:
        if (HandleAllocated()) TEditBackend::ScrollCaret(this);
        return;
    case EM_SETMARGINS:
        if (Message.WParam & EC_LEFTMARGIN) FLeftMargin = Integer(LOWORD(uintptr_t(Message.LParam)));
        if (Message.WParam & EC_RIGHTMARGIN) FRightMargin = Integer(HIWORD(uintptr_t(Message.LParam)));
        if (HandleAllocated()) TEditBackend::ApplyStyle(this);
        return;
    case EM_SETRECTNP:
        if (auto* r = reinterpret_cast<const TRect*>(Message.LParam)) FFormatRect = *r;
        else FFormatRect = TRect{};
        if (HandleAllocated()) TEditBackend::ApplyStyle(this);
        return;
    case EM_CHARFROMPOS:
        Message.Result =
            HandleAllocated() ? FromDisplay(TEditBackend::CharFromPos(this, LParamToPoint(Message.LParam))) : 0;
        return;
    case EM_POSFROMCHAR: {
        TPoint p =
            HandleAllocated() ? TEditBackend::PosFromChar(this, ToDisplay(Integer(Message.WParam))) : TPoint{0, 0};
        Message.Result = PointToLParam(p);
        return;
    }
    case EM_GETFIRSTVISIBLELINE: Message.Result = HandleAllocated() ? TEditBackend::FirstVisibleLine(this) : 0; return;
    default: break;
    }
    TWinControl::DefaultHandler(Message);
}

// ---- TCustomMemo -----------------------------------------------------------------------------

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner), FLines(new TMemoStrings(this)) {
    SetBounds(GetLeft(), GetTop(), 185, 89);
    TControl::SetAutoSize(false);
    SetMultiLine(true);
    SetParentColor(false);
}

TCustomMemo::~TCustomMemo() { delete FLines; }

std::u32string TCustomMemo::NormalizeBreaks(std::u32string Text) const {
    std::u32string r;
    r.reserve(Text.size());
    for (size_t i = 0; i < Text.size(); ++i) {
        char32_t c = Text[i];
        if (c == U'\r') {
            r += U"\r\n";
            if (i + 1 < Text.size() && Text[i + 1] == U'\n') ++i;
        } else if (c == U'\n') {
            r += U"\r\n";
        } else {
            r += c;
        }
    }
    return r;
}

void TCustomMemo::CreateParams(TCreateParams& Params) {
    TCustomEdit::CreateParams(Params);
    Params.Style &= ~(FWordWrap ? ES_AUTOHSCROLL : 0);
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Params.Style |= WS_HSCROLL;
    if (FScrollBars == ssVertical || FScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
    if (FWantReturns) Params.Style |= ES_WANTRETURN;
    Params.Style |= FAlignment == taRightJustify ? ES_RIGHT : FAlignment == taCenter ? ES_CENTER : ES_LEFT;
}

void TCustomMemo::SetAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    if (HandleAllocated()) TEditBackend::ApplyStyle(this);
}

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
    if (FScrollBars == Value) return;
    FScrollBars = Value;
    if (HandleAllocated()) TEditBackend::ApplyStyle(this);
}

void TCustomMemo::SetWordWrap(bool Value) {
    if (FWordWrap == Value) return;
    FWordWrap = Value;
    if (HandleAllocated()) TEditBackend::ApplyStyle(this);
}

void TCustomMemo::KeyPress(Char& Key) {
    TCustomEdit::KeyPress(Key);
    if (Key == 13 && !FWantReturns) Key = 0;
}

void TCustomMemo::WMGetDlgCode(TMessage& Message) {
    LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS | DLGC_WANTALLKEYS;
    if (FWantTabs) code |= DLGC_WANTTAB;
    if (!FWantReturns) code &= ~DLGC_WANTALLKEYS;
    Message.Result = code;
}

void TCustomMemo::CNKeyDown(TMessage& Message) {
    // Tab leaves the memo unless it wants tabs (Ctrl+Tab always does).
    if (Word(Message.WParam) == VK_TAB && !FWantTabs && GetKeyState(VK_CONTROL) >= 0) {
        Message.Result = 1;
        if (IsMenuKey(Message)) return;
        TCustomForm* form = GetParentForm(this);
        TWinControl* target = form ? static_cast<TWinControl*>(form) : this;
        if (target->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0) return;
        Message.Result = 0;
        return;
    }
    TCustomEdit::CNKeyDown(Message);
}

std::vector<Integer> TCustomMemo::LineStarts() const {
    std::vector<Integer> starts{0};
    for (size_t i = 0; i < FChars.size(); ++i)
        if (BreakAt(Integer(i))) {
            starts.push_back(Integer(i + 2));
            ++i;
        }
    return starts;
}

TPoint TCustomMemo::GetCaretPos() {
    PullSelection();
    Integer caret = FSelStart + FSelLength;
    std::vector<Integer> starts = LineStarts();
    auto it = std::upper_bound(starts.begin(), starts.end(), caret);
    Integer line = Integer(it - starts.begin()) - 1;
    return {caret - starts[size_t(line)], line};
}

void TCustomMemo::SetCaretPos(TPoint Value) {
    std::vector<Integer> starts = LineStarts();
    Integer line = std::clamp(Value.Y, 0, Integer(starts.size()) - 1);
    Integer end = line + 1 < Integer(starts.size()) ? starts[size_t(line + 1)] - 2 : Integer(FChars.size());
    SetSelStart(std::min(starts[size_t(line)] + std::max(0, Value.X), end));
}

// ---- TMemoStrings ----------------------------------------------------------------------------

namespace {

// The line's first character and its length (without the break), or false for a line that
// does not exist.
bool LineSpan(const std::u32string& Text, const std::vector<Integer>& Starts, int Index, Integer& Start,
              Integer& Length) {
    if (Index < 0 || Index >= int(Starts.size())) return false;
    Start = Starts[size_t(Index)];
    Integer end = Index + 1 < int(Starts.size()) ? Starts[size_t(Index + 1)] - 2 : Integer(Text.size());
    Length = end - Start;
    return true;
}

}  // namespace

int TMemoStrings::GetCount() const {
    std::vector<Integer> starts = FMemo->LineStarts();
    int n = int(starts.size());
    // A last line without text is not counted.
    if (starts.back() == Integer(FMemo->FChars.size())) --n;
    return n;
}

std::string TMemoStrings::Get(int Index) const {
    std::vector<Integer> starts = FMemo->LineStarts();
    Integer s = 0, l = 0;
    if (Index >= GetCount() || !LineSpan(FMemo->FChars, starts, Index, s, l))
        Error("List index out of bounds (%d)", Index);
    return ToUtf8(FMemo->FChars.substr(size_t(s), size_t(l)));
}

void TMemoStrings::Put(int Index, const std::string& S) {
    std::vector<Integer> starts = FMemo->LineStarts();
    Integer s = 0, l = 0;
    if (!LineSpan(FMemo->FChars, starts, Index, s, l)) return;
    FMemo->EditText(s, l, ToChars(S), false);
}

void TMemoStrings::Insert(int Index, const std::string& S) {
    if (Index < 0) return;
    std::vector<Integer> starts = FMemo->LineStarts();
    Integer s = 0, l = 0;
    std::u32string line;
    if (LineSpan(FMemo->FChars, starts, Index, s, l)) {
        line = ToChars(S) + U"\r\n";
    } else {
        if (!LineSpan(FMemo->FChars, starts, Index - 1, s, l) || l == 0) return;
        s += l;
        line = U"\r\n" + ToChars(S);
    }
    FMemo->EditText(s, 0, line, false);
}

void TMemoStrings::Delete(int Index) {
    std::vector<Integer> starts = FMemo->LineStarts();
    Integer s = 0, l = 0;
    if (!LineSpan(FMemo->FChars, starts, Index, s, l)) return;
    Integer end = Index + 1 < int(starts.size()) ? starts[size_t(Index + 1)] : s + l;
    FMemo->EditText(s, end - s, {}, false);
}

void TMemoStrings::Clear() { FMemo->SetText(""); }

std::string TMemoStrings::GetText() const { return FMemo->FText; }

void TMemoStrings::SetText(const std::string& Value) { FMemo->SetText(Value); }

void TMemoStrings::SetUpdateState(bool Updating) {
    if (Updating) {
        ++FMemo->FPushHeld;
        return;
    }
    if (--FMemo->FPushHeld == 0 && FMemo->FPushPending) {
        FMemo->FPushPending = false;
        FMemo->PushText();
    }
}
