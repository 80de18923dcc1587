#pragma once

#include <QLineEdit>

/// A field of a fixed count of required digits. Leaving it changed but incomplete is
/// refused by its dialog.
class DigitsEdit : public QLineEdit
{
    Q_OBJECT
public:
    DigitsEdit(int digits, QWidget* parent = nullptr);

    /// The digits with unfilled places as blanks.
    QString digits() const;
    /// Fills the places from the digits of `text`.
    void setDigits(const QString& text);
    /// Changed by the user and not complete.
    bool incomplete() const { return isModified() && !hasAcceptableInput(); }
};
