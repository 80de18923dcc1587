// The program's reports (Quill3.rav) over report logs written with the table component.

#include "ReportFixture.h"

#include "report/ReportEngine.h"
#include "report/TableDataSource.h"
#include "tables/TzDbf.h"

#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>

using namespace quill::report;
using quill::tables::TTzDbf;
using reporttest::MailerOf;
using reporttest::MakePiece;
using reporttest::Piece;

namespace {

using reporttest::MyTime;
const QStringList Reports{"ShortDetail", "FullDetail"};

/// A report log of `count` made-up pieces, open, with the program's project.
class ReportLog : public reporttest::LogFixture
{
};

const QRegularExpression MailerPattern(QStringLiteral("^9214( \\d{4}){4} \\d{2}$"));

/// The mailer numbers of every page in the order they stand.
std::vector<std::string> mailers(ReportDocument& doc)
{
    std::vector<std::string> out;
    for (int p = 0; doc.hasPage(p); ++p)
        for (const PageText& t : doc.pageTexts(p))
            if (MailerPattern.match(t.text).hasMatch())
                out.push_back(t.text.toStdString());
    return out;
}

std::vector<std::string> mailersOf(const std::vector<int>& pieces)
{
    std::vector<std::string> out;
    for (int i : pieces)
        out.push_back(MailerOf(i));
    return out;
}

std::vector<int> upTo(int count)
{
    std::vector<int> v(static_cast<std::size_t>(count));
    std::iota(v.begin(), v.end(), 0);
    return v;
}

const PageText* find(const std::vector<PageText>& texts, const QString& prefix)
{
    for (const PageText& t : texts)
        if (t.text.startsWith(prefix))
            return &t;
    return nullptr;
}

const PageText* exactly(const std::vector<PageText>& texts, const QString& text)
{
    for (const PageText& t : texts)
        if (t.text == text)
            return &t;
    return nullptr;
}

QString dollars(qint64 cents)
{
    return u'$' + QLocale(QLocale::English).toString(static_cast<double>(cents) / 100, 'f', 2);
}

TEST_F(ReportLog, TheTableGivesTextsAsStoredWithoutThePadding)
{
    make(3);
    EXPECT_EQ(m_data.fieldIndex("nosuch"), -1);
    const int zip = m_data.fieldIndex("ZIP"), rdate = m_data.fieldIndex("rdate"),
              postage = m_data.fieldIndex("Postage"), restricted = m_data.fieldIndex("restricted");
    ASSERT_GE(zip, 0);
    EXPECT_EQ(m_data.fieldIndex("zip"), zip);
    ASSERT_TRUE(m_data.first());
    EXPECT_EQ(m_data.text(zip), "62704");
    EXPECT_EQ(m_data.text(rdate), "20240101");
    EXPECT_EQ(m_data.text(postage), "          0.68"); // money text keeps its leading blanks
    EXPECT_EQ(m_data.text(restricted), "");
    ASSERT_TRUE(m_data.next());
    EXPECT_EQ(m_data.text(zip), "43215-1120");
    ASSERT_TRUE(m_data.next());
    EXPECT_FALSE(m_data.next());
}

TEST_F(ReportLog, BothReportsListThePiecesInTheTablesOrder)
{
    make(30);
    for (const QString& report : Reports) {
        auto doc = layout(report);
        ASSERT_TRUE(doc);
        EXPECT_EQ(mailers(*doc), mailersOf(upTo(30))) << report.toStdString();
    }
}

TEST_F(ReportLog, DeletedRecordsOfTheLogAreReportedToo)
{
    make(5);
    m_table.Go(2);
    m_table.DeleteRec();
    auto doc = layout("ShortDetail");
    ASSERT_TRUE(doc);
    EXPECT_EQ(mailers(*doc), mailersOf(upTo(5)));
}

struct SortCase
{
    const char* key;
    std::string (*of)(const Piece&);
};

TEST_F(ReportLog, AfterIndexOnOneThePiecesComeInTheIndexsOrder)
{
    const SortCase cases[] = {
        {"mailernum", [](const Piece& p) { return p.mailer; }},
        {"sentname0", [](const Piece& p) { return p.lines[0]; }},
        // MM/DD/YYYY as YYYYMMDD, the order of the stored date
        {"rdate",
         [](const Piece& p) { return p.date.substr(6, 4) + p.date.substr(0, 2) + p.date.substr(3, 2); }},
        {"zip", [](const Piece& p) { return p.zip; }},
    };
    make(40);
    std::map<std::string, const Piece*> byMailer;
    for (const Piece& p : m_pieces)
        byMailer[p.mailer] = &p;
    // Written in an order no key follows: the log as it stands is not sorted by any of them.
    for (const SortCase& c : cases) {
        m_table.IndexOnOne(c.key, c.key);
        for (const QString& report : Reports) {
            SCOPED_TRACE(std::string(c.key) + " " + report.toStdString());
            auto doc = layout(report);
            ASSERT_TRUE(doc);
            const auto shown = mailers(*doc);
            ASSERT_EQ(shown.size(), m_pieces.size());
            std::vector<std::string> keys;
            for (const std::string& m : shown) {
                ASSERT_TRUE(byMailer.count(m)) << m;
                keys.push_back(c.of(*byMailer[m]));
            }
            EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
            auto all = shown;
            std::sort(all.begin(), all.end());
            EXPECT_EQ(std::unique(all.begin(), all.end()), all.end()); // each piece once
        }
    }
}

TEST_F(ReportLog, ManyPiecesBreakIntoFullPagesWithNothingLostOrOverFooter)
{
    make(300);
    for (const QString& report : Reports) {
        SCOPED_TRACE(report.toStdString());
        auto doc = layout(report);
        ASSERT_TRUE(doc);
        EXPECT_EQ(mailers(*doc), mailersOf(upTo(300)));
        const int pages = doc->pageCount();
        EXPECT_GT(pages, 3);
        qint64 next = 1;
        for (int p = 0; p < pages; ++p) {
            SCOPED_TRACE(p + 1);
            const PageRecords r = doc->pageRecords(p);
            if (r.count > 0) {
                EXPECT_EQ(r.first, next);
            }
            next += r.count;
            const auto texts = doc->pageTexts(p);
            const PageText* footer = find(texts, "Pieces on this page: ");
            ASSERT_TRUE(footer);
            EXPECT_EQ(footer->text.section(u' ', 4, 4), QString::number(r.count));
            const PageText* page = find(texts, "Page ");
            ASSERT_TRUE(page);
            EXPECT_EQ(page->text, QStringLiteral("Page %1").arg(p + 1));
            // Every row's text stands above the footer.
            double lowest = 0;
            for (const PageText& t : texts)
                if (t.box.top() < footer->box.top())
                    lowest = std::max(lowest, t.box.bottom());
            EXPECT_LE(lowest, footer->box.top());
        }
        EXPECT_EQ(next, 301);
        // No page breaks early: the first row of the next page would not have fitted under the
        // last row of this one. A row ends a little below its lowest text and the footer band
        // starts a little above its text; a page broken a row early leaves a whole row more.
        constexpr double Padding = 0.15 * 72; // points
        for (int p = 0; p + 1 < pages; ++p) {
            const auto here = doc->pageTexts(p), there = doc->pageTexts(p + 1);
            std::vector<double> nextTops;
            for (const PageText& t : there)
                if (MailerPattern.match(t.text).hasMatch())
                    nextTops.push_back(t.box.top());
            if (nextTops.size() < 2)
                continue;
            const double footerTop = find(here, "Pieces on this page: ")->box.top();
            double lowest = 0;
            for (const PageText& t : here)
                if (t.box.top() < footerTop)
                    lowest = std::max(lowest, t.box.bottom());
            EXPECT_LT(footerTop - lowest, nextTops[1] - nextTops[0] + Padding) << "page " << p + 1;
        }
    }
}

TEST_F(ReportLog, TotalsAndCountsAddUpTheFeesOfEveryPiece)
{
    make(57);
    std::map<QString, qint64> sums;
    auto cents = [](const std::string& text) {
        const QString t = QString::fromStdString(text).trimmed();
        return t.isEmpty() ? 0 : qRound64(t.toDouble() * 100);
    };
    for (const Piece& p : m_pieces) {
        sums["postage"] += cents(p.postage);
        sums["certified"] += cents(p.certified);
        sums["restricted"] += cents(p.restricted);
        sums["return"] += cents(p.returnReceipt);
        sums["total"] += cents(p.total);
    }
    ASSERT_GT(sums["restricted"], 0);
    for (const QString& report : Reports) {
        SCOPED_TRACE(report.toStdString());
        auto doc = layout(report);
        ASSERT_TRUE(doc);
        EXPECT_EQ(doc->recordCount(), 57);
        for (const auto& [field, sum] : sums)
            EXPECT_EQ(doc->totalCents(field), sum) << field.toStdString();

        // The summary on the last page, label beside amount.
        const auto page = doc->pageTexts(doc->pageCount() - 1);
        const PageText* heading = exactly(page, "Report totals");
        ASSERT_TRUE(heading);
        std::vector<PageText> texts;
        for (const PageText& t : page)
            if (t.box.top() >= heading->box.top())
                texts.push_back(t);
        QStringList shown;
        for (const PageText& t : texts)
            shown << t.text;
        const std::pair<const char*, QString> lines[] = {
            {"Pieces", "57"},
            {"Postage", dollars(sums["postage"])},
            {"Certified fees", dollars(sums["certified"])},
            {"Restricted delivery fees", dollars(sums["restricted"])},
            {"Return receipt fees", dollars(sums["return"])},
            {"Total fees", dollars(sums["total"])},
        };
        for (const auto& [label, amount] : lines) {
            const PageText* l = exactly(texts, label);
            ASSERT_TRUE(l) << label;
            const auto a = std::find_if(texts.begin(), texts.end(), [&](const PageText& t) {
                return t.text == amount && qAbs(t.box.top() - l->box.top()) < 0.5;
            });
            EXPECT_NE(a, texts.end()) << label << " " << amount.toStdString() << "\n"
                                      << shown.join(" | ").toStdString();
        }

        // The fees of the pages add up to the total.
        qint64 pages = 0;
        for (int p = 0; p < doc->pageCount(); ++p) {
            const QString footer = find(doc->pageTexts(p), "Pieces on this page: ")->text;
            const QString amount = footer.section(u'$', 1).remove(u',');
            pages += qRound64(amount.toDouble() * 100);
        }
        EXPECT_EQ(pages, sums["total"]);
    }
}

TEST_F(ReportLog, FullDetailShowsEveryFieldOfAPiece)
{
    make(12);
    auto doc = layout("FullDetail");
    ASSERT_TRUE(doc);
    const auto texts = doc->pageTexts(0);
    // The texts of piece `i`'s row: from its mailer number down to the next one.
    auto row = [&](int i) {
        const PageText* from = find(texts, QString::fromStdString(MailerOf(i)));
        const PageText* to = find(texts, QString::fromStdString(MailerOf(i + 1)));
        QStringList out;
        for (const PageText& t : texts)
            if (from && to && t.box.top() >= from->box.top() - 0.5 && t.box.top() < to->box.top() - 0.5)
                out << t.text;
        out.sort();
        return out;
    };
    // Piece 3: three address lines with the city line, a comment, an RE line and every fee.
    QStringList full{"03/11/2024",
                     QString::fromStdString(MailerOf(2)),
                     "No. 3",
                     "Benson & Clarke LLP",
                     "PO Box 3071",
                     "Fort Wayne IN 46802",
                     "Lease termination",
                     "RE: Account 40026",
                     "1.16",
                     "4.40",
                     "9.40",
                     "3.60",
                     "18.56"};
    full.sort();
    EXPECT_EQ(row(2), full);
    // Piece 2: no comment, no RE, no restricted or return receipt fee: nothing stands for them.
    QStringList bare{"02/06/2024",
                     QString::fromStdString(MailerOf(1)),
                     "No. 2",
                     "Margaret Osei",
                     "88 Harbor Road",
                     "Suite 101",
                     "Columbus OH 43215-1120",
                     "0.92",
                     "4.40",
                     "5.32"};
    bare.sort();
    EXPECT_EQ(row(1), bare);
}

TEST_F(ReportLog, ShortDetailIsOneLinePerPiece)
{
    make(12);
    auto doc = layout("ShortDetail");
    ASSERT_TRUE(doc);
    const auto texts = doc->pageTexts(0);
    const Piece& p = m_pieces[1];
    const PageText* mailer = find(texts, QString::fromStdString(p.mailer));
    ASSERT_TRUE(mailer);
    QStringList line;
    for (const PageText& t : texts)
        if (qAbs(t.box.top() - mailer->box.top()) < 2)
            line << t.text;
    EXPECT_EQ(line, QStringList({"2", "02/06/2024", QString::fromStdString(p.mailer), "Margaret Osei",
                                 "43215-1120", "5.32"}));
}

TEST_F(ReportLog, TheTimeParameterHeadsEveryPage)
{
    make(120);
    for (const QString& report : Reports) {
        auto doc = layout(report);
        ASSERT_TRUE(doc);
        ASSERT_GT(doc->pageCount(), 1);
        for (int p = 0; p < doc->pageCount(); ++p)
            EXPECT_TRUE(find(doc->pageTexts(p), MyTime)) << report.toStdString() << " page " << p + 1;
    }
}

TEST_F(ReportLog, PageOneOfALongLogIsPaintedBeforeTheRestIsLaidOut)
{
    make(2000);
    for (const QString& report : Reports) {
        SCOPED_TRACE(report.toStdString());
        auto doc = layout(report);
        ASSERT_TRUE(doc);
        QImage page(QSize(85, 110) * 4, QImage::Format_RGB32); // 40 dpi
        page.setDotsPerMeterX(1575);
        page.setDotsPerMeterY(1575);
        QPainter painter(&page);
        EXPECT_TRUE(doc->paintPage(0, painter));
        painter.end();
        EXPECT_EQ(doc->pagesLaidOut(), 1);
        EXPECT_FALSE(doc->isComplete());
        EXPECT_EQ(doc->recordsLaidOut(), doc->pageRecords(0).count);
        EXPECT_LT(doc->recordsLaidOut(), 100);
        // The table stands on the first record the page did not take.
        EXPECT_EQ(m_table.RecNo(), static_cast<uint32_t>(doc->recordsLaidOut() + 1));
    }
}

} // namespace

