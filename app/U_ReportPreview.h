#pragma once

#include <QDialog>
#include <QImage>

#include <exception>
#include <functional>

class QLabel;
class QComboBox;
class QPushButton;
class QScrollArea;
class QTimer;

namespace quill::report {
class ReportDocument;
}

/// "Report Preview": the pages of a report on screen, the first one at once and the rest laid
/// out while the user reads it, with page navigation, zoom and a print button.
class TF_ReportPreview : public QDialog
{
    Q_OBJECT
public:
    /// `print` prints the report as the Print command does; none: no print button.
    TF_ReportPreview(quill::report::ReportDocument& document, std::function<void()> print,
                     QWidget* parent = nullptr);

    int currentPage() const { return m_page; }
    /// The zoom in percent of the page's real size on the screen.
    int zoom() const { return m_zoom; }
    void showPage(int index);
    void setZoom(int percent);
    /// The page as it is shown now.
    const QImage& pageImage() const { return m_image; }
    quill::report::ReportDocument& document() { return m_document; }
    /// A failure of the table while the window laid out or printed pages closes it; the
    /// command that opened the window rethrows it here, outside the event loop.
    void rethrowFailure();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void render();
    void updateNavigation();
    void layoutMore();
    /// Runs a step of the window; a failure of the table ends the window (see rethrowFailure).
    void guarded(const std::function<void()>& step);

    quill::report::ReportDocument& m_document;
    int m_page = 0;
    int m_zoom = 100;
    QImage m_image;
    QScrollArea* m_scroll;
    QLabel* m_view;
    QLabel* m_pageLabel;
    QComboBox* m_zoomBox;
    QPushButton* m_first;
    QPushButton* m_previous;
    QPushButton* m_next;
    QPushButton* m_last;
    QTimer* m_layoutTimer;
    std::exception_ptr m_failure;
};
