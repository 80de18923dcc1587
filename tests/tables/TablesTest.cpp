#include "CodePage.h"
#include "FileFormat.h"
#include "Mdx.h"
#include "TableTestUtil.h"
#include "TzDbf.h"
#include "report/ReportLayout.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

using namespace quill::tables;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string>& ReportFields = quill::report::ReportLogFields();
const std::vector<std::string> AddressFields{"address,M,10,0", "city,C,35,0", "state,C,2,0", "zip,C,10,0"};

using tabletest::Folder;
const auto readFile = tabletest::ReadFile;
const auto writeFile = tabletest::WriteFile;
const auto run = tabletest::Run;

void openTable(TTzDbf& t, const std::string& path, const std::vector<std::string>& fields = {})
{
    t.DbfFields = fields;
    t.setDbfFileName(path);
    t.Open();
}

void addAddress(TTzDbf& t, const std::vector<std::string>& lines, const std::string& city,
                const std::string& zip)
{
    ASSERT_TRUE(t.ALock());
    t.ClearRecord();
    t.SetMField("address", lines);
    t.SetFieldText("city", city);
    t.SetFieldText("state", "ME");
    t.SetFieldText("zip", zip);
    t.AppendRec();
}

int errorOf(const std::function<void()>& f, std::string* message = nullptr)
{
    try {
        f();
    } catch (const TableError& e) {
        if (message)
            *message = e.message();
        return e.number();
    }
    return 0;
}

} // namespace

TEST(CodePages, AgreeWithIconv)
{
    // Every Windows-1252 character that code page 437 has comes back the same way iconv maps it.
    for (int b = 0x80; b < 256; ++b) {
        std::string ansi(1, static_cast<char>(b));
        std::string oem = ansi;
        AnsiToOem(oem);
        char octal[8];
        std::snprintf(octal, sizeof octal, "\\%03o", b);
        const std::string viaIconv =
            run(std::string("printf '") + octal + "' | iconv -f CP1252 -t CP437 2>/dev/null | xxd -p");
        if (viaIconv.size() >= 2 && viaIconv.find_first_not_of("0123456789abcdef\n") == std::string::npos) {
            EXPECT_EQ(std::stoi(viaIconv.substr(0, 2), nullptr, 16), static_cast<unsigned char>(oem[0])) << b;
            std::string back = oem;
            OemToAnsi(back);
            EXPECT_EQ(back, ansi) << b;
        } else {
            EXPECT_EQ(oem, "?") << b; // 437 lacks it
        }
    }
    EXPECT_EQ(Utf8ToAnsi("\xc3\xa9\xc3\xbc\xc3\xb1\xc2\xa3\xe2\x82\xac\xe4\xb8\xad"),
              "\xe9\xfc\xf1\xa3\x80?");
    EXPECT_EQ(AnsiToUtf8("\xe9\x80"), "\xc3\xa9\xe2\x82\xac");
}

TEST(CodePages, BrokenUtf8IsOneQuestionMarkPerBadByte)
{
    struct Case
    {
        const char* name;
        std::string utf8;
        std::string ansi;
    };
    const Case cases[] = {
        {"cut short at the end", "ab\xc3", "ab?"},    {"stray continuation byte", "\x80z", "?z"},
        {"overlong slash", "\xc0\xaf", "??"},         {"overlong three bytes", "\xe0\x80\xaf", "???"},
        {"surrogate", "\xed\xa0\x80", "???"},         {"past U+10FFFF", "\xf4\x90\x80\x80", "????"},
        {"lead byte then ASCII", "\xe2\x82X", "??X"}, {"a character outside 1252", "\xf0\x9f\x98\x80!", "?!"},
        {"the euro sign", "\xe2\x82\xac", "\x80"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8ToAnsi(c.utf8), c.ansi) << c.name;
}

TEST(TzDbf, FileNamesAreCompleted)
{
    struct Case
    {
        const char* given;
        const char* expected;
    };
    for (const Case c : {Case{"  /a/report3  ", "/a/report3.DBF"}, Case{"/a/log.tmp", "/a/log.tmp"},
                         Case{"/a/log.", "/a/log."}, Case{"", ""}, Case{"/a.b/name", "/a.b/name.DBF"}}) {
        TTzDbf t;
        t.setDbfFileName(c.given);
        EXPECT_EQ(t.DbfFileName(), c.expected) << c.given;
    }
}

TEST(TzDbf, ReportLogLayoutIsByteExact)
{
    Folder dir;
    TTzDbf t;
    openTable(t, dir / "report3", ReportFields);
    t.Close();
    const std::string bytes = readFile(dir / "report3.DBF");
    ASSERT_EQ(bytes.size(), 546u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[0]), 0x03);
    EXPECT_EQ(static_cast<uint8_t>(bytes[8]) | (static_cast<uint8_t>(bytes[9]) << 8), 545);
    EXPECT_EQ(static_cast<uint8_t>(bytes[10]) | (static_cast<uint8_t>(bytes[11]) << 8), 348);
    EXPECT_EQ(bytes.substr(32, 11), std::string("SENTNAME0\0\0", 11));
    EXPECT_EQ(bytes[32 + 11], 'C');
    EXPECT_EQ(static_cast<uint8_t>(bytes[32 + 16]), 30);
    EXPECT_EQ(bytes[544], '\x0D');
    EXPECT_EQ(bytes[545], '\x1A');
    EXPECT_EQ(bytes.substr(12, 20), std::string(20, '\0'));
    EXPECT_FALSE(fs::exists(dir / "report3.DBT"));
}

