// puzzles make: combinations found in engine games from the opening ballots (at mixed
// levels, so that mistakes occur) or in the games of PDN files, appended to a
// collection file as they are found; a run that is stopped keeps what it found, and
// a later run with --first continues where it left off.
// puzzles check: every puzzle of a collection checked by the deep search.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/enginegames.h"
#include "engine/engine.h"
#include "engine/search.h"
#include "game/combinations.h"
#include "game/datafiles.h"
#include "game/drawrules.h"
#include "game/pdn.h"
#include "game/puzzles.h"
#include "game/record.h"
#include "game/strength.h"

namespace {

using Clock = std::chrono::steady_clock;

struct MakeOptions {
    int games = 100;
    int first = 1;
    std::int32_t budget = 2;   // hundredths of a second a move
    FinderLimits limits;
    std::string out = "puzzles.txt";
    std::string ballotFile = "ballots.txt";
    std::vector<std::string> pdnFiles;
};

constexpr int plyLimit = 200;
// The players' levels: the lowest play at random, the highest rarely err.
constexpr int lowestLevel = 2, highestLevel = 7;

constexpr NumberArgument gamesArgument{"games", "the number of games", 1, 1000000};
constexpr NumberArgument firstGameArgument{"first", "the first game", 1, 1000000};
constexpr NumberArgument timeArgument{"time", "the time", 1, 1000000, "hundredths of a second"};
constexpr NumberArgument depthArgument{"depth", "the depth", 4, 30};

// 0, or the status of a wrong call once it is reported.
int parseMakeOptions(const Args& args, MakeOptions& o)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name.rfind("--", 0) != 0) {
            o.pdnFiles.push_back(name);
            continue;
        }
        if (i + 1 >= args.size()) return usageError("puzzles");
        const std::string& text = args[++i];
        if (name == "--out") {
            o.out = text;
            continue;
        }
        if (name == "--ballot-file") {
            o.ballotFile = text;
            continue;
        }
        const NumberArgument* argument = name == "--games"   ? &gamesArgument
                                         : name == "--first" ? &firstGameArgument
                                         : name == "--time"  ? &timeArgument
                                         : name == "--depth" ? &depthArgument
                                                             : nullptr;
        if (!argument) return usageError("puzzles");
        long value = 0;
        if (!readNumber(*argument, text, value)) return wrongArguments;
        if (argument == &gamesArgument) o.games = static_cast<int>(value);
        else if (argument == &firstGameArgument) o.first = static_cast<int>(value);
        else if (argument == &timeArgument) o.budget = static_cast<std::int32_t>(value);
        else o.limits.depth = static_cast<int>(value);
    }
    o.limits.quickDepth = std::min(o.limits.quickDepth, o.limits.depth - 2);
    return 0;
}

std::string elapsedText(Clock::time_point start)
{
    const long seconds = static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count());
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

// Finds the combinations of one game's positions and appends the new ones.
class Collector {
public:
    Collector(const MakeOptions& o) : options_(o), start_(Clock::now())
    {
        const std::vector<Puzzle> puzzles = readPuzzleFile(o.out).puzzles;
        for (const Puzzle& p : puzzles) remember(p);
        inFile_ = static_cast<int>(puzzles.size());
    }

    bool writable() const { return std::ofstream(options_.out, std::ios::app | std::ios::binary).good(); }

    // The positions of a game, its start first; where says where each comes from.
    int scan(const std::vector<BoardPosition>& positions, const std::string& where)
    {
        int found = 0;
        for (std::size_t k = 0; k < positions.size(); ++k) {
            const std::string fen = positionToFen(positions[k]);
            if (known_.count(fen)) continue;
            FinderVerdict verdict = findCombination(positions[k], options_.limits);
            if (!verdict.puzzle) continue;
            remember(*verdict.puzzle);
            verdict.puzzle->source = where + ", полуход " + std::to_string(k + 1);
            std::ofstream(options_.out, std::ios::app | std::ios::binary) << puzzleText(*verdict.puzzle) << "\n";
            ++found;
        }
        madeThisRun_ += found;
        return found;
    }

    void report(int done, int total, int found)
    {
        std::fprintf(stderr, "партия %d из %d: %d новых, за этот запуск %d, в файле %d, %s\n", done, total, found,
                     madeThisRun_, inFile_ + madeThisRun_, elapsedText(start_).c_str());
        std::fflush(stderr);
    }

    int madeThisRun() const { return madeThisRun_; }

private:
    // Its position, and those along its line with the solver to move: they hold the
    // same combination played on.
    void remember(const Puzzle& p)
    {
        known_.insert(positionToFen(p.start));
        for (const BoardPosition& at : p.positions)
            if (at.side == p.solver()) known_.insert(positionToFen(at));
    }

    const MakeOptions& options_;
    Clock::time_point start_;
    std::set<std::string> known_;
    int inFile_ = 0;
    int madeThisRun_ = 0;
};

std::vector<BoardPosition> recordedPositions(int sideAtEnd)
{
    std::vector<BoardPosition> positions;
    const int firstSide = firstSideOfRecord(gameRecord, sideAtEnd);
    for (int n = 1; n <= gameRecord.redoLimit; ++n) {
        const RecordEntry& e = gameRecord.entries[n];
        positions.push_back({e.whiteMen, e.whiteKings, e.blackMen, e.blackKings, (firstSide + n - 1) % 2});
    }
    return positions;
}

