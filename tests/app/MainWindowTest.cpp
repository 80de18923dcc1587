#include "Memo.h"
#include "MessageBoxWithButtons.h"
#include "TestServices.h"
#include "U_About.h"
#include "U_Main.h"
#include "U_YourAddress.h"
#include "ZipEdit.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

const QString Ten(10, ' ');
const QString Sender = "[YourAddress]\nLine1=Jane Sender\nCity=Springfield\nState=IL\nZip=62704\n";
const QString Quiet = Sender + "[Type]\nBarCodeApp=0\n";

class MainWindow : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    TestServices services;
    std::unique_ptr<TF_Main> main;

    QString folder() const { return dir.path() + "/"; }
    QString iniPath() const { return folder() + "quill4.ini"; }

    void writeIni(const QString& text)
    {
        QFile f(iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
    }
    QString readIni() const
    {
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    TF_Main& start()
    {
        main = std::make_unique<TF_Main>(services, folder());
        main->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(main.get()));
        QApplication::processEvents(); // the first-show prompts
        main->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(main.get()));
        return *main;
    }
    void stop()
    {
        main->close();
        main.reset();
    }
    /// Moves the focus from one control to the next, as the Tab key does.
    static void leave(QWidget* from, QWidget* to)
    {
        from->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        to->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    /// The rows the memo draws its line `block` in, as laid out at the memo's width.
    static int DrawnRows(const Memo& memo, int block)
    {
        const QTextLayout* layout = memo.document()->findBlockByNumber(block).layout();
        return layout ? layout->lineCount() : 0;
    }
    static void type(QLineEdit* field, const QString& text)
    {
        field->setFocus(Qt::TabFocusReason);
        field->selectAll();
        QTest::keyClicks(field, text);
    }
};

} // namespace

TEST_F(MainWindow, FirstStartInAnEmptyFolderAsksInOrderAndWritesEveryKey)
{
    services.onDialog([](QDialog& d) {
        auto* dlg = qobject_cast<TF_YourAddress*>(&d);
        ASSERT_NE(dlg, nullptr);
        dlg->memoYourAddress->setPlainText("Jane Sender\n1 Elm St");
        dlg->editYourCity->setText("Springfield");
        dlg->editYourState->setText("IL");
        QTest::keyClicks(dlg->editYourZip, "62704");
        dlg->btnOK->click();
    });
    services.onDialog([](QDialog& d) {
        auto* box = qobject_cast<TButtonsBox*>(&d);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), "Bar Code Printing Registration");
        ASSERT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->buttons()[0]->text(), "&Never Print again");
        EXPECT_TRUE(box->textLabel()->text().endsWith("then option 6. "));
        // closed without the button: the prompt stays on
    });
    TF_Main& w = start();
    EXPECT_EQ(services.events, (QStringList{"dialog:TF_YourAddress", "dialog:TButtonsBox"}));
    EXPECT_TRUE(QDir(folder() + "Addresses").exists());
    EXPECT_TRUE(QDir(folder() + "Reports").exists());
    EXPECT_EQ(w.reportFileName(), folder() + "Reports/report3.dbf");
    EXPECT_EQ(w.windowTitle(), "Quillmark");
    EXPECT_EQ(w.lblYourAddress[0]->text(), "Jane Sender");
    EXPECT_EQ(w.lblYourAddress[1]->text(), "1 Elm St");
    EXPECT_EQ(w.lblYourAddress[2]->text(), "Springfield IL 62704");
    EXPECT_TRUE(w.ShowMailerDialog);
    stop();

    const QString ini = readIni();
    for (const char* line :
         {"[Type]\nCompany=Eastvale\nBarCodeApp=1\n", "Line1=Jane Sender\nLine2=1 Elm St\nLine3=\nLine4=\n",
          "City=Springfield\nState=IL\nZip=62704\n",
          "Postage=0.39\nCertFee=2.40\nReturn=1.85\nRestricted=3.50\n",
          "PrintBarCode=1\nCustID=000000000\nSerialNum=0000000\nIncrement=1\nMailerNum="
          "71000000000000000000\n",
          "[Printing]\nPrintExtraLabel=Yes\nExtraLabel=Addressed To\n",
          "[Print Align]\nLeftRight=0\nTopBottom=0\n"})
        EXPECT_TRUE(ini.contains(line)) << line << "\n---\n" << ini.toStdString();
    EXPECT_TRUE(ini.contains("[System Path]\ndefault=" + folder() + "Addresses\n")) << ini.toStdString();
}

