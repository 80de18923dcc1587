#pragma once

// The report engine: report project files with their reports, laid out over a data source and
// painted on any QPainter device. Needs a QGuiApplication (fonts).
//
//     ReportEngine engine;
//     if (auto error = engine.open(programFolder + "Quill3.rav"))
//         return show(*error);                       // names the file
//     engine.setParameter("MyTime", "Date Printed: " + now);
//     TableDataSource data(reportLog);                // the log in its chosen order
//     QString error;
//     auto document = engine.layout("FullDetail", data, error);
//     document->paintPage(0, painter);                // page 1 at once; the rest as asked for
//     engine.close();                                 // the document stays usable

#include "report/ReportDocument.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>

namespace quill::report {

class DataSource;
namespace detail {
struct Project;
}

/// An open report project: its reports and the values of its parameters.
class ReportEngine
{
public:
    ReportEngine();
    ~ReportEngine();
    ReportEngine(const ReportEngine&) = delete;
    ReportEngine& operator=(const ReportEngine&) = delete;

    /// Reads the project file at `path` (closing the project open before), with its parameters at
    /// the values the file declares. When the file is missing or is not a valid project, the
    /// engine stays closed and the message names the file and says what is wrong.
    [[nodiscard]] std::optional<QString> open(const QString& path);
    /// Forgets the project and its parameters. Documents laid out from it stay usable.
    void close();
    bool isOpen() const;
    /// The path given to the last successful open; empty when closed.
    const QString& projectFile() const { return m_path; }
    /// The names of the project's reports, sorted.
    QStringList reportNames() const;

    /// Sets the parameter `name` (compared without regard to case) to `value` until the project
    /// is closed. Documents laid out before keep the values they started with.
    void setParameter(const QString& name, const QString& value);
    /// The parameter's value; empty when the project does not declare it.
    QString parameter(const QString& name) const;

    /// Starts the report `name` over `data`; no page is laid out yet. Null, with `error` set,
    /// when no project is open, it has no such report, or the data lacks a field the report
    /// shows.
    [[nodiscard]] std::unique_ptr<ReportDocument> layout(const QString& name, DataSource& data,
                                                         QString& error) const;

private:
    std::unique_ptr<detail::Project> m_project;
    QString m_path;
    std::map<QString, QString> m_parameters; // by lower-case name
};

} // namespace quill::report
