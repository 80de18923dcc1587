#include "MessageBoxWithButtons.h"
#include "Screen.h"

#include "PlatformServices.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

TButtonsBox::TButtonsBox(const QString& caption, const QString& text, const QStringList& captions,
                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(caption);
    int width = 325;
    int height = 185;

    const QFontMetrics fm(font());
    const int n = static_cast<int>(captions.size());
    int w = 0;
    for (const QString& c : captions)
        w = std::max(w, fm.horizontalAdvance(c)); // measured with its "&", as the caption reads
    w += 10;
    const int needed = n * w + 10 * (n + 1);
    if (needed > width)
        width = needed;
    const int textWidth = fm.horizontalAdvance(text);
    if (textWidth < needed)
        width = needed;

    const int h = fm.height();
    const int clientWidth = width;
    int textHeight = 3 * h;
    if (clientWidth < textWidth)
        textHeight = (textWidth / clientWidth + 3) * h;
    height = textHeight + 4 * h + 22;
    setFixedSize(width, height);

    m_label = new QLabel(text, this);
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setGeometry(10, 10, clientWidth - 20, textHeight);

    for (int i = 1; i <= n; ++i) {
        auto* b = new QPushButton(captions[i - 1], this);
        b->setAutoDefault(false);
        b->setGeometry(width - i * (w + 10), height - 35, w, 25);
        connect(b, &QPushButton::clicked, this, [this, i] { done(i); });
        m_buttons.append(b);
    }
    if (!m_buttons.isEmpty())
        m_buttons.last()->setFocus();

    CentreOnScreen(this);
}

void TButtonsBox::reject()
{
    done(2);
}

int MessageBoxWithButtons(PlatformServices& services, const QString& caption, const QString& text,
                          const QStringList& buttons, QWidget* parent)
{
    TButtonsBox box(caption, text, buttons, parent);
    return services.execDialog(box);
}
