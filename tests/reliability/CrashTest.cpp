// Mass prints killed with SIGKILL at random points, restarted each time, then run once to the
// end. Whatever the point, no mailer number is ever printed twice, the settings file and the
// report log always open and read cleanly, and the only pieces the log lacks are the last one
// printed before each kill.
//
// The driver is the real main window mass printing a table of 20 addresses into PDF files (no
// printer installed), its questions answered by the scripted platform services. A kill comes
// after a random time, or at once when a random one of these happens: a PDF file is finished,
// the settings file is replaced, the report log is written to. Those three kinds aim at the
// moments between a form, its number being saved and its record being logged.
//
// A PDF cut short by a kill may not open. Its number is still known from its file name, and it
// counts as printed: that number must not be printed again either.
//
// QUILL_CRASH_KILLS sets the number of kills (10 by default; scripts/stress runs 50).

#include "Child.h"

#include "IniFile.h"
#include "printing/Decode.h"
#include "tables/TzDbf.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <poll.h>
#include <random>
#include <set>
#include <sys/inotify.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace reliability;
using namespace std::chrono;

namespace {

constexpr int Records = 20;

int CrashKills()
{
    const char* s = std::getenv("QUILL_CRASH_KILLS");
    return s && std::atoi(s) > 0 ? std::atoi(s) : 10;
}

/// What a kill waits for.
enum class Trigger { Time, PdfFinished, SettingsReplaced, LogWritten };
const char* const TriggerNames[] = {"after a random time", "as a PDF is finished",
                                    "as the settings are saved", "as the log is written"};

struct DriverRun
{
    std::vector<std::string> pdfs; // the files this run left in Printed/
    bool killed = false;
    Trigger trigger = Trigger::Time;
    int status = -1;
    std::string output;
};

/// Inotify watches on the three places a mass print writes to.
class Watch
{
public:
    explicit Watch(const fs::path& folder)
    {
        m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        m_printed = inotify_add_watch(m_fd, (folder / "Printed").c_str(), IN_CLOSE_WRITE);
        m_program = inotify_add_watch(m_fd, folder.c_str(), IN_MOVED_TO);
        m_reports = inotify_add_watch(m_fd, (folder / "Reports").c_str(), IN_MODIFY);
    }
    ~Watch() { ::close(m_fd); }
    bool ok() const { return m_fd >= 0 && m_printed >= 0 && m_program >= 0 && m_reports >= 0; }

    /// Waits up to `ms` for events and counts those of the kind `trigger` names.
    int count(Trigger trigger, int ms)
    {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0)
            return 0;
        alignas(inotify_event) char buffer[8192];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        int found = 0;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            const std::string name = e->len ? e->name : "";
            const bool match =
                (trigger == Trigger::PdfFinished && e->wd == m_printed && name.ends_with(".pdf")) ||
                (trigger == Trigger::SettingsReplaced && e->wd == m_program && name == "quill4.ini") ||
                (trigger == Trigger::LogWritten && e->wd == m_reports && name == "report3.dbf");
            found += match ? 1 : 0;
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        }
        return found;
    }

private:
    int m_fd = -1, m_printed = -1, m_program = -1, m_reports = -1;
};

std::set<std::string> PdfsIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().extension() == ".pdf")
            names.insert(e.path().filename().string());
    return names;
}

/// The 22 digits a PDF's file name carries ("20261210-165954-9214712345678900000015.pdf", or
/// "...-2.pdf" for a second form of the same name and second).
std::string NumberInName(const std::string& name)
{
    return name.size() >= 38 ? name.substr(16, 22) : std::string();
}

/// The serial number inside a mailer number: the order in which pieces were printed.
std::string SerialOf(const std::string& number)
{
    return number.size() == 22 ? number.substr(14, 7) : std::string();
}

