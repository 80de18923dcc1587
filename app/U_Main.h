#pragma once

#include "GlobalVariables.h"
#include "Piece.h"
#include "U_Report.h"
#include "tables/TzDbf.h"

#include <QFont>
#include <QMainWindow>
#include <QPointer>

#include <functional>

class Memo;
class PlatformServices;
class QAction;
class QActionGroup;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TDSAddress;
class TF_About;
class TF_MassPrint;
class TTzEdit;
class TTzMemo;
class TTzNavigator;
class ZipEdit;

/// The main window: one mailpiece is entered and printed here, and every other function is
/// reached from its menu. It owns the state of a run: the settings record, the piece being
/// entered and the ShowMailerDialog flag.
class TF_Main : public QMainWindow
{
    Q_OBJECT
public:
    /// `programFolder` is the folder of the program, where the settings file and the other
    /// files of the program are found.
    TF_Main(PlatformServices& services, const QString& programFolder, QWidget* parent = nullptr);
    ~TF_Main() override;

    /// The splash to close at the first show.
    void setSplash(QWidget* splash) { m_splash = splash; }

    quill::Settings& settings() { return m_settings; }
    const QString& ProgramFolder() const { return m_programFolder; }
    QString settingsPath() const;
    QString reportFileName() const { return m_reportFileName; }
    bool ShowMailerDialog = false;

    // Fees (money text throughout)
    QString NormalizeFee(const QString& text);
    void editPostageExit();
    void editCertFeeExit();
    void editReturnExit();
    void editRestrictedExit();
    void cbRestrictedClick();
    void SaveValues1Click();

    // Recipient address
    void btnPasteClick();
    void btnClearClick();
    void memoAddressChange();
    void memoAddressExit();

    // Sender address
    void YourNameAddress1Click();
    void ShowSenderLabels();

    // Printing one mailer
    void btnPrintClick();
    void MIPrintClick();
    /// File > Print Preview: the form the next print would send, without printing it.
    void MIPrintPreviewClick();
    /// Prints the piece with the number reserved for it, keeps the number and logs the piece.
    void PrintMailer(quill::NumberReservation& number);
    void MailerNumber1Click();
    void MIPrinterSetupClick();
    void MIPrinterAlignmentClick();
    void MIExtraLabelClick();

    // Printed and editable states
    void MarkPrinted();
    void MarkChanged();
    void editPostageChange();

    // Numbering mode
    void PrintBarCodeMIClick();
    void DontPrintBarCodeMIClick();
    /// Options > BarCode's > IMpb symbols: the mailer and companion symbols as GS1-128.
    void MIIMpbClick();

    // Report menu
    void miPrintFullClick();
    void miPrintShortClick();
    void miPreviewFullClick();
    void miPreviewShortClick();
    void ClearReport1Click();
    /// The index of the chosen Sort item; -1 when none is chosen.
    int chosenSortOrder() const;
    /// The save-file dialog as the last command left it.
    SaveDialogState& SaveDialog1() { return m_saveDialog; }

    // Help menu and links
    void MIAboutClick();
    void Content1Click();
    void TrackItem1Click();
    void miUpgradeClick();
    void MIExitClick();

    // Address database mode and mass print
    void MIReadWriteToDBClick();
    void btnExitClick();
    /// After each navigator button: the record number and count again.
    void tznavigator1Click(int button);
    void tzmemoAddressChange();
    void tzmemoAddressExit();
    void MIMassPrintClick();

    // Bar-code pre-print and name-and-address text files
    void MIPrintBarCodesClick();
    void MIImportClick();
    void MIExportClick();
    /// Database mode is on: the address table is open and its controls are shown.
    bool databaseMode() const { return m_databaseMode; }
    /// The address table of database mode.
    quill::tables::TTzDbf TzDbfAddress;
    /// The mass print's window while a run goes on; null otherwise.
    TF_MassPrint* massPrintWindow() const { return m_massPrint; }

