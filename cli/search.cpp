// search, bench: the engine's turn as the program runs it, and the speed benchmark.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/command.h"
#include "engine/egtb.h"
#include "engine/engine.h"
#include "engine/search.h"
#include "engine/threads.h"
#include "game/strength.h"

namespace {

using Clock = std::chrono::steady_clock;

long long millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The variation without its closing blank.
std::string pvMoves()
{
    std::string moves = pvText;
    if (!moves.empty() && moves.back() == ' ') moves.pop_back();
    return moves;
}

// Prints one line per completed depth; the windows' fields are not shown.
class LineReporter : public SearchReporter {
public:
    explicit LineReporter(Clock::time_point start) : start_(start) {}
    void iterationCompleted(int depth, int score) override
    {
        const long long moves = static_cast<long long>(movesMade() + helperMovesMade());
        std::printf("depth %d score %d nodes %lld ms %lld pv %s\n", depth, score, moves, millisecondsSince(start_),
                    pvMoves().c_str());
        std::fflush(stdout);
    }

private:
    Clock::time_point start_;
};

// The engine turn's steps: fresh tables, then preparation with the root list, then
// the single-move case or the depth loop, which returns the number of root moves.
void freshTurn()
{
    clearHash();
    bitbaseProbeCount = 0;
}

int thinkFor(int side, int level, int threads)
{
    prepareSearch(side);
    const int n = moveLists[1].count;
    if (n >= 2) searchAtLevel(level, threads);
    return n;
}

struct SearchLimits {
    std::int32_t budget = 200;
    int depth = lastIterationDepth;
    int level = strongestLevel;
    int threads = 1; // so that the output stays repeatable
};

constexpr NumberArgument timeArgument{"time", "the time", 0, unlimitedTime, "hundredths of a second"};
constexpr NumberArgument depthArgument{"depth", "the depth", firstIterationDepth, lastIterationDepth};
constexpr NumberArgument levelArgument{"level", "the level", weakestLevel, strongestLevel};

bool readThreads(const std::string& text, int& threads)
{
    long value = 0;
    if (!readNumber(threadsArgument(), text, value)) return false;
    threads = static_cast<int>(value);
    return true;
}

// --time CENTISECONDS or --depth D, --level N and --threads N, after the position. A
// call of the wrong shape gets the usage, a value out of its range what was wrong.
int parseLimits(const Args& args, SearchLimits& limits)
{
    bool timeOrDepth = false;
    for (std::size_t i = 1; i < args.size(); i += 2) {
        const std::string& name = args[i];
        if (i + 1 >= args.size()) return usageError("search");
        long value = 0;
        if (name == "--level") {
            if (!readNumber(levelArgument, args[i + 1], value)) return wrongArguments;
            limits.level = static_cast<int>(value);
            continue;
        }
        if (name == "--threads") {
            if (!readThreads(args[i + 1], limits.threads)) return wrongArguments;
            continue;
        }
        if ((name != "--time" && name != "--depth") || timeOrDepth) return usageError("search");
        timeOrDepth = true;
        if (!readNumber(name == "--time" ? timeArgument : depthArgument, args[i + 1], value)) return wrongArguments;
        if (name == "--time") {
            limits.budget = static_cast<std::int32_t>(value);
        } else {
            limits.budget = unlimitedTime;
            limits.depth = static_cast<int>(value);
        }
    }
    return 0;
}

int runSearch(const Args& args)
{
    SearchLimits limits;
    std::string position;
    if (args.empty()) return usageError("search");
    if (!readPosition(args[0], position)) return wrongArguments;
    if (const int status = parseLimits(args, limits)) return status;
    seedRandom(1); // repeatable keys, so that a fixed depth gives a fixed search
    if (!startEngine()) return 1;
    touchHashTables(); // the system's work for fresh pages is start-up, not search
    setPositionFromText(position);
    const int side = sideToMove;
    timeBudget = limits.budget;
    maxIterationDepth = limits.depth;
    LineReporter reporter(Clock::now());
    searchReporter = &reporter;
    freshTurn();
    const int n = thinkFor(side, limits.level, limits.threads);
    searchReporter = nullptr;
    if (n == 0) std::printf("bestmove none\n");
    else std::printf("bestmove %s\n", moveText(moveLists[1].moves[1]).c_str());
    return 0;
}

struct BenchPosition {
    const char* text;
    int depth;
};

// Openings, middlegames and endgames with kings, each with a choice of moves and
// searched to a depth that takes a fraction of a second.
constexpr BenchPosition benchPositions[] = {
    {"wwwwwwwwwwww00000000bbbbbbbbbbbb w", 15},
    {"wwwwwwwww0www0000000bbbbbbbbbbbb b", 15},
    {"wwww0w0ww00w00w0b000bbbb0000bbbb w", 12},
    {"www0wwwwwww00w0000b0bb0bbbbb0bbb b", 15},
    {"0ww0w0wwww0w0w0wb0bb0bb00bbb0b0b b", 15},
    {"ww0ww0www0w0w0w000bb0b0bbb0b0bbb w", 15},
    {"0w0w0000b0ww00wb00w0000b00b0000b w", 17},
    {"00w0w00ww00w0w0w0bb00b00bb0b0000 b", 15},
    {"0000w0w0w00w0000b0b000b000b00000 w", 17},
    {"000W00w00w000000000b0b000b00b000 w", 13},
    {"0000000W0000000000000b0bB0000000 b", 13},
    {"00000W0000000000000000b00b0B0000 b", 13},
    {"00000000000w00w0000000000000B000 w", 17},
};

int runBench(const Args& args)
{
    int threads = 1;
    if (!args.empty() && (args.size() != 2 || args[0] != "--threads")) return usageError("bench");
    if (!args.empty() && !readThreads(args[1], threads)) return wrongArguments;
    // No configuration file: the default table size and no bitbases, so that the
    // signature does not depend on the folder the benchmark runs in.
    configFileName.clear();
    seedRandom(1);
    if (!startEngine()) return 1;
    touchHashTables(); // the system's work for fresh pages is start-up, not search
    timeBudget = unlimitedTime;
    std::int64_t total = 0;
    long long searchMs = 0;
    int index = 0;
    for (const auto& position : benchPositions) {
        setPositionFromText(position.text);
        maxIterationDepth = position.depth;
        freshTurn();
        const auto start = Clock::now();
        thinkFor(sideToMove, strongestLevel, threads);
        searchMs += millisecondsSince(start);
        const std::int64_t moves = movesMade();
        total += moves;
        std::printf("%2d %s depth %d moves %lld\n", ++index, position.text, position.depth,
                    static_cast<long long>(moves));
        std::fflush(stdout);
    }
    maxIterationDepth = lastIterationDepth;
    const long long nps = searchMs > 0 ? static_cast<long long>(total * 1000 / searchMs) : 0;
    std::printf("bench %lld nodes %lld nps\n", static_cast<long long>(total), nps);
    return 0;
}

const bool registered = registerCommand({"search", runSearch}) && registerCommand({"bench", runBench});

} // namespace
