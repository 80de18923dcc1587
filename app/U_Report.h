#pragma once

#include <QString>

class PlatformServices;
class QWidget;

namespace quill::report {
class ReportDocument;
}

/// Where the save-file dialog of the program stands: the folder, filter and name the last
/// command left in it.
struct SaveDialogState
{
    QString folder;
    QString filter = "dBase files (*.dbf);;All files (*)";
};

/// The commands of the Report menu: print or preview the report log in full or short detail, in
/// the order the Sort items choose, and clear it. Failures of the table layer pass out as
/// TableErrors for the main window to halt on.
class TReportMenu
{
public:
    enum class Destination { Printer, Preview };
    enum class Detail { Full, Short };

    TReportMenu(PlatformServices& services, QWidget* window, QString programFolder);

    /// `sortOrder` is the index of the chosen Sort item, -1 when none is chosen.
    void PrintOrPreview(Destination destination, Detail detail, int sortOrder);
    void Clear(SaveDialogState& saveDialog);

    QString logPath() const;

private:
    void print(quill::report::ReportDocument& document, const QString& reportName);
    void printToPdf(quill::report::ReportDocument& document, const QString& reportName);

    PlatformServices& m_services;
    QWidget* m_window;
    QString m_programFolder;
};
