#include "report/ReportDocument.h"

#include "report/DataSource.h"
#include "report/Formats.h"
#include "report/ReportDefinition.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>

namespace quill::report {

using namespace detail;

namespace {

// A band that overshoots the space left by less than this still fits: lengths are sums of
// decimals given in inches.
constexpr double Tolerance = 0.01;

struct PlacedText
{
    float x, baseline, width;
    int font;
    QRgb color;
    QString text;
};

struct PlacedShape
{
    QRectF rect;
    QRgb color;
};

struct Page
{
    std::vector<PlacedShape> shapes;
    std::vector<PlacedText> texts;
    PageRecords records;
};

/// A band filled in for one record or page, relative to the band's top-left corner.
struct RenderedBand
{
    double height = 0;
    std::vector<PlacedShape> shapes;
    std::vector<PlacedText> texts;
};

/// `text` in lines no wider than `width`, broken at blanks; a word wider than a line stands
/// alone on its line (and is cut there).
QStringList Wrapped(const QString& text, const TextMeasure& m, double width)
{
    if (m.width(text) <= width)
        return {text};
    QStringList lines;
    QString line;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + u' ' + word;
        if (!line.isEmpty() && m.width(longer) > width) {
            lines.append(line);
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.isEmpty() || lines.isEmpty())
        lines.append(line);
    return lines;
}

} // namespace

struct ReportDocument::Impl
{
    std::shared_ptr<const ReportDefinition> def;
    DataSource& data;
    std::vector<int> fieldIndex; // by field slot
    std::vector<QString> params; // by parameter slot

    std::vector<Page> pages;
    bool started = false;
    bool hasRecord = false; // the data source stands on a record not yet placed
    bool summaryPlaced = false;
    bool complete = false;

    std::vector<QString> values; // the current record, by field slot
    std::vector<qint64> amounts; // the current record's amounts, by sum slot
    Aggregates placed;           // every record placed so far
    Aggregates onPage;           // the records placed on the page being laid out
    RenderedBand scratch;

    Impl(std::shared_ptr<const ReportDefinition> d, DataSource& source, std::vector<int> fields,
         std::vector<QString> parameters)
        : def(std::move(d)), data(source), fieldIndex(std::move(fields)), params(std::move(parameters))
    {
        values.resize(fieldIndex.size());
        amounts.resize(def->bindings.sumFields.size());
        placed.sums.resize(amounts.size());
        onPage.sums.resize(amounts.size());
    }

    // The record after the current one, read ahead to know whether the current one is the
    // last: the last row is kept on the page the summary goes on.
    bool lookedAhead = false;
    bool nextExists = false;
    std::vector<QString> nextValues;
    std::vector<qint64> nextAmounts;

    bool isLastRecord()
    {
        if (!lookedAhead) {
            std::vector<QString> heldValues = values;
            std::vector<qint64> heldAmounts = amounts;
            nextExists = data.next();
            if (nextExists) {
                readRecord();
                nextValues.swap(values);
                nextAmounts.swap(amounts);
            }
            values.swap(heldValues);
            amounts.swap(heldAmounts);
            lookedAhead = true;
        }
        return !nextExists;
    }

    void nextRecord()
    {
        if (lookedAhead) {
            lookedAhead = false;
            hasRecord = nextExists;
            if (hasRecord) {
                values.swap(nextValues);
                amounts.swap(nextAmounts);
            }
            return;
        }
        hasRecord = data.next();
        if (hasRecord)
            readRecord();
    }

    void readRecord()
    {
        for (std::size_t i = 0; i < fieldIndex.size(); ++i)
            values[i] = data.text(fieldIndex[i]).trimmed();
        for (std::size_t s = 0; s < amounts.size(); ++s)
            amounts[s] = ParseCents(values[static_cast<std::size_t>(def->bindings.sumFields[s])]).value_or(0);
    }

    // Counts the current record in (sign 1) or out again (sign -1).
    void count(int sign)
    {
        placed.count += sign;
        onPage.count += sign;
        for (std::size_t s = 0; s < amounts.size(); ++s) {
            placed.sums[s] += sign * amounts[s];
            onPage.sums[s] += sign * amounts[s];
        }
    }

    bool shown(const Band& band, int pageNumber) const
    {
        return band.defined && (pageNumber > 1 || band.onFirstPage);
    }