TEST(TzDbf, FieldListsAreCorrectedOrRefused)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> fields;
        bool created;
        std::vector<std::string> messages;
        std::string descriptor; // type, length, decimals of the first field
    };
    const Case cases[] = {
        {"empty list",
         {},
         false,
         {"FieldList.Count is <= 0 trying to create a database", "Could not create"},
         ""},
        {"two commas", {"name,C,10", "city,C,35,0"}, false, {"Could not create"}, ""},
        {"wide numeric",
         {"amount, N, 25, 20"},
         true,
         {"Invalid field definition for TzDbf: amount,N,25,20. Will use corrected definition: "
          "amount,N,20,18"},
         "N,20,18"},
        {"long character",
         {"note,C,255,0"},
         true,
         {"Invalid field definition for TzDbf: note,C,255,0."},
         "C,254,0"},
        {"blob becomes memo", {"pic,B,10,0"}, true, {"Invalid field definition"}, "M,10,0"},
        {"unknown letter", {"odd,Z,5,0"}, true, {"Invalid field definition"}, "C,5,0"},
        {"left out", {"skip,X,5,0", "kept,L,9,0"}, true, {}, "L,1,0"},
        {"numbers as written", {"n, N, +1$2 x, 0"}, true, {}, "N,12,0"},
        {"zero length", {"name,C,0,0"}, false, {"Could not create"}, ""},
    };
    for (const Case& c : cases) {
        Folder dir;
        std::vector<std::string> shown;
        TTzDbf t;
        t.ShowMessage = [&](const std::string& m) { shown.push_back(m); };
        t.DbfFields = c.fields;
        t.setDbfFileName(dir / "t");
        std::string message;
        const int error = errorOf([&] { t.Open(); }, &message);
        EXPECT_EQ(error, c.created ? 0 : 2) << c.name;
        if (!c.created) {
            EXPECT_EQ(message, "Failure to open " + (dir / "t.DBF") + " [USE/OpenDbf]") << c.name;
        }
        EXPECT_EQ(fs::exists(dir / "t.DBF"), c.created) << c.name;
        ASSERT_EQ(shown.size(), c.messages.size()) << c.name;
        for (std::size_t i = 0; i < shown.size(); ++i)
            EXPECT_EQ(shown[i].rfind(c.messages[i], 0), 0u) << c.name << ": " << shown[i];
        if (c.created) {
            const auto& f = t.Fields()[0];
            EXPECT_EQ(std::string(1, f.type) + "," + std::to_string(f.length) + "," +
                          std::to_string(f.decimals),
                      c.descriptor)
                << c.name;
        }
    }
}

TEST(TzDbf, IndependentReadersSeeWhatWeWrote)
{
    Folder dir;
    const std::string path = dir / "addr.dbf";
    {
        TTzDbf t;
        openTable(t, path, AddressFields);
        addAddress(t, {"Mr. \xc3\x89ric M\xc3\xbcller", "12 Ca\xc3\xb1on Rd"}, "Z\xc3\xbcrich \xc2\xa3",
                   "04101");
        addAddress(t, {"Gone Away"}, "Nowhere", "99999");
        t.DeleteRec();
        addAddress(t, {std::string(504, 'x')}, "Long", "12345-6789");
        t.Close();
    }
    const std::string memo = readFile(dir / "addr.dbt");
    EXPECT_EQ(memo.substr(8, 8), std::string("addr\0\0\0\0", 8));
    EXPECT_EQ(static_cast<uint8_t>(readFile(path)[0]), 0x8B);

    const std::string py =
        run("/usr/bin/python3 -c \"import dbfread\n"
            "t = dbfread.DBF('" +
            path +
            "', encoding='cp437', load=True)\n"
            "for r in t.records: print(repr(r['CITY']), repr(r['ADDRESS'][:-8]), r['ZIP'])\n"
            "for r in t.deleted: print('deleted', r['CITY'])\n\"");
    EXPECT_NE(py.find("'Zürich £' 'Mr. Éric Müller\\r\\n12 Cañon Rd\\r\\n' 04101"), std::string::npos) << py;
    EXPECT_NE(py.find("deleted Nowhere"), std::string::npos) << py;
    EXPECT_NE(py.find("'Long' '" + std::string(504, 'x') + "\\r\\n' 12345-6789"), std::string::npos) << py;

    const std::string pl =
        run("perl -MXBase -e 'my $t = XBase->new(\"" + path +
            "\") or die XBase->errstr; for my $i (0..$t->last_record) { my @r = $t->get_record($i);"
            " print join(\"|\", $r[0], $r[2], length($r[1])), \"\\n\" }'");
    // perl reads the CP437 bytes as they are: "Z\x81rich \x9c" is Zürich £ in code page 437.
    EXPECT_NE(pl.find("0|Z\x81rich \x9c|30"), std::string::npos) << pl;
    EXPECT_NE(pl.find("1|Nowhere|11"), std::string::npos) << pl;
    EXPECT_NE(pl.find("0|Long|506"), std::string::npos) << pl;
}

