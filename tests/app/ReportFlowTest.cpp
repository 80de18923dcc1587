// The report log through the window: every printed piece recorded, previewed, printed,
// sorted and cleared, with the log read back by other programs.

#include "Memo.h"
#include "TestServices.h"
#include "U_Main.h"
#include "U_ReportPreview.h"
#include "ZipEdit.h"
#include "report/ReportDocument.h"
#include "report/ReportLog.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString Settings =
    "[Type]\nBarCodeApp=0\n[YourAddress]\nLine1=Harbor Title Company\nLine2=200 Water Street\n"
    "City=Portland\nState=ME\nZip=04101\n[Values]\nCustID=123456789\nSerialNum=0000000\n";

struct Piece
{
    const char* lines;
    const char* city;
    const char* state;
    const char* zip;
    const char* postage;
    const char* comment;
    const char* re;
};

const Piece Pieces[] = {
    {"Mr. Robert Allard\n18 Cedar Lane", "Augusta", "ME", "04330", "0.39", "Lien notice", "Parcel 14-220"},
    {"Dana Whitcomb\nWhitcomb & Sons\nAttn: Accounts\nSuite 4", "Bangor", "ME", "044011234", "1.05", "",
     "Account 77"},
    {"Carla Baptiste\n9 Elm St", "Camden", "ME", "04843", "0.39", "Second notice", ""},
};

class ReportFlow : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    TestServices services;
    std::unique_ptr<TF_Main> main;

    QString folder() const { return dir.path() + "/"; }
    QString log() const { return folder() + "Reports/report3.dbf"; }
    TF_Main& start()
    {
        QFile ini(folder() + "quill4.ini");
        EXPECT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(Settings.toUtf8());
        ini.close();
        QFile::copy(QString(QUILL_PROGRAM_DIR) + "/Quill3.rav", folder() + "Quill3.rav");
        main = std::make_unique<TF_Main>(services, folder());
        main->show();
        QApplication::processEvents();
        main->ShowMailerDialog = false;
        return *main;
    }
    void print(const Piece& p)
    {
        TF_Main& w = *main;
        w.btnClearClick();
        w.memoAddress->setPlainText(p.lines);
        w.editCity->setText(p.city);
        w.editState->setText(p.state);
        w.editZip->clear();
        QTest::keyClicks(w.editZip, p.zip);
        w.editPostage->setText(p.postage);
        w.editPostageExit();
        w.editComment->setText(p.comment);
        w.editRe->setText(p.re);
        w.MIPrint->trigger();
    }
    /// `count` pieces of one recipient written straight into the log.
    void logPieces(int count)
    {
        quill::report::ReportLogWriter writer(log().toStdString());
        quill::report::ReportRecord r;
        r.sentName[0] = "Someone";
        r.date = "12/10/2026";
        r.mailerNumber = "9214 7123 4567 8900 0000 15";
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(writer.append(r), quill::report::ReportLogWriter::Outcome::Logged);
    }
    /// Every record of the log as dbfread sees it, one line each: the fields joined by "|".
    QString readLog() const
    {
        return RunProgram("/usr/bin/python3", {"-c",
                                               "import sys, dbfread\n"
                                               "for r in dbfread.DBF(sys.argv[1], encoding='cp437'):\n"
                                               "    print('|'.join(str(v) for v in r.values()))\n",
                                               log()});
    }
    /// The mailer numbers a report lays out, in the order it shows them.
    static QStringList mailerNumbers(quill::report::ReportDocument& document)
    {
        QStringList numbers;
        for (int page = 0; document.hasPage(page); ++page)
            for (const auto& t : document.pageTexts(page))
                if (t.text.size() == 27 && t.text.startsWith("9214 7"))
                    numbers.append(t.text);
        return numbers;
    }
};

} // namespace

