#include "U_Help.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

TF_Help::TF_Help(const QString& helpFile, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle("Quillmark Help");
    resize(640, 560);
    m_browser = new QTextBrowser(this);
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    QFile file(helpFile);
    if (file.open(QIODevice::ReadOnly)) {
        m_browser->setSearchPaths({QFileInfo(helpFile).absolutePath()});
        m_browser->setHtml(QString::fromUtf8(file.readAll()));
    } else {
        m_browser->setPlainText(QString("The help file %1 cannot be read.").arg(helpFile));
    }
}

TF_Help* TF_Help::showFile(const QString& helpFile)
{
    // "Quill3.hlp#alignment" opens the file at that section; the file alone at its contents.
    const qsizetype hash = helpFile.lastIndexOf('#');
    const QString file = hash < 0 ? helpFile : helpFile.left(hash);
    const QString anchor = hash < 0 ? QString("contents") : helpFile.mid(hash + 1);
    static QPointer<TF_Help> window;
    if (!window) {
        window = new TF_Help(file);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->browser()->scrollToAnchor(anchor);
    // Asked for from a modal dialog (the alignment dialog's Help), the window would open blocked
    // behind it: no scrolling, no raising, while the clerk needs the steps beside the dialog. It
    // belongs to that dialog while it is open and goes back to being on its own when it closes.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && window->parentWidget() != modal) {
        window->setParent(modal, Qt::Window);
        modal->installEventFilter(window);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

bool TF_Help::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Hide) {
        watched->removeEventFilter(this);
        const QRect place = geometry();
        setParent(nullptr, Qt::Window);
        setGeometry(place);
        show();
    }
    return QWidget::eventFilter(watched, event);
}