/// The mailer number's bar code as it was written into the PDF: the page is rendered by
/// poppler and the symbol decoded by zxing. Empty when the file does not render (cut short).
std::string DecodePdf(const fs::path& pdf, const fs::path& scratch)
{
    const fs::path prefix = scratch / "crop";
    fs::remove(prefix.string() + ".pgm");
    // The mailer number's symbol at 300 dpi: the area the mass-print flow tests decode.
    const RunResult r = Run("/usr/bin/pdftoppm",
                            {"-r", "300", "-x", "160", "-y", "1200", "-W", "800", "-H", "300", "-gray",
                             "-singlefile", pdf.string(), prefix.string()},
                            scratch / "pdftoppm.out", seconds(60));
    QImage crop;
    if (r.status != 0 || !crop.load(QString::fromStdString(prefix.string() + ".pgm")))
        return {};
    const std::string text = DecodeCode128(crop, crop.rect());
    return text == "<no symbol>" ? std::string() : text;
}

/// Mailer numbers of the report log, as our reader and as python3-dbfread read it.
std::vector<std::string> LogNumbers(const fs::path& log)
{
    quill::tables::TTzDbf t;
    t.CreateIfNotFound = false;
    t.setDbfFileName(log.string());
    t.Open();
    std::vector<std::string> numbers;
    for (t.First(); !t.Eof(); t.Next()) {
        std::string n = t.GetFieldText("mailernum");
        n.erase(std::remove(n.begin(), n.end(), ' '), n.end());
        numbers.push_back(n);
    }
    return numbers;
}

std::vector<std::string> DbfreadNumbers(const fs::path& log, const fs::path& scratch)
{
    const RunResult r = Run("/usr/bin/python3",
                            {"-c",
                             "import sys, dbfread\n"
                             "for r in dbfread.DBF(sys.argv[1], encoding='cp437'):\n"
                             "    print(r['MAILERNUM'].replace(' ', ''))\n",
                             log.string()},
                            scratch);
    std::vector<std::string> numbers;
    std::istringstream in(r.output);
    for (std::string line; std::getline(in, line);)
        numbers.push_back(line);
    return numbers;
}

void WriteAddressTable(const fs::path& path)
{
    quill::tables::TTzDbf t;
    t.DbfFields = {"address,M,10,0", "city,C,35,0", "state,C,2,0", "zip,C,10,0"};
    t.setDbfFileName(path.string());
    t.Open();
    for (int i = 1; i <= Records; ++i) {
        t.Insert();
        t.SetMemoText("address", "Recipient " + std::to_string(i) + "\r\n" + std::to_string(100 + i) +
                                     " Harbor Road\r\n");
        t.SetFieldText("city", "Portland");
        t.SetFieldText("state", "ME");
        t.SetFieldText("zip", "04101-" + std::to_string(1000 + i));
        ASSERT_TRUE(t.Post());
    }
    t.Close();
}

} // namespace

