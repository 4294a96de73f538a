// The puzzle collection: combinations found in games, one puzzle a line of plain text.
//
//   FEN | LINE | GAIN | MOVES DEPTH | SOURCE
//
// FEN is the position with the solver to move (W:Wc3,e3:Bd6,Kf8). LINE is the
// solution: the solver's half-moves and the replies between them, separated by
// blanks, a quiet move as c3-d4, a capture as c3:e5, or by every landing square
// (a1:c3:e5) where another capture shares its first and last squares. GAIN is the
// men won along the line, a king counting three, or "win" where the line leaves the
// defender without a move or in an ending the tables give as won. MOVES is the number of the solver's half-moves in the line and DEPTH
// the depth at which the engine first finds the first move. SOURCE says where the
// position comes from. Blank lines and lines starting with '#' are comments.
#pragma once

#include <string>
#include <vector>

#include "game/fen.h"
#include "game/pdn.h"

struct Puzzle {
    BoardPosition start;
    std::vector<LegalMove> line;           // the solution's half-moves
    std::vector<BoardPosition> positions;  // after each half-move of the line
    int gain = 0;                          // men won; 0 with a won ending
    bool wonEnding = false;
    int solverMoves = 0;
    int findDepth = 0;
    std::string source;
    int lineNumber = 0; // in the collection's file, when read from one

    int solver() const { return start.side; }
    // The position before half-move k of the line (0 the start).
    const BoardPosition& before(std::size_t k) const { return k == 0 ? start : positions[k - 1]; }
};

// The solution's half-moves written as the line field has them.
std::vector<std::string> lineTexts(const Puzzle& puzzle);
// The puzzle's line of the collection, without a line end. A '|' in the source
// becomes '/'.
std::string puzzleText(const Puzzle& puzzle);

struct PuzzleCollection {
    std::vector<Puzzle> puzzles;
    std::vector<std::string> problems; // one per refused line, naming its number
};
// Every well-formed line becomes a puzzle; a damaged one is refused with a message
// naming the line ("Строка 7: ...") and the rest is read on.
PuzzleCollection readPuzzles(const std::string& text);
// The collection of a file; a file that cannot be read gives one problem.
PuzzleCollection readPuzzleFile(const std::string& path);

// The three groups the trainer offers.
enum class Difficulty { Easy, Medium, Hard };
constexpr int difficultyCount = 3;
const char* difficultyName(Difficulty d); // "лёгкие", "средние", "трудные"
// One number for how hard a puzzle is: the moves the solver must see and the depth
// the engine needs to find the first.
int difficultyPoints(const Puzzle& puzzle);
Difficulty difficultyOf(const Puzzle& puzzle);
