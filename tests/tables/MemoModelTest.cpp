// Memo texts rewritten at random, checked after every step against a model of what each record
// holds and against the memo file's own structure, read without the table layer.

#include "FieldValue.h"
#include "FileFormat.h"
#include "TableTestUtil.h"
#include "TzDbf.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

using namespace quill::tables;
using tabletest::Folder;

namespace {

const std::vector<std::string> AddressFields{"address,M,10,0", "city,C,35,0", "state,C,2,0", "zip,C,10,0"};

// A text of `size` bytes that says whose it is and when it was written.
std::string textOf(uint32_t record, int write, std::size_t size)
{
    std::string t = "r" + std::to_string(record) + "w" + std::to_string(write) + ":";
    while (t.size() < size)
        t += static_cast<char>('a' + (t.size() * 7 + record + static_cast<std::size_t>(write)) % 26);
    t.resize(size);
    return t;
}

struct Model
{
    Folder dir;
    std::string dbf = dir / "addr.dbf";
    std::string dbt = dir / "addr.dbt";
    std::vector<std::string> texts; // by record, from 0

    // Creates the table with one text a record, of the sizes `size` gives.
    void open(TTzDbf& t, uint32_t records, const std::function<std::size_t()>& size)
    {
        t.DbfFields = AddressFields;
        t.setDbfFileName(dbf);
        t.Open();
        ASSERT_TRUE(t.ALock());
        for (uint32_t r = 1; r <= records; ++r) {
            texts.push_back(textOf(r, 0, size()));
            t.ClearRecord();
            t.SetMemoText("address", texts.back());
            t.AppendRec();
        }
        t.UnLock();
    }

    // The table reads as the model says and its memo file is sound, with no block lost.
    void check(const std::string& step)
    {
        std::string problem;
        const tabletest::RawTable raw = tabletest::ReadRaw(dbf, dbt, problem, true);
        ASSERT_EQ(problem, "") << step;
        ASSERT_EQ(raw.records.size(), texts.size()) << step;
        for (std::size_t r = 0; r < texts.size(); ++r)
            ASSERT_EQ(raw.records[r].substr(1, texts[r].size() + 2), "[" + texts[r] + "]")
                << step << ", record " << r + 1;
    }
};

void rewrite(TTzDbf& t, uint32_t recNo, const std::string& text, int how)
{
    t.Go(recNo);
    switch (how) {
    case 0: // as the data-aware controls do: under the record lock, posted in place
        ASSERT_TRUE(t.Edit());
        t.SetMemoText("address", text);
        ASSERT_TRUE(t.Post());
        break;
    case 1: // the buffer started by the first value set
        t.SetMemoText("address", text);
        ASSERT_TRUE(t.Post());
        break;
    default: // written twice before it is posted
        ASSERT_TRUE(t.Edit());
        t.SetMemoText("address", text + "-draft-" + text);
        t.SetMemoText("address", text);
        ASSERT_TRUE(t.Post());
    }
}

} // namespace

TEST(MemoSpace, RandomRewritesNeverLoseOrShareATextAgainstAModel)
{
    const std::size_t sizes[] = {0, 1, 503, 504, 505, 1015, 1016, 1017, 1500, 2040, 5000};
    for (unsigned seed : {1u, 2u, 3u}) {
        Model m;
        std::mt19937 rng(seed);
        TTzDbf t;
        m.open(t, 12, [&] { return sizes[rng() % std::size(sizes)]; });
        m.check("after the appends, seed " + std::to_string(seed));
        for (int write = 1; write <= 300; ++write) {
            const uint32_t r = 1 + static_cast<uint32_t>(rng() % 12);
            const std::size_t size = rng() % 4 == 0 ? rng() % 5001 : sizes[rng() % std::size(sizes)];
            const std::string text = textOf(r, write, size);
            const int how = static_cast<int>(rng() % 4);
            const std::string step = "seed " + std::to_string(seed) + ", write " + std::to_string(write) +
                                     " of " + std::to_string(size) + " bytes to record " + std::to_string(r);
            if (how == 3) { // begun and cancelled: the record keeps its text
                t.Go(r);
                ASSERT_TRUE(t.Edit());
                t.SetMemoText("address", text);
                t.Cancel();
            } else {
                rewrite(t, r, text, how);
                m.texts[r - 1] = text;
            }
            m.check(step);
            if (::testing::Test::HasFatalFailure())
                return;
            if (write % 50 == 0) { // and the same after closing and opening again
                t.Close();
                t.Open();
            }
        }
        t.Close();
        m.check("closed");
    }
}

