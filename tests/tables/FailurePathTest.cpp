// Every write of the table layer made to fail in turn, through the file-operations seam: each
// failure must end in a table error, with the files reading as they did before the operation
// (and, when the operation got through, as they should after it), and nothing left behind.

#include "TableTestUtil.h"
#include "TzDbf.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <functional>

using namespace quill::tables;
using tabletest::Folder;

namespace {

const std::vector<std::string> AddressFields{"address,M,10,0", "city,C,35,0", "state,C,2,0", "zip,C,10,0"};

/// The real files, but the Nth call that changes a file fails (one-shot), or, as a full disk
/// does, every write that would make a file longer fails while armed.
class FaultyFiles : public FileOps
{
public:
    bool armed = false;
    int failAt = 0;
    bool fullDisk = false;
    int calls = 0;
    bool hit = false;

    int open(const std::string& path, int flags, mode_t mode) override
    {
        if ((flags & O_CREAT) && fails())
            return -ENOSPC;
        return real().open(path, flags, mode);
    }
    int close(int fd) override { return real().close(fd); }
    ssize_t pread(int fd, void* into, std::size_t n, uint64_t offset) override
    {
        return real().pread(fd, into, n, offset);
    }
    ssize_t pwrite(int fd, const void* from, std::size_t n, uint64_t offset) override
    {
        if (fails())
            return -ENOSPC;
        if (armed && fullDisk) {
            uint64_t size = 0;
            mode_t mode = 0;
            real().stat(fd, size, mode);
            if (offset + n > size) {
                hit = true;
                return -ENOSPC;
            }
        }
        return real().pwrite(fd, from, n, offset);
    }
    int truncate(int fd, uint64_t size) override { return fails() ? -EIO : real().truncate(fd, size); }
    int sync(int fd) override { return fails() ? -EIO : real().sync(fd); }
    int stat(int fd, uint64_t& size, mode_t& mode) override { return real().stat(fd, size, mode); }
    int rename(const std::string& from, const std::string& to) override
    {
        return fails() ? -EIO : real().rename(from, to);
    }
    int remove(const std::string& path) override { return real().remove(path); }
    bool exists(const std::string& path) override { return real().exists(path); }
    int lock(int fd, short type, uint64_t offset, uint64_t length) override
    {
        return real().lock(fd, type, offset, length);
    }

private:
    static FileOps& real() { return PosixFiles(); }
    bool fails()
    {
        if (!armed || fullDisk)
            return false;
        if (++calls == failAt) {
            hit = true;
            return true;
        }
        return false;
    }
};

struct Scenario
{
    const char* name;
    std::function<void(TTzDbf&)> setup;        // run with every call going through
    std::function<void(TTzDbf&)> step;         // the operation whose every write is made to fail
    bool atomic = true;                        // false: on failure either before or after will do
    std::string index = {};                    // an index file the step replaces
    std::function<void(TTzDbf&)> prepare = {}; // run before the step, with nothing failing
};

void addAddress(TTzDbf& t, const std::vector<std::string>& lines, const std::string& city)
{
    t.ClearRecord();
    t.SetMField("address", lines);
    t.SetFieldText("city", city);
    t.SetFieldText("zip", "04101");
    t.AppendRec();
}

void fill(TTzDbf& t)
{
    ASSERT_TRUE(t.ALock());
    addAddress(t, {std::string(900, 'a')}, "Augusta");
    addAddress(t, {"short"}, "Bangor");
    addAddress(t, {"third", "of five"}, "Camden");
    addAddress(t, {std::string(1500, 'd')}, "Dover");
    addAddress(t, {"fifth"}, "Eastport");
    t.UnLock();
    t.Go(2);
    t.DeleteRec();
    t.Go(4);
    t.DeleteRec();
}

const Scenario Scenarios[] = {
    {.name = "append and release the lock",
     .setup = fill,
     .step =
         [](TTzDbf& t) {
             ASSERT_TRUE(t.ALock());
             addAddress(t, {"new", "record"}, "Freeport");
             t.UnLock();
         }},
    {.name = "close with appended records still to write",
     .setup = fill,
     .step = [](TTzDbf& t) { t.Close(); },
     .prepare =
         [](TTzDbf& t) {
             ASSERT_TRUE(t.ALock());
             for (int i = 0; i < 3; ++i)
                 addAddress(t, {"pending " + std::to_string(i)}, "Gardiner");
         }},
    {.name = "a memo that outgrows its run",
     .setup = fill,
     .step =
         [](TTzDbf& t) {
             t.Go(2);
             ASSERT_TRUE(t.Edit());
             t.SetMField("address", {std::string(2000, 'x')});
             t.SetFieldText("city", "Moved");
             ASSERT_TRUE(t.Post());
         }},
    {.name = "a memo rewritten in its own run",
     .setup = fill,
     .step =
         [](TTzDbf& t) {
             t.Go(1);
             ASSERT_TRUE(t.Edit());
             t.SetMField("address", {"much shorter"});
             ASSERT_TRUE(t.Post());
         },
     .atomic = false}, // the text goes back over itself: a failure may come after it is written
    {.name = "a memo emptied",
     .setup = fill,
     .step =
         [](TTzDbf& t) {
             t.Go(3);
             t.SetMField("address", {});
             ASSERT_TRUE(t.Post());
         }},
    {.name = "the header of a changed table",
     .setup =
         [](TTzDbf& t) {
             fill(t);
             t.Go(3);
             t.DeleteRec();
         },
     .step = [](TTzDbf& t) { t.Close(); }},
    {.name = "pack", .setup = fill, .step = [](TTzDbf& t) { t.Pack(); }},
    {.name = "index",
     .setup =
         [](TTzDbf& t) {
             fill(t);
             t.IndexOnOne("city", "order");
         },
     .step = [](TTzDbf& t) { t.IndexOnOne("zip", "order"); },
     .index = "order.MDX"},
};

struct Snapshot
{
    tabletest::RawTable table;
    std::string index;
    std::vector<std::string> files;
};

Snapshot take(const Folder& dir, const Scenario& s)
{
    std::string problem;
    Snapshot snap{tabletest::ReadRaw(dir / "t.DBF", dir / "t.DBT", problem), "", dir.names()};
    EXPECT_EQ(problem, "") << s.name;
    if (!s.index.empty())
        snap.index = tabletest::ReadFile(dir / s.index);
    return snap;
}

bool same(const Snapshot& a, const Snapshot& b, bool withIndex)
{
    return a.table == b.table && a.files == b.files && (!withIndex || a.index == b.index);
}

// Runs the scenario with the failure the arming gives; returns whether the step failed.
bool runOnce(const Scenario& s, const std::function<void(FaultyFiles&)>& arm, Snapshot& before,
             Snapshot& after, bool& expectedAfter, bool* hit = nullptr)
{
    Folder dir;
    FaultyFiles files;
    int error = 0;
    std::string message;
    {
        TTzDbf t(files);
        t.DbfFields = AddressFields;
        t.setDbfFileName(dir / "t");
        t.Open();
        s.setup(t);
        t.UnLock(); // everything set up is on disk
        before = take(dir, s);
        if (s.prepare)
            s.prepare(t);
        arm(files);
        try {
            s.step(t);
        } catch (const TableError& e) {
            error = e.number();
            message = e.message();
        }
        files.armed = false;
        if (hit)
            *hit = files.hit;
        if (error != 0) {
            // As the program halts: what is on disk now must be what was there before.
            const Snapshot now = take(dir, s);
            EXPECT_TRUE(same(now, before, true) || (!s.atomic && now.table == after.table))
                << s.name << ": the files changed although the step failed (error " << error << ", "
                << message << ")";
        }
    }
    const Snapshot closed = take(dir, s);
    if (error != 0) {
        EXPECT_NE(message, "") << s.name;
        EXPECT_TRUE(same(closed, before, true) || (!s.atomic && closed.table == after.table))
            << s.name << ": the files changed after the failed step was closed (error " << error << ")";
    } else if (expectedAfter) {
        EXPECT_TRUE(same(closed, after, false))
            << s.name << ": the step got through but the files are not as expected";
    } else {
        after = closed;
        expectedAfter = true;
    }
    return error != 0;
}

} // namespace

TEST(FailurePaths, EveryFailedWriteEndsInATableErrorWithTheFilesAsBefore)
{
    for (const Scenario& s : Scenarios) {
        Snapshot before, after;
        bool expectedAfter = false;
        runOnce(
            s, [](FaultyFiles&) {}, before, after, expectedAfter); // what the step makes of the files
        ASSERT_TRUE(expectedAfter) << s.name;
        int failures = 0;
        for (int n = 1; n < 400; ++n) {
            bool hit = false;
            const bool failed = runOnce(
                s,
                [&](FaultyFiles& f) {
                    f.armed = true;
                    f.failAt = n;
                },
                before, after, expectedAfter, &hit);
            failures += failed;
            if (!hit)
                break; // past the last call the step makes
            if (::testing::Test::HasFailure())
                return;
        }
        EXPECT_GT(failures, 0) << s.name << ": no call of the step could be made to fail";
        // A full disk: every write that would make a file longer fails.
        runOnce(
            s,
            [](FaultyFiles& f) {
                f.armed = true;
                f.fullDisk = true;
            },
            before, after, expectedAfter);
    }
}
