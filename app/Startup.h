#pragma once

#include <QStringList>

class PlatformServices;
class QApplication;

/// The faces the printed form and the bar-code text need that do not resolve to a real font
/// on this machine.
QStringList MissingFonts();

/// Start-up: the splash, the main window, the wait for the splash, the event loop. Returns
/// the program's exit status.
int RunProgram(QApplication& app, PlatformServices& services, int splashMilliseconds = 3000);
