// match: the engine against itself from the standard opening ballots, each ballot
// played twice with the colours exchanged, with a strength level, a time or a depth
// for each side. Prints every game's result and the score with its Elo difference.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/enginegames.h"
#include "engine/engine.h"
#include "engine/search.h"
#include "game/datafiles.h"
#include "game/drawrules.h"
#include "game/pdn.h"
#include "game/record.h"
#include "game/strength.h"

namespace {

struct Player {
    int level = strongestLevel;
    std::int32_t budget = 10; // hundredths of a second a move
    int depth = lastIterationDepth;
};

struct Options {
    Player a, b;
    int ballots = 150;
    int first = 1;
    int plyLimit = 300;
    std::string ballotFile = "ballots.txt";
    std::string pdnFile;
};

bool number(const std::string& text, long low, long high, long& value)
{
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && value >= low && value <= high;
}

// "--level 3" sets both sides, "--level-a 3" and "--level-b 3" one of them; likewise
// --time (hundredths of a second) and --depth (no time limit then).
bool setPlayerOption(const std::string& name, long value, Player& a, Player& b)
{
    const bool forA = name.size() < 2 || name.compare(name.size() - 2, 2, "-b") != 0;
    const bool forB = name.size() < 2 || name.compare(name.size() - 2, 2, "-a") != 0;
    const std::string base = (forA && forB) ? name : name.substr(0, name.size() - 2);
    for (Player* p : {forA ? &a : nullptr, forB ? &b : nullptr}) {
        if (!p) continue;
        if (base == "--level" && value >= weakestLevel && value <= strongestLevel) p->level = static_cast<int>(value);
        else if (base == "--time" && value >= 1) p->budget = static_cast<std::int32_t>(value);
        else if (base == "--depth" && value >= 1 && value <= lastIterationDepth) {
            p->depth = static_cast<int>(value);
            p->budget = unlimitedTime;
        } else return false;
    }
    return true;
}

bool parseOptions(const Args& args, Options& o)
{
    for (std::size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return false;
        const std::string& name = args[i];
        const std::string& text = args[i + 1];
        long value = 0;
        if (name == "--ballot-file") o.ballotFile = text;
        else if (name == "--pdn") o.pdnFile = text;
        else if (!number(text, 0, unlimitedTime, value)) return false;
        else if (name == "--ballots") o.ballots = static_cast<int>(value);
        else if (name == "--first") o.first = static_cast<int>(value);
        else if (name == "--plies") o.plyLimit = static_cast<int>(std::min<long>(value, recordCapacity - 1));
        else if (!setPlayerOption(name, value, o.a, o.b)) return false;
    }
    return o.ballots >= 1 && o.first >= 1 && o.plyLimit >= 1;
}

struct Outcome {
    double whiteScore = 0.5;
    const char* why = "";
};

Outcome playGame(const Player& white, const Player& black, int plyLimit)
{
    for (;;) {
        if (generateLegalMoves(sideToMove, 0) == 0) return {sideToMove == White ? 0.0 : 1.0, "no move"};
        if (IsThreefoldRepetition()) return {0.5, "repetition"};
        if (drawRuleAt(gameRecord, gameRecord.plyNumber, sideToMove) != DrawRule::None) return {0.5, "draw rule"};
        if (gameRecord.plyNumber > plyLimit || recordFull()) return {0.5, "ply limit"};
        const Player& p = sideToMove == White ? white : black;
        playEngineMove(p.level, p.budget, p.depth);
    }
}

double eloOf(double score)
{
    score = std::clamp(score, 0.001, 0.999);
    return -400.0 * std::log10(1.0 / score - 1.0) + 0.0; // never "-0"
}

void appendPdn(const Options& o, const Ballot& ballot, bool aWhite, const Outcome& outcome)
{
    if (o.pdnFile.empty()) return;
    PdnHeader header;
    header.event = "Korvel match";
    header.round = ballot.name;
    const auto name = [](char which, const Player& p) {
        return std::string("Korvel ") + which + ", уровень " + std::to_string(p.level);
    };
    header.white = aWhite ? name('A', o.a) : name('B', o.b);
    header.black = aWhite ? name('B', o.b) : name('A', o.a);
    header.result = outcome.whiteScore == 1.0 ? "1-0" : outcome.whiteScore == 0.0 ? "0-1" : "1/2-1/2";
    const int firstSide = firstSideOfRecord(gameRecord, sideToMove);
    if (const auto game = gameOfRecord(gameRecord, firstSide, header)) {
        std::ofstream out(o.pdnFile, std::ios::app | std::ios::binary);
        out << writePdn(*game) << "\n";
    }
}

int runMatch(const Args& args)
{
    Options o;
    if (!parseOptions(args, o)) return usageError("match");
    if (!startEngine()) return 1;
    searchReporter = nullptr;
    bookCandidateCountHook = nullptr;
    const std::vector<Ballot> ballots = readBallots(dataFilePath(o.ballotFile));
    if (ballots.empty()) {
        std::fprintf(stderr, "korvel-cli: no ballots in %s\n", o.ballotFile.c_str());
        return 1;
    }
    if (!o.pdnFile.empty()) std::ofstream(o.pdnFile, std::ios::trunc | std::ios::binary);
    int wins = 0, draws = 0, losses = 0, game = 0;
    std::vector<double> scores;
    for (int i = o.first - 1; i < o.first - 1 + o.ballots && i < static_cast<int>(ballots.size()); ++i) {
        for (bool aWhite : {true, false}) {
            seedRandom(static_cast<std::uint32_t>(7919 * ++game));
            startBallot(ballots[static_cast<std::size_t>(i)]);
            const Outcome outcome = playGame(aWhite ? o.a : o.b, aWhite ? o.b : o.a, o.plyLimit);
            const double scoreA = aWhite ? outcome.whiteScore : 1.0 - outcome.whiteScore;
            scores.push_back(scoreA);
            (scoreA == 1.0 ? wins : scoreA == 0.0 ? losses : draws)++;
            std::printf("game %d  %-6s A %s  %s  %d plies, %s\n", game, ballots[static_cast<std::size_t>(i)].name.c_str(),
                        aWhite ? "white" : "black", scoreA == 1.0 ? "A wins" : scoreA == 0.0 ? "B wins" : "draw",
                        gameRecord.plyNumber - 1, outcome.why);
            std::fflush(stdout);
            appendPdn(o, ballots[static_cast<std::size_t>(i)], aWhite, outcome);
        }
    }
    const double n = static_cast<double>(scores.size());
    double mean = 0, variance = 0;
    for (double s : scores) mean += s / n;
    for (double s : scores) variance += (s - mean) * (s - mean) / n;
    const double margin = 1.96 * std::sqrt(variance / n);
    std::printf("A (level %d) against B (level %d): +%d =%d -%d of %d games, score %.1f%%, Elo %+.0f [%+.0f, %+.0f]\n",
                o.a.level, o.b.level, wins, draws, losses, game, 100.0 * mean, eloOf(mean), eloOf(mean - margin),
                eloOf(mean + margin));
    return 0;
}

const bool registered = registerCommand(
    {"match", "[--ballots N] [--first K] [--time CS | --depth D] [--level N] [--level-a N] [--level-b N] "
              "[--time-a CS] [--time-b CS] [--depth-a D] [--depth-b D] [--plies N] [--pdn FILE] [--ballot-file PATH]",
     runMatch});

} // namespace
