#pragma once

#include "MaskEdit.h"

/// The ZIP field: a mask of five digits, a fixed "-" and four digits. Unfilled places show
/// "_" but read as blanks, so an empty field reads "     -    ".
class ZipEdit : public MaskedEdit
{
    Q_OBJECT
public:
    explicit ZipEdit(QWidget* parent = nullptr);

    /// Fills the places from the digits of `text` in order ("12345" leaves the plus-four
    /// unfilled).
    void setMaskedText(const QString& text);
    /// The characters of `text` that go into the places of the ZIP mask, in order: the "-" of a
    /// ZIP+4 is the mask's own and is skipped.
    static QString Places(const QString& text);
    void clearMask() { fillPlaces(QString()); }
    /// The width at which the field shows a complete ZIP+4 ("99999-9999") whole in its font.
    int fittingWidth() const;
};
