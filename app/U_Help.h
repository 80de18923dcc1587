#pragma once

#include <QWidget>

class QTextBrowser;

/// The program's own help window: shows the help file "Quill3.hlp" (HTML) at its contents.
class TF_Help : public QWidget
{
    Q_OBJECT
public:
    explicit TF_Help(const QString& helpFile, QWidget* parent = nullptr);

    /// Opens the one help window of the program, or brings it to the front, at the contents.
    static TF_Help* showFile(const QString& helpFile);

    QTextBrowser* browser() const { return m_browser; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTextBrowser* m_browser;
};
