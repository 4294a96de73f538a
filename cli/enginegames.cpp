#include "cli/enginegames.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "engine/engine.h"
#include "engine/search.h"
#include "game/fen.h"
#include "game/record.h"
#include "game/strength.h"

namespace {

void playOnBoard(int index)
{
    const MoveList& list = moveLists[0];
    const MoveCode move = list.moves[index];
    std::string text = moveText(move);
    makeMove(move, list.captured[index], sideToMove, 0);
    sideToMove = 1 - sideToMove;
    AppendMove(text);
}

// A ballot's position: 32 squares of "w", "W", "b", "B" or "0", a blank and the side
// to move, with pieces of both colours on the board.
bool ballotPosition(const std::string& text)
{
    if (text.size() != 34 || text[32] != ' ' || (text[33] != 'w' && text[33] != 'b')) return false;
    bool white = false, black = false;
    for (std::size_t i = 0; i < 32; ++i) {
        const char c = text[i];
        if (c != '0' && c != 'w' && c != 'W' && c != 'b' && c != 'B') return false;
        white = white || c == 'w' || c == 'W';
        black = black || c == 'b' || c == 'B';
    }
    return white && black;
}

} // namespace

bool readBallots(const std::string& path, std::vector<Ballot>& ballots, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (trimmed(line).empty() || line[0] == '#') continue;
        const auto bar1 = line.find('|');
        const auto bar2 = bar1 == std::string::npos ? bar1 : line.find('|', bar1 + 1);
        Ballot b;
        bool wellFormed = bar2 != std::string::npos;
        if (wellFormed) {
            b = {trimmed(line.substr(0, bar1)), trimmed(line.substr(bar1 + 1, bar2 - bar1 - 1)), {}};
            // Moves that do not lead to the position ("Free") leave the position alone.
            std::istringstream moves(line.substr(bar2 + 1));
            for (std::string move; moves >> move;) b.moves.push_back(move);
            wellFormed = !b.name.empty() && ballotPosition(b.position);
        }
        if (!wellFormed) {
            error = path + ":" + std::to_string(number) + ": not a ballot (NAME | POSITION | MOVES): " + line.substr(0, 80);
            return false;
        }
        ballots.push_back(b);
    }
    if (in.bad()) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    if (ballots.empty()) {
        error = "no ballots in " + path;
        return false;
    }
    return true;
}

void startBallot(const Ballot& ballot)
{
    setPositionFromText(initialPositionText);
    ResetRecord();
    for (const std::string& m : ballot.moves) {
        const int count = generateLegalMoves(sideToMove, 0);
        int found = 0;
        for (int k = 1; k <= count && !found; ++k) {
            const std::string text = moveText(moveLists[0].moves[k]);
            if (m.size() == 3 && text[0] == m[0] && text.substr(3, 2) == m.substr(1)) found = k;
        }
        if (!found) break;
        playOnBoard(found);
    }
    if (positionToText(sideToMove) != ballot.position) {
        setPositionFromText(ballot.position);
        ResetRecord();
    }
}

void playEngineMove(int level, std::int32_t budget, int depth, int threads)
{
    clearHash();
    engineLevel = level;
    timeBudget = budget;
    maxIterationDepth = depth;
    prepareSearch(sideToMove);
    if (moveLists[1].count >= 2) searchAtLevel(level, threads);
    const MoveList& root = moveLists[1];
    std::string text = moveText(root.moves[1]);
    makeMove(root.moves[1], root.captured[1], sideToMove, 0);
    sideToMove = 1 - sideToMove;
    AppendMove(text);
}
