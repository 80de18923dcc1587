#include "IntegerText.h"

#include <charconv>
#include <cstdint>

namespace quill {

std::optional<int> ParseInteger(std::string_view t)
{
    while (!t.empty() && static_cast<unsigned char>(t.front()) <= ' ')
        t.remove_prefix(1);
    while (!t.empty() && static_cast<unsigned char>(t.back()) <= ' ')
        t.remove_suffix(1);
    bool negative = false;
    if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    int base = 10;
    if (t.size() > 1 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        base = 16;
        t.remove_prefix(2);
    } else if (!t.empty() && t[0] == '$') {
        base = 16;
        t.remove_prefix(1);
    }
    if (t.empty())
        return std::nullopt;
    unsigned long long magnitude = 0;
    auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), magnitude, base);
    if (ec != std::errc() || ptr != t.data() + t.size())
        return std::nullopt;
    long long value = 0;
    if (base == 16) {
        if (magnitude > 0xFFFFFFFFull)
            return std::nullopt;
        value = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
        if (negative)
            value = -value;
    } else {
        if (magnitude > 2147483648ull)
            return std::nullopt;
        value = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    }
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace quill
