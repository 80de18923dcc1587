#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace quill::report {

/// The amount a money text holds, in cents: blanks around it, an optional sign, digits with
/// at most one decimal point ("     4.64", "12", ".5"). Digits past the cents are rounded half
/// away from zero. Nothing when the text is blank or is not such an amount.
std::optional<qint64> ParseCents(QStringView text);

/// An amount for people: digits grouped by thousands, two decimals ("1,234.56", "-0.50").
QString FormatCents(qint64 cents);

/// A count grouped by thousands ("10,000").
QString FormatCount(qint64 count);

/// A stored date "YYYYMMDD" as "MM/DD/YYYY"; any other text is returned as it is.
QString FormatDate(QStringView stored);

} // namespace quill::report
