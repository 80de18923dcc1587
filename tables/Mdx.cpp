#include "tables/Mdx.h"

#include "tables/FileFormat.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace quill::tables {

namespace {

constexpr int BlockSize = 512;
constexpr int NodeSize = 1024;    // two blocks per node
constexpr int HeaderBlocks = 4;   // the 2048-byte file header with its tag table
constexpr int TagHeaderBlock = 4; // the tag's header takes one node
constexpr int FirstNodeBlock = 6;
constexpr int TagTable = 544;

std::string dateBytes()
{
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return {static_cast<char>(tm.tm_year), static_cast<char>(tm.tm_mon + 1), static_cast<char>(tm.tm_mday)};
}

// The 12-byte numeric key of dBase IV: an exponent byte (0x34 + digits before the point),
// the field width with the sign, then the significant digits in packed decimal.
std::string numericKey(double v, int fieldLength)
{
    std::string key(12, '\0');
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.10f", std::fabs(v));
    std::string whole = digits, fraction;
    if (auto point = whole.find('.'); point != std::string::npos) {
        fraction = whole.substr(point + 1);
        whole.resize(point);
    }
    while (!whole.empty() && whole[0] == '0')
        whole.erase(0, 1);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    std::string significant = whole + fraction;
    int exponent = static_cast<int>(whole.size());
    if (whole.empty()) { // 0.00ddd: leading zeros of the fraction lower the exponent
        std::size_t zeros = 0;
        while (zeros < significant.size() && significant[zeros] == '0')
            ++zeros;
        significant.erase(0, zeros);
        exponent = -static_cast<int>(zeros);
    }
    if (significant.empty())
        exponent = 0;
    key[0] = static_cast<char>(0x34 + exponent);
    key[1] = static_cast<char>(((std::min(fieldLength, 31) << 2) | 1) | (v < 0 ? 0x80 : 0));
    for (std::size_t i = 0; i < significant.size() && i < 20; ++i) {
        const int d = significant[i] - '0';
        key[2 + i / 2] = static_cast<char>(key[2 + i / 2] | (i % 2 == 0 ? d << 4 : d));
    }
    return key;
}

} // namespace

int MdxEntryLength(int keyLength)
{
    return (keyLength + 4 + 3) / 4 * 4; // 35 -> 40, 30 -> 36, 8 -> 12, 10 -> 16
}

int MdxEntriesPerNode(int keyLength)
{
    return 1012 / MdxEntryLength(keyLength);
}