TEST(TzDbf, ReadsTablesOtherProgramsWrote)
{
    Folder dir;
    // perl XBase writes dBase III (0x83) and dBase IV (0x8B) tables with memo files.
    for (const char* version : {"3", "0x8B"}) {
        const std::string path = dir / (std::string("perl") + version + ".dbf");
        const std::string out =
            run("perl -MXBase -e 'my $t = XBase->create(name => \"" + path + "\", version => " + version +
                ", field_names => [\"NAME\",\"NOTE\",\"WHEN\",\"AMOUNT\"], field_types => "
                "[\"C\",\"M\",\"D\",\"N\"], field_lengths => [20,10,8,8], field_decimals => "
                "[0,0,0,2]) or die XBase->errstr; $t->set_record(0, \"First\", \"line one\\r\\nline "
                "two\", \"20261210\", 3.25); $t->set_record(1, \"Second\", \"\", \"\", 7); "
                "$t->delete_record(1); $t->close;'");
        ASSERT_TRUE(fs::exists(path)) << out;
        TTzDbf t;
        t.CreateIfNotFound = false;
        openTable(t, path);
        ASSERT_EQ(t.RecCount(), 2u) << version;
        EXPECT_EQ(t.GetFieldText("name"), "First" + std::string(15, ' '));
        EXPECT_EQ(t.GetMField("note"), (std::vector<std::string>{"line one", "line two"})) << version;
        EXPECT_EQ(t.GetFieldText("when"), "20261210");
        EXPECT_EQ(t.GetFieldText("amount"), "3.25");
        EXPECT_FALSE(t.Deleted());
        t.Next();
        EXPECT_TRUE(t.Deleted());
        EXPECT_EQ(t.GetMemoText("note"), "");
    }
    // perl XBase without memo fields: 0x03.
    {
        const std::string path = dir / "plain.dbf";
        run("perl -MXBase -e 'my $t = XBase->create(name => \"" + path +
            "\", version => 3, field_names => [\"CITY\"], "
            "field_types => [\"C\"], field_lengths => [12], field_decimals => [0]); $t->set_record(0, "
            "\"Augusta\"); "
            "$t->close;'");
        TTzDbf t;
        t.CreateIfNotFound = false;
        openTable(t, path);
        EXPECT_EQ(static_cast<uint8_t>(readFile(path)[0]), 0x03);
        EXPECT_EQ(t.GetFieldText("city"), "Augusta     ");
    }
    // python3-dbf writes dBase III tables, with (0x83) and without (0x03) a memo file.
    for (const char* layout : {"name C(20); city C(20)", "name C(20); city C(20); note M"}) {
        const std::string py = dir / "py.dbf";
        const bool memo = std::string(layout).find(" M") != std::string::npos;
        const std::string out =
            run("/usr/bin/python3 -c \"import dbf\n"
                "t = dbf.Table('" +
                py + "', '" + layout +
                "', dbf_type='db3', codepage='cp437')\n"
                "t.open(dbf.READ_WRITE)\nt.append(('Ren\\u00e9e', 'K\\u00f6ln'" +
                (memo ? std::string(", 'a note\\r\\nwith \\u00e9'") : std::string()) + "))\nt.close()\n\"");
        ASSERT_TRUE(fs::exists(py)) << out;
        EXPECT_EQ(static_cast<uint8_t>(readFile(py)[0]), memo ? 0x83 : 0x03);
        TTzDbf t;
        t.CreateIfNotFound = false;
        openTable(t, py);
        EXPECT_EQ(t.GetFieldText("city").substr(0, 5), "K\xc3\xb6ln");
        EXPECT_EQ(t.GetFieldText("name").substr(0, 6), "Ren\xc3\xa9"
                                                       "e");
        if (memo) {
            EXPECT_EQ(t.GetMField("note"), (std::vector<std::string>{"a note", "with \xc3\xa9"}));
        }
        t.Close();
        fs::remove(py);
        fs::remove(dir / "py.dbt");
    }
}

