// File > Print Bar Codes through the window: the question, the dialog, the run, and what the
// numbering is afterwards.

#include "MaskEdit.h"
#include "Memo.h"
#include "TestServices.h"
#include "U_Main.h"
#include "U_PrintBarCode.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using quill::printing::RecordingPage;

namespace {

class PrePrintFlow : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    TestServices services;
    std::unique_ptr<TF_Main> main;

    TF_Main& start()
    {
        QFile ini(dir.path() + "/quill4.ini");
        EXPECT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Type]\nBarCodeApp=0\n[YourAddress]\nLine1=Harbor Title Company\nCity=Portland\nState=ME\n"
                  "Zip=04101\n[Values]\nCustID=123456789\nSerialNum=0000041\n");
        ini.close();
        main = std::make_unique<TF_Main>(services, dir.path() + "/");
        main->show();
        QApplication::processEvents();
        main->ShowMailerDialog = false;
        return *main;
    }
    /// Answers the next Print Bar Code's dialog: fills it and presses OK.
    void confirmDialog(const QString& custId, const QString& serial, int labels)
    {
        services.onDialog([=](QDialog& d) {
            auto* p = qobject_cast<TF_PrintBarCode*>(&d);
            ASSERT_NE(p, nullptr);
            p->editCustID->setDigits(custId);
            p->editSerialNum->setDigits(serial);
            p->editNumLabels->setValue(labels);
            p->btnOK->click();
        });
    }
    /// The mailer number each job printed, from its page-font text (the last of its marks).
    QStringList printedNumbers() const
    {
        QStringList n;
        for (const auto& page : services.pages) {
            const auto& texts = static_cast<const RecordingPage&>(*page).texts;
            n.append(texts.empty() ? QString() : texts.back().text);
        }
        return n;
    }
};

} // namespace

TEST_F(PrePrintFlow, FiveLabelsFromSerial100PrintFiveFormsAndLeaveTheSerial)
{
    TF_Main& w = start();
    const quill::Settings before = w.settings();
    services.answerBox(PlatformServices::Yes);
    confirmDialog("123456789", "0000100", 5);
    QStringList progress;
    services.makePage = [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<QProgressDialog*>(top); p && p->isVisible())
                progress.append(p->labelText());
        return std::make_shared<RecordingPage>(300);
    };
    w.MIPrintBarCodes->trigger();
    ASSERT_FALSE(services.boxes.empty());
    EXPECT_EQ(services.boxes[0].caption, "Confirm");
    EXPECT_EQ(
        services.boxes[0].text,
        "You have seleceted to pre-print the Bar Code's onto the Mailer's, would you like to continue?");
    EXPECT_EQ(printedNumbers(), (QStringList{"9214 7123 4567 8900 0010 05", "9214 7123 4567 8900 0010 12",
                                             "9214 7123 4567 8900 0010 29", "9214 7123 4567 8900 0010 36",
                                             "9214 7123 4567 8900 0010 43"}));
    EXPECT_EQ(progress,
              (QStringList{"Form 1 of 5", "Form 2 of 5", "Form 3 of 5", "Form 4 of 5", "Form 5 of 5"}));
    // The numbering goes on after the last form, in the settings file too: the next piece
    // printed never carries a number that is already on a pre-printed form.
    EXPECT_EQ(w.settings().SerialNum, "0000104");
    EXPECT_EQ(w.settings().MailerNum, before.MailerNum);
    QFile ini(dir.path() + "/quill4.ini");
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("SerialNum=0000104"));
    services.makePage = {};
    w.memoAddress->setPlainText("Ann Smith\n12 Main St");
    w.MIPrint->trigger();
    const auto& page = static_cast<const RecordingPage&>(*services.pages.back());
    EXPECT_EQ(page.texts.front().text, "9214 7123 4567 8900 0010 50"); // serial 0000105
}

