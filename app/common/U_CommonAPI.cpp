#include "U_CommonAPI.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <regex>

namespace quill {

namespace {

// The paste parse counts characters, not bytes, so that a city such as "Montréal" keeps its
// letters whole.
std::u32string toUtf32(std::string_view s)
{
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        auto b = static_cast<unsigned char>(s[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 0x6 ? 1 : (b >> 4) == 0xE ? 2 : (b >> 3) == 0x1E ? 3 : -1;
        char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < s.size() + (extra == 0 ? 1 : 0);
        for (int k = 1; ok && k <= extra; ++k) {
            auto cont = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((cont >> 6) != 0x2)
                ok = false;
            else
                c = (c << 6) | (cont & 0x3F);
        }
        if (!ok) {
            out.push_back(U'\uFFFD');
            ++i;
        } else {
            out.push_back(c);
            i += static_cast<std::size_t>(extra) + 1;
        }
    }
    return out;
}

std::string toUtf8(std::u32string_view s)
{
    std::string out;
    for (char32_t c : s) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// Copy with 1-based positions: a start before the first character starts at the first one,
// a start past the end gives nothing, a count past the end stops at the end.
std::u32string copy1(const std::u32string& s, long index, long count)
{
    if (index < 1)
        index = 1;
    if (count <= 0 || index > static_cast<long>(s.size()))
        return {};
    return s.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count));
}

} // namespace

std::string_view TrimBlanksView(std::string_view text)
{
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return text.substr(b, e - b);
}

std::string WithoutDashes(std::string_view text)
{
    std::string out;
    for (char c : text)
        if (c != '-')
            out += c;
    return out;
}

std::string TrimBlanks(std::string_view text)
{
    return std::string(TrimBlanksView(text));
}

bool IsBlank(std::string_view text)
{
    return TrimBlanksView(text).empty();
}

namespace {

// "%.15g" rounds to 15 significant digits but switches to an exponent below 1e-4 and from
// 1e15 on; money text never holds one, so such a result is written out in plain digits.
std::string plainDigits(double amount)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", amount);
    const std::string g = buf;
    const std::size_t e = g.find('e');
    if (e == std::string::npos)
        return g; // plain already, or inf / nan
    const bool negative = g.front() == '-';
    std::string digits; // the significant digits, without the point
    for (std::size_t i = negative ? 1 : 0; i < e; ++i)
        if (g[i] != '.')
            digits += g[i];
    // The point stands after the first significant digit, moved by the exponent.
    const long point = 1 + std::strtol(g.c_str() + e + 1, nullptr, 10);
    const long count = static_cast<long>(digits.size());
    std::string out;
    if (point <= 0)
        out = "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
    else if (point >= count)
        out = digits + std::string(static_cast<std::size_t>(point - count), '0');
    else
        out = digits.substr(0, static_cast<std::size_t>(point)) + "." +
              digits.substr(static_cast<std::size_t>(point));
    return negative ? "-" + out : out;
}

} // namespace

std::string FormatMoney(double amount)
{
    int blanks = amount < 10       ? 10
                 : amount < 100    ? 8
                 : amount < 1000   ? 6
                 : amount < 10000  ? 5
                 : amount < 100000 ? 3
                                   : 1;
    std::string digits = plainDigits(amount);
    if (digits.find('.') == std::string::npos)
        digits += ".00";
    else if (digits.size() == 3)
        digits += "0";
    return std::string(static_cast<std::size_t>(blanks), ' ') + digits;
}

std::optional<double> ParseAmount(std::string_view text)
{
    static const std::regex number(R"([+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)");
    std::string t(TrimBlanksView(text));
    if (t.empty() || !std::regex_match(t, number))
        return std::nullopt;
    // strtod honours the C locale of this process, whose decimal separator is the point.
    double v = std::strtod(t.c_str(), nullptr);
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

double SumFees(const std::vector<std::string>& texts)
{
    double total = 0;
    for (const std::string& t : texts)
        if (auto v = ParseAmount(t))
            total += *v;
    return total;
}

std::string NormalizedFeeText(std::string_view text)
{
    auto v = ParseAmount(text);
    if (v && *v > 0)
        return FormatMoney(*v);
    return " ";
}

std::string TrimZip(std::string_view text)
{
    std::string t = TrimBlanks(text);
    if (t == "-")
        return {};
    std::size_t dash = t.find('-');
    if (dash != std::string::npos && dash + 1 == t.size())
        return t.substr(0, dash);
    if (!t.empty() && t.front() == '-')
        return TrimBlanks(std::string_view(t).substr(1));
    return t;
}

std::string CityLine(std::string_view city, std::string_view state, std::string_view zip)
{
    return std::string(city) + " " + std::string(state) + " " + std::string(zip);
}

std::array<std::string, 5> PlaceCityLine(const std::array<std::string, 4>& lines, const std::string& cityLine)
{
    std::array<std::string, 5> out{lines[0], lines[1], lines[2], lines[3], cityLine};
    for (std::size_t i = 0; i < 4; ++i) {
        if (IsBlank(out[i])) {
            out[i] = cityLine;
            out[4].clear();
            break;
        }
    }
    return out;
}

std::vector<std::string> SplitPasteLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i + 1 < text.size()) {
        char a = text[i], b = text[i + 1];
        if ((a == '\r' && b == '\n') || (a == '\n' && b == '\r')) {
            lines.emplace_back(text.substr(start, i - start));
            i += 2;
            start = i;
        } else {
            ++i;
        }
    }
    return lines;
}

std::optional<PastedAddress> ParsePastedAddress(std::string_view clipboard)
{
    if (clipboard.empty())
        return std::nullopt;
    std::string text(clipboard);
    // Text copied on this platform breaks lines with a bare line feed; give such text the
    // pairs the line split looks for.
    if (text.find('\r') == std::string::npos) {
        std::string withPairs;
        for (char c : text) {
            if (c == '\n')
                withPairs += "\r\n";
            else
                withPairs += c;
        }
        text = std::move(withPairs);
    }
    if (text.back() != '\n' && text.back() != '\r')
        text += "\r\n";
    std::vector<std::string> lines = SplitPasteLines(text);

    PastedAddress out;
    if (lines.empty())
        return out;

    const std::u32string line = toUtf32(lines.back());
    const long len = static_cast<long>(line.size());
    std::u32string zip;
    std::size_t dash = line.find(U'-');
    if (dash != std::u32string::npos)
        zip = copy1(line, static_cast<long>(dash) + 1 - 5, 10);
    else
        zip = copy1(line, len - 4, 5);
    long p = len - static_cast<long>(zip.size());
    auto at = [&](long pos) { return line[static_cast<std::size_t>(pos - 1)]; };
    while (p > 1 && at(p) == U' ')
        --p;
    std::u32string state = p >= 1 ? copy1(line, p - 1, p >= 2 ? 2 : 1) : std::u32string();
    p -= 2;
    while (p > 1 && (at(p) == U' ' || at(p) == U','))
        --p;
    std::u32string city = p >= 1 ? line.substr(0, static_cast<std::size_t>(p)) : std::u32string();
    out.city = toUtf8(city);
    out.state = toUtf8(state);
    out.zip = toUtf8(zip);

    const std::size_t n = lines.size();
    const std::size_t written = std::min<std::size_t>(n - 1, 4);
    for (std::size_t k = 0; k < written; ++k) {
        out.memoText += lines[k];
        if (k < 3)
            out.memoText += "\n";
    }
    out.hasLines = written > 0;
    return out;
}

} // namespace quill
