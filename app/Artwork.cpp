#include "Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QPixmap ProductBanner(const QSize& size)
{
    QPixmap pm(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, size.width(), 0);
    g.setColorAt(0, QColor(0, 64, 0));
    g.setColorAt(1, QColor(40, 130, 60));
    p.fillRect(pm.rect(), g);

    // A quill across the left end.
    const qreal h = size.height();
    QPainterPath quill;
    quill.moveTo(10, h - 8);
    quill.cubicTo(18, h * 0.45, 34, h * 0.15, 52, 6);
    quill.cubicTo(44, h * 0.35, 30, h * 0.6, 14, h - 10);
    quill.closeSubpath();
    p.setPen(QPen(QColor(255, 255, 255), 1));
    p.setBrush(QColor(235, 245, 235));
    p.drawPath(quill);

    QFont f("Arial");
    f.setBold(true);
    f.setItalic(true);
    f.setPixelSize(int(h * 0.55));
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(60, 0, size.width() - 64, h * 0.72), Qt::AlignLeft | Qt::AlignVCenter, "Quillmark");
    QFont small("Arial");
    small.setPixelSize(int(h * 0.2));
    p.setFont(small);
    p.setPen(QColor(220, 240, 220));
    p.drawText(QRectF(62, h * 0.68, size.width() - 64, h * 0.3), Qt::AlignLeft | Qt::AlignTop,
               "Certified Mail Printing");
    return pm;
}

QPixmap MakerLogo(const QSize& size)
{
    QPixmap pm(size);
    pm.fill(QColor(192, 220, 192));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal h = size.height();
    const qreal w = size.width();
    p.setPen(QPen(QColor(0, 0, 128), 2));
    p.setBrush(QColor(255, 255, 255));
    QRectF badge(4, 4, h - 8, h - 8);
    p.drawEllipse(badge);
    QFont mark("Arial");
    mark.setBold(true);
    mark.setPixelSize(int(h * 0.45));
    p.setFont(mark);
    p.drawText(badge, Qt::AlignCenter, "E");
    QFont name("Arial");
    name.setBold(true);
    name.setPixelSize(int(std::min(h * 0.34, (w - h) / 9.5)));
    p.setFont(name);
    p.setPen(QColor(0, 0, 128));
    p.drawText(QRectF(h, 0, w - h - 4, h * 0.62), Qt::AlignLeft | Qt::AlignBottom, "Eastvale Software");
    QFont tag("Arial");
    tag.setPixelSize(int(std::max(9.0, h * 0.16)));
    p.setFont(tag);
    p.setPen(QColor(0, 96, 0));
    p.drawText(QRectF(h, h * 0.62, w - h - 4, h * 0.36), Qt::AlignLeft | Qt::AlignTop, "Mailing made exact");
    return pm;
}
