#pragma once

// Report records that say who wrote them: every field is made from the writer's number and the
// record's sequence number, so a record read back can be checked field by field. A record torn
// between two writers, or half old and half new, fails that check.

#include "report/ReportLog.h"
#include "tables/TzDbf.h"

#include <cstdio>
#include <optional>
#include <string>
#include <utility>

namespace reliability {

inline std::string Digits(unsigned value, int width)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*u", width, value);
    return buffer;
}

/// The record writer `writer` appends as its `seq`th (from 0).
inline quill::report::ReportRecord TaggedRecord(unsigned writer, unsigned seq)
{
    const std::string w = Digits(writer, 2), s = Digits(seq, 7);
    quill::report::ReportRecord r;
    // The tag first, then fields long enough to fill their widths, so a torn record shows.
    r.sentName = {"W" + w + " S" + s, "Writer " + w + " piece " + s + " line two", "", "line four " + s};
    r.city = "City of writer " + w + " piece " + s + " ends";
    r.state = "W" + w;
    r.zip = s.substr(2) + "-" + w + w;
    r.date = "12/10/2026";
    r.mailerNumber = "9214 7" + w + " " + s.substr(0, 4) + " " + s.substr(4) + "0 0000 00";
    r.postage = "    " + s + ".39";
    r.certified = "          2.40";
    r.restricted = seq % 2 ? "          3.20" : "";
    r.returnReceipt = "          1.85";
    r.total = "   " + w + s.substr(1) + ".64";
    r.comments = "comment " + s + " of writer " + w + " to the end.";
    r.re = "RE " + s + "/" + w + " and more text";
    return r;
}

/// The writer and sequence number a record's first address line names, if it names any.
inline std::optional<std::pair<unsigned, unsigned>> TagOf(const std::string& sentName0)
{
    unsigned writer = 0, seq = 0;
    char tail = 0;
    if (std::sscanf(sentName0.c_str(), "W%2u S%7u%c", &writer, &seq, &tail) < 2)
        return std::nullopt;
    return std::make_pair(writer, seq);
}

/// What is wrong with the current record of `table`, a report log of tagged records: empty when
/// it is exactly the record its tag names, as the writer stored it.
inline std::string RecordProblem(const quill::tables::TTzDbf& table)
{
    if (table.Deleted())
        return "record " + std::to_string(table.RecNo()) + " is marked deleted";
    const std::string first = table.GetFieldText("sentname0");
    const auto tag = TagOf(first);
    if (!tag)
        return "record " + std::to_string(table.RecNo()) + " has no tag: \"" + first + "\"";
    const quill::report::ReportRecord r = TaggedRecord(tag->first, tag->second);
    const std::pair<const char*, std::string> expected[] = {
        {"sentname0", r.sentName[0]},
        {"sentname1", r.sentName[1]},
        {"sentname2", r.sentName[2]},
        {"sentname3", r.sentName[3]},
        {"city", r.city},
        {"state", r.state},
        {"zip", r.zip},
        {"rdate", "20261210"},
        {"mailernum", r.mailerNumber},
        {"postage", r.postage},
        {"certified", r.certified},
        {"restricted", r.restricted},
        {"return", r.returnReceipt},
        {"total", r.total},
        {"comments", r.comments},
        {"re", r.re},
    };
    for (const auto& [name, text] : expected) {
        const quill::tables::DbfField* field = table.FindField(name);
        if (!field)
            return std::string("the log has no field ") + name;
        std::string stored = text;
        if (field->type == 'C') { // cut at the field's width and padded to it
            stored.resize(field->length, ' ');
        }
        const std::string got = table.GetFieldText(name);
        if (got != stored)
            return "record " + std::to_string(table.RecNo()) + " (" + first.substr(0, 12) + ") field " +
                   name + " is \"" + got + "\", not \"" + stored + "\"";
    }
    return {};
}

} // namespace reliability
