#include "MaskEdit.h"
#include "Memo.h"
#include "PrinterPage.h"
#include "TestServices.h"
#include "TzDbf.h"
#include "U_Align.h"
#include "U_CertPrint.h"
#include "U_ExtraLabel.h"
#include "U_Mailer.h"
#include "U_Main.h"
#include "ZipEdit.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using quill::printing::RecordingPage;

namespace {

const QString Quiet = QuietSettings;

class PrintFlow : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    TestServices services;
    std::unique_ptr<TF_Main> main;

    QString folder() const { return dir.path() + "/"; }
    void writeIni(const QString& text)
    {
        QFile f(folder() + "quill4.ini");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
    }
    QString readIni() const
    {
        QFile f(folder() + "quill4.ini");
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    TF_Main& start(const QString& values = "CustID=123456789\nSerialNum=0000000\n")
    {
        main = StartShown(services, folder(), Quiet + "[Values]\n" + values);
        return *main;
    }
    /// The next Mailer Number dialog is confirmed, optionally with "Do not show" checked.
    void confirmMailerDialog(bool dontShowAgain, std::function<void(TF_Mailer&)> fill = {})
    {
        services.onDialog([=](QDialog& d) {
            auto* m = qobject_cast<TF_Mailer*>(&d);
            ASSERT_NE(m, nullptr);
            if (fill)
                fill(*m);
            m->cbDontShow->setChecked(dontShowAgain);
            m->btnOK->click();
        });
    }
    RecordingPage& lastPage() { return static_cast<RecordingPage&>(*services.pages.back()); }
};

} // namespace

TEST_F(PrintFlow, PrintStepsTheNumberAndGreysTheWindow)
{
    TF_Main& w = start();
    confirmMailerDialog(true, [](TF_Mailer& m) {
        EXPECT_TRUE(m.cbDontShow->isVisible());
        EXPECT_EQ(m.editSerialNum->digits(), "0000001"); // the number of the piece about to print
        EXPECT_EQ(m.height(), 150 + 32);
    });
    w.memoAddress->setPlainText("Mr. Robert Allard\n18 Cedar Lane");
    w.editCity->setText("Augusta");
    w.editState->setText("ME");
    QTest::keyClicks(w.editZip, "04330");
    w.btnPrint->click();
    ASSERT_EQ(services.pages.size(), 1u);
    EXPECT_TRUE(Printed(lastPage(), "9214 7123 4567 8900 0000 15"));
    EXPECT_TRUE(Printed(lastPage(), "AUGUSTA ME 04330")); // city line in the first blank line
    EXPECT_TRUE(Printed(lastPage(), "HARBOR TITLE COMPANY"));
    EXPECT_EQ(w.settings().SerialNum, "0000001");
    EXPECT_FALSE(w.btnPrint->isEnabled());
    EXPECT_FALSE(w.ShowMailerDialog);

    // A second press of the disabled button does nothing; File > Print prints the next number.
    w.btnPrint->click();
    EXPECT_EQ(services.pages.size(), 1u);
    w.MIPrint->trigger();
    ASSERT_EQ(services.pages.size(), 2u);
    EXPECT_TRUE(Printed(lastPage(), "9214 7123 4567 8900 0000 22"));
    EXPECT_EQ(services.events.count("dialog:TF_Mailer"), 1); // not shown again this run
}

TEST_F(PrintFlow, RecipientBlockPlacesTheCityLine)
{
    TF_Main& w = start();
    w.ShowMailerDialog = false;
    w.memoAddress->setPlainText("A\n\nC");
    w.editCity->setText(" Town ");
    w.editState->setText("ST");
    w.btnPrint->click();
    const RecordingPage& page = lastPage();
    // D3.4: recipient lines 1-5 at 6 pt, as typed: A, the city line, C, empty, empty.
    std::vector<QString> block;
    for (const auto& t : page.texts)
        if (t.at.x() == 435 && t.pixelSize == 25 && t.at.y() >= 519 && t.at.y() <= 639)
            block.push_back(t.text);
    EXPECT_EQ(block, (std::vector<QString>{"A", "Town ST ", "C", "", ""}));
}

TEST_F(PrintFlow, CancelledDialogAndDashedZerosRestoreTheNumbers)
{
    TF_Main& w = start("CustID=00-000-0000\nSerialNum=0000041\n");
    services.onDialog([](QDialog& d) { qobject_cast<TF_Mailer*>(&d)->btnCancel->click(); });
    w.btnPrint->click();
    EXPECT_TRUE(services.pages.empty());
    EXPECT_EQ(w.settings().SerialNum, "0000041");

    // Without the dialog, the dashed zeros themselves are refused.
    w.ShowMailerDialog = false;
    w.btnPrint->click();
    EXPECT_TRUE(services.pages.empty());
    ASSERT_FALSE(services.boxes.empty());
    EXPECT_EQ(services.boxes.back().caption, "Error");
    EXPECT_EQ(services.boxes.back().text,
              "You can not print a Mailer with \"00-000-0000\" as a Customer ID.\r\r"
              "Please enter in a Customer ID, and try again.");
    EXPECT_EQ(w.settings().SerialNum, "0000041");
    EXPECT_EQ(w.settings().CustID, "00-000-0000");
}