TEST_F(MainWindow, NeverPrintAgainIsRememberedAcrossStarts)
{
    writeIni(Sender);
    services.onDialog([](QDialog& d) {
        auto* box = qobject_cast<TButtonsBox*>(&d);
        ASSERT_NE(box, nullptr);
        box->buttons()[0]->click();
    });
    start();
    stop();
    EXPECT_TRUE(readIni().contains("BarCodeApp=0"));
    services.events.clear();
    start();
    EXPECT_TRUE(services.events.isEmpty()) << services.events.join(", ").toStdString();
}

TEST_F(MainWindow, CancelledSenderDialogLeavesTheLabelsEmpty)
{
    writeIni("[Type]\nBarCodeApp=0\n");
    services.onDialog([](QDialog& d) { qobject_cast<TF_YourAddress*>(&d)->btnCancel->click(); });
    TF_Main& w = start();
    EXPECT_EQ(services.events, QStringList{"dialog:TF_YourAddress"});
    for (QLabel* l : w.lblYourAddress)
        EXPECT_EQ(l->text(), "");
}

TEST_F(MainWindow, CustomerIdOfDashedZerosShowsTheNoticeAtStart)
{
    struct Case
    {
        const char* custId;
        const char* barCodes;
        bool notice;
    };
    for (const Case c :
         {Case{"00-000-0000", "1", true}, Case{"000000000", "1", false}, Case{"00-000-0000", "0", false}}) {
        writeIni(Quiet + "[Values]\nCustID=" + c.custId + "\nPrintBarCode=" + c.barCodes + "\n");
        services.events.clear();
        services.boxes.clear();
        start();
        if (c.notice) {
            ASSERT_EQ(services.boxes.size(), 1u) << c.custId;
            EXPECT_EQ(services.boxes[0].kind, PlatformServices::BoxKind::Information);
            EXPECT_EQ(services.boxes[0].text,
                      "If you have labels without any Bar Code's, you must select a \"Customer ID\" number.");
            EXPECT_EQ(services.events, (QStringList{"box:Information", "dialog:TF_Mailer"}));
        } else {
            EXPECT_TRUE(services.boxes.empty()) << c.custId << " " << c.barCodes;
        }
        stop();
    }
}

TEST_F(MainWindow, EscapeInAnyFieldEndsTheProgramAndSaves)
{
    writeIni(Quiet);
    const char* fields[] = {"editCity", "memoAddress", "editPostage", "editZip", "btnPrint"};
    for (const char* name : fields) {
        QFile::remove(iniPath());
        writeIni(Quiet);
        TF_Main& w = start();
        w.editComment->setText(name);
        w.editCertFee->setText("9.99");
        w.SaveValues1Click();
        QWidget* field = child<QWidget>(&w, name);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Escape);
        EXPECT_FALSE(w.isVisible()) << name;
        EXPECT_TRUE(readIni().contains("CertFee=9.99")) << name;
        main.reset();
    }
}

TEST_F(MainWindow, ResellerLogoDecidesTheBrandOnce)
{
    writeIni(Quiet);
    QImage logo(197, 97, QImage::Format_RGB32);
    logo.fill(Qt::red);
    ASSERT_TRUE(logo.save(folder() + "Scr_logo.bmp", "BMP"));
    TF_Main& w = start();
    EXPECT_EQ(w.settings().Company, "Harrowby");
    EXPECT_EQ(w.imageCompany->geometry(), QRect(30, 63, 197, 97));
    EXPECT_EQ(w.imageCompany->pixmap().toImage().pixelColor(5, 5), QColor(Qt::red));
    stop();
    EXPECT_TRUE(readIni().contains("Company=Harrowby"));

    // Once decided, the brand stays even when the logo goes away.
    QFile::remove(folder() + "Scr_logo.bmp");
    TF_Main& again = start();
    EXPECT_EQ(again.settings().Company, "Harrowby");
    EXPECT_EQ(again.imageCompany->geometry(), QRect(6, 63, 257, 74));
}

