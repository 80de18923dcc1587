#include "UpcEan.h"
#include "UpcEanTables.h"

namespace quill::barcode {

std::string Ean8Digits(std::string_view text)
{
    std::string d = PadZeros(text, 7);
    return d + UpcEanCheckDigit(d);
}

Modules Ean8Modules(std::string_view text)
{
    const std::string d = Ean8Digits(text);
    Modules out;
    out.reserve(67);
    AppendBits(out, "101");
    for (std::size_t i = 0; i < 4; ++i)
        AppendUpcDigit(out, d[i], 'A');
    AppendBits(out, "01010");
    for (std::size_t i = 4; i < 8; ++i)
        AppendUpcDigit(out, d[i], 'C');
    AppendBits(out, "101");
    return out;
}

} // namespace quill::barcode
