#include "report/Template.h"

#include "report/Formats.h"

#include <array>

namespace quill::report::detail {

namespace {

struct Kind
{
    const char16_t* name;
    Source source;
    bool takesName;
};

// The placeholders a layout may use, compared without regard to case.
constexpr std::array<Kind, 9> Kinds{{
    {u"field", Source::Field, true},
    {u"date", Source::Date, true},
    {u"money", Source::Money, true},
    {u"param", Source::Param, true},
    {u"sum", Source::Sum, true},
    {u"pageSum", Source::PageSum, true},
    {u"count", Source::Count, false},
    {u"pageCount", Source::PageCount, false},
    {u"page", Source::Page, false},
}};

int slotOf(QStringList& names, const QString& name)
{
    for (qsizetype i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    names.append(name);
    return static_cast<int>(names.size() - 1);
}

std::optional<Segment> placeholder(QStringView inner, Bindings& bindings, QString& error)
{
    const qsizetype colon = inner.indexOf(u':');
    const QStringView kindName = (colon < 0 ? inner : inner.left(colon)).trimmed();
    const QString name = colon < 0 ? QString() : inner.mid(colon + 1).trimmed().toString();
    for (const Kind& kind : Kinds) {
        if (kindName.compare(QStringView(kind.name), Qt::CaseInsensitive) != 0)
            continue;
        if (kind.takesName && name.isEmpty()) {
            error = QStringLiteral("the placeholder \"{%1}\" needs a name: {%2:name}")
                        .arg(inner.toString(), QStringView(kind.name).toString());
            return std::nullopt;
        }
        if (!kind.takesName && colon >= 0) {
            error = QStringLiteral("the placeholder \"{%1}\" takes no name").arg(inner.toString());
            return std::nullopt;
        }
        Segment s{kind.source, {}, -1};
        switch (kind.source) {
        case Source::Field:
        case Source::Date:
        case Source::Money:
            s.slot = bindings.field(name);
            break;
        case Source::Param:
            s.slot = bindings.param(name);
            break;
        case Source::Sum:
        case Source::PageSum:
            s.slot = bindings.sum(name);
            break;
        default:
            break;
        }
        return s;
    }
    error = QStringLiteral("unknown placeholder \"{%1}\"").arg(inner.toString());
    return std::nullopt;
}

} // namespace

int Bindings::field(const QString& name)
{
    return slotOf(fields, name);
}

int Bindings::param(const QString& name)
{
    return slotOf(params, name);
}

int Bindings::sum(const QString& fieldName)
{
    const int f = field(fieldName);
    for (std::size_t i = 0; i < sumFields.size(); ++i)
        if (sumFields[i] == f)
            return static_cast<int>(i);
    sumFields.push_back(f);
    return static_cast<int>(sumFields.size() - 1);
}

std::optional<Template> CompileTemplate(const QString& text, Bindings& bindings, QString& error)
{
    Template t;
    QString literal;
    auto flush = [&] {
        if (!literal.isEmpty())
            t.segments.push_back({Source::Literal, literal, -1});
        literal.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'{' && i + 1 < text.size() && text[i + 1] == u'{') {
            literal += u'{';
            ++i;
        } else if (c == u'}' && i + 1 < text.size() && text[i + 1] == u'}') {
            literal += u'}';
            ++i;
        } else if (c == u'{') {
            const qsizetype close = text.indexOf(u'}', i + 1);
            if (close < 0) {
                error = QStringLiteral("a \"{\" without its \"}\" in \"%1\"").arg(text);
                return std::nullopt;
            }
            auto s = placeholder(QStringView(text).mid(i + 1, close - i - 1), bindings, error);
            if (!s)
                return std::nullopt;
            flush();
            t.segments.push_back(*s);
            t.hasPlaceholder = true;
            i = close;
        } else if (c == u'}') {
            error =
                QStringLiteral("a \"}\" without its \"{\" in \"%1\" (write \"}}\" for a brace)").arg(text);
            return std::nullopt;
        } else {
            literal += c;
        }
    }
    flush();
    return t;
}

QString Render(const Template& text, const RenderContext& context, bool& blank)
{
    QString out;
    blank = text.hasPlaceholder;
    for (const Segment& s : text.segments) {
        QString value;
        switch (s.source) {
        case Source::Literal:
            out += s.literal;
            continue;
        case Source::Field:
            value = (*context.fields)[static_cast<std::size_t>(s.slot)];
            break;
        case Source::Date:
            value = FormatDate((*context.fields)[static_cast<std::size_t>(s.slot)]);
            break;
        case Source::Money: {
            const QString& raw = (*context.fields)[static_cast<std::size_t>(s.slot)];
            // A text that is no amount is shown as it stands rather than hidden.
            const auto cents = ParseCents(raw);
            value = cents ? FormatCents(*cents) : raw;
            break;
        }
        case Source::Param:
            value = (*context.params)[static_cast<std::size_t>(s.slot)];
            break;
        case Source::Count:
            value = FormatCount(context.report->count);
            break;
        case Source::PageCount:
            value = FormatCount(context.page->count);
            break;
        case Source::Sum:
            value = FormatCents(context.report->sums[static_cast<std::size_t>(s.slot)]);
            break;
        case Source::PageSum:
            value = FormatCents(context.page->sums[static_cast<std::size_t>(s.slot)]);
            break;
        case Source::Page:
            value = QString::number(context.pageNumber);
            break;
        }
        if (!value.isEmpty())
            blank = false;
        out += value;
    }
    return out;
}

} // namespace quill::report::detail
