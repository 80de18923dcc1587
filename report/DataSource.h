#pragma once

#include <QString>

namespace quill::report {

/// The records a report is laid out over, in the order they are to be printed. The engine binds
/// the fields its layout names once, then walks the records from the first to the last.
///
/// Texts: trailing blanks may be left on (the engine trims every field), a date is "YYYYMMDD"
/// or empty, an amount is a money text such as "          4.64" or blank.
class DataSource
{
public:
    virtual ~DataSource() = default;

    /// The index of the field called `name` (compared without regard to case), or -1 when
    /// there is none.
    virtual int fieldIndex(const QString& name) const = 0;
    /// Goes to the first record; false when there is none.
    virtual bool first() = 0;
    /// Goes to the next record; false when the last one has been passed.
    virtual bool next() = 0;
    /// The text of field `index` of the current record.
    virtual QString text(int index) const = 0;
};

} // namespace quill::report
