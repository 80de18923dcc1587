#include "Memo.h"
#include "TestServices.h"
#include "U_Align.h"
#include "U_FormPreview.h"
#include "U_Mailer.h"
#include "U_Main.h"
#include "ZipEdit.h"
#include "printing/Decode.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using quill::printing::RasterPage;
using quill::printing::RecordingPage;

namespace {

const QString Quiet = QuietSettings;

class AlignAndPreview : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    TestServices services;
    std::unique_ptr<TF_Main> main;

    QString folder() const { return dir.path() + "/"; }
    QByteArray fileBytes(const QString& name) const
    {
        QFile f(folder() + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    TF_Main& start(const QString& values = "CustID=123456789\nSerialNum=0000000\n")
    {
        main = StartShown(services, folder(), Quiet + "[Values]\n" + values);
        main->ShowMailerDialog = false;
        return *main;
    }
    void enterPiece(TF_Main& w)
    {
        w.memoAddress->setPlainText("Mr. Robert Allard\n18 Cedar Lane");
        w.editCity->setText("Augusta");
        w.editState->setText("ME");
        QTest::keyClicks(w.editZip, "04330");
        w.editRe->setText("Parcel 14-220");
    }
    /// Runs the alignment dialog with `act` and presses `finish` afterwards.
    void inAlignDialog(TF_Main& w, std::function<void(TF_Align&)> act)
    {
        services.onDialog([act](QDialog& d) {
            auto* a = qobject_cast<TF_Align*>(&d);
            ASSERT_NE(a, nullptr);
            act(*a);
        });
        w.MIPrinterAlignment->trigger();
    }
};

/// The smallest rectangle of the picture holding pixels of exactly `colour`.
QRect PixelsOf(const QImage& image, QColor colour, int tolerance = 0)
{
    QRect found;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) <= tolerance &&
                std::abs(c.green() - colour.green()) <= tolerance &&
                std::abs(c.blue() - colour.blue()) <= tolerance)
                found |= QRect(x, y, 1, 1);
        }
    return found;
}

} // namespace

// Alignment dialog ---------------------------------------------------------------------------

TEST_F(AlignAndPreview, ThePictureMovesThreeDevicePixelsPerUnitAsTheSpinsChange)
{
    struct Case
    {
        const char* name;
        int dpi;
    };
    for (const Case& c : {Case{"300 dpi", 300}, Case{"600 dpi", 600}}) {
        SCOPED_TRACE(c.name);
        services.makePage = [dpi = c.dpi] { return std::make_shared<RecordingPage>(dpi); };
        TF_Main& w = start();
        inAlignDialog(w, [&](TF_Align& a) {
            AlignPicture& p = *a.imageForm;
            ASSERT_GT(p.markCount(), 50u);
            const double perUnit = 3.0 / c.dpi * p.pixelsPerInch(); // picture pixels
            std::vector<QRectF> home;
            for (std::size_t i = 0; i < p.markCount(); ++i)
                home.push_back(p.markRect(i));
            // The form reads the other way up: a positive left-right offset moves the print
            // left on it, a positive up-and-down offset moves it up, as the caption says.
            a.spinLeftRight->stepUp();
            EXPECT_NEAR(p.markRect(0).left() - home[0].left(), -perUnit, 1e-9);
            EXPECT_NEAR(p.markRect(0).top() - home[0].top(), 0, 1e-9);
            a.SpinUpDown->stepUp();
            for (std::size_t i = 0; i < p.markCount(); ++i) {
                EXPECT_NEAR(p.markRect(i).left() - home[i].left(), -perUnit, 1e-9) << "mark " << i;
                EXPECT_NEAR(p.markRect(i).top() - home[i].top(), -perUnit, 1e-9) << "mark " << i;
                EXPECT_NEAR(p.markRect(i).width(), home[i].width(), 1e-9) << "mark " << i;
            }
            // Typed text counts before the field is left; a lone "-" keeps the picture still.
            a.spinLeftRight->editor()->setText("-");
            EXPECT_NEAR(p.markRect(0).left() - home[0].left(), -perUnit, 1e-9);
            a.spinLeftRight->editor()->setText("-50");
            EXPECT_NEAR(p.markRect(0).left() - home[0].left(), 50 * perUnit, 1e-9);
            a.btnCancel->click();
        });
        EXPECT_EQ(w.settings().LeftRight, 0);
        EXPECT_EQ(w.settings().TopBottom, 0);
    }
}

