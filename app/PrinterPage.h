#pragma once

#include "PageDevice.h"

#include <memory>

class QPrinter;

/// The system's name of its default printer; empty when no printer is installed.
QString DefaultPrinterName();

/// A job on a system printer. Its resolution and physical offsets are the printer's; device
/// pixels count from the printable area. The job's title is left to the system: the
/// document name (the mailer number) names PDF files only.
class PrinterPage : public quill::printing::PainterPageDevice
{
public:
    explicit PrinterPage(QString printerName);
    ~PrinterPage() override;

    std::optional<QString> beginJob() override;
    std::optional<QString> endJob() override;
    int dpiX() const override;
    int dpiY() const override;
    int physicalOffsetX() const override;
    int physicalOffsetY() const override;

protected:
    /// Directs a job's fresh printer to the chosen system printer; an error when that is not
    /// available.
    virtual std::optional<QString> choosePrinter(QPrinter& printer);

private:
    QString m_name;
    std::unique_ptr<QPrinter> m_printer;
};
