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

// NAME | POSITION | MOVES per line; '#' starts a comment line. A file that cannot be
// read, or a line of another form, is an error: `error` says which.
bool readBallots(const std::string& path, std::vector<Ballot>& ballots, std::string& error);
// The game record starts with the ballot's moves from the initial position, so that
// the games show the opening; with its position text when they do not lead there.
void startBallot(const Ballot& ballot);
// The engine's turn as the program takes it, at a level with a budget (hundredths of
// a second), a deepest iteration and threads: the move is made and recorded.
void playEngineMove(int level, std::int32_t budget, int depth, int threads = 1);
