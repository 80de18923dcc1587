#pragma once

#include "report/DataSource.h"

#include <string>
#include <vector>

namespace quill::tables {
class TTzDbf;
}

namespace quill::report {

/// The records of an open dBase table, in the table's current order: physical, or the order of
/// the index its last IndexOnOne built. Deleted records come too unless the table hides them.
/// The table must stay open, and nobody else may move it, until the report is laid out.
/// Table errors (quill::tables::TableError) pass through to whoever asked for the pages.
class TableDataSource : public DataSource
{
public:
    explicit TableDataSource(quill::tables::TTzDbf& table);

    int fieldIndex(const QString& name) const override;
    bool first() override;
    bool next() override;
    /// The field's text without its trailing blanks; dates as "YYYYMMDD".
    QString text(int index) const override;

private:
    quill::tables::TTzDbf& m_table;
    // The names of the fields bound so far, as the table spells them, by index.
    mutable std::vector<std::string> m_names;
};

} // namespace quill::report
