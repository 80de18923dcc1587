#include "PlatformServices.h"
#include "Startup.h"

#include <QApplication>
#include <QStyleFactory>

#include <clocale>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C"); // amounts always use the point
    app.setStyle(QStyleFactory::create("Fusion"));
    QtPlatformServices services;
    return RunProgram(app, services);
}
