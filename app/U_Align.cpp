#include "U_Align.h"
#include "Screen.h"

#include "GlobalVariables.h"
#include "IntegerText.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

AlignSpin::AlignSpin(QWidget* parent) : QSpinBox(parent)
{
    setRange(-999, 999);
    setSingleStep(1);
    lineEdit()->setMaxLength(3);
}

int AlignSpin::typedValue() const
{
    auto v = quill::ParseInteger(text().toStdString());
    if (!v)
        return -999;
    return std::clamp(*v, minimum(), maximum());
}

void AlignSpin::fixup(QString& input) const
{
    auto v = quill::ParseInteger(input.toStdString());
    input = QString::number(v ? std::clamp(*v, minimum(), maximum()) : -999);
}

QValidator::State AlignSpin::validate(QString& input, int&) const
{
    if (input.isEmpty() || input == "-" || input == "+")
        return QValidator::Intermediate;
    auto v = quill::ParseInteger(input.toStdString());
    if (!v)
        return QValidator::Invalid;
    return (*v >= minimum() && *v <= maximum()) ? QValidator::Acceptable : QValidator::Intermediate;
}

TF_Align::TF_Align(quill::Settings& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_settings(settings)
{
    setWindowTitle("Printer Alignment");
    setFixedSize(297, 158);

    auto* group = new QGroupBox(this);
    group->setObjectName("GroupBox1");
    group->setGeometry(6, 2, 285, 116);
    auto* text =
        new QLabel("The numbers below will move the text on the form either 1/100\" to the right if a "
                   "negative number or to the left if a positive number.  It also can move the text  "
                   "1/100\" up if a positive number and down if a negative number.",
                   group);
    text->setObjectName("Label2");
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    text->setGeometry(6, 8, 273, 58);
    QFont small = text->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    text->setFont(small);
    auto* lr = new QLabel("Left && Right", group);
    lr->setTextFormat(Qt::PlainText);
    lr->setText("Left & Right");
    lr->setObjectName("Label4");
    auto* ud = new QLabel("Up and Down", group);
    ud->setObjectName("Label5");
    for (QLabel* l : {lr, ud}) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    lr->setGeometry(30, 66, 100, 18);
    ud->setGeometry(160, 66, 100, 18);
    spinLeftRight = new AlignSpin(group);
    spinLeftRight->setObjectName("spinLeftRight");
    spinLeftRight->setGeometry(30, 84, 90, 24);
    SpinUpDown = new AlignSpin(group);
    SpinUpDown->setObjectName("SpinUpDown");
    SpinUpDown->setGeometry(160, 84, 90, 24);

    btnOK = new QPushButton("OK", this);
    btnOK->setGeometry(132, 126, 75, 25);
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setGeometry(214, 126, 75, 25);
    btnOK->setAutoDefault(false);
    btnCancel->setAutoDefault(false);
    setTabOrder(spinLeftRight, SpinUpDown);
    setTabOrder(SpinUpDown, btnOK);
    setTabOrder(btnOK, btnCancel);

    spinLeftRight->setValue(settings.LeftRight);
    SpinUpDown->setValue(settings.TopBottom);
    btnOK->setDefault(true); // Enter confirms
    connect(btnOK, &QPushButton::clicked, this, &TF_Align::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    CentreOnScreen(this);
    spinLeftRight->setFocus();
}

void TF_Align::btnOKClick()
{
    m_settings.LeftRight = spinLeftRight->typedValue();
    m_settings.TopBottom = SpinUpDown->typedValue();
    accept();
}