TEST_F(ReportFlow, EveryPrintedPieceIsInTheLogAsOtherProgramsReadIt)
{
    start();
    for (const Piece& p : Pieces)
        print(p);
    const QString today = QDate::currentDate().toString("yyyy-MM-dd");
    const QString money = QString(10, ' ');
    const QString expected =
        "Mr. Robert Allard|18 Cedar Lane|||Augusta|ME|04330|" + today + "|9214 7123 4567 8900 0000 15|" +
        money + "0.39|" + money + "2.40||" + money + "1.85|" + money + "4.64|Lien notice|Parcel 14-220\n" +
        "Dana Whitcomb|Whitcomb & Sons|Attn: Accounts|Suite 4|Bangor|ME|04401-1234|" + today +
        "|9214 7123 4567 8900 0000 22|" + money + "1.05|" + money + "2.40||" + money + "1.85|" + money +
        "5.30||Account 77\n" + "Carla Baptiste|9 Elm St|||Camden|ME|04843|" + today +
        "|9214 7123 4567 8900 0000 39|" + money + "0.39|" + money + "2.40||" + money + "1.85|" + money +
        "4.64|Second notice|\n";
    EXPECT_EQ(readLog(), expected);
}

TEST_F(ReportFlow, ABusyLogIsTriedForTwoSecondsAndThenTheClerkIsTold)
{
    start();
    print(Pieces[0]); // the log exists
    auto holdLock = [&](double seconds) {
        // A POSIX record lock on the append lock's byte, as another program would take it.
        auto* p = new QProcess;
        p->start("/usr/bin/python3", {"-c",
                                      "import fcntl, os, sys, time\n"
                                      "f = os.open(sys.argv[1], os.O_RDWR)\n"
                                      "fcntl.lockf(f, fcntl.LOCK_EX, 1, 0x40000001)\n"
                                      "print('held', flush=True)\n"
                                      "time.sleep(float(sys.argv[2]))\n",
                                      log(), QString::number(seconds)});
        EXPECT_TRUE(p->waitForReadyRead(10000));
        return std::unique_ptr<QProcess>(p);
    };
    {
        auto holder = holdLock(0.6); // let go while the program still tries
        print(Pieces[1]);
        holder->waitForFinished();
    }
    EXPECT_EQ(readLog().count('\n'), 2);
    EXPECT_TRUE(services.boxes.empty() || services.boxes.back().kind != PlatformServices::BoxKind::Warning);
    {
        auto holder = holdLock(5);
        print(Pieces[2]);
        holder->kill();
        holder->waitForFinished();
    }
    EXPECT_EQ(readLog().count('\n'), 2);
    ASSERT_FALSE(services.boxes.empty());
    EXPECT_EQ(services.boxes.back().kind, PlatformServices::BoxKind::Warning);
    EXPECT_TRUE(services.boxes.back().text.contains("9214 7123 4567 8900 0000 39"))
        << services.boxes.back().text.toStdString();
    EXPECT_TRUE(services.boxes.back().text.contains("not recorded"))
        << services.boxes.back().text.toStdString();
}

TEST_F(ReportFlow, AnEmptyLogIsSaidSoAndNothingOpens)
{
    TF_Main& w = start();
    w.miPreviewFull->trigger();
    w.miPrintShort->trigger();
    w.ClearReport1->trigger();
    ASSERT_EQ(services.boxes.size(), 3u);
    EXPECT_EQ(services.boxes[0].text, "Report is empty.");
    EXPECT_EQ(services.boxes[0].kind, PlatformServices::BoxKind::Error);
    EXPECT_EQ(services.boxes[1].text, "Report is empty.");
    EXPECT_EQ(services.boxes[2].text, "Report is already empty.");
    EXPECT_FALSE(services.events.contains("dialog:TF_ReportPreview"));
}

