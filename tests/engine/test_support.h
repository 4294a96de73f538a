// Helpers shared by the engine tests: start-up, snapshots of the position, the
// engine's move lists in the reference's terms, and random positions.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "tests/engine/reference_rules.h"

namespace testing_support {

// A folder of its own for every use (tests run in parallel), removed when the
// test program ends.
inline std::filesystem::path uniqueTempDir(const std::string& tag)
{
    struct Folders {
        std::vector<std::filesystem::path> made;
        ~Folders()
        {
            std::error_code ignored;
            for (const auto& dir : made) std::filesystem::remove_all(dir, ignored);
        }
    };
    static Folders folders;
    const auto dir = std::filesystem::temp_directory_path() /
                     ("korvel-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(folders.made.size()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    folders.made.push_back(dir);
    return dir;
}

// Writes a "korvel.ini" with the given lines into a fresh folder and points the
// engine at it.
inline std::string useConfig(const std::string& content)
{
    const auto path = uniqueTempDir("config") / "korvel.ini";
    std::ofstream(path, std::ios::binary) << content;
    configFileName = path.string();
    return configFileName;
}

// Start-up as the program does it, with repeatable keys and no configuration file.
// The once-only start-up step follows the first initEngine of the process.
inline void finishStartupOnce()
{
    static bool finished = false;
    if (!finished) finishStartup();
    finished = true;
}

inline void useNoConfig()
{
    configFileName = (std::filesystem::temp_directory_path() / "korvel-tests-no-such-folder" / "korvel.ini").string();
}

inline void startEngine(std::uint32_t seed = 20240601)
{
    useNoConfig();
    seedRandom(seed);
    initEngine();
    finishStartupOnce();
}

struct Sets {
    SquareSet wm, wk, wp, bm, bk, bp, occ;
    bool operator==(const Sets&) const = default;
};

inline Sets currentSets() { return {whiteMen, whiteKings, whitePieces, blackMen, blackKings, blackPieces, occupied}; }

inline std::ostream& operator<<(std::ostream& os, const Sets& s)
{
    return os << std::hex << "wm=" << s.wm << " wk=" << s.wk << " wp=" << s.wp << " bm=" << s.bm << " bk=" << s.bk
              << " bp=" << s.bp << " occ=" << s.occ << std::dec;
}

// The position text of the engine position, built from the sets alone.
inline std::string currentText(int side)
{
    std::string text;
    for (int s = 0; s < 32; ++s) {
        const SquareSet b = SquareSet{1} << s;
        text += (whiteKings & b) ? 'W' : (whiteMen & b) ? 'w' : (blackKings & b) ? 'B' : (blackMen & b) ? 'b' : '0';
    }
    return text + (side == Black ? " b" : " w");
}

inline ref::Move asReference(MoveCode m, SquareSet captured)
{
    return {moveFrom(m), moveTo(m), captured, (m & promotionFlag) != 0};
}

// The first n entries of a ply's list, with the move word checked for consistency.
inline std::vector<ref::Move> listedMoves(int ply, int n)
{
    std::vector<ref::Move> moves;
    const MoveList& list = moveLists[ply];
    for (int i = 1; i <= n; ++i) {
        const MoveCode m = list.moves[i];
        const SquareSet y = list.captured[i];
        EXPECT_EQ(moveCapturedCount(m), popCount(y)) << "count field of entry " << i;
        EXPECT_EQ((m & captureFlag) != 0, y != 0) << "capture flag of entry " << i;
        moves.push_back(asReference(m, y));
    }
    return moves;
}

inline std::string describe(const std::vector<ref::Move>& moves)
{
    std::string text;
    for (const auto& m : moves) text += "  " + ref::moveDescription(m) + "\n";
    return text;
}

// Random positions: men never on their own promotion rank.
inline std::string randomPlacement(std::mt19937& rng, int whiteCount, int blackCount, int kingPercent)
{
    std::string text(32, '0');
    std::uniform_int_distribution<int> square(0, 31), percent(0, 99);
    auto place = [&](int count, char man, char king, int forbiddenRank) {
        for (int placed = 0; placed < count;) {
            const int s = square(rng);
            if (text[static_cast<std::size_t>(s)] != '0') continue;
            const bool crowned = percent(rng) < kingPercent;
            if (!crowned && ref::rankOf(s) == forbiddenRank) continue;
            text[static_cast<std::size_t>(s)] = crowned ? king : man;
            ++placed;
        }
    };
    place(whiteCount, 'w', 'W', 7);
    place(blackCount, 'b', 'B', 0);
    return text + (percent(rng) < 50 ? " w" : " b");
}

// Positions met on a random game from the initial position (the last one is
// the position where the game ended or was cut off).
inline std::vector<std::string> randomGame(std::mt19937& rng, int maxPlies)
{
    int side = ref::white;
    ref::Board board = ref::boardFromText(initialPositionText, &side);
    std::vector<std::string> seen{ref::textFromBoard(board, side)};
    for (int ply = 0; ply < maxPlies; ++ply) {
        const auto moves = ref::legalMoves(board, side);
        if (moves.empty()) break;
        std::uniform_int_distribution<std::size_t> pick(0, moves.size() - 1);
        board = ref::applied(board, moves[pick(rng)]);
        side ^= 1;
        seen.push_back(ref::textFromBoard(board, side));
    }
    return seen;
}

} // namespace testing_support
