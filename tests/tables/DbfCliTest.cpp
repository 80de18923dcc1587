// quillmark-dbf, run as an office would run it.

#include "TableTestUtil.h"
#include "TzDbf.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

const std::string Tool = std::string(QUILL_PROGRAM_DIR) + "/quillmark-dbf";

struct Result
{
    int status;
    std::string out;
};

Result runShell(const std::string& command, const std::string& input = "")
{
    const std::string in = (fs::temp_directory_path() / "qdbf-input.txt").string();
    std::ofstream(in) << input;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(("(" + command + ") < " + in + " 2>&1").c_str(), "r"),
                                               [](FILE* f) { return ::pclose(f); });
    std::string out;
    char buf[4096];
    while (std::fgets(buf, sizeof buf, pipe.get()))
        out += buf;
    const int status = ::pclose(pipe.release());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

Result run(const std::string& args, const std::string& input = "")
{
    return runShell(Tool + " " + args, input);
}

using tabletest::Folder;

} // namespace

TEST(DbfCli, CreateAppendDumpDeletePack)
{
    Folder dir;
    const std::string table = dir / "addr.dbf";
    ASSERT_EQ(run("create " + table + " address,M,10,0 city,C,35,0 state,C,2,0 zip,C,10,0").status, 0);
    const std::string lines = "{\"recno\":1,\"deleted\":false,\"fields\":{\"ADDRESS\":\"Ren\\u00e9e "
                              "\\\"Q\\\" Smith\\r\\n\",\"CITY\":\"K\xc3\xb6ln\"}}\n"
                              "{\"deleted\":true,\"fields\":{\"CITY\":\"Gone\",\"ZIP\":\"12345\"}}\n"
                              "{\"fields\":{\"CITY\":\"Third\"}}\n";
    ASSERT_EQ(run("append " + table, lines).status, 0);

    const Result info = run("info " + table);
    EXPECT_EQ(info.status, 0);
    EXPECT_NE(info.out.find("version: 0x8B\nrecords: 3\nheader length: 161\nrecord length: 58\nfields: 4\n"),
              std::string::npos)
        << info.out;

    const Result dump = run("dump " + table);
    EXPECT_EQ(dump.out,
              "{\"recno\":1,\"deleted\":false,\"fields\":{\"ADDRESS\":\"Ren\xc3\xa9"
              "e \\\"Q\\\" Smith\\r\\n\","
              "\"CITY\":\"K\xc3\xb6ln\",\"STATE\":\"\",\"ZIP\":\"\"}}\n"
              "{\"recno\":2,\"deleted\":true,\"fields\":{\"ADDRESS\":\"\",\"CITY\":\"Gone\",\"STATE\":\"\","
              "\"ZIP\":\"12345\"}}\n"
              "{\"recno\":3,\"deleted\":false,\"fields\":{\"ADDRESS\":\"\",\"CITY\":\"Third\",\"STATE\":\"\","
              "\"ZIP\":\"\"}}\n");
    // What dump writes, append takes back.
    const std::string copy = dir / "copy.dbf";
    ASSERT_EQ(run("create " + copy + " address,M,10,0 city,C,35,0 state,C,2,0 zip,C,10,0").status, 0);
    ASSERT_EQ(run("append " + copy, dump.out).status, 0);
    EXPECT_EQ(run("dump " + copy).out, dump.out);

    const Result ordered = run("dump " + table + " --index city bycity");
    EXPECT_EQ(ordered.status, 0);
    EXPECT_LT(ordered.out.find("\"recno\":2"), ordered.out.find("\"recno\":1")); // Gone, Köln, Third
    EXPECT_TRUE(fs::exists(dir / "bycity.MDX"));

    EXPECT_EQ(run("delete " + table + " 3").status, 0);
    EXPECT_EQ(run("pack " + table).status, 0);
    const Result packed = run("dump " + table);
    EXPECT_EQ(std::count(packed.out.begin(), packed.out.end(), '\n'), 1) << packed.out;
    EXPECT_NE(packed.out.find("Smith"), std::string::npos);
}

