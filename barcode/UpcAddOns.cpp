#include "UpcEan.h"
#include "UpcEanTables.h"

namespace quill::barcode {

namespace {
// Parity of the five digits by the add-on checksum (ISO/IEC 15420 annex): E = even (set B),
// O = odd (set A).
constexpr std::array<std::string_view, 10> FiveParity{"EEOOO", "EOEOO", "EOOEO", "EOOOE", "OEEOO",
                                                      "OOEEO", "OOOEE", "OEOEO", "OEOOE", "OOEOE"};
} // namespace

Modules Upc2Modules(std::string_view text)
{
    const std::string d = PadZeros(text, 2);
    const int v = (d[0] - '0') * 10 + (d[1] - '0');
    Modules out;
    out.reserve(20);
    AppendBits(out, "1011");
    AppendUpcDigit(out, d[0], v % 4 >= 2 ? 'B' : 'A');
    AppendBits(out, "01");
    AppendUpcDigit(out, d[1], v % 2 == 1 ? 'B' : 'A');
    return out;
}

Modules Upc5Modules(std::string_view text)
{
    const std::string d = PadZeros(text, 5);
    auto at = [&](std::size_t i) { return d[i] - '0'; };
    const int checksum = (3 * (at(0) + at(2) + at(4)) + 9 * (at(1) + at(3))) % 10;
    const std::string_view parity = FiveParity[static_cast<std::size_t>(checksum)];
    Modules out;
    out.reserve(47);
    AppendBits(out, "1011");
    for (std::size_t i = 0; i < 5; ++i) {
        if (i > 0)
            AppendBits(out, "01");
        AppendUpcDigit(out, d[i], parity[i] == 'E' ? 'B' : 'A');
    }
    return out;
}

} // namespace quill::barcode
