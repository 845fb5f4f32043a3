// Edit boxes on the toolkit's text widgets. The widgets only show the text and move the caret:
// every change of the text is made by the edit box's gate; a change the widget makes on its own
// (input-method commits, dropped text, any command we do not route) is taken back and handed to
// the gate.

#include <algorithm>

#include <QFocusEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "framework/edit_backend.h"
#include "framework/forms.h"
#include "framework/window_backend.h"
#include "framework/qt/backend_qt.h"
#include "framework/qt/gdi_backend.h"
#include "framework/qt/window_qt.h"

namespace {

QString FromChars(const std::u32string& s) { return QString::fromUcs4(s.data(), qsizetype(s.size())); }

std::u32string ToChars(const QString& s) {
    QList<uint> u = s.toUcs4();
    return std::u32string(u.begin(), u.end());
}

// Characters to UTF-16 units of Text, and back.
int ToUnits(const QString& Text, int Chars) {
    int i = 0;
    for (int c = 0; c < Chars && i < Text.size(); ++c)
        i += (Text.at(i).isHighSurrogate() && i + 1 < Text.size()) ? 2 : 1;
    return i;
}

int ToCharCount(const QString& Text, int Units) {
    int c = 0;
    for (int i = 0; i < Units && i < Text.size(); ++c)
        i += (Text.at(i).isHighSurrogate() && i + 1 < Text.size()) ? 2 : 1;
    return c;
}

// The classic sunken edge (or a single line) around a widget.
void DrawBorder(QPainter& p, const QRect& r, bool ctl3d) {
    if (!ctl3d) {
        p.setPen(lumora_qt::ToQColor(clWindowFrame));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        return;
    }
    auto line = [&](TColor c, int x1, int y1, int x2, int y2) {
        p.setPen(lumora_qt::ToQColor(c));
        p.drawLine(x1, y1, x2, y2);
    };
    int l = r.left(), t = r.top(), rr = r.right(), b = r.bottom();
    line(clBtnShadow, l, t, rr - 1, t);
    line(clBtnShadow, l, t, l, b - 1);
    line(clBtnHighlight, l, b, rr, b);
    line(clBtnHighlight, rr, t, rr, b);
    line(cl3DDkShadow, l + 1, t + 1, rr - 2, t + 1);
    line(cl3DDkShadow, l + 1, t + 1, l + 1, b - 2);
    line(cl3DLight, l + 1, b - 1, rr - 1, b - 1);
    line(cl3DLight, rr - 1, t + 1, rr - 1, b - 1);
}

class PasswordStyle : public QProxyStyle {
public:
    explicit PasswordStyle(QObject* Parent) { setParent(Parent); }
    char32_t Ch = U'*';
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return int(Ch);
        if (hint == SH_LineEdit_PasswordMaskDelay) return 0;
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }
};

class EditLine : public QLineEdit {
public:
    explicit EditLine(TCustomEdit* Edit) : FEdit(Edit) {}
    TCustomEdit* FEdit;
    int Guard = 0;
    int Border = 0;
    bool Ctl3D = true;
    PasswordStyle* Password = nullptr;

protected:
    void focusInEvent(QFocusEvent* e) override {
        QLineEdit::focusInEvent(e);
        if (lumora_detail::IsLiveControl(FEdit) && lumora_qt::WidgetOf(FEdit) == this) TEditBackend::ApplyStyle(FEdit);
    }
    void focusOutEvent(QFocusEvent* e) override {
        QLineEdit::focusOutEvent(e);
        if (lumora_detail::IsLiveControl(FEdit) && lumora_qt::WidgetOf(FEdit) == this) TEditBackend::ApplyStyle(FEdit);
    }
    void paintEvent(QPaintEvent* e) override {
        QLineEdit::paintEvent(e);
        if (Border > 0) {
            QPainter p(this);
            DrawBorder(p, rect(), Ctl3D);
        }
    }
};

class EditText : public QPlainTextEdit {
public:
    explicit EditText(TCustomEdit* Edit) : FEdit(Edit) {}
    TCustomEdit* FEdit;
    int Guard = 0;
    int Border = 0;
    bool Ctl3D = true;
    QString Shown;  // what the gate let through, as the document's raw text
    void SetMargins(int m) { setViewportMargins(m, m, m, m); }
    QString RawText() const {
        QString s = document()->toRawText();
        s.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        s.replace(QChar::LineSeparator, QLatin1Char('\n'));
        return s;
    }

protected:
    void focusInEvent(QFocusEvent* e) override {
        QPlainTextEdit::focusInEvent(e);
        if (lumora_detail::IsLiveControl(FEdit) && lumora_qt::WidgetOf(FEdit) == this) TEditBackend::ApplyStyle(FEdit);
    }
    void focusOutEvent(QFocusEvent* e) override {
        QPlainTextEdit::focusOutEvent(e);
        if (lumora_detail::IsLiveControl(FEdit) && lumora_qt::WidgetOf(FEdit) == this) TEditBackend::ApplyStyle(FEdit);
    }
    bool event(QEvent* e) override {
        if (e->type() == QEvent::Paint && Border > 0) {
            QPainter p(this);
            p.fillRect(rect(), palette().color(QPalette::Base));
            DrawBorder(p, rect(), Ctl3D);
            return true;
        }
        return QPlainTextEdit::event(e);
    }
};

