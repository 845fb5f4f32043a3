#pragma once
// Edit boxes: TEdit (one line) and TMemo (many lines), shown by the toolkit's text widgets.
//
// Every change of the text the user makes goes through one gate, whatever its path (typing,
// Backspace and Delete, paste, cut, clear, undo, text dropped on the box, input-method
// composition, the widget's own commands): read-only refuses it, CharCase converts the new text,
// MaxLength (0: no limit) cuts what does not fit, then Modified is set and OnChange fires. Text set
// in code (Text, Lines) is converted by CharCase but not cut by MaxLength, clears Modified and the
// undo step, and fires OnChange. Positions (SelStart, SelLength) count characters; in a memo a line
// break is the two characters CR LF.

#include <functional>
#include <string>

#include "framework/controls.h"
#include "framework/graphics.h"
#include "framework/string_list.h"

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

// Edit control styles (TCreateParams::Style).
constexpr DWORD ES_LEFT = 0x0000;
constexpr DWORD ES_CENTER = 0x0001;
constexpr DWORD ES_RIGHT = 0x0002;
constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_UPPERCASE = 0x0008;
constexpr DWORD ES_LOWERCASE = 0x0010;
constexpr DWORD ES_PASSWORD = 0x0020;
constexpr DWORD ES_AUTOVSCROLL = 0x0040;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_NOHIDESEL = 0x0100;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD ES_WANTRETURN = 0x1000;

// Edit control messages (the EM_* set; positions are characters). EM_GETSEL (WParam, LParam:
// Integer* start and end, either may be null), EM_SETSEL (start, end; -1: the end), EM_CANUNDO and
// EM_UNDO are in messages.h.
constexpr Cardinal EM_SETRECTNP = 0x00B4;     // LParam: const TRect* in client pixels (nullptr: none)
constexpr Cardinal EM_SCROLLCARET = 0x00B7;
constexpr Cardinal EM_GETMODIFY = 0x00B8;
constexpr Cardinal EM_SETMODIFY = 0x00B9;
constexpr Cardinal EM_GETLINECOUNT = 0x00BA;
constexpr Cardinal EM_LINEINDEX = 0x00BB;     // WParam line (-1: the caret's); Result its first char
constexpr Cardinal EM_LINELENGTH = 0x00C1;    // WParam a char of the line
constexpr Cardinal EM_REPLACESEL = 0x00C2;    // LParam: const std::string*
constexpr Cardinal EM_LIMITTEXT = 0x00C5;     // WParam: the limit (0: none)
constexpr Cardinal EM_LINEFROMCHAR = 0x00C9;  // WParam a char (-1: the caret's)
constexpr Cardinal EM_EMPTYUNDOBUFFER = 0x00CD;
constexpr Cardinal EM_SETPASSWORDCHAR = 0x00CC;
constexpr Cardinal EM_GETFIRSTVISIBLELINE = 0x00CE;
constexpr Cardinal EM_SETREADONLY = 0x00CF;
constexpr Cardinal EM_GETPASSWORDCHAR = 0x00D2;
constexpr Cardinal EM_SETMARGINS = 0x00D3;    // WParam EC_LEFTMARGIN | EC_RIGHTMARGIN; LParam MAKELONG(left, right)
constexpr Cardinal EM_GETLIMITTEXT = 0x00D5;
constexpr Cardinal EM_POSFROMCHAR = 0x00D6;
constexpr Cardinal EM_CHARFROMPOS = 0x00D7;
constexpr WPARAM EC_LEFTMARGIN = 0x0001;
constexpr WPARAM EC_RIGHTMARGIN = 0x0002;

class TCustomEdit : public TWinControl {
    LUMORA_CLASS(TCustomEdit, TWinControl)
public:
    explicit TCustomEdit(TComponent* AOwner);
    ~TCustomEdit() override;

