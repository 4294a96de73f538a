// The program's application object: whatever an event handler lets out (a timer
// tick, a dialog's button) is reported and the message loop goes on.
#pragma once

#include <QApplication>

class KorvelApplication : public QApplication {
public:
    KorvelApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
