// moves, perft, divide, eval: the move generator's regression tools.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "cli/command.h"
#include "engine/engine.h"

namespace {

// Leaf count below the position at ply; the last ply is counted without listing its
// quiet moves. The side is a template argument so that the inlined move making knows
// it; the moves are made without keys, which nothing here reads.
template <int side>
std::uint64_t perftFor(int ply, int depth)
{
    if (depth == 1) return static_cast<std::uint64_t>(countLegalMovesFor<side>(ply));
    const int n = generateLegalMoves(side, ply);
    const MoveList& list = moveLists[ply];
    std::uint64_t total = 0;
    for (int i = 1; i <= n; ++i) {
        makeMoveFor<side, false>(list.moves[i], list.captured[i], ply);
        total += perftFor<side ^ 1>(ply + 1, depth - 1);
        unmakeMove(ply);
    }
    return total;
}

std::uint64_t perft(int side, int ply, int depth)
{
    return side == White ? perftFor<White>(ply, depth) : perftFor<Black>(ply, depth);
}

bool parseDepth(const std::string& text, int& depth)
{
    long value = 0;
    if (!readNumber({"depth", "the depth", 1, moveListPlies - 1}, text, value)) return false;
    depth = static_cast<int>(value);
    return true;
}

// The engine started on the position; false, with the error reported, when
// korvel.ini is refused: the command then fails with status 1, not with its usage.
bool startOn(const std::string& position)
{
    if (!startEngine()) return false;
    setPositionFromText(position);
    return true;
}

// The position and depth of perft and divide: wrong ones are said and end the call.
int readPositionAndDepth(const char* command, const Args& args, std::string& position, int& depth)
{
    if (args.size() != 2) return usageError(command);
    if (!readPosition(args[0], position) || !parseDepth(args[1], depth)) return wrongArguments;
    return 0;
}

int runMoves(const Args& args)
{
    std::string position;
    if (args.size() != 1) return usageError("moves");
    if (!readPosition(args[0], position)) return wrongArguments;
    if (!startOn(position)) return 1;
    const int n = generateLegalMoves(sideToMove, 0);
    const MoveList& list = moveLists[0];
    for (int i = 1; i <= n; ++i) {
        const std::string captured = list.captured[i] ? squareSetText(list.captured[i]) : "-";
        std::printf("%s %s %u\n", moveText(list.moves[i]).c_str(), captured.c_str(), list.moves[i]);
    }
    return 0;
}

int runPerft(const Args& args)
{
    std::string position;
    int depth = 0;
    if (const int status = readPositionAndDepth("perft", args, position, depth)) return status;
    if (!startOn(position)) return 1;
    for (int d = 1; d <= depth; ++d) {
        const auto start = std::chrono::steady_clock::now();
        const std::uint64_t count = perft(sideToMove, 0, d);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        std::printf("perft %d %llu %lld ms\n", d, static_cast<unsigned long long>(count), static_cast<long long>(ms.count()));
        std::fflush(stdout);
    }
    return 0;
}

int runDivide(const Args& args)
{
    std::string position;
    int depth = 0;
    if (const int status = readPositionAndDepth("divide", args, position, depth)) return status;
    if (!startOn(position)) return 1;
    const int side = sideToMove;
    const int n = generateLegalMoves(side, 0);
    const MoveList& list = moveLists[0];
    std::uint64_t total = 0;
    for (int i = 1; i <= n; ++i) {
        std::uint64_t count = 1;
        if (depth > 1) {
            makeMove(list.moves[i], list.captured[i], side, 0);
            count = perft(side ^ 1, 1, depth - 1);
            unmakeMove(0);
        }
        total += count;
        std::printf("%s %llu\n", moveText(list.moves[i]).c_str(), static_cast<unsigned long long>(count));
    }
    std::printf("total %llu\n", static_cast<unsigned long long>(total));
    return 0;
}

int runEval(const Args& args)
{
    std::string position;
    if (args.size() != 1) return usageError("eval");
    if (!readPosition(args[0], position)) return wrongArguments;
    if (!startOn(position)) return 1;
    std::printf("%d\n", evaluate(sideToMove));
    return 0;
}

const bool registered = registerCommand({"moves", runMoves}) &&
                        registerCommand({"perft", runPerft}) &&
                        registerCommand({"divide", runDivide}) &&
                        registerCommand({"eval", runEval});

} // namespace