TEST_F(AlignAndPreview, OffsetsOfFourCharactersSurviveTheDialog)
{
    // "-500" is stored and shown whole; only what is typed is held to three characters.
    TF_Main& w = start("CustID=123456789\n[Print Align]\nLeftRight=-500\nTopBottom=-99\n");
    inAlignDialog(w, [](TF_Align& a) {
        EXPECT_EQ(a.spinLeftRight->text(), "-500");
        a.SpinUpDown->stepDown();
        EXPECT_EQ(a.SpinUpDown->text(), "-100");
        a.btnOK->click();
    });
    EXPECT_EQ(w.settings().LeftRight, -500);
    EXPECT_EQ(w.settings().TopBottom, -100);
    inAlignDialog(w, [](TF_Align& a) {
        a.spinLeftRight->setFocus();
        a.spinLeftRight->editor()->selectAll();
        QTest::keyClicks(a.spinLeftRight->editor(), "1234");
        EXPECT_EQ(a.spinLeftRight->text(), "123");
        a.btnOK->click();
    });
    EXPECT_EQ(w.settings().LeftRight, 123);
    EXPECT_EQ(w.settings().TopBottom, -100);
}

TEST_F(AlignAndPreview, ThePicturesSymbolsMoveHalfAnInchForFiftyUnitsAt300Dpi)
{
    TF_Main& w = start();
    inAlignDialog(w, [](TF_Align& a) {
        AlignPicture& p = *a.imageForm;
        const QImage before = p.grab().toImage();
        // The sheet's outline gives the scale, independently of the picture's own arithmetic.
        const QRect sheet = PixelsOf(before, QColor(64, 64, 64));
        const double ppi = sheet.width() / 8.5;
        EXPECT_NEAR(sheet.height() / 11.0, ppi, 0.2);
        const QRect symbols = PixelsOf(before, Qt::black, 30);
        ASSERT_FALSE(symbols.isEmpty());

        a.spinLeftRight->setValue(-50); // 150 device pixels: half an inch right as the form reads
        a.SpinUpDown->setValue(40);     // 0.4 inch up
        const QImage after = p.grab().toImage();
        const QRect moved = PixelsOf(after, Qt::black, 30);
        EXPECT_NEAR(moved.left() - symbols.left(), 0.5 * ppi, 1.5);
        EXPECT_NEAR(moved.top() - symbols.top(), -0.4 * ppi, 1.5);
        EXPECT_NEAR(moved.width(), symbols.width(), 1); // edges fall on other fractions of a pixel
        EXPECT_NEAR(moved.height(), symbols.height(), 1);
    });
}

TEST_F(AlignAndPreview, TheTestPagePrintsWithTheDialogsOffsetsWhereTheFormWillPrint)
{
    TF_Main& w = start();
    inAlignDialog(w, [](TF_Align& a) {
        a.spinLeftRight->setValue(12);
        a.SpinUpDown->setValue(-7);
        a.btnTestPage->click();
        a.btnOK->click();
    });
    ASSERT_EQ(services.pages.size(), 1u);
    const auto& test = static_cast<RecordingPage&>(*services.pages[0]);
    EXPECT_TRUE(Printed(test, "Alignment Test Page"));
    EXPECT_TRUE(Printed(test, "Left & Right: 12      Up and Down: -7"));
    EXPECT_TRUE(services.boxes.empty());

    // The form printed with the offsets the dialog kept starts its mailer symbol at the
    // centre of the test page's first cross.
    w.MIPrint->trigger();
    ASSERT_EQ(services.pages.size(), 2u);
    const QPoint a1 = static_cast<RecordingPage&>(*services.pages[1]).bitmaps.at(0).target.topLeft();
    const int arm = 2 * quill::printing::TPageFrame::DeviceLength(0.12, 300) + 1;
    bool crossAtA1 = false;
    for (const auto& b : test.bitmaps)
        if (b.target.width() == arm && b.target.center() == a1)
            crossAtA1 = true;
    EXPECT_TRUE(crossAtA1) << a1.x() << "," << a1.y();
    EXPECT_EQ(a1, QPoint(186 + 36, 1230 - 21));
}

