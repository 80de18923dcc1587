#pragma once

#include "AlignmentPage.h"

#include <QDialog>
#include <QFont>
#include <QSpinBox>

#include <vector>

namespace quill {
struct Settings;
}
class PlatformServices;
class QPushButton;

/// A spin edit of -999..999 whose typed text reads as the alignment dialog needs it: a
/// value past a bound is pulled to it, text that is no whole number reads as -999.
class AlignSpin : public QSpinBox
{
    Q_OBJECT
public:
    explicit AlignSpin(QWidget* parent = nullptr);
    /// The value the text shows now, typed or stepped.
    int typedValue() const;
    /// Whether the text is a whole number yet (not while "-" alone is typed).
    bool readsAsNumber() const;
    QLineEdit* editor() const { return lineEdit(); }

protected:
    void fixup(QString& input) const override;
    QValidator::State validate(QString& input, int& pos) const override;
};

/// The certified-mail form at scale, read the right way up, with the marks of a usual piece
/// where the offsets put them: texts as grey bars, bar codes as black boxes, and their places
/// without offsets as faint outlines. An offset unit is 3 device pixels at the printer's
/// resolution, as on paper.
class AlignPicture : public QWidget
{
    Q_OBJECT
public:
    AlignPicture(const quill::printing::FormData& sample, bool barcodeMode, const QFont& pageFont, QSize dpi,
                 QWidget* parent = nullptr);

    void setOffsets(int leftRight, int topBottom);
    /// Picture pixels per inch of paper.
    double pixelsPerInch() const;
    /// Where mark `i` of the form stands in the picture.
    QRectF markRect(std::size_t i) const;
    std::size_t markCount() const { return m_marks.size(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<quill::printing::MarkBox> boxesAt(int leftRight, int topBottom) const;
    QRectF toPicture(const QRect& device) const;
    QRectF sheet() const;

    quill::printing::FormData m_sample;
    bool m_barcodeMode;
    QFont m_pageFont;
    QSize m_dpi;
    std::vector<quill::printing::MarkBox> m_home; // the marks without offsets
    std::vector<quill::printing::MarkBox> m_marks;
};

/// "Printer Alignment": edits the left-right and top-bottom offsets, in units of 3 device
/// pixels, of everything printed; shows where they put the form's marks and prints a test page.
class TF_Align : public QDialog
{
    Q_OBJECT
public:
    TF_Align(PlatformServices& services, quill::Settings& settings, const QString& programFolder,
             const QFont& pageFont, QWidget* parent = nullptr);

    AlignSpin* spinLeftRight;
    AlignSpin* SpinUpDown;
    AlignPicture* imageForm;
    QPushButton* btnTestPage;
    QPushButton* btnHelp;
    QPushButton* btnOK;
    QPushButton* btnCancel;

    void btnTestPageClick();

private:
    void btnOKClick();
    void spinChange();
    PlatformServices& m_services;
    quill::Settings& m_settings;
    QString m_programFolder;
    QFont m_pageFont;
};
