#include "MassPrint.h"
#include "TestServices.h"
#include "U_Database.h"
#include "U_Mailer.h"
#include "U_Main.h"
#include "U_MassPrint.h"
#include "ZipEdit.h"
#include "printing/Decode.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

using quill::printing::RasterPage;
using quill::printing::RecordingPage;
using Nav = TTzNavigator::Button;

namespace {

const QString Quiet = QuietSettings;

/// Records as python3-dbfread reads them, one line each: deletion-free, fields joined by "|",
/// memo lines joined by "/".
QString dbfread(const QString& path)
{
    return RunProgram("/usr/bin/python3",
                      {"-c",
                       "import sys, dbfread\n"
                       "for r in dbfread.DBF(sys.argv[1], encoding='cp437'):\n"
                       "    print('|'.join(str(v).rstrip().replace('\\r\\n', '/') for v in r.values()))\n",
                       path});
}

/// Records as perl XBase reads them, deleted ones left out.
QString xbase(const QString& path)
{
    return RunProgram("perl",
                      {"-MXBase", "-e",
                       "my $t = XBase->new($ARGV[0]) or die XBase->errstr;"
                       "for my $i (0 .. $t->last_record) { my ($del, @v) = $t->get_record($i);"
                       " next if $del; for (@v) { s/\\s+$//; s/\\r\\n/\\//g } print join('|', @v), \"\\n\" }",
                       path});
}

class DatabaseFlow : public ::testing::Test
{
public:
    QTemporaryDir dir;
    TestServices services;
    std::unique_ptr<TF_Main> main;

    QString folder() const { return dir.path() + "/"; }
    QString table() const { return folder() + "Addresses/clients.dbf"; }
    TF_Main& start(const QString& values = "CustID=123456789\nSerialNum=0000000\n")
    {
        main = StartShown(services, folder(), Quiet + "[Values]\n" + values);
        main->ShowMailerDialog = false;
        return *main;
    }
    /// Three recipients written by python3-dbf as a dBase III table with memos (0x83).
    void writeThree()
    {
        QDir().mkpath(folder() + "Addresses");
        const QString out =
            RunProgram("/usr/bin/python3",
                       {"-c",
                        "import sys, dbf\n"
                        "t = dbf.Table(sys.argv[1], 'address M; city C(35); state C(2); zip C(10)', "
                        "dbf_type='db3')\n"
                        "t.open(dbf.READ_WRITE)\n"
                        "t.append({'address': 'Mr. Robert Allard\\r\\n18 Cedar Lane\\r\\n', 'city': "
                        "'Augusta', 'state': 'ME', 'zip': '04330'})\n"
                        "t.append({'address': 'Ms. Ada Brook\\r\\n', 'city': 'Bangor', 'state': 'ME', "
                        "'zip': '04401-1234'})\n"
                        "t.append({'address': 'Carl Dunn\\r\\nDunn & Sons\\r\\n', 'city': 'Salem', "
                        "'state': 'MA', 'zip': '01970'})\n"
                        "t.close()\n",
                        table()});
        ASSERT_TRUE(QFile::exists(table())) << out.toStdString();
    }
    void open(TF_Main& w, const QString& path)
    {
        services.fileAnswers.push_back(path);
        w.MIReadWriteToDB->trigger();
    }
    void confirmMailerDialog(bool dontShowAgain)
    {
        services.onDialog([=](QDialog& d) {
            auto* m = qobject_cast<TF_Mailer*>(&d);
            ASSERT_NE(m, nullptr);
            m->cbDontShow->setChecked(dontShowAgain);
            m->btnOK->click();
        });
    }
    void cancelMailerDialog()
    {
        services.onDialog([](QDialog& d) { qobject_cast<TF_Mailer*>(&d)->btnCancel->click(); });
    }
    void click(TF_Main& w, Nav b) { w.tznavigator1->button(b)->click(); }
    QString log() const { return folder() + "Reports/report3.dbf"; }
    QStringList logLines() const
    {
        return QFile::exists(log()) ? dbfread(log()).split('\n', Qt::SkipEmptyParts) : QStringList();
    }
};

} // namespace

