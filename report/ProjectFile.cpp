#include "report/ProjectFile.h"

#include <QColor>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <algorithm>
#include <initializer_list>

namespace quill::report::detail {

namespace {

constexpr double PointsPerInch = 72;
constexpr int FormatVersion = 1;
// Lengths are checked against the page with this much slack for decimals written by hand.
constexpr double Slack = 0.001;

/// A fault in the project's content; `where` says which part of the file.
struct Fault
{
    QString where;
    QString what;
};

/// Walks the JSON tree, keeping the path of the part being read for messages.
class Reader
{
public:
    explicit Reader(QString where) : m_where(std::move(where)) {}

    Reader child(const QString& part) const
    {
        return Reader(m_where.isEmpty() ? part : m_where + ", " + part);
    }
    [[noreturn]] void fail(const QString& what) const { throw Fault{m_where, what}; }

    /// Fails on any key not in `allowed` ("note" is allowed everywhere: JSON has no comments).
    void onlyKeys(const QJsonObject& o, std::initializer_list<const char*> allowed) const
    {
        for (auto it = o.begin(); it != o.end(); ++it) {
            if (it.key() == u"note")
                continue;
            if (std::none_of(allowed.begin(), allowed.end(),
                             [&](const char* k) { return it.key() == QLatin1String(k); }))
                fail(QStringLiteral("unknown key \"%1\"").arg(it.key()));
        }
    }

    QJsonObject object(const QJsonValue& v, const QString& what) const
    {
        if (!v.isObject())
            fail(QStringLiteral("%1 must be an object { ... }").arg(what));
        return v.toObject();
    }

    double number(const QJsonObject& o, const char* key, double fallback, double least = 0) const
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return fallback;
        if (!v.isDouble())
            fail(QStringLiteral("\"%1\" must be a number").arg(QLatin1String(key)));
        if (v.toDouble() < least)
            fail(QStringLiteral("\"%1\" must be at least %2").arg(QLatin1String(key)).arg(least));
        return v.toDouble();
    }

    double required(const QJsonObject& o, const char* key, double least = 0) const
    {
        if (!o.contains(QLatin1String(key)))
            fail(QStringLiteral("\"%1\" is missing").arg(QLatin1String(key)));
        return number(o, key, 0, least);
    }

    bool flag(const QJsonObject& o, const char* key, bool fallback) const
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return fallback;
        if (!v.isBool())
            fail(QStringLiteral("\"%1\" must be true or false").arg(QLatin1String(key)));
        return v.toBool();
    }

    QString text(const QJsonObject& o, const char* key, const QString& fallback) const
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return fallback;
        if (!v.isString())
            fail(QStringLiteral("\"%1\" must be a text in double quotes").arg(QLatin1String(key)));
        return v.toString();
    }

    QRgb color(const QJsonObject& o, const char* key, QRgb fallback) const
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return fallback;
        const QColor c(v.toString());
        if (!v.isString() || !v.toString().startsWith(u'#') || !c.isValid())
            fail(QStringLiteral("\"%1\" must be a colour such as \"#336699\"").arg(QLatin1String(key)));
        return c.rgba();
    }

    /// One of `choices`, compared without regard to case; the position in the list.
    int choice(const QJsonObject& o, const char* key, std::initializer_list<const char*> choices,
               int fallback) const
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return fallback;
        int i = 0;
        QStringList names;
        for (const char* c : choices) {
            if (v.isString() && v.toString().compare(QLatin1String(c), Qt::CaseInsensitive) == 0)
                return i;
            names << QStringLiteral("\"%1\"").arg(QLatin1String(c));
            ++i;
        }
        fail(QStringLiteral("\"%1\" must be one of %2").arg(QLatin1String(key), names.join(u", ")));
    }

private:
    QString m_where;
};

QString location(const QByteArray& json, int offset)
{
    const QByteArray before = json.left(offset);
    const int line = static_cast<int>(before.count('\n')) + 1;
    const int column = offset - static_cast<int>(before.lastIndexOf('\n'));
    return QStringLiteral("line %1, column %2").arg(line).arg(column);
}

