#include "tables/DataFile.h"

#include "tables/FileFormat.h"
#include "tables/TableError.h"
#include "tables/Text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace quill::tables {

namespace {

std::string todayBytes()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return {static_cast<char>(tm.tm_year), static_cast<char>(tm.tm_mon + 1), static_cast<char>(tm.tm_mday)};
}

// A whole number as the field lists write them: "+" dropped, separators and one "$" removed,
// cut at the first blank, then the leading run of digits and "-".
int listNumber(std::string_view s)
{
    if (!s.empty() && s[0] == '+')
        s.remove_prefix(1);
    std::string t;
    bool dollar = false;
    for (char c : s) {
        if (c == ',' || c == '.')
            continue;
        if (c == '$' && !dollar) {
            dollar = true;
            continue;
        }
        t += c;
    }
    if (auto blank = t.find(' '); blank != std::string::npos)
        t.resize(blank);
    std::string run;
    for (char c : t) {
        if ((c >= '0' && c <= '9') || c == '-')
            run += c;
        else
            break;
    }
    // "-" anywhere but first, and more digits than any length has, leave the value at a bound.
    long value = 0;
    bool negative = false, digits = false;
    for (std::size_t i = 0; i < run.size(); ++i) {
        if (run[i] == '-') {
            if (i == 0)
                negative = true;
            else
                break;
            continue;
        }
        digits = true;
        value = std::min<long>(value * 10 + (run[i] - '0'), 100000);
    }
    if (!digits)
        return 0;
    return static_cast<int>(negative ? -value : value);
}

} // namespace

DbfHeader ReadDbfHeader(const FileHandle& file, const std::string& path)
{
    std::string prolog(dbf::PrologSize, '\0');
    const std::string notDbase = path + " is not a dBASE database.";
    if (!file.readAt(0, prolog.data(), prolog.size()))
        throw TableError(210, notDbase + " (" + "Prolog is less than 32 bytes" + ") [USE/OpenDBF]");
    const auto version = static_cast<uint8_t>(prolog[dbf::Version]);
    // dBase III and IV tables, with and without memo; the other variants lay out differently.
    if (version != dbf::VersionPlain && version != dbf::VersionMemo3 && version != dbf::VersionMemo4)
        throw TableError(210, notDbase + "(" + "Invalid version byte" + ")+ [USE/OpenDBF]");
    const uint16_t headerLength = Get16(prolog, dbf::HeaderLength);
    const int fieldSlots = headerLength >= 33 ? (headerLength - 33) / 32 : 0;
    if (fieldSlots < 1 || fieldSlots > 255)
        throw TableError(210, notDbase + " (" + "Number of fields is out of range" + ") [Use/OpenDbf]");
    DbfHeader h;
    h.bytes.assign(headerLength, '\0');
    if (!file.readAt(0, h.bytes.data(), h.bytes.size()))
        throw TableError(213, "End of file found unexpectedly: " + path + " [USE/OpenDBF]");
    int offset = 0;
    for (int i = 0; i < fieldSlots; ++i) {
        const std::size_t d = dbf::PrologSize + dbf::DescriptorSize * static_cast<std::size_t>(i);
        if (static_cast<uint8_t>(h.bytes[d]) == dbf::DescriptorEnd)
            break;
        DbfField f;
        std::string name = h.bytes.substr(d + dbf::FieldName, dbf::FieldNameSize);
        name.resize(std::strlen(name.c_str()));
        f.name = Upper(Trim(name));
        f.type = h.bytes[d + dbf::FieldType];
        f.length = static_cast<uint8_t>(h.bytes[d + dbf::FieldLength]);
        f.decimals = static_cast<uint8_t>(h.bytes[d + dbf::FieldDecimals]);
        if (f.type == '\0' || std::string_view("CDNFLM").find(f.type) == std::string_view::npos)
            throw TableError(211, "Invalid field type '" + std::string(1, f.type) + "' in " + path +
                                      " [USE/OpenDBF]");
        if (f.type == 'C' && f.decimals > 0) {
            f.length += 256 * f.decimals; // long character fields of other programs
            f.decimals = 0;
        }
        if (f.length <= 0)
            throw TableError(210, notDbase + " (Field " + f.name + " has no length) [USE/OpenDBF]");
        f.offset = offset;
        offset += f.length;
        h.hasMemo |= f.type == 'M';
        h.fields.push_back(f);
    }
    if (h.fields.empty())
        throw TableError(210, notDbase + " (" + "Number of fields is out of range" + ") [Use/OpenDbf]");
    h.recordLength = Get16(prolog, dbf::RecordLength);
    if (offset + 1 > h.recordLength)
        throw TableError(210, notDbase + " (Record length does not hold the fields) [USE/OpenDBF]");
    h.version = version;
    h.count = Get32(prolog, dbf::RecordCount);
    h.headerLength = headerLength;
    return h;
}

