#include "ZipEdit.h"

ZipEdit::ZipEdit(QWidget* parent) : QLineEdit(parent)
{
    setInputMask("00000-0000;_");
    setMaxLength(10);
}

QString ZipEdit::maskedText() const
{
    QString t = displayText();
    t.replace('_', ' ');
    return t;
}

void ZipEdit::setMaskedText(const QString& text)
{
    // The mask places the characters that fit it one after another and skips the "-" of
    // the text where the mask has its own.
    QString places;
    for (QChar c : text) {
        if (c == '-' && places.size() == 5)
            continue;
        places.append(c);
    }
    setText(places);
    placeCursor();
}

void ZipEdit::clearMask()
{
    setText(QString());
    placeCursor();
}

void ZipEdit::placeCursor()
{
    // Typing goes on at the first unfilled place, not after the mask's last place.
    const QString t = displayText();
    int at = 0;
    while (at < t.size() && t[at] != '_')
        ++at;
    setCursorPosition(at < t.size() ? at : 0);
}
