#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quill {

/// An INI-style text file held as its lines, so that a rewrite changes only the keys that
/// were written and keeps every other line (comments, foreign sections and keys) as it was.
/// Section and key names match without regard to case; values are trimmed and capped at
/// 2047 characters on reading.
class IniFile
{
public:
    static constexpr std::size_t MaxValueLength = 2047;

    IniFile() = default;
    static IniFile fromText(std::string_view text);

    /// Reads the file; a missing or unreadable file leaves it empty (all defaults). False when
    /// the file is there but could not be read, so that nobody writes it over from nothing.
    bool load(const std::filesystem::path& path);

    /// The value as stored, or nothing when the key or its section is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key, std::string_view def) const;
    /// Decimal, or hexadecimal after "0x", "0X" or "$"; anything else gives the default.
    int readInteger(std::string_view section, std::string_view key, int def) const;
    bool readBool(std::string_view section, std::string_view key, bool def) const;

    /// A key already present gets the new value in place; a new key goes to the end of its
    /// section, a new section to the end of the file.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int value);
    void writeBool(std::string_view section, std::string_view key, bool value);

    std::string text() const;

    /// Writes the whole file through a temporary file in the same folder and a rename, so a
    /// crash or a full disk never leaves a torn file. On failure the old file stays and
    /// `error` says why.
    bool save(const std::filesystem::path& path, std::string* error = nullptr) const;

private:
    struct Found
    {
        std::size_t sectionLine = npos; // line of "[section]"
        std::size_t keyLine = npos;     // line of "key=value" inside it
        std::size_t lastLine = npos;    // last non-blank line of the section
    };
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    Found find(std::string_view section, std::string_view key) const;

    std::vector<std::string> m_lines;
    std::string m_eol = "\n";
};

} // namespace quill
