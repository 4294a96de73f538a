#include "game/filecommands.h"

#include <ctime>
#include <filesystem>

#include "engine/search.h"
#include "game/analysis.h"
#include "game/control.h"
#include "game/controller.h"
#include "game/controlui.h"
#include "game/fen.h"
#include "game/filewriting.h"
#include "game/gamechange.h"
#include "game/gameui.h"
#include "game/notation.h"
#include "game/pdn.h"

const char* const overwriteQuestion = "Файл уже существует. Перезаписать?";

namespace {

const char* const badGameFileMessage = "Файл не является файлом партии!";
const char* const badPositionFileMessage = "Файл не является файлом позиции!";

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
    setBoardPosition({p.whiteMen, p.whiteKings, p.blackMen, p.blackKings, p.side});
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

std::string CopyPositionFen()
{
    const PositionImage p = gamePosition();
    return positionToFen({p.whiteMen, p.whiteKings, p.blackMen, p.blackKings, p.side});
}

const char* const pastedStatus = "Позиция вставлена. Режим: человек с человеком — выберите, кто играет";

bool PastePositionFen(const std::string& text)
{
    std::string error;
    const auto position = parseFen(text, &error);
    if (!position) {
        controlUi().showMessage(error);
        return false;
    }
    const BoardPosition& p = *position;
    ContinueFromPosition({p.whiteMen, p.blackMen, p.whiteKings, p.blackKings, p.side});
    controlUi().showStatus(pastedStatus);
    // A position in which the side to move cannot play ends at once (a file holding
    // one loads as it is).
    EndGameIfSideToMoveCannotMove();
    return true;
}
