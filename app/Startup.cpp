#include "Startup.h"

#include "GlobalVariables.h"
#include "PlatformServices.h"
#include "U_About.h"
#include "U_Main.h"

#include <QApplication>
#include <QEventLoop>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>

QStringList MissingFonts()
{
    // fontconfig answers every family with some face; what matters is which one it picked.
    struct Need
    {
        const char* family;
        QStringList accepted;
    };
    const Need needs[] = {
        {"OCR A Extended", {"OCR A Extended", "OCRA", "OCR A"}},
        {"Arial", {"Arial", "Liberation Sans"}},
        {"Courier New", {"Courier New", "Liberation Mono"}},
    };
    QStringList missing;
    for (const Need& n : needs) {
        const QString got = QFontInfo(QFont(n.family)).family();
        if (!n.accepted.contains(got, Qt::CaseInsensitive))
            missing.append(n.family);
    }
    return missing;
}

std::unique_ptr<TF_Main> StartProgram(PlatformServices& services, const QString& programFolder,
                                      int splashMilliseconds)
{
    // The form names the OCR face by its usual name; this platform ships it as "OCRA".
    QFont::insertSubstitution("OCR A Extended", "OCRA");

    // The splash shows the brand before the settings are loaded by the main window.
    quill::IniFile ini;
    ini.load((programFolder + quill::SettingsFileName).toStdString());
    auto* splash = new TF_About(services, QString::fromStdString(ini.readString("Type", "Company", "")),
                                programFolder, 1);
    splash->Timer1.setInterval(splashMilliseconds);
    splash->show();
    QCoreApplication::processEvents();

    // No application display name is set: the toolkit would append it to every window's
    // title, and each title must read exactly as its caption.
    auto main = std::make_unique<TF_Main>(services, programFolder);
    main->setSplash(splash);

    // Keep the splash up for its full time, painting it meanwhile.
    if (splash->Timer1.isActive()) {
        QEventLoop wait;
        QObject::connect(&splash->Timer1, &QTimer::timeout, &wait, &QEventLoop::quit);
        wait.exec();
    }
    return main;
}

int RunProgram(QApplication& app, PlatformServices& services)
{
    auto main = StartProgram(services, QCoreApplication::applicationDirPath() + "/");
    const QStringList missing = MissingFonts();
    if (!missing.isEmpty())
        services.messageBox(main.get(), PlatformServices::BoxKind::Warning, quill::ApplicationTitle,
                            "These fonts are not installed, so printed forms will not come out right: " +
                                missing.join(", ") + ".",
                            PlatformServices::bit(PlatformServices::Ok));
    main->show();
    return app.exec();
}
