#include "game/gamefiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/search.h"
#include "game/analysis.h"
#include "game/control.h"
#include "game/controller.h"
#include "game/drawrules.h"
#include "game/controlui.h"
#include "game/gamechange.h"
#include "game/gameui.h"
#include "game/notation.h"
#include "game/pdn.h"

const char* const overwriteQuestion = "Файл уже существует. Перезаписать?";

namespace {

const char* const saveFailedMessage = "Не удалось записать файл!";
const char* const readFailedMessage = "Не удалось прочитать файл!";
const char* const badGameFileMessage = "Файл не является файлом партии!";
const char* const badPositionFileMessage = "Файл не является файлом позиции!";

constexpr std::size_t recordHeaderSize = 12;
constexpr std::size_t entrySize = 24;

void putWord(std::string& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t getWord(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

bool disjoint(std::initializer_list<SquareSet> sets)
{
    SquareSet seen = 0;
    for (SquareSet s : sets) {
        if (seen & s) return false;
        seen |= s;
    }
    return true;
}

const char* extensionOf(SaveType type)
{
    switch (type) {
    case SaveType::Game: return ".gam";
    case SaveType::Position: return ".poz";
    case SaveType::Text: return ".txt";
    case SaveType::Picture: return ".bmp";
    case SaveType::Pdn: return ".pdn";
    }
    return "";
}

// The permissions of the file a save replaces, so that replacing it keeps them; a new
// file gets the permissions any new file gets.
mode_t permissionsFor(const std::string& fileName)
{
    struct stat existing {};
    if (::stat(fileName.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A file beside the target under a name no other file has: created exclusively, so
// that no file of the user's is ever taken for the temporary one. mkstemp makes it
// private; it gets the permissions the saved file is to have.
int createTemporaryBeside(const std::string& fileName, std::string& temporary)
{
    const std::filesystem::path target(fileName);
    std::string name(1, '.');
    name.append(target.filename().string()).append(".XXXXXX");
    temporary = (target.parent_path() / name).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return -1;
    ::fchmod(fd, permissionsFor(fileName));
    return fd;
}

bool writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<std::string> readWhole(const std::string& fileName)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error)) return std::nullopt;
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

// While the engine thinks the board holds a position of the search tree; the game
// position is the one the turn started from.
PositionImage gamePosition()
{
    if (gameControl.thinking) {
        const PieceSets& s = gameControl.entrySnapshot;
        return {s.whiteMen, s.blackMen, s.whiteKings, s.blackKings, sideToMove};
    }
    return {whiteMen, blackMen, whiteKings, blackKings, sideToMove};
}

std::string today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y.%m.%d", &local);
    return text;
}

// The replayable game as PDN. A finished game whose last position still has moves
// ended in an agreed draw; one whose last position came for the third time is drawn too.
std::optional<std::string> pdnOfGameInProgress(std::string& error)
{
    PdnHeader header;
    header.date = today();
    const bool atEnd = gameRecord.plyNumber == gameRecord.redoLimit;
    const int firstSide = firstSideOfRecord(gameRecord, sideToMove);
    const int sideAtEnd = firstSide ^ ((gameRecord.redoLimit - 1) & 1);
    const bool ruleDraw =
        officialDrawRules && drawRuleAt(gameRecord, gameRecord.redoLimit, sideAtEnd) != DrawRule::None;
    if (ruleDraw || (atEnd && (gameControl.gameOver || IsThreefoldRepetition()))) header.result = "1/2-1/2";
    auto game = gameOfRecord(gameRecord, firstSide, header, &error);
    if (!game) return std::nullopt;
    annotatePdnGame(*game); // the last analysis's scores and marks, where they still fit
    return writePdn(*game);
}

std::optional<std::string> fileBytesFor(SaveType type, const std::string& pictureBytes, std::string& error)
{
    switch (type) {
    case SaveType::Game:
        gameRecord.savedSide = sideToMove;
        return encodeGameRecord(gameRecord);
    case SaveType::Position: return encodePosition(gamePosition());
    case SaveType::Text: return notationText();
    case SaveType::Picture: return pictureBytes;
    case SaveType::Pdn: return pdnOfGameInProgress(error);
    }
    return std::nullopt;
}

// A load switches to two players as the mode command does: it leaves setup, ends
// thinking on the opponent's time and stops a search.
void switchToTwoPlayers() { SetMode(HumanHuman); }

void putGameOnBoard(const GameRecord& loaded)
{
    gameRecord = loaded;
    // One step back from the entry after the saved one puts the saved position on
    // the board with the saved side to move.
    sideToMove = 1 - gameRecord.savedSide;
    ++gameRecord.plyNumber;
    StepBack();
}

void putPositionOnBoard(const PositionImage& p)
{
    whiteMen = p.whiteMen;
    blackMen = p.blackMen;
    whiteKings = p.whiteKings;
    blackKings = p.blackKings;
    sideToMove = p.side;
    recomputeDerivedSets();
    gameControl.entrySnapshot = boardPieceSets();
    ResetRecord();
}

void showLoaded()
{
    GameChanged(GameChange::NewGame); // a loaded game or position outlines nothing
    gameUi().redrawBoard();
    if (gameControl.mode != Setup && !gameControl.thinking && sideToMove == engineSide && engineTurnHook)
        engineTurnHook();
}

bool endsWithPdn(const std::string& name)
{
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".pdn";
}

// Every game of the file must read whole; of several the user picks one.
bool loadPdn(const std::string& bytes)
{
    const std::vector<PdnGame> games = readPdn(bytes);
    if (games.empty()) {
        gameUi().showMessage(noPdnGameMessage);
        return false;
    }
    for (const PdnGame& game : games)
        if (!game.error.empty()) {
            gameUi().showMessage(game.error);
            return false;
        }
    int chosen = 0;
    if (games.size() > 1) {
        std::vector<std::string> summaries;
        for (std::size_t i = 0; i < games.size(); ++i) summaries.push_back(gameSummary(static_cast<int>(i + 1), games[i]));
        chosen = controlUi().chooseGame(summaries);
        if (chosen < 0 || chosen >= static_cast<int>(games.size())) return false;
    }
    ContinueFromGame(recordOfGame(games[static_cast<std::size_t>(chosen)]));
    return true;
}

} // namespace

// Writes beside the target under a temporary name, flushes it to disk and only then
// renames it into place, so that neither a failed write nor a crash or power cut
// leaves a half-written file under the chosen name, or no file at all.
bool writeFileWhole(const std::string& fileName, const std::string& bytes)
{
    std::string temporary;
    const int fd = createTemporaryBeside(fileName, temporary);
    if (fd < 0) return false;
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    std::error_code error;
    if (written && closed) std::filesystem::rename(temporary, fileName, error);
    if (!written || !closed || error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    syncFolderOf(fileName);
    return true;
}

void syncFolderOf(const std::string& fileName)
{
    const std::filesystem::path folder = std::filesystem::path(fileName).parent_path();
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::string completeFileName(const std::string& name, SaveType type)
{
    const std::string extension = extensionOf(type);
    return name.ends_with(extension) ? name : name + extension;
}

SaveType saveTypeForName(const std::string& name, SaveType chosen)
{
    for (SaveType type : {SaveType::Game, SaveType::Position, SaveType::Text, SaveType::Picture, SaveType::Pdn})
        if (const std::string extension = extensionOf(type);
            name.size() > extension.size() && name.ends_with(extension))
            return type;
    return chosen;
}

bool isGameFileName(const std::string& name) { return name.find(".gam") != std::string::npos; }

bool isPdnFileName(const std::string& name) { return endsWithPdn(name); }

std::string encodeGameRecord(const GameRecord& record)
{
    std::string out;
    out.reserve(gameFileSize);
    putWord(out, static_cast<std::uint32_t>(record.plyNumber));
    putWord(out, static_cast<std::uint32_t>(record.savedSide));
    putWord(out, static_cast<std::uint32_t>(record.redoLimit));
    for (int n = 1; n <= recordCapacity; ++n) {
        const RecordEntry& e = record.entries[n];
        putWord(out, e.whiteKings);
        putWord(out, e.whiteMen);
        putWord(out, e.blackKings);
        putWord(out, e.blackMen);
        out += static_cast<char>(e.textLength);
        out.append(e.text, moveTextRoom);
        out += '\0';
    }
    return out;
}

std::string encodePosition(const PositionImage& p)
{
    std::string out;
    putWord(out, p.whiteMen);
    putWord(out, p.blackMen);
    putWord(out, p.whiteKings);
    putWord(out, p.blackKings);
    putWord(out, static_cast<std::uint32_t>(p.side));
    return out;
}

bool decodeGameRecord(const std::string& bytes, GameRecord& record)
{
    if (bytes.size() != gameFileSize) return false;
    GameRecord read;
    read.plyNumber = static_cast<std::int32_t>(getWord(bytes, 0));
    read.savedSide = static_cast<std::int32_t>(getWord(bytes, 4));
    read.redoLimit = static_cast<std::int32_t>(getWord(bytes, 8));
    if (read.plyNumber < 1 || read.plyNumber > read.redoLimit || read.redoLimit > recordCapacity) return false;
    if (read.savedSide != 0 && read.savedSide != 1) return false;
    for (int n = 1; n <= recordCapacity; ++n) {
        const std::size_t at = recordHeaderSize + entrySize * (n - 1);
        RecordEntry& e = read.entries[n];
        e.whiteKings = getWord(bytes, at);
        e.whiteMen = getWord(bytes, at + 4);
        e.blackKings = getWord(bytes, at + 8);
        e.blackMen = getWord(bytes, at + 12);
        // A length beyond the room would read past the text; such a file is not ours.
        e.textLength = static_cast<std::uint8_t>(bytes[at + 16]);
        if (n <= read.redoLimit && e.textLength > moveTextRoom) return false;
        bytes.copy(e.text, moveTextRoom, at + 17);
        e.filler = 0;
        if (n <= read.redoLimit && !disjoint({e.whiteKings, e.whiteMen, e.blackKings, e.blackMen})) return false;
    }
    record = read;
    return true;
}

std::optional<PositionImage> decodePosition(const std::string& bytes)
{
    if (bytes.size() != positionFileSize) return std::nullopt;
    PositionImage p;
    p.whiteMen = getWord(bytes, 0);
    p.blackMen = getWord(bytes, 4);
    p.whiteKings = getWord(bytes, 8);
    p.blackKings = getWord(bytes, 12);
    p.side = static_cast<std::int32_t>(getWord(bytes, 16));
    if (p.side != 0 && p.side != 1) return std::nullopt;
    if (!disjoint({p.whiteMen, p.blackMen, p.whiteKings, p.blackKings})) return std::nullopt;
    return p;
}

std::string notationText()
{
    std::string text;
    // From the record, not the window's lines: those are kept as they were after a
    // position load until a half-move is made.
    for (const std::string& line : buildNotation(gameRecord, gameRecordMarks()).lines) text += line + "\r\n";
    return text;
}

bool SaveGameFiles(const std::string& chosenName, SaveType type, const std::string& pictureBytes)
{
    const std::string fileName = completeFileName(chosenName, type);
    std::error_code error;
    if (std::filesystem::exists(fileName, error) && !gameUi().askYesNo(overwriteQuestion)) return false;
    if (type == SaveType::Picture && pictureBytes.empty()) return false; // no image handed over
    std::string why;
    const std::optional<std::string> bytes = fileBytesFor(type, pictureBytes, why);
    if (!bytes || !writeFileWhole(fileName, *bytes)) {
        gameUi().showMessage(why.empty() ? saveFailedMessage : why);
        return false;
    }
    return true;
}

namespace {
bool loadAndSay(const std::string& fileName);
} // namespace

const char* const loadedStatus = "Партия загружена. Режим: человек с человеком — выберите, кто играет";

bool LoadGameFiles(const std::string& fileName)
{
    const bool loaded = loadAndSay(fileName);
    // The mode changed with no word said otherwise: the status bar says it.
    if (loaded) controlUi().showStatus(loadedStatus);
    return loaded;
}

namespace {
bool loadAndSay(const std::string& fileName)
{
    const std::optional<std::string> bytes = readWhole(fileName);
    if (!bytes) {
        gameUi().showMessage(readFailedMessage);
        return false;
    }
    if (isPdnFileName(fileName)) return loadPdn(*bytes);
    const bool gameFile = isGameFileName(fileName);
    GameRecord decoded;
    const GameRecord* loaded = nullptr;
    std::optional<PositionImage> position;
    if (gameFile) {
        if (decodeGameRecord(*bytes, decoded)) loaded = &decoded;
    } else {
        position = decodePosition(*bytes);
    }
    if (gameFile ? !loaded : !position) {
        gameUi().showMessage(gameFile ? badGameFileMessage : badPositionFileMessage);
        return false;
    }
    if (loaded) ContinueFromGame(*loaded);
    else ContinueFromPosition(*position);
    return true;
}
} // namespace

void ContinueFromGame(const GameRecord& record)
{
    switchToTwoPlayers();
    putGameOnBoard(record);
    showLoaded();
}

void ContinueFromPosition(const PositionImage& position)
{
    switchToTwoPlayers();
    putPositionOnBoard(position);
    showLoaded();
}
