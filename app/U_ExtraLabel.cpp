#include "U_ExtraLabel.h"
#include "Screen.h"

#include "GlobalVariables.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>

namespace {
constexpr const char* AddressedTo = "Addressed To";
constexpr const char* YourNameAndAddress = "Your Name and Address";
} // namespace

TF_ExtraLabel::TF_ExtraLabel(quill::Settings& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_settings(settings)
{
    setWindowTitle("Extra Label");

    auto* group = m_group = new QGroupBox(this);
    group->setObjectName("GroupBox1");
    auto* text = m_text =
        new QLabel("Use this window to print an Address on the \"Extra Label\" located on the upper right "
                   "corner of the form.  This label is intended for the postage label.  If you are "
                   "printing the Postage on this label, you don't want to print an address here.",
                   group);
    text->setObjectName("Label3");
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    auto* rg = new QGroupBox("Print Address on Extra Label?", group);
    rg->setObjectName("rgExtraLabel");
    rg->setGeometry(8, 70, 180, 50);
    rbYes = new QRadioButton("Yes", rg);
    rbYes->setGeometry(12, 22, 70, 20);
    rbNo = new QRadioButton("No", rg);
    rbNo->setGeometry(96, 22, 70, 20);
    auto* buttons = new QButtonGroup(this);
    buttons->addButton(rbYes);
    buttons->addButton(rbNo);

    m_label = new QLabel("Address for Extra Label:", group);
    m_label->setObjectName("Label1");
    cbExtraLabel = new QComboBox(group);
    cbExtraLabel->setObjectName("cbExtraLabel");
    cbExtraLabel->setEditable(true);
    cbExtraLabel->setMaxVisibleItems(2);

    btnOK = new QPushButton("OK", this);
    btnCancel = new QPushButton("Cancel", this);
    btnOK->setAutoDefault(false);
    btnCancel->setAutoDefault(false);
    setTabOrder(rbYes, rbNo);
    setTabOrder(rbNo, cbExtraLabel);
    setTabOrder(cbExtraLabel, btnOK);
    setTabOrder(btnOK, btnCancel);

    // FormCreate
    cbExtraLabel->addItems({AddressedTo, YourNameAndAddress});
    rbYes->setChecked(settings.PrintExtraLabel == "Yes");
    rbNo->setChecked(settings.PrintExtraLabel == "No");
    cbExtraLabel->setEditText(QString::fromStdString(settings.ExtraLabel));
    cbExtraLabel->setEnabled(!rbNo->isChecked());

    connect(rbYes, &QRadioButton::clicked, this, &TF_ExtraLabel::rgExtraLabelClick);
    connect(rbNo, &QRadioButton::clicked, this, &TF_ExtraLabel::rgExtraLabelClick);
    btnOK->setDefault(true); // Enter confirms
    connect(btnOK, &QPushButton::clicked, this, &TF_ExtraLabel::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    KeepOuterSize(this, QSize(409, 208));
    layOutControls();
    CentreOnScreen(this);
}

void TF_ExtraLabel::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    layOutControls();
}

void TF_ExtraLabel::layOutControls()
{
    // The client area is what the window frame leaves of the outer size, and the frame is
    // the window system's: the buttons keep to the bottom right corner and the group takes
    // the rest above them.
    btnCancel->setGeometry(width() - 8 - 75, height() - 9 - 25, 75, 25);
    btnOK->setGeometry(btnCancel->x() - 7 - 75, btnCancel->y(), 75, 25);
    m_group->setGeometry(6, 2, width() - 12, btnCancel->y() - 8 - 2);
    m_text->setGeometry(8, 8, m_group->width() - 16, 56);
    m_label->setGeometry(200, 76, m_group->width() - 8 - 200, 18);
    cbExtraLabel->setGeometry(200, 96, m_group->width() - 8 - 200, 24);
}

void TF_ExtraLabel::rgExtraLabelClick()
{
    cbExtraLabel->setEnabled(rbYes->isChecked());
}

void TF_ExtraLabel::btnOKClick()
{
    // With neither item selected (a stored value other than Yes and No) nothing changes.
    if (rbYes->isChecked() || rbNo->isChecked()) {
        m_settings.PrintExtraLabel = rbYes->isChecked() ? "Yes" : "No";
        const QString chosen = cbExtraLabel->currentText();
        m_settings.ExtraLabel = chosen == YourNameAndAddress ? YourNameAndAddress : AddressedTo;
    }
    accept();
}
