#pragma once

#include <QDialog>
#include <QSpinBox>

namespace quill {
struct Settings;
}
class QPushButton;

/// A spin edit of -999..999 whose typed text reads as the alignment dialog needs it: a
/// value past a bound is pulled to it, text that is no whole number reads as -999.
class AlignSpin : public QSpinBox
{
    Q_OBJECT
public:
    explicit AlignSpin(QWidget* parent = nullptr);
    /// The value the text shows now, typed or stepped.
    int typedValue() const;
    QLineEdit* editor() const { return lineEdit(); }

protected:
    void fixup(QString& input) const override;
    QValidator::State validate(QString& input, int& pos) const override;
};

/// "Printer Alignment": edits the left-right and top-bottom offsets, in units of 3 device
/// pixels, of everything printed.
class TF_Align : public QDialog
{
    Q_OBJECT
public:
    explicit TF_Align(quill::Settings& settings, QWidget* parent = nullptr);

    AlignSpin* spinLeftRight;
    AlignSpin* SpinUpDown;
    QPushButton* btnOK;
    QPushButton* btnCancel;

private:
    void btnOKClick();
    quill::Settings& m_settings;
};
