#pragma once

#include <QDialog>

class QComboBox;

/// Chooses the printer all printing uses: one of the system's printers, or "PDF files",
/// which writes each job as a PDF file in the folder "Printed" beside the program.
class TF_PrinterSetup : public QDialog
{
    Q_OBJECT
public:
    explicit TF_PrinterSetup(const QString& current, QWidget* parent = nullptr);

    /// The chosen system printer; empty for PDF files.
    QString printerName() const;

    QComboBox* cbPrinter;
};
