// Korvel: the engine and the opening library start, then the windows, then the message loop.
// `korvel FILE` opens the file as "Загрузить..." would once the windows are up.
#include <cstdio>
#include <cstring>
#include <string>

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QMessageBox>
#include <QTimer>

#include "engine/engine.h"
#include "game/controller.h"
#include "game/filecommands.h"
#include "game/tables.h"
#include "ui/application.h"
#include "ui/services.h"
#include "ui/tablesdialog.h"
#include "ui/windows.h"

namespace {

const char* const usage = "usage: korvel [FILE]\n"
                          "Opens FILE (a game .gam, a position .poz or a game in PDN .pdn) as the menu\n"
                          "item \"Загрузить...\" does. See korvel(6).\n";

} // namespace

int main(int argc, char* argv[])
{
    // Answered before the toolkit starts, which needs a display.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(usage, stdout);
            return 0;
        }
    KorvelApplication app(argc, argv); // takes the toolkit's own options out of argv
    // One file at most, as a file manager hands it over; an option is none of ours.
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::fputs(usage, stderr);
        return 2;
    }
    const std::string startFile = argc == 2 ? argv[1] : "";
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
    // Once the main window is on the screen: the file given, then the tables' question.
    QTimer::singleShot(0, [startFile] {
        OpenStartFile(startFile);
        OfferEndgameTables();
    });
    const int status = app.exec();
    DestroyWindows();
    return status;
}
