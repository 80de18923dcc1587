#include "U_PrintBarCode.h"

#include "GlobalVariables.h"
#include "MaskEdit.h"
#include "Piece.h"
#include "PlatformServices.h"
#include "Screen.h"
#include "U_CertPrint.h"
#include "U_CommonAPI.h"
#include "U_Mailer.h"

#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>

namespace {

constexpr int BaseWidth = 385;
constexpr int BaseHeight = 230;
constexpr int HelpHeight = 383;
constexpr const char* Continue =
    "You have seleceted to pre-print the Bar Code's onto the Mailer's, would you like to continue?";
constexpr const char* ZeroCustomerId =
    "You can not print a Mailer with \"000000000\" as a Customer ID. Enter a "
    "Customer ID. and try again.";
// A run of more forms than this shows its progress and can be stopped.
constexpr int QuietForms = 3;

} // namespace

TypingLimitedSpinBox::TypingLimitedSpinBox(int typedLength, QWidget* parent)
    : QSpinBox(parent), m_typedLength(typedLength)
{
}

QValidator::State TypingLimitedSpinBox::validate(QString& input, int& pos) const
{
    // What the arrows put there is always fine; what is typed is held to the limit.
    if (input != textFromValue(value()) && input.size() > m_typedLength)
        return QValidator::Invalid;
    return QSpinBox::validate(input, pos);
}

