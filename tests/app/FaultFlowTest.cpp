// Faults of the printer and the files under the whole program: a job that fails part-way, in a
// single print, a mass print and a pre-print run; a "Printed" folder that cannot be made or
// written; a "Reports" folder that cannot be made; a program folder nothing can be written in.
// Each ends with a message to the clerk; the pieces printed before stay printed and logged, as
// python3-dbfread reads the log, and no printed number is ever given out again.

#include "MaskEdit.h"
#include "Memo.h"
#include "TestServices.h"
#include "U_Mailer.h"
#include "U_Main.h"
#include "U_PrintBarCode.h"
#include "ZipEdit.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

using quill::printing::PdfFolderPage;
using quill::printing::PdfPage;
using quill::printing::RecordingPage;

namespace {

const QString Quiet = QString(QuietSettings) + "[Values]\nCustID=123456789\nSerialNum=0000000\n";

const QString PrinterError = "The printer \"Front desk\" reported an error.";

/// A printer whose job fails as it ends: the form went out, whole or in part.
class FailingPage : public RecordingPage
{
public:
    using RecordingPage::RecordingPage;
    std::optional<QString> failEnd;
    std::optional<QString> endJob() override
    {
        auto ended = RecordingPage::endJob();
        return failEnd ? failEnd : ended;
    }
};

/// The mailer number of serial `serial` for customer 123456789, in its groups.
QString numberOf(int serial)
{
    return QString::fromStdString(quill::FormatMailerNumber(quill::BuildMailerNumber(
        "123456789", QString("%1").arg(serial, 7, 10, QChar('0')).toStdString(), false)));
}

class FaultFlow : public ::testing::Test
{
public:
    QTemporaryDir dir;
    TestServices services;
    std::unique_ptr<TF_Main> main;
    QString programFolder; // set to make the program live elsewhere than in `dir`

    QString folder() const { return programFolder.isEmpty() ? dir.path() + "/" : programFolder; }
    QString log() const { return folder() + "Reports/report3.dbf"; }
    QByteArray bytes(const QString& file) const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeFile(const QString& file, const QByteArray& data)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
    TF_Main& start(bool withSettings = true)
    {
        main = StartShown(services, folder(), withSettings ? Quiet : QString());
        main->ShowMailerDialog = false;
        return *main;
    }
    /// Types a recipient and presses Print.
    void print(const QString& name)
    {
        TF_Main& w = *main;
        w.btnClearClick();
        w.memoAddress->setPlainText(name + "\n18 Cedar Lane");
        w.editCity->setText("Augusta");
        w.editState->setText("ME");
        QTest::keyClicks(w.editZip, "04330");
        w.MIPrint->trigger();
    }
    /// Jobs from the first on print; job `failing` (from 0) fails as it ends, or cannot begin.
    void failJob(std::size_t failing, bool atBegin = false)
    {
        services.makePage = [this, failing, atBegin] {
            auto page = std::make_shared<FailingPage>(300);
            if (services.pages.size() == failing) {
                if (atBegin)
                    page->failBegin = QString("The printer \"Front desk\" is not available.");
                else
                    page->failEnd = PrinterError;
            }
            return page;
        };
    }
    /// The records of the log as python3-dbfread reads them: recipient and mailer number.
    QStringList logged() const
    {
        if (!QFile::exists(log()))
            return {};
        return RunProgram("/usr/bin/python3", {"-c",
                                               "import sys, dbfread\n"
                                               "for r in dbfread.DBF(sys.argv[1], encoding='cp437'):\n"
                                               "    print(r['SENTNAME0'] + '|' + r['MAILERNUM'])\n",
                                               log()})
            .split('\n', Qt::SkipEmptyParts);
    }
    QString storedSerial() const
    {
        const QString ini = QString::fromUtf8(bytes(folder() + "quill4.ini"));
        const qsizetype at = ini.indexOf("SerialNum=");
        return at < 0 ? QString() : ini.mid(at + 10, 7);
    }
    const TestServices::Box* lastBox() const
    {
        return services.boxes.empty() ? nullptr : &services.boxes.back();
    }
};

} // namespace

