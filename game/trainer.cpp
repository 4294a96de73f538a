#include "game/trainer.h"

#include "engine/search.h"
#include "game/analysis.h"
#include "game/boardview.h"
#include "game/combinations.h"
#include "game/control.h"
#include "game/controller.h"
#include "game/controlui.h"
#include "game/gamechange.h"
#include "game/hint.h"
#include "game/record.h"
#include "game/timecontrol.h"

const char* const wrongMoveMessage = "Неверно";
const char* const noPuzzlesMessage = "В сборнике нет ни одной задачи.";

namespace {

GameControl& gc = gameControl;

// The trainer's own searches: deep enough to judge a move of a line, quick enough
// for the window to wait on.
constexpr int judgingDepth = 10;
constexpr int longestRest = 16;
constexpr int replyPause = 400; // milliseconds before a reply, as before an engine move

bool sameMove(const LegalMove& a, MoveCode code, SquareSet captured) { return a.code == code && a.captured == captured; }

// "2 шашки", "5 шашек", "1 шашка".
std::string menText(int n)
{
    const int tens = n % 100, ones = n % 10;
    const char* word = (tens >= 11 && tens <= 14) ? "шашек" : ones == 1 ? "шашка" : (ones >= 2 && ones <= 4) ? "шашки" : "шашек";
    return std::to_string(n) + " " + word;
}

std::string toMoveText(const Puzzle& p)
{
    std::string text = p.solver() == White ? "Ход белых. " : "Ход чёрных. ";
    text += p.wonEnding ? "Комбинация выигрывает партию." : "Комбинация выигрывает " + menText(p.gain) + ".";
    return text;
}

void showChange(GameChange change)
{
    GameChanged(change);
    controlUi().redrawBoard();
}

} // namespace

struct PuzzleTrainer::SavedGame {
    GameRecord record = gameRecord;
    PieceSets board = boardPieceSets();
    int side = sideToMove;
    GameMode mode = gc.mode;
    bool gameOver = gc.gameOver;
    int engineColour = engineSide;
    bool rotated = boardView.rotated;
    std::int32_t whiteClock = whiteClockSeconds;
    std::int32_t blackClock = blackClockSeconds;
};

bool PuzzleTrainer::available()
{
    return !gc.thinking && !EngineTurnRunning() && !analysisRunning && !hintRunning() && gc.mode != Setup;
}

bool PuzzleTrainer::open(const std::string& collectionPath, const std::string& progressPath)
{
    if (isOpen()) return true;
    PuzzleCollection collection = readPuzzleFile(collectionPath);
    problems_ = collection.problems;
    if (collection.puzzles.empty()) return false;
    puzzles_ = std::move(collection.puzzles);
    progressPath_ = progressPath;
    progress_ = loadProgress(progressPath);
    saved_ = std::make_shared<SavedGame>();
    gc.mode = HumanHuman;
    gc.gameOver = false;
    state_ = State::Waiting;
    chooseGroup();
    if (group_.empty()) // the group chosen last holds nothing: the first that does
        for (Difficulty d : {Difficulty::Easy, Difficulty::Medium, Difficulty::Hard})
            if (group_.empty()) {
                difficulty_ = d;
                chooseGroup();
            }
    showPuzzle();
    return true;
}

void PuzzleTrainer::close()
{
    if (!isOpen()) return;
    const SavedGame& s = *saved_;
    gameRecord = s.record;
    putPieceSetsOnBoard(s.board);
    sideToMove = s.side;
    gc.mode = s.mode;
    gc.gameOver = s.gameOver;
    engineSide = s.engineColour;
    whiteClockSeconds = s.whiteClock;
    blackClockSeconds = s.blackClock;
    if (boardView.rotated != s.rotated) ToggleRotation();
    saved_.reset();
    state_ = State::Closed;
    message_.clear();
    showChange(GameChange::Position);
    controlUi().clocksChanged();
    changed();
}

std::optional<bool> PuzzleTrainer::gameRotation() const
{
    if (!saved_) return std::nullopt;
    return saved_->rotated;
}

const Puzzle* PuzzleTrainer::puzzle() const { return group_.empty() ? nullptr : &puzzles_[group_[index_]]; }

void PuzzleTrainer::setDifficulty(Difficulty d)
{
    if (!isOpen()) return;
    difficulty_ = d;
    chooseGroup();
    showPuzzle();
}

void PuzzleTrainer::next()
{
    if (!isOpen() || group_.empty()) return;
    index_ = (index_ + 1) % groupSize();
    showPuzzle();
}

void PuzzleTrainer::previous()
{
    if (!isOpen() || group_.empty()) return;
    index_ = (index_ + groupSize() - 1) % groupSize();
    showPuzzle();
}

// The group's puzzles in the collection's order; the first not tried yet comes first.
void PuzzleTrainer::chooseGroup()
{
    group_.clear();
    for (std::size_t i = 0; i < puzzles_.size(); ++i)
        if (difficultyOf(puzzles_[i]) == difficulty_) group_.push_back(i);
    index_ = 0;
    for (std::size_t k = 0; k < group_.size(); ++k)
        if (!progress_.tried(positionToFen(puzzles_[group_[k]].start))) {
            index_ = static_cast<int>(k);
            break;
        }
}

