#include "tables/FieldValue.h"

#include "tables/TableError.h"
#include "tables/Text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace quill::tables {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Days since 4713 BC of a Gregorian date.
double julianDay(int y, int m, int d)
{
    const int a = (14 - m) / 12;
    const int yy = y + 4800 - a;
    const int mm = m + 12 * a - 3;
    return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}

[[noreturn]] void notANumber(std::string_view t)
{
    throw DatasetError("'" + std::string(t) + "' is not a valid floating point value");
}

} // namespace

std::string FormatNumber(std::string_view text, int length, int decimals)
{
    const std::string t = Trim(text);
    const auto width = static_cast<std::size_t>(std::max(length, 0));
    if (t.empty())
        return std::string(width, ' ');

    // [sign] digits [. digits] [e [sign] digits], read as its digits and the place of the point.
    std::size_t i = 0;
    bool negative = false;
    if (t[i] == '+' || t[i] == '-')
        negative = t[i++] == '-';
    std::string digits;
    long point = 0;
    bool any = false;
    for (; i < t.size() && isDigit(t[i]); ++i, ++point, any = true)
        digits += t[i];
    if (i < t.size() && t[i] == '.')
        for (++i; i < t.size() && isDigit(t[i]); ++i, any = true)
            digits += t[i];
    if (!any)
        notANumber(t);
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        bool down = false;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            down = t[i++] == '-';
        if (i == t.size() || !isDigit(t[i]))
            notANumber(t);
        long exponent = 0;
        for (; i < t.size() && isDigit(t[i]); ++i)
            exponent = std::min<long>(exponent * 10 + (t[i] - '0'), 100000);
        point += down ? -exponent : exponent;
    }
    if (i != t.size())
        notANumber(t);

    // Leading zeros say nothing; with none left the number is zero.
    const std::size_t lead = std::min(digits.find_first_not_of('0'), digits.size());
    digits.erase(0, lead);
    point -= static_cast<long>(lead);
    const std::string stars(width, '*');
    if (digits.empty()) {
        point = 0;
    } else if (point > 20) {
        return stars; // more whole digits than any numeric field holds
    }

    // The number times 10^decimals, rounded half away from zero, as a digit string.
    const long scaled = point + decimals;
    std::string n;
    if (scaled > 0) {
        n = digits.substr(0,
                          static_cast<std::size_t>(std::min<long>(scaled, static_cast<long>(digits.size()))));
        n.append(static_cast<std::size_t>(std::max<long>(0, scaled - static_cast<long>(digits.size()))), '0');
        if (scaled < static_cast<long>(digits.size()) && digits[static_cast<std::size_t>(scaled)] >= '5') {
            std::size_t k = n.size();
            while (k > 0 && n[k - 1] == '9')
                n[--k] = '0';
            if (k == 0)
                n.insert(n.begin(), '1');
            else
                ++n[k - 1];
        }
    } else if (scaled == 0 && !digits.empty() && digits[0] >= '5') {
        n = "1";
    }
    n.erase(0, std::min(n.find_first_not_of('0'), n.size()));
    const auto places = static_cast<std::size_t>(std::max(decimals, 0));
    if (n.size() <= places)
        n.insert(0, places + 1 - n.size(), '0');
    std::string out = negative && n.find_first_not_of('0') != std::string::npos ? "-" : "";
    out += n.substr(0, n.size() - places);
    if (places > 0)
        out += "." + n.substr(n.size() - places);
    if (out.size() > width)
        return stars;
    return std::string(width - out.size(), ' ') + out;
}

std::string DateDigits(std::string_view text)
{
    std::string t(text.substr(0, 10));
    while (!t.empty() && t.back() == ' ')
        t.pop_back();
    if (std::all_of(t.begin(), t.end(), [](char c) { return c == ' ' || c == '/'; }))
        return std::string(8, ' '); // empty, or the empty-date pattern "  /  /    "
    auto invalid = [&] { return DatasetError("'" + t + "' is not a valid date"); };
    int y = 0, m = 0, d = 0;
    char tail = 0;
    auto number = [&](std::size_t at, std::size_t n) {
        int v = 0;
        for (std::size_t i = at; i < at + n; ++i)
            v = v * 10 + (t[i] - '0');
        return v;
    };
    if (t.size() == 8 && std::all_of(t.begin(), t.end(), isDigit)) {
        y = number(0, 4);
        m = number(4, 2);
        d = number(6, 2);
    } else if (t.size() == 10 && t[2] == '/' && t[5] == '/' &&
               std::all_of(t.begin(), t.end(), [](char c) { return c == '/' || isDigit(c); })) {
        m = number(0, 2); // the short date form the program writes: MM/DD/YYYY
        d = number(3, 2);
        y = number(6, 4);
    } else if (std::sscanf(t.c_str(), "%d/%d/%d%c", &m, &d, &y, &tail) == 3) {
        // month/day/year with shorter parts
    } else if (std::sscanf(t.c_str(), "%d-%d-%d%c", &y, &m, &d, &tail) != 3) {
        throw invalid();
    }
    if (y >= 0 && y < 100 && t.find('/') != std::string::npos)
        y += y < 50 ? 2000 : 1900;
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31)
        throw invalid();
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04d%02d%02d", y, m, d);
    return digits;
}

bool IsNullValue(char type, std::string_view raw)
{
    const std::string t = Trim(raw);
    if (t.empty())
        return true;
    switch (type) {
    case 'N':
    case 'F':
        return t.find_first_not_of('*') == std::string::npos;
    case 'D':
        return t.find_first_not_of('0') == std::string::npos;
    case 'L':
        return t == "?";
    default:
        return false;
    }
}

uint32_t MemoBlockOf(std::string_view raw)
{
    const std::string t = Trim(raw);
    if (t.empty() || !std::all_of(t.begin(), t.end(), isDigit))
        return 0;
    uint64_t block = 0;
    for (char c : t)
        block = std::min<uint64_t>(block * 10 + static_cast<uint64_t>(c - '0'), 0xFFFFFFFFu);
    return static_cast<uint32_t>(block);
}

std::string MemoBlockField(uint32_t block, int length)
{
    std::string t = block == 0 ? std::string() : std::to_string(block);
    const auto width = static_cast<std::size_t>(length);
    if (t.size() > width)
        t.erase(0, t.size() - width);
    return std::string(width - t.size(), ' ') + t;
}

double DateKey(std::string_view raw)
{
    if (IsNullValue('D', raw) || raw.size() < 8 || !std::all_of(raw.begin(), raw.begin() + 8, isDigit))
        return 0;
    const std::string s(raw.substr(0, 8));
    const int y = std::stoi(s.substr(0, 4)), m = std::stoi(s.substr(4, 2)), d = std::stoi(s.substr(6, 2));
    return m >= 1 && m <= 12 ? julianDay(y, m, d) : 0;
}

double NumberKey(std::string_view raw)
{
    if (IsNullValue('N', raw))
        return 0;
    return std::strtod(Trim(raw).c_str(), nullptr);
}

} // namespace quill::tables
