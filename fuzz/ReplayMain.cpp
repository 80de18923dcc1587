// Runs every fuzz target over its seed corpus and its regression inputs without libFuzzer, so
// the normal build and its test run keep every input that ever found a fault. Each target's
// entry point is compiled under its own name (see CMakeLists.txt).
//
// Usage: fuzz_replay <corpus folder> <regressions folder> [target]

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#define QUILL_FUZZ_TARGET(name) extern "C" int QuillFuzz_##name(const uint8_t* data, std::size_t size);
#include "Targets.inc"
#undef QUILL_FUZZ_TARGET

namespace {

struct Target
{
    std::string_view name;
    int (*run)(const uint8_t*, std::size_t);
};

constexpr Target Targets[] = {
#define QUILL_FUZZ_TARGET(name) {#name, QuillFuzz_##name},
#include "Targets.inc"
#undef QUILL_FUZZ_TARGET
};

namespace fs = std::filesystem;

std::vector<fs::path> inputsIn(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code ec;
    if (fs::is_directory(folder, ec))
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    std::sort(files.begin(), files.end()); // the same order every run
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <corpus folder> <regressions folder> [target]\n", argv[0]);
        return 2;
    }
    const fs::path corpus = argv[1], regressions = argv[2];
    const std::string_view only = argc > 3 ? argv[3] : "";
    int failures = 0;
    for (const Target& t : Targets) {
        if (!only.empty() && t.name != only)
            continue;
        const std::vector<fs::path> seeds = inputsIn(corpus / t.name);
        if (seeds.empty()) {
            std::fprintf(stderr, "%.*s: no seed corpus in %s\n", static_cast<int>(t.name.size()),
                         t.name.data(), (corpus / t.name).c_str());
            ++failures;
        }
        std::vector<fs::path> inputs = seeds;
        const std::vector<fs::path> found = inputsIn(regressions / t.name);
        inputs.insert(inputs.end(), found.begin(), found.end());
        for (const fs::path& p : inputs) {
            std::ifstream in(p, std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            // A fault aborts here with the input named just above it.
            std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(t.name.size()), t.name.data(), p.c_str());
            t.run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        }
        std::printf("%-14.*s %4zu seeds %4zu regressions\n", static_cast<int>(t.name.size()), t.name.data(),
                    seeds.size(), found.size());
    }
    // A folder of inputs that no target runs would be a test that tests nothing.
    for (const fs::path& root : {corpus, regressions}) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(root, ec)) {
            const std::string name = entry.path().filename().string();
            if (std::none_of(std::begin(Targets), std::end(Targets),
                             [&](const Target& t) { return t.name == name; })) {
                std::fprintf(stderr, "%s: no fuzz target of that name\n", entry.path().c_str());
                ++failures;
            }
        }
    }
    return failures == 0 ? 0 : 1;
}
