#pragma once

// The checks of every target. Only TableError and DatasetError may come out of the table layer;
// anything else escapes the target and is a finding, as is a failed QUILL_FUZZ_CHECK.

#include "tables/TableError.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace quill::fuzz {

/// Ends the run with a message: a property of the reader that must hold did not.
#define QUILL_FUZZ_CHECK(condition)                                                                          \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);               \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

/// Runs `step`; the two errors the table layer reports by are the expected outcome of bad
/// bytes, so they end the step and nothing else.
template <class Step> bool Tolerated(Step&& step)
{
    try {
        step();
        return true;
    } catch (const tables::TableError& e) {
        // Every error bad bytes raise has a number the user is told the meaning of.
        QUILL_FUZZ_CHECK(std::string_view(tables::TableErrorDescription(e.number())) != "Undefined error");
        return false;
    } catch (const tables::DatasetError&) {
        return false;
    }
}

} // namespace quill::fuzz
