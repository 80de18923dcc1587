#pragma once

class QSize;
class QWidget;

/// Moves a window to the centre of the primary screen's available area, its frame included
/// when the window system has framed it already.
void CentreOnScreen(QWidget* window);

/// Keeps a fixed-size window's outer size, frame and title bar included, at `outer`: the
/// client area is what the frame leaves. The frame is known only once the window system has
/// framed the shown window, so the client area is fitted again whenever the window is shown or
/// moved (a window manager frames it with a move), and the window is centred again the first
/// time its size changes that way.
void KeepOuterSize(QWidget* window, const QSize& outer);
