// Name-and-address text files: the line splitter, the encodings, and import and export read
// back by other programs.

#include "AddressText.h"
#include "TableTestUtil.h"
#include "TzDbf.h"

#include <gtest/gtest.h>

using namespace quill::tables;
using tabletest::Folder;

TEST(AddressText, LinesSplitIntoSevenFields)
{
    struct Case
    {
        const char* name;
        const char* line;
        AddressFields fields;
    };
    const Case cases[] = {
        {"quoted",
         R"("Ann Smith","Smith & Co","12 Main St","","Augusta","ME","04330-1234")",
         {"Ann Smith", "Smith & Co", "12 Main St", "", "Augusta", "ME", "04330-1234"}},
        {"bare",
         "Ann Smith,Smith & Co,12 Main St,,Augusta,ME,04330-1234",
         {"Ann Smith", "Smith & Co", "12 Main St", "", "Augusta", "ME", "04330-1234"}},
        {"comma inside quotes",
         R"("Smith, Jones & Co",b,c,d,e,f,g)",
         {"Smith, Jones & Co", "b", "c", "d", "e", "f", "g"}},
        {"doubled quotes",
         R"("the ""Old"" Mill",b,c,d,e,f,g)",
         {"the \"Old\" Mill", "b", "c", "d", "e", "f", "g"}},
        {"a doubled quote before a comma", R"("a"",b",c,d,e,f,g,h)", {"a\",b", "c", "d", "e", "f", "g", "h"}},
        {"a lone quote inside", R"("5" pipe",b,c,d,e,f,g)", {"5\" pipe", "b", "c", "d", "e", "f", "g"}},
        {"blank after a comma stays", "a, b,c,d,e, ME,g", {"a", " b", "c", "d", "e", " ME", "g"}},
        {"eight fields", "a,b,c,d,e,f,g,h", {"a", "b", "c", "d", "e", "f", "g"}},
        {"quoted last field", R"(a,b,c,d,e,f,"04101")", {"a", "b", "c", "d", "e", "f", "04101"}},
        {"six fields", "a,b,c,d,e,f", {}},
        {"no comma", "just a name", {}},
        {"empty", "", {}},
        {"unclosed quote", R"("a,b,c,d,e,f,g)", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitAddressLine(c.line), c.fields) << c.name;
}

