#include "ZipEdit.h"

ZipEdit::ZipEdit(QWidget* parent) : MaskedEdit("00000-0000", parent) {}

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
    fillPlaces(places);
}
