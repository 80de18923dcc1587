#pragma once

#include <QDialog>

namespace quill {
struct Settings;
}
class Memo;
class QLineEdit;
class QPushButton;
class ZipEdit;

/// "Your Name and Address": edits the sender address of the settings record, which changes
/// only on OK.
class TF_YourAddress : public QDialog
{
    Q_OBJECT
public:
    explicit TF_YourAddress(quill::Settings& settings, QWidget* parent = nullptr);

    Memo* memoYourAddress;
    QLineEdit* editYourCity;
    QLineEdit* editYourState;
    ZipEdit* editYourZip;
    QPushButton* btnOK;
    QPushButton* btnCancel;

private:
    void FormCreate();
    void btnOKClick();
    void memoYourAddressChange();
    void memoYourAddressExit();

    quill::Settings& m_settings;
    bool m_inChange = false;
};
