#include "IniFile.h"

#include "IntegerText.h"
#include "U_CommonAPI.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace quill {

namespace {

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// "[name]" gives name; anything else is not a section line.
std::optional<std::string_view> sectionName(std::string_view line)
{
    std::string_view t = TrimBlanksView(line);
    if (t.empty() || t.front() != '[')
        return std::nullopt;
    std::size_t close = t.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return TrimBlanksView(t.substr(1, close - 1));
}

struct KeyValue
{
    std::string_view key;
    std::string_view value;
};

std::optional<KeyValue> keyValue(std::string_view line)
{
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    std::string_view key = TrimBlanksView(line.substr(0, eq));
    if (key.empty() || key.front() == ';')
        return std::nullopt;
    return KeyValue{key, TrimBlanksView(line.substr(eq + 1))};
}

// A value must stay on its own line, or it would break the file apart.
std::string oneLine(std::string_view value)
{
    std::string out(value);
    for (char& c : out)
        if (c == '\r' || c == '\n')
            c = ' ';
    return out;
}

} // namespace

IniFile IniFile::fromText(std::string_view text)
{
    IniFile ini;
    std::size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::string_view line = text.substr(start, end == std::string_view::npos ? text.npos : end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
            if (first)
                ini.m_eol = "\r\n";
        }
        first = false;
        ini.m_lines.emplace_back(line);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return ini;
}

bool IniFile::load(const std::filesystem::path& path)
{
    *this = IniFile();
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found)
        return true; // no file yet: every key has its default
    std::ifstream in(path, std::ios::binary);
    if (ec || !in || !std::filesystem::is_regular_file(status))
        return false;
    std::ostringstream all;
    if (in.peek() != std::ifstream::traits_type::eof())
        all << in.rdbuf();
    if (in.bad() || !all)
        return false;
    *this = fromText(all.str());
    return true;
}

IniFile::Found IniFile::find(std::string_view section, std::string_view key) const
{
    Found f;
    bool inside = false;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (auto name = sectionName(m_lines[i])) {
            if (inside)
                break; // only the first section of that name counts
            if (equalsNoCase(*name, section)) {
                inside = true;
                f.sectionLine = i;
                f.lastLine = i;
            }
            continue;
        }
        if (!inside)
            continue;
        if (!TrimBlanksView(m_lines[i]).empty())
            f.lastLine = i;
        if (f.keyLine == npos) {
            if (auto kv = keyValue(m_lines[i]); kv && equalsNoCase(kv->key, key))
                f.keyLine = i;
        }
    }
    return f;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const
{
    Found f = find(section, key);
    if (f.keyLine == npos)
        return std::nullopt;
    std::string_view v = keyValue(m_lines[f.keyLine])->value;
    if (v.size() > MaxValueLength)
        v = v.substr(0, MaxValueLength);
    return std::string(v);
}

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view def) const
{
    auto v = value(section, key);
    return v ? *v : std::string(def);
}

int IniFile::readInteger(std::string_view section, std::string_view key, int def) const
{
    auto v = value(section, key);
    if (!v)
        return def;
    return ParseInteger(*v).value_or(def);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    Found f = find(section, key);
    if (f.keyLine != npos) {
        std::string keep(keyValue(m_lines[f.keyLine])->key);
        m_lines[f.keyLine] = keep + "=" + oneLine(value);
        return;
    }
    std::string line = std::string(key) + "=" + oneLine(value);
    if (f.sectionLine != npos) {
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(f.lastLine + 1), line);
        return;
    }
    m_lines.push_back("[" + std::string(section) + "]");
    m_lines.push_back(line);
}

void IniFile::writeInteger(std::string_view section, std::string_view key, int value)
{
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value)
{
    writeString(section, key, value ? "1" : "0");
}

std::string IniFile::text() const
{
    std::string out;
    for (const std::string& line : m_lines)
        out += line + m_eol;
    return out;
}

bool IniFile::save(const std::filesystem::path& path, std::string* error) const
{
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    std::string tmp = path.string() + ".tmpXXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        return fail(std::strerror(errno));
    std::string data = text();
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            std::string why = std::strerror(errno);
            ::close(fd);
            ::unlink(tmp.c_str());
            return fail(why);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    // mkstemp makes the file private; a settings file is an ordinary file of its folder.
    ::fchmod(fd, 0644);
    int synced = ::fsync(fd);
    int syncErr = errno;
    int closed = ::close(fd);
    if (synced != 0 || closed != 0) {
        std::string why = std::strerror(synced != 0 ? syncErr : errno);
        ::unlink(tmp.c_str());
        return fail(why);
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::string why = std::strerror(errno);
        ::unlink(tmp.c_str());
        return fail(why);
    }
    // The rename lives in the folder: until the folder is on disk, a power cut can bring back the
    // old file and with it a mailer number already printed. A folder that cannot be synced (some
    // network file systems) still has the file whole, so that is no failure.
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace quill
