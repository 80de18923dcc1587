#pragma once

#include <QPalette>

class QColor;
class QWidget;

/// Gives `role` of `widget`'s palette the colour `colour` while the widget is enabled (active
/// or inactive window). The disabled colours stay the style's, so a disabled control still
/// looks disabled.
void SetEnabledColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour);
