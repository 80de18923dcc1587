// An address table on a disk that fills up under it, with the real files of this system: a
// forked child writes under a file-size limit, and perl XBase, which shares nothing with the
// table layer, reads the table afterwards. A memo that does not fit is a table error, and every
// record and memo stored before reads as it did.

#include "../common/FaultChild.h"
#include "TableTestUtil.h"
#include "TzDbf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace quill::tables;
using tabletest::Folder;

namespace {

const std::vector<std::string> Fields{"address,M,10,0", "city,C,35,0", "state,C,2,0", "zip,C,10,0"};

/// Every record as perl XBase reads it: deletion flag, memo text (its lines joined by "/") and
/// the other fields.
std::string xbase(const std::string& dbf)
{
    return tabletest::Run("perl -MXBase -e 'my $t = XBase->new(\"" + dbf +
                          "\") or die XBase->errstr; for my $i (0..$t->last_record) {"
                          " my @r = $t->get_record($i); s/\\r\\n/\\//g for @r;"
                          " print join(\"|\", @r), \"\\n\" }' 2>&1");
}

void add(TTzDbf& t, const std::string& memo, const std::string& city)
{
    t.ClearRecord();
    t.SetMField("address", {memo, "Second line"});
    t.SetFieldText("city", city);
    t.SetFieldText("zip", "04101");
    t.AppendRec();
}

struct Step
{
    const char* name;
    std::function<void(TTzDbf&)> run;
};

const Step Steps[] = {
    {"a new record with a long memo",
     [](TTzDbf& t) {
         if (!t.ALock())
             throw std::runtime_error("no append lock");
         add(t, std::string(3000, 'n'), "Freeport");
         t.UnLock();
     }},
    {"a memo that outgrows its blocks",
     [](TTzDbf& t) {
         t.Go(2);
         if (!t.Edit())
             throw std::runtime_error("no record lock");
         t.SetMField("address", {std::string(2500, 'g'), "grown"});
         if (!t.Post())
             throw std::runtime_error("not posted");
     }},
};

} // namespace

TEST(DiskFull, AMemoThatDoesNotFitIsATableErrorAndTheStoredMemosStay)
{
    for (const Step& step : Steps) {
        Folder dir;
        const std::string dbf = dir / "clients.dbf", dbt = dir / "clients.dbt";
        {
            TTzDbf t;
            t.DbfFields = Fields;
            t.setDbfFileName(dbf);
            t.Open();
            ASSERT_TRUE(t.ALock());
            add(t, "Mr. Robert Allard", "Augusta");
            add(t, std::string(600, 'b'), "Bangor");
            add(t, "Carl Dunn", "Salem");
            t.UnLock();
            t.Close();
        }
        const std::string storedDbf = tabletest::ReadFile(dbf), storedDbt = tabletest::ReadFile(dbt);
        const std::string stored = xbase(dbf);
        ASSERT_EQ(std::count(stored.begin(), stored.end(), '\n'), 3) << stored;
        ASSERT_EQ(stored.find("rror"), std::string::npos) << stored;
        const std::vector<std::string> storedNames = dir.names();
        const auto restore = [&] {
            tabletest::WriteFile(dbf, storedDbf);
            tabletest::WriteFile(dbt, storedDbt);
        };
        auto runStep = [&]() -> std::string {
            try {
                TTzDbf t;
                t.DbfFields = Fields;
                t.setDbfFileName(dbf);
                t.Open();
                step.run(t);
                t.Close();
                return "written";
            } catch (const TableError& e) {
                return e.text();
            }
        };
        // What the step makes of the table when the disk has room.
        ASSERT_EQ(faulttest::RunInChild({}, runStep).text, "written") << step.name;
        const std::string after = xbase(dbf);
        restore();

        const auto largest = static_cast<rlim_t>(std::max(storedDbf.size(), storedDbt.size()));
        int failed = 0;
        for (rlim_t room : {0, 1, 100, 511, 512, 1500, 2600, 8192}) {
            SCOPED_TRACE(std::string(step.name) + ", room " + std::to_string(room));
            const auto result = faulttest::RunInChild({.fileSizeLimit = largest + room}, runStep);
            ASSERT_TRUE(result.ran) << result.text;
            std::string problem;
            tabletest::ReadRaw(dbf, dbt, problem);
            EXPECT_EQ(problem, "") << "the files are torn after: " << result.text;
            if (result.text == "written") {
                EXPECT_EQ(xbase(dbf), after);
            } else {
                ++failed;
                EXPECT_EQ(result.text.rfind("Error # ", 0), 0u) << result.text;
                std::string lower = result.text;
                for (char& ch : lower)
                    ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
                EXPECT_NE(lower.find("disk full"), std::string::npos) << result.text;
                EXPECT_EQ(xbase(dbf), stored) << "a stored record or memo changed: " << result.text;
            }
            EXPECT_EQ(dir.names(), storedNames);
            restore();
        }
        EXPECT_GT(failed, 0) << step.name << ": the disk never filled up";
    }
}
