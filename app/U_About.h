#pragma once

#include <QDialog>
#include <QTimer>

class PlatformServices;
class QFrame;
class QLabel;
class QPushButton;

/// The About window, which also serves as the start-up splash (IsSplash 1): then only the
/// banner shows, for at least 3000 ms, and its links and keys do nothing.
class TF_About : public QDialog
{
    Q_OBJECT
public:
    TF_About(PlatformServices& services, const QString& company, const QString& programFolder, int isSplash,
             QWidget* parent = nullptr);

    /// "Version " and the first three of the program's four version numbers; "Version 3.0"
    /// when the program carries no version.
    static QString VersionLabel(const QString& fileVersion);

    int IsSplash;
    QFrame* panelMain;
    QLabel* Image1;
    QLabel* imageCompany;
    QFrame* panelInfo;
    QLabel* labelStreet;
    QLabel* labelCity;
    QLabel* labelWebSite;
    QLabel* labelEMail;
    QLabel* labelVersion;
    QLabel* labelCopyright;
    QPushButton* btnOK;
    QTimer Timer1;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void Timer1Timer();
    void labelWebSiteClick();
    void labelEMailClick();

    PlatformServices& m_services;
    QString m_company;
    QString m_programFolder;
    QFrame* m_border;
    bool m_shown = false;
};
