// The report log shared under load: two and then four processes append to one log through the
// program's own writer and the real byte-range locks, while one more reads it all the time and
// another now and then keeps the append lock longer than the writers wait for it. Afterwards
// every record a writer was told went in is there exactly once and whole, the ones it was told
// did not go in are not, and the header's count matches the file's size. Perl's XBase reads the
// same records.
//
// QUILL_STRESS_SECONDS sets the seconds of each run (5 by default; scripts/stress runs 30).

#include "Child.h"
#include "TaggedRecord.h"

#include "tables/TzDbf.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <utility>

namespace fs = std::filesystem;
using namespace reliability;

namespace {

double StressSeconds()
{
    const char* s = std::getenv("QUILL_STRESS_SECONDS");
    return s && std::atof(s) > 0 ? std::atof(s) : 5.0;
}

struct ScratchFolder
{
    fs::path path;
    ScratchFolder()
    {
        char name[] = "/tmp/quill-reliability-XXXXXX";
        path = ::mkdtemp(name) ? fs::path(name) : fs::path();
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        if (!::testing::Test::HasFailure())
            fs::remove_all(path, ec); // a failed run is kept to be looked at
    }
};

/// The log's records, whole, as perl XBase reads them: fields trimmed and joined by "|".
std::string XBaseRecords(const fs::path& log, const fs::path& scratch)
{
    return Run("/usr/bin/perl",
               {"-MXBase", "-e",
                "my $t = XBase->new($ARGV[0]) or die XBase->errstr;"
                "for my $i (0 .. $t->last_record) { my ($del, @v) = $t->get_record($i);"
                " print $del ? 'D' : ' ', join('|', map { s/\\s+$//r } @v), \"\\n\" }",
                log.string()},
               scratch)
        .output;
}

struct Outcomes
{
    std::set<std::pair<unsigned, unsigned>> logged, busy;
};

/// The real files, but the first rename that makes a new file first runs `meanwhile`: another
/// program that finishes making the same table a moment earlier.
class RaceToCreate final : public quill::tables::FileOps
{
public:
    std::function<void()> meanwhile;
    FileOps& real = quill::tables::PosixFiles();

    int open(const std::string& p, int f, mode_t m) override { return real.open(p, f, m); }
    int close(int fd) override { return real.close(fd); }
    ssize_t pread(int fd, void* to, std::size_t n, uint64_t at) override { return real.pread(fd, to, n, at); }
    ssize_t pwrite(int fd, const void* from, std::size_t n, uint64_t at) override
    {
        return real.pwrite(fd, from, n, at);
    }
    int truncate(int fd, uint64_t size) override { return real.truncate(fd, size); }
    int sync(int fd) override { return real.sync(fd); }
    int stat(int fd, uint64_t& size, mode_t& mode) override { return real.stat(fd, size, mode); }
    int rename(const std::string& from, const std::string& to) override
    {
        runMeanwhile();
        return real.rename(from, to);
    }
    int renameNew(const std::string& from, const std::string& to) override
    {
        runMeanwhile();
        return real.renameNew(from, to);
    }
    int remove(const std::string& p) override { return real.remove(p); }
    bool exists(const std::string& p) override { return real.exists(p); }
    int lock(int fd, short type, uint64_t at, uint64_t n) override { return real.lock(fd, type, at, n); }

private:
    void runMeanwhile()
    {
        if (auto m = std::exchange(meanwhile, nullptr))
            m();
    }
};

std::vector<std::string> FirstLines(const fs::path& log)
{
    quill::tables::TTzDbf t;
    t.CreateIfNotFound = false;
    t.setDbfFileName(log.string());
    t.Open();
    std::vector<std::string> lines;
    for (t.First(); !t.Eof(); t.Next())
        lines.push_back(t.GetFieldText("sentname0").substr(0, 12));
    return lines;
}

} // namespace