TEST_F(PrintFlow, PrePrintedModeLogsTheKeyedNumberAndPrintsNoCode128)
{
    TF_Main& w = start("PrintBarCode=0\nCustID=00-000-0000\nMailerNum=9214712345678900000015\n");
    w.ShowMailerDialog = false;
    w.btnPrint->click();
    ASSERT_EQ(services.pages.size(), 1u);
    EXPECT_EQ(lastPage().bitmaps.size(), 2u); // the POSTNET symbols only
    EXPECT_EQ(w.settings().MailerNum, "9214712345678900000022");
    for (const auto& t : lastPage().texts)
        EXPECT_FALSE(t.text.startsWith("9214 ")) << t.text.toStdString();
}

TEST_F(PrintFlow, NumberingSurvivesAKilledProgram)
{
    TF_Main& w = start();
    confirmMailerDialog(true);
    for (int i = 0; i < 3; ++i)
        w.MIPrint->trigger();
    EXPECT_EQ(services.pages.size(), 3u);
    EXPECT_TRUE(readIni().contains("SerialNum=0000003")) << readIni().toStdString();
    // The window never closes: no shutdown save, as when the process is killed. It is only
    // deleted once the next program has started and printed.
    const std::unique_ptr<TF_Main> killed(main.release());
    killed->hide();

    auto again = std::make_unique<TF_Main>(services, folder());
    EXPECT_EQ(again->settings().SerialNum, "0000003");
    again->ShowMailerDialog = false;
    again->MIPrint->trigger();
    EXPECT_TRUE(Printed(lastPage(), "9214 7123 4567 8900 0000 46"));
    EXPECT_EQ(quill::BuildMailerNumber("123456789", "0000004", false), "9214712345678900000046");
}

TEST_F(PrintFlow, MailerNumberCommandStepsAroundTheDialog)
{
    TF_Main& w = start("CustID=123456789\nSerialNum=0000041\n");
    confirmMailerDialog(false, [](TF_Mailer& m) {
        EXPECT_FALSE(m.cbDontShow->isVisible());
        EXPECT_EQ(m.editSerialNum->digits(), "0000042");
        m.editSerialNum->setDigits("0000100");
    });
    w.MailerNumber1->trigger();
    EXPECT_EQ(w.settings().SerialNum, "0000099");
    EXPECT_TRUE(w.ShowMailerDialog);
    w.ShowMailerDialog = false;
    w.MIPrint->trigger();
    EXPECT_EQ(w.settings().SerialNum, "0000100");
    EXPECT_TRUE(Printed(lastPage(), QString::fromStdString(quill::FormatMailerNumber(
                                        quill::BuildMailerNumber("123456789", "0000100", false)))));

    services.onDialog([](QDialog& d) { qobject_cast<TF_Mailer*>(&d)->btnCancel->click(); });
    w.MailerNumber1->trigger();
    EXPECT_EQ(w.settings().SerialNum, "0000100");
}

TEST_F(PrintFlow, MailerNumberCommandInPrePrintedModeWithDecrement)
{
    TF_Main& w = start("PrintBarCode=0\nIncrement=1\nMailerNum=9214700000000000000010\n");
    confirmMailerDialog(false, [](TF_Mailer& m) {
        EXPECT_TRUE(m.editMailerNum->isVisibleTo(&m));
        m.editMailerNum->setDigits("0000012345678900000500");
        m.rbDecrement->setChecked(true);
    });
    w.MailerNumber1->trigger();
    EXPECT_FALSE(w.settings().Increment);
    EXPECT_EQ(w.settings().MailerNum, quill::BuildMailerNumber("123456789", "0000051", false));
    w.ShowMailerDialog = false;
    w.MIPrint->trigger();
    EXPECT_EQ(w.settings().MailerNum, quill::BuildMailerNumber("123456789", "0000050", false));
}

