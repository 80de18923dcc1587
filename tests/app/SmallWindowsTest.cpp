#include "GlobalVariables.h"
#include "LimitedEdit.h"
#include "Memo.h"
#include "MessageBoxWithButtons.h"
#include "Startup.h"
#include "TestServices.h"
#include "U_About.h"
#include "U_Align.h"
#include "U_ExtraLabel.h"
#include "U_Help.h"
#include "U_Mailer.h"
#include "U_Main.h"
#include "U_PrinterSetup.h"
#include "U_YourAddress.h"
#include "ZipEdit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

TEST(MessageBoxWithButtons, FirstButtonIsRightmostAndEachReturnsItsNumber)
{
    const QStringList captions{"&Overwrite", "&Append", "&Cancel"};
    for (int pressed = 1; pressed <= 3; ++pressed) {
        TestServices services;
        services.onDialog([&](QDialog& d) {
            auto& box = static_cast<TButtonsBox&>(d);
            const auto& b = box.buttons();
            ASSERT_EQ(b.size(), 3);
            EXPECT_GT(b[0]->x(), b[1]->x());
            EXPECT_GT(b[1]->x(), b[2]->x());
            EXPECT_EQ(b[0]->x() + b[0]->width(), box.width() - 10);
            EXPECT_EQ(b[0]->y(), box.height() - 35);
            EXPECT_EQ(b[0]->height(), 25);
            EXPECT_EQ(b[0]->width(), b[2]->width());
            EXPECT_TRUE(b[2]->hasFocus()); // the leftmost, created last
            b[pressed - 1]->click();
        });
        EXPECT_EQ(MessageBoxWithButtons(services, "Quillmark", "Overwrite the table?", captions), pressed);
    }
    TestServices services;
    services.onDialog([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    EXPECT_EQ(MessageBoxWithButtons(services, "Quillmark", "Overwrite the table?", captions), 2);
    EXPECT_EQ(MessageBoxWithButtons(services, "Quillmark", "Left open", captions), 2);
}

TEST(MessageBoxWithButtons, GeometryFollowsTheTextAndTheButtons)
{
    const QString longText = QString("This software prints the newly required Bar Code on the your Certified "
                                     "Mailer. ")
                                 .repeated(4);
    TButtonsBox wide("c", longText, {"&Never Print again"});
    const QFontMetrics fm(wide.font());
    const int h = fm.height();
    EXPECT_EQ(wide.width(), 325);
    EXPECT_EQ(wide.textLabel()->height(), (fm.horizontalAdvance(longText) / 325 + 3) * h);
    EXPECT_EQ(wide.height(), wide.textLabel()->height() + 4 * h + 22);
    EXPECT_EQ(wide.textLabel()->geometry(), QRect(10, 10, 305, wide.textLabel()->height()));

    // A short text makes the box only as wide as its buttons need.
    TButtonsBox narrow("c", "Ok?", {"&Yes"});
    const int w = fm.horizontalAdvance("&Yes") + 10;
    EXPECT_EQ(narrow.width(), w + 20);
    EXPECT_EQ(narrow.height(), 3 * h + 4 * h + 22);

    // Many buttons widen it.
    TButtonsBox many("c", "Pick", {"&First choice", "&Second choice", "&Third choice", "&Fourth"});
    const int bw = fm.horizontalAdvance("&Second choice") + 10;
    EXPECT_EQ(many.width(), 4 * bw + 50);
}

namespace {
struct AboutFixture : ::testing::Test
{
    QTemporaryDir dir;
    TestServices services;
    QString folder() const { return dir.path() + "/"; }
    void writeLogo()
    {
        QImage logo(197, 97, QImage::Format_RGB32);
        logo.fill(Qt::blue);
        ASSERT_TRUE(logo.save(folder() + "Scr_logo.bmp", "BMP"));
    }
};
} // namespace

TEST_F(AboutFixture, ResellerBoxIs56PixelsTallerWithItsLogo)
{
    TF_About maker(services, "Eastvale", folder(), 0);
    writeLogo();
    TF_About reseller(services, "Harrowby", folder(), 0);
    EXPECT_EQ(maker.size(), QSize(308, 302));
    EXPECT_EQ(reseller.height(), maker.height() + 56);
    EXPECT_EQ(reseller.panelMain->height(), maker.panelMain->height() + 56);
    EXPECT_EQ(reseller.imageCompany->height(), maker.imageCompany->height() + 56);
    EXPECT_EQ(reseller.panelInfo->y(), maker.panelInfo->y() + 56);
    EXPECT_EQ(reseller.btnOK->y(), maker.btnOK->y() + 56);
    EXPECT_NE(reseller.labelStreet->text(), maker.labelStreet->text());
    EXPECT_EQ(reseller.labelEMail->text(), maker.labelEMail->text()); // the maker gives support
    EXPECT_EQ(maker.labelVersion->text(), "Version " QUILL_TEST_VERSION3);

    QFile::remove(folder() + "Scr_logo.bmp");
    TF_About noLogo(services, "Harrowby", folder(), 0);
    EXPECT_EQ(noLogo.height(), 302);
    TF_About other(services, "Acme", folder(), 0);
    EXPECT_EQ(other.labelStreet->text(), maker.labelStreet->text());
}

TEST_F(AboutFixture, LinksOpenTheSiteAndAMailToTheMaker)
{
    TF_About about(services, "Eastvale", folder(), 0);
    about.show();
    QTest::mouseClick(about.labelWebSite, Qt::LeftButton);
    QTest::mouseClick(about.labelEMail, Qt::LeftButton);
    ASSERT_EQ(services.urls.size(), 2u);
    EXPECT_EQ(services.urls[0].toString(), "https://" + about.labelWebSite->text());
    EXPECT_EQ(services.urls[1].toString(), "mailto:" + about.labelEMail->text() + "?Subject=Quillmark");
    EXPECT_EQ(about.labelWebSite->cursor().shape(), Qt::PointingHandCursor);
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
}

TEST_F(AboutFixture, SplashShowsOnlyTheBannerAndIgnoresKeysAndClicks)
{
    TF_About splash(services, "Eastvale", folder(), 1);
    EXPECT_FALSE(splash.Timer1.isActive());
    splash.show();
    EXPECT_TRUE(splash.Timer1.isActive());
    EXPECT_EQ(splash.Timer1.interval(), 3000);
    EXPECT_EQ(splash.height(), 80);
    EXPECT_EQ(splash.panelMain->height(), 62);
    EXPECT_FALSE(splash.btnOK->isVisible());
    QTest::keyClick(&splash, Qt::Key_Escape);
    QTest::mouseClick(splash.labelWebSite, Qt::LeftButton);
    EXPECT_TRUE(splash.isVisible());
    EXPECT_TRUE(services.urls.empty());
    // The timer fires once and switches itself off.
    splash.Timer1.setInterval(1);
    splash.Timer1.start();
    QTest::qWait(30);
    EXPECT_FALSE(splash.Timer1.isActive());
}

TEST(About, VersionLabel)
{
    EXPECT_EQ(TF_About::VersionLabel("4.1.3.0"), "Version 4.1.3");
    EXPECT_EQ(TF_About::VersionLabel(""), "Version 3.0");
}

TEST(YourAddress, OpensFromTheSettingsAndStoresOnOkOnly)
{
    quill::Settings s = quill::DefaultSettings("/p/");
    s.Line2 = "Second";
    s.Line4 = "Fourth";
    s.City = " Town ";
    s.State = "ST";
    s.Zip = "12345";
    TF_YourAddress dlg(s);
    EXPECT_EQ(dlg.windowTitle(), "Your Name and Address");
    EXPECT_EQ(dlg.size(), QSize(303, 181));
    EXPECT_EQ(dlg.memoYourAddress->toPlainText(), "Second\nFourth"); // empty lines closed up
    EXPECT_EQ(dlg.editYourZip->maskedText(), "12345-    ");
    dlg.btnOK->click();
    EXPECT_EQ(s.Line1, "Second");
    EXPECT_EQ(s.Line2, "Fourth");
    EXPECT_EQ(s.Line3, "");
    EXPECT_EQ(s.City, " Town "); // as typed, blanks included
    EXPECT_EQ(s.Zip, "12345");

    quill::Settings before = s;
    TF_YourAddress cancelled(s);
    cancelled.memoYourAddress->setPlainText("Other");
    cancelled.editYourZip->setMaskedText("99999-1111");
    cancelled.btnCancel->click();
    EXPECT_EQ(s, before);
}

TEST(YourAddress, ALongCitySettingOpensWholeAndTypingStopsAtTheLimits)
{
    quill::Settings s = quill::DefaultSettings("/p/");
    const std::string city = "Village of Lakeside Heights at Saint Clair Shores"; // 49 characters
    s.City = city;
    s.State = "Ontario"; // longer than can be typed
    TF_YourAddress dlg(s);
    EXPECT_EQ(dlg.editYourCity->text().toStdString(), city);
    EXPECT_EQ(dlg.editYourState->text(), "Ontario");
    dlg.btnOK->click();
    EXPECT_EQ(s.City, city);
    EXPECT_EQ(s.State, "Ontario");

    TF_YourAddress typed(s);
    typed.show();
    struct Case
    {
        QLineEdit* field;
        int limit;
    };
    for (const Case& c : {Case{typed.editYourCity, 35}, Case{typed.editYourState, 4}}) {
        c.field->setFocus();
        c.field->selectAll();
        QTest::keyClicks(c.field, QString(c.limit + 5, 'x'));
        EXPECT_EQ(c.field->text(), QString(c.limit, 'x')) << c.field->objectName().toStdString();
    }
}

TEST(ZipFields, ShowAZipPlusFourWhole)
{
    // With the cursor at the start and then at the end, a field that shows its text whole
    // does not scroll, so the cursor moves by the text's full width.
    auto showsWhole = [](QLineEdit& field) {
        auto cursor = [&] { return field.inputMethodQuery(Qt::ImCursorRectangle).toRect(); };
        field.setCursorPosition(0);
        field.grab();
        const int start = cursor().center().x();
        field.end(false);
        field.grab();
        const int end = cursor().center().x();
        const int width = QFontMetrics(field.font()).horizontalAdvance(field.displayText());
        return end - start >= width - 1 && cursor().right() <= field.width();
    };
    QTemporaryDir dir;
    TestServices services;
    QFile ini(dir.path() + "/quill4.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Type]\nBarCodeApp=0\n[YourAddress]\nLine1=Me\nZip=99999-9999\n");
    ini.close();
    TF_Main main(services, dir.path() + "/");
    main.show();
    main.editZip->setMaskedText("99999-9999");
    EXPECT_TRUE(showsWhole(*main.editZip)) << "recipient ZIP";

    quill::Settings s = quill::DefaultSettings("/p/");
    s.Zip = "99999-9999";
    TF_YourAddress dlg(s);
    dlg.show();
    ASSERT_EQ(dlg.editYourZip->displayText(), "99999-9999");
    EXPECT_TRUE(showsWhole(*dlg.editYourZip)) << "sender ZIP";
    // The fields of its row still fit inside the group, in their order.
    const QRect city = dlg.editYourCity->geometry(), state = dlg.editYourState->geometry(),
                zip = dlg.editYourZip->geometry();
    EXPECT_LT(city.right(), state.left());
    EXPECT_LT(state.right(), zip.left());
    EXPECT_LE(zip.right(), dlg.memoYourAddress->geometry().right());
    main.close();
}

TEST(YourAddress, ZipPlusFourAndTheFourLineLimit)
{
    quill::Settings s = quill::DefaultSettings("/p/");
    TF_YourAddress dlg(s);
    dlg.show();
    dlg.memoYourAddress->setPlainText("1\n2\n3\n4\n5");
    EXPECT_EQ(dlg.memoYourAddress->lines(), (QStringList{"1", "2", "3", "4"}));
    QTest::keyClicks(dlg.editYourZip, "123456789");
    dlg.btnOK->click();
    EXPECT_EQ(s.Zip, "12345-6789");
    EXPECT_EQ(s.Line4, "4");
}

TEST(YourAddress, AMemoLineThatWrapsIsStoredWhole)
{
    quill::Settings s = quill::DefaultSettings("/p/");
    TF_YourAddress dlg(s);
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    const QString first = "Attention Accounts Payable Department Room 4100 North Building";
    Memo* memo = dlg.memoYourAddress;
    memo->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(memo, first);
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, "100 Main Street");
    const QTextLayout* layout = memo->document()->firstBlock().layout();
    ASSERT_TRUE(layout && layout->lineCount() > 1) << "the first line must wrap at the memo's width";
    QTest::keyClick(memo, Qt::Key_Tab); // leaves the memo
    ASSERT_EQ(QApplication::focusWidget(), dlg.editYourCity);
    dlg.btnOK->click();
    EXPECT_EQ(s.Line1, first.toStdString());
    EXPECT_EQ(s.Line2, "100 Main Street");
    EXPECT_EQ(s.Line3, "");
}

TEST(LimitedEdit, EveryWayTheUserEntersTextStopsAtTheLimit)
{
    LimitedEdit field(6);
    field.show();
    field.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&field));
    field.setFocus();
    QTest::keyClicks(&field, "abcdefgh");
    EXPECT_EQ(field.text(), "abcdef");

    // Typing over a selection replaces it.
    field.setSelection(2, 2);
    QTest::keyClicks(&field, "XYZ");
    EXPECT_EQ(field.text(), "abXYef");

    // What the program sets is whole; typing adds nothing to it, deleting still works.
    field.setText("0123456789");
    EXPECT_EQ(field.text(), "0123456789");
    QTest::keyClicks(&field, "x");
    EXPECT_EQ(field.text(), "0123456789");
    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_EQ(field.text(), "012345678");

    // Pastes, drops and input-method text bring in what fits.
    QGuiApplication::clipboard()->setText("PASTED TEXT");
    field.setText("ab");
    QTest::keySequence(&field, QKeySequence::Paste);
    EXPECT_EQ(field.text(), "abPAST");

    field.setText("abc");
    QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(2, 2), field.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&field, &menuEvent);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* paste = nullptr;
    for (QAction* a : menu->actions())
        if (a->text().section('\t', 0, 0) == QLineEdit::tr("&Paste"))
            paste = a;
    ASSERT_NE(paste, nullptr);
    paste->trigger();
    menu->close();
    EXPECT_EQ(field.text(), "abcPAS");

    field.setText("abcd");
    QMimeData dragged;
    dragged.setText("DROPPED");
    const QPoint end(field.width() - 4, field.height() / 2);
    QDragEnterEvent enter(end, Qt::CopyAction, &dragged, Qt::LeftButton, {});
    QApplication::sendEvent(&field, &enter);
    QDragMoveEvent move(end, Qt::CopyAction, &dragged, Qt::LeftButton, {});
    QApplication::sendEvent(&field, &move);
    QDropEvent drop(end, Qt::CopyAction, &dragged, Qt::LeftButton, {});
    QApplication::sendEvent(&field, &drop);
    EXPECT_EQ(field.text(), "abcdDR");

    field.setText("abcde");
    QInputMethodEvent composed;
    composed.setCommitString("XYZ");
    QApplication::sendEvent(&field, &composed);
    EXPECT_EQ(field.text(), "abcdeX");
}

