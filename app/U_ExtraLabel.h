#pragma once

#include <QDialog>

namespace quill {
struct Settings;
}
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

/// "Extra Label": whether an address is printed on the form's extra label, and which.
class TF_ExtraLabel : public QDialog
{
    Q_OBJECT
public:
    explicit TF_ExtraLabel(quill::Settings& settings, QWidget* parent = nullptr);

    QRadioButton* rbYes;
    QRadioButton* rbNo;
    QComboBox* cbExtraLabel;
    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOutControls();
    void rgExtraLabelClick();
    void btnOKClick();
    quill::Settings& m_settings;
    QGroupBox* m_group;
    QLabel* m_text;
    QLabel* m_label;
};
