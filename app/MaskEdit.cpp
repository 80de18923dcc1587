#include "MaskEdit.h"

DigitsEdit::DigitsEdit(int digits, QWidget* parent) : QLineEdit(parent)
{
    setInputMask(QString(digits, '9') + ";_");
}

QString DigitsEdit::digits() const
{
    QString t = displayText();
    t.replace('_', ' ');
    return t;
}

void DigitsEdit::setDigits(const QString& text)
{
    QString only;
    for (QChar c : text)
        if (c.isDigit())
            only.append(c);
    setText(only);
    setModified(false);
    setCursorPosition(0);
}
