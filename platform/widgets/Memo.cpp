#include "Memo.h"

#include "ClassRegistry.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextOption>

TMemo::TMemo(QObject* owner) : TControl(owner), FEdit(new QPlainTextEdit(this)) {
    SetBounds(0, 0, 185, 89);
    SetColor(clWindow);
    SetParentColor(false);
    FEdit->setGeometry(rect());
    connect(FEdit, &QPlainTextEdit::textChanged, this, [this] { ApplyMaxLength(); });
    SetScrollBars(FScrollBars);
}

void TMemo::SetAlignment(TAlignment v) {
    FAlignment = v;
    QTextOption option = FEdit->document()->defaultTextOption();
    option.setAlignment(v == taCenter ? Qt::AlignHCenter : v == taRightJustify ? Qt::AlignRight : Qt::AlignLeft);
    FEdit->document()->setDefaultTextOption(option);
}

void TMemo::SetBorderStyle(TBorderStyle v) {
    FBorderStyle = v;
    FEdit->setFrameShape(v == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
}

QStringList TMemo::Lines() const {
    QStringList lines;
    for (QTextBlock b = FEdit->document()->begin(); b.isValid(); b = b.next()) lines << b.text();
    // An empty memo has no lines, and a closing line break adds none.
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

void TMemo::SetLines(const QStringList& v) { FEdit->setPlainText(v.join(QLatin1Char('\n'))); }

QString TMemo::Text() const { return FEdit->toPlainText(); }

void TMemo::SetMaxLength(int v) {
    if (v < 0) throw EComponentError(QStringLiteral("MaxLength out of range: %1").arg(v));
    FMaxLength = v;
    ApplyMaxLength();
}

void TMemo::ApplyMaxLength() {
    if (FMaxLength <= 0 || FEdit->document()->characterCount() - 1 <= FMaxLength) return;
    QTextCursor cursor(FEdit->document());
    cursor.setPosition(FMaxLength);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

bool TMemo::ReadOnly() const { return FEdit->isReadOnly(); }

void TMemo::SetReadOnly(bool v) { FEdit->setReadOnly(v); }

void TMemo::SetScrollBars(TScrollStyle v) {
    FScrollBars = v;
    const bool h = v == ssHorizontal || v == ssBoth, vert = v == ssVertical || v == ssBoth;
    FEdit->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    FEdit->setVerticalScrollBarPolicy(vert ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    SetWordWrap(FWordWrap);
}

void TMemo::SetWordWrap(bool v) {
    FWordWrap = v;
    // A horizontal scroll bar turns wrapping off, as it did on the old platform.
    const bool wrap = v && FScrollBars != ssHorizontal && FScrollBars != ssBoth;
    FEdit->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TMemo::resizeEvent(QResizeEvent* e) {
    TControl::resizeEvent(e);
    FEdit->setGeometry(rect());
}

void TMemo::FontChanged() { FEdit->setFont(Font()->ToQFont()); }

void TMemo::ColorChanged() {
    QPalette p = FEdit->palette();
    p.setColor(QPalette::Base, ColorToQColor(Color()));
    FEdit->setPalette(p);
}

WK_REGISTER_CLASS(TMemo)
