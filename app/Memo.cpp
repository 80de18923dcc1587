#include "Memo.h"

#include <QFocusEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

Memo::Memo(QWidget* parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

// The wrapping is computed here from the font and the width rather than read from the
// document's own layout, which Qt builds lazily and only for a shown widget.
QList<Memo::VisualLine> Memo::visualLines() const
{
    QList<VisualLine> out;
    const qreal width = viewport()->width() - 2 * document()->documentMargin();
    QTextOption option;
    option.setWrapMode(wordWrapMode());
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        QTextLayout layout(text, font());
        layout.setTextOption(option);
        layout.beginLayout();
        QList<VisualLine> blockLines;
        for (;;) {
            QTextLine line = layout.createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(std::max<qreal>(width, 1));
            blockLines.append({block.position() + line.textStart(), line.textLength(), false});
        }
        layout.endLayout();
        if (blockLines.isEmpty())
            blockLines.append({block.position(), 0, false});
        blockLines.last().endsBlock = true;
        out += blockLines;
    }
    if (!out.isEmpty() && out.last().length == 0)
        out.removeLast();
    return out;
}

QStringList Memo::lines() const
{
    QStringList out;
    const QString all = toPlainText();
    for (const VisualLine& l : visualLines()) {
        QString text = all.mid(l.start, l.length);
        // A wrapped line keeps the blank it broke at; the displayed line does not show it.
        if (!l.endsBlock)
            while (text.endsWith(' '))
                text.chop(1);
        out.append(text);
    }
    return out;
}

void Memo::setLine(int index, const QString& text)
{
    const QList<VisualLine> all = visualLines();
    if (index < 0 || index >= all.size())
        return;
    QTextCursor c(document());
    c.setPosition(all[index].start);
    c.setPosition(all[index].start + all[index].length, QTextCursor::KeepAnchor);
    c.insertText(text);
}

void Memo::limitLines(int maxLines)
{
    for (;;) {
        const QList<VisualLine> all = visualLines();
        if (all.size() <= maxLines)
            return;
        const VisualLine& fifth = all[maxLines];
        QTextCursor c(document());
        c.setPosition(fifth.start);
        int end = fifth.start + fifth.length;
        if (fifth.endsBlock && end < document()->characterCount() - 1)
            ++end; // the line break after it
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
