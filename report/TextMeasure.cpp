#include "report/TextMeasure.h"

namespace quill::report {

namespace {

constexpr double PointsPerUnit = 1.0 / UnitsPerPoint;

} // namespace

TextMeasure::TextMeasure(const QFont& font)
    : m_metrics(font), m_ascent(m_metrics.ascent() * PointsPerUnit),
      m_lineHeight(m_metrics.lineSpacing() * PointsPerUnit)
{
    m_latin.fill(-1);
}

double TextMeasure::advance(char32_t c) const
{
    if (c < m_latin.size()) {
        float& a = m_latin[c];
        if (a < 0)
            a = static_cast<float>(m_metrics.horizontalAdvance(QChar(static_cast<char16_t>(c))) *
                                   PointsPerUnit);
        return a;
    }
    auto it = m_other.constFind(c);
    if (it == m_other.cend()) {
        const char32_t one[] = {c};
        it = m_other.insert(c, m_metrics.horizontalAdvance(QString::fromUcs4(one, 1)) * PointsPerUnit);
    }
    return *it;
}

double TextMeasure::width(QStringView text) const
{
    double w = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        w += advance(c);
    }
    return w;
}

QString TextMeasure::elided(const QString& text, double width) const
{
    if (this->width(text) <= width)
        return text;
    static const QString ellipsis(QChar(0x2026));
    const double room = width - this->width(ellipsis);
    double w = 0;
    qsizetype keep = 0;
    while (keep < text.size()) {
        qsizetype next = keep + 1;
        if (text[keep].isHighSurrogate() && next < text.size())
            ++next;
        const double a = this->width(QStringView(text).mid(keep, next - keep));
        if (w + a > room)
            break;
        w += a;
        keep = next;
    }
    // No blank just before the ellipsis: "Lien…", not "Lien …".
    QString out = text.left(keep);
    while (!out.isEmpty() && out.back().isSpace())
        out.chop(1);
    return out + ellipsis;
}

} // namespace quill::report