TEST_F(DatabaseFlow, ANewFileBecomesATableWithFourFieldsAndOneBlankRecord)
{
    TF_Main& w = start();
    EXPECT_FALSE(w.MIMassPrint->isEnabled());
    open(w, folder() + "Addresses/new");
    EXPECT_EQ(services.events.first(), "open:Read Name and Address from File");
    ASSERT_TRUE(QFile::exists(folder() + "Addresses/new.dbf")); // the dialog's default extension
    EXPECT_EQ(w.labelOrder->text(), "1/1");
    EXPECT_EQ(w.labelOrder->width(), w.tznavigator1->width());
    EXPECT_TRUE(w.MIMassPrint->isEnabled());
    EXPECT_EQ(w.settings().Default, (folder() + "Addresses").toStdString());
    EXPECT_EQ(w.btnPaste->geometry(), QRect(212, 36, 59, 25));
    for (QWidget* shown : std::vector<QWidget*>{w.tznavigator1, w.btnExit, w.tzmemoAddress, w.tzeditCity,
                                                w.tzeditState, w.tzeditZip, w.labelOrder})
        EXPECT_TRUE(shown->isVisible()) << shown->objectName().toStdString();
    for (QWidget* hidden :
         std::vector<QWidget*>{w.memoAddress, w.editCity, w.editState, w.editZip, w.btnClear})
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    EXPECT_TRUE(w.tzmemoAddress->hasFocus());

    const QString fields =
        RunProgram("/usr/bin/python3", {"-c",
                                        "import sys, dbfread\n"
                                        "t = dbfread.DBF(sys.argv[1])\n"
                                        "print([(f.name, f.type, f.length) for f in t.fields], len(t))\n",
                                        folder() + "Addresses/new.dbf"});
    EXPECT_EQ(fields.trimmed(),
              "[('ADDRESS', 'M', 10), ('CITY', 'C', 35), ('STATE', 'C', 2), ('ZIP', 'C', 10)] 1");
    // What cannot be stored is not typed: the state field of this table is two wide.
    w.tzeditState->setFocus();
    QTest::keyClicks(w.tzeditState, "MAINE");
    EXPECT_EQ(w.tzeditState->text(), "MA");
}

TEST_F(DatabaseFlow, TheTabOrderRunsThroughTheGroupsControls)
{
    TF_Main& w = start();
    open(w, folder() + "Addresses/new.dbf");
    w.btnPaste->setFocus();
    const std::vector<QWidget*> expected{w.tznavigator1, w.btnExit,     w.tzmemoAddress,
                                         w.tzeditCity,   w.tzeditState, w.tzeditZip};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
    for (int i = 0; i < TTzNavigator::ButtonCount; ++i)
        EXPECT_FALSE(w.tznavigator1->button(static_cast<Nav>(i))->toolTip().isEmpty());
}

TEST_F(DatabaseFlow, WrongFilesHaltOrAreRefused)
{
    TF_Main& w = start();
    QDir().mkpath(folder() + "Addresses");
    // A table without the ZIP field: the dataset's error, then the ordinary fields again.
    RunProgram("perl",
               {"-MXBase", "-e",
                "XBase->create(name => $ARGV[0], field_names => ['ADDRESS','CITY','STATE'], field_types => "
                "['M','C','C'], field_lengths => [10,20,4], field_decimals => [0,0,0]) or die;",
                folder() + "Addresses/nozip.dbf"});
    open(w, folder() + "Addresses/nozip.dbf");
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, "TzDbfAddress: Field 'zip' not found");
    EXPECT_TRUE(services.exits.empty());
    EXPECT_TRUE(w.memoAddress->isVisible());
    EXPECT_FALSE(w.MIMassPrint->isEnabled());

    // A file that is no table at all is fatal, after the settings are saved.
    QFile bad(folder() + "Addresses/notes.dbf");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a table");
    bad.close();
    open(w, bad.fileName());
    EXPECT_EQ(services.boxes.back().caption, "Program halted.");
    EXPECT_TRUE(services.boxes.back().text.startsWith("Error # 210 (Not a dBASE data file)"));
    EXPECT_EQ(services.exits, std::vector<int>{210});
    QFile ini(folder() + "quill4.ini");
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("Addresses"));
}

