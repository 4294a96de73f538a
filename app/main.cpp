// Korvel: the engine starts, then the windows, then the message loop.
#include <QApplication>
#include <QMessageBox>

#include "engine/engine.h"
#include "engine/search.h"
#include "game/datafiles.h"
#include "ui/bridge.h"
#include "ui/windows.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    configFileName = dataFilePath("korvel.ini");
    try {
        initEngine();
        finishStartup();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QStringLiteral("Korvel"), QString::fromStdString(error.what()));
        return 1;
    }
    timeBudget = 200;
    Controller::LoadOpeningLibrary();
    CreateWindows();
    const int status = app.exec();
    DestroyWindows();
    return status;
}
