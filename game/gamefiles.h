// The files of a game: the game file (".gam", an image of the game record), the
// position file (".poz"), the notation as text (".txt"), a picture (".bmp") and the
// game in PDN (".pdn"); their names, types and bytes. Saving and loading them as
// commands of the play is game/filecommands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "game/record.h"

// The save dialog's types in its order (filter index 1 to 5).
enum class SaveType : std::uint8_t { Game = 1, Position = 2, Text = 3, Picture = 4, Pdn = 5 };

constexpr std::size_t gameFileSize = 14412;
constexpr std::size_t positionFileSize = 20;

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
