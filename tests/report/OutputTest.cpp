// The reports painted on real devices and read back by programs that share nothing with the
// engine: pdftotext and pdfinfo for PDF files, the pixels for images.

#include "ReportFixture.h"

#include "report/ReportEngine.h"
#include "report/ReportOutput.h"
#include "report/TableDataSource.h"
#include "tables/TzDbf.h"

#include <QFile>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quill::report;

namespace {

using reporttest::MyTime;

class Output : public reporttest::LogFixture
{
};

QString pdfInfo(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {file});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList mailersIn(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("9214 \\d{4} \\d{4} \\d{4} \\d{4} \\d{2}"));
    QStringList out;
    for (auto it = pattern.globalMatch(text); it.hasNext();)
        out << it.next().captured();
    return out;
}

/// The smallest rectangle holding every pixel that is not white.
QRect ink(const QImage& image)
{
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 250) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QImage paint(ReportDocument& doc, int page, int dpi)
{
    const QSizeF inches = doc.pageLayout().fullRect(QPageLayout::Inch).size();
    QImage image(qRound(inches.width() * dpi), qRound(inches.height() * dpi), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    EXPECT_TRUE(doc.paintPage(page, painter));
    return image;
}

struct PdfCase
{
    const char* report;
    int pieces;
    const char* paper; // as pdfinfo names the page size
};

TEST_F(Output, APdfOfEachReportReadsBackWithEveryPieceAndTheTotals)
{
    const PdfCase cases[] = {
        {"ShortDetail", 25, "612 x 792 pts (letter)"},
        {"ShortDetail", 120, "612 x 792 pts (letter)"},
        {"FullDetail", 25, "792 x 612 pts (letter)"},
        {"FullDetail", 120, "792 x 612 pts (letter)"},
    };
    for (const PdfCase& c : cases) {
        SCOPED_TRACE(std::string(c.report) + " " + std::to_string(c.pieces));
        m_table.Close();
        QFile::remove(m_dir.filePath("report3.dbf"));
        make(c.pieces);
        auto doc = layout(c.report);
        ASSERT_TRUE(doc);
        const QString file = m_dir.filePath(QStringLiteral("%1.pdf").arg(c.report));
        const auto error = WritePdf(*doc, file);
        ASSERT_FALSE(error) << error->toStdString();

        const QString info = pdfInfo(file);
        EXPECT_TRUE(
            info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(doc->pageCount()))))
            << info.toStdString();
        EXPECT_TRUE(info.contains(QString::fromLatin1(c.paper))) << info.toStdString();

        const auto pages = reporttest::PdfPages(file);
        ASSERT_EQ(static_cast<int>(pages.size()), doc->pageCount());
        QStringList expected;
        for (int i = 0; i < c.pieces; ++i)
            expected << QString::fromStdString(reporttest::MailerOf(i));
        QString all;
        for (std::size_t p = 0; p < pages.size(); ++p) {
            EXPECT_TRUE(pages[p].contains(MyTime)) << p + 1;
            EXPECT_TRUE(pages[p].contains(QStringLiteral("Page %1").arg(p + 1))) << p + 1;
            all += pages[p];
        }
        EXPECT_EQ(mailersIn(all), expected);
        EXPECT_TRUE(pages.front().contains("Certified Mail Report"));
        const QString total =
            u'$' + QLocale(QLocale::English).toString(*doc->totalCents("total") / 100.0, 'f', 2);
        EXPECT_TRUE(pages.back().contains(QRegularExpression(QStringLiteral("Total fees\\s+\\") + total)))
            << pages.back().toStdString();
        EXPECT_TRUE(pages.back().contains(QRegularExpression(QStringLiteral("Pieces\\s+%1").arg(c.pieces))));
    }
}

TEST_F(Output, PagesArePaintedAtTheDevicesResolution)
{
    make(30);
    for (const QString report : {"ShortDetail", "FullDetail"}) {
        auto doc = layout(report);
        ASSERT_TRUE(doc);
        const QRect low = ink(paint(*doc, 0, 50)), high = ink(paint(*doc, 0, 150));
        ASSERT_TRUE(low.isValid() && high.isValid());
        // The same page three times as fine: every edge of the ink three times as far out.
        EXPECT_NEAR(high.left(), 3 * low.left(), 4) << report.toStdString();
        EXPECT_NEAR(high.top(), 3 * low.top(), 4) << report.toStdString();
        EXPECT_NEAR(high.right(), 3 * low.right(), 4) << report.toStdString();
        EXPECT_NEAR(high.bottom(), 3 * low.bottom(), 4) << report.toStdString();
        // The margins are kept: half an inch and more of blank paper around the ink.
        EXPECT_GE(high.left(), 75 - 2);
        EXPECT_GE(high.top(), 75 - 2);
    }
}

TEST_F(Output, ARangeOfPagesGoesOnePageAfterTheOther)
{
    make(120);
    auto doc = layout("ShortDetail");
    ASSERT_TRUE(doc);
    ASSERT_GE(doc->pageCount(), 3);
    const QString file = m_dir.filePath("range.pdf");
    {
        QPdfWriter writer(file);
        writer.setResolution(300);
        writer.setPageLayout(doc->pageLayout());
        QPainter painter(&writer);
        std::vector<int> told;
        EXPECT_TRUE(PaintPages(*doc, writer, painter, 1, 2, [&](int page) {
            told.push_back(page);
            return true;
        }));
        EXPECT_EQ(told, (std::vector<int>{2, 3}));
    }
    const auto pages = reporttest::PdfPages(file);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_TRUE(pages[0].contains("Page 2"));
    EXPECT_TRUE(pages[1].contains("Page 3"));
}

TEST_F(Output, AStoppedOrUnwritablePdfIsAnErrorNamingTheFile)
{
    make(120);
    auto doc = layout("ShortDetail");
    ASSERT_TRUE(doc);
    const QString file = m_dir.filePath("stopped.pdf");
    std::vector<int> told;
    const auto stopped = WritePdf(*doc, file, 600, [&](int page) {
        told.push_back(page);
        return page < 2;
    });
    ASSERT_TRUE(stopped);
    EXPECT_EQ(*stopped, QStringLiteral("The report to \"%1\" was stopped before its last page.").arg(file));
    EXPECT_EQ(told, (std::vector<int>{1, 2}));
    EXPECT_FALSE(QFile::exists(file));

    const QString nowhere = m_dir.filePath("no such folder/report.pdf");
    const auto error = WritePdf(*doc, nowhere);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, QStringLiteral("Cannot write the report to \"%1\".").arg(nowhere));
}

} // namespace
