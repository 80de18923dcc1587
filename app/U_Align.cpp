#include "U_Align.h"
#include "PlatformServices.h"
#include "Screen.h"

#include "GlobalVariables.h"
#include "IntegerText.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

AlignSpin::AlignSpin(QWidget* parent) : QSpinBox(parent)
{
    setRange(-999, 999);
    setSingleStep(1);
    // No maximum length on the edit: it would cut "-500" to "-50" whenever the spin shows a
    // four-character value, and OK would store that. validate() holds typing to 3 characters.
}

int AlignSpin::typedValue() const
{
    auto v = quill::ParseInteger(text().toStdString());
    if (!v)
        return -999;
    return std::clamp(*v, minimum(), maximum());
}

bool AlignSpin::readsAsNumber() const
{
    return quill::ParseInteger(text().toStdString()).has_value();
}

void AlignSpin::fixup(QString& input) const
{
    auto v = quill::ParseInteger(input.toStdString());
    input = QString::number(v ? std::clamp(*v, minimum(), maximum()) : -999);
}

QValidator::State AlignSpin::validate(QString& input, int&) const
{
    if (input.size() > 3 && input != textFromValue(value()))
        return QValidator::Invalid; // at most 3 characters typed; a stepped "-100" still shows
    if (input.isEmpty() || input == "-" || input == "+")
        return QValidator::Intermediate;
    auto v = quill::ParseInteger(input.toStdString());
    if (!v)
        return QValidator::Invalid;
    return (*v >= minimum() && *v <= maximum()) ? QValidator::Acceptable : QValidator::Intermediate;
}

namespace {

// The sheet the form is printed on, in inches: a Letter page fed upright.
constexpr double SheetWidth = 8.5, SheetHeight = 11.0;
constexpr int PictureMargin = 4;

} // namespace

AlignPicture::AlignPicture(const quill::printing::FormData& sample, bool barcodeMode, const QFont& pageFont,
                           QSize dpi, QWidget* parent)
    : QWidget(parent), m_sample(sample), m_barcodeMode(barcodeMode), m_pageFont(pageFont),
      m_dpi(dpi.width() > 0 && dpi.height() > 0 ? dpi : QSize(300, 300))
{
    m_home = boxesAt(0, 0);
    m_marks = m_home;
    setAttribute(Qt::WA_OpaquePaintEvent);
}

std::vector<quill::printing::MarkBox> AlignPicture::boxesAt(int leftRight, int topBottom) const
{
    // The marks come from the form's own drawing with these offsets, so the picture moves by
    // exactly what the page frame adds: 3 device pixels per unit.
    quill::printing::FormData data = m_sample;
    data.leftRight = QString::number(leftRight);
    data.topBottom = QString::number(topBottom);
    return quill::printing::FormMarkBoxes(data, m_barcodeMode, m_pageFont, m_dpi.width(), m_dpi.height());
}

void AlignPicture::setOffsets(int leftRight, int topBottom)
{
    m_marks = boxesAt(leftRight, topBottom);
    update();
}

double AlignPicture::pixelsPerInch() const
{
    return std::min((width() - 2.0 * PictureMargin) / SheetWidth,
                    (height() - 2.0 * PictureMargin) / SheetHeight);
}

QRectF AlignPicture::sheet() const
{
    const double ppi = pixelsPerInch();
    const QSizeF size(SheetWidth * ppi, SheetHeight * ppi);
    return QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

QRectF AlignPicture::toPicture(const QRect& device) const
{
    // Device pixels count from the paper's corner as the printer sees it; the form reads the
    // other way up, so the picture turns the page half a turn, as the dialog's caption speaks.
    const double ppi = pixelsPerInch();
    const double left = SheetWidth - (device.x() + device.width()) / double(m_dpi.width());
    const double top = SheetHeight - (device.y() + device.height()) / double(m_dpi.height());
    const QRectF s = sheet();
    return QRectF(s.left() + left * ppi, s.top() + top * ppi, device.width() / double(m_dpi.width()) * ppi,
                  device.height() / double(m_dpi.height()) * ppi);
}

QRectF AlignPicture::markRect(std::size_t i) const
{
    return toPicture(m_marks.at(i).area);
}

void AlignPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QRectF s = sheet();
    p.setRenderHint(QPainter::Antialiasing, true); // a move of a fraction of a pixel still shows
    p.fillRect(s, Qt::white);
    p.setClipRect(s);
    p.setPen(Qt::NoPen);
    for (const auto& m : m_marks)
        p.fillRect(toPicture(m.area), m.symbol ? QColor(0, 0, 0) : QColor(150, 150, 150));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 120, 215, 90), 0)); // faint: the marks themselves are what counts
    for (std::size_t i = 0; i < m_home.size() && i < m_marks.size(); ++i)
        if (m_home[i].area != m_marks[i].area)
            p.drawRect(toPicture(m_home[i].area));
    p.setClipping(false);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.drawRect(s.toAlignedRect().adjusted(0, 0, -1, -1));
}