TEST(Memo, LinesAreTheLinesOfItsText)
{
    struct Case
    {
        const char* name;
        QString text;
        QStringList lines;
        QString limited; // the text after limitLines(4)
    };
    const QString sep(QChar::LineSeparator); // what Shift+Enter types
    const Case cases[] = {
        {"empty", "", {}, ""},
        {"a single blank", " ", {" "}, " "},
        {"empty last line not counted", "a\nb\n", {"a", "b"}, "a\nb\n"},
        {"empty lines inside count", "a\n\n\nd", {"a", "", "", "d"}, "a\n\n\nd"},
        {"line separator breaks too", "a" + sep + "b", {"a", "b"}, "a\nb"},
        {"fifth line goes with its break",
         "1\n2\n3\n4\n5\n6",
         {"1", "2", "3", "4", "5", "6"},
         "1\n2\n3\n4\n"},
        {"empty fifth line goes", "1\n2\n3\n4\n\n", {"1", "2", "3", "4", ""}, "1\n2\n3\n4\n"},
    };
    Memo memo;
    memo.resize(60, 60); // narrow: every line of some length wraps
    memo.show();
    for (const Case& c : cases) {
        memo.setPlainText(c.text);
        EXPECT_EQ(memo.lines(), c.lines) << c.name;
        memo.limitLines(4);
        EXPECT_EQ(memo.toPlainText(), c.limited) << c.name;
    }

    memo.setPlainText("Alpha Beta Gamma Delta\nEpsilon\nZeta");
    memo.setLine(1, "Eta Theta");
    EXPECT_EQ(memo.toPlainText(), "Alpha Beta Gamma Delta\nEta Theta\nZeta");
    memo.setLine(3, "none");
    EXPECT_EQ(memo.toPlainText(), "Alpha Beta Gamma Delta\nEta Theta\nZeta");
    QSignalSpy edits(&memo, &Memo::textChanged);
    memo.setLine(0, "Alpha Beta Gamma Delta");
    EXPECT_EQ(edits.count(), 0);
}