TEST_F(MainWindow, FeesNormaliseOnLeaveAndTotalUp)
{
    writeIni(Quiet);
    TF_Main& w = start();
    EXPECT_EQ(w.editPostage->text(), Ten + "0.39");
    EXPECT_EQ(w.editCertFee->text(), Ten + "2.40");
    EXPECT_EQ(w.editReturn->text(), Ten + "1.85");
    EXPECT_EQ(w.editTotal->text(), Ten + "4.64");
    EXPECT_FALSE(w.editRestricted->isEnabled());
    EXPECT_FALSE(w.lblRestricted->isEnabled());

    QTest::mouseClick(w.cbRestricted, Qt::LeftButton, {}, QPoint(4, w.cbRestricted->height() / 2));
    EXPECT_TRUE(w.editRestricted->isEnabled());
    EXPECT_EQ(w.editRestricted->text(), Ten + "3.50");
    EXPECT_EQ(w.editTotal->text(), Ten + "8.14");
    QTest::mouseClick(w.cbRestricted, Qt::LeftButton, {}, QPoint(4, w.cbRestricted->height() / 2));
    EXPECT_EQ(w.editRestricted->text(), " ");
    EXPECT_FALSE(w.editRestricted->isEnabled());
    EXPECT_EQ(w.editTotal->text(), Ten + "4.64");

    struct Case
    {
        const char* typed;
        QString shown;
    };
    for (const Case& c :
         {Case{"2.3", Ten + "2.30"}, Case{".37", Ten + "0.37"}, Case{"12.5", QString(8, ' ') + "12.5"},
          Case{"1e2", QString(6, ' ') + "100.00"}, Case{"abc", " "}, Case{"0", " "}, Case{"1,50", " "}}) {
        type(w.editCertFee, c.typed);
        leave(w.editCertFee, w.editReturn);
        EXPECT_EQ(w.editCertFee->text(), c.shown) << c.typed;
    }

    // The total is taken while the field still shows what was typed: -3 counts once.
    type(w.editCertFee, "2.40");
    leave(w.editCertFee, w.editReturn);
    type(w.editPostage, "-3");
    EXPECT_EQ(w.editPostage->text(), "-3");
    leave(w.editPostage, w.editCertFee);
    EXPECT_EQ(w.editPostage->text(), " ");
    EXPECT_EQ(w.editTotal->text(), Ten + "1.25");
    leave(w.editReturn, w.editCertFee);
    EXPECT_EQ(w.editTotal->text(), Ten + "4.25");
}

TEST_F(MainWindow, SaveValuesStoresTheTrimmedFees)
{
    writeIni(Quiet + "[Values]\nPostage=\n");
    TF_Main& w = start();
    EXPECT_EQ(w.editPostage->text(), " "); // an empty default shows a single blank
    type(w.editPostage, "0.42");
    leave(w.editPostage, w.editCertFee);
    w.SaveValues1->trigger();
    EXPECT_EQ(w.settings().Postage, "0.42");
    EXPECT_EQ(w.settings().Restricted, "3.50"); // unchecked: kept
    // Checked and unchecked again, the field shows a single blank: still kept.
    w.cbRestricted->click();
    w.cbRestricted->click();
    ASSERT_EQ(w.editRestricted->text(), " ");
    w.SaveValues1->trigger();
    EXPECT_EQ(w.settings().Restricted, "3.50");
    w.cbRestricted->click();
    type(w.editRestricted, "4.1");
    leave(w.editRestricted, w.btnPrint);
    w.SaveValues1->trigger();
    EXPECT_EQ(w.settings().Restricted, "4.10");
    stop();
    EXPECT_TRUE(readIni().contains("Postage=0.42\n"));
}

TEST_F(MainWindow, TheRestrictedFeeLooksDisabledWhileItsBoxIsUnchecked)
{
    writeIni(Quiet);
    TF_Main& w = start();
    // The field's background, left of the right-pushed amount, and the label as drawn.
    auto fieldBackground = [&] {
        return w.editRestricted->grab().toImage().pixelColor(6, w.editRestricted->height() / 2);
    };
    const QColor offField = fieldBackground();
    const QImage offLabel = w.lblRestricted->grab().toImage();
    w.cbRestricted->click();
    ASSERT_TRUE(w.editRestricted->isEnabled());
    const QColor onField = fieldBackground();
    EXPECT_EQ(onField, QColor(Qt::white));
    EXPECT_NE(offField, onField);
    EXPECT_NE(w.lblRestricted->grab().toImage(), offLabel);

    // Printed and then unchecked, the field still looks disabled, not printed.
    w.MarkPrinted();
    EXPECT_EQ(fieldBackground(), QColor(192, 192, 192));
    w.cbRestricted->click();
    EXPECT_EQ(fieldBackground(), offField);
    EXPECT_EQ(w.lblRestricted->grab().toImage(), offLabel);
}