TEST_F(PrintFlow, IncompleteNumberIsRefused)
{
    quill::Settings s = quill::DefaultSettings("/p/");
    bool show = true;
    TF_Mailer m(services, s, show, false);
    m.show();
    m.editCustID->setFocus();
    m.editCustID->clear();
    QTest::keyClicks(m.editCustID, "1234");
    m.btnOK->click();
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, "Invalid input value.  Use escape key to abandon changes");
    EXPECT_TRUE(m.isVisible());
    EXPECT_EQ(s.CustID, "000000000");
    QTest::keyClicks(m.editCustID, "56789");
    m.btnOK->click();
    EXPECT_EQ(s.CustID, "123456789");
    m.show();
    m.btnHelpClick();
    EXPECT_EQ(m.width(), 385);
    EXPECT_EQ(m.height(), 150 + 152 + 70); // the IMpb item explained too
    const int needed = m.panelBarCode->heightForWidth(m.panelBarCode->width());
    EXPECT_GT(needed, 150);                      // the wrapped paragraphs, measured at the panel's width
    EXPECT_GE(m.panelBarCode->height(), needed); // all of it shows
    EXPECT_FALSE(m.btnHelp->isEnabled());
    QTest::mouseClick(m.LabelDnB, Qt::LeftButton);
    ASSERT_FALSE(services.urls.empty());
    EXPECT_EQ(services.urls.back().host(), "www.dnb.com");
}

TEST_F(PrintFlow, AlignmentDialogAndItsEffectOnThePage)
{
    TF_Main& w = start("CustID=123456789\n");
    w.ShowMailerDialog = false;
    w.MIPrint->trigger();
    const QPoint before = lastPage().texts.front().at;

    struct Case
    {
        const char* typed;
        int stored;
    };
    for (const Case& c : {Case{"-5", -5}, Case{"", -999}, Case{"999", 999}, Case{"12", 12}}) {
        services.onDialog([&](QDialog& d) {
            auto* a = qobject_cast<TF_Align*>(&d);
            ASSERT_NE(a, nullptr);
            a->spinLeftRight->editor()->setText(c.typed);
            a->SpinUpDown->editor()->setText("3");
            a->btnOK->click();
        });
        w.MIPrinterAlignment->trigger();
        EXPECT_EQ(w.settings().LeftRight, c.stored) << c.typed;
    }
    EXPECT_EQ(w.settings().TopBottom, 3);
    services.onDialog([](QDialog& d) {
        auto* a = qobject_cast<TF_Align*>(&d);
        EXPECT_EQ(a->spinLeftRight->value(), 12);
        a->spinLeftRight->setValue(-7);
        a->btnCancel->click();
    });
    w.MIPrinterAlignment->trigger();
    EXPECT_EQ(w.settings().LeftRight, 12);
    w.MIPrint->trigger();
    EXPECT_EQ(lastPage().texts.front().at - before, QPoint(36, 9)); // 3 device pixels per unit
}

TEST_F(PrintFlow, ExtraLabelDialog)
{
    TF_Main& w = start();
    services.onDialog([](QDialog& d) {
        auto* e = qobject_cast<TF_ExtraLabel*>(&d);
        ASSERT_NE(e, nullptr);
        EXPECT_TRUE(e->rbYes->isChecked());
        EXPECT_EQ(e->cbExtraLabel->currentText(), "Addressed To");
        e->rbNo->click();
        EXPECT_FALSE(e->cbExtraLabel->isEnabled());
        e->btnOK->click();
    });
    w.MIExtraLabel->trigger();
    EXPECT_EQ(w.settings().PrintExtraLabel, "No");
    EXPECT_EQ(w.settings().ExtraLabel, "Addressed To");

    services.onDialog([](QDialog& d) {
        auto* e = qobject_cast<TF_ExtraLabel*>(&d);
        EXPECT_FALSE(e->cbExtraLabel->isEnabled());
        e->rbYes->click();
        EXPECT_TRUE(e->cbExtraLabel->isEnabled());
        e->cbExtraLabel->setEditText("Somebody else");
        e->btnOK->click();
    });
    w.MIExtraLabel->trigger();
    EXPECT_EQ(w.settings().PrintExtraLabel, "Yes");
    EXPECT_EQ(w.settings().ExtraLabel, "Addressed To");

    services.onDialog([](QDialog& d) {
        auto* e = qobject_cast<TF_ExtraLabel*>(&d);
        e->cbExtraLabel->setCurrentIndex(1);
        e->rbNo->click();
        e->btnCancel->click();
    });
    w.MIExtraLabel->trigger();
    EXPECT_EQ(w.settings().PrintExtraLabel, "Yes");
    EXPECT_EQ(w.settings().ExtraLabel, "Addressed To");
}

TEST_F(PrintFlow, PdfFilesWhenNoPrinterIsInstalled)
{
    services.makePage = [this] {
        return std::make_shared<quill::printing::PdfFolderPage>(folder() + "Printed");
    };
    TF_Main& w = start();
    w.ShowMailerDialog = false;
    w.MIPrint->trigger();
    w.MIPrint->trigger();
    const QStringList pdfs = QDir(folder() + "Printed").entryList({"*.pdf"});
    ASSERT_EQ(pdfs.size(), 2);
    EXPECT_TRUE(pdfs[0].endsWith("-9214712345678900000015.pdf")) << pdfs[0].toStdString();
    EXPECT_EQ(services.events.count("box:Information"), 1); // told once where the forms go
    EXPECT_TRUE(services.boxes.back().text.contains(folder() + "Printed/"));
}

