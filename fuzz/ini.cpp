// The settings file: the text read as the program reads "quill4.ini", the settings record
// loaded from it, stored back into it and loaded again. A store keeps what the file said, so
// the second load gives the record the first gave.

#include "FuzzCheck.h"

#include "GlobalVariables.h"
#include "IniFile.h"

using namespace quill;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    IniFile ini = IniFile::fromText(text);
    for (const char* key : {"LeftRight", "TopBottom", "Company", "PrintBarCode"}) {
        (void)ini.readInteger("PrintAlign", key, 7);
        (void)ini.readBool("Values", key, true);
        const auto value = ini.value("Type", key);
        QUILL_FUZZ_CHECK(!value || value->size() <= IniFile::MaxValueLength);
    }
    int logoAsked = 0;
    const auto logo = [&] { return ++logoAsked % 2 == 0; };
    const Settings first = LoadSettings(ini, "/program/", logo);
    StoreSettings(first, ini);
    const Settings again = LoadSettings(IniFile::fromText(ini.text()), "/program/", logo);
    // A value with a line break of its own cannot stay on its line; a lone CR inside a line is
    // one, so it is written as a blank.
    bool loneCr = false;
    for (std::size_t i = 0; i < text.size(); ++i)
        loneCr |= text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n');
    if (!loneCr)
        QUILL_FUZZ_CHECK(again == first);
    return 0;
}
