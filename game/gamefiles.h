// Saving and loading: the game file (".gam", an image of the game record), the
// position file (".poz"), the notation as text (".txt"), a picture (".bmp") and the
// game in PDN (".pdn"). The dialogs belong to the windows; these operations take the
// chosen name and type.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "game/record.h"

// The save dialog's types in its order (filter index 1 to 5).
enum class SaveType : std::uint8_t { Game = 1, Position = 2, Text = 3, Picture = 4, Pdn = 5 };

constexpr std::size_t gameFileSize = 14412;
constexpr std::size_t positionFileSize = 20;

extern const char* const overwriteQuestion;

// The four sets in the position file's order and the side to move.
struct PositionImage {
    SquareSet whiteMen = 0;
    SquareSet blackMen = 0;
    SquareSet whiteKings = 0;
    SquareSet blackKings = 0;
    std::int32_t side = 0;
};

// The type a name's own extension asks for (".gam", ".poz", ".txt", ".bmp", ".pdn"),
// whatever type the dialog's filter shows; the filter's type for any other name.
SaveType saveTypeForName(const std::string& name, SaveType chosen);
// Adds the type's extension unless the name already ends with it (case matters).
std::string completeFileName(const std::string& name, SaveType type);
// A name holding ".gam" anywhere is a game file, anything else a position file;
// except that a name ending in ".pdn", in any case, is a PDN file.
bool isGameFileName(const std::string& name);
bool isPdnFileName(const std::string& name);

std::string encodeGameRecord(const GameRecord& record);
std::string encodePosition(const PositionImage& position);
// Both refuse an image of the wrong size or with impossible contents: header outside
// 1 <= plyNumber <= redoLimit <= 600, a side other than 0 or 1, overlapping sets.
bool decodeGameRecord(const std::string& bytes, GameRecord& record);
std::optional<PositionImage> decodePosition(const std::string& bytes);
// The notation list of the game record, each line ended by CR LF.
std::string notationText();

// Writes the bytes under the name whole or not at all, through a temporary file
// beside it that no other file can be mistaken for; the file is on disk before it
// takes the name, and a replaced file's permissions are kept.
bool writeFileWhole(const std::string& fileName, const std::string& bytes);
// After a rename the new name is only safe on disk once its folder is: flushes the
// folder that holds the file.
void syncFolderOf(const std::string& fileName);

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

// What a load does once the file is read: leave setup, two-player mode, a running
// search stopped and abandoned, the board and notation refreshed. A game continues
// at its record's plyNumber with savedSide to move; a position starts a new record.
void ContinueFromGame(const GameRecord& record);
void ContinueFromPosition(const PositionImage& position);
