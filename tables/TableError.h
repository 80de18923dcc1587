#pragma once

#include <stdexcept>
#include <string>

namespace quill::tables {

/// A failure inside the table layer: its number, and the operation's own message. The shell
/// shows it as "Error # N (description)" and ends the program with N.
class TableError : public std::runtime_error
{
public:
    TableError(int number, std::string message)
        : std::runtime_error(message), m_number(number), m_message(std::move(message))
    {
    }
    int number() const { return m_number; }
    const std::string& message() const { return m_message; }
    /// "Error # N (description)\r\nmessage"
    std::string text() const;

private:
    int m_number;
    std::string m_message;
};

/// A field name the table does not have or a value that cannot be converted: the caller's
/// mistake, not a failure of the files. Import and export catch it; elsewhere it is shown and
/// the program goes on.
class DatasetError : public std::invalid_argument
{
public:
    using std::invalid_argument::invalid_argument;
};

/// The description of a table error number ("File not found", ...; "Undefined error").
const char* TableErrorDescription(int number);

} // namespace quill::tables
