// Report records written into the log: the fields in their places, and a log another program
// keeps locked tried again before the record is given up.

#include "report/ReportLayout.h"
#include "report/ReportLog.h"
#include "tables/TzDbf.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quill::report;
using quill::tables::TTzDbf;

namespace {

ReportRecord sample(const std::string& name)
{
    ReportRecord r;
    r.sentName = {name, "18 Cedar Lane", "", ""};
    r.city = "Augusta";
    r.state = "ME";
    r.zip = "04330";
    r.date = "12/10/2026";
    r.mailerNumber = "9214 7123 4567 8900 0000 15";
    r.postage = "          0.39";
    r.certified = "          2.40";
    r.returnReceipt = "          1.85";
    r.total = "          4.64";
    r.comments = "Lien notice";
    r.re = "Parcel 14-220 and the long tail of the RE line";
    return r;
}

} // namespace

TEST(ReportLogWriter, CreatesTheLogAndWritesEveryField)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("report3.dbf").toStdString();
    ReportLogWriter writer(path);
    ASSERT_EQ(writer.append(sample("Mr. Robert Allard")), ReportLogWriter::Outcome::Logged);
    ASSERT_EQ(writer.append(sample("Dana Whitcomb")), ReportLogWriter::Outcome::Logged);
    TTzDbf t;
    t.setDbfFileName(path);
    t.Open();
    ASSERT_EQ(t.RecCount(), 2u);
    t.Go(2);
    EXPECT_EQ(t.GetFieldText("sentname0").substr(0, 13), "Dana Whitcomb");
    EXPECT_EQ(t.GetFieldText("sentname2"), std::string(30, ' '));
    EXPECT_EQ(t.GetFieldText("rdate"), "20261210");
    EXPECT_EQ(t.GetFieldText("mailernum").substr(0, 27), "9214 7123 4567 8900 0000 15");
    EXPECT_EQ(t.GetFieldText("postage"), "          0.39 ");
    EXPECT_EQ(t.GetFieldText("restricted"), std::string(15, ' '));
    EXPECT_EQ(t.GetFieldText("re"), "Parcel 14-220 and the lon"); // cut at the field's 25
}

TEST(ReportLogWriter, ALockedLogIsTriedAgainThenGivenUp)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("report3.dbf").toStdString();
    ReportLogWriter writer(path);
    ASSERT_EQ(writer.append(sample("First")), ReportLogWriter::Outcome::Logged);

    TTzDbf other; // another program, appending
    other.setDbfFileName(path);
    other.Open();
    ASSERT_TRUE(other.ALock());

    // Let go during the third wait: the record goes in.
    int waits = 0;
    writer.wait = [&](std::chrono::milliseconds every) {
        EXPECT_EQ(every, writer.retryEvery);
        if (++waits == 3)
            other.UnLock();
    };
    EXPECT_EQ(writer.append(sample("Second")), ReportLogWriter::Outcome::Logged);
    EXPECT_EQ(waits, 3);

    // Held all along: given up after two seconds of waits, and nothing is written.
    ASSERT_TRUE(other.ALock());
    waits = 0;
    writer.wait = [&](std::chrono::milliseconds) { ++waits; };
    EXPECT_EQ(writer.append(sample("Third")), ReportLogWriter::Outcome::LockBusy);
    EXPECT_EQ(waits, 2000 / 50);
    other.UnLock();
    other.Refresh();
    EXPECT_EQ(other.RecCount(), 2u);
}