TEST(TzDbf, MemoBlocksAreReusedInPlaceAndThroughTheFreeChain)
{
    Folder dir;
    TTzDbf t;
    openTable(t, dir / "m", AddressFields);
    addAddress(t, {std::string(502, 'a')}, "A", "1"); // 504 bytes with CR LF: two blocks
    EXPECT_EQ(fs::file_size(dir / "m.DBT"), 3u * 512);
    addAddress(t, {"short"}, "B", "2");
    EXPECT_EQ(fs::file_size(dir / "m.DBT"), 4u * 512);

    // Record 1 shrinks to one block: rewritten in place, its second block freed.
    t.Go(1);
    ASSERT_TRUE(t.Edit());
    t.SetMField("address", {"tiny"});
    ASSERT_TRUE(t.Post());
    EXPECT_EQ(t.GetFieldText("address"), "1");
    // Record 2 grows to two blocks: it moves; its old block joins the chain.
    t.Go(2);
    ASSERT_TRUE(t.Edit());
    t.SetMField("address", {std::string(600, 'b')});
    ASSERT_TRUE(t.Post());
    EXPECT_EQ(t.GetFieldText("address"), "4");
    EXPECT_EQ(fs::file_size(dir / "m.DBT"), 6u * 512);
    // A new one-block text takes the first free run of the chain: the run freed last (block
    // 3), then the one before it (block 2).
    addAddress(t, {"reuse"}, "C", "3");
    EXPECT_EQ(t.GetFieldText("address"), "3");
    addAddress(t, {"again"}, "D", "4");
    EXPECT_EQ(t.GetFieldText("address"), "2");
    EXPECT_EQ(fs::file_size(dir / "m.DBT"), 6u * 512);
    t.Go(1);
    EXPECT_EQ(t.GetMField("address"), std::vector<std::string>{"tiny"});
    t.Go(2);
    EXPECT_EQ(t.GetMField("address"), std::vector<std::string>{std::string(600, 'b')});
}

TEST(TzDbf, PackKeepsTheOthersInOrder)
{
    Folder dir;
    {
        TTzDbf t;
        openTable(t, dir / "p", AddressFields);
        for (int i = 1; i <= 5; ++i)
            addAddress(t, {"line " + std::to_string(i)}, "City" + std::to_string(i), std::to_string(i));
        t.Go(2);
        t.DeleteRec();
        t.Go(4);
        t.DeleteRec();
        EXPECT_EQ(t.RecCount(), 5u);
        t.Pack();
        EXPECT_EQ(t.RecCount(), 3u);
        std::vector<std::string> cities, memos;
        for (t.First(); !t.Eof(); t.Next()) {
            cities.push_back(t.GetFieldText("city").substr(0, 5));
            memos.push_back(t.GetMField("address").at(0));
        }
        EXPECT_EQ(cities, (std::vector<std::string>{"City1", "City3", "City5"}));
        EXPECT_EQ(memos, (std::vector<std::string>{"line 1", "line 3", "line 5"}));
        t.Close();
    }
    const std::string bytes = readFile(dir / "p.DBF");
    const std::size_t header = 32 * 4 + 33, record = 1 + 10 + 35 + 2 + 10;
    EXPECT_EQ(bytes.size(), header + 3 * record + 1);
    EXPECT_EQ(bytes.back(), '\x1A');
    EXPECT_EQ(static_cast<uint8_t>(bytes[4]), 3);
    EXPECT_EQ(fs::file_size(dir / "p.DBT"), 4u * 512); // three one-block texts after the header block
}

TEST(TzDbf, DamagedFilesAreRefusedWithTheirMessages)
{
    Folder dir;
    struct Case
    {
        const char* name;
        std::string bytes;
        int error;
        std::string tail;
    };
    std::string table;
    {
        TTzDbf t;
        openTable(t, dir / "good", ReportFields);
        t.Close();
        table = readFile(dir / "good.DBF");
    }
    std::string vfp = table;
    vfp[0] = 0x30;
    std::string noFields = table;
    noFields[8] = 33;
    noFields[9] = 0;
    std::string pastEnd = table;
    pastEnd[8] = static_cast<char>(0xFF);
    pastEnd[9] = 0x1F;
    const Case cases[] = {
        {"short", std::string(20, '\x03'), 210,
         " is not a dBASE database. (Prolog is less than 32 bytes) [USE/OpenDBF]"},
        {"version", vfp, 210, " is not a dBASE database.(Invalid version byte)+ [USE/OpenDBF]"},
        {"no fields", noFields, 210,
         " is not a dBASE database. (Number of fields is out of range) [Use/OpenDbf]"},
        {"header past end", pastEnd, 213, ""},
    };
    for (const Case& c : cases) {
        const std::string path = dir / (std::string(c.name) + ".dbf");
        writeFile(path, c.bytes);
        TTzDbf t;
        t.CreateIfNotFound = false;
        std::string message;
        EXPECT_EQ(errorOf([&] { openTable(t, path); }, &message), c.error) << c.name;
        if (!c.tail.empty()) {
            EXPECT_EQ(message, path + c.tail) << c.name;
        }
    }
}

