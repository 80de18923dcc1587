// The engine over a project written for the test: round lengths, so the place of every band and
// the page each record lands on can be worked out by hand.

#include "ReportFixture.h"

#include "report/ReportEngine.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <numeric>
#include <stdexcept>

using namespace quill::report;
using reporttest::RowSource;

namespace {

constexpr double Inch = 72;

// Letter portrait with 1-inch margins: 9 inches between the margins. Page 1: title 2 + column
// header 0.5 + footer 0.5 leave 6 rows of 1 inch; later pages: header 1 + 0.5 + 0.5 leave 7.
const char* const Project = R"({
  "version": 1,
  "parameters": { "MyTime": "unset" },
  "fonts": { "body": { "family": "Arial", "size": 10 }, "small": { "family": "Arial", "size": 8 } },
  "reports": {
    "Rows": {
      "page": { "size": "Letter", "margins": { "left": 1, "top": 1, "right": 1, "bottom": 1 } },
      "title": { "height": 2, "elements": [
        { "type": "text", "x": 0, "width": 6.5, "text": "Title {param:MyTime}" } ] },
      "pageHeader": { "onFirstPage": false, "height": 1, "elements": [
        { "type": "text", "x": 0, "width": 6.5, "text": "Header {page} {param:MyTime}" } ] },
      "columnHeader": { "height": 0.5, "elements": [
        { "type": "text", "x": 0, "width": 6.5, "text": "Columns" } ] },
      "detail": { "height": 1, "elements": [
        { "type": "text", "x": 0, "width": 6.5,
          "text": "row {count} {field:name} {money:amount} running {sum:amount} on page {pageCount}" } ] },
      "summary": { "height": 2, "elements": [
        { "type": "text", "x": 0, "width": 6.5, "text": "total {count} rows {sum:amount}" } ] },
      "pageFooter": { "height": 0.5, "elements": [
        { "type": "text", "x": 0, "width": 6.5,
          "text": "footer {page}: {pageCount} rows {pageSum:amount}, so far {count}" } ] }
    },
    "Grow": {
      "page": { "size": "Letter", "margins": { "left": 1, "top": 1, "right": 1, "bottom": 1 } },
      "detail": { "height": 0.3, "paddingBottom": 0.1, "elements": [
        { "type": "text", "x": 0, "width": 2, "skipBlankLines": true,
          "lines": ["{field:a}", "{field:b}", "RE: {field:c}"] },
        { "type": "text", "x": 4.5, "width": 2, "align": "right", "text": "{field:name}" },
        { "type": "rule", "x": 0, "y": 0, "width": 6.5, "thickness": 1, "fromBottom": true } ] }
    }
  }
})";

class Layout : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString path = m_dir.filePath("test.rav");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Project);
        f.close();
        const auto error = m_engine.open(path);
        ASSERT_FALSE(error) << error->toStdString();
        m_engine.setParameter("MyTime", "Date Printed: 12/10/2024 2:15:03 PM");
    }

    std::unique_ptr<ReportDocument> layout(const QString& report, DataSource& data)
    {
        QString error;
        auto doc = m_engine.layout(report, data, error);
        EXPECT_TRUE(doc) << error.toStdString();
        return doc;
    }

    QTemporaryDir m_dir;
    ReportEngine m_engine;
};

// The amount of record `i` (from 0): every fifth is blank and one is no amount, both counting 0.
QString amountText(int i)
{
    if (i % 5 == 4)
        return " ";
    if (i == 2)
        return "n/a";
    return QString::fromStdString(reporttest::MoneyText((i + 1) * 100 + i));
}

qint64 amountCents(int i)
{
    return i % 5 == 4 || i == 2 ? 0 : (i + 1) * 100 + i;
}

RowSource rows(int count)
{
    std::vector<QStringList> r;
    for (int i = 0; i < count; ++i)
        r.push_back({QStringLiteral("name%1").arg(i + 1), amountText(i)});
    return RowSource({"NAME", "Amount"}, std::move(r));
}

std::vector<PageText> startingWith(const std::vector<PageText>& texts, const QString& prefix)
{
    std::vector<PageText> out;
    for (const PageText& t : texts)
        if (t.text.startsWith(prefix))
            out.push_back(t);
    return out;
}

