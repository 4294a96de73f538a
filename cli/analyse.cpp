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

// A depth without a time searches each position to that depth, however long it takes.
bool parseOptions(const Args& args, AnalyseOptions& options)
{
    if (args.size() % 2 != 1) return false;
    options.path = args[0];
    bool timeGiven = false, depthGiven = false;
    for (std::size_t i = 1; i < args.size(); i += 2) {
        long value = 0;
        const std::string& name = args[i];
        const std::string& text = args[i + 1];
        if (name == "--time" && parseWholeNumber(text, 1, unlimitedTime, value)) {
            options.limits.budget = static_cast<std::int32_t>(value);
            timeGiven = true;
        } else if (name == "--depth" && parseWholeNumber(text, firstIterationDepth, lastIterationDepth, value)) {
            options.limits.depth = static_cast<int>(value);
            depthGiven = true;
        } else if (name == "--game" && parseWholeNumber(text, 1, 1000000, value)) {
            options.game = value;
        } else if (name == "--threads" && parseWholeNumber(text, 1, logicalProcessors(), value)) {
            options.limits.threads = static_cast<int>(value);
        } else {
            return false;
        }
    }
    if (depthGiven && !timeGiven) options.limits.budget = unlimitedTime;
    return true;
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
    if (!parseOptions(args, options)) return usageError("analyse");
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

const bool registered =
    registerCommand({"analyse", "GAME.pdn [--time CENTISECONDS] [--depth D] [--game N] [--threads N]", runAnalyse});

} // namespace
