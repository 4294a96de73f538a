// analyse: a game of a PDN file searched position by position and written back as PDN
// with every half-move's score and the marks of its mistakes.
#include <cstdio>

#include "cli/command.h"
#include "game/analysis.h"

namespace {

struct AnalyseOptions {
    std::string path;
    AnalysisLimits limits;
    long game = 1;
};

constexpr NumberArgument timeArgument{"time", "the time", 1, unlimitedTime, "hundredths of a second"};
constexpr NumberArgument depthArgument{"depth", "the depth", firstIterationDepth, lastIterationDepth};
constexpr NumberArgument gameArgument{"game", "the game's number", 1, 1000000};

// A depth without a time searches each position to that depth, however long it takes.
// A call of the wrong shape gets the usage, a value out of its range what was wrong.
int parseOptions(const Args& args, AnalyseOptions& options)
{
    if (args.size() % 2 != 1) return usageError("analyse");
    options.path = args[0];
    bool timeGiven = false, depthGiven = false;
    const NumberArgument threads = threadsArgument();
    for (std::size_t i = 1; i < args.size(); i += 2) {
        long value = 0;
        const std::string& name = args[i];
        const std::string& text = args[i + 1];
        const NumberArgument* argument = name == "--time"      ? &timeArgument
                                         : name == "--depth"   ? &depthArgument
                                         : name == "--game"    ? &gameArgument
                                         : name == "--threads" ? &threads
                                                               : nullptr;
        if (!argument) return usageError("analyse");
        if (!readNumber(*argument, text, value)) return wrongArguments;
        if (argument == &timeArgument) {
            options.limits.budget = static_cast<std::int32_t>(value);
            timeGiven = true;
        } else if (argument == &depthArgument) {
            options.limits.depth = static_cast<int>(value);
            depthGiven = true;
        } else if (argument == &gameArgument) {
            options.game = value;
        } else {
            options.limits.threads = static_cast<int>(value);
        }
    }
    if (depthGiven && !timeGiven) options.limits.budget = unlimitedTime;
    return 0;
}

// One line per half-move on standard error, as its result comes.
class ProgressLines : public AnalysisObserver {
public:
    explicit ProgressLines(const PdnGame& game) : game_(game) {}
    void halfMoveDone(int k, const HalfMoveResult& result) override
    {
        const std::size_t i = static_cast<std::size_t>(k - 1);
        std::fprintf(stderr, "%d/%zu %s%s %s best %s %s\n", k, game_.moves.size(), game_.moves[i].c_str(),
                     markText(result.mark), scoreComment(result.scoreAfter).c_str(), result.bestMove.c_str(),
                     scoreComment(result.scoreBefore).c_str());
        std::fflush(stderr);
    }

private:
    const PdnGame& game_;
};

int runAnalyse(const Args& args)
{
    AnalyseOptions options;
    if (const int status = parseOptions(args, options)) return status;
    std::string text;
    if (!readFile(options.path, text)) {
        std::fprintf(stderr, "korvel-cli: cannot read %s\n", options.path.c_str());
        return 1;
    }
    seedRandom(1); // repeatable keys, so that a depth limit gives the same analysis
    if (!startEngine()) return 1;
    // The games before the one asked for are only counted.
    std::size_t gamesInFile = 0;
    const std::optional<PdnGame> chosen = readPdnGame(text, static_cast<std::size_t>(options.game), &gamesInFile);
    if (!chosen) {
        std::fprintf(stderr, "korvel-cli: %s: no game %ld (%zu in the file)\n", options.path.c_str(), options.game,
                     gamesInFile);
        return 1;
    }
    const PdnGame& game = *chosen;
    if (!game.error.empty()) {
        std::fprintf(stderr, "korvel-cli: %s: %s\n", options.path.c_str(), game.error.c_str());
        return 1;
    }
    ProgressLines progress(game);
    const std::string annotated = writePdn(analysedPdnGame(game, options.limits, progress));
    std::fwrite(annotated.data(), 1, annotated.size(), stdout);
    return 0;
}

const bool registered = registerCommand({"analyse", runAnalyse});

} // namespace
