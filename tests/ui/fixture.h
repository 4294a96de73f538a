// Shared set-up of the window tests: the engine and every window, as at start-up.
#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "engine/engine.h"
#include "game/controller.h"
#include "ui/boardview.h"
#include "ui/unit1.h"
#include "ui/windows.h"

// Each test program keeps its stored settings in a folder of its own, empty at start, as a
// new user's.
inline QString isolateSettings()
{
    static QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.path().toUtf8());
    return folder.path();
}

// The centre of a square by its name, in the board widget's pixels.
inline QPoint squareCentre(const char* name)
{
    const int i = name[0] - 'a', j = '8' - name[1];
    const int cell = cellSize();
    return squareCorner(i, j) + QPoint(cell / 2, cell / 2);
}

inline void dragOnBoard(const char* from, const char* to)
{
    QWidget* board = Form1->boardWidget();
    QTest::mousePress(board, Qt::LeftButton, Qt::NoModifier, squareCentre(from));
    QTest::mouseRelease(board, Qt::LeftButton, Qt::NoModifier, squareCentre(to));
}

// Waits until the engine's turn is over (it runs inside the release handler, so
// by then it usually is).
inline bool engineIdle()
{
    for (int k = 0; k < 500 && gameControl.thinking; ++k) QTest::qWait(10);
    return !gameControl.thinking;
}

inline void startProgram()
{
    isolateSettings();
    seedRandom(12345);
    StartUp();
    CreateWindows();
}

// Closes the next modal window (message box or dialog) that opens, and keeps its text.
class ModalCloser : public QObject {
public:
    QString seenTitle;
    QString seenText;
    bool seen = false;

    void arm(int button = QMessageBox::Ok)
    {
        QTimer::singleShot(0, this, [this, button] { poll(button, 200); });
    }

private:
    void poll(int button, int triesLeft)
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            if (triesLeft > 0) QTimer::singleShot(10, this, [this, button, triesLeft] { poll(button, triesLeft - 1); });
            return;
        }
        seen = true;
        seenTitle = modal->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seenText = box->text();
            if (QAbstractButton* b = box->button(static_cast<QMessageBox::StandardButton>(button))) b->click();
            else box->done(button);
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        }
    }
};
