#include "cli/enginegames.h"

#include <fstream>

#include "engine/engine.h"
#include "engine/search.h"
#include "game/record.h"
#include "game/strength.h"

namespace {

std::string trimmed(const std::string& text)
{
    const auto begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return {};
    return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

void playOnBoard(int index)
{
    const MoveList& list = moveLists[0];
    const MoveCode move = list.moves[index];
    std::string text = moveText(move);
    makeMove(move, list.captured[index], sideToMove, 0);
    sideToMove = 1 - sideToMove;
    AppendMove(text);
}

} // namespace

std::vector<Ballot> readBallots(const std::string& path)
{
    std::vector<Ballot> ballots;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const auto bar1 = line.find('|');
        const auto bar2 = line.find('|', bar1 + 1);
        if (bar1 == std::string::npos || bar2 == std::string::npos) continue;
        Ballot b{trimmed(line.substr(0, bar1)), trimmed(line.substr(bar1 + 1, bar2 - bar1 - 1)), {}};
        std::string moves = line.substr(bar2 + 1), move;
        for (std::size_t i = 0; i <= moves.size(); ++i) {
            if (i < moves.size() && moves[i] != ' ' && moves[i] != '\r') move += moves[i];
            else if (!move.empty()) b.moves.push_back(move), move.clear();
        }
        if (b.position.size() == 34) ballots.push_back(b);
    }
    return ballots;
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

void playEngineMove(int level, std::int32_t budget, int depth)
{
    clearHash();
    engineLevel = level;
    timeBudget = budget;
    maxIterationDepth = depth;
    prepareSearch(sideToMove);
    if (moveLists[1].count >= 2) searchAtLevel(level);
    const MoveList& root = moveLists[1];
    std::string text = moveText(root.moves[1]);
    makeMove(root.moves[1], root.captured[1], sideToMove, 0);
    sideToMove = 1 - sideToMove;
    AppendMove(text);
}
