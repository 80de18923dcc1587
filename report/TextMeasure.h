#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QString>

#include <array>

namespace quill::report {

/// Fonts of a report are sized in pixels of this many to the point (1440 dots per inch), and
/// painted through a transform to the device: the advances of their characters, rounded by the
/// font engine to its pixel size, are then the same on every device, and fine enough for any.
constexpr int UnitsPerPoint = 20;

/// Measures text of one font in points, as it is painted on a device of any resolution. The
/// font must be sized in pixels of UnitsPerPoint to the point, and have kerning off: a line is
/// then as wide as the sum of its characters, and each character is measured once (a report
/// measures hundreds of thousands of short lines).
class TextMeasure
{
public:
    explicit TextMeasure(const QFont& font);

    double ascent() const { return m_ascent; }
    /// The distance from one line's top to the next.
    double lineHeight() const { return m_lineHeight; }
    double width(QStringView text) const;
    /// The text cut at the end with "…" so it is at most `width` wide; unchanged when it fits.
    QString elided(const QString& text, double width) const;

private:
    double advance(char32_t c) const;

    QFontMetricsF m_metrics;
    double m_ascent, m_lineHeight;
    mutable std::array<float, 256> m_latin; // negative until measured
    mutable QHash<char32_t, double> m_other;
};

} // namespace quill::report
