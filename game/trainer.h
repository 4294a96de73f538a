// "Решать комбинации...": the puzzle trainer. It puts a puzzle's position on the
// board and waits for the solver's move; a right move is answered by the line's
// reply, shown as an engine move; a wrong one is taken back with "Неверно", and the
// solver may try again or see the solution played on the board step by step. A move
// other than the line's that the engine confirms wins as much is accepted too, and
// the line goes on from it. The game in progress is put aside while the trainer is
// open and comes back when it closes.
//
// The windows reach the trainer through puzzleTrainer() alone; the board's moves come
// to it through the move entry while it is open.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "game/puzzleprogress.h"
#include "game/puzzles.h"

extern const char* const wrongMoveMessage;   // "Неверно"
extern const char* const noPuzzlesMessage;   // "В сборнике нет ни одной задачи."

class PuzzleTrainer {
public:
    enum class State {
        Closed,
        Waiting,   // for the solver's move
        Wrong,     // a wrong move was taken back: try again or see the solution
        Solved,
        Solution,  // the solution is being played; Failed once it is all on the board
        Failed,
    };

    // Neither the engine nor an analysis nor a hint is running and no position is
    // being set up: the trainer may open.
    static bool available();

    // Reads the collection (its damaged lines reported through problems()) and the
    // progress, puts the game aside and shows the first puzzle of the group not yet
    // tried. False, changing nothing, when the collection has no puzzle.
    bool open(const std::string& collectionPath, const std::string& progressPath);
    // The game in progress comes back as it was.
    void close();
    bool isOpen() const { return state_ != State::Closed; }
    // The board's turn of the game put aside, while open: what the settings keep.
    std::optional<bool> gameRotation() const;
    State state() const { return state_; }

    // The puzzles of the chosen group, and the one on the board.
    void setDifficulty(Difficulty d);
    Difficulty difficulty() const { return difficulty_; }
    int groupSize() const { return static_cast<int>(group_.size()); }
    int groupIndex() const { return index_; } // 0-based
    const Puzzle* puzzle() const;
    void next();
    void previous();

    // A move entered on the board by the side to move; true when the trainer took it
    // (every move while it is open: none reaches the game).
    bool enterMove(MoveCode move, SquareSet captured);
    // After "Неверно": the puzzle's position again, the solver to move. A move entered
    // on the board, or a hint, tries again as well.
    void tryAgain();
    // Puts the puzzle's position back and plays its solution with solutionStep; the
    // puzzle counts as failed.
    void showSolution();
    // Plays the solution's next half-move; false when nothing is left to play.
    bool solutionStep();
    // "Подсказка": the square of the piece the next move of the solution starts from.
    // Taking it means the puzzle is no longer solved at the first try.
    std::string hint();

    // What the trainer says: whose move it is, "Неверно", "Решено!" ...
    const std::string& message() const { return message_; }
    const PuzzleProgress& progress() const { return progress_; }
    const std::vector<std::string>& problems() const { return problems_; }

    // Called after every change the windows show beyond the board.
    void setListener(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    struct SavedGame;

    void showPuzzle();
    void chooseGroup();
    void play(const LegalMove& move, bool asReply);
    void putPuzzleOnBoard();
    void finish(PuzzleResult result);
    void changed();
    bool acceptAlternative(const LegalMove& move);

    State state_ = State::Closed;
    std::vector<Puzzle> puzzles_;
    std::vector<std::size_t> group_; // indices into puzzles_
    Difficulty difficulty_ = Difficulty::Easy;
    int index_ = 0;
    Puzzle line_;          // the puzzle as being solved: its line may go on from an accepted alternative
    std::size_t ply_ = 0;  // half-moves of the line on the board
    bool helped_ = false;  // a wrong move or a hint in this attempt
    bool counted_ = false; // this attempt's result is recorded
    PuzzleProgress progress_;
    std::string progressPath_;
    std::vector<std::string> problems_;
    std::string message_;
    std::function<void()> listener_;
    std::shared_ptr<SavedGame> saved_;
};

PuzzleTrainer& puzzleTrainer();
