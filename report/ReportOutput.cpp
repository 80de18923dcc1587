#include "report/ReportOutput.h"

#include "report/ReportDocument.h"

#include <QFile>
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
    QPdfWriter writer(fileName);
    writer.setResolution(dpi);
    writer.setPageLayout(document.pageLayout());
    writer.setTitle(document.reportName());
    writer.setCreator(QStringLiteral("Quillmark"));
    QPainter painter;
    if (!painter.begin(&writer))
        return QStringLiteral("Cannot write the report to \"%1\".").arg(fileName);
    const bool finished = PaintPages(document, writer, painter, 0, -1, progress);
    if (!painter.end())
        return QStringLiteral("Cannot write the report to \"%1\".").arg(fileName);
    if (!finished) {
        QFile::remove(fileName);
        return QStringLiteral("The report to \"%1\" was stopped before its last page.").arg(fileName);
    }
    return std::nullopt;
}

} // namespace quill::report
