#include "U_YourAddress.h"
#include "Screen.h"

#include "GlobalVariables.h"
#include "LimitedEdit.h"
#include "Memo.h"
#include "U_CommonAPI.h"
#include "ZipEdit.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {
QString q(const std::string& s)
{
    return QString::fromStdString(s);
}
} // namespace

TF_YourAddress::TF_YourAddress(quill::Settings& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings)
{
    setObjectName("F_youraddress");
    setWindowTitle("Your Name and Address");
    setFixedSize(303, 181);

    auto* group = new QGroupBox("Enter your Name and Address", this);
    group->setGeometry(8, 4, 287, 132);
    QFont bold = group->font();
    bold.setBold(true);
    group->setFont(bold);
    QFont plain = font();
    plain.setBold(false);

    memoYourAddress = new Memo(group);
    memoYourAddress->setObjectName("memoYourAddress");
    memoYourAddress->setFont(plain);
    memoYourAddress->setGeometry(12, 20, 264, 60);

    editYourCity = new LimitedEdit(35, group);
    editYourCity->setObjectName("editYourCity");
    editYourCity->setFont(plain);
    editYourState = new LimitedEdit(4, group);
    editYourState->setObjectName("editYourState");
    editYourState->setFont(plain);
    editYourZip = new ZipEdit(group);
    editYourZip->setObjectName("editYourZip");
    editYourZip->setFont(plain);
    // The row ends with the memo's right edge: the ZIP as wide as a ZIP+4 needs in its font,
    // the State field before it, and the City field takes what is left.
    const int right = memoYourAddress->geometry().right() + 1;
    const int zipWidth = editYourZip->fittingWidth();
    const int zipLeft = right - zipWidth;
    const int stateLeft = zipLeft - 6 - 40;
    editYourZip->setGeometry(zipLeft, 100, zipWidth, 22);
    editYourState->setGeometry(stateLeft, 100, 40, 22);
    editYourCity->setGeometry(12, 100, stateLeft - 6 - 12, 22);
    auto caption = [&](const QString& text, const QWidget* field) {
        auto* l = new QLabel(text, group);
        l->setFont(plain);
        l->move(field->x(), 84);
    };
    caption("City", editYourCity);
    caption("State", editYourState);
    caption("Zip", editYourZip);

    btnOK = new QPushButton("OK", this);
    btnOK->setObjectName("btnOK");
    btnOK->setGeometry(134, 146, 75, 25);
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setObjectName("btnCancel");
    btnCancel->setGeometry(216, 146, 75, 25);
    btnOK->setAutoDefault(false);
    btnCancel->setAutoDefault(false);

    setTabOrder(memoYourAddress, editYourCity);
    setTabOrder(editYourCity, editYourState);
    setTabOrder(editYourState, editYourZip);
    setTabOrder(editYourZip, btnOK);
    setTabOrder(btnOK, btnCancel);

    btnOK->setDefault(true); // Enter confirms
    connect(btnOK, &QPushButton::clicked, this, &TF_YourAddress::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(memoYourAddress, &Memo::textChanged, this, &TF_YourAddress::memoYourAddressChange);
    connect(memoYourAddress, &Memo::left, this, &TF_YourAddress::memoYourAddressExit);

    FormCreate();
    memoYourAddress->setFocus();
    CentreOnScreen(this);
}

void TF_YourAddress::FormCreate()
{
    QStringList lines;
    for (const std::string* l : {&m_settings.Line1, &m_settings.Line2, &m_settings.Line3, &m_settings.Line4})
        if (!l->empty())
            lines.append(q(*l));
    memoYourAddress->setPlainText(lines.join('\n'));
    editYourCity->setText(q(m_settings.City));
    editYourState->setText(q(m_settings.State));
    editYourZip->setMaskedText(q(m_settings.Zip));
}

void TF_YourAddress::memoYourAddressChange()
{
    if (m_inChange)
        return;
    m_inChange = true;
    memoYourAddress->limitLines(4);
    m_inChange = false;
}

void TF_YourAddress::memoYourAddressExit()
{
    const QStringList lines = memoYourAddress->lines();
    for (int i = 0; i < std::min<int>(4, lines.size()); ++i)
        memoYourAddress->setLine(i, lines[i]);
}

void TF_YourAddress::btnOKClick()
{
    const QStringList lines = memoYourAddress->lines();
    auto line = [&](int i) { return i < lines.size() ? lines[i].toStdString() : std::string(); };
    m_settings.Line1 = line(0);
    m_settings.Line2 = line(1);
    m_settings.Line3 = line(2);
    m_settings.Line4 = line(3);
    m_settings.City = editYourCity->text().toStdString();
    m_settings.State = editYourState->text().toStdString();
    m_settings.Zip = quill::TrimZip(editYourZip->maskedText().toStdString());
    accept();
}