QWidget* WidgetOf(TCustomEdit* Edit) { return lumora_qt::WidgetOf(Edit); }
EditLine* LineOf(TCustomEdit* Edit) { return dynamic_cast<EditLine*>(WidgetOf(Edit)); }
EditText* TextOf(TCustomEdit* Edit) { return dynamic_cast<EditText*>(WidgetOf(Edit)); }

struct GuardScope {
    int& Count;
    explicit GuardScope(int& c) : Count(c) { ++Count; }
    ~GuardScope() { --Count; }
};

void Report(TCustomEdit* Edit, const std::u32string& Shown) {
    if (!lumora_detail::IsLiveControl(Edit)) return;
    Application->Guard(Edit, [&] { TEditBackend::Edited(Edit, Shown); });
}

}  // namespace

void TEditBackend::CreateWidget(TCustomEdit* Edit, const TCreateParams& Params) {
    lumora_backend::EnsureBackend();
    QWidget* w;
    if (Params.Style & ES_MULTILINE) {
        auto* t = new EditText(Edit);
        t->setFrameStyle(QFrame::NoFrame);
        t->setUndoRedoEnabled(false);
        t->setContextMenuPolicy(Qt::NoContextMenu);
        t->viewport()->setContextMenuPolicy(Qt::NoContextMenu);
        t->setTabChangesFocus(false);
        QObject::connect(t->document(), &QTextDocument::contentsChanged, t, [t] {
            if (t->Guard > 0) return;
            QString now = t->RawText();
            if (now == t->Shown) return;
            Report(t->FEdit, ToChars(now));
        });
        w = t;
    } else {
        auto* l = new EditLine(Edit);
        l->setFrame(false);
        l->setMaxLength(INT_MAX);
        l->setContextMenuPolicy(Qt::NoContextMenu);
        l->setDragEnabled(false);
        QObject::connect(l, &QLineEdit::textEdited, l, [l](const QString& text) {
            if (l->Guard > 0) return;
            Report(l->FEdit, ToChars(text));
        });
        w = l;
    }
    lumora_qt::AdoptNativeWidget(Edit, w, Params);
}

void TEditBackend::SetText(TCustomEdit* Edit, const std::u32string& Shown) {
    if (EditLine* l = LineOf(Edit)) {
        GuardScope g(l->Guard);
        QString s = FromChars(Shown);
        if (l->text() != s) l->setText(s);
    } else if (EditText* t = TextOf(Edit)) {
        GuardScope g(t->Guard);
        QString s = FromChars(Shown);
        t->Shown = s;
        if (t->RawText() != s) t->setPlainText(s);
    }
}

void TEditBackend::SetSelection(TCustomEdit* Edit, Integer Start, Integer Length) {
    if (EditLine* l = LineOf(Edit)) {
        GuardScope g(l->Guard);
        QString s = l->text();
        int a = ToUnits(s, Start), b = ToUnits(s, Start + Length);
        if (b > a)
            l->setSelection(a, b - a);
        else
            l->setCursorPosition(a);
    } else if (EditText* t = TextOf(Edit)) {
        GuardScope g(t->Guard);
        QString s = t->RawText();
        QTextCursor c(t->document());
        c.setPosition(ToUnits(s, Start));
        c.setPosition(ToUnits(s, Start + Length), QTextCursor::KeepAnchor);
        t->setTextCursor(c);
    }
}

bool TEditBackend::GetSelection(TCustomEdit* Edit, Integer& Start, Integer& Length) {
    if (EditLine* l = LineOf(Edit)) {
        QString s = l->text();
        int a = l->hasSelectedText() ? l->selectionStart() : l->cursorPosition();
        int b = l->hasSelectedText() ? l->selectionEnd() : a;
        Start = ToCharCount(s, a);
        Length = ToCharCount(s, b) - Start;
        return true;
    }
    if (EditText* t = TextOf(Edit)) {
        QString s = t->RawText();
        QTextCursor c = t->textCursor();
        Start = ToCharCount(s, c.selectionStart());
        Length = ToCharCount(s, c.selectionEnd()) - Start;
        return true;
    }
    return false;
}

TAlignment TEditBackend::Alignment(TCustomEdit* Edit) {
    auto* m = dynamic_cast<TCustomMemo*>(Edit);
    return m ? m->GetAlignment() : taLeftJustify;
}

bool TEditBackend::WordWrap(TCustomEdit* Edit) {
    auto* m = dynamic_cast<TCustomMemo*>(Edit);
    return m && m->GetWordWrap();
}

TScrollStyle TEditBackend::ScrollBars(TCustomEdit* Edit) {
    auto* m = dynamic_cast<TCustomMemo*>(Edit);
    return m ? m->GetScrollBars() : ssNone;
}