TEST(TzDbf, HostileFilesNeverCrash)
{
    Folder dir;
    {
        TTzDbf t;
        openTable(t, dir / "seed.dbf", AddressFields);
        for (int i = 0; i < 3; ++i)
            addAddress(t, {"line " + std::to_string(i), "second"}, "City", "1");
        t.Close();
    }
    const std::string dbf = readFile(dir / "seed.dbf"), dbt = readFile(dir / "seed.dbt");
    // A count larger than the file: reading past the last record is a short read.
    {
        std::string b = dbf;
        b[4] = static_cast<char>(0xFF);
        b[5] = static_cast<char>(0xFF);
        writeFile(dir / "count.dbf", b);
        writeFile(dir / "count.dbt", dbt);
        TTzDbf t;
        t.CreateIfNotFound = false;
        EXPECT_EQ(errorOf([&] {
                      openTable(t, dir / "count.dbf");
                      for (t.First(); !t.Eof(); t.Next()) {
                      }
                  }),
                  213);
        // Writing to it neither appends past the end nor fills the file out to its count: the
        // append is refused, and a record changed in place leaves the file its size.
        for (const char* how : {"append", "edit"}) {
            writeFile(dir / "count.dbf", b);
            TTzDbf w;
            w.CreateIfNotFound = false;
            openTable(w, dir / "count.dbf");
            if (std::string(how) == "append") {
                ASSERT_TRUE(w.ALock());
                w.ClearRecord();
                EXPECT_EQ(errorOf([&] { w.AppendRec(); }), 213);
            } else {
                w.Go(2);
                w.Edit();
                w.SetFieldText("city", "Other");
                w.Post();
            }
            w.Close();
            EXPECT_EQ(std::filesystem::file_size(dir / "count.dbf"), b.size()) << how;
        }
    }
    // A memo block past the end, and a memo length that runs past the end.
    for (const char* which : {"block", "length"}) {
        std::string b = dbf, m = dbt;
        if (std::string(which) == "block")
            b.replace(32 * 4 + 33 + 1, 10, "     99999");
        else
            m.replace(512 + 4, 4, std::string("\xff\xff\xff\x7f", 4));
        writeFile(dir / "memo.dbf", b);
        writeFile(dir / "memo.dbt", m);
        TTzDbf t;
        t.CreateIfNotFound = false;
        openTable(t, dir / "memo.dbf");
        EXPECT_EQ(errorOf([&] { t.GetMField("address"); }), 1003) << which;
    }
    // A memo field wider than any block number: more than 20 digits.
    {
        // One field, NOTE, a memo field 25 bytes wide.
        const std::size_t headerLength = dbf::PrologSize + dbf::DescriptorSize + 1;
        std::string b(headerLength, '\0');
        b[dbf::Version] = static_cast<char>(dbf::VersionMemo4);
        b[dbf::RecordCount] = 1;
        b[dbf::HeaderLength] = static_cast<char>(headerLength);
        b[dbf::RecordLength] = 1 + 25;
        b.replace(dbf::PrologSize + dbf::FieldName, 4, "NOTE");
        b[dbf::PrologSize + dbf::FieldType] = 'M';
        b[dbf::PrologSize + dbf::FieldLength] = 25;
        b[headerLength - 1] = static_cast<char>(dbf::DescriptorEnd);
        b += " " + std::string(25, '9') + dbf::EndOfFile;
        writeFile(dir / "wide.dbf", b);
        std::string m(512, '\0');
        m[dbt::FreeChain] = 1;
        m[dbt::BlockSizeAt + 1] = 2; // 512
        writeFile(dir / "wide.dbt", m);
        TTzDbf t;
        t.CreateIfNotFound = false;
        openTable(t, dir / "wide.dbf");
        EXPECT_EQ(errorOf([&] { t.GetMField("note"); }), 1003);
        EXPECT_EQ(errorOf([&] { t.SetMField("note", {"over it"}); }), 0);
    }
    // A count that claims two thousand million records, indexed: nothing is reserved for
    // records the file does not hold, and the first missing one is a short read.
    {
        std::string b = dbf;
        b.replace(4, 4, std::string("\xff\xff\xff\x7f", 4));
        writeFile(dir / "huge.dbf", b);
        writeFile(dir / "huge.dbt", dbt);
        TTzDbf t;
        t.CreateIfNotFound = false;
        openTable(t, dir / "huge.dbf");
        EXPECT_EQ(errorOf([&] { t.IndexOnOne("city", "huge"); }), 213);
    }
    // Random damage anywhere: every outcome is a table error or a clean read.
    std::mt19937 rng(42);
    for (int round = 0; round < 400; ++round) {
        std::string b = dbf, m = dbt;
        const int hits = 1 + static_cast<int>(rng() % 6);
        for (int h = 0; h < hits; ++h) {
            std::string& target = rng() % 3 == 0 ? m : b;
            target[rng() % target.size()] = static_cast<char>(rng() % 256);
        }
        if (rng() % 4 == 0)
            b.resize(rng() % b.size());
        writeFile(dir / "fuzz.dbf", b);
        writeFile(dir / "fuzz.dbt", m);
        TTzDbf t;
        t.CreateIfNotFound = false;
        try {
            openTable(t, dir / "fuzz.dbf");
            for (t.First(); !t.Eof(); t.Next())
                for (const auto& f : t.Fields())
                    if (f.type == 'M')
                        t.GetMemoText(f.name);
                    else
                        t.GetFieldText(f.name);
            // Writing into a damaged memo file walks whatever its chain has become.
            if (round % 2 == 0 && t.RecCount() > 0) {
                t.Go(1 + static_cast<uint32_t>(rng() % t.RecCount()));
                for (const auto& f : t.Fields())
                    if (f.type == 'M' && t.Edit()) {
                        t.SetMemoText(f.name, std::string(rng() % 1500, 'z'));
                        t.Post();
                    }
            } else {
                t.IndexOnOne(t.Fields().at(rng() % t.Fields().size()).name, "fuzz");
            }
        } catch (const TableError&) {
        }
    }
}