TEST_F(ReportLog, FullDetailShowsTheLongestValuesTheLogHoldsWhole)
{
    // As long as the fields allow, in capitals where they are widest: nothing may be cut.
    std::vector<Piece> pieces{MakePiece(0)};
    Piece& p = pieces[0];
    p.lines = {"MR. ROBERT ALLARD-WHITCOMB III", "WHITCOMB ALLARD & SONS HOLDING", "", ""};
    p.city = "RANCHO SANTA MARGARITA";
    p.state = "CA";
    p.zip = "92688-1234";
    p.comment = "NOTICE OF DEFAULT AND INTENT TO ACC";
    p.re = "LOAN 2024-000123-ABCD-EFG";
    open(pieces);
    auto doc = layout("FullDetail");
    ASSERT_TRUE(doc);
    // Every word of every value is on the page, none cut, whether or not its line wrapped.
    QString page;
    for (const PageText& t : doc->pageTexts(0)) {
        EXPECT_FALSE(t.text.contains(u'\u2026')) << t.text.toStdString();
        page += t.text + " ";
    }
    for (const QString& whole :
         {QString("MR. ROBERT ALLARD-WHITCOMB III"), QString("WHITCOMB ALLARD & SONS HOLDING"),
          QString("RANCHO SANTA MARGARITA CA 92688-1234"), QString("NOTICE OF DEFAULT AND INTENT TO ACC"),
          QString("RE: LOAN 2024-000123-ABCD-EFG")})
        EXPECT_TRUE(page.contains(whole)) << whole.toStdString() << " in " << page.toStdString();
}
