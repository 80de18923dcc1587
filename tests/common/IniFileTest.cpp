#include "IniFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using quill::IniFile;

namespace {

std::string readAll(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct TempDir
{
    std::filesystem::path path;
    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "iniXXXXXX").string();
        path = ::mkdtemp(tmpl.data());
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path, ec);
    }
};

} // namespace

TEST(IniFile, ReadsNamesWithoutCaseAndTrimsValues)
{
    const IniFile ini = IniFile::fromText("[type]\r\n  company =  Harrowby  \r\n[Values]\r\nPostage=\r\n");
    EXPECT_EQ(ini.readString("Type", "Company", "x"), "Harrowby");
    // Present but empty is empty, not the default; missing keys and sections give the default.
    EXPECT_EQ(ini.readString("Values", "Postage", "0.39"), "");
    EXPECT_EQ(ini.readString("Values", "CertFee", "2.40"), "2.40");
    EXPECT_EQ(ini.readString("Nowhere", "Postage", "d"), "d");
}

TEST(IniFile, CapsValuesAt2047Characters)
{
    const IniFile ini = IniFile::fromText("[S]\nK=" + std::string(3000, 'v') + "\n");
    EXPECT_EQ(ini.readString("S", "K", "").size(), 2047u);
}

TEST(IniFile, IntegersAndBooleans)
{
    struct Case
    {
        const char* value;
        int expected;
    };
    const Case cases[] = {
        {"12", 12},       {"-7", -7},  {"0x1F", 31},   {"0X10", 16},     {"$ff", 255},
        {"0x0", 0},       {"yes", 99}, {"", 99},       {"12abc", 99},    {"2147483647", 2147483647},
        {"2147483648", 99}, {"$FFFFFFFF", -1}, {" 5 ", 5}, {"0x", 99},
    };
    for (const Case& c : cases) {
        const IniFile ini = IniFile::fromText(std::string("[S]\nK=") + c.value + "\n");
        EXPECT_EQ(ini.readInteger("S", "K", 99), c.expected) << "value '" << c.value << "'";
    }
    EXPECT_FALSE(IniFile::fromText("[Values]\nPrintBarCode=0x0\n").readBool("Values", "PrintBarCode", true));
    EXPECT_TRUE(IniFile::fromText("[Values]\nPrintBarCode=yes\n").readBool("Values", "PrintBarCode", true));
    EXPECT_TRUE(IniFile::fromText("[Values]\nPrintBarCode=-1\n").readBool("Values", "PrintBarCode", false));
}

TEST(IniFile, WritesInPlaceAndKeepsEverythingElse)
{
    IniFile ini = IniFile::fromText("; made by hand\n"
                                    "[Values]\n"
                                    "POSTAGE=0.37\n"
                                    "Other=keep me\n"
                                    "\n"
                                    "[Foreign]\n"
                                    "a=b\n");
    ini.writeString("values", "Postage", "0.42");
    ini.writeString("Values", "CertFee", "2.40");
    ini.writeString("Print Align", "LeftRight", "3");
    EXPECT_EQ(ini.text(), "; made by hand\n"
                          "[Values]\n"
                          "POSTAGE=0.42\n"
                          "Other=keep me\n"
                          "CertFee=2.40\n"
                          "\n"
                          "[Foreign]\n"
                          "a=b\n"
                          "[Print Align]\n"
                          "LeftRight=3\n");
}

TEST(IniFile, KeepsWindowsLineEndsAndKeepsValuesOnOneLine)
{
    IniFile ini = IniFile::fromText("[A]\r\nx=1\r\n");
    ini.writeString("A", "y", "two\r\nlines");
    EXPECT_EQ(ini.text(), "[A]\r\nx=1\r\ny=two  lines\r\n");
    EXPECT_EQ(IniFile::fromText(ini.text()).readString("A", "y", ""), "two  lines");
}

TEST(IniFile, SavesAtomicallyAndAFailedSaveKeepsTheOldFile)
{
    TempDir dir;
    const auto file = dir.path / "quill4.ini";
    IniFile ini = IniFile::fromText("[A]\nx=1\n");
    std::string error;
    ASSERT_TRUE(ini.save(file, &error)) << error;
    EXPECT_EQ(readAll(file), "[A]\nx=1\n");

    // A disk that fills up in the middle of the write: the file-size limit makes write()
    // fail part way, for root too.
    ini.writeString("A", "x", std::string(200, '2'));
    struct rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = ini.save(file, &error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1) << "temporary file left behind";
    EXPECT_EQ(readAll(file), "[A]\nx=1\n");
}

TEST(IniFile, SaveIntoAMissingFolderFailsWithoutCreatingAnything)
{
    TempDir dir;
    const auto file = dir.path / "gone" / "quill4.ini";
    std::string error;
    EXPECT_FALSE(IniFile::fromText("[A]\nx=1\n").save(file, &error));
    EXPECT_FALSE(std::filesystem::exists(dir.path / "gone"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path));
}
