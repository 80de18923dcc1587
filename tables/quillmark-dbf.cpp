// quillmark-dbf: looks into and edits dBase tables (the report log, address tables) through
// the same table component the program uses.

#include "tables/TableError.h"
#include "tables/Text.h"
#include "tables/TzDbf.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <vector>

using quill::tables::TableError;
using quill::tables::TTzDbf;

namespace {

constexpr const char* Usage =
    "usage: quillmark-dbf info FILE\n"
    "       quillmark-dbf dump FILE [--index KEY NAME]\n"
    "       quillmark-dbf create FILE FIELD_LINE...     (FIELD_LINE: name,type,length,decimals)\n"
    "       quillmark-dbf append FILE < records.jsonl   (lines as dump writes them)\n"
    "       quillmark-dbf delete FILE RECNO\n"
    "       quillmark-dbf pack FILE\n";

int usage()
{
    std::fputs(Usage, stderr);
    return 2;
}

std::string jsonString(const std::string& s)
{
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char u[8];
                std::snprintf(u, sizeof u, "\\u%04x", c);
                out += u;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

// A small reader for the JSON lines that dump writes: objects, strings, numbers, booleans.
struct Json
{
    enum Kind { Null, Bool, Number, String, Object } kind = Null;
    bool boolean = false;
    std::string text; // strings, and numbers as written
    std::map<std::string, Json> members;
};

class JsonReader
{
public:
    explicit JsonReader(const std::string& s) : m_s(s) {}
    bool parse(Json& out)
    {
        if (!value(out))
            return false;
        skip();
        return m_i == m_s.size();
    }

private:
    void skip()
    {
        while (m_i < m_s.size() && std::isspace(static_cast<unsigned char>(m_s[m_i])))
            ++m_i;
    }
    bool value(Json& out)
    {
        skip();
        if (m_i >= m_s.size())
            return false;
        const char c = m_s[m_i];
        if (c == '{')
            return object(out);
        if (c == '"') {
            out.kind = Json::String;
            return string(out.text);
        }
        if (m_s.compare(m_i, 4, "true") == 0) {
            m_i += 4;
            out.kind = Json::Bool;
            out.boolean = true;
            return true;
        }
        if (m_s.compare(m_i, 5, "false") == 0) {
            m_i += 5;
            out.kind = Json::Bool;
            return true;
        }
        if (m_s.compare(m_i, 4, "null") == 0) {
            m_i += 4;
            return true;
        }
        const std::size_t start = m_i;
        while (m_i < m_s.size() && std::string("+-0123456789.eE").find(m_s[m_i]) != std::string::npos)
            ++m_i;
        if (m_i == start)
            return false;
        out.kind = Json::Number;
        out.text = m_s.substr(start, m_i - start);
        return true;
    }
    bool object(Json& out)
    {
        out.kind = Json::Object;
        ++m_i;
        skip();
        if (m_i < m_s.size() && m_s[m_i] == '}') {
            ++m_i;
            return true;
        }
        for (;;) {
            skip();
            std::string key;
            if (m_i >= m_s.size() || m_s[m_i] != '"' || !string(key))
                return false;
            skip();
            if (m_i >= m_s.size() || m_s[m_i] != ':')
                return false;
            ++m_i;
            if (!value(out.members[key]))
                return false;
            skip();
            if (m_i < m_s.size() && m_s[m_i] == ',') {
                ++m_i;
                continue;
            }
            if (m_i < m_s.size() && m_s[m_i] == '}') {
                ++m_i;
                return true;
            }
            return false;
        }
    }
    bool string(std::string& out)
    {
        ++m_i; // the opening quote
        while (m_i < m_s.size()) {
            const char c = m_s[m_i++];
            if (c == '"')
                return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_i >= m_s.size())
                return false;
            const char e = m_s[m_i++];
            switch (e) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'u': {
                if (m_i + 4 > m_s.size())
                    return false;
                const unsigned cp =
                    static_cast<unsigned>(std::strtoul(m_s.substr(m_i, 4).c_str(), nullptr, 16));
                m_i += 4;
                quill::tables::AppendUtf8(out, cp);
                break;
            }
            default:
                out += e;
            }
        }
        return false;
    }
    const std::string& m_s;
    std::size_t m_i = 0;
};

void open(TTzDbf& t, const std::string& file, bool create = false)
{
    t.CreateIfNotFound = create;
    t.ShowMessage = [](const std::string& m) { std::fprintf(stderr, "%s\n", m.c_str()); };
    t.setDbfFileName(file);
    t.Open();
}

