#include "tables/AddressText.h"

#include "tables/CodePage.h"
#include "tables/TableError.h"
#include "tables/Text.h"
#include "tables/TzDbf.h"

#include <filesystem>

namespace quill::tables {

namespace {

bool validUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t at = i;
        if (NextUtf8(s, i) == 0xFFFD && !(i - at == 3 && s.substr(at, 3) == "\xEF\xBF\xBD"))
            return false;
    }
    return true;
}

} // namespace

AddressFields SplitAddressLine(std::string_view line)
{
    AddressFields fields;
    if (line.find(',') == std::string_view::npos)
        return fields;
    // The seventh field ends at the end of the line, as if a comma followed it there; the
    // fields before it end at the line's own commas.
    std::string text(line);
    text += ',';
    const std::size_t own = line.size();
    std::size_t pos = 0;
    for (std::size_t k = 0; k < 7; ++k) {
        const std::size_t limit = k == 6 ? text.size() : own; // commas that count for this field
        std::string& field = fields[k];
        if (pos < own && text[pos] == '"') {
            std::size_t i = pos + 1;
            bool closed = false;
            while (i < own) {
                if (text[i] == '"' && i + 1 < own && text[i + 1] == '"') {
                    field += '"'; // a doubled quote stands for one
                    i += 2;
                } else if (text[i] == '"' && i + 1 < limit && text[i + 1] == ',') {
                    closed = true;
                    break;
                } else {
                    field += text[i++];
                }
            }
            if (!closed)
                return {}; // a quoted field that never closes: the line gives one empty record
            pos = i + 2;
        } else {
            const std::size_t comma = text.find(',', pos);
            if (comma >= limit)
                return {};
            field.assign(text, pos, comma - pos);
            pos = comma + 1;
        }
        if (k < 5 && text.find(',', pos) >= own)
            return {}; // fewer than seven fields
    }
    return fields;
}

std::string AddressLine(const AddressFields& fields)
{
    std::string out;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (k > 0)
            out += ',';
        out += '"';
        for (char c : fields[k]) {
            if (c == '"')
                out += '"';
            out += c;
        }
        out += '"';
    }
    return out;
}

std::string TextFileToUtf8(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    if (validUtf8(bytes))
        return std::string(bytes);
    return AnsiToUtf8(bytes);
}

std::vector<std::string_view> TextLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

const std::vector<std::string>& ImportTableFields()
{
    static const std::vector<std::string> fields{"Address,M,10,0", "City,C,20,0", "State,C,4,0",
                                                 "Zip,C,10,0"};
    return fields;
}

std::string ProposedTableName(std::string_view textFile)
{
    const std::string name = std::filesystem::path(textFile).filename().string();
    const std::size_t dot = name.find('.');
    return (dot == std::string::npos ? std::string() : name.substr(0, dot + 1)) + "dbf";
}

std::string ProposedTextName(std::string_view tableFile)
{
    std::string name = std::filesystem::path(tableFile).filename().string();
    std::size_t at = name.find(".dbf");
    if (at == std::string::npos)
        at = name.find(".DBF");
    if (at != std::string::npos)
        name.erase(at, 4);
    return name + ".txt";
}

void ImportAddresses(TTzDbf& table, std::string_view utf8Text)
{
    for (const char* name : {"City", "State", "Zip"})
        if (!table.FindField(name))
            throw DatasetError(std::string("Field '") + name + "' not found");
    for (std::string_view raw : TextLines(utf8Text)) {
        (void)table.ALock(); // held until the table is closed; an append without it is the error
        const AddressFields f = SplitAddressLine(Trim(raw));
        std::vector<std::string> lines;
        for (std::size_t k = 0; k < 4; ++k)
            if (!Trim(f[k]).empty())
                lines.push_back(f[k]);
        // A new record starts blank: fields the text has no place for are not copied along
        // from the record before.
        table.ClearRecord();
        table.SetMField("Address", lines);
        table.SetFieldText("City", f[4]);
        table.SetFieldText("State", f[5]);
        table.SetFieldText("Zip", f[6]);
        table.AppendRec();
    }
}

std::string ExportAddresses(TTzDbf& table)
{
    for (const char* name : {"City", "State", "Zip"})
        if (!table.FindField(name))
            throw DatasetError(std::string("Field '") + name + "' not found");
    std::string out;
    for (table.First(); !table.Eof(); table.Next()) {
        std::vector<std::string> memo = table.GetMField("Address");
        memo.resize(std::max<std::size_t>(memo.size(), 4));
        AddressFields f;
        for (std::size_t k = 0; k < 4; ++k)
            f[k] = Trim(memo[k]);
        f[4] = Trim(table.GetFieldText("City"));
        f[5] = Trim(table.GetFieldText("State"));
        f[6] = Trim(table.GetFieldText("Zip"));
        out += AddressLine(f) + "\r\n";
    }
    return out;
}

} // namespace quill::tables