// The two ways in which programs sharing the log lost records, each shown by a small fixture.
TEST(SharedReportLog, AWriterAppendsAfterWhatOthersAppendedSinceItOpenedTheLog)
{
    ScratchFolder scratch;
    const fs::path log = scratch.path / "report3.dbf";
    quill::report::ReportLogWriter first(log.string());
    ASSERT_EQ(first.append(TaggedRecord(0, 0)), quill::report::ReportLogWriter::Outcome::Logged);

    // Another program opens the log, reads its header and waits for the lock a moment...
    quill::tables::TTzDbf late;
    late.setDbfFileName(log.string());
    late.Open();
    late.ClearRecord();
    late.SetFieldText("sentname0", TaggedRecord(1, 0).sentName[0]);
    // ...while this one appends.
    ASSERT_EQ(first.append(TaggedRecord(0, 1)), quill::report::ReportLogWriter::Outcome::Logged);
    ASSERT_TRUE(late.ALock());
    late.AppendRec();
    late.UnLock();
    late.Close();
    EXPECT_EQ(FirstLines(log), (std::vector<std::string>{"W00 S0000000", "W00 S0000001", "W01 S0000000"}));
}

TEST(SharedReportLog, TwoProgramsFindingTheLogMissingMakeItOnce)
{
    ScratchFolder scratch;
    const fs::path log = scratch.path / "report3.dbf";
    RaceToCreate files;
    // The other program makes the log and appends its piece just before this one is done
    // making the log too: this one must append to that log, not replace it.
    files.meanwhile = [&] {
        quill::report::ReportLogWriter other(log.string());
        ASSERT_EQ(other.append(TaggedRecord(1, 0)), quill::report::ReportLogWriter::Outcome::Logged);
    };
    quill::report::ReportLogWriter writer(log.string(), files);
    ASSERT_EQ(writer.append(TaggedRecord(0, 0)), quill::report::ReportLogWriter::Outcome::Logged);
    EXPECT_EQ(FirstLines(log), (std::vector<std::string>{"W01 S0000000", "W00 S0000000"}));
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(scratch.path))
        left.push_back(e.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"report3.dbf"}); // no temporary file stays behind
}

