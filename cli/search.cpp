// search, bench: the engine's turn as the program runs it, and the speed benchmark.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/command.h"
#include "engine/egtb.h"
#include "engine/engine.h"
#include "engine/search.h"

namespace {

using Clock = std::chrono::steady_clock;

long long millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

bool parseNumber(const std::string& text, long low, long high, long& value)
{
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && value >= low && value <= high;
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
    void setField(InfoField, std::string_view) override {}
    void ShowVariation(std::string_view) override {}
    void pumpMessages() override {}
    bool variationItemChecked() override { return false; }
    void iterationCompleted(int depth, int score) override
    {
        std::printf("depth %d score %d nodes %lld ms %lld pv %s\n", depth, score, static_cast<long long>(movesMade()),
                    millisecondsSince(start_), pvMoves().c_str());
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

int thinkFor(int side)
{
    prepareSearch(side);
    const int n = moveLists[1].count;
    if (n >= 2) iterativeDeepening();
    return n;
}

struct SearchLimits {
    std::int32_t budget = 200;
    int depth = deepestPly;
};

bool parseLimits(const Args& args, SearchLimits& limits)
{
    if (args.size() == 1) return true;
    if (args.size() != 3) return false;
    long value = 0;
    if (args[1] == "--time" && parseNumber(args[2], 0, unlimitedTime, value)) {
        limits.budget = static_cast<std::int32_t>(value);
        return true;
    }
    if (args[1] == "--depth" && parseNumber(args[2], firstIterationDepth, deepestPly, value)) {
        limits.budget = unlimitedTime;
        limits.depth = static_cast<int>(value);
        return true;
    }
    return false;
}

int runSearch(const Args& args)
{
    SearchLimits limits;
    if (args.empty() || !isPositionText(args[0]) || !parseLimits(args, limits)) return usageError("search");
    seedRandom(1); // repeatable keys, so that a fixed depth gives a fixed search
    if (!startEngine()) return 1;
    setPositionFromText(args[0]);
    const int side = sideToMove;
    timeBudget = limits.budget;
    maxIterationDepth = limits.depth;
    LineReporter reporter(Clock::now());
    searchReporter = &reporter;
    freshTurn();
    const int n = thinkFor(side);
    searchReporter = nullptr;
    if (n == 0) std::printf("bestmove none\n");
    else std::printf("bestmove %s\n", moveText(moveLists[1].moves[1]).c_str());
    return 0;
}

struct BenchPosition {
    const char* text;
    int depth;
};

// Openings, middlegames and endgames with kings, each to a depth that takes a
// fraction of a second.
constexpr BenchPosition benchPositions[] = {
    {"wwwwwwwwwwww00000000bbbbbbbbbbbb w", 13},
    {"wwww0wwwwwwww000b000bbbbb0bbbbbb w", 13},
    {"wwww0w0wwwwww000b0b0bb0bb0b0bbbb b", 12},
    {"wwww000www0ww0w0b0b00bbbb000bbbb w", 13},
    {"wwww0w0ww00w00w0b000bbbb0000bbbb w", 12},
    {"wwww000w000ww0w00000bbbb00b0b0bb w", 14},
    {"0wwww00w000w00w00b000bbb00b000bb b", 14},
    {"0w0w0w0wbw0w00w000000bbb00b000bb b", 14},
    {"0w0w000wbww000w00b0000bb00b0000b b", 14},
    {"0w0w0000b0ww00wb00w0000b00b0000b w", 17},
    {"0w000000b0w000w000w00000000b00b0 w", 15},
    {"0000W00000w00w00000b0b0b00000000 w", 15},
    {"00000W0000000000000000b00b0B0000 b", 13},
    {"0W00000000000000w00000000000B000 w", 15},
    {"W0W00000000000000000000W000000B0 w", 10},
    {"0000000000W00000000bb0000b00B000 b", 14},
};

int runBench(const Args& args)
{
    if (!args.empty()) return usageError("bench");
    // No configuration file: the default table size and no bitbases, so that the
    // signature does not depend on the folder the benchmark runs in.
    configFileName.clear();
    seedRandom(1);
    if (!startEngine()) return 1;
    timeBudget = unlimitedTime;
    std::int64_t total = 0;
    long long searchMs = 0;
    int index = 0;
    for (const auto& position : benchPositions) {
        setPositionFromText(position.text);
        maxIterationDepth = position.depth;
        freshTurn();
        const auto start = Clock::now();
        thinkFor(sideToMove);
        searchMs += millisecondsSince(start);
        const std::int64_t moves = movesMade();
        total += moves;
        std::printf("%2d %s depth %d moves %lld\n", ++index, position.text, position.depth,
                    static_cast<long long>(moves));
        std::fflush(stdout);
    }
    maxIterationDepth = deepestPly;
    const long long nps = searchMs > 0 ? static_cast<long long>(total * 1000 / searchMs) : 0;
    std::printf("bench %lld nodes %lld nps\n", static_cast<long long>(total), nps);
    return 0;
}

const bool registered = registerCommand({"search", "POSITION [--time CENTISECONDS | --depth D]", runSearch}) &&
                        registerCommand({"bench", "", runBench});

} // namespace
