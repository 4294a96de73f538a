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

// A file written beside its target under a hidden temporary name (.NAME.XXXXXX) and
// given the name later: once prepare() succeeds the bytes are on disk, commit() puts
// them in place. One never committed is removed. A target that is a symbolic link is
// written through to the file the link names, so that the link stays a link; a
// replaced file's permissions are kept.
class PreparedFile {
public:
    PreparedFile() = default;
    ~PreparedFile();
    PreparedFile(const PreparedFile&) = delete;
    PreparedFile& operator=(const PreparedFile&) = delete;

    bool prepare(const std::string& fileName, const std::string& bytes);
    bool commit();
    // Why the last step failed: the file and the system's reason.
    const std::string& error() const { return error_; }

private:
    bool failed(const std::string& file, int errorNumber);
    void discard();

    std::string target_;
    std::string temporary_;
    std::string error_;
    int fd_ = -1; // kept open and locked until the rename: a leftover is one nobody holds
};

// Writes the bytes under the name whole or not at all, through a temporary file
// beside it that no other file can be mistaken for; the file is on disk before it
// takes the name. On failure `why` gets the file and the system's reason.
bool writeFileWhole(const std::string& fileName, const std::string& bytes, std::string* why = nullptr);
// The bytes of a regular file; nothing when it cannot be read, and then `why` gets the
// file and the system's reason (a folder, no permission, an error while reading).
std::optional<std::string> readFileWhole(const std::string& fileName, std::string* why = nullptr);
// Removes the temporaries that writes of this name left when the program was killed
// in the middle: hidden .NAME.XXXXXX files beside it that no running write holds.
void removeStaleTemporaries(const std::string& fileName);
// The file a name stands for once symbolic links are followed, also when the last
// one names a file that does not exist yet.
std::string finalTarget(const std::string& fileName);
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
