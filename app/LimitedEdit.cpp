#include "LimitedEdit.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

#include <algorithm>

// QLineEdit's own maximum length would also cut what the program sets, so the limit is
// kept here, on every way the user brings text in.
LimitedEdit::LimitedEdit(int typingLimit, QWidget* parent) : QLineEdit(parent), m_limit(typingLimit) {}

QString LimitedEdit::fitting(const QString& text, qsizetype kept) const
{
    const qsizetype room = std::max<qsizetype>(0, m_limit - kept);
    QString fit = text.left(room);
    if (fit.size() < text.size() && !fit.isEmpty() && fit.back().isHighSurrogate())
        fit.chop(1); // never half a character
    return fit;
}

QString LimitedEdit::fittingSelection(const QString& text) const
{
    return fitting(text, this->text().size() - selectedText().size());
}

void LimitedEdit::pasteFitting(QClipboard::Mode mode)
{
    if (isReadOnly())
        return;
    const QString clip = QGuiApplication::clipboard()->text(mode);
    if (!clip.isEmpty() || hasSelectedText())
        insert(fittingSelection(clip));
}

void LimitedEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        // Ctrl+Shift+Insert pastes the selection of the window system, as QLineEdit does.
        const bool selection = event->key() == Qt::Key_Insert &&
                               event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier) &&
                               QGuiApplication::clipboard()->supportsSelection();
        pasteFitting(selection ? QClipboard::Selection : QClipboard::Clipboard);
        event->accept();
        return;
    }
    const QString typed = event->text();
    const bool types = !typed.isEmpty() && typed.front().isPrint() &&
                       !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) && !isReadOnly();
    if (types) {
        const QString fit = fittingSelection(typed);
        if (fit.size() < typed.size()) {
            if (!fit.isEmpty())
                insert(fit);
            event->accept(); // the rest does not fit: refused
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void LimitedEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString commit = event->commitString();
    const qsizetype kept = text().size() - selectedText().size() - event->replacementLength();
    const QString fit = fitting(commit, kept);
    if (isReadOnly() || fit.size() == commit.size()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent trimmed(event->preeditString(), event->attributes());
    trimmed.setCommitString(fit, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&trimmed);
    event->setAccepted(trimmed.isAccepted());
}

void LimitedEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The menu's Paste is the action wired to the field's own paste; it gets the limited one.
    // The toolkit wires it by the slot's name, so only a disconnect by name undoes that.
    for (QAction* action : menu->actions())
        if (disconnect(action, SIGNAL(triggered()), this, SLOT(paste())))
            connect(action, &QAction::triggered, this, [this] { pasteFitting(QClipboard::Clipboard); });
    menu->popup(event->globalPos());
}

void LimitedEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the selection of the window system where there is one.
    if (event->button() == Qt::MiddleButton && !isReadOnly() &&
        QGuiApplication::clipboard()->supportsSelection()) {
        deselect();
        pasteFitting(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void LimitedEdit::dropEvent(QDropEvent* event)
{
    // Text moved within the field adds nothing; anything else dropped goes in at the drop
    // point, without replacing the selection.
    const QString dropped = event->mimeData()->text();
    const bool moves = event->source() == this && event->dropAction() != Qt::CopyAction;
    if (moves || isReadOnly() || dropped.isEmpty()) {
        QLineEdit::dropEvent(event);
        return;
    }
    QMimeData fit;
    fit.setText(fitting(dropped, text().size()));
    QDropEvent trimmed(event->position(), event->possibleActions(), &fit, event->buttons(),
                       event->modifiers());
    QLineEdit::dropEvent(&trimmed);
    event->setDropAction(trimmed.dropAction());
    event->setAccepted(trimmed.isAccepted());
}
