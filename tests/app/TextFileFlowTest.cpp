// Options > Name & Address Text Files: import and export through the window, the tables read
// by another program.

#include "MessageBoxWithButtons.h"
#include "TestServices.h"
#include "U_Main.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class TextFileFlow : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    TestServices services;
    std::unique_ptr<TF_Main> main;

    QString folder() const { return dir.path() + "/"; }
    QString addresses() const { return folder() + "Addresses/"; }
    TF_Main& start()
    {
        QFile ini(folder() + "quill4.ini");
        EXPECT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(
            ("[Type]\nBarCodeApp=0\n[YourAddress]\nLine1=Harbor Title Company\nCity=Portland\nState=ME\n"
             "Zip=04101\n[Values]\nDefault=" +
             dir.path() + "/Addresses\n")
                .toUtf8());
        ini.close();
        main = std::make_unique<TF_Main>(services, folder());
        main->show();
        QApplication::processEvents();
        return *main;
    }
    void writeText(const QString& name, const QByteArray& bytes)
    {
        QFile f(addresses() + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    /// Presses the button of the next overwrite / append / cancel question.
    void answerSameName(const QString& caption)
    {
        services.onDialog([caption](QDialog& d) {
            auto* box = qobject_cast<TButtonsBox*>(&d);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->textLabel()->text(),
                      "A database of the same name has been found in this location.  Would you like to "
                      "overwrite this database, or append to this database?");
            for (QPushButton* b : box->buttons())
                if (b->text() == caption)
                    b->click();
        });
    }
    /// The cities of a table as dbfread reads them, one a line.
    QString cities(const QString& table) const
    {
        return RunProgram("/usr/bin/python3",
                          {"-c",
                           "import sys, dbfread\n"
                           "for r in dbfread.DBF(sys.argv[1], encoding='cp437'): print(r['CITY'])\n",
                           table});
    }
};

} // namespace

TEST_F(TextFileFlow, ImportIntoANewTableThenAppendOverwriteOrCancel)
{
    TF_Main& w = start();
    writeText("clients.txt", "\"Ann Smith\",\"\",\"12 Main St\",\"\",\"Augusta\",\"ME\",\"04330\"\r\n"
                             "Bob Jones,,,,Bath,ME,04530\r\n");
    const QString table = addresses() + "clients.dbf";
    services.fileAnswers = {addresses() + "clients.txt", table};
    w.MIImport->trigger();
    EXPECT_EQ(services.fileDialogPlaces,
              (QStringList{dir.path() + "/Addresses", addresses() + "clients.dbf"}));
    EXPECT_EQ(services.boxes.back().text, "Import Done.");
    EXPECT_EQ(cities(table), "Augusta\nBath\n");

    // The same again: appended, then overwritten, then nothing at all.
    for (const auto& [answer, expected] :
         std::vector<std::pair<QString, QString>>{{"&Append", "Augusta\nBath\nAugusta\nBath\n"},
                                                  {"&Overwrite", "Augusta\nBath\n"},
                                                  {"&Cancel", "Augusta\nBath\n"}}) {
        services.fileAnswers = {addresses() + "clients.txt", table};
        answerSameName(answer);
        w.MIImport->trigger();
        EXPECT_EQ(cities(table), expected) << answer.toStdString();
    }
    EXPECT_EQ(w.settings().Default, (dir.path() + "/Addresses").toStdString()); // neither command changes it
}

TEST_F(TextFileFlow, ExportWritesEveryFieldQuotedAndImportsBackTheSame)
{
    TF_Main& w = start();
    writeText("in.txt",
              "\"Dana \"\"DJ\"\" Whitcomb\",\"Whitcomb, Sons & Co\",\"\",\"Suite 4\",\"Bangor\",\"ME\","
              "\"04401-1234\"\r\n");
    services.fileAnswers = {addresses() + "in.txt", addresses() + "names.dbf"};
    w.MIImport->trigger();

    services.fileAnswers = {addresses() + "names.dbf", addresses() + "names.txt"};
    w.MIExport->trigger();
    EXPECT_EQ(services.fileDialogPlaces.last(), addresses() + "names.txt"); // the proposed name
    EXPECT_EQ(services.boxes.back().text, "Export Done.");
    QFile out(addresses() + "names.txt");
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(),
              QByteArray("\"Dana \"\"DJ\"\" Whitcomb\",\"Whitcomb, Sons & Co\",\"Suite 4\",\"\","
                         "\"Bangor\",\"ME\",\"04401-1234\"\r\n"));
}

TEST_F(TextFileFlow, ATableWithoutItsFieldsIsAnErrorOnImport)
{
    TF_Main& w = start();
    writeText("in.txt", "a,b,c,d,e,f,g\r\n");
    RunProgram(
        "perl",
        {"-MXBase", "-e",
         "XBase->create(name => $ARGV[0], field_names => ['ADDRESS','TOWN','STATE','ZIP'], field_types => "
         "['M','C','C','C'], field_lengths => [10,20,4,10], field_decimals => [0,0,0,0]) or die",
         addresses() + "other.dbf"});
    services.fileAnswers = {addresses() + "in.txt", addresses() + "other.dbf"};
    answerSameName("&Append");
    w.MIImport->trigger();
    EXPECT_EQ(services.boxes.back().text, "Error on import: Field 'City' not found");
    EXPECT_EQ(services.boxes.back().kind, PlatformServices::BoxKind::Error);
    EXPECT_TRUE(services.exits.empty());
}

TEST_F(TextFileFlow, InDatabaseModeTheImportClosesTheTableAndOpensItAgain)
{
    TF_Main& w = start();
    QDir().mkpath(addresses());
    services.fileAnswers = {addresses() + "book.dbf"};
    w.MIReadWriteToDB->trigger(); // a new table: its one blank record
    ASSERT_TRUE(w.databaseMode());
    writeText("more.txt", "Ann Smith,,,,Augusta,ME,04330\r\nBob Jones,,,,Bath,ME,04530\r\n");
    services.fileAnswers = {addresses() + "more.txt", addresses() + "book.dbf"};
    answerSameName("&Append");
    w.MIImport->trigger();
    EXPECT_EQ(services.boxes.back().text, "Import Done.");
    EXPECT_EQ(w.labelOrder->text(), "1/3");
    EXPECT_TRUE(w.TzDbfAddress.Active());
    EXPECT_EQ(cities(addresses() + "book.dbf"), "\nAugusta\nBath\n");
}
