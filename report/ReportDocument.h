#pragma once

#include <QPageLayout>
#include <QRectF>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QPainter;

namespace quill::report {

class DataSource;
namespace detail {
struct ReportDefinition;
}

/// A text as it stands on a page: lengths in points (1/72 inch) from the paper's top-left corner.
struct PageText
{
    QString text;
    QRectF box;   // the line: left edge, top, the text's width, the font's line height
    QString font; // the name of its font in the project file
};

/// The records a page shows: `first` is the number of the first (from 1; 0 when none).
struct PageRecords
{
    qint64 first = 0;
    qint64 count = 0;
};

/// One report laid out over a data source, page by page, as the pages are asked for: page 1 can
/// be shown while the rest of the records are still unread. Made by ReportEngine::layout.
///
/// The data source must outlive the document and stay where the document left it until the
/// last page is laid out. An exception thrown by the data source (a table error) passes out of
/// whichever call was laying out; the document then ends with the pages it had finished.
class ReportDocument
{
public:
    ~ReportDocument();
    ReportDocument(const ReportDocument&) = delete;
    ReportDocument& operator=(const ReportDocument&) = delete;

    const QString& reportName() const;
    /// The paper and its orientation, with no margins: the layout to give a QPdfWriter or a
    /// QPrinter (with setFullPage(true)) before painting.
    QPageLayout pageLayout() const;

    /// Lays out one more page; false when every page was laid out already.
    bool layoutNextPage();
    /// Whether page `index` (from 0) exists, laying out the pages up to it when needed.
    bool hasPage(int index);
    /// Pages laid out so far.
    int pagesLaidOut() const;
    /// Records placed on the pages laid out so far.
    qint64 recordsLaidOut() const;
    /// Whether the last page has been laid out.
    bool isComplete() const;
    /// The number of pages; lays out every page.
    int pageCount();

    /// Paints page `index` (from 0) with `painter`, laying out the pages up to it when needed.
    /// The painter's origin is the paper's top-left corner, and an inch is the logical dots per
    /// inch of its device, whatever the resolution (printer, PDF file, image, screen). False
    /// when there is no such page.
    bool paintPage(int index, QPainter& painter);

    /// The number of records in the report; lays out every page.
    qint64 recordCount();
    /// The total, in cents, of the amounts of `field` over the whole report, when the report
    /// totals that field ({sum:...} or {pageSum:...}); lays out every page. Blank texts and
    /// texts that are no amount count 0.
    std::optional<qint64> totalCents(const QString& field);

    /// The records on page `index`, laying out the pages up to it when needed.
    PageRecords pageRecords(int index);
    /// Every text on page `index` in the order it is painted, laying out the pages up to it
    /// when needed; empty when there is no such page.
    std::vector<PageText> pageTexts(int index);

private:
    friend class ReportEngine;
    /// `fields` are the data source's indexes of the definition's field slots, `parameters`
    /// the values of its parameter slots.
    ReportDocument(std::shared_ptr<const detail::ReportDefinition> definition, DataSource& data,
                   std::vector<int> fields, std::vector<QString> parameters);

    struct Impl;

    std::unique_ptr<Impl> m;
};

} // namespace quill::report
