#pragma once

// Report logs for the report tests: pieces as the program records them, written with the table
// component into a scratch folder, and a reader of PDF text that shares nothing with the engine.

#include "report/DataSource.h"
#include "report/ReportEngine.h"
#include "report/TableDataSource.h"
#include "tables/TzDbf.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

#include <QString>
#include <QStringList>

#include <array>
#include <ostream>
#include <string>
#include <vector>

// Readable texts in the messages of failed checks. Every test file includes this header, so that
// all of them print a QString the same way (gtest's printers are templates, one per program).
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace reporttest {

/// One printed piece, its texts as the report record holds them.
struct Piece
{
    std::array<std::string, 4> lines; // the recipient address lines
    std::string city, state, zip;
    std::string date; // MM/DD/YYYY, or empty
    std::string mailer;
    std::string postage, certified, restricted, returnReceipt, total; // money texts
    std::string comment, re;
};

/// A money text as the fee fields show it: leading blanks by magnitude, then the amount.
std::string MoneyText(qint64 cents);

/// Piece number `i` (from 0) of a made-up log: names, addresses and fees vary with `i`, and so
/// do the blank lines, the missing restricted fees, the comments and RE lines.
Piece MakePiece(int i);

/// The mailer number of piece `i` as the report shows it ("9214 7123 4567 8900 0000 15").
std::string MailerOf(int i);

/// Writes `pieces` in order as a new report log at `path`.
void WriteLog(const std::string& path, const std::vector<Piece>& pieces);

/// A data source over rows of texts held in memory.
class RowSource : public quill::report::DataSource
{
public:
    RowSource(QStringList fields, std::vector<QStringList> rows)
        : m_fields(std::move(fields)), m_rows(std::move(rows))
    {
    }

    int fieldIndex(const QString& name) const override;
    bool first() override;
    bool next() override;
    QString text(int index) const override;

    /// How many records the engine has moved onto.
    int recordsRead() const { return m_read; }

private:
    QStringList m_fields;
    std::vector<QStringList> m_rows;
    std::size_t m_at = 0;
    int m_read = 0;
};

/// The text of a PDF file as `pdftotext -layout` reads it, one string per page.
std::vector<QString> PdfPages(const QString& file);

/// The time the tests give the reports' MyTime parameter.
inline const QString MyTime = QStringLiteral("Date Printed: 12/10/2024 2:15:03 PM");

/// A report log of made-up pieces, open, with the program's report project and MyTime set.
class LogFixture : public ::testing::Test
{
protected:
    /// Pieces 0 to count - 1 of MakePiece.
    void make(int count);
    /// These pieces, as the log `name` in the scratch folder.
    void open(const std::vector<Piece>& pieces, const std::string& name = "report3.dbf");
    std::unique_ptr<quill::report::ReportDocument> layout(const QString& report);

    QTemporaryDir m_dir;
    std::vector<Piece> m_pieces;
    quill::tables::TTzDbf m_table;
    quill::report::TableDataSource m_data{m_table};
    quill::report::ReportEngine m_engine;
};

} // namespace reporttest