// The printer takes the job and fails at its end: the clerk sees the printer's error, the piece
// is not logged, its fields stay editable, and its number is spent, so the next piece, printed
// once the printer is back, goes out with the next number.
TEST_F(FaultFlow, AJobThatFailsAtItsEndIsShownAndItsNumberIsNeverGivenAgain)
{
    failJob(0);
    TF_Main& w = start();
    print("Mr. Robert Allard");
    ASSERT_EQ(services.pages.size(), 1u);
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->kind, PlatformServices::BoxKind::Error);
    EXPECT_EQ(lastBox()->text, PrinterError);
    EXPECT_TRUE(w.btnPrint->isEnabled());
    EXPECT_TRUE(logged().isEmpty());
    EXPECT_EQ(w.settings().SerialNum, "0000001");
    EXPECT_EQ(storedSerial(), "0000001"); // on disk at once, as after every piece

    w.MIPrint->trigger(); // the printer is back
    ASSERT_EQ(services.pages.size(), 2u);
    EXPECT_TRUE(Printed(static_cast<RecordingPage&>(*services.pages[1]), numberOf(2)));
    EXPECT_EQ(logged(), QStringList{"Mr. Robert Allard|" + numberOf(2)});
    EXPECT_EQ(storedSerial(), "0000002");
}

