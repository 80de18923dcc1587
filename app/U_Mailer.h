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

/// The bar-code-mode help panel, shared with the pre-print dialog. `link` receives the
/// Dun & Bradstreet address label when the caller wants it as a link; `withImpb` adds what the
/// IMpb item of the BarCode's menu does.
QFrame* MakeCustomerIdHelp(QWidget* parent, QLabel** link, bool withImpb = false);
