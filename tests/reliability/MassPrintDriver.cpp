// The program's main window, run as its own process for the crash test: it opens an address
// table in database mode, mass prints every record into PDF files in the program folder's
// Printed/ and closes, with every question answered by the scripted platform services. The
// test kills it at random points and starts it again.
//
//   quill-massprint-driver <program folder> <address table>
//
// Prints "printed N" and every message box shown; ends with 0 when the run printed and logged
// every record without a message box that reports a failure, 1 otherwise.

#include "PageDevice.h"
#include "U_Mailer.h"
#include "U_Main.h"
#include "app/TestServices.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QPushButton>
#include <QStyleFactory>

#include <clocale>
#include <cstdio>

int main(int argc, char** argv)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    app.setStyle(QStyleFactory::create("Fusion"));
    QFont::insertSubstitution("OCR A Extended", "OCRA");
    if (argc != 3) {
        std::fprintf(stderr, "usage: quill-massprint-driver <program folder> <address table>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + "/";

    TestServices services;
    // No printer: every form becomes a PDF file in Printed/, as out of the box.
    services.makePage = [folder] {
        return std::make_shared<quill::printing::PdfFolderPage>(folder + "Printed");
    };
    int failures = 0;
    {
        TF_Main main(services, folder);
        main.show();
        QApplication::processEvents();

        services.fileAnswers.push_back(QString::fromLocal8Bit(argv[2]));
        main.MIReadWriteToDB->trigger();
        services.answerBox(PlatformServices::Yes); // "You are about to print ..."
        services.onDialog([](QDialog& d) {
            auto* mailer = qobject_cast<TF_Mailer*>(&d);
            if (!mailer)
                return;
            mailer->cbDontShow->setChecked(true); // once per run, as a clerk would
            mailer->btnOK->click();
        });
        main.MIMassPrint->trigger();
        main.close(); // the settings are written as the window closes
    }
    std::printf("printed %zu\n", services.pages.size());
    for (const TestServices::Box& box : services.boxes) {
        std::printf("box: %s: %s\n", qPrintable(box.caption), qPrintable(box.text));
        // The question, and the note on the first PDF, are what every run shows.
        const bool expected =
            box.text.startsWith("You are about to print") || box.text.startsWith("No printer is installed");
        failures += expected ? 0 : 1;
    }
    for (int status : services.exits) {
        std::printf("exit: %d\n", status);
        ++failures;
    }
    std::fflush(stdout);
    return failures == 0 ? 0 : 1;
}