// A pre-print run whose printer fails on a later form: the run ends there and the clerk is told,
// the forms before stay printed, and the numbering goes on past every form that went to the
// printer, the spoiled one too, whose number may be on its paper.
TEST_F(FaultFlow, APrePrintRunCutShortIsShownAndTheNumbersGoOnPastItsLastForm)
{
    struct Case
    {
        const char* name;
        std::size_t failing; // the job that fails, from 0
        bool atBegin;
        std::size_t jobs; // jobs asked of the printer
        int kept;         // the serial the settings keep after the run, in the file too
        const char* error;
    };
    const Case cases[] = {
        {"the third form's job fails at its end", 2, false, 3, 3,
         "The printer \"Front desk\" reported an error."},
        {"the first form's job fails at its end", 0, false, 1, 1,
         "The printer \"Front desk\" reported an error."},
        {"the second form's job cannot begin", 1, true, 2, 1, "The printer \"Front desk\" is not available."},
        // Nothing went out: the serial entered stays, as when the run is refused.
        {"the first form's job cannot begin", 0, true, 1, 1, "The printer \"Front desk\" is not available."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        main.reset();
        services = TestServices();
        failJob(c.failing, c.atBegin);
        TF_Main& w = start();
        services.answerBox(PlatformServices::Yes);
        services.onDialog([](QDialog& d) {
            auto* p = qobject_cast<TF_PrintBarCode*>(&d);
            ASSERT_NE(p, nullptr);
            p->editCustID->setDigits("123456789");
            p->editSerialNum->setDigits("0000001");
            p->editNumLabels->setValue(5);
            p->btnOK->click();
        });
        w.MIPrintBarCodes->trigger();
        EXPECT_EQ(services.pages.size(), c.jobs);
        ASSERT_NE(lastBox(), nullptr);
        EXPECT_EQ(lastBox()->kind, PlatformServices::BoxKind::Error);
        EXPECT_EQ(lastBox()->text, c.error);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        const QString serial = QString("%1").arg(c.kept, 7, 10, QChar('0'));
        EXPECT_EQ(QString::fromStdString(w.settings().SerialNum), serial);
        EXPECT_EQ(storedSerial(), serial);

        // The next piece takes the first number no form carries.
        services.makePage = {};
        print("Dana Whitcomb");
        ASSERT_EQ(services.pages.size(), c.jobs + 1);
        EXPECT_TRUE(Printed(static_cast<RecordingPage&>(*services.pages.back()), numberOf(c.kept + 1)));
    }
}

// A program killed while a pre-print run prints must not start again at a number a form
// already carries: when each form's job is asked for, the settings file holds its number.
TEST_F(FaultFlow, APrePrintRunHasEachFormsNumberOnDiskBeforeItsJobBegins)
{
    QStringList onDisk;
    services.makePage = [&] {
        onDisk.append(storedSerial()); // what a start after a kill here would go on from
        return std::make_shared<RecordingPage>(300);
    };
    TF_Main& w = start();
    services.answerBox(PlatformServices::Yes);
    services.onDialog([](QDialog& d) {
        auto* p = qobject_cast<TF_PrintBarCode*>(&d);
        ASSERT_NE(p, nullptr);
        p->editCustID->setDigits("123456789");
        p->editSerialNum->setDigits("0000101");
        p->editNumLabels->setValue(4);
        p->btnOK->click();
    });
    w.MIPrintBarCodes->trigger();
    EXPECT_EQ(onDisk, (QStringList{"0000101", "0000102", "0000103", "0000104"}));
    EXPECT_EQ(storedSerial(), "0000104");
    EXPECT_TRUE(services.boxes.size() == 1u) << lastBox()->text.toStdString(); // the question only
}

// With no printer the forms are PDF files in "Printed": a folder that cannot be made there, or
// a disk that takes no PDF, is the job's failure, said with the file's name, and never a form
// reported saved that is not on the disk whole.
TEST_F(FaultFlow, APrintedFolderThatCannotBeMadeOrWrittenIsShownAndNothingIsLogged)
{
    struct Case
    {
        const char* name;
        std::function<std::shared_ptr<quill::printing::PageDevice>(FaultFlow&)> page;
        std::function<QString(FaultFlow&)> error;
    };
    const Case cases[] = {
        {"a file where the folder should be",
         [](FaultFlow& t) {
             t.writeFile(t.folder() + "Printed", "not a folder");
             return std::make_shared<PdfFolderPage>(t.folder() + "Printed", 72);
         },
         [](FaultFlow& t) { return "The folder " + t.folder() + "Printed cannot be created."; }},
        {"a disk that fills up under the PDF", // /dev/full fails every write, root's too
         [](FaultFlow&) { return std::make_shared<PdfPage>("/dev/full", 72); },
         [](FaultFlow&) { return QString("The PDF file /dev/full cannot be written."); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        main.reset();
        services = TestServices();
        QFile::remove(log());
        std::shared_ptr<quill::printing::PageDevice> page = c.page(*this);
        services.makePage = [page] { return page; };
        TF_Main& w = start();
        print("Mr. Robert Allard");
        ASSERT_EQ(services.boxes.size(), 1u) << services.boxes.back().text.toStdString();
        EXPECT_EQ(services.boxes[0].kind, PlatformServices::BoxKind::Error);
        EXPECT_EQ(services.boxes[0].text, c.error(*this));
        EXPECT_TRUE(w.btnPrint->isEnabled());
        EXPECT_TRUE(logged().isEmpty());
        EXPECT_TRUE(QFileInfo("/dev/full").exists());
    }
}

// A report with no printer goes to "Printed" too; when it cannot, the clerk is told, and the log
// is not touched.
TEST_F(FaultFlow, AReportThatCannotBeSavedAsAPdfSaysSoAndKeepsTheLog)
{
    TF_Main& w = start();
    QFile::copy(QString(QUILL_PROGRAM_DIR) + "/Quill3.rav", folder() + "Quill3.rav");
    print("Mr. Robert Allard");
    print("Dana Whitcomb");
    ASSERT_EQ(logged().size(), 2);
    const QByteArray stored = bytes(log());
    writeFile(folder() + "Printed", "not a folder");
    services.boxes.clear();
    w.miPrintShort->trigger();
    ASSERT_FALSE(services.boxes.empty());
    EXPECT_EQ(lastBox()->kind, PlatformServices::BoxKind::Error);
    EXPECT_TRUE(lastBox()->text.startsWith("Cannot write the report to \"" + folder() + "Printed/"))
        << lastBox()->text.toStdString();
    EXPECT_EQ(bytes(log()), stored);
    EXPECT_EQ(bytes(folder() + "Printed"), "not a folder");
}

// A mass print whose printer fails on the second record: the run ends there with the error, the
// first piece stays printed and logged, and the second's number is spent.
TEST_F(FaultFlow, AMassPrintEndsAtTheJobThatFailedAndKeepsThePiecesBefore)
{
    QDir().mkpath(folder() + "Addresses");
    const QString table = folder() + "Addresses/clients.dbf";
    const QString made = RunProgram(
        "/usr/bin/python3",
        {"-c",
         "import sys, dbf\n"
         "t = dbf.Table(sys.argv[1], 'address M; city C(35); state C(2); zip C(10)', dbf_type='db3')\n"
         "t.open(dbf.READ_WRITE)\n"
         "for name, city in (('Mr. Robert Allard', 'Augusta'), ('Ms. Ada Brook', 'Bangor'), "
         "('Carl Dunn', 'Salem')):\n"
         "    t.append({'address': name + '\\r\\n', 'city': city, 'state': 'ME', 'zip': '04330'})\n"
         "t.close()\n",
         table});
    ASSERT_TRUE(QFile::exists(table)) << made.toStdString();
    const QByteArray storedTable = bytes(table);
    failJob(1);
    TF_Main& w = start();
    services.fileAnswers.push_back(table);
    w.MIReadWriteToDB->trigger();
    services.answerBox(PlatformServices::Yes); // "You are about to print 3 labels."
    services.onDialog([](QDialog& d) {
        auto* m = qobject_cast<TF_Mailer*>(&d);
        ASSERT_NE(m, nullptr);
        m->cbDontShow->setChecked(true);
        m->btnOK->click();
    });
    w.MIMassPrint->trigger();
    EXPECT_EQ(services.pages.size(), 2u);
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->kind, PlatformServices::BoxKind::Error);
    EXPECT_EQ(lastBox()->text, PrinterError);
    EXPECT_EQ(logged(), QStringList{"Mr. Robert Allard|" + numberOf(1)});
    EXPECT_EQ(w.settings().SerialNum, "0000002");
    EXPECT_EQ(storedSerial(), "0000002");
    EXPECT_EQ(w.massPrintWindow(), nullptr);

    services.makePage = {};
    w.ShowMailerDialog = false;
    w.MIPrint->trigger(); // the third recipient's number is the next one not yet on paper
    EXPECT_TRUE(Printed(static_cast<RecordingPage&>(*services.pages.back()), numberOf(3)));
    EXPECT_EQ(logged().size(), 2);
    w.close();
    EXPECT_EQ(bytes(table), storedTable); // the run only read it
}

// "Reports" cannot be made (a file has its name): the form is printed, the record cannot be
// written, and that is a table failure: the numbering is saved, and the clerk is told which
// piece went out unrecorded before the program halts with the table's error.
TEST_F(FaultFlow, AReportsFolderThatCannotBeMadeHaltsNamingThePieceNotRecorded)
{
    writeFile(folder() + "Reports", "not a folder");
    start();
    print("Mr. Robert Allard");
    ASSERT_EQ(services.pages.size(), 1u);
    EXPECT_TRUE(Printed(static_cast<RecordingPage&>(*services.pages[0]), numberOf(1)));
    QStringList shown;
    for (const auto& b : services.boxes)
        shown.append(b.caption + ": " + b.text);
    ASSERT_GE(services.boxes.size(), 2u) << shown.join('\n').toStdString();
    const auto& warning = services.boxes[services.boxes.size() - 2];
    EXPECT_EQ(warning.kind, PlatformServices::BoxKind::Warning);
    EXPECT_EQ(warning.text, "The piece " + numberOf(1) +
                                " was printed but not recorded in the report log: the log could not be "
                                "written. Note its number by hand.");
    EXPECT_EQ(lastBox()->caption, "Program halted.");
    EXPECT_TRUE(lastBox()->text.contains(folder() + "Reports/report3.dbf")) << shown.join('\n').toStdString();
    ASSERT_EQ(services.exits.size(), 1u);
    EXPECT_NE(services.exits[0], 0);
    EXPECT_EQ(storedSerial(), "0000001");
    EXPECT_EQ(bytes(folder() + "Reports"), "not a folder");
}

// A program folder nothing can be made or written in (its path runs through a file, which
// stops root as it stops anybody): the program starts on its defaults, a form it cannot save
// as a PDF is said so, and at the end the clerk learns the settings could not be written.
TEST_F(FaultFlow, AProgramFolderNothingCanBeWrittenInSaysWhatItCouldNotKeep)
{
    writeFile(dir.path() + "/plain", "not a folder");
    programFolder = dir.path() + "/plain/";
    services.makePage = [this] { return std::make_shared<PdfFolderPage>(folder() + "Printed", 72); };
    TF_Main& w = start(false);
    services.boxes.clear();
    print("Mr. Robert Allard");
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, "The folder " + folder() + "Printed cannot be created.");
    services.boxes.clear();
    w.close();
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].kind, PlatformServices::BoxKind::Error);
    EXPECT_EQ(services.boxes[0].text, "Unable to write to " + folder() + "quill4.ini");
    EXPECT_TRUE(services.exits.empty());
    EXPECT_EQ(bytes(dir.path() + "/plain"), "not a folder");
}

// A read-only program folder, as an ordinary user has it (root ignores the bits, and the folder
// that is a file above stands in for it there): the settings on disk stay byte for byte.
TEST_F(FaultFlow, AReadOnlyProgramFolderKeepsTheStoredSettingsByteForByte)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    writeFile(folder() + "quill4.ini", Quiet.toUtf8());
    QDir().mkpath(folder() + "Reports");
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    TF_Main& w = start(false);
    print("Mr. Robert Allard"); // printed; the numbering cannot be kept, the log cannot be made
    w.close();
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QStringList shown;
    for (const auto& b : services.boxes)
        shown.append(b.caption + ": " + b.text);
    EXPECT_TRUE(shown.contains("Error: Unable to write to " + folder() + "quill4.ini"))
        << shown.join('\n').toStdString();
    EXPECT_EQ(bytes(folder() + "quill4.ini"), Quiet.toUtf8());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{"quill4.ini"});
}
