#include "U_Mailer.h"
#include "Screen.h"

#include "GlobalVariables.h"
#include "MaskEdit.h"
#include "Palette.h"
#include "PlatformServices.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr const char* DnBAddress = "www.dnb.com";
constexpr int BaseWidth = 340;
constexpr int BaseHeight = 150;
constexpr int BarCodeHelpHeight = 152 + 70; // the customer ID and serial number, and the IMpb item

QLabel* para(QWidget* parent, const QString& text, bool bold = false)
{
    auto* l = new QLabel(text, parent);
    l->setWordWrap(true);
    l->setTextFormat(Qt::RichText);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

// The help panels hold a good deal of text in a fixed height: a small, narrow face.
QFont helpFont()
{
    QFont f("Arial");
    f.setPixelSize(10);
    return f;
}

} // namespace

void MakeOkCancelHelp(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel, QPushButton*& help)
{
    ok = new QPushButton("OK", dialog);
    cancel = new QPushButton("Cancel", dialog);
    help = new QPushButton("Help", dialog);
    ok->setObjectName("btnOK");
    cancel->setObjectName("btnCancel");
    help->setObjectName("btnHelp");
    for (QPushButton* b : {ok, cancel, help})
        b->setAutoDefault(false);
    ok->setDefault(true);
}

bool RefuseIncompleteDigits(PlatformServices& services, QWidget* dialog, DigitsEdit* field, bool& refusing)
{
    if (!field->incomplete())
        return false;
    refusing = true;
    services.messageBox(dialog, PlatformServices::BoxKind::Error, quill::ApplicationTitle,
                        TF_Mailer::InvalidInput, PlatformServices::bit(PlatformServices::Ok));
    field->setFocus();
    refusing = false;
    return true;
}

bool LeavesField(const QEvent* event)
{
    if (event->type() != QEvent::FocusOut)
        return false;
    const auto reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

QFrame* MakeCustomerIdHelp(QWidget* parent, QLabel** link, bool withImpb)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName("panelBarCode");
    panel->setFont(helpFont());
    auto* v = new QVBoxLayout(panel);
    v->setContentsMargins(6, 2, 6, 2);
    v->setSpacing(1);
    v->addWidget(para(panel, "Customer ID:", true));
    v->addWidget(para(panel,
                      "You may request a nine-digit customer ID (i.e., your DUNS number) from your postal "
                      "representative or by contacting Dun &amp; Bradstreet by telephone at 800-333-0505 or "
                      "via Internet at"));
    auto* address = new QLabel(DnBAddress, panel);
    address->setObjectName("LabelDnB");
    if (link) {
        QFont f = address->font();
        f.setUnderline(true);
        address->setFont(f);
        SetEnabledColour(address, QPalette::WindowText, QColor(0, 0, 255));
        address->setCursor(Qt::PointingHandCursor);
        *link = address;
    }
    v->addWidget(address);
    v->addWidget(para(panel,
                      "This number uniquely identifies business entities at specific physical addresses. "
                      "&nbsp;If you are generating mailings at multiple locations, you must use the DUNS "
                      "number appropriate for each mailing location."));
    v->addWidget(para(panel, "Identifier Serial Number:", true));
    v->addWidget(para(panel, "This number must remain unique for at least 2 years in order to ensure that it "
                             "identifies only one mailpiece."));
    if (withImpb) {
        v->addWidget(para(panel, "IMpb symbols (GS1-128):", true));
        v->addWidget(para(panel,
                          "With Options &gt; BarCode's &gt; IMpb symbols checked, the mailer and companion "
                          "numbers are printed as GS1-128 symbols, which the Postal Service's scanners "
                          "take as Intelligent Mail package barcodes. The numbers themselves stay the "
                          "same."));
    }
    v->addStretch();
    return panel;
}