QString money(qint64 cents)
{
    return QStringLiteral("%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QChar(u'0'));
}

struct BreakCase
{
    int records;
    std::vector<int> rowsPerPage; // the summary is on the last page, under at least one row
};

TEST_F(Layout, RecordsFillPagesInOrderAndTheSummaryKeepsWhole)
{
    const BreakCase cases[] = {
        {0, {0}},        // an empty report still has its page with the summary
        {4, {4}},        // 2 inches left: the summary fits exactly
        {5, {4, 1}},     // the summary does not fit under row 5: row 5 goes with it
        {6, {5, 1}},     // the same with page 1 all but full
        {7, {6, 1}},     // page 2 holds the last row and the summary
        {11, {6, 5}},    // 5 rows and the summary fill page 2 exactly
        {12, {6, 5, 1}}, // never a page of totals alone
        {13, {6, 6, 1}}, //
        {39, {6, 7, 7, 7, 7, 5}},
    };
    for (const BreakCase& c : cases) {
        SCOPED_TRACE(c.records);
        RowSource data = rows(c.records);
        auto doc = layout("Rows", data);
        ASSERT_TRUE(doc);
        ASSERT_EQ(doc->pageCount(), static_cast<int>(c.rowsPerPage.size()));
        EXPECT_EQ(doc->recordCount(), c.records);
        qint64 record = 0, running = 0;
        for (int p = 0; p < doc->pageCount(); ++p) {
            SCOPED_TRACE(p + 1);
            const int rowsHere = c.rowsPerPage[static_cast<std::size_t>(p)];
            const PageRecords pr = doc->pageRecords(p);
            EXPECT_EQ(pr.count, rowsHere);
            EXPECT_EQ(pr.first, rowsHere ? record + 1 : 0);
            const auto texts = doc->pageTexts(p);
            const auto rowTexts = startingWith(texts, "row ");
            ASSERT_EQ(static_cast<int>(rowTexts.size()), rowsHere);
            // Rows start under the title (page 1) or the header, and the column header.
            const double firstTop = Inch * (1 + (p == 0 ? 2 : 1) + 0.5);
            qint64 onPage = 0;
            for (int r = 0; r < rowsHere; ++r) {
                const int i = static_cast<int>(record);
                ++record;
                running += amountCents(i);
                onPage += amountCents(i);
                const QString shown = i == 2 ? "n/a" : i % 5 == 4 ? "" : money(amountCents(i));
                EXPECT_EQ(rowTexts[static_cast<std::size_t>(r)].text,
                          QStringLiteral("row %1 name%1 %2 running %3 on page %4")
                              .arg(record)
                              .arg(shown, money(running))
                              .arg(r + 1));
                EXPECT_NEAR(rowTexts[static_cast<std::size_t>(r)].box.top(), firstTop + r * Inch, 0.01);
            }
            const auto footer = startingWith(texts, "footer ");
            ASSERT_EQ(footer.size(), 1u);
            EXPECT_EQ(footer[0].text, QStringLiteral("footer %1: %2 rows %3, so far %4")
                                          .arg(p + 1)
                                          .arg(rowsHere)
                                          .arg(money(onPage))
                                          .arg(record));
            EXPECT_NEAR(footer[0].box.top(), Inch * (11 - 1 - 0.5), 0.01);
            const auto summary = startingWith(texts, "total ");
            if (p + 1 < doc->pageCount()) {
                EXPECT_TRUE(summary.empty());
            } else {
                ASSERT_EQ(summary.size(), 1u);
                EXPECT_EQ(summary[0].text,
                          QStringLiteral("total %1 rows %2").arg(c.records).arg(money(running)));
            }
        }
        qint64 total = 0;
        for (int i = 0; i < c.records; ++i)
            total += amountCents(i);
        EXPECT_EQ(doc->totalCents("AMOUNT"), total);
        EXPECT_EQ(doc->totalCents("name"), std::nullopt); // the report totals no names
    }
}

TEST_F(Layout, TheTitleIsOnPageOneAndTheHeaderOnTheOthersWithTheParameter)
{
    RowSource data = rows(18); // 6 + 7 + 5 rows and the summary
    auto doc = layout("Rows", data);
    ASSERT_TRUE(doc);
    m_engine.setParameter("MyTime", "changed later"); // the document keeps the value it started with
    ASSERT_EQ(doc->pageCount(), 3);
    for (int p = 0; p < 3; ++p) {
        const auto texts = doc->pageTexts(p);
        EXPECT_EQ(startingWith(texts, "Title ").size(), p == 0 ? 1u : 0u);
        EXPECT_EQ(startingWith(texts, "Header ").size(), p == 0 ? 0u : 1u);
        EXPECT_EQ(startingWith(texts, "Columns").size(), 1u);
    }
    EXPECT_EQ(startingWith(doc->pageTexts(0), "Title ")[0].text, "Title Date Printed: 12/10/2024 2:15:03 PM");
    EXPECT_EQ(startingWith(doc->pageTexts(2), "Header ")[0].text,
              "Header 3 Date Printed: 12/10/2024 2:15:03 PM");

    QString error;
    RowSource again = rows(1);
    auto later = m_engine.layout("Rows", again, error);
    ASSERT_TRUE(later);
    EXPECT_EQ(startingWith(later->pageTexts(0), "Title ")[0].text, "Title changed later");
}

TEST_F(Layout, PageOneIsReadyBeforeTheRestIsRead)
{
    RowSource data = rows(1000);
    auto doc = layout("Rows", data);
    ASSERT_TRUE(doc);
    EXPECT_EQ(data.recordsRead(), 0); // nothing is read until a page is asked for

    QImage page(850, 1100, QImage::Format_RGB32);
    page.setDotsPerMeterX(3937); // 100 dpi
    page.setDotsPerMeterY(3937);
    page.fill(Qt::white);
    QPainter painter(&page);
    EXPECT_TRUE(doc->paintPage(0, painter));
    painter.end();
    EXPECT_EQ(doc->pagesLaidOut(), 1);
    EXPECT_FALSE(doc->isComplete());
    EXPECT_EQ(doc->recordsLaidOut(), 6);
    EXPECT_LE(data.recordsRead(), 7); // the six rows, and the one that did not fit
    // "Title ..." stands an inch from the corner.
    bool inked = false;
    for (int y = 100; y < 115; ++y)
        for (int x = 100; x < 300; ++x)
            inked = inked || qGray(page.pixel(x, y)) < 128;
    EXPECT_TRUE(inked);

    EXPECT_TRUE(doc->hasPage(2));
    EXPECT_EQ(doc->pagesLaidOut(), 3);
    EXPECT_FALSE(doc->hasPage(1000));
    EXPECT_TRUE(doc->isComplete());
    EXPECT_EQ(data.recordsRead(), 1000);
    EXPECT_EQ(doc->pageCount(), 1 + 994 / 7 + 1); // 6 + 142 x 7 rows, then the summary
    EXPECT_FALSE(doc->layoutNextPage());
}

TEST_F(Layout, BlankLinesAreSkippedAndRowsGrowWithTheirLines)
{
    // a, b, c; the RE line counts as blank when c is empty.
    RowSource data({"a", "b", "c", "name"}, {{"1", "", "", "Short"},
                                             {"1", "2", "3", "Short"},
                                             {"", "", "", "Short"},
                                             {"1", "", "3", QString(60, u'W')}});
    auto doc = layout("Grow", data);
    ASSERT_TRUE(doc);
    const auto texts = doc->pageTexts(0);
    std::vector<PageText> left, names;
    for (const PageText& t : texts)
        (t.box.left() < Inch * 3 ? left : names).push_back(t);
    std::vector<QString> shown;
    for (const PageText& t : left)
        shown.push_back(t.text);
    EXPECT_EQ(shown, (std::vector<QString>{"1", "1", "2", "RE: 3", "1", "RE: 3"}));
    const double line = left[0].box.height();
    ASSERT_GT(line, 0);
    EXPECT_NEAR(left[2].box.top() - left[1].box.top(), line, 0.01); // consecutive lines of one row
    EXPECT_NEAR(left[5].box.top() - left[4].box.top(), line, 0.01); // the blank b leaves no gap

    // Each row is as tall as its lines and the padding, and never less than the band's height.
    ASSERT_EQ(names.size(), 4u);
    const double heights[] = {std::max(0.3 * Inch, line + 0.1 * Inch),
                              std::max(0.3 * Inch, 3 * line + 0.1 * Inch), 0.3 * Inch};
    for (int r = 0; r < 3; ++r)
        EXPECT_NEAR(names[r + 1].box.top() - names[r].box.top(), heights[r], 1e-3) << r;

    // Right-aligned to the element's right edge; a text too long is cut with an ellipsis.
    const double right = Inch * (1 + 4.5 + 2);
    for (const PageText& t : names)
        EXPECT_NEAR(t.box.right(), right, 0.01) << t.text.toStdString();
    EXPECT_EQ(names[0].text, "Short");
    EXPECT_TRUE(names[3].text.endsWith(QChar(0x2026)));
    EXPECT_TRUE(names[3].text.startsWith("WWW"));
    EXPECT_LE(names[3].box.width(), 2 * Inch);
}

// Fails while reading record `failAt` (from 1), as a damaged table would.
class FailingSource : public RowSource
{
public:
    FailingSource(RowSource rows, int failAt) : RowSource(std::move(rows)), m_failAt(failAt) {}
    bool next() override
    {
        if (++m_at == m_failAt)
            throw std::runtime_error("Read error");
        return RowSource::next();
    }

private:
    int m_at = 1;
    int m_failAt;
};

TEST_F(Layout, AnErrorOfTheDataPassesOutAndEndsTheDocument)
{
    FailingSource data(rows(50), 10);
    auto doc = layout("Rows", data);
    ASSERT_TRUE(doc);
    EXPECT_TRUE(doc->hasPage(0));
    EXPECT_THROW(doc->pageCount(), std::runtime_error);
    EXPECT_TRUE(doc->isComplete());
    EXPECT_EQ(doc->pagesLaidOut(), 1);
    EXPECT_FALSE(doc->layoutNextPage());
    EXPECT_FALSE(doc->hasPage(1));
}

} // namespace