void PuzzleTrainer::showPuzzle()
{
    const Puzzle* p = puzzle();
    if (!p) {
        state_ = State::Solved; // nothing to move for
        message_ = "Задач этой трудности нет.";
        changed();
        return;
    }
    line_ = *p;
    helped_ = counted_ = false;
    // The solver plays up the board.
    if (boardView.rotated != (line_.solver() == Black)) ToggleRotation();
    putPuzzleOnBoard();
    state_ = State::Waiting;
    message_ = toMoveText(line_);
    changed();
}

void PuzzleTrainer::putPuzzleOnBoard()
{
    ply_ = 0;
    setBoardPosition(line_.start);
    ResetRecord();
    showChange(GameChange::NewGame);
}

void PuzzleTrainer::play(const LegalMove& move, bool asReply)
{
    if (asReply) controlUi().pause(replyPause);
    makeMove(move.code, move.captured, sideToMove, 0);
    sideToMove = 1 - sideToMove;
    AppendMove(moveText(move.code));
    showChange(GameChange::Move);
    if (boardView.soundOn) controlUi().playMoveSound();
}

bool PuzzleTrainer::enterMove(MoveCode code, SquareSet captured)
{
    if (!isOpen()) return false;
    if (state_ == State::Wrong) state_ = State::Waiting; // a move is a try again
    if (state_ != State::Waiting || !puzzle() || ply_ >= line_.line.size() || sideToMove != line_.solver()) return true;
    const LegalMove expected = line_.line[ply_];
    if (!sameMove(expected, code, captured) && !acceptAlternative({code, captured})) {
        // The move is shown, then taken back.
        const GameRecord before = gameRecord;
        const PieceSets board = boardPieceSets();
        play({code, captured}, false);
        controlUi().pause(replyPause);
        gameRecord = before;
        putPieceSetsOnBoard(board);
        sideToMove = line_.solver();
        showChange(GameChange::Position);
        helped_ = true;
        progress_.streak = 0;
        state_ = State::Wrong;
        message_ = wrongMoveMessage;
        changed();
        return true;
    }
    play(line_.line[ply_++], false);
    if (ply_ < line_.line.size() && line_.before(ply_).side != line_.solver()) play(line_.line[ply_++], true);
    if (ply_ < line_.line.size()) {
        message_ = "Верно! Продолжайте.";
    } else {
        finish(helped_ ? PuzzleResult::Solved : PuzzleResult::FirstTry);
        state_ = State::Solved;
        message_ = helped_ ? "Решено." : "Решено с первой попытки!";
    }
    changed();
    return true;
}

// A move the engine finds as good as the line's becomes the line's, and the line goes
// on from it as the finder would play it.
bool PuzzleTrainer::acceptAlternative(const LegalMove& move)
{
    const BoardPosition& before = line_.before(ply_);
    const int startMaterial = materialOf(line_.start, line_.solver());
    const int target = line_.wonEnding ? decidedScore : startMaterial + 100 * line_.gain;
    // The solver is to move here: the scores and the target are from its view.
    if (!winsAsMuch(before, move, line_.line[ply_], judgingDepth, target))
        return false;
    const BoardPosition after = positionAfterMove(before, move);
    const auto rest = combinationLine(after, line_.solver(), startMaterial, judgingDepth, longestRest);
    line_.line.resize(ply_);
    line_.positions.resize(ply_);
    line_.line.push_back(move);
    line_.positions.push_back(after);
    if (rest) {
        BoardPosition at = after;
        for (const LegalMove& m : *rest) {
            line_.line.push_back(m);
            line_.positions.push_back(at = positionAfterMove(at, m));
        }
    }
    return true;
}

void PuzzleTrainer::tryAgain()
{
    if (state_ != State::Wrong) return;
    state_ = State::Waiting;
    message_ = toMoveText(line_);
    changed();
}

void PuzzleTrainer::showSolution()
{
    if (!isOpen() || !puzzle() || state_ == State::Solution) return;
    if (state_ == State::Waiting || state_ == State::Wrong) finish(PuzzleResult::Failed);
    putPuzzleOnBoard();
    state_ = State::Solution;
    message_ = "Решение:";
    changed();
}

bool PuzzleTrainer::solutionStep()
{
    if (state_ != State::Solution) return false;
    if (ply_ < line_.line.size()) play(line_.line[ply_++], false);
    if (ply_ < line_.line.size()) return true;
    state_ = State::Failed;
    message_ = "Решение показано.";
    changed();
    return false;
}

std::string PuzzleTrainer::hint()
{
    if ((state_ != State::Waiting && state_ != State::Wrong) || ply_ >= line_.line.size()) return {};
    const std::string square = squareName[moveFrom(line_.line[ply_].code)];
    helped_ = true;
    state_ = State::Waiting;
    message_ = "Подсказка: ход с поля " + square + ".";
    changed();
    return square;
}

void PuzzleTrainer::finish(PuzzleResult result)
{
    if (counted_) return;
    counted_ = true;
    const Puzzle& p = *puzzle();
    progress_.record(positionToFen(p.start), difficultyPoints(p), result);
    saveProgress(progressPath_, progress_);
}

void PuzzleTrainer::changed()
{
    if (listener_) listener_();
}

PuzzleTrainer& puzzleTrainer()
{
    static PuzzleTrainer trainer;
    return trainer;
}
