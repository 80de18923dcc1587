#include "U_Main.h"
#include "Screen.h"

#include "Artwork.h"
#include "LimitedEdit.h"
#include "MassPrint.h"
#include "Memo.h"
#include "MessageBoxWithButtons.h"
#include "PageDevice.h"
#include "Palette.h"
#include "PlatformServices.h"
#include "TableError.h"
#include "U_About.h"
#include "U_Align.h"
#include "U_CertPrint.h"
#include "U_CommonAPI.h"
#include "U_Database.h"
#include "U_ExtraLabel.h"
#include "U_FormPreview.h"
#include "U_Mailer.h"
#include "U_MassPrint.h"
#include "U_PrintBarCode.h"
#include "U_TextFiles.h"
#include "U_YourAddress.h"
#include "ZipEdit.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace {

const QColor MoneyGreen(192, 220, 192);
const QColor CaptionGreen(0, 128, 0);
const QColor Silver(192, 192, 192);
const QColor White(255, 255, 255);

constexpr const char* TrackingPage = "https://www.usps.com/shipping/trackandconfirm.htm";

constexpr const char* CustomerIdNotice =
    "If you have labels without any Bar Code's, you must select a \"Customer ID\" number.";
constexpr const char* RegistrationCaption = "Bar Code Printing Registration";
constexpr const char* RegistrationText =
    "This software prints the newly required Bar Code on the your Certified Mailer. Thus the U.S. Postal "
    "Service Requires that you register with them.  The DUNS numbers are no longer used. You must have a "
    "mailer ID issued by the U.S. Postal Server.  If you do not have a USPS mailer ID contact them at 800 "
    "522 "
    "9085 option 3 then option 6. ";
constexpr const char* UpgradeNote =
    "Quillmark comes in several editions with different features: the single-mailer edition, the "
    "network edition for offices that share one report log, and the service-bureau edition for mass "
    "mailings. To change to another edition, visit www.eastvalesoftware.com or ask your office-supply "
    "dealer.";

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}
std::string s8(const QString& s)
{
    return s.toStdString();
}

void paintGreenBold(QWidget* w)
{
    QFont f = w->font();
    f.setBold(true);
    w->setFont(f);
    SetEnabledColour(w, QPalette::WindowText, CaptionGreen);
}

QLabel* caption(QWidget* parent, const QString& text, int x, int y, int w = 150)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, 20);
    paintGreenBold(l);
    return l;
}

/// `typingLimit`: the most characters the user can enter; 0 for no limit.
QLineEdit* edit(QWidget* parent, const char* name, int x, int y, int w, int typingLimit = 0)
{
    QLineEdit* e = typingLimit > 0 ? new LimitedEdit(typingLimit, parent) : new QLineEdit(parent);
    e->setObjectName(name);
    e->setGeometry(x, y, w, 22);
    QFont f = e->font();
    f.setBold(false);
    e->setFont(f);
    SetEnabledColour(e, QPalette::Text, Qt::black);
    return e;
}

QGroupBox* group(QWidget* parent, const char* name, const QString& title, const QRect& r)
{
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(name);
    g->setGeometry(r);
    paintGreenBold(g);
    return g;
}

} // namespace

TF_Main::TF_Main(PlatformServices& services, const QString& programFolder, QWidget* parent)
    : QMainWindow(parent), m_services(services), m_programFolder(programFolder),
      m_report(services, this, programFolder)
{
    m_saveDialog.folder = programFolder + "Reports";
    setObjectName("F_Main");
    buildControls();
    buildMenu();
    FormCreate();
    // The window sees every key (Escape) and every leave of its fields first.
    qApp->installEventFilter(this);
}

TF_Main::~TF_Main()
{
    qApp->removeEventFilter(this);
}

QString TF_Main::settingsPath() const
{
    return m_programFolder + quill::SettingsFileName;
}

