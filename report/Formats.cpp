#include "report/Formats.h"

#include <limits>

namespace quill::report {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Groups the decimal digits of a non-negative number by thousands.
QString grouped(qint64 n)
{
    const QString digits = QString::number(n);
    QString out;
    out.reserve(digits.size() + digits.size() / 3);
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += u',';
        out += digits[i];
    }
    return out;
}

} // namespace

std::optional<qint64> ParseCents(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool negative = false;
    if (text.front() == u'+' || text.front() == u'-') {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    // Whole units, then up to three decimals: the third decides the rounding of the cents.
    constexpr qint64 limit = std::numeric_limits<qint64>::max() / 1000 - 1;
    qint64 units = 0;
    int decimals = 0;
    qint64 fraction = 0; // thousandths
    bool point = false, digits = false;
    for (QChar c : text) {
        if (c == u'.' && !point) {
            point = true;
        } else if (isDigit(c)) {
            digits = true;
            const int d = c.unicode() - u'0';
            if (!point) {
                if (units > limit / 10)
                    return std::nullopt;
                units = units * 10 + d;
            } else if (decimals < 3) {
                fraction = fraction * 10 + d;
                ++decimals;
            }
        } else {
            return std::nullopt;
        }
    }
    if (!digits)
        return std::nullopt;
    for (; decimals < 3; ++decimals)
        fraction *= 10;
    const qint64 cents = units * 100 + (fraction + 5) / 10;
    return negative ? -cents : cents;
}

QString FormatCents(qint64 cents)
{
    const bool negative = cents < 0;
    const qint64 magnitude = negative ? -cents : cents;
    QString text = grouped(magnitude / 100) + u'.' + QString::number(magnitude % 100).rightJustified(2, u'0');
    return negative ? u'-' + text : text;
}

QString FormatCount(qint64 count)
{
    return count < 0 ? u'-' + grouped(-count) : grouped(count);
}

QString FormatDate(QStringView stored)
{
    if (stored.size() != 8)
        return stored.toString();
    for (QChar c : stored)
        if (!isDigit(c))
            return stored.toString();
    return stored.mid(4, 2).toString() + u'/' + stored.mid(6, 2).toString() + u'/' +
           stored.mid(0, 4).toString();
}

} // namespace quill::report
