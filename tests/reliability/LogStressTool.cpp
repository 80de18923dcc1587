// One process of the shared report log test: a writer that appends tagged records through the
// program's own report-log writer, a reader that reads the log over and over while the writers
// append, or a program that keeps the append lock for a while, as others sharing the log would.
//
//   quill-logstress writer <log> <writer> <seconds> <outcomes file> [pause in microseconds]
//     appends records 0, 1, 2, ... until the time is up; each outcome goes on a line of its
//     own ("<seq> L" logged, "<seq> B" not logged: the lock stayed busy) as soon as it is known.
//   quill-logstress hog <log> <seconds>
//     another program that keeps the log's append lock longer than the writers wait for it:
//     after a second, 2.3 s held in every 7.3 s.
//   quill-logstress reader <log> <seconds>
//     prints "passes=N records=M maxcount=C" at the end; the first problem it sees is printed
//     as "PROBLEM: ..." and ends it with status 1.

#include "TaggedRecord.h"

#include "tables/TableError.h"
#include "tables/TzDbf.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <set>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono;
using quill::tables::TableError;

namespace {

int usage()
{
    std::fprintf(stderr, "usage: quill-logstress writer <log> <writer> <seconds> <outcomes> [pause us]\n"
                         "       quill-logstress hog <log> <seconds>\n"
                         "       quill-logstress reader <log> <seconds>\n");
    return 2;
}

int writer(const std::string& log, unsigned id, double seconds, const char* outcomes, unsigned pauseMicros)
{
    FILE* out = std::fopen(outcomes, "w");
    if (!out)
        return std::perror(outcomes), 2;
    std::mt19937 random(id * 7919u + 1);
    std::uniform_int_distribution<unsigned> pause(0, pauseMicros);
    quill::report::ReportLogWriter logWriter(log);
    const auto end = steady_clock::now() + duration<double>(seconds);
    unsigned seq = 0;
    try {
        for (; steady_clock::now() < end; ++seq) {
            const auto outcome = logWriter.append(reliability::TaggedRecord(id, seq));
            // Written at once: a writer that dies still leaves what it was told.
            std::fprintf(out, "%u %c\n", seq,
                         outcome == quill::report::ReportLogWriter::Outcome::Logged ? 'L' : 'B');
            std::fflush(out);
            if (pauseMicros)
                std::this_thread::sleep_for(microseconds(pause(random)));
        }
    } catch (const TableError& e) {
        std::fprintf(stderr, "writer %u, record %u: %s\n", id, seq, e.text().c_str());
        return 3;
    }
    std::fclose(out);
    return 0;
}

int hog(const std::string& log, double seconds)
{
    const auto end = steady_clock::now() + duration<double>(seconds);
    std::this_thread::sleep_for(seconds > 2 ? milliseconds(1000) : milliseconds(0));
    while (::access(log.c_str(), F_OK) != 0 && steady_clock::now() < end) // made by the first writer
        std::this_thread::sleep_for(milliseconds(1));
    unsigned held = 0;
    try {
        // Only while the writers have time left to wait past their patience.
        while (steady_clock::now() + milliseconds(2300 + 500) < end) {
            quill::tables::TTzDbf table;
            table.CreateIfNotFound = false;
            table.setDbfFileName(log);
            table.Open();
            while (!table.ALock())
                std::this_thread::sleep_for(milliseconds(1));
            std::this_thread::sleep_for(milliseconds(2300));
            table.UnLock();
            table.Close();
            ++held;
            std::this_thread::sleep_for(milliseconds(5000));
        }
    } catch (const TableError& e) {
        std::fprintf(stderr, "hog: %s\n", e.text().c_str());
        return 3;
    }
    std::printf("held=%u\n", held);
    return 0;
}

/// The count, header length and record length of the log's prolog, and the file's size, read
/// with plain calls beside the table component: what any other program would see.
struct Raw
{
    uint32_t count = 0;
    uint16_t headerLength = 0, recordLength = 0;
    uint64_t size = 0;
};

bool readRaw(const std::string& path, Raw& raw)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    unsigned char prolog[12];
    const bool whole = ::pread(fd, prolog, sizeof prolog, 0) == static_cast<ssize_t>(sizeof prolog);
    struct stat st
    {
    };
    // The size after the prolog: the file only grows, so every record the count names must
    // be there by now.
    const bool sized = ::fstat(fd, &st) == 0;
    ::close(fd);
    if (!whole || !sized)
        return false;
    raw.count = prolog[4] | prolog[5] << 8 | prolog[6] << 16 | static_cast<uint32_t>(prolog[7]) << 24;
    raw.headerLength = static_cast<uint16_t>(prolog[8] | prolog[9] << 8);
    raw.recordLength = static_cast<uint16_t>(prolog[10] | prolog[11] << 8);
    raw.size = static_cast<uint64_t>(st.st_size);
    return true;
}

int reader(const std::string& log, double seconds)
{
    const auto end = steady_clock::now() + duration<double>(seconds);
    unsigned long passes = 0, records = 0;
    uint32_t lastCount = 0;
    auto problem = [&](const std::string& what) {
        std::printf("PROBLEM: pass %lu: %s\n", passes + 1, what.c_str());
        return 1;
    };
    while (steady_clock::now() < end) {
        Raw raw;
        if (!readRaw(log, raw)) { // not created yet
            std::this_thread::sleep_for(milliseconds(1));
            continue;
        }
        if (raw.headerLength + static_cast<uint64_t>(raw.count) * raw.recordLength > raw.size)
            return problem("the header counts " + std::to_string(raw.count) + " records, the file of " +
                           std::to_string(raw.size) + " bytes holds fewer");
        try {
            quill::tables::TTzDbf table;
            table.CreateIfNotFound = false;
            table.setDbfFileName(log);
            table.Open();
            const uint32_t count = table.RecCount();
            if (count < lastCount)
                return problem("the count went back from " + std::to_string(lastCount) + " to " +
                               std::to_string(count));
            lastCount = count;
            std::set<std::string> seen;
            for (table.First(); !table.Eof(); table.Next()) {
                if (std::string why = reliability::RecordProblem(table); !why.empty())
                    return problem(why);
                if (!seen.insert(table.GetFieldText("sentname0")).second)
                    return problem("record " + std::to_string(table.RecNo()) + " repeats " +
                                   table.GetFieldText("sentname0"));
                ++records;
            }
            if (seen.size() != count)
                return problem("read " + std::to_string(seen.size()) + " records of " +
                               std::to_string(count));
            table.Close();
        } catch (const TableError& e) {
            return problem(e.text());
        } catch (const std::exception& e) {
            return problem(e.what());
        }
        ++passes;
    }
    std::printf("passes=%lu records=%lu maxcount=%u\n", passes, records, lastCount);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 6 && std::strcmp(argv[1], "writer") == 0)
        return writer(argv[2], static_cast<unsigned>(std::atoi(argv[3])), std::atof(argv[4]), argv[5],
                      argc >= 7 ? static_cast<unsigned>(std::atoi(argv[6])) : 0);
    if (argc >= 4 && std::strcmp(argv[1], "hog") == 0)
        return hog(argv[2], std::atof(argv[3]));
    if (argc >= 4 && std::strcmp(argv[1], "reader") == 0)
        return reader(argv[2], std::atof(argv[3]));
    return usage();
}
