// The report log when the disk fails it: a record that cannot be appended is a table error
// naming the log, and the log, as another program reads it afterwards, holds every record it
// held before, whole, and no half record. A report PDF that cannot be written is said so.

#include "../common/FaultChild.h"
#include "ReportFixture.h"
#include "report/ReportLog.h"
#include "report/ReportOutput.h"
#include "tables/TableError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>

using quill::report::ReportLogWriter;
using quill::report::ReportRecord;
using quill::tables::FileOps;
using quill::tables::PosixFiles;
using quill::tables::TableError;

namespace {

ReportRecord piece(int n)
{
    ReportRecord r;
    r.sentName = {"Recipient " + std::to_string(n), std::to_string(n) + " Cedar Lane", "", ""};
    r.city = "Augusta";
    r.state = "ME";
    r.zip = "04330";
    r.date = "12/10/2026";
    r.mailerNumber = "9214 7123 4567 8900 0000 " + std::to_string(10 + n);
    r.postage = "          0.39";
    r.certified = "          2.40";
    r.returnReceipt = "          1.85";
    r.total = "          4.64";
    r.comments = "Lien notice";
    r.re = "Parcel " + std::to_string(n);
    return r;
}

/// The log as python3-dbfread reads it: one line per record, the fields joined by "|".
QString dbfread(const QString& path)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start("/usr/bin/python3", {"-c",
                                 "import sys, dbfread\n"
                                 "for r in dbfread.DBF(sys.argv[1], encoding='cp437'):\n"
                                 "    print('|'.join(str(v) for v in r.values()))\n",
                                 path});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAll());
}

/// Whether a table error tells of a full disk ("Disk full", or "Disk write error (probable
/// cause: Disk Full).", which a record that cannot be written gives).
bool saysDiskFull(const std::string& text)
{
    return QString::fromStdString(text).contains("disk full", Qt::CaseInsensitive);
}

QByteArray bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// The real files, but the Nth call that changes a file fails once, or, as a full disk does,
/// every write that would make a file longer fails.
class FailingFiles : public FileOps
{
public:
    int failAt = 0; // 0: none
    bool fullDisk = false;
    int calls = 0;
    bool hit = false;

    int open(const std::string& path, int flags, mode_t mode) override
    {
        if ((flags & O_CREAT) && !PosixFiles().exists(path) && fails())
            return -ENOSPC;
        return PosixFiles().open(path, flags, mode);
    }
    int close(int fd) override { return PosixFiles().close(fd); }
    ssize_t pread(int fd, void* into, std::size_t n, uint64_t offset) override
    {
        return PosixFiles().pread(fd, into, n, offset);
    }
    ssize_t pwrite(int fd, const void* from, std::size_t n, uint64_t offset) override
    {
        if (fails())
            return -ENOSPC;
        if (fullDisk) {
            uint64_t size = 0;
            mode_t mode = 0;
            PosixFiles().stat(fd, size, mode);
            if (offset + n > size) {
                hit = true;
                return -ENOSPC;
            }
        }
        return PosixFiles().pwrite(fd, from, n, offset);
    }
    int truncate(int fd, uint64_t size) override { return fails() ? -EIO : PosixFiles().truncate(fd, size); }
    int sync(int fd) override { return fails() ? -EIO : PosixFiles().sync(fd); }
    int stat(int fd, uint64_t& size, mode_t& mode) override { return PosixFiles().stat(fd, size, mode); }
    int rename(const std::string& from, const std::string& to) override
    {
        return fails() ? -EIO : PosixFiles().rename(from, to);
    }
    int remove(const std::string& path) override { return PosixFiles().remove(path); }
    bool exists(const std::string& path) override { return PosixFiles().exists(path); }
    int lock(int fd, short type, uint64_t offset, uint64_t length) override
    {
        return PosixFiles().lock(fd, type, offset, length);
    }

private:
    bool fails()
    {
        if (failAt == 0 || ++calls != failAt)
            return false;
        hit = true;
        return true;
    }
};

class LogFault : public ::testing::Test
{
protected:
    void SetUp() override
    {
        log = dir.filePath("report3.dbf");
        ReportLogWriter writer(log.toStdString());
        for (int n = 1; n <= 3; ++n)
            ASSERT_EQ(writer.append(piece(n)), ReportLogWriter::Outcome::Logged);
        stored = bytes(log);
        storedRecords = dbfread(log);
        ASSERT_EQ(storedRecords.count('\n'), 3) << storedRecords.toStdString();
    }
    /// Puts the log back as it was stored.
    void restore()
    {
        QFile f(log);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(stored);
    }

    QTemporaryDir dir;
    QString log;
    QByteArray stored;
    QString storedRecords;
};

} // namespace

