#include "report/TableDataSource.h"

#include "tables/TzDbf.h"

namespace quill::report {

TableDataSource::TableDataSource(quill::tables::TTzDbf& table) : m_table(table) {}

int TableDataSource::fieldIndex(const QString& name) const
{
    const quill::tables::DbfField* f = m_table.FindField(name.toStdString());
    if (!f)
        return -1;
    for (std::size_t i = 0; i < m_names.size(); ++i)
        if (m_names[i] == f->name)
            return static_cast<int>(i);
    m_names.push_back(f->name);
    return static_cast<int>(m_names.size() - 1);
}

bool TableDataSource::first()
{
    m_table.First();
    return !m_table.Eof();
}

bool TableDataSource::next()
{
    m_table.Next();
    return !m_table.Eof();
}

QString TableDataSource::text(int index) const
{
    const std::string value = m_table.GetFieldText(m_names[static_cast<std::size_t>(index)]);
    std::size_t end = value.size();
    while (end > 0 && value[end - 1] == ' ')
        --end;
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(end));
}

} // namespace quill::report
