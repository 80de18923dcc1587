#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace bench {

/// The median of `repeats` runs of `f`, in seconds: the middle of a few runs says more than
/// their mean on a shared machine.
inline double Seconds(const std::function<void()>& f, int repeats = 3)
{
    std::vector<double> t;
    for (int r = 0; r < repeats; ++r) {
        const auto start = std::chrono::steady_clock::now();
        f();
        t.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

/// Adds one figure to the summary table that bench/run assembles from every benchmark: what was
/// measured, our time, and the peer program or the floor (the same bytes or pages with no work of
/// ours) it is compared with, timed in the same run. Without QUILL_BENCH_ROWS it does nothing, so
/// a benchmark run on its own just prints its own lines.
inline void Row(const std::string& what, double oursSeconds, const std::string& against = {},
                double againstSeconds = 0)
{
    const char* rows = std::getenv("QUILL_BENCH_ROWS");
    if (!rows || !*rows)
        return;
    if (std::FILE* f = std::fopen(rows, "a")) {
        std::fprintf(f, "%s\t%.9g\t%s\t%.9g\n", what.c_str(), oursSeconds, against.c_str(), againstSeconds);
        std::fclose(f);
    }
}

} // namespace bench
