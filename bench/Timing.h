#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
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

} // namespace bench