TEST_F(MainWindow, PasteFillsTheRecipientAndClearEmptiesIt)
{
    writeIni(Quiet);
    TF_Main& w = start();
    services.clipboard = "John Doe\n12 Main St\nSpringfield, IL  62704-1234\n";
    w.btnPaste->click();
    EXPECT_EQ(w.memoAddress->toPlainText(), "John Doe\n12 Main St\n");
    EXPECT_EQ(w.memoAddress->lines(), (QStringList{"John Doe", "12 Main St"}));
    EXPECT_EQ(w.editCity->text(), "Springfield");
    EXPECT_EQ(w.editState->text(), "IL");
    EXPECT_EQ(w.editZip->maskedText(), "62704-1234");

    services.clipboard = "Ann\r\nTown, ST 12345";
    w.btnPaste->click();
    EXPECT_EQ(w.editZip->maskedText(), "12345-    ");

    services.clipboard = "";
    w.btnPaste->click();
    EXPECT_EQ(w.memoAddress->toPlainText(), " ");
    EXPECT_EQ(w.editCity->text(), "");
    EXPECT_EQ(w.editZip->maskedText(), "     -    ");

    services.clipboard = "Town, ST 12345";
    w.btnPaste->click();
    EXPECT_EQ(w.memoAddress->toPlainText(), " ");
    EXPECT_EQ(w.editCity->text(), "Town");

    w.btnClear->click();
    EXPECT_EQ(w.editState->text(), "");
    EXPECT_EQ(w.editZip->maskedText(), "     -    ");
}

TEST_F(MainWindow, LimitsStopTypingButNeverCutAPastedAddress)
{
    writeIni(Quiet);
    TF_Main& w = start();
    const QString city = "Village of Lakeside Heights at Saint Clair Shores"; // 49 characters
    services.clipboard = "John Doe\n" + city + ", IL  62704\n";
    w.btnPaste->click();
    EXPECT_EQ(w.editCity->text(), city);
    EXPECT_EQ(w.editState->text(), "IL");

    struct Case
    {
        QLineEdit* field;
        int limit;
    };
    for (const Case& c :
         {Case{w.editComment, 35}, Case{w.editRe, 25}, Case{w.editCity, 35}, Case{w.editState, 4}}) {
        type(c.field, QString(c.limit + 5, 'x'));
        EXPECT_EQ(c.field->text(), QString(c.limit, 'x')) << c.field->objectName().toStdString();
    }
}

TEST_F(MainWindow, MemoKeepsAtMostFourLines)
{
    writeIni(Quiet);
    TF_Main& w = start();
    w.memoAddress->setFocus();
    w.memoAddress->clear();
    QTest::keyClicks(w.memoAddress, "one");
    for (const char* line : {"two", "three", "four"}) {
        QTest::keyClick(w.memoAddress, Qt::Key_Return);
        QTest::keyClicks(w.memoAddress, line);
    }
    QTest::keyClick(w.memoAddress, Qt::Key_Return);
    EXPECT_EQ(w.memoAddress->toPlainText(), "one\ntwo\nthree\nfour\n"); // an empty fifth line may show
    QTest::keyClicks(w.memoAddress, "five");
    EXPECT_EQ(w.memoAddress->lines(), (QStringList{"one", "two", "three", "four"}));

    // A fourth line that wraps into several rows is still one line, and whole.
    const QString wrapping = QString("word ").repeated(30);
    w.memoAddress->setPlainText("a\nb\nc\n" + wrapping);
    EXPECT_EQ(w.memoAddress->lines(), (QStringList{"a", "b", "c", wrapping}));
}

TEST_F(MainWindow, AMemoLineThatWrapsKeepsEveryWord)
{
    writeIni(Quiet);
    TF_Main& w = start();
    const QString first = "Attention Accounts Payable Department Room 4100 North Building";
    w.memoAddress->setFocus(Qt::TabFocusReason);
    w.memoAddress->clear();
    QTest::keyClicks(w.memoAddress, first);
    QTest::keyClick(w.memoAddress, Qt::Key_Return);
    QTest::keyClicks(w.memoAddress, "100 Main Street");
    ASSERT_GT(DrawnRows(*w.memoAddress, 0), 1) << "the first line must wrap at the memo's width";
    const QString typed = w.memoAddress->toPlainText();

    w.MarkPrinted();
    QSignalSpy edits(w.memoAddress, &Memo::textChanged);
    leave(w.memoAddress, w.editCity);
    EXPECT_EQ(w.memoAddress->toPlainText(), typed);
    EXPECT_EQ(edits.count(), 0);          // nothing needed rewriting
    EXPECT_TRUE(w.btnPrint->isEnabled()); // leaving the memo still counts as a change
    EXPECT_EQ(w.memoAddress->lines(), (QStringList{first, "100 Main Street"}));

    w.ShowMailerDialog = false;
    w.btnPrint->click();
    ASSERT_EQ(services.pages.size(), 1u);
    const auto& page = static_cast<const quill::printing::RecordingPage&>(*services.pages.back());
    EXPECT_TRUE(
        std::any_of(page.texts.begin(), page.texts.end(), [&](const auto& t) { return t.text == first; }));
}