void TF_Main::buildControls()
{
    setFixedSize(643, 490);
    auto* client = new QWidget(this);
    client->setObjectName("client");
    client->setAutoFillBackground(true);
    QPalette pal = client->palette();
    pal.setColor(QPalette::Window, MoneyGreen);
    client->setPalette(pal);
    setCentralWidget(client);

    Image1 = new QLabel(client);
    Image1->setObjectName("Image1");
    Image1->setGeometry(6, 4, 257, 57);
    Image1->setScaledContents(true);
    Image1->setPixmap(ProductBanner(Image1->size()));

    imageCompany = new QLabel(client);
    imageCompany->setObjectName("imageCompany");
    imageCompany->setGeometry(6, 63, 257, 74);
    imageCompany->setScaledContents(true);
    imageCompany->setPixmap(MakerLogo(imageCompany->size()));

    gbYour = group(client, "gbYour", "Your Name and Address", QRect(6, 166, 272, 170));
    gbYour->setFocusPolicy(Qt::ClickFocus);
    for (int i = 0; i < 5; ++i) {
        lblYourAddress[i] = new QLabel(gbYour);
        lblYourAddress[i]->setObjectName(QString("lblYourAddress%1").arg(i + 1));
        lblYourAddress[i]->setGeometry(12, 30 + 26 * i, 252, 20);
        paintGreenBold(lblYourAddress[i]);
    }
    btnChangeYourAddress = new QPushButton("Change", gbYour);
    btnChangeYourAddress->setObjectName("btnChangeYourAddress");
    btnChangeYourAddress->setGeometry(206, 2, 58, 20);
    QFont plainButton = btnChangeYourAddress->font();
    plainButton.setBold(false);
    btnChangeYourAddress->setFont(plainButton);

    caption(client, "Comment:", 6, 362, 70);
    editComment = edit(client, "editComment", 78, 360, 200, 35);
    caption(client, "RE:", 6, 394, 70);
    editRe = edit(client, "editRe", 78, 392, 200, 25);

    // Tall enough for the City, State and ZIP fields of database mode.
    GroupBox3 = group(client, "GroupBox3", "Addressed To", QRect(288, 4, 349, 178));
    btnPaste = new QPushButton("P&aste", GroupBox3);
    btnPaste->setObjectName("btnPaste");
    btnPaste->setGeometry(14, 22, 80, 25);
    btnClear = new QPushButton("&Clear", GroupBox3);
    btnClear->setObjectName("btnClear");
    btnClear->setGeometry(100, 22, 80, 25);
    for (QPushButton* b : {btnPaste, btnClear}) {
        QFont f = b->font();
        f.setBold(false);
        b->setFont(f);
    }
    memoAddress = new Memo(GroupBox3);
    memoAddress->setObjectName("memoAddress");
    memoAddress->setGeometry(14, 54, 265, 60);
    QFont memoFont = memoAddress->font();
    memoFont.setBold(false);
    memoAddress->setFont(memoFont);
    caption(GroupBox3, "City", 14, 118, 60);
    caption(GroupBox3, "State", 196, 118, 46);
    caption(GroupBox3, "Zip", 244, 118, 40);
    editCity = edit(GroupBox3, "editCity", 14, 138, 176, 35);
    editState = edit(GroupBox3, "editState", 196, 138, 42, 4);
    editZip = new ZipEdit(GroupBox3);
    editZip->setObjectName("editZip");
    editZip->setGeometry(244, 138, 90, 22);
    editZip->setFont(editCity->font());

    GroupBox5 = group(client, "GroupBox5", QString(), QRect(288, 184, 349, 262));
    caption(GroupBox5, "Postage", 14, 16);
    caption(GroupBox5, "Certified Fee", 14, 44);
    caption(GroupBox5, "Return Receipt", 14, 72);
    caption(GroupBox5, "Total", 14, 144);
    QFont feeFont = editCity->font();
    feeFont.setBold(true);
    editPostage = edit(GroupBox5, "editPostage", 206, 14, 120);
    editCertFee = edit(GroupBox5, "editCertFee", 206, 42, 120);
    editReturn = edit(GroupBox5, "editReturn", 206, 70, 120);
    cbRestricted = new QCheckBox(GroupBox5);
    cbRestricted->setObjectName("cbRestricted");
    cbRestricted->setGeometry(14, 100, 18, 20);
    lblRestricted = caption(GroupBox5, "Restricted Delivery Fee", 32, 100, 170);
    lblRestricted->setObjectName("lblRestricted");
    editRestricted = edit(GroupBox5, "editRestricted", 206, 98, 120);
    Shape2 = new QFrame(GroupBox5);
    Shape2->setObjectName("Shape2");
    Shape2->setGeometry(206, 131, 120, 3);
    Shape2->setAutoFillBackground(true);
    QPalette red = Shape2->palette();
    red.setColor(QPalette::Window, QColor(255, 0, 0));
    Shape2->setPalette(red);
    editTotal = edit(GroupBox5, "editTotal", 206, 142, 120);
    editTotal->setReadOnly(true);
    editTotal->setFocusPolicy(Qt::ClickFocus); // the Tab key skips it
    for (QLineEdit* e : {editPostage, editCertFee, editReturn, editRestricted, editTotal})
        e->setFont(feeFont);

    btnPrint = new QPushButton("&Print", GroupBox5);
    btnPrint->setObjectName("btnPrint");
    btnPrint->setGeometry(90, 190, 170, 52);
    QFont big = btnPrint->font();
    big.setBold(true);
    big.setPointSize(16);
    btnPrint->setFont(big);

    FontDialog1 = QFont("Arial", 8);
    buildDatabaseControls();

    QWidget* order[] = {editPostage, editCertFee,          editReturn,  cbRestricted, editRestricted,
                        btnPrint,    btnChangeYourAddress, editComment, editRe,       btnPaste,
                        btnClear,    memoAddress,          editCity,    editState,    editZip};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(btnChangeYourAddress, &QPushButton::clicked, this, &TF_Main::YourNameAddress1Click);
    connect(btnPrint, &QPushButton::clicked, this, &TF_Main::btnPrintClick);
    connect(btnPaste, &QPushButton::clicked, this, &TF_Main::btnPasteClick);
    connect(btnClear, &QPushButton::clicked, this, &TF_Main::btnClearClick);
    connect(cbRestricted, &QCheckBox::clicked, this, &TF_Main::cbRestrictedClick);
    connect(memoAddress, &Memo::textChanged, this, &TF_Main::memoAddressChange);
    connect(memoAddress, &Memo::left, this, &TF_Main::memoAddressExit);
    for (QLineEdit* e : {editPostage, editCertFee, editReturn, editRestricted, editComment, editRe, editCity,
                         editState, static_cast<QLineEdit*>(editZip)})
        connect(e, &QLineEdit::textChanged, this, &TF_Main::editPostageChange);
}

