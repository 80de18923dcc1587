// The settings file when it cannot be written: a full disk, a read-only program folder, a file
// that cannot be read, a folder that is a file. Every case ends in "Unable to write to <path>",
// and the file on disk is the one that was there before, byte for byte, with nothing left beside
// it. The faults that root would not feel run in a child as the user nobody.

#include "FaultChild.h"
#include "GlobalVariables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace fs = std::filesystem;
using faulttest::ChildFaults;
using faulttest::RunInChild;

namespace {

// A settings file as a clerk's program leaves it, with lines of other programs that must stay.
const std::string Stored = "; kept by the office\r\n[Type]\r\nCompany=Eastvale\r\nBarCodeApp=0\r\n"
                           "[YourAddress]\r\nLine1=Harbor Title Company\r\nCity=Portland\r\nState=ME\r\n"
                           "Zip=04101\r\n[Values]\r\nCustID=123456789\r\nSerialNum=0000417\r\n"
                           "[Other Program]\r\nWindow=10,10,400,300\r\n";

std::string readAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

void writeAll(const fs::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

std::vector<std::string> names(const fs::path& folder)
{
    std::vector<std::string> n;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec))
        n.push_back(e.path().filename().string());
    std::sort(n.begin(), n.end());
    return n;
}

/// The settings the program holds after a run: the next serial number and a new sender line.
quill::Settings changed()
{
    quill::Settings s = quill::DefaultSettings("/nowhere/");
    s.Company = "Eastvale";
    s.Line1 = "Harbor Title Company";
    s.Line2 = "200 Water Street, Suite 4";
    s.CustID = "123456789";
    s.SerialNum = "0000418";
    return s;
}

struct Writer
{
    const char* name;
    std::optional<std::string> (*write)(const quill::Settings&, const fs::path&);
};
const Writer Writers[] = {{"shutdown", quill::SaveSettings}, {"after a piece", quill::SaveNumbering}};

class SettingsFault : public ::testing::Test
{
public:
    void SetUp() override
    {
        base = faulttest::OpenScratchFolder();
        ASSERT_FALSE(base.empty());
        folder = base / "Quillmark";
        fs::create_directory(folder);
        file = folder / "quill4.ini";
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
        fs::remove_all(base, ec);
    }
    fs::path base, folder, file;
};

} // namespace

TEST_F(SettingsFault, EveryFailedWriteSaysSoAndKeepsTheStoredFile)
{
    struct Case
    {
        const char* name;
        std::function<void(SettingsFault&)> arrange; // makes the fault, the stored file in place
        ChildFaults faults;
    };
    const Case cases[] = {
        {"the disk fills up", [](SettingsFault&) {}, {.fileSizeLimit = 64}},
        {"a read-only program folder",
         [](SettingsFault& t) { fs::permissions(t.folder, fs::perms(0555)); },
         {.fileSizeLimit = std::nullopt, .asOrdinaryUser = true}},
        {"a settings file that cannot be read",
         // Written over from nothing it would lose the sender address and the other program's
         // lines: the folder may be written, but the file is not.
         [](SettingsFault& t) {
             fs::permissions(t.folder, fs::perms(0777));
             fs::permissions(t.file, fs::perms(0200));
         },
         {.fileSizeLimit = std::nullopt, .asOrdinaryUser = true}},
        {"a settings file that is a folder",
         [](SettingsFault& t) {
             fs::remove(t.file);
             fs::create_directory(t.file);
             writeAll(t.file / "inside", Stored);
         },
         {}},
    };
    for (const Writer& writer : Writers)
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", " + writer.name);
            TearDown();
            SetUp();
            writeAll(file, Stored);
            c.arrange(*this);
            const std::vector<std::string> before = names(folder);
            const auto result = RunInChild(c.faults, [&]() -> std::string {
                auto error = writer.write(changed(), file);
                return error ? *error : "written";
            });
            if (!result.ran && c.faults.asOrdinaryUser && result.text == faulttest::CannotDropPrivileges) {
                // A root without the right to change its user (a locked-down container): the bits
                // cannot be made to count here; the other cases still run.
                std::cerr << "note: " << c.name << " not tried: " << result.text << "\n";
                continue;
            }
            ASSERT_TRUE(result.ran) << result.text;
            EXPECT_EQ(result.text, "Unable to write to " + file.string());
            fs::permissions(folder, fs::perms(0755));
            if (fs::is_regular_file(file)) {
                fs::permissions(file, fs::perms(0644));
                EXPECT_EQ(readAll(file), Stored) << "the stored settings changed";
            } else {
                EXPECT_EQ(readAll(file / "inside"), Stored);
            }
            EXPECT_EQ(names(folder), before) << "a temporary file was left behind";
        }
}

TEST_F(SettingsFault, AProgramFolderThatIsAFileIsReportedWithThePath)
{
    writeAll(folder / "plain", "not a folder");
    const fs::path inside = folder / "plain" / "quill4.ini";
    for (const Writer& writer : Writers) {
        SCOPED_TRACE(writer.name);
        EXPECT_EQ(writer.write(changed(), inside), "Unable to write to " + inside.string());
    }
    EXPECT_EQ(readAll(folder / "plain"), "not a folder");
}

// Whatever byte the disk fills up at, the file is either the old one whole or the new one
// whole: never a settings file cut short.
TEST_F(SettingsFault, ADiskFullAtAnyByteNeverTearsTheFile)
{
    quill::IniFile ini = quill::IniFile::fromText(Stored);
    quill::StoreSettings(changed(), ini);
    const std::string whole = ini.text();
    std::size_t failed = 0;
    for (rlim_t limit = 0; limit <= whole.size() + 16; limit += (limit < 32 ? 1 : 37)) {
        SCOPED_TRACE(limit);
        writeAll(file, Stored);
        const auto result = RunInChild({.fileSizeLimit = limit}, [&]() -> std::string {
            auto error = quill::SaveSettings(changed(), file);
            return error ? *error : "written";
        });
        ASSERT_TRUE(result.ran) << result.text;
        if (limit < whole.size()) {
            ++failed;
            EXPECT_EQ(result.text, "Unable to write to " + file.string());
            EXPECT_EQ(readAll(file), Stored);
        } else {
            EXPECT_EQ(result.text, "written");
            EXPECT_EQ(readAll(file), whole);
        }
        EXPECT_EQ(names(folder), std::vector<std::string>{"quill4.ini"});
    }
    EXPECT_GT(failed, 10u);
}
