#include "U_ReportPreview.h"

#include "report/ReportDocument.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int Zooms[] = {25, 50, 75, 100, 125, 150, 200, 300};
constexpr int PagesPerTick = 4; // laid out between two looks at the user's input

} // namespace

TF_ReportPreview::TF_ReportPreview(quill::report::ReportDocument& document, std::function<void()> print,
                                   QWidget* parent)
    : QDialog(parent), m_document(document)
{
    setObjectName("ReportPreview");
    setWindowTitle("Report Preview");
    setWindowState(Qt::WindowMaximized);
    resize(900, 700); // what it goes back to when it is no longer maximised

    auto* tools = new QHBoxLayout;
    auto button = [&](const char* name, const QString& text, const QString& tip) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setToolTip(tip);
        b->setAutoDefault(false);
        tools->addWidget(b);
        return b;
    };
    m_first = button("btnFirst", "|<", "First page");
    m_previous = button("btnPrevious", "<", "Previous page");
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName("labelPage");
    m_pageLabel->setMinimumWidth(120);
    m_pageLabel->setAlignment(Qt::AlignCenter);
    tools->addWidget(m_pageLabel);
    m_next = button("btnNext", ">", "Next page");
    m_last = button("btnLast", ">|", "Last page");
    tools->addSpacing(16);
    m_zoomBox = new QComboBox(this);
    m_zoomBox->setObjectName("cbZoom");
    for (int z : Zooms)
        m_zoomBox->addItem(QString::number(z) + " %", z);
    tools->addWidget(new QLabel("Zoom:", this));
    tools->addWidget(m_zoomBox);
    tools->addStretch(1);
    if (print) {
        QPushButton* p = button("btnPrint", "&Print...", "Print the report");
        connect(p, &QPushButton::clicked, this, [this, print] { guarded(print); });
    }
    QPushButton* close = button("btnClose", "&Close", "Close the preview");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    m_view = new QLabel;
    m_view->setObjectName("pageView");
    m_view->setAlignment(Qt::AlignCenter);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_view);
    m_scroll->setWidgetResizable(true);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(m_scroll, 1);

    connect(m_first, &QPushButton::clicked, this, [this] { guarded([this] { showPage(0); }); });
    connect(m_previous, &QPushButton::clicked, this, [this] { guarded([this] { showPage(m_page - 1); }); });
    connect(m_next, &QPushButton::clicked, this, [this] { guarded([this] { showPage(m_page + 1); }); });
    connect(m_last, &QPushButton::clicked, this,
            [this] { guarded([this] { showPage(m_document.pageCount() - 1); }); });
    connect(m_zoomBox, &QComboBox::activated, this,
            [this](int i) { guarded([this, i] { setZoom(m_zoomBox->itemData(i).toInt()); }); });

    // The rest of the pages are laid out while the first is on screen.
    m_layoutTimer = new QTimer(this);
    m_layoutTimer->setInterval(0);
    connect(m_layoutTimer, &QTimer::timeout, this, [this] { guarded([this] { layoutMore(); }); });

    m_zoomBox->setCurrentIndex(m_zoomBox->findData(m_zoom));
    guarded([this] { showPage(0); });
    if (!m_failure)
        m_layoutTimer->start();
}

void TF_ReportPreview::keyPressEvent(QKeyEvent* event)
{
    // The keys of a reader: Page Up and Down, Ctrl+Home and Ctrl+End.
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_PageDown:
        guarded([this] { showPage(m_page + 1); });
        return;
    case Qt::Key_PageUp:
        guarded([this] { showPage(m_page - 1); });
        return;
    case Qt::Key_Home:
        if (control) {
            guarded([this] { showPage(0); });
            return;
        }
        break;
    case Qt::Key_End:
        if (control) {
            guarded([this] { showPage(m_document.pageCount() - 1); });
            return;
        }
        break;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

void TF_ReportPreview::guarded(const std::function<void()>& step)
{
    if (m_failure)
        return;
    try {
        step();
    } catch (...) {
        // Nothing may pass into the event loop: the window closes and its command reports it.
        m_failure = std::current_exception();
        m_layoutTimer->stop();
        QTimer::singleShot(0, this, &QDialog::reject);
    }
}

void TF_ReportPreview::rethrowFailure()
{
    if (m_failure)
        std::rethrow_exception(m_failure);
}

void TF_ReportPreview::layoutMore()
{
    for (int i = 0; i < PagesPerTick && !m_document.isComplete(); ++i)
        m_document.layoutNextPage();
    if (m_document.isComplete())
        m_layoutTimer->stop();
    updateNavigation();
}

void TF_ReportPreview::showPage(int index)
{
    if (index < 0 || !m_document.hasPage(index))
        return;
    m_page = index;
    render();
    updateNavigation();
}

void TF_ReportPreview::setZoom(int percent)
{
    m_zoom = percent;
    const int at = m_zoomBox->findData(percent);
    if (at >= 0)
        m_zoomBox->setCurrentIndex(at);
    render();
}

void TF_ReportPreview::render()
{
    // The page at its real size on this screen, times the zoom.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = (screen ? screen->logicalDotsPerInch() : 96.0) * m_zoom / 100.0;
    const QSizeF paper = m_document.pageLayout().fullRect(QPageLayout::Inch).size();
    QImage image(static_cast<int>(std::lround(paper.width() * dpi)),
                 static_cast<int>(std::lround(paper.height() * dpi)), QImage::Format_RGB32);
    if (image.isNull())
        return;
    image.setDotsPerMeterX(static_cast<int>(std::lround(dpi / 0.0254)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(dpi / 0.0254)));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    m_document.paintPage(m_page, painter);
    painter.end();
    m_image = image;
    m_view->setPixmap(QPixmap::fromImage(m_image));
}

void TF_ReportPreview::updateNavigation()
{
    const bool complete = m_document.isComplete();
    const int laidOut = m_document.pagesLaidOut();
    m_pageLabel->setText(complete ? QString("Page %1 of %2").arg(m_page + 1).arg(laidOut)
                                  : QString("Page %1 of %2+").arg(m_page + 1).arg(laidOut));
    m_first->setEnabled(m_page > 0);
    m_previous->setEnabled(m_page > 0);
    const bool more = m_page + 1 < laidOut || !complete;
    m_next->setEnabled(more);
    m_last->setEnabled(more);
}