TEST_F(ReportFlow, EachSortOrderGivesTheReportAndItsIndexInKeyOrder)
{
    TF_Main& w = start();
    // Printed out of every order: names, ZIPs and numbers each sort differently.
    const Piece pieces[] = {
        {"Carla Baptiste\n9 Elm St", "Camden", "ME", "04843", "0.39", "", ""},
        {"Adam Zorn\n1 Oak St", "Bath", "ME", "04530", "0.39", "", ""},
        {"Bea Young\n2 Pine St", "Calais", "ME", "04619", "0.39", "", ""},
    };
    for (const Piece& p : pieces)
        print(p);
    struct Order
    {
        QAction* item;
        const char* index;
        QStringList numbers; // the pieces' mailer numbers in the order expected
    };
    const QString n1 = "9214 7123 4567 8900 0000 15", n2 = "9214 7123 4567 8900 0000 22",
                  n3 = "9214 7123 4567 8900 0000 39";
    const Order orders[] = {
        {w.MIByMailerNumber, "mailernum", {n1, n2, n3}},
        {w.MIByName, "name", {n2, n3, n1}},
        {w.MIByDate, "rdate", {n1, n2, n3}}, // one day: the order they were written in
        {w.MIByZipCode, "zip", {n2, n3, n1}},
    };
    for (const Order& o : orders) {
        o.item->trigger();
        QStringList seen;
        services.onDialog([&](QDialog& d) {
            auto* preview = qobject_cast<TF_ReportPreview*>(&d);
            ASSERT_NE(preview, nullptr);
            EXPECT_EQ(preview->windowTitle(), "Report Preview");
            EXPECT_EQ(preview->zoom(), 100);
            EXPECT_TRUE(preview->windowState() & Qt::WindowMaximized);
            seen = mailerNumbers(preview->document());
        });
        w.miPreviewShort->trigger();
        EXPECT_EQ(seen, o.numbers) << o.index;
        const QString mdx = folder() + "Reports/" + o.index + ".MDX";
        ASSERT_TRUE(QFile::exists(mdx)) << o.index;
        // perl's XBase::Index walks the tag the program wrote: record numbers in key order.
        const QString walked =
            RunProgram("perl", {"-MXBase::Index", "-e",
                                "my $i = XBase::Index->new($ARGV[0], tag => 'dummy_tag') or die "
                                "XBase::Index->errstr; $i->prepare_select; while (my ($k, $r) = "
                                "$i->fetch) { print \"$r\\n\" }",
                                mdx});
        QString records; // the pieces were printed, and so recorded, as n1, n2, n3
        for (const QString& n : o.numbers)
            records += QString::number(QStringList{n1, n2, n3}.indexOf(n) + 1) + "\n";
        EXPECT_EQ(walked, records) << o.index;
    }
}

TEST_F(ReportFlow, ClearKeepsACopyWhereTheClerkSays)
{
    TF_Main& w = start();
    print(Pieces[0]);
    print(Pieces[1]);
    QFile original(log());
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    original.close();

    // Yes, to a new file: a byte-for-byte copy, and the log is empty.
    const QString copy = folder() + "kept.dbf";
    services.answerBox(PlatformServices::Yes);
    services.fileAnswers.push_back(copy);
    w.ClearReport1->trigger();
    QFile kept(copy);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), bytes);
    kept.close();
    EXPECT_EQ(readLog(), "");
    EXPECT_EQ(services.boxes.back().text, "Do you wish to save the data in the report?");
    EXPECT_EQ(services.boxes.back().buttons, PlatformServices::bit(PlatformServices::Yes) |
                                                 PlatformServices::bit(PlatformServices::No) |
                                                 PlatformServices::bit(PlatformServices::Cancel));

    // Yes, to that copy again: the new pieces are added after its own.
    print(Pieces[2]);
    services.answerBox(PlatformServices::Yes);
    services.fileAnswers.push_back(copy);
    w.ClearReport1->trigger();
    const QString both =
        RunProgram("/usr/bin/python3", {"-c",
                                        "import sys, dbfread\n"
                                        "print([r['SENTNAME0'] for r in dbfread.DBF(sys.argv[1])])\n",
                                        copy});
    EXPECT_EQ(both, "['Mr. Robert Allard', 'Dana Whitcomb', 'Carla Baptiste']\n");
    EXPECT_EQ(readLog(), "");

    // Yes, then Cancel in the save dialog: cleared with no copy. Cancel at the question: kept.
    print(Pieces[0]);
    services.answerBox(PlatformServices::Cancel);
    w.ClearReport1->trigger();
    EXPECT_EQ(readLog().count('\n'), 1);
    services.answerBox(PlatformServices::Yes);
    w.ClearReport1->trigger(); // no file answer: the save dialog is cancelled
    EXPECT_EQ(readLog(), "");
    QDir reports(folder() + "Reports");
    EXPECT_EQ(reports.entryList({"*.dbf", "*.DBF"}, QDir::Files), QStringList{"report3.dbf"});
}

