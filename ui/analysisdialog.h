// The whole-game analysis's dialogs: the time per half-move asked before it starts,
// and the progress while it runs, with "Отмена".
#pragma once

#include <QStringList>

// The choices of time per half-move, in hundredths of a second, and their captions.
extern const int analysisTimeChoices[];
QStringList analysisTimeCaptions();
// Hundredths of a second per half-move, or 0 when the user cancels. One second is
// offered first.
int AskAnalysisTime();
// Shows (the first time) and updates the modal progress dialog; false once "Отмена"
// was pressed or the dialog closed.
bool ShowAnalysisProgress(int done, int total, int secondsLeft);
void CloseAnalysisProgress();