TEST_F(MainWindow, PrintedStateEndsWithAnyChange)
{
    writeIni(Quiet);
    TF_Main& w = start();
    w.MarkPrinted();
    EXPECT_FALSE(w.btnPrint->isEnabled());
    EXPECT_EQ(w.editCity->palette().color(QPalette::Base), QColor(192, 192, 192));
    // Leaving a fee field that already shows its money text is no change.
    leave(w.editPostage, w.editCertFee);
    EXPECT_FALSE(w.btnPrint->isEnabled());
    // Leaving the memo always counts.
    w.memoAddress->setPlainText("x");
    w.MarkPrinted();
    leave(w.memoAddress, w.editCity);
    EXPECT_TRUE(w.btnPrint->isEnabled());
    EXPECT_EQ(w.editCity->palette().color(QPalette::Base), QColor(255, 255, 255));
    w.MarkPrinted();
    QTest::keyClicks(w.editRe, "x");
    EXPECT_TRUE(w.btnPrint->isEnabled());
}

TEST_F(MainWindow, ChangeButtonEditsTheSenderAddress)
{
    writeIni(Quiet);
    TF_Main& w = start();
    services.onDialog([](QDialog& d) {
        auto* dlg = qobject_cast<TF_YourAddress*>(&d);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->memoYourAddress->toPlainText(), "Jane Sender");
        dlg->memoYourAddress->setPlainText("A\n\nC\nD");
        dlg->editYourCity->setText("Town");
        dlg->editYourState->setText("ST");
        dlg->editYourZip->clearMask();
        dlg->btnOK->click();
    });
    w.btnChangeYourAddress->click();
    const QStringList labels{w.lblYourAddress[0]->text(), w.lblYourAddress[1]->text(),
                             w.lblYourAddress[2]->text(), w.lblYourAddress[3]->text(),
                             w.lblYourAddress[4]->text()};
    EXPECT_EQ(labels, (QStringList{"A", "Town ST", "C", "D", ""}));
    EXPECT_EQ(w.settings().Zip, "");

    services.onDialog([](QDialog& d) {
        auto* dlg = qobject_cast<TF_YourAddress*>(&d);
        dlg->memoYourAddress->setPlainText("changed");
        dlg->btnCancel->click();
    });
    w.YourNameAddress1->trigger();
    EXPECT_EQ(w.settings().Line1, "A");
    EXPECT_EQ(w.lblYourAddress[0]->text(), "A");
}

TEST_F(MainWindow, AFailedSaveIsReported)
{
    writeIni(Quiet);
    TF_Main& w = start();
    // The settings file's place is taken by a folder, so the rename onto it fails.
    QFile::remove(iniPath());
    ASSERT_TRUE(QDir().mkdir(iniPath()));
    w.close();
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].kind, PlatformServices::BoxKind::Error);
    EXPECT_EQ(services.boxes[0].text, "Unable to write to " + iniPath());
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files), QStringList{});
}

