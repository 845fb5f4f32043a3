#pragma once
// The seam between the edit boxes (plain C++) and the toolkit text widgets that show them
// (framework/qt/edit_qt.cpp). Positions here are display positions: characters of the text the
// widget shows, where a memo's CR LF is one line break.

#include <string>

#include "framework/edit_controls.h"

struct TEditBackend {
    // Makes the widget (one line, or many with ES_MULTILINE) the control's window.
    static void CreateWidget(TCustomEdit* Edit, const TCreateParams& Params);
    // Shows Shown without any notification.
    static void SetText(TCustomEdit* Edit, const std::u32string& Shown);
    // The caret goes to the end of the selection.
    static void SetSelection(TCustomEdit* Edit, Integer Start, Integer Length);
    static bool GetSelection(TCustomEdit* Edit, Integer& Start, Integer& Length);
    // Password character, alignment, wrapping, scroll bars, font, colours, margins.
    static void ApplyStyle(TCustomEdit* Edit);
    static void ScrollCaret(TCustomEdit* Edit);
    // The display position nearest a client point, and the client point of a position.
    static Integer CharFromPos(TCustomEdit* Edit, TPoint P);
    static TPoint PosFromChar(TCustomEdit* Edit, Integer Pos);
    static Integer FirstVisibleLine(TCustomEdit* Edit);

    // For the widget side: the control's state, and a change made on a path the gate did not see.
    static bool MultiLine(TCustomEdit* Edit) { return Edit->FMultiLine; }
    static Char PasswordChar(TCustomEdit* Edit) { return Edit->FPasswordChar; }
    static bool HideSelection(TCustomEdit* Edit) { return Edit->FHideSelection; }
    static TAlignment Alignment(TCustomEdit* Edit);
    static bool WordWrap(TCustomEdit* Edit);
    static TScrollStyle ScrollBars(TCustomEdit* Edit);
    static bool Bordered(TCustomEdit* Edit) { return Edit->FBorderStyle == bsSingle; }
    static Integer LeftMargin(TCustomEdit* Edit) { return Edit->FLeftMargin; }
    static Integer RightMargin(TCustomEdit* Edit) { return Edit->FRightMargin; }
    static const TRect& FormatRect(TCustomEdit* Edit) { return Edit->FFormatRect; }
    static void Edited(TCustomEdit* Edit, const std::u32string& Shown) { Edit->WidgetEdited(Shown); }
};