// One engine game from a ballot at the given levels, until it is decided or drawn.
void playGame(int whiteLevel, int blackLevel, std::int32_t budget)
{
    for (;;) {
        if (generateLegalMoves(sideToMove, 0) == 0 || IsThreefoldRepetition()) return;
        if (drawRuleAt(gameRecord, gameRecord.plyNumber, sideToMove) != DrawRule::None) return;
        if (gameRecord.plyNumber > plyLimit || recordFull()) return;
        playEngineMove(sideToMove == White ? whiteLevel : blackLevel, budget, lastIterationDepth);
    }
}

int makeFromBallots(const MakeOptions& o, Collector& collector)
{
    std::vector<Ballot> ballots;
    std::string error;
    if (!readBallots(dataFilePath(o.ballotFile), ballots, error)) {
        std::fprintf(stderr, "korvel-cli: %s\n", error.c_str());
        return 1;
    }
    const int count = static_cast<int>(ballots.size());
    for (int game = o.first; game < o.first + o.games; ++game) {
        // Each game's levels and choices follow from its number, so that a run can be resumed.
        seedRandom(static_cast<std::uint32_t>(104729 * game));
        const int whiteLevel = lowestLevel + static_cast<int>(randomBelow(highestLevel - lowestLevel + 1));
        const int blackLevel = lowestLevel + static_cast<int>(randomBelow(highestLevel - lowestLevel + 1));
        const Ballot& ballot = ballots[static_cast<std::size_t>((game - 1) % count)];
        startBallot(ballot);
        playGame(whiteLevel, blackLevel, o.budget);
        const std::string where = "партия " + std::to_string(game) + " (" + ballot.name + ", уровни " +
                                  std::to_string(whiteLevel) + " и " + std::to_string(blackLevel) + ")";
        const int found = collector.scan(recordedPositions(sideToMove), where);
        collector.report(game - o.first + 1, o.games, found);
    }
    return 0;
}

int makeFromPdn(const MakeOptions& o, Collector& collector)
{
    std::vector<std::pair<std::string, PdnGame>> games;
    for (const std::string& path : o.pdnFiles) {
        std::string text;
        if (!readFile(path, text)) {
            std::fprintf(stderr, "korvel-cli: cannot read %s\n", path.c_str());
            return 1;
        }
        int number = 0;
        for (PdnGame& game : readPdn(text)) {
            ++number;
            if (!game.error.empty()) {
                std::fprintf(stderr, "%s: %s\n", path.c_str(), game.error.c_str());
                continue;
            }
            games.emplace_back(path + ", партия " + std::to_string(number), std::move(game));
        }
    }
    int done = 0;
    for (const auto& [where, game] : games) {
        std::vector<BoardPosition> positions{game.start};
        positions.insert(positions.end(), game.positions.begin(), game.positions.end());
        const int found = collector.scan(positions, where);
        collector.report(++done, static_cast<int>(games.size()), found);
    }
    return 0;
}

int runMake(const Args& args)
{
    MakeOptions o;
    if (const int status = parseMakeOptions(args, o)) return status;
    if (!startEngine()) return 1;
    searchReporter = nullptr;
    bookCandidateCountHook = nullptr;
    Collector collector(o);
    if (!collector.writable()) {
        std::fprintf(stderr, "korvel-cli: cannot write %s\n", o.out.c_str());
        return 1;
    }
    const int status = o.pdnFiles.empty() ? makeFromBallots(o, collector) : makeFromPdn(o, collector);
    std::printf("%d puzzles added to %s\n", collector.madeThisRun(), o.out.c_str());
    return status;
}

int runCheck(const Args& args)
{
    if (args.empty()) return usageError("puzzles");
    int depth = FinderLimits{}.depth;
    for (std::size_t i = 1; i < args.size(); i += 2) {
        long value = 0;
        if (args[i] != "--depth" || i + 1 >= args.size()) return usageError("puzzles");
        if (!readNumber(depthArgument, args[i + 1], value)) return wrongArguments;
        depth = static_cast<int>(value);
    }
    std::string text;
    if (!readFile(args[0], text)) {
        std::fprintf(stderr, "korvel-cli: cannot read %s\n", args[0].c_str());
        return 1;
    }
    if (!startEngine()) return 1;
    searchReporter = nullptr;
    bookCandidateCountHook = nullptr;
    const PuzzleCollection collection = readPuzzles(text);
    // Every failure by its line, in the file's order: the refused lines name theirs.
    std::vector<std::pair<int, std::string>> failures;
    for (const std::string& problem : collection.problems) {
        const auto digits = problem.find_first_of("0123456789");
        failures.emplace_back(digits == std::string::npos ? 0 : std::atoi(problem.c_str() + digits), problem);
    }
    std::set<std::string> seen;
    for (const Puzzle& puzzle : collection.puzzles) {
        std::string why = seen.insert(positionToFen(puzzle.start)).second ? checkPuzzle(puzzle, depth) : "повтор позиции";
        if (!why.empty()) failures.emplace_back(puzzle.lineNumber, "Строка " + std::to_string(puzzle.lineNumber) + ": " + why);
    }
    std::stable_sort(failures.begin(), failures.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& failure : failures) std::printf("%s\n", failure.second.c_str());
    std::printf("%zu puzzles checked at depth %d, %zu failed\n", collection.puzzles.size(), depth, failures.size());
    return failures.empty() ? 0 : 1;
}

int runPuzzles(const Args& args)
{
    if (!args.empty() && args[0] == "make") return runMake(Args(args.begin() + 1, args.end()));
    if (!args.empty() && args[0] == "check") return runCheck(Args(args.begin() + 1, args.end()));
    return usageError("puzzles");
}

const bool registered = registerCommand({"puzzles", runPuzzles});

} // namespace
