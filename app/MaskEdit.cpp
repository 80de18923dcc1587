#include "MaskEdit.h"

MaskedEdit::MaskedEdit(const QString& mask, QWidget* parent) : QLineEdit(parent)
{
    setInputMask(mask + ";_");
}

QString MaskedEdit::maskedText() const
{
    QString t = displayText();
    t.replace('_', ' ');
    return t;
}

void MaskedEdit::fillPlaces(const QString& places)
{
    setText(places);
    const QString t = displayText();
    int at = 0;
    while (at < t.size() && t[at] != '_')
        ++at;
    setCursorPosition(at < t.size() ? at : 0);
}

DigitsEdit::DigitsEdit(int digits, QWidget* parent) : MaskedEdit(QString(digits, '9'), parent) {}

void DigitsEdit::setDigits(const QString& text)
{
    QString only;
    for (QChar c : text)
        if (c.isDigit())
            only.append(c);
    fillPlaces(only);
    setModified(false);
}
