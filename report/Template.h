#pragma once

// Texts of a report layout with placeholders in braces: "Page {page}", "{date:rdate}",
// "RE: {field:re}". Internal to the engine.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace quill::report::detail {

/// What a placeholder stands for.
enum class Source : uint8_t {
    Literal,   // text as written
    Field,     // {field:name}   the field's text, trimmed
    Date,      // {date:name}    a stored date as MM/DD/YYYY
    Money,     // {money:name}   an amount as 1,234.56; blank stays blank
    Param,     // {param:name}   a report parameter
    Count,     // {count}        records so far in the report
    PageCount, // {pageCount}    records so far on this page
    Sum,       // {sum:name}     the amounts of a field so far in the report
    PageSum,   // {pageSum:name} the amounts of a field so far on this page
    Page,      // {page}         the page number
};

struct Segment
{
    Source source = Source::Literal;
    QString literal;
    int slot = -1; // a field, parameter or sum slot of the report's bindings
};

struct Template
{
    std::vector<Segment> segments;
    /// Whether any segment is a placeholder; a line without one is never blank.
    bool hasPlaceholder = false;
};

/// The names a report's texts refer to, each given a slot once.
struct Bindings
{
    QStringList fields;         // as first written; names compare without regard to case
    QStringList params;         // as first written
    std::vector<int> sumFields; // the field slot of each sum slot

    int field(const QString& name);
    int param(const QString& name);
    int sum(const QString& fieldName);
};

/// Running figures: records counted and the amounts of each sum slot, in cents.
struct Aggregates
{
    qint64 count = 0;
    std::vector<qint64> sums;
};

/// What the placeholders of a text are filled from.
struct RenderContext
{
    const std::vector<QString>* fields = nullptr; // by field slot, trimmed
    const std::vector<QString>* params = nullptr; // by parameter slot
    const Aggregates* report = nullptr;
    const Aggregates* page = nullptr;
    int pageNumber = 0;
};

/// Compiles `text`, giving its names slots in `bindings`. Nothing, with `error` set, when a
/// brace is unmatched or a placeholder is unknown. "{{" and "}}" stand for braces.
std::optional<Template> CompileTemplate(const QString& text, Bindings& bindings, QString& error);

/// The text with its placeholders filled. `blank` tells whether every placeholder came out empty
/// (always false for a text without placeholders).
QString Render(const Template& text, const RenderContext& context, bool& blank);

} // namespace quill::report::detail
