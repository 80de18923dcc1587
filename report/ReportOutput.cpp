#include "report/ReportOutput.h"

#include "report/ReportDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>

namespace quill::report {

bool PaintPages(ReportDocument& document, QPagedPaintDevice& device, QPainter& painter, int first, int last,
                const PageProgress& progress)
{
    for (int index = first; (last < 0 || index <= last) && document.hasPage(index); ++index) {
        if (progress && !progress(index + 1))
            return false;
        if (index > first && !device.newPage())
            return false;
        document.paintPage(index, painter);
    }
    return true;
}

std::optional<QString> WritePdf(ReportDocument& document, const QString& fileName, int dpi,
                                const PageProgress& progress)
{
    // The writer's own end() says nothing of a disk that filled up under it: the file does.
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("Cannot write the report to \"%1\".").arg(fileName);
    QPdfWriter writer(&file);
    writer.setResolution(dpi);
    writer.setPageLayout(document.pageLayout());
    writer.setTitle(document.reportName());
    writer.setCreator(QStringLiteral("Quillmark"));
    QPainter painter;
    const bool plainFile = QFileInfo(fileName).isFile(); // never remove a device such as /dev/full
    auto failed = [&] {
        file.close();
        if (plainFile)
            QFile::remove(fileName); // a torn PDF would pass for the report
        return QStringLiteral("Cannot write the report to \"%1\".").arg(fileName);
    };
    if (!painter.begin(&writer))
        return failed();
    const bool finished = PaintPages(document, writer, painter, 0, -1, progress);
    if (!painter.end() || !file.flush() || file.error() != QFileDevice::NoError)
        return failed();
    file.close();
    if (file.error() != QFileDevice::NoError)
        return failed();
    if (!finished) {
        if (plainFile)
            QFile::remove(fileName);
        return QStringLiteral("The report to \"%1\" was stopped before its last page.").arg(fileName);
    }
    return std::nullopt;
}

} // namespace quill::report
