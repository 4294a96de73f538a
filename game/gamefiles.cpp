#include "game/gamefiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/search.h"
#include "game/analysis.h"
#include "game/control.h"
#include "game/controller.h"
#include "game/controlui.h"
#include "game/gamechange.h"
#include "game/gameui.h"
#include "game/notation.h"
#include "game/pdn.h"

const char* const overwriteQuestion = "Файл уже существует. Перезаписать?";

namespace {

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

// The hidden temporary's name beside the target, without mkstemp's six characters.
std::string temporaryPrefix(const std::filesystem::path& target)
{
    std::string name(1, '.');
    name.append(target.filename().string()).append(1, '.');
    return (target.parent_path() / name).string();
}

// A file beside the target under a name no other file has: created exclusively, so
// that no file of the user's is ever taken for the temporary one, and locked while it
// is written. A cleanup that removed it before the lock was taken is noticed, and
// another name is tried. mkstemp makes it private; it gets the permissions the saved
// file is to have.
int createTemporaryBeside(const std::string& fileName, std::string& temporary)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        temporary = temporaryPrefix(fileName) + "XXXXXX";
        const int fd = ::mkstemp(temporary.data());
        if (fd < 0) return -1;
        struct stat opened {}, named {};
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &opened) == 0 && ::stat(temporary.c_str(), &named) == 0 &&
            opened.st_ino == named.st_ino && opened.st_dev == named.st_dev) {
            ::fchmod(fd, permissionsFor(fileName));
            return fd;
        }
        ::close(fd);
    }
    errno = EAGAIN;
    return -1;
}

// mkstemp's six characters; a file whose six are lower-case letters alone reads as a
// word the user chose (".partie.gam.backup") and is left alone.
bool temporarySuffix(const std::string& tail)
{
    if (tail.size() != 6) return false;
    bool lowerOnly = true;
    for (char c : tail) {
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
        if (!std::islower(static_cast<unsigned char>(c))) lowerOnly = false;
    }
    return !lowerOnly;
}

std::string systemReason(int errorNumber) { return std::strerror(errorNumber); }

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

// The replayable game as PDN, with the result the record's end shows. A finished game
// whose last position still has moves and no draw of its own ended in an agreed draw.
std::optional<std::string> pdnOfGameInProgress(std::string& error)
{
    PdnHeader header;
    header.date = today();
    const bool atEnd = gameRecord.plyNumber == gameRecord.redoLimit;
    const int firstSide = firstSideOfRecord(gameRecord, sideToMove);
    header.result = recordResult(gameRecord, firstSide);
    if (header.result.empty() && atEnd && gameControl.gameOver) header.result = "1/2-1/2";
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

std::optional<std::string> readFileWhole(const std::string& fileName, std::string* why)
{
    std::string bytes;
    int errorNumber = 0;
    if (readRegularFile(fileName, bytes, errorNumber)) return bytes;
    if (why) *why = "Не удалось прочитать файл " + fileName + ": " + systemReason(errorNumber);
    return std::nullopt;
}

std::string finalTarget(const std::string& fileName)
{
    namespace fs = std::filesystem;
    fs::path path(fileName);
    for (int links = 0; links < 40; ++links) { // as many as the system itself follows
        std::error_code error;
        if (!fs::is_symlink(path, error)) break;
        const fs::path target = fs::read_symlink(path, error);
        if (error) break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path.string();
}

PreparedFile::~PreparedFile() { discard(); }

void PreparedFile::discard()
{
    if (fd_ < 0) return;
    ::unlink(temporary_.c_str());
    ::close(fd_);
    fd_ = -1;
}

bool PreparedFile::failed(const std::string& file, int errorNumber)
{
    error_ = "Не удалось записать файл " + file + ": " + systemReason(errorNumber);
    discard();
    return false;
}

// Written beside the target under a temporary name and flushed to disk, so that
// neither a failed write nor a crash or power cut leaves a half-written file under
// the chosen name, or no file at all.
bool PreparedFile::prepare(const std::string& fileName, const std::string& bytes)
{
    discard();
    error_.clear();
    target_ = finalTarget(fileName);
    removeStaleTemporaries(target_);
    fd_ = createTemporaryBeside(target_, temporary_);
    if (fd_ < 0) return failed(target_, errno);
    if (!writeAll(fd_, bytes) || ::fsync(fd_) != 0) return failed(target_, errno);
    return true;
}

bool PreparedFile::commit()
{
    if (fd_ < 0) return false;
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) return failed(target_, errno);
    ::close(fd_); // the bytes were flushed before the rename
    fd_ = -1;
    syncFolderOf(target_);
    return true;
}

bool writeFileWhole(const std::string& fileName, const std::string& bytes, std::string* why)
{
    PreparedFile file;
    if (file.prepare(fileName, bytes) && file.commit()) return true;
    if (why) *why = file.error();
    return false;
}

void removeStaleTemporaries(const std::string& fileName)
{
    namespace fs = std::filesystem;
    const std::string prefix = temporaryPrefix(fileName);
    const fs::path folder = fs::path(prefix).parent_path();
    const std::string namePrefix = fs::path(prefix).filename().string();
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder.empty() ? "." : folder, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(namePrefix) || !temporarySuffix(name.substr(namePrefix.size()))) continue;
        std::error_code ignored;
        if (!entry.is_regular_file(ignored) || entry.is_symlink(ignored)) continue;
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) continue;
        // A write in progress holds its temporary locked until the rename.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(entry.path().c_str());
        ::close(fd);
    }
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
    if (!bytes || !writeFileWhole(fileName, *bytes, &why)) {
        gameUi().showMessage(why.empty() ? "Не удалось записать файл " + fileName : why);
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
    std::string why;
    const std::optional<std::string> bytes = readFileWhole(fileName, &why);
    if (!bytes) {
        gameUi().showMessage(why);
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

bool OpenStartFile(const std::string& fileName)
{
    if (fileName.empty()) return false;
    // A refused file changes nothing: the game is still the new one of the start.
    return LoadGameFiles(fileName);
}

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
