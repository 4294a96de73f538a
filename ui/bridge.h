// The game operations the windows call. The windows only draw, read their
// controls and forward here; every rule of play lives behind these functions in
// the game controller. This header and bridge.cpp are the one place that binds
// the windows to it.
#pragma once

#include <QString>

enum GameMode : unsigned char {
    EngineWhite = 0,
    EngineBlack = 1,
    Setup = 2,
    EngineBoth = 3,
    Analysis = 4,
    HumanHuman = 5,
};

// The keys the board reacts to.
enum class BoardKeyCode { Enter, PageUp, PageDown, Home, End, Insert, Delete };

// The save dialog's types, in the order of its filter.
enum class SaveKind { Game = 1, Position = 2, Text = 3, Picture = 4 };

namespace Controller {

// Start-up, before the windows exist: the opening library.
void LoadOpeningLibrary();

// Game menu.
void StartNewGame();
void NewGameCommand();
void OfferDraw();
void LoadChosenFile(const QString& fileName);
void SaveChosenFile(const QString& fileName, SaveKind kind);
void StepBack();
void StepForward();
void MoveBack();
void MoveForward();

// Settings menu follow-ups, after the item's check mark has been flipped.
void BookWindowToggled();
void NotationWindowToggled();
void InformationToggled(bool shown);
void PonderToggled(bool enabled);

// Mode menu.
void SetMode(GameMode mode);
void EnterSetup();

// The board: client pixels, button 0 left and 1 right.
void BoardPress(int button, int x, int y);
void BoardRelease(int button, int x, int y);
void BoardKey(BoardKeyCode key);

// Setup panel.
void SetupInitial();
void SetupClear();
void SetupCancel();
void SetupDone();

// Notation window buttons.
void NotationBack();
void NotationForward();

// Settings dialog.
void BookUseChanged(bool enabled);
void LibraryFileChosen(const QString& fullName);

// Clock: one tick a second, true when it counted; the totals in seconds.
bool ClockTick();
int whiteClockSeconds();
int blackClockSeconds();

bool thinking();
void OnMainWindowClose();

} // namespace Controller