    bool GetAutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool Value) { FAutoSelect = Value; }
    // The height follows the font (one-line edits).
    void SetAutoSize(bool Value) override;
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TEditCharCase GetCharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase Value);
    bool GetHideSelection() const { return FHideSelection; }
    void SetHideSelection(bool Value);
    // The most characters the user can enter; 0 means no limit.
    Integer GetMaxLength() const { return FMaxLength; }
    void SetMaxLength(Integer Value);
    bool GetModified() const { return FModified; }
    void SetModified(bool Value) { FModified = Value; }
    // Shown in place of every character (0: the text itself); copying and cutting are refused.
    Char GetPasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(Char Value);
    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool GetOEMConvert() const { return FOEMConvert; }
    void SetOEMConvert(bool Value) { FOEMConvert = Value; }

    Integer GetSelStart();
    void SetSelStart(Integer Value);
    Integer GetSelLength();
    void SetSelLength(Integer Value);
    std::string GetSelText();
    // Replaces the selection (MaxLength and CharCase apply; read-only does not stop it).
    void SetSelText(const std::string& Value);
    void SelectAll();
    void ClearSelection();
    void Clear();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    bool GetCanUndo() const { return FHasUndo; }
    void Undo();
    void ClearUndo();

    TNotifyEvent OnChange;
    // A control attached to the edit (an up-down's arrow keys) sees its keys before OnKeyDown;
    // true takes the key.
    std::function<bool(Word Key, TShiftState Shift)> AttachedKeyDown;