TEST_F(DatabaseFlow, ATablePythonDbfWroteBrowsesEditsAndPrintsFromTheControls)
{
    writeThree();
    TF_Main& w = start();
    open(w, table());
    EXPECT_EQ(w.labelOrder->text(), "1/3");
    EXPECT_EQ(w.tzmemoAddress->lines(), (QStringList{"Mr. Robert Allard", "18 Cedar Lane"}));
    EXPECT_EQ(w.tzeditZip->fieldText(), "04330"); // as TrimZip gives any ZIP of a mask field

    struct Step
    {
        Nav button;
        const char* order;
        const char* city;
    };
    for (const Step& s : {Step{Nav::nbNext, "2/3", "Bangor"}, Step{Nav::nbLast, "3/3", "Salem"},
                          Step{Nav::nbNext, "3/3", "Salem"}, Step{Nav::nbPrior, "2/3", "Bangor"},
                          Step{Nav::nbFirst, "1/3", "Augusta"}, Step{Nav::nbPrior, "1/3", "Augusta"}}) {
        click(w, s.button);
        EXPECT_EQ(w.labelOrder->text(), s.order);
        EXPECT_EQ(w.tzeditCity->text(), s.city) << s.order;
    }

    // An edit goes into the file when the record is left; cancel drops one. Only the fields
    // the user changed are written: the rest keep the bytes the other program wrote.
    auto memoFile = [&] {
        QFile f(QString(table()).replace(".dbf", ".dbt"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    };
    const QByteArray memoBefore = memoFile();
    w.tzeditCity->setText("Hallowell");
    click(w, Nav::nbNext);
    EXPECT_EQ(memoFile(), memoBefore); // the address was not touched, so it was not rewritten
    w.tzeditCity->setText("Nowhere");
    click(w, Nav::nbCancel);
    EXPECT_EQ(w.tzeditCity->text(), "Bangor");
    EXPECT_EQ(dbfread(table()), "Mr. Robert Allard/18 Cedar Lane|Hallowell|ME|04330\n"
                                "Ms. Ada Brook|Bangor|ME|04401-1234\n"
                                "Carl Dunn/Dunn & Sons|Salem|MA|01970\n");
    click(w, Nav::nbFirst);
    w.tzmemoAddress->setPlainText("Mr. Robert Allard\nPO Box 9");
    click(w, Nav::nbNext);
    EXPECT_EQ(dbfread(table()), "Mr. Robert Allard/PO Box 9|Hallowell|ME|04330\n"
                                "Ms. Ada Brook|Bangor|ME|04401-1234\n"
                                "Carl Dunn/Dunn & Sons|Salem|MA|01970\n");

    // Print reads the recipient from the controls, unsaved changes included.
    w.tzeditState->setText("NH");
    w.btnPrint->click();
    ASSERT_EQ(services.pages.size(), 1u);
    EXPECT_TRUE(Printed(static_cast<RecordingPage&>(*services.pages[0]), "MS. ADA BROOK"));
    EXPECT_TRUE(Printed(static_cast<RecordingPage&>(*services.pages[0]), "BANGOR NH 04401-1234"));
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines()[0].startsWith("Ms. Ada Brook||||Bangor|NH|04401-1234|"))
        << logLines()[0].toStdString();
    EXPECT_FALSE(w.tzeditCity->palette().color(QPalette::Base) == Qt::white);
}

TEST_F(DatabaseFlow, PasteWritesIntoTheDataAwareControls)
{
    writeThree();
    TF_Main& w = start();
    w.memoAddress->setPlainText("Typed before");
    open(w, table());
    services.clipboard = "Jane Roe\r\n5 Elm St\r\nDover, NH  03820-1111\r\n";
    w.btnPaste->click();
    EXPECT_EQ(w.tzmemoAddress->lines(), (QStringList{"Jane Roe", "5 Elm St"}));
    EXPECT_EQ(w.tzeditCity->text(), "Dover");
    EXPECT_EQ(w.tzeditState->text(), "NH");
    EXPECT_EQ(w.tzeditZip->fieldText(), "03820-1111");
    click(w, Nav::nbPost);
    EXPECT_TRUE(dbfread(table()).startsWith("Jane Roe/5 Elm St|Dover|NH|03820-1111\n"));
    w.btnExit->click();
    EXPECT_EQ(w.memoAddress->toPlainText(), " "); // the paste's clear acted on the ordinary fields
    EXPECT_EQ(w.btnPaste->geometry(), QRect(14, 22, 80, 25));
}

TEST_F(DatabaseFlow, DeleteTogglesTheMarkAndExitPacksItAway)
{
    writeThree();
    TF_Main& w = start();
    open(w, table());
    click(w, Nav::nbNext);
    services.answerBox(PlatformServices::Cancel);
    click(w, Nav::nbDelete);
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, "Delete Record ?");
    EXPECT_EQ(services.boxes[0].buttons,
              PlatformServices::bit(PlatformServices::Ok) | PlatformServices::bit(PlatformServices::Cancel));
    EXPECT_EQ(xbase(table()).count('\n'), 3);

    click(w, Nav::nbDelete); // OK
    EXPECT_EQ(services.boxes.size(), 2u);
    EXPECT_EQ(xbase(table()).count('\n'), 2);
    EXPECT_EQ(w.labelOrder->text(), "2/3"); // still on view and counted
    click(w, Nav::nbDelete);                // set: cleared without a question
    EXPECT_EQ(services.boxes.size(), 2u);
    EXPECT_EQ(xbase(table()).count('\n'), 3);

    click(w, Nav::nbDelete);
    w.btnExit->click();
    EXPECT_FALSE(w.MIMassPrint->isEnabled());
    EXPECT_FALSE(w.tzmemoAddress->isVisible());
    EXPECT_EQ(xbase(table()), "Mr. Robert Allard/18 Cedar Lane|Augusta|ME|04330\n"
                              "Carl Dunn/Dunn & Sons|Salem|MA|01970\n");
}