void TF_Main::buildMenu()
{
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu("&File");
    MIReadWriteToDB = file->addAction("&Read/Write to a database");
    file->addSeparator();
    MIPrint = file->addAction("&Print");
    MIPrintPreview = file->addAction("Print Pre&view");
    MIMassPrint = file->addAction("&Mass Print");
    MIMassPrint->setEnabled(false);
    MIPrintBarCodes = file->addAction("Print &Bar Codes");
    file->addSeparator();
    MIExit = file->addAction("&Exit");

    QMenu* options = bar->addMenu("&Options");
    MailerNumber1 = options->addAction("&Mailer Number");
    YourNameAddress1 = options->addAction("&Your Name && Address");
    QMenu* printOptions = options->addMenu("Print &Options");
    MIPrinterSetup = printOptions->addAction("&Printer Setup");
    MIPrinterAlignment = printOptions->addAction("Printer &Alignment");
    MIExtraLabel = printOptions->addAction("&Extra Label");
    QMenu* barCodes = options->addMenu("&BarCode's");
    PrintBarCodeMI = barCodes->addAction("&Print");
    DontPrintBarCodeMI = barCodes->addAction("&Don't Print");
    auto* barCodeGroup = new QActionGroup(this);
    for (QAction* a : {PrintBarCodeMI, DontPrintBarCodeMI}) {
        a->setCheckable(true);
        barCodeGroup->addAction(a);
    }
    barCodes->addSeparator();
    MIIMpb = barCodes->addAction("&IMpb symbols (GS1-128)");
    MIIMpb->setCheckable(true);
    QMenu* defaultPostage = options->addMenu("&Default Postage");
    SaveValues1 = defaultPostage->addAction("&Save Values");
    QMenu* textFiles = options->addMenu("&Name && Address Text Files");
    MIImport = textFiles->addAction("&Import");
    MIExport = textFiles->addAction("&Export");

    TrackItem1 = bar->addAction("Track Item");

    QMenu* report = bar->addMenu("&Report");
    QMenu* reportPrint = report->addMenu("&Print");
    miPrintFull = reportPrint->addAction("Full Detail");
    miPrintShort = reportPrint->addAction("Short Detail");
    QMenu* preview = report->addMenu("Pre&view");
    miPreviewFull = preview->addAction("&Full Detail");
    miPreviewShort = preview->addAction("&Short Detail");
    ClearReport1 = report->addAction("&Clear");
    QMenu* sort = report->addMenu("&Sort");
    MIByMailerNumber = sort->addAction("&By Mailer Number");
    MIByName = sort->addAction("By &Name");
    MIByDate = sort->addAction("By &Date");
    MIByZipCode = sort->addAction("By &ZipCode");
    auto* sortGroup = new QActionGroup(this);
    for (QAction* a : {MIByMailerNumber, MIByName, MIByDate, MIByZipCode}) {
        a->setCheckable(true);
        sortGroup->addAction(a);
    }
    // No order is chosen at start: the log prints in the order it was written.

    QMenu* help = bar->addMenu("&Help");
    Content1 = help->addAction("&Content");
    help->addSeparator();
    MIOrderSupplies = help->addAction("&Order Supplies");
    MITechnicalSupport = help->addAction("&Technical Support");
    miUpgrade = help->addAction("&Upgrade");
    help->addSeparator();
    MIAbout = help->addAction("&About");

    connect(MIExit, &QAction::triggered, this, &TF_Main::MIExitClick);
    connect(MIReadWriteToDB, &QAction::triggered, this, &TF_Main::MIReadWriteToDBClick);
    connect(MIMassPrint, &QAction::triggered, this, &TF_Main::MIMassPrintClick);
    connect(MIPrintBarCodes, &QAction::triggered, this, &TF_Main::MIPrintBarCodesClick);
    connect(MIImport, &QAction::triggered, this, &TF_Main::MIImportClick);
    connect(MIExport, &QAction::triggered, this, &TF_Main::MIExportClick);
    connect(MIPrint, &QAction::triggered, this, &TF_Main::MIPrintClick);
    connect(MIPrintPreview, &QAction::triggered, this, &TF_Main::MIPrintPreviewClick);
    connect(MailerNumber1, &QAction::triggered, this, &TF_Main::MailerNumber1Click);
    connect(MIPrinterSetup, &QAction::triggered, this, &TF_Main::MIPrinterSetupClick);
    connect(MIPrinterAlignment, &QAction::triggered, this, &TF_Main::MIPrinterAlignmentClick);
    connect(MIExtraLabel, &QAction::triggered, this, &TF_Main::MIExtraLabelClick);
    connect(YourNameAddress1, &QAction::triggered, this, &TF_Main::YourNameAddress1Click);
    connect(PrintBarCodeMI, &QAction::triggered, this, &TF_Main::PrintBarCodeMIClick);
    connect(DontPrintBarCodeMI, &QAction::triggered, this, &TF_Main::DontPrintBarCodeMIClick);
    connect(MIIMpb, &QAction::triggered, this, &TF_Main::MIIMpbClick);
    connect(SaveValues1, &QAction::triggered, this, &TF_Main::SaveValues1Click);
    connect(TrackItem1, &QAction::triggered, this, &TF_Main::TrackItem1Click);
    connect(Content1, &QAction::triggered, this, &TF_Main::Content1Click);
    for (QAction* a : {MIOrderSupplies, MITechnicalSupport, MIAbout})
        connect(a, &QAction::triggered, this, &TF_Main::MIAboutClick);
    connect(miUpgrade, &QAction::triggered, this, &TF_Main::miUpgradeClick);
    connect(miPrintFull, &QAction::triggered, this, &TF_Main::miPrintFullClick);
    connect(miPrintShort, &QAction::triggered, this, &TF_Main::miPrintShortClick);
    connect(miPreviewFull, &QAction::triggered, this, &TF_Main::miPreviewFullClick);
    connect(miPreviewShort, &QAction::triggered, this, &TF_Main::miPreviewShortClick);
    connect(ClearReport1, &QAction::triggered, this, &TF_Main::ClearReport1Click);
}

bool TF_Main::loadResellerLogo()
{
    QPixmap logo;
    if (!logo.load(m_programFolder + "Scr_logo.bmp"))
        return false;
    imageCompany->setPixmap(logo);
    return true;
}

