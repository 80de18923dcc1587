#include "UpcEan.h"
#include "UpcEanTables.h"

namespace quill::barcode {

namespace {
// Code sets of digits 2-7 chosen by the first digit (ISO/IEC 15420 table 3).
constexpr std::array<std::string_view, 10> FirstDigitSets{"AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
                                                          "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};
} // namespace

std::string Ean13Digits(std::string_view text)
{
    std::string d = PadZeros(text, 12);
    return d + UpcEanCheckDigit(d);
}

Modules Ean13Modules(std::string_view text)
{
    const std::string d = Ean13Digits(text);
    const std::string_view sets = FirstDigitSets[static_cast<std::size_t>(d[0] - '0')];
    Modules out;
    out.reserve(95);
    AppendBits(out, "101");
    for (std::size_t i = 1; i <= 6; ++i)
        AppendUpcDigit(out, d[i], sets[i - 1]);
    AppendBits(out, "01010");
    for (std::size_t i = 7; i <= 12; ++i)
        AppendUpcDigit(out, d[i], 'C');
    AppendBits(out, "101");
    return out;
}

} // namespace quill::barcode
