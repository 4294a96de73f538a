// Games in PDN, the text form in which draughts players exchange games: tag pairs,
// then the half-moves by square name with move numbers, then the result. Russian
// draughts is GameType "25"; a game that does not begin from the initial position
// carries its start as a FEN tag. Every half-move read is matched against the legal
// moves of its position, so a game that is read is a game that can be replayed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/fen.h"
#include "game/record.h"

struct PdnTag {
    std::string name;
    std::string value;
};

struct PdnGame {
    std::vector<PdnTag> tags;              // in the order read, or to be written
    BoardPosition start;                   // the position before the first half-move
    std::vector<std::string> moves;        // as the record keeps them: c3-d4, c3:e5
    std::vector<BoardPosition> positions;  // after each half-move, side to move included
    // Annotations written after each half-move: a mark such as "?!" after the move, a
    // comment in braces after that; empty or missing ones are not written. The reader
    // skips both in a file and leaves these empty.
    std::vector<std::string> marks;
    std::vector<std::string> comments;
    std::string termination = "*";         // the result closing the moves, as written
    std::string error;                     // why the game was refused; empty when read whole

    // The tag's value (name compared without regard to case); empty when absent.
    std::string tag(const std::string& name) const;
    // The Result tag, else the closing result.
    std::string result() const;
};

// Reads every game of a file. Each game is refused on its own with an error naming
// the game's number, and for a move its move number and the move as written. The
// reader accepts what players' files hold: "x" or ":" for captures, capture paths by
// first and last square or with every landing square, move numbers with or without
// "...", comments in braces, variations in parentheses, $n glyphs, "!" and "?"
// marks, the results 1-0 0-1 1/2-1/2 2-0 0-2 1-1 *, CR LF line ends and a UTF-8
// byte-order mark. A text without any game gives an empty list.
std::vector<PdnGame> readPdn(const std::string& text);

// Game `number` (from 1) of a file, read as readPdn reads it, without replaying or
// keeping the games before it and without reading past it; nothing when the file
// holds fewer games, and then `gamesInFile` gets how many it holds.
std::optional<PdnGame> readPdnGame(const std::string& text, std::size_t number, std::size_t* gamesInFile = nullptr);

extern const char* const noPdnGameMessage; // "В файле нет ни одной партии"

// The tags written before the moves. The last position decides the result when the
// side to move has no move ("1-0" or "0-1"); otherwise it is `result`, or "*" when
// that is empty (the game goes on).
struct PdnHeader {
    std::string event = "?";
    std::string site = "?";
    std::string date = "????.??.??";
    std::string round = "?";
    std::string white = "?";
    std::string black = "?";
    std::string result;
};

// The game of a record from entry 1 up to redoLimit, entry 1 with firstSide to move,
// with the tags Event, Site, Date, Round, White, Black, Result, GameType and, when the
// game does not start from the initial position with White to move, SetUp and FEN. Nothing
// (and the reason in error) when some entry does not follow from the one before by
// a legal move.
std::optional<PdnGame> gameOfRecord(const GameRecord& record, int firstSide, const PdnHeader& header,
                                    std::string* error = nullptr);
// How the game of a record ended at its last entry (redoLimit), entry 1 with
// firstSide to move: "1-0" or "0-1" when the side to move there has no move, "1/2-1/2"
// after a threefold repetition or, with them on, by the federation's draw rules;
// empty while the game goes on.
std::string recordResult(const GameRecord& record, int firstSide);

// The text of a game: its tags, a blank line, the numbered moves in lines of at most
// 79 characters and the result. A capture is written with "x" by its first and last
// squares unless another legal capture shares them; then every landing square is
// written. Black's move after a comment carries its number ("12..."). Line breaks,
// tabs, quotes and backslashes in tag values are escaped.
std::string writePdn(const PdnGame& game);

// A record holding the whole game: entry 1 the start, one entry per half-move,
// plyNumber and redoLimit at the last one, savedSide the side to move there.
GameRecord recordOfGame(const PdnGame& game);

// One line for the choice among the games of a file: the number, the players, the
// result and the first half-moves, as "1. Иванов – Петров, 1-0: c3-d4 f6-g5 …".
std::string gameSummary(int number, const PdnGame& game);

// A legal half-move: its move word and the pieces it takes.
struct LegalMove {
    MoveCode code = 0;
    SquareSet captured = 0;
};
// Single half-moves of a position, for texts other than whole games. Each leaves the
// engine's position and move lists as it found them.
std::vector<LegalMove> legalHalfMoves(const BoardPosition& p); // in generation order
BoardPosition positionAfterMove(const BoardPosition& p, const LegalMove& m);
// As a game's text writes it, with the capture separator given ('x' in PDN, ':' on
// the screen): by its two squares, or by every landing square when another legal
// capture shares them.
std::string halfMoveText(const BoardPosition& before, const LegalMove& m, char captureSeparator);
// The legal half-move the text names, as the reader matches a game's moves; nothing,
// and the reason in Russian, when it names none or more than one.
std::optional<LegalMove> writtenHalfMove(const BoardPosition& p, const std::string& written,
                                         std::string* error = nullptr);

