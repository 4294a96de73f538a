// Korvel: the engine and the opening library start, then the windows, then the message loop.
#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QMessageBox>
#include <QTimer>

#include "engine/engine.h"
#include "game/controller.h"
#include "game/tables.h"
#include "ui/application.h"
#include "ui/services.h"
#include "ui/tablesdialog.h"
#include "ui/windows.h"

int main(int argc, char* argv[])
{
    KorvelApplication app(argc, argv);
    // The program speaks Russian: the toolkit's own dialogs (files, colours) too.
    QTranslator toolkitTexts;
    if (toolkitTexts.load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&toolkitTexts);
    ResolveDataPaths();
    // Messages of the start-up (a library that cannot be read) already show in boxes.
    installWindowControlUi();
    try {
        StartUp();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QStringLiteral("Korvel"), QString::fromStdString(error.what()));
        return 1;
    }
    CreateWindows();
    // Asked once the main window is on the screen.
    QTimer::singleShot(0, [] { OfferEndgameTables(); });
    const int status = app.exec();
    DestroyWindows();
    return status;
}