// Every call of an append that changes a file is made to fail in turn, then the disk is made
// full: each failure is a table error naming the log, and afterwards the log reads as before.
TEST_F(LogFault, AFailedAppendIsATableErrorAndLeavesTheStoredRecordsWhole)
{
    ReportLogWriter plain(log.toStdString());
    ASSERT_EQ(plain.append(piece(4)), ReportLogWriter::Outcome::Logged);
    const QString withFourth = dbfread(log);
    restore();

    int failures = 0;
    for (int n = 0; n <= 100; ++n) {
        SCOPED_TRACE(n == 0 ? std::string("full disk") : "call " + std::to_string(n));
        FailingFiles files;
        files.failAt = n;
        files.fullDisk = n == 0;
        ReportLogWriter writer(log.toStdString(), files);
        std::optional<TableError> error;
        try {
            (void)writer.append(piece(4));
        } catch (const TableError& e) {
            error = e;
        }
        if (n > 0 && !files.hit)
            break; // past the append's last call
        if (error) {
            ++failures;
            EXPECT_NE(error->message().find(log.toStdString()), std::string::npos)
                << "the message does not name the log: " << error->message();
            EXPECT_EQ(bytes(log), stored) << "the stored log changed (" << error->text() << ")";
            EXPECT_EQ(dbfread(log), storedRecords);
        } else {
            EXPECT_EQ(dbfread(log), withFourth) << "the append went through but the log is not right";
        }
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"report3.dbf"});
        restore();
        if (n == 0) {
            ASSERT_TRUE(error) << "a full disk took the record";
            EXPECT_TRUE(saysDiskFull(error->text())) << error->text();
        }
    }
    EXPECT_GT(failures, 3);
}

// The same with the real files of this system: a file-size limit stops the record at the
// byte the disk would, whatever that byte is.
TEST_F(LogFault, ARealDiskFullAtAnyByteOfTheRecordKeepsTheLogWhole)
{
    const auto size = static_cast<rlim_t>(stored.size());
    for (rlim_t limit : {size, size + 1, size + 100, size + 200}) {
        SCOPED_TRACE(limit);
        const auto result = faulttest::RunInChild({.fileSizeLimit = limit}, [&]() -> std::string {
            try {
                ReportLogWriter writer(log.toStdString());
                (void)writer.append(piece(4));
                return "logged";
            } catch (const TableError& e) {
                return e.text();
            }
        });
        ASSERT_TRUE(result.ran) << result.text;
        EXPECT_EQ(result.text.rfind("Error # ", 0), 0u) << result.text;
        EXPECT_TRUE(saysDiskFull(result.text)) << result.text;
        EXPECT_NE(result.text.find(log.toStdString()), std::string::npos) << result.text;
        EXPECT_EQ(bytes(log), stored);
        EXPECT_EQ(dbfread(log), storedRecords);
        restore();
    }
}

class ReportPdfFault : public reporttest::LogFixture
{
};

TEST_F(ReportPdfFault, AReportTheDiskCannotTakeIsAnErrorNotAFile)
{
    make(120);
    auto doc = layout("ShortDetail");
    ASSERT_TRUE(doc);
    // /dev/full takes the file open and fails every write with "No space left on device", for
    // root as for anybody: the PDF writer's own end says nothing of it.
    const auto error = quill::report::WritePdf(*doc, "/dev/full");
    ASSERT_TRUE(error) << "a report that never reached the disk was reported written";
    EXPECT_EQ(*error, "Cannot write the report to \"/dev/full\".");
    EXPECT_TRUE(QFileInfo("/dev/full").exists()); // a device is never removed as a torn file
}

// The first record of a new log on a failing disk: the log is either not made at all or made
// whole and empty, never a torn file that every later start would refuse as no table.
TEST(LogFaultNew, ALogThatCannotBeMadeLeavesNothingTheNextPieceCannotUse)
{
    int failures = 0;
    for (int n = 0; n <= 100; ++n) {
        SCOPED_TRACE(n == 0 ? std::string("full disk") : "call " + std::to_string(n));
        QTemporaryDir dir;
        const QString log = dir.filePath("report3.dbf");
        FailingFiles files;
        files.failAt = n;
        files.fullDisk = n == 0;
        bool failed = false;
        try {
            ReportLogWriter writer(log.toStdString(), files);
            (void)writer.append(piece(1));
        } catch (const TableError& e) {
            failed = true;
            EXPECT_NE(e.message().find(log.toStdString()), std::string::npos) << e.message();
        }
        if (n > 0 && !files.hit)
            break;
        failures += failed;
        // The next piece, on a disk with room again, is logged after whatever got through.
        ReportLogWriter again(log.toStdString());
        try {
            EXPECT_EQ(again.append(piece(2)), ReportLogWriter::Outcome::Logged);
        } catch (const TableError& e) {
            ADD_FAILURE() << "the log left by the failure cannot be used: " << e.text();
            continue;
        }
        const QString records = dbfread(log);
        const QString second = QString::fromStdString(piece(2).sentName[0]);
        EXPECT_TRUE(records.count('\n') == (failed ? 1 : 2) && records.contains(second))
            << records.toStdString();
    }
    EXPECT_GT(failures, 1);
}