TEST_F(ReportFlow, PrintingWithoutAPrinterWritesAPdfAndSaysWhere)
{
    TF_Main& w = start();
    print(Pieces[0]);
    print(Pieces[1]);
    w.miPrintFull->trigger();
    const QStringList pdfs = QDir(folder() + "Printed").entryList({"*-FullDetail.pdf"}, QDir::Files);
    ASSERT_EQ(pdfs.size(), 1);
    const QString text = RunProgram("pdftotext", {"-layout", folder() + "Printed/" + pdfs[0], "-"});
    EXPECT_TRUE(text.contains("Dana Whitcomb")) << text.toStdString();
    EXPECT_TRUE(text.contains("9214 7123 4567 8900 0000 22")) << text.toStdString();
    EXPECT_TRUE(text.contains("Date Printed: ")) << text.toStdString();
    EXPECT_TRUE(services.boxes.back().text.contains(pdfs[0])) << services.boxes.back().text.toStdString();
    EXPECT_FALSE(services.events.contains("output options"));
}

TEST_F(ReportFlow, PrintingToAPrinterGoesThroughOutputOptions)
{
    TF_Main& w = start();
    print(Pieces[0]);
    const QString out = folder() + "printer.pdf";
    services.makeReportPrinter = [&] {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(out);
        return printer;
    };
    w.miPrintShort->trigger();
    EXPECT_TRUE(services.events.contains("output options"));
    const QString text = RunProgram("pdftotext", {"-layout", out, "-"});
    EXPECT_TRUE(text.contains("Mr. Robert Allard")) << text.toStdString();

    // Cancelled in Output Options: nothing is printed.
    QFile::remove(out);
    services.makeReportPrinter = [] { return std::unique_ptr<QPrinter>(); };
    w.miPrintShort->trigger();
    EXPECT_FALSE(QFile::exists(out));
}

TEST_F(ReportFlow, ADamagedLogFoundWhilePreviewingHaltsLikeAnyTableFailure)
{
    TF_Main& w = start();
    {
        // 200 pieces, and a header that claims 1,000: page 1 shows, a later one cannot be read.
        logPieces(200);
        QFile f(log());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(4);
        const char count[4] = {static_cast<char>(0xE8), 0x03, 0, 0};
        f.write(count, 4);
    }
    bool closedItself = false;
    services.onDialog([&](QDialog& d) {
        for (int i = 0; i < 500 && d.isVisible(); ++i) {
            QApplication::processEvents();
            QTest::qWait(5);
        }
        closedItself = !d.isVisible();
    });
    w.miPreviewFull->trigger();
    EXPECT_TRUE(closedItself);
    EXPECT_EQ(services.exits, std::vector<int>{213});
    ASSERT_FALSE(services.boxes.empty());
    EXPECT_EQ(services.boxes.back().caption, "Program halted.");
}

TEST_F(ReportFlow, ThePreviewTurnsPagesWithTheKeysAndCountsThemWhenAllAreLaidOut)
{
    TF_Main& w = start();
    logPieces(120);
    int pages = 0, afterPageDown = -1, atEnd = -1;
    QString label;
    services.onDialog([&](QDialog& d) {
        auto* preview = qobject_cast<TF_ReportPreview*>(&d);
        ASSERT_NE(preview, nullptr);
        pages = preview->document().pageCount();
        QTest::keyClick(preview, Qt::Key_PageDown);
        afterPageDown = preview->currentPage();
        QTest::keyClick(preview, Qt::Key_End, Qt::ControlModifier);
        atEnd = preview->currentPage();
        label = preview->findChild<QLabel*>("labelPage")->text();
    });
    w.miPreviewShort->trigger();
    ASSERT_GT(pages, 2);
    EXPECT_EQ(afterPageDown, 1);
    EXPECT_EQ(atEnd, pages - 1);
    EXPECT_EQ(label, QString("Page %1 of %1").arg(pages));
}