TF_Align::TF_Align(PlatformServices& services, quill::Settings& settings, const QString& programFolder,
                   const QFont& pageFont, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_services(services), m_settings(settings), m_programFolder(programFolder), m_pageFont(pageFont)
{
    setWindowTitle("Printer Alignment");
    setFixedSize(540, 320);

    auto* group = new QGroupBox(this);
    group->setObjectName("GroupBox1");
    group->setGeometry(6, 2, 285, 116);
    auto* text =
        new QLabel("The numbers below will move the text on the form either 1/100\" to the right if a "
                   "negative number or to the left if a positive number.  It also can move the text  "
                   "1/100\" up if a positive number and down if a negative number.",
                   group);
    text->setObjectName("Label2");
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    text->setGeometry(6, 8, 273, 58);
    QFont small = text->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    text->setFont(small);
    auto* lr = new QLabel("Left && Right", group);
    lr->setTextFormat(Qt::PlainText);
    lr->setText("Left & Right");
    lr->setObjectName("Label4");
    auto* ud = new QLabel("Up and Down", group);
    ud->setObjectName("Label5");
    for (QLabel* l : {lr, ud}) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    lr->setGeometry(30, 66, 100, 18);
    ud->setGeometry(160, 66, 100, 18);
    spinLeftRight = new AlignSpin(group);
    spinLeftRight->setObjectName("spinLeftRight");
    spinLeftRight->setGeometry(30, 84, 90, 24);
    SpinUpDown = new AlignSpin(group);
    SpinUpDown->setObjectName("SpinUpDown");
    SpinUpDown->setGeometry(160, 84, 90, 24);

    btnTestPage = new QPushButton("&Test Page", this);
    btnTestPage->setObjectName("btnTestPage");
    btnTestPage->setGeometry(6, 126, 100, 25);
    btnHelp = new QPushButton("&Help", this);
    btnHelp->setObjectName("btnHelp");
    btnHelp->setGeometry(112, 126, 75, 25);
    auto* how = new QLabel("The test page prints a cross where each field of the form begins, with rulers "
                           "and the numbers above, on plain paper. Hold it over a blank form against the "
                           "light, read how far the crosses miss, and correct the numbers. Help tells how.",
                           this);
    how->setObjectName("lblTestPage");
    how->setWordWrap(true);
    how->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    how->setGeometry(8, 158, 281, 100);
    how->setFont(small);

    quill::printing::FormData sample = quill::printing::SampleFormData();
    sample.printExtraLabel = QString::fromStdString(settings.PrintExtraLabel);
    sample.extraLabel = QString::fromStdString(settings.ExtraLabel);
    sample.impb = settings.IMpb;
    imageForm = new AlignPicture(sample, settings.PrintBarCode, pageFont,
                                 services.pageResolution(programFolder), this);
    imageForm->setObjectName("imageForm");
    imageForm->setGeometry(300, 6, 234, 284);
    auto* under = new QLabel("The form, read the right way up", this);
    under->setObjectName("lblPicture");
    under->setAlignment(Qt::AlignHCenter);
    under->setGeometry(300, 292, 234, 20);
    under->setFont(small);

    btnOK = new QPushButton("OK", this);
    btnOK->setGeometry(132, 288, 75, 25);
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setGeometry(214, 288, 75, 25);
    for (QPushButton* b : {btnTestPage, btnHelp, btnOK, btnCancel})
        b->setAutoDefault(false);
    setTabOrder(spinLeftRight, SpinUpDown);
    setTabOrder(SpinUpDown, btnTestPage);
    setTabOrder(btnTestPage, btnHelp);
    setTabOrder(btnHelp, btnOK);
    setTabOrder(btnOK, btnCancel);

    spinLeftRight->setValue(settings.LeftRight);
    SpinUpDown->setValue(settings.TopBottom);
    imageForm->setOffsets(settings.LeftRight, settings.TopBottom);
    btnOK->setDefault(true); // Enter confirms
    connect(btnOK, &QPushButton::clicked, this, &TF_Align::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnTestPage, &QPushButton::clicked, this, &TF_Align::btnTestPageClick);
    connect(btnHelp, &QPushButton::clicked, this,
            [this] { m_services.showHelp(m_programFolder + "Quill3.hlp#alignment"); });
    for (AlignSpin* spin : {spinLeftRight, SpinUpDown})
        connect(spin, &QSpinBox::textChanged, this, &TF_Align::spinChange);
    CentreOnScreen(this);
    spinLeftRight->setFocus();
}

void TF_Align::spinChange()
{
    // Half-typed text ("-") keeps the picture where it was rather than jumping to -999.
    if (spinLeftRight->readsAsNumber() && SpinUpDown->readsAsNumber())
        imageForm->setOffsets(spinLeftRight->typedValue(), SpinUpDown->typedValue());
}

void TF_Align::btnTestPageClick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto device = m_services.pageDevice(m_programFolder);
    const auto error = quill::printing::PrintAlignmentTestPage(QString::number(spinLeftRight->typedValue()),
                                                               QString::number(SpinUpDown->typedValue()),
                                                               m_pageFont, *device);
    QApplication::restoreOverrideCursor();
    if (error) {
        m_services.messageBox(this, PlatformServices::BoxKind::Error, quill::ApplicationTitle, *error,
                              PlatformServices::bit(PlatformServices::Ok));
        return;
    }
    if (auto* pdf = dynamic_cast<quill::printing::PdfPage*>(device.get()))
        m_services.information(this, "No printer is installed, so the test page was saved as a PDF file:\n" +
                                         pdf->fileName());
}

void TF_Align::btnOKClick()
{
    m_settings.LeftRight = spinLeftRight->typedValue();
    m_settings.TopBottom = SpinUpDown->typedValue();
    accept();
}
