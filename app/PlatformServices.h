#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

namespace quill::printing {
class PageDevice;
}

class QDialog;
class QPrinter;
class QWidget;

/// Everything the shell does that would block on the user or leave the process goes through
/// this seam: message boxes, modal dialogs, file dialogs, the clipboard, web and mail links,
/// help and the end of the program. The program uses QtPlatformServices; tests script it.
class PlatformServices
{
public:
    enum class BoxKind { Error, Information, Confirm, Warning, Plain }; // Plain: no icon
    enum Button { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

    virtual ~PlatformServices() = default;

    /// A message box of the given kind; `buttons` is a set of Button values or'ed as bits
    /// (1 << Button). Returns the button pressed.
    virtual int messageBox(QWidget* parent, BoxKind kind, const QString& caption, const QString& text,
                           int buttons) = 0;
    /// Runs a dialog modally and returns its result code.
    virtual int execDialog(QDialog& dialog) = 0;

    virtual QString openFileName(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter) = 0;
    /// A save-file dialog that does not ask whether to replace an existing file, for a command
    /// that asks its own question (overwrite, append or cancel). By default the plain one.
    virtual QString saveFileNameNoConfirm(QWidget* parent, const QString& title, const QString& folder,
                                          const QString& filter)
    {
        return saveFileName(parent, title, folder, filter);
    }
    /// An open-file dialog that also takes the name of a file that does not exist yet, for a
    /// table the command creates. By default the plain open-file dialog.
    virtual QString openOrNewFileName(QWidget* parent, const QString& title, const QString& folder,
                                      const QString& filter)
    {
        return openFileName(parent, title, folder, filter);
    }

    virtual QString clipboardText() = 0;
    virtual void setClipboardText(const QString& text) = 0;

    virtual void openUrl(const QUrl& url) = 0;
    virtual void showHelp(const QString& helpFile) = 0;

    /// Ends the program with the given exit status.
    virtual void exitProgram(int status) = 0;

    /// The page device of the next print job on the chosen printer; with no printer
    /// installed, or "PDF files" chosen, a PDF file in `programFolder`/Printed.
    virtual std::shared_ptr<quill::printing::PageDevice> pageDevice(const QString& programFolder) = 0;
    /// The dots per inch across and down of the page the next job would get, without beginning
    /// one: what previews and pictures of the form are drawn at.
    /// By default the resolution a fresh page device reports before its job begins.
    virtual QSize pageResolution(const QString& programFolder);
    /// The printer setup: chooses the printer every later job uses. False when cancelled.
    virtual bool printerSetup(QWidget* parent) = 0;
    /// The printer a report goes to, after the "Output Options" window (copies, collation,
    /// duplex, the printer and its setup); null when the user cancels. With no printer
    /// installed, or "PDF files" chosen, no window is shown: null, with `toPdf` set.
    virtual std::unique_ptr<QPrinter> reportPrinter(QWidget* parent, bool& toPdf) = 0;

    // Conveniences over messageBox.
    void error(QWidget* parent, const QString& text)
    {
        messageBox(parent, BoxKind::Error, "Error", text, bit(Ok));
    }
    void information(QWidget* parent, const QString& text)
    {
        messageBox(parent, BoxKind::Information, "Information", text, bit(Ok));
    }
    static constexpr int bit(Button b) { return 1 << b; }
};

/// The real windows of the platform.
class QtPlatformServices : public PlatformServices
{
public:
    int messageBox(QWidget* parent, BoxKind kind, const QString& caption, const QString& text,
                   int buttons) override;
    int execDialog(QDialog& dialog) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& folder,
                         const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& title, const QString& folder,
                         const QString& filter) override;
    QString openOrNewFileName(QWidget* parent, const QString& title, const QString& folder,
                              const QString& filter) override;
    QString saveFileNameNoConfirm(QWidget* parent, const QString& title, const QString& folder,
                                  const QString& filter) override;
    QString clipboardText() override;
    void setClipboardText(const QString& text) override;
    void openUrl(const QUrl& url) override;
    void showHelp(const QString& helpFile) override;
    void exitProgram(int status) override;
    std::shared_ptr<quill::printing::PageDevice> pageDevice(const QString& programFolder) override;
    QSize pageResolution(const QString& programFolder) override;
    bool printerSetup(QWidget* parent) override;
    std::unique_ptr<QPrinter> reportPrinter(QWidget* parent, bool& toPdf) override;

private:
    /// The printer every job goes to; empty for PDF files.
    QString currentPrinter() const;
    bool m_chosen = false; // the user picked in the printer setup
    QString m_printerName; // empty: PDF files
};