TEST_F(AlignAndPreview, TheTestPageLeavesTheOffsetsAloneOnCancelAndReportsItsOutcome)
{
    services.makePage = [this] {
        return std::make_shared<quill::printing::PdfFolderPage>(folder() + "Printed");
    };
    TF_Main& w = start("CustID=123456789\n[Print Align]\nLeftRight=3\nTopBottom=4\n");
    inAlignDialog(w, [](TF_Align& a) {
        EXPECT_EQ(a.spinLeftRight->value(), 3);
        a.spinLeftRight->setValue(30);
        a.btnTestPage->click();
        a.btnCancel->click();
    });
    EXPECT_EQ(w.settings().LeftRight, 3);
    const QStringList pdfs = QDir(folder() + "Printed").entryList({"*.pdf"});
    ASSERT_EQ(pdfs.size(), 1);
    EXPECT_TRUE(pdfs[0].endsWith("-AlignmentTestPage.pdf")) << pdfs[0].toStdString();
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].caption, "Information");
    EXPECT_TRUE(services.boxes[0].text.contains(folder() + "Printed/" + pdfs[0]));

    // A printer that is not there: its own message, and the dialog stays for another try.
    services.makePage = [] {
        auto page = std::make_shared<RecordingPage>(300);
        page->failBegin = QString("The printer \"Front desk\" is not available.");
        return page;
    };
    inAlignDialog(w, [](TF_Align& a) {
        a.btnTestPage->click();
        EXPECT_TRUE(a.isVisible());
        a.btnHelp->click();
    });
    ASSERT_EQ(services.boxes.size(), 2u);
    EXPECT_EQ(services.boxes[1].kind, PlatformServices::BoxKind::Error);
    EXPECT_EQ(services.boxes[1].text, "The printer \"Front desk\" is not available.");
    EXPECT_EQ(services.helpFiles, QStringList{folder() + "Quill3.hlp#alignment"});
}

TEST(AlignHelp, TheHelpFileTellsHowToReadTheTestPage)
{
    QFile help(QString(QUILL_PROGRAM_DIR) + "/Quill3.hlp");
    ASSERT_TRUE(help.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(help.readAll());
    for (const char* phrase : {"name=\"alignment\"", "Test Page", "against the light", "Left &amp; Right",
                               "Up and Down", "1/100 inch", "1/200 inch"})
        EXPECT_TRUE(text.contains(phrase)) << phrase;
}

// Form preview -------------------------------------------------------------------------------

TEST_F(AlignAndPreview, ThePreviewShowsTheNextPieceAndTouchesNothing)
{
    services.makePage = [] { return std::make_shared<RasterPage>(300); };
    TF_Main& w = start();
    enterPiece(w);
    const QByteArray ini = fileBytes("quill4.ini");
    const QByteArray log = fileBytes("Reports/report3.dbf");
    QImage shown;
    services.onDialog([&](QDialog& d) {
        auto* p = qobject_cast<TF_FormPreview*>(&d);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->windowTitle(), "Form Preview");
        shown = p->page().copy();
        EXPECT_TRUE(p->lblNumber->text().contains("9214 7123 4567 8900 0000 15"))
            << p->lblNumber->text().toStdString();
        EXPECT_TRUE(p->lblNumber->text().contains("300 dots per inch"));
        // 100 % is one printer dot per screen pixel; the fitted zooms show it all.
        p->cbZoom->setCurrentIndex(TF_FormPreview::Percent100);
        EXPECT_EQ(p->canvas->size(), shown.size());
        p->cbZoom->setCurrentIndex(TF_FormPreview::Percent50);
        EXPECT_EQ(p->canvas->size(), shown.size() / 2);
        p->cbZoom->setCurrentIndex(TF_FormPreview::WholePage);
        const QSize room = p->scrollPage->viewport()->size();
        EXPECT_LE(p->canvas->height(), room.height());
        EXPECT_GE(p->canvas->height(), room.height() - 4); // the page fills the window's height
        // The window grown, the whole page grows with it.
        const int before = p->canvas->height();
        p->resize(p->width() + 100, p->height() + 200);
        QApplication::processEvents();
        EXPECT_GT(p->canvas->height(), before + 150);
        EXPECT_LE(p->canvas->height(), p->scrollPage->viewport()->height());
        // Minus and plus from a fitted zoom go to the next percentage below or above the size
        // shown, or nowhere: never the wrong way.
        for (const auto fitted : {TF_FormPreview::WholePage, TF_FormPreview::PageWidth}) {
            for (const auto key : {Qt::Key_Minus, Qt::Key_Plus}) {
                p->cbZoom->setCurrentIndex(fitted);
                QApplication::processEvents();
                const double from = p->canvas->zoom();
                QTest::keyClick(p, key);
                if (key == Qt::Key_Minus)
                    EXPECT_LE(p->canvas->zoom(), from) << fitted;
                else
                    EXPECT_GT(p->canvas->zoom(), from) << fitted;
            }
        }
        QTest::keyClick(p->cbZoom, Qt::Key_Escape); // closes the preview, not the program
        EXPECT_FALSE(p->isVisible());
    });
    w.MIPrintPreview->trigger();
    ASSERT_EQ(shown.size(), QSize(2550, 3300)); // a Letter page at the printer's 300 dpi

    // The page carries the next number as the form prints it: the symbols read back.
    EXPECT_EQ(DecodeCode128WithId(shown, QRect(150, 1200, 820, 290)),
              std::make_pair(std::string("]C0"), std::string("9214712345678900000015")));
    EXPECT_EQ(DecodeCode128(shown, QRect(1380, 1470, 810, 290)), "9290912345678900000019");

    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(services.pages.empty()); // no print job
    EXPECT_EQ(w.settings().SerialNum, "0000000");
    EXPECT_EQ(fileBytes("quill4.ini"), ini);
    EXPECT_EQ(fileBytes("Reports/report3.dbf"), log);
    EXPECT_TRUE(w.btnPrint->isEnabled());
    EXPECT_EQ(w.editCity->palette().color(QPalette::Base), QColor(255, 255, 255));
}