TEST_F(PrePrintFlow, NoCancelAndZerosEachEndTheCommandAsTheyShould)
{
    TF_Main& w = start();
    const quill::Settings before = w.settings();

    // No at the question: nothing changes.
    services.answerBox(PlatformServices::No);
    w.MIPrintBarCodes->trigger();
    EXPECT_TRUE(services.pages.empty());
    EXPECT_FALSE(services.events.contains("dialog:TF_PrintBarCode"));
    EXPECT_EQ(w.settings(), before);

    // Cancel in the dialog: the numbering as it was, though the dialog showed the next serial.
    services.answerBox(PlatformServices::Yes);
    services.onDialog([](QDialog& d) {
        auto* p = qobject_cast<TF_PrintBarCode*>(&d);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->editSerialNum->digits(), "0000042");
        EXPECT_EQ(p->windowTitle(), "Print Bar Code's");
        EXPECT_EQ(QApplication::focusWidget(), p->editSerialNum);
        p->btnCancel->click();
    });
    w.MIPrintBarCodes->trigger();
    EXPECT_TRUE(services.pages.empty());
    EXPECT_EQ(w.settings(), before);

    // A customer ID of zeros: refused, the values entered stay.
    services.answerBox(PlatformServices::Yes);
    confirmDialog("000000000", "0000500", 2);
    w.MIPrintBarCodes->trigger();
    EXPECT_TRUE(services.pages.empty());
    EXPECT_EQ(services.boxes.back().caption, "Error");
    EXPECT_EQ(services.boxes.back().text, "You can not print a Mailer with \"000000000\" as a Customer ID. "
                                          "Enter a Customer ID. and try again.");
    EXPECT_EQ(w.settings().CustID, "000000000");
    EXPECT_EQ(w.settings().SerialNum, "0000500");
}

TEST_F(PrePrintFlow, StopEndsTheRunBetweenForms)
{
    TF_Main& w = start();
    services.answerBox(PlatformServices::Yes);
    confirmDialog("123456789", "0000001", 40);
    services.makePage = [&] {
        if (services.pages.size() == 2) // the third form's job: the clerk presses Stop
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* p = qobject_cast<QProgressDialog*>(top); p && p->isVisible())
                    p->cancel();
        return std::make_shared<RecordingPage>(300);
    };
    w.MIPrintBarCodes->trigger();
    EXPECT_EQ(services.pages.size(), 3u); // the form under way is finished, no more begun
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PrePrintFlow, TheDialogHoldsItsFieldsToTheirLimits)
{
    quill::Settings settings;
    settings.CustID = "123456789";
    settings.SerialNum = "0000007";
    TF_PrintBarCode d(services, settings);
    d.show();
    QApplication::processEvents();

    // The number of labels: one digit typed, the arrows through 1 to 1000.
    d.editNumLabels->selectAll();
    QTest::keyClicks(d.editNumLabels, "25");
    EXPECT_EQ(d.editNumLabels->value(), 2);
    d.editNumLabels->setValue(999);
    d.editNumLabels->stepUp();
    d.editNumLabels->stepUp();
    EXPECT_EQ(d.editNumLabels->value(), 1000);

    // A serial number with digits missing is refused on OK.
    d.editSerialNum->setFocus();
    d.editSerialNum->selectAll();
    QTest::keyClicks(d.editSerialNum, "12");
    d.btnOK->click();
    EXPECT_EQ(services.boxes.back().text, "Invalid input value.  Use escape key to abandon changes");
    EXPECT_EQ(d.result(), 0);
    EXPECT_EQ(settings.SerialNum, "0000007");

    // Help: the panel below, the address as plain text, Help used up.
    d.btnHelpClick();
    EXPECT_EQ(d.height(), 383);
    EXPECT_TRUE(d.panelBarCode->isVisible());
    EXPECT_FALSE(d.btnHelp->isEnabled());
    auto* address = d.panelBarCode->findChild<QLabel*>("LabelDnB");
    ASSERT_NE(address, nullptr);
    EXPECT_FALSE(address->font().underline());
}
