#include "ReportFixture.h"

#include "report/ReportLayout.h"
#include "tables/TzDbf.h"

#include <QProcess>

#include <cstdio>

namespace reporttest {

namespace {

const std::array<const char*, 12> Names{
    "Harold Whitfield",      "Margaret Osei", "Benson & Clarke LLP",  "Dana Kowalski",
    "Rivera Holdings Inc",   "Evelyn Tran",   "Pinecrest Apartments", "Samuel O'Neill",
    "Lakeside Credit Union", "Amira Haddad",  "Northgate Plumbing",   "Theodore Lindqvist"};
const std::array<const char*, 8> Streets{"1420 Maple Avenue", "88 Harbor Road",       "PO Box 3071",
                                         "17 Elm Court",      "2650 Industrial Pkwy", "405 W Chestnut St",
                                         "9 Orchard Lane",    "311 Grand Blvd"};
const std::array<std::array<const char*, 3>, 6> Places{{{"Springfield", "IL", "62704"},
                                                        {"Columbus", "OH", "43215-1120"},
                                                        {"Fort Wayne", "IN", "46802"},
                                                        {"Lexington", "KY", "40507-2004"},
                                                        {"Madison", "WI", "53703"},
                                                        {"Grand Rapids", "MI", "49503"}}};
const std::array<const char*, 5> Comments{"Notice of lien", "", "Lease termination",
                                          "Final demand for payment", ""};

} // namespace

std::string MoneyText(qint64 cents)
{
    const double amount = static_cast<double>(cents) / 100;
    const int blanks = amount < 10 ? 10 : amount < 100 ? 8 : amount < 1000 ? 6 : amount < 10000 ? 5 : 3;
    char digits[32];
    std::snprintf(digits, sizeof digits, "%lld.%02lld", cents / 100, cents % 100);
    return std::string(static_cast<std::size_t>(blanks), ' ') + digits;
}

std::string MailerOf(int i)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "92147123456789%07d%d", i + 1, (i * 7) % 10);
    const std::string d(digits);
    return d.substr(0, 4) + " " + d.substr(4, 4) + " " + d.substr(8, 4) + " " + d.substr(12, 4) + " " +
           d.substr(16, 4) + " " + d.substr(20, 2);
}

Piece MakePiece(int i)
{
    const auto u = static_cast<std::size_t>(i);
    Piece p;
    p.lines[0] = Names[u % Names.size()];
    // Some pieces have an attention line, some a suite, some only the street.
    if (i % 3 == 0) {
        p.lines[1] = "Attn: Accounts Receivable";
        p.lines[2] = Streets[u % Streets.size()];
    } else {
        p.lines[1] = Streets[u % Streets.size()];
        if (i % 4 == 1)
            p.lines[2] = "Suite " + std::to_string(100 + i % 400);
    }
    const auto& place = Places[u % Places.size()];
    p.city = place[0];
    p.state = place[1];
    p.zip = place[2];
    char date[16];
    std::snprintf(date, sizeof date, "%02d/%02d/2024", 1 + i % 12, 1 + (i * 5) % 28);
    p.date = date;
    p.mailer = MailerOf(i);
    const qint64 postage = 68 + (i % 5) * 24, certified = 440, restricted = i % 4 == 2 ? 940 : 0,
                 ret = i % 2 == 0 ? 360 : 0;
    p.postage = MoneyText(postage);
    p.certified = MoneyText(certified);
    p.restricted = restricted ? MoneyText(restricted) : " ";
    p.returnReceipt = ret ? MoneyText(ret) : " ";
    p.total = MoneyText(postage + certified + restricted + ret);
    p.comment = Comments[u % Comments.size()];
    p.re = i % 2 == 0 ? "Account " + std::to_string(40000 + i * 13) : "";
    return p;
}

void WriteLog(const std::string& path, const std::vector<Piece>& pieces)
{
    quill::tables::TTzDbf t;
    t.DbfFields = quill::report::ReportLogFields();
    t.setDbfFileName(path);
    t.Open();
    t.ALock();
    for (const Piece& p : pieces) {
        t.ClearRecord();
        for (int k = 0; k < 4; ++k)
            t.SetFieldText("sentname" + std::to_string(k), p.lines[static_cast<std::size_t>(k)]);
        t.SetFieldText("city", p.city);
        t.SetFieldText("state", p.state);
        t.SetFieldText("zip", p.zip);
        t.SetDateText("rdate", p.date);
        t.SetFieldText("mailernum", p.mailer);
        t.SetFieldText("postage", p.postage);
        t.SetFieldText("certified", p.certified);
        t.SetFieldText("restricted", p.restricted);
        t.SetFieldText("return", p.returnReceipt);
        t.SetFieldText("total", p.total);
        t.SetFieldText("comments", p.comment);
        t.SetFieldText("re", p.re);
        t.AppendRec();
    }
    t.UnLock();
    t.Close();
}

int RowSource::fieldIndex(const QString& name) const
{
    for (qsizetype i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

bool RowSource::first()
{
    m_at = 0;
    if (m_rows.empty())
        return false;
    ++m_read;
    return true;
}

bool RowSource::next()
{
    if (++m_at >= m_rows.size())
        return false;
    ++m_read;
    return true;
}

QString RowSource::text(int index) const
{
    return m_rows[m_at].value(index);
}

std::vector<QString> PdfPages(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    p.waitForFinished(60000);
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    std::vector<QString> pages;
    for (const QString& page : text.split(u'\f'))
        pages.push_back(page);
    if (!pages.empty() && pages.back().trimmed().isEmpty())
        pages.pop_back();
    return pages;
}

void LogFixture::make(int count)
{
    std::vector<Piece> pieces;
    for (int i = 0; i < count; ++i)
        pieces.push_back(MakePiece(i));
    open(pieces);
}

void LogFixture::open(const std::vector<Piece>& pieces, const std::string& name)
{
    m_pieces = pieces;
    const std::string path = m_dir.filePath(QString::fromStdString(name)).toStdString();
    WriteLog(path, m_pieces);
    m_table.setDbfFileName(path);
    m_table.Open();
    const auto error = m_engine.open(QStringLiteral(QUILL_REPORT_SOURCE));
    ASSERT_FALSE(error) << error->toStdString();
    m_engine.setParameter("MyTime", MyTime);
}

std::unique_ptr<quill::report::ReportDocument> LogFixture::layout(const QString& report)
{
    QString error;
    auto doc = m_engine.layout(report, m_data, error);
    EXPECT_TRUE(doc) << error.toStdString();
    return doc;
}

} // namespace reporttest
