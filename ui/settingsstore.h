// The settings that stay between runs, kept with Qt's settings in the user's
// configuration folder ($XDG_CONFIG_HOME/korvel/korvel.conf): the game's choices (level,
// the settings dialog's switches, the board, sound, time control), the window's
// geometry and its panels, and each file dialog's last folder and format. A missing,
// unreadable or damaged file gives the defaults.
#pragma once

#include <QString>

QString settingsFilePath();

enum class FileDialogKind { Load, Save };
// A file dialog's last folder and filter, to open it there next time.
struct FileDialogMemory {
    QString folder;
    QString filter;
    void remember(const QString& chosenFile);
};
FileDialogMemory& fileDialogMemory(FileDialogKind kind);

// Once the windows exist and the main window is shown: the stored choices in force, the
// controls and marks showing them, the window and its panels where they were (at the
// first start: centred, the board about two thirds of the screen high).
void RestoreSettings();
// Writes everything as it is now.
void StoreSettings();
// "Сбросить настройки": the defaults of every choice, the panels in their first places.
void ResetSettings();
