// search and bench: the engine turn's search without a window.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "cli/command.h"
#include "engine/egtb.h"
#include "engine/search.h"

namespace {

class LineReporter : public SearchReporter {
public:
    void iterationCompleted(int depth, int score) override
    {
        const double ms = (searchClock() - searchStart) * 1000.0;
        std::printf("depth %d score %d nodes %lld ms %lld pv %s\n", depth, score, static_cast<long long>(movesMade()),
                    static_cast<long long>(ms), principalVariationText(true).c_str());
        std::fflush(stdout);
    }
};

// The engine turn's search for the side to move: tables cleared, preparation, the
// single-move and no-move cases, the depth loop. Returns the number of root moves.
int searchPosition(int side, std::int32_t budget, int depth)
{
    clearHash();
    bitbaseProbeCount = 0;
    engineSide = side;
    timeBudget = budget;
    maxIterationDepth = depth;
    prepareSearch(side);
    const int n = moveLists[1].count;
    if (n >= 2) iterativeDeepening();
    return n;
}

bool parseNumber(const std::string& text, long low, long high, long& value)
{
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && value >= low && value <= high;
}

int runSearch(const Args& args)
{
    std::int32_t budget = 200;
    int depth = lastIterationDepth;
    if (args.empty() || !isPositionText(args[0])) return usageError("search");
    for (std::size_t i = 1; i < args.size(); i += 2) {
        long value = 0;
        if (i + 1 >= args.size()) return usageError("search");
        if (args[i] == "--time" && parseNumber(args[i + 1], 0, unlimitedTime, value)) budget = static_cast<std::int32_t>(value);
        else if (args[i] == "--depth" && parseNumber(args[i + 1], firstIterationDepth, lastIterationDepth, value)) {
            depth = static_cast<int>(value);
            budget = unlimitedTime;
        } else return usageError("search");
    }
    if (!startEngine()) return 1;
    setPositionFromText(args[0]);
    LineReporter reporter;
    searchReporter = &reporter;
    const int n = searchPosition(sideToMove, budget, depth);
    searchReporter = nullptr;
    std::printf("bestmove %s\n", n ? moveText(moveLists[1].moves[1]).c_str() : "none");
    return 0;
}

// Openings, middlegames and endings with kings; each searched to a fixed depth.
struct BenchPosition {
    const char* text;
    int depth;
};
const BenchPosition benchPositions[] = {
    {"wwwwwwwwwwww00000000bbbbbbbbbbbb w", 15},
    {"wwwwwwwww0www0000000bbbbbbbbbbbb b", 15},
    {"wwwwwww0ww0w0w000b0b00bbbb0bbbbb w", 15},
    {"www0wwwwwww00w0000b0bb0bbbbb0bbb b", 15},
    {"0ww0w0wwww0w0w0wb0bb0bb00bbb0b0b b", 15},
    {"ww0ww0www0w0w0w000bb0b0bbb0b0bbb w", 15},
    {"w0w0ww00w0w0ww000b0bb00bb0bb0b00 w", 15},
    {"00w0w00ww00w0w0w0bb00b00bb0b0000 b", 15},
    {"0000w0w0w00w0000b0b000b000b00000 w", 17},
    {"000W00w00w000000000b0b000b00b000 w", 13},
    {"0000000W0000000000000b0bB0000000 b", 13},
    {"W0000w00000000b000000000B00b0000 w", 13},
    {"00000000000w00w0000000000000B000 w", 17},
};

int runBench(const Args& args)
{
    if (!args.empty()) return usageError("bench");
    // The signature must not depend on a configuration file or the clock.
    configFileName.clear();
    seedRandom(1);
    if (!startEngine()) return 1;
    std::int64_t total = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const BenchPosition& p : benchPositions) {
        setPositionFromText(p.text);
        searchPosition(sideToMove, unlimitedTime, p.depth);
        std::printf("%s depth %d moves %lld\n", p.text, p.depth, static_cast<long long>(movesMade()));
        total += movesMade();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("bench %lld nodes %lld nps\n", static_cast<long long>(total),
                static_cast<long long>(seconds > 0 ? total / seconds : 0));
    return 0;
}

const bool registered = registerCommand({"search", "POSITION [--time CENTISECONDS | --depth D]", runSearch}) &&
                        registerCommand({"bench", "", runBench});

} // namespace
