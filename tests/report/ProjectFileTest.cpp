#include "ReportFixture.h"

#include "report/ReportEngine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quill::report;
using reporttest::RowSource;

namespace {

const QString ProjectSource = QStringLiteral(QUILL_REPORT_SOURCE);
const QString ProgramFolder = QStringLiteral(QUILL_PROGRAM_DIR);

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// A project whose one report "R" has a detail band with `element`; `extra` goes into the top
// object and `band` into the detail band.
QByteArray project(const QByteArray& element, const QByteArray& extra = {}, const QByteArray& band = {})
{
    return R"({ "version": 1, "parameters": { "MyTime": "" },
  "fonts": { "body": { "family": "Arial", "size": 10 } },
  "reports": { "R": { "detail": { "height": 0.2)" +
           band + R"(, "elements": [ )" + element + R"( ] } } })" + extra + "\n}";
}

TEST(ProjectFile, TheProgramsProjectHasBothReportsAndTheTimeParameter)
{
    ReportEngine engine;
    const auto error = engine.open(ProjectSource);
    ASSERT_FALSE(error) << error->toStdString();
    EXPECT_TRUE(engine.isOpen());
    EXPECT_EQ(engine.projectFile(), ProjectSource);
    EXPECT_EQ(engine.reportNames(), QStringList({"FullDetail", "ShortDetail"}));
    engine.setParameter("MyTime", "Date Printed: 12/10/2024 2:15:03 PM");
    EXPECT_EQ(engine.parameter("mytime"), "Date Printed: 12/10/2024 2:15:03 PM");
    engine.close();
    EXPECT_FALSE(engine.isOpen());
    EXPECT_TRUE(engine.reportNames().isEmpty());
    EXPECT_EQ(engine.parameter("MyTime"), "");
}

TEST(ProjectFile, TheBuildPutsTheProjectBesideTheProgram)
{
    const QByteArray copy = readAll(ProgramFolder + "/Quill3.rav");
    ASSERT_FALSE(copy.isEmpty());
    EXPECT_EQ(copy, readAll(ProjectSource));
}

TEST(ProjectFile, AMissingFileIsAnErrorNamingIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Quill3.rav");
    ReportEngine engine;
    const auto error = engine.open(path);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error,
              QStringLiteral("Cannot open the report project \"%1\": No such file or directory.").arg(path));
    EXPECT_FALSE(engine.isOpen());
}

TEST(ProjectFile, MalformedJsonIsAnErrorNamingTheFileAndTheLine)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Quill3.rav");
    write(
        path,
        "{\n  \"version\": 1,\n  \"fonts\": { \"body\": { \"family\": \"Arial\" } }\n  \"reports\": {}\n}\n");
    ReportEngine engine;
    const auto error = engine.open(path);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->startsWith(QStringLiteral("The report project \"%1\" is not valid JSON: ").arg(path)))
        << error->toStdString();
    EXPECT_TRUE(error->contains("line 4")) << error->toStdString();
}

TEST(ProjectFile, AFailedOpenClosesTheProjectOpenBefore)
{
    ReportEngine engine;
    ASSERT_FALSE(engine.open(ProjectSource));
    QTemporaryDir dir;
    ASSERT_TRUE(engine.open(dir.filePath("gone.rav")));
    EXPECT_FALSE(engine.isOpen());
    EXPECT_TRUE(engine.reportNames().isEmpty());
}

struct Invalid
{
    const char* name;
    QByteArray json;
    const char* where; // the part named before the fault, empty for the top
    const char* fault;
};