TEST(TzDbf, TwoUsersShareATableThroughLocks)
{
    Folder dir;
    TTzDbf a, b;
    openTable(a, dir / "s", AddressFields);
    openTable(b, dir / "s", AddressFields);
    ASSERT_TRUE(a.ALock());
    EXPECT_TRUE(a.ALock()); // held already
    EXPECT_FALSE(b.ALock());
    b.ClearRecord();
    b.SetFieldText("city", "x");
    std::string message;
    EXPECT_EQ(errorOf([&] { b.AppendRec(); }, &message), 5);
    EXPECT_EQ(message, "File must be locked to append: " + (dir / "s.DBF") + " [APPEND]");
    a.ClearRecord();
    a.SetFieldText("city", "First");
    a.AppendRec();
    a.UnLock();
    EXPECT_TRUE(b.ALock());
    b.UnLock();

    b.Refresh();
    b.First();
    EXPECT_EQ(b.RecCount(), 1u);
    EXPECT_EQ(b.GetFieldText("city").substr(0, 5), "First");
    ASSERT_TRUE(a.Edit()); // holds record 1's lock
    EXPECT_FALSE(b.Edit());
    EXPECT_FALSE(b.ToggleDeleted());
    a.SetFieldText("city", "Edited");
    ASSERT_TRUE(a.Post());
    EXPECT_TRUE(b.Edit());
    b.Cancel();

    // An exclusive user and any other user refuse each other.
    TTzDbf c;
    c.setExclusive(true);
    EXPECT_EQ(errorOf([&] { openTable(c, dir / "s"); }), 32);
    a.Close();
    b.Close();
    openTable(c, dir / "s");
    TTzDbf d;
    EXPECT_EQ(errorOf([&] { openTable(d, dir / "s"); }), 32);
    EXPECT_TRUE(c.ALock()); // exclusive use needs no lock
}

TEST(TzDbf, MemoCommandsCheckTheirField)
{
    Folder dir;
    TTzDbf t;
    openTable(t, dir / "f", {"amount,N,8,2", "note,M,10,0"});
    std::string message;
    EXPECT_EQ(errorOf([&] { t.GetMField("nosuch"); }, &message), 220);
    EXPECT_EQ(message, "Field \"nosuch\" not in \"" + (dir / "f.DBF") + "\" [GetMField]");
    EXPECT_EQ(errorOf([&] { t.SetMField("amount", {"x"}); }, &message), 220);
    EXPECT_EQ(message,
              "\"SetMField()\" expects field \"AMOUNT\" to be of type:\r\n\"memo\".\"AMOUNT\" actually is: "
              "\"Numeric, width: 8 decimals: 2\"");
    EXPECT_EQ(errorOf([&] { t.AppendFrom(dir / "f"); }, &message), 214);
}

TEST(TzDbf, AppendFromCopiesRecordsAndMemos)
{
    Folder dir;
    {
        TTzDbf src;
        openTable(src, dir / "src", AddressFields);
        addAddress(src, {"one"}, "A", "1");
        addAddress(src, {"two", "lines"}, "B", "2");
        src.DeleteRec();
        src.Close();
        TTzDbf other;
        openTable(other, dir / "other", {"city,C,20,0", "extra,C,5,0"});
        ASSERT_TRUE(other.ALock());
        other.ClearRecord();
        other.SetFieldText("city", "Elsewhere");
        other.SetFieldText("extra", "zz");
        other.AppendRec();
        other.Close();
    }
    TTzDbf t;
    openTable(t, dir / "dst", AddressFields);
    addAddress(t, {"mine"}, "Z", "0");
    t.AppendFrom(dir / "src");
    t.AppendFrom(dir / "other");
    ASSERT_EQ(t.RecCount(), 4u);
    t.Go(3);
    EXPECT_TRUE(t.Deleted()); // the flag comes along
    EXPECT_EQ(t.GetMField("address"), (std::vector<std::string>{"two", "lines"}));
    t.Go(4);
    EXPECT_EQ(t.GetFieldText("city").substr(0, 9), "Elsewhere");
    EXPECT_EQ(t.GetMField("address"), std::vector<std::string>{});
}

