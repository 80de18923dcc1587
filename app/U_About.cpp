#include "U_About.h"
#include "Screen.h"

#include "Artwork.h"
#include "GlobalVariables.h"
#include "Palette.h"
#include "PlatformServices.h"
#include "Version.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {

struct BrandTexts
{
    const char* street;
    const char* city;
    const char* webSite;
    const char* email;
    const char* copyright;
};

constexpr BrandTexts MakerTexts{"1200 Commerce Drive", "Eastvale, OH  43004", "www.eastvalesoftware.com",
                                "support@eastvalesoftware.com", "Copyright 2026 Eastvale Software"};
// The reseller sends its customers to the maker for support.
constexpr BrandTexts ResellerTexts{"48 Harrowby Lane", "Harrowby, PA  19380", "www.harrowbysupply.com",
                                   MakerTexts.email, "Copyright 2026 Harrowby Office Supply"};

QLabel* infoLabel(QWidget* parent, int top, const QColor& colour, bool bold, int pointSize, bool underline)
{
    auto* l = new QLabel(parent);
    l->setGeometry(0, top, 274, pointSize > 10 ? 22 : 16);
    l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont f = l->font();
    f.setBold(bold);
    f.setUnderline(underline);
    if (pointSize > 0)
        f.setPointSize(pointSize);
    l->setFont(f);
    SetEnabledColour(l, QPalette::WindowText, colour);
    return l;
}

} // namespace

TF_About::TF_About(PlatformServices& services, const QString& company, const QString& programFolder,
                   int isSplash, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), IsSplash(isSplash), m_services(services),
      m_company(company), m_programFolder(programFolder)
{
    setObjectName("F_About");
    setWindowTitle("About Quillmark");
    setFixedSize(308, 302);

    m_border = new QFrame(this);
    m_border->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_border->setGeometry(0, 0, 308, 302);

    panelMain = new QFrame(m_border);
    panelMain->setObjectName("panelMain");
    panelMain->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panelMain->setGeometry(7, 7, 290, 250);

    Image1 = new QLabel(panelMain);
    Image1->setObjectName("Image1");
    Image1->setGeometry(14, 2, 257, 57);
    Image1->setScaledContents(true);
    Image1->setPixmap(ProductBanner(QSize(257, 57)));

    imageCompany = new QLabel(panelMain);
    imageCompany->setObjectName("imageCompany");
    imageCompany->setGeometry(44, 64, 197, 41);
    imageCompany->setScaledContents(true);
    imageCompany->setAlignment(Qt::AlignCenter);
    imageCompany->setPixmap(MakerLogo(QSize(197, 41)));

    panelInfo = new QFrame(panelMain);
    panelInfo->setObjectName("panelInfo");
    panelInfo->setGeometry(8, 110, 274, 136);
    const QColor navy(0, 0, 128), blue(0, 0, 255), red(255, 0, 0);
    labelStreet = infoLabel(panelInfo, 0, navy, true, 12, false);
    labelCity = infoLabel(panelInfo, 24, navy, true, 12, false);
    labelWebSite = infoLabel(panelInfo, 68, blue, false, 0, true);
    labelEMail = infoLabel(panelInfo, 84, blue, false, 0, true);
    labelVersion = infoLabel(panelInfo, 104, red, true, 0, false);
    labelCopyright = infoLabel(panelInfo, 120, red, true, 0, false);
    labelStreet->setText(MakerTexts.street);
    labelCity->setText(MakerTexts.city);
    labelWebSite->setText(MakerTexts.webSite);
    labelEMail->setText(MakerTexts.email);
    labelCopyright->setText(MakerTexts.copyright);
    labelVersion->setText("Version 4.0");
    labelWebSite->installEventFilter(this);
    labelEMail->installEventFilter(this);

    btnOK = new QPushButton("OK", m_border);
    btnOK->setObjectName("btnOK");
    btnOK->setGeometry(114, 264, 75, 25);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

    Timer1.setInterval(3000);
    Timer1.setSingleShot(false);
    connect(&Timer1, &QTimer::timeout, this, &TF_About::Timer1Timer);

    FormShow();
}

QString TF_About::VersionLabel(const QString& fileVersion)
{
    if (fileVersion.isEmpty())
        return "Version 3.0";
    const QStringList parts = fileVersion.split('.');
    return "Version " + parts.mid(0, 3).join('.');
}

void TF_About::FormShow()
{
    if (IsSplash == 1) {
        setFixedSize(308, 80);
        m_border->resize(308, 80);
        panelMain->resize(panelMain->width(), 62);
        btnOK->hide();
    } else {
        const BrandTexts* texts = &MakerTexts;
        if (m_company == quill::BrandReseller)
            texts = &ResellerTexts;
        labelStreet->setText(texts->street);
        labelCity->setText(texts->city);
        labelWebSite->setText(texts->webSite);
        labelEMail->setText(texts->email);
        labelCopyright->setText(texts->copyright);
        if (m_company == quill::BrandReseller) {
            QPixmap logo;
            if (logo.load(m_programFolder + "Scr_logo.bmp")) {
                imageCompany->setPixmap(logo);
                setFixedSize(width(), height() + 56);
                m_border->resize(m_border->width(), m_border->height() + 56);
                imageCompany->resize(imageCompany->width(), imageCompany->height() + 56);
                panelMain->resize(panelMain->width(), panelMain->height() + 56);
                panelInfo->move(panelInfo->x(), panelInfo->y() + 56);
                btnOK->move(btnOK->x(), btnOK->y() + 56);
            }
        }
        labelVersion->setText(VersionLabel(QUILL_VERSION));
        labelWebSite->setCursor(Qt::PointingHandCursor);
        labelEMail->setCursor(Qt::PointingHandCursor);
    }
    CentreOnScreen(this);
}

void TF_About::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_shown && IsSplash == 1)
        Timer1.start();
    m_shown = true;
}

void TF_About::Timer1Timer()
{
    Timer1.stop();
}

void TF_About::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        if (IsSplash != 1)
            reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TF_About::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && IsSplash != 1) {
        if (watched == labelWebSite)
            labelWebSiteClick();
        else if (watched == labelEMail)
            labelEMailClick();
    }
    return QDialog::eventFilter(watched, event);
}

void TF_About::labelWebSiteClick()
{
    QString address = labelWebSite->text();
    if (!address.contains("://"))
        address.prepend("https://");
    m_services.openUrl(QUrl(address));
}

void TF_About::labelEMailClick()
{
    m_services.openUrl(QUrl("mailto:" + labelEMail->text() + "?Subject=" + quill::ApplicationTitle));
}
