#include "TableTestUtil.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace fs = std::filesystem;

namespace tabletest {

namespace {

uint32_t le(const std::string& b, std::size_t at, int n)
{
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

} // namespace

Folder::Folder()
{
    std::string t = (fs::temp_directory_path() / "dbfXXXXXX").string();
    path = ::mkdtemp(t.data());
}

Folder::~Folder()
{
    fs::remove_all(path);
}

std::vector<std::string> Folder::names() const
{
    std::vector<std::string> n;
    for (const auto& e : fs::directory_iterator(path))
        n.push_back(e.path().filename().string());
    std::sort(n.begin(), n.end());
    return n;
}

std::string ReadFile(const std::string& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& p, const std::string& bytes)
{
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Run(const std::string& command)
{
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen((command + " 2>&1").c_str(), "r"), ::pclose);
    std::string out;
    char buf[4096];
    while (pipe && std::fgets(buf, sizeof buf, pipe.get()))
        out += buf;
    return out;
}

RawTable ReadRaw(const std::string& dbfPath, const std::string& dbtPath, std::string& problem, bool noLeaks)
{
    constexpr uint32_t Block = 512;
    problem.clear();
    RawTable t;
    const std::string dbf = ReadFile(dbfPath);
    if (dbf.size() < 32)
        return problem = "data file shorter than its prolog", t;
    t.count = le(dbf, 4, 4);
    const uint32_t headerLength = le(dbf, 8, 2), recordLength = le(dbf, 10, 2);
    struct Memo
    {
        std::size_t at;
        std::size_t length;
    };
    std::vector<Memo> memos;
    for (std::size_t d = 32, offset = 1; d + 32 <= headerLength && static_cast<uint8_t>(dbf[d]) != 0x0D;
         d += 32) {
        const std::size_t length = static_cast<uint8_t>(dbf[d + 16]);
        if (dbf[d + 11] == 'M')
            memos.push_back({offset, length});
        offset += length;
    }
    const std::string dbt = dbtPath.empty() ? std::string() : ReadFile(dbtPath);
    const uint32_t end = static_cast<uint32_t>(dbt.size() / Block);
    if (!memos.empty() && dbt.size() % Block != 0 && dbt.size() != 24)
        problem += "memo file not whole blocks; ";
    std::vector<int> owner(end, 0); // 0 free of claims, 1 text, 2 free run
    auto claim = [&](uint32_t first, uint32_t blocks, int who, const std::string& what) {
        for (uint32_t b = first; b < first + blocks; ++b) {
            if (b == 0 || b >= end) {
                problem += what + " reaches block " + std::to_string(b) + " outside the file; ";
                return;
            }
            if (owner[b] != 0) {
                problem += what + " overlaps block " + std::to_string(b) + "; ";
                return;
            }
            owner[b] = who;
        }
    };
    for (uint32_t r = 0; r < t.count; ++r) {
        const std::size_t at = headerLength + static_cast<std::size_t>(r) * recordLength;
        if (at + recordLength > dbf.size())
            return problem += "record " + std::to_string(r + 1) + " missing; ", t;
        std::string rec = dbf.substr(at, recordLength);
        for (auto it = memos.rbegin(); it != memos.rend(); ++it) {
            const std::string field = rec.substr(it->at, it->length);
            const auto first = field.find_first_not_of(' ');
            const uint32_t block =
                first == std::string::npos ? 0 : static_cast<uint32_t>(std::stoul(field.substr(first)));
            std::string text;
            if (block != 0) {
                const std::size_t p = static_cast<std::size_t>(block) * Block;
                if (p + 8 > dbt.size() || dbt.compare(p, 4, std::string("\xFF\xFF\x08\x00", 4)) != 0) {
                    problem += "record " + std::to_string(r + 1) + " points at block " +
                               std::to_string(block) + " that holds no text; ";
                } else {
                    const uint32_t stored = le(dbt, p + 4, 4);
                    if (stored < 8 || p + stored > dbt.size())
                        problem += "text of record " + std::to_string(r + 1) + " runs out of the file; ";
                    else
                        text = dbt.substr(p + 8, stored - 8);
                    claim(block, stored / Block + 1, 1, "text of record " + std::to_string(r + 1));
                }
            }
            rec.replace(it->at, it->length, "[" + text + "]");
        }
        t.records.push_back(rec);
    }
    if (!memos.empty() && dbt.size() >= 4) {
        uint32_t cur = le(dbt, 0, 4);
        for (uint32_t links = 0; cur != end; ++links) {
            if (cur == 0 || cur > end || links > end) {
                problem += "free chain ends at " + std::to_string(cur) + ", not at the end " +
                           std::to_string(end) + "; ";
                break;
            }
            const std::size_t p = static_cast<std::size_t>(cur) * Block;
            claim(cur, le(dbt, p + 4, 4), 2, "free run at block " + std::to_string(cur));
            cur = le(dbt, p, 4);
        }
        if (noLeaks)
            for (uint32_t b = 1; b < end; ++b)
                if (owner[b] == 0) {
                    problem += "block " + std::to_string(b) + " is in no text and no free run; ";
                    break;
                }
    }
    return t;
}

} // namespace tabletest
