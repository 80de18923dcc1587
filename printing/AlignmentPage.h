#pragma once

#include "FormMarks.h"
#include "U_CertPrint.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>
#include <vector>

namespace quill::printing {

inline constexpr const char* AlignmentTestPageTitle = "Alignment Test Page";

/// A main field of the form (a symbol, a number text, an address block, the fees, the total):
/// the first of its marks in the form's table and the name the test page gives it.
struct MainField
{
    const FormMark* mark;
    QString label; // the mark's group and what it shows: "D1 recipient"
};

/// The main fields of the form, in the order of its table.
std::vector<MainField> MainFields();

/// Where the form puts the reference corner of a field's first mark in frame `f`: the top-left
/// corner of a bitmap, the corner a text cell starts from, or the end of an end-aligned text.
QPoint FieldPoint(const TPageFrame& f, const MainField& field);

/// Prints the alignment test page as one job on `device`: rulers in inches and tenths along the
/// top and left edges, a labelled cross at the first mark of every main field, the title and
/// the offsets. Everything goes through the form's page frame with the same offsets, so the
/// crosses stand where the form's marks will. Returns the job's failure.
std::optional<QString> PrintAlignmentTestPage(const QString& leftRight, const QString& topBottom,
                                              const QFont& fontHolder, PageDevice& device);

/// The area one mark of a printed form covers on the device page.
struct MarkBox
{
    QRect area;  // device pixels
    bool symbol; // a bar code; otherwise a text cell
};

/// The areas the form of `data` covers on a page of the given resolution, drawn by the form's
/// own drawing with the offsets of `data`; empty texts cover nothing.
std::vector<MarkBox> FormMarkBoxes(const FormData& data, bool barcodeMode, const QFont& fontHolder, int dpiX,
                                   int dpiY);

/// A piece whose every field holds a text of a usual length, for pictures of the form.
FormData SampleFormData();

} // namespace quill::printing
