// An independent implementation of the Russian draughts rules, used only to
// cross-check the engine's generators. It works on a plain 8 x 8 board of
// characters and walks real capture paths square by square; it shares nothing
// with the engine but the numbering of the dark squares and the order in which
// moves are listed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ref {

using Squares = std::uint32_t; // bit s for dark square s, as everywhere in the program

constexpr int white = 0;
constexpr int black = 1;

// cells[file][rank], files a..h and ranks 1..8 counted from 0. A cell holds
// 'w', 'W', 'b', 'B' or '.'.
struct Board {
    char cells[8][8];
    bool operator==(const Board& other) const;
};

struct Move {
    int from;
    int to;
    Squares captured; // empty for a quiet move
    bool promotes;
    bool operator==(const Move& other) const = default;
    bool operator<(const Move& other) const;
};

bool isDark(int file, int rank);
bool onBoard(int file, int rank);
int squareAt(int file, int rank);   // number of a dark square
int fileOf(int square);
int rankOf(int square);
std::string nameOf(int square);      // "a1" .. "h8"

// The 34-character position text; missing characters read as empty, White to move.
Board boardFromText(const std::string& text, int* side = nullptr);
std::string textFromBoard(const Board& board, int side);

// Every capture the side can make, one entry per distinct path that the rules
// allow, in the engine's listing order: kings then men, each by ascending square;
// per piece directions up-left, up-right, down-right, down-left; sequences that go
// on are listed as they are found, and the final landing squares of a king's jump
// after the whole walk of that direction, by ascending square.
std::vector<Move> captures(const Board& board, int side);
// Non-captures: kings first, then men, by ascending square, directions in the
// same order, a king's squares nearest first.
std::vector<Move> quietMoves(const Board& board, int side);
// Quiet moves of men on the two ranks before their promotion rank.
std::vector<Move> advancedManMoves(const Board& board, int side);
// Captures if there are any, otherwise quiet moves.
std::vector<Move> legalMoves(const Board& board, int side);

Board applied(const Board& board, const Move& move);

// Leaf count of the legal-move tree, each stored path counting as one move.
std::uint64_t perft(const Board& board, int side, int depth);

std::string moveDescription(const Move& move); // for failure messages

} // namespace ref