    void render(const Band& band, int pageNumber, RenderedBand& out)
    {
        out.texts.clear();
        out.shapes.clear();
        const RenderContext context{&values, &params, &placed, &onPage, pageNumber};
        double bottom = band.height;
        for (const TextElement& t : band.texts) {
            const TextMeasure& m = *def->fonts[static_cast<std::size_t>(t.font)].measure;
            const double lineHeight = LineHeight(t, def->fonts);
            int line = 0;
            for (const Template& tpl : t.lines) {
                bool blank = false;
                const QString rendered = Render(tpl, context, blank);
                if (t.skipBlankLines && blank)
                    continue;
                for (QString s : t.wrap ? Wrapped(rendered, m, t.width) : QStringList{rendered}) {
                    double w = m.width(s);
                    if (w > t.width) {
                        s = m.elided(s, t.width);
                        w = m.width(s);
                    }
                    const double x = t.align == Align::Right    ? t.x + t.width - w
                                     : t.align == Align::Center ? t.x + (t.width - w) / 2
                                                                : t.x;
                    const double top = t.y + line * lineHeight;
                    if (!s.isEmpty())
                        out.texts.push_back({static_cast<float>(x), static_cast<float>(top + m.ascent()),
                                             static_cast<float>(w), t.font, t.color, std::move(s)});
                    ++line;
                }
            }
            if (line > 0)
                bottom = std::max(bottom, t.y + line * lineHeight + band.paddingBottom);
        }
        for (const ShapeElement& s : band.shapes)
            if (!s.fromBottom)
                bottom = std::max(bottom, s.y + s.height);
        out.height = bottom;
        for (const ShapeElement& s : band.shapes) {
            const double y = s.fromBottom ? bottom - s.y - s.height : s.y;
            out.shapes.push_back({QRectF(s.x, y, s.width, s.height), s.color});
        }
    }

    void place(const RenderedBand& band, double top, Page& page) const
    {
        const double left = def->margins.left();
        for (const PlacedShape& s : band.shapes)
            page.shapes.push_back({s.rect.translated(left, top), s.color});
        for (const PlacedText& t : band.texts)
            page.texts.push_back({static_cast<float>(t.x + left), static_cast<float>(t.baseline + top),
                                  t.width, t.font, t.color, t.text});
    }

    bool layoutNextPage()
    {
        if (complete)
            return false;
        try {
            layOutPage();
        } catch (...) {
            complete = true;
            throw;
        }
        return true;
    }

    void layOutPage()
    {
        if (!started) {
            started = true;
            hasRecord = data.first();
            if (hasRecord)
                readRecord();
        }
        const ReportDefinition& d = *def;
        const int number = static_cast<int>(pages.size()) + 1;
        Page page;
        onPage = Aggregates{0, std::vector<qint64>(amounts.size(), 0)};
        const qint64 firstRecord = placed.count + 1;

        double y = d.bodyTop();
        auto put = [&](const Band& band) {
            render(band, number, scratch);
            place(scratch, y, page);
            y += scratch.height;
        };
        if (shown(d.pageHeader, number))
            put(d.pageHeader);
        if (number == 1 && d.title.defined)
            put(d.title);
        if (shown(d.columnHeader, number))
            put(d.columnHeader);

        const double footerHeight = shown(d.pageFooter, number) ? FullHeight(d.pageFooter, d.fonts) : 0;
        const double limit = d.bodyBottom() - footerHeight + Tolerance;
        bool anyRow = false;
        while (hasRecord) {
            count(1);
            render(d.detail, number, scratch);
            if (y + scratch.height > limit && anyRow) {
                count(-1); // it starts the next page
                break;
            }
            if (anyRow && d.summary.defined && isLastRecord()) {
                // The totals never stand alone on a page of their own: the last row goes with
                // them when they would not fit under it.
                const double rowHeight = scratch.height;
                RenderedBand summary;
                render(d.summary, number, summary);
                if (y + rowHeight + summary.height > limit) {
                    count(-1);
                    break;
                }
            }
            if (d.detail.stripe && onPage.count % 2 == 0)
                scratch.shapes.insert(scratch.shapes.begin(),
                                      {QRectF(0, 0, d.bodyWidth(), scratch.height), *d.detail.stripe});
            place(scratch, y, page);
            y += scratch.height;
            anyRow = true;
            nextRecord();
        }
        if (!hasRecord && !summaryPlaced) {
            if (d.summary.defined) {
                render(d.summary, number, scratch);
                // A summary that does not fit goes to a page of its own.
                if (y + scratch.height <= limit || !anyRow) {
                    place(scratch, y, page);
                    summaryPlaced = true;
                }
            } else {
                summaryPlaced = true;
            }
        }
        if (footerHeight > 0) {
            render(d.pageFooter, number, scratch);
            place(scratch, d.bodyBottom() - footerHeight, page);
        }
        page.records = {onPage.count > 0 ? firstRecord : 0, onPage.count};
        pages.push_back(std::move(page));
        complete = !hasRecord && summaryPlaced;
    }