TEST_F(DatabaseFlow, ALockHeldElsewhereRefusesTheWriteAndKeepsTheEdit)
{
    writeThree();
    TF_Main& w = start();
    open(w, table());
    quill::tables::TTzDbf other; // another program with the first record locked
    other.setDbfFileName(table().toStdString());
    other.Open();
    ASSERT_TRUE(other.Edit());

    w.tzeditCity->setText("Hallowell");
    click(w, Nav::nbNext);
    ASSERT_FALSE(services.boxes.empty());
    EXPECT_EQ(services.boxes.back().text, "Lock failed [Post]");
    EXPECT_EQ(w.labelOrder->text(), "1/3");
    EXPECT_EQ(w.tzeditCity->text(), "Hallowell");
    services.answerBox(PlatformServices::Ok);
    click(w, Nav::nbDelete);
    EXPECT_EQ(services.boxes.back().text, "Lock failed [Delete]");

    other.Cancel();
    click(w, Nav::nbPost);
    EXPECT_TRUE(dbfread(table()).startsWith("Mr. Robert Allard/18 Cedar Lane|Hallowell|"));
}

TEST_F(DatabaseFlow, MassPrintPrintsAndLogsEveryRecordWithConsecutiveNumbers)
{
    writeThree();
    services.makePage = [] { return std::make_shared<RasterPage>(300); };
    TF_Main& w = start();
    open(w, table());
    click(w, Nav::nbNext);
    services.answerBox(PlatformServices::Ok);
    click(w, Nav::nbDelete); // deleted records are printed too

    QStringList progress;
    services.answerBox(PlatformServices::Yes);
    for (int i = 0; i < 3; ++i)
        services.onDialog([&](QDialog& d) {
            auto* window = w.massPrintWindow();
            ASSERT_NE(window, nullptr);
            progress.append(window->lblCount->text() + " " + window->lblAddress->text());
            qobject_cast<TF_Mailer*>(&d)->btnOK->click();
        });
    w.MIMassPrint->trigger();
    EXPECT_EQ(services.boxes.back().text, "You are about to print 3 labels.\n\rWould you like to continue?");
    EXPECT_EQ(progress, (QStringList{"Printing 1 of 3 Mr. Robert Allard", "Printing 2 of 3 Ms. Ada Brook",
                                     "Printing 3 of 3 Carl Dunn"}));
    ASSERT_EQ(services.pages.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const QImage& page = static_cast<RasterPage&>(*services.pages[static_cast<std::size_t>(i)]).image();
        EXPECT_EQ(DecodeCode128(page, QRect(160, 1200, 800, 300)),
                  quill::BuildMailerNumber("123456789", QString("000000%1").arg(i + 1).toStdString(), false));
    }
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[1].startsWith("Ms. Ada Brook||||Bangor|ME|04401-1234|"));
    EXPECT_TRUE(lines[2].contains("|9214 7123 4567 8900 0000 39|")) << lines[2].toStdString();
    EXPECT_EQ(w.settings().SerialNum, "0000003");
    EXPECT_EQ(w.labelOrder->text(), "3/3");
    EXPECT_TRUE(w.ShowMailerDialog);
    EXPECT_EQ(w.massPrintWindow(), nullptr);
}

