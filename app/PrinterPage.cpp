#include "PrinterPage.h"

#include <QPrinter>
#include <QPrinterInfo>

QString DefaultPrinterName()
{
    if (QPrinterInfo::availablePrinters().isEmpty())
        return {};
    const QPrinterInfo def = QPrinterInfo::defaultPrinter();
    return def.isNull() ? QPrinterInfo::availablePrinters().first().printerName() : def.printerName();
}

PrinterPage::PrinterPage(QString printerName) : m_name(std::move(printerName)) {}

PrinterPage::~PrinterPage() = default;

std::optional<QString> PrinterPage::beginJob()
{
    // A fresh printer object per job reads the printer anew, so a change in the printer
    // setup takes effect at the next form.
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (auto error = choosePrinter(*m_printer)) {
        m_printer.reset();
        return error;
    }
    // No document name is handed to the printer: the program never titles a system job.
    if (!beginPainting(m_printer.get())) {
        m_printer.reset();
        return QString("The print job cannot begin on \"%1\".").arg(m_name);
    }
    return std::nullopt;
}

std::optional<QString> PrinterPage::choosePrinter(QPrinter& printer)
{
    printer.setPrinterName(m_name);
    if (!printer.isValid())
        return QString("The printer \"%1\" is not available.").arg(m_name);
    return std::nullopt;
}

std::optional<QString> PrinterPage::endJob()
{
    endPainting();
    const bool failed = m_printer && m_printer->printerState() == QPrinter::Error;
    m_printer.reset();
    if (failed)
        return QString("The printer \"%1\" reported an error.").arg(m_name);
    return std::nullopt;
}

int PrinterPage::dpiX() const
{
    return m_printer ? m_printer->logicalDpiX() : 0;
}
int PrinterPage::dpiY() const
{
    return m_printer ? m_printer->logicalDpiY() : 0;
}

int PrinterPage::physicalOffsetX() const
{
    if (!m_printer)
        return 0;
    return static_cast<int>(m_printer->pageRect(QPrinter::DevicePixel).left() -
                            m_printer->paperRect(QPrinter::DevicePixel).left());
}

int PrinterPage::physicalOffsetY() const
{
    if (!m_printer)
        return 0;
    return static_cast<int>(m_printer->pageRect(QPrinter::DevicePixel).top() -
                            m_printer->paperRect(QPrinter::DevicePixel).top());
}
