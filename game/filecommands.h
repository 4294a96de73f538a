// Saving, loading and pasting as commands of the play: they ask, tell, switch the mode
// and continue the game from what was read. The files' forms are game/gamefiles, the
// writing game/filewriting.
#pragma once

#include <string>

#include "game/gamefiles.h"

extern const char* const overwriteQuestion;

// Completes the name, asks before overwriting, and writes the file whole or not at
// all. The picture type writes the image bytes handed over by the board view.
// Returns true when a file was written.
bool SaveGameFiles(const std::string& chosenName, SaveType type, const std::string& pictureBytes = {});
// Reads a game, PDN or position file by its name and continues from it in two-player
// mode; a file that cannot be read or is malformed is refused with a message and
// the game in progress stays as it was. Of a PDN file with several games the user
// chooses one (ControlUi::chooseGame); cancelling changes nothing.
bool LoadGameFiles(const std::string& fileName);
extern const char* const loadedStatus; // the status bar's word after a load

// The file the program was started with (`korvel FILE`, a file opened from the
// desktop), loaded once the windows exist as "Загрузить..." loads it: on success the
// game continues from it with two players. A file that is refused gets the usual
// message and the program goes on with the new game it started with. An empty name
// loads nothing.
bool OpenStartFile(const std::string& fileName);

// What a load does once the file is read: leave setup, two-player mode, a running
// search stopped and abandoned, the board and notation refreshed. A game continues
// at its record's plyNumber with savedSide to move; a position starts a new record.
void ContinueFromGame(const GameRecord& record);
void ContinueFromPosition(const PositionImage& position);

// The FEN of the game position; while the engine thinks that is the position its
// turn started from, not the one of the search tree.
std::string CopyPositionFen();
// Starts a new game from the position of a FEN string, as loading a position file
// does. An invalid string is refused with a message saying what is wrong and
// nothing changes.
bool PastePositionFen(const std::string& text);
extern const char* const pastedStatus; // the status bar's word after a paste
