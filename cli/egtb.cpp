// egtb build, verify, probe: making, checking and reading the endgame tables.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/command.h"
#include "cli/tools/egtbgen.h"
#include "engine/egtb.h"
#include "game/tables.h"

namespace {

constexpr NumberArgument piecesArgument{"pieces", "the number of pieces", 2, bitbaseMaxPieces};
constexpr NumberArgument jobsArgument{"jobs", "the number of jobs", 1, 64};

int runBuild(const Args& args)
{
    long pieces = bitbaseMaxPieces;
    // One table at a time per core: tables that do not reach each other are solved at once.
    long jobs = std::max(1L, sysconf(_SC_NPROCESSORS_ONLN));
    if (args.size() % 2 != 0) return usageError("egtb");
    for (std::size_t i = 2; i < args.size(); i += 2) {
        if (args[i] != "--pieces" && args[i] != "--jobs") return usageError("egtb");
        const bool isPieces = args[i] == "--pieces";
        if (!readNumber(isPieces ? piecesArgument : jobsArgument, args[i + 1], isPieces ? pieces : jobs))
            return wrongArguments;
    }
    if (!startEngine()) return 1;
    std::error_code ec;
    std::filesystem::create_directories(args[1], ec);
    if (ec) {
        std::fprintf(stderr, "korvel-cli: cannot create %s: %s\n", args[1].c_str(), ec.message().c_str());
        return 1;
    }
    const BuildResult result = buildBitbases(args[1], static_cast<int>(pieces), stderr, static_cast<int>(jobs));
    if (!result.ok) {
        std::fprintf(stderr, "korvel-cli: %s\n", result.error.c_str());
        return 1;
    }
    std::printf("built %zu tables of 2 to %ld pieces in %.1f s\n", result.tables.size(), pieces, result.seconds);
    return 0;
}

int runVerify(const Args& args)
{
    if (args.size() != 2) return usageError("egtb");
    if (!startEngine()) return 1;
    const VerifyResult result = verifyBitbases(args[1]);
    if (result.ok) {
        std::printf("ok\n");
        std::fprintf(stderr, "%d tables, %llu positions checked\n", result.tablesChecked,
                     static_cast<unsigned long long>(result.positionsChecked));
        return 0;
    }
    for (const std::string& p : result.problems) std::printf("%s\n", p.c_str());
    return 1;
}

const char* verdictWord(int v) { return v > 0 ? "win" : v < 0 ? "loss" : "draw"; }

// The exact result read for the side that has just moved, told for the side to move.
void printExact(int e)
{
    if (e == probeUnavailable) {
        std::printf("exact unavailable (no readable .brg file)\n");
        return;
    }
    std::printf("exact %d: ", e);
    if (e == 255) std::printf("the side to move has no legal move (lost)\n");
    else if (e > 0) std::printf("the side to move loses in %d moves\n", e);
    else if (e < 0) std::printf("the side to move wins in %d moves\n", -e);
    else std::printf("draw\n");
}

int runProbe(const Args& args)
{
    std::string position;
    if (args.size() != 3) return usageError("egtb");
    if (!readPosition(args[2], position)) return wrongArguments;
    if (!startEngine()) return 1;
    egtbpath = args[1].empty() || args[1].back() == '/' ? args[1] : args[1] + "/";
    EGTBPieses = bitbaseMaxPieces;
    for (int n = bitbaseMaxPieces; n >= 2; --n)
        if (std::filesystem::exists(egtbpath + "egtb" + std::to_string(n) + ".bit")) {
            EGTBPieses = n;
            break;
        }
    LoadBitbase();
    setPositionFromText(position);
    const int side = sideToMove;
    if (whitePieces == 0 || blackPieces == 0 || popCount(occupied) > bitbaseMaxPieces) {
        std::printf("no table: the tables hold 2 to 5 pieces with both sides on the board\n");
        return 1;
    }
    std::printf("table %s\n", TableName().c_str());
    // Seen from the side to move, turned so that it plays White.
    if (side == Black) SwapSides();
    const bool toMoveIsA = popCount(blackKings) < popCount(whiteKings) ||
                           (popCount(blackKings) == popCount(whiteKings) && popCount(whiteMen) >= popCount(blackMen));
    if (!toMoveIsA) SwapSides(); // the stronger side as White, the index's orientation
    std::printf("index %u\n", BitbaseIndex());
    if (!toMoveIsA) SwapSides();
    if (!bitbaseLoaded || popCount(occupied) > EGTBPieses) std::printf("bitbase unavailable\n");
    else if (!toMoveIsA) std::printf("bitbase none (the side to move is the weaker side)\n");
    else std::printf("bitbase %s for the side to move\n", verdictWord(ProbeBitbase()));
    SwapSides(); // now the side that has just moved plays White
    printExact(ProbeExact());
    return 0;
}

// Quick check of a folder of tables by file sizes alone, without reading them: what
// start-up scripts use to decide whether the tables must be made. Every missing or
// wrongly sized file is named, and any makes the check fail.
int runCheck(const Args& args)
{
    if (args.size() != 2) return usageError("egtb");
    std::error_code ec;
    if (!std::filesystem::is_directory(args[1], ec)) {
        std::printf("missing folder %s\n", args[1].c_str());
        return 1;
    }
    const std::vector<TableFileProblem> problems = tableFileProblems(args[1]);
    for (const TableFileProblem& p : problems) {
        if (!p.size) std::printf("missing %s\n", p.name.c_str());
        else
            std::printf("wrong size %s: %ju bytes, not %ju\n", p.name.c_str(), *p.size, p.expectedSize);
    }
    if (!problems.empty()) return 1;
    std::printf("ok\n");
    return 0;
}

int runEgtb(const Args& args)
{
    if (args.empty()) return usageError("egtb");
    if (args[0] == "build") return runBuild(args);
    if (args[0] == "verify") return runVerify(args);
    if (args[0] == "probe") return runProbe(args);
    if (args[0] == "check") return runCheck(args);
    return usageError("egtb");
}

const bool registered = registerCommand({"egtb", runEgtb});

} // namespace
