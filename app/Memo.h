#pragma once

#include <QPlainTextEdit>
#include <QStringList>

/// A word-wrapping multi-line edit whose lines are the lines of its text, separated by the
/// line breaks the user typed: a long line that wraps into several rows is still one line,
/// and an empty last line is not counted. Tab leaves it.
class Memo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit Memo(QWidget* parent = nullptr);

    /// The lines of the text, without the empty last one.
    QStringList lines() const;
    /// Replaces the characters of line `index` (0-based) by `text`; a line that already reads
    /// `text`, or one the memo does not have, is left untouched.
    void setLine(int index, const QString& text);
    /// Deletes the line after the first `maxLines` (its characters and the break after it)
    /// until at most `maxLines` remain.
    void limitLines(int maxLines);

signals:
    /// Focus left the memo for another control of the window.
    void left();

protected:
    void focusOutEvent(QFocusEvent* event) override;
};
