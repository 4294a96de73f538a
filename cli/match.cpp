// match: the engine against itself from the standard opening ballots, each ballot
// played twice with the colours exchanged, with a strength level, a time or a depth
// for each side. Prints every game's result and the score with its Elo difference.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cerrno>
#include <cstdlib>
#include <cstring>
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
    int threads = 1;
};

struct Options {
    Player a, b;
    int ballots = 150;
    int first = 1;
    int plyLimit = 300;
    std::string ballotFile = "ballots.txt";
    std::string pdnFile;
};

constexpr NumberArgument levelArgument{"level", "the level", weakestLevel, strongestLevel};
constexpr NumberArgument timeArgument{"time", "the time", 1, unlimitedTime, "hundredths of a second"};
constexpr NumberArgument depthArgument{"depth", "the depth", 1, lastIterationDepth};
constexpr NumberArgument ballotsArgument{"ballots", "the number of ballots", 1, unlimitedTime};
constexpr NumberArgument firstArgument{"first", "the first ballot", 1, unlimitedTime};
constexpr NumberArgument pliesArgument{"plies", "the ply limit", 1, unlimitedTime};

// "--level 3" sets both sides, "--level-a 3" and "--level-b 3" one of them; likewise
// --time (hundredths of a second), --depth (no time limit then) and --threads. Returns
// 0, or the status of a wrong call once it is reported.
int setPlayerOption(const std::string& name, const std::string& text, Player& a, Player& b)
{
    const bool forA = name.size() < 2 || name.compare(name.size() - 2, 2, "-b") != 0;
    const bool forB = name.size() < 2 || name.compare(name.size() - 2, 2, "-a") != 0;
    const std::string base = (forA && forB) ? name : name.substr(0, name.size() - 2);
    const NumberArgument threads = threadsArgument();
    const NumberArgument* argument = base == "--level"     ? &levelArgument
                                     : base == "--time"    ? &timeArgument
                                     : base == "--depth"   ? &depthArgument
                                     : base == "--threads" ? &threads
                                                           : nullptr;
    if (!argument) return usageError("match");
    long value = 0;
    if (!readNumber(*argument, text, value)) return wrongArguments;
    for (Player* p : {forA ? &a : nullptr, forB ? &b : nullptr}) {
        if (!p) continue;
        if (argument == &levelArgument) p->level = static_cast<int>(value);
        else if (argument == &timeArgument) p->budget = static_cast<std::int32_t>(value);
        else if (argument == &threads) p->threads = static_cast<int>(value);
        else {
            p->depth = static_cast<int>(value);
            p->budget = unlimitedTime;
        }
    }
    return 0;
}

int parseOptions(const Args& args, Options& o)
{
    for (std::size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return usageError("match");
        const std::string& name = args[i];
        const std::string& text = args[i + 1];
        if (name == "--ballot-file") {
            o.ballotFile = text;
            continue;
        }
        if (name == "--pdn") {
            o.pdnFile = text;
            continue;
        }
        const NumberArgument* argument = name == "--ballots" ? &ballotsArgument
                                         : name == "--first" ? &firstArgument
                                         : name == "--plies" ? &pliesArgument
                                                             : nullptr;
        if (!argument) {
            if (const int status = setPlayerOption(name, text, o.a, o.b)) return status;
            continue;
        }
        long value = 0;
        if (!readNumber(*argument, text, value)) return wrongArguments;
        if (argument == &ballotsArgument) o.ballots = static_cast<int>(value);
        else if (argument == &firstArgument) o.first = static_cast<int>(value);
        else o.plyLimit = static_cast<int>(std::min<long>(value, recordCapacity - 1));
    }
    return 0;
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
        playEngineMove(p.level, p.budget, p.depth, p.threads);
    }
}

double eloOf(double score)
{
    score = std::clamp(score, 0.001, 0.999);
    return -400.0 * std::log10(1.0 / score - 1.0) + 0.0; // never "-0"
}

// False when the game could not be written.
bool appendPdn(const Options& o, std::ofstream& out, const Ballot& ballot, bool aWhite, const Outcome& outcome)
{
    if (o.pdnFile.empty()) return true;
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
    if (const auto game = gameOfRecord(gameRecord, firstSide, header)) out << writePdn(*game) << "\n" << std::flush;
    return static_cast<bool>(out);
}

int runMatch(const Args& args)
{
    Options o;
    if (const int status = parseOptions(args, o)) return status;
    if (!startEngine()) return 1;
    searchReporter = nullptr;
    bookCandidateCountHook = nullptr;
    std::vector<Ballot> ballots;
    std::string error;
    if (!readBallots(dataFilePath(o.ballotFile), ballots, error)) {
        std::fprintf(stderr, "korvel-cli: %s\n", error.c_str());
        return 1;
    }
    if (static_cast<std::size_t>(o.first) > ballots.size()) {
        std::fprintf(stderr, "korvel-cli: --first %d: %s holds %zu ballots\n", o.first, o.ballotFile.c_str(),
                     ballots.size());
        return 1;
    }
    // Written as the games end; a file that cannot be written stops the match before it starts.
    std::ofstream pdn;
    if (!o.pdnFile.empty()) {
        pdn.open(o.pdnFile, std::ios::trunc | std::ios::binary);
        if (!pdn) {
            std::fprintf(stderr, "korvel-cli: cannot write %s: %s\n", o.pdnFile.c_str(), std::strerror(errno));
            return 1;
        }
    }
    // The ballots from --first on, as many as asked for and the file holds.
    const std::size_t firstBallot = static_cast<std::size_t>(o.first) - 1;
    const std::size_t endBallot = std::min(ballots.size(), firstBallot + static_cast<std::size_t>(o.ballots));
    int wins = 0, draws = 0, losses = 0, game = 0;
    std::vector<double> scores;
    for (std::size_t i = firstBallot; i < endBallot; ++i) {
        for (bool aWhite : {true, false}) {
            seedRandom(static_cast<std::uint32_t>(7919 * ++game));
            startBallot(ballots[i]);
            const Outcome outcome = playGame(aWhite ? o.a : o.b, aWhite ? o.b : o.a, o.plyLimit);
            const double scoreA = aWhite ? outcome.whiteScore : 1.0 - outcome.whiteScore;
            scores.push_back(scoreA);
            (scoreA == 1.0 ? wins : scoreA == 0.0 ? losses : draws)++;
            std::printf("game %d  %-6s A %s  %s  %d plies, %s\n", game, ballots[i].name.c_str(),
                        aWhite ? "white" : "black", scoreA == 1.0 ? "A wins" : scoreA == 0.0 ? "B wins" : "draw",
                        gameRecord.plyNumber - 1, outcome.why);
            std::fflush(stdout);
            if (!appendPdn(o, pdn, ballots[i], aWhite, outcome)) {
                std::fprintf(stderr, "korvel-cli: cannot write %s: %s\n", o.pdnFile.c_str(), std::strerror(errno));
                return 1;
            }
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

const bool registered = registerCommand({"match", runMatch});

} // namespace