TEST(ExtraLabel, OuterSizeIsTheFramedWindowsAndTheControlsFitInside)
{
    quill::Settings s = quill::DefaultSettings("/p/");
    TF_ExtraLabel dlg(s);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QApplication::processEvents();
    ASSERT_FALSE((dlg.frameGeometry().size() - dlg.size()).isEmpty()) << "this platform draws no frame";
    EXPECT_EQ(dlg.frameGeometry().size(), QSize(409, 208));
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((dlg.frameGeometry().center() - centre).manhattanLength(), 2);

    // Whatever a window manager's frame leaves, every control stays whole inside the client
    // area: here as with a title bar of 26 pixels and borders of 4.
    for (const QSize client : {dlg.size(), QSize(409 - 8, 208 - 26 - 4)}) {
        dlg.setFixedSize(client);
        QApplication::processEvents();
        EXPECT_EQ(dlg.btnCancel->geometry().bottomRight(), QPoint(client.width() - 9, client.height() - 10));
        EXPECT_LT(dlg.btnOK->geometry().right(), dlg.btnCancel->x());
        for (QWidget* w : dlg.findChildren<QWidget*>()) {
            if (!w->isVisibleTo(&dlg) || w->isWindow())
                continue;
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()))
                << w->metaObject()->className() << " " << w->objectName().toStdString() << " in "
                << client.width() << "x" << client.height();
            if (w->parentWidget() == &dlg && w != dlg.btnOK && w != dlg.btnCancel) {
                EXPECT_LT(w->geometry().bottom(), dlg.btnOK->y()) << w->objectName().toStdString();
            }
        }
    }
}

