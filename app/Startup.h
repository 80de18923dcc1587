#pragma once

#include <QStringList>

#include <memory>

class PlatformServices;
class QApplication;
class TF_Main;

/// The faces the printed form and the bar-code text need that do not resolve to a real font
/// on this machine.
QStringList MissingFonts();

/// Start-up up to the event loop: shows the splash, creates the main window in
/// `programFolder`, and waits, painting, until the splash has been up for its time. The
/// splash is closed by the main window's first show.
std::unique_ptr<TF_Main> StartProgram(PlatformServices& services, const QString& programFolder,
                                      int splashMilliseconds = 3000);

/// The whole program: StartProgram, the font check, the main window shown, the event loop.
/// Returns the program's exit status.
int RunProgram(QApplication& app, PlatformServices& services);
