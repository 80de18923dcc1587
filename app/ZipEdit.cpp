#include "ZipEdit.h"

#include <QStyle>
#include <QStyleOptionFrame>

ZipEdit::ZipEdit(QWidget* parent) : MaskedEdit("00000-0000", parent) {}

QString ZipEdit::Places(const QString& text)
{
    // The mask places the characters that fit it one after another and skips the "-" of
    // the text where the mask has its own.
    QString places;
    for (QChar c : text) {
        if (c == '-' && places.size() == 5)
            continue;
        places.append(c);
    }
    return places;
}

void ZipEdit::setMaskedText(const QString& text)
{
    fillPlaces(Places(text));
}

int ZipEdit::fittingWidth() const
{
    // QLineEdit keeps 2 pixels beside its text on either side and needs one more for the
    // cursor after the last digit; the style adds its frame around that.
    const QMargins text = textMargins();
    const QMargins contents = contentsMargins();
    const int inner = fontMetrics().horizontalAdvance("99999-9999") + 2 * 2 + 1 + text.left() + text.right() +
                      contents.left() + contents.right();
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(inner, height()), this).width();
}