TEST(Help, TheHelpFileOfTheBuildOpensAtItsContents)
{
    const QString file = QString(QUILL_PROGRAM_DIR) + "/Quill3.hlp";
    ASSERT_TRUE(QFile::exists(file));
    TF_Help help(file);
    const QString text = help.browser()->toPlainText();
    for (const char* topic : {"Contents", "Printer alignment", "numbering modes", "report log",
                              "Database mode", "Importing and exporting", "extra label"})
        EXPECT_TRUE(text.contains(topic, Qt::CaseInsensitive)) << topic;
}

TEST(Help, OpenedFromAModalDialogItIsUsableBesideItAndOutlivesIt)
{
    const QString file = QString(QUILL_PROGRAM_DIR) + "/Quill3.hlp";
    auto* dialog = new QDialog;
    dialog->setModal(true);
    dialog->show();
    ASSERT_EQ(QApplication::activeModalWidget(), dialog);
    QPointer<TF_Help> help = TF_Help::showFile(file + "#alignment");
    ASSERT_TRUE(help);
    // A window is only left out of a modal dialog's block when the dialog is among its parents.
    EXPECT_EQ(help->parentWidget(), dialog);
    EXPECT_TRUE(help->isWindow());
    EXPECT_TRUE(help->isVisible());
    dialog->hide();
    delete dialog;
    ASSERT_TRUE(help) << "closing the dialog took the help with it";
    EXPECT_EQ(help->parentWidget(), nullptr);
    EXPECT_TRUE(help->isVisible());
    help->close();
}

