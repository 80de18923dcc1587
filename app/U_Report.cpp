#include "U_Report.h"

#include "GlobalVariables.h"
#include "PlatformServices.h"
#include "U_ReportPreview.h"
#include "report/ReportEngine.h"
#include "report/ReportLayout.h"
#include "report/ReportLog.h"
#include "report/ReportOutput.h"
#include "report/TableDataSource.h"
#include "tables/TzDbf.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>

#include <memory>

using quill::tables::TTzDbf;

namespace {

constexpr const char* ReportIsEmpty = "Report is empty.";
constexpr const char* ReportIsAlreadyEmpty = "Report is already empty.";
constexpr const char* SaveQuestion = "Do you wish to save the data in the report?";

std::string s8(const QString& s)
{
    return s.toStdString();
}

/// The report log, open for one command, and closed when the command ends however it ends.
struct OpenLog
{
    TTzDbf table;
    explicit OpenLog(const QString& path)
    {
        table.DbfFields = quill::report::ReportLogFields();
        table.setDbfFileName(s8(path));
        table.Open();
    }
    ~OpenLog()
    {
        try {
            table.setExclusive(false);
            table.Close();
        } catch (...) {
            // a failure that ended the command has been reported; this one would only repeat it
        }
    }
    /// Closes now, so that a failure to close is reported like any other.
    void close()
    {
        table.setExclusive(false);
        table.Close();
    }
};

/// "Report Status": which page is being generated or printed, with a Cancel button.
class StatusWindow
{
public:
    explicit StatusWindow(QWidget* parent) : m_dialog("", "Cancel", 0, 0, parent)
    {
        m_dialog.setObjectName("ReportStatus");
        m_dialog.setWindowTitle("Report Status");
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(0);
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
        m_dialog.show();
    }
    /// Shows "<format>" with %p as the page; false once the user has cancelled.
    bool page(const char* format, int page, int pages)
    {
        m_dialog.setLabelText(QString(format).replace("%p", QString::number(page)));
        m_dialog.setMaximum(pages);
        m_dialog.setValue(std::min(page, pages));
        QApplication::processEvents();
        return !m_dialog.wasCanceled();
    }

private:
    QProgressDialog m_dialog;
};

} // namespace

TReportMenu::TReportMenu(PlatformServices& services, QWidget* window, QString programFolder)
    : m_services(services), m_window(window), m_programFolder(std::move(programFolder))
{
}

QString TReportMenu::logPath() const
{
    return QString::fromStdString(quill::report::ReportLogPath(s8(m_programFolder)));
}

void TReportMenu::PrintOrPreview(Destination destination, Detail detail, int sortOrder)
{
    OpenLog log(logPath());
    if (log.table.RecCount() == 0) {
        m_services.messageBox(m_window, PlatformServices::BoxKind::Error, quill::ApplicationTitle,
                              ReportIsEmpty, PlatformServices::bit(PlatformServices::Ok));
        return;
    }
    if (sortOrder >= 0 && sortOrder < static_cast<int>(std::size(quill::report::SortOrders))) {
        const auto& order = quill::report::SortOrders[sortOrder];
        log.table.IndexOnOne(order.key, order.indexName);
    }

    quill::report::ReportEngine engine;
    if (auto error = engine.open(m_programFolder + "Quill3.rav")) {
        m_services.error(m_window, *error);
        return;
    }
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    engine.setParameter("MyTime", "Date Printed: " + locale.toString(now.date(), QLocale::ShortFormat) + " " +
                                      locale.toString(now.time(), QLocale::LongFormat));
    const QString name = detail == Detail::Full ? "FullDetail" : "ShortDetail";
    quill::report::TableDataSource data(log.table);
    QString error;
    const std::unique_ptr<quill::report::ReportDocument> document = engine.layout(name, data, error);
    engine.close();
    if (!document) {
        m_services.error(m_window, error);
        return;
    }
    if (destination == Destination::Preview) {
        TF_ReportPreview preview(
            *document, [&] { print(*document, name); }, m_window);
        m_services.execDialog(preview);
        preview.rethrowFailure();
    } else {
        print(*document, name);
    }
    log.close();
}

