#pragma once

#include <QString>

#include <functional>
#include <optional>

class QPagedPaintDevice;
class QPainter;

namespace quill::report {

class ReportDocument;

/// Called with the number (from 1) of each page before it is painted, so a status window can
/// say "Printing page %p"; returning false stops the output there.
using PageProgress = std::function<bool(int page)>;

/// Paints pages `first` to `last` (from 0; -1 for the last page of the report) of `document` on
/// `device`, with `painter` already active on it, starting a new device page between them.
/// Give the device the document's pageLayout() before beginning the painter (a QPrinter also
/// setFullPage(true)). False when `progress` stopped it or a new device page could not be
/// started.
bool PaintPages(ReportDocument& document, QPagedPaintDevice& device, QPainter& painter, int first = 0,
                int last = -1, const PageProgress& progress = {});

/// Writes the whole report as a PDF file at `dpi`. A message naming the file when it cannot be
/// written or `progress` stopped it; a stopped file is removed.
[[nodiscard]] std::optional<QString> WritePdf(ReportDocument& document, const QString& fileName,
                                              int dpi = 600, const PageProgress& progress = {});

} // namespace quill::report
