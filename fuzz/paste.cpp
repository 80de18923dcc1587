// The clipboard paste: the text split into lines at CR LF and LF CR, and parsed into the memo's
// lines and a city line of city, state and ZIP.

#include "FuzzCheck.h"

#include "U_CommonAPI.h"

#include <algorithm>

using namespace quill;

namespace {

std::size_t codePoints(std::string_view utf8)
{
    return static_cast<std::size_t>(std::count_if(
        utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t total = 0;
    for (const std::string& line : SplitPasteLines(text)) {
        // A line never holds the pair that ends one.
        QUILL_FUZZ_CHECK(line.find("\r\n") == std::string::npos && line.find("\n\r") == std::string::npos);
        total += line.size() + 2;
    }
    QUILL_FUZZ_CHECK(total <= text.size());

    const auto pasted = ParsePastedAddress(text);
    QUILL_FUZZ_CHECK(pasted.has_value() == !text.empty());
    if (!pasted)
        return 0;
    QUILL_FUZZ_CHECK(codePoints(pasted->zip) <= 10 && codePoints(pasted->state) <= 2);
    QUILL_FUZZ_CHECK(pasted->hasLines || pasted->memoText.empty());
    return 0;
}
