// Engine games from the standard opening ballots: what korvel-cli's match and the
// puzzle maker share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Ballot {
    std::string name;
    std::string position; // after the ballot's moves
    std::vector<std::string> moves; // short notation: from-file and to-square, as cd4
};

// NAME | POSITION | MOVES per line; '#' starts a comment line.
std::vector<Ballot> readBallots(const std::string& path);
// The game record starts with the ballot's moves from the initial position, so that
// the games show the opening; with its position text when they do not lead there.
void startBallot(const Ballot& ballot);
// The engine's turn as the program takes it, at a level with a budget (hundredths of
// a second) and a deepest iteration: the move is made and recorded.
void playEngineMove(int level, std::int32_t budget, int depth);
