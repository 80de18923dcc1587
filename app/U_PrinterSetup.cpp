#include "U_PrinterSetup.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPrinterInfo>
#include <QVBoxLayout>

namespace {
constexpr const char* PdfFiles = "PDF files (folder \"Printed\" beside the program)";
}

TF_PrinterSetup::TF_PrinterSetup(const QString& current, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Printer Setup");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Print the forms on:", this));
    cbPrinter = new QComboBox(this);
    cbPrinter->setObjectName("cbPrinter");
    cbPrinter->addItem(PdfFiles, QString());
    for (const QPrinterInfo& p : QPrinterInfo::availablePrinters())
        cbPrinter->addItem(p.description().isEmpty() ? p.printerName() : p.description(), p.printerName());
    const int at = cbPrinter->findData(current);
    cbPrinter->setCurrentIndex(at >= 0 ? at : 0);
    layout->addWidget(cbPrinter);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}

QString TF_PrinterSetup::printerName() const
{
    return cbPrinter->currentData().toString();
}