void TF_Main::FormCreate()
{
    if (!m_programFolder.endsWith(QDir::separator()) && !m_programFolder.endsWith('/'))
        m_programFolder += QDir::separator();

    quill::IniFile ini;
    ini.load(s8(settingsPath()).c_str());
    m_settings = quill::LoadSettings(ini, s8(m_programFolder), [this] { return loadResellerLogo(); });

    setWindowTitle(quill::ApplicationTitle);

    if (m_settings.Company == quill::BrandReseller) {
        if (loadResellerLogo())
            imageCompany->setGeometry(30, 63, 197, 97);
    }

    editPostage->setText(NormalizeFee(q(m_settings.Postage)));
    editCertFee->setText(NormalizeFee(q(m_settings.CertFee)));
    editReturn->setText(NormalizeFee(q(m_settings.Return)));
    editPostageExit();
    editRestricted->clear();
    editRestricted->setEnabled(false);
    lblRestricted->setEnabled(false);
    cbRestricted->setChecked(false);

    (m_settings.PrintBarCode ? PrintBarCodeMI : DontPrintBarCodeMI)->setChecked(true);
    MIIMpb->setChecked(m_settings.IMpb);

    m_reportFileName = m_programFolder + "Reports" + QDir::separator() + "report3.dbf";
    TzDbfAddress.Name = "TzDbfAddress";
    TzDbfAddress.DbfFields = quill::tables::AddressFields;
    TzDbfAddress.setDbfFileName("addresses.tmp"); // a name only: the table opens on a chosen file

    QDir folder(m_programFolder);
    for (const char* name : {"Addresses", "Reports"})
        if (!folder.exists(name))
            folder.mkdir(name); // a failure shows up in the command that needs the folder

    ShowMailerDialog = true;
    m_firstShow = true;
    CentreOnScreen(this);
    editPostage->setFocus();
    MarkChanged();
}

void TF_Main::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_firstShow) {
        m_firstShow = false;
        // Run the prompts once the window is on screen, outside the show itself.
        QTimer::singleShot(0, this, &TF_Main::FormFirstShow);
    }
}

void TF_Main::FormFirstShow()
{
    if (m_splash) {
        m_splash->close();
        delete m_splash;
    }
    if (m_settings.Line1.empty() && m_settings.City.empty() && m_settings.State.empty() &&
        m_settings.Zip.empty()) {
        TF_YourAddress dialog(m_settings, this);
        m_services.execDialog(dialog);
    }
    ShowSenderLabels();
    if (m_settings.PrintBarCode && m_settings.CustID == "00-000-0000") {
        m_services.information(this, CustomerIdNotice);
        showMailerDialog(false); // no stepping here: OK stores what was entered
    }
    if (m_settings.BarCodeApp) {
        int pressed = MessageBoxWithButtons(m_services, RegistrationCaption, RegistrationText,
                                            {"&Never Print again"}, this);
        if (pressed == 1)
            m_settings.BarCodeApp = false;
    }
}

void TF_Main::closeEvent(QCloseEvent* event)
{
    if (!m_closed) {
        m_closed = true;
        if (auto error = quill::SaveSettings(m_settings, s8(settingsPath())))
            m_services.error(this, q(*error));
        // What was typed into the current record is kept; the table is closed, not packed.
        if (m_databaseMode)
            RunTableCommand([&] {
                (void)DSAddress->post();
                TzDbfAddress.Close();
            });
    }
    event->accept();
}

bool TF_Main::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (key->key() == Qt::Key_Escape && widget && widget->window() == this && isVisible()) {
            close();
            return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == editPostage)
                editPostageExit();
            else if (watched == editCertFee)
                editCertFeeExit();
            else if (watched == editReturn)
                editReturnExit();
            else if (watched == editRestricted)
                editRestrictedExit();
            else if (watched == cbRestricted)
                editPostageChange();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// Fees ---------------------------------------------------------------------------------

QString TF_Main::NormalizeFee(const QString& text)
{
    const std::vector<std::string> fields{s8(editPostage->text()), s8(editCertFee->text()),
                                          s8(editRestricted->text()), s8(editReturn->text())};
    setFieldText(editTotal, q(quill::FormatMoney(quill::SumFees(fields))));
    return q(quill::NormalizedFeeText(s8(text)));
}

void TF_Main::setFieldText(QLineEdit* field, const QString& text)
{
    // Setting the text a field already shows is no change.
    if (field->text() != text)
        field->setText(text);
}

void TF_Main::feeExit(QLineEdit* field)
{
    setFieldText(field, NormalizeFee(field->text()));
}
void TF_Main::editPostageExit()
{
    feeExit(editPostage);
}
void TF_Main::editCertFeeExit()
{
    feeExit(editCertFee);
}
void TF_Main::editReturnExit()
{
    feeExit(editReturn);
}
void TF_Main::editRestrictedExit()
{
    feeExit(editRestricted);
}

void TF_Main::cbRestrictedClick()
{
    const bool on = cbRestricted->isChecked();
    lblRestricted->setEnabled(on);
    editRestricted->setEnabled(on);
    if (on)
        editRestricted->setText(q(m_settings.Restricted));
    else
        editRestricted->clear();
    editRestrictedExit();
}

void TF_Main::SaveValues1Click()
{
    m_settings.Postage = quill::TrimBlanks(s8(editPostage->text()));
    m_settings.CertFee = quill::TrimBlanks(s8(editCertFee->text()));
    m_settings.Return = quill::TrimBlanks(s8(editReturn->text()));
    // An unchecked box leaves a single blank in the field: that is no amount to keep.
    if (std::string restricted = quill::TrimBlanks(s8(editRestricted->text())); !restricted.empty())
        m_settings.Restricted = std::move(restricted);
}

// Recipient address -----------------------------------------------------------------------

void TF_Main::btnClearClick()
{
    memoAddress->clear();
    memoAddress->setPlainText(" ");
    editCity->clear();
    editState->clear();
    editZip->clearMask();
}

