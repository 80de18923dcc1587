#pragma once

#include "Piece.h"

#include <QDialog>
#include <QImage>

class PlatformServices;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

/// The printed page at a zoom: one printer dot is `zoom` screen pixels.
class FormPreviewCanvas : public QWidget
{
    Q_OBJECT
public:
    explicit FormPreviewCanvas(QImage page, QWidget* parent = nullptr);
    void setZoom(double zoom);
    double zoom() const { return m_zoom; }
    const QImage& page() const { return m_page; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_page;
    double m_zoom = 1.0;
};

/// "Form Preview": the page that Print would send for the piece entered, with the number the
/// next print would use, drawn at the printer's resolution.
class TF_FormPreview : public QDialog
{
    Q_OBJECT
public:
    /// `page` is the form as printed at `dpi`; `caption` says which number it carries.
    TF_FormPreview(QImage page, int dpi, const QString& caption, QWidget* parent = nullptr);

    /// The zoom choices, in the order of cbZoom: the whole page, its width, then fixed sizes.
    enum Zoom { WholePage, PageWidth, Percent25, Percent50, Percent100, Percent200 };

    FormPreviewCanvas* canvas;
    QScrollArea* scrollPage;
    QComboBox* cbZoom;
    QLabel* lblNumber;
    QPushButton* btnPrint;
    QPushButton* btnClose;

    /// Printer dots the page is wide and high.
    const QImage& page() const { return canvas->page(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void cbZoomChange();
};

/// Draws the form of `piece` with the number the next print would use, on a page of the
/// printer's resolution, and shows it; the numbering is put back and nothing is logged. True
/// when the user pressed Print, which the caller answers with its Print command.
bool ShowFormPreview(PlatformServices& services, QWidget* parent, const quill::PieceInput& piece,
                     quill::Settings& settings, const QFont& fontHolder, const QString& programFolder);
