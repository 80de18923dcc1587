#pragma once

#include <QClipboard>
#include <QLineEdit>

/// A one-line field with a limit on what the user enters: typing, pasting or dropping text
/// into it adds only what fits under the limit, but text the program sets is taken whole, so
/// an address read from the clipboard or the settings file is never cut.
class LimitedEdit : public QLineEdit
{
    Q_OBJECT
public:
    LimitedEdit(int typingLimit, QWidget* parent = nullptr);

    /// The most characters the user can bring the field to.
    int typingLimit() const { return m_limit; }
    void setTypingLimit(int limit) { m_limit = limit; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    /// The start of `text` that fits when the field keeps `kept` of its characters.
    QString fitting(const QString& text, qsizetype kept) const;
    /// What of `text` fits in place of the selection.
    QString fittingSelection(const QString& text) const;
    void pasteFitting(QClipboard::Mode mode);

    int m_limit;
};