std::vector<FontStyle> readFonts(const QJsonObject& fonts, const Reader& r)
{
    std::vector<FontStyle> out;
    for (auto it = fonts.begin(); it != fonts.end(); ++it) {
        const Reader f = r.child(QStringLiteral("font \"%1\"").arg(it.key()));
        const QJsonObject o = f.object(it.value(), QStringLiteral("a font"));
        f.onlyKeys(o, {"family", "size", "bold", "italic", "color"});
        const QString family = f.text(o, "family", {});
        if (family.isEmpty())
            f.fail(QStringLiteral("\"family\" is missing"));
        QFont font(family);
        font.setPixelSize(qRound(f.number(o, "size", 10, 1) * UnitsPerPoint));
        font.setBold(f.flag(o, "bold", false));
        font.setItalic(f.flag(o, "italic", false));
        // Without kerning a line is as wide as its characters: measured once, placed exactly.
        font.setKerning(false);
        out.push_back({it.key(), font, f.color(o, "color", 0xff000000), std::make_shared<TextMeasure>(font)});
    }
    return out;
}

class ReportReader
{
public:
    ReportReader(ReportDefinition& def, const std::map<QString, QString>& parameters)
        : m_def(def), m_parameters(parameters)
    {
    }

    void page(const QJsonObject& o, const Reader& r)
    {
        r.onlyKeys(o, {"size", "orientation", "margins"});
        static const QPageSize::PageSizeId sizes[] = {QPageSize::Letter, QPageSize::Legal, QPageSize::A4};
        m_def.pageSize = QPageSize(sizes[r.choice(o, "size", {"Letter", "Legal", "A4"}, 0)]);
        m_def.orientation = r.choice(o, "orientation", {"portrait", "landscape"}, 0) == 0
                                ? QPageLayout::Portrait
                                : QPageLayout::Landscape;
        const QSizeF size = m_def.pageSize.size(QPageSize::Point);
        m_def.paper = m_def.orientation == QPageLayout::Portrait ? size : size.transposed();
        QMarginsF m(36, 36, 36, 36);
        if (o.contains(u"margins")) {
            const Reader mr = r.child(QStringLiteral("margins"));
            const QJsonObject mo = mr.object(o.value(u"margins"), QStringLiteral("\"margins\""));
            mr.onlyKeys(mo, {"left", "top", "right", "bottom"});
            m = QMarginsF(
                mr.number(mo, "left", 0.5) * PointsPerInch, mr.number(mo, "top", 0.5) * PointsPerInch,
                mr.number(mo, "right", 0.5) * PointsPerInch, mr.number(mo, "bottom", 0.5) * PointsPerInch);
        }
        if (m.left() + m.right() >= m_def.paper.width() - 1 ||
            m.top() + m.bottom() >= m_def.paper.height() - 1)
            r.fail(QStringLiteral("the margins leave no room on the page"));
        m_def.margins = m;
    }

