#include "UpcEan.h"
#include "UpcEanTables.h"

namespace quill::barcode {

char UpcEanCheckDigit(std::string_view digits)
{
    int sum = 0;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i)
        sum += (digits[n - 1 - i] - '0') * (i % 2 == 0 ? 3 : 1);
    const int last = sum % 10;
    return last == 0 ? '0' : static_cast<char>('0' + 10 - last);
}

std::string UpcADigits(std::string_view text)
{
    std::string d = PadZeros(text, 11);
    return d + UpcEanCheckDigit(d);
}

Modules UpcAModules(std::string_view text)
{
    const std::string d = UpcADigits(text);
    Modules out;
    out.reserve(95);
    AppendBits(out, "101");
    for (int i = 0; i < 6; ++i)
        AppendUpcDigit(out, d[static_cast<std::size_t>(i)], 'A');
    AppendBits(out, "01010");
    for (int i = 6; i < 12; ++i)
        AppendUpcDigit(out, d[static_cast<std::size_t>(i)], 'C');
    AppendBits(out, "101");
    return out;
}

} // namespace quill::barcode