void TF_Main::btnPasteClick()
{
    btnClearClick();
    auto pasted = quill::ParsePastedAddress(s8(m_services.clipboardText()));
    if (!pasted)
        return;
    if (m_databaseMode) {
        tzeditCity->setText(q(pasted->city));
        tzeditState->setText(q(pasted->state));
        tzeditZip->showFieldText(q(pasted->zip));
        if (pasted->hasLines)
            tzmemoAddress->setPlainText(q(pasted->memoText));
        return;
    }
    editCity->setText(q(pasted->city));
    editState->setText(q(pasted->state));
    editZip->setMaskedText(q(pasted->zip));
    if (pasted->hasLines)
        memoAddress->setPlainText(q(pasted->memoText));
}

void TF_Main::memoAddressChange()
{
    MarkChanged();
    if (m_inMemoChange)
        return;
    m_inMemoChange = true;
    memoAddress->limitLines(4);
    m_inMemoChange = false;
}

void TF_Main::memoAddressExit()
{
    memoExit(memoAddress);
}

void TF_Main::memoExit(Memo* memo)
{
    const QStringList lines = memo->lines();
    for (int i = 0; i < std::min<int>(4, lines.size()); ++i) {
        memo->setLine(i, lines[i]);
        MarkChanged(); // each replacement counts as a change, even of the same text
    }
}

// Sender address --------------------------------------------------------------------------

void TF_Main::YourNameAddress1Click()
{
    TF_YourAddress dialog(m_settings, this);
    if (m_services.execDialog(dialog) == QDialog::Accepted)
        ShowSenderLabels();
    gbYour->setFocus();
}

void TF_Main::ShowSenderLabels()
{
    const auto& s = m_settings;
    const std::string cityLine = quill::TrimBlanks(quill::CityLine(s.City, s.State, s.Zip));
    const auto labels = quill::PlaceCityLine({s.Line1, s.Line2, s.Line3, s.Line4}, cityLine);
    for (int i = 0; i < 5; ++i)
        lblYourAddress[i]->setText(q(labels[static_cast<std::size_t>(i)]));
}

// Printing one mailer ---------------------------------------------------------------------