protected:
    friend struct TEditBackend;

    // Fires OnChange.
    virtual void Change();
    bool GetMultiLine() const { return FMultiLine; }
    void SetMultiLine(bool Value);
    // The gate every change of the text goes through. Start and Length are characters of the
    // text; User tells a user's edit (refused on a read-only box) from one made in code.
    // Returns true when the text changed.
    bool EditText(Integer Start, Integer Length, std::u32string Insert, bool User);
    // Every change the user makes, on whatever path, is offered here before the gate applies it:
    // false drops it (a descendant may then make it its own way). Changes made in code are not.
    virtual bool AcceptUserEdit(Integer /*Start*/, Integer /*Length*/, const std::u32string& /*Insert*/) {
        return true;
    }
    // A character the user typed, after OnKeyPress (the gate decides what it does).
    virtual void TypeChar(Char Key);
    // The text converted by CharCase.
    std::u32string ApplyCharCase(std::u32string Text) const;
    // Line breaks as the box keeps them: CR LF in a memo; a one-line box keeps its text as is.
    virtual std::u32string NormalizeBreaks(std::u32string Text) const { return Text; }

    void CreateParams(TCreateParams& Params) override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    bool FrameworkPainted() const override { return false; }
    void WndProc(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    void WMKeyDown(TMessage& Message) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void WMChar(TMessage& Message) override;
    void WMGetDlgCode(TMessage& Message) override;
    void WMSetText(TMessage& Message) override;
    void WMGetText(TMessage& Message) override;
    void WMMouseWheel(TMessage& Message) override;
    // Without a PopupMenu of its own the edit shows the standard edit menu (Undo, Cut, Copy,
    // Paste, Delete, Select All), whose commands take the gate like the keys.
    void WMContextMenu(TMessage& Message) override;
    void CMEnter(TMessage& Message) override;
    void CMTextChanged(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void CMColorChanged(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;
    void CMCtl3DChanged(TMessage& Message) override;
    void AdjustHeight();

    // The text as characters (the control's Text is the same in UTF-8).
    std::u32string FChars;
    // True when a line break (CR LF) starts at Pos of FChars.
    bool BreakAt(Integer Pos) const {
        return Pos >= 0 && Pos + 1 < Integer(FChars.size()) && FChars[size_t(Pos)] == U'\r' &&
               FChars[size_t(Pos + 1)] == U'\n';
    }
    Integer FSelStart = 0;
    Integer FSelLength = 0;

    // Keeps the widget showing FChars and the selection.
    void PushText();
    void PushSelection();
    // Reads the selection the user may have moved in the widget.
    void PullSelection();

private:
    // The widget's text changed on a path the gate did not see: the change is undone and made
    // again through the gate.
    void WidgetEdited(const std::u32string& Shown);
    // Display positions (a memo's CR LF is one character there) and text positions.
    Integer ToDisplay(Integer Pos) const;
    Integer FromDisplay(Integer Pos) const;
    std::u32string DisplayText() const;
    void SetTextFromCode(const std::string& Value);
    bool DoUndo();
    // While positive, the widget is brought up to date only when the count returns to 0.
    Integer FPushHeld = 0;
    bool FPushPending = false;
    friend class TMemoStrings;
    void SetSelection(Integer Start, Integer Length);

    Integer FMaxLength = 0;
    TBorderStyle FBorderStyle = bsSingle;
    Char FPasswordChar = 0;
    bool FReadOnly = false;
    bool FAutoSelect = true;
    bool FHideSelection = true;
    bool FOEMConvert = false;
    TEditCharCase FCharCase = ecNormal;
    bool FModified = false;
    bool FMultiLine = false;
    bool FHasUndo = false;
    std::u32string FUndoChars;
    Integer FUndoSelStart = 0;
    Integer FUndoSelLength = 0;
    Integer FLeftMargin = 0;
    Integer FRightMargin = 0;
    // The formatting rectangle (EM_SETRECTNP); empty: the whole client area.
    TRect FFormatRect{};
    class TPopupMenu* FStandardMenu = nullptr;
};

class TEdit : public TCustomEdit {
    LUMORA_CLASS(TEdit, TCustomEdit)
public:
    explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

class TCustomMemo;

// The lines of a memo: changing them changes the memo's text (and fires its OnChange).
class TMemoStrings : public TStrings {
    LUMORA_CLASS(TMemoStrings, TStrings)
public:
    explicit TMemoStrings(TCustomMemo* Memo) : FMemo(Memo) {}
    std::string Get(int Index) const override;
    int GetCount() const override;
    void Put(int Index, const std::string& S) override;
    void Insert(int Index, const std::string& S) override;
    void Delete(int Index) override;
    void Clear() override;
    std::string GetText() const override;
    void SetText(const std::string& Value) override;

protected:
    void SetUpdateState(bool Updating) override;

private:
    TCustomMemo* FMemo;
};

class TCustomMemo : public TCustomEdit {
    LUMORA_CLASS(TCustomMemo, TCustomEdit)
public:
    explicit TCustomMemo(TComponent* AOwner);
    ~TCustomMemo() override;
    TStrings* GetLines() const { return FLines; }
    void SetLines(TStrings* Value) { FLines->Assign(Value); }
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TScrollStyle GetScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    bool GetWantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value) { FWantReturns = Value; }
    bool GetWantTabs() const { return FWantTabs; }
    void SetWantTabs(bool Value) { FWantTabs = Value; }
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    // The caret as line and column (both from 0).
    TPoint GetCaretPos();
    void SetCaretPos(TPoint Value);

protected:
    friend class TMemoStrings;
    friend struct TEditBackend;
    void CreateParams(TCreateParams& Params) override;
    void KeyPress(Char& Key) override;
    void WMGetDlgCode(TMessage& Message) override;
    void CNKeyDown(TMessage& Message) override;
    std::u32string NormalizeBreaks(std::u32string Text) const override;

private:
    // The first character of every line (the text is split at CR LF, CR and LF).
    std::vector<Integer> LineStarts() const;
    void LinesChanged(const std::string& Text);

    TMemoStrings* FLines;
    TAlignment FAlignment = taLeftJustify;
    TScrollStyle FScrollBars = ssNone;
    bool FWantReturns = true;
    bool FWantTabs = false;
    bool FWordWrap = true;
    Integer FLinesUpdating = 0;
};

class TMemo : public TCustomMemo {
    LUMORA_CLASS(TMemo, TCustomMemo)
public:
    explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
};
