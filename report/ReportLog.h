#pragma once

#include "tables/FileOps.h"

#include <array>
#include <chrono>
#include <functional>
#include <string>

namespace quill::report {

/// What the report log keeps of one printed piece, as UTF-8 texts.
struct ReportRecord
{
    std::array<std::string, 4> sentName; // the recipient's first four address lines, untrimmed
    std::string city, state, zip;
    std::string date;                                                 // the day of printing, MM/DD/YYYY
    std::string mailerNumber;                                         // in its groups of four digits
    std::string postage, certified, restricted, returnReceipt, total; // money text as shown
    std::string comments, re;
};

/// The report log of the program in `programFolder` (which ends with a separator).
std::string ReportLogPath(const std::string& programFolder);

/// An order the log can be printed in: the Sort item, the field it orders by and the index
/// file that keeps the order in the log's folder.
struct SortOrder
{
    const char* caption;
    const char* key;
    const char* indexName;
};
inline constexpr SortOrder SortOrders[] = {
    {"&By Mailer Number", "mailernum", "mailernum"},
    {"By &Name", "sentname0", "name"},
    {"By &Date", "rdate", "rdate"},
    {"By &ZipCode", "zip", "zip"},
};

/// Appends report records to the log, one open, write and close each.
///
/// Other programs may hold the log's append lock for a moment. The log is the office's proof
/// of what it mailed, so a record is not given up at the first refusal: the lock is tried
/// again for `retryFor` before the caller is told the piece was not logged.
class ReportLogWriter
{
public:
    enum class Outcome { Logged, LockBusy };

    explicit ReportLogWriter(std::string path, tables::FileOps& files = tables::PosixFiles());

    std::chrono::milliseconds retryFor{2000};
    std::chrono::milliseconds retryEvery{50};
    /// Waits between tries; tests make it count instead of sleep.
    std::function<void(std::chrono::milliseconds)> wait;

    /// Writes the record (creating the log when it is missing). A failure of the files is a
    /// TableError, as everywhere in the table layer.
    [[nodiscard]] Outcome append(const ReportRecord& record);

private:
    std::string m_path;
    tables::FileOps& m_files;
};

} // namespace quill::report
