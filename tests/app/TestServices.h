#pragma once

#include "PageDevice.h"
#include "PlatformServices.h"

#include <QColor>
#include <QDialog>
#include <QPoint>
#include <QPrinter>
#include <QSize>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

/// Platform services for tests: records every call and answers from a script. A dialog is
/// shown (offscreen), handed to the next scripted handler, which may fill it and press its
/// buttons, and is cancelled if the handler left it open; nothing ever blocks.
class TestServices : public PlatformServices
{
public:
    struct Box
    {
        BoxKind kind;
        QString caption;
        QString text;
        int buttons;
    };
    using DialogHandler = std::function<void(QDialog&)>;

    int messageBox(QWidget* parent, BoxKind kind, const QString& caption, const QString& text,
                   int buttons) override;
    int execDialog(QDialog& dialog) override;
    QString openFileName(QWidget*, const QString& title, const QString& folder, const QString&) override;
    QString saveFileName(QWidget*, const QString& title, const QString& folder, const QString&) override;
    QString clipboardText() override { return clipboard; }
    void setClipboardText(const QString& text) override { clipboard = text; }
    void openUrl(const QUrl& url) override;
    void showHelp(const QString& helpFile) override;
    void exitProgram(int status) override { exits.push_back(status); }
    std::shared_ptr<quill::printing::PageDevice> pageDevice(const QString& programFolder) override;
    /// The resolution of the page `makePage` would make, without counting it as a job.
    QSize pageResolution(const QString& programFolder) override;
    bool printerSetup(QWidget*) override
    {
        events.append("printer setup");
        return true;
    }
    std::unique_ptr<QPrinter> reportPrinter(QWidget*, bool& toPdf) override;

    /// Queues the handler for the next dialog; `handler` sees it shown and may act on it.
    void onDialog(DialogHandler handler) { dialogHandlers.push_back(std::move(handler)); }
    /// Queues the answer to the next message box (default: Ok, or the first button offered).
    void answerBox(int button) { boxAnswers.push_back(button); }

    QStringList events; // "box:<caption>", "dialog:<class>", "url:<address>", "help:<file>"
    std::vector<Box> boxes;
    std::deque<int> boxAnswers;
    std::deque<DialogHandler> dialogHandlers;
    std::deque<QString> fileAnswers;
    QStringList fileDialogPlaces; // the folder (or proposed file) each file dialog opened at
    QString clipboard;
    std::vector<QUrl> urls;
    QStringList helpFiles;
    std::vector<int> exits;
    /// Makes the page of each job; by default a recording page at 300 dpi.
    std::function<std::shared_ptr<quill::printing::PageDevice>()> makePage;
    std::vector<std::shared_ptr<quill::printing::PageDevice>> pages; // every job's page, in order
    /// The report printer the "Output Options" window gives, or null when cancelled; unset, there
    /// is no printer and reports become PDF files.
    std::function<std::unique_ptr<QPrinter>()> makeReportPrinter;
};

/// Runs a program (an independent reader, as a rule) and returns what it printed on both outputs.
QString RunProgram(const QString& program, const QStringList& args);

class TF_Main;
/// Settings of a program that asks nothing at its start: no bar-code application question,
/// and a sender address.
inline constexpr const char QuietSettings[] =
    "[Type]\nBarCodeApp=0\n[YourAddress]\nLine1=Harbor Title Company\nLine2=200 Water Street\n"
    "City=Portland\nState=ME\nZip=04101\n";
/// Writes `ini` (unless null) as the settings file of the program folder `folder` (ending in
/// "/"), starts the main window there and shows it, as the program's start does.
std::unique_ptr<TF_Main> StartShown(TestServices& services, const QString& folder, const QString& ini);

/// Whether a recording page holds `text` among the texts printed on it.
inline bool Printed(const quill::printing::RecordingPage& page, const QString& text)
{
    for (const auto& t : page.texts)
        if (t.text == text)
            return true;
    return false;
}

/// Finds a child by its object name and type or fails the test.
template <typename T> T* child(QObject* parent, const char* name)
{
    T* found = parent->findChild<T*>(name);
    if (!found)
        qFatal("no child %s", name);
    return found;
}

/// Failures show texts as text rather than as arrays of UTF-16 units.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QSize& size, std::ostream* out)
{
    *out << size.width() << "x" << size.height();
}
inline void PrintTo(const QPoint& point, std::ostream* out)
{
    *out << "(" << point.x() << ", " << point.y() << ")";
}
inline void PrintTo(const QColor& colour, std::ostream* out)
{
    *out << colour.name().toStdString();
}