std::string recordJson(TTzDbf& t)
{
    std::string out = "{\"recno\":" + std::to_string(t.RecNo()) +
                      ",\"deleted\":" + (t.Deleted() ? "true" : "false") + ",\"fields\":{";
    bool first = true;
    for (const auto& f : t.Fields()) {
        if (!first)
            out += ",";
        first = false;
        std::string value = f.type == 'M' ? t.GetMemoText(f.name) : t.GetFieldText(f.name);
        if (f.type == 'C')
            value.erase(value.find_last_not_of(' ') + 1); // the padding, not the text's own blanks
        out += jsonString(f.name) + ":" + jsonString(value);
    }
    return out + "}}";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    const std::string command = argv[1];
    const std::string file = argv[2];
    try {
        if (command == "info" && argc == 3) {
            TTzDbf t;
            open(t, file);
            FILE* in = std::fopen(t.DbfFileName().c_str(), "rb");
            unsigned char head[12] = {0};
            const bool ok = in && std::fread(head, 1, 12, in) == 12;
            if (in)
                std::fclose(in);
            if (!ok)
                throw TableError(213, "End of file found unexpectedly: " + t.DbfFileName());
            std::printf("version: 0x%02X\nrecords: %u\nheader length: %u\nrecord length: %u\nfields: %zu\n",
                        head[0], t.RecCount(), head[8] | (head[9] << 8), head[10] | (head[11] << 8),
                        t.Fields().size());
            for (const auto& f : t.Fields())
                std::printf("  %-10s %c %3d %2d\n", f.name.c_str(), f.type, f.length, f.decimals);
            return 0;
        }
        if (command == "dump" && (argc == 3 || (argc == 6 && std::string(argv[3]) == "--index"))) {
            TTzDbf t;
            open(t, file);
            if (argc == 6)
                t.IndexOnOne(argv[4], argv[5]);
            for (t.First(); !t.Eof(); t.Next())
                std::printf("%s\n", recordJson(t).c_str());
            return 0;
        }
        if (command == "create" && argc >= 4) {
            TTzDbf t;
            for (int i = 3; i < argc; ++i)
                t.DbfFields.push_back(argv[i]);
            open(t, file, true);
            t.Close();
            return 0;
        }
        if (command == "append" && argc == 3) {
            TTzDbf t;
            open(t, file);
            if (!t.ALock()) {
                std::fprintf(stderr, "quillmark-dbf: another program is appending to %s\n", file.c_str());
                return 1;
            }
            std::string line;
            int lineNo = 0;
            while (std::getline(std::cin, line)) {
                ++lineNo;
                if (line.find_first_not_of(" \t\r") == std::string::npos)
                    continue;
                Json j;
                if (!JsonReader(line).parse(j) || j.kind != Json::Object) {
                    std::fprintf(stderr, "quillmark-dbf: line %d is not a JSON object\n", lineNo);
                    return 1;
                }
                t.ClearRecord();
                const auto fields = j.members.find("fields");
                if (fields != j.members.end())
                    for (const auto& [name, value] : fields->second.members) {
                        if (!t.FindField(name)) {
                            std::fprintf(stderr, "quillmark-dbf: line %d: Field '%s' not found\n", lineNo,
                                         name.c_str());
                            return 1;
                        }
                        try {
                            t.SetFieldText(name, value.kind == Json::Bool ? (value.boolean ? "T" : "F")
                                                                          : value.text);
                        } catch (const std::invalid_argument& e) {
                            std::fprintf(stderr, "quillmark-dbf: line %d: %s\n", lineNo, e.what());
                            return 1;
                        }
                    }
                t.AppendRec();
                const auto deleted = j.members.find("deleted");
                if (deleted != j.members.end() && deleted->second.boolean)
                    t.DeleteRec();
            }
            t.UnLock();
            t.Close();
            return 0;
        }
        if (command == "delete" && argc == 4) {
            char* end = nullptr;
            const unsigned long n = std::strtoul(argv[3], &end, 10);
            if (!*argv[3] || *end)
                return usage();
            TTzDbf t;
            open(t, file);
            t.Go(static_cast<uint32_t>(n));
            t.DeleteRec();
            t.Close();
            return 0;
        }
        if (command == "pack" && argc == 3) {
            TTzDbf t;
            open(t, file);
            t.Pack();
            t.Close();
            return 0;
        }
    } catch (const TableError& e) {
        std::fprintf(stderr, "%s\n", e.text().c_str());
        return e.number(); // the system keeps its low eight bits
    }
    return usage();
}