TEST(Startup, SplashStaysForItsTimeAndGoesAtTheFirstShow)
{
    QTemporaryDir dir;
    TestServices services;
    QFile ini(dir.path() + "/quill4.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Type]\nBarCodeApp=0\n[YourAddress]\nLine1=Me\n");
    ini.close();
    QElapsedTimer clock;
    clock.start();
    auto main = StartProgram(services, dir.path() + "/", 200);
    EXPECT_GE(clock.elapsed(), 190);
    QList<TF_About*> splashes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* a = qobject_cast<TF_About*>(w); a && a->IsSplash == 1)
            splashes.append(a);
    ASSERT_EQ(splashes.size(), 1);
    QPointer<TF_About> shown = splashes[0];
    EXPECT_TRUE(shown->isVisible());
    EXPECT_FALSE(shown->Timer1.isActive()); // fired once and switched itself off
    main->show();
    QApplication::processEvents();
    QApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(shown.isNull());
    EXPECT_EQ(main->windowTitle(), "Quillmark");
    main->close();
}

namespace {
// The title the window system is given for a window. The toolkit's desktop platforms append
// the application's display name, when one was set apart from the application's name, to
// every title that does not already end with it ("Mailer Number \u2014 Quillmark").
QString ShownTitle(const QWidget& window)
{
    const QString title = window.windowTitle();
    const QString display = QGuiApplication::applicationDisplayName();
    if (display == QCoreApplication::applicationName() || title.endsWith(display))
        return title;
    return title + QString::fromUtf8(" \u2014 ") + display;
}
} // namespace