void TReportMenu::print(quill::report::ReportDocument& document, const QString& reportName)
{
    bool toPdf = false;
    const std::unique_ptr<QPrinter> printer = m_services.reportPrinter(m_window, toPdf);
    if (toPdf) {
        printToPdf(document, reportName);
        return;
    }
    if (!printer)
        return; // cancelled in "Output Options"
    StatusWindow status(m_window);
    // Every page is generated before the first is printed, so the job knows its pages.
    for (int page = 1; !document.isComplete(); ++page) {
        if (!status.page("Generating page %p", page, page))
            return;
        document.layoutNextPage();
    }
    const int pages = document.pageCount();
    printer->setFullPage(true);
    printer->setPageLayout(document.pageLayout());
    printer->setDocName("ReportPrinter Report");
    int first = 0, last = pages - 1;
    if (printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
        first = std::clamp(printer->fromPage() - 1, 0, pages - 1);
        last = std::clamp(printer->toPage() - 1, first, pages - 1);
    }
    QPainter painter;
    if (!painter.begin(printer.get())) {
        m_services.error(m_window, "The printer \"" + printer->printerName() + "\" cannot begin the report.");
        return;
    }
    const bool done = quill::report::PaintPages(document, *printer, painter, first, last, [&](int page) {
        return status.page("Printing page %p", page, pages);
    });
    if (!done)
        printer->abort();
    painter.end();
}

void TReportMenu::printToPdf(quill::report::ReportDocument& document, const QString& reportName)
{
    const QString folder = m_programFolder + "Printed";
    QDir().mkpath(folder);
    const QString file =
        folder + "/" + QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss") + "-" + reportName + ".pdf";
    std::optional<QString> error;
    {
        // Gone before the message that says where the file went.
        StatusWindow status(m_window);
        error = quill::report::WritePdf(document, file, 600, [&](int page) {
            return status.page("Printing page %p", page, std::max(page, document.pagesLaidOut()));
        });
    }
    if (error) {
        m_services.error(m_window, *error);
        return;
    }
    m_services.information(m_window,
                           "No printer is installed, so the report was saved as a PDF file:\n" + file);
}

void TReportMenu::Clear(SaveDialogState& saveDialog)
{
    OpenLog log(logPath());
    if (log.table.RecCount() == 0) {
        m_services.messageBox(m_window, PlatformServices::BoxKind::Error, quill::ApplicationTitle,
                              ReportIsAlreadyEmpty, PlatformServices::bit(PlatformServices::Ok));
        return;
    }
    const int answer = m_services.messageBox(
        m_window, PlatformServices::BoxKind::Confirm, quill::ApplicationTitle, SaveQuestion,
        PlatformServices::bit(PlatformServices::Yes) | PlatformServices::bit(PlatformServices::No) |
            PlatformServices::bit(PlatformServices::Cancel));
    if (answer == PlatformServices::Cancel)
        return;
    if (answer == PlatformServices::Yes) {
        const QString path =
            m_services.saveFileName(m_window, "Save Report", saveDialog.folder, saveDialog.filter);
        if (!path.isEmpty()) {
            saveDialog.folder = QFileInfo(path).absolutePath();
            if (QFileInfo::exists(path)) {
                TTzDbf copy;
                copy.CreateIfNotFound = false;
                copy.setDbfFileName(s8(path));
                copy.Open();
                copy.AppendFrom(s8(logPath()));
                copy.Close();
            } else if (!QFile::copy(logPath(), path)) {
                // Without its copy the log is not cleared: nothing the user asked to keep is lost.
                m_services.error(m_window, "The report could not be copied to " + path + ".");
                return;
            }
        }
    }
    log.table.setExclusive(true);
    log.table.First();
    const uint32_t count = log.table.RecCount();
    for (uint32_t i = 0; i < count; ++i) {
        log.table.DeleteRec();
        log.table.Next();
    }
    log.table.Pack();
    log.close();
}