TEST(MemoSpace, AChainLongerThanTheLinksExaminedStillEndsAtTheEndOfTheFile)
{
    // 260 one-block texts, each then rewritten to two blocks: every rewrite frees one block,
    // none of which fits a two-block text, so past 100 links the new runs come from the end.
    Model m;
    TTzDbf t;
    m.open(t, 260, [] { return 100; });
    for (int write = 1; write <= 260; ++write) {
        const auto r = static_cast<uint32_t>(write);
        m.texts[r - 1] = textOf(r, write, 600);
        rewrite(t, r, m.texts[r - 1], 0);
        m.check("grow record " + std::to_string(r));
        if (::testing::Test::HasFatalFailure())
            return;
    }
    // Back to one block each: the free runs are found again, and nothing is handed out twice.
    for (int write = 261; write <= 520; ++write) {
        const auto r = static_cast<uint32_t>(521 - write);
        m.texts[r - 1] = textOf(r, write, 40);
        rewrite(t, r, m.texts[r - 1], 1);
        m.check("shrink record " + std::to_string(r));
        if (::testing::Test::HasFatalFailure())
            return;
    }
    t.Close();
    // Other programs read the same texts.
    const std::string py = tabletest::Run(
        "/usr/bin/python3 -c \"import dbfread\n"
        "t = dbfread.DBF('" +
        m.dbf +
        "', encoding='cp437')\n"
        "print(sum(1 for i, r in enumerate(t) if r['ADDRESS'].startswith('r%dw' % (i + 1))))\n\"");
    EXPECT_EQ(py, "260\n");
}

TEST(MemoSpace, AnEmptiedTextGivesItsBlocksBack)
{
    Model m;
    TTzDbf t;
    m.open(t, 2, [] { return 1500; });
    const auto size = std::filesystem::file_size(m.dbt);
    rewrite(t, 1, "", 0);
    m.texts[0] = "";
    m.check("emptied");
    EXPECT_EQ(t.GetFieldText("address"), "");
    // The blocks it gave back take the next text: the file does not grow.
    rewrite(t, 2, textOf(2, 1, 1400), 1);
    m.texts[1] = textOf(2, 1, 1400);
    m.check("rewritten into the freed blocks");
    EXPECT_EQ(std::filesystem::file_size(m.dbt), size);
}

// Memo fields of another program's damaged files: a block past the end of the memo file, or a
// dBase III header whose next block lies far past it. Texts written then stay where they are put.
TEST(MemoSpace, ATextWrittenAtTheBlockADamagedFieldPointedToStaysTheRecords)
{
    Model m;
    {
        TTzDbf t;
        m.open(t, 1, [] { return 40; });
        t.Close();
    }
    // Record 1 now names the block just past the end of the memo file, where the next text goes.
    std::string data = tabletest::ReadFile(m.dbf);
    const uint32_t end = static_cast<uint32_t>(tabletest::ReadFile(m.dbt).size() / 512);
    data.replace(Get16(data, dbf::HeaderLength) + 1, 10, MemoBlockField(end, 10));
    tabletest::WriteFile(m.dbf, data);

    TTzDbf t;
    t.setDbfFileName(m.dbf);
    t.Open();
    m.texts = {"written over the damaged field"};
    rewrite(t, 1, m.texts[0], 0);
    // Before, the new text's blocks went back to the free chain, and this one took them.
    ASSERT_TRUE(t.ALock());
    m.texts.push_back("the next record's text");
    t.ClearRecord();
    t.SetMemoText("address", m.texts[1]);
    t.AppendRec();
    t.UnLock();
    t.Close();
    // Read without the table layer; the text the damaged field lost is out of every run, so
    // the memo file is checked for overlaps but not for lost blocks.
    std::string problem;
    const tabletest::RawTable raw = tabletest::ReadRaw(m.dbf, m.dbt, problem);
    ASSERT_EQ(problem, "");
    ASSERT_EQ(raw.records.size(), 2u);
    for (std::size_t r = 0; r < 2; ++r)
        EXPECT_EQ(raw.records[r].substr(1, m.texts[r].size() + 2), "[" + m.texts[r] + "]")
            << "record " << r + 1;
}

TEST(MemoSpace, ADbase3TextGoesAtTheEndWhateverTheHeadersNextBlockSays)
{
    Model m;
    {
        TTzDbf t;
        m.open(t, 0, [] { return 0; });
        t.Close();
    }
    std::string data = tabletest::ReadFile(m.dbf);
    data[dbf::Version] = static_cast<char>(dbf::VersionMemo3);
    tabletest::WriteFile(m.dbf, data);
    std::string memo = tabletest::ReadFile(m.dbt);
    Put32(memo, dbt::FreeChain, 0x00FFFFFF); // 8 GB into the file
    tabletest::WriteFile(m.dbt, memo);

    TTzDbf t;
    t.setDbfFileName(m.dbf);
    t.Open();
    ASSERT_TRUE(t.ALock());
    t.ClearRecord();
    t.SetMemoText("address", "a dBase III text");
    t.AppendRec();
    t.UnLock();
    t.Close();
    EXPECT_LE(std::filesystem::file_size(m.dbt), 2 * 512u);
    t.Open();
    EXPECT_EQ(t.GetMemoText("address"), "a dBase III text");
}
