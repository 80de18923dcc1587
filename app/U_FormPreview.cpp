#include "U_FormPreview.h"

#include "PlatformServices.h"

#include "MailerNumber.h"
#include "PageDevice.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

#include <cmath>

FormPreviewCanvas::FormPreviewCanvas(QImage page, QWidget* parent) : QWidget(parent), m_page(std::move(page))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setZoom(1.0);
}

void FormPreviewCanvas::setZoom(double zoom)
{
    m_zoom = zoom;
    setFixedSize(std::max(1, static_cast<int>(std::lround(m_page.width() * zoom))),
                 std::max(1, static_cast<int>(std::lround(m_page.height() * zoom))));
    update();
}

void FormPreviewCanvas::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    // Only the exposed part is scaled: a 600-dpi page at 200 % is far larger than the screen.
    const QRect shown = event->rect();
    const QRectF source(shown.x() / m_zoom, shown.y() / m_zoom, shown.width() / m_zoom,
                        shown.height() / m_zoom);
    // Shrunk, the thin bars of a symbol would drop out without smoothing; enlarged, every dot stays
    // a sharp square as the printer puts it.
    p.setRenderHint(QPainter::SmoothPixmapTransform, m_zoom < 1.0);
    p.drawImage(QRectF(shown), m_page, source);
}

TF_FormPreview::TF_FormPreview(QImage page, int dpi, const QString& caption, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint)
{
    setWindowTitle("Form Preview");
    canvas = new FormPreviewCanvas(std::move(page));
    canvas->setObjectName("canvas");
    scrollPage = new QScrollArea(this);
    scrollPage->setObjectName("scrollPage");
    scrollPage->setWidget(canvas);
    scrollPage->setAlignment(Qt::AlignCenter);
    scrollPage->setBackgroundRole(QPalette::Dark);

    cbZoom = new QComboBox(this);
    cbZoom->setObjectName("cbZoom");
    cbZoom->addItems({"Whole Page", "Page Width", "25%", "50%", "100%", "200%"});
    auto* zoomLabel = new QLabel("&Zoom:", this);
    zoomLabel->setBuddy(cbZoom);
    lblNumber = new QLabel(QString("%1 \u2014 %2 dots per inch").arg(caption).arg(dpi), this);
    lblNumber->setObjectName("lblNumber");
    btnPrint = new QPushButton("&Print", this);
    btnPrint->setObjectName("btnPrint");
    btnClose = new QPushButton("&Close", this);
    btnClose->setObjectName("btnClose");
    btnPrint->setAutoDefault(false);
    btnClose->setAutoDefault(false);

    auto* bar = new QHBoxLayout;
    bar->addWidget(zoomLabel);
    bar->addWidget(cbZoom);
    bar->addSpacing(12);
    bar->addWidget(lblNumber, 1);
    bar->addWidget(btnPrint);
    bar->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(scrollPage, 1);

    connect(cbZoom, &QComboBox::currentIndexChanged, this, &TF_FormPreview::cbZoomChange);
    connect(btnPrint, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(std::min(760, screen.width() - 40), std::min(900, screen.height() - 60));
    cbZoom->setCurrentIndex(WholePage);
    scrollPage->installEventFilter(this);
    cbZoomChange();
}

void TF_FormPreview::cbZoomChange()
{
    // The room without scroll bars, so a fitted page does not change with the bars it brings.
    const QSize view = scrollPage->maximumViewportSize() - QSize(2, 2);
    const QSize page = canvas->page().size();
    if (page.isEmpty())
        return;
    double zoom = 1.0;
    switch (cbZoom->currentIndex()) {
    case WholePage:
        zoom = std::min(double(view.width()) / page.width(), double(view.height()) / page.height());
        break;
    case PageWidth:
        // Leave room for the vertical scroll bar that the taller page brings.
        zoom = double(view.width() - scrollPage->style()->pixelMetric(QStyle::PM_ScrollBarExtent)) /
               page.width();
        break;
    case Percent25:
        zoom = 0.25;
        break;
    case Percent50:
        zoom = 0.5;
        break;
    case Percent100:
        zoom = 1.0;
        break;
    case Percent200:
        zoom = 2.0;
        break;
    }
    canvas->setZoom(std::max(0.01, zoom));
}

bool TF_FormPreview::eventFilter(QObject* watched, QEvent* event)
{
    // The fitted zooms follow the page's room, known only once the layout has sized it.
    if (watched == scrollPage && event->type() == QEvent::Resize &&
        (cbZoom->currentIndex() == WholePage || cbZoom->currentIndex() == PageWidth))
        cbZoomChange();
    return QDialog::eventFilter(watched, event);
}

void TF_FormPreview::keyPressEvent(QKeyEvent* event)
{
    // Plus and minus step through the zooms, as in the report preview's page keys. From a fitted
    // zoom they go to the next percentage above or below the size shown, never the wrong way.
    const bool plus = event->key() == Qt::Key_Plus || event->key() == Qt::Key_Equal;
    if (plus || event->key() == Qt::Key_Minus) {
        const double percents[] = {0.25, 0.5, 1.0, 2.0};
        const double now = canvas->zoom();
        int to = -1; // none that way: the zoom stays
        for (int i = 0; i < 4; ++i) {
            const double z = percents[i];
            if (plus && z > now + 1e-9) {
                to = Percent25 + i;
                break;
            }
            if (!plus && z < now - 1e-9)
                to = Percent25 + i;
        }
        if (to >= 0)
            cbZoom->setCurrentIndex(to);
        return;
    }
    QDialog::keyPressEvent(event);
}

bool ShowFormPreview(PlatformServices& services, QWidget* parent, const quill::PieceInput& piece,
                     quill::Settings& settings, const QFont& fontHolder, const QString& programFolder)
{
    QSize dpi = services.pageResolution(programFolder);
    if (dpi.width() <= 0 || dpi.height() <= 0)
        dpi = QSize(300, 300); // a printer that tells no resolution: a page printer's usual one
    quill::printing::RasterPage page(dpi.width());
    quill::printing::PrintResult drawn;
    {
        // The number the next print would use; the reservation puts the numbering back when
        // it ends, uncommitted, so the preview uses up nothing.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        quill::NumberReservation number(settings);
        if (!number.error())
            drawn = quill::printing::DrawMailerForm(quill::FormDataOf(piece, settings), settings.PrintBarCode,
                                                    fontHolder, page);
        QApplication::restoreOverrideCursor();
        if (number.error()) {
            services.error(parent, QString::fromStdString(number.error()->message));
            return false;
        }
    }
    if (drawn.error) {
        services.messageBox(parent, PlatformServices::BoxKind::Error, quill::ApplicationTitle, *drawn.error,
                            PlatformServices::bit(PlatformServices::Ok));
        return false;
    }
    const QString number =
        QString::fromStdString(quill::FormatMailerNumber(drawn.mailerNumber.toStdString()));
    TF_FormPreview preview(page.image(), dpi.width(), "Mailer number " + number, parent);
    return services.execDialog(preview) == QDialog::Accepted;
}