namespace {
constexpr const char* DashedZeros = "00-000-0000";
constexpr const char* DashedZerosRefused =
    "You can not print a Mailer with \"00-000-0000\" as a Customer ID.\r\rPlease enter in a Customer ID, and "
    "try again.";

/// The hourglass while a command runs; the normal cursor again however it ends.
struct BusyCursor
{
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

bool TF_Main::showMailerDialog(bool withDontShow)
{
    TF_Mailer dialog(m_services, m_settings, ShowMailerDialog, withDontShow, this);
    return m_services.execDialog(dialog) == QDialog::Accepted;
}

void TF_Main::btnPrintClick()
{
    quill::NumberReservation number(m_settings);
    if (number.error()) {
        m_services.error(this, q(number.error()->message));
        return;
    }
    if (ShowMailerDialog && !showMailerDialog(true))
        return; // the reservation puts the numbering back
    if (m_settings.PrintBarCode && m_settings.CustID == DashedZeros) {
        m_services.error(this, DashedZerosRefused);
        return;
    }
    PrintMailer(number);
}

void TF_Main::MIPrintClick()
{
    btnPrintClick();
}

void TF_Main::MIPrintPreviewClick()
{
    // The preview's Print button is the Print command itself, with the number it showed.
    if (ShowFormPreview(m_services, this, pieceInput(), m_settings, FontDialog1, m_programFolder))
        MIPrintClick();
}

quill::PieceInput TF_Main::pieceInput() const
{
    quill::PieceInput piece;
    for (int i = 0; i < 5; ++i)
        piece.sender[static_cast<std::size_t>(i)] = lblYourAddress[i]->text();
    if (memoAddress->isHidden()) { // database mode: the current record as the controls show it
        piece.lines = tzmemoAddress->lines();
        piece.city = tzeditCity->text();
        piece.state = tzeditState->text();
        piece.zip = tzeditZip->fieldText();
    } else {
        piece.lines = memoAddress->lines();
        piece.city = editCity->text();
        piece.state = editState->text();
        piece.zip = editZip->maskedText();
    }
    piece.re = editRe->text();
    piece.comment = editComment->text();
    piece.postage = editPostage->text();
    piece.certifiedFee = editCertFee->text();
    piece.returnReceiptFee = editReturn->text();
    piece.restrictedFee = editRestricted->text();
    piece.total = editTotal->text();
    return piece;
}

void TF_Main::PrintMailer(quill::NumberReservation& number)
{
    (void)printPiece(pieceInput(), number);
}

bool TF_Main::printPiece(const quill::PieceInput& piece, quill::NumberReservation& number)
{
    BusyCursor busy;
    auto device = m_services.pageDevice(m_programFolder);
    quill::report::ReportLogWriter log(s8(m_reportFileName));
    quill::PieceOutcome printed;
    if (!RunTableCommand([&] {
            try {
                printed = quill::PrintPiece(piece, m_settings, number, FontDialog1, *device,
                                            s8(settingsPath()), log, QDate::currentDate());
            } catch (const quill::tables::TableError&) {
                // Only the log fails this way, after the form went out: the halt's table error
                // does not say which piece the log now lacks, and the clerk must note it.
                m_services.messageBox(
                    this, PlatformServices::BoxKind::Warning, quill::ApplicationTitle,
                    "The piece " + q(quill::FormatMailerNumber(s8(device->documentName()))) +
                        " was printed but not recorded in the report log: the log could not be "
                        "written. Note its number by hand.",
                    PlatformServices::bit(PlatformServices::Ok));
                throw;
            }
        }))
        return false;
    if (printed.printError) {
        m_services.messageBox(this, PlatformServices::BoxKind::Error, quill::ApplicationTitle,
                              *printed.printError, PlatformServices::bit(PlatformServices::Ok));
        return false;
    }
    if (printed.savedError)
        m_services.error(this, q(*printed.savedError));
    MarkPrinted();

    if (auto* pdf = dynamic_cast<quill::printing::PdfPage*>(device.get()); pdf && !m_toldPdfFolder) {
        m_toldPdfFolder = true;
        m_services.information(this, "No printer is installed, so the form was saved as a PDF file:\n" +
                                         pdf->fileName() +
                                         "\n\nEvery form is saved in that folder until you "
                                         "choose a printer under Options > Print Options > Printer Setup.");
    }
    if (printed.logged == quill::report::ReportLogWriter::Outcome::LockBusy)
        m_services.messageBox(this, PlatformServices::BoxKind::Warning, quill::ApplicationTitle,
                              "The piece " + q(quill::FormatMailerNumber(s8(printed.mailerNumber))) +
                                  " was printed but not recorded in the report log: another program kept "
                                  "the log locked. Note its number by hand.",
                              PlatformServices::bit(PlatformServices::Ok));
    return true;
}

void TF_Main::MailerNumber1Click()
{
    const std::string serial = quill::WithoutDashes(m_settings.SerialNum).substr(0, 7);
    const std::string custId = quill::WithoutDashes(m_settings.CustID);
    const std::string mailerNum = m_settings.MailerNum;
    if (auto error = quill::AdvanceMailerNumber(m_settings)) {
        m_services.error(this, q(error->message));
        return;
    }
    if (!showMailerDialog(false)) {
        m_settings.SerialNum = serial;
        m_settings.CustID = custId;
        m_settings.MailerNum = mailerNum;
        return;
    }
    if (auto error = quill::StepBackMailerNumber(m_settings))
        m_services.error(this, q(error->message));
}

void TF_Main::MIPrinterSetupClick()
{
    m_services.printerSetup(this);
}

void TF_Main::MIPrinterAlignmentClick()
{
    TF_Align dialog(m_services, m_settings, m_programFolder, FontDialog1, this);
    m_services.execDialog(dialog);
}

void TF_Main::MIExtraLabelClick()
{
    TF_ExtraLabel dialog(m_settings, this);
    m_services.execDialog(dialog);
}

// Printed and editable states -------------------------------------------------------------

QList<QWidget*> TF_Main::markedControls() const
{
    return {editPostage, editCertFee,   editRestricted, editReturn,  editTotal,
            editRe,      editComment,   memoAddress,    editCity,    editState,
            editZip,     tzmemoAddress, tzeditCity,     tzeditState, tzeditZip};
}

void TF_Main::MarkPrinted()
{
    for (QWidget* w : markedControls())
        SetEnabledColour(w, QPalette::Base, Silver); // a disabled field keeps its own look
    btnPrint->setEnabled(false);
}

void TF_Main::MarkChanged()
{
    for (QWidget* w : markedControls())
        SetEnabledColour(w, QPalette::Base, White);
    btnPrint->setEnabled(true);
}

void TF_Main::editPostageChange()
{
    MarkChanged();
}

// Numbering mode --------------------------------------------------------------------------

void TF_Main::PrintBarCodeMIClick()
{
    PrintBarCodeMI->setChecked(true);
    m_settings.PrintBarCode = true;
}

void TF_Main::MIIMpbClick()
{
    m_settings.IMpb = MIIMpb->isChecked();
}

void TF_Main::DontPrintBarCodeMIClick()
{
    DontPrintBarCodeMI->setChecked(true);
    m_settings.PrintBarCode = false;
    m_settings.Increment = true;
}

// Help menu and links ---------------------------------------------------------------------

void TF_Main::MIAboutClick()
{
    TF_About about(m_services, q(m_settings.Company), m_programFolder, 0, this);
    m_services.execDialog(about);
}

void TF_Main::Content1Click()
{
    m_services.showHelp(m_programFolder + "Quill3.hlp");
}

void TF_Main::TrackItem1Click()
{
    m_services.openUrl(QUrl(TrackingPage));
}

void TF_Main::miUpgradeClick()
{
    m_services.information(this, UpgradeNote);
}

void TF_Main::MIExitClick()
{
    close();
}

// Report menu ------------------------------------------------------------------------------

int TF_Main::chosenSortOrder() const
{
    const QAction* items[] = {MIByMailerNumber, MIByName, MIByDate, MIByZipCode};
    for (int i = 0; i < 4; ++i)
        if (items[i]->isChecked())
            return i;
    return -1;
}

void TF_Main::miPrintFullClick()
{
    RunTableCommand([&] {
        m_report.PrintOrPreview(TReportMenu::Destination::Printer, TReportMenu::Detail::Full,
                                chosenSortOrder());
    });
}

void TF_Main::miPrintShortClick()
{
    RunTableCommand([&] {
        m_report.PrintOrPreview(TReportMenu::Destination::Printer, TReportMenu::Detail::Short,
                                chosenSortOrder());
    });
}

void TF_Main::miPreviewFullClick()
{
    RunTableCommand([&] {
        m_report.PrintOrPreview(TReportMenu::Destination::Preview, TReportMenu::Detail::Full,
                                chosenSortOrder());
    });
}

void TF_Main::miPreviewShortClick()
{
    RunTableCommand([&] {
        m_report.PrintOrPreview(TReportMenu::Destination::Preview, TReportMenu::Detail::Short,
                                chosenSortOrder());
    });
}

void TF_Main::ClearReport1Click()
{
    RunTableCommand([&] { m_report.Clear(m_saveDialog); });
}

bool TF_Main::RunTableCommand(const std::function<void()>& command)
{
    try {
        command();
        return true;
    } catch (const quill::tables::TableError& e) {
        // The run's settings, the numbering above all, must outlive the end of the program.
        if (auto error = quill::SaveSettings(m_settings, s8(settingsPath())))
            m_services.error(this, q(*error));
        m_closed = true; // written already
        m_services.messageBox(this, PlatformServices::BoxKind::Error, "Program halted.",
                              QString::fromStdString(e.text()), PlatformServices::bit(PlatformServices::Ok));
        m_services.exitProgram(e.number());
        return false;
    }
}

// Address database mode -------------------------------------------------------------------

namespace {
constexpr const char* OpenTableTitle = "Read Name and Address from File";
constexpr const char* OpenTableFilter = "DBF Files (*.dbf);;All Files (*)";
const QRect PasteNormal(14, 22, 80, 25);
// The database-mode controls keep the group's left margin of the ordinary ones.
constexpr int DbLeft = 14;
} // namespace

void TF_Main::buildDatabaseControls()
{
    labelDatabaseName = new QLabel(GroupBox3);
    labelDatabaseName->setObjectName("labelDatabaseName");
    labelDatabaseName->move(DbLeft, 20);
    labelDatabaseName->setFixedHeight(13);
    QFont plain = editCity->font();
    labelDatabaseName->setFont(plain);
    SetEnabledColour(labelDatabaseName, QPalette::WindowText, QColor(0, 0, 255));

    tznavigator1 = new TTzNavigator(GroupBox3);
    tznavigator1->setObjectName("tznavigator1");
    tznavigator1->setGeometry(DbLeft, 44, 189, 18);

    labelOrder = new QLabel(GroupBox3);
    labelOrder->setObjectName("labelOrder");
    labelOrder->setGeometry(DbLeft, 62, tznavigator1->width(), 13);
    labelOrder->setAlignment(Qt::AlignCenter);
    labelOrder->setFont(plain);
    labelOrder->setAutoFillBackground(true);
    QPalette aqua = labelOrder->palette();
    aqua.setColor(QPalette::Window, QColor(0, 255, 255));
    labelOrder->setPalette(aqua);

    btnExit = new QPushButton("&Exit", GroupBox3);
    btnExit->setObjectName("btnExit");
    btnExit->setGeometry(DbLeft + 198, 60, 59, 25);
    paintGreenBold(btnExit);

    tzmemoAddress = new TTzMemo(GroupBox3);
    tzmemoAddress->setObjectName("tzmemoAddress");
    tzmemoAddress->setGeometry(DbLeft, 89, 265, 60);
    tzmemoAddress->setFont(memoAddress->font());
    tzeditCity = new TTzEdit(35, false, GroupBox3);
    tzeditCity->setObjectName("tzeditCity");
    tzeditCity->setGeometry(DbLeft, 153, 161, 21);
    tzeditState = new TTzEdit(4, false, GroupBox3);
    tzeditState->setObjectName("tzeditState");
    tzeditState->setGeometry(DbLeft + 168, 153, 25, 21);
    tzeditZip = new TTzEdit(10, true, GroupBox3);
    tzeditZip->setObjectName("tzeditZip");
    for (TTzEdit* e : {tzeditCity, tzeditState, tzeditZip}) {
        e->setFont(plain);
        SetEnabledColour(e, QPalette::Text, Qt::black);
    }
    // A ZIP+4 must show whole; the field grows into the group's spare room when the font needs it.
    tzeditZip->setGeometry(DbLeft + 200, 153, std::max(65, editZip->fittingWidth()), 21);

    for (QWidget* w : std::initializer_list<QWidget*>{labelDatabaseName, tznavigator1, labelOrder, btnExit,
                                                      tzmemoAddress, tzeditCity, tzeditState, tzeditZip})
        w->hide();

    QWidget* order[] = {btnPaste,  tznavigator1, btnExit,     tzmemoAddress, tzeditCity, tzeditState,
                        tzeditZip, btnClear,     memoAddress, editCity,      editState,  editZip};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    DSAddress =
        new TDSAddress(TzDbfAddress, m_services, this, tzmemoAddress, tzeditCity, tzeditState, tzeditZip);
    connect(tznavigator1, &TTzNavigator::clicked, this,
            [this](TTzNavigator::Button b) { tznavigator1Click(b); });
    connect(btnExit, &QPushButton::clicked, this, &TF_Main::btnExitClick);
    connect(tzmemoAddress, &TTzMemo::textChanged, this, &TF_Main::tzmemoAddressChange);
    connect(tzmemoAddress, &TTzMemo::left, this, &TF_Main::tzmemoAddressExit);
    for (TTzEdit* e : {tzeditCity, tzeditState, tzeditZip})
        connect(e, &QLineEdit::textChanged, this, &TF_Main::editPostageChange);
}

void TF_Main::showDatabaseControls(bool on)
{
    m_databaseMode = on;
    btnPaste->setGeometry(on ? QRect(DbLeft + 198, 36, 59, 25) : PasteNormal);
    for (QWidget* w : std::initializer_list<QWidget*>{btnExit, tznavigator1, labelDatabaseName, labelOrder,
                                                      tzmemoAddress, tzeditCity, tzeditState, tzeditZip})
        w->setVisible(on);
    for (QWidget* w : std::initializer_list<QWidget*>{btnClear, memoAddress, editCity, editState, editZip})
        w->setVisible(!on);
}

void TF_Main::showOrder()
{
    labelOrder->setText(QString("%1/%2").arg(TzDbfAddress.RecNo()).arg(TzDbfAddress.RecCount()));
    labelOrder->resize(tznavigator1->width(), labelOrder->height());
}

bool TF_Main::postAddress()
{
    if (!m_databaseMode)
        return true;
    bool posted = false;
    return RunTableCommand([&] { posted = DSAddress->post(); }) && posted;
}

void TF_Main::MIReadWriteToDBClick()
{
    QString path = m_services.openOrNewFileName(this, OpenTableTitle, q(m_settings.Default), OpenTableFilter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty() && !path.endsWith('.'))
        path += ".dbf"; // the dialog's default extension
    // What was typed into the table open now is written before another replaces it.
    if (!postAddress())
        return;
    m_settings.Default = s8(QFileInfo(path).absolutePath());
    m_saveDialog.folder = q(m_settings.Default);
    MIMassPrint->setEnabled(true);
    showDatabaseControls(true);
    if (!RunTableCommand([&] {
            TzDbfAddress.Close();
            TzDbfAddress.setDbfFileName(s8(path));
            TzDbfAddress.Open();
        }))
        return;
    labelDatabaseName->setText(ShortenedTablePath(path, labelDatabaseName->fontMetrics()));
    labelDatabaseName->adjustSize();
    if (auto missing = quill::tables::MissingAddressField(TzDbfAddress)) {
        m_services.messageBox(this, PlatformServices::BoxKind::Error, quill::ApplicationTitle,
                              q(TzDbfAddress.Name + ": Field '" + *missing + "' not found"),
                              PlatformServices::bit(PlatformServices::Ok));
        // A table the controls cannot show is not kept open: writing to it could only fail.
        RunTableCommand([&] { TzDbfAddress.Close(); });
        showDatabaseControls(false);
        MIMassPrint->setEnabled(false);
        return;
    }
    DSAddress->bindFields();
    RunTableCommand([&] {
        if (TzDbfAddress.RecCount() == 0) { // an empty table gets one blank record to edit
            DSAddress->click(TTzNavigator::nbInsert);
            DSAddress->click(TTzNavigator::nbPost);
        } else {
            DSAddress->showRecord();
        }
    });
    showOrder();
    tzmemoAddress->setFocus();
}

void TF_Main::tznavigator1Click(int button)
{
    RunTableCommand([&] { DSAddress->click(static_cast<TTzNavigator::Button>(button)); });
    showOrder();
}

void TF_Main::tzmemoAddressChange()
{
    MarkChanged();
    // A record is shown as it is stored; only what is typed is held to four lines.
    if (m_inMemoChange || DSAddress->loading())
        return;
    m_inMemoChange = true;
    tzmemoAddress->limitLines(4);
    m_inMemoChange = false;
}

void TF_Main::tzmemoAddressExit()
{
    memoExit(tzmemoAddress);
}

void TF_Main::btnExitClick()
{
    // The changes on screen are the user's: they are written, or the mode stays on.
    if (!postAddress())
        return;
    showDatabaseControls(false);
    RunTableCommand([&] {
        TzDbfAddress.Pack();
        TzDbfAddress.Close();
    });
    MIMassPrint->setEnabled(false);
    editPostageExit();
}

// Bar-code pre-print and text files -----------------------------------------------------------

void TF_Main::MIPrintBarCodesClick()
{
    MIPrintBarCodesCommand(m_services, this, m_settings, m_programFolder, FontDialog1);
}

void TF_Main::MIImportClick()
{
    // What is typed into database mode's record is written before the table is closed.
    if (!postAddress())
        return;
    TextFileCommandContext context{m_services, this, q(m_settings.Default), {}, {}};
    if (m_databaseMode) {
        context.closeAddressTable = [this] { TzDbfAddress.Close(); };
        context.reopenAddressTable = [this] {
            TzDbfAddress.Open();
            DSAddress->showRecord();
            showOrder();
            tzmemoAddress->setFocus();
        };
    }
    RunTableCommand([&] { MIImportCommand(context); });
}

void TF_Main::MIExportClick()
{
    TextFileCommandContext context{m_services, this, q(m_settings.Default), {}, {}};
    RunTableCommand([&] { MIExportCommand(context); });
}

// Mass print ----------------------------------------------------------------------------------

void TF_Main::MIMassPrintClick()
{
    if (!m_databaseMode)
        return;
    const QString question = "You are about to print " + QString::number(TzDbfAddress.RecCount()) +
                             " labels.\n\rWould you like to continue?";
    const int answer = m_services.messageBox(
        this, PlatformServices::BoxKind::Confirm, quill::ApplicationTitle, question,
        PlatformServices::bit(PlatformServices::Yes) | PlatformServices::bit(PlatformServices::No));
    if (answer != PlatformServices::Yes)
        return;
    ShowMailerDialog = true;
    if (!postAddress()) // the first record is printed as stored: a change on screen goes in first
        return;

    TF_MassPrint progress(this);
    m_massPrint = &progress;
    progress.show();
    const quill::PieceInput window = pieceInput();
    quill::MassPrintSteps steps;
    steps.progress = [&](uint32_t at, uint32_t count, const quill::tables::AddressRecord& record) {
        DSAddress->showRecord();
        showOrder();
        progress.showPiece(at, count, record.lines.empty() ? QString() : q(record.lines.front()));
    };
    steps.stopRequested = [&] { return progress.stopRequested(); };
    steps.mailerDialog = [&] { return showMailerDialog(true); };
    steps.print = [&](const quill::PieceInput& piece, quill::NumberReservation& number) {
        return printPiece(piece, number);
    };
    quill::MassPrintResult result;
    const bool ran = RunTableCommand(
        [&] { result = quill::RunMassPrint(TzDbfAddress, m_settings, ShowMailerDialog, window, steps); });
    m_massPrint = nullptr;
    progress.hide();
    if (!ran)
        return;
    if (result.end == quill::MassPrintResult::End::NumberFailed)
        m_services.error(this, q(result.numberError));
    else if (result.end == quill::MassPrintResult::End::CustomerIdRefused)
        m_services.error(this, quill::MassPrintZerosRefused);
    RunTableCommand([&] { DSAddress->showRecord(); });
    showOrder();
}