TEST(AddressText, ExportedLinesSplitBackToTheSameFields)
{
    const AddressFields tricky{"He said \"hi\", then left", "\"", "a,b", "", "O\"Neil", "ME", "\"\""};
    EXPECT_EQ(AddressLine(tricky), R"("He said ""hi"", then left","""","a,b","","O""Neil","ME","""""")");
    EXPECT_EQ(SplitAddressLine(AddressLine(tricky)), tricky);
}

TEST(AddressText, EncodingsAndLineEnds)
{
    EXPECT_EQ(TextFileToUtf8("\xEF\xBB\xBF"
                             "Caf\xC3\xA9"),
              "Caf\xC3\xA9");                                              // UTF-8 with its mark
    EXPECT_EQ(TextFileToUtf8("Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC"); // Windows-1252
    EXPECT_EQ(TextFileToUtf8("\xEF\xBF\xBD ok"), "\xEF\xBF\xBD ok");       // a real U+FFFD is UTF-8
    EXPECT_EQ(TextLines("a\r\nb\nc\rd\r\n"), (std::vector<std::string_view>{"a", "b", "c", "d"}));
    EXPECT_EQ(TextLines("a\r\n\r\nb"), (std::vector<std::string_view>{"a", "", "b"}));
    EXPECT_EQ(ProposedTableName("/x/addresses.txt"), "addresses.dbf");
    EXPECT_EQ(ProposedTableName("/x/list"), "dbf");
    EXPECT_EQ(ProposedTableName("/x/a.b.txt"), "a.dbf");
    EXPECT_EQ(ProposedTextName("/x/names.dbf"), "names.txt");
    EXPECT_EQ(ProposedTextName("/x/NAMES.DBF"), "NAMES.txt");
    EXPECT_EQ(ProposedTextName("/x/data.tmp"), "data.tmp.txt");
}

TEST(AddressText, ImportThenReadByAnotherProgram)
{
    Folder dir;
    const std::string text =
        "\"Ann Smith\",\"Smith & Co\",\"12 Main St\",\"\",\"Augusta\",\"ME\",\"04330-1234\"\r\n"
        "Ann Smith,Smith & Co,12 Main St,,Augusta,ME,04330-1234\r\n"
        "\"the \"\"Old\"\" Mill\",\"Smith, Jones\",,,Bath,ME,04530\r\n"
        "a,b,c,d,e,f\r\n"
        "\r\n"
        "a,b,c,d,e,f,g,eighth\r\n" +
        TextFileToUtf8("Ren\xE9"
                       "e,,,,K\xF6ln,,") +
        "\r\n" +
        "Ren\xC3\xA9"
        "e,,,,K\xC3\xB6ln,,\r\n";
    TTzDbf t;
    t.DbfFields = ImportTableFields();
    t.setDbfFileName(dir / "imported.dbf");
    t.Open();
    ImportAddresses(t, text);
    t.Close();
    const std::string py = tabletest::Run("/usr/bin/python3 -c \"import dbfread\n"
                                          "for r in dbfread.DBF('" +
                                          (dir / "imported.dbf") +
                                          "', encoding='cp437'):\n"
                                          "    print(repr((r['ADDRESS'] or '').rstrip('\\x00')), r['CITY'], "
                                          "r['STATE'], r['ZIP'], sep='|')\n\"");
    EXPECT_EQ(py, "'Ann Smith\\r\\nSmith & Co\\r\\n12 Main St\\r\\n'|Augusta|ME|04330-1234\n"
                  "'Ann Smith\\r\\nSmith & Co\\r\\n12 Main St\\r\\n'|Augusta|ME|04330-1234\n"
                  "'the \"Old\" Mill\\r\\nSmith, Jones\\r\\n'|Bath|ME|04530\n"
                  "''|||\n"
                  "''|||\n"
                  "'a\\r\\nb\\r\\nc\\r\\nd\\r\\n'|e|f|g\n"
                  "'Renée\\r\\n'|Köln||\n"
                  "'Renée\\r\\n'|Köln||\n");
}

TEST(AddressText, ExportThenImportGivesTheSameAddresses)
{
    Folder dir;
    TTzDbf source;
    source.DbfFields = {"address,M,10,0", "city,C,35,0", "state,C,2,0", "zip,C,10,0"};
    source.setDbfFileName(dir / "names.dbf");
    source.Open();
    ASSERT_TRUE(source.ALock());
    struct Row
    {
        std::vector<std::string> lines;
        const char* city;
        const char* zip;
    };
    const Row rows[] = {
        {{"Dana \"DJ\" Whitcomb", "Whitcomb, Sons & Co", "", "Suite 4", "never exported"},
         "Bangor",
         "04401-1234"},
        {{"One line"}, "A city longer than twenty letters", "04101"},
        {{}, "", ""},
    };
    for (const Row& r : rows) {
        source.ClearRecord();
        source.SetMField("address", r.lines);
        source.SetFieldText("city", r.city);
        source.SetFieldText("state", "ME");
        source.SetFieldText("zip", r.zip);
        source.AppendRec();
    }
    source.Go(2);
    source.DeleteRec(); // exported all the same
    const std::string text = ExportAddresses(source);
    source.Close();
    EXPECT_EQ(text, "\"Dana \"\"DJ\"\" Whitcomb\",\"Whitcomb, Sons & Co\",\"\",\"Suite 4\",\"Bangor\",\"ME\","
                    "\"04401-1234\"\r\n"
                    "\"One line\",\"\",\"\",\"\",\"A city longer than twenty letters\",\"ME\",\"04101\"\r\n"
                    "\"\",\"\",\"\",\"\",\"\",\"ME\",\"\"\r\n");

    TTzDbf copy;
    copy.DbfFields = ImportTableFields();
    copy.setDbfFileName(dir / "copy.dbf");
    copy.Open();
    ImportAddresses(copy, text);
    copy.First();
    EXPECT_EQ(copy.GetMField("address"),
              (std::vector<std::string>{"Dana \"DJ\" Whitcomb", "Whitcomb, Sons & Co",
                                        "Suite 4"})); // empty line dropped
    EXPECT_EQ(copy.GetFieldText("zip").substr(0, 10), "04401-1234");
    copy.Next();
    EXPECT_EQ(copy.GetFieldText("city"), "A city longer than t"); // cut at 20
    copy.Close();
}

TEST(AddressText, AMissingFieldIsADatasetErrorAndAMissingMemoATableError)
{
    Folder dir;
    TTzDbf noCity;
    noCity.DbfFields = {"address,M,10,0", "town,C,20,0", "state,C,4,0", "zip,C,10,0"};
    noCity.setDbfFileName(dir / "a.dbf");
    noCity.Open();
    try {
        ImportAddresses(noCity, "a,b,c,d,e,f,g\r\n");
        FAIL() << "imported";
    } catch (const DatasetError& e) {
        EXPECT_STREQ(e.what(), "Field 'City' not found");
    }
    TTzDbf noMemo;
    noMemo.DbfFields = {"address,C,10,0", "city,C,20,0", "state,C,4,0", "zip,C,10,0"};
    noMemo.setDbfFileName(dir / "b.dbf");
    noMemo.Open();
    EXPECT_THROW(ImportAddresses(noMemo, "a,b,c,d,e,f,g\r\n"), TableError);
}
