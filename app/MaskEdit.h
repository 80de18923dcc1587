#pragma once

#include <QLineEdit>

/// A field with an input mask whose unfilled places show "_" and read as blanks.
class MaskedEdit : public QLineEdit
{
    Q_OBJECT
public:
    MaskedEdit(const QString& mask, QWidget* parent = nullptr);

    /// The field's text with unfilled places as blanks.
    QString maskedText() const;

protected:
    /// Sets the places from `places` and puts the cursor on the first unfilled one, where
    /// typing goes on (not after the mask's last place).
    void fillPlaces(const QString& places);
};

/// A field of a fixed count of required digits. Leaving it changed but incomplete is
/// refused by its dialog.
class DigitsEdit : public MaskedEdit
{
    Q_OBJECT
public:
    DigitsEdit(int digits, QWidget* parent = nullptr);

    /// The digits with unfilled places as blanks.
    QString digits() const { return maskedText(); }
    /// Fills the places from the digits of `text`.
    void setDigits(const QString& text);
    /// Changed by the user and not complete.
    bool incomplete() const { return isModified() && !hasAcceptableInput(); }
};