TEST(MassPrintKilled, NoNumberIsPrintedTwiceAndOnlyTheLastPieceOfEachKillGoesUnlogged)
{
    const int kills = CrashKills();
    char name[] = "/tmp/quill-crash-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    const fs::path folder = name;
    for (const char* sub : {"Printed", "Reports", "Addresses", "scratch"})
        fs::create_directories(folder / sub);
    const fs::path table = folder / "Addresses" / "clients.dbf";
    WriteAddressTable(table);
    {
        std::ofstream ini(folder / "quill4.ini");
        ini << "[Type]\nBarCodeApp=0\n[YourAddress]\nLine1=Harbor Title Company\nLine2=200 Water Street\n"
               "City=Portland\nState=ME\nZip=04101\n[Values]\nCustID=123456789\nSerialNum=0000000\n";
    }
    const fs::path driver = BinFolder() / "quill-massprint-driver";
    const fs::path scratch = folder / "scratch";

    std::mt19937 random(std::random_device{}());
    std::vector<DriverRun> runs;
    milliseconds cleanRun{0};
    int killsDone = 0, finishedBeforeKill = 0;
    auto runOnce = [&](std::optional<Trigger> trigger) {
        DriverRun run;
        const std::set<std::string> before = PdfsIn(folder / "Printed");
        Watch watch(folder);
        ASSERT_TRUE(watch.ok());
        // The point of the kill: the n-th event of its kind, or a time within a whole run.
        const int nth = trigger == Trigger::LogWritten ? std::uniform_int_distribution(1, 3 * Records)(random)
                                                       : std::uniform_int_distribution(1, Records)(random);
        const auto at = milliseconds(std::uniform_int_distribution<long>(0, cleanRun.count())(random));
        const auto start = steady_clock::now();
        Child child(driver, {folder.string(), table.string()}, scratch / "driver.out");
        ASSERT_TRUE(child.started());
        int seen = 0;
        while (!child.ended()) {
            if (steady_clock::now() - start > minutes(5)) {
                child.kill();
                FAIL() << "the mass print did not end";
            }
            if (!trigger) {
                watch.count(Trigger::Time, 5);
                continue;
            }
            if (*trigger == Trigger::Time ? steady_clock::now() - start >= at
                                          : (seen += watch.count(*trigger, 1)) >= nth) {
                child.kill();
                break;
            }
            if (*trigger == Trigger::Time)
                watch.count(Trigger::Time, 1);
        }
        run.killed = child.endingSignal() == SIGKILL;
        // Anything else that ends it by a signal is a crash of its own (or a sanitizer's abort).
        EXPECT_TRUE(run.killed || child.endingSignal() == 0) << "signal " << child.endingSignal() << "\n"
                                                             << child.output();
        run.trigger = trigger.value_or(Trigger::Time);
        run.status = child.exitStatus().value_or(-1);
        run.output = child.output();
        if (!trigger)
            cleanRun = duration_cast<milliseconds>(steady_clock::now() - start);
        for (const std::string& n : PdfsIn(folder / "Printed"))
            if (!before.count(n))
                run.pdfs.push_back(n);
        runs.push_back(run);

        // After every end, killed or not, the settings file reads whole and the log opens.
        quill::IniFile settings;
        settings.load(folder / "quill4.ini");
        const std::string serial = settings.readString("Values", "SerialNum", "");
        EXPECT_TRUE(serial.size() == 7 && serial.find_first_not_of("0123456789") == std::string::npos)
            << "run " << runs.size() << ": SerialNum=" << serial;
        // The saved numbering is past every number printed so far: the next run starts beyond.
        std::string highest;
        for (const DriverRun& r : runs)
            for (const std::string& pdf : r.pdfs)
                highest = std::max(highest, SerialOf(NumberInName(pdf)));
        EXPECT_GE(serial, highest) << "run " << runs.size() << " saved a numbering below a printed number";
        if (fs::exists(folder / "Reports" / "report3.dbf")) {
            EXPECT_NO_THROW(LogNumbers(folder / "Reports" / "report3.dbf")) << "run " << runs.size();
        }
    };

    // A clean run first: it measures how long a whole mass print takes.
    runOnce(std::nullopt);
    ASSERT_EQ(runs.back().status, 0) << runs.back().output;
    ASSERT_EQ(runs.back().pdfs.size(), static_cast<std::size_t>(Records)) << runs.back().output;
    while (killsDone < kills) {
        const auto trigger = static_cast<Trigger>(std::uniform_int_distribution(0, 3)(random));
        runOnce(trigger);
        if (HasFatalFailure())
            return;
        if (runs.back().killed) {
            ++killsDone;
        } else {
            ++finishedBeforeKill; // the point came after the run's end: a clean run
            EXPECT_EQ(runs.back().status, 0) << runs.back().output;
        }
    }
    runOnce(std::nullopt);
    ASSERT_EQ(runs.back().status, 0) << runs.back().output;
    ASSERT_EQ(runs.back().pdfs.size(), static_cast<std::size_t>(Records)) << runs.back().output;

    // Every form printed, read back from its PDF.
    std::map<std::string, std::vector<std::string>> printedAs; // number -> files
    std::set<std::string> unreadable;
    int pdfCount = 0;
    for (const DriverRun& run : runs)
        for (const std::string& pdf : run.pdfs) {
            ++pdfCount;
            const std::string named = NumberInName(pdf);
            const std::string decoded = DecodePdf(folder / "Printed" / pdf, scratch);
            if (decoded.empty()) {
                unreadable.insert(pdf);
            } else {
                EXPECT_EQ(decoded, named) << pdf;
            }
            printedAs[decoded.empty() ? named : decoded].push_back(pdf);
        }
    for (const auto& [number, files] : printedAs)
        EXPECT_EQ(files.size(), 1u) << "mailer number " << number << " printed " << files.size()
                                    << " times, first " << files.front() << ", then " << files.back();

    // The log: our reader and python3-dbfread read the same numbers, each once, each printed.
    const fs::path log = folder / "Reports" / "report3.dbf";
    const std::vector<std::string> logged = LogNumbers(log);
    // After the clean run the header counts exactly the records the file holds, then the end mark.
    const uint64_t headerLength = 545, recordLength = 348;
    EXPECT_EQ(fs::file_size(log), headerLength + logged.size() * recordLength + 1);
    EXPECT_EQ(DbfreadNumbers(log, scratch / "dbfread.out"), logged);
    std::set<std::string> inLog;
    for (const std::string& n : logged) {
        EXPECT_TRUE(inLog.insert(n).second) << n << " is in the log twice";
        EXPECT_TRUE(printedAs.count(n)) << n << " is in the log but was never printed";
    }

    // Unlogged pieces: only the last one printed by a killed run, and only a killed run's.
    int unlogged = 0, unreadableLast = 0;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        std::vector<std::string> numbers;
        for (const std::string& pdf : runs[r].pdfs)
            numbers.push_back(NumberInName(pdf));
        std::sort(numbers.begin(), numbers.end(),
                  [](const std::string& a, const std::string& b) { return SerialOf(a) < SerialOf(b); });
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            const bool last = i + 1 == numbers.size();
            if (!inLog.count(numbers[i])) {
                ++unlogged;
                EXPECT_TRUE(runs[r].killed && last)
                    << "run " << r + 1 << " (" << (runs[r].killed ? "killed " : "not killed ")
                    << TriggerNames[static_cast<int>(runs[r].trigger)] << "): piece " << numbers[i] << ", "
                    << i + 1 << " of " << numbers.size() << ", is not in the log";
            }
        }
        for (const std::string& pdf : runs[r].pdfs)
            if (unreadable.count(pdf)) {
                const bool lastOfRun = NumberInName(pdf) == (numbers.empty() ? "" : numbers.back());
                EXPECT_TRUE(runs[r].killed && lastOfRun)
                    << pdf << " does not read, and was not cut short by a kill";
                unreadableLast += 1;
            }
    }

    // What kills leave behind: temporary files of the settings file and of the log's creation.
    int leftovers = 0;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_regular_file() && e.path().filename() != "quill4.ini")
            ++leftovers;
    for (const auto& e : fs::directory_iterator(folder / "Reports"))
        if (e.path().filename() != "report3.dbf")
            ++leftovers;

    std::map<Trigger, int> byTrigger;
    for (const DriverRun& run : runs)
        if (run.killed)
            ++byTrigger[run.trigger];
    std::printf("[ figures  ] %d kills (%d %s, %d %s, %d %s, %d %s), %d runs that ended before their kill, "
                "clean run %lld ms; %d PDFs, %zu numbers, none twice: %s; %d PDFs cut short and unreadable; "
                "log %zu records, %d printed pieces not in it; %d temporary files left by kills\n",
                killsDone, byTrigger[Trigger::Time], TriggerNames[0], byTrigger[Trigger::PdfFinished],
                TriggerNames[1], byTrigger[Trigger::SettingsReplaced], TriggerNames[2],
                byTrigger[Trigger::LogWritten], TriggerNames[3], finishedBeforeKill,
                static_cast<long long>(cleanRun.count()), pdfCount, printedAs.size(),
                printedAs.size() == static_cast<std::size_t>(pdfCount) ? "yes" : "NO", unreadableLast,
                logged.size(), unlogged, leftovers);
    if (!HasFailure())
        fs::remove_all(folder);
    else
        std::printf("kept for a look: %s\n", folder.c_str());
}
