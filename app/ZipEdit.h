#pragma once

#include <QLineEdit>

/// The ZIP field: a mask of five digits, a fixed "-" and four digits. Unfilled places show
/// "_" but read as blanks, so an empty field reads "     -    ".
class ZipEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit ZipEdit(QWidget* parent = nullptr);

    /// The field's text with unfilled places as blanks.
    QString maskedText() const;
    /// Fills the places from the digits of `text` in order ("12345" leaves the plus-four
    /// unfilled).
    void setMaskedText(const QString& text);
    void clearMask();

private:
    void placeCursor();
};
