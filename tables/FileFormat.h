#pragma once

// The byte layouts of the dBase data file, its dBase IV memo file and the MDX index, as named
// offsets, and the little-endian helpers every reader and writer of them uses.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quill::tables {

// Little-endian integers in byte strings. Callers check the bounds before they read.
inline uint16_t Get16(std::string_view b, std::size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8));
}
inline uint32_t Get32(std::string_view b, std::size_t at)
{
    uint32_t v = 0;
    for (std::size_t i = 4; i-- > 0;)
        v = (v << 8) | static_cast<uint8_t>(b[at + i]);
    return v;
}
inline void Put16(std::string& b, std::size_t at, uint32_t v)
{
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& b, std::size_t at, uint32_t v)
{
    for (std::size_t i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
/// A four-byte little-endian number as its own string.
inline std::string Le32(uint32_t v)
{
    std::string b(4, '\0');
    Put32(b, 0, v);
    return b;
}

/// The data file (.dbf).
namespace dbf {
constexpr std::size_t Version = 0;       // 1 byte
constexpr std::size_t UpdateDate = 1;    // 3 bytes: year - 1900, month, day
constexpr std::size_t RecordCount = 4;   // 4 bytes
constexpr std::size_t HeaderLength = 8;  // 2 bytes: 32 x fields + 33
constexpr std::size_t RecordLength = 10; // 2 bytes: 1 + the field lengths
constexpr std::size_t PrologSize = 32;
constexpr std::size_t DescriptorSize = 32; // descriptors follow the prolog, one per field

// Within a descriptor.
constexpr std::size_t FieldName = 0; // 11 bytes, zero-filled
constexpr std::size_t FieldNameSize = 11;
constexpr std::size_t FieldType = 11;
constexpr std::size_t FieldLength = 16;
constexpr std::size_t FieldDecimals = 17;

constexpr uint8_t VersionPlain = 0x03; // no memo fields
constexpr uint8_t VersionMemo3 = 0x83; // dBase III memo file: texts end at 0x1A
constexpr uint8_t VersionMemo4 = 0x8B; // dBase IV memo file: block headers and a free chain
constexpr uint8_t DescriptorEnd = 0x0D;
constexpr char EndOfFile = 0x1A;
constexpr char Active = ' ';
constexpr char Deleted = '*';
} // namespace dbf

/// The memo file (.dbt).
namespace dbt {
constexpr std::size_t FreeChain = 0;    // 4 bytes: the first free run, or the block past the end
constexpr std::size_t BaseName = 8;     // 8 bytes: the data file's base name
constexpr std::size_t Marker = 18;      // the bytes 0x02, 0x01
constexpr std::size_t BlockSizeAt = 20; // 2 bytes
constexpr std::size_t HeaderSize = 24;
constexpr uint32_t DefaultBlockSize = 512;

// A text's run starts with FF FF 08 00 and the text length plus 8.
constexpr std::string_view TextMarker{"\xFF\xFF\x08\x00", 4};
constexpr std::size_t TextLength = 4;
constexpr std::size_t TextHeaderSize = 8;

// A free run starts with the next link and its own length in blocks.
constexpr std::size_t NextLink = 0;
constexpr std::size_t RunBlocks = 4;
constexpr std::size_t LinkSize = 8;
} // namespace dbt

} // namespace quill::tables
