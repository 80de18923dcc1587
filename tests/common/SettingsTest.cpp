#include "GlobalVariables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace quill;

namespace {
const std::string Folder = "/prog/";
auto noLogo = [] { return false; };
} // namespace

TEST(Settings, FirstWriteHoldsEveryKeyInItsOrderWithTheLowerCaseNames)
{
    Settings s = LoadSettings(IniFile(), Folder, noLogo);
    s.Line1 = "Jane Sender";
    s.City = "Springfield";
    s.State = "IL";
    s.Zip = "62704";
    IniFile ini;
    StoreSettings(s, ini);
    EXPECT_EQ(ini.text(), "[Type]\n"
                          "Company=Eastvale\n"
                          "BarCodeApp=1\n"
                          "[YourAddress]\n"
                          "Line1=Jane Sender\n"
                          "Line2=\n"
                          "Line3=\n"
                          "Line4=\n"
                          "City=Springfield\n"
                          "State=IL\n"
                          "Zip=62704\n"
                          "[Values]\n"
                          "Postage=0.39\n"
                          "CertFee=2.40\n"
                          "Return=1.85\n"
                          "Restricted=3.50\n"
                          "PrintBarCode=1\n"
                          "CustID=000000000\n"
                          "SerialNum=0000000\n"
                          "Increment=1\n"
                          "MailerNum=71000000000000000000\n"
                          "IMpb=0\n" // written with the numbering keys
                          "[Printing]\n"
                          "PrintExtraLabel=Yes\n"
                          "ExtraLabel=Addressed To\n"
                          "[Print Align]\n"
                          "LeftRight=0\n"
                          "TopBottom=0\n"
                          "[System Path]\n"
                          "default=/prog/Addresses\n");
}

TEST(Settings, RoundTripKeepsForeignLinesAndEveryValue)
{
    Settings s = DefaultSettings(Folder);
    s.Company = "Harrowby";
    s.Line1 = "A";
    s.Line4 = "D";
    s.Postage = "";
    s.PrintBarCode = false;
    s.Increment = false;
    s.CustID = "00-000-0000";
    s.SerialNum = "0000042";
    s.LeftRight = -3;
    s.TopBottom = 12;
    s.BarCodeApp = false;
    s.Default = "/somewhere else";
    IniFile ini = IniFile::fromText("[Mine]\nkeep=this\n[values]\nextra=1\n");
    StoreSettings(s, ini);
    const IniFile back = IniFile::fromText(ini.text());
    EXPECT_EQ(LoadSettings(back, Folder, noLogo), s);
    EXPECT_EQ(back.readString("Mine", "keep", ""), "this");
    EXPECT_EQ(back.readString("Values", "extra", ""), "1");
}

TEST(Settings, ReadsTheEdgeValuesAsStated)
{
    const IniFile ini = IniFile::fromText("[TYPE]\ncompany=Harrowby\n[Values]\nPostage=\nPrintBarCode=0x0\n"
                                          "Increment=yes\n[Print Align]\nLeftRight=$10\nTopBottom=up\n");
    const Settings s = LoadSettings(ini, Folder, noLogo);
    EXPECT_EQ(s.Company, "Harrowby");
    EXPECT_EQ(s.Postage, "");
    EXPECT_EQ(s.CertFee, "2.40");
    EXPECT_FALSE(s.PrintBarCode);
    EXPECT_TRUE(s.Increment);
    EXPECT_EQ(s.LeftRight, 16);
    EXPECT_EQ(s.TopBottom, 0);
    EXPECT_EQ(s.Default, "/prog/Addresses");
}

TEST(Settings, ChooseBrandRunsOnlyWhenTheFileNamesNoBrand)
{
    int logoLoads = 0;
    auto logo = [&] {
        ++logoLoads;
        return true;
    };
    EXPECT_EQ(LoadSettings(IniFile(), Folder, logo).Company, "Harrowby");
    EXPECT_EQ(LoadSettings(IniFile(), Folder, noLogo).Company, "Eastvale");
    EXPECT_EQ(LoadSettings(IniFile::fromText("[Type]\nCompany=Eastvale\n"), Folder, logo).Company,
              "Eastvale");
    // An unknown brand stays in force.
    EXPECT_EQ(LoadSettings(IniFile::fromText("[Type]\nCompany=Acme\n"), Folder, logo).Company, "Acme");
    EXPECT_EQ(logoLoads, 1);
}

TEST(Settings, SaveKeepsTheFileAsItIsNowAndReportsAFailedWrite)
{
    char tmpl[] = "/tmp/setXXXXXX";
    const std::filesystem::path dir = ::mkdtemp(tmpl);
    const auto file = dir / "quill4.ini";
    {
        std::ofstream(file) << "[Values]\nPostage=0.37\n; a note\n";
    }
    Settings s = DefaultSettings(dir.string() + "/");
    s.Postage = "0.42";
    EXPECT_FALSE(SaveSettings(s, file).has_value());
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("Postage=0.42\n; a note\n"), std::string::npos) << text.str();

    const auto missing = dir / "no such folder" / "quill4.ini";
    EXPECT_EQ(SaveSettings(s, missing).value_or(""), "Unable to write to " + missing.string());
    std::filesystem::remove_all(dir);
}