    Band band(const QJsonObject& o, const Reader& r, const QString& kind)
    {
        const bool optionalOnFirst =
            kind == u"pageHeader" || kind == u"columnHeader" || kind == u"pageFooter";
        if (kind == u"detail")
            r.onlyKeys(o, {"height", "paddingBottom", "stripe", "elements"});
        else if (optionalOnFirst)
            r.onlyKeys(o, {"height", "paddingBottom", "onFirstPage", "elements"});
        else
            r.onlyKeys(o, {"height", "paddingBottom", "elements"});
        Band b;
        b.defined = true;
        b.height = r.number(o, "height", 0) * PointsPerInch;
        b.paddingBottom = r.number(o, "paddingBottom", 0) * PointsPerInch;
        b.onFirstPage = r.flag(o, "onFirstPage", true);
        if (o.contains(u"stripe"))
            b.stripe = r.color(o, "stripe", 0);
        const QJsonValue elements = o.value(u"elements");
        if (!elements.isUndefined() && !elements.isArray())
            r.fail(QStringLiteral("\"elements\" must be a list [ ... ]"));
        const QJsonArray list = elements.toArray();
        for (qsizetype i = 0; i < list.size(); ++i) {
            const Reader er = r.child(QStringLiteral("element %1").arg(i + 1));
            element(er.object(list[i], QStringLiteral("an element")), er, b);
        }
        return b;
    }

private:
    void element(const QJsonObject& o, const Reader& r, Band& b)
    {
        const int type = r.choice(o, "type", {"text", "rule", "box"}, -1);
        if (type < 0)
            r.fail(QStringLiteral("\"type\" is missing: \"text\", \"rule\" or \"box\""));
        const double x = r.required(o, "x") * PointsPerInch;
        const double width = r.required(o, "width") * PointsPerInch;
        const double y = r.number(o, "y", 0) * PointsPerInch;
        if (width <= 0)
            r.fail(QStringLiteral("\"width\" must be more than 0"));
        if (x + width > m_def.bodyWidth() + Slack * PointsPerInch)
            r.fail(
                QStringLiteral("it reaches past the right margin: x + width is %1 in, the space between the "
                               "margins %2 in")
                    .arg((x + width) / PointsPerInch)
                    .arg(m_def.bodyWidth() / PointsPerInch));
        if (type == 0) {
            r.onlyKeys(o, {"type", "x", "y", "width", "text", "lines", "font", "align", "color",
                           "skipBlankLines", "wrap", "lineHeight"});
            TextElement t;
            t.x = x;
            t.y = y;
            t.width = width;
            t.font = font(r.text(o, "font", QStringLiteral("body")), r);
            t.align = static_cast<Align>(r.choice(o, "align", {"left", "center", "right"}, 0));
            t.color = r.color(o, "color", m_def.fonts[static_cast<std::size_t>(t.font)].color);
            t.skipBlankLines = r.flag(o, "skipBlankLines", false);
            t.wrap = r.flag(o, "wrap", false);
            t.lineHeight = r.number(o, "lineHeight", 0) * PointsPerInch;
            QStringList lines;
            if (o.contains(u"text") == o.contains(u"lines"))
                r.fail(QStringLiteral("a text element has either \"text\" or \"lines\""));
            if (o.contains(u"text")) {
                lines = r.text(o, "text", {}).split(u'\n');
            } else {
                const QJsonValue v = o.value(u"lines");
                const QJsonArray a = v.toArray();
                if (!v.isArray() ||
                    std::any_of(a.begin(), a.end(), [](const QJsonValue& l) { return !l.isString(); }))
                    r.fail(QStringLiteral("\"lines\" must be a list of texts [\"...\", \"...\"]"));
                for (const QJsonValue& l : a)
                    lines << l.toString();
            }
            for (const QString& line : lines) {
                QString error;
                auto compiled = CompileTemplate(line, m_def.bindings, error);
                if (!compiled)
                    r.fail(error);
                t.lines.push_back(std::move(*compiled));
            }
            checkParameters(r);
            b.texts.push_back(std::move(t));
        } else {
            ShapeElement s;
            s.x = x;
            s.width = width;
            s.y = y;
            if (type == 1) {
                r.onlyKeys(o, {"type", "x", "y", "width", "thickness", "color", "fromBottom"});
                s.height = r.number(o, "thickness", 0.5, 0.01); // points
            } else {
                r.onlyKeys(o, {"type", "x", "y", "width", "height", "color", "fromBottom"});
                s.height = r.required(o, "height") * PointsPerInch;
            }
            s.color = r.color(o, "color", 0xff000000);
            s.fromBottom = r.flag(o, "fromBottom", false);
            b.shapes.push_back(s);
        }
    }

    int font(const QString& name, const Reader& r) const
    {
        for (std::size_t i = 0; i < m_def.fonts.size(); ++i)
            if (m_def.fonts[i].name == name)
                return static_cast<int>(i);
        r.fail(QStringLiteral("there is no font \"%1\" in \"fonts\"").arg(name));
    }

    // A misspelt parameter would print as nothing: every one must be declared.
    void checkParameters(const Reader& r) const
    {
        for (const QString& p : m_def.bindings.params)
            if (!m_parameters.count(p.toLower()))
                r.fail(QStringLiteral("the parameter \"%1\" is not declared in \"parameters\"").arg(p));
    }

    ReportDefinition& m_def;
    const std::map<QString, QString>& m_parameters;
};