TEST(DbfCli, ErrorsExitWithTheirNumber)
{
    Folder dir;
    const std::string bad = dir / "bad.dbf";
    std::ofstream(bad) << "not a table";
    const Result r = run("info " + bad);
    EXPECT_EQ(r.status, 210);
    EXPECT_EQ(r.out, "Error # 210 (Not a dBASE data file)\r\n" + bad +
                         " is not a dBASE database. (Prolog is less than 32 bytes) [USE/OpenDBF]\n");
    EXPECT_EQ(run("dump " + (dir / "missing.dbf")).status, 2);
    EXPECT_EQ(run("frobnicate x").status, 2);
    EXPECT_EQ(run("create " + (dir / "t.dbf") + " name,C,10").status, 2); // no table from a bad line
    EXPECT_FALSE(fs::exists(dir / "t.dbf"));

    ASSERT_EQ(run("create " + (dir / "n.dbf") + " amount,N,8,2").status, 0);
    const Result notJson = run("append " + (dir / "n.dbf"), "{\"fields\":{\"AMOUNT\":\"12.5\"}}\nnonsense\n");
    EXPECT_EQ(notJson.status, 1);
    EXPECT_NE(notJson.out.find("line 2 is not a JSON object"), std::string::npos);
    const Result noField = run("append " + (dir / "n.dbf"), "{\"fields\":{\"NOPE\":\"1\"}}\n");
    EXPECT_NE(noField.out.find("Field 'NOPE' not found"), std::string::npos);
}

TEST(DbfCli, AnotherProgramHoldingTheAppendLockIsRespected)
{
    Folder dir;
    const std::string table = dir / "shared.dbf";
    quill::tables::TTzDbf holder;
    holder.DbfFields = {"city,C,20,0"};
    holder.setDbfFileName(table);
    holder.Open();
    ASSERT_TRUE(holder.ALock());
    const Result r = run("append " + table, "{\"fields\":{\"CITY\":\"x\"}}\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("another program is appending"), std::string::npos);
    holder.UnLock();
    EXPECT_EQ(run("append " + table, "{\"fields\":{\"CITY\":\"x\"}}\n").status, 0);
    holder.Refresh();
    EXPECT_EQ(holder.RecCount(), 1u);
}

TEST(DbfCli, APackThatRunsOutOfDiskLeavesTheTableAsItWas)
{
    Folder dir;
    const std::string table = dir / "addr.dbf";
    ASSERT_EQ(run("create " + table + " address,M,10,0 city,C,35,0").status, 0);
    std::string lines;
    for (int i = 0; i < 40; ++i)
        lines += "{\"fields\":{\"ADDRESS\":\"" + std::string(1800, static_cast<char>('a' + i % 26)) +
                 "\",\"CITY\":\"City " + std::to_string(i) +
                 "\"},\"deleted\":" + (i % 3 == 0 ? "true" : "false") + "}\n";
    ASSERT_EQ(run("append " + table, lines).status, 0);
    const std::string dbf = tabletest::ReadFile(table), dbt = tabletest::ReadFile(dir / "addr.dbt");
    ASSERT_GT(dbt.size(), 40u * 1024);
    // No file may grow past 16 KB: the packed memo file cannot be written.
    const Result full = runShell("ulimit -f 32; trap '' XFSZ; exec " + Tool + " pack " + table);
    EXPECT_NE(full.status, 0);
    EXPECT_NE(full.out.find("Error packing " + table), std::string::npos) << full.out;
    EXPECT_EQ(tabletest::ReadFile(table), dbf);
    EXPECT_EQ(tabletest::ReadFile(dir / "addr.dbt"), dbt);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"addr.dbf", "addr.dbt"}));
    // With room, the same pack goes through.
    EXPECT_EQ(run("pack " + table).status, 0);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"addr.dbf", "addr.dbt"}));
    EXPECT_LT(tabletest::ReadFile(dir / "addr.dbt").size(), dbt.size());
}
