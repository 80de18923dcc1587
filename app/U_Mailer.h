#pragma once

#include <QDialog>

namespace quill {
struct Settings;
}
class DigitsEdit;
class PlatformServices;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

/// "Mailer Number": sets the numbering state, the customer ID and serial number in bar-code
/// mode or the next pre-printed mailer number and the count type. Changes the settings
/// record only on OK.
class TF_Mailer : public QDialog
{
    Q_OBJECT
public:
    /// `showDontShow`: opened before a print, with "Do not show this screen again".
    TF_Mailer(PlatformServices& services, quill::Settings& settings, bool& showMailerDialog,
              bool showDontShow, QWidget* parent = nullptr);

    static constexpr const char* InvalidInput = "Invalid input value.  Use escape key to abandon changes";

    QGroupBox* gbPrintBarcode;
    DigitsEdit* editCustID;
    DigitsEdit* editSerialNum;
    QGroupBox* gbNoBarCode;
    DigitsEdit* editMailerNum;
    QGroupBox* rgCountType;
    QRadioButton* rbIncrement;
    QRadioButton* rbDecrement;
    QCheckBox* cbDontShow;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btnHelp;
    QFrame* panelBarCode;
    QFrame* panelMailerNum;
    QLabel* LabelDnB;

    void btnHelpClick();
    void btnOKClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    bool refuseIncomplete(DigitsEdit* field);

    PlatformServices& m_services;
    quill::Settings& m_settings;
    bool& m_showMailerDialog;
    bool m_barCodeMode;
    bool m_refusing = false;
};

/// The OK, Cancel and Help buttons of the numbering dialogs, named; OK is the default button,
/// so Enter confirms.
void MakeOkCancelHelp(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel, QPushButton*& help);

/// Refuses a digits field the user changed and left incomplete: "Invalid input value..." and the
/// focus back in it. `refusing` is set while the box is up, so the focus moving away for the
/// box is not taken for another leave. True when the field was refused.
bool RefuseIncompleteDigits(PlatformServices& services, QWidget* dialog, DigitsEdit* field, bool& refusing);

/// Whether a focus-out event is the user leaving a field of the dialog, not the window losing
/// the focus or a popup taking it.
bool LeavesField(const QEvent* event);

/// The bar-code-mode help panel, shared with the pre-print dialog. `link` receives the
/// Dun & Bradstreet address label when the caller wants it as a link; `withImpb` adds what the
/// IMpb item of the BarCode's menu does.
QFrame* MakeCustomerIdHelp(QWidget* parent, QLabel** link, bool withImpb = false);