TEST(TzDbf, IndexOnTheReportLogKeys)
{
    Folder dir;
    TTzDbf t;
    openTable(t, dir / "report3", ReportFields);
    struct Row
    {
        const char* name;
        const char* date;
        const char* mailer;
        const char* zip;
    };
    const Row rows[] = {
        {"Carter", "12/10/2026", "9214712345678900000022", "04101"},
        {"Adams", "01/02/2025", "9214712345678900000015", "90210"},
        {"Baker", "12/10/2026", "9214712345678900000039", "04101"},
        {"Adams", "06/30/2026", "9214712345678900000008", "10001"},
    };
    ASSERT_TRUE(t.ALock());
    for (const Row& r : rows) {
        t.ClearRecord();
        t.SetFieldText("sentname0", r.name);
        t.SetDateText("rdate", r.date);
        t.SetFieldText("mailernum", r.mailer);
        t.SetFieldText("zip", r.zip);
        t.AppendRec();
    }
    struct Order
    {
        const char* key;
        std::vector<uint32_t> recNos;
    };
    for (const Order& o : {Order{"mailernum", {4, 2, 1, 3}}, Order{"sentname0", {2, 4, 3, 1}},
                           Order{"rdate", {2, 4, 1, 3}}, Order{"zip", {1, 3, 4, 2}}}) {
        t.IndexOnOne(o.key, o.key);
        std::vector<uint32_t> seen;
        for (t.First(); !t.Eof(); t.Next())
            seen.push_back(t.RecNo());
        EXPECT_EQ(seen, o.recNos) << o.key; // ascending, equal keys in their physical order
        const std::string mdx = readFile(dir / (std::string(o.key) + ".MDX"));
        ASSERT_GE(mdx.size(), 2048u + 1024u) << o.key;
        EXPECT_EQ(mdx[0], 2);
        EXPECT_EQ(mdx.substr(4, 16), std::string("report3") + std::string(9, '\0'));
        EXPECT_EQ(mdx[20] | (mdx[21] << 8), 2);
        EXPECT_EQ(static_cast<uint8_t>(mdx[22]) | (static_cast<uint8_t>(mdx[23]) << 8), 1024);
        EXPECT_EQ(mdx[24], 1);
        EXPECT_EQ(mdx[25], 48);
        EXPECT_EQ(mdx[26], 32);
    }
    EXPECT_EQ(MdxEntriesPerNode(35), 25);
    EXPECT_EQ(MdxEntriesPerNode(30), 28);
    EXPECT_EQ(MdxEntriesPerNode(8), 84);
    EXPECT_EQ(MdxEntriesPerNode(10), 63);
    t.Close();

    // The report log itself (0x03) as dbfread sees it.
    const std::string py = run("/usr/bin/python3 -c \"import dbfread\n"
                               "for r in dbfread.DBF('" +
                               (dir / "report3.DBF") +
                               "', encoding='cp437'):"
                               " print(r['SENTNAME0'], r['RDATE'], r['MAILERNUM'])\n\"");
    EXPECT_NE(py.find("Carter 2026-12-10 9214712345678900000022\nAdams 2025-01-02 9214712345678900000015\n"),
              std::string::npos)
        << py;

    // perl's XBase::Index reads the mailer-number tag in key order.
    const std::string pl =
        run("perl -MXBase::Index -e 'my $i = XBase::Index->new(\"" + (dir / "mailernum.MDX") +
            "\", tag => \"dummy_tag\") or die XBase::Index->errstr; $i->prepare_select; "
            "while (my ($k, $r) = $i->fetch) { $k =~ s/\\s+$//; print \"$k $r\\n\" }'");
    EXPECT_EQ(pl, "9214712345678900000008 4\n9214712345678900000015 2\n9214712345678900000022 1\n"
                  "9214712345678900000039 3\n");
}

TEST(TzDbf, ALargeIndexHasBranchNodesTheReaderWalks)
{
    Folder dir;
    TTzDbf t;
    openTable(t, dir / "big", {"zip,C,10,0"});
    ASSERT_TRUE(t.ALock());
    for (int i = 0; i < 5000; ++i) {
        t.ClearRecord();
        char zip[16];
        std::snprintf(zip, sizeof zip, "%05d", (i * 7919) % 100000);
        t.SetFieldText("zip", zip);
        t.AppendRec();
    }
    t.IndexOnOne("zip", "zip");
    t.Close();
    const std::string pl =
        run("perl -MXBase::Index -e 'my $i = XBase::Index->new(\"" + (dir / "zip.MDX") +
            "\", tag => \"dummy_tag\") or die XBase::Index->errstr; $i->prepare_select; my ($n, "
            "$last, $bad) = (0, \"\", 0); while (my ($k, $r) = $i->fetch) { $n++; $bad++ if $k lt "
            "$last; $last = $k } print \"$n $bad\\n\"'");
    EXPECT_EQ(pl, "5000 0\n");
}