namespace {
/// A system printer's job whose printer writes a PDF file, so that the job runs here; it
/// notes the title the printer carries once the job has begun.
class PrinterToFile : public PrinterPage
{
public:
    explicit PrinterToFile(QString file) : PrinterPage("Front desk"), m_file(std::move(file)) {}
    std::optional<QString> beginJob() override
    {
        auto error = PrinterPage::beginJob();
        if (!error)
            jobTitles.append(m_printer->docName());
        return error;
    }
    QStringList jobTitles;

protected:
    std::optional<QString> choosePrinter(QPrinter& printer) override
    {
        printer.setOutputFileName(m_file);
        m_printer = &printer;
        return std::nullopt;
    }

private:
    QString m_file;
    QPrinter* m_printer = nullptr;
};
} // namespace

TEST_F(PrintFlow, TheProgramNeverTitlesASystemPrintersJob)
{
    auto page = std::make_shared<PrinterToFile>(folder() + "job.pdf");
    services.makePage = [page] { return page; };
    TF_Main& w = start();
    w.ShowMailerDialog = false;
    w.MIPrint->trigger();
    EXPECT_TRUE(services.boxes.empty()) << services.boxes.front().text.toStdString();
    EXPECT_EQ(page->jobTitles, QStringList{QString()});
    EXPECT_TRUE(QFile::exists(folder() + "job.pdf"));
    // The number still names the job where the name is ours: the PDF files.
    EXPECT_EQ(page->documentName(), "9214712345678900000015");
}

TEST_F(PrintFlow, AFailedJobIsReportedAndUsesUpItsNumber)
{
    services.makePage = [] {
        auto page = std::make_shared<RecordingPage>(300);
        page->failBegin = QString("The printer \"Front desk\" is not available.");
        return page;
    };
    TF_Main& w = start();
    w.ShowMailerDialog = false;
    w.MIPrint->trigger();
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, "The printer \"Front desk\" is not available.");
    EXPECT_TRUE(w.btnPrint->isEnabled()); // the fields stay editable
    EXPECT_EQ(w.settings().SerialNum, "0000001");
}

TEST_F(PrintFlow, PrinterSetupGoesThroughTheServices)
{
    TF_Main& w = start();
    w.MIPrinterSetup->trigger();
    EXPECT_TRUE(services.events.contains("printer setup"));
}

TEST_F(PrintFlow, ATableFailureSavesTheSettingsAndHaltsWithItsNumber)
{
    TF_Main& w = start();
    w.ShowMailerDialog = false;
    w.MIPrint->trigger(); // serial 0000001, written already
    w.settings().Postage = "0.58";
    const QString bad = folder() + "Addresses/broken.dbf";
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("short");
    f.close();
    const bool ok = w.RunTableCommand([&] {
        quill::tables::TTzDbf t;
        t.CreateIfNotFound = false;
        t.setDbfFileName(bad.toStdString());
        t.Open();
    });
    EXPECT_FALSE(ok);
    ASSERT_FALSE(services.boxes.empty());
    EXPECT_EQ(services.boxes.back().caption, "Program halted.");
    EXPECT_EQ(services.boxes.back().text,
              "Error # 210 (Not a dBASE data file)\r\n" + bad +
                  " is not a dBASE database. (Prolog is less than 32 bytes) [USE/OpenDBF]");
    EXPECT_EQ(services.exits, std::vector<int>{210});
    EXPECT_TRUE(readIni().contains("Postage=0.58"));
    EXPECT_TRUE(readIni().contains("SerialNum=0000001"));
}

TEST_F(PrintFlow, TheImpbItemTogglesTheSettingWhichIsSavedWithTheNumbering)
{
    TF_Main& w = start();
    w.ShowMailerDialog = false;
    EXPECT_FALSE(w.MIIMpb->isChecked());
    w.MIIMpb->trigger();
    EXPECT_TRUE(w.settings().IMpb);
    w.MIPrint->trigger();
    EXPECT_TRUE(readIni().contains("IMpb=1")) << readIni().toStdString();
    // The symbol is one character longer, drawn into the same 2.5-inch box.
    const auto& a1 = lastPage().bitmaps.at(0);
    EXPECT_EQ(a1.target.width(), quill::printing::TPageFrame::DeviceLength(2.5, 300));
    w.MIIMpb->trigger();
    EXPECT_FALSE(w.settings().IMpb);
}
