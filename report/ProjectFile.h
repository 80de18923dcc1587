#pragma once

// Reading a report project file (JSON, described in docs/report-project.md) into the
// definitions the engine lays out. Internal to the engine.

#include "report/ReportDefinition.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <memory>
#include <utility>
#include <variant>
#include <vector>

namespace quill::report::detail {

struct Project
{
    std::map<QString, std::shared_ptr<const ReportDefinition>> reports;
    /// Declared parameters with their values until the program sets them, by lower-case name.
    std::map<QString, QString> parameters;
};

/// The project in the file at `path`, or a message naming the file and saying what is wrong.
std::variant<Project, QString> ReadProjectFile(const QString& path);

/// The project in `json`; `path` names it in messages.
std::variant<Project, QString> ParseProject(const QByteArray& json, const QString& path);

} // namespace quill::report::detail