TF_Mailer::TF_Mailer(PlatformServices& services, quill::Settings& settings, bool& showMailerDialog,
                     bool showDontShow, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_services(services), m_settings(settings), m_showMailerDialog(showMailerDialog),
      m_barCodeMode(settings.PrintBarCode)
{
    setObjectName("F_Mailer");
    setFixedSize(BaseWidth, BaseHeight);

    const QString custHint = "Click on \"Help\" for information on the Customer ID";
    const QString serialHint = "Click on \"Help\" for information on the Identifier Serial Number";

    gbPrintBarcode = new QGroupBox(this);
    gbPrintBarcode->setGeometry(8, 6, BaseWidth - 16, 92);
    auto* custLabel = new QLabel("Mailer Number", gbPrintBarcode);
    custLabel->setGeometry(10, 14, 180, 22);
    custLabel->setToolTip(custHint);
    editCustID = new DigitsEdit(9, gbPrintBarcode);
    editCustID->setObjectName("editCustID");
    editCustID->setGeometry(200, 14, 110, 24);
    editCustID->setToolTip(serialHint);
    auto* serialLabel = new QLabel("Enter Identifier Serial Number", gbPrintBarcode);
    serialLabel->setGeometry(10, 52, 185, 22);
    serialLabel->setToolTip(serialHint);
    editSerialNum = new DigitsEdit(7, gbPrintBarcode);
    editSerialNum->setObjectName("editSerialNum");
    editSerialNum->setGeometry(200, 52, 110, 24);
    editSerialNum->setToolTip(serialHint);

    gbNoBarCode = new QGroupBox(this);
    gbNoBarCode->setGeometry(8, 4, BaseWidth - 16, 96);
    auto* mailerLabel = new QLabel("22 Digit Mailer Number", gbNoBarCode);
    mailerLabel->setGeometry(10, 4, 200, 20);
    editMailerNum = new DigitsEdit(22, gbNoBarCode);
    editMailerNum->setObjectName("editMailerNum");
    editMailerNum->setGeometry(10, 24, BaseWidth - 40, 24);
    rgCountType = new QGroupBox("Count Type", gbNoBarCode);
    rgCountType->setGeometry(10, 50, BaseWidth - 40, 42);
    rbIncrement = new QRadioButton("Increment", rgCountType);
    rbIncrement->setGeometry(10, 20, 120, 18);
    rbDecrement = new QRadioButton("Decrement", rgCountType);
    rbDecrement->setGeometry(150, 20, 120, 18);

    cbDontShow = new QCheckBox("Do not show this screen again", this);
    cbDontShow->setObjectName("cbDontShow");
    cbDontShow->setGeometry(16, 104, 260, 22);
    cbDontShow->setVisible(showDontShow);
    cbDontShow->setChecked(false);

    MakeOkCancelHelp(this, btnOK, btnCancel, btnHelp);

    panelBarCode = MakeCustomerIdHelp(this, &LabelDnB, true);
    panelBarCode->hide();
    panelMailerNum = new QFrame(this);
    panelMailerNum->setObjectName("panelMailerNum");
    panelMailerNum->setFont(helpFont());
    auto* v = new QVBoxLayout(panelMailerNum);
    v->setContentsMargins(6, 2, 6, 2);
    v->setSpacing(1);
    v->addWidget(para(panelMailerNum,
                      "You have chosen not to print the bar code's, thus your mailers must have the "
                      "bar code already printed on them. &nbsp;You must enter all 22 digits of the "
                      "next Mailer Number in your printer."));
    v->addWidget(para(panelMailerNum, "Increment/Decrement:", true));
    auto* box = new QPlainTextEdit(panelMailerNum);
    box->setPlainText(
        "You can select either \"Increment\", or \"Decrement\" depending on the order you have the "
        "Mailer's in your printer. Some printers  pull paper from the bottom of the pile and some "
        "from the top. Thus if your printer takes paper from the bottom of the pile, you must use the "
        "mailer number from the bottom of the pile of mailers and have the counter decrement the "
        "number for each new label.");
    box->setReadOnly(true);
    box->setFrameStyle(QFrame::NoFrame);
    box->setFocusPolicy(Qt::NoFocus);
    box->viewport()->setAutoFillBackground(false);
    box->setFixedHeight(74);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->document()->setDocumentMargin(0);
    v->addWidget(box);
    v->addWidget(para(panelMailerNum,
                      "To determine the order of your mailer numbers, look at the last 10 digits of "
                      "the Mailer Number and ignore the last digit. &nbsp;The remaining 9 digits "
                      "will be your <b>unique number</b>. These <b>unique numbers</b> should be "
                      "consecutive."));
    v->addStretch();
    panelMailerNum->hide();

    for (DigitsEdit* e : {editCustID, editSerialNum, editMailerNum})
        e->installEventFilter(this);
    LabelDnB->installEventFilter(this);
    connect(btnOK, &QPushButton::clicked, this, &TF_Mailer::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnHelp, &QPushButton::clicked, this, &TF_Mailer::btnHelpClick);

    FormCreate();
    FormShow();
}

void TF_Mailer::FormCreate()
{
    setWindowTitle("Mailer Number");
    gbPrintBarcode->setVisible(m_barCodeMode);
    gbNoBarCode->setVisible(!m_barCodeMode);
    if (m_barCodeMode) {
        editSerialNum->setDigits(QString::fromStdString(m_settings.SerialNum));
        editCustID->setDigits(QString::fromStdString(m_settings.CustID));
        setTabOrder(editCustID, editSerialNum);
        setTabOrder(editSerialNum, cbDontShow);
        editCustID->setFocus();
    } else {
        editMailerNum->setDigits(QString::fromStdString(m_settings.MailerNum));
        (m_settings.Increment ? rbIncrement : rbDecrement)->setChecked(true);
        setTabOrder(editMailerNum, rbIncrement);
        setTabOrder(rbIncrement, cbDontShow);
        editMailerNum->setFocus();
    }
    setTabOrder(cbDontShow, btnOK);
    setTabOrder(btnOK, btnCancel);
    setTabOrder(btnCancel, btnHelp);
}

void TF_Mailer::FormShow()
{
    int h = BaseHeight;
    if (!cbDontShow->isHidden())
        h += 32;
    setFixedSize(width(), h);
    const int buttonsTop = (cbDontShow->isHidden() ? 104 : 136);
    btnOK->setGeometry(width() - 3 * 84, buttonsTop, 76, 26);
    btnCancel->setGeometry(width() - 2 * 84, buttonsTop, 76, 26);
    btnHelp->setGeometry(width() - 84, buttonsTop, 76, 26);
    CentreOnScreen(this);
}

void TF_Mailer::btnHelpClick()
{
    QFrame* panel = m_barCodeMode ? panelBarCode : panelMailerNum;
    const int extra = m_barCodeMode ? BarCodeHelpHeight : 200;
    const int top = height();
    setFixedSize(385, height() + extra);
    panel->setGeometry(4, top, 385 - 8, extra - 4); // below the buttons; the check box shifts it with them
    panel->show();
    btnHelp->setEnabled(false);
    CentreOnScreen(this);
}

bool TF_Mailer::refuseIncomplete(DigitsEdit* field)
{
    return field->isVisibleTo(this) && RefuseIncompleteDigits(m_services, this, field, m_refusing);
}

void TF_Mailer::btnOKClick()
{
    for (DigitsEdit* e : {editCustID, editSerialNum, editMailerNum})
        if (refuseIncomplete(e))
            return;
    if (m_barCodeMode) {
        m_settings.CustID = editCustID->digits().trimmed().toStdString();
        m_settings.SerialNum = editSerialNum->digits().trimmed().toStdString();
    } else {
        m_settings.MailerNum = editMailerNum->digits().trimmed().toStdString();
        m_settings.Increment = rbIncrement->isChecked();
    }
    m_showMailerDialog = !cbDontShow->isChecked();
    accept();
}

bool TF_Mailer::eventFilter(QObject* watched, QEvent* event)
{
    if (LeavesField(event) && !m_refusing) {
        if (auto* field = qobject_cast<DigitsEdit*>(watched))
            refuseIncomplete(field);
    } else if (watched == LabelDnB && event->type() == QEvent::MouseButtonRelease) {
        m_services.openUrl(QUrl(QString("https://") + DnBAddress));
    }
    return QDialog::eventFilter(watched, event);
}