std::optional<std::pair<int, const char*>> WriteMdx(FileOps& files, const std::string& path,
                                                    const MdxKeys& keys)
{
    if (keys.keyLength < 1 || keys.keyLength > 100)
        return std::make_pair(220, "Invalid key length for an index");
    const int entry = MdxEntryLength(keys.keyLength);
    const int perNode = MdxEntriesPerNode(keys.keyLength);
    const std::size_t n = keys.recNo.size();

    auto keyBytes = [&](std::size_t i) {
        std::string k;
        if (keys.type == 'C') {
            k = keys.text[i];
            k.resize(static_cast<std::size_t>(keys.keyLength), ' ');
        } else if (keys.type == 'D') {
            k.resize(8);
            std::memcpy(k.data(), &keys.number[i], 8); // little-endian double, as dBase keeps it
        } else {
            k = numericKey(keys.number[i], keys.fieldLength);
        }
        return k;
    };

    // Leaves hold the record numbers; each level above holds its children's last keys, the
    // last child in the slot after the entries.
    struct Node
    {
        std::vector<std::pair<uint32_t, std::string>> entries; // (record or child block, key)
        uint32_t right = 0;
        std::string lastKey;
    };
    std::vector<std::vector<Node>> levels(1);
    for (std::size_t i = 0; i < n; ++i) {
        if (levels[0].empty() || static_cast<int>(levels[0].back().entries.size()) == perNode)
            levels[0].emplace_back();
        levels[0].back().entries.emplace_back(keys.recNo[i], keyBytes(i));
        levels[0].back().lastKey = levels[0].back().entries.back().second;
    }
    if (levels[0].empty())
        levels[0].emplace_back(); // an empty table still has its root leaf

    // Blocks: leaves first, then each level above.
    std::vector<std::vector<uint32_t>> blocks;
    uint32_t next = FirstNodeBlock;
    auto number = [&](std::size_t level) {
        blocks.resize(level + 1);
        for (std::size_t i = 0; i < levels[level].size(); ++i) {
            blocks[level].push_back(next);
            next += NodeSize / BlockSize;
        }
    };
    number(0);
    while (levels.back().size() > 1) {
        const std::vector<Node>& below = levels.back();
        const std::vector<uint32_t>& belowBlocks = blocks.back();
        std::vector<Node> above;
        for (std::size_t i = 0; i < below.size();) {
            Node parent;
            const std::size_t take =
                std::min<std::size_t>(static_cast<std::size_t>(perNode) + 1, below.size() - i);
            for (std::size_t k = 0; k + 1 < take; ++k)
                parent.entries.emplace_back(belowBlocks[i + k], below[i + k].lastKey);
            parent.right = belowBlocks[i + take - 1];
            parent.lastKey = below[i + take - 1].lastKey;
            above.push_back(std::move(parent));
            i += take;
        }
        levels.push_back(std::move(above));
        number(levels.size() - 1);
    }
    const uint32_t root = blocks.back().front();
    const uint32_t totalBlocks = next;

    std::string file(static_cast<std::size_t>(totalBlocks) * BlockSize, '\0');
    const std::string date = dateBytes();
    file[0] = 2;
    file.replace(1, 3, date);
    file.replace(4, std::min<std::size_t>(16, keys.tableName.size()), keys.tableName.substr(0, 16));
    Put16(file, 20, NodeSize / BlockSize);
    Put16(file, 22, NodeSize);
    file[24] = 1;  // production index
    file[25] = 48; // tag slots
    file[26] = 32; // bytes per tag slot
    file[28] = 1;  // tags in use: readers find the tag through this count
    Put32(file, 32, totalBlocks);
    file.replace(44, 3, date);

    // The tag table's one slot.
    std::string& f = file;
    Put32(f, TagTable, TagHeaderBlock);
    f.replace(TagTable + 4, 9, "dummy_tag");
    f[TagTable + 15] = 0x10;
    f[TagTable + 19] = 0x02;
    f[TagTable + 20] = keys.type;

    // The tag header.
    const std::size_t th = static_cast<std::size_t>(TagHeaderBlock) * BlockSize;
    Put32(f, th, root);
    Put32(f, th + 4, NodeSize / BlockSize);
    f[th + 8] = 0x10;
    f[th + 9] = keys.type;
    Put16(f, th + 12, static_cast<uint32_t>(keys.keyLength));
    Put16(f, th + 14, static_cast<uint32_t>(perNode));
    Put16(f, th + 16, keys.type == 'C' ? 0 : 1);
    Put16(f, th + 18, static_cast<uint32_t>(entry));
    f.replace(th + 24, std::min<std::size_t>(100, keys.field.size()), keys.field.substr(0, 100));

    for (std::size_t level = 0; level < levels.size(); ++level) {
        for (std::size_t i = 0; i < levels[level].size(); ++i) {
            const Node& node = levels[level][i];
            const std::size_t at = static_cast<std::size_t>(blocks[level][i]) * BlockSize;
            Put32(f, at, static_cast<uint32_t>(node.entries.size()));
            std::size_t offset = at + 8;
            for (const auto& [ref, key] : node.entries) {
                Put32(f, offset, ref);
                f.replace(offset + 4, key.size(), key);
                offset += static_cast<std::size_t>(entry);
            }
            Put32(f, offset, node.right); // zero in a leaf
        }
    }

    // Written beside the old index and renamed over it when whole: a failure keeps the old one.
    // Its name is this process's own, so two programs sorting the same table never write into
    // one file; the last rename wins with a whole index.
    TempFile temp(files, path + OwnTempSuffix());
    FileHandle out = temp.create();
    if (!out.valid())
        return std::make_pair(TableErrorOfErrno(temp.error()), "The index file cannot be written");
    if (!out.writeAt(0, file) || !out.close())
        return std::make_pair(TableErrorOfErrno(out.error()) == 1004 ? 1004 : 101,
                              "The index file cannot be written");
    if (!temp.commitTo(path))
        return std::make_pair(TableErrorOfErrno(temp.error()), "The index file cannot be written");
    return std::nullopt;
}

} // namespace quill::tables
