#include "TestServices.h"

#include "U_Main.h"

#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QProcess>

std::unique_ptr<TF_Main> StartShown(TestServices& services, const QString& folder, const QString& ini)
{
    if (!ini.isNull()) {
        QFile f(folder + "quill4.ini");
        if (!f.open(QIODevice::WriteOnly) || f.write(ini.toUtf8()) != ini.toUtf8().size())
            qFatal("cannot write the settings file of the test program in %s", qPrintable(folder));
    }
    auto main = std::make_unique<TF_Main>(services, folder);
    main->show();
    QApplication::processEvents();
    return main;
}

int TestServices::messageBox(QWidget*, BoxKind kind, const QString& caption, const QString& text, int buttons)
{
    events.append("box:" + caption);
    boxes.push_back({kind, caption, text, buttons});
    if (!boxAnswers.empty()) {
        int a = boxAnswers.front();
        boxAnswers.pop_front();
        return a;
    }
    for (Button b : {Ok, Yes, No, Cancel})
        if (buttons & bit(b))
            return b;
    return Ok;
}

int TestServices::execDialog(QDialog& dialog)
{
    events.append(QString("dialog:") + dialog.metaObject()->className());
    dialog.setResult(0);
    dialog.show();
    QApplication::processEvents();
    if (!dialogHandlers.empty()) {
        DialogHandler handler = std::move(dialogHandlers.front());
        dialogHandlers.pop_front();
        handler(dialog);
    }
    if (dialog.isVisible())
        dialog.reject();
    return dialog.result();
}

QString TestServices::openFileName(QWidget*, const QString& title, const QString& folder, const QString&)
{
    events.append("open:" + title);
    fileDialogPlaces.append(folder);
    if (fileAnswers.empty())
        return {};
    QString a = fileAnswers.front();
    fileAnswers.pop_front();
    return a;
}

QString TestServices::saveFileName(QWidget*, const QString& title, const QString& folder, const QString&)
{
    events.append("save:" + title);
    fileDialogPlaces.append(folder);
    if (fileAnswers.empty())
        return {};
    QString a = fileAnswers.front();
    fileAnswers.pop_front();
    return a;
}

void TestServices::openUrl(const QUrl& url)
{
    events.append("url:" + url.toString());
    urls.push_back(url);
}

void TestServices::showHelp(const QString& helpFile)
{
    events.append("help:" + helpFile);
    helpFiles.append(helpFile);
}

std::shared_ptr<quill::printing::PageDevice> TestServices::pageDevice(const QString&)
{
    events.append("page");
    auto page = makePage ? makePage() : std::make_shared<quill::printing::RecordingPage>(300);
    pages.push_back(page);
    return page;
}

QSize TestServices::pageResolution(const QString&)
{
    auto page = makePage ? makePage() : std::make_shared<quill::printing::RecordingPage>(300);
    return {page->dpiX(), page->dpiY()};
}

std::unique_ptr<QPrinter> TestServices::reportPrinter(QWidget*, bool& toPdf)
{
    toPdf = !makeReportPrinter;
    if (toPdf)
        return nullptr;
    events.append("output options");
    return makeReportPrinter();
}

QString RunProgram(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAll());
}