TEST(FieldValues, NumbersKeepEveryDigitThatFits)
{
    Folder dir;
    TTzDbf t;
    openTable(t, dir / "n", {"big,N,20,0", "money,N,8,2", "small,N,3,0", "ratio,F,10,4"});
    struct Case
    {
        const char* field;
        const char* text;
        const char* stored;
    };
    const Case cases[] = {
        {"big", "9999999999999999999", " 9999999999999999999"},
        {"big", "1234567890123456789", " 1234567890123456789"},
        {"big", "-1234567890123456789", "-1234567890123456789"},
        {"big", "12345678901234567890", "12345678901234567890"},
        {"big", "123456789012345678901", "********************"},
        {"big", "1e19", "10000000000000000000"},
        {"money", "2.675", "    2.68"}, // a double holds 2.67499...: the text says 2.675
        {"money", "-2.675", "   -2.68"},
        {"money", "1.005", "    1.01"},
        {"money", "99999.995", "********"},
        {"money", "-0.001", "    0.00"},
        {"money", ".5", "    0.50"},
        {"money", "+7", "    7.00"},
        {"money", "  12.3  ", "   12.30"},
        {"money", "1.5E2", "  150.00"},
        {"money", "4.64e-1", "    0.46"},
        {"money", "", "        "},
        {"small", "0.5", "  1"},
        {"small", "-2.5", " -3"},
        {"small", "999", "999"},
        {"small", "1000", "***"},
        {"small", "0.4999999999999999999999", "  0"},
        {"ratio", "3.14159265358979", "    3.1416"},
        {"ratio", "0.00005", "    0.0001"},
    };
    ASSERT_TRUE(t.ALock());
    for (const Case& c : cases) {
        t.ClearRecord();
        t.SetFieldText(c.field, c.text);
        t.AppendRec();
        const DbfField* f = t.FindField(c.field);
        EXPECT_EQ(t.RecordBytes().substr(static_cast<std::size_t>(1 + f->offset),
                                         static_cast<std::size_t>(f->length)),
                  c.stored)
            << c.field << " <- \"" << c.text << "\"";
    }
    for (const char* bad : {"abc", "1,234", "12a", "1e", "--1", "nan", "inf", "0x10", "."}) {
        t.ClearRecord();
        EXPECT_THROW(t.SetFieldText("money", bad), DatasetError) << bad;
    }
    t.Close();
    // Another reader takes the 19 digits as they are.
    const std::string py = run("/usr/bin/python3 -c \"import dbfread\n"
                               "print(next(iter(dbfread.DBF('" +
                               (dir / "n.DBF") + "')))['BIG'])\n\"");
    EXPECT_EQ(py, "9999999999999999999\n");
}

TEST(FieldValues, OtherProgramsNullsReadAsEmptyAndSortAsBlanks)
{
    Folder dir;
    {
        TTzDbf t;
        openTable(t, dir / "nulls", {"amount,N,10,2", "when,D,8,0", "ok,L,1,0", "name,C,10,0"});
        ASSERT_TRUE(t.ALock());
        const char* rows[][4] = {{"", "", "", "null"},
                                 {"5", "01/02/2026", "T", "five"},
                                 {"", "", "", "blank"},
                                 {"-3", "", "F", "minus"}};
        for (const auto& r : rows) {
            t.ClearRecord();
            t.SetFieldText("amount", r[0]);
            t.SetDateText("when", r[1]);
            t.SetFieldText("ok", r[2]);
            t.SetFieldText("name", r[3]);
            t.AppendRec();
        }
        t.Close();
    }
    // Record 1 as GDAL writes its nulls: a number filled with "*", a date of zeros, "?".
    std::string b = readFile(dir / "nulls.DBF");
    const std::size_t record1 = dbf::PrologSize + 4 * dbf::DescriptorSize + 1; // the first record's flag
    b.replace(record1 + 1, 10, std::string(10, '*'));                          // amount
    b.replace(record1 + 11, 8, "00000000");                                    // when
    b[record1 + 19] = '?';                                                     // ok
    writeFile(dir / "nulls.DBF", b);

    TTzDbf t;
    openTable(t, dir / "nulls");
    for (const char* field : {"amount", "when", "ok"}) {
        t.Go(1);
        EXPECT_EQ(t.GetFieldText(field), "") << field;
        t.Go(3);
        EXPECT_EQ(t.GetFieldText(field), "") << field;
    }
    t.Go(2);
    EXPECT_EQ(t.GetFieldText("amount"), "5.00");
    EXPECT_EQ(t.GetFieldText("when"), "20260102");
    struct Order
    {
        const char* key;
        std::vector<uint32_t> recNos;
    };
    for (const Order& o : {Order{"amount", {4, 1, 3, 2}}, Order{"when", {1, 3, 4, 2}}}) {
        t.IndexOnOne(o.key, o.key);
        std::vector<uint32_t> seen;
        for (t.First(); !t.Eof(); t.Next())
            seen.push_back(t.RecNo());
        EXPECT_EQ(seen, o.recNos) << o.key; // the nulls among the blanks, in their physical order
    }
}