std::string UpdatedProlog(const std::string& header, uint32_t count)
{
    std::string p = header.substr(0, dbf::PrologSize);
    p.replace(dbf::UpdateDate, 3, todayBytes());
    Put32(p, dbf::RecordCount, count);
    return p;
}

std::optional<std::vector<DbfField>> ParseFieldList(const std::vector<std::string>& lines,
                                                    const std::string& tableName,
                                                    const std::function<void(const std::string&)>& show)
{
    auto say = [&](const std::string& m) {
        if (show)
            show(m);
    };
    if (lines.empty()) {
        say("FieldList.Count is <= 0 trying to create a database");
        return std::nullopt;
    }
    std::vector<DbfField> fields;
    for (const std::string& line : lines) {
        if (std::count(line.begin(), line.end(), ',') != 3)
            return std::nullopt;
        std::string items[4];
        std::size_t start = 0;
        for (std::string& item : items) {
            const std::size_t comma = line.find(',', start);
            item = Trim(std::string_view(line).substr(start, comma == std::string::npos ? std::string::npos
                                                                                        : comma - start));
            start = comma + 1;
        }
        DbfField f;
        f.name = items[0].substr(0, 10);
        const char written = items[1].empty() ? ' ' : items[1][0];
        f.type = static_cast<char>(written >= 'a' && written <= 'z' ? written - 'a' + 'A' : written);
        f.length = listNumber(items[2]);
        f.decimals = listNumber(items[3]);
        if (f.type == 'X')
            continue;
        const DbfField asWritten{f.name, written, f.length, f.decimals, 0};
        if (f.type == 'B' || f.type == 'G' || f.type == 'P')
            f.type = 'M';
        if (std::string_view("CDFLMN").find(f.type) == std::string_view::npos)
            f.type = 'C';
        if (f.type == 'N') {
            if (f.length > 20)
                f.length = 20;
            if (f.decimals > 18)
                f.decimals = 18;
            if (f.decimals > 0 && f.length - f.decimals < 2)
                f.decimals = std::max(0, f.length - 2);
        }
        if (f.type == 'C' && f.length >= 255) {
            f.length = 254; // a C field holds at most 254 bytes
            f.decimals = 0;
        }
        if (f.type != asWritten.type || f.length != asWritten.length || f.decimals != asWritten.decimals) {
            char text[512];
            std::snprintf(
                text, sizeof text,
                "Invalid field definition for %s: %s,%c,%d,%d. Will use corrected definition: %s,%c,%d,%d",
                tableName.c_str(), asWritten.name.c_str(), asWritten.type, asWritten.length,
                asWritten.decimals, f.name.c_str(), f.type, f.length, f.decimals);
            say(text);
        }
        if (f.type == 'D')
            f.length = 8;
        else if (f.type == 'L')
            f.length = 1;
        else if (f.type == 'M')
            f.length = 10;
        if (f.type != 'N' && f.type != 'F')
            f.decimals = 0;
        if (f.length <= 0 || f.length > 254 || f.decimals < 0)
            return std::nullopt;
        f.name = Upper(f.name);
        fields.push_back(f);
    }
    if (fields.empty() || fields.size() > 255)
        return std::nullopt;
    int recordLength = 1;
    for (DbfField& f : fields) {
        f.offset = recordLength - 1;
        recordLength += f.length;
    }
    if (recordLength > 65535)
        return std::nullopt;
    return fields;
}

bool HasMemo(const std::vector<DbfField>& fields)
{
    return std::any_of(fields.begin(), fields.end(), [](const DbfField& f) { return f.type == 'M'; });
}

std::string NewDataFile(const std::vector<DbfField>& fields)
{
    const auto headerLength = static_cast<uint16_t>(dbf::DescriptorSize * fields.size() + 33);
    int recordLength = 1;
    for (const DbfField& f : fields)
        recordLength += f.length;
    std::string header(headerLength, '\0');
    header[dbf::Version] = static_cast<char>(HasMemo(fields) ? dbf::VersionMemo4 : dbf::VersionPlain);
    header.replace(dbf::UpdateDate, 3, todayBytes());
    Put32(header, dbf::RecordCount, 0);
    Put16(header, dbf::HeaderLength, headerLength);
    Put16(header, dbf::RecordLength, static_cast<uint16_t>(recordLength));
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::size_t d = dbf::PrologSize + dbf::DescriptorSize * i;
        header.replace(d + dbf::FieldName, fields[i].name.size(), fields[i].name);
        header[d + dbf::FieldType] = fields[i].type;
        header[d + dbf::FieldLength] = static_cast<char>(fields[i].length);
        header[d + dbf::FieldDecimals] = static_cast<char>(fields[i].decimals);
    }
    header[headerLength - 1] = static_cast<char>(dbf::DescriptorEnd);
    header += dbf::EndOfFile;
    return header;
}

} // namespace quill::tables
