#pragma once

class QWidget;

/// Moves a window to the centre of the primary screen's available area.
void CentreOnScreen(QWidget* window);
