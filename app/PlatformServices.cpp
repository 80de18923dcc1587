#include "PlatformServices.h"

#include "PrinterPage.h"
#include "U_Help.h"
#include "U_PrinterSetup.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

#include <cstdlib>

QSize PlatformServices::pageResolution(const QString& programFolder)
{
    const auto page = pageDevice(programFolder);
    return {page->dpiX(), page->dpiY()};
}

int QtPlatformServices::messageBox(QWidget* parent, BoxKind kind, const QString& caption, const QString& text,
                                   int buttons)
{
    QMessageBox box(parent);
    box.setWindowTitle(caption);
    QString shown = text;
    // Texts break lines the old ways too, CR LF and LF CR among them.
    shown.replace("\r\n", "\n").replace("\n\r", "\n").replace('\r', '\n');
    box.setText(shown);
    switch (kind) {
    case BoxKind::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case BoxKind::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case BoxKind::Confirm:
        box.setIcon(QMessageBox::Question);
        break;
    case BoxKind::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case BoxKind::Plain:
        break;
    }
    struct Map
    {
        Button ours;
        QMessageBox::StandardButton qt;
    };
    const Map map[] = {
        {Yes, QMessageBox::Yes}, {No, QMessageBox::No}, {Ok, QMessageBox::Ok}, {Cancel, QMessageBox::Cancel}};
    QMessageBox::StandardButtons set;
    for (const Map& m : map)
        if (buttons & bit(m.ours))
            set |= m.qt;
    if (!set)
        set = QMessageBox::Ok;
    box.setStandardButtons(set);
    int pressed = box.exec();
    for (const Map& m : map)
        if (pressed == m.qt)
            return m.ours;
    return Cancel;
}

int QtPlatformServices::execDialog(QDialog& dialog)
{
    return dialog.exec();
}

QString QtPlatformServices::openFileName(QWidget* parent, const QString& title, const QString& folder,
                                         const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

QString QtPlatformServices::saveFileName(QWidget* parent, const QString& title, const QString& folder,
                                         const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, title, folder, filter);
}

QString QtPlatformServices::saveFileNameNoConfirm(QWidget* parent, const QString& title,
                                                  const QString& folder, const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, title, folder, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

QString QtPlatformServices::openOrNewFileName(QWidget* parent, const QString& title, const QString& folder,
                                              const QString& filter)
{
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile); // a new name makes a new table
    dialog.setLabelText(QFileDialog::Accept, "&Open");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QString QtPlatformServices::clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

void QtPlatformServices::setClipboardText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

void QtPlatformServices::openUrl(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

void QtPlatformServices::showHelp(const QString& helpFile)
{
    TF_Help::showFile(helpFile);
}

void QtPlatformServices::exitProgram(int status)
{
    std::exit(status);
}

std::shared_ptr<quill::printing::PageDevice> QtPlatformServices::pageDevice(const QString& programFolder)
{
    // Until the user chooses, the system's default printer prints; with none installed every
    // form becomes a PDF file beside the program.
    const QString printer = currentPrinter();
    if (printer.isEmpty())
        return std::make_shared<quill::printing::PdfFolderPage>(programFolder + "Printed");
    return std::make_shared<PrinterPage>(printer);
}

QSize QtPlatformServices::pageResolution(const QString& programFolder)
{
    const QString printer = currentPrinter();
    if (printer.isEmpty()) {
        const quill::printing::PdfFolderPage pdf(programFolder + "Printed");
        return {pdf.dpiX(), pdf.dpiY()};
    }
    QPrinter job(QPrinter::HighResolution);
    job.setPrinterName(printer);
    return {job.logicalDpiX(), job.logicalDpiY()};
}

QString QtPlatformServices::currentPrinter() const
{
    return m_chosen ? m_printerName : DefaultPrinterName();
}

std::unique_ptr<QPrinter> QtPlatformServices::reportPrinter(QWidget* parent, bool& toPdf)
{
    const QString name = currentPrinter();
    toPdf = name.isEmpty();
    if (toPdf)
        return nullptr;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setPrinterName(name);
    QPrintDialog dialog(printer.get(), parent);
    dialog.setWindowTitle("Output Options");
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return printer;
}

bool QtPlatformServices::printerSetup(QWidget* parent)
{
    TF_PrinterSetup dialog(m_chosen ? m_printerName : DefaultPrinterName(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    m_printerName = dialog.printerName();
    m_chosen = true;
    return true;
}
