#include "Screen.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void CentreOnScreen(QWidget* window)
{
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect outer(QPoint(), window->frameGeometry().size());
        window->move(screen->availableGeometry().center() - outer.center());
    }
}

namespace {

class OuterSizeKeeper : public QObject
{
public:
    OuterSizeKeeper(QWidget* window, const QSize& outer) : QObject(window), m_window(window), m_outer(outer)
    {
        window->setFixedSize(outer); // until the frame is known
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && (event->type() == QEvent::Show || event->type() == QEvent::Move))
            fit();
        return false;
    }

private:
    void fit()
    {
        const QSize frame = m_window->frameGeometry().size() - m_window->size();
        const QSize client = m_outer - frame;
        if (client == m_window->size() || client.isEmpty())
            return;
        m_window->setFixedSize(client);
        if (!m_centred) {
            m_centred = true;
            CentreOnScreen(m_window);
        }
    }

    QWidget* m_window;
    QSize m_outer;
    bool m_centred = false;
};

} // namespace

void KeepOuterSize(QWidget* window, const QSize& outer)
{
    new OuterSizeKeeper(window, outer);
}
