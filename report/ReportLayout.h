#pragma once

#include <string>
#include <vector>

namespace quill::report {

/// The report log's field list: a 545-byte header and 348-byte records.
inline const std::vector<std::string>& ReportLogFields()
{
    static const std::vector<std::string> fields{
        "sentname0, C, 30, 0", "sentname1, C, 30, 0", "sentname2, C, 30, 0", "sentname3, C, 30, 0",
        "city, C, 35, 0",      "state, C, 4, 0",      "zip, C, 10, 0",       "rdate, D, 8, 0",
        "mailernum, C, 35, 0", "postage, C, 15, 0",   "certified, C, 15, 0", "restricted, C, 15, 0",
        "return, C, 15, 0",    "total, C, 15, 0",     "comments, C, 35, 0",  "re, C, 25, 0"};
    return fields;
}

} // namespace quill::report