TEST(ProjectFile, ContentFaultsAreErrorsNamingTheFileThePlaceAndTheFault)
{
    const QByteArray text = R"({ "type": "text", "x": 0, "width": 1, "text": "x" })";
    const Invalid cases[] = {
        {"an unknown key at the top", project(text, R"(, "colour": 1)"), "", R"(unknown key "colour")"},
        {"another version", QByteArray(project(text)).replace(R"("version": 1)", R"("version": 2)"), "",
         R"("version" must be 1)"},
        {"a misspelt key of an element",
         project(R"({ "type": "text", "x": 0, "width": 1, "heigth": 1, "text": "x" })"),
         R"(report "R", band "detail", element 1)", R"(unknown key "heigth")"},
        {"an unknown placeholder", project(R"({ "type": "text", "x": 0, "width": 1, "text": "{feld:zip}" })"),
         R"(report "R", band "detail", element 1)", R"(unknown placeholder "{feld:zip}")"},
        {"a placeholder without its name",
         project(R"({ "type": "text", "x": 0, "width": 1, "text": "{sum}" })"),
         R"(report "R", band "detail", element 1)", R"(the placeholder "{sum}" needs a name: {sum:name})"},
        {"a name where none is taken",
         project(R"({ "type": "text", "x": 0, "width": 1, "text": "{page:zip}" })"),
         R"(report "R", band "detail", element 1)", R"(the placeholder "{page:zip}" takes no name)"},
        {"an open brace", project(R"({ "type": "text", "x": 0, "width": 1, "text": "Page {page" })"),
         R"(report "R", band "detail", element 1)", R"(a "{" without its "}" in "Page {page")"},
        {"a lone closing brace", project(R"({ "type": "text", "x": 0, "width": 1, "text": "a}b" })"),
         R"(report "R", band "detail", element 1)",
         R"(a "}" without its "{" in "a}b" (write "}}" for a brace))"},
        {"an undeclared parameter",
         project(R"({ "type": "text", "x": 0, "width": 1, "text": "{param:MyDate}" })"),
         R"(report "R", band "detail", element 1)",
         R"(the parameter "MyDate" is not declared in "parameters")"},
        {"an unknown font",
         project(R"({ "type": "text", "x": 0, "width": 1, "font": "heading", "text": "x" })"),
         R"(report "R", band "detail", element 1)", R"(there is no font "heading" in "fonts")"},
        {"an element past the right margin",
         project(R"({ "type": "text", "x": 7, "width": 1, "text": "x" })"),
         R"(report "R", band "detail", element 1)",
         "it reaches past the right margin: x + width is 8 in, the space between the margins 7.5 in"},
        {"a colour by name", project(R"({ "type": "rule", "x": 0, "width": 1, "color": "red" })"),
         R"(report "R", band "detail", element 1)", R"("color" must be a colour such as "#336699")"},
        {"both text and lines",
         project(R"({ "type": "text", "x": 0, "width": 1, "text": "x", "lines": ["y"] })"),
         R"(report "R", band "detail", element 1)", R"(a text element has either "text" or "lines")"},
        {"no type", project(R"({ "x": 0, "width": 1, "text": "x" })"),
         R"(report "R", band "detail", element 1)", R"("type" is missing: "text", "rule" or "box")"},
        {"an unknown alignment",
         project(R"({ "type": "text", "x": 0, "width": 1, "align": "middle", "text": "x" })"),
         R"(report "R", band "detail", element 1)", R"("align" must be one of "left", "center", "right")"},
        {"a negative length", project(R"({ "type": "box", "x": -1, "width": 1, "height": 1 })"),
         R"(report "R", band "detail", element 1)", R"("x" must be at least 0)"},
        {"a stripe outside the detail band",
         QByteArray(project(text))
             .replace(R"("detail": {)", R"("summary": { "stripe": "#eeeeee" }, "detail": {)"),
         R"(report "R", band "summary")", R"(unknown key "stripe")"},
        {"bands taller than the page", project(text, {}, R"(, "paddingBottom": 0, "height": 11)"),
         R"(report "R")",
         "its bands are 11 in tall together, more than the 10 in between the top and bottom margins"},
        {"no detail band", QByteArray(project(text)).replace(R"("detail")", R"("summary")"), R"(report "R")",
         R"("detail" is missing: the band printed once per record)"},
        {"no report", R"({ "version": 1, "fonts": { "body": { "family": "Arial" } }, "reports": { } })", "",
         R"("reports" holds no report)"},
        {"reports as a list", R"({ "version": 1, "fonts": { }, "reports": [ ] })", "",
         R"("reports" must be an object { ... })"},
        {"a font without a family", R"({ "version": 1, "fonts": { "body": { "size": 9 } }, "reports": { } })",
         R"(font "body")", R"("family" is missing)"},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("Quill3.rav");
    for (const Invalid& c : cases) {
        write(path, c.json);
        ReportEngine engine;
        const auto error = engine.open(path);
        ASSERT_TRUE(error) << c.name;
        const QString where = *c.where ? QString::fromUtf8(c.where) + ": " : QString();
        EXPECT_EQ(*error, QStringLiteral("The report project \"%1\" is not valid: %2%3.")
                              .arg(path, where, QString::fromUtf8(c.fault)))
            << c.name;
        EXPECT_FALSE(engine.isOpen()) << c.name;
    }
}

TEST(ProjectFile, NotesMayStandAnywhereAndNamesIgnoreCase)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("p.rav");
    write(path, project(R"({ "type": "TEXT", "note": "the zip", "x": 0, "width": 1, "align": "Right",
                            "text": "{FIELD:Zip} {Param:mytime}" })",
                        R"(, "note": "top")", R"(, "note": "band")"));
    ReportEngine engine;
    const auto error = engine.open(path);
    EXPECT_FALSE(error) << error->toStdString();
}

TEST(ProjectFile, LayingOutNeedsAProjectAReportAndTheFieldsItShows)
{
    RowSource data({"zip", "city"}, {{"62704", "Springfield"}});
    ReportEngine engine;
    QString error;
    EXPECT_FALSE(engine.layout("R", data, error));
    EXPECT_EQ(error, "No report project is open.");

    QTemporaryDir dir;
    const QString path = dir.filePath("p.rav");
    write(path, project(R"({ "type": "text", "x": 0, "width": 3, "text": "{field:ZIP} {money:total}" })"));
    ASSERT_FALSE(engine.open(path));
    EXPECT_FALSE(engine.layout("ShortDetail", data, error));
    EXPECT_EQ(error, QStringLiteral("The report project \"%1\" has no report \"ShortDetail\".").arg(path));
    EXPECT_FALSE(engine.layout("R", data, error));
    EXPECT_EQ(error, "The report \"R\" shows the field \"total\", which its data does not have.");

    RowSource complete({"zip", "total"}, {{"62704", "4.64"}});
    error.clear();
    auto doc = engine.layout("R", complete, error);
    ASSERT_TRUE(doc) << error.toStdString();
    EXPECT_EQ(doc->reportName(), "R");
}

} // namespace
