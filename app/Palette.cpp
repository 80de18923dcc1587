#include "Palette.h"

#include <QColor>
#include <QWidget>

void SetEnabledColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Active, role, colour);
    p.setColor(QPalette::Inactive, role, colour);
    widget->setPalette(p);
}