TEST_F(AlignAndPreview, ThePreviewsPrintButtonIsThePrintCommandAndPrintsThePageShown)
{
    services.makePage = [] { return std::make_shared<RasterPage>(300); };
    TF_Main& w = start();
    enterPiece(w);
    w.ShowMailerDialog = true; // the Print command's own dialog comes with it
    QImage shown;
    services.onDialog([&](QDialog& d) {
        auto* p = qobject_cast<TF_FormPreview*>(&d);
        ASSERT_NE(p, nullptr);
        shown = p->page().copy();
        p->btnPrint->click();
    });
    services.onDialog([](QDialog& d) {
        auto* m = qobject_cast<TF_Mailer*>(&d);
        ASSERT_NE(m, nullptr);
        m->btnOK->click();
    });
    w.MIPrintPreview->trigger();
    EXPECT_EQ(services.events.filter("dialog:"), (QStringList{"dialog:TF_FormPreview", "dialog:TF_Mailer"}));
    ASSERT_EQ(services.pages.size(), 1u);
    // Dot for dot what the preview showed: the same drawing of the same piece and number.
    const QImage& printed = static_cast<RasterPage&>(*services.pages[0]).image();
    EXPECT_TRUE(printed == shown);
    EXPECT_EQ(w.settings().SerialNum, "0000001");
    EXPECT_FALSE(w.btnPrint->isEnabled());
    EXPECT_TRUE(QFile::exists(folder() + "Reports/report3.dbf"));

    // Printed again from the preview while the fields are grey: the next number, as File > Print.
    services.onDialog([&](QDialog& d) {
        auto* p = qobject_cast<TF_FormPreview*>(&d);
        EXPECT_TRUE(p->lblNumber->text().contains("9214 7123 4567 8900 0000 22"));
        p->btnPrint->click();
    });
    w.ShowMailerDialog = false;
    w.MIPrintPreview->trigger();
    ASSERT_EQ(services.pages.size(), 2u);
    EXPECT_EQ(w.settings().SerialNum, "0000002");
}

TEST_F(AlignAndPreview, ThePreviewInPrePrintedModeAndWithABrokenNumber)
{
    TF_Main& w = start("PrintBarCode=0\nMailerNum=9214712345678900000015\n");
    services.onDialog([](QDialog& d) {
        auto* p = qobject_cast<TF_FormPreview*>(&d);
        ASSERT_NE(p, nullptr);
        EXPECT_TRUE(p->lblNumber->text().contains("9214 7123 4567 8900 0000 22"))
            << p->lblNumber->text().toStdString();
        // No Code 128 is printed on a pre-printed form.
        EXPECT_EQ(DecodeCode128(p->page(), QRect(150, 1200, 820, 290)), "<no symbol>");
    });
    w.MIPrintPreview->trigger();
    EXPECT_EQ(w.settings().MailerNum, "9214712345678900000015");

    TF_Main& broken = start("CustID=123456789\nSerialNum=12x4567\n");
    broken.MIPrintPreview->trigger();
    EXPECT_EQ(services.events.count("dialog:TF_FormPreview"), 1); // the first preview's only
    ASSERT_FALSE(services.boxes.empty());
    EXPECT_EQ(services.boxes.back().caption, "Error");
    EXPECT_EQ(broken.settings().SerialNum, "12x4567");
}