void TEditBackend::ApplyStyle(TCustomEdit* Edit) {
    QWidget* w = WidgetOf(Edit);
    if (!w) return;
    QFont font = lumora_gdi::EngineOf(Edit->GetFont()->GetHandle())->font;
    w->setFont(font);
    QPalette pal = w->palette();
    QColor base = lumora_qt::ToQColor(Edit->GetColor());
    QColor text = lumora_qt::ToQColor(Edit->GetFont()->GetColor());
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(g, QPalette::Base, base);
        pal.setColor(g, QPalette::Window, base);
        pal.setColor(g, QPalette::Text, g == QPalette::Disabled ? lumora_qt::ToQColor(clGrayText) : text);
        pal.setColor(g, QPalette::Highlight, lumora_qt::ToQColor(clHighlight));
        pal.setColor(g, QPalette::HighlightedText, lumora_qt::ToQColor(clHighlightText));
    }
    // Without the focus the selection does not show (unless HideSelection is off).
    if (HideSelection(Edit) && !w->hasFocus()) {
        for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
            pal.setColor(g, QPalette::Highlight, base);
            pal.setColor(g, QPalette::HighlightedText, text);
        }
    }
    w->setPalette(pal);
    DWORD ex = DWORD(GetWindowLong(Edit, GWL_EXSTYLE));
    DWORD style = DWORD(GetWindowLong(Edit, GWL_STYLE));
    int border = (ex & WS_EX_CLIENTEDGE) ? 2 : (style & WS_BORDER) ? 1 : 0;
    bool ctl3d = (ex & WS_EX_CLIENTEDGE) != 0;
    if (EditLine* l = LineOf(Edit)) {
        l->Border = border;
        l->Ctl3D = ctl3d;
        const TRect& fr = FormatRect(Edit);
        if (fr.Right > fr.Left && fr.Bottom > fr.Top)
            // The text keeps to the formatting rectangle.
            l->setTextMargins(fr.Left, fr.Top, std::max(0, l->width() - fr.Right),
                              std::max(0, l->height() - fr.Bottom));
        else
            l->setTextMargins(border + 1 + LeftMargin(Edit), border, border + 1 + RightMargin(Edit), border);
        Char pc = PasswordChar(Edit);
        if (pc) {
            if (!l->Password) l->Password = new PasswordStyle(l);
            l->Password->Ch = pc;
            l->setStyle(l->Password);
            l->setEchoMode(QLineEdit::Password);
        } else {
            l->setEchoMode(QLineEdit::Normal);
        }
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        l->update();
    } else if (EditText* t = TextOf(Edit)) {
        t->Border = border;
        t->Ctl3D = ctl3d;
        t->SetMargins(border);
        t->viewport()->setPalette(pal);
        t->setLineWrapMode(WordWrap(Edit) ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
        TScrollStyle sb = ScrollBars(Edit);
        t->setVerticalScrollBarPolicy(sb == ssVertical || sb == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                       : Qt::ScrollBarAlwaysOff);
        t->setHorizontalScrollBarPolicy(sb == ssHorizontal || sb == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                           : Qt::ScrollBarAlwaysOff);
        QTextOption opt = t->document()->defaultTextOption();
        TAlignment a = Alignment(Edit);
        opt.setAlignment(a == taRightJustify ? Qt::AlignRight : a == taCenter ? Qt::AlignHCenter : Qt::AlignLeft);
        GuardScope g(t->Guard);
        t->document()->setDefaultTextOption(opt);
        t->document()->setDocumentMargin(1);
        t->update();
    }
}

void TEditBackend::ScrollCaret(TCustomEdit* Edit) {
    if (EditText* t = TextOf(Edit)) t->ensureCursorVisible();
}

Integer TEditBackend::CharFromPos(TCustomEdit* Edit, TPoint P) {
    if (EditLine* l = LineOf(Edit)) {
        TRect m = Edit->GetNonClientMargins();
        return ToCharCount(l->text(), l->cursorPositionAt(QPoint(P.X + m.Left, P.Y + m.Top)));
    }
    if (EditText* t = TextOf(Edit)) return ToCharCount(t->RawText(), t->cursorForPosition(QPoint(P.X, P.Y)).position());
    return 0;
}

TPoint TEditBackend::PosFromChar(TCustomEdit* Edit, Integer Pos) {
    if (EditText* t = TextOf(Edit)) {
        QTextCursor c(t->document());
        c.setPosition(ToUnits(t->RawText(), Pos));
        QRect r = t->cursorRect(c);
        return {r.x(), r.y()};
    }
    if (EditLine* l = LineOf(Edit)) {
        QFontMetrics fm(l->font());
        TRect m = Edit->GetNonClientMargins();
        return {1 + fm.horizontalAdvance(l->displayText().left(ToUnits(l->text(), Pos))), m.Top > 0 ? 0 : 0};
    }
    return {0, 0};
}

Integer TEditBackend::FirstVisibleLine(TCustomEdit* Edit) {
    if (EditText* t = TextOf(Edit)) return t->cursorForPosition(QPoint(0, 0)).blockNumber();
    return 0;
}
