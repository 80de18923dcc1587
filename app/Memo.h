#pragma once

#include <QPlainTextEdit>
#include <QStringList>

/// A word-wrapping multi-line edit whose lines are the lines as displayed: a long line that
/// wraps counts as two, and an empty last line is not counted. Tab leaves it.
class Memo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit Memo(QWidget* parent = nullptr);

    /// The displayed lines, without the empty last one.
    QStringList lines() const;
    /// Replaces displayed line `index` (0-based) by `text`.
    void setLine(int index, const QString& text);
    /// Deletes the fifth displayed line (and the break after it) until at most `maxLines` remain.
    void limitLines(int maxLines);

signals:
    /// Focus left the memo for another control of the window.
    void left();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    struct VisualLine
    {
        int start;    // position in the document
        int length;   // characters of the line
        bool endsBlock; // followed by a line break (or the end of the text)
    };
    QList<VisualLine> visualLines() const;
};