TEST_F(DatabaseFlow, MassPrintEndsEarlyWithTheNumberingOfTheLastPiece)
{
    struct Case
    {
        const char* name;
        const char* values;
        std::function<void(DatabaseFlow&)> script;
        std::size_t pages;
        const char* serial;
        const char* lastBox;
    };
    const Case cases[] = {
        {"no to the question", "CustID=123456789\nSerialNum=0000000\n",
         [](DatabaseFlow& t) { t.services.answerBox(PlatformServices::No); }, 0, "0000000",
         "You are about to print 3 labels.\n\rWould you like to continue?"},
        {"cancel at the second", "CustID=123456789\nSerialNum=0000000\n",
         [](DatabaseFlow& t) {
             t.services.answerBox(PlatformServices::Yes);
             t.confirmMailerDialog(false);
             t.cancelMailerDialog();
         },
         1, "0000001", nullptr},
        {"zeros refused after the dialog", "CustID=000000000\nSerialNum=0000000\n",
         [](DatabaseFlow& t) {
             t.services.answerBox(PlatformServices::Yes);
             t.confirmMailerDialog(false);
         },
         0, "0000000",
         "You can not print a Mailer with \"000000000\" as a Customer ID. \r\nPlease enter in a Customer ID "
         ", "
         "and try again."},
        {"dashed zeros refused too", "CustID=00-000-0000\nSerialNum=0000000\n",
         [](DatabaseFlow& t) {
             t.services.answerBox(PlatformServices::Yes);
             t.confirmMailerDialog(true);
         },
         0, "0000000", nullptr},
        {"stop pressed while the first prints", "CustID=123456789\nSerialNum=0000000\n",
         [](DatabaseFlow& t) {
             t.services.answerBox(PlatformServices::Yes);
             t.confirmMailerDialog(true);
             t.services.makePage = [&t] {
                 t.main->massPrintWindow()->btnStop->click();
                 return std::make_shared<RecordingPage>(300);
             };
         },
         1, "0000001", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        services = TestServices();
        main.reset();
        QFile::remove(log());
        writeThree();
        TF_Main& w = start(c.values);
        open(w, table());
        c.script(*this);
        w.MIMassPrint->trigger();
        EXPECT_EQ(services.pages.size(), c.pages);
        EXPECT_EQ(w.settings().SerialNum, c.serial);
        EXPECT_EQ(logLines().size(), static_cast<int>(c.pages));
        if (c.lastBox) {
            EXPECT_EQ(services.boxes.back().text, c.lastBox);
        }
        QFile::remove(table());
        QFile::remove(folder() + "Addresses/clients.dbt");
    }
}

TEST_F(DatabaseFlow, PerlXBaseTablesWithLongMemosKeepThemWhenBrowsed)
{
    QDir().mkpath(folder() + "Addresses");
    // Six lines of 100 characters: a memo over two blocks of 512 bytes.
    RunProgram(
        "perl",
        {"-MXBase", "-e",
         "my $t = XBase->create(name => $ARGV[0], version => 0x8B, field_names => ['ADDRESS','CITY','STATE',"
         "'ZIP'], field_types => ['M','C','C','C'], field_lengths => [10,20,4,10], field_decimals => "
         "[0,0,0,0]) or die XBase->errstr;"
         "$t->set_record(0, join(\"\\r\\n\", map { \"line $_ \" . ('x' x 100) } 1..6) . \"\\r\\n\", "
         "'A city of twenty two', 'ME', '04401');"
         "$t->set_record(1, \"Short\\r\\n\", 'Bath', 'ME', '04530'); $t->close;",
         table()});
    const QString before = xbase(table());
    ASSERT_TRUE(before.contains("line 6")) << before.toStdString();
    TF_Main& w = start();
    open(w, table());
    EXPECT_EQ(w.tzmemoAddress->lines().size(), 6); // shown as stored
    click(w, Nav::nbNext);
    click(w, Nav::nbFirst);
    w.btnExit->click();
    EXPECT_EQ(xbase(table()), before);

    open(w, table());
    services.answerBox(PlatformServices::Yes);
    confirmMailerDialog(true);
    w.MIMassPrint->trigger();
    ASSERT_EQ(services.pages.size(), 2u);
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("line 1 x")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains("|A city of twenty two|ME|04401|"));
}

