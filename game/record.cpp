#include "game/record.h"

#include <algorithm>

#include "engine/search.h"
#include "game/control.h"
#include "game/gamechange.h"
#include "game/gameui.h"

GameRecord gameRecord;

const char* const recordFullMessage = "Запись партии заполнена! Ход отменён.";

namespace {

void storeBoardIn(RecordEntry& entry)
{
    entry.whiteKings = whiteKings;
    entry.whiteMen = whiteMen;
    entry.blackKings = blackKings;
    entry.blackMen = blackMen;
}

// Puts entry n on the board and into the entry snapshot, so that a search aborted by
// the step restores the position it reached.
void putEntryOnBoard(int n)
{
    const RecordEntry& entry = gameRecord.entries[n];
    whiteKings = entry.whiteKings;
    whiteMen = entry.whiteMen;
    blackKings = entry.blackKings;
    blackMen = entry.blackMen;
    recomputeDerivedSets();
    gameControl.entrySnapshot = boardPieceSets();
}

bool samePlacement(const RecordEntry& a, const RecordEntry& b)
{
    return a.whiteKings == b.whiteKings && a.whiteMen == b.whiteMen && a.blackKings == b.blackKings
        && a.blackMen == b.blackMen;
}

bool setupActive() { return gameControl.mode == Setup; }

void showStep()
{
    GameChanged(GameChange::Move);
    gameUi().redrawBoard();
    stopRequested = true;
    gameControl.abortRequested = true;
}

} // namespace

std::string entryMoveText(const RecordEntry& entry)
{
    return std::string(entry.text, std::min<int>(entry.textLength, moveTextRoom));
}

bool entryMatchesBoard(const RecordEntry& entry)
{
    return entry.whiteKings == whiteKings && entry.whiteMen == whiteMen && entry.blackKings == blackKings
        && entry.blackMen == blackMen;
}

bool entrySetsDisjoint(const RecordEntry& entry)
{
    const SquareSet sets[4] = {entry.whiteKings, entry.whiteMen, entry.blackKings, entry.blackMen};
    SquareSet seen = 0;
    for (SquareSet s : sets) {
        if (seen & s) return false;
        seen |= s;
    }
    return true;
}

void ResetRecord()
{
    gameRecord.plyNumber = 1;
    gameRecord.redoLimit = 1;
    storeBoardIn(gameRecord.entries[1]);
}

bool recordFull() { return gameRecord.plyNumber >= recordCapacity; }

bool AppendMove(const std::string& text)
{
    if (recordFull()) {
        putEntryOnBoard(gameRecord.plyNumber);
        sideToMove = 1 - sideToMove;
        gameUi().showMessage(recordFullMessage);
        return false;
    }
    const int n = ++gameRecord.plyNumber;
    RecordEntry& entry = gameRecord.entries[n];
    storeBoardIn(entry);
    const std::size_t length = std::min<std::size_t>(text.size(), moveTextRoom);
    std::fill(std::begin(entry.text), std::end(entry.text), '\0');
    std::copy_n(text.begin(), length, entry.text);
    entry.textLength = static_cast<std::uint8_t>(length);
    entry.filler = 0;
    gameRecord.redoLimit = n; // half-moves taken back before are gone
    return true;
}

bool StepBack()
{
    if (gameRecord.plyNumber <= 1 || setupActive()) return false;
    putEntryOnBoard(--gameRecord.plyNumber);
    sideToMove = 1 - sideToMove;
    showStep();
    gameControl.gameOver = false; // a finished game can go on from any earlier position
    return true;
}

bool StepForward()
{
    if (gameRecord.plyNumber + 1 > gameRecord.redoLimit || setupActive()) return false;
    putEntryOnBoard(++gameRecord.plyNumber);
    sideToMove = 1 - sideToMove;
    showStep();
    return true;
}

void MoveBack()
{
    StepBack();
    gameUi().pause(200);
    StepBack();
}

void MoveForward()
{
    StepForward();
    gameUi().pause(200);
    StepForward();
}

void GoToStart() { GoToPly(1); }

void GoToEnd() { GoToPly(gameRecord.redoLimit); }

void GoToPly(int ply)
{
    while (gameRecord.plyNumber > ply && StepBack()) {
    }
    while (gameRecord.plyNumber < ply && StepForward()) {
    }
}

bool threefoldRepetitionUpTo(const GameRecord& record, int last)
{
    // Some placement occurring three times among entries 1..n is exactly the case in
    // which a triple i < j < k of equal entries exists.
    const int n = std::min<int>(last, recordCapacity);
    for (int i = 1; i <= n - 2; ++i) {
        int occurrences = 1;
        for (int j = i + 1; j <= n; ++j)
            if (samePlacement(record.entries[i], record.entries[j]) && ++occurrences == 3) return true;
    }
    return false;
}

bool IsThreefoldRepetition() { return threefoldRepetitionUpTo(gameRecord, gameRecord.plyNumber); }

bool navigationAllowed() { return !gameControl.thinking || gameControl.mode == Analysis; }

namespace {
bool notationButtonRefused()
{
    return gameControl.mode == Setup || (gameControl.thinking && gameControl.mode != EngineBoth);
}
} // namespace

void NotationBackButton()
{
    if (notationButtonRefused() || gameControl.mode == EngineBoth) return;
    if (sideToMove == engineSide) StepBack();
    else MoveBack();
}

void NotationForwardButton()
{
    if (notationButtonRefused()) return;
    if (sideToMove == engineSide) StepForward();
    else MoveForward();
}

int firstSideOfRecord(const GameRecord& record, int sideAtPly)
{
    return (record.plyNumber - 1) % 2 == 0 ? sideAtPly : 1 - sideAtPly;
}
