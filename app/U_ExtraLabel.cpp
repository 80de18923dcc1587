#include "U_ExtraLabel.h"
#include "Screen.h"

#include "GlobalVariables.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {
constexpr const char* AddressedTo = "Addressed To";
constexpr const char* YourNameAndAddress = "Your Name and Address";
} // namespace

TF_ExtraLabel::TF_ExtraLabel(quill::Settings& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_settings(settings)
{
    setWindowTitle("Extra Label");
    setFixedSize(409, 208);

    auto* group = new QGroupBox(this);
    group->setObjectName("GroupBox1");
    group->setGeometry(6, 2, 397, 164);
    auto* text = new QLabel("Use this window to print an Address on the \"Extra Label\" located on the upper right "
                            "corner of the form.  This label is intended for the postage label.  If you are "
                            "printing the Postage on this label, you don't want to print an address here.",
                            group);
    text->setObjectName("Label3");
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    text->setGeometry(8, 8, 381, 56);

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

    auto* label = new QLabel("Address for Extra Label:", group);
    label->setObjectName("Label1");
    label->setGeometry(200, 76, 190, 18);
    cbExtraLabel = new QComboBox(group);
    cbExtraLabel->setObjectName("cbExtraLabel");
    cbExtraLabel->setEditable(true);
    cbExtraLabel->setMaxVisibleItems(2);
    cbExtraLabel->setGeometry(200, 96, 188, 24);

    btnOK = new QPushButton("OK", this);
    btnOK->setGeometry(244, 174, 75, 25);
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setGeometry(326, 174, 75, 25);
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
    CentreOnScreen(this);
}

void TF_ExtraLabel::rgExtraLabelClick() { cbExtraLabel->setEnabled(rbYes->isChecked()); }

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
