#include "tables/AddressTable.h"

namespace quill::tables {

namespace {

std::string withoutTrailingBlanks(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.pop_back();
    return s;
}

} // namespace

std::optional<std::string> MissingAddressField(const TTzDbf& table)
{
    for (const char* name : AddressFieldNames)
        if (!table.FindField(name))
            return std::string(name);
    return std::nullopt;
}

int AddressFieldWidth(const TTzDbf& table, const char* name)
{
    const DbfField* f = table.FindField(name);
    return f ? f->length : 0;
}

AddressRecord ReadAddress(TTzDbf& table)
{
    AddressRecord r;
    const DbfField* address = table.FindField(AddressFieldNames[0]);
    if (address && address->type == 'M') {
        r.lines = table.GetMField(AddressFieldNames[0]);
    } else if (address) {
        std::string line = withoutTrailingBlanks(table.GetFieldText(AddressFieldNames[0]));
        if (!line.empty())
            r.lines.push_back(std::move(line));
    }
    r.city = withoutTrailingBlanks(table.GetFieldText(AddressFieldNames[1]));
    r.state = withoutTrailingBlanks(table.GetFieldText(AddressFieldNames[2]));
    r.zip = withoutTrailingBlanks(table.GetFieldText(AddressFieldNames[3]));
    return r;
}

void WriteAddress(TTzDbf& table, const AddressRecord& record, const AddressRecord* before)
{
    const DbfField* address = table.FindField(AddressFieldNames[0]);
    if (address && (!before || record.lines != before->lines)) {
        if (address->type == 'M') {
            table.SetMField(AddressFieldNames[0], record.lines);
        } else {
            std::string joined;
            for (const std::string& line : record.lines)
                joined += (joined.empty() ? "" : " ") + line;
            table.SetFieldText(AddressFieldNames[0], joined);
        }
    }
    if (!before || record.city != before->city)
        table.SetFieldText(AddressFieldNames[1], record.city);
    if (!before || record.state != before->state)
        table.SetFieldText(AddressFieldNames[2], record.state);
    if (!before || record.zip != before->zip)
        table.SetFieldText(AddressFieldNames[3], record.zip);
}

} // namespace quill::tables