    void layoutAll()
    {
        while (layoutNextPage()) {
        }
    }
};

ReportDocument::ReportDocument(std::shared_ptr<const ReportDefinition> definition, DataSource& data,
                               std::vector<int> fields, std::vector<QString> parameters)
    : m(std::make_unique<Impl>(std::move(definition), data, std::move(fields), std::move(parameters)))
{
}

ReportDocument::~ReportDocument() = default;

const QString& ReportDocument::reportName() const
{
    return m->def->name;
}

QPageLayout ReportDocument::pageLayout() const
{
    return QPageLayout(m->def->pageSize, m->def->orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Point);
}

bool ReportDocument::layoutNextPage()
{
    return m->layoutNextPage();
}

bool ReportDocument::hasPage(int index)
{
    if (index < 0)
        return false;
    while (static_cast<int>(m->pages.size()) <= index)
        if (!m->layoutNextPage())
            return false;
    return true;
}

int ReportDocument::pagesLaidOut() const
{
    return static_cast<int>(m->pages.size());
}

qint64 ReportDocument::recordsLaidOut() const
{
    return m->placed.count;
}

bool ReportDocument::isComplete() const
{
    return m->complete;
}

int ReportDocument::pageCount()
{
    m->layoutAll();
    return static_cast<int>(m->pages.size());
}

bool ReportDocument::paintPage(int index, QPainter& painter)
{
    QPaintDevice* device = painter.device();
    if (!device || !painter.isActive() || !hasPage(index))
        return false;
    const Page& page = m->pages[static_cast<std::size_t>(index)];
    // Everything is drawn in units of 1/UnitsPerPoint of a point, the fonts' own pixels.
    const double sx = device->logicalDpiX() / (72.0 * UnitsPerPoint);
    const double sy = device->logicalDpiY() / (72.0 * UnitsPerPoint);
    painter.save();
    painter.scale(sx, sy);
    for (const PlacedShape& s : page.shapes) {
        QRectF r(s.rect.x() * UnitsPerPoint, s.rect.y() * UnitsPerPoint, s.rect.width() * UnitsPerPoint,
                 s.rect.height() * UnitsPerPoint);
        // A hairline stays visible on a coarse device (a screen at a small zoom).
        r.setHeight(std::max(r.height(), 1 / sy));
        r.setWidth(std::max(r.width(), 1 / sx));
        painter.fillRect(r, QColor::fromRgba(s.color));
    }
    int font = -1;
    std::optional<QRgb> color;
    for (const PlacedText& t : page.texts) {
        if (t.font != font) {
            font = t.font;
            painter.setFont(m->def->fonts[static_cast<std::size_t>(font)].font);
        }
        if (color != t.color) {
            color = t.color;
            painter.setPen(QColor::fromRgba(t.color));
        }
        painter.drawText(QPointF(t.x * UnitsPerPoint, t.baseline * UnitsPerPoint), t.text);
    }
    painter.restore();
    return true;
}

qint64 ReportDocument::recordCount()
{
    m->layoutAll();
    return m->placed.count;
}

std::optional<qint64> ReportDocument::totalCents(const QString& field)
{
    const Bindings& b = m->def->bindings;
    const auto slot = std::find_if(b.sumFields.begin(), b.sumFields.end(), [&](int f) {
        return b.fields[f].compare(field, Qt::CaseInsensitive) == 0;
    });
    if (slot == b.sumFields.end())
        return std::nullopt;
    m->layoutAll();
    return m->placed.sums[static_cast<std::size_t>(slot - b.sumFields.begin())];
}

PageRecords ReportDocument::pageRecords(int index)
{
    return hasPage(index) ? m->pages[static_cast<std::size_t>(index)].records : PageRecords{};
}

std::vector<PageText> ReportDocument::pageTexts(int index)
{
    std::vector<PageText> out;
    if (!hasPage(index))
        return out;
    for (const PlacedText& t : m->pages[static_cast<std::size_t>(index)].texts) {
        const FontStyle& f = m->def->fonts[static_cast<std::size_t>(t.font)];
        out.push_back({t.text,
                       QRectF(t.x, t.baseline - f.measure->ascent(), t.width, f.measure->lineHeight()),
                       f.name});
    }
    return out;
}

} // namespace quill::report
