// What the windows do for the game: the services the game controller calls
// back through. Adapting these to the controller's own interface is the wiring.
#pragma once

#include <QString>
#include <QStringList>

#include "ui/bridge.h"

namespace WindowServices {

// Message boxes with OK, and with Yes and No.
void ShowMessage(const QString& text);
bool AskYesNo(const QString& text);

// Lets the windows handle what is pending (repaints, timer ticks, commands).
void PumpMessages();
// A pause that keeps the windows drawn but takes no input meanwhile.
void BlockingSleep(int milliseconds);
// Ends the program once control is back in the message loop.
void TerminateProgram();

// Board view.
void DrawBoard();
void PlayMoveSound();
bool SoundOn();
int CellSize();
int Margin();
bool Rotated();
bool SaveBoardPicture(const QString& fileName);

// Information window (lines 1 to 7) and variation window.
void SetInfoField(int line, const QString& text);
QString InfoField(int line);
void ClearInformation();
void ShowVariation(const QString& text);
bool VariationShown();

// Book window.
bool BookShown();
void ClearBook();
void AppendBook(const QString& text);
void SetBookText(const QString& text);

// Notation window.
void SetNotation(const QStringList& lines, int selectedLine, const QString& openingName);
void SetNotationLines(const QStringList& lines);
void SelectNotationLine(int line);
void SetOpeningName(const QString& name);
void ClearNotationList();
bool NotationShown();

// Move-choice dialog: the chosen line or -1.
int ChooseCapture(const QStringList& lines);

// Setup panel and mode items.
void ShowSetupPanel();
void HideSetupPanel();
bool SetupWhiteToMove();
void CheckModeItem(GameMode mode);
void UncheckModeItem(GameMode mode);
bool ModeItemChecked(GameMode mode);

// Time dialog, read by the budget recomputation before an engine move.
bool FortyMovesChosen();
QString FortyMovesText();

} // namespace WindowServices
