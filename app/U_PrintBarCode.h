#pragma once

#include <QDialog>
#include <QSpinBox>

namespace quill {
struct Settings;
}
class DigitsEdit;
class PlatformServices;
class QFrame;
class QGroupBox;
class QPushButton;

/// A spin field whose typing is limited to a few characters while its arrows step through the
/// whole range: the number of labels takes one typed digit, yet the arrows go up to 1000.
class TypingLimitedSpinBox : public QSpinBox
{
    Q_OBJECT
public:
    TypingLimitedSpinBox(int typedLength, QWidget* parent = nullptr);
    QValidator::State validate(QString& input, int& pos) const override;

private:
    int m_typedLength;
};

/// "Print Bar Code's": the customer ID, the starting serial number and the number of forms of a
/// pre-print run. Changes the settings record only on OK.
class TF_PrintBarCode : public QDialog
{
    Q_OBJECT
public:
    TF_PrintBarCode(PlatformServices& services, quill::Settings& settings, QWidget* parent = nullptr);

    /// The number of forms the dialog was confirmed with.
    int FormCount() const { return m_formCount; }

    QGroupBox* gb1;
    DigitsEdit* editCustID;
    DigitsEdit* editSerialNum;
    TypingLimitedSpinBox* editNumLabels;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btnHelp;
    QFrame* panelBarCode;

    void btnHelpClick();
    void btnOKClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    bool refuseIncomplete(DigitsEdit* field);

    PlatformServices& m_services;
    quill::Settings& m_settings;
    int m_formCount = 1;
    bool m_refusing = false;
};

/// File > Print Bar Codes: asks, steps the number, runs the dialog (putting the numbering back
/// on Cancel), refuses a customer ID of zeros, and prints the bar codes alone on the forms,
/// one job each, showing "Form 3 of 40" with a Stop button on longer runs. A failure of the
/// run ends it quietly; the forms printed before it stay printed. The serial number then stands
/// at the last form printed, so the next piece, printed or pre-printed, takes the one after.
void MIPrintBarCodesCommand(PlatformServices& services, QWidget* owner, quill::Settings& settings,
                            const QString& programFolder, const QFont& fontHolder);
