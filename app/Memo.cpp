#include "Memo.h"

#include <QFocusEvent>
#include <QTextCursor>

Memo::Memo(QWidget* parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

namespace {

struct TextLine
{
    int start;  // position in the document
    int length; // characters, without the break
};

// The rows a line wraps into depend on the font and the width, and they are no business of
// the address: only the breaks in the text divide lines. toPlainText gives every break, a
// new paragraph and a Shift+Enter line separator alike, as "\n", and has one character for
// each position of the document, so the places found in it are the document's.
QList<TextLine> textLines(const QString& text)
{
    QList<TextLine> out;
    int start = 0;
    while (start < text.size()) {
        const int end = text.indexOf('\n', start);
        if (end < 0) {
            out.append({start, static_cast<int>(text.size()) - start});
            break;
        }
        out.append({start, end - start});
        start = end + 1;
    }
    return out;
}

} // namespace

QStringList Memo::lines() const
{
    const QString text = toPlainText();
    QStringList out;
    for (const TextLine& l : textLines(text))
        out.append(text.mid(l.start, l.length));
    return out;
}

void Memo::setLine(int index, const QString& text)
{
    const QString all = toPlainText();
    const QList<TextLine> lines = textLines(all);
    if (index < 0 || index >= lines.size())
        return;
    const TextLine& l = lines[index];
    if (QStringView(all).mid(l.start, l.length) == text)
        return; // no edit, no change signal, the cursor stays
    QTextCursor c(document());
    c.setPosition(l.start);
    c.setPosition(l.start + l.length, QTextCursor::KeepAnchor);
    c.insertText(text);
}

void Memo::limitLines(int maxLines)
{
    for (;;) {
        const QString all = toPlainText();
        const QList<TextLine> lines = textLines(all);
        if (lines.size() <= maxLines)
            return;
        const TextLine& extra = lines[maxLines];
        int end = extra.start + extra.length;
        if (end < all.size())
            ++end; // the break after it
        QTextCursor c(document());
        c.setPosition(extra.start);
        c.setPosition(end, QTextCursor::KeepAnchor);
        c.removeSelectedText();
    }
}

void Memo::focusOutEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusOutEvent(event);
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit left();
}