Project readProject(const QJsonObject& top)
{
    const Reader r{QString()};
    r.onlyKeys(top, {"version", "parameters", "fonts", "reports"});
    if (r.number(top, "version", -1) != FormatVersion)
        r.fail(QStringLiteral("\"version\" must be %1").arg(FormatVersion));

    Project project;
    if (top.contains(u"parameters")) {
        const Reader pr = r.child(QStringLiteral("parameters"));
        const QJsonObject params = pr.object(top.value(u"parameters"), QStringLiteral("\"parameters\""));
        for (auto it = params.begin(); it != params.end(); ++it) {
            if (it.key() == u"note")
                continue;
            if (!it.value().isString())
                pr.fail(QStringLiteral("the value of \"%1\" must be a text in double quotes").arg(it.key()));
            project.parameters[it.key().toLower()] = it.value().toString();
        }
    }
    const std::vector<FontStyle> fonts =
        readFonts(r.object(top.value(u"fonts"), QStringLiteral("\"fonts\"")), r);

    const QJsonObject reports = r.object(top.value(u"reports"), QStringLiteral("\"reports\""));
    for (auto it = reports.begin(); it != reports.end(); ++it) {
        if (it.key() == u"note")
            continue;
        const Reader rr = r.child(QStringLiteral("report \"%1\"").arg(it.key()));
        const QJsonObject o = rr.object(it.value(), QStringLiteral("a report"));
        rr.onlyKeys(o, {"page", "pageHeader", "title", "columnHeader", "detail", "summary", "pageFooter"});
        auto def = std::make_shared<ReportDefinition>();
        def->name = it.key();
        def->fonts = fonts;
        ReportReader reader(*def, project.parameters);
        reader.page(o.contains(u"page") ? rr.object(o.value(u"page"), QStringLiteral("\"page\""))
                                        : QJsonObject(),
                    rr.child(QStringLiteral("page")));
        if (!o.contains(u"detail"))
            rr.fail(QStringLiteral("\"detail\" is missing: the band printed once per record"));
        const std::pair<const char*, Band ReportDefinition::*> bands[] = {
            {"pageHeader", &ReportDefinition::pageHeader},     {"title", &ReportDefinition::title},
            {"columnHeader", &ReportDefinition::columnHeader}, {"detail", &ReportDefinition::detail},
            {"summary", &ReportDefinition::summary},           {"pageFooter", &ReportDefinition::pageFooter}};
        for (const auto& [key, member] : bands) {
            const QString name = QLatin1String(key);
            if (!o.contains(name))
                continue;
            const Reader br = rr.child(QStringLiteral("band \"%1\"").arg(name));
            (*def).*member = reader.band(br.object(o.value(name), QStringLiteral("a band")), br, name);
        }
        // Each page must hold its headers, its footer and at least one row.
        const double fixed = FullHeight(def->pageHeader, fonts) + FullHeight(def->title, fonts) +
                             FullHeight(def->columnHeader, fonts) + FullHeight(def->detail, fonts) +
                             FullHeight(def->pageFooter, fonts);
        if (fixed > def->bodyBottom() - def->bodyTop() + Slack * PointsPerInch)
            rr.fail(
                QStringLiteral("its bands are %1 in tall together, more than the %2 in between the top and "
                               "bottom margins")
                    .arg(fixed / PointsPerInch)
                    .arg((def->bodyBottom() - def->bodyTop()) / PointsPerInch));
        project.reports[it.key()] = std::move(def);
    }
    if (project.reports.empty())
        r.fail(QStringLiteral("\"reports\" holds no report"));
    return project;
}

} // namespace

double LineHeight(const TextElement& text, const std::vector<FontStyle>& fonts)
{
    return text.lineHeight > 0 ? text.lineHeight
                               : fonts[static_cast<std::size_t>(text.font)].measure->lineHeight();
}

double FullHeight(const Band& band, const std::vector<FontStyle>& fonts)
{
    if (!band.defined)
        return 0;
    double h = band.height;
    for (const TextElement& t : band.texts)
        h = std::max(h,
                     t.y + static_cast<double>(t.lines.size()) * LineHeight(t, fonts) + band.paddingBottom);
    for (const ShapeElement& s : band.shapes)
        h = std::max(h, s.y + s.height);
    return h;
}

std::variant<Project, QString> ParseProject(const QByteArray& json, const QString& path)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return QStringLiteral("The report project \"%1\" is not valid JSON: %2 (%3).")
            .arg(path, error.errorString(), location(json, error.offset));
    if (!doc.isObject())
        return QStringLiteral("The report project \"%1\" is not valid: it must be one object { ... }.")
            .arg(path);
    try {
        return readProject(doc.object());
    } catch (const Fault& f) {
        return QStringLiteral("The report project \"%1\" is not valid: %2%3.")
            .arg(path, f.where.isEmpty() ? QString() : f.where + ": ", f.what);
    }
}

std::variant<Project, QString> ReadProjectFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Cannot open the report project \"%1\": %2.").arg(path, file.errorString());
    return ParseProject(file.readAll(), path);
}

} // namespace quill::report::detail