TEST(DatabaseLabel, ALongPathKeepsItsTrailingFoldersAfterDots)
{
    QFont font("Arial", 8);
    QFontMetrics m(font);
    const QString shortPath = "/home/office/clients.dbf";
    EXPECT_EQ(ShortenedTablePath(shortPath, m), shortPath);
    QString longPath = "/srv";
    while (m.horizontalAdvance(longPath) <= 300)
        longPath += "/archive";
    longPath += "/clients.dbf";
    const QString shown = ShortenedTablePath(longPath, m);
    ASSERT_TRUE(shown.startsWith(".../"));
    EXPECT_TRUE(longPath.endsWith(shown.mid(4)));
    EXPECT_LE(m.horizontalAdvance(shown.mid(4)), 251);
    EXPECT_GT(m.horizontalAdvance(longPath.right(shown.size() - 4 + 8)), 251); // no more folder fits
}

TEST(QtServices, TheTableDialogTakesTheNameOfAFileThatIsNotThereYet)
{
    QTemporaryDir dir;
    QtPlatformServices services;
    // The real file dialog, answered as a clerk would: a new name, then Open.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        // Typed into the name field and Open pressed, again at each tick until the dialog is
        // gone: it may still be reading the folder the first time round.
        if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            if (auto* name = d->findChild<QLineEdit*>("fileNameEdit"))
                name->setText(dir.path() + "/clients.dbf");
            else
                d->selectFile(dir.path() + "/clients.dbf");
            QMetaObject::invokeMethod(d, "accept"); // the Open button's slot
        }
    });
    poll.start(10);
    QTimer::singleShot(5000, [] {
        if (QWidget* stuck = QApplication::activeModalWidget())
            stuck->close(); // fail rather than hang
    });
    const QString chosen = services.openOrNewFileName(nullptr, "Read Name and Address from File", dir.path(),
                                                      "DBF Files (*.dbf)");
    EXPECT_EQ(chosen, dir.path() + "/clients.dbf");
    EXPECT_FALSE(QFile::exists(chosen)); // the command makes it
}
