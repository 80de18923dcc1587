#include "report/ReportEngine.h"

#include "report/DataSource.h"
#include "report/ProjectFile.h"

namespace quill::report {

using namespace detail;

ReportEngine::ReportEngine() = default;
ReportEngine::~ReportEngine() = default;

std::optional<QString> ReportEngine::open(const QString& path)
{
    close();
    auto read = ReadProjectFile(path);
    if (auto* error = std::get_if<QString>(&read))
        return *error;
    m_project = std::make_unique<Project>(std::move(std::get<Project>(read)));
    m_path = path;
    m_parameters = m_project->parameters;
    return std::nullopt;
}

void ReportEngine::close()
{
    m_project.reset();
    m_path.clear();
    m_parameters.clear();
}

bool ReportEngine::isOpen() const
{
    return m_project != nullptr;
}

QStringList ReportEngine::reportNames() const
{
    QStringList names;
    if (m_project)
        for (const auto& [name, report] : m_project->reports)
            names << name;
    return names;
}

void ReportEngine::setParameter(const QString& name, const QString& value)
{
    m_parameters[name.toLower()] = value;
}

QString ReportEngine::parameter(const QString& name) const
{
    const auto it = m_parameters.find(name.toLower());
    return it == m_parameters.end() ? QString() : it->second;
}

std::unique_ptr<ReportDocument> ReportEngine::layout(const QString& name, DataSource& data,
                                                     QString& error) const
{
    if (!m_project) {
        error = QStringLiteral("No report project is open.");
        return nullptr;
    }
    const auto it = m_project->reports.find(name);
    if (it == m_project->reports.end()) {
        error = QStringLiteral("The report project \"%1\" has no report \"%2\".").arg(m_path, name);
        return nullptr;
    }
    const ReportDefinition& def = *it->second;
    std::vector<int> fields;
    for (const QString& field : def.bindings.fields) {
        const int index = data.fieldIndex(field);
        if (index < 0) {
            error = QStringLiteral("The report \"%1\" shows the field \"%2\", which its data does not have.")
                        .arg(name, field);
            return nullptr;
        }
        fields.push_back(index);
    }
    std::vector<QString> params;
    for (const QString& p : def.bindings.params)
        params.push_back(parameter(p));
    return std::unique_ptr<ReportDocument>(
        new ReportDocument(it->second, data, std::move(fields), std::move(params)));
}

} // namespace quill::report
