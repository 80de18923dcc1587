// A report log of 10,000 pieces through the program's reports (Quill3.rav): the whole layout of
// each report, the first preview page ready from a closed project, and the PDF files at 600 dpi.
// Prints one table of medians.

#include "Timing.h"
#include "report/ReportEngine.h"
#include "report/ReportLayout.h"
#include "report/ReportOutput.h"
#include "report/TableDataSource.h"
#include "tables/TzDbf.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace quill::report;
using quill::tables::TTzDbf;
namespace fs = std::filesystem;

namespace {

constexpr int Records = 10000;
const QString Project = QStringLiteral(QUILL_REPORT_SOURCE);
const QString MyTime = QStringLiteral("Date Printed: 12/10/2024 2:15:03 PM");

std::string money(int cents)
{
    char text[32];
    std::snprintf(text, sizeof text, "%*d.%02d", cents < 1000 ? 11 : 10, cents / 100, cents % 100);
    return text;
}

// Piece `i` as the program records it: two to four address lines, some optional fees blank.
void append(TTzDbf& t, int i)
{
    char date[16], mailer[40], zip[16];
    std::snprintf(date, sizeof date, "%02d/%02d/%04d", 1 + i % 12, 1 + i % 28, 2020 + i % 7);
    std::snprintf(mailer, sizeof mailer, "9214 7123 4567 89%02d %04d %02d", i / 10000, i % 10000, i % 97);
    std::snprintf(zip, sizeof zip, i % 3 ? "%05d" : "%05d-1234", (i * 7919) % 100000);
    const int postage = 68 + i % 5 * 24, certified = 440, restricted = i % 4 == 2 ? 940 : 0,
              ret = i % 2 ? 0 : 360;
    t.ClearRecord();
    t.SetFieldText("sentname0", "Recipient " + std::to_string((i * 31) % 99991));
    t.SetFieldText("sentname1", i % 3 == 0 ? "Attn: Accounts Receivable" : "12 Main Street");
    t.SetFieldText("sentname2", i % 3 == 0 ? "12 Main Street" : i % 4 == 1 ? "Suite 400" : "");
    t.SetFieldText("city", "Springfield");
    t.SetFieldText("state", "IL");
    t.SetFieldText("zip", zip);
    t.SetDateText("rdate", date);
    t.SetFieldText("mailernum", mailer);
    t.SetFieldText("postage", money(postage));
    t.SetFieldText("certified", money(certified));
    t.SetFieldText("restricted", restricted ? money(restricted) : " ");
    t.SetFieldText("return", ret ? money(ret) : " ");
    t.SetFieldText("total", money(postage + certified + restricted + ret));
    t.SetFieldText("comments", i % 5 ? "Notice of lien" : "");
    t.SetFieldText("re", i % 2 ? "" : "Parcel " + std::to_string(i));
    t.AppendRec();
}

std::string pdf(const fs::path& dir)
{
    return (dir / "report.pdf").string();
}

/// One run as the program does it: open the project and the log, set the time, lay out.
struct Run
{
    ReportEngine engine;
    TTzDbf table;
    TableDataSource data{table};
    std::unique_ptr<ReportDocument> doc;

    Run(const std::string& log, const QString& report)
    {
        if (const auto error = engine.open(Project)) {
            std::fprintf(stderr, "%s\n", qPrintable(*error));
            std::exit(1);
        }
        engine.setParameter("MyTime", MyTime);
        table.setDbfFileName(log);
        table.Open();
        QString error;
        doc = engine.layout(report, data, error);
        if (!doc) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            std::exit(1);
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "quill-report-bench";
    fs::create_directories(dir);
    const std::string log = (dir / "report3.dbf").string();
    fs::remove(log);
    {
        TTzDbf t;
        t.DbfFields = ReportLogFields();
        t.setDbfFileName(log);
        t.Open();
        t.ALock();
        for (int i = 0; i < Records; ++i)
            append(t, i);
        t.Close();
    }

    std::printf("%-52s %10s %8s\n", "10,000 pieces", "median", "pages");
    for (const QString report : {"ShortDetail", "FullDetail"}) {
        int pages = 0;
        const double layoutTime = bench::Seconds(
            [&] {
                Run run(log, report);
                pages = run.doc->pageCount();
            },
            5);
        std::printf("%-52s %7.0f ms %8d\n", qPrintable(report + ": whole layout"), layoutTime * 1000, pages);

        // A preview at zoom 100: page 1 on a screen-sized image, from a closed project.
        const double first = bench::Seconds(
            [&] {
                Run run(log, report);
                const QSizeF inches = run.doc->pageLayout().fullRect(QPageLayout::Inch).size();
                QImage page(qRound(inches.width() * 96), qRound(inches.height() * 96), QImage::Format_RGB32);
                page.setDotsPerMeterX(3780);
                page.setDotsPerMeterY(3780);
                page.fill(Qt::white);
                QPainter painter(&page);
                run.doc->paintPage(0, painter);
            },
            5);
        std::printf("%-52s %7.0f ms %8d\n", qPrintable(report + ": first page painted at 96 dpi"),
                    first * 1000, 1);

        const double write = bench::Seconds(
            [&] {
                Run run(log, report);
                if (const auto error = WritePdf(*run.doc, QString::fromStdString(pdf(dir)), 600))
                    std::fprintf(stderr, "%s\n", qPrintable(*error));
            },
            3);
        std::printf("%-52s %7.0f ms %8d   (%lld KB)\n",
                    qPrintable(report + ": PDF at 600 dpi, layout included"), write * 1000, pages,
                    static_cast<long long>(fs::file_size(pdf(dir)) / 1024));
        // The floor: the same number of empty pages of the same size through the PDF writer.
        QPageLayout pageLayout;
        {
            Run run(log, report);
            pageLayout = run.doc->pageLayout();
        }
        const double blank = bench::Seconds(
            [&] {
                QPdfWriter writer(QString::fromStdString(pdf(dir)));
                writer.setResolution(600);
                writer.setPageLayout(pageLayout);
                QPainter painter(&writer);
                for (int p = 1; p < pages; ++p)
                    writer.newPage();
            },
            3);
        const std::string name = report == "ShortDetail" ? "short" : "full";
        bench::Row("A 10,000-piece log laid out, " + name + " detail (" + std::to_string(pages) + " pages)",
                   layoutTime);
        bench::Row("The first preview page painted at 96 dpi, " + name + " detail", first);
        bench::Row("The whole " + name + "-detail report as a 600-dpi PDF, layout included", write,
                   std::to_string(pages) + " empty pages through the same PDF writer", blank);
    }
    fs::remove(log);
    fs::remove(pdf(dir));
    return 0;
}
