#include "UpcEan.h"
#include "UpcEanTables.h"

namespace quill::barcode {

namespace {
// Parity of the six digits by the check digit, number system 0 (ISO/IEC 15420 table 5):
// E = even (code set B), O = odd (code set A).
constexpr std::array<std::string_view, 10> Parity{"EEEOOO", "EEOEOO", "EEOOEO", "EEOOOE", "EOEEOO",
                                                  "EOOEEO", "EOOOEE", "EOEOEO", "EOEOOE", "EOOEOE"};
} // namespace

std::string UpcEExpansion(std::string_view six)
{
    const std::string d = PadZeros(six, 6);
    const char d1 = d[0], d2 = d[1], d3 = d[2], d4 = d[3], d5 = d[4], d6 = d[5];
    switch (d6) {
    case '0':
    case '1':
    case '2':
        return std::string{'0', d1, d2, d6, '0', '0', '0', '0', d3, d4, d5};
    case '3':
        return std::string{'0', d1, d2, d3, '0', '0', '0', '0', '0', d4, d5};
    case '4':
        return std::string{'0', d1, d2, d3, d4, '0', '0', '0', '0', '0', d5};
    default:
        return std::string{'0', d1, d2, d3, d4, d5, '0', '0', '0', '0', d6};
    }
}

std::string UpcEDigits(std::string_view text)
{
    const std::string d = PadZeros(text, 6);
    return d + UpcEanCheckDigit(UpcEExpansion(d));
}

Modules UpcEModules(std::string_view text)
{
    const std::string d = UpcEDigits(text);
    const std::string_view parity = Parity[static_cast<std::size_t>(d[6] - '0')];
    Modules out;
    out.reserve(51);
    AppendBits(out, "101");
    for (std::size_t i = 0; i < 6; ++i)
        AppendUpcDigit(out, d[i], parity[i] == 'E' ? 'B' : 'A');
    AppendBits(out, "010101");
    return out;
}

} // namespace quill::barcode