TF_PrintBarCode::TF_PrintBarCode(PlatformServices& services, quill::Settings& settings, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_services(services), m_settings(settings)
{
    setObjectName("F_PrintBarCode");
    setFixedSize(BaseWidth, BaseHeight);
    const QString custHint = "Click on \"Help\" for information on the Customer ID";
    const QString serialHint = "Click on \"Help\" for information on the Identifier Serial Number";

    gb1 = new QGroupBox(this);
    gb1->setObjectName("gb1");
    gb1->setGeometry(8, 6, BaseWidth - 16, 180);
    auto* instruction =
        new QLabel("Please enter the starting Identifier Serial Number, and how many labels you "
                   "will be printing Bar Code's on.",
                   gb1);
    instruction->setWordWrap(true);
    instruction->setGeometry(10, 8, BaseWidth - 40, 40);
    auto row = [&](const char* caption, const QString& hint, QWidget* field, int top) {
        auto* label = new QLabel(caption, gb1);
        label->setGeometry(10, top, 200, 22);
        label->setToolTip(hint);
        field->setGeometry(220, top, 120, 24);
    };
    editCustID = new DigitsEdit(9, gb1);
    editCustID->setObjectName("editCustID");
    editCustID->setToolTip(serialHint);
    row("Customer ID (DUNS #)", custHint, editCustID, 58);
    editSerialNum = new DigitsEdit(7, gb1);
    editSerialNum->setObjectName("editSerialNum");
    editSerialNum->setToolTip(serialHint);
    row("Enter Identifier Serial Number", serialHint, editSerialNum, 96);
    editNumLabels = new TypingLimitedSpinBox(1, gb1);
    editNumLabels->setObjectName("editNumLabels");
    editNumLabels->setRange(1, 1000);
    editNumLabels->setValue(1);
    editNumLabels->setToolTip(custHint);
    row("Number of Labels", custHint, editNumLabels, 134);

    MakeOkCancelHelp(this, btnOK, btnCancel, btnHelp);
    int left = BaseWidth - 3 * 84;
    for (QPushButton* b : {btnOK, btnCancel, btnHelp}) {
        b->setGeometry(left, 194, 76, 26);
        left += 84;
    }

    // The Mailer Number dialog's customer-ID help, with the web address as plain text.
    panelBarCode = MakeCustomerIdHelp(this, nullptr);
    panelBarCode->hide();

    for (DigitsEdit* e : {editCustID, editSerialNum})
        e->installEventFilter(this);
    connect(btnOK, &QPushButton::clicked, this, &TF_PrintBarCode::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnHelp, &QPushButton::clicked, this, &TF_PrintBarCode::btnHelpClick);
    setTabOrder(editCustID, editSerialNum);
    setTabOrder(editSerialNum, editNumLabels);
    setTabOrder(editNumLabels, btnOK);
    setTabOrder(btnOK, btnCancel);
    setTabOrder(btnCancel, btnHelp);

    FormCreate();
    CentreOnScreen(this);
}

void TF_PrintBarCode::FormCreate()
{
    setWindowTitle("Print Bar Code's");
    editSerialNum->setDigits(QString::fromStdString(m_settings.SerialNum));
    editCustID->setDigits(QString::fromStdString(m_settings.CustID));
    editSerialNum->setFocus();
}

void TF_PrintBarCode::btnHelpClick()
{
    setFixedSize(BaseWidth, HelpHeight);
    panelBarCode->setGeometry(4, BaseHeight, BaseWidth - 8, HelpHeight - BaseHeight - 4);
    panelBarCode->show();
    btnHelp->setEnabled(false);
    CentreOnScreen(this);
}

bool TF_PrintBarCode::refuseIncomplete(DigitsEdit* field)
{
    return RefuseIncompleteDigits(m_services, this, field, m_refusing);
}

void TF_PrintBarCode::btnOKClick()
{
    for (DigitsEdit* e : {editCustID, editSerialNum})
        if (refuseIncomplete(e))
            return;
    bool isNumber = false;
    const QString count = editNumLabels->cleanText();
    const int forms = count.toInt(&isNumber);
    if (!isNumber) {
        m_services.error(this, "'" + count + "' is not a valid integer value");
        editNumLabels->setFocus();
        return;
    }
    m_formCount = forms;
    m_settings.SerialNum = editSerialNum->digits().trimmed().toStdString();
    m_settings.CustID = editCustID->digits().trimmed().toStdString();
    accept();
}

bool TF_PrintBarCode::eventFilter(QObject* watched, QEvent* event)
{
    if (LeavesField(event) && !m_refusing)
        if (auto* field = qobject_cast<DigitsEdit*>(watched))
            refuseIncomplete(field);
    return QDialog::eventFilter(watched, event);
}

void MIPrintBarCodesCommand(PlatformServices& services, QWidget* owner, quill::Settings& settings,
                            const QString& programFolder, const QFont& fontHolder)
{
    if (services.messageBox(owner, PlatformServices::BoxKind::Confirm, "Confirm", Continue,
                            PlatformServices::bit(PlatformServices::Yes) |
                                PlatformServices::bit(PlatformServices::No)) != PlatformServices::Yes)
        return;
    quill::NumberReservation number(settings);
    if (number.error()) {
        services.error(owner, QString::fromStdString(number.error()->message));
        return;
    }
    TF_PrintBarCode dialog(services, settings, owner);
    if (services.execDialog(dialog) != QDialog::Accepted)
        return;      // the reservation puts the numbering back
    number.commit(); // the values entered stay, also when the run is refused below
    if (settings.PrintBarCode && settings.CustID == "000000000") {
        services.messageBox(owner, PlatformServices::BoxKind::Error, "Error", ZeroCustomerId,
                            PlatformServices::bit(PlatformServices::Ok));
        return;
    }

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int forms = dialog.FormCount();
    std::unique_ptr<QProgressDialog> progress;
    if (forms > QuietForms) {
        progress = std::make_unique<QProgressDialog>("", "Stop", 0, forms, owner);
        progress->setObjectName("PrePrintProgress");
        progress->setWindowTitle("Print Bar Code's");
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
        progress->setAutoClose(false);
        progress->setAutoReset(false);
        progress->show();
    }
    // Each form's number is in the settings file before its job begins, as for every printed
    // piece: a program killed in the middle of a run starts again past the forms it sent.
    const std::string settingsFile = (programFolder + quill::SettingsFileName).toStdString();
    std::optional<std::string> saveError;
    auto keepNumber = [&](const QString& serial) {
        settings.SerialNum = serial.toStdString();
        if (auto error = quill::SaveNumbering(settings, settingsFile); error && !saveError)
            saveError = error;
    };
    const quill::printing::PrePrintResult run = quill::printing::PrePrintBarCodes(
        forms, QString::fromStdString(quill::WithoutDashes(settings.CustID)),
        QString::fromStdString(settings.SerialNum), QString::number(settings.LeftRight),
        QString::number(settings.TopBottom), fontHolder, [&] { return services.pageDevice(programFolder); },
        [&](int form, int total) {
            if (!progress)
                return true;
            progress->setLabelText(QString("Form %1 of %2").arg(form).arg(total));
            progress->setValue(form - 1);
            QApplication::processEvents();
            return !progress->wasCanceled();
        },
        settings.IMpb, keepNumber);
    progress.reset();
    QApplication::restoreOverrideCursor();
    // The forms carry their numbers now: the numbering goes on after the last of them, so no
    // later piece is given one of them again, and the settings file says so at once, as after
    // every printed piece.
    if (run.printed > 0 || run.spoiled) {
        settings.SerialNum = run.lastSerial.toStdString();
        if (auto error = quill::SaveNumbering(settings, settingsFile); error && !saveError)
            saveError = error;
    }
    if (saveError)
        services.error(owner, QString::fromStdString(*saveError));
    // A run cut short by the printer is said so: the clerk would otherwise take a short stack,
    // or a folder short of PDF files, for the whole run.
    if (run.error)
        services.messageBox(owner, PlatformServices::BoxKind::Error, quill::ApplicationTitle, *run.error,
                            PlatformServices::bit(PlatformServices::Ok));
}
