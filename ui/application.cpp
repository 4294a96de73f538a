#include "ui/application.h"

#include "game/commandguard.h"

KorvelApplication::KorvelApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool KorvelApplication::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    RunGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