    /// Runs a command that works on tables. A table failure is fatal: the settings are
    /// saved, the box "Program halted." shows the error, and the program ends with its
    /// number as exit status. Returns false when the command failed so.
    bool RunTableCommand(const std::function<void()>& command);

    // Controls
    QLabel* Image1;
    QLabel* imageCompany;
    QGroupBox* gbYour;
    QLabel* lblYourAddress[5];
    QPushButton* btnChangeYourAddress;
    QLineEdit* editComment;
    QLineEdit* editRe;
    QGroupBox* GroupBox3;
    QPushButton* btnPaste;
    QPushButton* btnClear;
    Memo* memoAddress;
    QLineEdit* editCity;
    QLineEdit* editState;
    ZipEdit* editZip;
    QGroupBox* GroupBox5;
    QLineEdit* editPostage;
    QLineEdit* editCertFee;
    QLineEdit* editReturn;
    QCheckBox* cbRestricted;
    QLabel* lblRestricted;
    QLineEdit* editRestricted;
    QFrame* Shape2;
    QLineEdit* editTotal;
    QPushButton* btnPrint;
    QFont FontDialog1;

    // Database mode
    QLabel* labelDatabaseName;
    TTzNavigator* tznavigator1;
    QLabel* labelOrder;
    QPushButton* btnExit;
    TTzMemo* tzmemoAddress;
    TTzEdit* tzeditCity;
    TTzEdit* tzeditState;
    TTzEdit* tzeditZip;
    TDSAddress* DSAddress;

    // Menu
    QAction* MIReadWriteToDB;
    QAction* MIPrint;
    QAction* MIPrintPreview;
    QAction* MIMassPrint;
    QAction* MIPrintBarCodes;
    QAction* MIExit;
    QAction* MailerNumber1;
    QAction* YourNameAddress1;
    QAction* MIPrinterSetup;
    QAction* MIPrinterAlignment;
    QAction* MIExtraLabel;
    QAction* PrintBarCodeMI;
    QAction* DontPrintBarCodeMI;
    QAction* MIIMpb;
    QAction* SaveValues1;
    QAction* MIImport;
    QAction* MIExport;
    QAction* TrackItem1;
    QAction* miPrintFull;
    QAction* miPrintShort;
    QAction* miPreviewFull;
    QAction* miPreviewShort;
    QAction* ClearReport1;
    QAction* MIByMailerNumber;
    QAction* MIByName;
    QAction* MIByDate;
    QAction* MIByZipCode;
    QAction* Content1;
    QAction* MIOrderSupplies;
    QAction* MITechnicalSupport;
    QAction* miUpgrade;
    QAction* MIAbout;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// What the window shows of the piece being entered.
    quill::PieceInput pieceInput() const;
    /// Runs the Mailer Number dialog; true on OK.
    bool showMailerDialog(bool withDontShow);
    void buildControls();
    void buildMenu();
    void FormCreate();
    void FormFirstShow();
    bool loadResellerLogo();
    void feeExit(QLineEdit* field);
    void setFieldText(QLineEdit* field, const QString& text);
    QList<QWidget*> markedControls() const;
    void buildDatabaseControls();
    /// Leaving a memo rewrites its first four lines, which counts as a change.
    void memoExit(Memo* memo);
    /// Shows the database-mode controls or the ordinary ones.
    void showDatabaseControls(bool on);
    void showOrder();
    /// Prints one piece with the number reserved for it; false when it failed.
    bool printPiece(const quill::PieceInput& piece, quill::NumberReservation& number);
    /// Writes what was changed in the data-aware controls; false when it could not be.
    bool postAddress();

    PlatformServices& m_services;
    QString m_programFolder;
    QString m_reportFileName;
    quill::Settings m_settings;
    QPointer<QWidget> m_splash;
    bool m_firstShow = false;
    bool m_closed = false;
    bool m_inMemoChange = false;
    bool m_toldPdfFolder = false;
    bool m_databaseMode = false;
    TF_MassPrint* m_massPrint = nullptr;
    TReportMenu m_report;
    SaveDialogState m_saveDialog;
};
