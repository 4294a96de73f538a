// egtb build, verify, probe: making, checking and reading the endgame tables.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/command.h"
#include "cli/tools/egtbgen.h"
#include "engine/egtb.h"

namespace {

// A number from 1 to `most` written as digits alone.
bool parseCount(const std::string& text, int most, int& value)
{
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::stoi(text);
    return value >= 1 && value <= most;
}

int runBuild(const Args& args)
{
    int pieces = bitbaseMaxPieces;
    // One table at a time per core: tables that do not reach each other are solved at once.
    int jobs = static_cast<int>(std::max(1L, sysconf(_SC_NPROCESSORS_ONLN)));
    if (args.size() % 2 != 0) return usageError("egtb");
    for (std::size_t i = 2; i < args.size(); i += 2) {
        const bool ok = (args[i] == "--pieces" && parseCount(args[i + 1], bitbaseMaxPieces, pieces) && pieces >= 2) ||
                        (args[i] == "--jobs" && parseCount(args[i + 1], 64, jobs));
        if (!ok) return usageError("egtb");
    }
    if (!startEngine()) return 1;
    std::error_code ec;
    std::filesystem::create_directories(args[1], ec);
    if (ec) {
        std::fprintf(stderr, "korvel-cli: cannot create %s: %s\n", args[1].c_str(), ec.message().c_str());
        return 1;
    }
    const BuildResult result = buildBitbases(args[1], pieces, stderr, jobs);
    if (!result.ok) {
        std::fprintf(stderr, "korvel-cli: %s\n", result.error.c_str());
        return 1;
    }
    std::printf("built %zu tables of 2 to %d pieces in %.1f s\n", result.tables.size(), pieces, result.seconds);
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
    if (args.size() != 3 || !isPositionText(args[2])) return usageError("egtb");
    if (!startEngine()) return 1;
    egtbpath = args[1].empty() || args[1].back() == '/' ? args[1] : args[1] + "/";
    EGTBPieses = bitbaseMaxPieces;
    for (int n = bitbaseMaxPieces; n >= 2; --n)
        if (std::filesystem::exists(egtbpath + "egtb" + std::to_string(n) + ".bit")) {
            EGTBPieses = n;
            break;
        }
    LoadBitbase();
    setPositionFromText(args[2]);
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
// start-up scripts use to decide whether the tables must be made.
int runCheck(const Args& args)
{
    if (args.size() != 2) return usageError("egtb");
    namespace fs = std::filesystem;
    const fs::path dir = args[1];
    std::error_code ec;
    const auto bitSize = fs::file_size(dir / "egtb5.bit", ec);
    if (ec || bitSize != bitbaseSizeFivePieces) {
        std::printf("missing egtb5.bit\n");
        return 1;
    }
    for (const BitbaseTable& t : bitbaseTables) {
        const auto size = fs::file_size(dir / (std::string(t.name) + ".brg"), ec);
        if (ec || size != t.positions) {
            std::printf("missing %s.brg\n", t.name);
            return 1;
        }
    }
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

const bool registered =
    registerCommand({"egtb", "build DIR [--pieces N] [--jobs N] | verify DIR | check DIR | probe DIR POSITION", runEgtb});

} // namespace
