#pragma once

// A report of a project file as the engine uses it: lengths in points (1/72 inch) from the top-left
// corner of the band (elements) or of the paper (margins). Internal to the engine.

#include "report/Template.h"
#include "report/TextMeasure.h"

#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QRgb>
#include <QSizeF>

#include <memory>
#include <optional>
#include <vector>

namespace quill::report::detail {

enum class Align { Left, Center, Right };

struct FontStyle
{
    QString name;
    QFont font;
    QRgb color = 0xff000000;
    std::shared_ptr<const TextMeasure> measure;
};

struct TextElement
{
    double x = 0, y = 0, width = 0;
    double lineHeight = 0; // 0: the font's own
    int font = 0;
    Align align = Align::Left;
    QRgb color = 0xff000000;
    std::vector<Template> lines;
    bool skipBlankLines = false;
    bool wrap = false; // a line wider than the element goes on over more lines, at its blanks
};

/// A filled rectangle: a rule or a box.
struct ShapeElement
{
    double x = 0, y = 0, width = 0, height = 0;
    QRgb color = 0xff000000;
    bool fromBottom = false; // y is the gap between its bottom and the band's bottom
};

struct Band
{
    bool defined = false;
    double height = 0; // the least height; texts with more lines make it taller
    double paddingBottom = 0;
    bool onFirstPage = true;
    std::optional<QRgb> stripe; // detail: the fill behind every second row of a page
    std::vector<TextElement> texts;
    std::vector<ShapeElement> shapes;
};

struct ReportDefinition
{
    QString name;
    QPageSize pageSize{QPageSize::Letter};
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QSizeF paper;      // as oriented
    QMarginsF margins; // left, top, right, bottom
    std::vector<FontStyle> fonts;
    Bindings bindings;
    Band pageHeader, title, columnHeader, detail, summary, pageFooter;

    double bodyWidth() const { return paper.width() - margins.left() - margins.right(); }
    double bodyTop() const { return margins.top(); }
    double bodyBottom() const { return paper.height() - margins.bottom(); }
};

/// The distance from one line of `text` to the next.
double LineHeight(const TextElement& text, const std::vector<FontStyle>& fonts);

/// The height a band takes when every line of its texts is there.
double FullHeight(const Band& band, const std::vector<FontStyle>& fonts);

} // namespace quill::report::detail