TEST_F(MainWindow, MenuHasEveryItemInItsPlace)
{
    writeIni(Quiet);
    TF_Main& w = start();
    QStringList items;
    std::function<void(QMenu*, const QString&)> walk = [&](QMenu* menu, const QString& path) {
        for (QAction* a : menu->actions()) {
            if (a->isSeparator())
                items.append(path + "-");
            else if (a->menu())
                walk(a->menu(), path + a->text() + "/");
            else
                items.append(path + a->text() + (a->isCheckable() ? (a->isChecked() ? " (x)" : " ( )") : "") +
                             (a->isEnabled() ? "" : " [off]"));
        }
    };
    for (QAction* top : w.menuBar()->actions()) {
        if (top->menu())
            walk(top->menu(), top->text() + "/");
        else
            items.append(top->text());
    }
    EXPECT_EQ(items, (QStringList{
                         "&File/&Read/Write to a database",
                         "&File/-",
                         "&File/&Print",
                         "&File/Print Pre&view",
                         "&File/&Mass Print [off]",
                         "&File/Print &Bar Codes",
                         "&File/-",
                         "&File/&Exit",
                         "&Options/&Mailer Number",
                         "&Options/&Your Name && Address",
                         "&Options/Print &Options/&Printer Setup",
                         "&Options/Print &Options/Printer &Alignment",
                         "&Options/Print &Options/&Extra Label",
                         "&Options/&BarCode's/&Print (x)",
                         "&Options/&BarCode's/&Don't Print ( )",
                         "&Options/&BarCode's/-",
                         "&Options/&BarCode's/&IMpb symbols (GS1-128) ( )",
                         "&Options/&Default Postage/&Save Values",
                         "&Options/&Name && Address Text Files/&Import",
                         "&Options/&Name && Address Text Files/&Export",
                         "Track Item",
                         "&Report/&Print/Full Detail",
                         "&Report/&Print/Short Detail",
                         "&Report/Pre&view/&Full Detail",
                         "&Report/Pre&view/&Short Detail",
                         "&Report/&Clear",
                         "&Report/&Sort/&By Mailer Number ( )",
                         "&Report/&Sort/By &Name ( )",
                         "&Report/&Sort/By &Date ( )",
                         "&Report/&Sort/By &ZipCode ( )",
                         "&Help/&Content",
                         "&Help/-",
                         "&Help/&Order Supplies",
                         "&Help/&Technical Support",
                         "&Help/&Upgrade",
                         "&Help/-",
                         "&Help/&About",
                     }));
}

TEST_F(MainWindow, TabOrderRunsThroughTheFeesFirst)
{
    writeIni(Quiet);
    TF_Main& w = start();
    EXPECT_EQ(QApplication::focusWidget(), w.editPostage);
    QStringList order;
    QWidget* at = w.editPostage;
    for (int i = 0; i < 14; ++i) {
        order.append(at->objectName());
        QTest::keyClick(at, Qt::Key_Tab);
        at = QApplication::focusWidget();
    }
    EXPECT_EQ(order, (QStringList{"editPostage", "editCertFee", "editReturn", "cbRestricted", "btnPrint",
                                  "btnChangeYourAddress", "editComment", "editRe", "btnPaste", "btnClear",
                                  "memoAddress", "editCity", "editState", "editZip"}));
    EXPECT_TRUE(w.editTotal->isReadOnly());
    EXPECT_EQ(w.size(), QSize(643, 490));
}

TEST_F(MainWindow, BarCodeMenuSwitchesTheNumberingMode)
{
    writeIni(Quiet + "[Values]\nPrintBarCode=1\nIncrement=0\n");
    TF_Main& w = start();
    w.DontPrintBarCodeMI->trigger();
    EXPECT_FALSE(w.settings().PrintBarCode);
    EXPECT_TRUE(w.settings().Increment);
    EXPECT_TRUE(w.DontPrintBarCodeMI->isChecked());
    EXPECT_FALSE(w.PrintBarCodeMI->isChecked());
    w.PrintBarCodeMI->trigger();
    EXPECT_TRUE(w.settings().PrintBarCode);
    stop();
    EXPECT_TRUE(readIni().contains("PrintBarCode=1\n"));
    writeIni(Quiet + "[Values]\nPrintBarCode=0\n");
    EXPECT_TRUE(start().DontPrintBarCodeMI->isChecked());
}

TEST_F(MainWindow, HelpMenuAndLinks)
{
    writeIni(Quiet);
    TF_Main& w = start();
    w.Content1->trigger();
    w.TrackItem1->trigger();
    w.miUpgrade->trigger();
    services.onDialog([](QDialog& d) { EXPECT_NE(qobject_cast<TF_About*>(&d), nullptr); });
    w.MIAbout->trigger();
    w.MIOrderSupplies->trigger();
    w.MITechnicalSupport->trigger();
    EXPECT_EQ(services.events,
              (QStringList{"help:" + folder() + "Quill3.hlp",
                           "url:https://www.usps.com/shipping/trackandconfirm.htm", "box:Information",
                           "dialog:TF_About", "dialog:TF_About", "dialog:TF_About"}));
    EXPECT_TRUE(services.boxes[0].text.contains("editions"));
}