TEST(Startup, EveryWindowIsTitledExactlyByItsCaption)
{
    QTemporaryDir dir;
    TestServices services;
    QFile ini(dir.path() + "/quill4.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Type]\nBarCodeApp=0\n[YourAddress]\nLine1=Me\n");
    ini.close();
    auto main = StartProgram(services, dir.path() + "/", 1);
    main->show(); // the first show closes the splash
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    quill::Settings s = quill::DefaultSettings("/p/");
    bool showMailerDialog = true;

    struct Case
    {
        std::unique_ptr<QWidget> window;
        const char* caption;
    };
    Case cases[] = {
        {std::make_unique<TF_Mailer>(services, s, showMailerDialog, true), "Mailer Number"},
        {std::make_unique<TF_YourAddress>(s), "Your Name and Address"},
        {std::make_unique<TF_ExtraLabel>(s), "Extra Label"},
        {std::make_unique<TF_Align>(services, s, dir.path() + "/", QFont("Arial")), "Printer Alignment"},
        {std::make_unique<TButtonsBox>("Information", "Text", QStringList{"&OK"}), "Information"},
        {std::make_unique<TF_PrinterSetup>(QString()), "Printer Setup"},
    };
    EXPECT_EQ(ShownTitle(*main), "Quillmark");
    for (const Case& c : cases)
        EXPECT_EQ(ShownTitle(*c.window), QString(c.caption));
    main->close();
}

TEST(Startup, TheFacesOfTheFormResolve)
{
    EXPECT_EQ(MissingFonts(), QStringList{});
}