TEST(SharedReportLog, WritersAndAReaderKeepEveryRecordOnceAndWhole)
{
    const double seconds = StressSeconds();
    for (const unsigned writers : {2u, 4u}) {
        SCOPED_TRACE(std::to_string(writers) + " writers");
        ScratchFolder scratch;
        ASSERT_FALSE(scratch.path.empty());
        fs::create_directories(scratch.path / "Reports");
        // No log yet: the first writers to come create it, as the program does at its first piece.
        const fs::path log = scratch.path / "Reports" / "report3.dbf";
        const fs::path tool = BinFolder() / "quill-logstress";

        Child reader(tool, {"reader", log.string(), std::to_string(seconds)}, scratch.path / "reader.out");
        std::vector<std::unique_ptr<Child>> children;
        for (unsigned w = 0; w < writers; ++w)
            children.push_back(std::make_unique<Child>(
                tool,
                std::vector<std::string>{"writer", log.string(), std::to_string(w), std::to_string(seconds),
                                         (scratch.path / ("writer" + std::to_string(w))).string()},
                scratch.path / ("writer" + std::to_string(w) + ".out")));
        // One more program keeps the append lock past the writers' patience now and then.
        Child hog(tool, {"hog", log.string(), std::to_string(seconds)}, scratch.path / "hog.out");
        const auto limit = std::chrono::milliseconds(static_cast<int>(seconds * 1000) + 60000);
        for (auto& c : children) {
            ASSERT_TRUE(c->started());
            ASSERT_TRUE(c->wait(limit));
            EXPECT_EQ(c->exitStatus(), 0) << c->output();
        }
        ASSERT_TRUE(hog.wait(limit));
        EXPECT_EQ(hog.exitStatus(), 0) << hog.output();
        ASSERT_TRUE(reader.wait(limit));
        EXPECT_EQ(reader.exitStatus(), 0) << reader.output();
        EXPECT_NE(reader.output().find("passes="), std::string::npos) << reader.output();

        // What each writer was told.
        Outcomes told;
        for (unsigned w = 0; w < writers; ++w) {
            std::ifstream in(scratch.path / ("writer" + std::to_string(w)));
            unsigned seq = 0;
            char what = 0;
            while (in >> seq >> what)
                (what == 'L' ? told.logged : told.busy).insert({w, seq});
        }
        ASSERT_FALSE(told.logged.empty());
        const std::string held = hog.output().rfind("held=", 0) == 0
                                     ? hog.output().substr(5, hog.output().find('\n') - 5)
                                     : std::string("?");
        if (held != "0") { // held once at least: the writers waiting then gave up
            EXPECT_FALSE(told.busy.empty()) << hog.output();
        }

        // The file as a whole: the header's count is what the size holds, then the end mark.
        const auto size = fs::file_size(log);
        quill::tables::TTzDbf table;
        table.CreateIfNotFound = false;
        table.setDbfFileName(log.string());
        table.Open();
        const uint32_t count = table.RecCount();
        const uint64_t headerLength = 545, recordLength = 348;
        EXPECT_EQ(size, headerLength + count * recordLength + 1) << count << " records";

        // Every record whole, once, each writer's in the order it wrote them.
        std::set<std::pair<unsigned, unsigned>> present;
        std::map<unsigned, unsigned> lastOf;
        std::ostringstream ours;
        int problems = 0;
        for (table.First(); !table.Eof(); table.Next()) {
            const std::string why = RecordProblem(table);
            if (!why.empty()) {
                if (++problems <= 5)
                    ADD_FAILURE() << why;
                continue;
            }
            const auto tag = *TagOf(table.GetFieldText("sentname0"));
            if (!present.insert(tag).second && ++problems <= 5)
                ADD_FAILURE() << "writer " << tag.first << " record " << tag.second << " is in the log twice";
            if (lastOf.count(tag.first) && lastOf[tag.first] >= tag.second && ++problems <= 5)
                ADD_FAILURE() << "writer " << tag.first << " record " << tag.second << " comes after "
                              << lastOf[tag.first];
            lastOf[tag.first] = tag.second;
            ours << ' ';
            for (const auto& f : table.Fields()) {
                std::string text = table.GetFieldText(f.name);
                text.erase(text.find_last_not_of(' ') + 1);
                ours << text << (&f == &table.Fields().back() ? "\n" : "|");
            }
        }
        table.Close();
        EXPECT_EQ(problems, 0);

        // Told logged: present. Told not logged: absent. Nothing else.
        std::vector<std::pair<unsigned, unsigned>> missing, unexpected;
        for (const auto& t : told.logged)
            if (!present.count(t))
                missing.push_back(t);
        for (const auto& t : present)
            if (!told.logged.count(t))
                unexpected.push_back(t);
        EXPECT_TRUE(missing.empty()) << missing.size()
                                     << " records told logged are missing, the first writer "
                                     << missing.front().first << " record " << missing.front().second;
        EXPECT_TRUE(unexpected.empty()) << unexpected.size() << " records in the log were not told logged";
        for (const auto& t : told.busy)
            EXPECT_FALSE(present.count(t)) << "writer " << t.first << " record " << t.second;

        // An independent reader agrees record for record.
        EXPECT_EQ(XBaseRecords(log, scratch.path / "xbase.out"), ours.str());

        std::printf(
            "[ figures  ] %u writers and 1 reader, %.0f s: %zu records appended (%zu not logged: lock "
            "busy), log %ju bytes; the lock kept by another program %s times; reader: %s",
            writers, seconds, told.logged.size(), told.busy.size(), static_cast<uintmax_t>(size),
            held.c_str(), reader.output().c_str());
    }
}

TEST(SharedTable, ClosingAfterAnEditInPlaceKeepsTheRecordsOthersAppendedMeanwhile)
{
    ScratchFolder scratch;
    const fs::path path = scratch.path / "clients.dbf";
    quill::report::ReportLogWriter writer(path.string());
    ASSERT_EQ(writer.append(TaggedRecord(0, 0)), quill::report::ReportLogWriter::Outcome::Logged);

    // This program corrects a record in place, under its record lock...
    quill::tables::TTzDbf editor;
    editor.setDbfFileName(path.string());
    editor.Open();
    ASSERT_TRUE(editor.Edit());
    editor.SetFieldText("comments", "corrected");
    ASSERT_TRUE(editor.Post());
    // ...another appends...
    ASSERT_EQ(writer.append(TaggedRecord(1, 0)), quill::report::ReportLogWriter::Outcome::Logged);
    // ...and this one closes the table.
    editor.Close();
    EXPECT_EQ(FirstLines(path), (std::vector<std::string>{"W00 S0000000", "W01 S0000000"}));
}
