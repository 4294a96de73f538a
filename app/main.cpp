// Korvel: the engine starts, then the windows, then the message loop.
#include <QApplication>
#include <QMessageBox>

#include "engine/engine.h"
#include "engine/search.h"
#include "ui/bridge.h"
#include "ui/windows.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    try {
        initEngine();
        finishStartup();
    } catch (const ConfigError& error) {
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
